// The real program, started as a second copy: it must hand its file over and end by itself.
#include "core/CueFile.h"
#include "core/InstanceLock.h"
#include "skin/frmPlayer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <set>

TEST(SecondCopyProcess, HandsTheSongToTheRunningCopyAndExits) {
    ProgramFolderFixture folder;
    folder.FillSongs(12);
    folder.MakeSongFiles(12);
    InstanceLock running(folder.Path());
    ASSERT_TRUE(running.TryAcquire());
    QProcess second;
    second.setProcessEnvironment(PlayerEnvironment(folder.Path()));
    second.start(QStringLiteral(JUKORA_PLAYER_BINARY), {folder.SongFile(12)});
    ASSERT_TRUE(second.waitForFinished(20000)) << "the second copy did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(ReadBytes(folder.File(CueFileName())), EncodeCueRecord(1, 12));
}

// A file manager opening twenty selected library songs starts twenty copies at once. This
// test's player is the running copy; every song must reach it (the first plays, the others
// queue), every copy must end by itself, and nothing may be left in the program folder.
TEST(SecondCopyProcess, TwentyCopiesStartedAtOnceAllHandTheirSongsOver) {
    constexpr int kCopies = 20;
    ProgramFolderFixture folder;
    folder.FillSongs(kCopies);
    folder.MakeSongFiles(kCopies);
    ScriptedDialogs dialogs;
    RecordingSender sender;
    frmPlayer running(PlayerServices{dialogs, sender, folder.Path(), QString()});
    LoadAndReload(running);
    ASSERT_FALSE(running.IsUnloaded());
    const QStringList before =
        QDir(folder.Path())
            .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);

    std::vector<std::unique_ptr<QProcess>> copies;
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= kCopies; ++i) {
        copies.push_back(std::make_unique<QProcess>());
        copies.back()->setProcessEnvironment(PlayerEnvironment(folder.Path()));
        copies.back()->start(QStringLiteral(JUKORA_PLAYER_BINARY), {folder.SongFile(i)});
    }
    auto delivered = [&] {
        std::set<QString> ids(running.state.lstCuedSongsPath.Items().begin(),
                              running.state.lstCuedSongsPath.Items().end());
        if (running.state.songplaying)
            ids.insert(running.state.lblNowPlaying);
        return ids;
    };
    auto allEnded = [&] {
        for (const auto& copy : copies)
            if (copy->state() != QProcess::NotRunning)
                return false;
        return true;
    };
    EXPECT_TRUE(WaitFor([&] { return delivered().size() == kCopies && allEnded(); }, 90000));
    std::cout << "20 hand-offs: " << delivered().size() << " delivered, " << clock.elapsed()
              << " ms after the copies were started\n";
    std::set<QString> expected;
    for (int i = 1; i <= kCopies; ++i)
        expected.insert(QString::number(i));
    EXPECT_EQ(delivered(), expected);
    EXPECT_EQ(running.state.lstCuedSongsPath.ListCount(), kCopies - 1); // each song once
    for (const auto& copy : copies) {
        EXPECT_EQ(copy->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy->exitCode(), 0) << copy->readAllStandardError().toStdString();
    }
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(QDir(folder.Path())
                  .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
              before); // no cue file, no temporary file
    running.close();
}

TEST(PlayerProcess, WithoutADisplaySaysSoAndExits) {
    QProcess player;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QLatin1String(name));
    player.setProcessEnvironment(env);
    player.start(QStringLiteral(JUKORA_PLAYER_BINARY), {});
    ASSERT_TRUE(player.waitForFinished(10000));
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(player.exitCode(), 0);
    EXPECT_TRUE(player.readAllStandardError().contains("needs a graphical display"));

    // A display that nothing answers on: said, and a normal exit rather than an abort.
    int unused = 9000;
    while (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(unused)))
        ++unused;
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(unused));
    player.setProcessEnvironment(env);
    player.start(QStringLiteral(JUKORA_PLAYER_BINARY), {});
    ASSERT_TRUE(player.waitForFinished(10000));
    EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(player.exitCode(), 2);
    EXPECT_TRUE(player.readAllStandardError().contains(
        QStringLiteral("cannot reach the display \":%1\"").arg(unused).toUtf8()));
}
