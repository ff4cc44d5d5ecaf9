#include "platform/win/textformat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "platform/win/error.h"
#include "platform/win/oledate.h"

namespace win {
namespace {

constexpr char kDecimal = ',';
constexpr char kThousands = '.';

constexpr std::array<std::string_view, 7> kDayNames{
    "domingo", "segunda-feira", "terça-feira", "quarta-feira", "quinta-feira", "sexta-feira",
    "sábado"};
constexpr std::array<std::string_view, 7> kDayAbbreviations{"dom", "seg", "ter", "qua",
                                                             "qui", "sex", "sáb"};
constexpr std::array<std::string_view, 12> kMonthNames{
    "janeiro", "fevereiro", "março",    "abril",   "maio",     "junho",
    "julho",   "agosto",    "setembro", "outubro", "novembro", "dezembro"};
constexpr std::array<std::string_view, 12> kMonthAbbreviations{
    "jan", "fev", "mar", "abr", "mai", "jun", "jul", "ago", "set", "out", "nov", "dez"};

// A finite double as its 15 significant decimal digits: value = 0.digits x 10^point, with
// `digits` free of trailing zeros ("" for zero). Fifteen digits are what the platform shows, so
// 1.005 is "1005" and rounds as a person reading it would.
struct Decimal {
    bool negative = false;
    std::string digits;
    int point = 0;
};

Decimal ToDecimal(double value) {
    Decimal decimal;
    decimal.negative = std::signbit(value) && value != 0;
    if (value == 0 || !std::isfinite(value)) return decimal;
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    for (char c : text.substr(0, e)) {
        if (c != '.') decimal.digits += c;
    }
    int exponent = 0;
    std::string_view exponentText = text.substr(e + 1);
    if (!exponentText.empty() && exponentText[0] == '+') exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);
    decimal.point = exponent + 1;
    while (!decimal.digits.empty() && decimal.digits.back() == '0') decimal.digits.pop_back();
    return decimal;
}

// Rounds half away from zero to `decimals` places after the point.
void RoundDecimal(Decimal& decimal, int decimals) {
    const int keep = decimal.point + decimals;
    if (keep >= static_cast<int>(decimal.digits.size())) return;
    if (keep < 0) {
        decimal.digits.clear();
        return;
    }
    const bool up = decimal.digits[static_cast<std::size_t>(keep)] >= '5';
    decimal.digits.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0; --i) {
            char& digit = decimal.digits[static_cast<std::size_t>(i)];
            if (digit == '9') {
                digit = '0';
            } else {
                ++digit;
                break;
            }
        }
        if (i < 0) {
            decimal.digits.insert(decimal.digits.begin(), '1');
            ++decimal.point;
        }
    }
    while (!decimal.digits.empty() && decimal.digits.back() == '0') decimal.digits.pop_back();
}

// The digit at position `index` counted from the first digit (0 outside the stored digits).
char DigitAt(const Decimal& decimal, int index) {
    if (index < 0 || index >= static_cast<int>(decimal.digits.size())) return '0';
    return decimal.digits[static_cast<std::size_t>(index)];
}

std::string IntegerDigits(const Decimal& decimal) {
    std::string digits;
    for (int i = 0; i < decimal.point; ++i) digits += DigitAt(decimal, i);
    return digits;
}

std::string FractionDigits(const Decimal& decimal, int count) {
    std::string digits;
    for (int i = 0; i < count; ++i) digits += DigitAt(decimal, decimal.point + i);
    return digits;
}

