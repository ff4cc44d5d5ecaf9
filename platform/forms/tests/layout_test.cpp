// A window created from its layout table: intrinsic and library controls in containers, their
// places measured from the container, a hidden container hiding its library controls too, the tab
// order of the rows, and the library control that cannot be created.
#include "platform/forms/layout.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QRect>
#include <QWidget>

#include "platform/ctl/tests/support/field_library.h"
#include "platform/ctl/tests/support/test_field.h"
#include "platform/forms/app.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/library_window_test.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/forms/tests/support/raises.h"
#include "platform/forms/tests/support/typing.h"
#include "platform/win/error.h"

namespace {

using forms::ControlSpec;
using forms::Intrinsic;
using forms::Library;
using forms::testing::ErrorNumberOf;
using forms::testing::QtApp;

constexpr const char* kUnregistered = "{6C7A0002-0000-4000-8000-0000000FFFFF}";

// A text box, a panel holding a label, a library field and a text box, a library field and a
// button on the window, and a hidden panel with a field of its own.
class TableWindow : public forms::Window {
public:
    TableWindow() : Window("FrmTabela") {}

    forms::Panel* panel = nullptr;
    forms::Label* label = nullptr;
    forms::HostedControl* inPanel = nullptr;
    forms::HostedControl* onWindow = nullptr;
    forms::HostedControl* inHidden = nullptr;
    forms::CommandButton* button = nullptr;
    forms::Panel* hidden = nullptr;

protected:
    void CreateControls() override {
        const ControlSpec layout[] = {
            {"TxtPrimeiro", Intrinsic<forms::TextBox>(), "", 150, 150, 1200, 300},
            {"PnlDados", Intrinsic(panel), "", 600, 600, 3000, 1500},
            {"LblNome", Intrinsic(label), "PnlDados", 150, 150, 900, 300, "&Nome"},
            {"Field1", Library(ctl::testlib::kFieldProgId, inPanel), "PnlDados", 1050, 150, 1500, 360, nullptr, true,
             {{"Limit", com::Variant::I2(7)}}},
            {"TxtDentro", Intrinsic<forms::TextBox>(), "PnlDados", 150, 750, 1200, 300},
            {"Field2", Library(ctl::testlib::kFieldProgId, onWindow), "", 150, 2400, 1500, 360},
            {"BtnOk", Intrinsic(button), "", 1800, 2400, 1200, 450, "&Ok"},
            {"PnlOculto", Intrinsic(hidden), "", 3750, 150, 1500, 900, nullptr, false},
            {"Field3", Library(ctl::testlib::kFieldProgId, inHidden), "PnlOculto", 150, 150, 1200, 360},
        };
        forms::CreateFromTable(*this, layout);
    }
};

class LayoutTest : public forms::testing::LibraryWindowTest<TableWindow> {
protected:
    // The innermost control whose widget holds the focus.
    std::string Focused() const {
        for (QWidget* widget = QApplication::focusWidget(); widget != nullptr; widget = widget->parentWidget()) {
            for (forms::Control* control : window->Controls()) {
                if (control->Widget() == widget) return control->Name();
            }
        }
        return "(none)";
    }

};

TEST_F(LayoutTest, EachControlLiesInItsContainerAtItsPlaceFromIt) {
    TableWindow& w = Shown();
    struct Case {
        const char* name;
        const char* container;   // "" for the window
        QRect pixels;            // within the container
    };
    const Case cases[] = {
        {"TxtPrimeiro", "", {10, 10, 80, 20}},  {"PnlDados", "", {40, 40, 200, 100}},
        {"LblNome", "PnlDados", {10, 10, 60, 20}}, {"Field1", "PnlDados", {70, 10, 100, 24}},
        {"TxtDentro", "PnlDados", {10, 50, 80, 20}}, {"Field2", "", {10, 160, 100, 24}},
        {"BtnOk", "", {120, 160, 80, 30}},        {"Field3", "PnlOculto", {10, 10, 80, 24}},
    };
    for (const Case& c : cases) {
        forms::Control* control = w.FindControl(c.name);
        ASSERT_NE(control, nullptr) << c.name;
        QWidget* container = *c.container ? w.FindControl(c.container)->Widget() : w.Widget();
        EXPECT_EQ(control->Widget()->parentWidget(), container) << c.name;
        EXPECT_EQ(control->Widget()->geometry(), c.pixels) << c.name;
    }
    EXPECT_EQ(w.inPanel->Left(), 1050);
    EXPECT_EQ(w.inPanel->Top(), 150);
}

TEST_F(LayoutTest, CaptionsPropertiesAndKeptControls) {
    TableWindow& w = Shown();
    EXPECT_EQ(w.label, w.FindControl("LblNome"));
    EXPECT_EQ(w.button, w.FindControl("BtnOk"));
    EXPECT_EQ(w.inPanel, w.FindControl("Field1"));
    EXPECT_EQ(w.label->Caption(), "&Nome");
    EXPECT_EQ(w.button->Caption(), "&Ok");
    EXPECT_EQ(w.inPanel->Get("Limit").AsI4(), 7);
    EXPECT_EQ(w.onWindow->Get("Limit").AsI4(), 10);   // the library's default
}

// Hiding a panel hides every control in it, a library control as an intrinsic one, each keeping
// its own Visible; showing it shows them again. A hidden row starts hidden, with its controls.
TEST_F(LayoutTest, APanelShowsAndHidesItsControlsWhateverTheirKind) {
    TableWindow& w = Shown();
    forms::Control* text = w.FindControl("TxtDentro");
    EXPECT_TRUE(w.inPanel->Widget()->isVisible());
    EXPECT_FALSE(w.hidden->Visible());
    EXPECT_FALSE(w.inHidden->Widget()->isVisible());
    EXPECT_TRUE(w.inHidden->Visible());

    w.panel->SetVisible(false);
    for (forms::Control* child : {static_cast<forms::Control*>(w.inPanel), text, static_cast<forms::Control*>(w.label)}) {
        EXPECT_FALSE(child->Widget()->isVisible()) << child->Name();
        EXPECT_FALSE(child->ShowsInWindow()) << child->Name();
        EXPECT_TRUE(child->Visible()) << child->Name();
    }
    EXPECT_TRUE(w.onWindow->Widget()->isVisible());

    w.panel->SetVisible(true);
    w.hidden->SetVisible(true);
    for (forms::Control* child : {static_cast<forms::Control*>(w.inPanel), text, static_cast<forms::Control*>(w.inHidden)}) {
        EXPECT_TRUE(child->Widget()->isVisible()) << child->Name();
        EXPECT_TRUE(child->ShowsInWindow()) << child->Name();
    }
}

// Tab follows the rows, through containers and library controls alike, and skips the controls of
// a hidden panel.
TEST_F(LayoutTest, TabFollowsTheRowsAndSkipsAHiddenPanel) {
    TableWindow& w = Shown();
    int index = 0;
    for (forms::Control* control : w.Controls()) EXPECT_EQ(control->TabIndex(), index++) << control->Name();

    w.FindControl("TxtPrimeiro")->SetFocus();
    QApplication::processEvents();
    std::vector<std::string> visited = {Focused()};
    for (int i = 0; i < 5; ++i) {
        forms::testing::PressOnFocus(Qt::Key_Tab);
        visited.push_back(Focused());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"TxtPrimeiro", "Field1", "TxtDentro", "Field2", "BtnOk", "TxtPrimeiro"}));

    w.panel->SetVisible(false);
    w.FindControl("TxtPrimeiro")->SetFocus();
    QApplication::processEvents();
    visited = {Focused()};
    for (int i = 0; i < 3; ++i) {
        forms::testing::PressOnFocus(Qt::Key_Tab);
        visited.push_back(Focused());
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"TxtPrimeiro", "Field2", "BtnOk", "TxtPrimeiro"}));
}

