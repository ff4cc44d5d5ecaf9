#include "platform/win/module.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "platform/win/clock.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The test library, copied into C:\WINDOWS\SYSTEM under a control's kind of name.
class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(WIN_TEST_MODULE, root_.DriveC() / "WINDOWS" / "SYSTEM" / "TestMod.OCX");
    }
    win::testing::TempMachineRoot root_;
};

TEST_F(ModuleTest, LoadsByWindowsPathAndFindsExports) {
    std::string error;
    auto module = win::Module::Load("c:\\windows\\system\\TESTMOD.ocx", &error);
    ASSERT_TRUE(module) << error;
    const auto answer = reinterpret_cast<int (*)()>(module.Export("Answer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(module.Export("DllRegisterServer"), nullptr);
    EXPECT_EQ(win::ModulePath(module.Export("Answer")), "C:\\WINDOWS\\SYSTEM\\TestMod.OCX");

    win::Module moved = std::move(module);
    EXPECT_FALSE(module);
    EXPECT_TRUE(moved);
    moved.Release();
    EXPECT_FALSE(moved);
    EXPECT_EQ(moved.Export("Answer"), nullptr);
}

TEST_F(ModuleTest, FailedLoadsAreEmptyAndSayWhy) {
    fs::create_directories(root_.DriveC() / "DADOS");
    std::ofstream(root_.DriveC() / "DADOS" / "NotALib.OCX") << "text";
    const char* rows[] = {"C:\\DADOS\\Missing.OCX", "C:\\DADOS\\NotALib.OCX", "Q:\\X.OCX", ""};
    for (const char* path : rows) {
        std::string error;
        EXPECT_FALSE(win::Module::Load(path, &error)) << path;
        EXPECT_FALSE(error.empty()) << path;
    }
}

TEST(ModulePathTest, TheExecutableHasAWindowsPathInTheProgramFolder) {
    static int marker = 0;
    EXPECT_EQ(win::ModulePath(&marker), win::JoinPath(win::ProgramFolder(), "win_tests"));
    EXPECT_EQ(win::ModulePath(nullptr), "");
}

TEST_F(ModuleTest, AThreadOnAnExportEndsWithItsResult) {
    auto module = win::Module::Load("C:\\WINDOWS\\SYSTEM\\TestMod.OCX");
    ASSERT_TRUE(module);
    std::uint32_t parameter = 123;
    const struct {
        void* parameter;
        std::uint32_t exitCode;
    } rows[] = {{nullptr, 7}, {&parameter, 123}};
    for (const auto& row : rows) {
        auto thread = win::Thread::StartAt(module.Export("QuickEntry"), row.parameter);
        ASSERT_TRUE(thread);
        EXPECT_EQ(thread.Wait(10000ms), win::WaitResult::Ended);
        EXPECT_EQ(thread.ExitCode(), row.exitCode);
        thread.Close();
    }
    EXPECT_FALSE(win::Thread::StartAt(nullptr));
}

TEST_F(ModuleTest, AThreadThatOutlivesItsWaitKeepsRunningInTheLeakedLibrary) {
    auto module = win::Module::Load("C:\\WINDOWS\\SYSTEM\\TestMod.OCX");
    ASSERT_TRUE(module);
    const auto release = reinterpret_cast<void (*)()>(module.Export("ReleaseBlocked"));
    const auto finished = reinterpret_cast<int (*)()>(module.Export("BlockedFinished"));
    auto thread = win::Thread::StartAt(module.Export("BlockedEntry"), nullptr);
    const auto start = win::MonotonicNow();
    EXPECT_EQ(thread.Wait(100ms), win::WaitResult::TimedOut);
    EXPECT_GE(win::MonotonicNow() - start, 100ms);
    EXPECT_EQ(thread.ExitCode(), win::kStillActive);
    thread.Close();   // detaches the running thread
    module.Leak();    // the thread still runs in the library
    EXPECT_FALSE(thread);
    release();
    const auto deadline = win::MonotonicNow() + 10000ms;
    while (finished() == 0 && win::MonotonicNow() < deadline) std::this_thread::sleep_for(2ms);
    EXPECT_EQ(finished(), 1);
}

TEST(ThreadTest, WaitsAndExitCodesFollowTheThreadsLife) {
    std::atomic<bool> go{false};
    auto thread = win::Thread::Start([&] {
        while (!go.load()) std::this_thread::sleep_for(1ms);
        return std::uint32_t{5};
    });
    EXPECT_EQ(thread.Wait(0ms), win::WaitResult::TimedOut);
    EXPECT_EQ(thread.ExitCode(), win::kStillActive);
    go = true;
    EXPECT_EQ(thread.Wait(win::kInfinite), win::WaitResult::Ended);
    EXPECT_EQ(thread.ExitCode(), 5u);
    EXPECT_EQ(thread.Wait(0ms), win::WaitResult::Ended);

    auto throwing = win::Thread::Start([]() -> std::uint32_t { throw std::runtime_error("x"); });
    EXPECT_EQ(throwing.Wait(10000ms), win::WaitResult::Ended);
    EXPECT_EQ(throwing.ExitCode(), win::kThreadFailed);

    win::Thread none;
    EXPECT_EQ(none.Wait(10ms), win::WaitResult::TimedOut);
}

}  // namespace
