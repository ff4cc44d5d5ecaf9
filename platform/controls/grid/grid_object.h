// The grid's late-bound members (the table is in data_grid.h), its columns collection (DISPID 8;
// item n by the default member) and a column (DISPID 5: its heading).
#pragma once

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/control_object.h"

namespace controls::grid {

class GridObject final : public ControlObject<GridObject, DataGrid> {
public:
    static const com::DispatchMap& DispatchMembers();
    explicit GridObject(DataGrid& grid) : ControlObject(grid, "DataGrid") {}
};

class ColumnsObject final : public com::DispatchObject<ColumnsObject> {
public:
    static const com::DispatchMap& DispatchMembers();
    explicit ColumnsObject(com::ComPtr<GridObject> grid) : grid_(std::move(grid)) {}
    GridObject& Grid() const { return *grid_; }

private:
    com::ComPtr<GridObject> grid_;   // the grid's object outlives the control; its members raise 364
};

class ColumnObject final : public com::DispatchObject<ColumnObject> {
public:
    static const com::DispatchMap& DispatchMembers();
    ColumnObject(com::ComPtr<GridObject> grid, int index) : grid_(std::move(grid)), index_(index) {}
    DataGrid& Grid() const { return grid_->Control(); }
    int Index() const { return index_; }

private:
    com::ComPtr<GridObject> grid_;
    int index_;
};

}  // namespace controls::grid
