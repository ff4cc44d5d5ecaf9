// Running translated statements: natively on one file, or as a pump between two files.
//
// A statement whose tables all live in the file it runs on is handed to SQLite whole. One whose
// `IN 'file'` target or source is another file copies rows between two files: as a rule as one
// statement on the target's connection, which has the source file attached for reading
// (connection.h: AttachedRead) and reads the source tables under the attachment's schema name.
// Where the file cannot be attached (SQLite attaches at most ten files to a connection, and one
// stays attached until the target's transaction ends), where the source has writes of its own not
// yet committed, or where refused rows are passed over one by one (a trigger on the target), the
// rows go through a pump instead: the SELECT on the source file's connection, each row inserted on
// the target's (jet_pump.h). Either way the target is enlisted in the workspace transaction like
// any other write, and a copy that fails writes nothing.
//
// Execute without dbFailOnError skips a row that breaks a key, a required field or a field rule
// (size, range, conversion) and keeps the others (INSERT OR IGNORE and a filter on the field rules;
// the pump passes over a row its insert refuses). With it the statement raises the engine's number
// (3022, 3058, 3163, 3349, 3421...) and writes nothing. A table another holder keeps deny-write
// raises 3260 (3262 for DROP TABLE) before anything is written.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dao/sql/jet_sql.h"

struct sqlite3;

namespace dao {
class Connection;
}

namespace dao::sql {

// The files a statement touches, as the executor sees them. `file` is "" for the database the
// statement runs on, otherwise the text of an `IN 'file'` clause.
class FileAccess {
public:
    virtual ~FileAccess() = default;
    virtual sqlite3* Handle(const std::string& file) = 0;
    // Before each write to `table` of `file`: raises 3260 (3262 for a structure change) when
    // another holder keeps the table deny-write, and enlists the file in an open workspace
    // transaction.
    virtual void BeforeWrite(const std::string& file, const std::string& table, bool structure) = 0;
    // Raises the engine's error for the last SQLite failure on `file`.
    [[noreturn]] virtual void Fail(const std::string& file, bool write) = 0;
    // After a statement created or dropped `table` in `file`.
    virtual void StructureChanged(const std::string& file, const std::string& table, bool dropped) = 0;

    // A copy of rows from `source` to `target` run as one statement on the target's connection:
    // the running statement translated to read its source tables from the source file attached
    // there, and the read that keeps that file still, held until the copy has run. nullopt (the
    // default): the rows go through the pump.
    struct AttachedCopy {
        Translation translation;
        std::shared_ptr<void> read;
    };
    virtual std::optional<AttachedCopy> AttachSource(const std::string& source, const std::string& target);
};

// A user table of `db` with its fields (the declared column types carry the engine's types);
// nullopt when there is none of that name.
std::optional<TableInfo> ReadTableInfo(sqlite3* db, std::string_view name);

// Runs a statement that returns no rows; answers how many rows it wrote. A Select raises 3065.
long long RunTranslation(const Translation& translation, FileAccess& files);

// ---- call-ins for the object model ----------------------------------------------------------

// Database.Execute(sql[, dbFailOnError]) on `connection`: translates (cached per file by text) and
// runs the statement. Returns RecordsAffected.
long long ExecuteJetSql(Connection& connection, std::string_view sql, bool failOnError);

// A query recordset's SELECT and the connection it reads through.
struct JetQuery {
    Translation translation;              // Select: `sql` and `resultColumns`
    std::shared_ptr<Connection> reader;   // the recordset's own connection, or the IN file's
};

// OpenRecordset on SQL text or a stored query's text: the SQLite SELECT, its columns with their
// engine types, and the connection to run it on. An action statement raises 3219.
//
// A SELECT whose tables live in another file (`FROM t IN 'file'`, as a report query reads the
// consolidated database) reads through that file's connection:
//   1. The IN clause names the file of every table of the FROM clause (a second, different file
//      raises 3131), so the SELECT runs whole on that file's connection. A stored query that reads
//      another file may be the one table of a SELECT ("SELECT * FROM [Relato003]"), which then
//      runs on that file too; beside other tables it raises 3131. Nothing is attached to
//      the recordset's own connection for it: no attach limit. (A file's connection has another
//      file attached only while a copy into it reads that file, under a schema name no table
//      takes; names of its own come first.)
//   2. A connection this engine has open on the file, read-write or read-only, is used as it
//      stands: its password was given when it was opened, and it sees what the open workspace
//      transaction wrote there. Otherwise the file is opened shared, read-only and without a
//      password, as the engine opens the files an IN clause names: 3031 for a protected file,
//      3024, 3044, 3343... as for any open.
//   3. Query recordsets read every row at open (recordset.cpp): `reader` is released with the
//      rows read, so the recordset never holds the other file open and a file opened for it is
//      closed again at once.
//   4. Such a recordset is read-only, as every query recordset is: Edit, AddNew and Delete raise
//      3027.
// Translations that looked at another file are not cached: that file's tables may change without
// a change this engine sees.
JetQuery TranslateJetQuery(Connection& connection, std::string_view sql);

// How many translations were served from the cache (tests watch the cache with it).
std::uint64_t TranslationCacheHits();
// How many copies between two files ran as one statement over the attached source file.
std::uint64_t AttachedCopies();

}  // namespace dao::sql
