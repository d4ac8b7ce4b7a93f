// Text carets rest after a quiet spell and blink again at the next key or click.
#include "desktop/CaretRest.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QStyleHints>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// Runs events for `ms`.
void RunEvents(int ms) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Counts the timer events of an object and its children: a blinking caret's.
class TimerCount : public QObject {
public:
    explicit TimerCount(QObject* watched) {
        watched->installEventFilter(this);
        for (QObject* child : watched->findChildren<QObject*>())
            child->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Timer)
            ++count;
        return false;
    }
};

TEST(CaretRest, CaretsRestAfterAQuietSpellAndBlinkAgainAtAKeyOrAClick) {
    QStyleHints* hints = QGuiApplication::styleHints();
    const int blink = hints->cursorFlashTime();
    ASSERT_GT(blink, 0) << "the platform's carets do not blink";
    QLineEdit field;
    field.show();
    field.setFocus();
    {
        CaretRest rest(150);
        RunEvents(60);
        EXPECT_FALSE(rest.Resting());
        EXPECT_EQ(hints->cursorFlashTime(), blink);
        RunEvents(250);
        EXPECT_TRUE(rest.Resting());
        EXPECT_EQ(hints->cursorFlashTime(), 0);
        // A resting caret wakes nothing.
        TimerCount timers(&field);
        RunEvents(blink + 100);
        EXPECT_EQ(timers.count, 0);

        // A key wakes the carets and starts the quiet spell again.
        QTest::keyClick(&field, Qt::Key_A);
        EXPECT_FALSE(rest.Resting());
        EXPECT_EQ(hints->cursorFlashTime(), blink);
        EXPECT_EQ(field.text(), QStringLiteral("a"));
        RunEvents(60);
        EXPECT_FALSE(rest.Resting());
        RunEvents(250);
        EXPECT_TRUE(rest.Resting());

        QTest::mouseClick(&field, Qt::LeftButton);
        EXPECT_FALSE(rest.Resting());
        EXPECT_EQ(hints->cursorFlashTime(), blink);
        RunEvents(250);
        EXPECT_TRUE(rest.Resting());
    }
    // Gone, it leaves the desktop's blinking as it found it: the caret blinks again.
    EXPECT_EQ(hints->cursorFlashTime(), blink);
    TimerCount timers(&field);
    RunEvents(blink + 100);
    EXPECT_GT(timers.count, 0);
}
} // namespace
