// The real web view (the web module on Qt WebEngine) and the real player with it, on a virtual
// X display.
#include "prefs/WebView.h"
#include "prefs/WebEngineLoader.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <gtest/gtest.h>

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

TEST(WebView, TheRealViewLoadsALocalPage) {
    const EnvironmentSetting module("JUKORA_WEB_MODULE", JUKORA_WEB_MODULE_FILE);
    QString problem;
    WebViewMaker* maker = LoadWebEngine(&problem);
    ASSERT_NE(maker, nullptr) << problem.toStdString();
    ProgramFolderFixture folder(false);
    const QString page = folder.File(QStringLiteral("page.html"));
    ASSERT_TRUE(WriteWholeFile(
        page, "<html><head><title>Jukora local page</title></head><body>Hello</body></html>"));

    QWidget host;
    host.resize(400, 300);
    const WebViewMaker::Made made = maker->Make(&host);
    ASSERT_NE(made.view, nullptr);
    auto* engineView = qobject_cast<QWebEngineView*>(made.widget);
    ASSERT_NE(engineView, nullptr);
    made.widget->resize(400, 300);
    host.show();
    bool finished = false, ok = false;
    QEventLoop loop;
    QObject::connect(engineView, &QWebEngineView::loadFinished, &loop, [&](bool success) {
        finished = true;
        ok = success;
        loop.quit();
    });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    made.view->Navigate(QUrl::fromLocalFile(page).toString());
    loop.exec();
    ASSERT_TRUE(finished) << "the page did not load within 30 s";
    EXPECT_TRUE(ok);
    EXPECT_EQ(engineView->title(), QStringLiteral("Jukora local page"));
    EXPECT_EQ(engineView->url(), QUrl::fromLocalFile(page));
}

TEST(WebView, AnEngineThatCannotStartIsReportedNotFatal) {
    {
        const EnvironmentSetting module("JUKORA_WEB_MODULE", "/nonexistent/libjukora_web.so");
        QString problem;
        EXPECT_EQ(LoadWebEngine(&problem), nullptr);
        EXPECT_TRUE(problem.startsWith(QStringLiteral("the web module could not be loaded")))
            << problem.toStdString();
    }
    const EnvironmentSetting module("JUKORA_WEB_MODULE", JUKORA_WEB_MODULE_FILE);
    const EnvironmentSetting process("QTWEBENGINE_PROCESS_PATH", "/nonexistent/QtWebEngineProcess");
    QString problem;
    EXPECT_EQ(LoadWebEngine(&problem), nullptr);
    EXPECT_EQ(problem, QStringLiteral("the web engine's program /nonexistent/QtWebEngineProcess "
                                      "is missing"));
}

// The processes whose parent is `pid` and whose name starts with `name`.
int ChildrenNamed(qint64 pid, const QByteArray& name) {
    int found = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QByteArray stat =
            ReadBytes(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        const qsizetype open = stat.indexOf('('), close = stat.lastIndexOf(')');
        if (open < 0 || close < 0)
            continue;
        const QList<QByteArray> after = stat.mid(close + 2).split(' ');
        if (after.size() > 1 && after[1].toLongLong() == pid &&
            stat.mid(open + 1, close - open - 1).startsWith(name))
            ++found;
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

TEST(WebView, ThePlayerStartsItsWebViewsAndRunsOn) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("JUKORA_WEB_MODULE")); // the module beside the program
    env.remove(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"));
    RunningPlayer player(env);
    ASSERT_TRUE(player.Started());
    const qint64 pid = player.Pid();
    EXPECT_TRUE(player.WaitFor(30000, [pid] { return ChildrenNamed(pid, "QtWebEngine") > 0; }))
        << "no web engine process was started";
    player.WaitFor(3000, [] { return false; }); // and keeps running with its views
    EXPECT_TRUE(player.Running());
}

TEST(WebView, ThePlayerRunsOnWhenItsEngineCannotStart) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QTWEBENGINE_PROCESS_PATH"),
               QStringLiteral("/nonexistent/QtWebEngineProcess"));
    RunningPlayer player(env);
    ASSERT_TRUE(player.Started());
    player.WaitFor(4000, [] { return false; });
    EXPECT_TRUE(player.Running());
    EXPECT_EQ(ChildrenNamed(player.Pid(), "QtWebEngine"), 0);
}
} // namespace
