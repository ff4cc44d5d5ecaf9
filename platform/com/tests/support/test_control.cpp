// A small class library for the creation and registration tests: one control class with a
// caption, a colour and a key event, one property-page class and a type library, served through
// the four exported entry points (library_exports.cpp) the way the control library serves its
// controls.
#include "platform/com/connection.h"
#include "platform/com/tests/support/library_exports.h"

namespace {

using namespace com;

const Guid kLibId = Guid::FromString("{7E1A0001-0000-4000-8000-00000000C0DE}");
const Guid kClsid = Guid::FromString("{7E1A0002-0000-4000-8000-00000000C0DE}");
const Guid kDispIid = Guid::FromString("{7E1A0003-0000-4000-8000-00000000C0DE}");
const Guid kEventIid = Guid::FromString("{7E1A0004-0000-4000-8000-00000000C0DE}");
const Guid kPageClsid = Guid::FromString("{7E1A0005-0000-4000-8000-00000000C0DE}");
constexpr const char* kProgId = "TESTCTL.TestLabel.1";

ModuleState& Module() {
    static ModuleState state;
    return state;
}

class TestLabel final : public DispatchObject<TestLabel, IConnectionPointContainer> {
public:
    TestLabel() : DispatchObject({kDispIid}), events_(kEventIid) {}

    static const DispatchMap& DispatchMembers() {
        static const DispatchTable<TestLabel> table = [] {
            DispatchTable<TestLabel> t(kProgId);
            t.Property("Caption", &TestLabel::Caption, &TestLabel::SetCaption, DISPID_CAPTION)
                .Property("_Caption", &TestLabel::Caption, &TestLabel::SetCaption, DISPID_VALUE)
                .Property("BackColor", &TestLabel::BackColor, &TestLabel::SetBackColor, DISPID_BACKCOLOR)
                .Method("PressKey", VT_I2, {VT_I2}, [](TestLabel& self, DispatchTable<TestLabel>::Args a) {
                    std::int16_t key = a[0].AsI2();
                    self.events_.FireEvent(DISPID_KEYUP, {Variant::RefI2(&key), Variant::I2(0)});
                    return Variant::I2(key);
                });
            return t;
        }();
        return table.Map();
    }

    HResult FindConnectionPoint(const Guid& iid, IConnectionPoint** out) override {
        return events_.FindConnectionPoint(iid, out);
    }

private:
    std::string Caption() const { return caption_; }
    void SetCaption(std::string c) {
        caption_ = std::move(c);
        events_.BoundPropertyChanged(DISPID_CAPTION);
    }
    std::int32_t BackColor() const { return backColor_; }
    void SetBackColor(std::int32_t c) { backColor_ = c; }

    ModuleObjectRef moduleRef_{Module()};
    EventSource events_;
    std::string caption_;
    std::int32_t backColor_ = static_cast<std::int32_t>(0x80000005u);
};

const ClassTable& Classes() {
    static const ClassTable table = [] {
        ClassTable t(Module());
        t.Add(kClsid, CreatorOf<TestLabel>());
        return t;
    }();
    return table;
}

TypeLibraryData MakeTypeLibrary() {
    TypeLibraryData lib;
    lib.guid = kLibId;
    lib.major = 4;
    lib.minor = 1;
    lib.name = "TestLib";
    lib.helpString = "Test Control Library";
    lib.helpFile = "TEST.HLP";
    lib.types.push_back(MakeEnum("enumJU", {{"_ZM_JU_LEFT", 0, "Left"}, {"_ZM_JU_CENTER", 1, "Center"}, {"_ZM_JU_RIGHT", 2, "Right"}}, true));
    lib.types.push_back(MakeEnum("JustificationC", {{"ZM_JLEFT", 0, ""}, {"ZM_JCENTER", 1, ""}, {"ZM_JRIGHT", 2, ""}}));
    TypeInfoData disp{TypeKind::Dispatch, "_DTestLabel", kDispIid, "Dispatch interface", false, {}, {}, {}, {}};
    for (const auto& m : TestLabel::DispatchMembers().Members())
        disp.funcs.push_back({m.name, m.id, !m.isMethod, {}});
    lib.types.push_back(disp);
    lib.types.push_back({TypeKind::Dispatch, "_DTestLabelEvents", kEventIid, "Event interface", false, {}, {{"KeyUp", DISPID_KEYUP, false, {}}}, {}, {}});
    lib.types.push_back({TypeKind::Coclass, "TestLabel", kClsid, "Test label", false, {}, {}, kDispIid, kEventIid});
    return lib;
}

}  // namespace

const com::testlib::TestLibrary& com::testlib::TestLibraryDescription() {
    static const TestLibrary library{
        Classes, MakeTypeLibrary, {kClsid, kProgId, "Test Label Control", 7, 0x3A191, kLibId, 4, 1},
        PropertyPageRegistration{kPageClsid, "Test Property Page"}};
    return library;
}
