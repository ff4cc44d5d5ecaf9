// Text files other systems may have written or edited: a UTF-8 byte-order mark before the first
// line, and lines ending in CR LF or in LF alone. Shared by the registry store and the profile
// files, so that both read such a file alike.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace win {

// The three bytes a text editor may put before the first line of a UTF-8 file. They belong to no
// line: a reader skips them, and a writer that rewrites the file puts them back.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Removes a leading byte-order mark from `text`; true when there was one.
inline bool SkipByteOrderMark(std::string_view& text) {
    if (!text.starts_with(kUtf8ByteOrderMark)) return false;
    text.remove_prefix(kUtf8ByteOrderMark.size());
    return true;
}

// Calls `f` with each line of `text`, without its LF and without one CR before it. A text ending
// in a line break has no empty line after it.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) line.remove_suffix(1);
        f(line);
    }
}

}  // namespace win
