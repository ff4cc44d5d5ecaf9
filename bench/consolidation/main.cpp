// consolidation_bench [--work DIR] [--stores N] [--runs R] [--engine-only] [--again] [--beside-ten]
//
// Consolidates N (default 10) copies of the sample chain's large store (about a million rows each)
// into a fresh copy of the chain's BACKUP.MDB, as the consolidation run does it: one transaction of
// the engine, the stores' copy statements executed by each store's database with BACKUP.MDB as the
// IN target, the code tables rebuilt with their primary indexes, the twelve indexes of the
// consolidated tables, the commit. Then SQLite alone copies the same rows from the same files into
// another copy of BACKUP.MDB (ATTACH and INSERT ... SELECT, one transaction) and builds the same
// indexes. So that neither side meets the stores' files cold, nor the process's memory unused (the
// first copy's page caches grow the heap page by page), the stores' files are read once and SQLite
// consolidates the first store, untimed, before the first run; and the two sides take turns at
// going first (the engine in odd runs, SQLite in even ones).
// The figures of both are printed side by side, with the engine's peak memory after
// 1, 5 and N stores (it must not grow with the number of stores). The whole is run R times
// (default 3); the best and the worst run are printed beside the goals (the engine's total within
// 20 s for ten stores, its copy at least 0.6 of SQLite's rate in processor time), with the load
// average the machine had, since wall-clock figures follow it.
//
// The stores are built once under DIR (default: the temporary folder's zm-consolidation-bench) and
// reused by later runs; building the chain takes a minute or two. --engine-only leaves SQLite's
// copy out (for profiling the engine). --again consolidates a second time into the file the first
// consolidation filled, as every run after the first does: the previous tables are dropped inside
// the transaction, and the pages they free are reused and so kept in the rollback journal.
// --beside-ten (with more than ten stores) also consolidates the first ten stores alone in each run,
// just before or just after the N stores (in turns), so that both meet the same load: the N stores
// must take at most N/10 times the ten stores' total, every store at the rate of the first ten.
// With more than ten stores, each run also prints the wall time of one store's copy past the tenth
// beside one of the first ten, both measured within the same consolidation (the index builds that
// follow the copy sort all the stores' rows at once and so belong to no one store).
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/consolidation/run.h"
#include "bench/consolidation/stores.h"
#include "platform/dao/collation.h"
#include "platform/dao/sql/jet_sql.h"
#include "platform/win/error.h"
#include "platform/win/paths.h"
#include "report/consolidation/indexes.h"

namespace {

namespace fs = std::filesystem;
using bench::BenchStore;
using bench::Measure;

constexpr const char* kEngineFolder = "C:\\BENCHENG";
constexpr const char* kSqliteFolder = "C:\\BENCHSQL";

// A fresh copy of the chain's BACKUP.MDB as `folder`\Backup.mdb.
// A fresh copy of the chain's BACKUP.MDB in `folder`. The disk is synced first, so that a run does
// not meet the writing back of the gigabytes the run before it left in the page cache.
fs::path FreshBackup(const std::string& folder) {
    const fs::path dir = win::HostPath(folder);
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path target = dir / "Backup.mdb";
    fs::copy_file(win::HostPath(std::string(bench::kChainProgramFolder) + "\\BACKUP.MDB"), target);
    ::sync();
    return target;
}

// ---- SQLite alone --------------------------------------------------------------------------

void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error(sql.substr(0, 80) + ": " + message);
    }
}

std::string Quote(const std::string& name) { return "\"" + name + "\""; }

// The twelve copies of one store, as plain SQLite statements over the attached store `s` (renamed
// per store): the same rows, each paired with the store's own row of Loja for its code.
std::vector<std::string> SqliteCopies() {
    std::vector<std::string> out;
    for (const char* table : {"Produto", "Venda", "Itens Venda", "Pagto Venda", "Vendedor", "Fornecedor"}) {
        out.push_back("INSERT INTO main." + Quote(table) + " SELECT l.CodLoja, t.* FROM s." + Quote(table) +
                      " t, s.Loja l WHERE l.LojaOrigem = '*'");
    }
    out.push_back("INSERT INTO main.Cliente SELECT l.CodLoja, t.* FROM s.Cliente t, s.Loja l WHERE l.LojaOrigem = '*'");
    out.push_back("INSERT INTO main.TransSai SELECT * FROM s.TransSai");
    out.push_back("INSERT INTO main.FAMILIACONS SELECT \"Código\", \"Descrição\" FROM s.Familia");
    out.push_back("INSERT INTO main.GrupoCons SELECT * FROM s.Grupo");
    out.push_back("INSERT INTO main.CorCons SELECT * FROM s.Cor");
    out.push_back("INSERT INTO main.LojaCons SELECT CodLoja, Nome, LojaOrigem FROM s.Loja");
    return out;
}

