#include "platform/dao/sql_bridge.h"

#include <sqlite3.h>


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

QueryReader::QueryReader(DatabaseState& db, std::string_view sql)
    : plan_(sql::TranslateJetQuery(db.Conn(), sql)), query_(*plan_.reader, plan_.translation.sql, Operation::Read) {
    const auto& known = plan_.translation.resultColumns;
    const int count = query_.ColumnCount();
    // A column of a table reads as its field; an expression the translation typed reads as that
    // type, except Text, which is also what an untyped expression gets: that one reads as stored.
    for (int i = 0; i < count; ++i) {
        auto column = ColumnOf(query_.Handle(), i);
        const bool isField = sqlite3_column_decltype(query_.Handle(), i) != nullptr;
        const auto at = static_cast<std::size_t>(i);
        if (!isField && at < known.size() && IsFieldType(known[at].type)) {
            column.type = static_cast<DataType>(known[at].type);
            column.size = known[at].size;
        }
        asStored_.push_back(!isField && (column.type == DataType::Text || at >= known.size()));
        columns_.push_back(std::move(column));
    }
}

bool QueryReader::Next(std::vector<Value>& row) {
    if (!query_.Step()) return false;
    const std::size_t count = columns_.size();
    row.clear();
    row.reserve(count);
    for (std::size_t at = 0; at < count; ++at) {
        const int i = static_cast<int>(at);
        row.push_back(asStored_[at] ? query_.Column(i) : query_.Column(i, columns_[at].type));
    }
    return true;
}

QueryResult RunQuery(DatabaseState& db, std::string_view sql) {
    QueryReader reader(db, sql);
    QueryResult result;
    result.columns = reader.Columns();
    // Rows share blocks of kRowsPerBlock, each row keeping its block alive: one allocation and one
    // reference count for many rows instead of one per row. A block never grows past its reserve,
    // so its rows never move.
    constexpr std::size_t kRowsPerBlock = 256;
    std::shared_ptr<std::vector<std::vector<Value>>> block;
    for (;;) {
        if (!block || block->size() == block->capacity()) {
            block = std::make_shared<std::vector<std::vector<Value>>>();
            block->reserve(kRowsPerBlock);
        }
        std::vector<Value>& row = block->emplace_back();
        if (!reader.Next(row)) {
            block->pop_back();
            break;
        }
        result.rows.push_back(Row(block, &row));
    }
    return result;
}

}  // namespace dao
