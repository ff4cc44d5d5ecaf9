// Statements run through the engine's own objects: files opened by Windows path, copies into
// another file inside the workspace transaction, the translation cache.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/dao/collation.h"
#include "platform/dao/dao.h"
#include "platform/dao/sql/jet_execute.h"
#include "platform/dao/sql/tests/sql_fixture.h"
#include "platform/win/error.h"
#include "platform/win/testing/temp_machine_root.h"

namespace dao::sql::testing {
namespace {

class EngineStatements : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root.DriveC() / "LOJA");
        Write("Produto.mdb",
              "CREATE TABLE Cor (\"Código\" LONG, \"Descrição\" TEXT(20) COLLATE JETTEXT);"
              "INSERT INTO Cor VALUES (1, 'Azul'), (2, 'Verde'), (3, 'Cinza');");
        Write("BACKUP.MDB",
              "CREATE TABLE Chave (\"Código\" LONG NOT NULL, \"Descrição\" TEXT(20) COLLATE JETTEXT);"
              "CREATE UNIQUE INDEX ChaveCodigo ON Chave (\"Código\"); INSERT INTO Chave VALUES (2, 'antes');");
        engine.SetBusyTimeout(0);
        store = engine.OpenDatabase("C:\\LOJA\\Produto.mdb");
    }

    void Write(const std::string& file, const std::string& sql) { WriteSqliteFile(root.DriveC() / "LOJA" / file, sql); }

    std::vector<std::string> Codes(Database db, const std::string& sql) {
        std::vector<std::string> out;
        Recordset rs = db.OpenRecordset(sql);
        for (; !rs.Eof(); rs.MoveNext()) out.push_back(rs(0).GetValue().ToText());
        rs.Close();
        return out;
    }

    win::testing::TempMachineRoot root;
    DBEngine engine;
    Database store{nullptr};
};

TEST_F(EngineStatements, CopyIntoAnotherFileFollowsTheWorkspaceTransaction) {
    const std::string copy = "SELECT Cor.* INTO Cor IN 'C:\\LOJA\\BACKUP.MDB' FROM Cor";
    engine.BeginTrans();
    store.Execute(copy);
    EXPECT_EQ(store.RecordsAffected(), 3);
    engine.Rollback();
    Database backup = engine.OpenDatabase("C:\\LOJA\\Backup.mdb");
    EXPECT_THROW(backup.OpenRecordset("SELECT Cor.Código FROM Cor"), win::RuntimeError);

    engine.BeginTrans();
    store.Execute(copy);
    engine.CommitTrans();
    EXPECT_EQ(Codes(backup, "SELECT Cor.Código FROM Cor ORDER BY Cor.Código"), (std::vector<std::string>{"1", "2", "3"}));
    try {
        store.Execute(copy);
        FAIL() << "the second copy must meet the table";
    } catch (const win::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 3010);
    }
}

TEST_F(EngineStatements, ExecuteSkipsRefusedRowsUnlessAskedToFail) {
    const std::string copy = "INSERT INTO Chave IN 'C:\\LOJA\\BACKUP.MDB' SELECT Cor.* FROM Cor";
    EXPECT_THROW(store.Execute(copy, dbFailOnError), win::RuntimeError);
    Database backup = engine.OpenDatabase("C:\\LOJA\\BACKUP.MDB");
    // The failed statement leaves none of its rows.
    EXPECT_EQ(Codes(backup, "SELECT Código FROM Chave ORDER BY Código"), (std::vector<std::string>{"2"}));
    store.Execute(copy);
    EXPECT_EQ(store.RecordsAffected(), 2);
    EXPECT_EQ(Codes(backup, "SELECT Código FROM Chave ORDER BY Código"), (std::vector<std::string>{"1", "2", "3"}));
}

TEST_F(EngineStatements, TranslationsAreCachedByTextUntilTheSchemaMoves) {
    const std::string query = "SELECT Cor.Descrição FROM Cor WHERE Cor.Código = 2";
    EXPECT_EQ(Codes(store, query), (std::vector<std::string>{"Verde"}));
    auto hits = TranslationCacheHits();
    EXPECT_EQ(Codes(store, query), (std::vector<std::string>{"Verde"}));
    EXPECT_EQ(TranslationCacheHits(), hits + 1);
    store.Execute("DROP TABLE Cor");
    EXPECT_THROW(Codes(store, query), win::RuntimeError);
}

TEST_F(EngineStatements, ATargetThatIsTheExecutingFileRunsOnItsOwnConnection) {
    store.Execute("SELECT Cor.Código, First(Cor.Descrição) AS Descrição INTO CorUnica IN 'C:\\LOJA\\PRODUTO.MDB' "
                  "From Cor GROUP BY Cor.Código");
    EXPECT_EQ(Codes(store, "SELECT CorUnica.Descrição FROM CorUnica ORDER BY 1"),
              (std::vector<std::string>{"Azul", "Cinza", "Verde"}));
}

TEST_F(EngineStatements, StoredQueriesOpenByNameAndServeAsTables) {
    store.CreateQueryDef("CoresClaras", "SELECT Cor.Código, Cor.Descrição FROM Cor WHERE Cor.Descrição <> 'Cinza'");
    EXPECT_EQ(Codes(store, "CoresClaras"), (std::vector<std::string>{"1", "2"}));
    const std::string overQuery = "SELECT CORESCLARAS.Descrição FROM CoresClaras ORDER BY 1 DESC";
    EXPECT_EQ(Codes(store, overQuery), (std::vector<std::string>{"Verde", "Azul"}));
    store.QueryDefs().Delete("CoresClaras");
    store.CreateQueryDef("CoresClaras", "SELECT Cor.Código, Cor.Descrição FROM Cor WHERE Cor.Código > 1");
    EXPECT_EQ(Codes(store, overQuery), (std::vector<std::string>{"Verde", "Cinza"}));
}

TEST_F(EngineStatements, ExecuteRunsAStoredActionQueryByName) {
    store.CreateQueryDef("Apaga Cinza", "DELETE * FROM Cor WHERE Cor.Descrição = 'cinza'");
    store.Execute("[Apaga Cinza]");
    EXPECT_EQ(store.RecordsAffected(), 1);
    EXPECT_EQ(Codes(store, "SELECT Código FROM Cor ORDER BY 1"), (std::vector<std::string>{"1", "2"}));
}

TEST_F(EngineStatements, AMissingExternalFileRaisesTheOpenError) {
    try {
        store.Execute("SELECT Cor.* INTO Cor IN 'C:\\LOJA\\Nada.mdb' FROM Cor");
        FAIL();
    } catch (const win::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 3024);
    }
}

}  // namespace
}  // namespace dao::sql::testing
