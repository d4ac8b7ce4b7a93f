// The installer "Jukora 2 - Install": copies the player, its library file and the skin component
// from its own folder into place and starts the installed player. It shares no code with the
// player.
#include "installer/InstallDialogs.h"
#include "installer/InstallScript.h"
#include "installer/frmInstall.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <optional>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("jukora-install needs a graphical display; start it from a desktop session.\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("jukora-install"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/jukora.png")));

    const QString script = qEnvironmentVariable("JUKORA_INSTALL_SCRIPT");
    QtInstallDialogs shown;
    std::optional<ScriptedInstallDialogs> scripted;
    if (!script.isEmpty())
        scripted.emplace(script);
    InstallDialogs& dialogs = scripted ? static_cast<InstallDialogs&>(*scripted) : shown;

    frmInstall form(dialogs, QApplication::applicationDirPath());
    if (scripted)
        scripted->Attach(form);
    form.Form_Load();
    form.show();
    if (scripted)
        QTimer::singleShot(0, &form, [&] { scripted->Run(form); });
    return app.exec();
}
