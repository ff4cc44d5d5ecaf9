#include "report/login/acesso.h"

#include <vector>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/threed.h"
#include "platform/dao/dao.h"
#include "platform/forms/app.h"
#include "platform/forms/controls.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/datetime.h"
#include "platform/forms/errors.h"
#include "platform/forms/fileio.h"
#include "platform/forms/focus.h"
#include "platform/forms/hosted.h"
#include "platform/forms/keys.h"
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

// The trap of a handler that reports once and leaves: TrataErro under Acesso and the routine,
// then the program-folder databases closed.
void ReportAndClose(const win::RuntimeError& error, const char* rotina) {
    ReportError(error, kTela, rotina);
    FecharBD();
}

forms::StepHandler ReportCloseAndLeave(const char* rotina) {
    return [rotina](const win::RuntimeError& error, std::string_view) {
        ReportAndClose(error, rotina);
        return forms::Resume::Leave();
    };
}

// "( <program> - <its date> )": what the window shows until the own store is known.
std::string ProgramCaption() {
    const std::string date = win::FormatDate(forms::FileDateTime(forms::App().ProgramFile()), "General Date");
    return "( " + forms::App().EXEName() + " - " + date + " )";
}

void Focus(forms::Control* control) {
    if (control && control->Visible()) control->SetFocus();
}

}  // namespace

Acesso::Acesso() : Window("Acesso") {
    SetKeyPreview(true);
}

Acesso::~Acesso() {
    if (ProgramHooks().upgradeWindow == this) ProgramHooks().upgradeWindow = nullptr;
}

void Acesso::CreateControls() {
    using controls::threed::Button3D;
    using controls::threed::Frame3D;
    using controls::threed::Panel3D;
    SetSize(8520, 5820);
    FrameLoja = &Add<Frame3D>("FrameLoja");
    FrameLoja->Move(120, 120, 4560, 3240);
    TbLoja = &Add<controls::grid::DataGrid>("TbLoja", FrameLoja);
    TbLoja->Move(120, 240, 4320, 2880);
    LabelLoja = CreateLibraryControl(*this, kTela, library::Label, "LabelLoja", 120, 3420, 4560, 360);

    FrameLinha = &Add<Frame3D>("FrameLinha");
    FrameLinha->Move(4800, 480, 3480, 1920);
    LblMensagemdoMomento = CreateLibraryControl(*this, kTela, library::Label, "LblMensagemdoMomento", 4800, 120, 3480, 330);
    forms::SetHostedText(LblMensagemdoMomento, "Mensagem do Momento");
    LblMensagemMotivacional = CreateLibraryControl(*this, kTela, library::Label, "LblMensagemMotivacional", 4920, 600, 3240, 1680);
    // The message is a sentence, laid out over the lines of its box.
    if (LblMensagemMotivacional) LblMensagemMotivacional->Set("WordWrap", com::Variant::Bool(true));

    PainelLocaliza = &Add<Panel3D>("PainelLocaliza");
    PainelLocaliza->Move(4800, 2520, 3480, 1260);
    ZmLabel = &Add<forms::Label>("ZmLabel", PainelLocaliza);
    ZmLabel->Move(120, 120, 3240, 300);
    ZmLabel->SetCaption(" Digite Sua Senha : ");
    BtnProcura = &Add<Button3D>("BtnProcura", PainelLocaliza);
    BtnProcura->Move(2280, 540, 1080, 420);
    BtnProcura->SetCaption("&Enter");
    ZmSenha = CreateLibraryControl(*this, kTela, library::TextEdit, "ZmSenha", 4920, 3060, 2040, 360, PasswordField());

    SSPanel1 = &Add<Panel3D>("SSPanel1");
    SSPanel1->Move(120, 3900, 8160, 480);
    PainelMensagem = CreateLibraryControl(*this, kTela, library::Label, "PainelMensagem", 240, 3960, 7920, 360);
    forms::SetHostedText(PainelMensagem, "Atualizando Banco de Dados... Aguarde  ");

    LblDataHora = &Add<forms::Label>("LblDataHora");
    LblDataHora->Move(120, 4500, 2400, 300);
    LblDataHora->SetCaption("Digite a nova Data/Hora : ");
    ZmDataComputador = CreateLibraryControl(*this, kTela, library::DateEdit, "ZmDataComputador", 2580, 4470, 1560, 360, DayFirstDateField());
    ZmHoraComputador = CreateLibraryControl(*this, kTela, library::TimeEdit, "ZmHoraComputador", 4260, 4470, 1200, 360);
    LblData = CreateLibraryControl(*this, kTela, library::Label, "LblData", 120, 4920, 8160, 360);

    PainelAtualiza = &Add<Panel3D>("PainelAtualiza");
    PainelAtualiza->Move(120, 120, 8160, 3660);
    sivbLB1 = CreateLibraryControl(*this, kTela, library::Label, "sivbLB1", 240, 180, 7920, 360);
    forms::SetHostedText(sivbLB1, "Atualizando Banco de Dados... Aguarde  ");
    ListTabela = &Add<forms::ListBox>("ListTabela", PainelAtualiza);
    ListTabela->Move(120, 540, 7920, 3000);

    Data1 = &Add<forms::DataControl>("Data1");
    Data1->SetVisible(false);
    TbLoja->SetDataSource(*Data1);
    TbLoja->AddColumn("Sigla", "CodLoja");
    TbLoja->AddColumn("Loja", "Nome");

    for (forms::Control* hidden : {static_cast<forms::Control*>(SSPanel1), static_cast<forms::Control*>(LblDataHora)}) {
        hidden->SetVisible(false);
    }
    for (forms::HostedControl* hidden : {PainelMensagem, ZmDataComputador, ZmHoraComputador, LblData}) {
        if (hidden) hidden->SetVisible(false);
    }
    for (forms::HostedControl* blank : {LabelLoja, LblMensagemMotivacional, LblData}) forms::SetHostedText(blank, "");
    SetPanelVisible(false);
    ConnectHandlers();
}

