// The player's keyboard: the media keys (play/pause, pause, stop, next, previous) while one of
// its windows has the focus, and in the main window Space to play or pause when the focus is not in
// a text box, Ctrl+F to the search box, Escape to close the add and edit panels as their back
// buttons do. The buttons' tooltips name their keys.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QShortcut>

class PlayerActions;

class PlayerKeys : public QObject {
    Q_OBJECT
public:
    explicit PlayerKeys(PlayerActions& actions);
    ~PlayerKeys() override;

private:
    void Bind(const QKeySequence& key, void (PlayerKeys::*handler)(),
              Qt::ShortcutContext context = Qt::WindowShortcut);
    void PlayPause();
    void Pause();
    void Stop();
    void Next();
    void Previous();
    void FindSong();
    void ClosePanels();
    void NameKeysInTooltips();

    PlayerActions& actions_;
    QList<QPointer<QShortcut>> shortcuts_;
};
