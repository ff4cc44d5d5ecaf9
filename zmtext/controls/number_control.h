// CZMNumberControl<Self, Value>: what the long, double and currency fields share over the edit
// control: the value, its undo copy and its limits, the value code built on the kind's
// conversions (keys, pattern, checks, parsing, undo, the range check, the Value setter and its
// announcement), the number settings, ShowZero, the integer-digit count and the Text/RawData
// property paths; ZMNumberMembers<C> adds the dispatch members whose behaviour is the same in the three (added in
// each control's own order, so their DISPIDs follow each control's table).
//
// While the field has the focus it shows its raw text followed by blanks (one pattern position
// per typeable character); without the focus it shows the display text (grouped, signed).
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "platform/ctl/keys.h"
#include "platform/win/cp1252.h"
#include "zmtext/controls/edit_members.h"
#include "zmtext/controls/edit_field.h"
#include "zmtext/module/classes.h"
#include "zmtext/values/number_format.h"

namespace zmtext {

// String ids of the defaults keys the numeric fields read beside the common ones.
enum ZMNumberDefaultsKey : int {
    kZMKeyFmtControl = 150, kZMKeyFmtDecimal = 151, kZMKeyFmtThousands = 152, kZMKeyFmtDecDigits = 153,
    kZMKeyFmtIntDigits = 154, kZMKeyMaxValue = 157, kZMKeyMinValue = 158, kZMKeyShowZero = 176,
};

// The little-endian 32-bit word at byte `at` of an old property block (at + 4 <= size).
std::uint32_t ZMBlockWord(const std::vector<std::uint8_t>& b, std::size_t at);

// Self supplies `std::string RawText() const` and `std::string DisplayText() const` (the value's
// raw and display texts), `std::optional<Value> RawValue() const` (RawData read back; none when
// it holds no number), `std::optional<Value> TextValue(std::string_view) const` (a display or raw text
// read; none when refused), `bool ValueChanges(const Value&) const` (whether a value read from a
// text differs from the stored one as the field shows it), `NumberFormat Format() const` (the
// decimal character and decimals in force) and `bool AllowsNegative() const` (MinValue below
// zero). Where the kinds differ (decimals or none, the Modified flag the undo leaves) the code
// reads the kind's traits.
template <class C>
class ZMNumberMembers;

template <class Self, class Value>
class CZMNumberControl : public CZMEditControl<Self>, public ZMValueRules {
    using Field = CZMEditControl<Self>;

public:
    // --- Engine operations shared by the numeric kinds -----------------------------------------
    int FormatRawData() override { return this->StoreRaw(self().RawText()); }
    void FormatText() override { this->StoreText(self().DisplayText()); }
    void ParseText() override {
        if (const std::optional<Value> value = self().RawValue()) TakeValue(*value);
    }
    bool SetTextValue(std::string_view text) override {
        const std::optional<Value> value = self().TextValue(text);
        if (!value || !TakeValue(*value)) return false;
        this->FormatRawData();
        return true;
    }
    int SetRawDataText(std::string_view text) override {
        const std::optional<Value> value = self().TextValue(text);
        if (!value) return 0;
        if (!TakeValue(*value)) return 1;
        this->FormatRawData();
        this->FormatText();
        return 2;
    }
    bool IsInRange() override { return MinValue <= value_ && value_ <= MaxValue; }
    void SaveUndo() override { undo_ = value_; }
    bool Undo() override {
        value_ = undo_;
        FinishUndo(this->Ids().value, this->KindTraits().undoLeavesModified);
        return true;
    }
    bool IsValidKey() override {
        const NumberKeyState state = KeyState(self().Format(), self().AllowsNegative());
        return this->KindTraits().hasDecimals ? DoubleKeyAccepted(state, this->TypedChar)
                                              : LongKeyAccepted(state, this->TypedChar);
    }
    // A whole number has no decimal character to check.
    bool IsValidValue() override {
        const NumberFormat f = self().Format();
        const bool decimals = this->KindTraits().hasDecimals;
        return CheckNumberText(this->RawData, self().AllowsNegative(), IntDigits, decimals ? f.decimal : '\0',
                               decimals ? f.digits : 0);
    }
    // One position per typeable character: a whole number's count follows its raw text.
    int GetPattern() override {
        const int length = this->KindTraits().hasDecimals
                               ? DecimalPatternLength(IntDigits, self().Format().digits, self().AllowsNegative())
                               : LongPatternLength(IntDigits, self().AllowsNegative(), this->RawData);
        return FillPattern(length);
    }
    // Once the last decimal is typed the field has reached its end.
    void BeforeMoveRight(bool& atLast) override {
        if (!this->KindTraits().hasDecimals) return;
        const NumberFormat f = self().Format();
        if (NumberFieldEndReached(this->DisplayBuffer.View(), this->CurPos, f.decimal, f.digits)) atLast = true;
    }

