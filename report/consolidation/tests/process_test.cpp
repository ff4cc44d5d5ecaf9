// The run in processes of its own: killed at points spread over the run it leaves BACKUP.MDB with either its
// earlier tables and rows or exactly the new ones; two runs at once neither lose nor double a row.
// Each run is this test program again, running only the child test below in the machine root the
// parent names.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>
#include <utility>

#include "platform/win/paths.h"
#include "report/consolidation/tests/support/run_fixture.h"

extern char** environ;

namespace report::consolidation {
namespace {

constexpr const char* kRootVariable = "ZM_RUN_CHILD_ROOT";

// Yes to every question, OK to every message; the last text kept.
class YesBoxes : public forms::MessageBoxes {
public:
    int Show(const std::string& text, int style, const std::string&) override {
        last = text;
        return (style & 7) == forms::mb::OkOnly ? forms::mb::Ok : forms::mb::Yes;
    }
    std::optional<std::string> Input(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::string last;
};

// The child: one whole run, answering Yes, from a fresh program; prints "GO" just before it starts
// and then how it ended.
TEST(RunChildProcess, Run) {
    const char* root = std::getenv(kRootVariable);
    if (root == nullptr) GTEST_SKIP() << "started only by the process tests";
    win::SetMachineRoot(root);
    SetProgramFolder("C:\\REPORT");
    std::filesystem::current_path(std::filesystem::path(root) / "cwd");
    YesBoxes boxes;
    forms::InstallMessageBoxes(&boxes);
    forms::ScriptedEventPump pump;
    forms::InstallEventPump(&pump);
    int reports = 0;
    SetConsolidationRun(ExecutarConsolidacao);
    ProgramHooks().runReport = [&] { ++reports; };
    PastaDados = "F:\\LOJA01";
    AbrirBDLoja();
    Consolidacao window;
    window.Show();
    std::cout << "GO" << std::endl;
    window.BtnConsolidar_Click();
    std::cout << "DONE " << reports << " " << boxes.last << std::endl;
    if (window.IsLoaded()) window.Drop();
    ResetProgramState();
    forms::App().ResetForTests();
    forms::App().CollectUnloaded();
    forms::InstallEventPump(nullptr);
    forms::InstallMessageBoxes(nullptr);
}

class ProcessTest : public testing::ChainTest {
protected:
    struct Child {
        pid_t pid = -1;
        int out = -1;
        std::string text;   // all the child has printed so far
    };

