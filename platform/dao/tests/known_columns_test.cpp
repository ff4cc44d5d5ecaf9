// A table's fields are read from the file once and kept while its structure stays as it was. Each
// case reads a table's fields, changes its structure some way (this engine, another process writing
// the file, a rollback that brings the schema cookie back) and expects the fields read afterwards to
// be the file's.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/dao/model.h"
#include "platform/dao/tests/fixture.h"

namespace dao::testing {
namespace {

class KnownColumnsTest : public DaoTest {
public:
    std::vector<std::string> FieldNames(const std::string& table) {
        const Fields fields = db_.TableDefs().Item(table).Fields();
        std::vector<std::string> names;
        for (int i = 0; i < fields.Count(); ++i) names.push_back(fields.Item(i).Name());
        return names;
    }
    // Another station: a separate process that opens the file with SQLite of its own, runs `sql`
    // and ends. Its exit status says whether the statements ran.
    void OtherConnection(const std::string& sql) {
        const std::string file = Host("Loja.mdb").string();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            sqlite3* db = nullptr;
            const bool ran = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                             sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
            sqlite3_close(db);
            _exit(ran ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << sql;
    }

    Database db_ = Create("Loja.mdb");
};

TEST_F(KnownColumnsTest, FieldsReadAfterAStructureChangeAreTheFilesFields) {
    struct Case {
        const char* name;
        std::function<void(KnownColumnsTest&)> change;
        std::vector<std::string> expected;  // the fields of Produto afterwards
    };
    const std::vector<Case> cases = {
        {"nothing changed", [](KnownColumnsTest&) {}, {"Codigo", "Nome"}},
        {"a field appended here",
         [](KnownColumnsTest& t) {
             const TableDef table = t.db_.TableDefs().Item("Produto");
             table.Fields().Append(table.CreateField("Preco", Value::Long(static_cast<int>(DataType::Currency))));
         },
         {"Codigo", "Nome", "Preco"}},
        {"a field deleted here",
         [](KnownColumnsTest& t) { t.db_.TableDefs().Item("Produto").Fields().Delete("Nome"); },
         {"Codigo"}},
        {"a column added by another connection",
         [](KnownColumnsTest& t) { t.OtherConnection("ALTER TABLE Produto ADD COLUMN Estoque LONG"); },
         {"Codigo", "Nome", "Estoque"}},
        {"a column dropped by another connection",
         [](KnownColumnsTest& t) { t.OtherConnection("ALTER TABLE Produto DROP COLUMN Nome"); },
         {"Codigo"}},
        {"the table dropped and made again by another connection",
         [](KnownColumnsTest& t) {
             t.OtherConnection("DROP TABLE Produto; CREATE TABLE Produto (Referencia TEXT(10), Codigo LONG)");
         },
         {"Referencia", "Codigo"}},
        {"the table dropped and made again by SQL here",
         [](KnownColumnsTest& t) {
             t.db_.Execute("DROP TABLE Produto");
             t.db_.Execute("SELECT Codigo AS Nome, Codigo INTO Produto FROM Cor");
         },
         {"Nome", "Codigo"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* table : {"Produto", "Cor"}) {
            if (db_.TableDefs().Count() > 0 && ErrorNumberOf([&] { db_.TableDefs().Item(table); }) == 0) {
                db_.TableDefs().Delete(table);
            }
        }
        MakeTable(db_, "Produto", {{"Codigo", DataType::Long, 0}, {"Nome", DataType::Text, 50}});
        MakeTable(db_, "Cor", {{"Codigo", DataType::Long, 0}});
        ASSERT_EQ(FieldNames("Produto"), (std::vector<std::string>{"Codigo", "Nome"}));
        c.change(*this);
        EXPECT_EQ(FieldNames("Produto"), c.expected);
        EXPECT_EQ(FieldNames("Produto"), c.expected) << "read a second time";
    }
}

// A rollback brings the schema cookie back to its value before the transaction; another station's
// next structure change then gives the cookie the value it had inside the rolled-back transaction,
// over another structure.
TEST_F(KnownColumnsTest, ATableAnotherStationMakesAfterARollbackShowsItsOwnFields) {
    MakeTable(db_, "Produto", {{"Codigo", DataType::Long, 0}, {"Nome", DataType::Text, 50}});
    for (const bool nested : {false, true}) {
        SCOPED_TRACE(nested ? "an inner transaction rolled back" : "the transaction rolled back");
        engine_.BeginTrans();
        if (nested) engine_.BeginTrans();
        db_.Execute("SELECT Nome INTO Copia FROM Produto");
        ASSERT_EQ(FieldNames("Copia"), std::vector<std::string>{"Nome"});
        engine_.Rollback();
        if (nested) engine_.CommitTrans();
        OtherConnection("CREATE TABLE Copia (Codigo LONG)");
        EXPECT_EQ(FieldNames("Copia"), std::vector<std::string>{"Codigo"});
        OtherConnection("DROP TABLE Copia");
    }
}

}  // namespace
}  // namespace dao::testing
