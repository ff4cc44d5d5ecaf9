// Shared fixture of the consolidation's tests: the sample chain, built once per test program and
// copied into a fresh machine root for every test, scripted message boxes, and a clean program
// state around every test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

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

namespace report::consolidation::testing {

using win::testing::ErrorNumberOf;

using Row = std::vector<std::pair<std::string, dao::Value>>;

class ChainTest : public ::testing::Test {
protected:
    // The sample chain is built once per build of this test program and kept beside it, so every
    // test process (one per test under ctest) only copies it. A process that finds no template
    // builds one in a folder of its own and renames it into place; when another process was
    // quicker, its copy is used and this one's is dropped.
    static void SetUpTestSuite() {
        if (!TemplateRoot().empty()) return;
        const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
        const std::string stamp = std::to_string(std::filesystem::last_write_time(exe).time_since_epoch().count()) +
                                  "-" + std::to_string(std::filesystem::file_size(exe));
        const std::filesystem::path shared = exe.parent_path() / (exe.filename().string() + "-chain-" + stamp);
        if (!std::filesystem::exists(shared / "complete")) BuildTemplate(shared);
        TemplateRoot() = shared;
    }

    static void BuildTemplate(const std::filesystem::path& shared) {
        const std::filesystem::path previous = win::MachineRoot();
        const std::filesystem::path building = shared.string() + ".building-" + std::to_string(getpid());
        std::filesystem::remove_all(building);
        std::filesystem::create_directories(building / "drives" / "c" / "WINDOWS" / "SYSTEM");
        sample_chain::Options options;
        options.root = building;
        sample_chain::BuildChain(options);
#ifdef ZMTEXT_OCX_PATH
        // The control library registered in the template root, so every copy has it.
        win::Module library = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
        if (library) reinterpret_cast<com::DllRegisterServerFn>(library.Export("DllRegisterServer"))();
#endif
        win::SetMachineRoot(previous);
        std::ofstream(building / "complete") << "built\n";
        std::error_code taken;
        std::filesystem::rename(building, shared, taken);
        if (taken) std::filesystem::remove_all(building);
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
