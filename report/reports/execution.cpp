// Running a report: the temporary tables, the pre-queries, the run query with the criterion, and
// the report-printing control. Every statement of the run goes through RunTrapped, the run's one
// trap; CriaTabela and ImpRelatorio have traps of their own.
#include <vector>

#include "platform/com/variant.h"
#include "platform/controls/grid/data_grid.h"
#include "platform/controls/report/com/report_control.h"
#include "platform/controls/report/report_errors.h"
#include "platform/controls/threed/threed.h"
#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/busy.h"
#include "platform/forms/controls.h"
#include "platform/forms/errors.h"
#include "platform/forms/fieldtext.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/core/outside.h"
#include "report/core/rights.h"
#include "report/core/state.h"
#include "report/core/windows.h"
#include "report/reports/condition_text.h"
#include "report/reports/criterion_text.h"
#include "report/reports/fquery.h"
#include "report/reports/inicio.h"
#include "report/reports/report_state.h"

namespace report::reports {

namespace {

using com::Variant;

// The report control's members, by dispatch identifier.
constexpr com::DispId kReportFileName = 3;
constexpr com::DispId kAction = 17;
constexpr com::DispId kPassword = 23;
constexpr com::DispId kDestination = 24;
constexpr com::DispId kPrintReport = 28;
constexpr com::DispId kFormulas = 29;
constexpr com::DispId kDataFiles = 32;
constexpr com::DispId kZoom = 88;
constexpr com::DispId kPrintAllowed = 119;

bool IsRetryable(long number) { return number == dao::jet::RefreshNeeded || number == dao::jet::ObjectClosed; }

using forms::TextOf;

std::string FieldText(const dao::Recordset& rs, const char* name) { return TextOf(rs.Fields().Item(name).GetValue()); }

struct KeptField {
    std::string name;
    dao::DataType type;
    int size;
};

struct KeptIndex {
    std::string name;
    std::vector<std::string> fields;
    bool primary;
    bool unique;
    bool ignoreNulls;
};

struct KeptTable {
    std::vector<KeptField> fields;
    std::vector<KeptIndex> indexes;
};

KeptTable Keep(const dao::TableDef& table) {
    KeptTable kept;
    const dao::Fields fields = table.Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        const dao::Field field = fields.Item(i);
        kept.fields.push_back({field.Name(), field.Type(), field.Size()});
    }
    const dao::Indexes indexes = table.Indexes();
    for (int i = 0; i < indexes.Count(); ++i) {
        const dao::Index index = indexes.Item(i);
        KeptIndex k{index.Name(), {}, index.Primary(), index.Unique(), index.IgnoreNulls()};
        const dao::Fields keys = index.Fields();
        for (int f = 0; f < keys.Count(); ++f) k.fields.push_back(keys.Item(f).Name());
        kept.indexes.push_back(std::move(k));
    }
    return kept;
}

// The criterion message for the errors a merged criterion causes; false for any other error.
std::string CriterionErrorLine(long number) {
    switch (number) {
        case dao::jet::TooFewParameters: return "Parâmetros errados !!!";
        case win::err::TypeMismatch:
        case dao::jet::CriteriaTypeMismatch: return "Tipos de dados misturados !!!";
        case dao::jet::ExpressionSyntax: return "Erro de Sintaxe !!!";
        default: return {};
    }
}

// The close of a trap here: the data-folder set after the report and, for the run's own traps,
// the end of the program. A store whose folder is gone (renamed, or its share lost, while the
// window was open) is no fault of the program: the window closes back to the log-in, where the
// store can be chosen again once its folder is back.
TrapClose RunTrapClose(Inicio& window, bool endProgram) { return {.backToLogin = &window, .endProgram = endProgram}; }

}  // namespace

