// Recordsets.
//
// Two ways to hold rows:
//   by rowid  table-type recordsets and dynasets on a table keep the rowids in the current order
//             (the current index, or insertion order) and read the current row by rowid on each
//             move, so no statement stays active between calls, the rows the recordset adds are
//             seen, and rows deleted elsewhere are skipped;
//   by value  snapshots and recordsets on SQL text or a stored query read every row at open.
// Position: -1 is before the first record (BOF), rows.size() after the last (EOF).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/dao/catalog.h"
#include "platform/dao/collation.h"
#include "platform/dao/forward_only.h"
#include "platform/dao/model.h"
#include "platform/dao/recordset_access.h"
#include "platform/dao/sql_bridge.h"

namespace dao {
namespace {

RecordsetState& Live(const std::shared_ptr<RecordsetState>& state) {
    if (!state || state->closed || !state->db->connection) RaiseJet(jet::ObjectClosed);
    return *state;
}

// The recordset of a recordset field, checked as Live checks it. Field reads and writes are the
// engine's hottest calls: this takes no reference, and is inlined with the current-record check.
// A database closes each of its recordsets before it lets its connection go, so a recordset that
// is not closed has its database's connection.
[[gnu::always_inline]] inline RecordsetState& LiveOwner(const FieldState& field) {
    if (field.recordset.expired()) RaiseJet(jet::ObjectClosed);
    RecordsetState& rs = *field.owner;
    if (rs.closed) RaiseJet(jet::ObjectClosed);
    return rs;
}

// Byte equality of two field names, as std::string_view's == answers it, without a call to memcmp
// for the usual 4 to 16 bytes: two overlapping loads from each end.
[[gnu::always_inline]] inline bool SameBytes(std::string_view a, std::string_view b) {
    const std::size_t n = a.size();
    if (n != b.size()) return false;
    const auto load = [](const char* at, auto word) {
        std::memcpy(&word, at, sizeof word);
        return word;
    };
    if (n >= 8 && n <= 16) {
        return load(a.data(), std::uint64_t{}) == load(b.data(), std::uint64_t{}) &&
               load(a.data() + n - 8, std::uint64_t{}) == load(b.data() + n - 8, std::uint64_t{});
    }
    if (n >= 4 && n < 8) {
        return load(a.data(), std::uint32_t{}) == load(b.data(), std::uint32_t{}) &&
               load(a.data() + n - 4, std::uint32_t{}) == load(b.data() + n - 4, std::uint32_t{});
    }
    return a == b;
}

inline long Size(const RecordsetState& rs) {
    return static_cast<long>(rs.byRowid ? rs.rowids.size() : rs.rows.size());
}

inline bool HasCurrent(const RecordsetState& rs) { return rs.position >= 0 && rs.position < Size(rs); }

std::string ColumnList(const RecordsetState& rs) {
    std::string list;
    for (const auto& column : rs.columns) list += (list.empty() ? "" : ", ") + QuoteName(column.name);
    return list;
}

std::string OrderBy(const std::vector<std::string>& fields, bool descending) {
    std::string order;
    for (const auto& field : fields) order += QuoteName(field) + (descending ? " DESC, " : ", ");
    return " ORDER BY " + order + (descending ? "rowid DESC" : "rowid");
}

// The file's data version as this connection sees it: it moves when another connection commits.
std::int64_t DataVersion(RecordsetState& rs) {
    if (!rs.dataVersion) rs.dataVersion = std::make_unique<Statement>(*rs.connection, "PRAGMA data_version", Operation::Read);
    rs.dataVersion->Step();
    const std::int64_t version = rs.dataVersion->Int(0);
    rs.dataVersion->Reset();
    return version;
}

void LoadRowids(RecordsetState& rs) {
    Statement query(*rs.connection, "SELECT rowid FROM " + QuoteName(rs.table) + OrderBy(rs.indexFields, false),
                    Operation::Read);
    rs.rowids.clear();
    rs.windowChanges = -1;
    while (query.Step()) rs.rowids.push_back(query.Int(0));
    rs.rowidsChanges = sqlite3_total_changes64(rs.connection->Handle());
    rs.rowidsVersion = DataVersion(rs);
    rs.rowidsIdle = rs.db->engine->IdleCount();
    rs.rowidsRollbacks = rs.db->engine->RollbackCount();
}

// True while nothing can have changed the rows of the table or their order since the rowids were
// read, so a move to the first or last record need not read them again.
bool RowidsCurrent(RecordsetState& rs) {
    const auto& engine = *rs.db->engine;
    return rs.rowidsChanges == sqlite3_total_changes64(rs.connection->Handle()) && rs.rowidsIdle == engine.IdleCount() &&
           rs.rowidsRollbacks == engine.RollbackCount() && rs.rowidsVersion == DataVersion(rs);
}

// A window's rows. Each window read starts a read transaction of its own (SQLite takes and drops
// the file's shared lock and looks for a hot journal), so a recordset moving through the rows one
// after the other reads each window twice as long as the one before, up to kLongestWindow; a move
// anywhere else starts again at kReadWindow, so that a Seek reads few rows.
constexpr long kReadWindow = 128;
constexpr long kLongestWindow = 1024;

// The rows of the window a move in `step` direction reads next.
long NextWindowRows(const RecordsetState& rs, int step) {
    const bool onward = rs.windowSize > 0 && (step > 0 ? rs.position == rs.windowStart + rs.windowSize : rs.position == rs.windowStart - 1);
    return onward ? std::min(kLongestWindow, rs.windowSize * 2) : kReadWindow;
}

bool InWindow(const RecordsetState& rs) {
    return rs.window && rs.windowChanges == sqlite3_total_changes64(rs.connection->Handle()) &&
           rs.windowIdle == rs.db->engine->IdleCount() && rs.position >= rs.windowStart &&
           rs.position < rs.windowStart + rs.windowSize;
}

// How a window's rows are read: by a rowid range when the window's rowids ascend (insertion
// order), by the list of rowids otherwise (index order). In insertion order, while the rowids are
// still the file's, the rows from the window's first rowid on are exactly the window's rows and
// those after it, in order: they are read without rowids and without an upper bound, and the
// reader stops after the window's rows.
enum class WindowRead { Exact, Range, List };

std::string WindowSql(const RecordsetState& rs, WindowRead how) {
    const std::string from = ColumnList(rs) + " FROM " + QuoteName(rs.table);
    switch (how) {
    case WindowRead::Exact: return "SELECT " + from + " WHERE rowid >= ? ORDER BY rowid";
    case WindowRead::Range: return "SELECT rowid, " + from + " WHERE rowid BETWEEN ? AND ? ORDER BY rowid";
    case WindowRead::List: break;
    }
    return "SELECT rowid, " + from + " WHERE rowid IN (SELECT value FROM json_each(?))";
}

// The statement that reads the rows of a window, rowid first unless `how` is Exact.
Statement& WindowQuery(RecordsetState& rs, long start, long end, WindowRead how) {
    auto& query = how == WindowRead::Exact ? rs.readExact : how == WindowRead::Range ? rs.readRange : rs.readRow;
    if (!query) query = std::make_unique<Statement>(*rs.connection, WindowSql(rs, how), Operation::Read);
    if (how != WindowRead::List) {
        query->BindInt(1, rs.rowids[static_cast<std::size_t>(start)]);
        if (how == WindowRead::Range) query->BindInt(2, rs.rowids[static_cast<std::size_t>(end - 1)]);
        return *query;
    }
    std::string list = "[";
    for (long at = start; at < end; ++at) list += (at == start ? "" : ",") + std::to_string(rs.rowids[static_cast<std::size_t>(at)]);
    query->Bind(1, Value::Text(list + "]"));
    return *query;
}

// The place in the window [start, end) of each row the window query returns. The query returns
// rows in rowid order; when the window's rowids ascend too, walking both finds each place without
// a lookup table.
class WindowSlots {
public:
    WindowSlots(const std::vector<std::int64_t>& rowids, long start, long end)
        : first_(rowids.begin() + start), last_(rowids.begin() + end), ascending_(std::is_sorted(first_, last_)) {
        if (ascending_) return;
        for (auto it = first_; it != last_; ++it) slots_.emplace(*it, static_cast<std::size_t>(it - first_));
    }
    bool Ascending() const { return ascending_; }
    // The slot of `rowid`, or nullopt for a row added since the rowids were read.
    std::optional<std::size_t> Find(std::int64_t rowid) {
        if (!ascending_) {
            const auto slot = slots_.find(rowid);
            return slot == slots_.end() ? std::nullopt : std::optional(slot->second);
        }
        while (next_ != last_ - first_ && first_[next_] < rowid) ++next_;
        if (next_ == last_ - first_ || first_[next_] != rowid) return std::nullopt;
        return static_cast<std::size_t>(next_++);
    }

private:
    std::vector<std::int64_t>::const_iterator first_, last_;
    bool ascending_;
    std::ptrdiff_t next_ = 0;
    std::unordered_map<std::int64_t, std::size_t> slots_;
};

// A block for the rows of a new window. The current record keeps its window's block alive. Of
// the two blocks kept, one is free once the window that used it is dropped and the current record
// lies elsewhere: its cells and texts are overwritten in place, so that moving through a table
// allocates nothing after the first windows.
const std::shared_ptr<WindowRows>& FreeWindowBlock(RecordsetState& rs, std::size_t rows) {
    rs.window.reset();
    auto& blocks = rs.windowBlocks;
    // A block only the recordset holds (or none yet) is free.
    auto& block = blocks[0].use_count() <= 1 ? blocks[0] : blocks[1].use_count() <= 1 ? blocks[1] : blocks[0];
    if (block.use_count() != 1) block = std::make_shared<WindowRows>();
    block->columns = rs.columns.size();
    block->cells.resize(rows * block->columns);
    block->exists.assign(rows, false);
    block->texts.clear();
    return block;
}

// Keeps the columns of the row `read` stands on in `cells`, as read for each column's field.
// The row's first field is column `first` of the statement.
void KeepColumns(const RecordsetState& rs, sqlite3_stmt* read, int first, WindowCell* cells, std::string& texts) {
    const std::size_t columns = rs.columns.size();
    for (std::size_t i = 0; i < columns; ++i) {
        sqlite3_value* column = sqlite3_column_value(read, static_cast<int>(i) + first);
        WindowCell& cell = cells[i];
        if (sqlite3_value_type(column) == SQLITE_NULL) {
            cell.kind = WindowCell::Kind::Null;
            continue;
        }
        switch (rs.columnReads[i]) {
        case ColumnRead::Integer:
            cell.kind = WindowCell::Kind::Integer;
            cell.integer = sqlite3_value_int64(column);
            break;
        case ColumnRead::Real:
            cell.kind = WindowCell::Kind::Real;
            cell.real = sqlite3_value_double(column);
            break;
        case ColumnRead::Text: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(column));
            const auto size = text ? static_cast<std::size_t>(sqlite3_value_bytes(column)) : 0;
            cell.kind = WindowCell::Kind::Text;
            cell.textOffset = texts.size();
            cell.textSize = static_cast<std::uint32_t>(size);
            texts.append(text ? text : "", size);
            break;
        }
        }
    }
}

