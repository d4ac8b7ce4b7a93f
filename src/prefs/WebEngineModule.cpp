// The web module: real web views on Qt WebEngine. Loaded by the player at run time
// (WebEngineLoader), never linked into it.
#include "prefs/WebView.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QWebEngineView>

namespace {
class EngineView final : public QWebEngineView, public WebView {
public:
    explicit EngineView(QWidget* parent) : QWebEngineView(parent) {}
    void Navigate(const QString& address) override { setUrl(QUrl(address)); }
};

class EngineMaker final : public WebViewMaker {
public:
    Made Make(QWidget* parent) override {
        auto* view = new EngineView(parent);
        return {view, view};
    }
};

// The engine ends the whole process when its helper program or its resources are missing, so
// they are looked for first.
QString MissingPart() {
    QString process = qEnvironmentVariable("QTWEBENGINE_PROCESS_PATH");
    if (process.isEmpty())
        process = QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                  QStringLiteral("/QtWebEngineProcess");
    if (!QFileInfo(process).isExecutable())
        return QStringLiteral("the web engine's program %1 is missing").arg(process);
    QString resources = qEnvironmentVariable("QTWEBENGINE_RESOURCES_PATH");
    if (resources.isEmpty())
        resources = QLibraryInfo::path(QLibraryInfo::DataPath) + QStringLiteral("/resources");
    if (!QFileInfo::exists(resources + QStringLiteral("/qtwebengine_resources.pak")))
        return QStringLiteral("the web engine's resources are missing from %1").arg(resources);
    return {};
}
} // namespace

extern "C" Q_DECL_EXPORT WebViewMaker* JukoraWebViewMaker(QString* problem) {
    const QString missing = MissingPart();
    if (!missing.isEmpty()) {
        *problem = missing;
        return nullptr;
    }
    static EngineMaker maker;
    return &maker;
}
