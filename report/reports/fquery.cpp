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

struct FQuery::Controls {
    controls::threed::Frame3D* frameSuperior = nullptr;
    forms::ComboBox* cField = nullptr;
    forms::ComboBox* cOperator = nullptr;
    forms::ComboBox* cValue = nullptr;
    forms::ComboBox* cOrderByField = nullptr;
    forms::MultiLineTextBox* cCriteria = nullptr;
    controls::threed::Button3D* andButton = nullptr;
    controls::threed::Button3D* orButton = nullptr;
    controls::threed::Button3D* getValuesButton = nullptr;
    controls::threed::Button3D* runQueryButton = nullptr;
    controls::threed::Button3D* showSQLButton = nullptr;
    controls::threed::Button3D* copySQLButton = nullptr;
    controls::threed::Button3D* clearButton = nullptr;
    controls::threed::Button3D* closeButton = nullptr;
    controls::threed::Button3D* btnAlterar = nullptr;
    controls::threed::Button3D* btnExcluir = nullptr;
    controls::threed::Button3D* btnCancelar = nullptr;
    controls::threed::Button3D* btnGravar = nullptr;
    std::vector<controls::threed::Button3D*> buttons;   // all of them, in creation order
    controls::grid::DataGrid* table1 = nullptr;
    forms::DataControl* data1 = nullptr;
    forms::HostedControl* zmNome = nullptr;
    forms::MultiLineTextBox* txtCriterio = nullptr;
    forms::Label* label1 = nullptr;
    forms::Label* label2 = nullptr;
    controls::threed::Frame3D* ssFrame2 = nullptr;
};

FQuery::FQuery() : forms::Window("fQuery") {}
FQuery::~FQuery() = default;

forms::ComboBox& FQuery::cField() const { return *controls_->cField; }
forms::ComboBox& FQuery::cOperator() const { return *controls_->cOperator; }
forms::ComboBox& FQuery::cValue() const { return *controls_->cValue; }
forms::ComboBox& FQuery::cOrderByField() const { return *controls_->cOrderByField; }
forms::TextBox& FQuery::cCriteria() const { return *controls_->cCriteria; }
forms::TextBox& FQuery::txtCriterio() const { return *controls_->txtCriterio; }
forms::HostedControl* FQuery::ZmNome() const { return controls_->zmNome; }
controls::threed::Button3D& FQuery::ANDButton() const { return *controls_->andButton; }
controls::threed::Button3D& FQuery::ORButton() const { return *controls_->orButton; }
controls::threed::Button3D& FQuery::GetValuesButton() const { return *controls_->getValuesButton; }
controls::threed::Button3D& FQuery::RunQueryButton() const { return *controls_->runQueryButton; }
controls::threed::Button3D& FQuery::ShowSQLButton() const { return *controls_->showSQLButton; }
controls::threed::Button3D& FQuery::CopySQLButton() const { return *controls_->copySQLButton; }
controls::threed::Button3D& FQuery::ClearButton() const { return *controls_->clearButton; }
controls::threed::Button3D& FQuery::CloseButton() const { return *controls_->closeButton; }
controls::threed::Button3D& FQuery::BtnAlterar() const { return *controls_->btnAlterar; }
controls::threed::Button3D& FQuery::BtnExcluir() const { return *controls_->btnExcluir; }
controls::threed::Button3D& FQuery::BtnCancelar() const { return *controls_->btnCancelar; }
controls::threed::Button3D& FQuery::BtnGravar() const { return *controls_->btnGravar; }
forms::Label& FQuery::Label1() const { return *controls_->label1; }
forms::Label& FQuery::Label2() const { return *controls_->label2; }
controls::threed::Frame3D& FQuery::FrameSuperior() const { return *controls_->frameSuperior; }
controls::grid::DataGrid& FQuery::Table1() const { return *controls_->table1; }
forms::DataControl& FQuery::Data1() const { return *controls_->data1; }

