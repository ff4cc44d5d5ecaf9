// The SQLite connection of one database file, shared by every object on that file, and the
// workspace transaction that spans the connections it writes.
//
// Invariants:
//   1. An engine keeps at most one Connection per file and access mode: one read-write and one
//      read-only connection on the same file may coexist (a file opened both ways), and they are
//      two SQLite connections that lock each other out as two engines would. Files are identified
//      by their canonical host path compared case-insensitively, so "Backup.mdb" and "BACKUP.MDB"
//      share one connection.
//   2. Every connection has the JETTEXT collation (collation.h) and the engine's SQL functions
//      registered, runs in rollback-journal mode (never WAL) with secure_delete off, and has the
//      engine's busy timeout (short; 0 in tests).
//   3. Inside a workspace transaction a connection is enlisted (BEGIN IMMEDIATE) just before its
//      first write; reads of connections that have not written run in autocommit, so their locks
//      are released at once. CommitTrans and Rollback end every enlisted connection.
//      A transaction is atomic per file, not across files: CommitTrans commits the files one after
//      the other, so a process that dies between two commits leaves the files it committed with
//      the new state and the others with the old one, each file whole (its rollback journal is
//      played back at the next open). No caller writes two files that must change together.
//   4. No statement stays active between calls of the object model: statements are reset once read,
//      so structure changes and DROP TABLE are never blocked by the engine's own recordsets. The
//      one exception, a forward-only recordset's query, is registered with its connection
//      (HoldRead) and ended by the connection's next write (PrepareWrite), so it never blocks one
//      either. It holds the file's shared lock while it is read, as reading a snapshot does: a
//      reader that wants no other station's commit to wait reads it through without pausing.
//   5. An engine and its objects are used by one thread at a time: connections are opened without
//      SQLite's per-connection mutex. Two engines may live on two threads.
//   6. SQLite re-reads a file's whole schema after each change of it, so inside a workspace
//      transaction the field changes of a table whose stored definition is exactly the engine's own
//      text (a field added; a field dropped from an empty table no trigger or view names) are kept
//      back: the connection answers the table's columns from its kept-back list, and writes every
//      kept-back definition in one schema change (one re-read) before any statement but the
//      catalog's own runs on it, and before the commit. A rollback drops them with the rest.
//
// Lock file protocol (how engines, in this process or another, see each other): beside each open
// database file "X" lies the hidden file ".X.lck" (directory searches never list it), removed by
// the last holder. Open file description locks (F_OFD_SETLK) on it die with the descriptor that
// holds them, so a killed holder never leaves a stale lock:
//   byte 0          read lock while the file is open shared, write lock while it is open exclusive;
//   byte 1 + h      write lock while a table (h = a hash of its folded name) is held deny-write.
// A rename or delete of the database file while byte 0 is locked must fail (FileHeldOpen).
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstdint>
#include <sys/types.h>

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/dao/errors.h"
#include "platform/dao/statement.h"
#include "platform/dao/value.h"

namespace dao {

// SQLite's page cache of a connection, in KiB: SQLite's default outside a transaction, and a
// large one while a workspace transaction writes the file, so that a long transaction's changed
// pages stay in memory until the commit instead of being spilled to the file one by one.
constexpr int kIdleCacheKiB = 2000;
constexpr int kTransactionCacheKiB = 64 * 1024;

class EngineState;

namespace catalog {
// A table's column as the engine describes it (catalog.h reads them).
struct Column {
    std::string name;
    DataType type = DataType::Text;
    int size = 255;  // Text: its size; Memo: 0; others: their fixed size in bytes
    bool notNull = false;
};
}  // namespace catalog

class Connection : public std::enable_shared_from_this<Connection> {
public:
    Connection(std::shared_ptr<EngineState> engine, std::filesystem::path hostPath,
               std::string windowsPath, bool readOnly);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The SQLite handle. Debug builds check that the calling thread is the one that opened the
    // connection (invariant 5): a connection has no mutex of its own.
    // Kept-back definitions (invariant 6) are written first.
    sqlite3* Handle() {
        WritePendingDefinitions();
        return db_;
    }
    // The handle as it stands, kept-back definitions unwritten: for the catalog's own statements
    // and for ending a transaction.
    sqlite3* RawHandle() const {
        CheckOwner();
        return db_;
    }
    const std::filesystem::path& HostPath() const { return hostPath_; }
    // The Windows path the file was first opened by (error texts, fault patterns).
    const std::string& WindowsPath() const { return windowsPath_; }
    bool ReadOnly() const { return readOnly_; }
    bool Exclusive() const { return exclusive_; }
    // The engine the connection belongs to (3420 once every handle on the engine is gone).
    EngineState& Engine() const;

