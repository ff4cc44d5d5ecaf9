#include "platform/com/propexchange.h"

#include <bit>
#include <cstring>

namespace com {
namespace {

// --- Scalars as variants -------------------------------------------------------------------

std::optional<Variant> ToVariant(const PropValue& v) {
    return std::visit(
        [](const auto& x) -> std::optional<Variant> {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, bool>) return Variant::Bool(x);
            else if constexpr (std::is_same_v<T, std::int16_t>) return Variant::I2(x);
            else if constexpr (std::is_same_v<T, std::int32_t>) return Variant::I4(x);
            else if constexpr (std::is_same_v<T, double>) return Variant::R8(x);
            else if constexpr (std::is_same_v<T, Currency>) return Variant::Cy(x);
            else if constexpr (std::is_same_v<T, std::string>) return Variant::Str(Bstr::FromAnsi(x));
            else if constexpr (std::is_same_v<T, OleColor>)
                return Variant::I4(static_cast<std::int32_t>(x.value));
            else return std::nullopt;
        },
        v);
}

template <class T> constexpr VarType kScalarType = VT_EMPTY;
template <> constexpr VarType kScalarType<bool> = VT_BOOL;
template <> constexpr VarType kScalarType<std::int16_t> = VT_I2;
template <> constexpr VarType kScalarType<std::int32_t> = VT_I4;
template <> constexpr VarType kScalarType<double> = VT_R8;
template <> constexpr VarType kScalarType<Currency> = VT_CY;
template <> constexpr VarType kScalarType<std::string> = VT_BSTR;
template <> constexpr VarType kScalarType<OleColor> = VT_I4;

template <class T>
T FromConverted(const Variant& v) {
    if constexpr (std::is_same_v<T, bool>) return v.AsBool();
    else if constexpr (std::is_same_v<T, std::int16_t>) return v.AsI2();
    else if constexpr (std::is_same_v<T, std::int32_t>) return v.AsI4();
    else if constexpr (std::is_same_v<T, double>) return v.AsR8();
    else if constexpr (std::is_same_v<T, Currency>) return v.AsCy();
    else if constexpr (std::is_same_v<T, std::string>) return v.AsStr().ToAnsi();
    else return OleColor{static_cast<std::uint32_t>(v.AsI4())};
}

// The stored value as a T: itself, or a scalar converted; nothing when it does not convert.
template <class T>
std::optional<T> Extract(const PropValue& stored) {
    if (const T* same = std::get_if<T>(&stored)) return *same;
    if constexpr (kScalarType<T> != VT_EMPTY) {
        const auto v = ToVariant(stored);
        Variant converted;
        if (v && Succeeded(ChangeType(converted, *v, kScalarType<T>))) return FromConverted<T>(converted);
    }
    return std::nullopt;
}

template <class T>
bool Exchange(PropExchange& px, std::string_view name, T& value, const std::optional<T>& def) {
    if (!px.IsLoading()) {
        px.Store(name, value);
        return true;
    }
    if (const PropValue* stored = px.Find(name))
        if (auto v = Extract<T>(*stored)) {
            value = std::move(*v);
            return true;
        }
    if (def) {
        value = *def;
        return true;
    }
    return false;
}

// --- Stream encoding -----------------------------------------------------------------------

constexpr std::uint8_t kMagic[4] = {'Z', 'M', 'P', 'X'};

class Writer {
public:
    template <class T>
    void Put(T v) {
        static_assert(std::is_integral_v<T>);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            out.push_back(static_cast<std::uint8_t>(static_cast<std::make_unsigned_t<T>>(v) >> (8 * i)));
    }
    void Bytes(std::span<const std::uint8_t> b) {
        Put(static_cast<std::uint32_t>(b.size()));
        out.insert(out.end(), b.begin(), b.end());
    }
    void Text(const std::string& s) {
        Bytes({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
    }
    void Value(const PropValue& v);

    std::vector<std::uint8_t> out;
};

void Writer::Value(const PropValue& v) {
    std::visit(
        [this](const auto& x) {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, bool>) Put<std::uint8_t>(x ? 1 : 0);
            else if constexpr (std::is_same_v<T, std::int16_t> || std::is_same_v<T, std::int32_t>) Put(x);
            else if constexpr (std::is_same_v<T, double>) Put(std::bit_cast<std::uint64_t>(x));
            else if constexpr (std::is_same_v<T, Currency>) Put(x.scaled);
            else if constexpr (std::is_same_v<T, std::string>) Text(x);
            else if constexpr (std::is_same_v<T, OleColor>) Put(x.value);
            else if constexpr (std::is_same_v<T, Blob>) Bytes(x.bytes);
            else if constexpr (std::is_same_v<T, FontDesc>) {
                Text(x.name);
                Put(x.size.scaled);
                Put<std::uint8_t>(static_cast<std::uint8_t>((x.bold ? 1 : 0) | (x.italic ? 2 : 0) |
                                                            (x.underline ? 4 : 0) | (x.strikethrough ? 8 : 0)));
                Put(x.weight);
                Put(x.charset);
            } else {
                Put(static_cast<std::uint8_t>(x.type));
                Bytes(x.bytes);
            }
        },
        v);
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}

