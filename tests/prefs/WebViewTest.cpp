// The real web views (the web host on Qt WebEngine) and the real player with them, on a virtual
// X display.
#include "prefs/WebEngineLoader.h"
#include "prefs/WebPane.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <csignal>
#include <cstdlib>
#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <memory>

namespace {
// Sets an environment variable for one scope.
class EnvironmentSetting {
public:
    EnvironmentSetting(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~EnvironmentSetting() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// Waits up to `ms`, running events, until `done` holds.
template <typename Done> bool RunEventsUntil(int ms, Done done) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

// How many X windows lie directly inside the X window `window`.
int ChildWindows(WId window) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return -1;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(
        x11->connection(), xcb_query_tree(x11->connection(), static_cast<xcb_window_t>(window)),
        nullptr);
    if (!tree)
        return -1;
    const int children = xcb_query_tree_children_length(tree);
    std::free(tree);
    return children;
}

// The real host with one view in a window of the test's, loading a red local page.
class HostedPage : public testing::Test {
protected:
    void SetUp() override {
        QString problem;
        host = dynamic_cast<WebHost*>(LoadWebEngine(&problem));
        ASSERT_NE(host, nullptr) << problem.toStdString();
        page = folder.File(QStringLiteral("page.html"));
        ASSERT_TRUE(WriteWholeFile(page, "<html><head><title>Jukora local page</title></head>"
                                         "<body style='background:#ff0000'></body></html>"));
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        made = host->Make(window.get());
        ASSERT_NE(made.view, nullptr);
        made.widget->setGeometry(0, 0, 400, 300);
        window->show();
        QObject::connect(host, &WebHost::PageLoaded, window.get(),
                         [this](int view, bool success, const QString& pageTitle) {
                             EXPECT_EQ(view, 0);
                             ++loads;
                             ok = success;
                             title = pageTitle;
                         });
        QObject::connect(host, &WebHost::Failed, window.get(),
                         [this](const QString& why) { failure = why; });
    }
    void TearDown() override {
        window.reset();
        delete host;
    }
    // The colour in the middle of the view, as the screen shows it.
    QColor Middle() const {
        const QImage shot = window->screen()->grabWindow(made.widget->winId()).toImage();
        return shot.isNull() ? QColor() : shot.pixelColor(shot.width() / 2, shot.height() / 2);
    }
    bool ShowsThePage() {
        return RunEventsUntil(10000, [this] { return Middle() == QColor(255, 0, 0); });
    }
    bool HostRuns() const { return ::kill(static_cast<pid_t>(host->ProcessId()), 0) == 0; }

