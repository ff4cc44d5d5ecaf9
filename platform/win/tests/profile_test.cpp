#include "platform/win/profile.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <sstream>

#include "platform/win/testing/concurrent_writers.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {
namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
protected:
    fs::path windows() const { return root_.DriveC() / "WINDOWS"; }
    void WriteFile(const std::string& name, const std::string& text) const {
        std::ofstream(windows() / name, std::ios::binary) << text;
    }
    std::string ReadFile(const std::string& name) const {
        std::ifstream in(windows() / name, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    win::testing::TempMachineRoot root_;
};

TEST_F(ProfileTest, IntegersTakeASignAndLeadingDigits) {
    const struct {
        const char* line;   // the key's line in [Edit], or none
        int expected;
    } rows[] = {
        {nullptr, 77},        {"n=", 77},          {"n=12", 12},          {"n=-5", -5},
        {"n=+7", 7},          {"n=12abc", 12},     {"n=abc", 0},          {"n=-", 0},
        {"n =  42  ", 42},    {"N=\"15\"", 15},    {"n=0x10", 0},         {"n=1 2", 1},
        {"n=99999999999", INT_MAX},                {"n=-99999999999", INT_MIN},
        {"n=2147483647", INT_MAX},                 {"n=-2147483648", INT_MIN},
    };
    for (const auto& row : rows) {
        WriteFile("VX4WIN.INI", std::string("[Edit]\r\n") + (row.line ? row.line : "other=1") + "\r\n");
        EXPECT_EQ(win::ProfileFile("VX4WIN.INI").GetInt("edit", "n", 77), row.expected)
            << (row.line ? row.line : "(absent)");
    }
}

TEST_F(ProfileTest, StringsMatchSectionsAndKeysWithoutCaseAndFitTheBuffer) {
    WriteFile("vx4win.ini",
              "; comment=ignored\r\n[Masked]\r\nFillChar=_\r\nmask = \"##/##\" \r\nname=A\xE7\xE3o\r\n"
              "[MASKED]\r\nFillChar=second\r\n[Ação]\r\nk=v\r\n");
    const win::ProfileFile profile("VX4WIN.INI");
    const struct {
        const char* section;
        const char* key;
        std::size_t buffer;
        const char* expected;
    } rows[] = {
        {"masked", "FILLCHAR", 4096, "_"},    {"Masked", "mask", 4096, "##/##"},
        {"Masked", "mask", 3, "##"},          {"Masked", "name", 4096, "A\xE7\xE3o"},
        {"Masked", "none", 4096, "default"},  {"Masked", "none", 4, "def"},
        {"Masked", "mask", 1, ""},            {"Masked", "mask", 0, ""},
        {"Other", "FillChar", 4096, "default"}, {"; comment", "ignored", 4096, "default"},
        {"Ação", "k", 4096, "v"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(profile.GetString(row.section, row.key, "default", row.buffer), row.expected)
            << row.section << "/" << row.key << "/" << row.buffer;
    }
    EXPECT_EQ(win::ProfileFile("C:\\WINDOWS\\NOFILE.INI").GetString("a", "b", "x"), "x");
    EXPECT_EQ(win::ProfileFile("Q:\\X.INI").GetInt("a", "b", 3), 3);
}

TEST_F(ProfileTest, WinIniIsReadAfreshAtEveryUse) {
    const auto winIni = win::ProfileFile::WinIni();
    EXPECT_EQ(winIni.GetString("intl", "sDecimal", ".", 2), ".");
    WriteFile("WIN.INI", "[intl]\r\nsDecimal=,\r\niDigits=2\r\n");
    EXPECT_EQ(winIni.GetString("intl", "sDecimal", ".", 2), ",");
    WriteFile("WIN.INI", "[intl]\r\nsDecimal=;\r\n");
    EXPECT_EQ(winIni.GetString("intl", "sDecimal", ".", 2), ";");
    EXPECT_EQ(winIni.GetInt("intl", "iDigits", 0), 0);
}

TEST_F(ProfileTest, WritesKeepEveryOtherLineAndTheLineEnding) {
    win::ProfileFile profile("VX4WIN.INI");
    ASSERT_TRUE(profile.WriteString("Masked", "FillChar", "_"));
    EXPECT_EQ(ReadFile("VX4WIN.INI"), "[Masked]\r\nFillChar=_\r\n");

    WriteFile("VX4WIN.INI", "; kept\n[Masked]\nfillchar = *\n\n[Date]\nSep=/\n");
    const struct {
        const char* section;
        const char* key;
        const char* value;
        const char* file;
    } steps[] = {
        {"MASKED", "FillChar", "#", "; kept\n[Masked]\nfillchar=#\n\n[Date]\nSep=/\n"},
        {"masked", "Mask", "", "; kept\n[Masked]\nfillchar=#\nMask=\n\n[Date]\nSep=/\n"},
        {"Time", "Sep", ":", "; kept\n[Masked]\nfillchar=#\nMask=\n\n[Date]\nSep=/\n\n[Time]\nSep=:\n"},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(profile.WriteString(step.section, step.key, step.value));
        EXPECT_EQ(ReadFile("VX4WIN.INI"), step.file);
    }
    EXPECT_EQ(profile.GetString("masked", "mask", "none"), "");
}

TEST_F(ProfileTest, WritesThatWouldForgeOtherEntriesAreRefused) {
    WriteFile("VX4WIN.INI", "[A]\r\nk=v\r\n");
    win::ProfileFile profile("VX4WIN.INI");
    const struct {
        const char* section;
        const char* key;
        const char* value;
    } rows[] = {{"A", "k", "v\r\n[B]"}, {"A", "k=x", "v"}, {"A]x", "k", "v"},
                {"A\n", "k", "v"},      {"", "k", "v"},    {"A", "", "v"},
                {"A", ";k", "v"},       {"A", " k", "v"}};
    for (const auto& row : rows) EXPECT_FALSE(profile.WriteString(row.section, row.key, row.value)) << row.key;
    EXPECT_EQ(ReadFile("VX4WIN.INI"), "[A]\r\nk=v\r\n");
    EXPECT_FALSE(win::ProfileFile("C:\\NOFOLDER\\X.INI").WriteString("A", "k", "v"));
}

TEST_F(ProfileTest, DeletingASectionTakesItsKeysOnly) {
    WriteFile("VX4WIN.INI", "[A]\r\nk=1\r\n[b]\r\nk=2\r\nj=3\r\n[C]\r\nk=4\r\n[B]\r\nk=5\r\n");
    win::ProfileFile profile("VX4WIN.INI");
    EXPECT_TRUE(profile.DeleteSection("B"));
    EXPECT_EQ(ReadFile("VX4WIN.INI"), "[A]\r\nk=1\r\n[C]\r\nk=4\r\n");
    EXPECT_TRUE(profile.DeleteSection("none"));
    EXPECT_TRUE(win::ProfileFile("ABSENT.INI").DeleteSection("A"));
    EXPECT_FALSE(fs::exists(windows() / "ABSENT.INI"));
}

}  // namespace

namespace {

// Each writer of another process, and each thread, writes keys of its own into one section of
// WIN.INI and of VX4WIN.INI; a read-modify-write that overlaps another would drop its keys.
TEST_F(ProfileTest, WritersInOtherProcessesAndThreadsLoseNoUpdate) {
    constexpr int kWriters = 4;
    constexpr int kKeysEach = 12;
    auto writeKeys = [](const std::string& prefix) {
        bool ok = true;
        for (int i = 0; i < kKeysEach; ++i) {
            const std::string key = prefix + std::to_string(i);
            ok &= win::ProfileFile::WinIni().WriteString("intl", key, std::to_string(i));
            ok &= win::ProfileFile("VX4WIN.INI").WriteString(prefix, "k" + std::to_string(i), key);
        }
        return ok;
    };
    EXPECT_TRUE(win::testing::WriteFromProcessesAndThreads(kWriters, writeKeys));
    for (const char* kind : {"p", "t"}) {
        for (int w = 0; w < kWriters; ++w) {
            const std::string prefix = kind + std::to_string(w) + "_";
            for (int i = 0; i < kKeysEach; ++i) {
                const std::string key = prefix + std::to_string(i);
                EXPECT_EQ(win::ProfileFile::WinIni().GetInt("intl", key, -1), i) << key;
                EXPECT_EQ(win::ProfileFile("VX4WIN.INI").GetString(prefix, "k" + std::to_string(i), ""), key);
            }
        }
    }
}

}  // namespace
