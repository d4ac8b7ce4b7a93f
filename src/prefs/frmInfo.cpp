#include "prefs/frmInfo.h"

#include "skin/SkinImage.h"

frmInfo::frmInfo(frmPlayer& player) : player_(player) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Jukora - Preferences"));
    setFixedSize(ToPixels(7200), ToPixels(6000));
}
