// The user's playlists: creating, renaming and deleting them, adding the selected track through
// the add panel and removing it again, the edit panel with its correction of a song's artist and
// title, and the export of a playlist to a file.
//
// Every change is written to the library at once (one committed transaction per record). A
// write that fails is reported; the other failures (mostly an empty table) end the operation
// quietly, keeping what was done so far.
#include "browser/ListNames.h"
#include "core/Dialogs.h"
#include "core/IdRule.h"
#include "playlists/PlaylistFile.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"
#include "skin/frmSkin.h"

#include <QLineEdit>

namespace {
const QString kNewPlaylist = QStringLiteral("New Playlist");
const QString kProposedName = QStringLiteral("New_Playlist");
const QString kDeletingMedia = QStringLiteral("Deleting Media");
const QString kNotAdded = QStringLiteral("Jukora - Not added");
const QString kNotSaved = QStringLiteral("Jukora - Playlist not saved");

// The title of a track line ("<number><blanks><title>"): the text after its first blank, trimmed.
QString TitleOfLine(const QString& line) {
    return TrimBlanks(line.mid(line.indexOf(QLatin1Char(' ')) + 1));
}

bool Confirmed(Dialogs& dialogs, const QString& question, const QString& title) {
    return dialogs.MsgBox(question, MsgButtons::YesNo, title) == MsgResult::Yes;
}

// Deletes every record of the source whose field `field` holds the number `id`.
void DeleteWhere(RecordSource& source, int field, int id) {
    if (source.RecordCount() == 0)
        return;
    for (source.MoveFirst(); !source.Eof(); source.MoveNext())
        if (MatchesNumber(source.At(field), id))
            source.Delete();
}
} // namespace

void frmPlayer::ReportNotChanged(const StoreError& error) {
    if (error.kind() != StoreError::Kind::Write)
        return;
    dialogs.MsgBox(error.message() + QStringLiteral("\r\nThe change was not made."), MsgButtons::Ok,
                   QStringLiteral("Jukora - Library not changed"), MsgIcon::Warning);
}

void frmPlayer::imgNewOver_Click() {
    QString name =
        dialogs.InputBox(QStringLiteral("What would you like to call your new playlist?"),
                         kNewPlaylist, kProposedName);
    if (TrimBlanks(name).isEmpty())
        return;
    // Every name already taken sends the user back to the question; the check starts again from
    // the first playlist, so a replacement that is itself taken is caught too.
    try {
        const int field = datPlayList.FieldIndex(QStringLiteral("Name"));
        bool taken = datPlayList.RecordCount() > 0;
        while (taken) {
            taken = false;
            for (datPlayList.MoveFirst(); !datPlayList.Eof() && !taken; datPlayList.MoveNext())
                taken = MatchesText(datPlayList.At(field), name);
            if (!taken)
                break;
            name = dialogs.InputBox(
                QStringLiteral("You already have a playlist with that name, please state another."),
                kNewPlaylist, kProposedName);
            while (name.isEmpty())
                name = dialogs.InputBox(QStringLiteral("Playlist name can't be a null value."),
                                        kNewPlaylist, kProposedName);
        }
    } catch (const StoreError&) {
        // the playlist is still made with the name given
    }
    try {
        BeginAppend(datPlayList, state.lblEntryCount, QString(), dialogs);
        datPlayList.SetField(QStringLiteral("Name"), name);
        datPlayList.Update();
    } catch (const StoreError& e) {
        datPlayList.CancelUpdate();
        ReportNotChanged(e);
        return;
    }
    LoadPlayLists();
}

