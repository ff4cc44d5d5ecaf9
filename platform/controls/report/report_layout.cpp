#include "platform/controls/report/report_layout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numeric>

#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_format.h"
#include "platform/ctl/font_picture.h"

namespace controls::report {

QFont ReportFont(double pointSize, bool bold) {
    QFont font(ctl::InstalledFace("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
constexpr double kMargin = 10 * kPointsPerMm;
constexpr QSizeF kA4{595.28, 841.89};
constexpr double kCellPadding = 2;
constexpr double kBandHeight = 22;     // date, title, page number
constexpr double kHeadingHeight = 15;  // column headings
constexpr double kRowHeight = 12;
constexpr double kGroupHeight = 16;
constexpr double kTotalHeight = 15;
constexpr double kTitlePoints = 13, kHeaderPoints = 9, kSmallPoints = 8, kBodyPoints = 8.5;

// Height of `text` wrapped to `width` points in a `points`-size font, measured at 72 dpi so that
// one pixel is one point.
double WrappedHeight(const std::string& text, double width, double points) {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(72 / 0.0254));
        image.setDotsPerMeterY(qRound(72 / 0.0254));
        return image;
    }();
    const QFontMetricsF metrics(ReportFont(points, false), &device);
    const QRectF bound =
        metrics.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, QString::fromStdString(text));
    return std::max(bound.height(), metrics.height()) + 2;
}

enum class ItemKind { GroupHeading, GroupContinued, Row, Subtotal, GrandTotal, End };

// One line of the body. The body is never stored: it is the rows in order, each group's rows
// between its heading and its subtotal, then the grand total when the report sums; Next walks
// it from any item.
struct BodyItem {
    ItemKind kind;
    std::size_t index;  // the row, or the group (headings and subtotals)
    std::size_t group;  // a row's group (grouped reports)
    friend bool operator==(const BodyItem&, const BodyItem&) = default;
};

struct Group {
    std::string label;
    std::vector<double> sums;  // per column; meaningful where the column is summed
    std::size_t firstRow;
    std::size_t endRow;        // one past its last row
};

}  // namespace

class PagedReport::Layouter {
public:
    Layouter(ReportDefinition def, ReportData data, std::vector<Formula> formulas, std::string today,
             bool countKnown);
    // The complete report of `data` with `measured`'s definition, formulas, date and header lines.
    Layouter(const Layouter& measured, ReportData data);

    std::size_t PageCount() const { return breaks_.size(); }
    bool CountKnown() const { return countKnown_; }
    bool FirstPageSettled() const;
    const ReportDefinition& Definition() const { return def_; }
    QSizeF PageSize() const { return pageSize_; }
    bool Landscape() const { return def_.orientation == Orientation::Landscape; }
    const std::string& Title() const { return def_.title; }
    Page PageAt(std::size_t index) const;

private:
    // Where a page's body begins: its first body item, and the group whose heading it repeats
    // with " (continuação)" (none: groups_.size()).
    struct Break {
        BodyItem first;
        std::size_t continuedGroup;
    };

    void PlaceColumns();
    void MeasureHeaders();
    void BuildBody();
    void Paginate();
    BodyItem FirstItem() const;
    BodyItem Next(const BodyItem& item) const;
    BodyItem AfterRows() const;
    void CheckRow(std::size_t row) const;
    void CheckTotals(const std::vector<double>& sums) const;
    void AddToSums(std::vector<double>& sums, std::size_t row) const;
    std::string GroupLabel(const CellValue& value) const;
    double Height(ItemKind kind) const;
    double StartPage(Page& page, std::size_t index) const;
    void Emit(Page& page, const BodyItem& item, double y) const;
    void EmitTotals(Page& page, const std::string& label, const std::vector<double>& sums, double y,
                    TextRole role) const;

    ReportDefinition def_;
    ReportData data_;
    std::vector<Formula> formulas_;
    std::string today_;
    QSizeF pageSize_;
    std::vector<double> columnX_;  // left edge of each column, then the right edge of the last
    std::vector<bool> summed_;
    std::vector<std::pair<std::string, double>> headers_;  // text and wrapped height
    double bodyTop_ = 0;
    std::vector<Group> groups_;
    std::vector<double> grandTotal_;
    std::vector<Break> breaks_;
    bool countKnown_ = true;
};

