// The installer's window "Jukora 2 - Install": the install folder, the desktop-shortcut choice,
// the install run (folders, the three files, the launchers) and the progress run that ends by
// starting the installed player. Each source file is taken from the installer's own folder.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class InstallDialogs;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

class frmInstall final : public QWidget {
    Q_OBJECT
public:
    frmInstall(InstallDialogs& dialogs, const QString& ownFolder);

    // Proposes the install folder, shows the system folder and warns about a running copy.
    void Form_Load();
    // The install run. Stops with a message at the stage that failed, the window staying open;
    // when everything is in place it starts the progress run.
    void cmdInstall_Click();
    // One step of the progress run (every 100 ms once started).
    void tmrInstall_Timer();

    // Creates the folder when it does not exist. False when it cannot be created.
    bool MakeDirectory(const QString& thepath);
    // True for an existing file; false for a folder, a missing path or any failure.
    static bool FileExists(const QString& FileName);
    // Installs one file of the list by its rule. False when the file could not be put in place.
    bool CopyFile(const QString& FileName);

    bool ProgressRunning() const;

    QLabel* Label1;
    QLineEdit* txtPath;
    QCheckBox* chkDesktop;
    QPushButton* cmdInstall;
    QLabel* Label2;
    QLabel* lblStatus;
    QFrame* Picture1;
    QLabel* lblProgress;
    QLabel* lblProg;
    QLabel* Label3;
    QLabel* lblSYSPath;
    QTimer* tmrInstall;

signals:
    void statusShown(int width, const QString& text);
    void folderMade(const QString& path);
    void playerStarted(const QString& program, bool started);

private:
    enum class RunEnd { Stopped, Restart, Done };
    RunEnd InstallRun();
    RunEnd WalkLevels(const QStringList& levels);
    RunEnd Fail(int stage);
    bool MakeLaunchers();
    void SetProgressWidth(int width);
    void ShowStatus(const QString& text);
    void StartPlayer();

    InstallDialogs& dialogs;
    const QString ownFolder;
    QString installFolder; // the install folder of the last run, ending in "/"
    bool DirsCreated = false;
    int progressWidth = 0;
};
