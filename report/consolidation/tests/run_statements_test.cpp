// The run's statement texts, each compared whole with its expected text.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "report/consolidation/run_statements.h"

namespace report::consolidation {
namespace {

const std::string kFolder = "C:\\ZM";
const Period kPeriod{"01/02/24", "29/02/24"};

const std::vector<std::string> kFirstWhole = {
    "SELECT Loja.CodLoja, Produto.* INTO Produto IN 'C:\\ZM\\BACKUP.MDB' From Produto, Loja WHERE Loja.LojaOrigem='*'",
    "SELECT Loja.CodLoja, Venda.* INTO Venda IN 'C:\\ZM\\BACKUP.MDB' From Venda, Loja WHERE Loja.LojaOrigem='*'",
    "SELECT Loja.CodLoja, [Itens Venda].* INTO [Itens Venda] IN 'C:\\ZM\\BACKUP.MDB' From [Itens Venda], Loja WHERE Loja.LojaOrigem='*'",
    "SELECT Loja.CodLoja, [Pagto Venda].* INTO [Pagto Venda] IN 'C:\\ZM\\BACKUP.MDB' From [Pagto Venda], Loja WHERE Loja.LojaOrigem='*'",
    "SELECT Familia.Código, Familia.Descrição INTO FAMILIACONS IN 'C:\\ZM\\BACKUP.MDB' FROM Familia;",
    "SELECT  [TransSai].* INTO TransSai IN 'C:\\ZM\\BACKUP.MDB' FROM TransSai;",
    "SELECT Grupo.* INTO GrupoCons IN 'C:\\ZM\\BACKUP.MDB' FROM Grupo",
    "SELECT Cor.* INTO CorCons IN 'C:\\ZM\\BACKUP.MDB'FROM Cor",
    "SELECT Loja.CodLoja, Loja.Nome, Loja.LojaOrigem INTO LojaCons IN'C:\\ZM\\BACKUP.MDB' FROM Loja",
    "SELECT Loja.CodLoja, Vendedor.* INTO Vendedor IN'C:\\ZM\\BACKUP.MDB' From Vendedor, Loja WHERE Loja.LojaOrigem='*'",
    "SELECT Loja.CodLoja, Fornecedor.* INTO Fornecedor IN 'C:\\ZM\\BACKUP.MDB' From Fornecedor, Loja WHERE Loja.LojaOrigem='*'",
    "SELECT Loja.CodLoja as CodLojaCons, Cliente.* INTO Cliente IN 'C:\\ZM\\BACKUP.MDB' From Loja, Cliente WHERE Loja.LojaOrigem='*'",
};
const std::vector<std::string> kLaterWhole = {
    "INSERT INTO Produto ( CodLoja ) IN'C:\\ZM\\BACKUP.MDB' SELECT Loja.CodLoja, Produto.* From Produto, Loja WHERE Loja.LojaOrigem='*'",
    "INSERT INTO Venda ( CodLoja ) IN'C:\\ZM\\BACKUP.MDB' SELECT Loja.CodLoja, Venda.* From Venda, Loja WHERE Loja.LojaOrigem='*'",
    "INSERT INTO [Itens Venda] ( CodLoja ) IN'C:\\ZM\\BACKUP.MDB' SELECT Loja.CodLoja, [Itens Venda].* From [Itens Venda], Loja WHERE Loja.LojaOrigem='*'",
    "INSERT INTO [Pagto Venda] ( CodLoja ) IN'C:\\ZM\\BACKUP.MDB' SELECT Loja.CodLoja, [Pagto Venda].* From [Pagto Venda], Loja WHERE Loja.LojaOrigem='*'",
    "INSERT INTO FamiliaCons ( Código, Descrição ) IN'C:\\ZM\\BACKUP.MDB'SELECT Familia.Código, Familia.Descrição FROM Familia ",
    "INSERT INTO TransSai  IN'C:\\ZM\\BACKUP.MDB'SELECT TransSai.* FROM TransSai ",
    "INSERT INTO GrupoCons IN'C:\\ZM\\BACKUP.MDB'SELECT Grupo.* FROM Grupo",
    "INSERT INTO CorCons IN'C:\\ZM\\BACKUP.MDB'SELECT Cor.* FROM Cor",
    "INSERT INTO LojaCons ( CodLoja, Nome,LojaOrigem ) IN'C:\\ZM\\BACKUP.MDB'SELECT Loja.CodLoja, Loja.Nome, Loja.LojaOrigem FROM Loja",
    "INSERT INTO Vendedor ( CodLoja ) IN'C:\\ZM\\BACKUP.MDB'SELECT Loja.CodLoja, Vendedor.* From Vendedor, Loja WHERE Loja.LojaOrigem='*'",
    "INSERT INTO Fornecedor ( CodLoja ) IN 'C:\\ZM\\BACKUP.MDB'SELECT Loja.CodLoja, Fornecedor.* From Fornecedor, Loja WHERE Loja.LojaOrigem='*'",
    "INSERT INTO Cliente ( CodLojaCons ) IN 'C:\\ZM\\BACKUP.MDB' SELECT Loja.CodLoja As CodLojaCons, Cliente.* From Cliente, Loja WHERE Loja.LojaOrigem='*'",
};

// A period changes only the three sales statements (the 2nd to the 4th); the other nine are the
// whole copy's.
std::vector<std::string> WithSales(std::vector<std::string> whole, const std::array<std::string, 3>& sales) {
    std::copy(sales.begin(), sales.end(), whole.begin() + 1);
    return whole;
}
const std::vector<std::string> kFirstPeriod = WithSales(kFirstWhole, {
    "SELECT Loja.CodLoja, Venda.* INTO Venda IN 'C:\\ZM\\BACKUP.MDB' From Venda, Loja WHERE Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 01/02/24 ','D/M/YYYY')) AND Venda.[Data Venda] <= CDate(Format(' 29/02/24 ','D/M/YYYY'))",
    "SELECT Loja.CodLoja, [Itens Venda].* INTO [Itens Venda] IN 'C:\\ZM\\BACKUP.MDB' FROM Loja, Venda INNER JOIN [Itens Venda] ON Venda.[Número Venda] = [Itens Venda].[Número Venda] WHERE Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 01/02/24 ','D/M/YYYY')) AND Venda.[Data Venda] <= CDate(Format(' 29/02/24 ','D/M/YYYY'))",
    "SELECT Loja.CodLoja, [Pagto Venda].* INTO [Pagto Venda] IN 'C:\\ZM\\BACKUP.MDB' FROM Loja, Venda INNER JOIN [Pagto Venda] ON Venda.[Número Venda] = [Pagto Venda].[Número Venda] WHERE Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 01/02/24 ','D/M/YYYY')) AND Venda.[Data Venda] <= CDate(Format(' 29/02/24 ','D/M/YYYY'))"
});
const std::vector<std::string> kLaterPeriod = WithSales(kLaterWhole, {
    "INSERT INTO Venda ( CodLoja ) IN'C:\\ZM\\BACKUP.MDB' SELECT Loja.CodLoja, Venda.* From Venda, Loja WHERE Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 01/02/24 ','D/M/YYYY')) AND Venda.[Data Venda] <= CDate(Format(' 29/02/24 ','D/M/YYYY'))",
    "INSERT INTO [Itens Venda] ( CodLoja ) IN'C:\\ZM\\BACKUP.MDB' SELECT Loja.CodLoja, [Itens Venda].* FROM Loja, Venda INNER JOIN [Itens Venda] ON Venda.[Número Venda] = [Itens Venda].[Número Venda] WHERE Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 01/02/24 ','D/M/YYYY')) AND Venda.[Data Venda] <= CDate(Format(' 29/02/24 ','D/M/YYYY'))",
    "INSERT INTO [Pagto Venda] ( CodLoja ) IN'C:\\ZM\\BACKUP.MDB' SELECT Loja.CodLoja, [Pagto Venda].* FROM Loja, Venda INNER JOIN [Pagto Venda] ON Venda.[Número Venda] = [Pagto Venda].[Número Venda] WHERE Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 01/02/24 ','D/M/YYYY')) AND Venda.[Data Venda] <= CDate(Format(' 29/02/24 ','D/M/YYYY'))"
});
const std::vector<std::string> kRebuild = {
    "SELECT FAMILIACONS.Código, First(FAMILIACONS.Descrição) AS Descrição INTO Familia IN'C:\\ZM\\BACKUP.MDB' From FAMILIACONS GROUP BY FAMILIACONS.Código",
    "SELECT GrupoCons.Familia, GrupoCons.Grupo, First(GrupoCons.DescGrupo) AS DescGrupo INTO Grupo IN'C:\\ZM\\BACKUP.MDB' From GrupoCons GROUP BY GrupoCons.Familia, GrupoCons.Grupo",
    "SELECT CorCons.Código, First(CorCons.Descrição) AS Descrição INTO Cor IN 'C:\\ZM\\BACKUP.MDB' From CorCons GROUP BY CorCons.Código",
    "SELECT LojaCons.CodLoja, First(LojaCons.Nome) AS Nome, First(LojaCons.LojaOrigem) as LojaOrigem INTO Loja IN 'C:\\ZM\\BACKUP.MDB'  From LojaCons GROUP BY LojaCons.CodLoja",
};
const std::array<std::string, 3> kTopUp = {
    "INSERT INTO Familia ( Código, Descrição ) IN 'C:\\ZM\\BACKUP.MDB' SELECT FAMILIACONS.Código, First(FAMILIACONS.Descrição) AS Descrição FROM FAMILIACONS LEFT JOIN Familia ON FAMILIACONS.Código = Familia.Código GROUP BY FAMILIACONS.Código, [Familia]![Código]<>[FAMILIACONS]![Código] HAVING ((([Familia]![Código]<>[FAMILIACONS]![Código]) Is Null))",
    "INSERT INTO Grupo ( Familia, Grupo, DescGrupo ) IN'C:\\ZM\\BACKUP.MDB' SELECT GrupoCons.Familia, GrupoCons.Grupo, First(GrupoCons.DescGrupo) AS DescGrupo FROM Grupo RIGHT JOIN GrupoCons ON (Grupo.Familia = GrupoCons.Familia) AND (Grupo.Grupo = GrupoCons.Grupo) GROUP BY GrupoCons.Familia, GrupoCons.Grupo, [GrupoCons]![Familia] & [GrupoCons]![Grupo]<>[Grupo]![Familia] & [Grupo]![Grupo] HAVING ((([GrupoCons]![Familia] & [GrupoCons]![Grupo]<>[Grupo]![Familia] & [Grupo]![Grupo]) Is Null))",
    "INSERT INTO Cor ( Código, Descrição ) IN'C:\\ZM\\BACKUP.MDB'  SELECT CorCons.Código, First(CorCons.Descrição) AS Descrição FROM Cor RIGHT JOIN CorCons ON Cor.Código = CorCons.Código GROUP BY CorCons.Código, [Cor]![Código]<>[CorCons]![Código] HAVING ((([Cor]![Código]<>[CorCons]![Código]) Is Null))",
};

std::vector<std::string> Texts(const std::vector<CopyStatement>& statements) {
    std::vector<std::string> out;
    for (const auto& s : statements)
        out.push_back(s.sql);
    return out;
}

TEST(RunStatementsTest, CopyStatementsOfEachFormAndSourceAreExact) {
    struct Case {
        bool first;
        bool period;
        const std::vector<std::string>* expected;
    };
    const Case cases[] = {{true, false, &kFirstWhole}, {false, false, &kLaterWhole},
                          {true, true, &kFirstPeriod}, {false, true, &kLaterPeriod}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "first=" << c.first << " period=" << c.period);
        const auto got = Texts(CopyStatements(kFolder, c.first, c.period ? std::optional(kPeriod) : std::nullopt));
        ASSERT_EQ(got.size(), c.expected->size());
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], (*c.expected)[i]) << "statement " << i + 1;
    }
}

