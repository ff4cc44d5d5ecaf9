// The date and time keys of WIN.INI's intl section: defaults for an absent file or key, the
// buffer lengths that cut long values, and a fresh read at every use.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/values/intl_settings.h"
#include "zmtext/values/time_values.h"

namespace zmtext {
namespace {

class IntlDateTime : public ::testing::Test {
protected:
    void WriteWinIni(const std::string& text) const {
        std::ofstream(root_.DriveC() / "WINDOWS" / "WIN.INI", std::ios::binary) << text;
    }
    win::testing::TempMachineRoot root_;
};

TEST_F(IntlDateTime, AbsentFileGivesTheDefaults) {
    const IntlDateTimeSettings s = ReadIntlDateTimeSettings();
    EXPECT_EQ(s.shortDate, "M/d/yy");
    EXPECT_EQ(s.timeSeparator, ':');
    EXPECT_EQ(s.timeFormat, 0);
    EXPECT_EQ(s.timeLeadingZero, 0);
    EXPECT_EQ(s.morningSuffix, "AM");
    EXPECT_EQ(s.afternoonSuffix, "PM");
}

TEST_F(IntlDateTime, ReadsEveryKeyAndCutsLongValues) {
    WriteWinIni("[intl]\r\nsShortDate=dd/MM/yyyy gg hh\r\nsTime=.:\r\niTime=1\r\niTLZero=1\r\n"
                "s1159=morning\r\ns2359=nm\r\n");
    const IntlDateTimeSettings s = ReadIntlDateTimeSettings();
    EXPECT_EQ(s.shortDate, "dd/MM/yyyy ");   // at most 11 characters
    EXPECT_EQ(s.timeSeparator, '.');
    EXPECT_EQ(s.timeFormat, 1);
    EXPECT_EQ(s.timeLeadingZero, 1);
    EXPECT_EQ(s.morningSuffix, "morni");     // at most 5
    EXPECT_EQ(s.afternoonSuffix, "nm");
}

// A WIN.INI saved by an editor that puts a UTF-8 byte-order mark first keeps its first section.
TEST_F(IntlDateTime, AByteOrderMarkBeforeTheSectionIsSkipped) {
    for (const char* eol : {"\r\n", "\n"}) {
        WriteWinIni(std::string("\xEF\xBB\xBF[intl]") + eol + "sShortDate=dd/MM/yyyy" + eol + "iTime=1" + eol);
        const IntlDateTimeSettings s = ReadIntlDateTimeSettings();
        EXPECT_EQ(s.shortDate, "dd/MM/yyyy") << (eol[0] == '\r' ? "CRLF" : "LF");
        EXPECT_EQ(s.timeFormat, 1) << (eol[0] == '\r' ? "CRLF" : "LF");
    }
}

TEST_F(IntlDateTime, EmptyTimeSeparatorFallsBackToColon) {
    WriteWinIni("[intl]\r\nsTime=\r\n");
    EXPECT_EQ(ReadIntlDateTimeSettings().timeSeparator, '\0');
    EXPECT_EQ(ZMResolveTimeFormat(ZMTimeFormatProps{'\0', 0, 0, 0, "AM", "PM"}).separator, ':');
}

TEST_F(IntlDateTime, EveryResolveReadsTheFileAgain) {
    const ZMTimeFormatProps winIni{'\0', 0, 0, 0, "", ""};
    EXPECT_EQ(ZMFormatTimeText(50709, ZMResolveTimeFormat(winIni)), " 2:05:09 PM");
    WriteWinIni("[intl]\r\nsTime=.\r\niTime=1\r\niTLZero=1\r\n");
    EXPECT_EQ(ZMFormatTimeText(50709, ZMResolveTimeFormat(winIni)), "14.05.09 ");
    WriteWinIni("[intl]\r\ns2359=pm\r\n");
    EXPECT_EQ(ZMFormatTimeText(50709, ZMResolveTimeFormat(winIni)), " 2:05:09 pm");
    // A control with all its own formats ignores WIN.INI.
    EXPECT_EQ(ZMFormatTimeText(50709, ZMResolveTimeFormat({':', 2, 1, 2, "AM", "PM"})), "14:05 ");
}

}  // namespace
}  // namespace zmtext
