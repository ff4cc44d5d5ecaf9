#include "zmtext/values/zm_strings.h"


namespace zmtext {

int ZMFindChar(std::string_view set, char ch) {
    if (ch == 0) return 0;
    const auto at = set.find(ch);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

char ZMInsertCharAt(std::string& text, int i, char ch) {
    if (i < 0 || i >= kZMMaxPositions || i > static_cast<int>(text.size())) return 0;
    if (static_cast<int>(text.size()) >= kZMMaxPositions) return 0;
    text.insert(static_cast<std::size_t>(i), 1, ch);
    return ch;
}

void ZMPadFront(std::string& text, int n, char ch) {
    for (int i = 0; i < n; ++i)
        if (ZMInsertCharAt(text, 0, ch) == 0) return;
}

char ZMRemoveCharAt(std::string& text, int i) {
    if (i < 0 || i >= static_cast<int>(text.size())) return 0;
    const char ch = text[static_cast<std::size_t>(i)];
    text.erase(static_cast<std::size_t>(i), 1);
    return ch;
}

char ZMUpper8(char ch) {
    const auto b = static_cast<unsigned char>(ch);
    const bool lower = (b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7);
    return lower ? static_cast<char>(b - 32) : ch;
}

char ZMLower8(char ch) {
    const auto b = static_cast<unsigned char>(ch);
    const bool upper = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7);
    return upper ? static_cast<char>(b + 32) : ch;
}

void ZMCapitalizeWords(std::string& text) {
    bool wordStart = true;
    for (char& c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (wordStart) c = ZMUpper8(c);
        wordStart = b == ' ' || b == '\t';
    }
}

std::string ZMBlobFromGlobal(std::span<const std::uint8_t> blob) {
    if (blob.size() < 6) return {};
    const std::size_t length = blob[4] | (static_cast<std::size_t>(blob[5]) << 8);
    if (blob.size() - 6 < length) return {};
    return std::string(reinterpret_cast<const char*>(blob.data()) + 6, length);
}

std::size_t StripNumberText(std::string_view text, char decimal, char* out) {
    char* const start = out;
    for (const char c : text) {
        if (const char kept = NumberTextChar(c, decimal); kept != '\0') *out++ = kept;
    }
    return static_cast<std::size_t>(out - start);
}

void ParseNumberText(std::string& text, char decimal) {
    // In place: the kept text is never longer than the given one.
    text.resize(StripNumberText(text, decimal, text.data()));
}

}  // namespace zmtext
