// Playing, the end-of-song rules and the transport, checked with the recording media sender.
#include "playback/ScaledBox.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "support/PlayerTest.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

class Playback : public PlayerTest<> {
protected:
    void SetUp() override {
        for (int id = 1; id <= 5; ++id)
            folder.AddSong(id, QStringLiteral("Song %1").arg(id), QStringLiteral("Band"),
                           QStringLiteral("/m/%1.mp3").arg(id));
        folder.AddSong(6, QStringLiteral("Clip [video]"), QStringLiteral("Unknown"),
                       QStringLiteral("/v/clip.MpEg"));
        StartPlayer();
        sender.commands.clear();
    }
    // Starts track `row` of the list shown ([All Media]: songs 1 to 6 in order).
    void Activate(int row) {
        player->lstTracks->SetListIndex(row);
        player->lstTracks_DblClick();
    }
    QString Playing() const { return player->state.lblNowPlaying; }
    int PlayCount(int songid) const { return folder.PlayCount(songid); }
    bool Sent(const char* command) const {
        return sender.commands.contains(QLatin1String(command));
    }
};

} // namespace

TEST_F(Playback, EveryStartAddsOneToThePlayCount) {
    for (int i = 0; i < 5; ++i)
        player->PlaySong(2, QString());
    EXPECT_EQ(PlayCount(2), 5);
    EXPECT_EQ(PlayCount(1), 0);
    EXPECT_TRUE(player->state.songplaying);
    EXPECT_EQ(player->lblTrack->text(), QStringLiteral("Band - Song 2"));
    // Open, then the volume of the full gauge, then the speed of the middle of the track.
    const qsizetype open = sender.commands.indexOf(QStringLiteral("open \"/m/2.mp3\" alias song"));
    ASSERT_GE(open, 0);
    EXPECT_EQ(sender.commands.at(open + 1), QStringLiteral("play song"));
    EXPECT_TRUE(Sent("setaudio song volume to 1000"));
    EXPECT_EQ(sender.commands.last(), QStringLiteral("set song speed 1003"));
}

TEST_F(Playback, AnUnknownIdentityStartsNothing) {
    player->PlaySong(77, QString());
    EXPECT_FALSE(Sent("play song"));
    EXPECT_TRUE(player->state.songplaying); // set before the search
    EXPECT_EQ(Playing(), QStringLiteral("77"));
}

TEST_F(Playback, VideoTypeIsTakenFromTheLastThreeLettersAndTheSpeedScaleFollows) {
    sender.replies[QStringLiteral("status movie0 length")] = QStringLiteral("250");
    player->PlaySong(6, QString());
    EXPECT_TRUE(player->state.videofile);
    EXPECT_TRUE(Sent("close all"));
    EXPECT_FALSE(Sent("play song"));
    EXPECT_EQ(PlayCount(6), 1);
    EXPECT_EQ(player->picSpeed->ScaleWidth(), 200);
    EXPECT_NEAR(player->lblSongSpeed->Left(), 100, 0.01);
    EXPECT_TRUE(player->state.LastWasVideo);
    // Audio after a video: the thumb goes back to the middle of the audio scale.
    sender.commands.clear();
    player->PlaySong(1, QString());
    EXPECT_FALSE(player->state.videofile);
    EXPECT_EQ(player->picSpeed->ScaleWidth(), 2000);
    EXPECT_NEAR(player->lblSongSpeed->Left(), 1000, 0.01);
    EXPECT_EQ(sender.commands.last(), QStringLiteral("set song speed 1003"));
    EXPECT_FALSE(player->state.LastWasVideo);
}

