// Persistent properties of a control: a name-to-value bag, its binary stream, and the exchange
// functions a control's DoPropExchange calls once for loading and saving alike.
//
// The stream, little-endian throughout:
//   "ZMPX"            magic
//   u32 version       the control's property-set version (ExchangeVersion)
//   u8 flags          bit 0: converted from the control's earlier (old) format
//   u32 count         number of properties
//   count records:    u8 kind, u8 name length (1-255), name bytes, value
// Kinds: 0 Bool, 1 Short, 2 Long, 3 Double, 4 Currency, 5 String, 6 Color, 7 Blob, 8 Font,
// 9 Picture (the order of PropValue's alternatives). Names are unique without regard to case.
// Values: Bool u8 (0/1); Short i16; Long i32; Double f64; Currency i64 (scaled by 10,000);
// String and Blob u32 length + bytes; Color u32; Font = String name, i64 size (currency),
// u8 style bits (bold 1, italic 2, underline 4, strikethrough 8), i16 weight, i16 charset;
// Picture = u8 type (0-4), u32 length + bytes.
// A stream that is short, has a length past its end, an unknown kind or trailing bytes fails
// to load as a whole with a status; nothing of it is taken.
//
// Loading by name makes the order of the exchange free and lets a host keep only some
// properties (as text, say): a stored value of another scalar kind is converted as a variant
// converts; one that does not convert counts as absent. An absent value takes the default when
// the exchange gives one and leaves the member unchanged when it does not.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/com/variant.h"

namespace com {

struct OleColor {
    std::uint32_t value = 0;   // 0x00BBGGRR, or 0x80000000 | system colour index
    friend bool operator==(const OleColor&, const OleColor&) = default;
};

struct Blob {
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const Blob&, const Blob&) = default;
};

struct FontDesc {
    std::string name;
    Currency size;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    std::int16_t weight = 400;
    std::int16_t charset = 0;
    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

enum class PictureType : std::uint8_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, EnhMetafile = 4 };

struct PictureData {
    PictureType type = PictureType::None;
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const PictureData&, const PictureData&) = default;
};

// Strings are the control's own bytes (the library's ANSI code page).
using PropValue = std::variant<bool, std::int16_t, std::int32_t, double, Currency, std::string,
                               OleColor, Blob, FontDesc, PictureData>;

class PropertyBag {
public:
    // The stored value of `name` (case-insensitive), or nullptr.
    const PropValue* Read(std::string_view name) const;
    // Stores or replaces a value; false (nothing stored) for an empty name or one longer than
    // 255 bytes, which the stream could not hold.
    bool Write(std::string_view name, PropValue value);
    bool Remove(std::string_view name);
    const std::vector<std::pair<std::string, PropValue>>& Items() const { return items_; }

    // Scalars as variants, for a host that keeps the bag as texts and numbers. ReadVariant
    // gives DISP_E_TYPEMISMATCH for a blob, font or picture; WriteVariant takes Bool, I2, I4,
    // R4, R8, CY and BSTR (stored as the library's ANSI text); E_INVALIDARG for a name that
    // Write refuses.
    HResult ReadVariant(std::string_view name, Variant* out) const;
    HResult WriteVariant(std::string_view name, const Variant& value);

    std::uint32_t version = 0;   // 0: none stored
    bool oldFormat = false;

    friend bool operator==(const PropertyBag&, const PropertyBag&) = default;

private:
    std::vector<std::pair<std::string, PropValue>> items_;
};

std::vector<std::uint8_t> SaveToStream(const PropertyBag& bag);
// S_OK, or STG_E_INVALIDHEADER (not a property stream), STG_E_READFAULT (short) or
// STG_E_DOCFILECORRUPT (damaged); `out` is untouched on failure.
HResult LoadFromStream(std::span<const std::uint8_t> bytes, PropertyBag* out);

class PropExchange {
public:
    static PropExchange ForSave(PropertyBag& bag) { return PropExchange(&bag, nullptr); }
    static PropExchange ForLoad(const PropertyBag& bag) { return PropExchange(nullptr, &bag); }

    bool IsLoading() const { return load_ != nullptr; }
    // The property set comes from the control's earlier format and needs conversion.
    bool IsOldFormat() const { return load_ && load_->oldFormat; }
    // Saving stores `version` and returns it; loading returns the stored version, or `version`
    // when none was stored.
    std::uint32_t ExchangeVersion(std::uint32_t version);

    const PropValue* Find(std::string_view name) const { return load_ ? load_->Read(name) : nullptr; }
    void Store(std::string_view name, PropValue value) { save_->Write(name, std::move(value)); }

private:
    PropExchange(PropertyBag* save, const PropertyBag* load) : save_(save), load_(load) {}
    PropertyBag* save_;
    const PropertyBag* load_;
};

// Each exchanges one property. Loading: true when the value was found (or the default taken);
// false when it is absent and no default was given, the member then keeps its value. Saving:
// always writes the member and returns true.
bool PX_Bool(PropExchange& px, std::string_view name, bool& value,
             std::optional<bool> def = std::nullopt);
bool PX_Short(PropExchange& px, std::string_view name, std::int16_t& value,
              std::optional<std::int16_t> def = std::nullopt);
bool PX_Long(PropExchange& px, std::string_view name, std::int32_t& value,
             std::optional<std::int32_t> def = std::nullopt);
bool PX_Double(PropExchange& px, std::string_view name, double& value,
               std::optional<double> def = std::nullopt);
bool PX_Currency(PropExchange& px, std::string_view name, Currency& value,
                 std::optional<Currency> def = std::nullopt);
bool PX_String(PropExchange& px, std::string_view name, std::string& value,
               std::optional<std::string> def = std::nullopt);
bool PX_Color(PropExchange& px, std::string_view name, OleColor& value,
              std::optional<OleColor> def = std::nullopt);
bool PX_Blob(PropExchange& px, std::string_view name, Blob& value,
             std::optional<Blob> def = std::nullopt);
bool PX_Font(PropExchange& px, std::string_view name, FontDesc& value,
             std::optional<FontDesc> def = std::nullopt);
bool PX_Picture(PropExchange& px, std::string_view name, PictureData& value,
                std::optional<PictureData> def = std::nullopt);

}  // namespace com
