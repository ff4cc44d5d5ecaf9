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
        if (i != 0 && !device.newPage()) Raise(err::PrintFailed, "The output refused a new page.");
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

QImage PageImage(const LaidOutReport& report, std::size_t index, int zoomPercent, double screenDpi) {
    const double dpi = screenDpi * zoomPercent / 100.0;
    const QSize size = (report.pageSize * dpi / 72.0).toSize();
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
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
    writer.setPageLayout(LayoutFor(report));
    QPainter painter;
    if (!painter.begin(&writer))
        Raise(err::PrintFailed, "Cannot write the PDF file '" + file.string() + "'.");
    PaintAll(painter, writer, report);
    painter.end();
}

void PrintOn(QPrinter& printer, const LaidOutReport& report) {
    printer.setFullPage(true);
    printer.setPageLayout(LayoutFor(report));
    QPainter painter;
    if (!painter.begin(&printer)) {
        Raise(err::PrintFailed, "The printer '" + printer.printerName().toStdString() +
                                    "' did not accept the report: check that it is on and ready.");
    }
    PaintAll(painter, printer, report);
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        Raise(err::PrintFailed, "The printer reported an error while printing the report.");
    }
}

}  // namespace controls::report
