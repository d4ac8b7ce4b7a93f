#include "skin/frmPlayer.h"

#include "import/FileListBox.h"
#include "import/frmAdd.h"
#include "playback/frmVideo.h"
#include "prefs/frmInfo.h"
#include "skin/CreditLabel.h"
#include "skin/frmSkin.h"

#include "browser/ListNames.h"
#include "playback/ScaledBox.h"
#include "skin/ListBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWindow>

namespace {
const char* const kOwnWindow = "jukoraOwnWindow";
const QColor kButtonFace(0x3a, 0x5f, 0x8f);
const QColor kBackground(0x20, 0x24, 0x2c);

ListBox* MakeList(QWidget* parent, const QString& name, const QRect& twips) {
    auto* list = new ListBox(parent);
    list->setObjectName(name);
    PlaceTwips(list, twips);
    list->setMouseTracking(true);
    return list;
}
} // namespace

frmPlayer::frmPlayer(PlayerServices services)
    : media{services.media, services.dialogs, QString()}, dialogs(services.dialogs),
      programFolder_(services.programFolder), commandLine_(services.commandLine),
      handedIn_(FilesOnCommandLine(services.commandLine, services.arguments, QDir::currentPath())),
      lock_(services.programFolder) {
    setObjectName(QStringLiteral("frmPlayer"));
    setFixedSize(ToPixels(8415), ToPixels(8670));
    setFont(QFont(QStringLiteral("Verdana"), 8));
    UseSkinColours(this);
    BuildControls();
    BuildButtons();
    Timer1.setInterval(100);
    tmrPlay.setInterval(TickPlan::kStepMs);
    tmrPlay.setSingleShot(true); // each wake sets the next (tmrPlay_Due)
    tmrPlay.setTimerType(Qt::PreciseTimer);
    tickClock = [clock = std::make_shared<QElapsedTimer>()] {
        if (!clock->isValid())
            clock->start();
        return clock->elapsed();
    };
    tmrCueSong.setInterval(1000);
    // The poll falls on whole seconds of the clock, where the idle tick's look-in falls too
    // (tmrPlay_Due): a stopped player wakes once a second for both.
    tmrCueSong.setTimerType(Qt::VeryCoarseTimer);
    connect(&Timer1, &QTimer::timeout, this, &frmPlayer::Timer1_Timer);
    connect(&tmrPlay, &QTimer::timeout, this, &frmPlayer::tmrPlay_Due);
    connect(&tmrCueSong, &QTimer::timeout, this, &frmPlayer::tmrCueSong_Timer);
    skin_ = new frmSkin(*this);
    info_ = new frmInfo(*this);
    MarkOwnWindow(skin_);
    MarkOwnWindow(info_);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focus) {
        if (focus && focus != windowHandle())
            lastOtherFocus_ = focus;
    });
}

void frmPlayer::MarkOwnWindow(QWidget* window) {
    window->setProperty(kOwnWindow, true);
}

bool frmPlayer::CameBackFromOwnWindow() const {
    if (!lastOtherFocus_)
        return false;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->windowHandle() == lastOtherFocus_)
            return window->property(kOwnWindow).toBool();
    return false;
}

frmPlayer::~frmPlayer() {
    Form_Unload();
    delete video_; // after every alias is closed: nothing draws into it any more
    delete add_;
    delete info_;
    delete skin_;
}

QString frmPlayer::Caption() {
    return QStringLiteral("Jukora - V%1.%2").arg(2).arg(1);
}

frmAdd* frmPlayer::add() {
    if (!add_)
        add_ = new frmAdd(*this);
    else if (!add_->IsLoaded())
        add_->Load();
    return add_;
}

