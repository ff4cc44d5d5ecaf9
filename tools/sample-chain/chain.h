// The sample chain: a machine root holding the program folder and three stores' data folders, as
// the tests, the benchmarks and the README's run command use it.
//
// Program folder (default C:\REPORT): Produto.MDB with table Loja listing the three stores,
// Bd2.MDB with the users, rights and report catalogue, BACKUP.MDB (the consolidated database,
// without a password: Status with its row, the other tables empty, field types from LOJA01, and
// the table a report's pre-queries fill), MOTIVA.TXT, the report files of the catalogue
// (docs/report-files.md), and optionally the postal-code database dbkvt.mdb.
//
// The catalogue's reports take every road of a run: R001 plain (with saved criteria), R002 a
// temporary table and a pre-query for a consult-only user, R003 consolidated (its query reads the
// sales the consolidation gathered, through IN naming BACKUP.MDB of the program folder), R004 a
// temporary table its pre-query fills, R005 pre-queries into BACKUP.MDB written for another folder
// and back into a temporary table, and R006 every sale grouped by salesman (the benchmark's report).
//
// Stores (LocalLojas as table Loja holds it -> where the data lies):
//   01  "F:\LOJA01\" -> F:\LOJA01   the own store (LojaOrigem "*")
//   02  "F:\LOJA02\" -> F:\LOJA02
//   03  "F:\LOJA03\" -> C:\LOJA03   absent from F:, found on drive C: by the store choice
// LOJA01's own table Loja also lists two stores this machine cannot reach, between the others
// (order 01, 04, 02, 05, 03), for the consolidation's store list:
//   04  LocalLojas Null
//   05  "G:\LOJA05\"  on a drive that is not mapped
// Each data folder holds Produto, Antigo, Backup, Modem and Transfer .MDB and Bd2.MDB.
//
// The store databases are older than the program, so that the first log-in upgrades them:
//   - every store is stamped before the program's version (LOJA02's stamp is Null);
//   - no field carries its Format property yet, and the tables carry the indexes of the old
//     layout (the counts the index repairs look for);
//   - LOJA01 has a Single where the program wants a Double (Produto.IPI) and a shorter text
//     (Cliente.Email, 40 instead of 50);
//   - LOJA02 lacks the last described field of every table of ten fields or more;
//   - LOJA03 lacks the tables FundoCaixaSaldo, FundoCaixa and ItensTransEntBaixa.
// Besides the described fields every table holds the key and data fields the program's windows,
// queries and consolidation name. Everything is deterministic for a given seed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace sample_chain {

struct Options {
    std::filesystem::path root;              // the machine root to build in (created when missing)
    std::string programFolder = "C:\\REPORT";
    unsigned seed = 1;
    bool postal = false;      // also dbkvt.mdb in the program folder
    bool large = false;       // LOJA01 with benchmark volumes
    int largeSales = 0;       // with `large`: LOJA01's sales, when not 0 (LargeVolumes' otherwise)
    bool package = false;     // a catalogue update PROG.MDB in LOJA01 (package.h)
    bool packagePassword = true;  // the package protected by the store password
};

struct Store {
    std::string code;
    std::string name;
    std::string localLojas;  // as table Loja holds it
    std::string folder;      // where its data lies
};

const std::vector<Store>& Stores();
// The unreachable stores LOJA01's table Loja lists (folder ""; localLojas "" stands for Null).
const std::vector<Store>& UnreachableStores();

// Volumes of one store's sales data.
struct Volumes {
    int products;
    int sales;
};
Volumes SmallVolumes();
Volumes LargeVolumes();  // 20,000 products, 200,000 sales

// Builds the chain; raises win::RuntimeError when a file exists already or cannot be written.
void BuildChain(const Options& options);

// The store's version stamp as the chain writes it: 1 January 2001 (Null for LOJA02).
inline constexpr const char* kOldVersion = "01/01/2001";

}  // namespace sample_chain
