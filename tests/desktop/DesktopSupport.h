// A session bus of the test's own, the gdbus client on it, and a library of long songs.
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

class ProgramFolderFixture;

// A dbus-daemon started for the test and ended with it.
class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    bool Started() const { return !address_.isEmpty(); }
    const QString& Address() const { return address_; }
    QDBusConnection Connection() const;

private:
    QProcess daemon_;
    QString address_;
    QString connectionName_;
};

struct GdbusResult {
    int exitCode = -1;
    QString out, err;
};
// Runs gdbus on the bus, letting this process's events run meanwhile (the player answers from
// this thread).
GdbusResult Gdbus(const PrivateBus& bus, const QStringList& arguments);

// The player's MPRIS object on the bus: a method of the player interface (or of another
// interface when `method` names one), and a property's value.
GdbusResult CallPlayer(const PrivateBus& bus, const QString& method,
                       const QStringList& arguments = {});
QString PlayerProperty(const PrivateBus& bus, const QString& name,
                       const QString& interface = QStringLiteral("org.mpris.MediaPlayer2.Player"));

// A 30 s song made once per test run (8 kHz sine); copied into the folder for songs 1..count
// as "Song <i>" by "Band <i>" at <folder>/song<i>.wav.
QString LongSongFile();
void AddLongSongs(const ProgramFolderFixture& folder, int count);
