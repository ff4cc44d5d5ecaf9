// The engine's SQL functions, registered on every connection.
//
// Conversions of dates and numbers go through platform/win (oledate.h, textformat.h), the same
// code the forms runtime uses, so a text converts alike in a statement and in the program. A
// function that fails reports "jet:<number> <text>" through SQLite, which the database layer turns
// back into the runtime error of that number (errors.h).
#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/collation.h"
#include "platform/dao/errors.h"
#include "platform/dao/sql/jet_internal.h"
#include "platform/dao/sql/jet_pump.h"
#include "platform/dao/sql/jet_sql.h"
#include "platform/dao/value.h"
#include "platform/win/error.h"
#include "platform/win/oledate.h"
#include "platform/win/textformat.h"

namespace dao::sql {
namespace {

using Args = sqlite3_value**;

bool IsNull(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; }
bool IsText(sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_TEXT; }

std::string_view TextOf(sqlite3_value* v) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string_view();
}

int CurrentYear() { return win::SystemClock().Now().year; }

// A number as the runtime reads one: numbers as they are, texts in the regional form (13 else).
double NumberOf(sqlite3_value* v) {
    if (!IsText(v)) return sqlite3_value_double(v);
    if (auto n = win::ParseNumberText(TextOf(v))) return *n;
    throw win::RuntimeError(win::err::TypeMismatch, "Type mismatch");
}

double DateOf(sqlite3_value* v) {
    if (!IsText(v)) return sqlite3_value_double(v);
    if (auto n = win::ParseNumberText(TextOf(v))) return *n;
    return win::CDateText(TextOf(v));
}

// CStr: numbers in the regional form, dates as the runtime writes them.
std::string StringOf(sqlite3_value* v, bool isDate = false) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER:
        return isDate ? win::DateText(static_cast<double>(sqlite3_value_int64(v))) : std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return isDate ? win::DateText(sqlite3_value_double(v)) : win::NumberText(sqlite3_value_double(v));
    default: return std::string(TextOf(v));
    }
}

void ResultText(sqlite3_context* ctx, const std::string& text) {
    sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Byte offsets of the characters of UTF-8 text, plus the end.
std::vector<std::size_t> CharStarts(std::string_view s) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    starts.push_back(s.size());
    return starts;
}

// Characters [from, from + count) of `s`, counting from 0 and clamped to the text.
std::string Chars(std::string_view s, long long from, long long count) {
    std::vector<std::size_t> starts = CharStarts(s);
    long long n = static_cast<long long>(starts.size()) - 1;
    from = std::clamp(from, 0LL, n);
    long long to = from + std::clamp(count, 0LL, n - from);
    return std::string(s.substr(starts[from], starts[to] - starts[from]));
}

long long CharCount(std::string_view s) { return static_cast<long long>(CharStarts(s).size()) - 1; }

std::string LowerText(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
        if (c == 0xC3 && i + 1 < out.size()) {
            unsigned char d = static_cast<unsigned char>(out[i + 1]);
            if (d >= 0x80 && d <= 0x9E && d != 0x97) out[i + 1] = static_cast<char>(d + 0x20);
            ++i;
        }
    }
    return out;
}

// ---- the functions, each (ctx, argc, argv) with Null handled by the caller where marked ----

[[noreturn]] void RaiseInvalidCall() {
    throw win::RuntimeError(win::err::InvalidProcedureCall, "Invalid procedure call or argument");
}
[[noreturn]] void RaiseOverflow() { throw win::RuntimeError(win::err::Overflow, "Overflow"); }

// A number outside the dates the platform knows (or not finite) overflows.
double CheckedDate(double date) {
    if (!(date >= win::kMinOleDate && date <= win::kMaxOleDate)) RaiseOverflow();
    return date;
}

// Currency holds +-922,337,203,685,477.5807.
double CheckedCurrency(double value) {
    if (!(std::fabs(value) <= 922337203685477.5807)) RaiseOverflow();
    return value;
}

void CDate(sqlite3_context* ctx, int, Args a) { sqlite3_result_double(ctx, CheckedDate(DateOf(a[0]))); }

