#include "import/frmAdd.h"
#include "prefs/PrefsSupport.h"
#include "skin/ListBox.h"

#include <QDir>
#include <QFile>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {
const QString kEmptying = QStringLiteral("Emptying Library");
const QString kSure =
    QStringLiteral("Are you sure you want to delete every file from your media library?");
const QString kAddNow =
    QStringLiteral("Media library is now empty.\r\nWould you like to add new media now?");
const QString kResetDone = QStringLiteral("All media files play count's have been reset to 0.");
const QString kNotChanged = QStringLiteral("Jukora - Library not changed");

class Maintenance : public testing::Test, public PrefsWindow {
protected:
    void SetUp() override {
        folder.AddSong(1, QStringLiteral("One"), QStringLiteral("A"), QStringLiteral("/m/1.mp3"),
                       5);
        folder.AddSong(2, QStringLiteral("Two"), QStringLiteral("B"), QStringLiteral("/m/2.mp3"),
                       0);
        folder.AddSong(3, QStringLiteral("Three"), QStringLiteral("A"), QStringLiteral("/m/3.mp3"),
                       12);
        folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Mine');"
                    "INSERT INTO tblPlayListTracks VALUES (1, 1, 3);"
                    "INSERT INTO tblFolder VALUES (1, '/m');");
        Load();
        dialogs.shown.clear();
    }
    QStringList Counts() {
        return folder.Rows(
            "SELECT (SELECT count(*) FROM tblSong), (SELECT count(*) FROM tblFolder),"
            " (SELECT count(*) FROM tblPlayList),"
            " (SELECT count(*) FROM tblPlayListTracks)");
    }
    void RunReload() {
        for (int i = 0; i < 5 && player->Timer1.isActive(); ++i)
            player->Timer1_Timer();
    }
};

TEST_F(Maintenance, NoToTheFirstQuestionChangesNothing) {
    dialogs.answers = {MsgResult::No};
    Info().cmdEmpty->click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, kSure);
    EXPECT_EQ(dialogs.shown[0].title, kEmptying);
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(Counts(), QStringList{QStringLiteral("3|1|1|1")});
    EXPECT_TRUE(player->tmrPlay.isActive());
    EXPECT_EQ(player->lstTracks->ListCount(), 3);
}

TEST_F(Maintenance, EmptyingClearsAllFourTablesAndReloadsTheEmptyLists) {
    Info().show();
    dialogs.answers = {MsgResult::Yes, MsgResult::No};
    Info().cmdEmpty->click();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].prompt, kAddNow);
    EXPECT_EQ(dialogs.shown[1].title, kEmptying);
    EXPECT_EQ(Counts(), QStringList{QStringLiteral("0|0|0|0")});
    EXPECT_FALSE(player->tmrPlay.isActive());
    EXPECT_EQ(player->datSong.RecordCount(), 0);
    EXPECT_FALSE(Info().IsLoaded());
    EXPECT_FALSE(Info().isVisible());
    EXPECT_EQ(player->lstPlayLists->ListCount(), 0);
    EXPECT_EQ(player->lstTracks->ListCount(), 0);
    EXPECT_TRUE(player->Timer1.isActive());
    // The user declined adding media: the reload of the empty library does not ask again.
    RunReload();
    EXPECT_EQ(player->lstTracks->ListCount(), 0);
    EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(Maintenance, AddingNowLeavesTheListsEmptyUntilTheAddWindowIsLeft) {
    dialogs.answers = {MsgResult::Yes, MsgResult::Yes};
    Info().cmdEmpty->click();
    frmAdd* add = player->addIfLoaded();
    ASSERT_NE(add, nullptr);
    EXPECT_TRUE(add->isVisible());
    EXPECT_FALSE(Info().IsLoaded());
    for (ListBox* list : {player->lstTracks, player->lstPlayLists, player->lstArtist})
        EXPECT_EQ(list->ListCount(), 0) << list->objectName().toStdString();
    EXPECT_FALSE(player->Timer1.isActive());
    for (int i = 0; i < 3; ++i)
        add->tmrLoad_Timer();
    add->addfile(QStringLiteral("/m/new.mp3"), QStringLiteral("New"), QStringLiteral("Song"));
    EXPECT_EQ(player->lstTracks->ListCount(), 0);
    add->imgBackOver_Click();
    RunReload();
    EXPECT_EQ(player->lstTracks->ListCount(), 1);
    // The identities start again from the emptied table.
    EXPECT_EQ(folder.Rows("SELECT songid FROM tblSong"), QStringList{QStringLiteral("1")});
}

