#include "prefs/WebEngineLoader.h"

#include "prefs/WebView.h"
#include "prefs/frmInfo.h"
#include "skin/frmPlayer.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QTimer>

#include <unistd.h>

QString WebModulePath() {
    const QString chosen = qEnvironmentVariable("JUKORA_WEB_MODULE");
    if (!chosen.isEmpty())
        return chosen;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/libjukora_web.so");
}

WebViewMaker* LoadWebEngine(QString* problem) {
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QLibrary module(WebModulePath());
    if (!module.load()) {
        *problem =
            QStringLiteral("the web module could not be loaded (%1)").arg(module.errorString());
        return nullptr;
    }
    // The module stays loaded for the rest of the program: its views and engine live on.
    const auto make = reinterpret_cast<WebViewMakerFunction>(module.resolve(kWebViewMakerSymbol));
    if (!make) {
        *problem = QStringLiteral("the web module %1 is not Jukora's").arg(WebModulePath());
        return nullptr;
    }
    return make(problem);
}

void StartWebViewsWhenUp(frmPlayer& player) {
    frmInfo* info = player.info();
    info->SetWebEngine(&LoadWebEngine);
    // Timer1 stops when the reload has run (or failed); without a library it never starts.
    const auto startWhenUp = [&player, info] {
        if (!player.Timer1.isActive() && !player.IsUnloaded())
            info->StartWebViews();
    };
    QObject::connect(&player.Timer1, &QTimer::timeout, info, startWhenUp, Qt::QueuedConnection);
    QTimer::singleShot(0, info, startWhenUp);
}