void frmPlayer::imgRenameOver_Click() {
    const QString newName = txtRename->text();
    // Nothing selected would match the playlists with blank names, which are not shown.
    if (newName == kAllMedia || lstEditPlayList->ListIndex() < 0)
        return;
    const QString selected = lstEditPlayList->Text();
    try {
        const int field = datPlayList.FieldIndex(QStringLiteral("Name"));
        if (datPlayList.RecordCount() > 0)
            for (datPlayList.MoveFirst(); !datPlayList.Eof(); datPlayList.MoveNext()) {
                if (!MatchesText(datPlayList.At(field), selected))
                    continue;
                datPlayList.Edit();
                datPlayList.SetField(QStringLiteral("Name"), newName);
                datPlayList.Update();
            }
    } catch (const StoreError& e) {
        datPlayList.CancelUpdate();
        ReportNotChanged(e); // the playlists renamed so far keep their new name
    }
    LoadPlayLists();
}

void frmPlayer::imgDeletePlayListOver_Click() {
    const int index = lstEditPlayList->ListIndex();
    const QString selected = lstEditPlayList->Text();
    if (selected.isEmpty() || selected == kAllMedia)
        return;
    try {
        const std::vector<qint16> named = PlaylistIdsNamed(selected);
        const int id = named.empty() ? 0 : named.front();
        if (!Confirmed(dialogs, QStringLiteral("Are you sure you want to delete this playlist?"),
                       QStringLiteral("Deleting Playlist")))
            return;
        DeleteWhere(datPlayList, 0, id);
        lstEditPlayList->RemoveItem(index);
        DeleteWhere(datTracks, datTracks.FieldIndex(QStringLiteral("playlistid")), id);
        lstEditPlayListTracks->Clear();
        state.lstEditID.Clear();
        txtEditArtist->clear();
        txtEditTitle->clear();
        txtRename->clear();
        txtRename->setEnabled(false);
    } catch (const StoreError& e) {
        ReportNotChanged(e); // what was deleted stays deleted
    }
    // No list may go on offering the deleted playlist.
    LoadPlayLists();
}

void frmPlayer::imgAddOver_Click() {
    const QString line = lstTracks->Text();
    if (TrimBlanks(line).isEmpty())
        return;
    const QRect place = TwipsOf(fraAddToPlaylist);
    PlaceTwips(fraAddToPlaylist, TwipsRect(place.x(), place.y(), 7935, place.height()));
    fraAddToPlaylist->show();
    fraAddToPlaylist->raise();
    const QString title = TitleOfLine(line);
    txtSongToAdd->setText(title);
    state.AddTitle = title;
    cmbArtist->Clear();
    const QString artist = lstArtist->Text();
    if (!TrimBlanks(artist).isEmpty() && artist != kAllArtists) {
        cmbArtist->AddItem(TrimBlanks(artist));
    } else {
        // Every artist of a song with this title, compared without regard to case.
        try {
            const int titles = datSong.FieldIndex(QStringLiteral("Title"));
            const int artists = datSong.FieldIndex(QStringLiteral("artist"));
            const QString wanted = title.toUpper();
            for (int position = 0; position < datSong.RecordCount(); ++position)
                if (datSong.TextAt(position, titles).toUpper() == wanted)
                    cmbArtist->AddItem(datSong.TextAt(position, artists));
        } catch (const StoreError&) {
            // the artists found so far are offered
        }
    }
    // One artist is taken as chosen; of several the user must pick one.
    cmbArtist->SetListIndex(cmbArtist->ListCount() == 1 ? 0 : -1);
}

bool frmPlayer::FindPlaylist() {
    const QString chosen = lstAddToPlaylist->Text();
    bool found = false;
    try {
        const int name = datPlayList.FieldIndex(QStringLiteral("Name"));
        if (datPlayList.RecordCount() > 0)
            for (datPlayList.MoveFirst(); !datPlayList.Eof(); datPlayList.MoveNext())
                if (datPlayList.At(name).toString() == chosen) {
                    state.AddPlayListID = static_cast<qint16>(datPlayList.At(0).toInt());
                    found = true;
                }
    } catch (const StoreError&) {
        found = false;
    }
    lstAddToPlaylist->Clear();
    return found;
}

