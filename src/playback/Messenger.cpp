#include "playback/Messenger.h"

#include <QDBusMessage>

#include <cstdlib>

namespace Messenger {

QString NowPlayingText(const QString& title, const QString& artist, const QString& third,
                       const QString& format, qint16 enabled) {
    const QString separator = QStringLiteral("\\0");
    return separator + QStringLiteral("Music") + separator + QString::number(std::abs(enabled)) +
           separator + format + separator + title + separator + artist + separator + separator +
           third + separator + QChar(u'\0');
}

QByteArray NowPlayingBytes(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xff));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

void SendNowPlaying(const QString& title, const QString& artist, const QString& third,
                    const QString& format, qint16 enabled, const QString& /*category*/,
                    const QDBusConnection& bus) {
    if (!bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kPath), QLatin1String(kInterface), QLatin1String(kMember));
    signal << kDataTag << NowPlayingBytes(NowPlayingText(title, artist, third, format, enabled));
    bus.send(signal);
}

} // namespace Messenger
