// The search box, which lists matching songs from the whole library as the user types, and
// track activation, which plays a listed track and makes the track list the play order.
#include "browser/SearchText.h"
#include "playback/ScaledBox.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"

#include <QLabel>
#include <QLineEdit>
#include <QStringMatcher>

namespace {
const QString kAllArtists = QStringLiteral("[All Artists]");
} // namespace

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
    state.lstTest.Reserve(most);
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
            state.lstTest.AddItem(artistText);
            AddTrackLine(state.TrackCount, position, false);
        }
    } catch (const StoreError&) {
        // an empty library lists nothing
    }
    FillArtistLists(false);
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
void frmPlayer::txtSearch_LostFocus() {}

void frmPlayer::lstTracks_DblClick() {
    const int row = lstTracks->ListIndex();
    if (lstTracks->Text().isEmpty())
        return;
    state.lstNowPlaying.Clear();
    state.lstMaybe.SetListIndex(row);
    lblProgress->SetLeft(0);
    imgprogress->SetWidth(5);
    imgPause.Restore(true);
    imgPlay.Restore(false);
    try {
        PlaySong(static_cast<qint16>(TrimBlanks(state.lstMaybe.Text()).toInt()), QString());
        for (state.ListPos = 0; state.ListPos < state.lstMaybe.ListCount(); ++state.ListPos)
            state.lstNowPlaying.AddItem(state.lstMaybe.List(state.ListPos));
        state.lstNowPlaying.SetListIndex(row);
    } catch (const std::exception&) {
        // activation ends quietly
    }
}

void frmPlayer::lstTracks_KeyDown(int KeyCode) {
    if (KeyCode == Qt::Key_Return || KeyCode == Qt::Key_Enter)
        lstTracks_DblClick();
}
