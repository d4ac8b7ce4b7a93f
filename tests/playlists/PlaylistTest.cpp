#include "playlists/PlaylistFile.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kAskName = QStringLiteral("What would you like to call your new playlist?");
const QString kTaken =
    QStringLiteral("You already have a playlist with that name, please state another.");
const QString kNullName = QStringLiteral("Playlist name can't be a null value.");

class Playlists : public PlayerTest<> {
protected:
    void SetUp() override { QDir(folder.Path()).mkdir(QStringLiteral("PlayLists")); }
    void Song(int id, const char* title, const char* artist, int playcount = 0) {
        folder.AddSong(id, QString::fromUtf8(title), QString::fromUtf8(artist),
                       QStringLiteral("/m/%1.mp3").arg(id), playcount);
    }
    void Load() {
        StartPlayer();
        dialogs.shown.clear(); // the start-up's own questions (an empty library)
    }
    static int IndexOf(const QStringList& items, const QString& text) {
        const int index = static_cast<int>(items.indexOf(text));
        EXPECT_GE(index, 0) << text.toStdString();
        return index;
    }
    void Choose(const QString& playlist) {
        player->SelectPlayList(IndexOf(player->lstPlayLists->Items(), playlist));
    }
    void SelectTrack(int row) { player->lstTracks->SetListIndex(row); }
    void OpenEdit(const QString& playlist) {
        player->imgEditOver_Click();
        player->lstEditPlayList->SetListIndex(IndexOf(player->lstEditPlayList->Items(), playlist));
        player->lstEditPlayList_Click();
    }
    void ChooseTarget(const QString& playlist) {
        player->lstAddToPlaylist->SetListIndex(
            IndexOf(player->lstAddToPlaylist->Items(), playlist));
    }
    QStringList Playlists_() const {
        return folder.Rows("SELECT playlistid, Name FROM tblPlayList ORDER BY playlistid");
    }
    QStringList Entries() const {
        return folder.Rows(
            "SELECT TrackID, playlistid, songid FROM tblPlayListTracks ORDER BY TrackID");
    }
    QStringList Prompts() const {
        QStringList prompts;
        for (const auto& shown : dialogs.shown)
            prompts << shown.prompt;
        return prompts;
    }
    QStringList EditLines() const { return player->lstEditPlayListTracks->Items(); }
    QString PlaylistFile(const QString& name) const {
        return folder.File(QStringLiteral("PlayLists/") + name + QStringLiteral(".mpl"));
    }
    // The track list and its companions stay line for line.
    void ExpectInStep() {
        EXPECT_EQ(player->state.lstMaybe.ListCount(), player->lstTracks->ListCount());
        EXPECT_EQ(player->skin()->cmbTracks->ListCount(), player->lstTracks->ListCount());
    }
};

QString Line(int number, const char* title) {
    return QString::number(number) + QStringLiteral("        ") + QString::fromUtf8(title);
}

