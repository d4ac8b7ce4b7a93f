#include "skin/SkinImage.h"

#include "skin/SkinArt.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QShowEvent>

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
// The face drawn when neither the bundle nor the built-in art has the image: a flat face with a
// frame.
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
    : QLabel(parent), face_(face) {
    setObjectName(name);
    PlaceTwips(this, twips);
    setToolTip(tooltip);
    setMouseTracking(true);
}

void SkinImage::showEvent(QShowEvent* event) {
    if (!drawn_) {
        drawn_ = true;
        const QPixmap art = SkinArt::ImageFor(this);
        setPixmap(art.isNull() ? PlaceholderArt(size(), face_) : art);
    }
    QLabel::showEvent(event);
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

void UseSkinColours(QWidget* window) {
    QPalette colours = window->palette();
    colours.setColor(QPalette::WindowText, QColor(0xe0, 0xe6, 0xee));
    colours.setColor(QPalette::Base, QColor(0x0f, 0x13, 0x18));
    colours.setColor(QPalette::AlternateBase, QColor(0x16, 0x1b, 0x22));
    colours.setColor(QPalette::Text, QColor(0xdc, 0xe3, 0xeb));
    colours.setColor(QPalette::Button, QColor(0x24, 0x2c, 0x37));
    colours.setColor(QPalette::ButtonText, QColor(0xdc, 0xe3, 0xeb));
    colours.setColor(QPalette::Highlight, QColor(0x1f, 0x6f, 0x99));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    colours.setColor(QPalette::Window, QColor(0x1a, 0x20, 0x28));
    window->setPalette(colours);
}

bool ShowSkinArt(QLabel* label) {
    const QPixmap art = SkinArt::ImageFor(label);
    if (art.isNull())
        return false;
    label->setPixmap(art);
    return true;
}

bool FillWithSkinArt(QWidget* widget) {
    const QPixmap art =
        SkinArt::Image(widget->window()->objectName() + QLatin1Char('/') + widget->objectName(),
                       widget->devicePixelRatioF());
    if (art.isNull())
        return false;
    QPalette colours = widget->palette();
    colours.setBrush(QPalette::Window, QBrush(art));
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
    return true;
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
