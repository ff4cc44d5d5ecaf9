#include "zmtext/module/tooltip.h"

#include <memory>

#include "platform/ctl/tooltip.h"

namespace zmtext {

CZMToolTipWnd::CZMToolTipWnd(QWidget* parent, std::string_view text, int pointerX, int pointerY) {
    // The parent widget owns the window once it exists; the handle only watches it.
    auto window = std::make_unique<ctl::ToolTipWindow>(parent, text, QPoint(pointerX, pointerY));
    window_ = window.release();
}

CZMToolTipWnd::~CZMToolTipWnd() {
    // Gone already when the control's window took it along.
    std::unique_ptr<ctl::ToolTipWindow> window(window_.data());
}

QWidget* CZMToolTipWnd::Window() const { return window_.data(); }

bool CZMToolTipWnd::IsShown() const { return window_ && window_->isVisible(); }

QRect CZMToolTipWnd::ScreenRect() const { return window_ ? window_->geometry() : QRect(); }

}  // namespace zmtext
