#include "core/CueFile.h"
#include "import/frmAdd.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include "skin/ListBox.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace {

const QString kEmptyQuestion =
    QStringLiteral("Your media library is currently empty, would you like to add files now?");

class Startup : public PlayerTest<> {
protected:
    void Load(const QString& commandLine = QString()) {
        MakePlayer(commandLine);
        player->Form_Load();
    }
    // Runs the reload timer's ticks by hand while it is on: the reload happens on the third.
    void RunReload() {
        for (int i = 0; i < 3 && player->Timer1.isActive(); ++i)
            player->Timer1_Timer();
    }
    QString MusicFile(const QString& name) {
        QDir(folder.Path()).mkpath(QStringLiteral("music"));
        const QString path = folder.File(QStringLiteral("music/") + name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return path;
    }
    int PlayCount(int songid) const { return folder.PlayCount(songid); }
};

} // namespace

TEST_F(Startup, MissingLibraryIsReportedAndThePlayerStaysOpenWithoutLists) {
    QFile::remove(folder.Library());
    Load();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              QStringLiteral("Jukora file missing - dbMedia.mdb\r\nPlease re-install or download "
                             "the file from 'http://www.orvane.example/media/downloads/'"));
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Jukora - File missing"));
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::Ok);
    EXPECT_FALSE(player->Timer1.isActive());
    EXPECT_FALSE(player->IsUnloaded());
    EXPECT_EQ(player->windowTitle(), QStringLiteral("Jukora - V2.1"));
    EXPECT_EQ(player->skin()->windowTitle(), QStringLiteral("Jukora - V2.1"));
    EXPECT_FALSE(QFile::exists(folder.Library())); // never created by the player
}

TEST_F(Startup, EmptyLibraryAsksOnceAndYesOpensTheAddMediaWindow) {
    dialogs.answers = {MsgResult::Yes};
    Load();
    EXPECT_TRUE(player->Timer1.isActive());
    RunReload();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, kEmptyQuestion);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Jukora - Empty library"));
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
    ASSERT_NE(player->addIfLoaded(), nullptr);
    EXPECT_TRUE(player->addIfLoaded()->isVisible());
    EXPECT_FALSE(player->state.FirstLoad);
    EXPECT_EQ(player->lstPlayLists->ListCount(), 0);
    EXPECT_EQ(player->lstArtist->ListCount(), 1); // "[All Artists]" only
    EXPECT_FALSE(player->tmrPlay.isActive());

    // Files are added; the next activation reloads silently and fills the lists.
    player->addIfLoaded()->addfile(QStringLiteral("/m/a - b.mp3"), QStringLiteral("a "),
                                   QStringLiteral("b"));
    player->addIfLoaded()->imgBackOver_Click();
    EXPECT_FALSE(player->addIfLoaded()->isVisible());
    player->Form_Activate();
    RunReload();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(player->lstPlayLists->ListCount(), 2);
    EXPECT_EQ(player->lstTracks->ListCount(), 1);
    EXPECT_EQ(player->lstTracks->List(0), QStringLiteral("1        B"));
    EXPECT_TRUE(player->tmrPlay.isActive());
}

TEST_F(Startup, EmptyLibraryAnsweredNoAsksNothingMore) {
    Load();
    RunReload();
    player->Form_Activate();
    RunReload();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(player->addIfLoaded(), nullptr);
}

TEST_F(Startup, ReloadFillsTheListsInStep) {
    folder.AddSong(1, QStringLiteral("Blue River"), QStringLiteral("Northwind"),
                   QStringLiteral("/m/1.mp3"));
    folder.AddSong(2, QStringLiteral("Over The Hill"), QStringLiteral("the holloways"),
                   QStringLiteral("/m/2.mp3"));
    folder.AddSong(3, QStringLiteral("Tide"), QStringLiteral("Northwind"),
                   QStringLiteral("/m/3.mp3"));
    Load();
    RunReload();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(player->Timer1.isActive());
    EXPECT_TRUE(player->tmrPlay.isActive());
    EXPECT_EQ(player->state.LoadTicks, 0);
    EXPECT_EQ(player->lstPlayLists->ListIndex(), 0);
    EXPECT_EQ(player->lstPlayLists->List(1), QStringLiteral("[Top 20]"));
    ASSERT_EQ(player->lstArtist->ListCount(), 3);
    EXPECT_EQ(player->lstArtist->List(1), QStringLiteral("Northwind"));
    EXPECT_EQ(player->lstArtist->List(2), QStringLiteral("the holloways"));
    ASSERT_EQ(player->lstTracks->ListCount(), 3);
    EXPECT_EQ(player->state.lstMaybe.ListCount(), 3);
    EXPECT_EQ(player->state.lstMaybe.List(2), QStringLiteral("3"));
    EXPECT_EQ(player->skin()->cmbTracks->ListCount(), 3);
    EXPECT_EQ(player->skin()->cmbArtists->ListCount(), 3);
}

