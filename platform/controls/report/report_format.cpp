#include "platform/controls/report/report_format.h"

#include "platform/win/clock.h"
#include "platform/win/textformat.h"

namespace controls::report {

std::string FormatCell(const CellValue& value, std::string_view pattern) {
    switch (value.kind) {
        case CellValue::Kind::Null: return {};
        case CellValue::Kind::Text: return value.text;
        case CellValue::Kind::Number: return win::FormatNumber(value.number, pattern);
        case CellValue::Kind::Date: return win::FormatDate(value.number, pattern);
    }
    return {};
}

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
