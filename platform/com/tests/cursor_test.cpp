// The cursor interfaces between a bound control and a data source, exercised with a small
// in-memory data source: column lookup through the metadata cursor, fetching the current row as
// text and as a variant, the end of the cursor, row updates and notifications.
#include <gtest/gtest.h>

#include <memory>

#include "platform/com/connection.h"
#include "platform/com/cursor.h"

namespace com {
namespace {

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<Variant>> rows;
};

class FakeCursor final
    : public Object<FakeCursor, ICursorMove, ICursorUpdateARow, IConnectionPointContainer> {
public:
    FakeCursor(std::shared_ptr<Table> table, bool metadata, std::int64_t pos = 0)
        : table_(std::move(table)), metadata_(metadata), pos_(pos),
          notify_(ConnectionPoint::Create(INotifyDBEvents::kIid, false)) {}

    HResult GetColumnsCursor(const Guid& iid, IUnknown** columns, std::uint32_t* count) override {
        *count = static_cast<std::uint32_t>(table_->columns.size());
        return FakeCursor::Create(table_, true)->QueryInterface(iid, reinterpret_cast<void**>(columns));
    }
    HResult SetBindings(std::span<const ColumnBinding> bindings) override {
        bindings_.assign(bindings.begin(), bindings.end());
        return S_OK;
    }
    HResult GetNextRows(std::int64_t skip, FetchParams* fetch) override {
        pos_ += skip;
        const HResult hr = Fetch(pos_, fetch);
        pos_ += static_cast<std::int64_t>(fetch->rows.size());
        return hr;
    }
    HResult Move(const Bookmark& from, std::int64_t offset, FetchParams* fetch) override {
        const std::int64_t start = from == Bookmark::Current() ? pos_ : from.bytes.at(0);
        pos_ = start + offset;
        return Fetch(pos_, fetch);
    }
    HResult GetBookmark(Bookmark* out) override {
        *out = Bookmark{{static_cast<std::uint8_t>(pos_)}};
        return S_OK;
    }
    HResult Clone(std::uint32_t flags, const Guid& iid, IUnknown** out) override {
        auto clone = FakeCursor::Create(table_, metadata_, flags & DBCLONE_SAME_ROW ? pos_ : 0);
        return clone->QueryInterface(iid, reinterpret_cast<void**>(out));
    }

    HResult BeginUpdate(std::uint32_t) override {
        editMode_ = DBEDITMODE_UPDATE;
        return S_OK;
    }
    HResult SetColumn(const ColumnId& column, const Variant& value) override {
        const int c = ColumnIndex(column);
        if (c < 0) return E_FAIL;
        pending_.emplace_back(c, value);
        return S_OK;
    }
    HResult GetColumn(const ColumnId& column, Variant* value) override {
        const int c = ColumnIndex(column);
        if (c < 0) return E_FAIL;
        *value = table_->rows.at(static_cast<std::size_t>(pos_))[static_cast<std::size_t>(c)];
        return S_OK;
    }
    HResult GetEditMode(std::uint32_t* mode) override {
        *mode = editMode_;
        return S_OK;
    }
    HResult Update(Bookmark*) override {
        if (editMode_ != DBEDITMODE_UPDATE) return E_UNEXPECTED;
        for (const auto& [c, v] : pending_) table_->rows.at(static_cast<std::size_t>(pos_))[static_cast<std::size_t>(c)] = v;
        pending_.clear();
        editMode_ = DBEDITMODE_NONE;
        return S_OK;
    }
    HResult Cancel() override {
        pending_.clear();
        editMode_ = DBEDITMODE_NONE;
        return S_OK;
    }
    HResult Delete() override { return E_NOTIMPL; }

    HResult FindConnectionPoint(const Guid& iid, IConnectionPoint** out) override {
        if (iid != INotifyDBEvents::kIid) return CONNECT_E_NOCONNECTION;
        return ReturnInterface(static_cast<IConnectionPoint*>(notify_.Get()), reinterpret_cast<void**>(out));
    }

    // Moves to the next row, telling the advised sinks before and after.
    void MoveNext() {
        const DBNotifyReason reason{DBREASON_MODIFIED, {}, {}};
        for (const auto& s : notify_->Sinks())
            static_cast<INotifyDBEvents*>(s.Get())->SyncBefore(DBEVENT_CURRENT_ROW_CHANGED, {&reason, 1});
        ++pos_;
        for (const auto& s : notify_->Sinks())
            static_cast<INotifyDBEvents*>(s.Get())->SyncAfter(DBEVENT_CURRENT_ROW_CHANGED, {&reason, 1});
    }

protected:
    HResult OnQueryInterface(const Guid& iid, void** out) override {
        if (iid == ICursor::kIid) return ReturnInterface(static_cast<ICursor*>(static_cast<ICursorMove*>(this)), out);
        return E_NOINTERFACE;
    }

private:
    int ColumnIndex(const ColumnId& id) const {
        for (std::size_t c = 0; c < table_->columns.size(); ++c)
            if (table_->columns[c] == id.name) return static_cast<int>(c);
        return -1;
    }

    Cell MetadataCell(const ColumnBinding& b, std::size_t row) const {
        const std::string& name = table_->columns[row];
        Cell cell;
        if (b.column == MetaColumnName()) cell.text = name;
        else if (b.column == MetaColumnId()) cell.column = ColumnId{{}, ColumnIdKind::Name, 0, name};
        else if (b.column == MetaColumnType()) cell.value = Variant::I4(table_->rows.at(0)[row].Type());
        else if (b.column == MetaColumnBindable()) cell.value = Variant::Bool(true);
        else cell.status = DB_CELL_UNAVAILABLE;
        return cell;
    }

    Cell DataCell(const ColumnBinding& b, std::size_t row) const {
        Cell cell;
        const int c = ColumnIndex(b.column);
        if (c < 0) {
            cell.status = DB_CELL_UNAVAILABLE;
            return cell;
        }
        const Variant& v = table_->rows[row][static_cast<std::size_t>(c)];
        if (v.Type() == VT_NULL) cell.status = DB_CELL_NULL;
        Variant text;
        if (b.type == BindType::Text && Succeeded(ChangeType(text, v, VT_BSTR)))
            cell.text = text.AsStr().ToAnsi().substr(0, b.maxLength ? b.maxLength : std::string::npos);
        if (b.type == BindType::Variant) cell.value = v;
        return cell;
    }

    HResult Fetch(std::int64_t from, FetchParams* fetch) {
        fetch->rows.clear();
        const auto count = static_cast<std::int64_t>(metadata_ ? table_->columns.size() : table_->rows.size());
        for (std::int64_t r = from; r < count && fetch->rows.size() < fetch->rowsRequested; ++r) {
            Row row;
            for (const auto& b : bindings_)
                row.push_back(metadata_ ? MetadataCell(b, static_cast<std::size_t>(r)) : DataCell(b, static_cast<std::size_t>(r)));
            fetch->rows.push_back(std::move(row));
        }
        return fetch->rows.size() < fetch->rowsRequested ? CURSOR_DB_S_ENDOFCURSOR : S_OK;
    }

    std::shared_ptr<Table> table_;
    bool metadata_;
    std::int64_t pos_;
    std::vector<ColumnBinding> bindings_;
    std::uint32_t editMode_ = DBEDITMODE_NONE;
    std::vector<std::pair<int, Variant>> pending_;
    ComPtr<ConnectionPoint> notify_;
};

class Sink final : public Object<Sink, INotifyDBEvents> {
public:
    HResult OKToDo(std::uint32_t e, Reasons r) override { return Log("OKToDo", e, r); }
    HResult Cancelled(std::uint32_t e, Reasons r) override { return Log("Cancelled", e, r); }
    HResult SyncBefore(std::uint32_t e, Reasons r) override { return Log("SyncBefore", e, r); }
    HResult AboutToDo(std::uint32_t e, Reasons r) override { return Log("AboutToDo", e, r); }
    HResult FailedToDo(std::uint32_t e, Reasons r) override { return Log("FailedToDo", e, r); }
    HResult SyncAfter(std::uint32_t e, Reasons r) override { return Log("SyncAfter", e, r); }
    HResult DidEvent(std::uint32_t e, Reasons r) override { return Log("DidEvent", e, r); }
    std::vector<std::string> log;

private:
    HResult Log(const char* what, std::uint32_t events, Reasons reasons) {
        log.push_back(std::string(what) + " " + std::to_string(events) + " " +
                      std::to_string(reasons.empty() ? 0 : reasons[0].reason));
        return S_OK;
    }
};

std::shared_ptr<Table> Stores() {
    auto t = std::make_shared<Table>();
    t->columns = {"Codigo", "Nome"};
    t->rows = {{Variant::I4(1), Variant::Utf8("Loja Centro")}, {Variant::I4(2), Variant::Null()}};
    return t;
}

// The column id and type of `field`, looked up without regard to case as a bound control does.
HResult FindColumn(ICursor* cursor, std::string_view field, ColumnId* id, std::int32_t* type) {
    ComPtr<IUnknown> columnsUnknown;
    std::uint32_t count = 0;
    if (const HResult hr = cursor->GetColumnsCursor(ICursor::kIid, columnsUnknown.Put(), &count); Failed(hr)) return hr;
    auto* columns = static_cast<ICursor*>(static_cast<IUnknown*>(columnsUnknown.Get()));
    const ColumnBinding bindings[] = {{MetaColumnName(), BindType::Text, 128},
                                      {MetaColumnId(), BindType::ColumnIdValue},
                                      {MetaColumnType(), BindType::Variant}};
    columns->SetBindings(bindings);
    for (;;) {
        FetchParams fetch;
        const HResult hr = columns->GetNextRows(0, &fetch);
        if (fetch.rows.empty()) return E_FAIL;
        const Row& row = fetch.rows[0];
        if (row[0].status == DB_CELL_OK && EqualsNoCase(row[0].text, field)) {
            *id = row[1].column;
            *type = row[2].value.AsI4();
            return S_OK;
        }
        if (hr == CURSOR_DB_S_ENDOFCURSOR) return E_FAIL;
    }
}

TEST(Cursor, ColumnLookupIgnoresCase) {
    auto source = FakeCursor::Create(Stores(), false);
    ICursor* cursor = static_cast<ICursorMove*>(source.Get());
    ColumnId id;
    std::int32_t type = 0;
    ASSERT_EQ(FindColumn(cursor, "codigo", &id, &type), S_OK);
    EXPECT_EQ(id.name, "Codigo");
    EXPECT_EQ(type, VT_I4);
    ASSERT_EQ(FindColumn(cursor, "NOME", &id, &type), S_OK);
    EXPECT_EQ(id.name, "Nome");
    EXPECT_EQ(FindColumn(cursor, "Preco", &id, &type), E_FAIL);
}

TEST(Cursor, CurrentRowThroughACloneAsTextAndAsVariant) {
    auto source = FakeCursor::Create(Stores(), false);
    ComPtr<ICursorMove> move = ComPtr<IUnknown>(static_cast<ICursorMove*>(source.Get())).As<ICursorMove>();
    ASSERT_TRUE(move);
    ComPtr<IUnknown> cloneUnknown;
    ASSERT_EQ(move->Clone(DBCLONE_SAME_ROW, ICursorMove::kIid, cloneUnknown.Put()), S_OK);
    auto* clone = static_cast<ICursorMove*>(static_cast<IUnknown*>(cloneUnknown.Get()));

    struct Row {
        ColumnBinding binding;
        std::int64_t offset;
        HResult status;
        std::int32_t cellStatus;
        std::string text;
        Variant value;
    };
    const Row rows[] = {
        {{{{}, ColumnIdKind::Name, 0, "Nome"}, BindType::Text, 1000}, 0, S_OK, DB_CELL_OK, "Loja Centro", {}},
        {{{{}, ColumnIdKind::Name, 0, "Nome"}, BindType::Text, 4}, 0, S_OK, DB_CELL_OK, "Loja", {}},
        {{{{}, ColumnIdKind::Name, 0, "Codigo"}, BindType::Variant}, 0, S_OK, DB_CELL_OK, "", Variant::I4(1)},
        {{{{}, ColumnIdKind::Name, 0, "Nome"}, BindType::Variant}, 1, S_OK, DB_CELL_NULL, "", Variant::Null()},
    };
    for (const auto& row : rows) {
        clone->SetBindings({&row.binding, 1});
        FetchParams fetch;
        ASSERT_EQ(clone->Move(Bookmark::Current(), row.offset, &fetch), row.status);
        ASSERT_EQ(fetch.rows.size(), 1u);
        EXPECT_EQ(fetch.rows[0][0].status, row.cellStatus);
        EXPECT_EQ(fetch.rows[0][0].text, row.text);
        EXPECT_EQ(fetch.rows[0][0].value, row.value);
    }
    FetchParams fetch;
    EXPECT_EQ(clone->Move(Bookmark::Current(), 1, &fetch), CURSOR_DB_S_ENDOFCURSOR);
    EXPECT_TRUE(fetch.rows.empty()) << "past the last row nothing is fetched";
}

TEST(Cursor, NotificationsReachAnAdvisedSink) {
    auto source = FakeCursor::Create(Stores(), false);
    auto sink = Sink::Create();
    std::uint32_t cookie = 0;
    IUnknown* src = static_cast<ICursorMove*>(source.Get());
    ASSERT_EQ(AdviseSink(src, INotifyDBEvents::kIid, sink.Get(), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    source->MoveNext();
    EXPECT_EQ(sink->log, (std::vector<std::string>{"SyncBefore 1 3", "SyncAfter 1 3"}));
    ASSERT_EQ(UnadviseSink(src, INotifyDBEvents::kIid, cookie), S_OK);
    source->MoveNext();
    EXPECT_EQ(sink->log.size(), 2u);
}

TEST(Cursor, RowUpdateWritesTheColumn) {
    auto table = Stores();
    auto source = FakeCursor::Create(table, false);
    ComPtr<ICursorUpdateARow> update = ComPtr<IUnknown>(static_cast<ICursorMove*>(source.Get())).As<ICursorUpdateARow>();
    ASSERT_TRUE(update);
    std::uint32_t mode = 0;
    update->GetEditMode(&mode);
    EXPECT_EQ(mode, DBEDITMODE_NONE);
    ASSERT_EQ(update->BeginUpdate(DB_UPDATE_CURRENT_ROW), S_OK);
    update->GetEditMode(&mode);
    EXPECT_EQ(mode, DBEDITMODE_UPDATE);
    EXPECT_EQ(update->SetColumn({{}, ColumnIdKind::Name, 0, "Preco"}, Variant::I4(1)), E_FAIL);
    ASSERT_EQ(update->SetColumn({{}, ColumnIdKind::Name, 0, "Nome"}, Variant::Utf8("Loja Norte")), S_OK);
    ASSERT_EQ(update->Update(nullptr), S_OK);
    EXPECT_EQ(table->rows[0][1], Variant::Utf8("Loja Norte"));
    update->GetEditMode(&mode);
    EXPECT_EQ(mode, DBEDITMODE_NONE);
}

}  // namespace
}  // namespace com
