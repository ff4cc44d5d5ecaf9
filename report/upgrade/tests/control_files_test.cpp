// The deployment of the data folder's control files into the SYSTEM folder and their registration:
// which files are copied, the lines and boxes, the real ZMTEXT32.OCX, libraries that cannot
// register, one whose registration outlives the wait, and a file that cannot be copied.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/forms/fileio.h"
#include "platform/win/module.h"
#include "platform/win/registry.h"
#include "report/core/tests/support/core_fixture.h"
#include "report/upgrade/progress.h"
#include "report/upgrade/tests/support/killed_child.h"
#include "report/upgrade/upgrade.h"

namespace report::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using upgrade::RegistraArquivo;
using upgrade::RegOCX;

constexpr const char* kSystem = "C:\\WINDOWS\\SYSTEM";

class ControlFilesTest : public CoreTest {
protected:
    ControlFilesTest() {
        report::ProgramHooks().upgradeWindow = &window_;
        PastaDados = kData;
    }
    ~ControlFilesTest() override {
        report::ProgramHooks().upgradeWindow = nullptr;
        upgrade::SetRegistrationWait(std::chrono::milliseconds(upgrade::kRegistrationWaitMs));
    }

    // Copies `library` to `windowsPath` and dates it `age` before a fixed moment.
    void Put(const char* library, const std::string& windowsPath, std::chrono::hours age = 0h) {
        fs::copy_file(library, Host(windowsPath), fs::copy_options::overwrite_existing);
        fs::last_write_time(Host(windowsPath), kMoment - age);
    }
    static std::string Data(const std::string& name) { return std::string(kData) + "\\" + name; }
    static std::string System(const std::string& name) { return std::string(kSystem) + "\\" + name; }

    // Whether the file at `windowsPath` is mapped into the process (a loaded library).
    bool Mapped(const std::string& windowsPath) const {
        std::ifstream maps("/proc/self/maps");
        const std::string host = fs::canonical(Host(windowsPath)).string();
        for (std::string line; std::getline(maps, line);) {
            if (line.ends_with(" " + host)) return true;
        }
        return false;
    }

    // How often the failing test library's registration ran.
    static std::uint32_t Registrations() {
        const auto value = win::registry::QueryValue(win::RootKey::LocalMachine, "Software\\TestControl", "Registrations");
        return value ? std::get<std::uint32_t>(*value) : 0;
    }

    const fs::file_time_type kMoment = fs::file_time_type::clock::now() - 24h;
    upgrade::RecordingUpgradeWindow window_;
};

TEST_F(ControlFilesTest, WithoutControlFilesOnlyTheFirstLineIsShown) {
    std::ofstream(Host(Data("LEIAME.TXT"))) << "no control here";
    RegistraArquivo();
    EXPECT_EQ(window_.lines, std::vector<std::string>{"Registrando Arquivos ......"});
    EXPECT_EQ(window_.listIndex, 0);
    EXPECT_TRUE(boxes_.shown.empty());
}

