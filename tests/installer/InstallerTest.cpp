// Runs the real jukora-install headless, its folder, HOME and the XDG folders in temporary
// folders, driven by its script variable, and checks what it shows and what it leaves on disk.
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QResource>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

const QString kTitle = QStringLiteral("Jukora 2 - Install");
const QString kFilesMissing = QStringLiteral(
    "Not all files have been installed successfully, please check files are present and try "
    "again.");
const QString kNotLocal = QStringLiteral(
    "Application must be stored on a hard drive e.g. '/home/you/Jukora/' not a server");
const QByteArray kNewLibrary("SQLite format 3\0new library", 27);
const QByteArray kNewComponent("qres\0\0\0\3new component", 21);
// The player stand-in writes its own path into "started" beside it.
const QByteArray kFakePlayer("#!/bin/sh\nprintf '%s' \"$0\" > \"$(dirname \"$0\")/started\"\n");

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

bool WaitFor(const std::function<bool()>& condition, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > ms)
            return false;
        QThread::msleep(20);
    }
    return true;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

struct Transcript {
    int exitCode = -1;
    QList<QStringList> lines;

    QStringList Kind(const QString& kind) const {
        QStringList found;
        for (const QStringList& line : lines)
            if (line.value(0) == kind)
                found += line.mid(1).join(u'|');
        return found;
    }
    QString Field(const QString& name) const {
        for (const QStringList& line : lines)
            if (line.value(0) == QLatin1String("field") && line.value(1) == name)
                return line.value(2);
        return QStringLiteral("<no field>");
    }
};

// One installer with its own folder (a copy of the program beside the files it installs), and a
// home of its own.
struct Installer {
    QTemporaryDir root;
    QString home = root.path() + QStringLiteral("/home");
    QString setup = root.path() + QStringLiteral("/setup");
    QString installer = QStringLiteral(JUKORA_INSTALL_BINARY);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();

