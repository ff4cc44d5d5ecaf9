#include "report/reports/fquery.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/threed.h"
#include "platform/forms/app.h"
#include "platform/forms/colors.h"
#include "platform/forms/controls.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/errors.h"
#include "platform/forms/focus.h"
#include "platform/forms/hosted.h"
#include "platform/forms/keys.h"
#include "platform/forms/layout.h"
#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/core/outside.h"
#include "report/core/fields.h"
#include "report/core/rights.h"
#include "report/core/state.h"
#include "report/reports/condition_text.h"
#include "report/reports/inicio.h"
#include "report/reports/report_state.h"

namespace report::reports {

namespace {

constexpr const char* kTela = "Query";

}  // namespace

// Gives the focus where the window can take it; a hidden or disabled control keeps it where it is.
void FQuery::Focus(forms::Control* control) {
    if (control && control->Visible() && control->Enabled()) control->SetFocus();
}

std::string CriterionMessage(const std::string& line, long number, const std::string& text) {
    std::string message = "Ocorreu um Erro na montagem do Critério:\r" + line + "\r\r";
    if (number != 0) message += "Número: " + std::to_string(number) + "\r";
    return message + "Erro: " + text;
}

FQuery::FQuery() : forms::Window("fQuery") {}
FQuery::~FQuery() = default;

forms::ComboBox& FQuery::cField() const { return *cField_; }
forms::ComboBox& FQuery::cOperator() const { return *cOperator_; }
forms::ComboBox& FQuery::cValue() const { return *cValue_; }
forms::ComboBox& FQuery::cOrderByField() const { return *cOrderByField_; }
forms::TextBox& FQuery::cCriteria() const { return *cCriteria_; }
forms::TextBox& FQuery::txtCriterio() const { return *txtCriterio_; }
forms::HostedControl* FQuery::ZmNome() const { return zmNome_; }
controls::threed::Button3D& FQuery::ANDButton() const { return *andButton_; }
controls::threed::Button3D& FQuery::ORButton() const { return *orButton_; }
controls::threed::Button3D& FQuery::GetValuesButton() const { return *getValuesButton_; }
controls::threed::Button3D& FQuery::RunQueryButton() const { return *runQueryButton_; }
controls::threed::Button3D& FQuery::ShowSQLButton() const { return *showSQLButton_; }
controls::threed::Button3D& FQuery::CopySQLButton() const { return *copySQLButton_; }
controls::threed::Button3D& FQuery::ClearButton() const { return *clearButton_; }
controls::threed::Button3D& FQuery::CloseButton() const { return *closeButton_; }
controls::threed::Button3D& FQuery::BtnAlterar() const { return *btnAlterar_; }
controls::threed::Button3D& FQuery::BtnExcluir() const { return *btnExcluir_; }
controls::threed::Button3D& FQuery::BtnCancelar() const { return *btnCancelar_; }
controls::threed::Button3D& FQuery::BtnGravar() const { return *btnGravar_; }
forms::Label& FQuery::Label1() const { return *label1_; }
forms::Label& FQuery::Label2() const { return *label2_; }
controls::threed::Frame3D& FQuery::FrameSuperior() const { return *frameSuperior_; }
controls::grid::DataGrid& FQuery::Table1() const { return *table1_; }
forms::DataControl& FQuery::Data1() const { return *data1_; }

// The layout, in twips: the builder frame above, the saved criteria below (grid mode shows the
// grid, edit mode the name and text in its place), and their buttons in the lower frame.
void FQuery::CreateControls() {
    using forms::ComboBox;
    using forms::Intrinsic;
    using forms::Label;
    using forms::Library;
    constexpr bool kHidden = false;
    SetKeyPreview(true);
    SetCaption("Critério de Seleção");
    SetSize(9720, 8040);
    std::vector<HostedProperty> nome = EmptyTextField();
    nome.push_back({"MaxLength", com::Variant::I2(static_cast<std::int16_t>(kNomeSize))});
    const forms::ControlSpec layout[] = {
        // name             kind                                  container        left  top   width height caption
        {"FrameSuperior",    Intrinsic(frameSuperior_),             "",               120,   60, 9360, 3960},
        {"LblCampo",         Intrinsic<Label>(),                    "FrameSuperior",  120,  240, 3600,  240, "Nome dos Campos"},
        {"cField",           Intrinsic(cField_),                    "FrameSuperior",  120,  480, 3600,  330},
        {"LblCondicao",      Intrinsic<Label>(),                    "FrameSuperior", 3840,  240, 1200,  240, "Condição"},
        {"cOperator",        Intrinsic(cOperator_),                 "FrameSuperior", 3840,  480, 1200,  330},
        {"LblConteudo",      Intrinsic<Label>(),                    "FrameSuperior", 5160,  240, 4080,  240, "Conteúdo"},
        {"cValue",           Intrinsic(cValue_),                    "FrameSuperior", 5160,  480, 4080,  330},
        {"LblCriterio",      Intrinsic<Label>(),                    "FrameSuperior",  120, 1380, 3000,  240, "Critério"},
        {"cCriteria",        Intrinsic(cCriteria_),                 "FrameSuperior",  120, 1620, 7080, 1620},
        {"LblOrdem",         Intrinsic<Label>(),                    "FrameSuperior", 7320, 1380, 1920,  240, "Ordem do Relatório"},
        {"cOrderByField",    Intrinsic(cOrderByField_),             "FrameSuperior", 7320, 1620, 1920,  330},
        {"ANDButton",        Intrinsic(andButton_),                 "FrameSuperior",  120,  900, 1740,  420, "Critério '&E' :"},
        {"ORButton",         Intrinsic(orButton_),                  "FrameSuperior", 1980,  900, 1740,  420, "Critério '&Ou' :  "},
        {"GetValuesButton",  Intrinsic(getValuesButton_),           "FrameSuperior", 5160,  900, 1740,  420, "Possíveis &Valores"},
        {"RunQueryButton",   Intrinsic(runQueryButton_),            "FrameSuperior",  120, 3390, 1740,  420, "E&xecutar"},
        {"ShowSQLButton",    Intrinsic(showSQLButton_),             "FrameSuperior", 1980, 3390, 1740,  420, "&Mostra SQL"},
        {"CopySQLButton",    Intrinsic(copySQLButton_),             "FrameSuperior", 3840, 3390, 1740,  420, "&Catalogar"},
        {"ClearButton",      Intrinsic(clearButton_),               "FrameSuperior", 5700, 3390, 1740,  420, "&Limpar"},
        {"CloseButton",      Intrinsic(closeButton_),               "FrameSuperior", 7560, 3390, 1740,  420, "Sai&r"},
        {"Data1",            Intrinsic(data1_),                     "",                 0,    0,    0,    0, nullptr, kHidden},
        {"Table1",           Intrinsic(table1_),                    "",               120, 4140, 9360, 2940},
        {"Label2",           Intrinsic(label2_),                    "",               120, 4200, 3000,  240, "Nome", kHidden},
        {"ZmNome",           Library(library::TextEdit, zmNome_),   "",               120, 4440, 4800,  360, nullptr, kHidden, nome},
        {"Label1",           Intrinsic(label1_),                    "",               120, 4920, 3000,  240, "Critério", kHidden},
        {"txtCriterio",      Intrinsic(txtCriterio_),               "",               120, 5160, 9360, 1920, nullptr, kHidden},
        {"SSFrame2",         Intrinsic<controls::threed::Frame3D>(), "",              120, 7140, 9360,  600},
        {"BtnAlterar",       Intrinsic(btnAlterar_),                "SSFrame2",       120,  120, 1740,  420, "&Alterar"},
        {"BtnExcluir",       Intrinsic(btnExcluir_),                "SSFrame2",      1980,  120, 1740,  420, "&Excluir"},
        {"BtnCancelar",      Intrinsic(btnCancelar_),               "SSFrame2",      1980,  120, 1740,  420, "&Cancelar", kHidden},
        {"BtnGravar",        Intrinsic(btnGravar_),                 "SSFrame2",       120,  120, 1740,  420, "&Gravar", kHidden},
    };
    forms::CreateFromTable(*this, layout, ReportMissingControl(kTela));
    // The field and the operator come from their lists only: a typed name or operator would
    // become part of the statement.
    cField_->SetStyle(2);
    cOperator_->SetStyle(2);
    ConnectEvents();
    ApplyTabOrder();
    ConnectFocusColours();
}

void FQuery::ConnectEvents() {
    const std::pair<controls::threed::Button3D*, void (FQuery::*)()> clicks[] = {
        {andButton_, &FQuery::ANDButton_Click},         {orButton_, &FQuery::ORButton_Click},
        {getValuesButton_, &FQuery::GetValuesButton_Click}, {runQueryButton_, &FQuery::RunQueryButton_Click},
        {showSQLButton_, &FQuery::ShowSQLButton_Click}, {copySQLButton_, &FQuery::CopySQLButton_Click},
        {clearButton_, &FQuery::ClearButton_Click},     {closeButton_, &FQuery::CloseButton_Click},
        {btnAlterar_, &FQuery::BtnAlterar_Click},       {btnExcluir_, &FQuery::BtnExcluir_Click},
        {btnCancelar_, &FQuery::BtnCancelar_Click},     {btnGravar_, &FQuery::BtnGravar_Click},
    };
    for (const auto& [button, click] : clicks) button->Click = [this, click] { (this->*click)(); };
    cField_->Click = [this] { cField_Click(); };
    data1_->SetConnect(std::string(";PWD=") + kSenhaLoja);
    data1_->SetReadOnly(true);
    const std::pair<const char*, const char*> columns[] = {
        {"Data", "DataCriacao"}, {"Nome", "Nome"}, {"Criterio", "Criterio"}, {"Relatório", "Relatorio"}, {"Seq.", "Sequencia"},
    };
    const int widths[] = {1200, 2700, 3600, 900, 600};
    for (std::size_t i = 0; i < std::size(columns); ++i) {
        table1_->AddColumn(columns[i].first, columns[i].second);
        table1_->SetColumnWidth(static_cast<int>(i), widths[i]);
    }
    table1_->SetDataSource(*data1_);
    table1_->DblClick = [this] { Table1_DblClick(); };
    table1_->KeyUp = [this](int& keyCode, int shift) { Table1_KeyUp(keyCode, shift); };
    if (zmNome_) zmNome_->KeyUp = [this](int& keyCode, int shift) { ZmNome_KeyUp(keyCode, shift); };
}

// The edit fields colour their back while they have the focus, the twelve buttons their caption.
void FQuery::ConnectFocusColours() {
    for (forms::Control* control : Controls()) {
        if (auto* button = dynamic_cast<controls::threed::Button3D*>(control)) forms::HighlightButtonOnFocus(*button);
    }
    for (forms::Control* edit : {static_cast<forms::Control*>(cCriteria_), static_cast<forms::Control*>(cField_),
                                 static_cast<forms::Control*>(cOperator_), static_cast<forms::Control*>(cValue_),
                                 static_cast<forms::Control*>(txtCriterio_)}) {
        forms::HighlightEditOnFocus(*edit);
    }
    if (zmNome_) forms::HighlightEditOnFocus(*zmNome_);
}

void FQuery::Form_Load() {
    const std::vector<forms::Step> steps = {
        {"", [this](forms::StepFlow&) { OpenSavedCriteria(); }},
        {"", [this](forms::StepFlow&) {
             cCriteria().SetText("");
             cOperator().Clear();
             for (const char* op : kOperators) cOperator().AddItem(op);
             cOperator().SetListIndex(0);
             cValue().SetText("");
             cOrderByField().Clear();
             cOrderByField().AddItem("");
             cField().Clear();
             for (int i = 0; i <= Contador && i < static_cast<int>(kMaxTabelasRelatorio); ++i) {
                 ListFields(TabelasRelatorio[static_cast<std::size_t>(i)]);
             }
         }},
    };
    forms::RunSteps(steps, [this](const win::RuntimeError& error, std::string_view) {
        if (tabelaCampo_) tabelaCampo_.reset();
        ReportError(error, kTela, "Form_Load");
        return forms::Resume::Leave();
    });
}

// Adds "[table].[field]" of every field of `table` (a table, or a query of the store) to the two
// field lists, in field order.
void FQuery::ListFields(const std::string& table) {
    tabelaCampo_ = BancoProdutoLoja->OpenRecordset(table);
    const dao::Fields fields =
        tabelaCampo_->Type() == dao::dbOpenTable ? BancoProdutoLoja->TableDefs().Item(table).Fields() : tabelaCampo_->Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        const std::string name = "[" + table + "].[" + fields.Item(i).Name() + "]";
        cField().AddItem(name);
        cOrderByField().AddItem(name);
    }
    tabelaCampo_->Close();
    tabelaCampo_.reset();
}

