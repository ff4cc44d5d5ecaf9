// screens: renders the program's windows, offscreen, over a sample chain it builds in a temporary
// machine root, into PNG files of a folder.
//
//   screens OUTPUT-FOLDER
//
// The log-in window, over the chain's program folder C:\REPORT (the chain was built today, so the
// clock question comes at every attempt):
//   acesso.png             the store list
//   acesso-senha-digitada.png the password panel with a password typed (masked)
//   acesso-senha.png       the password panel after a wrong password
//   acesso-data-hora.png   the clock fields after the clock question was answered No
//   acesso-atualizando.png the upgrade's progress while the administrator's log-in upgrades LOJA01
// Then each window as the user meets it, logged in as the chain's administrator to F:\LOJA01:
//   inicio.png             the report catalogue in report selection
//   inicio-procura-vazia.png its search panel as it opens
//   inicio-procura.png     its search panel with a text typed
//   inicio-criterio.png    the saved criteria of "Vendas por Período"
//   preview-vendas.png     the first preview page of "Vendas por Período" with a saved criterion
//   fquery.png             the criterion builder of "Vendas por Período" with a criterion built
//   fquery-catalogar.png   the criterion being saved under a name
//   fquery-criterios.png   the report's saved criteria with the new one
//   consolidacao.png       the consolidation window with the chain's store list
//   consolidacao-periodo.png  its period filter
// And two message boxes of the program as the screen shows them, paragraphs apart:
//   consolidacao-pergunta.png the consolidation's question when BACKUP.MDB holds an earlier run
//   banco-danificado.png      the damaged-database box of the program's start
// Then the control library's property sheets, one picture per page of each control's page list
// (its own pages, then the stock colour, font and picture pages), and each control's About box:
//   pages-<control>-<n>.png  page n of the control's sheet ("text", "long", "label", ...)
//   about-<control>.png      the About box the control's AboutBox method shows
#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/report/com/report_control.h"
#include "platform/ctl/interfaces.h"
#include "platform/ctl/property_sheet.h"
#include "platform/ctl/services.h"
#include "platform/controls/report/report_preview.h"
#include "platform/forms/app.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/win/error.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"
#include "platform/com/factory.h"
#include "platform/win/module.h"
#include "report/consolidation/consolidacao.h"
#include "report/core/connections.h"
#include "report/core/state.h"
#include "report/login/acesso.h"
#include "report/reports/fquery.h"
#include "report/reports/inicio.h"
#include "report/upgrade/upgrade.h"
#include "tools/sample-chain/chain.h"

