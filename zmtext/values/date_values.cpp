#include "zmtext/values/date_values.h"

#include <cmath>

#include "platform/win/calendar.h"
#include "platform/win/clock.h"
#include "platform/win/oledate.h"

namespace zmtext {
namespace {

// The calendar's day count of 1899-12-30, type-0 day 0.
constexpr std::int64_t kTypeZeroEpoch = win::DaysFromCivil(1899, 12, 30);
// Type-1 numbers are type-0 numbers less this.
constexpr std::int32_t kTypeOneOffset = 29220;
constexpr double kSecondsPerDay = 86400;

constexpr ZMDateTypeLimits kTypeZero{-693959, -693960, -657434, 2958465, -657434, 2958465};
constexpr ZMDateTypeLimits kTypeOne{-32767, -32768, -29219, 31368, -29199, 31348};

static_assert(win::DaysFromCivil(100, 1, 1) - kTypeZeroEpoch == kTypeZero.minimum);
static_assert(win::DaysFromCivil(9999, 12, 31) - kTypeZeroEpoch == kTypeZero.maximum);
static_assert(win::DaysFromCivil(1899, 12, 31) - kTypeZeroEpoch - kTypeOneOffset == kTypeOne.minimum);
static_assert(win::DaysFromCivil(2065, 11, 17) - kTypeZeroEpoch - kTypeOneOffset == kTypeOne.maximum);

bool IsTypeZero(int dateType) { return dateType == kDateTypeVisualBasic; }

// The years whose dates a type can hold.
bool IsYearOfType(int dateType, int year) {
    return IsTypeZero(dateType) ? year >= 100 && year <= 9999 : year >= 1900 && year <= 2065;
}

}  // namespace

const ZMDateTypeLimits& ZMDateLimits(int dateType) { return IsTypeZero(dateType) ? kTypeZero : kTypeOne; }

bool ZMIsDayNumberInRange(int dateType, std::int32_t number) {
    const auto& limits = ZMDateLimits(dateType);
    return number >= limits.minimum && number <= limits.maximum;
}

std::int32_t ZMDateToDayNumber(int dateType, int month, int day, int year) {
    const auto& limits = ZMDateLimits(dateType);
    if (month == 0 && day == 0 && year == 0) return limits.blank;
    if (month < 1 || month > 12 || !IsYearOfType(dateType, year)) return limits.error;
    // The calendar's count is linear in the day, so a day past the month's end runs on.
    std::int64_t number = win::DaysFromCivil(year, month, day) - kTypeZeroEpoch;
    if (!IsTypeZero(dateType)) number -= kTypeOneOffset;
    if (number < limits.minimum || number > limits.maximum) return limits.error;
    return static_cast<std::int32_t>(number);
}

std::int32_t ZMDateToDayNumber(int dateType, const ZMDate& date) {
    return ZMDateToDayNumber(dateType, date.month, date.day, date.year);
}

ZMDate ZMDayNumberToDate(int dateType, std::int32_t number) {
    if (!ZMIsDayNumberInRange(dateType, number)) return {};
    std::int64_t days = number + kTypeZeroEpoch;
    if (!IsTypeZero(dateType)) days += kTypeOneOffset;
    const win::CivilDate civil = win::CivilFromDays(days);
    return {static_cast<std::int16_t>(civil.month), static_cast<std::int16_t>(civil.day),
            static_cast<std::int16_t>(civil.year)};
}

bool ZMIsValidDate(int dateType, const ZMDate& date) {
    if (date.month < 1 || date.month > 12) return false;
    if (date.day < 1 || date.day > win::DaysInMonth(date.year, date.month)) return false;
    return ZMDateToDayNumber(dateType, date) != ZMDateLimits(dateType).error;
}

bool ZMIsDateInRange(int dateType, const ZMDate& value, const ZMDate& minimum, const ZMDate& maximum) {
    const std::int32_t number = ZMDateToDayNumber(dateType, value);
    return ZMDateToDayNumber(dateType, minimum) <= number && number <= ZMDateToDayNumber(dateType, maximum);
}

ZMDate ZMGetToday() {
    const win::CivilTime now = win::SystemClock().Now();
    return {static_cast<std::int16_t>(now.month), static_cast<std::int16_t>(now.day),
            static_cast<std::int16_t>(now.year)};
}

std::optional<ZMOleDateParts> ZMSplitOleDate(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    ZMOleDateParts parts;
    // Adding 0 turns the -0 of a value in (-1, 0) into day 0.
    parts.day = std::trunc(value) + 0.0;
    const long long seconds = std::llround(std::fabs(value - parts.day) * kSecondsPerDay);
    if (seconds >= static_cast<long long>(kSecondsPerDay)) {
        parts.day += 1;   // the next calendar day, before and after 1899-12-30 alike
        parts.seconds = 0;
    } else {
        parts.seconds = static_cast<std::int32_t>(seconds);
    }
    return parts;
}

double ZMComposeOleDate(double day, std::int32_t seconds) {
    const double time = seconds / kSecondsPerDay;
    return day < 0 ? day - time : day + time;
}

}  // namespace zmtext
