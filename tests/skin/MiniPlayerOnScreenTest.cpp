// The mini player on a real X display, driven by the X server's own pointer (xdotool): its
// outline is the window's shape, so a press in a cut corner never reaches it, and a drag moves
// it with the grab point under the pointer.
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"
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

TEST(MiniPlayerOnScreen, ACutCornerIsNotTheWindowsAndADragKeepsTheGrabPoint) {
    ProgramFolderFixture folder;
    folder.FillSongs(3);
    ScriptedDialogs dialogs;
    RecordingSender sender;
    frmPlayer player(PlayerServices{dialogs, sender, folder.Path(), {}});
    LoadAndReload(player);
    player.imgSkinOver_Click();
    frmSkin& mini = *player.skin();
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
