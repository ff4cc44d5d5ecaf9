// CZMDateCtrl: the library's date field (coclass sidtEdit, ProgID "ZMTEXT.ZMDateCtrl.1").
//
// The field keeps its date as a month/day/year triple (zmtext/values/date_values.h) and
// exchanges it as a day number of its DateType: type 0 counts days from 1899-12-30, type 1 from
// 1979-12-31. The user types the eight digits of a date into a fixed pattern ("__/__/____");
// the triple is taken as typed and judged at focus loss: a triple that is no date of the type
// raises Invalid, one outside MinValue..MaxValue raises OutOfRange. While the triple is no date
// (31 April as typed) Value reads as the type's error value, never as a neighbouring date.
//
// Saved properties always hold type-0 day numbers, whatever the DateType, so a change of the
// type never changes a stored date.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zmtext/controls/date_time_members.h"
#include "zmtext/values/date_format.h"

namespace zmtext {

// The control's own DISPIDs (its dispatch table's order).
enum ZMDateDispId : com::DispId {
    kDateDataSource = 1, kDateFontName, kDateFontBold, kDateFontItalic, kDateFontUnderline,
    kDateAutoScroll, kDateModified, kDateSelLength, kDateSelStart, kDateSelText, kDateFmtSeparator,
    kDateBorderEffect, kDateDataProperty, kDateDisplayOnly, kDateEOLTab, kDateErrorBeep,
    kDateFillChar, kDateFocusSelect, kDateInsert, kDateRawData, kDateFmtControl, kDateFontSize,
    kDateJustification, kDateReadOnly, kDateMousePointer, kDateMouseIcon, kDateFmtDay,
    kDateFmtMonth, kDateFmtYear, kDateFontStrikeThru, kDateHdnHeight, kDateHdnWidth,
    kDateHdnDataPropCount, kDateMaxValue, kDateMinValue, kDateValue, kDateDateType, kDateToolTip,
    kDateDataField, kDateDataChanged, kDateBoundTimeMode, kDateBoundTime,
};

// Events of _DZMDateEvents.
enum ZMDateEventId : com::DispId {
    kDateChange = 1, kDateEndOfLine = 2, kDateInvalidKey = 3, kDateInvalid = 4, kDateOutOfRange = 5,
};

class CZMDateCtrl final : public CZMDateTimeField<CZMDateCtrl, ZMDate> {
public:
    CZMDateCtrl();

    static const com::DispatchMap& DispatchMembers();
    static std::vector<com::FuncDesc> EventMembers();
    static ctl::ControlClassInfo DateClassInfo();

    // --- Engine operations ---------------------------------------------------------------------
    bool IsValidKey() override;
    bool IsValidValue() override;
    bool IsInRange() override;
    void ImportOldProperties(const com::Blob& block) override;

    // --- Framework -----------------------------------------------------------------------------
    void OnResetState() override;
    void DoPropExchange(com::PropExchange& px) override;

    // --- Binding -------------------------------------------------------------------------------
    com::Variant GetBoundValue(std::int32_t columnType) override;
    void SetBoundValue(const com::Variant& value) override;

    // --- Properties ----------------------------------------------------------------------------
    // The day number of the value, or the type's blank or error value.
    std::int32_t GetValue() const { return NumberOf(value_); }
    std::int32_t GetMinValue() const { return NumberOf(min_); }
    std::int32_t GetMaxValue() const { return NumberOf(max_); }
    const ZMDate& GetDate() const { return value_; }
    int GetDateType() const { return DateType; }
    // The Value sequence; false (nothing changed) for a number outside the type's limits that
    // is not its blank value.
    bool PutValue(std::int32_t number);
    void PutDateType(int type);
    std::int32_t GetBoundTimeSeconds() const;
    ZMDateFormat Format() const;
    // The date's conversions the family's value code is built on.
    std::string EditPattern() const { return ZMDatePattern(Format(), FillChar); }
    std::string FullRawText() const { return ZMFormatDateRaw(value_, Format(), FillChar, false); }
    std::string DisplayText() const { return ZMFormatDateText(value_, Format(), FillChar); }
    ZMDate ParsedRaw() const { return ZMParseDateRaw(RawData, Format().order, FillChar, value_); }
    ZMDate TextValue(std::string_view text) const;
    // A raw text has the eight characters of every format, or none.
    std::optional<ZMDate> RawTextValue(std::string_view text) const;
    // The day number of `date`, or the type's blank or error value.
    std::int32_t NumberOf(const ZMDate& date) const;
    // A date's raw text has eight characters in every format.
    static constexpr std::size_t FullRawLength() { return 8; }

private:
    friend class ZMDateMembers;

    ZMDateFormatProps FormatProps() const;

    std::int16_t FmtControl = 0, FmtDay = 1, FmtMonth = 1, FmtYear = 2, DateType = 1;
    ZMDate min_, max_;
    std::int16_t BoundTimeMode = 0;
    double BoundTime = 0;   // a fraction of a day
};

}  // namespace zmtext
