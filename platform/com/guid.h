// Globally unique identifiers: the 128-bit ids of classes, interfaces and type libraries.
//
// The registry form is "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hexadecimal; the
// first three groups are the numbers Data1..Data3 and the last two the eight bytes of Data4.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace com {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};

    // Parses the registry form; the braces are optional and hexadecimal digits of either case
    // are accepted. Nothing for any other text.
    static std::optional<Guid> Parse(std::string_view text);
    // Like Parse, for ids written in code; an invalid literal is a programming error (aborts).
    static Guid FromString(std::string_view text);

    // "{A5CC20C4-B5F5-11CD-98EC-0020AF234C9D}".
    std::string ToString() const;
    bool IsNull() const { return *this == Guid{}; }

    friend bool operator==(const Guid&, const Guid&) = default;
    friend auto operator<=>(const Guid&, const Guid&) = default;
};

}  // namespace com
