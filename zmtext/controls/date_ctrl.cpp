// The date field's value rules (pattern, keys, texts, undo), the Value sequence and the DateType
// change, its reset from the defaults store, its persistence and its binding.
#include "zmtext/controls/date_ctrl.h"

#include <algorithm>
#include <cmath>

#include <QWidget>

#include "platform/ctl/services.h"
#include "platform/win/cp1252.h"
#include "zmtext/module/app.h"
#include "zmtext/module/classes.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"

namespace zmtext {
namespace {

constexpr double kSecondsPerDay = 86400.0;

// String ids of the defaults keys the date control reads beside the common ones.
enum DateDefaultsKey : int {
    kKeyFillChar = 134, kKeyFmtControl = 150, kKeyMaxValue = 157, kKeyMinValue = 158,
    kKeyFmtSeparator = 187, kKeyFmtDay = 193, kKeyFmtMonth = 194, kKeyFmtYear = 195,
    kKeyDateType = 240, kKeyBoundTimeMode = 253,
    kKeyBoundTime = 254,
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
std::uint16_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

}  // namespace

CZMDateCtrl::CZMDateCtrl()
    : CZMDateTimeField(DateClassInfo(),
                    ZMEditControlIds{.change = kDateChange, .endOfLine = kDateEndOfLine,
                                     .invalidKey = kDateInvalidKey, .invalid = kDateInvalid,
                                     .outOfRange = kDateOutOfRange, .rawData = kDateRawData,
                                     .value = kDateValue, .toolTip = kDateToolTip, .fontName = kDateFontName,
                                     .fontBold = kDateFontBold, .fontItalic = kDateFontItalic,
                                     .fontSize = kDateFontSize, .fontUnderline = kDateFontUnderline,
                                     .fontStrikeThru = kDateFontStrikeThru}, kDateDataSource) {
    SetFieldKind(ZMControlKind::Date);
    FillChar = '_';
    DataProperty = 2;
    max_ = ZMDayNumberToDate(kDateTypeHalvern, ZMDateLimits(kDateTypeHalvern).newMaximum);
    min_ = ZMDayNumberToDate(kDateTypeHalvern, ZMDateLimits(kDateTypeHalvern).newMinimum);
    RebuildTexts();
    if (const auto size = ZMDefaultSize(ZMControlKind::Date)) SetInitialSize(*size);
    ADBHelper::SetDataChanged(false);
}

ctl::ControlClassInfo CZMDateCtrl::DateClassInfo() {
    return ZMEditFieldClassInfo(ZMControlKind::Date, {"CZMDatePropPage", "CZMDateValPropPage", "CZMTextPropPage"});
}

// --- Format and texts ----------------------------------------------------------------------------

ZMDateFormatProps CZMDateCtrl::FormatProps() const {
    return {FmtControl, FmtDay, FmtMonth, FmtYear, FmtSeparator};
}

ZMDateFormat CZMDateCtrl::Format() const { return ZMResolveDateFormat(FormatProps()); }

std::int32_t CZMDateCtrl::NumberOf(const ZMDate& date) const {
    if (date.IsBlank()) return ZMDateLimits(DateType).blank;
    // A typed triple that is no date (31 April) has no number of its own.
    if (!ZMIsValidDate(DateType, date)) return ZMDateLimits(DateType).error;
    return ZMDateToDayNumber(DateType, date);
}

bool CZMDateCtrl::IsValidKey() { return IsDigit(TypedChar) || TypedChar == ' '; }
bool CZMDateCtrl::IsValidValue() { return ZMIsValidDate(DateType, value_); }
bool CZMDateCtrl::IsInRange() { return ZMIsDateInRange(DateType, value_, min_, max_); }

ZMDate CZMDateCtrl::TextValue(std::string_view text) const {
    return ZMParseDateText(text, Format(), value_, ZMGetToday().year);
}

std::optional<ZMDate> CZMDateCtrl::RawTextValue(std::string_view text) const {
    if (!text.empty() && text.size() != 8) return std::nullopt;
    return ZMParseDateRaw(ZMWithoutTrailingFill(std::string(text), FillChar), Format().order, FillChar, value_);
}

// --- Properties ----------------------------------------------------------------------------------

bool CZMDateCtrl::PutValue(std::int32_t number) {
    const ZMDateTypeLimits& limits = ZMDateLimits(DateType);
    if (number != limits.blank && !ZMIsDayNumberInRange(DateType, number)) return false;
    if (number == GetValue()) return true;
    TakeSetValue(ZMDayNumberToDate(DateType, number));
    return true;
}

void CZMDateCtrl::PutDateType(int type) {
    const ZMDateTypeLimits& halvern = ZMDateLimits(kDateTypeHalvern);
    const ZMDateTypeLimits& vb = ZMDateLimits(kDateTypeVisualBasic);
    const std::int32_t oldMax = GetMaxValue();
    const std::int32_t oldMin = GetMinValue();
    const int oldType = DateType;
    DateType = static_cast<std::int16_t>(type);
    SetModifiedFlag();
    if (type == kDateTypeHalvern) {
        if (!ZMIsDayNumberInRange(kDateTypeHalvern, ZMDateToDayNumber(kDateTypeHalvern, max_)))
            max_ = ZMDayNumberToDate(kDateTypeHalvern, halvern.newMaximum);
        if (!ZMIsDayNumberInRange(kDateTypeHalvern, ZMDateToDayNumber(kDateTypeHalvern, min_)))
            min_ = ZMDayNumberToDate(kDateTypeHalvern, halvern.newMinimum);
        // The value moves inside the limits; compared as type-0 numbers, which every year has.
        if (value_.month != 0 && value_.day != 0 && value_.year != 0) {
            const std::int32_t m = ZMDateToDayNumber(kDateTypeVisualBasic, value_);
            ZMDate moved = value_;
            if (m > ZMDateToDayNumber(kDateTypeVisualBasic, max_)) moved = max_;
            else if (m < ZMDateToDayNumber(kDateTypeVisualBasic, min_)) moved = min_;
            if (!(moved == value_)) {
                value_ = moved;
                RebuildTexts();
                InvalidateField();
                BoundPropertyChanged(kDateValue);
                ADBHelper::SetDataChanged(true);
            }
        }
    } else if (oldType == kDateTypeHalvern) {
        if (oldMax == halvern.newMaximum) max_ = ZMDayNumberToDate(kDateTypeVisualBasic, vb.maximum);
        if (oldMin == halvern.newMinimum) min_ = ZMDayNumberToDate(kDateTypeVisualBasic, vb.minimum);
    }
    BoundPropertyChanged(kDateDateType);
}

std::int32_t CZMDateCtrl::GetBoundTimeSeconds() const {
    return static_cast<std::int32_t>((BoundTime + 1.0 / 172800.0) * kSecondsPerDay);
}

// --- Old format ------------------------------------------------------------------------------------

void CZMDateCtrl::ImportOldProperties(const com::Blob& block) {
    const auto& b = block.bytes;
    if (b.size() < 0x46 || Word(b, 4) != 70) return;
    const std::uint32_t flags = Word(b, 0x20) | (static_cast<std::uint32_t>(Word(b, 0x22)) << 16);
    const unsigned day = flags & 0xF;
    FmtDay = static_cast<std::int16_t>(day == 0 ? 0 : day == 2 ? 2 : 1);
    const unsigned month = flags & 0xF0;
    FmtMonth = static_cast<std::int16_t>(month == 0 ? 0 : month > 0x40 ? 1 : month >> 4);
    const unsigned year = flags & 0xF00;
    FmtYear = static_cast<std::int16_t>(year == 0 ? 0 : year == 0x200 ? 1 : 2);
    if (flags & 0x8000u) {
        FmtControl = 0;
    } else {
        const unsigned order = flags & 0x3000;
        FmtControl = static_cast<std::int16_t>(order == 0 ? 1 : order == 0x1000 ? 2 : order == 0x2000 ? 3 : 0);
    }
    FmtSeparator = static_cast<char>((flags >> 16) & 0xFF);
    auto triple = [&](std::size_t at) {
        return ZMDate{static_cast<std::int16_t>(Word(b, at)), static_cast<std::int16_t>(Word(b, at + 2)),
                      static_cast<std::int16_t>(Word(b, at + 4))};
    };
    min_ = triple(0x24);
    max_ = triple(0x2A);
    value_ = triple(0x40);
}

// --- Reset and persistence -----------------------------------------------------------------------

void CZMDateCtrl::OnResetState() {
    ResetFieldState();
    // Without the store the same fallbacks stand, so a new field always starts inside type 1.
    const CZMDefaultsStore* store = ZMDefaults();
    auto number = [&](int key, int fallback) {
        return static_cast<std::int16_t>(store ? store->GetInt(kKindDate, key, fallback) : fallback);
    };
    FmtControl = std::clamp<std::int16_t>(number(kKeyFmtControl, 0), 0, 3);
    FmtDay = std::clamp<std::int16_t>(number(kKeyFmtDay, 1), 0, 2);
    FmtMonth = std::clamp<std::int16_t>(number(kKeyFmtMonth, 1), 0, 4);
    FmtYear = std::clamp<std::int16_t>(number(kKeyFmtYear, 2), 0, 2);
    BoundTimeMode = std::clamp<std::int16_t>(number(kKeyBoundTimeMode, 0), 0, 1);
    const double boundTime = store ? store->GetDouble(kKindDate, kKeyBoundTime, 0.0) : 0.0;
    BoundTime = std::isfinite(boundTime) ? std::clamp(boundTime, 0.0, 86399.0 / kSecondsPerDay) : 0.0;
    DateType = std::clamp<std::int16_t>(number(kKeyDateType, 1), 0, 1);
    // Both limits are kept as type-0 day numbers, whatever the type.
    max_ = ZMDayNumberToDate(kDateTypeVisualBasic, store ? store->GetLong(kKindDate, kKeyMaxValue, 60568) : 60568);
    min_ = ZMDayNumberToDate(kDateTypeVisualBasic, store ? store->GetLong(kKindDate, kKeyMinValue, 21) : 21);
    FillChar = DefaultChar(store, kKindDate, kKeyFillChar, "_");
    FmtSeparator = DefaultChar(store, kKindDate, kKeyFmtSeparator, "-");
    BorderStyle = 1;
    ApplyBorderLayout();
    value_ = undo_ = ZMDate{};
    RebuildTexts();
    ADBHelper::SetDataChanged(false);
    ToolTip.clear();
}

void CZMDateCtrl::DoPropExchange(com::PropExchange& px) {
    ExchangeFieldProps(px);
    ExchangeFillAndSeparator(px, 45);
    if (!px.IsOldFormat()) {
        com::PX_Short(px, "FmtControl", FmtControl, std::int16_t{0});
        com::PX_Short(px, "FmtDay", FmtDay, std::int16_t{1});
        com::PX_Short(px, "FmtMonth", FmtMonth, std::int16_t{1});
        com::PX_Short(px, "FmtYear", FmtYear, std::int16_t{2});
    }
    com::PX_Short(px, "DateType", DateType, std::int16_t{1});
    com::PX_String(px, "ToolTip", ToolTip, std::string());
    if (px.IsLoading() && px.IsOldFormat()) {
        undo_ = ZMDayNumberToDate(kDateTypeVisualBasic, 0);
    } else {
        // The stream holds type-0 numbers, whatever the type.
        const ZMDateTypeLimits& vb = ZMDateLimits(kDateTypeVisualBasic);
        const std::pair<const char*, ZMDate*> dates[] = {{"Date", &value_}, {"Undo", &undo_}};
        for (const auto& [name, date] : dates) {
            std::int32_t n = ZMDateToDayNumber(kDateTypeVisualBasic, *date);
            com::PX_Long(px, name, n, std::int32_t{0});
            if (px.IsLoading()) *date = ZMDayNumberToDate(kDateTypeVisualBasic, n);
        }
        std::int32_t maxNumber = ZMDateToDayNumber(kDateTypeVisualBasic, max_);
        std::int32_t minNumber = ZMDateToDayNumber(kDateTypeVisualBasic, min_);
        com::PX_Long(px, "MaxValue", maxNumber, vb.maximum);
        com::PX_Long(px, "MinValue", minNumber, vb.minimum);
        if (px.IsLoading()) {
            max_ = ZMDayNumberToDate(kDateTypeVisualBasic, maxNumber);
            min_ = ZMDayNumberToDate(kDateTypeVisualBasic, minNumber);
        }
    }
    com::PX_String(px, "DataField", DataField, std::string());
    com::PX_Short(px, "BoundTimeMode", BoundTimeMode, std::int16_t{0});
    com::PX_Double(px, "BoundTime", BoundTime, 0.0);
    if (px.IsLoading()) {
        // A damaged set must not leave the field outside its enumerations.
        DateType = std::clamp<std::int16_t>(DateType, 0, 1);
        BoundTimeMode = std::clamp<std::int16_t>(BoundTimeMode, 0, 1);
        if (!std::isfinite(BoundTime) || BoundTime < 0 || BoundTime >= 1) BoundTime = 0;
        FinishLoading();
    }
}

// --- Binding ---------------------------------------------------------------------------------------

com::Variant CZMDateCtrl::GetBoundValue(std::int32_t columnType) {
    const std::int32_t day = GetValue();
    const bool dated = !value_.IsBlank() && ZMIsValidDate(DateType, value_);
    const double withTime = dated ? ZMComposeOleDate(day, GetBoundTimeSeconds()) : day;
    switch (columnType) {
    case com::VT_R4: return com::Variant::R4(static_cast<float>(withTime));
    case com::VT_R8: return com::Variant::R8(withTime);
    case com::VT_DATE: return com::Variant::FromDate(com::Date{withTime});
    default: return com::Variant::I4(day);
    }
}

void CZMDateCtrl::SetBoundValue(const com::Variant& value) {
    const ZMDateTypeLimits& limits = ZMDateLimits(DateType);
    std::int32_t day = limits.blank;
    const com::Variant& v = value.Deref();
    switch (v.BaseType()) {
    case com::VT_I2: case com::VT_I4: case com::VT_I1: case com::VT_UI1: case com::VT_UI2:
    case com::VT_UI4: case com::VT_INT: case com::VT_UINT: {
        const std::int64_t n = v.AsInteger();
        if (n >= limits.minimum && n <= limits.maximum) day = static_cast<std::int32_t>(n);
        break;
    }
    case com::VT_R4: case com::VT_R8: case com::VT_DATE: {
        const double x = v.BaseType() == com::VT_R4 ? v.AsR4() : v.BaseType() == com::VT_R8 ? v.AsR8() : v.AsDate().days;
        const auto parts = ZMSplitOleDate(x);
        if (parts && parts->day >= limits.minimum && parts->day <= limits.maximum) {
            day = static_cast<std::int32_t>(parts->day);
            if (BoundTimeMode == 0) BoundTime = parts->seconds / kSecondsPerDay;
        }
        break;
    }
    case com::VT_BSTR: case com::VT_I8: case com::VT_UI8: {
        com::Variant n;
        if (com::Succeeded(com::ChangeType(n, v, com::VT_I4)) && ZMIsDayNumberInRange(DateType, n.AsI4())) day = n.AsI4();
        break;
    }
    default: break;
    }
    PutValue(day);
}

}  // namespace zmtext
