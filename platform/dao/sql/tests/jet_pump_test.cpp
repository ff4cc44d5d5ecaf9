// The cross-file pump under failure: a write refused in the middle of a copy stops the reader
// thread before the failure is reported, and leaves neither file changed. Run many times, so that
// the sanitizer build sees the two threads meet at every point of the copy.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

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
    // A copy that fails on a refused row is written as one statement; one that passes refused rows
    // over into a table with triggers goes in batches through the reader thread, and there a
    // trigger's own error (not a refusal) stops it.
    struct Case {
        const char* name;
        bool failOnError;
        std::string target;  // the target's table, refusing a row in the middle of the copy
    };
    for (int round = 0; round < kRounds; ++round) {
        const std::string middle = std::to_string(kRows / 2 + round);
        const Case cases[] = {
            {"refused key", true,
             "CREATE TABLE T (k LONG, t TEXT(20) COLLATE JETTEXT); CREATE UNIQUE INDEX Tk ON T (k);"
             "INSERT INTO T VALUES (" + middle + ", 'antes');"},
            {"failing trigger", false,
             "CREATE TABLE T (k LONG, t TEXT(20) COLLATE JETTEXT); INSERT INTO T VALUES (0, 'antes');"
             "CREATE TRIGGER Tt BEFORE INSERT ON T WHEN NEW.k = " + middle +
             " BEGIN SELECT abs(-9223372036854775807 - 1); END;"},
        };
        for (const Case& c : cases) {
            WatchedFiles f;
            f.Exec("CREATE TABLE S (k LONG, t TEXT(20) COLLATE JETTEXT);" + kFill);
            f.Exec(c.target, "alvo");
            EXPECT_THROW(f.Run("INSERT INTO T IN 'alvo' SELECT * FROM S", c.failOnError), win::RuntimeError) << c.name;
            EXPECT_EQ(f.failures, 1) << c.name;
            EXPECT_FALSE(f.sourceBusyAtFail) << c.name << ", round " << round;
            EXPECT_EQ(f.Rows("SELECT count(*) FROM T", "alvo"), std::vector<std::string>{"1"}) << c.name;
        }
    }
    WatchedFiles f;
    f.Exec("CREATE TABLE S (k LONG, t TEXT(20) COLLATE JETTEXT);" + kFill);
    f.Exec("CREATE TABLE T (k LONG, t TEXT(20) COLLATE JETTEXT); CREATE UNIQUE INDEX Tk ON T (k);"
           "INSERT INTO T VALUES (" + std::to_string(kRows / 2) + ", 'antes');", "alvo");
    f.Run("INSERT INTO T IN 'alvo' SELECT * FROM S");
    EXPECT_EQ(f.lastAffected, kRows - 1);
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

// A later copy inside the same workspace transaction reads what the transaction has changed in the
// source since, which is in the source's page cache and not yet in its file.
TEST(Pump, ACopyReadsTheTransactionsOwnChangesToItsSource) {
    win::testing::TempMachineRoot root;
    std::filesystem::create_directories(root.DriveC() / "LOJA");
    WriteSqliteFile(root.DriveC() / "LOJA" / "Fonte.mdb", "CREATE TABLE S (k LONG, t TEXT(20) COLLATE JETTEXT);" + kFill);
    WriteSqliteFile(root.DriveC() / "LOJA" / "Alvo.mdb", "CREATE TABLE T (k LONG, t TEXT(20) COLLATE JETTEXT)");
    DBEngine engine;
    engine.SetBusyTimeout(0);
    Database source = engine.OpenDatabase("C:\\LOJA\\Fonte.mdb");
    engine.BeginTrans();
    source.Execute("INSERT INTO T IN 'C:\\LOJA\\Alvo.mdb' SELECT * FROM S WHERE k <= 10", dbFailOnError);
    source.Execute("UPDATE S SET t = 'mudou' WHERE k > 5", dbFailOnError);
    source.Execute("INSERT INTO T IN 'C:\\LOJA\\Alvo.mdb' SELECT * FROM S", dbFailOnError);
    engine.CommitTrans();
    Database target = engine.OpenDatabase("C:\\LOJA\\Alvo.mdb");
    Recordset counts = target.OpenRecordset("SELECT Count(*) AS n, Sum(IIf(t = 'mudou', 1, 0)) AS changed FROM T");
    EXPECT_EQ(counts(0).GetValue().ToText(), std::to_string(10 + kRows));
    EXPECT_EQ(counts(1).GetValue().ToText(), std::to_string(kRows - 5));
}