    Child Start() {
        int pipeFds[2];
        EXPECT_EQ(pipe(pipeFds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
        env.push_back(std::string(kRootVariable) + "=" + root_.Root().string());
        env.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (auto& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
        std::string filter = "--gtest_filter=RunChildProcess.Run";
        char* argv[] = {self.data(), filter.data(), nullptr};
        Child child;
        EXPECT_EQ(posix_spawn(&child.pid, self.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        child.out = pipeFds[0];
        return child;
    }

    // Reads the child's output until it holds `marker` (or the child closed it); all the output
    // read so far. The output is kept whole: one read may bring "GO" and "DONE" together.
    static const std::string& ReadUntil(Child& child, const std::string& marker) {
        char buffer[512];
        while (child.text.find(marker) == std::string::npos) {
            const ssize_t n = read(child.out, buffer, sizeof buffer);
            if (n <= 0) break;
            child.text.append(buffer, static_cast<std::size_t>(n));
        }
        return child.text;
    }

    static int Wait(Child& child) {
        int status = 0;
        waitpid(child.pid, &status, 0);
        close(child.out);
        return status;
    }

    static std::filesystem::path Host(const std::string& name) { return win::HostPath("C:\\REPORT\\" + name); }

    // BACKUP.MDB as it was before any run of the test.
    void Restore() {
        for (const char* leftover : {"Backup.mdb-journal", "Backup.mdb.lck"}) std::filesystem::remove(Host(leftover));
        std::filesystem::copy_file(Host("Backup.saved"), Host("Backup.mdb"),
                                   std::filesystem::copy_options::overwrite_existing);
    }

    static testing::Digest Tables() {
        testing::Digest digest = testing::DigestOf(testing::kBackupPath);
        digest.erase("Status");
        return digest;
    }

    void SetUp() override {
        std::filesystem::copy_file(Host("Backup.mdb"), Host("Backup.saved"));
        before_ = Tables();
        Child reference = Start();
        ReadUntil(reference, "GO\n");
        const auto start = std::chrono::steady_clock::now();
        const std::string done = ReadUntil(reference, "DONE");
        runTime_ = std::chrono::steady_clock::now() - start;
        Wait(reference);
        ASSERT_NE(done.find("DONE 1"), std::string::npos) << done;
        after_ = Tables();
        ASSERT_NE(after_, before_);
    }

    testing::Digest before_, after_;
    std::chrono::steady_clock::duration runTime_{};
};

// The kills are spread over the run and a little beyond: that span (1.2 times the reference run) is
// cut into kSlices equal slices and each kill falls at a random moment of its own slice, which
// leaves no stretch of the span longer than two slices (a twelfth) without a kill; thirty kills at
// random moments leave a longer one more often than not. Four tests share the slices out, a
// quarter of the span each, so that each stays short.
constexpr int kSlices = 24;
constexpr int kSlicesPerTest = 6;

class KilledRunTest : public ProcessTest, public ::testing::WithParamInterface<int> {
protected:
    // Kills a run once in each of slices first .. first + count - 1; how many kills left the old
    // tables and how many the new ones.
    std::pair<int, int> KillInSlices(int first, int count) {
        std::mt19937 random(24 + static_cast<unsigned>(first));
        const long span = std::chrono::duration_cast<std::chrono::microseconds>(runTime_ * 12 / 10).count();
        int old = 0, renewed = 0;
        for (int slice = first; slice < first + count; ++slice) {
            Restore();
            Child child = Start();
            ReadUntil(child, "GO\n");
            const long from = span * slice / kSlices;
            std::uniform_int_distribution<long> within(from, std::max(from, span * (slice + 1) / kSlices - 1));
            std::this_thread::sleep_for(std::chrono::microseconds(within(random)));
            kill(child.pid, SIGKILL);
            Wait(child);
            const testing::Digest now = Tables();
            const bool isOld = now == before_, isNew = now == after_;
            EXPECT_TRUE(isOld || isNew) << "slice " << slice;
            old += isOld;
            renewed += isNew;
        }
        std::cout << "killed runs: " << old << " left the old tables, " << renewed << " the new ones\n";
        return {old, renewed};
    }
};

TEST_P(KilledRunTest, ARunKilledInThisPartOfItsSpanLeavesTheOldOrTheNewConsolidation) {
    const int old = KillInSlices(GetParam() * kSlicesPerTest, kSlicesPerTest).first;
    if (GetParam() == 0) {
        EXPECT_GT(old, 0) << "a run killed early leaves the old tables, at least once";
    }
}

INSTANTIATE_TEST_SUITE_P(Quarters, KilledRunTest, ::testing::Range(0, kSlices / kSlicesPerTest),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Quarter" + std::to_string(info.param + 1);
                         });

TEST_F(ProcessTest, TwoRunsAtOnceNeitherLoseNorDoubleARow) {
    Restore();
    Child first = Start();
    Child second = Start();
    ReadUntil(first, "GO\n");
    ReadUntil(second, "GO\n");
    const std::string a = ReadUntil(first, "DONE"), b = ReadUntil(second, "DONE");
    EXPECT_EQ(WEXITSTATUS(Wait(first)), 0);
    EXPECT_EQ(WEXITSTATUS(Wait(second)), 0);
    const bool aRan = a.find("DONE 1") != std::string::npos, bRan = b.find("DONE 1") != std::string::npos;
    EXPECT_TRUE(aRan || bRan) << a << b;
    for (const std::string* out : {&a, &b}) {
        const bool ran = out->find("DONE 1") != std::string::npos;
        EXPECT_TRUE(ran || out->find("Já Existe outro Usuário") != std::string::npos) << *out;
    }
    EXPECT_EQ(Tables(), after_);
}

}  // namespace
}  // namespace report::consolidation
