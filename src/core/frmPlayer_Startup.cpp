// Start-up, the deferred reload, the hand-off of a file named on the command line, the double
// click on the background-file list, and shutdown.
#include "core/CueFile.h"
#include "core/Dialogs.h"
#include "core/Paths.h"
#include "import/FileListBox.h"
#include "import/FileNames.h"
#include "import/frmAdd.h"
#include "prefs/frmInfo.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"

namespace {
// How long a second copy waits for the running copy to take a pending hand-off.
constexpr int kHandOffWaitMs = 5000;

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
    info_->show();
    state.firstvideo = true;
    state.VideoStarted = false;
    state.PlayingOther = false;
    skin_->hide();
    info_->hide();

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
        // Only the running copy takes hand-offs: a second copy must leave them to it.
        tmrCueSong.start();
    }

    if (!FileExists(LibraryPath())) {
        dialogs.MsgBox(QStringLiteral("Jukora file missing - dbMedia.mdb\r\nPlease re-install or "
                                      "download the file from '") +
                           kDownloadAddress + QLatin1Char('\''),
                       MsgButtons::Ok, QStringLiteral("Jukora - File missing"));
        return;
    }
    const QString problem = CheckLibraryFile(LibraryPath());
    if (!problem.isEmpty()) {
        ShowUnusableLibrary(problem);
        return;
    }
    for (RecordSource* source : {&datTracks, &datSong, &datPlayList})
        source->SetDatabaseName(LibraryPath());
    try {
        for (RecordSource* source : {&datTracks, &datSong, &datPlayList})
            source->Open();
    } catch (const StoreError& e) {
        ShowUnusableLibrary(e.message());
        return;
    }
    libraryUsable_ = true;
    Timer1.start();
}

// A second copy that finds a hand-off still pending waits for the running copy to take it.
// False when it was not taken in time: the copy then ends.
bool frmPlayer::PendingHandOffTaken() {
    if (!FileExists(CueFilePath()) || WaitUntilGone(CueFilePath(), kHandOffWaitMs))
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

void frmPlayer::ShowUnusableLibrary(const QString& problem) {
    dialogs.MsgBox(QStringLiteral("Jukora cannot use its media library file '%1':\r\n%2\r\n\r\n"
                                  "The file has been left exactly as it is. Jukora stays open "
                                  "without your library; restore the file from a backup or "
                                  "re-install it.")
                       .arg(LibraryPath(), problem),
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

QString frmPlayer::HandedInPath() {
    // The argument text without the quotes a file manager or shell may put around it.
    const QString path = WithoutSurroundingQuotes(commandLine_);
    if (path.contains(QLatin1Char('~')))
        return MP3::LongPathName(media, path);
    return path;
}

void frmPlayer::Timer1_Timer() {
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
        if (!commandLine_.isEmpty()) {
            CheckAlreadyMedia(HandedInPath());
            if (unloaded_)
                return;
            state.StartedFromCommand = true;
        }
        tmrPlay.start();
    } catch (const StoreError& e) {
        ReloadFailed(&e);
    } catch (const std::exception&) {
        ReloadFailed(nullptr);
    }
}

void frmPlayer::ReloadFailed(const StoreError* storeError) {
    if (!state.FirstLoad)
        return;
    state.FirstLoad = false;
    const bool emptyLibrary = storeError && storeError->kind() == StoreError::Kind::NoCurrentRecord;
    if (!emptyLibrary) {
        // A damaged or vanished file is not an empty library: say what is wrong.
        ShowUnusableLibrary(storeError ? storeError->message()
                                       : QStringLiteral("the library could not be read"));
        return;
    }
    if (!commandLine_.isEmpty()) {
        if (AnotherCopyRunning() && !PendingHandOffTaken())
            return;
        try {
            CheckAlreadyMedia(HandedInPath());
        } catch (const std::exception& e) {
            dialogs.MsgBox(QStringLiteral("Jukora could not add this file to the library:\r\n%1"
                                          "\r\n%2")
                               .arg(HandedInPath(), QString::fromUtf8(e.what())),
                           MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
        }
        return;
    }
    if (dialogs.MsgBox(
            QStringLiteral(
                "Your media library is currently empty, would you like to add files now?"),
            MsgButtons::YesNo, QStringLiteral("Jukora - Empty library"),
            MsgIcon::Question) == MsgResult::Yes)
        add()->show();
}

void frmPlayer::CheckAlreadyMedia(const QString& FileName) {
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
            QString error;
            if (!HandOffSong(CueFilePath(), found, kHandOffWaitMs, &error))
                dialogs.MsgBox(QStringLiteral("Jukora could not hand this file over to the "
                                              "running copy (%1):\r\n%2")
                                   .arg(error, FileName),
                               MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
            Form_Unload();
        } else if (state.songplaying) {
            CueASong(found);
        } else {
            PlaySong(found, QString());
        }
        return;
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
    add()->addfile(FileName, state.lblArtist, state.lblTitle);
}

void frmPlayer::File1_DblClick() {
    state.PlayingOther = true;
    PlaySong(0, File1->Path() + QLatin1Char('/') + File1->FileName());
    File1->hide();
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