// Every kind of value crosses unchanged, in source order, also where batches end (the row count is
// no multiple of a batch).
TEST(Pump, EveryKindOfValueCrossesUnchangedAcrossBatchEnds) {
    constexpr int kOdd = 2777;
    MemoryFiles f;
    f.Exec("CREATE TABLE S (k LONG, r DOUBLE, t TEXT(20) COLLATE JETTEXT, m LONGTEXT COLLATE JETTEXT);"
           "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " + std::to_string(kOdd) +
           ") INSERT INTO S SELECT k * 1000003, CASE WHEN k % 7 = 0 THEN NULL ELSE k * 0.25 END,"
           " CASE k % 11 WHEN 0 THEN NULL WHEN 5 THEN '' ELSE 'ação ' || k END,"
           " CASE k % 13 WHEN 0 THEN x'00ff41' WHEN 1 THEN '' WHEN 2 THEN x'' ELSE 'memo ' || k END FROM n");
    f.Exec("CREATE TABLE T (k LONG, r DOUBLE, t TEXT(20) COLLATE JETTEXT, m LONGTEXT COLLATE JETTEXT)", "alvo");
    f.Run("INSERT INTO T IN 'alvo' SELECT * FROM S", true);
    EXPECT_EQ(f.lastAffected, kOdd);
    const std::string rows = "SELECT k, quote(r), quote(t), quote(m), typeof(m) FROM S ORDER BY rowid";
    const std::string copied = "SELECT k, quote(r), quote(t), quote(m), typeof(m) FROM T ORDER BY rowid";
    EXPECT_EQ(f.Rows(copied, "alvo"), f.Rows(rows));
}

// Rows the target refuses, for their key or (through a trigger) for a required field, are passed
// over wherever they fall in a batch (first, last, either side of a batch's end); every other row is
// written once. Without the trigger the copy is one statement, and only the keys refuse rows.
TEST(Pump, RefusedRowsAreSkippedWhereverTheyFall) {
    constexpr int kOdd = 2777;
    constexpr long long kSum = static_cast<long long>(kOdd) * (kOdd + 1) / 2;
    struct Case {
        const char* name;
        const char* trigger;
        int refusedByTrigger;
        long long keptSum;
    };
    const Case cases[] = {
        {"with the trigger", "CREATE TRIGGER Tt BEFORE INSERT ON T WHEN NEW.t IS NULL BEGIN SELECT RAISE(ABORT, 'jet:3058'); END;",
         3, kSum - 300 - 800 - 2000},
        {"keys only", "", 0, kSum},
    };
    for (const Case& c : cases) {
        MemoryFiles f;
        f.Exec("CREATE TABLE S (k LONG, t TEXT(20) COLLATE JETTEXT);"
               "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " + std::to_string(kOdd) +
               ") INSERT INTO S SELECT k, CASE WHEN k IN (300, 800, 2000) THEN NULL ELSE 'linha ' || k END FROM n");
        f.Exec(std::string("CREATE TABLE T (k LONG, t TEXT(20) COLLATE JETTEXT); CREATE UNIQUE INDEX Tk ON T (k);") + c.trigger +
               "INSERT INTO T VALUES (1, 'antes'), (256, 'antes'), (257, 'antes'), (1024, 'antes'), (1025, 'antes'),"
               " (2777, 'antes')", "alvo");
        f.Run("INSERT INTO T IN 'alvo' SELECT * FROM S");
        EXPECT_EQ(f.lastAffected, kOdd - 6 - c.refusedByTrigger) << c.name;
        const int kept = kOdd - c.refusedByTrigger;
        EXPECT_EQ(f.Rows("SELECT count(*), count(DISTINCT k), sum(k) FROM T", "alvo"),
                  std::vector<std::string>{std::to_string(kept) + "|" + std::to_string(kept) + "|" + std::to_string(c.keptSum)})
            << c.name;
        EXPECT_EQ(f.Rows("SELECT group_concat(k) FROM T WHERE t = 'antes'", "alvo"),
                  std::vector<std::string>{"1,256,257,1024,1025,2777"})
            << c.name;
    }
}

