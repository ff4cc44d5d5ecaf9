// The texts of the statements the consolidation run sends to the database engine.
//
// Every row moves inside the engine: the run composes these statements and has the store's
// database (the copies) or BACKUP.MDB itself (the code tables) execute them. A statement is a
// head text, the IN target naming BACKUP.MDB of the program folder, and a tail text; whether a
// blank stands between IN and the target, or between the target and the next word, lies only in
// the head and tail texts, which the engine's dialect accepts either way.
//
// All functions are pure: same arguments, same text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace report::consolidation {

// "'" + folder + "\BACKUP.MDB" + "'", each apostrophe of the folder doubled (QuotedText) so the
// literal stays one literal whatever the folder's name.
std::string InTarget(const std::string& programFolder);

// The period of the sales to copy: the two dates' texts exactly as the fields show them.
struct Period {
    std::string d1;
    std::string d2;
};

// How many copy statements a store has: the run's steps Store.Copy1 .. Store.Copy12.
inline constexpr std::size_t kCopyStatementCount = 12;

// One of a store's twelve copy statements. `tabelaAtual` is the table of BACKUP.MDB that the
// statement creates (brackets included, so "DROP TABLE " + it is valid); `percentage` is the
// progress shown once it has run, -1 for none.
struct CopyStatement {
    std::string tabelaAtual;
    std::string sql;
    int percentage = -1;
};

// The kCopyStatementCount statements of a store, in order: the SELECT ... INTO forms for the
// first store copied in a run (`first`), the INSERT INTO forms after it. Without a period the
// sales tables are copied whole.
std::vector<CopyStatement> CopyStatements(const std::string& programFolder, bool first,
                                          const std::optional<Period>& period);

// A code table rebuilt from its working table, with the primary index built right after it.
struct RebuildStatement {
    std::string tabelaAtual;
    std::string sql;
    std::string index;
    std::vector<std::string> key;
};

// The four rebuild statements (Familia, Grupo, Cor, Loja) executed by BACKUP.MDB.
std::vector<RebuildStatement> RebuildStatements(const std::string& programFolder);

// The statement that adds to an existing code table only the codes it lacks, for "Familia",
// "Grupo" and "Cor"; nullopt for any other table (which is dropped and created again instead).
std::optional<std::string> TopUpStatement(const std::string& tabelaAtual, const std::string& programFolder);

// "DROP TABLE " + the table's name as `tabelaAtual` holds it.
std::string DropTableStatement(const std::string& tabelaAtual);

}  // namespace report::consolidation
