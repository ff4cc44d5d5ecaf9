#include "platform/forms/fileio.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/forms/tests/support/raises.h"
#include "platform/win/oledate.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {

using forms::testing::ErrorNumberOf;

class FileIoTest : public ::testing::Test {
protected:
    void TearDown() override { forms::Files().CloseAll(); }

    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(root.DriveC() / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(root.DriveC() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    win::testing::TempMachineRoot root;
};

TEST_F(FileIoTest, LineInputReadsCp1252LinesUntilEof) {
    Write("MOTIVA.TXT", "105 Bom dia\r\n\r\n200 Ol\xE1 \x96 fim\rsem LF\nultima");
    auto& files = forms::Files();
    files.Open("C:\\motiva.txt", forms::FileMode::Input, 1);
    std::vector<std::string> lines;
    while (!files.Eof(1)) lines.push_back(files.LineInput(1));
    const std::vector<std::string> expected{"105 Bom dia", "", "200 Olá – fim", "sem LF", "ultima"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(ErrorNumberOf([&] { files.LineInput(1); }), win::err::InputPastEnd);
    files.Close(1);
    EXPECT_EQ(ErrorNumberOf([&] { files.Close(1); }), win::err::BadFileName);
}

TEST_F(FileIoTest, PrintAppendsCp1252WithCrLf) {
    auto& files = forms::Files();
    files.Open("C:\\ERRO.TXT", forms::FileMode::Append, 1);
    files.Print(1, "ANA 25/12/24 18:05 Nro.: 53 Tela -> Acesso Operação");
    files.Close(1);
    files.Open("C:\\ERRO.TXT", forms::FileMode::Append, 1);
    files.Print(1, " ");
    files.Close(1);
    EXPECT_EQ(Read("ERRO.TXT"), "ANA 25/12/24 18:05 Nro.: 53 Tela -> Acesso Opera\xE7\xE3o\r\n \r\n");
}

TEST_F(FileIoTest, TheRuntimesFileErrors) {
    auto& files = forms::Files();
    files.Open("C:\\a.txt", forms::FileMode::Output, 1);
    const struct {
        const char* what;
        std::function<void()> call;
        long number;
    } rows[] = {
        {"missing file", [&] { files.Open("C:\\nada.txt", forms::FileMode::Input, 2); }, 53},
        {"missing folder", [&] { files.Open("C:\\NADA\\a.txt", forms::FileMode::Output, 2); }, 76},
        {"unknown drive", [&] { files.Open("Q:\\a.txt", forms::FileMode::Input, 2); }, 68},
        {"bad name", [&] { files.Open("C:\\a|b.txt", forms::FileMode::Output, 2); }, 52},
        {"number in use", [&] { files.Open("C:\\b.txt", forms::FileMode::Output, 1); }, 55},
        {"number not open", [&] { files.Print(3, "x"); }, 52},
        {"reading an output file", [&] { files.LineInput(1); }, 54},
        {"Dir on a missing path raises nothing", [] { forms::Dir("C:\\NADA\\*.*"); }, 0},
        {"Kill of a missing file", [] { forms::Kill("C:\\nada.txt"); }, 53},
        {"Kill of a pattern matching nothing", [] { forms::Kill("C:\\*.tmp"); }, 53},
        {"FileLen of a missing file", [] { forms::FileLen("C:\\nada.txt"); }, 53},
    };
    for (const auto& row : rows) EXPECT_EQ(ErrorNumberOf(row.call), row.number) << row.what;
    EXPECT_EQ(files.FreeFile(), 2);
}

TEST_F(FileIoTest, DirContinuesAndFileFunctionsWork) {
    Write("ZM1.OCX", "abc");
    Write("zm2.ocx", "de");
    Write("outro.txt", "");
    std::vector<std::string> found;
    for (std::string name = forms::Dir("C:\\*.OCX"); !name.empty(); name = forms::Dir()) found.push_back(name);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"ZM1.OCX", "zm2.ocx"}));
    EXPECT_EQ(forms::Dir(), "") << "the search stays at its end";
    EXPECT_DOUBLE_EQ(forms::FileLen("C:\\zm1.ocx"), 3);
    EXPECT_GT(forms::FileDateTime("C:\\ZM1.OCX"), win::DateSerial(2000, 1, 1));
    forms::FileCopy("C:\\ZM1.OCX", "C:\\copia.ocx");
    EXPECT_EQ(Read("copia.ocx"), "abc");
    forms::Name("C:\\copia.ocx", "C:\\nova.ocx");
    EXPECT_EQ(forms::Dir("C:\\copia.ocx"), "");
    forms::Kill("C:\\*.ocx");
    EXPECT_EQ(forms::Dir("C:\\*.ocx"), "");
    EXPECT_EQ(forms::Dir("C:\\outro.txt"), "outro.txt");
}

TEST_F(FileIoTest, EnvironIsEmptyForAMissingVariable) {
    ::setenv("ZM_FORMS_TEST_VAR", "valor", 1);
    EXPECT_EQ(forms::Environ("zm_forms_test_var"), "valor");
    EXPECT_EQ(forms::Environ("ZM_FORMS_NO_SUCH_VAR"), "");
    ::unsetenv("ZM_FORMS_TEST_VAR");
}

}  // namespace