TEST_F(Startup, UnusableLibraryIsReportedNotTakenForEmptyAndLeftUntouched) {
    QFile::remove(folder.Library());
    {
        QFile file(folder.Library());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, 'x'));
    }
    const QByteArray before = ReadBytes(folder.Library());
    Load();
    RunReload();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Jukora - Library unusable"));
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(folder.Library()));
    EXPECT_EQ(dialogs.CountTitled(QStringLiteral("Jukora - Empty library")), 0);
    EXPECT_FALSE(player->Timer1.isActive());
    EXPECT_FALSE(player->IsUnloaded());
    player.reset();
    EXPECT_EQ(ReadBytes(folder.Library()), before);
}

TEST_F(Startup, LibrarySongOnTheCommandLineIsPlayedAndStopsAtItsEnd) {
    const QString path = MusicFile(QStringLiteral("Northwind - Blue River.mp3"));
    folder.AddSong(4, QStringLiteral("Blue River"), QStringLiteral("Northwind"),
                   path + QStringLiteral("  "));
    Load(QLatin1Char('"') + path + QLatin1Char('"'));
    RunReload();
    EXPECT_TRUE(player->state.StartedFromCommand);
    EXPECT_TRUE(player->state.songplaying);
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("4"));
    EXPECT_TRUE(sender.commands.contains(QStringLiteral("open \"") + path +
                                         QStringLiteral("\" alias song")));
    EXPECT_EQ(PlayCount(4), 1);
}

TEST_F(Startup, ShortFormPathIsLookedUpInItsLongForm) {
    const QString path = MusicFile(QStringLiteral("Old~Song.mp3"));
    folder.AddSong(2, QStringLiteral("Old Song"), QStringLiteral("Unknown"), path);
    Load(folder.Path() + QStringLiteral("/MUSIC/old~song.mp3"));
    RunReload();
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("2"));
}

TEST_F(Startup, SongOnTheCommandLineIsQueuedWhileSomethingPlays) {
    folder.FillSongs(3);
    folder.MakeSongFiles(3);
    Load(folder.SongFile(2));
    player->state.songplaying = true; // as if Play had been pressed before the reload
    player->Timer1_Timer();
    player->Timer1_Timer();
    player->Timer1_Timer();
    EXPECT_EQ(player->state.lstCuedSongsPath.Items(), QStringList{QStringLiteral("2")});
    EXPECT_EQ(player->lstCuedSongs->List(0), QStringLiteral("Artist 0 - Title 2"));
    EXPECT_TRUE(player->state.CuePending);
}

TEST_F(Startup, NewFileOnTheCommandLineIsAddedNotPlayed) {
    folder.FillSongs(2);
    const QString first = MusicFile(QStringLiteral("Artist - Title.mp3"));
    Load(QLatin1Char('"') + first + QLatin1Char('"'));
    RunReload();
    Load(MusicFile(QStringLiteral("Live.At.Home.mp3")));
    RunReload();
    RecordSource songs(QStringLiteral("tblSong"));
    songs.SetDatabaseName(folder.Library());
    songs.Open();
    songs.MoveLast();
    EXPECT_EQ(songs.Number(QStringLiteral("songid")), 4);
    EXPECT_EQ(songs.Text(QStringLiteral("Title")), QStringLiteral("Live"));
    EXPECT_EQ(songs.Text(QStringLiteral("artist")), QStringLiteral("Unknown"));
    songs.MoveFirst();
    songs.MoveNext();
    songs.MoveNext();
    EXPECT_EQ(songs.Text(QStringLiteral("artist")), QStringLiteral("Artist"));
    EXPECT_EQ(songs.Text(QStringLiteral("Title")), QStringLiteral("Title"));
    EXPECT_EQ(songs.Text(QStringLiteral("filepath")), first);
    EXPECT_FALSE(sender.commands.contains(QStringLiteral("play song")));
}

