#include "platform/controls/report/report_printer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>
#include <QTranslator>

#include <array>
#include <fstream>

#include "platform/controls/report/background_paging.h"
#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_file.h"
#include "platform/controls/report/report_format.h"
#include "platform/controls/report/report_preview.h"
#include "platform/controls/report/report_render.h"

namespace controls::report {
namespace {

constexpr int kMaxIndex = 99;  // data files and formulas: indexes 0 to 99
constexpr int kMinZoom = 25, kMaxZoom = 400;

void CheckIndex(int index, const char* what) {
    if (index < 0 || index > kMaxIndex) {
        Raise(err::InvalidIndex, std::string("The ") + what + " index " + std::to_string(index) +
                                     " is outside 0 to " + std::to_string(kMaxIndex) + ".");
    }
}

template <typename T>
void Store(std::vector<T>& items, int index, T value) {
    if (items.size() <= static_cast<std::size_t>(index)) items.resize(static_cast<std::size_t>(index) + 1);
    items[static_cast<std::size_t>(index)] = std::move(value);
}

[[noreturn]] void RaiseNotFound(const std::string& name, const std::string& reason) {
    Raise(err::ReportFileNotFound, "Report file '" + name + "' not found" + reason +
                                       ": check the report's file name in the catalogue and that the "
                                       "file is in the program folder.");
}

// The host path of the report file; a path the machine cannot resolve (an unmapped drive, a name
// Windows refuses) is a report file not found, with the reason.
std::filesystem::path ResolveReportFile(const ReportPrinter::Hooks& hooks, const std::string& name) {
    if (!hooks.hostPath) return name;
    try {
        return hooks.hostPath(name);
    } catch (const win::RuntimeError& e) {
        RaiseNotFound(name, " (" + e.Description() + ")");
    }
}

// The file's text. Its size is checked before anything is read, and the reading stops one byte past
// the limit, so a file that grows meanwhile is refused by the parse without being read whole.
std::string ReadReportText(const std::string& name, const std::filesystem::path& host) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(host, ec)) RaiseNotFound(name, "");
    const std::uintmax_t size = std::filesystem::file_size(host, ec);
    if (!ec) CheckReportFileSize(size, name);
    std::ifstream in(host, std::ios::binary);
    std::string text;
    std::array<char, 65536> chunk;
    while (in && text.size() <= kMaxReportFileBytes) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (!in.is_open() || in.bad()) {
        Raise(err::ReportFileUnreadable, "Report file '" + name + "' cannot be read: check its permissions.");
    }
    return text;
}

