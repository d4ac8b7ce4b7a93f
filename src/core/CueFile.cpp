#include "core/CueFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int kPollMs = 50;

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}
} // namespace

QByteArray EncodeCueRecord(qint16 marker, qint16 songId) {
    const auto m = static_cast<quint16>(marker);
    const auto s = static_cast<quint16>(songId);
    QByteArray bytes(4, '\0');
    bytes[0] = static_cast<char>(m & 0xff);
    bytes[1] = static_cast<char>(m >> 8);
    bytes[2] = static_cast<char>(s & 0xff);
    bytes[3] = static_cast<char>(s >> 8);
    return bytes;
}

CueWrite WriteCueFileExclusive(const QString& path, qint16 songId, QString* error) {
    const QByteArray target = Native(path);
    const QByteArray temporary =
        target + ".tmp." + QByteArray::number(static_cast<qlonglong>(getpid()));
    const QByteArray record = EncodeCueRecord(1, songId);
    auto fail = [&](const char* what) {
        if (error)
            *error = QStringLiteral("%1 %2: %3")
                         .arg(QLatin1String(what), path, QString::fromLocal8Bit(strerror(errno)));
        unlink(temporary.constData());
        return CueWrite::Failed;
    };
    const int fd = open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail("cannot create");
    const bool written = write(fd, record.constData(), 4) == 4 && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!written || !closed)
        return fail("cannot write");
    // link() fails with EEXIST instead of replacing: a pending cue file is never overwritten.
    if (link(temporary.constData(), target.constData()) != 0) {
        if (errno == EEXIST) {
            unlink(temporary.constData());
            return CueWrite::Pending;
        }
        return fail("cannot create");
    }
    unlink(temporary.constData());
    return CueWrite::Written;
}

namespace {
// The identity of the entry at a path: the same while nobody takes or replaces it.
struct EntryStamp {
    bool present = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 changed = 0; // status change time, nanoseconds
    bool operator==(const EntryStamp&) const = default;
};

EntryStamp StampOf(const QByteArray& native) {
    struct stat st {};
    if (lstat(native.constData(), &st) != 0)
        return {};
    return {true, st.st_dev, st.st_ino,
            static_cast<qint64>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}
} // namespace

bool WaitUntilGone(const QString& path, int stallMs, int limitMs) {
    const QByteArray native = Native(path);
    QElapsedTimer total;
    total.start();
    QElapsedTimer still;
    still.start();
    EntryStamp seen = StampOf(native);
    while (seen.present) {
        if (still.elapsed() >= stallMs || total.elapsed() >= limitMs)
            return false;
        QThread::msleep(kPollMs);
        const EntryStamp now = StampOf(native);
        if (!(now == seen))
            still.restart(); // taken and replaced by another copy's hand-off: the queue moves
        seen = now;
    }
    return true;
}

bool HandOffSong(const QString& path, qint16 songId, int stallMs, QString* error) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        switch (WriteCueFileExclusive(path, songId, error)) {
        case CueWrite::Written:
            return true;
        case CueWrite::Failed:
            return false;
        case CueWrite::Pending:
            break;
        }
        const qint64 left = kHandOffLimitMs - clock.elapsed();
        if (left <= 0 || !WaitUntilGone(path, stallMs, static_cast<int>(left))) {
            if (error)
                *error = QStringLiteral("the running copy did not take the pending %1 within %2 "
                                        "seconds")
                             .arg(CueFileName())
                             .arg(stallMs / 1000);
            return false;
        }
    }
}

std::optional<CueRecordBuffer> ReadCueFile(const QString& path) {
    const int fd = open(Native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    char bytes[5];
    ssize_t got = -1;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        got = read(fd, bytes, sizeof bytes);
    close(fd);
    if (got != 4)
        return std::nullopt;
    auto word = [&](int at) {
        return static_cast<qint16>(static_cast<quint8>(bytes[at]) |
                                   (static_cast<quint8>(bytes[at + 1]) << 8));
    };
    return CueRecordBuffer{word(0), word(2)};
}

CueTaken TakeCueFile(const QString& path) {
    const QByteArray native = Native(path);
    struct stat st {};
    CueTaken taken;
    if (lstat(native.constData(), &st) != 0)
        return taken;
    if (S_ISREG(st.st_mode)) {
        const auto record = ReadCueFile(path);
        taken.what = record ? CueTaken::What::Record : CueTaken::What::Unreadable;
        if (record)
            taken.record = *record;
    } else {
        taken.what = CueTaken::What::Cleared;
    }
    // Taken, or not one record: either way it must not be read again, and it must not stand
    // in the way of the next hand-off. A link is removed, never what it points to.
    const int removed =
        S_ISDIR(st.st_mode) ? rmdir(native.constData()) : unlink(native.constData());
    if (removed != 0 && errno != ENOENT) {
        taken.what = CueTaken::What::Blocked;
        taken.problem = S_ISDIR(st.st_mode) ? QStringLiteral("a folder that is not empty")
                                            : QString::fromLocal8Bit(strerror(errno));
    }
    return taken;
}
