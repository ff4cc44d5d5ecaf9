// Shared fixture of the upgrade's tests: the core's machine root (program folder C:\REPORT, data
// folder F:\LOJA01 with Bd2.MDB), plus the five store databases in an older structure built from
// the schema description, the data-folder set opened as the log-in opens it, a recording progress
// window and an event pump that snapshots the last progress line at every yield.
//
// The older structure (built once per build of the test program, shared by its test processes, and
// copied into each test's data folder):
//   - Produto.MDB lacks FundoCaixaSaldo, FundoCaixa and ItensTransEntBaixa, and Cliente lacks
//     its last described field; Antigo.MDB's Venda lacks its last described field;
//   - UltimaVenda.UltimoCodigo is an Integer where a Long is described (the row holds 1234);
//   - Familia.Descrição is Text 12 where Text 20 is described (the row holds "Ferramentas");
//   - no field carries a "Format" property;
//   - UltimaVenda's one row is stamped 01/01/2001;
//   - besides the described fields, the tables hold the key and data fields the data steps and the
//     index repairs name (ExtraFields), so that a full upgrade of it reports nothing.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "platform/win/oledate.h"
#include "platform/win/testing/shared_folder.h"
#include "report/core/tests/support/core_fixture.h"
#include "report/schema/schema_builders.h"
#include "report/upgrade/progress.h"
#include "report/upgrade/upgrade.h"

namespace report::testing {

using namespace report::upgrade;

inline const std::vector<std::string>& StoreFiles() {
    static const std::vector<std::string> files = {"Produto", "Antigo", "Backup", "Modem", "Transfer"};
    return files;
}

// Records the last progress line at every yield, so tests see the counters as they were shown.
class SnapshotPump : public forms::EventPump {
public:
    void DoEvents() override {
        const UpgradeWindow& window = UpgradeWindowInForce();
        if (window.ListCount() > 0) shown.push_back(window.List(window.ListCount() - 1));
    }
    std::vector<std::string> shown;
};

// One described field as the older structure holds it, when it differs.
struct OldField {
    dao::DataType type;
    int size;
};

class UpgradeTest : public CoreTest {
protected:
    UpgradeTest() {
        schema::RunSchemaDrivers();
        CopyOldStore();
        PastaDados = kData;
        ProgramHooks().upgradeWindow = &window_;
        forms::InstallEventPump(&pump_);
        OpenDataSet();
    }

    ~UpgradeTest() override {
        ResetUpgradeState();
        InstalledUpgradeSteps() = {};
        ProgramHooks().upgradeWindow = nullptr;
        forms::InstallEventPump(nullptr);
    }

    static std::string DataFile(const std::string& name) { return std::string(kData) + "\\" + name + ".MDB"; }

    dao::Database OpenStore(const std::string& name) {
        return ProgramEngine().OpenDatabase(DataFile(name), false, false, ";PWD=TORPAL");
    }

    // BancoProdutoLoja as the log-in leaves it open for the upgrade.
    void OpenDataSet() {
        BancoProdutoLoja.Set(ProgramEngine().OpenDatabase(DataFile("Produto"), false, false,
                                                          ConnectLoja(kData, "\\Produto.MDB")));
    }

    // A fresh copy of the older store, for tests that run several rounds.
    void CopyOldStoreAgain() {
        ResetUpgradeState();
        CloseIfOpen(BancoProdutoLoja);
        BancoProdutoLoja.Reset();
        CopyOldStore();
        OpenDataSet();
    }

    // Runs the driver; the progress window is cleared by the driver itself when it upgrades.
    void Upgrade() { upgrade::AtualizarBD(); }

    // The stamp as OLE days; -1 for Null.
    double Stamp() {
        dao::Recordset rs = BancoProdutoLoja->OpenRecordset("UltimaVenda", dao::dbOpenTable);
        rs.MoveFirst();
        const dao::Value v = rs("Versao").GetValue();
        rs.Close();
        return v.IsNull() ? -1 : v.ToDouble();
    }

    void SetStamp(const dao::Value& value) {
        dao::Recordset rs = BancoProdutoLoja->OpenRecordset("UltimaVenda", dao::dbOpenTable);
        rs.MoveFirst();
        rs.Edit();
        rs("Versao").SetValue(value);
        rs.Update();
        rs.Close();
    }

    static double Date(const char* text) { return win::CDateText(text); }

