#include "platform/win/clock.h"

#include <atomic>
#include <cerrno>
#include <ctime>

#include "platform/win/calendar.h"
#include "platform/win/error.h"
#include "platform/win/oledate.h"

namespace win {
namespace {

// Seconds of a civil time counted as if it were UTC: differences between two of them are exact.
std::int64_t CivilSeconds(const CivilTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

bool IsValid(const CivilTime& t) {
    return IsValidCivilDate(t.year, t.month, t.day) && t.hour >= 0 && t.hour < 24 &&
           t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
}

CivilTime RealLocalNow() { return LocalCivilTime(std::time(nullptr)); }

// The operating system's clock. Setting it needs the privilege to change the system time; a
// refusal is the runtime's "Permission denied".
class RealClock : public Clock {
public:
    CivilTime Now() const override { return RealLocalNow(); }

    void SetNow(const CivilTime& when) override {
        const auto seconds = IsValid(when) ? LocalTimeT(when) : std::nullopt;
        if (!seconds) Raise(err::InvalidProcedureCall);
        const timespec target{*seconds, 0};
        if (clock_settime(CLOCK_REALTIME, &target) != 0) {
            Raise(errno == EINVAL ? err::InvalidProcedureCall : err::PermissionDenied);
        }
    }
};

RealClock realClock;
std::atomic<Clock*> installedClock{nullptr};

}  // namespace

CivilTime CivilFromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const CivilDate date = CivilFromDays(days);
    CivilTime t;
    t.year = date.year;
    t.month = date.month;
    t.day = date.day;
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

CivilTime LocalCivilTime(std::time_t seconds) {
    std::tm local{};
    localtime_r(&seconds, &local);
    return CivilTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                     local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::optional<std::time_t> LocalTimeT(const CivilTime& when) {
    std::tm local{};
    local.tm_year = when.year - 1900;
    local.tm_mon = when.month - 1;
    local.tm_mday = when.day;
    local.tm_hour = when.hour;
    local.tm_min = when.minute;
    local.tm_sec = when.second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1) && when != LocalCivilTime(-1)) return std::nullopt;
    return seconds;
}

Clock& SystemClock() {
    Clock* clock = installedClock.load();
    return clock != nullptr ? *clock : realClock;
}

void InstallClock(Clock* clock) { installedClock.store(clock); }

CivilTime OffsetClock::Now() const {
    if (frozen_) return frozenAt_;
    return CivilFromSeconds(CivilSeconds(RealLocalNow()) + offset_.count());
}

void OffsetClock::SetNow(const CivilTime& when) {
    if (!IsValid(when)) Raise(err::InvalidProcedureCall);
    offset_ = std::chrono::seconds(CivilSeconds(when) - CivilSeconds(RealLocalNow()));
    frozen_ = false;
    ++setCount_;
}

void OffsetClock::Freeze(const CivilTime& when) {
    frozen_ = true;
    frozenAt_ = when;
}

std::chrono::milliseconds MonotonicNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

}  // namespace win
