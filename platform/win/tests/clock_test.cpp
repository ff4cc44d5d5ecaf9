#include "platform/win/clock.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "platform/win/error.h"
#include "platform/win/testing/raises.h"

namespace {
using win::CivilTime;
using namespace std::chrono_literals;

long ErrorOfSet(win::Clock& clock, const CivilTime& when) {
    return win::testing::ErrorNumberOf([&] { clock.SetNow(when); });
}

TEST(OffsetClockTest, SetNowMovesTheClockAndTimeGoesOnFromThere) {
    const CivilTime rows[] = {{2020, 2, 29, 23, 59, 50}, {1999, 12, 31, 12, 0, 0},
                              {2038, 1, 19, 3, 14, 0},   {1980, 1, 1, 0, 0, 0}};
    win::OffsetClock clock;
    for (const auto& when : rows) {
        clock.SetNow(when);
        const auto now = clock.Now();
        EXPECT_EQ(std::tie(now.year, now.month, now.day, now.hour, now.minute),
                  std::tie(when.year, when.month, when.day, when.hour, when.minute));
        EXPECT_GE(now.second, when.second);
        EXPECT_LE(now.second, when.second + 5);
    }
    EXPECT_EQ(clock.SetCount(), 4);
}

TEST(OffsetClockTest, AFrozenClockStandsStillUntilTheNextSet) {
    win::OffsetClock clock;
    const CivilTime frozen{2001, 9, 10, 8, 30, 0};
    clock.Freeze(frozen);
    // Until a running clock shows another second (at most 5 s).
    const win::OffsetClock running;
    const CivilTime start = running.Now();
    const auto limit = win::MonotonicNow() + 5000ms;
    while (running.Now() == start && win::MonotonicNow() < limit) std::this_thread::sleep_for(10ms);
    ASSERT_NE(running.Now(), start);
    EXPECT_EQ(clock.Now(), frozen);
    clock.SetNow({2010, 5, 6, 7, 8, 0});
    EXPECT_EQ(clock.Now().year, 2010);
    EXPECT_EQ(clock.SetCount(), 1);
}

TEST(OffsetClockTest, DatesThatDoNotExistAreRefused) {
    win::OffsetClock clock;
    const struct {
        CivilTime when;
        long number;
    } rows[] = {
        {{2021, 2, 29, 0, 0, 0}, 5}, {{2020, 2, 30, 0, 0, 0}, 5}, {{2020, 13, 1, 0, 0, 0}, 5},
        {{2020, 4, 31, 0, 0, 0}, 5}, {{2020, 1, 1, 24, 0, 0}, 5}, {{2020, 1, 1, 0, 60, 0}, 5},
        {{2020, 1, 1, 0, 0, -1}, 5}, {{2020, 0, 1, 0, 0, 0}, 5},  {{2000, 2, 29, 23, 59, 59}, 0},
        {{2100, 2, 28, 0, 0, 0}, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ErrorOfSet(clock, row.when), row.number)
            << row.when.year << "-" << row.when.month << "-" << row.when.day << " " << row.when.hour;
    }
    EXPECT_EQ(clock.SetCount(), 2);
}

TEST(ClockTest, AnInstalledClockIsTheSystemClockUntilRemoved) {
    win::OffsetClock clock;
    clock.Freeze({1995, 5, 5, 5, 5, 5});
    win::InstallClock(&clock);
    EXPECT_EQ(win::SystemClock().Now(), (CivilTime{1995, 5, 5, 5, 5, 5}));
    win::InstallClock(nullptr);
    EXPECT_NE(&win::SystemClock(), &clock);
    EXPECT_GE(win::SystemClock().Now().year, 2024);
}

// True when the process may set the system clock (CAP_SYS_TIME, bit 25 of its effective set).
bool MaySetTheClock() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("CapEff:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> 25) & 1;
    }
    return true;
}

// The real clock is asked to set the time in a child process that has given up the privilege to
// do so; the target is the current time, so that even a wrongful success changes nothing.
TEST(ClockTest, TheSystemsRefusalToSetTheClockIsPermissionDenied) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        if (MaySetTheClock()) _exit(3);
        auto& clock = win::SystemClock();
        _exit(ErrorOfSet(clock, clock.Now()) == win::err::PermissionDenied ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2 || WEXITSTATUS(status) == 3) GTEST_SKIP() << "cannot drop the privilege";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ClockTest, LocalTimeConversionsRoundTrip) {
    const CivilTime rows[] = {{1970, 1, 1, 0, 0, 0}, {2001, 2, 3, 4, 5, 6}, {2024, 2, 29, 12, 30, 59},
                              {1969, 12, 31, 23, 59, 59}};
    for (const auto& when : rows) {
        const auto seconds = win::LocalTimeT(when);
        ASSERT_TRUE(seconds) << when.year;
        EXPECT_EQ(win::LocalCivilTime(*seconds), when) << when.year;
    }
}

TEST(ClockTest, MonotonicTimeMovesForwardWithTheWait) {
    const auto before = win::MonotonicNow();
    std::this_thread::sleep_for(20ms);
    EXPECT_GE(win::MonotonicNow() - before, 20ms);
}

}  // namespace
