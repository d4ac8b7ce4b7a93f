// The state the main window shares between its procedures and with the other windows. It lives
// on the user-interface thread only, so nothing is locked. Nothing of it is saved between runs.
#pragma once

#include "core/HiddenList.h"

#include <QString>

struct CueRecordBuffer {
    qint16 Marker = 0;
    qint16 SongID = 0;
};

struct PlayerState {
    // Read and written by other windows too.
    bool PlayingOther = false; // the current medium is a file given by path, not a library item
    bool songplaying = false;  // something is playing
    bool firstvideo = true;    // no video has been shown yet
    bool stopped = false;      // Stop was pressed at least once in this run
    bool videofile = false;    // the current library item plays in the video window
    QString AliasName = QStringLiteral("movie0"); // media alias of the video device
    QString typeDevice;                           // device type of the current video
    bool seperatevideo = false;                   // the video window floats free
    bool insearch = false;                        // the track list shows search results

    // The main window's own.
    qint16 LoadTicks = 0;
    bool FirstLoad = true;           // the start-up reload has not failed yet
    bool StartedFromCommand = false; // a file came on the command line: stop at its end
    bool CuePending = false;         // the cue queue holds entries
    bool RepeatOneSong = false;
    CueRecordBuffer CueRecord;
    QString PrevArtist;
    qint16 ListPos = 0;
    qint16 TrackCount = 0;
    QString AddTitle;
    qint16 AddPlayListID = 0;
    qint16 AddSongID = 0;
    bool TitleScrolling = true;
    bool DraggingProgress = false;
    qint16 ProgressGrabX = 0;
    bool DraggingSpeed = false;
    qint16 SpeedGrabX = 0;
    bool DraggingSplitter = false;
    qint16 SplitterGrabY = 0;
    qint32 SeekSeconds = 0;
    bool LastWasVideo = false;
    bool VideoStarted = false;
    bool ShowingPicture = false;
    qint16 PictureTicks = 0;
    bool RepeatOneVideo = false;
    qint16 VideoFrameRate = 0;
    QString VideoLengthText;

    // Hidden lists used as arrays.
    IdList lstMaybe;             // songid of each lstTracks entry, same index
    IdList lstNowPlaying;        // the play order; ListIndex is the playing song
    HiddenList lstCuedSongsPath; // songid of each queued song, entry for entry with lstCuedSongs
    SortedList lstTest{SortedList::Order::Collated};       // artists of the listed songs
    SortedList lstTest3{SortedList::Order::CountThenText}; // "[Top 20]" sort keys
    HiddenList lstEditID; // songid of each line of the edit panel's track list, same index

    // Hidden labels.
    QString lblNowPlaying; // songid of the library item last started
    QString lblEntryCount; // the window's id counter for playlists and playlist entries
    QString lblTest, lblArtist, lblTitle; // file name, artist, title of a file handed in
    QString txtSave;                      // the text of a playlist file being exported

    // The start values of a new run of the window (set by SetFormLoad).
    void ResetForStart() {
        insearch = false;
        FirstLoad = true;
        StartedFromCommand = false;
        songplaying = false;
        TitleScrolling = true;
        LastWasVideo = false;
        videofile = false;
        DraggingProgress = false;
        DraggingSpeed = false;
        AliasName = QStringLiteral("movie0");
        CuePending = false;
        RepeatOneSong = false;
    }
};
