// The main window. It owns the player state, the three record sources of the main window and the
// other windows, lives from start to end of the program, and its unload ends the program.
//
// Its procedures are defined by subsystem: start-up, hand-off and shutdown in
// core/frmPlayer_Startup.cpp, the library lists in browser/frmPlayer_Lists.cpp, playing and the
// cue queue in playback/frmPlayer_Playback.cpp, and the window, its layout and hover scheme in
// skin/frmPlayer.cpp.
#pragma once

#include "core/InstanceLock.h"
#include "core/Paths.h"
#include "core/PlayerState.h"
#include "core/Store.h"
#include "media/MediaModules.h"
#include "playback/TickPlan.h"
#include "skin/SkinImage.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

class ComboList;
class CreditLabel;
class Dialogs;
class FileListBox;
class ListBox;
class MciSender;
class QLabel;
class QLineEdit;
class QWindow;
class ScaledBox;
class ScaledItem;
class TitleStrip;
class frmAdd;
class frmInfo;
class frmSkin;
class frmVideo;

// What the main window is given by the program (or by a test).
struct PlayerServices {
    PlayerServices(Dialogs& dialogs_, MciSender& media_, QString programFolder_,
                   QString commandLine_, QStringList arguments_ = {})
        : dialogs(dialogs_), media(media_), programFolder(std::move(programFolder_)),
          commandLine(std::move(commandLine_)), arguments(std::move(arguments_)) {}
    Dialogs& dialogs;
    MciSender& media;
    QString programFolder;
    QString commandLine;   // the raw command line: arguments after the program name
    QStringList arguments; // the same arguments one by one (empty: the command line is one)
};

