// Report files: what a report shows, in a small line-oriented text format.
//
// The format (docs/report-files.md has the full description for report writers):
//   UTF-8 text, one `Key=Value` per line; blank lines and lines starting with ';' or '#' are
//   comments. Keys are matched without regard to case; blanks around key and value are dropped.
//   Title=        once, optional        the report's title
//   Source=       once, required        table or stored query of the data file
//   Orientation=  once, optional        Portrait (default) or Landscape
//   Header=       repeatable            a header line; {Name} stands for formula Name's text
//   Column=       repeatable, >= 1      Heading|Field|Width in mm|L or R|Format pattern
//   Group=        once, optional        a field; a change of its value starts a group
//   Sum=          repeatable            a field shown in a column: subtotals and grand total
// Every fault raises the control's error (report_errors.h) naming the file and the line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace controls::report {

enum class Orientation { Portrait, Landscape };
enum class Alignment { Left, Right };

struct ReportColumn {
    std::string heading;
    std::string field;
    double widthMm = 0;
    Alignment alignment = Alignment::Left;
    std::string format;  // the runtime's Format pattern; empty for the general format
};

// One piece of a header line: literal text, or the value of the formula it names.
struct HeaderPart {
    bool isFormula = false;
    std::string text;  // the literal, or the formula's name
};
using HeaderLine = std::vector<HeaderPart>;

struct ReportDefinition {
    std::string title;
    std::string source;
    Orientation orientation = Orientation::Portrait;
    std::vector<HeaderLine> headers;
    std::vector<ReportColumn> columns;
    std::string groupField;         // empty: no groups
    std::vector<std::string> sums;  // fields, each shown by some column
};

// Parses the text of a report file. `fileName` only names the file in error descriptions.
ReportDefinition ParseReportFile(std::string_view text, std::string_view fileName);

// Case-insensitive comparison of field names (ASCII letters; names are matched as the database
// engine matches them for the fields reports use).
bool SameName(std::string_view a, std::string_view b);

}  // namespace controls::report
