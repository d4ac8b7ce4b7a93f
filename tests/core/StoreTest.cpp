#include "core/Store.h"
#include "core/IdRule.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Appends one playlist by the id rule, as the main window does.
int AppendPlayList(RecordSource& source, QString& counter, const QString& name,
                   ScriptedDialogs& dialogs) {
    const int id = BeginAppend(source, counter, QString(), dialogs);
    source.SetField(QStringLiteral("Name"), name);
    source.Update();
    return id;
}

struct OpenSource {
    RecordSource source;
    OpenSource(const QString& table, const QString& path) : source(table) {
        source.SetDatabaseName(path);
        source.Open();
    }
};

void ExecSql(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

} // namespace

TEST(ShippedLibrary, HasTheFourTablesAndAPlaycountDefaultOfZero) {
    EXPECT_TRUE(CheckLibraryFile(QStringLiteral(JUKORA_SHIPPED_LIBRARY)).isEmpty());
    ProgramFolderFixture folder;
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    songs.source.AddNew();
    songs.source.SetField(QStringLiteral("songid"), 1);
    songs.source.SetField(QStringLiteral("Title"), QStringLiteral("A"));
    songs.source.Update();
    songs.source.MoveFirst();
    EXPECT_EQ(songs.source.Field(QStringLiteral("playcount")), QVariant(0));
    EXPECT_EQ(songs.source.Text(QStringLiteral("artist")), QString()); // never written
}

TEST(IdRule, NumbersFromOneAndReusesTheIdentityOfADeletedLastRecord) {
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    OpenSource lists(QStringLiteral("tblPlayList"), folder.Library());
    QString counter;
    EXPECT_EQ(AppendPlayList(lists.source, counter, QStringLiteral("a"), dialogs), 1);
    EXPECT_EQ(AppendPlayList(lists.source, counter, QStringLiteral("b"), dialogs), 2);
    EXPECT_EQ(AppendPlayList(lists.source, counter, QStringLiteral("c"), dialogs), 3);
    lists.source.MoveLast();
    lists.source.Delete();
    // The last record is now 2, so 3 is handed out again.
    EXPECT_EQ(AppendPlayList(lists.source, counter, QStringLiteral("d"), dialogs), 3);
    EXPECT_EQ(counter, QStringLiteral("3"));
}

TEST(IdRule, CounterContinuesOverAnEmptiedTable) {
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    OpenSource lists(QStringLiteral("tblPlayList"), folder.Library());
    QString counter;
    AppendPlayList(lists.source, counter, QStringLiteral("a"), dialogs);
    AppendPlayList(lists.source, counter, QStringLiteral("b"), dialogs);
    for (lists.source.MoveFirst(); !lists.source.Eof(); lists.source.MoveNext())
        lists.source.Delete();
    EXPECT_EQ(lists.source.RecordCount(), 0);
    EXPECT_EQ(AppendPlayList(lists.source, counter, QStringLiteral("c"), dialogs), 3);
    // One counter serves two sequences: an empty table takes over where the other left off.
    OpenSource tracks(QStringLiteral("tblPlayListTracks"), folder.Library());
    EXPECT_EQ(BeginAppend(tracks.source, counter, QString(), dialogs), 4);
}

TEST(IdRule, RefusesAnIdentityAbove32767WithAMessage) {
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    folder.AddSong(32767, QStringLiteral("Last"), QStringLiteral("A"), QStringLiteral("/x.mp3"));
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    QString counter = QStringLiteral("Song ID");
    try {
        BeginAppend(songs.source, counter, QStringLiteral("Song ID"), dialogs);
        FAIL() << "an identity above 32767 was handed out";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.kind(), StoreError::Kind::IdentityRange);
    }
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Jukora - Library full"));
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(QStringLiteral("32767 songs")));
    EXPECT_FALSE(songs.source.HasPending());
    EXPECT_EQ(counter, QStringLiteral("32767"));
    // The store itself refuses it too.
    songs.source.AddNew();
    songs.source.SetField(QStringLiteral("songid"), 32768);
    EXPECT_THROW(songs.source.Update(), StoreError);
    songs.source.Refresh();
    EXPECT_EQ(songs.source.RecordCount(), 1);
}

