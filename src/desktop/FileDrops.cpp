#include "desktop/FileDrops.h"

#include "core/Dialogs.h"
#include "desktop/PlayerActions.h"
#include "import/frmAdd.h"
#include "skin/frmPlayer.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

FileDrops::FileDrops(PlayerActions& actions) : actions_(actions) {
    frmPlayer& player = actions_.player();
    player.setAcceptDrops(true);
    player.installEventFilter(this);
}

QStringList FileDrops::DroppedPaths(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        const QFileInfo entry(url.toLocalFile());
        if (!entry.isFile() && !entry.isDir())
            return {};
        paths << QDir::cleanPath(entry.absoluteFilePath());
    }
    return paths;
}

// Nothing is taken while a folder import runs: it must finish first.
bool FileDrops::Accepts(const QMimeData* data) const {
    const frmAdd* add = actions_.player().addIfLoaded();
    return !(add && add->Importing()) && !actions_.player().IsUnloaded() &&
           !DroppedPaths(data).isEmpty();
}

bool FileDrops::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &actions_.player())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (Accepts(drag->mimeData()))
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!Accepts(drop->mimeData())) {
            drop->ignore();
            return true;
        }
        const QStringList paths = DroppedPaths(drop->mimeData());
        drop->acceptProposedAction();
        QMetaObject::invokeMethod(
            this, [this, paths] { Handle(paths); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void FileDrops::Handle(const QStringList& paths) {
    frmPlayer& player = actions_.player();
    bool libraryChanged = false;
    for (const QString& path : paths) {
        if (player.IsUnloaded())
            return;
        if (QFileInfo(path).isDir()) {
            ImportFolder(path);
            libraryChanged = true;
        } else {
            libraryChanged = !InLibrary(path) || libraryChanged;
            actions_.OpenFile(path);
        }
    }
    // The lists show the new songs after the main window's reload, as after the add window.
    if (libraryChanged && !player.IsUnloaded()) {
        player.Form_Activate();
        player.Timer1.start();
    }
}

bool FileDrops::InLibrary(const QString& path) const {
    const RecordSource& songs = actions_.player().datSong;
    const int filepath = songs.FieldIndex(QStringLiteral("filepath"));
    for (int position = 0; position < songs.RecordCount(); ++position)
        if (MatchesText(songs.AtPosition(position, filepath), path))
            return true;
    return false;
}

void FileDrops::ImportFolder(const QString& path) {
    frmPlayer& player = actions_.player();
    if (!QDir(path).isReadable()) {
        player.dialogs.MsgBox(
            QStringLiteral("Jukora cannot read the folder \"%1\", so nothing was added.").arg(path),
            MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
        return;
    }
    frmAdd* add = player.add();
    add->show();
    add->raise();
    add->SetDirPath(path);
    add->imgAddAllOver_Click();
}