// The general number text with `decimalSeparator`: fixed notation, or exponent form outside
// 1E-4 <= |value| < 1E+15.
std::string GeneralNumber(double value, char decimalSeparator) {
    Decimal decimal = ToDecimal(value);
    if (decimal.digits.empty()) return "0";
    std::string text = decimal.negative ? "-" : "";
    const int exponent = decimal.point - 1;
    if (exponent < -4 || exponent >= 15) {
        text += decimal.digits[0];
        if (decimal.digits.size() > 1) text += decimalSeparator + decimal.digits.substr(1);
        text += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) text += '0';
        text += std::to_string(magnitude);
        return text;
    }
    const std::string integer = IntegerDigits(decimal);
    text += integer.empty() ? "0" : integer;
    const int fraction = static_cast<int>(decimal.digits.size()) - decimal.point;
    if (fraction > 0) text += decimalSeparator + FractionDigits(decimal, fraction);
    return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string_view DayName(int weekday) {
    if (weekday < 1 || weekday > 7) Raise(err::InvalidProcedureCall, "WeekdayName");
    return kDayNames[static_cast<std::size_t>(weekday - 1)];
}

std::string_view MonthName(int month) {
    if (month < 1 || month > 12) Raise(err::InvalidProcedureCall, "MonthName");
    return kMonthNames[static_cast<std::size_t>(month - 1)];
}

std::string NumberText(double value) { return GeneralNumber(value, kDecimal); }

std::string StrText(double value) {
    // Str leaves out the zero before the point: " .5", "-.5".
    std::string text = GeneralNumber(value, '.');
    const std::size_t digits = text[0] == '-' ? 1 : 0;
    if (text.size() > digits + 1 && text[digits] == '0' && text[digits + 1] == '.') {
        text.erase(digits, 1);
    }
    if (text[0] != '-') text.insert(text.begin(), ' ');
    return text;
}

std::string DateText(double oleDate) {
    const double date = DatePart(oleDate);
    const double time = TimePart(oleDate);
    // Day 0 is no date at all: only the time shows, midnight included ("00:00:00").
    if (date == 0) return FormatDate(oleDate, "hh:mm:ss");
    if (time == 0) return FormatDate(oleDate, "dd/mm/yyyy");
    return FormatDate(oleDate, "dd/mm/yyyy hh:mm:ss");
}

// --- Reading numbers -----------------------------------------------------------------------------

namespace {

bool IsValBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

double ValRadix(std::string_view text, std::size_t i, int radix) {
    std::int64_t value = 0;
    int digits = 0;
    for (; i < text.size() && digits < 16; ++i) {
        const char c = Lower(text[i]);
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (IsValBlank(c)) continue;
        if (digit < 0 || digit >= radix) break;
        value = value * radix + digit;
        ++digits;
    }
    // Up to four hexadecimal digits are a 16-bit integer, as the runtime types them.
    if (radix == 16 && digits <= 4 && value >= 0x8000) value -= 0x10000;
    if (radix == 16 && digits > 4 && digits <= 8 && value >= 0x80000000LL) value -= 0x100000000LL;
    return static_cast<double>(value);
}

}  // namespace

double Val(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsValBlank(text[i])) ++i;
    if (i + 1 < text.size() && text[i] == '&') {
        const char kind = Lower(text[i + 1]);
        if (kind == 'h') return ValRadix(text, i + 2, 16);
        if (kind == 'o') return ValRadix(text, i + 2, 8);
    }
    // Collect sign, digits, one point and an exponent, skipping blanks, then convert.
    std::string number;
    bool point = false, exponent = false, digits = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsValBlank(c)) continue;
        if (c >= '0' && c <= '9') {
            number += c;
            digits = true;
        } else if ((c == '+' || c == '-') &&
                   (number.empty() || (exponent && (number.back() == 'e')))) {
            if (c == '-') number += c;
        } else if (c == '.' && !point && !exponent) {
            number += c;
            point = true;
        } else if ((Lower(c) == 'e' || Lower(c) == 'd') && digits && !exponent) {
            number += 'e';
            exponent = true;
        } else {
            break;
        }
    }
    if (!number.empty() && number.back() == 'e') number.pop_back();
    if (!number.empty() && number.back() == '-' ) number.pop_back();
    if (!digits) return 0;
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) Raise(err::Overflow, "Val");
    return value;
}

