// The builder window's lower half: the report's saved criteria in table Criterio of the data
// folder's BD2.MDB, written through TabelaCriterio (table type, index IndCriterio on Relatorio and
// Sequencia) and listed through Data1 in the grid Table1.
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/threed.h"
#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/controls.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/datetime.h"
#include "platform/forms/errors.h"
#include "platform/forms/fieldtext.h"
#include "platform/forms/hosted.h"
#include "platform/forms/keys.h"
#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "platform/win/textformat.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/core/rights.h"
#include "report/core/state.h"
#include "report/reports/condition_text.h"
#include "report/reports/fquery.h"
#include "report/reports/report_state.h"

namespace report::reports {

namespace {

constexpr const char* kTela = "Query";
// Seeking with the largest number a Sequencia can hold finds the report's last criterion.
constexpr std::int32_t kLastSequencia = std::numeric_limits<std::int32_t>::max();

// The name as stored: upper-cased, and no longer than table Criterio's name field holds.
std::string NomeToSave(const std::string& typed) { return forms::Left(forms::UCase(typed), kNomeSize); }

using forms::TextOf;

void Warn(const char* text) { forms::MsgBox(text, forms::mb::Exclamation, "Mensagem"); }

}  // namespace

void FQuery::OpenSavedCriteria() {
    tabelaCriterio_ = BancoBD2Loja->OpenRecordset("CRITERIO", dao::dbOpenTable);
    Data1().SetDatabaseName(PastaDados + "\\BD2.MDB");
    Data1().SetRecordSource(SavedCriteriaSource(CodRelatorio));
    Data1().Refresh();
    Table1().Refresh();
}

// Grid mode (true) or edit mode (false).
void FQuery::ExibirGrade(bool status) {
    Table1().SetVisible(status);
    BtnAlterar().SetVisible(status);
    BtnExcluir().SetVisible(status);
    for (forms::Control* edit : {static_cast<forms::Control*>(ZmNome()), static_cast<forms::Control*>(&txtCriterio()),
                                 static_cast<forms::Control*>(&Label1()), static_cast<forms::Control*>(&Label2()),
                                 static_cast<forms::Control*>(&BtnGravar()),
                                 static_cast<forms::Control*>(&BtnCancelar())}) {
        if (edit) edit->SetVisible(!status);
    }
    FrameSuperior().SetEnabled(status);
    if (status) {
        Data1().Refresh();
        Table1().Refresh();
    } else {
        Focus(ZmNome());
    }
}

void FQuery::LimpaCriterio() {
    forms::SetHostedText(ZmNome(), "");
    txtCriterio().SetText("");
}

void FQuery::Consistir() {
    consistente_ = true;
    const std::string texto = txtCriterio().Text();
    if (forms::Trim(forms::HostedText(ZmNome())).empty()) {
        consistente_ = false;
        Warn("Informe o nome do Critério!");
        Focus(ZmNome());
    } else if (forms::Trim(texto).empty()) {
        consistente_ = false;
        Warn("Não há Critério de Seleção !");
        Focus(&txtCriterio());
    } else if (!CriterionMayRun(texto)) {
        consistente_ = false;
        Focus(&txtCriterio());
    }
}

// Puts TabelaCriterio on the grid's current row; 3021 when the grid has none.
void FQuery::SeekGridRow() {
    if (Table1().Row() < 0 || !Data1().HasRecordset()) throw win::RuntimeError(dao::jet::NoCurrentRecord, "No current record.");
    const dao::Recordset& rs = Data1().Recordset();
    const dao::Value relatorio = rs.Fields().Item("Relatorio").GetValue();
    const dao::Value sequencia = rs.Fields().Item("Sequencia").GetValue();
    tabelaCriterio_->SetIndex("IndCriterio");
    tabelaCriterio_->Seek("=", {relatorio, sequencia});
}

// The messages for a grid without a current row: none of the report's criteria, or none chosen.
void FQuery::NoCurrentRow() {
    tabelaCriterio_->SetIndex("IndCriterio");
    tabelaCriterio_->Seek("<=", {dao::Value(CodRelatorio), dao::Value::Long(kLastSequencia)});
    const bool none = tabelaCriterio_->NoMatch() ||
                      forms::UCase(TextOf(tabelaCriterio_->Fields().Item("Relatorio").GetValue())) != forms::UCase(CodRelatorio);
    Warn(none ? "Não Existem Critérios Cadastrados !" : "Click em um Critério da Tabela");
}

// The general path of the half's traps: the report, then TabelaCriterio, the grid's recordset and
// the data-folder set closed.
void FQuery::CloseAfterError(const win::RuntimeError& error, const char* tela, const char* rotina) {
    ReportError(error, tela, rotina);
    // A plain try: clean-up inside the handler, whose error stays the current one for what follows.
    try {
        if (tabelaCriterio_) tabelaCriterio_->Close();
        if (Data1().HasRecordset()) Data1().Recordset().Close();
    } catch (const win::RuntimeError&) {
        // Already closed: nothing more to put back.
    }
    tabelaCriterio_.reset();
    FecharBDLoja();
}

// The trap of the handlers that work on the grid's row: no row, its messages; else the general path.
void FQuery::OnGridRowError(const win::RuntimeError& error, const char* rotina) {
    if (error.Number() == dao::jet::NoCurrentRecord) {
        NoCurrentRow();
    } else {
        CloseAfterError(error, kTela, rotina);
    }
}

void FQuery::OnGridRow(const char* rotina, const std::function<void()>& work) {
    forms::Trapped(
        [&] {
            SeekGridRow();
            if (!tabelaCriterio_->NoMatch()) work();
        },
        [this, rotina](const win::RuntimeError& error) { OnGridRowError(error, rotina); });
}

void FQuery::BtnAlterar_Click() {
    if (!VerificaAutorizacao("CRITERIO", "A", "S")) return;
    OnGridRow("BtnAlterar", [this] {
        const dao::Recordset& rs = Data1().Recordset();
        forms::SetHostedText(ZmNome(), TextOf(rs.Fields().Item("Nome").GetValue()));
        txtCriterio().SetText(TextOf(rs.Fields().Item("CRITERIO").GetValue()));
        ExibirGrade(false);
        alterandoCriterio_ = true;
    });
}

void FQuery::BtnExcluir_Click() {
    if (!VerificaAutorizacao("CRITERIO", "E", "S")) return;
    OnGridRow("BtnExcluir", [this] {
        if (forms::MsgBox("Deseja Excluir este Registro", forms::mb::YesNo + forms::mb::Question) != forms::mb::Yes) {
            return;
        }
        tabelaCriterio_->Delete();
        Data1().Refresh();
        Table1().Refresh();
    });
}

void FQuery::BtnCancelar_Click() {
    ExibirGrade(true);
    Focus(&Table1());
}

// A new row numbered one past the report's last criterion.
void FQuery::SaveNew() {
    tabelaCriterio_->SetIndex("IndCriterio");
    tabelaCriterio_->Seek("<=", {dao::Value(CodRelatorio), dao::Value::Long(kLastSequencia)});
    std::int32_t sequencia = 1;
    if (!tabelaCriterio_->NoMatch() &&
        forms::UCase(TextOf(tabelaCriterio_->Fields().Item("Relatorio").GetValue())) == forms::UCase(CodRelatorio)) {
        sequencia = tabelaCriterio_->Fields().Item("Sequencia").GetValue().ToLong() + 1;
    }
    tabelaCriterio_->AddNew();
    tabelaCriterio_->Fields().Item("Relatorio").SetValue(dao::Value(CodRelatorio));
    tabelaCriterio_->Fields().Item("Sequencia").SetValue(dao::Value::Long(sequencia));
    tabelaCriterio_->Fields().Item("DataCriacao").SetValue(dao::Value(win::FormatDate(forms::Today(), "dd/mm/yy")));
    tabelaCriterio_->Fields().Item("Nome").SetValue(dao::Value(NomeToSave(forms::HostedText(ZmNome()))));
    tabelaCriterio_->Fields().Item("CRITERIO").SetValue(dao::Value(txtCriterio().Text()));
    tabelaCriterio_->Update();
}

void FQuery::BtnGravar_Click() {
    Consistir();
    if (!consistente_) return;
    forms::Trapped(
        [this] {
            if (alterandoCriterio_) {
                tabelaCriterio_->Edit();
                tabelaCriterio_->Fields().Item("Nome").SetValue(dao::Value(NomeToSave(forms::HostedText(ZmNome()))));
                tabelaCriterio_->Fields().Item("CRITERIO").SetValue(dao::Value(txtCriterio().Text()));
                tabelaCriterio_->Update();
                alterandoCriterio_ = false;
            } else {
                SaveNew();
            }
            ExibirGrade(true);
            Focus(&cCriteria());
        },
        [this](const win::RuntimeError& error) { CloseAfterError(error, kTela, "BtnGravar"); });
}

// Takes the grid's row as the criterion to print: the hand-back, and the window unloads.
void FQuery::TakeCriterion(const char* rotina) {
    if (!VerificaAutorizacao("CRITERIO", "C", "S")) return;
    const std::vector<forms::Step> steps = {
        {"", [this](forms::StepFlow& flow) {
             SeekGridRow();
             if (tabelaCriterio_->NoMatch()) return flow.Leave();
             const std::string texto = TextOf(tabelaCriterio_->Fields().Item("CRITERIO").GetValue());
             if (!CriterionMayRun(texto)) return flow.Leave();
             TextoCriterio = texto;
             NomeCriterio = TextOf(tabelaCriterio_->Fields().Item("Nome").GetValue());
             RetornoCriterio = std::string("S");
         }},
        {"", [this](forms::StepFlow&) { Unload(); }},
    };
    forms::RunSteps(steps, [rotina](const win::RuntimeError& error, std::string_view) {
        if (error.Number() == dao::jet::NoCurrentRecord) return forms::Resume::Leave();
        ReportError(error, kTela, rotina);
        return forms::Resume::Next();
    });
}

void FQuery::Table1_DblClick() { TakeCriterion("Table1 DblClick"); }

void FQuery::Table1_KeyUp(int& keyCode, int) {
    if (keyCode == forms::key::Return) TakeCriterion("Table1 KeyUp");
    if (keyCode == forms::key::Delete) BtnExcluir_Click();
}

void FQuery::ZmNome_KeyUp(int& keyCode, int) {
    if (keyCode == forms::key::Return || keyCode == forms::key::Up || keyCode == forms::key::Down) Focus(&txtCriterio());
}

void FQuery::Executar() {
    forms::Trapped([this] { tabelaExecutar_ = BancoProdutoLoja->OpenRecordset(SQLBase + TextoCriterio, dao::dbOpenSnapshot); },
                   [this](const win::RuntimeError& error) { CloseAfterError(error, "Relato99", "Executar"); });
}

}  // namespace report::reports
