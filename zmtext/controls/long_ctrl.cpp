// The whole-number field's value rules, its reset from the defaults store, its persistence, its
// binding, its dispatch members and its entry in the library's factory list.
#include "zmtext/controls/long_ctrl.h"

#include <cmath>

#include "platform/ctl/services.h"
#include "zmtext/module/app.h"
#include "zmtext/module/classes.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"
#include "zmtext/values/number_text.h"

namespace zmtext {
CZMLongCtrl::CZMLongCtrl()
    : CZMNumberControl(LongClassInfo(),
                       ZMEditControlIds{.change = kLongChange, .endOfLine = kLongEndOfLine,
                                        .invalidKey = kLongInvalidKey, .invalid = kLongInvalid,
                                        .outOfRange = kLongOutOfRange, .rawData = kLongRawData,
                                        .value = kLongValue, .toolTip = kLongToolTip,
                                        .fontName = kLongFontName, .fontBold = kLongFontBold,
                                        .fontItalic = kLongFontItalic, .fontSize = kLongFontSize,
                                        .fontUnderline = kLongFontUnderline,
                                        .fontStrikeThru = kLongFontStrikeThru},
                                       2147483647, -2147483647 - 1) {
    SetFieldKind(ZMControlKind::Long);
    if (const auto size = ZMDefaultSize(ZMControlKind::Long)) SetInitialSize(*size);
    DataProperty = 2;
    Settings = NumberSettings{kFmtControlWinIni, '.', ',', 0};
    IntDigits = 10;
    RebuildFromValue();
}

ctl::ControlClassInfo CZMLongCtrl::LongClassInfo() {
    return ZMEditFieldClassInfo(ZMControlKind::Long, {"CZMLongPropPage", "CZMTextPropPage"});
}

// --- Values and texts ------------------------------------------------------------------------------

char CZMLongCtrl::Thousands() const { return GetThousandSeparator(Settings, ReadIntlNumberSettings()); }

std::string CZMLongCtrl::RawText() const { return LongRawText(value_); }

std::string CZMLongCtrl::DisplayText() const { return LongDisplayText(value_, Thousands(), ShowZero); }

std::optional<std::int32_t> CZMLongCtrl::RawValue() const { return ParseLong(RawData); }

std::optional<std::int32_t> CZMLongCtrl::TextValue(std::string_view text) const { return LongFromText(text); }


// --- Old format ----------------------------------------------------------------------------------

void CZMLongCtrl::ImportOldProperties(const com::Blob& flags) {
    const auto& b = flags.bytes;
    if (b.size() < 68 || ZMBlockWord(b, 4) != 70) return;
    const std::uint32_t styles = ZMBlockWord(b, 32);
    MaxValue = static_cast<std::int32_t>(ZMBlockWord(b, 52));
    MinValue = static_cast<std::int32_t>(ZMBlockWord(b, 48));
    value_ = static_cast<std::int32_t>(ZMBlockWord(b, 64));
    Settings.thousands = static_cast<char>(b[40]);
    IntDigits = static_cast<std::int16_t>(styles >> 16);
    ShowZero = (styles & 0x800u) == 0;
    Settings.fmtControl = (styles & 0x3000u) != 0 ? kFmtControlUser : kFmtControlWinIni;
}

// --- Reset and persistence -----------------------------------------------------------------------

void CZMLongCtrl::OnResetState() {
    ResetFieldState();
    if (const CZMDefaultsStore* store = ZMDefaults()) {
        Settings.fmtControl = static_cast<std::int16_t>(store->GetInt(kKindLong, kZMKeyFmtControl, 0));
        IntDigits = static_cast<std::int16_t>(store->GetInt(kKindLong, kZMKeyFmtIntDigits, 10));
        ShowZero = store->GetInt(kKindLong, kZMKeyShowZero, 1) != 0;
        MaxValue = store->GetLong(kKindLong, kZMKeyMaxValue, 2147483647);
        MinValue = store->GetLong(kKindLong, kZMKeyMinValue, -2147483647 - 1);
        std::string thousands;
        store->GetString(kKindLong, kZMKeyFmtThousands, &thousands, 2, ",");
        Settings.thousands = thousands.empty() ? '\0' : thousands[0];
    }
    Settings.decimal = '.';
    Settings.decimalDigits = 0;
    // A field named "silgEdit12" on its form starts at 12.
    value_ = undo_ = LongFromDisplayName(AmbientDisplayName());
    RebuildFromValue();
    ToolTip.clear();
}

void CZMLongCtrl::DoPropExchange(com::PropExchange& px) {
    ExchangeFieldProps(px);
    if (px.IsOldFormat()) {
        ExchangeOldBorder(px);
        undo_ = 0;
    } else {
        ExchangeNumberSettings(px, std::nullopt, 10);
        com::PX_Long(px, "MaxValue", MaxValue, 2147483647);
        com::PX_Long(px, "MinValue", MinValue, -2147483647 - 1);
        com::PX_Long(px, "Undo", undo_);
        com::PX_Long(px, "Data", value_);
    }
    com::PX_String(px, "ToolTip", ToolTip, std::string());
    if (px.IsLoading()) {
        Settings.decimal = '.';
        Settings.decimalDigits = 0;
        ApplyBorderLayout();
        // A damaged set must not leave the field outside the counts it can show.
        if (IntDigits < 1 || IntDigits > 10) IntDigits = 10;
        RebuildFromValue();
    }
    com::PX_String(px, "DataField", DataField, std::string());
}

// --- Binding ---------------------------------------------------------------------------------------

com::Variant CZMLongCtrl::GetBoundValue(std::int32_t) { return com::Variant::I4(value_); }

void CZMLongCtrl::SetBoundValue(const com::Variant& v) {
    std::int32_t value = 0;
    switch (v.BaseType()) {
    case com::VT_R4:
    case com::VT_R8:
    case com::VT_DATE: {
        com::Variant r8;
        if (com::Succeeded(com::ChangeType(r8, v, com::VT_R8))) value = LongFromBoundReal(r8.AsR8());
        break;
    }
    case com::VT_I2: case com::VT_I4: case com::VT_I1: case com::VT_UI1: case com::VT_UI2:
    case com::VT_UI4: case com::VT_INT: case com::VT_UINT: case com::VT_BSTR: case com::VT_CY:
    case com::VT_BOOL: case com::VT_I8: case com::VT_UI8: {
        com::Variant i4;
        if (com::Succeeded(com::ChangeType(i4, v, com::VT_I4))) value = i4.AsI4();
        break;
    }
    default: break;
    }
    PutValue(value);
}

// --- Dispatch members ------------------------------------------------------------------------------

struct ZMLongMembers {
    using C = CZMLongCtrl;
    using N = ZMNumberMembers<CZMLongCtrl>;
    using Args = com::DispatchMap::Args;
    using Variant = com::Variant;

