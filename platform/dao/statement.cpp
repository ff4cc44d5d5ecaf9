#include "platform/dao/statement.h"

#include <limits>

#include "platform/dao/connection.h"

namespace dao {

Statement::Statement(Connection& connection, std::string_view sql, Operation op)
    : connection_(&connection), db_(connection.Handle()), op_(op) {
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        connection.Fail(op);
    }
}

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::Fail() {
    if (connection_) connection_->Fail(op_);
    RaiseSqlite(db_, op_);
}

void Statement::Bind(int index, const Value& value) { BindValue(stmt_, index, value); }
void Statement::BindBorrowed(int index, const Value& value) { BindValue(stmt_, index, value, SQLITE_STATIC); }
void Statement::BindInt(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }
void Statement::BindText(int index, std::string_view text) {
    sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

int Statement::StepCode() {
    if (!stmt_) return sqlite3_extended_errcode(db_) == SQLITE_OK ? SQLITE_ERROR : sqlite3_extended_errcode(db_);
    return sqlite3_step(stmt_);
}

bool Statement::Step() {
    if (!stmt_) Fail();
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    sqlite3_reset(stmt_);
    if (rc == SQLITE_DONE) return false;
    Fail();
}

void Statement::Reset() { sqlite3_reset(stmt_); }
int Statement::ColumnCount() const { return sqlite3_column_count(stmt_); }
Value Statement::Column(int index, DataType type) const { return ColumnValue(stmt_, index, type); }
bool Statement::IsNull(int index) const { return sqlite3_column_type(stmt_, index) == SQLITE_NULL; }
std::int64_t Statement::Int(int index) const { return sqlite3_column_int64(stmt_, index); }

std::string Statement::Text(int index) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index))) : std::string();
}

Value Statement::Column(int index) const {
    switch (sqlite3_column_type(stmt_, index)) {
    case SQLITE_NULL: return Value::Null();
    case SQLITE_INTEGER: {
        const auto i = sqlite3_column_int64(stmt_, index);
        if (i >= std::numeric_limits<std::int32_t>::min() && i <= std::numeric_limits<std::int32_t>::max()) {
            return Value::Long(static_cast<std::int32_t>(i));
        }
        return Value::Double(static_cast<double>(i));
    }
    case SQLITE_FLOAT: return Value::Double(sqlite3_column_double(stmt_, index));
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, index));
        if (text == nullptr) return Value(std::string_view());
        return Value(std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, index))));
    }
    }
}

namespace {

std::string Quoted(std::string_view text, char quote) {
    std::string out(1, quote);
    for (const char c : text) {
        if (c == quote) out += quote;
        out += c;
    }
    return out + quote;
}

}  // namespace

std::string QuoteName(std::string_view name) { return Quoted(name, '"'); }
std::string QuoteText(std::string_view text) { return Quoted(text, '\''); }

}  // namespace dao
