// The video window and the background visuals, with a media twin that answers in the alias's
// time format (the tick and the length text read the same query in frames and milliseconds).
#include "import/FileListBox.h"
#include "playback/ScaledBox.h"
#include "playback/frmVideo.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>

#include <gtest/gtest.h>
#include <memory>

namespace {

// Every command recorded; "status movie0 length|position" answered in frames or milliseconds
// by the last time format set, at `rate` frames per second.
class VideoSender final : public MciSender {
public:
    QStringList commands;
    qint32 lengthFrames = 5400, positionFrames = 0, rate = 25;
    QString refusedOpen; // an open command starting so is refused
    quint32 SendString(const QString& command, QString* reply, int) override {
        commands << command;
        if (!refusedOpen.isEmpty() && command.startsWith(refusedOpen))
            return 275;
        const QString c = command.trimmed().toLower();
        if (c == QLatin1String("set movie0 time format frames"))
            frames_ = true;
        else if (c == QLatin1String("set movie0 time format ms"))
            frames_ = false;
        qint64 answer = -1;
        if (c == QLatin1String("status movie0 length"))
            answer = frames_ ? lengthFrames : qint64(lengthFrames) * 1000 / rate;
        else if (c == QLatin1String("status movie0 position"))
            answer = frames_ ? positionFrames : qint64(positionFrames) * 1000 / rate;
        if (reply)
            *reply = answer >= 0 ? QString::number(answer) : QString();
        return 0;
    }
    QString ErrorString(quint32 code) override { return QStringLiteral("error %1").arg(code); }
    bool Sent(const QString& command) const { return commands.contains(command); }
    qsizetype IndexOf(const QString& start) const {
        for (qsizetype i = 0; i < commands.size(); ++i)
            if (commands[i].startsWith(start))
                return i;
        return -1;
    }
    int Count(const QString& start) const {
        int n = 0;
        for (const QString& c : commands)
            n += c.startsWith(start) ? 1 : 0;
        return n;
    }

private:
    bool frames_ = false;
};

class Video : public PlayerTest<VideoSender> {
protected:
    void SetUp() override {
        folder.AddSong(1, QStringLiteral("Song"), QStringLiteral("Band"),
                       QStringLiteral("/m/1.mp3"));
        folder.AddSong(2, QStringLiteral("Film"), QStringLiteral("Maker"),
                       QStringLiteral("/v/film.AVI"));
        folder.AddSong(3, QStringLiteral("Disc"), QStringLiteral("Maker"),
                       QStringLiteral("/v/disc.vob"));
        folder.AddSong(4, QStringLiteral("Tape"), QStringLiteral("Maker"),
                       QStringLiteral("/v/tape.mpeg"));
        QDir(folder.Path()).mkdir(QStringLiteral("Other"));
        StartPlayer();
        player->tmrPlay.stop(); // the tests run the tick themselves
        sender.commands.clear();
    }
    // Files of "Other": pictures are real images, the rest empty files.
    void MakeOther(const QStringList& names) {
        for (const QString& name : names) {
            const QString path = folder.File(QStringLiteral("Other/") + name);
            if (name.endsWith(QLatin1String(".jpg")) || name.endsWith(QLatin1String(".png"))) {
                QImage picture(16, 16, QImage::Format_RGB32);
                picture.fill(Qt::red);
                ASSERT_TRUE(picture.save(path));
            } else {
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            }
        }
        player->imgVidOver_Click(); // shows the list, read afresh
    }
    void PlayOther(int row) {
        player->File1->setCurrentRow(row);
        player->File1_DblClick();
    }
    QString Selected() const { return player->File1->FileName(); }
    void Tick(int times) {
        for (int i = 0; i < times; ++i)
            player->tmrPlay_Timer();
    }
    frmVideo* Window() const { return player->videoIfMade(); }
    int PlayListsHeight() const { return TwipsOf(player->lstPlayLists).height(); }
};

} // namespace