// For comparisons and assignments: a text that is no date becomes Null, not an error.
void AsDate(sqlite3_context* ctx, int, Args a) {
    if (!IsText(a[0])) return sqlite3_result_value(ctx, a[0]);
    if (auto d = win::ParseDateText(TextOf(a[0]), CurrentYear())) return sqlite3_result_double(ctx, *d);
    if (auto n = win::ParseNumberText(TextOf(a[0]))) return sqlite3_result_double(ctx, *n);
    sqlite3_result_null(ctx);
}

bool IsDatePattern(std::string_view pattern) {
    static constexpr std::string_view kNamed[] = {"general date", "long date", "medium date", "short date",
                                                   "long time", "medium time", "short time"};
    std::string lower = LowerText(pattern);
    for (std::string_view n : kNamed) {
        if (lower == n) return true;
    }
    return lower.find_first_of("0#%") == std::string::npos && lower.find_first_of("dmyhns") != std::string::npos;
}

// jet_format(value, pattern, isDate)
void Format(sqlite3_context* ctx, int, Args a) {
    std::string pattern(TextOf(a[1]));
    if (IsText(a[0])) return ResultText(ctx, win::FormatText(TextOf(a[0]), pattern, CurrentYear()));
    double value = sqlite3_value_double(a[0]);
    bool asDate = sqlite3_value_int(a[2]) != 0 || IsDatePattern(pattern);
    ResultText(ctx, asDate ? win::FormatDate(value, pattern) : win::FormatNumber(value, pattern));
}

void CCur(sqlite3_context* ctx, int, Args a) {
    sqlite3_result_double(ctx, win::CurrencyUnitsToDouble(win::CCurUnits(CheckedCurrency(NumberOf(a[0])))));
}
void CInt(sqlite3_context* ctx, int, Args a) { sqlite3_result_int(ctx, win::CInt(NumberOf(a[0]))); }
void CLng(sqlite3_context* ctx, int, Args a) { sqlite3_result_int(ctx, win::CLng(NumberOf(a[0]))); }
void CDbl(sqlite3_context* ctx, int, Args a) { sqlite3_result_double(ctx, NumberOf(a[0])); }
void CStr(sqlite3_context* ctx, int, Args a) { ResultText(ctx, StringOf(a[0], sqlite3_value_int(a[1]) != 0)); }
void Val(sqlite3_context* ctx, int, Args a) {
    sqlite3_result_double(ctx, IsText(a[0]) ? win::Val(TextOf(a[0])) : sqlite3_value_double(a[0]));
}

// ---- the field rules of a write: jet_field(value, type, size, fromDate) converts a value as a
// field of that type stores it and fails with the engine's number when it cannot; jet_fits(...)
// answers whether jet_field would succeed, so a statement that skips refused rows can filter them.

struct FieldResult {
    long error = 0;  // 0, or jet::ConversionError / NumericOverflow / TextTooLong
    int storage = SQLITE_NULL;
    long long integer = 0;
    double real = 0;
    std::string text;
};

FieldResult Refused(long number) {
    FieldResult out;
    out.error = number;
    return out;
}

std::optional<double> NumberForField(sqlite3_value* v, int type) {
    if (!IsText(v)) return sqlite3_value_double(v);
    if (auto n = win::ParseNumberText(TextOf(v))) return n;
    if (type == kJetBoolean) {
        if (EqualsAscii(TextOf(v), "true")) return -1.0;
        if (EqualsAscii(TextOf(v), "false")) return 0.0;
    }
    return std::nullopt;
}

FieldResult IntegerField(double n, double low, double high) {
    FieldResult out;
    const double rounded = win::RoundHalfEven(n);
    if (!(rounded >= low && rounded <= high)) return Refused(jet::NumericOverflow);
    out.storage = SQLITE_INTEGER;
    out.integer = static_cast<long long>(rounded);
    return out;
}