std::optional<double> ParseNumberText(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsValBlank(text[begin])) ++begin;
    while (end > begin && IsValBlank(text[end - 1])) --end;
    text = text.substr(begin, end - begin);
    std::string number;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    bool digits = false, decimal = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            number += c;
            digits = true;
        } else if (c == kThousands && digits && !decimal) {
            continue;
        } else if (c == kDecimal && !decimal) {
            number += '.';
            decimal = true;
        } else {
            break;
        }
    }
    if (!digits) return std::nullopt;
    if (i < text.size() && Lower(text[i]) == 'e') {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        const std::size_t firstDigit = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') exponent += text[j++];
        if (j == firstDigit) return std::nullopt;
        number += exponent;
        i = j;
    }
    if (i != text.size()) return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc{}) return std::nullopt;
    return value;
}

bool IsNumericText(std::string_view text) { return ParseNumberText(text).has_value(); }

double CDblText(std::string_view text) {
    const auto value = ParseNumberText(text);
    if (!value) Raise(err::TypeMismatch, "CDbl");
    return *value;
}

double RoundHalfEven(double value) {
    const double rounded = std::nearbyint(value);   // the default rounding mode is to nearest even
    return rounded == 0 ? 0.0 : rounded;
}

std::int16_t CInt(double value) {
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= -32768 && rounded <= 32767)) Raise(err::Overflow, "CInt");
    return static_cast<std::int16_t>(rounded);
}

std::int32_t CLng(double value) {
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) Raise(err::Overflow, "CLng");
    return static_cast<std::int32_t>(rounded);
}

std::int64_t CCurUnits(double value) {
    // Scale through the 15-digit decimal so that 0.1 becomes 1000 units, not 999.9999...
    const Decimal decimal = ToDecimal(value);
    std::string digits = decimal.digits;
    double scaled = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        scaled += (digits[i] - '0') * std::pow(10.0, decimal.point + 3 - static_cast<int>(i));
    }
    scaled = RoundHalfEven(scaled);
    if (!(scaled < 9.2233720368547758e18)) Raise(err::Overflow, "CCur");
    const auto units = static_cast<std::int64_t>(scaled);
    return decimal.negative ? -units : units;
}

double CurrencyUnitsToDouble(std::int64_t units) { return static_cast<double>(units) / 10000.0; }

// --- Format --------------------------------------------------------------------------------------

namespace {

// Splits a pattern into its ';' sections, leaving quoted and escaped characters alone.
std::vector<std::string_view> SplitSections(std::string_view pattern) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '"') quoted = !quoted;
        if (!quoted && pattern[i] == '\\') ++i;
        if (!quoted && i < pattern.size() && pattern[i] == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(pattern.substr(start));
    return sections;
}

}  // namespace

// One section of a number pattern, read once: where the digits go, and the literals around.
struct FormatPattern::NumberSection {
    std::string prefix;          // literals before the first digit placeholder
    std::string suffix;          // literals after the last one
    int minInteger = 0;          // '0' placeholders before the decimal point
    int minDecimals = 0;         // '0' placeholders after it
    int maxDecimals = 0;         // '0' and '#' placeholders after it
    bool hasPoint = false;
    bool grouping = false;       // ',' between integer placeholders
    int scaleThousands = 0;      // ',' right before the point or the end: divide by 1000 each
    bool percent = false;
    bool given = false;          // the section's text is not empty
};

