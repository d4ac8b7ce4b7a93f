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