QStringList Texts(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

// --- Creating, renaming and deleting playlists ---

TEST_F(Playlists, CreateIgnoresABlankFirstAnswerButStoresABlankReplacement) {
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Rock');");
    Load();
    dialogs.inputs = {QStringLiteral("   ")};
    player->imgNewOver_Click();
    EXPECT_EQ(Prompts(), QStringList{kAskName});
    EXPECT_EQ(Playlists_(), Texts({"1|Rock"}));

    // Blanks given after a duplicate count as a name: stored, but never listed.
    dialogs.shown.clear();
    dialogs.inputs = {QStringLiteral(" Rock"), QStringLiteral("   ")};
    player->imgNewOver_Click();
    EXPECT_EQ(Prompts(), (QStringList{kAskName, kTaken}));
    EXPECT_EQ(Playlists_(), Texts({"1|Rock", "2|   "}));
    EXPECT_EQ(player->lstPlayLists->Items(), Texts({"[All Media]", "[Top 20]", "Rock"}));
    EXPECT_EQ(dialogs.CountTitled(QStringLiteral("New Playlist")), 2);
}

TEST_F(Playlists, CreateChecksEveryReplacementFromTheFirstPlaylistAgain) {
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Alpha'), (2, 'Beta');");
    Load();
    // "Beta" is taken; its replacement " Alpha " names the earlier playlist and is caught too;
    // an empty answer is asked again; "alpha" differs in case only and is a new name.
    dialogs.inputs = {QStringLiteral("Beta"), QStringLiteral(" Alpha "), QString(),
                      QStringLiteral("alpha ")};
    player->imgNewOver_Click();
    EXPECT_EQ(Prompts(), (QStringList{kAskName, kTaken, kTaken, kNullName}));
    EXPECT_EQ(Playlists_(), Texts({"1|Alpha", "2|Beta", "3|alpha "}));
    EXPECT_EQ(player->state.lblEntryCount, QStringLiteral("3"));
    // Every playlist list offers it at once.
    EXPECT_TRUE(player->lstPlayLists->Items().contains(QStringLiteral("alpha ")));
    EXPECT_TRUE(player->lstEditPlayList->Items().contains(QStringLiteral("alpha ")));
    EXPECT_TRUE(player->lstAddToPlaylist->Items().contains(QStringLiteral("alpha ")));
    EXPECT_TRUE(player->skin()->cmbPlayLists->Items().contains(QStringLiteral("alpha ")));
}

TEST_F(Playlists, CreateNumbersFromTheLastPlaylistOrTheSharedCounter) {
    Load();
    dialogs.inputs = {QStringLiteral("First")};
    player->imgNewOver_Click();
    EXPECT_EQ(Playlists_(), Texts({"1|First"}));

    // With the table empty again, the counter left by an entry numbers the playlist.
    folder.Exec("DELETE FROM tblPlayList;");
    Load();
    player->state.lblEntryCount = QStringLiteral("57");
    dialogs.inputs = {QStringLiteral("Second")};
    player->imgNewOver_Click();
    EXPECT_EQ(Playlists_(), Texts({"58|Second"}));
}

TEST_F(Playlists, RenameRenamesEveryPlaylistOfTheSelectedName) {
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Mix'), (2, 'Other'), (3, ' Mix');"
                "INSERT INTO tblPlayListTracks VALUES (1, 1, 1);");
    Load();
    OpenEdit(QStringLiteral("Mix"));
    EXPECT_TRUE(player->txtRename->isEnabled());
    EXPECT_EQ(player->txtRename->text(), QStringLiteral("Mix"));
    player->txtRename->setText(QStringLiteral("Party "));
    player->imgRenameOver_Click();
    EXPECT_EQ(Playlists_(), Texts({"1|Party ", "2|Other", "3|Party "}));
    EXPECT_EQ(player->lstEditPlayList->Items(),
              Texts({"[All Media]", "Party ", "Other", "Party "}));

    // An empty name is stored: the playlist leaves the lists but keeps its entries.
    OpenEdit(QStringLiteral("Other"));
    player->txtRename->clear();
    player->imgRenameOver_Click();
    EXPECT_EQ(Playlists_(), Texts({"1|Party ", "2|", "3|Party "}));
    EXPECT_FALSE(player->lstPlayLists->Items().contains(QStringLiteral("Other")));
    EXPECT_EQ(Entries(), Texts({"1|1|1"}));

    // "[All Media]" cannot be renamed, and nothing selected renames nothing.
    OpenEdit(QStringLiteral("[All Media]"));
    EXPECT_FALSE(player->txtRename->isEnabled());
    player->imgRenameOver_Click();
    player->imgEditOver_Click();
    player->txtRename->setText(QStringLiteral("Hidden"));
    player->imgRenameOver_Click();
    EXPECT_EQ(Playlists_(), Texts({"1|Party ", "2|", "3|Party "}));
}