std::string SqliteIndex(const report::consolidation::IndexSpec& spec, int n) {
    std::string fields;
    for (const std::string& f : spec.fields) fields += (fields.empty() ? "" : ", ") + Quote(f);
    return std::string(spec.primary ? "CREATE UNIQUE INDEX" : "CREATE INDEX") + " bench_" + std::to_string(n) +
           " ON " + Quote(spec.table) + " (" + fields + ")";
}

Measure SqliteRun(const std::vector<BenchStore>& stores) {
    const fs::path file = FreshBackup(kSqliteFolder);
    Measure m;
    m.Start();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        throw std::runtime_error("cannot open " + file.string());
    }
    dao::RegisterJetCollation(db);
    dao::sql::RegisterJetFunctions(db);
    Exec(db, "PRAGMA journal_mode=DELETE; PRAGMA secure_delete=OFF; PRAGMA cache_size=-65536");
    const std::vector<std::string> copies = SqliteCopies();
    std::size_t done = 0;
    // At most ten files can be attached at once; a store stays attached until its transaction ends.
    while (done < stores.size()) {
        const std::size_t chunk = std::min<std::size_t>(10, stores.size() - done);
        Exec(db, "BEGIN IMMEDIATE");
        for (std::size_t i = 0; i < chunk; ++i) {
            const BenchStore& store = stores[done + i];
            Exec(db, "ATTACH '" + win::HostPath(store.folder + "\\Produto.MDB").string() + "' AS s" + std::to_string(i));
            for (std::string sql : copies) {
                for (std::size_t at = sql.find(" s."); at != std::string::npos; at = sql.find(" s.", at + 1)) {
                    sql.replace(at + 1, 1, "s" + std::to_string(i));
                }
                Exec(db, sql);
                m.rows += sqlite3_changes(db);
            }
            m.StoreDone(done + i + 1, stores.size());
        }
        if (done + chunk < stores.size()) {
            Exec(db, "COMMIT");
            for (std::size_t i = 0; i < chunk; ++i) Exec(db, "DETACH s" + std::to_string(i));
        }
        done += chunk;
    }
    m.CopyDone();
    int n = 0;
    for (const auto& spec : report::consolidation::ConsolidatedIndexes()) Exec(db, SqliteIndex(spec, ++n));
    m.IndexesDone();
    Exec(db, "COMMIT");
    m.CommitDone();
    sqlite3_close(db);
    return m;
}

// Reads every store's file and the chain's BACKUP.MDB once, so that the first run finds them in the
// system's file cache as the later runs do.
void WarmFiles(const std::vector<BenchStore>& stores) {
    std::vector<fs::path> files = {win::HostPath(std::string(bench::kChainProgramFolder) + "\\BACKUP.MDB")};
    for (const BenchStore& store : stores) files.push_back(win::HostPath(store.folder + "\\Produto.MDB"));
    std::vector<char> buffer(1 << 20);
    double bytes = 0;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
            bytes += static_cast<double>(in.gcount());
        }
    }
    std::printf("read the %zu stores' files (%.0f MB) once before the first run, so that no run meets them cold\n",
                stores.size(), bytes / 1e6);
}

// ---- report --------------------------------------------------------------------------------

struct Column {
    const char* name;
    const Measure* m;
};

void Print(const std::vector<BenchStore>& stores, const std::vector<Column>& columns) {
    long long sourceRows = 0;
    for (const BenchStore& s : stores) sourceRows += s.rows;
    std::printf("\n%zu stores, %lld rows in their copied tables (%lld per store)\n", stores.size(), sourceRows,
                stores.empty() ? 0 : sourceRows / static_cast<long long>(stores.size()));
    std::printf("%-30s", "");
    for (const Column& c : columns) std::printf(" %16s", c.name);
    std::printf("\n");
    auto line = [&](const char* label, auto get, const char* format) {
        std::printf("%-30s", label);
        for (const Column& c : columns) {
            char cell[32];
            std::snprintf(cell, sizeof cell, format, get(*c.m));
            std::printf(" %16s", cell);
        }
        std::printf("\n");
    };
    line("rows copied", [](const Measure& m) { return static_cast<double>(m.rows); }, "%.0f");
    line("copy (s, wall)", [](const Measure& m) { return m.copyWall; }, "%.2f");
    line("copy rate (rows/s, wall)", [](const Measure& m) { return m.rows / m.copyWall; }, "%.0f");
    line("copy (s, cpu)", [](const Measure& m) { return m.copyCpu; }, "%.2f");
    line("indexes (s, wall)", [](const Measure& m) { return m.indexWall; }, "%.2f");
    line("commit (s, wall)", [](const Measure& m) { return m.commitWall; }, "%.2f");
    line("total (s, wall)", [](const Measure& m) { return m.totalWall; }, "%.2f");
    line("total (s, cpu)", [](const Measure& m) { return m.totalCpu; }, "%.2f");
    const Measure& engine = *columns.front().m;
    std::printf("\nengine peak memory (MB):");
    for (const auto& [count, kb] : engine.peakAfter) std::printf("  after %zu: %.0f", count, kb / 1024.0);
    std::printf("\n");
}

