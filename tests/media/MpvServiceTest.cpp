// The real media service over libmpv, on short media files made for the tests (no sound card:
// ao=null, vo=null through JUKORA_MPV_OPTIONS).
#include "media/MediaModules.h"
#include "media/MpvMciService.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {

QString Media(const char* name) {
    return QStringLiteral(JUKORA_TEST_MEDIA "/") + QLatin1String(name);
}

class Service : public testing::Test {
protected:
    MpvMciService service;
    ScriptedDialogs dialogs;
    MediaContext media{service, dialogs, QString()};

    quint32 Send(const QString& command) { return service.SendString(command); }
    qint64 Ask(const QString& command) {
        QString reply;
        const quint32 code = service.SendString(command, &reply, 128);
        EXPECT_EQ(code, 0u) << command.toStdString() << ": "
                            << service.ErrorString(code).toStdString();
        return reply.toLongLong();
    }
    QString Mode(const QString& alias) {
        QString reply;
        service.SendString(QStringLiteral("status ") + alias + QStringLiteral(" mode"), &reply,
                           128);
        return reply;
    }
    void OpenSong(const QString& path) {
        ASSERT_EQ(Send(QStringLiteral("open \"") + path + QStringLiteral("\" alias song")), 0u);
    }
};

} // namespace

TEST_F(Service, LengthIsKnownInMillisecondsRightAfterOpen) {
    OpenSong(Media("tone.wav"));
    EXPECT_NEAR(Ask(QStringLiteral("status song length")), 3000, 30);
    EXPECT_EQ(Ask(QStringLiteral("status song position")), 0);
    EXPECT_EQ(Mode(QStringLiteral("song")), QStringLiteral("stopped"));
    ASSERT_EQ(Send(QStringLiteral("open \"") + Media("tone.mp3") + QStringLiteral("\" alias mp3")),
              0u);
    EXPECT_NEAR(Ask(QStringLiteral("status mp3 length")), 3000, 120);
}

TEST_F(Service, PositionMovesWhilePlayingAndHoldsWhilePaused) {
    OpenSong(Media("tone.mp3"));
    ASSERT_EQ(Send(QStringLiteral("play song")), 0u);
    EXPECT_EQ(Mode(QStringLiteral("song")), QStringLiteral("playing"));
    EXPECT_TRUE(WaitFor([&] { return Ask(QStringLiteral("status song position")) > 300; }, 3000));
    ASSERT_EQ(Send(QStringLiteral("pause song")), 0u);
    EXPECT_EQ(Mode(QStringLiteral("song")), QStringLiteral("paused"));
    const qint64 held = Ask(QStringLiteral("status song position"));
    QThread::msleep(250);
    EXPECT_EQ(Ask(QStringLiteral("status song position")), held);
    ASSERT_EQ(Send(QStringLiteral("resume song")), 0u);
    EXPECT_TRUE(WaitFor([&] { return Ask(QStringLiteral("status song position")) > held; }, 3000));
}

TEST_F(Service, SeekAndPlayFromMoveThePosition) {
    OpenSong(Media("tone.wav"));
    ASSERT_EQ(Send(QStringLiteral("seek song to 1500")), 0u);
    EXPECT_NEAR(Ask(QStringLiteral("status song position")), 1500, 50);
    EXPECT_EQ(Mode(QStringLiteral("song")), QStringLiteral("stopped"));
    ASSERT_EQ(Send(QStringLiteral("play song from 2000")), 0u);
    EXPECT_GE(Ask(QStringLiteral("status song position")), 1950);
    EXPECT_EQ(Send(QStringLiteral("seek song to somewhere")), MpvMciService::BadParameter);
    // A negative place is refused, never counted from the end.
    EXPECT_EQ(Send(QStringLiteral("seek song to -5000")), MpvMciService::BadParameter);
    EXPECT_EQ(Send(QStringLiteral("play song from -10000")), MpvMciService::BadParameter);
    EXPECT_EQ(Send(QStringLiteral("play song from 0 to -1")), MpvMciService::BadParameter);
    EXPECT_GE(Ask(QStringLiteral("status song position")), 1950);
}

