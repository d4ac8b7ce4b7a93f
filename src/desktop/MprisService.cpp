#include "desktop/MprisService.h"

#include "playback/ScaledBox.h"
#include "prefs/FileTypes.h"
#include "skin/SkinImage.h"
#include "skin/frmPlayer.h"

#include <QDBusMessage>
#include <QEvent>
#include <QFileInfo>
#include <QUrl>

#include <cmath>

namespace {
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
// A position further than this from where the clock says it should be was moved by a seek.
constexpr qint64 kJumpMs = 1000;
} // namespace

MprisService::MprisService(frmPlayer& player, const QDBusConnection& bus)
    : player_(player), actions_(player), bus_(bus) {
    if (player.IsUnloaded() || player.AnotherCopyRunning() || !bus_.isConnected())
        return;
    new MprisRootAdaptor(*this);
    playerAdaptor_ = new MprisPlayerAdaptor(*this);
    if (!bus_.registerObject(QLatin1String(kObjectPath), this, QDBusConnection::ExportAdaptors))
        return;
    if (!bus_.registerService(QLatin1String(kServiceName))) {
        bus_.unregisterObject(QLatin1String(kObjectPath)); // another player holds the name
        return;
    }
    registered_ = true;
    // The player leaves the desktop's display as soon as its main window is unloaded.
    connect(&player, &frmPlayer::Unloaded, this, &MprisService::Withdraw);
    shown_ = Current();
    sinceShown_.start();
    soon_.setSingleShot(true);
    soon_.setInterval(0);
    connect(&soon_, &QTimer::timeout, this, [this] { Announce(); });
    connect(&player, &frmPlayer::PlayStateChanged, this, &MprisService::AnnounceSoon);
    player.imgVol->installEventFilter(this);
}

void MprisService::AnnounceSoon() {
    if (registered_)
        soon_.start();
}

bool MprisService::eventFilter(QObject* watched, QEvent* event) {
    if (watched == player_.imgVol && event->type() == QEvent::Resize)
        AnnounceSoon();
    return QObject::eventFilter(watched, event);
}

MprisService::~MprisService() {
    Withdraw();
}

void MprisService::Withdraw() {
    if (!registered_)
        return;
    registered_ = false;
    soon_.stop();
    bus_.unregisterService(QLatin1String(kServiceName));
    bus_.unregisterObject(QLatin1String(kObjectPath));
}

QDBusObjectPath MprisService::TrackId(qint16 songId) {
    if (songId <= 0)
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    return QDBusObjectPath(QStringLiteral("/org/jukora/song/%1").arg(songId));
}

QVariantMap MprisService::Metadata() const {
    const PlayerActions::Song song = actions_.NowPlaying();
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId(song.id)));
    if (song.id <= 0)
        return metadata;
    metadata.insert(QStringLiteral("mpris:length"), qlonglong(actions_.LengthMs() * 1000));
    metadata.insert(QStringLiteral("xesam:title"), song.title);
    metadata.insert(QStringLiteral("xesam:artist"), QStringList{song.artist});
    metadata.insert(QStringLiteral("xesam:url"),
                    QUrl::fromLocalFile(song.path).toString(QUrl::FullyEncoded));
    return metadata;
}

