#include "import/FileListBox.h"
#include "import/FileNames.h"
#include "import/frmAdd.h"
#include "skin/frmPlayer.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

struct Song {
    int id;
    QString artist, title, path;
};

class Import : public PlayerTest<> {
protected:
    ProgramFolderFixture music{false};

    void SetUp() override { MakePlayer(); }
    // The add-media window, loaded as the user meets it: its counters read (load timer run).
    frmAdd& Window() {
        const bool wasLoaded = player->addIfLoaded() && player->addIfLoaded()->IsLoaded();
        frmAdd& window = *player->add();
        if (!wasLoaded)
            for (int i = 0; i < 3; ++i)
                window.tmrLoad_Timer();
        return window;
    }
    QString MakeFiles(const QString& sub, const QStringList& names) {
        const QString path = music.File(sub);
        QDir().mkpath(path);
        for (const QString& name : names) {
            QFile file(path + QLatin1Char('/') + name);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        }
        return path;
    }
    void Open(const QString& path) {
        Window().SetDirPath(path);
        ASSERT_EQ(Window().File1->Path(), path);
    }
    std::vector<Song> Songs() {
        RecordSource songs(QStringLiteral("tblSong"));
        songs.SetDatabaseName(folder.Library());
        songs.Open();
        std::vector<Song> all;
        for (int i = 0; i < songs.RecordCount(); ++i, songs.MoveNext()) {
            if (i == 0)
                songs.MoveFirst();
            all.push_back(
                {songs.Number(QStringLiteral("songid")), songs.Text(QStringLiteral("artist")),
                 songs.Text(QStringLiteral("Title")), songs.Text(QStringLiteral("filepath"))});
        }
        return all;
    }
    QStringList Folders() {
        RecordSource folders(QStringLiteral("tblFolder"));
        folders.SetDatabaseName(folder.Library());
        folders.Open();
        QStringList all;
        for (int i = 0; i < folders.RecordCount(); ++i, folders.MoveNext()) {
            if (i == 0)
                folders.MoveFirst();
            all << folders.Text(QStringLiteral("FolderID")) + QLatin1Char(':') +
                       folders.Text(QStringLiteral("folder"));
        }
        return all;
    }
    // Adds one file by the file-name rule, as the "add file" button does.
    void AddOne(const QString& name) {
        const QString path = MakeFiles(QStringLiteral("one"), {name});
        Open(path);
        const auto items = Window().File1->findItems(name, Qt::MatchExactly);
        ASSERT_FALSE(items.isEmpty()) << name.toStdString();
        Window().File1->setCurrentItem(items[0]);
        Window().imgAddOver_Click();
    }
};

} // namespace

TEST(FileNameRule, SplitsCutsAndCapitalises) {
    struct Case {
        const char* name;
        const char* artist;
        const char* title;
    };
    const Case cases[] = {
        {"Northwind - Blue River.mp3", "Northwind", "Blue River"},
        {"the HOLLOWAYS - over the hill.wma", "The Holloways", "Over The Hill"},
        {"Track01.wav", "Unknown", "Track01"},
        {"Dr. Vale - It's.Here.mp3", "Dr Vale", "It's Here"},
        {"rock & roll band - x.mp3", "Rock + Roll Band", "X"},
        {"clip.avi", "Unknown", "Clip [video]"},
        {"movie.mpeg", "Unknown", "Movie [video]"},
        {"SONG.MP3", "Unknown", "Song"},
        {"ab/cd - t.n.t.mp3", "Ab/cd", "T N T"},
        {"a,b - x.mp3", "A,B", "X"},
        {"A - B - C.mp3", "A", "B - C"},
        {"élan vital - über.mp3", "Élan Vital", "Über"},
    };
    for (const Case& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        ASSERT_TRUE(IsAcceptedType(name)) << c.name;
        const auto split = SplitFileName(name);
        ASSERT_TRUE(split.has_value()) << c.name;
        const NormalisedItem item =
            NormaliseItem(QStringLiteral("/m/") + name, split->artist, split->title);
        EXPECT_EQ(item.artist, QString::fromUtf8(c.artist)) << c.name;
        EXPECT_EQ(item.title, QString::fromUtf8(c.title)) << c.name;
    }
    EXPECT_FALSE(SplitFileName(QStringLiteral(".mp3")).has_value());
    EXPECT_FALSE(IsAcceptedType(QStringLiteral("Readme.txt")));
    EXPECT_TRUE(IsVideoPath(QStringLiteral("/m/anything.jpeg"))); // "peg" is a video
}

