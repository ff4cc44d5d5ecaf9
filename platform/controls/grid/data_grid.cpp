#include "platform/controls/grid/data_grid.h"

#include <QAbstractTableModel>
#include <algorithm>
#include <QComboBox>
#include <QHeaderView>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTableView>

#include "platform/controls/grid/grid_object.h"
#include "platform/forms/colors.h"
#include "platform/forms/datacontrol.h"
#include "platform/win/error.h"

namespace controls::grid {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QTableView* MakeView(QWidget* parent) {
    return std::make_unique<QTableView>(parent).release();   // the parent owns it
}

// A cell's value as text: Empty and Null as "", booleans as "True"/"False".
std::string TextOf(const com::Variant& value) {
    if (value.Type() == com::VT_EMPTY || value.Type() == com::VT_NULL) return {};
    com::Variant text;
    if (com::Failed(com::ChangeType(text, value, com::VT_BSTR, com::kAlphaBool))) return {};
    return text.AsStr().ToUtf8();
}

std::string TextOf(const dao::Value& value) {
    const forms::Value v = forms::FromDao(value);
    return v.IsNull() ? std::string() : forms::CStr(v);
}

}  // namespace

// The grid's rows as Qt sees them; every cell is read from the grid when drawn.
class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(DataGrid& grid) : grid_(grid) {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : rows_; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : columns_; }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) return Q(grid_.CellText(index.row(), index.column()));
        if (role == Qt::EditRole) return Q(grid_.SourceText(index.row(), index.column()));
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= grid_.ColumnCount()) return {};
        return Q(grid_.Column(section).caption);
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (index.isValid() && grid_.Array() && index.column() < grid_.ColumnCount() &&
            !grid_.Column(index.column()).locked)
            flags |= Qt::ItemIsEditable;
        return flags;
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole) return false;
        return grid_.StoreCell(index.row(), index.column(), value.toString().toStdString());
    }

    // The shape changed: rows and columns are counted again.
    void Reset() {
        beginResetModel();
        rows_ = grid_.RowCount();
        columns_ = grid_.ColumnCount();
        endResetModel();
    }
    bool SameShape() const { return rows_ == grid_.RowCount() && columns_ == grid_.ColumnCount(); }
    void CellsChanged(int row, int column, int lastRow, int lastColumn) {
        if (rows_ == 0 || columns_ == 0) return;
        emit dataChanged(index(row, column), index(lastRow, lastColumn));
    }
    void CellsChanged() { CellsChanged(0, 0, rows_ - 1, columns_ - 1); }
    void HeaderChanged(int column) { emit headerDataChanged(Qt::Horizontal, column, column); }

private:
    DataGrid& grid_;
    int rows_ = 0;
    int columns_ = 0;
};

// Cell editors: a list of the value items' texts for a column that has them, Qt's own editor
// otherwise. Keeps the one open editor, so that the window can have it stored (Update, 103).
class GridDelegate : public QStyledItemDelegate {
public:
    explicit GridDelegate(DataGrid& grid) : grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        const auto& items = grid_.Column(index.column()).valueItems;
        QWidget* editor = nullptr;
        if (items.empty()) {
            editor = QStyledItemDelegate::createEditor(parent, option, index);
        } else {
            auto* combo = std::make_unique<QComboBox>(parent).release();   // the view owns it
            for (const auto& item : items) combo->addItem(Q(item.display));
            // A pick from the list is stored at once, so that the window's check of the new
            // value runs while the user still looks at the cell.
            auto* self = const_cast<GridDelegate*>(this);
            QObject::connect(combo, &QComboBox::activated, combo, [self, combo] {
                emit self->commitData(combo);
                emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
            });
            editor = combo;
        }
        open_ = editor;
        openIndex_ = index;
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = qobject_cast<QComboBox*>(editor);
        if (!combo) return QStyledItemDelegate::setEditorData(editor, index);
        const auto& items = grid_.Column(index.column()).valueItems;
        const std::string stored = grid_.SourceText(index.row(), index.column());
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].value == stored) combo->setCurrentIndex(static_cast<int>(i));
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        auto* combo = qobject_cast<QComboBox*>(editor);
        if (!combo) return QStyledItemDelegate::setModelData(editor, model, index);
        const auto& items = grid_.Column(index.column()).valueItems;
        const int picked = combo->currentIndex();
        if (picked < 0 || picked >= static_cast<int>(items.size())) return;
        model->setData(index, Q(items[static_cast<std::size_t>(picked)].value), Qt::EditRole);
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        if (editor == open_) open_ = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    // Stores the open editor's value and closes it.
    void CommitOpen(QAbstractItemModel& model) {
        if (!open_ || !openIndex_.isValid()) return;
        QWidget* editor = open_;
        open_ = nullptr;
        setModelData(editor, &model, openIndex_);
        emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

private:
    DataGrid& grid_;
    mutable QPointer<QWidget> open_;
    mutable QPersistentModelIndex openIndex_;
};

