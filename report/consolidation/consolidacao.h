// The consolidation window `Consolidação` ("Consolidação de Informações"): the chain's stores,
// which of them this machine reaches, the user's choice of stores to merge into BACKUP.MDB, and
// the choice between everything and the sales of a period. The merge itself is the run's
// (SetConsolidationRun); it reads and writes the window-level state below.
//
// States (each a set of visible controls):
//
//            BtnConsolidar, "Deseja Consolidar Tudo ?" No              BtnExecutar
//   idle ------------------------------------------------> filter -----------------> run
//   (ModoEspera) <------------- BtnCancelarFiltro --------   |                   (ModoExecucao;
//     |   |  --Yes----------------------------------------------------------------> Cancelar only
//     |   +--no store chosen: "Não Existe Nenhuma Loja Conectada!" --> unloaded      asks to stop)
//     +--BtnCancelar / Esc: the report window back to report choice --> unloaded
//
// Invariants:
//   1. Rows 1 .. LojasEmRede of the list are the stores whose folder holds a Produto.mdb, in
//      table order; rows LojasEmRede+1 .. TotalLojas the others, in table order.
//   2. The arrays LojaCodigo .. LojaPasta are indexed by row from 1 (element 0 is unused) and
//      GradeLojas holds rows 1 .. TotalLojas, columns 0-3, shared by reference with the grid.
//   3. A row whose column 2 is "N" never keeps another mark than "N" after the user edits it.
//   4. Esc acts only in the idle state; Cancelar during a run only sets CancelaExecucao.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/controls/grid/array_object.h"
#include "platform/forms/window.h"
#include "report/consolidation/indexes.h"

namespace forms {
class HostedControl;
class Label;
}  // namespace forms
namespace controls::grid {
class DataGrid;
}
namespace controls::threed {
class Button3D;
class Frame3D;
class Panel3D;
}  // namespace controls::threed

namespace report::consolidation {

inline constexpr const char* kCaption = "Consolidação de Informações";
// The window's name in its error reports (Tela).
inline constexpr const char* kTela = "Consolidação";

class Consolidacao : public forms::Window {
public:
    Consolidacao();
    ~Consolidacao() override;

    // The store list (two passes over TabelaLoja) bound to the grid.
    void ExibirLoja();
    // The folder of a store: `loja` when its Produto.mdb is there, else the same path on drive C
    // (upper-cased) when it is there, else `loja`. Raises what Dir raises for a bad drive or path.
    std::string LocalArquivo(const std::string& loja);
    void ModoExecucao();
    void ModoEspera();

    void BtnConsolidar_Click();
    void BtnCancelar_Click();
    void BtnCancelarFiltro_Click();
    void BtnBloqueio_Click();
    void BtnExecutar_Click();
    // The lock wait of the run (its handler calls it with the current error): "Loop" to try the
    // failed statement again, "SaiBloqueio" when the user gave up waiting, "ErroGeral" (reported)
    // for an error that is no lock conflict. `tela` and `rotina` name the place of the error
    // (SetErrorPlace) for this report and for any the run makes after it.
    std::string Bloqueio(const std::string& tela, const std::string& rotina);
    // The grid's notification after the user changed a row's mark.
    void Table1_AfterColUpdate();

    // --- Window-level state, shared with the run -------------------------------------------------
    long TotalLojas = 0;
    long LojasEmRede = 0;
    std::vector<std::string> LojaCodigo, LojaNome, LojaMarca, LojaEmRede, LojaPasta;
    com::ComPtr<controls::grid::ArrayObject> GradeLojas;
    long LojasMarcadas = 0;
    std::string FiltraPeriodo;
    bool CancelaExecucao = false;
    // The row the run is at (from 1), and whether a run is in progress: while it is, the start
    // buttons, Esc and the close box do nothing and Cancelar only sets CancelaExecucao.
    long LinhaAtual = 0;
    bool Executando = false;
    IndexWork Indices;

    // The mark of a row as the array holds it, as text.
    std::string Mark(long row) const;

    // --- Controls (valid while loaded) -----------------------------------------------------------
    controls::threed::Frame3D& FrameLoja() const { return *frameLoja_; }
    controls::grid::DataGrid& Table1() const { return *table1_; }
    // The library's controls: nullptr when their class is not registered.
    forms::HostedControl* LabelStatus() const { return labelStatus_; }
    controls::threed::Panel3D& PainelPorcentagem() const { return *painelPorcentagem_; }
    controls::threed::Button3D& BtnConsolidar() const { return *btnConsolidar_; }
    controls::threed::Button3D& BtnCancelar() const { return *btnCancelar_; }
    controls::threed::Panel3D& PainelFiltro() const { return *painelFiltro_; }
    // The period fields; nullptr when the control library offers no date control.
    forms::HostedControl* ZmData1() const { return zmData1_; }
    forms::HostedControl* ZmData2() const { return zmData2_; }
    controls::threed::Button3D& BtnExecutar() const { return *btnExecutar_; }
    controls::threed::Button3D& BtnCancelarFiltro() const { return *btnCancelarFiltro_; }
    controls::threed::Panel3D& PainelBloqueio() const { return *painelBloqueio_; }
    forms::HostedControl* ZmBloqueio() const { return zmBloqueio_; }
    // The status line under the grid (nothing when its label is missing).
    void SetStatusVisible(bool visible);
    void SetStatusText(const std::string& text);
    controls::threed::Button3D& BtnBloqueio() const { return *btnBloqueio_; }

    // Shows or hides the filter panel with its period fields, and the lock wait's panel.
    void ShowFilter(bool shown);
    void ShowLockWait(bool shown);

protected:
    void CreateControls() override;
    void Form_Load() override;
    void Form_Resize() override;
    void Form_KeyUp(int& keyCode, int shift) override;
    void Form_QueryUnload(int& cancel, int mode) override;
    void Form_Unload(int& cancel) override;

private:
    void ConnectEvents();
    void ConnectDateKeys();
    void FillGrid();
    void AddRow(const std::string& pasta, bool reachable);
    void RestoreReportChoice();
    com::IDispatch& Grid() const;

    controls::threed::Frame3D* frameLoja_ = nullptr;
    controls::grid::DataGrid* table1_ = nullptr;
    forms::HostedControl* labelStatus_ = nullptr;
    controls::threed::Panel3D* painelPorcentagem_ = nullptr;
    controls::threed::Button3D* btnConsolidar_ = nullptr;
    controls::threed::Button3D* btnCancelar_ = nullptr;
    controls::threed::Panel3D* painelFiltro_ = nullptr;
    forms::Label* label1_ = nullptr;
    forms::Label* label2_ = nullptr;
    forms::HostedControl* zmData1_ = nullptr;
    forms::HostedControl* zmData2_ = nullptr;
    controls::threed::Button3D* btnExecutar_ = nullptr;
    controls::threed::Button3D* btnCancelarFiltro_ = nullptr;
    controls::threed::Panel3D* painelBloqueio_ = nullptr;
    forms::HostedControl* zmBloqueio_ = nullptr;
    controls::threed::Button3D* btnBloqueio_ = nullptr;
};

// The run the window starts (BtnExecutar, or Yes to "Deseja Consolidar Tudo ?"); an empty
// function uninstalls. InstallConsolidation installs the consolidation run (run.h).
using ConsolidationRun = std::function<void(Consolidacao&)>;
void SetConsolidationRun(ConsolidationRun run);

// Installs the consolidation run (ExecutarConsolidacao).
void InstallConsolidation();
// The program's one consolidation window.
Consolidacao& ConsolidationWindow();

}  // namespace report::consolidation