FieldResult NumberField(double n, int type) {
    FieldResult out{0, SQLITE_FLOAT, 0, n, {}};
    switch (type) {
    case kJetBoolean: return {0, SQLITE_INTEGER, n != 0 ? -1 : 0, 0, {}};
    case kJetByte: return IntegerField(n, 0, 255);
    case kJetInteger: return IntegerField(n, -32768, 32767);
    case kJetLong: return IntegerField(n, -2147483648.0, 2147483647.0);
    case kJetCurrency: {
        if (!(std::fabs(n) <= 922337203685477.5807)) return Refused(jet::NumericOverflow);
        const std::int64_t units = win::CCurUnits(n);
        if (units > kCurrencyFieldUnits || units < -kCurrencyFieldUnits) return Refused(jet::NumericOverflow);
        out.real = win::CurrencyUnitsToDouble(units);
        return out;
    }
    case kJetSingle:
        if (std::isfinite(n) && std::fabs(n) > std::numeric_limits<float>::max()) return Refused(jet::NumericOverflow);
        out.real = static_cast<float>(n);
        return out;
    case kJetDate:
        if (!(n >= win::kMinOleDate && n <= win::kMaxOleDate)) return Refused(jet::NumericOverflow);
        return out;
    default: return out;
    }
}

FieldResult FieldRule(sqlite3_value* v, int type, int size, bool fromDate) {
    if (IsNull(v)) return {};
    if (type == kJetText || type == kJetMemo) {
        FieldResult out{0, SQLITE_TEXT, 0, 0, StringOf(v, fromDate)};
        const auto chars = std::count_if(out.text.begin(), out.text.end(),
                                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
        if (type == kJetText && chars > size) return Refused(jet::TextTooLong);
        return out;
    }
    if (type == kJetDate && IsText(v)) {
        auto date = win::ParseDateText(TextOf(v), CurrentYear());
        if (!date) date = win::ParseNumberText(TextOf(v));
        if (!date) return Refused(jet::ConversionError);
        return NumberField(*date, type);
    }
    const auto n = NumberForField(v, type);
    if (!n) return Refused(jet::ConversionError);
    return NumberField(*n, type);
}

FieldResult FieldRuleOf(Args a) {
    return FieldRule(a[0], sqlite3_value_int(a[1]), sqlite3_value_int(a[2]), sqlite3_value_int(a[3]) != 0);
}

void Field(sqlite3_context* ctx, int, Args a) {
    const FieldResult r = FieldRuleOf(a);
    if (r.error) throw win::RuntimeError(r.error, JetErrorText(r.error));
    switch (r.storage) {
    case SQLITE_INTEGER: return sqlite3_result_int64(ctx, r.integer);
    case SQLITE_FLOAT: return sqlite3_result_double(ctx, r.real);
    case SQLITE_TEXT: return ResultText(ctx, r.text);
    default: return sqlite3_result_null(ctx);
    }
}

void Fits(sqlite3_context* ctx, int, Args a) { sqlite3_result_int(ctx, FieldRuleOf(a).error == 0 ? 1 : 0); }

// A character count or position of Mid, Left and Right: a Null one is 94, as the runtime's is.
long long CountOf(sqlite3_value* v) {
    if (IsNull(v)) throw win::RuntimeError(win::err::InvalidUseOfNull, "Invalid use of Null");
    return sqlite3_value_int64(v);
}

// Mid(text, start[, length]): a start below 1 or a negative length is 5.
void Mid(sqlite3_context* ctx, int argc, Args a) {
    long long start = CountOf(a[1]);
    if (start < 1) RaiseInvalidCall();
    long long count = argc > 2 ? CountOf(a[2]) : (1LL << 40);
    if (count < 0) RaiseInvalidCall();
    ResultText(ctx, Chars(StringOf(a[0]), start - 1, count));
}
// Left and Right of a negative length are 5, not "".
void Left(sqlite3_context* ctx, int, Args a) {
    long long n = CountOf(a[1]);
    if (n < 0) RaiseInvalidCall();
    ResultText(ctx, Chars(StringOf(a[0]), 0, n));
}
void Right(sqlite3_context* ctx, int, Args a) {
    long long wanted = CountOf(a[1]);
    if (wanted < 0) RaiseInvalidCall();
    std::string s = StringOf(a[0]);
    long long n = std::min(wanted, CharCount(s));
    ResultText(ctx, Chars(s, CharCount(s) - n, n));
}
void Len(sqlite3_context* ctx, int, Args a) { sqlite3_result_int64(ctx, CharCount(StringOf(a[0]))); }

std::string TrimBlanks(std::string s, bool left, bool right) {
    std::size_t b = left ? s.find_first_not_of(' ') : 0;
    if (b == std::string::npos) return {};
    std::size_t e = right ? s.find_last_not_of(' ') + 1 : s.size();
    return s.substr(b, e - b);
}
void Trim(sqlite3_context* ctx, int, Args a) { ResultText(ctx, TrimBlanks(StringOf(a[0]), true, true)); }
void LTrim(sqlite3_context* ctx, int, Args a) { ResultText(ctx, TrimBlanks(StringOf(a[0]), true, false)); }
void RTrim(sqlite3_context* ctx, int, Args a) { ResultText(ctx, TrimBlanks(StringOf(a[0]), false, true)); }
void UCase(sqlite3_context* ctx, int, Args a) { ResultText(ctx, JetFold(StringOf(a[0]))); }
void LCase(sqlite3_context* ctx, int, Args a) { ResultText(ctx, LowerText(StringOf(a[0]))); }

// InStr([start, ]text, sought[, compare]): the 1-based character position, 0 when absent.
// Compare 0 is exact; the default and 1 ignore case as the engine's text comparison does.
void InStr(sqlite3_context* ctx, int argc, Args a) {
    bool hasStart = argc >= 3 && !IsText(a[0]);
    long long start = hasStart ? sqlite3_value_int64(a[0]) : 1;
    sqlite3_value* textArg = a[hasStart ? 1 : 0];
    sqlite3_value* soughtArg = a[hasStart ? 2 : 1];
    if (IsNull(textArg) || IsNull(soughtArg)) return sqlite3_result_null(ctx);
    if (start < 1) RaiseInvalidCall();
    bool exact = argc == (hasStart ? 4 : 3) && sqlite3_value_int(a[argc - 1]) == 0;
    std::string text = exact ? StringOf(textArg) : JetFold(StringOf(textArg));
    std::string sought = exact ? StringOf(soughtArg) : JetFold(StringOf(soughtArg));
    std::vector<std::size_t> starts = CharStarts(text);
    if (start > static_cast<long long>(starts.size()) - 1) return sqlite3_result_int(ctx, 0);
    std::size_t at = text.find(sought, starts[start - 1]);
    if (at == std::string::npos) return sqlite3_result_int(ctx, 0);
    sqlite3_result_int64(ctx, CharCount(std::string_view(text).substr(0, at)) + 1);
}

double NowValue() { return win::OleDateFromCivil(win::SystemClock().Now()); }
void Now(sqlite3_context* ctx, int, Args) { sqlite3_result_double(ctx, NowValue()); }
void Date(sqlite3_context* ctx, int, Args) { sqlite3_result_double(ctx, win::DatePart(NowValue())); }
void Time(sqlite3_context* ctx, int, Args) { sqlite3_result_double(ctx, win::TimePart(NowValue())); }
void Year(sqlite3_context* ctx, int, Args a) { sqlite3_result_int(ctx, win::Year(DateOf(a[0]))); }
void Month(sqlite3_context* ctx, int, Args a) { sqlite3_result_int(ctx, win::Month(DateOf(a[0]))); }
void Day(sqlite3_context* ctx, int, Args a) { sqlite3_result_int(ctx, win::Day(DateOf(a[0]))); }
void DateValue(sqlite3_context* ctx, int, Args a) {
    sqlite3_result_double(ctx, IsText(a[0]) ? win::DateValue(TextOf(a[0])) : win::DatePart(sqlite3_value_double(a[0])));
}
void TimeValue(sqlite3_context* ctx, int, Args a) {
    sqlite3_result_double(ctx, IsText(a[0]) ? win::TimeValue(TextOf(a[0])) : win::TimePart(sqlite3_value_double(a[0])));
}
void DateSerial(sqlite3_context* ctx, int, Args a) {
    sqlite3_result_double(ctx, win::DateSerial(win::CInt(NumberOf(a[0])), win::CInt(NumberOf(a[1])),
                                               win::CInt(NumberOf(a[2]))));
}

// a & b: Null only when both sides are Null; a Null side reads as "".
void Concat(sqlite3_context* ctx, int, Args a) {
    if (IsNull(a[0]) && IsNull(a[1])) return sqlite3_result_null(ctx);
    ResultText(ctx, StringOf(a[0]) + StringOf(a[1]));
}

// A number result of arithmetic: beyond the range of a Double (or not a number) it is 6, never
// an infinity that a comparison or a field would take as a value.
double Finite(double value) {
    if (!std::isfinite(value)) RaiseOverflow();
    return value;
}

// jet_finite(x): x itself, checked as above; wraps each sum, difference or product of numbers
// that are not all whole (SQLite's own arithmetic gives infinities).
void FiniteOf(sqlite3_context* ctx, int, Args a) {
    if (sqlite3_value_type(a[0]) == SQLITE_FLOAT) Finite(sqlite3_value_double(a[0]));
    sqlite3_result_value(ctx, a[0]);
}

// a + b: two texts join (Null when either is Null); otherwise numbers add.
void Add(sqlite3_context* ctx, int, Args a) {
    if (IsNull(a[0]) || IsNull(a[1])) return sqlite3_result_null(ctx);
    if (IsText(a[0]) && IsText(a[1])) return ResultText(ctx, StringOf(a[0]) + StringOf(a[1]));
    if (sqlite3_value_type(a[0]) == SQLITE_INTEGER && sqlite3_value_type(a[1]) == SQLITE_INTEGER) {
        const long long x = sqlite3_value_int64(a[0]);
        const long long y = sqlite3_value_int64(a[1]);
        const bool fits = y >= 0 ? x <= std::numeric_limits<long long>::max() - y
                                 : x >= std::numeric_limits<long long>::min() - y;
        if (fits) return sqlite3_result_int64(ctx, x + y);
    }
    sqlite3_result_double(ctx, Finite(NumberOf(a[0]) + NumberOf(a[1])));
}

// a / b: Null when either is Null; a zero divisor is 11, or 6 for 0 / 0, as the runtime's are.
void Div(sqlite3_context* ctx, int, Args a) {
    if (IsNull(a[0]) || IsNull(a[1])) return sqlite3_result_null(ctx);
    const double dividend = NumberOf(a[0]);
    const double divisor = NumberOf(a[1]);
    if (divisor == 0) {
        if (dividend == 0) RaiseOverflow();
        throw win::RuntimeError(11, "Division by zero");
    }
    sqlite3_result_double(ctx, Finite(dividend / divisor));
}

// \ and Mod work on Longs: operands out of that range overflow (6), as the runtime's do. Null
// on either side gives Null.
void IntDiv(sqlite3_context* ctx, int, Args a) {
    if (IsNull(a[0]) || IsNull(a[1])) return sqlite3_result_null(ctx);
    long long d = win::CLng(NumberOf(a[1]));
    if (d == 0) throw win::RuntimeError(11, "Division by zero");
    sqlite3_result_int64(ctx, static_cast<long long>(win::CLng(NumberOf(a[0]))) / d);
}
void Mod(sqlite3_context* ctx, int, Args a) {
    if (IsNull(a[0]) || IsNull(a[1])) return sqlite3_result_null(ctx);
    long long d = win::CLng(NumberOf(a[1]));
    if (d == 0) throw win::RuntimeError(11, "Division by zero");
    sqlite3_result_int64(ctx, static_cast<long long>(win::CLng(NumberOf(a[0]))) % d);
}
// a ^ b: a result that is no real number (a negative base under a fractional exponent, zero
// under a negative one) is 5; one beyond a Double's range is 6.
void Pow(sqlite3_context* ctx, int, Args a) {
    if (IsNull(a[0]) || IsNull(a[1])) return sqlite3_result_null(ctx);
    const double base = NumberOf(a[0]);
    const double exponent = NumberOf(a[1]);
    const double result = std::pow(base, exponent);
    if (std::isnan(result) || (base == 0 && exponent < 0)) RaiseInvalidCall();
    sqlite3_result_double(ctx, Finite(result));
}

// Like: * any run, ? one character, # one digit, [abc] [a-z] [!abc] one of / none of; letters
// compare as the engine's text comparison does.
// One pattern element against one character: `pi` is at a ?, #, [class] or literal, and comes
// back past it; false when the character does not match.
bool MatchOne(const std::vector<std::string>& pat, std::size_t& pi, const std::string& c) {
    const std::string& p = pat[pi++];
    if (p == "?") return true;
    if (p == "#") return c.size() == 1 && c[0] >= '0' && c[0] <= '9';
    if (p != "[") return p == c;
    // A class runs up to the next "]".
    std::size_t close = pi;
    while (close < pat.size() && pat[close] != "]") ++close;
    if (close == pat.size()) throw win::RuntimeError(jet::ExpressionSyntax, "Invalid pattern string");
    bool negate = close > pi && pat[pi] == "!";
    bool found = false;
    for (std::size_t k = pi + (negate ? 1 : 0); k < close; ++k) {
        if (k + 2 < close && pat[k + 1] == "-") {
            found = found || (pat[k] <= c && c <= pat[k + 2]);
            k += 2;
        } else {
            found = found || pat[k] == c;
        }
    }
    pi = close + 1;
    return found != negate;
}

// Wildcard matching with one resumption point: after a mismatch the last * takes one more
// character and matching resumes behind it. Linear in practice, never exponential.
bool LikeMatch(const std::vector<std::string>& text, const std::vector<std::string>& pat) {
    std::size_t ti = 0, pi = 0;
    std::size_t starPi = std::string::npos, starTi = 0;
    while (ti < text.size()) {
        if (pi < pat.size() && pat[pi] == "*") {
            starPi = ++pi;
            starTi = ti;
            continue;
        }
        std::size_t next = pi;
        if (pi < pat.size() && MatchOne(pat, next, text[ti])) {
            pi = next;
            ++ti;
            continue;
        }
        if (starPi == std::string::npos) return false;
        pi = starPi;
        ti = ++starTi;
    }
    while (pi < pat.size() && pat[pi] == "*") ++pi;
    return pi == pat.size();
}

std::vector<std::string> SplitChars(std::string_view folded) {
    std::vector<std::size_t> starts = CharStarts(folded);
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 1 < starts.size(); ++i) out.emplace_back(folded.substr(starts[i], starts[i + 1] - starts[i]));
    return out;
}

