#include "platform/ctl/cursors.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace ctl {

namespace {

// A 32x32 cursor drawn by `draw` in black on white with a transparent rest.
template <class Draw>
QCursor DrawnCursor(Draw draw, int hotX, int hotY) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    draw(p);
    p.end();
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

}  // namespace

QCursor NoDropCursor() {
    return DrawnCursor(
        [](QPainter& p) {
            p.setRenderHint(QPainter::Antialiasing, false);
            p.setPen(QPen(Qt::black, 3));
            p.setBrush(Qt::white);
            p.drawEllipse(QRect(4, 4, 22, 22));
            p.drawLine(QPoint(8, 8), QPoint(22, 22));
        },
        15, 15);
}

QCursor IconCursor() {
    return DrawnCursor(
        [](QPainter& p) {
            p.fillRect(QRect(8, 8, 16, 16), Qt::white);
            p.setPen(QPen(Qt::black, 1));
            p.drawRect(QRect(8, 8, 15, 15));
        },
        15, 15);
}

std::optional<QCursor> CursorForPointer(int pointer, const QCursor* custom) {
    switch (pointer) {
    case 1: return QCursor(Qt::ArrowCursor);
    case 2: return QCursor(Qt::CrossCursor);
    case 3: return QCursor(Qt::IBeamCursor);
    case 4: return IconCursor();
    case 5: return QCursor(Qt::SizeAllCursor);
    case 6: return QCursor(Qt::SizeBDiagCursor);
    case 7: return QCursor(Qt::SizeVerCursor);
    case 8: return QCursor(Qt::SizeFDiagCursor);
    case 9: return QCursor(Qt::SizeHorCursor);
    case 10: return QCursor(Qt::UpArrowCursor);
    case 11: return QCursor(Qt::WaitCursor);
    case 12: return NoDropCursor();
    case 13: return custom ? std::optional<QCursor>(*custom) : std::nullopt;
    default: return std::nullopt;
    }
}

}  // namespace ctl
