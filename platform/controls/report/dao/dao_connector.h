// The report's rows from a data file of the database engine: the Source table or stored query,
// read forward-only in the engine's order (a query's ORDER BY holds), so that the engine holds one
// row at a time. Each open has an engine of its own, so that it may run on a thread of its own.
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
    // The engine's statements fail as interrupted once `stop` is set, its sorting included.
    std::unique_ptr<RowSource> OpenStoppable(const std::string& dataFile, const std::string& password,
                                             const std::string& source, const std::atomic<bool>& stop) override;
    // SELECT TOP `rows` of the source: the engine sorts for the first rows only.
    std::unique_ptr<RowSource> OpenHead(const std::string& dataFile, const std::string& password,
                                        const std::string& source, std::size_t rows) override;
};

}  // namespace controls::report