namespace {

void AddText(Page& page, QRectF rect, int flags, std::string text, TextRole role, double points, bool bold) {
    page.texts.push_back({rect, flags, std::move(text), role, points, bold});
}

// True when a value of `kind` may lie outside the calendar a date format can show, so that
// formatting it might fail; values well inside it cannot.
bool MayBeOutsideCalendar(CellValue::Kind kind, double number) {
    if (kind != CellValue::Kind::Number && kind != CellValue::Kind::Date) return false;
    return !(number > -657000 && number < 2958000);
}

}  // namespace

PagedReport::Layouter::Layouter(ReportDefinition def, ReportData data, std::vector<Formula> formulas,
                                std::string today, bool countKnown)
    : def_(std::move(def)),
      data_(std::move(data)),
      formulas_(std::move(formulas)),
      today_(std::move(today)),
      countKnown_(countKnown) {
    pageSize_ = Landscape() ? kA4.transposed() : kA4;
    PlaceColumns();
    BuildBody();
    MeasureHeaders();
    Paginate();
}

PagedReport::Layouter::Layouter(const Layouter& measured, ReportData data)
    : def_(measured.def_),
      data_(std::move(data)),
      formulas_(measured.formulas_),
      today_(measured.today_),
      pageSize_(measured.pageSize_),
      headers_(measured.headers_),
      bodyTop_(measured.bodyTop_) {
    PlaceColumns();
    BuildBody();
    Paginate();
}

// The items the first rows settle are those up to their last row: the group of that row may go on,
// and the totals after it need the rows that follow.
bool PagedReport::Layouter::FirstPageSettled() const {
    if (countKnown_) return true;
    if (breaks_.size() < 2) return false;
    for (BodyItem item = FirstItem(); item.kind != ItemKind::End; item = Next(item)) {
        if (item == breaks_[1].first) return true;
        if (item.kind == ItemKind::Row && item.index + 1 == data_.RowCount()) return false;
    }
    return false;
}

void PagedReport::Layouter::MeasureHeaders() {
    const double width = pageSize_.width() - 2 * kMargin;
    double y = kMargin + kBandHeight;
    for (const auto& line : def_.headers) {
        std::string text = HeaderText(line, formulas_);
        const double height = WrappedHeight(text, width, kHeaderPoints);
        headers_.emplace_back(std::move(text), height);
        y += height;
    }
    bodyTop_ = y + 4 + kHeadingHeight + 2;
}

// Breaks the body into pages by the items' heights alone.
void PagedReport::Layouter::Paginate() {
    const double bottom = pageSize_.height() - kMargin;
    breaks_.push_back({FirstItem(), groups_.size()});
    double y = bodyTop_;
    std::size_t currentGroup = groups_.size();
    for (BodyItem item = FirstItem(); item.kind != ItemKind::End; item = Next(item)) {
        double needed = Height(item.kind);
        if (item.kind == ItemKind::GroupHeading) needed += kRowHeight;  // keep it with a row
        if (y + needed > bottom) {
            y = bodyTop_;
            if (y + needed > bottom) {
                Raise(err::HeaderTooTall,
                      "The report's header lines fill the whole page and leave no "
                      "room for rows: shorten the Header= lines or the formula texts.");
            }
            Break next{item, groups_.size()};
            if (item.kind != ItemKind::GroupHeading && currentGroup < groups_.size()) {
                next.continuedGroup = currentGroup;
                y += Height(ItemKind::GroupContinued);
            }
            breaks_.push_back(next);
        }
        if (item.kind == ItemKind::GroupHeading) currentGroup = item.index;
        if (item.kind == ItemKind::Subtotal) currentGroup = groups_.size();
        y += Height(item.kind);
    }
}

Page PagedReport::Layouter::PageAt(std::size_t index) const {
    const Break& at = breaks_.at(index);
    const BodyItem end = index + 1 < breaks_.size() ? breaks_[index + 1].first : BodyItem{ItemKind::End, 0, 0};
    Page page;
    double y = StartPage(page, index);
    if (at.continuedGroup < groups_.size()) {
        Emit(page, {ItemKind::GroupContinued, at.continuedGroup, 0}, y);
        y += Height(ItemKind::GroupContinued);
    }
    for (BodyItem item = at.first; !(item == end); item = Next(item)) {
        Emit(page, item, y);
        y += Height(item.kind);
    }
    return page;
}

