// OLE dates and the runtime's date conversions, shared by the forms runtime and the database
// layer's SQL functions so that a date converts the same way on both sides.
//
// An OLE date is a double: the whole part counts days from 1899-12-30 and the fraction is the
// time of day. Dates before that day have a negative whole part while the fraction still counts
// forward from midnight: -1.25 is 1899-12-29 06:00. The valid range runs from 0100-01-01
// (-657434) to 9999-12-31 23:59:59 (2958465.99999...). Conversions work to the second, rounding
// to the nearest one.
//
// Texts are read as the Brazilian regional settings read them: day first ("25/12/2024"), with the
// separators '/', '-' and '.', two-digit years in the window 00-29 -> 2000s and 30-99 -> 1900s,
// an optional time "hh:mm[:ss]" with optional AM/PM, and Portuguese month names ("25-dez-2024").
// As the platform does, a text whose day-first reading is impossible but whose month-first
// reading is valid ("12/25/2024") is taken month-first; a text with only day and month takes the
// current year. Failures raise 13 "Type mismatch"; results out of range raise 5.
#pragma once

#include <optional>
#include <string_view>

#include "platform/win/clock.h"

namespace win {

inline constexpr double kMinOleDate = -657434.0;         // 0100-01-01
inline constexpr double kMaxOleDate = 2958465.99999;     // just under 10000-01-01

// Calendar <-> OLE date. OleDateFromCivil expects a valid calendar date and time (raises 5
// otherwise); CivilFromOleDate raises 5 outside the valid range.
double OleDateFromCivil(const CivilTime& when);
CivilTime CivilFromOleDate(double date);

bool IsValidCivilDate(int year, int month, int day);
int DaysInMonth(int year, int month);

// Two-digit years as the platform expands them: 0-29 -> 2000-2029, 30-99 -> 1930-1999; other
// years unchanged.
int ExpandTwoDigitYear(int year);

// DateSerial: months and days outside their ranges carry over (month 13 is January of the next
// year, day 0 the last day of the previous month); the year goes through the two-digit window
// first. Raises 5 when the result is out of range.
double DateSerial(int year, int month, int day);
// TimeSerial: carries as DateSerial does; the result may be negative or past one day.
double TimeSerial(int hour, int minute, int second);

// The parts of a date (valid range only; 5 otherwise). Weekday counts from Sunday = 1.
int Year(double date);
int Month(double date);
int Day(double date);
int Hour(double date);
int Minute(double date);
int Second(double date);
int Weekday(double date);

// The date part (whole days, towards the date's own day) and the time fraction (0 <= t < 1).
double DatePart(double date);
double TimePart(double date);

// Day-first date text to OLE date; nothing when the text is not a date. `currentYear` fills in
// a text without a year ("25/12").
std::optional<double> ParseDateText(std::string_view text, int currentYear);

// The runtime's functions on texts, with the year of the clock in force (clock.h) for texts
// without one. CDateText and DateValue/TimeValue raise 13 for a text that is not a date.
bool IsDateText(std::string_view text);
double CDateText(std::string_view text);
double DateValue(std::string_view text);   // the date part only
double TimeValue(std::string_view text);   // the time part only

// Date arithmetic as the runtime's DateAdd does for days, months and years: adding months keeps
// the day unless the target month is shorter, then the last day of that month.
double AddMonths(double date, int months);

}  // namespace win