namespace {

void Save(QWidget* widget, const std::filesystem::path& folder, const char* name) {
    forms::DoEvents();
    const std::filesystem::path file = folder / name;
    if (widget == nullptr || !widget->grab().save(QString::fromStdString(file.string()), "PNG")) {
        throw std::runtime_error("cannot write " + file.string());
    }
    std::printf("%s\n", file.string().c_str());
}

// Registers the control library in the machine root, as the program's installation does.
win::Module RegisterControls() {
    win::Module library = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
    using Register = long (*)();
    if (!library || reinterpret_cast<Register>(library.Export("DllRegisterServer"))() != 0) {
        throw std::runtime_error("cannot register " + std::string(ZMTEXT_OCX_PATH));
    }
    return library;
}

void RenderLogin(const std::filesystem::path& folder, forms::ScriptedMessageBoxes& boxes) {
    report::SetProgramFolder("C:\\REPORT");
    forms::SetDataEngine(report::ProgramEngine());
    report::AbrirBD();
    report::login::Acesso window;
    window.Show();
    Save(window.Widget(), folder, "acesso.png");
    window.TbLoja().SetRow(0);
    window.TbLoja_Choose();
    forms::SetHostedText(window.ZmSenha(), "caixa");
    Save(window.Widget(), folder, "acesso-senha-digitada.png");
    forms::SetHostedText(window.ZmSenha(), "ERRADA");
    boxes.answers = {forms::mb::Yes};
    window.BtnProcura_Click();
    Save(window.Widget(), folder, "acesso-senha.png");
    boxes.answers = {forms::mb::No};
    window.BtnProcura_Click();
    Save(window.Widget(), folder, "acesso-data-hora.png");
    report::upgrade::InstallUpgrade();
    report::ProgramHooks().runUpgrade = report::upgrade::AtualizarBD;
    report::upgrade::InstalledUpgradeSteps().NuloProduto = [&] {
        Save(window.Widget(), folder, "acesso-atualizando.png");
    };
    forms::SetHostedText(window.ZmSenha(), "ADMIN");
    boxes.answers = {forms::mb::Yes};
    window.BtnProcura_Click();
    report::upgrade::InstalledUpgradeSteps().NuloProduto = nullptr;
    if (window.IsLoaded()) window.Drop();
    forms::App().CollectUnloaded();
    report::ResetProgramState();
}

void LogIn() {
    report::SetProgramFolder("C:\\REPORT");
    forms::SetDataEngine(report::ProgramEngine());
    report::PastaDados = "F:\\LOJA01";
    report::CodUsuarioAtual = 1;
    report::NomeUsuario = "GERENTE";
    report::AbrirBDLoja();
}

void RenderCatalogue(const std::filesystem::path& folder) {
    report::reports::Inicio window;
    window.Show();
    Save(window.Widget(), folder, "inicio.png");
    window.BtnProcurar_Click();
    Save(window.Widget(), folder, "inicio-procura-vazia.png");
    forms::SetHostedText(window.ZmProcura(), "Vendas");
    Save(window.Widget(), folder, "inicio-procura.png");
    window.BtnEsc_Click();
    window.BtnSelecionar_Click();
    Save(window.Widget(), folder, "inicio-criterio.png");
    window.BtnImprimir_Click();
    window.Report1().Printer().FinishPaging();  // the page count in, as the user sees it a moment later
    controls::report::PreviewWindow* preview = window.Report1().Printer().Preview();
    if (preview != nullptr) preview->resize(900, 1000);
    Save(preview, folder, "preview-vendas.png");
    window.Report1().Printer().ClosePreview();
    window.Drop();
    forms::App().CollectUnloaded();
}

void RenderQueryBuilder(const std::filesystem::path& folder) {
    report::reports::Inicio catalogue;
    catalogue.SetQueryBuilder(report::reports::QueryWindowHooks());
    catalogue.Show();
    catalogue.BtnCriterio_Click();
    report::reports::FQuery& window = report::reports::QueryWindow();
    const auto add = [&window](const char* field, const char* op, const char* value, bool andButton) {
        window.cField().SetText(field);
        window.cField_Click();
        window.cOperator().SetText(op);
        window.cValue().SetText(value);
        if (andButton) {
            window.ANDButton_Click();
        } else {
            window.ORButton_Click();
        }
    };
    add("[Venda].[Vendedor]", "=", "01", true);
    add("[Venda].[Data Venda]", ">=", "2/3/2000", true);
    add("[Venda].[Maquina]", "Like", "caixa1", false);
    window.cField().SetText("[Venda].[Vendedor]");
    window.GetValuesButton_Click();
    Save(window.Widget(), folder, "fquery.png");
    window.CopySQLButton_Click();
    forms::SetHostedText(window.ZmNome(), "Vendedor um em março");
    Save(window.Widget(), folder, "fquery-catalogar.png");
    window.BtnGravar_Click();
    Save(window.Widget(), folder, "fquery-criterios.png");
    window.Drop();
    catalogue.Drop();
    forms::App().CollectUnloaded();
}

// The consolidation window hosts the control library's fields: the library is registered in the
// machine root first.
void RegisterControlLibrary() {
#ifdef ZMTEXT_OCX_PATH
    win::Module library = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
    if (!library || reinterpret_cast<com::DllRegisterServerFn>(library.Export("DllRegisterServer"))() != com::S_OK) {
        throw std::runtime_error("cannot register the control library");
    }
#endif
}

void RenderConsolidation(const std::filesystem::path& folder, forms::ScriptedMessageBoxes& boxes) {
    report::consolidation::Consolidacao window;
    window.Show();
    Save(window.Widget(), folder, "consolidacao.png");
    boxes.answers = {forms::mb::No};
    window.BtnConsolidar_Click();
    Save(window.Widget(), folder, "consolidacao-periodo.png");
    boxes.shown.clear();
    window.Drop();
    forms::App().CollectUnloaded();
}

// Shows a box through the screen's message boxes, saves its picture while it waits, and answers
// it with its default button.
void SaveMessageBox(const std::filesystem::path& folder, const char* name, const std::string& text, int style) {
    const std::filesystem::path file = folder / name;
    bool saved = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        saved = box->grab().save(QString::fromStdString(file.string()), "PNG");
        if (QPushButton* button = box->defaultButton()) button->click();
    });
    forms::QtMessageBoxes().Show(text, style, "Mensagem");
    if (!saved) throw std::runtime_error("cannot write " + file.string());
    std::printf("%s\n", file.string().c_str());
}

