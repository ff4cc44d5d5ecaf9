// Main: the second-instance guard (scripted, and once through the application object's own
// instance test), the restart after error 5, start-up failures and the log-in window hook.
#include "report/core/startup.h"

#include <fcntl.h>
#include <sys/file.h>

#include "report/core/tests/support/core_fixture.h"

namespace report::testing {
namespace {

class ScriptedInstanceGuard : public InstanceGuard {
public:
    bool PrevInstance() override { return previous; }
    void Activate(const std::string& caption) override {
        activated.push_back(caption);
        if (failures > 0) {
            --failures;
            win::Raise(win::err::InvalidProcedureCall);
        }
    }
    bool previous = false;
    int failures = 0;
    std::vector<std::string> activated;
};

class StartupTest : public CoreTest {
protected:
    StartupTest() {
        forms::App().SetTitle("report");
        InstallInstanceGuard(&guard_);
        ProgramHooks().showLogin = [this] { ++loginShown_; };
    }
    ~StartupTest() override {
        InstallInstanceGuard(nullptr);
        ProgramHooks().showLogin = nullptr;
        forms::App().SetTitle("report");
    }
    ScriptedInstanceGuard guard_;
    int loginShown_ = 0;
};

TEST_F(StartupTest, FirstInstanceOpensTheProgramSetAndShowsTheLogIn) {
    Main();
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_TRUE(BancoProduto.IsOpen());
    EXPECT_TRUE(BancoBD2.IsOpen());
    EXPECT_EQ(loginShown_, 1);
    EXPECT_TRUE(guard_.activated.empty());
}

TEST_F(StartupTest, SecondInstanceRenamesItselfActivatesTheFirstAndEnds) {
    guard_.previous = true;
    Main();
    EXPECT_EQ(forms::App().Title(), kSecondInstanceTitle);
    EXPECT_EQ(guard_.activated, (std::vector<std::string>{"report"}));
    EXPECT_TRUE(forms::App().EndRequested());
    EXPECT_FALSE(BancoProduto.IsOpen()) << "a second instance opens no database";
    EXPECT_EQ(loginShown_, 0);
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(StartupTest, NoWindowToActivateRestartsOnceThenEnds) {
    const struct {
        int failures;
        std::size_t activations;
        std::size_t boxes;
    } rows[] = {{1, 2, 0}, {2, 2, 1}, {5, 2, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.failures);
        forms::App().SetTitle("report");
        forms::App().ResetForTests();
        guard_ = ScriptedInstanceGuard();
        guard_.previous = true;
        guard_.failures = row.failures;
        boxes_.shown.clear();
        Main();
        EXPECT_TRUE(forms::App().EndRequested());
        EXPECT_EQ(guard_.activated.size(), row.activations);
        EXPECT_EQ(guard_.activated.back(), kSecondInstanceTitle) << "the second pass saved the new title";
        ASSERT_EQ(boxes_.shown.size(), row.boxes);
        if (row.boxes == 1) {
            EXPECT_NE(boxes_.shown[0].text.find("Rotina -> Main ---->> Aberto pela Segunda Vez"), std::string::npos);
        }
        EXPECT_FALSE(BancoProduto.IsOpen());
    }
}

TEST_F(StartupTest, FailedStartUpReportsAndNeverShowsTheLogIn) {
    std::filesystem::remove(Host("C:\\REPORT\\Produto.MDB"));
    Main();
    EXPECT_TRUE(forms::App().EndRequested());
    EXPECT_EQ(loginShown_, 0);
    EXPECT_NE(ErrorLog().find("Nro.: 3024 Tela -> Geral AbrirBD "), std::string::npos);
}

TEST_F(StartupTest, OtherErrorIsReportedWithTheSavedTitleAndMainReturns) {
    ProgramHooks().showLogin = [] { win::Raise(win::err::PermissionDenied); };
    Main();
    EXPECT_FALSE(forms::App().EndRequested()) << "with no window loaded the program ends by itself";
    EXPECT_EQ(ErrorLog(), " 07/12/26 22:18 Nro.: 70 Tela -> Geral Main ---->>  Permission denied\r\n \r\n");
}

// The application object's own instance test: a running first copy holds the instance lock, and
// the second start hands it the caption to bring forward.
TEST_F(StartupTest, SecondStartAsksTheFirstCopyToBringItsWindowForward) {
    InstallInstanceGuard(nullptr);
    forms::App().SetInstanceKey("report-startup-test");
    const auto lockPath = win::MachineRoot() / "report_startup_test.instance";
    const int first = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(first, 0);
    ASSERT_EQ(::flock(first, LOCK_EX | LOCK_NB), 0);
    Main();
    ::close(first);
    EXPECT_TRUE(forms::App().EndRequested());
    EXPECT_EQ(forms::App().Title(), kSecondInstanceTitle);
    std::ifstream request(win::MachineRoot() / "report_startup_test.activate", std::ios::binary);
    const std::string caption((std::istreambuf_iterator<char>(request)), std::istreambuf_iterator<char>());
    EXPECT_EQ(caption, "report");
    EXPECT_FALSE(BancoProduto.IsOpen());
}

}  // namespace
}  // namespace report::testing
