// The system clock, behind one interface so that tests can move time.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>

namespace win {

// A local calendar time to the second.
struct CivilTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
    friend bool operator==(const CivilTime&, const CivilTime&) = default;
};

// Conversions between seconds since the epoch and local calendar time (the process's time zone).
CivilTime LocalCivilTime(std::time_t seconds);

// The calendar time of a count of seconds from 1970-01-01 00:00, taken as is (no time zone).
CivilTime CivilFromSeconds(std::int64_t seconds);
// Nothing for a calendar time the system cannot represent.
std::optional<std::time_t> LocalTimeT(const CivilTime& when);

class Clock {
public:
    virtual ~Clock() = default;
    virtual CivilTime Now() const = 0;
    // Sets the system date and time. Raises 70 "Permission denied" when the system refuses.
    virtual void SetNow(const CivilTime& when) = 0;
};

// The clock in force: the real one unless a test installed another.
Clock& SystemClock();

// Installs `clock` for this process (nullptr restores the real one). Not owned.
void InstallClock(Clock* clock);

// A clock for tests: the real time shifted by an offset that SetNow changes, or a fixed time.
class OffsetClock : public Clock {
public:
    CivilTime Now() const override;
    void SetNow(const CivilTime& when) override;
    void Freeze(const CivilTime& when);   // Now() returns `when` until the next SetNow
    int SetCount() const { return setCount_; }

private:
    std::chrono::seconds offset_{0};
    bool frozen_ = false;
    CivilTime frozenAt_{};
    int setCount_ = 0;
};

// Milliseconds on the monotonic clock, for waits and timeouts: unaffected by SetNow.
std::chrono::milliseconds MonotonicNow();

}  // namespace win