// The Value a field of `type` reads from a cell of `block`.
Value CellValue(const WindowRows& block, const WindowCell& cell, DataType type) {
    switch (cell.kind) {
    case WindowCell::Kind::Null: return Value::Null();
    case WindowCell::Kind::Integer: return IntegerFieldValue(cell.integer, type);
    case WindowCell::Kind::Real: return RealFieldValue(cell.real, type);
    case WindowCell::Kind::Text: break;
    }
    return Value(std::string_view(block.texts.data() + cell.textOffset, cell.textSize));
}

// Reads the rows of the window around the current position, in the direction of the move.
void ReadWindow(RecordsetState& rs, int step) {
    const long rows = NextWindowRows(rs, step);
    const long start = step > 0 ? rs.position : std::max(0L, rs.position - rows + 1);
    const long end = std::min(Size(rs), start + rows);
    WindowSlots slots(rs.rowids, start, end);
    // Only in insertion order are the rowids in a range all the window's.
    const bool exact = slots.Ascending() && rs.indexFields.empty() && RowidsCurrent(rs);
    const WindowRead how = exact ? WindowRead::Exact : slots.Ascending() ? WindowRead::Range : WindowRead::List;
    auto& read = WindowQuery(rs, start, end, how);
    // An Exact read stops before its statement is done: it is reset on every way out.
    const std::unique_ptr<Statement, void (*)(Statement*)> reset(&read, [](Statement* statement) { statement->Reset(); });
    const auto& block = FreeWindowBlock(rs, static_cast<std::size_t>(end - start));
    std::size_t next = 0;
    while ((how != WindowRead::Exact || next < block->exists.size()) && read.Step()) {
        const auto slot = how == WindowRead::Exact ? std::optional(next++) : slots.Find(sqlite3_column_int64(read.Handle(), 0));
        if (!slot || *slot >= block->exists.size()) continue;  // a row added since the rowids were read
        KeepColumns(rs, read.Handle(), how == WindowRead::Exact ? 0 : 1, &block->cells[*slot * block->columns], block->texts);
        block->exists[*slot] = true;
    }
    rs.window = block;  // only once whole: a failed read leaves no window
    rs.windowStart = start;
    rs.windowSize = end - start;
    rs.windowChanges = sqlite3_total_changes64(rs.connection->Handle());
    rs.windowIdle = rs.db->engine->IdleCount();
}

