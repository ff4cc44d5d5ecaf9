// What the date and the time field share beyond every edit field's:
//   - CZMDateTimeField<Self, Value>, their base: the value and its undo copy, the value code
//     built on the kind's conversions (pattern, raw and display texts, parsing, undo, the Text,
//     RawData and Value setters), the separator, the fill character drawn in empty positions,
//     the focus a click gives, the bound raw text, and the parts of the reset and the property
//     exchange that are alike;
//   - ZMDateTimeMembers<C>, dispatch members as builders over the control class: each field adds
//     them to its own table in its own DISPID order. The builders reach the fields' shared state
//     as the friend of CZMDateTimeField.
#pragma once

#include <QWidget>
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "zmtext/controls/edit_field.h"
#include "zmtext/controls/edit_members.h"
#include "zmtext/module/defaults_store.h"

namespace zmtext {

// A raw text as the engine keeps it: the typed characters alone, no trailing fill characters.
inline std::string ZMWithoutTrailingFill(std::string raw, char fill) {
    while (!raw.empty() && raw.back() == fill) raw.pop_back();
    return raw;
}

// Self supplies the conversions of its Value: `std::string EditPattern() const` (the pattern with
// FillChar in the typeable positions), `std::string FullRawText() const` (the value's raw text,
// FillChar in every empty position), `std::string DisplayText()` (the text shown without the
// focus; it may first bring an impossible value back to the empty one), `Value ParsedRaw() const`
// (RawData read back), `Value TextValue(std::string_view) const` (a display text read),
// `std::optional<Value> RawTextValue(std::string_view) const` (a raw text read; none when
// refused), `std::int32_t NumberOf(const Value&) const` (the number Value reads for a value) and
// `std::size_t FullRawLength() const`. What differs in the value code (whether undo announces
// Value, whether a text that leaves the number as it was is taken) is read from the kind's traits.
template <class C>
class ZMDateTimeMembers;

template <class Self, class Value>
class CZMDateTimeField : public CZMEditControl<Self>, public ZMValueRules {
    friend class ZMDateTimeMembers<Self>;

public:
    // --- Engine operations ---------------------------------------------------------------------
    int GetPattern() override {
        this->PatternBuffer.Assign(self().EditPattern());
        return this->PatternBuffer.Length();
    }
    // The engine keeps the typed characters alone (see GetRawDataProperty).
    int FormatRawData() override { return this->StoreRaw(ZMWithoutTrailingFill(self().FullRawText(), this->FillChar)); }
    void FormatText() override { this->StoreText(self().DisplayText()); }
    void ParseText() override { StoreValue(self().ParsedRaw()); }
    void SaveUndo() override { undo_ = value_; }
    bool Undo() override {
        value_ = undo_;
        this->Modified = false;
        if (this->KindTraits().undoAnnouncesValue) this->BoundPropertyChanged(this->Ids().value);
        this->FormatRawData();
        this->RebuildDisplay();
        this->CurPos = std::min(this->CurPos, this->DisplayBuffer.Length());
        this->PlaceCaretAtCurPos();
        this->InvalidateField();
        return true;
    }
    // A display text as the new value. Value is announced when its number changes, or for every
    // text with the kind's takesUnchangedText.
    bool SetTextValue(std::string_view text) override {
        const Value parsed = self().TextValue(text);
        const bool changed = self().NumberOf(parsed) != self().NumberOf(value_);
        if (changed || this->KindTraits().takesUnchangedText) {
            value_ = parsed;
            this->BoundPropertyChanged(this->Ids().value);
        }
        if (!changed) return false;
        this->SetDataChanged();
        this->FormatRawData();
        return true;
    }
    // A raw text as the new value: 0 refused, 1 the number unchanged, 2 changed. A kind with
    // takesUnchangedText keeps the raw text as given and takes its parts even when the number
    // stays; the raw and display texts are then rebuilt before RawData is announced, otherwise
    // after.
    int SetRawDataText(std::string_view text) override {
        const std::optional<Value> parsed = self().RawTextValue(text);
        if (!parsed) return 0;
        const bool changed = self().NumberOf(*parsed) != self().NumberOf(value_);
        const bool takesWhole = this->KindTraits().takesUnchangedText;
        if (takesWhole) this->RawData = ZMWithoutTrailingFill(std::string(text), this->FillChar);
        if (changed || takesWhole) StoreValue(*parsed);
        if (!changed) return 1;
        if (!takesWhole) this->SetDataChanged();
        RebuildTexts();
        if (takesWhole) this->SetDataChanged();
        return 2;
    }

