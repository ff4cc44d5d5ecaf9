#include "report/reports/inicio.h"

#include <vector>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/report/com/report_control.h"
#include "platform/controls/threed/threed.h"
#include "platform/forms/app.h"
#include "platform/forms/controls.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/errors.h"
#include "platform/forms/fieldtext.h"
#include "platform/forms/focus.h"
#include "platform/forms/hosted.h"
#include "platform/forms/keys.h"
#include "platform/forms/layout.h"
#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/core/fields.h"
#include "report/core/outside.h"
#include "report/core/rights.h"
#include "report/core/startup.h"
#include "report/core/state.h"
#include "report/core/windows.h"
#include "report/reports/condition_text.h"
#include "report/reports/fquery.h"
#include "report/reports/report_state.h"

namespace report::reports {

using forms::TextOf;

namespace {

constexpr const char* kCaption = "Relatórios Gerais";
constexpr const char* kSelecioneRelatorio = "Selecione o Relatório";
constexpr const char* kSelecioneCriterio = "Selecione o Critério";
constexpr const char* kTitulo = "Mensagem";
constexpr int kWarning = forms::mb::Exclamation;
constexpr const char* kRelatorioForaDaLista = "O Relatório do Critério Não Está na Lista !";

// The per-user catalogue query that the search and its fallback extend (query B).
std::string PerUserQueryB(long codUsuario) {
    return "SELECT Aplicacao.CodAplicacao, Aplicacao.Nome, Aplicacao.Consulta, Aplicacao.Relatorio, "
           "Aplicacao.Consolidado, Relacao.CodUsuario, Relacao.Consulta, Relacao.Imprime FROM Aplicacao RIGHT JOIN "
           "Relacao ON Aplicacao.CodAplicacao = Relacao.CodAplicacao Where (((Aplicacao.Consulta) <> '') And "
           "((Aplicacao.Relatorio) <> '') And ((Relacao.CodUsuario) =" +
           std::to_string(codUsuario);
}

constexpr const char* kRightsTail = " ) And (((Relacao.Consulta) = 'S') Or ((Relacao.Imprime) = 'S')))";

// A search text inside a quoted Like pattern: every character the user typed stands for itself
// (the pattern's wildcards put in classes, its quotes doubled), so that it stays one value.
std::string QuotedSearch(const std::string& text) { return QuotedText("*" + LikeLiteral(text) + "*"); }

}  // namespace

std::string CatalogueLoadQuery(bool administrator, long codUsuario) {
    if (administrator) {
        return "SELECT Aplicacao.* FROM Aplicacao Where Consulta <> Null and Relatorio <> Null and Trim(Consulta) <> '' "
               "and Trim(Relatorio) <> ''  ORDER BY CodAplicacao  Asc";
    }
    return "SELECT Aplicacao.CodAplicacao, Aplicacao.Nome, Aplicacao.Consulta, Aplicacao.Relatorio, "
           "Aplicacao.Consolidado, Relacao.codUsuario, Relacao.Consulta, Relacao.Imprime FROM Aplicacao RIGHT JOIN "
           "Relacao ON Aplicacao.CodAplicacao = Relacao.CodAplicacao Where ((trim(Aplicacao.Consulta) <> '') And "
           "(trim(Aplicacao.Relatorio) <> '') And ((Relacao.CodUsuario) =" +
           std::to_string(codUsuario) + kRightsTail + " ORDER BY Aplicacao.Nome";
}

std::string CatalogueSearchQuery(bool administrator, long codUsuario, const std::string& text) {
    if (administrator) {
        return "SELECT Aplicacao.* FROM Aplicacao Where Consulta <> Null and Relatorio <> Null  And Nome like" +
               QuotedSearch(text) + " ORDER BY CodAplicacao  Asc";
    }
    return PerUserQueryB(codUsuario) + kRightsTail + " And Nome like" + QuotedSearch(text) + " ORDER BY Aplicacao.Nome";
}

std::string CatalogueFallbackQuery(bool administrator, long codUsuario) {
    if (administrator) {
        return "SELECT Aplicacao.* FROM Aplicacao Where Consulta <> Null and Relatorio <> Null  ORDER BY CodAplicacao  Asc";
    }
    return PerUserQueryB(codUsuario) + kRightsTail + " ORDER BY Aplicacao.Nome";
}

Inicio::Inicio() : Inicio(controls::report::ReportPrinter::DefaultHooks()) {}

Inicio::Inicio(controls::report::ReportHooks reportHooks)
    : forms::Window("Inicio"), reportHooks_(std::move(reportHooks)) {
    // A fault the report control meets after its preview opened reaches the user as the program's
    // own messages do.
    if (!reportHooks_.showError) {
        reportHooks_.showError = [](const std::string& description, auto*) { ShowOutsideFailure(description); };
    }
}

Inicio::~Inicio() = default;

controls::threed::Panel3D& Inicio::PainelLocaliza() const { return *painelLocaliza_; }
forms::HostedControl* Inicio::ZmProcura() const { return zmProcura_; }
controls::threed::Button3D& Inicio::BtnProcura() const { return *btnProcura_; }
controls::threed::Button3D& Inicio::BtnEsc() const { return *btnEsc_; }
controls::threed::Button3D& Inicio::BtnSair() const { return *btnSair_; }
controls::threed::Button3D& Inicio::BtnSelecionar() const { return *btnSelecionar_; }
controls::threed::Button3D& Inicio::BtnProcurar() const { return *btnProcurar_; }
controls::threed::Button3D& Inicio::BtnVerificar() const { return *btnVerificar_; }
controls::threed::Button3D& Inicio::BtnFim() const { return *btnFim_; }
controls::threed::Button3D& Inicio::BtnCancelar() const { return *btnCancelar_; }
controls::threed::Button3D& Inicio::BtnImprimir() const { return *btnImprimir_; }
controls::threed::Button3D& Inicio::BtnCriterio() const { return *btnCriterio_; }
forms::HostedControl* Inicio::LblMensagem() const { return lblMensagem_; }
controls::threed::Frame3D& Inicio::FrameSelecionar() const { return *frameSelecionar_; }
controls::grid::DataGrid& Inicio::TbRelatorios() const { return *tbRelatorios_; }
controls::grid::DataGrid& Inicio::TbCriterio() const { return *tbCriterio_; }
forms::DataControl& Inicio::DataRelatorios() const { return *dataRelatorios_; }
forms::DataControl& Inicio::DataCriterio() const { return *dataCriterio_; }
controls::report::ReportControl& Inicio::Report1() const { return *report1_.Get(); }

// The layout, in twips: the search panel in the buttons' place, one row of buttons (each state
// shows its own), the frame with the two grids, and the message line.
void Inicio::CreateControls() {
    using forms::Intrinsic;
    using forms::Library;
    constexpr bool kHidden = false;
    SetKeyPreview(true);
    SetCaption(kCaption);
    SetSize(9300, 6450);
    const forms::ControlSpec layout[] = {
        // name            kind                                      container         left  top   width height caption
        {"PainelLocaliza",  Intrinsic(painelLocaliza_),                "",                120, 5520, 9000,  600, nullptr, kHidden},
        {"ZmLabel",         Intrinsic<forms::Label>(),                 "PainelLocaliza",  120,  180, 1800,  300, "Digite o Relatório : "},
        {"ZmProcura",       Library(library::TextEdit, zmProcura_),    "PainelLocaliza", 1950,  120, 3900,  360, nullptr, true, EmptyTextField()},
        {"BtnProcura",      Intrinsic(btnProcura_),                    "PainelLocaliza", 6000,   90, 1350,  420, "&Procura"},
        {"BtnEsc",          Intrinsic(btnEsc_),                        "PainelLocaliza", 7500,   90, 1350,  420, "&Cancela"},
        {"BtnSair",         Intrinsic(btnSair_),                       "",               7800, 5520, 1320,  420, "Sai&r"},
        {"BtnSelecionar",   Intrinsic(btnSelecionar_),                 "",               1560, 5520, 1320,  420, "&Selecionar"},
        {"BtnProcurar",     Intrinsic(btnProcurar_),                   "",                120, 5520, 1320,  420, "Pr&ocurar"},
        {"BtnVerificar",    Intrinsic(btnVerificar_),                  "",               3000, 5520, 1320,  420, "&Verificar"},
        {"BtnFim",          Intrinsic(btnFim_),                        "",               7800, 5520, 1320,  420, "&Fim", kHidden},
        {"BtnCancelar",     Intrinsic(btnCancelar_),                   "",               3000, 5520, 1320,  420, "&Cancelar", kHidden},
        {"BtnImprimir",     Intrinsic(btnImprimir_),                   "",                120, 5520, 1320,  420, "&Executar", kHidden},
        {"BtnCriterio",     Intrinsic(btnCriterio_),                   "",               1560, 5520, 1320,  420, "Cri&tério", kHidden},
        {"DataCriterio",    Intrinsic(dataCriterio_),                  "",                  0,    0,    0,    0, nullptr, kHidden},
        {"DataRelatorios",  Intrinsic(dataRelatorios_),                "",                  0,    0,    0,    0, nullptr, kHidden},
        {"FrameSelecionar", Intrinsic(frameSelecionar_),               "",                120,   60, 9000, 4860, kSelecioneRelatorio},
        {"TbRelatorios",    Intrinsic(tbRelatorios_),                  "FrameSelecionar", 120,  300, 8760, 4440},
        {"TbCriterio",      Intrinsic(tbCriterio_),                    "FrameSelecionar", 120,  300, 8760, 4440, nullptr, kHidden},
        {"LblMensagem",     Library(library::Label, lblMensagem_),     "",                120, 5010, 9000,  360, ""},
    };
    forms::CreateFromTable(*this, layout, ReportMissingControl("Inicio"));
    btnProcurar_->SetToolTipText("Procurar(Alt + O)");
    for (forms::DataControl* data : {dataCriterio_, dataRelatorios_}) {
        data->SetConnect(std::string(";PWD=") + kSenhaLoja);
        data->SetReadOnly(true);
    }
    tbRelatorios_->AddColumn("NOME DO RELATÓRIO", "Nome");
    tbCriterio_->AddColumn("", "Nome");
    // Each grid's one column spans the grid, less room for its scroll bar.
    for (controls::grid::DataGrid* grid : {tbRelatorios_, tbCriterio_}) grid->SetColumnWidth(0, 8400);
    tbRelatorios_->SetDataSource(*dataRelatorios_);
    tbCriterio_->SetDataSource(*dataCriterio_);
    report1_ = controls::report::ReportControl::Create(reportHooks_);
    // The catalogue has the focus when the window opens.
    tbRelatorios_->SetTabIndex(0);
    ApplyTabOrder();
    ConnectFocusColours();
    ConnectEvents();
}

void Inicio::ConnectEvents() {
    using controls::threed::Button3D;
    const std::pair<Button3D*, void (Inicio::*)()> clicks[] = {
        {btnProcura_, &Inicio::BtnProcura_Click},       {btnEsc_, &Inicio::BtnEsc_Click},
        {btnSair_, &Inicio::BtnSair_Click},             {btnSelecionar_, &Inicio::BtnSelecionar_Click},
        {btnProcurar_, &Inicio::BtnProcurar_Click},     {btnVerificar_, &Inicio::BtnVerificar_Click},
        {btnFim_, &Inicio::BtnFim_Click},               {btnCancelar_, &Inicio::BtnCancelar_Click},
        {btnImprimir_, &Inicio::BtnImprimir_Click},     {btnCriterio_, &Inicio::BtnCriterio_Click},
    };
    for (const auto& [button, click] : clicks) button->Click = [this, click] { (this->*click)(); };
    tbRelatorios_->RowColChange = [this](int, int) { TbRelatorios_RowColChange(); };
    tbCriterio_->RowColChange = [this](int, int) { TbCriterio_RowColChange(); };
    tbRelatorios_->KeyDown = [this](int& keyCode, int shift) { TbRelatorios_KeyDown(keyCode, shift); };
    tbCriterio_->KeyDown = [this](int& keyCode, int shift) { TbCriterio_KeyDown(keyCode, shift); };
}

// One focus rule for the family: buttons colour their caption, the search field its back, the
// grids their highlight.
void Inicio::ConnectFocusColours() {
    for (forms::Control* control : Controls()) {
        if (auto* button = dynamic_cast<controls::threed::Button3D*>(control)) forms::HighlightButtonOnFocus(*button);
    }
    if (zmProcura_) forms::HighlightEditOnFocus(*zmProcura_);
    for (controls::grid::DataGrid* grid : {tbRelatorios_, tbCriterio_}) {
        controls::grid::HighlightRowOnFocus(*grid);
    }
}

void Inicio::Form_Load() {
    ProgramHooks().runReport = [this] { BtnImprimir_Click(); };
    TabelaLoja.Set(BancoProdutoLoja->OpenRecordset("Loja", dao::dbOpenTable));
    TabelaLoja->SetIndex("IndLojaOrigem");
    TabelaLoja->Seek("=", {dao::Value("*")});
    if (TabelaLoja->NoMatch()) {
        NomeLoja = std::string("Produto");
    } else {
        NomeLoja = forms::Left(TextOf(TabelaLoja->Fields().Item("Nome").GetValue()), 20) + forms::Space(20);
    }
    CloseIfOpen(TabelaLoja);
    SetCaption(forms::Trim(NomeLoja) + " - " + kCaption);
    DataCriterio().SetDatabaseName(PastaDados + "\\BD2.MDB");
    DataCriterio().SetRecordSource(" SELECT * from Criterio ");
    DataCriterio().Refresh();
    DataRelatorios().SetDatabaseName(PastaDados + "\\bd2.mdb");
    LoadCatalogue(CatalogueLoadQuery(IsAdministrator(), CodUsuarioAtual));
}

// Opens `source` in the catalogue grid; its first row becomes the current report.
void Inicio::LoadCatalogue(const std::string& source) {
    DataRelatorios().SetRecordSource(source);
    DataRelatorios().Refresh();
    TbRelatorios_RowColChange();
}

void Inicio::Form_Activate() {
    if (RetornoCriterio != "S") return;
    RetornoCriterio = std::string("N");
    if (SelectRowOf(CodRelatorio)) BtnImprimir_Click();
}

// The catalogue row of `codAplicacao`, or -1 when the grid does not list it.
int Inicio::RowOf(const std::string& codAplicacao) {
    if (!DataRelatorios().HasRecordset()) return -1;
    dao::Recordset& rs = DataRelatorios().Recordset();
    if (rs.RecordCount() == 0) return -1;
    int row = 0;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++row) {
        if (TextOf(rs.Fields().Item("CodAplicacao").GetValue()) == codAplicacao) return row;
    }
    return -1;
}

