// The first log-in into an older store of the sample chain, driven as a user drives the log-in
// window: ZMTEXT32.OCX registered in the chain's machine root, scripted message boxes, a clock one
// day after the program's Produto.MDB. The log-in upgrades the store, reports nothing and shows the
// catalogue window; the next log-in into the same store stops at the upgrade's gate.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/forms/hosted.h"
#include "platform//controls/grid/data_grid.h"
#include "platform/forms/app.h"
#include "platform/forms/fileio.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/win/clock.h"
#include "platform/win/module.h"
#include "platform/win/oledate.h"
#include "platform/win/paths.h"
#include "platform/win/registry.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/core/connections.h"
#include "report/core/state.h"
#include "report/core/windows.h"
#include "report/login/acesso.h"
#include "report/reports/inicio.h"
#include "report/upgrade/upgrade.h"
#include "tools/sample-chain/chain.h"
#include "tools/sample-chain/package.h"
#include "tools/sample-chain/tests/shared_chains.h"

namespace sample_chain {
namespace {

class LoginChainTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { BuildAndRegister(false); }
    // The chain (with the catalogue package when asked), and the build's control library
    // registered where it lies, as an earlier installation left it.
    static void BuildAndRegister(bool package) {
        const std::filesystem::path chain = package ? testing::PackageChain(true) : testing::PlainChain();
        root_ = std::make_unique<win::testing::TempMachineRoot>();
        testing::CopyChain(chain, root_->Root());
        library_ = std::make_unique<win::Module>(win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH)));
        using Register = long (*)();
        ASSERT_TRUE(*library_);
        ASSERT_EQ(reinterpret_cast<Register>(library_->Export("DllRegisterServer"))(), 0);
    }
    static void TearDownTestSuite() {
        library_.reset();
        root_.reset();
    }

    void SetUp() override {
        forms::InstallMessageBoxes(&boxes_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_->MakeFolder("cwd-login"));
        std::filesystem::remove("ERRO.TXT");
        report::SetProgramFolder("C:\\REPORT");
        report::upgrade::InstallUpgrade();
        report::ProgramHooks().runUpgrade = report::upgrade::AtualizarBD;
        report::reports::InstallReports();
        report::ProgramHooks().showCatalogue = [] { report::reports::InicioWindow().Show(); };
        // The program's Produto.MDB changed now: a clock one day later answers no clock question.
        const double file = forms::FileDateTime("C:\\REPORT\\Produto.MDB");
        const win::CivilTime day = win::CivilFromOleDate(win::DatePart(file) + 1);
        clock_.Freeze({day.year, day.month, day.day, 10, 47, 5});
        win::InstallClock(&clock_);
    }
    void TearDown() override {
        report::reports::Inicio& inicio = report::reports::InicioWindow();
        if (inicio.IsLoaded()) inicio.Drop();
        forms::DoEvents();
        forms::App().CollectUnloaded();
        report::ProgramHooks().showCatalogue = nullptr;
        report::upgrade::ResetUpgradeState();
        report::upgrade::InstalledUpgradeSteps() = {};
        report::ResetProgramState();
        report::SetProgramFolder({});
        forms::App().ResetForTests();
        forms::InstallMessageBoxes(nullptr);
        win::InstallClock(nullptr);
        std::filesystem::current_path(previous_);
    }

    static std::string ErrorLog() {
        std::ifstream log("ERRO.TXT", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    }

    // The user picks store `code` in the list, types the password and presses the button; the
    // lines the upgrade wrote into the window.
    std::vector<std::string> LogIn(const std::string& code, const std::string& password) {
        report::AbrirBD();
        auto window = std::make_unique<report::login::Acesso>();
        window->Show();
        QApplication::processEvents();
        int row = 0;
        while (row < window->TbLoja().RowCount() && window->TbLoja().CellText(row, 0) != code) ++row;
        EXPECT_LT(row, window->TbLoja().RowCount()) << code;
        window->TbLoja().SetRow(row);
        window->TbLoja_Choose();
        forms::SetHostedText(window->ZmSenha(), password);
        window->BtnProcura_Click();
        EXPECT_FALSE(window->IsLoaded());
        std::vector<std::string> lines;
        for (int i = 0; i < window->ListTabela().ListCount(); ++i) lines.push_back(window->ListTabela().List(i));
        if (window->IsLoaded()) window->Drop();
        window.reset();
        forms::DoEvents();
        forms::App().CollectUnloaded();
        return lines;
    }

    // The log-in the README tells, by keys sent to the focused widget: Down to store `code` in the
    // store list and Enter, the password typed and Enter. Leaves the log-in window shown when it
    // did not log in.
    void LogInByKeys(report::login::Acesso& window, const std::string& code, const std::string& password) {
        window.Show();
        window.Widget()->activateWindow();
        QApplication::processEvents();
        int row = 0;
        while (row < window.TbLoja().RowCount() && window.TbLoja().CellText(row, 0) != code) ++row;
        ASSERT_LT(row, window.TbLoja().RowCount()) << code;
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        ASSERT_TRUE(QApplication::focusWidget() == window.TbLoja().Widget() ||
                    window.TbLoja().Widget()->isAncestorOf(QApplication::focusWidget()));
        for (int i = 0; i < row; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        ASSERT_EQ(window.TbLoja().Row(), row);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(password));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
    }

    static std::unique_ptr<win::testing::TempMachineRoot> root_;
    static std::unique_ptr<win::Module> library_;
    forms::ScriptedMessageBoxes boxes_;
    win::OffsetClock clock_;
    std::filesystem::path previous_;
};

std::unique_ptr<win::testing::TempMachineRoot> LoginChainTest::root_;
std::unique_ptr<win::Module> LoginChainTest::library_;

