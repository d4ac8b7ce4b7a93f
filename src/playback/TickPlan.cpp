#include "playback/TickPlan.h"

#include <algorithm>
#include <cmath>

int TickPlan::StepsDue(qint64 now) {
    if (steppedTo_ < 0 || now < steppedTo_ || now - steppedTo_ > qint64(kMostSteps) * kStepMs) {
        steppedTo_ = now;
        return 1;
    }
    const int steps = static_cast<int>((now - steppedTo_) / kStepMs);
    steppedTo_ += qint64(steps) * kStepMs;
    return steps;
}

int TickPlan::NextDelay(const Needs& needs, qint64 now) {
    if (needs.everyStep)
        return kStepMs;
    int delay = kIdleMs;
    if (needs.noticeLeftMs >= 0)
        delay = std::min(delay, needs.noticeLeftMs);
    if (needs.titleMoving)
        delay =
            std::min(delay, kTitleFrameMs - std::clamp(needs.msSinceTitlePaint, 0, kTitleFrameMs));
    if (needs.songAdvancing) {
        // The time text, the thumb and the end of the song all change with the whole second
        // of the position: wake just after the next one begins.
        if (sampleAt_ >= 0 && needs.positionMs < samplePosition_)
            Restart(); // the song went back: the earlier sample says nothing
        if (sampleAt_ < 0) {
            sampleAt_ = now;
            samplePosition_ = needs.positionMs;
        } else if (now - sampleAt_ >= 50 && needs.positionMs > samplePosition_) {
            rate_ = std::clamp(double(needs.positionMs - samplePosition_) / double(now - sampleAt_),
                               0.05, 4.0);
            rateKnown_ = true;
            sampleAt_ = now;
            samplePosition_ = needs.positionMs;
        }
        const int toNextSecond = 1000 - needs.positionMs % 1000;
        // Until the speed is known, look again soon.
        const int bound = rateKnown_ ? kIdleMs : 100;
        delay = std::min({delay, bound, static_cast<int>(std::ceil(toNextSecond / rate_)) + 1});
    }
    return std::max(delay, 1);
}
