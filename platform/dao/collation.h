// Names and text values compared as the engine compares them.
//
// Case does not count, also for accented capitals ("Código" is "CÓDIGO", "PRODUTOCONS" is
// "ProdutoCons"); accents do count ("Codigo" is another name). SQLite's NOCASE folds ASCII only,
// so every connection registers the collation below and text columns are declared with it: it
// orders by the letters without their accents first and breaks ties by the accents, so "Código"
// sorts between "Codigo" and "Cor", and equality still tells the accents apart.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace dao {

// Name under which RegisterJetCollation installs the collation on a connection.
inline constexpr const char* kJetTextCollation = "JETTEXT";

// Upper-cases ASCII and Latin letters (Latin-1 and Latin Extended-A capitals included) in UTF-8
// text; other characters, accents and invalid bytes are kept as they are.
std::string JetFold(std::string_view text);

// Three-way comparison with the collation's order: <0, 0, >0.
int JetCompare(std::string_view a, std::string_view b);

// True when two names of tables, fields, indexes, relations, queries or properties are the same.
bool JetNamesEqual(std::string_view a, std::string_view b);

// JetCompare in the form of an SQLite collation callback (UTF-8 texts with their lengths).
int JetCollate(void*, int lengthA, const void* a, int lengthB, const void* b);

// Installs JETTEXT on `db` (SQLITE_UTF8). Returns the SQLite result code.
int RegisterJetCollation(sqlite3* db);

}  // namespace dao
