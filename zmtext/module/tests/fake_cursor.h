// A data source written for the binding tests: rows in memory behind cursors that implement the
// cursor interfaces, with the notifications a data source sends around a row change, and the
// container sites that hand its cursor to a bound control.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/com/connection.h"
#include "platform/com/cursor.h"
#include "platform/ctl/interfaces.h"

namespace zmtext::testing {

using namespace com;

constexpr DispId kDataSourceId = 7;

// The data behind every cursor of one data source, and what was asked of it.
struct Source {
    std::vector<std::string> columns;
    std::vector<bool> bindable;
    std::vector<std::vector<Variant>> rows;
    std::int64_t current = 0;
    std::uint32_t editMode = DBEDITMODE_NONE;
    std::vector<std::pair<int, Variant>> pending;
    HResult setColumnStatus = S_OK;
    std::vector<std::string> calls;
    ComPtr<ConnectionPoint> notify = ConnectionPoint::Create(INotifyDBEvents::kIid, false);

    int ColumnIndex(const ColumnId& id) const {
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (id.kind == ColumnIdKind::Name && columns[c] == id.name) return static_cast<int>(c);
        return -1;
    }
    void Commit() {
        for (const auto& [c, v] : pending) rows.at(static_cast<std::size_t>(current))[static_cast<std::size_t>(c)] = v;
        pending.clear();
        editMode = DBEDITMODE_NONE;
    }
    // Tells every advised sink, before and after `change`.
    template <class F>
    void Notify(std::uint32_t events, std::uint32_t reason, F change) {
        const DBNotifyReason r{reason, {}, {}};
        for (const auto& s : notify->Sinks()) static_cast<INotifyDBEvents*>(s.Get())->SyncBefore(events, {&r, 1});
        change();
        for (const auto& s : notify->Sinks()) static_cast<INotifyDBEvents*>(s.Get())->SyncAfter(events, {&r, 1});
    }
    void MoveTo(std::int64_t row) {
        Notify(DBEVENT_CURRENT_ROW_CHANGED, DBREASON_MODIFIED, [&] { current = row; });
    }
};

class Cursor final : public Object<Cursor, ICursorMove, ICursorUpdateARow, IConnectionPointContainer> {
public:
    Cursor(std::shared_ptr<Source> source, bool metadata, std::int64_t position)
        : source_(std::move(source)), metadata_(metadata), position_(position) {}

    HResult GetColumnsCursor(const Guid& iid, IUnknown** out, std::uint32_t* count) override {
        *count = static_cast<std::uint32_t>(source_->columns.size());
        return Cursor::Create(source_, true, 0)->QueryInterface(iid, reinterpret_cast<void**>(out));
    }
    HResult SetBindings(std::span<const ColumnBinding> bindings) override {
        bindings_.assign(bindings.begin(), bindings.end());
        return S_OK;
    }
    HResult GetNextRows(std::int64_t skip, FetchParams* fetch) override {
        position_ += skip;
        const HResult hr = Fetch(fetch);
        position_ += static_cast<std::int64_t>(fetch->rows.size());
        return hr;
    }
    HResult Move(const Bookmark& from, std::int64_t offset, FetchParams* fetch) override {
        if (!(from == Bookmark::Current())) return E_INVALIDARG;
        position_ += offset;
        return Fetch(fetch);
    }
    HResult GetBookmark(Bookmark*) override { return E_NOTIMPL; }
    HResult Clone(std::uint32_t flags, const Guid& iid, IUnknown** out) override {
        const std::int64_t at = (flags & DBCLONE_SAME_ROW) ? source_->current : 0;
        return Cursor::Create(source_, metadata_, at)->QueryInterface(iid, reinterpret_cast<void**>(out));
    }

    HResult BeginUpdate(std::uint32_t) override {
        source_->calls.push_back("BeginUpdate");
        source_->editMode = DBEDITMODE_UPDATE;
        return S_OK;
    }
    HResult SetColumn(const ColumnId& column, const Variant& value) override {
        source_->calls.push_back("SetColumn " + column.name);
        const int c = source_->ColumnIndex(column);
        if (c < 0) return E_FAIL;
        if (Failed(source_->setColumnStatus)) return source_->setColumnStatus;
        source_->pending.emplace_back(c, value);
        return S_OK;
    }
    HResult GetColumn(const ColumnId&, Variant*) override { return E_NOTIMPL; }
    HResult GetEditMode(std::uint32_t* mode) override {
        *mode = source_->editMode;
        return S_OK;
    }
    HResult Update(Bookmark*) override {
        source_->calls.push_back("Update");
        source_->Commit();
        return S_OK;
    }
    HResult Cancel() override {
        source_->calls.push_back("Cancel");
        source_->pending.clear();
        source_->editMode = DBEDITMODE_NONE;
        return S_OK;
    }
    HResult Delete() override { return E_NOTIMPL; }

