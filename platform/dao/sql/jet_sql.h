// Jet SQL over SQLite: the translator, the engine's SQL functions and the schema it needs.
//
// Statements reach the engine as Jet SQL text (stored queries, texts built at run time). They are
// translated by a tokenizer and a small parser, never by text substitution, into SQLite SQL that
// runs on the connection of one file, plus what an executor needs to run the statements that name
// another file (`IN 'file'` targets and sources) as a pump between two connections.
//
// Storage the translation and the functions rely on (the object model writes values this way):
//   Boolean  INTEGER 0 / -1          Byte, Integer, Long  INTEGER
//   Currency REAL rounded to 4 decimals (so SQL arithmetic and comparisons stay numeric), at most
//            kCurrencyFieldUnits (value.h) in ten-thousandths either way, which it keeps exactly
//   Single, Double REAL              Date  an OLE date (days since 1899-12-30): REAL, or INTEGER
//   Text, Memo TEXT (UTF-8)                for a whole day, as the column's numeric affinity keeps it
// The functions take both storage classes for dates. Running the translations, across files too,
// is jet_execute.h's.
//
// Errors: every function here raises win::RuntimeError with the engine's own numbers:
//   3075 syntax error in an expression, 3085 unknown function, 3061 unknown name (too few
//   parameters), 3078 unknown input table, 3010 SELECT INTO a table that exists, 3127 INSERT INTO
//   an unknown field, 3192 INSERT INTO an unknown table, 3346 more or fewer values than fields,
//   3129 not a statement, 3131 syntax error in FROM, 3134 in INSERT INTO, 3144 in UPDATE,
//   3295 in DROP TABLE, 3376 DROP TABLE of an unknown table. Subqueries, UNION, TRANSFORM and
//   PARAMETERS are outside the language translated here and raise 3075 or 3129.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace dao::sql {

// Field type codes as the engine's metadata keeps them.
enum JetTypeCode : int {
    kJetBoolean = 1, kJetByte = 2, kJetInteger = 3, kJetLong = 4, kJetCurrency = 5,
    kJetSingle = 6, kJetDouble = 7, kJetDate = 8, kJetText = 10, kJetMemo = 12,
};

struct ColumnInfo {
    std::string name;   // as stored in the file
    int type = kJetText;
    int size = 255;     // Text size; 0 for Memo; the fixed size for the other types
};

struct TableInfo {
    std::string name;   // as stored in the file (the canonical spelling)
    std::vector<ColumnInfo> columns;  // in ordinal order
};

// What the translator asks about the files a statement names. The database layer implements it
// over its hidden metadata; tests implement it over a map.
class SchemaLookup {
public:
    virtual ~SchemaLookup() = default;

    // The table `name` (compared as the engine compares names: case-insensitive, accented capitals
    // included) of `file`: "" is the database the statement runs on, otherwise the path text of an
    // `IN 'file'` clause exactly as written. nullopt when the file has no such table. A file that
    // cannot be opened raises the engine's error for it (3024, 3044, 3343, 3031...).
    virtual std::optional<TableInfo> FindTable(std::string_view file, std::string_view name) const = 0;

    // The SQL text of the stored query `name` of `file`, for a query that names another stored
    // query as a table. None by default.
    virtual std::optional<std::string> FindQuery(std::string_view file, std::string_view name) const {
        (void)file;
        (void)name;
        return std::nullopt;
    }

    // Grows whenever any table of any file is created, dropped or changes its fields. Cached
    // translations are valid only for the generation they were made in.
    virtual std::uint64_t Generation() const = 0;
};

enum class StatementKind {
    Select,        // a query: `sql` is the SELECT
    SelectInto,    // SELECT ... INTO t [IN 'file']: create t from `newColumns`, then copy
    InsertSelect,  // INSERT INTO t [(cols)] [IN 'file'] SELECT ...
    InsertValues,  // INSERT INTO t [(cols)] VALUES (...)
    Update,        // UPDATE, also through inner and outer joins
    Delete,        // DELETE [*] FROM t [WHERE ...]
    DropTable,     // DROP TABLE t
};

struct Translation {
    StatementKind kind = StatementKind::Select;

    // The whole statement as SQLite SQL, for the case where every table it names lives in the one
    // file it runs on, or is read from a file attached there (TranslateOptions::sourceSchema).
    // SelectInto: the INSERT that fills the table once it has been created.
    std::string sql;

    // SelectInto and InsertSelect: the SELECT alone (what a pump runs on the source file), and
    // `pumpInsert`, the prepared INSERT with one `?` per SELECT column (run on the target file).
    std::string select;
    std::string pumpInsert;

    // The table written (all kinds but Select), in the spelling of the file when it exists.
    std::string target;
    // `IN 'file'` of the target and of the FROM tables (for the FROM tables also the file a stored
    // query named there reads); nullopt: the file the statement runs on.
    std::optional<std::string> targetFile;
    std::optional<std::string> sourceFile;

    // SelectInto, Insert*: the target column for each SELECT (or VALUES) column, in order.
    std::vector<std::string> targetColumns;
    // SelectInto: the table to create, with the Jet types and sizes of the source columns.
    std::vector<ColumnInfo> newColumns;
    // Select: the output columns with their Jet types (for recordset fields).
    std::vector<ColumnInfo> resultColumns;
};

struct TranslateOptions {
    // Execute without dbFailOnError: a row that breaks a key, a required field or a field rule
    // (Text size 3163, range 3349, conversion 3421) is skipped and the others stay (INSERT OR
    // IGNORE / UPDATE OR IGNORE, a filter on the field rules, and the pump skips the row). With
    // dbFailOnError the first such value fails the statement, which then writes nothing.
    bool skipFailingRows = true;
    // SelectInto and InsertSelect: the schema under which the connection that runs `sql` has the
    // source tables' file attached; their names are written qualified with it, and the target's
    // with "main"; a SELECT ... INTO is taken to be running, its table made already. Empty: every
    // table lies in the file the statement runs on.
    std::string sourceSchema;
};

// Translates one Jet SQL statement (a closing ";" is allowed). Raises the numbers listed above.
Translation TranslateJetSql(std::string_view jetSql, const SchemaLookup& schema,
                            const TranslateOptions& options = {});

// Registers the engine's SQL functions (CDate, Format, CCur, Nz, IIf, Mid, DateValue, First, ...)
// and the helpers the translation emits (jet_concat, jet_like, jet_as_date, ...) on `db`.
// Deterministic functions are marked so, so that an index on a compared column is used.
// Returns SQLITE_OK or the first failing code.
int RegisterJetFunctions(sqlite3* db);

}  // namespace dao::sql
