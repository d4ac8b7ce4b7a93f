#include "skin/frmSkin.h"

#include "skin/SkinImage.h"
#include "skin/frmPlayer.h"

#include "skin/ListBox.h"

frmSkin::frmSkin(frmPlayer& player) : player_(player) {
    setObjectName(QStringLiteral("frmSkin"));
    setFixedSize(ToPixels(6000), ToPixels(1800));
    int top = 120;
    for (ComboList** box : {&cmbPlayLists, &cmbArtists, &cmbTracks}) {
        *box = new ComboList(this);
        PlaceTwips(*box, TwipsRect(1560, top, 4200, 315));
        top += 480;
    }
    cmbPlayLists->setObjectName(QStringLiteral("cmbPlayLists"));
    cmbArtists->setObjectName(QStringLiteral("cmbArtists"));
    cmbTracks->setObjectName(QStringLiteral("cmbTracks"));
}
