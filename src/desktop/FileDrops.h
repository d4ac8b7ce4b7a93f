// Files and folders dropped on the main window. Each dropped file is handled as a file named on
// the command line (a library song plays, or is queued while one plays; a new file is added);
// a dropped folder is imported by the add-media window's folder import, with its rules, its
// question for a folder already added, its progress bar and its report of long names. Anything
// that is not a local file or folder is refused, which the drop cursor shows.
//
// The drop is taken at once and handled just after, so the program the files came from is not
// kept waiting by an import or a message box.
#pragma once

#include <QObject>
#include <QStringList>

class PlayerActions;
class QMimeData;

class FileDrops : public QObject {
    Q_OBJECT
public:
    explicit FileDrops(PlayerActions& actions);

    // The local files and folders of a drag; empty when it carries anything else.
    static QStringList DroppedPaths(const QMimeData* data);
    // Handles the paths in order (what a drop does).
    void Handle(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Accepts(const QMimeData* data) const;
    bool InLibrary(const QString& path) const;
    void ImportFolder(const QString& path);

    PlayerActions& actions_;
};
