// The preview window: a modeless top-level window showing one page of a paged report at a time
// (each page laid out when it is shown), with page navigation, zoom, and a print button that the control shows only when the
// program allows printing from the preview.
//
// A provisional report (its first page shown while the rest is still read) reads "Página 1 de ..."
// until SetReport hands over the complete one. Whatever needs more than its first page (another
// page, the last page, printing) asks for the complete report first, through the completion the
// owner set, and goes on with it.
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
    // Replaces the report shown (the complete one for a provisional one), on the same page.
    void SetReport(std::shared_ptr<const PagedReport> report);
    // `complete` makes the report complete (SetReport) or closes the window; `closed` runs when the
    // user closes the window.
    void SetCompletion(std::function<void()> complete, std::function<void()> closed);

    int Zoom() const { return zoom_.value(); }
    int CurrentPage() const { return current_; }
    // The pages that can be shown: the first alone while the count is not known.
    int PageCount() const { return CountKnown() ? static_cast<int>(report_->PageCount()) : 1; }
    bool CountKnown() const { return report_->CountKnown(); }
    const std::shared_ptr<const PagedReport>& Report() const { return report_; }
    bool PrintAllowed() const { return printAllowed_; }
    const QPushButton& PrintButton() const { return print_; }
    const QLabel& PageLabel() const { return pageNumber_; }
    const QLabel& PageView() const { return page_; }
    const QScrollArea& Scroller() const { return scroll_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Redraw();
    void RequestPrint();
    void ShowLastPage();
    // Asks for the complete report; false when there is none to show (the window closed).
    bool Complete();

    std::shared_ptr<const PagedReport> report_;
    std::function<void()> print_callback_;
    std::function<void()> complete_callback_, closed_callback_;
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
