#include "zmtext/values/intl_settings.h"

#include <algorithm>

#include "platform/win/profile.h"

namespace zmtext {
namespace {

constexpr std::string_view kIntl = "intl";

// A one-character setting read, as the platform's callers did, into a two-byte buffer.
char FirstCharOf(std::string_view key, std::string_view fallback) {
    const std::string value = win::ProfileFile::WinIni().GetString(kIntl, key, fallback, 2);
    return value.empty() ? '\0' : value.front();
}

}  // namespace

char IntlDecimalChar() { return FirstCharOf("sDecimal", "."); }

char IntlThousandChar() { return FirstCharOf("sThousand", ","); }

int IntlDigitCount(std::string_view key) {
    return std::clamp(win::ProfileFile::WinIni().GetInt(kIntl, key, 0), 0, kMaxDecimalDigits);
}

std::string IntlCurrencySymbol() {
    return win::ProfileFile::WinIni().GetString(kIntl, "sCurrency", "$", kMaxCurrencySymbol + 1);
}

int IntlNegativeCurrencyLayout() { return win::ProfileFile::WinIni().GetInt(kIntl, "iNegCurr", 0); }

}  // namespace zmtext
