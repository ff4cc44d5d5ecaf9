// Byte-string routines shared by the edit engine, its controls and the number texts. All texts
// are cp1252 bytes, one byte one character, in buffers of at most kZMMaxPositions characters.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zmtext {

// The number of display positions an edit field holds (its buffers keep one more byte, for a
// terminating zero).
inline constexpr int kZMMaxPositions = 256;

// 1-based position of `ch` in `set`, 0 when absent (and for the byte 0).
int ZMFindChar(std::string_view set, char ch);

// Inserts `ch` at index `i` of a text of at most kZMMaxPositions characters, shifting the rest
// right; returns `ch`, or 0 with nothing done when `i` is outside 0..255, past the end of the
// text, or the text is already full.
char ZMInsertCharAt(std::string& text, int i, char ch);

// ZMInsertCharAt(text, 0, ch) `n` times.
void ZMPadFront(std::string& text, int n, char ch);

// Removes and returns the character at `i`; 0 when `i` is negative or at or past the end.
char ZMRemoveCharAt(std::string& text, int i);

// The 8-bit case tables of the fields: a-z and 0xE0-0xFE move by 32 to A-Z and 0xC0-0xDE and
// back. The signs 0xD7 and 0xF7 are no letters, and 0xDF and 0xFF are lower-case letters whose
// upper case lies elsewhere, so those four stay as they are.
char ZMUpper8(char ch);
char ZMLower8(char ch);

// Upper-cases (ZMUpper8) the first character and every one after a blank or a tab, in place.
void ZMCapitalizeWords(std::string& text);

// The string of an old-format string blob: a 16-bit little-endian length at byte 4 and the
// characters from byte 6. An empty blob, or one too short for its length, gives "".
std::string ZMBlobFromGlobal(std::span<const std::uint8_t> blob);

// Keeps only the characters of "+-0123456789eEdD", "(" (as "-") and `decimal` (as "."), in
// place: a number text of a numeric control stripped of its formatting.
void ParseNumberText(std::string& text, char decimal);

// ParseNumberText writing the kept characters to `out` (room for text.size() characters; `out`
// may be text.data() itself); answers how many it wrote.
std::size_t StripNumberText(std::string_view text, char decimal, char* out);

// What ParseNumberText keeps of one character: "." for `decimal`, "-" for "(", the character
// itself for the others it keeps, 0 for one it drops.
inline char NumberTextChar(char c, char decimal) {
    static constexpr std::array<char, 256> kKept = [] {
        std::array<char, 256> kept{};
        for (const char k : std::string_view("+-0123456789eEdD")) kept[static_cast<unsigned char>(k)] = k;
        kept['('] = '-';
        return kept;
    }();
    return c == decimal && c != '(' ? '.' : kKept[static_cast<unsigned char>(c)];
}

}  // namespace zmtext
