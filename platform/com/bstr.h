// Strings of the component layer: UTF-16 code units with their length, so they may hold any
// character, NUL included. The program's side speaks UTF-8; the control library's side speaks
// the ANSI code page (cp1252), where a character without a byte becomes "?".
#pragma once

#include <compare>
#include <string>
#include <string_view>

namespace com {

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string units) : units_(std::move(units)) {}
    Bstr(const char16_t* units) : units_(units) {}

    static Bstr FromUtf8(std::string_view utf8);
    static Bstr FromAnsi(std::string_view cp1252);

    std::string ToUtf8() const;
    // Characters outside the code page become `replacement`.
    std::string ToAnsi(char replacement = '?') const;

    const std::u16string& Units() const { return units_; }
    std::size_t Length() const { return units_.size(); }
    bool Empty() const { return units_.empty(); }

    friend bool operator==(const Bstr&, const Bstr&) = default;
    friend auto operator<=>(const Bstr&, const Bstr&) = default;

private:
    std::u16string units_;
};

// ASCII case-insensitive comparison, as member and property names compare.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace com
