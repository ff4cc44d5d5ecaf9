// The row pump: a SELECT on one connection feeding an INSERT on another.
//
// A reader thread steps the SELECT and copies rows into batches; the calling thread binds each
// batch into a prepared multi-row INSERT on the target. The two files are read and written at the
// same time, and each thread keeps its connection's mutex for the whole copy instead of taking it
// on every call. All rows go in under one savepoint of the target, so a statement that fails
// leaves no rows behind, and outside a workspace transaction the copy is still one transaction.
#pragma once

#include <functional>
#include <string>

#include <sqlite3.h>

namespace dao::sql {

// A prepared statement finalized on every way out; empty when the text does not prepare (the
// connection then holds the error).
class Prepared {
public:
    Prepared(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt_);
            stmt_ = nullptr;
        }
    }
    ~Prepared() { sqlite3_finalize(stmt_); }
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;
    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

struct PumpSides {
    sqlite3* source;
    sqlite3* target;
    // Called, with the failing statements still alive, when the source (false) or the target
    // (true) fails; it raises the engine's error for that connection and does not return.
    std::function<void(bool target)> fail;
};

// Copies every row of `select` (run on the source) through `insertOne` (an INSERT with one `?`
// per SELECT column, run on the target). With `skipFailingRows` a row the target refuses for a key
// or a required field is passed over and the others stay. Answers the number of rows written.
long long PumpRows(const PumpSides& sides, const std::string& select, const std::string& insertOne,
                   bool skipFailingRows);

}  // namespace dao::sql
