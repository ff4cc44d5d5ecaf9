// What the controls' tests share: dispatch calls by name or DISPID that report the error raised,
// a value shown as a text for table comparisons, the table checks of members and refusals, and
// a fixture hosting controls of any class in a container over a top-level widget, typed into
// through Qt key events.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/com/typelib.h"
#include "platform/ctl/control_site.h"
#include "platform/win/cp1252.h"
#include "zmtext/engine/tests/control_host.h"
#include "zmtext/engine/tests/engine_test_app.h"

namespace zmtext::testing {

// The outcome of one dispatch call.
struct CallResult {
    com::HResult hr = com::S_OK;
    com::ExcepInfo excep;
};

inline CallResult PutMember(com::IDispatch* d, com::DispId id, com::Variant value) {
    CallResult r;
    com::DispParams params{{std::move(value)}};
    r.hr = d->Invoke(id, com::DISPATCH_PROPERTYPUT, params, nullptr, &r.excep, nullptr);
    return r;
}

inline com::Variant GetMember(com::IDispatch* d, com::DispId id) {
    com::Variant out;
    com::DispParams none;
    d->Invoke(id, com::DISPATCH_PROPERTYGET, none, &out, nullptr, nullptr);
    return out;
}

inline CallResult PutProperty(com::IDispatch* d, std::string_view name, com::Variant value) {
    com::DispId id = 0;
    if (const com::HResult hr = d->GetIDsOfNames(name, &id); com::Failed(hr)) return {hr, {}};
    return PutMember(d, id, std::move(value));
}

inline com::Variant GetProperty(com::IDispatch* d, std::string_view name) {
    com::DispId id = 0;
    if (com::Failed(d->GetIDsOfNames(name, &id))) return {};
    return GetMember(d, id);
}

// The value as a text for table comparisons ("True", "-1", "abc").
inline std::string Shown(const com::Variant& v) {
    if (v.BaseType() == com::VT_BOOL) return v.AsBool() ? "True" : "False";
    com::Variant s;
    if (com::Failed(com::ChangeType(s, v, com::VT_BSTR))) return "(error)";
    return s.AsStr().ToUtf8();
}

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

// Every named member of `map` at its DISPID.
inline void ExpectDispIds(const com::DispatchMap& map, std::span<const std::pair<const char*, com::DispId>> rows) {
    for (const auto& [name, id] : rows) {
        com::DispId found = 99999;
        EXPECT_EQ(map.GetIDsOfNames(name, &found), com::S_OK) << name;
        EXPECT_EQ(found, id) << name;
    }
}

// Every member of `map` at its DISPID and no other, and the events in their order.
inline void ExpectMembers(const com::DispatchMap& map, std::span<const std::pair<const char*, com::DispId>> rows,
                          const std::vector<com::FuncDesc>& listed,
                          std::span<const std::pair<const char*, com::DispId>> events) {
    EXPECT_EQ(map.Members().size(), rows.size());
    ExpectDispIds(map, rows);
    ASSERT_EQ(listed.size(), events.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].name, events[i].first);
        EXPECT_EQ(listed[i].id, events[i].second);
    }
}

// Controls of any class hosted as a window holds them (ControlHostTest), typed into with cp1252
// texts.
class FieldHostTest : public ControlHostTest {
protected:
    // A new control of class C named `name` in row `row` (its saved properties when given).
    template <class C>
    com::ComPtr<C> AddField(const std::string& name, int row = 0, const com::PropertyBag* saved = nullptr) {
        return Host(C::Create(), name, row, 200, saved);
    }
    // Types `text` into control `i` through Qt key events (cp1252 bytes).
    void Type(int i, std::string_view text) {
        for (char c : text) {
            const QChar ch(static_cast<char16_t>(win::Cp1252ToUnicode(static_cast<unsigned char>(c))));
            Press(i, ch.toUpper().unicode(), QString(ch));   // Qt names a printable key by its upper case
        }
    }
    void Key(int i, Qt::Key key) { Press(i, key); }
    using ControlHostTest::Count;
    int Count(const std::string& name, com::DispId id) const { return Count(name + ":" + std::to_string(id)); }
    static std::string Get(com::IDispatch* c, std::string_view name) { return Shown(GetProperty(c, name)); }
    static void Put(com::IDispatch* c, std::string_view name, com::Variant v) {
        const CallResult r = PutProperty(c, name, std::move(v));
        EXPECT_EQ(r.hr, com::S_OK) << name << " " << r.excep.description;
    }
    static void Put(com::IDispatch& c, std::string_view name, com::Variant v) { Put(&c, name, std::move(v)); }
    static com::Variant S(const char* utf8) { return com::Variant::Utf8(utf8); }
};

}  // namespace zmtext::testing
