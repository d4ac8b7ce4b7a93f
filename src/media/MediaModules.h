// The media modules. `MP3` and the first half of `video` drive the audio channel, the fixed
// alias "song"; the rest of `video` is a general device wrapper over any alias.
//
// Every operation sends its command strings exactly as written in MediaModules.cpp, through the
// context's MciSender, on the calling (user-interface) thread; each call blocks only for the
// service's synchronous answer.
//
// Audio channel: return codes are ignored (a failed query reads as 0). Each operation traps its
// own run-time errors: the error's text in a box titled " Error", then its tag "AGH n", then a
// neutral result (0, false or empty text).
// Device wrapper: acting operations return "Success" or the service's error text; queries return
// a number or -1 when the service refused the query. Run-time errors (an overflow, a division by
// a zero length) are thrown to the caller, except in DevicePercentPlayed, which gives 0.
#pragma once

#include "media/MciSender.h"

#include <QSize>
#include <QString>

#include <functional>

class Dialogs;

struct MediaContext {
    MciSender& sender;
    Dialogs& dialogs;
    QString SongFile; // the file on the audio channel; quoted once opened
    // The outer size of a window, by its handle (PutDeviceWindow's fallback size).
    std::function<QSize(qint64)> WindowSize = [](qint64) { return QSize(); };
};

namespace MP3 {
// False when the file could not be opened (missing, unreadable, not media).
bool OpenAndPlaySong(MediaContext& media);
bool SongFinished(MediaContext& media);
void SetSongSpeed(MediaContext& media, qint32 speed);
void SetSongVolume(MediaContext& media, qint32 volume);
qint32 SongPositionMs(MediaContext& media);
qint32 SongPositionSecs(MediaContext& media);
QString SongPositionText(MediaContext& media);
void PlaySongFrom(MediaContext& media, qint32 seconds);
QString LongPathName(MediaContext& media, const QString& path);
QString FileTitleOf(MediaContext& media, const QString& path);
} // namespace MP3

namespace video {
// Audio channel.
void CloseAllDevices(MediaContext& media);
void StopSong(MediaContext& media);
void PauseSong(MediaContext& media);
void ResumeSong(MediaContext& media);
qint32 SongLengthMs(MediaContext& media);
qint32 SongLengthSecs(MediaContext& media);
QString SongLengthText(MediaContext& media);
QString FormatDuration(MediaContext& media, qint32 ms);

// Device wrapper.
constexpr qint32 kChildStyle = 1073741824;
QString OpenDevice(MediaContext& media, qint32 parent, const QString& alias, const QString& path,
                   const QString& deviceType);
QString PlayDevice(MediaContext& media, const QString& alias, QString from, QString to);
QString CloseDevice(MediaContext& media, const QString& alias);
QString PauseDevice(MediaContext& media, const QString& alias);
QString StopDevice(MediaContext& media, const QString& alias);
QString ResumeDevice(MediaContext& media, const QString& alias);
qint32 DeviceLengthFrames(MediaContext& media, const QString& alias);
qint32 DeviceLengthMs(MediaContext& media, const QString& alias);
QString SeekDevice(MediaContext& media, const QString& alias, qint32 target);
qint32 DevicePosition(MediaContext& media, const QString& alias);
// A width or height of 0 takes both from the window's outer size, written back to the caller.
QString PutDeviceWindow(MediaContext& media, qint32 window, const QString& alias, qint32 x,
                        qint32 y, qint32& width, qint32& height);
qint32 DevicePercentPlayed(MediaContext& media, const QString& alias);
qint32 DeviceFrameRate(MediaContext& media, const QString& alias);
QString CloseAllAliases(MediaContext& media);
QString SetDeviceVolume(MediaContext& media, const QString& alias, const QString& channel,
                        qint32 volume);
QString SetDeviceSpeed(MediaContext& media, const QString& alias, qint32 speed);
} // namespace video

// A reply read as a number: leading blanks skipped, the leading decimal number (sign, digits,
// fraction, exponent) taken, rounded half to even; 0 when there is none. Throws
// std::overflow_error when it does not fit 32 bits.
qint32 ReplyAsNumber(const QString& reply);

// Rounds half to even; throws std::overflow_error outside the 32-bit range.
qint32 RoundToInt32(double value);

// A command cut or padded with blanks to a fixed field width.
QString FixedField(const QString& command, int width);