// Makes the catalogue row of `codAplicacao` current, keeping the criterion the builder handed
// back. A search may have left the report out of the list: the whole catalogue is listed again
// then. A report the user may no longer see is refused with a message, so that a criterion is
// never run on another report than the one it was built for.
bool Inicio::SelectRowOf(const std::string& codAplicacao) {
    if (!codAplicacao.empty() && codAplicacao == codAplicacaoAtual_) return true;
    const std::string texto = TextoCriterio;
    const std::string nome = NomeCriterio;
    int found = RowOf(codAplicacao);
    if (found < 0 && !codAplicacao.empty() && DataRelatorios().HasRecordset()) {
        DataRelatorios().SetRecordSource(CatalogueLoadQuery(IsAdministrator(), CodUsuarioAtual));
        DataRelatorios().Refresh();
        TbRelatorios().Refresh();
        found = RowOf(codAplicacao);
    }
    if (found >= 0 && found != TbRelatorios().Row()) TbRelatorios().SetRow(found);
    if (DataRelatorios().HasRecordset()) {
        PositionCatalogue();
        TbRelatorios_RowColChange();
    }
    if (found < 0) {
        TextoCriterio.clear();
        NomeCriterio.clear();
        forms::MsgBox(kRelatorioForaDaLista, kWarning, kTitulo);
        return false;
    }
    TextoCriterio = texto;
    NomeCriterio = nome;
    return true;
}

