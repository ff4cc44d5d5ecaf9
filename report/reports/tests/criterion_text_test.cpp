// The run's texts: the tokenized rules give the character-position rules' text wherever those
// work, and one working statement where those raise error 5 or build a second WHERE.
#include "report/reports/criterion_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "platform/forms/strings.h"
#include "platform/win/error.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"

namespace report::reports {
namespace {

using forms::InStr;
using forms::Left;
using forms::Mid;
using forms::UCase;

// The character-position rules, written as the catalogue's statements were written for.
std::string PositionMerge(const std::string& s, const std::string& t) {
    long p = InStr(UCase(s), "GROUP BY");
    if (p == 0) p = InStr(UCase(s), "ORDER BY");
    if (p > 0) return Left(s, p - 1) + t + " " + Mid(s, p);
    p = InStr(s, ";");
    return Left(s, p - 1) + t;
}

std::string PositionRedirect(const std::string& m, const std::string& folder) {
    const long q = InStr(UCase(m), " IN ");
    if (q == 0) return m;
    return Left(m, q + 3) + "'" + folder + Mid(m, InStr(UCase(m), "\\BACKUP.MDB"));
}

std::string PositionPreQuery(const std::string& s, const std::string& folder) {
    std::string out;
    const long length = forms::Len(s);
    for (long i = 1; i <= length; ++i) {
        if (UCase(Mid(s, i, 4)) == " IN ") {
            out += " IN '" + folder;
            i += 4;
            while (i <= length && UCase(Mid(s, i, 11)) != "\\BACKUP.MDB") ++i;
        }
        if (i <= length) out += UCase(Mid(s, i, 1));
    }
    return out;
}

using win::testing::ErrorNumberOf;

constexpr const char* kFolder = "C:\\REPORT";
const std::string kWhere = " Where ([Venda].[Total Venda] > 300)";

// Statements of the kind the catalogue holds, with a criterion or none.
struct Case {
    std::string sql;
    std::string criterion;
    std::string merged;
};

const std::vector<Case>& CatalogueCases() {
    static const std::vector<Case> cases = {
        {"SELECT Venda.Vendedor, Sum(Venda.[Total Venda]) AS Total FROM Venda GROUP BY Venda.Vendedor ORDER BY Venda.Vendedor;\r\n",
         kWhere,
         "SELECT Venda.Vendedor, Sum(Venda.[Total Venda]) AS Total FROM Venda  Where ([Venda].[Total Venda] > 300) GROUP BY "
         "Venda.Vendedor ORDER BY Venda.Vendedor;\r\n"},
        {"SELECT Venda.[Número Venda] FROM Venda ORDER BY Venda.[Número Venda];", kWhere,
         "SELECT Venda.[Número Venda] FROM Venda  Where ([Venda].[Total Venda] > 300) ORDER BY Venda.[Número Venda];"},
        {"SELECT Produto.Familia FROM Produto;\r\n", kWhere, "SELECT Produto.Familia FROM Produto Where ([Venda].[Total Venda] > 300)"},
        {"SELECT Produto.Familia FROM Produto;", "", "SELECT Produto.Familia FROM Produto"},
        {"select x from t group by x;", "", "select x from t  group by x;"},
        {"SELECT R.Vendedor FROM ResumoVenda AS R IN 'D:\\OUTRA\\Backup.mdb' ORDER BY R.Vendedor;", kWhere,
         "SELECT R.Vendedor FROM ResumoVenda AS R IN 'D:\\OUTRA\\Backup.mdb'  Where ([Venda].[Total Venda] > 300) ORDER BY "
         "R.Vendedor;"},
    };
    return cases;
}

TEST(CriterionTextTest, CatalogueStatementsMergeAsThePositionRulesMergeThem) {
    for (const Case& c : CatalogueCases()) {
        EXPECT_EQ(MergeCriterion(c.sql, c.criterion), c.merged) << c.sql;
        EXPECT_EQ(MergeCriterion(c.sql, c.criterion), PositionMerge(c.sql, c.criterion)) << c.sql;
        const std::string merged = MergeCriterion(c.sql, c.criterion);
        EXPECT_EQ(RedirectBackup(merged, kFolder), PositionRedirect(merged, kFolder)) << c.sql;
    }
}

TEST(CriterionTextTest, RedirectKeepsTheFileNameAsWrittenAndOnlyTouchesBackupTargets) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SELECT * FROM R IN 'D:\\OUTRA\\Backup.mdb';", "SELECT * FROM R IN 'C:\\REPORT\\Backup.mdb';"},
        {"SELECT * FROM R IN \"X:\\BACKUP.MDB\";", "SELECT * FROM R IN \"C:\\REPORT\\BACKUP.MDB\";"},
        {"SELECT * FROM R IN 'D:\\OUTRA\\Produto.mdb';", "SELECT * FROM R IN 'D:\\OUTRA\\Produto.mdb';"},
        {"SELECT * FROM R WHERE R.A IN (1, 2);", "SELECT * FROM R WHERE R.A IN (1, 2);"},
        {"SELECT * FROM R WHERE R.N = 'JOAO IN SP';", "SELECT * FROM R WHERE R.N = 'JOAO IN SP';"},
        {"INSERT INTO A IN 'a\\backup.mdb' SELECT * FROM B IN 'b\\BACKUP.MDB';",
         "INSERT INTO A IN 'C:\\REPORT\\backup.mdb' SELECT * FROM B IN 'C:\\REPORT\\BACKUP.MDB';"},
    };
    for (const auto& [sql, expected] : cases) EXPECT_EQ(RedirectBackup(sql, kFolder), expected) << sql;
    // A folder at the root of a drive gives one backslash, not two.
    EXPECT_EQ(RedirectBackup("SELECT * FROM R IN 'x\\BACKUP.MDB'", "C:\\"), "SELECT * FROM R IN 'C:\\BACKUP.MDB'");
}