    // To be called before every statement that writes (data or structure): raises 3027 on a
    // read-only open, and inside a workspace transaction enlists this connection (BEGIN IMMEDIATE;
    // 3260 for data, 3262 for structure when another holder keeps the write lock). A structure
    // change names the table it changes: its failures (3262 "Could not lock table ...") name that
    // table, as the engine's texts do, until the next PrepareWrite; without one, the file.
    void PrepareWrite(Operation op, std::string_view table = {});

    // A read whose statement stays active between calls (invariant 4).
    class ActiveRead {
    public:
        virtual ~ActiveRead() = default;
        // Resets and releases the statement; the read fails from then on.
        virtual void End() = 0;
    };
    // Registers `read`, ended before the connection's next write.
    void HoldRead(std::weak_ptr<ActiveRead> read);

    // True when another holder (another engine, or another recordset of this one) keeps `table`
    // deny-write: a write to it must raise 3260, a structure change 3262.
    bool TableHeldElsewhere(std::string_view table) const;

    // Runs statements that return no rows (`sql` may hold several); SQLite failures raise through
    // Fail.
    void Exec(std::string_view sql, Operation op);

    // Runs a statement that sorts many rows, an index build above all: for its length the
    // connection's sorter keeps small runs in memory and sorts and merges them on worker threads,
    // which halves the time a large index takes, and the table is read through a memory map
    // (kMappedReadBytes). `sortBytes`, what the sorter is expected to hold (SortBytes), sizes the
    // runs so that each worker merges its runs in one pass. The page cache, thread and map settings
    // are put back afterwards, whether the statement succeeds or not.
    void ExecSorting(std::string_view sql, Operation op, std::int64_t sortBytes = 0);

    // Raises the engine error for the last SQLite failure on this connection. Inside a workspace
    // transaction it first checks that SQLite did not end the transaction itself (it may, on a busy
    // cache spill or an I/O error): if it did, every enlisted connection is rolled back and 3035 is
    // raised instead of a lock number, so that no retry commits half a transaction.
    [[noreturn]] void Fail(Operation op, std::string_view subject = {});

    // True while this connection is enlisted in the open workspace transaction.
    bool Enlisted() const { return enlisted_; }

    // A fresh number whenever the file's schema changes (SQLite's schema cookie).
    std::uint32_t SchemaVersion();

    // --- Columns read before ---
    // What a table's columns were read under: the file's schema cookie and the count of this
    // connection's own structure statements, savepoints and rollbacks (a rollback can bring a cookie
    // back with another structure behind it). While both are unchanged, so is every table's
    // structure, whoever else writes the file.
    struct StructureStamp {
        std::uint64_t ownChanges = 0;
        std::uint32_t cookie = 0;
        bool operator==(const StructureStamp&) const = default;
    };
    // The stamp now, or nullopt when it cannot be trusted or read: files are attached (a table may
    // resolve to one of them), or the file is busy (the read itself will then raise).
    std::optional<StructureStamp> ReadStructureStamp();
    // The columns of `table` last kept under `stamp`, or null.
    const std::vector<catalog::Column>* KnownColumns(std::string_view table, const StructureStamp& stamp) const;
    void KeepColumns(std::string_view table, const StructureStamp& stamp, std::vector<catalog::Column> columns);

    // --- Kept-back field changes (invariant 6) ---
    struct PendingColumn {
        std::string name;
        DataType type = DataType::Text;
        int size = 0;
    };
    // The columns of `table` as changed but not yet written, or null when none is kept back.
    const std::vector<PendingColumn>* PendingColumns(std::string_view table) const;
    // Keeps `columns` back as the new definition of `table` (its stored spelling).
    void KeepPendingColumns(const std::string& table, std::vector<PendingColumn> columns);
    // Writes the kept-back definitions in one schema change; nothing while a KeepPending lives.
    void WritePendingDefinitions();
    // While one lives, statements made on the connection leave the kept-back definitions unwritten
    // (the catalog's reads and writes of its hidden tables, which do not depend on them).
    class KeepPending {
    public:
        explicit KeepPending(Connection& connection) : connection_(connection) { ++connection_.keepPending_; }
        ~KeepPending() { --connection_.keepPending_; }
        KeepPending(const KeepPending&) = delete;
        KeepPending& operator=(const KeepPending&) = delete;

    private:
        Connection& connection_;
    };

