// Times of the time control: seconds since midnight, 0..86399, with -1 for the empty field; their
// text forms and the parsers back.
//
//   display text  the Text property: "hh:mm:ss " or "hh:mm " (the trailing blank included), a
//                 blank for the leading zero when the format drops it, and on a 12-hour clock
//                 the morning or afternoon suffix after the blank (" 2:05:09 PM");
//   raw text      the RawData property: "hhmmss" or "hhmm", on a 12-hour clock with a final
//                 "a" or "p" ("020509p");
//   edit pattern  the positions the field shows while edited: "__:__:__" or "__:__", with "-_"
//                 after them on a 12-hour clock for the a/p letter.
// On a 12-hour clock the hour shows as 12 for 0 and h - 12 above 12; "a" turns a typed 12 into 0
// and "p" adds 12 to any other hour.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zmtext/values/intl_settings.h"

namespace zmtext {

inline constexpr std::int32_t kTimeEmpty = -1;
inline constexpr std::int32_t kTimeMaximum = 86399;

// The control's format properties.
struct ZMTimeFormatProps {
    char fmtSeparator = ':';   // 0: WIN.INI sTime
    int fmtHours = 0;          // 0 WIN.INI, 1 12-hour clock, 2 24-hour clock
    int fmtSeconds = 0;        // 0 show, 1 do not show
    int fmtLeadingZero = 0;    // 0 WIN.INI, 1 none, 2 leading zero
    std::string fmtAM = "AM";  // empty: WIN.INI s1159
    std::string fmtPM = "PM";  // empty: WIN.INI s2359
};

// A format resolved from the properties and WIN.INI.
struct ZMTimeFormat {
    char separator = ':';
    bool hours24 = false;
    bool leadingZero = false;
    bool showSeconds = true;
    std::string morning = "AM", afternoon = "PM";
    friend bool operator==(const ZMTimeFormat&, const ZMTimeFormat&) = default;
};

// Separator FmtSeparator, else sTime (":" when that is empty too); 24-hour clock and leading
// zero from their property (2 = yes) or, for 0, from iTime and iTLZero; seconds shown for
// FmtSeconds 0; suffixes the first 4 characters of FmtAM / FmtPM, or s1159 / s2359.
ZMTimeFormat ZMResolveTimeFormat(const ZMTimeFormatProps& props, const IntlDateTimeSettings& intl);
// The same, reading WIN.INI now.
ZMTimeFormat ZMResolveTimeFormat(const ZMTimeFormatProps& props);

// The hour a 12-hour clock shows for a 24-hour hour.
int ZMTwelveHourClock(int hour);
// The 24-hour hour of a 12-hour clock's hour in the morning or the afternoon: 12 AM is 0, 12 PM
// is 12, any other afternoon hour gains 12 (typed hours are not checked).
std::int64_t ZMTwentyFourHourClock(std::int64_t hour, bool afternoon);

// The hours, minutes and seconds of a time; all -1 outside 0..86399.
struct ZMTimeParts {
    int hours = -1, minutes = -1, seconds = -1;
    friend bool operator==(const ZMTimeParts&, const ZMTimeParts&) = default;
};
ZMTimeParts ZMSplitTime(std::int32_t value);

// Hours, minutes and seconds as one number, unchecked (typed parts may exceed their ranges);
// saturated to the 32-bit range.
std::int32_t ZMComposeTime(std::int64_t hours, std::int64_t minutes, std::int64_t seconds);

// A real time of day: 0..86399 (the empty value is not one).
bool ZMIsValidTime(std::int32_t value);

std::string ZMTimePattern(const ZMTimeFormat& format, char fill);

// The raw text; fill characters for the empty value and for any other value outside 0..86399.
std::string ZMFormatTimeRaw(std::int32_t value, const ZMTimeFormat& format, char fill);

// The display text; empty for a value outside 0..86399 (which the control then stores as -1).
std::string ZMFormatTimeText(std::int32_t value, const ZMTimeFormat& format);

// The value of a raw text as typed, unchecked: -1 without any digit or with fewer than 2
// characters; missing parts are 0; the a/p letter counts on a 12-hour clock once typed.
std::int32_t ZMParseTimeRaw(std::string_view raw, const ZMTimeFormat& format, char fill);

// Whether the typed parts of a raw text are a time of day: hours 0..23 (after the a/p letter),
// minutes and seconds 0..59. The value alone cannot tell: typed 10:75 is the number of 11:15.
bool ZMIsValidTimeRaw(std::string_view raw, const ZMTimeFormat& format, char fill);

// The value of a raw text assigned from outside (RawData): 4 to 7 characters, hhmm[ss], lengths
// 5 and 7 ending in the a/p letter or the fill character (no letter typed yet). Nothing for a
// text that is refused; -1 for one without any digit (the raw text of the empty value).
std::optional<std::int32_t> ZMParseTimeRawData(std::string_view text, char fill);

// The value of a display text: the numbers before, between and after the separators, and the
// first A or P after the minutes (or seconds); -1 without any digit.
std::int32_t ZMParseTimeText(std::string_view text, char separator);

// FmtControl packs FmtSeconds (bit 0: 1), FmtHours (bit 1: 2, else 1) and FmtLeadingZero
// (bit 2: 2, else 1) for older programs; 0 stands for all three 0.
struct ZMTimeFmtFlags {
    int fmtSeconds = 0, fmtHours = 0, fmtLeadingZero = 0;
    friend bool operator==(const ZMTimeFmtFlags&, const ZMTimeFmtFlags&) = default;
};
// `packed` 0..7.
ZMTimeFmtFlags ZMUnpackTimeFmtControl(int packed);
// 0 when FmtHours and FmtLeadingZero are both 0.
int ZMPackTimeFmtControl(const ZMTimeFmtFlags& flags);

}  // namespace zmtext