// Back to the report-selection state after the preparations, or when one of them is missing.
void Inicio::BackToSelection() {
    FrameSelecionar().SetCaption("Selecione o Relatório");
    SetGridVisible(TbRelatorios(), true);
    SetGridVisible(TbCriterio(), false);
    SetSelectionButtons(true);
    forms::SetHostedText(LblMensagem(), "");
    forms::App().SetMousePointer(forms::pointer::Default);
    forms::DoEvents();
}

// Runs one statement of the run under its trap. False when the run must stop: a table or query
// the catalogue names is missing (the window is back in selection), or an unexpected error was
// reported and the program asked to end.
bool Inicio::RunTrapped(const std::function<void()>& statement) {
    bool retried = false;
    bool goOn = true;
    const std::vector<forms::Step> steps = {{"", [&](forms::StepFlow&) { statement(); }}};
    forms::RunSteps(steps, [&](const win::RuntimeError& error, std::string_view) {
        if (IsRetryable(error.Number()) && !retried) {
            retried = true;
            BancoProdutoLoja->TableDefs().Refresh();
            return forms::Resume::Retry();
        }
        goOn = false;
        if (error.Number() == dao::jet::ItemNotFound) {
            forms::MsgBox(assuntoPreparo_ + " Não Encontrada !", forms::mb::Exclamation, "Mensagem");
            BackToSelection();
            return forms::Resume::Leave();
        }
        ReportAndClose(error, "Inicio", "BtnImprimir", RunTrapClose(*this, true));
        return forms::Resume::Leave();
    });
    return goOn;
}

// The run yields while it prepares the report: the window's keys and clicks are held back
// meanwhile, so that neither this run nor another starts over it.
void Inicio::BtnImprimir_Click() {
    const forms::BusyScope running(*this);
    FinishReportPaging();
    // A criterion that is more than one condition never reaches the run, whatever its source.
    if (const std::optional<std::string> fault = CriterionFault(TextoCriterio)) {
        forms::MsgBox(CriterionMessage("Critério Inválido !!!", 0, *fault), forms::mb::Exclamation, "Mensagem");
        return;
    }
    if (RelatorioConsolidado == "S") {
        ShowConsolidationWindow();
        return;
    }
    for (controls::threed::Button3D* button : {&BtnProcurar(), &BtnSelecionar(), &BtnVerificar(), &BtnSair(),
                                               &BtnImprimir(), &BtnCancelar(), &BtnCriterio()}) {
        button->SetVisible(false);
    }
    forms::App().SetMousePointer(forms::pointer::Hourglass);
    if (!PrepareTables() || !RunPreQueries()) return;
    BackToSelection();
    ImpRelatorio();
    if (!forms::App().EndRequested() && BancoProdutoLoja.IsOpen()) {
        RunTrapped([] { BancoProdutoLoja->TableDefs().Refresh(); });
    }
}

// Walks the catalogue table `table` over the rows of the current report, in the order of `index`.
// `row` runs for each; false from it stops the walk and the run.
bool Inicio::WalkPreparation(const char* table, const char* index, const std::function<bool()>& row) {
    bool found = false;
    if (!RunTrapped([&] {
            tabelaPreparo_ = BancoBD2Loja->OpenRecordset(table, dao::dbOpenTable);
            tabelaPreparo_->SetIndex(index);
            tabelaPreparo_->Seek(">=", {dao::Value(codAplicacaoAtual_)});
            found = !tabelaPreparo_->NoMatch();
        })) {
        return false;
    }
    bool ours = found;
    while (ours) {
        if (!RunTrapped([&] { ours = !tabelaPreparo_->Eof() && FieldText(*tabelaPreparo_, "CodAplicacao") == codAplicacaoAtual_; })) {
            return false;
        }
        if (!ours) break;
        if (!row()) return false;
        if (!RunTrapped([&] { tabelaPreparo_->MoveNext(); })) return false;
    }
    if (tabelaPreparo_) tabelaPreparo_->Close();
    tabelaPreparo_.reset();
    return true;
}