TEST_F(Playlists, DeleteAsksThenRemovesThePlaylistWithItsEntriesEverywhere) {
    Song(1, "One", "A");
    Song(2, "Two", "B");
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Rock'), (2, 'Jazz');"
                "INSERT INTO tblPlayListTracks VALUES (1, 1, 1), (2, 2, 1), (3, 1, 2);");
    Load();
    // Nothing selected, or "[All Media]": no question, nothing deleted.
    player->imgEditOver_Click();
    player->imgDeletePlayListOver_Click();
    OpenEdit(QStringLiteral("[All Media]"));
    player->imgDeletePlayListOver_Click();
    EXPECT_TRUE(dialogs.shown.empty());

    OpenEdit(QStringLiteral("Rock"));
    dialogs.answers = {MsgResult::No};
    player->imgDeletePlayListOver_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              QStringLiteral("Are you sure you want to delete this playlist?"));
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Deleting Playlist"));
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(Playlists_().size(), 2);

    dialogs.answers = {MsgResult::Yes};
    player->imgDeletePlayListOver_Click();
    EXPECT_EQ(Playlists_(), Texts({"2|Jazz"}));
    EXPECT_EQ(Entries(), Texts({"2|2|1"}));
    EXPECT_TRUE(EditLines().isEmpty());
    EXPECT_TRUE(player->txtEditArtist->text().isEmpty());
    EXPECT_TRUE(player->txtEditTitle->text().isEmpty());
    EXPECT_TRUE(player->txtRename->text().isEmpty());
    EXPECT_FALSE(player->txtRename->isEnabled());
    for (const QStringList& list :
         {player->lstPlayLists->Items(), player->lstEditPlayList->Items(),
          player->lstAddToPlaylist->Items(), player->skin()->cmbPlayLists->Items()})
        EXPECT_FALSE(list.contains(QStringLiteral("Rock")));
}

// --- Adding tracks through the add panel ---

TEST_F(Playlists, AddPanelOffersEveryArtistOfTheTitleAndInsistsOnAChoice) {
    Song(1, "Home", "Northwind");
    Song(2, "Away", "Northwind");
    Song(3, "Home", "Holloways");
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Road');");
    Load();
    // No track selected: nothing opens.
    player->imgAddOver_Click();
    EXPECT_TRUE(player->fraAddToPlaylist->isHidden());

    SelectTrack(0);
    player->imgAddOver_Click();
    EXPECT_FALSE(player->fraAddToPlaylist->isHidden());
    EXPECT_EQ(TwipsOf(player->fraAddToPlaylist).width(), 7935);
    EXPECT_EQ(player->txtSongToAdd->text(), QStringLiteral("Home"));
    EXPECT_EQ(player->cmbArtist->Items(), Texts({"Northwind", "Holloways"}));
    EXPECT_TRUE(player->cmbArtist->Text().isEmpty());

    // No playlist chosen: nothing happens, nothing is shown.
    player->imgOkOver_Click();
    EXPECT_TRUE(dialogs.shown.empty());
    ChooseTarget(QStringLiteral("Road"));
    player->imgOkOver_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              QStringLiteral("This song may have multiple artists, please select from the list."));
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Multiple Artists"));
    EXPECT_TRUE(Entries().isEmpty());
    EXPECT_FALSE(player->fraAddToPlaylist->isHidden());

    // The title box is only shown: the song is the one taken when the panel opened.
    player->txtSongToAdd->setText(QStringLiteral("Away"));
    player->cmbArtist->SetListIndex(1);
    player->imgOkOver_Click();
    EXPECT_EQ(Entries(), Texts({"1|1|3"}));
    EXPECT_TRUE(player->fraAddToPlaylist->isHidden());
    EXPECT_EQ(player->lstAddToPlaylist->Items(), Texts({"Road"}));
}

TEST_F(Playlists, AddWithAnArtistChosenAddsTheSameSongTwiceInOrder) {
    Song(1, "Home", "Northwind");
    Song(2, "Home", "Holloways");
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Road'), (2, 'Sea');");
    Load();
    player->SelectArtist(IndexOf(player->lstArtist->Items(), QStringLiteral("Holloways")));
    SelectTrack(0);
    for (int times = 0; times < 2; ++times) {
        player->imgAddOver_Click();
        EXPECT_EQ(player->cmbArtist->Items(), Texts({"Holloways"}));
        EXPECT_EQ(player->cmbArtist->Text(), QStringLiteral("Holloways"));
        ChooseTarget(QStringLiteral("Sea"));
        player->imgOkOver_Click();
    }
    EXPECT_EQ(Entries(), Texts({"1|2|2", "2|2|2"}));
    Choose(QStringLiteral("Sea"));
    EXPECT_EQ(player->lstTracks->Items(), (QStringList{Line(1, "Home"), Line(2, "Home")}));

    // With the entries table empty, the counter left by a playlist numbers the entry.
    folder.Exec("DELETE FROM tblPlayListTracks;");
    Load();
    player->state.lblEntryCount = QStringLiteral("12");
    SelectTrack(0);
    player->imgAddOver_Click();
    player->cmbArtist->SetListIndex(0);
    ChooseTarget(QStringLiteral("Road"));
    player->imgOkOver_Click();
    EXPECT_EQ(Entries(), Texts({"13|1|1"}));
}

