#include "zmtext/module/adb_helper.h"

#include <algorithm>

#include "platform/win/cp1252.h"

namespace zmtext {
namespace {

using com::ComPtr;
using com::HResult;

// Bytes kept of a column read as text, and of a column name.
constexpr std::uint32_t kTextColumnBytes = 1000;
constexpr std::uint32_t kColumnNameBytes = 128;

bool HasReason(ADBHelper::Reasons reasons, std::uint32_t code) {
    return std::any_of(reasons.begin(), reasons.end(),
                       [code](const com::DBNotifyReason& r) { return r.reason == code; });
}

// Column names compare as the platform compares names: without case, accented letters included.
bool SameColumnName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return win::ToLower1252(static_cast<unsigned char>(x)) ==
                      win::ToLower1252(static_cast<unsigned char>(y));
           });
}

// The columns cursor of `cursor`: one row of metadata per column.
ComPtr<com::ICursor> ColumnsCursor(com::ICursor& cursor, std::uint32_t* count) {
    com::IUnknown* raw = nullptr;
    if (com::Failed(cursor.GetColumnsCursor(com::ICursor::kIid, &raw, count)) || !raw) return {};
    return ComPtr<com::ICursor>::Adopt(static_cast<com::ICursor*>(raw));
}

// Clears a flag when the scope ends, however it ends.
struct FlagScope {
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
    bool& flag_;
};

}  // namespace

// --- The nested interface tables ----------------------------------------------------------

HResult ADBHelper::NotifySink::QueryInterface(const com::Guid& iid, void** out) {
    return owner_.outer_.QueryInterface(iid, out);
}
std::uint32_t ADBHelper::NotifySink::AddRef() { return owner_.outer_.AddRef(); }
std::uint32_t ADBHelper::NotifySink::Release() { return owner_.outer_.Release(); }
HResult ADBHelper::NotifySink::OKToDo(std::uint32_t e, Reasons r) { return owner_.OKToDo(e, r); }
HResult ADBHelper::NotifySink::Cancelled(std::uint32_t e, Reasons r) { return owner_.Cancelled(e, r); }
HResult ADBHelper::NotifySink::SyncBefore(std::uint32_t e, Reasons r) { return owner_.SyncBefore(e, r); }
HResult ADBHelper::NotifySink::AboutToDo(std::uint32_t e, Reasons r) { return owner_.AboutToDo(e, r); }
HResult ADBHelper::NotifySink::FailedToDo(std::uint32_t e, Reasons r) { return owner_.FailedToDo(e, r); }
HResult ADBHelper::NotifySink::SyncAfter(std::uint32_t e, Reasons r) { return owner_.SyncAfter(e, r); }
HResult ADBHelper::NotifySink::DidEvent(std::uint32_t e, Reasons r) { return owner_.DidEvent(e, r); }

HResult ADBHelper::BoundObject::QueryInterface(const com::Guid& iid, void** out) {
    return owner_.outer_.QueryInterface(iid, out);
}
std::uint32_t ADBHelper::BoundObject::AddRef() { return owner_.outer_.AddRef(); }
std::uint32_t ADBHelper::BoundObject::Release() { return owner_.outer_.Release(); }
HResult ADBHelper::BoundObject::OnSourceChanged(com::DispId id, bool bound, bool* owner) {
    return owner_.OnSourceChanged(id, bound, owner);
}
HResult ADBHelper::BoundObject::IsDirty(com::DispId id) { return owner_.IsDirty(id); }

// --- Life and interfaces --------------------------------------------------------------------

ADBHelper::ADBHelper(com::IUnknown& outer) : outer_(outer) {}

ADBHelper::~ADBHelper() {
    rowUpdate_.Reset();
    UnadviseCursor();
}

HResult ADBHelper::QueryBindingInterface(const com::Guid& iid, void** out) {
    if (!out) return com::E_POINTER;
    *out = nullptr;
    if (iid == com::INotifyDBEvents::kIid) return com::ReturnInterface(static_cast<com::INotifyDBEvents*>(&notifySink_), out);
    if (iid == com::IBoundObject::kIid) return com::ReturnInterface(static_cast<com::IBoundObject*>(&boundObject_), out);
    return com::E_NOINTERFACE;
}

// --- Notifications --------------------------------------------------------------------------