TEST_F(Video, LibraryVideoTakesTheTransportAndIsPlacedUnderTheMainWindow) {
    player->PlaySong(2, QString());
    EXPECT_TRUE(player->state.videofile);
    EXPECT_GE(sender.IndexOf(QStringLiteral("open \"/v/film.AVI\" type AviVideo Alias movie0 "
                                            "parent ")),
              0);
    EXPECT_GE(sender.IndexOf(QStringLiteral("play movie0 from 0 to 5400")), 0);
    EXPECT_EQ(player->state.VideoFrameRate, 25);
    EXPECT_EQ(player->picSongProgress->ScaleWidth(), 216);
    EXPECT_EQ(player->state.VideoLengthText, QStringLiteral("3:36"));
    EXPECT_EQ(player->picSpeed->ScaleWidth(), 200);
    EXPECT_NEAR(player->lblSongSpeed->Left(), 100, 0.01);
    EXPECT_GE(sender.IndexOf(QStringLiteral("setaudio movie0 Volume to 1000")), 0);
    EXPECT_EQ(PlayListsHeight(), 2010);
    ASSERT_NE(Window(), nullptr);
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_EQ(Window()->windowTitle(), QStringLiteral("Jukora - Video"));
    EXPECT_EQ(Window()->WidthTwips(), 2775);
    EXPECT_EQ(Window()->HeightTwips(), 2415);
    EXPECT_EQ(Window()->pos(), player->pos() + QPoint(400 / 15, 3700 / 15));

    // The tick: 125.4 s read as frames, and the window follows the main window.
    sender.positionFrames = 3135;
    player->move(player->pos() + QPoint(30, 20));
    Tick(1);
    EXPECT_EQ(player->lblRunningTime->text(), QStringLiteral("2:05/3:36"));
    EXPECT_EQ(Window()->pos(), player->pos() + QPoint(400 / 15, 3700 / 15));

    // A window the user sized differently floats from then on.
    Window()->resize(300, 200);
    const QPoint floating = Window()->pos();
    player->move(player->pos() + QPoint(40, 0));
    Tick(2);
    EXPECT_TRUE(player->state.seperatevideo);
    EXPECT_EQ(Window()->pos(), floating);
}

TEST_F(Video, ALibraryVideoThatCannotBeOpenedIsShownSkippedAndNotCounted) {
    sender.refusedOpen = QStringLiteral("open \"/v/film.AVI\"");
    player->lstTracks->SetListIndex(1); // [All Media]: Song, Film, Disc, Tape
    player->lstTracks_DblClick();
    EXPECT_EQ(player->lblTrack->text(),
              QStringLiteral("Maker - Film: cannot be played (file not found)"));
    EXPECT_EQ(folder.PlayCount(2), 0);
    player->unplayableNoticeMs = 0;
    player->tmrPlay_Timer();
    EXPECT_EQ(player->state.lblNowPlaying, QStringLiteral("3"));
    EXPECT_EQ(folder.PlayCount(3), 1);
    EXPECT_TRUE(player->state.videofile);
}

TEST_F(Video, DeviceTypeFollowsTheExtension) {
    player->PlaySong(3, QString());
    EXPECT_GE(sender.IndexOf(QStringLiteral("open \"/v/disc.vob\" type MPEGVideo")), 0);
    player->PlaySong(4, QString());
    EXPECT_GE(sender.IndexOf(QStringLiteral("open \"/v/tape.mpeg\" type MPEGVideo")), 0);
    EXPECT_EQ(player->state.typeDevice, QStringLiteral("MPEGVideo"));
    // The second video keeps the window where it is.
    const QPoint first = Window()->pos();
    player->move(player->pos() + QPoint(50, 0));
    player->PlaySong(3, QString());
    EXPECT_EQ(Window()->pos(), first);
}

