#include "platform/dao/connection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <chrono>
#include <thread>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <system_error>

#include "platform/dao/catalog.h"
#include "platform/dao/collation.h"
#include "platform/dao/sql/jet_sql.h"
#include "platform/win/error.h"
#include "platform/win/paths.h"

namespace dao {
namespace {

constexpr int kLockAttempts = 20;

std::string ConnectionKey(const std::filesystem::path& host, bool readOnly) {
    std::error_code ec;
    auto canonical = std::filesystem::weakly_canonical(host, ec);
    if (ec) canonical = host;
    return JetFold(canonical.string()) + (readOnly ? "|r" : "|w");
}

std::string CacheSizeSql(int kib) { return "PRAGMA cache_size=-" + std::to_string(kib); }

std::string LevelName(int level) { return "zm_level_" + std::to_string(level); }

void ExecOrFail(Connection& connection, const char* sql, Operation op) {
    if (sqlite3_exec(connection.Handle(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        connection.Fail(op, connection.WindowsPath());
    }
}

std::string MarkSql() { return "PRAGMA application_id=" + std::to_string(kApplicationId); }

// What a file's header says of its maker, read as plain bytes (SQLite would take locks, and in
// read-write mode play back a journal, before anything could be checked).
enum class HeaderMark { Foreign, Engine, Unmarked };

HeaderMark ReadHeaderMark(const std::filesystem::path& hostPath) {
    // SQLite's file header: the magic text, the write and read versions at 18 and 19 (1 for a
    // rollback journal, 2 for WAL), the application_id big-endian at 68.
    static constexpr char kMagic[16] = "SQLite format 3";
    std::array<unsigned char, 100> header{};
    const int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return HeaderMark::Foreign;
    const ssize_t read = pread(fd, header.data(), header.size(), 0);
    close(fd);
    if (read != static_cast<ssize_t>(header.size()) || std::memcmp(header.data(), kMagic, sizeof kMagic) != 0 ||
        header[18] != 1 || header[19] != 1) {
        return HeaderMark::Foreign;
    }
    const std::uint32_t id = std::uint32_t{header[68]} << 24 | std::uint32_t{header[69]} << 16 |
                             std::uint32_t{header[70]} << 8 | std::uint32_t{header[71]};
    if (id == static_cast<std::uint32_t>(kApplicationId)) return HeaderMark::Engine;
    return id == 0 ? HeaderMark::Unmarked : HeaderMark::Foreign;
}

// The file as a read-only URI; `immutable` reads it as it lies, without locks or journal.
std::string ReadOnlyUri(const std::filesystem::path& hostPath, bool immutable) {
    std::string uri = "file:";
    for (const unsigned char c : hostPath.string()) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           std::string_view("/.-_~").find(static_cast<char>(c)) != std::string_view::npos;
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            std::array<char, 4> escaped{};
            std::snprintf(escaped.data(), escaped.size(), "%%%02X", c);
            uri += escaped.data();
        }
    }
    return uri + (immutable ? "?mode=ro&immutable=1" : "?mode=ro");
}

// Whether an unmarked file has the engine's hidden table zmsys_db: SQLite's code of the read
// (SQLITE_ROW when it has, SQLITE_DONE when it has not, or the failure).
int ProbeHiddenCatalog(const std::filesystem::path& hostPath, int busyTimeoutMs, bool immutable, RawDb& probe) {
    const int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(ReadOnlyUri(hostPath, immutable).c_str(), &probe.db, flags, nullptr) != SQLITE_OK) {
        return SQLITE_CANTOPEN;
    }
    sqlite3_extended_result_codes(probe.db, 1);
    sqlite3_busy_timeout(probe.db, busyTimeoutMs);
    Statement query(probe.db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'zmsys_db' COLLATE NOCASE");
    return query.StepCode();
}

}  // namespace

bool MarkEngineFile(sqlite3* db) { return sqlite3_exec(db, MarkSql().c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }

void RequireEngineFile(const std::filesystem::path& hostPath, std::string_view windowsPath, int busyTimeoutMs) {
    const HeaderMark mark = ReadHeaderMark(hostPath);
    if (mark == HeaderMark::Engine) return;
    if (mark == HeaderMark::Foreign) RaiseJet(jet::DatabaseNotRecognised, windowsPath);
    RawDb probe;
    int rc = ProbeHiddenCatalog(hostPath, busyTimeoutMs, false, probe);
    if (rc == SQLITE_READONLY_ROLLBACK) {
        // A journal left by a writer that died: it is played back by the read-write open that
        // follows, once the file is known to be the engine's; the schema is read as it lies.
        RawDb asItLies;
        rc = ProbeHiddenCatalog(hostPath, busyTimeoutMs, true, asItLies);
    }
    if (rc == SQLITE_ROW) return;
    if ((rc & 0xFF) == SQLITE_BUSY) RaiseSqlite(probe.db, Operation::Read, windowsPath);
    RaiseJet(jet::DatabaseNotRecognised, windowsPath);
}

std::filesystem::path LockFilePath(const std::filesystem::path& hostPath) {
    return hostPath.parent_path() / ("." + hostPath.filename().string() + ".lck");
}

bool LockFileByte(int fd, short type, off_t byte) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

off_t TableLockByte(std::string_view table) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (const char c : JetFold(table)) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    return 1 + static_cast<off_t>(hash % 1000000007ULL);
}

bool FileHeldOpen(const std::filesystem::path& hostPath) {
    const int fd = open(LockFilePath(hostPath).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = 0;
    probe.l_len = 1;
    const bool held = fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
    close(fd);
    return held;
}

namespace {

// SQLite's authorizer, used only to count: it lets every statement through and counts those that
// may change a table's structure or undo changes already made (see Connection::StructureStamp).
int CountStructureChanges(void* changes, int action, const char* first, const char* second, const char*,
                          const char*) {
    bool structural = false;
    switch (action) {
    case SQLITE_CREATE_INDEX: case SQLITE_CREATE_TABLE: case SQLITE_CREATE_TEMP_INDEX:
    case SQLITE_CREATE_TEMP_TABLE: case SQLITE_CREATE_TEMP_TRIGGER: case SQLITE_CREATE_TEMP_VIEW:
    case SQLITE_CREATE_TRIGGER: case SQLITE_CREATE_VIEW: case SQLITE_DROP_INDEX: case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TEMP_INDEX: case SQLITE_DROP_TEMP_TABLE: case SQLITE_DROP_TEMP_TRIGGER:
    case SQLITE_DROP_TEMP_VIEW: case SQLITE_DROP_TRIGGER: case SQLITE_DROP_VIEW: case SQLITE_ATTACH:
    case SQLITE_DETACH: case SQLITE_ALTER_TABLE: case SQLITE_CREATE_VTABLE: case SQLITE_DROP_VTABLE:
        structural = true;
        break;
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:  // BEGIN and RELEASE keep what was done; ROLLBACK (TO) undoes it
        structural = first != nullptr && std::string_view(first) == "ROLLBACK";
        break;
    case SQLITE_PRAGMA:  // the two that let a statement rewrite the schema or its cookie
        structural = first != nullptr && (std::string_view(first) == "writable_schema" ||
                                          (std::string_view(first) == "schema_version" && second != nullptr));
        break;
    case SQLITE_INSERT: case SQLITE_UPDATE: case SQLITE_DELETE:
        // The schema table written directly (writable_schema).
        structural = first != nullptr && (std::string_view(first) == "sqlite_master" ||
                                          std::string_view(first) == "sqlite_schema");
        break;
    default: break;
    }
    if (structural) ++*static_cast<std::uint64_t*>(changes);
    return SQLITE_OK;
}

}  // namespace

// --- Connection ---------------------------------------------------------------------------------

Connection::Connection(std::shared_ptr<EngineState> engine, std::filesystem::path hostPath,
                       std::string windowsPath, bool readOnly)
    : engine_(std::move(engine)),
      hostPath_(std::move(hostPath)),
      windowsPath_(std::move(windowsPath)),
      readOnly_(readOnly) {}

Connection::~Connection() {
    sqlite3_finalize(schemaVersion_);
    if (db_ != nullptr) sqlite3_close_v2(db_);
    if (lockFd_ >= 0) {
        // The last holder removes the lock file; an opener that raced with the removal sees the
        // file it locked is no longer the one at the path and opens it again (OpenLockFile).
        if (LockFileByte(lockFd_, F_WRLCK, 0)) unlink(LockFilePath(hostPath_).c_str());
        close(lockFd_);
    }
    if (auto engine = engine_.lock()) engine->Forget(*this);
}

void Connection::CheckOwner() const {
#ifndef NDEBUG
    if (std::this_thread::get_id() != owner_) {
        std::fprintf(stderr, "dao: connection of %s used off the thread that opened it\n", windowsPath_.c_str());
        std::abort();
    }
#endif
}

EngineState& Connection::Engine() const {
    auto engine = engine_.lock();
    if (!engine) RaiseJet(jet::ObjectClosed);
    return *engine;  // alive: every caller reached this connection through a handle that holds it
}

void Connection::Open(bool exclusive, std::string_view password) {
    // A file of another program is refused before anything, not even the lock file, is made.
    RequireEngineFile(hostPath_, windowsPath_, Engine().BusyTimeout());
    OpenLockFile(exclusive);
    OpenSqlite();
    CheckPassword(password);
    if (!readOnly_) {
        // A file another station is writing gets its hidden tables and its mark with the first
        // structure change.
        try {
            catalog::Ensure(*this);
            if (!Marked()) Exec(MarkSql(), Operation::Structure);
        } catch (const win::RuntimeError& error) {
            if (error.Number() != jet::TableLocked) throw;
        }
    }
}

void Connection::OpenLockFile(bool exclusive) {
    // A refusal can come from a last holder that is removing the file (it holds the write lock for
    // the few microseconds that takes): only a refusal that lasts means the file is in use.
    const auto path = LockFilePath(hostPath_);
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        lockFd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (lockFd_ < 0) return;  // a read-only folder: nobody can lock beside the file
        const bool locked = LockFileByte(lockFd_, exclusive ? F_WRLCK : F_RDLCK, 0);
        struct stat held {}, current {};
        const bool currentFile = fstat(lockFd_, &held) == 0 && stat(path.c_str(), &current) == 0 &&
                                 held.st_ino == current.st_ino && held.st_dev == current.st_dev;
        if (locked && currentFile) {
            exclusive_ = exclusive;
            return;
        }
        close(lockFd_);  // refused, or removed by its last holder meanwhile: try the file now there
        lockFd_ = -1;
        if (currentFile) std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    RaiseJet(jet::FileInUse, windowsPath_);
}

void Connection::OpenSqlite() {
    // One thread uses a connection at a time (the engine's objects belong to the thread that made
    // them), so SQLite's per-call connection mutex is left out.
    const int flags = (readOnly_ ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(hostPath_.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        RaiseSqlite(db_, Operation::Read, windowsPath_);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, Engine().BusyTimeout());
    if (const std::atomic<bool>* stop = Engine().StopFlag()) {
        // SQLite calls this every kStopCheckSteps steps of its machine, sorting included.
        constexpr int kStopCheckSteps = 10000;
        sqlite3_progress_handler(
            db_, kStopCheckSteps,
            [](void* flag) { return static_cast<const std::atomic<bool>*>(flag)->load(std::memory_order_relaxed) ? 1 : 0; },
            const_cast<std::atomic<bool>*>(stop));
    }
    RegisterJetCollation(db_);
    sql::RegisterJetFunctions(db_);
    // Every statement prepared on the handle (the pump's and the catalog's included) passes the
    // authorizer: one that may change a table's structure, or end or roll back to a savepoint,
    // counts as an own structure change; so does a rollback SQLite makes by itself.
    sqlite3_set_authorizer(db_, CountStructureChanges, &ownStructureChanges_);
    sqlite3_rollback_hook(db_, [](void* changes) { ++*static_cast<std::uint64_t*>(changes); }, &ownStructureChanges_);
    // SQLite opens lazily: reading the schema now makes a damaged file fail here, at the open.
    ExecOrFail(*this, "SELECT count(*) FROM sqlite_master", Operation::Read);
    if (!readOnly_) ExecOrFail(*this, "PRAGMA journal_mode=DELETE", Operation::Read);
    ExecOrFail(*this, "PRAGMA secure_delete=OFF", Operation::Read);
}

bool Connection::Marked() {
    Statement id(*this, "PRAGMA application_id", Operation::Read);
    return id.Step() && id.Int(0) == kApplicationId;
}

void Connection::CheckPassword(std::string_view password) {
    if (catalog::HasPassword(*this) && !catalog::PasswordMatches(*this, password)) {
        RaiseJet(jet::InvalidPassword);
    }
}

void Connection::HoldRead(std::weak_ptr<ActiveRead> read) {
    std::erase_if(activeReads_, [](const auto& weak) { return weak.expired(); });
    activeReads_.push_back(std::move(read));
}

void Connection::PrepareWrite(Operation op, std::string_view table) {
    CheckOwner();
    structureTable_ = op == Operation::Structure ? std::string(table) : std::string();
    if (readOnly_) RaiseJet(jet::ReadOnly);
    for (const auto& weak : std::exchange(activeReads_, {})) {
        if (const auto read = weak.lock()) read->End();
    }
    if (!Engine().InTransaction() || enlisted_) return;
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        Fail(op == Operation::Structure ? Operation::Structure : Operation::Write,
             structureTable_.empty() ? std::string_view(windowsPath_) : std::string_view(structureTable_));
    }
    enlisted_ = true;
    sqlite3_exec(db_, CacheSizeSql(kTransactionCacheKiB).c_str(), nullptr,
                 nullptr, nullptr);
    // A file first written inside nested levels gets their savepoints, so that rolling back an
    // inner level undoes only what that level wrote.
    for (int level = 2; level <= Engine().Depth(); ++level) {
        Exec("SAVEPOINT " + LevelName(level), Operation::Write);
    }
    Engine().Enlist(shared_from_this());
}

bool Connection::TableHeldElsewhere(std::string_view table) const {
    if (lockFd_ < 0) return false;
    // The connection's own descriptor locks byte 0 only: any lock found on the table's byte
    // belongs to a hold made through another descriptor.
    struct flock probe {};
    probe.l_type = F_RDLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = TableLockByte(table);
    probe.l_len = 1;
    return fcntl(lockFd_, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

void Connection::Exec(std::string_view sql, Operation op) {
    CheckOwner();
    WritePendingDefinitions();
    const std::string text(sql);
    if (sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) Fail(op);
}

namespace {

// A sorter's in-memory run is as large as the page cache: runs of a few megabytes stay in the
// processor's caches while they are sorted, and each worker thread sorts one while the statement
// fills the next. Three workers leave a processor to the rest of the station.
// A worker merges up to 16 runs in one pass (SQLite's fan-in); past that its runs are merged in
// two levels, each row written and read once more, so a sort twice as large would take more than
// twice as long. Larger sorts therefore get runs just large enough for one pass, up to a cap
// that bounds the memory.
constexpr int kSortCacheKiB = 4 * 1024;
constexpr int kLargestSortCacheKiB = 64 * 1024;
constexpr std::int64_t kRunsPerWorker = 14;  // short of 16: the size is an estimate

int SortWorkers() { return static_cast<int>(std::min(std::thread::hardware_concurrency(), 4u)) - 1; }

std::int64_t PragmaValue(sqlite3* db, const char* pragma) {
    sqlite3_stmt* stmt = nullptr;
    std::int64_t value = 0;
    if (sqlite3_prepare_v2(db, pragma, -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
        value = sqlite3_column_int64(stmt, 0);
    }
    sqlite3_finalize(stmt);
    return value;
}

int SortCacheKiB(std::int64_t sortBytes) {
    const std::int64_t perRun = sortBytes / (std::max(SortWorkers(), 1) * kRunsPerWorker) / 1024 + 1;
    return static_cast<int>(std::clamp<std::int64_t>(perRun, kSortCacheKiB, kLargestSortCacheKiB));
}

}  // namespace

void Connection::ExecSorting(std::string_view sql, Operation op, std::int64_t sortBytes) {
    CheckOwner();
    const TemporaryPragmas settings(db_, {{"cache_size", -SortCacheKiB(sortBytes)},
                                          {"threads", std::max<std::int64_t>(SortWorkers(), PragmaValue(db_, "PRAGMA threads"))},
                                          {"mmap_size", kMappedReadBytes}});
    Exec(sql, op);
    StartWriteback(db_);
}

TemporaryPragmas::TemporaryPragmas(sqlite3* db, std::initializer_list<Setting> settings) : db_(db) {
    std::string sql;
    for (const Setting& s : settings) {
        previous_.push_back({s.pragma, PragmaValue(db_, ("PRAGMA " + std::string(s.pragma)).c_str())});
        sql += "PRAGMA " + std::string(s.pragma) + "=" + std::to_string(s.value) + ";";
    }
    sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

TemporaryPragmas::~TemporaryPragmas() {
    std::string sql;
    for (const Setting& s : previous_) sql += "PRAGMA " + std::string(s.pragma) + "=" + std::to_string(s.value) + ";";
    sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

void StartWriteback(sqlite3* db) {
    const char* name = sqlite3_db_filename(db, "main");
    if (!name || !*name) return;
    std::error_code error;
    const std::filesystem::path file = std::filesystem::canonical(name, error);
    if (error) return;
    // Through the descriptor SQLite holds: closing one of our own on the file would drop SQLite's
    // POSIX locks on it.
    for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error)) {
        std::error_code unread;
        if (std::filesystem::read_symlink(it->path(), unread) != file || unread) continue;
        sync_file_range(std::atoi(it->path().filename().c_str()), 0, 0, SYNC_FILE_RANGE_WRITE);
    }
}

namespace {

// The main file of a connection as its own descriptor shows it, read while the connection holds a
// read of it.
struct HeldFile {
    bool rollbackJournal = false;   // header bytes 18 and 19 are 1 (2 is WAL)
    std::uint32_t changes = 0;      // the change counter, header bytes 24-27
    std::uint32_t dataVersion = 0;  // SQLite's count of the changes the connection has seen
};

std::optional<HeldFile> ReadHeldFile(sqlite3* db) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods) {
        return std::nullopt;
    }
    std::array<unsigned char, 10> bytes{};  // header bytes 18-27
    if (file->pMethods->xRead(file, bytes.data(), static_cast<int>(bytes.size()), 18) != SQLITE_OK) return std::nullopt;
    unsigned int dataVersion = 0;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_DATA_VERSION, &dataVersion) != SQLITE_OK) return std::nullopt;
    HeldFile held;
    held.rollbackJournal = bytes[0] == 1 && bytes[1] == 1;
    held.changes = std::uint32_t{bytes[6]} << 24 | std::uint32_t{bytes[7]} << 16 | std::uint32_t{bytes[8]} << 8 | bytes[9];
    held.dataVersion = dataVersion;
    return held;
}

// Whether the file at the path `db` opened under `schema` is still the file it holds (not renamed
// over, moved or deleted since).
bool StillAtItsPath(sqlite3* db, const char* schema) {
    int moved = 1;
    return sqlite3_file_control(db, schema, SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved == 0;
}

}  // namespace

std::optional<AttachedRead> AttachedRead::Begin(Connection& target, Connection& source) {
    if (&target == &source || source.Enlisted()) return std::nullopt;
    sqlite3* from = source.RawHandle();
    sqlite3* to = target.Handle();
    if (sqlite3_get_autocommit(from) == 0) return std::nullopt;
    auto hold = std::make_unique<Statement>(from, "PRAGMA schema_version");
    if (!hold->Ok() || hold->StepCode() != SQLITE_ROW) return std::nullopt;
    // Under the hold. In rollback-journal mode it is the file's shared lock: no commit, and no
    // switch to WAL, until it ends, and what the descriptor shows is the file's committed state. In
    // WAL mode it is only a read mark: the main file lacks the commits in the log and a checkpoint
    // may write it meanwhile, so the rows go through the pump, which reads the file as the
    // connection sees it.
    const std::optional<HeldFile> held = ReadHeldFile(from);
    if (!held || !held->rollbackJournal) return std::nullopt;
    // The attachment opens the file at the path: it must be the file the hold locks, whose counter
    // was read. A file renamed over since the connection opened it is read through the connection.
    struct stat file {};
    struct stat own {};
    if (!StillAtItsPath(from, "main") || stat(source.HostPath().c_str(), &file) != 0 ||
        stat(target.HostPath().c_str(), &own) != 0 || !StillAtItsPath(from, "main") ||
        (file.st_dev == own.st_dev && file.st_ino == own.st_ino)) {
        return std::nullopt;
    }

    auto current = [&](const Connection::Attached& a) {
        return a.device == file.st_dev && a.inode == file.st_ino && a.changes == held->changes &&
               a.dataVersion == held->dataVersion;
    };
    for (const Connection::Attached& a : target.attached_) {
        if (current(a)) return AttachedRead(target, std::move(hold), a.schema);
    }
    // An attachment of the file as it was keeps its old pages: outside a transaction it goes now.
    if (sqlite3_get_autocommit(to) != 0) target.DetachFiles();
    if (static_cast<int>(target.attached_.size()) >= sqlite3_limit(to, SQLITE_LIMIT_ATTACHED, -1)) return std::nullopt;
    std::string schema = "jet!" + std::to_string(++target.attachedSerial_);
    Statement attach(to, "ATTACH ?1 AS ?2");
    if (!attach.Ok()) return std::nullopt;
    attach.BindText(1, ReadOnlyUri(source.HostPath(), true));
    attach.BindText(2, schema);
    if (attach.StepCode() != SQLITE_DONE) return std::nullopt;
    // Renamed over while it was attached: the attachment is not the held file, and is never reused.
    if (!StillAtItsPath(to, schema.c_str()) || !StillAtItsPath(from, "main")) {
        target.attached_.push_back({schema, 0, 0, 0, 0});
        if (sqlite3_get_autocommit(to) != 0) target.DetachFiles();
        return std::nullopt;
    }
    target.attached_.push_back({schema, file.st_dev, file.st_ino, held->changes, held->dataVersion});
    return AttachedRead(target, std::move(hold), std::move(schema));
}

AttachedRead::~AttachedRead() {
    if (!hold_) return;
    hold_.reset();
    if (sqlite3_get_autocommit(target_->RawHandle()) != 0) target_->DetachFiles();
}

void Connection::DetachFiles() {
    CheckOwner();
    std::erase_if(attached_, [&](const Attached& a) {
        Statement detach(db_, "DETACH ?1");
        if (!detach.Ok()) return false;
        detach.BindText(1, a.schema);
        return detach.StepCode() == SQLITE_DONE;
    });
    // The names come round again, and with them the translations made for them.
    if (attached_.empty()) attachedSerial_ = 0;
}

void Connection::Fail(Operation op, std::string_view subject) {
    CheckOwner();
    if (enlisted_ && sqlite3_get_autocommit(db_) != 0) {
        // SQLite ended the transaction on its own: the work before this statement is gone.
        Engine().AbandonTransaction();
        RaiseJet(jet::ResourceExceeded);
    }
    // A damaged file is named in its error, as the open names it: the consolidation repairs the
    // file the error names.
    const int code = sqlite3_extended_errcode(db_) & 0xFF;
    if (subject.empty() && (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)) subject = windowsPath_;
    if (subject.empty() && op == Operation::Structure) subject = structureTable_;
    // A file whose folder went away since the open names that folder, as an open names a path
    // that is not there.
    const std::string folder = windowsPath_.substr(0, windowsPath_.find_last_of('\\'));
    if (sqlite3_extended_errcode(db_) == SQLITE_READONLY_DBMOVED) subject = folder;
    RaiseSqlite(db_, op, subject);
}

const std::vector<Connection::PendingColumn>* Connection::PendingColumns(std::string_view table) const {
    for (const auto& [name, columns] : pending_) {
        if (JetNamesEqual(name, table)) return &columns;
    }
    return nullptr;
}

void Connection::KeepPendingColumns(const std::string& table, std::vector<PendingColumn> columns) {
    for (auto& [name, kept] : pending_) {
        if (JetNamesEqual(name, table)) {
            kept = std::move(columns);
            return;
        }
    }
    pending_.emplace_back(table, std::move(columns));
}

// The definitions are written as SQLite's own ALTER TABLE writes them (the table's text in
// sqlite_master, then the schema cookie bumped so that every connection re-reads the schema), all
// in one step. A library that refuses to write its schema table (defensive mode) gets them as its
// own ALTER TABLE statements instead, one re-read each. A failure puts the file's schema and the
// kept-back list back as they were.
void Connection::WritePendingDefinitions() {
    CheckOwner();
    if (pending_.empty() || keepPending_ > 0) return;
    const auto pending = std::move(pending_);
    pending_.clear();
    const KeepPending keep(*this);
    const auto run = [this](const std::string& sql) {
        return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    const auto rewrite = [&] {
        bool ok = run("PRAGMA writable_schema=ON");
        for (std::size_t i = 0; ok && i < pending.size(); ++i) {
            Statement update(db_, "UPDATE sqlite_master SET sql = ?1 WHERE type = 'table' AND name = ?2");
            update.BindText(1, TableDefinition(pending[i].first, pending[i].second));
            update.BindText(2, pending[i].first);
            ok = update.StepCode() == SQLITE_DONE && sqlite3_changes(db_) == 1;
        }
        Statement version(db_, "PRAGMA schema_version");
        const bool read = ok && version.StepCode() == SQLITE_ROW;
        const std::int64_t next = read ? version.Int(0) + 1 : 0;
        version.Reset();
        ok = read && run("PRAGMA schema_version=" + std::to_string(next));
        return run("PRAGMA writable_schema=RESET") && ok;
    };
    const auto replay = [&] {
        for (const auto& entry : pending) {
            // Named, not a structured binding: the look-ups below capture them in lambdas.
            const auto& table = entry.first;
            const auto& columns = entry.second;
            std::vector<std::string> stored;
            Statement info(db_, "SELECT name FROM pragma_table_info(?1)");
            info.BindText(1, table);
            int rc = SQLITE_ROW;
            while ((rc = info.StepCode()) == SQLITE_ROW) stored.push_back(info.Text(0));
            if (rc != SQLITE_DONE) return false;  // columns unread are not columns missing
            const auto kept = [&](const std::string& name) {
                return std::any_of(columns.begin(), columns.end(),
                                   [&](const PendingColumn& column) { return JetNamesEqual(column.name, name); });
            };
            for (const auto& column : columns) {
                const bool present = std::any_of(stored.begin(), stored.end(),
                                                 [&](const std::string& name) { return JetNamesEqual(name, column.name); });
                if (!present && !run("ALTER TABLE " + QuoteName(table) + " ADD COLUMN " +
                                     ColumnDefinition(column.name, column.type, column.size))) {
                    return false;
                }
            }
            // Dropped after the additions, so that a table never runs out of columns on the way.
            for (const auto& name : stored) {
                if (!kept(name) && !run("ALTER TABLE " + QuoteName(table) + " DROP COLUMN " + QuoteName(name))) return false;
            }
        }
        return true;
    };
    if (run("SAVEPOINT zm_pending")) {
        bool written = rewrite();
        if (!written) {
            run("ROLLBACK TO zm_pending");
            written = replay();
        }
        if (written && run("RELEASE zm_pending")) return;
    }
    const int code = sqlite3_extended_errcode(db_);
    const std::string message = sqlite3_errmsg(db_);
    run("ROLLBACK TO zm_pending");
    run("RELEASE zm_pending");
    pending_ = pending;
    // A lock names the table whose definition could not be written, as every structure change does.
    const long number = JetNumberForSqlite(code == SQLITE_OK ? SQLITE_ERROR : code, message, Operation::Structure);
    RaiseJet(number, number == jet::TableLocked && !pending.empty() ? std::string_view(pending.front().first)
                                                                      : std::string_view(windowsPath_));
}

std::uint32_t Connection::SchemaVersion() {
    WritePendingDefinitions();
    if (const auto cookie = ReadSchemaCookie()) return *cookie;
    Fail(Operation::Read);  // a busy file: no cookie to key a translation by
}

std::optional<std::uint32_t> Connection::ReadSchemaCookie() {
    CheckOwner();
    if (schemaVersion_ == nullptr &&
        sqlite3_prepare_v2(db_, "PRAGMA schema_version", -1, &schemaVersion_, nullptr) != SQLITE_OK) {
        return std::nullopt;
    }
    std::optional<std::uint32_t> cookie;
    if (sqlite3_step(schemaVersion_) == SQLITE_ROW) {
        cookie = static_cast<std::uint32_t>(sqlite3_column_int64(schemaVersion_, 0));
    }
    sqlite3_reset(schemaVersion_);
    return cookie;
}

std::optional<Connection::StructureStamp> Connection::ReadStructureStamp() {
    if (sqlite3_db_name(db_, 2) != nullptr) return std::nullopt;  // main and temp only
    const std::uint64_t before = ownStructureChanges_;
    const auto cookie = ReadSchemaCookie();
    if (!cookie || ownStructureChanges_ != before) return std::nullopt;
    return StructureStamp{before, *cookie};
}

const std::vector<catalog::Column>* Connection::KnownColumns(std::string_view table,
                                                             const StructureStamp& stamp) const {
    const auto it = knownColumns_.find(std::string(table));
    return it != knownColumns_.end() && it->second.stamp == stamp ? &it->second.columns : nullptr;
}

void Connection::KeepColumns(std::string_view table, const StructureStamp& stamp,
                             std::vector<catalog::Column> columns) {
    // A read that raced a structure change of its own (a kept-back definition written meanwhile)
    // is not kept: its columns may be those of either side.
    if (ownStructureChanges_ != stamp.ownChanges) return;
    if (!knownColumns_.empty() && knownColumns_.begin()->second.stamp != stamp) knownColumns_.clear();
    knownColumns_.insert_or_assign(std::string(table), KnownTable{stamp, std::move(columns)});
}

// --- EngineState --------------------------------------------------------------------------------

std::shared_ptr<Connection> EngineState::Connect(std::string_view windowsPath, bool exclusive,
                                                 bool readOnly, std::string_view password) {
    CheckFault("OpenDatabase", windowsPath);
    const auto host = win::HostPath(windowsPath);
    std::error_code ec;
    if (!std::filesystem::is_directory(host.parent_path(), ec)) RaiseJet(jet::InvalidPath, windowsPath);
    if (!std::filesystem::is_regular_file(host, ec)) RaiseJet(jet::FileNotFound, windowsPath);
    const std::string key = ConnectionKey(host, readOnly);
    for (auto& [known, weak] : connections_) {
        if (known != key) continue;
        if (auto existing = weak.lock()) {
            existing->CheckPassword(password);
            return existing;
        }
    }
    auto connection = std::make_shared<Connection>(shared_from_this(), host, std::string(windowsPath), readOnly);
    connection->Open(exclusive, password);
    connections_.emplace_back(key, connection);
    return connection;
}

std::shared_ptr<Connection> EngineState::FindOpen(const std::filesystem::path& hostPath) {
    for (const bool readOnly : {false, true}) {
        const std::string key = ConnectionKey(hostPath, readOnly);
        for (auto& [known, weak] : connections_) {
            if (known != key) continue;
            if (auto existing = weak.lock()) return existing;
        }
    }
    return nullptr;
}

void EngineState::SetBusyTimeout(int milliseconds) {
    busyTimeoutMs_ = std::max(0, milliseconds);
    for (auto& [key, weak] : connections_) {
        if (auto connection = weak.lock()) sqlite3_busy_timeout(connection->RawHandle(), busyTimeoutMs_);
    }
}

void EngineState::Forget(const Connection& connection) {
    std::erase_if(connections_, [&](const auto& entry) {
        auto alive = entry.second.lock();
        return !alive || alive.get() == &connection;
    });
}

EngineState::~EngineState() { AbandonTransaction(); }

void EngineState::Enlist(const std::shared_ptr<Connection>& connection) {
    enlisted_.push_back(connection);
}

void EngineState::BeginTrans() {
    if (depth_ >= kMaxDepth) RaiseJet(jet::TooManyTransactions);
    ++depth_;
    if (depth_ == 1) {
        ++transactionSerial_;
        return;
    }
    for (const auto& connection : enlisted_) connection->Exec("SAVEPOINT " + LevelName(depth_), Operation::Write);
}

// An inner level folds into the level around it; the outermost commits every file it wrote, one
// file after the other. Each commit is atomic for its file; the set of files is not: a process that
// dies between two commits leaves the files committed so far new and the rest old (each whole).
void EngineState::CommitTrans() {
    if (depth_ == 0) RaiseJet(jet::NoTransaction);
    if (depth_ > 1) {
        for (const auto& connection : enlisted_) connection->Exec("RELEASE " + LevelName(depth_), Operation::Commit);
        --depth_;
        return;
    }
    for (const auto& connection : enlisted_) CheckFault("CommitTrans", connection->WindowsPath());
    for (const auto& connection : enlisted_) connection->WritePendingDefinitions();
    // Files commit in the order they were first written; one that cannot commit yet (a reader
    // holds it) stays pending with the rest, so CommitTrans can be retried.
    while (!enlisted_.empty()) {
        auto& connection = *enlisted_.front();
        if (sqlite3_exec(connection.Handle(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            connection.Fail(Operation::Commit, connection.WindowsPath());
        }
        connection.enlisted_ = false;
        connection.DetachFiles();
        sqlite3_exec(connection.RawHandle(), CacheSizeSql(kIdleCacheKiB).c_str(), nullptr, nullptr, nullptr);
        enlisted_.erase(enlisted_.begin());
    }
    depth_ = 0;
}

void EngineState::Rollback() {
    if (depth_ == 0) RaiseJet(jet::NoTransaction);
    ++rollbacks_;
    if (depth_ > 1) {
        const std::string level = LevelName(depth_);
        for (const auto& connection : enlisted_) {
            connection->Exec("ROLLBACK TO " + level + "; RELEASE " + level, Operation::Write);
        }
        --depth_;
        return;
    }
    AbandonTransaction();
}

void EngineState::AbandonTransaction() {
    for (const auto& connection : enlisted_) {
        connection->pending_.clear();
        if (sqlite3_get_autocommit(connection->RawHandle()) == 0) {
            sqlite3_exec(connection->RawHandle(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
        connection->enlisted_ = false;
        connection->DetachFiles();
        sqlite3_exec(connection->RawHandle(), CacheSizeSql(kIdleCacheKiB).c_str(), nullptr, nullptr, nullptr);
    }
    enlisted_.clear();
    depth_ = 0;
}

// --- Values and declared types ------------------------------------------------------------------

int BindValue(sqlite3_stmt* stmt, int index, const Value& value, sqlite3_destructor_type lifetime) {
    using Kind = Value::Kind;
    switch (value.kind()) {
    case Kind::Null: return sqlite3_bind_null(stmt, index);
    case Kind::Boolean:
    case Kind::Byte:
    case Kind::Integer:
    case Kind::Long: return sqlite3_bind_int64(stmt, index, value.HeldInteger());
    case Kind::Currency: return sqlite3_bind_double(stmt, index, static_cast<double>(value.HeldInteger()) / 10000.0);
    case Kind::Single:
    case Kind::Double:
    case Kind::Date: return sqlite3_bind_double(stmt, index, value.HeldReal());
    case Kind::Text: break;
    }
    const std::string_view text = value.TextView();
    return sqlite3_bind_text(stmt, index, text.empty() ? "" : text.data(), static_cast<int>(text.size()), lifetime);
}

// The column is read once as SQLite's value and then only converted: each sqlite3_column_*
// call finds the column again and checks for a failed allocation. Numbers are read only for
// number fields: reading a text as a double parses it.
Value ColumnValue(sqlite3_stmt* stmt, int index, DataType type) {
    sqlite3_value* column = sqlite3_column_value(stmt, index);
    if (sqlite3_value_type(column) == SQLITE_NULL) return Value::Null();
    switch (ColumnReadOf(type)) {
    case ColumnRead::Integer: return IntegerFieldValue(sqlite3_value_int64(column), type);
    case ColumnRead::Real: return RealFieldValue(sqlite3_value_double(column), type);
    case ColumnRead::Text: break;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(column));
    if (text == nullptr) return Value(std::string_view());
    return Value(std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(column))));
}

std::string DeclaredType(DataType type, int size) {
    switch (type) {
    case DataType::Boolean: return "BIT";
    case DataType::Byte: return "BYTE";
    case DataType::Integer: return "SHORT";
    case DataType::Long: return "LONG";
    case DataType::Currency: return "CURRENCY";
    case DataType::Single: return "SINGLE";
    case DataType::Double: return "DOUBLE";
    case DataType::Date: return "DATETIME";
    case DataType::Memo: return "LONGTEXT";
    case DataType::Text: break;
    }
    return "TEXT(" + std::to_string(size > 0 && size <= 255 ? size : 255) + ")";
}

void TypeFromDeclared(std::string_view declared, DataType& type, int& size) {
    std::string upper = JetFold(declared);
    size = 0;
    const auto open = upper.find('(');
    if (open != std::string::npos) {
        size = std::atoi(upper.c_str() + open + 1);
        upper.resize(open);
    }
    while (!upper.empty() && upper.back() == ' ') upper.pop_back();
    struct Name {
        const char* text;
        DataType type;
    };
    static constexpr Name kNames[] = {
        {"BIT", DataType::Boolean},      {"BOOLEAN", DataType::Boolean},  {"YESNO", DataType::Boolean},
        {"BYTE", DataType::Byte},        {"TINYINT", DataType::Byte},     {"SHORT", DataType::Integer},
        {"SMALLINT", DataType::Integer}, {"LONG", DataType::Long},        {"INTEGER", DataType::Long},
        {"INT", DataType::Long},         {"COUNTER", DataType::Long},     {"CURRENCY", DataType::Currency},
        {"MONEY", DataType::Currency},   {"SINGLE", DataType::Single},    {"REAL", DataType::Single},
        {"DOUBLE", DataType::Double},    {"FLOAT", DataType::Double},     {"NUMERIC", DataType::Double},
        {"DATETIME", DataType::Date},    {"DATE", DataType::Date},        {"TIME", DataType::Date},
        {"LONGTEXT", DataType::Memo},    {"MEMO", DataType::Memo},        {"TEXT", DataType::Text},
        {"VARCHAR", DataType::Text},     {"CHAR", DataType::Text},
    };
    type = DataType::Text;
    for (const auto& name : kNames) {
        if (upper == name.text) type = name.type;
    }
    if (type == DataType::Text) size = size > 0 && size <= 255 ? size : 255;
    if (type == DataType::Memo) size = 0;
}

std::string TableDefinition(std::string_view table, const std::vector<Connection::PendingColumn>& columns) {
    std::string sql = "CREATE TABLE " + QuoteName(table) + " (";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += (i ? ", " : "") + ColumnDefinition(columns[i].name, columns[i].type, columns[i].size);
    }
    return sql + ")";
}

std::string ColumnDefinition(std::string_view name, DataType type, int size) {
    std::string definition = QuoteName(name) + " " + DeclaredType(type, size);
    if (type == DataType::Text || type == DataType::Memo) {
        definition += " COLLATE ";
        definition += kJetTextCollation;
    }
    return definition;
}

}  // namespace dao
