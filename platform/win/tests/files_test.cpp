#include "platform/win/files.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/win/error.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void SetModified(const fs::path& path, const win::CivilTime& t) {
    const auto seconds = win::LocalTimeT(t);
    ASSERT_TRUE(seconds);
    const timespec times[2] = {{*seconds, 0}, {*seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

using win::testing::ErrorNumberOf;

Names SearchAll(const std::string& pattern) {
    win::DirectorySearch search;
    Names names;
    for (auto name = search.First(pattern); !name.empty(); name = search.Next()) names.push_back(name);
    return names;
}

// C:\LOJA01 holds files of several cases and extensions, a hidden file, a folder and a link to a
// folder named like files, and a link to a file.
class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"A.OCX", "b.ocx", "Zeta.OCX", "readme.txt", "NOEXT", ".hidden.ocx"}) {
            Write(loja() / name, name);
        }
        fs::create_directories(loja() / "DIR.OCX");
        fs::create_symlink(loja() / "A.OCX", loja() / "link.ocx");
        fs::create_directory_symlink(loja() / "DIR.OCX", loja() / "dirlink.ocx");
    }
    fs::path loja() const { return root_.DriveC() / "LOJA01"; }

    win::testing::TempMachineRoot root_;
};

TEST_F(FilesTest, DirectorySearchFindsNormalFilesInNameOrder) {
    const Names all{"A.OCX", "b.ocx", "link.ocx", "NOEXT", "readme.txt", "Zeta.OCX"};
    const struct {
        const char* pattern;
        Names names;
    } rows[] = {
        {"C:\\LOJA01\\*.OCX", {"A.OCX", "b.ocx", "link.ocx", "Zeta.OCX"}},
        {"c:\\loja01\\*.*", all},
        {"C:\\LOJA01\\*", all},
        {"C:\\LOJA01\\", all},
        {"C:\\LOJA01\\*.", {"NOEXT"}},
        {"C:\\LOJA01\\noext.*", {"NOEXT"}},
        {"C:\\LOJA01\\?.ocx", {"A.OCX", "b.ocx"}},
        {"C:\\LOJA01\\*e*", {"NOEXT", "readme.txt", "Zeta.OCX"}},
        {"C:\\LOJA01\\a.ocx", {"A.OCX"}},
        {"C:/LOJA01/B.OCX", {"b.ocx"}},
        {"C:\\LOJA01\\.hidden.ocx", {}},
        {"C:\\LOJA01\\DIR.OCX", {}},
        {"C:\\LOJA01\\dirlink.ocx", {}},
        {"C:\\Missing\\*.OCX", {}},
        {"Q:\\*.OCX", {}},
    };
    for (const auto& row : rows) EXPECT_EQ(SearchAll(row.pattern), row.names) << row.pattern;
}

TEST_F(FilesTest, DirectorySearchContinuesUntilEmptyAndRestartsOnANewPattern) {
    win::DirectorySearch search;
    EXPECT_EQ(ErrorNumberOf([&] { search.Next(); }), 5);
    EXPECT_EQ(search.First("C:\\LOJA01\\?.OCX"), "A.OCX");
    EXPECT_EQ(search.Next(), "b.ocx");
    EXPECT_EQ(search.Next(), "");
    EXPECT_EQ(search.Next(), "");
    EXPECT_EQ(search.First("C:\\LOJA01\\z*"), "Zeta.OCX");
    EXPECT_EQ(search.First("C:\\Missing\\*"), "");
    EXPECT_EQ(search.Next(), "");
}

TEST_F(FilesTest, InvalidPatternsRaiseBadFileName) {
    for (const char* pattern : {"", "C:\\LOJA01\\a|b", "C:\\*\\x.ocx", "C:\\LOJA01\\a<b", "C:\\a\\b:c"}) {
        EXPECT_EQ(ErrorNumberOf([&] { win::DirectorySearch().First(pattern); }), 52) << pattern;
    }
}

