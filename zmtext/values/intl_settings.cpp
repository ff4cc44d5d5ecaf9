#include "zmtext/values/intl_settings.h"

#include <algorithm>

#include "platform/win/profile.h"

namespace zmtext {
namespace {

constexpr const char* kIntl = "intl";

// A one-character setting, read as it always was into a two-byte buffer; 0 for an empty value.
char FirstCharacter(const win::ProfileSnapshot& winIni, const char* key, const char* fallback) {
    const std::string value = winIni.GetString(kIntl, key, fallback, 2);
    return value.empty() ? '\0' : value.front();
}

}  // namespace

// ----- Dates and times --------------------------------------------------------------------------

// The buffer sizes are those the settings were always read into: they cut an over-long value.
IntlDateTimeSettings ReadIntlDateTimeSettings() {
    const auto winIni = win::ProfileFile::WinIni().Snapshot();   // one look at the file for every key
    IntlDateTimeSettings s;
    s.shortDate = winIni.GetString(kIntl, "sShortDate", "M/d/yy", 12);
    s.timeSeparator = FirstCharacter(winIni, "sTime", ":");
    s.timeFormat = winIni.GetInt(kIntl, "iTime", 0);
    s.timeLeadingZero = winIni.GetInt(kIntl, "iTLZero", 0);
    s.morningSuffix = winIni.GetString(kIntl, "s1159", "AM", 6);
    s.afternoonSuffix = winIni.GetString(kIntl, "s2359", "PM", 6);
    return s;
}

// ----- Numbers and currency ---------------------------------------------------------------------

IntlNumberSettings ReadIntlNumberSettings() {
    const auto winIni = win::ProfileFile::WinIni().Snapshot();   // one look at the file for every key
    const auto digitCount = [&](const char* key) {
        return std::clamp(winIni.GetInt(kIntl, key, 0), 0, kMaxDecimalDigits);
    };
    IntlNumberSettings s;
    s.decimal = FirstCharacter(winIni, "sDecimal", ".");
    s.thousands = FirstCharacter(winIni, "sThousand", ",");
    s.digits = digitCount("iDigits");
    s.currencyDigits = digitCount("iCurrDigits");
    s.currencySymbol = winIni.GetString(kIntl, "sCurrency", "$", kMaxCurrencySymbol + 1);
    s.negativeCurrency = winIni.GetInt(kIntl, "iNegCurr", 0);
    return s;
}

}  // namespace zmtext
