// ADBHelper: the data-binding base of the edit controls. It binds one control to one column of
// a data source's cursor: it advises the cursor's INotifyDBEvents connection point, loads the
// bound column into the control when the current row changes, and writes the control's value
// back into the column before the row is left or updated.
//
// A control derives from its control base and from ADBHelper, passes its own IUnknown to the
// constructor, answers QueryInterface for INotifyDBEvents and IBoundObject through
// QueryBindingInterface, and overrides the per-control operations (DataField, the cursor it
// stores for DataSource, its bound text, and for the value controls the bound value).
//
// States: unbound (no cursor, no cookie) -> bound (cursor stored, advised, value loaded).
// Invariants:
//   1. cookie_ != 0 exactly while point_ holds the advised notification sink;
//   2. the dirty flag (the control's DataChanged) is set by edits and cleared after every load
//      and after every successful write-back;
//   3. the loading flag is set only while the control is being filled from the cursor;
//   4. the row-update interface is held only during one write-back.
// When the current row is about to change while the control holds an edit that was not written,
// the edit is written into the row first (BeginUpdate, SetColumn, Update), so it is not lost.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/connection.h"
#include "platform/com/cursor.h"

namespace zmtext {

// What a control's DataProperty says the binding exchanges.
enum class ZMValueKind { Text = 0, Raw = 1, Value = 2 };

class ADBHelper {
public:
    using Reasons = com::INotifyDBEvents::Reasons;

    // `outer`: the owning control's IUnknown, which the two binding interfaces delegate their
    // reference counts and QueryInterface to.
    explicit ADBHelper(com::IUnknown& outer);
    virtual ~ADBHelper();
    ADBHelper(const ADBHelper&) = delete;
    ADBHelper& operator=(const ADBHelper&) = delete;

    // INotifyDBEvents and IBoundObject of the control, or E_NOINTERFACE.
    com::HResult QueryBindingInterface(const com::Guid& iid, void** out);

    // --- Notifications of the cursor (INotifyDBEvents) -----------------------------------
    virtual com::HResult OKToDo(std::uint32_t events, Reasons reasons);
    virtual com::HResult Cancelled(std::uint32_t events, Reasons reasons);
    // Writes a pending edit before the row changes or is updated; the write's status.
    virtual com::HResult SyncBefore(std::uint32_t events, Reasons reasons);
    virtual com::HResult AboutToDo(std::uint32_t events, Reasons reasons);
    virtual com::HResult FailedToDo(std::uint32_t events, Reasons reasons);
    // Reloads the column after the row changed, a row was inserted or added, or its data was
    // reloaded.
    virtual com::HResult SyncAfter(std::uint32_t events, Reasons reasons);
    virtual com::HResult DidEvent(std::uint32_t events, Reasons reasons);

    // --- IBoundObject ---------------------------------------------------------------------
    // Takes the cursor for `dispid` from the container site (or drops it when not bound),
    // advises it and loads the column; *owner becomes true.
    virtual com::HResult OnSourceChanged(com::DispId dispid, bool bound, bool* owner);
    // S_OK when the control holds an edit not yet written, S_FALSE otherwise.
    virtual com::HResult IsDirty(com::DispId dispid);

    // --- Per control ----------------------------------------------------------------------
    virtual com::Bstr GetDataField() = 0;
    virtual com::ICursor* GetCursor() = 0;           // the stored cursor (no added reference)
    virtual void SetCursor(com::ICursor* cursor) = 0;   // stores it (DataSource)
    virtual com::Bstr GetBoundText() = 0;
    virtual void SetBoundText(const std::string& cp1252) = 0;
    virtual ZMValueKind GetValueKind() { return ZMValueKind::Text; }
    virtual com::Bstr GetBoundRawText() { return GetBoundText(); }
    virtual void SetBoundRawText(const std::string& cp1252) { SetBoundText(cp1252); }
    // Loads the bound column of the current row into the control (empty when the column is
    // unknown, the read fails or the cursor is at its end) and clears the dirty flag.
    virtual void UpdateFromCursor();
    // The base puts the value's text into the control.
    virtual void SetBoundValue(const com::Variant& value);
    // The value to write into a column of `columnType`; the base has none (empty).
    virtual com::Variant GetBoundValue(std::int32_t columnType);
    // The container's client site, where IBoundObjectSite is asked for; none by default.
    virtual com::IUnknown* BindingSite() { return nullptr; }