TEST(RunStatementsTest, TablesAndProgressFollowTheStatementOrder) {
    const std::vector<std::string> tables = {"Produto",     "Venda",    "[Itens Venda]", "[Pagto Venda]",
                                             "FamiliaCons", "TransSai", "GrupoCons",     "CorCons",
                                             "LojaCons",    "Vendedor", "Fornecedor",    "Cliente"};
    const std::vector<int> percentages = {10, 20, 30, 40, 50, 55, 60, 70, 80, 90, 100, -1};
    for (bool first : {true, false}) {
        const auto statements = CopyStatements(kFolder, first, std::nullopt);
        ASSERT_EQ(statements.size(), 12u);
        for (std::size_t i = 0; i < statements.size(); ++i) {
            EXPECT_EQ(statements[i].tabelaAtual, tables[i]);
            EXPECT_EQ(statements[i].percentage, percentages[i]);
        }
    }
}

TEST(RunStatementsTest, RebuildStatementsCarryTheirPrimaryIndexes) {
    const auto rebuild = RebuildStatements(kFolder);
    ASSERT_EQ(rebuild.size(), 4u);
    const std::array<const char*, 4> tables = {"Familia", "Grupo", "Cor", "Loja"};
    const std::array<const char*, 4> indexes = {"IndCodFam", "IndCodGrp", "IndCodCor", "IndCódigo"};
    const std::array<std::vector<std::string>, 4> keys = {std::vector<std::string>{"Código"},
                                                          std::vector<std::string>{"Familia", "Grupo"},
                                                          std::vector<std::string>{"Código"},
                                                          std::vector<std::string>{"CodLoja"}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rebuild[i].tabelaAtual, tables[i]);
        EXPECT_EQ(rebuild[i].sql, kRebuild[i]);
        EXPECT_EQ(rebuild[i].index, indexes[i]);
        EXPECT_EQ(rebuild[i].key, keys[i]);
    }
}