    Installer() {
        QDir().mkpath(home);
        QDir().mkpath(setup);
        for (const char* name : {"XDG_DATA_HOME", "DBUS_SESSION_BUS_ADDRESS",
                                 "JUKORA_PROGRAM_FOLDER", "XDG_DATA_DIRS"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.path());
    }
    // The installer's folder with the stand-in player and small library and component files.
    void LayOutSetup() {
        QFile::copy(installer, setup + QStringLiteral("/jukora-install"));
        installer = setup + QStringLiteral("/jukora-install");
        Write(setup + QStringLiteral("/Jukora"), kFakePlayer);
        QFile::setPermissions(setup + QStringLiteral("/Jukora"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        Write(setup + QStringLiteral("/dbMedia.mdb"), kNewLibrary);
        Write(setup + QStringLiteral("/KorvexX2.OCX"), kNewComponent);
    }
    QString Default() const { return home + QStringLiteral("/.local/share/Orvane/Jukora/"); }
    QString SystemFolder() const { return home + QStringLiteral("/.local/lib"); }

    Transcript Start(const QStringList& script) {
        QProcess process;
        QProcessEnvironment env = environment;
        env.insert(QStringLiteral("JUKORA_INSTALL_SCRIPT"), script.join(u'\n') + u'\n');
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(root.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(installer, {});
        Transcript run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished(5000);
            ADD_FAILURE() << "jukora-install did not end";
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        for (const QString& line :
             QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts))
            run.lines += line.split(u'\t');
        return run;
    }
};

QStringList FullRunStatuses(const QString& firstText, const QString& lastSteps) {
    return {QStringLiteral("10|") + firstText,       QStringLiteral("20|Copying Jukora"),
            QStringLiteral("30|Copying Jukora"),     QStringLiteral("40|Copying Database"),
            QStringLiteral("50|Copying Database"),   QStringLiteral("60|Copying Components"),
            QStringLiteral("70|Copying Components"), QStringLiteral("80|") + lastSteps,
            QStringLiteral("90|") + lastSteps,       QStringLiteral("100|Installation Finished")};
}

TEST(Installer, LoadProposesTheUsersDataFolderAndWarnsAboutARunningCopy) {
    Installer setup;
    setup.LayOutSetup();
    Transcript run = setup.Start({});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.Field(QStringLiteral("txtPath")), setup.Default());
    EXPECT_EQ(run.Field(QStringLiteral("lblSYSPath")), setup.SystemFolder());
    EXPECT_EQ(run.Field(QStringLiteral("lblStatus")), QStringLiteral("Ready to install"));
    EXPECT_EQ(run.Kind(QStringLiteral("box")),
              QStringList{QStringLiteral(
                  "Jukora Installation...|critical|ok|Please ensure if you already have an "
                  "earlier version of Jukora that it is closed now.")});
    EXPECT_FALSE(QFileInfo::exists(setup.home + QStringLiteral("/.local")));

    const QString data = setup.root.path() + QStringLiteral("/data");
    setup.environment.insert(QStringLiteral("XDG_DATA_HOME"), data);
    run = setup.Start({});
    EXPECT_EQ(run.Field(QStringLiteral("txtPath")), data + QStringLiteral("/Orvane/Jukora/"));
}

TEST(Installer, FirstInstallMakesTheMissingLevelsOutermostFirstAndStartsThePlayer) {
    Installer setup;
    setup.LayOutSetup();
    const QString F = setup.Default();
    Transcript run = setup.Start({QStringLiteral("install")});
    ASSERT_EQ(run.exitCode, 0);
    const QString local = setup.home + QStringLiteral("/.local/");
    EXPECT_EQ(run.Kind(QStringLiteral("made")),
              (QStringList{local, local + QStringLiteral("share/"),
                           local + QStringLiteral("share/Orvane/"), F}));
    EXPECT_EQ(run.Kind(QStringLiteral("status")),
              FullRunStatuses(QStringLiteral("Creating Directories"),
                              QStringLiteral("Creating desktop shortcut")));
    EXPECT_EQ(run.Kind(QStringLiteral("box")).value(1),
              kTitle + QStringLiteral("|none|ok|Installation has finished successfully"));
    EXPECT_EQ(run.Kind(QStringLiteral("started")), QStringList{F + QStringLiteral("Jukora|1")});

    EXPECT_EQ(Read(F + QStringLiteral("Jukora")), kFakePlayer);
    EXPECT_TRUE(QFileInfo(F + QStringLiteral("Jukora")).isExecutable());
    EXPECT_EQ(Read(F + QStringLiteral("dbMedia.mdb")), kNewLibrary);
    EXPECT_EQ(Read(setup.SystemFolder() + QStringLiteral("/KorvexX2.OCX")), kNewComponent);
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(F + QStringLiteral("started")); }, 10000))
        << "the installed player was not started";
    EXPECT_EQ(Read(F + QStringLiteral("started")), (F + QStringLiteral("Jukora")).toUtf8());
    // Nothing half-written or temporary is left beside the installed files.
    EXPECT_EQ(Entries(F), (QStringList{QStringLiteral("Jukora"), QStringLiteral("Other"),
                                       QStringLiteral("PlayLists"), QStringLiteral("dbMedia.mdb"),
                                       QStringLiteral("started")}));

    // A second installation into the same folder: nothing to make, the library question, and
    // Yes replaces the library and drops the old library's journal.
    Write(F + QStringLiteral("dbMedia.mdb"), "the user's library");
    Write(F + QStringLiteral("dbMedia.mdb-wal"), "journal of the user's library");
    run = setup.Start({QStringLiteral("answer Yes"), QStringLiteral("install")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.Kind(QStringLiteral("made")).isEmpty());
    EXPECT_EQ(run.Kind(QStringLiteral("status")).value(0),
              QStringLiteral("10|Starting installation"));
    EXPECT_EQ(run.Kind(QStringLiteral("box")).value(1),
              QStringLiteral("Clear current library?|none|yesno|You already have a media library "
                             "present, would you like to clear your current library?"));
    EXPECT_EQ(Read(F + QStringLiteral("dbMedia.mdb")), kNewLibrary);
    EXPECT_FALSE(QFileInfo::exists(F + QStringLiteral("dbMedia.mdb-wal")));
}

