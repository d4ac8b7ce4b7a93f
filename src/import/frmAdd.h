// The add-media window: browse drives, folders and files, add the chosen file or every suitable
// file of the folder. It also carries the import state (the id counters, the list of paths
// refused for their length) and addfile, through which every media file enters the library.
//
// The window object lives as long as the main window. "Loading" it (Load) gives its controls
// their start state and opens its record sources; "unloading" it (Unload) closes both. The
// list of refused paths belongs to the object and survives unloading.
#pragma once

#include "core/Store.h"
#include "skin/SkinImage.h"

#include <QTimer>
#include <QWidget>

class FileListBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class frmPlayer;

class frmAdd : public QWidget {
    Q_OBJECT
public:
    explicit frmAdd(frmPlayer& player);

    RecordSource datAdd{QStringLiteral("tblSong")};
    RecordSource datFolder{QStringLiteral("tblFolder")};
    QString lblEntryCount;  // last song identity handed out ("Song ID" after loading)
    QString lblEntryCount2; // last folder identity ("Folder ID" after loading)
    QString Label1, Label2; // artist and title while a file name is split
    QString longfilelist;   // paths refused for their length, each after CR LF

    // Controls.
    QComboBox* Drive1 = nullptr;
    QListWidget* Dir1 = nullptr;
    FileListBox* File1 = nullptr;
    QComboBox* cmbPattern = nullptr;
    ImagePair imgAdd, imgAddAll, imgBack;
    SkinImage* imgCheck = nullptr;
    SkinImage* imgCheckChecked = nullptr;
    QTimer tmrLoad;
    QProgressBar* progress = nullptr; // shown while a long folder import runs
    QLabel* progressText = nullptr;

    void Load();
    void Unload();
    bool IsLoaded() const { return loaded_; }
    void NoMouseOvers();

    // Appends one song and returns its identity. Refused for length: the path joins
    // longfilelist, nothing is written, the main window re-reads its songs, and 0 is returned.
    // The identity is one more than the last one of the set, or of the library file when
    // another program has appended since. Store failures from the new record on reach the caller.
    // A path that could never be played (UnstorablePathReason) is refused: StoreError
    // Kind::Refused, with the reason as its message, and nothing is written.
    int addfile(const QString& ThePath, const QString& theartist, const QString& thetitle);

    void imgAddOver_Click();    // adds the selected file
    void imgAddAllOver_Click(); // adds every suitable file of the folder
    void imgBackOver_Click();   // back to the main window
    void Command1_Click();      // loads the two id counters
    void tmrLoad_Timer();
    void Dir1_Change();
    void Drive1_Change();
    void cmbPattern_Change();
    bool HideAfterFolder() const;
    void SetDirPath(const QString& path);
    const QString& DirPath() const { return dirPath_; }

    // How long a folder import runs before its progress shows (tests set 0).
    int progressDelayMs = 500;

    // A folder import is running. Closing this window or the main window meanwhile stops it
    // after the file being added; the user is told how many files were added, then the window
    // closes (with `endProgram`, the main window: the program ends).
    bool Importing() const { return importing_; }
    void StopImport(bool endProgram) {
        stopRequested_ = true;
        endProgramAfterImport_ = endProgramAfterImport_ || endProgram;
    }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ReportNotAdded(const QStringList& paths, const QString& reason);
    void FinishImport(int added, bool stopped, const QStringList& failed, const QString& failure);
    void OpenFolderItem(const QListWidgetItem* item);
    bool placed_ = false; // placed over the main window since the last load
    bool importing_ = false;
    bool stopRequested_ = false;
    bool closeAfterImport_ = false;
    bool endProgramAfterImport_ = false;
    void BuildControls();
    bool AddByFileNameRule(const QString& name);
    void ReturnToMain();
    void ShowProgress(int done, int total);
    void FillDrives();

    frmPlayer& player_;
    bool loaded_ = false;
    int loadTicks_ = 0;
    QString dirPath_;
};
