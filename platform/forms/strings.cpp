#include "platform/forms/strings.h"

#include <QString>

#include "platform/win/cp1252.h"
#include "platform/win/error.h"

namespace forms {

namespace {

void Invalid(const char* source) { win::Raise(win::err::InvalidProcedureCall, source); }

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The byte offset of character `index` (0-based), or text.size() past the end.
std::size_t OffsetOf(std::string_view text, long index) {
    std::size_t offset = 0;
    for (long i = 0; i < index && offset < text.size(); ++i) {
        ++offset;
        while (offset < text.size() && IsContinuation(text[offset])) ++offset;
    }
    return offset;
}

QString ToQ(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

std::string LTrim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string RTrim(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string Trim(std::string_view text) { return LTrim(RTrim(text)); }

namespace {

// Cases each character as the platform's code page does (ß and µ stay, ÿ <-> Ÿ); characters
// outside the code page are left as they are.
std::string ChangeCase(std::string_view text, unsigned char (*change)(unsigned char)) {
    QString result = ToQ(text);
    for (QChar& c : result) {
        if (const auto byte = win::UnicodeToCp1252(c.unicode())) {
            c = QChar(static_cast<char16_t>(win::Cp1252ToUnicode(change(*byte))));
        }
    }
    return result.toStdString();
}

}  // namespace

std::string UCase(std::string_view text) { return ChangeCase(text, win::ToUpper1252); }
std::string LCase(std::string_view text) { return ChangeCase(text, win::ToLower1252); }

long Len(std::string_view text) {
    long count = 0;
    for (char c : text) {
        if (!IsContinuation(c)) ++count;
    }
    return count;
}

std::string Left(std::string_view text, long length) {
    if (length < 0) Invalid("Left");
    return std::string(text.substr(0, OffsetOf(text, length)));
}

std::string Right(std::string_view text, long length) {
    if (length < 0) Invalid("Right");
    const long total = Len(text);
    if (length >= total) return std::string(text);
    return std::string(text.substr(OffsetOf(text, total - length)));
}

std::string Mid(std::string_view text, long start, long length) {
    if (start < 1) Invalid("Mid");
    if (length < -1) Invalid("Mid");
    const std::size_t from = OffsetOf(text, start - 1);
    if (length == -1) return std::string(text.substr(from));
    const std::size_t to = from + OffsetOf(text.substr(from), length);
    return std::string(text.substr(from, to - from));
}

long InStr(long start, std::string_view text, std::string_view sought, bool ignoreCase) {
    if (start < 1) Invalid("InStr");
    const long total = Len(text);
    if (start > total + (sought.empty() ? 1 : 0)) return 0;
    if (sought.empty()) return start;
    const QString haystack = ToQ(text);
    const QString needle = ToQ(sought);
    // Positions in UTF-16 units and characters agree for the cp1252 repertoire the program uses.
    const qsizetype found = haystack.indexOf(needle, static_cast<qsizetype>(start - 1),
                                             ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return found < 0 ? 0 : static_cast<long>(found) + 1;
}

std::string Chr(int code) {
    if (code < 0 || code > 255) Invalid("Chr");
    const char byte = static_cast<char>(code);
    return win::Cp1252ToUtf8(std::string_view(&byte, 1));
}

int Asc(std::string_view text) {
    if (text.empty()) Invalid("Asc");
    const std::string first = win::Utf8ToCp1252(text.substr(0, OffsetOf(text, 1)));
    return static_cast<unsigned char>(first[0]);
}

std::string Space(long count) {
    if (count < 0) Invalid("Space");
    return std::string(static_cast<std::size_t>(count), ' ');
}

std::string String(long count, std::string_view character) {
    if (count < 0 || character.empty()) Invalid("String");
    const std::string_view first = character.substr(0, OffsetOf(character, 1));
    std::string result;
    for (long i = 0; i < count; ++i) result += first;
    return result;
}

}  // namespace forms