TEST(Installer, NoToClearLibraryKeepsTheLibraryAndStillInstallsTheRest) {
    Installer setup;
    setup.LayOutSetup();
    const QString F = setup.Default();
    QByteArray library(70000, '\0');
    for (int i = 0; i < library.size(); ++i)
        library[i] = static_cast<char>(i * 31 % 251);
    Write(F + QStringLiteral("dbMedia.mdb"), library);
    Write(F + QStringLiteral("dbMedia.mdb-wal"), "journal");
    Write(F + QStringLiteral("Jukora"), "an older player");
    const Transcript run = setup.Start({QStringLiteral("answer No"), QStringLiteral("install")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.Kind(QStringLiteral("box")).value(1).startsWith(u"Clear current library?"));
    EXPECT_EQ(Read(F + QStringLiteral("dbMedia.mdb")), library);
    EXPECT_EQ(Read(F + QStringLiteral("dbMedia.mdb-wal")), QByteArray("journal"));
    EXPECT_EQ(Read(F + QStringLiteral("Jukora")), kFakePlayer);
    EXPECT_EQ(Read(setup.SystemFolder() + QStringLiteral("/KorvexX2.OCX")), kNewComponent);
}

TEST(Installer, AComponentAlreadyInTheSystemFolderIsLeftAsItIs) {
    Installer setup;
    setup.LayOutSetup();
    const QString component = setup.SystemFolder() + QStringLiteral("/KorvexX2.OCX");
    Write(component, "the user's own skin");
    const Transcript run = setup.Start({QStringLiteral("install")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(Read(component), QByteArray("the user's own skin"));
    EXPECT_EQ(Read(setup.Default() + QStringLiteral("Jukora")), kFakePlayer);
}

TEST(Installer, FoldersThatAreNotLocalAbsolutePathsStopBeforeAnythingIsMade) {
    Installer setup;
    setup.LayOutSetup();
    const struct {
        const char* path;
        QString message;
    } cases[] = {
        {"Orvane/Jukora/", kNotLocal},
        {"//server/share/Jukora/", kNotLocal},
        {"C:\\Program Files\\Orvane\\Jukora\\",
         QStringLiteral("Directories should be seperated by a slash '/'")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const Transcript run = setup.Start(
            {QStringLiteral("path ") + QLatin1String(c.path), QStringLiteral("install")});
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_EQ(run.Kind(QStringLiteral("box")).value(1),
                  kTitle + QStringLiteral("|none|ok|") + c.message);
        EXPECT_TRUE(run.Kind(QStringLiteral("status")).isEmpty());
        EXPECT_TRUE(run.Kind(QStringLiteral("made")).isEmpty());
    }
    EXPECT_EQ(Entries(setup.root.path()),
              (QStringList{QStringLiteral("home"), QStringLiteral("setup")}));
}

TEST(Installer, WithoutTheShortcutTheLastStepsReadFinishingInstallation) {
    Installer setup;
    setup.LayOutSetup();
    const Transcript run = setup.Start({QStringLiteral("desktop 0"), QStringLiteral("install")});
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.Kind(QStringLiteral("status")),
              FullRunStatuses(QStringLiteral("Creating Directories"),
                              QStringLiteral("Finishing Installation")));
    EXPECT_FALSE(QFileInfo::exists(setup.home + QStringLiteral("/Desktop/Jukora.desktop")));
    // The applications menu lists Jukora either way.
    EXPECT_TRUE(QFileInfo::exists(setup.home +
                                  QStringLiteral("/.local/share/applications/jukora.desktop")));
}

TEST(Installer, AMissingSourceFileStopsAtTheProgramCopyAndLeavesNothingHalfWritten) {
    Installer setup;
    setup.LayOutSetup();
    QFile::remove(setup.setup + QStringLiteral("/Jukora"));
    Transcript run = setup.Start({QStringLiteral("install")});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.Kind(QStringLiteral("box")).value(1),
              kTitle + QStringLiteral("|none|ok|") + kFilesMissing);
    EXPECT_TRUE(run.Kind(QStringLiteral("status")).isEmpty());
    EXPECT_TRUE(Entries(setup.Default()).isEmpty());

    // A level below "Jukora" is not made by the walk, so the program cannot be copied there.
    setup.LayOutSetup();
    const QString deeper = setup.root.path() + QStringLiteral("/apps/Jukora/Data/");
    run = setup.Start({QStringLiteral("path ") + deeper, QStringLiteral("install")});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.Kind(QStringLiteral("made")).value(1),
              setup.root.path() + QStringLiteral("/apps/Jukora/"));
    EXPECT_EQ(run.Kind(QStringLiteral("box")).value(1),
              kTitle + QStringLiteral("|none|ok|") + kFilesMissing);
    EXPECT_FALSE(QFileInfo::exists(deeper));
}

TEST(Installer, ALevelThatCannotBeMadeIsReportedOnce) {
    Installer setup;
    setup.LayOutSetup();
    Write(setup.home + QStringLiteral("/blocked"), "a file where a folder should be");
    const Transcript run =
        setup.Start({QStringLiteral("path ") + setup.home + QStringLiteral("/blocked/Jukora"),
                     QStringLiteral("install")});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.Kind(QStringLiteral("box")).mid(1),
              QStringList{kTitle + QStringLiteral("|none|ok|The folder '") + setup.home +
                          QStringLiteral("/blocked/' could not be created, please check that you "
                                         "may write there and try again.")});
}

// Starts a launcher file as the desktop does, through GLib's own reading of the launcher format.
bool Launch(const QString& launcher) {
    QProcess gio;
    gio.setProcessChannelMode(QProcess::ForwardedChannels);
    gio.start(QStringLiteral("gio"), {QStringLiteral("launch"), launcher});
    return gio.waitForFinished(10000) && gio.exitStatus() == QProcess::NormalExit &&
           gio.exitCode() == 0;
}

