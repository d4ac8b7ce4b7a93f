// When the playback tick next has something to do. The tick's rules are counted in steps of
// 10 ms (the title moves 10 twips a step, a picture stays 100 steps), but the program is woken
// only when something on the screen can change or a rule can become due: the steps that passed
// in between are counted from the clock and run at the next wake.
#pragma once

#include <QtGlobal>

class TickPlan {
public:
    static constexpr int kStepMs = 10;
    // The scrolling title is drawn at most this often (it moves every step, drawn or not).
    static constexpr int kTitleFrameMs = 40;
    // While nothing moves the program still looks in this often, so that nothing depends on
    // every change of state waking it.
    static constexpr int kIdleMs = 1000;
    // Steps beyond this many (the program was stopped or starved for 10 s) are dropped.
    static constexpr int kMostSteps = 1000;

    // The steps of 10 ms that passed by `now` since they were last counted (0 when woken
    // before a step ended; 1 the first time).
    int StepsDue(qint64 now);

    // What the next wake has to serve.
    struct Needs {
        bool everyStep = false;   // a video or a background item: each step does work
        bool titleMoving = false; // a title is scrolling in the strip
        qint32 msSinceTitlePaint = 0;
        bool songAdvancing = false; // a song plays: its whole second changes
        qint32 positionMs = 0;      // the song's position now (when songAdvancing)
        qint32 noticeLeftMs = -1;   // a note in the title strip is due to end in this many ms
    };
    // Milliseconds until the next wake, at least 1.
    int NextDelay(const Needs& needs, qint64 now);
    // Nothing moves on the screen and no rule can become due: the next wake is only the idle
    // look-in, which may come a little late and so share its wake with another timer.
    static bool OnlyLooksIn(const Needs& needs) {
        return !needs.everyStep && !needs.titleMoving && !needs.songAdvancing &&
               needs.noticeLeftMs < 0;
    }

    // Forgets how fast the song was going (a seek, a new song, a change of speed or pause).
    void Restart() {
        sampleAt_ = -1;
        rateKnown_ = false;
    }

private:
    qint64 steppedTo_ = -1;
    // The song's position at an earlier wake, to know how fast it advances (the speed track
    // makes it run from a tenth to twice as fast as the clock).
    qint64 sampleAt_ = -1;
    qint32 samplePosition_ = 0;
    double rate_ = 1.0;
    bool rateKnown_ = false;
};
