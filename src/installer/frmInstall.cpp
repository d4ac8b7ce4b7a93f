#include "installer/frmInstall.h"

#include "installer/InstallDialogs.h"
#include "installer/InstallFiles.h"
#include "installer/InstallPlaces.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

namespace {
const QString kTitle = QStringLiteral("Jukora 2 - Install");
const QString kProgram = QStringLiteral("Jukora");
const QString kLibrary = QStringLiteral("dbMedia.mdb");
const QString kComponent = QStringLiteral("sysKorvexX2.OCX");
const QString kSystemMark = QStringLiteral("sys");
constexpr int kTickMs = 100;
constexpr int kBarPixels = 200;
constexpr int kFullWidth = 100;
// Each run ends after making one missing level; a path has far fewer levels than this.
constexpr int kMaxRuns = 4096;

QString StageMessage(int stage) {
    switch (stage) {
    case 1:
        return QStringLiteral("Directories should be seperated by a slash '/'");
    case 2:
        return QStringLiteral(
            "Application must be stored on a hard drive e.g. '/home/you/Jukora/' not a server");
    case 7:
        return QStringLiteral("Shortcut could not be placed on the desktop or it already exists.");
    default:
        return QStringLiteral("Not all files have been installed successfully, please check files "
                              "are present and try again.");
    }
}

// The folder as a local absolute path: it starts at "/", and neither it nor the nearest of its
// parents that exists lies on a network file system.
bool IsLocalFolder(const QString& path) {
    return path.startsWith(u'/') && QDir(QStringLiteral("/")).exists() && !IsNetworkPath(path);
}
} // namespace