bool frmPlayer::FindSong() {
    const QString title = TrimBlanks(state.AddTitle);
    const QString artist = TrimBlanks(cmbArtist->Text());
    bool found = false;
    try {
        const int titles = datSong.FieldIndex(QStringLiteral("Title"));
        const int artists = datSong.FieldIndex(QStringLiteral("artist"));
        for (int position = 0; position < datSong.RecordCount(); ++position)
            if (TrimBlanks(datSong.TextAt(position, titles)) == title &&
                TrimBlanks(datSong.TextAt(position, artists)) == artist) {
                state.AddSongID = static_cast<qint16>(datSong.AtPosition(position, 0).toInt());
                found = true;
            }
    } catch (const StoreError&) {
        found = false;
    }
    return found;
}

void frmPlayer::imgOkOver_Click() {
    const QString playlist = lstAddToPlaylist->Text();
    if (TrimBlanks(playlist).isEmpty())
        return;
    if (TrimBlanks(cmbArtist->Text()).isEmpty()) {
        dialogs.MsgBox(
            QStringLiteral("This song may have multiple artists, please select from the list."),
            MsgButtons::Ok, QStringLiteral("Multiple Artists"));
        return;
    }
    // The playlist or the song may have gone since the panel opened (removed or renamed);
    // adding the song or playlist of an earlier add instead would be wrong.
    QString missing;
    if (!FindPlaylist())
        missing = QStringLiteral("The playlist \"%1\" is no longer in the library.").arg(playlist);
    else if (!FindSong())
        missing = QStringLiteral("The song \"%1\" by %2 is no longer in the library.")
                      .arg(TrimBlanks(state.AddTitle), TrimBlanks(cmbArtist->Text()));
    if (!missing.isEmpty()) {
        dialogs.MsgBox(missing + QStringLiteral("\r\nNothing was added to the playlist."),
                       MsgButtons::Ok, kNotAdded, MsgIcon::Warning);
        LoadPlayLists();
        fraAddToPlaylist->hide();
        return;
    }
    try {
        BeginAppend(datTracks, state.lblEntryCount, QString(), dialogs);
        datTracks.SetField(QStringLiteral("playlistid"), state.AddPlayListID);
        datTracks.SetField(QStringLiteral("songid"), state.AddSongID);
        datTracks.Update();
    } catch (const StoreError& e) {
        datTracks.CancelUpdate();
        ReportNotChanged(e);
        LoadPlayLists(); // the panel stays open for another try
        return;
    }
    LoadPlayLists();
    fraAddToPlaylist->hide();
}

void frmPlayer::imgBackOver_Click() {
    fraAddToPlaylist->hide();
}

// The library song of the selected track line: the id beside the line, when that song's title is
// the line's title; 0 when there is none.
qint16 frmPlayer::SelectedSongId() {
    const int row = lstTracks->ListIndex();
    if (row >= 0 && row < state.lstMaybe.ListCount())
        state.lstMaybe.SetListIndex(row);
    const int id = TrimBlanks(state.lstMaybe.Text()).toInt();
    const QString title = TitleOfLine(lstTracks->Text());
    const int titles = datSong.FieldIndex(QStringLiteral("Title"));
    for (int position : datSong.PositionsOf(id))
        if (TrimBlanks(datSong.TextAt(position, titles)) == title)
            return static_cast<qint16>(id);
    return 0;
}

// Removes the selected track line together with its id and its line in the mini player, so the
// lines after it still name their own songs.
void frmPlayer::RemoveSelectedTrackLine() {
    const int row = lstTracks->ListIndex();
    if (row < 0)
        return;
    if (skin_->cmbTracks->ListCount() == lstTracks->ListCount())
        skin_->cmbTracks->RemoveItem(row);
    if (row < state.lstMaybe.ListCount())
        state.lstMaybe.RemoveItem(row);
    lstTracks->RemoveItem(row);
}

