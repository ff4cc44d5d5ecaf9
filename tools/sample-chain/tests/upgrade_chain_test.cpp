// A log-in upgrade of every store of the sample chain: nothing reported, every repaired index, the
// write-off relation and rows and the Null defaults in place, and the next log-in stops at the gate.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/forms/app.h"
#include "platform/forms/services.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/core/connections.h"
#include "report/core/state.h"
#include "report/upgrade/progress.h"
#include "report/upgrade/upgrade.h"
#include "tools/sample-chain/chain.h"
#include "tools/sample-chain/tests/shared_chains.h"

namespace sample_chain {
namespace {

class UpgradeChainTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::filesystem::path chain = testing::PlainChain();
        root_ = std::make_unique<win::testing::TempMachineRoot>();
        testing::CopyChain(chain, root_->Root());
    }
    static void TearDownTestSuite() { root_.reset(); }

    void SetUp() override {
        forms::InstallMessageBoxes(&boxes_);
        report::ProgramHooks().upgradeWindow = &window_;
        std::filesystem::current_path(root_->MakeFolder("cwd"));
        std::filesystem::remove("ERRO.TXT");
        report::SetProgramFolder("C:\\REPORT");
        report::upgrade::InstallUpgrade();
        report::ProgramHooks().runUpgrade = report::upgrade::AtualizarBD;
    }
    void TearDown() override {
        report::upgrade::ResetUpgradeState();
        report::upgrade::InstalledUpgradeSteps() = {};
        report::ResetProgramState();
        report::SetProgramFolder({});
        report::ProgramHooks().upgradeWindow = nullptr;
        forms::InstallMessageBoxes(nullptr);
        forms::App().ResetForTests();
    }

    static std::string ErrorLog() {
        std::ifstream log("ERRO.TXT", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    }

    static long Count(const std::string& sql) {
        dao::Recordset rs = report::BancoProdutoLoja->OpenRecordset(sql, dao::dbOpenSnapshot);
        const long n = rs("n").GetValue().ToLong();
        rs.Close();
        return n;
    }

    static std::unique_ptr<win::testing::TempMachineRoot> root_;
    forms::ScriptedMessageBoxes boxes_;
    report::upgrade::RecordingUpgradeWindow window_;
};

std::unique_ptr<win::testing::TempMachineRoot> UpgradeChainTest::root_;

TEST_F(UpgradeChainTest, EveryStoreUpgradesCleanlyAndThenStopsAtTheGate) {
    for (const Store& store : Stores()) {
        report::PastaDados = store.folder;
        report::BancoProdutoLoja.Set(report::ProgramEngine().OpenDatabase(
            store.folder + "\\Produto.MDB", false, false, report::ConnectLoja(store.folder, "\\Produto.MDB")));
        report::upgrade::AtualizarBD();
        EXPECT_EQ(ErrorLog(), "") << store.code;
        EXPECT_TRUE(boxes_.shown.empty()) << store.code << ": " << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
        const dao::Database& p = *report::BancoProdutoLoja;
        EXPECT_EQ(p.Relations().Item("ItensTransEntBaixa").Attributes(), 4352) << store.code;
        for (const auto& [table, index] : {std::pair{"Venda", "IndConcluidoMaquina"}, {"TransSai", "IndConcluidoMaquina"},
                                           {"ItensTransEntBaixa", "IndTransEntBaixa"}, {"Transportadora", "IndCodTrans"},
                                           {"Itens TransEnt", "IndCodigoEAN"}, {"Produto", "IndCodigoEAN"}}) {
            EXPECT_NO_THROW(p.TableDefs().Item(table).Indexes().Item(index)) << store.code << " " << table;
        }
        EXPECT_EQ(Count("SELECT Count(*) AS n FROM Produto WHERE ProdutoFornecedor Is Null"), 0) << store.code;
        EXPECT_EQ(Count("SELECT Count(*) AS n FROM [Itens TransEnt] WHERE QtdePorVolume Is Null"), 0) << store.code;
        // The next log-in stops at the gate: nothing shown, nothing written.
        window_.ClearList();
        report::upgrade::AtualizarBD();
        EXPECT_TRUE(window_.lines.empty()) << store.code;
        report::upgrade::ResetUpgradeState();
        report::CloseIfOpen(report::BancoProdutoLoja);
        std::filesystem::remove("ERRO.TXT");
        boxes_.shown.clear();
    }
}

}  // namespace
}  // namespace sample_chain
