// The player as an MPRIS 2 media player on a session bus of the test's own, driven with gdbus as
// a desktop would, on real libmpv (sound to the null output).
#include "desktop/DesktopSupport.h"
#include "desktop/MprisService.h"
#include "media/MpvMciService.h"
#include "playback/ScaledBox.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

namespace {

class Mpris : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.Started());
        AddLongSongs(folder, 3);
        player =
            std::make_unique<frmPlayer>(PlayerServices{dialogs, media, folder.Path(), QString()});
        LoadAndReload(*player);
        ASSERT_EQ(player->lstTracks->ListCount(), 3);
        service = std::make_unique<MprisService>(*player, bus.Connection());
        ASSERT_TRUE(service->IsRegistered());
    }
    void StartTrack(int row) {
        player->lstTracks->SetListIndex(row);
        player->lstTracks_DblClick();
    }
    QString Status() { return PlayerProperty(bus, QStringLiteral("PlaybackStatus")); }
    QString NowPlaying() const { return player->state.lblNowPlaying; }

    PrivateBus bus;
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    MpvMciService media;
    std::unique_ptr<frmPlayer> player;
    std::unique_ptr<MprisService> service;
};

TEST_F(Mpris, TheNameAppearsAndTheMetadataFollowsASongStartedFromTheTrackList) {
    const GdbusResult names =
        Gdbus(bus, {QStringLiteral("call"), QStringLiteral("--dest"),
                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("--object-path"),
                    QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("--method"),
                    QStringLiteral("org.freedesktop.DBus.ListNames")});
    EXPECT_TRUE(names.out.contains(QStringLiteral("'org.mpris.MediaPlayer2.jukora'")))
        << names.out.toStdString();
    const QString root = QStringLiteral("org.mpris.MediaPlayer2");
    EXPECT_EQ(PlayerProperty(bus, QStringLiteral("Identity"), root),
              QStringLiteral("(<'Jukora'>,)"));
    EXPECT_EQ(PlayerProperty(bus, QStringLiteral("DesktopEntry"), root),
              QStringLiteral("(<'jukora'>,)"));
    EXPECT_TRUE(PlayerProperty(bus, QStringLiteral("SupportedMimeTypes"), root)
                    .contains(QStringLiteral("'audio/mpeg'")));
    EXPECT_EQ(Status(), QStringLiteral("(<'Stopped'>,)"));
    EXPECT_TRUE(PlayerProperty(bus, QStringLiteral("Metadata"))
                    .contains(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")));

    StartTrack(1);
    EXPECT_EQ(Status(), QStringLiteral("(<'Playing'>,)"));
    const QString metadata = PlayerProperty(bus, QStringLiteral("Metadata"));
    EXPECT_TRUE(
        metadata.contains(QStringLiteral("'mpris:trackid': <objectpath '/org/jukora/song/2'>")))
        << metadata.toStdString();
    EXPECT_TRUE(metadata.contains(QStringLiteral("'xesam:title': <'Song 2'>")));
    EXPECT_TRUE(metadata.contains(QStringLiteral("'xesam:artist': <['Band 2']>")));
    EXPECT_TRUE(metadata.contains(QStringLiteral("'xesam:url': <'file://%1'>")
                                      .arg(folder.File(QStringLiteral("song2.wav")))));
    const QRegularExpressionMatch length =
        QRegularExpression(QStringLiteral("'mpris:length': <int64 (\\d+)>")).match(metadata);
    ASSERT_TRUE(length.hasMatch()) << metadata.toStdString();
    EXPECT_NEAR(length.captured(1).toLongLong(), 30'000'000, 100'000); // microseconds
    const QString position = PlayerProperty(bus, QStringLiteral("Position"));
    EXPECT_TRUE(position.startsWith(QStringLiteral("(<int64 "))) << position.toStdString();
}

TEST_F(Mpris, TransportCallsActAsTheButtons) {
    StartTrack(0);
    CallPlayer(bus, QStringLiteral("PlayPause"));
    EXPECT_FALSE(player->state.songplaying);
    // The Play image shows, and nothing of the Pause image stands over it.
    EXPECT_TRUE(player->imgPlay.normal->isVisibleTo(player.get()));
    EXPECT_FALSE(player->imgPause.normal->isVisibleTo(player.get()));
    EXPECT_FALSE(player->imgPause.over->isVisibleTo(player.get()));
    EXPECT_EQ(Status(), QStringLiteral("(<'Paused'>,)"));
    CallPlayer(bus, QStringLiteral("PlayPause"));
    EXPECT_TRUE(player->state.songplaying);
    EXPECT_TRUE(player->imgPause.normal->isVisibleTo(player.get()));
    EXPECT_FALSE(player->imgPlay.normal->isVisibleTo(player.get()));
    EXPECT_EQ(Status(), QStringLiteral("(<'Playing'>,)"));
    CallPlayer(bus, QStringLiteral("Play")); // already playing: nothing restarts
    EXPECT_EQ(NowPlaying(), QStringLiteral("1"));

    // Next: the queue first, then the play order.
    player->CueASong(3);
    CallPlayer(bus, QStringLiteral("Next"));
    EXPECT_EQ(NowPlaying(), QStringLiteral("3"));
    EXPECT_EQ(player->lstCuedSongs->ListCount(), 0);
    CallPlayer(bus, QStringLiteral("Next"));
    EXPECT_EQ(NowPlaying(), QStringLiteral("2"));
    CallPlayer(bus, QStringLiteral("Previous"));
    EXPECT_EQ(NowPlaying(), QStringLiteral("1"));
    CallPlayer(bus, QStringLiteral("Previous")); // from the first, the last
    EXPECT_EQ(NowPlaying(), QStringLiteral("3"));
    EXPECT_TRUE(player->state.songplaying);

    // SetPosition seeks as the progress bar does, only for the track playing.
    CallPlayer(bus, QStringLiteral("SetPosition"),
               {QStringLiteral("/org/jukora/song/3"), QStringLiteral("12000000")});
    EXPECT_NEAR(MP3::SongPositionMs(player->media), 12000, 700);
    CallPlayer(bus, QStringLiteral("SetPosition"),
               {QStringLiteral("/org/jukora/song/1"), QStringLiteral("25000000")});
    EXPECT_NEAR(MP3::SongPositionMs(player->media), 12000, 1500);
    CallPlayer(bus, QStringLiteral("Seek"), {QStringLiteral("5000000")});
    EXPECT_NEAR(MP3::SongPositionMs(player->media), 17000, 1500);

    CallPlayer(bus, QStringLiteral("Stop"));
    EXPECT_FALSE(player->state.songplaying);
    EXPECT_TRUE(player->state.stopped);
    EXPECT_EQ(Status(), QStringLiteral("(<'Stopped'>,)"));
}

TEST_F(Mpris, VolumeAndRateSetOverTheBusMoveTheGaugeAndTheSpeedTrack) {
    StartTrack(0);
    const QString set = QStringLiteral("org.freedesktop.DBus.Properties.Set");
    const QString iface = QStringLiteral("org.mpris.MediaPlayer2.Player");
    CallPlayer(bus, set, {iface, QStringLiteral("Volume"), QStringLiteral("<0.5>")});
    EXPECT_EQ(TwipsOf(player->imgVol).width(), 893);
    EXPECT_TRUE(PlayerProperty(bus, QStringLiteral("Volume")).startsWith(QStringLiteral("(<0.50")));
    CallPlayer(bus, set, {iface, QStringLiteral("Volume"), QStringLiteral("<7.0>")});
    EXPECT_EQ(TwipsOf(player->imgVol).width(), 1785); // full, not beyond

    CallPlayer(bus, set, {iface, QStringLiteral("Rate"), QStringLiteral("<1.5>")});
    EXPECT_NEAR(player->lblSongSpeed->Left(), 1497, 0.5);
    EXPECT_EQ(PlayerProperty(bus, QStringLiteral("Rate")), QStringLiteral("(<1.5>,)"));
    CallPlayer(bus, set, {iface, QStringLiteral("Rate"), QStringLiteral("<50.0>")});
    EXPECT_NEAR(player->lblSongSpeed->Left(),
                player->picSpeed->ScaleWidth() - player->lblSongSpeed->Width(), 0.5);
    CallPlayer(bus, set, {iface, QStringLiteral("Rate"), QStringLiteral("<0.0>")});
    EXPECT_FALSE(player->state.songplaying); // a rate of 0 pauses
}

// gdbus monitor shows what the desktop hears: changes when they happen, nothing in between.
TEST_F(Mpris, PropertiesChangedAndSeekedAreSentWhenSomethingChangesOnly) {
    QProcess monitor;
    monitor.start(QStringLiteral("gdbus"),
                  {QStringLiteral("monitor"), QStringLiteral("--address"), bus.Address(),
                   QStringLiteral("--dest"), QStringLiteral("org.mpris.MediaPlayer2.jukora")});
    QString heard;
    auto hear = [&] { heard += QString::fromUtf8(monitor.readAllStandardOutput()); };
    ASSERT_TRUE(WaitFor(
        [&] {
            hear();
            return heard.contains(QStringLiteral("is owned by"));
        },
        5000));

    StartTrack(0);
    ASSERT_TRUE(WaitFor(
        [&] {
            hear();
            return heard.contains(QStringLiteral("'Song 1'"));
        },
        3000));
    EXPECT_TRUE(heard.contains(QStringLiteral("PropertiesChanged")));
    EXPECT_TRUE(heard.contains(QStringLiteral("'PlaybackStatus': <'Playing'>")));

    Settle(300);
    hear();
    const qsizetype settled = heard.size();
    Settle(1500); // playing on, nothing changing
    hear();
    EXPECT_EQ(heard.size(), settled) << heard.mid(settled).toStdString();

    StartTrack(1); // a song change
    ASSERT_TRUE(WaitFor(
        [&] {
            hear();
            return heard.mid(settled).contains(QStringLiteral("'Song 2'"));
        },
        3000));
    EXPECT_TRUE(heard.mid(settled).contains(QStringLiteral("PropertiesChanged")));

    player->picSongProgress_MouseDown(20); // a seek by the user on the progress bar
    EXPECT_TRUE(WaitFor(
        [&] {
            hear();
            return heard.contains(QStringLiteral("Player.Seeked (int64 20"));
        },
        3000))
        << heard.toStdString();

    // The song ends by itself and the next of the play order starts: the desktop hears of it.
    player->picSongProgress_MouseDown(29);
    EXPECT_TRUE(WaitFor(
        [&] {
            hear();
            return heard.contains(QStringLiteral("'xesam:title': <'Song 3'>"));
        },
        4000));

    player->imgVolDownOver_Click();
    EXPECT_TRUE(WaitFor(
        [&] {
            hear();
            return heard.contains(QStringLiteral("'Volume': <"));
        },
        3000));
    monitor.kill();
    monitor.waitForFinished(2000);
}

TEST_F(Mpris, OpenUriHandsALocalFileOnAndRefusesTheRest) {
    const GdbusResult web =
        CallPlayer(bus, QStringLiteral("OpenUri"), {QStringLiteral("http://example.org/song.mp3")});
    EXPECT_NE(web.exitCode, 0);
    EXPECT_TRUE(web.err.contains(QStringLiteral("InvalidArgs"))) << web.err.toStdString();
    const GdbusResult missing =
        CallPlayer(bus, QStringLiteral("OpenUri"), {QStringLiteral("file:///no/such/song.mp3")});
    EXPECT_NE(missing.exitCode, 0);

    const GdbusResult song =
        CallPlayer(bus, QStringLiteral("OpenUri"),
                   {QStringLiteral("file://") + folder.File(QStringLiteral("song3.wav"))});
    EXPECT_EQ(song.exitCode, 0) << song.err.toStdString();
    EXPECT_TRUE(WaitFor([&] { return NowPlaying() == QStringLiteral("3"); }, 3000));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Mpris, QuitClosesTheMainWindowAndTheNameGoesWithIt) {
    player->show();
    StartTrack(0);
    const GdbusResult quit = CallPlayer(bus, QStringLiteral("org.mpris.MediaPlayer2.Quit"));
    EXPECT_EQ(quit.exitCode, 0) << quit.err.toStdString();
    EXPECT_TRUE(WaitFor([&] { return player->IsUnloaded(); }, 3000));
    EXPECT_FALSE(player->isVisible());
    EXPECT_FALSE(service->IsRegistered());
    const GdbusResult owned =
        Gdbus(bus, {QStringLiteral("call"), QStringLiteral("--dest"),
                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("--object-path"),
                    QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("--method"),
                    QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                    QStringLiteral("org.mpris.MediaPlayer2.jukora")});
    EXPECT_EQ(owned.out, QStringLiteral("(false,)"));
}

// The real program: the copy that holds the program folder's lock takes the name, a second copy
// started on the same folder does not.
TEST(MprisProgram, OnlyTheFirstCopyTakesTheName) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Started());
    ProgramFolderFixture folder;
    AddLongSongs(folder, 1);
    QProcessEnvironment env = PlayerEnvironment(folder.Path());
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.Address());
    QProcess first, second;
    for (QProcess* copy : {&first, &second}) {
        copy->setProcessEnvironment(env);
        copy->setProgram(QStringLiteral(JUKORA_PLAYER_BINARY));
    }
    auto owner = [&] {
        return Gdbus(bus, {QStringLiteral("call"), QStringLiteral("--dest"),
                           QStringLiteral("org.freedesktop.DBus"), QStringLiteral("--object-path"),
                           QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("--method"),
                           QStringLiteral("org.freedesktop.DBus.GetConnectionUnixProcessID"),
                           QStringLiteral("org.mpris.MediaPlayer2.jukora")})
            .out;
    };
    first.start();
    ASSERT_TRUE(first.waitForStarted(5000));
    const QString firstOwner = QStringLiteral("(uint32 %1,)").arg(first.processId());
    EXPECT_TRUE(WaitFor([&] { return owner() == firstOwner; }, 15000)) << owner().toStdString();
    second.start();
    ASSERT_TRUE(second.waitForStarted(5000));
    Settle(3000); // the second copy is up, minimised
    EXPECT_EQ(second.state(), QProcess::Running);
    EXPECT_EQ(owner(), firstOwner);
    for (QProcess* copy : {&second, &first}) {
        copy->terminate();
        if (!copy->waitForFinished(5000))
            copy->kill();
        copy->waitForFinished(2000);
    }
}

} // namespace
