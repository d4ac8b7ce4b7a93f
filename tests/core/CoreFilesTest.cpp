#include "core/CueFile.h"
#include "core/InstanceLock.h"
#include "core/Paths.h"
#include "import/FileNames.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}
} // namespace

TEST(CueFile, RecordIsMarkerOneThenTheIdentityLittleEndian) {
    ProgramFolderFixture folder(false);
    const QString cue = folder.File(CueFileName());
    EXPECT_EQ(WriteCueFileExclusive(cue, 7), CueWrite::Written);
    EXPECT_EQ(ReadBytes(cue), QByteArray("\x01\x00\x07\x00", 4));
    EXPECT_EQ(EncodeCueRecord(1, 0x1234), QByteArray("\x01\x00\x34\x12", 4));
    const auto record = ReadCueFile(cue);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->Marker, 1);
    EXPECT_EQ(record->SongID, 7);
    // Nothing but the cue file is left behind.
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files), QStringList{CueFileName()});
}

TEST(CueFile, APendingFileIsNeverOverwritten) {
    ProgramFolderFixture folder(false);
    const QString cue = folder.File(CueFileName());
    ASSERT_EQ(WriteCueFileExclusive(cue, 3), CueWrite::Written);
    EXPECT_EQ(WriteCueFileExclusive(cue, 9), CueWrite::Pending);
    EXPECT_EQ(ReadBytes(cue), EncodeCueRecord(1, 3));
}

TEST(CueFile, OnlyAFileOfExactlyOneRecordIsRead) {
    ProgramFolderFixture folder(false);
    const QString cue = folder.File(CueFileName());
    for (const QByteArray& bytes :
         {QByteArray("\x01\x00\x07", 3), QByteArray("\x01\x00\x07\x00\x00", 5), QByteArray()}) {
        WriteBytes(cue, bytes);
        EXPECT_FALSE(ReadCueFile(cue).has_value()) << bytes.size();
    }
    EXPECT_FALSE(ReadCueFile(folder.File(QStringLiteral("absent"))).has_value());
}

TEST(CueFile, HandOffWaitsForAPendingFileToBeTaken) {
    ProgramFolderFixture folder(false);
    const QString cue = folder.File(CueFileName());
    ASSERT_EQ(WriteCueFileExclusive(cue, 3), CueWrite::Written);
    std::thread runningCopy([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        QFile::remove(cue);
    });
    EXPECT_TRUE(HandOffSong(cue, 9, 5000));
    runningCopy.join();
    EXPECT_EQ(ReadBytes(cue), EncodeCueRecord(1, 9));
}