    const EnvironmentSetting hostFile{"JUKORA_WEB_HOST", JUKORA_WEB_HOST_FILE};
    ProgramFolderFixture folder{false};
    QString page;
    WebHost* host = nullptr;
    std::unique_ptr<QWidget> window;
    WebViewMaker::Made made;
    int loads = 0;
    bool ok = false;
    QString title, failure;
};

TEST_F(HostedPage, TheHostDrawsALocalPageInsideThePlayersWindow) {
    made.view->Navigate(QUrl::fromLocalFile(page).toString());
    ASSERT_TRUE(RunEventsUntil(30000, [&] { return loads > 0; }))
        << "the page did not load within 30 s";
    EXPECT_TRUE(ok);
    EXPECT_EQ(title, QStringLiteral("Jukora local page"));
    // The host's window lies inside the view's (which has none of its own), and the page is
    // drawn there: the middle of the view turns the page's red.
    EXPECT_EQ(ChildWindows(made.widget->winId()), 1);
    EXPECT_TRUE(ShowsThePage()) << "the middle of the view is " << Middle().name().toStdString();
}

TEST_F(HostedPage, ThePageOutlivesItsWindowBeingMadeAnewAndGoingFirst) {
    made.view->Navigate(QUrl::fromLocalFile(page).toString());
    ASSERT_TRUE(RunEventsUntil(30000, [&] { return loads > 0; }));
    ASSERT_TRUE(ShowsThePage());
    // Closed as by its frame, the window loses its X windows; shown again, it has new ones, and
    // the page is drawn in them.
    const WId before = made.widget->winId();
    window->windowHandle()->close();
    RunEventsUntil(300, [] { return false; });
    window->show();
    ASSERT_TRUE(RunEventsUntil(5000, [&] { return made.widget->winId() != before; }));
    EXPECT_TRUE(RunEventsUntil(5000, [&] { return ChildWindows(made.widget->winId()) == 1; }));
    EXPECT_TRUE(ShowsThePage()) << "the middle of the view is " << Middle().name().toStdString();
    EXPECT_TRUE(HostRuns());
    EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
    // The window goes before the host (as at the program's end): the host must not fall with it.
    window.reset();
    RunEventsUntil(1500, [] { return false; });
    EXPECT_TRUE(HostRuns()) << "the host ended when the window it drew in went";
}

TEST(WebView, AHostThatCannotShowPagesIsReportedInThePanesNotFatal) {
    {
        const EnvironmentSetting hostFile("JUKORA_WEB_HOST", "/nonexistent/jukora-web");
        QString problem;
        EXPECT_EQ(LoadWebEngine(&problem), nullptr);
        EXPECT_TRUE(
            problem.startsWith(QStringLiteral("the web host /nonexistent/jukora-web could not")))
            << problem.toStdString();
    }
    const EnvironmentSetting hostFile("JUKORA_WEB_HOST", JUKORA_WEB_HOST_FILE);
    {
        // The engine's own program is missing: the host says so and ends.
        const EnvironmentSetting process("QTWEBENGINE_PROCESS_PATH",
                                         "/nonexistent/QtWebEngineProcess");
        QString problem;
        WebViewMaker* host = LoadWebEngine(&problem);
        ASSERT_NE(host, nullptr) << problem.toStdString();
        WebPane pane(nullptr, QStringLiteral("webTest"));
        pane.Attach(*host);
        EXPECT_TRUE(RunEventsUntil(10000, [&] { return !pane.Notice().isEmpty(); }));
        EXPECT_FALSE(pane.HasView());
        EXPECT_EQ(pane.Notice(), QStringLiteral("Web pages cannot be shown here: the web "
                                                "engine's program /nonexistent/QtWebEngineProcess "
                                                "is missing."));
        delete dynamic_cast<WebHost*>(host);
    }
    // The host ends while its views are shown: they give way to a line saying so.
    QString problem;
    auto* host = dynamic_cast<WebHost*>(LoadWebEngine(&problem));
    ASSERT_NE(host, nullptr) << problem.toStdString();
    WebPane pane(nullptr, QStringLiteral("webTest"));
    pane.resize(200, 100);
    pane.show();
    pane.Attach(*host);
    pane.Navigate(QStringLiteral("about:blank"));
    bool loaded = false;
    QObject::connect(host, &WebHost::PageLoaded, &pane, [&] { loaded = true; });
    ASSERT_TRUE(RunEventsUntil(30000, [&] { return loaded; }));
    ASSERT_TRUE(pane.HasView());
    ASSERT_EQ(::kill(static_cast<pid_t>(host->ProcessId()), SIGKILL), 0);
    EXPECT_TRUE(RunEventsUntil(10000, [&] { return !pane.Notice().isEmpty(); }));
    EXPECT_FALSE(pane.HasView());
    EXPECT_EQ(pane.Notice(), QStringLiteral("Web pages cannot be shown here: the web host ended."));
    delete host;
}

// The processes whose parent is `pid` and whose name starts with `name`.
QList<qint64> ChildrenNamed(qint64 pid, const QByteArray& name) {
    QList<qint64> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray stat =
            ReadBytes(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        const qsizetype open = stat.indexOf('('), close = stat.lastIndexOf(')');
        if (open < 0 || close < 0)
            continue;
        const QList<QByteArray> after = stat.mid(close + 2).split(' ');
        if (after.size() > 1 && after[1].toLongLong() == pid &&
            stat.mid(open + 1, close - open - 1).startsWith(name))
            found.append(entry.toLongLong());
    }
    return found;
}

// Starts the player on a library of one song; stops it at the end of the test.
class RunningPlayer {
public:
    explicit RunningPlayer(const QProcessEnvironment& environment) {
        folder_.AddSong(1, QStringLiteral("Title"), QStringLiteral("Artist"),
                        QStringLiteral("/nonexistent/a.mp3"));
        QProcessEnvironment env = environment;
        env.insert(QStringLiteral("JUKORA_PROGRAM_FOLDER"), folder_.Path());
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.start(QStringLiteral(JUKORA_PLAYER_BINARY), {});
        started_ = process_.waitForStarted(5000);
    }
    ~RunningPlayer() {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    bool Started() const { return started_; }
    bool Running() { return process_.state() == QProcess::Running; }
    qint64 Pid() const { return process_.processId(); }
    // Waits up to `ms` while the player runs, until `done` holds.
    template <typename Done> bool WaitFor(int ms, Done done) {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms) {
            if (process_.state() != QProcess::Running)
                return false;
            if (done())
                return true;
            process_.waitForFinished(100);
        }
        return done();
    }

private:
    ProgramFolderFixture folder_;
    QProcess process_;
    bool started_ = false;
};

TEST(WebView, ThePlayerStartsItsWebHostAndRunsOnWithoutTheEngineInItsProcess) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("JUKORA_WEB_HOST")); // the host beside the program
    env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    RunningPlayer player(env);
    ASSERT_TRUE(player.Started());
    const qint64 pid = player.Pid();
    QList<qint64> hosts;
    EXPECT_TRUE(player.WaitFor(30000, [&] {
        hosts = ChildrenNamed(pid, "jukora-web");
        return hosts.size() == 1 && !ChildrenNamed(hosts[0], "QtWebEngine").isEmpty();
    })) << "no web host with an engine process was started";
    player.WaitFor(3000, [] { return false; }); // and keeps running with its views
    EXPECT_TRUE(player.Running());
    const QByteArray maps = ReadBytes(QStringLiteral("/proc/%1/maps").arg(pid));
    ASSERT_FALSE(maps.isEmpty());
    EXPECT_FALSE(maps.contains("libQt6WebEngineCore")) << "the engine is in the player's process";
}

TEST(WebView, ThePlayerRunsOnWhenItsEngineCannotStart) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QTWEBENGINE_PROCESS_PATH"),
               QStringLiteral("/nonexistent/QtWebEngineProcess"));
    RunningPlayer player(env);
    ASSERT_TRUE(player.Started());
    player.WaitFor(4000, [] { return false; });
    EXPECT_TRUE(player.Running());
    EXPECT_TRUE(ChildrenNamed(player.Pid(), "jukora-web").isEmpty()) << "the host did not end";
}
} // namespace
