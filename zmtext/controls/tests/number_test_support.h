// The number fields' tests: fields of any numeric kind hosted by the shared fixture, and the
// stock members every number field lists.
#pragma once

#include "zmtext/controls/tests/field_test_support.h"

namespace zmtext::testing {

class NumberControlTest : public FieldHostTest {
protected:
    template <class C>
    com::ComPtr<C> Add(const std::string& name, int row = 0, const com::PropertyBag* saved = nullptr) {
        return AddField<C>(name, row, saved);
    }
    using ErrorRow = RefusalRow;
    static void ExpectRefused(com::IDispatch* c, const std::vector<ErrorRow>& rows) { ExpectRefusals(c, rows); }
};

// The stock members every number field lists after its own.
inline const std::vector<std::pair<const char*, com::DispId>>& NumberStockIds() {
    static const std::vector<std::pair<const char*, com::DispId>> rows = {
        {"Text", -517}, {"_Text", 0}, {"BorderStyle", -504}, {"BackColor", -501}, {"ForeColor", -513},
        {"Enabled", -514}, {"hWnd", -515}, {"Font", -512}, {"AboutBox", -552}};
    return rows;
}

}  // namespace zmtext::testing
