// Counting the start of a song the player is started with: while another program (a backup
// tool, the sqlite3 shell) holds the library locked the song plays and its start is counted
// once the lock is gone; a count another tool wrote at its limit stays there.
#include "playback/DeferredCounts.h"
#include "skin/frmPlayer.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Another process that holds `BEGIN EXCLUSIVE` on the library for `holdMs`, then commits.
class LockHolder {
public:
    LockHolder(const QString& library, int holdMs) {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        child_ = fork();
        if (child_ == 0) {
            close(ready[0]);
            sqlite3* db = nullptr;
            char ok = 0;
            if (sqlite3_open_v2(library.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE,
                                nullptr) == SQLITE_OK &&
                sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK)
                ok = 1;
            (void)!write(ready[1], &ok, 1);
            usleep(static_cast<useconds_t>(holdMs) * 1000);
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            _exit(ok ? 0 : 1);
        }
        close(ready[1]);
        char ok = 0;
        locked_ = child_ > 0 && read(ready[0], &ok, 1) == 1 && ok == 1;
        close(ready[0]);
    }
    ~LockHolder() {
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
    }
    bool Locked() const { return locked_; }
    // True once the holder has let go (it ended).
    bool Released() {
        if (child_ <= 0)
            return true;
        if (waitpid(child_, nullptr, WNOHANG) != child_)
            return false;
        child_ = -1;
        return true;
    }

private:
    pid_t child_ = -1;
    bool locked_ = false;
};

class LockedLibrary : public PlayerTest<> {
protected:
    void StartWith(const QString& song) {
        MakePlayer(song, {song});
        player->Form_Load();
    }
    std::string Prompts() const {
        std::string all;
        for (const auto& shown : dialogs.shown)
            all += shown.prompt.toStdString() + "\n";
        return all;
    }
    bool ToldOfTheLock() const {
        for (const auto& shown : dialogs.shown)
            if (!shown.prompt.contains(QStringLiteral("another program"), Qt::CaseInsensitive) ||
                !shown.prompt.contains(QStringLiteral("locked")) ||
                shown.prompt.contains(QStringLiteral("backup")) ||
                shown.prompt.contains(QStringLiteral("damaged")))
                return false;
        return !dialogs.shown.empty();
    }
};

} // namespace

TEST_F(LockedLibrary, TheSongPlaysAndItsStartIsCountedOnceTheLockIsGone) {
    folder.FillSongs(3);
    folder.MakeSongFiles(3);
    LockHolder holder(folder.Library(), 5000);
    ASSERT_TRUE(holder.Locked());
    QElapsedTimer clock;
    clock.start();
    StartWith(folder.SongFile(2));
    ASSERT_TRUE(WaitFor([&] { return player->state.songplaying; }, 4000));
    EXPECT_LT(clock.elapsed(), 4000) << "the player waited for the lock";
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("2"));
    EXPECT_TRUE(player->tmrPlay.isActive()); // the running time goes on
    EXPECT_TRUE(sender.commands.contains(QStringLiteral("play song")));
    EXPECT_TRUE(ToldOfTheLock()) << Prompts();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(folder.PlayCount(2), 0);
    ASSERT_TRUE(WaitFor([&] { return holder.Released(); }, 8000));
    EXPECT_TRUE(WaitFor([&] { return folder.PlayCount(2) == 1; }, 4000));
    Settle(1500);
    EXPECT_EQ(folder.PlayCount(2), 1); // counted once, not once per retry
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

// With a rollback journal the lock keeps even readers out: start-up says the file is in use
// (not damaged) and opens it as soon as it is free.
TEST_F(LockedLibrary, ARollbackJournalLibraryLockedAtStartOpensOnceFree) {
    folder.FillSongs(3);
    folder.MakeSongFiles(3);
    folder.Exec("PRAGMA journal_mode=DELETE");
    LockHolder holder(folder.Library(), 8000); // past the store's own wait
    ASSERT_TRUE(holder.Locked());
    StartWith(folder.SongFile(3));
    EXPECT_FALSE(player->IsUnloaded());
    EXPECT_TRUE(ToldOfTheLock()) << Prompts();
    ASSERT_TRUE(WaitFor(
        [&] {
            if (player->Timer1.isActive())
                player->Timer1_Timer();
            return player->state.songplaying;
        },
        20000));
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("3"));
    EXPECT_TRUE(WaitFor([&] { return folder.PlayCount(3) == 1; }, 4000));
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(LockedLibrary, ACountAtItsLimitStaysWhereItIs) {
    folder.FillSongs(2);
    folder.MakeSongFiles(2);
    folder.Exec("UPDATE tblSong SET playcount = 9223372036854775807 WHERE songid = 1;"
                "UPDATE tblSong SET playcount = 2147483647 WHERE songid = 2");
    StartWith(folder.SongFile(1));
    ASSERT_TRUE(WaitFor(
        [&] {
            if (player->Timer1.isActive())
                player->Timer1_Timer();
            return player->state.songplaying;
        },
        5000));
    EXPECT_EQ(folder.Rows("SELECT playcount FROM tblSong WHERE songid = 1"),
              QStringList{QStringLiteral("9223372036854775807")});
    player->PlaySong(2, QString()); // past the 32-bit limit is no limit
    EXPECT_EQ(folder.Rows("SELECT playcount FROM tblSong WHERE songid = 2"),
              QStringList{QStringLiteral("2147483648")});
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(CountAfterStarts(std::numeric_limits<qint64>::max() - 1, 5),
              std::numeric_limits<qint64>::max());
}
