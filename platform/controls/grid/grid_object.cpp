#include "platform/controls/grid/grid_object.h"

namespace controls::grid {
namespace {

using com::Variant;
using GridArgs = com::DispatchTable<GridObject>::Args;

// The array object a put of DISPID 94 hands over; Nothing or Empty unbinds the grid.
com::ComPtr<ArrayObject> ArrayArgument(const Variant& value) {
    const Variant v = value.Deref();
    if (v.IsEmpty() || (v.BaseType() == com::VT_DISPATCH && !v.AsDispatch())) return nullptr;
    auto* array = v.BaseType() == com::VT_DISPATCH ? dynamic_cast<ArrayObject*>(v.AsDispatch()) : nullptr;
    if (!array) win::Raise(win::err::TypeMismatch, "DataGrid");
    return com::ComPtr<ArrayObject>(array);
}

void AddCurrentRowMembers(com::DispatchTable<GridObject>& t) {
    t.Property(
        "Bookmark", com::VT_VARIANT, {}, [](GridObject& g, GridArgs) { return g.Control().Bookmark(); },
        nullptr, 5);
    t.Property(
        "Row", com::VT_I4, {}, [](GridObject& g, GridArgs) { return Variant::I4(g.Control().Row()); }, nullptr,
        14);
}

void AddLookMembers(com::DispatchTable<GridObject>& t) {
    t.Property(
        "HighlightColor", com::VT_VARIANT, {},
        [](GridObject& g, GridArgs) { return ColorResult(g.Control().HighlightColor()); },
        [](GridObject& g, GridArgs, const Variant& v) { g.Control().SetHighlightColor(ColorArgument(v)); }, 55);
    t.Property(
        "Enabled", com::VT_BOOL, {}, [](GridObject& g, GridArgs) { return Variant::Bool(g.Control().Enabled()); },
        [](GridObject& g, GridArgs, const Variant& v) { g.Control().SetEnabled(v.AsBool()); }, com::DISPID_ENABLED);
    t.Property(
        "Columns", com::VT_DISPATCH, {},
        [](GridObject& g, GridArgs) {
            g.Control();   // 364 when the grid is gone
            return Variant::Dispatch(ColumnsObject::Create(com::ComPtr<GridObject>(&g)));
        },
        nullptr, 8);
}

void AddSourceMembers(com::DispatchTable<GridObject>& t) {
    t.Property(
        "Array", com::VT_VARIANT, {}, nullptr,
        [](GridObject& g, GridArgs, const Variant& v) { g.Control().SetArray(ArrayArgument(v)); }, 94);
    t.Method(
        "RowCountHint", com::VT_EMPTY, {com::VT_I4},
        [](GridObject& g, GridArgs a) {
            g.Control().SetRowCountHint(a[0].AsI4());
            return Variant();
        },
        102);
    t.Method(
        "Update", com::VT_EMPTY, {},
        [](GridObject& g, GridArgs) {
            g.Control().UpdatePendingEdit();
            return Variant();
        },
        103);
    t.Method(
        "Refresh", com::VT_EMPTY, {},
        [](GridObject& g, GridArgs) {
            g.Control().Refresh();
            return Variant();
        },
        com::DISPID_REFRESH);
}

}  // namespace

const com::DispatchMap& GridObject::DispatchMembers() {
    static const com::DispatchTable<GridObject> table = [] {
        com::DispatchTable<GridObject> t("DataGrid");
        AddCurrentRowMembers(t);
        AddLookMembers(t);
        AddSourceMembers(t);
        return t;
    }();
    return table.Map();
}

const com::DispatchMap& ColumnsObject::DispatchMembers() {
    static const com::DispatchTable<ColumnsObject> table = [] {
        com::DispatchTable<ColumnsObject> t("DataGrid");
        t.Property(
            "Item", com::VT_DISPATCH, {com::VT_I4},
            [](ColumnsObject& c, com::DispatchTable<ColumnsObject>::Args i) {
                c.Grid().Control().Column(i[0].AsI4());   // 9 outside the columns
                return Variant::Dispatch(ColumnObject::Create(com::ComPtr<GridObject>(&c.Grid()), i[0].AsI4()));
            },
            nullptr, com::DISPID_VALUE);
        return t;
    }();
    return table.Map();
}

const com::DispatchMap& ColumnObject::DispatchMembers() {
    static const com::DispatchTable<ColumnObject> table = [] {
        using Args = com::DispatchTable<ColumnObject>::Args;
        com::DispatchTable<ColumnObject> t("DataGrid");
        t.Property(
            "Caption", com::VT_BSTR, {},
            [](ColumnObject& c, Args) { return Variant::Utf8(c.Grid().Column(c.Index()).caption); },
            [](ColumnObject& c, Args, const Variant& v) { c.Grid().SetColumnCaption(c.Index(), v.AsStr().ToUtf8()); },
            5);
        return t;
    }();
    return table.Map();
}

}  // namespace controls::grid
