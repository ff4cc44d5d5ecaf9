#include "platform/dao/sql_bridge.h"

#include <sqlite3.h>

#include "platform/dao/sql/jet_execute.h"

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
    db.recordsAffected = static_cast<long>(sql::ExecuteJetSql(db.Conn(), sql, (options & dbFailOnError) != 0));
}

QueryResult RunQuery(DatabaseState& db, std::string_view sql) {
    QueryResult result;
    const sql::JetQuery plan = sql::TranslateJetQuery(db.Conn(), sql);
    const auto& known = plan.translation.resultColumns;
    Statement query(*plan.reader, plan.translation.sql, Operation::Read);
    const int count = query.ColumnCount();
    // A column of a table reads as its field; an expression the translation typed reads as that
    // type, except Text, which is also what an untyped expression gets: that one reads as stored.
    std::vector<bool> asStored;
    for (int i = 0; i < count; ++i) {
        auto column = ColumnOf(query.Handle(), i);
        const bool isField = sqlite3_column_decltype(query.Handle(), i) != nullptr;
        const auto at = static_cast<std::size_t>(i);
        if (!isField && at < known.size() && IsFieldType(known[at].type)) {
            column.type = static_cast<DataType>(known[at].type);
            column.size = known[at].size;
        }
        asStored.push_back(!isField && (column.type == DataType::Text || at >= known.size()));
        result.columns.push_back(std::move(column));
    }
    // Rows share blocks of kRowsPerBlock, each row keeping its block alive: one allocation and one
    // reference count for many rows instead of one per row. A block never grows past its reserve,
    // so its rows never move.
    constexpr std::size_t kRowsPerBlock = 256;
    std::shared_ptr<std::vector<std::vector<Value>>> block;
    while (query.Step()) {
        if (!block || block->size() == block->capacity()) {
            block = std::make_shared<std::vector<std::vector<Value>>>();
            block->reserve(kRowsPerBlock);
        }
        std::vector<Value>& row = block->emplace_back();
        row.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(i);
            row.push_back(asStored[at] ? query.Column(i) : query.Column(i, result.columns[at].type));
        }
        result.rows.push_back(Row(block, &row));
    }
    return result;
}

}  // namespace dao
