#include "zmtext/values/date_format.h"

#include <array>
#include <cstddef>

#include "zmtext/values/date_time_digits.h"
#include "zmtext/values/intl_settings.h"

namespace zmtext {
namespace {

constexpr std::size_t kMaxDisplayChars = 255;
constexpr std::size_t kRawChars = 8;
constexpr std::size_t kPatternChars = 10;

constexpr std::array<std::string_view, 13> kShortMonthNames{
    "___", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 13> kLongMonthNames{
    "_________", "January", "February", "March",     "April",   "May",     "June",
    "July",      "August",  "September", "October", "November", "December"};

// ----- Reading sShortDate -----------------------------------------------------------------------

// The length of the run of `letter` that starts at its first occurrence; 0 when there is none.
int FirstRunLength(std::string_view setting, char letter) {
    std::size_t i = setting.find(letter);
    if (i == std::string_view::npos) return 0;
    int length = 0;
    for (; i < setting.size() && setting[i] == letter; ++i) ++length;
    return length;
}

char SeparatorOfSetting(std::string_view setting) {
    if (setting.empty()) return '\0';
    const std::size_t i = setting.find_first_not_of(setting[0]);
    return i == std::string_view::npos ? '\0' : setting[i];
}

// ----- Building ---------------------------------------------------------------------------------

std::string Fill(char fill, std::size_t count) { return std::string(count, fill); }

std::string Digits(int value, int width) {
    std::string out;
    ZMAppendDigits(out, value, width);
    return out;
}

std::string DayText(int day, int form, char fill) {
    if (form != 1 && form != 2) return {};
    if (day == 0) return Fill(fill, static_cast<std::size_t>(form));
    return Digits(day, form);
}

std::string MonthText(int month, int form, char fill) {
    if (form == 1 || form == 2) return month == 0 ? Fill(fill, static_cast<std::size_t>(form)) : Digits(month, form);
    if (form != kMonthFormShortName && form != kMonthFormLongName) return {};
    const auto& names = form == kMonthFormShortName ? kShortMonthNames : kLongMonthNames;
    if (month == 0) return Fill(fill, names[0].size());
    if (month < 1 || month > 12) return Digits(month, 1);
    return std::string(names[static_cast<std::size_t>(month)]);
}

std::string YearText(int year, int form, char fill) {
    if (form == 1) return year == 0 ? Fill(fill, 2) : Digits(year % 100, 2);
    if (form == 2) return year == 0 ? Fill(fill, 4) : Digits(year, 4);
    return {};
}

// A two-digit raw part: fill characters for 0 and for what two digits cannot show.
std::string RawPart(int value, char fill) {
    return value > 0 && value <= 99 ? Digits(value, 2) : Fill(fill, 2);
}

std::string RawYear(int year, bool fourDigits, char fill) {
    if (year <= 0 || year > 9999) return Fill(fill, 4);
    return fourDigits ? Digits(year, 4) : Digits(year % 100, 2) + Fill(fill, 2);
}

// The three parts in the order's sequence, each given as (month, day, year).
template <typename T>
std::array<T, 3> InOrder(int order, T month, T day, T year) {
    if (order == kDateOrderDMY) return {day, month, year};
    if (order == kDateOrderYMD) return {year, month, day};
    return {month, day, year};
}

// ----- Parsing ----------------------------------------------------------------------------------

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The index of the first character at or after `from` that is no letter or digit; npos if none.
std::size_t NextSeparator(std::string_view text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (!IsAsciiAlnum(text[i])) return i;
    }
    return std::string_view::npos;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsNamePrefix(std::string_view text, std::string_view name) {
    if (text.size() > name.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (AsciiUpper(text[i]) != AsciiUpper(name[i])) return false;
    }
    return true;
}

// The month whose name starts with `text`, searched from December down; 0 for none and for an
// empty text (which every name would start with).
std::int16_t MonthOfName(std::string_view text, int form) {
    if (text.empty()) return 0;
    const auto& names = form == kMonthFormShortName ? kShortMonthNames : kLongMonthNames;
    for (std::int16_t month = 12; month >= 1; --month) {
        if (IsNamePrefix(text, names[static_cast<std::size_t>(month)])) return month;
    }
    return 0;
}

// The month of the text that starts at `from`: a name up to the next separator, or a number.
std::int16_t MonthAt(std::string_view text, std::size_t from, int form) {
    const std::string_view rest = ZMSlice(text, from, std::string_view::npos);
    if (form != kMonthFormShortName && form != kMonthFormLongName) return ZMAtoi16(rest);
    return MonthOfName(rest.substr(0, NextSeparator(rest, 0)), form);
}

// Where each part starts in the raw text.
struct RawLayout {
    std::size_t month, day, year;
};

RawLayout RawLayoutOf(int order) {
    if (order == kDateOrderDMY) return {2, 0, 4};
    if (order == kDateOrderYMD) return {4, 6, 0};
    return {0, 2, 4};
}

bool IsTwoDigitYear(int year) { return year >= 0 && year < 100; }

}  // namespace

int ZMGetDateOrder(const ZMDateFormatProps& props, std::string_view shortDate) {
    if (props.fmtControl != 0) return props.fmtControl;
    return !shortDate.empty() && shortDate[0] == 'y' ? kDateOrderYMD : kDateOrderMDY;
}

char ZMGetDateSeparator(const ZMDateFormatProps& props, std::string_view shortDate) {
    const char separator = props.fmtControl != 0 ? props.fmtSeparator : SeparatorOfSetting(shortDate);
    return separator == '\0' ? '-' : separator;
}

int ZMGetDayDigits(const ZMDateFormatProps& props, std::string_view shortDate) {
    return props.fmtControl != 0 ? props.fmtDay : FirstRunLength(shortDate, 'd');
}

int ZMGetMonthDigits(const ZMDateFormatProps& props, std::string_view shortDate) {
    return props.fmtControl != 0 ? props.fmtMonth : FirstRunLength(shortDate, 'M');
}

int ZMGetYearDigits(const ZMDateFormatProps& props, std::string_view shortDate) {
    if (props.fmtControl != 0) return props.fmtYear;
    return FirstRunLength(shortDate, 'y') == 4 ? 2 : 1;
}

ZMDateFormat ZMResolveDateFormat(const ZMDateFormatProps& props, std::string_view shortDate) {
    return {ZMGetDateOrder(props, shortDate), ZMGetDateSeparator(props, shortDate),
            ZMGetDayDigits(props, shortDate), ZMGetMonthDigits(props, shortDate),
            ZMGetYearDigits(props, shortDate)};
}

ZMDateFormat ZMResolveDateFormat(const ZMDateFormatProps& props) {
    if (props.fmtControl != 0) return ZMResolveDateFormat(props, {});
    return ZMResolveDateFormat(props, ReadIntlDateTimeSettings().shortDate);
}

std::string ZMFormatDateText(const ZMDate& date, const ZMDateFormat& format, char fill) {
    const auto parts = InOrder(format.order, MonthText(date.month, format.monthForm, fill),
                               DayText(date.day, format.dayForm, fill),
                               YearText(date.year, format.yearForm, fill));
    std::string text = parts[0];
    if (!parts[0].empty()) text += format.separator;
    text += parts[1];
    if (!parts[1].empty()) text += format.separator;
    text += parts[2];
    if (!text.empty() && text.back() == format.separator) text.pop_back();
    if (text.size() > kMaxDisplayChars) text.resize(kMaxDisplayChars);
    return text;
}

std::string ZMFormatDateRaw(const ZMDate& date, const ZMDateFormat& format, char fill,
                            bool forceFourDigits) {
    if (date.IsBlank()) return Fill(fill, kRawChars);
    const bool fourDigits = format.order == kDateOrderYMD || forceFourDigits || format.yearForm != 1;
    const auto parts = InOrder(format.order, RawPart(date.month, fill), RawPart(date.day, fill),
                               RawYear(date.year, fourDigits, fill));
    return parts[0] + parts[1] + parts[2];
}

std::string ZMDatePattern(const ZMDateFormat& format, char fill) {
    std::string pattern = Fill(fill, kPatternChars);
    const bool yearFirst = format.order == kDateOrderYMD;
    pattern[yearFirst ? 4 : 2] = format.separator;
    pattern[yearFirst ? 7 : 5] = format.separator;
    return pattern;
}

ZMDate ZMParseDateRaw(std::string_view raw, int order, char fill, const ZMDate& current) {
    if (raw.empty()) return {};
    const std::string text = ZMReplaceChar(raw, fill, ' ');
    const RawLayout at = RawLayoutOf(order);
    const std::string_view yearText = ZMSlice(text, at.year, 4);
    ZMDate date;
    date.month = ZMAtoi16(ZMSlice(text, at.month, 2));
    date.day = ZMAtoi16(ZMSlice(text, at.day, 2));
    date.year = ZMAtoi16(yearText);
    if (ZMHasDigit(yearText) && IsTwoDigitYear(date.year)) {
        if (current.year > 0) date.year = static_cast<std::int16_t>(date.year + current.year / 100 * 100);
        if (date.year < 100) date.year = static_cast<std::int16_t>(date.year + (date.year < 3 ? 2000 : 1900));
    }
    return date;
}

ZMDate ZMParseDateText(std::string_view text, const ZMDateFormat& format, const ZMDate& current,
                       int currentYear) {
    if (text.empty()) return {};
    const std::size_t first = NextSeparator(text, 0);
    const std::size_t second = first == std::string_view::npos ? first : NextSeparator(text, first + 1);
    const bool hasFirst = first != std::string_view::npos;
    const bool hasSecond = second != std::string_view::npos;
    const std::string_view afterFirst = hasFirst ? text.substr(first + 1) : std::string_view{};
    const std::string_view afterSecond = hasSecond ? text.substr(second + 1) : std::string_view{};

    ZMDate date = current;
    switch (format.order) {
    case kDateOrderDMY:
        date.day = ZMAtoi16(text);
        if (hasFirst) date.month = MonthAt(text, first + 1, format.monthForm);
        if (hasSecond) date.year = ZMAtoi16(afterSecond);
        break;
    case kDateOrderYMD:
        date.year = ZMAtoi16(text);
        if (hasFirst) date.month = MonthAt(text, first + 1, format.monthForm);
        if (hasSecond) date.day = ZMAtoi16(afterSecond);
        break;
    default:
        date.month = MonthAt(text, 0, format.monthForm);
        if (hasFirst) date.day = ZMAtoi16(afterFirst);
        if (hasSecond) date.year = ZMAtoi16(afterSecond);
        break;
    }
    if (format.order != kDateOrderYMD && date.day != 0 && date.month != 0 && !ZMHasDigit(afterSecond)) {
        date.year = static_cast<std::int16_t>(currentYear);
    }
    if (IsTwoDigitYear(date.year)) date.year = static_cast<std::int16_t>(date.year + (date.year >= 30 ? 1900 : 2000));
    if (date.day == 0 && date.month == 0 && date.year == currentYear / 100 * 100) date.year = 0;
    return date;
}

}  // namespace zmtext