    // --- Window --------------------------------------------------------------------------------
    // A number field takes the focus from a left-button press itself, after the engine placed the
    // caret, so that FocusSelect then selects the whole value; its window is therefore not one
    // that a click focuses before the press arrives.
    com::HResult CreateControlWindow(QWidget* parent, const ctl::Rect& rect) override {
        const com::HResult hr = Field::CreateControlWindow(parent, rect);
        if (com::Succeeded(hr) && this->Window()) this->Window()->setFocusPolicy(Qt::TabFocus);
        return hr;
    }
    void OnButtonDown(int button, int flags, QPoint p) override {
        Field::OnButtonDown(button, flags, p);
        if (button == 1 && this->Window() && !this->WindowHasFocus()) this->Window()->setFocus(Qt::MouseFocusReason);
    }

    // --- Binding -------------------------------------------------------------------------------
    com::Bstr GetBoundRawText() override { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(this->RawData)); }
    void SetBoundRawText(const std::string& cp1252) override { PutRawData(cp1252); }

    // --- Property paths (cp1252 texts) ---------------------------------------------------------
    std::string GetText() const { return this->Text; }
    void PutText(std::string_view text) {
        if (this->SetValueChecked(text)) this->ADBHelper::SetDataChanged(true);
    }
    // False when the field refuses the text (the setter then raises "Invalid RawData Value").
    bool PutRawData(std::string_view raw) {
        const int result = this->SetTextFromValue(raw);
        if (result == 2) {
            this->InvalidateField();
            this->ADBHelper::SetDataChanged(true);
        }
        return result != 0;
    }
    Value GetValue() const { return value_; }
    // The Value sequence for a value the kind accepts.
    void PutValue(Value value) {
        if (value == value_) return;
        value_ = value;
        this->FormatRawData();
        this->FormatText();
        AnnounceNewValue(this->Ids().value);
    }
    bool GetShowZero() const { return ShowZero; }
    std::int16_t GetIntDigits() const { return IntDigits; }
    const NumberSettings& GetNumberSettings() const { return Settings; }

protected:
    friend class ZMNumberMembers<Self>;

    // DataSource is member 2 of every numeric field.
    CZMNumberControl(const ctl::ControlClassInfo& info, const ZMEditControlIds& ids, Value maximum, Value minimum)
        : Field(info, ids, com::DispId{2}), MaxValue(maximum), MinValue(minimum) {
        this->SetValueRules(*this);
    }

    // A value read from a text: stored, Value announced and the binding flag set when it
    // changed.
    bool TakeValue(const Value& value) {
        if (!self().ValueChanges(value)) return false;
        value_ = value;
        this->BoundPropertyChanged(this->Ids().value);
        this->ADBHelper::SetDataChanged(true);
        return true;
    }

