// Dates of the date control as calendar triples and as day numbers of its two date types.
//
// A date is a month/day/year triple of 16-bit numbers; month = day = year = 0 is the blank date
// (an empty field). A triple may hold what the user typed (month 13, day 31 of April): the
// conversions below say what each such triple becomes, and ZMIsValidDate tells a real date.
//
// Day numbers (signed 32-bit):
//   type 0  days since 1899-12-30 (the OLE date count), 0100-01-01 .. 9999-12-31;
//   type 1  the same count less 29220 (day 0 is 1979-12-31), 1899-12-31 .. 2065-11-17, so that
//           every number fits 16 bits.
// Each type has a blank value (the blank date) and an error value (a triple that is no date of
// the type), both outside its limits.
//
// Invariants:
//   1. ZMDateToDayNumber returns the blank value, the error value, or a number within the
//      type's limits; so a control's Value never returns a number its own setter refuses.
//   2. ZMDayNumberToDate(t, ZMDateToDayNumber(t, d)) == d for every valid date d of type t, and
//      ZMDateToDayNumber(t, ZMDayNumberToDate(t, n)) == n for every n within the limits, except
//      the type-1 minimum: 1899-12-31 lies outside the years 1900..2065 that type 1 accepts.
#pragma once

#include <cstdint>
#include <optional>

namespace zmtext {

// The date types (DateType property).
enum ZMDateType : int { kDateTypeVisualBasic = 0, kDateTypeHalvern = 1 };

struct ZMDate {
    std::int16_t month = 0, day = 0, year = 0;

    bool IsBlank() const { return month == 0 && day == 0 && year == 0; }
    friend bool operator==(const ZMDate&, const ZMDate&) = default;
};

// The numbers of a date type. A new control's MinValue and MaxValue are `newMinimum` and
// `newMaximum`: for type 1 they lie 20 days inside the limits.
struct ZMDateTypeLimits {
    std::int32_t blank, error, minimum, maximum, newMinimum, newMaximum;
};

// The limits of type 0, or of type 1 for any other type.
const ZMDateTypeLimits& ZMDateLimits(int dateType);

// Whether `number` lies within the type's minimum..maximum.
bool ZMIsDayNumberInRange(int dateType, std::int32_t number);

// The day number of a triple: the blank value for the blank date; the error value for a month
// outside 1..12, a year outside the type's years (100..9999, 1900..2065) or a number outside the
// type's limits. The day is not checked against the month: 31 April is 1 May.
std::int32_t ZMDateToDayNumber(int dateType, int month, int day, int year);
std::int32_t ZMDateToDayNumber(int dateType, const ZMDate& date);

// The triple of a day number; the blank date for the blank value and for any number outside the
// type's limits (the error value among them).
ZMDate ZMDayNumberToDate(int dateType, std::int32_t number);

// A real date of the type: month 1..12, day 1..the month's length, and a day number that is not
// the error value. The blank date is not valid.
bool ZMIsValidDate(int dateType, const ZMDate& date);

// minimum <= value <= maximum, compared as day numbers of the type.
bool ZMIsDateInRange(int dateType, const ZMDate& value, const ZMDate& minimum, const ZMDate& maximum);

// Today from the clock in force (platform/win/clock.h).
ZMDate ZMGetToday();

// ----- OLE dates of bound columns ---------------------------------------------------------------
// An OLE date's whole part is the day (type-0 day number) and its fraction the time of day,
// counted forward from midnight whatever the sign: -1.25 is 1899-12-29 06:00. So the time is
// |x - trunc(x)|, and a day and a time compose as day + time, or day - time for a negative day.

struct ZMOleDateParts {
    double day = 0;              // a whole number, range unchecked
    std::int32_t seconds = 0;    // 0..86399
};

// Splits an OLE date into its day and the time of day rounded to the nearest second (a time that
// rounds up to midnight moves to the next day). Nothing for a NaN or infinity.
std::optional<ZMOleDateParts> ZMSplitOleDate(double value);

// The OLE date of a day and `seconds` (0..86399) of that day.
double ZMComposeOleDate(double day, std::int32_t seconds);

}  // namespace zmtext