frmInstall::frmInstall(InstallDialogs& dialogs_, const QString& ownFolder_)
    : dialogs(dialogs_), ownFolder(ownFolder_) {
    setObjectName(QStringLiteral("frmInstall"));
    setWindowTitle(kTitle);
    Label1 = new QLabel(QStringLiteral("Install to:"), this);
    txtPath = new QLineEdit(this);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    chkDesktop = new QCheckBox(QStringLiteral("Place shortcut on desktop"), this);
    chkDesktop->setChecked(true);
    cmdInstall = new QPushButton(QStringLiteral("Install"), this);
    Label2 = new QLabel(QStringLiteral("Status:"), this);
    lblStatus = new QLabel(QStringLiteral("Ready to install"), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    Picture1 = new QFrame(this);
    Picture1->setFrameShape(QFrame::Box);
    Picture1->setFixedSize(kBarPixels + 2, 14);
    lblProgress = new QLabel(Picture1);
    lblProgress->setAutoFillBackground(true);
    lblProgress->setStyleSheet(QStringLiteral("background-color: #4fb3d9;"));
    lblProgress->setGeometry(1, 1, 0, 12);
    lblProg = new QLabel(kProgram, this);
    QFont big = lblProg->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    lblProg->setFont(big);
    Label3 = new QLabel(QStringLiteral("2.1"), this);
    lblSYSPath = new QLabel(this);
    lblSYSPath->setObjectName(QStringLiteral("lblSYSPath"));
    lblSYSPath->setEnabled(false);
    tmrInstall = new QTimer(this);
    tmrInstall->setInterval(kTickMs);
    connect(tmrInstall, &QTimer::timeout, this, &frmInstall::tmrInstall_Timer);
    connect(cmdInstall, &QPushButton::clicked, this, &frmInstall::cmdInstall_Click);
    connect(txtPath, &QLineEdit::returnPressed, this, &frmInstall::cmdInstall_Click);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblProg, 0, 0);
    grid->addWidget(Label3, 0, 1, Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(txtPath, 1, 1, 1, 2);
    grid->addWidget(chkDesktop, 2, 1);
    grid->addWidget(cmdInstall, 2, 2);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(lblStatus, 3, 1);
    grid->addWidget(Picture1, 4, 1, 1, 2);
    grid->addWidget(lblSYSPath, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    resize(460, sizeHint().height());
}

void frmInstall::Form_Load() {
    txtPath->setText(DefaultInstallFolder());
    SetProgressWidth(0);
    DirsCreated = false;
    lblSYSPath->setText(SystemFolder());
    dialogs.MsgBox(QStringLiteral("Please ensure if you already have an earlier version of Jukora "
                                  "that it is closed now."),
                   BoxButtons::Ok, QStringLiteral("Jukora Installation..."), BoxIcon::Critical);
}

void frmInstall::cmdInstall_Click() {
    if (ProgressRunning())
        return;
    for (int run = 0; run < kMaxRuns; ++run)
        if (InstallRun() != RunEnd::Restart)
            return;
}

frmInstall::RunEnd frmInstall::InstallRun() {
    QString path = txtPath->text();
    if (!path.endsWith(u'/')) {
        path += u'/';
        txtPath->setText(path);
    }
    // Stage 1: the levels are "/" separated.
    if (path.contains(u'\\'))
        return Fail(1);
    // Stage 2: the root of a local file system.
    if (!IsLocalFolder(path))
        return Fail(2);
    const RunEnd walked = WalkLevels(path.split(u'/'));
    if (walked != RunEnd::Done)
        return walked;
    installFolder = path;
    if (!CopyFile(kProgram))
        return Fail(4);
    if (!CopyFile(kLibrary))
        return Fail(5);
    if (!CopyFile(kComponent))
        return Fail(6);
    if (!MakeLaunchers())
        Fail(7); // reported; the installation still finishes
    cmdInstall->setEnabled(false);
    tmrInstall->start();
    return RunEnd::Done;
}

// Stage 3: each missing level is made, then the run starts over, so the levels are made outermost
// first. The walk ends at the level "Jukora", else at the last level; level 0 is the root's empty
// name. Done when every level walked exists.
frmInstall::RunEnd frmInstall::WalkLevels(const QStringList& levels) {
    int last = static_cast<int>(levels.size()) - 1;
    while (last > 0 && levels[last].isEmpty())
        --last;
    QString reached = QStringLiteral("/");
    for (int i = 1; i <= last; ++i) {
        if (levels[i].isEmpty())
            continue;
        reached += levels[i] + u'/';
        if (!QFileInfo(reached).isDir()) {
            if (!MakeDirectory(reached)) {
                dialogs.MsgBox(QStringLiteral("The folder '%1' could not be created, please check "
                                              "that you may write there and try again.")
                                   .arg(reached),
                               BoxButtons::Ok, kTitle, BoxIcon::None);
                return RunEnd::Stopped;
            }
            return RunEnd::Restart;
        }
        if (levels[i] == kProgram)
            break;
    }
    return RunEnd::Done;
}

frmInstall::RunEnd frmInstall::Fail(int stage) {
    dialogs.MsgBox(StageMessage(stage), BoxButtons::Ok, kTitle, BoxIcon::None);
    return RunEnd::Stopped;
}

bool frmInstall::MakeDirectory(const QString& thepath) {
    if (QFileInfo(thepath).isDir())
        return true;
    if (!QDir().mkdir(thepath))
        return false;
    DirsCreated = true;
    emit folderMade(thepath);
    return true;
}

bool frmInstall::FileExists(const QString& FileName) {
    return QFileInfo(FileName).isFile();
}

bool frmInstall::CopyFile(const QString& FileName) {
    const QString& F = installFolder;
    if (FileName.startsWith(kSystemMark)) {
        const QString name = FileName.mid(kSystemMark.size());
        const QString S = SystemFolder();
        if (FileExists(S + u'/' + name))
            return true;
        return QDir().mkpath(S) && CopyIntoPlace(ownFolder + u'/' + name, S + u'/' + name);
    }
    if (FileName == kLibrary && FileExists(F + FileName)) {
        if (dialogs.MsgBox(QStringLiteral("You already have a media library present, would you "
                                          "like to clear your current library?"),
                           BoxButtons::YesNo, QStringLiteral("Clear current library?"),
                           BoxIcon::None) != BoxAnswer::Yes)
            return true;
        // The journal of the old library must not be applied to the new file.
        return CopyIntoPlace(ownFolder + u'/' + FileName, F + FileName, [&F, &FileName] {
            for (const char* suffix : {"-wal", "-shm"}) {
                QFile journal(F + FileName + QLatin1String(suffix));
                if (journal.exists() && !journal.remove())
                    return false;
            }
            return true;
        });
    }
    return CopyIntoPlace(ownFolder + u'/' + FileName, F + FileName);
}

bool frmInstall::MakeLaunchers() {
    const QString program = installFolder + kProgram;
    bool placed = true;
    QFile icon(QStringLiteral(":/jukora.svg"));
    const bool iconPlaced =
        icon.open(QIODevice::ReadOnly) && QDir().mkpath(QFileInfo(IconFile()).absolutePath()) &&
        WriteIntoPlace(IconFile(), icon.readAll(),
                       QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const QString iconName = iconPlaced ? IconFile() : QStringLiteral("jukora");
    constexpr QFileDevice::Permissions kLauncherMode =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    // The applications menu lists Jukora and offers it for its media types; it does not make it
    // the default for any of them.
    const QString menuEntry = ApplicationsFolder() + QStringLiteral("/jukora.desktop");
    if (!QDir().mkpath(ApplicationsFolder()) ||
        !WriteIntoPlace(menuEntry, DesktopEntry(program, iconName, true), kLauncherMode))
        dialogs.MsgBox(QStringLiteral("Jukora could not be added to the applications menu."),
                       BoxButtons::Ok, kTitle, BoxIcon::None);
    if (chkDesktop->isChecked()) {
        const QString launcher = DesktopFolder() + QStringLiteral("/Jukora.desktop");
        placed = QDir().mkpath(DesktopFolder()) &&
                 WriteIntoPlace(launcher, DesktopEntry(program, iconName, false), kLauncherMode);
        if (placed)
            MarkTrusted(launcher);
    }
    return placed;
}

bool frmInstall::ProgressRunning() const {
    return tmrInstall->isActive();
}

void frmInstall::SetProgressWidth(int width) {
    progressWidth = width;
    lblProgress->resize(std::min(width, kFullWidth) * kBarPixels / kFullWidth,
                        lblProgress->height());
}

void frmInstall::ShowStatus(const QString& text) {
    lblStatus->setText(text);
    emit statusShown(progressWidth, text);
}

void frmInstall::tmrInstall_Timer() {
    SetProgressWidth(progressWidth + 10);
    const int w = progressWidth;
    // A subfolder that cannot be made (or is there already) is no failure of the run.
    if (w < 20) {
        ShowStatus(DirsCreated ? QStringLiteral("Creating Directories")
                               : QStringLiteral("Starting installation"));
        QDir().mkdir(installFolder + QStringLiteral("PlayLists/"));
    } else if (w < 40) {
        ShowStatus(QStringLiteral("Copying Jukora"));
        QDir().mkdir(installFolder + QStringLiteral("Other/"));
    } else if (w < 60) {
        ShowStatus(QStringLiteral("Copying Database"));
    } else if (w < 80) {
        ShowStatus(QStringLiteral("Copying Components"));
    } else if (w < 100) {
        ShowStatus(chkDesktop->isChecked() ? QStringLiteral("Creating desktop shortcut")
                                           : QStringLiteral("Finishing Installation"));
    } else {
        tmrInstall->stop();
        ShowStatus(QStringLiteral("Installation Finished"));
        dialogs.MsgBox(QStringLiteral("Installation has finished successfully"), BoxButtons::Ok,
                       kTitle, BoxIcon::None);
        StartPlayer();
        close();
    }
}

void frmInstall::StartPlayer() {
    // The installed player finds its program folder beside itself; a folder named for the
    // installer's own environment must not lead it elsewhere.
    QProcess player;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("JUKORA_PROGRAM_FOLDER"));
    environment.remove(QStringLiteral("JUKORA_INSTALL_SCRIPT"));
    player.setProcessEnvironment(environment);
    player.setProgram(installFolder + kProgram);
    const bool started = player.startDetached();
    emit playerStarted(player.program(), started);
    if (!started)
        dialogs.MsgBox(
            QStringLiteral("Jukora could not be started from '%1'.").arg(player.program()),
            BoxButtons::Ok, kTitle, BoxIcon::None);
}
