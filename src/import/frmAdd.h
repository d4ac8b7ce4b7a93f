// The add-media window: its record sources on the songs and the imported folders, its id
// counters, and addfile, through which every media file enters the library.
#pragma once

#include "core/Store.h"

#include <QWidget>

class frmPlayer;

class frmAdd : public QWidget {
    Q_OBJECT
public:
    explicit frmAdd(frmPlayer& player);

    RecordSource datAdd{QStringLiteral("tblSong")};
    RecordSource datFolder{QStringLiteral("tblFolder")};
    QString lblEntryCount = QStringLiteral("Song ID");    // last song identity handed out
    QString lblEntryCount2 = QStringLiteral("Folder ID"); // last folder identity
    QString longfilelist;                                 // paths refused for their length

    // Appends one song. Refused for length: the path joins longfilelist, nothing is written and
    // the main window re-reads its songs. Store failures from the new record on reach the caller.
    void addfile(const QString& ThePath, const QString& theartist, const QString& thetitle);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void OpenSources();
    frmPlayer& player_;
};