TEST(RunStatementsTest, OnlyTheAccumulatingCodeTablesAreToppedUp) {
    const std::array<const char*, 3> tables = {"Familia", "Grupo", "Cor"};
    for (std::size_t i = 0; i < tables.size(); ++i)
        EXPECT_EQ(TopUpStatement(tables[i], kFolder), kTopUp[i]);
    for (const char* other : {"Loja", "Produto", "[Itens Venda]", "FamiliaCons", "familia", ""})
        EXPECT_FALSE(TopUpStatement(other, kFolder).has_value()) << other;
    EXPECT_EQ(DropTableStatement("[Pagto Venda]"), "DROP TABLE [Pagto Venda]");
    EXPECT_EQ(DropTableStatement("TransSai"), "DROP TABLE TransSai");
}

TEST(RunStatementsTest, ApostrophesOfTheFolderAreDoubledInEveryTarget) {
    EXPECT_EQ(InTarget("C:\\ZM"), "'C:\\ZM\\BACKUP.MDB'");
    EXPECT_EQ(InTarget("\\\\srv\\d'agua\\x'"), "'\\\\srv\\d''agua\\x''\\BACKUP.MDB'");
    const std::string folder = "/home/d'avila";
    const std::string doubled = "'/home/d''avila\\BACKUP.MDB'";
    std::vector<std::string> all;
    for (bool first : {true, false})
        for (const auto& s : CopyStatements(folder, first, kPeriod))
            all.push_back(s.sql);
    for (const auto& r : RebuildStatements(folder))
        all.push_back(r.sql);
    for (const char* t : {"Familia", "Grupo", "Cor"})
        all.push_back(*TopUpStatement(t, folder));
    ASSERT_EQ(all.size(), 31u);
    for (const auto& sql : all) {
        EXPECT_NE(sql.find(doubled), std::string::npos) << sql;
        EXPECT_EQ(sql.find("d'avila"), std::string::npos) << sql;
    }
}

}  // namespace
}  // namespace report::consolidation
