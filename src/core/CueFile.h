// The cue file "cuesongs.jkp": one 4-byte record through which a second copy of the program
// hands a library song to the running copy. Bytes 0-1: marker (16-bit little-endian, 1 when
// written); bytes 2-3: the song's identity (16-bit little-endian).
//
// The writer creates the file complete and exclusively (written under a private name, then
// linked to the cue file's name), so the reader never sees a partial record and a pending cue
// file is never overwritten.
#pragma once

#include "core/PlayerState.h"

#include <QByteArray>
#include <QString>

#include <optional>

inline const QString& CueFileName() {
    static const QString name = QStringLiteral("cuesongs.jkp");
    return name;
}

QByteArray EncodeCueRecord(qint16 marker, qint16 songId);

enum class CueWrite {
    Written, // the file now holds our record
    Pending, // a cue file exists already: another hand-off has not been taken yet
    Failed,  // the file could not be written
};
CueWrite WriteCueFileExclusive(const QString& path, qint16 songId, QString* error = nullptr);

// Hands one song over: writes the cue file, and while a pending one is in the way, waits for
// it to be taken, for at most timeoutMs in all. True when the song was handed over.
bool HandOffSong(const QString& path, qint16 songId, int timeoutMs, QString* error = nullptr);

// Waits until no file exists at `path`, polling, for at most timeoutMs. True when it is gone.
bool WaitUntilGone(const QString& path, int timeoutMs);

// The record of a cue file that is exactly 4 bytes long; nothing for any other file.
std::optional<CueRecordBuffer> ReadCueFile(const QString& path);
