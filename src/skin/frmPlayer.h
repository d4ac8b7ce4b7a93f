// The main window. It owns the player state, the three record sources of the main window and the
// other windows, lives from start to end of the program, and its unload ends the program.
//
// Its procedures are defined by subsystem: start-up, hand-off and shutdown in
// core/frmPlayer_Startup.cpp, the library lists in browser/frmPlayer_Lists.cpp, playing and the
// cue queue in playback/frmPlayer_Playback.cpp, and the window, its layout and hover scheme in
// skin/frmPlayer.cpp.
#pragma once

#include "core/InstanceLock.h"
#include "core/PlayerState.h"
#include "core/Store.h"
#include "media/MediaModules.h"
#include "skin/SkinImage.h"

#include <QTimer>
#include <QWidget>

class ComboList;
class Dialogs;
class FileListBox;
class ListBox;
class MciSender;
class QLabel;
class QLineEdit;
class frmAdd;
class frmInfo;
class frmSkin;

// What the main window is given by the program (or by a test).
struct PlayerServices {
    Dialogs& dialogs;
    MciSender& media;
    QString programFolder;
    QString commandLine; // the raw command line: arguments after the program name
};

class frmPlayer : public QWidget {
    Q_OBJECT
public:
    explicit frmPlayer(PlayerServices services);
    ~frmPlayer() override;

    // Shared state (public variables and hidden lists and labels).
    PlayerState state;

    // Record sources of the main window.
    RecordSource datSong{QStringLiteral("tblSong")};
    RecordSource datPlayList{QStringLiteral("tblPlayList")};
    RecordSource datTracks{QStringLiteral("tblPlayListTracks")};

    MediaContext media;
    Dialogs& dialogs;

    // Timers: the deferred reload, the playback tick, the cue-file poll.
    QTimer Timer1, tmrPlay, tmrCueSong;

    // Visible lists and the controls other windows and procedures reach.
    ListBox* lstPlayLists = nullptr;
    ListBox* lstArtist = nullptr;
    ListBox* lstTracks = nullptr;
    ListBox* lstCuedSongs = nullptr;
    ListBox* lstEditPlayList = nullptr;  // edit panel: the user playlists
    ListBox* lstAddToPlaylist = nullptr; // add panel: the user playlists, sorted
    QLineEdit* txtSearch = nullptr;
    QLabel* lblProgress = nullptr; // progress thumb
    QLabel* imgprogress = nullptr; // played part of the progress bar
    FileListBox* File1 = nullptr;
    QLabel* lblRunningTime = nullptr;
    QLabel* lblTrack = nullptr;
    QLabel* lblCopyright = nullptr;
    QWidget* fraAddToPlaylist = nullptr;
    QWidget* fraEditPlayList = nullptr;

    // Skinned buttons: normal and Over image at one place.
    ImagePair imgFiles, imgNew, imgEdit, imgnorepeat, imgrepeat, imgInfo, imgSkin, imgBrowse,
        imgCue, imgAdd, imgDelete, imgVid, imgSeperate, imgNoSeperate, imgRepeatVid, imgNoRepeatVid,
        imgUnCue, imgPlay, imgPause, imgStop, imgVolDown, imgVolUp, imgOk, imgBack, imgRename,
        imgRenameTrack, imgDeletePlayList, imgSave, imgEditBack;

    // The other windows.
    frmSkin* skin() const { return skin_; }
    frmInfo* info() const { return info_; }
    frmAdd* add(); // loads the add-media window on first use
    frmAdd* addIfLoaded() const { return add_; }

    // Start-up, hand-off and shutdown.
    void Form_Load();
    void Form_Activate();
    void SetFormLoad();
    void Timer1_Timer();
    void CheckAlreadyMedia(const QString& FileName);
    void File1_DblClick();
    void Form_Unload();
    bool IsUnloaded() const { return unloaded_; }
    bool AnotherCopyRunning() const { return !lock_.IsHeld(); }
    QString LibraryPath() const;
    QString CueFilePath() const;
    const QString& ProgramFolderPath() const { return programFolder_; }
    const QString& CommandLine() const { return commandLine_; }

    // Library lists.
    void LoadTracks();
    void LoadPlayLists();
    void lstPlayLists_Click();
    void lstArtist_Click();
    void lstArtist_KeyDown(int KeyCode);
    void FindTracks(qint16 ID);
    void addplaylistsong(qint16 ID);
    // Select by program and run the click handler at once.
    void SelectPlayList(int index);
    void SelectArtist(int index);

    // Search and track activation.
    void txtSearch_Change();
    void txtSearch_KeyDown(int KeyCode);
    void txtSearch_LostFocus();
    void lstTracks_DblClick();
    void lstTracks_KeyDown(int KeyCode);

    // Playing and the cue queue.
    void PlaySong(qint16 ID, const QString& path);
    void CueASong(qint16 ID);
    void tmrCueSong_Timer();
    void tmrPlay_Timer();

    // Skin.
    void NoMouseOvers();

    static QString Caption();

signals:
    void Unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void BuildButtons();
    void ConnectHover(ImagePair& pair, bool restoreOthersFirst = false);
    void ShowToggle(ImagePair& on, ImagePair& off, bool showOn);
    void ReloadFailed(const StoreError* storeError);
    QString HandedInPath();
    bool PendingHandOffTaken();
    void ShowUnusableLibrary(const QString& problem);
    void AddTrackLine(qint16 number, int position, bool toMiniPlayer = true);
    void FillArtistLists(bool withMiniPlayer);
    void ListTop20(bool collectArtists);
    bool artistRebuildDeferred_ = false;

    QString programFolder_;
    QString commandLine_;
    InstanceLock lock_;
    frmSkin* skin_ = nullptr;
    frmInfo* info_ = nullptr;
    frmAdd* add_ = nullptr;
    bool libraryUsable_ = false;
    bool unloaded_ = false;
};