TEST_F(Playlists, AddFindsATitleStoredWithBlanksAroundIt) {
    Song(1, "Home  ", "Northwind");
    Song(2, "Home", "Holloways");
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Road');");
    Load();
    player->SelectArtist(IndexOf(player->lstArtist->Items(), QStringLiteral("Northwind")));
    SelectTrack(0);
    player->imgAddOver_Click();
    player->cmbArtist->SetListIndex(0);
    ChooseTarget(QStringLiteral("Road"));
    player->imgOkOver_Click();
    EXPECT_TRUE(dialogs.shown.empty()) << Prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Entries(), Texts({"1|1|1"}));
}

TEST_F(Playlists, AddRefusesASongThatLeftTheLibraryInsteadOfAddingTheLastOne) {
    Song(1, "One", "A");
    Song(2, "Two", "B");
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Road');");
    Load();
    SelectTrack(0);
    player->imgAddOver_Click();
    ChooseTarget(QStringLiteral("Road"));
    player->imgOkOver_Click();
    ASSERT_EQ(Entries(), Texts({"1|1|1"}));

    SelectTrack(1);
    player->imgAddOver_Click();
    // The song's title is changed in the edit panel while the add panel is open.
    OpenEdit(QStringLiteral("[All Media]"));
    player->lstEditPlayListTracks->SetListIndex(1);
    player->lstEditPlayListTracks_Click();
    player->txtEditTitle->setText(QStringLiteral("Renamed"));
    player->imgRenameTrackOver_Click();
    ChooseTarget(QStringLiteral("Road"));
    player->imgOkOver_Click();
    EXPECT_EQ(Entries(), Texts({"1|1|1"}));
    EXPECT_EQ(dialogs.CountTitled(QStringLiteral("Jukora - Not added")), 1);
    EXPECT_TRUE(player->fraAddToPlaylist->isHidden());
    EXPECT_EQ(player->lstAddToPlaylist->Items(), Texts({"Road"}));
}

// --- Removing the selected track ---

class Removing : public Playlists {
protected:
    void SetUp() override {
        Playlists::SetUp();
        Song(1, "One", "A", 5);
        Song(2, "Two", "B", 3);
        Song(3, "Three", "A", 1);
        folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Road'), (2, 'Sea');"
                    "INSERT INTO tblPlayListTracks VALUES (1, 1, 1), (2, 1, 2), (3, 1, 3),"
                    " (4, 2, 2);");
        Load();
    }
    void Remove(int row, MsgResult answer) {
        SelectTrack(row);
        dialogs.answers = {answer};
        player->imgDeleteOver_Click();
    }
};

TEST_F(Removing, FromAUserPlaylistRemovesOnlyThatEntryAndKeepsTheListsInStep) {
    Choose(QStringLiteral("Road"));
    Remove(1, MsgResult::No);
    EXPECT_EQ(Entries().size(), 4);
    EXPECT_EQ(dialogs.shown.back().prompt,
              QStringLiteral("Are you sure you want to delete this song from this playlist?"));
    EXPECT_EQ(dialogs.shown.back().title, QStringLiteral("Deleting Media"));

    Remove(1, MsgResult::Yes);
    EXPECT_EQ(Entries(), Texts({"1|1|1", "3|1|3", "4|2|2"}));
    EXPECT_EQ(player->lstTracks->Items(), (QStringList{Line(1, "One"), Line(3, "Three")}));
    ExpectInStep();
    // The line that moved up cues its own song.
    SelectTrack(1);
    player->imgCueOver_Click();
    EXPECT_EQ(player->state.lstCuedSongsPath.Items(), Texts({"3"}));
    EXPECT_EQ(player->skin()->cmbTracks->Items(), Texts({"One", "Three"}));
}

