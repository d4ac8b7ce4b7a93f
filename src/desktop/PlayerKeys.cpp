#include "desktop/PlayerKeys.h"

#include "desktop/PlayerActions.h"
#include "skin/frmPlayer.h"

#include <QLineEdit>

PlayerKeys::PlayerKeys(PlayerActions& actions) : actions_(actions) {
    // A text box takes Space as a character (it claims the key before shortcuts see it), so
    // Space plays or pauses only elsewhere.
    Bind(QKeySequence(Qt::Key_Space), &PlayerKeys::PlayPause);
    Bind(QKeySequence(Qt::CTRL | Qt::Key_F), &PlayerKeys::FindSong);
    Bind(QKeySequence(Qt::Key_Escape), &PlayerKeys::ClosePanels);
    // The media keys work in every window of the player (the mini player, the video window, the
    // add window), not only in the main window; a message box waiting for an answer stops them.
    const Qt::ShortcutContext everywhere = Qt::ApplicationShortcut;
    Bind(QKeySequence(Qt::Key_MediaTogglePlayPause), &PlayerKeys::PlayPause, everywhere);
    Bind(QKeySequence(Qt::Key_MediaPlay), &PlayerKeys::PlayPause, everywhere);
    Bind(QKeySequence(Qt::Key_MediaPause), &PlayerKeys::Pause, everywhere);
    Bind(QKeySequence(Qt::Key_MediaStop), &PlayerKeys::Stop, everywhere);
    Bind(QKeySequence(Qt::Key_MediaNext), &PlayerKeys::Next, everywhere);
    Bind(QKeySequence(Qt::Key_MediaPrevious), &PlayerKeys::Previous, everywhere);
    NameKeysInTooltips();
}

PlayerKeys::~PlayerKeys() {
    for (const QPointer<QShortcut>& shortcut : shortcuts_)
        delete shortcut.data();
}

void PlayerKeys::Bind(const QKeySequence& key, void (PlayerKeys::*handler)(),
                      Qt::ShortcutContext context) {
    auto* shortcut = new QShortcut(key, &actions_.player());
    shortcut->setContext(context);
    connect(shortcut, &QShortcut::activated, this, handler);
    shortcuts_ << shortcut;
}

void PlayerKeys::PlayPause() {
    actions_.PlayPause();
}

void PlayerKeys::Pause() {
    actions_.Pause();
}

void PlayerKeys::Stop() {
    actions_.Stop();
}

void PlayerKeys::Next() {
    actions_.Next();
}

void PlayerKeys::Previous() {
    actions_.Previous();
}

void PlayerKeys::FindSong() {
    QLineEdit* search = actions_.player().txtSearch;
    search->setFocus(Qt::ShortcutFocusReason);
    search->selectAll();
}

void PlayerKeys::ClosePanels() {
    frmPlayer& player = actions_.player();
    if (player.fraEditPlayList->isVisible())
        player.imgEditBackOver_Click();
    if (player.fraAddToPlaylist->isVisible())
        player.imgBackOver_Click();
}

void PlayerKeys::NameKeysInTooltips() {
    frmPlayer& player = actions_.player();
    const struct {
        ImagePair* pair;
        const char* text;
    } buttons[] = {
        {&player.imgPlay, "play (Space, media key Play)"},
        {&player.imgPause, "pause (Space, media key Pause)"},
        {&player.imgStop, "stop (media key Stop)"},
        {&player.imgBack, "cancel add (Esc)"},
        {&player.imgEditBack, "done (Esc)"},
    };
    for (const auto& button : buttons) {
        button.pair->normal->setToolTip(QLatin1String(button.text));
        button.pair->over->setToolTip(QLatin1String(button.text));
    }
    player.txtSearch->setToolTip(QStringLiteral("search (Ctrl+F)"));
}