TEST_F(Playback, SeekClickAndDrag) {
    sender.replies[QStringLiteral("status song length")] = QStringLiteral("200000");
    player->PlaySong(1, QString());
    ASSERT_EQ(player->picSongProgress->ScaleWidth(), 200);
    sender.commands.clear();
    player->picSongProgress_MouseDown(90.4);
    EXPECT_EQ(sender.commands,
              (QStringList{QStringLiteral("play song from 90000"), QStringLiteral("resume song")}));
    // Dragging past the right end stops at the bar's width minus the thumb's.
    sender.commands.clear();
    player->lblProgress_MouseDown(1);
    player->lblProgress_MouseMove(500);
    const double right = 200 - player->lblProgress->Width();
    EXPECT_NEAR(player->lblProgress->Left(), right, 1e-6);
    player->lblProgress_MouseMove(-900);
    EXPECT_EQ(player->lblProgress->Left(), 0);
    player->lblProgress_MouseUp();
    EXPECT_EQ(sender.commands.last(), QStringLiteral("resume song"));
    EXPECT_TRUE(sender.commands.contains(QStringLiteral("play song from 0")));
    sender.commands.clear();
    player->lblProgress_MouseMove(50); // not dragging any more
    EXPECT_TRUE(sender.commands.isEmpty());
}

TEST_F(Playback, SpeedClickDragAndReapply) {
    player->PlaySong(1, QString());
    sender.commands.clear();
    player->picSpeed_MouseDown(1497);
    EXPECT_EQ(sender.commands.last(), QStringLiteral("set song speed 1500"));
    player->lblSongSpeed_MouseDown(40);
    player->lblSongSpeed_MouseMove(3000); // far right: 2000 minus the thumb width
    const double width = player->lblSongSpeed->Width();
    EXPECT_NEAR(width, 135 * 2000.0 / 3435, 1e-6);
    EXPECT_NEAR(player->lblSongSpeed->Left(), 2000 - width, 1e-6);
    EXPECT_EQ(sender.commands.last(), QStringLiteral("set song speed 1924"));
    player->lblSongSpeed_MouseUp();
    // A new song gets the same speed, and the thumb stays where it is.
    const double left = player->lblSongSpeed->Left();
    player->PlaySong(2, QString());
    EXPECT_NEAR(player->lblSongSpeed->Left(), left, 1e-6);
    EXPECT_EQ(sender.commands.last(), QStringLiteral("set song speed 1924"));
}

TEST_F(Playback, VolumeSteps) {
    player->SetVolumeWidth(50);
    player->imgVolDownOver_Click();
    EXPECT_EQ(TwipsOf(player->imgVol).width(), 10);
    EXPECT_EQ(sender.commands.last(), QStringLiteral("setaudio song volume to 6"));
    player->imgVolDownOver_Click();
    EXPECT_EQ(TwipsOf(player->imgVol).width(), 10);
    player->SetVolumeWidth(1785);
    player->imgVolUpOver_Click();
    EXPECT_EQ(TwipsOf(player->imgVol).width(), 1785);
    EXPECT_EQ(sender.commands.last(), QStringLiteral("setaudio song volume to 1000"));
    player->SetVolumeWidth(1750);
    player->imgVolUpOver_Click();
    EXPECT_EQ(TwipsOf(player->imgVol).width(), 1850);
    EXPECT_EQ(sender.commands.last(), QStringLiteral("setaudio song volume to 1036"));
    player->imgVol_MouseDown(1815); // the far end of the click area
    EXPECT_EQ(sender.commands.last(), QStringLiteral("setaudio song volume to 1017"));
}

TEST_F(Playback, SplitterLimitsAndTheButtonsThatFollow) {
    player->lblSlider_MouseDown(0);
    player->lblSlider_MouseMove(-12000); // far above: held at 1000
    EXPECT_EQ(TwipsOf(player->lblSlider).top(), 1000);
    EXPECT_EQ(TwipsOf(player->lstArtist).height(), 280);
    EXPECT_EQ(TwipsOf(player->lstTracks).top(), 1135);
    EXPECT_EQ(TwipsOf(player->imgCue.normal).top(), 1535); // below the show/hide button
    player->lblSlider_MouseMove(20000);                    // far below: snaps to 6000
    EXPECT_EQ(TwipsOf(player->lblSlider).top(), 6000);
    EXPECT_EQ(TwipsOf(player->lstTracks).height(), 280);
    EXPECT_EQ(TwipsOf(player->imgCue.normal).top(), 4320);
    EXPECT_EQ(TwipsOf(player->imgAdd.normal).top(), 4320 + 675 + 80);
    EXPECT_EQ(TwipsOf(player->imgDelete.over).top(), 4320 + 2 * (675 + 80));
    player->lblSlider_MouseUp();
}

