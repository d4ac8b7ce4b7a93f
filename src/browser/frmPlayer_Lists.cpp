// The library lists: playlists, artists and numbered tracks, kept in step with the hidden lists
// (lstMaybe beside lstTracks, the sorted lstTest and lstTest3) and the mini player's lists.
// Every builder ends quietly at an error (usually an empty table), keeping what it listed.
#include "browser/ListNames.h"
#include "core/Decimal.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"

namespace {
constexpr int kTopCount = 20;

// The "[Top 20]" key of a song: its play count with at least three digits, two blanks, its id.
QString Top20Key(int playcount, const QString& songid) {
    QString key;
    key.reserve(12 + songid.size());
    if (playcount >= 0 && playcount < 100)
        key.append(playcount < 10 ? QLatin1String("00") : QLatin1String("0"));
    AppendDecimal(key, playcount);
    key.append(QLatin1String("  "));
    key.append(songid);
    return key;
}
} // namespace

void frmPlayer::SelectPlayList(int index) {
    lstPlayLists->SetListIndex(index);
    lstPlayLists_Click();
}

void frmPlayer::SelectArtist(int index) {
    lstArtist->SetListIndex(index);
    lstArtist_Click();
}

void frmPlayer::LoadPlayLists() {
    // The playlist being shown stays selected, so the buttons that act on it still work.
    const QString shown = lstPlayLists->Text();
    lstPlayLists->Clear();
    lstEditPlayList->Clear();
    lstAddToPlaylist->Clear();
    skin_->cmbPlayLists->Clear();
    skin_->cmbPlayLists->AddItems({kAllMedia, kTop20});
    lstPlayLists->AddItem(kAllMedia);
    lstEditPlayList->AddItem(kAllMedia);
    lstPlayLists->AddItem(kTop20);
    try {
        const int name = datPlayList.FieldIndex(QStringLiteral("Name"));
        for (datPlayList.MoveFirst(); !datPlayList.Eof(); datPlayList.MoveNext()) {
            const QString text = datPlayList.At(name).toString();
            if (TrimBlanks(text).isEmpty())
                continue;
            lstPlayLists->AddItem(text);
            lstAddToPlaylist->AddItem(text);
            lstEditPlayList->AddItem(text);
            skin_->cmbPlayLists->AddItem(text);
        }
    } catch (const StoreError&) {
        // an empty table ends the list here
    }
    if (!shown.isEmpty())
        lstPlayLists->SetListIndex(static_cast<int>(lstPlayLists->Items().indexOf(shown)));
}

// Fills lstArtist (and the mini player's cmbArtists) with "[All Artists]" and each distinct
// entry of the sorted lstTest once.
void frmPlayer::FillArtistLists(bool withMiniPlayer) {
    lstArtist->Clear();
    lstArtist->AddItem(kAllArtists);
    if (withMiniPlayer) {
        skin_->cmbArtists->Clear();
        skin_->cmbArtists->AddItem(kAllArtists);
    }
    state.PrevArtist.clear();
    for (const QString& entry : state.lstTest.Distinct()) {
        if (entry == state.PrevArtist)
            continue; // an empty artist is not listed
        lstArtist->AddItem(entry);
        if (withMiniPlayer)
            skin_->cmbArtists->AddItem(entry);
        state.PrevArtist = entry;
    }
    state.ListPos = state.lstTest.ListCount();
}

void frmPlayer::LoadTracks() {
    state.lstTest.Clear();
    state.lstTest.Reserve(datSong.RecordCount());
    try {
        const int artist = datSong.FieldIndex(QStringLiteral("artist"));
        state.PrevArtist.clear();
        int position = 0;
        for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext(), ++position) {
            const QString& text = datSong.TextAt(position, artist);
            if (TrimBlanks(text) != TrimBlanks(state.PrevArtist)) {
                state.lstTest.AddItem(text);
                state.PrevArtist = text;
            }
        }
    } catch (const StoreError&) {
        // the artists found so far are listed
    }
    state.ListPos = 0;
    FillArtistLists(true);
}

// One line of lstTracks for the record at `position` of datSong, with its companions.
void frmPlayer::AddTrackLine(qint16 number, int position, bool toMiniPlayer) {
    static const int title =
        TableSchema::Find(QStringLiteral("tblSong"))->IndexOf(QStringLiteral("Title"));
    const QString& text = datSong.TextAt(position, title);
    lstTracks->AddNumberedItem(number, text); // "<number><eight blanks><title>"
    if (toMiniPlayer)
        skin_->cmbTracks->AddItem(text);
    state.lstMaybe.AddId(datSong.NumberAt(position, 0));
}

