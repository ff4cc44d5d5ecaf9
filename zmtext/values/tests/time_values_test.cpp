// Time formats from the properties and WIN.INI, the display text, raw text and pattern builders,
// the three parsers, the packed FmtControl, and round trips over every second of the day.
#include <gtest/gtest.h>

#include "zmtext/values/time_values.h"

namespace zmtext {
namespace {

constexpr std::int32_t T(int h, int m, int s) { return h * 3600 + m * 60 + s; }

// A resolved format: 24-hour clock, seconds shown, leading zero.
ZMTimeFormat Fmt(bool hours24, bool seconds, bool leadingZero, char separator = ':') {
    ZMTimeFormat f;
    f.hours24 = hours24;
    f.showSeconds = seconds;
    f.leadingZero = leadingZero;
    f.separator = separator;
    return f;
}

const ZMTimeFormat k12 = Fmt(false, true, false);       // the WIN.INI defaults
const ZMTimeFormat k12NoSec = Fmt(false, false, false);
const ZMTimeFormat k24 = Fmt(true, true, true);
const ZMTimeFormat k24NoSec = Fmt(true, false, true);

ZMTimeFormatProps Props(char separator, int hours, int seconds, int leadingZero, std::string am = "AM",
                        std::string pm = "PM") {
    return {separator, hours, seconds, leadingZero, std::move(am), std::move(pm)};
}

TEST(TimeFormatSettings, PropertiesOrWinIniSettings) {
    IntlDateTimeSettings german;
    german.timeSeparator = '.';
    german.timeFormat = 1;
    german.timeLeadingZero = 1;
    german.morningSuffix = "vorm";
    german.afternoonSuffix = "nachm";
    IntlDateTimeSettings emptySeparator;
    emptySeparator.timeSeparator = '\0';
    struct Row {
        ZMTimeFormatProps props;
        IntlDateTimeSettings intl;
        ZMTimeFormat expected;
    } rows[] = {
        {Props(':', 0, 0, 0), {}, k12},
        {Props('\0', 0, 0, 0), german, Fmt(true, true, true, '.')},
        {Props('\0', 0, 0, 0, "", ""), german,
         [] { auto f = Fmt(true, true, true, '.'); f.morning = "vorm"; f.afternoon = "nachm"; return f; }()},
        {Props('\0', 0, 0, 0), emptySeparator, k12},            // no separator anywhere: ":"
        {Props('-', 1, 0, 1), german, Fmt(false, true, false, '-')},
        {Props(':', 2, 1, 2), {}, k24NoSec},
        {Props(':', 2, 0, 1), german, Fmt(true, true, false)},
        {Props(':', 1, 1, 2), german, Fmt(false, false, true)},
        {Props(':', 1, 0, 1, "a.m.x", "p.m.y"), {},
         [] { auto f = Fmt(false, true, false); f.morning = "a.m."; f.afternoon = "p.m."; return f; }()},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ZMResolveTimeFormat(rows[i].props, rows[i].intl), rows[i].expected);
    }
}

struct FormatRow {
    std::int32_t value;
    ZMTimeFormat format;
    const char* text;
    const char* raw;
};

TEST(TimeTexts, DisplayAndRawText) {
    ZMTimeFormat german = Fmt(false, true, true, '.');
    german.morning = "vorm";
    german.afternoon = "nachm";
    const FormatRow rows[] = {
        {T(14, 5, 9), k12, " 2:05:09 PM", "020509p"},
        {T(14, 5, 9), k24NoSec, "14:05 ", "1405"},
        {T(14, 5, 9), k24, "14:05:09 ", "140509"},
        {T(14, 5, 9), k12NoSec, " 2:05 PM", "0205p"},
        {0, k12, "12:00:00 AM", "120000a"},
        {T(12, 0, 0), k12, "12:00:00 PM", "120000p"},
        {T(0, 30, 0), k12NoSec, "12:30 AM", "1230a"},
        {T(11, 59, 59), k12, "11:59:59 AM", "115959a"},
        {T(12, 59, 59), k12, "12:59:59 PM", "125959p"},
        {T(13, 0, 0), k12, " 1:00:00 PM", "010000p"},
        {86399, k12, "11:59:59 PM", "115959p"},
        {86399, k24, "23:59:59 ", "235959"},
        {0, k24, "00:00:00 ", "000000"},
        {0, Fmt(true, true, false), " 0:00:00 ", "000000"},
        {T(9, 5, 0), Fmt(true, false, false), " 9:05 ", "0905"},
        {T(9, 5, 0), Fmt(true, false, true, '.'), "09.05 ", "0905"},
        {T(21, 5, 0), german, "09.05.00 nachm", "090500p"},
        {-1, k12, "", "_______"},
        {-1, k24, "", "______"},
        {-1, k12NoSec, "", "_____"},
        {-1, k24NoSec, "", "____"},
        {86400, k24, "", "______"},
        {-5, k12, "", "_______"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(ZMFormatTimeText(row.value, row.format), row.text);
        EXPECT_EQ(ZMFormatTimeRaw(row.value, row.format, '_'), row.raw);
    }
}

TEST(TimeTexts, Pattern) {
    EXPECT_EQ(ZMTimePattern(k12, '_'), "__:__:__-_");
    EXPECT_EQ(ZMTimePattern(k24NoSec, '_'), "__:__");
    EXPECT_EQ(ZMTimePattern(k24, '_'), "__:__:__");
    EXPECT_EQ(ZMTimePattern(k12NoSec, '_'), "__:__-_");
    EXPECT_EQ(ZMTimePattern(Fmt(true, true, true, '.'), '#'), "##.##.##");
}

TEST(TimeRawParse, TypedDigitsAndTheMeridiemLetter) {
    struct Row {
        const char* raw;
        ZMTimeFormat format;
        std::int32_t expected;
    } rows[] = {
        {"120000a", k12, 0},           {"120000p", k12, T(12, 0, 0)},  {"010000p", k12, T(13, 0, 0)},
        {"020509p", k12, T(14, 5, 9)}, {"020509P", k12, T(14, 5, 9)},  {"110000A", k12, T(11, 0, 0)},
        {"020509_", k12, T(2, 5, 9)},  // the letter not typed yet
        {"020509", k12, T(2, 5, 9)},   {"120000x", k12, T(12, 0, 0)},  {"1200a", k12NoSec, 0},
        {"0234p", k12NoSec, T(14, 34, 0)}, {"0234p", k12, T(14, 34, 0)}, // five characters: no seconds
        {"1405", k24NoSec, T(14, 5, 0)}, {"140509", k24, T(14, 5, 9)}, {"140509", k24NoSec, T(14, 5, 0)},
        {"1234", k24, T(12, 34, 0)},   {"123", k24, T(12, 0, 0)},      {"12", k24, T(12, 0, 0)},
        {"1_____", k24, T(1, 0, 0)},   {"_1____", k24, T(1, 0, 0)},    {"0_3___", k24, T(0, 3, 0)},
        {"1", k24, -1},                {"", k24, -1},                  {"______", k24, -1},
        {"_______", k12, -1},          {"999999", k24, T(99, 99, 99)},  // unchecked: judged at focus loss
        {"120000p", k24, T(12, 0, 0)},  // a 24-hour clock ignores the letter
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(ZMParseTimeRaw(row.raw, row.format, '_'), row.expected);
    }
    EXPECT_EQ(ZMParseTimeRaw("12##30p", k12, '#'), T(12, 0, 30));
}

// The typed parts decide, not the number they add up to: 10:75 would otherwise pass as 11:15.
TEST(TimeRawParse, TypedPartsOutOfTheirRangeAreInvalid) {
    struct Row {
        const char* raw;
        ZMTimeFormat format;
        bool valid;
    } rows[] = {
        {"1030", k24NoSec, true},     {"1075", k24NoSec, false},    {"2359", k24NoSec, true},
        {"2400", k24NoSec, false},    {"235959", k24, true},        {"235960", k24, false},
        {"0099", k24NoSec, false},    {"120000a", k12, true},       {"120000p", k12, true},
        {"110000p", k12, true},       {"130000p", k12, false},      {"130000a", k12, true},
        {"115960p", k12, false},      {"1_____", k24, true},        {"______", k24, false},
        {"", k24, false},             {"-10000", k24, false},       {"1075__", k24, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(ZMIsValidTimeRaw(row.raw, row.format, '_'), row.valid);
    }
}

TEST(TimeRawData, LengthsFourToSevenAndTheSuffix) {
    struct Row {
        const char* text;
        std::optional<std::int32_t> expected;
    } rows[] = {
        {"1405", T(14, 5, 0)},   {"140509", T(14, 5, 9)}, {"0205p", T(14, 5, 0)}, {"020509p", T(14, 5, 9)},
        {"120000a", 0},          {"120000A", 0},          {"1200P", T(12, 0, 0)}, {"0100a", T(1, 0, 0)},
        {"12000x", T(12, 0, 0)}, {"12000", std::nullopt},  {"120000z", std::nullopt},
        {"123", std::nullopt},   {"", std::nullopt},       {"12345678", std::nullopt},
        {"____", -1},            {"______", -1},           {"_____", -1}, {"_______", -1},  // empty values
        {"9999", T(99, 99, 0)},
        // A time being typed: nothing yet at the suffix, the hour as typed.
        {"0230_", T(2, 30, 0)},  {"023000_", T(2, 30, 0)}, {"02_____", T(2, 0, 0)}, {"1230_", T(12, 30, 0)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ZMParseTimeRawData(row.text, '_'), row.expected);
    }
}

TEST(TimeTextParse, SeparatorsAndTheFirstLetterAfterTheMinutes) {
    struct Row {
        const char* text;
        char separator;
        std::int32_t expected;
    } rows[] = {
        {"10:30", ':', T(10, 30, 0)},       {"", ':', -1},                      {"no time", ':', -1},
        {"1:5 pm", ':', T(13, 5, 0)},       {" 2:05:09 PM", ':', T(14, 5, 9)},  {"12:00:00 AM", ':', 0},
        {"12:00:00 PM", ':', T(12, 0, 0)},  {"12:30 am", ':', T(0, 30, 0)},     {"14:05 ", ':', T(14, 5, 0)},
        {"12", ':', T(12, 0, 0)},           {"12 pm", ':', T(12, 0, 0)},        {"1 pm", ':', T(13, 0, 0)},
        {"9.30", ':', T(9, 0, 0)},          {"9.30", '.', T(9, 30, 0)},         {"1:2:3:4", ':', T(1, 2, 3)},
        {"10:30 p", ':', T(22, 30, 0)},     {"Pm 1:00", ':', T(0, 0, 0)},       // hours from the start: 0
        {"09.05.00 nachm", '.', T(9, 5, 0)},  // the first A or P decides, inside a suffix too
        {"23:59:59 PM", ':', T(35, 59, 59)},  // unchecked
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ZMParseTimeText(row.text, row.separator), row.expected);
    }
}

TEST(TimeFmtControl, PacksAndUnpacksTheThreeFormats) {
    struct Row {
        int packed;
        ZMTimeFmtFlags flags;
    } rows[] = {
        {0, {0, 0, 0}}, {1, {1, 1, 1}}, {2, {0, 2, 1}}, {3, {1, 2, 1}},
        {4, {0, 1, 2}}, {5, {1, 1, 2}}, {6, {0, 2, 2}}, {7, {1, 2, 2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.packed);
        EXPECT_EQ(ZMUnpackTimeFmtControl(row.packed), row.flags);
        EXPECT_EQ(ZMPackTimeFmtControl(row.flags), row.packed);
    }
    // Read back from formats set one by one: 0 while hours and leading zero both use WIN.INI.
    EXPECT_EQ(ZMPackTimeFmtControl({1, 0, 0}), 0);
    EXPECT_EQ(ZMPackTimeFmtControl({1, 2, 0}), 3);
    EXPECT_EQ(ZMPackTimeFmtControl({0, 0, 2}), 4);
    EXPECT_EQ(ZMPackTimeFmtControl({0, 1, 0}), 0);
}

TEST(TimeParts, SplitComposeAndTwelveHourClock) {
    EXPECT_EQ(ZMSplitTime(T(14, 5, 9)), (ZMTimeParts{14, 5, 9}));
    EXPECT_EQ(ZMSplitTime(0), (ZMTimeParts{0, 0, 0}));
    EXPECT_EQ(ZMSplitTime(86399), (ZMTimeParts{23, 59, 59}));
    EXPECT_EQ(ZMSplitTime(-1), (ZMTimeParts{-1, -1, -1}));
    EXPECT_EQ(ZMSplitTime(86400), (ZMTimeParts{-1, -1, -1}));
    EXPECT_EQ(ZMComposeTime(14, 30, 0), 52200);
    EXPECT_EQ(ZMComposeTime(2147483647, 0, 0), 2147483647);
    EXPECT_EQ(ZMComposeTime(-2147483647, 0, 0), -2147483647 - 1);
    const int twelve[][2] = {{0, 12}, {1, 1}, {11, 11}, {12, 12}, {13, 1}, {23, 11}};
    for (const auto& row : twelve) EXPECT_EQ(ZMTwelveHourClock(row[0]), row[1]) << row[0];
    // hour, afternoon, 24-hour hour
    const int twentyFour[][3] = {{12, 0, 0}, {12, 1, 12}, {1, 0, 1}, {1, 1, 13}, {11, 1, 23}, {0, 0, 0}, {2, 1, 14}};
    for (const auto& row : twentyFour) EXPECT_EQ(ZMTwentyFourHourClock(row[0], row[1] != 0), row[2]) << row[0];
    // Every hour of the day through the 12-hour clock and back.
    for (int hour = 0; hour < 24; ++hour) EXPECT_EQ(ZMTwentyFourHourClock(ZMTwelveHourClock(hour), hour >= 12), hour);
}

// Every second of the day through every format: value -> raw -> value and value -> text -> value
// (seconds hidden drop the seconds).
TEST(TimeRoundTrip, EverySecondOfTheDay) {
    for (bool hours24 : {false, true}) {
        for (bool seconds : {false, true}) {
            for (bool leadingZero : {false, true}) {
                const ZMTimeFormat format = Fmt(hours24, seconds, leadingZero);
                for (std::int32_t v = 0; v <= 86399; ++v) {
                    const std::int32_t shown = seconds ? v : v - v % 60;
                    const std::string raw = ZMFormatTimeRaw(v, format, '_');
                    ASSERT_EQ(ZMParseTimeRaw(raw, format, '_'), shown) << raw;
                    ASSERT_EQ(ZMParseTimeRawData(raw, '_'), shown) << raw;
                    const std::string text = ZMFormatTimeText(v, format);
                    ASSERT_EQ(ZMParseTimeText(text, format.separator), shown) << text;
                }
            }
        }
    }
}

}  // namespace
}  // namespace zmtext