TEST_F(LoginChainTest, TheFirstLogInUpgradesTheStoreAndShowsTheCatalogue) {
    const std::vector<std::string> lines = LogIn("01", "admin");
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
    EXPECT_GT(lines.size(), 1u);
    EXPECT_EQ(report::PastaDados, "F:\\LOJA01");
    EXPECT_EQ(report::NomeUsuario, "GERENTE");
    EXPECT_TRUE(report::BancoProdutoLoja.IsOpen());
    report::reports::Inicio& inicio = report::reports::InicioWindow();
    EXPECT_TRUE(inicio.IsLoaded());
    EXPECT_TRUE(inicio.Visible());
    EXPECT_FALSE(forms::App().EndRequested());

    // The store is current now: the next log-in passes the gate without a line of progress.
    inicio.Drop();
    report::FecharBDLoja();
    report::upgrade::ResetUpgradeState();
    EXPECT_EQ(LogIn("01", "ADMIN"), std::vector<std::string>{});
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(report::reports::InicioWindow().IsLoaded());
}

// The chain built now, under the computer's own clock: the log-in the README tells (the store,
// the password, Enter) opens the catalogue without asking whether the clock is right, and so does
// the next one on the same day.
class LoginOnTheBuildDayTest : public LoginChainTest {
protected:
    void SetUp() override {
        LoginChainTest::SetUp();
        win::InstallClock(nullptr);
    }
};

TEST_F(LoginOnTheBuildDayTest, TheReadmesLogInReachesTheCatalogueWithoutTheClockQuestion) {
    for (int login = 1; login <= 2; ++login) {
        SCOPED_TRACE(login);
        report::AbrirBD();
        auto window = std::make_unique<report::login::Acesso>();
        LogInByKeys(*window, "01", "admin");
        EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
        EXPECT_FALSE(window->IsLoaded());
        report::reports::Inicio& inicio = report::reports::InicioWindow();
        ASSERT_TRUE(inicio.IsLoaded());
        EXPECT_TRUE(inicio.Visible());
        EXPECT_EQ(report::NomeUsuario, "GERENTE");
        if (window->IsLoaded()) window->Drop();
        window.reset();
        inicio.Drop();
        forms::DoEvents();
        forms::App().CollectUnloaded();
        report::FecharBDLoja();
        report::upgrade::ResetUpgradeState();
    }
    EXPECT_EQ(ErrorLog(), "");
}

// The first log-in into LOJA01 with a catalogue package and a newer control library in its folder
// than the one SYSTEM holds.
class LoginDeployTest : public LoginChainTest {
protected:
    static void SetUpTestSuite() {
        BuildAndRegister(true);
        const auto now = std::filesystem::file_time_type::clock::now();
        const auto put = [](const std::string& windowsPath, std::filesystem::file_time_type when) {
            std::filesystem::copy_file(ZMTEXT_OCX_PATH, win::HostPath(windowsPath));
            std::filesystem::last_write_time(win::HostPath(windowsPath), when);
        };
        put(kSystemCopy, now - std::chrono::hours(48));
        put(kDataCopy, now - std::chrono::hours(1));
    }

    static constexpr const char* kSystemCopy = "C:\\WINDOWS\\SYSTEM\\ZMTEXT32.OCX";
    static constexpr const char* kDataCopy = "F:\\LOJA01\\ZMTEXT32.OCX";
};

TEST_F(LoginDeployTest, TheLogInRefreshesTheCatalogueAndDeploysTheControlsTheWindowsThenUse) {
    const std::vector<std::string> lines = LogIn("01", "admin");
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
    ASSERT_TRUE(report::reports::InicioWindow().IsLoaded());

    // The package was applied to the program folder's catalogue and deleted.
    EXPECT_EQ(forms::Dir("F:\\LOJA01\\PROG.MDB"), "");
    dao::Database bd2 = report::ProgramEngine().OpenDatabase("C:\\REPORT\\Bd2.MDB", false, true, ";PWD=TORPAL");
    dao::Recordset entries = bd2.OpenRecordset("SELECT CodAplicacao, Nome FROM Aplicacao WHERE CodAplicacao IN ('" +
                                                   std::string(kChangedReport) + "', '" + kNewReport + "') ORDER BY 1",
                                               dao::dbOpenSnapshot);
    std::vector<std::string> names;
    for (; !entries.Eof(); entries.MoveNext()) names.push_back(entries("Nome").GetValue().ToText());
    entries.Close();
    bd2.Close();
    EXPECT_EQ(names, (std::vector<std::string>{kChangedName, kNewName}));

    // The newer library replaced the SYSTEM copy, keeping its date, and registered itself there.
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Registrando ZMTEXT32.OCX OK"), lines.end());
    EXPECT_EQ(forms::FileDateTime(kSystemCopy), forms::FileDateTime(kDataCopy));
    const auto clsid = win::registry::QueryString(win::RootKey::ClassesRoot, "ZMTEXT.ZMTextCtrl.1\\CLSID", "");
    ASSERT_TRUE(clsid);
    EXPECT_EQ(win::registry::QueryString(win::RootKey::ClassesRoot, "CLSID\\" + *clsid + "\\InprocServer32", ""),
              kSystemCopy);

    // The catalogue window, made after the upgrade, hosts controls of the deployed copy.
    for (forms::HostedControl* control : {report::reports::InicioWindow().ZmProcura(),
                                          report::reports::InicioWindow().LblMensagem()}) {
        ASSERT_NE(control, nullptr);
        ASSERT_NE(control->Object(), nullptr);
        EXPECT_EQ(win::ModulePath(*reinterpret_cast<void* const*>(control->Object())), kSystemCopy);
    }
}

}  // namespace
}  // namespace sample_chain
