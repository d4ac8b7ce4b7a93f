// A stand-in for libmpv that plays nothing: it records what the media service asks of it and
// answers as a player would, on a clock that moves only when told to. The media service runs
// over it unchanged, so that its commands can be tried by the thousand (fuzzing) and what it
// hands the player can be checked exactly (unit tests).
//
// A file loads when it exists and is not empty; it lasts one second per 1000 bytes of its size;
// a name ending in .avi, .mpg or .mp4 has pictures at 25 frames a second. Events never wait:
// wait_event answers "none" at once when nothing is queued.
#pragma once

#include "media/MpvLibrary.h"

#include <QByteArray>
#include <QStringList>

#include <deque>
#include <memory>
#include <set>
#include <vector>

class RecordingMpv {
public:
    // Puts itself in place of libmpv until destroyed; one at a time.
    RecordingMpv();
    ~RecordingMpv();
    RecordingMpv(const RecordingMpv&) = delete;
    RecordingMpv& operator=(const RecordingMpv&) = delete;

    // Lets `seconds` of playing pass on every player that is playing (at its own speed); a
    // player that reaches its end stands there, paused, as with keep-open.
    void Pass(double seconds);

    // Every path handed to loadfile, in order, as the bytes given.
    std::vector<QByteArray> loaded;
    // Calls the real library would not take: a handle that was destroyed or never made, a
    // command before initialize. Each is described; none is expected.
    QStringList misuses;
    // Players made and not yet destroyed.
    int LiveHandles() const { return static_cast<int>(live_.size()); }
    // The options given to the last player made, as "name=value".
    QStringList lastOptions;

private:
    friend struct RecordingCalls;
    std::set<mpv_handle*> live_;
    // Destroyed handles are kept a while, so that a late call with one is recognised as such
    // rather than landing on a newer handle at the same address.
    std::deque<std::unique_ptr<mpv_handle>> destroyed_;
    MpvLibrary table_;
};
