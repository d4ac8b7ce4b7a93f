#include "playback/TitleLabel.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

TitleLabel::TitleLabel(QWidget* strip) : QLabel(strip) {
    hide(); // the strip draws it
}

const QPixmap& TitleLabel::Picture() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (picture_.size() != pixels || pictureText_ != text()) {
        picture_ = QPixmap(pixels);
        picture_.setDevicePixelRatio(ratio);
        // Opaque, in the strip's colour: copying it needs no blending.
        const QWidget* strip = parentWidget() ? parentWidget() : this;
        picture_.fill(strip->palette().color(strip->backgroundRole()));
        QPainter painter(&picture_);
        painter.setFont(font());
        style()->drawItemText(&painter, rect(), static_cast<int>(alignment()), palette(),
                              isEnabled(), text(), foregroundRole());
        pictureText_ = text();
    }
    return picture_;
}

void TitleLabel::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
    case QEvent::StyleChange:
        picture_ = QPixmap(); // drawn again at the next paint
        break;
    default:
        break;
    }
    QLabel::changeEvent(event);
}

void TitleStrip::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (title_ && !title_->text().isEmpty())
        QPainter(this).drawPixmap(title_->pos(), title_->Picture());
}
