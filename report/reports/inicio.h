// The report catalogue window `Inicio` ("Relatórios Gerais"): the program's main window after a
// log-in. It lists the reports the user may consult or print, searches them by name, offers the
// saved criteria of a report, opens the query builder for a new one, and runs or previews the
// chosen report through the report-printing control `Report1`.
//
// States (each a set of visible controls; every change sets Visible on each control named):
//
//            BtnProcurar               BtnSelecionar / Enter        BtnCriterio
//   search <------------- selection ---------------------> criterion ----------> query builder
//          --BtnProcura/---> |  ^      <--BtnCancelar/Esc---  choice              (selection shown
//            BtnEsc/Esc      |  |                               |                  meanwhile; its
//                BtnVerificar|  |BtnFim                         |BtnImprimir/Enter hand-back runs
//                            v  |                               v                  the report)
//                          preview <-------------------------- run
//   any state --BtnSair / Esc in selection / close box--> closed: data-folder set closed,
//                                                         program-folder set opened, log-in shown
//
// Invariants:
//   1. CodAplicacaoAtual, ConsultaAtual, RelatorioAtual and RelatorioConsolidado describe the
//      catalogue grid's current row; a row change empties the criterion (text and name) unless
//      the consolidation's answer is pending (Resposta neither Empty nor "").
//   2. EmVisualizacao is "S" exactly while a preview this window started is open.
//   3. The run query ("Relato" + last three characters of the report's query) is the only query
//      a run writes; a report whose own query carries that name is refused, never overwritten.
//   4. Every retry of a trapped statement (3298, 3420, 3012) happens once; a second failure takes
//      the general path.
//   5. What the report control meets outside the program (its report file, the values it shows,
//      the printer) never ends the program: its description is shown, the databases stay open,
//      and the window is back in the report selection (or stays in the preview for a print).
//
// Running a report (execution.cpp): a consolidated report only shows the consolidation window,
// which calls BtnImprimir_Click again through report::RunReport once the flag is back to "N";
// otherwise the temporary tables are re-created empty, the pre-queries run in index order with
// their BACKUP.MDB targets sent to the program folder, the criterion is merged into the report's
// query as the run query, and the control previews the report file from the program folder.
// The builder's hand-back runs the report the builder was opened for (CodRelatorio), listing the
// whole catalogue again when a search left it out, or refuses with a message; never another one.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/controls/report/report_hooks.h"
#include "platform/dao/dao.h"
#include "platform/forms/window.h"
#include "platform/win/error.h"

namespace forms {
class DataControl;
class HostedControl;
}  // namespace forms

namespace controls::grid {
class DataGrid;
}
namespace controls::report {
class ReportControl;
}  // namespace controls::report
namespace controls::threed {
class Button3D;
class Frame3D;
class Panel3D;
}  // namespace controls::threed

namespace report::reports {

// What the catalogue window needs of the query builder window (filled by the builder).
struct QueryBuilderHooks {
    std::function<void()> show;      // shows it modeless, focus on its saved-criteria grid
    std::function<bool()> isLoaded;
    std::function<void()> unload;
    std::function<void()> focusGrid;   // gives the focus to its saved-criteria grid
};

class Inicio : public forms::Window {
public:
    // The report control reaches the real outside world (ReportPrinter::DefaultHooks), or `reportHooks`.
    Inicio();
    explicit Inicio(controls::report::ReportHooks reportHooks);
    ~Inicio() override;

    void SetQueryBuilder(QueryBuilderHooks hooks) { builder_ = std::move(hooks); }

    // Public operations other windows call through the window object.
    bool CriaTabela();
    void ImpRelatorio();
    void BtnImprimir_Click();
    void RetirarTabStop(bool status);
    void VoltaSelecao();
    void BtnCancelar_Click();

    // Handlers, public for the tests that drive the window as a user would.
    void BtnProcurar_Click();
    void BtnProcura_Click();
    void BtnEsc_Click();
    void BtnSelecionar_Click();
    void BtnCriterio_Click();
    void BtnFim_Click();
    void BtnSair_Click();
    void BtnVerificar_Click();
    void TbRelatorios_RowColChange();
    void TbCriterio_RowColChange();

    // Window-level state, read by tests.
    const std::string& CodAplicacaoAtual() const { return codAplicacaoAtual_; }
    const std::string& ConsultaAtual() const { return consultaAtual_; }
    const std::string& RelatorioAtual() const { return relatorioAtual_; }
    const std::string& EmVisualizacao() const { return emVisualizacao_; }

