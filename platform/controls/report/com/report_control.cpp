#include "platform/controls/report/com/report_control.h"

namespace controls::report {
namespace {

using com::Variant;
using Args = com::DispatchTable<ReportControl>::Args;

std::string Text(const Variant& value) {
    return value.AsStr().ToUtf8();
}

// The table of members, in the order of the class's interface.
com::DispatchTable<ReportControl> MakeTable() {
    com::DispatchTable<ReportControl> t("ReportPrinter");
    t.Property(
        "ReportFileName", com::VT_BSTR, {},
        [](ReportControl& c, Args) { return Variant::Utf8(c.Printer().ReportFileName()); },
        [](ReportControl& c, Args, const Variant& v) { c.Printer().SetReportFileName(Text(v)); }, 3);
    t.Property(
        "Action", com::VT_I2, {}, [](ReportControl&, Args) { return Variant::I2(0); },
        [](ReportControl& c, Args, const Variant& v) { c.Printer().SetAction(v.AsI2()); }, 17);
    t.Property(
        "Password", com::VT_BSTR, {}, nullptr,
        [](ReportControl& c, Args, const Variant& v) { c.Printer().SetPassword(Text(v)); }, 23);
    t.Property(
        "Destination", com::VT_I4, {},
        [](ReportControl& c, Args) {
            return Variant::I4(static_cast<std::int32_t>(c.Printer().Destination()));
        },
        [](ReportControl& c, Args, const Variant& v) { c.Printer().SetDestination(v.AsI4()); }, 24);
    t.Method(
        "PrintReport", com::VT_EMPTY, {},
        [](ReportControl& c, Args) {
            c.Printer().PrintReport();
            return Variant();
        },
        28);
    t.Property(
        "Formulas", com::VT_BSTR, {com::VT_I2},
        [](ReportControl& c, Args i) { return Variant::Utf8(c.Printer().Formula(i[0].AsI2())); },
        [](ReportControl& c, Args i, const Variant& v) { c.Printer().SetFormula(i[0].AsI2(), Text(v)); }, 29);
    t.Property(
        "DataFiles", com::VT_BSTR, {com::VT_I2},
        [](ReportControl& c, Args i) { return Variant::Utf8(c.Printer().DataFile(i[0].AsI2())); },
        [](ReportControl& c, Args i, const Variant& v) { c.Printer().SetDataFile(i[0].AsI2(), Text(v)); },
        32);
    t.Method(
        "Zoom", com::VT_EMPTY, {com::VT_I2},
        [](ReportControl& c, Args a) {
            c.Printer().Zoom(a[0].AsI2());
            return Variant();
        },
        88);
    t.Property(
        "PrintAllowed", com::VT_BOOL, {},
        [](ReportControl& c, Args) { return Variant::Bool(c.Printer().PrintAllowed()); },
        [](ReportControl& c, Args, const Variant& v) { c.Printer().SetPrintAllowed(v.AsBool()); }, 119);
    return t;
}

}  // namespace

const com::DispatchMap& ReportControl::DispatchMembers() {
    static const com::DispatchTable<ReportControl> table = MakeTable();
    return table.Map();
}

}  // namespace controls::report