BodyItem PagedReport::Layouter::FirstItem() const {
    if (!groups_.empty()) return {ItemKind::GroupHeading, 0, 0};
    if (def_.groupField.empty() && data_.RowCount() > 0) return {ItemKind::Row, 0, 0};
    return AfterRows();
}

// What follows the last row and the last group's subtotal.
BodyItem PagedReport::Layouter::AfterRows() const {
    return def_.sums.empty() ? BodyItem{ItemKind::End, 0, 0} : BodyItem{ItemKind::GrandTotal, 0, 0};
}

BodyItem PagedReport::Layouter::Next(const BodyItem& item) const {
    const bool grouped = !groups_.empty();
    switch (item.kind) {
        case ItemKind::GroupHeading:
        case ItemKind::GroupContinued:
            return {ItemKind::Row, groups_[item.index].firstRow, item.index};
        case ItemKind::Row:
            if (grouped && item.index + 1 == groups_[item.group].endRow) return {ItemKind::Subtotal, item.group, 0};
            if (!grouped && item.index + 1 == data_.RowCount()) return AfterRows();
            return {ItemKind::Row, item.index + 1, item.group};
        case ItemKind::Subtotal:
            if (item.index + 1 < groups_.size()) return {ItemKind::GroupHeading, item.index + 1, 0};
            return AfterRows();
        case ItemKind::GrandTotal:
        case ItemKind::End: break;
    }
    return {ItemKind::End, 0, 0};
}

void PagedReport::Layouter::PlaceColumns() {
    const double available = pageSize_.width() - 2 * kMargin;
    double x = kMargin;
    for (const auto& column : def_.columns) {
        columnX_.push_back(x);
        x += column.widthMm * kPointsPerMm;
        summed_.push_back(std::any_of(def_.sums.begin(), def_.sums.end(),
                                      [&](const auto& s) { return SameName(s, column.field); }));
    }
    columnX_.push_back(x);
    if (x - kMargin > available + 0.01) {
        auto mm = [](double points) { return std::to_string(std::lround(points / kPointsPerMm)); };
        Raise(err::ColumnsTooWide, "The report's columns are " + mm(x - kMargin) +
                                       " mm wide but the page holds " + mm(available) +
                                       " mm: narrow the columns or use Orientation=Landscape.");
    }
}

void PagedReport::Layouter::AddToSums(std::vector<double>& sums, std::size_t row) const {
    for (std::size_t c = 0; c < def_.columns.size(); ++c) {
        const CellValue::Kind kind = data_.Kind(row, c);
        if (!summed_[c] || kind == CellValue::Kind::Null) continue;
        if (kind != CellValue::Kind::Number) {
            Raise(err::NotANumber, "Field '" + def_.columns[c].field + "' holds '" +
                                       FormatCell(data_.Cell(row, c), {}) + "' in row " + std::to_string(row + 1) +
                                       ", which is not a number: the report cannot total it.");
        }
        sums[c] += data_.Number(row, c);
    }
}

// Raises what formatting the row's values would raise, formatting only the values that can fail.
void PagedReport::Layouter::CheckRow(std::size_t row) const {
    for (std::size_t c = 0; c < def_.columns.size(); ++c) {
        if (MayBeOutsideCalendar(data_.Kind(row, c), data_.Number(row, c)))
            FormatCell(data_.Cell(row, c), def_.columns[c].format);
    }
}

void PagedReport::Layouter::CheckTotals(const std::vector<double>& sums) const {
    for (std::size_t c = 0; c < def_.columns.size(); ++c) {
        if (MayBeOutsideCalendar(CellValue::Kind::Number, sums[c]))
            FormatCell(CellValue::Number(sums[c]), def_.columns[c].format);
    }
}

std::string PagedReport::Layouter::GroupLabel(const CellValue& value) const {
    for (const auto& column : def_.columns) {
        if (SameName(column.field, def_.groupField)) return FormatCell(value, column.format);
    }
    return FormatCell(value, {});
}

