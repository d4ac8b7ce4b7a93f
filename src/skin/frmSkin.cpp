#include "skin/frmSkin.h"

#include "skin/CreditLabel.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QRegion>

namespace {
// A control that keeps the mouse to itself: a press or a move on it never reaches the window's
// background, so it neither starts a drag nor restores the buttons.
template <typename Control> Control* OwnMouse(Control* control) {
    control->setAttribute(Qt::WA_NoMousePropagation);
    return control;
}
} // namespace

frmSkin::frmSkin(frmPlayer& player) : player_(player) {
    setObjectName(QStringLiteral("frmSkin"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(ToPixels(5730), ToPixels(2280));
    QFont bold(QStringLiteral("Verdana"), 8);
    bold.setBold(true);
    setFont(bold);
    UseSkinColours(this);
    setMouseTracking(true);
    BuildControls();
    Form_Load();
}

QPolygon frmSkin::Outline() {
    return QPolygon(
        {{12, 2}, {367, 2}, {378, 10}, {378, 140}, {371, 147}, {8, 147}, {2, 139}, {2, 9}});
}

void frmSkin::BuildControls() {
    auto* imgBG = new SkinImage(this, QStringLiteral("imgBG"), TwipsRect(0, 0, 5730, 2280),
                                QColor(0x1a, 0x20, 0x28));
    // The background's moves and presses are the window's own: they drag and restore.
    imgBG->setAttribute(Qt::WA_TransparentForMouseEvents);

    struct Caption {
        const char* name;
        QRect place;
        const char* text;
    };
    const Caption captions[] = {
        {"Label1", TwipsRect(240, 150, 1800, 255), "Playlists:"},
        {"Label2", TwipsRect(2760, 150, 1800, 255), "Artists:"},
        {"Label3", TwipsRect(2760, 810, 1800, 255), "Tracks:"},
        {"Label4", TwipsRect(240, 1905, 3600, 255), "Jukora mini player"},
    };
    for (const Caption& c : captions)
        OwnMouse(MakeLabel(this, QLatin1String(c.name), c.place, QString::fromUtf8(c.text)));
    lblCopyright = new CreditLabel(this, TwipsRect(4320, 1905, 1200, 255));
    lblCopyright->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    OwnMouse(lblCopyright);

    const struct {
        ComboList** box;
        const char* name;
        QRect place;
        void (frmSkin::*click)(int);
    } lists[] = {
        {&cmbPlayLists, "cmbPlayLists", TwipsRect(240, 405, 2280, 330),
         &frmSkin::cmbPlayLists_Click},
        {&cmbArtists, "cmbArtists", TwipsRect(2760, 405, 2280, 330), &frmSkin::cmbArtists_Click},
        {&cmbTracks, "cmbTracks", TwipsRect(2760, 1065, 2760, 330), &frmSkin::cmbTracks_Click},
    };
    for (const auto& l : lists) {
        *l.box = OwnMouse(new ComboList(this));
        (*l.box)->setObjectName(QLatin1String(l.name));
        PlaceTwips(*l.box, l.place);
        // Only a user's choice runs the handler; filling and setting the text by program do not.
        connect(*l.box, &QComboBox::activated, this, l.click);
    }
    cmbPlayLists->setEditText(QStringLiteral("[All Media]"));
    cmbArtists->setEditText(QStringLiteral("[All Artists]"));

    const struct {
        ImagePair* pair;
        const char* name;
        QRect place;
        const char* tooltip;
        void (frmSkin::*click)();
    } buttons[] = {
        {&imgPlay, "imgPlay", TwipsRect(240, 1080, 675, 675), "", &frmSkin::imgPlayOver_Click},
        {&imgPause, "imgPause", TwipsRect(240, 1080, 675, 675), "", &frmSkin::imgPauseOver_Click},
        {&imgStop, "imgStop", TwipsRect(1080, 1200, 435, 435), "", &frmSkin::imgStopOver_Click},
        {&imgFullScreen, "imgFullScreen", TwipsRect(5160, 165, 480, 480), "",
         &frmSkin::imgFullScreenOver_Click},
    };
    for (const auto& b : buttons) {
        *b.pair = MakeImagePair(this, QLatin1String(b.name), b.place, QLatin1String(b.tooltip),
                                QColor(0x3a, 0x5f, 0x8f));
        ImagePair* pair = b.pair;
        OwnMouse(pair->normal);
        OwnMouse(pair->over);
        connect(pair->normal, &SkinImage::mouseMoved, this, [pair] { pair->Highlight(); });
        connect(pair->over, &SkinImage::clicked, this, b.click);
    }
    imgFullScreen.normal->setToolTip(QString());
    imgFullScreen.over->setToolTip(QStringLiteral("back to normal view"));

    stayOnTop = new QAction(QStringLiteral("Stay on top"), this);
    stayOnTop->setCheckable(true);
    connect(stayOnTop, &QAction::toggled, this, &frmSkin::SetStayOnTop);
}

void frmSkin::Form_Load() {
    dragging_ = false;
    setMask(QRegion(Outline(), Qt::OddEvenFill));
}

void frmSkin::NoMouseOvers() {
    lblCopyright->SetUnderline(false);
    if (player_.state.videofile || player_.state.PlayingOther)
        player_.BringVideoBack();
    for (ImagePair* pair : {&imgPlay, &imgStop, &imgPause, &imgFullScreen})
        pair->over->hide();
    imgPause.normal->setVisible(player_.state.songplaying);
    imgPlay.normal->setVisible(!player_.state.songplaying);
    imgFullScreen.normal->show();
    imgStop.normal->show();
}

// Play and pause swap the highlighted image under the mouse, so the next click does the other.
void frmSkin::imgPlayOver_Click() {
    player_.imgPlayOver_Click();
    imgPause.over->show();
    imgPlay.over->hide();
}

void frmSkin::imgPauseOver_Click() {
    player_.imgPauseOver_Click();
    imgPause.over->hide();
    imgPlay.over->show();
}

void frmSkin::imgStopOver_Click() {
    player_.imgStopOver_Click();
    imgPause.normal->hide();
    imgPlay.normal->show();
}

void frmSkin::imgFullScreenOver_Click() {
    player_.show();
    // The main window comes back as its hover restore leaves it: its play and pause images as
    // the play state is now (pausing here swapped only its highlighted images), and a pinned
    // video window in front again.
    player_.NoMouseOvers();
    hide();
}

// A choice selects the entry at the same position in the main window's list and runs its
// handler. The lists are kept in step, but a choice at a position the main list does not have
// (the main list changed alone) is ignored rather than run on another entry.
void frmSkin::cmbPlayLists_Click(int index) {
    if (index >= 0 && index < player_.lstPlayLists->ListCount())
        player_.SelectPlayList(index);
}

void frmSkin::cmbArtists_Click(int index) {
    if (index >= 0 && index < player_.lstArtist->ListCount())
        player_.SelectArtist(index);
}

void frmSkin::cmbTracks_Click(int index) {
    if (index < 0 || index >= player_.lstTracks->ListCount())
        return;
    player_.lstTracks->SetListIndex(index);
    player_.lstTracks_DblClick();
}

// Presses outside the outline are not the window's: on a desktop the window system passes them
// to what lies below; the check keeps the same rule where it does not.
void frmSkin::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !mask().contains(at)) {
        event->ignore();
        return;
    }
    dragging_ = true;
    pressX_ = static_cast<qint16>(ToTwips(at.x()));
    pressY_ = static_cast<qint16>(ToTwips(at.y()));
}

// The window follows the mouse so that the press point stays under it. The new place is taken
// from the mouse's place on the screen, which does not lag behind the window's own moves.
void frmSkin::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        const QPoint mouse = event->globalPosition().toPoint();
        move(mouse.x() - ToPixels(pressX_), mouse.y() - ToPixels(pressY_));
    }
    NoMouseOvers();
}

void frmSkin::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void frmSkin::contextMenuEvent(QContextMenuEvent* event) {
    if (!mask().contains(event->pos()))
        return;
    QMenu menu(this);
    menu.addAction(stayOnTop);
    menu.exec(event->globalPos());
}

// Changing a window's flags hides it; a shown window is shown again at its place.
void frmSkin::SetStayOnTop(bool on) {
    const bool shown = isVisible();
    const QPoint place = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (shown) {
        move(place);
        show();
    }
}
