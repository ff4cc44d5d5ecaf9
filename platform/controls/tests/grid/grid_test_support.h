// Shared pieces of the grid's tests: a window to host the grid, and the grid's members by DISPID.
#pragma once

#include <QComboBox>
#include <QTableView>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/tests/report_test_support.h"   // the test program's QApplication
#include "platform/forms/window.h"

namespace grid_test {

using com::Variant;

namespace dispid {
inline constexpr com::DispId Bookmark = 5, Columns = 8, Row = 14, Highlight = 55, Array = 94,
                             RowCountHint = 102, Update = 103;
}  // namespace dispid

class HostWindow : public forms::Window {
public:
    HostWindow() : Window("Consolidacao") {}
};

// The list editor the grid shows (a closed one is hidden until Qt deletes it), or nullptr.
inline QComboBox* OpenList(controls::grid::DataGrid& grid) {
    for (QComboBox* combo : grid.View().findChildren<QComboBox*>())
        if (combo->isVisible()) return combo;
    return nullptr;
}

// Opens the editor of a cell as a click on the current cell does.
inline void BeginEdit(controls::grid::DataGrid& grid, int row, int column) {
    grid.SetCurrentCell(row, column);
    grid.View().edit(grid.View().model()->index(row, column));
}

}  // namespace grid_test
