// Playing a library item, the playback tick, and the cue queue.
#include "core/CueFile.h"
#include "core/Paths.h"
#include "skin/frmPlayer.h"

#include "skin/ListBox.h"
#include <QFile>
#include <QLabel>

void frmPlayer::PlaySong(qint16 ID, const QString& path) {
    if (ID == 0 || !path.isEmpty())
        return; // files given by path play in the video window, which is not built yet
    QString filepath, artist, title;
    bool found = false;
    try {
        const int pathIndex = datSong.FieldIndex(QStringLiteral("filepath"));
        const int artistIndex = datSong.FieldIndex(QStringLiteral("artist"));
        const int titleIndex = datSong.FieldIndex(QStringLiteral("Title"));
        // The walk goes to the end: a later record with the same identity wins.
        for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext())
            if (MatchesNumber(datSong.At(0), ID)) {
                filepath = datSong.At(pathIndex).toString();
                artist = datSong.At(artistIndex).toString();
                title = datSong.At(titleIndex).toString();
                found = true;
            }
        if (!found)
            return;
        lblTrack->setText(artist + QStringLiteral(" - ") + title);
        state.lblNowPlaying = QString::number(ID);
        media.SongFile = TrimBlanks(filepath);
        MP3::OpenAndPlaySong(media);
        state.videofile = false;
        state.songplaying = true;
        NoMouseOvers();
        // The play count is written last, once the song has started.
        for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext())
            if (MatchesNumber(datSong.At(0), ID)) {
                datSong.Edit();
                datSong.SetField(QStringLiteral("playcount"),
                                 datSong.Number(QStringLiteral("playcount")) + 1);
                datSong.Update();
            }
    } catch (const StoreError&) {
        // a library that cannot be read or written leaves the song as it is
    }
}

void frmPlayer::CueASong(qint16 ID) {
    const int artist = datSong.FieldIndex(QStringLiteral("artist"));
    const int title = datSong.FieldIndex(QStringLiteral("Title"));
    for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext())
        if (MatchesNumber(datSong.At(0), ID)) {
            lstCuedSongs->AddItem(datSong.At(artist).toString() + QStringLiteral(" - ") +
                                  datSong.At(title).toString());
            state.lstCuedSongsPath.AddItem(datSong.At(0).toString());
            break;
        }
    state.CuePending = state.lstCuedSongsPath.ListCount() > 0;
}

void frmPlayer::tmrCueSong_Timer() {
    const QString path = CueFilePath();
    if (!FileExists(path))
        return;
    if (const auto record = ReadCueFile(path)) {
        state.CueRecord = *record;
        try {
            CueASong(record->SongID);
        } catch (const StoreError&) {
            // a song that cannot be looked up is not queued
        }
    }
    // Taken, or unreadable as one record: either way it must not be read again.
    QFile::remove(path);
}

void frmPlayer::tmrPlay_Timer() {}