void frmPlayer::BuildControls() {
    auto* imgBG =
        new SkinImage(this, QStringLiteral("imgBG"), TwipsRect(0, 0, 8415, 8670), kBackground);
    connect(imgBG, &SkinImage::mouseMoved, this, &frmPlayer::NoMouseOvers);

    MakeLabel(this, QStringLiteral("Label9"), TwipsRect(4560, 240, 840, 285),
              QStringLiteral("Search:"));
    txtSearch = new QLineEdit(this);
    txtSearch->setObjectName(QStringLiteral("txtSearch"));
    PlaceTwips(txtSearch, TwipsRect(5400, 240, 2055, 285));

    lstPlayLists = MakeList(this, QStringLiteral("lstPlayLists"), TwipsRect(360, 1080, 2775, 4545));
    lstArtist = MakeList(this, QStringLiteral("lstArtist"), TwipsRect(3240, 720, 4215, 3375));
    lblSlider =
        MakeLabel(this, QStringLiteral("lblSlider"), TwipsRect(3120, 4080, 4335, 135), QString());
    lblSlider->setCursor(Qt::SizeVerCursor);
    lblSlider->installEventFilter(this);
    lstTracks = MakeList(this, QStringLiteral("lstTracks"), TwipsRect(3240, 4200, 4215, 2205));
    lstTracks->SetNumberGap(QStringLiteral("        ")); // a track's line: number, gap, title
    for (ListBox* list : {lstPlayLists, lstArtist, lstTracks}) {
        list->viewport()->setMouseTracking(true);
        list->viewport()->installEventFilter(this);
    }
    connect(lstPlayLists, &ListBox::Click, this, &frmPlayer::lstPlayLists_Click);
    connect(lstArtist, &ListBox::Click, this, &frmPlayer::lstArtist_Click);
    connect(lstArtist, &ListBox::KeyDown, this, &frmPlayer::lstArtist_KeyDown);
    connect(lstTracks, &ListBox::DblClick, this, &frmPlayer::lstTracks_DblClick);
    connect(lstTracks, &ListBox::KeyDown, this, &frmPlayer::lstTracks_KeyDown);
    connect(txtSearch, &QLineEdit::textChanged, this, &frmPlayer::txtSearch_Change);
    txtSearch->installEventFilter(this);

    File1 = new FileListBox(this);
    File1->setObjectName(QStringLiteral("File1"));
    PlaceTwips(File1, TwipsRect(360, 4200, 2775, 1260));
    File1->hide();
    connect(File1, &QListWidget::itemDoubleClicked, this, [this] { File1_DblClick(); });

    MakeLabel(this, QStringLiteral("Label8"), TwipsRect(2040, 6480, 1155, 255),
              QStringLiteral("Cued songs:"));
    lstCuedSongs = MakeList(this, QStringLiteral("lstCuedSongs"), TwipsRect(3240, 6480, 3855, 255));

    BuildTransport();

    auto* Image1 = new SkinImage(this, QStringLiteral("Image1"), TwipsRect(0, 8280, 8415, 390),
                                 kBackground.lighter(130));
    connect(Image1, &SkinImage::mouseMoved, this, &frmPlayer::NoMouseOvers);
    QLabel* Label6 =
        MakeLabel(this, QStringLiteral("Label6"), TwipsRect(360, 8340, 6300, 255),
                  QStringLiteral("Jukora plays the music and videos you own. Enjoy listening."));
    Label6->setMouseTracking(true);
    Label6->installEventFilter(this);
    lblCopyright = new CreditLabel(this, TwipsRect(6840, 8340, 1335, 255));
    lblCopyright->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    BuildPanels();
}

