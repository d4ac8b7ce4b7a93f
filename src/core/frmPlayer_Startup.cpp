// Start-up, the deferred reload, the hand-off of a file named on the command line, the double
// click on the background-file list, and shutdown.
#include "core/CueFile.h"
#include "core/Dialogs.h"
#include "core/Paths.h"
#include "import/FileListBox.h"
#include "import/FileNames.h"
#include "import/frmAdd.h"
#include "playback/frmVideo.h"
#include "prefs/frmInfo.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <memory>
#include <utility>

namespace {
// How long a second copy waits for the running copy to take a pending hand-off when none is
// taken meanwhile; while the hand-offs in front of it are being taken, it waits on.
constexpr int kHandOffWaitMs = 5000;
// How often a library file another program holds locked is tried again at start.
constexpr int kLibraryRetryMs = 2000;

const QString kLibraryFileName = QStringLiteral("dbMedia.mdb");
const QString kDownloadAddress = QStringLiteral("http://www.orvane.example/media/downloads/");
} // namespace

QString frmPlayer::LibraryPath() const {
    return InProgramFolder(programFolder_, kLibraryFileName);
}

QString frmPlayer::CueFilePath() const {
    return InProgramFolder(programFolder_, CueFileName());
}

void frmPlayer::Form_Load() {
    // The preferences window is loaded now, hidden, so that its web pages are on their way before
    // the user first opens it. Showing and hiding it would do the same, with a flash of it on
    // the screen and its X window made before the main window's.
    if (!info_->IsLoaded())
        info_->Form_Load();
    state.firstvideo = true;
    state.VideoStarted = false;
    state.PlayingOther = false;
    skin_->hide();

    const bool firstCopy = lock_.TryAcquire();
    if (!firstCopy) {
        showMinimized();
        if (!PendingHandOffTaken())
            return;
    }
    SetFormLoad();
    setWindowTitle(Caption());
    skin_->setWindowTitle(Caption());
    if (firstCopy) {
        show();
        // Only the running copy takes hand-offs: a second copy must leave them to it. A cue file
        // is taken as soon as it appears in the program folder; the poll stays for file
        // systems that do not report changes.
        auto* watcher = new QFileSystemWatcher(QStringList{programFolder_}, this);
        connect(watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
            if (!unloaded_)
                tmrCueSong_Timer();
        });
        tmrCueSong.start();
    }

    if (!FileExists(LibraryPath())) {
        dialogs.MsgBox(QStringLiteral("Jukora file missing - dbMedia.mdb\r\nPlease re-install or "
                                      "download the file from '") +
                           kDownloadAddress + QLatin1Char('\''),
                       MsgButtons::Ok, QStringLiteral("Jukora - File missing"));
        return;
    }
    OpenLibrary();
}

void frmPlayer::WhenUp(QObject* context, std::function<void()> run) {
    auto done = std::make_shared<bool>(false);
    // Timer1 stops when the reload has run (or failed); without a library it never starts.
    const auto runWhenUp = [this, run = std::move(run), done] {
        if (*done || Timer1.isActive() || unloaded_)
            return;
        *done = true;
        run();
    };
    connect(&Timer1, &QTimer::timeout, context, runWhenUp, Qt::QueuedConnection);
    QTimer::singleShot(0, context, runWhenUp);
}

// Opens the library and starts the deferred reload. A file another program holds locked is
// tried again every few seconds until it opens; the player stays usable meanwhile.
void frmPlayer::OpenLibrary() {
    if (unloaded_)
        return;
    LibraryFault fault = LibraryFault::None;
    const QString problem = CheckLibraryFile(LibraryPath(), true, &fault);
    try {
        if (!problem.isEmpty())
            throw StoreError(fault == LibraryFault::Locked ? StoreError::Kind::Locked
                                                           : StoreError::Kind::Unusable,
                             problem);
        for (RecordSource* source : {&datTracks, &datSong, &datPlayList})
            source->SetDatabaseName(LibraryPath());
        for (RecordSource* source : {&datTracks, &datSong, &datPlayList})
            source->Open();
    } catch (const StoreError& e) {
        if (e.kind() != StoreError::Kind::Locked) {
            ShowUnusableLibrary(e.message(), fault);
            return;
        }
        if (!libraryLockReported_) {
            libraryLockReported_ = true;
            ShowLockedLibrary();
        }
        QTimer::singleShot(kLibraryRetryMs, this, &frmPlayer::OpenLibrary);
        return;
    }
    libraryUsable_ = true;
    // A second copy only hands its files over to the running one, which may have more copies
    // queued behind this one: it hands them over now, without filling lists it never shows.
    if (AnotherCopyRunning() && !commandLine_.isEmpty()) {
        HandleCommandLine();
        return;
    }
    Timer1.start();
}