    HResult FindConnectionPoint(const Guid& iid, IConnectionPoint** out) override {
        if (iid != INotifyDBEvents::kIid) return CONNECT_E_NOCONNECTION;
        return ReturnInterface(static_cast<IConnectionPoint*>(source_->notify.Get()), reinterpret_cast<void**>(out));
    }

protected:
    HResult OnQueryInterface(const Guid& iid, void** out) override {
        if (iid == ICursor::kIid) return ReturnInterface(static_cast<ICursor*>(static_cast<ICursorMove*>(this)), out);
        return E_NOINTERFACE;
    }

private:
    Cell MetadataCell(const ColumnBinding& b, std::size_t c) const {
        Cell cell;
        const std::string& name = source_->columns[c];
        if (b.column == MetaColumnName()) cell.text = name;
        else if (b.column == MetaColumnId()) cell.column = ColumnId{{}, ColumnIdKind::Name, 0, name};
        else if (b.column == MetaColumnType()) cell.value = Variant::I4(source_->rows.at(0)[c].Type());
        else if (b.column == MetaColumnBindable()) cell.value = Variant::Bool(source_->bindable.empty() || source_->bindable[c]);
        if (name.empty()) cell.status = DB_CELL_UNAVAILABLE;
        return cell;
    }
    Cell DataCell(const ColumnBinding& b, std::size_t r) const {
        Cell cell;
        const int c = source_->ColumnIndex(b.column);
        if (c < 0) return Cell{DB_CELL_UNAVAILABLE, {}, {}, {}};
        const Variant& v = source_->rows[r][static_cast<std::size_t>(c)];
        Variant text;
        if (b.type == BindType::Text && Succeeded(ChangeType(text, v, VT_BSTR))) cell.text = text.AsStr().ToAnsi();
        if (b.type == BindType::Variant) cell.value = v;
        return cell;
    }
    HResult Fetch(FetchParams* fetch) {
        fetch->rows.clear();
        const auto count = static_cast<std::int64_t>(metadata_ ? source_->columns.size() : source_->rows.size());
        for (std::int64_t r = position_; r >= 0 && r < count && fetch->rows.size() < fetch->rowsRequested; ++r) {
            Row row;
            for (const auto& b : bindings_)
                row.push_back(metadata_ ? MetadataCell(b, static_cast<std::size_t>(r)) : DataCell(b, static_cast<std::size_t>(r)));
            fetch->rows.push_back(std::move(row));
        }
        return fetch->rows.size() < fetch->rowsRequested ? CURSOR_DB_S_ENDOFCURSOR : S_OK;
    }

    std::shared_ptr<Source> source_;
    bool metadata_;
    std::int64_t position_;
    std::vector<ColumnBinding> bindings_;
};

// The container's site: the cursor of the data source control.
class Site final : public Object<Site, IBoundObjectSite> {
public:
    explicit Site(ComPtr<ICursor> cursor) : cursor_(std::move(cursor)) {}
    HResult GetCursor(DispId id, ICursor** out, void*) override {
        *out = id == kDataSourceId ? cursor_.Get() : nullptr;
        if (*out) (*out)->AddRef();
        return *out ? S_OK : E_INVALIDARG;
    }

private:
    ComPtr<ICursor> cursor_;
};

// A host's client site that also hands out the data source's cursor (for any DataSource DISPID),
// as a form with a data control does.
class BindingSite final : public Object<BindingSite, ctl::IClientSite, IBoundObjectSite> {
public:
    explicit BindingSite(ComPtr<ICursor> cursor) : cursor_(std::move(cursor)) {}
    HResult GetAmbientProperty(DispId, Variant*) override { return DISP_E_MEMBERNOTFOUND; }
    HResult GetExtendedControl(IDispatch**) override { return E_NOTIMPL; }
    HResult GetContainer(ctl::IControlContainer**) override { return E_NOTIMPL; }
    HResult OnControlInfoChanged() override { return S_OK; }
    HResult OnFocus(bool) override { return S_OK; }
    HResult GetCursor(DispId, ICursor** out, void*) override {
        *out = cursor_.Get();
        (*out)->AddRef();
        return S_OK;
    }

private:
    ComPtr<ICursor> cursor_;
};

}  // namespace zmtext::testing