TEST_F(Import, AddFileNumbersOnFromTheLastSong) {
    folder.AddSong(41, QStringLiteral("Old"), QStringLiteral("A"), QStringLiteral("/m/old.mp3"));
    AddOne(QStringLiteral("Northwind - Blue River.mp3"));
    AddOne(QStringLiteral("Northwind - Blue River.mp3")); // the same file twice: two items
    const auto songs = Songs();
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[1].id, 42);
    EXPECT_EQ(songs[2].id, 43);
    EXPECT_EQ(songs[1].artist, QStringLiteral("Northwind"));
    EXPECT_EQ(songs[1].path, music.File(QStringLiteral("one/Northwind - Blue River.mp3")));
}

TEST_F(Import, AddFileRefusesLongNamesAndLists) {
    Window().addfile(QStringLiteral("/m/short.mp3"), QStringLiteral("A"),
                     QString(81, QLatin1Char('t')));
    const QString longPath = QLatin1Char('/') + QString(255, QLatin1Char('p'));
    Window().addfile(longPath, QStringLiteral("A"), QStringLiteral("T"));
    EXPECT_TRUE(Songs().empty());
    EXPECT_EQ(Window().longfilelist, QStringLiteral("\r\n/m/short.mp3\r\n") + longPath);
    EXPECT_TRUE(player->Timer1.isActive()); // the main window re-reads its songs
    Window().addfile(QStringLiteral("/m/ok.mp3"), QStringLiteral("A"), QStringLiteral("T"));
    ASSERT_EQ(Songs().size(), 1u);
    EXPECT_EQ(Songs()[0].id, 1); // a refused item used no identity
}

TEST_F(Import, FolderImportAddsTheSuitableFilesAndRemembersTheFolder) {
    const QString path =
        MakeFiles(QStringLiteral("A"), {QStringLiteral("a.mp3"), QStringLiteral("Readme.txt"),
                                        QStringLiteral("B - C.wav"),
                                        QStringLiteral("LOUD - SONG.MP3"), QStringLiteral(".mp3")});
    Open(path);
    Window().imgAddAllOver_Click();
    const auto songs = Songs();
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0].artist + QLatin1Char('/') + songs[0].title, QStringLiteral("Unknown/A"));
    EXPECT_EQ(songs[1].artist + QLatin1Char('/') + songs[1].title, QStringLiteral("B/C"));
    EXPECT_EQ(songs[2].artist + QLatin1Char('/') + songs[2].title, QStringLiteral("Loud/Song"));
    EXPECT_EQ(Folders(), QStringList{QStringLiteral("1:") + path});
    EXPECT_TRUE(dialogs.shown.empty());
    // Hide option on (the start state): back to the main window, which reloads.
    EXPECT_FALSE(player->addIfLoaded()->IsLoaded());
    EXPECT_TRUE(player->Timer1.isActive());
}