// Finds the groups and adds up the totals in one pass over the rows, checking that every value
// can be shown; no row is formatted.
void PagedReport::Layouter::BuildBody() {
    const std::size_t groupAt = def_.columns.size();
    const std::size_t rows = data_.RowCount();
    grandTotal_.assign(def_.columns.size(), 0);
    const bool grouped = !def_.groupField.empty();
    for (std::size_t r = 0; r < rows; ++r) {
        if (grouped && (r == 0 || !data_.SameValue(r, r - 1, groupAt))) {
            if (r != 0) groups_.back().endRow = r;
            groups_.push_back({GroupLabel(data_.Cell(r, groupAt)), std::vector<double>(def_.columns.size(), 0), r, rows});
        }
        if (grouped) AddToSums(groups_.back().sums, r);
        AddToSums(grandTotal_, r);
        CheckRow(r);
    }
    for (const Group& group : groups_) CheckTotals(group.sums);
    CheckTotals(grandTotal_);
}

double PagedReport::Layouter::Height(ItemKind kind) const {
    switch (kind) {
        case ItemKind::Row: return kRowHeight;
        case ItemKind::GroupHeading:
        case ItemKind::GroupContinued: return kGroupHeight;
        case ItemKind::Subtotal: return def_.sums.empty() ? 4 : kTotalHeight;
        case ItemKind::GrandTotal: return kTotalHeight + 4;
        case ItemKind::End: break;
    }
    return kRowHeight;
}

// Starts page `index` with its header and column headings; answers where the body begins.
double PagedReport::Layouter::StartPage(Page& page, std::size_t index) const {
    const double left = kMargin, width = pageSize_.width() - 2 * kMargin;
    double y = kMargin;
    AddText(page, {left, y, width, kBandHeight}, Qt::AlignLeft | Qt::AlignVCenter, today_, TextRole::Date,
            kSmallPoints, false);
    AddText(page, {left + width / 5, y, width * 3 / 5, kBandHeight}, Qt::AlignHCenter | Qt::AlignVCenter,
            def_.title, TextRole::Title, kTitlePoints, true);
    AddText(page, {left, y, width, kBandHeight}, Qt::AlignRight | Qt::AlignVCenter,
            "Página " + std::to_string(index + 1) + " de " + (countKnown_ ? std::to_string(PageCount()) : "..."),
            TextRole::PageNumber,
            kSmallPoints, false);
    y += kBandHeight;
    for (const auto& [text, height] : headers_) {
        AddText(page, {left, y, width, height}, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text,
                TextRole::Header, kHeaderPoints, false);
        y += height;
    }
    y += 4;
    page.lines.emplace_back(left, y, left + width, y);
    for (std::size_t c = 0; c < def_.columns.size(); ++c) {
        const auto& column = def_.columns[c];
        const int align = column.alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft;
        AddText(page,
                {columnX_[c] + kCellPadding, y, columnX_[c + 1] - columnX_[c] - 2 * kCellPadding, kHeadingHeight},
                align | Qt::AlignVCenter, column.heading, TextRole::ColumnHeading, kBodyPoints, true);
    }
    y += kHeadingHeight;
    page.lines.emplace_back(left, y, left + width, y);
    return y + 2;
}

void PagedReport::Layouter::EmitTotals(Page& page, const std::string& label, const std::vector<double>& sums,
                                       double y, TextRole role) const {
    const auto firstSummed = std::find(summed_.begin(), summed_.end(), true) - summed_.begin();
    const double labelRight = columnX_[static_cast<std::size_t>(firstSummed)];
    if (labelRight > kMargin) {
        AddText(page, {kMargin + kCellPadding, y, labelRight - kMargin - 2 * kCellPadding, kTotalHeight},
                Qt::AlignLeft | Qt::AlignVCenter, label, role, kBodyPoints, true);
    }
    for (std::size_t c = 0; c < def_.columns.size(); ++c) {
        if (!summed_[c]) continue;
        const QRectF rect(columnX_[c] + kCellPadding, y, columnX_[c + 1] - columnX_[c] - 2 * kCellPadding,
                          kTotalHeight);
        AddText(page, rect, Qt::AlignRight | Qt::AlignVCenter,
                FormatCell(CellValue::Number(sums[c]), def_.columns[c].format), role, kBodyPoints, true);
        page.lines.emplace_back(columnX_[c], y + 1, columnX_[c + 1], y + 1);
    }
}

