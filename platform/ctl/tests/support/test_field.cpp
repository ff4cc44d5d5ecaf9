// A small control built on the control bases, served from its own library the way the control
// library serves its controls: a one-line field that takes typed characters, draws its text in
// a border, raises errors with string ids, and records the messages it receives so that tests
// can check their order. Its exported entry points are library_exports.cpp's.
#include <QPainter>

#include "platform/com/tests/support/library_exports.h"
#include "platform/ctl/control.h"
#include "platform/ctl/cursors.h"
#include "platform/ctl/draw.h"
#include "platform/ctl/tests/support/test_field.h"
#include "platform/win/beep.h"

namespace {

using namespace com;
using ctl::testlib::kFieldClsid;

const Guid kLibId = Guid::FromString("{6C7A0001-0000-4000-8000-0000000F1E1D}");
const Guid kDispIid = Guid::FromString("{6C7A0003-0000-4000-8000-0000000F1E1D}");
const Guid kEventIid = Guid::FromString("{6C7A0004-0000-4000-8000-0000000F1E1D}");

ModuleState& Module() {
    static ModuleState state;
    return state;
}

const ctl::ResourceTable& Strings() {
    static const ctl::ResourceTable table = [] {
        ctl::ResourceTable t;
        t.AddStrings({{1, "Test Field Control"},
                      {101, "Limit must be between 0 and 255"},
                      {185, "The MouseIcon property must be an Icon (not a bitmap or metafile)"},
                      {186, "The MousePointer property must be a number from 0 to 13"}});
        t.AddMenu(221, {{"&Undo", 57643, true}, ctl::MenuItem::Separator(), {"&Copy", 57634, true}});
        t.AddCursor("IDC_NODROP", [] { return ctl::NoDropCursor(); });
        return t;
    }();
    return table;
}

ctl::ControlClassInfo FieldClass() {
    ctl::ControlClassInfo info;
    info.clsid = kFieldClsid;
    info.dispIid = kDispIid;
    info.eventIid = kEventIid;
    info.stockProperties = ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled | ctl::kStockHwnd |
                           ctl::kStockFont | ctl::kStockBorderStyle | ctl::kStockText | ctl::kStockAboutBox;
    info.stockEvents = ctl::kAllStockEvents;
    info.miscStatus = 0x20191;
    info.resources = &Strings();
    info.helpFile = "C:\\HELP\\TESTFLD.HLP";
    return info;
}

class TestField final : public ctl::Control<TestField> {
public:
    TestField() : Control(FieldClass()) { SetInitialSize(QSize(120, 24)); }
    static const DispatchMap& DispatchMembers();

    // --- Own properties ---
    std::int16_t Limit() const { return limit_; }
    void SetLimit(std::int16_t v) {
        if (v < 0 || v > 255) ThrowError(CTL_E_INVALIDPROPERTYVALUE, 101, 4001);
        limit_ = v;
        SetModifiedFlag();
        BoundPropertyChanged(1);
    }
    std::int16_t MousePointer() const { return pointer_; }
    void SetMousePointer(std::int16_t v) {
        if (v < 0 || v > 13) ThrowError(CTL_E_INVALIDPICTURE, 186);
        pointer_ = v;
        SetModifiedFlag();
    }
    Variant MouseIcon() const {
        return Variant::Dispatch(ComPtr<IDispatch>(ctl::PictureObject::Create(icon_).Get()));
    }
    void SetMouseIcon(const Variant& v) {
        const auto data = ctl::PictureDataOf(v.AsDispatch());
        if (!data) ThrowError(CTL_E_INVALIDPROPERTYVALUE, 185);
        if (data->type != PictureType::None && data->type != PictureType::Icon) ThrowError(CTL_E_INVALIDPICTURE, 185);
        icon_ = *data;
        SetModifiedFlag();
    }
    std::string Messages() const {
        std::string all;
        for (const auto& m : log_) all += m + ";";
        return all;
    }
    void ClearMessages() { log_.clear(); }

    // --- Persistence ---
    void DoPropExchange(PropExchange& px) override {
        px.ExchangeVersion(0x00040001);
        ControlBase::DoPropExchange(px);
        PX_Short(px, "Limit", limit_, std::int16_t{10});
        PX_Short(px, "MousePointer", pointer_, std::int16_t{3});
        PX_Picture(px, "MouseIcon", icon_, PictureData{});
    }
    void OnResetState() override {
        ControlBase::OnResetState();
        SetText(AmbientDisplayName());
    }

    // --- Drawing ---
    void OnDraw(QPainter& p, const ctl::Rect& bounds, const ctl::Rect& invalid) override {
        ctl::FillRect(p, invalid, TranslateColor(GetBackColor()));
        const int inset = ctl::EditBorderWidth(0, GetBorderStyle());
        const ctl::Rect inner = bounds.Deflated(inset);
        ctl::TextOutStyle style;
        style.color = GetEnabled() ? TranslateColor(GetForeColor()) : ctl::GetSysColor(ctl::COLOR_GRAYTEXT);
        style.clip = &inner;
        ctl::TextOut(p, bounds.left + 2, bounds.top + 2, InternalGetText(), style);
        ctl::PaintEditBorder(p, bounds, invalid, 0, GetBorderStyle());
    }

