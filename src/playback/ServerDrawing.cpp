#include "playback/ServerDrawing.h"

#include <QGuiApplication>
#include <QImage>
#include <QWidget>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>

struct ServerDrawing::Handles {
    ::Display* display = nullptr;
    ::Window window = 0;
    GC gc = nullptr; // for sending the picture
    // The frames go straight to the connection the toolkit shares with Xlib: three requests,
    // written by the few lines of libxcb, with no Xlib buffer handed over and back.
    xcb_connection_t* connection = nullptr;
    xcb_gcontext_t frameGc = 0;
    uint32_t frameColour = 0;
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
    handles->connection = x11->connection();
    if (!handles->connection) {
        XFreeGC(handles->display, handles->gc);
        return nullptr;
    }
    handles->frameGc = xcb_generate_id(handles->connection);
    const uint32_t frameValues[] = {handles->frameColour, 0};
    xcb_create_gc(handles->connection, handles->frameGc,
                  static_cast<xcb_drawable_t>(handles->window),
                  XCB_GC_FOREGROUND | XCB_GC_GRAPHICS_EXPOSURES, frameValues);
    return std::unique_ptr<ServerDrawing>(new ServerDrawing(std::move(handles)));
}

ServerDrawing::ServerDrawing(std::unique_ptr<Handles> handles) : x_(std::move(handles)) {}

ServerDrawing::~ServerDrawing() {
    if (x_->picture)
        XFreePixmap(x_->display, x_->picture);
    XFreeGC(x_->display, x_->gc);
    xcb_free_gc(x_->connection, x_->frameGc);
    xcb_flush(x_->connection);
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
            XFlush(x_->display); // the picture reaches the server before the first copy
        }
    }
    // The picture, and the background around it: no pixel is drawn twice, so nothing flickers.
    const QRect all(QPoint(0, 0), area);
    const QRect shown = x_->picture ? QRect(at, x_->pictureSize).intersected(all) : QRect();
    xcb_rectangle_t bands[4];
    int count = 0;
    auto band = [&](int left, int top, int width, int height) {
        if (width > 0 && height > 0)
            bands[count++] = {static_cast<int16_t>(left), static_cast<int16_t>(top),
                              static_cast<uint16_t>(width), static_cast<uint16_t>(height)};
    };
    if (shown.isEmpty()) {
        band(0, 0, area.width(), area.height());
    } else {
        band(0, 0, area.width(), shown.top());
        band(0, shown.bottom() + 1, area.width(), area.height() - shown.bottom() - 1);
        band(0, shown.top(), shown.left(), shown.height());
        band(shown.right() + 1, shown.top(), area.width() - shown.right() - 1, shown.height());
    }
    const uint32_t colour = background.rgb() & 0xffffff;
    if (colour != x_->frameColour) {
        x_->frameColour = colour;
        xcb_change_gc(x_->connection, x_->frameGc, XCB_GC_FOREGROUND, &colour);
    }
    const auto window = static_cast<xcb_drawable_t>(x_->window);
    if (count > 0)
        xcb_poly_fill_rectangle(x_->connection, window, x_->frameGc, static_cast<uint32_t>(count),
                                bands);
    if (x_->picture)
        xcb_copy_area(x_->connection, static_cast<xcb_drawable_t>(x_->picture), window, x_->frameGc,
                      0, 0, static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y()),
                      static_cast<uint16_t>(x_->pictureSize.width()),
                      static_cast<uint16_t>(x_->pictureSize.height()));
    xcb_flush(x_->connection);
}