    // What key acceptance sees of the field while the user types, with the settings in force.
    NumberKeyState KeyState(const NumberFormat& f, bool allowNegative) const {
        NumberKeyState state;
        state.display = this->DisplayBuffer.View();
        state.selStart = this->HasSelection() ? std::min(this->HiAnchor, this->HiNew) : this->CurPos;
        state.selEnd = this->HasSelection() ? std::max(this->HiAnchor, this->HiNew) : state.selStart;
        state.insertMode = this->Insert;
        state.allowNegative = allowNegative;
        state.intDigits = IntDigits;
        state.decDigits = f.digits;
        state.decimal = f.decimal;
        return state;
    }
    // A stream of the older format: its "BorderStyle" entry, when present, leaves the border its
    // property block gave; a missing one means a single border.
    void ExchangeOldBorder(com::PropExchange& px) {
        std::int16_t border = this->BorderStyle;
        if (!com::PX_Short(px, "BorderStyle", border)) this->BorderStyle = 1;
    }
    // The number settings of a current-format property set, from BorderStyle to ShowZero. A
    // field without decimals (no `decDigitsDefault`) has neither FmtDecimal nor NumDecDigits.
    void ExchangeNumberSettings(com::PropExchange& px, std::optional<std::int16_t> decDigitsDefault,
                                std::int16_t intDigitsDefault) {
        std::int16_t decimal = static_cast<unsigned char>(Settings.decimal);
        std::int16_t thousands = static_cast<unsigned char>(Settings.thousands);
        com::PX_Short(px, "BorderStyle", this->BorderStyle, std::int16_t{1});
        if (decDigitsDefault) com::PX_Short(px, "FmtDecimal", decimal, std::int16_t{46});
        com::PX_Short(px, "FmtThousands", thousands, std::int16_t{44});
        com::PX_Short(px, "FmtControl", Settings.fmtControl, std::int16_t{0});
        if (decDigitsDefault) com::PX_Short(px, "NumDecDigits", Settings.decimalDigits, *decDigitsDefault);
        com::PX_Short(px, "NumIntDigits", IntDigits, intDigitsDefault);
        com::PX_Bool(px, "ShowZero", ShowZero, true);
        if (px.IsLoading()) {
            if (decDigitsDefault) Settings.decimal = static_cast<char>(decimal);
            Settings.thousands = static_cast<char>(thousands);
        }
    }
    // Both texts built anew from the value, which the binding has not seen changed.
    void RebuildFromValue() {
        this->FormatRawData();
        this->FormatText();
        this->ADBHelper::SetDataChanged(false);
    }
    // One typeable position per character of the field.
    int FillPattern(int length) {
        this->PatternBuffer.Clear();
        for (int i = 0; i < length; ++i) this->PatternBuffer.Append(this->FillChar);
        return this->PatternBuffer.Length();
    }
    // A value changed through a value setter (the value, raw and display texts already rebuilt):
    // the selection cleared, the caret refreshed, the parent told, Change fired, the field redrawn,
    // Value announced, the binding flag set and the control marked modified.
    void AnnounceNewValue(com::DispId valueId) {
        this->HiAnchor = this->HiNew = 0;
        if (this->WindowHasFocus()) {
            this->RebuildDisplay();
            this->MoveCaret(ctl::VK_HOME, this->FirstDataPos);
        } else {
            this->CurPos = 0;
        }
        this->NotifyParent(EN_UPDATE);
        this->FireChange();
        this->InvalidateField();
        this->BoundPropertyChanged(valueId);
        this->ADBHelper::SetDataChanged(true);
        this->SetModifiedFlag();
    }
    // The undo copy taken back: Modified set as given, Value announced, the texts and field
    // rebuilt.
    void FinishUndo(com::DispId valueId, bool modified = false) {
        this->Modified = modified;
        this->BoundPropertyChanged(valueId);
        this->FormatRawData();
        this->FormatText();
        this->RebuildDisplay();
        this->CurPos = std::min(this->CurPos, this->DisplayBuffer.Length());
        if (this->CurPos < this->FirstVisPos) this->MoveCaret(ctl::VK_LEFT, this->CurPos);
        else if (this->WindowHasFocus()) this->PlaceCaretAtCurPos();
        this->InvalidateField();
    }
    NumberSettings Settings;
    std::int16_t IntDigits = 10;
    bool ShowZero = true;
    Value MaxValue, MinValue;
    Value value_{}, undo_{};

private:
    const Self& self() const { return static_cast<const Self&>(*this); }
};

// The dispatch members the numeric fields share beyond every edit field's.
template <class C>
class ZMNumberMembers : public ZMEditMembers<C> {
    using M = ZMEditMembers<C>;

public:
    using typename M::Args;
    using typename M::Table;
    using typename M::Variant;