void Like(sqlite3_context* ctx, int, Args a) {
    std::vector<std::string> text = SplitChars(JetFold(StringOf(a[0])));
    std::vector<std::string> pattern = SplitChars(JetFold(StringOf(a[1])));
    sqlite3_result_int(ctx, LikeMatch(text, pattern) ? 1 : 0);
}

// ---- First / Last ----------------------------------------------------------------------------

struct Held {
    sqlite3_value* value;
    bool seen;
};

void FirstStep(sqlite3_context* ctx, int, Args a) {
    auto* held = static_cast<Held*>(sqlite3_aggregate_context(ctx, sizeof(Held)));
    if (!held || held->seen) return;
    held->value = sqlite3_value_dup(a[0]);
    held->seen = true;
}
void LastStep(sqlite3_context* ctx, int, Args a) {
    auto* held = static_cast<Held*>(sqlite3_aggregate_context(ctx, sizeof(Held)));
    if (!held) return;
    sqlite3_value_free(held->value);
    held->value = sqlite3_value_dup(a[0]);
    held->seen = true;
}
void HeldFinal(sqlite3_context* ctx) {
    auto* held = static_cast<Held*>(sqlite3_aggregate_context(ctx, 0));
    if (!held || !held->value) return sqlite3_result_null(ctx);
    sqlite3_result_value(ctx, held->value);
    sqlite3_value_free(held->value);
    held->value = nullptr;
}

