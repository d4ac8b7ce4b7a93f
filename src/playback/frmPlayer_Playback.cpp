// Starting an item, the playback tick with the end-of-song rules, and the cue queue.
#include "core/CueFile.h"
#include "core/Dialogs.h"
#include "core/Paths.h"
#include "import/FileListBox.h"
#include "playback/DeferredCounts.h"
#include "playback/Messenger.h"
#include "playback/ScaledBox.h"
#include "playback/TitleLabel.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace {
bool IsVideoType(const QString& path) {
    const QString type = TrimBlanks(path).right(3).toUpper();
    return type == QLatin1String("MPG") || type == QLatin1String("PEG") ||
           type == QLatin1String("WMV") || type == QLatin1String("AVI") ||
           type == QLatin1String("VOB");
}
} // namespace

void frmPlayer::SendNowPlaying(const QString& title, const QString& artist, bool enabled) {
    Messenger::SendNowPlaying(title, artist, QString(), QStringLiteral("{1} - {0}"),
                              enabled ? -1 : 0, QStringLiteral("Music"));
}

void frmPlayer::PlaySong(qint16 thissongID, const QString& thisfilename) {
    WakePlayTick();
    // Whatever starts now replaces an item that could not be played: the move past that item,
    // still due, must not cut in on it.
    unplayablePending_ = false;
    if (!TrimBlanks(thisfilename).isEmpty()) {
        video::CloseDevice(media, state.AliasName);
        state.PlayingOther = true;
        PlayVideo(thisfilename);
        return;
    }
    // `videofile` still tells, until the window closes, that a library video is under way: its
    // closing stops it before anything else opens.
    state.lblNowPlaying = QString::number(thissongID);
    if (!state.PlayingOther)
        File1->hide();
    state.songplaying = true;
    const int title = datSong.FieldIndex(QStringLiteral("Title"));
    const int artist = datSong.FieldIndex(QStringLiteral("artist"));
    const int filepath = datSong.FieldIndex(QStringLiteral("filepath"));
    const bool addOn = FileExists(InProgramFolder(programFolder_, QStringLiteral("Chatcast.exe")));
    for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext()) {
        if (!MatchesNumber(datSong.At(0), thissongID))
            continue;
        const QString songTitle = datSong.At(title).toString();
        const QString songArtist = datSong.At(artist).toString();
        if (addOn)
            SendNowPlaying(songTitle, songArtist, true);
        else
            SendNowPlaying(QString(), QString(), false);
        skin_->cmbTracks->setEditText(songTitle);
        lblTrack->setText(songArtist + QStringLiteral(" - ") + songTitle);
        lblTrack->adjustSize();
        titleStrip_->Redraw();
        const QString path = TrimBlanks(datSong.At(filepath).toString());
        if (IsVideoType(path)) {
            state.videofile = true;
            video::CloseDevice(media, state.AliasName);
            video::CloseAllDevices(media);
            state.PlayingOther = false;
            PlayVideo(path);
            if (!videoOpened_) {
                ShowUnplayable(path, songArtist, songTitle);
                return;
            }
            unplayableRun_ = 0;
            CountStart(thissongID);
            return;
        }
        if (state.LastWasVideo) {
            picSpeed->SetScaleWidth(2000);
            lblSongSpeed->SetLeft(1000);
        }
        NotVideoFile();
        if (!state.songplaying) {
            // Closing a library video's window stopped it (Stop shows the Play image): the song
            // that starts now plays, so the play state and the Pause image say so again, as
            // after any track is started, and Pause and the play/pause key act on it.
            state.songplaying = true;
            ShowToggle(imgPause, imgPlay, true);
        }
        media.SongFile = path;
        if (!MP3::OpenAndPlaySong(media)) {
            ShowUnplayable(path, songArtist, songTitle);
            continue;
        }
        unplayableRun_ = 0;
        picSongProgress->SetScaleWidth(video::SongLengthSecs(media));
        volchanged();
        CountStart(thissongID);
    }
    state.videofile = false;
    ReapplySpeed();
    state.LastWasVideo = false;
}

