// The consolidated database BACKUP.MDB of the program folder (not the store's data folder).
//
// It holds the last committed consolidation of the chain's stores:
//   Status            one row: Data and Hora of the last completed consolidation
//   per-store tables  Produto, Venda, Itens Venda, Pagto Venda, Vendedor, Fornecedor, Cliente,
//                     TransSai: the store code first (CodLojaCons in Cliente, whose own CodLoja is
//                     a field of the store's; none in TransSai), then every field of the store's
//                     table with its type; no index until the run's index step (indexes.h)
//   working tables    FAMILIACONS, GrupoCons, CorCons, LojaCons: every store's codes, rebuilt
//                     by every run
//   code tables       Familia, Grupo, Cor, Loja: one row per code, each with its primary index
//
// The file carries no password and is opened without a connect string. The consolidation run
// never creates it: installation (here the sample chain) and the tests do, with CreateBackup.
// The run replaces the per-store, working and Loja tables and adds to Familia, Grupo and Cor.
#pragma once

#include <string>
#include <vector>

#include "platform/dao/dao.h"

namespace report::consolidation {

// The file's name in the program folder for file operations, and after the folder in IN targets.
inline constexpr const char* kBackupFileName = "\\Backup.mdb";
inline constexpr const char* kBackupTargetName = "\\BACKUP.MDB";

struct PerStoreTable {
    std::string name;
    std::string storeCodeField;   // "" for a table copied without the store code
};
const std::vector<PerStoreTable>& PerStoreTables();

// A table built from the fields `fields` of the store's table `source` (all of them when empty),
// with a primary index `primaryIndex` on `key` when it has one.
struct DerivedTable {
    std::string name;
    std::string source;
    std::vector<std::string> fields;
    std::string primaryIndex;
    std::vector<std::string> key;
};
const std::vector<DerivedTable>& WorkingTables();
const std::vector<DerivedTable>& CodeTables();

// Creates the database at `path` (3204 when a file is there) with every table above, the field
// types taken from the store database `store` (a store's Produto.MDB), and Status's one row
// holding `data` and `hora` (OLE dates). The per-store, working and code tables are empty.
void CreateBackup(const dao::DBEngine& engine, const std::string& path, const dao::Database& store, double data,
                  double hora);

}  // namespace report::consolidation
