#include "bench/consolidation/run.h"

#include <time.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "platform/dao/dao.h"
#include "platform/win/error.h"
#include "report/consolidation/indexes.h"

namespace bench {
namespace {

double CpuNow() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// One copy statement of a store: the table of BACKUP.MDB it creates (first store) and its text.
struct Copy {
    std::string table;
    std::string sql;
};

// The copies of the first store (SELECT ... INTO) or of a later one (INSERT INTO), whole history.
std::vector<Copy> StoreCopies(bool first, const std::string& programFolder) {
    const std::string in = "'" + programFolder + "\\BACKUP.MDB'";
    if (first) {
        return {
            {"Produto", "SELECT Loja.CodLoja, Produto.* INTO Produto IN " + in + " From Produto, Loja WHERE Loja.LojaOrigem='*'"},
            {"Venda", "SELECT Loja.CodLoja, Venda.* INTO Venda IN " + in + " From Venda, Loja WHERE Loja.LojaOrigem='*'"},
            {"[Itens Venda]", "SELECT Loja.CodLoja, [Itens Venda].* INTO [Itens Venda] IN " + in +
                                  " From [Itens Venda], Loja WHERE Loja.LojaOrigem='*'"},
            {"[Pagto Venda]", "SELECT Loja.CodLoja, [Pagto Venda].* INTO [Pagto Venda] IN " + in +
                                  " From [Pagto Venda], Loja WHERE Loja.LojaOrigem='*'"},
            {"FamiliaCons", "SELECT Familia.Código, Familia.Descrição INTO FAMILIACONS IN " + in + " FROM Familia;"},
            {"TransSai", "SELECT  [TransSai].* INTO TransSai IN " + in + " FROM TransSai;"},
            {"GrupoCons", "SELECT Grupo.* INTO GrupoCons IN " + in + " FROM Grupo"},
            {"CorCons", "SELECT Cor.* INTO CorCons IN " + in + "FROM Cor"},
            {"LojaCons", "SELECT Loja.CodLoja, Loja.Nome, Loja.LojaOrigem INTO LojaCons IN" + in + " FROM Loja"},
            {"Vendedor", "SELECT Loja.CodLoja, Vendedor.* INTO Vendedor IN" + in + " From Vendedor, Loja WHERE Loja.LojaOrigem='*'"},
            {"Fornecedor", "SELECT Loja.CodLoja, Fornecedor.* INTO Fornecedor IN " + in +
                               " From Fornecedor, Loja WHERE Loja.LojaOrigem='*'"},
            {"Cliente", "SELECT Loja.CodLoja as CodLojaCons, Cliente.* INTO Cliente IN " + in +
                            " From Loja, Cliente WHERE Loja.LojaOrigem='*'"},
        };
    }
    return {
        {"", "INSERT INTO Produto ( CodLoja ) IN" + in + " SELECT Loja.CodLoja, Produto.* From Produto, Loja WHERE Loja.LojaOrigem='*'"},
        {"", "INSERT INTO Venda ( CodLoja ) IN" + in + " SELECT Loja.CodLoja, Venda.* From Venda, Loja WHERE Loja.LojaOrigem='*'"},
        {"", "INSERT INTO [Itens Venda] ( CodLoja ) IN" + in +
                 " SELECT Loja.CodLoja, [Itens Venda].* From [Itens Venda], Loja WHERE Loja.LojaOrigem='*'"},
        {"", "INSERT INTO [Pagto Venda] ( CodLoja ) IN" + in +
                 " SELECT Loja.CodLoja, [Pagto Venda].* From [Pagto Venda], Loja WHERE Loja.LojaOrigem='*'"},
        {"", "INSERT INTO FamiliaCons ( Código, Descrição ) IN" + in + "SELECT Familia.Código, Familia.Descrição FROM Familia "},
        {"", "INSERT INTO TransSai  IN" + in + "SELECT TransSai.* FROM TransSai "},
        {"", "INSERT INTO GrupoCons IN" + in + "SELECT Grupo.* FROM Grupo"},
        {"", "INSERT INTO CorCons IN" + in + "SELECT Cor.* FROM Cor"},
        {"", "INSERT INTO LojaCons ( CodLoja, Nome,LojaOrigem ) IN" + in + "SELECT Loja.CodLoja, Loja.Nome, Loja.LojaOrigem FROM Loja"},
        {"", "INSERT INTO Vendedor ( CodLoja ) IN" + in + "SELECT Loja.CodLoja, Vendedor.* From Vendedor, Loja WHERE Loja.LojaOrigem='*'"},
        {"", "INSERT INTO Fornecedor ( CodLoja ) IN " + in +
                 "SELECT Loja.CodLoja, Fornecedor.* From Fornecedor, Loja WHERE Loja.LojaOrigem='*'"},
        {"", "INSERT INTO Cliente ( CodLojaCons ) IN " + in +
                 " SELECT Loja.CodLoja As CodLojaCons, Cliente.* From Cliente, Loja WHERE Loja.LojaOrigem='*'"},
    };
}

// The code tables rebuilt from the working tables, each with its primary index.
struct Rebuild {
    std::string table;
    std::string sql;
    report::consolidation::IndexSpec index;
};

std::vector<Rebuild> Rebuilds(const std::string& programFolder) {
    const std::string in = "'" + programFolder + "\\BACKUP.MDB'";
    return {
        {"Familia", "SELECT FAMILIACONS.Código, First(FAMILIACONS.Descrição) AS Descrição INTO Familia IN" + in +
                        " From FAMILIACONS GROUP BY FAMILIACONS.Código",
         {"Familia", "IndCodFam", {"Código"}, true}},
        {"Grupo", "SELECT GrupoCons.Familia, GrupoCons.Grupo, First(GrupoCons.DescGrupo) AS DescGrupo INTO Grupo IN" + in +
                      " From GrupoCons GROUP BY GrupoCons.Familia, GrupoCons.Grupo",
         {"Grupo", "IndCodGrp", {"Familia", "Grupo"}, true}},
        {"Cor", "SELECT CorCons.Código, First(CorCons.Descrição) AS Descrição INTO Cor IN " + in +
                    " From CorCons GROUP BY CorCons.Código",
         {"Cor", "IndCodCor", {"Código"}, true}},
        {"Loja", "SELECT LojaCons.CodLoja, First(LojaCons.Nome) AS Nome, First(LojaCons.LojaOrigem) as LojaOrigem INTO Loja IN " +
                     in + "  From LojaCons GROUP BY LojaCons.CodLoja",
         {"Loja", "IndCódigo", {"CodLoja"}, true}},
    };
}

// Runs a statement that creates `table` in BACKUP.MDB; a table left by the previous consolidation
// (3010) is dropped first, as the run's recovery does for the tables it recreates.
long ExecuteCreating(const dao::Database& db, const dao::Database& backup, const std::string& table, const std::string& sql) {
    try {
        db.Execute(sql);
    } catch (const win::RuntimeError& error) {
        if (error.Number() != 3010) throw;
        backup.Execute("DROP TABLE " + table);
        db.Execute(sql);
    }
    return db.RecordsAffected();
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
    std::printf("  store %zu/%zu copied at %.2f s\n", done, count, WallNow());
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
        const std::string path = stores[i].folder + "\\Produto.mdb";
        dao::Database loja = engine.OpenDatabase(path, false, false, ";DATABASE= " + path + ";PWD=TORPAL");
        for (const Copy& copy : StoreCopies(i == 0, programFolder)) {
            m.rows += i == 0 ? ExecuteCreating(loja, backup, copy.table, copy.sql) : (loja.Execute(copy.sql), loja.RecordsAffected());
        }
        loja.Close();
        engine.Idle(1);
        m.StoreDone(i + 1, stores.size());
    }
    m.CopyDone();
    report::consolidation::IndexWork work;
    for (const Rebuild& r : Rebuilds(programFolder)) {
        ExecuteCreating(backup, backup, r.table, r.sql);
        backup.TableDefs().Refresh();
        work.TabelaIndice = backup.TableDefs().Item(r.table);
        report::consolidation::NovoIndice(work, r.index);
        report::consolidation::AnexaIndice(work);
    }
    report::consolidation::CriaIndicesConsolidados(backup, work);
    m.IndexesDone();
    engine.CommitTrans();
    m.CommitDone();
    status.Close();
    backup.Close();
    return m;
}

}  // namespace bench