void Inicio::PositionCatalogue() {
    dao::Recordset& rs = DataRelatorios().Recordset();
    if (rs.RecordCount() == 0) return;
    rs.MoveFirst();
    for (int row = 0; row < TbRelatorios().Row() && !rs.Eof(); ++row) rs.MoveNext();
}

void Inicio::TbRelatorios_RowColChange() {
    if (TbRelatorios().Row() < 0) return;
    forms::Trapped(
        [this] {
            dao::Recordset& rs = DataRelatorios().Recordset();
            codAplicacaoAtual_ = TextOf(rs.Fields().Item("CodAplicacao").GetValue());
            // The per-user query joins two Consulta fields; the catalogue's is its third column.
            consultaAtual_ = TextOf((IsAdministrator() ? rs.Fields().Item("Consulta") : rs.Fields().Item(2)).GetValue());
            relatorioAtual_ = TextOf(rs.Fields().Item("Relatorio").GetValue());
            const dao::Value consolidado = rs.Fields().Item("Consolidado").GetValue();
            RelatorioConsolidado = consolidado.IsNull() ? std::string("N") : forms::UCase(consolidado.ToText());
            const bool pending = !Resposta.IsEmpty() && !(Resposta.IsString() && forms::CStr(Resposta).empty());
            if (!pending) {
                TextoCriterio.clear();
                NomeCriterio.clear();
            }
        },
        [](const win::RuntimeError&) {
            ReportError("Relato", "TbRelatorios");
            FecharBDLoja();
        });
}

