#include "platform/controls/grid/data_grid.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QPersistentModelIndex>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QPointer>
#include <QTableView>
#include <algorithm>

#include "platform/controls/grid/grid_object.h"
#include "platform/forms/colors.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/focus.h"
#include "platform/win/error.h"
#include "platform/win/textformat.h"

namespace controls::grid {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The view: rows of one line at the height of the font, and only whole rows shown: the strip
// below the last whole row stays empty rather than showing half a row.
class GridView : public QTableView {
public:
    using QTableView::QTableView;

protected:
    void updateGeometries() override {
        QTableView::updateGeometries();
        const int row = verticalHeader()->defaultSectionSize();
        const int header = horizontalHeader()->isHidden() ? 0 : horizontalHeader()->height();
        const int scroller = horizontalScrollBar()->isVisible() ? horizontalScrollBar()->height() : 0;
        const int room = height() - 2 * frameWidth() - header - scroller;
        const int cut = row > 0 && room > row ? room % row : 0;
        const int left = verticalHeader()->isHidden() ? 0 : verticalHeader()->width();
        setViewportMargins(left, header, 0, cut);
        if (!verticalHeader()->isHidden()) {
            const QRect selector = verticalHeader()->geometry();
            verticalHeader()->setGeometry(selector.x(), selector.y(), selector.width(), viewport()->height());
        }
    }
};

// The record selector: a narrow button column left of the rows, marking the current row with a
// triangle.
class RecordSelector : public QHeaderView {
public:
    explicit RecordSelector(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}

protected:
    QSize sizeHint() const override { return {kWidth, QHeaderView::sizeHint().height()}; }
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        painter->save();
        painter->fillRect(rect, palette().color(QPalette::Button));
        painter->setPen(palette().color(QPalette::Light));
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->setPen(palette().color(QPalette::Dark));
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        const auto* view = static_cast<const QTableView*>(parentWidget());
        if (view->currentIndex().isValid() && view->currentIndex().row() == logicalIndex) {
            const QPointF centre = QRectF(rect).center();
            const double half = std::min(rect.width(), rect.height()) / 4.0;
            QPainterPath mark;
            mark.moveTo(centre.x() - half / 2, centre.y() - half);
            mark.lineTo(centre.x() + half, centre.y());
            mark.lineTo(centre.x() - half / 2, centre.y() + half);
            mark.closeSubpath();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->fillPath(mark, palette().color(QPalette::ButtonText));
        }
        painter->restore();
    }

private:
    static constexpr int kWidth = 14;
};

QTableView* MakeView(QWidget* parent) {
    return std::make_unique<GridView>(parent).release();   // the parent owns it
}

// Inserts '.' between thousands of the whole part of a number text ("-1234567,5" to
// "-1.234.567,5"); an exponent form stays as it is.
std::string Grouped(std::string text) {
    if (text.find('E') != std::string::npos) return text;
    const std::size_t start = text.starts_with('-') ? 1 : 0;
    std::size_t end = text.find(',');
    if (end == std::string::npos) end = text.size();
    for (std::size_t at = end; at > start + 3; at -= 3) text.insert(at - 3, 1, '.');
    return text;
}

ShownCell Whole(std::int64_t value) { return {std::to_string(value), true}; }
ShownCell Fraction(double value) { return {Grouped(win::NumberText(value)), true}; }
ShownCell Money(double amount) { return {win::FormatNumber(amount, "#,##0.00"), true}; }
ShownCell Day(double oleDate) { return {win::DateText(oleDate), false}; }

// A cell's value as text: Empty and Null as "", booleans as "True"/"False".
std::string TextOf(const com::Variant& value) {
    if (value.Type() == com::VT_EMPTY || value.Type() == com::VT_NULL) return {};
    com::Variant text;
    if (com::Failed(com::ChangeType(text, value, com::VT_BSTR, com::kAlphaBool))) return {};
    return text.AsStr().ToUtf8();
}

// A cell's value as the grid shows it: numbers in the regional format and right-aligned,
// currency with two decimals, dates day first.
ShownCell Shown(const com::Variant& value) {
    switch (value.Type()) {
        case com::VT_I1: case com::VT_UI1: case com::VT_I2: case com::VT_UI2: case com::VT_I4:
        case com::VT_UI4: case com::VT_I8: case com::VT_INT: case com::VT_UINT:
            return Whole(value.AsInteger());
        case com::VT_R4: return Fraction(value.AsR4());
        case com::VT_R8: return Fraction(value.AsR8());
        case com::VT_CY: return Money(static_cast<double>(value.AsCy().scaled) / com::Currency::kScale);
        case com::VT_DATE: return Day(value.AsDate().days);
        default: return {TextOf(value), false};
    }
}

