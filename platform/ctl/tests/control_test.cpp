#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPicture>
#include <QTest>

#include "platform/com/factory.h"
#include "platform/com/propexchange.h"
#include "platform/ctl/control_site.h"
#include "platform/ctl/control_window.h"
#include "platform/ctl/services.h"
#include "platform/ctl/tests/support/app.h"
#include "platform/ctl/tests/support/field_library.h"
#include "platform/ctl/tests/support/test_field.h"
#include "platform/win/beep.h"
#include "platform/win/error.h"

namespace ctl {
namespace {

using com::Variant;
using Log = std::vector<std::string>;

std::string Render(const Variant& v) {
    const Variant d = v.Deref();
    Variant text;
    if (com::Failed(com::ChangeType(text, d, com::VT_BSTR))) return "?";
    return text.AsStr().ToUtf8();
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.Registered());

        top.resize(300, 120);
        next = std::make_unique<QLineEdit>(&top);
        next->setObjectName("next");
        next->setGeometry(10, 60, 100, 24);
        container = std::make_unique<ControlContainer>(&top);
        container->SetEventHandler([this](ControlSite& s, com::DispId id, std::span<Variant> args) {
            std::string line = s.Name() + " " + std::to_string(id);
            for (const Variant& a : args) line += " " + Render(a);
            events.push_back(line);
            if (id == com::DISPID_KEYPRESS && onKeyPress) onKeyPress(args[0]);
        });
        container->SetChangeHandler([this](ControlSite&, com::DispId id) { changes.push_back(id); });
        container->SetFocusHandler([this](ControlSite& s, bool got) {
            events.push_back(s.Name() + (got ? " GotFocus" : " LostFocus"));
        });
        ASSERT_EQ(container->CreateControl(testlib::kFieldProgId, "Field1", {10, 10, 130, 34}, nullptr, &site),
                  com::S_OK);
        top.show();
        top.activateWindow();
        ASSERT_TRUE(site->SetFocus());
        QApplication::processEvents();
        Call("ClearMessages");
        events.clear();
        changes.clear();
    }
    void TearDown() override { container.reset(); }

    com::IDispatch* Obj() const { return site->Dispatch(); }
    Variant Get(const char* name) const { return com::GetProperty(Obj(), com::IdOfName(Obj(), name)); }
    void Put(const char* name, Variant v) { com::PutProperty(Obj(), com::IdOfName(Obj(), name), std::move(v)); }
    Variant Call(const char* name, std::vector<Variant> args = {}) {
        return com::CallMethod(Obj(), com::IdOfName(Obj(), name), std::move(args));
    }
    std::string Text() const { return Get("Text").AsStr().ToUtf8(); }
    QWidget* Widget() const { return site->Widget(); }

    void Key(int qtKey, Qt::KeyboardModifiers mods, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
        QApplication::sendEvent(Widget(), &press);
    }
    void Commit(const char* utf8) {
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8(utf8));
        QApplication::sendEvent(Widget(), &commit);
    }
    void Mouse(QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held, QPoint at) {
        QMouseEvent ev(type, QPointF(at), QPointF(at), Widget()->mapToGlobal(QPointF(at)), b, held, Qt::NoModifier);
        QApplication::sendEvent(Widget(), &ev);
    }

    QApplication& app = testing::App();
    testing::RegisteredFieldLibrary library;
    QWidget top;
    std::unique_ptr<QLineEdit> next;
    std::unique_ptr<ControlContainer> container;
    ControlSite* site = nullptr;
    Log events;
    std::vector<com::DispId> changes;
    std::function<void(const Variant&)> onKeyPress;
};

TEST_F(ControlTest, CreatedByClassIdWithAmbientsBeforeItsWindow) {
    EXPECT_EQ(Text(), "Field1");   // the reset takes the ambient display name
    EXPECT_EQ(static_cast<std::uint32_t>(Get("BackColor").AsI4()), container->GetAmbients().backColor);
    EXPECT_EQ(static_cast<std::uint32_t>(Get("ForeColor").AsI4()), container->GetAmbients().foreColor);
    const Variant font = Get("Font");
    ASSERT_EQ(font.Type(), com::VT_DISPATCH);
    EXPECT_EQ(com::GetProperty(font.AsDispatch(), 0).AsStr().ToUtf8(), "MS Sans Serif");
    EXPECT_EQ(Get("hWnd").AsI4(), HandleOfWidget(Widget()));
    EXPECT_EQ(Widget()->geometry(), QRect(10, 10, 120, 24));
    EXPECT_EQ(site->Control()->IsDirty(), com::S_FALSE);

    // By class id text too; an unknown class leaves nothing behind.
    ControlSite* second = nullptr;
    EXPECT_EQ(container->CreateControl(testlib::kFieldClsid.ToString(), "Field2", {10, 40, 60, 60}, nullptr, &second),
              com::S_OK);
    EXPECT_EQ(container->CreateControl("{6C7A0002-0000-4000-8000-00000000DEAD}", "Nope", {}, nullptr, nullptr),
              com::REGDB_E_CLASSNOTREG);
    EXPECT_EQ(container->Count(), 2u);
}

