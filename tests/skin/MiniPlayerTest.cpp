#include "skin/CreditLabel.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>
#include <memory>

namespace {

// A mouse event at `at` in the window, the window standing where it stands now.
void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton
                                  : type == QEvent::MouseMove && button == Qt::NoButton
                                      ? Qt::NoButton
                                      : Qt::MouseButtons(button);
    QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

class MiniPlayer : public PlayerTest<> {
protected:
    frmSkin* mini = nullptr;

    void SetUp() override {
        folder.AddSong(1, QStringLiteral("Seldom"), QStringLiteral("Ash"), folder.SongFile(1), 1);
        folder.AddSong(2, QStringLiteral("Often"), QStringLiteral("Birch"), folder.SongFile(2), 9);
        folder.AddSong(3, QStringLiteral("Never"), QStringLiteral("Ash"), folder.SongFile(3), 0);
        folder.AddSong(4, QStringLiteral("Sometimes"), QStringLiteral("Cedar"), folder.SongFile(4),
                       4);
        folder.MakeSongFiles(4);
        StartPlayer();
        mini = player->skin();
        player->imgSkinOver_Click();
    }
    int Opens() const {
        return static_cast<int>(sender.commands.filter(QStringLiteral("open ")).size());
    }
};

} // namespace

TEST_F(MiniPlayer, IsAFramelessWindowShapedByItsOutline) {
    EXPECT_EQ(mini->size(), QSize(382, 152));
    EXPECT_TRUE(mini->windowFlags() & Qt::FramelessWindowHint);
    const QRegion shape = mini->mask();
    for (QPoint inside : {QPoint(12, 3), QPoint(190, 75), QPoint(377, 11), QPoint(3, 10),
                          QPoint(20, 146), QPoint(360, 146)})
        EXPECT_TRUE(shape.contains(inside)) << inside.x() << "," << inside.y();
    // The four cut corners and the two-pixel edge around the outline.
    for (QPoint outside : {QPoint(3, 3), QPoint(376, 3), QPoint(377, 146), QPoint(3, 146),
                           QPoint(0, 75), QPoint(190, 0), QPoint(380, 75), QPoint(190, 150)})
        EXPECT_FALSE(shape.contains(outside)) << outside.x() << "," << outside.y();
}

TEST_F(MiniPlayer, APressInACutCornerDoesNotReachTheWindow) {
    Mouse(mini, QEvent::MouseButtonPress, QPoint(3, 3));
    EXPECT_FALSE(mini->Dragging());
    const QPoint before = mini->pos();
    Mouse(mini, QEvent::MouseMove, QPoint(60, 60));
    EXPECT_EQ(mini->pos(), before);
    Mouse(mini, QEvent::MouseButtonRelease, QPoint(60, 60));
}

TEST_F(MiniPlayer, DraggingTheBackgroundKeepsTheGrabPointUnderTheMouse) {
    mini->move(100, 100);
    const QPoint grab(150, 120);
    Mouse(mini, QEvent::MouseButtonPress, grab);
    ASSERT_TRUE(mini->Dragging());
    for (QPoint mouse : {QPoint(400, 300), QPoint(410, 290), QPoint(180, 700)}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(mouse - mini->pos()), QPointF(mouse),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(mini, &move);
        EXPECT_EQ(mouse - mini->pos(), grab);
    }
    Mouse(mini, QEvent::MouseButtonRelease, grab);
    EXPECT_FALSE(mini->Dragging());
    const QPoint after = mini->pos();
    Mouse(mini, QEvent::MouseMove, QPoint(20, 20), Qt::NoButton);
    EXPECT_EQ(mini->pos(), after);
}

TEST_F(MiniPlayer, PressesOnListsLabelsAndButtonsDoNotDrag) {
    QList<QUrl> opened;
    mini->lblCopyright->open = [&](const QUrl& url) { opened << url; };
    for (const char* name : {"Label1", "Label4", "cmbTracks", "imgStop", "lblCopyright"}) {
        auto* control = mini->findChild<QWidget*>(QString::fromUtf8(name));
        ASSERT_NE(control, nullptr) << name;
        Mouse(control, QEvent::MouseButtonPress, QPoint(2, 2));
        EXPECT_FALSE(mini->Dragging()) << name;
        Mouse(control, QEvent::MouseButtonRelease, QPoint(2, 2));
    }
    EXPECT_EQ(opened, QList<QUrl>{CreditLabel::HomePage()}); // the credit took its click
}

