// The main window's keys, sent as real key events through the toolkit (shortcuts, focus and
// all), and files, folders and other things dropped on it.
#include "desktop/DesktopSupport.h"
#include "desktop/FileDrops.h"
#include "desktop/PlayerActions.h"
#include "desktop/PlayerKeys.h"
#include "import/frmAdd.h"
#include "media/MpvMciService.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A key without a character (the media keys), pressed and released on the widget.
void PressKey(QWidget* widget, Qt::Key key) {
    QTest::sendKeyEvent(QTest::Click, widget, key, QString(), Qt::NoModifier);
}

class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        AddLongSongs(folder, 3);
        player =
            std::make_unique<frmPlayer>(PlayerServices{dialogs, media, folder.Path(), QString()});
        LoadAndReload(*player);
        ASSERT_EQ(player->lstTracks->ListCount(), 3);
        actions = std::make_unique<PlayerActions>(*player);
        keys = std::make_unique<PlayerKeys>(*actions);
        drops = std::make_unique<FileDrops>(*actions);
        player->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(player.get()));
    }
    void StartTrack(int row) {
        player->lstTracks->SetListIndex(row);
        player->lstTracks_DblClick();
    }
    QString NowPlaying() const { return player->state.lblNowPlaying; }
    // Drags `data` onto the middle of the window; true when the window takes it.
    bool Drop(QMimeData* data) {
        const QPointF middle(player->width() / 2.0, player->height() / 2.0);
        QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(player.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(middle, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(player.get(), &drop);
        return drop.isAccepted();
    }
    bool DropPaths(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        return Drop(&data);
    }
    int SongCount() const {
        return static_cast<int>(folder.Rows("SELECT songid FROM tblSong").size());
    }

    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    MpvMciService media;
    std::unique_ptr<frmPlayer> player;
    std::unique_ptr<PlayerActions> actions;
    std::unique_ptr<PlayerKeys> keys;
    std::unique_ptr<FileDrops> drops;
};

TEST_F(Desktop, SpacePlaysAndPausesUnlessTheFocusIsInATextBox) {
    StartTrack(0);
    player->lstTracks->setFocus();
    QTest::keyClick(player->lstTracks, Qt::Key_Space);
    EXPECT_FALSE(player->state.songplaying);
    EXPECT_EQ(actions->PlaybackStatus(), PlayerActions::Status::Paused);
    QTest::keyClick(player->lstTracks, Qt::Key_Space);
    EXPECT_TRUE(player->state.songplaying);
    EXPECT_EQ(actions->PlaybackStatus(), PlayerActions::Status::Playing);

    player->txtSearch->setFocus();
    QTest::keyClicks(player->txtSearch, QStringLiteral("Song 2"));
    EXPECT_EQ(player->txtSearch->text(), QStringLiteral("Song 2")); // the blank was typed
    EXPECT_TRUE(player->state.songplaying);
    EXPECT_EQ(player->lstTracks->ListCount(), 1);
}

TEST_F(Desktop, MediaKeysPlayPauseStopAndMoveThroughThePlayOrder) {
    StartTrack(1);
    PressKey(player.get(), Qt::Key_MediaTogglePlayPause);
    EXPECT_FALSE(player->state.songplaying);
    PressKey(player.get(), Qt::Key_MediaPlay);
    EXPECT_TRUE(player->state.songplaying);
    PressKey(player.get(), Qt::Key_MediaPause);
    EXPECT_FALSE(player->state.songplaying);
    PressKey(player.get(), Qt::Key_MediaNext);
    EXPECT_EQ(NowPlaying(), QStringLiteral("3"));
    EXPECT_TRUE(player->state.songplaying);
    EXPECT_TRUE(player->imgPause.normal->isVisibleTo(player.get())); // the window shows it plays
    PressKey(player.get(), Qt::Key_MediaPrevious);
    EXPECT_EQ(NowPlaying(), QStringLiteral("2"));
    player->CueASong(1);
    PressKey(player.get(), Qt::Key_MediaNext); // the queue comes first
    EXPECT_EQ(NowPlaying(), QStringLiteral("1"));
    PressKey(player.get(), Qt::Key_MediaStop);
    EXPECT_FALSE(player->state.songplaying);
    EXPECT_EQ(actions->PlaybackStatus(), PlayerActions::Status::Stopped);
}

TEST_F(Desktop, CtrlFGoesToTheSearchBoxAndEscapeClosesThePanels) {
    player->lstTracks->setFocus();
    QTest::keyClick(player->lstTracks, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), player->txtSearch);

    player->imgEditOver_Click();
    ASSERT_TRUE(player->fraEditPlayList->isVisible());
    player->txtRename->setFocus();
    QTest::keyClick(player->txtRename, Qt::Key_Escape);
    EXPECT_FALSE(player->fraEditPlayList->isVisible());

    player->lstTracks->SetListIndex(0);
    player->imgAddOver_Click();
    ASSERT_TRUE(player->fraAddToPlaylist->isVisible());
    QTest::keyClick(player->lstTracks, Qt::Key_Escape);
    EXPECT_FALSE(player->fraAddToPlaylist->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Desktop, TheButtonsTooltipsNameTheirKeys) {
    EXPECT_TRUE(player->imgPlay.normal->toolTip().contains(QStringLiteral("Space")));
    EXPECT_TRUE(player->imgPause.over->toolTip().contains(QStringLiteral("Space")));
    EXPECT_TRUE(player->imgStop.normal->toolTip().contains(QStringLiteral("Stop")));
    EXPECT_TRUE(player->imgBack.normal->toolTip().contains(QStringLiteral("Esc")));
    EXPECT_TRUE(player->imgEditBack.normal->toolTip().contains(QStringLiteral("Esc")));
    EXPECT_TRUE(player->txtSearch->toolTip().contains(QStringLiteral("Ctrl+F")));
}

TEST_F(Desktop, DroppedFilesAreHandledAsFilesOnTheCommandLine) {
    ASSERT_TRUE(DropPaths({folder.File(QStringLiteral("song2.wav"))}));
    EXPECT_TRUE(WaitFor([&] { return NowPlaying() == QStringLiteral("2"); }, 3000));

    // While a song plays, a library song is queued and a new file is added (not played).
    const QString fresh = folder.File(QStringLiteral("New Band - Fresh Tune.wav"));
    ASSERT_TRUE(QFile::copy(LongSongFile(), fresh));
    ASSERT_TRUE(DropPaths({folder.File(QStringLiteral("song3.wav")), fresh}));
    EXPECT_TRUE(WaitFor([&] { return SongCount() == 4; }, 3000));
    EXPECT_EQ(folder.Rows("SELECT artist, Title, filepath FROM tblSong WHERE songid = 4"),
              QStringList{QStringLiteral("New Band|Fresh Tune|") + fresh});
    EXPECT_EQ(player->lstCuedSongs->Items(), QStringList{QStringLiteral("Band 3 - Song 3")});
    EXPECT_EQ(NowPlaying(), QStringLiteral("2"));
    // The lists are reloaded and show the new song.
    EXPECT_TRUE(WaitFor([&] { return player->lstTracks->ListCount() == 4; }, 3000));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Desktop, ADroppedFolderIsImportedAsTheAddWindowImportsOne) {
    const QString dropped = folder.File(QStringLiteral("dropped"));
    ASSERT_TRUE(QDir().mkpath(dropped));
    const QString longTitle(85, QLatin1Char('x'));
    for (const QString& name :
         {QStringLiteral("Artist - One.wav"), QStringLiteral("Artist - Two.wav"),
          QStringLiteral("Artist - ") + longTitle + QStringLiteral(".wav")})
        ASSERT_TRUE(QFile::copy(LongSongFile(), dropped + QLatin1Char('/') + name));
    ASSERT_TRUE(WriteWholeFile(dropped + QStringLiteral("/notes.txt"), "not media"));
    player->add()->progressDelayMs = 0;

    ASSERT_TRUE(DropPaths({dropped}));
    EXPECT_TRUE(WaitFor([&] { return SongCount() == 5; }, 5000));
    EXPECT_EQ(folder.Rows("SELECT folder FROM tblFolder"), QStringList{dropped});
    EXPECT_EQ(folder.Rows("SELECT Title FROM tblSong WHERE songid > 3 ORDER BY songid"),
              (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));
    ASSERT_EQ(dialogs.shown.size(), 1u); // the long name is reported
    EXPECT_TRUE(dialogs.shown[0].prompt.startsWith(
        QStringLiteral("The following files could not be added because of long filenames")));
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(longTitle));
    EXPECT_TRUE(WaitFor([&] { return player->lstTracks->ListCount() == 5; }, 3000));

    // The same folder again: the add window's question; answered No, nothing is added.
    dialogs.answers.push_back(MsgResult::No);
    ASSERT_TRUE(DropPaths({dropped}));
    EXPECT_TRUE(WaitFor([&] { return dialogs.shown.size() == 2; }, 3000));
    EXPECT_TRUE(
        dialogs.shown[1].prompt.startsWith(QStringLiteral("This folder has already been added")));
    Settle(200);
    EXPECT_EQ(SongCount(), 5);
}

TEST_F(Desktop, WhatIsNotALocalFileOrFolderIsRefused) {
    QMimeData text;
    text.setText(QStringLiteral("just some words"));
    EXPECT_FALSE(Drop(&text));
    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/song.mp3"))});
    EXPECT_FALSE(Drop(&web));
    EXPECT_FALSE(DropPaths({folder.File(QStringLiteral("gone.mp3"))}));
    // One thing that is not a file spoils the whole drop.
    EXPECT_FALSE(DropPaths(
        {folder.File(QStringLiteral("song1.wav")), folder.File(QStringLiteral("gone.mp3"))}));
    Settle(100);
    EXPECT_EQ(NowPlaying(), QString());
    EXPECT_EQ(SongCount(), 3);
    EXPECT_TRUE(dialogs.shown.empty());
}

} // namespace