    // Opening steps (used by the engine): locks, the file's mark, SQLite handle, settings, schema
    // read, password; then, read-write only, the hidden tables and the mark a file may lack.
    void Open(bool exclusive, std::string_view password);

    // Detaches the files attached to this connection for reading (AttachedRead), except those its
    // open transaction has read: its end detaches them.
    void DetachFiles();

private:
    friend class EngineState;
    friend class AttachedRead;
    void CheckOwner() const;
    void OpenLockFile(bool exclusive);
    void OpenSqlite();
    void CheckPassword(std::string_view password);
    bool Marked();  // the file carries kApplicationId
    std::optional<std::uint32_t> ReadSchemaCookie();  // nullopt when the file cannot be read now

    // Weak: an engine's open transaction keeps its connections, never the other way round, so
    // the engine's end rolls back what it left open.
    std::weak_ptr<EngineState> engine_;
    std::filesystem::path hostPath_;
    std::string windowsPath_;
    std::string structureTable_;   // the table the structure change under way changes ("" none)
    bool readOnly_;
    bool exclusive_ = false;
    bool enlisted_ = false;
    int lockFd_ = -1;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* schemaVersion_ = nullptr;  // "PRAGMA schema_version", prepared once
    std::uint64_t ownStructureChanges_ = 0;  // counted by SQLite's authorizer and rollback hook
    struct KnownTable {
        StructureStamp stamp;
        std::vector<catalog::Column> columns;
    };
    std::unordered_map<std::string, KnownTable> knownColumns_;  // by the name the table was asked by
    std::vector<std::pair<std::string, std::vector<PendingColumn>>> pending_;  // by stored table name
    int keepPending_ = 0;
    std::vector<std::weak_ptr<ActiveRead>> activeReads_;
    // Files attached for reading: the file (device and inode), its change counter and the source
    // connection's data version when attached (inode 0: never to be read again).
    struct Attached {
        std::string schema;
        dev_t device = 0;
        ino_t inode = 0;
        std::uint32_t changes = 0;
        std::uint32_t dataVersion = 0;
    };
    std::vector<Attached> attached_;
    int attachedSerial_ = 0;
    std::thread::id owner_ = std::this_thread::get_id();
};

// `source`'s file read through `target`'s connection while one statement there copies its rows
// (sql/jet_execute.h): one SQLite program reads the rows and writes them, where a pump between the
// two connections runs two and hands every value over.
//
// The file is attached to `target`'s connection read-only and immutable, that is without locks or
// a journal of its own. What keeps it still is `source`'s connection instead: for the life of this
// object it holds a read of the file, as a SELECT of its own would. Only a file in rollback-journal
// mode under that read is attached (its header, read through the connection's own descriptor): the
// read is then the file's shared lock, so that no station commits to it, nor switches it to WAL,
// meanwhile (and a journal a dead writer left there has been played back before). A file in WAL
// mode (another program may switch an open file to it) keeps commits in its log, which the
// immutable attachment would not read, and its read is only a mark in the log while others commit
// and checkpoint: such a file goes through the pump.
// The attachment opens the file at the connection's path, so it must still be the file the
// connection holds: a file renamed over since the connection opened it is read through the
// connection, by the pump; the identity (device and inode) and the change counter recorded for an
// attachment are both those of the held file.
// SQLite detaches no file that an open transaction has read, so an attachment lasts until
// `target`'s transaction ends; until then later reads reuse it while the file is the one attached
// with the same change counter in its header (which every commit in rollback-journal mode changes,
// a switch of journal mode included) and the source connection has seen no change since
// (SQLite's data version): the pages it keeps in memory are then still the file's. A changed file
// is attached afresh.
//
// Begin answers nullopt, and the rows go through the pump, when `source` has a transaction of its
// own open (what it wrote is not in the file yet), when the two are one file, when `source`'s read
// cannot start, when the file is not in rollback-journal mode under it or is no longer the file at
// its path, when SQLite's limit on attached files is reached, or when the attach fails.
class AttachedRead {
public:
    static std::optional<AttachedRead> Begin(Connection& target, Connection& source);
    AttachedRead(AttachedRead&&) = default;
    AttachedRead& operator=(AttachedRead&&) = delete;
    // Ends the source's read; detaches the file when `target` has no transaction open.
    ~AttachedRead();

    // The schema name the file's tables are read under on `target`'s connection.
    const std::string& Schema() const { return schema_; }

private:
    AttachedRead(Connection& target, std::unique_ptr<Statement> hold, std::string schema)
        : target_(&target), hold_(std::move(hold)), schema_(std::move(schema)) {}

