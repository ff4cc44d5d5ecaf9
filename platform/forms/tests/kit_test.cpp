// The window kit the program's windows share: the focus highlight, the window members that stand
// in for direct widget calls, the named pointers and the text of a field that may be Null.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QWidget>

#include "platform/dao/value.h"
#include "platform/forms/app.h"
#include "platform/forms/controls.h"
#include "platform/forms/fieldtext.h"
#include "platform/forms/focus.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/forms/window.h"

namespace {

class KitWindow : public forms::Window {
public:
    KitWindow() : Window("Kit") {}
    forms::TextBox* edit = nullptr;
    forms::TextBox* other = nullptr;
    forms::CommandButton* button = nullptr;
    forms::Panel* back = nullptr;
    forms::Panel* front = nullptr;

protected:
    void CreateControls() override {
        edit = &Add<forms::TextBox>("ZmNome");
        other = &Add<forms::TextBox>("txtCriterio");
        button = &Add<forms::CommandButton>("BtnGravar");
        back = &Add<forms::Panel>("PainelAtualiza");
        front = &Add<forms::Panel>("SSPanel1");
    }
};

class KitTest : public ::testing::Test {
protected:
    void SetUp() override {
        forms::testing::QtApp();
        window.Show();
        forms::HighlightEditOnFocus(*window.edit);
        forms::HighlightButtonOnFocus(*window.button);
    }
    void TearDown() override {
        window.Unload();
        forms::DoEvents();
    }
    KitWindow window;
};

TEST_F(KitTest, FocusColoursFollowTheFocus) {
    struct Row {
        forms::Control* focused;
        std::uint32_t editBack;
        std::uint32_t buttonFore;
    };
    // Each control has had the focus once, so both show a colour of the helper's.
    for (forms::Control* control : {static_cast<forms::Control*>(window.edit), static_cast<forms::Control*>(window.button)}) {
        control->SetFocus();
        forms::DoEvents();
    }
    const Row rows[] = {
        {window.edit, 0xC0C0FF, 0x0},
        {window.button, 0xFFFFFF, 0xC0},
        {window.other, 0xFFFFFF, 0x0},
        {window.edit, 0xC0C0FF, 0x0},
    };
    for (const Row& row : rows) {
        row.focused->SetFocus();
        forms::DoEvents();
        EXPECT_EQ(window.edit->BackColor(), row.editBack) << row.focused->Name();
        EXPECT_EQ(window.button->ForeColor(), row.buttonFore) << row.focused->Name();
    }
}

TEST_F(KitTest, ZOrderBringsAControlInFrontOfItsSiblings) {
    QWidget* parent = window.back->Widget()->parentWidget();
    const auto index = [&](forms::Control* control) { return parent->children().indexOf(control->Widget()); };
    ASSERT_LT(index(window.back), index(window.front));
    window.back->ZOrder();
    EXPECT_GT(index(window.back), index(window.front));
}

TEST_F(KitTest, ToolTipTextAndDropFocus) {
    window.button->SetToolTipText("Procurar(Alt + O)");
    EXPECT_EQ(window.button->ToolTipText(), "Procurar(Alt + O)");
    EXPECT_EQ(window.button->Widget()->toolTip().toStdString(), "Procurar(Alt + O)");

    window.other->SetFocus();
    forms::DoEvents();
    ASSERT_TRUE(window.other->HasFocus());
    window.edit->DropFocus();
    EXPECT_TRUE(window.other->HasFocus()) << "a control without the focus leaves it where it is";
    window.other->DropFocus();
    EXPECT_FALSE(window.other->HasFocus());
}

TEST_F(KitTest, AWindowIsEnabledOnlyWhileLoadedAndNotDisabled) {
    EXPECT_TRUE(window.Enabled());
    window.SetEnabled(false);
    EXPECT_FALSE(window.Enabled());
    EXPECT_FALSE(window.Widget()->isEnabled());
    window.SetEnabled(true);
    EXPECT_TRUE(window.Enabled());
    window.Unload();
    EXPECT_FALSE(window.Enabled()) << "an unloaded window";
    window.SetEnabled(true);   // nothing to enable; must not fail
    EXPECT_FALSE(window.Enabled());
}

TEST(PointerTest, TheHourglassShowsTheWaitCursorAndDefaultRemovesIt) {
    forms::testing::QtApp();
    forms::App().SetMousePointer(forms::pointer::Hourglass);
    EXPECT_EQ(forms::App().MousePointer(), 11);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    forms::App().SetMousePointer(forms::pointer::Default);
    EXPECT_EQ(forms::App().MousePointer(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(FieldTextTest, NullIsEmptyAndOtherValuesTheirText) {
    EXPECT_EQ(forms::TextOf(dao::Value()), "");
    EXPECT_EQ(forms::TextOf(dao::Value::Text("LOJA CENTRO")), "LOJA CENTRO");
    EXPECT_EQ(forms::TextOf(dao::Value::Long(12)), "12");
    EXPECT_EQ(forms::TextOf(dao::Value::Text("")), "");
}

}  // namespace
