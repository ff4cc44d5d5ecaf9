#include "platform/win/oledate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/calendar.h"
#include "platform/win/error.h"

namespace win {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// The day count of 1899-12-30, day 0 of OLE dates.
constexpr std::int64_t kOleEpochDays = DaysFromCivil(1899, 12, 30);

double OleFromDaysAndSeconds(std::int64_t days, std::int64_t seconds) {
    const double fraction = static_cast<double>(seconds) / kSecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

// Splits a date into whole days since the epoch and seconds of the day, rounding to the second.
// The fraction counts forward from the day on either side of the epoch, so a time that rounds up
// to midnight always moves to the next calendar day (-0.9999999 is 1899-12-31, not 1899-12-29).
void SplitOleDate(double date, std::int64_t& days, std::int64_t& seconds) {
    if (!(date >= kMinOleDate && date < kMaxOleDate + 0.5 / kSecondsPerDay)) {
        Raise(err::InvalidProcedureCall, "Date");
    }
    const double whole = std::trunc(date);
    days = static_cast<std::int64_t>(whole);
    seconds = std::llround(std::fabs(date - whole) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        days += 1;
    }
}

void CheckRange(double date, const char* source) {
    if (!(date >= kMinOleDate && date <= kMaxOleDate)) Raise(err::InvalidProcedureCall, source);
}

}  // namespace

bool IsValidCivilDate(int year, int month, int day) {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
           day <= DaysInMonth(year, month);
}

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && leap ? 1 : 0);
}

int ExpandTwoDigitYear(int year) {
    if (year >= 0 && year <= 29) return year + 2000;
    if (year >= 30 && year <= 99) return year + 1900;
    return year;
}

double OleDateFromCivil(const CivilTime& when) {
    if (!IsValidCivilDate(when.year, when.month, when.day) || when.hour < 0 || when.hour > 23 ||
        when.minute < 0 || when.minute > 59 || when.second < 0 || when.second > 59) {
        Raise(err::InvalidProcedureCall, "Date");
    }
    const std::int64_t days = DaysFromCivil(when.year, when.month, when.day) - kOleEpochDays;
    return OleFromDaysAndSeconds(days, when.hour * 3600 + when.minute * 60 + when.second);
}

CivilTime CivilFromOleDate(double date) {
    std::int64_t days = 0;
    std::int64_t seconds = 0;
    SplitOleDate(date, days, seconds);
    return CivilFromSeconds((days + kOleEpochDays) * kSecondsPerDay + seconds);
}

double DateSerial(int year, int month, int day) {
    year = ExpandTwoDigitYear(year);
    // Carry months into years first, then count days from the first of that month.
    const std::int64_t monthIndex = static_cast<std::int64_t>(year) * 12 + (month - 1);
    const std::int64_t carriedYear =
        monthIndex >= 0 ? monthIndex / 12 : -((-monthIndex + 11) / 12);
    const int carriedMonth = static_cast<int>(monthIndex - carriedYear * 12) + 1;
    if (carriedYear < 100 || carriedYear > 9999) Raise(err::InvalidProcedureCall, "DateSerial");
    const std::int64_t days =
        DaysFromCivil(static_cast<int>(carriedYear), carriedMonth, 1) + (day - 1) - kOleEpochDays;
    const double result = static_cast<double>(days);
    CheckRange(result, "DateSerial");
    return result;
}

double TimeSerial(int hour, int minute, int second) {
    const std::int64_t seconds = static_cast<std::int64_t>(hour) * 3600 + minute * 60 + second;
    const std::int64_t days = seconds >= 0 ? seconds / kSecondsPerDay
                                           : -((-seconds + kSecondsPerDay - 1) / kSecondsPerDay);
    const std::int64_t rest = seconds - days * kSecondsPerDay;
    return OleFromDaysAndSeconds(days, rest);
}

int Year(double date) { return CivilFromOleDate(date).year; }
int Month(double date) { return CivilFromOleDate(date).month; }
int Day(double date) { return CivilFromOleDate(date).day; }
int Hour(double date) { return CivilFromOleDate(date).hour; }
int Minute(double date) { return CivilFromOleDate(date).minute; }
int Second(double date) { return CivilFromOleDate(date).second; }

int Weekday(double date) {
    std::int64_t days = 0;
    std::int64_t seconds = 0;
    SplitOleDate(date, days, seconds);
    // 1899-12-30 was a Saturday (7).
    const std::int64_t index = ((days + 6) % 7 + 7) % 7;
    return static_cast<int>(index) + 1;
}