TEST_F(Startup, NewFileOnTheCommandLineOfAnEmptyLibraryIsAddedListedAndNotAskedAbout) {
    Load(MusicFile(QStringLiteral("Artist - Title.mp3")));
    RunReload();
    EXPECT_EQ(dialogs.CountTitled(QStringLiteral("Jukora - Empty library")), 0);
    // The library is no longer empty: the lists are loaded again and show the new song.
    ASSERT_TRUE(player->Timer1.isActive());
    RunReload();
    ASSERT_EQ(player->lstTracks->ListCount(), 1);
    EXPECT_EQ(player->lstArtist->List(1), QStringLiteral("Artist"));
    EXPECT_TRUE(player->tmrPlay.isActive());
    EXPECT_FALSE(sender.commands.contains(QStringLiteral("play song")));
    RecordSource songs(QStringLiteral("tblSong"));
    songs.SetDatabaseName(folder.Library());
    songs.Open();
    EXPECT_EQ(songs.RecordCount(), 1);
    EXPECT_TRUE(dialogs.shown.empty());
}

// The reloads after the add window, a drop or an activation leave the command line alone.
TEST_F(Startup, TheCommandLineIsHandledAtTheFirstReloadOnly) {
    folder.FillSongs(3);
    folder.MakeSongFiles(3);
    Load(folder.SongFile(2));
    RunReload();
    ASSERT_EQ(player->state.lblNowPlaying, QStringLiteral("2"));
    ASSERT_EQ(PlayCount(2), 1);
    const auto opens = sender.commands.filter(QStringLiteral("open ")).size();
    for (int reload = 0; reload < 2; ++reload) {
        player->state.LoadTicks = 0;
        player->Timer1.start();
        RunReload();
    }
    EXPECT_TRUE(player->state.lstCuedSongsPath.Items().isEmpty());
    EXPECT_EQ(player->lstCuedSongs->ListCount(), 0);
    EXPECT_EQ(PlayCount(2), 1);
    EXPECT_EQ(sender.commands.filter(QStringLiteral("open ")).size(), opens);
    // A new file on the command line is added once, however often the lists reload.
    Load(MusicFile(QStringLiteral("Northwind - Tide.mp3")));
    RunReload();
    for (int reload = 0; reload < 2; ++reload) {
        player->state.LoadTicks = 0;
        player->Timer1.start();
        RunReload();
    }
    EXPECT_EQ(player->lstTracks->ListCount(), 4);
    EXPECT_FALSE(player->state.songplaying);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Startup, ShutdownClosesEveryDeviceAndReleasesTheLock) {
    folder.FillSongs(1);
    Load();
    RunReload();
    InstanceLock other(folder.Path());
    EXPECT_FALSE(other.TryAcquire());
    bool ended = false;
    QObject::connect(player.get(), &frmPlayer::Unloaded, [&] { ended = true; });
    player->close();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(player->IsUnloaded());
    const qsizetype aliases = sender.commands.indexOf(QStringLiteral("Close All"));
    const qsizetype devices = sender.commands.indexOf(QStringLiteral("close all"));
    ASSERT_GE(aliases, 0);
    EXPECT_GT(devices, aliases);
    EXPECT_FALSE(player->tmrPlay.isActive());
    EXPECT_FALSE(player->tmrCueSong.isActive());
    EXPECT_TRUE(other.TryAcquire());
}

TEST_F(Startup, CueFileOfASecondCopyQueuesTheSongAndIsDeleted) {
    folder.FillSongs(8);
    Load();
    RunReload();
    EXPECT_TRUE(player->tmrCueSong.isActive());
    player->state.songplaying = true;
    QFile cue(player->CueFilePath());
    ASSERT_TRUE(cue.open(QIODevice::WriteOnly));
    cue.write(QByteArray("\x01\x00\x07\x00", 4));
    cue.close();
    player->tmrCueSong_Timer();
    EXPECT_EQ(player->state.lstCuedSongsPath.Items(), QStringList{QStringLiteral("7")});
    EXPECT_FALSE(QFile::exists(player->CueFilePath()));
    // A file that is not one record is removed without effect.
    ASSERT_TRUE(cue.open(QIODevice::WriteOnly));
    cue.write(QByteArray("\x01\x00\x07", 3));
    cue.close();
    player->tmrCueSong_Timer();
    EXPECT_EQ(player->state.lstCuedSongsPath.ListCount(), 1);
    EXPECT_FALSE(QFile::exists(player->CueFilePath()));
}

