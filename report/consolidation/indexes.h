// The indexes of the consolidated database BACKUP.MDB.
//
// The run copies the chosen stores' tables into BACKUP.MDB without indexes and builds them once
// every row is in (building an index over a filled table is far cheaper than keeping it during
// the copy). Every index but Fornecedor's primary one leads with the store code CodLoja, so equal
// keys of different stores are different entries. Index names repeat across tables (IndVenda on
// three of them): a name is unique only within its table.
//
// Neither procedure traps errors: a missing table or field, a name already on the table, or
// duplicate keys under a primary index go back to the run, which decides what follows.
// `IndexWork::next` is the position of the next index of the table to build; it stays on the
// index that failed, so the run can resume there instead of meeting the indexes it has already
// built (3284), and goes back to 0 once all twelve exist.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/dao/dao.h"

namespace report::consolidation {

struct IndexSpec {
    std::string table;
    std::string name;
    std::vector<std::string> fields;   // in key order, each ascending
    bool primary = false;              // a primary index is also required
};

// The twelve indexes, in the order they are built.
const std::vector<IndexSpec>& ConsolidatedIndexes();

// The table that receives the next index and the index being built (shared with the run, which
// builds the primary indexes of the code tables it rebuilds through the same two objects).
struct IndexWork {
    std::optional<dao::TableDef> TabelaIndice;
    std::optional<dao::Index> IndiceNovo;
    std::size_t next = 0;
};

// Makes IndiceNovo a complete index of `spec` on TabelaIndice: its fields in order, Primary and
// Required as `spec.primary` says, IgnoreNulls off, Unique left unset.
void NovoIndice(IndexWork& work, const IndexSpec& spec);

// Appends IndiceNovo to TabelaIndice's indexes and refreshes them, so the index is visible at once.
void AnexaIndice(IndexWork& work);

// Builds the twelve indexes in `BancoBackup`, from position `work.next` on.
void CriaIndicesConsolidados(const dao::Database& BancoBackup, IndexWork& work);

}  // namespace report::consolidation