void Inicio::TbCriterio_RowColChange() {
    if (TbCriterio().Row() < 0) return;
    dao::Recordset& rs = DataCriterio().Recordset();
    TextoCriterio = TextOf(rs.Fields().Item("Criterio").GetValue());
    NomeCriterio = TextOf(rs.Fields().Item("Nome").GetValue());
}

void Inicio::SetSelectionButtons(bool visible) {
    for (controls::threed::Button3D* button : {&BtnProcurar(), &BtnSelecionar(), &BtnVerificar(), &BtnSair()}) button->SetVisible(visible);
}

// Shows or hides a grid. A focused grid gives up the focus before it hides: the item view would
// otherwise pass the focus on as a Tab key does, moving its current row, and with it the report
// or the criterion the window tracks.
void Inicio::SetGridVisible(controls::grid::DataGrid& grid, bool visible) {
    if (!visible) grid.DropFocus();
    grid.SetVisible(visible);
}

// The report-selection state (visible) or the criterion-choice state.
void Inicio::ShowSelection(bool visible) {
    FrameSelecionar().SetCaption(visible ? kSelecioneRelatorio : kSelecioneCriterio);
    SetGridVisible(TbRelatorios(), visible);
    SetSelectionButtons(visible);
    for (controls::threed::Button3D* button : {&BtnCriterio(), &BtnCancelar(), &BtnImprimir()}) button->SetVisible(!visible);
    SetGridVisible(TbCriterio(), !visible);
}

