// Library maintenance (emptying the library, resetting play counts) and the default-player
// registration of the preferences window.
#include "core/Dialogs.h"
#include "core/Store.h"
#include "import/frmAdd.h"
#include "media/ErrorTrap.h"
#include "prefs/FileTypes.h"
#include "prefs/frmInfo.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"

#include <QCheckBox>
#include <QCoreApplication>

namespace {
const QString kEmptyingTitle = QStringLiteral("Emptying Library");
const QString kNotChangedTitle = QStringLiteral("Jukora - Library not changed");
} // namespace

void frmInfo::ClearSongs() {
    player_.datSong.DeleteAll();
}

void frmInfo::ClearFolders() {
    player_.add()->datFolder.DeleteAll();
}

void frmInfo::ClearPlayLists() {
    player_.datPlayList.DeleteAll();
}

void frmInfo::ClearTracks() {
    player_.datTracks.DeleteAll();
}

void frmInfo::ListsEmptied() {
    player_.lstTracks->Clear();
    player_.lstPlayLists->Clear();
    player_.lstArtist->Clear();
}

void frmInfo::cmdEmpty_Click() {
    Dialogs& dialogs = player_.dialogs;
    if (dialogs.MsgBox(QStringLiteral("Are you sure you want to delete every file from your media "
                                      "library?"),
                       MsgButtons::YesNo, kEmptyingTitle) != MsgResult::Yes)
        return;
    // Each table is emptied whole or not at all; a table that cannot be emptied keeps every
    // record and the others are still emptied.
    QStringList failures;
    int emptied = 0;
    for (void (frmInfo::*clear)() : {&frmInfo::ClearSongs, &frmInfo::ClearFolders,
                                     &frmInfo::ClearPlayLists, &frmInfo::ClearTracks}) {
        try {
            (this->*clear)();
            ++emptied;
        } catch (const StoreError& e) {
            failures << e.message();
        }
    }
    if (emptied == 0) {
        dialogs.MsgBox(QStringLiteral("Your media library could not be emptied:\r\n") +
                           failures.join(QStringLiteral("\r\n")) +
                           QStringLiteral("\r\nNothing was deleted."),
                       MsgButtons::Ok, kNotChangedTitle, MsgIcon::Warning);
        return;
    }
    // The add-media window starts again from the emptied tables: its sources and the identity
    // counters it keeps would otherwise go on from the records just deleted.
    frmAdd* add = player_.add();
    const bool addShown = add->isVisible();
    add->Unload();
    add->Load();
    add->setVisible(addShown);
    // A song that plays goes on playing, without the tick that would move on to songs now gone.
    player_.tmrPlay.stop();
    MsgResult addNow = MsgResult::No;
    if (failures.isEmpty())
        addNow = dialogs.MsgBox(
            QStringLiteral("Media library is now empty.\r\nWould you like to add new media now?"),
            MsgButtons::YesNo, kEmptyingTitle);
    else
        dialogs.MsgBox(QStringLiteral("Your media library was only partly emptied:\r\n") +
                           failures.join(QStringLiteral("\r\n")) +
                           QStringLiteral("\r\nThe records of these tables are all still there."),
                       MsgButtons::Ok, kNotChangedTitle, MsgIcon::Warning);
    try {
        player_.datSong.Refresh();
    } catch (const StoreError&) {
        // the reload that follows reports a library it cannot read
    }
    if (addNow == MsgResult::Yes) {
        player_.add()->show();
        ListsEmptied();
        Form_Unload();
        return;
    }
    player_.show();
    Form_Unload();
    ListsEmptied();
    // The user has just declined adding media: the reload of the empty library must not ask the
    // start-up's "add files now?" question again.
    player_.state.FirstLoad = false;
    player_.Timer1.start();
}

void frmInfo::cmdReset_Click() {
    try {
        player_.datSong.SetFieldOfAll(QStringLiteral("playcount"), 0);
    } catch (const StoreError& e) {
        player_.dialogs.MsgBox(e.message() + QStringLiteral("\r\nNo play count was reset."),
                               MsgButtons::Ok, kNotChangedTitle, MsgIcon::Warning);
        return;
    }
    player_.dialogs.MsgBox(QStringLiteral("All media files play count's have been reset to 0."),
                           MsgButtons::Ok, ProgramTitle());
}

void frmInfo::cmdSet_Click() {
    const QString program =
        programPath.isEmpty() ? QCoreApplication::applicationFilePath() : programPath;
    const auto registerBox = [&](const QCheckBox* box) {
        if (!box->isChecked())
            return;
        // The command is made afresh for each extension, as the class is written afresh.
        TrapErrors(player_.dialogs, "AGH 3", [&] {
            RegisterFileType(ProgramTitle(),
                             OpenCommand(program, qEnvironmentVariable("JUKORA_PROGRAM_FOLDER")),
                             box->text());
        });
    };
    for (size_t i = 0; i < 4; ++i) {
        registerBox(chka[i]);
        registerBox(chkv[i]);
    }
    registerBox(chkdvd);
    player_.dialogs.MsgBox(QStringLiteral("The selected media formats will now use Jukora as there "
                                          "default player."),
                           MsgButtons::Ok, ProgramTitle());
}
