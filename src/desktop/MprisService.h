// The player on the desktop's session bus as an MPRIS 2 media player: the desktop's own
// now-playing display and its media keys reach the player through it.
//
// Bus name org.mpris.MediaPlayer2.jukora, object /org/mpris/MediaPlayer2, interfaces
// org.mpris.MediaPlayer2 and org.mpris.MediaPlayer2.Player. Only the copy that holds the
// program folder's lock takes the name; a second copy, or a player without a session bus,
// offers nothing and nothing fails.
//
// Every method goes through PlayerActions, that is through the main window's own procedures.
// What the desktop shows is kept current without any polling: when the main window says that
// something playing may have changed, or the volume gauge changes size, the service compares the
// status, the song, its length, the gauge and the speed track with what it last announced (once
// the window's handler has finished) and sends PropertiesChanged only for what changed; a
// position away from where the clock puts it sends Seeked. Nothing is sent, and nothing runs,
// while nothing changes.
#pragma once

#include "desktop/PlayerActions.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

class frmPlayer;
class MprisPlayerAdaptor;

class MprisService : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.jukora";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";

    explicit MprisService(frmPlayer& player,
                          const QDBusConnection& bus = QDBusConnection::sessionBus());
    ~MprisService() override;

    bool IsRegistered() const { return registered_; }
    void Withdraw(); // gives up the name and the object
    // Announces what changed once the handler running now has finished.
    void AnnounceSoon();
    PlayerActions& actions() { return actions_; }

    // The track's object path: /org/jukora/song/<songid>, or the "no track" path.
    static QDBusObjectPath TrackId(qint16 songId);
    QVariantMap Metadata() const;
    QString StatusText() const;

    // Compares what the desktop was last told with the player and announces what changed; a
    // jump of the position, or `seeked`, sends Seeked.
    void Announce(bool seeked = false);

    // Replies to the bus call being handled with an error (for the adaptors).
    void RefuseCall(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Shown {
        QString status;
        qint16 songId = -1;
        qint64 lengthMs = -1;
        int volumeWidth = -1;
        double speedLeft = -1, speedScale = -1;
        qint64 positionMs = 0;
    };
    Shown Current() const;
    void SendChanged(const QVariantMap& changed);

    frmPlayer& player_;
    PlayerActions actions_;
    QDBusConnection bus_;
    MprisPlayerAdaptor* playerAdaptor_ = nullptr;
    bool registered_ = false;
    QTimer soon_;
    Shown shown_;
    QElapsedTimer sinceShown_; // since shown_.positionMs was read
};

// org.mpris.MediaPlayer2
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit MprisRootAdaptor(MprisService& service);
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Jukora"); }
    QString DesktopEntry() const { return QStringLiteral("jukora"); }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const;

public slots:
    void Raise();
    void Quit();

private:
    MprisService& service_;
};

// org.mpris.MediaPlayer2.Player
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(bool CanGoNext READ CanControl)
    Q_PROPERTY(bool CanGoPrevious READ CanControl)
    Q_PROPERTY(bool CanPlay READ CanControl)
    Q_PROPERTY(bool CanPause READ CanControl)
    Q_PROPERTY(bool CanSeek READ CanControl)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit MprisPlayerAdaptor(MprisService& service);
    QString PlaybackStatus() const { return service_.StatusText(); }
    QVariantMap Metadata() const { return service_.Metadata(); }
    qlonglong Position() const { return service_.actions().PositionMs() * 1000; }
    double Volume() const { return service_.actions().Volume(); }
    void SetVolume(double volume);
    double Rate() const { return service_.actions().Rate(); }
    void SetRate(double rate);
    double MinimumRate() const { return service_.actions().MinimumRate(); }
    double MaximumRate() const { return service_.actions().MaximumRate(); }
    bool CanControl() const { return true; }

public slots:
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
    void OpenUri(const QString& Uri);

signals:
    void Seeked(qlonglong Position);

private:
    void Act(void (PlayerActions::*action)());
    MprisService& service_;
};
