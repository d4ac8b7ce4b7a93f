// What the desktop asks of the player (its now-playing display, media keys, keyboard shortcuts,
// files dropped on the window), done through the main window's own procedures: the transport
// buttons, the end-of-song rule, the progress bar, the volume gauge, the speed track and the
// command-line hand-off. The window and the desktop therefore always agree.
//
// Everything runs on the user-interface thread. No call waits for more than the media service's
// synchronous answer (an open when a song starts).
#pragma once

#include <QString>
#include <QtGlobal>

class frmPlayer;

class PlayerActions {
public:
    explicit PlayerActions(frmPlayer& player) : player_(player) {}

    enum class Status { Playing, Paused, Stopped };
    // What the media service says of the item playing (the song, or a library video).
    Status PlaybackStatus() const;

    void Play();      // the Play button, unless something already plays
    void Pause();     // the Pause button, when something plays
    void PlayPause(); // Pause while playing, else Play
    void Stop();      // the Stop button
    // The queue's head, else the next entry of the play order (wrapping); a repeated song is
    // not started again, and a song started from the command line no longer stops playback.
    void Next();
    // The entry before in the play order (from the first, the last).
    void Previous();

    struct Song {
        qint16 id = 0; // 0: nothing has played yet
        QString title, artist, path;
    };
    // The library song last started (a background visual is not one).
    Song NowPlaying() const;
    qint64 PositionMs() const;
    qint64 LengthMs() const;
    // Seeks as a click on the progress bar does (to whole seconds; a paused song plays on).
    void SeekToMs(qint64 ms);

    // The volume gauge: 0.0 empty, 1.0 full (the volume buttons can take it a little beyond).
    double Volume() const;
    void SetVolume(double volume);

    // The speed track: 1.0 is the normal speed. The rates lie between the track's two ends.
    double Rate() const;
    void SetRate(double rate); // 0 or less pauses
    double MinimumRate() const;
    double MaximumRate() const;

    void Raise(); // the mini player when it is in use, else the main window
    void Quit();  // closes the main window as its close button does

    // A file handed in after start-up (dropped, or named over the bus): handled as a file on
    // the command line is. False (and said to the user) when it names no file.
    bool OpenFile(const QString& path);

    frmPlayer& player() const { return player_; }

private:
    double RateFactor() const;
    void PlayOrderEntry(int index);
    frmPlayer& player_;
};
