// The lists as a user moves through them: by keyboard, by dragging, and coming back to the main
// window from a message box or from another window of the player.
#include "app/QtDialogs.h"
#include "import/frmAdd.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <memory>

namespace {

class Selection : public testing::Test {
protected:
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    RecordingSender sender;
    std::unique_ptr<frmPlayer> player;

    void SetUp() override {
        int id = 0;
        auto song = [&](const char* title, const char* artist) {
            ++id;
            folder.AddSong(id, QString::fromUtf8(title), QString::fromUtf8(artist),
                           QStringLiteral("/m/%1.mp3").arg(id));
        };
        for (const char* artist : {"Alder", "Birch", "Cedar", "Damson"})
            for (const char* title : {"One", "Two"})
                song(title, artist);
        song("Three", "Birch");
    }
    void Load(Dialogs& boxes) {
        player = std::make_unique<frmPlayer>(PlayerServices{boxes, sender, folder.Path(), {}});
        LoadAndReload(*player);
        player->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(player.get()));
    }
    // The artist of every listed track, by its identity.
    QStringList ArtistsOfTracks() const {
        QStringList artists;
        for (const QString& id : player->state.lstMaybe.Items())
            artists << folder
                           .Rows(("SELECT artist FROM tblSong WHERE songid = " + id.toUtf8())
                                     .constData())
                           .value(0);
        return artists;
    }
    void ExpectTracksOf(const QString& artist, int count) {
        EXPECT_EQ(player->lstArtist->Text(), artist);
        EXPECT_EQ(ArtistsOfTracks(), QStringList(count, artist));
        EXPECT_EQ(player->state.lstMaybe.ListCount(), player->lstTracks->ListCount());
    }
    QPoint RowCentre(ListBox* list, int row) {
        return list->visualRect(list->model()->index(row, 0)).center();
    }
    void Activate(QWidget* window) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
};

} // namespace

TEST_F(Selection, KeysRunTheArtistListsClickHandler) {
    Load(dialogs);
    ListBox* artists = player->lstArtist;
    artists->setFocus();
    QTest::keyClick(artists, Qt::Key_Down);
    ExpectTracksOf(QStringLiteral("Alder"), 2);
    QTest::keyClick(artists, Qt::Key_Down);
    ExpectTracksOf(QStringLiteral("Birch"), 3);
    QTest::keyClick(artists, Qt::Key_End);
    ExpectTracksOf(QStringLiteral("Damson"), 2);
    QTest::keyClick(artists, Qt::Key_PageUp);
    EXPECT_EQ(artists->ListIndex(), 0);
    EXPECT_EQ(player->lstTracks->ListCount(), 9);    // "[All Artists]": every song again
    QTest::keyClicks(artists, QStringLiteral("ce")); // typing finds the artist
    ExpectTracksOf(QStringLiteral("Cedar"), 2);
}

TEST_F(Selection, KeysOnThePlaylistListRelistTheView) {
    folder.Exec("UPDATE tblSong SET playcount = songid");
    Load(dialogs);
    ListBox* playlists = player->lstPlayLists;
    playlists->setFocus();
    QTest::keyClick(playlists, Qt::Key_Down);
    EXPECT_EQ(playlists->Text(), QStringLiteral("[Top 20]"));
    EXPECT_EQ(player->lstTracks->List(0), QStringLiteral("1        Three")); // most played first
    QTest::keyClick(playlists, Qt::Key_Home);
    EXPECT_EQ(player->lstTracks->List(0), QStringLiteral("1        One"));
}

TEST_F(Selection, DraggingOverTheListSelectsAndListsWhereTheMouseIsReleased) {
    Load(dialogs);
    ListBox* artists = player->lstArtist;
    QWidget* rows = artists->viewport();
    QTest::mousePress(rows, Qt::LeftButton, {}, RowCentre(artists, 1));
    QMouseEvent move(QEvent::MouseMove, RowCentre(artists, 3),
                     rows->mapToGlobal(RowCentre(artists, 3)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(rows, &move);
    QTest::mouseRelease(rows, Qt::LeftButton, {}, RowCentre(artists, 3));
    ExpectTracksOf(QStringLiteral("Cedar"), 2);
}

TEST_F(Selection, ClickHandlerRunsOncePerChoiceAndNotForProgramSelection) {
    Load(dialogs);
    ListBox* artists = player->lstArtist;
    QSignalSpy clicks(artists, &ListBox::Click);
    QTest::mouseClick(artists->viewport(), Qt::LeftButton, {}, RowCentre(artists, 2));
    EXPECT_EQ(clicks.count(), 1);
    ExpectTracksOf(QStringLiteral("Birch"), 3);
    // The entry already selected, clicked again: a click all the same.
    QTest::mouseClick(artists->viewport(), Qt::LeftButton, {}, RowCentre(artists, 2));
    EXPECT_EQ(clicks.count(), 2);
    // Selected by program: the caller runs the handler itself, the list does not.
    player->SelectArtist(1);
    player->lstArtist->RemoveItem(4);
    player->lstArtist->Clear();
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(Selection, AMessageBoxLeavesTheListsAsTheyWere) {
    QtDialogs boxes;
    Load(boxes);
    Activate(player.get());
    player->state.FirstLoad = false; // as after an empty first start: activations may reload
    player->SelectPlayList(1);       // "[Top 20]"
    player->SelectArtist(0);
    player->lstTracks->SetListIndex(3);
    QTimer::singleShot(100, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(static_cast<Dialogs&>(boxes).MsgBox(QStringLiteral("Really?"), MsgButtons::YesNo),
              MsgResult::No);
    Activate(player.get());
    QTest::qWait(400); // a reload would run on the third 100 ms tick
    EXPECT_FALSE(player->Timer1.isActive());
    EXPECT_EQ(player->lstPlayLists->Text(), QStringLiteral("[Top 20]"));
    EXPECT_EQ(player->lstTracks->ListIndex(), 3);
}

TEST_F(Selection, ComingBackFromTheAddMediaWindowReloads) {
    Load(dialogs);
    Activate(player.get());
    player->state.FirstLoad = false; // as after the start-up reload
    player->SelectPlayList(1);
    frmAdd* add = player->add();
    add->show();
    Activate(add);
    Activate(player.get());
    EXPECT_TRUE(player->Timer1.isActive());
    QTest::qWait(400);
    EXPECT_EQ(player->lstPlayLists->Text(), QStringLiteral("[All Media]"));
}
