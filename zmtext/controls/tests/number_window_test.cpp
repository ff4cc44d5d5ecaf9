// The number fields' window behaviour through real Qt events: a click gives the field the focus
// after the caret was placed (so FocusSelect selects the whole value), and a tooltip goes when
// the window is deactivated.
#include <gtest/gtest.h>

#include <QTest>

#include "zmtext/controls/currency_ctrl.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/number_test_support.h"
#include "zmtext/controls/text_ctrl.h"

namespace zmtext::testing {
namespace {

using com::Variant;

class NumberWindow : public NumberControlTest {
protected:
    // A text field in row 0 and a number field of class C holding `value` in row 1.
    template <class C>
    com::ComPtr<C> Fields(const char* value) {
        other_ = Add<CZMTextCtrl>("Outro", 0);
        auto field = Add<C>("Numero", 1);
        Put(field.Get(), "Value", S(value));
        return field;
    }

    com::ComPtr<CZMTextCtrl> other_;
};

TEST_F(NumberWindow, AClickFocusesTheFieldAfterPlacingTheCaret) {
    const struct {
        int kind;   // 0 Long, 1 Double, 2 Currency
        bool focusSelect;
    } rows[] = {{0, true}, {0, false}, {1, true}, {1, false}, {2, true}, {2, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.kind) + (row.focusSelect ? " FocusSelect" : ""));
        sites_.clear();
        container_ = std::make_unique<ctl::ControlContainer>(top_.get());
        com::IDispatch* field = nullptr;
        com::ComPtr<CZMLongCtrl> l;
        com::ComPtr<CZMDoubleCtrl> d;
        com::ComPtr<CZMCurrencyCtrl> c;
        switch (row.kind) {
        case 0: field = (l = Fields<CZMLongCtrl>("12345")).Get(); break;
        case 1: field = (d = Fields<CZMDoubleCtrl>("12345")).Get(); break;
        default: field = (c = Fields<CZMCurrencyCtrl>("12345")).Get(); break;
        }
        Put(field, "FocusSelect", Variant::Bool(row.focusSelect));
        Show();
        Focus(0);
        ASSERT_EQ(QApplication::focusWidget(), Widget(0));

        QTest::mouseClick(Widget(1), Qt::LeftButton, Qt::NoModifier, QPoint(3, Widget(1)->height() / 2));
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), Widget(1)) << "the click gave the field the focus";
        // The whole value is its five digits while the field has the focus.
        EXPECT_EQ(Get(field, "SelLength"), row.focusSelect ? "5" : "0");
        Focus(0);
    }
}

TEST_F(NumberWindow, DeactivatingTheWindowRemovesTheTooltip) {
    auto field = Fields<CZMLongCtrl>("7");
    Put(field.Get(), "ToolTip", S("Quantidade"));
    Show();
    const QPoint inside(5, 5);
    QCursor::setPos(Widget(1)->mapToGlobal(inside));
    QTest::mouseMove(Widget(1), inside);
    QTRY_VERIFY_WITH_TIMEOUT(field->ShownToolTip() != nullptr, 10000);

    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QApplication::setActiveWindow(&elsewhere);
    QApplication::processEvents();
    EXPECT_EQ(field->ShownToolTip(), nullptr);
    EXPECT_EQ(field->GetToolTipState(), 0);
}

}  // namespace
}  // namespace zmtext::testing