void FQuery::cField_Click() { cValue().Clear(); }

void FQuery::ANDButton_Click() { AddCondition(true); }
void FQuery::ORButton_Click() { AddCondition(false); }

// One condition on the field of cField, appended to cCriteria: refused with the builder's message
// (focus to the value), or added (focus back to the field). A field the store no longer has is
// reported and adds nothing.
void FQuery::AddCondition(bool andButton) {
    const std::string field = cField().Text();
    if (field.empty()) return;
    forms::Trapped(
        [&] {
            const std::string op = cOperator().Text();
            const bool known = std::find(kOperators.begin(), kOperators.end(), op) != kOperators.end();
            if (!IsFieldReference(field) || !known) return;
            const std::string bracketed = ParteCampo(field, false);
            const std::string table = bracketed.substr(1, bracketed.size() - 2);
            tabelaCampo_ = BancoProdutoLoja->OpenRecordset(table);
            const std::string name = ParteCampo(field, true);
            const dao::DataType type = tabelaCampo_->Type() == dao::dbOpenTable
                                           ? BancoProdutoLoja->TableDefs().Item(table).Fields().Item(name).Type()
                                           : tabelaCampo_->Fields().Item(name).Type();
            tabelaCampo_->Close();
            tabelaCampo_.reset();
            const FieldKind kind = KindOfType(static_cast<int>(type));
            const std::string value = cValue().Text();
            if (const std::optional<std::string> refusal = ConditionRefusal(kind, value, andButton)) {
                forms::MsgBox(*refusal, forms::mb::Exclamation, "Mensagem");
                Focus(&cValue());
                return;
            }
            std::string text = cCriteria().Text();
            if (!text.empty()) text += andButton ? kAndJoin : kOrJoin;
            cCriteria().SetText(text + ConditionText(kind, field, op, value));
            Focus(&cField());
        },
        [&](const win::RuntimeError& error) {
            tabelaCampo_.reset();
            ReportError(error, kTela, andButton ? "ANDButton" : "ORButton");
        });
}