// Names that would make rows which can never play: bytes that are not UTF-8 (read back with
// replacement characters, so the file is never found again) and a double quote (which ends the
// quoted path of the media command). They are refused and named; the rest is imported.
TEST_F(Import, NamesThatCouldNeverPlayAreRefusedAndNamed) {
    const QString path = MakeFiles(QStringLiteral("odd"), {QStringLiteral("Good - One.mp3"),
                                                           QStringLiteral("with \"quote\".mp3")});
    const QByteArray latin1 = QFile::encodeName(path) + "/Caf\xe9 \xff - Song.mp3";
    const int fd = open(latin1.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    close(fd);
    Open(path);
    Window().imgAddAllOver_Click();
    const auto songs = Songs();
    ASSERT_EQ(songs.size(), 1u);
    EXPECT_EQ(songs[0].path, path + QStringLiteral("/Good - One.mp3"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(QStringLiteral("with \"quote\".mp3")));
    // A name read back with replacement characters is refused wherever it comes from.
    EXPECT_THROW(Window().addfile(path + QStringLiteral("/Caf\uFFFD - Song.mp3"),
                                  QStringLiteral("Caf\uFFFD"), QStringLiteral("Song")),
                 StoreError);
    EXPECT_EQ(Songs().size(), 1u);

    // One file at a time: the same refusal, with its reason.
    dialogs.shown.clear();
    AddOne(QStringLiteral("say \"hi\" - There.mp3"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(QStringLiteral("double quote")));
    EXPECT_EQ(Songs().size(), 1u);
}

TEST_F(Import, TheSameFolderTwiceAsksFirst) {
    const QString path = MakeFiles(QStringLiteral("A"), {QStringLiteral("a.mp3")});
    Open(path);
    Window().imgAddAllOver_Click();
    Open(path);
    dialogs.answers = {MsgResult::No};
    Window().imgAddAllOver_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              QStringLiteral("This folder has already been added, please select the individual "
                             "files to add or continue and repeat the folder.\r\nWould you like "
                             "to continue?"));
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(Songs().size(), 1u);
    dialogs.answers = {MsgResult::Yes};
    Window().imgAddAllOver_Click();
    EXPECT_EQ(Songs().size(), 2u);
    EXPECT_EQ(Folders().size(), 2);
}

TEST_F(Import, EmptyFolderWritesNothing) {
    Open(MakeFiles(QStringLiteral("empty"), {}));
    Window().imgAddAllOver_Click();
    EXPECT_TRUE(Folders().isEmpty());
    EXPECT_TRUE(player->addIfLoaded()->IsLoaded());
}

TEST_F(Import, LongNamesAreReportedAfterTheImport) {
    QString deep = QStringLiteral("d");
    for (int i = 0; i < 6; ++i)
        deep += QStringLiteral("/") + QString(40, QLatin1Char('x'));
    const QString path = MakeFiles(deep, {QStringLiteral("Artist - Song.mp3")});
    Open(path);
    Window().imgAddAllOver_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              QStringLiteral("The following files could not be added because of long "
                             "filenames\r\n") +
                  path + QStringLiteral("/Artist - Song.mp3"));
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Jukora"));
}

TEST_F(Import, FolderIdentitiesContinueAcrossLoadsOfTheWindow) {
    const QString a = MakeFiles(QStringLiteral("A"), {QStringLiteral("a.mp3")});
    const QString b = MakeFiles(QStringLiteral("B"), {QStringLiteral("b.mp3")});
    const QString c = MakeFiles(QStringLiteral("C"), {QStringLiteral("c.mp3")});
    Window().imgCheckChecked->hide(); // keep the window open between imports
    Window().imgCheck->show();
    Open(a);
    Window().imgAddAllOver_Click();
    Open(b);
    Window().imgAddAllOver_Click();
    EXPECT_TRUE(Window().IsLoaded());
    Window().imgBackOver_Click();
    EXPECT_FALSE(player->addIfLoaded()->IsLoaded());
    // Opened again: the check box is ticked again and the counters come from the library.
    frmAdd& again = *player->add();
    EXPECT_TRUE(again.imgCheckChecked->isVisibleTo(&again));
    EXPECT_EQ(again.lblEntryCount2, QStringLiteral("Folder ID"));
    for (int i = 0; i < 3; ++i)
        again.tmrLoad_Timer();
    EXPECT_FALSE(again.tmrLoad.isActive());
    EXPECT_EQ(Window().lblEntryCount, QStringLiteral("2"));
    EXPECT_EQ(Window().lblEntryCount2, QStringLiteral("2"));
    Open(c);
    Window().imgAddAllOver_Click();
    EXPECT_EQ(Folders().last(), QStringLiteral("3:") + c);
}

TEST_F(Import, PatternsListFilesWithoutRegardToCase) {
    const QString path =
        MakeFiles(QStringLiteral("P"),
                  {QStringLiteral("a.MPG"), QStringLiteral("b.mpeg"), QStringLiteral("c.avi"),
                   QStringLiteral("d.WMV"), QStringLiteral("e.mp3"), QStringLiteral("f.vob")});
    Open(path);
    EXPECT_EQ(Window().File1->count(), 6);
    Window().cmbPattern->setCurrentIndex(1); // "*.mpg; *.mpeg; *.avi; *.wmv"
    EXPECT_EQ(Window().File1->count(), 4);
    Window().cmbPattern->setEditText(QStringLiteral("*.v"));
    EXPECT_EQ(Window().File1->count(), 0);
    Window().cmbPattern->setEditText(QStringLiteral("*.vob"));
    EXPECT_EQ(Window().File1->count(), 1);
}

TEST_F(Import, LongImportsShowTheirProgress) {
    QStringList names;
    for (int i = 0; i < 300; ++i)
        names << QStringLiteral("Band - Song %1.mp3").arg(i);
    Open(MakeFiles(QStringLiteral("many"), names));
    Window().progressDelayMs = 0;
    int seenMaximum = 0;
    QObject::connect(Window().progress, &QProgressBar::valueChanged,
                     [&](int) { seenMaximum = Window().progress->maximum(); });
    Window().imgAddAllOver_Click();
    EXPECT_EQ(seenMaximum, 300);
    EXPECT_EQ(Songs().size(), 300u);
    EXPECT_FALSE(Window().progress->isVisibleTo(&Window()));
}

TEST_F(Import, AFirstFolderImportAfterAFolderOnlyLibraryTakesTheNextFolderId) {
    // A folder without media was imported once: tblFolder has a row, tblSong none, so the
    // window's counter load stops before the folder counter.
    folder.Exec("INSERT INTO tblFolder VALUES (1, '/somewhere');");
    Open(MakeFiles(QStringLiteral("A"), {QStringLiteral("Band - Song.mp3")}));
    EXPECT_EQ(Window().lblEntryCount2, QStringLiteral("Folder ID"));
    Window().imgAddAllOver_Click();
    EXPECT_EQ(Songs().size(), 1u);
    EXPECT_EQ(Folders().last(), QStringLiteral("2:") + music.File(QStringLiteral("A")));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Import, AnAppendTheLibraryRefusesIsReported) {
    folder.Exec("CREATE TRIGGER refuse BEFORE INSERT ON tblSong "
                "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;");
    const QString path = MakeFiles(
        QStringLiteral("A"), {QStringLiteral("Band - One.mp3"), QStringLiteral("Band - Two.mp3")});
    Open(path);
    AddOne(QStringLiteral("Band - One.mp3"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(music.File(QStringLiteral("one/Band - One.mp3"))));
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(QStringLiteral("refused by the test")));
    dialogs.shown.clear();
    Open(path);
    Window().imgAddAllOver_Click();
    ASSERT_EQ(dialogs.shown.size(), 1u); // one message for the whole folder
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(QStringLiteral("these files")));
    EXPECT_TRUE(dialogs.shown[0].prompt.contains(path + QStringLiteral("/Band - Two.mp3")));
    EXPECT_TRUE(Songs().empty());
}

