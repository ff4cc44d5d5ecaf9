// The label as the program meets it: ZMTEXT32.OCX registered in a temporary machine root, the
// label created by ProgID and by class id in a forms window, its members set by name and DISPID,
// its Change event in the window's handler, its properties through a bag and back; then
// unregistration leaves the registry as it was.
#ifdef ZMTEXT_WITH_FORMS
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "platform/com/factory.h"
#include "platform/com/typelib.h"
#include "platform/forms/app.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/forms/window.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/registry.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/engine/tests/engine_test_app.h"
#include "zmtext/module/tests/registry_snapshot.h"

namespace {

using com::Variant;
using win::testing::ErrorNumberOf;
namespace reg = win::registry;

constexpr const char* kLabelProgId = "ZMTEXT.ZMLabelCtrl.1";
constexpr const char* kLabelClsid = "{A5CC20C1-B5F5-11CD-98EC-0020AF234C9D}";
constexpr const char* kPageClsid = "{A5CC20C5-B5F5-11CD-98EC-0020AF234C9D}";

std::string Value(const std::string& key) {
    return reg::QueryString(win::RootKey::ClassesRoot, key, "").value_or("(absent)");
}

// A report window's message panel (from the window's layout) and status caption (new).
class PanelWindow : public forms::Window {
public:
    explicit PanelWindow(const com::PropertyBag* layout) : Window("FrmRelatorio"), layout_(layout) {}
    forms::HostedControl* message = nullptr;
    forms::HostedControl* status = nullptr;

protected:
    void CreateControls() override {
        message = &AddHosted(kLabelProgId, "LblMensagem", layout_, 120, 120, 2400, 360);
        status = &AddHosted(kLabelClsid, "LabelStatus", nullptr, 120, 600, 2400, 360);
    }

private:
    const com::PropertyBag* layout_;
};

// A form of the program: a caption with an access key before the field it names, then another
// field, in tab order.
class NamedFieldsWindow : public forms::Window {
public:
    NamedFieldsWindow() : Window("FrmCadastro") {}
    forms::HostedControl* caption = nullptr;
    forms::HostedControl* name = nullptr;
    forms::HostedControl* other = nullptr;

protected:
    void CreateControls() override {
        caption = &AddHosted(kLabelProgId, "LblNome", nullptr, 120, 120, 1200, 300);
        name = &AddHosted("ZMTEXT.ZMTextCtrl.1", "ZmNome", nullptr, 1440, 120, 2400, 300);
        other = &AddHosted("ZMTEXT.ZMTextCtrl.1", "ZmOutro", nullptr, 1440, 600, 2400, 300);
    }
};

class LabelHostedTest : public ::testing::Test {
protected:
    void SetUp() override {
        zmtext::testing::EngineTestApp();
        forms::InstallMessageBoxes(&boxes);
        forms::App().ResetForTests();
        before = zmtext::testing::RegistrySnapshot();
        library = win::Module::Load(path);
        ASSERT_TRUE(library) << path;
        ASSERT_EQ(Entry("DllRegisterServer")(), com::S_OK);
    }
    void TearDown() override {
        forms_.reset();
        windows.clear();
        forms::DoEvents();
        forms::App().CollectUnloaded();
        forms::InstallMessageBoxes(nullptr);
        forms::App().ResetForTests();
        com::FreeUnusedLibraries();
    }
    com::DllRegisterServerFn Entry(const char* name) const {
        return reinterpret_cast<com::DllRegisterServerFn>(library.Export(name));
    }
    PanelWindow& Shown(const com::PropertyBag* layout = nullptr) {
        windows.push_back(std::make_unique<PanelWindow>(layout));
        windows.back()->Show();
        QApplication::processEvents();
        return *windows.back();
    }
    static std::string Text(const Variant& v) {
        Variant s;
        return com::Succeeded(com::ChangeType(s, v.Deref(), com::VT_BSTR)) ? s.AsStr().ToUtf8() : "?";
    }

