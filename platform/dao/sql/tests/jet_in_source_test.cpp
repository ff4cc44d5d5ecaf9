// Recordsets on queries that read another file (`FROM t IN 'file'`): every type of query recordset,
// stored queries by name, read-only fields, the password rules of such a source, and no hold on
// the other file once the rows are read.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/dao/connection.h"
#include "platform/dao/dao.h"
#include "platform/dao/sql/tests/sql_fixture.h"
#include "platform/win/error.h"
#include "platform/win/paths.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"

namespace dao::sql::testing {
namespace {

using win::testing::ErrorNumberOf;

constexpr const char* kBackup = "C:\\LOJA\\BACKUP.MDB";

class InSourceRecordsets : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root.DriveC() / "LOJA");
        Write("Produto.mdb",
              "CREATE TABLE Venda (\"Número\" LONG, Total CURRENCY);"
              "INSERT INTO Venda VALUES (1, 10.5);");
        Write("BACKUP.MDB",
              "CREATE TABLE Venda (CodLoja TEXT(2) COLLATE JETTEXT, \"Número\" LONG, Total CURRENCY);"
              "CREATE TABLE Loja (CodLoja TEXT(2) COLLATE JETTEXT, Nome TEXT(20) COLLATE JETTEXT);"
              "INSERT INTO Venda VALUES ('01', 1, 10.5), ('02', 1, 20), ('03', 7, 30.25), ('02', 2, 5);"
              "INSERT INTO Loja VALUES ('01', 'Centro'), ('02', 'Norte'), ('03', 'Sul');");
        engine.SetBusyTimeout(0);
        store = engine.OpenDatabase("C:\\LOJA\\Produto.mdb");
    }

    void Write(const std::string& file, const std::string& sql) { WriteSqliteFile(root.DriveC() / "LOJA" / file, sql); }

    // The rows of a recordset as "a|b" texts.
    static std::vector<std::string> Rows(Recordset rs) {
        std::vector<std::string> out;
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string row;
            for (int i = 0; i < rs.Fields().Count(); ++i) row += (i ? "|" : "") + rs(i).GetValue().ToText();
            out.push_back(row);
        }
        rs.Close();
        return out;
    }

    win::testing::TempMachineRoot root;
    DBEngine engine;
    Database store{nullptr};
};

TEST_F(InSourceRecordsets, ReadTheOtherFilesRowsAsSnapshotAndDynaset) {
    store.CreateQueryDef("Consolidada", "SELECT Venda.CodLoja, Venda.Total FROM Venda IN 'C:\\LOJA\\BACKUP.MDB' "
                                        "WHERE Venda.Total > 6 ORDER BY Venda.CodLoja;");
    struct Case {
        const char* source;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"SELECT Venda.CodLoja, Venda.Número FROM Venda IN 'C:\\LOJA\\BACKUP.MDB' ORDER BY Venda.CodLoja, Venda.Número",
         {"01|1", "02|1", "02|2", "03|7"}},
        // The path as any case spells it, the clause after an alias, a join inside the other file.
        {"SELECT v.CodLoja, Loja.Nome FROM Venda AS v INNER JOIN Loja ON v.CodLoja = Loja.CodLoja "
         "IN 'c:\\loja\\backup.mdb' WHERE v.Número = 1 ORDER BY Loja.Nome",
         {"01|Centro", "02|Norte"}},
        {"SELECT Count(*) AS Vendas, Sum(Venda.Total) AS Soma FROM Venda IN 'C:\\LOJA\\Backup.mdb' GROUP BY Venda.Número "
         "HAVING Count(*) > 1",
         {"2|30,5"}},
        // A stored query by name, criterion and order kept; the query as the one table of a SELECT.
        {"Consolidada", {"01|10,5", "02|20", "03|30,25"}},
        {"SELECT c.CodLoja FROM [Consolidada] AS c WHERE c.Total > 25", {"03"}},
        {"SELECT * FROM [Consolidada] WHERE 1 = 0", {}},
        // The file the query runs on, named as the other file: its own rows.
        {"SELECT Venda.Número FROM Venda IN 'C:\\LOJA\\PRODUTO.MDB'", {"1"}},
    };
    for (const Case& c : cases) {
        for (int type : {dbOpenSnapshot, dbOpenDynaset}) {
            EXPECT_EQ(Rows(store.OpenRecordset(c.source, type)), c.rows) << c.source << " type " << type;
        }
    }
    EXPECT_EQ(Rows(store.QueryDefs().Item("Consolidada").OpenRecordset(dbOpenSnapshot)),
              (std::vector<std::string>{"01|10,5", "02|20", "03|30,25"}));
}

