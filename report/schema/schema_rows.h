// The described tables as constant data: one array of field rows per table, in the columns the
// schema is documented in (field, type, size, property, enforced), and one list of tables per
// database in the order its schema driver runs the builders.
//
// A table's fields are the concatenation of up to five row spans, so a table that repeats another
// one's entries (all of them, a prefix, or the same entries with a few inserted or swapped) points
// at the same rows instead of copying them. The field number k is the position in that
// concatenation, so k always runs from 1 without a gap.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace schema::rows {

// The engine's field type codes that the description uses.
enum FieldType : std::int16_t {
    kInteger = 3,
    kLong = 4,
    kCurrency = 5,
    kSingle = 6,
    kDouble = 7,
    kDateTime = 8,
    kText = 10,
    kMemo = 12,
};

// The engine's type code of a Text property, given when "Format" must be created on a field.
inline constexpr std::int32_t kTextPropertyType = 10;

enum class PropertyKind {
    None,         // no property checked (Memo fields)
    Type,         // "Type" = a Long type code
    SizeText,     // "Size" = the length as text
    SizeInteger,  // "Size" = the length as a 16-bit Integer (a few fields keep it so)
    Format,       // "Format" = a format name, created as a Text property when missing
};

struct PropertyRule {
    PropertyKind kind;
    std::int32_t number;  // Type: the code; SizeInteger: the length
    const char* text;     // SizeText and Format: the value
};

constexpr PropertyRule TypeIs(std::int32_t code) { return {PropertyKind::Type, code, ""}; }
constexpr PropertyRule SizeIs(const char* length) { return {PropertyKind::SizeText, 0, length}; }
constexpr PropertyRule SizeIsInteger(std::int16_t length) {
    return {PropertyKind::SizeInteger, length, ""};
}
constexpr PropertyRule FormatIs(const char* format) { return {PropertyKind::Format, 0, format}; }
inline constexpr PropertyRule NoProperty{PropertyKind::None, 0, ""};

inline constexpr bool yes = true;
inline constexpr bool no = false;

struct FieldRow {
    const char* name;
    FieldType type;
    std::int16_t size;  // Text and Memo only; 0 for every other type
    PropertyRule property;
    bool enforced;
};

using Rows = std::span<const FieldRow>;

// One run of rows within a table: a whole array or a slice of one. (A plain pointer and length:
// std::span members left to their default make g++ 12 reject the tables as constants.)
class Part {
public:
    Part() = default;
    template <std::size_t N>
    constexpr Part(const FieldRow (&rows)[N]) : first_(rows), count_(N) {}
    constexpr Part(Rows rows) : first_(rows.data()), count_(rows.size()) {}

    constexpr Rows rows() const { return Rows(first_, count_); }

private:
    const FieldRow* first_;
    std::size_t count_;
};

struct TableSpec {
    std::int16_t t;
    const char* nomeTabela;
    const char* builder;
    std::int16_t qtdeCampos;
    std::array<Part, 5> parts;
    // The window label of a builder that traps its own errors and reports them; nullptr for the
    // builders whose errors go to their caller.
    const char* trapLabel = nullptr;
};

std::span<const TableSpec> ProdutoTables();
std::span<const TableSpec> AntigoTables();
std::span<const TableSpec> BackupTables();
std::span<const TableSpec> ModemTables();
std::span<const TableSpec> TransferTables();

}  // namespace schema::rows
