// The least a Qt program can cost while it plays nothing: a window of the player's size shown and
// a timer waking it every 10 ms with nothing to do. cpu_compare.sh measures it beside the player,
// to show how much of the player's CPU time is the tick's own work.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("jukora-loop-floor"));
    window.resize(561, 578);
    window.show();
    QTimer tick;
    tick.setInterval(10);
    QObject::connect(&tick, &QTimer::timeout, [] {});
    tick.start();
    return app.exec();
}
