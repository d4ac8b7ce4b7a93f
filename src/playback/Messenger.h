// Tells a running instant messenger what is playing. The now-playing text is UTF-16:
//   \0Music\0<enabled>\0<format>\0<title>\0<artist>\0\0<third>\0 followed by one NUL character,
// where "\0" is the two characters backslash and zero. It goes out as a signal on the desktop's
// session bus (interface org.jukora.Messenger, member NowPlaying, path /org/jukora/Messenger),
// carrying the text's bytes (UTF-16, little-endian, the final NUL included) and the tag 1351.
// With no session bus nothing is sent and nothing fails.
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QString>

namespace Messenger {

inline const char* const kInterface = "org.jukora.Messenger";
inline const char* const kPath = "/org/jukora/Messenger";
inline const char* const kMember = "NowPlaying";
constexpr quint32 kDataTag = 1351;

// The text, including its final NUL character.
QString NowPlayingText(const QString& title, const QString& artist, const QString& third,
                       const QString& format, qint16 enabled);
// The text as bytes: two per character, little-endian.
QByteArray NowPlayingBytes(const QString& text);

// Sends on `bus` (the session bus when not given). The category argument is not used: the
// category is always "Music".
void SendNowPlaying(const QString& title, const QString& artist, const QString& third,
                    const QString& format, qint16 enabled, const QString& category,
                    const QDBusConnection& bus = QDBusConnection::sessionBus());

} // namespace Messenger
