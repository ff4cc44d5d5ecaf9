// Rows per second through the engine's object model against the bare SQLite C API, in one run.
//
//   dao_objects_bench [rows]      (default 200000)
//
// Both sides create the same 10-field table in a fresh file, insert every row in one transaction
// and read every row back. The object model writes with AddNew, ten field assignments by name and
// Update, and reads through a table-type recordset by name; SQLite binds a prepared INSERT and
// steps a SELECT. The bare side runs with the connection settings the engine uses (printed with
// the figures): the same open flags, journal mode, synchronous level, secure_delete, and the
// engine's page cache sizes inside and outside a writing transaction, so that only the object
// model's own work differs. Each slowdown is printed beside its goal (kGoal), by the wall clock and by the
// thread's processor time, with the machine's load average. The figures go to standard output;
// nothing is checked.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <time.h>

#include "platform/dao/connection.h"
#include "platform/dao/dao.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;
// The object model may take at most this many times the bare C API's time, writing and reading.
constexpr double kGoal = 1.5;

struct FieldSpec {
    // A view, as a program's literal name reaches the object model: its length is known without
    // counting it on every read.
    std::string_view name;
    dao::DataType type;
    int size;
    const char* declared;  // the same column for the bare SQLite side
};

constexpr FieldSpec kFields[] = {
    {"Codigo", dao::DataType::Long, 0, "LONG"},           {"Nome", dao::DataType::Text, 40, "TEXT(40)"},
    {"Descricao", dao::DataType::Text, 60, "TEXT(60)"},   {"Preco", dao::DataType::Currency, 0, "CURRENCY"},
    {"Custo", dao::DataType::Double, 0, "DOUBLE"},        {"Data", dao::DataType::Date, 0, "DATETIME"},
    {"Qtde", dao::DataType::Integer, 0, "SHORT"},         {"Peso", dao::DataType::Single, 0, "SINGLE"},
    {"Ativo", dao::DataType::Boolean, 0, "BIT"},          {"Obs", dao::DataType::Text, 20, "TEXT(20)"},
};

std::string Name(int i) { return "Produto número " + std::to_string(i); }

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Seconds of processor time this thread has used: on a busy machine the wall clock mostly
// measures waiting for a processor, the thread's CPU time still measures the work.
double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Timing {
    double write;
    double writeCpu;
    double read;
    double readCpu;
};

Timing Best(const Timing& a, const Timing& b) {
    return {std::min(a.write, b.write), std::min(a.writeCpu, b.writeCpu), std::min(a.read, b.read), std::min(a.readCpu, b.readCpu)};
}

Timing ObjectModel(const std::string& file, int rows) {
    dao::DBEngine engine;
    dao::Database db = engine.CreateDatabase(file);
    dao::TableDef table = db.CreateTableDef("Produto");
    for (const auto& f : kFields) {
        table.Fields().Append(table.CreateField(f.name, dao::Value::Long(static_cast<int>(f.type)), dao::Value::Long(f.size)));
    }
    db.TableDefs().Append(table);

    const auto start = Clock::now();
    const double cpuStart = ThreadCpu();
    engine.BeginTrans();
    dao::Recordset rs = db.OpenRecordset("Produto", dao::dbOpenTable);
    for (int i = 0; i < rows; ++i) {
        rs.AddNew();
        rs("Codigo").SetValue(dao::Value::Long(i));
        rs("Nome").SetValue(dao::Value::Text(Name(i)));
        rs("Descricao").SetValue(dao::Value::Text("Descrição do produto"));
        rs("Preco").SetValue(dao::Value::Currency(i * 125LL));
        rs("Custo").SetValue(dao::Value::Double(i * 0.5));
        rs("Data").SetValue(dao::Value::Date(37000.0 + i % 1000));
        rs("Qtde").SetValue(dao::Value::Integer(static_cast<std::int16_t>(i % 1000)));
        rs("Peso").SetValue(dao::Value::Single(1.5f));
        rs("Ativo").SetValue(dao::Value::Boolean(i % 2 == 0));
        rs("Obs").SetValue(dao::Value::Text("ok"));
        rs.Update();
    }
    engine.CommitTrans();
    const double write = Seconds(start);
    const double writeCpu = ThreadCpu() - cpuStart;

    const auto readStart = Clock::now();
    const double readCpuStart = ThreadCpu();
    long long checksum = 0;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        for (const auto& f : kFields) checksum += static_cast<long long>(rs(f.name).GetValue().kind());
    }
    rs.Close();
    const double read = Seconds(readStart);
    const double readCpu = ThreadCpu() - readCpuStart;
    if (checksum == 0) std::printf("(no rows read)\n");
    return {write, writeCpu, read, readCpu};
}

void Exec(sqlite3* db, const std::string& sql) { sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); }

std::string CacheSize(int kib) { return "PRAGMA cache_size=-" + std::to_string(kib); }

