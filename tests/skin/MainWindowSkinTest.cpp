#include "import/frmAdd.h"
#include "playback/ScaledBox.h"
#include "prefs/frmInfo.h"
#include "skin/CreditLabel.h"
#include "skin/ListBox.h"
#include "skin/SkinImage.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>

#include <gtest/gtest.h>
#include <memory>

namespace {

void MouseMove(QWidget* widget) {
    const QPointF at(2, 2);
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

void Click(QWidget* widget) {
    const QPointF at(2, 2);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }
}

bool Lit(const ImagePair& pair) {
    return !pair.over->isHidden() && pair.normal->isHidden();
}

class MainWindowSkin : public PlayerTest<> {
protected:
    void SetUp() override {
        folder.AddSong(1, QStringLiteral("Blue River"), QStringLiteral("Northwind"),
                       QStringLiteral("/m/1.mp3"));
        folder.AddSong(2, QStringLiteral("Tide"), QStringLiteral("Tern"),
                       QStringLiteral("/m/2.mp3"));
        StartPlayer();
    }
    QWidget* Named(const char* name) const {
        auto* widget = player->findChild<QWidget*>(QString::fromUtf8(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void Hover(ImagePair& pair) { MouseMove(pair.normal); }
    std::vector<ImagePair*> AllPairs() {
        frmPlayer& p = *player;
        return {&p.imgFiles,       &p.imgNew,         &p.imgEdit,
                &p.imgnorepeat,    &p.imgrepeat,      &p.imgInfo,
                &p.imgSkin,        &p.imgBrowse,      &p.imgCue,
                &p.imgAdd,         &p.imgDelete,      &p.imgVid,
                &p.imgSeperate,    &p.imgNoSeperate,  &p.imgRepeatVid,
                &p.imgNoRepeatVid, &p.imgUnCue,       &p.imgPlay,
                &p.imgPause,       &p.imgStop,        &p.imgVolDown,
                &p.imgVolUp,       &p.imgOk,          &p.imgBack,
                &p.imgRename,      &p.imgRenameTrack, &p.imgDeletePlayList,
                &p.imgSave,        &p.imgEditBack};
    }
    // The look after a restore: no hover image, the normal images, one of each toggle pair.
    void ExpectRestored() {
        frmPlayer& p = *player;
        for (ImagePair* pair : AllPairs()) {
            if (pair->over->parentWidget() == p.fraEditPlayList)
                continue; // the edit panel restores its own buttons
            EXPECT_TRUE(pair->over->isHidden()) << pair->over->objectName().toStdString();
        }
        for (ImagePair* pair :
             {&p.imgFiles, &p.imgNew, &p.imgEdit, &p.imgInfo, &p.imgSkin, &p.imgBrowse, &p.imgCue,
              &p.imgAdd, &p.imgDelete, &p.imgVid, &p.imgUnCue, &p.imgStop, &p.imgVolDown,
              &p.imgVolUp, &p.imgOk, &p.imgBack})
            EXPECT_FALSE(pair->normal->isHidden()) << pair->normal->objectName().toStdString();
        EXPECT_NE(p.imgPlay.normal->isHidden(), p.imgPause.normal->isHidden());
        EXPECT_NE(p.imgrepeat.normal->isHidden(), p.imgnorepeat.normal->isHidden());
        EXPECT_NE(p.imgRepeatVid.normal->isHidden(), p.imgNoRepeatVid.normal->isHidden());
        EXPECT_NE(p.imgSeperate.normal->isHidden(), p.imgNoSeperate.normal->isHidden());
    }
};

} // namespace

TEST_F(MainWindowSkin, EveryButtonLightsUpAndARestoreBringsEveryNormalImageBack) {
    ExpectRestored(); // as start-up leaves the window
    player->state.VideoStarted = true;
    for (ImagePair* pair : AllPairs()) {
        pair->normal->show(); // both halves of the toggles, to light each one
        Hover(*pair);
        EXPECT_TRUE(Lit(*pair)) << pair->normal->objectName().toStdString();
    }
    MouseMove(Named("imgBG"));
    ExpectRestored();
    // The edit panel's buttons come back over the panel's own background.
    for (ImagePair* pair : {&player->imgRename, &player->imgRenameTrack, &player->imgDeletePlayList,
                            &player->imgSave, &player->imgEditBack})
        EXPECT_TRUE(pair->normal->isHidden()) << pair->normal->objectName().toStdString();
    MouseMove(Named("imgBG5"));
    for (ImagePair* pair : {&player->imgRename, &player->imgRenameTrack, &player->imgDeletePlayList,
                            &player->imgSave, &player->imgEditBack}) {
        EXPECT_FALSE(pair->normal->isHidden()) << pair->normal->objectName().toStdString();
        EXPECT_TRUE(pair->over->isHidden()) << pair->over->objectName().toStdString();
    }
}

TEST_F(MainWindowSkin, TwoButtonsStayLitExceptWhenTheSecondIsCueAddOrDelete) {
    Hover(player->imgNew);
    Hover(player->imgEdit);
    EXPECT_TRUE(Lit(player->imgNew));
    EXPECT_TRUE(Lit(player->imgEdit));
    for (ImagePair* restoring : {&player->imgCue, &player->imgAdd, &player->imgDelete}) {
        Hover(player->imgNew);
        Hover(*restoring);
        EXPECT_FALSE(Lit(player->imgNew)) << restoring->normal->objectName().toStdString();
        EXPECT_FALSE(Lit(player->imgEdit));
        EXPECT_TRUE(Lit(*restoring));
    }
}

TEST_F(MainWindowSkin, ThePinningPairIsInertUntilSomethingWasSentToTheVideoWindow) {
    ASSERT_FALSE(player->state.VideoStarted);
    Hover(player->imgSeperate);
    EXPECT_FALSE(Lit(player->imgSeperate));
    EXPECT_TRUE(player->imgSeperate.over->isHidden()); // so it cannot be clicked
    Click(player->imgSeperate.normal);
    EXPECT_FALSE(player->state.seperatevideo);
    player->state.VideoStarted = true;
    Hover(player->imgSeperate);
    EXPECT_TRUE(Lit(player->imgSeperate));
}

TEST_F(MainWindowSkin, TextBoxesAndBarsKeepAButtonLitBackgroundsListsAndVolumeRestoreIt) {
    for (const char* keeping : {"txtSearch", "picSpeed", "picSongProgress"}) {
        Hover(player->imgNew);
        MouseMove(Named(keeping));
        EXPECT_TRUE(Lit(player->imgNew)) << keeping;
    }
    const std::vector<QWidget*> restoring = {Named("imgBG"),
                                             Named("imgBG2"),
                                             Named("Image1"),
                                             Named("Label6"),
                                             Named("lblVol"),
                                             player->lstPlayLists->viewport(),
                                             player->lstArtist->viewport(),
                                             player->lstTracks->viewport()};
    for (QWidget* widget : restoring) {
        Hover(player->imgNew);
        MouseMove(widget);
        EXPECT_FALSE(Lit(player->imgNew)) << widget->objectName().toStdString();
        EXPECT_FALSE(player->imgNew.normal->isHidden());
    }
}

TEST_F(MainWindowSkin, TogglePairsShowTheirStateAfterARestore) {
    frmPlayer& p = *player;
    p.state.songplaying = true;
    p.state.RepeatOneSong = true;
    p.state.RepeatOneVideo = true;
    p.state.seperatevideo = true;
    p.NoMouseOvers();
    EXPECT_FALSE(p.imgPause.normal->isHidden());
    EXPECT_TRUE(p.imgPlay.normal->isHidden());
    EXPECT_FALSE(p.imgrepeat.normal->isHidden());
    EXPECT_TRUE(p.imgnorepeat.normal->isHidden());
    EXPECT_FALSE(p.imgRepeatVid.normal->isHidden());
    EXPECT_TRUE(p.imgNoRepeatVid.normal->isHidden());
    EXPECT_FALSE(p.imgNoSeperate.normal->isHidden());
    EXPECT_TRUE(p.imgSeperate.normal->isHidden());
    p.state.songplaying = false;
    p.state.RepeatOneSong = false;
    p.NoMouseOvers();
    EXPECT_FALSE(p.imgPlay.normal->isHidden());
    EXPECT_TRUE(p.imgPause.normal->isHidden());
    EXPECT_FALSE(p.imgnorepeat.normal->isHidden());
    EXPECT_TRUE(p.imgrepeat.normal->isHidden());
}

TEST_F(MainWindowSkin, HidingTheArtistsGivesTheTracksTheWholeAreaAndShowingThemGivesItBack) {
    frmPlayer& p = *player;
    p.MoveSlider(); // the splitter's layout
    const QRect artists = TwipsOf(p.lstArtist);
    const QRect tracks = TwipsOf(p.lstTracks);
    const QRect slider = TwipsOf(p.lblSlider);
    Hover(p.imgBrowse);
    Click(p.imgBrowse.over);
    EXPECT_TRUE(p.lstArtist->isHidden());
    EXPECT_TRUE(p.lblSlider->isHidden());
    EXPECT_EQ(TwipsOf(p.lstTracks).top(), 720);
    EXPECT_EQ(TwipsOf(p.lstTracks).height(), artists.height() + tracks.height() + slider.height());
    p.imgBrowseOver_Click();
    EXPECT_FALSE(p.lstArtist->isHidden());
    EXPECT_FALSE(p.lblSlider->isHidden());
    EXPECT_EQ(TwipsOf(p.lstArtist), artists);
    EXPECT_EQ(TwipsOf(p.lstTracks), tracks);
}

TEST_F(MainWindowSkin, SwitchingToTheMiniPlayerCarriesTheSelectionsAsTexts) {
    frmPlayer& p = *player;
    frmSkin& mini = *p.skin();
    p.lstPlayLists->SetListIndex(-1);
    p.lstArtist->SetListIndex(-1);
    p.lstTracks->SetListIndex(-1);
    const int commands = static_cast<int>(sender.commands.size());
    Hover(p.imgSkin);
    Click(p.imgSkin.over);
    EXPECT_TRUE(p.isHidden());
    EXPECT_FALSE(mini.isHidden());
    EXPECT_EQ(mini.cmbArtists->currentText(), QStringLiteral("[All Artists]"));
    EXPECT_EQ(mini.cmbPlayLists->currentText(), QStringLiteral("[All Media]"));
    EXPECT_EQ(mini.cmbTracks->currentText(), QString());
    EXPECT_EQ(sender.commands.size(), commands); // nothing played

    mini.imgFullScreenOver_Click();
    p.SelectPlayList(0);
    p.SelectArtist(static_cast<int>(p.lstArtist->Items().indexOf(QStringLiteral("Tern"))));
    p.lstTracks->SetListIndex(0);
    p.imgSkinOver_Click();
    EXPECT_EQ(mini.cmbPlayLists->currentText(), QStringLiteral("[All Media]"));
    EXPECT_EQ(mini.cmbArtists->currentText(), QStringLiteral("Tern"));
    EXPECT_EQ(mini.cmbTracks->currentText(), QStringLiteral("Tide"));
}

TEST_F(MainWindowSkin, TheCreditUnderlinesOnHoverAndOpensTheMakersHomePage) {
    QList<QUrl> opened;
    player->lblCopyright->open = [&](const QUrl& url) { opened << url; };
    MouseMove(player->lblCopyright);
    EXPECT_TRUE(player->lblCopyright->Underlined());
    MouseMove(Named("Image1"));
    EXPECT_FALSE(player->lblCopyright->Underlined());
    Click(player->lblCopyright);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().path(), QStringLiteral("/index.php"));
    EXPECT_EQ(opened.first().query(), QStringLiteral("origin=Jukora&page=Home"));
}

TEST_F(MainWindowSkin, PreferencesAndAddMediaOpenTheirWindows) {
    Hover(player->imgInfo);
    Click(player->imgInfo.over);
    EXPECT_FALSE(player->info()->isHidden());
    Hover(player->imgFiles);
    Click(player->imgFiles.over);
    ASSERT_NE(player->addIfLoaded(), nullptr);
    EXPECT_FALSE(player->addIfLoaded()->isHidden());
    EXPECT_FALSE(player->isHidden()); // the main window stays open
}