TEST_F(Maintenance, AFolderImportedBeforeEmptyingCanBeImportedAgainWithoutTheQuestion) {
    ProgramFolderFixture music(false);
    ASSERT_TRUE(WriteWholeFile(music.File(QStringLiteral("a.mp3")), {}));
    frmAdd* add = player->add();
    for (int i = 0; i < 3; ++i)
        add->tmrLoad_Timer();
    add->SetDirPath(music.Path());
    add->imgAddAllOver_Click();
    ASSERT_EQ(
        folder.Rows("SELECT folder FROM tblFolder WHERE folder = '" + music.Path().toUtf8() + "'")
            .size(),
        1);
    dialogs.answers = {MsgResult::Yes, MsgResult::No};
    Info().cmdEmpty_Click();
    ASSERT_EQ(Counts(), QStringList{QStringLiteral("0|0|0|0")});
    dialogs.shown.clear();
    add = player->add();
    for (int i = 0; i < 3; ++i)
        add->tmrLoad_Timer();
    add->SetDirPath(music.Path());
    add->imgAddAllOver_Click();
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Counts(), QStringList{QStringLiteral("1|1|0|0")});
}

TEST_F(Maintenance, ATableThatCannotBeEmptiedKeepsEveryRecordAndIsReported) {
    folder.Exec("CREATE TRIGGER keep BEFORE DELETE ON tblPlayList BEGIN"
                " SELECT RAISE(ABORT, 'kept'); END;");
    dialogs.answers = {MsgResult::Yes};
    Info().cmdEmpty_Click();
    EXPECT_EQ(Counts(), QStringList{QStringLiteral("0|0|1|0")});
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].title, kNotChanged);
    EXPECT_TRUE(dialogs.shown[1].prompt.contains(QStringLiteral("kept")));
    EXPECT_NE(dialogs.shown[1].prompt, kAddNow);
    EXPECT_FALSE(player->tmrPlay.isActive());
    EXPECT_TRUE(player->Timer1.isActive()); // the lists show what is left
}

TEST_F(Maintenance, ResetSetsEveryPlayCountToZeroWithOneMessage) {
    player->datSong.MoveFirst(); // the reset walks the whole set wherever its cursor stands
    player->datSong.MoveNext();
    Info().cmdReset->click();
    EXPECT_EQ(folder.Rows("SELECT playcount FROM tblSong ORDER BY songid"),
              (QStringList{QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")}));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, kResetDone);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Jukora"));
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::Ok);
    // The main window's source shows the new counts.
    for (player->datSong.MoveFirst(); !player->datSong.Eof(); player->datSong.MoveNext())
        EXPECT_EQ(player->datSong.Number(QStringLiteral("playcount")), 0);
    EXPECT_EQ(player->lstTracks->ListCount(), 3); // the lists are not refreshed
}

TEST_F(Maintenance, ResetOnAnEmptyLibraryStillShowsItsMessage) {
    dialogs.answers = {MsgResult::Yes, MsgResult::No};
    Info().cmdEmpty_Click();
    dialogs.shown.clear();
    Info().cmdReset_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt, kResetDone);
}

TEST_F(Maintenance, AResetThatCannotBeWrittenChangesNoCountAndSaysSo) {
    folder.Exec("CREATE TRIGGER keep BEFORE UPDATE ON tblSong WHEN NEW.songid = 3 BEGIN"
                " SELECT RAISE(ABORT, 'kept'); END;");
    Info().cmdReset_Click();
    EXPECT_EQ(folder.Rows("SELECT playcount FROM tblSong ORDER BY songid"),
              (QStringList{QStringLiteral("5"), QStringLiteral("0"), QStringLiteral("12")}));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, kNotChanged);
}
} // namespace
