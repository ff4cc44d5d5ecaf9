// Table layouts of the sample chain's databases, and their creation through the engine.
#pragma once

#include <string>
#include <vector>

#include "platform/dao/dao.h"

namespace sample_chain {

struct FieldDef {
    std::string name;
    dao::DataType type;
    int size;  // Text only
};

struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
    bool primary = false;
};

struct TableLayout {
    std::string name;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
};

// How far behind the program a store's structure is (see chain.h).
struct Aging {
    bool narrowedFields = false;     // Produto.IPI Single, Cliente.Email Text 40
    bool lacksLastFields = false;    // the last described field of tables of 10 fields or more
    bool lacksNewTables = false;     // FundoCaixaSaldo, FundoCaixa, ItensTransEntBaixa
};

// The store database names, in the schema description's order (0 Produto .. 4 Transfer).
const std::vector<std::string>& StoreDatabaseNames();

// The tables of store database `database` (0..4): the described fields, then the other fields
// the program names, with the old indexes.
std::vector<TableLayout> StoreLayouts(int database, const Aging& aging);

// Bd2.MDB: users, rights and the report catalogue.
std::vector<TableLayout> Bd2Layouts();
// The program folder's Produto.MDB: table Loja only.
std::vector<TableLayout> ProgramProdutoLayouts();
// The program folder's BACKUP.MDB: table Status, and ResumoVenda that a report's pre-queries fill.
std::vector<TableLayout> BackupLayouts();
// dbkvt.mdb: the LOG_ tables with the indexes start-up sets.
std::vector<TableLayout> PostalLayouts();

void CreateTables(const dao::Database& db, const std::vector<TableLayout>& tables);

}  // namespace sample_chain