    template <class T>
    bool Get(T& v) {
        if (in_.size() - pos_ < sizeof(T)) return Short();
        std::make_unsigned_t<T> u = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            u = static_cast<decltype(u)>(u | (static_cast<decltype(u)>(in_[pos_ + i]) << (8 * i)));
        pos_ += sizeof(T);
        v = static_cast<T>(u);
        return true;
    }
    bool Bytes(std::vector<std::uint8_t>& b) {
        std::uint32_t n = 0;
        if (!Get(n)) return false;
        if (in_.size() - pos_ < n) return Short();
        b.assign(in_.begin() + static_cast<std::ptrdiff_t>(pos_), in_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
        pos_ += n;
        return true;
    }
    bool Text(std::string& s) {
        std::vector<std::uint8_t> b;
        if (!Bytes(b)) return false;
        s.assign(b.begin(), b.end());
        return true;
    }
    bool Corrupt() {
        status = STG_E_DOCFILECORRUPT;
        return false;
    }
    bool AtEnd() const { return pos_ == in_.size(); }
    std::size_t Remaining() const { return in_.size() - pos_; }
    bool Value(std::uint8_t kind, PropValue& v);

    HResult status = S_OK;

private:
    bool Short() {
        status = STG_E_READFAULT;
        return false;
    }
    std::span<const std::uint8_t> in_;
    std::size_t pos_ = 0;
};

bool ReadFont(Reader& r, FontDesc& f) {
    std::uint8_t style = 0;
    if (!r.Text(f.name) || !r.Get(f.size.scaled) || !r.Get(style) || !r.Get(f.weight) || !r.Get(f.charset))
        return false;
    if (style > 15) return r.Corrupt();
    f.bold = style & 1, f.italic = style & 2, f.underline = style & 4, f.strikethrough = style & 8;
    return true;
}

bool Reader::Value(std::uint8_t kind, PropValue& v) {
    switch (kind) {
        case 0: {
            std::uint8_t b = 0;
            if (!Get(b)) return false;
            if (b > 1) return Corrupt();
            v = b == 1;
            return true;
        }
        case 1: { std::int16_t x = 0; if (!Get(x)) return false; v = x; return true; }
        case 2: { std::int32_t x = 0; if (!Get(x)) return false; v = x; return true; }
        case 3: { std::uint64_t x = 0; if (!Get(x)) return false; v = std::bit_cast<double>(x); return true; }
        case 4: { Currency x; if (!Get(x.scaled)) return false; v = x; return true; }
        case 5: { std::string x; if (!Text(x)) return false; v = std::move(x); return true; }
        case 6: { OleColor x; if (!Get(x.value)) return false; v = x; return true; }
        case 7: { Blob x; if (!Bytes(x.bytes)) return false; v = std::move(x); return true; }
        case 8: { FontDesc x; if (!ReadFont(*this, x)) return false; v = std::move(x); return true; }
        case 9: {
            PictureData x;
            std::uint8_t type = 0;
            if (!Get(type)) return false;
            if (type > 4) return Corrupt();
            x.type = static_cast<PictureType>(type);
            if (!Bytes(x.bytes)) return false;
            v = std::move(x);
            return true;
        }
        default: return Corrupt();
    }
}

}  // namespace

// --- PropertyBag ---------------------------------------------------------------------------

const PropValue* PropertyBag::Read(std::string_view name) const {
    for (const auto& [n, v] : items_)
        if (EqualsNoCase(n, name)) return &v;
    return nullptr;
}

bool PropertyBag::Write(std::string_view name, PropValue value) {
    if (name.empty() || name.size() > 255) return false;
    for (auto& [n, v] : items_)
        if (EqualsNoCase(n, name)) {
            v = std::move(value);
            return true;
        }
    items_.emplace_back(std::string(name), std::move(value));
    return true;
}

bool PropertyBag::Remove(std::string_view name) {
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if (EqualsNoCase(it->first, name)) {
            items_.erase(it);
            return true;
        }
    return false;
}

HResult PropertyBag::ReadVariant(std::string_view name, Variant* out) const {
    const PropValue* v = Read(name);
    if (!v) return E_INVALIDARG;
    auto converted = ToVariant(*v);
    if (!converted) return DISP_E_TYPEMISMATCH;
    *out = std::move(*converted);
    return S_OK;
}

HResult PropertyBag::WriteVariant(std::string_view name, const Variant& value) {
    const Variant v = value.Deref();
    switch (v.Type()) {
        case VT_BOOL: return Write(name, v.AsBool()) ? S_OK : E_INVALIDARG;
        case VT_I2: return Write(name, v.AsI2()) ? S_OK : E_INVALIDARG;
        case VT_I4: return Write(name, v.AsI4()) ? S_OK : E_INVALIDARG;
        case VT_R4:
        case VT_R8: return Write(name, v.AsR8()) ? S_OK : E_INVALIDARG;
        case VT_CY: return Write(name, v.AsCy()) ? S_OK : E_INVALIDARG;
        case VT_BSTR: return Write(name, v.AsStr().ToAnsi()) ? S_OK : E_INVALIDARG;
        default: return DISP_E_TYPEMISMATCH;
    }
}

// --- Streams -------------------------------------------------------------------------------

std::vector<std::uint8_t> SaveToStream(const PropertyBag& bag) {
    Writer w;
    w.out.assign(std::begin(kMagic), std::end(kMagic));
    w.Put(bag.version);
    w.Put<std::uint8_t>(bag.oldFormat ? 1 : 0);
    w.Put(static_cast<std::uint32_t>(bag.Items().size()));
    for (const auto& [name, value] : bag.Items()) {
        w.Put(static_cast<std::uint8_t>(value.index()));
        w.Put(static_cast<std::uint8_t>(name.size()));   // 1..255, as Write keeps it
        w.out.insert(w.out.end(), name.begin(), name.end());
        w.Value(value);
    }
    return std::move(w.out);
}

HResult LoadFromStream(std::span<const std::uint8_t> bytes, PropertyBag* out) {
    if (!out) return E_POINTER;
    if (bytes.size() < sizeof kMagic) return STG_E_READFAULT;
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return STG_E_INVALIDHEADER;
    Reader r(bytes.subspan(sizeof kMagic));
    PropertyBag bag;
    std::uint8_t flags = 0;
    std::uint32_t count = 0;
    if (!r.Get(bag.version) || !r.Get(flags) || !r.Get(count)) return r.status;
    if (flags > 1) return STG_E_DOCFILECORRUPT;
    bag.oldFormat = flags == 1;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t kind = 0, length = 0;
        if (!r.Get(kind) || !r.Get(length)) return r.status;
        if (length == 0) return STG_E_DOCFILECORRUPT;
        std::string name(length, '\0');
        for (char& c : name) {
            std::uint8_t b = 0;
            if (!r.Get(b)) return r.status;
            c = static_cast<char>(b);
        }
        PropValue value;
        if (!r.Value(kind, value)) return r.status;
        if (bag.Read(name)) return STG_E_DOCFILECORRUPT;
        bag.Write(name, std::move(value));
    }
    if (!r.AtEnd()) return STG_E_DOCFILECORRUPT;
    *out = std::move(bag);
    return S_OK;
}

