// The program's windows together, over the sample chain, wired as the program's entry wires them:
// the log-in, its real upgrade of an older store, the catalogue, the consolidation. The user's
// keys and closes reach the focused widget through Qt at the yields of the long steps, as they do
// when a user presses keys while a step runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/report/com/report_control.h"
#include "platform/controls/threed/threed.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/consolidation/consolidacao.h"
#include "report/consolidation/tests/support/consolidation_fixture.h"
#include "report/core/connections.h"
#include "report/core/hooks.h"
#include "report/core/state.h"
#include "report/core/windows.h"
#include "report/login/acesso.h"
#include "report/reports/inicio.h"
#include "report/upgrade/upgrade.h"

namespace report {
namespace {

using consolidation::testing::ChainTest;

const char* const kStoreFiles[] = {"Produto.MDB", "Antigo.MDB", "Backup.MDB", "Modem.MDB", "Transfer.MDB"};

// Every table of the store's five databases: names, then rows (all their fields) as sorted text.
using StoreDigest = std::map<std::string, std::vector<std::string>>;

StoreDigest DigestOfStore(const std::string& folder) {
    dao::DBEngine engine;
    engine.SetBusyTimeout(0);
    StoreDigest digest;
    for (const char* file : kStoreFiles) {
        const std::string path = folder + "\\" + file;
        dao::Database db = engine.OpenDatabase(path, false, true, ";PWD=TORPAL");
        dao::TableDefs tables = db.TableDefs();
        for (int t = 0; t < tables.Count(); ++t) {
            const std::string name = tables(t).Name();
            std::vector<std::string>& rows = digest[std::string(file) + "/" + name];
            dao::Recordset rs = db.OpenRecordset("SELECT * FROM [" + name + "]", dao::dbOpenSnapshot);
            std::string fields;
            for (int f = 0; f < rs.Fields().Count(); ++f) fields += rs(f).Name() + "|";
            rows.push_back("fields: " + fields);
            for (; !rs.Eof(); rs.MoveNext()) {
                std::string row;
                for (int f = 0; f < rs.Fields().Count(); ++f) row += rs(f).GetValue().ToText() + "|";
                rows.push_back(row);
            }
            rs.Close();
            std::sort(rows.begin(), rows.end());
        }
        db.Close();
    }
    return digest;
}

class ProgramTest : public ChainTest {
protected:
    ProgramTest() {
        upgrade::InstallUpgrade();
        reports::InstallReports();
        consolidation::InstallConsolidation();
        Hooks& hooks = ProgramHooks();
        hooks.showLogin = [] { login::AcessoWindow().Show(); };
        hooks.runUpgrade = upgrade::AtualizarBD;
        hooks.showCatalogue = [this] {
            ++catalogueShown_;
            reports::InicioWindow().Show();
        };
        hooks.showConsolidation = [] { consolidation::ConsolidationWindow().Show(); };
        hooks.closeConsolidation = [] {
            if (consolidation::ConsolidationWindow().IsLoaded()) consolidation::ConsolidationWindow().Unload();
        };
        forms::InstallEventPump(&pump_);
        DateProgramDatabaseTheDayBefore();
        AbrirBD();
    }

    ~ProgramTest() override {
        // The catalogue's preview goes with it, as its unload closes it; the window object itself
        // outlives the test program's QApplication.
        if (reports::InicioWindow().IsLoaded()) reports::InicioWindow().Report1().Printer().ClosePreview();
        while (!forms::App().LoadedWindows().empty()) forms::App().LoadedWindows().back()->Drop();
        forms::DoEvents();
        forms::InstallEventPump(nullptr);
        FecharBDLoja();
        FecharBD();
        fresh_.reset();
        Hooks& hooks = ProgramHooks();
        hooks.showLogin = nullptr;
        hooks.runUpgrade = nullptr;
        ResetWindowHooks();
        upgrade::ResetUpgradeState();
    }

