// The composition root: creates the services and the main window and connects them.
#include "app/QtDialogs.h"
#include "app/StartupWarmup.h"
#include "core/Paths.h"
#include "desktop/CaretRest.h"
#include "desktop/FileDrops.h"
#include "desktop/MprisService.h"
#include "desktop/PlayerActions.h"
#include "desktop/PlayerKeys.h"
#include "media/MpvMciService.h"
#include "prefs/WebEngineLoader.h"
#include "skin/SkinArt.h"
#include "skin/frmPlayer.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>

#include <xcb/xcb.h>

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

// When the program draws through X, whether the display DISPLAY names can be reached: the toolkit
// itself would end the program with an abort and a message about its platform plugins.
bool XDisplayReachable() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if ((!platform.isEmpty() && platform != "xcb") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return true;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reached = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reached;
}

// The player places and moves its windows itself (the pinned video window follows the main
// window), which a Wayland session does not allow: there it runs on XWayland.
void PreferX11OnWayland() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    if (qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}
} // namespace

int main(int argc, char** argv) {
    PreferX11OnWayland();
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "Jukora needs a graphical display, and none is set (neither DISPLAY nor "
                     "WAYLAND_DISPLAY).\nStart it from a desktop session, or on a machine without "
                     "a screen under a virtual one: xvfb-run -a ./Jukora\n");
        return 2;
    }
    if (!XDisplayReachable()) {
        std::fprintf(stderr,
                     "Jukora cannot reach the display \"%s\" (DISPLAY): no X server answers "
                     "there, or it refused the connection.\nCheck that the display is running and "
                     "that you may use it, or start Jukora under a virtual one: xvfb-run -a "
                     "./Jukora\n",
                     qgetenv("DISPLAY").constData());
        return 2;
    }
    // The skin bundle in the system folder replaces the built-in art; a bad one is passed over.
    // It is chosen first, so that the main window's art can be decoded while the toolkit starts.
    const QString bundle = SkinArt::SystemBundlePath();
    const SkinArt::Bundle skin = SkinArt::UseBundle(bundle);
    if (skin == SkinArt::Bundle::Unreadable || skin == SkinArt::Bundle::Damaged)
        std::fprintf(stderr, "Jukora: the skin %s is %s; the built-in look is used instead.\n",
                     qPrintable(bundle),
                     skin == SkinArt::Bundle::Damaged ? "damaged" : "unreadable");
    const StartupWarmup warmup;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Jukora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/jukora.png")));
    // libmpv needs the C locale for numbers; Qt sets the user's locale at start.
    std::setlocale(LC_NUMERIC, "C");

    QtDialogs dialogs;
    MpvMciService media;
    if (auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>())
        media.UseXConnection(x11->connection());
    frmPlayer player(PlayerServices{dialogs, media, ProgramFolder(),
                                    CommandLineText(app.arguments()), app.arguments().mid(1)});
    QObject::connect(&player, &frmPlayer::Unloaded, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    player.Form_Load();
    if (player.IsUnloaded())
        return 0;
    // A second copy that hands its file over ends without playing or browsing anything. The
    // media engine is loaded once the window is up: loading its libraries holds the dynamic
    // loader, which the window's first showing needs too.
    if (!player.AnotherCopyRunning()) {
        player.WhenUp(&player, [&media] {
            media.LoadEngineSoon();
            SkinArt::DropDecodedAhead(); // what the first showing did not take is not needed soon
        });
        StartWebViewsWhenUp(player);
    }
    // The desktop's ways in: keys, drops, and (for the copy holding the lock) MPRIS.
    PlayerActions actions(player);
    PlayerKeys keys(actions);
    FileDrops drops(actions);
    const CaretRest carets;
    MprisService mpris(player);
    return app.exec();
}
