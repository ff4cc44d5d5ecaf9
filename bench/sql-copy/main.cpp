// sql_copy_bench [rows]: copies a 10-column table of `rows` rows (1,000,000 by default) from one
// database file into another, in one transaction, two ways, and prints rows per second of each:
//   engine  "INSERT INTO t IN 'other' SELECT * FROM t", translated and run as the engine runs a
//           statement whose target is another file (a pump between two connections);
//   sqlite  SQLite alone: ATTACH the other file and INSERT INTO o.t SELECT * FROM main.t.
// The best of three rounds counts for each. Both targets start empty and use the settings the
// engine gives its connections (no SQLite mutex, rollback journal, secure_delete off). The copies
// run twice: with the page cache the engine gives a file a transaction writes (64 MB), and with
// SQLite's default (2 MB); the target of each way gets the same cache, since a cache that grows
// costs the copy the first touch of its memory.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <algorithm>
#include <time.h>
#include <unistd.h>

#include "platform/dao/collation.h"
#include "platform/dao/sql/jet_execute.h"
#include "platform/dao/sql/jet_sql.h"
#include "platform/dao/statement.h"
#include "platform/win/error.h"

namespace {

namespace fs = std::filesystem;

const char* kTable =
    "CREATE TABLE t (id LONG, a TEXT(20) COLLATE JETTEXT, b TEXT(50) COLLATE JETTEXT, c DOUBLE, "
    "d DATETIME, e CURRENCY, f SHORT, g LONG, h TEXT(10) COLLATE JETTEXT, i DOUBLE)";

void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(sql.substr(0, 60) + ": " + message);
    }
}

// Opened as the engine opens its connections: without SQLite's mutex, rollback journal,
// secure_delete off. The target's page cache is set per run.
std::string gTargetCache = "-65536";

sqlite3* OpenFile(const fs::path& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        throw std::runtime_error("cannot open " + path.string());
    }
    dao::RegisterJetCollation(db);
    dao::sql::RegisterJetFunctions(db);
    Exec(db, "PRAGMA journal_mode=DELETE; PRAGMA secure_delete=OFF");
    return db;
}

// The two files of the engine's copy: "" is the source the statement runs on, any other text the
// target named by IN.
class TwoFiles : public dao::sql::FileAccess, public dao::sql::SchemaLookup {
public:
    TwoFiles(sqlite3* source, sqlite3* target) : source_(source), target_(target) {}
    sqlite3* Handle(const std::string& file) override { return file.empty() ? source_ : target_; }
    void BeforeWrite(const std::string&, const std::string&, bool) override {}
    [[noreturn]] void Fail(const std::string& file, bool) override {
        throw std::runtime_error(sqlite3_errmsg(Handle(file)));
    }
    void StructureChanged(const std::string&, const std::string&, bool) override {}
    std::optional<dao::sql::TableInfo> FindTable(std::string_view file, std::string_view name) const override {
        return dao::sql::ReadTableInfo(file.empty() ? source_ : target_, name);
    }
    std::uint64_t Generation() const override { return 1; }

private:
    sqlite3* source_;
    sqlite3* target_;
};

// Wall-clock and process CPU seconds (all threads) since a start point. On a busy machine the
// wall clock mostly measures waiting for a processor; the CPU time still measures the work.
struct Clock {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = CpuNow();

    static double CpuNow() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    }
};

struct Copy {
    double wall = 1e300;
    double cpu = 1e300;
    long long rows = 0;
};

Copy Measured(const Clock& start, long long rows) {
    Copy c;
    c.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start.wall).count();
    c.cpu = Clock::CpuNow() - start.cpu;
    c.rows = rows;
    return c;
}

// The better of two measurements, each figure on its own.
Copy Best(const Copy& a, const Copy& b) { return {std::min(a.wall, b.wall), std::min(a.cpu, b.cpu), std::max(a.rows, b.rows)}; }

void Fill(sqlite3* db, long rows) {
    Exec(db, kTable);
    Exec(db, "BEGIN");
    Exec(db, "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " + std::to_string(rows) +
                 ") INSERT INTO t SELECT k, 'Produto ' || k, 'Descrição longa do produto número ' || k, k * 1.25, "
                 "37000 + k / 1000.0, round(k * 0.37, 4), k % 30000, k * 7, 'L' || (k % 100), k / 3.0 FROM n");
    Exec(db, "COMMIT");
}

long long Count(sqlite3* db, const char* sql) {
    dao::Statement count(db, sql);
    return count.StepCode() == SQLITE_ROW ? count.Int(0) : -1;
}

