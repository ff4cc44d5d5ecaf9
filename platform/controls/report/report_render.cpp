#include "platform/controls/report/report_render.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <functional>
#include <vector>

#include "platform/controls/report/report_errors.h"

namespace controls::report {
namespace {

// What painting a whole report needs: its pages one by one, whether laid out already or made as
// they are painted.
struct PageSource {
    std::size_t count;
    bool landscape;
    std::string title;
    std::function<void(QPainter&, std::size_t)> paint;
};

PageSource SourceOf(const LaidOutReport& report) {
    return {report.pages.size(), report.landscape, ReportTitle(report),
            [&report](QPainter& painter, std::size_t i) { PaintPage(painter, report.pages[i]); }};
}

PageSource SourceOf(const PagedReport& report) {
    return {report.PageCount(), report.Landscape(), report.Title(),
            [&report](QPainter& painter, std::size_t i) { PaintPage(painter, report.PageAt(i)); }};
}

QPageLayout LayoutFor(bool landscape) {
    return QPageLayout(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

// Draws every page on a painter already begun on a paged device.
template <typename Device>
void PaintAll(QPainter& painter, Device& device, const PageSource& source) {
    for (std::size_t i = 0; i < source.count; ++i) {
        if (i != 0 && !device.newPage()) Raise(err::PrintFailed, "A impressora recusou uma nova página.");
        source.paint(painter, i);
    }
}

void WritePdf(const PageSource& source, const std::filesystem::path& file) {
    const QString name = QString::fromStdString(file.string());
    {
        QFile probe(name);
        if (!probe.open(QIODevice::WriteOnly)) {
            Raise(err::PrintFailed, "Cannot write the PDF file '" + file.string() +
                                        "': " + probe.errorString().toStdString() + ".");
        }
    }
    QPdfWriter writer(name);
    writer.setResolution(300);
    writer.setCreator("report");
    writer.setTitle(QString::fromStdString(source.title));
    writer.setPageLayout(LayoutFor(source.landscape));
    QPainter painter;
    if (!painter.begin(&writer))
        Raise(err::PrintFailed, "Cannot write the PDF file '" + file.string() + "'.");
    PaintAll(painter, writer, source);
    painter.end();
}

// The advances of one of the report's faces (ReportFont) on a kind of device at a resolution,
// kept for the pages that follow: a report draws in a few faces, on one device.
const LatinAdvances& AdvancesOf(const QFont& font, QPaintDevice* device) {
    struct Kept {
        double pointSize;
        bool bold;
        int deviceType;
        int dpi;
        LatinAdvances advances;
    };
    thread_local std::vector<Kept> kept;
    const int deviceType = device->devType();
    const int dpi = device->logicalDpiX();
    for (const Kept& k : kept) {
        if (k.pointSize == font.pointSizeF() && k.bold == font.bold() && k.deviceType == deviceType && k.dpi == dpi) {
            return k.advances;
        }
    }
    constexpr std::size_t kMostKept = 16;
    if (kept.size() >= kMostKept) kept.erase(kept.begin());
    kept.push_back({font.pointSizeF(), font.bold(), deviceType, dpi, LatinAdvances(QFontMetricsF(font, device))});
    return kept.back().advances;
}

void PreparePrinter(QPrinter& printer, const PageSource& source) {
    printer.setFullPage(true);
    printer.setPageLayout(LayoutFor(source.landscape));
    printer.setDocName(QString::fromStdString(source.title));
    printer.setCreator(QStringLiteral("report"));
}

void PrintOn(QPrinter& printer, const PageSource& source) {
    PreparePrinter(printer, source);
    QPainter painter;
    if (!painter.begin(&printer)) {
        Raise(err::PrintFailed, "A impressora '" + printer.printerName().toStdString() +
                                    "' não aceitou o relatório: verifique se está ligada e pronta.");
    }
    PaintAll(painter, printer, source);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        Raise(err::PrintFailed, "A impressora informou um erro ao imprimir o relatório.");
    }
}

}  // namespace

LatinAdvances::LatinAdvances(const QFontMetricsF& metrics) : widest_(metrics.maxWidth()) {
    for (char16_t c = 0; c < advances_.size(); ++c) advances_[c] = metrics.horizontalAdvance(QChar(c));
}

bool SurelyFits(const QString& text, const LatinAdvances& advances, qreal width) {
    qreal needed = advances.Widest();
    for (const QChar c : text) {
        if (c.unicode() > 0xFF) return false;
        needed += advances.Of(c.unicode());
        if (needed > width) return false;
    }
    return needed <= width;
}

void PaintPage(QPainter& painter, const LaidOutReport& report, std::size_t index) {
    PaintPage(painter, report.pages.at(index));
}

void PaintPage(QPainter& painter, const Page& page) {
    const double scale = painter.device()->logicalDpiX() / 72.0;
    painter.save();
    painter.setPen(QPen(Qt::black, 0.5 * scale));
    for (const QLineF& line : page.lines) {
        painter.drawLine(QLineF(line.p1() * scale, line.p2() * scale));
    }
    QFont font = ReportFont(9, false);
    painter.setFont(font);
    const LatinAdvances* advances = &AdvancesOf(font, painter.device());
    for (const PageText& text : page.texts) {
        if (text.text.empty()) continue;
        if (font.pointSizeF() != text.pointSize || font.bold() != text.bold) {
            font = ReportFont(text.pointSize, text.bold);
            painter.setFont(font);
            advances = &AdvancesOf(font, painter.device());
        }
        const QRectF rect(text.rect.topLeft() * scale, text.rect.size() * scale);
        QString shown = QString::fromStdString(text.text);
        if (!(text.flags & Qt::TextWordWrap) && !SurelyFits(shown, *advances, rect.width())) {
            shown = QFontMetricsF(font, painter.device()).elidedText(shown, Qt::ElideRight, rect.width());
        }
        painter.drawText(rect, text.flags, shown);
    }
    painter.restore();
}

QImage PageImage(const LaidOutReport& report, std::size_t index, int zoomPercent, double screenDpi,
                 double pixelRatio) {
    return PageImage(report.pages.at(index), report.pageSize, zoomPercent, screenDpi, pixelRatio);
}

QImage PageImage(const Page& page, QSizeF pageSize, int zoomPercent, double screenDpi, double pixelRatio) {
    const double dpi = screenDpi * zoomPercent / 100.0 * pixelRatio;
    const QSize size = (pageSize * dpi / 72.0).toSize();
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintPage(painter, page);
    return image;
}

void WritePdf(const LaidOutReport& report, const std::filesystem::path& file) { WritePdf(SourceOf(report), file); }
void WritePdf(const PagedReport& report, const std::filesystem::path& file) { WritePdf(SourceOf(report), file); }

std::string ReportTitle(const LaidOutReport& report) {
    if (report.pages.empty()) return {};
    for (const auto& text : report.pages.front().texts)
        if (text.role == TextRole::Title) return text.text;
    return {};
}

void PreparePrinter(QPrinter& printer, const LaidOutReport& report) { PreparePrinter(printer, SourceOf(report)); }
void PreparePrinter(QPrinter& printer, const PagedReport& report) { PreparePrinter(printer, SourceOf(report)); }
void PrintOn(QPrinter& printer, const LaidOutReport& report) { PrintOn(printer, SourceOf(report)); }
void PrintOn(QPrinter& printer, const PagedReport& report) { PrintOn(printer, SourceOf(report)); }

}  // namespace controls::report
