#include "platform/dao/sql/jet_pump.h"

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

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

struct Batch {
    std::vector<Cell> cells;
    std::string bytes;
    std::size_t rows = 0;
};

// The reader alone uses the source connection, so the row's values are read through the
// statement's own value objects (one call per column instead of two).
void ReadRow(sqlite3_stmt* select, int columns, Batch& batch) {
    for (int i = 0; i < columns; ++i) {
        sqlite3_value* value = sqlite3_column_value(select, i);
        Cell& cell = batch.cells.emplace_back();
        cell.type = sqlite3_value_type(value);
        if (cell.type == SQLITE_INTEGER) {
            cell.integer = sqlite3_value_int64(value);
        } else if (cell.type == SQLITE_FLOAT) {
            cell.real = sqlite3_value_double(value);
        } else if (cell.type == SQLITE_TEXT || cell.type == SQLITE_BLOB) {
            const void* data = cell.type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(value))
                                                        : sqlite3_value_blob(value);
            cell.bytes = sqlite3_value_bytes(value);
            cell.offset = batch.bytes.size();
            // An empty blob has no data pointer at all.
            if (cell.bytes > 0) batch.bytes.append(static_cast<const char*>(data), static_cast<std::size_t>(cell.bytes));
        } else {
            cell.integer = 0;
        }
    }
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

std::string MultiRowInsert(const std::string& insertOne, std::size_t rows) {
    std::size_t values = insertOne.rfind(" VALUES ");
    std::string head = insertOne.substr(0, values + 8);
    std::string row = insertOne.substr(values + 8);
    std::string sql = head;
    for (std::size_t r = 0; r < rows; ++r) sql += (r ? ", " : "") + row;
    return sql;
}

// Writes one batch: whole groups through the multi-row statement, the rest (and any group a
// refused row made fail) row by row. A failure the copy cannot pass over stops the writer; the
// target keeps its error for `fail`, called once the reader has been joined.
struct Writer {
    const PumpSides& sides;
    sqlite3_stmt* one;
    sqlite3_stmt* many;
    std::size_t groupRows;
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
    bool Row(const Batch& batch, std::size_t row) {
        BindRow(one, 1, batch, row, columns);
        return Step(one) || (skip && (sqlite3_extended_errcode(sides.target) & 0xFF) == SQLITE_CONSTRAINT);
    }
    // False when the copy must stop.
    bool Write(const Batch& batch) {
        std::size_t row = 0;
        for (; many && row + groupRows <= batch.rows; row += groupRows) {
            for (std::size_t r = 0; r < groupRows; ++r) BindRow(many, static_cast<int>(r) * columns + 1, batch, row + r, columns);
            if (Step(many)) continue;
            for (std::size_t r = 0; r < groupRows; ++r) {
                if (!Row(batch, row + r)) return false;
            }
        }
        for (; row < batch.rows; ++row) {
            if (!Row(batch, row)) return false;
        }
        return true;
    }
};

}  // namespace

// Rows of one multi-row INSERT: as many as the target's limit on bound variables allows, at most
// 256 (more gains nothing and lengthens the statement text).
std::size_t GroupRows(sqlite3* target, int columns) {
    const int variables = sqlite3_limit(target, SQLITE_LIMIT_VARIABLE_NUMBER, -1);
    return std::clamp<std::size_t>(static_cast<std::size_t>(variables / std::max(columns, 1)), 1, 256);
}

long long PumpRows(const PumpSides& sides, const std::string& select, const std::string& insertOne, bool skipFailingRows) {
    Statement query(sides.source, select);
    if (!query.Ok()) sides.fail(false);
    Statement one(sides.target, insertOne);
    if (!one.Ok()) sides.fail(true);
    const int columns = query.ColumnCount();
    const std::size_t groupRows = GroupRows(sides.target, columns);
    Statement many(sides.target, MultiRowInsert(insertOne, groupRows));

    Savepoint savepoint(sides.target);
    if (!savepoint.Ok()) sides.fail(true);
    // Small batches, a few multi-row statements each, in flight four at a time: the writer reads
    // what the reader has just written while it is still in the processor's cache.
    const std::size_t batchRows = groupRows * 4;
    BatchQueue queue(4, batchRows * static_cast<std::size_t>(columns));
    Writer writer{sides, one.Handle(), many.Handle(), groupRows, columns, skipFailingRows};
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

}  // namespace dao::sql
