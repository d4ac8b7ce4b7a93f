#include "import/frmAdd.h"

#include "core/IdRule.h"
#include "import/FileNames.h"
#include "skin/frmPlayer.h"

frmAdd::frmAdd(frmPlayer& player) : player_(player) {
    setObjectName(QStringLiteral("frmAdd"));
    setWindowTitle(QStringLiteral("Jukora - Add Files"));
    OpenSources();
}

void frmAdd::OpenSources() {
    for (RecordSource* source : {&datAdd, &datFolder}) {
        source->SetDatabaseName(player_.LibraryPath());
        try {
            source->Open();
        } catch (const StoreError&) {
            // a missing or unusable library leaves the sources closed; addfile then fails
        }
    }
}

void frmAdd::addfile(const QString& ThePath, const QString& theartist, const QString& thetitle) {
    const NormalisedItem item = NormaliseItem(ThePath, theartist, thetitle);
    LoadLastIdentity(datAdd, lblEntryCount);
    datAdd.AddNew();
    if (lblEntryCount == QLatin1String("Song ID") || lblEntryCount.isEmpty())
        lblEntryCount = QStringLiteral("0");
    if (!item.fits) {
        longfilelist += QStringLiteral("\r\n") + item.path;
        datAdd.CancelUpdate();
        player_.datSong.Refresh();
        player_.Timer1.start();
        return;
    }
    try {
        const int id = NextIdentity(lblEntryCount, QStringLiteral("Song ID"), datAdd.Schema(),
                                    player_.dialogs);
        datAdd.SetField(QStringLiteral("songid"), id);
        datAdd.SetField(QStringLiteral("artist"), item.artist);
        datAdd.SetField(QStringLiteral("Title"), item.title);
        datAdd.SetField(QStringLiteral("filepath"), item.path);
        datAdd.Update();
    } catch (...) {
        datAdd.CancelUpdate();
        throw;
    }
}

void frmAdd::hideEvent(QHideEvent* event) {
    // Back in the main window: its reload timer picks up what was added.
    if (!player_.IsUnloaded())
        player_.Timer1.start();
    QWidget::hideEvent(event);
}
