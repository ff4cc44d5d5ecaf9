// Where the object model hands Jet SQL text to the SQL layer (sql/jet_execute.h). Internal.
#pragma once

#include <string_view>
#include <vector>

#include "platform/dao/model.h"

namespace dao {

struct QueryResult {
    std::vector<RecordsetColumn> columns;
    std::vector<Row> rows;
};

// Runs a SELECT given as Jet SQL text on `db` and reads every row.
QueryResult RunQuery(DatabaseState& db, std::string_view sql);

}  // namespace dao
