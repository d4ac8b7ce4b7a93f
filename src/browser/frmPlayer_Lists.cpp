// The library lists: playlists, artists and numbered tracks, kept in step with the hidden
// lists and the mini player's drop-down lists.
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"

#include <QComboBox>
#include <QListWidget>

namespace {
const QString kAllMedia = QStringLiteral("[All Media]");
const QString kTop20 = QStringLiteral("[Top 20]");
const QString kAllArtists = QStringLiteral("[All Artists]");
const QString kEightBlanks = QStringLiteral("        ");
} // namespace

void frmPlayer::SelectPlayList(int index) {
    lstPlayLists->setCurrentRow(index);
    lstPlayLists_Click();
}

void frmPlayer::LoadPlayLists() {
    lstPlayLists->clear();
    skin_->cmbPlayLists->clear();
    skin_->cmbPlayLists->addItems({kAllMedia, kTop20});
    lstPlayLists->addItems({kAllMedia, kTop20});
    try {
        const int name = datPlayList.FieldIndex(QStringLiteral("Name"));
        for (datPlayList.MoveFirst(); !datPlayList.Eof(); datPlayList.MoveNext()) {
            const QString text = datPlayList.At(name).toString();
            if (TrimBlanks(text).isEmpty())
                continue;
            lstPlayLists->addItem(text);
            skin_->cmbPlayLists->addItem(text);
        }
    } catch (const StoreError&) {
        // an empty table ends the list here
    }
}

void frmPlayer::LoadTracks() {
    state.lstTest.Clear();
    lstArtist->clear();
    skin_->cmbArtists->clear();
    lstArtist->addItem(kAllArtists);
    skin_->cmbArtists->addItem(kAllArtists);
    try {
        const int artist = datSong.FieldIndex(QStringLiteral("artist"));
        state.PrevArtist.clear();
        for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext()) {
            const QString text = datSong.At(artist).toString();
            if (TrimBlanks(text) != TrimBlanks(state.PrevArtist)) {
                state.lstTest.AddItem(text);
                state.PrevArtist = text;
            }
        }
    } catch (const StoreError&) {
        // errors end the walk; the artists found so far are listed
    }
    state.ListPos = 0;
    state.PrevArtist.clear();
    for (const QString& entry : state.lstTest.Items()) {
        if (entry != state.PrevArtist) {
            lstArtist->addItem(entry);
            skin_->cmbArtists->addItem(entry);
        }
        state.PrevArtist = entry;
    }
}

void frmPlayer::AddTrackLine(int number, int songIndex) {
    const QString title = datSong.At(songIndex).toString();
    lstTracks->addItem(QString::number(number) + kEightBlanks + title);
    skin_->cmbTracks->addItem(title);
    state.lstMaybe.AddItem(datSong.At(0).toString());
}

void frmPlayer::lstPlayLists_Click() {
    lstTracks->clear();
    lstArtist->clear();
    skin_->cmbTracks->clear();
    skin_->cmbArtists->clear();
    state.lstTest.Clear();
    state.lstMaybe.Clear();
    state.insearch = false;
    const QListWidgetItem* chosen = lstPlayLists->currentItem();
    if (chosen && chosen->text() == kAllMedia) {
        LoadTracks();
        lstArtist->setCurrentRow(0);
        lstArtist_Click();
    }
}

void frmPlayer::lstArtist_Click() {
    lstTracks->clear();
    skin_->cmbTracks->clear();
    state.lstMaybe.Clear();
    const QListWidgetItem* artistItem = lstArtist->currentItem();
    const QListWidgetItem* playlistItem = lstPlayLists->currentItem();
    if (!artistItem)
        return;
    try {
        const int title = datSong.FieldIndex(QStringLiteral("Title"));
        const int artist = datSong.FieldIndex(QStringLiteral("artist"));
        const bool allArtists = artistItem->text() == kAllArtists;
        if (allArtists && !(playlistItem && playlistItem->text() == kAllMedia))
            return;
        int number = 0;
        for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext())
            if (allArtists || datSong.At(artist).toString() == artistItem->text())
                AddTrackLine(++number, title);
    } catch (const StoreError&) {
        // errors end the listing; what is listed stays
    }
}