TEST(Installer, TheDesktopLauncherRunsTheInstalledPlayerFromAFolderWithBlanks) {
    Installer setup;
    setup.LayOutSetup();
    Write(setup.home + QStringLiteral("/.config/user-dirs.dirs"),
          "XDG_DESKTOP_DIR=\"$HOME/My Desk\"\n");
    const QString F = setup.root.path() + QStringLiteral("/My \"Apps\" $HOME `x`/Orvane/Jukora/");
    const Transcript run = setup.Start({QStringLiteral("path ") + F, QStringLiteral("install")});
    ASSERT_EQ(run.exitCode, 0);
    const QString launcher = setup.home + QStringLiteral("/My Desk/Jukora.desktop");
    ASSERT_TRUE(QFileInfo(launcher).isExecutable());
    const QByteArray entry = Read(launcher);
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("\nName=Jukora\n"));
    EXPECT_FALSE(entry.contains("%f"));
    const QString icon =
        setup.home + QStringLiteral("/.local/share/icons/hicolor/scalable/apps/jukora.svg");
    EXPECT_TRUE(entry.contains("\nIcon=" + icon.toUtf8() + '\n'));
    EXPECT_TRUE(Read(icon).contains("<svg"));

    const QString started = F + QStringLiteral("started");
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(started); }, 10000));
    QFile::remove(started);
    ASSERT_TRUE(Launch(launcher));
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(started); }, 10000));
    EXPECT_EQ(Read(started), (F + QStringLiteral("Jukora")).toUtf8());

    // The menu entry offers Jukora for its media types without making it the default.
    const QString menu = setup.home + QStringLiteral("/.local/share/applications/jukora.desktop");
    EXPECT_TRUE(Read(menu).contains("\nMimeType=audio/mpeg;")) << Read(menu).constData();
    EXPECT_TRUE(Read(menu).contains(" %f\n"));
    QFile::remove(started);
    ASSERT_TRUE(Launch(menu));
    EXPECT_TRUE(WaitFor([&] { return QFileInfo::exists(started); }, 10000));
    QDirIterator anywhere(setup.home, {QStringLiteral("mimeapps.list")}, QDir::Files,
                          QDirIterator::Subdirectories);
    EXPECT_FALSE(anywhere.hasNext());
}

TEST(Installer, AShortcutThatCannotBePlacedIsReportedAndTheInstallationFinishes) {
    Installer setup;
    setup.LayOutSetup();
    Write(setup.home + QStringLiteral("/Desktop"), "a file where the desktop folder should be");
    const Transcript run = setup.Start({QStringLiteral("install")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(
        run.Kind(QStringLiteral("box")).mid(1),
        (QStringList{kTitle + QStringLiteral("|none|ok|Shortcut could not be placed on the "
                                             "desktop or it already exists."),
                     kTitle + QStringLiteral("|none|ok|Installation has finished successfully")}));
    EXPECT_EQ(run.Kind(QStringLiteral("status")).size(), 10);
    EXPECT_TRUE(WaitFor(
        [&] { return QFileInfo::exists(setup.Default() + QStringLiteral("started")); }, 10000));
}

// The process whose program is the given file, or 0.
qint64 ProcessRunning(const QString& program) {
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 id = pid.toLongLong(&number);
        if (number && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == program)
            return id;
    }
    return 0;
}

TEST(Installer, TheBuiltInstallerFolderInstallsAndStartsTheRealPlayer) {
    Installer setup;
    const QString dist = QStringLiteral(JUKORA_DIST_INSTALL);
    setup.installer = dist + QStringLiteral("/jukora-install");
    const QString F = setup.Default();
    const Transcript run = setup.Start({QStringLiteral("install")});
    // The player was started by the installer and waits for its first answer: it is ended here,
    // before anything else is checked, so that no check can leave it running.
    qint64 player = 0;
    const bool running = WaitFor(
        [&] { return (player = ProcessRunning(F + QStringLiteral("Jukora"))) != 0; }, 15000);
    if (running)
        ::kill(static_cast<pid_t>(player), SIGKILL);
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_TRUE(running) << "the installed player is not running";
    for (const char* name : {"Jukora", "dbMedia.mdb"})
        EXPECT_EQ(Read(F + QLatin1String(name)), Read(dist + u'/' + QLatin1String(name))) << name;
    const QString component = setup.SystemFolder() + QStringLiteral("/KorvexX2.OCX");
    EXPECT_EQ(Read(component), Read(dist + QStringLiteral("/KorvexX2.OCX")));
    ASSERT_TRUE(QResource::registerResource(component));
    for (const char* image : {":/skin/frmPlayer/imgBG.png", ":/skin/frmPlayer/imgPlayOver.png",
                              ":/skin/frmSkin/imgBG@2x.png"})
        EXPECT_TRUE(QFileInfo::exists(QLatin1String(image))) << image;
    QResource::unregisterResource(component);
}
} // namespace
