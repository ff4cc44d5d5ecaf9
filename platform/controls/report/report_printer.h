// The report-printing control's engine: the members the program sets, and the run that loads a
// report file, reads its rows from the data file and previews or prints them.
//
// The program drives the control by dispatch identifier; each member here is one of those
// members, so a dispatch facade maps identifiers to these calls one to one:
//   119 PrintAllowed / SetPrintAllowed       24 Destination / SetDestination
//   23  SetPassword                          32 DataFile / SetDataFile (indexed)
//   3   ReportFileName / SetReportFileName   29 Formula / SetFormula (indexed)
//   17  SetAction (1 starts)                 28 PrintReport (starts)
//   88  Zoom (percent)
// Every failure raises win::RuntimeError with the control's numbers (report_errors.h) before
// anything is shown: a report that cannot be built never opens an empty preview.
//
// A start with destination 0 reads the source's first rows, opens (or replaces) the modeless
// preview window on the first page and returns at once; every row is then read and paged on a
// thread of its own (background_paging.h) while the window shows "Página 1 de ...", and the page
// count is filled in when the paging is done. A report whose first page its first rows do not
// settle is read whole before the window opens. Anything that needs every page (another page,
// the last one, printing) waits for the paging first. A fault the paging meets after the window
// opened closes the window and shows the control's description. Closing the window, or starting
// again, stops the paging; with destination 1 it prints on the default
// printer without a dialog. The preview keeps the paged report, so printing from it prints what
// the user sees: its print button shows the system's print dialog (in Portuguese; it also prints
// to a PDF file), and a cancelled dialog prints nothing. Every printout and PDF file carries the
// report's title as its document name.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/report/report_hooks.h"
#include "platform/controls/report/row_source.h"

class QPrinter;
class QPrinterInfo;
class QWidget;

namespace controls::report {

class PreviewWindow;
// The page layout (report_layout.h), which is Qt geometry: named here only, so that the
// windows that host the control include no Qt header.
struct Formula;
struct LaidOutReport;
class PagedReport;
class BackgroundPaging;

class ReportPrinter {
public:
    using Hooks = ReportHooks;
    // The real outside world: the database layer, the machine's paths, clock and printer.
    static Hooks DefaultHooks();

    ReportPrinter();
    explicit ReportPrinter(Hooks hooks);
    ~ReportPrinter();
    ReportPrinter(const ReportPrinter&) = delete;
    ReportPrinter& operator=(const ReportPrinter&) = delete;

    bool PrintAllowed() const { return printAllowed_; }
    void SetPrintAllowed(bool allowed);  // also shows or hides an open preview's button

    long Destination() const { return destination_; }
    void SetDestination(long destination);  // 0 preview window, 1 printer

    // The program passes a line feed before the password; leading line breaks are dropped.
    void SetPassword(const std::string& password);
    const std::string& Password() const { return password_; }

    std::string DataFile(int index) const;
    void SetDataFile(int index, const std::string& path);  // index 0 is the data file

    const std::string& ReportFileName() const { return reportFile_; }
    void SetReportFileName(const std::string& path);

    // `Name= "text"`: the name, '=', blanks, a double-quoted literal ("" inside stands for one
    // quote). An empty text clears the formula.
    std::string Formula(int index) const;
    void SetFormula(int index, const std::string& text);

    void SetAction(int action);  // 1 starts the report
    void PrintReport();          // starts the report
    void Zoom(int percent);      // the preview's zoom, now or when it opens
    int ZoomPercent() const { return zoom_; }

    // Loads the report file and the rows and pages the report, without output.
    std::shared_ptr<const PagedReport> Paged() const;
    // True while an open preview's paging is still under way.
    bool Paging() const { return paging_ != nullptr; }
    // Waits for the paging of the open preview and shows its complete report (or closes it on a
    // fault); nothing when no paging is under way.
    void FinishPaging();
    // The same, with every page laid out.
    LaidOutReport Render() const;
    // Renders into a PDF file (host path).
    void ExportPdf(const std::filesystem::path& file) const;

    // The open preview window; nullptr when none was opened or the user closed it.
    PreviewWindow* Preview() const;
    void ClosePreview();

private:
    // The report file read and the data file checked (report_printer.cpp).
    struct Loaded;
    Loaded Load() const;
    std::shared_ptr<const PagedReport> Paged(const Loaded& loaded) const;
    // The report of the source's first rows when they settle its first page, else of every row.
    std::shared_ptr<const PagedReport> FirstPaged(const Loaded& loaded) const;
    void StopPaging();
    void Start();
    void OpenPreview(std::shared_ptr<const PagedReport> report);
    void Print(const PagedReport& report) const;
    void PrintFromPreview(const PagedReport& report) const;
    std::vector<report::Formula> Formulas() const;

    Hooks hooks_;
    bool printAllowed_ = true;
    long destination_ = 0;
    std::string password_;
    std::vector<std::string> dataFiles_;
    std::string reportFile_;
    std::vector<std::string> formulaTexts_;  // as the program set them
    std::vector<report::Formula> formulas_;  // parsed; an empty name marks an unset index
    int zoom_ = 100;
    std::unique_ptr<PreviewWindow> preview_;
    std::unique_ptr<BackgroundPaging> paging_;  // after preview_: stopped before the window goes
};

// The system's print dialog with Qt's Portuguese texts; false when the user cancels. For a PDF
// file it proposes ProposedPdfFile of the printer's document name (the report's title).
bool ShowPrintDialog(QPrinter& printer, QWidget* parent);

// The file a printout to PDF is proposed in: the report's title as a file name (the characters no
// file name may hold become '_'; "Relatório" for an empty title), with ".pdf", in the user's
// documents folder, or in the home folder when there is no documents folder.
std::string ProposedPdfFile(const std::string& title);

// The printer `info` names, for destination 1; raises NoPrinter for a null one (no printer is
// installed). The default hook uses the system's default printer.
std::unique_ptr<QPrinter> PrinterFor(const QPrinterInfo& info);

// Reads a formula `Name= "text"`; raises MalformedFormula naming `index`.
report::Formula ParseFormula(const std::string& text, int index);

}  // namespace controls::report