TEST_F(Import, HiddenFilesAreNeitherListedNorImported) {
    const QString path = MakeFiles(QStringLiteral("H"), {QStringLiteral(".hidden - Junk.mp3"),
                                                         QStringLiteral("Real - Song.mp3")});
    Open(path);
    ASSERT_EQ(Window().File1->count(), 1);
    EXPECT_EQ(Window().File1->item(0)->text(), QStringLiteral("Real - Song.mp3"));
    Window().imgAddAllOver_Click();
    ASSERT_EQ(Songs().size(), 1u);
    EXPECT_EQ(Songs()[0].artist, QStringLiteral("Real"));
}

TEST_F(Import, ClosingTheWindowDuringAnImportStopsItAndSaysHowManyWereAdded) {
    QStringList names;
    for (int i = 0; i < 50; ++i)
        names << QStringLiteral("Band - Song %1.mp3").arg(i);
    Open(MakeFiles(QStringLiteral("many"), names));
    Window().progressDelayMs = 0; // the import lets window events in from its first file
    Window().show();
    QTimer::singleShot(0, &Window(), [this] { Window().close(); });
    Window().imgAddAllOver_Click();
    const size_t added = Songs().size();
    EXPECT_GE(added, 1u);
    EXPECT_LT(added, 50u);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].prompt,
              QStringLiteral("The folder import was stopped: %1 %2 added to the library.")
                  .arg(added)
                  .arg(added == 1 ? QStringLiteral("file was") : QStringLiteral("files were")));
    EXPECT_FALSE(player->addIfLoaded()->IsLoaded());
    EXPECT_TRUE(player->Timer1.isActive()); // back to the main window, which reloads
}

