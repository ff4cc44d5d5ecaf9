#include "platform/ctl/control_window.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <map>

#include "platform/ctl/caret.h"
#include "platform/ctl/keys.h"

namespace ctl {

namespace {

struct HandleTable {
    std::int32_t next = 0x10010;
    std::map<std::int32_t, QPointer<QWidget>> widgets;
    std::map<const QWidget*, std::int32_t> numbers;
};

HandleTable& Handles() {
    static HandleTable table;
    return table;
}

}  // namespace

std::int32_t HandleOfWidget(QWidget* widget) {
    if (!widget) return 0;
    HandleTable& t = Handles();
    const auto it = t.numbers.find(widget);
    if (it != t.numbers.end() && t.widgets[it->second] == widget) return it->second;
    const std::int32_t number = t.next;
    t.next += 4;
    t.numbers[widget] = number;
    t.widgets[number] = widget;
    QObject::connect(widget, &QObject::destroyed, [number, widget] {
        HandleTable& table = Handles();
        table.widgets.erase(number);
        table.numbers.erase(widget);
    });
    return number;
}

QWidget* WidgetOfHandle(std::int32_t handle) {
    const auto it = Handles().widgets.find(handle);
    return it == Handles().widgets.end() ? nullptr : it->second.data();
}

ControlWindow::ControlWindow(MessageHandler* handler, QWidget* parent)
    : QWidget(parent), handler_(handler), timers_([this](int id) {
          if (handler_) handler_->OnTimer(id);
      }) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

ControlWindow::~ControlWindow() {
    Caret::Instance().Destroy(this);
    timers_.KillAll();
    if (handler_) handler_->OnWindowDestroyed();
}

void ControlWindow::SetCursorShape(const std::optional<QCursor>& cursor) {
    if (cursor) setCursor(*cursor);
    else unsetCursor();
}

std::int32_t ControlWindow::Handle() const {
    return HandleOfWidget(const_cast<ControlWindow*>(this));
}

void ControlWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const Rect invalid = Rect::FromQt(event->rect());
    if (handler_) {
        handler_->OnEraseBackground(painter, invalid);
        handler_->OnPaint(painter, Rect::FromQt(rect()), invalid);
    }
    Caret::Instance().Paint(this, painter);
}

void ControlWindow::keyPressEvent(QKeyEvent* event) {
    if (!handler_) return;
    const int key = VirtualKeyOf(event->key(), event->modifiers());
    const int shift = ShiftStateOf(event->modifiers());
    if (event->modifiers() & Qt::AltModifier) {
        handler_->OnSysKeyDown(key, shift);
        return;
    }
    const std::vector<unsigned char> chars = CharactersOfKey(*event);
    if (key != 0) handler_->OnKeyDown(key, shift);
    for (unsigned char c : chars) {
        if (!handler_) break;
        handler_->OnChar(c);
    }
}

void ControlWindow::keyReleaseEvent(QKeyEvent* event) {
    if (!handler_ || event->isAutoRepeat()) return;
    const int key = VirtualKeyOf(event->key(), event->modifiers());
    if (key == 0) return;
    const int shift = ShiftStateOf(event->modifiers());
    if (event->modifiers() & Qt::AltModifier) handler_->OnSysKeyUp(key, shift);
    else handler_->OnKeyUp(key, shift);
}

void ControlWindow::inputMethodEvent(QInputMethodEvent* event) {
    if (!handler_) return;
    for (unsigned char c : CharactersOfText(event->commitString())) {
        if (!handler_) break;
        handler_->OnChar(c);
    }
    event->accept();
}

QVariant ControlWindow::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled) return true;
    if (query == Qt::ImCursorRectangle && Caret::Instance().Owner() == this)
        return Caret::Instance().Bounds();
    return QWidget::inputMethodQuery(query);
}

void ControlWindow::focusInEvent(QFocusEvent*) {
    if (handler_) handler_->OnSetFocus();
}

void ControlWindow::focusOutEvent(QFocusEvent*) {
    if (!handler_) return;
    QWidget* gaining = QApplication::focusWidget();
    if (gaining == this) gaining = nullptr;   // the window itself was deactivated
    const bool same = gaining && gaining->window() == window();
    handler_->OnKillFocus(gaining, same);
}

void ControlWindow::mousePressEvent(QMouseEvent* event) {
    if (!handler_) return;
    const QPoint pos = event->position().toPoint();
    handler_->OnButtonDown(ButtonNumberOf(event->button()),
                           MouseFlagsOf(event->buttons(), event->modifiers()), pos);
}

void ControlWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (!handler_) return;
    const QPoint pos = event->position().toPoint();
    const int button = ButtonNumberOf(event->button());
    handler_->OnButtonUp(button, MouseFlagsOf(event->buttons(), event->modifiers()), pos);
    if (event->buttons() == Qt::NoButton) capture_ = false;
    if (button == 2 && handler_) handler_->OnContextMenu(mapToGlobal(pos));
}

void ControlWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!handler_) return;
    handler_->OnButtonDblClk(ButtonNumberOf(event->button()),
                             MouseFlagsOf(event->buttons(), event->modifiers()),
                             event->position().toPoint());
}

void ControlWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!handler_) return;
    handler_->OnSetCursor();
    if (!handler_) return;
    handler_->OnMouseMove(MouseFlagsOf(event->buttons(), event->modifiers()),
                          event->position().toPoint());
}

void ControlWindow::enterEvent(QEnterEvent*) {
    if (handler_) handler_->OnSetCursor();
}

void ControlWindow::leaveEvent(QEvent*) {
    if (!handler_ || !capture_ || QApplication::mouseButtons() != Qt::NoButton) return;
    QPoint outside = mapFromGlobal(QCursor::pos());
    if (rect().contains(outside)) outside = QPoint(-1, -1);
    handler_->OnMouseMove(MouseFlagsOf(Qt::NoButton, QApplication::keyboardModifiers()), outside);
}

void ControlWindow::resizeEvent(QResizeEvent*) {
    if (handler_) handler_->OnResize(size());
}

void ControlWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && handler_)
        handler_->OnCancelMode();
}

void ControlWindow::hideEvent(QHideEvent*) {
    if (handler_) handler_->OnCancelMode();
}

bool ControlWindow::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (handler_ && handler_->WantsKey(VirtualKeyOf(key->key(), key->modifiers()),
                                           ShiftStateOf(key->modifiers()))) {
            event->accept();
            return true;
        }
        break;
    }
    // The top-level window was deactivated (Qt sends its activation change to the top-level
    // window alone, and this to each of its children).
    case QEvent::WindowDeactivate:
    case QEvent::WindowBlocked:
        if (handler_) handler_->OnCancelMode();
        break;
    default: break;
    }
    return QWidget::event(event);
}

}  // namespace ctl
