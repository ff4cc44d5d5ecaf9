// The runtime's number texts and its Format function, shared by the forms runtime and the
// database layer's SQL functions so that both write and read numbers and dates alike.
//
// The regional settings are the stores' Brazilian ones, fixed here and never taken from the
// process locale: decimal separator ',', thousands separator '.', date separator '/', time
// separator ':', short date "dd/mm/yyyy", long time "hh:mm:ss" (24 hours), Portuguese day and
// month names. Val and Str are the exception the platform makes: they always use '.'.
//
// Everything here works on plain values; the variant rules (Null propagation, Empty, `&` versus
// `+`) belong to the forms runtime.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace win {

// CStr of a number: up to 15 significant digits, no trailing zeros, ',' as decimal separator,
// exponent form from 1E+15 up and below 1E-4 ("1E+15", "1,5E-05"); "-0" prints as "0".
std::string NumberText(double value);

// CStr of a date: "dd/mm/yyyy", "hh:mm:ss", or both with one blank between, leaving out a zero
// time or a zero date as the platform does (the "General Date" format); day 0 shows its time
// only, so 0 is "00:00:00".
std::string DateText(double oleDate);

// Str: '.' as decimal separator, no zero before it (" .5"), and a leading blank for a value
// that is not negative.
std::string StrText(double value);

// Val: the number at the start of `text`, reading '.' as decimal point and ignoring blanks, tabs
// and line feeds anywhere; "&H"/"&O" prefixes read hexadecimal and octal; 0 when no digits.
double Val(std::string_view text);

// A number text as the regional settings read it (CDbl, CLng, ... of a string): optional blanks
// and sign, digits with '.' thousands separators, ',' decimal separator, optional exponent.
// Nothing when the text is not a number.
std::optional<double> ParseNumberText(std::string_view text);
bool IsNumericText(std::string_view text);

// Conversions of numbers with the platform's rounding (half to even) and range checks: 6
// "Overflow" out of range. CCur answers in ten-thousandths (the currency type's scaled integer).
std::int16_t CInt(double value);
std::int32_t CLng(double value);
std::int64_t CCurUnits(double value);
double CurrencyUnitsToDouble(std::int64_t units);
// Half-to-even rounding to whole numbers, as the conversions above round.
double RoundHalfEven(double value);

// Text to number as CDbl does (13 "Type mismatch" when not a number).
double CDblText(std::string_view text);

// Format of a number with a user pattern ("00", "#,##0.00", "0%", sections split by ';'
// for positive;negative;zero) or a named one ("General Number", "Fixed", "Standard", "Percent").
// An empty pattern gives NumberText. Rounding is half away from zero on the decimal digits.
std::string FormatNumber(double value, std::string_view pattern);

// Format of a date with a user pattern (d dd ddd dddd ddddd dddddd, m mm mmm mmmm, yy yyyy, y,
// h hh, n nn, m/mm after an hour, s ss, w, q, AM/PM, A/P, quoted and backslash literals; letters
// in either case: "D/M/YYYY") or a named one ("General Date", "Long Date", "Short Date",
// "Long Time", "Short Time"). An empty pattern gives DateText.
std::string FormatDate(double oleDate, std::string_view pattern);

// A Format pattern read once into a table of its parts, for formatting many values with one
// pattern (a report column prints thousands); FormatNumber and FormatDate are one value's use of
// it. Reading and applying take time in proportion to the pattern's length.
class FormatPattern {
public:
    explicit FormatPattern(std::string_view pattern = {});
    ~FormatPattern();
    FormatPattern(const FormatPattern&);
    FormatPattern& operator=(const FormatPattern&);
    FormatPattern(FormatPattern&&) noexcept;
    FormatPattern& operator=(FormatPattern&&) noexcept;

    std::string Number(double value) const;   // FormatNumber(value, pattern)
    std::string Date(double oleDate) const;   // FormatDate(oleDate, pattern)

    // One ';' section of a number pattern, or one field or literal of a date pattern.
    struct NumberSection;
    struct DatePart;

private:
    enum class NumberKind { General, Sections, AsDate };
    NumberKind numberKind_ = NumberKind::General;
    std::vector<NumberSection> sections_;   // positive, then negative and zero when given
    bool generalDate_ = true;
    bool twelveHour_ = false;
    std::vector<DatePart> dateParts_;
};

// Format of a text: a text the regional settings read as a number is formatted as that number,
// one that reads as a date as that date (" 01/02/2024 " with "D/M/YYYY" gives "1/2/2024"); any
// other text comes back unchanged. `currentYear` completes dates without a year.
std::string FormatText(std::string_view text, std::string_view pattern, int currentYear);

// The Portuguese names (1-based): "domingo" .. "sábado", "janeiro" .. "dezembro"; the
// abbreviations are the first three letters ("dom", "jan").
std::string_view DayName(int weekday);
std::string_view MonthName(int month);

}  // namespace win
