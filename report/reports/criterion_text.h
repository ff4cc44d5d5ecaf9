// The texts a report run builds from the catalogue's stored statements: the run query with the
// criterion merged in, IN targets sent to the program folder's BACKUP.MDB, the pre-queries as they
// run, and the criterion text the report file shows.
//
// All of them work on a scan of the statement (ScanSql), never on character positions: a quoted
// text, a bracketed name, a #date# and a parenthesised group are each one piece, so words inside
// them (a field named [Group By], a value 'JOAO IN SP', a subquery's ORDER BY) never steer a merge.
// For every statement whose keywords stand only at the top level the results are those of the
// plain text search the catalogue was written for; where that search would cut a statement apart
// (no ";", a second WHERE, an IN list) these functions still give one working statement.
//
// Pure functions of their arguments; nothing here touches a database.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace report::reports {

struct SqlPiece {
    enum class Kind { Word, Quoted, Bracketed, Date, Open, Close, Semicolon, Other };
    Kind kind;
    std::size_t begin;  // byte offsets into the scanned text
    std::size_t end;
    int depth;          // parentheses around the piece (0: top level)
};

// Splits `sql` into pieces; blanks and line breaks between them are dropped. An unclosed quote,
// bracket or #date runs to the end of the text as one piece.
std::vector<SqlPiece> ScanSql(std::string_view sql);

// The run query's name: "Relato" + the last three characters of the report's query name.
std::string RunQueryName(std::string_view consulta);

// The stored query `storedSql` with `criterion` (empty, or " Where " + condition) merged in:
// before the first top-level GROUP BY, else before the first top-level ORDER BY (both followed by
// a blank and the rest of the text), else in place of the first top-level ";" and what follows
// it, else at the end. When the text before that point already has a top-level WHERE, a criterion
// beginning with the word Where joins it: "WHERE (own condition) And (criterion's condition)",
// each kept as it is when it already is one parenthesised group.
std::string MergeCriterion(std::string_view storedSql, std::string_view criterion);

// Every target `IN '<path>\BACKUP.MDB'` (the file name in any case, at any depth, either quote)
// becomes `IN '<programFolder>\BACKUP.MDB'`, the file name keeping the case it was written in and
// the literal its quote, which is doubled wherever the folder holds it (C:\D''AVILA).
// Any other IN (a list, another file) is left as it is.
std::string RedirectBackup(std::string_view sql, std::string_view programFolder);

// A pre-query as it runs: upper-cased, then redirected; the folder keeps its case.
std::string RewritePreQuery(std::string_view sql, std::string_view programFolder);

// The text of the report's formula Criterio: `nome` + " " + `texto` without its leading blanks,
// double quotes turned into single ones, each line break into a blank, trimmed, and cut to its
// first 253 characters.
std::string CriterionFormulaText(std::string_view nome, std::string_view texto);

}  // namespace report::reports
