// DBEngine, Workspace and Database: opening, creating, repairing and compacting files, passwords
// and the workspace transaction.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/dao/catalog.h"
#include "platform/dao/collation.h"
#include "platform/dao/model.h"
#include "platform/win/paths.h"

namespace dao {
namespace fs = std::filesystem;
namespace {

std::string Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return std::string(text);
}

fs::path ExistingFile(std::string_view windowsPath) {
    const auto host = win::HostPath(windowsPath);
    std::error_code ec;
    if (!fs::is_directory(host.parent_path(), ec)) RaiseJet(jet::InvalidPath, windowsPath);
    if (!fs::is_regular_file(host, ec)) RaiseJet(jet::FileNotFound, windowsPath);
    return host;
}

fs::path NewFile(std::string_view windowsPath) {
    const auto host = win::HostPath(windowsPath);
    std::error_code ec;
    if (!fs::is_directory(host.parent_path(), ec)) RaiseJet(jet::InvalidPath, windowsPath);
    if (fs::exists(host, ec)) RaiseJet(jet::DatabaseExists, windowsPath);
    return host;
}

void RefuseWhenOpen(EngineState& engine, const fs::path& host, std::string_view windowsPath) {
    if (engine.FindOpen(host) || FileHeldOpen(host)) RaiseJet(jet::FileInUse, windowsPath);
}

bool SyncFile(const fs::path& path) {
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

// Copies the readable rows of table `name` of the attached damaged file into the same table of
// `copy`, row by row: the rows before the damage are kept.
void SalvageRows(RawDb& copy, const std::string& name) {
    Statement rows(copy.db, "SELECT * FROM damaged." + QuoteName(name));
    if (!rows.Ok()) return;
    const int n = rows.ColumnCount();
    std::string insert = "INSERT INTO main." + QuoteName(name) + " VALUES(";
    for (int i = 0; i < n; ++i) insert += i ? ",?" : "?";
    Statement put(copy.db, insert + ")");
    if (!put.Ok()) return;
    while (rows.StepCode() == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) sqlite3_bind_value(put.Handle(), i + 1, sqlite3_column_value(rows.Handle(), i));
        put.StepCode();
        put.Reset();
    }
}

// Copies what can be read from `source` into the new file `target`, table by table; a table
// stops at its first unreadable page. False when not even the schema can be read.
bool Salvage(RawDb& source, const fs::path& target) {
    RawDb copy;
    if (sqlite3_open_v2(target.c_str(), &copy.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        return false;
    }
    RegisterJetCollation(copy.db);
    std::vector<std::pair<std::string, std::string>> objects;
    {
        Statement schema(source.db, "SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL ORDER BY type = 'table' DESC, rowid");
        int rc;
        while ((rc = schema.StepCode()) == SQLITE_ROW) objects.emplace_back(schema.Text(1), schema.Text(2));
        if (rc != SQLITE_DONE) return false;
    }
    // No journal: an unreadable page ends one copy, never the whole rebuild (SQLite would roll a
    // transaction back on a corrupt read). The copy is synced before it is put in place.
    if (!copy.Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF") ||
        !copy.Exec("ATTACH " + QuoteText(sqlite3_db_filename(source.db, "main")) + " AS damaged")) {
        return false;
    }
    for (const auto& [name, sql] : objects) {
        if (copy.Exec(sql) && sql.starts_with("CREATE TABLE")) SalvageRows(copy, name);
    }
    copy.Exec("DETACH damaged");
    return SyncFile(target);
}

// Whether the file reads as sound. A file another process keeps locked past the busy timeout
// raises the lock's number (3187), never 3343: a lock is no damage.
bool IntegrityCheck(RawDb& source, std::string_view name) {
    Statement check(source.db, "PRAGMA integrity_check");
    const int rc = check.StepCode();
    if (rc == SQLITE_ROW) return check.Text(0) == "ok";
    if ((sqlite3_extended_errcode(source.db) & 0xFF) == SQLITE_BUSY) RaiseSqlite(source.db, Operation::Read, name);
    return false;
}

// Marks a rebuilt copy as the engine's (the copy of a file made before files were marked has no
// mark) and tells whether it reads as sound: a repair never puts anything less in place of the
// file it was given.
bool MarkSoundCopy(const fs::path& rebuilt) {
    RawDb copy;
    if (sqlite3_open_v2(rebuilt.c_str(), &copy.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        !MarkEngineFile(copy.db)) {
        return false;
    }
    RegisterJetCollation(copy.db);
    Statement check(copy.db, "PRAGMA integrity_check");
    return check.StepCode() == SQLITE_ROW && check.Text(0) == "ok";
}

}  // namespace

std::string ConnectPassword(std::string_view connect) {
    std::string password;
    std::size_t start = 0;
    while (start <= connect.size()) {
        auto end = connect.find(';', start);
        if (end == std::string_view::npos) end = connect.size();
        const auto part = connect.substr(start, end - start);
        const auto equals = part.find('=');
        if (equals != std::string_view::npos && JetFold(Trim(part.substr(0, equals))) == "PWD") {
            password = Trim(part.substr(equals + 1));
        }
        start = end + 1;
    }
    return password;
}

// --- DatabaseState ------------------------------------------------------------------------------

Connection& DatabaseState::Conn() const {
    if (!connection) RaiseJet(jet::ObjectClosed);
    return *connection;
}

std::string DatabaseState::RequireTable(std::string_view table) const {
    auto found = catalog::FindTable(Conn(), table);
    if (!found) RaiseJet(jet::ItemNotFound);
    return *found;
}

// --- DBEngine and Workspace ---------------------------------------------------------------------

DBEngine::DBEngine() : engine_(std::make_shared<EngineState>()) {}

Workspace DBEngine::Workspaces(int index) const {
    if (index != 0) RaiseJet(jet::ItemNotFound);
    return Workspace(engine_);
}

Database DBEngine::OpenDatabase(std::string_view name, bool exclusive, bool readOnly, std::string_view connect) const {
    return Workspaces(0).OpenDatabase(name, exclusive, readOnly, connect);
}

Database DBEngine::CreateDatabase(std::string_view name) const { return Workspaces(0).CreateDatabase(name); }
void DBEngine::BeginTrans() const { engine_->BeginTrans(); }
void DBEngine::CommitTrans(int) const { engine_->CommitTrans(); }
void DBEngine::Rollback() const { engine_->Rollback(); }
void DBEngine::SetBusyTimeout(int milliseconds) const { engine_->SetBusyTimeout(milliseconds); }
void DBEngine::SetStopFlag(const std::atomic<bool>* stop) const { engine_->SetStopFlag(stop); }

// Read locks are released as soon as each read ends and writes wait for the commit, so what is left
// to free is the rows recordsets read ahead: their next move reads the file again.
void DBEngine::Idle(int) const { engine_->Idle(); }

void DBEngine::RepairDatabase(std::string_view name) const {
    CheckFault("RepairDatabase", name);
    const auto host = ExistingFile(name);
    RefuseWhenOpen(*engine_, host, name);
    RequireEngineFile(host, name, engine_->BusyTimeout());
    RawDb source;
    if (sqlite3_open_v2(host.c_str(), &source.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        RaiseJet(jet::DatabaseNotRecognised, name);
    }
    RegisterJetCollation(source.db);
    sqlite3_extended_result_codes(source.db, 1);
    sqlite3_busy_timeout(source.db, engine_->BusyTimeout());
    if (IntegrityCheck(source, name)) return;
    auto rebuilt = host;
    rebuilt += ".repair";
    std::error_code ec;
    fs::remove(rebuilt, ec);
    const bool copied = source.Exec("VACUUM INTO " + QuoteText(rebuilt.string())) || (fs::remove(rebuilt, ec), Salvage(source, rebuilt));
    sqlite3_close_v2(source.db);
    source.db = nullptr;
    if (!copied || !MarkSoundCopy(rebuilt)) {
        fs::remove(rebuilt, ec);
        RaiseJet(jet::DatabaseNotRecognised, name);
    }
    auto journal = host;
    journal += "-journal";
    fs::remove(journal, ec);  // a journal of the damaged file must never be played over the copy
    fs::rename(rebuilt, host, ec);
    if (ec) RaiseJet(jet::DiskError);
}

void DBEngine::CompactDatabase(std::string_view source, std::string_view target) const {
    CheckFault("CompactDatabase", source);
    const auto from = ExistingFile(source);
    const auto to = NewFile(target);
    RefuseWhenOpen(*engine_, from, source);
    RequireEngineFile(from, source, engine_->BusyTimeout());
    RawDb db;
    if (sqlite3_open_v2(from.c_str(), &db.db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        RaiseJet(jet::DatabaseNotRecognised, source);
    }
    RegisterJetCollation(db.db);
    std::error_code ec;
    if (!db.Exec("VACUUM INTO " + QuoteText(to.string()))) {
        const long number = JetNumberForSqlite(sqlite3_extended_errcode(db.db), sqlite3_errmsg(db.db), Operation::Read);
        fs::remove(to, ec);
        RaiseJet(number == jet::ReservedError ? jet::DatabaseNotRecognised : number, source);
    }
    // The copy of a file made before the engine marked its files carries the mark from now on.
    RawDb copy;
    if (sqlite3_open_v2(to.c_str(), &copy.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK || !MarkEngineFile(copy.db)) {
        fs::remove(to, ec);
        RaiseJet(jet::DiskError);
    }
}

Database Workspace::OpenDatabase(std::string_view name, bool exclusive, bool readOnly, std::string_view connect) const {
    auto state = std::make_shared<DatabaseState>();
    state->engine = engine_;
    state->connection = engine_->Connect(name, exclusive, readOnly, ConnectPassword(connect));
    state->name = std::string(name);
    return Database(std::move(state));
}

Database Workspace::CreateDatabase(std::string_view name) const {
    const auto host = NewFile(name);
    {
        RawDb db;
        if (sqlite3_open_v2(host.c_str(), &db.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK ||
            !db.Exec("PRAGMA journal_mode=DELETE; CREATE TABLE zmsys_db(key TEXT PRIMARY KEY, value TEXT)") ||
            !MarkEngineFile(db.db)) {
            RaiseJet(jet::DiskError);
        }
    }
    return OpenDatabase(name);
}

void Workspace::BeginTrans() const { engine_->BeginTrans(); }
void Workspace::CommitTrans(int) const { engine_->CommitTrans(); }
void Workspace::Rollback() const { engine_->Rollback(); }

// --- Database -----------------------------------------------------------------------------------

std::string Database::Name() const { return state_->name; }

// Closing a database closes its recordsets: none of them keeps the file open afterwards.
void Database::Close() {
    for (const auto& weak : state_->recordsets) {
        if (auto recordset = weak.lock()) recordset->Release();
    }
    state_->recordsets.clear();
    state_->connection.reset();
}

long Database::RecordsAffected() const { return state_->recordsAffected; }

void Database::NewPassword(std::string_view oldPassword, std::string_view newPassword) const {
    auto& connection = state_->Conn();
    if (!catalog::PasswordMatches(connection, oldPassword)) RaiseJet(jet::InvalidPassword);
    catalog::SetPassword(connection, newPassword);
}

void Database::Execute(std::string_view sql, int options) const {
    CheckFault("Execute", state_->Conn().WindowsPath());
    ExecuteSql(*state_, sql, options);
}

TableDefs Database::TableDefs() const { return dao::TableDefs(state_); }
QueryDefs Database::QueryDefs() const { return dao::QueryDefs(state_); }
Relations Database::Relations() const { return dao::Relations(state_); }

TableDef Database::CreateTableDef(std::string_view name) const {
    auto table = std::make_shared<TableDefState>();
    table->db = state_;
    table->name = std::string(name);
    return TableDef(std::move(table));
}

}  // namespace dao
