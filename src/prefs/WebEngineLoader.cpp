#include "prefs/WebEngineLoader.h"

#include "prefs/WebHostProtocol.h"
#include "prefs/WebPane.h"
#include "prefs/frmInfo.h"
#include "skin/frmPlayer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QWindow>

#include <cstdlib>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {
// How long the host may take to end once the player lets go of it.
constexpr int kHostEndMs = 2000;

// A view: a native window of the player's, in which the host draws the page. Its ancestors are
// native windows too, so that the window system clips the page to them as the toolkit would (the
// interest page's view lies in a frame too small to show it).
class HostedView final : public QWidget, public WebView {
public:
    HostedView(QWidget* parent, WebHost& host, int id) : QWidget(parent), host_(&host), id_(id) {
        setAttribute(Qt::WA_NativeWindow);
        Embed();
        connect(&host, &WebHost::Failed, this, [this](const QString& problem) {
            if (auto* pane = qobject_cast<WebPane*>(parentWidget()))
                pane->ShowUnavailable(problem);
        });
    }
    void Navigate(const QString& address) override {
        Send(QStringLiteral("%1 %2 %3")
                 .arg(QLatin1String(WebHostProtocol::kGo))
                 .arg(id_)
                 .arg(address));
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        Send(QStringLiteral("%1 %2 %3 %4")
                 .arg(QLatin1String(WebHostProtocol::kSize))
                 .arg(id_)
                 .arg(event->size().width())
                 .arg(event->size().height()));
    }
    bool event(QEvent* event) override {
        // The toolkit destroys a window's X windows when it is closed by its frame, and makes
        // new ones when it is shown again: the page goes into the new one.
        if (event->type() == QEvent::WinIdChange && internalWinId())
            Embed();
        return QWidget::event(event);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
            Release();
        return QWidget::eventFilter(watched, event);
    }

private:
    void Send(const QString& line) {
        if (host_)
            host_->Send(line);
    }
    // Tells the host which X window to draw in, and hears when that window is to go.
    void Embed() {
        Send(QStringLiteral("%1 %2 %3 %4 %5")
                 .arg(QLatin1String(WebHostProtocol::kView))
                 .arg(id_)
                 .arg(winId())
                 .arg(width())
                 .arg(height()));
        if (QWindow* window = windowHandle())
            window->installEventFilter(this);
    }
    // Before the X window goes, the host's window is taken out of it (hidden, onto the root
    // window): destroyed with it, it would leave the host drawing into a window that is gone.
    void Release() {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11 || !internalWinId())
            return;
        xcb_connection_t* connection = x11->connection();
        xcb_query_tree_reply_t* tree = xcb_query_tree_reply(
            connection, xcb_query_tree(connection, static_cast<xcb_window_t>(internalWinId())),
            nullptr);
        if (!tree)
            return;
        const xcb_window_t* children = xcb_query_tree_children(tree);
        for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
            xcb_unmap_window(connection, children[i]);
            xcb_reparent_window(connection, children[i], tree->root, 0, 0);
        }
        std::free(tree);
        xcb_flush(connection);
    }

    QPointer<WebHost> host_; // the host may end before the view (the program's end)
    const int id_;
};
} // namespace

QString WebHostPath() {
    const QString chosen = qEnvironmentVariable("JUKORA_WEB_HOST");
    if (!chosen.isEmpty())
        return chosen;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/jukora-web");
}

WebHost::WebHost(QObject* parent) : QObject(parent) {
    connect(&process_, &QProcess::readyReadStandardOutput, this, &WebHost::ReadOutput);
    connect(&process_, &QProcess::finished, this, &WebHost::Ended);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::Crashed)
            Ended();
    });
}

WebHost::~WebHost() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.disconnect(this);
    process_.closeWriteChannel(); // the host ends when its input closes
    if (!process_.waitForFinished(kHostEndMs)) {
        process_.kill();
        process_.waitForFinished(kHostEndMs);
    }
}

bool WebHost::Start(QString* problem) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (geteuid() == 0 && !environment.contains(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX")))
        environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // The host draws in the player's windows, so it must use the same window system.
    process_.start(WebHostPath(), {QStringLiteral("-platform"), QGuiApplication::platformName()});
    if (!process_.waitForStarted(kHostEndMs)) {
        *problem = QStringLiteral("the web host %1 could not be started (%2)")
                       .arg(WebHostPath(), process_.errorString());
        return false;
    }
    return true;
}

WebViewMaker::Made WebHost::Make(QWidget* parent) {
    if (failed_)
        return {};
    auto* view = new HostedView(parent, *this, views_++);
    return {view, view};
}

void WebHost::Send(const QString& line) {
    if (failed_ || line.contains(u'\n'))
        return;
    process_.write(line.toUtf8() + '\n');
}

void WebHost::ReadOutput() {
    pending_.append(process_.readAllStandardOutput());
    qsizetype end;
    while ((end = pending_.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(pending_.left(end));
        pending_.remove(0, end + 1);
        const QString word = line.section(u' ', 0, 0);
        if (word == QLatin1String(WebHostProtocol::kReady)) {
            ready_ = true;
        } else if (word == QLatin1String(WebHostProtocol::kUnavailable)) {
            failed_ = true;
            emit Failed(line.section(u' ', 1));
        } else if (word == QLatin1String(WebHostProtocol::kLoaded)) {
            emit PageLoaded(line.section(u' ', 1, 1).toInt(), line.section(u' ', 2, 2) == u'1',
                            line.section(u' ', 3));
        }
    }
}

void WebHost::Ended() {
    if (failed_)
        return;
    failed_ = true;
    emit Failed(ready_ ? QStringLiteral("the web host ended")
                       : QStringLiteral("the web host ended before it was ready"));
}

WebViewMaker* LoadWebEngine(QString* problem) {
    auto* host = new WebHost(QCoreApplication::instance());
    if (!host->Start(problem)) {
        delete host;
        return nullptr;
    }
    // The host ends as the program does, before the windows its pages lie in go.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, host, [host] { delete host; });
    return host;
}

void StartWebViewsWhenUp(frmPlayer& player) {
    frmInfo* info = player.info();
    info->SetWebEngine(&LoadWebEngine);
    player.WhenUp(info, [info] { info->StartWebViews(); });
}
