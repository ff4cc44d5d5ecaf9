// The engine tests' control: the minimal masked field on the shared edit-control template, with a
// window, a dispatch table and events, as the library's edit controls are built. It is neither
// registered nor shipped.
#pragma once


#include "platform/ctl/control.h"
#include "zmtext/engine/edit_control.h"
#include "zmtext/engine/tests/engine_test_app.h"
#include "zmtext/engine/tests/masked_test_rules.h"

namespace zmtext::testing {

// Own DISPIDs of the test control's events and properties.
enum TestEditIds : com::DispId {
    kTestChange = 1, kTestEndOfLine = 2, kTestInvalidKey = 3, kTestInvalid = 4, kTestOutOfRange = 5,
};

class TestEditCtrl final : public MaskedRules<CZMEditControl<TestEditCtrl>> {
public:
    TestEditCtrl() : MaskedRules(ClassInfo(), ControlIds()) {}
    static const com::DispatchMap& DispatchMembers();

    static ctl::ControlClassInfo ClassInfo() {
        ctl::ControlClassInfo info;
        info.clsid = com::Guid::FromString("{5A7CE001-0000-4000-8000-00000000E0E0}");
        info.dispIid = com::Guid::FromString("{5A7CE002-0000-4000-8000-00000000E0E0}");
        info.eventIid = com::Guid::FromString("{5A7CE003-0000-4000-8000-00000000E0E0}");
        info.stockProperties = ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled | ctl::kStockFont;
        info.stockEvents = ctl::kAllStockEvents;
        info.miscStatus = 0x20191;
        return info;
    }
    // The members' own numbers follow the dispatch table below.
    static ZMEditControlIds ControlIds() {
        ZMEditControlIds ids;
        ids.change = kTestChange;
        ids.endOfLine = kTestEndOfLine;
        ids.invalidKey = kTestInvalidKey;
        ids.invalid = kTestInvalid;
        ids.outOfRange = kTestOutOfRange;
        ids.rawData = 1;
        ids.fontName = 2;
        ids.fontSize = 3;
        ids.fontBold = 4;
        ids.toolTip = 5;
        return ids;
    }

    void OnResetState() override {
        ctl::ControlBase::OnResetState();
        ResetCommonDefaults();
    }
    void DoPropExchange(com::PropExchange& px) override {
        px.ExchangeVersion(0x00040001);
        ctl::ControlBase::DoPropExchange(px);
        ExchangeCommonProps(px);
    }

    // Set-up for tests.
    void SetEOLTab(bool v) { EOLTab = v; }
    void SetDataPropertyValue(std::int16_t v) { DataProperty = v; }
    void SetBorder(std::int16_t style, std::int16_t effect) {
        BorderStyle = style;
        BorderEffect = effect;
        ApplyBorderLayout();
    }
    void SetJustification(std::int16_t v) { Justification = v; }
    void SetHideSelection(bool v) { HideSelection = v; }
    void SetToolTipText(std::string t) { ToolTip = std::move(t); }
    void PutSelection(int anchor, int caret) {
        HiAnchor = anchor;
        HiNew = CurPos = caret;
    }
    // Binding: the bound text is the display form, set as a typed value would be.
    std::string GetText() const { return Text; }
    void PutText(const std::string& cp1252) { SetValueChecked(cp1252); }
    com::Bstr GetDataField() override { return com::Bstr::FromUtf8(dataField); }
    std::string dataField;
};

inline const com::DispatchMap& TestEditCtrl::DispatchMembers() {
    static const com::DispatchTable<TestEditCtrl> table = [] {
        com::DispatchTable<TestEditCtrl> t("ZMTEST.TestEdit.1");
        t.Property("RawData", com::VT_BSTR, {},
                   [](TestEditCtrl& c, com::DispatchMap::Args) { return com::Variant::Utf8(win::Cp1252ToUtf8(c.GetRawData())); },
                   [](TestEditCtrl& c, com::DispatchMap::Args, const com::Variant& v) {
                       c.SetTextFromValue(win::Utf8ToCp1252(v.AsStr().ToUtf8()));
                   });
        AddFontName(t);
        AddFontSize(t);
        AddFontBold(t);
        AddToolTip(t);
        ctl::AddStockMembers(t, ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled | ctl::kStockFont);
        return t;
    }();
    return table.Map();
}

}  // namespace zmtext::testing
