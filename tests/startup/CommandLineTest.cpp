// Files handed to the player on its command line or by a second copy: what names no file, names
// that cannot be stored, several files at once, and the hand-off between two running programs.
#include "core/CueFile.h"
#include "core/InstanceLock.h"
#include "core/Paths.h"
#include "import/frmAdd.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>
#include <memory>

namespace {

QString MakeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    return path;
}

class Handed : public PlayerTest<> {
protected:
    void Load(const QString& commandLine, const QStringList& arguments = {}) {
        MakePlayer(commandLine, arguments);
        player->Form_Load();
        RunReload();
    }
    void RunReload() {
        for (int i = 0; i < 3 && player->Timer1.isActive(); ++i)
            player->Timer1_Timer();
    }
    QStringList Prompts() const {
        QStringList prompts;
        for (const auto& shown : dialogs.shown)
            prompts << shown.prompt;
        return prompts;
    }
};

} // namespace

TEST(CommandLine, PathsAreResolvedAndWhatNamesNoFileIsRefused) {
    ProgramFolderFixture work(false);
    const QString song = MakeFile(work.File(QStringLiteral("My Band - A Song.mp3")));
    const QString other = MakeFile(work.File(QStringLiteral("Other.mp3")));
    QDir(work.Path()).mkdir(QStringLiteral("folder"));
    const QString cwd = work.Path();
    auto files = [&](const QString& line, const QStringList& args = {}) {
        return FilesOnCommandLine(line, args, cwd);
    };
    EXPECT_EQ(files(song).files, QStringList{song}); // blanks inside one path
    EXPECT_EQ(files(QLatin1Char('"') + song + QLatin1Char('"')).files, QStringList{song});
    EXPECT_EQ(files(QStringLiteral("My Band - A Song.mp3")).files, QStringList{song}); // relative
    EXPECT_EQ(files(QStringLiteral("./sub/../Other.mp3")).files, QStringList{other});
    EXPECT_EQ(files(work.File(QStringLiteral("MY BAND~1.MP3"))).refused.size(),
              1); // "~" unresolved
    EXPECT_EQ(files(work.File(QStringLiteral("folder"))).refused,
              QStringList{work.File(QStringLiteral("folder"))});
    const QString missing = work.File(QStringLiteral("gone.mp3"));
    EXPECT_EQ(files(missing).refused, QStringList{missing});
    EXPECT_TRUE(files(missing).files.isEmpty());
    // Several files from a file manager: each on its own, in order; the missing one refused.
    const HandedInFiles several =
        files(other + QLatin1Char(' ') + song + QLatin1Char(' ') + missing, {other, song, missing});
    EXPECT_EQ(several.files, (QStringList{other, song}));
    EXPECT_EQ(several.refused, QStringList{missing});
    EXPECT_TRUE(files(QString()).files.isEmpty());
}

TEST_F(Handed, AMissingFileIsReportedAndNothingIsWritten) {
    folder.FillSongs(2);
    const QString missing = folder.File(QStringLiteral("music/No Such - Song.mp3"));
    Load(missing);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(missing));
    EXPECT_EQ(folder.Rows("SELECT count(*) FROM tblSong"), QStringList{QStringLiteral("2")});
    EXPECT_TRUE(player->tmrPlay.isActive());
    EXPECT_FALSE(player->state.StartedFromCommand);
    // Later reloads do not report it again.
    player->Form_Activate();
    player->state.FirstLoad = false;
    player->Form_Activate();
    RunReload();
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(Handed, SeveralFilesAreHandledOneByOne) {
    folder.FillSongs(3);
    folder.MakeSongFiles(3);
    const QString added = MakeFile(folder.File(QStringLiteral("music/New - One.mp3")));
    const QStringList args{folder.SongFile(2), added, folder.SongFile(3)};
    Load(args.join(QLatin1Char(' ')), args);
    EXPECT_TRUE(dialogs.shown.empty()) << Prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("2")); // the first plays
    EXPECT_EQ(player->state.lstCuedSongsPath.Items(), QStringList{QStringLiteral("3")});
    EXPECT_EQ(folder.Rows("SELECT songid, artist, Title FROM tblSong WHERE songid = 4"),
              QStringList{QStringLiteral("4|New|One")});
}

