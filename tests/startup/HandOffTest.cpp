// The real program, started as a second copy: it must hand its file over and end by itself.
#include "core/CueFile.h"
#include "core/InstanceLock.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

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
}
