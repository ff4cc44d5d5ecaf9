#include "platform/forms/colors.h"

#include <charconv>

#include "platform/ctl/colors.h"
#include "platform/win/error.h"

namespace forms {

std::uint32_t ColorFromText(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (!text.empty() && text.back() == '&') text.remove_suffix(1);
    std::uint32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || result.ec != std::errc{} || result.ptr != text.data() + text.size()) {
        win::Raise(win::err::TypeMismatch, "Color");
    }
    return value;
}

QColor ToQColor(std::uint32_t color) { return ctl::ToQColor(ctl::TranslateColor(color)); }

}  // namespace forms