TEST_F(Handed, AFileRefusedForItsLengthIsReportedOnceAndDropped) {
    folder.FillSongs(2);
    const QString longName = MakeFile(folder.File(
        QStringLiteral("music/Band - ") + QString(90, QLatin1Char('x')) + QStringLiteral(".mp3")));
    Load(longName);
    // The refusal re-reads the songs once; that reload must not meet the file again.
    for (int i = 0; i < 20; ++i)
        player->Timer1_Timer();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(longName));
    EXPECT_FALSE(player->Timer1.isActive());
    EXPECT_EQ(player->addIfLoaded()->longfilelist, QStringLiteral("\r\n") + longName);
    EXPECT_EQ(folder.Rows("SELECT count(*) FROM tblSong"), QStringList{QStringLiteral("2")});
}

TEST_F(Handed, AFullLibraryIsNotCalledUnusableAndThePlayerStillTicks) {
    folder.AddSong(32767, QStringLiteral("Last"), QStringLiteral("Band"), QStringLiteral("/m/x"));
    const QString added = MakeFile(folder.File(QStringLiteral("music/New - One.mp3")));
    Load(added);
    EXPECT_EQ(dialogs.CountTitled(QStringLiteral("Jukora - Library full")), 1);
    EXPECT_EQ(dialogs.CountTitled(QStringLiteral("Jukora - Library unusable")), 0);
    EXPECT_EQ(player->lstTracks->ListCount(), 1);
    EXPECT_TRUE(player->tmrPlay.isActive());
}

TEST_F(Handed, TheReloadCounterStopsInsteadOfWrappingRound) {
    Load(QString()); // an empty library: the reload fails and FirstLoad turns false
    dialogs.shown.clear();
    player->Timer1.start(); // as the add-media window does on its return
    for (int tick = 0; tick < 70000; ++tick)
        player->Timer1_Timer();
    EXPECT_LE(player->state.LoadTicks, 4);
    EXPECT_FALSE(player->Timer1.isActive());
    EXPECT_EQ(player->lstPlayLists->ListCount(), 0); // no reload out of nowhere
}

TEST_F(Handed, ASongHandedToAnIdlePlayerPlaysAtOnce) {
    folder.FillSongs(8);
    Load(QString());
    ASSERT_FALSE(player->state.songplaying);
    ASSERT_EQ(WriteCueFileExclusive(player->CueFilePath(), 7), CueWrite::Written);
    player->tmrCueSong_Timer();
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("7"));
    EXPECT_TRUE(player->state.songplaying);
    EXPECT_TRUE(player->state.StartedFromCommand);
    EXPECT_TRUE(player->state.lstCuedSongsPath.Items().isEmpty());
    EXPECT_FALSE(QFile::exists(player->CueFilePath()));
}

