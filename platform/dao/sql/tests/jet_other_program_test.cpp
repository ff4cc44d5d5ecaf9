// Copies between two files while another program works on the source in a process of its own:
// switches it to WAL while this engine holds it open, commits and checkpoints there, renames
// another file over it, or holds it locked while a statement reads its tables. Every copy holds
// one committed state of the source, and a lock is reported as a lock.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/dao/collation.h"
#include "platform/dao/dao.h"
#include "platform/dao/sql/tests/sql_fixture.h"
#include "platform/win/testing/other_program.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"

namespace dao::sql::testing {
namespace {

namespace fs = std::filesystem;
using win::testing::OtherProgram;

constexpr const char* kCopy = "INSERT INTO T IN 'C:\\LOJA\\Alvo.mdb' SELECT k, t, ";

// A plain SQLite connection of the other program, which runs `sql` on it and keeps it open.
OtherProgram::Step OnFile(sqlite3** db, const fs::path& file, std::string sql) {
    return [db, file, sql = std::move(sql)] {
        if (*db == nullptr && sqlite3_open(file.c_str(), db) != SQLITE_OK) return false;
        RegisterJetCollation(*db);
        return sqlite3_exec(*db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
}

// `count` commits of one row each, k from `first` on.
std::string Commits(int first, int count) {
    std::string sql;
    for (int k = first; k < first + count; ++k) sql += "INSERT INTO S VALUES (" + std::to_string(k) + ", 'nova');";
    return sql;
}

class OtherProgramTest : public ::testing::Test {
protected:
    OtherProgramTest() {
        fs::create_directories(root_.DriveC() / "LOJA");
        WriteSqliteFile(Fonte(), "CREATE TABLE S (k LONG, t TEXT(40) COLLATE JETTEXT);"
                                 "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 1000)"
                                 " INSERT INTO S SELECT k, 'linha' FROM n");
        WriteSqliteFile(root_.DriveC() / "LOJA" / "Alvo.mdb",
                        "CREATE TABLE T (k LONG, t TEXT(40) COLLATE JETTEXT, vez LONG)");
        engine_.SetBusyTimeout(0);
    }
    fs::path Fonte() const { return root_.DriveC() / "LOJA" / "Fonte.mdb"; }

    // Copy number `vez` of S into T.
    void Copy(Database& source, int vez) {
        source.Execute(kCopy + std::to_string(vez) + " AS vez FROM S", dbFailOnError);
    }
    // The rows copy `vez` holds: their count, and how many of them the other program wrote.
    std::string Copied(int vez) {
        Database target = engine_.OpenDatabase("C:\\LOJA\\Alvo.mdb");
        Recordset rs = target.OpenRecordset("SELECT Count(*) & ' ' & Sum(IIf(t = 'nova', 1, 0)) FROM T WHERE vez = " +
                                            std::to_string(vez));
        return rs(0).GetValue().ToText();
    }

    win::testing::TempMachineRoot root_;
    DBEngine engine_;
};

// The store is open in this engine before the other program switches it to WAL and commits there
// (its log not yet checkpointed), then checkpoints and commits again: each copy, outside a
// transaction and inside one, holds every commit made before it.
TEST_F(OtherProgramTest, AStoreSwitchedToWalWhileOpenIsCopiedWithTheCommitsInItsLog) {
    sqlite3* other = nullptr;
    OtherProgram program({
        OnFile(&other, Fonte(), "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;" + Commits(2001, 100)),
        OnFile(&other, Fonte(), "PRAGMA wal_checkpoint(PASSIVE);" + Commits(3001, 50)),
        OnFile(&other, Fonte(), "PRAGMA wal_checkpoint(TRUNCATE); UPDATE S SET t = 'nova' WHERE k <= 10"),
    });
    Database source = engine_.OpenDatabase("C:\\LOJA\\Fonte.mdb");
    Copy(source, 1);
    ASSERT_TRUE(program.Next());
    Copy(source, 2);
    engine_.BeginTrans();
    Copy(source, 3);
    ASSERT_TRUE(program.Next());
    Copy(source, 4);
    ASSERT_TRUE(program.Next());
    Copy(source, 5);
    engine_.CommitTrans();
    EXPECT_TRUE(program.End());
    EXPECT_EQ(Copied(1), "1000 0");
    EXPECT_EQ(Copied(2), "1100 100");
    EXPECT_EQ(Copied(3), "1100 100");
    EXPECT_EQ(Copied(4), "1150 150");
    EXPECT_EQ(Copied(5), "1150 160");
}

// Between copies of one transaction the other program renames a new file over the store, then
// commits to the new file. Each copy reads the file as it stands or as the engine's connection
// holds it, never the pages of one file taken for the other's.
TEST_F(OtherProgramTest, AStoreRenamedOverBetweenCopiesIsNeverReadFromStalePages) {
    const fs::path novo = root_.DriveC() / "LOJA" / "Novo.mdb";
    sqlite3* other = nullptr;
    OtherProgram program({
        [&] {
            fs::copy_file(Fonte(), novo);
            sqlite3* db = nullptr;
            const bool ok = sqlite3_open(novo.c_str(), &db) == SQLITE_OK &&
                            sqlite3_exec(db, ("BEGIN;" + Commits(5001, 500) + "COMMIT").c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
            sqlite3_close(db);
            return ok && std::rename(novo.c_str(), Fonte().c_str()) == 0;
        },
        OnFile(&other, Fonte(), "BEGIN;" + Commits(6001, 300) + "COMMIT"),
    });
    Database source = engine_.OpenDatabase("C:\\LOJA\\Fonte.mdb");
    engine_.BeginTrans();
    Copy(source, 1);
    ASSERT_TRUE(program.Next());
    Copy(source, 2);
    ASSERT_TRUE(program.Next());
    Copy(source, 3);
    engine_.CommitTrans();
    EXPECT_TRUE(program.End());
    EXPECT_EQ(Copied(1), "1000 0");
    const std::string second = Copied(2);
    EXPECT_TRUE(second == "1000 0" || second == "1500 500") << second;
    const std::string third = Copied(3);
    EXPECT_TRUE(third == "1000 0" || third == "1800 800") << third;
}

// While the other program holds a file locked (a commit under way), reading a statement's tables
// there raises a lock number, never "no such table" (3078).
TEST_F(OtherProgramTest, ATableReadUnderAnotherProgramsLockRaisesALockNumber) {
    struct Case {
        const char* locked;  // the file the other program holds
        const char* on;      // the file the statement runs on
        const char* sql;
        bool query;          // opened as a recordset instead of executed
    };
    const Case cases[] = {
        {"Fonte.mdb", "Fonte.mdb", "INSERT INTO T IN 'C:\\LOJA\\Alvo.mdb' SELECT k, t FROM S", false},
        {"Alvo.mdb", "Fonte.mdb", "INSERT INTO T (k, t) IN 'C:\\LOJA\\Alvo.mdb' SELECT k, t FROM S WHERE k < 5", false},
        {"Fonte.mdb", "Alvo.mdb", "SELECT k, t FROM S IN 'C:\\LOJA\\Fonte.mdb' WHERE k = 1", true},
        {"Fonte.mdb", "Fonte.mdb", "SELECT * INTO U IN 'C:\\LOJA\\Alvo.mdb' FROM S", false},
        {"Alvo.mdb", "Fonte.mdb", "SELECT * INTO V IN 'C:\\LOJA\\Alvo.mdb' FROM S", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        sqlite3* other = nullptr;
        OtherProgram program({OnFile(&other, root_.DriveC() / "LOJA" / c.locked, "BEGIN EXCLUSIVE")});
        DBEngine engine;
        engine.SetBusyTimeout(0);
        Database fonte = engine.OpenDatabase("C:\\LOJA\\Fonte.mdb");
        Database alvo = engine.OpenDatabase("C:\\LOJA\\Alvo.mdb");
        Database& on = std::string(c.on) == "Fonte.mdb" ? fonte : alvo;
        ASSERT_TRUE(program.Next());
        const long number = win::testing::ErrorNumberOf([&] {
            if (c.query) {
                on.OpenRecordset(c.sql, dbOpenSnapshot);
            } else {
                on.Execute(c.sql, dbFailOnError);
            }
        });
        EXPECT_EQ(number, 3187);
        EXPECT_TRUE(program.End());
        // Once the lock is gone the statement runs.
        EXPECT_EQ(win::testing::ErrorNumberOf([&] {
                      if (c.query) {
                          on.OpenRecordset(c.sql, dbOpenSnapshot);
                      } else {
                          on.Execute(c.sql, dbFailOnError);
                      }
                  }),
                  0);
    }
}

}  // namespace
}  // namespace dao::sql::testing
