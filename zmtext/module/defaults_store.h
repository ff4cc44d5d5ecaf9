// The control defaults store: initial property values per control kind, kept in the profile
// file VX4WIN.INI of the Windows folder, one section per kind.
//
// Every read and write names its key by a string id (the key is that string's text, the
// property's name); values are decimal texts. Every call sees the file as it is on disk (the
// profile layer rereads a file whose stamp changed), so a page's "Save As Default" is seen by the
// next control created, in this process or another.
// A missing file reads as all defaults; a file that cannot be written leaves the writes undone
// (they report false) and the reads as they were. An unknown kind or key id reads the default and
// writes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "zmtext/module/control_kind.h"

namespace zmtext {

// The section of each control kind: its index (control_kind.h).
inline constexpr int kKindText = ZMKindIndex(ZMControlKind::Text);
inline constexpr int kKindDate = ZMKindIndex(ZMControlKind::Date);
inline constexpr int kKindTime = ZMKindIndex(ZMControlKind::Time);
inline constexpr int kKindLong = ZMKindIndex(ZMControlKind::Long);
inline constexpr int kKindDouble = ZMKindIndex(ZMControlKind::Double);
inline constexpr int kKindCurrency = ZMKindIndex(ZMControlKind::Currency);
inline constexpr int kKindLabel = ZMKindIndex(ZMControlKind::Label);
inline constexpr int kFieldKindCount = static_cast<int>(kControlKindCount);

class CZMDefaultsStore {
public:
    // Loads the file name and the section names from the string table.
    CZMDefaultsStore();

    // The stored integer (an optional sign and leading digits; 0 for text that is no number), or
    // `fallback` when the key is absent or empty.
    int GetInt(int kind, int keyId, int fallback) const;
    // A decimal number of at most 16 characters: its leading number, or 0 when it starts with
    // none; `fallback` when absent or empty.
    float GetFloat(int kind, int keyId, float fallback) const;
    // As GetFloat, at most 34 characters.
    double GetDouble(int kind, int keyId, double fallback) const;
    // A signed decimal integer of at most 19 characters (colours and limits), saturated to 32
    // bits; `fallback` when absent or empty.
    std::int32_t GetLong(int kind, int keyId, std::int32_t fallback) const;
    // The stored text cut to `bufferSize - 1` bytes (or `fallback` when absent) into *out;
    // returns its length.
    std::size_t GetString(int kind, int keyId, std::string* out, std::size_t bufferSize,
                          std::string_view fallback) const;
    // The stored text of at most 255 characters; an empty or absent value gives `fallback`.
    // Returns the length of what was assigned.
    std::size_t GetCString(int kind, int keyId, std::string* out, std::string_view fallback) const;

    bool WriteInt(int kind, int keyId, int value);
    bool WriteLong(int kind, int keyId, std::int32_t value);
    bool WriteFloat(int kind, int keyId, float value);     // 7 significant digits
    bool WriteDouble(int kind, int keyId, double value);   // 15 significant digits
    bool WriteString(int kind, int keyId, std::string_view text);
    bool WriteCString(int kind, int keyId, const std::string& text) { return WriteString(kind, keyId, text); }

    // Removes the kind's whole section; true when the file no longer holds it.
    bool DeleteSection(int kind);

    // Section and file names as loaded (for the pages and the tests).
    const std::string& FileName() const { return fileName_; }
    std::string_view SectionName(int kind) const;

private:
    struct Place {
        std::string section;
        std::string key;
    };
    std::optional<Place> Locate(int kind, int keyId) const;
    std::optional<std::string> ReadText(int kind, int keyId, std::size_t maxChars) const;
    bool Write(int kind, int keyId, std::string_view text);

    std::string fileName_;
    std::string sections_[kFieldKindCount];
};

// Decimal texts as the store writes them, independent of the process locale: "%.7g" and
// "%.15g" forms ("8", "0.1", "1.67e+308").
std::string ZMFormatGeneral(double value, int significantDigits);
// The leading decimal number of a text (after blanks and an optional sign), or 0.
double ZMLeadingNumber(std::string_view text);

}  // namespace zmtext
