// Starting the web views of the preferences window. They are shown by a program of their own,
// the web host (jukora-web beside the player), drawn inside the player's window: the player never
// loads the web engine, and runs on when the host is missing, cannot start or ends.
#pragma once

#include "prefs/WebView.h"

#include <QObject>
#include <QProcess>

class frmInfo;
class frmPlayer;

// The host's file: JUKORA_WEB_HOST when set, else jukora-web beside the program.
QString WebHostPath();

// The running host, and the maker of views drawn by it.
class WebHost final : public QObject, public WebViewMaker {
    Q_OBJECT
public:
    explicit WebHost(QObject* parent);
    ~WebHost() override;

    // Starts the host; false with the reason in `problem` when it cannot be started.
    bool Start(QString* problem);
    Made Make(QWidget* parent) override;
    void Send(const QString& line);
    qint64 ProcessId() const { return process_.processId(); }

signals:
    // The host cannot show pages (its engine is missing, or it ended); the views show why.
    void Failed(const QString& problem);
    // A view finished loading a page (`ok` false when it failed).
    void PageLoaded(int view, bool ok, const QString& title);

private:
    void ReadOutput();
    void Ended();

    QProcess process_;
    QByteArray pending_;
    int views_ = 0;
    bool ready_ = false, failed_ = false;
};

// Starts the host and returns its maker of views, or nullptr with the reason in `problem`.
// As root the engine cannot have its sandbox, so it is started without one there (and only
// there); elsewhere the sandbox stays on.
WebViewMaker* LoadWebEngine(QString* problem);

// Gives the preferences window the engine and starts its web views once the main window is on
// screen and its lists are filled (its deferred reload has run), so neither waits for the engine.
void StartWebViewsWhenUp(frmPlayer& player);