// The search panel with its field and buttons.
void Inicio::ShowSearchPanel(bool visible) { PainelLocaliza().SetVisible(visible); }

void Inicio::BtnProcurar_Click() {
    ShowSearchPanel(true);
    if (ZmProcura() && ZmProcura()->Visible()) ZmProcura()->SetFocus();
    SetSelectionButtons(false);
    BtnImprimir().SetVisible(false);
    TbRelatorios().SetEnabled(false);
}

void Inicio::BtnProcura_Click() {
    const bool administrator = IsAdministrator();
    DataRelatorios().SetRecordSource(CatalogueSearchQuery(administrator, CodUsuarioAtual, forms::HostedText(ZmProcura())));
    DataRelatorios().Refresh();
    if (DataRelatorios().Recordset().RecordCount() == 0) {
        forms::MsgBox("Não Encontrado Nenhum Relatório", kWarning, kTitulo);
        DataRelatorios().SetRecordSource(CatalogueFallbackQuery(administrator, CodUsuarioAtual));
        DataRelatorios().Refresh();
    }
    TbRelatorios().Refresh();
    TbRelatorios_RowColChange();
    forms::SetHostedText(ZmProcura(), "");
    BtnEsc_Click();
}

void Inicio::BtnEsc_Click() {
    ShowSearchPanel(false);
    SetSelectionButtons(true);
    TbRelatorios().SetEnabled(true);
    TbRelatorios().SetFocus();
}

