// The decimal-number field's value rules, its reset from the defaults store, its persistence, its
// binding, its dispatch members and its entry in the library's factory list.
#include "zmtext/controls/double_ctrl.h"

#include <cstring>

#include "platform/ctl/services.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"
#include "zmtext/values/number_text.h"

namespace zmtext {
namespace {


double BlockDouble(const std::vector<std::uint8_t>& b, std::size_t at) {
    const std::uint64_t bits = ZMBlockWord(b, at) | (static_cast<std::uint64_t>(ZMBlockWord(b, at + 4)) << 32);
    return std::bit_cast<double>(bits);
}

}  // namespace

CZMDoubleCtrl::CZMDoubleCtrl()
    : CZMNumberControl(ZMEditFieldClassInfo(ZMControlKind::Double, {"CZMDoublePropPage", "CZMTextPropPage"}),
                       ZMEditControlIds{.change = kDoubleChange, .endOfLine = kDoubleEndOfLine,
                                        .invalidKey = kDoubleInvalidKey, .invalid = kDoubleInvalid,
                                        .outOfRange = kDoubleOutOfRange, .rawData = kDoubleRawData,
                                        .value = kDoubleValue, .toolTip = kDoubleToolTip,
                                        .fontName = kDoubleFontName, .fontBold = kDoubleFontBold,
                                        .fontItalic = kDoubleFontItalic, .fontSize = kDoubleFontSize,
                                        .fontUnderline = kDoubleFontUnderline,
                                        .fontStrikeThru = kDoubleFontStrikeThru},
                                        kDoubleMaxDefault, kDoubleMinDefault) {
    SetFieldKind(ZMControlKind::Double);
    if (const auto size = ZMDefaultSize(ZMControlKind::Double)) SetInitialSize(*size);
    DataProperty = 2;
    Settings = NumberSettings{kFmtControlWinIni, '.', ',', 3};
    IntDigits = 15;
    RebuildFromValue();
}

// --- Values and texts ------------------------------------------------------------------------------

NumberFormat CZMDoubleCtrl::Format() const { return EffectiveNumberFormat(Settings, ReadIntlNumberSettings()); }

std::string CZMDoubleCtrl::RawText() const {
    const NumberFormat f = Format();
    return DoubleRawText(value_, f.decimal, f.digits);
}

std::string CZMDoubleCtrl::DisplayText() const { return DoubleDisplayText(value_, Format(), ShowZero); }

bool CZMDoubleCtrl::ValueChanges(double value) const { return DoubleChangeTaken(value_, value, Format().digits); }

std::optional<double> CZMDoubleCtrl::RawValue() const {
    double value = 0.0;
    if (!DoubleFromRawText(RawData, Format().decimal, value)) return std::nullopt;
    return value;
}

std::optional<double> CZMDoubleCtrl::TextValue(std::string_view text) const {
    double value = 0.0;
    if (!DoubleFromText(text, Format().decimal, value)) return std::nullopt;
    return value;
}


bool CZMDoubleCtrl::PutValue(double value) {
    if (!DoubleValueAccepted(value)) return false;
    CZMNumberControl::PutValue(value);
    return true;
}

// --- Old format ----------------------------------------------------------------------------------

void CZMDoubleCtrl::ImportOldProperties(const com::Blob& flags) {
    const auto& b = flags.bytes;
    if (b.size() < 72 || ZMBlockWord(b, 4) != 70) return;
    const std::uint32_t styles = ZMBlockWord(b, 32);
    // The field holds finite values only; a damaged block gives 0 in their place.
    value_ = DoubleFromBoundValue(BlockDouble(b, 64));
    MinValue = BlockDouble(b, 48);
    MaxValue = BlockDouble(b, 56);
    IntDigits = static_cast<std::int16_t>(styles >> 16);
    Settings.decimalDigits = static_cast<std::int16_t>(ZMBlockWord(b, 36) & 0xFFFFu);
    Settings.decimal = static_cast<char>(b[38]);
    Settings.thousands = static_cast<char>(b[40]);
    ShowZero = (styles & 0x800u) == 0;
    Settings.fmtControl = (styles & 0x3000u) != 0 ? kFmtControlUser : kFmtControlWinIni;
}

// --- Reset and persistence -----------------------------------------------------------------------

void CZMDoubleCtrl::OnResetState() {
    ResetFieldState();
    if (const CZMDefaultsStore* store = ZMDefaults()) {
        Settings.fmtControl = static_cast<std::int16_t>(store->GetInt(kKindDouble, kZMKeyFmtControl, 0));
        Settings.decimalDigits = static_cast<std::int16_t>(store->GetInt(kKindDouble, kZMKeyFmtDecDigits, 3));
        IntDigits = static_cast<std::int16_t>(store->GetInt(kKindDouble, kZMKeyFmtIntDigits, 15));
        ShowZero = store->GetInt(kKindDouble, kZMKeyShowZero, 1) != 0;
        MaxValue = store->GetDouble(kKindDouble, kZMKeyMaxValue, kDoubleMaxDefault);
        MinValue = store->GetDouble(kKindDouble, kZMKeyMinValue, kDoubleMinDefault);
        std::string decimal, thousands;
        store->GetString(kKindDouble, kZMKeyFmtDecimal, &decimal, 2, ".");
        store->GetString(kKindDouble, kZMKeyFmtThousands, &thousands, 2, ",");
        Settings.decimal = decimal.empty() ? '.' : decimal[0];
        Settings.thousands = thousands.empty() ? '\0' : thousands[0];
    }
    value_ = undo_ = 0.0;
    RebuildFromValue();
    ToolTip.clear();
}

void CZMDoubleCtrl::DoPropExchange(com::PropExchange& px) {
    ExchangeFieldProps(px);
    if (px.IsOldFormat()) {
        ExchangeOldBorder(px);
        undo_ = 0.0;
    } else {
        ExchangeNumberSettings(px, std::int16_t{3}, 15);
        com::PX_Double(px, "MaxValue", MaxValue, kDoubleMaxDefault);
        com::PX_Double(px, "MinValue", MinValue, kDoubleMinDefault);
        com::PX_Double(px, "Undo", undo_);
        com::PX_Double(px, "Data", value_);
    }
    com::PX_String(px, "ToolTip", ToolTip, std::string());
    if (px.IsLoading()) {
        ApplyBorderLayout();
        // A damaged set must not leave a value the field cannot show or counts it cannot hold.
        value_ = DoubleFromBoundValue(value_);
        undo_ = DoubleFromBoundValue(undo_);
        if (IntDigits < 0 || IntDigits > kMaxDecimalDigits) IntDigits = 15;
        if (Settings.decimalDigits < 0 || Settings.decimalDigits > kMaxDecimalDigits) Settings.decimalDigits = 3;
        RebuildFromValue();
    }
    com::PX_String(px, "DataField", DataField, std::string());
}

// --- Binding ---------------------------------------------------------------------------------------

com::Variant CZMDoubleCtrl::GetBoundValue(std::int32_t) { return com::Variant::R8(value_); }

void CZMDoubleCtrl::SetBoundValue(const com::Variant& v) {
    double value = 0.0;
    switch (v.BaseType()) {
    case com::VT_I2: case com::VT_I4: case com::VT_R4: case com::VT_I1: case com::VT_UI1:
    case com::VT_UI2: case com::VT_UI4: case com::VT_INT: case com::VT_UINT: case com::VT_R8:
    case com::VT_DATE: case com::VT_BSTR: case com::VT_CY: case com::VT_BOOL: case com::VT_I8:
    case com::VT_UI8: {
        com::Variant r8;
        if (com::Succeeded(com::ChangeType(r8, v, com::VT_R8))) value = r8.AsR8();
        break;
    }
    default: break;
    }
    PutValue(DoubleFromBoundValue(value));
}

// --- Dispatch members ------------------------------------------------------------------------------

struct ZMDoubleMembers {
    using C = CZMDoubleCtrl;
    using N = ZMNumberMembers<CZMDoubleCtrl>;
    using Args = com::DispatchMap::Args;
    using Variant = com::Variant;

