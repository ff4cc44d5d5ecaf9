#include "platform/dao/sql/jet_pump.h"

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "platform/dao/collation.h"
#include "platform/dao/statement.h"

namespace dao::sql {
namespace {

// One column value of a copied row; texts and blobs live in the batch's byte buffer. Sixteen bytes,
// so that a batch stays small enough to be written and read back from the processor's cache.
struct Cell {
    int type = SQLITE_NULL;
    int bytes = 0;
    union {
        std::int64_t integer;
        double real;
        std::size_t offset;
    };
};

// Rows a batch holds.
constexpr std::size_t kBatchRows = 1024;

struct Batch {
    std::vector<Cell> cells;
    std::string bytes;
    std::size_t rows = 0;
};

// Keeps one value in `cell`; a text or blob is copied into `bytes`, so the value outlives the
// statement step that produced it.
inline void KeepValue(sqlite3_value* value, Cell& cell, std::string& bytes) {
    cell.type = sqlite3_value_type(value);
    if (cell.type == SQLITE_INTEGER) {
        cell.integer = sqlite3_value_int64(value);
    } else if (cell.type == SQLITE_FLOAT) {
        cell.real = sqlite3_value_double(value);
    } else if (cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB) {
        const void* data = cell.type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(value))
                                                    : sqlite3_value_blob(value);
        cell.bytes = sqlite3_value_bytes(value);
        cell.offset = bytes.size();
        // An empty blob has no data pointer at all.
        if (cell.bytes > 0) bytes.append(static_cast<const char*>(data), static_cast<std::size_t>(cell.bytes));
    } else {
        cell.integer = 0;
    }
}

// The reader alone uses the source connection, so the row's values are read through the
// statement's own value objects (one call per column instead of two).
void ReadRow(sqlite3_stmt* select, int columns, Batch& batch) {
    for (int i = 0; i < columns; ++i) KeepValue(sqlite3_column_value(select, i), batch.cells.emplace_back(), batch.bytes);
    ++batch.rows;
}

void BindRow(sqlite3_stmt* insert, int firstParam, const Batch& batch, std::size_t row, int columns) {
    for (int i = 0; i < columns; ++i) {
        const Cell& c = batch.cells[row * static_cast<std::size_t>(columns) + static_cast<std::size_t>(i)];
        const int p = firstParam + i;
        switch (c.type) {
        case SQLITE_INTEGER: sqlite3_bind_int64(insert, p, c.integer); break;
        case SQLITE_FLOAT: sqlite3_bind_double(insert, p, c.real); break;
        case SQLITE_TEXT: sqlite3_bind_text(insert, p, batch.bytes.data() + c.offset, c.bytes, SQLITE_STATIC); break;
        case SQLITE_BLOB: sqlite3_bind_blob(insert, p, batch.bytes.data() + c.offset, c.bytes, SQLITE_STATIC); break;
        default: sqlite3_bind_null(insert, p); break;
        }
    }
}

// Batches travel from the reader to the writer and back.
class BatchQueue {
public:
    // `batches` batches of `cells` values each, allocated once for the whole copy.
    BatchQueue(std::size_t batches, std::size_t cells) : spare_(batches) {
        for (Batch& batch : spare_) batch.cells.reserve(cells);
    }

    // Reader: an empty batch to fill; false once the writer has stopped.
    bool TakeSpare(Batch& out) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || !spare_.empty(); });
        if (stopped_) return false;
        out = std::move(spare_.back());
        spare_.pop_back();
        out.cells.clear();
        out.bytes.clear();
        out.rows = 0;
        return true;
    }
    void PutFull(Batch batch, bool last, int rc) {
        std::lock_guard lock(mutex_);
        full_.push_back(std::move(batch));
        if (last) {
            finished_ = true;
            readerRc_ = rc;
        }
        changed_.notify_all();
    }
    // Writer: the next filled batch; false when the reader has finished and all are taken.
    bool TakeFull(Batch& out) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !full_.empty() || finished_; });
        if (full_.empty()) return false;
        out = std::move(full_.front());
        full_.pop_front();
        return true;
    }
    void GiveBack(Batch batch) {
        std::lock_guard lock(mutex_);
        spare_.push_back(std::move(batch));
        changed_.notify_all();
    }
    void Stop() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }
    int ReaderRc() {
        std::lock_guard lock(mutex_);
        return readerRc_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Batch> spare_;
    std::deque<Batch> full_;
    bool finished_ = false;
    bool stopped_ = false;
    int readerRc_ = SQLITE_DONE;
};

