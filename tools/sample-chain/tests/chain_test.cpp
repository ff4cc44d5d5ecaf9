// The sample chain opens with the engine and with the program's own connections, holds every
// described field, is older than the program, and is the same for the same seed.
#include "tools/sample-chain/chain.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>

#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/services.h"
#include "platform/win/files.h"
#include "platform/win/oledate.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/core/connections.h"
#include "report/core/rights.h"
#include "report/consolidation/backup_database.h"
#include "report/core/state.h"
#include "report/schema/schema_builders.h"
#include "tools/sample-chain/layouts.h"
#include "tools/sample-chain/rows.h"
#include "tools/sample-chain/tests/shared_chains.h"

namespace sample_chain {
namespace {

using win::testing::ErrorNumberOf;

class ChainTest : public ::testing::Test {
protected:
    // One chain for the whole suite, copied from the program's template: building it writes some
    // thirty databases.
    static void SetUpTestSuite() {
        const std::filesystem::path chain = testing::PostalChain();
        root_ = std::make_unique<win::testing::TempMachineRoot>();
        testing::CopyChain(chain, root_->Root());
    }
    static void TearDownTestSuite() { root_.reset(); }

    void SetUp() override { forms::InstallMessageBoxes(&boxes_); }
    void TearDown() override {
        report::ResetProgramState();
        report::SetProgramFolder({});
        forms::InstallMessageBoxes(nullptr);
        forms::App().ResetForTests();
    }

    dao::Database Open(const std::string& path) { return engine_.OpenDatabase(path, false, false, ";PWD=TORPAL"); }

