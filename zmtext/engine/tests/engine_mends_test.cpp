// Password fields, the caret hook after a click, the one style-flag decoder and the texts the
// engine takes from the library's string table.
#include <gtest/gtest.h>

#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/engine/tests/engine_test_app.h"
#include "zmtext/engine/tests/keystroke_script.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"

namespace zmtext::testing {
namespace {

// --- Password character ------------------------------------------------------------------------

TEST(EnginePassword, OneStarPerDataCharacterAndTypingAsInAnyField) {
    struct Row {
        const char* mask;
        int maxLength;
        const char* script;
        const char* raw;
        const char* display;
        int caret;
    };
    const Row rows[] = {
        {"", 256, "", "", "", 0},
        {"", 256, "abc", "abc", "***", 3},
        {"", 256, "abc{Home}{Del}{End}d", "bcd", "***", 3},
        {"", 8, "abc", "abc", "***_____", 3},
        {"##-##", 256, "", "", "__-__", 0},
        {"##-##", 256, "123", "123", "**-*_", 4},
        {"##-##", 256, "123{Bksp}{End}", "12", "**-__", 2},
    };
    for (const Row& row : rows) {
        EditTestField f;
        f.SetMask(row.mask);
        f.maxLength = row.maxLength;
        f.passwordChar = '*';
        f.Focus();
        RunScript(f, row.script);
        EXPECT_EQ(f.GetRawData(), row.raw) << row.mask << " " << row.script;
        EXPECT_EQ(f.GetDisplay(), row.display) << row.mask << " " << row.script;
        EXPECT_EQ(f.GetCurPos(), row.caret) << row.mask << " " << row.script;
    }
}

// --- The caret hook after a click ----------------------------------------------------------------

// A field whose own rule sends the caret to the end of the data after every click.
class CaretToEndField : public EditTestField {
public:
    int snaps = 0;
    void SnapCaretToData() override {
        ++snaps;
        CurPos = EndOfData();
    }
};

TEST(EngineMouse, ButtonUpRunsTheKindsOwnCaretRule) {
    CaretToEndField f;
    f.SetData("abcdef");
    f.Focus();
    f.HandleLButtonDown(ctl::MK_LBUTTON, QPoint(2 + 8 * 2, 5));
    ASSERT_EQ(f.GetCurPos(), 2);
    f.capture = true;
    f.HandleLButtonUp();
    EXPECT_EQ(f.snaps, 1);
    EXPECT_EQ(f.GetCurPos(), 6);

    // A kind without a rule of its own leaves the caret where the click put it.
    EditTestField date;
    date.SetKind(ZMControlKind::Date);
    date.SetMask("##/##");
    date.Focus();
    date.HandleLButtonDown(ctl::MK_LBUTTON, QPoint(0, 5));
    date.capture = true;
    date.HandleLButtonUp();
    EXPECT_EQ(date.GetCurPos(), 0);
}

// --- Style flags ---------------------------------------------------------------------------------

TEST(EngineStyleFlags, OneDecoderForTheOldFormatAndTheDefaultsFile) {
    struct Row {
        unsigned word;
        std::int16_t justification, effect, style;
        bool eol, autoScroll, insert, modified, focusSelect, readOnly, errorBeep;
    };
    const Row rows[] = {
        {0x0000, 0, 0, 0, false, false, false, false, false, false, false},
        {0x0308, 0, 0, 0, true, true, true, false, false, false, false},
        {0x0010, 0, 1, 0, false, false, false, false, false, false, false},
        {0x0020, 0, 2, 0, false, false, false, false, false, false, false},
        {0x0030, 0, 1, 0, false, false, false, false, false, false, false},   // 3 reads as pop
        {0xF403, 3, 0, 1, false, false, false, true, true, true, true},
        {0x0002, 2, 0, 0, false, false, false, false, false, false, false},
    };
    for (const Row& r : rows) {
        const ZMStyleFlags f = ZMDecodeStyleFlags(r.word);
        EXPECT_EQ(f.justification, r.justification) << std::hex << r.word;
        EXPECT_EQ(f.borderEffect, r.effect) << std::hex << r.word;
        EXPECT_EQ(f.borderStyle, r.style) << std::hex << r.word;
        EXPECT_EQ(f.eolTab, r.eol) << std::hex << r.word;
        EXPECT_EQ(f.autoScroll, r.autoScroll) << std::hex << r.word;
        EXPECT_EQ(f.insert, r.insert) << std::hex << r.word;
        EXPECT_EQ(f.modified, r.modified) << std::hex << r.word;
        EXPECT_EQ(f.focusSelect, r.focusSelect) << std::hex << r.word;
        EXPECT_EQ(f.readOnly, r.readOnly) << std::hex << r.word;
        EXPECT_EQ(f.errorBeep, r.errorBeep) << std::hex << r.word;
    }
}

TEST(EngineStyleFlags, DefaultsFileEffectThreeReadsAsPopAsTheOldFormatDoes) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    ASSERT_TRUE(ZMDefaults()->WriteInt(0, 242, 0x0730));   // effect bits 11, Modified bit set
    EditTestField fromDefaults;
    fromDefaults.ResetCommonDefaults();
    EXPECT_EQ(fromDefaults.Flags(), "AS1 BE1 BS0 RO0 EOL0 EB0 FS0 INS1 J0 HS1 MP3 DP2");
    EXPECT_FALSE(fromDefaults.IsFieldModified()) << "the defaults never mark a field modified";