void ReadAll(sqlite3_stmt* select, int columns, std::size_t batchRows, BatchQueue& queue) {
    for (;;) {
        Batch batch;
        if (!queue.TakeSpare(batch)) return;
        int rc = SQLITE_ROW;
        while (batch.rows < batchRows && (rc = sqlite3_step(select)) == SQLITE_ROW) ReadRow(select, columns, batch);
        bool last = rc != SQLITE_ROW;
        queue.PutFull(std::move(batch), last, rc);
        if (last) return;
    }
}

// The reader thread, stopped and joined on every way out of the copy (before `fail` is called).
class Reader {
public:
    Reader(BatchQueue& queue, std::thread thread) : queue_(queue), thread_(std::move(thread)) {}
    ~Reader() { Join(); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    void Join() {
        queue_.Stop();
        if (thread_.joinable()) thread_.join();
    }

private:
    BatchQueue& queue_;
    std::thread thread_;
};

// The copy's savepoint on the target: released when the copy succeeds, rolled back otherwise.
class Savepoint {
public:
    explicit Savepoint(sqlite3* db) : db_(db) { ok_ = sqlite3_exec(db_, "SAVEPOINT jet_pump", nullptr, nullptr, nullptr) == SQLITE_OK; }
    ~Savepoint() {
        if (!ok_) return;
        if (!released_) sqlite3_exec(db_, "ROLLBACK TO jet_pump", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "RELEASE jet_pump", nullptr, nullptr, nullptr);
    }
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;
    bool Ok() const { return ok_; }
    void Release() { released_ = true; }

private:
    sqlite3* db_;
    bool ok_ = false;
    bool released_ = false;
};

// ---- the batch as a table of the target ----------------------------------------------------
// A batch is written by one INSERT ... SELECT over the eponymous table "jet!pump"(?), whose
// argument is a pointer to the rows: SQLite reads each value straight from the batch into the
// record it builds, with no parameter bound per value. The name is one no table of the engine's
// files can take (a table of that name would hide it).

constexpr const char* kRowsTable = "jet!pump";
constexpr const char* kRowsPointer = "jet_pump_rows";

// The rows one statement reads: rows [first, end) of `batch`, or, with `select` set, the rows of
// that SELECT as it steps (its last code kept in `selectRc`; a failure ends the rows there). Each
// step of `select` leaves its row in `streamed` (StreamedSelect), which `batch` then points to.
struct RowSpan {
    const Batch* batch = nullptr;
    std::size_t first = 0;
    std::size_t end = 0;
    int columns = 0;
    sqlite3_stmt* select = nullptr;
    int* selectRc = nullptr;
    Batch* streamed = nullptr;
};

// Columns c1...cN (N = the connection's limit on columns, past which no SELECT or INSERT goes),
// then the hidden argument.
struct RowsTable {
    sqlite3_vtab base{};
    int columns = 0;
};

struct RowsCursor {
    sqlite3_vtab_cursor base{};
    RowSpan span;
    std::size_t row = 0;
    // The current row's values and the bytes their texts and blobs lie in (set on every move).
    const Cell* cells = nullptr;
    const char* bytes = nullptr;
};

// Points the cursor at its current row: the streamed SELECT's only row, or row `row` of the batch.
void SeeRow(RowsCursor& cursor) {
    const RowSpan& span = cursor.span;
    if (!span.batch) return;
    const std::size_t row = span.select ? 0 : cursor.row;
    cursor.cells = span.batch->cells.data() + row * static_cast<std::size_t>(span.columns);
    cursor.bytes = span.batch->bytes.data();
}

int RowsConnect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** out, char**) {
    const int columns = sqlite3_limit(db, SQLITE_LIMIT_COLUMN, -1) - 1;
    std::string schema = "CREATE TABLE x(";
    for (int i = 1; i <= columns; ++i) schema += "c" + std::to_string(i) + ", ";
    schema += "jet_rows HIDDEN)";
    const int rc = sqlite3_declare_vtab(db, schema.c_str());
    if (rc != SQLITE_OK) return rc;
    auto* table = static_cast<RowsTable*>(sqlite3_malloc(sizeof(RowsTable)));
    if (!table) return SQLITE_NOMEM;
    *table = RowsTable{};
    table->columns = columns;
    *out = &table->base;
    return SQLITE_OK;
}