    // A fresh copy of the chain in a machine root of its own, as before any log-in.
    void MoveToAFreshChain() {
        FecharBDLoja();
        FecharBD();
        upgrade::ResetUpgradeState();
        fresh_.emplace();
        std::filesystem::copy(TemplateRoot(), fresh_->Root(),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        DateProgramDatabaseTheDayBefore();
        AbrirBD();
        catalogueShown_ = 0;
        pump_.actions.clear();
    }

    // The copy of the chain is dated now; a day's work leaves the program's Produto.MDB dated the
    // day before, which the log-in's clock check takes for a right clock.
    static void DateProgramDatabaseTheDayBefore() {
        const std::filesystem::path produto = win::HostPath("C:\\REPORT\\Produto.MDB");
        std::filesystem::last_write_time(produto, std::filesystem::last_write_time(produto) - std::chrono::hours(24));
    }

    // What an undisturbed log-in leaves in the store; then a fresh chain for the test's own log-in.
    StoreDigest UndisturbedUpgrade() {
        LogIn();
        store_ = PastaDados;
        EXPECT_EQ(catalogueShown_, 1);
        while (!forms::App().LoadedWindows().empty()) forms::App().LoadedWindows().back()->Drop();
        FecharBDLoja();
        const StoreDigest digest = DigestOfStore(store_);
        MoveToAFreshChain();
        EXPECT_NE(DigestOfStore(store_), digest) << "the fresh store is as before its upgrade";
        return digest;
    }

    // Presses `key` on the widget that has the focus (the window's own widget when none has).
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) focus = login::AcessoWindow().Widget();
        if (focus == nullptr) focus = QApplication::activeWindow();
        if (focus != nullptr) QTest::keyClick(focus, key, modifiers);
    }

    // The log-in by keys: Enter on the first store of the list, the password, Enter. The upgrade
    // runs inside the last Enter.
    void LogIn() {
        login::Acesso& w = login::AcessoWindow();
        w.Show();
        w.Widget()->activateWindow();
        QApplication::processEvents();
        w.TbLoja().SetFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_NE(w.ZmSenha(), nullptr);
        ASSERT_TRUE(w.ZmSenha()->HasFocus());
        QTest::keyClicks(QApplication::focusWidget(), "admin");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        forms::DoEvents();
    }

    // `action` at every `every`-th yield, `times` times.
    void AtYields(int every, int times, const std::function<void()>& action) {
        for (int i = 1; i <= every * times; ++i) pump_.actions.push_back(i % every == 0 ? action : [] {});
    }

    static std::string ErrorLog() {
        std::ifstream log("ERRO.TXT");
        return std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
    }

    forms::ScriptedEventPump pump_;
    int catalogueShown_ = 0;
    std::optional<win::testing::TempMachineRoot> fresh_;
    std::string store_;   // the data folder of the first store of the list, which the log-in opens
};

TEST_F(ProgramTest, EightEntersDuringTheUpgradeGiveOneLogInAndTheStoreOfAnUndisturbedOne) {
    const StoreDigest undisturbed = UndisturbedUpgrade();
    AtYields(7, 8, [] { Press(Qt::Key_Return); });
    LogIn();
    EXPECT_EQ(catalogueShown_, 1);
    EXPECT_FALSE(login::AcessoWindow().IsLoaded());
    EXPECT_TRUE(reports::InicioWindow().IsLoaded());
    EXPECT_TRUE(BancoProdutoLoja.IsOpen());
    EXPECT_TRUE(pump_.actions.empty()) << "the Enters came during the upgrade";
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;
    EXPECT_EQ(ErrorLog(), "");
    FecharBDLoja();
    EXPECT_EQ(DigestOfStore(store_), undisturbed);
}

TEST_F(ProgramTest, ClosingTheLogInDuringTheUpgradeEndsTheProgramOnceTheUpgradeIsDone) {
    const StoreDigest undisturbed = UndisturbedUpgrade();
    struct Case {
        const char* how;
        std::function<void()> close;
    };
    const Case cases[] = {
        {"the close box", [] { login::AcessoWindow().Widget()->close(); }},
        {"Alt+F4", [] { Press(Qt::Key_F4, Qt::AltModifier); }},
    };
    for (const Case& c : cases) {
        bool stayedDuringUpgrade = true;
        AtYields(9, 3, [&] {
            c.close();
            stayedDuringUpgrade = stayedDuringUpgrade && login::AcessoWindow().IsLoaded();
        });
        LogIn();
        forms::DoEvents();
        EXPECT_TRUE(stayedDuringUpgrade) << c.how;
        EXPECT_EQ(catalogueShown_, 0) << c.how;
        EXPECT_TRUE(forms::App().LoadedWindows().empty()) << c.how << ": the program ends with its last window";
        EXPECT_FALSE(BancoProdutoLoja.IsOpen()) << c.how;
        EXPECT_TRUE(boxes_.shown.empty()) << c.how;
        EXPECT_EQ(ErrorLog(), "") << c.how;
        EXPECT_EQ(DigestOfStore(store_), undisturbed) << c.how;
        MoveToAFreshChain();
    }
}

// The catalogue after a log-in, with report `code` chosen and its criteria listed (Enter on the
// report, as a user chooses it).
void ChooseReport(const std::string& code) {
    reports::Inicio& inicio = reports::InicioWindow();
    ASSERT_TRUE(inicio.IsLoaded());
    inicio.Widget()->activateWindow();
    forms::DoEvents();
    for (int row = 0; inicio.CodAplicacaoAtual() != code; ++row) {
        ASSERT_LT(row, 20) << code;
        inicio.TbRelatorios().SetRow(row);
        forms::DoEvents();
    }
    inicio.TbRelatorios().SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(inicio.TbCriterio().HasFocus());
}

TEST_F(ProgramTest, LeavingTheCatalogueClosesTheConsolidationWindowOpenOnItsData) {
    struct Case {
        const char* how;
        std::function<void(reports::Inicio&)> leave;
    };
    const Case cases[] = {
        {"Sair", [](reports::Inicio& w) {
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);   // back to the report choice
             QTest::mouseClick(w.BtnSair().Widget(), Qt::LeftButton);
         }},
        {"Esc", [](reports::Inicio&) {
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
         }},
        {"the close box", [](reports::Inicio& w) { w.Widget()->close(); }},
    };
    for (const Case& c : cases) {
        LogIn();
        ChooseReport("R003");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);   // the run: a consolidated report
        consolidation::Consolidacao& consolidacao = consolidation::ConsolidationWindow();
        ASSERT_TRUE(consolidacao.IsLoaded()) << c.how;
        reports::Inicio& inicio = reports::InicioWindow();
        inicio.Widget()->activateWindow();
        inicio.TbCriterio().SetFocus();
        forms::DoEvents();
        c.leave(inicio);
        forms::DoEvents();
        EXPECT_FALSE(inicio.IsLoaded()) << c.how;
        EXPECT_FALSE(consolidacao.IsLoaded()) << c.how << ": it worked on the catalogue's data";
        EXPECT_TRUE(boxes_.shown.empty()) << c.how << ": " << boxes_.shown.front().text;
        EXPECT_EQ(ErrorLog(), "") << c.how;
        while (!forms::App().LoadedWindows().empty()) forms::App().LoadedWindows().back()->Drop();
        forms::App().ResetForTests();
        SairPrograma.clear();
        MoveToAFreshChain();
    }
}

