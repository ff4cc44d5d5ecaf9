// The runtime's string functions on UTF-8 texts, counting characters (not bytes) as the
// runtime's one-byte-per-character strings did. Positions are 1-based. A negative length or a
// start below 1 raises 5 "Invalid procedure call or argument".
#pragma once

#include <string>
#include <string_view>

namespace forms {

std::string Trim(std::string_view text);    // blanks (spaces) only, as the runtime trims
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);
std::string UCase(std::string_view text);   // accented letters too: "ção" -> "ÇÃO"
std::string LCase(std::string_view text);

long Len(std::string_view text);
std::string Left(std::string_view text, long length);
std::string Right(std::string_view text, long length);
// Mid(text, start[, length]); a start past the end gives "".
std::string Mid(std::string_view text, long start, long length = -1);
// InStr([start,] text, sought): the 1-based position, 0 when absent; an empty `sought` gives
// `start` (when start <= Len + 1). Binary comparison unless `ignoreCase`.
long InStr(long start, std::string_view text, std::string_view sought, bool ignoreCase = false);
inline long InStr(std::string_view text, std::string_view sought) { return InStr(1, text, sought); }

// Chr and Asc work in code page 1252 (Chr(231) is "ç"); Chr outside 0-255 and Asc("") raise 5.
std::string Chr(int code);
int Asc(std::string_view text);

std::string Space(long count);
std::string String(long count, std::string_view character);   // the first character, repeated

}  // namespace forms