DataGrid::DataGrid(forms::Window& window, std::string name, QWidget* parent)
    : forms::Control(window, std::move(name), MakeView(parent)),
      alive_(std::make_shared<int>(0)),
      model_(std::make_unique<GridModel>(*this)),
      delegate_(std::make_unique<GridDelegate>(*this)),
      object_(GridObject::Create(*this)) {
    QTableView& view = View();
    view.setModel(model_.get());
    view.setItemDelegate(delegate_.get());
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
    view.verticalHeader()->hide();
    QObject::connect(view.selectionModel(), &QItemSelectionModel::currentChanged,
                     [this](const QModelIndex& current, const QModelIndex& previous) {
                         OnCurrentChanged(current.row(), current.column(), previous.row(), previous.column());
                     });
    QObject::connect(&view, &QAbstractItemView::doubleClicked, [this] { Fire(DblClick); });
    SetHighlightColor(highlight_);
}

DataGrid::~DataGrid() {
    object_->Detach();
    Unbind();
    if (Widget()) {
        View().setModel(nullptr);
        View().setItemDelegate(nullptr);
    }
}

com::IDispatch* DataGrid::Object() const { return object_.Get(); }
QTableView& DataGrid::View() const { return *static_cast<QTableView*>(Widget()); }

// --- Columns -------------------------------------------------------------------------------------

GridColumn& DataGrid::AddColumn(std::string caption, std::string dataField) {
    columns_.push_back({std::move(caption), std::move(dataField), {}, false});
    model_->Reset();
    return columns_.back();
}

int DataGrid::ColumnCount() const { return static_cast<int>(columns_.size()); }

const GridColumn& DataGrid::Column(int index) const {
    if (index < 0 || index >= ColumnCount()) win::Raise(win::err::SubscriptOutOfRange, Name());
    return columns_[static_cast<std::size_t>(index)];
}

void DataGrid::SetColumnCaption(int index, const std::string& caption) {
    Column(index);
    columns_[static_cast<std::size_t>(index)].caption = caption;
    model_->HeaderChanged(index);
}

void DataGrid::SetValueItems(int index, std::vector<ValueItem> items) {
    Column(index);
    columns_[static_cast<std::size_t>(index)].valueItems = std::move(items);
    model_->CellsChanged(0, index, RowCount() - 1, index);
}

void DataGrid::SetColumnLocked(int index, bool locked) {
    Column(index);
    columns_[static_cast<std::size_t>(index)].locked = locked;
}

// Without declared columns: one per field of the recordset or column of the array.
void DataGrid::EnsureColumns() {
    if (!columns_.empty()) return;
    if (array_) {
        for (std::int32_t c = 0; c < array_->Count(2); ++c)
            columns_.push_back({std::to_string(array_->LowerBound(2) + c), {}, {}, false});
    } else if (data_ && data_->HasRecordset()) {
        const dao::Fields fields = data_->Recordset().Fields();
        for (int f = 0; f < fields.Count(); ++f) {
            const std::string name = fields.Item(f).Name();
            columns_.push_back({name, name, {}, false});
        }
    }
}

// --- Sources -------------------------------------------------------------------------------------

void DataGrid::Unbind() {
    if (array_) array_->Unsubscribe(arrayToken_);
    array_ = nullptr;
    arrayToken_ = 0;
    data_ = nullptr;
    alive_ = std::make_shared<int>(0);   // an earlier data control's callback now does nothing
    records_.clear();
}

void DataGrid::SetDataSource(forms::DataControl& data) {
    Unbind();
    data_ = &data;
    std::weak_ptr<int> alive = alive_;
    data.Bind([this, alive] {
        if (alive.lock()) ReloadRecordset();
    });
    if (data.HasRecordset()) {
        ReloadRecordset();
    } else {
        quiet_ = true;
        model_->Reset();
        quiet_ = false;
    }
}

void DataGrid::SetArray(com::ComPtr<ArrayObject> array) {
    Unbind();
    array_ = std::move(array);
    if (array_) {
        arrayToken_ = array_->Subscribe([this](const ArrayObject::Change& change) { OnArrayChanged(change); });
        EnsureColumns();
    }
    quiet_ = true;
    model_->Reset();
    if (RowCount() > 0 && ColumnCount() > 0) View().setCurrentIndex(model_->index(0, 0));
    quiet_ = false;
}

