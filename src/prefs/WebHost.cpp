// jukora-web: the program that shows the preferences window's web pages. The player starts it
// once its main window is up and tells it, on its standard input, where to draw each view: inside
// an X window of the player's. The web engine (Chromium, some 120 MB) thus never enters the
// player's process, and whatever the engine does, even ending its own process when a part of it
// is missing, the player runs on.
#include "prefs/WebHostProtocol.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QSocketNotifier>
#include <QWebEngineView>

#include <cstdio>
#include <map>
#include <memory>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {
void Say(const QString& line) {
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

// The engine ends the whole process when its helper program or its resources are missing, so
// they are looked for first and reported.
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

class Host : public QObject {
public:
    Host() : input_(STDIN_FILENO, QSocketNotifier::Read) {
        connect(&input_, &QSocketNotifier::activated, this, &Host::ReadInput);
    }

private:
    void ReadInput() {
        char chunk[4096];
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) { // the player has ended or let go of the host
            input_.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        pending_.append(chunk, got);
        qsizetype end;
        while ((end = pending_.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending_.left(end));
            pending_.remove(0, end + 1);
            Obey(line);
        }
    }

    void Obey(const QString& line) {
        const QStringList words = line.split(u' ');
        if (words.size() < 3)
            return;
        bool ok = false;
        const int id = words[1].toInt(&ok);
        if (!ok)
            return;
        if (words[0] == QLatin1String(WebHostProtocol::kView) && words.size() == 5)
            MakeView(id, words[2].toULongLong(), QSize(words[3].toInt(), words[4].toInt()));
        else if (words[0] == QLatin1String(WebHostProtocol::kSize) && words.size() == 4 &&
                 views_.count(id))
            views_[id]->resize(words[2].toInt(), words[3].toInt());
        else if (words[0] == QLatin1String(WebHostProtocol::kGo) && views_.count(id))
            views_[id]->setUrl(QUrl(line.section(u' ', 2)));
    }

    void MakeView(int id, WId parentWindow, QSize size) {
        if (parentWindow == 0)
            return;
        if (views_.count(id)) { // the player's window was made anew: the view moves into it
            QWebEngineView* view = views_[id].get();
            view->setProperty(kPlayerWindow, QVariant::fromValue(parentWindow));
            view->resize(size.expandedTo(QSize(1, 1)));
            // The player hid the view's window when it took it out of its old one.
            PutInPlayerWindow(view, true);
            return;
        }
        auto view = std::make_unique<QWebEngineView>();
        view->resize(size.expandedTo(QSize(1, 1)));
        view->setWindowFlags(Qt::FramelessWindowHint);
        view->setProperty(kPlayerWindow, QVariant::fromValue(parentWindow));
        view->installEventFilter(this);
        PutInPlayerWindow(view.get());
        view->show();
        connect(view.get(), &QWebEngineView::loadFinished, this, [this, id](bool success) {
            Say(QStringLiteral("%1 %2 %3 %4")
                    .arg(QLatin1String(WebHostProtocol::kLoaded))
                    .arg(id)
                    .arg(success ? 1 : 0)
                    .arg(views_[id]->title()));
        });
        views_[id] = std::move(view);
    }

    // The view's X window is put inside the player's before it is ever mapped, so it never
    // appears on the screen as a window of its own; and again whenever the toolkit makes the
    // view a new X window (it does when the page's drawing surface needs another kind). The
    // toolkit embeds no widget in another program's window, so the window system is asked.
    static void PutInPlayerWindow(QWidget* view, bool map = false) {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (!x11)
            return;
        const auto window = static_cast<xcb_window_t>(view->winId());
        xcb_reparent_window(x11->connection(), window,
                            static_cast<xcb_window_t>(view->property(kPlayerWindow).value<WId>()),
                            0, 0);
        if (map) {
            xcb_map_window(x11->connection(), window);
            xcb_flush(x11->connection());
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WinIdChange && watched->isWidgetType())
            PutInPlayerWindow(static_cast<QWidget*>(watched));
        return false;
    }

    static constexpr const char* kPlayerWindow = "jukoraPlayerWindow";
    QSocketNotifier input_;
    QByteArray pending_;
    std::map<int, std::unique_ptr<QWebEngineView>> views_;
};
} // namespace

int main(int argc, char** argv) {
    // The engine draws with OpenGL contexts shared with the windows'.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QString missing = MissingPart();
    if (!missing.isEmpty()) {
        Say(QLatin1String(WebHostProtocol::kUnavailable) + u' ' + missing);
        return 1;
    }
    // A view's window is destroyed with the player's window it lies in; the host ends when the
    // player closes its input, not when its last window goes.
    app.setQuitOnLastWindowClosed(false);
    Host host;
    Say(QLatin1String(WebHostProtocol::kReady));
    return app.exec();
}