// The add panel and the edit panel: hidden frames over the upper part of the window, each on
// its own background image.
void frmPlayer::BuildPanels() {
    auto panel = [this](const QString& name, const QString& background, int width) {
        auto* frame = new QWidget(this);
        frame->setObjectName(name);
        PlaceTwips(frame, TwipsRect(360, 120, 7695, 6375));
        frame->hide();
        auto* image = new SkinImage(frame, background, TwipsRect(0, 0, width, 6375),
                                    kBackground.lighter(115));
        return std::make_pair(frame, image);
    };
    auto textBox = [](QWidget* parent, const QString& name, const QRect& twips) {
        auto* box = new QLineEdit(parent);
        box->setObjectName(name);
        PlaceTwips(box, twips);
        return box;
    };
    SkinImage* background = nullptr;
    std::tie(fraAddToPlaylist, background) =
        panel(QStringLiteral("fraAddToPlaylist"), QStringLiteral("imgBG2"), 7935);
    connect(background, &SkinImage::mouseMoved, this, &frmPlayer::NoMouseOvers);
    cmbArtist = new ComboList(fraAddToPlaylist);
    cmbArtist->setObjectName(QStringLiteral("cmbArtist"));
    PlaceTwips(cmbArtist, TwipsRect(1200, 240, 3375, 315));
    txtSongToAdd =
        textBox(fraAddToPlaylist, QStringLiteral("txtSongToAdd"), TwipsRect(1200, 720, 3375, 285));
    lstAddToPlaylist = MakeList(fraAddToPlaylist, QStringLiteral("lstAddToPlaylist"),
                                TwipsRect(240, 1560, 4335, 4440));
    lstAddToPlaylist->SetSorted(SortedList::CaseInsensitiveCollation());

    std::tie(fraEditPlayList, background) =
        panel(QStringLiteral("fraEditPlayList"), QStringLiteral("imgBG5"), 8055);
    connect(background, &SkinImage::mouseMoved, this, &frmPlayer::EditPanelMouseOver);
    lstEditPlayList = MakeList(fraEditPlayList, QStringLiteral("lstEditPlayList"),
                               TwipsRect(240, 600, 4335, 2295));
    txtRename =
        textBox(fraEditPlayList, QStringLiteral("txtRename"), TwipsRect(4800, 1740, 3015, 285));
    lstEditPlayListTracks = MakeList(fraEditPlayList, QStringLiteral("lstEditPlayListTracks"),
                                     TwipsRect(240, 3300, 4335, 2835));
    txtEditArtist =
        textBox(fraEditPlayList, QStringLiteral("txtEditArtist"), TwipsRect(4800, 2700, 3015, 285));
    txtEditTitle =
        textBox(fraEditPlayList, QStringLiteral("txtEditTitle"), TwipsRect(4800, 3360, 3015, 285));
    connect(lstEditPlayList, &ListBox::Click, this, &frmPlayer::lstEditPlayList_Click);
    connect(lstEditPlayListTracks, &ListBox::Click, this, &frmPlayer::lstEditPlayListTracks_Click);

    struct Caption {
        QWidget* panel;
        const char* name;
        QRect place;
        const char* text;
    };
    const Caption captions[] = {
        {fraAddToPlaylist, "Label1", TwipsRect(240, 240, 900, 285), "Artist:"},
        {fraAddToPlaylist, "Label2", TwipsRect(240, 720, 900, 285), "Title:"},
        {fraAddToPlaylist, "Label3", TwipsRect(240, 1200, 2400, 285), "Add to playlist:"},
        {fraEditPlayList, "Label5", TwipsRect(240, 240, 2400, 285), "Edit playlist:"},
        {fraEditPlayList, "Label7", TwipsRect(4800, 1440, 1500, 285), "Rename:"},
        {fraEditPlayList, "Label10", TwipsRect(240, 3000, 2400, 285), "Edit tracks:"},
        {fraEditPlayList, "Label11", TwipsRect(4800, 2400, 1500, 285), "Artist:"},
        {fraEditPlayList, "Label12", TwipsRect(4800, 3060, 1500, 285), "Title:"},
    };
    for (const Caption& c : captions)
        MakeLabel(c.panel, QLatin1String(c.name), c.place, QString::fromUtf8(c.text));
}