TEST_F(MiniPlayer, ChoosingTop20ListsTheTopTracksInBothWindows) {
    emit mini->cmbPlayLists->activated(1);
    EXPECT_EQ(player->lstPlayLists->Text(), QStringLiteral("[Top 20]"));
    const QStringList titles = {QStringLiteral("Often"), QStringLiteral("Sometimes"),
                                QStringLiteral("Seldom")};
    EXPECT_EQ(mini->cmbTracks->Items().mid(0, 3), titles);
    ASSERT_GE(player->lstTracks->ListCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(player->lstTracks->List(i).endsWith(titles[i])) << i;
    EXPECT_EQ(mini->cmbTracks->ListCount(), player->lstTracks->ListCount());
}

TEST_F(MiniPlayer, ChoosingAnArtistOrATrackRunsTheMainListsHandlers) {
    const int ash = static_cast<int>(mini->cmbArtists->Items().indexOf(QStringLiteral("Ash")));
    ASSERT_GT(ash, 0);
    emit mini->cmbArtists->activated(ash);
    EXPECT_EQ(player->lstArtist->Text(), QStringLiteral("Ash"));
    EXPECT_EQ(mini->cmbTracks->Items(),
              (QStringList{QStringLiteral("Seldom"), QStringLiteral("Never")}));
    const int opens = Opens();
    emit mini->cmbTracks->activated(1);
    EXPECT_EQ(Opens(), opens + 1);
    EXPECT_TRUE(
        sender.commands.filter(QStringLiteral("open ")).last().contains(folder.SongFile(3)));
    EXPECT_EQ(player->lstTracks->ListIndex(), 1);
}

TEST_F(MiniPlayer, AChoiceAtAPositionTheMainListLacksIsIgnored) {
    const int last = mini->cmbTracks->ListCount() - 1;
    ASSERT_GT(last, 0);
    player->lstTracks->RemoveItem(last); // the main list changed alone
    const int opens = Opens();
    emit mini->cmbTracks->activated(last);
    EXPECT_EQ(Opens(), opens);
    const int playlist = player->lstPlayLists->ListIndex();
    const QStringList tracks = player->lstTracks->Items();
    emit mini->cmbPlayLists->activated(mini->cmbPlayLists->ListCount() + 3);
    EXPECT_EQ(player->lstPlayLists->ListIndex(), playlist);
    EXPECT_EQ(player->lstTracks->Items(), tracks);
}

TEST_F(MiniPlayer, PlayThenPauseSwapsTheLitImageUnderTheMouse) {
    player->lstTracks->SetListIndex(0);
    mini->NoMouseOvers();
    Mouse(mini->imgPlay.normal, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton);
    ASSERT_FALSE(mini->imgPlay.over->isHidden());
    mini->imgPlayOver_Click();
    EXPECT_TRUE(player->state.songplaying);
    EXPECT_FALSE(mini->imgPause.over->isHidden());
    EXPECT_TRUE(mini->imgPlay.over->isHidden());
    mini->imgPauseOver_Click();
    EXPECT_FALSE(player->state.songplaying);
    EXPECT_TRUE(mini->imgPause.over->isHidden());
    EXPECT_FALSE(mini->imgPlay.over->isHidden());
    // Moving over the background brings back the normal image that fits the state.
    Mouse(mini, QEvent::MouseMove, QPoint(200, 140), Qt::NoButton);
    EXPECT_TRUE(mini->imgPlay.over->isHidden());
    EXPECT_FALSE(mini->imgPlay.normal->isHidden());
    EXPECT_TRUE(mini->imgPause.normal->isHidden());
}

TEST_F(MiniPlayer, BackToNormalViewShowsTheMainWindowWithTheListsAsLeft) {
    emit mini->cmbPlayLists->activated(1);
    EXPECT_TRUE(player->isHidden());
    Mouse(mini->imgFullScreen.normal, QEvent::MouseMove, QPoint(5, 5), Qt::NoButton);
    EXPECT_EQ(mini->imgFullScreen.over->toolTip(), QStringLiteral("back to normal view"));
    Mouse(mini->imgFullScreen.over, QEvent::MouseButtonPress, QPoint(5, 5));
    Mouse(mini->imgFullScreen.over, QEvent::MouseButtonRelease, QPoint(5, 5));
    EXPECT_FALSE(player->isHidden());
    EXPECT_TRUE(mini->isHidden());
    EXPECT_EQ(player->lstPlayLists->Text(), QStringLiteral("[Top 20]"));
}

TEST_F(MiniPlayer, BackToNormalViewAfterAPauseHereShowsThePlayImageInTheMainWindow) {
    player->lstTracks->SetListIndex(0);
    mini->imgPlayOver_Click();
    ASSERT_TRUE(player->state.songplaying);
    mini->imgPauseOver_Click();
    ASSERT_FALSE(player->state.songplaying);
    mini->imgFullScreenOver_Click();
    ASSERT_FALSE(player->isHidden());
    // Play and pause share their place: only the play image, unlit, shows there.
    EXPECT_FALSE(player->imgPlay.normal->isHidden());
    EXPECT_TRUE(player->imgPause.normal->isHidden());
    EXPECT_TRUE(player->imgPlay.over->isHidden());
    EXPECT_TRUE(player->imgPause.over->isHidden());
    // And a click on it resumes the song at once.
    player->imgPlayOver_Click();
    EXPECT_TRUE(player->state.songplaying);
}

TEST_F(MiniPlayer, StayOnTopIsOffAtStartAndKeepsTheWindowShownAndInPlace) {
    ASSERT_NE(mini->stayOnTop, nullptr);
    EXPECT_FALSE(mini->stayOnTop->isChecked());
    EXPECT_FALSE(mini->windowFlags() & Qt::WindowStaysOnTopHint);
    mini->move(50, 60);
    mini->stayOnTop->setChecked(true);
    EXPECT_TRUE(mini->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(mini->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_FALSE(mini->isHidden());
    EXPECT_EQ(mini->pos(), QPoint(50, 60));
    mini->stayOnTop->setChecked(false);
    EXPECT_FALSE(mini->windowFlags() & Qt::WindowStaysOnTopHint);
}
