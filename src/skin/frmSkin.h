// The mini player: a small window without frame or title bar, shaped by an eight-point outline,
// that stands in for the main window. Play, pause and stop run the main window's handlers; its
// three drop-down lists mirror the main window's lists entry for entry, and a choice in one
// selects the same position in the main list and runs that list's handler. The window is moved
// by dragging its background. It owns no data and plays nothing itself.
#pragma once

#include "skin/SkinImage.h"

#include <QPolygon>
#include <QWidget>

class ComboList;
class CreditLabel;
class QAction;
class frmPlayer;

class frmSkin : public QWidget {
    Q_OBJECT
public:
    explicit frmSkin(frmPlayer& player);

    // The visible outline, in pixels from the window's top left corner: the rectangle from
    // (2, 2) to (378, 147) with its four corners cut.
    static QPolygon Outline();

    ComboList* cmbPlayLists = nullptr;
    ComboList* cmbArtists = nullptr;
    ComboList* cmbTracks = nullptr;
    CreditLabel* lblCopyright = nullptr;
    ImagePair imgPlay, imgPause, imgStop, imgFullScreen;
    QAction* stayOnTop = nullptr; // the right-click menu's "Stay on top", off at start

    void Form_Load();
    void NoMouseOvers();
    void imgPlayOver_Click();
    void imgPauseOver_Click();
    void imgStopOver_Click();
    void imgFullScreenOver_Click();
    void cmbPlayLists_Click(int index);
    void cmbArtists_Click(int index);
    void cmbTracks_Click(int index);
    bool Dragging() const { return dragging_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void BuildControls();
    void SetStayOnTop(bool on);
    frmPlayer& player_;
    // Dragging: set by a press on the background, cleared by the release; the press point in
    // twips from the window's top left corner.
    bool dragging_ = false;
    qint16 pressX_ = 0, pressY_ = 0;
};
