#include "report/login/acesso.h"

#include <vector>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/threed.h"
#include "platform/dao/dao.h"
#include "platform/forms/app.h"
#include "platform/forms/busy.h"
#include "platform/forms/controls.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/datetime.h"
#include "platform/forms/errors.h"
#include "platform/forms/fileio.h"
#include "platform/forms/focus.h"
#include "platform/forms/hosted.h"
#include "platform/forms/keys.h"
#include "platform/forms/layout.h"
#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "platform/forms/value.h"
#include "platform/win/clock.h"
#include "platform/win/oledate.h"
#include "platform/win/paths.h"
#include "platform/win/textformat.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/core/fields.h"
#include "report/core/hooks.h"
#include "report/core/startup.h"
#include "report/core/state.h"
#include "report/core/windows.h"
#include "report/login/login_rules.h"

namespace report::login {

namespace {

constexpr const char* kTela = "Acesso";

// The close of a handler's trap here: the program-folder databases, after the report under Acesso.
constexpr TrapClose kCloseProgramSet{.set = FecharBD};

forms::StepHandler ReportCloseAndLeave(const char* rotina) {
    return [rotina](const win::RuntimeError& error, std::string_view) {
        ReportAndClose(error, kTela, rotina, kCloseProgramSet);
        return forms::Resume::Leave();
    };
}

// "( <program> - <its date> )": what the window shows until the own store is known.
std::string ProgramCaption() {
    const std::string date = win::FormatDate(forms::FileDateTime(forms::App().ProgramFile()), "General Date");
    return "( " + forms::App().EXEName() + " - " + date + " )";
}

void Focus(forms::Control* control) {
    if (control && control->ShowsInWindow()) control->SetFocus();
}

}  // namespace

Acesso::Acesso() : Window("Acesso") {
    SetKeyPreview(true);
}

Acesso::~Acesso() {
    if (ProgramHooks().upgradeWindow == this) ProgramHooks().upgradeWindow = nullptr;
}

// The layout, in twips: the store list in its frame, the message of the moment beside it, the
// password panel below it, the message line, the clock fields, and the upgrade's progress panel
// over the list and the message.
void Acesso::CreateControls() {
    using forms::Intrinsic;
    using forms::Library;
    constexpr bool kHidden = false;
    SetSize(8520, 5820);
    const char* const kAtualizando = "Atualizando Banco de Dados... Aguarde  ";
    const forms::ControlSpec layout[] = {
        // name                    kind                                                container         left  top   width height caption
        {"FrameLoja",               Intrinsic(frameLoja_),                               "",                120,  120, 4560, 3240},
        {"TbLoja",                  Intrinsic(tbLoja_),                                  "FrameLoja",       120,  240, 4320, 2880},
        {"LabelLoja",               Library(library::Label, labelLoja_),                 "",                120, 3420, 4560,  360, ""},
        {"FrameLinha",              Intrinsic(frameLinha_),                              "",               4800,  480, 3480, 1920},
        {"LblMensagemdoMomento",    Library(library::Label, lblMensagemdoMomento_),      "",               4800,  120, 3480,  330, "Mensagem do Momento"},
        // The message is a sentence, laid out over the lines of its box.
        {"LblMensagemMotivacional", Library(library::Label, lblMensagemMotivacional_),   "FrameLinha",      120,  120, 3240, 1680, "", true,
         {{"WordWrap", com::Variant::Bool(true)}}},
        {"PainelLocaliza",          Intrinsic(painelLocaliza_),                          "",               4800, 2520, 3480, 1260},
        {"ZmLabel",                 Intrinsic(zmLabel_),                                 "PainelLocaliza",  120,  120, 3240,  300, " Digite Sua Senha : "},
        {"BtnProcura",              Intrinsic(btnProcura_),                              "PainelLocaliza", 2280,  540, 1080,  420, "&Enter"},
        {"ZmSenha",                 Library(library::TextEdit, zmSenha_),                "PainelLocaliza",  120,  540, 2040,  360, nullptr, true, PasswordField()},
        {"SSPanel1",                Intrinsic(ssPanel1_),                                "",                120, 3900, 8160,  480, nullptr, kHidden},
        {"PainelMensagem",          Library(library::Label, painelMensagem_),            "SSPanel1",        120,   60, 7920,  360, kAtualizando},
        {"LblDataHora",             Intrinsic(lblDataHora_),                             "",                120, 4500, 2400,  300, "Digite a nova Data/Hora : ", kHidden},
        {"ZmDataComputador",        Library(library::DateEdit, zmDataComputador_),       "",               2580, 4470, 1560,  360, nullptr, kHidden, DayFirstDateField()},
        {"ZmHoraComputador",        Library(library::TimeEdit, zmHoraComputador_),       "",               4260, 4470, 1200,  360, nullptr, kHidden},
        {"LblData",                 Library(library::Label, lblData_),                   "",                120, 4920, 8160,  360, "", kHidden},
        {"PainelAtualiza",          Intrinsic(painelAtualiza_),                          "",                120,  120, 8160, 3660, nullptr, kHidden},
        {"sivbLB1",                 Library(library::Label, sivbLB1_),                   "PainelAtualiza",  120,   60, 7920,  360, kAtualizando},
        {"ListTabela",              Intrinsic(listTabela_),                              "PainelAtualiza",  120,  540, 7920, 3000},
        {"Data1",                   Intrinsic(data1_),                                   "",                  0,    0,    0,    0, nullptr, kHidden},
    };
    forms::CreateFromTable(*this, layout, ReportMissingControl(kTela));
    tbLoja_->SetDataSource(*data1_);
    tbLoja_->AddColumn("Sigla", "CodLoja");
    tbLoja_->AddColumn("Loja", "Nome");
    ConnectHandlers();
}

void Acesso::ConnectHandlers() {
    btnProcura_->Click = [this] { BtnProcura_Click(); };
    tbLoja_->DblClick = [this] { TbLoja_Choose(); };
    tbLoja_->KeyDown = [this](int& keyCode, int) {
        if (keyCode == forms::key::Return) TbLoja_Choose();
    };
    tbLoja_->RowColChange = [this](int, int) { TbLoja_RowColChange(); };
    if (zmSenha_) {
        zmSenha_->KeyDown = [this](int& keyCode, int) {
            if (keyCode == forms::key::Return) BtnProcura_Click();
        };
    }
    if (zmDataComputador_) {
        zmDataComputador_->KeyUp = [this](int& keyCode, int) {
            if (keyCode == forms::key::Return || keyCode == forms::key::Down) Focus(zmHoraComputador_);
        };
        zmDataComputador_->On("Change", [this](std::span<com::Variant>) { ZmDataComputador_Change(); });
    }
    if (zmHoraComputador_) {
        zmHoraComputador_->KeyUp = [this](int& keyCode, int) {
            if (keyCode == forms::key::Return) BtnProcura_Click();
            if (keyCode == forms::key::Up) Focus(zmDataComputador_);
        };
        zmHoraComputador_->On("Change", [this](std::span<com::Variant>) { ZmHoraComputador_Change(); });
    }
    for (forms::HostedControl* field : {zmSenha_, zmDataComputador_, zmHoraComputador_}) {
        if (!field) continue;
        forms::HighlightEditOnFocus(*field);
    }
}

bool Acesso::StoresListed() { return data1_->HasRecordset() && !data1_->Recordset().Eof(); }

void Acesso::ShowPasswordPanel(bool shown) { painelLocaliza_->SetVisible(shown); }

void Acesso::ShowMessagePanel(const std::string& message) {
    ssPanel1_->SetVisible(true);
    forms::SetHostedText(painelMensagem_, message);
}

void Acesso::Form_Load() {
    bool noUsers = false;
    forms::StepList steps;
    steps.Add("caption", [&](forms::StepFlow&) { SetCaption(ProgramCaption()); });
    steps.Add("recordsets", [&](forms::StepFlow&) {
        TabelaRelacaoAcesso.Set(BancoBD2->OpenRecordset("Relacao", dao::dbOpenTable));
        TabelaUsuarioAcesso.Set(BancoBD2->OpenRecordset("Usuario", dao::dbOpenTable));
    });
    steps.Add("users", [&](forms::StepFlow& flow) {
        if (!TabelaUsuarioAcesso->Eof()) return;
        noUsers = true;
        flow.Leave();
    });
    steps.Add("stores", [&](forms::StepFlow&) {
        Contador = 1;
        SQLBase = kSQLBaseLojas;
        PointDataControl(ProgramFolder() + "\\Produto.MDB", SQLBase);
        tbLoja_->Refresh();
        const bool listed = StoresListed();
        if (labelLoja_) labelLoja_->SetVisible(listed);
        frameLoja_->SetVisible(listed);
        ShowPasswordPanel(!listed);
        if (!listed) PastaDados = ProgramFolder();
    });
    steps.Add("own store", [&](forms::StepFlow&) {
        TabelaLoja.Set(BancoProduto->OpenRecordset("Loja", dao::dbOpenTable));
        TabelaLoja->SetIndex("IndLojaOrigem");
        TabelaLoja->Seek("=", {dao::Value::Text("*")});
        NomeLoja = TabelaLoja->NoMatch()
                       ? std::string(kOwnStoreMissingName)
                       : OwnStoreName(forms::FromDao(TabelaLoja.Get()("Nome").GetValue()));
        CloseIfOpen(TabelaLoja);
        SetCaption(forms::Trim(NomeLoja) + " - " + ProgramFolder());
    });
    steps.Add("moment", [&](forms::StepFlow&) { ReadMessageOfTheMoment(); });
    forms::RunSteps(std::move(steps), ReportCloseAndLeave("Form_Load"));
    if (noUsers) {
        // No users: no password is asked and the catalogue opens at once. It still needs a data
        // folder and its open data set, which are the program folder's own; they are not a
        // store's data set, so no upgrade runs on them. Leaving the catalogue by Sair ends the
        // program here rather than opening the catalogue again.
        if (SairPrograma != "S") {
            PastaDados = ProgramFolder();
            OpenDataSetWithoutUpgrade();
            if (forms::App().EndRequested()) return;
            ShowCatalogueWindow();
        }
        Unload();
        return;
    }
    ProgramHooks().upgradeWindow = this;
}

// The message is a nicety: a file that cannot be searched for or read is reported once, under
// its name, and the load goes on without a message, so the log-in never depends on it.
void Acesso::ReadMessageOfTheMoment() {
    const MomentKey key = KeyOfTheMoment(forms::Now());
    MinutoMensagem = key.minuto;
    SegundoMensagem = key.segundo;
    const std::string file = ProgramFolder() + "\\MOTIVA.TXT";
    forms::Trapped(
        [&] {
            if (forms::UCase(forms::Dir(file)) != "MOTIVA.TXT") {
                frameLinha_->SetVisible(false);
                if (lblMensagemdoMomento_) lblMensagemdoMomento_->SetVisible(false);
                return;
            }
            if (const auto message = MessageOfTheMoment(ReadMotivaLines(file), key)) {
                forms::SetHostedText(lblMensagemMotivacional_, *message);
            }
        },
        [&](const win::RuntimeError& error) { ReportError(error, kTela, "Form_Load " + file); });
}

void Acesso::Form_KeyUp(int& keyCode, int) {
    if (painelAtualiza_->Visible() || keyCode != forms::key::Escape) return;
    forms::Trapped(
        [this] {
            if (StoresListed() && painelLocaliza_->Visible()) {
                ShowPasswordPanel(false);
                Focus(tbLoja_);
            } else if (SairPrograma == "NAO") {
                SairPrograma = "S";
            } else {
                Unload();
            }
        },
        [](const win::RuntimeError& error) { ReportAndClose(error, kTela, "FormKeyUp", kCloseProgramSet); });
}

void Acesso::Form_Unload(int&) {
    if (ProgramHooks().upgradeWindow == this) ProgramHooks().upgradeWindow = nullptr;
    forms::Trapped(
        [] {
            FecharBD();
            if (SairPrograma == "S") forms::App().End();
        },
        [](const win::RuntimeError& error) { ReportAndClose(error, kTela, "Form_Unload", kCloseProgramSet); });
}

void Acesso::BtnProcura_Click() {
    forms::Trapped([this] { LogIn(); }, [](const win::RuntimeError& error) { ReportAndClose(error, kTela, "BtnProcura", kCloseProgramSet); });
}

void Acesso::ShowClockFields() {
    const double now = forms::Now();
    forms::SetHostedText(zmDataComputador_, win::FormatDate(win::DatePart(now), "dd/mm/yyyy"));
    forms::SetHostedText(zmHoraComputador_, win::FormatDate(win::TimePart(now), "hh:mm:ss"));
    forms::SetHostedText(lblData_, DateLine(now));
    for (forms::HostedControl* field : {zmDataComputador_, zmHoraComputador_, lblData_}) {
        if (field) field->SetVisible(true);
    }
    lblDataHora_->SetVisible(true);
    Focus(zmDataComputador_);
}

void Acesso::LogIn() {
    const double fileDate = forms::FileDateTime(ProgramFolder() + "\\Produto.MDB");
    if (ClockLooksWrong(fileDate, forms::Today()) &&
        forms::MsgBox(ClockQuestion(forms::Now()), kClockQuestionStyle, "Mensagem") == forms::mb::No) {
        ShowClockFields();
        return;
    }
    TabelaUsuarioAcesso->SetIndex("IndSenha");
    TabelaUsuarioAcesso->Seek("=", {dao::Value::Text(forms::UCase(forms::HostedText(zmSenha_)))});
    if (TabelaUsuarioAcesso->NoMatch()) {
        WrongPassword();
        return;
    }
    forms::App().SetMousePointer(forms::pointer::Hourglass);
    ShowMessagePanel("Aguarde um Instante...");
    ssPanel1_->Refresh();
    Contador = 0;
    NomeUsuario = TabelaUsuarioAcesso.Get()("Usuario").GetValue().ToText();
    CodUsuarioAtual = TabelaUsuarioAcesso.Get()("CodUsuario").GetValue().ToLong();
    SairPrograma = "N";
    // The upgrade yields while it writes its progress here: the window stays as it is meanwhile,
    // its keys and clicks held back, so that no second log-in starts over the running upgrade.
    bool closeAsked = false;
    {
        const forms::BusyScope upgrading(*this);
        AbrirBDLoja();
        closeAsked = upgrading.CloseAsked();
    }
    forms::App().SetMousePointer(forms::pointer::Default);
    if (forms::App().EndRequested()) return;
    if (closeAsked) {
        // The user closed the window during the upgrade, which is done: the window closes now, and
        // with it the program, instead of going on to the catalogue.
        FecharBDLoja();
        return;
    }
    ShowCatalogueWindow();
    Unload();
}

void Acesso::WrongPassword() {
    ShowMessagePanel("Senha Inválida !");
    if (Contador == 2) {
        forms::SetHostedText(painelMensagem_, "Tente Pela Ultima Vez !");
    } else if (Contador == 3) {
        SairPrograma = "S";
        Unload();
        return;
    }
    ++Contador;
    forms::SetHostedText(zmSenha_, "");
    Focus(zmSenha_);
}

void Acesso::TbLoja_Choose() {
    forms::Trapped(
        [this] {
            const std::string local = data1_->Recordset()("LocalLojas").GetValue().ToText();
            const StoreChoice choice = ChooseStore(local);
            if (choice.road == StoreRoad::NotFound) {
                forms::MsgBox(kStoreNotFound, forms::mb::Exclamation, "Mensagem");
                Focus(tbLoja_);
                return;
            }
            PastaDados = choice.pastaDados;
            ShowPasswordPanel(true);
            Focus(zmSenha_);
        },
        // Any other failure ends the choice without a message, the password panel as it was.
        [](const win::RuntimeError&) {});
}

void Acesso::TbLoja_RowColChange() {
    forms::Trapped(
        [this] {
            if (tbLoja_->Row() >= 0) forms::SetHostedText(labelLoja_, data1_->Recordset()("Nome").GetValue().ToText());
        },
        [](const win::RuntimeError&) {});   // labelLoja_ keeps its text
}

// Sets the system date or time from a field's value when it is a valid date; an invalid value
// does nothing, and a refused change of the system clock ends the handler.
void Acesso::SetClockFrom(forms::HostedControl* field, void (*set)(double)) {
    forms::Trapped(
        [&] {
            const forms::Value value(forms::HostedText(field));
            if (!forms::IsDate(value)) return;
            set(forms::CDate(forms::Value(forms::CStr(value))));
            forms::SetHostedText(lblData_, DateLine(forms::Now()));
        },
        [](const win::RuntimeError&) {});
}

void Acesso::ZmDataComputador_Change() { SetClockFrom(zmDataComputador_, forms::SetDate); }
void Acesso::ZmHoraComputador_Change() { SetClockFrom(zmHoraComputador_, forms::SetTime); }

// --- UpgradeWindow -------------------------------------------------------------------------------

void Acesso::ClearList() { listTabela_->Clear(); }
void Acesso::AddItem(const std::string& text) { listTabela_->AddItem(text); }
int Acesso::ListCount() const { return listTabela_->ListCount(); }
std::string Acesso::List(int index) const { return listTabela_->List(index); }
void Acesso::SetList(int index, const std::string& text) { listTabela_->SetList(index, text); }
void Acesso::SetListIndex(int index) { listTabela_->SetListIndex(index); }

// The progress panel lies over the store's name and the message of the moment, which keep their
// own visibility beneath it.
void Acesso::SetPanelVisible(bool visible) {
    if (visible) painelAtualiza_->ZOrder();
    painelAtualiza_->SetVisible(visible);
}

void Acesso::SetStoreFrameVisible(bool visible) { frameLoja_->SetVisible(visible); }

// The grid's columns are the store list's fields: while the data control reads anything else (the
// upgrade points it at the users), the grid lets go of it instead of looking for fields it lacks.
void Acesso::PointDataControl(const std::string& databaseName, const std::string& recordSource) {
    const bool stores = recordSource == kSQLBaseLojas;
    if (!stores) tbLoja_->SetArray(nullptr);
    data1_->SetDatabaseName(databaseName);
    data1_->SetRecordSource(recordSource);
    data1_->SetConnect(std::string(";PWD=") + kSenhaLoja);
    data1_->Refresh();
    if (stores) tbLoja_->SetDataSource(*data1_);
}

Acesso& AcessoWindow() {
    static Acesso window;
    return window;
}


}  // namespace report::login
