// The data grid the program's windows host: rows of a data control's recordset, or of an array
// object the window fills and shares with the grid.
//
// Late-bound members (grid_object.h maps each DISPID to one call here):
//   DISPID  member           C++
//   14      Row              Row (read only): the current row, 0-based; -1 when there is none
//   5       Bookmark         Bookmark: the current row as the source knows it: the array's row
//                            index (1-based where the array is), or the record's 1-based position
//   55      HighlightColor   HighlightColor / SetHighlightColor: the current row's highlight
//   8       Columns          the columns; item n's DISPID 5 is its heading (ColumnCaption)
//   94      Array            SetArray (put only): the array object the grid shows, given by
//                            reference; Nothing unbinds it
//   102     RowCountHint     SetRowCountHint: rows the window expects; advisory only
//   103     Update           UpdatePendingEdit: a cell edit still open goes into the array now
//   -550    Refresh          Refresh
//   -514    Enabled
// Visible, SetFocus and the focus, key and double-click events are the window's
// (forms::Control). Events of the grid itself: RowColChange(last row, last column) when the
// current cell moves (by the user or SetRow, not by a Refresh), and AfterColUpdate(column) once
// a user's edit of a cell is stored.
//
// Editing: rows of a data control are shown, never edited here. Cells of an array are edited in
// place, except in locked columns; a column with value items shows each stored value by its text
// ("S" as "SIM") and offers the texts in a list, storing the value of the one the user picks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/controls/grid/array_object.h"
#include "platform/forms/controls.h"

class QTableView;

namespace forms {
class DataControl;
}

namespace controls::grid {

struct ValueItem {
    std::string value;     // as stored
    std::string display;   // as shown and offered
};

struct GridColumn {
    std::string caption;
    std::string dataField;              // a data control's field; array columns go by position
    std::vector<ValueItem> valueItems;
    bool locked = false;                // the user cannot edit the column
    int width = 0;                      // twips; 0 fits the heading and the contents
};

// A cell as the grid shows it: numbers ("1.234,5"), currency ("1.234,50") and dates
// ("31/12/2026") in the regional format, numbers right-aligned.
struct ShownCell {
    std::string text;
    bool number = false;
};

class GridObject;
class GridModel;
class GridDelegate;

class DataGrid : public forms::Control {
public:
    DataGrid(forms::Window& window, std::string name, QWidget* parent);
    ~DataGrid() override;
    com::IDispatch* Object() const;

    // Columns, as the window declares them. Without any, the grid shows every field of the
    // recordset (headed by its name) or every column of the array (headed by its number).
    GridColumn& AddColumn(std::string caption, std::string dataField = {});
    int ColumnCount() const;
    // 9 "Subscript out of range" outside the columns.
    const GridColumn& Column(int index) const;
    void SetColumnCaption(int index, const std::string& caption);
    void SetValueItems(int index, std::vector<ValueItem> items);
    void SetColumnLocked(int index, bool locked);
    // The width the window gives a column, in twips; 0 fits it to its heading and contents.
    void SetColumnWidth(int index, int twips);
    // The record selector: a button column left of the rows, the current row marked.
    void SetRecordSelectors(bool shown);
    bool RecordSelectors() const;

    // Sources: binding one drops the other.
    void SetDataSource(forms::DataControl& data);
    void SetArray(com::ComPtr<ArrayObject> array);   // nullptr: no rows
    ArrayObject* Array() const { return array_.Get(); }

    // Reads the rows again: the recordset's rows (the first becomes current) or the array's cells
    // (the current cell stays where it was when it still exists).
    void Refresh();
    int RowCount() const;
    // The text a cell shows (a value item's text in place of its value, numbers and dates in the
    // regional format).
    std::string CellText(int row, int column) const;
    ShownCell Cell(int row, int column) const;

    int Row() const;
    int Col() const;
    // Moves the current cell (row -1 clears it); 9 outside the rows or columns.
    void SetRow(int row);
    void SetCurrentCell(int row, int column);
    com::Variant Bookmark() const;   // Null without a current row

    std::uint32_t HighlightColor() const { return highlight_; }
    void SetHighlightColor(std::uint32_t color);
    long RowCountHint() const { return rowCountHint_; }
    void SetRowCountHint(long rows) { rowCountHint_ = rows; }
    // Stores a cell edit the user has not finished; nothing when no editor is open.
    void UpdatePendingEdit();

    std::function<void(int lastRow, int lastCol)> RowColChange;
    std::function<void(int column)> AfterColUpdate;

    QTableView& View() const;

private:
    friend class GridModel;
    friend class GridDelegate;

    void ReloadRecordset();
    void PositionRecordset(int row) const;
    void OnArrayChanged(const ArrayObject::Change& change);
    void OnCurrentChanged(int row, int column, int lastRow, int lastCol);
    std::string SourceText(int row, int column) const;   // the stored value, as text
    bool StoreCell(int row, int column, const std::string& value);
    void EnsureColumns();
    void Unbind();
    void ApplyLayout();

    // Rows a fitted column measures: the grids' sources are short lists, and a long one still
    // opens at once.
    static constexpr int kFitRows = 500;
    static constexpr int kRowPadding = 3;   // pixels of a row beyond the font's height

    std::vector<GridColumn> columns_;
    forms::DataControl* data_ = nullptr;
    std::shared_ptr<int> alive_;   // the data control's refresh callback checks it
    std::vector<std::vector<ShownCell>> records_;   // the recordset's rows as shown
    com::ComPtr<ArrayObject> array_;
    int arrayToken_ = 0;
    std::uint32_t highlight_ = 0x8000000Du;
    long rowCountHint_ = 0;
    bool quiet_ = false;   // current-cell moves made by a reload fire no event
    std::unique_ptr<GridModel> model_;
    std::unique_ptr<GridDelegate> delegate_;
    com::ComPtr<GridObject> object_;
};

// The program's focus highlight for a grid (forms/focus.h): its current row shows RowFocused
// while the grid has the focus and RowPlain otherwise. Sets the grid's GotFocus and LostFocus.
void HighlightRowOnFocus(DataGrid& grid);

}  // namespace controls::grid
