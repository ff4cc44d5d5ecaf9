// What the upgrade shows while it runs, and the five operations it writes its progress with.
//
// The progress list and the update panel belong to the log-in window, which implements
// UpgradeWindow (report/core/hooks.h) and fills the hook upgradeWindow for the time it is loaded.
// The upgrade only ever talks to the window in force through this interface; with the hook empty
// it writes into a recording window of its own, so a run without a log-in window (a test, a
// benchmark) behaves the same.
//
// Progress operations (the last line is the entry at ListCount - 1):
//   AddLine(text)      AddItem, select it (ListIndex = ListCount - 1), yield
//   AppendOk()         last line & " OK"
//   CloseWithOk()      the last line without its last 6 characters, & " OK"
//   ShowCounter(k, n)  the last line without its last 6 characters, & " kk/nn" (at least two
//                      digits each, zero-padded)
//   Yield()            one turn of the window system's pending events
// The operations on "the last line" do nothing when the list is empty.
#pragma once

#include <string>
#include <vector>

#include "report/core/hooks.h"

namespace report::upgrade {

using report::UpgradeWindow;

// Keeps everything in memory: the lines, the selection, and the visibility and data-control
// settings as last set. The upgrade's own default, and what tests read the lines from.
class RecordingUpgradeWindow : public UpgradeWindow {
public:
    void ClearList() override;
    void AddItem(const std::string& text) override;
    int ListCount() const override;
    std::string List(int index) const override;
    void SetList(int index, const std::string& text) override;
    void SetListIndex(int index) override;
    void SetPanelVisible(bool visible) override;
    void SetStoreFrameVisible(bool visible) override;
    void PointDataControl(const std::string& databaseName, const std::string& recordSource) override;

    std::vector<std::string> lines;
    int listIndex = -1;
    bool panelVisible = false;
    bool storeFrameVisible = true;
    bool panelTouched = false;       // set by any SetPanelVisible or SetStoreFrameVisible
    std::string databaseName;
    std::string recordSource;
    int refreshes = 0;
};

// The window in force: the hook upgradeWindow, else the upgrade's own recording window.
UpgradeWindow& UpgradeWindowInForce();

// The five progress operations, on the window in force.
void AddLine(const std::string& text);
void AppendOk();
void CloseWithOk();
void ShowCounter(int k, int n);
void Yield();

// "00" formatting of the counter: at least two digits, zero-padded, a minus sign kept in front.
std::string TwoDigits(int number);

}  // namespace report::upgrade