    // The store files' modification times and sizes, to see that nothing was written.
    std::map<std::string, std::pair<std::filesystem::file_time_type, std::uintmax_t>> FileStamps() {
        std::map<std::string, std::pair<std::filesystem::file_time_type, std::uintmax_t>> stamps;
        for (const auto& entry : std::filesystem::directory_iterator(Host(kData))) {
            if (entry.path().extension() == ".MDB") {
                stamps[entry.path().filename().string()] = {entry.last_write_time(), entry.file_size()};
            }
        }
        return stamps;
    }

    // Every described field of database g, checked against `db`: exists, has the described type
    // (and size for Text), and holds the checked property's value. Returns the differences.
    static std::vector<std::string> Differences(const dao::Database& db, int g) {
        const auto& d = schema::ProgramSchema();
        std::vector<std::string> out;
        for (int t = 1; t <= d.QtdeTabelas(g); ++t) {
            const std::string& table = d.NomeTabela(g, t);
            for (int k = 1; k <= d.QtdeCampos(g, t); ++k) {
                const schema::FieldEntry& e = d.Campo(g, t, k);
                const std::string where = table + "." + e.nomeCampo;
                try {
                    const dao::Field f = db.TableDefs().Item(table).Fields().Item(e.nomeCampo);
                    if (std::to_string(static_cast<int>(f.Type())) != e.tipoCampo) out.push_back(where + " type");
                    if (e.tipoCampo == "10" && f.Size() != e.tamanhoCampo) out.push_back(where + " size");
                    if (e.verificaPropriedade != 0 &&
                        forms::Trim(f.Properties().Item(e.nomePropriedade).GetValue().ToText()) !=
                            schema::ValueText(e.valorPropriedade)) {
                        out.push_back(where + " " + e.nomePropriedade);
                    }
                } catch (const win::RuntimeError& error) {
                    out.push_back(where + " raised " + std::to_string(error.Number()));
                }
            }
        }
        return out;
    }

    RecordingUpgradeWindow window_;
    SnapshotPump pump_;

private:
    static std::filesystem::path& Pristine() {
        static std::filesystem::path folder;
        return folder;
    }

    // Fields the schema description leaves out that the later steps name, by database and table.
    static const std::vector<std::tuple<int, std::string, std::string, dao::DataType, int>>& ExtraFields() {
        using T = dao::DataType;
        static const std::vector<std::tuple<int, std::string, std::string, dao::DataType, int>> fields = {
            {0, "Produto", "ProdutoFornecedor", T::Text, 20},
            {0, "Itens TransSai", "CustoMD", T::Currency, 0},
            {0, "TransSai", "Concluido", T::Text, 1},
            {-1, "TransEnt", "NroTrans", T::Long, 0},
            {-1, "TransEnt", "DataRecepcao", T::Date, 0},
            {-1, "TransEnt", "HoraRecepcao", T::Date, 0},
            {-1, "Itens TransEnt", "NroTrans", T::Long, 0},
            {-1, "Itens TransEnt", "Sequencia", T::Double, 0},
            {-1, "Itens TransEnt", "CustoMd", T::Currency, 0},
            {-1, "Venda", "Número Venda", T::Long, 0},
            {-1, "Venda", "Número NF", T::Long, 0},
            {-1, "Venda", "Data Venda", T::Date, 0},
            {-1, "Venda", "Hora", T::Date, 0},
            {-1, "Venda", "TipoVenda", T::Text, 1},
            {-1, "Venda", "Concluido", T::Text, 1},
            {0, "DelVenda", "Número Venda", T::Long, 0},
            {0, "DelVenda", "Data Venda", T::Date, 0},
            {0, "DelVenda", "Hora", T::Date, 0},
            {-1, "Itens Venda", "Número Venda", T::Long, 0},
            {-1, "Pagto Venda", "Código Cartão", T::Long, 0},
            {0, "DelPagtoVenda", "Código Cartão", T::Long, 0},
            {0, "Credito", "Código Cartão", T::Long, 0},
            {0, "Cartao", "Código", T::Long, 0},
            {0, "Cartao", "Taxa", T::Single, 0},
            {0, "Cliente", "Código", T::Long, 0},
            {0, "Cliente", "CGC", T::Text, 18},
            {0, "Cliente", "CPF", T::Text, 14},
            {0, "Loja", "CodLoja", T::Text, 2},
            {0, "Grupo", "Familia", T::Integer, 0},
            {0, "Grupo", "Grupo", T::Long, 0},
            {0, "Grupo", "DescGrupo", T::Text, 40},
            {0, "Familia", "Código", T::Integer, 0},
            {0, "Familia", "Descrição", T::Text, 20},
            {0, "Transportadora", "Codigo", T::Long, 0},
            {0, "Lucro", "Codigo", T::Long, 0},
            {0, "NotaFiscal", "NroTransSai", T::Long, 0},
        };
        return fields;
    }

