// The real player on real media (no sound card: ao=null): a library of three short songs plays
// through in order and starts again at the first.
#include "media/MpvMciService.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

TEST(EndToEnd, ThreeSongsPlayInOrderThenTheFirstAgain) {
    ProgramFolderFixture folder;
    for (int id = 1; id <= 3; ++id) {
        const QString path = folder.File(QStringLiteral("song%1.wav").arg(id));
        ASSERT_TRUE(QFile::copy(QStringLiteral(JUKORA_TEST_MEDIA "/two.wav"), path));
        folder.AddSong(id, QStringLiteral("Song %1").arg(id), QStringLiteral("Band"), path);
    }
    ScriptedDialogs dialogs;
    MpvMciService media;
    frmPlayer player(PlayerServices{dialogs, media, folder.Path(), QString()});
    LoadAndReload(player);
    ASSERT_TRUE(player.tmrPlay.isActive());
    QStringList played;
    player.lstTracks->SetListIndex(0);
    player.lstTracks_DblClick();
    QElapsedTimer clock;
    clock.start();
    while (played.size() < 4 && clock.elapsed() < 12000) {
        if (played.isEmpty() || played.last() != player.state.lblNowPlaying)
            played << player.state.lblNowPlaying;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_LT(clock.elapsed(), 9000);
    EXPECT_EQ(played, (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                   QStringLiteral("1")}));
    RecordSource songs(QStringLiteral("tblSong"));
    songs.SetDatabaseName(folder.Library());
    songs.Open();
    QList<int> counts;
    for (songs.MoveFirst(); !songs.Eof(); songs.MoveNext())
        counts << songs.Number(QStringLiteral("playcount"));
    EXPECT_EQ(counts, (QList<int>{2, 1, 1}));
    EXPECT_TRUE(dialogs.shown.empty());
}

// On real libmpv: a missing file and a text file named ".mp3" are shown as unplayable in the
// title strip, not counted, and the next item plays; no box stops the music.
TEST(EndToEnd, FilesThatCannotBePlayedAreSkipped) {
    ProgramFolderFixture folder;
    const QString text = folder.File(QStringLiteral("notes.mp3"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("These are my notes, not music.\n");
    }
    const QString song = folder.File(QStringLiteral("song.wav"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(JUKORA_TEST_MEDIA "/two.wav"), song));
    folder.AddSong(1, QStringLiteral("Gone"), QStringLiteral("Band"),
                   folder.File(QStringLiteral("gone.mp3")));
    folder.AddSong(2, QStringLiteral("Notes"), QStringLiteral("Band"), text);
    folder.AddSong(3, QStringLiteral("Song"), QStringLiteral("Band"), song);
    ScriptedDialogs dialogs;
    MpvMciService media;
    frmPlayer player(PlayerServices{dialogs, media, folder.Path(), QString()});
    LoadAndReload(player);
    player.lstTracks->SetListIndex(0);
    player.lstTracks_DblClick();
    EXPECT_EQ(player.lblTrack->text(),
              QStringLiteral("Band - Gone: cannot be played (file not found)"));
    QStringList shown{player.lblTrack->text()};
    QElapsedTimer clock;
    clock.start();
    while (player.state.lblNowPlaying != QStringLiteral("3") && clock.elapsed() < 8000) {
        if (shown.last() != player.lblTrack->text())
            shown << player.lblTrack->text();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_EQ(shown.value(1),
              QStringLiteral("Band - Notes: cannot be played (not a file Jukora can play)"));
    EXPECT_EQ(player.state.lblNowPlaying, QStringLiteral("3"));
    EXPECT_GE(clock.elapsed(), 2 * player.unplayableNoticeMs - 100); // each note stayed up a moment
    EXPECT_EQ(player.lblTrack->text(), QStringLiteral("Band - Song"));
    EXPECT_EQ(folder.PlayCount(1), 0);
    EXPECT_EQ(folder.PlayCount(2), 0);
    EXPECT_EQ(folder.PlayCount(3), 1);
    EXPECT_TRUE(player.state.songplaying);
    EXPECT_TRUE(dialogs.shown.empty());
}
