// The field rebuild inside the upgrade: a leftover temporary field, and a rebuild that the engine
// refuses (an index uses the field), which rolls back, reports and ends the program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/upgrade/tests/support/upgrade_fixture.h"

namespace report::testing {
namespace {

using RebuildTest = UpgradeTest;

TEST_F(RebuildTest, LeftoverTemporaryFieldIsDroppedAndTheRebuildRunsAgain) {
    dao::TableDef familia = BancoProdutoLoja->TableDefs().Item("Familia");
    familia.Fields().Append(familia.CreateField("Descrição01", dao::Value::Long(10), dao::Value::Long(5)));
    Upgrade();
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_FALSE(forms::App().EndRequested());
    const dao::Field descricao = BancoProdutoLoja->TableDefs().Item("Familia").Fields().Item("Descrição");
    EXPECT_EQ(descricao.Type(), dao::DataType::Text);
    EXPECT_EQ(descricao.Size(), 20);
    EXPECT_EQ(ErrorNumberOf([&] { BancoProdutoLoja->TableDefs().Item("Familia").Fields().Item("Descrição01"); }), 3265);
    dao::Recordset rs = BancoProdutoLoja->OpenRecordset("Familia", dao::dbOpenTable);
    rs.MoveFirst();
    EXPECT_EQ(rs("Descrição").GetValue(), dao::Value::Text("Ferramentas"));
    rs.Close();
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
}

TEST_F(RebuildTest, RefusedDeleteRollsBackReportsAndEndsTheProgram) {
    dao::TableDef familia = BancoProdutoLoja->TableDefs().Item("Familia");
    dao::Index index = familia.CreateIndex("IndDescricao");
    index.Fields().Append(index.CreateField("Descrição"));
    familia.Indexes().Append(index);
    std::vector<std::string> later;
    InstalledUpgradeSteps().IndexRepairs = [&] { later.push_back("IndexRepairs"); };
    InstalledUpgradeSteps().RegistraArquivo = [&] { later.push_back("RegistraArquivo"); };
    Upgrade();
    EXPECT_TRUE(forms::App().EndRequested());
    EXPECT_TRUE(later.empty());
    const std::string log = ErrorLog();
    EXPECT_NE(log.find("Nro.: 3280 Tela -> Atualiza AtualizaEstrutura"), std::string::npos) << log;
    EXPECT_EQ(log.find("AtualizarBD"), std::string::npos) << log;
    // The delete was rolled back: the old field and its value are there; the copy may stay.
    const dao::Field descricao = BancoProdutoLoja->TableDefs().Item("Familia").Fields().Item("Descrição");
    EXPECT_EQ(descricao.Size(), 12);
    dao::Recordset rs = BancoProdutoLoja->OpenRecordset("Familia", dao::dbOpenTable);
    rs.MoveFirst();
    EXPECT_EQ(rs("Descrição").GetValue(), dao::Value::Text("Ferramentas"));
    rs.Close();
    EXPECT_EQ(Stamp(), Date("01/01/2001"));
    EXPECT_EQ(window_.lines.back(), "Atualizando Familia ... 02/02");
}

}  // namespace
}  // namespace report::testing