// Sound through the device wrapper has no frame rate: its whole-item play ("from 0 to 0", the
// length in frames being 0) plays it from the start to its end.
TEST_F(Service, AnAliasWithoutAFrameRatePlaysWholeFromZeroToZero) {
    const QString alias = QStringLiteral("m");
    ASSERT_EQ(video::OpenDevice(media, 0, alias, Media("short.wav"), QStringLiteral("MPEGVideo")),
              QStringLiteral("Success"));
    EXPECT_EQ(video::DeviceLengthFrames(media, alias), 0);
    EXPECT_EQ(video::PlayDevice(media, alias, QString(), QString()), QStringLiteral("Success"));
    EXPECT_EQ(Mode(alias), QStringLiteral("playing"));
    EXPECT_EQ(Send(QStringLiteral("play m from 0 to 0")), 0u);
    EXPECT_EQ(Send(QStringLiteral("play m from 10 to 0")), MpvMciService::BadParameter);
    ASSERT_EQ(Send(QStringLiteral("set m time format ms")), 0u);
    EXPECT_TRUE(WaitFor([&] { return Ask(QStringLiteral("status m position")) >= 1500; }, 5000));
}

TEST_F(Service, SpeedChangesHowFastThePositionRuns) {
    OpenSong(Media("tone.wav"));
    ASSERT_EQ(Send(QStringLiteral("set song speed 2000")), 0u);
    QElapsedTimer clock;
    ASSERT_EQ(Send(QStringLiteral("play song")), 0u);
    clock.start();
    ASSERT_TRUE(WaitFor([&] { return Ask(QStringLiteral("status song position")) >= 1200; }, 4000));
    // At double speed 1.2 s of the song take about 0.6 s; at normal speed they would take 1.2 s.
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST_F(Service, VolumeCommandsInEveryForm) {
    OpenSong(Media("tone.wav"));
    EXPECT_EQ(Send(QStringLiteral("setaudio song volume to 500")), 0u);
    EXPECT_EQ(Send(QStringLiteral("SETAUDIO song LEFT Volume to 1000")), 0u);
    EXPECT_EQ(Send(QStringLiteral("setaudio song volume to loud")), MpvMciService::BadParameter);
    EXPECT_EQ(Send(QStringLiteral("setaudio song volume 500")), MpvMciService::BadParameter);
}

TEST_F(Service, EndOfSongIsSeenBySongFinishedAndThePositionStopsAtTheLength) {
    media.SongFile = Media("short.wav");
    MP3::OpenAndPlaySong(media);
    EXPECT_EQ(video::SongLengthSecs(media), 1);
    EXPECT_TRUE(WaitFor([&] { return MP3::SongFinished(media); }, 5000));
    EXPECT_TRUE(WaitFor(
        [&] {
            return Ask(QStringLiteral("status song position")) ==
                   Ask(QStringLiteral("status song length"));
        },
        3000));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Service, VideoFramesFrameRateAndPercentPlayed) {
    const QString alias = QStringLiteral("movie0");
    EXPECT_EQ(video::OpenDevice(media, 0, alias, Media("clip.mpg"), QStringLiteral("MPEGVideo")),
              QStringLiteral("Success"));
    EXPECT_NEAR(video::DeviceLengthFrames(media, alias), 50, 1);
    EXPECT_EQ(video::DeviceFrameRate(media, alias), 25);
    EXPECT_EQ(video::PlayDevice(media, alias, QString(), QString()), QStringLiteral("Success"));
    EXPECT_TRUE(WaitFor([&] { return video::DevicePercentPlayed(media, alias) == 100; }, 6000));
    EXPECT_EQ(video::CloseDevice(media, alias), QStringLiteral("Success"));
    EXPECT_EQ(video::DevicePercentPlayed(media, alias), -1);

    EXPECT_EQ(video::OpenDevice(media, 0, alias, Media("clip.avi"), QStringLiteral("AviVideo")),
              QStringLiteral("Success"));
    EXPECT_EQ(video::DeviceFrameRate(media, alias), 25);
    EXPECT_EQ(video::SeekDevice(media, alias, 25), QStringLiteral("Success"));
    EXPECT_GE(video::DevicePosition(media, alias), 24);
    qint32 width = 200, height = 150;
    EXPECT_EQ(video::PutDeviceWindow(media, 0, alias, 10, 20, width, height),
              QStringLiteral("Success"));
    EXPECT_EQ(service.VideoRect(alias), QRect(10, 20, 200, 150));
}

TEST_F(Service, PathsWithBlanksQuotesAndOtherLetters) {
    ProgramFolderFixture folder(false);
    for (const QString& name :
         {QStringLiteral("a song with blanks.wav"), QStringLiteral("it's \"quoted\".wav"),
          QStringLiteral("Ünïcødé – 曲.wav")}) {
        const QString path = folder.File(name);
        ASSERT_TRUE(QFile::copy(Media("tone.wav"), path));
        EXPECT_EQ(Send(QStringLiteral("open \"") + path + QStringLiteral("\" alias x")), 0u)
            << name.toStdString();
        EXPECT_NEAR(Ask(QStringLiteral("status x length")), 3000, 30);
        EXPECT_EQ(Send(QStringLiteral("close x")), 0u);
    }
}

TEST_F(Service, FailuresHaveTheirOwnCodesAndTexts) {
    ProgramFolderFixture folder(false);
    const QString fake = folder.File(QStringLiteral("notes.mp3"));
    QFile text(fake);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("These are my notes, not a song.\n");
    text.close();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Send(QStringLiteral("open \"") + fake + QStringLiteral("\" alias bad")),
              MpvMciService::CannotPlay);
    EXPECT_LT(clock.elapsed(), MpvMciService::kOpenTimeoutMs + 1000);
    EXPECT_EQ(Send(QStringLiteral("open \"/no/such/file.mp3\" alias bad")),
              MpvMciService::FileNotFound);
    EXPECT_EQ(Send(QStringLiteral("status nothing length")), MpvMciService::NotOpen);
    EXPECT_EQ(Send(QStringLiteral("rewind song")), MpvMciService::UnknownCommand);
    EXPECT_EQ(Send(QString()), MpvMciService::UnknownCommand);
    OpenSong(Media("tone.wav"));
    EXPECT_EQ(Send(QStringLiteral("open \"") + Media("tone.mp3") + QStringLiteral("\" alias SONG")),
              MpvMciService::AliasInUse);
    for (quint32 code : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u})
        EXPECT_FALSE(service.ErrorString(code).isEmpty()) << code;
}

