#include "playback/ServerDrawing.h"

#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

struct ServerDrawing::Handles {
    ::Display* display = nullptr;
    ::Window window = 0;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    Pixmap picture = 0;
    qint64 pictureKey = -1;
    QSize pictureSize;
};

std::unique_ptr<ServerDrawing> ServerDrawing::ForWidget(QWidget& widget) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return nullptr;
    auto handles = std::make_unique<Handles>();
    handles->display = x11->display();
    handles->window = static_cast<::Window>(widget.winId());
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(handles->display, handles->window, &attributes))
        return nullptr;
    const Visual* visual = attributes.visual;
    // 32-bit pixels 0x00RRGGBB, the layout of a QImage in Format_RGB32.
    if ((attributes.depth != 24 && attributes.depth != 32) || visual->red_mask != 0xff0000 ||
        visual->green_mask != 0xff00 || visual->blue_mask != 0xff)
        return nullptr;
    handles->visual = attributes.visual;
    handles->depth = attributes.depth;
    // No exposure events for the copies: each would be one more wake-up of the event loop.
    XGCValues values;
    values.graphics_exposures = False;
    handles->gc = XCreateGC(handles->display, handles->window, GCGraphicsExposures, &values);
    if (!handles->gc)
        return nullptr;
    return std::unique_ptr<ServerDrawing>(new ServerDrawing(std::move(handles)));
}

ServerDrawing::ServerDrawing(std::unique_ptr<Handles> handles) : x_(std::move(handles)) {}

ServerDrawing::~ServerDrawing() {
    if (x_->picture)
        XFreePixmap(x_->display, x_->picture);
    XFreeGC(x_->display, x_->gc);
}

void ServerDrawing::Draw(const QPixmap& picture, QPoint at, const QSize& area,
                         const QColor& background) {
    if (picture.cacheKey() != x_->pictureKey) {
        if (x_->picture)
            XFreePixmap(x_->display, x_->picture);
        x_->picture = 0;
        x_->pictureKey = picture.cacheKey();
        x_->pictureSize = picture.size();
        if (!picture.isNull()) {
            QImage image = picture.toImage().convertToFormat(QImage::Format_RGB32);
            x_->picture = XCreatePixmap(
                x_->display, x_->window, static_cast<unsigned>(image.width()),
                static_cast<unsigned>(image.height()), static_cast<unsigned>(x_->depth));
            XImage* sent = XCreateImage(
                x_->display, x_->visual, static_cast<unsigned>(x_->depth), ZPixmap, 0,
                reinterpret_cast<char*>(image.bits()), static_cast<unsigned>(image.width()),
                static_cast<unsigned>(image.height()), 32, static_cast<int>(image.bytesPerLine()));
            if (sent) {
                XPutImage(x_->display, x_->picture, x_->gc, sent, 0, 0, 0, 0,
                          static_cast<unsigned>(image.width()),
                          static_cast<unsigned>(image.height()));
                sent->data = nullptr; // the bits belong to the QImage
                XDestroyImage(sent);
            }
        }
    }
    // The picture, and the background around it: no pixel is drawn twice, so nothing flickers.
    const QRect shown = x_->picture ? QRect(at, x_->pictureSize) : QRect();
    XSetForeground(x_->display, x_->gc, background.rgb() & 0xffffff);
    for (const QRect& band : QRegion(QRect(QPoint(0, 0), area)).subtracted(shown))
        XFillRectangle(x_->display, x_->window, x_->gc, band.x(), band.y(),
                       static_cast<unsigned>(band.width()), static_cast<unsigned>(band.height()));
    if (x_->picture)
        XCopyArea(x_->display, x_->picture, x_->window, x_->gc, 0, 0,
                  static_cast<unsigned>(x_->pictureSize.width()),
                  static_cast<unsigned>(x_->pictureSize.height()), at.x(), at.y());
    XFlush(x_->display);
}