void Acesso::ConnectHandlers() {
    BtnProcura->Click = [this] { BtnProcura_Click(); };
    TbLoja->DblClick = [this] { TbLoja_Choose(); };
    TbLoja->KeyDown = [this](int& keyCode, int) {
        if (keyCode == forms::key::Return) TbLoja_Choose();
    };
    TbLoja->RowColChange = [this](int, int) { TbLoja_RowColChange(); };
    if (ZmSenha) {
        ZmSenha->KeyDown = [this](int& keyCode, int) {
            if (keyCode == forms::key::Return) BtnProcura_Click();
        };
    }
    if (ZmDataComputador) {
        ZmDataComputador->KeyUp = [this](int& keyCode, int) {
            if (keyCode == forms::key::Return || keyCode == forms::key::Down) Focus(ZmHoraComputador);
        };
        ZmDataComputador->On("Change", [this](std::span<com::Variant>) { ZmDataComputador_Change(); });
    }
    if (ZmHoraComputador) {
        ZmHoraComputador->KeyUp = [this](int& keyCode, int) {
            if (keyCode == forms::key::Return) BtnProcura_Click();
            if (keyCode == forms::key::Up) Focus(ZmDataComputador);
        };
        ZmHoraComputador->On("Change", [this](std::span<com::Variant>) { ZmHoraComputador_Change(); });
    }
    for (forms::HostedControl* field : {ZmSenha, ZmDataComputador, ZmHoraComputador}) {
        if (!field) continue;
        forms::HighlightEditOnFocus(*field);
    }
}

bool Acesso::StoresListed() { return Data1->HasRecordset() && !Data1->Recordset().Eof(); }

void Acesso::ShowPasswordPanel(bool shown) {
    PainelLocaliza->SetVisible(shown);
    if (ZmSenha) ZmSenha->SetVisible(shown);
}

