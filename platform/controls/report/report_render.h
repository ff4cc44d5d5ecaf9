// Draws laid-out pages onto Qt paint devices: PDF files, printers and preview images.
#pragma once

#include <QFontMetricsF>
#include <QImage>

#include <array>
#include <filesystem>
#include <string>

#include "platform/controls/report/report_layout.h"

class QPainter;
class QPrinter;

namespace controls::report {

// Draws page `index` with the painter's device origin at the page's top-left corner; one point
// of the layout is device DPI / 72 device pixels. Texts too long for their box are cut with an
// ellipsis; header lines wrap.
void PaintPage(QPainter& painter, const LaidOutReport& report, std::size_t index);
void PaintPage(QPainter& painter, const Page& page);

// The advance of each Latin-1 character in one face on one device, and the face's widest advance
// (QFontMetricsF::maxWidth), measured once.
class LatinAdvances {
public:
    explicit LatinAdvances(const QFontMetricsF& metrics);
    qreal Of(char16_t latin1) const { return advances_[latin1]; }
    qreal Widest() const { return widest_; }

private:
    qreal widest_;
    std::array<qreal, 256> advances_;
};

// Whether `text` fits in `width` without measuring it: a text of characters the report's face
// itself draws (Latin-1) whose characters' own advances, and one widest advance more for what
// kerning and rounding may add, come to no more than `width` fits. Measuring a text shapes it, as
// drawing it does again: most texts of a report (numbers, dates, codes, names in their columns)
// are told apart this way, and only the others are measured to be cut.
bool SurelyFits(const QString& text, const LatinAdvances& advances, qreal width);

// Page `index` as an image at `zoomPercent` of its size on a screen of `screenDpi`, drawn with
// `pixelRatio` device pixels to a screen pixel (a high-resolution screen's), so that it is sharp
// there.
QImage PageImage(const LaidOutReport& report, std::size_t index, int zoomPercent, double screenDpi = 96,
                 double pixelRatio = 1);
// `page` of a report whose pages are `pageSize` points, as above.
QImage PageImage(const Page& page, QSizeF pageSize, int zoomPercent, double screenDpi = 96, double pixelRatio = 1);

// The report's title, as its first page shows it; "" without one.
std::string ReportTitle(const LaidOutReport& report);

// Sets `printer` to A4 in the report's orientation, the whole page, and the report's title as
// the document name (a PDF file's title).
void PreparePrinter(QPrinter& printer, const LaidOutReport& report);
void PreparePrinter(QPrinter& printer, const PagedReport& report);

// Writes every page to a PDF file (host path), titled with the report's title. Raises
// PrintFailed when the file cannot be written.
void WritePdf(const LaidOutReport& report, const std::filesystem::path& file);
// The same, laying each page out as it is written.
void WritePdf(const PagedReport& report, const std::filesystem::path& file);

// Prints every page on `printer`, prepared as PreparePrinter does. Raises PrintFailed when the
// printer refuses the job.
void PrintOn(QPrinter& printer, const LaidOutReport& report);
void PrintOn(QPrinter& printer, const PagedReport& report);

}  // namespace controls::report