// A quote in the program folder's name is doubled inside the literal it lands in, so that the
// statement still names that folder's BACKUP.MDB and nothing after it shifts.
TEST(CriterionTextTest, TheFoldersQuotesAreDoubledInsideTheRedirectedLiteral) {
    const std::string folder = "C:\\LOJA D'OURO\\ЛАВКА 東京";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SELECT * FROM R IN 'D:\\OUTRA\\Backup.mdb' WHERE R.N = 'A';",
         "SELECT * FROM R IN 'C:\\LOJA D''OURO\\ЛАВКА 東京\\Backup.mdb' WHERE R.N = 'A';"},
        {"SELECT * FROM R IN \"X:\\BACKUP.MDB\";", "SELECT * FROM R IN \"C:\\LOJA D'OURO\\ЛАВКА 東京\\BACKUP.MDB\";"},
        {"SELECT * FROM R IN 'C:\\LOJA D''OURO\\BACKUP.MDB';",
         "SELECT * FROM R IN 'C:\\LOJA D''OURO\\ЛАВКА 東京\\BACKUP.MDB';"},
    };
    for (const auto& [sql, expected] : cases) EXPECT_EQ(RedirectBackup(sql, folder), expected) << sql;
    EXPECT_EQ(RewritePreQuery("delete * from resumo in 'd:\\backup.mdb';", folder),
              "DELETE * FROM RESUMO IN 'C:\\LOJA D''OURO\\ЛАВКА 東京\\BACKUP.MDB';");
}

TEST(CriterionTextTest, PreQueriesAreUpperCasedAndRedirectedAsThePositionScanDoesIt) {
    const std::vector<std::string> catalogue = {
        "DELETE * FROM ResumoVenda IN 'D:\\OUTRA\\BACKUP.MDB';",
        "INSERT INTO ResumoVenda ( Vendedor, Total ) IN 'D:\\OUTRA\\BACKUP.MDB' SELECT Venda.Vendedor, "
        "Sum(Venda.[Total Venda]) AS Total FROM Venda GROUP BY Venda.Vendedor;",
        "DELETE * FROM TMPHISTORICO;",
        "SELECT Venda.* INTO VendaCopia IN 'c:\\dados\\backup.mdb' FROM Venda WHERE Venda.[Número Venda] > 10;",
    };
    for (const std::string& sql : catalogue) {
        EXPECT_EQ(RewritePreQuery(sql, kFolder), PositionPreQuery(sql, kFolder)) << sql;
    }
    EXPECT_EQ(RewritePreQuery("delete * from resumo in 'd:\\backup.mdb';", "C:\\Report"),
              "DELETE * FROM RESUMO IN 'C:\\Report\\BACKUP.MDB';");
}

