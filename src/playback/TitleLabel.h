// The scrolling title. TitleLabel holds the title's text and place but is never shown itself:
// the strip it lies in (TitleStrip) draws it, from a picture made once per text, at its place.
// Moving the title then repaints one small strip, without the window's work for a moving child.
#pragma once

#include <QLabel>
#include <QPixmap>

#include <memory>

class TitleLabel : public QLabel {
    Q_OBJECT
public:
    explicit TitleLabel(QWidget* strip);
    // The title drawn on the strip's background for a screen of `ratio` device pixels per pixel;
    // made again when the text, size, font, colours or ratio changed since.
    const QPixmap& Picture(qreal ratio);

protected:
    void changeEvent(QEvent* event) override;

private:
    QPixmap picture_;
    QString pictureText_;
};

class ServerDrawing;

class TitleStrip : public QLabel {
    Q_OBJECT
public:
    // On X11 the strip is a window of its own that draws the title with a copy in the X server;
    // elsewhere it paints as any label does.
    explicit TitleStrip(QWidget* parent);
    ~TitleStrip() override;
    void SetTitle(TitleLabel* title) { title_ = title; }
    // Shows the title at its new place: on X11 at once, with no paint event; elsewhere at the
    // next paint.
    void Redraw();
    QPaintEngine* paintEngine() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PaintWithQt(QPaintEvent* event);
    void DrawOnServer();
    TitleLabel* title_ = nullptr;
    bool onServer_ = false;
    bool blankShown_ = false; // the last redraw showed no title: the next blank one is skipped
    std::unique_ptr<ServerDrawing> server_;
};
