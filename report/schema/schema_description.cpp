#include "report/schema/schema_description.h"

#include <charconv>

#include "platform/win/error.h"

namespace schema {
namespace {

const FieldEntry kEmptyEntry{};

void CheckDatabase(int g) {
    if (g < 0 || g > kMaxDatabase) win::Raise(win::err::SubscriptOutOfRange);
}

void CheckTable(int g, int t) {
    CheckDatabase(g);
    if (t < 0 || t > kMaxTable) win::Raise(win::err::SubscriptOutOfRange);
}

// Field slots start at table 1 and field 1: table slot 0 carries only a table name.
void CheckField(int g, int t, int k) {
    CheckDatabase(g);
    if (t < 1 || t > kMaxTable || k < 1 || k > kMaxField) {
        win::Raise(win::err::SubscriptOutOfRange);
    }
}

template <typename Integer>
std::string IntegerText(Integer value) {
    char buffer[16];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string ValueText(const SchemaValue& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return *text;
    if (const auto* integer = std::get_if<std::int16_t>(&value)) return IntegerText(*integer);
    if (const auto* longValue = std::get_if<std::int32_t>(&value)) return IntegerText(*longValue);
    return {};
}

SchemaDescription::SchemaDescription() = default;

const SchemaDescription::Table& SchemaDescription::TableAt(int g, int t) const {
    CheckTable(g, t);
    return databases_[g].tables[t];
}

const FieldEntry& SchemaDescription::Campo(int g, int t, int k) const {
    CheckField(g, t, k);
    const auto& fields = databases_[g].tables[t].fields;
    return static_cast<std::size_t>(k) <= fields.size() ? fields[k - 1] : kEmptyEntry;
}

const std::string& SchemaDescription::NomeBanco(int g) const {
    CheckDatabase(g);
    return databases_[g].nome;
}

std::int16_t SchemaDescription::QtdeTabelas(int g) const {
    CheckDatabase(g);
    return databases_[g].qtdeTabelas;
}

const std::string& SchemaDescription::NomeTabela(int g, int t) const { return TableAt(g, t).nome; }

std::int16_t SchemaDescription::QtdeCampos(int g, int t) const { return TableAt(g, t).qtdeCampos; }

const std::string& SchemaDescription::NomeCampo(int g, int t, int k) const {
    return Campo(g, t, k).nomeCampo;
}

const std::string& SchemaDescription::TipoCampo(int g, int t, int k) const {
    return Campo(g, t, k).tipoCampo;
}

std::int16_t SchemaDescription::TamanhoCampo(int g, int t, int k) const {
    return Campo(g, t, k).tamanhoCampo;
}

const std::string& SchemaDescription::NomePropriedade(int g, int t, int k) const {
    return Campo(g, t, k).nomePropriedade;
}

const SchemaValue& SchemaDescription::TipoPropriedade(int g, int t, int k) const {
    return Campo(g, t, k).tipoPropriedade;
}

const SchemaValue& SchemaDescription::ValorPropriedade(int g, int t, int k) const {
    return Campo(g, t, k).valorPropriedade;
}

std::int16_t SchemaDescription::VerificaPropriedade(int g, int t, int k) const {
    return Campo(g, t, k).verificaPropriedade;
}

void SchemaDescription::Notify(Slot slot, int g, int t, int k) const {
    if (observer_) observer_(slot, g, t, k);
}

FieldEntry& SchemaDescription::WritableField(Slot slot, int g, int t, int k) {
    CheckField(g, t, k);
    Notify(slot, g, t, k);
    auto& fields = databases_[g].tables[t].fields;
    if (fields.size() < static_cast<std::size_t>(k)) fields.resize(k);
    return fields[k - 1];
}

void SchemaDescription::SetNomeBanco(int g, std::string value) {
    CheckDatabase(g);
    Notify(Slot::NomeBanco, g, 0, 0);
    databases_[g].nome = std::move(value);
}

void SchemaDescription::SetQtdeTabelas(int g, std::int16_t value) {
    CheckDatabase(g);
    Notify(Slot::QtdeTabelas, g, 0, 0);
    databases_[g].qtdeTabelas = value;
}

void SchemaDescription::SetNomeTabela(int g, int t, std::string value) {
    CheckTable(g, t);
    Notify(Slot::NomeTabela, g, t, 0);
    databases_[g].tables[t].nome = std::move(value);
}

void SchemaDescription::SetQtdeCampos(int g, int t, std::int16_t value) {
    CheckTable(g, t);
    Notify(Slot::QtdeCampos, g, t, 0);
    databases_[g].tables[t].qtdeCampos = value;
}

void SchemaDescription::SetNomeCampo(int g, int t, int k, std::string value) {
    WritableField(Slot::NomeCampo, g, t, k).nomeCampo = std::move(value);
}

void SchemaDescription::SetTipoCampo(int g, int t, int k, std::string value) {
    WritableField(Slot::TipoCampo, g, t, k).tipoCampo = std::move(value);
}

void SchemaDescription::SetTamanhoCampo(int g, int t, int k, std::int16_t value) {
    WritableField(Slot::TamanhoCampo, g, t, k).tamanhoCampo = value;
}

void SchemaDescription::SetNomePropriedade(int g, int t, int k, std::string value) {
    WritableField(Slot::NomePropriedade, g, t, k).nomePropriedade = std::move(value);
}

void SchemaDescription::SetTipoPropriedade(int g, int t, int k, SchemaValue value) {
    WritableField(Slot::TipoPropriedade, g, t, k).tipoPropriedade = std::move(value);
}

void SchemaDescription::SetValorPropriedade(int g, int t, int k, SchemaValue value) {
    WritableField(Slot::ValorPropriedade, g, t, k).valorPropriedade = std::move(value);
}

void SchemaDescription::SetVerificaPropriedade(int g, int t, int k, std::int16_t value) {
    WritableField(Slot::VerificaPropriedade, g, t, k).verificaPropriedade = value;
}

SchemaDescription& ProgramSchema() {
    static SchemaDescription description;
    return description;
}

}  // namespace schema
