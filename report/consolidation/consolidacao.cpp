#include "report/consolidation/consolidacao.h"

#include <memory>
#include <utility>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/threed.h"
#include "platform/forms/app.h"
#include "platform/forms/busy.h"
#include "platform/forms/errors.h"
#include "platform/forms/fieldtext.h"
#include "platform/forms/fileio.h"
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
#include "report/core/state.h"
#include "report/core/windows.h"
#include "report/consolidation/run.h"

namespace report::consolidation {

namespace {

using controls::grid::ArrayObject;
using controls::grid::DataGrid;
using controls::threed::Button3D;
using controls::threed::Frame3D;
using controls::threed::Panel3D;

constexpr const char* kProduto = "PRODUTO.MDB";

// The grid's members the window calls, by DISPID.
namespace grid {
constexpr com::DispId Bookmark = 5, Array = 94, RowCountHint = 102, Update = 103;
}

constexpr int kFreeLocks = 1;

ConsolidationRun& InstalledRun() {
    static ConsolidationRun run;
    return run;
}

using forms::TextOf;

// The close of the Form_Load, Form_Unload, BtnBloqueio and ExibirLoja traps: the shared Loja set
// and the data-folder connections, after the report; the window stays as it is.
constexpr TrapClose kCloseLojaAndDataSet{.tabelaLoja = true};

}  // namespace

Consolidacao::Consolidacao() : Window("Consolidação") {}
Consolidacao::~Consolidacao() = default;

// The layout, in twips: the store list in its frame, the status line, the progress bar, the two
// buttons, and the period filter's and the lock wait's panels, each shown over the buttons in turn.
void Consolidacao::CreateControls() {
    using forms::Intrinsic;
    using forms::Library;
    constexpr bool kHidden = false;
    SetCaption(kCaption);
    SetKeyPreview(true);
    SetSize(9495, 7200);
    const forms::ControlSpec layout[] = {
        // name               kind                                      container         left  top   width height caption
        {"FrameLoja",          Intrinsic(frameLoja_),                     "",               1440,  120, 6615, 3255},
        {"Table1",             Intrinsic(table1_),                        "FrameLoja",       120,  240, 6375, 2895},
        {"LabelStatus",        Library(library::Label, labelStatus_),     "",               1455, 3720, 6615,  495, nullptr, kHidden,
         {{"FontName", com::Variant::Utf8("Times New Roman")}}},
        {"PainelPorcentagem",  Intrinsic(painelPorcentagem_),             "",               1440, 4680, 6615,  375, "SSPanel1", kHidden},
        {"BtnConsolidar",      Intrinsic(btnConsolidar_),                 "",               3720, 5760, 1095,  855, "Co&nsolidar", kHidden},
        {"BtnCancelar",        Intrinsic(btnCancelar_),                   "",               4800, 5760, 1095,  855, "&Cancelar"},
        // The period filter; without the library's date control the window works without its fields.
        {"PainelFiltro",       Intrinsic(painelFiltro_),                  "",               2985, 5175, 3615, 1455, nullptr, kHidden},
        {"Label1",             Intrinsic(label1_),                        "PainelFiltro",    480,  180, 1215,  255, "Período"},
        {"Label2",             Intrinsic(label2_),                        "PainelFiltro",   1740,  480,  180,  255, "à"},
        {"BtnExecutar",        Intrinsic(btnExecutar_),                   "PainelFiltro",    480,  840, 1095,  375, "&Executar"},
        {"BtnCancelarFiltro",  Intrinsic(btnCancelarFiltro_),             "PainelFiltro",   2040,  840, 1095,  375, "&Cancela"},
        {"ZmData1",            Library(library::DateEdit, zmData1_),      "PainelFiltro",    480,  480, 1215,  255, nullptr, true, DayFirstDateField()},
        {"ZmData2",            Library(library::DateEdit, zmData2_),      "PainelFiltro",   1920,  480, 1215,  255, nullptr, true, DayFirstDateField()},
        // The lock wait.
        {"PainelBloqueio",     Intrinsic(painelBloqueio_),                "",               3000, 2640, 3615, 2415, nullptr, kHidden},
        {"Label14",            Intrinsic<forms::Label>(),                 "PainelBloqueio",  240,  180, 3135,  255, "AGUARDE !!!"},
        {"Label13",            Intrinsic<forms::Label>(),                 "PainelBloqueio",  240,  480, 3135,  255, "Tentando Atualizar Informação."},
        {"BtnBloqueio",        Intrinsic(btnBloqueio_),                   "PainelBloqueio", 1200, 1200, 1095,  855, "&Cancelar"},
        {"ZmBloqueio",         Library(library::TextEdit, zmBloqueio_),   "PainelBloqueio", 1080,  840, 1335,  255, nullptr, true, EmptyTextField()},
    };
    forms::CreateFromTable(*this, layout, ReportMissingControl(kTela));
    const std::vector<controls::grid::ValueItem> yesNo = {{"S", "SIM"}, {"N", "NÃO"}};
    for (const char* caption : {"Sigla", "Loja", "Em Rede", "Consolidar ?"}) table1_->AddColumn(caption);
    for (int column : {2, 3}) table1_->SetValueItems(column, yesNo);
    for (int column : {0, 1, 2}) table1_->SetColumnLocked(column, true);
    ConnectEvents();
}

void Consolidacao::ShowFilter(bool shown) { painelFiltro_->SetVisible(shown); }

void Consolidacao::ShowLockWait(bool shown) {
    painelBloqueio_->SetVisible(shown);
    if (shown) painelBloqueio_->ZOrder();
}

void Consolidacao::ConnectEvents() {
    btnConsolidar_->Click = [this] { BtnConsolidar_Click(); };
    btnCancelar_->Click = [this] { BtnCancelar_Click(); };
    btnCancelarFiltro_->Click = [this] { BtnCancelarFiltro_Click(); };
    btnBloqueio_->Click = [this] { BtnBloqueio_Click(); };
    btnExecutar_->Click = [this] { BtnExecutar_Click(); };
    // A run polls these two between its statements: they take the user's clicks while it runs.
    forms::ServeWhileBusy(*btnCancelar_);
    forms::ServeWhileBusy(*btnBloqueio_);
    table1_->AfterColUpdate = [this](int column) {
        if (column == 3) Table1_AfterColUpdate();
    };
    for (Button3D* button : {btnCancelar_, btnCancelarFiltro_, btnConsolidar_, btnExecutar_}) {
        forms::HighlightButtonOnFocus(*button);
    }
    controls::grid::HighlightRowOnFocus(*table1_);
    ConnectDateKeys();
}

void Consolidacao::ConnectDateKeys() {
    if (zmData1_ == nullptr || zmData2_ == nullptr) return;
    for (forms::HostedControl* field : {zmData1_, zmData2_}) forms::HighlightEditOnFocus(*field);
    zmData1_->KeyUp = [this](int& key, int) {
        if (key == forms::key::Return || key == forms::key::Down) zmData2_->SetFocus();
    };
    zmData2_->KeyUp = [this](int& key, int) {
        if (key == forms::key::Return) btnExecutar_->SetFocus();
        if (key == forms::key::Up) zmData1_->SetFocus();
    };
}

com::IDispatch& Consolidacao::Grid() const { return *table1_->Object(); }

void Consolidacao::Form_Load() {
    forms::Trapped(
        [this] {
            TabelaLoja.Set(BancoProdutoLoja->OpenRecordset("Loja", dao::dbOpenTable));
            ExibirLoja();
            TabelaLoja->SetIndex("IndLojaOrigem");
            TabelaLoja->Seek("=", {dao::Value("*")});
            if (TabelaLoja->NoMatch()) {
                NomeLoja = "Produto";
            } else {
                NomeLoja = forms::Left(TextOf((*TabelaLoja)("Nome").GetValue()), 20) + std::string(20, ' ');
            }
            SetCaption(forms::Trim(NomeLoja) + " - " + kCaption);
            ModoEspera();
        },
        [](const win::RuntimeError& error) { ReportAndClose(error, kTela, "Form_Load", kCloseLojaAndDataSet); });
}

std::string Consolidacao::LocalArquivo(const std::string& loja) {
    if (forms::UCase(forms::Dir(loja + kProduto)) == kProduto) return loja;
    const std::string onC = "C" + forms::Mid(loja, 2);
    if (forms::UCase(forms::Dir(onC + kProduto)) == kProduto) return forms::UCase(onC);
    return loja;
}

// Stores one row of the list (n := n + 1) from TabelaLoja's current record.
void Consolidacao::AddRow(const std::string& pasta, bool reachable) {
    const auto blankIfEmpty = [](std::string text) { return text.empty() ? std::string(" ") : text; };
    LojaCodigo.push_back(blankIfEmpty(TextOf((*TabelaLoja)("CodLoja").GetValue())));
    LojaNome.push_back(blankIfEmpty(TextOf((*TabelaLoja)("Nome").GetValue())));
    LojaMarca.push_back(reachable ? "S" : "N");
    LojaEmRede.push_back(reachable ? "S" : "N");
    LojaPasta.push_back(pasta);
}

void Consolidacao::ExibirLoja() {
    for (auto* list : {&LojaCodigo, &LojaNome, &LojaMarca, &LojaEmRede, &LojaPasta}) list->assign(1, std::string());
    LojasEmRede = 0;
    std::string folder, pasta;
    forms::StepList steps;
    // The reachable stores first, then the others: two passes over Loja.
    for (const bool reachable : {true, false}) {
        const std::string pass = reachable ? "ReachableStores" : "OtherStores";
        steps.ForEachRecord(pass, []() -> dao::Recordset& { return *TabelaLoja; }, [&, reachable, pass](forms::StepList& body) {
            const forms::Target next = body.To(pass + ".next");
            body.Add(pass + ".Locate", [&, reachable, next](forms::StepFlow& flow) {
                const dao::Value local = (*TabelaLoja)("LocalLojas").GetValue();
                folder = local.IsNull() ? std::string(" ") : local.ToText();
                pasta = folder;   // what the unreachable pass lists when LocalArquivo cannot search it
                pasta = LocalArquivo(folder);
                const bool found = forms::UCase(forms::Dir(pasta + "Produto.mdb")) == kProduto;
                if (found != reachable) flow.GoTo(next);
            });
            body.Add(pass + ".AddRow", [&, reachable](forms::StepFlow&) {
                AddRow(pasta, reachable);
                if (reachable) LojasEmRede = static_cast<long>(LojaCodigo.size()) - 1;
            });
        });
    }
    steps.Add("FillGrid", [this](forms::StepFlow&) { FillGrid(); });
    const forms::Target locateReachable = steps.To("ReachableStores.Locate"), skip = steps.To("ReachableStores.next");
    const forms::Target locateOther = steps.To("OtherStores.Locate"), addUnreachable = steps.To("OtherStores.AddRow");
    forms::RunSteps(std::move(steps), [&](const win::RuntimeError& error, const forms::FailedStep& failed) {
        // A folder this machine cannot reach: not a reachable store, but listed with the others.
        if (win::err::IsUnreachableFolder(error.Number()) && failed.Is(locateReachable)) return forms::Resume::At(skip);
        if (win::err::IsUnreachableFolder(error.Number()) && failed.Is(locateOther)) return forms::Resume::At(addUnreachable);
        ReportAndClose(error, "Reajustar", "ExibirLoja", kCloseLojaAndDataSet);
        return forms::Resume::Leave();
    });
}

void Consolidacao::FillGrid() {
    TotalLojas = static_cast<long>(LojaCodigo.size()) - 1;
    GradeLojas = ArrayObject::Create();
    GradeLojas->ReDim(1, TotalLojas, 0, 3);
    if (TotalLojas == 0) return;
    for (long row = GradeLojas->LowerBound(1); row <= GradeLojas->UpperBound(1); ++row) {
        const std::string cells[] = {LojaCodigo[row], LojaNome[row], forms::UCase(LojaEmRede[row]),
                                     forms::UCase(LojaMarca[row])};
        for (long column = GradeLojas->LowerBound(2); column <= GradeLojas->UpperBound(2); ++column) {
            GradeLojas->SetValue(row, column, com::Variant::Utf8(cells[column]));
        }
    }
    com::CallMethod(&Grid(), grid::RowCountHint, {com::Variant::I4(TotalLojas + 1)});
    com::PutPropertyRef(&Grid(), grid::Array, com::Variant::Dispatch(com::ComPtr<com::IDispatch>(GradeLojas)));
    ProgramEngine().Idle(kFreeLocks);
}

std::string Consolidacao::Mark(long row) const {
    const com::Variant& value = GradeLojas->Value(row, 3);
    return value.Type() == com::VT_BSTR ? value.AsStr().ToUtf8() : std::string();
}

void Consolidacao::Table1_AfterColUpdate() {
    const com::Variant bookmark = com::GetProperty(&Grid(), grid::Bookmark);
    if (bookmark.Type() != com::VT_I4) return;
    const long row = bookmark.AsI4();
    const com::Variant& reach = GradeLojas->Value(row, 2);
    if (reach.Type() == com::VT_BSTR && reach.AsStr().ToUtf8() == "N") {
        GradeLojas->SetValue(row, 3, com::Variant::Utf8("N"));
        com::CallMethod(&Grid(), com::DISPID_REFRESH);
    }
}

void Consolidacao::BtnConsolidar_Click() {
    if (Executando) return;
    LojasMarcadas = TotalLojas;
    com::CallMethod(&Grid(), grid::Update);
    for (long row = 1; row <= TotalLojas; ++row) {
        if (forms::UCase(Mark(row)) != "N") continue;
        GradeLojas->SetValue(row, 3, com::Variant::Utf8("N"));
        --LojasMarcadas;
    }
    if (LojasMarcadas == 0) {
        painelPorcentagem_->SetVisible(false);
        ModoEspera();
        forms::MsgBox("Não Existe Nenhuma Loja Conectada!", forms::mb::Exclamation, "Mensagem");
        Unload();
        return;
    }
    if (forms::MsgBox("Deseja Consolidar Tudo ?", forms::mb::YesNo + forms::mb::Question, "Mensagem") == forms::mb::No) {
        FiltraPeriodo = "S";
        table1_->SetEnabled(false);
        ShowFilter(true);
        btnCancelar_->SetVisible(false);
        btnConsolidar_->SetVisible(false);
        if (zmData1_ != nullptr && zmData2_ != nullptr) {
            forms::SetHostedText(zmData1_, "");
            forms::SetHostedText(zmData2_, "");
            zmData1_->SetFocus();
        }
        return;
    }
    FiltraPeriodo = "N";
    BtnExecutar_Click();
}

void Consolidacao::BtnExecutar_Click() {
    if (Executando) return;
    const ConsolidationRun run = InstalledRun();   // a copy: the run may unload this window
    if (run) run(*this);
}

void Consolidacao::BtnCancelar_Click() {
    if (!Executando && (btnConsolidar_->Visible() || painelFiltro_->Visible())) {
        RestoreReportChoice();
        Unload();
        return;
    }
    CancelaExecucao = true;
}

// Puts the report window (when loaded) back into report choice, as its own cancel does.
void Consolidacao::RestoreReportChoice() {
    forms::Window* report = nullptr;
    for (forms::Window* window : forms::App().LoadedWindows()) {
        if (window->Name() == "Inicio") report = window;
    }
    if (report == nullptr) return;
    if (auto* frame = dynamic_cast<forms::Frame*>(report->FindControl("FrameSelecionar"))) {
        frame->SetCaption("Selecione o Relatório");
    }
    const auto show = [report](const char* name, bool shown) {
        if (forms::Control* control = report->FindControl(name)) control->SetVisible(shown);
    };
    for (const char* name : {"BtnImprimir", "BtnCancelar", "BtnCriterio", "TbCriterio"}) show(name, false);
    for (const char* name : {"TbRelatorios", "BtnSelecionar", "BtnProcurar", "BtnVerificar", "BtnSair"}) show(name, true);
    if (forms::Control* grid = report->FindControl("TbRelatorios")) grid->SetFocus();
}

void Consolidacao::BtnCancelarFiltro_Click() {
    ShowFilter(false);
    ModoEspera();
}

void Consolidacao::BtnBloqueio_Click() {
    forms::Trapped([this] { btnBloqueio_->SetCaption("Sai"); },
                   [](const win::RuntimeError& error) { ReportAndClose(error, kTela, "BtnBloqueio", kCloseLojaAndDataSet); });
}

void Consolidacao::SetStatusVisible(bool visible) {
    if (labelStatus_) labelStatus_->SetVisible(visible);
}

void Consolidacao::SetStatusText(const std::string& text) {
    forms::SetHostedText(labelStatus_, text);
}

void Consolidacao::ModoExecucao() {
    btnCancelar_->SetVisible(true);
    btnCancelar_->Move(4000, btnCancelar_->Top());
    SetStatusVisible(true);
    btnConsolidar_->SetVisible(false);
    table1_->SetEnabled(false);
}

void Consolidacao::ModoEspera() {
    btnCancelar_->SetVisible(true);
    btnCancelar_->Move(4800, btnCancelar_->Top());
    SetStatusVisible(false);
    SetStatusText("");
    btnConsolidar_->SetVisible(true);
    table1_->SetEnabled(true);
}

void Consolidacao::Form_Resize() { ProgramEngine().Idle(kFreeLocks); }

void Consolidacao::Form_KeyUp(int& keyCode, int /*shift*/) {
    if (keyCode == forms::key::Escape && btnConsolidar_->Visible() && !Executando) BtnCancelar_Click();
    if (keyCode == forms::key::F12) StartCalculator();
}

void Consolidacao::Form_QueryUnload(int& cancel, int mode) {
    if (Executando && mode != forms::unload::Code) cancel = 1;
}

void Consolidacao::Form_Unload(int& /*cancel*/) {
    forms::Trapped(
        [] {
            if (TabelaLoja.IsOpen()) TabelaLoja->Close();
            TabelaLoja.Reset();
        },
        [](const win::RuntimeError& error) { ReportAndClose(error, kTela, "Form_Unload", kCloseLojaAndDataSet); });
}

void SetConsolidationRun(ConsolidationRun run) { InstalledRun() = std::move(run); }

Consolidacao& ConsolidationWindow() {
    static Consolidacao window;
    return window;
}

void InstallConsolidation() {
    SetConsolidationRun(ExecutarConsolidacao);
}

}  // namespace report::consolidation