void frmPlayer::ShowLockedLibrary() {
    dialogs.MsgBox(
        QStringLiteral("Another program is using Jukora's media library file '%1' and "
                       "holds it locked, so Jukora cannot save to it at the moment."
                       "\r\n\r\nNothing is wrong with the file. Jukora goes on playing and "
                       "saves its changes as soon as the other program lets go of the "
                       "file.")
            .arg(LibraryPath()),
        MsgButtons::Ok, QStringLiteral("Jukora - Library in use"), MsgIcon::Warning);
}

// A second copy that finds a hand-off still pending waits for the running copy to take it.
// False when it was not taken in time: the copy then ends.
bool frmPlayer::PendingHandOffTaken() {
    if (WaitUntilGone(CueFilePath(), kHandOffWaitMs))
        return true;
    if (!commandLine_.isEmpty())
        dialogs.MsgBox(QStringLiteral("The running copy of Jukora did not take the songs handed "
                                      "to it within %1 seconds, so this file was not passed on:"
                                      "\r\n%2")
                           .arg(kHandOffWaitMs / 1000)
                           .arg(HandedInPath()),
                       MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
    Form_Unload();
    return false;
}

void frmPlayer::ShowUnusableLibrary(const QString& problem, LibraryFault fault) {
    const QString advice = fault == LibraryFault::ReadOnly
                               ? QStringLiteral("make the file and its folder writable for you "
                                                "and start Jukora again.")
                               : QStringLiteral("restore the file from a backup or re-install it.");
    dialogs.MsgBox(QStringLiteral("Jukora cannot use its media library file '%1':\r\n%2\r\n\r\n"
                                  "The file has been left exactly as it is. Jukora stays open "
                                  "without your library; %3")
                       .arg(LibraryPath(), problem, advice),
                   MsgButtons::Ok, QStringLiteral("Jukora - Library unusable"), MsgIcon::Critical);
}

void frmPlayer::SetFormLoad() {
    NoMouseOvers();
    state.ResetForStart();
}

void frmPlayer::Form_Activate() {
    if (unloaded_)
        return;
    File1->SetPath(InProgramFolder(programFolder_, QStringLiteral("Other/")));
    if (!state.FirstLoad && libraryUsable_) {
        state.LoadTicks = 0;
        Timer1.start();
    }
}

// The files handed in, for messages: what is still to be handled and what was refused.
QString frmPlayer::HandedInPath() {
    return (handedIn_.files + handedIn_.refused).join(QStringLiteral("\r\n"));
}

void frmPlayer::Timer1_Timer() {
    // Past the reload tick nothing counts any more: a timer left running by a failed reload
    // must not wrap the counter round to the reload tick an hour later.
    if (state.LoadTicks > 3) {
        Timer1.stop();
        return;
    }
    ++state.LoadTicks;
    if (state.LoadTicks != 3)
        return;
    try {
        datSong.Refresh();
        LoadTracks();
        Timer1.stop();
        datSong.MoveFirst();
        LoadPlayLists();
        SelectPlayList(0);
        state.LoadTicks = 0;
    } catch (const StoreError& e) {
        ReloadFailed(&e);
        return;
    } catch (const std::exception&) {
        ReloadFailed(nullptr);
        return;
    }
    // The lists are loaded: the playback tick runs from here on, whatever becomes of the files
    // handed in.
    if (!commandLine_.isEmpty() && !commandLineHandled_) {
        HandleCommandLine();
        if (unloaded_)
            return;
        state.StartedFromCommand = !handedIn_.files.isEmpty();
    }
    tmrPlay.start();
}

// Each file of the command line goes through CheckAlreadyMedia, in order; what names no file is
// reported once. A second copy ends once it has handed everything over. The command line is
// handled once: the reloads after the add window, a drop or an activation must not play or
// queue its files again. What it added to the library is listed by one more reload.
void frmPlayer::HandleCommandLine() {
    commandLineHandled_ = true;
    ReportRefusedHandedIn();
    bool added = false;
    const QStringList files = handedIn_.files;
    for (const QString& file : files) {
        added = CheckHandedIn(file) || added;
        if (unloaded_)
            return;
    }
    if (AnotherCopyRunning())
        Form_Unload();
    else if (added)
        ReloadLists();
}

void frmPlayer::ReloadLists() {
    if (!libraryUsable_ || unloaded_)
        return;
    state.LoadTicks = 0;
    Timer1.start();
}

void frmPlayer::ReportRefusedHandedIn() {
    for (const QString& path : std::exchange(handedIn_.refused, {}))
        RefuseHandedIn(path);
}

void frmPlayer::RefuseHandedIn(const QString& path) {
    const QString why = QFileInfo(path).isDir() ? QStringLiteral("it is a folder, not a file")
                                                : QStringLiteral("there is no file of that name");
    dialogs.MsgBox(QStringLiteral("Jukora cannot open \"%1\": %2.\r\nNothing was added to the "
                                  "library.")
                       .arg(path, why),
                   MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
}

bool frmPlayer::HandleFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        RefuseHandedIn(path);
        return false;
    }
    if (CheckHandedIn(path))
        ReloadLists();
    return true;
}

