// The media service over the recording stand-in for libmpv: what it hands the player, which
// the tests over the real library cannot see.
#include "support/RecordingMpv.h"
#include "media/MediaModules.h"
#include "media/MpvMciService.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

class OverRecording : public testing::Test {
protected:
    RecordingMpv mpv; // made first: the service's players are destroyed before it goes
    MpvMciService service;
    ScriptedDialogs dialogs;
    MediaContext media{service, dialogs, QString()};
    ProgramFolderFixture folder{false};

    // A file the stand-in plays for `seconds`.
    QString Song(const QString& name, int seconds = 3) {
        const QString path = folder.File(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(seconds * 1000, 'x'));
        return path;
    }
    QString Mode() {
        QString reply;
        service.SendString(QStringLiteral("status song mode"), &reply, 128);
        return reply;
    }
};

} // namespace

// The song's path arrives as the same bytes, whatever blanks, quotes and letters it holds,
// plays, and is seen to finish once its length has passed.
TEST_F(OverRecording, TheSongsPathReachesThePlayerByteForByte) {
    for (const QString& name :
         {QStringLiteral("two  blanks.mp3"), QStringLiteral("it's \"quoted\".mp3"),
          QStringLiteral("Ünïcødé – 曲.mp3"), QStringLiteral("ends in a quote\"")}) {
        media.SongFile = Song(name);
        const QByteArray expected = media.SongFile.toUtf8();
        ASSERT_TRUE(MP3::OpenAndPlaySong(media)) << name.toStdString();
        ASSERT_FALSE(mpv.loaded.empty());
        EXPECT_EQ(mpv.loaded.back(), expected);
        EXPECT_EQ(Mode(), QStringLiteral("playing"));
        EXPECT_FALSE(MP3::SongFinished(media));
        mpv.Pass(4);
        EXPECT_TRUE(MP3::SongFinished(media)) << name.toStdString();
    }
    EXPECT_EQ(mpv.LiveHandles(), 1); // each open closed the song before it
    // Opened paused, and held at its end rather than unloaded there.
    EXPECT_TRUE(mpv.lastOptions.contains(QStringLiteral("pause=yes")));
    EXPECT_TRUE(mpv.lastOptions.contains(QStringLiteral("keep-open=yes")));
    EXPECT_TRUE(mpv.misuses.isEmpty()) << mpv.misuses.join(QLatin1Char('|')).toStdString();
}

// A file the player cannot load leaves no player behind, a missing one never reaches it, and an
// empty command leaves no older reply standing.
TEST_F(OverRecording, FailuresLeaveNoPlayerAndNoStaleReply) {
    const QString empty = Song(QStringLiteral("empty.mp3"), 0);
    EXPECT_EQ(service.SendString(QStringLiteral("open \"") + empty + QStringLiteral("\" alias a")),
              MpvMciService::CannotPlay);
    EXPECT_EQ(mpv.loaded.size(), 1u);
    EXPECT_EQ(mpv.LiveHandles(), 0);
    EXPECT_EQ(service.SendString(QStringLiteral("open \"/no/such.mp3\" alias a")),
              MpvMciService::FileNotFound);
    EXPECT_EQ(mpv.loaded.size(), 1u);

    const QString song = Song(QStringLiteral("a.mp3"));
    for (const char* alias : {"a", "b"})
        ASSERT_EQ(service.SendString(
                      QStringLiteral("open \"%1\" alias %2").arg(song, QLatin1String(alias))),
                  0u);
    EXPECT_EQ(mpv.LiveHandles(), 2);
    QString reply;
    ASSERT_EQ(service.SendString(QStringLiteral("status a length"), &reply, 128), 0u);
    EXPECT_EQ(reply, QStringLiteral("3000"));
    EXPECT_EQ(service.SendString(QStringLiteral("   "), &reply, 128),
              MpvMciService::UnknownCommand);
    EXPECT_EQ(reply, QString());
    EXPECT_EQ(service.SendString(QStringLiteral("close all")), 0u);
    EXPECT_EQ(mpv.LiveHandles(), 0);
    EXPECT_TRUE(mpv.misuses.isEmpty()) << mpv.misuses.join(QLatin1Char('|')).toStdString();
}