TEST(CueFile, HandOffGivesUpWhenNothingIsTakenInTime) {
    ProgramFolderFixture folder(false);
    const QString cue = folder.File(CueFileName());
    ASSERT_EQ(WriteCueFileExclusive(cue, 3), CueWrite::Written);
    QString error;
    EXPECT_FALSE(HandOffSong(cue, 9, 300, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadBytes(cue), EncodeCueRecord(1, 3));
}

// A queue of other copies' hand-offs being taken one after another is not a stall: the wait
// goes on past the stall time as long as the entry keeps changing.
TEST(CueFile, HandOffWaitsOnWhileTheQueueInFrontMoves) {
    ProgramFolderFixture folder(false);
    const QString cue = folder.File(CueFileName());
    ASSERT_EQ(WriteCueFileExclusive(cue, 1), CueWrite::Written);
    std::thread otherCopies([&] {
        // Eight hand-offs, each taken after 150 ms and at once replaced by the next (renamed
        // over it, so the name is never free between them): 1.2 s, four times the stall time.
        const QString next = folder.File(QStringLiteral("next"));
        for (qint16 id = 2; id <= 9; ++id) {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            if (id == 9) {
                QFile::remove(cue);
                break;
            }
            WriteBytes(next, EncodeCueRecord(1, id));
            rename(QFile::encodeName(next).constData(), QFile::encodeName(cue).constData());
        }
    });
    EXPECT_TRUE(HandOffSong(cue, 42, 300));
    otherCopies.join();
    EXPECT_EQ(ReadBytes(cue), EncodeCueRecord(1, 42));
}

TEST(CueFile, TakingRemovesWhatIsNotARegularFileAndNeverWhatALinkNamesOrAFifoBlocksOn) {
    ProgramFolderFixture folder(false);
    const QString cue = folder.File(CueFileName());
    const QByteArray native = QFile::encodeName(cue);

    ASSERT_EQ(WriteCueFileExclusive(cue, 5), CueWrite::Written);
    CueTaken taken = TakeCueFile(cue);
    EXPECT_EQ(taken.what, CueTaken::What::Record);
    EXPECT_EQ(taken.record.SongID, 5);
    EXPECT_FALSE(QFileInfo::exists(cue));
    EXPECT_EQ(TakeCueFile(cue).what, CueTaken::What::Nothing);

    // A link to a valid record: the link goes, its target stays untouched.
    const QString target = folder.File(QStringLiteral("elsewhere.bin"));
    WriteBytes(target, EncodeCueRecord(1, 6));
    ASSERT_EQ(symlink(QFile::encodeName(target).constData(), native.constData()), 0);
    EXPECT_EQ(TakeCueFile(cue).what, CueTaken::What::Cleared);
    EXPECT_FALSE(QFileInfo(cue).isSymLink());
    EXPECT_EQ(ReadBytes(target), EncodeCueRecord(1, 6));

    ASSERT_EQ(symlink("/nowhere/at/all", native.constData()), 0); // dangling
    EXPECT_EQ(TakeCueFile(cue).what, CueTaken::What::Cleared);
    EXPECT_EQ(WriteCueFileExclusive(cue, 7), CueWrite::Written);
    EXPECT_EQ(TakeCueFile(cue).record.SongID, 7);

    // Nobody writes into the FIFO: opening it to read would block for ever.
    ASSERT_EQ(mkfifo(native.constData(), 0600), 0);
    EXPECT_FALSE(ReadCueFile(cue).has_value());
    EXPECT_EQ(TakeCueFile(cue).what, CueTaken::What::Cleared);
    EXPECT_EQ(WriteCueFileExclusive(cue, 8), CueWrite::Written);
    TakeCueFile(cue);

    ASSERT_TRUE(QDir(folder.Path()).mkdir(CueFileName()));
    EXPECT_EQ(TakeCueFile(cue).what, CueTaken::What::Cleared);
    EXPECT_FALSE(QFileInfo::exists(cue));

    ASSERT_TRUE(QDir(folder.Path()).mkpath(CueFileName() + QStringLiteral("/inside")));
    taken = TakeCueFile(cue);
    EXPECT_EQ(taken.what, CueTaken::What::Blocked);
    EXPECT_FALSE(taken.problem.isEmpty());
    EXPECT_TRUE(QFileInfo(cue + QStringLiteral("/inside")).isDir());
    // A waiting copy gives up after the stall time instead of spinning or waiting for ever.
    EXPECT_FALSE(HandOffSong(cue, 9, 200));
}

TEST(Paths, FileExistsOnlyForFiles) {
    ProgramFolderFixture folder(false);
    WriteBytes(folder.File(QStringLiteral("a.mp3")), "x");
    EXPECT_TRUE(FileExists(folder.File(QStringLiteral("a.mp3"))));
    EXPECT_FALSE(FileExists(folder.Path()));
    EXPECT_FALSE(FileExists(folder.File(QStringLiteral("b.mp3"))));
    EXPECT_FALSE(FileExists(QString()));
}

TEST(Paths, FileTitleAndCommandLine) {
    EXPECT_EQ(FileTitleOf(QStringLiteral("/music/A - B.mp3")), QStringLiteral("A - B.mp3"));
    EXPECT_EQ(FileTitleOf(QStringLiteral("plain.mp3")), QStringLiteral("plain.mp3"));
    EXPECT_EQ(FileTitleOf(QStringLiteral("/music/")), QString());
    EXPECT_EQ(CommandLineText(
                  {QStringLiteral("Jukora"), QStringLiteral("/m/My"), QStringLiteral("Song.mp3")}),
              QStringLiteral("/m/My Song.mp3"));
    EXPECT_EQ(CommandLineText({QStringLiteral("Jukora")}), QString());
    EXPECT_EQ(WithoutSurroundingQuotes(QStringLiteral("\"/m/a b.mp3\"")),
              QStringLiteral("/m/a b.mp3"));
    EXPECT_EQ(WithoutSurroundingQuotes(QStringLiteral("/m/a.mp3")), QStringLiteral("/m/a.mp3"));
    EXPECT_EQ(WithoutSurroundingQuotes(QStringLiteral("\"")), QStringLiteral("\""));
}

TEST(Paths, LongPathNameSpellsEachComponentAsStored) {
    ProgramFolderFixture folder(false);
    ASSERT_TRUE(QDir(folder.Path()).mkpath(QStringLiteral("Música/Old~Songs")));
    WriteBytes(folder.File(QStringLiteral("Música/Old~Songs/Über Song.mp3")), "x");
    EXPECT_EQ(LongPathName(folder.Path() + QStringLiteral("/música/OLD~SONGS/über song.MP3")),
              folder.Path() + QStringLiteral("/Música/Old~Songs/Über Song.mp3"));
    EXPECT_EQ(LongPathName(folder.Path() + QStringLiteral("//Música/./Old~Songs/")),
              folder.Path() + QStringLiteral("/Música/./Old~Songs"));
    EXPECT_EQ(LongPathName(folder.Path() + QStringLiteral("/Música/Missing~1/x.mp3")), QString());
    EXPECT_EQ(LongPathName(QString()), QString());
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstReleases) {
    ProgramFolderFixture folder(false);
    InstanceLock first(folder.Path()), second(folder.Path());
    EXPECT_TRUE(first.TryAcquire());
    EXPECT_FALSE(second.TryAcquire());
    first.Release();
    EXPECT_TRUE(second.TryAcquire());
}

TEST(InstanceLock, LockOfAKilledCopyIsTakenOver) {
    ProgramFolderFixture folder(false);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock lock(folder.Path());
        if (!lock.TryAcquire())
            _exit(3);
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(QFile::exists(folder.File(InstanceLock::FileName())));
    InstanceLock next(folder.Path());
    EXPECT_TRUE(next.TryAcquire());
}

TEST(SortedList, SortsWithoutRegardToCaseAndKeepsEqualNamesTogether) {
    SortedList artists(SortedList::Order::Collated, QLocale(QLocale::German, QLocale::Germany));
    for (const char* name : {"beta", "Alpha", "alpha", "Beta", "ÄRZTE", "zed"})
        artists.AddItem(QString::fromUtf8(name));
    const QStringList sorted = artists.Items();
    ASSERT_EQ(sorted.size(), 6);
    EXPECT_EQ(sorted.indexOf(QStringLiteral("alpha")) - sorted.indexOf(QStringLiteral("Alpha")), 1);
    EXPECT_EQ(sorted.indexOf(QStringLiteral("beta")) - sorted.indexOf(QStringLiteral("Beta")), 1);
    EXPECT_LT(sorted.indexOf(QStringLiteral("Alpha")), sorted.indexOf(QStringLiteral("beta")));
    EXPECT_EQ(sorted.last(), QStringLiteral("zed"));
    EXPECT_EQ(sorted.at(2), QString::fromUtf8("ÄRZTE"));

    // Play-count keys: counts compare as numbers, equal counts by their text.
    SortedList keys(SortedList::Order::CountThenText);
    for (const char* key : {"012  4", "005  12", "1000  3", "005  9", "101  2"})
        keys.AddItem(QLatin1String(key));
    EXPECT_EQ(keys.Items(), (QStringList{QStringLiteral("005  12"), QStringLiteral("005  9"),
                                         QStringLiteral("012  4"), QStringLiteral("101  2"),
                                         QStringLiteral("1000  3")}));
    // The order does not depend on the order of adding.
    SortedList again(SortedList::Order::Collated, QLocale(QLocale::German, QLocale::Germany));
    for (qsizetype i = sorted.size() - 1; i >= 0; --i)
        again.AddItem(sorted[i]);
    EXPECT_EQ(again.Items(), sorted);

    // Entries added after a read are sorted in with the entries read, each distinct one kept
    // once with its count.
    again.AddItem(QStringLiteral("alpha"));
    again.AddItem(QStringLiteral("Mid"));
    again.AddItem(QStringLiteral("alpha"));
    ASSERT_EQ(again.ListCount(), 9);
    EXPECT_EQ(again.List(0), QStringLiteral("Alpha"));
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(again.List(i), QStringLiteral("alpha"));
    EXPECT_EQ(again.List(again.ListCount() - 1), QStringLiteral("zed"));
    EXPECT_EQ(again.Distinct().size(), 7);
    EXPECT_EQ(again.Distinct().indexOf(QStringLiteral("Mid")),
              again.Distinct().indexOf(QStringLiteral("beta")) + 1); // after Beta and beta
    again.AssignSorted({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}, {2, 0, 1});
    EXPECT_EQ(again.Items(),
              (QStringList{QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("z")}));
}

TEST(FileNames, CapitalisationAndNormalisation) {
    EXPECT_EQ(firstlettercaps(QStringLiteral("the HOLLOWAYS")), QStringLiteral("The Holloways"));
    EXPECT_EQ(firstlettercaps(QStringLiteral("dr.vale,it's-here")),
              QStringLiteral("Dr.Vale,It's-here"));
    EXPECT_EQ(firstlettercaps(QStringLiteral("élan ÉTÉ")), QStringLiteral("Élan Été"));
    EXPECT_EQ(firstlettercaps(QString()), QString());
    const NormalisedItem video =
        NormaliseItem(QStringLiteral(" /v/clip.AVI"), QStringLiteral("rock & roll "),
                      QStringLiteral("it's.here!"));
    EXPECT_EQ(video.artist, QStringLiteral("Rock + Roll"));
    EXPECT_EQ(video.title, QStringLiteral("It's Here [video]"));
    EXPECT_EQ(video.path, QStringLiteral("/v/clip.AVI"));
    EXPECT_TRUE(video.fits);
    EXPECT_FALSE(
        NormaliseItem(QStringLiteral("/a.mp3"), QStringLiteral("A"), QString(81, QLatin1Char('t')))
            .fits);
    EXPECT_FALSE(NormaliseItem(QLatin1Char('/') + QString(255, QLatin1Char('p')),
                               QStringLiteral("A"), QStringLiteral("T"))
                     .fits);
}
