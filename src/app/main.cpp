// The composition root: creates the services and the main window and connects them.
#include "app/QtDialogs.h"
#include "core/Paths.h"
#include "media/MpvMciService.h"
#include "skin/frmPlayer.h"

#include <QApplication>
#include <QIcon>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {
bool HasDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return true; // the user chose a platform (offscreen, vnc, ...)
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}
} // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "Jukora needs a graphical display, and none is set (neither DISPLAY nor "
                     "WAYLAND_DISPLAY).\nStart it from a desktop session, or on a machine without "
                     "a screen under a virtual one: xvfb-run -a ./Jukora\n");
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Jukora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/jukora.png")));
    // libmpv needs the C locale for numbers; Qt sets the user's locale at start.
    std::setlocale(LC_NUMERIC, "C");

    QtDialogs dialogs;
    MpvMciService media;
    frmPlayer player(PlayerServices{dialogs, media, ProgramFolder(),
                                    CommandLineText(app.arguments()), app.arguments().mid(1)});
    QObject::connect(&player, &frmPlayer::Unloaded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    player.Form_Load();
    if (player.IsUnloaded())
        return 0;
    return app.exec();
}
