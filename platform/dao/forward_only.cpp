#include "platform/dao/forward_only.h"

namespace dao {

ForwardRead::ForwardRead(DatabaseState& db, std::string_view sql)
    : reader_(std::make_unique<QueryReader>(db, sql)) {}

Row ForwardRead::Next() {
    if (ended_) RaiseJet(jet::StoppedByOtherUser);
    if (!reader_) return nullptr;
    auto row = std::make_shared<std::vector<Value>>();
    if (!reader_->Next(*row)) return nullptr;  // the statement is reset: its lock is released
    ++rowsRead_;
    return row;
}

void ForwardRead::End() {
    ended_ = true;
    reader_.reset();
}

void OpenForwardOnly(const std::shared_ptr<RecordsetState>& rs, std::string_view sql) {
    rs->type = dbOpenForwardOnly;
    rs->forward = std::make_shared<ForwardRead>(*rs->db, sql);
    rs->columns = rs->forward->Columns();
    rs->forward->Reader().HoldRead(rs->forward);
    ForwardMoveNext(*rs);
}

// The current row is the recordset's one row: position 0 while there is one, and no rows (EOF)
// after the last.
void ForwardMoveNext(RecordsetState& rs) {
    Row next = rs.forward->Next();
    if (next) {
        rs.rows.assign(1, std::move(next));
        rs.position = 0;
        rs.current = rs.rows.front();
        return;
    }
    rs.rows.clear();
    rs.current.reset();
    rs.position = 0;
}

}  // namespace dao
