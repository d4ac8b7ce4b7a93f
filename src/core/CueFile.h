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

// The longest a second copy waits in all for the hand-offs in front of it, however steadily
// they are being taken.
constexpr int kHandOffLimitMs = 120000;

// Hands one song over: writes the cue file, and while a pending one is in the way, waits for
// it to be taken. Other copies may be waiting too: as long as the pending hand-offs keep being
// taken (the entry at `path` goes or is replaced) the wait goes on; it gives up when the same
// entry stays for stallMs, or after kHandOffLimitMs in all. True when the song was handed over.
bool HandOffSong(const QString& path, qint16 songId, int stallMs, QString* error = nullptr);

// Waits until nothing exists at `path` (not even a link or a folder), polling. Gives up (false)
// when the same entry stays there for stallMs, or after limitMs in all.
bool WaitUntilGone(const QString& path, int stallMs, int limitMs = kHandOffLimitMs);

// The record of a cue file that is exactly 4 bytes long; nothing for any other file. Only a
// regular file is opened: a FIFO or a device there never blocks the reader.
std::optional<CueRecordBuffer> ReadCueFile(const QString& path);

// What the running copy found at the cue file's name.
struct CueTaken {
    enum class What {
        Nothing,    // no entry there
        Record,     // a cue file with one record, now removed
        Unreadable, // a regular file that is not one record, now removed
        Cleared,    // not a regular file (a link, a FIFO, an empty folder): removed
        Blocked,    // something there that cannot be removed: `problem` says what
    };
    What what = What::Nothing;
    CueRecordBuffer record;
    QString problem;
};
// Takes whatever stands at the cue file's name, so that the next hand-off can be written.
CueTaken TakeCueFile(const QString& path);