TEST_F(Playback, PlayOrderWrapsAroundAtTheEnd) {
    Activate(4);
    EXPECT_EQ(Playing(), QStringLiteral("5"));
    player->EndOfSongCode();
    EXPECT_EQ(Playing(), QStringLiteral("6"));
    player->EndOfSongCode();
    EXPECT_EQ(Playing(), QStringLiteral("1"));
}

TEST_F(Playback, QueueFirstThenThePlayOrderGoesOnAndRepeatComesBeforeTheQueue) {
    Activate(1); // song 2
    player->CueASong(5);
    player->CueASong(4);
    player->imgnorepeatover_Click();
    player->EndOfSongCode();
    EXPECT_EQ(Playing(), QStringLiteral("2")); // repeat wins over the queue
    EXPECT_EQ(player->state.lstCuedSongsPath.ListCount(), 2);
    player->imgrepeatover_Click();
    player->EndOfSongCode();
    EXPECT_EQ(Playing(), QStringLiteral("5"));
    player->EndOfSongCode();
    EXPECT_EQ(Playing(), QStringLiteral("4"));
    EXPECT_FALSE(player->state.CuePending);
    EXPECT_EQ(player->lstCuedSongs->ListCount(), 0);
    player->EndOfSongCode();
    EXPECT_EQ(Playing(), QStringLiteral("3")); // after song 2, where the order left off
}

