// Shared fixture of the consolidation's tests: the sample chain, built once per test program and
// copied into a fresh machine root for every test, scripted message boxes, and a clean program
// state around every test.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/dao/dao.h"
#include "platform/dao/errors.h"
#include "platform/forms/app.h"
#include "platform/forms/errors.h"
#include "platform/forms/services.h"
#include "platform/com/factory.h"
#include "platform/win/error.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/core/state.h"
#include "tools/sample-chain/chain.h"
#include "tools/sample-chain/testing/shared_chain.h"

namespace report::consolidation::testing {

using win::testing::ErrorNumberOf;

using Row = std::vector<std::pair<std::string, dao::Value>>;

class ChainTest : public ::testing::Test {
protected:
    // The sample chain is built once per build of this test program (and day) and shared by its
    // test processes, with the control library registered in it, so every copy has it.
    static void SetUpTestSuite() {
        if (!TemplateRoot().empty()) return;
        TemplateRoot() = sample_chain::testing::SharedChain([] {
#ifdef ZMTEXT_OCX_PATH
            win::Module library = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
            if (library) reinterpret_cast<com::DllRegisterServerFn>(library.Export("DllRegisterServer"))();
#endif
        });
    }

    ChainTest() {
        std::filesystem::copy(TemplateRoot(), root_.Root(),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
        ProgramEngine().SetBusyTimeout(0);
        SetProgramFolder("C:\\REPORT");
        forms::InstallMessageBoxes(&boxes_);
        previousDirectory_ = std::filesystem::current_path();
        std::filesystem::current_path(root_.MakeFolder("cwd"));
    }

    ~ChainTest() override {
        ResetProgramState();
        forms::Err().Clear();
        forms::App().ResetForTests();
        forms::App().CollectUnloaded();
        forms::InstallMessageBoxes(nullptr);
        SetProgramFolder({});
        std::filesystem::current_path(previousDirectory_);
    }

    static dao::Database OpenStore(const std::string& file) {
        return ProgramEngine().OpenDatabase(file, false, false, ";PWD=TORPAL");
    }
    static dao::Database OpenBackup() { return ProgramEngine().OpenDatabase("C:\\REPORT\\Backup.mdb"); }

    static void AddRow(const dao::Database& db, const std::string& table, const Row& values) {
        dao::Recordset rs = db.OpenRecordset(table, dao::dbOpenTable);
        rs.AddNew();
        for (const auto& [name, value] : values) rs(name).SetValue(value);
        rs.Update();
        rs.Close();
    }

    static std::filesystem::path& TemplateRoot() {
        static std::filesystem::path root;
        return root;
    }

    win::testing::TempMachineRoot root_;
    forms::ScriptedMessageBoxes boxes_;
    std::filesystem::path previousDirectory_;
};

}  // namespace report::consolidation::testing
