#include "skin/CreditLabel.h"

#include "skin/SkinImage.h"

#include <QDesktopServices>
#include <QMouseEvent>

CreditLabel::CreditLabel(QWidget* parent, const QRect& twips)
    : QLabel(QStringLiteral("Tobrinvale"), parent),
      open([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    setObjectName(QStringLiteral("lblCopyright"));
    PlaceTwips(this, twips);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setToolTip(HomePage().toString());
}

QUrl CreditLabel::HomePage() {
    return QUrl(QStringLiteral("http://www.orvane.example/index.php?origin=Jukora&page=Home"));
}

void CreditLabel::SetUnderline(bool on) {
    if (font().underline() == on)
        return;
    QFont underlined = font();
    underlined.setUnderline(on);
    setFont(underlined);
}

void CreditLabel::mouseMoveEvent(QMouseEvent* event) {
    SetUnderline(true);
    QLabel::mouseMoveEvent(event);
}

void CreditLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && open)
        open(HomePage());
    QLabel::mouseReleaseEvent(event);
}
