#include "desktop/DesktopSupport.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {
const QString kService = QStringLiteral("org.mpris.MediaPlayer2.jukora");
const QString kObject = QStringLiteral("/org/mpris/MediaPlayer2");
} // namespace

PrivateBus::PrivateBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!daemon_.waitForStarted(5000))
        return;
    WaitFor([this] { return daemon_.canReadLine(); }, 5000);
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    static int made = 0;
    connectionName_ = QStringLiteral("private-bus-%1").arg(++made);
}

PrivateBus::~PrivateBus() {
    if (!connectionName_.isEmpty())
        QDBusConnection::disconnectFromBus(connectionName_);
    daemon_.kill();
    daemon_.waitForFinished(5000);
}

QDBusConnection PrivateBus::Connection() const {
    return QDBusConnection::connectToBus(address_, connectionName_);
}

GdbusResult Gdbus(const PrivateBus& bus, const QStringList& arguments) {
    QProcess gdbus;
    gdbus.start(QStringLiteral("gdbus"),
                QStringList{arguments.front(), QStringLiteral("--address"), bus.Address()} +
                    arguments.mid(1));
    GdbusResult result;
    if (!gdbus.waitForStarted(5000))
        return result;
    if (!WaitFor([&] { return gdbus.state() == QProcess::NotRunning; }, 10000)) {
        gdbus.kill();
        gdbus.waitForFinished(2000);
        return result;
    }
    result.exitCode = gdbus.exitCode();
    result.out = QString::fromUtf8(gdbus.readAllStandardOutput()).trimmed();
    result.err = QString::fromUtf8(gdbus.readAllStandardError()).trimmed();
    return result;
}

GdbusResult CallPlayer(const PrivateBus& bus, const QString& method, const QStringList& arguments) {
    const QString member = method.contains(QLatin1Char('.'))
                               ? method
                               : QStringLiteral("org.mpris.MediaPlayer2.Player.") + method;
    return Gdbus(bus, QStringList{QStringLiteral("call"), QStringLiteral("--dest"), kService,
                                  QStringLiteral("--object-path"), kObject,
                                  QStringLiteral("--method"), member} +
                          arguments);
}

QString PlayerProperty(const PrivateBus& bus, const QString& name, const QString& interface) {
    return CallPlayer(bus, QStringLiteral("org.freedesktop.DBus.Properties.Get"), {interface, name})
        .out;
}

QString LongSongFile() {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.wav"));
    if (!QFile::exists(path))
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {QStringLiteral("-loglevel"), QStringLiteral("error"),
                           QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                           QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=30"),
                           QStringLiteral("-ar"), QStringLiteral("8000"), path});
    return path;
}

void AddLongSongs(const ProgramFolderFixture& folder, int count) {
    for (int i = 1; i <= count; ++i) {
        const QString path = folder.File(QStringLiteral("song%1.wav").arg(i));
        QFile::copy(LongSongFile(), path);
        folder.AddSong(i, QStringLiteral("Song %1").arg(i), QStringLiteral("Band %1").arg(i), path);
    }
}
