// Windows code page 1252: bytes to Unicode and back, and the platform's byte casing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace win {

// The Unicode code point of a byte. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D, which the code page
// leaves undefined, map to the C1 control of the same value, as Windows' conversion does.
char32_t Cp1252ToUnicode(unsigned char byte);

// The byte of a code point; nothing when the code page has none (callers decide what to do).
std::optional<unsigned char> UnicodeToCp1252(char32_t codePoint);

std::string Cp1252ToUtf8(std::string_view bytes);

// Converts UTF-8 text; a character without a byte (or invalid UTF-8) becomes `replacement`.
std::string Utf8ToCp1252(std::string_view utf8, char replacement = '?');

// Upper- and lower-casing of one byte as the platform's character functions did for this code
// page (accented letters included: 0xE1 'á' <-> 0xC1 'Á'; 0xFF 'ÿ' <-> 0x9F 'Ÿ'; 0xDF 'ß' and
// 0xB5 'µ' have no upper case).
unsigned char ToUpper1252(unsigned char byte);
unsigned char ToLower1252(unsigned char byte);
bool IsAlpha1252(unsigned char byte);

// Decodes one UTF-8 character at `pos` and moves past it; nothing for an invalid sequence (an
// overlong form, a surrogate, a cut or stray byte), which still moves `pos` forward.
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& pos);

// True when every byte of `bytes` belongs to a valid UTF-8 character.
bool IsUtf8(std::string_view bytes);

// The text of bytes whose encoding nobody declared (a text file a user wrote): taken as UTF-8
// when they are valid UTF-8, else as cp1252, which is what a Windows editor saves as "ANSI". A
// cp1252 text is valid UTF-8 only by rare chance (an accented letter followed by a plain letter,
// or standing last, is no UTF-8 sequence), so the test tells the two apart.
std::string Utf8OrCp1252ToUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point (at most U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

// The lower case of a character that has a cp1252 byte; other characters are returned as they are.
// This is the case-insensitive comparison of file, key and section names.
char32_t FoldCase(char32_t codePoint);
std::u32string FoldedCodePoints(std::string_view utf8);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace win
