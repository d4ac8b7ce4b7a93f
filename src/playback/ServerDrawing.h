// Drawing on a native X window with the picture kept in the X server: the picture is sent once
// and each frame is one copy request, with no image data and no round trip. The scrolling title
// uses it to move many times a second for next to no work.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QPoint>
#include <QSize>

#include <memory>

class QWidget;

class ServerDrawing {
public:
    // For a native widget on X11 with a 24-bit true-colour window; nullptr otherwise (another
    // window system, another visual), and the caller paints as usual.
    static std::unique_ptr<ServerDrawing> ForWidget(QWidget& widget);
    ~ServerDrawing();
    ServerDrawing(const ServerDrawing&) = delete;
    ServerDrawing& operator=(const ServerDrawing&) = delete;

    // Fills the window's `area` with `background` and shows `picture` at `at` over it. The
    // picture is sent to the server again only when it changed (its cache key).
    void Draw(const QPixmap& picture, QPoint at, const QSize& area, const QColor& background);

private:
    struct Handles;
    explicit ServerDrawing(std::unique_ptr<Handles> handles);
    std::unique_ptr<Handles> x_;
};