void frmPlayer::BuildButtons() {
    struct ButtonPlace {
        ImagePair* pair;
        const char* name;
        QRect place;
        const char* tooltip;
        bool restoreOthersFirst;
    };
    const ButtonPlace buttons[] = {
        {&imgFiles, "imgFiles", TwipsRect(360, 120, 540, 480), "add files/folders", false},
        {&imgNew, "imgNew", TwipsRect(960, 120, 540, 480), "new playlist", false},
        {&imgEdit, "imgEdit", TwipsRect(1560, 120, 540, 480), "edit playlist", false},
        {&imgnorepeat, "imgnorepeat", TwipsRect(2160, 120, 540, 480), "normal play", false},
        {&imgrepeat, "imgrepeat", TwipsRect(2160, 120, 540, 480), "repeat 1 track", false},
        {&imgInfo, "imgInfo", TwipsRect(2760, 120, 540, 480), "preferences", false},
        {&imgSkin, "imgSkin", TwipsRect(7800, 120, 480, 480), "", false},
        {&imgBrowse, "imgBrowse", TwipsRect(7560, 720, 720, 735), "show/hide artists", false},
        {&imgCue, "imgCue", TwipsRect(7560, 4320, 675, 675), "cue song", true},
        {&imgAdd, "imgAdd", TwipsRect(7560, 5040, 675, 675), "add to playlist", true},
        {&imgDelete, "imgDelete", TwipsRect(7560, 5760, 675, 675), "delete from playlist", true},
        {&imgVid, "imgVid", TwipsRect(480, 5760, 600, 600), "play a background video", false},
        {&imgSeperate, "imgSeperate", TwipsRect(1200, 5760, 600, 600), "seperate video from player",
         false},
        {&imgNoSeperate, "imgNoSeperate", TwipsRect(1200, 5760, 600, 600), "pin video to player",
         false},
        {&imgRepeatVid, "imgRepeatVid", TwipsRect(1920, 5760, 600, 600), "repeat 1 video", false},
        {&imgNoRepeatVid, "imgNoRepeatVid", TwipsRect(1920, 5760, 600, 600), "normal video play",
         false},
        {&imgUnCue, "imgUnCue", TwipsRect(7200, 6480, 255, 255), "un-cue song", false},
        {&imgPlay, "imgPlay", TwipsRect(360, 6840, 675, 675), "play", false},
        {&imgPause, "imgPause", TwipsRect(360, 6840, 675, 675), "pause", false},
        {&imgStop, "imgStop", TwipsRect(1200, 6960, 435, 435), "stop", false},
        {&imgVolDown, "imgVolDown", TwipsRect(5880, 7080, 315, 315), "decrease volume", false},
        {&imgVolUp, "imgVolUp", TwipsRect(7920, 7080, 315, 315), "increase volume", false},
    };
    for (const ButtonPlace& b : buttons) {
        *b.pair = MakeImagePair(this, QLatin1String(b.name), b.place, QLatin1String(b.tooltip),
                                kButtonFace);
        ConnectHover(*b.pair, b.restoreOthersFirst);
    }
    imgDelete.normal->setToolTip(QStringLiteral("remove from playlist"));
    connect(imgFiles.over, &SkinImage::clicked, this, [this] { add()->show(); });
    connect(imgBrowse.over, &SkinImage::clicked, this, &frmPlayer::imgBrowseOver_Click);
    connect(imgSkin.over, &SkinImage::clicked, this, &frmPlayer::imgSkinOver_Click);
    connect(imgPlay.over, &SkinImage::clicked, this, &frmPlayer::imgPlayOver_Click);
    connect(imgPause.over, &SkinImage::clicked, this, &frmPlayer::imgPauseOver_Click);
    connect(imgStop.over, &SkinImage::clicked, this, &frmPlayer::imgStopOver_Click);
    connect(imgVolUp.over, &SkinImage::clicked, this, &frmPlayer::imgVolUpOver_Click);
    connect(imgVolDown.over, &SkinImage::clicked, this, &frmPlayer::imgVolDownOver_Click);
    connect(imgrepeat.over, &SkinImage::clicked, this, &frmPlayer::imgrepeatover_Click);
    connect(imgnorepeat.over, &SkinImage::clicked, this, &frmPlayer::imgnorepeatover_Click);
    connect(imgCue.over, &SkinImage::clicked, this, &frmPlayer::imgCueOver_Click);
    connect(imgUnCue.over, &SkinImage::clicked, this, &frmPlayer::imgUnCueOver_Click);
    connect(imgInfo.over, &SkinImage::clicked, this, [this] { info_->show(); });
    connect(imgNew.over, &SkinImage::clicked, this, &frmPlayer::imgNewOver_Click);
    connect(imgEdit.over, &SkinImage::clicked, this, &frmPlayer::imgEditOver_Click);
    connect(imgAdd.over, &SkinImage::clicked, this, &frmPlayer::imgAddOver_Click);
    connect(imgDelete.over, &SkinImage::clicked, this, &frmPlayer::imgDeleteOver_Click);
    ConnectVideoButtons();
    // The video pinning pair swaps only once something has been sent to the video window.
    for (ImagePair* pin : {&imgSeperate, &imgNoSeperate}) {
        disconnect(pin->normal, &SkinImage::mouseMoved, this, nullptr);
        connect(pin->normal, &SkinImage::mouseMoved, this, [this, pin] {
            if (state.VideoStarted)
                pin->Highlight();
        });
    }

    const ButtonPlace addPanel[] = {
        {&imgOk, "imgOk", TwipsRect(4800, 5400, 675, 675), "confirm add", false},
        {&imgBack, "imgBack", TwipsRect(5640, 5400, 675, 675), "cancel add", false},
    };
    for (const ButtonPlace& b : addPanel) {
        *b.pair = MakeImagePair(fraAddToPlaylist, QLatin1String(b.name), b.place,
                                QLatin1String(b.tooltip), kButtonFace);
        ConnectHover(*b.pair);
    }
    connect(imgOk.over, &SkinImage::clicked, this, &frmPlayer::imgOkOver_Click);
    connect(imgBack.over, &SkinImage::clicked, this, &frmPlayer::imgBackOver_Click);
    const ButtonPlace editPanel[] = {
        {&imgRename, "imgRename", TwipsRect(4800, 600, 675, 675), "rename playlist", false},
        {&imgRenameTrack, "imgRenameTrack", TwipsRect(4800, 3840, 675, 675),
         "rename artist and title", false},
        {&imgDeletePlayList, "imgDeletePlayList", TwipsRect(5640, 600, 675, 675), "delete playlist",
         false},
        {&imgSave, "imgSave", TwipsRect(6480, 600, 675, 675), "save playlist to playlist folder",
         false},
        {&imgEditBack, "imgEditBack", TwipsRect(6480, 5400, 675, 675), "done", false},
    };
    for (const ButtonPlace& b : editPanel) {
        *b.pair = MakeImagePair(fraEditPlayList, QLatin1String(b.name), b.place,
                                QLatin1String(b.tooltip), kButtonFace);
        ConnectHover(*b.pair);
    }
    connect(imgRename.over, &SkinImage::clicked, this, &frmPlayer::imgRenameOver_Click);
    connect(imgRenameTrack.over, &SkinImage::clicked, this, &frmPlayer::imgRenameTrackOver_Click);
    connect(imgDeletePlayList.over, &SkinImage::clicked, this,
            &frmPlayer::imgDeletePlayListOver_Click);
    connect(imgSave.over, &SkinImage::clicked, this, &frmPlayer::imgSaveOver_Click);
    connect(imgEditBack.over, &SkinImage::clicked, this, &frmPlayer::imgEditBackOver_Click);
}

