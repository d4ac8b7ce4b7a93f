// The preferences window: five pages in one area, chosen with a column of page buttons (online
// playlists, emptying the library, update check, default player, play-count reset), the maker's
// home page and "Back".
//
// Loading: showing the window while it is not loaded loads it first (Form_Load), which sends the
// three web views to their first pages; "Back" and the window's close button unload it
// (Form_Unload), so the next opening loads it again. The main window loads it, hidden, at
// start-up, so it is loaded before the user first opens it.
//
// The web views are panes that take their real views from a WebViewMaker once the web engine has
// been started (StartWebViews); until then they keep the address they were sent to.
#pragma once

#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QUrl;
class WebPane;
class WebViewMaker;
class frmPlayer;

// The maker's web site and the pages the window shows.
namespace OrvaneSite {
QString Address(const QString& pathAndQuery);
QString HomePage();
QString PlaylistsPage();
QString InterestPage();
QString PlainPage();
// The update query: the codes of the add-ons found in the program folder ("CHC" for
// "Chatcast.exe", "LSM" for "Listsmith.exe"; only files count) and the program's version.
QString UpdatePage(const QString& programFolder);
} // namespace OrvaneSite

class frmInfo : public QWidget {
    Q_OBJECT
public:
    explicit frmInfo(frmPlayer& player);

    // Page buttons and pages.
    QPushButton *cmdPlaylists, *cmdEmptyFrame, *cmdOrvaneHome, *cmdNavUpdates, *cmdDefaultPlayer,
        *cmdPlayCount, *cmdBack;
    QWidget *fraPlaylists, *fraEmpty, *fraUpdates, *fraDefault, *fraPlayCount;
    WebPane *webPlaylists, *webInterest, *webUpdates;
    QPushButton *cmdEmpty, *cmdUpdates, *cmdSet, *cmdReset;
    std::array<QCheckBox*, 4> chka{}, chkv{};
    QCheckBox* chkdvd = nullptr;

    // Opens an address in the user's web browser (tests record it instead).
    std::function<void(const QUrl&)> openInBrowser;

    void Form_Load();
    void Form_Unload();
    bool IsLoaded() const { return loaded_; }

    void hideallframes();
    void cmdPlaylists_Click();
    void cmdEmptyFrame_Click();
    void cmdNavUpdates_Click();
    void cmdDefaultPlayer_Click();
    void cmdPlayCount_Click();
    void cmdOrvaneHome_Click();
    void cmdUpdates_Click();
    void cmdBack_Click();

    // Library maintenance (frmInfo_Maintenance.cpp). Each clearing empties its table through its
    // record source in one committed write, all or nothing; a failure is thrown as StoreError.
    void ClearSongs();
    void ClearFolders(); // through the add-media window's datFolder, loading that window
    void ClearPlayLists();
    void ClearTracks();
    void cmdEmpty_Click();
    void cmdReset_Click();

    // Default-player registration (frmInfo_Maintenance.cpp).
    void cmdSet_Click();

    // The web engine: `load` gives the maker of real views, or nullptr and why not. It runs once,
    // at StartWebViews, or when the window is first shown if that comes sooner.
    using WebEngineLoad = std::function<WebViewMaker*(QString* problem)>;
    void SetWebEngine(WebEngineLoad load) { webEngineLoad_ = std::move(load); }
    void StartWebViews();
    bool WebViewsStarted() const { return webViewsStarted_; }

    // The program that the default-player registration starts (the running program unless set).
    QString programPath;

public:
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildPageButtons();
    void BuildUpdatesPage();
    void BuildPlayCountPage();
    void BuildEmptyPage();
    void BuildPlaylistsPage();
    void BuildDefaultPage();
    void ShowPage(QWidget* page);
    void ListsEmptied();
    void ReturnToMainWindow();

    frmPlayer& player_;
    bool loaded_ = false;
    bool webViewsStarted_ = false;
    WebEngineLoad webEngineLoad_;
};