class DeferredCounts;
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
    FileListBox* File1 = nullptr;
    ScaledBox* picSongProgress = nullptr; // scale: seconds of the item
    ScaledItem* lblProgress = nullptr;    // progress thumb
    ScaledItem* imgprogress = nullptr;    // played part of the progress bar
    ScaledBox* picSpeed = nullptr;        // scale: 0 to 2000 (audio) or 0 to 200 (video)
    ScaledItem* lblSongSpeed = nullptr;   // speed thumb
    SkinImage* imgVol = nullptr;          // volume gauge: its width in twips is the volume
    QLabel* lblVol = nullptr;             // click area over the gauge
    QLabel* lblSlider = nullptr;          // splitter between the artist and track lists
    QLabel* lblRunningTime = nullptr;
    QLabel* picTrackTitle = nullptr;
    QLabel* lblTrack = nullptr; // the title; its place in twips is TrackLeft/TrackTop
    CreditLabel* lblCopyright = nullptr;
    QWidget* fraAddToPlaylist = nullptr;
    QWidget* fraEditPlayList = nullptr;
    // The add panel: the song's artist choices and title.
    ComboList* cmbArtist = nullptr;
    QLineEdit* txtSongToAdd = nullptr;
    // The edit panel: the new playlist name, the playlist's tracks, the item's artist and title.
    QLineEdit* txtRename = nullptr;
    ListBox* lstEditPlayListTracks = nullptr;
    QLineEdit* txtEditArtist = nullptr;
    QLineEdit* txtEditTitle = nullptr;

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
    // True when the file was new and has been added to the library.
    bool CheckAlreadyMedia(const QString& FileName);
    // A file handed in after start-up (dropped on the window, or named over the desktop bus),
    // handled as a file of the command line is. False, said to the user, when it names no file.
    bool HandleFile(const QString& path);
    void File1_DblClick();
    void Form_Unload();
    bool IsUnloaded() const { return unloaded_; }
    bool AnotherCopyRunning() const { return !lock_.IsHeld(); }
    // Runs `run` once (in `context`) when the window is up and its lists are filled, or their
    // reload has failed: for work the window does not need to appear.
    void WhenUp(QObject* context, std::function<void()> run);
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
    // The ids of the playlists shown under `name` (names compared without their end blanks), in
    // the table's order.
    std::vector<qint16> PlaylistIdsNamed(const QString& name);
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

    // Playing, the playback tick and the cue queue.
    void PlaySong(qint16 thissongID, const QString& thisfilename);
    // One step of the playback tick, as at a hundred ticks a second.
    void tmrPlay_Timer();
    // The timer's wake: runs the steps that passed since the last one and sets the timer for
    // the next moment something can change (see TickPlan).
    void tmrPlay_Due();
    // What the tick shows may have changed (a song started, paused, sought, sped up): the next
    // wake comes at once instead of when the last plan said.
    void WakePlayTick();
    // The tick's clock in milliseconds, monotonic; tests put in a clock of their own.
    std::function<qint64()> tickClock;
    // With `repeatAllowed` false (moving on from an item that could not be played), a repeated
    // song is not started again.
    void EndOfSongCode(bool repeatAllowed = true);
    void imgnorepeatover_Click();
    void imgrepeatover_Click();
    void CueASong(qint16 ID);
    void imgCueOver_Click();
    void imgUnCueOver_Click();
    void tmrCueSong_Timer();
    void SendNowPlaying(const QString& title, const QString& artist, bool enabled);

    // The video window and the background visuals (playback/frmPlayer_Video.cpp).
    frmVideo* video(); // made and loaded on first use
    frmVideo* videoIfMade() const { return video_; }
    void PlayVideo(const QString& path);
    void NotVideoFile();
    void imgVidOver_Click();
    void imgRepeatVidOver_Click();
    void imgNoRepeatVidOver_Click();
    void imgSeperateOver_Click();
    void imgNoSeperateOver_Click();
    void PlacePlayLists(int height); // lstPlayLists at its place with this height
    void BringVideoBack();           // shows the video window in front, in its normal state

    // Transport, seek, speed, volume, title and splitter.
    void imgPlayOver_Click();
    void imgPauseOver_Click();
    void imgStopOver_Click();
    void picSongProgress_MouseDown(double X);
    void lblProgress_MouseDown(double X);
    void lblProgress_MouseMove(double X);
    void lblProgress_MouseUp();
    void picSpeed_MouseDown(double X);
    void lblSongSpeed_MouseDown(double X);
    void lblSongSpeed_MouseMove(double X);
    void lblSongSpeed_MouseUp();
    void ReapplySpeed();
    void imgVol_MouseDown(int X);
    void imgVolUpOver_Click();
    void imgVolDownOver_Click();
    void volchanged();
    void SetVolumeWidth(int twips);
    void trackscrollclick();
    void lblSlider_MouseDown(int Y);
    void lblSlider_MouseMove(int Y);
    void lblSlider_MouseUp();
    void MoveSlider();
    int TrackLeft() const { return trackLeft_; }
    int TrackTop() const { return trackTop_; }
    void PlaceTrack(int left, int top, bool paintNow = true);

    // Playlists: create, rename and delete; add and remove tracks; the edit panel; export.
    void imgNewOver_Click();
    void imgRenameOver_Click();
    void imgDeletePlayListOver_Click();
    void imgAddOver_Click();
    void imgOkOver_Click();
    void imgBackOver_Click();
    bool FindPlaylist(); // false when no playlist carries the chosen name
    bool FindSong();     // false when no song has the title and artist
    void imgDeleteOver_Click();
    void imgEditOver_Click();
    void imgEditBackOver_Click();
    void lstEditPlayList_Click();
    void FindEditTracks(qint16 ID);
    void addeditplaylistsong(qint16 ID);
    void LoadEditTracks();
    void lstEditPlayListTracks_Click();
    void imgRenameTrackOver_Click();
    void imgSaveOver_Click();

    // Skin.
    void NoMouseOvers();
    void EditPanelMouseOver();  // restores the edit panel's buttons only
    void imgBrowseOver_Click(); // shows or hides the artist list
    void imgSkinOver_Click();   // switches to the mini player

    static QString Caption();
    // How long the note on an item that cannot be played stays before the next item starts.
    int unplayableNoticeMs = 1500;
    // Marks a window of the player's own (the add-media window, the preferences, the mini player,
    // the video window): the main window reloads its lists when it becomes active again after
    // one of these, and not after a message box or another program's window.
    static void MarkOwnWindow(QWidget* window);