// The field's distinct values, blanks and Nulls left out, added to cValue's list; the first
// becomes its text. A failing query leaves the text empty.
void FQuery::GetValuesButton_Click() {
    const std::string field = cField().Text();
    forms::Trapped(
        [&] {
            dao::Recordset rs = BancoProdutoLoja->OpenRecordset("select Distinct " + field + " from " + ParteCampo(field, false),
                                                                dao::dbOpenSnapshot);
            for (; !rs.Eof(); rs.MoveNext()) {
                const dao::Value value = rs.Fields().Item(0).GetValue();
                if (value.IsNull() || forms::Trim(value.ToText()).empty()) continue;
                cValue().AddItem(value.ToText());
            }
            rs.Close();
            cValue().SetText(cValue().ListCount() > 0 ? cValue().List(0) : std::string());
            Focus(&cValue());
        },
        [this](const win::RuntimeError&) { cValue().SetText(""); });
}

// Shows the criterion message when `criterion` may not run; true when it may.
bool FQuery::CriterionMayRun(const std::string& criterion) {
    const std::optional<std::string> fault = CriterionFault(criterion);
    if (!fault) return true;
    forms::MsgBox(CriterionMessage("Critério Inválido !!!", 0, *fault), forms::mb::Exclamation, "Mensagem");
    return false;
}