namespace {

using NumberPattern = FormatPattern::NumberSection;

NumberPattern ReadNumberPattern(std::string_view section) {
    NumberPattern pattern;
    bool seenDigit = false, afterPoint = false;
    int pendingCommas = 0;
    auto literal = [&](std::string_view text) {
        (seenDigit ? pattern.suffix : pattern.prefix) += text;
    };
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (c == '0' || c == '#') {
            if (pendingCommas > 0 && !afterPoint && seenDigit) pattern.grouping = true;
            pendingCommas = 0;
            seenDigit = true;
            if (afterPoint) {
                ++pattern.maxDecimals;
                if (c == '0') ++pattern.minDecimals;
            } else if (c == '0') {
                ++pattern.minInteger;
            }
        } else if (c == '.' && !afterPoint) {
            pattern.scaleThousands += pendingCommas;
            pendingCommas = 0;
            afterPoint = pattern.hasPoint = seenDigit = true;
        } else if (c == ',' && !afterPoint) {
            if (seenDigit) ++pendingCommas;
        } else if (c == '%') {
            pattern.percent = true;
            literal("%");
        } else if (c == '"') {
            const std::size_t close = section.find('"', i + 1);
            const std::size_t stop = close == std::string_view::npos ? section.size() : close;
            literal(section.substr(i + 1, stop - i - 1));
            i = stop;
        } else if (c == '\\' && i + 1 < section.size()) {
            literal(section.substr(++i, 1));
        } else {
            literal(section.substr(i, 1));
        }
    }
    pattern.scaleThousands += pendingCommas;
    pattern.given = !section.empty();
    return pattern;
}

std::string Group(const std::string& digits) {
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += kThousands;
        grouped += digits[i];
    }
    return grouped;
}

// Formats the magnitude of `value` with one section (no sign).
std::string ApplyNumberPattern(double value, const NumberPattern& pattern) {
    double magnitude = std::fabs(value);
    if (pattern.percent) magnitude *= 100;
    for (int i = 0; i < pattern.scaleThousands; ++i) magnitude /= 1000;
    Decimal decimal = ToDecimal(magnitude);
    RoundDecimal(decimal, pattern.maxDecimals);
    std::string integer = IntegerDigits(decimal);
    if (static_cast<int>(integer.size()) < pattern.minInteger) {
        integer.insert(integer.begin(), static_cast<std::size_t>(pattern.minInteger) - integer.size(), '0');
    }
    if (pattern.grouping) integer = Group(integer);
    std::string text = pattern.prefix + integer;
    if (pattern.hasPoint) {
        const int significant = std::max(0, static_cast<int>(decimal.digits.size()) - decimal.point);
        const int shown = std::max(pattern.minDecimals, std::min(significant, pattern.maxDecimals));
        text += kDecimal;
        text += FractionDigits(decimal, shown);
    }
    return text + pattern.suffix;
}

// Rounds for the zero test and sign of a section as the section would show it.
bool RoundsToZero(double value, const NumberPattern& pattern) {
    double magnitude = std::fabs(value) * (pattern.percent ? 100 : 1);
    for (int i = 0; i < pattern.scaleThousands; ++i) magnitude /= 1000;
    Decimal decimal = ToDecimal(magnitude);
    RoundDecimal(decimal, pattern.maxDecimals);
    return decimal.digits.empty();
}

std::string_view NamedNumberPattern(std::string_view name) {
    if (EqualsIgnoringCase(name, "Fixed")) return "0.00";
    if (EqualsIgnoringCase(name, "Standard")) return "#,##0.00";
    if (EqualsIgnoringCase(name, "Percent")) return "0.00%";
    if (EqualsIgnoringCase(name, "Currency")) return "\"R$ \"#,##0.00;\"-R$ \"#,##0.00";
    return {};
}