// The layout, in twips: the builder frame above, the saved criteria below (grid mode shows the
// grid, edit mode the name and text in its place), and their buttons in the lower frame.
void FQuery::CreateControls() {
    controls_ = std::make_unique<Controls>();
    SetKeyPreview(true);
    SetCaption("Critério de Seleção");
    SetSize(9720, 8040);
    CreateBuilderControls();
    CreateSavedControls();
    ApplyTabOrder();
    ConnectFocusColours();
}

void FQuery::CreateBuilderControls() {
    Controls& c = *controls_;
    c.frameSuperior = &Add<controls::threed::Frame3D>("FrameSuperior");
    c.frameSuperior->Move(120, 60, 9360, 3960);
    const auto label = [&](const char* name, const char* caption, int left, int top, int width) {
        forms::Label& l = Add<forms::Label>(name, c.frameSuperior);
        l.SetCaption(caption);
        l.Move(left, top, width, 240);
    };
    const auto combo = [&](const char* name, int left, int top, int width) {
        forms::ComboBox& box = Add<forms::ComboBox>(name, c.frameSuperior);
        box.Move(left, top, width, 330);
        return &box;
    };
    label("LblCampo", "Nome dos Campos", 120, 240, 3600);
    c.cField = combo("cField", 120, 480, 3600);
    label("LblCondicao", "Condição", 3840, 240, 1200);
    c.cOperator = combo("cOperator", 3840, 480, 1200);
    label("LblConteudo", "Conteúdo", 5160, 240, 4080);
    c.cValue = combo("cValue", 5160, 480, 4080);
    // The field and the operator come from their lists only: a typed name or operator would
    // become part of the statement.
    c.cField->SetStyle(2);
    c.cOperator->SetStyle(2);
    label("LblCriterio", "Critério", 120, 1380, 3000);
    c.cCriteria = &Add<forms::MultiLineTextBox>("cCriteria", c.frameSuperior);
    c.cCriteria->Move(120, 1620, 7080, 1620);
    label("LblOrdem", "Ordem do Relatório", 7320, 1380, 1920);
    c.cOrderByField = combo("cOrderByField", 7320, 1620, 1920);
    struct Spec {
        const char* name;
        const char* caption;
        int left;
        int top;
        void (FQuery::*click)();
        controls::threed::Button3D* Controls::*member;
    };
    const Spec specs[] = {
        {"ANDButton", "Critério '&E' :", 120, 900, &FQuery::ANDButton_Click, &Controls::andButton},
        {"ORButton", "Critério '&Ou' :  ", 1980, 900, &FQuery::ORButton_Click, &Controls::orButton},
        {"GetValuesButton", "Possíveis &Valores", 5160, 900, &FQuery::GetValuesButton_Click, &Controls::getValuesButton},
        {"RunQueryButton", "E&xecutar", 120, 3390, &FQuery::RunQueryButton_Click, &Controls::runQueryButton},
        {"ShowSQLButton", "&Mostra SQL", 1980, 3390, &FQuery::ShowSQLButton_Click, &Controls::showSQLButton},
        {"CopySQLButton", "&Catalogar", 3840, 3390, &FQuery::CopySQLButton_Click, &Controls::copySQLButton},
        {"ClearButton", "&Limpar", 5700, 3390, &FQuery::ClearButton_Click, &Controls::clearButton},
        {"CloseButton", "Sai&r", 7560, 3390, &FQuery::CloseButton_Click, &Controls::closeButton},
    };
    for (const Spec& spec : specs) {
        auto& button = Add<controls::threed::Button3D>(spec.name, c.frameSuperior);
        button.SetCaption(spec.caption);
        button.Move(spec.left, spec.top, 1740, 420);
        button.Click = [this, click = spec.click] { (this->*click)(); };
        c.*spec.member = &button;
        c.buttons.push_back(&button);
    }
    c.cField->Click = [this] { cField_Click(); };
}

