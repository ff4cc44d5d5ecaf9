// Report files: what a report shows, in a small line-oriented text format.
//
// The format (docs/report-files.md has the full description for report writers):
//   UTF-8 text (a file that is not valid UTF-8 is read as cp1252, a Windows editor's "ANSI"),
//   one `Key=Value` per line; blank lines and lines starting with ';' or '#' are
//   comments. Keys are matched without regard to case; blanks around key and value are dropped.
//   Title=        once, optional        the report's title
//   Source=       once, required        table or stored query of the data file
//   Orientation=  once, optional        Portrait (default) or Landscape
//   Header=       repeatable            a header line; {Name} stands for formula Name's text
//   Column=       repeatable, >= 1      Heading|Field|Width in mm|L or R|Format pattern
//   Group=        once, optional        a field; a change of its value starts a group
//   Sum=          repeatable            a field shown in a column: subtotals and grand total
// Every fault raises the control's error (report_errors.h) naming the file and the line.
//
// Limits (LimitExceeded beyond them): the file at most kMaxReportFileBytes, a line at most
// kMaxLineBytes, a Format pattern at most kMaxPatternChars characters. Reading takes time in
// proportion to the file's size: names are checked against sets, never pair by pair.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls/report/report_format.h"

namespace controls::report {

enum class Orientation { Portrait, Landscape };
enum class Alignment { Left, Right };

struct ReportColumn {
    std::string heading;
    std::string field;
    double widthMm = 0;
    Alignment alignment = Alignment::Left;
    CellFormat format;  // the runtime's Format pattern, read once; empty for the general format
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

// A report file is a page of text; a thousand times the largest the catalogue names is still
// read in milliseconds, and anything beyond is not a report file.
inline constexpr std::size_t kMaxReportFileBytes = 1024 * 1024;
// A line holds one key and its value; the longest useful one, a header line, fills a page's width.
inline constexpr std::size_t kMaxLineBytes = 4096;

// Refuses (LimitExceeded) a report file of `bytes` bytes when it is larger than kMaxReportFileBytes:
// the check a reader makes on the file's size before reading it, and the parse on the text.
void CheckReportFileSize(std::uintmax_t bytes, std::string_view fileName);

// Parses the text of a report file. `fileName` only names the file in error descriptions.
ReportDefinition ParseReportFile(std::string_view text, std::string_view fileName);

// Case-insensitive comparison of field names (names are matched as the database engine matches
// them for the fields reports use).
bool SameName(std::string_view a, std::string_view b);
// The key under which SameName finds a name in a set: equal keys for names SameName matches.
std::string NameKey(std::string_view name);

}  // namespace controls::report
