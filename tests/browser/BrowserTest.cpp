#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QLineEdit>

#include <gtest/gtest.h>
#include <memory>

namespace {

class Browser : public PlayerTest<> {
protected:
    void Song(int id, const char* title, const char* artist, int playcount = 0) {
        folder.AddSong(id, QString::fromUtf8(title), QString::fromUtf8(artist),
                       QStringLiteral("/m/%1.mp3").arg(id), playcount);
    }
    void Load() { StartPlayer(); }
    void Choose(const QString& playlist) {
        const int index = static_cast<int>(player->lstPlayLists->Items().indexOf(playlist));
        ASSERT_GE(index, 0) << playlist.toStdString();
        player->SelectPlayList(index);
        ExpectInStep();
    }
    void Search(const char* text) {
        player->txtSearch->setText(QString::fromUtf8(text));
        ExpectInStep();
    }
    // The hidden identities stay row for row with the visible track list.
    void ExpectInStep() {
        ASSERT_EQ(player->state.lstMaybe.ListCount(), player->lstTracks->ListCount());
    }
    QStringList Tracks() const { return player->lstTracks->Items(); }
    QStringList Ids() const { return player->state.lstMaybe.Items(); }
    QStringList Artists() const { return player->lstArtist->Items(); }
};

QString Line(int number, const char* title) {
    return QString::number(number) + QStringLiteral("        ") + QString::fromUtf8(title);
}

} // namespace

TEST_F(Browser, AllMediaListsEverySongAndEachArtistOnce) {
    Song(1, "Blue River", "Northwind");
    Song(2, "Tide", "Northwind");
    Song(3, "Glass", "beta band");
    Song(4, "Iron", "Beta Band");
    Load();
    EXPECT_EQ(player->lstPlayLists->Items(),
              (QStringList{QStringLiteral("[All Media]"), QStringLiteral("[Top 20]")}));
    EXPECT_EQ(Tracks(), (QStringList{Line(1, "Blue River"), Line(2, "Tide"), Line(3, "Glass"),
                                     Line(4, "Iron")}));
    EXPECT_EQ(Ids(), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                  QStringLiteral("4")}));
    // Artists differing only in case are both listed, next to each other.
    EXPECT_EQ(Artists().size(), 4);
    EXPECT_EQ(Artists().first(), QStringLiteral("[All Artists]"));
    EXPECT_EQ(Artists().indexOf(QStringLiteral("beta band")) -
                  Artists().indexOf(QStringLiteral("Beta Band")),
              1);
    EXPECT_EQ(player->skin()->cmbTracks->Items(),
              (QStringList{QStringLiteral("Blue River"), QStringLiteral("Tide"),
                           QStringLiteral("Glass"), QStringLiteral("Iron")}));
    EXPECT_EQ(player->skin()->cmbArtists->ListCount(), 4);
}

