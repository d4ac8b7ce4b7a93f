#include "prefs/frmInfo.h"

#include "core/Paths.h"
#include "core/Version.h"
#include "prefs/WebPane.h"
#include "skin/SkinImage.h"
#include "skin/frmPlayer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace {
const QString kHost = QStringLiteral("http://www.orvane.example");

QPushButton* MakeButton(QWidget* parent, const QString& name, const QRect& twips,
                        const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    PlaceTwips(button, twips);
    return button;
}

QWidget* MakePage(QWidget* parent, const QString& name) {
    auto* page = new QWidget(parent);
    page->setObjectName(name);
    PlaceTwips(page, TwipsRect(2160, 120, 4920, 5760));
    return page;
}

QLabel* MakeText(QWidget* parent, const QString& name, const QRect& twips, const QString& text) {
    QLabel* label = MakeLabel(parent, name, twips, text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QCheckBox* MakeCheck(QWidget* parent, const QString& name, int left, int top,
                     const QString& extension) {
    auto* box = new QCheckBox(extension, parent);
    box->setObjectName(name);
    PlaceTwips(box, TwipsRect(left, top, 1200, 300));
    return box;
}
} // namespace

namespace OrvaneSite {
QString Address(const QString& pathAndQuery) {
    return kHost + pathAndQuery;
}
QString HomePage() {
    return Address(QStringLiteral("/index.php?origin=Jukora&page=Home"));
}
QString PlaylistsPage() {
    return Address(QStringLiteral("/downloads/playlists.php?origin=Jukora_PlayLists"));
}
QString InterestPage() {
    return Address(QStringLiteral(
        "/downloads/index.php?origin=Jukora_Interests&page=Interest&interest=music+lyrics+radio+"
        "music+lyrics+lyrics+lyrics+lyrics+lyrics+lyrics+music+lyrics+music+music+music+radio+"
        "lyrics+music+lyrics+lyrics+music+radio+music+music+music+music+music"));
}
QString PlainPage() {
    return Address(QStringLiteral("/downloads/index.php?origin=Jukora_Plain&page=Plain"));
}
QString UpdatePage(const QString& programFolder) {
    QString codes;
    if (FileExists(InProgramFolder(programFolder, QStringLiteral("Chatcast.exe"))))
        codes = QStringLiteral("CHC");
    if (FileExists(InProgramFolder(programFolder, QStringLiteral("Listsmith.exe"))))
        codes += QStringLiteral("LSM");
    return Address(
        QStringLiteral("/downloads/index.php?origin=Jukora_Update&page=Updates&addons=") + codes +
        QStringLiteral("&version=") + QString::number(kVersionMajor) +
        QString::number(kVersionMinor));
}
} // namespace OrvaneSite

frmInfo::frmInfo(frmPlayer& player)
    : openInBrowser([](const QUrl& url) { QDesktopServices::openUrl(url); }), player_(player) {
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Jukora - Preferences"));
    setFixedSize(ToPixels(7200), ToPixels(6000));
    BuildPageButtons();
    // Laid out in this order, so each page lies on the ones before it.
    BuildUpdatesPage();
    BuildPlayCountPage();
    BuildEmptyPage();
    BuildPlaylistsPage();
    BuildDefaultPage();
    hideallframes();
}

void frmInfo::BuildPageButtons() {
    const auto place = [](int row) { return TwipsRect(120, 240 + row * 480, 1920, 375); };
    cmdPlaylists = MakeButton(this, QStringLiteral("cmdPlaylists"), place(0),
                              QStringLiteral("Online Playlists"));
    cmdEmptyFrame = MakeButton(this, QStringLiteral("cmdEmptyFrame"), place(1),
                               QStringLiteral("Empty Library"));
    cmdOrvaneHome = MakeButton(this, QStringLiteral("cmdOrvaneHome"), place(2),
                               QStringLiteral("Orvane Home page"));
    cmdNavUpdates = MakeButton(this, QStringLiteral("cmdNavUpdates"), place(3),
                               QStringLiteral("Check Updates"));
    cmdDefaultPlayer = MakeButton(this, QStringLiteral("cmdDefaultPlayer"), place(4),
                                  QStringLiteral("Default Player"));
    cmdDefaultPlayer->setEnabled(false);
    cmdPlayCount =
        MakeButton(this, QStringLiteral("cmdPlayCount"), place(5), QStringLiteral("Play Count"));
    cmdBack = MakeButton(this, QStringLiteral("cmdBack"), TwipsRect(120, 5385, 1920, 375),
                         QStringLiteral("Back"));
    connect(cmdPlaylists, &QPushButton::clicked, this, &frmInfo::cmdPlaylists_Click);
    connect(cmdEmptyFrame, &QPushButton::clicked, this, &frmInfo::cmdEmptyFrame_Click);
    connect(cmdOrvaneHome, &QPushButton::clicked, this, &frmInfo::cmdOrvaneHome_Click);
    connect(cmdNavUpdates, &QPushButton::clicked, this, &frmInfo::cmdNavUpdates_Click);
    connect(cmdDefaultPlayer, &QPushButton::clicked, this, &frmInfo::cmdDefaultPlayer_Click);
    connect(cmdPlayCount, &QPushButton::clicked, this, &frmInfo::cmdPlayCount_Click);
    connect(cmdBack, &QPushButton::clicked, this, &frmInfo::cmdBack_Click);
}

void frmInfo::BuildUpdatesPage() {
    fraUpdates = MakePage(this, QStringLiteral("fraUpdates"));
    MakeText(fraUpdates, QStringLiteral("Label7"), TwipsRect(120, 120, 4800, 300),
             QStringLiteral("Click below to check for any Jukora updates."));
    cmdUpdates = MakeButton(fraUpdates, QStringLiteral("cmdUpdates"),
                            TwipsRect(120, 480, 1800, 375), QStringLiteral("Check for updates"));
    connect(cmdUpdates, &QPushButton::clicked, this, &frmInfo::cmdUpdates_Click);
    webUpdates = new WebPane(fraUpdates, QStringLiteral("webUpdates"));
    PlaceTwips(webUpdates, TwipsRect(120, 960, 4800, 4680));
    // The interest page loads in a frame too small to show it.
    auto* interestFrame = new QWidget(fraUpdates);
    interestFrame->setObjectName(QStringLiteral("fraInterest"));
    PlaceTwips(interestFrame, TwipsRect(4905, 15, 15, 15));
    webInterest = new WebPane(interestFrame, QStringLiteral("webInterest"));
    PlaceTwips(webInterest, TwipsRect(0, 0, 4800, 4680));
}

void frmInfo::BuildPlayCountPage() {
    fraPlayCount = MakePage(this, QStringLiteral("fraPlayCount"));
    MakeText(fraPlayCount, QStringLiteral("Label5"), TwipsRect(120, 120, 4800, 600),
             QStringLiteral("Click below to reset the play counter of all your media, this may "
                            "also affect the [Top 20] playlist results."));
    cmdReset = MakeButton(fraPlayCount, QStringLiteral("cmdReset"), TwipsRect(120, 840, 1800, 375),
                          QStringLiteral("Reset"));
    connect(cmdReset, &QPushButton::clicked, this, &frmInfo::cmdReset_Click);
}

void frmInfo::BuildEmptyPage() {
    fraEmpty = MakePage(this, QStringLiteral("fraEmpty"));
    MakeText(fraEmpty, QStringLiteral("Label6"), TwipsRect(120, 120, 4800, 300),
             QStringLiteral("Click below to empty your media library."));
    cmdEmpty = MakeButton(fraEmpty, QStringLiteral("cmdEmpty"), TwipsRect(120, 480, 1800, 375),
                          QStringLiteral("Empty Library"));
    connect(cmdEmpty, &QPushButton::clicked, this, &frmInfo::cmdEmpty_Click);
}

void frmInfo::BuildPlaylistsPage() {
    fraPlaylists = MakePage(this, QStringLiteral("fraPlaylists"));
    webPlaylists = new WebPane(fraPlaylists, QStringLiteral("webPlaylists"));
    PlaceTwips(webPlaylists, TwipsRect(120, 120, 4800, 4560));
    MakeText(fraPlaylists, QStringLiteral("Label9"), TwipsRect(120, 4800, 4800, 840),
             QStringLiteral("Playlists from online can be downloaded and opened using the "
                            "Listsmith. The Listsmith will search your media library and will add "
                            "every song you have from the chosen playlist."));
}

void frmInfo::BuildDefaultPage() {
    fraDefault = MakePage(this, QStringLiteral("fraDefault"));
    MakeText(fraDefault, QStringLiteral("Label1"), TwipsRect(120, 120, 4800, 500),
             QStringLiteral("Which file formats would you like Jukora to be the default player "
                            "for?"));
    MakeLabel(fraDefault, QStringLiteral("Label2"), TwipsRect(120, 720, 1400, 285),
              QStringLiteral("Audio"));
    MakeLabel(fraDefault, QStringLiteral("Label3"), TwipsRect(1680, 720, 1400, 285),
              QStringLiteral("Video"));
    MakeLabel(fraDefault, QStringLiteral("Label4"), TwipsRect(3240, 720, 1400, 285),
              QStringLiteral("DVD"));
    const QStringList audio{QStringLiteral(".mp3"), QStringLiteral(".wma"), QStringLiteral(".wav"),
                            QStringLiteral(".mid")};
    const QStringList video{QStringLiteral(".mpg"), QStringLiteral(".mpeg"), QStringLiteral(".avi"),
                            QStringLiteral(".wmv")};
    for (int i = 0; i < 4; ++i) {
        chka[static_cast<size_t>(i)] =
            MakeCheck(fraDefault, QStringLiteral("chka%1").arg(i), 120, 1080 + i * 360, audio[i]);
        chkv[static_cast<size_t>(i)] =
            MakeCheck(fraDefault, QStringLiteral("chkv%1").arg(i), 1680, 1080 + i * 360, video[i]);
    }
    chkdvd = MakeCheck(fraDefault, QStringLiteral("chkdvd"), 3240, 1080, QStringLiteral(".vob"));
    cmdSet = MakeButton(fraDefault, QStringLiteral("cmdSet"), TwipsRect(120, 2640, 1200, 375),
                        QStringLiteral("Set"));
    cmdSet->setEnabled(false);
    connect(cmdSet, &QPushButton::clicked, this, &frmInfo::cmdSet_Click);
    MakeLabel(fraDefault, QStringLiteral("Label8"), TwipsRect(120, 3120, 4800, 285),
              QStringLiteral("Temporarily not working"));
}

void frmInfo::setVisible(bool visible) {
    if (visible && !loaded_)
        Form_Load();
    if (visible)
        StartWebViews(); // the user may open the window before the main window started them
    QWidget::setVisible(visible);
}

void frmInfo::Form_Load() {
    loaded_ = true;
    webPlaylists->Navigate(OrvaneSite::PlaylistsPage());
    webInterest->Navigate(OrvaneSite::InterestPage());
    webUpdates->Navigate(OrvaneSite::PlainPage());
}

void frmInfo::Form_Unload() {
    loaded_ = false;
    QWidget::setVisible(false);
    // The next loading starts as a fresh window: no page chosen, nothing ticked.
    hideallframes();
    for (QCheckBox* box : chka)
        box->setChecked(false);
    for (QCheckBox* box : chkv)
        box->setChecked(false);
    chkdvd->setChecked(false);
}

void frmInfo::StartWebViews() {
    if (webViewsStarted_ || !webEngineLoad_)
        return;
    webViewsStarted_ = true;
    QString problem;
    WebViewMaker* maker = webEngineLoad_(&problem);
    for (WebPane* pane : {webPlaylists, webInterest, webUpdates}) {
        if (maker)
            pane->Attach(*maker);
        else
            pane->ShowUnavailable(problem);
    }
}

void frmInfo::hideallframes() {
    for (QWidget* page : {fraDefault, fraPlayCount, fraUpdates, fraEmpty, fraPlaylists})
        page->hide();
}

void frmInfo::ShowPage(QWidget* page) {
    hideallframes();
    page->show();
}

void frmInfo::cmdPlaylists_Click() {
    ShowPage(fraPlaylists);
    webPlaylists->Navigate(OrvaneSite::PlaylistsPage());
}

void frmInfo::cmdEmptyFrame_Click() {
    ShowPage(fraEmpty);
}

void frmInfo::cmdNavUpdates_Click() {
    ShowPage(fraUpdates);
}

void frmInfo::cmdDefaultPlayer_Click() {
    ShowPage(fraDefault);
}

void frmInfo::cmdPlayCount_Click() {
    ShowPage(fraPlayCount);
}

void frmInfo::cmdOrvaneHome_Click() {
    openInBrowser(QUrl(OrvaneSite::HomePage()));
}

void frmInfo::cmdUpdates_Click() {
    webUpdates->Navigate(OrvaneSite::UpdatePage(player_.ProgramFolderPath()));
}

void frmInfo::cmdBack_Click() {
    ReturnToMainWindow();
}

void frmInfo::ReturnToMainWindow() {
    player_.show();
    Form_Unload();
}

void frmInfo::closeEvent(QCloseEvent* event) {
    // Closing the window by its frame leaves it as "Back" does.
    if (loaded_ && !player_.IsUnloaded())
        ReturnToMainWindow();
    event->accept();
}
