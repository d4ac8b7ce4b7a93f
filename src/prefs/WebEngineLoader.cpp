#include "prefs/WebEngineLoader.h"

#include "prefs/WebView.h"
#include "prefs/frmInfo.h"
#include "skin/frmPlayer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QOpenGLContext>

#include <unistd.h>

QT_BEGIN_NAMESPACE
// The toolkit's context that every OpenGL context made after it shares its objects with.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
Q_GUI_EXPORT QOpenGLContext* qt_gl_global_share_context();
QT_END_NAMESPACE

namespace {
QOpenGLContext* shareContext = nullptr;

void DeleteShareContext() {
    if (qt_gl_global_share_context() == shareContext)
        qt_gl_set_global_share_context(nullptr);
    delete shareContext;
    shareContext = nullptr;
}

// The web engine draws its pages with OpenGL contexts shared with the windows'. The toolkit
// makes that shared context at start when asked to before the application object exists, but
// that loads the OpenGL driver (on a machine without a GPU, a software renderer of some 50 MB)
// into every start of the player, before its window can appear. The context is made here
// instead, when the web engine is loaded, as the engine does itself when it is loaded first.
void ShareOpenGLContexts() {
    if (qt_gl_global_share_context())
        return;
    shareContext = new QOpenGLContext;
    shareContext->create();
    qAddPostRoutine(DeleteShareContext);
    qt_gl_set_global_share_context(shareContext);
}
} // namespace

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
    if (QFileInfo::exists(module.fileName()))
        ShareOpenGLContexts();
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
    player.WhenUp(info, [info] { info->StartWebViews(); });
}
