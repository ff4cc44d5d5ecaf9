#include "platform/controls/report/report_format.h"

#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_file.h"
#include "platform/controls/tests/report_test_support.h"

namespace {

using namespace controls::report;
using report_test::ExpectError;

TEST(ReportFormatTest, ColumnsFormatTheirValuesWithTheirPattern) {
    const struct {
        CellValue value;
        const char* pattern;
        const char* expected;
    } rows[] = {
        {CellValue::Number(1234.5), "#,##0.00", "1.234,50"},
        {CellValue::Number(1234.5), "", "1234,5"},
        {CellValue::Number(45657), "dd/mm/yyyy", "31/12/2024"},
        {CellValue::Number(2958465), "dd/mm/yyyy", "31/12/9999"},
        {CellValue::Number(-657434), "dd/mm/yyyy", "01/01/100"},
        {CellValue::Date(45657.5), "", "31/12/2024 12:00:00"},
        {CellValue::Date(45657), "dddd", "terça-feira"},
        {CellValue::Text("texto"), "dd/mm/yyyy", "texto"},
        {CellValue::Null(), "#,##0.00", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CellFormat(row.pattern, "F").Apply(row.value), row.expected) << row.pattern;
    }
}

// A number beyond the calendar under a date format is the report's fault to explain, naming the
// field: the runtime's bare 5 ("Invalid procedure call") tells the user nothing.
TEST(ReportFormatTest, ADateFormatOfANumberBeyondTheCalendarNamesTheField) {
    const struct {
        CellValue value;
        const char* pattern;
    } rows[] = {
        {CellValue::Number(1e10), "dd/mm/yyyy"},
        {CellValue::Number(2958466), "dd/mm/yyyy"},
        {CellValue::Number(-657435), "yyyy"},
        {CellValue::Number(-1e300), "Short Date"},
        {CellValue::Date(1e7), ""},
        {CellValue::Date(1e7), "hh:nn"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pattern);
        ExpectError([&] { CellFormat(row.pattern, "Data").Apply(row.value); }, err::DateOutOfRange,
                    "Field 'Data' holds");
    }
    ExpectError([&] { FormatCell(CellValue::Date(1e7), {}); }, err::DateOutOfRange, "A value holds 10000000");
}

// The same through a whole report: a number field shown with a date format.
TEST(ReportFormatTest, AReportWithANumberBeyondTheCalendarRaisesTheControlsError) {
    const ReportDefinition def =
        ParseReportFile("Source=T\nColumn=Quando|Quando|30|L|dd/mm/yyyy\nColumn=Valor|Valor|30|R|0\n", "r.rpt");
    ReportData data(2);
    data.Add({CellValue::Number(45657), CellValue::Number(1)});
    data.Add({CellValue::Number(1e12), CellValue::Number(2)});
    ExpectError([&] { LayOut(def, data, {}, "09/12/2026"); }, err::DateOutOfRange, "Field 'Quando' holds 1000000000000, which is not a date");
}

}  // namespace