// The widest row a table holds (255 fields) crosses whole, each value to its own field, and a
// narrow copy after it on the same target still reads only its own columns.
TEST(Pump, TheWidestRowCrossesWhole) {
    constexpr int kFields = 255;
    std::string fields, values;
    for (int i = 1; i <= kFields; ++i) {
        fields += (i > 1 ? ", f" : "f") + std::to_string(i) + (i % 2 ? " LONG" : " TEXT(20) COLLATE JETTEXT");
        values += (i > 1 ? ", " : "") + (i % 2 ? std::to_string(i) + " * k" : "'v" + std::to_string(i) + " ' || k");
    }
    MemoryFiles f;
    f.Exec("CREATE TABLE S (" + fields + "); WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 1500)"
           " INSERT INTO S SELECT " + values + " FROM n; CREATE TABLE N (a LONG, b TEXT(20) COLLATE JETTEXT);"
           " INSERT INTO N VALUES (1, 'um'), (2, NULL)");
    f.Exec("CREATE TABLE T (" + fields + "); CREATE TABLE M (a LONG, b TEXT(20) COLLATE JETTEXT)", "alvo");
    f.Run("INSERT INTO T IN 'alvo' SELECT * FROM S", true);
    EXPECT_EQ(f.lastAffected, 1500);
    f.Run("INSERT INTO M IN 'alvo' SELECT * FROM N", true);
    std::string all;
    for (int i = 1; i <= kFields; ++i) all += (i > 1 ? " || '|' || quote(f" : "quote(f") + std::to_string(i) + ")";
    const std::string rows = "SELECT " + all + " FROM S ORDER BY rowid";
    EXPECT_EQ(f.Rows("SELECT " + all + " FROM T ORDER BY rowid", "alvo"), f.Rows(rows));
    EXPECT_EQ(f.Rows("SELECT a, quote(b) FROM M ORDER BY rowid", "alvo"), (std::vector<std::string>{"1|'um'", "2|NULL"}));
}

// Notes which side each reported failure was on.
class SidedFiles : public MemoryFiles {
public:
    [[noreturn]] void Fail(const std::string& file, bool write) override {
        sides.push_back(write ? "target" : "source");
        MemoryFiles::Fail(file, write);
    }
    std::vector<std::string> sides;
};

// A SELECT that fails on its source part-way through is reported as the source's failure, with
// the source's own message, whether refused rows are skipped or not, and the target keeps only
// what it had; the same copy without the failing row then goes through whole.
TEST(Pump, ASourceFailingMidCopyIsReportedAsTheSourcesAndWritesNothing) {
    struct Case {
        const char* name;
        bool failOnError;
        const char* target;  // the target's table
    };
    const Case cases[] = {
        {"skipping, plain target", false, "CREATE TABLE T (k LONG, n LONG)"},
        {"failing, plain target", true, "CREATE TABLE T (k LONG, n LONG)"},
        {"skipping, keyed target", false, "CREATE TABLE T (k LONG, n LONG); CREATE UNIQUE INDEX Tk ON T (k)"},
        {"failing, keyed target", true, "CREATE TABLE T (k LONG, n LONG); CREATE UNIQUE INDEX Tk ON T (k)"},
        {"skipping, target with a trigger", false,
         "CREATE TABLE T (k LONG, n LONG); CREATE TRIGGER Tt BEFORE INSERT ON T WHEN NEW.n < 0 BEGIN SELECT RAISE(ABORT, 'x'); END"},
    };
    for (const Case& c : cases) {
        SidedFiles f;
        f.Exec("CREATE TABLE S (k LONG, t TEXT(20) COLLATE JETTEXT);"
               "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 3000)"
               " INSERT INTO S SELECT k, CASE WHEN k = 1500 THEN 'quinze' ELSE k END FROM n");
        f.Exec(std::string(c.target) + "; INSERT INTO T VALUES (0, 0)", "alvo");
        std::string message;
        try {
            f.Run("INSERT INTO T IN 'alvo' SELECT k, CInt(t) AS n FROM S", c.failOnError);
        } catch (const win::RuntimeError& e) {
            message = e.what();
        }
        EXPECT_EQ(f.sides, std::vector<std::string>{"source"}) << c.name;
        EXPECT_EQ(message, sqlite3_errmsg(f.Handle(""))) << c.name;
        EXPECT_EQ(f.Rows("SELECT count(*) FROM T", "alvo"), std::vector<std::string>{"1"}) << c.name;
        f.Run("INSERT INTO T IN 'alvo' SELECT k, CInt(t) AS n FROM S WHERE k <> 1500", c.failOnError);
        EXPECT_EQ(f.lastAffected, 2999) << c.name;
        EXPECT_EQ(f.Rows("SELECT count(*), sum(n) FROM T", "alvo"),
                  std::vector<std::string>{"3000|" + std::to_string(3000 * 3001 / 2 - 1500)})
            << c.name;
    }
}

}  // namespace
}  // namespace dao::sql::testing