    // A separator character property: "-" and digits are refused with their own texts.
    static char SeparatorOf(const C& c, const Variant& v, int minusId, int digitId, std::int32_t context) {
        const std::string s = M::TextOf(v);
        const char ch = s.empty() ? '\0' : s[0];
        if (ch == '-') M::Refuse(c, minusId, context);
        if (M::IsDigit(ch)) M::Refuse(c, digitId, context);
        return ch;
    }
    // ShowZero: stored, the field repainted, the control marked modified; announced as `announce`
    // by a field whose setters all announce, silent without it.
    static void AddShowZero(Table& t, std::optional<com::DispId> announce = std::nullopt) {
        t.Property("ShowZero", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::Bool(c.ShowZero); },
                   [announce](C& c, Args, const Variant& v) {
                       Variant b;
                       if (com::Failed(com::ChangeType(b, v, com::VT_BOOL))) com::ThrowError(com::CTL_E_INVALIDPROPERTYVALUE);
                       c.ShowZero = b.AsBool();
                       c.InvalidateField();
                       if (announce) {
                           ZMEditMembers<C>::Changed(c, *announce);
                       } else {
                           c.SetModifiedFlag();
                       }
                   });
    }
    // FmtControl 0..`high`: the raw and display texts are rebuilt.
    static void AddFmtControl(Table& t, long high, int message, std::int32_t context, com::DispId id) {
        t.Property("FmtControl", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.Settings.fmtControl); },
                   [=](C& c, Args, const Variant& v) {
                       c.Settings.fmtControl = M::ShortOf(c, v, 0, high, message, context);
                       c.FormatRawData();
                       c.FormatText();
                       c.InvalidateField();
                       M::Changed(c, id);
                   });
    }
    static void AddFmtThousands(Table& t, std::int32_t context, com::DispId id, bool reformat) {
        t.Property("FmtThousands", com::VT_BSTR, {}, [](C& c, Args) { return M::OneChar(c.Settings.thousands); },
                   [=](C& c, Args, const Variant& v) {
                       c.Settings.thousands = SeparatorOf(c, v, 169, 170, context);
                       if (reformat) c.FormatText();
                       c.InvalidateField();
                       M::Changed(c, id);
                   });
    }
    static void AddFmtIntDigits(Table& t, long low, long high, int message, std::int32_t context, com::DispId id) {
        t.Property("FmtIntDigits", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.IntDigits); },
                   [=](C& c, Args, const Variant& v) {
                       c.IntDigits = M::ShortOf(c, v, low, high, message, context);
                       M::Changed(c, id);
                   });
    }
    // FmtDecimal: an empty text is refused beside the separator's own refusals.
    static void AddFmtDecimal(Table& t, std::int32_t context, com::DispId id) {
        t.Property("FmtDecimal", com::VT_BSTR, {}, [](C& c, Args) { return M::OneChar(c.Settings.decimal); },
                   [=](C& c, Args, const Variant& v) {
                       if (M::TextOf(v).empty()) M::Refuse(c, 166, context);
                       c.Settings.decimal = SeparatorOf(c, v, 167, 168, context);
                       c.FormatRawData();
                       c.InvalidateField();
                       M::Changed(c, id);
                   });
    }
    static void AddFmtDecDigits(Table& t, long high, int message, std::int32_t context, com::DispId id) {
        t.Property("FmtDecDigits", com::VT_VARIANT, {}, [](C& c, Args) { return Variant::I2(c.Settings.decimalDigits); },
                   [=](C& c, Args, const Variant& v) {
                       c.Settings.decimalDigits = M::ShortOf(c, v, 0, high, message, context);
                       c.FormatRawData();
                       c.InvalidateField();
                       M::Changed(c, id);
                   });
    }
    // MousePointer, MouseIcon, HdnHeight, HdnWidth, HdnDataPropCount, ToolTip, DataField and
    // DataChanged at the DISPIDs from `first` on (the order of all three tables, but the
    // currency field lists HdnWidth before HdnHeight).
    static void AddPointerToDataChanged(Table& t, com::DispId first, bool widthFirst = false) {
        M::AddMousePointer(t, first);
        M::AddMouseIcon(t, first + 1);
        M::AddHidden(t, 3, widthFirst);
        C::AddToolTip(t);
        M::AddDataField(t, first + 6);
        M::AddDataChanged(t, first + 7);
    }
};

}  // namespace zmtext
