// The texts a report prints for its values, with the runtime's Format patterns and the stores'
// Brazilian regional settings (',' decimals, '.' thousands, day-first dates), never the process
// locale.
#pragma once

#include <string>
#include <string_view>

#include "platform/controls/report/row_source.h"

namespace controls::report {

// The text of `value` under a Format pattern ("#,##0.00", "dd/mm/yyyy", ...); an empty pattern
// gives the runtime's general text. Null prints as nothing, and a text prints as it is.
std::string FormatCell(const CellValue& value, std::string_view pattern);

// Today's date as the page header prints it ("dd/mm/yyyy").
std::string TodayText();

}  // namespace controls::report
