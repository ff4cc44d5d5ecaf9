// The regional settings of WIN.INI's "intl" section that the value controls format with. The
// controls read them at every use (nothing is cached), so a change to WIN.INI shows at the next
// formatting; the value functions take them as plain structs and never read files themselves.
#pragma once

#include <string>

namespace zmtext {

// ----- Dates and times --------------------------------------------------------------------------

// The date and time keys, with the defaults that stand in for an absent key or file.
struct IntlDateTimeSettings {
    std::string shortDate = "M/d/yy";   // "sShortDate", at most 11 characters
    char timeSeparator = ':';           // "sTime", its first character (0 when the value is empty)
    int timeFormat = 0;                 // "iTime": non-zero for a 24-hour clock
    int timeLeadingZero = 0;            // "iTLZero": non-zero for a leading zero on the hour
    std::string morningSuffix = "AM";   // "s1159", at most 5 characters
    std::string afternoonSuffix = "PM"; // "s2359", at most 5 characters
};

// Reads the date and time keys of WIN.INI in the Windows folder now.
IntlDateTimeSettings ReadIntlDateTimeSettings();

}  // namespace zmtext
