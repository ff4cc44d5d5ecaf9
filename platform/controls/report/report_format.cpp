#include "platform/controls/report/report_format.h"

#include "platform/controls/report/report_errors.h"
#include "platform/win/clock.h"
#include "platform/win/error.h"

namespace controls::report {

CellFormat::CellFormat(std::string_view pattern, std::string_view field)
    : pattern_(pattern), read_(pattern), field_(field) {}

std::string CellFormat::Apply(const CellValue& value) const {
    if (value.kind == CellValue::Kind::Null) return {};
    if (value.kind == CellValue::Kind::Text) return value.text;
    try {
        if (value.kind == CellValue::Kind::Number) return read_.Number(value.number);
        return read_.Date(value.number);
    } catch (const win::RuntimeError& e) {
        // The runtime's Format raises only this for a value it cannot turn into a date.
        if (e.Number() != win::err::InvalidProcedureCall) throw;
        const std::string what = field_.empty() ? "A value" : "Field '" + field_ + "'";
        Raise(err::DateOutOfRange, what + " holds " + win::NumberText(value.number) +
                                       ", which is not a date of the years 100 to 9999, so the "
                                       "format '" + pattern_ + "' cannot show it: correct the value or "
                                       "the column's format.");
    }
}

std::string FormatCell(const CellValue& value, const CellFormat& format) { return format.Apply(value); }

std::string TodayText() {
    const win::CivilTime now = win::SystemClock().Now();
    char text[16];
    const auto two = [](char* at, int value) {
        at[0] = static_cast<char>('0' + value / 10 % 10);
        at[1] = static_cast<char>('0' + value % 10);
    };
    two(text, now.day);
    text[2] = '/';
    two(text + 3, now.month);
    text[5] = '/';
    two(text + 6, now.year / 100);
    two(text + 8, now.year);
    return std::string(text, 10);
}

}  // namespace controls::report
