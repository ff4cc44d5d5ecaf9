#include "tools/sample-chain/layouts.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "platform/win/cp1252.h"
#include "report/schema/schema_builders.h"

namespace sample_chain {

namespace {

using dao::DataType;

// Fields the program's windows, queries, index repairs and consolidation name that the schema
// description leaves out, by table name (in every database that has the table).
struct ExtraField {
    const char* table;
    const char* field;
    DataType type;
    int size;
};

const ExtraField kExtraFields[] = {
    {"Produto", "Descrição", DataType::Text, 40},
    {"Grupo", "Familia", DataType::Integer, 0},
    {"Grupo", "Grupo", DataType::Long, 0},
    {"Grupo", "DescGrupo", DataType::Text, 30},
    {"GrupoModem", "Familia", DataType::Integer, 0},
    {"GrupoModem", "Grupo", DataType::Long, 0},
    {"GrupoModem", "DescGrupo", DataType::Text, 30},
    {"Itens Venda", "Número Venda", DataType::Long, 0},
    {"Itens Venda", "Sequência", DataType::Integer, 0},
    {"Itens Venda", "Familia", DataType::Integer, 0},
    {"Itens Venda", "Grupo", DataType::Long, 0},
    {"Itens Venda", "Tamanho", DataType::Text, 3},
    {"Itens Venda", "Cor", DataType::Text, 2},
    {"Itens VendaModem", "Número Venda", DataType::Long, 0},
    {"Itens VendaModem", "Sequência", DataType::Integer, 0},
    {"Itens TransSai", "NroTrans", DataType::Long, 0},
    {"Itens TransSai", "Sequencia", DataType::Long, 0},
    {"Itens TransEnt", "NroTrans", DataType::Long, 0},
    {"Itens TransEnt", "Sequencia", DataType::Long, 0},
    {"Itens Entrada Produto", "NroEntrada", DataType::Long, 0},
    {"Familia", "Descrição", DataType::Text, 20},
    {"Cartao", "Código", DataType::Long, 0},
    {"Conta", "Código", DataType::Long, 0},
    {"Modalidade", "Código", DataType::Long, 0},
    {"Corrente", "CodCorrente", DataType::Long, 0},
    // Named by the upgrade's Null defaults.
    {"Produto", "ProdutoFornecedor", DataType::Text, 20},
    {"Itens TransSai", "CustoMD", DataType::Currency, 0},
    {"Itens TransEnt", "CustoMd", DataType::Currency, 0},
};

// The old indexes, by database and table.
struct OldIndex {
    int database;  // -1: every database that has the table
    const char* table;
    IndexDef index;
};

const std::vector<OldIndex>& OldIndexes() {
    static const std::vector<OldIndex> rows = {
        {0, "Loja", {"IndCodLoja", {"CodLoja"}, true}},
        {0, "Loja", {"IndLojaOrigem", {"LojaOrigem"}}},
        {-1, "Produto", {"IndCódigo", {"Familia", "Grupo", "Tamanho", "Cor"}, true}},
        {-1, "Produto", {"IndCodAlternativo", {"CodAlternativo"}}},
        {-1, "Venda", {"IndVenda", {"Número Venda"}, true}},
        {-1, "Venda", {"IndCliente", {"Código Cliente"}}},
        {-1, "Venda", {"IndConcluido", {"Concluido", "CodUsuario"}}},
        {-1, "Itens Venda", {"IndVenda", {"Número Venda"}}},
        {-1, "Itens Venda", {"IndÍtens", {"Número Venda", "Sequência"}}},
        {-1, "Pagto Venda", {"IndVenda", {"Número Venda"}}},
        {-1, "Pagto Venda", {"IndParcela", {"Número Venda", "Sequência"}}},
        {0, "Vendedor", {"IndCódigo", {"Código"}, true}},
        {0, "Fornecedor", {"IndCodFor", {"Código"}, true}},
        {0, "Familia", {"IndCódigo", {"Código"}, true}},
        {0, "Cor", {"IndCódigo", {"Código"}, true}},
        {0, "Cliente", {"IndNome", {"Nome"}}},
        {0, "Itens Entrada Produto", {"IndNroEntrada", {"NroEntrada"}}},
        {0, "Grupo", {"IndFamiliaGrupo", {"Familia", "Grupo"}, true}},
        {0, "Grupo", {"IndFamilia", {"Familia"}}},
        {0, "TransSai", {"IndNroTrans", {"NroTrans"}, true}},
        {-1, "TransEnt", {"IndNroTrans", {"NroTrans"}, true}},
        {0, "Itens TransSai", {"IndTrans", {"NroTrans", "Sequencia"}, true}},
        {0, "Itens TransSai", {"IndNroTrans", {"NroTrans"}}},
        {0, "Itens TransSai", {"IndNroNF", {"NroNF"}}},
        {0, "Itens TransSai", {"IndUnidade", {"Unidade"}}},
    };
    return rows;
}

// Itens TransEnt carries six indexes in each database that has it.
const std::vector<IndexDef>& ItensTransEntIndexes() {
    static const std::vector<IndexDef> rows = {
        {"IndTrans", {"NroTrans", "Sequencia"}, true},
        {"IndNroTrans", {"NroTrans"}},
        {"IndNroNF", {"NroNF"}},
        {"IndDataRecepcao", {"DataRecepcao"}},
        {"IndUnidade", {"Unidade"}},
        {"IndSituacao", {"SituacaoTributaria"}},
    };
    return rows;
}

const std::set<std::string> kNewTables = {"FundoCaixaSaldo", "FundoCaixa", "ItensTransEntBaixa"};

bool HasField(const TableLayout& table, const std::string& name) {
    return std::any_of(table.fields.begin(), table.fields.end(),
                       [&](const FieldDef& f) { return win::EqualsIgnoringCase(f.name, name); });
}

DataType TypeOf(const std::string& code) {
    int value = 10;
    std::from_chars(code.data(), code.data() + code.size(), value);
    return static_cast<DataType>(value);
}

const schema::SchemaDescription& Described() {
    static const schema::SchemaDescription description = [] {
        schema::SchemaDescription filled;
        schema::RunSchemaDrivers(filled);
        return filled;
    }();
    return description;
}

TableLayout DescribedTable(int g, int t, const Aging& aging) {
    const auto& description = Described();
    TableLayout table{description.NomeTabela(g, t), {}, {}};
    const int count = description.QtdeCampos(g, t);
    const int kept = aging.lacksLastFields && count >= 10 ? count - 1 : count;
    for (int k = 1; k <= kept; ++k) {
        const auto& entry = description.Campo(g, t, k);
        const DataType type = TypeOf(entry.tipoCampo);
        table.fields.push_back({entry.nomeCampo, type, type == DataType::Text ? entry.tamanhoCampo : 0});
    }
    return table;
}

// Produto's full layout: its described fields, then those of PRODUTOCONS (its consolidated copy,
// without the store code).
void AddProdutoFields(TableLayout& table) {
    const auto& description = Described();
    for (int k = 1; k <= description.QtdeCampos(0, 42); ++k) {
        const auto& entry = description.Campo(0, 42, k);
        if (entry.nomeCampo == "CodLoja" || HasField(table, entry.nomeCampo)) continue;
        const DataType type = TypeOf(entry.tipoCampo);
        table.fields.push_back({entry.nomeCampo, type, type == DataType::Text ? entry.tamanhoCampo : 0});
    }
}

void Narrow(TableLayout& table) {
    for (FieldDef& field : table.fields) {
        if (table.name == "Produto" && field.name == "IPI") field.type = DataType::Single;
        if (table.name == "Cliente" && field.name == "Email") field.size = 40;
    }
}

void AddIndexes(int database, TableLayout& table) {
    if (table.name == "Itens TransEnt") table.indexes = ItensTransEntIndexes();
    for (const OldIndex& row : OldIndexes()) {
        if (row.table != table.name || (row.database >= 0 && row.database != database)) continue;
        const bool fieldsPresent = std::all_of(row.index.fields.begin(), row.index.fields.end(),
                                               [&](const std::string& f) { return HasField(table, f); });
        if (fieldsPresent) table.indexes.push_back(row.index);
    }
}

}  // namespace

const std::vector<std::string>& StoreDatabaseNames() {
    static const std::vector<std::string> names = {"Produto", "Antigo", "Backup", "Modem", "Transfer"};
    return names;
}

std::vector<TableLayout> StoreLayouts(int database, const Aging& aging) {
    std::vector<TableLayout> tables;
    const auto& description = Described();
    for (int t = 1; t <= description.QtdeTabelas(database); ++t) {
        if (aging.lacksNewTables && database == 0 && kNewTables.count(description.NomeTabela(database, t)) != 0) continue;
        TableLayout table = DescribedTable(database, t, aging);
        if (table.name == "Produto" || table.name == "ProdutoModem") AddProdutoFields(table);
        for (const ExtraField& extra : kExtraFields) {
            if (table.name == extra.table && !HasField(table, extra.field)) {
                table.fields.push_back({extra.field, extra.type, extra.size});
            }
        }
        if (aging.narrowedFields) Narrow(table);
        AddIndexes(database, table);
        tables.push_back(std::move(table));
    }
    return tables;
}

std::vector<TableLayout> Bd2Layouts() {
    const DataType L = DataType::Long, T = DataType::Text;
    return {
        {"Usuario",
         {{"CodUsuario", L, 0}, {"Usuario", T, 30}, {"Senha", T, 10}, {"Nivel", T, 1}},
         {{"IndCodUsuario", {"CodUsuario"}, true}, {"IndSenha", {"Senha"}}}},
        {"Relacao",
         {{"CodUsuario", L, 0}, {"CodAplicacao", T, 10}, {"Incluir", T, 1}, {"Alterar", T, 1}, {"Excluir", T, 1},
          {"Consulta", T, 1}, {"Imprime", T, 1}},
         {{"IndCodUsuarioCodAplicacao", {"CodUsuario", "CodAplicacao"}, true}}},
        {"Aplicacao",
         {{"CodAplicacao", T, 10}, {"Nome", T, 50}, {"CodClassificacao", L, 0}, {"Nivel", T, 1},
          {"Comentario", DataType::Memo, 0}, {"Consulta", T, 30}, {"Relatorio", T, 50}, {"Consolidado", T, 1},
          {"Inclusao", DataType::Date, 0}, {"Alteracao", DataType::Date, 0}, {"Usuario", T, 30}, {"Maquina", T, 30}},
         {{"IndCodAplicacao", {"CodAplicacao"}, true}, {"IndNome", {"Nome"}}}},
        {"Criterio",
         {{"Relatorio", T, 10}, {"Sequencia", L, 0}, {"DataCriacao", DataType::Date, 0}, {"Nome", T, 50},
          {"CRITERIO", DataType::Memo, 0}},
         {{"IndCriterio", {"Relatorio", "Sequencia"}, true}}},
        {"PreConsulta",
         {{"CodAplicacao", T, 10}, {"PreConsulta", T, 50}, {"Mensagem", T, 50}},
         {{"IndPreConsulta", {"CodAplicacao", "PreConsulta"}}}},
        {"Selecionar", {{"CodAplicacao", T, 10}, {"Tabela", T, 50}}, {{"IndTabela", {"CodAplicacao", "Tabela"}}}},
        {"TabelaTemporaria", {{"CodAplicacao", T, 10}, {"Tabela", T, 50}}, {{"IndTabela", {"CodAplicacao", "Tabela"}}}},
    };
}

std::vector<TableLayout> ProgramProdutoLayouts() {
    for (TableLayout& table : StoreLayouts(0, Aging{})) {
        if (table.name == "Loja") return {table};
    }
    return {};
}

std::vector<TableLayout> BackupLayouts() {
    // Written by a report's pre-queries through their BACKUP.MDB target.
    return {{"ResumoVenda", {{"Vendedor", DataType::Text, 2}, {"Total", DataType::Currency, 0}}, {}}};
}

std::vector<TableLayout> PostalLayouts() {
    const DataType L = DataType::Long, T = DataType::Text;
    const std::vector<FieldDef> place = {{"CHAVE", L, 0}, {"CEP", T, 8}, {"NOME", T, 72}, {"UF", T, 2}};
    return {
        {"LOG_CEP", place, {{"idx_cep", {"CEP"}}}},
        {"LOG_LOCALIDADE", place, {{"pk_log_loc", {"CHAVE"}, true}, {"idx_cep_loc", {"CEP"}}}},
        {"LOG_LOGRADOURO", place, {{"idx_cep_log", {"CEP"}}, {"idx_log_uf1", {"UF", "NOME"}}}},
        {"LOG_BAIRRO", place, {{"pk_log_bai", {"CHAVE"}, true}}},
        {"LOG_CPC", place, {{"idx_cep_cpc", {"CEP"}}}},
        {"LOG_GRANDE_USUARIO", place, {{"idx_cep_gru", {"CEP"}}}},
        {"LOG_UNID_OPER", place, {{"idx_cep_uop", {"CEP"}}}},
    };
}

void CreateTables(const dao::Database& db, const std::vector<TableLayout>& tables) {
    for (const TableLayout& layout : tables) {
        dao::TableDef table = db.CreateTableDef(layout.name);
        for (const FieldDef& field : layout.fields) {
            table.Fields().Append(table.CreateField(field.name, dao::Value::Long(static_cast<int>(field.type)),
                                                    dao::Value::Long(field.size)));
        }
        db.TableDefs().Append(table);
        dao::TableDef appended = db.TableDefs().Item(layout.name);
        for (const IndexDef& def : layout.indexes) {
            dao::Index index = appended.CreateIndex(def.name);
            for (const std::string& field : def.fields) index.Fields().Append(index.CreateField(field));
            index.SetPrimary(def.primary);
            index.SetUnique(def.primary);
            appended.Indexes().Append(index);
        }
    }
}

}  // namespace sample_chain