TEST_F(Playback, UnCueRemovesTheSelectedEntryOrElseTheHead) {
    for (int id : {1, 2, 3})
        player->CueASong(static_cast<qint16>(id));
    player->lstCuedSongs->SetListIndex(1);
    player->imgUnCueOver_Click();
    EXPECT_EQ(player->state.lstCuedSongsPath.Items(),
              (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
    EXPECT_EQ(player->lstCuedSongs->Items(),
              (QStringList{QStringLiteral("Band - Song 1"), QStringLiteral("Band - Song 3")}));
    player->lstCuedSongs->SetListIndex(-1);
    player->imgUnCueOver_Click();
    EXPECT_EQ(player->state.lstCuedSongsPath.Items(), QStringList{QStringLiteral("3")});
    player->imgUnCueOver_Click();
    EXPECT_FALSE(player->state.CuePending);
    player->imgUnCueOver_Click(); // empty: nothing happens
    EXPECT_EQ(player->lstCuedSongs->ListCount(), 0);
}

TEST_F(Playback, CueButtonQueuesTheSelectedTrack) {
    player->lstTracks->SetListIndex(2);
    player->imgCueOver_Click();
    player->imgCueOver_Click(); // twice: queued twice
    EXPECT_EQ(player->state.lstCuedSongsPath.Items(),
              (QStringList{QStringLiteral("3"), QStringLiteral("3")}));
    player->lstTracks->SetListIndex(-1);
    player->imgCueOver_Click();
    EXPECT_EQ(player->state.lstCuedSongsPath.ListCount(), 2);
}

TEST_F(Playback, ASongFromTheCommandLineStopsAtItsEnd) {
    Activate(0);
    player->state.StartedFromCommand = true;
    sender.commands.clear();
    player->EndOfSongCode();
    EXPECT_TRUE(Sent("stop song"));
    EXPECT_FALSE(Sent("play song"));
    EXPECT_FALSE(player->state.StartedFromCommand);
    EXPECT_FALSE(player->state.songplaying);
    EXPECT_EQ(player->lblRunningTime->text(), QStringLiteral("00:00/0:000"));
    player->EndOfSongCode(); // the next end goes on with the play order
    EXPECT_EQ(Playing(), QStringLiteral("2"));
}

TEST_F(Playback, WithoutAPlayOrderTheEndOfASongStops) {
    player->PlaySong(3, QString());
    sender.commands.clear();
    player->EndOfSongCode();
    EXPECT_TRUE(Sent("stop song"));
    EXPECT_FALSE(Sent("play song"));
    EXPECT_FALSE(player->state.songplaying);
}

TEST_F(Playback, PlayAfterStopRestartsTheSelectedTrack) {
    Activate(2);
    player->imgStopOver_Click();
    EXPECT_TRUE(player->state.stopped);
    EXPECT_TRUE(player->imgPlay.normal->isVisibleTo(player.get()));
    sender.commands.clear();
    player->imgPlayOver_Click();
    EXPECT_TRUE(Sent("open \"/m/3.mp3\" alias song"));
    EXPECT_TRUE(player->state.stopped); // never cleared
    player->imgPauseOver_Click();
    EXPECT_TRUE(Sent("pause song"));
    EXPECT_FALSE(player->state.songplaying);
}

TEST_F(Playback, PlayResumesWhatIsLoaded) {
    sender.replies[QStringLiteral("status song length")] = QStringLiteral("3000");
    player->PlaySong(1, QString());
    player->imgPauseOver_Click();
    sender.commands.clear();
    player->imgPlayOver_Click();
    EXPECT_TRUE(Sent("resume song"));
    EXPECT_FALSE(Sent("play song"));
    EXPECT_TRUE(player->state.songplaying);
}

TEST_F(Playback, TickMovesThumbAndTimeAndEndsTheSong) {
    Activate(0);
    sender.replies[QStringLiteral("status song length")] = QStringLiteral("183000");
    sender.replies[QStringLiteral("status song position")] = QStringLiteral("65000");
    player->picSongProgress->SetScaleWidth(183);
    player->tmrPlay_Timer();
    EXPECT_EQ(player->lblRunningTime->text(), QStringLiteral("1:05/3:03"));
    EXPECT_NEAR(player->lblProgress->Left(), 65 - player->lblProgress->Width() / 2, 1e-6);
    EXPECT_EQ(Playing(), QStringLiteral("1"));
    sender.replies[QStringLiteral("status song position")] = QStringLiteral("183000");
    player->tmrPlay_Timer();
    EXPECT_EQ(Playing(), QStringLiteral("2"));
}

TEST_F(Playback, TitleScrollsAndAClickPutsItBack) {
    player->PlaySong(1, QString());
    player->PlaceTrack(300, 0);
    player->tmrPlay_Timer();
    EXPECT_EQ(player->TrackLeft(), 290);
    player->PlaceTrack(5, 20);
    player->tmrPlay_Timer();
    EXPECT_EQ(player->TrackTop(), 30); // at the left edge it sinks
    player->PlaceTrack(5, 300);
    player->tmrPlay_Timer();
    EXPECT_EQ(player->TrackLeft(), 4695); // below the box it starts again at the right
    player->trackscrollclick();
    EXPECT_EQ(player->TrackLeft(), 5);
    EXPECT_EQ(player->TrackTop(), 0);
    player->tmrPlay_Timer();
    EXPECT_EQ(player->TrackLeft(), 5); // no longer scrolling
}

TEST_F(Playback, AClickOnThePlayedPartOfTheBarSeeksToo) {
    sender.replies[QStringLiteral("status song length")] = QStringLiteral("200000");
    sender.replies[QStringLiteral("status song position")] = QStringLiteral("150000");
    player->PlaySong(1, QString());
    player->show();
    player->tmrPlay_Timer(); // the thumb and the played part move to 150 s of 200
    ASSERT_GT(player->imgprogress->width(), player->picSongProgress->width() / 2);
    sender.commands.clear();
    // A click a quarter of the way along the bar lands on the played part.
    QTest::mouseClick(player->imgprogress, Qt::LeftButton, {},
                      QPoint(player->picSongProgress->width() / 4, 2));
    ASSERT_EQ(sender.commands.size(), 2);
    const int ms = sender.commands[0].mid(QStringLiteral("play song from ").size()).toInt();
    EXPECT_NEAR(ms, 50000, 3000);
    EXPECT_EQ(sender.commands[1], QStringLiteral("resume song"));
}

TEST_F(Playback, ItemsThatCannotBeOpenedAreShownSkippedAndNotCounted) {
    sender.failures[QStringLiteral("open \"/m/2.mp3\" alias song")] = 275;
    player->unplayableNoticeMs = 0;
    Activate(1); // play order: the six items of [All Media]; song 2 cannot be opened
    EXPECT_EQ(player->lblTrack->text(),
              QStringLiteral("Band - Song 2: cannot be played (file not found)"));
    EXPECT_EQ(PlayCount(2), 0);
    player->state.RepeatOneSong = true; // a repeat does not try the same file again
    player->tmrPlay_Timer();
    EXPECT_EQ(Playing(), QStringLiteral("3"));
    EXPECT_EQ(PlayCount(3), 1);
    EXPECT_TRUE(dialogs.shown.empty());
}

// While the note on an item that cannot be played is up, the user may start another item or
// stop: the move past the bad item, due when the note has been read, must not follow.
TEST_F(Playback, AnItemStartedOrAStopWhileTheNoteIsUpIsNotCutInOn) {
    sender.failures[QStringLiteral("open \"/m/2.mp3\" alias song")] = 275;
    player->unplayableNoticeMs = 0;
    for (const bool stop : {false, true}) {
        SCOPED_TRACE(stop ? "stopped" : "another item started");
        Activate(1);
        ASSERT_TRUE(player->lblTrack->text().contains(QStringLiteral("cannot be played")));
        if (stop)
            player->imgStopOver_Click();
        else
            player->PlaySong(5, QString());
        const QString shown = player->lblTrack->text();
        for (int tick = 0; tick < 3; ++tick)
            player->tmrPlay_Timer();
        EXPECT_EQ(player->lblTrack->text(), shown);
        EXPECT_EQ(player->state.songplaying, !stop);
        EXPECT_EQ(Playing(), stop ? QStringLiteral("2") : QStringLiteral("5"));
    }
}

TEST_F(Playback, ARoundOfItemsThatCannotBeOpenedStops) {
    for (int id = 1; id <= 5; ++id)
        sender.failures[QStringLiteral("open \"/m/%1.mp3\" alias song").arg(id)] = 275;
    folder.Exec("DELETE FROM tblSong WHERE songid = 6");
    player->datSong.Refresh();
    player->SelectPlayList(0);
    player->unplayableNoticeMs = 0;
    Activate(0);
    for (int tick = 0; tick < 20 && player->state.songplaying; ++tick)
        player->tmrPlay_Timer();
    EXPECT_FALSE(player->state.songplaying);
    EXPECT_EQ(sender.commands.count(QStringLiteral("open \"/m/1.mp3\" alias song")), 1);
    for (int id = 1; id <= 5; ++id)
        EXPECT_EQ(PlayCount(id), 0);
}

// The tick on a clock of the test's own, the song's position following that clock: the end of
// a song is acted on at the wake where its whole-second position reaches its whole-second
// length, as it would be at a hundred ticks a second, while the program wakes far less often.
TEST_F(Playback, TheEndIsActedOnWhenTheWholeSecondIsReachedWithoutWakingEveryTenMs) {
    for (const bool scrolling : {true, false}) {
        SCOPED_TRACE(scrolling ? "title scrolling" : "title still");
        qint64 now = 0;
        player->tickClock = [&] { return now; };
        player->state.TitleScrolling = scrolling;
        sender.replies[QStringLiteral("status song length")] = QStringLiteral("5400");
        sender.replies[QStringLiteral("status song position")] = QStringLiteral("0");
        const int countBefore = PlayCount(2);
        Activate(0);
        ASSERT_EQ(Playing(), QStringLiteral("1"));
        qint64 started = now, endedAt = -1;
        int wakes = 0;
        const qsizetype lengthsBefore = sender.commands.count(QStringLiteral("status song length"));
        while (now < 5600) {
            sender.replies[QStringLiteral("status song position")] = QString::number(now - started);
            player->tmrPlay_Due();
            ++wakes;
            // The thumb and the running time show the whole second reached, at every wake.
            if (endedAt < 0 && Playing() == QStringLiteral("1")) {
                EXPECT_EQ(player->lblRunningTime->text(),
                          QStringLiteral("0:0%1/0:05").arg((now - started) / 1000));
                EXPECT_EQ(qRound(player->lblProgress->Left() + player->lblProgress->Width() / 2),
                          (now - started) / 1000);
            }
            if (endedAt < 0 && Playing() == QStringLiteral("2")) {
                endedAt = now;
                started = now; // the next song starts from its beginning
            }
            ASSERT_TRUE(player->tmrPlay.isActive());
            now += player->tmrPlay.interval();
        }
        // Whole second 5 of a 5.4 s song is reached at 5000 ms.
        EXPECT_GE(endedAt, 5000);
        EXPECT_LE(endedAt, 5010);
        // A hundred a second would be 560; the scrolling title is drawn 25 times a second.
        EXPECT_LE(wakes, scrolling ? 25 * 6 + 12 : 6 + 12);
        // The title's frames within a second ask for the position only: the length is asked
        // for at the wakes where the whole second changes, not at each of the 150 frames.
        EXPECT_LE(sender.commands.count(QStringLiteral("status song length")) - lengthsBefore, 40);
        EXPECT_EQ(player->lblRunningTime->text(), QStringLiteral("0:00/0:05"));
        EXPECT_EQ(PlayCount(2), countBefore + 1);
    }
}

TEST(TickPlan, CountsTheStepsThatPassedAndWakesWhenSomethingIsDue) {
    TickPlan plan;
    EXPECT_EQ(plan.StepsDue(1000), 1);
    EXPECT_EQ(plan.StepsDue(1009), 0); // woken early: no step yet
    EXPECT_EQ(plan.StepsDue(1035), 3);
    EXPECT_EQ(plan.StepsDue(1040), 1);    // the 5 ms left over were kept
    EXPECT_EQ(plan.StepsDue(1000000), 1); // after a long stall the count starts again

    TickPlan::Needs idle;
    EXPECT_EQ(plan.NextDelay(idle, 0), TickPlan::kIdleMs);
    TickPlan::Needs video;
    video.everyStep = true;
    EXPECT_EQ(plan.NextDelay(video, 0), 10);
    TickPlan::Needs title;
    title.titleMoving = true;
    title.msSinceTitlePaint = 15;
    EXPECT_EQ(plan.NextDelay(title, 0), 25);
    TickPlan::Needs notice = title;
    notice.titleMoving = false;
    notice.noticeLeftMs = 700;
    EXPECT_EQ(plan.NextDelay(notice, 0), 700);

    // A song at twice the clock's speed: once its speed is seen, the wake comes just after its
    // next whole second; before that, soon.
    TickPlan::Needs song;
    song.songAdvancing = true;
    song.positionMs = 4000;
    EXPECT_EQ(plan.NextDelay(song, 10000), 100);
    song.positionMs = 4200;
    EXPECT_EQ(plan.NextDelay(song, 10100), 401); // 800 ms of song at 2 ms a ms
    song.positionMs = 3000;                      // sought back: the speed is learnt again
    EXPECT_EQ(plan.NextDelay(song, 10200), 100);
    plan.Restart();
    song.positionMs = 0;
    EXPECT_EQ(plan.NextDelay(song, 20000), 100);

    // Only the idle look-in may come a little late; whatever moves or can fall due keeps the
    // wake on time (the end of a song is acted on within a step).
    EXPECT_TRUE(TickPlan::OnlyLooksIn(idle));
    for (const TickPlan::Needs& needs : {video, title, notice, song})
        EXPECT_FALSE(TickPlan::OnlyLooksIn(needs));
}

TEST_F(Playback, AStoppedPlayerWakesOnceASecondForTheCuePollAndTheTickTogether) {
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> polls, lookIns;
    QObject::connect(&player->tmrCueSong, &QTimer::timeout, player.get(),
                     [&] { polls.push_back(clock.elapsed()); });
    QObject::connect(&player->tmrPlay, &QTimer::timeout, player.get(),
                     [&] { lookIns.push_back(clock.elapsed()); });
    WaitFor([] { return false; }, 3600);
    ASSERT_GE(polls.size(), 3u);
    ASSERT_GE(lookIns.size(), 3u);
    EXPECT_LE(lookIns.size(), 5u) << "the idle tick wakes more than once a second";
    // After the first, each look-in comes in the same wake as a poll.
    for (size_t i = 1; i < lookIns.size(); ++i) {
        const bool together = std::any_of(polls.begin(), polls.end(), [&](qint64 poll) {
            return std::abs(poll - lookIns[i]) <= 5;
        });
        EXPECT_TRUE(together) << "look-in " << i << " at " << lookIns[i] << " ms";
    }
}
