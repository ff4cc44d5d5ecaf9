#include "platform/dao/collation.h"

#include <algorithm>
#include <cstdint>

#include "platform/win/cp1252.h"

namespace dao {
namespace {

// Decodes one UTF-8 code point at `at`; an invalid byte decodes as itself (so byte order holds).
char32_t Decode(std::string_view text, std::size_t& at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length <= 1 || at + length > text.size()) {
        ++at;
        return lead;
    }
    char32_t cp = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            ++at;
            return lead;
        }
        cp = (cp << 6) | (byte(at + i) & 0x3F);
    }
    at += length;
    return cp;
}

char32_t Upper(char32_t cp) {
    if (cp >= 'a' && cp <= 'z') return cp - 32;
    if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;  // à..þ except ÷
    if (cp == 0xFF) return 0x178;                                  // ÿ -> Ÿ
    // Latin Extended-A pairs capital/small at even/odd code points, with the shifted runs below.
    const bool shifted = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if (cp >= 0x100 && cp <= 0x17F && cp != 0x130 && cp != 0x131 && cp != 0x138 && cp != 0x149 && cp != 0x178 &&
        cp != 0x17F) {
        if (shifted) return (cp % 2 == 0) ? cp - 1 : cp;
        return (cp % 2 == 1) ? cp - 1 : cp;
    }
    return cp;
}

// The letter without its accent, for the first level of ordering (after Upper).
char32_t BaseLetter(char32_t cp) {
    if (cp < 0xC0 || cp > 0xDD) return cp;
    static constexpr char32_t kBase[] = {
        'A', 'A', 'A', 'A', 'A', 'A', 0xC6, 'C', 'E', 'E', 'E', 'E', 'I', 'I', 'I', 'I',
        0xD0, 'N', 'O', 'O', 'O', 'O', 'O', 0xD7, 'O', 'U', 'U', 'U', 'U', 'Y'};
    return kBase[cp - 0xC0];
}

template <typename Map>
int CompareBy(std::string_view a, std::string_view b, Map map) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = map(Upper(Decode(a, i)));
        const char32_t y = map(Upper(Decode(b, j)));
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace

int JetCollate(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return JetCompare(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(lengthA)),
                      std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lengthB)));
}

std::string JetFold(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const char32_t cp = Decode(text, at);
        if (at - start == 1 && cp >= 0x80) {
            out += text[start];  // an invalid byte stays as it was
        } else {
            win::AppendUtf8(out, Upper(cp));
        }
    }
    return out;
}

int JetCompare(std::string_view a, std::string_view b) {
    // Index keys are mostly ASCII and often equal (every row of a store carries its code): an
    // ASCII prefix compares by its upper-cased bytes at both levels at once, and only the text from
    // the first other byte on needs the two levels.
    std::size_t at = 0;
    const std::size_t common = std::min(a.size(), b.size());
    for (; at < common; ++at) {
        const auto x = static_cast<unsigned char>(a[at]);
        const auto y = static_cast<unsigned char>(b[at]);
        if ((x | y) >= 0x80) break;
        if (x == y) continue;
        const unsigned char ux = x >= 'a' && x <= 'z' ? x - 32 : x;
        const unsigned char uy = y >= 'a' && y <= 'z' ? y - 32 : y;
        if (ux != uy) return ux < uy ? -1 : 1;
    }
    if (at == common) return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
    a.remove_prefix(at);
    b.remove_prefix(at);
    if (const int primary = CompareBy(a, b, BaseLetter)) return primary;
    return CompareBy(a, b, [](char32_t cp) { return cp; });
}

bool JetNamesEqual(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (a.size() != b.size()) return false;  // the case pairs folded here encode in equal lengths
    return CompareBy(a, b, [](char32_t cp) { return cp; }) == 0;
}

int RegisterJetCollation(sqlite3* db) {
    return sqlite3_create_collation_v2(db, kJetTextCollation, SQLITE_UTF8, nullptr, JetCollate, nullptr);
}

}  // namespace dao