void frmPlayer::ConnectHover(ImagePair& pair, bool restoreOthersFirst) {
    ImagePair* p = &pair;
    connect(p->normal, &SkinImage::mouseMoved, this, [this, p, restoreOthersFirst] {
        if (restoreOthersFirst)
            NoMouseOvers();
        p->Highlight();
    });
}

void frmPlayer::ShowToggle(ImagePair& on, ImagePair& off, bool showOn) {
    on.Restore(showOn);
    off.Restore(!showOn);
}

void frmPlayer::NoMouseOvers() {
    lblCopyright->SetUnderline(false);
    if (state.videofile || state.PlayingOther)
        BringVideoBack();
    for (ImagePair* pair :
         {&imgPlay,   &imgSkin,     &imgStop,       &imgPause,  &imgVolUp,     &imgVolDown,
          &imgBrowse, &imgCue,      &imgAdd,        &imgDelete, &imgNew,       &imgEdit,
          &imgBack,   &imgOk,       &imgFiles,      &imgUnCue,  &imgrepeat,    &imgnorepeat,
          &imgInfo,   &imgSeperate, &imgNoSeperate, &imgVid,    &imgRepeatVid, &imgNoRepeatVid})
        pair->over->hide();
    imgSkin.normal->show();
    imgVid.normal->show();
    ShowToggle(imgRepeatVid, imgNoRepeatVid, state.RepeatOneVideo);
    ShowToggle(imgNoSeperate, imgSeperate, state.seperatevideo);
    ShowToggle(imgrepeat, imgnorepeat, state.RepeatOneSong);
    ShowToggle(imgPause, imgPlay, state.songplaying);
    for (ImagePair* pair :
         {&imgStop, &imgVolUp, &imgVolDown, &imgBrowse, &imgCue, &imgAdd, &imgDelete, &imgNew,
          &imgEdit, &imgBack, &imgOk, &imgFiles, &imgUnCue, &imgInfo})
        pair->normal->show();
}

