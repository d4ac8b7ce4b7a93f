// The main window's side of the video window: showing pictures and playing videos in it
// (library videos and the background visuals of the folder "Other"), leaving video mode, the
// background list, the repeat and pin buttons, and keeping a pinned window in its place.
#include "core/Paths.h"
#include "import/FileListBox.h"
#include "playback/ScaledBox.h"
#include "playback/frmVideo.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"

namespace {

enum class VisualKind { Picture, Video, Neither };

// By the last four characters of the path in lower case.
VisualKind KindOf(const QString& path) {
    const QString end = TrimBlanks(path).right(4).toLower();
    for (const char* picture : {".gif", ".jpg", ".bmp", ".png", "jpeg"})
        if (end == QLatin1String(picture))
            return VisualKind::Picture;
    for (const char* film : {".wmv", ".mpg", "mpeg", ".avi", ".vob"})
        if (end == QLatin1String(film))
            return VisualKind::Video;
    return VisualKind::Neither;
}

// Each step of starting a video stands on its own: one that fails is passed over.
template <typename Body> void Step(Body&& body) {
    try {
        body();
    } catch (const std::exception&) {
        // passed over: the next step runs
    }
}

// The place of a pinned window, in twips from the main window's frame.
constexpr int kPinnedLeft = 400, kPinnedTop = 3700;

QString DeviceTypeOf(const QString& path) {
    return TrimBlanks(path).right(4).toLower() == QLatin1String(".avi")
               ? QStringLiteral("AviVideo")
               : QStringLiteral("MPEGVideo");
}

} // namespace

frmVideo* frmPlayer::video() {
    if (!video_)
        video_ = new frmVideo(*this);
    video_->Load();
    return video_;
}

void frmPlayer::PlacePlayLists(int height) {
    PlaceTwips(lstPlayLists, TwipsRect(360, 1080, 2775, height));
}

void frmPlayer::PlayVideo(const QString& path) {
    frmVideo* window = video();
    videoOpened_ = false;
    state.VideoStarted = true;
    File1->hide();
    PlacePlayLists(2010);
    video::CloseDevice(media, state.AliasName);
    VisualKind kind = KindOf(path);
    if (kind == VisualKind::Neither && !state.PlayingOther)
        kind = VisualKind::Video; // a library item is a video by its own rule (PlaySong's)
    if (kind == VisualKind::Picture) {
        state.ShowingPicture = true;
        state.PictureTicks = 0;
        videoOpened_ = window->ShowPicture(TrimBlanks(path));
    } else if (kind == VisualKind::Video) {
        PlayVideoFile(TrimBlanks(path));
    } else {
        PlayNextBackground();
    }
}

void frmPlayer::PlayVideoFile(const QString& path) {
    frmVideo* window = video();
    state.ShowingPicture = false;
    window->imgPic->hide();
    state.typeDevice = DeviceTypeOf(path);
    if (state.firstvideo) {
        window->show();
        if (window->IsNormalState()) {
            if (skin_->isVisible())
                window->Place(ToTwips(skin_->x()),
                              ToTwips(skin_->y() + skin_->frameGeometry().height()),
                              frmVideo::kPinnedWidth, frmVideo::kPinnedHeight);
            else
                window->Place(ToTwips(x()) + kPinnedLeft, ToTwips(y()) + kPinnedTop,
                              frmVideo::kPinnedWidth, frmVideo::kPinnedHeight);
        }
    }
    state.firstvideo = false;
    Step([&] {
        videoOpened_ =
            video::OpenDevice(media, static_cast<qint32>(window->winId()), state.AliasName, path,
                              state.typeDevice) == QLatin1String("Success");
    });
    // A background item is muted by its caller; muted before it plays, it is never heard.
    if (state.PlayingOther)
        Step([&] { video::SetDeviceVolume(media, state.AliasName, QStringLiteral("all"), 0); });
    Step([&] { video::PlayDevice(media, state.AliasName, QString(), QString()); });
    Step([&] {
        state.VideoFrameRate = static_cast<qint16>(video::DeviceFrameRate(media, state.AliasName));
    });
    Step([&] { window->theresize(); });
    if (!state.PlayingOther)
        ShowLibraryVideoLength();
}

// The transport takes a library video as it takes a song: its scale in seconds, the volume of
// the gauge, the length text, the speed track's video scale.
void frmPlayer::ShowLibraryVideoLength() {
    const qint16 rate = state.VideoFrameRate;
    Step([&] {
        if (rate == 0)
            throw std::domain_error("Division by zero");
        picSongProgress->SetScaleWidth(
            static_cast<double>(video::DeviceLengthFrames(media, state.AliasName)) / rate);
    });
    Step([&] { volchanged(); });
    Step([&] {
        if (rate == 0)
            throw std::domain_error("Division by zero");
        const qint32 seconds = RoundToInt32(
            static_cast<double>(video::DeviceLengthFrames(media, state.AliasName)) / rate);
        state.VideoLengthText =
            QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    });
    if (!state.LastWasVideo) {
        picSpeed->SetScaleWidth(200);
        lblSongSpeed->SetLeft(100);
    }
    Step([&] { ReapplySpeed(); });
    state.LastWasVideo = true;
}

