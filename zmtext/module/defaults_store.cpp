#include "zmtext/module/defaults_store.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "platform/win/profile.h"
#include "zmtext/module/strings.h"

namespace zmtext {
namespace {

// String ids of the sections, by field kind.
constexpr std::array<int, kFieldKindCount> kSectionIds{115, 156, 159, 155, 160, 161, 162};
// Buffer sizes of the loaded names: the file name (a bare name, so the file lies in the Windows
// folder), the section names and the key.
constexpr std::size_t kFileNameBuffer = 13;
constexpr std::size_t kSectionBuffer = 20;
constexpr std::size_t kKeyBuffer = 49;

constexpr std::size_t kFloatChars = 16;
constexpr std::size_t kDoubleChars = 34;
constexpr std::size_t kLongChars = 19;
constexpr std::size_t kCStringChars = 255;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Skips leading blanks and reads an optional sign; returns whether the number is negative.
bool SkipToDigits(std::string_view& text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    return negative;
}

std::int32_t LeadingLong(std::string_view text) {
    const bool negative = SkipToDigits(text);
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min(value * 10 + (c - '0'), kLimit);
    }
    if (negative) return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, kLimit - 1));
}

}  // namespace

std::string ZMFormatGeneral(double value, int significantDigits) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::general, significantDigits);
    return std::string(buffer, result.ptr);
}

double ZMLeadingNumber(std::string_view text) {
    const bool negative = SkipToDigits(text);
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) return 0;   // "--1"
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::invalid_argument) return 0;
    // Out of range: from_chars leaves the value; the conversion gives 0 for a number too small
    // and infinity for one too large, as the C library's does.
    if (result.ec == std::errc::result_out_of_range) {
        const std::string_view number(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
        const bool tiny = number.find("e-") != std::string_view::npos ||
                          number.find("E-") != std::string_view::npos;
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    }
    return negative ? -value : value;
}

CZMDefaultsStore::CZMDefaultsStore() {
    fileName_ = ZMLoadString(IDS_PROFILE_FILE, kFileNameBuffer).value_or("");
    if (fileName_.empty()) return;
    for (int kind = 0; kind < kFieldKindCount; ++kind) {
        auto name = ZMLoadString(kSectionIds[static_cast<std::size_t>(kind)], kSectionBuffer);
        if (!name) break;
        sections_[kind] = std::move(*name);
    }
}

std::string_view CZMDefaultsStore::SectionName(int kind) const {
    if (kind < 0 || kind >= kFieldKindCount) return {};
    return sections_[kind];
}

std::optional<CZMDefaultsStore::Place> CZMDefaultsStore::Locate(int kind, int keyId) const {
    if (fileName_.empty() || SectionName(kind).empty()) return std::nullopt;
    auto key = ZMLoadString(keyId, kKeyBuffer);
    if (!key) return std::nullopt;
    return Place{sections_[kind], std::move(*key)};
}

std::optional<std::string> CZMDefaultsStore::ReadText(int kind, int keyId, std::size_t maxChars) const {
    const auto place = Locate(kind, keyId);
    if (!place) return std::nullopt;
    return win::ProfileFile(fileName_).GetString(place->section, place->key, "", maxChars + 1);
}

bool CZMDefaultsStore::Write(int kind, int keyId, std::string_view text) {
    const auto place = Locate(kind, keyId);
    return place && win::ProfileFile(fileName_).WriteString(place->section, place->key, text);
}

int CZMDefaultsStore::GetInt(int kind, int keyId, int fallback) const {
    const auto place = Locate(kind, keyId);
    if (!place) return fallback;
    return win::ProfileFile(fileName_).GetInt(place->section, place->key, fallback);
}

float CZMDefaultsStore::GetFloat(int kind, int keyId, float fallback) const {
    const auto text = ReadText(kind, keyId, kFloatChars);
    if (!text || text->empty()) return fallback;
    return static_cast<float>(ZMLeadingNumber(*text));
}

double CZMDefaultsStore::GetDouble(int kind, int keyId, double fallback) const {
    const auto text = ReadText(kind, keyId, kDoubleChars);
    if (!text || text->empty()) return fallback;
    return ZMLeadingNumber(*text);
}

std::int32_t CZMDefaultsStore::GetLong(int kind, int keyId, std::int32_t fallback) const {
    const auto text = ReadText(kind, keyId, kLongChars);
    if (!text || text->empty()) return fallback;
    return LeadingLong(*text);
}

std::size_t CZMDefaultsStore::GetString(int kind, int keyId, std::string* out, std::size_t bufferSize,
                                        std::string_view fallback) const {
    const auto place = Locate(kind, keyId);
    if (bufferSize == 0) {
        out->clear();
    } else if (!place) {
        *out = std::string(fallback.substr(0, bufferSize - 1));
    } else {
        *out = win::ProfileFile(fileName_).GetString(place->section, place->key, fallback, bufferSize);
    }
    return out->size();
}

std::size_t CZMDefaultsStore::GetCString(int kind, int keyId, std::string* out,
                                         std::string_view fallback) const {
    const auto text = ReadText(kind, keyId, kCStringChars);
    *out = text && !text->empty() ? *text : std::string(fallback);
    return out->size();
}

bool CZMDefaultsStore::WriteInt(int kind, int keyId, int value) {
    return Write(kind, keyId, std::to_string(value));
}

bool CZMDefaultsStore::WriteLong(int kind, int keyId, std::int32_t value) {
    return Write(kind, keyId, std::to_string(value));
}

bool CZMDefaultsStore::WriteFloat(int kind, int keyId, float value) {
    return Write(kind, keyId, ZMFormatGeneral(value, 7));
}

bool CZMDefaultsStore::WriteDouble(int kind, int keyId, double value) {
    return Write(kind, keyId, ZMFormatGeneral(value, 15));
}

bool CZMDefaultsStore::WriteString(int kind, int keyId, std::string_view text) {
    return Write(kind, keyId, text);
}

bool CZMDefaultsStore::DeleteSection(int kind) {
    if (fileName_.empty() || SectionName(kind).empty()) return false;
    return win::ProfileFile(fileName_).DeleteSection(sections_[kind]);
}

}  // namespace zmtext
