#include "installer/InstallPlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <array>

QString DataHome() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return QDir::cleanPath(xdg);
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString DefaultInstallFolder() {
    return DataHome() + QStringLiteral("/Orvane/Jukora/");
}

QString SystemFolder() {
    return QDir::homePath() + QStringLiteral("/.local/lib");
}

QString DesktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString ApplicationsFolder() {
    return DataHome() + QStringLiteral("/applications");
}

QString IconFile() {
    return DataHome() + QStringLiteral("/icons/hicolor/scalable/apps/jukora.svg");
}

bool IsNetworkPath(const QString& path) {
    if (path.startsWith(QLatin1String("//")))
        return true;
    QFileInfo existing(path);
    while (!existing.exists() && !existing.isRoot() &&
           existing.absolutePath() != existing.filePath())
        existing = QFileInfo(existing.absolutePath());
    const QByteArray type = QStorageInfo(existing.absoluteFilePath()).fileSystemType();
    static constexpr std::array<const char*, 14> kNetworkTypes = {
        "nfs",        "nfs4", "cifs", "smb3",       "smbfs",  "ncpfs", "afs",
        "fuse.sshfs", "9p",   "ceph", "fuse.davfs", "davfs2", "coda",  "glusterfs"};
    for (const char* type_name : kNetworkTypes)
        if (type == type_name)
            return true;
    return false;
}

QString ExecArgument(const QString& program) {
    // Inside double quotes the launcher format reserves " ` $ and \ (escaped with \) and %
    // (doubled); the value as a whole then escapes each \ once more.
    QString quoted;
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    quoted.replace(u'\\', QLatin1String("\\\\"));
    return u'"' + quoted + u'"';
}

QByteArray DesktopEntry(const QString& program, const QString& icon, bool withFileArgument) {
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n"
                                  "Name=Jukora\n"
                                  "GenericName=Media Player\n"
                                  "Comment=Plays your music and videos from your media library\n");
    text += QStringLiteral("Exec=") + ExecArgument(program);
    if (withFileArgument)
        text += QStringLiteral(" %f");
    text += QStringLiteral("\nIcon=") + icon + u'\n';
    text += QStringLiteral("Terminal=false\nCategories=AudioVideo;Audio;Video;Player;\n");
    if (withFileArgument)
        text += QStringLiteral("MimeType=audio/mpeg;audio/x-ms-wma;audio/x-wav;audio/vnd.wave;"
                               "audio/midi;video/mpeg;video/x-msvideo;video/x-ms-wmv;\n");
    return text.toUtf8();
}