// True when a pattern's letters make it a date pattern (a number formatted with it is taken
// as a date, as the runtime does).
bool IsDatePattern(std::string_view pattern) {
    static constexpr std::array<std::string_view, 8> kNamed{
        "general date", "long date", "medium date", "short date",
        "long time",    "medium time", "short time", "c"};
    for (auto name : kNamed) {
        if (EqualsIgnoringCase(pattern, name)) return true;
    }
    bool quoted = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = Lower(pattern[i]);
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\\') {
            ++i;
            continue;
        }
        if (c == 'd' || c == 'm' || c == 'y' || c == 'h' || c == 'n' || c == 's' || c == 'w' ||
            c == 'q' || c == 't') {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string FormatNumber(double value, std::string_view pattern) { return FormatPattern(pattern).Number(value); }

std::string FormatPattern::Number(double value) const {
    if (numberKind_ == NumberKind::General) return NumberText(value);
    if (numberKind_ == NumberKind::AsDate) return Date(value);
    const NumberPattern& positive = sections_[0];
    if (value == 0 && sections_.size() >= 3 && sections_[2].given) return ApplyNumberPattern(0, sections_[2]);
    if (value < 0 && sections_.size() >= 2 && sections_[1].given) return ApplyNumberPattern(value, sections_[1]);
    std::string text = ApplyNumberPattern(value, positive);
    if (value < 0 && !RoundsToZero(value, positive)) text.insert(text.begin(), '-');
    return text;
}

// --- Format of dates ------------------------------------------------------------------------------

namespace {

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    if (text.size() < 2) text.insert(text.begin(), '0');
    return text;
}

struct DateFields {
    CivilTime when;
    int weekday = 1;
    int dayOfYear = 1;
    bool twelveHour = false;
};

int DayOfYear(const CivilTime& when) {
    int days = when.day;
    for (int month = 1; month < when.month; ++month) days += DaysInMonth(when.year, month);
    return days;
}

// The length of a run of `letter` (either case) at `i`, counted up to 6: no field is longer, and
// a run of thousands of letters is then read once in all, not once for each field it holds.
std::size_t RunLength(std::string_view pattern, std::size_t i, char letter) {
    constexpr std::size_t kLongestField = 6;
    std::size_t n = 0;
    while (n < kLongestField && i + n < pattern.size() && Lower(pattern[i + n]) == letter) ++n;
    return n;
}

bool StartsWithIgnoringCase(std::string_view text, std::size_t at, std::string_view prefix) {
    return text.size() - at >= prefix.size() && EqualsIgnoringCase(text.substr(at, prefix.size()), prefix);
}

std::string FormatHour(const DateFields& fields, bool twoDigits) {
    int hour = fields.when.hour;
    if (fields.twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
    return twoDigits ? TwoDigits(hour) : std::to_string(hour);
}

std::string FormatDayRun(const DateFields& fields, std::size_t run, double oleDate) {
    const CivilTime& w = fields.when;
    switch (run) {
        case 1: return std::to_string(w.day);
        case 2: return TwoDigits(w.day);
        case 3: return std::string(kDayAbbreviations[static_cast<std::size_t>(fields.weekday - 1)]);
        case 4: return std::string(kDayNames[static_cast<std::size_t>(fields.weekday - 1)]);
        case 5: return FormatDate(oleDate, "dd/mm/yyyy");
        default: return FormatDate(oleDate, "Long Date");
    }
}

std::string FormatMonthRun(const DateFields& fields, std::size_t run) {
    const int month = fields.when.month;
    switch (run) {
        case 1: return std::to_string(month);
        case 2: return TwoDigits(month);
        case 3: return std::string(kMonthAbbreviations[static_cast<std::size_t>(month - 1)]);
        default: return std::string(kMonthNames[static_cast<std::size_t>(month - 1)]);
    }
}

std::string FormatYearRun(const DateFields& fields, std::size_t run) {
    if (run == 1) return std::to_string(fields.dayOfYear);
    if (run <= 3) return TwoDigits(fields.when.year % 100);
    return std::to_string(fields.when.year);
}

// AM/PM markers of a pattern, longest first; the case written is the case shown.
std::size_t AmPmLength(std::string_view pattern, std::size_t i) {
    if (StartsWithIgnoringCase(pattern, i, "am/pm")) return 5;
    if (StartsWithIgnoringCase(pattern, i, "ampm")) return 4;
    if (StartsWithIgnoringCase(pattern, i, "a/p")) return 3;
    return 0;
}

std::string AmPmText(std::string_view marker, int hour) {
    const bool pm = hour >= 12;
    if (marker.size() == 3) return std::string(1, pm ? marker[2] : marker[0]);
    if (marker.size() == 5) return std::string(pm ? marker.substr(3, 2) : marker.substr(0, 2));
    return pm ? "PM" : "AM";
}

std::string_view NamedDatePattern(std::string_view name) {
    if (EqualsIgnoringCase(name, "Short Date")) return "dd/mm/yyyy";
    if (EqualsIgnoringCase(name, "Long Date")) return "dddd, d \"de\" mmmm \"de\" yyyy";
    if (EqualsIgnoringCase(name, "Medium Date")) return "dd-mmm-yy";
    if (EqualsIgnoringCase(name, "Long Time")) return "hh:mm:ss";
    if (EqualsIgnoringCase(name, "Medium Time")) return "hh:mm AMPM";
    if (EqualsIgnoringCase(name, "Short Time")) return "hh:mm";
    return {};
}

bool HasAmPm(std::string_view pattern) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (AmPmLength(pattern, i) > 0) return true;
    }
    return false;
}

}  // namespace

