#include "prefs/PrefsSupport.h"
#include "prefs/WebPane.h"
#include "prefs/frmInfo.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {
const QString kUpdateStart = QStringLiteral(
    "http://www.orvane.example/downloads/index.php?origin=Jukora_Update&page=Updates&addons=");

void Touch(const QString& path) {
    ASSERT_TRUE(WriteWholeFile(path, {})) << path.toStdString();
}

TEST(UpdateAddress, CarriesTheCodesOfTheAddOnFilesAndTheVersion) {
    ProgramFolderFixture folder(false);
    EXPECT_EQ(OrvaneSite::UpdatePage(folder.Path()), kUpdateStart + QStringLiteral("&version=21"));
    // A folder with the add-on's name is not the add-on.
    ASSERT_TRUE(QDir().mkdir(folder.File(QStringLiteral("Chatcast.exe"))));
    EXPECT_EQ(OrvaneSite::UpdatePage(folder.Path()), kUpdateStart + QStringLiteral("&version=21"));
    Touch(folder.File(QStringLiteral("Listsmith.exe")));
    EXPECT_EQ(OrvaneSite::UpdatePage(folder.Path()),
              kUpdateStart + QStringLiteral("LSM&version=21"));
    ProgramFolderFixture both(false);
    Touch(both.File(QStringLiteral("Chatcast.exe")));
    Touch(both.File(QStringLiteral("Listsmith.exe")));
    EXPECT_EQ(OrvaneSite::UpdatePage(both.Path()),
              kUpdateStart + QStringLiteral("CHCLSM&version=21"));
}

class Prefs : public testing::Test, public PrefsWindow {};

TEST_F(Prefs, LoadingSendsTheThreeViewsToTheirPagesAndShowsNoPage) {
    frmInfo& info = Load();
    EXPECT_EQ(info.windowTitle(), QStringLiteral("Jukora - Preferences"));
    EXPECT_TRUE(info.IsLoaded());
    // Loaded at start-up without being put on the screen: no window of it is made yet.
    EXPECT_FALSE(info.isVisible());
    EXPECT_FALSE(info.testAttribute(Qt::WA_WState_Created));
    const std::vector<std::pair<QString, QString>> expected{
        {QStringLiteral("webPlaylists"), OrvaneSite::PlaylistsPage()},
        {QStringLiteral("webInterest"), OrvaneSite::InterestPage()},
        {QStringLiteral("webUpdates"), OrvaneSite::PlainPage()}};
    EXPECT_EQ(views.navigations, expected);
    EXPECT_EQ(OrvaneSite::PlaylistsPage(),
              QStringLiteral(
                  "http://www.orvane.example/downloads/playlists.php?origin=Jukora_PlayLists"));
    EXPECT_TRUE(VisiblePages().isEmpty());
}

TEST_F(Prefs, EachPageButtonShowsExactlyItsPage) {
    frmInfo& info = Load();
    const std::vector<std::pair<QPushButton*, QWidget*>> buttons{
        {info.cmdEmptyFrame, info.fraEmpty},
        {info.cmdNavUpdates, info.fraUpdates},
        {info.cmdPlayCount, info.fraPlayCount},
        {info.cmdPlaylists, info.fraPlaylists}};
    for (const auto& [button, page] : buttons) {
        button->click();
        EXPECT_EQ(VisiblePages(), QStringList{page->objectName()});
    }
    EXPECT_EQ(info.cmdPlaylists->text(), QStringLiteral("Online Playlists"));
    EXPECT_EQ(info.cmdOrvaneHome->text(), QStringLiteral("Orvane Home page"));
    EXPECT_EQ(info.cmdNavUpdates->text(), QStringLiteral("Check Updates"));
    EXPECT_EQ(info.findChild<QLabel*>(QStringLiteral("Label8"))->text(),
              QStringLiteral("Temporarily not working"));
}

TEST_F(Prefs, OnlinePlaylistsTwiceLoadsThePlaylistsPageTwice) {
    frmInfo& info = Load();
    views.navigations.clear();
    info.cmdPlaylists->click();
    info.cmdPlaylists->click();
    EXPECT_EQ(views.CountFor(QStringLiteral("webPlaylists"), OrvaneSite::PlaylistsPage()), 2);
    EXPECT_EQ(views.navigations.size(), 2u);
}

