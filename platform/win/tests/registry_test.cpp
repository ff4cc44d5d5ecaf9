#include "platform/win/registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "platform/win/testing/concurrent_writers.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {
namespace fs = std::filesystem;
namespace reg = win::registry;
using win::RegStatus;
using win::RootKey;

class RegistryTest : public ::testing::Test {
protected:
    fs::path Store() const { return root_.Root() / "registry.dat"; }
    void WriteStore(const std::string& text) const { std::ofstream(Store(), std::ios::binary) << text; }
    static std::string ReadFile(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    win::testing::TempMachineRoot root_;
};

// A path of `depth` key names of one letter each.
std::string DeepPath(std::size_t depth) {
    std::string path = "K";
    for (std::size_t i = 1; i < depth; ++i) path += "\\K";
    return path;
}

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
    EXPECT_TRUE(win::testing::WriteFromProcessesAndThreads(kWriters, writeKeys));
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

TEST_F(RegistryTest, StoresWithCrLfOrAByteOrderMarkReadWhole) {
    const std::string bom = "\xEF\xBB\xBF";
    const std::string body = "K\tHKLM\tSoftware\\Firm\nV\tHKLM\tSoftware\\Firm\tName\tS\tvalor\n"
                             "V\tHKLM\tSoftware\\Firm\tCount\tD\t7\n";
    auto crlf = [](std::string text) {
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2)) {
            text.insert(at, "\r");
        }
        return text;
    };
    for (const std::string& text : {crlf("REGISTRY 1\n" + body), bom + "REGISTRY 1\n" + body,
                                    bom + crlf("REGISTRY 1\n" + body)}) {
        SCOPED_TRACE(::testing::PrintToString(text));
        WriteStore(text);
        EXPECT_EQ(reg::QueryString(RootKey::LocalMachine, "Software\\Firm", "Name"), "valor");
        EXPECT_EQ(reg::QueryValue(RootKey::LocalMachine, "Software\\Firm", "Count"),
                  win::RegistryValue{std::uint32_t{7}});
        ASSERT_EQ(reg::SetValue(RootKey::LocalMachine, "Other", "", std::string("x")), RegStatus::Success);
        EXPECT_EQ(reg::ValueNames(RootKey::LocalMachine, "Software\\Firm"),
                  (std::vector<std::string>{"Name", "Count"}));
        EXPECT_EQ(reg::QueryString(RootKey::LocalMachine, "other", ""), "x");
    }
}

// A change to a store whose first line is not the header must neither replace it with the one
// key being written nor report success: the change fails and the file is kept aside whole.
TEST_F(RegistryTest, ADamagedStoreIsKeptAsideAndTheChangeFails) {
    const std::string keys = "K\tHKCR\tCLSID\\{1234}\nV\tHKCR\tCLSID\\{1234}\t\tS\tControl\n";
    const std::string damaged[] = {"REGISTRX 1\n" + keys, "REGISTRY 2\n" + keys, "\nREGISTRY 1\n" + keys,
                                   "REGISTRY 1 \n" + keys, std::string("\0\0\0", 3) + keys};
    int aside = 0;
    for (const auto& text : damaged) {
        SCOPED_TRACE(::testing::PrintToString(text));
        WriteStore(text);
        EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "CLSID\\{1234}"));
        EXPECT_EQ(reg::SetValue(RootKey::ClassesRoot, "New", "", std::string("v")), RegStatus::BadDb);
        const fs::path keptAs = root_.Root() / ("registry.dat.damaged-" + std::to_string(++aside));
        EXPECT_EQ(ReadFile(keptAs), text);
        EXPECT_FALSE(fs::exists(Store()));
        // With the damaged file aside, the registry starts again.
        EXPECT_EQ(reg::SetValue(RootKey::ClassesRoot, "New", "", std::string("v")), RegStatus::Success);
        EXPECT_EQ(reg::QueryString(RootKey::ClassesRoot, "New", ""), "v");
    }
    const struct {
        RegStatus (*change)();
    } changes[] = {{[] { return reg::CreateKey(RootKey::LocalMachine, "A"); }},
                   {[] { return reg::DeleteValue(RootKey::ClassesRoot, "CLSID\\{1234}", ""); }},
                   {[] { return reg::DeleteTree(RootKey::ClassesRoot, "CLSID"); }}};
    for (const auto& row : changes) {
        WriteStore("REGISTRY 9\n" + keys);
        EXPECT_EQ(row.change(), RegStatus::BadDb);
        EXPECT_EQ(ReadFile(root_.Root() / ("registry.dat.damaged-" + std::to_string(++aside))),
                  "REGISTRY 9\n" + keys);
    }
}