// Reads the row at the current position; false when it no longer exists.
bool ReadRow(RecordsetState& rs, int step = 1) {
    if (!rs.byRowid) {
        rs.current = rs.rows[static_cast<std::size_t>(rs.position)];
        return true;
    }
    if (!InWindow(rs)) ReadWindow(rs, step);
    const auto slot = static_cast<std::size_t>(rs.position - rs.windowStart);
    if (!rs.window->exists[slot]) return false;
    if (rs.currentBlock != rs.window) rs.currentBlock = rs.window;
    rs.currentCells = &rs.window->cells[slot * rs.window->columns];
    return true;
}

// Moves in `step` direction from the current position until a row that still exists.
void Settle(RecordsetState& rs, int step) {
    rs.deleted = false;
    rs.editMode = RecordsetState::EditMode::None;
    while (HasCurrent(rs) && !ReadRow(rs, step)) rs.position += step;
    if (HasCurrent(rs)) return;
    rs.current.reset();
    rs.currentCells = nullptr;
    rs.currentBlock.reset();
}

[[gnu::always_inline]] inline void RequireCurrent(const RecordsetState& rs) {
    if (rs.deleted) RaiseJet(jet::RecordDeleted);
    if (!HasCurrent(rs)) RaiseJet(jet::NoCurrentRecord);
}