    static void AddLimit(N::Table& t, const char* name, std::int32_t C::*member, com::DispId id) {
        t.Property(name, com::VT_I4, {}, [member](C& c, Args) { return Variant::I4(c.*member); },
                   [member, id](C& c, Args, const Variant& v) {
                       Variant n;
                       if (com::Failed(com::ChangeType(n, v, com::VT_I4))) N::Refuse(c, 0, 0);
                       c.*member = n.AsI4();
                       N::Changed(c, id);
                   });
    }
    static void AddValue(N::Table& t) {
        t.Property("Value", com::VT_I4, {}, [](C& c, Args) { return Variant::I4(c.value_); },
                   [](C& c, Args, const Variant& v) {
                       Variant n;
                       if (com::Failed(com::ChangeType(n, v, com::VT_I4))) N::Refuse(c, 0, 0);
                       c.PutValue(n.AsI4());
                   });
    }
    static com::DispatchTable<C> Build() {
        com::DispatchTable<C> t("ZMTEXT.ZMLongCtrl.1");
        N::AddShowZero(t);
        N::AddDataSource(t, kLongDataSource);
        C::AddFontName(t);
        C::AddFontBold(t);
        C::AddFontItalic(t);
        C::AddFontStrikeThru(t);
        C::AddFontUnderline(t);
        N::AddModified(t, -391972, kLongModified);
        N::AddSelection(t, kLongSelLength);
        AddValue(t);
        N::AddFlag(t, "AutoScroll", &C::AutoScroll, 136, -392010, kLongAutoScroll);
        N::AddBorderEffect(t, -392008, kLongBorderEffect);
        N::AddDataProperty(t, 2, 138, -392003, kLongDataProperty);
        N::AddDisplayOnly(t, -392001, kLongDisplayOnly);
        N::AddFlag(t, "EOLTab", &C::EOLTab, 140, -391997, kLongEOLTab);
        N::AddFlag(t, "ErrorBeep", &C::ErrorBeep, 141, -391995, kLongErrorBeep);
        N::AddFlag(t, "FocusSelect", &C::FocusSelect, 142, -391991, kLongFocusSelect);
        N::AddInsert(t, -391977, kLongInsert);
        N::AddJustification(t, -391976, kLongJustification);
        N::AddRawData(t, -1, kLongRawData);
        N::AddFmtControl(t, 1, 163, -391994, kLongFmtControl);
        AddLimit(t, "MaxValue", &C::MaxValue, kLongMaxValue);
        AddLimit(t, "MinValue", &C::MinValue, kLongMinValue);
        C::AddFontSize(t);
        N::AddFmtIntDigits(t, 1, 10, 181, -391993, kLongFmtIntDigits);
        N::AddFmtThousands(t, -391992, kLongFmtThousands, true);
        N::AddReadOnly(t, kLongReadOnly);
        N::AddPointerToDataChanged(t, kLongMousePointer);
        N::AddTextBorderAndStock(t);
        return t;
    }
};

const com::DispatchMap& CZMLongCtrl::DispatchMembers() {
    static const com::DispatchTable<CZMLongCtrl> table = ZMLongMembers::Build();
    return table.Map();
}

std::vector<com::FuncDesc> CZMLongCtrl::EventMembers() {
    return ZMEditFieldEvents({{"Change", kLongChange}, {"EndOfLine", kLongEndOfLine}, {"InvalidKey", kLongInvalidKey},
                           {"OutOfRange", kLongOutOfRange}, {"Invalid", kLongInvalid}});
}

namespace {

const ZMClassRegistrar kLongRegistrar(ZMControlFactory{
    ZMControlKind::Long,
    com::CreatorOf<CZMLongCtrl>(),
    ZMDescribeMembers(CZMLongCtrl::DispatchMembers()), CZMLongCtrl::EventMembers()});

}  // namespace
}  // namespace zmtext