// Adds one start to the current record; written last, once the item has started. While another
// program holds the library locked, the start is kept and written when the lock is gone: the
// song plays on meanwhile.
void frmPlayer::CountStart(qint16 songId) {
    const int playcount = datSong.FieldIndex(QStringLiteral("playcount"));
    const qint64 count = datSong.At(playcount).toLongLong();
    const qint64 next = CountAfterStarts(count, 1);
    if (next == count)
        return; // a count that cannot grow stays as it is
    datSong.Edit();
    datSong.SetField(QStringLiteral("playcount"), next);
    datSong.SetBusyWait(kQuickLockWaitMs);
    try {
        datSong.Update();
    } catch (const StoreError& e) {
        datSong.SetBusyWait(kBusyTimeoutMs);
        if (e.kind() != StoreError::Kind::Locked)
            throw;
        if (!deferredCounts_)
            deferredCounts_ = new DeferredCounts(datSong, [this] { ShowLockedLibrary(); });
        deferredCounts_->setParent(this);
        deferredCounts_->Add(songId);
        return;
    }
    datSong.SetBusyWait(kBusyTimeoutMs);
}

// An item that cannot be played says so in the title strip, without a box that would stop the
// music until answered, is not counted, and the tick moves on as at the end of a song once the
// note has been up for a moment.
void frmPlayer::ShowUnplayable(const QString& path, const QString& artist, const QString& title) {
    const QString why = FileExists(path) ? QStringLiteral("not a file Jukora can play")
                                         : QStringLiteral("file not found");
    lblTrack->setText(artist + QStringLiteral(" - ") + title +
                      QStringLiteral(": cannot be played (%1)").arg(why));
    lblTrack->adjustSize();
    titleStrip_->Redraw();
    unplayablePending_ = true;
    unplayableShown_.start();
}

// Moves on from an item that could not be played: the queue, else the play order (a repeated
// song is not tried again). After a whole round of the play order that could not be played,
// playback stops instead of trying the same files for ever.
void frmPlayer::MoveOnFromUnplayable() {
    unplayablePending_ = false;
    ++unplayableRun_;
    if (!state.CuePending && unplayableRun_ >= std::max(1, state.lstNowPlaying.ListCount())) {
        unplayableRun_ = 0;
        imgStopOver_Click();
        return;
    }
    EndOfSongCode(false);
}

void frmPlayer::tmrPlay_Timer() {
    PlayTick(true);
}

// Without `step` (a wake before 10 ms passed) the end and the position are looked at, but
// nothing that counts steps moves.
void frmPlayer::PlayTick(bool step) {
    try {
        if (unplayablePending_) {
            // The note stays a moment, long enough to be read, then the next item starts.
            if (unplayableShown_.elapsed() >= unplayableNoticeMs)
                MoveOnFromUnplayable();
            return;
        }
        if (state.PlayingOther && step)
            BackgroundTick();
        const bool ended = state.videofile
                               ? video::DevicePercentPlayed(media, state.AliasName) == 100
                               : MP3::SongFinished(media);
        if (ended)
            EndOfSongCode();
        if (state.TitleScrolling && step)
            ScrollTitle();
        ShowPosition();
    } catch (const std::exception&) {
        // the tick goes on at its next run
    }
}

void frmPlayer::tmrPlay_Due() {
    const int steps = tickPlan_.StepsDue(tickClock());
    const bool everyStep = state.videofile || state.PlayingOther;
    // The steps that passed unseen: a video or a background item runs each one whole; else only
    // the title's movement counts steps (the rest shows the position as it is now).
    for (int i = 1; i < steps; ++i) {
        if (everyStep)
            tmrPlay_Timer();
        else if (state.TitleScrolling && !unplayablePending_)
            ScrollTitle();
    }
    // A song that plays: its end and what shows of its position change only with its whole
    // second. While that is the second the last whole tick looked at, only the title moves.
    const bool songOnly = !everyStep && !unplayablePending_ && state.songplaying;
    const qint32 positionMs = songOnly ? MP3::SongPositionMs(media) : -1;
    if (songOnly && lookedAtSecond_ == positionMs / 1000 && lookedAtSong_ == state.lblNowPlaying) {
        if (state.TitleScrolling && steps > 0)
            ScrollTitle();
    } else {
        lookedAtSecond_ = songOnly ? positionMs / 1000 : -1;
        lookedAtSong_ = state.lblNowPlaying;
        PlayTick(steps > 0);
        // A length not known yet may still change what shows within this second.
        if (songOnly && video::SongLengthMs(media) <= 0)
            lookedAtSecond_ = -1;
    }
    // After a whole tick the song may be another one (lookedAtSecond_ is then -1): its
    // position is read again for the plan.
    const bool positionCurrent = songOnly && lookedAtSecond_ == positionMs / 1000;
    const TickPlan::Needs needs = TickNeeds(positionCurrent ? positionMs : -1);
    // An idle look-in falls on a whole second of the clock, as the cue poll does: a stopped
    // player wakes once a second for both, not twice.
    tmrPlay.setTimerType(TickPlan::OnlyLooksIn(needs) ? Qt::VeryCoarseTimer : Qt::PreciseTimer);
    tmrPlay.start(tickPlan_.NextDelay(needs, tickClock()));
}