// Holds the table deny-write through a descriptor of its own, so that a second recordset of the
// same engine conflicts with the first as a second station would.
void HoldDenyWrite(RecordsetState& rs) {
    const auto path = LockFilePath(rs.connection->HostPath());
    rs.denyWriteFd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (rs.denyWriteFd < 0) return;
    if (!LockFileByte(rs.denyWriteFd, F_WRLCK, TableLockByte(rs.table))) {
        close(rs.denyWriteFd);
        rs.denyWriteFd = -1;
        RaiseJet(jet::TableLocked, rs.table);
    }
}

// A write through a recordset on a table another holder keeps deny-write raises 3260. Inside a
// workspace transaction the table is looked at by the first write only: the transaction then
// holds the file's write lock, as the writer a deny-write open must wait for.
void CheckNotDenied(RecordsetState& rs) {
    if (rs.denyWriteFd >= 0) return;
    const auto& engine = *rs.db->engine;
    if (engine.InTransaction() && rs.probedInTransaction == engine.TransactionSerial()) return;
    if (rs.connection->TableHeldElsewhere(rs.table)) RaiseJet(jet::UpdateLocked, rs.table);
    if (engine.InTransaction()) rs.probedInTransaction = engine.TransactionSerial();
}

std::size_t TextLength(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void OpenOnTable(RecordsetState& rs, int options) {
    for (const auto& column : catalog::Columns(*rs.connection, rs.table)) {
        rs.columns.push_back({column.name, column.type, column.size});
        rs.columnReads.push_back(ColumnReadOf(column.type));
    }
    rs.updatable = rs.type != dbOpenSnapshot && !(options & dbReadOnly) && !rs.connection->ReadOnly();
    if (options & dbDenyWrite) HoldDenyWrite(rs);
    if (rs.type != dbOpenSnapshot) {
        rs.byRowid = true;
        LoadRowids(rs);
        return;
    }
    Statement query(*rs.connection, "SELECT " + ColumnList(rs) + " FROM " + QuoteName(rs.table) + " ORDER BY rowid",
                    Operation::Read);
    while (query.Step()) {
        std::vector<Value> row;
        for (std::size_t i = 0; i < rs.columns.size(); ++i) row.push_back(query.Column(static_cast<int>(i), rs.columns[i].type));
        rs.rows.push_back(std::make_shared<const std::vector<Value>>(std::move(row)));
    }
}

void OpenOnQuery(RecordsetState& rs, std::string_view sql) {
    QueryResult result = RunQuery(*rs.db, sql);
    for (auto& column : result.columns) rs.columns.push_back(std::move(column));
    rs.rows = std::move(result.rows);
}

std::string SqlOfQueryDef(DatabaseState& db, std::string_view name) {
    for (const auto& query : catalog::Queries(db.Conn())) {
        if (JetNamesEqual(query.name, name)) return query.sql;
    }
    return {};
}

bool LooksLikeSql(std::string_view text) {
    const std::string folded = JetFold(text.substr(0, std::min<std::size_t>(text.size(), 40)));
    const auto first = folded.find_first_not_of(" \t\r\n(");
    if (first == std::string::npos) return false;
    return folded.compare(first, 6, "SELECT") == 0 || folded.compare(first, 9, "TRANSFORM") == 0;
}

// True when `statement` was prepared for the columns the edit buffer sets.
bool SetsSameColumns(const RecordsetState& rs, const RecordsetState::Write& statement) {
    if (!statement.statement || statement.columns.size() != rs.buffer.size()) return false;
    for (std::size_t i = 0; i < rs.buffer.size(); ++i) {
        if (statement.columns[i] != rs.buffer[i].has_value()) return false;
    }
    return true;
}

// Prepares `write` from `sql`, given the text of each column the edit buffer sets; a statement
// prepared for the same columns is kept, so a loop of AddNew or Edit prepares once.
template <typename Sql>
Statement& PreparedFor(RecordsetState& rs, RecordsetState::Write& write, const Sql& sql) {
    if (SetsSameColumns(rs, write)) return *write.statement;
    std::vector<std::string> names;
    write.columns.assign(rs.buffer.size(), false);
    for (std::size_t i = 0; i < rs.buffer.size(); ++i) {
        if (!rs.buffer[i]) continue;
        write.columns[i] = true;
        names.push_back(QuoteName(rs.columns[i].name));
    }
    write.statement.reset();
    write.statement = std::make_unique<Statement>(*rs.connection, sql(names), Operation::Write);
    return *write.statement;
}

// Binds the values the edit buffer sets, in column order from parameter 1; answers how many. The
// texts stay in the buffer, which lives unchanged until the write has stepped.
int BindBuffer(RecordsetState& rs, Statement& statement) {
    int bound = 0;
    for (const auto& value : rs.buffer) {
        if (value) statement.BindBorrowed(++bound, *value);
    }
    return bound;
}

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string joined;
    for (const auto& part : parts) joined += (joined.empty() ? "" : std::string(separator)) + part;
    return joined;
}

