// The defaults store over VX4WIN.INI in the Windows folder: each read and write kind, the
// formats written, malformed values, a missing or unwritable file, and no caching.
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/module/defaults_store.h"

namespace zmtext {
namespace {

// Key ids.
constexpr int kBackColor = 116;
constexpr int kBorderStyle = 120;
constexpr int kFillChar = 134;
constexpr int kMaxValue = 157;
constexpr int kMinValue = 158;
constexpr int kFmtCurrency = 177;
constexpr int kFontName = 229;
constexpr int kFontSize = 230;
constexpr int kHeight = 235;
constexpr int kWidth = 236;
constexpr int kUnknownKey = 999;

class DefaultsStore : public ::testing::Test {
protected:
    std::filesystem::path IniPath() const { return root_.DriveC() / "WINDOWS" / "VX4WIN.INI"; }
    std::string FileText() const {
        std::ifstream in(IniPath(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void WriteFile(const std::string& text) const { std::ofstream(IniPath(), std::ios::binary) << text; }

    win::testing::TempMachineRoot root_;
    CZMDefaultsStore store_;
};

TEST_F(DefaultsStore, NamesFromTheStringTable) {
    EXPECT_EQ(store_.FileName(), "VX4WIN.INI");
    const char* sections[] = {"ZMText Settings",   "ZMDate Settings",     "ZMTime Settings", "ZMLong Settings",
                              "ZMDouble Settings", "ZMCurrency Settings", "ZMLabel Settings"};
    for (int kind = 0; kind < kFieldKindCount; ++kind) EXPECT_EQ(store_.SectionName(kind), sections[kind]);
    EXPECT_EQ(store_.SectionName(7), "");
}

TEST_F(DefaultsStore, MissingFileGivesEveryDefault) {
    ASSERT_FALSE(std::filesystem::exists(IniPath()));
    std::string text;
    for (int kind = 0; kind < kFieldKindCount; ++kind) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(store_.GetInt(kind, kBorderStyle, 1), 1);
        EXPECT_EQ(store_.GetLong(kind, kBackColor, static_cast<std::int32_t>(0x80000005u)),
                  static_cast<std::int32_t>(0x80000005u));
        EXPECT_EQ(store_.GetFloat(kind, kFontSize, 8.0f), 8.0f);
        EXPECT_EQ(store_.GetDouble(kind, kMaxValue, 1.67e308), 1.67e308);
        EXPECT_EQ(store_.GetCString(kind, kFontName, &text, "MS Sans Serif"), 13u);
        EXPECT_EQ(text, "MS Sans Serif");
        EXPECT_EQ(store_.GetString(kind, kFillChar, &text, 2, "_"), 1u);
        EXPECT_EQ(text, "_");
    }
    EXPECT_FALSE(std::filesystem::exists(IniPath())) << "reading creates nothing";
}

TEST_F(DefaultsStore, EachWriteKindRoundTripsInItsFormat) {
    ASSERT_TRUE(store_.WriteInt(kKindText, kBorderStyle, 0));
    ASSERT_TRUE(store_.WriteLong(kKindText, kBackColor, static_cast<std::int32_t>(0x80000005u)));
    ASSERT_TRUE(store_.WriteFloat(kKindLabel, kFontSize, 8.0f));
    ASSERT_TRUE(store_.WriteFloat(kKindText, kFontSize, 9.75f));
    ASSERT_TRUE(store_.WriteDouble(kKindDouble, kMaxValue, 1.67e308));
    ASSERT_TRUE(store_.WriteDouble(kKindDouble, kMinValue, 0.1));
    ASSERT_TRUE(store_.WriteString(kKindCurrency, kFmtCurrency, "R$"));
    ASSERT_TRUE(store_.WriteCString(kKindLabel, kFontName, "Arial"));

    EXPECT_EQ(store_.GetInt(kKindText, kBorderStyle, 1), 0);
    EXPECT_EQ(store_.GetLong(kKindText, kBackColor, 0), static_cast<std::int32_t>(0x80000005u));
    EXPECT_EQ(store_.GetFloat(kKindLabel, kFontSize, 1.0f), 8.0f);
    EXPECT_EQ(store_.GetFloat(kKindText, kFontSize, 1.0f), 9.75f);
    EXPECT_EQ(store_.GetDouble(kKindDouble, kMaxValue, 0), 1.67e308);
    EXPECT_EQ(store_.GetDouble(kKindDouble, kMinValue, 0), 0.1);
    std::string text;
    EXPECT_EQ(store_.GetCString(kKindCurrency, kFmtCurrency, &text, "$"), 2u);
    EXPECT_EQ(text, "R$");
    EXPECT_EQ(store_.GetString(kKindLabel, kFontName, &text, 4, ""), 3u) << "cut to the buffer";
    EXPECT_EQ(text, "Ari");

    const std::string file = FileText();
    for (const char* line : {"[ZMText Settings]", "BorderStyle=0", "BackColor=-2147483643", "FontSize=9.75",
                             "[ZMLabel Settings]", "FontSize=8\r", "[ZMDouble Settings]", "MaxValue=1.67e+308",
                             "MinValue=0.1", "FmtCurrency=R$", "FontName=Arial"})
        EXPECT_NE(file.find(line), std::string::npos) << line << " in\n" << file;
}

TEST_F(DefaultsStore, NumbersAreWrittenWithAPointWhateverTheLocale) {
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool commaLocale = std::setlocale(LC_ALL, "pt_BR.UTF-8") || std::setlocale(LC_ALL, "de_DE.UTF-8");
    store_.WriteFloat(kKindText, kFontSize, 8.25f);
    store_.WriteDouble(kKindDouble, kMaxValue, 1234.5);
    const float size = store_.GetFloat(kKindText, kFontSize, 0);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_NE(FileText().find("FontSize=8.25"), std::string::npos);
    EXPECT_NE(FileText().find("MaxValue=1234.5"), std::string::npos);
    EXPECT_EQ(size, 8.25f) << (commaLocale ? "under a comma locale" : "no comma locale installed");
}

TEST_F(DefaultsStore, SignificantDigitsOfTheWrittenNumbers) {
    struct Row {
        double value;
        int digits;
        const char* text;
    } rows[] = {
        {8.0, 7, "8"},          {0.1f, 7, "0.1"},           {1234567.8, 7, "1234568"},
        {12345678.0, 7, "1.234568e+07"}, {1.67e308, 15, "1.67e+308"}, {-1.67e308, 15, "-1.67e+308"},
        {0.1, 15, "0.1"},       {123456789012.345, 15, "123456789012.345"}, {0.0, 15, "0"},
    };
    for (const Row& row : rows) EXPECT_EQ(ZMFormatGeneral(row.value, row.digits), row.text) << row.value;
}

TEST_F(DefaultsStore, MalformedValuesReadAsTheConversionGives) {
    WriteFile("[ZMText Settings]\r\nBorderStyle=abc\r\nHeight=12px\r\nWidth=\r\nFontSize=  7.5pt\r\n"
              "BackColor=  -5x\r\nMaxValue=99999999999\r\nMinValue=-99999999999\r\nFontName=\r\n"
              "[ZMDouble Settings]\r\nMaxValue=x1\r\nMinValue=-1e999\r\n");
    EXPECT_EQ(store_.GetInt(kKindText, kBorderStyle, 1), 0);
    EXPECT_EQ(store_.GetInt(kKindText, kHeight, 0), 12);
    EXPECT_EQ(store_.GetInt(kKindText, kWidth, 33), 33) << "an empty value is absent";
    EXPECT_EQ(store_.GetFloat(kKindText, kFontSize, 8.0f), 7.5f);
    EXPECT_EQ(store_.GetLong(kKindText, kBackColor, 0), -5);
    EXPECT_EQ(store_.GetLong(kKindText, kMaxValue, 0), 2147483647);
    EXPECT_EQ(store_.GetLong(kKindText, kMinValue, 0), -2147483647 - 1);
    EXPECT_EQ(store_.GetDouble(kKindDouble, kMaxValue, 5.0), 0.0);
    EXPECT_EQ(store_.GetDouble(kKindDouble, kMinValue, 5.0), -std::numeric_limits<double>::infinity());
    std::string name;
    store_.GetCString(kKindText, kFontName, &name, "MS Sans Serif");
    EXPECT_EQ(name, "MS Sans Serif") << "a present but empty FontName";
}

TEST_F(DefaultsStore, DeleteSectionRemovesOnlyThatKind) {
    store_.WriteInt(kKindLabel, kWidth, 100);
    store_.WriteInt(kKindText, kWidth, 200);
    ASSERT_TRUE(store_.DeleteSection(kKindLabel));
    EXPECT_EQ(store_.GetInt(kKindLabel, kWidth, 0), 0);
    EXPECT_EQ(store_.GetInt(kKindText, kWidth, 0), 200);
    EXPECT_EQ(FileText().find("ZMLabel"), std::string::npos);
    EXPECT_FALSE(store_.DeleteSection(kFieldKindCount));
}

TEST_F(DefaultsStore, NothingIsCached) {
    store_.WriteInt(kKindTime, kHeight, 20);
    EXPECT_EQ(store_.GetInt(kKindTime, kHeight, 0), 20);
    WriteFile("[ZMTime Settings]\r\nHeight=31\r\n");
    EXPECT_EQ(store_.GetInt(kKindTime, kHeight, 0), 31);
    CZMDefaultsStore other;
    other.WriteInt(kKindTime, kHeight, 42);
    EXPECT_EQ(store_.GetInt(kKindTime, kHeight, 0), 42);
}

TEST_F(DefaultsStore, UnknownKeysAndKindsAndAnUnwritableFile) {
    EXPECT_FALSE(store_.WriteInt(kKindText, kUnknownKey, 5));
    EXPECT_FALSE(store_.WriteInt(-1, kWidth, 5));
    EXPECT_FALSE(store_.WriteInt(kFieldKindCount, kWidth, 5));
    EXPECT_FALSE(std::filesystem::exists(IniPath()));
    EXPECT_EQ(store_.GetInt(kKindText, kUnknownKey, 7), 7);
    EXPECT_EQ(store_.GetInt(kFieldKindCount, kWidth, 7), 7);
    std::string text;
    EXPECT_EQ(store_.GetString(kKindText, kUnknownKey, &text, 3, "abcdef"), 2u);
    EXPECT_EQ(text, "ab");

    std::filesystem::create_directory(IniPath());   // a file that cannot be read or replaced
    EXPECT_FALSE(store_.WriteInt(kKindText, kWidth, 5));
    EXPECT_FALSE(store_.WriteString(kKindText, kFontName, "Arial"));
    EXPECT_EQ(store_.GetInt(kKindText, kWidth, 9), 9);
    EXPECT_EQ(store_.GetFloat(kKindText, kFontSize, 8.0f), 8.0f);
}

}  // namespace
}  // namespace zmtext