TEST_F(Prefs, UpdateCheckSendsTheUpdatesViewToTheQuery) {
    frmInfo& info = Load();
    Touch(folder.File(QStringLiteral("Chatcast.exe")));
    info.cmdNavUpdates->click();
    info.cmdUpdates->click();
    ASSERT_FALSE(views.navigations.empty());
    EXPECT_EQ(views.navigations.back(),
              std::make_pair(QStringLiteral("webUpdates"),
                             kUpdateStart + QStringLiteral("CHC&version=21")));
}

TEST_F(Prefs, TheDefaultPlayerButtonAndSetCannotBeClicked) {
    frmInfo& info = Load();
    dialogs.shown.clear();
    info.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&info, 2000));
    QTest::mouseClick(info.cmdDefaultPlayer, Qt::LeftButton);
    EXPECT_TRUE(VisiblePages().isEmpty());
    // Even with its page shown by the program, "Set" does nothing.
    info.fraDefault->show();
    info.chka[0]->setChecked(true);
    QTest::mouseClick(info.cmdSet, Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(info.cmdDefaultPlayer->isEnabled());
    EXPECT_FALSE(info.cmdSet->isEnabled());
}

TEST_F(Prefs, BackReturnsToTheMainWindowAndTheNextOpeningLoadsAgain) {
    frmInfo& info = Load();
    info.show(); // the main window's "preferences" button
    info.cmdPlayCount->click();
    info.chkdvd->setChecked(true);
    views.navigations.clear();
    info.cmdBack->click();
    EXPECT_FALSE(info.isVisible());
    EXPECT_FALSE(info.IsLoaded());
    EXPECT_TRUE(player->isVisible());
    EXPECT_TRUE(views.navigations.empty());
    info.show();
    EXPECT_TRUE(info.IsLoaded());
    EXPECT_EQ(views.navigations.size(), 3u); // the load's three navigations again
    EXPECT_TRUE(VisiblePages().isEmpty());
    EXPECT_FALSE(info.chkdvd->isChecked());
}

TEST_F(Prefs, TheHomePageOpensInTheUsersBrowser) {
    frmInfo& info = Load();
    std::vector<QUrl> opened;
    info.openInBrowser = [&](const QUrl& url) { opened.push_back(url); };
    info.cmdOrvaneHome->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(),
              QStringLiteral("http://www.orvane.example/index.php?origin=Jukora&page=Home"));
    EXPECT_TRUE(VisiblePages().isEmpty());
}

TEST_F(Prefs, AnEngineThatCannotStartLeavesAPlainLineInEachView) {
    player = std::make_unique<frmPlayer>(PlayerServices{dialogs, sender, folder.Path(), {}});
    int loads = 0;
    Info().SetWebEngine([&](QString* problem) {
        ++loads;
        *problem = QStringLiteral("no engine here");
        return nullptr;
    });
    LoadAndReload(*player); // showing the window at start-up starts the views
    Info().StartWebViews();
    EXPECT_EQ(loads, 1);
    for (WebPane* pane : {Info().webPlaylists, Info().webInterest, Info().webUpdates}) {
        EXPECT_FALSE(pane->HasView());
        EXPECT_EQ(pane->Notice(),
                  QStringLiteral("Web pages cannot be shown here: no engine here."));
    }
    Info().cmdPlaylists->click(); // the window goes on working without views
    EXPECT_EQ(Info().webPlaylists->Address(), OrvaneSite::PlaylistsPage());
}

TEST_F(Prefs, ViewsMadeLaterLoadTheLastAddressTheirPaneWasSentTo) {
    player = std::make_unique<frmPlayer>(PlayerServices{dialogs, sender, folder.Path(), {}});
    LoadAndReload(*player); // no engine yet: the panes keep the addresses
    Info().cmdPlaylists_Click();
    Info().webUpdates->Navigate(QStringLiteral("http://www.orvane.example/late"));
    EXPECT_TRUE(views.navigations.empty());
    Info().SetWebEngine([this](QString*) { return &views; });
    Info().StartWebViews();
    EXPECT_EQ(views.CountFor(QStringLiteral("webUpdates"),
                             QStringLiteral("http://www.orvane.example/late")),
              1);
    EXPECT_EQ(views.CountFor(QStringLiteral("webPlaylists"), OrvaneSite::PlaylistsPage()), 1);
    EXPECT_EQ(views.navigations.size(), 3u);
}
} // namespace
