#include "platform/dao/sql/jet_execute.h"

#include <sqlite3.h>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dao/catalog.h"
#include "platform/dao/collation.h"
#include "platform/dao/connection.h"
#include "platform/dao/errors.h"
#include "platform/dao/sql/jet_internal.h"
#include "platform/dao/sql/jet_pump.h"
#include "platform/win/paths.h"

namespace dao::sql {
namespace {

std::atomic<std::uint64_t> gAttachedCopies{0};

void ExecOn(FileAccess& files, const std::string& file, const std::string& sql, bool write) {
    if (sqlite3_exec(files.Handle(file), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        files.Fail(file, write);
    }
}

// Whether a copy passes over the rows the target refuses (Execute without dbFailOnError).
bool SkipsRefusedRows(const Translation& tr) { return tr.pumpInsert.rfind("INSERT OR IGNORE", 0) == 0; }

long long Pump(const Translation& tr, FileAccess& files, const std::string& source, const std::string& target) {
    PumpSides sides{files.Handle(source), files.Handle(target),
                    [&](bool onTarget) { files.Fail(onTarget ? target : source, onTarget); }};
    return PumpRows(sides, tr.select, tr.target, tr.pumpInsert, SkipsRefusedRows(tr));
}

std::string CreateTableSql(const Translation& tr) {
    std::string sql = "CREATE TABLE " + QuoteName(tr.target) + " (";
    for (std::size_t i = 0; i < tr.newColumns.size(); ++i) {
        const ColumnInfo& c = tr.newColumns[i];
        sql += (i ? ", " : "") + ColumnDefinition(c.name, static_cast<DataType>(c.type), c.size);
    }
    return sql + ")";
}

// Failures of a statement that copies from an attached file that lie with the target alone: a
// refused row, the stop, the target's locks and space. Any other may have come from reading the
// source.
bool TargetsFailure(int code) {
    switch (code & 0xFF) {
    case SQLITE_CONSTRAINT:
    case SQLITE_INTERRUPT:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_FULL:
    case SQLITE_NOMEM:
    case SQLITE_READONLY:
    case SQLITE_TOOBIG: return true;
    default: return false;
    }
}

// Whether `select` runs to its end on `db` (on failure, `db` keeps the error).
bool ReadsToTheEnd(sqlite3* db, const std::string& select) {
    Statement query(db, select);
    if (!query.Ok()) return false;
    int rc = SQLITE_ROW;
    while ((rc = query.StepCode()) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE;
}

// The copy as one statement of the target's connection, reading the source file attached there;
// nullopt when it goes through the pump instead: refused rows are passed over one by one, the file
// cannot be attached, or the statement failed in a way that may lie with the source file. It has
// then written nothing, and the pump meets the failure again and reports it as the file's it
// belongs to. A damaged page met inside a transaction is reported at once, as the source's when
// the source's own read fails too; the target's transaction then writes no more until it is rolled
// back, as the consolidation does on that error.
std::optional<long long> CopyAttached(const Translation& tr, FileAccess& files, const std::string& source,
                                      const std::string& target) {
    sqlite3* db = files.Handle(target);
    if (SkipsRowsOneByOne(db, tr.target, SkipsRefusedRows(tr))) return std::nullopt;
    std::optional<FileAccess::AttachedCopy> copy = files.AttachSource(source, target);
    if (!copy) return std::nullopt;
    const bool inTransaction = sqlite3_get_autocommit(db) == 0;
    if (sqlite3_exec(db, copy->translation.sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) {
        ++gAttachedCopies;
        return sqlite3_changes(db);
    }
    const bool transactionKept = (sqlite3_get_autocommit(db) == 0) == inTransaction;
    const int code = sqlite3_extended_errcode(db) & 0xFF;
    if (!transactionKept || TargetsFailure(code)) files.Fail(target, true);
    // A transaction that met a damaged page writes no more until it is rolled back (SQLite's rule),
    // so the pump cannot follow: the source is the file at fault when its own read fails.
    if (inTransaction && (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)) {
        if (!ReadsToTheEnd(files.Handle(source), tr.select)) files.Fail(source, false);
        files.Fail(target, true);
    }
    return std::nullopt;
}

long long CopyRows(const Translation& tr, FileAccess& files) {
    const std::string source = tr.sourceFile.value_or("");
    const std::string target = tr.targetFile.value_or("");
    files.BeforeWrite(target, tr.target, false);
    if (files.Handle(source) == files.Handle(target)) {
        ExecOn(files, target, tr.sql, true);
        return sqlite3_changes(files.Handle(target));
    }
    std::optional<long long> written = CopyAttached(tr, files, source, target);
    if (!written) written = Pump(tr, files, source, target);
    if (*written >= kWritebackRows) StartWriteback(files.Handle(target));
    return *written;
}

// SELECT ... INTO: the table is created with the source's types, then filled. A copy that fails
// takes the new table away again, so a retry does not meet 3010.
long long SelectInto(const Translation& tr, FileAccess& files) {
    const std::string target = tr.targetFile.value_or("");
    files.BeforeWrite(target, tr.target, true);
    ExecOn(files, target, CreateTableSql(tr), true);
    files.StructureChanged(target, tr.target, false);
    try {
        return CopyRows(tr, files);
    } catch (...) {
        // The copy's own error is the one to report; tidying up must not replace it.
        try {
            sqlite3_exec(files.Handle(target), ("DROP TABLE " + QuoteName(tr.target)).c_str(), nullptr, nullptr, nullptr);
            files.StructureChanged(target, tr.target, true);
        } catch (...) {
        }
        throw;
    }
}

}  // namespace

std::optional<TableInfo> ReadTableInfo(sqlite3* db, std::string_view name) {
    // A schema read that fails (another station committing holds the file) raises the engine's
    // error for it, a lock number: the table is not thereby missing.
    Statement tables(db, "SELECT name FROM sqlite_master WHERE type = 'table'");
    if (!tables.Ok()) RaiseSqlite(db, Operation::Read);
    std::optional<TableInfo> found;
    int rc = SQLITE_ROW;
    while (!found && (rc = tables.StepCode()) == SQLITE_ROW) {
        std::string stored = tables.Text(0);
        if (!catalog::IsHiddenTable(stored) && JetNamesEqual(stored, name)) found = TableInfo{stored, {}};
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) RaiseSqlite(db, Operation::Read);
    if (!found) return std::nullopt;
    Statement columns(db, "SELECT name, type FROM pragma_table_info(?1)");
    if (!columns.Ok()) RaiseSqlite(db, Operation::Read);
    columns.BindText(1, found->name);
    while ((rc = columns.StepCode()) == SQLITE_ROW) {
        ColumnInfo column;
        column.name = columns.Text(0);
        DataType type;
        TypeFromDeclared(columns.Text(1), type, column.size);
        column.type = static_cast<int>(type);
        found->columns.push_back(std::move(column));
    }
    if (rc != SQLITE_DONE) RaiseSqlite(db, Operation::Read);
    return found;
}

std::optional<FileAccess::AttachedCopy> FileAccess::AttachSource(const std::string&, const std::string&) {
    return std::nullopt;
}

long long RunTranslation(const Translation& tr, FileAccess& files) {
    switch (tr.kind) {
    case StatementKind::Select: RaiseSql(jet::CannotExecuteSelect);
    case StatementKind::SelectInto: return SelectInto(tr, files);
    case StatementKind::InsertSelect: return CopyRows(tr, files);
    case StatementKind::DropTable:
        files.BeforeWrite("", tr.target, true);
        ExecOn(files, "", tr.sql, true);
        files.StructureChanged("", tr.target, true);
        return 0;
    default: {
        const std::string target = tr.targetFile.value_or("");
        files.BeforeWrite(target, tr.target, false);
        ExecOn(files, target, tr.sql, true);
        return sqlite3_changes(files.Handle(target));
    }
    }
}

// ---- the object model's connections ---------------------------------------------------------

namespace {

// The files of one statement run from a connection: "" is that connection; an `IN 'file'` text
// opens (or shares) the file's connection through the engine, shared and without a password, as
// the engine opens the files such a clause names. A query recordset only reads: it may share a
// read-only open, and opens the file read-only (jet_execute.h).
class ConnectionFiles : public FileAccess, public SchemaLookup {
public:
    enum class Use { Statement, Query };
    ConnectionFiles(Connection& home, Use use) : home_(home), reading_(use == Use::Query) {}

    Connection& Get(const std::string& file) { return *Shared(file); }

    std::shared_ptr<Connection> Shared(const std::string& file) {
        if (file.empty()) return home_.shared_from_this();
        auto it = opened_.find(JetFold(file));
        if (it == opened_.end()) it = opened_.emplace(JetFold(file), OpenExternal(file)).first;
        return it->second;
    }

    // A file this engine holds open already (for writing, unless the statement only reads) is
    // shared as it stands: its password was given when it was opened. Any other file is opened
    // without one (3031 when it is protected).
    std::shared_ptr<Connection> OpenExternal(const std::string& file) {
        if (auto open = home_.Engine().FindOpen(win::HostPath(file)); open && (reading_ || !open->ReadOnly())) return open;
        return home_.Engine().Connect(file, false, reading_, "");
    }

    sqlite3* Handle(const std::string& file) override { return Get(file).Handle(); }
    void BeforeWrite(const std::string& file, const std::string& table, bool structure) override {
        Connection& connection = Get(file);
        if (connection.TableHeldElsewhere(table)) RaiseJet(structure ? jet::TableLocked : jet::UpdateLocked, table);
        connection.PrepareWrite(structure ? Operation::Structure : Operation::Write);
    }
    [[noreturn]] void Fail(const std::string& file, bool write) override {
        Get(file).Fail(write ? Operation::Write : Operation::Read);
    }
    void StructureChanged(const std::string& file, const std::string& table, bool dropped) override {
        if (dropped) catalog::ForgetTable(Get(file), table);
        home_.Engine().BumpGeneration();
    }

    std::optional<TableInfo> FindTable(std::string_view file, std::string_view name) const override {
        if (!file.empty()) usedOtherFile_ = true;
        return ReadTableInfo(const_cast<ConnectionFiles*>(this)->Handle(std::string(file)), name);
    }
    std::optional<std::string> FindQuery(std::string_view file, std::string_view name) const override {
        for (const catalog::QueryInfo& q : catalog::Queries(const_cast<ConnectionFiles*>(this)->Get(std::string(file)))) {
            if (JetNamesEqual(q.name, name)) {
                usedStoredQuery_ = true;
                return q.sql;
            }
        }
        return std::nullopt;
    }
    std::uint64_t Generation() const override {
        return (home_.Engine().Generation() << 32) ^ home_.SchemaVersion();
    }

    // A stored query's text may change without a structure change, and another file's tables
    // without a change this engine sees: such translations are not kept.
    bool Volatile() const { return usedStoredQuery_ || usedOtherFile_; }

    // The statement being run, translated again when its copy reads an attached file.
    void SetStatement(std::string_view sql, const TranslateOptions& options) {
        statement_ = sql;
        options_ = options;
    }
    std::optional<AttachedCopy> AttachSource(const std::string& source, const std::string& target) override;

private:
    std::string_view statement_;
    TranslateOptions options_;
    Connection& home_;
    bool reading_;
    mutable bool usedStoredQuery_ = false;
    mutable bool usedOtherFile_ = false;
    std::map<std::string, std::shared_ptr<Connection>> opened_;
};

struct CacheEntry {
    std::uint64_t generation;
    Translation translation;
};

std::mutex gCacheMutex;
std::map<std::string, CacheEntry> gCache;
std::atomic<std::uint64_t> gHits{0};
constexpr std::size_t kCacheLimit = 512;

// Translations are kept per file (one connection per file), statement text and the schema its
// source tables are read under.
Translation Translate(ConnectionFiles& files, Connection& connection, std::string_view sql,
                      const TranslateOptions& options) {
    std::string key = connection.HostPath().string() + '\n' + (options.skipFailingRows ? "1" : "0") +
                      options.sourceSchema + '\n' + std::string(sql);
    std::uint64_t generation = files.Generation();
    {
        std::lock_guard lock(gCacheMutex);
        auto it = gCache.find(key);
        if (it != gCache.end() && it->second.generation == generation) {
            ++gHits;
            return it->second.translation;
        }
    }
    Translation tr = TranslateJetSql(sql, files, options);
    if (files.Volatile()) return tr;
    std::lock_guard lock(gCacheMutex);
    if (gCache.size() >= kCacheLimit) gCache.clear();
    gCache[key] = CacheEntry{generation, tr};
    return tr;
}

std::optional<FileAccess::AttachedCopy> ConnectionFiles::AttachSource(const std::string& source, const std::string& target) {
    if (statement_.empty()) return std::nullopt;
    std::optional<AttachedRead> read = AttachedRead::Begin(Get(target), Get(source));
    if (!read) return std::nullopt;
    TranslateOptions options = options_;
    options.sourceSchema = read->Schema();
    Translation translation = Translate(*this, home_, statement_, options);
    return AttachedCopy{std::move(translation), std::make_shared<AttachedRead>(std::move(*read))};
}

}  // namespace

long long ExecuteJetSql(Connection& connection, std::string_view sql, bool failOnError) {
    ConnectionFiles files(connection, ConnectionFiles::Use::Statement);
    // Execute also takes the name of a stored action query.
    std::optional<std::string> stored;
    if (sql.find_first_of(" \t\r\n") == std::string_view::npos || (sql.size() > 2 && sql.front() == '[' && sql.back() == ']')) {
        std::string_view name = sql.front() == '[' ? sql.substr(1, sql.size() - 2) : sql;
        stored = files.FindQuery("", name);
        if (stored) sql = *stored;
    }
    TranslateOptions options;
    options.skipFailingRows = !failOnError;
    Translation tr = Translate(files, connection, sql, options);
    // SELECT ... INTO checks its target afresh: the cache may predate a table made elsewhere.
    if (tr.kind == StatementKind::SelectInto && files.FindTable(tr.targetFile.value_or(""), tr.target)) {
        RaiseJet(jet::TableExists, tr.target);
    }
    files.SetStatement(sql, options);
    return RunTranslation(tr, files);
}

JetQuery TranslateJetQuery(Connection& connection, std::string_view sql) {
    ConnectionFiles files(connection, ConnectionFiles::Use::Query);
    Translation tr = Translate(files, connection, sql, TranslateOptions{});
    if (tr.kind != StatementKind::Select) RaiseJet(jet::InvalidOperation);
    // The connection the SELECT runs on: this one, or the other file's (shared or opened now).
    std::shared_ptr<Connection> reader = files.Shared(tr.sourceFile.value_or(""));
    return JetQuery{std::move(tr), std::move(reader)};
}

std::uint64_t TranslationCacheHits() { return gHits.load(); }

std::uint64_t AttachedCopies() { return gAttachedCopies.load(); }

}  // namespace dao::sql
