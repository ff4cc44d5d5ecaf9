// The engine's SQL functions, each expression written in Jet SQL and evaluated by SQLite.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/dao/sql/tests/sql_fixture.h"
#include "platform/win/clock.h"

namespace dao::sql::testing {
namespace {

struct FunctionCase {
    const char* expression;
    const char* result;  // as SQLite prints it; "NULL" for Null
};

// Names the row by its text in test output.
inline void PrintTo(const FunctionCase& row, std::ostream* out) { *out << row.expression; }


class Functions : public ::testing::TestWithParam<FunctionCase> {
protected:
    static void SetUpTestSuite() {
        clock_.Freeze(win::CivilTime{2024, 2, 29, 13, 45, 30});
        win::InstallClock(&clock_);
    }
    static void TearDownTestSuite() { win::InstallClock(nullptr); }
    static inline win::OffsetClock clock_;
};

TEST_P(Functions, GiveTheEngineResult) {
    MemoryFiles f;
    f.Exec("CREATE TABLE V (d DATETIME, t TEXT(20) COLLATE JETTEXT, n DOUBLE, c CURRENCY);"
           "INSERT INTO V VALUES (37530.75, ' Ação ', 2.5, NULL)");
    auto rows = f.Run(std::string("SELECT ") + GetParam().expression + " FROM V");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], GetParam().result) << GetParam().expression;
}

const FunctionCase kFunctionCases[] = {
    // Day-first texts, two-digit years, the time parts.
    {"CDate('01/10/2002')", "37530.0"},
    {"CDate(\"01/01/1900 08:00:00\")", "2.33333333333333"},
    {"CDate('08:00:00 AM')", "0.333333333333333"},
    {"CDate('1/2/29') - CDate('1/2/30')", "36160.0"},
    {"CDate(Null)", "NULL"},
    {"DateValue('01/10/2002 18:00')", "37530.0"},
    {"TimeValue('18:00')", "0.75"},
    {"DateSerial(2002, 13, 1)", "37622.0"},
    {"Year(d) & '-' & Month(d) & '-' & Day(d)", "2002-10-1"},
    {"Year('25/12/2024')", "2024"},
    // Format: the patterns the statements use.
    {"Format(d, 'dd/mm/yyyy')", "01/10/2002"},
    {"Format(d, 'dd/mm/yy')", "01/10/02"},
    {"Format(d, 'hh:mm')", "18:00"},
    {"Format(d, 'hh:mm:ss')", "18:00:00"},
    {"Format(' 01/02/24 ', 'D/M/YYYY')", "1/2/2024"},
    {"Format(7, '00')", "07"},
    {"Format(Null, '00')", "NULL"},
    {"Format(CDate(d), 'dd/mm/yyyy')", "01/10/2002"},
    // Conversions.
    {"CCur(2.123456)", "2.1235"},
    {"CCur(c)", "NULL"},
    {"CCur('1,5')", "1.5"},
    {"CInt(2.5)", "2"},
    {"CInt(3.5)", "4"},
    {"CLng('1.234')", "1234"},
    {"CDbl('1,25')", "1.25"},
    {"CStr(n)", "2,5"},
    {"CStr(d)", "01/10/2002 18:00:00"},
    {"Val(' 12.5 kg')", "12.5"},
    {"Val(t)", "0.0"},
    // Texts: characters, not bytes.
    {"Mid(t, 2, 3)", "Açã"},
    {"Mid(t, 3)", "ção "},
    {"Left(t, 2)", " A"},
    {"Right(t, 3)", "ão "},
    {"Len(t)", "6"},
    {"Len(Null)", "NULL"},
    {"'[' & Trim(t) & '|' & LTrim(t) & '|' & RTrim(t) & ']'", "[Ação|Ação | Ação]"},
    {"UCase(t)", " AÇÃO "},
    {"LCase('ÁRVORE')", "árvore"},
    {"InStr(t, 'ÇÃ')", "3"},
    {"InStr(3, 'abcabc', 'b')", "5"},
    {"InStr(1, 'abc', 'B', 0)", "0"},
    {"InStr(t, 'x')", "0"},
    // Choices and Nulls.
    {"IIf(n > 2, 'big', 'small')", "big"},
    {"IIf(c Is Null, 1, 2)", "1"},
    {"Nz(c, 0)", "0"},
    {"Nz(t, 'x')", " Ação "},
    {"t & Null", " Ação "},
    {"Null & Null", "NULL"},
    {"t + Null", "NULL"},
    {"'a' + 'b'", "ab"},
    {"1 + '2'", "3.0"},
    {"7 \\ 2", "3"},
    {"7 Mod 3", "1"},
    {"Right(t, 9223372036854775807)", " Ação "},
    {"Mid(t, 2, 9223372036854775807)", "Ação "},
    {"2 ^ 3", "8.0"},
    {"7 / 2", "3.5"},
    {"- n", "-2.5"},
    // Like and the other tests return SQLite's truth values.
    {"t Like '*çã*'", "1"},
    {"t Like ' A#*'", "0"},
    {"'A1' Like 'A#'", "1"},
    {"t Not Like '*x*'", "1"},
    {"c Like '*'", "NULL"},
    {"'abcabd' Like '*ab?'", "1"},
    {"'aXbXc' Like '*X*X*'", "1"},
    {"'aXb' Like '*X*X*'", "0"},
    {"'' Like '*'", "1"},
    {"'a1' Like '[a-c]#'", "1"},
    {"'d1' Like '[a-c]#'", "0"},
    {"'d1' Like '[!a-c]#'", "1"},
    {"'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab' Like "
     "'*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b'", "1"},
    {"n In (1, 2.5)", "1"},
    {"n Not Between 1 And 2", "1"},
    {"c <> Null", "0"},
    {"n <> Null", "1"},
    {"d > '30/09/2002'", "1"},
    {"d < '30/09/2002'", "0"},
    // The clock.
    {"Now()", "45351.5732638889"},
    {"Date()", "45351.0"},
    {"Time()", "0.573263888888889"},
    {"#02/29/2024#", "45351.0"},
    {"#13/05/2002#", "37389.0"},
    {"#2002-10-01#", "37530.0"},
    {"#2/29/2024 13:45:30#", "45351.5732638889"},
    {"True", "-1"},
};

