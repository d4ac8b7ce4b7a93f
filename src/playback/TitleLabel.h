// The scrolling title. TitleLabel holds the title's text and place but is never shown itself:
// the strip it lies in (TitleStrip) draws it, from a picture made once per text, at its place.
// Moving the title then repaints one small strip, without the window's work for a moving child.
#pragma once

#include <QLabel>
#include <QPixmap>

class TitleLabel : public QLabel {
    Q_OBJECT
public:
    explicit TitleLabel(QWidget* strip);
    // The title drawn on the strip's background; made again when the text, size, font or
    // colours changed since.
    const QPixmap& Picture();

protected:
    void changeEvent(QEvent* event) override;

private:
    QPixmap picture_;
    QString pictureText_;
};

class TitleStrip : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void SetTitle(TitleLabel* title) { title_ = title; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TitleLabel* title_ = nullptr;
};
