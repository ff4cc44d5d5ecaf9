// The report-printing control's own run-time errors, numbered 20500 to 20599.
//
// Each description says what went wrong and what to do about it, with the file, line, field or
// index concerned, because the program shows it to the user as it stands (its common error
// routine prints number and text). The numbers are stable: a caller's trap may dispatch on them.
#pragma once

#include <string>

#include "platform/win/error.h"

namespace controls::report {

namespace err {
inline constexpr long NoReportFile = 20500;        // no report file set
inline constexpr long ReportFileNotFound = 20501;  // the report file does not exist
inline constexpr long ReportFileUnreadable = 20502;
inline constexpr long MalformedLine = 20503;       // a line is not Key=Value, or its value is bad
inline constexpr long UnknownKey = 20504;
inline constexpr long MissingKey = 20505;          // Source= or Column= absent
inline constexpr long DuplicateKey = 20506;        // a once-only key given twice
inline constexpr long NoDataFile = 20507;          // data file 0 not set
inline constexpr long DataFileNotFound = 20508;
inline constexpr long CannotOpenDataFile = 20509;  // wrong password, damaged file, ...
inline constexpr long DataSourceMissing = 20510;   // no table or query named by Source=
inline constexpr long FieldMissing = 20511;        // a Column/Group/Sum field the source lacks
inline constexpr long MalformedFormula = 20512;
inline constexpr long InvalidIndex = 20513;        // data file or formula index out of range
inline constexpr long InvalidDestination = 20514;
inline constexpr long InvalidZoom = 20515;
inline constexpr long InvalidAction = 20516;
inline constexpr long NoPrinter = 20517;
inline constexpr long PrintFailed = 20518;         // printer or PDF file refused the output
inline constexpr long ColumnsTooWide = 20519;
inline constexpr long NotANumber = 20520;          // a summed field holds a text
inline constexpr long DataReadFailed = 20521;      // the source failed while its rows were read
inline constexpr long HeaderTooTall = 20522;       // the header leaves no room for a row
inline constexpr long LimitExceeded = 20523;       // a report file, line or Format pattern too long
inline constexpr long DateOutOfRange = 20524;      // a value a date format cannot show

// True for the control's own numbers: the report file, the data it shows or the printer failed,
// not the program that started it.
constexpr bool IsReportError(long number) { return number >= 20500 && number <= 20599; }
}  // namespace err

// The source every error of the control carries.
inline constexpr const char* kErrorSource = "ReportPrinter";

[[noreturn]] void Raise(long number, std::string description);

}  // namespace controls::report