void FQuery::RunQueryButton_Click() {
    if (!VerificaAutorizacao("EXECUTAR", "I", "S")) return;
    forms::Trapped(
        [this] {
            TextoCriterio.clear();
            const std::string criterion = CriterionFromConditions(cCriteria().Text());
            if (!CriterionMayRun(criterion)) return;
            TextoCriterio = criterion;
            if (mostrarSQL_) {
                forms::MsgBox(SQLBase + TextoCriterio, forms::mb::OkOnly, "SQL Query");
            } else if (copiarSQL_) {
                txtCriterio().SetText(TextoCriterio);
                Focus(ZmNome());
            } else {
                RetornoCriterio = std::string("S");
                Unload();
            }
        },
        [](const win::RuntimeError& error) {
            if (error.Number() != win::err::ObjectUnloaded) ReportError(error, kTela, "RunQueryButton");
        });
}

void FQuery::ShowSQLButton_Click() {
    mostrarSQL_ = true;
    RunQueryButton_Click();
    mostrarSQL_ = false;
}

void FQuery::CopySQLButton_Click() {
    if (!VerificaAutorizacao("CRITERIO", "I", "S")) return;
    ExibirGrade(false);
    LimpaCriterio();
    copiarSQL_ = true;
    RunQueryButton_Click();
    copiarSQL_ = false;
    alterandoCriterio_ = false;
}