    // The controls, by their names in the window's layout.
    controls::threed::Panel3D& PainelLocaliza() const;
    // The library's search field and message label: nullptr when their class is not registered.
    forms::HostedControl* ZmProcura() const;
    controls::threed::Button3D& BtnProcura() const;
    controls::threed::Button3D& BtnEsc() const;
    controls::threed::Button3D& BtnSair() const;
    controls::threed::Button3D& BtnSelecionar() const;
    controls::threed::Button3D& BtnProcurar() const;
    controls::threed::Button3D& BtnVerificar() const;
    controls::threed::Button3D& BtnFim() const;
    controls::threed::Button3D& BtnCancelar() const;
    controls::threed::Button3D& BtnImprimir() const;
    controls::threed::Button3D& BtnCriterio() const;
    forms::HostedControl* LblMensagem() const;
    controls::threed::Frame3D& FrameSelecionar() const;
    controls::grid::DataGrid& TbRelatorios() const;
    controls::grid::DataGrid& TbCriterio() const;
    forms::DataControl& DataRelatorios() const;
    forms::DataControl& DataCriterio() const;
    controls::report::ReportControl& Report1() const;
    // Puts the catalogue's recordset back on the grid's current row after a walk over it.
    void PositionCatalogue();

protected:
    void CreateControls() override;
    void Form_Load() override;
    void Form_Activate() override;
    void Form_KeyDown(int& keyCode, int shift) override;
    void Form_KeyUp(int& keyCode, int shift) override;
    void Form_Unload(int& cancel) override;

private:
    void ConnectFocusColours();
    void ConnectEvents();
    void ShowSearchPanel(bool visible);
    void ShowSelection(bool visible);
    void SetGridVisible(controls::grid::DataGrid& grid, bool visible);
    void SetSelectionButtons(bool visible);
    void EnterPreviewState();
    void LoadCatalogue(const std::string& source);
    void TbRelatorios_KeyDown(int& keyCode, int shift);
    void TbCriterio_KeyDown(int& keyCode, int shift);
    int RowOf(const std::string& codAplicacao);
    bool SelectRowOf(const std::string& codAplicacao);
    void BackToSelection();

    // Execution (execution.cpp).
    bool WalkPreparation(const char* table, const char* index, const std::function<bool()>& row);
    bool PrepareTables();
    bool RunPreQueries();
    bool RunTrapped(const std::function<void()>& statement);
    bool PrintRights();
    bool WriteRunQuery(const std::string& criterion);
    void SetReportFile(bool withCriterion);
    void ShowCriterionError(const win::RuntimeError& error);
    void ShowReportFault(const win::RuntimeError& error);
    void FinishReportPaging();

    controls::report::ReportHooks reportHooks_;
    controls::threed::Panel3D* painelLocaliza_ = nullptr;
    forms::HostedControl* zmProcura_ = nullptr;
    controls::threed::Button3D* btnProcura_ = nullptr;
    controls::threed::Button3D* btnEsc_ = nullptr;
    controls::threed::Button3D* btnSair_ = nullptr;
    controls::threed::Button3D* btnSelecionar_ = nullptr;
    controls::threed::Button3D* btnProcurar_ = nullptr;
    controls::threed::Button3D* btnVerificar_ = nullptr;
    controls::threed::Button3D* btnFim_ = nullptr;
    controls::threed::Button3D* btnCancelar_ = nullptr;
    controls::threed::Button3D* btnImprimir_ = nullptr;
    controls::threed::Button3D* btnCriterio_ = nullptr;
    forms::DataControl* dataCriterio_ = nullptr;
    forms::DataControl* dataRelatorios_ = nullptr;
    controls::threed::Frame3D* frameSelecionar_ = nullptr;
    controls::grid::DataGrid* tbRelatorios_ = nullptr;
    controls::grid::DataGrid* tbCriterio_ = nullptr;
    forms::HostedControl* lblMensagem_ = nullptr;
    QueryBuilderHooks builder_;
    com::ComPtr<controls::report::ReportControl> report1_;

    std::string codAplicacaoAtual_;
    std::string consultaAtual_;
    std::string relatorioAtual_;
    std::string emVisualizacao_ = "N";
    // Execution's own fields.
    std::optional<dao::Recordset> tabelaPreparo_;
    std::string assuntoPreparo_;
    std::string sqlMontado_;
    std::string nomeConsultaRelatorio_;
};

// The catalogue queries by the user's level (an administrator when Nivel is "A").
std::string CatalogueLoadQuery(bool administrator, long codUsuario);
std::string CatalogueSearchQuery(bool administrator, long codUsuario, const std::string& text);
std::string CatalogueFallbackQuery(bool administrator, long codUsuario);

// The one catalogue window of the program (the hook showCatalogue shows it after a log-in), and
// what it needs installed: the database engine of its data controls and the query builder.
Inicio& InicioWindow();
void InstallReports();

}  // namespace report::reports