    // --- Properties ----------------------------------------------------------------------------
    std::string GetText() const { return this->Text; }
    void PutText(std::string_view text) {
        if (this->SetValueChecked(text)) this->ADBHelper::SetDataChanged(true);
    }
    // A raw text the field refuses raises "Invalid property value".
    void PutRawData(std::string_view raw) {
        const int result = this->SetTextFromValue(raw);
        if (result == 0) this->ThrowError(com::CTL_E_INVALIDPROPERTYVALUE, 147);
        if (result == 2) this->InvalidateField();
    }
    com::Bstr GetBoundRawText() override { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(self().FullRawText())); }
    char GetDisplayFillChar() override { return this->FillChar; }
    // RawData as the property reads it: the full raw text of the format, the fill character in
    // every position nothing was typed into ("122598__" for a two-digit year, "________" for the
    // blank date). The engine keeps the typed characters alone, so that the caret stops after the
    // last one; the property fills out the rest, and an assignment of what it reads is taken back.
    std::string GetRawDataProperty() const {
        std::string raw = this->RawData;
        const std::size_t full = self().FullRawLength();
        if (raw.size() < full) raw.append(full - raw.size(), this->FillChar);
        return raw;
    }
    // A raw text the field refuses leaves the value as it was: the cursor's notification that
    // brought it has no caller to take an error.
    void SetBoundRawText(const std::string& cp1252) override {
        if (this->SetTextFromValue(cp1252) == 2) this->InvalidateField();
    }
    // A click on a field without the focus gives it the focus first.
    void OnButtonDown(int button, int flags, QPoint p) override {
        if (button == 1 && this->Window() && !this->WindowHasFocus()) this->Window()->setFocus(Qt::MouseFocusReason);
        CZMEditControl<Self>::OnButtonDown(button, flags, p);
    }

protected:
    // `dataSourceId`: the DISPID of the field's DataSource property.
    CZMDateTimeField(const ctl::ControlClassInfo& info, const ZMEditControlIds& ids, com::DispId dataSourceId)
        : CZMEditControl<Self>(info, ids, dataSourceId) {
        this->SetValueRules(*this);
    }

    // Stores a new value: announces Value and sets the binding flag; false when unchanged.
    bool StoreValue(const Value& value) {
        if (value == value_) return false;
        value_ = value;
        this->BoundPropertyChanged(this->Ids().value);
        this->ADBHelper::SetDataChanged(true);
        return true;
    }
    // The end of the Value setter's sequence for an accepted, different value: it becomes the
    // undo copy too, both texts are rebuilt and the change is announced.
    void TakeSetValue(const Value& value) {
        value_ = value;
        SaveUndo();
        RebuildTexts();
        this->AnnounceValueSet();
        this->BoundPropertyChanged(this->Ids().value);
        this->SetModifiedFlag();
        this->ADBHelper::SetDataChanged(true);
    }
    void RebuildTexts() {
        FormatRawData();
        FormatText();
    }

