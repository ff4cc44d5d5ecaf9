#include "platform/forms/datetime.h"

#include <chrono>
#include <cmath>

#include "platform/win/clock.h"
#include "platform/win/error.h"
#include "platform/win/oledate.h"

namespace forms {

double Now() { return win::OleDateFromCivil(win::SystemClock().Now()); }
double Today() { return win::DatePart(Now()); }
double TimeOfDay() { return win::TimePart(Now()); }
double Timer() {
    const win::CivilTime now = win::SystemClock().Now();
    return now.hour * 3600.0 + now.minute * 60.0 + now.second;
}
int CurrentYear() { return win::SystemClock().Now().year; }

void SetDate(double date) {
    win::CivilTime when = win::SystemClock().Now();
    const win::CivilTime day = win::CivilFromOleDate(date);
    when.year = day.year;
    when.month = day.month;
    when.day = day.day;
    win::SystemClock().SetNow(when);
}

void SetTime(double time) {
    win::CivilTime when = win::SystemClock().Now();
    const win::CivilTime clock = win::CivilFromOleDate(win::TimePart(time));
    when.hour = clock.hour;
    when.minute = clock.minute;
    when.second = clock.second;
    win::SystemClock().SetNow(when);
}

namespace {

enum class Unit { Year, Quarter, Month, Day, Week, Hour, Minute, Second, Invalid };

Unit UnitOf(std::string_view interval) {
    std::string lower;
    for (char c : interval) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lower == "yyyy") return Unit::Year;
    if (lower == "q") return Unit::Quarter;
    if (lower == "m") return Unit::Month;
    if (lower == "d" || lower == "y" || lower == "w") return Unit::Day;
    if (lower == "ww") return Unit::Week;
    if (lower == "h") return Unit::Hour;
    if (lower == "n") return Unit::Minute;
    if (lower == "s") return Unit::Second;
    return Unit::Invalid;
}

// A date's whole seconds since the epoch, counted on a straight line (negative dates included).
double LinearSeconds(double date) {
    const double days = win::DatePart(date);
    return days * 86400.0 + std::round(win::TimePart(date) * 86400.0);
}

double FromLinearSeconds(double seconds) {
    const double days = std::floor(seconds / 86400.0);
    const double rest = (seconds - days * 86400.0) / 86400.0;
    return days >= 0 ? days + rest : days - rest;
}

}  // namespace

double DateAdd(std::string_view interval, double number, double date) {
    const auto whole = static_cast<int>(std::trunc(number));
    switch (UnitOf(interval)) {
        case Unit::Year: return win::AddMonths(date, whole * 12);
        case Unit::Quarter: return win::AddMonths(date, whole * 3);
        case Unit::Month: return win::AddMonths(date, whole);
        case Unit::Day: return FromLinearSeconds(LinearSeconds(date) + whole * 86400.0);
        case Unit::Week: return FromLinearSeconds(LinearSeconds(date) + whole * 7 * 86400.0);
        case Unit::Hour: return FromLinearSeconds(LinearSeconds(date) + whole * 3600.0);
        case Unit::Minute: return FromLinearSeconds(LinearSeconds(date) + whole * 60.0);
        case Unit::Second: return FromLinearSeconds(LinearSeconds(date) + whole);
        case Unit::Invalid: break;
    }
    win::Raise(win::err::InvalidProcedureCall, "DateAdd");
}

long DateDiff(std::string_view interval, double date1, double date2) {
    const win::CivilTime a = win::CivilFromOleDate(date1);
    const win::CivilTime b = win::CivilFromOleDate(date2);
    const double days = win::DatePart(date2) - win::DatePart(date1);
    auto floorDiv = [](double x, double unit) { return static_cast<long>(std::floor(x / unit)); };
    switch (UnitOf(interval)) {
        case Unit::Year: return b.year - a.year;
        case Unit::Quarter: return (b.year - a.year) * 4 + (b.month - 1) / 3 - (a.month - 1) / 3;
        case Unit::Month: return (b.year - a.year) * 12 + b.month - a.month;
        case Unit::Day: return static_cast<long>(days);
        case Unit::Week: {
            // Sundays crossed: weeks counted from the Sunday on or before each date.
            const double sunday1 = win::DatePart(date1) - (win::Weekday(date1) - 1);
            const double sunday2 = win::DatePart(date2) - (win::Weekday(date2) - 1);
            return static_cast<long>((sunday2 - sunday1) / 7);
        }
        case Unit::Hour: return floorDiv(LinearSeconds(date2), 3600) - floorDiv(LinearSeconds(date1), 3600);
        case Unit::Minute: return floorDiv(LinearSeconds(date2), 60) - floorDiv(LinearSeconds(date1), 60);
        case Unit::Second: return static_cast<long>(LinearSeconds(date2) - LinearSeconds(date1));
        case Unit::Invalid: break;
    }
    win::Raise(win::err::InvalidProcedureCall, "DateDiff");
}

}  // namespace forms
