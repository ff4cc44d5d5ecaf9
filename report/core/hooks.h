// How one subsystem reaches another's window without linking it: one set of hooks, filled by the
// program's entry (main.cpp) and by the tests' fixtures, called by the subsystem that needs the
// other's window.
//
//   showLogin          the log-in window; shown by Main after its checks and by the catalogue's
//                      close
//   runUpgrade         the start-up upgrade; AbrirBDLoja runs it at every log-in (AtualizarBD)
//   showCatalogue      the report catalogue; shown by the log-in after a log-in
//   showConsolidation  the consolidation window; shown by the catalogue's run of a consolidated
//                      report
//   closeConsolidation unloads the consolidation window when it is loaded; called by the
//                      catalogue's close, since that window works on the catalogue's data set
//   runReport          filled by the catalogue window while it is loaded; called by the
//                      consolidation when it ends or is declined, to print from BACKUP.MDB
//   upgradeWindow      the window the upgrade writes its progress into: the log-in window while
//                      it is loaded (not owned); nullptr gives the upgrade's own recording window
//
// An empty hook does nothing when called.
#pragma once

#include <functional>
#include <string>

namespace report {

// What the upgrade writes its progress into: the log-in window's list, panel, store frame and
// data control.
class UpgradeWindow {
public:
    virtual ~UpgradeWindow() = default;

    // The list box ListTabela.
    virtual void ClearList() = 0;
    virtual void AddItem(const std::string& text) = 0;
    virtual int ListCount() const = 0;
    virtual std::string List(int index) const = 0;
    virtual void SetList(int index, const std::string& text) = 0;
    virtual void SetListIndex(int index) = 0;

    // The panel PainelAtualiza and the frame FrameLoja.
    virtual void SetPanelVisible(bool visible) = 0;
    virtual void SetStoreFrameVisible(bool visible) = 0;

    // The data control Data1: DatabaseName, RecordSource, then Refresh.
    virtual void PointDataControl(const std::string& databaseName, const std::string& recordSource) = 0;
};

struct Hooks {
    std::function<void()> showLogin;
    std::function<void()> runUpgrade;
    std::function<void()> showCatalogue;
    std::function<void()> showConsolidation;
    std::function<void()> closeConsolidation;
    std::function<void()> runReport;
    UpgradeWindow* upgradeWindow = nullptr;
};

// The program's one set of hooks.
Hooks& ProgramHooks();

}  // namespace report
