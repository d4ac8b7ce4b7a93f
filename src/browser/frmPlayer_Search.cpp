// The search box, which lists matching songs from the whole library as the user types, and
// track activation, which plays a listed track and makes the track list the play order.
#include "browser/ListNames.h"
#include "browser/SearchText.h"
#include "playback/ScaledBox.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"

#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QStringMatcher>

void frmPlayer::txtSearch_Change() {
    state.insearch = true;
    state.PrevArtist.clear();
    state.lstTest.Clear();
    lstArtist->Clear();
    lstTracks->Clear();
    state.lstMaybe.Clear();
    lstArtist->AddItem(kAllArtists);
    state.TrackCount = 0;
    const int most = datSong.RecordCount();
    lstTracks->Reserve(most);
    state.lstMaybe.Reserve(most);
    // The artists of the matches go into lstTest in its sorted order straight away, counted by
    // their place in the library's artist order.
    const ArtistOrder& order = ArtistsInOrder();
    std::vector<int> matchesOf(static_cast<size_t>(order.artists.size()), 0);
    try {
        QString wanted;
        NormaliseForSearch(txtSearch->text(), wanted);
        // Case is ignored; an empty search text matches every song.
        const QStringMatcher matcher(wanted, Qt::CaseInsensitive);
        const int artist = datSong.FieldIndex(QStringLiteral("artist"));
        const int title = datSong.FieldIndex(QStringLiteral("Title"));
        QString scratch;
        int position = 0;
        for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext(), ++position) {
            const QString& artistText = datSong.TextAt(position, artist);
            const bool matches =
                wanted.isEmpty() || matcher.indexIn(NormaliseForSearch(artistText, scratch)) >= 0 ||
                matcher.indexIn(NormaliseForSearch(datSong.TextAt(position, title), scratch)) >= 0;
            if (!matches)
                continue;
            if (state.TrackCount == 32767)
                break; // the running number cannot go higher
            ++state.TrackCount;
            ++matchesOf[static_cast<size_t>(order.rankOf[static_cast<size_t>(position)])];
            AddTrackLine(state.TrackCount, position, false);
        }
    } catch (const StoreError&) {
        // an empty library lists nothing
    }
    state.lstTest.AssignSorted(order.artists, matchesOf);
    FillArtistLists(false);
}

const frmPlayer::ArtistOrder& frmPlayer::ArtistsInOrder() {
    if (artistOrder_.generation == datSong.Generation())
        return artistOrder_;
    const int artist = datSong.FieldIndex(QStringLiteral("artist"));
    QHash<QString, int> firstSeen;
    QStringList distinct;
    std::vector<int> distinctOf(static_cast<size_t>(datSong.RecordCount()));
    for (int position = 0; position < datSong.RecordCount(); ++position) {
        const QString& text = datSong.TextAt(position, artist);
        auto found = firstSeen.constFind(text);
        if (found == firstSeen.cend()) {
            found = firstSeen.insert(text, static_cast<int>(distinct.size()));
            distinct.append(text);
        }
        distinctOf[static_cast<size_t>(position)] = *found;
    }
    const std::vector<int> order = state.lstTest.CollatedOrder(distinct);
    std::vector<int> rankOfDistinct(order.size());
    artistOrder_.artists.clear();
    for (size_t rank = 0; rank < order.size(); ++rank) {
        rankOfDistinct[static_cast<size_t>(order[rank])] = static_cast<int>(rank);
        artistOrder_.artists.append(distinct[order[rank]]);
    }
    artistOrder_.rankOf.resize(distinctOf.size());
    for (size_t position = 0; position < distinctOf.size(); ++position)
        artistOrder_.rankOf[position] = rankOfDistinct[static_cast<size_t>(distinctOf[position])];
    artistOrder_.generation = datSong.Generation();
    return artistOrder_;
}

void frmPlayer::txtSearch_KeyDown(int KeyCode) {
    if (KeyCode != Qt::Key_Return && KeyCode != Qt::Key_Enter)
        return;
    if (lstArtist->isVisible())
        lstArtist->setFocus();
    else
        lstTracks->setFocus();
}

// The video window comes back to the front when the search box is left; it is shown by the
// video playback, which is not built yet.
void frmPlayer::txtSearch_LostFocus() {
    if (state.videofile)
        BringVideoBack();
}

void frmPlayer::lstTracks_DblClick() {
    const int row = lstTracks->ListIndex();
    if (lstTracks->Text().isEmpty())
        return;
    state.lstNowPlaying.Clear();
    state.lstMaybe.SetListIndex(row);
    lblProgress->SetLeft(0);
    imgprogress->SetWidth(5);
    ShowToggle(imgPause, imgPlay, true);
    try {
        PlaySong(static_cast<qint16>(TrimBlanks(state.lstMaybe.Text()).toInt()), QString());
        for (state.ListPos = 0; state.ListPos < state.lstMaybe.ListCount(); ++state.ListPos)
            state.lstNowPlaying.AddId(state.lstMaybe.Id(state.ListPos));
        state.lstNowPlaying.SetListIndex(row);
    } catch (const std::exception&) {
        // activation ends quietly
    }
}

void frmPlayer::lstTracks_KeyDown(int KeyCode) {
    if (KeyCode == Qt::Key_Return || KeyCode == Qt::Key_Enter)
        lstTracks_DblClick();
}
