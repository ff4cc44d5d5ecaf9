// The time field's value rules (pattern, keys, texts, undo), the Value sequence, its reset from
// the defaults store, its persistence and its binding.
#include "zmtext/controls/time_ctrl.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/ctl/services.h"
#include "platform/win/cp1252.h"
#include "zmtext/module/app.h"
#include "zmtext/module/classes.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"
#include "zmtext/values/date_values.h"

namespace zmtext {
namespace {


// String ids of the defaults keys the time control reads beside the common ones.
enum TimeDefaultsKey : int {
    kKeyFillChar = 134, kKeyMaxValue = 157, kKeyMinValue = 158, kKeyFmtSeparator = 187,
    kKeyFmtHours = 211, kKeyFmtSeconds = 212, kKeyFmtLeadingZero = 213, kKeyFmtAM = 217,
    kKeyFmtPM = 218, kKeyBoundDateMode = 255, kKeyBoundDate = 256,
};

std::uint16_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
// A zero-terminated text of at most `size` bytes.
std::string TextAt(const std::vector<std::uint8_t>& b, std::size_t at, std::size_t size) {
    std::string text;
    for (std::size_t i = at; i < at + size && b[i] != 0; ++i) text += static_cast<char>(b[i]);
    return text;
}
std::int32_t TimeOrEmpty(std::int64_t seconds) {
    return seconds >= kTimeEmpty && seconds <= kTimeMaximum ? static_cast<std::int32_t>(seconds) : kTimeEmpty;
}

}  // namespace

CZMTimeCtrl::CZMTimeCtrl()
    : CZMDateTimeField(TimeClassInfo(),
                    ZMEditControlIds{.change = kTimeChange, .endOfLine = kTimeEndOfLine,
                                     .invalidKey = kTimeInvalidKey, .invalid = kTimeInvalid,
                                     .outOfRange = kTimeOutOfRange, .rawData = kTimeRawData,
                                     .value = kTimeValue, .toolTip = kTimeToolTip, .fontName = kTimeFontName,
                                     .fontBold = kTimeFontBold, .fontItalic = kTimeFontItalic,
                                     .fontSize = kTimeFontSize, .fontUnderline = kTimeFontUnderline,
                                     .fontStrikeThru = kTimeFontStrikeThru}, kTimeDataSource) {
    SetFieldKind(ZMControlKind::Time);
    FillChar = '_';
    DataProperty = 2;
    RebuildTexts();
    if (const auto size = ZMDefaultSize(ZMControlKind::Time)) SetInitialSize(*size);
    ADBHelper::SetDataChanged(false);
}

ctl::ControlClassInfo CZMTimeCtrl::TimeClassInfo() {
    return ZMEditFieldClassInfo(ZMControlKind::Time, {"CZMTimePropPage", "CZMTimeValPropPage", "CZMTextPropPage"});
}

// --- Format and texts ----------------------------------------------------------------------------

ZMTimeFormat CZMTimeCtrl::Format() const {
    return ZMResolveTimeFormat({FmtSeparator, FmtHours, FmtSeconds, FmtLeadingZero, FmtAM, FmtPM});
}

std::string CZMTimeCtrl::DisplayText() {
    if (!ZMIsValidTime(value_)) value_ = kTimeEmpty;
    return ZMFormatTimeText(value_, Format());
}

bool CZMTimeCtrl::IsValidKey() {
    const int length = PatternBuffer.Length();
    const int pos = GetSelStart();
    if ((length == 10 && pos == 9) || (length == 7 && pos == 6))
        return TypedChar == 'a' || TypedChar == 'A' || TypedChar == 'p' || TypedChar == 'P';
    return (TypedChar >= '0' && TypedChar <= '9') || (TypedChar == ' ' && pos == 0);
}

// The typed parts decide: 10:75 has the number of 11:15 but is no time.
bool CZMTimeCtrl::IsValidValue() {
    return value_ != kTimeEmpty && ZMIsValidTime(value_) && ZMIsValidTimeRaw(RawData, Format(), FillChar);
}

// --- Properties ----------------------------------------------------------------------------------

bool CZMTimeCtrl::PutValue(std::int32_t value) {
    if (value < kTimeEmpty || value > kTimeMaximum) return false;
    if (value == value_) return true;
    TakeSetValue(value);
    return true;
}

// --- Old format ------------------------------------------------------------------------------------

void CZMTimeCtrl::ImportOldProperties(const com::Blob& block) {
    const auto& b = block.bytes;
    if (b.size() < 0x46 || Word(b, 4) != 70) return;
    const unsigned flags = Word(b, 0x20);
    if (flags & 0x8000u) {
        FmtHours = FmtLeadingZero = 0;
    } else {
        FmtHours = static_cast<std::int16_t>((flags & 2u) ? 2 : 1);
        FmtLeadingZero = static_cast<std::int16_t>((flags & 4u) ? 2 : 1);
    }
    FmtSeconds = static_cast<std::int16_t>(flags & 1u);
    FmtSeparator = static_cast<char>(b[0x22]);
    auto time = [&](std::size_t at) {
        return TimeOrEmpty(ZMComposeTime(Word(b, at), Word(b, at + 2), Word(b, at + 4)));
    };
    MinValue = time(0x24);
    MaxValue = time(0x2A);
    FmtAM = TextAt(b, 0x30, 6);
    FmtPM = TextAt(b, 0x36, 6);
    value_ = time(0x40);
}

// --- Reset and persistence -----------------------------------------------------------------------

void CZMTimeCtrl::OnResetState() {
    ResetFieldState();
    const CZMDefaultsStore* store = ZMDefaults();
    auto number = [&](int key, int fallback) { return store ? store->GetInt(kKindTime, key, fallback) : fallback; };
    auto text = [&](int key, const char* fallback) {
        std::string value = fallback;
        if (store) store->GetCString(kKindTime, key, &value, fallback);
        return value;
    };
    FmtHours = static_cast<std::int16_t>(std::clamp(number(kKeyFmtHours, 0), 0, 2));
    FmtSeconds = static_cast<std::int16_t>(std::clamp(number(kKeyFmtSeconds, 0), 0, 1));
    FmtLeadingZero = static_cast<std::int16_t>(std::clamp(number(kKeyFmtLeadingZero, 0), 0, 2));
    MinValue = TimeOrEmpty(store ? store->GetLong(kKindTime, kKeyMinValue, kTimeEmpty) : kTimeEmpty);
    MaxValue = TimeOrEmpty(store ? store->GetLong(kKindTime, kKeyMaxValue, kTimeMaximum) : kTimeMaximum);
    BoundDateMode = static_cast<std::int16_t>(std::clamp(number(kKeyBoundDateMode, 0), 0, 1));
    const double boundDate = store ? store->GetDouble(kKindTime, kKeyBoundDate, 0.0) : 0.0;
    BoundDate = std::isfinite(boundDate) ? std::clamp(boundDate, -657434.0, 2958465.0) : 0.0;
    FmtAM = text(kKeyFmtAM, "AM");
    FmtPM = text(kKeyFmtPM, "PM");
    FillChar = DefaultChar(store, kKindTime, kKeyFillChar, "_");
    FmtSeparator = DefaultChar(store, kKindTime, kKeyFmtSeparator, ":");
    BorderStyle = 1;
    ApplyBorderLayout();
    value_ = undo_ = 0;
    ToolTip.clear();
    RebuildTexts();
    ADBHelper::SetDataChanged(false);
}

void CZMTimeCtrl::DoPropExchange(com::PropExchange& px) {
    ExchangeFieldProps(px);
    ExchangeFillAndSeparator(px, 58);
    if (!px.IsOldFormat()) {
        com::PX_Short(px, "FmtHours", FmtHours, std::int16_t{0});
        com::PX_Short(px, "FmtSeconds", FmtSeconds, std::int16_t{0});
        com::PX_Short(px, "FmtLeadingZero", FmtLeadingZero, std::int16_t{0});
        com::PX_Long(px, "Value", value_, std::int32_t{0});
        com::PX_Long(px, "Undo", undo_, std::int32_t{0});
        com::PX_Long(px, "MinValue", MinValue, kTimeEmpty);
        com::PX_Long(px, "MaxValue", MaxValue, kTimeMaximum);
        com::PX_String(px, "FmtAM", FmtAM, std::string("AM"));
        com::PX_String(px, "FmtPM", FmtPM, std::string("PM"));
    }
    com::PX_String(px, "ToolTip", ToolTip, std::string());
    com::PX_String(px, "DataField", DataField, std::string());
    com::PX_Short(px, "BoundDateMode", BoundDateMode, std::int16_t{0});
    com::PX_Double(px, "BoundDate", BoundDate, 0.0);
    if (px.IsLoading()) {
        // A damaged set must not leave the field outside its ranges.
        FmtHours = std::clamp<std::int16_t>(FmtHours, 0, 2);
        FmtSeconds = std::clamp<std::int16_t>(FmtSeconds, 0, 1);
        FmtLeadingZero = std::clamp<std::int16_t>(FmtLeadingZero, 0, 2);
        BoundDateMode = std::clamp<std::int16_t>(BoundDateMode, 0, 1);
        value_ = TimeOrEmpty(value_);
        undo_ = TimeOrEmpty(undo_);
        MinValue = TimeOrEmpty(MinValue);
        MaxValue = TimeOrEmpty(MaxValue);
        if (!std::isfinite(BoundDate)) BoundDate = 0;
        FinishLoading();
    }
}

// --- Binding ---------------------------------------------------------------------------------------

// The empty time writes the bound date alone.
com::Variant CZMTimeCtrl::GetBoundValue(std::int32_t columnType) {
    const double withDate = ZMIsValidTime(value_) ? ZMComposeOleDate(BoundDate, value_) : BoundDate;
    switch (columnType) {
    case com::VT_R4: return com::Variant::R4(static_cast<float>(withDate));
    case com::VT_R8: return com::Variant::R8(withDate);
    case com::VT_DATE: return com::Variant::FromDate(com::Date{withDate});
    default: return com::Variant::I4(value_);
    }
}

void CZMTimeCtrl::SetBoundValue(const com::Variant& value) {
    std::int64_t seconds = kTimeEmpty;
    const com::Variant v = value.Deref();
    switch (v.BaseType()) {
    case com::VT_I2: case com::VT_I4: case com::VT_I1: case com::VT_UI1: case com::VT_UI2:
    case com::VT_UI4: case com::VT_INT: case com::VT_UINT: seconds = v.AsInteger(); break;
    case com::VT_R4: case com::VT_R8: case com::VT_DATE: {
        const double x = v.BaseType() == com::VT_R4 ? v.AsR4() : v.BaseType() == com::VT_R8 ? v.AsR8() : v.AsDate().days;
        if (const auto parts = ZMSplitOleDate(x)) {
            seconds = parts->seconds;
            if (BoundDateMode == 0) BoundDate = parts->day;
        }
        break;
    }
    case com::VT_BSTR: case com::VT_CY: case com::VT_I8: case com::VT_UI8: {
        com::Variant n;
        if (com::Succeeded(com::ChangeType(n, v, com::VT_I4))) seconds = n.AsI4();
        break;
    }
    default: break;
    }
    PutValue(TimeOrEmpty(seconds));
}

}  // namespace zmtext