HResult ADBHelper::OKToDo(std::uint32_t, Reasons) { return com::S_OK; }
HResult ADBHelper::Cancelled(std::uint32_t, Reasons) { return com::S_OK; }
HResult ADBHelper::AboutToDo(std::uint32_t, Reasons) { return com::S_OK; }
HResult ADBHelper::FailedToDo(std::uint32_t, Reasons) { return com::S_OK; }
HResult ADBHelper::DidEvent(std::uint32_t, Reasons) { return com::S_OK; }

HResult ADBHelper::SyncBefore(std::uint32_t events, Reasons reasons) {
    if (events & com::DBEVENT_CURRENT_ROW_CHANGED) return dirty_ ? WriteBeforeRowChange() : com::S_OK;
    const bool rowWritten =
        HasReason(reasons, com::DBREASON_INSERTED) ||
        ((events & com::DBEVENT_CURRENT_ROW_DATA_CHANGED) && HasReason(reasons, com::DBREASON_MODIFIED));
    if (!rowWritten || !dirty_) return com::S_OK;
    const HResult hr = WriteColumn();
    if (com::Succeeded(hr)) dirty_ = false;
    return hr;
}

HResult ADBHelper::SyncAfter(std::uint32_t events, Reasons reasons) {
    const bool dataChanged = (events & com::DBEVENT_CURRENT_ROW_DATA_CHANGED) != 0;
    const bool reload =
        (events & com::DBEVENT_CURRENT_ROW_CHANGED) || HasReason(reasons, com::DBREASON_INSERTED) ||
        (dataChanged && (events & com::DBEVENT_SET_OF_ROWS_CHANGED) && HasReason(reasons, com::DBREASON_ADDNEW)) ||
        (dataChanged && HasReason(reasons, com::DBREASON_RELOAD));
    if (reload && GetCursor()) UpdateFromCursor();
    return com::S_OK;
}

// --- IBoundObject ---------------------------------------------------------------------------

HResult ADBHelper::OnSourceChanged(com::DispId dispid, bool bound, bool* owner) {
    com::ICursor* cursor = nullptr;
    if (bound) {
        com::IUnknown* site = BindingSite();
        ComPtr<com::IBoundObjectSite> boundSite;
        if (site) site->QueryInterface(com::IBoundObjectSite::kIid, boundSite.PutVoid());
        if (boundSite) boundSite->GetCursor(dispid, &cursor, nullptr);
    }
    SetCursor(cursor);
    if (cursor) cursor->Release();   // the control keeps its own reference
    BindStoredCursor();
    if (owner) *owner = true;
    return com::S_OK;
}

HResult ADBHelper::IsDirty(com::DispId) { return dirty_ ? com::S_OK : com::S_FALSE; }

// --- Advising -------------------------------------------------------------------------------

HResult ADBHelper::AdviseCursor(com::ICursor* cursor) {
    UnadviseCursor();
    if (!cursor) return com::S_OK;
    ComPtr<com::IConnectionPointContainer> container;
    HResult hr = cursor->QueryInterface(com::IConnectionPointContainer::kIid, container.PutVoid());
    if (com::Failed(hr)) return hr;
    ComPtr<com::IConnectionPoint> point;
    hr = container->FindConnectionPoint(com::INotifyDBEvents::kIid, point.Put());
    if (com::Failed(hr)) return hr;
    std::uint32_t cookie = 0;
    hr = point->Advise(static_cast<com::INotifyDBEvents*>(&notifySink_), &cookie);
    if (com::Failed(hr)) return hr;
    container_ = std::move(container);
    point_ = std::move(point);
    cookie_ = cookie;
    return com::S_OK;
}

void ADBHelper::UnadviseCursor() {
    // Taken first: Unadvise releases the sink, which may release the last reference elsewhere.
    ComPtr<com::IConnectionPoint> point = std::move(point_);
    ComPtr<com::IConnectionPointContainer> container = std::move(container_);
    const std::uint32_t cookie = std::exchange(cookie_, 0);
    if (cookie != 0 && point) point->Unadvise(cookie);
}

bool ADBHelper::BindStoredCursor() {
    AdviseCursor(GetCursor());
    if (!GetCursor()) return false;
    UpdateFromCursor();
    return true;
}

