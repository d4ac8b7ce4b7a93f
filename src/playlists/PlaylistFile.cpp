#include "playlists/PlaylistFile.h"

#include "core/Paths.h"
#include "core/Store.h"

#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

QString PlaylistNameProblem(const QString& name) {
    if (TrimBlanks(name).isEmpty())
        return QStringLiteral("A playlist without a name cannot be saved.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("The name \"%1\" cannot be used as a file name.").arg(name);
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(u'\0')))
        return QStringLiteral("The name \"%1\" holds a character a file name cannot hold (\"/\").")
            .arg(name);
    return {};
}

QString PlaylistFolder(const QString& programFolder) {
    return InProgramFolder(programFolder, QStringLiteral("PlayLists"));
}

QString PlaylistFilePath(const QString& programFolder, const QString& name) {
    return PlaylistFolder(programFolder) + QLatin1Char('/') + name + QStringLiteral(".mpl");
}

QString PlaylistFileLine(const QString& artist, const QString& title) {
    return artist + QStringLiteral(" - ") + title + QStringLiteral("\r\n");
}

QByteArray PlaylistFileBytes(const QString& text) {
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString WritePlaylistFile(const QString& path, const QByteArray& bytes) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("The folder \"%1\" does not exist.")
            .arg(QDir::toNativeSeparators(folder));
    if (QFileInfo(path).isDir())
        return QStringLiteral("A folder of that name is in the way.");
    // Written beside the old file and renamed over its name: a reader sees the old file or the
    // new one, and where the name is a symbolic link, the link is replaced, never the file it
    // points to (which may be anywhere).
    QTemporaryFile file(path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return file.errorString();
    if (file.write(bytes) != bytes.size() || !file.flush() || fsync(file.handle()) != 0)
        return file.errorString();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    if (rename(QFile::encodeName(file.fileName()).constData(),
               QFile::encodeName(path).constData()) != 0)
        return QString::fromLocal8Bit(strerror(errno));
    file.setAutoRemove(false); // it is the playlist file now
    return {};
}
