// CZMTimeCtrl: the library's time field (coclass sitmEdit, ProgID "ZMTEXT.ZMTimeCtrl.1").
//
// The field keeps a time of day as seconds since midnight (0..86399, -1 for the empty field,
// zmtext/values/time_values.h). The user types the digits of hours, minutes and seconds, and
// on a 12-hour clock an a/p letter, into a fixed pattern ("__:__:__-_"); the typed parts are
// judged at focus loss: hours above 23 or minutes or seconds above 59 raise Invalid, a time
// outside MinValue..MaxValue raises OutOfRange. Texts follow the format properties or, where
// they say so, WIN.INI's [intl] time settings, read at every use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zmtext/controls/date_time_members.h"
#include "zmtext/values/time_values.h"

namespace zmtext {

// The control's own DISPIDs (its dispatch table's order).
enum ZMTimeDispId : com::DispId {
    kTimeDataSource = 1, kTimeFontName, kTimeFontBold, kTimeFontItalic, kTimeFontStrikeThru,
    kTimeFontUnderline, kTimeAutoScroll, kTimeModified, kTimeSelLength, kTimeSelStart, kTimeSelText,
    kTimeMaxValue, kTimeMinValue, kTimeValue, kTimeBorderEffect, kTimeDataProperty, kTimeDisplayOnly,
    kTimeEOLTab, kTimeErrorBeep, kTimeFillChar, kTimeFocusSelect, kTimeInsert, kTimeRawData,
    kTimeFmtControl, kTimeFontSize, kTimeJustification, kTimeReadOnly, kTimeMousePointer,
    kTimeMouseIcon, kTimeFmtSeparator, kTimeFmtLeadingZero, kTimeFmtSeconds, kTimeFmtHours,
    kTimeFmtAM, kTimeFmtPM, kTimeHdnHeight, kTimeHdnWidth, kTimeHdnDataPropCount, kTimeToolTip,
    kTimeDataField, kTimeDataChanged, kTimeBoundDateMode, kTimeBoundDate,
};

// Events of _DZMTimeEvents (numbered apart from the date field's).
enum ZMTimeEventId : com::DispId {
    kTimeEndOfLine = 1, kTimeInvalidKey = 2, kTimeChange = 3, kTimeInvalid = 4, kTimeOutOfRange = 5,
};

class CZMTimeCtrl final : public CZMDateTimeField<CZMTimeCtrl, std::int32_t> {
public:
    CZMTimeCtrl();

    static const com::DispatchMap& DispatchMembers();
    static std::vector<com::FuncDesc> EventMembers();
    static ctl::ControlClassInfo TimeClassInfo();

    // --- Engine operations ---------------------------------------------------------------------
    bool IsValidKey() override;
    bool IsValidValue() override;
    bool IsInRange() override { return MinValue <= value_ && value_ <= MaxValue; }
    void ImportOldProperties(const com::Blob& block) override;

    // --- Framework -----------------------------------------------------------------------------
    void OnResetState() override;
    void DoPropExchange(com::PropExchange& px) override;

    // --- Binding -------------------------------------------------------------------------------
    com::Variant GetBoundValue(std::int32_t columnType) override;
    void SetBoundValue(const com::Variant& value) override;

    // --- Properties ----------------------------------------------------------------------------
    std::int32_t GetValue() const { return value_; }
    // The Value sequence; false (nothing changed) for a number outside -1..86399.
    bool PutValue(std::int32_t value);
    ZMTimeFormat Format() const;
    // The time's conversions the family's value code is built on.
    // The positions the field shows while edited.
    std::string EditPattern() const { return ZMTimePattern(Format(), FillChar); }
    std::string FullRawText() const { return ZMFormatTimeRaw(value_, Format(), FillChar); }
    // A value that is no time of day shows, and from then on is, the empty time.
    std::string DisplayText();
    std::int32_t ParsedRaw() const { return ZMParseTimeRaw(RawData, Format(), FillChar); }
    std::int32_t TextValue(std::string_view text) const { return ZMParseTimeText(text, Format().separator); }
    std::optional<std::int32_t> RawTextValue(std::string_view text) const { return ZMParseTimeRawData(text, FillChar); }
    static std::int32_t NumberOf(std::int32_t seconds) { return seconds; }
    // The raw text's length in the present format: four to seven characters.
    std::size_t FullRawLength() const { return ZMFormatTimeRaw(kTimeEmpty, Format(), FillChar).size(); }

private:
    friend class ZMTimeMembers;

    std::int32_t MinValue = kTimeEmpty, MaxValue = kTimeMaximum;
    std::int16_t FmtHours = 0, FmtSeconds = 0, FmtLeadingZero = 0;
    std::string FmtAM = "AM", FmtPM = "PM";
    std::int16_t BoundDateMode = 0;
    double BoundDate = 0;   // a type-0 day number
};

}  // namespace zmtext