// --- Columns --------------------------------------------------------------------------------

std::optional<ADBHelper::Column> ADBHelper::FindColumn(com::ICursor& cursor, const std::string& field) {
    std::uint32_t count = 0;
    ComPtr<com::ICursor> columns = ColumnsCursor(cursor, &count);
    if (!columns) return std::nullopt;
    const com::ColumnBinding bindings[] = {
        {com::MetaColumnName(), com::BindType::Text, kColumnNameBytes, com::kBindAnyType},
        {com::MetaColumnId(), com::BindType::ColumnIdValue, 0, com::kBindAnyType},
        {com::MetaColumnType(), com::BindType::Variant, 0, com::VT_I4}};
    if (com::Failed(columns->SetBindings(bindings))) return std::nullopt;
    for (;;) {
        com::FetchParams fetch;
        fetch.rowsRequested = 1;
        const HResult hr = columns->GetNextRows(0, &fetch);
        if (com::Failed(hr) || fetch.rows.empty()) return std::nullopt;
        const com::Row& row = fetch.rows.front();
        if (row.size() == 3 && row[0].status == com::DB_CELL_OK && SameColumnName(row[0].text, field)) {
            com::Variant type;
            const bool typed = com::Succeeded(com::ChangeType(type, row[2].value, com::VT_I4));
            return Column{row[1].column, typed ? type.AsI4() : 0};
        }
        if (hr == com::CURSOR_DB_S_ENDOFCURSOR) return std::nullopt;
    }
}

std::optional<com::Cell> ADBHelper::ReadColumn(const std::string& field, com::BindType type) {
    com::ICursor* cursor = GetCursor();
    ComPtr<com::ICursorMove> move;
    if (!cursor || com::Failed(cursor->QueryInterface(com::ICursorMove::kIid, move.PutVoid()))) return std::nullopt;
    com::IUnknown* raw = nullptr;
    if (com::Failed(move->Clone(com::DBCLONE_SAME_ROW, com::ICursor::kIid, &raw)) || !raw) return std::nullopt;
    const auto clone = ComPtr<com::ICursor>::Adopt(static_cast<com::ICursor*>(raw));
    const auto column = FindColumn(*clone, field);
    if (!column) return std::nullopt;
    const com::ColumnBinding binding{column->id, type,
                                     type == com::BindType::Text ? kTextColumnBytes : 0, com::kBindAnyType};
    ComPtr<com::ICursorMove> cloneMove = clone.As<com::ICursorMove>();
    if (!cloneMove || com::Failed(clone->SetBindings({&binding, 1}))) return std::nullopt;
    com::FetchParams fetch;
    fetch.rowsRequested = 1;
    const HResult hr = cloneMove->Move(com::Bookmark::Current(), 0, &fetch);
    if (com::Failed(hr) || hr == com::CURSOR_DB_S_ENDOFCURSOR || fetch.rows.empty() || fetch.rows[0].empty())
        return std::nullopt;
    return fetch.rows[0][0];
}

void ADBHelper::UpdateFromCursor() {
    const ZMValueKind kind = GetValueKind();
    const std::string field = GetDataField().ToAnsi();
    {
        FlagScope loading(loading_);
        if (kind == ZMValueKind::Value) {
            const auto cell = ReadColumn(field, com::BindType::Variant);
            SetBoundValue(cell ? cell->value : com::Variant());
        } else {
            const auto cell = ReadColumn(field, com::BindType::Text);
            const std::string text = cell ? cell->text : std::string();
            if (kind == ZMValueKind::Raw) SetBoundRawText(text);
            else SetBoundText(text);
        }
    }
    dirty_ = false;
}

void ADBHelper::SetBoundValue(const com::Variant& value) {
    com::Variant text;
    if (com::Succeeded(com::ChangeType(text, value, com::VT_BSTR))) SetBoundText(text.AsStr().ToAnsi());
}

com::Variant ADBHelper::GetBoundValue(std::int32_t) { return com::Variant(); }

// --- Writing back ---------------------------------------------------------------------------

