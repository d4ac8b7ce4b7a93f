#include "playback/TitleLabel.h"

#include "playback/ServerDrawing.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QStyle>

TitleLabel::TitleLabel(QWidget* strip) : QLabel(strip) {
    hide(); // the strip draws it
}

const QPixmap& TitleLabel::Picture(qreal ratio) {
    const QSize pixels = size() * ratio;
    if (picture_.size() != pixels || picture_.devicePixelRatio() != ratio ||
        pictureText_ != text()) {
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

TitleStrip::TitleStrip(QWidget* parent) : QLabel(parent) {
    onServer_ = QGuiApplication::platformName() == QLatin1String("xcb");
    if (onServer_) {
        // Only the strip is a window of its own: the skin's widgets beside it stay drawn by the
        // toolkit, rather than each becoming an X window too (the toolkit's default for the
        // siblings of a native widget), which made the first showing create some seventy.
        QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_NoSystemBackground);
    }
}

TitleStrip::~TitleStrip() = default;

QPaintEngine* TitleStrip::paintEngine() const {
    return onServer_ ? nullptr : QLabel::paintEngine();
}

void TitleStrip::paintEvent(QPaintEvent* event) {
    if (onServer_ && !server_ && devicePixelRatioF() == 1.0)
        server_ = ServerDrawing::ForWidget(*this);
    if (onServer_ && !server_) {
        // This X server's windows cannot take the picture as it is: paint as a label does.
        onServer_ = false;
        setAttribute(Qt::WA_PaintOnScreen, false);
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        setAttribute(Qt::WA_NoSystemBackground, false);
        update();
        return;
    }
    if (!server_) {
        PaintWithQt(event);
        return;
    }
    DrawOnServer();
}

void TitleStrip::Redraw() {
    // Without a title the strip looks the same wherever the empty title stands: a stopped player
    // whose tick moves it would otherwise draw the same blank strip at every wake.
    const bool blank = !title_ || title_->text().isEmpty();
    if (blank && blankShown_)
        return;
    blankShown_ = blank;
    if (server_ && isVisible())
        DrawOnServer();
    else
        update();
}

void TitleStrip::DrawOnServer() {
    // The server path is only taken at one device pixel per pixel (see paintEvent).
    const bool titled = title_ && !title_->text().isEmpty();
    server_->Draw(titled ? title_->Picture(1.0) : QPixmap(), titled ? title_->pos() : QPoint(),
                  size(), palette().color(backgroundRole()));
}

void TitleStrip::PaintWithQt(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (title_ && !title_->text().isEmpty())
        QPainter(this).drawPixmap(title_->pos(), title_->Picture(devicePixelRatioF()));
}