INSTANTIATE_TEST_SUITE_P(Jet, Functions, ::testing::ValuesIn(kFunctionCases));

TEST(FunctionsAggregate, FirstAndLastKeepTheRowOrder) {
    MemoryFiles f;
    f.Exec("CREATE TABLE G (k LONG, v TEXT(5) COLLATE JETTEXT);"
           "INSERT INTO G VALUES (1, 'a'), (1, 'b'), (2, NULL), (2, 'c'), (1, 'z')");
    EXPECT_EQ(f.Run("SELECT G.k, First(G.v), Last(G.v) FROM G GROUP BY G.k"),
              (std::vector<std::string>{"1|a|z", "2|NULL|c"}));
}

TEST(FunctionsErrors, NumbersOutOfRangeOverflow) {
    MemoryFiles f;
    sqlite3_stmt* stmt = nullptr;
    for (const char* sql : {"SELECT jet_mod(1e999, 3)", "SELECT jet_intdiv(5, 1e300)", "SELECT jet_ccur(1e999)",
                            "SELECT jet_ccur(-1e16)", "SELECT jet_cdate(1e300)"}) {
        ASSERT_EQ(sqlite3_prepare_v2(f.Handle(""), sql, -1, &stmt, nullptr), SQLITE_OK);
        EXPECT_EQ(sqlite3_step(stmt), SQLITE_ERROR) << sql;
        EXPECT_EQ(std::string(sqlite3_errmsg(f.Handle(""))).rfind("jet:6 ", 0), 0u) << sql;
        sqlite3_finalize(stmt);
    }
}

TEST(FunctionsErrors, AConversionFailureCarriesTheRuntimeNumber) {
    MemoryFiles f;
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(f.Handle(""), "SELECT jet_cdate('no date')", -1, &stmt, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_step(stmt), SQLITE_ERROR);
    EXPECT_EQ(std::string(sqlite3_errmsg(f.Handle(""))).rfind("jet:13 ", 0), 0u);
    sqlite3_finalize(stmt);
}

TEST(FunctionsPlan, AnIndexedDateColumnIsSearchedWithTheConvertedBound) {
    MemoryFiles f;
    f.Exec("CREATE TABLE Venda (\"Data Venda\" DATETIME); CREATE INDEX VendaData ON Venda (\"Data Venda\")");
    Translation tr = TranslateJetSql(
        "SELECT Venda.[Data Venda] FROM Venda WHERE Venda.[Data Venda] >= CDate(Format(' 01/02/24 ','D/M/YYYY'))", f);
    auto plan = f.Rows("EXPLAIN QUERY PLAN " + tr.sql);
    ASSERT_FALSE(plan.empty());
    EXPECT_NE(plan[0].find("USING COVERING INDEX VendaData"), std::string::npos) << plan[0];
}

}  // namespace
}  // namespace dao::sql::testing