TEST_F(Removing, FromAllMediaOrUnderAnArtistRemovesTheSongFromTheLibrary) {
    Choose(QStringLiteral("[All Media]"));
    Remove(1, MsgResult::Yes);
    EXPECT_EQ(dialogs.shown.back().prompt,
              QStringLiteral("Deleting from [All Media] will remove the song from the "
                             "database.\r\nAre you sure you want to remove this song?"));
    EXPECT_EQ(folder.Rows("SELECT songid FROM tblSong ORDER BY songid"), Texts({"1", "3"}));
    EXPECT_EQ(Entries(), Texts({"1|1|1", "3|1|3"})); // gone from every playlist
    ExpectInStep();

    // A user playlist with an artist chosen: the removal is from the library too.
    Choose(QStringLiteral("Road"));
    player->SelectArtist(IndexOf(player->lstArtist->Items(), QStringLiteral("A")));
    ASSERT_EQ(player->lstTracks->Items(), (QStringList{Line(1, "One"), Line(2, "Three")}));
    Remove(1, MsgResult::Yes);
    EXPECT_TRUE(
        dialogs.shown.back().prompt.startsWith(QStringLiteral("Deleting from [All Media]")));
    EXPECT_EQ(folder.Rows("SELECT songid FROM tblSong"), Texts({"1"}));
    EXPECT_EQ(Entries(), Texts({"1|1|1"}));
}

TEST_F(Removing, FromTop20OnlyOffersToResetThePlayCount) {
    Choose(QStringLiteral("[Top 20]"));
    ASSERT_EQ(player->lstTracks->Items(),
              (QStringList{Line(1, "One"), Line(2, "Two"), Line(3, "Three")}));
    Remove(0, MsgResult::No);
    EXPECT_EQ(dialogs.shown.back().prompt,
              QStringLiteral("This is a preset playlist and so songs cannot be deleted from "
                             "here.\r\nWould you like to reset the songs playcount?"));
    EXPECT_EQ(folder.PlayCount(1), 5);
    Remove(0, MsgResult::Yes);
    EXPECT_EQ(folder.PlayCount(1), 0);
    EXPECT_EQ(folder.Rows("SELECT count(*) FROM tblSong"), Texts({"3"}));
    EXPECT_EQ(Entries().size(), 4);
    // Listed again with the new ranking.
    EXPECT_EQ(player->lstPlayLists->Text(), QStringLiteral("[Top 20]"));
    EXPECT_EQ(player->lstTracks->Items(),
              (QStringList{Line(1, "Two"), Line(2, "Three"), Line(3, "One")}));
}

TEST_F(Removing, ASongThatCannotBeIdentifiedOnlyLosesItsLine) {
    Choose(QStringLiteral("[All Media]"));
    // Renamed in the library after it was listed: the line's title no longer names it.
    OpenEdit(QStringLiteral("[All Media]"));
    player->txtEditTitle->setText(QStringLiteral("Uno"));
    player->imgRenameTrackOver_Click();
    Remove(0, MsgResult::Yes);
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(folder.Rows("SELECT count(*) FROM tblSong"), Texts({"3"}));
    EXPECT_EQ(Entries().size(), 4);
    EXPECT_EQ(player->lstTracks->Items(), (QStringList{Line(2, "Two"), Line(3, "Three")}));
    ExpectInStep();
}

// --- The edit panel ---

