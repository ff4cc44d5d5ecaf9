// Lays a report out into pages: what text goes where on each page, in points (1/72 inch).
//
// The page model is the one truth about a report's look: the painter draws exactly its texts and
// lines onto a PDF, a printer or a preview image, and tests read it as the text layer of the
// rendered pages. Layout knows no device; only wrapped header lines are measured, at 72 dpi.
//
// Page structure, top to bottom, on every page:
//   date (left), title (centre), "Página N de M" (right)
//   the header lines, formula references replaced by the formulas' texts, wrapped to the width
//   a rule, the column headings, a rule
//   the body: group headings, rows, group subtotals, and after the last row the grand total
// A group heading is never the last line of a page; a group that runs over a page break has its
// heading repeated with " (continuação)" on the next page.
#pragma once

#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QSizeF>

#include <atomic>
#include <memory>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls/report/report_file.h"
#include "platform/controls/report/row_source.h"

namespace controls::report {

enum class TextRole {
    Date,
    Title,
    PageNumber,
    Header,
    ColumnHeading,
    Cell,
    GroupHeading,
    Subtotal,
    GrandTotal
};

struct PageText {
    QRectF rect;
    int flags = 0;  // Qt alignment flags, plus Qt::TextWordWrap for header lines
    std::string text;
    TextRole role = TextRole::Cell;
    double pointSize = 9;
    bool bold = false;
};

struct Page {
    std::vector<PageText> texts;
    std::vector<QLineF> lines;
};

struct LaidOutReport {
    QSizeF pageSize;  // in points; A4, turned for landscape
    bool landscape = false;
    std::vector<Page> pages;
};

// The face every text of a report is measured and drawn in (the windows' sans-serif face), at a
// size in points.
QFont ReportFont(double pointSize, bool bold);

// A formula the program set: `Name= "text"`.
struct Formula {
    std::string name;
    std::string text;
};

// The report's rows reduced to what it shows: for each row, one value per column of the
// definition, then the group field's value when the report has groups.
//
// A long report holds hundreds of thousands of rows until its preview closes, so each value is
// kept in nine bytes (its kind, and its number or the place of its text in one buffer of texts)
// rather than as a CellValue with a string of its own: a row of four values costs 36 bytes beyond
// its texts, and reading a row allocates nothing but the buffers' growth.
class ReportData {
public:
    // Rows of `width` values.
    explicit ReportData(std::size_t width = 0) : width_(width) {}

    std::size_t Width() const { return width_; }
    std::size_t RowCount() const { return rows_; }
    void Reserve(std::size_t rows);
    // Appends a row of `row`'s values in order; values past its end read as Null.
    void Add(const Row& row);
    // Appends a row of `row`'s values at `columns`, in that order; a column past its end reads
    // as Null.
    void Add(const Row& row, const std::vector<std::size_t>& columns);

    CellValue::Kind Kind(std::size_t row, std::size_t column) const { return kinds_[row * width_ + column]; }
    // A Number's or a Date's value; 0 for the other kinds.
    double Number(std::size_t row, std::size_t column) const;
    // A Text's text; empty for the other kinds.
    std::string_view Text(std::size_t row, std::size_t column) const;
    CellValue Cell(std::size_t row, std::size_t column) const;
    // True when the value at `column` is the same in rows `a` and `b`, as CellValue's == has it.
    bool SameValue(std::size_t a, std::size_t b, std::size_t column) const;

private:
    void Append(const CellValue& value);

    std::size_t width_;
    std::size_t rows_ = 0;
    std::vector<CellValue::Kind> kinds_;  // row by row
    std::vector<std::uint64_t> slots_;    // a number's bits, or where a text starts in texts_
    std::string texts_;                   // each text as its 4-byte length, then its bytes
};

// Reads the rows of `source`, up to `limit` of them, keeping the fields the definition names.
// Raises FieldMissing naming the first field the source lacks. A reader on another thread stops
// early, with the rows read so far, once `stop` is set.
ReportData ReadReportData(const ReportDefinition& def, RowSource& source,
                          std::size_t limit = static_cast<std::size_t>(-1), const std::atomic<bool>* stop = nullptr);

// How many of the source's first rows settle the first page of any report of `def`'s orientation:
// more than its body holds, so that the row after the page's last one is among them.
std::size_t FirstPageRows(const ReportDefinition& def);

// Lays out the whole report. Raises ColumnsTooWide when the columns do not fit the page,
// HeaderTooTall when the page header leaves no room for a row, and NotANumber when a summed field
// holds a value that is not a number.
LaidOutReport LayOut(const ReportDefinition& def, const ReportData& data,
                     const std::vector<Formula>& formulas, const std::string& today);

// A report read and paged but not yet laid out: its rows, group totals and page breaks are known,
// so its page count is, and each page's texts are made when the page is asked for. Paging only
// adds up heights over the groups' row counts (one pass finds the groups and their totals; the
// body's lines are never listed), so a long report shows its first page without formatting
// every row, and holds nothing per row beyond its ReportData. Every fault a layout can raise
// (see LayOut) is raised on construction, never by PageAt.
//
// A report made of the source's first rows only (`firstRows`) is a provisional one, whose first
// page may be shown while the rest is read: its page count is not known, so its first page reads
// "Página 1 de ..." until WithRows makes the report of every row.
class PagedReport {
public:
    PagedReport(ReportDefinition def, ReportData data, std::vector<Formula> formulas, std::string today,
                bool firstRows = false);
    ~PagedReport();
    PagedReport(const PagedReport&) = delete;
    PagedReport& operator=(const PagedReport&) = delete;

    std::size_t PageCount() const;  // of a provisional report: the pages of its rows
    // False for a provisional report.
    bool CountKnown() const;
    // True when the first page of this provisional report is the first page of the report of every
    // row, but for its page count: the page ends before the last of the rows read, and a header or
    // total that needs later rows lies past it. Always true of a complete report.
    bool FirstPageSettled() const;
    // The complete report of `data` (every row of the source) with this report's definition,
    // formulas, date and measured header lines. Uses no font, so it may run on another thread.
    std::shared_ptr<const PagedReport> WithRows(ReportData data) const;
    const ReportDefinition& Definition() const;
    QSizeF PageSize() const;  // in points; A4, turned for landscape
    bool Landscape() const;
    const std::string& Title() const;
    // Page `index` (0-based), laid out now; equal to the same page of LayOutAll.
    Page PageAt(std::size_t index) const;
    LaidOutReport LayOutAll() const;

    class Layouter;
    // For WithRows (Layouter is the class's own).
    explicit PagedReport(std::unique_ptr<const Layouter> layouter);

private:
    std::unique_ptr<const Layouter> layouter_;
};

// The text of a header line with its formula references replaced; a formula the program did
// not set reads as empty.
std::string HeaderText(const HeaderLine& line, const std::vector<Formula>& formulas);

}  // namespace controls::report