    static std::unique_ptr<win::testing::TempMachineRoot> root_;
    dao::DBEngine engine_;
    forms::ScriptedMessageBoxes boxes_;
};

std::unique_ptr<win::testing::TempMachineRoot> ChainTest::root_;

TEST_F(ChainTest, EveryDescribedFieldIsThereWithItsTypeInTheFirstStore) {
    schema::SchemaDescription description;
    schema::RunSchemaDrivers(description);
    for (int g = 0; g < 5; ++g) {
        dao::Database db = Open("F:\\LOJA01\\" + StoreDatabaseNames()[static_cast<std::size_t>(g)] + ".MDB");
        ASSERT_EQ(db.TableDefs().Count(), description.QtdeTabelas(g)) << g;
        for (int t = 1; t <= description.QtdeTabelas(g); ++t) {
            const dao::TableDef table = db.TableDefs().Item(description.NomeTabela(g, t));
            for (int k = 1; k <= description.QtdeCampos(g, t); ++k) {
                const auto& entry = description.Campo(g, t, k);
                const dao::Field field = table.Fields().Item(entry.nomeCampo);
                const bool narrowed = (table.Name() == "Produto" && entry.nomeCampo == "IPI") ||
                                      (table.Name() == "Cliente" && entry.nomeCampo == "Email");
                if (narrowed) continue;
                EXPECT_EQ(std::to_string(static_cast<int>(field.Type())), entry.tipoCampo) << table.Name() << "." << entry.nomeCampo;
            }
        }
    }
}

TEST_F(ChainTest, StoresAreOlderThanTheProgram) {
    const double target = win::DateSerial(2002, 10, 1);
    dao::Database loja01 = Open("F:\\LOJA01\\Produto.MDB");
    dao::Recordset settings = loja01.OpenRecordset("UltimaVenda", dao::dbOpenTable);
    EXPECT_LT(settings("Versao").GetValue().ToDouble(), target);
    EXPECT_EQ(ErrorNumberOf([&] { settings.Fields().Item("Versao").Properties().Item("Format"); }), dao::jet::PropertyNotFound);
    EXPECT_EQ(loja01.TableDefs().Item("Produto").Fields().Item("IPI").Type(), dao::DataType::Single);
    EXPECT_EQ(loja01.TableDefs().Item("Cliente").Fields().Item("Email").Size(), 40);
    settings.Close();

    dao::Database loja02 = Open("F:\\LOJA02\\Produto.MDB");
    dao::Recordset unstamped = loja02.OpenRecordset("UltimaVenda", dao::dbOpenTable);
    EXPECT_TRUE(unstamped("Versao").GetValue().IsNull());
    unstamped.Close();
    EXPECT_EQ(ErrorNumberOf([&] { loja02.TableDefs().Item("UltimaVenda").Fields().Item("ObsCupom8"); }), dao::jet::ItemNotFound);

    dao::Database loja03 = Open("C:\\LOJA03\\Produto.MDB");
    for (const char* table : {"FundoCaixaSaldo", "FundoCaixa", "ItensTransEntBaixa"}) {
        EXPECT_EQ(ErrorNumberOf([&] { loja03.TableDefs().Item(table); }), dao::jet::ItemNotFound) << table;
    }
}

TEST_F(ChainTest, TablesCarryTheOldIndexCounts) {
    const struct {
        const char* file;
        const char* table;
        int count;
    } rows[] = {
        {"Produto", "NotaFiscal", 0},     {"Produto", "Itens Entrada Produto", 1}, {"Produto", "Cliente", 1},
        {"Produto", "Itens TransSai", 4}, {"Produto", "Itens TransEnt", 6},       {"Produto", "Grupo", 2},
        {"Produto", "Transportadora", 0}, {"Produto", "Lucro", 0},                {"Produto", "FundoCaixaSaldo", 0},
        {"Antigo", "Itens TransEnt", 6},  {"Transfer", "Itens TransEnt", 6},      {"Transfer", "TransEnt", 1},
        {"Transfer", "Cartao", 0},        {"Transfer", "Loja", 0},                {"Produto", "Loja", 2},
    };
    for (const auto& row : rows) {
        dao::Database db = Open(std::string("F:\\LOJA01\\") + row.file + ".MDB");
        EXPECT_EQ(db.TableDefs().Item(row.table).Indexes().Count(), row.count) << row.file << " " << row.table;
    }
}

TEST_F(ChainTest, ProgramOpensTheChainAndLogsInToEveryStore) {
    report::SetProgramFolder("C:\\REPORT");
    report::AbrirBD();
    ASSERT_FALSE(forms::App().EndRequested());
    EXPECT_TRUE(report::CepAberto);
    dao::Recordset lojas = report::BancoProduto->OpenRecordset("Loja", dao::dbOpenTable);
    EXPECT_EQ(lojas.RecordCount(), 3);
    lojas.Close();
    for (const Store& store : Stores()) {
        SCOPED_TRACE(store.code);
        // The store choice's two roads: the folder as listed, else the same folder on drive C:.
        const bool listed = win::FileExists(store.localLojas + "PRODUTO.MDB");
        EXPECT_EQ(listed, store.code != "03");
        report::PastaDados = store.folder;
        report::CodUsuarioAtual = 2;
        report::AbrirBDLoja();
        ASSERT_FALSE(forms::App().EndRequested()) << store.folder;
        EXPECT_EQ((*report::TabelaUsuario)("Usuario").GetValue().ToText(), "CAIXA");
        EXPECT_TRUE(report::VerificaAutorizacao("R001", "P", "N"));
        EXPECT_FALSE(report::VerificaAutorizacao("R002", "P", "N"));
        EXPECT_TRUE(report::VerificaAutorizacao("R002", "C", "N"));
        report::FecharBDLoja();
    }
    EXPECT_TRUE(boxes_.shown.empty());
}

// A digest of a store's sales: equal seeds give equal data, other seeds other data.
std::string SalesDigest(const dao::DBEngine& engine, const std::string& path, unsigned seed) {
    dao::Database db = engine.CreateDatabase(path);
    CreateTables(db, StoreLayouts(0, Aging{}));
    std::mt19937 random(seed);
    FillStoreProduto(engine, db, Stores()[0], SmallVolumes(), random, "C:\\REPORT");
    std::string digest;
    dao::Recordset vendas = db.OpenRecordset("Venda", dao::dbOpenTable);
    for (; !vendas.Eof(); vendas.MoveNext()) digest += vendas("Total Venda").GetValue().ToText() + ";";
    vendas.Close();
    dao::Recordset itens = db.OpenRecordset("Itens Venda", dao::dbOpenTable);
    digest += "items " + std::to_string(itens.RecordCount());
    itens.Close();
    db.Close();
    return digest;
}

// The consolidated report's query names BACKUP.MDB of the program folder in one literal, whatever
// the folder's name: it opens and reads that file's (empty) sales.
TEST_F(ChainTest, TheConsolidatedQueryReadsTheBackupOfAFolderWithAnApostrophe) {
    const std::string folder = "C:\\D'AGUA";
    std::filesystem::create_directories(root_->DriveC() / "D'AGUA");
    dao::Database db = engine_.CreateDatabase(folder + "\\Produto.MDB");
    CreateTables(db, StoreLayouts(0, Aging{}));
    std::mt19937 random(1);
    FillStoreProduto(engine_, db, Stores()[0], SmallVolumes(), random, folder);
    report::consolidation::CreateBackup(engine_, folder + "\\BACKUP.MDB", db, 0, 0);
    dao::Recordset rs = db.OpenRecordset("Consolida003", dao::dbOpenSnapshot);
    EXPECT_EQ(rs.Fields().Item(0).Name(), "CodLoja");
    EXPECT_EQ(rs.RecordCount(), 0);
    rs.Close();
    db.Close();
}

TEST_F(ChainTest, SameSeedGivesTheSameData) {
    const std::string first = SalesDigest(engine_, "C:\\A.MDB", 7);
    EXPECT_EQ(SalesDigest(engine_, "C:\\B.MDB", 7), first);
    EXPECT_NE(SalesDigest(engine_, "C:\\C.MDB", 8), first);
    EXPECT_NE(first.find("items "), std::string::npos);
}

}  // namespace
}  // namespace sample_chain
