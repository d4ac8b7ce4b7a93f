// Text carets stop blinking when the user has not typed or clicked for a while, and blink again
// at the next key or click, as desktops do to save power. A blinking caret redraws its field
// twice a second for as long as the window is active: the search box, which has the focus from
// the start, would keep an idle player waking twice a second for nothing.
#pragma once

#include <QObject>
#include <QTimer>

class CaretRest : public QObject {
    Q_OBJECT
public:
    static constexpr int kRestAfterMs = 10000;
    // Watches the application's input from now on; `restAfterMs` of none lets the carets rest.
    explicit CaretRest(int restAfterMs = kRestAfterMs);
    ~CaretRest() override;

    bool Resting() const { return resting_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Rest();

    QTimer quiet_;
    int blinkMs_; // the desktop's blink period, given back when the carets wake
    bool resting_ = false;
};
