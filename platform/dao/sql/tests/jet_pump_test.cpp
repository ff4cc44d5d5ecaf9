// The cross-file pump under failure: a write refused in the middle of a copy stops the reader
// thread before the failure is reported, and leaves neither file changed. Run many times, so that
// the sanitizer build sees the two threads meet at every point of the copy.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "platform/dao/collation.h"
#include "platform/dao/dao.h"
#include "platform/dao/sql/tests/sql_fixture.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"

namespace dao::sql::testing {
namespace {

constexpr int kRows = 40000;
constexpr int kRounds = 25;

const std::string kFill = "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " +
                          std::to_string(kRows) + ") INSERT INTO S SELECT k, 'linha ' || k FROM n";

bool AnyStatementBusy(sqlite3* db) {
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s)) {
        if (sqlite3_stmt_busy(s)) return true;
    }
    return false;
}

// Notes, when the pump reports a failure, whether the source connection is still being read.
class WatchedFiles : public MemoryFiles {
public:
    [[noreturn]] void Fail(const std::string& file, bool write) override {
        sourceBusyAtFail = sourceBusyAtFail || AnyStatementBusy(Open(""));
        ++failures;
        MemoryFiles::Fail(file, write);
    }
    bool sourceBusyAtFail = false;
    int failures = 0;
};

TEST(Pump, AWriteRefusedMidCopyStopsTheReaderBeforeTheFailureIsReported) {
    for (int round = 0; round < kRounds; ++round) {
        WatchedFiles f;
        f.Exec("CREATE TABLE S (k LONG, t TEXT(20) COLLATE JETTEXT);" + kFill);
        f.Exec("CREATE TABLE T (k LONG, t TEXT(20) COLLATE JETTEXT); CREATE UNIQUE INDEX Tk ON T (k);"
               "INSERT INTO T VALUES (" + std::to_string(kRows / 2 + round) + ", 'antes');", "alvo");
        EXPECT_THROW(f.Run("INSERT INTO T IN 'alvo' SELECT * FROM S", true), win::RuntimeError);
        EXPECT_EQ(f.failures, 1);
        EXPECT_FALSE(f.sourceBusyAtFail) << "round " << round;
        EXPECT_EQ(f.Rows("SELECT count(*) FROM T", "alvo"), std::vector<std::string>{"1"});
        f.Run("INSERT INTO T IN 'alvo' SELECT * FROM S");
        EXPECT_EQ(f.lastAffected, kRows - 1);
    }
}

// The same through the engine inside a workspace transaction that has written the source file
// too: the failure rolls nothing back under the reader, and the rollback leaves both files whole.
TEST(Pump, AFailedCopyInsideATransactionLeavesBothFilesWhole) {
    win::testing::TempMachineRoot root;
    std::filesystem::create_directories(root.DriveC() / "LOJA");
    for (const char* file : {"Fonte.mdb", "Alvo.mdb"}) {
        WriteSqliteFile(root.DriveC() / "LOJA" / file,
                        "CREATE TABLE S (k LONG, t TEXT(20) COLLATE JETTEXT);" + kFill +
                            ";CREATE TABLE T (k LONG, t TEXT(20) COLLATE JETTEXT); CREATE UNIQUE INDEX Tk ON T (k);"
                            "INSERT INTO T VALUES (" + std::to_string(kRows / 2) + ", 'antes');");
    }
    DBEngine engine;
    engine.SetBusyTimeout(0);
    Database source = engine.OpenDatabase("C:\\LOJA\\Fonte.mdb");
    for (int round = 0; round < kRounds / 5; ++round) {
        engine.BeginTrans();
        source.Execute("UPDATE S SET t = 'mudou' WHERE k = 1", dbFailOnError);
        EXPECT_EQ(win::testing::ErrorNumberOf([&] {
                      source.Execute("INSERT INTO T IN 'C:\\LOJA\\Alvo.mdb' SELECT * FROM S", dbFailOnError);
                  }),
                  3022);
        engine.Rollback();
    }
    Database target = engine.OpenDatabase("C:\\LOJA\\Alvo.mdb");
    EXPECT_EQ(target.TableDefs().Item("T").RecordCount(), 1);
    Recordset first = source.OpenRecordset("SELECT t FROM S WHERE k = 1");
    EXPECT_EQ(first(0).GetValue().ToText(), "linha 1");
}

}  // namespace
}  // namespace dao::sql::testing