void RenderMessageBoxes(const std::filesystem::path& folder) {
    SaveMessageBox(folder, "consolidacao-pergunta.png",
                   "Ultima Consolidação 30/11/2026 às 18:30.\r\rDeseja Executar Nova Consolidação?",
                   forms::mb::YesNoCancel + forms::mb::Question + forms::mb::DefaultButton2);
    SaveMessageBox(folder, "banco-danificado.png", "Banco de Dados Danificado !\r\rPressione Enter Para Corrigir !",
                   forms::mb::Exclamation);
}

// Draws an About box where the controls would show it, instead of waiting for its OK.
class AboutBoxPictures : public ctl::NoticeBackend {
public:
    explicit AboutBoxPictures(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::string next;   // the file name of the next About box
    void ShowMessage(QWidget*, const std::string& text) override { std::fprintf(stderr, "notice: %s\n", text.c_str()); }
    void ShowAboutBox(QWidget* owner, const std::string& title, const std::vector<std::string>& lines) override {
        const auto dialog = ctl::MakeAboutBox(owner, title, lines);
        dialog->show();
        Save(dialog.get(), folder_, next.c_str());
    }
    void ShowHelp(const std::string&, std::uint32_t) override {}

private:
    std::filesystem::path folder_;
};

void RenderControlPages(const std::filesystem::path& folder) {
    const std::pair<const char*, const char*> controls[] = {
        {"text", "ZMTEXT.ZMTextCtrl.1"},   {"date", "ZMTEXT.ZMDateCtrl.1"},
        {"time", "ZMTEXT.ZMTimeCtrl.1"},   {"long", "ZMTEXT.ZMLongCtrl.1"},
        {"double", "ZMTEXT.ZMDoubleCtrl.1"}, {"currency", "ZMTEXT.ZMCurrencyCtrl.1"},
        {"label", "ZMTEXT.ZMLabelCtrl.1"}};
    AboutBoxPictures about(folder);
    ctl::InstallNotices(&about);
    for (const auto& [name, progId] : controls) {
        const com::ComPtr<com::IDispatch> object = com::CreateObject(progId);
        const auto control = object.As<ctl::IControl>();
        std::vector<com::Guid> pages;
        if (!control || com::Failed(control->InitNew()) || com::Failed(control->GetPropertyPages(&pages))) {
            throw std::runtime_error(std::string("cannot make the ") + name + " control's pages");
        }
        ctl::PropertySheet sheet(std::string(name) + " Properties", {object});
        if (sheet.AddPagesOfClasses(pages) != static_cast<int>(pages.size())) {
            throw std::runtime_error(std::string("a page of the ") + name + " control cannot be made");
        }
        sheet.resize(560, 600);
        sheet.show();
        for (int i = 0; i < sheet.PageCount(); ++i) {
            sheet.findChild<QTabWidget*>()->setCurrentIndex(i);
            const std::string file = std::string("pages-") + name + "-" + std::to_string(i + 1) + ".png";
            Save(&sheet, folder, file.c_str());
        }
        about.next = std::string("about-") + name + ".png";
        com::CallMethod(object.Get(), com::DISPID_ABOUTBOX, {});
    }
    ctl::InstallNotices(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screens OUTPUT-FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
    std::filesystem::create_directories(folder);
    forms::ScriptedMessageBoxes boxes;
    forms::InstallMessageBoxes(&boxes);
    int result = 0;
    try {
        win::testing::TempMachineRoot root;
        sample_chain::Options options;
        options.root = root.Root();
        sample_chain::BuildChain(options);
        const win::Module library = RegisterControls();
        RenderLogin(folder, boxes);
        LogIn();
        RenderCatalogue(folder);
        RenderQueryBuilder(folder);
        RegisterControlLibrary();
        RenderConsolidation(folder, boxes);
        RenderMessageBoxes(folder);
        RenderControlPages(folder);
        report::ResetProgramState();
    } catch (const win::RuntimeError& error) {
        std::fprintf(stderr, "screens: error %ld: %s\n", error.Number(), error.Description().c_str());
        result = 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "screens: %s\n", error.what());
        result = 1;
    }
    for (const auto& box : boxes.shown) std::fprintf(stderr, "message: %s\n", box.text.c_str());
    forms::InstallMessageBoxes(nullptr);
    return result;
}