void WriteInsert(RecordsetState& rs) {
    Statement& insert = PreparedFor(rs, rs.insert, [&](const std::vector<std::string>& names) {
        if (names.empty()) return "INSERT INTO " + QuoteName(rs.table) + " DEFAULT VALUES";
        const std::vector<std::string> marks(names.size(), "?");
        return "INSERT INTO " + QuoteName(rs.table) + " (" + Joined(names, ", ") + ") VALUES (" + Joined(marks, ", ") + ")";
    });
    BindBuffer(rs, insert);
    sqlite3* handle = rs.connection->Handle();
    const bool inStep = rs.byRowid && rs.rowidsChanges == sqlite3_total_changes64(handle);
    insert.Step();
    if (!rs.byRowid) return;
    // The new record is seen by later moves; a recordset past its last record stays there.
    const bool atEnd = rs.position >= Size(rs);
    const std::int64_t rowid = sqlite3_last_insert_rowid(handle);
    // In insertion order a record added after the last one is where a fresh read puts it, so the
    // rowids stay the file's; in index order its place is known only by reading them again.
    const bool inOrder = rs.indexFields.empty() && (rs.rowids.empty() || rs.rowids.back() < rowid);
    rs.rowids.push_back(rowid);
    if (inStep && inOrder) rs.rowidsChanges = sqlite3_total_changes64(handle);
    if (atEnd) rs.position = Size(rs);
}

// After an UPDATE or DELETE of the current record by rowid: a record another recordset deleted
// meanwhile was not there to change. The recordset then stands on a deleted record (3167).
void RequireWritten(RecordsetState& rs) {
    if (sqlite3_changes(rs.connection->Handle()) > 0) return;
    rs.deleted = true;
    RaiseJet(jet::RecordDeleted);
}

void WriteEdit(RecordsetState& rs) {
    if (std::none_of(rs.buffer.begin(), rs.buffer.end(), [](const auto& value) { return value.has_value(); })) return;
    Statement& update = PreparedFor(rs, rs.update, [&](std::vector<std::string> names) {
        for (auto& name : names) name += " = ?";
        return "UPDATE " + QuoteName(rs.table) + " SET " + Joined(names, ", ") + " WHERE rowid = ?";
    });
    const int bound = BindBuffer(rs, update);
    update.BindInt(bound + 1, rs.rowids[static_cast<std::size_t>(rs.position)]);
    update.Step();
    RequireWritten(rs);
}

void Reposition(RecordsetState& rs, std::int64_t rowid) {
    const auto it = std::find(rs.rowids.begin(), rs.rowids.end(), rowid);
    rs.position = static_cast<long>(it - rs.rowids.begin());
    Settle(rs, 1);
}

}  // namespace

void RecordsetState::Release() {
    forward.reset();
    readRow.reset();
    readRange.reset();
    readExact.reset();
    dataVersion.reset();
    insert.statement.reset();
    update.statement.reset();
    erase.reset();
    if (denyWriteFd >= 0) close(denyWriteFd);
    denyWriteFd = -1;
    fieldNames.clear();
    fieldList.clear();
    connection.reset();
    closed = true;
}

RecordsetState::~RecordsetState() { Release(); }

// --- Opening ------------------------------------------------------------------------------------