double DatePart(double date) {
    std::int64_t days = 0;
    std::int64_t seconds = 0;
    SplitOleDate(date, days, seconds);
    return static_cast<double>(days);
}

double TimePart(double date) {
    std::int64_t days = 0;
    std::int64_t seconds = 0;
    SplitOleDate(date, days, seconds);
    return static_cast<double>(seconds) / kSecondsPerDay;
}

double AddMonths(double date, int months) {
    const CivilTime when = CivilFromOleDate(date);
    const std::int64_t monthIndex = static_cast<std::int64_t>(when.year) * 12 + when.month - 1 + months;
    const std::int64_t year = monthIndex / 12;
    if (monthIndex < 0 || year < 100 || year > 9999) Raise(err::InvalidProcedureCall, "DateAdd");
    CivilTime moved = when;
    moved.year = static_cast<int>(year);
    moved.month = static_cast<int>(monthIndex % 12) + 1;
    moved.day = std::min(when.day, DaysInMonth(moved.year, moved.month));
    return OleDateFromCivil(moved);
}

// --- Reading date texts ------------------------------------------------------------------------

namespace {

constexpr std::array<std::string_view, 12> kMonthWords{
    "janeiro", "fevereiro", "março", "abril", "maio", "junho",
    "julho", "agosto", "setembro", "outubro", "novembro", "dezembro"};

struct DateToken {
    enum Kind { Number, MonthName, AmPm, Separator } kind;
    int value = 0;    // the number, the month (1-12), 1 for PM / 0 for AM, or the separator
    int digits = 0;   // digits written, for numbers
};

// Lower-cases ASCII letters and the one accented capital a month name can hold ('Ç').
std::string LowerWord(std::string_view word) {
    std::string lower;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        if (c >= 'A' && c <= 'Z') {
            lower += static_cast<char>(c - 'A' + 'a');
        } else if (c == '\xC3' && i + 1 < word.size() && word[i + 1] == '\x87') {
            lower += "\xC3\xA7";
            ++i;
        } else {
            lower += c;
        }
    }
    return lower;
}

// A word as a month (its full name or first three letters) or AM/PM marker.
std::optional<DateToken> ClassifyWord(std::string_view word) {
    const std::string lower = LowerWord(word);
    if (lower == "am" || lower == "a") return DateToken{DateToken::AmPm, 0};
    if (lower == "pm" || lower == "p") return DateToken{DateToken::AmPm, 1};
    for (std::size_t i = 0; i < kMonthWords.size(); ++i) {
        if (lower == kMonthWords[i] || (lower.size() == 3 && kMonthWords[i].substr(0, 3) == lower)) {
            return DateToken{DateToken::MonthName, static_cast<int>(i) + 1};
        }
    }
    return std::nullopt;
}

bool IsWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}

std::optional<std::vector<DateToken>> Tokenize(std::string_view text) {
    std::vector<DateToken> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            DateToken number{DateToken::Number, 0, 0};
            for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
                if (number.digits++ >= 5) return std::nullopt;
                number.value = number.value * 10 + (text[i] - '0');
            }
            tokens.push_back(number);
        } else if (IsWordByte(c)) {
            const std::size_t start = i;
            while (i < text.size() && IsWordByte(text[i])) ++i;
            const auto word = ClassifyWord(text.substr(start, i - start));
            if (!word) return std::nullopt;
            tokens.push_back(*word);
        } else if (c == '/' || c == '-' || c == '.' || c == ':' || c == ' ' || c == '\t') {
            if (c != ' ' && c != '\t') tokens.push_back(DateToken{DateToken::Separator, c});
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return tokens;
}

struct TimeOfDay {
    bool present = false;
    int seconds = 0;
};

// Reads "h:mm[:ss] [AM|PM]" starting at tokens[i] (a number followed by ':').
std::optional<TimeOfDay> ReadTime(const std::vector<DateToken>& tokens, std::size_t& i) {
    int parts[3] = {0, 0, 0};
    int count = 0;
    while (true) {
        if (i >= tokens.size() || tokens[i].kind != DateToken::Number || count == 3) return std::nullopt;
        parts[count++] = tokens[i++].value;
        if (i < tokens.size() && tokens[i].kind == DateToken::Separator && tokens[i].value == ':') {
            ++i;
            continue;
        }
        break;
    }
    int hour = parts[0];
    if (i < tokens.size() && tokens[i].kind == DateToken::AmPm) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (tokens[i].value == 1 ? 12 : 0);
        ++i;
    }
    if (hour > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return TimeOfDay{true, hour * 3600 + parts[1] * 60 + parts[2]};
}

