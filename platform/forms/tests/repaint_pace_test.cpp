#include "platform/forms/repaint_pace.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>

#include "platform/forms/services.h"
#include "platform/forms/tests/support/qt_app.h"

namespace {

using forms::testing::QtApp;

// A window that counts its repaints and the input it receives.
class CountingWindow : public QWidget {
public:
    CountingWindow() { resize(200, 100); }
    int paints = 0;
    int keys = 0;
    int presses = 0;
    std::chrono::steady_clock::duration paintCost{};   // time each repaint takes

protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        const auto until = std::chrono::steady_clock::now() + paintCost;
        while (std::chrono::steady_clock::now() < until) {
        }
    }
    void keyPressEvent(QKeyEvent*) override { ++keys; }
    void mousePressEvent(QMouseEvent*) override { ++presses; }
};

class RepaintPaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        window = std::make_unique<CountingWindow>();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QTest::qWait(2 * forms::kRepaintIntervalMs);   // whatever the pace held back is painted
    }
    std::unique_ptr<CountingWindow> window;
};

// A task that changes the window and yields in a tight loop: the window is repainted about once
// per interval, not at every yield, and its last state reaches the screen once the interval is
// over even when no yield follows.
TEST_F(RepaintPaceTest, YieldsInQuickSuccessionRepaintOncePerInterval) {
    const int before = window->paints;
    QElapsedTimer elapsed;
    elapsed.start();
    constexpr int kYields = 400;
    for (int i = 0; i < kYields; ++i) {
        window->update();
        forms::DoEvents();
    }
    const int intervals = static_cast<int>(elapsed.elapsed() / forms::kRepaintIntervalMs);
    EXPECT_GE(window->paints - before, 1) << "the first yield repaints";
    EXPECT_LE(window->paints - before, intervals + 2) << "over " << elapsed.elapsed() << " ms";
    EXPECT_LT(window->paints - before, kYields / 4);

    // The last yield was most likely one that held its repaint back.
    const int beforeLastChange = window->paints;
    window->update();
    forms::DoEvents();
    // The event loop, no yield (a loaded machine lengthens the interval).
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->paints > beforeLastChange; }, 2000))
        << "the last change reaches the screen";
    const int settled = window->paints;
    QTest::qWait(3 * forms::kRepaintIntervalMs);
    EXPECT_EQ(window->paints, settled) << "nothing is left to paint once the held repaint went";
}

// A window slow to paint (a loaded machine, a window full of text) is repainted less often, so
// that the task yielding spends at most about a kPaintShare-th of its time repainting.
TEST_F(RepaintPaceTest, ASlowRepaintLengthensTheInterval) {
    constexpr int kPaintMs = 20;
    window->paintCost = std::chrono::milliseconds(kPaintMs);
    const int before = window->paints;
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < 400) {
        window->update();
        forms::DoEvents();
    }
    const int paints = window->paints - before;
    window->paintCost = {};
    EXPECT_GE(paints, 1);
    EXPECT_LE(paints, static_cast<int>(elapsed.elapsed() / (forms::kPaintShare * kPaintMs)) + 2)
        << "over " << elapsed.elapsed() << " ms";
}

// Whatever else a yield finds is handled by that yield, held repaints or not; a repaint asked for
// synchronously paints at once.
TEST_F(RepaintPaceTest, AYieldStillHandlesInputAndSynchronousRepaints) {
    struct Case {
        const char* what;
        std::function<void(CountingWindow&)> queue;
        std::function<int(const CountingWindow&)> count;
    };
    const Case cases[] = {
        {"a key",
         [](CountingWindow& w) {
             QCoreApplication::postEvent(&w, std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_A,
                                                                         Qt::NoModifier, "a").release());
         },
         [](const CountingWindow& w) { return w.keys; }},
        {"a click",
         [](CountingWindow& w) {
             const QPointF at(10, 10);
             QCoreApplication::postEvent(&w, std::make_unique<QMouseEvent>(QEvent::MouseButtonPress, at, at,
                                                                           w.mapToGlobal(at), Qt::LeftButton,
                                                                           Qt::LeftButton, Qt::NoModifier)
                                                 .release());
         },
         [](const CountingWindow& w) { return w.presses; }},
    };
    for (const Case& c : cases) {
        for (int yield = 0; yield < 5; ++yield) {
            window->update();   // a repaint the pace may hold back
            const int before = c.count(*window);
            c.queue(*window);
            forms::DoEvents();
            EXPECT_EQ(c.count(*window), before + 1) << c.what << " at yield " << yield;
        }
    }
    for (int yield = 0; yield < 5; ++yield) {
        window->update();
        forms::DoEvents();
        const int before = window->paints;
        window->repaint();
        EXPECT_EQ(window->paints, before + 1) << "a synchronous repaint at yield " << yield;
    }
}

// A window closed and destroyed while its repaint is held back: the hand-back skips it.
TEST_F(RepaintPaceTest, AWindowDestroyedWhileItsRepaintIsHeldIsSkipped) {
    for (int round = 0; round < 3; ++round) {
        auto other = std::make_unique<CountingWindow>();
        other->show();
        for (int yield = 0; yield < 4; ++yield) {
            other->update();
            window->update();
            forms::DoEvents();
        }
        other.reset();
    }
    const int before = window->paints;
    window->update();
    forms::DoEvents();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->paints > before; }, 2000))
        << "the window that stayed is still repainted";
}

}  // namespace
