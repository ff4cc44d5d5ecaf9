#include "report/upgrade/progress.h"

#include <charconv>
#include <cstdlib>

#include "platform/forms/services.h"

namespace report::upgrade {

namespace {

RecordingUpgradeWindow& OwnWindow() {
    static RecordingUpgradeWindow window;
    return window;
}

// The last line without its last `cut` characters (all of it when it is shorter), as the
// runtime's Left(text, Len(text) - cut) would give for a line that long.
std::string CutEnd(const std::string& line, std::size_t cut) {
    return line.size() > cut ? line.substr(0, line.size() - cut) : std::string();
}

void RewriteLast(std::string (*rewrite)(const std::string&, int, int), int k, int n) {
    UpgradeWindow& window = UpgradeWindowInForce();
    const int last = window.ListCount() - 1;
    if (last < 0) return;
    window.SetList(last, rewrite(window.List(last), k, n));
}

}  // namespace

void RecordingUpgradeWindow::ClearList() {
    lines.clear();
    listIndex = -1;
}

void RecordingUpgradeWindow::AddItem(const std::string& text) { lines.push_back(text); }

int RecordingUpgradeWindow::ListCount() const { return static_cast<int>(lines.size()); }

std::string RecordingUpgradeWindow::List(int index) const {
    if (index < 0 || index >= ListCount()) return {};
    return lines[static_cast<std::size_t>(index)];
}

void RecordingUpgradeWindow::SetList(int index, const std::string& text) {
    if (index >= 0 && index < ListCount()) lines[static_cast<std::size_t>(index)] = text;
}

void RecordingUpgradeWindow::SetListIndex(int index) { listIndex = index; }

void RecordingUpgradeWindow::SetPanelVisible(bool visible) {
    panelVisible = visible;
    panelTouched = true;
}

void RecordingUpgradeWindow::SetStoreFrameVisible(bool visible) {
    storeFrameVisible = visible;
    panelTouched = true;
}

void RecordingUpgradeWindow::PointDataControl(const std::string& name, const std::string& source) {
    databaseName = name;
    recordSource = source;
    ++refreshes;
}

UpgradeWindow& UpgradeWindowInForce() {
    UpgradeWindow* window = ProgramHooks().upgradeWindow;
    return window != nullptr ? *window : OwnWindow();
}

void AddLine(const std::string& text) {
    UpgradeWindow& window = UpgradeWindowInForce();
    window.AddItem(text);
    window.SetListIndex(window.ListCount() - 1);
    Yield();
}

void AppendOk() {
    RewriteLast([](const std::string& line, int, int) { return line + " OK"; }, 0, 0);
}

void CloseWithOk() {
    RewriteLast([](const std::string& line, int, int) { return CutEnd(line, 6) + " OK"; }, 0, 0);
}

void ShowCounter(int k, int n) {
    RewriteLast([](const std::string& line, int kk, int nn) {
        return CutEnd(line, 6) + " " + TwoDigits(kk) + "/" + TwoDigits(nn);
    }, k, n);
}

void Yield() { forms::DoEvents(); }

std::string TwoDigits(int number) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, std::abs(static_cast<long long>(number))).ptr;
    std::string text(digits, end);
    if (text.size() < 2) text.insert(0, 2 - text.size(), '0');
    return number < 0 ? "-" + text : text;
}

}  // namespace report::upgrade