QString frmPlayer::SelectedBackgroundPath() const {
    return File1->Path() + QLatin1Char('/') + File1->FileName();
}

void frmPlayer::SelectNextBackground() {
    const int count = File1->count();
    if (count > 0)
        File1->setCurrentRow(File1->currentRow() + 1 >= count ? 0 : File1->currentRow() + 1);
}

// A file that is neither picture nor video is passed over for the next one of the list that
// is. When one round of the list finds none, nothing plays, instead of skipping for ever.
void frmPlayer::PlayNextBackground() {
    for (int tried = 0; tried < File1->count(); ++tried) {
        SelectNextBackground();
        if (KindOf(File1->FileName()) != VisualKind::Neither) {
            PlaySong(0, SelectedBackgroundPath());
            return;
        }
    }
    state.ShowingPicture = false;
}

void frmPlayer::NotVideoFile() {
    if (state.PlayingOther) {
        state.videofile = false; // the background item keeps its window
        return;
    }
    if (video_)
        video_->Unload();
    PlacePlayLists(4545);
    state.seperatevideo = false;
    state.videofile = false;
}

// The background advance of the playback tick: a picture stays 100 ticks, a video to its end;
// then the next file of the list, or the same again with "repeat 1 video".
void frmPlayer::BackgroundTick() {
    if (File1->count() == 0)
        return;
    if (state.ShowingPicture) {
        if (++state.PictureTicks < 100)
            return;
        state.PictureTicks = 0;
        if (state.RepeatOneVideo)
            return;
        SelectNextBackground();
    } else {
        if (video::DevicePercentPlayed(media, state.AliasName) != 100)
            return;
        if (!state.RepeatOneVideo)
            SelectNextBackground();
    }
    PlaySong(0, SelectedBackgroundPath());
    video::SetDeviceVolume(media, state.AliasName, QStringLiteral("all"), 0);
}

// A pinned window follows the main window (or, for a library video, the mini player); a window
// the user gave another size floats from then on.
void frmPlayer::DockVideo(bool libraryVideo) {
    if (!video_ || !video_->IsLoaded() || !video_->IsNormalState())
        return;
    if (video_->WidthTwips() != frmVideo::kPinnedWidth ||
        video_->HeightTwips() != frmVideo::kPinnedHeight) {
        state.seperatevideo = true;
        return;
    }
    if (state.seperatevideo)
        return;
    if (libraryVideo && skin_->isVisible())
        video_->MoveTwips(ToTwips(skin_->x()),
                          ToTwips(skin_->y() + skin_->frameGeometry().height()) - 70);
    else
        video_->MoveTwips(ToTwips(x()) + kPinnedLeft, ToTwips(y()) + kPinnedTop);
}

void frmPlayer::BringVideoBack() {
    if (video_ && video_->IsLoaded() && video_->IsNormalState()) {
        video_->show();
        video_->raise();
    }
}

void frmPlayer::imgVidOver_Click() {
    if (!state.seperatevideo && video_)
        video_->Unload();
    if (File1->isVisible()) {
        File1->hide();
        PlacePlayLists(4545);
        return;
    }
    File1->SetPath(File1->Path().isEmpty()
                       ? InProgramFolder(programFolder_, QStringLiteral("Other"))
                       : File1->Path());
    File1->show();
    PlacePlayLists(2985);
}

void frmPlayer::imgNoRepeatVidOver_Click() {
    imgNoRepeatVid.over->hide();
    imgRepeatVid.over->show();
    state.RepeatOneVideo = true;
}

void frmPlayer::imgRepeatVidOver_Click() {
    imgRepeatVid.over->hide();
    imgNoRepeatVid.over->show();
    state.RepeatOneVideo = false;
}

void frmPlayer::imgSeperateOver_Click() {
    state.seperatevideo = true;
    imgSeperate.over->hide();
    imgNoSeperate.over->show();
}

void frmPlayer::imgNoSeperateOver_Click() {
    state.seperatevideo = false;
    video()->Place(ToTwips(x()) + kPinnedLeft, ToTwips(y()) + kPinnedTop, frmVideo::kPinnedWidth,
                   frmVideo::kPinnedHeight);
    imgNoSeperate.over->hide();
    imgSeperate.over->show();
}

void frmPlayer::ConnectVideoButtons() {
    connect(imgVid.over, &SkinImage::clicked, this, &frmPlayer::imgVidOver_Click);
    connect(imgRepeatVid.over, &SkinImage::clicked, this, &frmPlayer::imgRepeatVidOver_Click);
    connect(imgNoRepeatVid.over, &SkinImage::clicked, this, &frmPlayer::imgNoRepeatVidOver_Click);
    connect(imgSeperate.over, &SkinImage::clicked, this, &frmPlayer::imgSeperateOver_Click);
    connect(imgNoSeperate.over, &SkinImage::clicked, this, &frmPlayer::imgNoSeperateOver_Click);
}