    Connection* target_;
    std::unique_ptr<Statement> hold_;  // the source's read, stepped once and left open
    std::string schema_;
};

// The engine's shared state: its connections by file and its workspace transaction. One per
// DBEngine; two engines in one process see each other only through the files and their locks, as
// two stations would.
class EngineState : public std::enable_shared_from_this<EngineState> {
public:
    EngineState() = default;
    ~EngineState();  // rolls back a transaction left open
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    // The connection of the file at `windowsPath`, opened now or shared with the objects that have
    // it open already. Raises 68/52/76 for a bad drive or name, 3044 for a missing folder, 3024 for a
    // missing file, 3045 when the file is open exclusively elsewhere (or elsewhere at all, for an
    // exclusive open), 3343 for a file that is not a readable database of the engine's own (see
    // RequireEngineFile), 3031 for a wrong password.
    std::shared_ptr<Connection> Connect(std::string_view windowsPath, bool exclusive, bool readOnly,
                                        std::string_view password);
    // The connection already open on that file, or null.
    std::shared_ptr<Connection> FindOpen(const std::filesystem::path& hostPath);

    // Milliseconds SQLite waits on a busy file before the lock error is raised.
    int BusyTimeout() const { return busyTimeoutMs_; }
    void SetBusyTimeout(int milliseconds);
    // See DBEngine::SetStopFlag: the flag connections opened from now on look at.
    const std::atomic<bool>* StopFlag() const { return stop_; }
    void SetStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }

    // Transactions nest up to five levels deep (inner levels are savepoints of every file written).
    bool InTransaction() const { return depth_ > 0; }
    int Depth() const { return depth_; }
    void BeginTrans();   // 3003 beyond five levels
    void CommitTrans();  // 3034 without a transaction; 3260 when a file cannot commit yet
    void Rollback();     // 3034 without a transaction

    // Counts outermost transactions, so that a check made once per transaction can be recognised.
    std::uint64_t TransactionSerial() const { return transactionSerial_; }
    // Counts rollbacks at any level: rows read before one may be gone.
    std::uint64_t RollbackCount() const { return rollbacks_; }

    // Idle: recordsets drop the rows they read ahead, so that their next move reads the file.
    void Idle() { ++idleCount_; }
    std::uint64_t IdleCount() const { return idleCount_; }

    // Bumped by every structure change made through this engine (translation caches use it).
    std::uint64_t Generation() const { return generation_; }
    void BumpGeneration() { ++generation_; }

private:
    friend class Connection;
    void Enlist(const std::shared_ptr<Connection>& connection);
    void Forget(const Connection& connection);
    void AbandonTransaction();

    std::vector<std::pair<std::string, std::weak_ptr<Connection>>> connections_;
    std::vector<std::shared_ptr<Connection>> enlisted_;
    static constexpr int kMaxDepth = 5;
    int depth_ = 0;
    int busyTimeoutMs_ = 200;
    const std::atomic<bool>* stop_ = nullptr;
    std::uint64_t generation_ = 1;
    std::uint64_t idleCount_ = 0;
    std::uint64_t transactionSerial_ = 0;
    std::uint64_t rollbacks_ = 0;
};

// Binds `value` as the file stores it (see sql/jet_sql.h: Boolean 0/-1, Currency and Date REAL).
// A text is copied unless `lifetime` is SQLITE_STATIC: the caller then keeps the value alive and
// unchanged until the statement is stepped and bound again.
int BindValue(sqlite3_stmt* stmt, int index, const Value& value, sqlite3_destructor_type lifetime = SQLITE_TRANSIENT);
// Reads a column stored as a field of `type`.
Value ColumnValue(sqlite3_stmt* stmt, int index, DataType type);

// ColumnValue in two halves, for a reader that keeps columns before making Values of them (a
// recordset's read window): what SQLite is asked for a column that is not Null, by field type
// (Byte, Integer and Long fields its integer, Text and Memo its text, the other numbers its
// double), and the Value a field makes of that integer or double.
enum class ColumnRead : std::uint8_t { Integer, Real, Text };

inline ColumnRead ColumnReadOf(DataType type) {
    switch (type) {
    case DataType::Byte:
    case DataType::Integer:
    case DataType::Long: return ColumnRead::Integer;
    case DataType::Text:
    case DataType::Memo: return ColumnRead::Text;
    default: return ColumnRead::Real;
    }
}

// Byte and Integer keep the low bits, as SQLite's int read narrowed to them does.
inline Value IntegerFieldValue(std::int64_t number, DataType type) {
    switch (type) {
    case DataType::Byte: return Value::Byte(static_cast<std::uint8_t>(number));
    case DataType::Integer: return Value::Integer(static_cast<std::int16_t>(number));
    default: return Value::Long(static_cast<std::int32_t>(number));
    }
}

