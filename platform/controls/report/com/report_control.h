// The report-printing control as the program's windows reach it: late-bound members by DISPID
// over the control's engine (report_printer.h), one member to one engine call.
//
//   DISPID  name            kind                        engine
//   3       ReportFileName  property, String            ReportFileName / SetReportFileName
//   17      Action          property, Integer, put 1    SetAction (starts the report)
//   23      Password        property, String, put only  SetPassword (leading line feed dropped)
//   24      Destination     property, Long              0 preview window, 1 printer
//   28      PrintReport     method                      starts the report
//   29      Formulas        property, String, (index)   Formula / SetFormula
//   32      DataFiles       property, String, (index)   DataFile / SetDataFile
//   88      Zoom            method (Integer percent)    Zoom
//   119     PrintAllowed    property, Boolean           the preview's print button
// The engine's run-time errors (20500 to 20599) reach the caller as exception information with
// the control facility's code, so the caller's runtime raises the same number and description.
#pragma once

#include "platform/com/dispatch.h"
#include "platform/controls/report/report_printer.h"

namespace controls::report {

class ReportControl final : public com::DispatchObject<ReportControl> {
public:
    static const com::DispatchMap& DispatchMembers();

    ReportControl() = default;
    explicit ReportControl(ReportPrinter::Hooks hooks) : printer_(std::move(hooks)) {}

    // The engine, for the window that hosts the control and for tests.
    ReportPrinter& Printer() { return printer_; }

private:
    ReportPrinter printer_;
};

}  // namespace controls::report