TEST(RecordSource, AppendsThroughOneSourceShowOnlyAfterRefreshOfAnother) {
    ProgramFolderFixture folder;
    ScriptedDialogs dialogs;
    OpenSource main(QStringLiteral("tblSong"), folder.Library());
    OpenSource add(QStringLiteral("tblSong"), folder.Library());
    QString counter = QStringLiteral("Song ID");
    BeginAppend(add.source, counter, QStringLiteral("Song ID"), dialogs);
    add.source.Update();
    EXPECT_EQ(add.source.RecordCount(), 1);
    EXPECT_EQ(main.source.RecordCount(), 0);
    EXPECT_TRUE(main.source.Eof());
    main.source.Refresh();
    EXPECT_EQ(main.source.RecordCount(), 1);
}

// A refresh may keep the set it holds only when the file is unchanged; every kind of change
// must still be read: another process's commit, another source's edit, and this source's own
// append, which a new read puts in identity order.
TEST(RecordSource, RefreshReadsEveryChangeAndKeepsAnUnchangedSet) {
    ProgramFolderFixture folder;
    folder.AddSong(5, QStringLiteral("Five"), QStringLiteral("A"), QStringLiteral("/m/5.mp3"));
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    songs.source.MoveLast();
    songs.source.Refresh();
    EXPECT_EQ(songs.source.RecordCount(), 1);
    EXPECT_FALSE(songs.source.Eof()); // back on the first record, as after a read
    EXPECT_EQ(songs.source.Text(QStringLiteral("Title")), QStringLiteral("Five"));

    ExecSql(folder.Library(), "UPDATE tblSong SET Title = 'Changed' WHERE songid = 5");
    songs.source.Refresh();
    EXPECT_EQ(songs.source.Text(QStringLiteral("Title")), QStringLiteral("Changed"));

    OpenSource other(QStringLiteral("tblSong"), folder.Library());
    other.source.MoveFirst();
    other.source.Edit();
    other.source.SetField(QStringLiteral("playcount"), 7);
    other.source.Update();
    songs.source.Refresh();
    EXPECT_EQ(songs.source.Number(QStringLiteral("playcount")), 7);

    songs.source.AddNew();
    songs.source.SetField(QStringLiteral("songid"), 2);
    songs.source.Update();
    songs.source.Refresh();
    ASSERT_EQ(songs.source.RecordCount(), 2);
    EXPECT_EQ(songs.source.Number(QStringLiteral("songid")), 2);

    // Another process commits between two refreshes with nothing else going on.
    songs.source.Refresh();
    const pid_t child = fork();
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open(folder.Library().toUtf8().constData(), &db);
        _exit(sqlite3_exec(db, "DELETE FROM tblSong WHERE songid = 2", nullptr, nullptr, nullptr) ==
                      SQLITE_OK
                  ? 0
                  : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    songs.source.Refresh();
    EXPECT_EQ(songs.source.RecordCount(), 1);
}

// The set keeps each record's fields together and in their places through every kind of change,
// and the identity lookup follows the positions.
TEST(RecordSource, FieldsStayWithTheirRecordThroughAppendsEditsDeletesAndWholeTableWrites) {
    ProgramFolderFixture folder;
    folder.AddSong(3, QStringLiteral("Three"), QStringLiteral("C"), QStringLiteral("/m/3.mp3"));
    folder.AddSong(7, QStringLiteral("Seven"), QStringLiteral("G"), QStringLiteral("/m/7.mp3"));
    ExecSql(folder.Library(), "INSERT INTO tblSong (songid, Title, playcount) "
                              "VALUES (9, 'Nine', 5000000000)");
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    RecordSource& s = songs.source;
    const int title = s.FieldIndex(QStringLiteral("Title"));
    const int path = s.FieldIndex(QStringLiteral("filepath"));
    const int plays = s.FieldIndex(QStringLiteral("playcount"));
    EXPECT_EQ(s.AtPosition(2, plays).toLongLong(), 5000000000); // beyond an int: kept whole
    s.AddNew(); // appended after the set, out of identity order
    s.SetField(QStringLiteral("songid"), 1);
    s.SetField(QStringLiteral("Title"), QStringLiteral("One"));
    s.Update();
    ASSERT_EQ(s.RecordCount(), 4);
    EXPECT_EQ(s.TextAt(3, title), QStringLiteral("One"));
    ASSERT_EQ(s.PositionsOf(1).size(), 1u);
    EXPECT_EQ(s.PositionsOf(1)[0], 3);
    EXPECT_TRUE(s.PositionsOf(2).empty());

    s.MoveFirst(); // 3: deleted, so that every later record moves up one place
    s.Delete();
    s.MoveNext(); // 7
    s.Edit();
    s.SetField(QStringLiteral("filepath"), QStringLiteral("/m/seven.mp3"));
    s.Update();
    EXPECT_EQ(s.AtPosition(0, path).toString(), QStringLiteral("/m/seven.mp3"));
    EXPECT_THROW(s.TextAt(0, path), StoreError); // kept as UTF-8, read through AtPosition
    EXPECT_THROW(s.NumberAt(0, title), StoreError);
    EXPECT_EQ(s.TextAt(0, title), QStringLiteral("Seven"));
    EXPECT_EQ(s.TextAt(1, title), QStringLiteral("Nine"));
    EXPECT_EQ(s.PositionsOf(1)[0], 2);
    EXPECT_TRUE(s.PositionsOf(3).empty());
    EXPECT_EQ(s.IdentityText(1), QStringLiteral("9"));

    // Artists are kept once for all their records: editing one record's leaves the others'.
    const int artist = s.FieldIndex(QStringLiteral("artist"));
    s.MoveFirst();
    s.Edit();
    s.SetField(QStringLiteral("artist"), QStringLiteral("One"));
    s.Update();
    s.MoveNext();
    s.Edit();
    s.SetField(QStringLiteral("artist"), QStringLiteral("One"));
    s.Update();
    s.MoveFirst();
    s.Edit();
    s.SetField(QStringLiteral("artist"), QStringLiteral("Other"));
    s.Update();
    EXPECT_EQ(s.TextAt(0, artist), QStringLiteral("Other"));
    EXPECT_EQ(s.TextAt(1, artist), QStringLiteral("One"));
    OpenSource again(QStringLiteral("tblSong"), folder.Library()); // read anew, in identity order
    EXPECT_EQ(again.source.TextAt(again.source.PositionsOf(7)[0], artist), QStringLiteral("Other"));
    EXPECT_EQ(again.source.TextAt(again.source.PositionsOf(9)[0], artist), QStringLiteral("One"));
    EXPECT_EQ(again.source.TextAt(again.source.PositionsOf(1)[0], artist), QString());

    s.SetFieldOfAll(QStringLiteral("playcount"), 2);
    s.SetFieldOfAll(QStringLiteral("artist"), QStringLiteral("All"));
    for (int position = 0; position < s.RecordCount(); ++position) {
        EXPECT_EQ(s.NumberAt(position, plays), 2);
        EXPECT_EQ(s.AtPosition(position, s.FieldIndex(QStringLiteral("artist"))).toString(),
                  QStringLiteral("All"));
    }
    EXPECT_EQ(s.TextAt(2, title), QStringLiteral("One"));
}

// A refresh that cannot read the table fails and leaves the set as it was.
TEST(RecordSource, AFailedRefreshKeepsTheSet) {
    ProgramFolderFixture folder;
    folder.FillSongs(3);
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    ExecSql(folder.Library(), "ALTER TABLE tblSong RENAME TO tblGone");
    EXPECT_THROW(songs.source.Refresh(), StoreError);
    ASSERT_EQ(songs.source.RecordCount(), 3);
    EXPECT_EQ(songs.source.TextAt(2, songs.source.FieldIndex(QStringLiteral("Title"))),
              QStringLiteral("Title 3"));
}

TEST(RecordSource, EmptySetFailsWithNoCurrentRecord) {
    ProgramFolderFixture folder;
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    EXPECT_TRUE(songs.source.Eof());
    for (auto move : {&RecordSource::MoveFirst, &RecordSource::MoveLast}) {
        try {
            (songs.source.*move)();
            FAIL();
        } catch (const StoreError& e) {
            EXPECT_EQ(e.kind(), StoreError::Kind::NoCurrentRecord);
        }
    }
    EXPECT_THROW(songs.source.Field(QStringLiteral("Title")), StoreError);
}

TEST(RecordSource, DeleteLeavesTheCursorOnTheGapAndMoveNextGoesOn) {
    ProgramFolderFixture folder;
    folder.FillSongs(4);
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    songs.source.MoveFirst();
    songs.source.MoveNext(); // on 2
    songs.source.Delete();
    EXPECT_THROW(songs.source.Field(QStringLiteral("songid")), StoreError);
    EXPECT_FALSE(songs.source.Eof());
    songs.source.MoveNext();
    EXPECT_EQ(songs.source.Number(QStringLiteral("songid")), 3);
    // A scan that deletes every match visits every record once.
    int visited = 0;
    for (songs.source.MoveFirst(); !songs.source.Eof(); songs.source.MoveNext()) {
        ++visited;
        songs.source.Delete();
    }
    EXPECT_EQ(visited, 3);
    OpenSource fresh(QStringLiteral("tblSong"), folder.Library());
    EXPECT_EQ(fresh.source.RecordCount(), 0);
}

TEST(RecordSource, EditWritesThroughAndMovingDropsAPendingEdit) {
    ProgramFolderFixture folder;
    folder.FillSongs(2);
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    songs.source.MoveFirst();
    songs.source.Edit();
    songs.source.SetField(QStringLiteral("playcount"), 5);
    songs.source.Update();
    songs.source.MoveNext();
    songs.source.Edit();
    songs.source.SetField(QStringLiteral("Title"), QStringLiteral("dropped"));
    songs.source.MoveFirst(); // drops the pending edit
    EXPECT_THROW(songs.source.Update(), StoreError);
    OpenSource fresh(QStringLiteral("tblSong"), folder.Library());
    fresh.source.MoveFirst();
    EXPECT_EQ(fresh.source.Number(QStringLiteral("playcount")), 5);
    fresh.source.MoveNext();
    EXPECT_EQ(fresh.source.Text(QStringLiteral("Title")), QStringLiteral("Title 2"));
}

TEST(RecordSource, FieldsWithoutValueReadAsEmptyTextOrZero) {
    ProgramFolderFixture folder;
    ExecSql(folder.Library(), "INSERT INTO tblSong (songid, Title, artist, filepath, playcount) "
                              "VALUES (1, NULL, NULL, NULL, 3);"
                              "INSERT INTO tblPlayListTracks (TrackID) VALUES (1);");
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    songs.source.MoveFirst();
    EXPECT_EQ(songs.source.Text(QStringLiteral("Title")), QString());
    EXPECT_EQ(songs.source.Text(QStringLiteral("ARTIST")), QString()); // names ignore case
    OpenSource tracks(QStringLiteral("tblPlayListTracks"), folder.Library());
    tracks.source.MoveFirst();
    EXPECT_EQ(tracks.source.Number(QStringLiteral("songid")), 0);
}

TEST(Matching, ByTextTrimsBlanksAndKeepsCaseByNumberComparesValues) {
    EXPECT_TRUE(MatchesText(QStringLiteral("Blue River  "), QStringLiteral("Blue River")));
    EXPECT_TRUE(MatchesText(QVariant(7), QStringLiteral(" 7 ")));
    EXPECT_FALSE(MatchesText(QVariant(7), QStringLiteral("007")));
    EXPECT_FALSE(MatchesText(QStringLiteral("blue river"), QStringLiteral("Blue River")));
    EXPECT_TRUE(MatchesText(QStringLiteral("\tx"), QStringLiteral("\tx"))); // only blanks trim
    EXPECT_FALSE(MatchesText(QStringLiteral("\tx"), QStringLiteral("x")));
    EXPECT_TRUE(MatchesNumber(QVariant(12), 12));
    EXPECT_FALSE(MatchesNumber(QStringLiteral("abc"), 0));
}

TEST(RecordSource, UpdateIsCommittedWhenTheProgramIsKilledRightAfter) {
    ProgramFolderFixture folder;
    folder.FillSongs(1);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecordSource songs(QStringLiteral("tblSong"));
        songs.SetDatabaseName(folder.Library());
        songs.Open();
        songs.MoveFirst();
        songs.Edit();
        songs.SetField(QStringLiteral("playcount"), 41);
        songs.Update();
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    OpenSource fresh(QStringLiteral("tblSong"), folder.Library());
    fresh.source.MoveFirst();
    EXPECT_EQ(fresh.source.Number(QStringLiteral("playcount")), 41);
}

TEST(RecordSource, WaitsForAnotherWriterInsteadOfFailingOnALockedFile) {
    ProgramFolderFixture folder;
    folder.FillSongs(1);
    OpenSource songs(QStringLiteral("tblSong"), folder.Library());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(folder.Library().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    });
    songs.source.MoveFirst();
    songs.source.Edit();
    songs.source.SetField(QStringLiteral("playcount"), 2);
    EXPECT_NO_THROW(songs.source.Update());
    release.join();
    sqlite3_close(other);
}

