// The shared edit-control members on a real window: keys delivered once to the engine, focus
// validation toward siblings only, the end-of-field tab through the container's tab order, the
// font and tooltip properties, and the order of tooltip removal and MouseDown.
#include <gtest/gtest.h>

#include <QCursor>
#include <QKeyEvent>
#include <QWidget>

#include "platform/ctl/control_site.h"
#include "platform/ctl/keys.h"
#include "zmtext/engine/tests/control_host.h"
#include "zmtext/engine/tests/edit_test_control.h"

namespace zmtext::testing {
namespace {

using com::ComPtr;
using com::DispId;
using com::Variant;

class EditControlWindow : public ControlHostTest {
protected:
    // A control with the mask `mask` at row `row`, its tab index its row.
    ComPtr<TestEditCtrl> Add(const std::string& name, const std::string& mask, int row) {
        auto control = Host(TestEditCtrl::Create(), name, row, 150);
        control->SetMask(mask);
        return control;
    }
    QWidget* FocusWidget() const { return QApplication::focusWidget(); }
    void Type(int i, Qt::Key key, const QString& text) { Press(i, key, text); }
};

TEST_F(EditControlWindow, EachKeyFiresKeyDownAndKeyPressOnceFromTheEngine) {
    auto f = Add("F1", "###-##", 0);
    EXPECT_FALSE(f->DataChanged());
    Show();
    Focus(0);
    events_.clear();
    Type(0, Qt::Key_1, "1");
    Type(0, Qt::Key_2, "2");
    Type(0, Qt::Key_A, "a");
    EXPECT_EQ(f->GetRawData(), "12");
    EXPECT_EQ(Count("F1:-602"), 3) << "KeyDown";
    EXPECT_EQ(Count("F1:-603"), 2) << "KeyPress (the refused key fires InvalidKey instead)";
    EXPECT_EQ(Count("F1:-604"), 3) << "KeyUp from the base";
    EXPECT_EQ(Count("F1:1"), 2) << "Change";
    EXPECT_EQ(Count("F1:3"), 1) << "InvalidKey";
    EXPECT_TRUE(f->DataChanged()) << "an edit sets the binding's DataChanged";
}

TEST_F(EditControlWindow, AnEditReportsTheBoundPropertyOfDataProperty) {
    struct Row {
        std::int16_t dataProperty;
        int text, raw;   // reports of Text (-517) and RawData (1) for one typed character
    };
    auto f = Add("F1", "", 0);
    Show();
    Focus(0);
    for (const auto& row : {Row{0, 1, 1}, Row{1, 0, 2}, Row{2, 0, 1}}) {
        f->SetDataPropertyValue(row.dataProperty);
        changes_.clear();
        Type(0, Qt::Key_X, "x");
        EXPECT_EQ(std::count(changes_.begin(), changes_.end(), "F1:-517"), row.text) << row.dataProperty;
        EXPECT_EQ(std::count(changes_.begin(), changes_.end(), "F1:1"), row.raw) << row.dataProperty;
    }
}

TEST_F(EditControlWindow, TheBindingInterfacesAreTheControls) {
    auto f = Add("F1", "", 0);
    com::ComPtr<com::IUnknown> control(static_cast<com::IDispatch*>(f.Get()));
    const auto bound = control.As<com::IBoundObject>();
    ASSERT_TRUE(bound);
    EXPECT_TRUE(control.As<com::INotifyDBEvents>());
    EXPECT_EQ(bound->IsDirty(0), com::S_FALSE);
    f->HandleChar('x');
    EXPECT_EQ(f->GetRawData(), "x");
    EXPECT_EQ(bound->IsDirty(0), com::S_OK) << "an edit is there to write back";
    EXPECT_TRUE(bound.As<ctl::IControl>()) << "and they lead back to the control";
}

TEST_F(EditControlWindow, LeavingForASiblingValidatesLeavingForAnotherWindowDoesNot) {
    auto f1 = Add("F1", "###", 0);
    auto f2 = Add("F2", "", 1);
    Show();
    Focus(0);
    Type(0, Qt::Key_1, "1");
    events_.clear();
    Focus(1);
    ASSERT_EQ(FocusWidget(), sites_[1]->Widget());
    EXPECT_EQ(Count("F1:4"), 1) << "Invalid: the field is incomplete";

    Focus(0);
    events_.clear();
    QWidget elsewhere;
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    elsewhere.show();
    elsewhere.activateWindow();
    elsewhere.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Count("F1:4"), 0) << "no Invalid toward another top-level window";
    EXPECT_EQ(Count("F1:5"), 0);
}

TEST_F(EditControlWindow, EndOfFieldTabFollowsTheTabOrderAndWraps) {
    std::vector<ComPtr<TestEditCtrl>> fields;
    for (int i = 0; i < 3; ++i) {
        fields.push_back(Add("F" + std::to_string(i), "#", i));
        fields.back()->SetEOLTab(true);
    }
    Show();
    Focus(0);
    const Qt::Key keys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3};
    const int next[] = {1, 2, 0};
    for (int i = 0; i < 3; ++i) {
        Type(i, keys[i], QString::number(i + 1));
        QApplication::processEvents();
        EXPECT_EQ(FocusWidget(), sites_[static_cast<std::size_t>(next[i])]->Widget()) << "after field " << i;
        EXPECT_EQ(fields[static_cast<std::size_t>(i)]->GetRawData(), std::to_string(i + 1));
    }
    EXPECT_EQ(Count("F0:2"), 1) << "EndOfLine";
}