// ---- registration ----------------------------------------------------------------------------

using Function = void (*)(sqlite3_context*, int, Args);

// Wraps a function: Null in (where the engine's function gives Null for Null) and errors out.
template <Function F, bool NullIn>
void Guarded(sqlite3_context* ctx, int argc, Args argv) {
    if (NullIn && argc > 0 && IsNull(argv[0])) return sqlite3_result_null(ctx);
    try {
        F(ctx, argc, argv);
    } catch (const win::RuntimeError& e) {
        std::string message = "jet:" + std::to_string(e.Number()) + " " + e.Description();
        sqlite3_result_error(ctx, message.c_str(), -1);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

struct Registration {
    const char* name;
    int args;  // -1: any number
    bool deterministic;
    Function fn;
};

constexpr Registration kScalars[] = {
    {"jet_cdate", 1, true, Guarded<CDate, true>},          {"jet_as_date", 1, true, Guarded<AsDate, true>},
    {"jet_format", 3, true, Guarded<Format, true>},        {"jet_ccur", 1, true, Guarded<CCur, true>},
    {"jet_cint", 1, true, Guarded<CInt, true>},            {"jet_clng", 1, true, Guarded<CLng, true>},
    {"jet_cdbl", 1, true, Guarded<CDbl, true>},            {"jet_cstr", 2, true, Guarded<CStr, true>},
    {"jet_val", 1, true, Guarded<Val, true>},             {"jet_mid", -1, true, Guarded<Mid, true>},
    {"jet_left", 2, true, Guarded<Left, true>},            {"jet_right", 2, true, Guarded<Right, true>},
    {"jet_len", 1, true, Guarded<Len, true>},              {"jet_trim", 1, true, Guarded<Trim, true>},
    {"jet_ltrim", 1, true, Guarded<LTrim, true>},          {"jet_rtrim", 1, true, Guarded<RTrim, true>},
    {"jet_ucase", 1, true, Guarded<UCase, true>},          {"jet_lcase", 1, true, Guarded<LCase, true>},
    {"jet_instr", -1, true, Guarded<InStr, false>},        {"jet_now", 0, false, Guarded<Now, false>},
    {"jet_date", 0, false, Guarded<Date, false>},          {"jet_time", 0, false, Guarded<Time, false>},
    {"jet_year", 1, true, Guarded<Year, true>},            {"jet_month", 1, true, Guarded<Month, true>},
    {"jet_day", 1, true, Guarded<Day, true>},              {"jet_datevalue", 1, true, Guarded<DateValue, true>},
    {"jet_timevalue", 1, true, Guarded<TimeValue, true>},  {"jet_dateserial", 3, true, Guarded<DateSerial, false>},
    {"jet_concat", 2, true, Guarded<Concat, false>},       {"jet_add", 2, true, Guarded<Add, false>},
    {"jet_intdiv", 2, true, Guarded<IntDiv, false>},       {"jet_mod", 2, true, Guarded<Mod, false>},
    {"jet_pow", 2, true, Guarded<Pow, false>},             {"jet_like", 2, true, Guarded<Like, true>},
    {"jet_div", 2, true, Guarded<Div, false>},             {"jet_finite", 1, true, Guarded<FiniteOf, false>},
    {"jet_field", 4, true, Guarded<Field, false>},         {"jet_fits", 4, true, Guarded<Fits, false>},
};

}  // namespace

int RegisterJetFunctions(sqlite3* db) {
    for (const Registration& r : kScalars) {
        int flags = SQLITE_UTF8 | (r.deterministic ? SQLITE_DETERMINISTIC : 0);
        int rc = sqlite3_create_function_v2(db, r.name, r.args, flags, nullptr, r.fn, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) return rc;
    }
    int rc = sqlite3_create_function_v2(db, "jet_first", 1, SQLITE_UTF8, nullptr, nullptr,
                                        Guarded<FirstStep, false>, HeldFinal, nullptr);
    if (rc != SQLITE_OK) return rc;
    rc = sqlite3_create_function_v2(db, "jet_last", 1, SQLITE_UTF8, nullptr, nullptr, Guarded<LastStep, false>,
                                    HeldFinal, nullptr);
    if (rc != SQLITE_OK) return rc;
    return RegisterPumpRows(db);
}

}  // namespace dao::sql
