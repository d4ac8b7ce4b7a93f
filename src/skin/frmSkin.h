// The mini player: a compact window with the three drop-down lists that mirror the main
// window's lists. It is loaded hidden at start-up.
#pragma once

#include <QWidget>

class ComboList;
class frmPlayer;

class frmSkin : public QWidget {
    Q_OBJECT
public:
    explicit frmSkin(frmPlayer& player);
    ComboList* cmbPlayLists = nullptr;
    ComboList* cmbArtists = nullptr;
    ComboList* cmbTracks = nullptr;

private:
    frmPlayer& player_;
};