bool frmPlayer::CheckHandedIn(const QString& path) {
    try {
        return CheckAlreadyMedia(path);
    } catch (const StoreError& e) {
        // "Library full" has been said by the id rule; anything else is said here.
        DropHandedIn(path, e.kind() == StoreError::Kind::IdentityRange ? QString() : e.message());
        return false;
    }
}

// A handed-in file that cannot be added is said once (unless `why` is empty: already said) and
// not handled again at later reloads.
void frmPlayer::DropHandedIn(const QString& path, const QString& why) {
    handedIn_.files.removeAll(path);
    if (!why.isEmpty())
        dialogs.MsgBox(
            QStringLiteral("Jukora could not add this file to the library:\r\n%1\r\n\r\n%2")
                .arg(path, why),
            MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
}

void frmPlayer::ReloadFailed(const StoreError* storeError) {
    if (!state.FirstLoad)
        return;
    state.FirstLoad = false;
    const bool emptyLibrary = storeError && storeError->kind() == StoreError::Kind::NoCurrentRecord;
    if (!emptyLibrary) {
        // A damaged or vanished file is not an empty library: say what is wrong. Other failures
        // (a full library, say) have been reported where they happened.
        if (storeError && (storeError->kind() == StoreError::Kind::Unusable ||
                           storeError->kind() == StoreError::Kind::NotOpen))
            ShowUnusableLibrary(storeError->message());
        else if (storeError && storeError->kind() == StoreError::Kind::Locked)
            ShowLockedLibrary();
        return;
    }
    if (!commandLine_.isEmpty() && !commandLineHandled_) {
        if (AnotherCopyRunning() && !PendingHandOffTaken())
            return;
        HandleCommandLine();
        return;
    }
    if (dialogs.MsgBox(
            QStringLiteral(
                "Your media library is currently empty, would you like to add files now?"),
            MsgButtons::YesNo, QStringLiteral("Jukora - Empty library"),
            MsgIcon::Question) == MsgResult::Yes)
        add()->show();
}

bool frmPlayer::CheckAlreadyMedia(const QString& FileName) {
    // Step 1: the file may already be in the library (the first match by path wins).
    qint16 found = 0;
    try {
        const int filepath = datSong.FieldIndex(QStringLiteral("filepath"));
        for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext())
            if (MatchesText(datSong.At(filepath), FileName)) {
                found = static_cast<qint16>(datSong.At(0).toInt());
                break;
            }
    } catch (const StoreError&) {
        found = 0; // an empty or unreadable table: the file is taken as new
    }
    if (found != 0) {
        if (AnotherCopyRunning()) {
            HandOver(found, FileName); // the caller ends this copy once all is handed over
        } else if (state.songplaying) {
            CueASong(found);
        } else {
            PlaySong(found, QString());
        }
        return false;
    }
    // Step 2: a new file; artist and title come from its name ("Artist - Title.ext").
    state.lblTest = MP3::FileTitleOf(media, FileName);
    const SplitName split = SplitArtistTitle(state.lblTest);
    state.lblArtist = split.artist;
    state.lblTitle = split.title;
    // A name without "." keeps its whole title.
    const qsizetype dot = state.lblTitle.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        state.lblTitle = state.lblTitle.left(dot);
    const int added = add()->addfile(FileName, state.lblArtist, state.lblTitle);
    if (added == 0) {
        DropHandedIn(FileName, QStringLiteral("Its title is longer than 80 characters or its path "
                                              "longer than 255."));
        return false;
    }
    // A second copy hands the new song over like any library song: one player per library.
    if (AnotherCopyRunning())
        HandOver(static_cast<qint16>(added), FileName);
    return true;
}

void frmPlayer::HandOver(qint16 songId, const QString& FileName) {
    QString error;
    if (!HandOffSong(CueFilePath(), songId, kHandOffWaitMs, &error))
        dialogs.MsgBox(QStringLiteral("Jukora could not hand this file over to the running copy "
                                      "(%1):\r\n%2")
                           .arg(error, FileName),
                       MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
}

void frmPlayer::File1_DblClick() {
    state.PlayingOther = true;
    video()->ShowNormal();
    PlaySong(0, File1->Path() + QLatin1Char('/') + File1->FileName());
    video::SetDeviceVolume(media, state.AliasName, QStringLiteral("all"), 0);
    File1->hide();
    imgNoSeperateOver_Click();
}

void frmPlayer::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1.stop();
    tmrPlay.stop();
    tmrCueSong.stop();
    video::CloseAllAliases(media);
    skin_->hide();
    if (video_)
        video_->Unload();
    if (FileExists(InProgramFolder(programFolder_, QStringLiteral("Chatcast.exe"))))
        SendNowPlaying(QString(), QString(), false);
    video::CloseAllDevices(media);
    if (add_)
        add_->Unload();
    info_->hide();
    hide();
    lock_.Release();
    emit Unloaded();
}