void Acesso::ShowMessagePanel(const std::string& message) {
    SSPanel1->SetVisible(true);
    if (PainelMensagem) PainelMensagem->SetVisible(true);
    forms::SetHostedText(PainelMensagem, message);
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
        TbLoja->Refresh();
        const bool listed = StoresListed();
        if (LabelLoja) LabelLoja->SetVisible(listed);
        FrameLoja->SetVisible(listed);
        TbLoja->SetVisible(listed);
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
        // No users: no password is asked. The catalogue window still needs a data folder and its
        // open data set, which is the program folder's.
        PastaDados = ProgramFolder();
        AbrirBDLoja();
        if (forms::App().EndRequested()) return;
        ShowCatalogueWindow();
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
    try {
        if (forms::UCase(forms::Dir(file)) != "MOTIVA.TXT") {
            FrameLinha->SetVisible(false);
            if (LblMensagemdoMomento) LblMensagemdoMomento->SetVisible(false);
            if (LblMensagemMotivacional) LblMensagemMotivacional->SetVisible(false);
            return;
        }
        if (const auto message = MessageOfTheMoment(ReadMotivaLines(file), key)) {
            forms::SetHostedText(LblMensagemMotivacional, *message);
        }
    } catch (const win::RuntimeError& error) {
        ReportError(error, kTela, "Form_Load " + file);
    }
}

void Acesso::Form_KeyUp(int& keyCode, int) {
    if (PainelAtualiza->Visible() || keyCode != forms::key::Escape) return;
    forms::Trapped(
        [this] {
            if (StoresListed() && PainelLocaliza->Visible()) {
                ShowPasswordPanel(false);
                Focus(TbLoja);
            } else if (SairPrograma == "NAO") {
                SairPrograma = "S";
            } else {
                Unload();
            }
        },
        [](const win::RuntimeError& error) { ReportAndClose(error, "FormKeyUp"); });
}

void Acesso::Form_Unload(int&) {
    if (ProgramHooks().upgradeWindow == this) ProgramHooks().upgradeWindow = nullptr;
    forms::Trapped(
        [] {
            FecharBD();
            if (SairPrograma == "S") forms::App().End();
        },
        [](const win::RuntimeError& error) { ReportAndClose(error, "Form_Unload"); });
}

void Acesso::BtnProcura_Click() {
    forms::Trapped([this] { LogIn(); }, [](const win::RuntimeError& error) { ReportAndClose(error, "BtnProcura"); });
}

void Acesso::ShowClockFields() {
    const double now = forms::Now();
    forms::SetHostedText(ZmDataComputador, win::FormatDate(win::DatePart(now), "dd/mm/yyyy"));
    forms::SetHostedText(ZmHoraComputador, win::FormatDate(win::TimePart(now), "hh:mm:ss"));
    forms::SetHostedText(LblData, DateLine(now));
    for (forms::HostedControl* field : {ZmDataComputador, ZmHoraComputador, LblData}) {
        if (field) field->SetVisible(true);
    }
    LblDataHora->SetVisible(true);
    Focus(ZmDataComputador);
}

void Acesso::LogIn() {
    const double fileDate = forms::FileDateTime(ProgramFolder() + "\\Produto.MDB");
    if (ClockLooksWrong(fileDate, forms::Today()) &&
        forms::MsgBox(ClockQuestion(forms::Now()), kClockQuestionStyle, "Mensagem") == forms::mb::No) {
        ShowClockFields();
        return;
    }
    TabelaUsuarioAcesso->SetIndex("IndSenha");
    TabelaUsuarioAcesso->Seek("=", {dao::Value::Text(forms::UCase(forms::HostedText(ZmSenha)))});
    if (TabelaUsuarioAcesso->NoMatch()) {
        WrongPassword();
        return;
    }
    forms::App().SetMousePointer(forms::pointer::Hourglass);
    ShowMessagePanel("Aguarde um Instante...");
    SSPanel1->Refresh();
    Contador = 0;
    NomeUsuario = TabelaUsuarioAcesso.Get()("Usuario").GetValue().ToText();
    CodUsuarioAtual = TabelaUsuarioAcesso.Get()("CodUsuario").GetValue().ToLong();
    SairPrograma = "N";
    AbrirBDLoja();
    forms::App().SetMousePointer(forms::pointer::Default);
    if (forms::App().EndRequested()) return;
    ShowCatalogueWindow();
    Unload();
}