signals:
    void Unloaded();
    // Something playing may have changed (an item started, paused, stopped, sought, sped up);
    // sent as the change begins, so listeners look after the handler has finished.
    void PlayStateChanged();

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
    void HandleCommandLine();
    void ReportRefusedHandedIn();
    void RefuseHandedIn(const QString& path);
    bool CheckHandedIn(const QString& path);
    // Reloads the lists from the library as the add window's return does.
    void ReloadLists();
    void DropHandedIn(const QString& path, const QString& why);
    bool KnowsSong(qint16 id);
    void HandOver(qint16 songId, const QString& FileName);
    bool PendingHandOffTaken();
    void ShowUnusableLibrary(const QString& problem, LibraryFault fault = LibraryFault::Unusable);
    void AddTrackLine(qint16 number, int position, bool toMiniPlayer = true);
    void FillArtistLists(bool withMiniPlayer);
    void ListTop20(bool collectArtists);
    bool artistRebuildDeferred_ = false;
    // The artists of datSong's set in the order of the sorted artist list, and each record's
    // place in it; made again when the set changes.
    struct ArtistOrder {
        quint64 generation = ~0ull;
        QStringList artists;
        std::vector<int> rankOf; // by record position
    } artistOrder_;
    const ArtistOrder& ArtistsInOrder();
    void BuildTransport();
    void ConnectVideoButtons();
    void PlayVideoFile(const QString& path);
    void ShowLibraryVideoLength();
    void PlayNextBackground();
    void SelectNextBackground();
    QString SelectedBackgroundPath() const;
    void BackgroundTick();
    void DockVideo(bool libraryVideo);
    void BuildPanels();
    qint16 SelectedSongId();
    void RemoveSelectedTrackLine();
    void ReportNotChanged(const StoreError& error);
    void ScrollTitle();
    void PlayTick(bool step);
    // `positionMs`: the song's position read at this wake, or -1 to read it here.
    TickPlan::Needs TickNeeds(qint32 positionMs = -1);
    TickPlan tickPlan_;
    // A song's end, thumb and running time all go by the whole second of its position: the
    // song and the second the last whole tick looked at (-1: none, or something changed since).
    // While the position stays in that second, a wake has only the title to move.
    qint64 lookedAtSecond_ = -1;
    QString lookedAtSong_;
    void ShowUnplayable(const QString& path, const QString& artist, const QString& title);
    void MoveOnFromUnplayable();
    bool unplayablePending_ = false; // the item just started could not be played
    QElapsedTimer unplayableShown_;  // since its note went up in the title strip
    int unplayableRun_ = 0;          // items in a row that could not be played
    void ShowPosition();
    void ShowRunningTime(const QString& text);
    void SetTwipsTop(QWidget* widget, int top);
    void SetTwipsHeight(QWidget* widget, int height);
    int trackLeft_ = 5, trackTop_ = 0;
    QElapsedTimer titlePainted_;
    TitleStrip* titleStrip_ = nullptr; // picTrackTitle, which draws the title

    QString programFolder_;
    QString commandLine_;
    HandedInFiles handedIn_; // the files of the command line still to be handled
    bool commandLineHandled_ = false;
    InstanceLock lock_;
    frmSkin* skin_ = nullptr;
    frmInfo* info_ = nullptr;
    frmAdd* add_ = nullptr;
    frmVideo* video_ = nullptr;
    bool videoOpened_ = false; // the last PlayVideo showed its picture or opened its video
    bool libraryUsable_ = false;
    bool unloaded_ = false;
    bool libraryLockReported_ = false;         // the user was told the library is locked at start
    bool cueBlockReported_ = false;            // the user was told what blocks the cue file's name
    DeferredCounts* deferredCounts_ = nullptr; // play counts waiting for a lock to go, made at need
    void CountStart(qint16 songId);
    void OpenLibrary();
    void ShowLockedLibrary();
    // The last window other than this one that had the focus, and whether this window has been
    // activated yet.
    QPointer<QWindow> lastOtherFocus_;
    bool activatedOnce_ = false;
    bool CameBackFromOwnWindow() const;
};
