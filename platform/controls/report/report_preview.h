// The preview window: a modeless top-level window showing one page of a paged report at a time
// (each page laid out when it is shown), with page navigation, zoom, and a print button that the control shows only when the
// program allows printing from the preview.
//
// Keys: Page Up / Page Down, Home / End move between pages; Up and Down scroll the page; '+' and
// '-' (the numeric pad's too) zoom in and out; Ctrl+P prints when printing is allowed; Esc closes
// the window.
#pragma once

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QWidget>

#include <functional>
#include <memory>

#include "platform/controls/report/report_layout.h"

namespace controls::report {

class PreviewWindow : public QWidget {
public:
    // `print` runs when the user asks to print (button or Ctrl+P) and printing is allowed.
    PreviewWindow(std::shared_ptr<const PagedReport> report, const std::string& title, int zoomPercent,
                  bool printAllowed, std::function<void()> print);

    void SetZoom(int percent);  // clamped to the spin box's range
    void SetPrintAllowed(bool allowed);
    void ShowPage(int index);  // 0-based; clamped to the pages there are

    int Zoom() const { return zoom_.value(); }
    int CurrentPage() const { return current_; }
    int PageCount() const { return static_cast<int>(report_->PageCount()); }
    bool PrintAllowed() const { return printAllowed_; }
    const QPushButton& PrintButton() const { return print_; }
    const QLabel& PageLabel() const { return pageNumber_; }
    const QLabel& PageView() const { return page_; }
    const QScrollArea& Scroller() const { return scroll_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Redraw();
    void RequestPrint();

    std::shared_ptr<const PagedReport> report_;
    std::function<void()> print_callback_;
    bool printAllowed_;
    int current_ = 0;
    // Declared before the widgets it holds, so that each widget leaves it before it goes.
    QGridLayout grid_;
    QPushButton first_, previous_, next_, last_;
    QLabel pageNumber_;
    QSpinBox zoom_;
    QPushButton print_, close_;
    QScrollArea scroll_;
    QLabel page_;  // after scroll_: the area holds it and must outlive it
};

}  // namespace controls::report
