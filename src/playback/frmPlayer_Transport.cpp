// The transport (play, pause, stop), seeking on the progress bar, the speed track, the volume
// gauge, the title scroll switch and the splitter between the artist and track lists.
// Positions inside the progress bar and the speed track are in their own scale units; the
// volume gauge, the title and the splitter work in twips.
#include "core/Paths.h"
#include "playback/ScaledBox.h"
#include "playback/TitleLabel.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"

#include <QMouseEvent>

#include <cmath>

namespace {
constexpr int kFullVolume = 1785; // gauge width in twips at full volume
constexpr int kLowestVolume = 10;
const QString kStoppedTime = QStringLiteral("00:00/0:000");

void Fill(QWidget* widget, const QColor& colour) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, colour);
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

// Keeps a dragged thumb inside its track: not before 0, not past the end.
void ClampIntoTrack(ScaledItem& thumb, const ScaledBox& track) {
    if (thumb.Left() <= 0)
        thumb.SetLeft(0);
    else if (thumb.Left() + thumb.Width() >= track.ScaleWidth())
        thumb.SetLeft(track.ScaleWidth() - thumb.Width());
}

} // namespace

void frmPlayer::BuildTransport() {
    MakeLabel(this, QStringLiteral("Label7"), TwipsRect(2040, 6840, 1200, 240),
              QStringLiteral("Song Speed:"));
    picSpeed =
        new ScaledBox(this, QStringLiteral("picSpeed"), TwipsRect(2040, 7080, 3495, 255), 2000);
    lblSongSpeed = new ScaledItem(picSpeed, QStringLiteral("lblSongSpeed"), 0, 135, 255);
    lblSongSpeed->SetLeft(1000);
    lblSongSpeed->setToolTip(QStringLiteral("song speed"));
    if (!ShowSkinArt(lblSongSpeed))
        Fill(lblSongSpeed, Qt::blue);

    imgVol = new SkinImage(this, QStringLiteral("imgVol"), TwipsRect(6120, 6840, kFullVolume, 615),
                           QColor(0x4c, 0xa0, 0x4c), QStringLiteral("volume"));
    lblVol = MakeLabel(this, QStringLiteral("lblVol"), TwipsRect(6120, 6840, 1815, 615));
    lblVol->setMouseTracking(true);
    lblVol->installEventFilter(this);

    picSongProgress = new ScaledBox(this, QStringLiteral("picSongProgress"),
                                    TwipsRect(1440, 7560, 4695, 255), 4635);
    imgprogress = new ScaledItem(picSongProgress, QStringLiteral("imgprogress"), 0, 45, 405);
    if (!FillWithSkinArt(imgprogress))
        Fill(imgprogress, QColor(0x6f, 0xa8, 0xdc));
    lblProgress = new ScaledItem(picSongProgress, QStringLiteral("lblProgress"), 0, 135, 255);
    lblProgress->setToolTip(QStringLiteral("song progress"));
    if (!ShowSkinArt(lblProgress))
        Fill(lblProgress, Qt::blue);
    lblRunningTime = MakeLabel(this, QStringLiteral("lblRunningTime"),
                               TwipsRect(6240, 7560, 1695, 255), QStringLiteral("00:00/00:00"));
    lblRunningTime->setToolTip(QStringLiteral("running time"));
    titleStrip_ = new TitleStrip(this);
    picTrackTitle = titleStrip_;
    picTrackTitle->setObjectName(QStringLiteral("picTrackTitle"));
    PlaceTwips(picTrackTitle, TwipsRect(1440, 7920, 4695, 255));
    lblTrack = new TitleLabel(picTrackTitle);
    lblTrack->setObjectName(QStringLiteral("lblTrack"));
    PlaceTwips(lblTrack, TwipsRect(5, 0, 4600, 255));
    titleStrip_->SetTitle(static_cast<TitleLabel*>(lblTrack));
    // The strips that change a hundred times a second paint their own background, so that
    // nothing behind them is painted again with them.
    for (QLabel* strip : {static_cast<QLabel*>(picSongProgress), static_cast<QLabel*>(picSpeed),
                          picTrackTitle, lblRunningTime})
        Fill(strip, QColor(0x20, 0x24, 0x2c));
    // The tracks' art draws their edges.
    for (ScaledBox* track : {picSongProgress, picSpeed})
        if (ShowSkinArt(track))
            track->setFrameShape(QFrame::NoFrame);
    picTrackTitle->installEventFilter(this);

    connect(picSongProgress, &ScaledBox::MouseDown, this, &frmPlayer::picSongProgress_MouseDown);
    // The played part of the bar lies over the bar: a click on it seeks as a click beside it does.
    connect(imgprogress, &ScaledItem::MouseDown, this,
            [this](double x) { picSongProgress_MouseDown(imgprogress->Left() + x); });
    connect(lblProgress, &ScaledItem::MouseDown, this, &frmPlayer::lblProgress_MouseDown);
    connect(lblProgress, &ScaledItem::MouseMove, this, &frmPlayer::lblProgress_MouseMove);
    connect(lblProgress, &ScaledItem::MouseUp, this, &frmPlayer::lblProgress_MouseUp);
    connect(picSpeed, &ScaledBox::MouseDown, this, &frmPlayer::picSpeed_MouseDown);
    connect(lblSongSpeed, &ScaledItem::MouseDown, this, &frmPlayer::lblSongSpeed_MouseDown);
    connect(lblSongSpeed, &ScaledItem::MouseMove, this, &frmPlayer::lblSongSpeed_MouseMove);
    connect(lblSongSpeed, &ScaledItem::MouseUp, this, &frmPlayer::lblSongSpeed_MouseUp);
}