int RowsDisconnect(sqlite3_vtab* table) {
    sqlite3_free(table);
    return SQLITE_OK;
}

// Only a plan that is given the rows will do.
int RowsBestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
    const int hidden = reinterpret_cast<RowsTable*>(vtab)->columns;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto& c = info->aConstraint[i];
        if (c.iColumn == hidden && c.op == SQLITE_INDEX_CONSTRAINT_EQ && c.usable) {
            info->aConstraintUsage[i].argvIndex = 1;
            info->aConstraintUsage[i].omit = 1;
            info->estimatedCost = 1;
            return SQLITE_OK;
        }
    }
    return SQLITE_CONSTRAINT;
}

int RowsOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
    auto* cursor = static_cast<RowsCursor*>(sqlite3_malloc(sizeof(RowsCursor)));
    if (!cursor) return SQLITE_NOMEM;
    *cursor = RowsCursor{};
    *out = &cursor->base;
    return SQLITE_OK;
}

int RowsClose(sqlite3_vtab_cursor* cursor) {
    sqlite3_free(cursor);
    return SQLITE_OK;
}

// Steps a streamed SELECT: its code is the feed's, and a row is there while it is SQLITE_ROW.
void StepSelect(const RowSpan& span) {
    span.streamed->bytes.clear();
    *span.selectRc = sqlite3_step(span.select);
}

int RowsFilter(sqlite3_vtab_cursor* base, int, const char*, int argc, sqlite3_value** argv) {
    auto* cursor = reinterpret_cast<RowsCursor*>(base);
    const auto* span = argc == 1 ? static_cast<const RowSpan*>(sqlite3_value_pointer(argv[0], kRowsPointer)) : nullptr;
    cursor->span = span ? *span : RowSpan{};
    cursor->row = cursor->span.first;
    if (cursor->span.select) StepSelect(cursor->span);
    SeeRow(*cursor);
    return SQLITE_OK;
}

int RowsNext(sqlite3_vtab_cursor* base) {
    auto* cursor = reinterpret_cast<RowsCursor*>(base);
    ++cursor->row;
    if (cursor->span.select) StepSelect(cursor->span);
    SeeRow(*cursor);
    return SQLITE_OK;
}

int RowsEof(sqlite3_vtab_cursor* base) {
    const auto* cursor = reinterpret_cast<RowsCursor*>(base);
    if (cursor->span.select) return *cursor->span.selectRc != SQLITE_ROW;
    return cursor->row >= cursor->span.end;
}

int RowsColumn(sqlite3_vtab_cursor* base, sqlite3_context* context, int column) {
    const auto* cursor = reinterpret_cast<RowsCursor*>(base);
    if (column >= cursor->span.columns) return SQLITE_OK;  // an unread column, or the hidden argument: Null
    const Cell& c = cursor->cells[column];
    switch (c.type) {
    case SQLITE_INTEGER: sqlite3_result_int64(context, c.integer); break;
    case SQLITE_FLOAT: sqlite3_result_double(context, c.real); break;
    case SQLITE_TEXT: sqlite3_result_text(context, cursor->bytes + c.offset, c.bytes, SQLITE_STATIC); break;
    case SQLITE_BLOB: sqlite3_result_blob(context, cursor->bytes + c.offset, c.bytes, SQLITE_STATIC); break;
    default: break;
    }
    return SQLITE_OK;
}

int RowsRowid(sqlite3_vtab_cursor* base, sqlite3_int64* rowid) {
    *rowid = static_cast<sqlite3_int64>(reinterpret_cast<RowsCursor*>(base)->row);
    return SQLITE_OK;
}

// Eponymous only (no xCreate): never a table of the file. Read-only, no transactions of its own.
sqlite3_module RowsModule() {
    sqlite3_module m{};
    m.xConnect = RowsConnect;
    m.xBestIndex = RowsBestIndex;
    m.xDisconnect = RowsDisconnect;
    m.xDestroy = RowsDisconnect;
    m.xOpen = RowsOpen;
    m.xClose = RowsClose;
    m.xFilter = RowsFilter;
    m.xNext = RowsNext;
    m.xEof = RowsEof;
    m.xColumn = RowsColumn;
    m.xRowid = RowsRowid;
    return m;
}
const sqlite3_module kRowsModule = RowsModule();

