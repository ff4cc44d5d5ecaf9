#include "platform/controls/report/report_render.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include "platform/controls/report/report_errors.h"

namespace controls::report {
namespace {

QPageLayout LayoutFor(const LaidOutReport& report) {
    return QPageLayout(QPageSize(QPageSize::A4),
                       report.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

// Draws every page on a painter already begun on a paged device.
template <typename Device>
void PaintAll(QPainter& painter, Device& device, const LaidOutReport& report) {
    for (std::size_t i = 0; i < report.pages.size(); ++i) {
        if (i != 0 && !device.newPage()) Raise(err::PrintFailed, "A impressora recusou uma nova página.");
        PaintPage(painter, report, i);
    }
}

}  // namespace

void PaintPage(QPainter& painter, const LaidOutReport& report, std::size_t index) {
    const Page& page = report.pages.at(index);
    const double scale = painter.device()->logicalDpiX() / 72.0;
    painter.save();
    painter.setPen(QPen(Qt::black, 0.5 * scale));
    for (const QLineF& line : page.lines) {
        painter.drawLine(QLineF(line.p1() * scale, line.p2() * scale));
    }
    QFont font = ReportFont(9, false);
    painter.setFont(font);
    for (const PageText& text : page.texts) {
        if (text.text.empty()) continue;
        if (font.pointSizeF() != text.pointSize || font.bold() != text.bold) {
            font = ReportFont(text.pointSize, text.bold);
            painter.setFont(font);
        }
        const QRectF rect(text.rect.topLeft() * scale, text.rect.size() * scale);
        QString shown = QString::fromStdString(text.text);
        if (!(text.flags & Qt::TextWordWrap)) {
            shown = QFontMetricsF(font, painter.device()).elidedText(shown, Qt::ElideRight, rect.width());
        }
        painter.drawText(rect, text.flags, shown);
    }
    painter.restore();
}

QImage PageImage(const LaidOutReport& report, std::size_t index, int zoomPercent, double screenDpi,
                 double pixelRatio) {
    const double dpi = screenDpi * zoomPercent / 100.0 * pixelRatio;
    const QSize size = (report.pageSize * dpi / 72.0).toSize();
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintPage(painter, report, index);
    return image;
}

void WritePdf(const LaidOutReport& report, const std::filesystem::path& file) {
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
    writer.setTitle(QString::fromStdString(ReportTitle(report)));
    writer.setPageLayout(LayoutFor(report));
    QPainter painter;
    if (!painter.begin(&writer))
        Raise(err::PrintFailed, "Cannot write the PDF file '" + file.string() + "'.");
    PaintAll(painter, writer, report);
    painter.end();
}

std::string ReportTitle(const LaidOutReport& report) {
    if (report.pages.empty()) return {};
    for (const auto& text : report.pages.front().texts)
        if (text.role == TextRole::Title) return text.text;
    return {};
}

void PreparePrinter(QPrinter& printer, const LaidOutReport& report) {
    printer.setFullPage(true);
    printer.setPageLayout(LayoutFor(report));
    printer.setDocName(QString::fromStdString(ReportTitle(report)));
    printer.setCreator(QStringLiteral("report"));
}

void PrintOn(QPrinter& printer, const LaidOutReport& report) {
    PreparePrinter(printer, report);
    QPainter painter;
    if (!painter.begin(&printer)) {
        Raise(err::PrintFailed, "A impressora '" + printer.printerName().toStdString() +
                                    "' não aceitou o relatório: verifique se está ligada e pronta.");
    }
    PaintAll(painter, printer, report);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        Raise(err::PrintFailed, "A impressora informou um erro ao imprimir o relatório.");
    }
}

}  // namespace controls::report