TEST(MatchesPatternTest, WildcardsMatchWithoutCase) {
    const struct {
        const char* name;
        const char* pattern;
        bool matches;
    } rows[] = {
        {"ZMTEXT32.OCX", "*.ocx", true},  {"zmtext32.ocx", "ZM*32.OCX", true},
        {"a.b.c", "*.c", true},           {"a.b.c", "a.*", true},
        {"abc", "*.*", true},             {"abc", "abc.*", true},
        {"abc", "*.", true},              {"a.bc", "*.", false},
        {"ab", "a?", true},               {"a", "a?", false},
        {"Ação.txt", "AÇÃO.TXT", true},   {"Ação.txt", "a??o.*", true},
        {"x.ocxx", "*.ocx", false},       {"readme", "r*m*e", true},
        {"", "*", true},                  {"abc", "", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(win::MatchesPattern(row.name, row.pattern), row.matches) << row.name << " " << row.pattern;
    }
}

TEST_F(FilesTest, ExistenceTestsTellFilesFromFolders) {
    const struct {
        const char* path;
        bool file;
        bool folder;
    } rows[] = {
        {"C:\\LOJA01\\a.ocx", true, false},      {"C:\\LOJA01\\link.OCX", true, false},
        {"C:\\LOJA01\\.hidden.ocx", false, false}, {"C:\\LOJA01\\dir.ocx", false, true},
        {"C:\\loja01", false, true},             {"C:\\LOJA01\\none", false, false},
        {"Q:\\x", false, false},                 {"C:\\a|b", false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(win::FileExists(row.path), row.file) << row.path;
        EXPECT_EQ(win::FolderExists(row.path), row.folder) << row.path;
    }
}

TEST_F(FilesTest, CopyKeepsTheSourceDateAndReplacesTheTargetByRename) {
    const win::CivilTime when{2001, 2, 3, 4, 5, 6};
    SetModified(loja() / "A.OCX", when);
    const auto target = root_.DriveC() / "WINDOWS" / "SYSTEM" / "a.ocx";
    Write(target, "old library");
    std::ifstream mapped(target, std::ios::binary);   // as a running program holds it

    win::CopyFile("C:\\LOJA01\\A.OCX", "C:\\WINDOWS\\SYSTEM\\A.OCX");

    EXPECT_EQ(Read(target), "A.OCX");
    EXPECT_EQ(win::FileDateTime("c:\\windows\\system\\a.ocx"), when);
    EXPECT_EQ(SearchAll("C:\\WINDOWS\\SYSTEM\\*"), Names{"a.ocx"});   // no second name, no temporary
    std::string old;
    std::getline(mapped, old);
    EXPECT_EQ(old, "old library");
}

// A copy dated on request, and a date moved from one file onto another, to the nanosecond the file
// system keeps: what a copy that must still be completed is marked with.
TEST_F(FilesTest, ACopyCanBeDatedAndADateMovedExactly) {
    const win::FileTime source = win::FileModified("C:\\LOJA01\\A.OCX");
    const win::FileTime earlier = source - std::chrono::seconds(1) + std::chrono::nanoseconds(123);
    win::CopyFile("C:\\LOJA01\\A.OCX", "C:\\B.OCX", earlier);
    EXPECT_EQ(win::FileModified("c:\\b.ocx"), earlier);
    EXPECT_EQ(Read(root_.DriveC() / "B.OCX"), "A.OCX");
    win::SetFileModified("C:\\B.OCX", source);
    EXPECT_EQ(win::FileModified("C:\\B.OCX"), source);
    EXPECT_EQ(ErrorNumberOf([] { win::FileModified("C:\\LOJA01\\none.ocx"); }), 53);
    EXPECT_EQ(ErrorNumberOf([&] { win::SetFileModified("C:\\LOJA01\\none.ocx", source); }), 53);
    EXPECT_EQ(ErrorNumberOf([&] { win::SetFileModified("Q:\\a.ocx", source); }), 68);
}

TEST_F(FilesTest, CopyFailuresRaiseTheRuntimeNumbers) {
    const struct {
        const char* from;
        const char* to;
        long number;
    } rows[] = {
        {"C:\\LOJA01\\none.ocx", "C:\\x.ocx", 53},
        {"C:\\NOFOLDER\\a.ocx", "C:\\x.ocx", 53},
        {"C:\\LOJA01\\a.ocx", "C:\\NOFOLDER\\x.ocx", 76},
        {"C:\\LOJA01\\a.ocx", "C:\\LOJA01\\DIR.OCX", 75},
        {"C:\\LOJA01\\DIR.OCX", "C:\\x.ocx", 75},
        {"Q:\\a.ocx", "C:\\x.ocx", 68},
        {"C:\\LOJA01\\a.ocx", "C:\\LOJA01\\", 75},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ErrorNumberOf([&] { win::CopyFile(row.from, row.to); }), row.number) << row.from << " " << row.to;
    }
    EXPECT_EQ(SearchAll("C:\\*"), Names{});
}

TEST_F(FilesTest, CopyIntoAFolderWithoutWritePermissionIsPermissionDenied) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    fs::create_directories(root_.DriveC() / "LOCKED");
    fs::permissions(root_.DriveC() / "LOCKED", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ErrorNumberOf([] { win::CopyFile("C:\\LOJA01\\A.OCX", "C:\\LOCKED\\A.OCX"); }), 70);
    EXPECT_EQ(ErrorNumberOf([] { win::DeleteFile("C:\\LOCKED\\none"); }), 53);
    fs::permissions(root_.DriveC() / "LOCKED", fs::perms::owner_all);
}

TEST_F(FilesTest, DateLengthDeleteRenameAndCreateFolder) {
    EXPECT_EQ(win::FileLength("C:\\LOJA01\\readme.TXT"), 10u);
    const struct {
        std::function<void()> action;
        long number;
    } rows[] = {
        {[] { win::FileDateTime("C:\\LOJA01\\none"); }, 53},
        {[] { win::FileLength("C:\\LOJA01\\DIR.OCX"); }, 53},
        {[] { win::DeleteFile("C:\\LOJA01\\none"); }, 53},
        {[] { win::DeleteFile("C:\\LOJA01\\DIR.OCX"); }, 53},
        {[] { win::DeleteFile("C:\\LOJA01\\b.OCX"); }, 0},
        {[] { win::DeleteFile("C:\\LOJA01\\b.OCX"); }, 53},
        {[] { win::RenameFile("C:\\LOJA01\\none", "C:\\LOJA01\\x"); }, 53},
        {[] { win::RenameFile("C:\\LOJA01\\A.OCX", "C:\\LOJA01\\zeta.ocx"); }, 58},
        {[] { win::RenameFile("C:\\LOJA01\\A.OCX", "C:\\NOFOLDER\\A.OCX"); }, 76},
        {[] { win::RenameFile("C:\\LOJA01\\readme.txt", "C:\\LOJA01\\README.TXT"); }, 0},
        {[] { win::CreateFolder("C:\\LOJA01"); }, 75},
        {[] { win::CreateFolder("C:\\NOFOLDER\\SUB"); }, 76},
        {[] { win::CreateFolder("C:\\Nova"); }, 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(ErrorNumberOf(rows[i].action), rows[i].number) << i;
    EXPECT_TRUE(fs::exists(loja() / "README.TXT"));
    EXPECT_FALSE(fs::exists(loja() / "readme.txt"));
    EXPECT_TRUE(fs::is_directory(root_.DriveC() / "Nova"));
}

}  // namespace