TEST_F(ControlTest, KeysReachTheControlInOrderAndFireStockEvents) {
    win::CountingBeepSink beeps;
    win::InstallBeepSink(&beeps);
    Key(Qt::Key_A, Qt::NoModifier, "a");
    Commit("á");   // a dead key and a letter on a Brazilian keyboard
    Key(Qt::Key_Backspace, Qt::NoModifier, "\b");
    Key(Qt::Key_F, Qt::AltModifier, "f");
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::ShiftModifier, "A");
    QApplication::sendEvent(Widget(), &release);
    win::InstallBeepSink(nullptr);

    EXPECT_EQ(Get("Messages").AsStr().ToUtf8(), "KeyDown 65;Char 97;Char 225;KeyDown 8;Char 8;SysKeyDown 70;");
    EXPECT_EQ(events, (Log{"Field1 -602 65 0", "Field1 -603 97", "Field1 1", "Field1 -603 225", "Field1 1",
                           "Field1 -602 8 0", "Field1 -603 8", "Field1 -602 70 4", "Field1 -604 65 1"}));
    EXPECT_EQ(Text(), "Field1aá");
    EXPECT_EQ(beeps.count, 0);
}

TEST_F(ControlTest, HostHandlerChangesTheCharacterByReference) {
    struct Row { const char* typed; int replaceWith; const char* text; int changes; };
    const Row rows[] = {{"x", 'X', "Field1X", 1}, {"y", 0, "Field1", 0}, {"z", -1, "Field1z", 1}};
    for (const Row& r : rows) {
        Put("Text", Variant::Utf8("Field1"));
        events.clear();
        onKeyPress = [&](const Variant& arg) {
            if (r.replaceWith >= 0) {
                EXPECT_EQ(arg.AssignThroughRef(Variant::I2(static_cast<std::int16_t>(r.replaceWith))), com::S_OK);
            }
        };
        Key(Qt::Key_unknown, Qt::NoModifier, r.typed);
        EXPECT_EQ(Text(), r.text) << r.typed;
        EXPECT_EQ(std::count(events.begin(), events.end(), "Field1 1"), r.changes) << r.typed;
    }
}

TEST_F(ControlTest, FocusLeavingNamesTheWidgetThatGainsIt) {
    next->setFocus();
    QApplication::processEvents();
    site->SetFocus();
    QApplication::processEvents();
    EXPECT_EQ(Get("Messages").AsStr().ToUtf8(), "KillFocus next same;SetFocus;");
    EXPECT_EQ(events, (Log{"Field1 3 " + std::to_string(HandleOfWidget(next.get())), "Field1 LostFocus",
                           "Field1 GotFocus"}));
}

TEST_F(ControlTest, MouseGivesStockEventsInThePlatformsOrder) {
    ScriptedMenu menu;
    ScopedMenu useMenu(&menu);
    menu.pick = 57634;
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {5, 6});
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {5, 6});
    Mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, {5, 6});
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {5, 6});
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, {5, 6});
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, {500, 6});   // released outside
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, {7, 8});
    Mouse(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, {7, 8});
    EXPECT_EQ(events, (Log{
        "Field1 -605 1 0 5 6", "Field1 -607 1 0 5 6", "Field1 -600",
        "Field1 -601", "Field1 -607 1 0 5 6",                        // no Click after a double click
        "Field1 -605 1 0 5 6", "Field1 -607 1 0 500 6",              // no Click outside
        "Field1 -605 2 0 7 8", "Field1 -607 2 0 7 8", "Field1 -600", "Field1 2 57634",
    }));
    EXPECT_EQ(menu.shown.size(), 3u);
    EXPECT_EQ(menu.shownAt, Widget()->mapToGlobal(QPoint(1, 1)));
}