std::string PragmaText(sqlite3* db, const char* pragma) {
    sqlite3_stmt* stmt = nullptr;
    std::string text = "?";
    if (sqlite3_prepare_v2(db, pragma, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
    return text;
}

// The bare side's settings as SQLite reports them, inside the write transaction.
std::string settings;

Timing BareSqlite(const std::filesystem::path& file, int rows) {
    sqlite3* db = nullptr;
    // Opened as the engine opens its connections: without SQLite's per-call mutex.
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::string create = "CREATE TABLE Produto (";
    std::string insert = "INSERT INTO Produto VALUES (";
    for (std::size_t i = 0; i < std::size(kFields); ++i) {
        create += std::string(i ? ", " : "") + std::string(kFields[i].name) + " " + kFields[i].declared;
        insert += i ? ", ?" : "?";
    }
    // The engine's connection settings; synchronous is SQLite's default, which the engine keeps.
    Exec(db, "PRAGMA journal_mode=DELETE; PRAGMA secure_delete=OFF; " + CacheSize(dao::kIdleCacheKiB));
    Exec(db, create + ")");

    const auto start = Clock::now();
    const double cpuStart = ThreadCpu();
    // As the engine enlists a file on its first write in a transaction.
    Exec(db, "BEGIN IMMEDIATE; " + CacheSize(dao::kTransactionCacheKiB));
    settings = "journal_mode=" + PragmaText(db, "PRAGMA journal_mode") + ", synchronous=" +
               PragmaText(db, "PRAGMA synchronous") + ", secure_delete=" + PragmaText(db, "PRAGMA secure_delete") +
               ", cache_size=" + PragmaText(db, "PRAGMA cache_size") + " in the write transaction and " +
               std::to_string(-dao::kIdleCacheKiB) + " outside, no connection mutex";
    sqlite3_stmt* put = nullptr;
    sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &put, nullptr);
    for (int i = 0; i < rows; ++i) {
        const std::string name = Name(i);
        sqlite3_bind_int(put, 1, i);
        sqlite3_bind_text(put, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(put, 3, "Descrição do produto", -1, SQLITE_STATIC);
        sqlite3_bind_double(put, 4, i * 125 / 10000.0);
        sqlite3_bind_double(put, 5, i * 0.5);
        sqlite3_bind_double(put, 6, 37000.0 + i % 1000);
        sqlite3_bind_int(put, 7, i % 1000);
        sqlite3_bind_double(put, 8, 1.5);
        sqlite3_bind_int(put, 9, i % 2 == 0 ? -1 : 0);
        sqlite3_bind_text(put, 10, "ok", -1, SQLITE_STATIC);
        sqlite3_step(put);
        sqlite3_reset(put);
    }
    sqlite3_finalize(put);
    Exec(db, "COMMIT; " + CacheSize(dao::kIdleCacheKiB));
    const double write = Seconds(start);
    const double writeCpu = ThreadCpu() - cpuStart;

    const auto readStart = Clock::now();
    const double readCpuStart = ThreadCpu();
    long long checksum = 0;
    sqlite3_stmt* get = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM Produto", -1, &get, nullptr);
    while (sqlite3_step(get) == SQLITE_ROW) {
        for (int c = 0; c < 10; ++c) {
            // Each column by its own type, as a program reads it (column_bytes would format numbers).
            switch (sqlite3_column_type(get, c)) {
            case SQLITE_INTEGER: checksum += sqlite3_column_int64(get, c) != 0; break;
            case SQLITE_FLOAT: checksum += sqlite3_column_double(get, c) != 0; break;
            case SQLITE_TEXT: checksum += sqlite3_column_bytes(get, c); break;
            default: break;
            }
        }
    }
    sqlite3_finalize(get);
    sqlite3_close(db);
    const double read = Seconds(readStart);
    const double readCpu = ThreadCpu() - readCpuStart;
    if (checksum == 0) std::printf("(no rows read)\n");
    return {write, writeCpu, read, readCpu};
}

}  // namespace

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 200000;
    win::testing::TempMachineRoot root;
    std::filesystem::create_directories(root.DriveC() / "Bench");

    // Best of the rounds for each side, alternating, so that a busy moment of the machine does
    // not fall on one side only.
    const Timing none{1e9, 1e9, 1e9, 1e9};
    Timing bare = none, model = none;
    for (int round = 0; round < kRounds; ++round) {
        const std::string name = std::to_string(round);
        bare = Best(bare, BareSqlite(root.DriveC() / "Bench" / ("Bare" + name + ".db"), rows));
        model = Best(model, ObjectModel("C:\\Bench\\Objetos" + name + ".MDB", rows));
    }

    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    const auto perSecond = [&](double seconds) { return rows / seconds; };
    const auto print = [](const char* what, double a, double b, double c, double d, const char* format) {
        std::printf("%-20s", what);
        for (const double x : {a, b, c, d}) std::printf(format, x);
        std::printf("\n");
    };
    std::printf("rows: %d, fields: 10, best of %d rounds, load average %.2f %.2f %.2f\n", rows, kRounds, load[0], load[1],
                load[2]);
    std::printf("%-20s%17s%17s%17s%17s\n", "", "write rows/s", "write rows/cpu-s", "read rows/s", "read rows/cpu-s");
    print("object model", perSecond(model.write), perSecond(model.writeCpu), perSecond(model.read), perSecond(model.readCpu),
          "%17.0f");
    print("bare SQLite C API", perSecond(bare.write), perSecond(bare.writeCpu), perSecond(bare.read), perSecond(bare.readCpu),
          "%17.0f");
    print("slowdown", model.write / bare.write, model.writeCpu / bare.writeCpu, model.read / bare.read,
          model.readCpu / bare.readCpu, "%17.2f");
    print("goal (at most)", kGoal, kGoal, kGoal, kGoal, "%17.2f");
    std::printf("both sides: %s\n", settings.c_str());
    return 0;
}