TEST_F(RegistryTest, PathsNamesAndValuesBeyondTheRegistrysLimitsAreRefused) {
    const std::string name255(255, 'n');
    std::string accented;
    for (int i = 0; i < 255; ++i) accented += "\xC3\xA7";   // 255 characters in 510 bytes
    const struct {
        std::string path;
        std::string name;
        std::size_t valueBytes;
        RegStatus expected;
    } rows[] = {
        {"A\\" + name255, "", 1, RegStatus::Success},
        {"A\\" + accented, "", 1, RegStatus::Success},
        {"A\\" + name255 + "n", "", 1, RegStatus::InvalidParameter},
        {DeepPath(512), "", 1, RegStatus::Success},
        {DeepPath(513), "", 1, RegStatus::InvalidParameter},
        {DeepPath(100000), "", 1, RegStatus::InvalidParameter},
        {"A", std::string(16383, 'v'), 1, RegStatus::Success},
        {"A", std::string(16384, 'v'), 1, RegStatus::InvalidParameter},
        {"A", "big", 1024 * 1024, RegStatus::Success},
        {"A", "big", 1024 * 1024 + 1, RegStatus::InvalidParameter},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.size());
        SCOPED_TRACE(row.name.size());
        const std::string before = ReadFile(Store());
        const auto status =
            reg::SetValue(RootKey::LocalMachine, row.path, row.name, std::string(row.valueBytes, 'x'));
        EXPECT_EQ(status, row.expected);
        if (row.expected == RegStatus::Success) {
            EXPECT_EQ(reg::QueryString(RootKey::LocalMachine, row.path, row.name)->size(), row.valueBytes);
        } else {
            EXPECT_EQ(ReadFile(Store()), before);
        }
    }
    for (const auto& path : {DeepPath(513), DeepPath(100000), "A\\" + name255 + "n"}) {
        EXPECT_EQ(reg::CreateKey(RootKey::LocalMachine, path), RegStatus::InvalidParameter);
        EXPECT_FALSE(reg::KeyExists(RootKey::LocalMachine, path));
    }
    EXPECT_EQ(reg::DeleteTree(RootKey::LocalMachine, DeepPath(100000)), RegStatus::NotFound);
}

TEST_F(RegistryTest, LinesBeyondTheLimitsAreSkippedWhenRead) {
    WriteStore("REGISTRY 1\nK\tHKLM\tGood\n"
               "K\tHKLM\t" + DeepPath(513) + "\n"
               "K\tHKLM\tLong\\" + std::string(256, 'n') + "\n"
               "V\tHKLM\tGood\t" + std::string(16384, 'v') + "\tS\tx\n"
               "V\tHKLM\tGood\tbig\tS\t" + std::string(1024 * 1024 + 1, 'x') + "\n"
               "V\tHKLM\tGood\tsmall\tS\tx\n");
    EXPECT_EQ(reg::SubKeys(RootKey::LocalMachine, ""), (std::vector<std::string>{"Good"}));
    EXPECT_EQ(reg::ValueNames(RootKey::LocalMachine, "Good"), (std::vector<std::string>{"small"}));
}

}  // namespace

// ---- batches ------------------------------------------------------------------------------------

// What another thread reads of a value while the caller's batch is open.
std::optional<std::string> ReadFromAnotherThread(const char* path) {
    std::optional<std::string> seen;
    std::thread([&] { seen = reg::QueryString(RootKey::ClassesRoot, path, ""); }).join();
    return seen;
}

TEST_F(RegistryTest, ABatchIsSeenByItsThreadAndByOthersOnlyOnceCommitted) {
    ASSERT_EQ(reg::SetValue(RootKey::ClassesRoot, "Old", "", std::string("kept")), RegStatus::Success);
    const std::string before = ReadFile(Store());
    {
        reg::Batch batch;
        ASSERT_TRUE(batch.Active());
        EXPECT_EQ(reg::SetValue(RootKey::ClassesRoot, "A\\B", "", std::string("1")), RegStatus::Success);
        EXPECT_EQ(reg::SetValue(RootKey::ClassesRoot, "A\\B", "n", std::uint32_t{2}), RegStatus::Success);
        EXPECT_EQ(reg::DeleteTree(RootKey::ClassesRoot, "Old"), RegStatus::Success);
        EXPECT_EQ(reg::DeleteValue(RootKey::ClassesRoot, "A\\B", "missing"), RegStatus::NotFound);
        // The batch's own thread reads its changes; the store and other threads do not, yet.
        EXPECT_EQ(reg::QueryString(RootKey::ClassesRoot, "A\\B", ""), "1");
        EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "Old"));
        EXPECT_EQ(reg::ValueNames(RootKey::ClassesRoot, "A\\B"), (std::vector<std::string>{"", "n"}));
        EXPECT_EQ(reg::SubKeys(RootKey::ClassesRoot, "A"), std::vector<std::string>{"B"});
        EXPECT_EQ(ReadFile(Store()), before);
        EXPECT_EQ(ReadFromAnotherThread("Old"), "kept");
        EXPECT_EQ(ReadFromAnotherThread("A\\B"), std::nullopt);
        EXPECT_EQ(batch.Commit(), RegStatus::Success);
        EXPECT_EQ(ReadFromAnotherThread("A\\B"), "1");
    }
    EXPECT_EQ(reg::QueryValue(RootKey::ClassesRoot, "A\\B", "n"), win::RegistryValue(std::uint32_t{2}));
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "Old"));
}