void frmPlayer::imgDeleteOver_Click() {
    const QString playlist = lstPlayLists->Text();
    if (playlist.isEmpty() || lstTracks->Text().isEmpty())
        return;
    const QString artist = lstArtist->Text();
    const bool artistFilter = !TrimBlanks(artist).isEmpty() && artist != kAllArtists;
    try {
        const qint16 id = SelectedSongId();
        if (playlist == kAllMedia || artistFilter) {
            if (!Confirmed(
                    dialogs,
                    QStringLiteral("Deleting from [All Media] will remove the song from the "
                                   "database.\r\nAre you sure you want to remove this song?"),
                    kDeletingMedia))
                return;
            DeleteWhere(datSong, 0, id);
            RemoveSelectedTrackLine();
            DeleteWhere(datTracks, datTracks.FieldIndex(QStringLiteral("songid")), id);
        } else if (playlist == kTop20) {
            if (!Confirmed(
                    dialogs,
                    QStringLiteral("This is a preset playlist and so songs cannot be deleted "
                                   "from here.\r\nWould you like to reset the songs "
                                   "playcount?"),
                    kDeletingMedia))
                return;
            if (datSong.RecordCount() > 0)
                for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext())
                    if (MatchesNumber(datSong.At(0), id)) {
                        datSong.Edit();
                        datSong.SetField(QStringLiteral("playcount"), 0);
                        datSong.Update();
                    }
            SelectPlayList(1);
        } else {
            if (!Confirmed(
                    dialogs,
                    QStringLiteral("Are you sure you want to delete this song from this playlist?"),
                    kDeletingMedia))
                return;
            const int playlistid = datTracks.FieldIndex(QStringLiteral("playlistid"));
            const int songid = datTracks.FieldIndex(QStringLiteral("songid"));
            for (const qint16 shown : PlaylistIdsNamed(playlist)) {
                if (datTracks.RecordCount() == 0)
                    break;
                for (datTracks.MoveFirst(); !datTracks.Eof(); datTracks.MoveNext())
                    if (MatchesNumber(datTracks.At(playlistid), shown) &&
                        MatchesNumber(datTracks.At(songid), id))
                        datTracks.Delete();
            }
            RemoveSelectedTrackLine();
        }
    } catch (const StoreError& e) {
        datSong.CancelUpdate();
        ReportNotChanged(e); // what was deleted or changed stays so
    }
}

void frmPlayer::imgEditOver_Click() {
    LoadPlayLists();
    PlaceTwips(fraEditPlayList, TwipsRect(360, 120, 8055, 6375));
    fraEditPlayList->show();
    fraEditPlayList->raise();
}

void frmPlayer::imgEditBackOver_Click() {
    fraEditPlayList->hide();
}

void frmPlayer::lstEditPlayList_Click() {
    const QString entry = lstEditPlayList->Text();
    txtRename->setText(entry);
    txtRename->setEnabled(entry != kAllMedia);
    lstEditPlayListTracks->Clear();
    state.lstEditID.Clear();
    try {
        if (entry != kAllMedia) {
            for (const qint16 id : PlaylistIdsNamed(entry))
                FindEditTracks(id);
        } else {
            LoadEditTracks();
        }
    } catch (const StoreError&) {
        // what was listed so far stays
    }
    if (lstEditPlayListTracks->ListCount() == 0)
        return; // the artist and title boxes keep their text
    lstEditPlayListTracks->SetListIndex(0);
    lstEditPlayListTracks_Click();
}

// Lists the entries of playlist `ID` after the lines already listed; the ids stay line for line
// with them when several playlists share the selected name.
void frmPlayer::FindEditTracks(qint16 ID) {
    const int playlist = datTracks.FieldIndex(QStringLiteral("playlistid"));
    const int song = datTracks.FieldIndex(QStringLiteral("songid"));
    if (datTracks.RecordCount() == 0)
        return;
    for (datTracks.MoveFirst(); !datTracks.Eof(); datTracks.MoveNext())
        if (MatchesNumber(datTracks.At(playlist), ID))
            addeditplaylistsong(static_cast<qint16>(datTracks.At(song).toInt()));
}