void Inicio::BtnSelecionar_Click() {
    if (!VerificaAutorizacao("CRITERIO", "C", "S")) return;
    DataCriterio().SetRecordSource(" SELECT * from Criterio Where Criterio.Nome <> Null And Criterio.Relatorio = " +
                                   QuotedText(codAplicacaoAtual_) +
                                   " ORDER BY Criterio.DataCriacao DESC , Criterio.Sequencia Desc");
    DataCriterio().Refresh();
    TbCriterio().SetColumnCaption(0, TextOf(DataRelatorios().Recordset().Fields().Item("Nome").GetValue()));
    TbCriterio().Refresh();
    ShowSelection(false);
    TbCriterio().SetFocus();
    TbCriterio_RowColChange();
}

void Inicio::BtnCriterio_Click() {
    SQLBase.clear();
    TextoCriterio.clear();
    NomeCriterio.clear();
    dao::Recordset selecionar = BancoBD2Loja->OpenRecordset("Selecionar", dao::dbOpenTable);
    selecionar.SetIndex("IndTabela");
    int filled = 0;
    selecionar.Seek(">=", {dao::Value(codAplicacaoAtual_)});
    if (!selecionar.NoMatch()) {
        // Rows beyond the eleventh table of the report are ignored.
        for (; !selecionar.Eof(); selecionar.MoveNext()) {
            if (TextOf(selecionar.Fields().Item("CodAplicacao").GetValue()) != codAplicacaoAtual_) break;
            if (static_cast<std::size_t>(filled) == kMaxTabelasRelatorio) continue;
            CodRelatorio = codAplicacaoAtual_;
            RetornoCriterio = std::string("N");
            TabelasRelatorio[static_cast<std::size_t>(filled++)] = TextOf(selecionar.Fields().Item("Tabela").GetValue());
        }
    }
    Contador = static_cast<std::int16_t>(filled - 1);
    selecionar.Close();
    if (filled == 0) {
        forms::MsgBox("Não Existe Nenhum Tipo de Seleção", kWarning, kTitulo);
        TbRelatorios().SetFocus();
        VoltaSelecao();
        return;
    }
    if (builder_.show) builder_.show();
    BtnCancelar_Click();
    if (builder_.focusGrid) builder_.focusGrid();
    VoltaSelecao();
}

void Inicio::BtnCancelar_Click() {
    ShowSelection(true);
    TbRelatorios().SetFocus();
}

void Inicio::VoltaSelecao() {
    FrameSelecionar().SetCaption(kSelecioneRelatorio);
    for (controls::threed::Button3D* button : {&BtnCriterio(), &BtnImprimir(), &BtnCancelar()}) button->SetVisible(false);
    SetGridVisible(TbCriterio(), false);
    forms::DoEvents();
    SetSelectionButtons(true);
    SetGridVisible(TbRelatorios(), true);
    forms::DoEvents();
}