TEST_F(RegistryTest, ABatchLeftWithoutCommitChangesNothing) {
    ASSERT_EQ(reg::SetValue(RootKey::ClassesRoot, "Old", "", std::string("kept")), RegStatus::Success);
    const std::string before = ReadFile(Store());
    {
        reg::Batch batch;
        reg::SetValue(RootKey::ClassesRoot, "New", "", std::string("lost"));
        reg::DeleteTree(RootKey::ClassesRoot, "Old");
    }
    EXPECT_EQ(ReadFile(Store()), before);
    // The thread is out of the batch: its next change is saved at once.
    EXPECT_EQ(reg::SetValue(RootKey::ClassesRoot, "Later", "", std::string("x")), RegStatus::Success);
    EXPECT_EQ(ReadFromAnotherThread("Later"), "x");
    EXPECT_EQ(ReadFromAnotherThread("New"), std::nullopt);
}

TEST_F(RegistryTest, ANestedBatchJoinsTheOuterOneWhichAloneSaves) {
    reg::Batch outer;
    {
        reg::Batch inner;
        EXPECT_FALSE(inner.Active());
        reg::SetValue(RootKey::ClassesRoot, "Inner", "", std::string("1"));
        EXPECT_EQ(inner.Commit(), RegStatus::Success);
    }
    EXPECT_EQ(ReadFromAnotherThread("Inner"), std::nullopt);
    EXPECT_EQ(reg::QueryString(RootKey::ClassesRoot, "Inner", ""), "1");
    EXPECT_EQ(outer.Commit(), RegStatus::Success);
    EXPECT_EQ(ReadFromAnotherThread("Inner"), "1");
}

TEST_F(RegistryTest, AnotherThreadsChangeWaitsForTheBatchAndBothLand) {
    std::thread writer;
    {
        reg::Batch batch;
        writer = std::thread([] { reg::SetValue(RootKey::ClassesRoot, "Other", "", std::string("2")); });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        reg::SetValue(RootKey::ClassesRoot, "Mine", "", std::string("1"));
        EXPECT_EQ(batch.Commit(), RegStatus::Success);
    }
    writer.join();
    EXPECT_EQ(reg::QueryString(RootKey::ClassesRoot, "Mine", ""), "1");
    EXPECT_EQ(reg::QueryString(RootKey::ClassesRoot, "Other", ""), "2");
}

TEST_F(RegistryTest, ABatchOnADamagedStoreSetsItAsideOnceAndThenStartsAnew) {
    WriteStore("REGISTRX 1\nK\tHKCR\tX\n");
    reg::Batch batch;
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "X"));
    EXPECT_EQ(reg::SetValue(RootKey::ClassesRoot, "New", "", std::string("v")), RegStatus::BadDb);
    EXPECT_EQ(ReadFile(root_.Root() / "registry.dat.damaged-1"), "REGISTRX 1\nK\tHKCR\tX\n");
    EXPECT_EQ(reg::SetValue(RootKey::ClassesRoot, "New", "", std::string("v")), RegStatus::Success);
    EXPECT_EQ(batch.Commit(), RegStatus::Success);
    EXPECT_EQ(ReadFromAnotherThread("New"), "v");
}

TEST_F(RegistryTest, WithoutTheStoresLockABatchStaysInactiveAndChangesFail) {
    fs::create_directory(root_.Root() / "registry.lock");
    reg::Batch batch;
    EXPECT_FALSE(batch.Active());
    EXPECT_EQ(reg::SetValue(RootKey::ClassesRoot, "New", "", std::string("v")), RegStatus::AccessDenied);
    EXPECT_EQ(batch.Commit(), RegStatus::Success);
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "New"));
}
