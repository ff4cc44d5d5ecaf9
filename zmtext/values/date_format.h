// The three text forms of a date and the parsers back, for the date control's edit operations.
//
//   display text  the Text property: parts in the resolved order and forms, joined by the
//                 separator ("Mar-5-98", "25/12/1998"); a zero part shows as fill characters;
//   raw text      the RawData property: always 8 characters, two-digit month and day and a
//                 four-digit year in the resolved order ("12251998", "19981225"), fill
//                 characters for zero parts;
//   edit pattern  the 10 positions the field shows while it is edited: 8 fill characters and
//                 two fixed separators ("__/__/____", "____/__/__").
//
// Formats come from the control's properties, or from WIN.INI's sShortDate when FmtControl is 0
// (ZMResolveDateFormat). Month names are always the English ones.
//
// Two-digit years. The raw parser (typing) borrows the century of the field's own year first and
// otherwise reads 00..02 as 2000..2002 and 03..99 as 1903..1999; the display parser (an assigned
// text) reads 00..29 as 2000..2029 and 30..99 as 1930..1999. Only 0..99 are two-digit years: a
// negative year is kept, and is no date.
#pragma once

#include <string>
#include <string_view>

#include "zmtext/values/date_values.h"

namespace zmtext {

enum ZMDateOrder : int { kDateOrderMDY = 1, kDateOrderDMY = 2, kDateOrderYMD = 3 };

// Part forms. Day: 0 none, 1 no leading zero, 2 leading zero. Month: the same, 3 abbreviated
// name, 4 full name. Year: 0 none, 1 two digits, 2 four digits.
inline constexpr int kMonthFormShortName = 3;
inline constexpr int kMonthFormLongName = 4;

// The control's format properties.
struct ZMDateFormatProps {
    int fmtControl = 0;   // 0 WIN.INI, 1 MDY, 2 DMY, 3 YMD
    int fmtDay = 1;
    int fmtMonth = 1;
    int fmtYear = 2;
    char fmtSeparator = '-';
};

// A format resolved from the properties and WIN.INI.
struct ZMDateFormat {
    int order = kDateOrderMDY;
    char separator = '/';
    int dayForm = 1, monthForm = 1, yearForm = 1;
    friend bool operator==(const ZMDateFormat&, const ZMDateFormat&) = default;
};

// Each resolves one setting: the property of the same role when FmtControl is not 0, otherwise
// the reading of `shortDate` (WIN.INI sShortDate):
//   order      YMD when it begins with "y", else MDY (also for a day-first setting);
//   separator  its first character that differs from its first character;
//   day, month the length of the first run of "d" / "M" (0 when there is none);
//   year       2 when the first run of "y" has exactly four letters, else 1.
// A separator of 0 is "-" in every case.
int ZMGetDateOrder(const ZMDateFormatProps& props, std::string_view shortDate);
char ZMGetDateSeparator(const ZMDateFormatProps& props, std::string_view shortDate);
int ZMGetDayDigits(const ZMDateFormatProps& props, std::string_view shortDate);
int ZMGetMonthDigits(const ZMDateFormatProps& props, std::string_view shortDate);
int ZMGetYearDigits(const ZMDateFormatProps& props, std::string_view shortDate);

ZMDateFormat ZMResolveDateFormat(const ZMDateFormatProps& props, std::string_view shortDate);
// The same, reading WIN.INI now when FmtControl is 0.
ZMDateFormat ZMResolveDateFormat(const ZMDateFormatProps& props);

// The display text, at most 255 characters. A month outside 1..12 with a name form shows its
// number.
std::string ZMFormatDateText(const ZMDate& date, const ZMDateFormat& format, char fill);

// The 8-character raw text. The year has four digits when the order is YMD, when
// `forceFourDigits`, or when the year form is not 1; otherwise two digits and two fill characters.
// A part too wide for its digits shows as fill characters.
std::string ZMFormatDateRaw(const ZMDate& date, const ZMDateFormat& format, char fill,
                            bool forceFourDigits);

// The 10-character edit pattern.
std::string ZMDatePattern(const ZMDateFormat& format, char fill);

// The triple of a raw text as typed, parts unchecked (month 13 stays 13); the blank date for an
// empty text. `current` is the field's value before, whose century a two-digit year takes.
ZMDate ZMParseDateRaw(std::string_view raw, int order, char fill, const ZMDate& current);

// The triple of a display text. The first two characters that are neither letters nor digits
// separate the parts; a part whose separator is missing keeps its value from `current`. A month
// of a name form is matched, case-insensitively and for the text's own length, against the names
// from December down to January ("Ju" is July); an empty or unknown name is month 0. For MDY and
// DMY a day and month without year digits take `currentYear`. No day, no month and a year of the
// current century (what a text of fill characters reads as) give the blank date.
ZMDate ZMParseDateText(std::string_view text, const ZMDateFormat& format, const ZMDate& current,
                       int currentYear);

}  // namespace zmtext
