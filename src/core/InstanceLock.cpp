#include "core/InstanceLock.h"

#include "core/Paths.h"

InstanceLock::InstanceLock(const QString& programFolder)
    : lock_(std::make_unique<QLockFile>(InProgramFolder(programFolder, FileName()))) {
    // Age never makes a lock stale: only a lock whose process is gone is.
    lock_->setStaleLockTime(0);
}

bool InstanceLock::TryAcquire() {
    if (!held_)
        held_ = lock_->tryLock(0);
    return held_;
}

void InstanceLock::Release() {
    if (held_)
        lock_->unlock();
    held_ = false;
}
