#include "platform/controls/report/report_preview.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScrollBar>

#include "platform/controls/report/report_render.h"
#include "platform/ctl/font_picture.h"

namespace controls::report {

PreviewWindow::PreviewWindow(std::shared_ptr<const PagedReport> report, const std::string& title,
                             int zoomPercent, bool printAllowed, std::function<void()> print)
    : report_(std::move(report)),
      print_callback_(std::move(print)),
      printAllowed_(printAllowed),
      grid_(this),
      first_("|<"),
      previous_("<"),
      next_(">"),
      last_(">|"),
      print_("&Imprimir"),
      close_("&Fechar") {
    setWindowTitle(QString::fromStdString(title));
    setFont(ctl::DefaultQFont());   // the program's windows' font
    zoom_.setRange(25, 400);
    zoom_.setSingleStep(10);
    zoom_.setSuffix(" %");
    zoom_.setValue(zoomPercent);
    page_.setAlignment(Qt::AlignCenter);
    scroll_.setWidget(&page_);
    scroll_.setWidgetResizable(true);
    scroll_.setBackgroundRole(QPalette::Dark);
    int column = 0;
    for (QWidget* widget : std::initializer_list<QWidget*>{&first_, &previous_, &pageNumber_, &next_, &last_,
                                                           &zoom_, &print_, &close_}) {
        grid_.addWidget(widget, 0, column++);
    }
    grid_.setColumnStretch(column, 1);
    grid_.addWidget(&scroll_, 1, 0, 1, column + 1);
    // The window keeps the keyboard, so its keys work whatever was clicked last; the scroll
    // area would otherwise take Page Up and Page Down for itself.
    for (QWidget* widget :
         std::initializer_list<QWidget*>{&first_, &previous_, &next_, &last_, &print_, &close_, &scroll_}) {
        widget->setFocusPolicy(Qt::NoFocus);
    }
    zoom_.setFocusPolicy(Qt::ClickFocus);
    setFocusPolicy(Qt::StrongFocus);
    connect(&first_, &QPushButton::clicked, this, [this] { ShowPage(0); });
    connect(&previous_, &QPushButton::clicked, this, [this] { ShowPage(current_ - 1); });
    connect(&next_, &QPushButton::clicked, this, [this] { ShowPage(current_ + 1); });
    connect(&last_, &QPushButton::clicked, this, [this] { ShowLastPage(); });
    connect(&zoom_, &QSpinBox::valueChanged, this, [this] { Redraw(); });
    connect(&print_, &QPushButton::clicked, this, [this] { RequestPrint(); });
    connect(&close_, &QPushButton::clicked, this, [this] { close(); });
    SetPrintAllowed(printAllowed);
    resize(900, 700);
    Redraw();
}

void PreviewWindow::SetZoom(int percent) {
    zoom_.setValue(percent);
}

void PreviewWindow::SetPrintAllowed(bool allowed) {
    printAllowed_ = allowed;
    print_.setVisible(allowed);
}

void PreviewWindow::SetReport(std::shared_ptr<const PagedReport> report) {
    report_ = std::move(report);
    current_ = std::clamp(current_, 0, PageCount() - 1);
    Redraw();
}

void PreviewWindow::SetCompletion(std::function<void()> complete, std::function<void()> closed) {
    complete_callback_ = std::move(complete);
    closed_callback_ = std::move(closed);
}

bool PreviewWindow::Complete() {
    if (CountKnown()) return true;
    if (complete_callback_) complete_callback_();
    return CountKnown() && isVisible();
}

void PreviewWindow::ShowLastPage() {
    if (Complete()) ShowPage(PageCount() - 1);
}

void PreviewWindow::ShowPage(int index) {
    if (index >= PageCount() && !Complete()) return;
    const int page = std::clamp(index, 0, PageCount() - 1);
    if (page != current_) scroll_.verticalScrollBar()->setValue(0);  // a new page shows its top
    current_ = page;
    Redraw();
}

void PreviewWindow::Redraw() {
    const int count = PageCount();
    const bool known = CountKnown();
    pageNumber_.setText(QStringLiteral("Página %1 de %2")
                            .arg(current_ + 1)
                            .arg(known ? QString::number(count) : QStringLiteral("...")));
    first_.setEnabled(current_ > 0);
    previous_.setEnabled(current_ > 0);
    next_.setEnabled(!known || current_ + 1 < count);
    last_.setEnabled(!known || current_ + 1 < count);
    page_.setPixmap(QPixmap::fromImage(PageImage(report_->PageAt(static_cast<std::size_t>(current_)),
                                                 report_->PageSize(), zoom_.value(), logicalDpiX(),
                                                 devicePixelRatioF())));
}

void PreviewWindow::RequestPrint() {
    if (printAllowed_ && print_callback_) print_callback_();
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    if (closed_callback_) closed_callback_();
    QWidget::closeEvent(event);
}

void PreviewWindow::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_PageDown: ShowPage(current_ + 1); break;
        case Qt::Key_PageUp: ShowPage(current_ - 1); break;
        case Qt::Key_Home: ShowPage(0); break;
        case Qt::Key_End: ShowLastPage(); break;
        case Qt::Key_Plus: zoom_.stepUp(); break;
        case Qt::Key_Minus: zoom_.stepDown(); break;
        case Qt::Key_Escape: close(); break;
        case Qt::Key_Up:
            scroll_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case Qt::Key_Down:
            scroll_.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        case Qt::Key_P:
            if (ctrl) {
                RequestPrint();
                break;
            }
            [[fallthrough]];
        default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

}  // namespace controls::report