    // A character of the defaults store (its first), or the fallback's without a store or value.
    static char DefaultChar(const CZMDefaultsStore* store, int kind, int key, const char* fallback) {
        std::string value;
        if (store) store->GetString(kind, key, &value, 2, fallback);
        return value.empty() ? fallback[0] : value[0];
    }
    // BorderStyle, FillChar and FmtSeparator of a property set. The older format keeps FillChar
    // as a text and no separator; a missing BorderStyle there means a single border.
    void ExchangeFillAndSeparator(com::PropExchange& px, std::int16_t separatorDefault) {
        if (px.IsOldFormat()) {
            if (!com::PX_Short(px, "BorderStyle", this->BorderStyle, std::int16_t{1})) this->BorderStyle = 1;
            std::string fillText;
            com::PX_String(px, "FillChar", fillText, std::string("_"));
            this->FillChar = fillText.empty() ? '_' : fillText[0];
            return;
        }
        std::int16_t fill = static_cast<unsigned char>(this->FillChar);
        std::int16_t separator = static_cast<unsigned char>(FmtSeparator);
        com::PX_Short(px, "BorderStyle", this->BorderStyle, std::int16_t{1});
        com::PX_Short(px, "FillChar", fill, std::int16_t{95});
        com::PX_Short(px, "FmtSeparator", separator, separatorDefault);
        if (px.IsLoading()) {
            this->FillChar = static_cast<char>(fill);
            FmtSeparator = static_cast<char>(separator);
        }
    }
    // A loaded set: the border laid out and both texts built anew from the value.
    void FinishLoading() {
        this->ApplyBorderLayout();
        this->Text.clear();
        RebuildTexts();
        this->ADBHelper::SetDataChanged(false);
    }

    char FmtSeparator = '-';
    Value value_{}, undo_{};

private:
    Self& self() { return static_cast<Self&>(*this); }
    const Self& self() const { return static_cast<const Self&>(*this); }
};

template <class C>
class ZMDateTimeMembers : public ZMEditMembers<C> {
    using M = ZMEditMembers<C>;

public:
    using typename M::Args;
    using typename M::Table;
    using typename M::Variant;

    // A 16-bit enumeration with its accepted range and refusal text; `after` runs once stored.
    template <class After>
    static void AddEnum(Table& t, const char* name, std::int16_t C::*member, long high, int id, com::DispId notify,
                        After after) {
        t.Property(name, com::VT_VARIANT, {}, [member](C& c, Args) { return Variant::I2(c.*member); },
                   [=](C& c, Args, const Variant& v) {
                       c.*member = M::ShortOf(c, v, 0, high, id);
                       after(c);
                       M::Changed(c, notify);
                   });
    }
    // FillChar: not a digit and no character that `clashes` with a separator.
    template <class Clash>
    static void AddFillChar(Table& t, com::DispId id, Clash clashes) {
        t.Property("FillChar", com::VT_BSTR, {}, [](C& c, Args) { return M::OneChar(c.FillChar); },
                   [=](C& c, Args, const Variant& v) {
                       const std::string text = M::TextOf(v);
                       const char ch = text.empty() ? '_' : text[0];
                       if (M::IsDigit(ch)) M::Refuse(c, 204);
                       if (clashes(c, ch)) M::Refuse(c, 205);
                       c.FillChar = ch;
                       c.InvalidateField();
                       M::Changed(c, id);
                   });
    }
    static void AddFmtSeparator(Table& t, com::DispId id) {
        t.Property("FmtSeparator", com::VT_BSTR, {}, [](C& c, Args) { return M::OneChar(c.FmtSeparator); },
                   [id](C& c, Args, const Variant& v) {
                       const std::string text = M::TextOf(v);
                       const char ch = text.empty() ? '\0' : text[0];
                       if (M::IsDigit(ch)) M::Refuse(c, 203);
                       if (ch != '\0' && ch == c.FillChar) M::Refuse(c, 205);
                       c.FmtSeparator = ch;
                       c.InvalidateField();
                       M::Changed(c, id);
                   });
    }
    // DataProperty, DisplayOnly, EOLTab and ErrorBeep from `first` on.
    static void AddDataPropertyToErrorBeep(Table& t, com::DispId first) {
        M::AddDataProperty(t, 2, 138, -391867, first);
        M::AddDisplayOnly(t, -391865, first + 1);
        M::AddFlag(t, "EOLTab", &C::EOLTab, 140, -391860, first + 2);
        M::AddFlag(t, "ErrorBeep", &C::ErrorBeep, 141, -391859, first + 3);
    }
    // Justification, ReadOnly, MousePointer and MouseIcon from `first` on.
    static void AddJustificationToMouse(Table& t, com::DispId first) {
        M::AddJustification(t, -391840, first);
        M::AddReadOnly(t, first + 1);
        M::AddMousePointer(t, first + 2);
        M::AddMouseIcon(t, first + 3);
    }
};

}  // namespace zmtext
