// Tells whether another copy of the program runs from the same program folder: the first copy
// holds a lock file there for its whole life. A lock left by a copy that was killed is stale
// (its process is gone) and is taken over.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

class InstanceLock {
public:
    explicit InstanceLock(const QString& programFolder);
    // True when this copy now holds the lock (it is the first copy). Never waits.
    bool TryAcquire();
    bool IsHeld() const { return held_; }
    void Release();
    static QString FileName() { return QStringLiteral("jukora.lock"); }

private:
    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
};