// Qt's own dialogs (the print dialog) speak Portuguese, as the program's windows do. Installed
// once, owned by the application.
void UsePortugueseQtTexts() {
    static const bool installed = [] {
        if (!QCoreApplication::instance()) return false;
        auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
        if (!translator->load(QStringLiteral("qtbase_pt_BR"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            return false;
        QCoreApplication::installTranslator(translator.release());
        return true;
    }();
    (void)installed;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

ReportPrinter::ReportPrinter() : ReportPrinter(DefaultHooks()) {}

ReportPrinter::ReportPrinter(Hooks hooks) : hooks_(std::move(hooks)) {
    if (!hooks_.today) hooks_.today = TodayText;
    if (!hooks_.printer) hooks_.printer = [] { return PrinterFor(QPrinterInfo::defaultPrinter()); };
    if (!hooks_.printDialog) hooks_.printDialog = ShowPrintDialog;
    if (!hooks_.showError) {
        hooks_.showError = [](const std::string& description, QWidget* parent) {
            QMessageBox::warning(parent, QStringLiteral("Mensagem"), QString::fromStdString(description));
        };
    }
}

std::unique_ptr<QPrinter> PrinterFor(const QPrinterInfo& info) {
    if (info.isNull()) {
        Raise(err::NoPrinter,
              "Nenhuma impressora está instalada: instale uma impressora ou visualize o relatório na tela.");
    }
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

std::string ProposedPdfFile(const std::string& title) {
    QString name = QString::fromStdString(title).trimmed();
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = u'_';
    }
    if (name.isEmpty() || name == u"." || name == u"..") name = QStringLiteral("Relatório");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    return QDir(folder).filePath(name + QStringLiteral(".pdf")).toStdString();
}

bool ShowPrintDialog(QPrinter& printer, QWidget* parent) {
    UsePortugueseQtTexts();
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Imprimir"));
    // Qt's own proposal for a PDF file is the bare folder on some window systems, and the title
    // cut at its last dot on others.
    if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"))) {
        file->setText(QString::fromStdString(ProposedPdfFile(printer.docName().toStdString())));
    }
    return dialog.exec() == QDialog::Accepted;
}

ReportPrinter::~ReportPrinter() { StopPaging(); }

void ReportPrinter::SetPrintAllowed(bool allowed) {
    printAllowed_ = allowed;
    if (preview_) preview_->SetPrintAllowed(allowed);
}

void ReportPrinter::SetDestination(long destination) {
    if (destination != 0 && destination != 1) {
        Raise(err::InvalidDestination,
              "Destination " + std::to_string(destination) +
                  " is not valid: use 0 for the preview window or 1 for the printer.");
    }
    destination_ = destination;
}

void ReportPrinter::SetPassword(const std::string& password) {
    const std::size_t start = password.find_first_not_of("\r\n");
    password_ = start == std::string::npos ? std::string() : password.substr(start);
}

std::string ReportPrinter::DataFile(int index) const {
    CheckIndex(index, "data file");
    return static_cast<std::size_t>(index) < dataFiles_.size() ? dataFiles_[static_cast<std::size_t>(index)]
                                                               : "";
}

void ReportPrinter::SetDataFile(int index, const std::string& path) {
    CheckIndex(index, "data file");
    Store(dataFiles_, index, path);
}

void ReportPrinter::SetReportFileName(const std::string& path) {
    reportFile_ = path;
}

std::string ReportPrinter::Formula(int index) const {
    CheckIndex(index, "formula");
    return static_cast<std::size_t>(index) < formulaTexts_.size()
               ? formulaTexts_[static_cast<std::size_t>(index)]
               : "";
}

void ReportPrinter::SetFormula(int index, const std::string& text) {
    CheckIndex(index, "formula");
    report::Formula parsed = text.empty() ? report::Formula{} : ParseFormula(text, index);
    Store(formulaTexts_, index, text);
    Store(formulas_, index, std::move(parsed));
}

std::vector<report::Formula> ReportPrinter::Formulas() const {
    std::vector<report::Formula> set;
    for (const auto& formula : formulas_) {
        if (!formula.name.empty()) set.push_back(formula);
    }
    return set;
}

void ReportPrinter::SetAction(int action) {
    if (action != 1) {
        Raise(err::InvalidAction,
              "Action " + std::to_string(action) + " is not valid: set 1 to start the report.");
    }
    Start();
}

void ReportPrinter::PrintReport() {
    Start();
}

void ReportPrinter::Zoom(int percent) {
    if (percent < kMinZoom || percent > kMaxZoom) {
        Raise(err::InvalidZoom, "Zoom " + std::to_string(percent) + " % is not valid: use " +
                                    std::to_string(kMinZoom) + " to " + std::to_string(kMaxZoom) + " %.");
    }
    zoom_ = percent;
    if (preview_) preview_->SetZoom(percent);
}

struct ReportPrinter::Loaded {
    ReportDefinition def;
    std::string dataFile;
};

ReportPrinter::Loaded ReportPrinter::Load() const {
    if (reportFile_.empty()) Raise(err::NoReportFile, "No report file was given to the report control.");
    const std::filesystem::path host = ResolveReportFile(hooks_, reportFile_);
    Loaded loaded{ParseReportFile(ReadReportText(reportFile_, host), reportFile_),
                  dataFiles_.empty() ? "" : dataFiles_.front()};
    if (loaded.dataFile.empty()) Raise(err::NoDataFile, "No data file was given to the report control.");
    if (!hooks_.connector) {
        Raise(err::CannotOpenDataFile,
              "Cannot open data file '" + loaded.dataFile + "': no database engine is available.");
    }
    return loaded;
}

std::shared_ptr<const PagedReport> ReportPrinter::Paged(const Loaded& loaded) const {
    const std::unique_ptr<RowSource> source = hooks_.connector->Open(loaded.dataFile, password_, loaded.def.source);
    ReportData data = ReadReportData(loaded.def, *source);
    return std::make_shared<const PagedReport>(loaded.def, std::move(data), Formulas(), hooks_.today());
}

std::shared_ptr<const PagedReport> ReportPrinter::Paged() const {
    return Paged(Load());
}

std::shared_ptr<const PagedReport> ReportPrinter::FirstPaged(const Loaded& loaded) const {
    const std::size_t rows = FirstPageRows(loaded.def);
    ReportData data;
    {
        const std::unique_ptr<RowSource> head =
            hooks_.connector->OpenHead(loaded.dataFile, password_, loaded.def.source, rows);
        data = ReadReportData(loaded.def, *head, rows);
    }
    const bool firstRows = data.RowCount() == rows;  // there may be more
    auto report = std::make_shared<const PagedReport>(loaded.def, std::move(data), Formulas(), hooks_.today(), firstRows);
    return report->FirstPageSettled() ? report : Paged(loaded);
}

LaidOutReport ReportPrinter::Render() const {
    return Paged()->LayOutAll();
}

void ReportPrinter::ExportPdf(const std::filesystem::path& file) const {
    WritePdf(*Paged(), file);
}

PreviewWindow* ReportPrinter::Preview() const {
    return preview_ && preview_->isVisible() ? preview_.get() : nullptr;
}

void ReportPrinter::ClosePreview() {
    StopPaging();
    preview_.reset();
}

void ReportPrinter::StopPaging() {
    paging_.reset();
}

void ReportPrinter::FinishPaging() {
    if (!paging_) return;
    const std::unique_ptr<BackgroundPaging> job = std::move(paging_);
    try {
        std::shared_ptr<const PagedReport> complete = job->Wait();
        if (preview_) preview_->SetReport(std::move(complete));
    } catch (const win::RuntimeError& e) {
        // The report cannot be built after all: the first page shown is withdrawn.
        if (preview_) preview_->hide();
        hooks_.showError(e.Description(), nullptr);
    }
}

void ReportPrinter::Start() {
    const Loaded loaded = Load();
    if (destination_ == 1) {
        Print(*Paged(loaded));
        return;
    }
    std::shared_ptr<const PagedReport> report = FirstPaged(loaded);
    const bool complete = report->CountKnown();
    StopPaging();  // the paging of the report this one replaces
    OpenPreview(report);
    if (!complete) {
        paging_ = std::make_unique<BackgroundPaging>(std::move(report), hooks_.connector, loaded.dataFile, password_,
                                                     [this] { FinishPaging(); });
    }
}

void ReportPrinter::OpenPreview(std::shared_ptr<const PagedReport> report) {
    const std::string title = report->Title();
    preview_ = std::make_unique<PreviewWindow>(std::move(report), title, zoom_, printAllowed_, [this] {
        FinishPaging();
        if (Preview() == nullptr) return;
        try {
            PrintFromPreview(*preview_->Report());
        } catch (const win::RuntimeError& e) {
            hooks_.showError(e.Description(), preview_.get());
        }
    });
    preview_->SetCompletion([this] { FinishPaging(); }, [this] { StopPaging(); });
    preview_->show();
}

void ReportPrinter::Print(const PagedReport& report) const {
    const std::unique_ptr<QPrinter> printer = hooks_.printer();
    PrintOn(*printer, report);
}

// The dialog opens on the report's paper, orientation and title, which also names a PDF file.
void ReportPrinter::PrintFromPreview(const PagedReport& report) const {
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer, report);
    if (!hooks_.printDialog(printer, preview_.get())) return;
    PrintOn(printer, report);
}

report::Formula ParseFormula(const std::string& text, int index) {
    const auto fail = [&]() -> void {
        Raise(err::MalformedFormula,
              "Formula " + std::to_string(index) + " '" + text + "' is not of the form Name= \"text\".");
    };
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) fail();
    std::size_t nameEnd = equals;
    while (nameEnd > 0 && IsBlank(text[nameEnd - 1])) --nameEnd;
    std::size_t nameStart = 0;
    while (nameStart < nameEnd && IsBlank(text[nameStart])) ++nameStart;
    report::Formula formula{text.substr(nameStart, nameEnd - nameStart), {}};
    if (formula.name.empty() || formula.name.find_first_of(" \t\"") != std::string::npos) fail();
    std::size_t i = equals + 1;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size() || text[i] != '"') fail();
    for (++i;; ++i) {
        if (i >= text.size()) fail();  // no closing quote
        if (text[i] != '"') {
            formula.text += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
            formula.text += '"';
            ++i;
        } else {
            break;
        }
    }
    for (++i; i < text.size(); ++i) {
        if (!IsBlank(text[i])) fail();
    }
    return formula;
}

}  // namespace controls::report
