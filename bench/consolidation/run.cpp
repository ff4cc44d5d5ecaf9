#include "bench/consolidation/run.h"

#include <time.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "platform/dao/dao.h"
#include "platform/win/error.h"
#include "report/consolidation/indexes.h"
#include "report/consolidation/run_statements.h"

namespace bench {
namespace {

double CpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Runs a statement that creates `table` in BACKUP.MDB, recovering as the run does when the
// previous consolidation left it there (3010): a code table gets the codes it lacks (and answers
// false: it keeps the primary index it has), any other table is dropped and the statement run
// again.
bool ExecuteCreating(const dao::Database& db, const dao::Database& backup, const std::string& programFolder,
                     const std::string& table, const std::string& sql, long long& rows) {
    try {
        db.Execute(sql);
    } catch (const win::RuntimeError& error) {
        if (error.Number() != 3010) throw;
        if (const auto topUp = report::consolidation::TopUpStatement(table, programFolder)) {
            backup.Execute(*topUp);
            rows += backup.RecordsAffected();
            return false;
        }
        backup.Execute(report::consolidation::DropTableStatement(table));
        db.Execute(sql);
    }
    rows += db.RecordsAffected();
    return true;
}

// One store's twelve statements inside a level of their own, as the run copies a store.
void CopyStore(const dao::DBEngine& engine, const dao::Database& backup, const BenchStore& store,
               const std::string& programFolder, bool first, long long& rows) {
    const std::string path = store.folder + "\\Produto.mdb";
    dao::Database loja = engine.OpenDatabase(path, false, false, ";DATABASE= " + path + ";PWD=TORPAL");
    engine.BeginTrans();
    for (const auto& copy : report::consolidation::CopyStatements(programFolder, first, std::nullopt)) {
        if (first) {
            ExecuteCreating(loja, backup, programFolder, copy.tabelaAtual, copy.sql, rows);
        } else {
            loja.Execute(copy.sql);
            rows += loja.RecordsAffected();
        }
    }
    engine.CommitTrans();
    loja.Close();
    engine.Idle(1);
}

// The code tables rebuilt with their primary indexes, then the consolidated tables' indexes.
void BuildIndexes(const dao::Database& backup, const std::string& programFolder) {
    report::consolidation::IndexWork work;
    long long rows = 0;
    bool first = true;
    for (const auto& r : report::consolidation::RebuildStatements(programFolder)) {
        if (!ExecuteCreating(backup, backup, programFolder, r.tabelaAtual, r.sql, rows)) continue;
        if (!first) backup.TableDefs().Refresh();
        first = false;
        work.TabelaIndice = backup.TableDefs().Item(r.tabelaAtual);
        report::consolidation::NovoIndice(work, {r.tabelaAtual, r.index, r.key, true});
        report::consolidation::AnexaIndice(work);
    }
    report::consolidation::CriaIndicesConsolidados(backup, work);
}

}  // namespace

void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5\n"; }

long PeakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

double Measure::WallNow() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }

void Measure::Start() {
    ResetPeakMemory();
    start_ = std::chrono::steady_clock::now();
    cpuStart_ = CpuNow();
}

void Measure::StoreDone(std::size_t done, std::size_t count) {
    if (done == 1 || done == 5 || done == count) peakAfter[done] = PeakMemoryKiB();
    storeCopiedAt.push_back(WallNow());
    std::printf("  store %zu/%zu copied at %.2f s\n", done, count, storeCopiedAt.back());
    std::fflush(stdout);
}

void Measure::CopyDone() {
    copyWall = WallNow();
    copyCpu = CpuNow() - cpuStart_;
    phaseStart_ = copyWall;
}

void Measure::IndexesDone() {
    indexWall = WallNow() - phaseStart_;
    phaseStart_ = WallNow();
}

void Measure::CommitDone() {
    commitWall = WallNow() - phaseStart_;
    totalWall = WallNow();
    totalCpu = CpuNow() - cpuStart_;
}

Measure EngineRun(const std::vector<BenchStore>& stores, const std::string& programFolder) {
    std::printf("engine:\n");
    Measure m;
    m.Start();
    dao::DBEngine engine;
    dao::Database backup = engine.OpenDatabase(programFolder + "\\Backup.mdb");
    dao::Recordset status = backup.OpenRecordset("Status", dao::dbOpenTable, dao::dbDenyWrite);
    engine.BeginTrans();
    status.Edit();
    status("Data").SetValue(dao::Value::Date(45000));
    status.Update();
    for (std::size_t i = 0; i < stores.size(); ++i) {
        CopyStore(engine, backup, stores[i], programFolder, i == 0, m.rows);
        m.StoreDone(i + 1, stores.size());
    }
    m.CopyDone();
    BuildIndexes(backup, programFolder);
    m.IndexesDone();
    engine.CommitTrans();
    m.CommitDone();
    status.Close();
    backup.Close();
    return m;
}

}  // namespace bench
