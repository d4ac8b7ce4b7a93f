#include "playback/DeferredCounts.h"

#include "core/Store.h"

#include <limits>

qint64 CountAfterStarts(qint64 count, qint64 starts) {
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    if (count < 0 || starts <= 0)
        return count;
    return count > kMax - starts ? kMax : count + starts;
}

DeferredCounts::DeferredCounts(RecordSource& songs, std::function<void()> tellLocked)
    : songs_(songs), tellLocked_(std::move(tellLocked)) {
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &DeferredCounts::Retry);
}

void DeferredCounts::Add(qint16 songId) {
    ++waiting_[songId];
    timer_.start();
    if (!told_) {
        told_ = true; // before the call: a message box lets the timer run meanwhile
        tellLocked_();
    }
}

int DeferredCounts::Waiting() const {
    qint64 all = 0;
    for (const auto& [id, starts] : waiting_)
        all += starts;
    return static_cast<int>(all);
}

void DeferredCounts::Retry() {
    const int playcount = songs_.FieldIndex(QStringLiteral("playcount"));
    // A short wait: the player must not stand still while the other program keeps its lock.
    songs_.SetBusyWait(kQuickLockWaitMs);
    struct RestoreWait {
        RecordSource& songs;
        ~RestoreWait() { songs.SetBusyWait(kBusyTimeoutMs); }
    } restore{songs_};
    try {
        for (auto it = waiting_.begin(); it != waiting_.end();) {
            for (songs_.MoveFirst(); !songs_.Eof(); songs_.MoveNext()) {
                if (!MatchesNumber(songs_.At(0), it->first))
                    continue;
                const qint64 count = songs_.At(playcount).toLongLong();
                songs_.Edit();
                songs_.SetField(QStringLiteral("playcount"), CountAfterStarts(count, it->second));
                songs_.Update();
                break;
            }
            it = waiting_.erase(it); // a song deleted meanwhile has nothing left to count
        }
    } catch (const StoreError& e) {
        if (e.kind() == StoreError::Kind::Locked)
            return;       // still locked: next second
        waiting_.clear(); // any other failure is not the lock's: nothing to wait for
    }
    timer_.stop();
    told_ = false;
}