    static double DoubleOf(const C& c, const Variant& v) {
        Variant n;
        if (com::Failed(com::ChangeType(n, v, com::VT_R8)) || !DoubleValueAccepted(n.AsR8())) N::Refuse(c, 0, 0);
        return n.AsR8();
    }
    static void AddLimit(N::Table& t, const char* name, double C::*member, com::DispId id) {
        t.Property(name, com::VT_R8, {}, [member](C& c, Args) { return Variant::R8(c.*member); },
                   [member, id](C& c, Args, const Variant& v) {
                       c.*member = DoubleOf(c, v);
                       N::Changed(c, id);
                   });
    }
    static void AddValue(N::Table& t) {
        t.Property("Value", com::VT_R8, {}, [](C& c, Args) { return Variant::R8(c.value_); },
                   [](C& c, Args, const Variant& v) { c.PutValue(DoubleOf(c, v)); });
    }
    static com::DispatchTable<C> Build() {
        com::DispatchTable<C> t("ZMTEXT.ZMDoubleCtrl.1");
        N::AddShowZero(t);
        N::AddDataSource(t, kDoubleDataSource);
        C::AddFontName(t);
        C::AddFontBold(t);
        C::AddFontItalic(t);
        C::AddFontStrikeThru(t);
        N::AddModified(t, -392104, kDoubleModified);
        N::AddSelection(t, kDoubleSelLength);
        N::AddFlag(t, "AutoScroll", &C::AutoScroll, 136, -392145, kDoubleAutoScroll);
        N::AddBorderEffect(t, -392143, kDoubleBorderEffect);
        N::AddDataProperty(t, 2, 138, -392138, kDoubleDataProperty);
        N::AddDisplayOnly(t, -392136, kDoubleDisplayOnly);
        N::AddFlag(t, "EOLTab", &C::EOLTab, 140, -392132, kDoubleEOLTab);
        N::AddFlag(t, "ErrorBeep", &C::ErrorBeep, 141, -392130, kDoubleErrorBeep);
        N::AddFlag(t, "FocusSelect", &C::FocusSelect, 142, -392124, kDoubleFocusSelect);
        N::AddInsert(t, -392109, kDoubleInsert);
        N::AddJustification(t, -392108, kDoubleJustification);
        N::AddRawData(t, -392097, kDoubleRawData);
        N::AddFmtControl(t, 1, 163, -392129, kDoubleFmtControl);
        AddValue(t);
        AddLimit(t, "MaxValue", &C::MaxValue, kDoubleMaxValue);
        AddLimit(t, "MinValue", &C::MinValue, kDoubleMinValue);
        N::AddFmtDecimal(t, -392127, kDoubleFmtDecimal);
        N::AddFmtThousands(t, -392125, kDoubleFmtThousands, false);
        N::AddFmtIntDigits(t, 0, 15, 164, -392126, kDoubleFmtIntDigits);
        N::AddFmtDecDigits(t, 15, 165, -392128, kDoubleFmtDecDigits);
        C::AddFontSize(t);
        C::AddFontUnderline(t);
        N::AddReadOnly(t, kDoubleReadOnly);
        N::AddPointerToDataChanged(t, kDoubleMousePointer);
        N::AddTextBorderAndStock(t);
        return t;
    }
};

const com::DispatchMap& CZMDoubleCtrl::DispatchMembers() {
    static const com::DispatchTable<CZMDoubleCtrl> table = ZMDoubleMembers::Build();
    return table.Map();
}

std::vector<com::FuncDesc> CZMDoubleCtrl::EventMembers() {
    return ZMEditFieldEvents({{"Change", kDoubleChange}, {"EndOfLine", kDoubleEndOfLine}, {"InvalidKey", kDoubleInvalidKey},
                           {"Invalid", kDoubleInvalid}, {"OutOfRange", kDoubleOutOfRange}});
}

namespace {

const ZMClassRegistrar kDoubleRegistrar(ZMControlFactory{
    ZMControlKind::Double,
    com::CreatorOf<CZMDoubleCtrl>(),
    ZMDescribeMembers(CZMDoubleCtrl::DispatchMembers()), CZMDoubleCtrl::EventMembers()});

}  // namespace
}  // namespace zmtext
