// A loadable SQLite extension that installs the JETTEXT collation, so that a stock SQLite tool can
// sort, compare and count the text columns of the store databases, which are declared with it:
//   sqlite3 Produto.MDB
//   sqlite> .load /path/to/jettext
// It is built from the engine's own comparison, so a tool orders and matches text exactly as the
// program does. SQLite derives the entry point's name, sqlite3_jettext_init, from the file name.
#include <sqlite3ext.h>

#include "platform/dao/collation.h"

SQLITE_EXTENSION_INIT1

// The host's SQLite is reached only through `api`: the tool may carry a SQLite of its own.
extern "C" __attribute__((visibility("default"))) int sqlite3_jettext_init(sqlite3* db, char**,
                                                                           const sqlite3_api_routines* api) {
    SQLITE_EXTENSION_INIT2(api);
    return sqlite3_create_collation_v2(db, dao::kJetTextCollation, SQLITE_UTF8, nullptr, dao::JetCollate, nullptr);
}
