// The operators and functions of the system's statements where the runtime raises an error: each
// expression is read through a recordset of the engine, as the program reads it, and gives either
// its value or the runtime's error number, never a Null, an empty text or a zero in its place.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "platform/dao/dao.h"
#include "platform/dao/sql/tests/sql_fixture.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"

namespace dao::sql::testing {
namespace {

struct ArithmeticCase {
    const char* expression;
    const char* value;  // as CStr gives it, "Null" for Null; unused when `error` is set
    long error;
};

inline void PrintTo(const ArithmeticCase& row, std::ostream* out) { *out << row.expression; }

class Arithmetic : public ::testing::TestWithParam<ArithmeticCase> {
protected:
    static void SetUpTestSuite() {
        root_ = new win::testing::TempMachineRoot();
        std::filesystem::create_directories(root_->DriveC() / "LOJA");
        // One row: n Double 2.5, z Long 0, c Currency 12.5, t Text " Ação ", d a date, u Null.
        WriteSqliteFile(root_->DriveC() / "LOJA" / "Produto.mdb",
                        "CREATE TABLE V (n DOUBLE, z LONG, c CURRENCY, t TEXT(20) COLLATE JETTEXT, d DATETIME, u LONG);"
                        "INSERT INTO V VALUES (2.5, 0, 12.5, ' Ação ', 37530.75, NULL)");
    }
    static void TearDownTestSuite() {
        delete root_;
        root_ = nullptr;
    }
    static inline win::testing::TempMachineRoot* root_ = nullptr;
};

TEST_P(Arithmetic, GivesTheValueOrTheRuntimeError) {
    const ArithmeticCase& row = GetParam();
    DBEngine engine;
    Database db = engine.OpenDatabase("C:\\LOJA\\Produto.mdb");
    std::string text;
    const long error = win::testing::ErrorNumberOf([&] {
        Recordset rs = db.OpenRecordset(std::string("SELECT ") + row.expression + " AS x FROM V");
        const Value value = rs(0).GetValue();
        text = value.IsNull() ? "Null" : value.ToText();
    });
    EXPECT_EQ(error, row.error) << row.expression << " gave " << text;
    if (row.error == 0) {
        EXPECT_EQ(text, row.value) << row.expression;
    }
}

const ArithmeticCase kArithmeticCases[] = {
    // Division: a zero divisor is 11, 0 / 0 is 6, Null on either side is Null.
    {"7 / 2", "3,5", 0},
    {"c / 4", "3,125", 0},
    {"'1,5' / 1", "1,5", 0},
    {"1 / 0", "", 11},
    {"n / z", "", 11},
    {"c / 0", "", 11},
    {"0 / 0", "", 6},
    {"z / z", "", 6},
    {"Null / 0", "Null", 0},
    {"n / u", "Null", 0},
    {"1E308 / 1E-10", "", 6},
    {"IIf(z = 0, 0, n / z)", "0", 0},
    {"7 \\ 0", "", 11},
    {"7 Mod z", "", 11},
    {"u \\ 2", "Null", 0},
    {"7 Mod u", "Null", 0},
    // Sums, differences and products beyond a Double's range overflow; whole numbers widen.
    {"1E308 * 10", "", 6},
    {"n * 1E308", "", 6},
    {"1E308 + 1E308", "", 6},
    {"-1E308 - 1E308", "", 6},
    {"1E308 * 10 * 0", "", 6},
    {"(1E308 * 10) > 0", "", 6},
    {"'1E308' + 1E308", "", 6},
    {"2147483647 + 1", "2147483648", 0},
    {"n * 2 + 1", "6", 0},
    {"c * 2 - 5", "20", 0},
    // Number literals: one beyond a Double's range overflows, one too small for it is 0.
    {"1E309", "", 6},
    {"-1E309", "", 6},
    {"1000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
     "0000000000000000000000000000000000000000",
     "", 6},
    {"1E-400", "0", 0},
    // Powers.
    {"2 ^ 10", "1024", 0},
    {"2 ^ -1", "0,5", 0},
    {"(-2) ^ 3", "-8", 0},
    {"10 ^ 400", "", 6},
    {"(-8) ^ (1 / 3)", "", 5},
    {"0 ^ -1", "", 5},
    {"u ^ 2", "Null", 0},
    // Characters: a negative length or a start below 1 is 5, a Null count 94.
    {"Left(t, -1)", "", 5},
    {"Right(t, -1)", "", 5},
    {"Mid(t, 0)", "", 5},
    {"Mid(t, 1, -1)", "", 5},
    {"Left(t, u)", "", 94},
    {"Mid(t, 2, u)", "", 94},
    {"InStr(0, t, 'a')", "", 5},
    {"Left(t, 0)", "", 0},
    {"Left(t, 99)", " Ação ", 0},
    {"Right(t, 3)", "ão ", 0},
    {"Mid(t & ' ' & u, 1, 45)", " Ação  ", 0},
    {"Mid(u, 1, 45)", "Null", 0},
    {"Trim(t)", "Ação", 0},
    {"Trim(u)", "Null", 0},
    // Conversions: out of the target's range 6, a text that is no number or date 13.
    {"CCur(n)", "2,5", 0},
    {"CCur(1E16)", "", 6},
    {"CCur('doze')", "", 13},
    {"CInt(40000)", "", 6},
    {"CLng(3E9)", "", 6},
    {"CDate(1E300)", "", 6},
    {"CDate('não é data')", "", 13},
    {"Format(CDate(d), 'dd/mm/yyyy')", "01/10/2002", 0},
    {"CDate(Format(' 01/02/24 ', 'D/M/YYYY'))", "01/02/2024", 0},
    {"Format(u, '00')", "Null", 0},
    // Comparisons, joins and tests the statements and criteria write.
    {"n > u", "Null", 0},
    {"n >= 2.5 And z <= 0", "True", 0},
    {"t Like '*çã*'", "True", 0},
    {"u Is Null Or n <> 2.5", "True", 0},
    {"u & u", "Null", 0},
    {"Sum(c)", "12,5", 0},
    {"First(t)", " Ação ", 0},
};

INSTANTIATE_TEST_SUITE_P(Jet, Arithmetic, ::testing::ValuesIn(kArithmeticCases));

}  // namespace
}  // namespace dao::sql::testing