// --- Exchange ------------------------------------------------------------------------------

std::uint32_t PropExchange::ExchangeVersion(std::uint32_t version) {
    if (!IsLoading()) {
        save_->version = version;
        return version;
    }
    return load_->version != 0 ? load_->version : version;
}

bool PX_Bool(PropExchange& px, std::string_view n, bool& v, std::optional<bool> d) { return Exchange(px, n, v, d); }
bool PX_Short(PropExchange& px, std::string_view n, std::int16_t& v, std::optional<std::int16_t> d) { return Exchange(px, n, v, d); }
bool PX_Long(PropExchange& px, std::string_view n, std::int32_t& v, std::optional<std::int32_t> d) { return Exchange(px, n, v, d); }
bool PX_Double(PropExchange& px, std::string_view n, double& v, std::optional<double> d) { return Exchange(px, n, v, d); }
bool PX_Currency(PropExchange& px, std::string_view n, Currency& v, std::optional<Currency> d) { return Exchange(px, n, v, d); }
bool PX_String(PropExchange& px, std::string_view n, std::string& v, std::optional<std::string> d) { return Exchange(px, n, v, d); }
bool PX_Color(PropExchange& px, std::string_view n, OleColor& v, std::optional<OleColor> d) { return Exchange(px, n, v, d); }
bool PX_Blob(PropExchange& px, std::string_view n, Blob& v, std::optional<Blob> d) { return Exchange(px, n, v, d); }
bool PX_Font(PropExchange& px, std::string_view n, FontDesc& v, std::optional<FontDesc> d) { return Exchange(px, n, v, d); }
bool PX_Picture(PropExchange& px, std::string_view n, PictureData& v, std::optional<PictureData> d) { return Exchange(px, n, v, d); }

}  // namespace com