void Inicio::RetirarTabStop(bool status) {
    std::vector<forms::Step> steps;
    for (forms::Control* control : forms::Window::Controls()) {
        steps.push_back({"", [control, status](forms::StepFlow&) { control->SetTabStop(status); }});
    }
    forms::RunSteps(steps, [](const win::RuntimeError& error, std::string_view) {
        if (error.Number() == win::err::NoSuchMember) return forms::Resume::Next();
        ReportError("Relato", "RetirarTabStop");
        return forms::Resume::Leave();
    });
}

void Inicio::BtnFim_Click() {
    emVisualizacao_ = std::string("N");
    TextoCriterio.clear();
    NomeCriterio.clear();
    RetirarTabStop(true);
    BtnFim().SetVisible(false);
    SetSelectionButtons(true);
    TbRelatorios().SetEnabled(true);
    TbRelatorios().SetFocus();
}

void Inicio::BtnSair_Click() {
    SairPrograma = std::string("S");
    Unload();
}

void Inicio::TbRelatorios_KeyDown(int& keyCode, int) {
    if (keyCode != forms::key::Return || BtnFim().Visible() || !BtnVerificar().Visible()) return;
    TbRelatorios_RowColChange();
    BtnSelecionar_Click();
}

void Inicio::TbCriterio_KeyDown(int& keyCode, int) {
    if (keyCode != forms::key::Return) return;
    forms::Trapped([this] { BtnImprimir_Click(); }, [](const win::RuntimeError&) { ReportError("Report", "TbCriterio_KeyDown"); });
}

void Inicio::Form_KeyDown(int& keyCode, int shift) {
    controls::report::ReportPrinter& printer = report1_->Printer();
    if (keyCode == forms::key::Return && PainelLocaliza().Visible()) BtnProcura_Click();
    const bool printKey = keyCode == forms::key::F1 || keyCode == 'P';
    if (shift == 2 && printKey && printer.PrintAllowed() && BtnFim().Visible()) {
        // No printer, a report file gone since the preview opened: said as the preview's own
        // print button says it, and the preview stays.
        forms::Trapped(
            [&] {
                printer.SetDestination(1);
                printer.SetAction(1);
            },
            [](const win::RuntimeError& error) { ShowOutsideFailure(error.Description()); });
    }
    if (keyCode == forms::key::Escape && !BtnImprimir().Visible() && !PainelLocaliza().Visible()) {
        SairPrograma = std::string("NAO");
        forms::SendCloseKeys(true);
        if (emVisualizacao_ == "S") BtnFim_Click();
        return;
    }
    if (keyCode == forms::key::Add) printer.Zoom(100);
    if (keyCode == forms::key::Subtract) printer.Zoom(80);
}

void Inicio::Form_KeyUp(int& keyCode, int) {
    if (keyCode != forms::key::Escape) return;
    if (PainelLocaliza().Visible()) {
        BtnEsc_Click();
    } else if (BtnImprimir().Visible()) {
        BtnCancelar_Click();
    }
}

// Every way of closing: the preview, the query builder and the consolidation window go first
// (they work on the data-folder set), then the data-folder set closes, the program-folder set
// opens, and the log-in shows.
void Inicio::Form_Unload(int&) {
    emVisualizacao_ = std::string("N");
    report1_->Printer().ClosePreview();
    if (builder_.isLoaded && builder_.unload && builder_.isLoaded()) builder_.unload();
    CloseConsolidationWindow();
    ProgramHooks().runReport = nullptr;
    FecharBDLoja();
    AbrirBD();
    if (!forms::App().EndRequested()) ShowLoginWindow();
}

Inicio& InicioWindow() {
    static Inicio window;
    return window;
}

void InstallReports() {
    forms::SetDataEngine(ProgramEngine());
    InstallQueryBuilder();
}

}  // namespace report::reports
