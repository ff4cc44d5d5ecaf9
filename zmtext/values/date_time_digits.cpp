#include "zmtext/values/date_time_digits.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

namespace zmtext {
namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::int32_t ZMAtoi(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int64_t magnitude = 0;
    constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = std::min(kCap, magnitude * 10 + (text[i] - '0'));
    }
    const std::int64_t value = negative ? -magnitude : std::min(magnitude, kCap - 1);
    return static_cast<std::int32_t>(value);
}

std::int16_t ZMAtoi16(std::string_view text) {
    constexpr std::int32_t kLow = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t kHigh = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::clamp(ZMAtoi(text), kLow, kHigh));
}

void ZMAppendDigits(std::string& out, int value, int width) {
    char digits[16];
    const std::int64_t magnitude = std::abs(static_cast<std::int64_t>(value));
    const auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    const int count = static_cast<int>(end - digits);
    if (value < 0) {
        out += '-';
        --width;
    }
    if (count < width) out.append(static_cast<std::size_t>(width - count), '0');
    out.append(digits, end);
}

bool ZMHasDigit(std::string_view text) { return std::any_of(text.begin(), text.end(), IsDigit); }

std::string_view ZMSlice(std::string_view text, std::size_t pos, std::size_t count) {
    return pos < text.size() ? text.substr(pos, count) : std::string_view{};
}

std::string ZMReplaceChar(std::string_view text, char from, char to) {
    std::string out(text);
    std::replace(out.begin(), out.end(), from, to);
    return out;
}

}  // namespace zmtext
