// The one way a control's property setters end: the container's veto, the store, the modified
// flag, the control's own reaction and the change notice, in that order, for every stock setter
// and for a control's own properties.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/com/connection.h"
#include "platform/ctl/control.h"
#include "platform/ctl/tests/support/app.h"

namespace ctl {
namespace {

using com::Variant;

class Probe final : public Control<Probe> {
public:
    Probe() : Control(ClassOf()) {}
    static const com::DispatchMap& DispatchMembers() {
        static const com::DispatchTable<Probe> table("Probe");
        return table.Map();
    }
    static ControlClassInfo ClassOf() {
        ControlClassInfo info;
        info.eventIid = Guid::FromString("{6C7A0104-0000-4000-8000-0000000F1E1D}");
        info.stockProperties = kStockBackColor | kStockForeColor | kStockEnabled | kStockBorderStyle | kStockCaption;
        return info;
    }

    // What the control saw when it was told of a change: the notices sent so far and the flag.
    std::vector<std::string> reactions;
    std::function<std::string()> state;
    void OnBackColorChanged() override { React("BackColor"); }
    void OnForeColorChanged() override { React("ForeColor"); }
    void OnEnabledChanged() override { React("Enabled"); }
    void OnBorderStyleChanged() override { React("BorderStyle"); }
    void OnTextChanged() override { React("Caption"); }
    void React(const std::string& what) { reactions.push_back(what + (IsModified() ? " modified" : " clean") + state()); }
};

class NotifySink final : public com::Object<NotifySink, com::IPropertyNotifySink> {
public:
    bool refuse = false;
    std::vector<com::DispId> changed;
    std::vector<com::DispId> asked;
    com::HResult OnChanged(com::DispId id) override {
        changed.push_back(id);
        return com::S_OK;
    }
    com::HResult OnRequestEdit(com::DispId id) override {
        asked.push_back(id);
        return refuse ? com::S_FALSE : com::S_OK;
    }
};

struct Setter {
    const char* name;
    com::DispId id;
    std::function<void(Probe&)> set;
    std::function<bool(const Probe&)> isSet;   // the new value is in place
};

const std::vector<Setter>& Setters() {
    static const std::vector<Setter> rows{
        {"BackColor", com::DISPID_BACKCOLOR, [](Probe& p) { p.SetBackColor({0xFF}); },
         [](const Probe& p) { return p.GetBackColor().value == 0xFF; }},
        {"ForeColor", com::DISPID_FORECOLOR, [](Probe& p) { p.SetForeColor({0xFF00}); },
         [](const Probe& p) { return p.GetForeColor().value == 0xFF00; }},
        {"Enabled", com::DISPID_ENABLED, [](Probe& p) { p.SetEnabled(false); },
         [](const Probe& p) { return !p.GetEnabled(); }},
        {"BorderStyle", com::DISPID_BORDERSTYLE, [](Probe& p) { p.SetBorderStyle(1); },
         [](const Probe& p) { return p.GetBorderStyle() == 1; }},
        {"Caption", com::DISPID_CAPTION, [](Probe& p) { p.SetText("Total"); },
         [](const Probe& p) { return p.InternalGetText() == "Total"; }},
        {"own", 7,
         [](Probe& p) { p.ChangeProperty(7, [&p] { p.SetInitialSize(QSize(5, 5)); }, [&p] { p.React("own"); }); },
         [](const Probe& p) { return p.GetControlSize() == QSize(5, 5); }},
    };
    return rows;
}

class ChangePropertyTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::App();
        probe->state = [this] { return " notices " + std::to_string(sink->changed.size()); };
        ASSERT_EQ(com::AdviseSink(static_cast<com::IDispatch*>(probe.Get()), com::IPropertyNotifySink::kIid,
                                  static_cast<com::IPropertyNotifySink*>(sink.Get()), &cookie),
                  com::S_OK);
    }
    void TearDown() override {
        com::UnadviseSink(static_cast<com::IDispatch*>(probe.Get()), com::IPropertyNotifySink::kIid, cookie);
    }

    com::ComPtr<Probe> probe = Probe::Create();
    com::ComPtr<NotifySink> sink = NotifySink::Create();
    std::uint32_t cookie = 0;
};

TEST_F(ChangePropertyTest, EachSetterAsksStoresMarksReactsThenAnnounces) {
    for (const Setter& row : Setters()) {
        SCOPED_TRACE(row.name);
        probe->SetModifiedFlag(false);
        probe->reactions.clear();
        sink->changed.clear();
        sink->asked.clear();
        row.set(*probe);
        EXPECT_TRUE(row.isSet(*probe));
        EXPECT_TRUE(probe->IsModified());
        EXPECT_EQ(sink->asked, std::vector<com::DispId>{row.id});
        EXPECT_EQ(sink->changed, std::vector<com::DispId>{row.id});
        // The control reacted after the flag was set and before the container heard of it.
        EXPECT_EQ(probe->reactions, std::vector<std::string>{std::string(row.name) + " modified notices 0"});
    }
}

TEST_F(ChangePropertyTest, ARefusedEditChangesNothingAndFailsWithSetNotSupported) {
    sink->refuse = true;
    for (const Setter& row : Setters()) {
        SCOPED_TRACE(row.name);
        probe->SetModifiedFlag(false);
        probe->reactions.clear();
        sink->changed.clear();
        try {
            row.set(*probe);
            ADD_FAILURE() << "the set went through";
        } catch (const com::DispatchError& e) {
            EXPECT_EQ(e.Info().scode, com::CTL_E_SETNOTSUPPORTED);
        }
        EXPECT_FALSE(row.isSet(*probe));
        EXPECT_FALSE(probe->IsModified());
        EXPECT_TRUE(probe->reactions.empty());
        EXPECT_TRUE(sink->changed.empty());
    }
}

}  // namespace
}  // namespace ctl
