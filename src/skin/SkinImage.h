// The skin's building block: an image that reports mouse movement and clicks, and the pair of a
// normal image and its "Over" image at one place. The mouse over the normal image shows the Over
// image (the window's hover handler does the swap); the click handler sits on the Over image.
#pragma once

#include <QColor>
#include <QLabel>
#include <QRect>

class QMouseEvent;
class QShowEvent;

// Geometry is kept in twips, as the window's layout is written; 15 twips make one pixel.
constexpr int kTwipsPerPixel = 15;
inline int ToPixels(int twips) {
    return twips / kTwipsPerPixel;
}
inline int ToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}
// A place in twips (Left, Top, Width, Height).
inline QRect TwipsRect(int left, int top, int width, int height) {
    return {left, top, width, height};
}
// Every control keeps its place in twips, the unit its window's procedures work in; the pixels
// follow. TwipsOf gives the place last set by PlaceTwips.
QRect TwipsOf(const QWidget* widget);
void PlaceTwips(QWidget* widget, const QRect& twips);

class SkinImage : public QLabel {
    Q_OBJECT
public:
    SkinImage(QWidget* parent, const QString& name, const QRect& twips, const QColor& face,
              const QString& tooltip = QString());

signals:
    void mouseMoved();
    void clicked();

protected:
    // The art is read when the image is first shown: hidden images (highlights, panels, other
    // windows) cost nothing at start-up.
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor face_; // drawn when the art has no image of this name
    bool drawn_ = false;
};

struct ImagePair {
    SkinImage* normal = nullptr;
    SkinImage* over = nullptr;
    // Highlights: the Over image shows, the normal image hides.
    void Highlight() {
        over->show();
        normal->hide();
    }
    // Back to normal (or both hidden when the pair is not the shown half of a toggle).
    void Restore(bool visible = true) {
        over->hide();
        normal->setVisible(visible);
    }
};

// A plain label at a place in twips.
QLabel* MakeLabel(QWidget* parent, const QString& name, const QRect& twips,
                  const QString& text = QString());

// The skin's colours for a window and the standard controls on it (lists, text boxes,
// drop-downs): light text on the dark skin, the accent colour for the selection.
void UseSkinColours(QWidget* window);

// Shows the skin's image for `label` (named after its window and itself) on it; false when the
// art has none.
bool ShowSkinArt(QLabel* label);
// Paints `widget`'s background with its skin image repeated across, for a fill whose width
// changes; false when the art has none.
bool FillWithSkinArt(QWidget* widget);

ImagePair MakeImagePair(QWidget* parent, const QString& name, const QRect& twips,
                        const QString& tooltip, const QColor& face);