TEST_F(EditControlWindow, FontSizeIsARealOutsideAndCurrencyInside) {
    auto f = Add("F1", "", 0);
    com::IDispatch* d = sites_[0]->Dispatch();
    const DispId size = com::IdOfName(d, "FontSize");
    com::DispParams put{{Variant::R4(9.75f)}};
    ASSERT_EQ(d->Invoke(size, com::DISPATCH_PROPERTYPUT, put, nullptr, nullptr, nullptr), com::S_OK);
    EXPECT_EQ(f->InternalGetFont().Size().scaled, 97500);
    com::DispParams none;
    Variant got;
    ASSERT_EQ(d->Invoke(size, com::DISPATCH_PROPERTYGET, none, &got, nullptr, nullptr), com::S_OK);
    Variant r8;
    ASSERT_EQ(com::ChangeType(r8, got, com::VT_R8), com::S_OK);
    EXPECT_DOUBLE_EQ(r8.AsR8(), 9.75);
    EXPECT_NE(std::find(changes_.begin(), changes_.end(), "F1:3"), changes_.end()) << "FontSize reports its own id";

    const DispId name = com::IdOfName(d, "FontName");
    com::DispParams named{{Variant::Utf8("Fonte \xC3\x87\xC3\xA1")}};   // "Fonte Çá"
    ASSERT_EQ(d->Invoke(name, com::DISPATCH_PROPERTYPUT, named, nullptr, nullptr, nullptr), com::S_OK);
    EXPECT_EQ(f->InternalGetFont().Name(), "Fonte \xC7\xE1") << "kept in the code page";
    Variant back;
    ASSERT_EQ(d->Invoke(name, com::DISPATCH_PROPERTYGET, none, &back, nullptr, nullptr), com::S_OK);
    EXPECT_EQ(back.AsStr().ToUtf8(), "Fonte \xC3\x87\xC3\xA1");

    const DispId bold = com::IdOfName(d, "FontBold");
    com::DispParams on{{Variant::Bool(true)}};
    ASSERT_EQ(d->Invoke(bold, com::DISPATCH_PROPERTYPUT, on, nullptr, nullptr, nullptr), com::S_OK);
    EXPECT_TRUE(f->InternalGetFont().Bold());
}

TEST_F(EditControlWindow, ToolTipPropertyReportsAndMarksModified) {
    auto f = Add("F1", "", 0);
    f->SetModifiedFlag(false);
    com::IDispatch* d = sites_[0]->Dispatch();
    com::DispParams put{{Variant::Utf8("C\xC3\xB3" "digo")}};
    ASSERT_EQ(d->Invoke(com::IdOfName(d, "ToolTip"), com::DISPATCH_PROPERTYPUT, put, nullptr, nullptr, nullptr),
              com::S_OK);
    EXPECT_TRUE(f->IsModified());
    EXPECT_NE(std::find(changes_.begin(), changes_.end(), "F1:5"), changes_.end());
    com::DispParams none;
    Variant got;
    ASSERT_EQ(d->Invoke(com::IdOfName(d, "ToolTip"), com::DISPATCH_PROPERTYGET, none, &got, nullptr, nullptr),
              com::S_OK);
    EXPECT_EQ(got.AsStr().ToUtf8(), "C\xC3\xB3" "digo");
}

TEST_F(EditControlWindow, RightButtonRemovesTheTooltipBeforeMouseDown) {
    auto f = Add("F1", "", 0);
    Show();
    f->SetToolTipText("Tip");
    QCursor::setPos(sites_[0]->Widget()->mapToGlobal(QPoint(5, 5)));
    // The mouse rests on the field: the wait starts, and its timer finds the mouse still there.
    f->HandleMouseMove(0, QPoint(5, 5));
    ASSERT_EQ(f->GetToolTipState(), 1);
    f->OnTimer(1);
    ASSERT_EQ(f->GetToolTipState(), 2);
    ASSERT_NE(f->ShownToolTip(), nullptr);
    bool tipGoneAtMouseDown = false;
    container_->SetEventHandler([&](ctl::ControlSite&, DispId id, std::span<Variant>) {
        if (id == com::DISPID_MOUSEDOWN) tipGoneAtMouseDown = f->ShownToolTip() == nullptr;
    });
    f->OnButtonDown(2, ctl::MK_RBUTTON, QPoint(5, 5));
    EXPECT_TRUE(tipGoneAtMouseDown);
    EXPECT_EQ(f->GetToolTipState(), 0);

    // A tip still shown when the control's window goes goes with it.
    f->ReleaseCapture();   // the press's capture, as its release would free it
    f->HandleMouseMove(0, QPoint(5, 5));
    f->OnTimer(1);
    ASSERT_NE(f->ShownToolTip(), nullptr);
    EXPECT_EQ(f->DestroyControlWindow(), com::S_OK);
    EXPECT_EQ(f->ShownToolTip(), nullptr);
    EXPECT_EQ(f->GetToolTipState(), 0);
}

}  // namespace
}  // namespace zmtext::testing