// ---- the streamed SELECT's rows --------------------------------------------------------------
// A streamed copy reads the SELECT's values as the arguments of jet_pump_row(row, first, v1...vk),
// which keeps them as values first+1...first+k of the bound `row` (a one-row batch). SQLite hands a
// function its arguments as they are, where a result column would cost a call of its own per value.
// A row wider than a function's arguments takes several calls, each writing its own cells, so their
// order does not matter.

constexpr const char* kRowFunction = "jet_pump_row";
constexpr const char* kRowPointer = "jet_pump_row";
// Named, so that it cannot take the number of a parameter of the SELECT itself.
constexpr const char* kRowParameter = "$jet_pump_row";

void TakeRow(sqlite3_context* context, int argc, sqlite3_value** argv) {
    auto* row = argc >= 2 ? static_cast<Batch*>(sqlite3_value_pointer(argv[0], kRowPointer)) : nullptr;
    const sqlite3_int64 first = argc >= 2 ? sqlite3_value_int64(argv[1]) : -1;
    if (!row || first < 0 || static_cast<std::size_t>(first) + static_cast<std::size_t>(argc - 2) > row->cells.size()) {
        sqlite3_result_error(context, "jet_pump_row: no row to fill", -1);
        return;
    }
    try {
        Cell* cells = row->cells.data() + first;
        for (int i = 2; i < argc; ++i) KeepValue(argv[i], cells[i - 2], row->bytes);
    } catch (const std::bad_alloc&) {
        sqlite3_result_error_nomem(context);
    }
}

// `select` (of `columns` columns) as the streamed copy's source: its rows under names of their own,
// every value passed to jet_pump_row (given the row as kRowParameter), `perCall` at most per call.
// The row source's name is one no table of the engine's files can take.
std::string StreamedSelect(const std::string& select, int columns, int perCall) {
    std::string names;
    for (int i = 1; i <= columns; ++i) names += (i > 1 ? ", c" : "c") + std::to_string(i);
    std::string calls;
    for (int first = 0; first < columns; first += perCall) {
        calls += (first > 0 ? ", " : "") + std::string(kRowFunction) + "(" + kRowParameter + ", " + std::to_string(first);
        for (int i = first + 1; i <= std::min(columns, first + perCall); ++i) calls += ", c" + std::to_string(i);
        calls += ")";
    }
    return "WITH \"jet!rows\"(" + names + ") AS (" + select + ") SELECT " + calls + " FROM \"jet!rows\"";
}

// `insertOne` with its VALUES list replaced by the columns of one batch's rows.
std::string BatchInsert(const std::string& insertOne, int columns) {
    std::string sql = insertOne.substr(0, insertOne.rfind(" VALUES ")) + " SELECT ";
    for (int i = 1; i <= columns; ++i) sql += (i > 1 ? ", c" : "c") + std::to_string(i);
    return sql + " FROM \"" + kRowsTable + "\"(?)";
}

// Writes one batch: all its rows through one statement, or, when that fails and refused rows are
// passed over, row by row. A failure the copy cannot pass over stops the writer; the target keeps
// its error for `fail`, called once the reader has been joined.
struct Writer {
    const PumpSides& sides;
    sqlite3_stmt* one;
    sqlite3_stmt* many;
    int columns;
    bool skip;
    long long written = 0;

    bool Step(sqlite3_stmt* stmt) {
        int rc = sqlite3_step(stmt);
        sqlite3_reset(stmt);
        if (rc == SQLITE_DONE) {
            written += sqlite3_changes(sides.target);
            return true;
        }
        return false;
    }
    bool Refused() const { return skip && (sqlite3_extended_errcode(sides.target) & 0xFF) == SQLITE_CONSTRAINT; }
    bool Row(const Batch& batch, std::size_t row) {
        BindRow(one, 1, batch, row, columns);
        return Step(one) || Refused();
    }
    // False when the copy must stop.
    bool Write(const Batch& batch) {
        RowSpan span{&batch, 0, batch.rows, columns};
        sqlite3_bind_pointer(many, 1, &span, kRowsPointer, nullptr);
        if (Step(many)) return true;
        if (!Refused()) return false;
        for (std::size_t row = 0; row < batch.rows; ++row) {
            if (!Row(batch, row)) return false;
        }
        return true;
    }
};

// Whether a trigger of `db`'s file works on `table`.
bool HasTriggers(sqlite3* db, const std::string& table) {
    Statement triggers(db, "SELECT tbl_name FROM sqlite_master WHERE type = 'trigger'");
    if (!triggers.Ok()) RaiseSqlite(db, Operation::Read);
    int rc = SQLITE_ROW;
    while ((rc = triggers.StepCode()) == SQLITE_ROW) {
        if (JetNamesEqual(triggers.Text(0), table)) return true;
    }
    // A read that fails (a lock) is the file's error, not an answer.
    if (rc != SQLITE_DONE) RaiseSqlite(db, Operation::Read);
    return false;
}

