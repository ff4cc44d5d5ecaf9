// The rows a statement selects, as the tests compare them: each row's fields joined with "|",
// Null written "Null".
#pragma once

#include <string>
#include <vector>

#include "platform/dao/dao.h"

namespace report::testing {

inline std::vector<std::string> SelectedRows(const dao::Database& db, const std::string& sql) {
    dao::Recordset rs = db.OpenRecordset(sql, dao::dbOpenSnapshot);
    std::vector<std::string> rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        std::string row;
        for (int i = 0; i < rs.Fields().Count(); ++i) {
            const dao::Value v = rs(i).GetValue();
            row += (i ? "|" : "") + (v.IsNull() ? std::string("Null") : v.ToText());
        }
        rows.push_back(row);
    }
    rs.Close();
    return rows;
}

}  // namespace report::testing
