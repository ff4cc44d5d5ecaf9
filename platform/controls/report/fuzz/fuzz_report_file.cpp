// libFuzzer target: arbitrary bytes into the report-file reader, as they are and as a stream of
// report-file pieces (each byte picks a key, a part of a Column= line, a Format pattern, a name or
// a line end; bytes above 0xF0 put the next byte in raw), so that most inputs get past the first
// line. A file must read or raise the control's own error (20500 to 20599); a file that reads
// then formats sample values of every kind with each column's format and builds its header
// lines, which may raise only the control's DateOutOfRange.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_file.h"
#include "platform/controls/report/report_layout.h"
#include "platform/win/error.h"

namespace {

using namespace controls::report;

constexpr const char* kPieces[] = {
    "\n", "\r\n", "\xEF\xBB\xBF", "; ", "# ", "=", " ", "|", "Title=", "Source=", "Orientation=", "Header=",
    "Column=", "Group=", "Sum=", "TITLE=", "sum=", "Portrait", "Landscape", "L", "R", "r", "10", "30.5",
    "0", "-4", "1e3", "1000.0001", "nan", "Loja", "Valor", "Ação", "AÇÃO", "Data", "T", "{Criterio}", "{",
    "}", "{{", "}}", "{ x }", "#,##0.00", "0%", "0.00;(0.00);\"zero\"", "dd/mm/yyyy", "hh:nn:ss", "dddddd",
    "mmmm", "yyyy", "AM/PM", "a/p", "ttttt", "ww", "q", "\"lit\"", "\\", "\"", "Short Date", "Long Date",
    "General Number", "Standard", "Currency", "c", "Column=A|Loja|10|L|", "Source=T\n",
};
constexpr std::size_t kPieceCount = sizeof(kPieces) / sizeof(kPieces[0]);

bool IsControlError(long number) { return number >= 20500 && number <= 20599; }

void Exercise(const ReportDefinition& def) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const CellValue values[] = {CellValue::Null(),       CellValue::Text("texto"),   CellValue::Number(0),
                                CellValue::Number(-1.5), CellValue::Number(1e300),   CellValue::Number(nan),
                                CellValue::Number(inf),  CellValue::Date(45657.75), CellValue::Date(-657434),
                                CellValue::Date(1e9)};
    for (const auto& column : def.columns) {
        for (const auto& value : values) {
            try {
                column.format.Apply(value);
            } catch (const win::RuntimeError& e) {
                if (e.Number() != err::DateOutOfRange) std::abort();
            }
        }
    }
    const std::vector<Formula> formulas = {{"Criterio", "Loja = 1"}, {"x", "{y}"}};
    for (const auto& header : def.headers) HeaderText(header, formulas);
}

void Check(std::string_view text) {
    ReportDefinition def;
    try {
        def = ParseReportFile(text, "fuzz.rpt");
    } catch (const win::RuntimeError& e) {
        if (!IsControlError(e.Number())) std::abort();
        return;
    }
    if (def.source.empty() || def.columns.empty()) std::abort();
    Exercise(def);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string pieces;
    for (std::size_t i = 0; i < size && i < 512; ++i) {
        if (data[i] >= 0xF0 && i + 1 < size) {
            pieces += static_cast<char>(data[++i]);
        } else {
            pieces += kPieces[data[i] % kPieceCount];
        }
    }
    Check(pieces);
    return 0;
}
