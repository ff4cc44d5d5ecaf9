// Field changes made inside a transaction: what the file holds after the commit or the rollback,
// what the object model sees meanwhile, and how often the file's schema is rewritten.
#include <sqlite3.h>

#include "platform/dao/model.h"
#include "platform/dao/tests/fixture.h"

namespace dao::testing {
namespace {

// The file as another reader sees it: its columns with their declared types, its schema cookie
// and SQLite's own verdict on it.
struct FileView {
    std::vector<std::string> columns;  // "name TYPE"
    int schemaVersion = -1;
    std::string integrity;
};

FileView ReadFile(const std::filesystem::path& host, const std::string& table) {
    FileView view;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(host.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return view;
    }
    const auto each = [db](const std::string& sql, const std::function<void(sqlite3_stmt*)>& row) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW) row(stmt);
        }
        sqlite3_finalize(stmt);
    };
    const auto text = [](sqlite3_stmt* stmt, int i) {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        return std::string(t ? t : "");
    };
    each("SELECT name, type FROM pragma_table_info('" + table + "')",
         [&](sqlite3_stmt* s) { view.columns.push_back(text(s, 0) + " " + text(s, 1)); });
    each("PRAGMA schema_version", [&](sqlite3_stmt* s) { view.schemaVersion = sqlite3_column_int(s, 0); });
    each("PRAGMA integrity_check", [&](sqlite3_stmt* s) { view.integrity += text(s, 0); });
    sqlite3_close(db);
    return view;
}