Recordset Database::OpenRecordset(std::string_view source, int type, int options) const {
    auto& connection = state_->Conn();
    CheckFault("OpenRecordset", connection.WindowsPath());
    auto rs = std::make_shared<RecordsetState>();
    rs->db = state_;
    rs->connection = state_->connection;
    if (type == dbOpenForwardOnly) {
        const auto table = catalog::FindTable(connection, source);
        std::string sql = table ? "SELECT * FROM [" + *table + "]" : SqlOfQueryDef(*state_, source);
        if (sql.empty() && !LooksLikeSql(source)) RaiseJet(jet::InputTableNotFound, source);
        OpenForwardOnly(rs, sql.empty() ? source : std::string_view(sql));
    } else if (auto table = catalog::FindTable(connection, source)) {
        rs->type = type == -1 ? dbOpenTable : type;
        rs->table = *table;
        OpenOnTable(*rs, options);
    } else {
        if (type == dbOpenTable) RaiseJet(jet::InvalidOperation);
        std::string sql = SqlOfQueryDef(*state_, source);
        if (sql.empty() && !LooksLikeSql(source)) RaiseJet(jet::InputTableNotFound, source);
        rs->type = type == -1 ? dbOpenDynaset : type;
        OpenOnQuery(*rs, sql.empty() ? source : std::string_view(sql));
    }
    if (!rs->forward) {
        rs->position = 0;
        Settle(*rs, 1);
    }
    std::erase_if(state_->recordsets, [](const auto& weak) { return weak.expired(); });
    state_->recordsets.push_back(rs);
    return Recordset(std::move(rs));
}

// --- State and moves ----------------------------------------------------------------------------

int Recordset::Type() const { return Live(state_).type; }

bool Recordset::Eof() const {
    const auto& rs = Live(state_);
    return rs.position >= Size(rs) || Size(rs) == 0;
}

bool Recordset::Bof() const {
    const auto& rs = Live(state_);
    if (rs.forward) return rs.forward->RowsRead() == 0;
    return rs.position < 0 || Size(rs) == 0;
}

bool Recordset::NoMatch() const { return Live(state_).noMatch; }

long Recordset::RecordCount() const {
    const auto& rs = Live(state_);
    return rs.forward ? rs.forward->RowsRead() : Size(rs);
}

namespace {

// Moves other than MoveNext on a forward-only recordset.
void RequireScrollable(const RecordsetState& rs) {
    if (rs.forward) RaiseJet(jet::InvalidOperation);
}

}  // namespace

void Recordset::MoveFirst() {
    auto& rs = Live(state_);
    RequireScrollable(rs);
    if (rs.byRowid && !RowidsCurrent(rs)) LoadRowids(rs);
    if (Size(rs) == 0) RaiseJet(jet::NoCurrentRecord);
    rs.position = 0;
    Settle(rs, 1);
}

void Recordset::MoveLast() {
    auto& rs = Live(state_);
    RequireScrollable(rs);
    if (rs.byRowid && !RowidsCurrent(rs)) LoadRowids(rs);
    if (Size(rs) == 0) RaiseJet(jet::NoCurrentRecord);
    rs.position = Size(rs) - 1;
    Settle(rs, -1);
}

void Recordset::MoveNext() {
    auto& rs = Live(state_);
    if (rs.position >= Size(rs)) RaiseJet(jet::NoCurrentRecord);
    if (rs.forward) return ForwardMoveNext(rs);
    ++rs.position;
    Settle(rs, 1);
}

void Recordset::MovePrevious() {
    auto& rs = Live(state_);
    RequireScrollable(rs);
    if (rs.position < 0) RaiseJet(jet::NoCurrentRecord);
    --rs.position;
    Settle(rs, -1);
}

// --- Index and Seek -----------------------------------------------------------------------------

std::string Recordset::Index() const { return Live(state_).index; }

// The recordset moves to the first record in the new order (EOF and BOF on an empty table),
// wherever it stood: the rowids are read again, and a position kept from before could name a
// record added since that was never read.
void Recordset::SetIndex(std::string_view name) {
    auto& rs = Live(state_);
    if (rs.type != dbOpenTable) RaiseJet(jet::NotSupported);
    if (name.empty()) {
        rs.index.clear();
        rs.indexFields.clear();
    } else {
        const auto indexes = catalog::Indexes(*rs.connection, rs.table);
        const auto it = std::find_if(indexes.begin(), indexes.end(), [&](const auto& i) { return JetNamesEqual(i.name, name); });
        if (it == indexes.end()) RaiseJet(jet::ItemNotFound);
        rs.index = it->name;
        rs.indexFields = it->fields;
    }
    LoadRowids(rs);
    rs.position = 0;
    Settle(rs, 1);
}