// The engine's copy rate over SQLite's, by wall clock and by processor time.
double WallRatio(const Measure& engine, const Measure& sqlite) {
    return (engine.rows / engine.copyWall) / (sqlite.rows / sqlite.copyWall);
}
double CpuRatio(const Measure& engine, const Measure& sqlite) {
    return (engine.rows / engine.copyCpu) / (sqlite.rows / sqlite.copyCpu);
}

double LoadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : 0;
}

// One run's figures for the summary.
struct RunFigures {
    double engineTotal = 0, indexWall = 0, wallRatio = 0, cpuRatio = 0, loadBefore = 0, loadAfter = 0;
    double tenTotal = 0;  // the first ten stores alone, beside this run (--beside-ten)
    // Wall seconds a store's copy took within the run: the first ten stores, and those after them;
    // and the median and slowest store (the stores are copies of one store: the spread between
    // them is the machine's).
    double firstTenPerStore = 0, laterPerStore = 0, medianStore = 0, slowestStore = 0;
    bool sqliteFirst = false;
};

void PrintSummary(const std::vector<RunFigures>& runs, std::size_t stores, bool withSqlite) {
    const double totalGoal = 20.0 * static_cast<double>(stores) / 10.0;
    auto best = [&](auto get, bool higher) {
        double v = get(runs.front());
        for (const RunFigures& r : runs) v = higher ? std::max(v, get(r)) : std::min(v, get(r));
        return v;
    };
    std::printf("\n%zu runs\n", runs.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const RunFigures& r = runs[i];
        std::printf("  run %zu (%s first): engine total %.2f s (indexes %.2f s)", i + 1, r.sqliteFirst ? "sqlite" : "engine",
                    r.engineTotal, r.indexWall);
        if (withSqlite) std::printf(", copy ratio %.2f wall, %.2f cpu", r.wallRatio, r.cpuRatio);
        if (r.tenTotal > 0) std::printf(", ten stores %.2f s (x%.2f)", r.tenTotal, r.engineTotal / r.tenTotal);
        if (r.laterPerStore > 0)
            std::printf(", a store's copy %.3f s in the first ten, %.3f s after (x%.2f; median %.3f s, slowest %.3f s)",
                        r.firstTenPerStore, r.laterPerStore, r.laterPerStore / r.firstTenPerStore, r.medianStore,
                        r.slowestStore);
        std::printf(", load average %.2f -> %.2f\n", r.loadBefore, r.loadAfter);
    }
    if (runs.front().tenTotal > 0) {
        const double worst = best([](const RunFigures& r) { return r.engineTotal / r.tenTotal; }, true);
        const double goal = static_cast<double>(stores) / 10.0;
        std::printf("%zu stores / ten stores (wall): best x%.2f, worst x%.2f; goal: every run <= x%.1f: %s\n", stores,
                    best([](const RunFigures& r) { return r.engineTotal / r.tenTotal; }, false), worst, goal,
                    worst <= goal ? "met" : "NOT met");
    }
    if (runs.front().laterPerStore > 0) {
        auto later = [](const RunFigures& r) { return r.laterPerStore / r.firstTenPerStore; };
        std::printf("a store's copy past the tenth / in the first ten (wall): best x%.2f, worst x%.2f\n",
                    best(later, false), best(later, true));
    }
    const double worstTotal = best([](const RunFigures& r) { return r.engineTotal; }, true);
    std::printf("engine total (s, wall): best %.2f, worst %.2f; goal: every run <= %.0f s: %s\n",
                best([](const RunFigures& r) { return r.engineTotal; }, false), worstTotal, totalGoal,
                worstTotal <= totalGoal ? "met" : "NOT met");
    if (withSqlite) {
        const double worstCpu = best([](const RunFigures& r) { return r.cpuRatio; }, false);
        std::printf("engine copy rate / sqlite's (cpu): best %.2f, worst %.2f; goal: >= 0.60: %s\n",
                    best([](const RunFigures& r) { return r.cpuRatio; }, true), worstCpu, worstCpu >= 0.6 ? "met" : "NOT met");
        std::printf("engine copy rate / sqlite's (wall): best %.2f, worst %.2f\n",
                    best([](const RunFigures& r) { return r.wallRatio; }, true),
                    best([](const RunFigures& r) { return r.wallRatio; }, false));
    }
    std::printf("(wall-clock figures follow the machine's load: index builds sort on worker threads)\n");
}