TEST_F(InSourceRecordsets, AreReadOnlyAndNameTheirFieldsWithTheOtherFilesTypes) {
    Recordset rs = store.OpenRecordset("SELECT Venda.CodLoja, Venda.Total FROM Venda IN 'C:\\LOJA\\BACKUP.MDB'", dbOpenDynaset);
    EXPECT_EQ(rs.Fields().Item(0).Type(), DataType::Text);
    EXPECT_EQ(rs.Fields().Item(1).Type(), DataType::Currency);
    EXPECT_EQ(ErrorNumberOf([&] { rs.Edit(); }), 3027);
    EXPECT_EQ(ErrorNumberOf([&] { rs.AddNew(); }), 3027);
    EXPECT_EQ(ErrorNumberOf([&] { rs.Delete(); }), 3027);
    rs.Close();
}

TEST_F(InSourceRecordsets, KeepTheOtherFileOpenOnlyWhileReading) {
    Recordset rs = store.OpenRecordset("SELECT Venda.CodLoja FROM Venda IN 'C:\\LOJA\\BACKUP.MDB'", dbOpenSnapshot);
    EXPECT_EQ(rs.RecordCount(), 4);
    // The rows are read: the file may be renamed, compacted or deleted by another step now.
    EXPECT_FALSE(FileHeldOpen(win::HostPath(kBackup)));
    rs.Close();
}

TEST_F(InSourceRecordsets, FollowThePasswordRulesOfOtherFiles) {
    {
        Database backup = engine.OpenDatabase(kBackup, true);
        backup.NewPassword("", "TORPAL");
        backup.Close();
    }
    const std::string sql = "SELECT Venda.CodLoja FROM Venda IN 'C:\\LOJA\\BACKUP.MDB' WHERE Venda.Número = 7";
    struct Case {
        const char* when;
        std::function<void()> before;
        long number;
    };
    Database held{nullptr};
    const Case cases[] = {
        {"a protected file nobody holds open", [] {}, 3031},
        // A file this engine holds open, either way, is read through that open: its password was
        // given then.
        {"held open read-only", [&] { held = engine.OpenDatabase(kBackup, false, true, ";PWD=TORPAL"); }, 0},
        {"held open for writing", [&] { held = engine.OpenDatabase(kBackup, false, false, ";PWD=TORPAL"); }, 0},
        {"closed again", [] {}, 3031},
    };
    for (const Case& c : cases) {
        c.before();
        std::vector<std::string> rows;
        EXPECT_EQ(ErrorNumberOf([&] { rows = Rows(store.OpenRecordset(sql, dbOpenSnapshot)); }), c.number) << c.when;
        if (c.number == 0) {
            EXPECT_EQ(rows, std::vector<std::string>{"03"}) << c.when;
        }
        if (held.State()) held.Close();
    }
}

TEST_F(InSourceRecordsets, SeeWhatTheOpenTransactionWroteToTheOtherFile) {
    Database backup = engine.OpenDatabase(kBackup);
    const std::string sql = "SELECT Count(*) AS n FROM Venda IN 'C:\\LOJA\\BACKUP.MDB'";
    engine.BeginTrans();
    backup.Execute("DELETE * FROM Venda WHERE Venda.CodLoja = '02'");
    EXPECT_EQ(Rows(store.OpenRecordset(sql, dbOpenSnapshot)), std::vector<std::string>{"2"});
    engine.Rollback();
    EXPECT_EQ(Rows(store.OpenRecordset(sql, dbOpenSnapshot)), std::vector<std::string>{"4"});
    backup.Close();
}

TEST_F(InSourceRecordsets, RaiseTheOpenAndNameErrorsOfTheOtherFile) {
    store.CreateQueryDef("Consolidada", "SELECT Venda.CodLoja FROM Venda IN 'C:\\LOJA\\BACKUP.MDB'");
    struct Case {
        const char* sql;
        long number;
    };
    const Case cases[] = {
        {"SELECT Venda.CodLoja FROM Venda IN 'C:\\LOJA\\Nada.mdb'", 3024},
        {"SELECT Venda.CodLoja FROM Venda IN 'C:\\Falta\\BACKUP.MDB'", 3044},
        {"SELECT Cor.Código FROM Cor IN 'C:\\LOJA\\BACKUP.MDB'", 3078},
        // The own file's Venda has no CodLoja: the name is looked up in the other file only.
        {"SELECT Venda.CodLoja FROM Venda IN 'C:\\LOJA\\Produto.mdb'", 3061},
        // One statement reads one file: a query reading another file beside a table of this one.
        {"SELECT Venda.Número FROM Venda, Consolidada", 3131},
        {"SELECT Venda.Número FROM Consolidada, Venda", 3131},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ErrorNumberOf([&] { store.OpenRecordset(c.sql, dbOpenSnapshot).Close(); }), c.number) << c.sql;
    }
}

}  // namespace
}  // namespace dao::sql::testing
