#include "platform/win/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "platform/win/testing/temp_machine_root.h"

namespace {
namespace fs = std::filesystem;
namespace reg = win::registry;
using win::RegStatus;
using win::RootKey;

class RegistryTest : public ::testing::Test {
protected:
    win::testing::TempMachineRoot root_;
};

TEST_F(RegistryTest, ValuesOfEveryKindSurviveTheStoreWithTheirCase) {
    const struct {
        RootKey root;
        const char* path;
        const char* name;
        win::RegistryValue value;
    } rows[] = {
        {RootKey::ClassesRoot, "CLSID\\{1234}\\InprocServer32", "", std::string("C:\\SYSTEM\\A.OCX")},
        {RootKey::ClassesRoot, "CLSID\\{1234}\\InprocServer32", "ThreadingModel",
         std::string("Apartment")},
        {RootKey::LocalMachine, "Software\\Firm\\Product", "HelpDirectory", std::string("C:\\Ajuda")},
        {RootKey::LocalMachine, "Software\\Firm\\Product", "Count", std::uint32_t{4000000000u}},
        {RootKey::LocalMachine, "Software\\Odd", "tab\tline\nfeed%25\r",
         std::string("value\twith\nnewline %0A ação \\ end")},
        {RootKey::LocalMachine, "Software\\Odd", "empty", std::string()},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(reg::SetValue(row.root, row.path, row.name, row.value), RegStatus::Success);
    }
    for (const auto& row : rows) {
        EXPECT_EQ(reg::QueryValue(row.root, row.path, row.name), row.value) << row.name;
    }
    EXPECT_EQ(reg::QueryString(RootKey::LocalMachine, "SOFTWARE\\firm\\PRODUCT", "helpdirectory"),
              "C:\\Ajuda");
    EXPECT_FALSE(reg::QueryString(RootKey::LocalMachine, "Software\\Firm\\Product", "Count"));
    EXPECT_FALSE(reg::QueryValue(RootKey::ClassesRoot, "Software\\Firm\\Product", "Count"));
    EXPECT_EQ(reg::SubKeys(RootKey::LocalMachine, "software"),
              (std::vector<std::string>{"Firm", "Odd"}));
    EXPECT_EQ(reg::ValueNames(RootKey::ClassesRoot, "clsid\\{1234}\\inprocserver32"),
              (std::vector<std::string>{"", "ThreadingModel"}));
}

TEST_F(RegistryTest, RewritingKeepsTheFirstSpellingAndOrder) {
    reg::SetValue(RootKey::LocalMachine, "Software\\Firm", "Alpha", std::string("1"));
    reg::SetValue(RootKey::LocalMachine, "Software\\Firm", "Beta", std::string("2"));
    reg::SetValue(RootKey::LocalMachine, "SOFTWARE\\FIRM", "ALPHA", std::uint32_t{3});
    EXPECT_EQ(reg::ValueNames(RootKey::LocalMachine, "Software\\Firm"),
              (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(reg::QueryValue(RootKey::LocalMachine, "Software\\Firm", "alpha"),
              win::RegistryValue{std::uint32_t{3}});
    EXPECT_EQ(reg::SubKeys(RootKey::LocalMachine, ""), (std::vector<std::string>{"Software"}));
}

TEST_F(RegistryTest, DeletionsReportWhatWasThere) {
    reg::CreateKey(RootKey::ClassesRoot, "A\\B\\C");
    reg::SetValue(RootKey::ClassesRoot, "A\\B", "v", std::string("x"));
    const struct {
        RegStatus (*action)();
        RegStatus expected;
    } rows[] = {
        {[] { return reg::DeleteValue(RootKey::ClassesRoot, "A\\B", "V"); }, RegStatus::Success},
        {[] { return reg::DeleteValue(RootKey::ClassesRoot, "A\\B", "v"); }, RegStatus::NotFound},
        {[] { return reg::DeleteValue(RootKey::ClassesRoot, "A\\X", "v"); }, RegStatus::NotFound},
        {[] { return reg::DeleteTree(RootKey::LocalMachine, "A"); }, RegStatus::NotFound},
        {[] { return reg::DeleteTree(RootKey::ClassesRoot, "a\\b"); }, RegStatus::Success},
        {[] { return reg::DeleteTree(RootKey::ClassesRoot, "A\\B\\C"); }, RegStatus::NotFound},
        {[] { return reg::DeleteTree(RootKey::ClassesRoot, ""); }, RegStatus::AccessDenied},
    };
    for (const auto& row : rows) EXPECT_EQ(row.action(), row.expected);
    EXPECT_TRUE(reg::KeyExists(RootKey::ClassesRoot, "A"));
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "A\\B\\C"));
    EXPECT_TRUE(reg::SubKeys(RootKey::ClassesRoot, "A").empty());
}

TEST_F(RegistryTest, AChildProcessesWritesAreSeenByTheParent) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const auto status = reg::SetValue(RootKey::ClassesRoot, "FromChild", "", std::string("yes"));
        _exit(status == RegStatus::Success ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(reg::QueryString(RootKey::ClassesRoot, "fromchild", ""), "yes");
}

TEST_F(RegistryTest, ConcurrentWritersFromProcessesAndThreadsAllLand) {
    constexpr int kWriters = 4;
    constexpr int kKeysEach = 15;
    auto writeKeys = [](const std::string& prefix) {
        bool ok = true;
        for (int i = 0; i < kKeysEach; ++i) {
            ok &= reg::SetValue(RootKey::LocalMachine, "W\\" + prefix + std::to_string(i), "n",
                                std::uint32_t(i)) == RegStatus::Success;
        }
        return ok;
    };
    std::vector<pid_t> children;
    for (int p = 0; p < kWriters; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(writeKeys("p" + std::to_string(p) + "_") ? 0 : 1);
        children.push_back(child);
    }
    std::vector<std::thread> threads;
    for (int t = 0; t < kWriters; ++t) {
        threads.emplace_back([&, t] { EXPECT_TRUE(writeKeys("t" + std::to_string(t) + "_")); });
    }
    for (auto& thread : threads) thread.join();
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(reg::SubKeys(RootKey::LocalMachine, "W").size(), 2u * kWriters * kKeysEach);
    for (const auto& entry : fs::directory_iterator(root_.Root())) {
        EXPECT_EQ(entry.path().filename().string().find("registry.dat."), std::string::npos)
            << "temporary file left: " << entry.path();
    }
}

TEST_F(RegistryTest, ADamagedLineLosesOnlyItsOwnEntry) {
    reg::SetValue(RootKey::LocalMachine, "Good", "a", std::string("1"));
    {
        std::ofstream out(root_.Root() / "registry.dat", std::ios::app);
        out << "V\tHKLM\tBad\tx\tD\tnot-a-number\n"
            << "garbage without tabs\n"
            << "V\tHKXX\tBad\tx\tS\ty\n"
            << "V\tHKLM\tAlsoGood\tb\tS\t2%\n";
    }
    EXPECT_EQ(reg::QueryString(RootKey::LocalMachine, "Good", "a"), "1");
    EXPECT_EQ(reg::QueryString(RootKey::LocalMachine, "AlsoGood", "b"), "2%");
    EXPECT_FALSE(reg::KeyExists(RootKey::LocalMachine, "Bad"));
}

TEST_F(RegistryTest, AStoreInAnotherFormatReadsAsEmpty) {
    std::ofstream(root_.Root() / "registry.dat") << "something else\nK\tHKLM\tX\n";
    EXPECT_FALSE(reg::KeyExists(RootKey::LocalMachine, "X"));
}

}  // namespace