// A run's yields let the user's Enters through to the catalogue: none starts another run over it.
TEST_F(ProgramTest, EntersDuringAReportRunLeaveOneRun) {
    LogIn();
    ChooseReport("R002");
    AtYields(1, 6, [] { Press(Qt::Key_Return); });
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    forms::DoEvents();
    reports::Inicio& inicio = reports::InicioWindow();
    EXPECT_EQ(inicio.EmVisualizacao(), "S");
    EXPECT_TRUE(inicio.BtnFim().Visible());
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;
    EXPECT_EQ(ErrorLog(), "");
}

// A station whose table Usuario is empty asks no password: the catalogue opens at once on the
// program folder's own data, every report listed, the program folder's databases left as they
// are, and Sair ends the program.
TEST_F(ProgramTest, AStationWithoutUsersOpensTheCatalogueAtOnce) {
    {
        dao::Database bd2 = OpenStore("C:\\REPORT\\Bd2.MDB");
        bd2.Execute("DELETE FROM Usuario");
        bd2.Close();
    }
    FecharBD();
    AbrirBD();
    login::AcessoWindow().Show();
    forms::DoEvents();
    reports::Inicio& inicio = reports::InicioWindow();
    EXPECT_EQ(catalogueShown_, 1);
    ASSERT_TRUE(inicio.IsLoaded());
    EXPECT_FALSE(login::AcessoWindow().IsLoaded());
    EXPECT_EQ(PastaDados, "C:\\REPORT");
    EXPECT_EQ(inicio.DataRelatorios().Recordset().RecordCount(), 6);
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;
    EXPECT_EQ(ErrorLog(), "");
    inicio.Widget()->activateWindow();
    QTest::mouseClick(inicio.BtnSair().Widget(), Qt::LeftButton);
    forms::DoEvents();
    EXPECT_TRUE(forms::App().EndRequested());
    EXPECT_EQ(catalogueShown_, 1) << "Sair does not open the catalogue again";
    EXPECT_TRUE(forms::App().LoadedWindows().empty());
}

}  // namespace
}  // namespace report
