#include "platform/win/cp1252.h"

#include <gtest/gtest.h>

namespace {

TEST(Cp1252Test, BytesMapToTheirCodePointsAndBack) {
    const struct {
        unsigned char byte;
        char32_t codePoint;
    } rows[] = {{0x41, U'A'},     {0x80, 0x20AC}, {0x81, 0x0081}, {0x8A, 0x0160},
                {0x8D, 0x008D},   {0x92, 0x2019}, {0x9F, 0x0178}, {0xA0, 0x00A0},
                {0xC7, U'Ç'},     {0xE3, U'ã'},   {0xFF, U'ÿ'},   {0x00, 0x0000}};
    for (const auto& row : rows) {
        EXPECT_EQ(win::Cp1252ToUnicode(row.byte), row.codePoint) << int(row.byte);
        EXPECT_EQ(win::UnicodeToCp1252(row.codePoint), row.byte) << int(row.byte);
    }
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        EXPECT_EQ(win::UnicodeToCp1252(win::Cp1252ToUnicode(byte)), byte) << b;
    }
}

TEST(Cp1252Test, CharactersOutsideTheCodePageHaveNoByte) {
    for (char32_t cp : {char32_t(0x0100), char32_t(0x0080), char32_t(0x009F), char32_t(0x4E2D),
                        char32_t(0x1F600), char32_t(0x2028)}) {
        EXPECT_FALSE(win::UnicodeToCp1252(cp).has_value()) << static_cast<unsigned long>(cp);
    }
}

TEST(Cp1252Test, Utf8ConvertsBothWaysWithReplacementForTheUnmappable) {
    const struct {
        std::string utf8;
        std::string bytes;
    } rows[] = {
        {"Ação €5", "A\xE7\xE3o \x80" "5"},
        {"“x”", "\x93x\x94"},
        {"中", "?"},
        {"a\xC3", "a?"},              // cut sequence
        {"\xC0\xAF", "?"},            // overlong slash
        {"\xED\xA0\x80", "?"},        // surrogate
        {"\xF0\x9F\x98\x80z", "?z"},  // beyond the code page
    };
    for (const auto& row : rows) EXPECT_EQ(win::Utf8ToCp1252(row.utf8), row.bytes) << row.utf8;
    EXPECT_EQ(win::Cp1252ToUtf8("A\xE7\xE3o \x80\x81"), "Ação €\xC2\x81");
    EXPECT_EQ(win::Utf8ToCp1252("中", '_'), "_");
}

TEST(Cp1252Test, CasingFollowsThePlatformForAccentedLetters) {
    const struct {
        unsigned char lower;
        unsigned char upper;
    } pairs[] = {{'a', 'A'},   {'z', 'Z'},   {0xE1, 0xC1}, {0xE7, 0xC7}, {0xF5, 0xD5},
                 {0xFE, 0xDE}, {0xFF, 0x9F}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}};
    for (const auto& p : pairs) {
        EXPECT_EQ(win::ToUpper1252(p.lower), p.upper) << int(p.lower);
        EXPECT_EQ(win::ToLower1252(p.upper), p.lower) << int(p.upper);
        EXPECT_TRUE(win::IsAlpha1252(p.lower) && win::IsAlpha1252(p.upper));
    }
    const unsigned char unchanged[] = {0xDF, 0xB5, 0xD7, 0xF7, '1', '@', 0x80, 0xAA};
    for (unsigned char b : unchanged) {
        EXPECT_EQ(win::ToUpper1252(b), b) << int(b);
        EXPECT_EQ(win::ToLower1252(b), b) << int(b);
    }
    const unsigned char notAlpha[] = {'1', ' ', 0xD7, 0xF7, 0x80, 0xA9, 0x8B};
    for (unsigned char b : notAlpha) EXPECT_FALSE(win::IsAlpha1252(b)) << int(b);
}

TEST(Cp1252Test, NamesCompareIgnoringCaseAccentsIncluded) {
    EXPECT_TRUE(win::EqualsIgnoringCase("Bd2.MDB", "bd2.mdb"));
    EXPECT_TRUE(win::EqualsIgnoringCase("AÇÃO", "ação"));
    EXPECT_FALSE(win::EqualsIgnoringCase("acao", "ação"));
    EXPECT_FALSE(win::EqualsIgnoringCase("a", "ab"));
    // Plain ASCII names: only the letters fold, never the punctuation 0x20 away from them.
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } rows[] = {{"WinDir", "WINDIR", true}, {"z_Z", "Z_z", true}, {"@", "`", false},   {"[x]", "{x}", false},
                {"^", "~", false},          {"a", "A ", false},   {"", "", true},       {"Ação", "AçãO", true}};
    for (const auto& row : rows) EXPECT_EQ(win::EqualsIgnoringCase(row.a, row.b), row.equal) << row.a << " " << row.b;
}

}  // namespace
