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

void AppendFill(std::string& out, char fill, std::size_t count) { out.append(count, fill); }

void AppendDay(std::string& out, int day, int form, char fill) {
    if (form != 1 && form != 2) return;
    if (day == 0) return AppendFill(out, fill, static_cast<std::size_t>(form));
    ZMAppendDigits(out, day, form);
}

void AppendMonth(std::string& out, int month, int form, char fill) {
    if (form == 1 || form == 2) {
        if (month == 0) return AppendFill(out, fill, static_cast<std::size_t>(form));
        return ZMAppendDigits(out, month, form);
    }
    if (form != kMonthFormShortName && form != kMonthFormLongName) return;
    const auto& names = form == kMonthFormShortName ? kShortMonthNames : kLongMonthNames;
    if (month == 0) return AppendFill(out, fill, names[0].size());
    if (month < 1 || month > 12) return ZMAppendDigits(out, month, 1);
    out += names[static_cast<std::size_t>(month)];
}

void AppendYear(std::string& out, int year, int form, char fill) {
    if (form != 1 && form != 2) return;
    const int digits = form == 1 ? 2 : 4;
    if (year == 0) return AppendFill(out, fill, static_cast<std::size_t>(digits));
    ZMAppendDigits(out, form == 1 ? year % 100 : year, digits);
}

// A two-digit raw part: fill characters for 0 and for what two digits cannot show.
void AppendRawPart(std::string& out, int value, char fill) {
    if (value > 0 && value <= 99) return ZMAppendDigits(out, value, 2);
    AppendFill(out, fill, 2);
}

void AppendRawYear(std::string& out, int year, bool fourDigits, char fill) {
    if (year <= 0 || year > 9999) return AppendFill(out, fill, 4);
    if (fourDigits) return ZMAppendDigits(out, year, 4);
    ZMAppendDigits(out, year % 100, 2);
    AppendFill(out, fill, 2);
}

enum class DatePart { kMonth, kDay, kYear };

// The parts in the order's sequence.
std::array<DatePart, 3> PartsInOrder(int order) {
    using enum DatePart;
    if (order == kDateOrderDMY) return {kDay, kMonth, kYear};
    if (order == kDateOrderYMD) return {kYear, kMonth, kDay};
    return {kMonth, kDay, kYear};
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
    std::string text;
    const auto parts = PartsInOrder(format.order);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::size_t before = text.size();
        switch (parts[i]) {
        case DatePart::kMonth: AppendMonth(text, date.month, format.monthForm, fill); break;
        case DatePart::kDay: AppendDay(text, date.day, format.dayForm, fill); break;
        case DatePart::kYear: AppendYear(text, date.year, format.yearForm, fill); break;
        }
        // A separator follows the first and the second part when they show anything.
        if (i < 2 && text.size() != before) text += format.separator;
    }
    if (!text.empty() && text.back() == format.separator) text.pop_back();
    if (text.size() > kMaxDisplayChars) text.resize(kMaxDisplayChars);
    return text;
}

std::string ZMFormatDateRaw(const ZMDate& date, const ZMDateFormat& format, char fill,
                            bool forceFourDigits) {
    std::string raw;
    if (date.IsBlank()) {
        AppendFill(raw, fill, kRawChars);
        return raw;
    }
    const bool fourDigits = format.order == kDateOrderYMD || forceFourDigits || format.yearForm != 1;
    for (const DatePart part : PartsInOrder(format.order)) {
        switch (part) {
        case DatePart::kMonth: AppendRawPart(raw, date.month, fill); break;
        case DatePart::kDay: AppendRawPart(raw, date.day, fill); break;
        case DatePart::kYear: AppendRawYear(raw, date.year, fourDigits, fill); break;
        }
    }
    return raw;
}

std::string ZMDatePattern(const ZMDateFormat& format, char fill) {
    std::string pattern(kPatternChars, fill);
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
        if (current.year > 0 && current.year <= 9999) {
            date.year = static_cast<std::int16_t>(date.year + current.year / 100 * 100);
        }
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
