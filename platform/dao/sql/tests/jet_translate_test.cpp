// The SQLite text of the shapes whose translation is a design decision, and the tokenizer.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/dao/sql/jet_internal.h"
#include "platform/dao/sql/tests/sql_fixture.h"

namespace dao::sql::testing {
namespace {

struct TextCase {
    const char* jet;
    const char* sqlite;
};

// Names the row by its text in test output.
inline void PrintTo(const TextCase& row, std::ostream* out) { *out << row.jet; }

class Translations : public ::testing::TestWithParam<TextCase> {};

TEST_P(Translations, WriteTheExpectedSqlite) {
    MemoryFiles f;
    f.Exec("CREATE TABLE A (k LONG, n TEXT(10) COLLATE JETTEXT, d DATETIME);"
           "CREATE TABLE \"B b\" (k LONG, n TEXT(10) COLLATE JETTEXT);");
    TranslateOptions failOnError;
    failOnError.skipFailingRows = false;
    EXPECT_EQ(TranslateJetSql(GetParam().jet, f, failOnError).sql, GetParam().sqlite);
}

const TextCase kTextCases[] = {
    {"select a.K from a where a.n <> Null;", "SELECT \"A\".\"k\" AS \"k\" FROM \"A\" WHERE (\"A\".\"n\" IS NOT NULL)"},
    {"SELECT DISTINCTROW A.n FROM A LEFT JOIN [B b] ON A.k = [B b].k",
     "SELECT \"A\".\"n\" AS \"n\" FROM \"A\" LEFT JOIN \"B b\" ON (\"A\".\"k\" = \"B b\".\"k\") GROUP BY \"A\".rowid"},
    {"UPDATE A LEFT JOIN [B b] ON A.k = [B b]!k SET A.n = [B b].[n]",
     "UPDATE \"A\" AS jet_target SET \"n\" = \"B b\".\"n\" FROM (SELECT rowid AS jet_rowid, * FROM \"A\") AS \"A\" "
     "LEFT JOIN \"B b\" ON (\"A\".\"k\" = \"B b\".\"k\") WHERE jet_target.rowid = \"A\".jet_rowid"},
    {"UPDATE A INNER JOIN [B b] ON A.k = [B b].k SET [B b].n = A.n & 'x' WHERE A.k > 1",
     "UPDATE \"B b\" SET \"n\" = jet_field(jet_concat(\"A\".\"n\", 'x'), 10, 10, 0) FROM \"A\" WHERE (\"A\".\"k\" = \"B b\".\"k\") AND (\"A\".\"k\" > 1)"},
    {"DELETE * FROM A WHERE A.n Like \"a*\"", "DELETE FROM \"A\" WHERE jet_like(\"A\".\"n\", 'a*')"},
    {"SELECT A.k FROM A WHERE A.d >= '01/10/2002'",
     "SELECT \"A\".\"k\" AS \"k\" FROM \"A\" WHERE (\"A\".\"d\" >= jet_as_date('01/10/2002'))"},
    {"SELECT A.k FROM A WHERE A.d < #10/1/2002#", "SELECT \"A\".\"k\" AS \"k\" FROM \"A\" WHERE (\"A\".\"d\" < 37530.0)"},
    {"SELECT Format(A.d, 'dd/mm/yy') AS x FROM A", "SELECT jet_format(\"A\".\"d\", 'dd/mm/yy', 1) AS \"x\" FROM \"A\""},
    {"SELECT Count(*), First(A.n) FROM A GROUP BY A.k HAVING Count(*) > 1",
     "SELECT count(*) AS \"Expr1000\", jet_first(\"A\".\"n\") AS \"FirstOfn\" FROM \"A\" GROUP BY \"A\".\"k\" HAVING (count(*) > 1)"},
    {"INSERT INTO A ( n ) SELECT [B b].k FROM [B b]",
     "INSERT INTO \"A\" (\"n\") WITH jet_rows(c1) AS (SELECT \"B b\".\"k\" AS \"k\" FROM \"B b\") "
     "SELECT jet_field(jet_rows.c1, 10, 10, 0) FROM jet_rows"},
    {"SELECT A.k FROM A WHERE Trim(A.n) = ''",
     "SELECT \"A\".\"k\" AS \"k\" FROM \"A\" WHERE (jet_trim(\"A\".\"n\") = '' COLLATE JETTEXT)"},
};

INSTANTIATE_TEST_SUITE_P(Jet, Translations, ::testing::ValuesIn(kTextCases));

TEST(Tokenizer, SplitsTheLanguagesTokens) {
    auto tokens = Tokenize("SELECT [Itens Venda].*,\"a\"\"b\" FROM x IN'C:\\P.MDB'WHERE d=#1/2/2003# AND y<>'it''s';");
    std::vector<std::string> texts;
    for (const Token& t : tokens) texts.push_back(std::to_string(static_cast<int>(t.kind)) + ":" + t.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"0:SELECT", "1:Itens Venda", "5:.", "5:*", "5:,", "2:a\"b", "0:FROM", "0:x",
                                               "0:IN", "2:C:\\P.MDB", "0:WHERE", "0:d", "5:=", "4:1/2/2003", "0:AND", "0:y",
                                               "5:<>", "2:it's", "5:;", "6:"}));
}

}  // namespace
}  // namespace dao::sql::testing