void frmPlayer::imgPlayOver_Click() {
    WakePlayTick();
    try {
        if (state.stopped) {
            lstTracks_DblClick();
            return;
        }
        if (video::DevicePosition(media, state.AliasName) >= 1 ||
            video::SongLengthSecs(media) >= 1) {
            if (state.videofile) {
                video::ResumeDevice(media, state.AliasName);
            } else {
                video::ResumeSong(media);
                if (state.PlayingOther)
                    video::ResumeDevice(media, state.AliasName);
            }
            state.songplaying = true;
            imgPlay.over->hide();
            imgPause.over->show();
            return;
        }
        lstTracks_DblClick();
    } catch (const std::exception&) {
        // the transport ends quietly
    }
}

void frmPlayer::imgPauseOver_Click() {
    WakePlayTick();
    try {
        if (state.videofile) {
            video::PauseDevice(media, state.AliasName);
        } else {
            video::PauseSong(media);
            if (state.PlayingOther)
                video::PauseDevice(media, state.AliasName);
        }
        imgPause.over->hide();
        imgPlay.over->show();
        state.songplaying = false;
    } catch (const std::exception&) {
        // the transport ends quietly
    }
}

void frmPlayer::imgStopOver_Click() {
    WakePlayTick();
    unplayablePending_ = false; // a stopped player does not move on to the next item
    try {
        video::StopSong(media);
        state.stopped = true;
        lblProgress->SetLeft(0);
        imgprogress->SetWidth(1);
        lblRunningTime->setText(kStoppedTime);
        if (!state.PlayingOther)
            video::StopDevice(media, state.AliasName);
        ShowToggle(imgPause, imgPlay, false);
        state.songplaying = false;
        NotVideoFile();
        if (FileExists(InProgramFolder(programFolder_, QStringLiteral("Chatcast.exe"))))
            SendNowPlaying(QString(), QString(), false);
    } catch (const std::exception&) {
        // the transport ends quietly
    }
}

void frmPlayer::picSongProgress_MouseDown(double X) {
    WakePlayTick();
    if (lblTrack->text().isEmpty())
        return; // nothing loaded
    try {
        state.SeekSeconds = RoundToInt32(X);
        if (state.videofile) {
            const qint32 rate = video::DeviceFrameRate(media, state.AliasName);
            qint32 frames = 0;
            if (__builtin_mul_overflow(rate, state.SeekSeconds, &frames))
                throw std::overflow_error("Overflow");
            video::SeekDevice(media, state.AliasName, frames);
        } else {
            MP3::PlaySongFrom(media, state.SeekSeconds);
            video::ResumeSong(media);
        }
    } catch (const std::exception&) {
        // a seek that cannot be done is dropped
    }
    state.SeekSeconds = 0;
}

void frmPlayer::lblProgress_MouseDown(double X) {
    state.DraggingProgress = true;
    state.ProgressGrabX = static_cast<qint16>(std::nearbyint(X));
}

void frmPlayer::lblProgress_MouseMove(double X) {
    if (!state.DraggingProgress)
        return;
    lblProgress->SetLeft(lblProgress->Left() + X - state.ProgressGrabX);
    if (lblProgress->Left() >= 0)
        imgprogress->SetWidth(lblProgress->Left());
    ClampIntoTrack(*lblProgress, *picSongProgress);
    picSongProgress_MouseDown(lblProgress->Left());
}

void frmPlayer::lblProgress_MouseUp() {
    state.DraggingProgress = false;
}

void frmPlayer::picSpeed_MouseDown(double X) {
    WakePlayTick();
    lblSongSpeed->SetLeft(X);
    try {
        const qint32 speed = RoundToInt32(lblSongSpeed->Left() + 3);
        if (state.videofile)
            video::SetDeviceSpeed(media, state.AliasName, speed);
        else
            MP3::SetSongSpeed(media, speed);
    } catch (const std::exception&) {
        // a speed that cannot be sent is dropped
    }
}

void frmPlayer::lblSongSpeed_MouseDown(double X) {
    state.DraggingSpeed = true;
    state.SpeedGrabX = static_cast<qint16>(std::nearbyint(X));
}

void frmPlayer::lblSongSpeed_MouseMove(double X) {
    if (!state.DraggingSpeed)
        return;
    lblSongSpeed->SetLeft(lblSongSpeed->Left() + X - state.SpeedGrabX);
    ClampIntoTrack(*lblSongSpeed, *picSpeed);
    picSpeed_MouseDown(lblSongSpeed->Left());
}