TickPlan::Needs frmPlayer::TickNeeds(qint32 positionMs) {
    TickPlan::Needs needs;
    needs.everyStep = state.videofile || state.PlayingOther;
    if (unplayablePending_) {
        needs.noticeLeftMs = static_cast<qint32>(
            std::max<qint64>(0, unplayableNoticeMs - unplayableShown_.elapsed()));
        return needs;
    }
    needs.titleMoving = state.TitleScrolling && !lblTrack->text().isEmpty();
    needs.msSinceTitlePaint =
        titlePainted_.isValid()
            ? static_cast<qint32>(std::min<qint64>(titlePainted_.elapsed(), 1000))
            : TickPlan::kTitleFrameMs;
    needs.songAdvancing = state.songplaying && !needs.everyStep;
    if (needs.songAdvancing)
        needs.positionMs = positionMs >= 0 ? positionMs : MP3::SongPositionMs(media);
    return needs;
}

void frmPlayer::WakePlayTick() {
    tickPlan_.Restart();
    lookedAtSecond_ = -1;
    if (tmrPlay.isActive())
        tmrPlay.start(0);
    emit PlayStateChanged();
}

// The title enters from the right, scrolls left until its end is 200 twips inside the box and
// its start near the left edge, sinks below the box, and starts again at the right.
void frmPlayer::ScrollTitle() {
    const int width = ToTwips(lblTrack->width());
    const QRect box = TwipsOf(picTrackTitle);
    if (box.width() - 200 > trackLeft_ + width) {
        if (trackLeft_ > 5)
            PlaceTrack(trackLeft_ - 10, trackTop_, false);
        else if (trackTop_ > box.height())
            PlaceTrack(box.width(), 0, false);
        else
            PlaceTrack(trackLeft_, trackTop_ + 10, false);
    } else {
        PlaceTrack(trackLeft_ - 10, trackTop_, false);
    }
}

// The time text changes once a second; setting it every tick would repaint it every tick.
void frmPlayer::ShowRunningTime(const QString& text) {
    if (lblRunningTime->text() != text)
        lblRunningTime->setText(text);
}

void frmPlayer::ShowPosition() {
    if (state.videofile) {
        DockVideo(true);
        const double seconds = static_cast<double>(video::DevicePosition(media, state.AliasName)) /
                               state.VideoFrameRate;
        lblProgress->SetLeft(seconds - lblProgress->Width() / 2);
        imgprogress->SetWidth(lblProgress->Left() + lblProgress->Width());
        const qint32 whole = RoundToInt32(seconds);
        ShowRunningTime(QStringLiteral("%1:%2/%3")
                            .arg(whole / 60)
                            .arg(whole % 60, 2, 10, QLatin1Char('0'))
                            .arg(state.VideoLengthText));
        return;
    }
    lblProgress->SetLeft(MP3::SongPositionSecs(media) - lblProgress->Width() / 2);
    imgprogress->SetWidth(lblProgress->Left() + lblProgress->Width());
    ShowRunningTime(MP3::SongPositionText(media) + QLatin1Char('/') + video::SongLengthText(media));
    if (state.PlayingOther)
        DockVideo(false);
}

