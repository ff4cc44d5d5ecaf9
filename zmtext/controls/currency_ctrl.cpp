// The money field's value rules, its reset from the defaults store, its persistence, its binding,
// its dispatch members and its entry in the library's factory list.
#include "zmtext/controls/currency_ctrl.h"

#include <cstring>

#include "platform/ctl/services.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"

namespace zmtext {
namespace {

constexpr int kKeyFmtCurrency = 177;
constexpr std::size_t kMaxSymbol = 6;

// The older control's 70-byte record: the flags word at 32 (integer digits in its high half),
// the decimal digits at 36, the decimal and thousands characters at 38 and 39, the symbol at
// 40..45 (zero-padded), MinValue, MaxValue and the value as currencies at 46, 54 and 62.
constexpr std::size_t kOldRecordSize = 70;

Currency BlockCurrency(const std::vector<std::uint8_t>& b, std::size_t at) {
    const std::uint64_t bits = ZMBlockWord(b, at) | (static_cast<std::uint64_t>(ZMBlockWord(b, at + 4)) << 32);
    return Currency{static_cast<std::int64_t>(bits)};
}

}  // namespace

CZMCurrencyCtrl::CZMCurrencyCtrl()
    : CZMNumberControl(ZMEditFieldClassInfo(ZMControlKind::Currency, {"CZMCurrencyPropPage", "CZMTextPropPage"}),
                       ZMEditControlIds{.change = kCurChange, .endOfLine = kCurEndOfLine,
                                        .invalidKey = kCurInvalidKey, .invalid = kCurInvalid,
                                        .outOfRange = kCurOutOfRange, .rawData = kCurRawData,
                                        .value = kCurValue, .toolTip = kCurToolTip, .fontName = kCurFontName,
                                        .fontBold = kCurFontBold, .fontItalic = kCurFontItalic,
                                        .fontSize = kCurFontSize, .fontUnderline = kCurFontUnderline,
                                        .fontStrikeThru = kCurFontStrikeThru},
                                        kCurrencyMax, kCurrencyMin) {
    SetFieldKind(ZMControlKind::Currency);
    if (const auto size = ZMDefaultSize(ZMControlKind::Currency)) SetInitialSize(*size);
    DataProperty = 2;
    Settings = NumberSettings{kFmtControlWinIni, '.', ',', 2};
    IntDigits = 15;
    RebuildFromValue();
}

// --- Values and texts ------------------------------------------------------------------------------

NumberFormat CZMCurrencyCtrl::Format() const { return EffectiveCurrencyFormat(Settings, ReadIntlNumberSettings()); }

std::string CZMCurrencyCtrl::RawText() const {
    const NumberFormat f = Format();
    return CurrencyToText(value_, f.decimal, f.digits);
}

std::string CZMCurrencyCtrl::DisplayText() const {
    const IntlNumberSettings intl = ReadIntlNumberSettings();
    const CurrencyLayout layout = EffectiveCurrencyLayout(Settings.fmtControl, FmtCurrency, intl);
    return CurrencyDisplayText(value_, EffectiveCurrencyFormat(Settings, intl), layout, ShowZero).text;
}

bool CZMCurrencyCtrl::ValueChanges(Currency value) const { return !(value == CurrencyAtDigits(value_, Format().digits)); }

std::optional<Currency> CZMCurrencyCtrl::RawValue() const {
    Currency value;
    if (!TextToCurrency(value, RawData, Format().decimal)) return std::nullopt;
    return value;
}

std::optional<Currency> CZMCurrencyCtrl::TextValue(std::string_view text) const {
    Currency value;
    if (!CurrencyFromText(text, Format().decimal, value)) return std::nullopt;
    return value;
}


// --- Old format ----------------------------------------------------------------------------------

void CZMCurrencyCtrl::ImportOldProperties(const com::Blob& flags) {
    const auto& b = flags.bytes;
    if (b.size() < kOldRecordSize || ZMBlockWord(b, 4) != 70) return;
    const std::uint32_t styles = ZMBlockWord(b, 32);
    IntDigits = static_cast<std::int16_t>(std::min<std::uint32_t>(styles >> 16, 15));
    Settings.decimalDigits = static_cast<std::int16_t>(std::min<std::uint32_t>(ZMBlockWord(b, 36) & 0xFFFFu, 4));
    Settings.decimal = static_cast<char>(b[38]);
    Settings.thousands = static_cast<char>(b[39]);
    FmtCurrency.assign(reinterpret_cast<const char*>(&b[40]), strnlen(reinterpret_cast<const char*>(&b[40]), kMaxSymbol));
    MinValue = BlockCurrency(b, 46);
    MaxValue = BlockCurrency(b, 54);
    value_ = BlockCurrency(b, 62);
    ShowZero = (styles & 0x800u) == 0;
    Settings.fmtControl = (styles & 0x3000u) != 0 ? static_cast<std::int16_t>(std::min<std::uint32_t>((styles & 0xFu) + 1, 11)) : 0;
}

// --- Reset and persistence -----------------------------------------------------------------------

void CZMCurrencyCtrl::OnResetState() {
    ResetFieldState();
    if (const CZMDefaultsStore* store = ZMDefaults()) {
        const int kind = kKindCurrency;
        Settings.fmtControl = static_cast<std::int16_t>(std::clamp(store->GetInt(kind, kZMKeyFmtControl, 0), 0, 11));
        Settings.decimalDigits = static_cast<std::int16_t>(std::clamp(store->GetInt(kind, kZMKeyFmtDecDigits, 2), 0, 4));
        IntDigits = static_cast<std::int16_t>(std::clamp(store->GetInt(kind, kZMKeyFmtIntDigits, 15), 0, 15));
        ShowZero = store->GetInt(kind, kZMKeyShowZero, 1) != 0;
        store->GetCString(kind, kKeyFmtCurrency, &FmtCurrency, "$");
        FmtCurrency.resize(std::min(FmtCurrency.size(), kMaxSymbol));
        auto limit = [&](int key, Currency fallback) {
            std::string text;
            store->GetCString(kind, key, &text, "");
            Currency value;
            return !text.empty() && TextToCurrency(value, text, '.') ? value : fallback;
        };
        MaxValue = limit(kZMKeyMaxValue, kCurrencyMax);
        MinValue = limit(kZMKeyMinValue, kCurrencyMin);
        std::string decimal, thousands;
        store->GetString(kind, kZMKeyFmtDecimal, &decimal, 2, ".");
        store->GetString(kind, kZMKeyFmtThousands, &thousands, 2, ",");
        Settings.decimal = decimal.empty() ? '.' : decimal[0];
        Settings.thousands = thousands.empty() ? '\0' : thousands[0];
    }
    value_ = undo_ = Currency{};
    RebuildFromValue();
    ToolTip.clear();
}

void CZMCurrencyCtrl::DoPropExchange(com::PropExchange& px) {
    ExchangeFieldProps(px);
    if (px.IsOldFormat()) {
        ExchangeOldBorder(px);
        undo_ = Currency{};
    } else {
        ExchangeNumberSettings(px, std::int16_t{2}, 15);
        com::PX_String(px, "FmtCurrency", FmtCurrency, std::string("$"));
        com::PX_Currency(px, "MaxValue", MaxValue);
        com::PX_Currency(px, "MinValue", MinValue);
        com::PX_Currency(px, "Undo", undo_);
        com::PX_Currency(px, "Data", value_);
    }
    com::PX_String(px, "ToolTip", ToolTip, std::string());
    if (px.IsLoading()) {
        ApplyBorderLayout();
        // A damaged set must not leave counts or a symbol the field cannot hold.
        if (Settings.fmtControl < 0 || Settings.fmtControl > 11) Settings.fmtControl = 0;
        if (Settings.decimalDigits < 0 || Settings.decimalDigits > 4) Settings.decimalDigits = 2;
        if (IntDigits < 0 || IntDigits > 15) IntDigits = 15;
        FmtCurrency.resize(std::min(FmtCurrency.size(), kMaxSymbol));
        RebuildFromValue();
    }
    com::PX_String(px, "DataField", DataField, std::string());
}

// --- Binding ---------------------------------------------------------------------------------------

com::Variant CZMCurrencyCtrl::GetBoundValue(std::int32_t) { return com::Variant::Cy(value_); }

void CZMCurrencyCtrl::SetBoundValue(const com::Variant& v) {
    Currency value;
    switch (v.BaseType()) {
    case com::VT_CY: value = v.AsCy(); break;
    case com::VT_I2: case com::VT_I4: case com::VT_R4: case com::VT_R8: case com::VT_DATE:
    case com::VT_BOOL: case com::VT_I1: case com::VT_UI1: case com::VT_UI2: case com::VT_UI4:
    case com::VT_I8: case com::VT_UI8: case com::VT_INT: case com::VT_UINT: case com::VT_BSTR: {
        com::Variant cy;
        if (com::Succeeded(com::ChangeType(cy, v, com::VT_CY))) value = cy.AsCy();
        break;
    }
    default: break;
    }
    PutValue(value);
}

// --- Dispatch members ------------------------------------------------------------------------------

struct ZMCurrencyMembers {
    using C = CZMCurrencyCtrl;
    using N = ZMNumberMembers<CZMCurrencyCtrl>;
    using Args = com::DispatchMap::Args;
    using Variant = com::Variant;

