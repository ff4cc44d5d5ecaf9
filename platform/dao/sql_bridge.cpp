#include "platform/dao/sql_bridge.h"

#include <sqlite3.h>

#include "platform/dao/sql/jet_sql.h"

// The SQL layer's entry points (sql/jet_execute.h). Declared weak so that the object model links
// and runs plain SQLite SQL while the SQL layer is not part of the build.
namespace dao::sql {
long long ExecuteJetSql(Connection& connection, std::string_view sql, bool failOnError) __attribute__((weak));
Translation TranslateJetQuery(Connection& connection, std::string_view sql) __attribute__((weak));
}  // namespace dao::sql

namespace dao {
namespace {

RecordsetColumn ColumnOf(sqlite3_stmt* stmt, int index) {
    RecordsetColumn column;
    column.name = sqlite3_column_name(stmt, index);
    const char* declared = sqlite3_column_decltype(stmt, index);
    if (declared != nullptr) {
        TypeFromDeclared(declared, column.type, column.size);
        return column;
    }
    column.type = DataType::Double;  // an expression: its rows say what it holds
    column.size = 8;
    return column;
}

}  // namespace

void ExecuteSql(DatabaseState& db, std::string_view sql, int options) {
    auto& connection = db.Conn();
    if (sql::ExecuteJetSql != nullptr) {
        db.recordsAffected = static_cast<long>(sql::ExecuteJetSql(connection, sql, (options & dbFailOnError) != 0));
        return;
    }
    connection.PrepareWrite(Operation::Write);
    connection.Exec(sql, Operation::Write);
    db.recordsAffected = sqlite3_changes(connection.Handle());
    db.engine->BumpGeneration();
}

QueryResult RunQuery(DatabaseState& db, std::string_view sql) {
    auto& connection = db.Conn();
    QueryResult result;
    std::string text(sql);
    std::vector<sql::ColumnInfo> known;
    if (sql::TranslateJetQuery != nullptr) {
        auto translation = sql::TranslateJetQuery(connection, sql);
        text = translation.sql;
        known = translation.resultColumns;
    }
    Statement query(connection, text, Operation::Read);
    const int count = query.ColumnCount();
    for (int i = 0; i < count; ++i) {
        auto column = ColumnOf(query.Handle(), i);
        if (static_cast<std::size_t>(i) < known.size() && IsFieldType(known[static_cast<std::size_t>(i)].type)) {
            column.type = static_cast<DataType>(known[static_cast<std::size_t>(i)].type);
            column.size = known[static_cast<std::size_t>(i)].size;
        }
        result.columns.push_back(std::move(column));
    }
    while (query.Step()) {
        std::vector<Value> row;
        for (int i = 0; i < count; ++i) {
            const bool typed = sqlite3_column_decltype(query.Handle(), i) != nullptr ||
                               static_cast<std::size_t>(i) < known.size();
            row.push_back(typed ? query.Column(i, result.columns[static_cast<std::size_t>(i)].type) : query.Column(i));
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace dao