inline Value RealFieldValue(double number, DataType type) {
    switch (type) {
    case DataType::Boolean: return Value::Boolean(number != 0);
    case DataType::Currency: return Value::CurrencyFromDouble(number);
    case DataType::Single: return Value::Single(static_cast<float>(number));
    case DataType::Date: return Value::Date(number);
    default: return Value::Double(number);
    }
}

// The declared SQLite type of a field ("SHORT", "TEXT(50)", "LONGTEXT", ...) and back. Text and
// Memo columns are also declared COLLATE JETTEXT by ColumnDefinition. TypeFromDeclared gives Text
// 255 for an unknown declaration.
std::string DeclaredType(DataType type, int size);
void TypeFromDeclared(std::string_view declared, DataType& type, int& size);
std::string ColumnDefinition(std::string_view name, DataType type, int size);
// The CREATE TABLE text the engine writes for a table of these columns.
std::string TableDefinition(std::string_view table, const std::vector<Connection::PendingColumn>& columns);

// The engine's own files. Only CreateDatabase, CompactDatabase and RepairDatabase make files the
// engine accepts; every other file is refused before anything is written to it, so that a file
// of another program opened by mistake is never changed. A file is the engine's when it is an
// SQLite file in rollback-journal mode and either
//   1. carries kApplicationId in SQLite's application_id (written by creation, compaction and
//      repair, and by the first read-write open of a file that lacks it), or
//   2. carries no application_id at all and has the hidden table zmsys_db (files made before the
//      application_id was written).
// The file's header is read as plain bytes; only a file of kind 2 is read through SQLite, by a
// read-only connection, which neither writes the file nor plays back a journal beside it.
// Owns a bare SQLite handle (the file's mark, repair and compaction work below the object model).
struct RawDb {
    sqlite3* db = nullptr;
    RawDb() = default;
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;
    ~RawDb() { sqlite3_close_v2(db); }
    bool Exec(const std::string& sql) { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }
};

// Pragmas of a connection set for the life of the object: each is put back to the value it had
// when the object is destroyed, whether the work between succeeded or not.
class TemporaryPragmas {
public:
    struct Setting {
        const char* pragma;  // a pragma answering one integer, such as "cache_size"
        std::int64_t value;
    };
    TemporaryPragmas(sqlite3* db, std::initializer_list<Setting> settings);
    ~TemporaryPragmas();
    TemporaryPragmas(const TemporaryPragmas&) = delete;
    TemporaryPragmas& operator=(const TemporaryPragmas&) = delete;

private:
    sqlite3* db_;
    std::vector<Setting> previous_;
};

// The byte size up to which reads of a file go through a memory map while an index build scans
// its table: each page is read where the system keeps the file instead of being copied into the
// page cache by a call of its own. SQLite maps pages only for reading; written pages still go
// through the cache and the rollback journal.
inline constexpr std::int64_t kMappedReadBytes = std::int64_t{1} << 31;

// Starts the system writing out the changes SQLite has already handed it for `db`'s main file,
// without waiting for them: a long transaction's commit then finds most of its pages on disk, and
// its sync (which still runs, as always) waits that much less. Changes nothing SQLite sees.
void StartWriteback(sqlite3* db);

inline constexpr std::int32_t kApplicationId = 0x5A4D4442;
// Sets kApplicationId on an open SQLite handle; false when the file could not be written.
bool MarkEngineFile(sqlite3* db);
// Raises 3343 (with `windowsPath` in its text) unless `hostPath` is the engine's (see above);
// 3187 when the file is locked past `busyTimeoutMs` while its mark is read.
void RequireEngineFile(const std::filesystem::path& hostPath, std::string_view windowsPath, int busyTimeoutMs);

// True when another open file description holds byte 0 of `hostPath`'s lock file, i.e. some
// engine has the database open (file operations refuse to rename or delete it then).
bool FileHeldOpen(const std::filesystem::path& hostPath);

// The lock file beside a database file.
std::filesystem::path LockFilePath(const std::filesystem::path& hostPath);

// The byte of the lock file that a deny-write hold of `table` locks.
off_t TableLockByte(std::string_view table);

// Takes (F_RDLCK, F_WRLCK) or drops (F_UNLCK) the lock of one byte of a lock file opened as `fd`,
// without waiting; false when another open file description holds a conflicting lock.
bool LockFileByte(int fd, short type, off_t byte);

}  // namespace dao
