// The platform's colour numbers: 0x00BBGGRR for a colour of its own, 0x800000nn for system colour
// nn (5 window background, 8 window text, 13 highlight, 15 button face, 18 button text, ...).
// Window code writes them as texts such as "&HC0C0FF" and "&H8000000D".
#pragma once

#include <cstdint>
#include <string_view>

class QColor;

namespace forms {

// Reads "&H..." (hexadecimal, optional trailing '&') or a decimal text; 13 "Type mismatch"
// otherwise.
std::uint32_t ColorFromText(std::string_view text);

// The colour a number shows. System colours come from the control layer's one table
// (ctl::TranslateColor), so an intrinsic control and a library control on one window paint the
// same colour for the same number.
QColor ToQColor(std::uint32_t color);

}  // namespace forms