    static void AddExtraFields(int g, const std::string& table, dao::TableDef& def) {
        for (const auto& [database, name, field, type, size] : ExtraFields()) {
            if ((database != -1 && database != g) || name != table) continue;
            bool described = false;
            for (int k = 0; k < def.Fields().Count(); ++k) {
                if (forms::UCase(def.Fields().Item(k).Name()) == forms::UCase(field)) described = true;
            }
            if (!described) def.Fields().Append(def.CreateField(field, dao::Value::Long(static_cast<int>(type)), dao::Value::Long(size)));
        }
    }

    static bool Omitted(int g, const std::string& table, int k, int count) {
        static const std::set<std::pair<int, std::string>> tables = {
            {0, "FundoCaixaSaldo"}, {0, "FundoCaixa"}, {0, "ItensTransEntBaixa"}};
        static const std::set<std::pair<int, std::string>> lastField = {{0, "Cliente"}, {1, "Venda"}};
        if (k == 0) return tables.count({g, table}) != 0;
        return k == count && lastField.count({g, table}) != 0;
    }

    static std::optional<OldField> Changed(int g, const std::string& table, const std::string& field) {
        static const std::map<std::tuple<int, std::string, std::string>, OldField> changed = {
            {{0, "UltimaVenda", "UltimoCodigo"}, {dao::DataType::Integer, 0}},
            {{0, "Familia", "Descrição"}, {dao::DataType::Text, 12}},
        };
        const auto it = changed.find({g, table, field});
        if (it == changed.end()) return std::nullopt;
        return it->second;
    }

    void BuildOldDatabase(int g) {
        const auto& d = schema::ProgramSchema();
        const std::string path = DataFile(StoreFiles()[static_cast<std::size_t>(g)]);
        std::error_code ignored;
        std::filesystem::remove(Host(path), ignored);
        dao::Database db = Create(path);
        for (int t = 1; t <= d.QtdeTabelas(g); ++t) {
            const std::string& table = d.NomeTabela(g, t);
            if (Omitted(g, table, 0, 0)) continue;
            dao::TableDef def = db.CreateTableDef(table);
            for (int k = 1; k <= d.QtdeCampos(g, t); ++k) {
                const schema::FieldEntry& e = d.Campo(g, t, k);
                if (Omitted(g, table, k, d.QtdeCampos(g, t))) continue;
                const auto old = Changed(g, table, e.nomeCampo);
                const dao::Value type = old ? dao::Value::Long(static_cast<int>(old->type)) : dao::Value::Text(e.tipoCampo);
                const dao::Value size = dao::Value::Long(old ? old->size : e.tamanhoCampo);
                def.Fields().Append(def.CreateField(e.nomeCampo, type, size));
            }
            AddExtraFields(g, table, def);
            db.TableDefs().Append(def);
        }
        if (g == 0) {
            AddRow(db, "UltimaVenda", {{"UltimoCodigo", dao::Value::Integer(1234)}, {"Versao", dao::Value::Date(Date("01/01/2001"))}});
            AddRow(db, "Familia", {{"Código", dao::Value::Integer(7)}, {"Descrição", dao::Value::Text("Ferramentas")}});
        }
        db.Close();
    }

    // The older store is built once for the test program and copied into each test's data folder.
    void CopyOldStore() {
        if (Pristine().empty()) {
            Pristine() = win::testing::SharedFolder("old-store", [this](const std::filesystem::path& folder) {
                for (int g = 0; g < 5; ++g) BuildOldDatabase(g);
                for (const auto& name : StoreFiles()) std::filesystem::copy_file(Host(DataFile(name)), folder / (name + ".MDB"));
            });
        }
        for (const auto& name : StoreFiles()) {
            std::filesystem::copy_file(Pristine() / (name + ".MDB"), Host(DataFile(name)),
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }
};

}  // namespace report::testing