    win::testing::TempMachineRoot root;
    std::map<std::string, std::string> before;
    const std::string path = win::WindowsPath(ZMTEXT_OCX_PATH);
    win::Module library;
    forms::ScriptedMessageBoxes boxes;
    std::vector<std::unique_ptr<PanelWindow>> windows;
    std::unique_ptr<NamedFieldsWindow> forms_;
};

TEST_F(LabelHostedTest, TheLabelAndItsPageRegisterAndUnregisterWithoutATrace) {
    const std::string label = std::string("CLSID\\") + kLabelClsid;
    EXPECT_EQ(Value(label), "Halvern Label Control");
    EXPECT_EQ(Value(label + "\\ProgID"), kLabelProgId);
    EXPECT_EQ(Value(label + "\\InprocServer32"), path);
    EXPECT_EQ(Value(label + "\\MiscStatus\\1"), std::to_string(0x3A191));
    EXPECT_EQ(Value(std::string(kLabelProgId) + "\\CLSID"), kLabelClsid);
    EXPECT_EQ(Value(std::string("CLSID\\") + kPageClsid), "Halvern Label Property Page");
    EXPECT_EQ(Value(std::string("CLSID\\") + kPageClsid + "\\InprocServer32"), path);

    std::shared_ptr<const com::TypeLib> lib;
    ASSERT_EQ(com::LoadTypeLib(path, &lib), com::S_OK);
    ASSERT_NE(lib->Data().Find("sivbLB"), nullptr);
    ASSERT_NE(lib->Data().Find("_DZMLabel"), nullptr);
    EXPECT_EQ(lib->Data().Find("_DZMLabel")->funcs.size(), 26u);
    ASSERT_NE(lib->Data().Find("_DZMLabelEvents"), nullptr);
    lib.reset();

    ASSERT_EQ(Entry("DllUnregisterServer")(), com::S_OK);
    EXPECT_EQ(zmtext::testing::RegistrySnapshot(), before);
}

TEST_F(LabelHostedTest, AWindowCreatesSetsHearsSavesAndLoadsTheLabel) {
    PanelWindow& w = Shown();
    EXPECT_EQ(Text(w.status->Get(com::DISPID_CAPTION)), "LabelStatus");   // a new label takes its name
    EXPECT_EQ(w.message->Widget()->parentWidget(), w.Widget());

    int changes = 0;
    w.message->NameEvent("Change", 1);
    w.message->On("Change", [&](std::span<Variant>) { ++changes; });

    // The program's own uses: the default member, Caption and a BackColor given as "&H" text.
    w.message->Set(com::DISPID_VALUE, Variant::Utf8("Aguarde, imprimindo..."));
    w.message->Set("Caption", Variant::Utf8("Aguarde, imprimindo..."));
    w.message->Set(com::DISPID_BACKCOLOR, Variant::Utf8("&HC0C0FF"));
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(Text(w.message->Get("_Caption")), "Aguarde, imprimindo...");
    EXPECT_EQ(w.message->Get(com::DISPID_BACKCOLOR).AsI4(), 0xC0C0FF);

    const struct {
        const char* member;
        Variant value;
    } sets[] = {
        {"BorderEffect", Variant::I2(2)}, {"ChiselText", Variant::I2(1)},   {"LabelStyle", Variant::I2(0)},
        {"Alignment", Variant::I2(1)},    {"BackgroundStyle", Variant::I2(2)}, {"BorderStyle", Variant::I2(1)},
        {"WordWrap", Variant::Bool(true)}, {"ChiselColor", Variant::I4(0x808080)}, {"FontBold", Variant::Bool(true)},
        {"ForeColor", Variant::I4(0x800000)}, {"MousePointer", Variant::I2(11)},
    };
    for (const auto& s : sets) w.message->Set(s.member, s.value);
    EXPECT_EQ(w.message->Get(12).AsI2(), 0);   // LabelStyle by its DISPID
    w.message->Set(12, Variant::I2(1));
    EXPECT_EQ(w.message->Get("LabelStyle").AsI2(), 1);

    // The label's own errors reach the program as runtime errors.
    EXPECT_EQ(ErrorNumberOf([&] { w.message->Set("Alignment", Variant::I2(5)); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { w.message->Set("MousePointer", Variant::I2(20)); }), 481);
    EXPECT_EQ(ErrorNumberOf([&] { w.message->Set("HdnWidth", Variant::I4(1)); }), 383);
    EXPECT_EQ(changes, 2);

    // The stock mouse events of the label reach the window too.
    std::vector<std::string> mouse;
    for (const char* name : {"MouseDown", "MouseUp", "Click"})
        w.message->On(name, [&mouse, name](std::span<Variant>) { mouse.push_back(name); });
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const QPointF at(5, 5);
        QMouseEvent event(type, at, at, w.message->Widget()->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w.message->Widget(), &event);
    }
    EXPECT_EQ(mouse, (std::vector<std::string>{"MouseDown", "MouseUp", "Click"}));

    com::PropertyBag saved;
    w.message->SaveProperties(saved);
    PanelWindow& again = Shown(&saved);
    for (const char* member : {"Caption", "BorderEffect", "ChiselText", "LabelStyle", "Alignment", "BackgroundStyle",
                               "BorderStyle", "WordWrap", "ChiselColor", "FontBold", "ForeColor", "BackColor",
                               "MousePointer", "FontName", "FontSize", "Enabled"})
        EXPECT_EQ(Text(again.message->Get(member)), Text(w.message->Get(member))) << member;
    com::PropertyBag resaved;
    again.message->SaveProperties(resaved);
    EXPECT_EQ(resaved, saved);
}

TEST_F(LabelHostedTest, AltWithTheCaptionsAccessKeyFocusesTheFieldAfterTheLabel) {
    forms_ = std::make_unique<NamedFieldsWindow>();
    NamedFieldsWindow& w = *forms_;
    w.Show();
    w.Widget()->activateWindow();
    QApplication::processEvents();
    const auto focusOn = [](forms::HostedControl* c) {
        c->SetFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), c->Widget());
    };
    const auto altClick = [](Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
        QApplication::processEvents();
    };

    const struct {
        const char* caption;
        Qt::Key pressed;
        bool moves;   // the focus goes from the other field to the named one
    } rows[] = {
        {"&Nome:", Qt::Key_N, true},
        {"&Nome:", Qt::Key_O, false},
        {"No&me:", Qt::Key_M, true},
        {"No&me:", Qt::Key_N, false},   // the access key of the caption before
        {"P&&B &Código", Qt::Key_C, true},
        {"P&&B Código", Qt::Key_B, false},
        {"P&&B Código", Qt::Key_P, false},   // "&&" is a plain ampersand
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.caption) + " Alt+" + QKeySequence(row.pressed).toString().toStdString());
        w.caption->Set("Caption", Variant::Utf8(row.caption));
        focusOn(w.other);
        altClick(row.pressed);
        EXPECT_EQ(QApplication::focusWidget(), row.moves ? w.name->Widget() : w.other->Widget());
    }
}

}  // namespace

#endif  // ZMTEXT_WITH_FORMS
