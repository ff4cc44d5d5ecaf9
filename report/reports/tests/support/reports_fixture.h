// Shared fixture of the catalogue window's tests: the sample chain, built once per test program
// and copied into a fresh machine root for every test; a log-in to F:\LOJA01 as one of the chain's
// users; the window with a report control that prints into a PDF file; scripted message boxes; a
// folder of its own for ERRO.TXT; and a clean program state around every test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QPrinter>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/report/com/report_control.h"
#include "platform/controls/report/report_layout.h"
#include "platform/controls/report/report_preview.h"
#include "platform/controls/threed/threed.h"
#include "platform/dao/dao.h"
#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/controls.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/errors.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/core/connections.h"
#include "report/core/startup.h"
#include "report/core/state.h"
#include "report/core/windows.h"
#include "report/reports/inicio.h"
#include "report/reports/report_state.h"
#include "tools/sample-chain/chain.h"
#include "tools/sample-chain/testing/shared_chain.h"

namespace report::reports::testing {

// The chain's users: an administrator, a cashier with rights to R001 (all) and R002 (consult
// only), and a user without any rights.
inline constexpr int kGerente = 1;
inline constexpr int kCaixa = 2;
inline constexpr int kJose = 3;

class ReportsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (Template().empty()) Template() = sample_chain::testing::SharedChain();
    }

    ReportsTest() {
        std::filesystem::copy(Template(), root_.Root(),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        ProgramEngine().SetBusyTimeout(0);
        SetProgramFolder("C:\\REPORT");
        forms::SetDataEngine(ProgramEngine());
        forms::InstallMessageBoxes(&boxes_);
        previousDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(root_.MakeFolder("cwd"));
        ProgramHooks().showLogin = [this] { ++loginShown_; };
        ProgramHooks().showConsolidation = [this] { ++consolidationShown_; };
        library_ = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
        using Register = long (*)();
        EXPECT_EQ(reinterpret_cast<Register>(library_.Export("DllRegisterServer"))(), 0);
    }

    ~ReportsTest() override {
        if (window_ && window_->IsLoaded()) window_->Drop();
        window_.reset();
        ResetProgramState();
        ResetWindowHooks();
        ResetReportState();
        ProgramHooks().showLogin = nullptr;
        dao::ClearFaults();
        forms::Err().Clear();
        forms::App().ResetForTests();
        forms::App().CollectUnloaded();
        forms::InstallMessageBoxes(nullptr);
        SetProgramFolder({});
        std::filesystem::current_path(previousDirectory_);
    }

    // Logs `user` in to F:\LOJA01 as the log-in window does, and shows the catalogue window.
    Inicio& Open(int user) {
        PastaDados = "F:\\LOJA01";
        CodUsuarioAtual = user;
        NomeUsuario = user == kGerente ? "GERENTE" : user == kCaixa ? "CAIXA" : "JOSÉ";
        AbrirBDLoja();
        controls::report::ReportPrinter::Hooks hooks = controls::report::ReportPrinter::DefaultHooks();
        hooks.today = [] { return std::string("09/12/2026"); };
        hooks.printer = [this] {
            auto printer = std::make_unique<QPrinter>();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(QString::fromStdString((root_.Root() / "printed.pdf").string()));
            ++printed_;
            return printer;
        };
        window_ = MakeWindow(std::move(hooks));
        window_->Show();
        return *window_;
    }

    // The catalogue window Open shows; a test may watch its handlers through a subclass.
    virtual std::unique_ptr<Inicio> MakeWindow(controls::report::ReportPrinter::Hooks hooks) {
        return std::make_unique<Inicio>(std::move(hooks));
    }

    dao::Database OpenStore(const std::string& file) const {
        return ProgramEngine().OpenDatabase(file, false, false, ";PWD=TORPAL");
    }

    // The catalogue grid's codes, top to bottom.
    std::vector<std::string> Codes() const {
        std::vector<std::string> codes;
        dao::Recordset& rs = window_->DataRelatorios().Recordset();
        if (rs.RecordCount() == 0) return codes;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) codes.push_back(rs.Fields().Item("CodAplicacao").GetValue().ToText());
        window_->PositionCatalogue();
        return codes;
    }

    // Makes the catalogue row of `code` current, as a click on it does.
    void Pick(const std::string& code) {
        const std::vector<std::string> codes = Codes();
        for (std::size_t row = 0; row < codes.size(); ++row) {
            if (codes[row] != code) continue;
            if (static_cast<int>(row) != window_->TbRelatorios().Row()) window_->TbRelatorios().SetRow(static_cast<int>(row));
            window_->TbRelatorios_RowColChange();
            return;
        }
        FAIL() << code << " is not listed";
    }

    using ButtonOf = controls::threed::Button3D& (Inicio::*)() const;
    bool Visible(ButtonOf button) const { return ((*window_).*button)().Visible(); }

    // The catalogue window made the active one, as the user's click on it does.
    void Activate(forms::Window& window) {
        window.Widget()->activateWindow();
        QApplication::processEvents();
    }

    // A key, or a text typed key by key, sent to the focused widget; false when nothing has the focus.
    static bool Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) return false;
        QTest::keyClick(focus, key, modifiers);
        QApplication::processEvents();
        return true;
    }
    static bool Type(const std::string& text) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) return false;
        QTest::keyClicks(focus, QString::fromStdString(text));
        return true;
    }

    // A click of the mouse on a button of the catalogue window.
    void Click(ButtonOf button) {
        QTest::mouseClick(((*window_).*button)().Widget(), Qt::LeftButton);
        QApplication::processEvents();
    }

    controls::report::PreviewWindow* Preview() const { return window_->Report1().Printer().Preview(); }

    // The texts of one role over every page of what the control would print now.
    std::vector<std::string> Texts(controls::report::TextRole role) const {
        std::vector<std::string> texts;
        for (const auto& page : window_->Report1().Printer().Render().pages) {
            for (const auto& text : page.texts) {
                if (text.role == role) texts.push_back(text.text);
            }
        }
        return texts;
    }

    std::string QuerySql(const std::string& name) const {
        return OpenStore("F:\\LOJA01\\Produto.MDB").QueryDefs().Item(name).SQL();
    }

    long CountOf(const std::string& file, const std::string& sql) const {
        dao::Recordset rs = OpenStore(file).OpenRecordset(sql, dao::dbOpenSnapshot);
        return rs.Fields().Item(0).GetValue().ToLong();
    }

    std::string ErrorLog() const {
        std::ifstream in("ERRO.TXT", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    static std::filesystem::path& Template() {
        static std::filesystem::path root;
        return root;
    }

    win::testing::TempMachineRoot root_;
    win::Module library_;
    forms::ScriptedMessageBoxes boxes_;
    std::unique_ptr<Inicio> window_;
    std::filesystem::path previousDirectory_;
    int loginShown_ = 0;
    int consolidationShown_ = 0;
    int printed_ = 0;
};

}  // namespace report::reports::testing