TEST_F(Video, AudioAfterALibraryVideoClosesTheWindowAndStopsBeforeTheSongOpens) {
    player->PlaySong(2, QString());
    sender.commands.clear();
    player->PlaySong(1, QString());
    const qsizetype stop = sender.IndexOf(QStringLiteral("Stop movie0"));
    const qsizetype open = sender.IndexOf(QStringLiteral("open \"/m/1.mp3\" alias song"));
    ASSERT_GE(stop, 0);
    EXPECT_LT(stop, open);
    EXPECT_FALSE(sender.Sent(QStringLiteral("Close movie0"))); // the alias stays open
    EXPECT_FALSE(Window()->isVisible());
    EXPECT_FALSE(Window()->IsLoaded());
    EXPECT_TRUE(player->state.firstvideo);
    EXPECT_TRUE(player->state.stopped);
    EXPECT_FALSE(player->state.videofile);
    EXPECT_EQ(PlayListsHeight(), 4545);
    // The song plays: the play state and the Pause image say so, not the video's Stop.
    EXPECT_TRUE(player->state.songplaying);
    EXPECT_FALSE(player->imgPause.normal->isHidden());
    EXPECT_TRUE(player->imgPlay.normal->isHidden());
}

TEST_F(Video, ClosingTheWindowStopsALibraryVideoButOnlyLetsGoOfABackgroundItem) {
    player->PlaySong(2, QString());
    Window()->close();
    EXPECT_TRUE(sender.Sent(QStringLiteral("Stop movie0")));
    EXPECT_FALSE(player->state.songplaying);
    EXPECT_FALSE(player->imgPlay.normal->isHidden()); // the Play image shows
    EXPECT_TRUE(player->imgPause.normal->isHidden());
    EXPECT_FALSE(player->state.videofile);
    EXPECT_TRUE(player->state.firstvideo);

    MakeOther({QStringLiteral("a.mpg")});
    player->PlaySong(1, QString());
    PlayOther(0);
    sender.commands.clear();
    Window()->close();
    EXPECT_FALSE(player->state.PlayingOther);
    EXPECT_FALSE(sender.Sent(QStringLiteral("Stop movie0")));
    EXPECT_FALSE(sender.Sent(QStringLiteral("stop song")));
}

TEST_F(Video, AudioDuringABackgroundItemKeepsTheWindow) {
    MakeOther({QStringLiteral("a.jpg")});
    PlayOther(0);
    EXPECT_TRUE(player->state.PlayingOther);
    EXPECT_TRUE(player->state.ShowingPicture);
    EXPECT_FALSE(Window()->imgPic->isHidden());
    player->PlaySong(1, QString());
    EXPECT_TRUE(Window()->IsLoaded());
    EXPECT_TRUE(player->state.PlayingOther);
    EXPECT_FALSE(player->state.videofile);
    EXPECT_FALSE(sender.Sent(QStringLiteral("Stop movie0")));
    // The hover restore brings the picture's window to the front.
    player->NoMouseOvers();
    EXPECT_TRUE(Window()->isVisible());
}

TEST_F(Video, BackgroundButtonShowsAndHidesTheListAndClosesAPinnedWindow) {
    MakeOther({QStringLiteral("a.mpg")}); // first press
    EXPECT_TRUE(player->File1->isVisible());
    EXPECT_EQ(PlayListsHeight(), 2985);
    EXPECT_EQ(player->File1->count(), 1);
    player->imgVidOver_Click();
    EXPECT_FALSE(player->File1->isVisible());
    EXPECT_EQ(PlayListsHeight(), 4545);

    player->PlaySong(2, QString()); // a pinned library video
    player->imgVidOver_Click();
    EXPECT_FALSE(Window()->IsLoaded());
    EXPECT_TRUE(player->File1->isVisible());
    EXPECT_TRUE(player->state.stopped); // its closing stopped the video
}