ShownCell Shown(const dao::Value& value) {
    using Kind = dao::Value::Kind;
    switch (value.kind()) {
        case Kind::Null: return {};
        case Kind::Byte: case Kind::Integer: case Kind::Long: return Whole(value.ToLong());
        case Kind::Single: case Kind::Double: return Fraction(value.ToDouble());
        case Kind::Currency: return Money(value.ToDouble());
        case Kind::Date: return Day(value.ToDouble());
        default: return {forms::CStr(forms::FromDao(value)), false};
    }
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
        if (role == Qt::TextAlignmentRole) {
            const Qt::Alignment side = grid_.Cell(index.row(), index.column()).number ? Qt::AlignRight : Qt::AlignLeft;
            return QVariant::fromValue(side | Qt::AlignVCenter);
        }
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
        grid_.ApplyLayout();
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
    view.setWordWrap(false);
    view.setVerticalHeader(std::make_unique<RecordSelector>(&view).release());   // the view owns it
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->hide();
    view.horizontalHeader()->setHighlightSections(false);
    QObject::connect(view.selectionModel(), &QItemSelectionModel::currentChanged,
                     [this](const QModelIndex& current, const QModelIndex& previous) {
                         View().verticalHeader()->viewport()->update();
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
    columns_.push_back({std::move(caption), std::move(dataField), {}, false, 0});
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
    ApplyLayout();
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

void DataGrid::SetColumnWidth(int index, int twips) {
    Column(index);
    columns_[static_cast<std::size_t>(index)].width = std::max(twips, 0);
    ApplyLayout();
}

void DataGrid::SetRecordSelectors(bool shown) { View().verticalHeader()->setVisible(shown); }
bool DataGrid::RecordSelectors() const { return !View().verticalHeader()->isHidden(); }

// Rows of one line at the height of the font; each column as wide as the window declared it or,
// without a width, as its heading and the texts of its first kFitRows rows need.
void DataGrid::ApplyLayout() {
    QTableView& view = View();
    const QFontMetrics metrics = view.fontMetrics();
    const int row = metrics.height() + kRowPadding;
    view.verticalHeader()->setMinimumSectionSize(row);
    view.verticalHeader()->setDefaultSectionSize(row);
    const int padding = 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1) + 1;
    const int headingPadding = 2 * view.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &view) + 1;
    for (int c = 0; c < ColumnCount(); ++c) {
        const GridColumn& column = columns_[static_cast<std::size_t>(c)];
        int width = column.width / forms::kTwipsPerPixel;
        if (column.width == 0) {
            width = metrics.horizontalAdvance(Q(column.caption)) + headingPadding;
            for (int r = 0; r < std::min(RowCount(), kFitRows); ++r)
                width = std::max(width, metrics.horizontalAdvance(Q(CellText(r, c))) + padding);
        }
        view.setColumnWidth(c, width);
    }
}

// Without declared columns: one per field of the recordset or column of the array.
void DataGrid::EnsureColumns() {
    if (!columns_.empty()) return;
    if (array_) {
        for (std::int32_t c = 0; c < array_->Count(2); ++c)
            columns_.push_back({std::to_string(array_->LowerBound(2) + c), {}, {}, false, 0});
    } else if (data_ && data_->HasRecordset()) {
        const dao::Fields fields = data_->Recordset().Fields();
        for (int f = 0; f < fields.Count(); ++f) {
            const std::string name = fields.Item(f).Name();
            columns_.push_back({name, name, {}, false, 0});
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
                std::vector<ShownCell> texts;
                for (int c = 0; c < ColumnCount(); ++c) {
                    const std::string& field = columns_[static_cast<std::size_t>(c)].dataField;
                    texts.push_back(Shown(field.empty() ? rs(c).GetValue() : rs(field).GetValue()));
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
    if (!array_) return records_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)].text;
    if (column >= array_->Count(2)) return {};
    return TextOf(array_->Value(array_->LowerBound(1) + row, array_->LowerBound(2) + column));
}

std::string DataGrid::CellText(int row, int column) const {
    return Cell(row, column).text;
}

ShownCell DataGrid::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return {};
    const auto& items = columns_[static_cast<std::size_t>(column)].valueItems;
    if (!items.empty()) {
        const std::string stored = SourceText(row, column);
        for (const auto& item : items)
            if (item.value == stored) return {item.display, false};
    }
    if (!array_) return records_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (column >= array_->Count(2)) return {};
    return Shown(array_->Value(array_->LowerBound(1) + row, array_->LowerBound(2) + column));
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

void HighlightRowOnFocus(DataGrid& grid) {
    grid.GotFocus = [&grid] { grid.SetHighlightColor(forms::focus::RowFocused); };
    grid.LostFocus = [&grid] { grid.SetHighlightColor(forms::focus::RowPlain); };
}

}  // namespace controls::grid