TEST_F(ControlTest, ErrorsCarryTheirStringAndHelpContext) {
    struct Row { const char* property; Variant value; std::uint32_t scode; const char* text; std::uint32_t context; };
    const Row rows[] = {
        {"Limit", Variant::I2(300), 0x800A017C, "Limit must be between 0 and 255", 4001},
        {"Limit", Variant::I2(-1), 0x800A017C, "Limit must be between 0 and 255", 4001},
        {"MousePointer", Variant::I2(14), 0x800A01E1, "The MousePointer property must be a number from 0 to 13", 0},
        {"BorderStyle", Variant::I2(2), 0x800A017C, "Invalid property value", 0},
        {"hWnd", Variant::I4(5), 0x800A017F, "Property is read-only", 0},
    };
    for (const Row& r : rows) {
        com::DispId id = 0;
        ASSERT_EQ(Obj()->GetIDsOfNames(r.property, &id), com::S_OK);
        com::DispParams params{{r.value}};
        com::ExcepInfo info;
        EXPECT_EQ(Obj()->Invoke(id, com::DISPATCH_PROPERTYPUT, params, nullptr, &info, nullptr), com::DISP_E_EXCEPTION);
        EXPECT_EQ(static_cast<std::uint32_t>(info.scode), r.scode) << r.property;
        if (r.context) {
            EXPECT_EQ(info.description, r.text);
            EXPECT_EQ(info.helpFile, "C:\\HELP\\TESTFLD.HLP");
        } else if (std::string(r.property) == "MousePointer") {
            EXPECT_EQ(info.description, r.text);
        }
        EXPECT_EQ(info.helpContext, r.context) << r.property;
    }
    // The program's side sees the runtime error with the control's text.
    try {
        Put("Limit", Variant::I2(999));
        ADD_FAILURE() << "no error";
    } catch (const win::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 380);
        EXPECT_EQ(e.Description(), "Limit must be between 0 and 255");
    }
    EXPECT_EQ(Get("Limit").AsI2(), 10);   // unchanged
}

QImage RenderPicture(const QPicture& picture, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.drawPicture(0, 0, picture);
    return image;
}

TEST_F(ControlTest, PaintsTheSameInItsWindowAndIntoAPicture) {
    next->setFocus();   // no caret in the picture of the window
    QApplication::processEvents();
    Put("Text", Variant::Utf8("Olá, ação"));
    Put("BorderStyle", Variant::I2(1));
    Put("BackColor", Variant::I4(0x00C0C0FF));
    const QSize size = Widget()->size();
    const QImage window = Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QPicture picture;
    {
        QPainter p(&picture);
        ASSERT_EQ(site->Control()->Draw(&p, {0, 0, size.width(), size.height()}), com::S_OK);
    }
    const QImage drawn = RenderPicture(picture, size);
    ASSERT_EQ(window.size(), drawn.size());
    int differing = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) differing += window.pixel(x, y) != drawn.pixel(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(QColor(window.pixel(0, 0)), QColor(0, 0, 0));           // the border
    EXPECT_EQ(QColor(window.pixel(size.width() - 3, 12)), QColor(255, 192, 192));   // "&HC0C0FF"
}

TEST_F(ControlTest, PropertiesRoundTripThroughAStreamAndABag) {
    Put("Limit", Variant::I2(42));
    Put("BackColor", Variant::I4(0x00C0C0FF));
    Put("Text", Variant::Utf8("Ação"));
    Put("BorderStyle", Variant::I2(1));
    Put("MousePointer", Variant::I2(12));
    Put("Enabled", Variant::Bool(false));
    com::IDispatch* font = Get("Font").AsDispatch();
    com::PutProperty(font, 3, Variant::Bool(true));
    com::PutProperty(font, 2, Variant::Cy(com::Currency{97500}));
    EXPECT_EQ(site->Control()->IsDirty(), com::S_OK);

    com::PropertyBag bag;
    ASSERT_EQ(container->SaveControl(*site, &bag), com::S_OK);
    EXPECT_EQ(site->Control()->IsDirty(), com::S_FALSE);
    EXPECT_EQ(bag.version, 0x00040001u);
    Variant limit;
    ASSERT_EQ(bag.ReadVariant("limit", &limit), com::S_OK);
    EXPECT_EQ(limit.AsI2(), 42);

    const std::vector<std::uint8_t> stream = com::SaveToStream(bag);
    com::PropertyBag loaded;
    ASSERT_EQ(com::LoadFromStream(stream, &loaded), com::S_OK);
    ControlSite* copy = nullptr;
    ASSERT_EQ(container->CreateControl(testlib::kFieldProgId, "Copy", {10, 40, 130, 64}, &loaded, &copy), com::S_OK);
    com::IDispatch* c = copy->Dispatch();
    for (const char* name : {"Limit", "BackColor", "Text", "BorderStyle", "MousePointer", "Enabled"})
        EXPECT_EQ(com::GetProperty(c, com::IdOfName(c, name)), Get(name)) << name;
    com::IDispatch* copyFont = com::GetProperty(c, com::DISPID_FONT).AsDispatch();
    EXPECT_TRUE(com::GetProperty(copyFont, 3).AsBool());
    EXPECT_EQ(com::GetProperty(copyFont, 2).AsCy().scaled, 97500);
    EXPECT_FALSE(copy->Widget()->isEnabled());
    EXPECT_EQ(copy->Control()->IsDirty(), com::S_FALSE);
    EXPECT_EQ(com::GetProperty(c, com::IdOfName(c, "Text")).AsStr().ToUtf8(), "Ação");   // not the display name
}