#ifdef ZMTEXT_OCX_PATH
TEST_F(ControlFilesTest, FilesMissingFromSystemOrOlderThereAreCopiedAndRegistered) {
    Put(ZMTEXT_OCX_PATH, Data("ZMTEXT32.OCX"));                      // absent from SYSTEM
    Put(CONTROL_FAILING_PATH, Data("Newer.ocx"));                    // an older copy in SYSTEM
    Put(CONTROL_FAILING_PATH, System("NEWER.OCX"), 1h);
    Put(CONTROL_FAILING_PATH, Data("SAME.OCX"));                     // the same date in both
    Put(CONTROL_FAILING_PATH, System("SAME.OCX"));
    Put(CONTROL_FAILING_PATH, Data("OLDER.OCX"), 2h);                // a newer copy in SYSTEM
    Put(CONTROL_FAILING_PATH, System("OLDER.OCX"));
    RegistraArquivo();
    EXPECT_EQ(window_.lines, (std::vector<std::string>{"Registrando Arquivos ......", "Registrando Newer.ocx OK",
                                                       "Registrando ZMTEXT32.OCX...OK"}));
    EXPECT_EQ(window_.listIndex, 2);
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_EQ(ErrorLog(), "");
    // The copies keep their dates; the files left alone keep theirs.
    for (const char* name : {"ZMTEXT32.OCX", "NEWER.OCX"}) {
        EXPECT_EQ(forms::FileDateTime(System(name)), forms::FileDateTime(Data(name))) << name;
    }
    EXPECT_LT(forms::FileDateTime(Data("OLDER.OCX")), forms::FileDateTime(System("OLDER.OCX")));
    // Only the newer test library registered (its error status counts as done), and the control
    // library registered itself from its SYSTEM copy.
    EXPECT_EQ(Registrations(), 1u);
    EXPECT_EQ(win::registry::QueryString(win::RootKey::ClassesRoot,
                                         "TypeLib\\{A5CC20C4-B5F5-11CD-98EC-0020AF234C9D}\\4.1\\0\\win32", ""),
              "C:\\WINDOWS\\SYSTEM\\ZMTEXT32.OCX");
}
#endif

