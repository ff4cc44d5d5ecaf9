// The row pump: a SELECT on one connection feeding an INSERT on another.
//
// As a rule the copy is one INSERT ... SELECT on the target over the eponymous table "jet!pump",
// whose rows are those of the SELECT on the source, stepped as the target reads them: each step
// hands the row's values to one function call, which keeps them (texts copied once) until the
// target has built its record from them. All rows go in under
// one savepoint of the target, so a statement that fails leaves no rows behind, and outside a
// workspace transaction the copy is still one transaction.
//
// INSERT OR IGNORE passes over the rows a key or a required field refuses, but not a row a trigger
// refuses by aborting the statement. Where refused rows are to be passed over and the target table
// has triggers, the copy goes in batches instead: a reader thread steps the SELECT and copies rows
// into batches; the calling thread writes each batch through one INSERT ... SELECT over
// "jet!pump" (given the batch), and writes row by row a batch in which a row was refused. The two
// files are then read and written at the same time.
//
// Threads. Connections are opened without SQLite's mutex (connection.h), so nothing but this
// contract keeps two threads off one connection:
//   - the calling thread owns both connections and nobody else uses them during PumpRows;
//   - in a batched copy, from the reader's start until it is joined, the reader alone uses the
//     source connection (its SELECT only) and the calling thread uses the target alone;
//   - the reader is stopped and joined, and the SELECT reset, before PumpRows returns, raises or
//     calls `fail`: whatever `fail` does (an engine may roll back every connection of a workspace
//     transaction, the source included) it does with the source idle.
// The batches are the only data the two threads share, and they pass through a mutex-guarded
// queue. Debug builds check the first rule on every connection call (Connection::Handle).
#pragma once

#include <sqlite3.h>

#include <functional>
#include <string>

namespace dao::sql {

struct PumpSides {
    sqlite3* source;
    sqlite3* target;
    // Called, with the reader joined and the failing statements still alive (reset), when the
    // source (false) or the target (true) failed; it raises the engine's error for that
    // connection and does not return.
    std::function<void(bool target)> fail;
};

// Copies every row of `select` (run on the source) through `insertOne` (an INSERT into `table`
// with one `?` per SELECT column, run on the target). With `skipFailingRows` a row the target refuses for a key
// or a required field is passed over and the others stay. Answers the number of rows written.
long long PumpRows(const PumpSides& sides, const std::string& select, const std::string& table,
                   const std::string& insertOne, bool skipFailingRows);

// Whether a copy into `table` of `target` passes over refused rows one by one: with
// `skipFailingRows`, when a trigger works on the table (one may refuse a row by aborting the
// statement, which INSERT OR IGNORE does not pass over).
bool SkipsRowsOneByOne(sqlite3* target, const std::string& table, bool skipFailingRows);

// A copy of this many rows or more starts the target's writeback when it ends (connection.h).
inline constexpr long long kWritebackRows = 10000;

// Makes the pump's rows readable on `db` as a target (RegisterJetFunctions calls it).
int RegisterPumpRows(sqlite3* db);

}  // namespace dao::sql
