#include "platform/win/paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>

#include "platform/win/error.h"
#include "platform/win/testing/temp_machine_root.h"
#include "platform/win/testing/raises.h"

namespace {
namespace fs = std::filesystem;

void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
}

long ErrorOf(const std::string& windowsPath) {
    return win::testing::ErrorNumberOf([&] { win::HostPath(windowsPath); });
}

// C: holds LOJA01\Bd2.MDB, a link "inside" to LOJA01 and a link "escape" to a folder outside the
// drive; F: is a folder outside the drives holding Produto.MDB; G: maps F:'s subfolder "deep".
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Touch(c() / "LOJA01" / "Bd2.MDB");
        fs::create_directory_symlink(c() / "LOJA01", c() / "inside");
        fs::create_directory_symlink(root_.MakeFolder("outside"), c() / "escape");
        Touch(f() / "Produto.MDB");
        Touch(f() / "deep" / "a.txt");
        win::MapDrive('F', f());
        win::MapDrive('g', f() / "deep");
    }
    fs::path c() const { return root_.DriveC(); }
    fs::path f() const { return root_.Root() / "ffolder"; }

    win::testing::TempMachineRoot root_;
};

TEST_F(PathsTest, WindowsPathsResolveCaseInsensitivelyInsideTheirDrive) {
    const struct {
        const char* windows;
        const char* host;   // relative to the machine root
    } rows[] = {
        {"C:\\LOJA01\\Bd2.MDB", "drives/c/LOJA01/Bd2.MDB"},
        {"c:\\loja01\\BD2.MDB", "drives/c/LOJA01/Bd2.MDB"},
        {"C:/Loja01/bd2.mdb", "drives/c/LOJA01/Bd2.MDB"},
        {"C:\\LOJA01\\.\\\\Bd2.MDB.", "drives/c/LOJA01/Bd2.MDB"},
        {"C:\\LOJA01\\NOVO.MDB", "drives/c/LOJA01/NOVO.MDB"},
        {"C:\\Nova\\Sub\\X.txt", "drives/c/Nova/Sub/X.txt"},
        {"C:\\LOJA01\\..\\..\\..\\windows\\system", "drives/c/WINDOWS/SYSTEM"},
        {"C:..\\LOJA01", "drives/c/LOJA01"},
        {"C:\\", "drives/c"},
        {"C:\\INSIDE\\bd2.mdb", "drives/c/inside/Bd2.MDB"},
        {"C:\\inside\\..\\escape\\..\\LOJA01", "drives/c/LOJA01"},
        {"f:\\produto.mdb", "ffolder/Produto.MDB"},
        {"F:\\DEEP\\A.TXT", "ffolder/deep/a.txt"},
        {"G:\\A.TXT", "ffolder/deep/a.txt"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(win::HostPath(row.windows), root_.Root() / row.host) << row.windows;
    }
}

TEST_F(PathsTest, RefusedPathsRaiseTheRuntimeNumbers) {
    const struct {
        const char* windows;
        long number;
    } rows[] = {
        {"", 52},           {"C:\\a*b", 52},         {"C:\\a?", 52},
        {"C:\\a|b", 52},    {"C:\\a\"b", 52},        {"C:\\a:b", 52},
        {"C:\\a\tb", 52},   {"\\\\server\\share", 52}, {"H:\\x", 68},
        {"C:\\escape", 76}, {"C:\\ESCAPE\\x.txt", 76}, {"C:\\inside\\x", 0},
    };
    for (const auto& row : rows) EXPECT_EQ(ErrorOf(row.windows), row.number) << row.windows;
}

TEST_F(PathsTest, ALinkLeadingOutOfItsDriveIsNotFoundEvenWhenDangling) {
    fs::create_symlink("/nonexistent/elsewhere", c() / "dangling");
    fs::create_symlink("../../..", c() / "LOJA01" / "up");
    EXPECT_EQ(ErrorOf("C:\\dangling"), 76);
    EXPECT_EQ(ErrorOf("C:\\LOJA01\\up\\drives"), 76);
}

TEST_F(PathsTest, HostPathsShowInWindowsFormWithTheLongestDriveWinning) {
    const struct {
        fs::path host;
        std::string windows;
    } rows[] = {
        {c() / "LOJA01" / "Bd2.MDB", "C:\\LOJA01\\Bd2.MDB"},
        {c(), "C:\\"},
        {c() / "LOJA01" / "", "C:\\LOJA01"},
        {c() / "LOJA01" / ".." / "WINDOWS", "C:\\WINDOWS"},
        {f() / "Produto.MDB", "F:\\Produto.MDB"},
        {root_.Root() / "drives" / "f" / "Produto.MDB", "F:\\Produto.MDB"},
        {f() / "deep" / "a.txt", "G:\\a.txt"},
        {"/", "Z:\\"},
        {"/usr/lib", "Z:\\usr\\lib"},
    };
    for (const auto& row : rows) EXPECT_EQ(win::WindowsPath(row.host), row.windows) << row.host;
}

TEST_F(PathsTest, ExistingHostPathsSurviveTheRoundTrip) {
    const fs::path rows[] = {c() / "LOJA01" / "Bd2.MDB", c() / "inside", f() / "Produto.MDB",
                             f() / "deep", root_.Root() / "outside", "/usr"};
    for (const auto& host : rows) EXPECT_EQ(win::HostPath(win::WindowsPath(host)), host) << host;
}

TEST_F(PathsTest, RelativePathsStartFromTheCurrentFolder) {
    const auto saved = fs::current_path();
    fs::current_path(c() / "LOJA01");
    EXPECT_EQ(win::HostPath("bd2.mdb"), c() / "LOJA01" / "Bd2.MDB");
    EXPECT_EQ(win::HostPath("..\\windows"), c() / "WINDOWS");
    EXPECT_EQ(win::HostPath("\\Windows\\System"), c() / "WINDOWS" / "SYSTEM");
    fs::current_path(saved);
}

TEST_F(PathsTest, MappingADriveAgainReplacesItsLink) {
    const auto other = root_.MakeFolder("other");
    Touch(other / "Outro.txt");
    win::MapDrive('F', other);
    EXPECT_EQ(win::HostPath("F:\\outro.TXT"), other / "Outro.txt");
    EXPECT_THROW(win::MapDrive('Z', other), win::RuntimeError);
}

TEST_F(PathsTest, ProgramFolderIsTheExecutablesFolderInWindowsForm) {
    const auto folder = win::ProgramFolder();
    ASSERT_GE(folder.size(), 3u);
    EXPECT_EQ(folder.substr(1, 2), ":\\");
    EXPECT_NE(folder.back(), '\\');
    EXPECT_TRUE(fs::exists(win::HostPath(win::JoinPath(folder, "win_tests"))));
}

TEST_F(PathsTest, WindowsFolderComesFromWinDirWhateverItsCase) {
    unsetenv("WinDir");
    unsetenv("windir");
    EXPECT_EQ(win::WindowsFolder(), "C:\\WINDOWS");
    EXPECT_EQ(win::SystemFolder(), "C:\\WINDOWS\\SYSTEM");
    setenv("windir", "D:\\WIN\\", 1);
    EXPECT_EQ(win::WindowsFolder(), "D:\\WIN\\");
    EXPECT_EQ(win::SystemFolder(), "D:\\WIN\\SYSTEM");
    unsetenv("windir");
}

TEST(JoinPathTest, PutsExactlyOneBackslashBetween) {
    const struct {
        const char* folder;
        const char* name;
        const char* joined;
    } rows[] = {{"C:\\LOJA01", "a.mdb", "C:\\LOJA01\\a.mdb"},
                {"C:\\LOJA01\\", "a.mdb", "C:\\LOJA01\\a.mdb"},
                {"C:\\", "\\SYSTEM", "C:\\SYSTEM"},
                {"C:", "x", "C:\\x"}};
    for (const auto& row : rows) EXPECT_EQ(win::JoinPath(row.folder, row.name), row.joined);
}

}  // namespace