// Lists the "[Top 20]": the keys of every song in lstTest3, then the highest 20 keys first.
void frmPlayer::ListTop20(bool collectArtists) {
    state.lstTest3.Clear();
    const int playcount = datSong.FieldIndex(QStringLiteral("playcount"));
    const int artist = datSong.FieldIndex(QStringLiteral("artist"));
    int record = 0;
    for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext(), ++record)
        state.lstTest3.AddItem(
            Top20Key(datSong.At(playcount).toInt(), datSong.IdentityText(record)));
    const int keys = state.lstTest3.ListCount();
    for (int rank = 1; rank <= std::min(kTopCount, keys); ++rank) {
        const QString& key = state.lstTest3.List(keys - rank);
        const int id = TrimBlanks(key.mid(key.indexOf(QLatin1Char(' ')) + 1)).toInt();
        for (int position : datSong.PositionsOf(id)) {
            if (collectArtists)
                state.lstTest.AddItem(datSong.TextAt(position, artist));
            AddTrackLine(static_cast<qint16>(rank), position);
        }
    }
}

void frmPlayer::lstPlayLists_Click() {
    lstTracks->Clear();
    lstArtist->Clear();
    skin_->cmbTracks->Clear();
    skin_->cmbArtists->Clear();
    state.lstTest.Clear();
    state.lstMaybe.Clear();
    state.insearch = false;
    const QString chosen = lstPlayLists->Text();
    try {
        if (chosen == kAllMedia) {
            LoadTracks();
            SelectArtist(0);
        } else if (chosen == kTop20) {
            state.lstTest3.Clear();
            lstArtist->Clear();
            skin_->cmbArtists->AddItem(kAllArtists);
            lstArtist->AddItem(kAllArtists);
            ListTop20(true);
            state.ListPos = 0;
            FillArtistLists(true);
            SelectArtist(0);
        } else {
            for (const qint16 id : PlaylistIdsNamed(chosen))
                FindTracks(id);
        }
    } catch (const StoreError&) {
        // the lists stay as far as they were built
    }
}

std::vector<qint16> frmPlayer::PlaylistIdsNamed(const QString& name) {
    std::vector<qint16> ids;
    const int field = datPlayList.FieldIndex(QStringLiteral("Name"));
    for (int position = 0; position < datPlayList.RecordCount(); ++position)
        if (MatchesText(datPlayList.AtPosition(position, field), name))
            ids.push_back(static_cast<qint16>(datPlayList.AtPosition(position, 0).toInt()));
    return ids;
}

void frmPlayer::FindTracks(qint16 ID) {
    state.TrackCount = 0;
    const int playlist = datTracks.FieldIndex(QStringLiteral("playlistid"));
    const int song = datTracks.FieldIndex(QStringLiteral("songid"));
    // Each listed entry rebuilds the artist lists; here they are built once, after the last
    // entry (or at an error), which leaves them the same. No entry: they are not touched.
    artistRebuildDeferred_ = true;
    bool listed = false;
    auto rebuild = [&] {
        artistRebuildDeferred_ = false;
        if (listed)
            FillArtistLists(true);
    };
    try {
        for (datTracks.MoveFirst(); !datTracks.Eof(); datTracks.MoveNext())
            if (MatchesNumber(datTracks.At(playlist), ID)) {
                listed = true;
                addplaylistsong(static_cast<qint16>(datTracks.At(song).toInt()));
            }
    } catch (...) {
        rebuild();
        throw;
    }
    rebuild();
}

void frmPlayer::addplaylistsong(qint16 ID) {
    ++state.TrackCount;
    const int artist = datSong.FieldIndex(QStringLiteral("artist"));
    for (int position : datSong.PositionsOf(ID)) {
        state.lstTest.AddItem(datSong.TextAt(position, artist));
        AddTrackLine(state.TrackCount, position);
    }
    if (!artistRebuildDeferred_)
        FillArtistLists(true);
}

void frmPlayer::lstArtist_Click() {
    lstTracks->Clear();
    skin_->cmbTracks->Clear();
    state.lstMaybe.Clear();
    const QString chosen = lstArtist->Text();
    const QString playlist = lstPlayLists->Text();
    try {
        if (chosen != kAllArtists) {
            const int artist = datSong.FieldIndex(QStringLiteral("artist"));
            qint16 number = 0;
            int position = 0;
            for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext(), ++position)
                if (datSong.TextAt(position, artist) == chosen)
                    AddTrackLine(++number, position);
        } else if (state.insearch) {
            txtSearch_Change();
        } else if (playlist == kAllMedia) {
            // Every song in the set's order: both track lists share the set's titles.
            const QStringList& titles =
                datSong.TextsOf(datSong.FieldIndex(QStringLiteral("Title")));
            lstTracks->AssignNumbered(titles);
            skin_->cmbTracks->Assign(titles);
            state.lstMaybe.Reserve(datSong.RecordCount());
            for (int position = 0; position < datSong.RecordCount(); ++position)
                state.lstMaybe.AddId(datSong.NumberAt(position, 0));
        } else if (playlist == kTop20) {
            ListTop20(false);
        } else {
            lstPlayLists_Click();
        }
    } catch (const StoreError&) {
        // the lists stay as far as they were built
    }
}

void frmPlayer::lstArtist_KeyDown(int KeyCode) {
    if (KeyCode == Qt::Key_Return || KeyCode == Qt::Key_Enter)
        lstTracks->setFocus();
}