void PagedReport::Layouter::Emit(Page& page, const BodyItem& item, double y) const {
    switch (item.kind) {
        case ItemKind::GroupHeading:
        case ItemKind::GroupContinued: {
            std::string text = def_.groupField + ": " + groups_[item.index].label;
            if (item.kind == ItemKind::GroupContinued) text += " (continuação)";
            AddText(page, {kMargin + kCellPadding, y, columnX_.back() - kMargin, kGroupHeight},
                    Qt::AlignLeft | Qt::AlignBottom, std::move(text), TextRole::GroupHeading, kHeaderPoints,
                    true);
            break;
        }
        case ItemKind::Row: {
            for (std::size_t c = 0; c < def_.columns.size(); ++c) {
                const auto& column = def_.columns[c];
                const int align = column.alignment == Alignment::Right ? Qt::AlignRight : Qt::AlignLeft;
                AddText(page,
                        {columnX_[c] + kCellPadding, y, columnX_[c + 1] - columnX_[c] - 2 * kCellPadding,
                         kRowHeight},
                        align | Qt::AlignVCenter, FormatCell(data_.Cell(item.index, c), column.format), TextRole::Cell,
                        kBodyPoints, false);
            }
            break;
        }
        case ItemKind::Subtotal:
            if (!def_.sums.empty()) {
                EmitTotals(page, "Total " + groups_[item.index].label, groups_[item.index].sums, y,
                           TextRole::Subtotal);
            }
            break;
        case ItemKind::GrandTotal:
            EmitTotals(page, "Total Geral", grandTotal_, y + 4, TextRole::GrandTotal);
            page.lines.emplace_back(kMargin, y + 2, columnX_.back(), y + 2);
            break;
        case ItemKind::End: break;
    }
}

namespace {

// The index of `field` among the source's columns; raises FieldMissing when absent.
std::size_t FieldIndex(const std::vector<std::string>& columns, const std::string& field,
                       const std::string& source) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (SameName(columns[i], field)) return i;
    }
    Raise(err::FieldMissing, "The report's source '" + source + "' has no field '" + field +
                                 "': correct the report file or the query.");
}

}  // namespace

std::size_t FirstPageRows(const ReportDefinition& def) {
    const QSizeF page = def.orientation == Orientation::Landscape ? kA4.transposed() : kA4;
    return static_cast<std::size_t>(std::ceil((page.height() - 2 * kMargin) / kRowHeight)) + 2;
}

ReportData ReadReportData(const ReportDefinition& def, RowSource& source, std::size_t limit,
                          const std::atomic<bool>* stop) {
    std::vector<std::size_t> wanted;
    for (const auto& column : def.columns)
        wanted.push_back(FieldIndex(source.Columns(), column.field, def.source));
    if (!def.groupField.empty()) wanted.push_back(FieldIndex(source.Columns(), def.groupField, def.source));
    ReportData data(wanted.size());
    data.Reserve(std::min(limit, source.RowCountHint()));
    Row row;
    // The stop flag is looked at once in a while: an atomic load per row would cost more than it saves.
    constexpr std::size_t kStopCheck = 4096;
    while (data.RowCount() < limit && source.Next(row)) {
        data.Add(row, wanted);
        if (stop != nullptr && data.RowCount() % kStopCheck == 0 && stop->load(std::memory_order_relaxed)) break;
    }
    return data;
}

void ReportData::Reserve(std::size_t rows) {
    kinds_.reserve(rows * width_);
    slots_.reserve(rows * width_);
}

void ReportData::Add(const Row& row) {
    for (std::size_t c = 0; c < width_; ++c) Append(c < row.size() ? row[c] : CellValue::Null());
    ++rows_;
}

void ReportData::Add(const Row& row, const std::vector<std::size_t>& columns) {
    for (const std::size_t c : columns) Append(c < row.size() ? row[c] : CellValue::Null());
    ++rows_;
}