namespace {

std::string Digits(int value, bool twoDigits) { return twoDigits ? TwoDigits(value) : std::to_string(value); }

// Week of the year counted from Sunday, the week of January 1 being the first.
int WeekOfYear(const DateFields& fields) {
    const int jan1Weekday = (fields.weekday - 1 - (fields.dayOfYear - 1) % 7 + 7) % 7;   // 0 = Sunday
    return (fields.dayOfYear - 1 + jan1Weekday) / 7 + 1;
}

// How many characters the field at pattern[i] takes, `run` being the run of its letter there; 0
// when the character is not a field. `afterHour`: the previous field was an hour, so m means
// minutes.
std::size_t FieldLength(char letter, std::size_t run, bool afterHour) {
    switch (letter) {
        case 'd': return std::min<std::size_t>(run, 6);
        case 'm': return afterHour && run <= 2 ? run : std::min<std::size_t>(run, 4);
        case 'y': return std::min<std::size_t>(run, 4);
        case 'h':
        case 'n':
        case 's':
        case 'w': return std::min<std::size_t>(run, 2);
        case 'q': return 1;
        case 't': return run < 5 ? 0 : 5;
        default: return 0;
    }
}

// Copies the literal at pattern[i] ("quoted text", \x, or one character); answers its length.
std::size_t CopyLiteral(std::string_view pattern, std::size_t i, std::string& out) {
    if (pattern[i] == '"') {
        const std::size_t close = pattern.find('"', i + 1);
        const std::size_t stop = close == std::string_view::npos ? pattern.size() : close;
        out += pattern.substr(i + 1, stop - i - 1);
        return stop + 1 - i;
    }
    if (pattern[i] == '\\' && i + 1 < pattern.size()) {
        out += pattern[i + 1];
        return 2;
    }
    out += pattern[i];
    return 1;
}

}  // namespace

// One piece of a date pattern: literal text, an AM/PM marker as written, or a field: its letter
// (lower case) and length, an m after an hour being minutes.
struct FormatPattern::DatePart {
    enum class Kind { Literal, AmPm, Field };
    Kind kind = Kind::Literal;
    std::string text;
    char letter = 0;
    std::size_t length = 0;
    bool minutes = false;
};