void frmPlayer::addeditplaylistsong(qint16 ID) {
    const int title = datSong.FieldIndex(QStringLiteral("Title"));
    for (int position : datSong.PositionsOf(ID)) {
        lstEditPlayListTracks->AddItem(datSong.TextAt(position, title));
        state.lstEditID.AddItem(datSong.IdentityText(position));
    }
}

void frmPlayer::LoadEditTracks() {
    lstEditPlayListTracks->Clear();
    state.lstEditID.Clear();
    const int title = datSong.FieldIndex(QStringLiteral("Title"));
    lstEditPlayListTracks->Reserve(datSong.RecordCount());
    state.lstEditID.Reserve(datSong.RecordCount());
    for (int position = 0; position < datSong.RecordCount(); ++position) {
        const QString& text = datSong.TextAt(position, title);
        if (TrimBlanks(text).isEmpty())
            continue;
        state.lstEditID.AddItem(datSong.IdentityText(position));
        lstEditPlayListTracks->AddItem(text);
    }
}

void frmPlayer::lstEditPlayListTracks_Click() {
    state.lstEditID.SetListIndex(lstEditPlayListTracks->ListIndex());
    try {
        const int title = datSong.FieldIndex(QStringLiteral("Title"));
        const int artist = datSong.FieldIndex(QStringLiteral("artist"));
        for (int position : datSong.PositionsOf(TrimBlanks(state.lstEditID.Text()).toInt())) {
            txtEditTitle->setText(datSong.TextAt(position, title));
            txtEditArtist->setText(datSong.TextAt(position, artist));
        }
    } catch (const StoreError&) {
        // the boxes keep their text
    }
}

void frmPlayer::imgRenameTrackOver_Click() {
    const QString selected = TrimBlanks(state.lstEditID.Text());
    try {
        if (!selected.isEmpty() && datSong.RecordCount() > 0)
            for (datSong.MoveFirst(); !datSong.Eof(); datSong.MoveNext()) {
                if (!MatchesText(datSong.At(0), selected))
                    continue;
                datSong.Edit();
                datSong.SetField(QStringLiteral("Title"), txtEditTitle->text());
                datSong.SetField(QStringLiteral("artist"), txtEditArtist->text());
                datSong.Update();
            }
    } catch (const StoreError& e) {
        datSong.CancelUpdate();
        ReportNotChanged(e);
    }
    lstEditPlayList_Click();
}

void frmPlayer::imgSaveOver_Click() {
    state.txtSave.clear();
    const QString name = lstEditPlayList->Text();
    const int lines = lstEditPlayListTracks->ListCount();
    if (name.isEmpty() || name == kAllMedia || lines == 0)
        return;
    const QString problem = PlaylistNameProblem(name);
    if (!problem.isEmpty()) {
        dialogs.MsgBox(problem + QStringLiteral("\r\nGive the playlist another name to save it. "
                                                "Nothing was saved."),
                       MsgButtons::Ok, kNotSaved, MsgIcon::Warning);
        return;
    }
    // Each line as the edit panel shows it when selected: the song's artist and title as stored.
    try {
        const int title = datSong.FieldIndex(QStringLiteral("Title"));
        const int artist = datSong.FieldIndex(QStringLiteral("artist"));
        for (int line = 0; line < lines && line < state.lstEditID.ListCount(); ++line)
            for (int position : datSong.PositionsOf(TrimBlanks(state.lstEditID.List(line)).toInt()))
                state.txtSave += PlaylistFileLine(datSong.TextAt(position, artist),
                                                  datSong.TextAt(position, title));
    } catch (const StoreError&) {
        return;
    }
    lstEditPlayListTracks->SetListIndex(lines - 1);
    lstEditPlayListTracks_Click();
    const QString path = PlaylistFilePath(programFolder_, name);
    const QString why = WritePlaylistFile(path, PlaylistFileBytes(state.txtSave));
    if (!why.isEmpty())
        dialogs.MsgBox(QStringLiteral("The playlist \"%1\" could not be saved to\r\n%2\r\n%3")
                           .arg(name, path, why),
                       MsgButtons::Ok, kNotSaved, MsgIcon::Warning);
}
