#include "skin/SkinImage.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <unordered_map>

namespace {
// The place in twips of every placed widget, dropped when the widget goes. Read many times a
// second by the playback tick, so it is a plain table rather than a property lookup by name.
std::unordered_map<const QWidget*, QRect>& Places() {
    static std::unordered_map<const QWidget*, QRect> places;
    return places;
}
} // namespace

QRect TwipsOf(const QWidget* widget) {
    const auto it = Places().find(widget);
    return it == Places().end() ? QRect() : it->second;
}

void PlaceTwips(QWidget* widget, const QRect& twips) {
    const auto [it, added] = Places().insert_or_assign(widget, twips);
    if (added)
        QObject::connect(widget, &QObject::destroyed, [widget] { Places().erase(widget); });
    widget->setGeometry(ToPixels(twips.x()), ToPixels(twips.y()), ToPixels(twips.width()),
                        ToPixels(twips.height()));
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
    PlaceTwips(this, twips);
    setPixmap(PlaceholderArt(size(), face));
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

QLabel* MakeLabel(QWidget* parent, const QString& name, const QRect& twips, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    PlaceTwips(label, twips);
    return label;
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