TEST_F(Browser, Top20RanksByPlayCount) {
    Song(1, "Five", "A", 5);
    Song(2, "Twelve", "B", 12);
    Song(3, "Never", "C", 0);
    Load();
    Choose(QStringLiteral("[Top 20]"));
    EXPECT_EQ(Tracks(), (QStringList{Line(1, "Twelve"), Line(2, "Five"), Line(3, "Never")}));
    EXPECT_EQ(Ids(), (QStringList{QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_EQ(Artists().size(), 4);
    EXPECT_EQ(player->lstArtist->ListIndex(), 0);
}

TEST_F(Browser, Top20ListsTwentyAndBreaksTiesByIdentityText) {
    for (int id = 1; id <= 25; ++id)
        folder.AddSong(id, QStringLiteral("T%1").arg(id), QStringLiteral("A"), QStringLiteral("/m"),
                       id == 9 || id == 12 ? 7 : 1);
    Load();
    Choose(QStringLiteral("[Top 20]"));
    ASSERT_EQ(Tracks().size(), 20);
    // Equal counts of 7: "007  9" is the greater text, so 9 comes first.
    EXPECT_EQ(Ids().mid(0, 2), (QStringList{QStringLiteral("9"), QStringLiteral("12")}));
    EXPECT_EQ(Tracks().at(19).left(2), QStringLiteral("20"));
}

TEST_F(Browser, Top20ComparesLargeCountsAsNumbers) {
    Song(1, "Hundred and one", "A", 101);
    Song(2, "Thousand", "A", 1000);
    Song(3, "Hundred", "A", 100);
    Song(4, "Ten thousand", "A", 10000);
    Load();
    Choose(QStringLiteral("[Top 20]"));
    EXPECT_EQ(Ids(), (QStringList{QStringLiteral("4"), QStringLiteral("2"), QStringLiteral("1"),
                                  QStringLiteral("3")}));
}

TEST_F(Browser, UserPlaylistsListTheirEntriesInOrder) {
    Song(1, "One", "Northwind");
    Song(2, "Two", "Holloways");
    Song(3, "Three", "Northwind");
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'Road'), (2, ' Padded '), (3, 'Empty');"
                "INSERT INTO tblPlayListTracks VALUES (1, 1, 3), (2, 1, 99), (3, 1, 1),"
                " (4, 2, 2);");
    Load();
    EXPECT_EQ(
        player->lstPlayLists->Items().mid(2),
        (QStringList{QStringLiteral("Road"), QStringLiteral(" Padded "), QStringLiteral("Empty")}));
    Choose(QStringLiteral("Road"));
    // Song 99 is gone: its number is used up.
    EXPECT_EQ(Tracks(), (QStringList{Line(1, "Three"), Line(3, "One")}));
    EXPECT_EQ(Artists(),
              (QStringList{QStringLiteral("[All Artists]"), QStringLiteral("Northwind")}));
    // An artist chosen while a playlist is shown lists that artist's songs from the library.
    player->SelectArtist(1);
    EXPECT_EQ(Tracks(), (QStringList{Line(1, "One"), Line(2, "Three")}));
    ExpectInStep();

    Choose(QStringLiteral("Empty"));
    EXPECT_TRUE(Tracks().isEmpty());
    EXPECT_TRUE(Artists().isEmpty());
    // Blanks at the ends of a name do not keep its playlist from listing its entries.
    Choose(QStringLiteral(" Padded "));
    EXPECT_EQ(Tracks(), (QStringList{Line(1, "Two")}));
}

TEST_F(Browser, AddPanelPlaylistsAreSortedWithoutRegardToCase) {
    folder.Exec("INSERT INTO tblPlayList VALUES (1, 'road'), (2, 'Alpha'), (3, 'beta');");
    Song(1, "One", "A");
    Load();
    EXPECT_EQ(
        player->lstAddToPlaylist->Items(),
        (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("road")}));
    EXPECT_EQ(player->lstEditPlayList->Items(),
              (QStringList{QStringLiteral("[All Media]"), QStringLiteral("road"),
                           QStringLiteral("Alpha"), QStringLiteral("beta")}));
}