class UnusableLibrary : public testing::Test {
protected:
    ProgramFolderFixture folder;
    void ExpectRefusedAndUntouched(const char* what) {
        const QByteArray before = ReadBytes(folder.Library());
        const QString problem = CheckLibraryFile(folder.Library());
        EXPECT_TRUE(problem.contains(QLatin1String(what), Qt::CaseInsensitive))
            << problem.toStdString();
        RecordSource songs(QStringLiteral("tblSong"));
        songs.SetDatabaseName(folder.Library());
        try {
            songs.Open();
            FAIL() << "an unusable library was opened";
        } catch (const StoreError& e) {
            EXPECT_EQ(e.kind(), StoreError::Kind::Unusable);
            EXPECT_TRUE(e.message().contains(folder.Library()));
        }
        EXPECT_EQ(ReadBytes(folder.Library()), before);
    }
};

TEST_F(UnusableLibrary, NotASqliteFile) {
    QFile::remove(folder.Library());
    QFile file(folder.Library());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("Standard Jet DB").repeated(300));
    file.close();
    ExpectRefusedAndUntouched("not a library");
}

TEST_F(UnusableLibrary, DamagedPages) {
    folder.FillSongs(2000);
    QFile file(folder.Library());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_GT(file.size(), 8192);
    for (qint64 page = 1; page * 4096 < file.size(); page += 3) { // headers of many pages
        file.seek(page * 4096);
        file.write(QByteArray(64, '\xFF'));
    }
    file.close();
    ExpectRefusedAndUntouched("damaged");
}

TEST_F(UnusableLibrary, MissingTable) {
    ExecSql(folder.Library(), "DROP TABLE tblFolder");
    ExpectRefusedAndUntouched("tblFolder is missing");
}

TEST_F(UnusableLibrary, MissingField) {
    ExecSql(folder.Library(), "ALTER TABLE tblSong DROP COLUMN filepath");
    ExpectRefusedAndUntouched("filepath of the table tblSong");
}

TEST_F(UnusableLibrary, ReadOnlyFile) {
    QFile::setPermissions(folder.Library(), QFile::ReadOwner | QFile::ReadGroup);
    ExpectRefusedAndUntouched("read-only");
}