    static Currency CurrencyOf(const C& c, const Variant& v) {
        Variant n;
        if (com::Failed(com::ChangeType(n, v, com::VT_CY))) N::Refuse(c, 0, 0);
        return n.AsCy();
    }
    static void AddLimit(N::Table& t, const char* name, Currency C::*member, com::DispId id) {
        t.Property(name, com::VT_CY, {}, [member](C& c, Args) { return Variant::Cy(c.*member); },
                   [member, id](C& c, Args, const Variant& v) {
                       c.*member = CurrencyOf(c, v);
                       N::Changed(c, id);
                   });
    }
    static void AddFmtCurrency(N::Table& t) {
        t.Property("FmtCurrency", com::VT_BSTR, {}, [](C& c, Args) { return N::Str(c.FmtCurrency); },
                   [](C& c, Args, const Variant& v) {
                       const std::string s = N::TextOf(v);
                       if (!s.empty() && s[0] == '-') N::Refuse(c, 172, 0);
                       if (!s.empty() && s[0] >= '0' && s[0] <= '9') N::Refuse(c, 173, 0);
                       if (!s.empty() && s[0] == c.Settings.decimal) N::Refuse(c, 174, 0);
                       if (s.size() > kMaxSymbol) N::Refuse(c, 175, 0);
                       c.FmtCurrency = s;
                       c.FormatText();
                       c.InvalidateField();
                       N::Changed(c, kCurFmtCurrency);
                   });
    }
    static void AddValue(N::Table& t) {
        t.Property("Value", com::VT_CY, {}, [](C& c, Args) { return Variant::Cy(c.value_); },
                   [](C& c, Args, const Variant& v) { c.PutValue(CurrencyOf(c, v)); });
    }
    static com::DispatchTable<C> Build() {
        com::DispatchTable<C> t("ZMTEXT.ZMCurrencyCtrl.1");
        N::AddShowZero(t, kCurShowZero);
        N::AddDataSource(t, kCurDataSource);
        C::AddFontName(t);
        C::AddFontBold(t);
        C::AddFontItalic(t);
        C::AddFontStrikeThru(t);
        C::AddFontUnderline(t);
        N::AddModified(t, 0, kCurModified);
        N::AddSelection(t, kCurSelLength);
        N::AddFlag(t, "AutoScroll", &C::AutoScroll, 136, 0, kCurAutoScroll);
        N::AddBorderEffect(t, 0, kCurBorderEffect);
        N::AddDataProperty(t, 2, 138, 0, kCurDataProperty);
        N::AddDisplayOnly(t, 0, kCurDisplayOnly);
        N::AddFlag(t, "EOLTab", &C::EOLTab, 140, 0, kCurEOLTab);
        N::AddFlag(t, "ErrorBeep", &C::ErrorBeep, 141, 0, kCurErrorBeep);
        N::AddFlag(t, "FocusSelect", &C::FocusSelect, 142, 0, kCurFocusSelect);
        N::AddInsert(t, 0, kCurInsert);
        N::AddRawData(t, 0, kCurRawData);
        N::AddFmtControl(t, 11, 179, 0, kCurFmtControl);
        C::AddFontSize(t);
        AddFmtCurrency(t);
        N::AddFmtDecDigits(t, 4, 178, 0, kCurFmtDecDigits);
        N::AddFmtDecimal(t, 0, kCurFmtDecimal);
        N::AddFmtIntDigits(t, 0, 15, 164, 0, kCurFmtIntDigits);
        N::AddFmtThousands(t, 0, kCurFmtThousands, false);
        N::AddJustification(t, 0, kCurJustification);
        N::AddBorderStyle(t);
        AddValue(t);
        AddLimit(t, "MinValue", &C::MinValue, kCurMinValue);
        AddLimit(t, "MaxValue", &C::MaxValue, kCurMaxValue);
        N::AddText(t);
        N::AddReadOnly(t, kCurReadOnly);
        N::AddPointerToDataChanged(t, kCurMousePointer, true);
        N::AddStock(t);
        return t;
    }
};

const com::DispatchMap& CZMCurrencyCtrl::DispatchMembers() {
    static const com::DispatchTable<CZMCurrencyCtrl> table = ZMCurrencyMembers::Build();
    return table.Map();
}

std::vector<com::FuncDesc> CZMCurrencyCtrl::EventMembers() {
    return ZMEditFieldEvents({{"Change", kCurChange}, {"EndOfLine", kCurEndOfLine}, {"InvalidKey", kCurInvalidKey},
                           {"Invalid", kCurInvalid}, {"OutOfRange", kCurOutOfRange}});
}

namespace {

const ZMClassRegistrar kCurrencyRegistrar(ZMControlFactory{
    ZMControlKind::Currency,
    com::CreatorOf<CZMCurrencyCtrl>(),
    ZMDescribeMembers(CZMCurrencyCtrl::DispatchMembers()), CZMCurrencyCtrl::EventMembers()});

}  // namespace
}  // namespace zmtext