// A real second program started with a file that is not in the library adds it, hands it to the
// running copy (this test's player, idle) and ends; the running copy finds the new song and
// plays it. The add-media window of the running copy then numbers on after it.
TEST_F(Handed, ASecondProgramAddsANewFileAndHandsItOver) {
    folder.FillSongs(2);
    Load(QString());
    frmAdd& window = *player->add();
    for (int i = 0; i < 3; ++i)
        window.tmrLoad_Timer(); // its counter now reads song 2
    ASSERT_EQ(window.lblEntryCount, QStringLiteral("2"));
    player->tmrCueSong.stop(); // the hand-off is taken below, when this test says so

    const QString fresh = MakeFile(folder.File(QStringLiteral("music/Fresh - Song.mp3")));
    QProcess second;
    second.setProcessEnvironment(PlayerEnvironment(folder.Path()));
    second.start(QStringLiteral(JUKORA_PLAYER_BINARY), {fresh});
    ASSERT_TRUE(second.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(player->CueFilePath()); }, 15000))
        << second.readAllStandardError().toStdString();
    ASSERT_TRUE(second.waitForFinished(15000)) << "the second program stayed running";
    EXPECT_EQ(second.exitCode(), 0);
    player->tmrCueSong_Timer();
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("3"));
    EXPECT_TRUE(sender.commands.contains(QStringLiteral("open \"") + fresh +
                                         QStringLiteral("\" alias song")));

    // The add window's counter is behind the library now; its next song still gets a free id.
    const QString next = MakeFile(folder.File(QStringLiteral("music/Next - Song.mp3")));
    EXPECT_EQ(window.addfile(next, QStringLiteral("Next"), QStringLiteral("Song")), 4);
    EXPECT_TRUE(dialogs.shown.empty()) << Prompts().join(QLatin1Char('|')).toStdString();
}

TEST(PlayerProgram, AMissingFileIsReportedByNameAndNothingIsAdded) {
    ProgramFolderFixture folder;
    const QString missing = folder.File(QStringLiteral("No Such - Song.mp3"));
    QProcess player;
    player.setProcessEnvironment(PlayerEnvironment(folder.Path()));
    player.start(QStringLiteral(JUKORA_PLAYER_BINARY), {missing});
    ASSERT_TRUE(player.waitForStarted(5000));
    QByteArray said;
    WaitFor(
        [&] {
            said += player.readAllStandardError();
            return said.contains(missing.toUtf8());
        },
        15000);
    player.kill();
    player.waitForFinished(5000);
    EXPECT_TRUE(said.contains("Jukora cannot open")) << said.toStdString();
    EXPECT_EQ(folder.Rows("SELECT count(*) FROM tblSong"), QStringList{QStringLiteral("0")});
}

TEST(PlayerProgram, RelativeAndSeveralPathsAreStoredAbsolute) {
    ProgramFolderFixture folder;
    ProgramFolderFixture work(false);
    MakeFile(work.File(QStringLiteral("A Band - First.mp3")));
    MakeFile(work.File(QStringLiteral("A Band - Second.mp3")));
    QProcess player;
    player.setProcessEnvironment(PlayerEnvironment(folder.Path()));
    player.setWorkingDirectory(work.Path());
    player.start(QStringLiteral(JUKORA_PLAYER_BINARY),
                 {QStringLiteral("A Band - First.mp3"), QStringLiteral("./A Band - Second.mp3")});
    ASSERT_TRUE(player.waitForStarted(5000));
    const bool stored = WaitFor(
        [&] { return folder.Rows("SELECT count(*) FROM tblSong").value(0) == QLatin1String("2"); },
        15000);
    player.kill();
    player.waitForFinished(5000);
    ASSERT_TRUE(stored) << player.readAllStandardError().toStdString();
    EXPECT_EQ(folder.Rows("SELECT filepath FROM tblSong ORDER BY songid"),
              (QStringList{work.File(QStringLiteral("A Band - First.mp3")),
                           work.File(QStringLiteral("A Band - Second.mp3"))}));
}

// A file whose name holds a double quote would be stored but could never play: it is refused
// with its reason, and nothing is written or counted.
TEST_F(Handed, AFileWhoseNameHoldsADoubleQuoteIsRefused) {
    folder.FillSongs(1);
    const QString odd = MakeFile(folder.File(QStringLiteral("music/with \"quote\" and space.mp3")));
    Load(odd, {odd});
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(odd));
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(QStringLiteral("double quote")));
    EXPECT_EQ(folder.Rows("SELECT count(*) FROM tblSong"), QStringList{QStringLiteral("1")});
    EXPECT_FALSE(player->state.songplaying);
}
