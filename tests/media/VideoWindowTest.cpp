// Video output inside the window named at open, placed by "put ... window at": run on a real
// (virtual) X display, the picture is looked at on the screen.
#include "media/MpvMciService.h"
#include "playback/TitleLabel.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

const QRgb kBackground = qRgb(0x20, 0x20, 0x20);

// How many pixels of the rectangle differ from the background.
int PaintedPixels(const QImage& screen, const QRect& rect) {
    int painted = 0;
    for (int y = rect.top(); y <= rect.bottom(); y += 4)
        for (int x = rect.left(); x <= rect.right(); x += 4)
            painted += (screen.pixel(x, y) & 0xffffff) != (kBackground & 0xffffff) ? 1 : 0;
    return painted;
}

} // namespace

TEST(VideoWindow, PictureIsDrawnInsideTheParentWhereItWasPut) {
    if (QApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X display";
    QWidget parent;
    parent.setStyleSheet(QStringLiteral("background: #202020"));
    parent.setGeometry(0, 0, 400, 300);
    parent.show();
    Settle(200);

    MpvMciService service;
    const QString open = QStringLiteral("open \"" JUKORA_TEST_MEDIA
                                        "/clip.mpg\" type MPEGVideo Alias movie0 parent %1 "
                                        "Style 1073741824")
                             .arg(parent.winId());
    ASSERT_EQ(service.SendString(open), 0u);
    ASSERT_EQ(service.SendString(QStringLiteral("put movie0 window at 50 40 200 150")), 0u);
    ASSERT_EQ(service.SendString(QStringLiteral("play movie0")), 0u);
    Settle(500);
    service.SendString(QStringLiteral("pause movie0"));
    Settle(300);
    QImage screen = parent.screen()->grabWindow(0).toImage();
    const QPoint origin = parent.mapToGlobal(QPoint(0, 0));
    EXPECT_GT(PaintedPixels(screen, QRect(origin + QPoint(55, 45), QSize(190, 140))), 1500);
    EXPECT_EQ(PaintedPixels(screen, QRect(origin + QPoint(260, 200), QSize(120, 80))), 0);

    ASSERT_EQ(service.SendString(QStringLiteral("put movie0 window at 200 150 180 130")), 0u);
    Settle(400);
    screen = parent.screen()->grabWindow(0).toImage();
    EXPECT_GT(PaintedPixels(screen, QRect(origin + QPoint(260, 200), QSize(100, 70))), 300);
    EXPECT_EQ(PaintedPixels(screen, QRect(origin + QPoint(10, 10), QSize(150, 100))), 0);
    EXPECT_EQ(service.SendString(QStringLiteral("close movie0")), 0u);
}

// The scrolling title on X11 is drawn by the X server from a copy of its picture: it must show
// where the title is placed, move with it, and leave the strip's colour everywhere else.
TEST(TitleStripOnX11, TitleIsDrawnWhereItIsPlacedAndMovesWithoutTraces) {
    if (QApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X display";
    QWidget window;
    window.setGeometry(0, 0, 400, 100);
    TitleStrip strip(&window);
    strip.setGeometry(20, 20, 300, 20);
    QPalette colours = strip.palette();
    colours.setColor(QPalette::Window, QColor(kBackground));
    colours.setColor(QPalette::WindowText, Qt::white);
    strip.setPalette(colours);
    strip.setAutoFillBackground(true);
    TitleLabel title(&strip);
    title.setText(QStringLiteral("Northwind - Blue River"));
    title.adjustSize();
    strip.SetTitle(&title);
    window.show();
    Settle(300);

    const QPoint origin = strip.mapToGlobal(QPoint(0, 0));
    const int width = title.width();
    ASSERT_GT(width, 40);
    auto grab = [&] { return strip.screen()->grabWindow(0).toImage(); };
    QImage screen = grab();
    EXPECT_GT(PaintedPixels(screen, QRect(origin, QSize(width, 16))), 10);
    EXPECT_EQ(PaintedPixels(screen, QRect(origin + QPoint(width + 8, 0), QSize(290 - width, 18))),
              0);

    title.move(150, 0);
    strip.Redraw();
    Settle(100);
    screen = grab();
    EXPECT_EQ(PaintedPixels(screen, QRect(origin, QSize(140, 18))), 0); // nothing left behind
    EXPECT_GT(PaintedPixels(screen, QRect(origin + QPoint(150, 0), QSize(140, 16))), 10);

    // A title taken away leaves a blank strip, however often the empty title moves after it
    // (those redraws are skipped), and a new title shows again.
    title.setText(QString());
    strip.Redraw();
    title.move(100, 0);
    strip.Redraw();
    Settle(100);
    EXPECT_EQ(PaintedPixels(grab(), QRect(origin, QSize(300, 18))), 0);
    title.setText(QStringLiteral("Holloways - Over The Hill"));
    title.adjustSize();
    strip.Redraw();
    Settle(100);
    EXPECT_GT(PaintedPixels(grab(), QRect(origin + QPoint(100, 0), QSize(190, 16))), 10);
}
