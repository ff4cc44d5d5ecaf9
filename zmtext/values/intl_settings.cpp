#include "zmtext/values/intl_settings.h"

#include <algorithm>

#include "platform/win/profile.h"

namespace zmtext {
namespace {

constexpr const char* kIntl = "intl";

}  // namespace

// ----- Numbers and currency ---------------------------------------------------------------------

// The one-character settings are read, as they always were, into a two-byte buffer.
IntlNumberSettings ReadIntlNumberSettings() {
    const auto winIni = win::ProfileFile::WinIni();
    const auto firstChar = [&](const char* key, const char* fallback) {
        const std::string value = winIni.GetString(kIntl, key, fallback, 2);
        return value.empty() ? '\0' : value.front();
    };
    const auto digitCount = [&](const char* key) {
        return std::clamp(winIni.GetInt(kIntl, key, 0), 0, kMaxDecimalDigits);
    };
    IntlNumberSettings s;
    s.decimal = firstChar("sDecimal", ".");
    s.thousands = firstChar("sThousand", ",");
    s.digits = digitCount("iDigits");
    s.currencyDigits = digitCount("iCurrDigits");
    s.currencySymbol = winIni.GetString(kIntl, "sCurrency", "$", kMaxCurrencySymbol + 1);
    s.negativeCurrency = winIni.GetInt(kIntl, "iNegCurr", 0);
    return s;
}

}  // namespace zmtext
