// Forward-only recordsets (type dbOpenForwardOnly): a query read once, front to back, one row at
// a time, without keeping the rows read. A long report reads its rows this way, so that the
// engine holds one row of it instead of all of them.
//
// Contract:
//   1. Only MoveNext moves; MoveFirst, MoveLast and MovePrevious raise 3219, Seek and Index 3251,
//      AddNew, Edit and Delete 3027 (the recordset is read-only). EOF is true after the last row,
//      BOF only when there was no row; RecordCount answers the rows reached so far.
//   2. The query's statement stays active between MoveNext calls (connection.h, invariant 4): it is
//      registered with the connection it runs on, and the next write there ends it. A MoveNext
//      after that raises 3197 (the data changed, the read stopped), never a short read that looks
//      complete; the fields still answer the row that was current.
//   3. The last row read or Close resets the statement and releases the file's shared lock.
#pragma once

#include <memory>
#include <string_view>

#include "platform/dao/model.h"
#include "platform/dao/sql_bridge.h"

namespace dao {

class ForwardRead : public Connection::ActiveRead {
public:
    ForwardRead(DatabaseState& db, std::string_view sql);
    const std::vector<RecordsetColumn>& Columns() const { return reader_->Columns(); }
    Connection& Reader() const { return reader_->Reader(); }
    // The next row, or null after the last; raises 3197 once a write ended the read.
    Row Next();
    bool Ended() const { return ended_; }
    long RowsRead() const { return rowsRead_; }
    void End() override;

private:
    std::unique_ptr<QueryReader> reader_;
    bool ended_ = false;  // by a write on the connection
    long rowsRead_ = 0;
};

// Opens `rs` (its db and connection set) on the Jet SQL text `sql` and reads its first row.
void OpenForwardOnly(const std::shared_ptr<RecordsetState>& rs, std::string_view sql);
// MoveNext of a forward-only recordset.
void ForwardMoveNext(RecordsetState& rs);

}  // namespace dao
