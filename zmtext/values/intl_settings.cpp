#include "zmtext/values/intl_settings.h"

#include "platform/win/profile.h"

namespace zmtext {
namespace {

constexpr const char* kIntl = "intl";

}  // namespace

// ----- Dates and times --------------------------------------------------------------------------

// The buffer sizes are those the settings were always read into: they cut an over-long value.
IntlDateTimeSettings ReadIntlDateTimeSettings() {
    const auto winIni = win::ProfileFile::WinIni();
    IntlDateTimeSettings s;
    s.shortDate = winIni.GetString(kIntl, "sShortDate", "M/d/yy", 12);
    const std::string separator = winIni.GetString(kIntl, "sTime", ":", 2);
    s.timeSeparator = separator.empty() ? '\0' : separator[0];
    s.timeFormat = winIni.GetInt(kIntl, "iTime", 0);
    s.timeLeadingZero = winIni.GetInt(kIntl, "iTLZero", 0);
    s.morningSuffix = winIni.GetString(kIntl, "s1159", "AM", 6);
    s.afternoonSuffix = winIni.GetString(kIntl, "s2359", "PM", 6);
    return s;
}

}  // namespace zmtext
