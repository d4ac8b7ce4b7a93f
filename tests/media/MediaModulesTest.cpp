// The exact command strings of each media operation, checked with a recording sender.
#include "media/MediaModules.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class Modules : public testing::Test {
protected:
    ScriptedDialogs dialogs;
    RecordingSender sender;
    MediaContext media{sender, dialogs, QString()};

    void Reply(const char* command, const char* reply) {
        sender.replies[QLatin1String(command)] = QLatin1String(reply);
    }
    QStringList Tags() const {
        QStringList tags;
        for (const auto& shown : dialogs.shown)
            tags << (shown.title == QLatin1String(" Error")
                         ? QStringLiteral("Error:") + shown.prompt
                         : shown.prompt);
        return tags;
    }
};

const QString kPosition = QStringLiteral("status song position");
const QString kLength = QStringLiteral("status song length");

} // namespace

TEST(ReplyAsNumber, ReadsTheLeadingNumberAndRoundsHalvesToEven) {
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("183000")), 183000);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("  42 frames")), 42);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("-123456789")), -123456789);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("+0007")), 7);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("2.5")), 2);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("3.5")), 4);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("-7.5x")), -8);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("1e3")), 1000);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("12e")), 12);
    EXPECT_EQ(ReplyAsNumber(QString()), 0);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("playing")), 0);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral("0x10")), 0);
    EXPECT_EQ(ReplyAsNumber(QStringLiteral(".")), 0);
    EXPECT_THROW(ReplyAsNumber(QStringLiteral("99999999999")), std::overflow_error);
}

TEST_F(Modules, OpenAndPlaySongQuotesTheTrimmedPath) {
    media.SongFile = QStringLiteral("  /music/My Song.mp3 ");
    MP3::OpenAndPlaySong(media);
    EXPECT_EQ(sender.commands,
              (QStringList{QStringLiteral("close song"),
                           QStringLiteral("open \"/music/My Song.mp3\" alias song"),
                           QStringLiteral("play song")}));
    EXPECT_EQ(media.SongFile, QStringLiteral("\"/music/My Song.mp3\""));
}

TEST_F(Modules, PositionIsReadInMillisecondsAndTruncatedToSeconds) {
    Reply("status song position", "59999");
    EXPECT_EQ(MP3::SongPositionMs(media), 59999);
    EXPECT_EQ(MP3::SongPositionSecs(media), 59);
    EXPECT_EQ(MP3::SongPositionText(media), QStringLiteral("0:59"));
    EXPECT_EQ(sender.commands.first(), QStringLiteral("set song time format milliseconds"));
    EXPECT_EQ(sender.commands.at(1), kPosition);
    for (const auto& [ms, text] : {std::pair{"60000", "1:00"},
                                   {"185000", "3:05"},
                                   {"4500000", "75:00"},
                                   {"7000", "0:07"},
                                   {"", "0:00"}}) {
        Reply("status song position", ms);
        EXPECT_EQ(MP3::SongPositionText(media), QLatin1String(text)) << ms;
    }
}

TEST_F(Modules, LengthTextRoundsWhilePositionTextTruncates) {
    Reply("status song length", "59500");
    Reply("status song position", "59500");
    EXPECT_EQ(video::SongLengthText(media), QStringLiteral("1:00"));
    EXPECT_EQ(MP3::SongPositionText(media), QStringLiteral("0:59"));
    EXPECT_TRUE(sender.commands.contains(QStringLiteral("set song time format ms")));
    Reply("status song length", "183000");
    EXPECT_EQ(video::SongLengthSecs(media), 183);
    EXPECT_EQ(video::SongLengthText(media), QStringLiteral("3:03"));
}