TEST_F(Service, CommandWordsInAnyCaseAndCloseAll) {
    ASSERT_EQ(Send(QStringLiteral("OPEN \"") + Media("tone.wav") + QStringLiteral("\" ALIAS Song")),
              0u);
    EXPECT_EQ(Send(QStringLiteral("Set SONG Time Format MS")), 0u);
    EXPECT_NEAR(Ask(QStringLiteral("Status song LENGTH")), 3000, 30);
    // Whole words only, and only the ASCII capitals stand for the small letters.
    EXPECT_EQ(Send(QStringLiteral("status song lengths")), MpvMciService::BadParameter);
    EXPECT_EQ(Send(QStringLiteral("statu song length")), MpvMciService::UnknownCommand);
    EXPECT_EQ(Send(QStringLiteral("\u017Fet song time format ms")), MpvMciService::UnknownCommand);
    ASSERT_EQ(Send(QStringLiteral("open ") + Media("clip.mpg") +
                   QStringLiteral(" type MPEGVideo Alias movie0 parent 0 Style 1073741824")),
              0u);
    EXPECT_EQ(service.OpenAliasCount(), 2);
    EXPECT_EQ(Send(QStringLiteral("Close All")), 0u);
    EXPECT_EQ(service.OpenAliasCount(), 0);
    EXPECT_EQ(Send(QStringLiteral("status song length")), MpvMciService::NotOpen);
    EXPECT_EQ(video::SongLengthSecs(media), 0); // a failing query reads as 0
}

TEST(JukoraMci, PrintsTheCodeAndReplyOfEachCommandLine) {
    QProcess tool;
    tool.start(QStringLiteral(JUKORA_MCI_BINARY), {});
    ASSERT_TRUE(tool.waitForStarted(5000));
    tool.write("open \"" JUKORA_TEST_MEDIA "/tone.wav\" alias song\n"
               "status song length\n"
               "\n"
               "status nothing length\n"
               "close all\n");
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(20000));
    const QStringList lines = QString::fromUtf8(tool.readAllStandardOutput())
                                  .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("0 "));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("0 30"))) << lines[1].toStdString();
    EXPECT_EQ(lines[2], QStringLiteral("2 No media is open under that alias."));
    EXPECT_EQ(lines[3], QStringLiteral("0 "));
}

// libmpv and its libraries are loaded by the first open, not when the program starts: the
// loader's own report (LD_DEBUG) of the command tool shows it.
TEST(MpvLibrary, IsLoadedByTheFirstOpenAndNotBefore) {
    const auto librariesLoaded = [](const QByteArray& commands) {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(JUKORA_MCI_BINARY), {});
        EXPECT_TRUE(tool.waitForStarted(5000));
        tool.write(commands);
        tool.closeWriteChannel();
        EXPECT_TRUE(tool.waitForFinished(20000));
        return QString::fromUtf8(tool.readAllStandardError());
    };
    const QString idle = librariesLoaded("status song mode\n");
    EXPECT_TRUE(idle.contains(QLatin1String("libQt6Core"))); // the report is there
    EXPECT_FALSE(idle.contains(QLatin1String("libmpv")));
    const QString playing =
        librariesLoaded("open \"" + Media("tone.wav").toUtf8() + "\" alias song\nclose song\n");
    EXPECT_TRUE(playing.contains(QLatin1String("libmpv")));
}