int YearOf(const DateToken& token) {
    return token.digits <= 2 ? ExpandTwoDigitYear(token.value) : token.value;
}

bool LooksLikeYear(const DateToken& token) { return token.digits > 2 || token.value > 31; }

// Whole days of the date elements (numbers and month names in written order), or nothing.
std::optional<std::int64_t> ReadDate(const std::vector<DateToken>& parts, int currentYear) {
    int year = currentYear, month = 0, day = 0;
    std::vector<DateToken> numbers;
    int named = 0;
    for (const auto& part : parts) {
        if (part.kind == DateToken::MonthName) {
            if (named++) return std::nullopt;
            month = part.value;
        } else {
            numbers.push_back(part);
        }
    }
    auto valid = [&](int y, int m, int d) { return IsValidCivilDate(y, m, d); };
    if (named) {
        if (numbers.empty() || numbers.size() > 2) return std::nullopt;
        day = numbers[0].value;
        if (numbers.size() == 2) year = YearOf(numbers[1]);
        if (LooksLikeYear(numbers[0]) && numbers.size() == 2) {
            year = YearOf(numbers[0]);
            day = numbers[1].value;
        }
    } else if (numbers.size() == 3) {
        if (LooksLikeYear(numbers[0])) {
            year = YearOf(numbers[0]);
            month = numbers[1].value;
            day = numbers[2].value;
        } else {
            year = YearOf(numbers[2]);
            day = numbers[0].value;
            month = numbers[1].value;
            if (!valid(year, month, day)) std::swap(day, month);
        }
    } else if (numbers.size() == 2) {
        if (LooksLikeYear(numbers[1])) {
            month = numbers[0].value;
            year = YearOf(numbers[1]);
            day = 1;
        } else {
            day = numbers[0].value;
            month = numbers[1].value;
            if (!valid(year, month, day)) std::swap(day, month);
        }
    } else {
        return std::nullopt;
    }
    if (!valid(year, month, day)) return std::nullopt;
    return DaysFromCivil(year, month, day) - kOleEpochDays;
}

}  // namespace

std::optional<double> ParseDateText(std::string_view text, int currentYear) {
    const auto tokens = Tokenize(text);
    if (!tokens || tokens->empty()) return std::nullopt;
    std::vector<DateToken> dateParts;
    TimeOfDay time;
    bool lastWasElement = false;   // two date elements need a separator or a blank between
    for (std::size_t i = 0; i < tokens->size();) {
        const DateToken& token = (*tokens)[i];
        // "h:mm..." or an hour with its AM/PM marker ("3 PM").
        const DateToken* next = i + 1 < tokens->size() ? &(*tokens)[i + 1] : nullptr;
        const bool startsTime =
            token.kind == DateToken::Number && next &&
            ((next->kind == DateToken::Separator && next->value == ':') || next->kind == DateToken::AmPm);
        if (startsTime) {
            if (time.present) return std::nullopt;
            const auto read = ReadTime(*tokens, i);
            if (!read) return std::nullopt;
            time = *read;
            lastWasElement = false;
        } else if (token.kind == DateToken::Number || token.kind == DateToken::MonthName) {
            dateParts.push_back(token);
            lastWasElement = true;
            ++i;
        } else if (token.kind == DateToken::Separator && token.value != ':') {
            if (!lastWasElement) return std::nullopt;
            lastWasElement = false;
            ++i;
        } else {
            return std::nullopt;
        }
    }
    std::int64_t days = 0;
    if (!dateParts.empty()) {
        const auto read = ReadDate(dateParts, currentYear);
        if (!read) return std::nullopt;
        days = *read;
    } else if (!time.present) {
        return std::nullopt;
    }
    return OleFromDaysAndSeconds(days, time.seconds);
}

namespace {
int CurrentYear() { return SystemClock().Now().year; }
}  // namespace

bool IsDateText(std::string_view text) { return ParseDateText(text, CurrentYear()).has_value(); }

double CDateText(std::string_view text) {
    const auto date = ParseDateText(text, CurrentYear());
    if (!date) Raise(err::TypeMismatch, "CDate");
    return *date;
}

double DateValue(std::string_view text) {
    const auto date = ParseDateText(text, CurrentYear());
    if (!date) Raise(err::TypeMismatch, "DateValue");
    return DatePart(*date);
}

double TimeValue(std::string_view text) {
    const auto date = ParseDateText(text, CurrentYear());
    if (!date) Raise(err::TypeMismatch, "TimeValue");
    return TimePart(*date);
}

}  // namespace win