TEST_F(Modules, FormatDurationCases) {
    for (const auto& [ms, text] : {std::pair{0, "0:00"},
                                   {65000, "1:05"},
                                   {3725000, "1:2:05"},
                                   {1500, "0:02"},
                                   {2500, "0:02"},
                                   {600000, "10:00"},
                                   {3600000, "1:0:00"}}) {
        EXPECT_EQ(video::FormatDuration(media, ms), QLatin1String(text)) << ms;
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(Modules, SongFinishedWhenWholeSecondsMeetAndNeverAtZero) {
    Reply("status song position", "182400");
    Reply("status song length", "182900");
    EXPECT_TRUE(MP3::SongFinished(media));
    Reply("status song position", "181999");
    EXPECT_FALSE(MP3::SongFinished(media));
    Reply("status song position", "900"); // shorter than a second: never finished
    Reply("status song length", "900");
    EXPECT_FALSE(MP3::SongFinished(media));
    sender.replies.clear(); // nothing open
    EXPECT_FALSE(MP3::SongFinished(media));
    EXPECT_EQ(video::SongLengthText(media), QStringLiteral("0:00"));
}

TEST_F(Modules, PlaySongFromOverflowShowsTheTagAndSendsNothing) {
    MP3::PlaySongFrom(media, 2147484);
    EXPECT_TRUE(sender.commands.isEmpty());
    EXPECT_EQ(Tags(), (QStringList{QStringLiteral("Error:Overflow"), QStringLiteral("AGH 30")}));
    MP3::PlaySongFrom(media, 0);
    MP3::PlaySongFrom(media, 90);
    EXPECT_EQ(sender.commands, (QStringList{QStringLiteral("play song from 0"),
                                            QStringLiteral("play song from 90000")}));
}

TEST_F(Modules, AnInnerFailureReportsItsOwnTagAndTheOuterGoesOnWithZero) {
    Reply("status song position", "99999999999");
    EXPECT_EQ(MP3::SongPositionSecs(media), 0);
    EXPECT_EQ(Tags(), (QStringList{QStringLiteral("Error:Overflow"), QStringLiteral("AGH 27")}));
}

TEST_F(Modules, TransportSpeedAndVolumeCommands) {
    MP3::SetSongSpeed(media, 1500);
    MP3::SetSongVolume(media, 1017);
    video::PauseSong(media);
    video::ResumeSong(media);
    video::StopSong(media);
    video::CloseAllDevices(media);
    EXPECT_EQ(sender.commands,
              (QStringList{QStringLiteral("set song speed 1500"),
                           QStringLiteral("setaudio song volume to 1017"),
                           QStringLiteral("pause song"), QStringLiteral("resume song"),
                           QStringLiteral("stop song"), QStringLiteral("close all")}));
}

TEST_F(Modules, DeviceActingOperationsReturnSuccessOrTheErrorText) {
    sender.failures[QStringLiteral("Close movie0")] = 263;
    EXPECT_EQ(video::CloseDevice(media, QStringLiteral("movie0")), QStringLiteral("error 263"));
    EXPECT_EQ(video::PauseDevice(media, QStringLiteral("movie0")), QStringLiteral("Success"));
    video::StopDevice(media, QStringLiteral("movie0"));
    video::ResumeDevice(media, QStringLiteral("movie0"));
    video::CloseAllAliases(media);
    EXPECT_EQ(sender.commands,
              (QStringList{QStringLiteral("Close movie0"), QStringLiteral("Pause movie0"),
                           QStringLiteral("Stop movie0"), QStringLiteral("Resume movie0"),
                           QStringLiteral("Close All")}));
}

TEST_F(Modules, OpenDeviceUsesAFieldOf255Characters) {
    video::OpenDevice(media, 4242, QStringLiteral("movie0"), QStringLiteral("/v/a b.mpg"),
                      QStringLiteral("MPEGVideo"));
    const QString expected =
        QStringLiteral("open \"/v/a b.mpg\" type MPEGVideo Alias movie0 parent "
                       "4242 Style 1073741824");
    ASSERT_EQ(sender.commands.size(), 1);
    EXPECT_EQ(sender.commands[0].size(), 255);
    EXPECT_EQ(sender.commands[0].trimmed(), expected);
    sender.commands.clear();
    const QString longPath =
        QLatin1Char('/') + QString(300, QLatin1Char('x')) + QStringLiteral(".avi");
    video::OpenDevice(media, 1, QStringLiteral("movie0"), longPath, QStringLiteral("AviVideo"));
    EXPECT_EQ(sender.commands[0], (QStringLiteral("open \"") + longPath).left(255));
}

TEST_F(Modules, PlayDeviceFillsEmptyBoundsAndUsesAFieldOf128Characters) {
    Reply("status movie0 length", "2500");
    video::PlayDevice(media, QStringLiteral("movie0"), QString(), QString());
    EXPECT_EQ(sender.commands.at(0), QStringLiteral("set movie0 time format frames"));
    EXPECT_EQ(sender.commands.at(1), QStringLiteral("status movie0 length"));
    EXPECT_EQ(sender.commands.at(2), FixedField(QStringLiteral("play movie0 from 0 to 2500"), 128));
    EXPECT_EQ(sender.commands.at(2).size(), 128);
}

TEST_F(Modules, DeviceQueriesGiveMinusOneWhenRefused) {
    sender.failures[QStringLiteral("status movie0 length")] = 263;
    sender.failures[QStringLiteral("status movie0 position")] = 263;
    EXPECT_EQ(video::DeviceLengthFrames(media, QStringLiteral("movie0")), -1);
    EXPECT_EQ(video::DevicePosition(media, QStringLiteral("movie0")), -1);
    EXPECT_EQ(video::DevicePercentPlayed(media, QStringLiteral("movie0")), -1);
    EXPECT_EQ(video::DeviceFrameRate(media, QStringLiteral("movie0")), -1);
}

TEST_F(Modules, LengthInMillisecondsLeavesTheAliasInFrames) {
    Reply("status movie0 length", "2000");
    EXPECT_EQ(video::DeviceLengthMs(media, QStringLiteral("movie0")), 2000);
    EXPECT_EQ(sender.commands, (QStringList{QStringLiteral("set movie0 time format ms"),
                                            QStringLiteral("status movie0 length"),
                                            QStringLiteral("set movie0 time format frames")}));
}

TEST_F(Modules, PercentPlayedRoundsAndPassesOverADivisionByZero) {
    Reply("status movie0 length", "200");
    Reply("status movie0 position", "199");
    EXPECT_EQ(video::DevicePercentPlayed(media, QStringLiteral("movie0")), 100); // 99.5 %
    Reply("status movie0 position", "197");
    EXPECT_EQ(video::DevicePercentPlayed(media, QStringLiteral("movie0")), 98); // 98.5 % to even
    Reply("status movie0 length", "0");
    Reply("status movie0 position", "0");
    EXPECT_EQ(video::DevicePercentPlayed(media, QStringLiteral("movie0")), 0);
    Reply("status movie0 length", "100");
    Reply("status movie0 position", "2000000000"); // × 100 overflows
    EXPECT_EQ(video::DevicePercentPlayed(media, QStringLiteral("movie0")), 0);
}

TEST_F(Modules, FrameRateIsFramesPerSecondAndAZeroLengthIsRaised) {
    sender.replies[QStringLiteral("status movie0 length")] = QStringLiteral("50");
    // The same reply serves both length queries: 50 frames over 50 ms.
    EXPECT_EQ(video::DeviceFrameRate(media, QStringLiteral("movie0")), 1000);
    Reply("status movie0 length", "0");
    EXPECT_THROW(video::DeviceFrameRate(media, QStringLiteral("movie0")), std::domain_error);
}

TEST_F(Modules, SeekDeviceReportsTheSeekAndPlaysOnEitherWay) {
    sender.failures[QStringLiteral("seek movie0 to 300")] = 277;
    EXPECT_EQ(video::SeekDevice(media, QStringLiteral("movie0"), 300), QStringLiteral("error 277"));
    EXPECT_EQ(sender.commands,
              (QStringList{QStringLiteral("seek movie0 to 300"), QStringLiteral("Play movie0")}));
}

TEST_F(Modules, PutDeviceWindowWithAZeroSizeTakesTheWindowsOuterSize) {
    media.WindowSize = [](qint64 handle) { return handle == 77 ? QSize(185, 161) : QSize(); };
    qint32 width = 0, height = 120;
    video::PutDeviceWindow(media, 77, QStringLiteral("movie0"), 0, 0, width, height);
    EXPECT_EQ(width, 185);
    EXPECT_EQ(height, 161);
    EXPECT_EQ(sender.commands.last(), QStringLiteral("put movie0 window at 0 0 185 161"));
    width = 100;
    height = 80;
    video::PutDeviceWindow(media, 77, QStringLiteral("movie0"), 5, 6, width, height);
    EXPECT_EQ(sender.commands.last(), QStringLiteral("put movie0 window at 5 6 100 80"));
}

TEST_F(Modules, SetDeviceVolumeLimitsAndChannelForms) {
    EXPECT_EQ(video::SetDeviceVolume(media, QStringLiteral("movie0"), QStringLiteral("all"), 101),
              QStringLiteral("out of volume"));
    EXPECT_EQ(video::SetDeviceVolume(media, QStringLiteral("movie0"), QStringLiteral("all"), -1),
              QStringLiteral("out of volume"));
    EXPECT_TRUE(sender.commands.isEmpty());
    video::SetDeviceVolume(media, QStringLiteral("movie0"), QStringLiteral("all"), 100);
    video::SetDeviceVolume(media, QStringLiteral("movie0"), QStringLiteral("LEFT"), 0);
    video::SetDeviceVolume(media, QStringLiteral("movie0"), QStringLiteral("right"), 50);
    EXPECT_EQ(
        sender.commands,
        (QStringList{FixedField(QStringLiteral("setaudio movie0 Volume to 1000"), 128),
                     FixedField(QStringLiteral("setaudio movie0 LEFT Volume to 0"), 128),
                     FixedField(QStringLiteral("setaudio movie0 right Volume to 500"), 128)}));
}

TEST_F(Modules, SetDeviceSpeedSendsTenTimesAndRaisesAnOverflow) {
    video::SetDeviceSpeed(media, QStringLiteral("movie0"), 103);
    EXPECT_EQ(sender.commands.last(), FixedField(QStringLiteral("set movie0 speed 1030"), 128));
    EXPECT_THROW(video::SetDeviceSpeed(media, QStringLiteral("movie0"), 300000000),
                 std::overflow_error);
}
