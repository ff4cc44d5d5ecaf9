#include "platform/com/bstr.h"

#include "platform/win/cp1252.h"

namespace com {
namespace {

constexpr char32_t kReplacementChar = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Walks the code points of UTF-16 units; a lone surrogate yields U+FFFD.
template <class F>
void ForEachCodePoint(const std::u16string& units, F&& f) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacementChar;
        }
        f(cp);
    }
}

}  // namespace

Bstr Bstr::FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) AppendUtf16(out, win::DecodeUtf8(utf8, i).value_or(kReplacementChar));
    return Bstr(std::move(out));
}

Bstr Bstr::FromAnsi(std::string_view cp1252) {
    std::u16string out;
    out.reserve(cp1252.size());
    for (char c : cp1252) AppendUtf16(out, win::Cp1252ToUnicode(static_cast<unsigned char>(c)));
    return Bstr(std::move(out));
}

std::string Bstr::ToUtf8() const {
    std::string out;
    out.reserve(units_.size());
    ForEachCodePoint(units_, [&](char32_t cp) { win::AppendUtf8(out, cp); });
    return out;
}

std::string Bstr::ToAnsi(char replacement) const {
    std::string out;
    out.reserve(units_.size());
    ForEachCodePoint(units_, [&](char32_t cp) {
        const auto b = win::UnicodeToCp1252(cp);
        out.push_back(b ? static_cast<char>(*b) : replacement);
    });
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace com