    com::PropertyBag bag;
    bag.oldFormat = true;
    bag.Write("Justification", com::Blob{{0, 0, 0, 0, 70, 0, 0x30, 0x07}});
    EditTestField loaded;
    auto px = com::PropExchange::ForLoad(bag);
    loaded.ExchangeCommonProps(px);
    EXPECT_EQ(loaded.Flags().substr(0, 8), fromDefaults.Flags().substr(0, 8));
    EXPECT_TRUE(loaded.IsFieldModified());
}

// --- 8-bit case tables ----------------------------------------------------------------------------

TEST(EngineCase, SignsAndLettersWithoutAPartnerStayAsTheyAre) {
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const bool upperPair = (b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE && b != 0xD7);
        const bool lowerPair = (b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7);
        EXPECT_EQ(static_cast<unsigned char>(ZMLower8(c)), upperPair ? b + 32 : b) << b;
        EXPECT_EQ(static_cast<unsigned char>(ZMUpper8(c)), lowerPair ? b - 32 : b) << b;
    }
    // The Portuguese letters keep their pairs.
    for (const auto& [lower, upper] : {std::pair{'\xE7', '\xC7'}, std::pair{'\xE3', '\xC3'},
                                       std::pair{'\xF5', '\xD5'}, std::pair{'\xE9', '\xC9'}}) {
        EXPECT_EQ(ZMUpper8(lower), upper);
        EXPECT_EQ(ZMLower8(upper), lower);
    }
    std::string words = "\xF7x \xFF \xDF";
    ZMCapitalizeWords(words);
    EXPECT_EQ(words, "\xF7x \xFF \xDF");
}

// --- Texts from the string table -----------------------------------------------------------------

TEST(EngineTexts, PropertyErrorTextsUnderTheirNumbers) {
    const std::pair<int, const char*> rows[] = {
        {136, "AutoScroll must be either True or False"},
        {137, "BorderEffect must be 0-None, 1-Pop, or 2-Drop"},
        {138, "DataProperty must be 0-Text, 1-Raw, or 2-Value"},
        {139, "ReadOnly/DisplayOnly must be either True or False"},
        {140, "EOLTab must be either True or False"},
        {141, "ErrorBeep must be either True or False"},
        {142, "FocusSelect must be either True or False"},
        {143, "Insert must be either True or False"},
        {144, "Justification must be 0-Left, 1-Center, or 2-Right"},
        {145, "BorderStyle must be either 0-None, or 1-Fixed Single"},
        {146, "Characters must be a valid combination of the Character Flags"},
        {147, "Invalid RawData Value"},
        {148, "MaxLength/MaxCharacters  must be an integer from 0 to 255"},
        {149, "Modified must be either True or False"},
        {180, "DataProperty must be either 0-Text, or 1-Raw"},
        {182, "The UseFillChar/UseUnderline property must be either True or False"},
        {184, "HideSelection must be either True or False"},
        {185, "The MouseIcon property must be an Icon (not a bitmap or metafile)"},
        {186, "The MousePointer property must be a number from 0 to 13"},
        {223, "Alignment must be 0-Left, 1-Center, or 2-Right"},
        {224, "ChiselText must be 0-None, 1-Inset, or 2-Raised"},
        {225, "LabelStyle must be 0-Label, 1-Horz Bump, or 2-Vert Bump"},
        {226, "WordWrap must be either True or False"},
        {227, "BackgroundStyle must be 0-Transparent, 1-Normal, or 2-Texture"},
        {244, "DataChanged must be either True or False"},
    };
    for (const auto& [id, text] : rows) EXPECT_EQ(ZMLoadString(id), text) << id;
}

TEST(EngineTexts, ContextMenuComesFromTheStringTable) {
    const auto& items = ZMEditMenuItems();
    ASSERT_EQ(items.size(), 8u);
    const std::pair<int, const char*> expected[] = {{ID_EDIT_UNDO, "&Undo"}, {0, ""},
                                                    {ID_EDIT_CUT, "Cu&t"}, {ID_EDIT_COPY, "&Copy"},
                                                    {ID_EDIT_PASTE, "&Paste"}, {ID_EDIT_CLEAR, "&Delete"},
                                                    {0, ""}, {ID_EDIT_SELECT_ALL, "Select &All"}};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].command, expected[i].first) << i;
        EXPECT_EQ(items[i].text, expected[i].second) << i;
        if (items[i].command != 0) {
            EXPECT_EQ(ZMLoadString(items[i].command), items[i].text);
        }
    }
    EngineTestApp();   // a cursor is made only with a GUI application
    EXPECT_TRUE(ZMResources().Cursor("IDC_NODROP").has_value());
}

}  // namespace
}  // namespace zmtext::testing