    // --- For the control --------------------------------------------------------------------
    // Unadvises, then advises `cursor` (when given); a failure leaves the control unadvised.
    com::HResult AdviseCursor(com::ICursor* cursor);
    void UnadviseCursor();
    bool IsAdvised() const { return cookie_ != 0; }
    // What the DataSource setter does after storing the cursor: advise it and load the column;
    // returns whether a cursor is bound (the control then reports the DataSource change).
    bool BindStoredCursor();
    // Writes the control's value into the bound column of the current row.
    com::HResult WriteColumn();

    // The bindable column names of the cursor the site gives for `dataSourceId`, for the
    // DataField list; the names and their ids stay aligned by index.
    com::HResult LoadColumnNames(com::DispId dataSourceId);
    const std::vector<std::string>& ColumnNames() const { return columnNames_; }
    const std::vector<com::ColumnId>& ColumnIds() const { return columnIds_; }

    bool DataChanged() const { return dirty_; }
    void SetDataChanged(bool changed) { dirty_ = changed; }
    bool IsLoading() const { return loading_; }

private:
    // The two interface tables inside the control; both delegate reference counting and
    // QueryInterface to the control and hand every call to the operations above.
    class NotifySink final : public com::INotifyDBEvents {
    public:
        explicit NotifySink(ADBHelper& owner) : owner_(owner) {}
        com::HResult QueryInterface(const com::Guid& iid, void** out) override;
        std::uint32_t AddRef() override;
        std::uint32_t Release() override;
        com::HResult OKToDo(std::uint32_t events, Reasons reasons) override;
        com::HResult Cancelled(std::uint32_t events, Reasons reasons) override;
        com::HResult SyncBefore(std::uint32_t events, Reasons reasons) override;
        com::HResult AboutToDo(std::uint32_t events, Reasons reasons) override;
        com::HResult FailedToDo(std::uint32_t events, Reasons reasons) override;
        com::HResult SyncAfter(std::uint32_t events, Reasons reasons) override;
        com::HResult DidEvent(std::uint32_t events, Reasons reasons) override;

    private:
        ADBHelper& owner_;
    };
    class BoundObject final : public com::IBoundObject {
    public:
        explicit BoundObject(ADBHelper& owner) : owner_(owner) {}
        com::HResult QueryInterface(const com::Guid& iid, void** out) override;
        std::uint32_t AddRef() override;
        std::uint32_t Release() override;
        com::HResult OnSourceChanged(com::DispId dispid, bool bound, bool* owner) override;
        com::HResult IsDirty(com::DispId dispid) override;

    private:
        ADBHelper& owner_;
    };
    struct Column {
        com::ColumnId id;
        std::int32_t type = 0;
    };

    std::optional<Column> FindColumn(com::ICursor& cursor, const std::string& field);
    std::optional<com::Cell> ReadColumn(const std::string& field, com::BindType type);
    com::HResult WriteValue(com::ICursorUpdateARow& update);
    com::HResult WriteBeforeRowChange();

    com::IUnknown& outer_;
    NotifySink notifySink_{*this};
    BoundObject boundObject_{*this};
    com::ComPtr<com::IConnectionPoint> point_;
    com::ComPtr<com::IConnectionPointContainer> container_;
    std::uint32_t cookie_ = 0;
    bool dirty_ = false;
    bool loading_ = false;
    std::vector<std::string> columnNames_;
    std::vector<com::ColumnId> columnIds_;
    com::ComPtr<com::ICursorUpdateARow> rowUpdate_;
};

}  // namespace zmtext
