// Digit reading and writing shared by the date and time texts: the C runtime's atoi and "%0Nd"
// without the process locale, and without its undefined overflow.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zmtext {

// As atoi: leading white space, an optional sign, then decimal digits up to the first other
// character; 0 when there are none. A number beyond the 32-bit range saturates.
std::int32_t ZMAtoi(std::string_view text);

// ZMAtoi narrowed to 16 bits, saturating, for the parts of a date.
std::int16_t ZMAtoi16(std::string_view text);

// Appends `value` as "%0*d" does: at least `width` characters, zeros after a minus sign.
void ZMAppendDigits(std::string& out, int value, int width);

// Whether the text holds a decimal digit.
bool ZMHasDigit(std::string_view text);

// `count` characters from `pos`, as many as there are; empty when `pos` is past the end.
std::string_view ZMSlice(std::string_view text, std::size_t pos, std::size_t count);

// Every `from` replaced by `to`.
std::string ZMReplaceChar(std::string_view text, char from, char to);

}  // namespace zmtext