TEST_F(Import, ClosingTheMainWindowDuringAnImportEndsTheProgramAfterIt) {
    QStringList names;
    for (int i = 0; i < 50; ++i)
        names << QStringLiteral("Band - Song %1.mp3").arg(i);
    Open(MakeFiles(QStringLiteral("many"), names));
    Window().progressDelayMs = 0;
    player->show();
    Window().show();
    bool ended = false;
    QObject::connect(player.get(), &frmPlayer::Unloaded, [&] { ended = true; });
    QTimer::singleShot(0, player.get(), [this] { player->close(); });
    Window().imgAddAllOver_Click();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(player->IsUnloaded());
    EXPECT_FALSE(player->isVisible()); // nothing comes back after the unload
    EXPECT_FALSE(player->Timer1.isActive());
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_LT(Songs().size(), 50u);
}

TEST_F(Import, TheWindowOpensOverThePlayerAndShowsWhereTheUserIs) {
    player->move(200, 150);
    player->show();
    frmAdd& window = Window();
    window.show();
    EXPECT_LT(
        (window.frameGeometry().center() - player->frameGeometry().center()).manhattanLength(), 4);
    // The caption of the check box is shown whole.
    auto* caption = window.findChild<QLabel*>(QStringLiteral("Label4"));
    ASSERT_NE(caption, nullptr);
    const QRect needed = caption->fontMetrics().boundingRect(
        caption->contentsRect(), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, caption->text());
    EXPECT_TRUE(caption->contentsRect().contains(needed));
    // The folder list: the chain from the root down to the folder, then its folders.
    const QString root = MakeFiles(QStringLiteral("top"), {});
    MakeFiles(QStringLiteral("top/inner"), {});
    Open(root);
    QStringList shown;
    for (int i = 0; i < window.Dir1->count(); ++i)
        shown << window.Dir1->item(i)->text();
    QStringList chain{QStringLiteral("/")};
    chain << root.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    EXPECT_EQ(shown, chain + QStringList{QStringLiteral("inner")});
    EXPECT_EQ(window.Dir1->currentRow(), chain.size() - 1); // the folder the user is in
    // Enter opens a folder as a double click does, down and back up.
    window.Dir1->setFocus();
    window.Dir1->setCurrentRow(window.Dir1->count() - 1);
    QTest::keyClick(window.Dir1, Qt::Key_Return);
    EXPECT_EQ(window.DirPath(), root + QStringLiteral("/inner"));
    window.Dir1->setCurrentRow(0);
    QTest::keyClick(window.Dir1, Qt::Key_Enter);
    EXPECT_EQ(window.DirPath(), QStringLiteral("/"));
}
