// Where the object model hands Jet SQL text to the SQL layer (sql/jet_execute.h). Internal.
#pragma once

#include <string_view>
#include <vector>

#include "platform/dao/model.h"
#include "platform/dao/sql/jet_execute.h"

namespace dao {

struct QueryResult {
    std::vector<RecordsetColumn> columns;
    std::vector<Row> rows;
};

// A SELECT given as Jet SQL text, prepared on the connection the translation names and read one
// row at a time. Its statement is active from the first Next until the last row or its end.
class QueryReader {
public:
    QueryReader(DatabaseState& db, std::string_view sql);
    const std::vector<RecordsetColumn>& Columns() const { return columns_; }
    // The connection the statement runs on (the database's own, or an IN file's).
    Connection& Reader() const { return *plan_.reader; }
    // Fills `row` with the next row's values; false after the last row.
    bool Next(std::vector<Value>& row);

private:
    sql::JetQuery plan_;
    Statement query_;
    std::vector<RecordsetColumn> columns_;
    std::vector<bool> asStored_;
};

// Runs a SELECT given as Jet SQL text on `db` and reads every row.
QueryResult RunQuery(DatabaseState& db, std::string_view sql);

}  // namespace dao