HResult ADBHelper::WriteValue(com::ICursorUpdateARow& update) {
    ComPtr<com::ICursor> cursor;
    const HResult hr = update.QueryInterface(com::ICursor::kIid, cursor.PutVoid());
    if (com::Failed(hr)) return hr;
    const auto column = FindColumn(*cursor, GetDataField().ToAnsi());
    if (!column) return com::E_FAIL;
    com::Variant value;
    switch (GetValueKind()) {
    case ZMValueKind::Raw: value = com::Variant::Str(GetBoundRawText()); break;
    case ZMValueKind::Value: value = GetBoundValue(column->type); break;
    case ZMValueKind::Text: value = com::Variant::Str(GetBoundText()); break;
    }
    return update.SetColumn(column->id, value);
}

HResult ADBHelper::WriteColumn() {
    com::ICursor* cursor = GetCursor();
    if (!cursor) return com::E_FAIL;
    HResult hr = cursor->QueryInterface(com::ICursorUpdateARow::kIid, rowUpdate_.PutVoid());
    if (com::Succeeded(hr)) hr = WriteValue(*rowUpdate_);
    rowUpdate_.Reset();
    return hr;
}

// The row is about to change with an edit pending: the edit goes into the row it was made on.
// When the data source is not editing the row, the write is a whole update of its own, which is
// undone again if any step fails; when it is, the value joins the data source's own update.
HResult ADBHelper::WriteBeforeRowChange() {
    com::ICursor* cursor = GetCursor();
    if (!cursor) return com::E_FAIL;
    HResult hr = cursor->QueryInterface(com::ICursorUpdateARow::kIid, rowUpdate_.PutVoid());
    std::uint32_t mode = 0;
    if (com::Succeeded(hr)) hr = rowUpdate_->GetEditMode(&mode);
    const bool ownUpdate = com::Succeeded(hr) && mode == com::DBEDITMODE_NONE;
    if (ownUpdate) hr = rowUpdate_->BeginUpdate(com::DB_UPDATE_CURRENT_ROW);
    if (com::Succeeded(hr)) hr = WriteValue(*rowUpdate_);
    if (ownUpdate && com::Succeeded(hr)) hr = rowUpdate_->Update(nullptr);
    if (ownUpdate && com::Failed(hr)) rowUpdate_->Cancel();
    if (com::Succeeded(hr)) dirty_ = false;
    rowUpdate_.Reset();
    return hr;
}

// --- Column names for the DataField list ----------------------------------------------------

HResult ADBHelper::LoadColumnNames(com::DispId dataSourceId) {
    columnNames_.clear();
    columnIds_.clear();
    com::IUnknown* site = BindingSite();
    if (!site) return com::E_FAIL;
    ComPtr<com::IBoundObjectSite> boundSite;
    HResult hr = site->QueryInterface(com::IBoundObjectSite::kIid, boundSite.PutVoid());
    if (com::Failed(hr)) return hr;
    com::ICursor* raw = nullptr;
    hr = boundSite->GetCursor(dataSourceId, &raw, nullptr);
    if (com::Failed(hr) || !raw) return com::Failed(hr) ? hr : com::E_FAIL;
    const auto cursor = ComPtr<com::ICursor>::Adopt(raw);
    std::uint32_t count = 0;
    ComPtr<com::ICursor> columns = ColumnsCursor(*cursor, &count);
    if (!columns) return com::E_FAIL;
    const com::ColumnBinding bindings[] = {
        {com::MetaColumnName(), com::BindType::Text, 0, com::kBindAnyType},
        {com::MetaColumnBindable(), com::BindType::Variant, 0, com::VT_BOOL},
        {com::MetaColumnId(), com::BindType::ColumnIdValue, 0, com::kBindAnyType}};
    if (const HResult b = columns->SetBindings(bindings); com::Failed(b)) return b;
    com::FetchParams fetch;
    fetch.rowsRequested = count;
    hr = columns->GetNextRows(0, &fetch);
    if (com::Failed(hr)) return hr;
    for (const com::Row& row : fetch.rows) {
        if (row.size() != 3) continue;
        com::Variant bindable;
        const bool canBind = com::Succeeded(com::ChangeType(bindable, row[1].value, com::VT_BOOL)) && bindable.AsBool();
        if (!canBind || row[0].status == com::DB_CELL_NULL || row[0].status == com::DB_CELL_UNAVAILABLE) continue;
        columnNames_.push_back(row[0].text);
        columnIds_.push_back(row[2].column);
    }
    return com::S_OK;
}

}  // namespace zmtext
