#include "platform/forms/colors.h"

#include <QApplication>
#include <QPalette>
#include <charconv>

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

namespace {

QPalette::ColorRole RoleOfSystemColor(std::uint32_t index, QPalette::ColorGroup& group) {
    group = QPalette::Active;
    switch (index) {
        case 5: return QPalette::Base;               // window background
        case 8: return QPalette::Text;               // window text
        case 13: return QPalette::Highlight;
        case 14: return QPalette::HighlightedText;
        case 15: return QPalette::Button;            // button face
        case 16: return QPalette::Dark;              // button shadow
        case 17: group = QPalette::Disabled; return QPalette::Text;   // gray text
        case 18: return QPalette::ButtonText;
        case 20: return QPalette::Light;             // button highlight
        case 24: return QPalette::ToolTipBase;
        case 23: return QPalette::ToolTipText;
        default: return QPalette::Window;
    }
}

}  // namespace

QColor ToQColor(std::uint32_t color) {
    if (color & 0x80000000u) {
        QPalette::ColorGroup group = QPalette::Active;
        const QPalette::ColorRole role = RoleOfSystemColor(color & 0xFF, group);
        return QApplication::palette().color(group, role);
    }
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

}  // namespace forms