void Acesso::WrongPassword() {
    ShowMessagePanel("Senha Inválida !");
    if (Contador == 2) {
        forms::SetHostedText(PainelMensagem, "Tente Pela Ultima Vez !");
    } else if (Contador == 3) {
        SairPrograma = "S";
        Unload();
        return;
    }
    ++Contador;
    forms::SetHostedText(ZmSenha, "");
    Focus(ZmSenha);
}

void Acesso::TbLoja_Choose() {
    try {
        const std::string local = Data1->Recordset()("LocalLojas").GetValue().ToText();
        const StoreChoice choice = ChooseStore(local);
        if (choice.road == StoreRoad::NotFound) {
            forms::MsgBox(kStoreNotFound, forms::mb::Exclamation, "Mensagem");
            Focus(TbLoja);
            return;
        }
        PastaDados = choice.pastaDados;
        ShowPasswordPanel(true);
        Focus(ZmSenha);
    } catch (const win::RuntimeError&) {
        // Any other failure ends the choice without a message, the password panel as it was.
    }
}

void Acesso::TbLoja_RowColChange() {
    try {
        if (TbLoja->Row() >= 0) forms::SetHostedText(LabelLoja, Data1->Recordset()("Nome").GetValue().ToText());
    } catch (const win::RuntimeError&) {
        // LabelLoja keeps its text.
    }
}

// Sets the system date or time from a field's value when it is a valid date; an invalid value
// does nothing, and a refused change of the system clock ends the handler.
void Acesso::SetClockFrom(forms::HostedControl* field, void (*set)(double)) {
    try {
        const forms::Value value(forms::HostedText(field));
        if (!forms::IsDate(value)) return;
        set(forms::CDate(forms::Value(forms::CStr(value))));
        forms::SetHostedText(LblData, DateLine(forms::Now()));
    } catch (const win::RuntimeError&) {
    }
}

void Acesso::ZmDataComputador_Change() { SetClockFrom(ZmDataComputador, forms::SetDate); }
void Acesso::ZmHoraComputador_Change() { SetClockFrom(ZmHoraComputador, forms::SetTime); }

// --- UpgradeWindow -------------------------------------------------------------------------------

void Acesso::ClearList() { ListTabela->Clear(); }
void Acesso::AddItem(const std::string& text) { ListTabela->AddItem(text); }
int Acesso::ListCount() const { return ListTabela->ListCount(); }
std::string Acesso::List(int index) const { return ListTabela->List(index); }
void Acesso::SetList(int index, const std::string& text) { ListTabela->SetList(index, text); }
void Acesso::SetListIndex(int index) { ListTabela->SetListIndex(index); }

// The progress panel lies over the store's name and the message of the moment, which keep their
// own visibility beneath it; its heading is the library's label, hosted on the window above it.
void Acesso::SetPanelVisible(bool visible) {
    if (visible) {
        PainelAtualiza->ZOrder();
        if (sivbLB1) sivbLB1->ZOrder();
    }
    PainelAtualiza->SetVisible(visible);
    ListTabela->SetVisible(visible);
    if (sivbLB1) sivbLB1->SetVisible(visible);
}

void Acesso::SetStoreFrameVisible(bool visible) {
    FrameLoja->SetVisible(visible);
    TbLoja->SetVisible(visible);
}

// The grid's columns are the store list's fields: while the data control reads anything else (the
// upgrade points it at the users), the grid lets go of it instead of looking for fields it lacks.
void Acesso::PointDataControl(const std::string& databaseName, const std::string& recordSource) {
    const bool stores = recordSource == kSQLBaseLojas;
    if (!stores) TbLoja->SetArray(nullptr);
    Data1->SetDatabaseName(databaseName);
    Data1->SetRecordSource(recordSource);
    Data1->SetConnect(std::string(";PWD=") + kSenhaLoja);
    Data1->Refresh();
    if (stores) TbLoja->SetDataSource(*Data1);
}

Acesso& AcessoWindow() {
    static Acesso window;
    return window;
}


}  // namespace report::login