void FQuery::CreateSavedControls() {
    Controls& c = *controls_;
    c.data1 = &Add<forms::DataControl>("Data1");
    c.data1->SetVisible(false);
    c.data1->SetConnect(std::string(";PWD=") + kSenhaLoja);
    c.data1->SetReadOnly(true);
    c.table1 = &Add<controls::grid::DataGrid>("Table1");
    c.table1->Move(120, 4140, 9360, 2940);
    const std::pair<const char*, const char*> columns[] = {
        {"Data", "DataCriacao"}, {"Nome", "Nome"}, {"Criterio", "Criterio"}, {"Relatório", "Relatorio"}, {"Seq.", "Sequencia"},
    };
    const int widths[] = {1200, 2700, 3600, 900, 600};
    for (std::size_t i = 0; i < std::size(columns); ++i) {
        c.table1->AddColumn(columns[i].first, columns[i].second);
        c.table1->SetColumnWidth(static_cast<int>(i), widths[i]);
    }
    c.table1->SetDataSource(*c.data1);
    c.table1->DblClick = [this] { Table1_DblClick(); };
    c.table1->KeyUp = [this](int& keyCode, int shift) { Table1_KeyUp(keyCode, shift); };
    c.label2 = &Add<forms::Label>("Label2");
    c.label2->SetCaption("Nome");
    c.label2->Move(120, 4200, 3000, 240);
    std::vector<HostedProperty> nome = EmptyTextField();
    nome.push_back({"MaxLength", com::Variant::I2(static_cast<std::int16_t>(kNomeSize))});
    c.zmNome = CreateLibraryControl(*this, kTela, library::TextEdit, "ZmNome", 120, 4440, 4800, 360, nome);
    if (c.zmNome) c.zmNome->KeyUp = [this](int& keyCode, int shift) { ZmNome_KeyUp(keyCode, shift); };
    c.label1 = &Add<forms::Label>("Label1");
    c.label1->SetCaption("Critério");
    c.label1->Move(120, 4920, 3000, 240);
    c.txtCriterio = &Add<forms::MultiLineTextBox>("txtCriterio");
    c.txtCriterio->Move(120, 5160, 9360, 1920);
    c.ssFrame2 = &Add<controls::threed::Frame3D>("SSFrame2");
    c.ssFrame2->Move(120, 7140, 9360, 600);
    using Member = controls::threed::Button3D* Controls::*;
    const std::tuple<const char*, const char*, int, void (FQuery::*)(), Member> buttons[] = {
        {"BtnAlterar", "&Alterar", 120, &FQuery::BtnAlterar_Click, &Controls::btnAlterar},
        {"BtnExcluir", "&Excluir", 1980, &FQuery::BtnExcluir_Click, &Controls::btnExcluir},
        {"BtnCancelar", "&Cancelar", 1980, &FQuery::BtnCancelar_Click, &Controls::btnCancelar},
        {"BtnGravar", "&Gravar", 120, &FQuery::BtnGravar_Click, &Controls::btnGravar},
    };
    for (const auto& [name, caption, left, click, member] : buttons) {
        auto& button = Add<controls::threed::Button3D>(name, c.ssFrame2);
        button.SetCaption(caption);
        button.Move(left, 120, 1740, 420);
        button.Click = [this, click = click] { (this->*click)(); };
        c.*member = &button;
        c.buttons.push_back(&button);
    }
    for (forms::Control* edit : {static_cast<forms::Control*>(c.zmNome), static_cast<forms::Control*>(c.txtCriterio),
                                 static_cast<forms::Control*>(c.label1), static_cast<forms::Control*>(c.label2),
                                 static_cast<forms::Control*>(&BtnGravar()),
                                 static_cast<forms::Control*>(&BtnCancelar())}) {
        if (edit) edit->SetVisible(false);
    }
}

// The edit fields colour their back while they have the focus, the twelve buttons their caption.
void FQuery::ConnectFocusColours() {
    for (controls::threed::Button3D* button : controls_->buttons) forms::HighlightButtonOnFocus(*button);
    const Controls& c = *controls_;
    for (forms::Control* edit : {static_cast<forms::Control*>(c.cCriteria), static_cast<forms::Control*>(c.cField),
                                 static_cast<forms::Control*>(c.cOperator), static_cast<forms::Control*>(c.cValue),
                                 static_cast<forms::Control*>(c.txtCriterio)}) {
        forms::HighlightEditOnFocus(*edit);
    }
    if (forms::HostedControl* nome = c.zmNome) forms::HighlightEditOnFocus(*nome);
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
