#include "desktop/PlayerActions.h"

#include "core/Paths.h"
#include "playback/ScaledBox.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace {
constexpr int kFullVolume = 1785; // the gauge's width in twips at full volume
const QString kSongMode = QStringLiteral("status song mode");
} // namespace

PlayerActions::Status PlayerActions::PlaybackStatus() const {
    const frmPlayer& p = player_;
    QString mode;
    const QString query =
        p.state.videofile ? QStringLiteral("status %1 mode").arg(p.state.AliasName) : kSongMode;
    if (p.media.sender.SendString(query, &mode, 128) != 0)
        return Status::Stopped; // nothing open
    if (mode == QLatin1String("playing"))
        return Status::Playing;
    return mode == QLatin1String("paused") ? Status::Paused : Status::Stopped;
}

// The transport buttons' procedures swap the highlighted images, as after a click on them; run
// from a key or the bus, the images then follow the new state instead.
void PlayerActions::Play() {
    if (PlaybackStatus() != Status::Playing)
        player_.imgPlayOver_Click();
    player_.NoMouseOvers();
}

void PlayerActions::Pause() {
    if (PlaybackStatus() == Status::Playing)
        player_.imgPauseOver_Click();
    player_.NoMouseOvers();
}

void PlayerActions::PlayPause() {
    if (PlaybackStatus() == Status::Playing)
        player_.imgPauseOver_Click();
    else
        player_.imgPlayOver_Click();
    player_.NoMouseOvers();
}

void PlayerActions::Stop() {
    player_.imgStopOver_Click();
    player_.NoMouseOvers();
}

void PlayerActions::Next() {
    try {
        player_.state.StartedFromCommand = false;
        player_.EndOfSongCode(false);
    } catch (const std::exception&) {
        // a song that cannot be looked up is not started
    }
    player_.NoMouseOvers(); // the Play and Pause images follow the new state
}

void PlayerActions::Previous() {
    IdList& order = player_.state.lstNowPlaying;
    if (order.ListCount() == 0) {
        Stop(); // no play order: nothing comes before
        return;
    }
    PlayOrderEntry(order.ListIndex() <= 0 ? order.ListCount() - 1 : order.ListIndex() - 1);
}

void PlayerActions::PlayOrderEntry(int index) {
    IdList& order = player_.state.lstNowPlaying;
    order.SetListIndex(index);
    try {
        player_.PlaySong(static_cast<qint16>(TrimBlanks(order.Text()).toInt()), QString());
    } catch (const std::exception&) {
        // a song that cannot be looked up is not started
    }
    player_.NoMouseOvers();
}

PlayerActions::Song PlayerActions::NowPlaying() const {
    Song song;
    song.id = static_cast<qint16>(player_.state.lblNowPlaying.toInt());
    const RecordSource& songs = player_.datSong;
    if (song.id <= 0)
        return Song{};
    const std::span<const int> found = songs.PositionsOf(song.id);
    if (found.empty())
        return Song{};
    song.title = songs.TextAt(found.front(), songs.FieldIndex(QStringLiteral("Title")));
    song.artist = songs.TextAt(found.front(), songs.FieldIndex(QStringLiteral("artist")));
    song.path = TrimBlanks(
        songs.AtPosition(found.front(), songs.FieldIndex(QStringLiteral("filepath"))).toString());
    return song;
}

qint64 PlayerActions::PositionMs() const {
    frmPlayer& p = player_;
    try {
        if (p.state.videofile) {
            const qint32 rate = p.state.VideoFrameRate;
            return rate > 0
                       ? qint64(video::DevicePosition(p.media, p.state.AliasName)) * 1000 / rate
                       : 0;
        }
        return MP3::SongPositionMs(p.media);
    } catch (const std::exception&) {
        return 0;
    }
}

qint64 PlayerActions::LengthMs() const {
    frmPlayer& p = player_;
    try {
        if (p.state.videofile)
            return std::max<qint32>(0, video::DeviceLengthMs(p.media, p.state.AliasName));
        return video::SongLengthMs(p.media);
    } catch (const std::exception&) {
        return 0;
    }
}

void PlayerActions::SeekToMs(qint64 ms) {
    player_.picSongProgress_MouseDown(static_cast<double>(std::max<qint64>(0, ms)) / 1000.0);
}

double PlayerActions::Volume() const {
    return TwipsOf(player_.imgVol).width() / double(kFullVolume);
}

void PlayerActions::SetVolume(double volume) {
    if (std::isnan(volume))
        return;
    player_.imgVol_MouseDown(
        static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * kFullVolume)));
}

// The speed track reads 0 to 2000 for a song, where the song gets the thumb's place + 3 (1000
// is normal speed), and 0 to 200 for a video, whose device gets ten times that.
double PlayerActions::RateFactor() const {
    const double scale = player_.picSpeed->ScaleWidth();
    return scale > 0 ? 2000.0 / scale / 1000.0 : 0.001;
}

double PlayerActions::Rate() const {
    return (player_.lblSongSpeed->Left() + 3) * RateFactor();
}

double PlayerActions::MinimumRate() const {
    return 3 * RateFactor();
}

double PlayerActions::MaximumRate() const {
    return (player_.picSpeed->ScaleWidth() - player_.lblSongSpeed->Width() + 3) * RateFactor();
}

void PlayerActions::SetRate(double rate) {
    if (std::isnan(rate))
        return;
    if (rate <= 0) {
        Pause();
        return;
    }
    const double highest = player_.picSpeed->ScaleWidth() - player_.lblSongSpeed->Width();
    player_.picSpeed_MouseDown(std::clamp(rate / RateFactor() - 3, 0.0, highest));
}

void PlayerActions::Raise() {
    QWidget* window = player_.skin()->isVisible() ? static_cast<QWidget*>(player_.skin())
                                                  : static_cast<QWidget*>(&player_);
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

void PlayerActions::Quit() {
    player_.close();
}

bool PlayerActions::OpenFile(const QString& path) {
    return player_.HandleFile(path);
}