QString MprisService::StatusText() const {
    switch (actions_.PlaybackStatus()) {
    case PlayerActions::Status::Playing:
        return QStringLiteral("Playing");
    case PlayerActions::Status::Paused:
        return QStringLiteral("Paused");
    case PlayerActions::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

MprisService::Shown MprisService::Current() const {
    Shown now;
    now.status = StatusText();
    now.songId = static_cast<qint16>(player_.state.lblNowPlaying.toInt());
    now.lengthMs = actions_.LengthMs();
    now.volumeWidth = TwipsOf(player_.imgVol).width();
    now.speedLeft = player_.lblSongSpeed->Left();
    now.speedScale = player_.picSpeed->ScaleWidth();
    now.positionMs = actions_.PositionMs();
    return now;
}

void MprisService::Announce(bool seeked) {
    if (!registered_ || player_.IsUnloaded())
        return;
    const Shown now = Current();
    const qint64 elapsed = sinceShown_.restart();
    QVariantMap changed;
    if (now.status != shown_.status)
        changed.insert(QStringLiteral("PlaybackStatus"), now.status);
    if (now.songId != shown_.songId || now.lengthMs != shown_.lengthMs)
        changed.insert(QStringLiteral("Metadata"), Metadata());
    if (now.volumeWidth != shown_.volumeWidth)
        changed.insert(QStringLiteral("Volume"), actions_.Volume());
    if (now.speedLeft != shown_.speedLeft || now.speedScale != shown_.speedScale)
        changed.insert(QStringLiteral("Rate"), actions_.Rate());
    if (now.speedScale != shown_.speedScale) {
        changed.insert(QStringLiteral("MinimumRate"), actions_.MinimumRate());
        changed.insert(QStringLiteral("MaximumRate"), actions_.MaximumRate());
    }
    if (!seeked && now.songId == shown_.songId && now.status != QLatin1String("Stopped")) {
        const double rate = shown_.status == QLatin1String("Playing") ? actions_.Rate() : 0.0;
        const double expected = static_cast<double>(shown_.positionMs) + elapsed * rate;
        seeked = std::abs(static_cast<double>(now.positionMs) - expected) > kJumpMs;
    }
    shown_ = now;
    if (!changed.isEmpty())
        SendChanged(changed);
    if (seeked)
        emit playerAdaptor_->Seeked(now.positionMs * 1000);
}

void MprisService::SendChanged(const QVariantMap& changed) {
    QDBusMessage signal = QDBusMessage::createSignal(
        QLatin1String(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    bus_.send(signal);
}

void MprisService::RefuseCall(const QString& message) {
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs, message);
}

MprisRootAdaptor::MprisRootAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), service_(service) {}

QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    QStringList types;
    for (const char* extension :
         {".mp3", ".wma", ".wav", ".mid", ".mpg", ".mpeg", ".wmv", ".avi", ".vob"}) {
        const QString type = MimeTypeOfExtension(QLatin1String(extension));
        if (!type.isEmpty() && !types.contains(type))
            types << type;
    }
    return types;
}

void MprisRootAdaptor::Raise() {
    service_.actions().Raise();
}

// The main window closes after the reply has gone out: closing may ask the user (a folder
// import that is running says how far it came) and ends the program.
void MprisRootAdaptor::Quit() {
    QMetaObject::invokeMethod(
        &service_, [this] { service_.actions().Quit(); }, Qt::QueuedConnection);
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service)
    : QDBusAbstractAdaptor(&service), service_(service) {}

void MprisPlayerAdaptor::SetVolume(double volume) {
    service_.actions().SetVolume(volume);
    service_.Announce();
}

void MprisPlayerAdaptor::SetRate(double rate) {
    service_.actions().SetRate(rate);
    service_.Announce();
}

// Acts, and tells the desktop what changed at once.
void MprisPlayerAdaptor::Act(void (PlayerActions::*action)()) {
    (service_.actions().*action)();
    service_.Announce();
}

void MprisPlayerAdaptor::Play() {
    Act(&PlayerActions::Play);
}

void MprisPlayerAdaptor::Pause() {
    Act(&PlayerActions::Pause);
}

void MprisPlayerAdaptor::PlayPause() {
    Act(&PlayerActions::PlayPause);
}

void MprisPlayerAdaptor::Stop() {
    Act(&PlayerActions::Stop);
}

void MprisPlayerAdaptor::Next() {
    Act(&PlayerActions::Next);
}

void MprisPlayerAdaptor::Previous() {
    Act(&PlayerActions::Previous);
}

// A seek past the end goes on to the next track; one before the start goes to the start.
void MprisPlayerAdaptor::Seek(qlonglong Offset) {
    PlayerActions& actions = service_.actions();
    if (actions.NowPlaying().id <= 0)
        return;
    const qint64 target = actions.PositionMs() + Offset / 1000;
    if (target > actions.LengthMs()) {
        Next();
        return;
    }
    actions.SeekToMs(std::max<qint64>(0, target));
    service_.Announce(true);
}

// Ignored unless it names the track playing and a place inside it.
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    PlayerActions& actions = service_.actions();
    const qint16 id = actions.NowPlaying().id;
    if (id <= 0 || TrackId != MprisService::TrackId(id) || Position < 0 ||
        Position > actions.LengthMs() * 1000)
        return;
    actions.SeekToMs(Position / 1000);
    service_.Announce(true);
}

// A local file is handled after the reply has gone out, as a file on the command line is
// (played, queued or added; what goes wrong is said to the user in a box).
void MprisPlayerAdaptor::OpenUri(const QString& Uri) {
    const QUrl url = Uri.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(Uri) : QUrl(Uri);
    if (!url.isLocalFile()) {
        service_.RefuseCall(QStringLiteral("Jukora opens local files only (file:// addresses)."));
        return;
    }
    const QString path = url.toLocalFile();
    if (!QFileInfo(path).isFile()) {
        service_.RefuseCall(QStringLiteral("There is no file %1.").arg(path));
        return;
    }
    QMetaObject::invokeMethod(
        &service_,
        [this, path] {
            service_.actions().OpenFile(path);
            service_.Announce();
        },
        Qt::QueuedConnection);
}
