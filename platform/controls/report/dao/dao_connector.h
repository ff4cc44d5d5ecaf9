// The report's rows from a data file of the database engine: the Source table or stored query,
// read as a snapshot in the engine's order (a query's ORDER BY holds).
#pragma once

#include "platform/controls/report/row_source.h"

namespace controls::report {

class DaoDataConnector : public DataConnector {
public:
    // Opens `dataFile` read-only with `password` and the source in it. The engine's errors become
    // the control's: 3024/3044 data file not found, 3031 bad password and any other failure to
    // open "cannot open data file" (with the engine's text), no such table or query "data source
    // missing".
    std::unique_ptr<RowSource> Open(const std::string& dataFile, const std::string& password,
                                    const std::string& source) override;
};

}  // namespace controls::report
