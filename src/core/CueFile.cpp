#include "core/CueFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

bool WaitUntilGone(const QString& path, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (QFile::exists(path)) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(kPollMs);
    }
    return true;
}

bool HandOffSong(const QString& path, qint16 songId, int timeoutMs, QString* error) {
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
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || !WaitUntilGone(path, static_cast<int>(left))) {
            if (error)
                *error = QStringLiteral("the running copy did not take the pending %1 within %2 "
                                        "seconds")
                             .arg(CueFileName())
                             .arg(timeoutMs / 1000);
            return false;
        }
    }
}

std::optional<CueRecordBuffer> ReadCueFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(5);
    if (bytes.size() != 4)
        return std::nullopt;
    auto word = [&](int at) {
        return static_cast<qint16>(static_cast<quint8>(bytes[at]) |
                                   (static_cast<quint8>(bytes[at + 1]) << 8));
    };
    return CueRecordBuffer{word(0), word(2)};
}