bool Inicio::PrepareTables() {
    return WalkPreparation("TabelaTemporaria", "IndTabela", [this] {
        if (!RunTrapped([&] {
                forms::SetHostedText(LblMensagem(), "Apagando Tabela...");
                assuntoPreparo_ = "A Tabela " + FieldText(*tabelaPreparo_, "Tabela");
            })) {
            return false;
        }
        return CriaTabela();
    });
}

bool Inicio::RunPreQueries() {
    return WalkPreparation("PreConsulta", "IndPreConsulta", [this] {
        return RunTrapped([&] {
            const std::string name = FieldText(*tabelaPreparo_, "PreConsulta");
            assuntoPreparo_ = "A Pre-Consulta " + name;
            forms::SetHostedText(LblMensagem(), FieldText(*tabelaPreparo_, "Mensagem"));
            forms::DoEvents();
            sqlMontado_ = RewritePreQuery(BancoProdutoLoja->QueryDefs().Item(name).SQL(), ProgramFolder());
            BancoProdutoLoja->Execute(sqlMontado_);
        });
    });
}

// Re-creates the table of TabelaPreparo's current row empty, with its fields and indexes. The drop
// and the new table are one transaction: a failure between them leaves the table as it was.
// False when the run must stop (an unexpected error, reported, with the data-folder set closed).
bool Inicio::CriaTabela() {
    std::string name;
    KeptTable kept;
    bool inTransaction = false;
    bool retried = false;
    bool goOn = true;
    const std::vector<forms::Step> steps = {
        {"", [&](forms::StepFlow&) {
             name = FieldText(*tabelaPreparo_, "Tabela");
             kept = Keep(BancoProdutoLoja->TableDefs().Item(name));
         }},
        {"", [&](forms::StepFlow&) {
             ProgramEngine().BeginTrans();
             inTransaction = true;
         }},
        {"", [&](forms::StepFlow&) { BancoProdutoLoja->Execute("DROP TABLE [" + name + "]"); }},
        {"", [&](forms::StepFlow&) {
             dao::TableDef table = BancoProdutoLoja->CreateTableDef(name);
             forms::SetHostedText(LblMensagem(), "ReCriando Tabela... Campos");
             forms::DoEvents();
             for (const KeptField& field : kept.fields) {
                 table.Fields().Append(table.CreateField(field.name, dao::Value::Long(static_cast<int>(field.type)),
                                                         dao::Value::Long(field.size)));
             }
             BancoProdutoLoja->TableDefs().Append(table);
         }},
        {"", [&](forms::StepFlow&) {
             forms::SetHostedText(LblMensagem(), "ReCriando Tabela... Indices");
             forms::DoEvents();
             const dao::TableDef table = BancoProdutoLoja->TableDefs().Item(name);
             for (const KeptIndex& kept_index : kept.indexes) {
                 dao::Index index = table.CreateIndex(kept_index.name);
                 for (const std::string& field : kept_index.fields) index.Fields().Append(index.CreateField(field));
                 index.SetPrimary(kept_index.primary);
                 index.SetUnique(kept_index.unique);
                 index.SetIgnoreNulls(kept_index.ignoreNulls);
                 table.Indexes().Append(index);
             }
         }},
        {"", [&](forms::StepFlow&) {
             ProgramEngine().CommitTrans();
             inTransaction = false;
             BancoProdutoLoja->TableDefs().Refresh();
         }},
    };
    forms::RunSteps(steps, [&](const win::RuntimeError& error, std::string_view) {
        if (IsRetryable(error.Number()) && !retried) {
            retried = true;
            BancoProdutoLoja->TableDefs().Refresh();
            return forms::Resume::Retry();
        }
        if (inTransaction) {
            inTransaction = false;
            ProgramEngine().Rollback();
        }
        if (error.Number() == dao::jet::ItemNotFound) {
            forms::MsgBox(assuntoPreparo_ + " Não Encontrada !", forms::mb::Exclamation, "Mensagem");
            BackToSelection();
            return forms::Resume::Leave();
        }
        goOn = false;
        ReportAndClose(error, "Inicio", "CriaTabela", RunTrapClose(*this, false));
        return forms::Resume::Leave();
    });
    return goOn;
}

