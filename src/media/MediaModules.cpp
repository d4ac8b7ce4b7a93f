#include "media/MediaModules.h"

#include "core/Paths.h"
#include "core/Store.h"
#include "media/ErrorTrap.h"

#include <cmath>
#include <cstdlib>

namespace {
constexpr int kReplyLength = 128;

QString Query(MediaContext& media, const QString& command) {
    QString reply;
    media.sender.SendString(command, &reply, kReplyLength);
    return reply;
}
} // namespace

int ReplyAsNumber(const QString& reply) {
    const QByteArray text = reply.toLatin1();
    char* end = nullptr;
    const double value = std::strtod(text.constData(), &end);
    if (end == text.constData() || !std::isfinite(value))
        return 0;
    const double rounded = std::nearbyint(value); // the default rounding mode: half to even
    if (rounded > 2147483647.0 || rounded < -2147483648.0)
        throw std::overflow_error("Overflow");
    return static_cast<int>(rounded);
}

namespace MP3 {

void OpenAndPlaySong(MediaContext& media) {
    TrapErrors(media.dialogs, "AGH 1", [&] {
        media.sender.SendString(QStringLiteral("close song"));
        media.SongFile = QLatin1Char('"') + TrimBlanks(media.SongFile) + QLatin1Char('"');
        media.sender.SendString(QStringLiteral("open ") + media.SongFile +
                                QStringLiteral(" alias song"));
        media.sender.SendString(QStringLiteral("play song"));
    });
}

int SongPositionMs(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 27", 0, [&] {
        media.sender.SendString(QStringLiteral("set song time format milliseconds"));
        return ReplyAsNumber(Query(media, QStringLiteral("status song position")));
    });
}

QString LongPathName(MediaContext& media, const QString& path) {
    return TrapErrors(media.dialogs, "AGH 4", QString(), [&] { return ::LongPathName(path); });
}

QString FileTitleOf(MediaContext& media, const QString& path) {
    return TrapErrors(media.dialogs, "AGH 15", QString(), [&] { return ::FileTitleOf(path); });
}

} // namespace MP3

namespace video {

void CloseAllDevices(MediaContext& media) {
    TrapErrors(media.dialogs, "AGH 31",
               [&] { media.sender.SendString(QStringLiteral("close all")); });
}

void StopSong(MediaContext& media) {
    TrapErrors(media.dialogs, "AGH 32",
               [&] { media.sender.SendString(QStringLiteral("stop song")); });
}

int SongLengthMs(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 34", 0, [&] {
        return ReplyAsNumber(Query(media, QStringLiteral("status song length")));
    });
}

int SongLengthSecs(MediaContext& media) {
    return TrapErrors(media.dialogs, "AGH 41", 0, [&] { return SongLengthMs(media) / 1000; });
}

QString CloseAllAliases(MediaContext& media) {
    const quint32 code = media.sender.SendString(QStringLiteral("Close All"));
    return code == 0 ? QStringLiteral("Success") : media.sender.ErrorString(code);
}

} // namespace video