void ReportData::Append(const CellValue& value) {
    kinds_.push_back(value.kind);
    if (value.kind != CellValue::Kind::Text) {
        slots_.push_back(std::bit_cast<std::uint64_t>(value.number));
        return;
    }
    slots_.push_back(texts_.size());
    const auto length = static_cast<std::uint32_t>(value.text.size());
    texts_.append(reinterpret_cast<const char*>(&length), sizeof length);
    texts_.append(value.text, 0, length);
}

double ReportData::Number(std::size_t row, std::size_t column) const {
    const std::size_t at = row * width_ + column;
    return kinds_[at] == CellValue::Kind::Number || kinds_[at] == CellValue::Kind::Date
               ? std::bit_cast<double>(slots_[at])
               : 0;
}

std::string_view ReportData::Text(std::size_t row, std::size_t column) const {
    const std::size_t at = row * width_ + column;
    if (kinds_[at] != CellValue::Kind::Text) return {};
    std::uint32_t length = 0;
    std::memcpy(&length, texts_.data() + slots_[at], sizeof length);
    return std::string_view(texts_).substr(slots_[at] + sizeof length, length);
}

CellValue ReportData::Cell(std::size_t row, std::size_t column) const {
    switch (Kind(row, column)) {
        case CellValue::Kind::Null: return CellValue::Null();
        case CellValue::Kind::Text: return CellValue::Text(std::string(Text(row, column)));
        case CellValue::Kind::Number: return CellValue::Number(Number(row, column));
        case CellValue::Kind::Date: return CellValue::Date(Number(row, column));
    }
    return CellValue::Null();
}

bool ReportData::SameValue(std::size_t a, std::size_t b, std::size_t column) const {
    const CellValue::Kind kind = Kind(a, column);
    if (kind != Kind(b, column)) return false;
    if (kind == CellValue::Kind::Text) return Text(a, column) == Text(b, column);
    return Number(a, column) == Number(b, column);
}

PagedReport::PagedReport(ReportDefinition def, ReportData data, std::vector<Formula> formulas, std::string today,
                         bool firstRows)
    : layouter_(std::make_unique<const Layouter>(std::move(def), std::move(data), std::move(formulas),
                                                 std::move(today), !firstRows)) {}

PagedReport::PagedReport(std::unique_ptr<const Layouter> layouter) : layouter_(std::move(layouter)) {}

std::shared_ptr<const PagedReport> PagedReport::WithRows(ReportData data) const {
    return std::make_shared<const PagedReport>(std::make_unique<const Layouter>(*layouter_, std::move(data)));
}

PagedReport::~PagedReport() = default;

std::size_t PagedReport::PageCount() const { return layouter_->PageCount(); }
bool PagedReport::CountKnown() const { return layouter_->CountKnown(); }
bool PagedReport::FirstPageSettled() const { return layouter_->FirstPageSettled(); }
const ReportDefinition& PagedReport::Definition() const { return layouter_->Definition(); }
QSizeF PagedReport::PageSize() const { return layouter_->PageSize(); }
bool PagedReport::Landscape() const { return layouter_->Landscape(); }
const std::string& PagedReport::Title() const { return layouter_->Title(); }
Page PagedReport::PageAt(std::size_t index) const { return layouter_->PageAt(index); }

LaidOutReport PagedReport::LayOutAll() const {
    LaidOutReport out;
    out.pageSize = PageSize();
    out.landscape = Landscape();
    out.pages.reserve(PageCount());
    for (std::size_t p = 0; p < PageCount(); ++p) out.pages.push_back(PageAt(p));
    return out;
}

LaidOutReport LayOut(const ReportDefinition& def, const ReportData& data,
                     const std::vector<Formula>& formulas, const std::string& today) {
    return PagedReport(def, data, formulas, today).LayOutAll();
}

std::string HeaderText(const HeaderLine& line, const std::vector<Formula>& formulas) {
    std::string text;
    for (const auto& part : line) {
        if (!part.isFormula) {
            text += part.text;
            continue;
        }
        for (const auto& formula : formulas) {
            if (SameName(formula.name, part.text)) {
                text += formula.text;
                break;
            }
        }
    }
    return text;
}

}  // namespace controls::report