// A library control that cannot be created goes to the window's handler and is kept as missing;
// the rows after it are created all the same. Without a handler the failure is raised.
class MissingWindow : public forms::Window {
public:
    explicit MissingWindow(bool handled) : Window("FrmFalta"), handled_(handled) {}

    forms::HostedControl* missing = nullptr;
    forms::TextBox* after = nullptr;
    std::vector<std::string> reported;

protected:
    void CreateControls() override {
        const ControlSpec layout[] = {
            {"PnlDados", Intrinsic<forms::Panel>(), "", 0, 0, 3000, 1500},
            {"Field1", Library(kUnregistered, missing), "PnlDados", 150, 150, 1500, 360},
            {"TxtDepois", Intrinsic(after), "PnlDados", 150, 750, 1200, 300},
        };
        forms::MissingControl report;
        if (handled_) {
            report = [this](const win::RuntimeError& error, const ControlSpec& row) {
                reported.push_back(std::string(row.name) + " " + std::to_string(error.Number()));
            };
        }
        forms::CreateFromTable(*this, layout, report);
    }

private:
    bool handled_;
};

TEST_F(LayoutTest, AMissingLibraryControlIsReportedAndLeftOut) {
    MissingWindow handled(true);
    handled.Load();
    EXPECT_EQ(handled.reported, std::vector<std::string>{"Field1 429"});
    EXPECT_EQ(handled.missing, nullptr);
    ASSERT_NE(handled.after, nullptr);
    EXPECT_EQ(handled.FindControl("Field1"), nullptr);
    handled.Unload();

    MissingWindow raised(false);
    EXPECT_EQ(ErrorNumberOf([&] { raised.Load(); }), 429);
    EXPECT_EQ(raised.after, nullptr);
    EXPECT_TRUE(raised.reported.empty());
}

// Rows that do not fit their control are faults of the window's code, raised as the runtime does:
// a container not created above (5), a caption or a library property on a control without one
// (438).
TEST_F(LayoutTest, ARowThatDoesNotFitItsControlRaises) {
    window->Load();
    struct Case {
        const char* what;
        ControlSpec row;
        long number;
    };
    const Case cases[] = {
        {"unknown container", {"TxtX", Intrinsic<forms::TextBox>(), "PnlNenhum", 0, 0, 600, 300}, 5},
        {"caption of a text box", {"TxtY", Intrinsic<forms::TextBox>(), "", 0, 0, 600, 300, "Texto"}, 438},
        {"property of a text box",
         {"TxtZ", Intrinsic<forms::TextBox>(), "", 0, 0, 600, 300, nullptr, true, {{"Limit", com::Variant::I2(1)}}},
         438},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorNumberOf([&] { forms::CreateFromTable(*window, std::span(&c.row, 1)); }), c.number) << c.what;
    }
}

}  // namespace