// One copy by the engine's pump into a fresh file.
Copy EngineCopy(sqlite3* source, const fs::path& file) {
    sqlite3* target = OpenFile(file);
    Exec(target, kTable);
    Exec(target, "PRAGMA cache_size=" + gTargetCache);
    TwoFiles files(source, target);
    Clock start;
    Exec(target, "BEGIN IMMEDIATE");
    dao::sql::Translation tr = dao::sql::TranslateJetSql("INSERT INTO t IN 'other.mdb' SELECT * FROM t", files);
    long long copied = dao::sql::RunTranslation(tr, files);
    Exec(target, "COMMIT");
    Copy result = Measured(start, copied);
    sqlite3_close(target);
    return result;
}

// The same copy by SQLite alone into a fresh file. `rowByRow` adds a WHERE, which keeps SQLite
// from copying whole records between identical tables without decoding them, as every copy with
// a condition, a join or a conversion must be made.
Copy SqliteCopy(sqlite3* source, const fs::path& file, bool rowByRow) {
    sqlite3* plain = OpenFile(file);
    Exec(plain, kTable);
    sqlite3_close(plain);
    Clock start;
    Exec(source, "ATTACH '" + file.string() + "' AS o");
    Exec(source, "PRAGMA o.journal_mode=DELETE; PRAGMA o.secure_delete=OFF; PRAGMA o.cache_size=" + gTargetCache + "; BEGIN");
    Exec(source, rowByRow ? "INSERT INTO o.t SELECT * FROM main.t WHERE 1" : "INSERT INTO o.t SELECT * FROM main.t");
    Exec(source, "COMMIT");
    Copy result = Measured(start, 0);
    result.rows = Count(source, "SELECT count(*) FROM o.t");
    Exec(source, "DETACH o");
    return result;
}

// Three rounds, each copy into a new file; the best time of each way counts, so that a busy
// machine disturbs the comparison less.
void Compare(sqlite3* source, const fs::path& dir, const char* label) {
    Copy engine, sqlite, rowByRow;
    for (int round = 0; round < 3; ++round) {
        const std::string n = gTargetCache + "-" + std::to_string(round);
        engine = Best(engine, EngineCopy(source, dir / ("engine" + n + ".db")));
        sqlite = Best(sqlite, SqliteCopy(source, dir / ("sqlite" + n + ".db"), false));
        rowByRow = Best(rowByRow, SqliteCopy(source, dir / ("rows" + n + ".db"), true));
    }
    auto rate = [](long long rows, double seconds) { return static_cast<double>(rows) / seconds; };
    std::printf("\n%s: rows copied engine %lld, sqlite %lld (best of 3 rounds)\n", label, engine.rows, sqlite.rows);
    std::printf("                     wall s   rows/s      cpu s    rows per cpu-s\n");
    for (const auto& [name, c] : {std::pair{"engine (pump)      ", engine}, std::pair{"sqlite (ATTACH)    ", sqlite},
                                  std::pair{"sqlite with a WHERE", rowByRow}}) {
        std::printf("%s  %6.2f  %9.0f   %6.2f   %9.0f\n", name, c.wall, rate(c.rows, c.wall), c.cpu, rate(c.rows, c.cpu));
    }
    std::printf("engine / sqlite          %.2f by the wall clock, %.2f by CPU time\n",
                rate(engine.rows, engine.wall) / rate(sqlite.rows, sqlite.wall),
                rate(engine.rows, engine.cpu) / rate(sqlite.rows, sqlite.cpu));
    std::printf("engine / sqlite WHERE    %.2f by the wall clock, %.2f by CPU time\n",
                rate(engine.rows, engine.wall) / rate(rowByRow.rows, rowByRow.wall),
                rate(engine.rows, engine.cpu) / rate(rowByRow.rows, rowByRow.cpu));
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    const fs::path dir = fs::temp_directory_path() / ("sql-copy-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    int status = 0;
    try {
        sqlite3* source = OpenFile(dir / "source.db");
        Fill(source, rows);
        gTargetCache = "-65536";
        Compare(source, dir, "target cache 64 MB (the engine's, for a file a transaction writes)");
        gTargetCache = "-2000";
        Compare(source, dir, "target cache 2 MB (SQLite's default)");
        sqlite3_close(source);
        std::printf("\n(sqlite ATTACH copies identical tables record by record without decoding them; with a WHERE it\n"
                    " decodes each record, as every copy with a condition, join or conversion must, and as the pump does)\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sql_copy_bench: %s\n", e.what());
        status = 1;
    }
    fs::remove_all(dir);
    return status;
}