void frmPlayer::lblSongSpeed_MouseUp() {
    state.DraggingSpeed = false;
}

// Sends the speed of the thumb's present place to the item just opened. The move is made at the
// place where the last drag took hold of the thumb, so the thumb does not move.
void frmPlayer::ReapplySpeed() {
    state.DraggingSpeed = true;
    lblSongSpeed_MouseMove(state.SpeedGrabX);
    state.DraggingSpeed = false;
}

void frmPlayer::volchanged() {
    const int width = TwipsOf(imgVol).width();
    try {
        if (state.videofile)
            video::SetDeviceVolume(media, state.AliasName, QStringLiteral("all"),
                                   RoundToInt32(width / 17.85));
        else
            MP3::SetSongVolume(media, RoundToInt32(width / 1.785));
    } catch (const std::exception&) {
        // a volume that cannot be sent is dropped
    }
}

void frmPlayer::SetVolumeWidth(int twips) {
    QRect place = TwipsOf(imgVol);
    place.setWidth(twips);
    PlaceTwips(imgVol, place);
}

void frmPlayer::imgVol_MouseDown(int X) {
    SetVolumeWidth(std::max(0, X));
    volchanged();
}

void frmPlayer::imgVolUpOver_Click() {
    const int width = TwipsOf(imgVol).width();
    SetVolumeWidth(width >= kFullVolume ? kFullVolume : width + 100);
    volchanged();
}

void frmPlayer::imgVolDownOver_Click() {
    const int width = TwipsOf(imgVol).width();
    const int lower = width > kLowestVolume ? width - 100 : kLowestVolume;
    SetVolumeWidth(lower < 0 ? kLowestVolume : lower);
    volchanged();
}

void frmPlayer::PlaceTrack(int left, int top, bool paintNow) {
    trackLeft_ = left;
    trackTop_ = top;
    // The scrolling title moves 10 twips every tick but is drawn at most 25 times a second:
    // it looks the same and costs the painting of a quarter of the frames.
    constexpr qint64 kTitleFrameMs = 40;
    if (paintNow || !titlePainted_.isValid() || titlePainted_.elapsed() >= kTitleFrameMs) {
        const QPoint before = lblTrack->pos();
        lblTrack->move(ToPixels(left), ToPixels(top));
        if (lblTrack->pos() != before)
            titleStrip_->Redraw();
        titlePainted_.start();
    }
}

void frmPlayer::trackscrollclick() {
    WakePlayTick();
    if (state.TitleScrolling) {
        state.TitleScrolling = false;
        PlaceTrack(5, 0);
    } else {
        state.TitleScrolling = true;
    }
}

void frmPlayer::lblSlider_MouseDown(int Y) {
    state.DraggingSplitter = true;
    state.SplitterGrabY = static_cast<qint16>(Y);
}

void frmPlayer::lblSlider_MouseMove(int Y) {
    if (!state.DraggingSplitter)
        return;
    SetTwipsTop(lblSlider, static_cast<int>(std::lround(Y / 3.0)) + TwipsOf(lblSlider).top() -
                               state.SplitterGrabY);
    MoveSlider();
}

void frmPlayer::lblSlider_MouseUp() {
    state.DraggingSplitter = false;
}

void frmPlayer::SetTwipsTop(QWidget* widget, int top) {
    QRect place = TwipsOf(widget);
    place.moveTop(top);
    PlaceTwips(widget, place);
}

void frmPlayer::SetTwipsHeight(QWidget* widget, int height) {
    QRect place = TwipsOf(widget);
    place.setHeight(height);
    PlaceTwips(widget, place);
}

void frmPlayer::MoveSlider() {
    const QRect slider = TwipsOf(lblSlider);
    if (slider.top() <= 1000)
        SetTwipsTop(lblSlider, 1000);
    else if (slider.top() + slider.height() >= 6000)
        SetTwipsTop(lblSlider, 6000);
    const int top = TwipsOf(lblSlider).top();
    const int bottom = top + TwipsOf(lblSlider).height();
    SetTwipsHeight(lstArtist, top - TwipsOf(lstArtist).top());
    SetTwipsTop(lstTracks, bottom);
    SetTwipsHeight(lstTracks, 6415 - bottom);
    const QRect browse = TwipsOf(imgBrowse.normal);
    int cueTop = 4320;
    if (TwipsOf(lstTracks).height() > 2025)
        cueTop = browse.bottom() + 1 + 80 >= TwipsOf(lstTracks).top() ? browse.bottom() + 1 + 80
                                                                      : TwipsOf(lstTracks).top();
    const int step = TwipsOf(imgCue.normal).height() + 80;
    for (auto [pair, top2] : {std::pair{&imgCue, cueTop}, std::pair{&imgAdd, cueTop + step},
                              std::pair{&imgDelete, cueTop + 2 * step}}) {
        SetTwipsTop(pair->normal, top2);
        SetTwipsTop(pair->over, top2);
    }
}