TEST_F(ControlFilesTest, RegOCXSaysWhyAFileCannotBeRegistered) {
    Put(CONTROL_NO_EXPORT_PATH, System("NOEXPORT.OCX"));
    std::ofstream(Host(System("TEXTO.OCX"))) << "not a library";
    const struct {
        std::string path;
        const char* box;   // nullptr: none
    } rows[] = {
        {"", nullptr},
        {System("AUSENTE.OCX"), "Nome ou Caminho de OCX inválido !"},
        {"Q:\\SEM\\DRIVE.OCX", "Nome ou Caminho de OCX inválido !"},
        {System("TEXTO.OCX"), "Nao Pode Carregar o Arquivo !"},
        {System("NOEXPORT.OCX"), "Componente Inválido !"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        boxes_.shown.clear();
        EXPECT_FALSE(RegOCX(row.path));
        if (row.box == nullptr) {
            EXPECT_TRUE(boxes_.shown.empty());
            continue;
        }
        ASSERT_EQ(BoxTexts(), std::vector<std::string>{row.box});
        EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
        EXPECT_EQ(boxes_.shown[0].style, forms::mb::Exclamation);
    }
    // A library without the export is released again, as is one whose registration ended.
    EXPECT_FALSE(Mapped(System("NOEXPORT.OCX")));
    Put(CONTROL_FAILING_PATH, System("FALHA.OCX"));
    EXPECT_TRUE(RegOCX(System("FALHA.OCX")));
    EXPECT_EQ(Registrations(), 1u);
    EXPECT_FALSE(Mapped(System("FALHA.OCX")));
}

TEST_F(ControlFilesTest, AFileThatCannotRegisterStillEndsItsLineInOk) {
    Put(CONTROL_NO_EXPORT_PATH, Data("NOEXPORT.OCX"));
    RegistraArquivo();
    EXPECT_EQ(window_.lines, (std::vector<std::string>{"Registrando Arquivos ......", "Registrando NOEXPORT.OCX...OK"}));
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Componente Inválido !"});
}

TEST_F(ControlFilesTest, ARegistrationThatOutlivesTheWaitIsAbandonedWithItsLibraryLoaded) {
    // The library blocks until released, so a wait shorter than the program's outlives it as well.
    EXPECT_EQ(upgrade::RegistrationWait(), std::chrono::milliseconds(upgrade::kRegistrationWaitMs));
    upgrade::SetRegistrationWait(300ms);
    Put(CONTROL_BLOCKING_PATH, Data("LENTO.OCX"));
    Put(CONTROL_FAILING_PATH, Data("ZZ.OCX"));
    const auto started = std::chrono::steady_clock::now();
    RegistraArquivo();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 300ms + 5s);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Registramento Falhou !"});
    // The deployment went on with the next file.
    EXPECT_EQ(window_.lines, (std::vector<std::string>{"Registrando Arquivos ......", "Registrando LENTO.OCX...OK",
                                                       "Registrando ZZ.OCX...OK"}));
    EXPECT_EQ(Registrations(), 1u);
    EXPECT_TRUE(Mapped(System("LENTO.OCX")));
    // The abandoned registration still runs in the library, which stayed loaded: loading the file
    // again reaches the same copy, and the registration can end in it.
    win::Module again = win::Module::Load(System("LENTO.OCX"));
    ASSERT_TRUE(again);
    EXPECT_EQ(reinterpret_cast<int (*)()>(again.Export("RegistrationFinished"))(), 0);
    reinterpret_cast<void (*)()>(again.Export("ReleaseRegistration"))();
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (reinterpret_cast<int (*)()>(again.Export("RegistrationFinished"))() == 0 &&
           std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_EQ(reinterpret_cast<int (*)()>(again.Export("RegistrationFinished"))(), 1);
}

TEST_F(ControlFilesTest, AFileThatCannotBeCopiedIsTriedThreeTimesAndSkipped) {
    Put(CONTROL_FAILING_PATH, Data("PRESO.OCX"));
    fs::create_directory(Host(System("")) / "PRESO.OCX");   // the copy's target is a folder
    Put(CONTROL_FAILING_PATH, Data("ZZ.OCX"));
    RegistraArquivo();
    EXPECT_EQ(window_.lines, (std::vector<std::string>{"Registrando Arquivos ......", "Registrando PRESO.OCX......",
                                                       "Registrando ZZ.OCX...OK"}));
    ASSERT_EQ(boxes_.shown.size(), 3u);
    for (const auto& box : boxes_.shown) EXPECT_TRUE(box.text.starts_with("Ocorreu um Erro de Sistema !")) << box.text;
    std::size_t reports = 0;
    for (std::size_t at = ErrorLog().find("Tela -> Atualiza RegistraArquivo"); at != std::string::npos;
         at = ErrorLog().find("Tela -> Atualiza RegistraArquivo", at + 1)) {
        ++reports;
    }
    EXPECT_EQ(reports, 3u);
    EXPECT_EQ(Registrations(), 1u);
}

TEST_F(ControlFilesTest, ALogInKilledInARegistrationRegistersTheFileAtTheNext) {
    const struct {
        const char* name;
        bool olderInSystem;   // false: absent from SYSTEM
        const char* line;     // what the next log-in shows for it
    } rows[] = {
        {"NOVO.OCX", false, "Registrando NOVO.OCX OK"},
        {"VELHO.OCX", true, "Registrando VELHO.OCX OK"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        win::registry::DeleteTree(win::RootKey::ClassesRoot, kRegisteringClass);
        Put(CONTROL_REGISTERING_PATH, Data(row.name));
        if (row.olderInSystem) Put(CONTROL_REGISTERING_PATH, System(row.name), 1h);
        ASSERT_TRUE(KilledInAChild([] {
            setenv(kDieInRegistration, "1", 1);
            RegistraArquivo();
        }));
        ASSERT_EQ(RegisteredServer(), "");
        // The copy the killed log-in left is not the finished one.
        EXPECT_LT(forms::FileDateTime(System(row.name)), forms::FileDateTime(Data(row.name)));

        window_.ClearList();
        RegistraArquivo();
        EXPECT_EQ(window_.lines, (std::vector<std::string>{"Registrando Arquivos ......", row.line}));
        EXPECT_EQ(RegisteredServer(), System(row.name));
        EXPECT_EQ(RegisteringCount(), 1u);
        EXPECT_EQ(forms::FileDateTime(System(row.name)), forms::FileDateTime(Data(row.name)));

        // Done now: the log-in after leaves it alone.
        window_.ClearList();
        RegistraArquivo();
        EXPECT_EQ(window_.lines, std::vector<std::string>{"Registrando Arquivos ......"});
        EXPECT_EQ(RegisteringCount(), 1u);
        fs::remove(Host(Data(row.name)));
    }
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_EQ(ErrorLog(), "");
}

}  // namespace
}  // namespace report::testing
