// The media modules: `MP3` and `video` operate the audio channel (alias "song") and the device
// wrapper by command strings through one MciSender. Commands are sent exactly as written here;
// the audio channel ignores return codes (a failed query reads as 0).
#pragma once

#include "media/MciSender.h"

#include <QString>

class Dialogs;

struct MediaContext {
    MciSender& sender;
    Dialogs& dialogs;
    QString SongFile; // the file on the audio channel, quoted once opened
};

namespace MP3 {
void OpenAndPlaySong(MediaContext& media);
int SongPositionMs(MediaContext& media);
QString LongPathName(MediaContext& media, const QString& path);
QString FileTitleOf(MediaContext& media, const QString& path);
} // namespace MP3

namespace video {
void CloseAllDevices(MediaContext& media);
void StopSong(MediaContext& media);
int SongLengthMs(MediaContext& media);
int SongLengthSecs(MediaContext& media);
QString CloseAllAliases(MediaContext& media);
} // namespace video

// A reply read as a number: leading blanks skipped, the leading decimal number taken, rounded
// half to even; 0 when there is none.
int ReplyAsNumber(const QString& reply);