// The print right gives the preview its print button; the consult right alone a preview without
// it. Neither: the rights check's message, and no preview.
bool Inicio::PrintRights() {
    com::IDispatch* report = report1_.Get();
    com::PutProperty(report, kPrintAllowed, Variant::Bool(true));
    if (VerificaAutorizacao(codAplicacaoAtual_, "P", "N")) return true;
    if (!VerificaAutorizacao(codAplicacaoAtual_, "C", "S")) {
        TbRelatorios().SetFocus();
        return false;
    }
    com::PutProperty(report, kPrintAllowed, Variant::Bool(false));
    return true;
}

// Writes the run query: the report's stored query with `criterion` merged in and its BACKUP.MDB
// target sent to the program folder. False (with a message) when the report's own query carries
// the run query's name, which the run would otherwise delete.
bool Inicio::WriteRunQuery(const std::string& criterion) {
    nomeConsultaRelatorio_ = RunQueryName(consultaAtual_);
    if (forms::UCase(nomeConsultaRelatorio_) == forms::UCase(consultaAtual_)) {
        forms::App().SetMousePointer(forms::pointer::Default);
        forms::MsgBox("A Consulta " + consultaAtual_ + " Tem o Nome da Consulta de Execução !", forms::mb::Exclamation,
                      "Mensagem");
        return false;
    }
    const dao::QueryDef stored = BancoProdutoLoja->QueryDefs().Item(consultaAtual_);
    sqlMontado_ = RedirectBackup(MergeCriterion(stored.SQL(), criterion), ProgramFolder());
    bool deleted = false;
    const std::vector<forms::Step> steps = {
        {"", [&](forms::StepFlow&) { BancoProdutoLoja->CreateQueryDef(nomeConsultaRelatorio_, sqlMontado_); }},
        // Opening the query (no row read) prepares it: a criterion naming a missing field fails
        // here, before any preview opens.
        {"", [&](forms::StepFlow&) {
             BancoProdutoLoja->OpenRecordset("SELECT * FROM [" + nomeConsultaRelatorio_ + "] WHERE 1 = 0", dao::dbOpenSnapshot)
                 .Close();
         }},
    };
    forms::RunSteps(steps, [&](const win::RuntimeError& error, std::string_view) {
        if (error.Number() != dao::jet::ObjectAlreadyExists || deleted) throw error;
        deleted = true;
        BancoProdutoLoja->QueryDefs().Delete(nomeConsultaRelatorio_);
        return forms::Resume::Retry();
    });
    return true;
}

// The control's report file, data file and password; with `withCriterion` the formula carries
// the criterion, else it is emptied.
void Inicio::SetReportFile(bool withCriterion) {
    com::IDispatch* report = report1_.Get();
    const std::string formula = withCriterion ? CriterionFormulaText(NomeCriterio, TextoCriterio) : std::string();
    com::PutProperty(report, kDestination, Variant::I4(0));
    com::PutProperty(report, kPassword, Variant::Utf8(std::string("\n") + kSenhaLoja));
    com::PutProperty(report, kDataFiles, Variant::Utf8(PastaDados + "\\Produto.mdb"), {Variant::I2(0)});
    com::PutProperty(report, kReportFileName, Variant::Utf8(ProgramFolder() + "\\" + relatorioAtual_));
    com::PutProperty(report, kFormulas, Variant::Utf8("Criterio= \"" + formula + "\""), {Variant::I2(0)});
}

