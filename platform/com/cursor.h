// The data-source cursor interfaces a bound control and a data source meet through.
//
// Interface ids and status codes are the cursor model's. The records (column ids, bindings,
// fetched rows) are our own value types: rows come back as cells rather than as bytes at bound
// offsets, so no side depends on another's structure layout, and nothing needs a task
// allocator to free them. A data source also offers IConnectionPointContainer with a point for
// INotifyDBEvents, where a bound control advises its sink.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"

namespace com {

// Statuses and codes.
inline constexpr HResult CURSOR_DB_S_ENDOFCURSOR = MakeHResult(0x00040EC3);

inline constexpr std::uint32_t DBEVENT_CURRENT_ROW_CHANGED = 0x01;
inline constexpr std::uint32_t DBEVENT_CURRENT_ROW_DATA_CHANGED = 0x02;
inline constexpr std::uint32_t DBEVENT_SET_OF_ROWS_CHANGED = 0x20;

inline constexpr std::uint32_t DBREASON_INSERTED = 2;
inline constexpr std::uint32_t DBREASON_MODIFIED = 3;
inline constexpr std::uint32_t DBREASON_ADDNEW = 20;
// The further reason on which a bound control reloads its value.
inline constexpr std::uint32_t DBREASON_RELOAD = 33;

inline constexpr std::uint32_t DBEDITMODE_NONE = 1;
inline constexpr std::uint32_t DBEDITMODE_UPDATE = 2;
inline constexpr std::uint32_t DBEDITMODE_ADD = 3;
// BeginUpdate of the current row.
inline constexpr std::uint32_t DB_UPDATE_CURRENT_ROW = 1;

inline constexpr std::uint32_t DBCLONE_SAME_ROW = 1;

// Cell statuses: a value that is Null, and one that cannot be read.
inline constexpr std::int32_t DB_CELL_OK = 0;
inline constexpr std::int32_t DB_CELL_NULL = -1;
inline constexpr std::int32_t DB_CELL_UNAVAILABLE = -2;

enum class ColumnIdKind : std::uint32_t { GuidName = 0, GuidNumber = 1, Name = 2 };

struct ColumnId {
    Guid guid;
    ColumnIdKind kind = ColumnIdKind::Name;
    std::uint32_t number = 0;   // GuidNumber
    std::string name;           // GuidName and Name
    friend bool operator==(const ColumnId&, const ColumnId&) = default;
};

// The metadata columns of a columns cursor: one row per column of the data cursor.
const Guid& MetadataColumnsGuid();
ColumnId MetaColumnName();       // the column's name (text)
ColumnId MetaColumnId();         // its ColumnId (in Cell::column)
ColumnId MetaColumnType();       // its data type (a VarType, as a 4-byte integer)
ColumnId MetaColumnBindable();   // whether it can be bound (boolean)

enum class BindType : std::uint32_t { Text = 0, Variant = 1, ColumnIdValue = 2 };

// VT_VARIANT binding "any type": the value comes in the column's own kind.
inline constexpr std::uint16_t kBindAnyType = 511;

struct ColumnBinding {
    ColumnId column;
    BindType type = BindType::Text;
    std::uint32_t maxLength = 0;          // Text: bytes kept at most (0: no limit)
    std::uint16_t variantType = kBindAnyType;
};

struct Cell {
    std::int32_t status = DB_CELL_OK;
    std::string text;      // BindType::Text (narrow text)
    Variant value;         // BindType::Variant
    ColumnId column;       // BindType::ColumnIdValue
};
using Row = std::vector<Cell>;   // one cell per binding, in binding order

struct FetchParams {
    std::uint32_t rowsRequested = 1;
    std::vector<Row> rows;   // filled by the cursor
};

struct Bookmark {
    std::vector<std::uint8_t> bytes;
    static Bookmark Current() { return Bookmark{{0xFF, 0xFE}}; }   // the current row
    friend bool operator==(const Bookmark&, const Bookmark&) = default;
};

struct DBNotifyReason {
    std::uint32_t reason = 0;
    Variant arg1;
    Variant arg2;
};

class ICursor : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{9F6AA700-D188-11CD-AD48-00AA003C9CB6}");
    // A cursor over the metadata of this cursor's columns and how many columns there are.
    virtual HResult GetColumnsCursor(const Guid& iid, IUnknown** columns, std::uint32_t* count) = 0;
    // Replaces the bindings that fetches fill.
    virtual HResult SetBindings(std::span<const ColumnBinding> bindings) = 0;
    // Skips `skip` rows, then fetches; CURSOR_DB_S_ENDOFCURSOR when it reached the end.
    virtual HResult GetNextRows(std::int64_t skip, FetchParams* fetch) = 0;

protected:
    ~ICursor() = default;
};

class ICursorMove : public ICursor {
public:
    static inline const Guid kIid = Guid::FromString("{ACFF0690-D188-11CD-AD48-00AA003C9CB6}");
    // Moves `offset` rows from `from` and fetches from there.
    virtual HResult Move(const Bookmark& from, std::int64_t offset, FetchParams* fetch) = 0;
    virtual HResult GetBookmark(Bookmark* out) = 0;
    // A new cursor over the same data (at the same row with DBCLONE_SAME_ROW).
    virtual HResult Clone(std::uint32_t flags, const Guid& iid, IUnknown** out) = 0;

protected:
    ~ICursorMove() = default;
};

class ICursorUpdateARow : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{D14216A0-D188-11CD-AD48-00AA003C9CB6}");
    virtual HResult BeginUpdate(std::uint32_t flags) = 0;
    virtual HResult SetColumn(const ColumnId& column, const Variant& value) = 0;
    virtual HResult GetColumn(const ColumnId& column, Variant* value) = 0;
    virtual HResult GetEditMode(std::uint32_t* mode) = 0;
    virtual HResult Update(Bookmark* written) = 0;
    virtual HResult Cancel() = 0;
    virtual HResult Delete() = 0;

protected:
    ~ICursorUpdateARow() = default;
};

class INotifyDBEvents : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{DB526CC0-D188-11CD-AD48-00AA003C9CB6}");
    using Reasons = std::span<const DBNotifyReason>;
    virtual HResult OKToDo(std::uint32_t events, Reasons reasons) = 0;
    virtual HResult Cancelled(std::uint32_t events, Reasons reasons) = 0;
    virtual HResult SyncBefore(std::uint32_t events, Reasons reasons) = 0;
    virtual HResult AboutToDo(std::uint32_t events, Reasons reasons) = 0;
    virtual HResult FailedToDo(std::uint32_t events, Reasons reasons) = 0;
    virtual HResult SyncAfter(std::uint32_t events, Reasons reasons) = 0;
    virtual HResult DidEvent(std::uint32_t events, Reasons reasons) = 0;

protected:
    ~INotifyDBEvents() = default;
};

class IBoundObject : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{9BFBBC00-EFF1-101A-84ED-00AA00341D07}");
    virtual HResult OnSourceChanged(DispId id, bool bound, bool* owner) = 0;
    // S_OK when the bound value was changed and not yet written, S_FALSE otherwise.
    virtual HResult IsDirty(DispId id) = 0;

protected:
    ~IBoundObject() = default;
};

class IBoundObjectSite : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{9BFBBC01-EFF1-101A-84ED-00AA00341D07}");
    virtual HResult GetCursor(DispId id, ICursor** cursor, void* qualifier) = 0;

protected:
    ~IBoundObjectSite() = default;
};

}  // namespace com