void Recordset::Seek(std::string_view comparison, const std::vector<Value>& keys) {
    auto& rs = Live(state_);
    if (rs.type != dbOpenTable) RaiseJet(jet::NotSupported);
    if (rs.index.empty()) RaiseJet(jet::NoCurrentIndex);
    static constexpr std::string_view kComparisons[] = {"=", ">=", ">", "<=", "<"};
    if (std::find(std::begin(kComparisons), std::end(kComparisons), comparison) == std::end(kComparisons) || keys.empty() ||
        keys.size() > rs.indexFields.size()) {
        RaiseJet(jet::InvalidOperation);
    }
    const std::vector<std::string> used(rs.indexFields.begin(), rs.indexFields.begin() + static_cast<long>(keys.size()));
    std::string left, right;
    for (const auto& field : used) {
        left += (left.empty() ? "" : ", ") + QuoteName(field);
        right += right.empty() ? "?" : ", ?";
    }
    const bool backwards = comparison[0] == '<';
    Statement seek(*rs.connection,
                   "SELECT rowid FROM " + QuoteName(rs.table) + " WHERE (" + left + ") " + std::string(comparison) + " (" + right +
                       ")" + OrderBy(rs.indexFields, backwards) + " LIMIT 1",
                   Operation::Read);
    for (std::size_t i = 0; i < keys.size(); ++i) seek.Bind(static_cast<int>(i) + 1, keys[i]);
    const bool found = seek.Step();
    const std::int64_t rowid = found ? seek.Int(0) : -1;
    seek.Reset();
    // A Seek in a loop must not read every rowid again: only when the engine changed the file.
    // A row another engine added since then is not among the rowids: read them again for it.
    if (rs.rowidsChanges != sqlite3_total_changes64(rs.connection->Handle()) ||
        (found && std::find(rs.rowids.begin(), rs.rowids.end(), rowid) == rs.rowids.end())) {
        LoadRowids(rs);
    }
    rs.noMatch = !found;
    if (found) {
        Reposition(rs, rowid);
    } else {
        rs.position = Size(rs);
        Settle(rs, 1);
    }
}

// --- Editing ------------------------------------------------------------------------------------

void Recordset::AddNew() {
    auto& rs = Live(state_);
    if (!rs.updatable) RaiseJet(jet::ReadOnly);
    rs.editMode = RecordsetState::EditMode::AddNew;
    rs.buffer.assign(rs.columns.size(), std::nullopt);
}

void Recordset::Edit() {
    auto& rs = Live(state_);
    if (!rs.updatable) RaiseJet(jet::ReadOnly);
    RequireCurrent(rs);
    rs.editMode = RecordsetState::EditMode::Edit;
    rs.buffer.assign(rs.columns.size(), std::nullopt);
}

void Recordset::CancelUpdate() {
    auto& rs = Live(state_);
    if (rs.editMode == RecordsetState::EditMode::None) RaiseJet(jet::UpdateWithoutEdit);
    rs.editMode = RecordsetState::EditMode::None;
    rs.buffer.clear();
}

void Recordset::Update() {
    auto& rs = Live(state_);
    if (rs.editMode == RecordsetState::EditMode::None) RaiseJet(jet::UpdateWithoutEdit);
    CheckFault("Update", rs.connection->WindowsPath());
    CheckNotDenied(rs);
    rs.connection->PrepareWrite(Operation::Write);
    if (rs.editMode == RecordsetState::EditMode::AddNew) {
        WriteInsert(rs);
    } else {
        RequireCurrent(rs);
        WriteEdit(rs);
    }
    const bool edited = rs.editMode == RecordsetState::EditMode::Edit;
    rs.editMode = RecordsetState::EditMode::None;
    rs.buffer.clear();
    if (edited && HasCurrent(rs)) ReadRow(rs);
}

void Recordset::Delete() {
    auto& rs = Live(state_);
    if (!rs.updatable) RaiseJet(jet::ReadOnly);
    RequireCurrent(rs);
    CheckFault("Update", rs.connection->WindowsPath());
    CheckNotDenied(rs);
    rs.connection->PrepareWrite(Operation::Write);
    if (!rs.erase) rs.erase = std::make_unique<Statement>(*rs.connection, "DELETE FROM " + QuoteName(rs.table) + " WHERE rowid = ?", Operation::Write);
    rs.erase->BindInt(1, rs.rowids[static_cast<std::size_t>(rs.position)]);
    rs.erase->Step();
    rs.editMode = RecordsetState::EditMode::None;
    RequireWritten(rs);
    rs.deleted = true;
}

void Recordset::Close() { Live(state_).Release(); }