// Where the position rules fail (error 5) or build a second WHERE, the merged text still runs.
TEST(CriterionTextTest, StatementsThePositionRulesBreakGiveWorkingStatements) {
    win::testing::TempMachineRoot root;
    dao::DBEngine engine;
    dao::Database db = engine.CreateDatabase("C:\\t.mdb");
    dao::TableDef venda = db.CreateTableDef("Venda");
    venda.Fields().Append(venda.CreateField("Número Venda", dao::Value::Long(static_cast<int>(dao::DataType::Long))));
    venda.Fields().Append(venda.CreateField("Total Venda", dao::Value::Long(static_cast<int>(dao::DataType::Currency))));
    venda.Fields().Append(venda.CreateField("Group By", dao::Value::Long(static_cast<int>(dao::DataType::Text)), dao::Value::Long(10)));
    db.TableDefs().Append(venda);
    db.Execute("INSERT INTO Venda VALUES (1, 100, 'a')");
    db.Execute("INSERT INTO Venda VALUES (2, 400, 'b')");
    db.Execute("INSERT INTO Venda VALUES (3, 500, 'c')");
    struct Broken {
        std::string sql;
        std::string criterion;
        long positionError;  // 0: the position rules give a text the engine refuses
        long rows;
    };
    const std::vector<Broken> cases = {
        {"SELECT * FROM Venda", kWhere, 5, 2},                                         // no ";"
        {"SELECT * FROM Venda WHERE Venda.[Número Venda] > 1;", kWhere, 0, 2},         // a second WHERE
        {"SELECT * FROM Venda WHERE Venda.[Número Venda] = 1 OR Venda.[Número Venda] = 3;", kWhere, 0, 1},
        {"SELECT [Group By] FROM Venda;", kWhere, 0, 2},                               // a name holding GROUP BY
        {"SELECT * FROM Venda WHERE Venda.[Número Venda] IN (1, 2, 3);", "", 5, 3},    // an IN list
        {"SELECT * FROM Venda;", " Where ([Venda].[Group By] = 'b IN c')", 5, 0},     // " IN " in a value
    };
    for (const Broken& c : cases) {
        long positionError = ErrorNumberOf([&] {
            const std::string merged = PositionRedirect(PositionMerge(c.sql, c.criterion), kFolder);
            db.OpenRecordset(merged, dao::dbOpenSnapshot).Close();
        });
        if (c.positionError != 0) {
            EXPECT_EQ(positionError, c.positionError) << c.sql;
        } else {
            EXPECT_NE(positionError, 0) << c.sql;
        }
        const std::string merged = RedirectBackup(MergeCriterion(c.sql, c.criterion), kFolder);
        dao::Recordset rs = db.OpenRecordset(merged, dao::dbOpenSnapshot);
        long rows = 0;
        for (; !rs.Eof(); rs.MoveNext()) ++rows;
        EXPECT_EQ(rows, c.rows) << merged;
    }
    EXPECT_EQ(MergeCriterion("SELECT * FROM V WHERE A = 1 OR B = 2 ORDER BY A;", kWhere),
              "SELECT * FROM V WHERE (A = 1 OR B = 2) And ([Venda].[Total Venda] > 300) ORDER BY A;");
    db.Close();
}

TEST(CriterionTextTest, ScanKeepsQuotesBracketsDatesAndGroupsWhole) {
    const std::string sql = "SELECT [a b], 'it''s', #1/2/2000# FROM (SELECT x FROM t GROUP BY x) ORDER BY 1;";
    const std::vector<SqlPiece> pieces = ScanSql(sql);
    std::vector<std::string> topWords;
    for (const SqlPiece& piece : pieces) {
        if (piece.depth == 0 && piece.kind != SqlPiece::Kind::Other) topWords.push_back(sql.substr(piece.begin, piece.end - piece.begin));
    }
    EXPECT_EQ(topWords, (std::vector<std::string>{"SELECT", "[a b]", "'it''s'", "#1/2/2000#", "FROM", "(", ")", "ORDER", "BY",
                                                  "1", ";"}));
    EXPECT_EQ(MergeCriterion(sql, " Where (1=1)"),
              "SELECT [a b], 'it''s', #1/2/2000# FROM (SELECT x FROM t GROUP BY x)  Where (1=1) ORDER BY 1;");
    // An unclosed quote runs to the end as one piece.
    EXPECT_EQ(ScanSql("SELECT 'abc").back().end, 11u);
}

TEST(CriterionTextTest, RunQueryNameAndFormulaText) {
    EXPECT_EQ(RunQueryName("Vendas001"), "Relato001");
    EXPECT_EQ(RunQueryName("Histórico"), "Relatoico");
    EXPECT_EQ(RunQueryName("ab"), "Relatoab");
    EXPECT_EQ(CriterionFormulaText("MAIO", "  Where ([T].[N] = \"X\")\r\nAnd ([T].[M] = 1)"),
              "MAIO Where ([T].[N] = 'X')  And ([T].[M] = 1)");
    EXPECT_EQ(CriterionFormulaText("", ""), "");
    std::string longText = " Where ";
    for (int i = 0; i < 300; ++i) longText += "é";
    const std::string formula = CriterionFormulaText("N", longText);
    EXPECT_EQ(forms::Len(formula), 253);
    EXPECT_EQ(formula.substr(0, 8), "N Where ");
}

}  // namespace
}  // namespace report::reports