TEST_F(ControlTest, ChangesAreNotifiedToTheHost) {
    Put("Limit", Variant::I2(20));
    Put("BackColor", Variant::I4(255));
    Put("Text", Variant::Utf8("t"));
    com::PutProperty(Get("Font").AsDispatch(), 4, Variant::Bool(true));
    EXPECT_EQ(changes, (std::vector<com::DispId>{1, com::DISPID_BACKCOLOR, com::DISPID_TEXT, com::DISPID_FONT}));
}

TEST_F(ControlTest, ExtenderKeepsTabOrderAndSetsTheFocus) {
    ControlSite* second = nullptr;
    ASSERT_EQ(container->CreateControl(testlib::kFieldProgId, "Field2", {10, 40, 130, 64}, nullptr, &second), com::S_OK);
    const auto tabIndex = [](ControlSite* s) { return com::GetProperty(s->Extender().Get(), com::IdOfName(s->Extender().Get(), "TabIndex")).AsI2(); };
    EXPECT_EQ(tabIndex(site), 0);
    EXPECT_EQ(tabIndex(second), 1);
    com::IDispatch* ext = second->Extender().Get();
    com::PutProperty(ext, com::IdOfName(ext, "TabIndex"), Variant::I2(0));
    EXPECT_EQ(tabIndex(second), 0);
    EXPECT_EQ(tabIndex(site), 1);

    com::CallMethod(ext, com::IdOfName(ext, "SetFocus"));
    QApplication::processEvents();
    EXPECT_TRUE(second->Widget()->hasFocus());

    com::PutProperty(second->Dispatch(), com::DISPID_ENABLED, Variant::Bool(false));
    com::DispId setFocus = 0;
    ext->GetIDsOfNames("setfocus", &setFocus);
    com::DispParams none;
    com::ExcepInfo info;
    EXPECT_EQ(ext->Invoke(setFocus, com::DISPATCH_METHOD, none, nullptr, &info, nullptr), com::DISP_E_EXCEPTION);
    EXPECT_EQ(info.scode, com::CTL_E_ILLEGALFUNCTIONCALL);

    ComPtr<IControlContainer> objects;
    ASSERT_EQ(site->Site()->GetContainer(objects.Put()), com::S_OK);
    std::vector<ComPtr<com::IUnknown>> all;
    objects->EnumObjects(&all);
    EXPECT_EQ(all.size(), 2u);
}

TEST_F(ControlTest, TimersAndCursorsByNumber) {
    Call("StartTimer", {Variant::I4(1), Variant::I4(10)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !events.empty(); }, 5000));
    QTest::qWait(30);   // a short settle, in which a second firing would show
    EXPECT_EQ(events, (Log{"Field1 4 1"}));

    struct Row { int pointer; Qt::CursorShape shape; bool set; };
    const Row rows[] = {{2, Qt::CrossCursor, true}, {12, Qt::BitmapCursor, true}, {11, Qt::WaitCursor, true},
                        {0, Qt::ArrowCursor, false}};
    for (const Row& r : rows) {
        Put("MousePointer", Variant::I2(static_cast<std::int16_t>(r.pointer)));
        Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, {3, 3});
        EXPECT_EQ(Widget()->testAttribute(Qt::WA_SetCursor), r.set) << r.pointer;
        if (r.set) {
            EXPECT_EQ(Widget()->cursor().shape(), r.shape) << r.pointer;
        }
    }
}

TEST_F(ControlTest, ParentWidgetMayGoFirst) {
    auto parent = std::make_unique<QWidget>();
    ControlContainer other(parent.get());
    ControlSite* s = nullptr;
    ASSERT_EQ(other.CreateControl(testlib::kFieldProgId, "Orphan", {0, 0, 50, 20}, nullptr, &s), com::S_OK);
    ComPtr<IControl> keep(s->Control());
    parent.reset();   // deletes the control's window under it
    EXPECT_EQ(keep->ControlWindowWidget(), nullptr);
    EXPECT_EQ(com::GetProperty(s->Dispatch(), com::DISPID_HWND).AsI4(), 0);
}

}  // namespace
}  // namespace ctl
