// The schema description: the program's built-in picture of the five store databases.
//
// For each database slot g (0..9) it holds a name and a table count; for each table slot t (0..100)
// a table name and a field count; for each field slot (t 1..100, k 1..100) the field's name, its
// engine type code as decimal text, its creation size, and the one property the upgrade checks
// (name, type to create it with, required value, and how many times to check it).
//
// Invariants:
//   1. Every slot starts empty (texts "", integers 0, values Empty) and only the setters below
//      change it; nothing ever clears the description.
//   2. Reading or writing outside the bounds above raises the runtime's error 9 "Subscript out of
//      range", as a fixed-size array of the runtime does; the upgrade's recovery treats it as "any
//      other".
//   3. Storage is sparse: about 1,400 of the 100,000 field slots per run are used, so a field slot
//      exists only once it has been written, and an unwritten one reads as the empty entry.
//
// Filling the description (the five schema drivers) lives in schema_builders.h.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace schema {

// A property's type or value as the upgrade hands it to the engine: Empty, a 16-bit Integer, a
// 32-bit Long, or a text.
using SchemaValue = std::variant<std::monostate, std::int16_t, std::int32_t, std::string>;

// The value as the runtime's string conversion gives it: Empty -> "", 15 -> "15". The upgrade
// compares a property's trimmed text with this.
std::string ValueText(const SchemaValue& value);

inline constexpr int kMaxDatabase = 9;  // g runs 0..9
inline constexpr int kMaxTable = 100;   // t runs 0..100 for table slots, 1..100 for field slots
inline constexpr int kMaxField = 100;   // k runs 1..100

// The slots of the description, named as the upgrade names them; used by the write observer.
enum class Slot {
    NomeBanco,
    QtdeTabelas,
    NomeTabela,
    QtdeCampos,
    NomeCampo,
    TipoCampo,
    TamanhoCampo,
    NomePropriedade,
    TipoPropriedade,
    ValorPropriedade,
    VerificaPropriedade,
};

// Everything written for one (g, t, k).
struct FieldEntry {
    std::string nomeCampo;
    std::string tipoCampo;
    std::int16_t tamanhoCampo = 0;
    std::string nomePropriedade;
    SchemaValue tipoPropriedade;
    SchemaValue valorPropriedade;
    std::int16_t verificaPropriedade = 0;
};

class SchemaDescription {
public:
    // Called before every slot write with the slot and its (g, t, k) (0 where the slot has no
    // such index). Tests use it to see the write order and to raise an error at a chosen write;
    // the program leaves it unset.
    using WriteObserver = std::function<void(Slot, int g, int t, int k)>;

    SchemaDescription();

    const std::string& NomeBanco(int g) const;
    std::int16_t QtdeTabelas(int g) const;
    const std::string& NomeTabela(int g, int t) const;
    std::int16_t QtdeCampos(int g, int t) const;
    const std::string& NomeCampo(int g, int t, int k) const;
    const std::string& TipoCampo(int g, int t, int k) const;
    std::int16_t TamanhoCampo(int g, int t, int k) const;
    const std::string& NomePropriedade(int g, int t, int k) const;
    const SchemaValue& TipoPropriedade(int g, int t, int k) const;
    const SchemaValue& ValorPropriedade(int g, int t, int k) const;
    std::int16_t VerificaPropriedade(int g, int t, int k) const;
    // The whole entry of one field slot; the empty entry for an unwritten one.
    const FieldEntry& Campo(int g, int t, int k) const;

    void SetNomeBanco(int g, std::string value);
    void SetQtdeTabelas(int g, std::int16_t value);
    void SetNomeTabela(int g, int t, std::string value);
    void SetQtdeCampos(int g, int t, std::int16_t value);
    void SetNomeCampo(int g, int t, int k, std::string value);
    void SetTipoCampo(int g, int t, int k, std::string value);
    void SetTamanhoCampo(int g, int t, int k, std::int16_t value);
    void SetNomePropriedade(int g, int t, int k, std::string value);
    void SetTipoPropriedade(int g, int t, int k, SchemaValue value);
    void SetValorPropriedade(int g, int t, int k, SchemaValue value);
    void SetVerificaPropriedade(int g, int t, int k, std::int16_t value);

    void SetWriteObserver(WriteObserver observer) { observer_ = std::move(observer); }

private:
    struct Table {
        std::string nome;
        std::int16_t qtdeCampos = 0;
        std::vector<FieldEntry> fields;  // index k - 1; grows to the highest k written
    };
    struct Database {
        std::string nome;
        std::int16_t qtdeTabelas = 0;
        std::array<Table, kMaxTable + 1> tables;  // index t
    };

    const Table& TableAt(int g, int t) const;
    FieldEntry& WritableField(Slot slot, int g, int t, int k);
    void Notify(Slot slot, int g, int t, int k) const;

    std::array<Database, kMaxDatabase + 1> databases_;
    WriteObserver observer_;
};

// The one description the program fills and the upgrade reads.
SchemaDescription& ProgramSchema();

}  // namespace schema
