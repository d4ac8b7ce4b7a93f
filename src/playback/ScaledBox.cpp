#include "playback/ScaledBox.h"

#include "skin/SkinImage.h"

#include <QMouseEvent>

#include <cmath>

namespace {
constexpr int kBorderTwips = 30;
}

ScaledBox::ScaledBox(QWidget* parent, const QString& name, const QRect& twips, double scaleWidth)
    : QLabel(parent), scaleWidth_(scaleWidth), innerTwips_(twips.width() - 2 * kBorderTwips) {
    setObjectName(name);
    PlaceTwips(this, twips);
    setFrameShape(QFrame::Box);
}

void ScaledBox::SetScaleWidth(double units) {
    // A scale of 0 (an item of no length) would make every position read 0 and divide by 0.
    scaleWidth_ = units > 0 ? units : 1;
}

void ScaledBox::mousePressEvent(QMouseEvent* event) {
    const double twips = ToTwips(static_cast<int>(event->position().x())) - kBorderTwips;
    emit MouseDown(twips * UnitsPerTwip());
    QLabel::mousePressEvent(event);
}

ScaledItem::ScaledItem(ScaledBox* box, const QString& name, int leftTwips, int widthTwips,
                       int heightTwips)
    : QLabel(box), box_(box), leftTwips_(leftTwips), widthTwips_(widthTwips),
      heightTwips_(heightTwips) {
    setObjectName(name);
    Apply();
}

void ScaledItem::SetLeft(double units) {
    leftTwips_ = units / box_->UnitsPerTwip();
    Apply();
}

void ScaledItem::SetWidth(double units) {
    widthTwips_ = std::max(0.0, units / box_->UnitsPerTwip());
    Apply();
}

void ScaledItem::Apply() {
    const QRect place(static_cast<int>(std::lround(leftTwips_ / kTwipsPerPixel)) + 2, 0,
                      std::max(1, static_cast<int>(std::lround(widthTwips_ / kTwipsPerPixel))),
                      ToPixels(heightTwips_));
    if (place != geometry()) // the tick places the thumbs a hundred times a second
        setGeometry(place);
}

double ScaledItem::UnitsAt(const QMouseEvent* event) const {
    return ToTwips(static_cast<int>(event->position().x())) * box_->UnitsPerTwip();
}

void ScaledItem::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(UnitsAt(event));
}

void ScaledItem::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(UnitsAt(event));
}

void ScaledItem::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(UnitsAt(event));
}