TEST_F(Playlists, EditPanelListsEntriesLineForLineWithTheirIds) {
    Song(1, "One", "A");
    Song(2, "  ", "Blank");
    Song(3, "Three", "C");
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Mix'), (2, 'Mix'), (3, 'Empty');"
                "INSERT INTO tblPlayListTracks VALUES (1, 1, 3), (2, 1, 99), (3, 2, 1),"
                " (4, 1, 3);");
    Load();
    OpenEdit(QStringLiteral("[All Media]"));
    EXPECT_EQ(TwipsOf(player->fraEditPlayList), TwipsRect(360, 120, 8055, 6375));
    EXPECT_EQ(EditLines(), Texts({"One", "Three"})); // the blank title is left out
    EXPECT_EQ(player->state.lstEditID.Items(), Texts({"1", "3"}));
    EXPECT_FALSE(player->txtRename->isEnabled());
    EXPECT_EQ(player->txtEditArtist->text(), QStringLiteral("A"));

    // Both playlists named "Mix", one after the other; the missing song shows no line; a song
    // entered twice shows twice.
    OpenEdit(QStringLiteral("Mix"));
    EXPECT_EQ(EditLines(), Texts({"Three", "Three", "One"}));
    EXPECT_EQ(player->state.lstEditID.Items(), Texts({"3", "3", "1"}));
    player->lstEditPlayListTracks->SetListIndex(2);
    player->lstEditPlayListTracks_Click();
    EXPECT_EQ(player->txtEditTitle->text(), QStringLiteral("One"));

    // A playlist without entries leaves the boxes as they were.
    OpenEdit(QStringLiteral("Empty"));
    EXPECT_TRUE(EditLines().isEmpty());
    EXPECT_EQ(player->txtEditTitle->text(), QStringLiteral("One"));
    player->imgEditBackOver_Click();
    EXPECT_TRUE(player->fraEditPlayList->isHidden());
}

TEST_F(Playlists, RenameTrackStoresArtistAndTitleAsTypedAndSelectsTheFirstLine) {
    Song(1, "One", "A");
    Song(2, "Two", "B");
    Load();
    OpenEdit(QStringLiteral("[All Media]"));
    player->lstEditPlayListTracks->SetListIndex(1);
    player->lstEditPlayListTracks_Click();
    player->txtEditArtist->setText(QStringLiteral(" Bee "));
    player->txtEditTitle->setText(QStringLiteral("Deux"));
    player->imgRenameTrackOver_Click();
    EXPECT_EQ(folder.Rows("SELECT Title, artist FROM tblSong WHERE songid = 2"),
              Texts({"Deux| Bee "}));
    EXPECT_EQ(EditLines(), Texts({"One", "Deux"}));
    EXPECT_EQ(player->lstEditPlayListTracks->ListIndex(), 0);
    EXPECT_EQ(player->txtEditTitle->text(), QStringLiteral("One"));

    // An empty title is stored, and the song leaves the "[All Media]" lines of the panel.
    player->txtEditTitle->clear();
    player->imgRenameTrackOver_Click();
    EXPECT_EQ(folder.Rows("SELECT Title FROM tblSong WHERE songid = 1"), QStringList{QString()});
    EXPECT_EQ(EditLines(), Texts({"Deux"}));
}

// --- Export ---

TEST_F(Playlists, ExportWritesArtistDashTitleLinesWithCarriageReturnLineFeed) {
    Song(1, "One", "A");
    Song(2, "Two", "");
    Song(3, "", "C");
    Song(4, "Café", "Ünal");
    folder.Exec("INSERT INTO tblPlayList VALUES (1, ' Road '), (2, 'Empty');"
                "INSERT INTO tblPlayListTracks VALUES (1, 1, 1), (2, 1, 2), (3, 1, 3),"
                " (4, 1, 77), (5, 1, 4);");
    Load();
    OpenEdit(QStringLiteral(" Road "));
    player->imgSaveOver_Click();
    EXPECT_EQ(ReadBytes(PlaylistFile(QStringLiteral(" Road "))),
              QByteArray("A - One\r\n - Two\r\nC - \r\n") +
                  QStringLiteral("Ünal - Café\r\n").toUtf8());
    EXPECT_TRUE(dialogs.shown.empty());
    // The last line is left selected and shown.
    EXPECT_EQ(player->lstEditPlayListTracks->ListIndex(), 3);
    EXPECT_EQ(player->txtEditTitle->text(), QStringLiteral("Café"));

    // Saved again after an entry went: the file holds the current entries only.
    folder.Exec("DELETE FROM tblPlayListTracks WHERE TrackID <> 1;");
    Load();
    OpenEdit(QStringLiteral(" Road "));
    player->imgSaveOver_Click();
    EXPECT_EQ(ReadBytes(PlaylistFile(QStringLiteral(" Road "))), QByteArray("A - One\r\n"));

    // "[All Media]", a playlist without entries, or no playlist: no file.
    OpenEdit(QStringLiteral("Empty"));
    player->imgSaveOver_Click();
    OpenEdit(QStringLiteral("[All Media]"));
    player->imgSaveOver_Click();
    player->imgEditOver_Click();
    player->imgSaveOver_Click();
    EXPECT_EQ(QDir(folder.File(QStringLiteral("PlayLists"))).entryList(QDir::Files),
              QStringList{QStringLiteral(" Road .mpl")});
}

