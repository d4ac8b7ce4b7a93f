#include "installer/InstallFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
constexpr qint64 kChunk = 1 << 20;
constexpr int kTrustWaitMs = 3000;
} // namespace

bool CopyIntoPlace(const QString& source, const QString& target,
                   const std::function<bool()>& beforeReplace) {
    if (!QFileInfo(source).isFile())
        return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            out.cancelWriting();
            return false;
        }
    }
    if (in.error() != QFileDevice::NoError || (beforeReplace && !beforeReplace())) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit())
        return false;
    return QFile::setPermissions(target, in.permissions());
}

bool WriteIntoPlace(const QString& path, const QByteArray& bytes,
                    QFileDevice::Permissions permissions) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return false;
    return QFile::setPermissions(path, permissions);
}

void MarkTrusted(const QString& launcher) {
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty())
        return;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(gio, {QStringLiteral("set"), launcher, QStringLiteral("metadata::trusted"),
                        QStringLiteral("true")});
    if (!process.waitForFinished(kTrustWaitMs)) {
        process.kill();
        process.waitForFinished(kTrustWaitMs);
    }
}