// --- Fields -------------------------------------------------------------------------------------

Fields Recordset::Fields() const {
    Live(state_);
    return dao::Fields(dao::Fields::Owner::Recordset, state_);
}

namespace {

// The search by name that Recordset::operator() falls back on, kept out of line so that the common
// case there stays a few instructions.
[[gnu::noinline]] const Field& FieldByName(const std::shared_ptr<RecordsetState>& state, std::string_view name) {
    const auto& fields = RecordsetFields(state);
    const std::size_t count = fields.size();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = (state->lookupHint + i) % count;
        if (!JetNamesEqual(fields[at].State()->name, name)) continue;
        state->lookupHint = at + 1;
        return fields[at];
    }
    RaiseJet(jet::ItemNotFound);
}

}  // namespace

// Callers read the fields of each record in the same order, so the search starts after the field
// found last time; the field there, spelt as stored, is the common case and needs no folding.
// Closing a recordset (itself or with its database) clears its names: the search then raises.
const Field& Recordset::operator()(std::string_view name) const {
    RecordsetState* rs = state_.get();
    if (rs != nullptr && !rs->fieldNames.empty()) {
        const std::size_t hint = rs->lookupHint < rs->fieldNames.size() ? rs->lookupHint : 0;
        if (SameBytes(rs->fieldNames[hint], name)) {
            rs->lookupHint = hint + 1;
            return rs->fieldList[hint];
        }
    }
    return FieldByName(state_, name);
}
Field Recordset::operator()(int position) const { return Fields().Item(position); }

const std::vector<Field>& RecordsetFields(const std::shared_ptr<RecordsetState>& recordset) {
    auto& rs = Live(recordset);
    auto& fields = rs.fieldList;
    if (!fields.empty() || rs.columns.empty()) return fields;
    for (std::size_t i = 0; i < rs.columns.size(); ++i) {
        auto field = std::make_shared<FieldState>();
        field->kind = FieldState::Kind::Recordset;
        field->name = rs.columns[i].name;
        field->type = rs.columns[i].type;
        field->size = rs.columns[i].type == DataType::Text ? rs.columns[i].size : catalog::FixedSize(rs.columns[i].type);
        field->recordset = recordset;
        field->owner = recordset.get();
        field->column = static_cast<int>(i);
        fields.emplace_back(std::move(field));
    }
    for (const auto& field : fields) rs.fieldNames.emplace_back(field.State()->name);
    return fields;
}

namespace {

// A field's value and its setting, the object model's hottest calls: inlined into Field's members.
[[gnu::always_inline]] inline Value RecordsetGet(const FieldState& field) {
    auto& rs = LiveOwner(field);
    const auto column = static_cast<std::size_t>(field.column);
    if (rs.editMode != RecordsetState::EditMode::None && rs.buffer[column]) return *rs.buffer[column];
    if (rs.editMode == RecordsetState::EditMode::AddNew) return Value::Null();
    RequireCurrent(rs);
    if (rs.currentCells) return CellValue(*rs.currentBlock, rs.currentCells[column], field.type);
    if (!rs.current) RaiseJet(jet::NoCurrentRecord);  // never a record that was not read
    return (*rs.current)[column];
}

// A character takes at least one byte: only a text of more bytes than the size is counted.
void RequireFits(const RecordsetColumn& column, std::string_view text) {
    if (column.type == DataType::Text && text.size() > static_cast<std::size_t>(column.size) &&
        TextLength(text) > static_cast<std::size_t>(column.size)) {
        RaiseJet(jet::TextTooLong);
    }
}

// A value the field stores as it is goes into the edit buffer without a conversion.
[[gnu::always_inline]] inline void RecordsetSet(const FieldState& field, const Value& value) {
    auto& rs = LiveOwner(field);
    if (rs.editMode == RecordsetState::EditMode::None) RaiseJet(jet::UpdateWithoutEdit);
    const auto& column = rs.columns[static_cast<std::size_t>(field.column)];
    auto& slot = rs.buffer[static_cast<std::size_t>(field.column)];
    if (StoredAs(value, column.type)) {
        RequireFits(column, value.TextView());
        slot = value;
        return;
    }
    Value stored = CoerceToField(value, column.type);
    RequireFits(column, stored.TextView());
    slot = std::move(stored);
}

}  // namespace

Value Field::GetValue() const {
    if (state_->kind != FieldState::Kind::Recordset) RaiseJet(jet::InvalidOperation);
    return RecordsetGet(*state_);
}

void Field::SetValue(const Value& value) const {
    if (state_->kind != FieldState::Kind::Recordset) RaiseJet(jet::InvalidOperation);
    RecordsetSet(*state_, value);
}

}  // namespace dao