void frmPlayer::EndOfSongCode(bool repeatAllowed) {
    if (state.RepeatOneSong && repeatAllowed) {
        PlaySong(static_cast<qint16>(state.lblNowPlaying.toInt()), QString());
    } else if (state.CuePending) {
        state.lstCuedSongsPath.SetListIndex(0);
        const qint16 next = static_cast<qint16>(TrimBlanks(state.lstCuedSongsPath.Text()).toInt());
        PlaySong(next, QString());
        state.lstCuedSongsPath.RemoveItem(0);
        lstCuedSongs->RemoveItem(0);
        state.CuePending = lstCuedSongs->ListCount() > 0;
    } else if (state.StartedFromCommand) {
        imgStopOver_Click();
        state.StartedFromCommand = false;
    } else if (state.lstNowPlaying.ListCount() == 0) {
        imgStopOver_Click(); // no play order: nothing follows
    } else {
        IdList& order = state.lstNowPlaying;
        order.SetListIndex(order.ListIndex() >= order.ListCount() - 1 ? 0 : order.ListIndex() + 1);
        PlaySong(static_cast<qint16>(TrimBlanks(order.Text()).toInt()), QString());
    }
}

void frmPlayer::imgnorepeatover_Click() {
    imgnorepeat.over->hide();
    imgrepeat.over->show();
    state.RepeatOneSong = true;
}

void frmPlayer::imgrepeatover_Click() {
    imgrepeat.over->hide();
    imgnorepeat.over->show();
    state.RepeatOneSong = false;
}

void frmPlayer::CueASong(qint16 ID) {
    const int artist = datSong.FieldIndex(QStringLiteral("artist"));
    const int title = datSong.FieldIndex(QStringLiteral("Title"));
    for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext())
        if (MatchesNumber(datSong.At(0), ID)) {
            lstCuedSongs->AddItem(datSong.At(artist).toString() + QStringLiteral(" - ") +
                                  datSong.At(title).toString());
            state.lstCuedSongsPath.AddItem(datSong.At(0).toString());
            break;
        }
    state.CuePending = state.lstCuedSongsPath.ListCount() > 0;
}

void frmPlayer::imgCueOver_Click() {
    if (TrimBlanks(lstTracks->Text()).isEmpty())
        return;
    state.lstMaybe.SetListIndex(lstTracks->ListIndex());
    try {
        CueASong(static_cast<qint16>(TrimBlanks(state.lstMaybe.Text()).toInt()));
    } catch (const StoreError&) {
        // a song that cannot be looked up is not queued
    }
}

void frmPlayer::imgUnCueOver_Click() {
    if (lstCuedSongs->ListCount() == 0)
        return;
    const int selected = lstCuedSongs->ListIndex();
    const int entry = selected < 0 ? 0 : selected;
    lstCuedSongs->RemoveItem(entry);
    state.lstCuedSongsPath.RemoveItem(entry);
    state.CuePending = lstCuedSongs->ListCount() > 0;
}

// A song handed over by a second copy is queued while something plays; with nothing playing
// it plays at once, as a song named on this copy's own command line does. Runs when the program
// folder changes and once a second besides.
void frmPlayer::tmrCueSong_Timer() {
    const QString path = CueFilePath();
    const CueTaken taken = TakeCueFile(path);
    if (taken.what == CueTaken::What::Blocked) {
        // Every later hand-off waits behind it: say so, once for as long as it stays.
        if (cueBlockReported_)
            return;
        cueBlockReported_ = true; // before the box: the timer runs on while it is open
        dialogs.MsgBox(QStringLiteral("Songs cannot be passed to Jukora from other copies "
                                      "while this is in the way:\r\n%1\r\n(%2). Please "
                                      "move or delete it.")
                           .arg(path, taken.problem),
                       MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
        return;
    }
    if (taken.what != CueTaken::What::Nothing)
        cueBlockReported_ = false;
    if (taken.what != CueTaken::What::Record)
        return;
    state.CueRecord = taken.record;
    try {
        if (KnowsSong(taken.record.SongID)) {
            if (state.songplaying) {
                CueASong(taken.record.SongID);
            } else {
                PlaySong(taken.record.SongID, QString());
                state.StartedFromCommand = true;
            }
        }
    } catch (const StoreError&) {
        // a song that cannot be looked up is not queued
    }
}

// True when the song is among the records; a song another copy has just added is found by
// reading the song table again.
bool frmPlayer::KnowsSong(qint16 id) {
    if (!datSong.PositionsOf(id).empty())
        return true;
    datSong.Refresh();
    return !datSong.PositionsOf(id).empty();
}