    // --- Messages: record, then the base's handling (stock events) ---
    void OnKeyDown(int key, int shift) override {
        Log("KeyDown " + std::to_string(key));
        ControlBase::OnKeyDown(key, shift);
    }
    void OnSysKeyDown(int key, int shift) override {
        Log("SysKeyDown " + std::to_string(key));
        ControlBase::OnSysKeyDown(key, shift);
    }
    void OnChar(unsigned char ch) override {
        Log("Char " + std::to_string(ch));
        auto code = static_cast<std::int16_t>(ch);
        FireKeyPress(code);
        if (code <= 0 || code > 255 || code < 32) return;
        if (static_cast<int>(InternalGetText().size()) >= limit_) {
            win::Beep();
            return;
        }
        SetText(InternalGetText() + static_cast<char>(code));
        FireEvent(1);   // Change
    }
    void OnSetFocus() override {
        Log("SetFocus");
        CreateCaret(2, 14);
        SetCaretPos(2, 2);
        ShowCaret();
        ControlBase::OnSetFocus();
    }
    void OnKillFocus(QWidget* gaining, bool same) override {
        Log(std::string("KillFocus ") + (gaining ? gaining->objectName().toStdString() : "-") +
            (same ? " same" : " other"));
        DestroyCaret();
        if (same) FireEvent(3, {Variant::I4(ctl::HandleOfWidget(gaining))});   // Invalid
        ControlBase::OnKillFocus(gaining, same);
    }
    void OnButtonDown(int b, int flags, QPoint p) override {
        Log("Down " + std::to_string(b));
        ControlBase::OnButtonDown(b, flags, p);
    }
    void OnButtonUp(int b, int flags, QPoint p) override {
        Log("Up " + std::to_string(b));
        ControlBase::OnButtonUp(b, flags, p);
    }
    void OnButtonDblClk(int b, int flags, QPoint p) override {
        Log("DblClk " + std::to_string(b));
        ControlBase::OnButtonDblClk(b, flags, p);
    }
    void OnContextMenu(QPoint) override {
        const auto* menu = Resources().Menu(221);
        const int command = menu ? TrackPopupMenu(*menu, QPoint(1, 1)) : 0;
        FireEvent(2, {Variant::I4(command)});   // MenuCommand
    }
    void OnSetCursor() override {
        const auto icon = ctl::CursorOfPicture(icon_);
        SetCursorShape(ctl::CursorForPointer(pointer_, icon ? &*icon : nullptr));
    }
    void OnTimer(int id) override { FireEvent(4, {Variant::I4(id)}); }   // TimerFired

private:
    void Log(std::string m) { log_.push_back(std::move(m)); }

    ModuleObjectRef moduleRef_{Module()};
    std::int16_t limit_ = 10;
    std::int16_t pointer_ = 3;
    PictureData icon_;
    std::vector<std::string> log_;
};

const DispatchMap& TestField::DispatchMembers() {
    static const DispatchTable<TestField> table = [] {
        DispatchTable<TestField> t("TESTFLD.TestField.1");
        t.Property("Limit", &TestField::Limit, &TestField::SetLimit)
            .Property("MousePointer", &TestField::MousePointer, &TestField::SetMousePointer)
            .ReadOnly("Messages", &TestField::Messages)
            .Property("MouseIcon", VT_DISPATCH, {}, [](TestField& f, DispatchTable<TestField>::Args) { return f.MouseIcon(); },
                      [](TestField& f, DispatchTable<TestField>::Args, const Variant& v) { f.SetMouseIcon(v); })
            .Method("ClearMessages", VT_EMPTY, {}, [](TestField& f, DispatchTable<TestField>::Args) {
                f.ClearMessages();
                return Variant();
            })
            .Method("StartTimer", VT_BOOL, {VT_I4, VT_I4}, [](TestField& f, DispatchTable<TestField>::Args a) {
                return Variant::Bool(f.SetTimer(a[0].AsI4(), a[1].AsI4()));
            });
        ctl::AddStockMembers(t, FieldClass().stockProperties);
        return t;
    }();
    return table.Map();
}

const ClassTable& Classes() {
    static const ClassTable table = [] {
        ClassTable t(Module());
        t.Add(kFieldClsid, CreatorOf<TestField>());
        return t;
    }();
    return table;
}

TypeLibraryData MakeTypeLibrary() {
    TypeLibraryData lib;
    lib.guid = kLibId;
    lib.major = 4;
    lib.minor = 1;
    lib.name = "TestFieldLib";
    // The events a host binds by name.
    using namespace ctl::testlib;
    const std::vector<com::FuncDesc> events = {{"Change", kEventChange, false, {}},
                                               {"MenuCommand", kEventMenuCommand, false, {}},
                                               {"Invalid", kEventInvalid, false, {}},
                                               {"Timer", kEventTimer, false, {}}};
    lib.types.push_back({TypeKind::Dispatch, "_DTestFieldEvents", kEventIid, {}, false, {}, events, {}, {}});
    lib.types.push_back({TypeKind::Coclass, "TestField", kFieldClsid, "Test field", false, {}, {}, kDispIid, kEventIid});
    return lib;
}

}  // namespace

const com::testlib::TestLibrary& com::testlib::TestLibraryDescription() {
    static const TestLibrary library{
        Classes, MakeTypeLibrary,
        {kFieldClsid, ctl::testlib::kFieldProgId, "Test Field Control", 1, 0x20191, kLibId, 4, 1}, std::nullopt};
    return library;
}