void frmPlayer::EditPanelMouseOver() {
    for (ImagePair* pair :
         {&imgRename, &imgRenameTrack, &imgEditBack, &imgDeletePlayList, &imgSave})
        pair->Restore();
}

void frmPlayer::imgBrowseOver_Click() {
    if (!lstArtist->isHidden()) {
        // The track list takes the whole right area: its own, the artists' and the splitter's.
        SetTwipsTop(lstTracks, 720);
        lstArtist->hide();
        lblSlider->hide();
        SetTwipsHeight(lstTracks, TwipsOf(lstArtist).height() + TwipsOf(lstTracks).height() +
                                      TwipsOf(lblSlider).height());
    } else {
        lstArtist->show();
        lblSlider->show();
        MoveSlider();
    }
}

// The mini player shows the main window's selections in its edit fields; nothing is selected
// in its lists and nothing is played or listed.
void frmPlayer::imgSkinOver_Click() {
    skin_->show();
    skin_->cmbArtists->setEditText(lstArtist->ListIndex() >= 0 ? lstArtist->Text() : kAllArtists);
    skin_->cmbPlayLists->setEditText(lstPlayLists->ListIndex() >= 0 ? lstPlayLists->Text()
                                                                    : kAllMedia);
    const QString line = lstTracks->Text();
    skin_->cmbTracks->setEditText(line.size() < 8 ? line : line.mid(6).trimmed());
    hide();
}

void frmPlayer::closeEvent(QCloseEvent* event) {
    if (add_ && add_->Importing()) {
        // The folder import stops after its current file, says so, then closes this window.
        add_->StopImport(true);
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

bool frmPlayer::eventFilter(QObject* watched, QEvent* e) {
    if (watched == txtSearch) {
        if (e->type() == QEvent::KeyPress)
            txtSearch_KeyDown(static_cast<QKeyEvent*>(e)->key());
        else if (e->type() == QEvent::FocusOut)
            txtSearch_LostFocus();
        return QWidget::eventFilter(watched, e);
    }
    if (watched == picTrackTitle && e->type() == QEvent::MouseButtonPress) {
        trackscrollclick();
        return true;
    }
    if (watched == lblVol && e->type() == QEvent::MouseButtonPress) {
        imgVol_MouseDown(ToTwips(static_cast<int>(static_cast<QMouseEvent*>(e)->position().x())));
        return true;
    }
    if (watched == lblSlider) {
        if (auto* mouse = dynamic_cast<QMouseEvent*>(e)) {
            const int y = ToTwips(static_cast<int>(mouse->position().y()));
            if (e->type() == QEvent::MouseButtonPress)
                lblSlider_MouseDown(y);
            else if (e->type() == QEvent::MouseMove)
                lblSlider_MouseMove(y);
            else if (e->type() == QEvent::MouseButtonRelease)
                lblSlider_MouseUp();
        }
        return QWidget::eventFilter(watched, e);
    }
    if (e->type() == QEvent::MouseMove)
        NoMouseOvers();
    return QWidget::eventFilter(watched, e);
}

// The lists are reloaded when the window becomes active after another window of the player's
// own, where the library may have changed; a message box or another program's window changes
// nothing, so coming back from one keeps the lists, the selection and the scroll place.
bool frmPlayer::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        if (!activatedOnce_ || CameBackFromOwnWindow())
            Form_Activate();
        activatedOnce_ = true;
        lastOtherFocus_ = nullptr;
    }
    return QWidget::event(e);
}