void RunSql(const std::filesystem::path& host, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(host.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

void Append(const TableDef& table, const std::string& name, DataType type, int size = 0) {
    table.Fields().Append(table.CreateField(name, Value::Long(static_cast<int>(type)), Value::Long(size)));
}

std::vector<std::string> FieldNames(const TableDef& table) {
    std::vector<std::string> names;
    for (int i = 0; i < table.Fields().Count(); ++i) names.push_back(table.Fields().Item(i).Name());
    return names;
}

// Writes "ana" into Nome of the first record of Tabela.
void WriteNome(const Database& db) {
    Recordset rs = db.OpenRecordset("Tabela", dbOpenTable);
    rs.MoveFirst();
    rs.Edit();
    rs("Nome").SetValue(Value("ana"));
    rs.Update();
    rs.Close();
}

class KeptBackTest : public DaoTest {
protected:
    KeptBackTest() : db_(Create("Loja.MDB")) {}

    FileView File(const std::string& table) const { return ReadFile(Host("Loja.MDB"), table); }

    Database db_;
};

struct Scenario {
    const char* what;
    std::vector<FieldSpec> start;  // the table before the transaction
    bool withRow;                  // the table holds a record (Código 7, the rest Null)
    std::function<void(const Database&, const TableDef&)> changes;  // inside the transaction
    bool commit;
    std::vector<std::string> fileColumns;  // after the transaction
};

TEST_F(KeptBackTest, FieldChangesInATransactionReachTheFileExactlyAsMade) {
    const Scenario scenarios[] = {
        {"three fields added, committed", {{"Campo", DataType::Text, 1}}, false,
         [](auto&, auto& t) {
             Append(t, "Código", DataType::Long);
             Append(t, "Descrição", DataType::Text, 30);
             Append(t, "Preço", DataType::Currency);
         },
         true, {"Campo TEXT(1)", "Código LONG", "Descrição TEXT(30)", "Preço CURRENCY"}},
        {"fields added, rolled back", {{"Campo", DataType::Text, 1}}, false,
         [](auto&, auto& t) {
             Append(t, "Código", DataType::Long);
             Append(t, "Nome", DataType::Memo);
         },
         false, {"Campo TEXT(1)"}},
        {"placeholder dropped from an empty table after the fields came", {{"Campo", DataType::Text, 1}}, false,
         [](auto&, auto& t) {
             Append(t, "Código", DataType::Long);
             t.Fields().Delete("Campo");
             Append(t, "Data", DataType::Date);
         },
         true, {"Código LONG", "Data DATETIME"}},
        {"field dropped from a table holding a record keeps the record's values in place",
         {{"Código", DataType::Long, 0}, {"Campo", DataType::Text, 1}, {"Nome", DataType::Text, 20}}, true,
         [](auto& db, auto& t) {
             t.Fields().Delete("Campo");
             WriteNome(db);
         },
         true, {"Código LONG", "Nome TEXT(20)"}},
        {"field added then written and read back through a recordset", {{"Código", DataType::Long, 0}}, true,
         [](auto& db, auto& t) {
             Append(t, "Nome", DataType::Text, 20);
             WriteNome(db);
             Append(t, "Total", DataType::Double);
         },
         true, {"Código LONG", "Nome TEXT(20)", "Total DOUBLE"}},
        {"index on a field added in the same transaction", {{"Campo", DataType::Text, 1}}, false,
         [](auto&, auto& t) {
             Append(t, "Código", DataType::Long);
             AddIndex(t, "IndCódigo", {"Código"}, true);
             Append(t, "Nome", DataType::Text, 20);
         },
         true, {"Campo TEXT(1)", "Código LONG", "Nome TEXT(20)"}},
        {"field renamed after it was added", {{"Campo", DataType::Text, 1}}, false,
         [](auto&, auto& t) {
             Append(t, "Preço01", DataType::Double);
             t.Fields().Item("Preço01").Properties().Item("Name").SetValue(Value("Preço"));
         },
         true, {"Campo TEXT(1)", "Preço DOUBLE"}},
    };
    for (const auto& s : scenarios) {
        SCOPED_TRACE(s.what);
        const std::string name = "Tabela";
        const TableDef table = MakeTable(db_, name, s.start);
        if (s.withRow) AddRow(db_, name, {{"Código", Value::Long(7)}});
        engine_.BeginTrans();
        s.changes(db_, table);
        if (s.commit) engine_.CommitTrans();
        else engine_.Rollback();

        const FileView file = File(name);
        EXPECT_EQ(file.columns, s.fileColumns);
        EXPECT_EQ(file.integrity, "ok");
        std::vector<std::string> expected;
        for (const auto& column : s.fileColumns) expected.push_back(column.substr(0, column.find(' ')));
        EXPECT_EQ(FieldNames(db_.TableDefs().Item(name)), expected);
        if (s.withRow) {
            Recordset rs = db_.OpenRecordset(name, dbOpenTable);
            rs.MoveFirst();
            EXPECT_EQ(rs("Código").GetValue().ToLong(), 7);
            if (s.commit) {
                EXPECT_EQ(rs("Nome").GetValue().ToText(), "ana");
            }
            rs.Close();
        }
        db_.TableDefs().Delete(name);
    }
}

TEST_F(KeptBackTest, AllFieldChangesOfATransactionRewriteTheSchemaOnce) {
    const TableDef table = MakeTable(db_, "Tabela", {{"Campo", DataType::Text, 1}});
    const int before = File("Tabela").schemaVersion;
    engine_.BeginTrans();
    for (const char* name : {"A", "B", "C", "D", "E"}) Append(table, name, DataType::Long);
    table.Fields().Delete("Campo");
    // The object model sees each change at once.
    EXPECT_EQ(FieldNames(table), (std::vector<std::string>{"A", "B", "C", "D", "E"}));
    EXPECT_EQ(ErrorNumberOf([&] { Append(table, "c", DataType::Long); }), 3191);
    engine_.CommitTrans();
    EXPECT_EQ(File("Tabela").schemaVersion, before + 1);
}

TEST_F(KeptBackTest, AnInnerLevelRolledBackTakesOnlyItsOwnFields) {
    const TableDef table = MakeTable(db_, "Tabela", {{"Campo", DataType::Text, 1}});
    engine_.BeginTrans();
    Append(table, "Fora", DataType::Long);
    engine_.BeginTrans();
    Append(table, "Dentro", DataType::Long);
    table.Fields().Delete("Campo");
    EXPECT_EQ(FieldNames(table), (std::vector<std::string>{"Fora", "Dentro"}));
    engine_.Rollback();
    EXPECT_EQ(FieldNames(table), (std::vector<std::string>{"Campo", "Fora"}));
    engine_.CommitTrans();
    EXPECT_EQ(File("Tabela").columns, (std::vector<std::string>{"Campo TEXT(1)", "Fora LONG"}));
}

TEST_F(KeptBackTest, FieldPropertiesOfAddedFieldsSurviveTheCommit) {
    const TableDef table = MakeTable(db_, "Tabela", {{"Campo", DataType::Text, 1}});
    engine_.BeginTrans();
    Append(table, "Data", DataType::Date);
    Field data = table.Fields().Item("Data");
    data.Properties().Append(data.CreateProperty("Format", 10, Value(0)));
    data.Properties().Item("Format").SetValue(Value("Short Date"));
    table.Fields().Delete("Campo");
    engine_.CommitTrans();
    EXPECT_EQ(table.Fields().Item("Data").Properties().Item("Format").GetValue().ToText(), "Short Date");
    EXPECT_EQ(table.Fields().Item("Data").Type(), DataType::Date);
}

// A table whose stored text the engine did not write is changed by SQLite's own statements.
TEST_F(KeptBackTest, ATableWrittenByOtherTextIsChangedFieldByField) {
    db_.Close();
    RunSql(Host("Loja.MDB"), "create table Outra(Código LONG,   Nome TEXT(10) COLLATE NOCASE)");
    db_ = engine_.OpenDatabase(Path("Loja.MDB"));
    const TableDef table = db_.TableDefs().Item("Outra");
    engine_.BeginTrans();
    Append(table, "Total", DataType::Double);
    table.Fields().Delete("Nome");
    engine_.CommitTrans();
    EXPECT_EQ(File("Outra").columns, (std::vector<std::string>{"Código LONG", "Total DOUBLE"}));
    EXPECT_EQ(File("Outra").integrity, "ok");
}

// SQLite's defensive mode refuses writes to its schema table: the changes still reach the file.
TEST_F(KeptBackTest, ALibraryThatRefusesSchemaWritesGetsTheChangesAsItsOwnStatements) {
    const TableDef table = MakeTable(db_, "Tabela", {{"Campo", DataType::Text, 1}});
    ASSERT_EQ(sqlite3_db_config(table.State()->db->Conn().RawHandle(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr), SQLITE_OK);
    engine_.BeginTrans();
    Append(table, "A", DataType::Long);
    table.Fields().Delete("Campo");
    Append(table, "B", DataType::Text, 5);
    engine_.CommitTrans();
    EXPECT_EQ(File("Tabela").columns, (std::vector<std::string>{"A LONG", "B TEXT(5)"}));
    EXPECT_EQ(File("Tabela").integrity, "ok");
    EXPECT_EQ(FieldNames(table), (std::vector<std::string>{"A", "B"}));
}

}  // namespace
}  // namespace dao::testing
