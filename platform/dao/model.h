// The shared state behind the object model's handles (dao.h). Internal to platform/dao and its
// SQL executor.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dao/catalog.h"
#include "platform/dao/connection.h"
#include "platform/dao/dao.h"

namespace dao {

struct DatabaseState {
    std::shared_ptr<EngineState> engine;
    std::shared_ptr<Connection> connection;  // null once closed
    std::string name;
    long recordsAffected = 0;
    std::vector<std::weak_ptr<RecordsetState>> recordsets;  // closed with the database

    // The connection; 3420 once the database is closed.
    Connection& Conn() const;
    // The table's stored spelling; 3265 when it does not exist.
    std::string RequireTable(std::string_view table) const;
};

struct FieldState;
struct IndexState;

struct TableDefState {
    std::shared_ptr<DatabaseState> db;  // set when created or appended
    std::string name;
    bool appended = false;
    std::vector<std::shared_ptr<FieldState>> pendingFields;
    std::vector<std::shared_ptr<IndexState>> pendingIndexes;
};

struct RecordsetState;

struct FieldState {
    enum class Kind { Detached, Table, Recordset };
    Kind kind = Kind::Detached;
    std::string name;
    DataType type = DataType::Text;
    int size = 50;
    std::string foreignName;
    std::shared_ptr<TableDefState> table;        // Kind::Table
    std::weak_ptr<RecordsetState> recordset;     // Kind::Recordset
    // The same recordset, reached without taking a reference while `recordset` has not expired
    // (one thread uses an engine's objects, so it cannot expire between the check and the use).
    RecordsetState* owner = nullptr;             // Kind::Recordset
    int column = -1;                             // Kind::Recordset
    std::vector<catalog::PropertyInfo> pendingProperties;  // Kind::Detached
};

struct IndexState {
    std::shared_ptr<TableDefState> table;
    std::string name;
    bool primary = false;
    bool unique = false;
    bool required = false;
    bool ignoreNulls = false;
    bool appended = false;
    std::vector<std::string> fields;
};

struct PropertyState {
    std::shared_ptr<FieldState> field;  // null for a property not yet appended
    std::string name;
    int type = 10;
    Value value;
};

struct RelationState {
    std::shared_ptr<DatabaseState> db;
    std::string name;
    std::string table;
    std::string foreignTable;
    long attributes = 0;
    bool appended = false;
    std::vector<std::shared_ptr<FieldState>> fields;
};

struct QueryDefState {
    std::shared_ptr<DatabaseState> db;
    std::string name;
    std::string sql;
};

// The values of one record, shared between the rows read and the current record (no copy per move).
using Row = std::shared_ptr<const std::vector<Value>>;

// One column of a record in a read window, as read for its field (ColumnRead): the integer or
// double SQLite gave, or where its text lies in the window's text bytes.
struct WindowCell {
    enum class Kind : std::uint8_t { Null, Integer, Real, Text };
    union {
        std::int64_t integer;
        double real;
        std::size_t textOffset;
    };
    std::uint32_t textSize;
    Kind kind;
};

// The rows of one read window: `columns` cells a row, and for each row whether it still exists.
struct WindowRows {
    std::size_t columns = 0;
    std::vector<WindowCell> cells;
    std::vector<bool> exists;
    std::string texts;
};

// One column of a recordset.
struct RecordsetColumn {
    std::string name;
    DataType type = DataType::Text;
    int size = 255;
};

class ForwardRead;

struct RecordsetState {
    std::shared_ptr<DatabaseState> db;
    std::shared_ptr<Connection> connection;  // kept while the recordset's statements live
    int type = dbOpenTable;
    bool closed = false;
    bool updatable = false;
    std::string table;                  // the stored table, for table-type and table dynasets
    std::vector<RecordsetColumn> columns;
    std::vector<Field> fieldList;  // built once: the columns never change
    std::vector<std::string_view> fieldNames;  // fieldList's names, in their FieldStates
    std::size_t lookupHint = 0;    // where the next search by name starts

    // Rows by rowid (tables): the rowids in the current order; the row is read on each move.
    // Rows by value (queries): every row read at open.
    bool byRowid = false;
    std::vector<std::int64_t> rowids;
    // When the rowids were read: the connection's change count (kept up to date by this
    // recordset's own appends in insertion order), the file's data version (moved by other
    // connections' commits), the engine's Idle and rollback counts. While all four hold, the
    // rowids are the file's.
    std::int64_t rowidsChanges = -1;
    std::int64_t rowidsVersion = -1;
    std::uint64_t rowidsIdle = 0;
    std::uint64_t rowidsRollbacks = 0;
    std::vector<Row> rows;
    // Forward-only: the query being read; `rows` holds the current row alone.
    std::shared_ptr<ForwardRead> forward;
    long position = -1;  // -1 before the first (BOF), size() after the last (EOF)
    bool noMatch = false;
    bool deleted = false;  // the current record was deleted
    // The current record (both null without one): rows by value share their Values; a row by
    // rowid is its cells in a read window's block, which it keeps alive.
    Row current;
    const WindowCell* currentCells = nullptr;
    std::shared_ptr<const WindowRows> currentBlock;

    std::string index;                  // table type: the current index ("" none)
    std::vector<std::string> indexFields;

    enum class EditMode { None, Edit, AddNew };
    EditMode editMode = EditMode::None;
    std::vector<std::optional<Value>> buffer;  // changed values of the edit

    int denyWriteFd = -1;  // lock file descriptor while the table is held deny-write

    // Rows by rowid are read a window at a time, one statement for up to kReadWindow rows. The
    // window serves moves only while the connection has made no change since it was read (any
    // write of this engine to the file drops it); a change by another engine shows once the
    // window is left. Its columns are kept as read and made Values only when a field is read.
    std::vector<ColumnRead> columnReads;  // of each column, by its field type
    long windowStart = 0;
    long windowSize = 0;
    std::shared_ptr<WindowRows> window;  // null when there is none
    std::shared_ptr<WindowRows> windowBlocks[2];  // the rows of the window and of the window before it
    std::int64_t windowChanges = -1;
    std::uint64_t windowIdle = 0;  // the engine's Idle count when the window was read

    // Statements kept prepared (never active) between calls: reading a window's rows (by a list of
    // rowids, by a range, by a range without rowids), the file's data version, inserting,
    // updating and deleting.
    std::unique_ptr<Statement> readRow;
    std::unique_ptr<Statement> readRange;
    std::unique_ptr<Statement> readExact;
    std::unique_ptr<Statement> dataVersion;
    // A write prepared for the columns an edit sets; kept while the next edit sets the same ones.
    struct Write {
        std::vector<bool> columns;  // which columns the statement sets
        std::unique_ptr<Statement> statement;
    };
    Write insert;
    Write update;
    std::unique_ptr<Statement> erase;
    std::uint64_t probedInTransaction = 0;  // the transaction whose first write found it free

    // Releases the statements, the locks and the connection (Close, or the database's Close).
    void Release();
    ~RecordsetState();
};

// Makes a structure change of several statements all-or-nothing: a savepoint that is rolled back
// unless Release() is reached.
class Savepoint {
public:
    explicit Savepoint(Connection& connection);
    ~Savepoint();
    void Release();

private:
    Connection& connection_;
    bool open_ = true;
};

// Builds a handle for a field of an appended table.
Field TableField(const std::shared_ptr<TableDefState>& table, const catalog::Column& column);

// Runs SQL text on `db` (Database::Execute): through the SQL layer when it is linked in.
void ExecuteSql(DatabaseState& db, std::string_view sql, int options);

}  // namespace dao
