// CZMBoundField<Self>: what every edit field of the library keeps beside the edit-control base:
// its class description, its initial size from the defaults store, and its binding state (the
// DataField text, the stored cursor) with the binding operations that read it.
//
// A field is `class CZMxxxCtrl : public CZMBoundField<CZMxxxCtrl>` (the numeric fields through
// CZMNumberControl, the date and time fields through CZMDateTimeField). Self supplies GetText()
// and PutText(), the text the binding exchanges; the raw text and the value each field
// exchanges in its own way. The field is also its engine's value rules (ZMValueRules), which its
// family implements.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/cursor.h"
#include "platform/win/cp1252.h"
#include "zmtext/engine/edit_control.h"
#include "zmtext/module/about.h"
#include "zmtext/module/classes.h"

namespace zmtext {

// The class description of an edit field of `kind` with its property pages in order.
ctl::ControlClassInfo ZMEditFieldClassInfo(ZMControlKind kind, std::initializer_list<std::string_view> pages);
// The initial size the defaults store gives field kind `kind`, when it gives both measures.
std::optional<QSize> ZMDefaultSize(ZMControlKind kind);
// A field's events: its own in its order, then the stock mouse and key events.
std::vector<com::FuncDesc> ZMEditFieldEvents(std::initializer_list<std::pair<const char*, com::DispId>> own);

template <class C>
class ZMEditMembers;

template <class Self>
class CZMBoundField : public CZMEditControl<Self>, public ZMValueRules {
    // The shared dispatch builders reach the field's state.
    friend class ZMEditMembers<Self>;

public:
    com::Bstr GetDataField() override { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(DataField)); }
    com::ICursor* GetCursor() override { return cursor_.Get(); }
    void SetCursor(com::ICursor* cursor) override { cursor_ = com::ComPtr<com::ICursor>(cursor); }
    com::Bstr GetBoundText() override { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(self().GetText())); }
    void SetBoundText(const std::string& cp1252) override { self().PutText(cp1252); }
    // The library's About box for the field's kind.
    void OnAboutBox() override { ZMShowAboutBox(this->Window(), this->GetFieldKind()); }
    // The DataField property's predefined strings: the bound cursor's column names.
    std::vector<std::string> DataFieldChoices() {
        if (com::Failed(this->LoadColumnNames(dataSourceId_))) return {};
        return this->ColumnNames();
    }

    // --- Per-property browsing: MouseIcon, the colours and Font on the stock pages; BorderStyle
    // shown by the name of its value; DataField offering the bound cursor's columns, each
    // standing for its own name.
    bool OnMapPropertyToPage(com::DispId id, com::Guid& page) override {
        return ctl::ControlBase::StockPropertyPage(id, MemberId("MouseIcon"), page);
    }
    bool OnGetDisplayString(com::DispId id, std::string& text) override {
        return id == com::DISPID_BORDERSTYLE && ctl::ControlBase::BorderStyleDisplayString(this->BorderStyle, text);
    }
    bool OnGetPredefinedStrings(com::DispId id, std::vector<std::string>& texts,
                                std::vector<std::uint32_t>& cookies) override {
        if (id != MemberId("DataField")) return false;
        for (const std::string& name : DataFieldChoices()) {
            cookies.push_back(static_cast<std::uint32_t>(texts.size()));
            texts.push_back(win::Cp1252ToUtf8(name));
        }
        return true;
    }
    bool OnGetPredefinedValue(com::DispId id, std::uint32_t cookie, com::Variant& value) override {
        if (id != MemberId("DataField")) return false;
        const std::vector<std::string> names = this->ColumnNames();
        if (cookie >= names.size()) return false;
        value = com::Variant::Utf8(win::Cp1252ToUtf8(names[cookie]));
        return true;
    }

protected:
    // A rebuilt display text: stored, the binding flag set and Text announced when it changed.
    void StoreText(std::string text) {
        if (text == this->Text) return;
        this->Text = std::move(text);
        this->ADBHelper::SetDataChanged(true);
        this->BoundPropertyChanged(com::DISPID_TEXT);
    }

    // `dataSourceId`: the DISPID of the field's DataSource property.
    CZMBoundField(const ctl::ControlClassInfo& info, const ZMEditControlIds& ids, com::DispId dataSourceId)
        : CZMEditControl<Self>(info, ids), dataSourceId_(dataSourceId) {
        this->SetValueRules(*this);
    }
    ~CZMBoundField() override { this->UnadviseCursor(); }

    // The start of every field's property exchange: the set's version, the control base's
    // properties and the engine's common ones.
    void ExchangeFieldProps(com::PropExchange& px) {
        px.ExchangeVersion(kPropertyVersion);
        ctl::ControlBase::DoPropExchange(px);
        this->ExchangeCommonProps(px);
    }
    // The start of every field's reset: the control base's and the engine's defaults.
    void ResetFieldState() {
        ctl::ControlBase::OnResetState();
        this->ResetCommonDefaults();
    }

    std::string DataField;
    com::ComPtr<com::ICursor> cursor_;

private:
    static constexpr std::uint32_t kPropertyVersion = 0x00040001;

    Self& self() { return static_cast<Self&>(*this); }
    // The DISPID of one of the field's own members (each field numbers them its own way).
    static com::DispId MemberId(std::string_view name) {
        for (const auto& m : Self::DispatchMembers().Members())
            if (m.name == name) return m.id;
        return com::DISPID_UNKNOWN;
    }

    com::DispId dataSourceId_;
};

}  // namespace zmtext
