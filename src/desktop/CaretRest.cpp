#include "desktop/CaretRest.h"

#include <QEvent>
#include <QGuiApplication>
#include <QStyleHints>

CaretRest::CaretRest(int restAfterMs) : blinkMs_(QGuiApplication::styleHints()->cursorFlashTime()) {
    quiet_.setSingleShot(true);
    quiet_.setTimerType(Qt::CoarseTimer);
    quiet_.setInterval(restAfterMs);
    connect(&quiet_, &QTimer::timeout, this, &CaretRest::Rest);
    qApp->installEventFilter(this);
    quiet_.start();
}

CaretRest::~CaretRest() {
    qApp->removeEventFilter(this);
    if (resting_)
        QGuiApplication::styleHints()->setCursorFlashTime(blinkMs_);
}

void CaretRest::Rest() {
    if (blinkMs_ <= 0)
        return; // the desktop has blinking off already
    resting_ = true;
    // A flash time of 0 shows the caret steadily; the fields follow the change at once.
    QGuiApplication::styleHints()->setCursorFlashTime(0);
}

bool CaretRest::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
    case QEvent::FocusIn:
        if (resting_) {
            resting_ = false;
            QGuiApplication::styleHints()->setCursorFlashTime(blinkMs_);
        }
        quiet_.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