TEST_F(Playlists, ExportRefusesNamesThatAreNoFileNameAndReportsAFailedWrite) {
    Song(1, "One", "A");
    folder.Exec("INSERT INTO tblPlayList VALUES (1, '../Escape'), (2, '..'), (3, 'Fine');"
                "INSERT INTO tblPlayListTracks VALUES (1, 1, 1), (2, 2, 1), (3, 3, 1);");
    Load();
    for (const char* name : {"../Escape", ".."}) {
        OpenEdit(QString::fromUtf8(name));
        player->imgSaveOver_Click();
    }
    EXPECT_EQ(dialogs.CountTitled(QStringLiteral("Jukora - Playlist not saved")), 2);
    EXPECT_TRUE(QDir(folder.File(QStringLiteral("PlayLists"))).isEmpty());
    EXPECT_FALSE(QFile::exists(folder.File(QStringLiteral("Escape.mpl"))));
    EXPECT_FALSE(QFile::exists(folder.File(QStringLiteral("PlayLists/...mpl"))));

    // No playlist folder: the export says so and creates nothing; the library is untouched.
    ASSERT_TRUE(QDir(folder.File(QStringLiteral("PlayLists"))).removeRecursively());
    OpenEdit(QStringLiteral("Fine"));
    player->imgSaveOver_Click();
    EXPECT_EQ(dialogs.CountTitled(QStringLiteral("Jukora - Playlist not saved")), 3);
    EXPECT_TRUE(dialogs.shown.back().prompt.contains(QStringLiteral("does not exist")));
    EXPECT_FALSE(QFile::exists(folder.File(QStringLiteral("PlayLists"))));
    EXPECT_EQ(Playlists_().size(), 3);
    EXPECT_EQ(Entries().size(), 3);
}

TEST(PlaylistFile, NamesAndReplacement) {
    EXPECT_TRUE(PlaylistNameProblem(QStringLiteral(" My Mix ")).isEmpty());
    EXPECT_TRUE(PlaylistNameProblem(QStringLiteral("...")).isEmpty());
    for (const QString& bad : {QStringLiteral("a/b"), QStringLiteral("."), QStringLiteral(".."),
                               QStringLiteral("   "), QStringLiteral("a") + QChar(u'\0')})
        EXPECT_FALSE(PlaylistNameProblem(bad).isEmpty()) << bad.toStdString();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.mpl"));
    ASSERT_TRUE(WritePlaylistFile(path, QByteArray("a much longer first text\r\n")).isEmpty());
    ASSERT_TRUE(WritePlaylistFile(path, QByteArray("short\r\n")).isEmpty());
    EXPECT_EQ(ReadBytes(path), QByteArray("short\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("x.mpl")});
}

// A playlist file that is a symbolic link: saving replaces the link with the playlist and
// leaves the file it pointed to exactly as it was.
TEST(PlaylistFile, SavingThroughALinkReplacesTheLinkNotItsTarget) {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("precious.txt"));
    ASSERT_TRUE(WriteWholeFile(target, QByteArray("keep me\n")));
    const QString path = dir.filePath(QStringLiteral("Mix.mpl"));
    ASSERT_TRUE(QFile::link(target, path));
    ASSERT_TRUE(WritePlaylistFile(path, QByteArray("A - B\r\n")).isEmpty());
    EXPECT_EQ(ReadBytes(target), QByteArray("keep me\n"));
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(ReadBytes(path), QByteArray("A - B\r\n"));
    // A dangling link is replaced too, and nothing is made where it pointed.
    const QString dangling = dir.filePath(QStringLiteral("Gone.mpl"));
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere.txt")), dangling));
    ASSERT_TRUE(WritePlaylistFile(dangling, QByteArray("C - D\r\n")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("nowhere.txt"))));
    EXPECT_EQ(ReadBytes(dangling), QByteArray("C - D\r\n"));
}

} // namespace
