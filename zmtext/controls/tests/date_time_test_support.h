// The date and time fields' tests: the text field's container fixture with fields of any class,
// and the refusal table check both fields share.
#pragma once

#include <algorithm>
#include <span>

#include "zmtext/controls/tests/text_test_support.h"

namespace zmtext::testing {

class FieldTest : public TextControlTest {
protected:
    template <class T>
    com::ComPtr<T> AddField(const std::string& name, int row = 0, const com::PropertyBag* saved = nullptr) {
        auto control = T::Create();
        ctl::ControlSite* site = nullptr;
        EXPECT_EQ(container_->AddControl(com::ComPtr<ctl::IControl>(control), name,
                                         {10, 10 + 30 * row, 210, 34 + 30 * row}, saved, &site),
                  com::S_OK);
        sites_.push_back(site);
        return control;
    }
    static void Put(com::IDispatch& c, std::string_view name, com::Variant v) {
        const CallResult r = PutProperty(&c, name, std::move(v));
        EXPECT_EQ(r.hr, com::S_OK) << name << " " << r.excep.description;
    }
    int Count(const std::string& event) const {
        return static_cast<int>(std::count(events_.begin(), events_.end(), event));
    }
};

struct RefusalRow {
    const char* property;
    com::Variant bad;
    const char* text;
    std::int32_t context;
};

// Each row's value is refused with error 380, its text and help context, and changes nothing.
inline void ExpectRefusals(com::IDispatch* d, std::span<const RefusalRow> rows) {
    for (const RefusalRow& row : rows) {
        const std::string before = Shown(GetProperty(d, row.property));
        const CallResult r = PutProperty(d, row.property, row.bad);
        EXPECT_EQ(r.hr, com::DISP_E_EXCEPTION) << row.property;
        EXPECT_EQ(r.excep.scode, com::CTL_E_INVALIDPROPERTYVALUE) << row.property;
        EXPECT_EQ(r.excep.description, row.text) << row.property << " " << Shown(row.bad);
        EXPECT_EQ(r.excep.helpContext, static_cast<std::uint32_t>(row.context)) << row.property;
        EXPECT_EQ(Shown(GetProperty(d, row.property)), before) << row.property << " kept its value";
    }
}

// Every member of `map` at its DISPID, and the events in their order.
inline void ExpectMembers(const com::DispatchMap& map, std::span<const std::pair<const char*, com::DispId>> rows,
                          const std::vector<com::FuncDesc>& listed,
                          std::span<const std::pair<const char*, com::DispId>> events) {
    EXPECT_EQ(map.Members().size(), rows.size());
    for (const auto& [name, id] : rows) {
        com::DispId found = 99999;
        EXPECT_EQ(map.GetIDsOfNames(name, &found), com::S_OK) << name;
        EXPECT_EQ(found, id) << name;
    }
    ASSERT_EQ(listed.size(), events.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].name, events[i].first);
        EXPECT_EQ(listed[i].id, events[i].second);
    }
}

}  // namespace zmtext::testing
