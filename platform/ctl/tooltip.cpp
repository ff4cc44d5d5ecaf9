#include "platform/ctl/tooltip.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "platform/ctl/colors.h"
#include "platform/ctl/draw.h"
#include "platform/ctl/text_metrics.h"

namespace ctl {

QRect ToolTipRect(const ToolTipPlacement& in) {
    const int width = in.textExtent.width() + 2 * (2 * in.borderWidth + in.blankWidth);
    const int height = in.textExtent.height() + 2 * (2 * in.borderHeight + 1);
    const int screenRight = in.screen.x() + in.screen.width();
    const int screenBottom = in.screen.y() + in.screen.height();
    int left = in.pointer.x() - width / 2;   // C++ division truncates toward zero
    if (left + width > screenRight) left = screenRight - width;
    else if (left < in.screen.x()) left = in.screen.x();
    int top = in.pointer.y() + in.menuHeight * 5 / 4;
    if (top + height > screenBottom) top = screenBottom - height;
    return QRect(left, top, width, height);
}

ToolTipWindow::ToolTipWindow(QWidget* owner, std::string_view text, QPoint pointer)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint), text_(text) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFont(QApplication::font("QTipLabel"));
    const QFontMetrics fm(font());
    ToolTipPlacement place;
    place.textExtent = QSize(fm.horizontalAdvance(FromAnsi(text_)), fm.height());
    place.blankWidth = fm.horizontalAdvance(QLatin1Char(' '));
    place.pointer = pointer;
    const QScreen* screen = QGuiApplication::screenAt(pointer);
    if (!screen) screen = QGuiApplication::primaryScreen();
    place.screen = screen ? screen->geometry() : QRect(0, 0, 640, 480);
    setGeometry(ToolTipRect(place));
    show();
}

void ToolTipWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const Rect all = Rect::FromQt(rect());
    FillRect(p, all, GetSysColor(COLOR_INFOBK));
    FrameRect(p, all, GetSysColor(COLOR_WINDOWFRAME));
    const QFontMetrics fm(font());
    TextOutStyle style;
    style.color = GetSysColor(COLOR_INFOTEXT);
    // Inside the frame: one blank from the left, one pixel from the top.
    const std::string_view shown = std::string_view(text_).substr(0, 255);
    TextOut(p, 1 + fm.horizontalAdvance(QLatin1Char(' ')), 2, shown, style);
}

ToolTipWindow* ToolTipHolder::Show(QWidget* owner, std::string_view text, QPoint pointer) {
    Hide();
    window_ = std::make_unique<ToolTipWindow>(owner, text, pointer);
    // Deleted with its owner: forget it (during our own reset the pointer is already gone).
    QObject::connect(window_.get(), &QObject::destroyed, [this] { (void)window_.release(); });
    return window_.get();
}

void ToolTipHolder::Hide() {
    if (!window_) return;
    QObject::disconnect(window_.get(), &QObject::destroyed, nullptr, nullptr);
    window_.reset();
}

}  // namespace ctl
