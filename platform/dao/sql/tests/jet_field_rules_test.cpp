// Values written by statements keep the field rules the object model keeps: a Text too long for
// its field, a number out of its field's range, a text that does not convert. With dbFailOnError
// the statement fails with the engine's number and writes nothing; without it the rows that break
// a rule are skipped and the others written. The copies run in one file and between two files.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/dao/collation.h"
#include "platform/dao/dao.h"
#include "platform/dao/sql/tests/sql_fixture.h"
#include "platform/win/error.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"

namespace dao::sql::testing {
namespace {

constexpr const char* kTables =
    "CREATE TABLE Alvo (Codigo LONG, Nome TEXT(5) COLLATE JETTEXT, L LONG, D DATETIME, I SHORT);"
    "INSERT INTO Alvo VALUES (1, 'um', 1, 36000, 1), (2, 'dois', 2, 36000, 2), (3, 'tres', 3, 36000, 3);"
    "CREATE TABLE Fonte (Codigo LONG, Nome TEXT(40) COLLATE JETTEXT, Valor TEXT(20) COLLATE JETTEXT);"
    "INSERT INTO Fonte VALUES (10, 'curto', '5'), (11, 'longo demais', '6'), (12, 'ok', 'abc'),"
    " (13, 'ok', '3000000000'), (14, 'fim', '7');";

class FieldRules : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root.DriveC() / "LOJA");
        Write("Loja.mdb", kTables);
        Write("Outra.mdb", kTables);
        engine.SetBusyTimeout(0);
        db = engine.OpenDatabase("C:\\LOJA\\Loja.mdb");
    }

    void Write(const std::string& file, const std::string& sql) { WriteSqliteFile(root.DriveC() / "LOJA" / file, sql); }

    // Every row of Alvo in `file` as "Codigo|Nome|L|D|I" (Null as "-").
    std::vector<std::string> Rows(const std::string& file = "Loja.mdb") {
        Database where = file == "Loja.mdb" ? db : engine.OpenDatabase("C:\\LOJA\\" + file);
        std::vector<std::string> out;
        Recordset rs = where.OpenRecordset("SELECT * FROM Alvo ORDER BY Codigo");
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string row;
            for (int i = 0; i < 5; ++i) {
                const Value v = rs(i).GetValue();
                row += (i ? "|" : "") + (v.IsNull() ? std::string("-") : v.ToText());
            }
            out.push_back(row);
        }
        return out;
    }

    long Run(const std::string& sql, int options) {
        return win::testing::ErrorNumberOf([&] { db.Execute(sql, options); });
    }

    win::testing::TempMachineRoot root;
    DBEngine engine;
    Database db{nullptr};
};

TEST_F(FieldRules, UnderFailOnErrorAStatementFailsWithTheFieldsNumberAndWritesNothing) {
    struct Case {
        const char* sql;
        long number;
    };
    const Case cases[] = {
        {"INSERT INTO Alvo (Codigo, Nome) VALUES (9, 'abcdef')", 3163},
        {"INSERT INTO Alvo (Codigo, L) VALUES (9, 3000000000)", 3349},
        {"INSERT INTO Alvo (Codigo, I) VALUES (9, 40000)", 3349},
        {"INSERT INTO Alvo (Codigo, L) VALUES (9, 'abc')", 3421},
        {"INSERT INTO Alvo (Codigo, D) VALUES (9, 'not a date')", 3421},
        {"UPDATE Alvo SET Nome = 'abcdef'", 3163},
        {"UPDATE Alvo SET Nome = Nome & 'xx' WHERE Codigo > 1", 3163},
        {"UPDATE Alvo SET L = 3000000000 WHERE Codigo = 3", 3349},
        {"UPDATE Alvo SET L = 'abc'", 3421},
        {"UPDATE Alvo SET D = 'not a date'", 3421},
        {"INSERT INTO Alvo (Codigo, Nome) SELECT Codigo + 10, Nome & 'xx' FROM Alvo", 3163},
        {"INSERT INTO Alvo (Codigo, Nome, L) SELECT Codigo, Nome, Valor FROM Fonte", 3163},
        {"INSERT INTO Alvo (Codigo, L) SELECT Codigo, Valor FROM Fonte WHERE Codigo > 11", 3421},
        {"INSERT INTO Alvo (Codigo, L) SELECT Codigo, Valor FROM Fonte WHERE Codigo > 12", 3349},
        {"INSERT INTO Alvo IN 'C:\\LOJA\\Loja.mdb' (Codigo, Nome) SELECT Codigo, Nome FROM Fonte", 3163},
    };
    const auto before = Rows();
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.sql, dbFailOnError), c.number) << c.sql;
        EXPECT_EQ(Rows(), before) << c.sql;
    }
}

TEST_F(FieldRules, ACopyIntoAnotherFileKeepsTheRulesOfItsTarget) {
    const std::string copy = "INSERT INTO Alvo IN 'C:\\LOJA\\Outra.mdb' (Codigo, Nome, L) SELECT Codigo, Nome, Valor FROM Fonte";
    const auto before = Rows("Outra.mdb");
    EXPECT_EQ(Run(copy, dbFailOnError), 3163);
    EXPECT_EQ(Rows("Outra.mdb"), before);
    EXPECT_EQ(Run(copy, 0), 0);
    EXPECT_EQ(db.RecordsAffected(), 2);
    auto after = before;
    after.push_back("10|curto|5|-|-");
    after.push_back("14|fim|7|-|-");
    EXPECT_EQ(Rows("Outra.mdb"), after);
}

TEST_F(FieldRules, WithoutFailOnErrorTheRowsThatBreakARuleAreSkipped) {
    EXPECT_EQ(Run("INSERT INTO Alvo (Codigo, Nome, L) SELECT Codigo, Nome, Valor FROM Fonte", 0), 0);
    EXPECT_EQ(db.RecordsAffected(), 2);
    EXPECT_EQ(Run("INSERT INTO Alvo (Codigo, L) VALUES (20, 'abc')", 0), 0);
    EXPECT_EQ(db.RecordsAffected(), 0);
    EXPECT_EQ(Run("UPDATE Alvo SET L = IIf(Codigo = 2, 'abc', Codigo * 10) WHERE Codigo < 10", 0), 0);
    EXPECT_EQ(db.RecordsAffected(), 2);
    EXPECT_EQ(Run("UPDATE Alvo SET Nome = Nome & 'zz' WHERE Codigo < 10", 0), 0);
    EXPECT_EQ(db.RecordsAffected(), 1);  // "dois" and "tres" would need six characters
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1|umzz|10|24/07/1998|1", "2|dois|2|24/07/1998|2", "3|tres|30|24/07/1998|3",
                                                "10|curto|5|-|-", "14|fim|7|-|-"}));
}

TEST_F(FieldRules, ValuesThatFitAreConvertedAsTheFieldStoresThem) {
    EXPECT_EQ(Run("INSERT INTO Alvo (Codigo, Nome, L, D, I) VALUES ('21', 12345, '2,5', '01/02/2003', 7.5)", dbFailOnError), 0);
    EXPECT_EQ(Run("SELECT Codigo, Nome INTO Copia FROM Fonte WHERE Codigo = 11", dbFailOnError), 0);
    EXPECT_EQ(Rows().back(), "21|12345|2|01/02/2003|8");
    Recordset copy = db.OpenRecordset("SELECT Nome FROM Copia");
    EXPECT_EQ(copy(0).GetValue().ToText(), "longo demais");
}

}  // namespace
}  // namespace dao::sql::testing
