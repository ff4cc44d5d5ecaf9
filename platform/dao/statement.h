// The one way this layer holds an SQLite statement, and the one way it quotes names and texts
// into SQL.
//
// A Statement is finalized on every way out. Made on a Connection it raises the engine's error for
// a text that does not prepare and for a failing step (Connection::Fail). Made on a bare handle
// (repair and compaction below the object model, the pump's two sides, metadata reads) it never
// raises: Ok() tells whether the text prepared, StepCode() answers SQLite's code, and the handle
// keeps the error for the caller to map.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/dao/errors.h"
#include "platform/dao/value.h"

namespace dao {

class Connection;

// Bind is 1-based, Column 0-based, as in SQLite.
class Statement {
public:
    Statement(Connection& connection, std::string_view sql, Operation op);
    Statement(sqlite3* db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return stmt_ != nullptr; }
    sqlite3_stmt* Handle() const { return stmt_; }

    void Bind(int index, const Value& value);
    // Binds a text without copying it: `value` must stay alive and unchanged until the statement
    // has been stepped and every parameter bound again (an edit buffer bound for one write).
    void BindBorrowed(int index, const Value& value);
    void BindInt(int index, std::int64_t value);
    void BindText(int index, std::string_view text);
    // True when a row is ready; false when done (the statement is then reset). Failures reset the
    // statement and raise: through Connection::Fail, or for a bare handle its own error.
    bool Step();
    // SQLite's code for one step (SQLITE_ROW, SQLITE_DONE or the failure), never raising; a
    // statement that did not prepare answers the handle's error code.
    int StepCode();
    void Reset();
    int ColumnCount() const;
    // The column read as a field of `type` stores it; Null stays Null.
    Value Column(int index, DataType type) const;
    // The column read by its storage class (expressions): INTEGER -> Long (or Double when out of
    // range), REAL -> Double, TEXT -> Text.
    Value Column(int index) const;
    std::string Text(int index) const;
    std::int64_t Int(int index) const;
    bool IsNull(int index) const;

private:
    [[noreturn]] void Fail();

    Connection* connection_ = nullptr;
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    Operation op_ = Operation::Read;
};

// `name` quoted as an SQL identifier ("a""b").
std::string QuoteName(std::string_view name);
// `text` quoted as an SQL string literal ('it''s').
std::string QuoteText(std::string_view text);

}  // namespace dao