int Usage() {
    std::fprintf(stderr, "usage: consolidation_bench [--work DIR] [--stores N] [--runs R] [--engine-only] [--again]"
                         " [--beside-ten]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path work = fs::temp_directory_path() / "zm-consolidation-bench";
    int count = 10;
    int runs = 3;
    bool engineOnly = false;
    bool again = false;
    bool besideTen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--work" && i + 1 < argc) {
            work = argv[++i];
        } else if (arg == "--stores" && i + 1 < argc) {
            count = std::atoi(argv[++i]);
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (arg == "--engine-only") {
            engineOnly = true;
        } else if (arg == "--again") {
            again = true;
        } else if (arg == "--beside-ten") {
            besideTen = true;
        } else {
            return Usage();
        }
    }
    if (count < 1 || count > 89 || runs < 1 || (besideTen && count <= 10)) return Usage();
    try {
        const std::vector<BenchStore> stores = bench::PrepareStores(work, count);
        WarmFiles(stores);
        SqliteRun({stores.front()});
        fs::remove(win::HostPath(std::string(kSqliteFolder) + "\\Backup.mdb"));
        std::printf("consolidated the first store once, untimed, so that the first run does not grow the heap alone\n");
        if (!engineOnly) std::printf("the engine goes first in odd runs, SQLite in even ones\n");
        std::vector<RunFigures> figures;
        for (int run = 1; run <= runs; ++run) {
            std::printf("\nrun %d of %d\n", run, runs);
            RunFigures f;
            f.sqliteFirst = !engineOnly && run % 2 == 0;
            std::printf("%s goes first\n", f.sqliteFirst ? "sqlite" : "engine");
            f.loadBefore = LoadAverage();
            Measure sqlite;
            auto sqliteRun = [&] {
                sqlite = SqliteRun(stores);
                fs::remove(win::HostPath(std::string(kSqliteFolder) + "\\Backup.mdb"));
            };
            if (f.sqliteFirst) sqliteRun();
            const std::vector<BenchStore> firstTen(stores.begin(), stores.begin() + std::min<std::size_t>(stores.size(), 10));
            auto tenRun = [&] {
                const fs::path file = FreshBackup(kEngineFolder);
                const Measure ten = bench::EngineRun(firstTen, kEngineFolder);
                f.tenTotal = ten.totalWall;
                std::printf("the first ten stores alone: engine total %.2f s (copy %.2f s, indexes %.2f s)\n", f.tenTotal,
                            ten.copyWall, ten.indexWall);
                fs::remove(file);
            };
            if (besideTen && run % 2 == 1) tenRun();
            fs::path engineFile = FreshBackup(kEngineFolder);
            const Measure engine = bench::EngineRun(stores, kEngineFolder);
            std::vector<Column> columns = {{"engine", &engine}};
            Measure second;
            if (again) {
                second = bench::EngineRun(stores, kEngineFolder);
                columns.push_back({"engine again", &second});
            }
            std::printf("BACKUP.MDB after the engine's run: %.0f MB\n", static_cast<double>(fs::file_size(engineFile)) / 1e6);
            fs::remove(engineFile);
            if (besideTen && run % 2 == 0) tenRun();
            if (!engineOnly) {
                if (!f.sqliteFirst) sqliteRun();
                columns.push_back({"sqlite alone", &sqlite});
                f.wallRatio = WallRatio(engine, sqlite);
                f.cpuRatio = CpuRatio(engine, sqlite);
            }
            f.loadAfter = LoadAverage();
            f.engineTotal = engine.totalWall;
            f.indexWall = engine.indexWall;
            if (const auto& at = engine.storeCopiedAt; at.size() > 10) {
                f.firstTenPerStore = at[9] / 10;
                f.laterPerStore = (at.back() - at[9]) / static_cast<double>(at.size() - 10);
                std::vector<double> each(at.size());
                std::adjacent_difference(at.begin(), at.end(), each.begin());
                std::sort(each.begin(), each.end());
                f.medianStore = each[each.size() / 2];
                f.slowestStore = each.back();
            }
            Print(stores, columns);
            figures.push_back(f);
        }
        PrintSummary(figures, stores.size(), !engineOnly);
    } catch (const win::RuntimeError& error) {
        std::fprintf(stderr, "consolidation_bench: error %ld: %s\n", error.Number(), error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "consolidation_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
