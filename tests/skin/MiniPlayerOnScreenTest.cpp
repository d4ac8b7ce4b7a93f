// The main window and the mini player on a real X display, driven by the X server's own pointer
// (xdotool): the main window's skin is drawn in its one X window and its buttons answer the
// pointer; the mini player's outline is the window's shape, so a press in a cut corner never
// reaches it, and a drag moves it with the grab point under the pointer.
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QProcess>

#include <gtest/gtest.h>
#include <memory>

namespace {

bool Pointer(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

QStringList At(QPoint point) {
    return {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())};
}

} // namespace

class MainWindowOnScreen : public PlayerTest<> {};
class MiniPlayerOnScreen : public PlayerTest<> {};

// The skin's widgets are drawn in the main window's one X window; only the title strip, which
// draws its title on the server, has windows of its own. A button still answers the X pointer.
TEST_F(MainWindowOnScreen, OnlyTheTitleStripIsAnXWindowAndTheButtonsStillAnswerThePointer) {
    folder.FillSongs(3);
    StartPlayer();
    player->move(0, 0);
    Settle(300);
    QStringList ownWindows;
    for (QWidget* widget : player->findChildren<QWidget*>()) {
        if (widget->isWindow() || !widget->internalWinId())
            continue;
        const bool inStrip =
            widget == player->picTrackTitle || player->picTrackTitle->isAncestorOf(widget);
        if (!inStrip)
            ownWindows << widget->objectName();
    }
    EXPECT_TRUE(ownWindows.isEmpty()) << ownWindows.join(QLatin1Char(' ')).toStdString();
    EXPECT_NE(player->picTrackTitle->internalWinId(), 0u);

    ASSERT_TRUE(player->imgPlay.normal->isVisible());
    const QPoint play =
        player->imgPlay.normal->mapToGlobal(player->imgPlay.normal->rect().center());
    ASSERT_TRUE(Pointer(At(play + QPoint(1, 1))));
    ASSERT_TRUE(Pointer(At(play)));
    EXPECT_TRUE(WaitFor([&] { return player->imgPlay.over->isVisible(); }, 3000));
}

TEST_F(MiniPlayerOnScreen, ACutCornerIsNotTheWindowsAndADragKeepsTheGrabPoint) {
    folder.FillSongs(3);
    StartPlayer();
    player->imgSkinOver_Click();
    frmSkin& mini = *player->skin();
    mini.move(200, 200);
    ASSERT_TRUE(WaitFor([&] { return mini.isVisible() && mini.pos() == QPoint(200, 200); }, 5000));
    Settle(300);

    // The top left corner is cut 10 pixels across and 7 down: (3, 3) lies outside the outline.
    ASSERT_TRUE(Pointer(At(mini.pos() + QPoint(3, 3))));
    ASSERT_TRUE(Pointer({QStringLiteral("mousedown"), QStringLiteral("1")}));
    Settle(300);
    EXPECT_FALSE(mini.Dragging());
    ASSERT_TRUE(Pointer({QStringLiteral("mouseup"), QStringLiteral("1")}));
    Settle(100);

    // A press on the background inside the outline, then a move: the window follows.
    const QPoint grab(140, 100); // between the stop button and the track list
    ASSERT_TRUE(Pointer(At(mini.pos() + grab)));
    ASSERT_TRUE(Pointer({QStringLiteral("mousedown"), QStringLiteral("1")}));
    ASSERT_TRUE(WaitFor([&] { return mini.Dragging(); }, 3000));
    for (QPoint to : {QPoint(450, 380), QPoint(520, 300)}) {
        ASSERT_TRUE(Pointer(At(to)));
        EXPECT_TRUE(WaitFor([&] { return mini.pos() == to - grab; }, 3000))
            << mini.pos().x() << "," << mini.pos().y();
    }
    ASSERT_TRUE(Pointer({QStringLiteral("mouseup"), QStringLiteral("1")}));
    EXPECT_TRUE(WaitFor([&] { return !mini.Dragging(); }, 3000));
}

// Back in the main window, the lists stay as the mini player's choices left them, also once the
// main window is active again.
TEST_F(MiniPlayerOnScreen, BackToNormalViewKeepsTheListsAsTheMiniPlayerLeftThem) {
    folder.FillSongs(30);
    folder.Exec("UPDATE tblSong SET playcount = songid % 7");
    StartPlayer();
    // No window manager gives the focus here: the windows take it as a user's click would.
    player->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return player->isActiveWindow(); }, 5000));
    player->imgSkinOver_Click();
    frmSkin& mini = *player->skin();
    mini.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return mini.isActiveWindow(); }, 5000));
    emit mini.cmbPlayLists->activated(1);
    ASSERT_EQ(player->lstPlayLists->Text(), QStringLiteral("[Top 20]"));
    mini.imgFullScreenOver_Click();
    player->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return player->isActiveWindow(); }, 5000));
    Settle(800); // past the deferred reload a return from the add-media window starts
    EXPECT_EQ(player->lstPlayLists->Text(), QStringLiteral("[Top 20]"));
    EXPECT_EQ(player->lstTracks->ListCount(), 20);
    EXPECT_EQ(mini.cmbTracks->ListCount(), 20);
}
