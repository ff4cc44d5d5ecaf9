// The statements the system runs, as written, with the rows they must leave on a small store.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/dao/sql/tests/sql_fixture.h"

namespace dao::sql::testing {
namespace {

const std::string kBackup = "C:\\ZM\\BACKUP.MDB";
const std::string kPackage = "C:\\ZM\\DADOS\\Prog.mdb";
const std::string kAntigo = "C:\\ZM\\DADOS\\Antigo.mdb";

// A store database (the executing file), with the fields the statements name.
void CreateStore(MemoryFiles& f) {
    f.Exec(R"(
CREATE TABLE Loja (CodLoja TEXT(2) COLLATE JETTEXT, Nome TEXT(30) COLLATE JETTEXT,
  LojaOrigem TEXT(3) COLLATE JETTEXT, LocalLojas TEXT(50) COLLATE JETTEXT, CoefEstoqueMinimo DOUBLE);
INSERT INTO Loja VALUES ('01', 'Centro', '*', 'C:\LOJA1', NULL), ('02', 'Praia', 'N', NULL, NULL),
  ('03', 'Serra', '   ', 'C:\LOJA3', NULL);
CREATE TABLE Produto ("Código" LONG, "Descrição" TEXT(40) COLLATE JETTEXT, IPI DOUBLE,
  ProdutoFornecedor TEXT(20) COLLATE JETTEXT);
INSERT INTO Produto VALUES (1, 'Caneta', NULL, NULL), (2, 'Lápis', 5, 'X');
CREATE TABLE Venda ("Número Venda" LONG, "Data Venda" DATETIME, "Número NF" LONG, TipoVenda TEXT(1) COLLATE JETTEXT);
INSERT INTO Venda VALUES (10, 37385.5, 500, '0'), (11, 37386.0, 501, '1'), (12, 37387.25, NULL, '0');
CREATE TABLE "Itens Venda" ("Número Venda" LONG, Produto LONG, NroNF LONG, Quantidade DOUBLE);
INSERT INTO "Itens Venda" VALUES (10, 1, NULL, 2), (10, 2, NULL, 1), (11, 1, 77, 3), (12, 2, NULL, NULL);
CREATE TABLE "Pagto Venda" ("Número Venda" LONG, "Código Cartão" LONG, TaxaCartao CURRENCY);
INSERT INTO "Pagto Venda" VALUES (10, 1, NULL), (11, 9, NULL), (12, 2, 1.5);
CREATE TABLE DelPagtoVenda ("Código Cartão" LONG, TaxaCartao CURRENCY);
INSERT INTO DelPagtoVenda VALUES (1, NULL), (3, NULL);
CREATE TABLE Credito ("Código Cartão" LONG, TaxaCartao CURRENCY);
INSERT INTO Credito VALUES (1, NULL), (1, 0.5);
CREATE TABLE Cartao ("Código" LONG, Taxa DOUBLE);
INSERT INTO Cartao VALUES (1, 2.123456), (2, NULL);
CREATE TABLE Familia ("Código" LONG, "Descrição" TEXT(40) COLLATE JETTEXT);
INSERT INTO Familia VALUES (1, 'Escrita'), (2, 'Papelaria fina e artigos de escritório');
CREATE TABLE Grupo (Familia LONG, Grupo LONG, DescGrupo TEXT(40) COLLATE JETTEXT, DescricaoNF TEXT(45) COLLATE JETTEXT);
INSERT INTO Grupo VALUES (1, 1, 'Canetas', NULL), (2, 1, 'Cadernos universitários grandes', NULL),
  (3, 1, 'Sem família', NULL), (1, 2, 'Lápis', 'já tem');
CREATE TABLE Cor ("Código" LONG, "Descrição" TEXT(20) COLLATE JETTEXT);
INSERT INTO Cor VALUES (1, 'Azul'), (2, 'Verde');
CREATE TABLE Cliente ("Código" LONG, CodLoja TEXT(2) COLLATE JETTEXT, DataCad DATETIME, DataAlt DATETIME);
INSERT INTO Cliente VALUES (1, NULL, NULL, NULL), (2, '02', 36000, NULL);
CREATE TABLE TransEnt (NroTrans LONG, DataRecepcao DATETIME, HoraRecepcao DATETIME);
INSERT INTO TransEnt VALUES (1, 37386.0, 0.5), (2, 37390.0, 0.25);
CREATE TABLE "Itens TransEnt" (NroTrans LONG, DataRecepcao DATETIME, HoraRecepcao DATETIME, QuantidadeRecebida DOUBLE);
INSERT INTO "Itens TransEnt" VALUES (1, NULL, NULL, 5), (1, 2.3333333333333335, 0.3333333333333333, 0),
  (2, 37387.0, 0.1, 2), (2, 37385.95, NULL, 1);
CREATE TABLE UltimaVenda (UltimaContagem DATETIME, Cupom TEXT(1) COLLATE JETTEXT);
INSERT INTO UltimaVenda VALUES (37386.604166666664, 'S');
CREATE TABLE "Itens Compra" ("%IPI" DOUBLE, "Quantidade" DOUBLE);
INSERT INTO "Itens Compra" VALUES (NULL, 1), (3, 2);
CREATE TABLE Lucro (Codigo LONG, Terminal0 TEXT(1) COLLATE JETTEXT);
INSERT INTO Lucro VALUES (5, NULL), (6, 'S');
CREATE TABLE TransSai (NroTrans LONG, TotalItens DOUBLE);
INSERT INTO TransSai VALUES (1, 3), (2, NULL);
CREATE TABLE Vendedor ("Código" LONG, Nome TEXT(30) COLLATE JETTEXT);
INSERT INTO Vendedor VALUES (1, 'Ana');
CREATE TABLE Fornecedor ("Código" LONG, Nome TEXT(30) COLLATE JETTEXT);
CREATE TABLE Entrada (Hora DATETIME);
INSERT INTO Entrada VALUES (NULL);
)");
}

class Statements : public ::testing::Test {
protected:
    void SetUp() override { CreateStore(f); }
    MemoryFiles f;
};

// ---- the start-up defaults and conversions ------------------------------------------------------

struct RowCase {
    const char* statement;
    const char* check;  // a SQLite query over the result
    std::vector<std::string> rows;
};

// Names the row by its text in test output.
inline void PrintTo(const RowCase& row, std::ostream* out) { *out << row.statement; }


class DefaultStatements : public ::testing::TestWithParam<RowCase> {};

TEST_P(DefaultStatements, LeaveTheExpectedRows) {
    MemoryFiles f;
    CreateStore(f);
    f.Run(GetParam().statement);
    EXPECT_EQ(f.Rows(GetParam().check), GetParam().rows) << GetParam().statement;
}

const RowCase kDefaultCases[] = {
    {"UPDATE Produto SET Produto.IPI = 0 WHERE Produto.IPI Is Null", "SELECT \"Código\", IPI FROM Produto",
     {"1|0.0", "2|5.0"}},
    {"UPDATE [Itens Compra] SET [Itens Compra].[%IPI] = 0 WHERE [Itens Compra].[%IPI] Is Null",
     "SELECT \"%IPI\" FROM \"Itens Compra\"", {"0.0", "3.0"}},
    {"UPDATE Produto SET Produto.ProdutoFornecedor = ' ' WHERE Produto.ProdutoFornecedor Is Null",
     "SELECT ProdutoFornecedor FROM Produto", {" ", "X"}},
    {"UPDATE Cliente SET Cliente.DataCad = '01/01/2000' WHERE Cliente.DataCad Is Null",
     "SELECT DataCad, typeof(DataCad) FROM Cliente", {"36526|integer", "36000|integer"}},
    {"UPDATE Entrada SET Entrada.Hora = CDate('08:00:00 AM') WHERE Entrada.Hora Is Null",
     "SELECT round(Hora * 24, 6) FROM Entrada", {"8.0"}},
    {"UPDATE Venda SET Venda.TipoVenda = '1' WHERE Venda.TipoVenda = '0' ",
     "SELECT TipoVenda FROM Venda", {"1", "1", "1"}},
    {"UPDATE Venda INNER JOIN [Itens Venda] ON Venda.[Número Venda] = [Itens Venda].[Número Venda] SET "
     "[Itens Venda].NroNF = [Venda].[Número NF] WHERE [Itens Venda].NroNF Is Null",
     "SELECT NroNF FROM \"Itens Venda\"", {"500", "500", "77", "NULL"}},
    {"UPDATE [Pagto Venda] INNER JOIN Cartao ON [Pagto Venda].[Código Cartão] = Cartao.Código SET "
     "[Pagto Venda].TaxaCartao = Ccur([Cartao].[Taxa]) WHERE [Pagto Venda].TaxaCartao Is Null",
     "SELECT TaxaCartao FROM \"Pagto Venda\"", {"2.1235", "NULL", "1.5"}},
    {"UPDATE [DelPagtoVenda] INNER JOIN Cartao ON [DelPagtoVenda].[Código Cartão] = Cartao.Código SET "
     "[DelPagtoVenda].TaxaCartao = [Cartao].[Taxa] WHERE [DelPagtoVenda].TaxaCartao Is Null",
     "SELECT TaxaCartao FROM DelPagtoVenda", {"2.1235", "NULL"}},
    {"UPDATE Credito INNER JOIN Cartao ON Credito.[Código Cartão] = Cartao.Código SET Credito.TaxaCartao = "
     "CCur([Cartao].[Taxa]) Where Credito.TaxaCartao is Null",
     "SELECT TaxaCartao FROM Credito", {"2.1235", "0.5"}},
    {"UPDATE Cliente SET Cliente.CodLoja = DLookUp(\"[Loja]![CodLoja]\",\"loja\",\"[Loja]![LojaOrigem]= '*' \") "
     "WHERE Cliente.CodLoja Is Null",
     "SELECT CodLoja FROM Cliente", {"01", "02"}},
    {"UPDATE UltimaVenda SET UltimaVenda.Cupom = '1' WHERE UltimaVenda.Cupom = 'S' ",
     "SELECT Cupom FROM UltimaVenda", {"1"}},
    {"UPDATE Familia INNER JOIN Grupo ON Familia.Código = Grupo.Familia SET Grupo.DescricaoNF = "
     "Mid([Familia].[Descrição] & ' ' & [Grupo].[DescGrupo],1,45) WHERE Grupo.DescricaoNF Is Null",
     "SELECT DescricaoNF FROM Grupo",
     {"Escrita Canetas", "Papelaria fina e artigos de escritório Cadern", "NULL", "já tem"}},
    {"UPDATE Loja SET Loja.LojaOrigem = 'N' WHERE Trim(Loja.LojaOrigem) = '' Or Loja.LojaOrigem is Null ",
     "SELECT LojaOrigem FROM Loja", {"*", "N", "N"}},
    {"UPDATE Loja SET Loja.CoefEstoqueMinimo = 0 WHERE Loja.CoefEstoqueMinimo Is Null",
     "SELECT CoefEstoqueMinimo FROM Loja", {"0.0", "0.0", "0.0"}},
    {"UPDATE TransEnt INNER JOIN [Itens TransEnt] ON TransEnt.NroTrans = [Itens TransEnt].NroTrans SET "
     "[Itens TransEnt].DataRecepcao = [TransEnt].[DataRecepcao] WHERE [Itens TransEnt].[DataRecepcao] Is Null OR "
     "[Itens TransEnt].DataRecepcao = cdate(\"01/01/1900 08:00:00\") ",
     "SELECT DataRecepcao FROM \"Itens TransEnt\"", {"37386", "37386", "37387", "37385.95"}},
    {"UPDATE TransEnt INNER JOIN [Itens TransEnt] ON TransEnt.NroTrans = [Itens TransEnt].NroTrans SET "
     "[Itens TransEnt].HoraRecepcao = [TransEnt].[HoraRecepcao] WHERE [Itens TransEnt].HoraRecepcao Is Null or "
     "[Itens TransEnt].HoraRecepcao = CDate('08:00:00 AM')",
     "SELECT HoraRecepcao FROM \"Itens TransEnt\"", {"0.5", "0.5", "0.1", "0.25"}},
    {"UPDATE UltimaVenda SET UltimaVenda.UltimaContagem = cdate(\"01/01/1900 08:00:00\")  WHERE "
     "UltimaVenda.UltimaContagem is Null",
     "SELECT UltimaContagem FROM UltimaVenda", {"37386.6041666667"}},
    {"Update [Familia] SET [Descrição] = [Descrição] & '!'", "SELECT \"Descrição\" FROM Familia",
     {"Escrita!", "Papelaria fina e artigos de escritório!"}},
    {"Update Lucro Set Codigo = 1", "SELECT Codigo FROM Lucro", {"1", "1"}},
};

INSTANTIATE_TEST_SUITE_P(Upgrade, DefaultStatements, ::testing::ValuesIn(kDefaultCases));

// ---- queries ------------------------------------------------------------------------------------

TEST_F(Statements, CountQueryComparesDatesWithTheFormattedText) {
    // The stock count moment is 10/05/2002 14:30; the query keeps the items received that day or later.
    auto rows = f.Run(
        "SELECT [Itens TransEnt].* From [Itens TransEnt], UltimaVenda WHERE ((([Itens TransEnt].DataRecepcao)"
        ">=Format(CDate([UltimaVenda].[UltimaContagem]),'dd/mm/yyyy')) AND (([Itens TransEnt].QuantidadeRecebida)>0));");
    EXPECT_EQ(rows, (std::vector<std::string>{"2|37387|0.1|2.0"}));
}

TEST_F(Statements, PresentValueTestAndLikeWithWildcards) {
    EXPECT_EQ(f.Run(" SELECT * From Loja WHERE Loja.LocalLojas <> Null  ORDER BY Loja.LojaOrigem Asc, Loja.CodLoja ASC"),
              (std::vector<std::string>{"03|Serra|   |C:\\LOJA3|NULL", "01|Centro|*|C:\\LOJA1|NULL"}));
    EXPECT_EQ(f.Run("SELECT Produto.Código FROM Produto WHERE [Produto].[Descrição] Like '*ÁP*'"),
              (std::vector<std::string>{"2"}));
    EXPECT_EQ(f.Run("SELECT Código FROM Produto WHERE Descrição Like 'C?n#t*' OR Descrição Like '[!c]*'"),
              (std::vector<std::string>{"2"}));
    EXPECT_EQ(f.Run("SELECT Código FROM Produto WHERE Descrição Like 'c[a-b]neta'"), (std::vector<std::string>{"1"}));
}

TEST_F(Statements, CriterionDateShapesOfTheQueryBuilder) {
    EXPECT_EQ(f.Run("SELECT Venda.[Número Venda] FROM Venda WHERE [Venda].[Data Venda] >= "
                    "CDate(Format(\"10/5/2002\",\"D/M/YYYY\")) ORDER BY 1"),
              (std::vector<std::string>{"11", "12"}));
    // A # literal is month first, as the engine reads it whatever the regional settings.
    EXPECT_EQ(f.Run("SELECT [Número Venda] FROM Venda WHERE [Venda].[Data Venda] >=#05/10/2002 00:00#"),
              (std::vector<std::string>{"11", "12"}));
    EXPECT_EQ(f.Run("SELECT [Número Venda] FROM Venda WHERE Venda.[Data Venda] >= CDate(Format(' 10/05/02 ','D/M/YYYY')) "
                    "AND Venda.[Data Venda] <= CDate(Format(' 11/05/02 ','D/M/YYYY'))"),
              (std::vector<std::string>{"11"}));
}

TEST_F(Statements, ConcatenationAndPlusFollowTheNullRules) {
    f.Exec("CREATE TABLE T (a TEXT(5) COLLATE JETTEXT, b TEXT(5) COLLATE JETTEXT); "
           "INSERT INTO T VALUES ('x', NULL), (NULL, NULL), ('x', 'y')");
    EXPECT_EQ(f.Run("SELECT a & b, a + b FROM T"), (std::vector<std::string>{"x|NULL", "NULL|NULL", "xy|xy"}));
}

TEST_F(Statements, AggregatesGroupingAndHaving) {
    EXPECT_EQ(f.Run("SELECT Grupo.Familia, Count(*) AS N, First(Grupo.DescGrupo) FROM Grupo GROUP BY Grupo.Familia "
                    "HAVING Count(*) > 1"),
              (std::vector<std::string>{"1|2|Canetas"}));
    EXPECT_EQ(f.Run("SELECT Sum([Itens Venda].Quantidade), Max(Produto) FROM [Itens Venda] WHERE Produto In (1, 2)"),
              (std::vector<std::string>{"6.0|2"}));
    EXPECT_EQ(f.Run("SELECT Código FROM Cor WHERE Código Between 2 And 5 AND Not Descrição = 'AZUL'"),
              (std::vector<std::string>{"2"}));
}

TEST_F(Statements, NamesCompareAsTheEngineComparesThem) {
    EXPECT_EQ(f.Run("SELECT PRODUTO.CÓDIGO FROM PRODUTO WHERE PRODUTO.DESCRIÇÃO = 'CANETA'"),
              (std::vector<std::string>{"1"}));
    EXPECT_EQ(ErrorOf(f, "SELECT Produto.Codigo FROM Produto"), 3061);  // accents count
}

TEST_F(Statements, ComputedTextsCompareWithoutRegardToCase) {
    EXPECT_EQ(f.Run("SELECT Código FROM Produto WHERE UCase(Descrição) = 'caneta'"), (std::vector<std::string>{"1"}));
    EXPECT_EQ(f.Run("SELECT Código FROM Produto WHERE 'LÁPIS' = Descrição"), (std::vector<std::string>{"2"}));
    EXPECT_EQ(f.Run("SELECT Venda.[Número Venda] & ': ' & Venda.[Data Venda] FROM Venda WHERE Venda.[Número Venda] = 11"),
              (std::vector<std::string>{"11: 10/05/2002"}));
}

TEST_F(Statements, StoredQueryShapes) {
    // Joins nested in parentheses, aliases, TOP, and the catalogue window's own queries.
    EXPECT_EQ(f.Run("SELECT TOP 2 V.[Número Venda], P.Descrição AS Nome FROM (Venda AS V INNER JOIN [Itens Venda] AS I ON "
                    "V.[Número Venda] = I.[Número Venda]) INNER JOIN Produto P ON I.Produto = P.Código ORDER BY "
                    "V.[Número Venda] DESC, Nome"),
              (std::vector<std::string>{"12|Lápis", "11|Caneta"}));
    f.Exec("CREATE TABLE Aplicacao (CodAplicacao TEXT(10) COLLATE JETTEXT, Nome TEXT(50) COLLATE JETTEXT, "
           "Consulta TEXT(50) COLLATE JETTEXT, Relatorio TEXT(50) COLLATE JETTEXT);"
           "INSERT INTO Aplicacao VALUES ('B', 'Vendas do mês', 'q', 'r'), ('A', 'Estoque', '  ', 'r'), ('C', 'Sem', NULL, 'r');");
    EXPECT_EQ(f.Run("SELECT Aplicacao.* FROM Aplicacao Where Consulta <> Null and Relatorio <> Null and Trim(Consulta) <> '' "
                    "and Trim(Relatorio) <> ''  ORDER BY CodAplicacao  Asc"),
              (std::vector<std::string>{"B|Vendas do mês|q|r"}));
    EXPECT_EQ(f.Run("SELECT Aplicacao.* FROM Aplicacao Where Consulta <> Null and Relatorio <> Null  And Nome like'*MÊS*' "
                    "ORDER BY CodAplicacao  Asc"),
              (std::vector<std::string>{"B|Vendas do mês|q|r"}));
    EXPECT_EQ(f.Run("select Distinct [Produto].[Descrição] from [Produto]"), (std::vector<std::string>{"Caneta", "Lápis"}));
}

TEST_F(Statements, AStoredQueryServesAsATable) {
    f.queries[JetFold("VendasTipo0")] =
        "SELECT Venda.[Número Venda] AS Num, Venda.[Data Venda] FROM Venda WHERE Venda.TipoVenda = '0'";
    f.queries[JetFold("Itens0")] =
        "SELECT V.Num, Count(*) AS Itens FROM VendasTipo0 AS V INNER JOIN [Itens Venda] ON V.Num = [Itens Venda].[Número Venda] "
        "GROUP BY V.Num";
    EXPECT_EQ(f.Run("SELECT VENDASTIPO0.Num FROM VendasTipo0 WHERE VendasTipo0.[Data Venda] >= '10/05/2002' ORDER BY 1"),
              (std::vector<std::string>{"12"}));
    EXPECT_EQ(f.Run("SELECT Itens0.* INTO Resumo IN '" + kBackup + "' FROM Itens0"), (std::vector<std::string>{}));
    EXPECT_EQ(f.Rows("SELECT * FROM Resumo ORDER BY 1", kBackup), (std::vector<std::string>{"10|2", "12|1"}));
    EXPECT_EQ(f.Rows("SELECT name, type FROM pragma_table_info('Resumo')", kBackup),
              (std::vector<std::string>{"Num|LONG", "Itens|LONG"}));
    f.queries[JetFold("Roda")] = "SELECT Gira.x FROM Gira";
    f.queries[JetFold("Gira")] = "SELECT Roda.x FROM Roda";
    EXPECT_EQ(ErrorOf(f, "SELECT Roda.x FROM Roda"), 3078);
}

TEST_F(Statements, QueryBuilderCriteriaMergedIntoAReportQuery) {
    const std::string head = "SELECT Venda.[Número Venda], Count(*) AS Itens FROM Venda INNER JOIN [Itens Venda] ON "
                             "Venda.[Número Venda] = [Itens Venda].[Número Venda]";
    const std::string tail = " GROUP BY Venda.[Número Venda] ORDER BY Venda.[Número Venda];";
    const struct {
        const char* criterion;
        std::vector<std::string> rows;
    } cases[] = {
        {"", {"10|2", "11|1", "12|1"}},
        {" Where ([Venda].[TipoVenda]='0')", {"10|2", "12|1"}},
        {" Where ([Venda].[Data Venda]>=CDate(Format(\"10/5/2002\",\"D/M/YYYY\"))) And ([Venda].[TipoVenda] = '1')", {"11|1"}},
        {" Where ([Venda].[Data Venda] >=#05/10/2002 00:00#) Or ([Venda].[Número NF]=500)", {"10|2", "11|1", "12|1"}},
        {" Where ([Itens Venda].[Produto] In (2, 3))", {"10|1", "12|1"}},
        {" Where ([Venda].[TipoVenda] Like '*0*')", {"10|2", "12|1"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(f.Run(head + c.criterion + tail), c.rows) << c.criterion;
    }
}

TEST_F(Statements, UpperCasedPreQueryWritesIntoTheBackup) {
    f.Run("SELECT PRODUTO.CÓDIGO, PRODUTO.DESCRIÇÃO INTO TEMPPRODUTO IN 'C:\\ZM\\BACKUP.MDB' FROM PRODUTO WHERE "
          "PRODUTO.IPI IS NULL;");
    EXPECT_EQ(f.Rows("SELECT * FROM TEMPPRODUTO", kBackup), (std::vector<std::string>{"1|Caneta"}));
    f.Run("DELETE * FROM TEMPPRODUTO IN 'C:\\ZM\\BACKUP.MDB' WHERE TEMPPRODUTO.CÓDIGO = 1");
    EXPECT_TRUE(f.Rows("SELECT * FROM TEMPPRODUTO", kBackup).empty());
}

TEST_F(Statements, InsertValuesConvertsToTheFieldTypes) {
    f.Run("INSERT INTO Cliente ( Código, DataCad, CodLoja ) VALUES (3, '25/12/2001', 7)");
    EXPECT_EQ(f.Rows("SELECT \"Código\", DataCad, CodLoja, typeof(CodLoja) FROM Cliente WHERE \"Código\" = 3"),
              (std::vector<std::string>{"3|37250|7|text"}));
    EXPECT_EQ(ErrorOf(f, "INSERT INTO Cliente ( Código, DataCad ) VALUES (3)"), 3346);
}

// ---- consolidation: copies into BACKUP.MDB ------------------------------------------------------

TEST_F(Statements, FirstStoreCreatesTheTablesInTheTargetFile) {
    f.Run("SELECT Loja.CodLoja, Produto.* INTO Produto IN '" + kBackup + "' From Produto, Loja WHERE Loja.LojaOrigem='*'");
    EXPECT_EQ(f.Rows("SELECT * FROM Produto", kBackup),
              (std::vector<std::string>{"01|1|Caneta|NULL|NULL", "01|2|Lápis|5.0|X"}));
    EXPECT_EQ(f.Rows("SELECT name, type FROM pragma_table_info('Produto')", kBackup),
              (std::vector<std::string>{"CodLoja|TEXT(2)", "Código|LONG", "Descrição|TEXT(40)", "IPI|DOUBLE",
                                        "ProdutoFornecedor|TEXT(20)"}));
    EXPECT_EQ(f.writes.back(), kBackup);
    // The second run of the first store meets the table.
    EXPECT_EQ(ErrorOf(f, "SELECT Loja.CodLoja, Produto.* INTO Produto IN '" + kBackup + "' From Produto, Loja"), 3010);
}

TEST_F(Statements, SelectIntoWithoutRowsStillCreatesTheTable) {
    f.Run("SELECT Loja.CodLoja, Cor.* INTO CorVazia IN'" + kBackup + "'From Cor, Loja WHERE Loja.LojaOrigem='X'");
    EXPECT_EQ(f.Rows("SELECT name, type FROM pragma_table_info('CorVazia')", kBackup),
              (std::vector<std::string>{"CodLoja|TEXT(2)", "Código|LONG", "Descrição|TEXT(20)"}));
    EXPECT_TRUE(f.Rows("SELECT * FROM CorVazia", kBackup).empty());
}

TEST_F(Statements, LaterStoresAppendMatchingStarColumnsByName) {
    f.Run("SELECT Loja.CodLoja as CodLojaCons, Cliente.* INTO Cliente IN '" + kBackup + "' From Loja, Cliente WHERE Loja.LojaOrigem='*'");
    f.Exec("UPDATE Loja SET CodLoja = '07' WHERE LojaOrigem = '*'");
    f.Run("INSERT INTO Cliente ( CodLojaCons ) IN '" + kBackup + "' SELECT Loja.CodLoja As CodLojaCons, Cliente.* From Cliente, Loja WHERE Loja.LojaOrigem='*'");
    EXPECT_EQ(f.Rows("SELECT CodLojaCons, \"Código\", CodLoja FROM Cliente ORDER BY 1, 2", kBackup),
              (std::vector<std::string>{"01|1|NULL", "01|2|02", "07|1|NULL", "07|2|02"}));
    EXPECT_EQ(f.lastAffected, 2);
}

TEST_F(Statements, PeriodCopyMixesCommaAndInnerJoins) {
    f.Run("SELECT Loja.CodLoja, [Itens Venda].* INTO [Itens Venda] IN '" + kBackup +
          "' FROM Loja, Venda INNER JOIN [Itens Venda] ON Venda.[Número Venda] = [Itens Venda].[Número Venda] WHERE "
          "Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 10/05/02 ','D/M/YYYY')) AND "
          "Venda.[Data Venda] <= CDate(Format(' 11/05/02 ','D/M/YYYY'))");
    EXPECT_EQ(f.Rows("SELECT * FROM \"Itens Venda\"", kBackup), (std::vector<std::string>{"01|11|1|77|3.0"}));
}

TEST_F(Statements, CodeTablesAreRebuiltInTheBackupItself) {
    f.Alias(kBackup, "");  // the rebuild runs on BACKUP.MDB, whose IN target is itself
    f.Run("SELECT Familia.Código, Familia.Descrição INTO FAMILIACONS IN '" + kBackup + "' FROM Familia;");
    f.Run("INSERT INTO FamiliaCons ( Código, Descrição ) IN'" + kBackup + "'SELECT Familia.Código, Familia.Descrição FROM Familia ");
    f.Run("SELECT FAMILIACONS.Código, First(FAMILIACONS.Descrição) AS Descrição INTO Fam2 IN'" + kBackup +
          "' From FAMILIACONS GROUP BY FAMILIACONS.Código");
    EXPECT_EQ(f.Rows("SELECT * FROM Fam2"), (std::vector<std::string>{"1|Escrita", "2|Papelaria fina e artigos de escritório"}));
    EXPECT_TRUE(std::find(f.writes.begin(), f.writes.end(), kBackup) != f.writes.end());
}

TEST_F(Statements, RecoveryAddsOnlyTheNewCodes) {
    f.Exec("CREATE TABLE CorCons (\"Código\" LONG, \"Descrição\" TEXT(20) COLLATE JETTEXT);"
           "INSERT INTO CorCons VALUES (2, 'Verde'), (3, 'Roxo'), (3, 'Lilás'), (4, NULL);"
           "CREATE TABLE GrupoCons (Familia LONG, Grupo LONG, DescGrupo TEXT(30) COLLATE JETTEXT);"
           "INSERT INTO GrupoCons VALUES (1, 1, 'x'), (1, 3, 'Novo'), (9, 9, 'Outro');"
           "CREATE TABLE FAMILIACONS (\"Código\" LONG, \"Descrição\" TEXT(30) COLLATE JETTEXT);"
           "INSERT INTO FAMILIACONS VALUES (1, 'x'), (5, 'Nova');");
    f.Run("INSERT INTO Cor ( Código, Descrição ) IN''  SELECT CorCons.Código, First(CorCons.Descrição) AS Descrição FROM Cor "
          "RIGHT JOIN CorCons ON Cor.Código = CorCons.Código GROUP BY CorCons.Código, [Cor]![Código]<>[CorCons]![Código] "
          "HAVING ((([Cor]![Código]<>[CorCons]![Código]) Is Null))");
    EXPECT_EQ(f.Rows("SELECT * FROM Cor"), (std::vector<std::string>{"1|Azul", "2|Verde", "3|Roxo", "4|NULL"}));
    f.Run("INSERT INTO Grupo ( Familia, Grupo, DescGrupo ) IN'' SELECT GrupoCons.Familia, GrupoCons.Grupo, "
          "First(GrupoCons.DescGrupo) AS DescGrupo FROM Grupo RIGHT JOIN GrupoCons ON (Grupo.Familia = GrupoCons.Familia) "
          "AND (Grupo.Grupo = GrupoCons.Grupo) GROUP BY GrupoCons.Familia, GrupoCons.Grupo, [GrupoCons]![Familia] & "
          "[GrupoCons]![Grupo]<>[Grupo]![Familia] & [Grupo]![Grupo] HAVING ((([GrupoCons]![Familia] & "
          "[GrupoCons]![Grupo]<>[Grupo]![Familia] & [Grupo]![Grupo]) Is Null))");
    EXPECT_EQ(f.Rows("SELECT Familia, Grupo, DescGrupo FROM Grupo WHERE DescricaoNF IS NULL ORDER BY 1, 2"),
              (std::vector<std::string>{"1|1|Canetas", "1|3|Novo", "2|1|Cadernos universitários grandes",
                                        "3|1|Sem família", "9|9|Outro"}));
    f.Run("INSERT INTO Familia ( Código, Descrição ) IN '' SELECT FAMILIACONS.Código, First(FAMILIACONS.Descrição) AS "
          "Descrição FROM FAMILIACONS LEFT JOIN Familia ON FAMILIACONS.Código = Familia.Código GROUP BY "
          "FAMILIACONS.Código, [Familia]![Código]<>[FAMILIACONS]![Código] HAVING ((([Familia]![Código]<>"
          "[FAMILIACONS]![Código]) Is Null))");
    EXPECT_EQ(f.Rows("SELECT \"Código\" FROM Familia"), (std::vector<std::string>{"1", "2", "5"}));
}

// Every copy statement of a consolidation run, as head + IN target + tail.
struct CopyStatement {
    const char* head;
    const char* tail;
};

const CopyStatement kFirstStoreCopies[] = {
    {"SELECT Loja.CodLoja, Produto.* INTO Produto IN ", " From Produto, Loja WHERE Loja.LojaOrigem='*'"},
    {"SELECT Loja.CodLoja, Venda.* INTO Venda IN ", " From Venda, Loja WHERE Loja.LojaOrigem='*'"},
    {"SELECT Loja.CodLoja, [Itens Venda].* INTO [Itens Venda] IN ", " From [Itens Venda], Loja WHERE Loja.LojaOrigem='*'"},
    {"SELECT Loja.CodLoja, [Pagto Venda].* INTO [Pagto Venda] IN ", " From [Pagto Venda], Loja WHERE Loja.LojaOrigem='*'"},
    {"SELECT Familia.Código, Familia.Descrição INTO FAMILIACONS IN ", " FROM Familia;"},
    {"SELECT  [TransSai].* INTO TransSai IN ", " FROM TransSai;"},
    {"SELECT Grupo.* INTO GrupoCons IN ", " FROM Grupo"},
    {"SELECT Cor.* INTO CorCons IN ", "FROM Cor"},
    {"SELECT Loja.CodLoja, Loja.Nome, Loja.LojaOrigem INTO LojaCons IN", " FROM Loja"},
    {"SELECT Loja.CodLoja, Vendedor.* INTO Vendedor IN", " From Vendedor, Loja WHERE Loja.LojaOrigem='*'"},
    {"SELECT Loja.CodLoja, Fornecedor.* INTO Fornecedor IN ", " From Fornecedor, Loja WHERE Loja.LojaOrigem='*'"},
    {"SELECT Loja.CodLoja as CodLojaCons, Cliente.* INTO Cliente IN ", " From Loja, Cliente WHERE Loja.LojaOrigem='*'"},
};

const CopyStatement kLaterStoreCopies[] = {
    {"INSERT INTO Produto ( CodLoja ) IN", " SELECT Loja.CodLoja, Produto.* From Produto, Loja WHERE Loja.LojaOrigem='*'"},
    {"INSERT INTO Venda ( CodLoja ) IN", " SELECT Loja.CodLoja, Venda.* From Venda, Loja WHERE Loja.LojaOrigem='*'"},
    {"INSERT INTO [Itens Venda] ( CodLoja ) IN", " SELECT Loja.CodLoja, [Itens Venda].* From [Itens Venda], Loja WHERE Loja.LojaOrigem='*'"},
    {"INSERT INTO [Pagto Venda] ( CodLoja ) IN", " SELECT Loja.CodLoja, [Pagto Venda].* From [Pagto Venda], Loja WHERE Loja.LojaOrigem='*'"},
    {"INSERT INTO FamiliaCons ( Código, Descrição ) IN", "SELECT Familia.Código, Familia.Descrição FROM Familia "},
    {"INSERT INTO TransSai  IN", "SELECT TransSai.* FROM TransSai "},
    {"INSERT INTO GrupoCons IN", "SELECT Grupo.* FROM Grupo"},
    {"INSERT INTO CorCons IN", "SELECT Cor.* FROM Cor"},
    {"INSERT INTO LojaCons ( CodLoja, Nome,LojaOrigem ) IN", "SELECT Loja.CodLoja, Loja.Nome, Loja.LojaOrigem FROM Loja"},
    {"INSERT INTO Vendedor ( CodLoja ) IN", "SELECT Loja.CodLoja, Vendedor.* From Vendedor, Loja WHERE Loja.LojaOrigem='*'"},
    {"INSERT INTO Fornecedor ( CodLoja ) IN ", "SELECT Loja.CodLoja, Fornecedor.* From Fornecedor, Loja WHERE Loja.LojaOrigem='*'"},
    {"INSERT INTO Cliente ( CodLojaCons ) IN ", " SELECT Loja.CodLoja As CodLojaCons, Cliente.* From Cliente, Loja WHERE Loja.LojaOrigem='*'"},
};

const CopyStatement kPeriodCopies[] = {
    {"SELECT Loja.CodLoja, Venda.* INTO Venda IN ",
     " From Venda, Loja WHERE Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 10/05/02 ','D/M/YYYY')) "
     "AND Venda.[Data Venda] <= CDate(Format(' 11/05/02 ','D/M/YYYY'))"},
    {"SELECT Loja.CodLoja, [Itens Venda].* INTO [Itens Venda] IN ",
     " FROM Loja, Venda INNER JOIN [Itens Venda] ON Venda.[Número Venda] = [Itens Venda].[Número Venda] WHERE "
     "Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 10/05/02 ','D/M/YYYY')) AND Venda.[Data Venda] <= "
     "CDate(Format(' 11/05/02 ','D/M/YYYY'))"},
    {"SELECT Loja.CodLoja, [Pagto Venda].* INTO [Pagto Venda] IN ",
     " FROM Loja, Venda INNER JOIN [Pagto Venda] ON Venda.[Número Venda] = [Pagto Venda].[Número Venda] WHERE "
     "Loja.LojaOrigem='*' AND Venda.[Data Venda] >= CDate(Format(' 10/05/02 ','D/M/YYYY')) AND Venda.[Data Venda] <= "
     "CDate(Format(' 11/05/02 ','D/M/YYYY'))"},
    {"INSERT INTO Venda ( CodLoja ) IN",
     " SELECT Loja.CodLoja, Venda.* From Venda, Loja WHERE Loja.LojaOrigem='*' AND Venda.[Data Venda] >= "
     "CDate(Format(' 10/05/02 ','D/M/YYYY')) AND Venda.[Data Venda] <= CDate(Format(' 11/05/02 ','D/M/YYYY'))"},
};

const CopyStatement kRebuilds[] = {
    {"SELECT FAMILIACONS.Código, First(FAMILIACONS.Descrição) AS Descrição INTO Familia IN", " From FAMILIACONS GROUP BY FAMILIACONS.Código"},
    {"SELECT GrupoCons.Familia, GrupoCons.Grupo, First(GrupoCons.DescGrupo) AS DescGrupo INTO Grupo IN",
     " From GrupoCons GROUP BY GrupoCons.Familia, GrupoCons.Grupo"},
    {"SELECT CorCons.Código, First(CorCons.Descrição) AS Descrição INTO Cor IN ", " From CorCons GROUP BY CorCons.Código"},
    {"SELECT LojaCons.CodLoja, First(LojaCons.Nome) AS Nome, First(LojaCons.LojaOrigem) as LojaOrigem INTO Loja IN ",
     "  From LojaCons GROUP BY LojaCons.CodLoja"},
};

std::string WithTarget(const CopyStatement& s) { return std::string(s.head) + "'" + kBackup + "'" + s.tail; }

TEST_F(Statements, ConsolidationRunCopiesTwoStoresAndRebuildsTheCodeTables) {
    for (const CopyStatement& s : kFirstStoreCopies) f.Run(WithTarget(s));
    f.Exec("UPDATE Loja SET CodLoja = '07' WHERE LojaOrigem = '*'");
    for (const CopyStatement& s : kLaterStoreCopies) f.Run(WithTarget(s));
    const char* counts[][2] = {{"Produto", "4"}, {"Venda", "6"}, {"\"Itens Venda\"", "8"}, {"\"Pagto Venda\"", "6"},
                               {"FAMILIACONS", "4"}, {"TransSai", "4"}, {"GrupoCons", "8"}, {"CorCons", "4"},
                               {"LojaCons", "6"}, {"Vendedor", "2"}, {"Fornecedor", "0"}, {"Cliente", "4"}};
    for (const auto& [table, count] : counts) {
        EXPECT_EQ(f.Rows(std::string("SELECT count(*) FROM ") + table, kBackup), (std::vector<std::string>{count})) << table;
    }
    EXPECT_EQ(f.Rows("SELECT DISTINCT CodLoja FROM Venda ORDER BY 1", kBackup), (std::vector<std::string>{"01", "07"}));

    f.Rehome(kBackup, "C:\\ZM\\LOJA\\PRODUTO.MDB");
    for (const CopyStatement& s : kRebuilds) f.Run(WithTarget(s));
    EXPECT_EQ(f.Rows("SELECT * FROM Familia"), (std::vector<std::string>{"1|Escrita", "2|Papelaria fina e artigos de escritório"}));
    EXPECT_EQ(f.Rows("SELECT count(*) FROM Grupo"), (std::vector<std::string>{"4"}));
    EXPECT_EQ(f.Rows("SELECT * FROM Loja ORDER BY 1"), (std::vector<std::string>{"01|Centro|*", "02|Praia|N", "03|Serra|   ", "07|Centro|*"}));
    EXPECT_EQ(ErrorOf(f, WithTarget(kRebuilds[0])), 3010);
}

TEST_F(Statements, PeriodCopiesKeepTheSalesOfThePeriod) {
    for (const CopyStatement& s : kPeriodCopies) f.Run(WithTarget(s));
    EXPECT_EQ(f.Rows("SELECT \"Número Venda\" FROM Venda ORDER BY 1", kBackup), (std::vector<std::string>{"11", "11"}));
    EXPECT_EQ(f.Rows("SELECT count(*) FROM \"Itens Venda\"", kBackup), (std::vector<std::string>{"1"}));
    EXPECT_EQ(f.Rows("SELECT \"Número Venda\", TaxaCartao FROM \"Pagto Venda\"", kBackup), (std::vector<std::string>{"11|NULL"}));
}

TEST_F(Statements, OldSalesDatabaseTakesTheCardTableAndTheFieldRebuildCopies) {
    f.Run("SELECT Cartao.* INTO Cartao IN '" + kAntigo + "' FROM Cartao");
    EXPECT_EQ(ErrorOf(f, "SELECT Cartao.* INTO Cartao IN '" + kAntigo + "' FROM Cartao"), 3010);
    f.Rehome(kAntigo, "C:\\ZM\\DADOS\\Produto.mdb");
    f.Exec("CREATE TABLE \"Pagto Venda\" (\"Código Cartão\" LONG, TaxaCartao CURRENCY); INSERT INTO \"Pagto Venda\" VALUES (1, NULL), (5, NULL)");
    f.Run("UPDATE [Pagto Venda] INNER JOIN Cartao ON [Pagto Venda].[Código Cartão] = Cartao.Código SET [Pagto Venda].TaxaCartao = "
          "Ccur([Cartao].[Taxa]) WHERE [Pagto Venda].TaxaCartao Is Null");
    f.Run("UPDATE [Pagto Venda] SET [Pagto Venda].TaxaCartao = 0 WHERE [Pagto Venda].TaxaCartao Is Null");
    EXPECT_EQ(f.Rows("SELECT TaxaCartao FROM \"Pagto Venda\""), (std::vector<std::string>{"2.1235", "0"}));
    f.Run("Drop Table Cartao");
    EXPECT_EQ(ErrorOf(f, "SELECT * FROM Cartao"), 3078);
    // The field rebuild copies the old field into its new twin.
    f.Exec("CREATE TABLE Familia (\"Código\" LONG, \"Descrição\" TEXT(20) COLLATE JETTEXT, \"Descrição01\" TEXT(30) COLLATE JETTEXT);"
           "INSERT INTO Familia VALUES (1, 'Escrita', NULL)");
    f.Run("Update [Familia] SET [Descrição01] = [Descrição]");
    EXPECT_EQ(f.Rows("SELECT \"Descrição01\" FROM Familia"), (std::vector<std::string>{"Escrita"}));
}

// ---- UPDATE through joins ----------------------------------------------------------------------

// A row of A without a match in an outer join sees B's columns as Null; an inner join changes only
// matched rows.
class UpdateJoins : public ::testing::TestWithParam<RowCase> {};

TEST_P(UpdateJoins, KeepTheJoinsSemantics) {
    MemoryFiles f;
    f.Exec("CREATE TABLE A (k LONG, flag TEXT(4) COLLATE JETTEXT, n TEXT(10) COLLATE JETTEXT);"
           "CREATE TABLE B (k LONG, n TEXT(10) COLLATE JETTEXT);"
           "CREATE TABLE C (k LONG, m TEXT(10) COLLATE JETTEXT);"
           "INSERT INTO A VALUES (1, '-', 'a1'), (2, '-', 'a2'), (3, '-', 'a3');"
           "INSERT INTO B VALUES (2, 'b2'), (3, 'b3'), (4, 'b4');"
           "INSERT INTO C VALUES (3, 'c3'), (1, 'c1');");
    f.Run(GetParam().statement);
    EXPECT_EQ(f.Rows(GetParam().check), GetParam().rows) << GetParam().statement;
}

const char* const kRowsOfA = "SELECT k, flag, n FROM A ORDER BY k";

const RowCase kUpdateJoinCases[] = {
    {"UPDATE A LEFT JOIN B ON A.k = B.k SET A.flag = 'X' WHERE B.k Is Null", kRowsOfA, {"1|X|a1", "2|-|a2", "3|-|a3"}},
    {"UPDATE A LEFT JOIN B ON A.k = B.k SET A.n = B.n", kRowsOfA, {"1|-|NULL", "2|-|b2", "3|-|b3"}},
    {"UPDATE A LEFT OUTER JOIN B ON A.k = B.k SET A.flag = IIf(B.k Is Null, 'SO', 'AMB')", kRowsOfA,
     {"1|SO|a1", "2|AMB|a2", "3|AMB|a3"}},
    {"UPDATE A LEFT JOIN B ON A.k = B.k SET A.n = B.n WHERE B.k Is Not Null", kRowsOfA, {"1|-|a1", "2|-|b2", "3|-|b3"}},
    {"UPDATE A INNER JOIN B ON A.k = B.k SET A.n = B.n", kRowsOfA, {"1|-|a1", "2|-|b2", "3|-|b3"}},
    {"UPDATE A INNER JOIN B ON A.k = B.k SET A.flag = 'X' WHERE B.k Is Null", kRowsOfA, {"1|-|a1", "2|-|a2", "3|-|a3"}},
    // The target on the kept side of a RIGHT JOIN.
    {"UPDATE B RIGHT JOIN A ON B.k = A.k SET A.flag = 'X' WHERE B.k Is Null", kRowsOfA, {"1|X|a1", "2|-|a2", "3|-|a3"}},
    {"UPDATE B RIGHT JOIN A ON B.k = A.k SET A.n = B.n & '+'", kRowsOfA, {"1|-|+", "2|-|b2+", "3|-|b3+"}},
    // Aliases, and a chain of joins.
    {"UPDATE A AS x LEFT JOIN B AS y ON x.k = y.k SET x.flag = 'Y' WHERE y.n Is Null", kRowsOfA,
     {"1|Y|a1", "2|-|a2", "3|-|a3"}},
    {"UPDATE (A LEFT JOIN B ON A.k = B.k) LEFT JOIN C ON A.k = C.k SET A.n = Nz(B.n, '') & Nz(C.m, '')", kRowsOfA,
     {"1|-|c1", "2|-|b2", "3|-|b3c3"}},
    {"UPDATE (A INNER JOIN B ON A.k = B.k) LEFT JOIN C ON A.k = C.k SET A.flag = 'Z' WHERE C.k Is Null", kRowsOfA,
     {"1|-|a1", "2|Z|a2", "3|-|a3"}},
    // The target on the joined side of an inner join: its matched rows change.
    {"UPDATE A INNER JOIN B ON A.k = B.k SET B.n = A.n", "SELECT k, n FROM B ORDER BY k", {"2|a2", "3|a3", "4|b4"}},
};

INSTANTIATE_TEST_SUITE_P(Jet, UpdateJoins, ::testing::ValuesIn(kUpdateJoinCases));

// ---- catalogue refresh from the package --------------------------------------------------------

class CatalogueRefresh : public ::testing::Test {
protected:
    void SetUp() override {
        const char* schema =
            "CREATE TABLE Aplicacao (CodAplicacao TEXT(10) COLLATE JETTEXT, Nome TEXT(50) COLLATE JETTEXT, "
            "CodClassificacao LONG, Nivel SHORT, Comentario LONGTEXT COLLATE JETTEXT, Consulta TEXT(50) COLLATE JETTEXT, "
            "Relatorio TEXT(50) COLLATE JETTEXT, Consolidado TEXT(1) COLLATE JETTEXT, Inclusao DATETIME, "
            "Alteracao DATETIME, Usuario TEXT(10) COLLATE JETTEXT, Maquina TEXT(10) COLLATE JETTEXT);"
            "CREATE TABLE PreConsulta (CodAplicacao TEXT(10) COLLATE JETTEXT, PreConsulta TEXT(50) COLLATE JETTEXT, "
            "Mensagem TEXT(50) COLLATE JETTEXT);";
        f.Exec(schema);
        f.Exec(schema, kPackage);
        f.Exec("INSERT INTO Aplicacao (CodAplicacao, Nome, Consulta) VALUES ('A1', 'Vendas', 'q1'), ('A9', 'Local', 'q9');"
               "INSERT INTO PreConsulta VALUES ('A1', 'Velha', 'x');");
        f.Exec("INSERT INTO Aplicacao (CodAplicacao, Nome, Consulta, Nivel) VALUES ('A1', 'Vendas novas', 'q1b', 2),"
               " ('A2', 'Estoque', 'q2', 1);"
               "INSERT INTO PreConsulta VALUES ('A1', 'P1', 'm1'), ('A1', 'P2', 'm2');", kPackage);
    }
    MemoryFiles f;
};

TEST_F(CatalogueRefresh, RunsTheRefreshStatements) {
    const std::string in = "'" + kPackage + "'";
    f.Run("SELECT Aplicacao.* INTO AplicacaoBd2 IN '" + kPackage + "' FROM Aplicacao");
    f.Run("SELECT PreConsulta.* INTO PreConsultaBD2   IN '" + kPackage + "' FROM PreConsulta");
    EXPECT_EQ(ErrorOf(f, "SELECT Aplicacao.* INTO AplicacaoBD2 IN '" + kPackage + "' FROM Aplicacao"), 3010);
    f.Run("INSERT INTO Aplicacao ( CodAplicacao, Nome,CodClassificacao,Nivel,Comentario, Consulta, Relatorio, "
          "Consolidado,Inclusao,Alteracao,Usuario,Maquina ) SELECT DISTINCTROW Aplicacao.CodAplicacao, Aplicacao.Nome,"
          "Aplicacao.CodClassificacao,Aplicacao.Nivel,Aplicacao.Comentario, Aplicacao.Consulta, Aplicacao.Relatorio, "
          "Aplicacao.Consolidado,Aplicacao.Inclusao,Aplicacao.Alteracao,Aplicacao.Usuario,Aplicacao.Maquina FROM Aplicacao "
          "LEFT JOIN AplicacaoBD2 ON Aplicacao.CodAplicacao = AplicacaoBD2.CodAplicacao IN " + in +
          " WHERE AplicacaoBD2.CodAplicacao Is Null");
    EXPECT_EQ(f.Rows("SELECT CodAplicacao, Nome FROM Aplicacao ORDER BY 1"),
              (std::vector<std::string>{"A1|Vendas", "A2|Estoque", "A9|Local"}));
    f.Run("DELETE * FROM PreConsulta ");
    f.Run("INSERT INTO PreConsulta ( CodAplicacao, PreConsulta, Mensagem )  SELECT DISTINCTROW PreConsulta.codAplicacao, "
          "PreConsulta.PreConsulta, PreConsulta.Mensagem FROM PreConsulta LEFT JOIN PreConsultaBD2 ON "
          "(PreConsulta.PreConsulta = PreConsultaBD2.PreConsulta) AND (PreConsulta.CodAplicacao= PreConsultaBD2.CodAplicacao) IN " + in);
    EXPECT_EQ(f.Rows("SELECT * FROM PreConsulta ORDER BY 2"), (std::vector<std::string>{"A1|P1|m1", "A1|P2|m2"}));
    f.Run(" SELECT Aplicacao.* INTO AplicacaoBkp FROM Aplicacao IN " + in);
    f.Run("UPDATE Aplicacao INNER JOIN AplicacaoBkp ON Aplicacao.CodAplicacao = AplicacaoBkp.CodAplicacao SET "
          "Aplicacao.CodAplicacao = [AplicacaoBkp].[CodAplicacao], Aplicacao.Nome = [AplicacaoBkp].[nome], "
          "Aplicacao.Consulta = [AplicacaoBkp].[Consulta], Aplicacao.Relatorio = [AplicacaoBkp].[Relatorio], "
          "Aplicacao.Consolidado = [AplicacaoBkp].[Consolidado], Aplicacao.Comentario = [AplicacaoBkp].[Comentario], "
          "Aplicacao.Nivel = [AplicacaoBkp].[Nivel], Aplicacao.CodClassificacao = [AplicacaoBkp].[CodClassificacao] ");
    // Matched entries take the package's values; the local-only entry keeps its own.
    EXPECT_EQ(f.Rows("SELECT CodAplicacao, Nome, Consulta, Nivel FROM Aplicacao ORDER BY 1"),
              (std::vector<std::string>{"A1|Vendas novas|q1b|2", "A2|Estoque|q2|1", "A9|Local|q9|NULL"}));
}

TEST_F(CatalogueRefresh, TheWholeRefreshSequenceRuns) {
    const char* more = "CREATE TABLE Selecionar (CodAplicacao TEXT(10) COLLATE JETTEXT, Tabela TEXT(50) COLLATE JETTEXT);"
                       "CREATE TABLE TabelaTemporaria (CodAplicacao TEXT(10) COLLATE JETTEXT, Tabela TEXT(50) COLLATE JETTEXT);";
    f.Exec(more);
    f.Exec(more, kPackage);
    f.Exec("INSERT INTO Selecionar VALUES ('A1', 'Velha'); INSERT INTO TabelaTemporaria VALUES ('A9', 'Tmp');");
    f.Exec("INSERT INTO Selecionar VALUES ('A1', 'Venda'), ('A2', 'Produto');"
           "INSERT INTO TabelaTemporaria VALUES ('A2', 'TmpEstoque');", kPackage);
    const std::string folder = "C:\\ZM\\DADOS";
    const std::string in = "'" + kPackage + "'";
    const std::string statements[] = {
        "SELECT Aplicacao.* INTO AplicacaoBd2 IN '" + folder + "\\Prog.mdb' FROM Aplicacao",
        "SELECT PreConsulta.* INTO PreConsultaBD2   IN '" + folder + "\\Prog.mdb' FROM PreConsulta",
        "SELECT Selecionar.* INTO SelecionarBD2  IN '" + folder + "\\Prog.mdb' FROM Selecionar ",
        "SELECT TabelaTemporaria.* INTO TabelaTemporariaBD2  IN '" + folder + "\\Prog.mdb' FROM TabelaTemporaria ",
        "DELETE * FROM PreConsulta ",
        "INSERT INTO PreConsulta ( CodAplicacao, PreConsulta, Mensagem )  SELECT DISTINCTROW PreConsulta.codAplicacao, "
        "PreConsulta.PreConsulta, PreConsulta.Mensagem FROM PreConsulta LEFT JOIN PreConsultaBD2 ON (PreConsulta.PreConsulta = "
        "PreConsultaBD2.PreConsulta) AND (PreConsulta.CodAplicacao= PreConsultaBD2.CodAplicacao) IN " + in,
        "DELETE * FROM Selecionar ",
        "INSERT INTO Selecionar ( CodAplicacao, Tabela )  SELECT DISTINCTROW Selecionar.CodAplicacao, Selecionar.Tabela FROM "
        "Selecionar LEFT JOIN SelecionarBD2 ON (Selecionar.Tabela = SelecionarBD2.Tabela) AND (Selecionar.CodAplicacao = "
        "SelecionarBD2.CodAplicacao) IN " + in,
        "DELETE * FROM TabelaTemporaria ",
        "INSERT INTO TabelaTemporaria ( CodAplicacao, Tabela )  SELECT DISTINCTROW TabelaTemporaria.CodAplicacao, "
        "TabelaTemporaria.Tabela FROM TabelaTemporaria LEFT JOIN TabelaTemporariaBD2 ON (TabelaTemporaria.Tabela = "
        "TabelaTemporariaBD2.Tabela) AND (TabelaTemporaria.CodAplicacao= TabelaTemporariaBD2.CodAplicacao)  IN " + in,
        " SELECT Aplicacao.* INTO AplicacaoBkp FROM Aplicacao IN " + in,
    };
    for (const std::string& statement : statements) {
        EXPECT_EQ(ErrorOf(f, statement), 0) << statement;
    }
    EXPECT_EQ(f.Rows("SELECT * FROM Selecionar ORDER BY 1, 2"), (std::vector<std::string>{"A1|Venda", "A2|Produto"}));
    EXPECT_EQ(f.Rows("SELECT * FROM TabelaTemporaria"), (std::vector<std::string>{"A2|TmpEstoque"}));
    EXPECT_EQ(f.Rows("SELECT count(*) FROM TabelaTemporariaBD2", kPackage), (std::vector<std::string>{"1"}));
    EXPECT_EQ(f.Rows("SELECT count(*) FROM AplicacaoBkp"), (std::vector<std::string>{"2"}));
    // A second package finds the copy tables of the first: each copy raises 3010 and is retried
    // after its table is dropped.
    EXPECT_EQ(ErrorOf(f, statements[0]), 3010);
    f.Rehome(kPackage, "C:\\ZM\\Bd2.MDB");
    f.Run("Drop Table AplicacaoBD2");
    f.Rehome("C:\\ZM\\Bd2.MDB", kPackage);
    EXPECT_EQ(ErrorOf(f, statements[0]), 0);
}

TEST_F(CatalogueRefresh, DistinctRowListsEachLeftRowOnce) {
    f.Exec("CREATE TABLE Dup (CodAplicacao TEXT(10) COLLATE JETTEXT); INSERT INTO Dup VALUES ('A1'), ('A1'), ('A1');");
    EXPECT_EQ(f.Run("SELECT DISTINCTROW Aplicacao.CodAplicacao FROM Aplicacao LEFT JOIN Dup ON Aplicacao.CodAplicacao = "
                    "Dup.CodAplicacao ORDER BY Aplicacao.CodAplicacao"),
              (std::vector<std::string>{"A1", "A9"}));
}

// ---- Execute without its fail-on-error option --------------------------------------------------

TEST_F(Statements, RowsBreakingAKeyAreSkippedAndTheOthersStay) {
    f.Exec("CREATE TABLE Chave (\"Código\" LONG NOT NULL, \"Descrição\" TEXT(20) COLLATE JETTEXT); "
           "CREATE UNIQUE INDEX ChaveCodigo ON Chave (\"Código\"); INSERT INTO Chave VALUES (2, 'antes');");
    f.Exec("CREATE TABLE Chave (\"Código\" LONG NOT NULL, \"Descrição\" TEXT(20) COLLATE JETTEXT); "
           "CREATE UNIQUE INDEX ChaveCodigo ON Chave (\"Código\");", kBackup);
    f.Exec("INSERT INTO Chave VALUES (2, 'antes');", kBackup);
    f.Run("INSERT INTO Chave SELECT Familia.* FROM Familia");
    EXPECT_EQ(f.Rows("SELECT * FROM Chave ORDER BY 1"), (std::vector<std::string>{"1|Escrita", "2|antes"}));
    f.Run("INSERT INTO Chave IN '" + kBackup + "' SELECT Cor.* FROM Cor");
    EXPECT_EQ(f.Rows("SELECT * FROM Chave ORDER BY 1", kBackup), (std::vector<std::string>{"1|Azul", "2|antes"}));
    EXPECT_THROW(f.Run("INSERT INTO Chave IN '" + kBackup + "' SELECT Cor.* FROM Cor", true), win::RuntimeError);
    f.Run("INSERT INTO Chave ( Código ) SELECT Cliente.CodLoja FROM Cliente");  // a Null and a '02' that converts
    EXPECT_EQ(f.Rows("SELECT \"Código\" FROM Chave ORDER BY 1"), (std::vector<std::string>{"1", "2"}));
}

TEST_F(Statements, ARowWithAValueThatDoesNotConvertIsSkipped) {
    const std::string update = "UPDATE Cliente SET Cliente.DataCad = IIf(Cliente.Código = 1, 'amanhã', '03/01/2000'), "
                               "Cliente.DataAlt = '02/01/2000'";
    EXPECT_THROW(f.Run(update, true), win::RuntimeError);
    EXPECT_EQ(f.Rows("SELECT DataCad, DataAlt FROM Cliente"), (std::vector<std::string>{"NULL|NULL", "36000|NULL"}));
    f.Run(update);
    EXPECT_EQ(f.lastAffected, 1);
    EXPECT_EQ(f.Rows("SELECT DataCad, DataAlt FROM Cliente"), (std::vector<std::string>{"NULL|NULL", "36528|36527"}));
    f.Run("UPDATE Cliente SET Cliente.DataCad = Null WHERE Cliente.Código = 2");
    EXPECT_EQ(f.Rows("SELECT DataCad FROM Cliente"), (std::vector<std::string>{"NULL", "NULL"}));
}

TEST_F(Statements, ASelectIntoWhoseCopyFailsLeavesNoTable) {
    for (const std::string& in : {std::string(), " IN '" + kBackup + "'"}) {
        const std::string file = in.empty() ? "" : kBackup;
        EXPECT_NE(ErrorOf(f, "SELECT Cor.Código, CDate(Cor.Descrição) AS Quando INTO Falha" + in + " FROM Cor"), 0) << in;
        EXPECT_TRUE(f.Rows("SELECT name FROM sqlite_master WHERE name = 'Falha'", file).empty()) << in;
        EXPECT_EQ(ErrorOf(f, "SELECT Cor.Código INTO Falha" + in + " FROM Cor"), 0) << in;
    }
}

TEST_F(Statements, DropTableTakesBracketedNames) {
    f.Run("DROP TABLE [Itens Venda]");
    EXPECT_EQ(ErrorOf(f, "SELECT * FROM [Itens Venda]"), 3078);
    f.Run("Drop Table cartao");
    EXPECT_EQ(ErrorOf(f, "Drop Table Cartao"), 3376);
}

// ---- statements that must fail, with their numbers ---------------------------------------------

struct FailCase {
    const char* statement;
    long number;
};

// Names the row by its text in test output.
inline void PrintTo(const FailCase& row, std::ostream* out) { *out << row.statement; }


class FailingStatements : public ::testing::TestWithParam<FailCase> {};

TEST_P(FailingStatements, RaiseTheEngineNumber) {
    MemoryFiles f;
    CreateStore(f);
    EXPECT_EQ(ErrorOf(f, GetParam().statement), GetParam().number) << GetParam().statement;
}

const FailCase kFailCases[] = {
    {"SELECT Produto.Código FROM Produto WHERE Soundex(Produto.Descrição) = 'x'", 3085},
    {"SELECT Produto.Preco FROM Produto", 3061},
    {"SELECT Produto.Código FROM Produtos", 3078},
    {"SELECT Produto.Código FROM Produto WHERE Produto.Código = = 1", 3075},
    {"SELECT Produto.Código FROM Produto WHERE Produto.Descrição = 'aberto", 3075},
    {"SELECT [Produto.Código FROM Produto", 3075},
    {"SELECT Produto.Código FROM Produto WHERE Produto.Descrição Like 'a[b'", 3075},
    {"SELECT Produto.Código FROM Produto WHERE Produto.IPI > #ontem#", 3075},
    {"SELECT Código FROM Produto WHERE Código 1", 3075},
    {"SELECT Código FROM Produto WHERE Mid(Descrição)", 3075},
    {"SELECT Código FROM Produto INNER JOIN Loja", 3131},
    {"CREATE TABLE X (a TEXT)", 3129},
    {"TRANSFORM Sum(x) SELECT y FROM z PIVOT w", 3129},
    {"", 3129},
    {"INSERT INTO Produto ( Preco ) SELECT Cor.Código FROM Cor", 3127},
    {"INSERT INTO Cor SELECT Produto.* FROM Produto", 3127},
    {"INSERT INTO Nada SELECT Cor.* FROM Cor", 3192},
    {"INSERT INTO Cor ( Código, Descrição ) SELECT Cor.Código FROM Cor", 3346},
    {"SELECT Cor.* INTO Familia FROM Cor", 3010},
    {"UPDATE Produto SET IPI WHERE 1", 3144},
    {"UPDATE Venda INNER JOIN Cliente ON 1 = 1 SET Venda.TipoVenda = 'x', Cliente.CodLoja = 'y'", 3144},
    {"UPDATE Cliente SET CodLoja = DLookUp(\"CodLoja\", Nome, \"1\")", 3075},
    {"UPDATE Cliente SET CodLoja = DLookUp(CodLoja, \"Loja\")", 3075},
    {"DROP INDEX x ON Produto", 3295},
    {"DROP TABLE Itens Venda", 3295},
    {"SELECT Cartao.* INTO Cartao IN 'C:\\Dona'Maria\\Antigo.mdb' FROM Cartao", 3075},
    {"SELECT Código FROM Produto WHERE ((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((((1", 3075},
};

INSTANTIATE_TEST_SUITE_P(Jet, FailingStatements, ::testing::ValuesIn(kFailCases));

}  // namespace
}  // namespace dao::sql::testing
