// What the report-printing control reaches outside itself (data files, report file paths, the
// date, the printer and its dialog), replaceable by tests and tools. Apart from the engine's
// header, which lays pages out in Qt's geometry, so that a window that only hands the hooks on
// includes no Qt header.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/controls/report/row_source.h"

class QPrinter;
class QWidget;

namespace controls::report {

struct ReportHooks {
    std::shared_ptr<DataConnector> connector;                           // the data files
    std::function<std::filesystem::path(const std::string&)> hostPath;  // report file path
    std::function<std::string()> today;                                 // the header's date
    std::function<std::unique_ptr<QPrinter>()> printer;                 // destination 1
    // The print dialog of the preview, over `parent`: lets the user choose the printer or
    // file; false when the user cancels.
    std::function<bool(QPrinter& printer, QWidget* parent)> printDialog;
    // Tells the user of a fault met after the preview opened (printing from it, or its paging).
    std::function<void(const std::string& description, QWidget* parent)> showError;
};

}  // namespace controls::report
