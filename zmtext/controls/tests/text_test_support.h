// The text field's tests: text fields hosted by the shared fixture, whose Invalid event records
// the window handle it carries.
#pragma once

#include "zmtext/controls/tests/field_test_support.h"
#include "zmtext/controls/text_ctrl.h"

namespace zmtext::testing {

class TextControlTest : public FieldHostTest {
protected:
    std::string EventText(ctl::ControlSite& s, com::DispId id, std::span<com::Variant> args) const override {
        std::string e = FieldHostTest::EventText(s, id, args);
        if (id == kTextInvalid && !args.empty()) e += "(" + Shown(args[0]) + ")";
        return e;
    }

    // A new text field named `name` in row `row` (its saved properties when `saved` is given).
    com::ComPtr<CZMTextCtrl> Add(const std::string& name, int row = 0, const com::PropertyBag* saved = nullptr) {
        return AddField<CZMTextCtrl>(name, row, saved);
    }
    static std::string Text(CZMTextCtrl& c) { return Shown(GetProperty(&c, "Text")); }
    static std::string Raw(CZMTextCtrl& c) { return Shown(GetProperty(&c, "RawData")); }
};

}  // namespace zmtext::testing