void Inicio::EnterPreviewState() {
    RetirarTabStop(false);
    for (controls::threed::Button3D* button : {&BtnProcurar(), &BtnSelecionar(), &BtnVerificar(), &BtnSair()}) button->SetVisible(false);
    BtnFim().SetVisible(true);
    forms::DoEvents();
    TbRelatorios().SetFocus();
}

// The report control could not show the report: its report file, the data it shows, or the
// printer failed, and nothing in the program did. The user reads the control's description; the
// databases stay open and the window goes back to the report selection, as the end of a preview
// leaves it, whether the fault came before the first page showed or after.
void Inicio::ShowReportFault(const win::RuntimeError& error) {
    ShowOutsideFailure(error.Description());
    if (BtnFim().Visible()) BtnFim_Click();
}

void Inicio::ShowCriterionError(const win::RuntimeError& error) {
    std::string line = CriterionErrorLine(error.Number());
    if (line.empty()) line = "Critério Inválido !!!";
    forms::MsgBox(CriterionMessage(line, error.Number(), error.Description()), forms::mb::Exclamation, "Mensagem");
}

void Inicio::ImpRelatorio() {
    const std::vector<forms::Step> steps = {
        {"", [this](forms::StepFlow& flow) {
             if (!PrintRights()) flow.Leave();
         }},
        {"", [this](forms::StepFlow& flow) {
             forms::App().SetMousePointer(forms::pointer::Hourglass);
             if (!WriteRunQuery(TextoCriterio)) flow.Leave();
         }},
        {"", [this](forms::StepFlow&) {
             SetReportFile(true);
             EnterPreviewState();
             com::PutProperty(report1_.Get(), kAction, Variant::I2(1));
             com::CallMethod(report1_.Get(), kZoom, {Variant::I2(80)});
             forms::App().SetMousePointer(forms::pointer::Default);
             emVisualizacao_ = std::string("S");
         }},
    };
    forms::RunSteps(steps, [this](const win::RuntimeError& error, std::string_view) {
        forms::App().SetMousePointer(forms::pointer::Default);
        if (!CriterionErrorLine(error.Number()).empty()) {
            ShowCriterionError(error);
            return forms::Resume::Leave();
        }
        if (controls::report::err::IsReportError(error.Number())) {
            ShowReportFault(error);
            return forms::Resume::Leave();
        }
        ReportAndClose(error, "Relato", "BtnImprimir", RunTrapClose(*this, true));
        return forms::Resume::Leave();
    });
}

// A report still being paged reads the store's file, which a run writes (its tables and run query)
// and the consolidation too: the run waits for the paging first, as it waited for the whole report
// before the preview showed its first page ahead, so that its writes never meet the read's lock.
void Inicio::FinishReportPaging() {
    if (report1_) report1_->Printer().FinishPaging();
}

// The preview without criterion: the report's own query, unfiltered, as the run query.
void Inicio::BtnVerificar_Click() {
    const forms::BusyScope running(*this);
    FinishReportPaging();
    const std::vector<forms::Step> steps = {
        {"", [this](forms::StepFlow& flow) {
             if (!PrintRights()) flow.Leave();
         }},
        {"", [this](forms::StepFlow& flow) {
             if (!WriteRunQuery({})) flow.Leave();
         }},
        {"", [this](forms::StepFlow&) {
             SetReportFile(false);
             EnterPreviewState();
             com::CallMethod(report1_.Get(), kPrintReport);
             emVisualizacao_ = std::string("S");
         }},
    };
    forms::RunSteps(steps, [this](const win::RuntimeError& error, std::string_view) {
        forms::App().SetMousePointer(forms::pointer::Default);
        if (controls::report::err::IsReportError(error.Number())) {
            ShowReportFault(error);
            return forms::Resume::Leave();
        }
        ReportAndClose(error, "Relato", "BtnVerificar", RunTrapClose(*this, true));
        return forms::Resume::Leave();
    });
}

}  // namespace report::reports
