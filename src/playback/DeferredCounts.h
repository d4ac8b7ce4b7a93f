// Play counts that could not be written because another program held the library file locked.
// They are kept here and written once a second until the lock is gone, so no start is lost and
// the player never waits for the other program.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>

class RecordSource;

// How long a play-count write waits for another program's lock before it is deferred.
constexpr int kQuickLockWaitMs = 200;

class DeferredCounts : public QObject {
public:
    // `songs` is the song table's record source; `tellLocked` is called once per spell of
    // locking, when the first count has to wait.
    DeferredCounts(RecordSource& songs, std::function<void()> tellLocked);
    // One more start of the song is to be counted.
    void Add(qint16 songId);
    // The starts still waiting to be written.
    int Waiting() const;
    // Writes what waits; stops retrying once everything is written.
    void Retry();

private:
    RecordSource& songs_;
    std::function<void()> tellLocked_;
    QTimer timer_;
    std::map<qint16, qint64> waiting_; // song id -> starts not yet counted
    bool told_ = false;
};

// The play count after one more start: a count that cannot grow stays where it is.
qint64 CountAfterStarts(qint64 count, qint64 starts);