namespace {

std::vector<FormatPattern::DatePart> ReadDatePattern(std::string_view pattern) {
    using Part = FormatPattern::DatePart;
    std::vector<Part> parts;
    bool afterHour = false;
    for (std::size_t i = 0; i < pattern.size();) {
        if (const std::size_t marker = AmPmLength(pattern, i); marker > 0) {
            parts.push_back({Part::Kind::AmPm, std::string(pattern.substr(i, marker)), 0, 0, false});
            afterHour = false;
            i += marker;
            continue;
        }
        const char letter = Lower(pattern[i]);
        const std::size_t run = RunLength(pattern, i, letter);
        if (const std::size_t length = FieldLength(letter, run, afterHour); length > 0) {
            parts.push_back({Part::Kind::Field, {}, letter, length, letter == 'm' && afterHour && run <= 2});
            afterHour = letter == 'h';
            i += length;
            continue;
        }
        if (parts.empty() || parts.back().kind != Part::Kind::Literal) parts.emplace_back();
        i += CopyLiteral(pattern, i, parts.back().text);
    }
    return parts;
}

void AppendField(const FormatPattern::DatePart& part, const DateFields& fields, double oleDate, std::string& out) {
    const std::size_t n = part.length;
    switch (part.letter) {
        case 'd': out += FormatDayRun(fields, n, oleDate); break;
        case 'm': out += part.minutes ? Digits(fields.when.minute, n == 2) : FormatMonthRun(fields, n); break;
        case 'y': out += FormatYearRun(fields, n); break;
        case 'h': out += FormatHour(fields, n == 2); break;
        case 'n': out += Digits(fields.when.minute, n == 2); break;
        case 's': out += Digits(fields.when.second, n == 2); break;
        case 'w': out += std::to_string(n == 2 ? WeekOfYear(fields) : fields.weekday); break;
        case 'q': out += std::to_string((fields.when.month - 1) / 3 + 1); break;
        default: out += FormatDate(oleDate, "hh:mm:ss"); break;   // ttttt
    }
}

}  // namespace

std::string FormatDate(double oleDate, std::string_view pattern) { return FormatPattern(pattern).Date(oleDate); }

FormatPattern::FormatPattern(std::string_view pattern) {
    // As a date pattern: the general date, or the named pattern's fields.
    generalDate_ = pattern.empty() || EqualsIgnoringCase(pattern, "General Date") || EqualsIgnoringCase(pattern, "c");
    if (!generalDate_) {
        const auto namedDate = NamedDatePattern(pattern);
        const std::string_view datePattern = namedDate.empty() ? pattern : namedDate;
        twelveHour_ = HasAmPm(datePattern);
        dateParts_ = ReadDatePattern(datePattern);
    }
    // As a number pattern: the general number, a date pattern, or up to three sections.
    if (pattern.empty() || EqualsIgnoringCase(pattern, "General Number")) return;
    const auto namedNumber = NamedNumberPattern(pattern);
    if (namedNumber.empty() && IsDatePattern(pattern)) {
        numberKind_ = NumberKind::AsDate;
        return;
    }
    numberKind_ = NumberKind::Sections;
    for (const auto section : SplitSections(namedNumber.empty() ? pattern : namedNumber)) {
        if (sections_.size() == 3) break;
        sections_.push_back(ReadNumberPattern(section));
    }
}

FormatPattern::~FormatPattern() = default;
FormatPattern::FormatPattern(const FormatPattern&) = default;
FormatPattern& FormatPattern::operator=(const FormatPattern&) = default;
FormatPattern::FormatPattern(FormatPattern&&) noexcept = default;
FormatPattern& FormatPattern::operator=(FormatPattern&&) noexcept = default;

std::string FormatPattern::Date(double oleDate) const {
    if (generalDate_) return DateText(oleDate);
    DateFields fields;
    fields.when = CivilFromOleDate(oleDate);
    fields.weekday = Weekday(oleDate);
    fields.dayOfYear = DayOfYear(fields.when);
    fields.twelveHour = twelveHour_;
    std::string out;
    for (const auto& part : dateParts_) {
        switch (part.kind) {
            case DatePart::Kind::Literal: out += part.text; break;
            case DatePart::Kind::AmPm: out += AmPmText(part.text, fields.when.hour); break;
            case DatePart::Kind::Field: AppendField(part, fields, oleDate, out); break;
        }
    }
    return out;
}

std::string FormatText(std::string_view text, std::string_view pattern, int currentYear) {
    if (const auto number = ParseNumberText(text)) return FormatNumber(*number, pattern);
    if (const auto date = ParseDateText(text, currentYear)) return FormatDate(*date, pattern);
    return std::string(text);
}

}  // namespace win