// The whole copy as one INSERT ... SELECT on the target over the source's SELECT, stepped as the
// target reads it: each row is kept once, and written before the SELECT steps again.
long long Stream(const PumpSides& sides, const std::string& select, const std::string& insertOne, int columns) {
    const int perCall = sqlite3_limit(sides.source, SQLITE_LIMIT_FUNCTION_ARG, -1) - 2;
    Statement query(sides.source, StreamedSelect(select, columns, perCall));
    if (!query.Ok()) sides.fail(false);
    Batch row;
    row.cells.resize(static_cast<std::size_t>(columns));
    row.rows = 1;
    sqlite3_bind_pointer(query.Handle(), sqlite3_bind_parameter_index(query.Handle(), kRowParameter), &row, kRowPointer, nullptr);
    Statement all(sides.target, BatchInsert(insertOne, columns));
    if (!all.Ok()) sides.fail(true);
    Savepoint savepoint(sides.target);
    if (!savepoint.Ok()) sides.fail(true);
    int selectRc = SQLITE_DONE;
    RowSpan span{&row, 0, 0, columns, query.Handle(), &selectRc, &row};
    sqlite3_bind_pointer(all.Handle(), 1, &span, kRowsPointer, nullptr);
    const int rc = sqlite3_step(all.Handle());
    sqlite3_reset(all.Handle());
    query.Reset();
    // A failing SELECT ends the rows, so the INSERT itself is done then.
    if (rc != SQLITE_DONE) sides.fail(true);
    if (selectRc != SQLITE_DONE) sides.fail(false);
    const long long written = sqlite3_changes(sides.target);
    savepoint.Release();
    return written;
}

// The copy in batches: a reader thread fills them while this thread writes them, each through one
// statement, or row by row when a trigger refuses a row of it.
long long Batched(const PumpSides& sides, Statement& query, const std::string& insertOne, int columns, bool skipFailingRows) {
    Statement one(sides.target, insertOne);
    if (!one.Ok()) sides.fail(true);
    Statement many(sides.target, BatchInsert(insertOne, columns));
    if (!many.Ok()) sides.fail(true);

    Savepoint savepoint(sides.target);
    if (!savepoint.Ok()) sides.fail(true);
    // Small batches in flight four at a time: the writer reads what the reader has just written
    // while it is still in the processor's cache.
    constexpr std::size_t batchRows = kBatchRows;
    BatchQueue queue(4, batchRows * static_cast<std::size_t>(columns));
    Writer writer{sides, one.Handle(), many.Handle(), columns, skipFailingRows};
    bool written = true;
    {
        Reader reader(queue, std::thread(ReadAll, query.Handle(), columns, batchRows, std::ref(queue)));
        Batch batch;
        while (written && queue.TakeFull(batch)) {
            written = writer.Write(batch);
            queue.GiveBack(std::move(batch));
        }
    }
    const int readerRc = queue.ReaderRc();
    query.Reset();
    if (!written) sides.fail(true);
    if (readerRc != SQLITE_DONE) sides.fail(false);
    savepoint.Release();
    return writer.written;
}

}  // namespace

bool SkipsRowsOneByOne(sqlite3* target, const std::string& table, bool skipFailingRows) {
    return skipFailingRows && HasTriggers(target, table);
}

int RegisterPumpRows(sqlite3* db) {
    const int rc = sqlite3_create_module_v2(db, kRowsTable, &kRowsModule, nullptr, nullptr);
    if (rc != SQLITE_OK) return rc;
    return sqlite3_create_function_v2(db, kRowFunction, -1, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr, TakeRow, nullptr,
                                      nullptr, nullptr);
}

long long PumpRows(const PumpSides& sides, const std::string& select, const std::string& table,
                   const std::string& insertOne, bool skipFailingRows) {
    Statement query(sides.source, select);
    if (!query.Ok()) sides.fail(false);
    const int columns = query.ColumnCount();
    if (SkipsRowsOneByOne(sides.target, table, skipFailingRows)) return Batched(sides, query, insertOne, columns, true);
    return Stream(sides, select, insertOne, columns);
}

}  // namespace dao::sql
