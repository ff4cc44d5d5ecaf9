// The tooltip handle: shown at once without the focus, kept on the screen, and destroyed with
// its handle or with the control's window, whichever goes first.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <memory>

#include "platform/ctl/tests/support/app.h"
#include "zmtext/module/tooltip.h"

namespace zmtext {
namespace {

class ToolTip : public ::testing::Test {
protected:
    void SetUp() override {
        ctl::testing::App();
        owner_ = std::make_unique<QWidget>();
        owner_->setFocusPolicy(Qt::StrongFocus);
        owner_->resize(120, 24);
        owner_->show();
        owner_->setFocus();
        QApplication::processEvents();
        screen_ = QGuiApplication::primaryScreen()->geometry();
    }

    std::unique_ptr<QWidget> owner_;
    QRect screen_;
};

TEST_F(ToolTip, ShownAtOnceWithoutTakingTheFocus) {
    CZMToolTipWnd tip(owner_.get(), "C\xF3" "digo da loja", 60, 40);
    QApplication::processEvents();
    ASSERT_TRUE(tip.IsShown());
    EXPECT_EQ(tip.Window()->focusPolicy(), Qt::NoFocus);
    EXPECT_NE(QApplication::focusWidget(), tip.Window());
    EXPECT_EQ(tip.Window()->parentWidget(), owner_.get());
    const QRect r = tip.ScreenRect();
    EXPECT_LE(std::abs(r.center().x() - 60), 1) << "centred on the pointer";
    EXPECT_GT(r.top(), 40) << "below the pointer";
}

TEST_F(ToolTip, StaysOnTheScreenNearItsEdges) {
    const QPoint pointers[] = {{screen_.right(), 10}, {0, 10}, {10, screen_.bottom()},
                               {screen_.right(), screen_.bottom()}};
    for (const QPoint& p : pointers) {
        CZMToolTipWnd tip(owner_.get(), "Informe o c\xF3" "digo", p.x(), p.y());
        EXPECT_TRUE(screen_.contains(tip.ScreenRect())) << p.x() << "," << p.y();
    }
}

TEST_F(ToolTip, DestroyedWithTheHandleOrWithTheControlWindow) {
    QPointer<QWidget> window;
    {
        CZMToolTipWnd tip(owner_.get(), "a", 10, 10);
        window = tip.Window();
        ASSERT_TRUE(window);
    }
    EXPECT_FALSE(window) << "the handle destroys its window";

    CZMToolTipWnd tip(owner_.get(), "b", 10, 10);
    owner_.reset();   // the control's window goes first
    EXPECT_EQ(tip.Window(), nullptr);
    EXPECT_FALSE(tip.IsShown());
    EXPECT_TRUE(tip.ScreenRect().isEmpty());
}

}  // namespace
}  // namespace zmtext
