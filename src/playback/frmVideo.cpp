#include "playback/frmVideo.h"

#include "skin/ListBox.h"
#include "skin/SkinImage.h"
#include "skin/frmPlayer.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPixmap>

frmVideo::frmVideo(frmPlayer& player) : player_(player) {
    setObjectName(QStringLiteral("frmVideo"));
    setWindowTitle(QStringLiteral("Jukora - Video"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    setPalette(colours);
    setAutoFillBackground(true);
    resize(ToPixels(kPinnedWidth), ToPixels(kPinnedHeight));
    imgPic = new QLabel(this);
    imgPic->setObjectName(QStringLiteral("imgPic"));
    imgPic->setScaledContents(true);
    imgPic->hide();
    // The media service draws into this window by its id: it must exist before the first open.
    winId();
}

void frmVideo::Unload() {
    if (!loaded_ || unloading_)
        return;
    unloading_ = true;
    hide();
    Form_Unload();
    loaded_ = false;
    unloading_ = false;
}

void frmVideo::Form_Unload() {
    frmPlayer& p = player_;
    p.state.PlayingOther = false;
    if (p.state.videofile)
        p.imgStopOver_Click();
    p.PlacePlayLists(4545);
    p.state.firstvideo = true;
}

void frmVideo::closeEvent(QCloseEvent* event) {
    event->ignore(); // the native window stays; only its unload runs
    Unload();
}

bool frmVideo::IsNormalState() const {
    return !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

void frmVideo::ShowNormal() {
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
}

void frmVideo::Place(int left, int top, int width, int height) {
    const QSize size(ToPixels(width), ToPixels(height));
    if (this->size() != size)
        resize(size);
    MoveTwips(left, top);
}

void frmVideo::MoveTwips(int left, int top) {
    const QPoint place(ToPixels(left), ToPixels(top));
    if (pos() != place)
        move(place);
}

int frmVideo::LeftTwips() const {
    return ToTwips(x());
}

int frmVideo::TopTwips() const {
    return ToTwips(y());
}

int frmVideo::WidthTwips() const {
    return ToTwips(width());
}

int frmVideo::HeightTwips() const {
    return ToTwips(height());
}

void frmVideo::theresize() {
    qint32 w = width(), h = height();
    video::PutDeviceWindow(player_.media, static_cast<qint32>(winId()), player_.state.AliasName, 0,
                           0, w, h);
    imgPic->setGeometry(0, 0, width(), height());
}

bool frmVideo::ShowPicture(const QString& path) {
    QPixmap picture;
    if (!picture.load(path))
        return false;
    imgPic->setPixmap(picture);
    imgPic->setGeometry(0, 0, width(), height());
    imgPic->show();
    return true;
}

void frmVideo::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (loaded_)
        theresize();
}
