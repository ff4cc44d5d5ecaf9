// The sample chain's catalogue package applied to the program folder's Bd2.MDB: protected or not,
// damaged, or under another password.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/app.h"
#include "platform/forms/fileio.h"
#include "platform/forms/services.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/core/connections.h"
#include "report/core/state.h"
#include "report/upgrade/progress.h"
#include "report/upgrade/tests/support/rows.h"
#include "report/upgrade/upgrade.h"
#include "tools/sample-chain/chain.h"
#include "tools/sample-chain/package.h"
#include "tools/sample-chain/tests/shared_chains.h"

namespace sample_chain {
namespace {

constexpr const char* kPackage = "F:\\LOJA01\\PROG.MDB";

class UpgradePackageTest : public ::testing::Test {
protected:
    // A fresh copy of the chain for each case: the package is used up by a refresh.
    void Build(bool withPassword) {
        const std::filesystem::path chain = testing::PackageChain(withPassword);
        root_ = std::make_unique<win::testing::TempMachineRoot>();
        testing::CopyChain(chain, root_->Root());
        std::filesystem::current_path(root_->MakeFolder("cwd"));
        forms::InstallMessageBoxes(&boxes_);
        report::ProgramHooks().upgradeWindow = &window_;
        report::SetProgramFolder("C:\\REPORT");
        report::AbrirBD();
        report::PastaDados = "F:\\LOJA01";
    }
    void TearDown() override {
        report::ResetProgramState();
        report::SetProgramFolder({});
        report::ProgramHooks().upgradeWindow = nullptr;
        forms::InstallMessageBoxes(nullptr);
        forms::App().ResetForTests();
        std::filesystem::current_path("/");
        root_.reset();
    }

    static std::string ErrorLog() {
        std::ifstream log("ERRO.TXT", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    }

    static std::vector<std::string> Rows(const dao::Database& db, const std::string& sql) {
        return report::testing::SelectedRows(db, sql);
    }

    // The catalogue tables of `db`, each listed in a fixed order.
    static std::vector<std::vector<std::string>> Catalogue(const dao::Database& db) {
        return {Rows(db, "SELECT CodAplicacao, Nome, Nivel, Comentario, Consulta, Relatorio FROM Aplicacao ORDER BY CodAplicacao"),
                Rows(db, "SELECT * FROM PreConsulta ORDER BY CodAplicacao, PreConsulta"),
                Rows(db, "SELECT * FROM Selecionar ORDER BY CodAplicacao, Tabela"),
                Rows(db, "SELECT * FROM TabelaTemporaria ORDER BY CodAplicacao, Tabela")};
    }

    std::unique_ptr<win::testing::TempMachineRoot> root_;
    forms::ScriptedMessageBoxes boxes_;
    report::upgrade::RecordingUpgradeWindow window_;
};

TEST_F(UpgradePackageTest, ThePackageBringsItsNewAndChangedEntriesAndIsDeleted) {
    for (bool withPassword : {true, false}) {
        SCOPED_TRACE(withPassword ? "with password" : "without password");
        Build(withPassword);
        dao::Database package = report::ProgramEngine().OpenDatabase(kPackage, false, true, withPassword ? ";PWD=TORPAL" : "");
        const auto expected = Catalogue(package);
        package.Close();
        const auto before = Catalogue(*report::BancoBD2);
        ASSERT_EQ(before[0].size() + 1, expected[0].size());

        report::upgrade::AtualizaBD2();
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_TRUE(boxes_.shown.empty());
        EXPECT_EQ(forms::Dir(kPackage), "");
        // Every entry of the package, new, changed or unchanged, and the tables it names, now as
        // the package has them.
        EXPECT_EQ(Catalogue(*report::BancoBD2), expected);
        EXPECT_EQ(Rows(*report::BancoBD2, std::string("SELECT Nome FROM Aplicacao WHERE CodAplicacao = '") + kChangedReport + "'"),
                  std::vector<std::string>{kChangedName});
        EXPECT_EQ(Rows(*report::BancoBD2, std::string("SELECT Nome, Usuario FROM Aplicacao WHERE CodAplicacao = '") + kNewReport + "'"),
                  std::vector<std::string>{std::string(kNewName) + "|SUPORTE"});
        EXPECT_EQ(Rows(*report::BancoBD2, "SELECT count(*) FROM AplicacaoBkp"), std::vector<std::string>{std::to_string(expected[0].size())});
        TearDown();
    }
}

TEST_F(UpgradePackageTest, ADamagedPackageOrOneUnderAnotherPasswordIsLeftAsItIs) {
    const struct {
        const char* name;
        std::function<void()> spoil;
        const char* box;
    } cases[] = {
        {"damaged", [] { std::ofstream(win::HostPath(kPackage), std::ios::binary | std::ios::trunc) << std::string(4096, 'x'); },
         "Banco de Dados Danificado !\r\rFavor Executar Novamente !"},
        {"another password",
         [] {
             dao::Database db = report::ProgramEngine().OpenDatabase(kPackage, true, false, ";PWD=TORPAL");
             db.NewPassword("TORPAL", "OUTRA");
             db.Close();
         },
         "Atualização do BD2.MDB Não Foi Realizada !"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Build(true);
        c.spoil();
        const auto before = Catalogue(*report::BancoBD2);
        report::upgrade::AtualizaBD2();
        ASSERT_FALSE(boxes_.shown.empty());
        EXPECT_EQ(boxes_.shown.back().text, c.box);
        EXPECT_EQ(forms::Dir(kPackage), "PROG.MDB");
        EXPECT_EQ(Catalogue(*report::BancoBD2), before);
        TearDown();
    }
}

}  // namespace
}  // namespace sample_chain
