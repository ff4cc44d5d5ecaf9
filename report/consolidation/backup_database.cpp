#include "report/consolidation/backup_database.h"

#include "report/consolidation/indexes.h"

namespace report::consolidation {

namespace {

constexpr int kTextProperty = 10;

void AppendCopyOf(dao::TableDef& table, const dao::Field& source, const std::string& name) {
    table.Fields().Append(table.CreateField(name, dao::Value::Long(static_cast<int>(source.Type())),
                                            dao::Value::Long(source.Size())));
}

void AppendTable(const dao::Database& backup, dao::TableDef& table) { backup.TableDefs().Append(table); }

void CreatePerStoreTable(const dao::Database& backup, const dao::Database& store, const PerStoreTable& spec) {
    dao::TableDef table = backup.CreateTableDef(spec.name);
    if (!spec.storeCodeField.empty()) {
        AppendCopyOf(table, store.TableDefs().Item("Loja").Fields().Item("CodLoja"), spec.storeCodeField);
    }
    const dao::Fields fields = store.TableDefs().Item(spec.name).Fields();
    for (int i = 0; i < fields.Count(); ++i) AppendCopyOf(table, fields.Item(i), fields.Item(i).Name());
    AppendTable(backup, table);
}

void CreateDerivedTable(const dao::Database& backup, const dao::Database& store, const DerivedTable& spec) {
    dao::TableDef table = backup.CreateTableDef(spec.name);
    const dao::Fields fields = store.TableDefs().Item(spec.source).Fields();
    if (spec.fields.empty()) {
        for (int i = 0; i < fields.Count(); ++i) AppendCopyOf(table, fields.Item(i), fields.Item(i).Name());
    } else {
        for (const std::string& name : spec.fields) AppendCopyOf(table, fields.Item(name), name);
    }
    AppendTable(backup, table);
    if (spec.primaryIndex.empty()) return;
    IndexWork work;
    work.TabelaIndice = backup.TableDefs().Item(spec.name);
    NovoIndice(work, {spec.name, spec.primaryIndex, spec.key, true});
    AnexaIndice(work);
}

void CreateStatus(const dao::Database& backup, double data, double hora) {
    dao::TableDef table = backup.CreateTableDef("Status");
    for (const char* name : {"Data", "Hora"}) {
        table.Fields().Append(table.CreateField(name, dao::Value::Long(static_cast<int>(dao::DataType::Date))));
    }
    AppendTable(backup, table);
    const dao::Fields fields = backup.TableDefs().Item("Status").Fields();
    for (const auto& [field, format] : {std::pair{"Data", "Short Date"}, std::pair{"Hora", "Long Time"}}) {
        const dao::Field appended = fields.Item(field);
        appended.Properties().Append(appended.CreateProperty("Format", kTextProperty, dao::Value(format)));
    }
    dao::Recordset status = backup.OpenRecordset("Status", dao::dbOpenTable);
    status.AddNew();
    status("Data").SetValue(dao::Value::Date(data));
    status("Hora").SetValue(dao::Value::Date(hora));
    status.Update();
    status.Close();
}

}  // namespace

const std::vector<PerStoreTable>& PerStoreTables() {
    static const std::vector<PerStoreTable> tables = {
        {"Produto", "CodLoja"},  {"Venda", "CodLoja"},    {"Itens Venda", "CodLoja"}, {"Pagto Venda", "CodLoja"},
        {"Vendedor", "CodLoja"}, {"Fornecedor", "CodLoja"}, {"Cliente", "CodLojaCons"}, {"TransSai", ""},
    };
    return tables;
}

const std::vector<DerivedTable>& WorkingTables() {
    static const std::vector<DerivedTable> tables = {
        {"FAMILIACONS", "Familia", {"Código", "Descrição"}, {}, {}},
        {"GrupoCons", "Grupo", {}, {}, {}},
        {"CorCons", "Cor", {}, {}, {}},
        {"LojaCons", "Loja", {"CodLoja", "Nome", "LojaOrigem"}, {}, {}},
    };
    return tables;
}

const std::vector<DerivedTable>& CodeTables() {
    static const std::vector<DerivedTable> tables = {
        {"Familia", "Familia", {"Código", "Descrição"}, "IndCodFam", {"Código"}},
        {"Grupo", "Grupo", {"Familia", "Grupo", "DescGrupo"}, "IndCodGrp", {"Familia", "Grupo"}},
        {"Cor", "Cor", {"Código", "Descrição"}, "IndCodCor", {"Código"}},
        {"Loja", "Loja", {"CodLoja", "Nome", "LojaOrigem"}, "IndCódigo", {"CodLoja"}},
    };
    return tables;
}

void CreateBackup(const dao::DBEngine& engine, const std::string& path, const dao::Database& store, double data,
                  double hora) {
    dao::Database backup = engine.CreateDatabase(path);
    CreateStatus(backup, data, hora);
    for (const PerStoreTable& table : PerStoreTables()) CreatePerStoreTable(backup, store, table);
    for (const DerivedTable& table : WorkingTables()) CreateDerivedTable(backup, store, table);
    for (const DerivedTable& table : CodeTables()) CreateDerivedTable(backup, store, table);
    backup.Close();
}

}  // namespace report::consolidation