TEST_F(Video, PicturesStayAHundredTicksOtherFilesAreSkippedAndTheListWraps) {
    MakeOther({QStringLiteral("a.jpg"), QStringLiteral("b.txt"), QStringLiteral("c.png")});
    PlayOther(0);
    EXPECT_FALSE(player->File1->isVisible());
    EXPECT_TRUE(player->state.VideoStarted);
    EXPECT_GE(sender.IndexOf(QStringLiteral("setaudio movie0 Volume to 0 ")), 0);
    Tick(99);
    EXPECT_EQ(Selected(), QStringLiteral("a.jpg"));
    Tick(1);
    EXPECT_EQ(Selected(), QStringLiteral("c.png")); // the text file was passed over
    EXPECT_TRUE(player->state.ShowingPicture);
    Tick(100);
    EXPECT_EQ(Selected(), QStringLiteral("a.jpg")); // after the last, the first
    // Repeat 1 video: the picture stays.
    player->imgNoRepeatVidOver_Click();
    Tick(250);
    EXPECT_EQ(Selected(), QStringLiteral("a.jpg"));
}

TEST_F(Video, AFolderWithNothingPlayableEndsAfterOneRound) {
    MakeOther({QStringLiteral("notes.txt"), QStringLiteral("list.doc"), QStringLiteral("x.mp3")});
    PlayOther(0);
    EXPECT_EQ(sender.Count(QStringLiteral("open ")), 0);
    EXPECT_FALSE(player->state.ShowingPicture);
    Tick(300);
    EXPECT_EQ(sender.Count(QStringLiteral("open ")), 0);
}

TEST_F(Video, BackgroundVideosAdvanceAtTheirEndOrRepeat) {
    MakeOther({QStringLiteral("a.mpg"), QStringLiteral("b.avi")});
    PlayOther(0);
    EXPECT_GE(
        sender.IndexOf(QStringLiteral("open \"") + folder.File(QStringLiteral("Other/a.mpg"))), 0);
    // Muted before it plays.
    EXPECT_LT(sender.IndexOf(QStringLiteral("setaudio movie0 Volume to 0")),
              sender.IndexOf(QStringLiteral("play movie0")));
    EXPECT_EQ(player->picSpeed->ScaleWidth(), 2000); // the song keeps the transport
    Tick(5);
    EXPECT_EQ(Selected(), QStringLiteral("a.mpg"));
    sender.positionFrames = sender.lengthFrames;
    Tick(1);
    EXPECT_EQ(Selected(), QStringLiteral("b.avi"));
    EXPECT_GE(sender.IndexOf(QStringLiteral("open \"") +
                             folder.File(QStringLiteral("Other/b.avi")) +
                             QStringLiteral("\" type AviVideo")),
              0);
    player->imgNoRepeatVidOver_Click();
    sender.commands.clear();
    Tick(1);
    EXPECT_EQ(Selected(), QStringLiteral("b.avi"));
    EXPECT_EQ(sender.Count(QStringLiteral("open ")), 1);
}

TEST_F(Video, PinButtonsReactOnlyOnceSomethingWasSentToTheWindow) {
    emit player->imgSeperate.normal->mouseMoved();
    EXPECT_TRUE(player->imgSeperate.over->isHidden());
    player->PlaySong(2, QString());
    emit player->imgSeperate.normal->mouseMoved();
    EXPECT_FALSE(player->imgSeperate.over->isHidden());
    player->imgSeperateOver_Click();
    EXPECT_TRUE(player->state.seperatevideo);
    const QPoint floating = Window()->pos();
    player->move(player->pos() + QPoint(25, 25));
    Tick(2);
    EXPECT_EQ(Window()->pos(), floating);
    player->imgNoSeperateOver_Click();
    EXPECT_FALSE(player->state.seperatevideo);
    EXPECT_EQ(Window()->pos(), player->pos() + QPoint(400 / 15, 3700 / 15));
}