void FQuery::ClearButton_Click() { cCriteria().SetText(""); }

void FQuery::CloseButton_Click() { Unload(); }

// The window sees the keys first: Esc cancels an edit or closes the window, PageDown saves, F12
// starts the calculator.
void FQuery::Form_KeyUp(int& keyCode, int) {
    if (keyCode == forms::key::Escape) {
        if (BtnCancelar().Visible()) {
            BtnCancelar_Click();
        } else {
            Unload();
        }
    } else if (keyCode == forms::key::PageDown) {
        if (BtnGravar().Visible()) BtnGravar_Click();
    } else if (keyCode == forms::key::F12) {
        StartCalculator();
    }
}

void FQuery::Form_Unload(int&) {
    const std::vector<forms::Step> steps = {
        {"", [this](forms::StepFlow&) {
             if (Data1().HasRecordset()) Data1().Recordset().Close();
         }},
        {"", [this](forms::StepFlow&) {
             if (tabelaCriterio_) tabelaCriterio_->Close();
             tabelaCriterio_.reset();
         }},
    };
    forms::RunSteps(steps, [](const win::RuntimeError& error, std::string_view) {
        ReportError(error, kTela, "Form_Unload");
        return forms::Resume::Next();
    });
    tabelaCriterio_.reset();
    tabelaExecutar_.reset();
}

FQuery& QueryWindow() {
    static FQuery window;
    return window;
}

QueryBuilderHooks QueryWindowHooks() {
    QueryBuilderHooks hooks;
    hooks.show = [] { QueryWindow().Show(); };
    hooks.isLoaded = [] { return QueryWindow().IsLoaded(); };
    hooks.unload = [] { QueryWindow().Unload(); };
    hooks.focusGrid = [] {
        if (QueryWindow().IsLoaded()) FQuery::Focus(&QueryWindow().Table1());
    };
    return hooks;
}

void InstallQueryBuilder() { InicioWindow().SetQueryBuilder(QueryWindowHooks()); }

}  // namespace report::reports
