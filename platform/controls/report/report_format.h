// The texts a report prints for its values, with the runtime's Format patterns and the stores'
// Brazilian regional settings (',' decimals, '.' thousands, day-first dates), never the process
// locale.
#pragma once

#include <string>
#include <string_view>

#include "platform/controls/report/row_source.h"
#include "platform/win/textformat.h"

namespace controls::report {

// The Format pattern of one column, read once when the report file is read and then applied to
// each of the column's values, its group headings and its totals. Knows the column's field so
// that a value the pattern cannot show is reported against it.
class CellFormat {
public:
    // The general format: numbers as the runtime's general text, dates as "dd/mm/yyyy" (with the
    // time when there is one).
    CellFormat() = default;
    // `pattern` at most kMaxPatternChars characters (the report file refuses longer ones).
    CellFormat(std::string_view pattern, std::string_view field);

    const std::string& Pattern() const { return pattern_; }

    // The text of `value`. Null prints as nothing, and a text prints as it is. A date, or a
    // number under a date pattern, outside the calendar (years 100 to 9999) raises DateOutOfRange
    // naming the field.
    std::string Apply(const CellValue& value) const;

private:
    std::string pattern_;
    win::FormatPattern read_;   // the pattern's table, walked for each value
    std::string field_;
};

// The longest Format pattern a column may have. The runtime's own patterns are a few characters
// ("#,##0.00", "dd/mm/yyyy hh:nn"); the limit bounds the work and the text of every cell.
inline constexpr std::size_t kMaxPatternChars = 255;

// `format.Apply(value)`.
std::string FormatCell(const CellValue& value, const CellFormat& format);

// Today's date as the page header prints it ("dd/mm/yyyy").
std::string TodayText();

}  // namespace controls::report
