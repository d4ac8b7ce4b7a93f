// A picture box with its own horizontal scale, and the items inside it. Positions of the items
// are read and written in the box's scale units (seconds for the progress bar, 0 to 2000 or 0 to
// 200 for the speed track); the items keep their physical place when the scale changes, so a
// new scale only changes what their positions read.
#pragma once

#include <QLabel>

class QMouseEvent;

class ScaledBox : public QLabel {
    Q_OBJECT
public:
    // `twips`: the box's place; the scale spans its inner width (inside a 30-twip border).
    ScaledBox(QWidget* parent, const QString& name, const QRect& twips, double scaleWidth);
    double ScaleWidth() const { return scaleWidth_; }
    void SetScaleWidth(double units);
    double UnitsPerTwip() const { return scaleWidth_ / innerTwips_; }

signals:
    void MouseDown(double x); // x in scale units

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    double scaleWidth_;
    double innerTwips_;
};

// An item in a ScaledBox (a thumb or a fill) with Left and Width in the box's units.
class ScaledItem : public QLabel {
    Q_OBJECT
public:
    ScaledItem(ScaledBox* box, const QString& name, int leftTwips, int widthTwips, int heightTwips);
    double Left() const { return leftTwips_ * box_->UnitsPerTwip(); }
    double Width() const { return widthTwips_ * box_->UnitsPerTwip(); }
    void SetLeft(double units);
    void SetWidth(double units);

signals:
    // x in the box's units, measured from the item's own left edge.
    void MouseDown(double x);
    void MouseMove(double x);
    void MouseUp(double x);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    double UnitsAt(const QMouseEvent* event) const;
    void Apply();
    ScaledBox* box_;
    double leftTwips_, widthTwips_;
    int heightTwips_;
};