// Something at the cue file's name that cannot be removed blocks every later hand-off: the
// user is told once, with its path, and it is left alone.
TEST_F(Startup, AFolderInTheWayOfTheCueFileIsReportedOnce) {
    folder.FillSongs(3);
    Load();
    RunReload();
    ASSERT_TRUE(QDir(folder.Path()).mkpath(CueFileName() + QStringLiteral("/kept")));
    player->tmrCueSong_Timer();
    player->tmrCueSong_Timer();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(player->CueFilePath()));
    EXPECT_TRUE(QFileInfo(folder.File(CueFileName() + QStringLiteral("/kept"))).isDir());
    // Once it is gone, hand-offs work again.
    ASSERT_TRUE(QDir(folder.File(CueFileName())).removeRecursively());
    ASSERT_EQ(WriteCueFileExclusive(player->CueFilePath(), 2), CueWrite::Written);
    player->tmrCueSong_Timer();
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("2"));
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(Startup, SecondCopyHandsALibrarySongOverAndEnds) {
    folder.FillSongs(300);
    folder.MakeSongFiles(300);
    InstanceLock running(folder.Path());
    ASSERT_TRUE(running.TryAcquire());
    Load(folder.SongFile(258));
    EXPECT_FALSE(player->tmrCueSong.isActive()); // hand-offs are for the running copy
    // Handed over at once, without the reload's wait and without filling the lists.
    EXPECT_TRUE(player->IsUnloaded());
    EXPECT_FALSE(player->Timer1.isActive());
    EXPECT_EQ(player->lstTracks->ListCount(), 0);
    EXPECT_EQ(ReadBytes(folder.File(CueFileName())), QByteArray("\x01\x00\x02\x01", 4));
    EXPECT_FALSE(sender.commands.contains(QStringLiteral("play song")));
    EXPECT_TRUE(sender.commands.contains(QStringLiteral("close all")));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Startup, SecondCopyWaitsForAPendingHandOffThenHandsItsOwnOver) {
    folder.FillSongs(9);
    InstanceLock running(folder.Path());
    ASSERT_TRUE(running.TryAcquire());
    const QString cue = folder.File(CueFileName());
    ASSERT_EQ(WriteCueFileExclusive(cue, 3), CueWrite::Written);
    folder.MakeSongFiles(9);
    std::thread runningCopy([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        QFile::remove(cue);
    });
    Load(folder.SongFile(9));
    runningCopy.join();
    EXPECT_TRUE(player->IsUnloaded());
    EXPECT_EQ(ReadBytes(cue), EncodeCueRecord(1, 9));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Startup, SecondCopyGivesUpWithAMessageWhenNothingIsTaken) {
    folder.FillSongs(9);
    InstanceLock running(folder.Path());
    ASSERT_TRUE(running.TryAcquire());
    const QString cue = folder.File(CueFileName());
    ASSERT_EQ(WriteCueFileExclusive(cue, 3), CueWrite::Written);
    folder.MakeSongFiles(9);
    Load(folder.SongFile(9));
    EXPECT_TRUE(player->IsUnloaded());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(folder.SongFile(9)));
    EXPECT_EQ(ReadBytes(cue), EncodeCueRecord(1, 3));
}

TEST(Skin, OverImageShowsUnderTheMouseAndNoMouseOversRestores) {
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    RecordingSender sender;
    frmPlayer player(PlayerServices{dialogs, sender, folder.Path(), QString()});
    player.Form_Load();
    EXPECT_TRUE(player.imgPlay.normal->isVisible());
    EXPECT_FALSE(player.imgPlay.over->isVisible());
    EXPECT_FALSE(player.imgPause.normal->isVisible()); // the other half of the toggle
    EXPECT_EQ(player.imgPlay.over->geometry(), player.imgPlay.normal->geometry());
    EXPECT_EQ(TwipsOf(player.imgStop.normal), TwipsRect(1200, 6960, 435, 435));

    emit player.imgPlay.normal->mouseMoved();
    emit player.imgStop.normal->mouseMoved();
    EXPECT_TRUE(player.imgPlay.over->isVisible());
    EXPECT_TRUE(player.imgStop.over->isVisible());
    emit player.imgCue.normal->mouseMoved(); // restores the others first
    EXPECT_FALSE(player.imgPlay.over->isVisible());
    EXPECT_TRUE(player.imgCue.over->isVisible());
    // The pinning pair reacts only once something went to the video window.
    emit player.imgSeperate.normal->mouseMoved();
    EXPECT_FALSE(player.imgSeperate.over->isVisible());
    player.state.VideoStarted = true;
    emit player.imgSeperate.normal->mouseMoved();
    EXPECT_TRUE(player.imgSeperate.over->isVisible());
}
