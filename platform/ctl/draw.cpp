#include "platform/ctl/draw.h"

#include <QFontMetrics>
#include <QImage>
#include <cstdlib>

#include "platform/ctl/text_metrics.h"
#include "platform/win/cp1252.h"

namespace ctl {

void FillRect(QPainter& p, const Rect& r, ColorRef color) {
    if (!r.IsEmpty()) p.fillRect(r.ToQt(), ToQColor(color));
}

void FillRect(QPainter& p, const Rect& r, const QBrush& brush) {
    if (r.IsEmpty()) return;
    const QPoint origin = p.brushOrigin();
    p.setBrushOrigin(0, 0);
    p.fillRect(r.ToQt(), brush);
    p.setBrushOrigin(origin);
}

void FrameRect(QPainter& p, const Rect& r, ColorRef color) {
    if (r.IsEmpty()) return;
    FillRect(p, {r.left, r.top, r.right, r.top + 1}, color);
    FillRect(p, {r.left, r.bottom - 1, r.right, r.bottom}, color);
    FillRect(p, {r.left, r.top, r.left + 1, r.bottom}, color);
    FillRect(p, {r.right - 1, r.top, r.right, r.bottom}, color);
}

void DrawLine(QPainter& p, QPoint from, QPoint to, ColorRef color) {
    const QColor c = ToQColor(color);
    // Bresenham's walk from `from`, stopping before `to`; horizontal and vertical runs are
    // filled in one call.
    if (from.y() == to.y() || from.x() == to.x()) {
        const int x0 = std::min(from.x(), to.x()), x1 = std::max(from.x(), to.x());
        const int y0 = std::min(from.y(), to.y()), y1 = std::max(from.y(), to.y());
        if (from == to) return;
        QRect run = from.y() == to.y() ? QRect(x0, from.y(), x1 - x0 + 1, 1)
                                       : QRect(from.x(), y0, 1, y1 - y0 + 1);
        // Leave out the end point.
        if (from.y() == to.y()) {
            run = to.x() > from.x() ? run.adjusted(0, 0, -1, 0) : run.adjusted(1, 0, 0, 0);
        } else {
            run = to.y() > from.y() ? run.adjusted(0, 0, 0, -1) : run.adjusted(0, 1, 0, 0);
        }
        p.fillRect(run, c);
        return;
    }
    int x = from.x(), y = from.y();
    const int dx = std::abs(to.x() - x), dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1, sy = y < to.y() ? 1 : -1;
    int err = dx + dy;
    while (!(x == to.x() && y == to.y())) {
        p.fillRect(QRect(x, y, 1, 1), c);
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
}

void DrawPolyline(QPainter& p, std::initializer_list<QPoint> points, ColorRef color) {
    const QPoint* prev = nullptr;
    for (const QPoint& pt : points) {
        if (prev) DrawLine(p, *prev, pt, color);
        prev = &pt;
    }
}

int TextOut(QPainter& p, int x, int y, std::string_view cp1252, const TextOutStyle& style) {
    const QString text = FromAnsi(cp1252);
    const QFontMetrics fm(p.font(), p.device());
    const int width = fm.horizontalAdvance(text);
    int left = x;
    if ((style.align & TA_CENTER) == TA_CENTER) left = x - width / 2;
    else if (style.align & TA_RIGHT) left = x - width;
    p.save();
    if (style.clip) p.setClipRect(style.clip->ToQt(), Qt::IntersectClip);
    if (style.background) p.fillRect(QRect(left, y, width, fm.height()), ToQColor(*style.background));
    p.setPen(ToQColor(style.color));
    p.drawText(QPoint(left, y + fm.ascent()), text);
    p.restore();
    return width;
}

int DrawTextIn(QPainter& p, std::string_view cp1252, const Rect& r, unsigned flags,
               ColorRef color) {
    int qt = 0;
    if (flags & DT_CENTER) qt |= Qt::AlignHCenter;
    else if (flags & DT_RIGHT) qt |= Qt::AlignRight;
    else qt |= Qt::AlignLeft;
    if (flags & DT_SINGLELINE) {
        qt |= Qt::TextSingleLine;
        qt |= (flags & DT_VCENTER) ? Qt::AlignVCenter : (flags & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    } else {
        qt |= Qt::AlignTop;
        if (flags & DT_WORDBREAK) qt |= Qt::TextWordWrap;
    }
    if (flags & DT_EXPANDTABS) qt |= Qt::TextExpandTabs;
    if (!(flags & DT_NOPREFIX)) qt |= Qt::TextShowMnemonic;
    p.save();
    if (!(flags & DT_NOCLIP)) p.setClipRect(r.ToQt(), Qt::IntersectClip);
    p.setPen(ToQColor(color));
    QRect bounding;
    p.drawText(r.ToQt(), qt, FromAnsi(cp1252), &bounding);
    p.restore();
    return bounding.height();
}

unsigned char MnemonicOf(std::string_view text) {
    unsigned char found = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (i + 1 >= text.size()) break;
        if (text[i + 1] == '&') {   // a literal ampersand
            ++i;
            continue;
        }
        found = static_cast<unsigned char>(text[i + 1]);
    }
    return found ? win::ToUpper1252(found) : 0;
}

QBrush MonochromePatternBrush(const Pattern8& rows, ColorRef oneBits, ColorRef zeroBits) {
    QImage image(8, 8, QImage::Format_RGB32);
    const QRgb one = ToQColor(oneBits).rgb(), zero = ToQColor(zeroBits).rgb();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, (rows[static_cast<std::size_t>(y)] & (0x80 >> x)) ? one : zero);
    return QBrush(image);
}

void Draw3dEdge(QPainter& p, const Rect& r, ColorRef light, ColorRef dark) {
    DrawPolyline(p, {{r.left, r.bottom - 1}, {r.left, r.top}, {r.right, r.top}}, light);
    DrawPolyline(p, {{r.left, r.bottom - 1}, {r.right - 1, r.bottom - 1}, {r.right - 1, r.top}},
                 dark);
}

int EditBorderWidth(int effect, int borderStyle) {
    if (effect == 1 || effect == 2) return 2;
    return borderStyle == 1 ? 1 : 0;
}

void PaintEditBorder(QPainter& p, const Rect& bounds, const Rect& invalid, int effect,
                     int borderStyle, bool newShell) {
    const int width = EditBorderWidth(effect, borderStyle);
    if (width == 0 || invalid.Inside(bounds.Deflated(width))) return;
    if (width == 1) {
        FrameRect(p, bounds, GetSysColor(COLOR_WINDOWFRAME));
        return;
    }
    const ColorRef highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const ColorRef light = GetSysColor(newShell ? COLOR_3DLIGHT : COLOR_BTNFACE);
    const ColorRef shadow = GetSysColor(COLOR_BTNSHADOW);
    const ColorRef frame = GetSysColor(COLOR_WINDOWFRAME);
    const bool pop = effect == 1;
    Draw3dEdge(p, bounds, pop ? highlight : shadow, pop ? shadow : highlight);
    const ColorRef innerLight = borderStyle == 1 ? frame : (pop ? light : frame);
    const ColorRef innerDark = borderStyle == 1 ? frame : (pop ? frame : light);
    Draw3dEdge(p, bounds.Deflated(1), innerLight, innerDark);
}

}  // namespace ctl
