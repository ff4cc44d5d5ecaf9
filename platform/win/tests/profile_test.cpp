#include "platform/win/profile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "platform/win/paths.h"
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

// A text editor's UTF-8 byte-order mark before the first section: skipped on reading, so the
// first section is found, and kept on writing, whatever the line ending.
TEST_F(ProfileTest, AByteOrderMarkBelongsToNoLineAndIsKept) {
    const std::string bom = "\xEF\xBB\xBF";
    const struct {
        std::string before;   // the file, or "" for none
        const char* value;    // [intl] iTime as read, "-" when absent
        const char* write;    // the value written to [intl] iTime, or nullptr to delete [intl]
        std::string after;
    } rows[] = {
        {bom + "[intl]\r\niTime=1\r\n", "1", "0", bom + "[intl]\r\niTime=0\r\n"},
        {bom + "[intl]\niTime=1\n", "1", "0", bom + "[intl]\niTime=0\n"},
        {bom + "[INTL]\r\nsTime=.\r\n", "-", "1", bom + "[INTL]\r\nsTime=.\r\niTime=1\r\n"},
        {bom + "; regional\r\n[intl]\r\niTime=1", "1", "0", bom + "; regional\r\n[intl]\r\niTime=0\r\n"},
        {bom, "-", "1", bom + "[intl]\r\niTime=1\r\n"},
        {bom + "[intl]\r\niTime=1\r\n[b]\r\nk=2\r\n", "1", nullptr, bom + "[b]\r\nk=2\r\n"},
        {"[intl]\r\niTime=1\r\n", "1", "0", "[intl]\r\niTime=0\r\n"},
        {"[intl]\niTime=1\n", "1", "0", "[intl]\niTime=0\n"},
        {"", "-", "1", "[intl]\r\niTime=1\r\n"},
        // Only a mark at the very start is one.
        {"[a]\r\n" + bom + "[intl]\r\niTime=1\r\n", "-", "0", "[a]\r\n" + bom + "[intl]\r\niTime=1\r\n\r\n[intl]\r\niTime=0\r\n"},
    };
    for (const auto& row : rows) {
        fs::remove(windows() / "WIN.INI");
        if (!row.before.empty()) WriteFile("WIN.INI", row.before);
        auto winIni = win::ProfileFile::WinIni();
        EXPECT_EQ(winIni.GetString("intl", "iTime", "-"), row.value) << row.before;
        EXPECT_TRUE(row.write ? winIni.WriteString("intl", "iTime", row.write) : winIni.DeleteSection("intl"));
        EXPECT_EQ(ReadFile("WIN.INI"), row.after) << row.before;
        EXPECT_EQ(winIni.GetString("intl", "iTime", "-"), row.write ? row.write : "-") << row.before;
    }
}

// A file rewritten in place to the same size within one tick of the file system's clock keeps
// its stamp: the reader must not take the stamp's word for a file that recent.
TEST_F(ProfileTest, RewritesOfEqualSizeWithinOneClockTickAreSeen) {
    const auto winIni = win::ProfileFile::WinIni();
    for (int i = 0; i < 20; ++i) {
        const std::string value = std::to_string(i % 10);
        WriteFile("WIN.INI", "[intl]\r\niTime=" + value + "\r\n");
        EXPECT_EQ(winIni.GetString("intl", "iTime", "-"), value) << i;
    }
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

namespace {

// How each change to a profile file is told from the version a reader has already seen. Each
// case works in a folder of its own, so a change to one file tells nothing about another.
struct Change {
    const char* what;
    const char* before;   // the file's content before, or nullptr for no file
    std::function<void(const fs::path& folder)> change;
    const char* expected;   // [intl] k after the change, "-" when absent
};

void Overwrite(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

void SetModified(const fs::path& file, fs::file_time_type modified) { fs::last_write_time(file, modified); }

TEST_F(ProfileTest, EveryReadSeesTheFileAsItIsNowOnceItsStampIsOld) {
    const Change changes[] = {
        {"rewritten in place, same size", "[intl]\r\nk=1\r\n",
         [](const fs::path& f) { Overwrite(f / "P.INI", "[intl]\r\nk=2\r\n"); }, "2"},
        {"rewritten in place, same size, modification time put back", "[intl]\r\nk=1\r\n",
         [](const fs::path& f) {
             const auto modified = fs::last_write_time(f / "P.INI");
             Overwrite(f / "P.INI", "[intl]\r\nk=3\r\n");
             SetModified(f / "P.INI", modified);
         },
         "3"},
        {"replaced by rename, same size, same modification time", "[intl]\r\nk=1\r\n",
         [](const fs::path& f) {
             Overwrite(f / "new", "[intl]\r\nk=4\r\n");
             SetModified(f / "new", fs::last_write_time(f / "P.INI"));
             fs::rename(f / "new", f / "P.INI");
         },
         "4"},
        {"deleted", "[intl]\r\nk=1\r\n", [](const fs::path& f) { fs::remove(f / "P.INI"); }, "-"},
        {"deleted, then made again under another case", "[intl]\r\nk=1\r\n",
         [](const fs::path& f) {
             fs::remove(f / "P.INI");
             Overwrite(f / "p.ini", "[intl]\r\nk=5\r\n");
         },
         "5"},
        {"made where there was none, under another case", nullptr,
         [](const fs::path& f) { Overwrite(f / "p.ini", "[intl]\r\nk=6\r\n"); }, "6"},
        {"written by this program", "[intl]\r\nk=1\r\n",
         [](const fs::path& f) {
             EXPECT_TRUE(win::ProfileFile(win::WindowsPath(f / "P.INI")).WriteString("intl", "k", "7"));
         },
         "7"},
        {"written by this program under another case", "[intl]\r\nk=1\r\n",
         [](const fs::path& f) {
             EXPECT_TRUE(win::ProfileFile(win::WindowsPath(f) + "\\p.ini").WriteString("INTL", "K", "8"));
         },
         "8"},
        {"section deleted by this program", "[intl]\r\nk=1\r\n",
         [](const fs::path& f) { EXPECT_TRUE(win::ProfileFile(win::WindowsPath(f / "P.INI")).DeleteSection("intl")); },
         "-"},
    };
    const auto folderOf = [&](std::size_t i) { return root_.DriveC() / ("CASE" + std::to_string(i)); };
    const auto read = [&](std::size_t i) {
        return win::ProfileFile("C:\\CASE" + std::to_string(i) + "\\P.INI").GetString("intl", "k", "-");
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        fs::create_directories(folderOf(i));
        if (changes[i].before) Overwrite(folderOf(i) / "P.INI", changes[i].before);
    }
    // Every file and folder left alone for longer than any file system's clock tick, and read:
    // from now on a reader may keep what it read for as long as the stamps stay the same.
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        EXPECT_EQ(read(i), changes[i].before ? "1" : "-") << changes[i].what;
        EXPECT_EQ(read(i), changes[i].before ? "1" : "-") << changes[i].what;
    }
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        changes[i].change(folderOf(i));
        EXPECT_EQ(read(i), changes[i].expected) << changes[i].what;
    }
}

}  // namespace