TEST_F(Browser, SearchIgnoresCaseBlanksAndTheFifteenCharacters) {
    Song(1, "Thunder", "AC/DC");
    Song(2, "Back", "ACDC");
    Song(3, "Rock", "AC-DC");
    Song(4, "Roll", "A.C.D.C.");
    Song(5, "Help", "The Beatles");
    Song(6, "About Beatles Songs", "Someone");
    Song(7, "Beatles Forever", "The Beatles");
    Load();
    Search("ac/dc");
    EXPECT_EQ(Ids(), QStringList{QStringLiteral("1")});
    Search("acdc");
    EXPECT_EQ(Ids(), (QStringList{QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
    Search("beatles");
    EXPECT_EQ(Ids(), (QStringList{QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7")}));
    EXPECT_EQ(Tracks().at(2), Line(3, "Beatles Forever")); // artist and title: listed once
    EXPECT_EQ(Artists(), (QStringList{QStringLiteral("[All Artists]"), QStringLiteral("Someone"),
                                      QStringLiteral("The Beatles")}));
    EXPECT_TRUE(player->state.insearch);
    Search("  ");
    EXPECT_EQ(Tracks().size(), 7);
    EXPECT_EQ(Artists().size(), 1 + 6);
    Search("zzz");
    EXPECT_TRUE(Tracks().isEmpty());
    EXPECT_EQ(Artists(), QStringList{QStringLiteral("[All Artists]")});
    Choose(QStringLiteral("[All Media]"));
    EXPECT_FALSE(player->state.insearch);
}

TEST_F(Browser, AllArtistsAfterASearchSearchesAgain) {
    Song(1, "Help", "The Beatles");
    Song(2, "Tide", "Northwind");
    Load();
    Search("help");
    player->SelectArtist(0);
    EXPECT_EQ(Ids(), QStringList{QStringLiteral("1")});
}

TEST_F(Browser, ActivationMakesTheListedTracksThePlayOrder) {
    for (int id = 1; id <= 10; ++id)
        folder.AddSong(id * 2, QStringLiteral("Song %1").arg(id), QStringLiteral("A"),
                       QStringLiteral("/m/%1.mp3").arg(id));
    folder.AddSong(40, QStringLiteral("Other"), QStringLiteral("B"), QStringLiteral("/m/o.mp3"));
    Load();
    Search("song");
    ASSERT_EQ(Tracks().size(), 10);
    player->lstTracks->SetListIndex(2);
    player->lstTracks_DblClick();
    EXPECT_EQ(player->state.lstNowPlaying.Items(), Ids());
    EXPECT_EQ(player->state.lstNowPlaying.ListIndex(), 2);
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("6"));
    EXPECT_TRUE(sender.commands.contains(QStringLiteral("open \"/m/3.mp3\" alias song")));
    // The play order stays when the visible list changes.
    Choose(QStringLiteral("[All Media]"));
    EXPECT_EQ(player->state.lstNowPlaying.ListCount(), 10);
}

TEST_F(Browser, DoubleClickWithNothingSelectedDoesNothing) {
    Song(1, "One", "A");
    Load();
    sender.commands.clear();
    player->lstTracks->SetListIndex(-1);
    player->lstTracks_DblClick();
    EXPECT_TRUE(sender.commands.isEmpty());
    EXPECT_EQ(player->state.lstNowPlaying.ListCount(), 0);
}

// The lists of all media share the library's titles rather than copying them (32,767 songs),
// and keep sharing them through a play count written; a title edited changes the library's
// text and leaves the lines listed as they were until the lists are filled again.
TEST_F(Browser, AllMediaSharesTheTitlesWithTheLibraryUntilATitleChanges) {
    Song(1, "Blue River", "Northwind");
    Song(2, "Tide", "Northwind");
    Load();
    RecordSource& songs = player->datSong;
    const int title = songs.FieldIndex(QStringLiteral("Title"));
    const QStringList& shown = player->skin()->cmbTracks->Items();
    EXPECT_TRUE(shown.isSharedWith(songs.TextsOf(title)));
    songs.MoveFirst();
    songs.Edit();
    songs.SetField(QStringLiteral("playcount"), 3);
    songs.Update();
    EXPECT_TRUE(shown.isSharedWith(songs.TextsOf(title)));
    songs.Edit();
    songs.SetField(QStringLiteral("Title"), QStringLiteral("Red River"));
    songs.Update();
    EXPECT_EQ(songs.TextAt(0, title), QStringLiteral("Red River"));
    EXPECT_EQ(Tracks(), (QStringList{Line(1, "Blue River"), Line(2, "Tide")}));
    EXPECT_EQ(shown.first(), QStringLiteral("Blue River"));
    Choose(QStringLiteral("[All Media]"));
    EXPECT_EQ(Tracks(), (QStringList{Line(1, "Red River"), Line(2, "Tide")}));
}
