#include "skin/SkinImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

QRect TwipsRect(int left, int top, int width, int height) {
    return {ToPixels(left), ToPixels(top), ToPixels(width), ToPixels(height)};
}

namespace {
// Placeholder art until the skin is drawn: a flat face with a frame.
QPixmap PlaceholderArt(const QSize& size, const QColor& face) {
    QPixmap art(size.expandedTo(QSize(1, 1)));
    art.fill(face);
    QPainter painter(&art);
    painter.setPen(face.darker(160));
    painter.drawRect(0, 0, art.width() - 1, art.height() - 1);
    return art;
}
} // namespace

SkinImage::SkinImage(QWidget* parent, const QString& name, const QRect& twips, const QColor& face,
                     const QString& tooltip)
    : QLabel(parent) {
    setObjectName(name);
    setGeometry(twips);
    setPixmap(PlaceholderArt(twips.size(), face));
    setToolTip(tooltip);
    setMouseTracking(true);
}

void SkinImage::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    QLabel::mouseMoveEvent(event);
}

void SkinImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

ImagePair MakeImagePair(QWidget* parent, const QString& name, const QRect& twips,
                        const QString& tooltip, const QColor& face) {
    ImagePair pair;
    pair.normal = new SkinImage(parent, name, twips, face, tooltip);
    pair.over =
        new SkinImage(parent, name + QStringLiteral("Over"), twips, face.lighter(140), tooltip);
    pair.over->hide();
    return pair;
}