void DataGrid::ReloadRecordset() {
    records_.clear();
    if (data_ && data_->HasRecordset()) {
        EnsureColumns();
        dao::Recordset& rs = data_->Recordset();
        if (!(rs.Bof() && rs.Eof())) {
            for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
                std::vector<std::string> texts;
                for (int c = 0; c < ColumnCount(); ++c) {
                    const std::string& field = columns_[static_cast<std::size_t>(c)].dataField;
                    texts.push_back(TextOf(field.empty() ? rs(c).GetValue() : rs(field).GetValue()));
                }
                records_.push_back(std::move(texts));
            }
        }
    }
    quiet_ = true;
    model_->Reset();
    if (RowCount() > 0 && ColumnCount() > 0) View().setCurrentIndex(model_->index(0, 0));
    quiet_ = false;
    PositionRecordset(Row());
}

// Puts the data control's recordset on the grid's current row, so that the window reads the
// record the user sees. A recordset the window has closed stays as it is.
void DataGrid::PositionRecordset(int row) const {
    if (!data_ || !data_->HasRecordset() || row < 0) return;
    try {
        dao::Recordset& rs = data_->Recordset();
        rs.MoveFirst();
        for (int r = 0; r < row && !rs.Eof(); ++r) rs.MoveNext();
    } catch (const win::RuntimeError&) {
    }
}

void DataGrid::OnArrayChanged(const ArrayObject::Change& change) {
    if (change.reshaped) {
        SetArray(array_);
        return;
    }
    const std::int64_t row = std::int64_t{change.row} - array_->LowerBound(1);
    const std::int64_t column = std::int64_t{change.column} - array_->LowerBound(2);
    if (row < RowCount() && column < ColumnCount() && model_->SameShape())
        model_->CellsChanged(static_cast<int>(row), static_cast<int>(column), static_cast<int>(row),
                             static_cast<int>(column));
}

void DataGrid::Refresh() {
    if (data_) return ReloadRecordset();
    if (model_->SameShape()) return model_->CellsChanged();
    const int row = Row();
    const int column = Col();
    quiet_ = true;
    model_->Reset();
    if (RowCount() > 0 && ColumnCount() > 0)
        View().setCurrentIndex(model_->index(std::clamp(row, 0, RowCount() - 1), std::clamp(column, 0, ColumnCount() - 1)));
    quiet_ = false;
}

// --- Cells ---------------------------------------------------------------------------------------

int DataGrid::RowCount() const {
    if (array_) return array_->Count(1);
    return static_cast<int>(records_.size());
}

std::string DataGrid::SourceText(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return {};
    if (!array_) return records_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (column >= array_->Count(2)) return {};
    return TextOf(array_->Value(array_->LowerBound(1) + row, array_->LowerBound(2) + column));
}

std::string DataGrid::CellText(int row, int column) const {
    std::string text = SourceText(row, column);
    if (column < 0 || column >= ColumnCount()) return text;
    for (const auto& item : columns_[static_cast<std::size_t>(column)].valueItems)
        if (item.value == text) return item.display;
    return text;
}

bool DataGrid::StoreCell(int row, int column, const std::string& value) {
    if (!array_ || column >= array_->Count(2) || Column(column).locked) return false;
    array_->SetValue(array_->LowerBound(1) + row, array_->LowerBound(2) + column, com::Variant::Utf8(value));
    Fire([this, column] {
        if (AfterColUpdate) AfterColUpdate(column);
    });
    return true;
}

void DataGrid::UpdatePendingEdit() { delegate_->CommitOpen(*model_); }

// --- Current cell --------------------------------------------------------------------------------

int DataGrid::Row() const { return View().currentIndex().row(); }
int DataGrid::Col() const { return View().currentIndex().column(); }

void DataGrid::SetRow(int row) { SetCurrentCell(row, std::max(Col(), 0)); }

void DataGrid::SetCurrentCell(int row, int column) {
    if (row == -1) return View().setCurrentIndex({});
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount())
        win::Raise(win::err::SubscriptOutOfRange, Name());
    View().setCurrentIndex(model_->index(row, column));
}

com::Variant DataGrid::Bookmark() const {
    const int row = Row();
    if (row < 0) return com::Variant::Null();
    if (array_) return com::Variant::I4(array_->LowerBound(1) + row);
    return com::Variant::I4(row + 1);
}

void DataGrid::OnCurrentChanged(int row, int /*column*/, int lastRow, int lastCol) {
    if (quiet_) return;
    PositionRecordset(row);
    Fire([this, lastRow, lastCol] {
        if (RowColChange) RowColChange(lastRow, lastCol);
    });
}

void DataGrid::SetHighlightColor(std::uint32_t color) {
    highlight_ = color;
    QPalette palette = View().palette();
    const QColor shown = forms::ToQColor(color);
    palette.setColor(QPalette::Active, QPalette::Highlight, shown);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, shown);
    View().setPalette(palette);
}

}  // namespace controls::grid
