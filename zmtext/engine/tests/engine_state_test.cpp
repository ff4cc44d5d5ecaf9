// The engine's string routines, its fixed buffers under long masks and full texts, the bounded
// selection properties, the insert-mode caret, persistence of the common properties and the
// reset to the defaults store.
#include <gtest/gtest.h>

#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/engine/tests/engine_test_app.h"
#include "zmtext/engine/tests/keystroke_script.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"

namespace zmtext::testing {
namespace {

// --- String routines ---------------------------------------------------------------------------

TEST(EngineStrings, FindCharInsertRemovePad) {
    EXPECT_EQ(ZMFindChar("*%#UL?", '#'), 3);
    EXPECT_EQ(ZMFindChar("*%#UL?", 'x'), 0);
    EXPECT_EQ(ZMFindChar("*%#UL?", '\0'), 0);

    struct InsertRow {
        std::string text;
        int at;
        std::string after;
        char result;
    };
    const InsertRow rows[] = {
        {"abc", 0, "xabc", 'x'}, {"abc", 3, "abcx", 'x'}, {"abc", 4, "abc", 0},
        {"abc", -1, "abc", 0},   {"", 0, "x", 'x'},
        {std::string(255, 'a'), 255, std::string(255, 'a') + "x", 'x'},
        // A full text takes nothing more: the old routine wrote past its buffer here.
        {std::string(256, 'a'), 0, std::string(256, 'a'), 0},
        {std::string(256, 'a'), 256, std::string(256, 'a'), 0},
    };
    for (const auto& row : rows) {
        std::string text = row.text;
        EXPECT_EQ(ZMInsertCharAt(text, row.at, 'x'), row.result) << row.text.size() << "@" << row.at;
        EXPECT_EQ(text, row.after);
    }
    std::string text = "abc";
    EXPECT_EQ(ZMRemoveCharAt(text, 1), 'b');
    EXPECT_EQ(text, "ac");
    EXPECT_EQ(ZMRemoveCharAt(text, 2), '\0');
    EXPECT_EQ(ZMRemoveCharAt(text, -1), '\0');
    ZMPadFront(text, 3, '0');
    EXPECT_EQ(text, "000ac");
    std::string full(255, 'a');
    ZMPadFront(full, 5, ' ');
    EXPECT_EQ(full.size(), 256u);
}

TEST(EngineStrings, CapitalizeBlobAndNumberText) {
    std::string words = "hello wORLD\t\xE1gua  x";   // "água"
    ZMCapitalizeWords(words);
    EXPECT_EQ(words, "Hello WORLD\t\xC1gua  X");

    const std::vector<std::uint8_t> blob{0, 0, 0, 0, 3, 0, 'A', 'B', 'C', 'D'};
    EXPECT_EQ(ZMBlobFromGlobal(blob), "ABC");
    const std::vector<std::uint8_t> lying{0, 0, 0, 0, 9, 0, 'A'};
    EXPECT_EQ(ZMBlobFromGlobal(lying), "") << "a length past the blob's end gives nothing";
    EXPECT_EQ(ZMBlobFromGlobal({}), "");

    struct NumberRow {
        const char* in;
        char decimal;
        const char* out;
    };
    for (const auto& row : {NumberRow{"(1.234,56)", ',', "-1234.56"}, NumberRow{"R$ 1,234.5e3", '.', "1234.5e3"},
                            NumberRow{"+7d2 x", '.', "+7d2"}}) {
        std::string text = row.in;
        ParseNumberText(text, row.decimal);
        EXPECT_EQ(text, row.out) << row.in;
    }
}

// --- Fixed buffers -------------------------------------------------------------------------------

TEST(EngineBuffers, MaskLongerThanTheBuffersIsCut) {
    EditTestField f;
    f.SetMask(std::string(300, '#'));
    f.Focus();
    EXPECT_EQ(f.GetDisplay().size(), 256u);
    RunScript(f, std::string(300, '7'));
    EXPECT_EQ(f.GetRawData(), std::string(256, '7'));
    EXPECT_EQ(f.GetCurPos(), 256);
}

TEST(EngineBuffers, InsertionIntoAFullTextDropsTheLastCharacter) {
    EditTestField f;
    f.SetData(std::string(256, 'a'));
    f.Focus();
    RunScript(f, "{Home}b");
    EXPECT_EQ(f.GetRawData().size(), 256u);
    EXPECT_EQ(f.GetRawData().substr(0, 2), "ba");
    RunScript(f, "{End}c");
    EXPECT_EQ(f.GetRawData().size(), 256u) << "no character goes past the buffers";
}

TEST(EngineBuffers, UndoCopyOfALongValueStaysInItsBlock) {
    EditTestField f;
    f.SetData(std::string(300, 'q'));
    f.Focus();
    EXPECT_EQ(f.undoCopy.Length(), 256);
    RunScript(f, "{Home}{Del}{^Z}");
    EXPECT_EQ(f.GetRawData(), std::string(256, 'q'));
    EXPECT_FALSE(f.IsFieldModified());
}

// --- Selection properties ------------------------------------------------------------------------

TEST(EngineSelection, SelStartAndSelLengthStayInsideTheText) {
    struct Row {
        int start, length;
        int selStart, selLength;
        const char* selText;
    };
    const Row rows[] = {
        {1, 2, 1, 2, "bc"},  {-5, 2, 0, 2, "ab"}, {400, 3, 5, 0, ""}, {2, 99, 2, 3, "cde"},
        {3, -4, 3, 0, ""},   {5, 1, 5, 0, ""},    {0, 5, 0, 5, "abcde"},
    };
    for (const auto& row : rows) {
        EditTestField f;
        f.SetData("abcde");
        f.Focus();
        f.SetSelStart(row.start);
        f.SetSelLength(row.length);
        EXPECT_EQ(f.GetSelStart(), row.selStart) << row.start << "," << row.length;
        EXPECT_EQ(f.GetSelLength(), row.selLength) << row.start << "," << row.length;
        EXPECT_EQ(f.GetSelText(), row.selText) << row.start << "," << row.length;
    }
}

TEST(EngineSelection, SelTextReplacesTheSelectionAndEndsAtTheCaret) {
    EditTestField f;
    f.SetMask("(###) %%%");
    f.SetData("123456");
    f.Focus();
    f.PutSelection(2, 4);
    EXPECT_EQ(f.GetSelText(), "23");
    f.events.clear();
    f.SetSelText("98");
    EXPECT_EQ(f.GetRawData(), "198456");
    EXPECT_EQ(f.GetHiAnchor(), f.GetCurPos());
    EXPECT_EQ(EditEvents(f), "Change;");
    f.PutSelection(0, 999);
    EXPECT_EQ(f.GetSelText(), "(198) 456") << "a selection end past the text is clipped";
}

// --- Insert mode and the caret -------------------------------------------------------------------

TEST(EngineCaret, InsertModeRecreatesTheCaretWhereItStands) {
    EditTestField f;
    f.SetData("abcd");
    f.Focus();
    RunScript(f, "{End}");
    const int x = f.caretX;
    ASSERT_GT(x, 2);
    struct Row {
        int mode;
        bool accepted;
        int width;
    };
    for (const auto& row : {Row{0, true, 6}, Row{1, true, 2}, Row{2, false, 2}, Row{-1, false, 2}}) {
        EXPECT_EQ(f.SetInsertMode(row.mode), row.accepted) << row.mode;
        EXPECT_EQ(f.caretWidth, row.width) << row.mode;
        EXPECT_EQ(f.caretX, x) << "the caret keeps its place (mode " << row.mode << ")";
        EXPECT_TRUE(f.caretShown);
    }
    RunScript(f, "{Ins}");
    EXPECT_FALSE(f.InsertMode());
    EXPECT_EQ(f.caretWidth, 6);
    EXPECT_EQ(f.caretX, x);
    f.Blur();
    const int creates = f.caretCreates;
    EXPECT_TRUE(f.SetInsertMode(1));
    EXPECT_EQ(f.caretCreates, creates) << "no caret without the focus";
}

// --- Values set by properties, cursor and navigation keys ---------------------------------------

TEST(EngineValues, SetTextFromValueAndSetValueChecked) {
    EditTestField f;
    f.SetMask("###");
    f.SetData("12");
    f.Focus();
    RunScript(f, "{End}{+Left}");
    f.events.clear();
    EXPECT_EQ(f.SetTextFromValue("12"), 1);
    EXPECT_TRUE(f.events.empty()) << "an unchanged value announces nothing";
    EXPECT_EQ(f.SetTextFromValue("987"), 2);
    EXPECT_EQ(f.GetRawData(), "987");
    EXPECT_EQ(f.GetHiAnchor(), f.GetHiNew()) << "the selection goes";
    EXPECT_EQ(f.GetCurPos(), 0);
    EXPECT_EQ(EditEvents(f), "Change;");
    EXPECT_TRUE(f.IsFieldModified());
    f.events.clear();
    EXPECT_FALSE(f.SetValueChecked("987"));
    EXPECT_TRUE(f.events.empty());
    f.Blur();
    EXPECT_TRUE(f.SetValueChecked("55"));
    EXPECT_EQ(f.GetCurPos(), 0);
    EXPECT_EQ(EditEvents(f), "Change;");
}

TEST(EngineCursor, MousePointerTable) {
    EngineTestApp();   // cursors are made by the GUI application
    struct Row {
        std::int16_t pointer;
        bool inClient;
        bool set;
        Qt::CursorShape shape;
    };
    const Row rows[] = {{0, true, false, Qt::BlankCursor},  {3, false, false, Qt::BlankCursor},
                        {1, true, true, Qt::ArrowCursor},   {2, true, true, Qt::CrossCursor},
                        {3, true, true, Qt::IBeamCursor},   {11, true, true, Qt::WaitCursor},
                        {13, true, false, Qt::BlankCursor}};   // 13 without an icon
    for (const auto& row : rows) {
        EditTestField f;
        f.SetMousePointer(row.pointer);
        EXPECT_EQ(f.OnSetCursor(row.inClient), row.set) << row.pointer;
        EXPECT_EQ(f.cursorShape, row.shape) << row.pointer;
    }
    for (int key = 0; key < 0x100; ++key) {
        const bool kept = (key >= 0x21 && key <= 0x28) || key == 0x2D || key == 0x2E;
        EXPECT_EQ(CZMEditEngine::PreTranslateKey(key), kept) << key;
    }
}

// --- Persistence -------------------------------------------------------------------------------

TEST(EnginePersistence, SavedFlagsComeBackAndPositionsAreReset) {
    EditTestField a;
    a.SetFlags(true, false, true);
    a.SetBorder(1, 2);
    a.SetDataProperty(1);
    a.SetMask("##-##");
    a.SetData("1234");
    a.Focus();
    RunScript(a, "{End}{+Left}");
    com::PropertyBag bag;
    auto save = com::PropExchange::ForSave(bag);
    a.ExchangeCommonProps(save);
    ASSERT_NE(bag.Read("CurPos"), nullptr);

    EditTestField b;
    auto load = com::PropExchange::ForLoad(bag);
    b.ExchangeCommonProps(load);
    EXPECT_EQ(b.Flags(), "AS0 BE2 BS1 RO1 EOL1 EB0 FS0 INS1 J0 HS1 MP3 DP1");
    EXPECT_EQ(b.MaskNow(), "##-##");
    EXPECT_EQ(b.GetRawData(), "1234");
    EXPECT_EQ(b.GetCurPos(), 0);
    EXPECT_EQ(b.GetHiAnchor(), 0);
    EXPECT_EQ(b.GetHiNew(), 0);
    EXPECT_EQ(b.CaretHeightNow(), 46);
    EXPECT_EQ(b.StartTextX(), 3) << "an effect puts the text 3 pixels in";
}

TEST(EnginePersistence, MissingValuesTakeTheirDefaults) {
    com::PropertyBag bag;
    bag.Write("CurPos", std::int32_t{9});
    EditTestField f;
    f.SetFlags(true, false, true);
    auto load = com::PropExchange::ForLoad(bag);
    f.ExchangeCommonProps(load);
    EXPECT_EQ(f.Flags(), "AS1 BE0 BS1 RO0 EOL0 EB0 FS0 INS1 J0 HS1 MP3 DP0");
    EXPECT_EQ(f.GetCurPos(), 0);
}

TEST(EnginePersistence, OldFormatFlagWordAndMaskBlob) {
    struct Row {
        unsigned word;
        const char* flags;
    };
    const Row rows[] = {
        {0x0030, "AS0 BE1 BS0 RO0 EOL0 EB0 FS0 INS0 J0 HS1 MP3 DP0"},   // effect bits 11 read as pop
        {0x0020, "AS0 BE2 BS0 RO0 EOL0 EB0 FS0 INS0 J0 HS1 MP3 DP0"},
        {0x0308, "AS1 BE0 BS0 RO0 EOL1 EB0 FS0 INS1 J0 HS1 MP3 DP0"},
        {0xF002, "AS0 BE0 BS1 RO1 EOL0 EB1 FS1 INS0 J2 HS1 MP3 DP0"},
    };
    {
        // A flag block too short for its word changes nothing.
        com::PropertyBag bag;
        bag.oldFormat = true;
        bag.Write("Justification", com::Blob{{0, 0, 0, 0, 70, 0, 0xFF}});
        EditTestField f;
        auto load = com::PropExchange::ForLoad(bag);
        f.ExchangeCommonProps(load);
        EXPECT_EQ(f.Flags(), "AS1 BE0 BS1 RO0 EOL0 EB0 FS0 INS1 J0 HS1 MP3 DP0");
    }
    for (const auto& row : rows) {
        com::PropertyBag bag;
        bag.oldFormat = true;
        bag.Write("Mask", com::Blob{{0, 0, 0, 0, 3, 0, '#', '-', '#'}});
        bag.Write("Justification", com::Blob{{0, 0, 0, 0, 70, 0, static_cast<std::uint8_t>(row.word & 0xFF),
                                              static_cast<std::uint8_t>(row.word >> 8)}});
        EditTestField f;
        auto load = com::PropExchange::ForLoad(bag);
        f.ExchangeCommonProps(load);
        EXPECT_EQ(f.Flags(), row.flags) << std::hex << row.word;
        EXPECT_EQ(f.MaskNow(), "#-#");
        EXPECT_EQ(f.importedFlags.bytes.size(), 8u) << "the control gets the whole block";
    }
}

TEST(EnginePersistence, DamagedMouseIconLoadsAsEmpty) {
    com::PropertyBag bag;
    bag.Write("MouseIcon", std::string("not a picture"));
    EditTestField f;
    f.SetMouseIcon({com::PictureType::Icon, {1, 2, 3}});
    auto load = com::PropExchange::ForLoad(bag);
    f.ExchangeCommonProps(load);
    EXPECT_EQ(f.MouseIconNow().type, com::PictureType::None);
}

// --- Reset to defaults -------------------------------------------------------------------------

class EngineDefaults : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app_.InitInstance()); }
    CZMDefaultsStore& Store() { return *ZMDefaults(); }

    win::testing::TempMachineRoot root_;
    CZMTextApp app_;
};

TEST_F(EngineDefaults, StyleFlagsWhenThereIsNoErrorBeepKey) {
    ASSERT_TRUE(Store().WriteInt(kKindText, 242, 0x0308));
    EditTestField f;
    f.SetFlags(true, false, false);
    f.ResetCommonDefaults();
    EXPECT_EQ(f.Flags(), "AS1 BE0 BS0 RO0 EOL1 EB0 FS0 INS1 J0 HS1 MP3 DP2");
}

TEST_F(EngineDefaults, SeparateKeysWinOverStyleFlags) {
    ASSERT_TRUE(Store().WriteInt(kKindText, 242, 0x0308));
    ASSERT_TRUE(Store().WriteInt(kKindText, 124, 1));   // ErrorBeep
    ASSERT_TRUE(Store().WriteInt(kKindText, 127, 2));   // Justification
    ASSERT_TRUE(Store().WriteInt(kKindText, 121, 1));   // DataProperty
    ASSERT_TRUE(Store().WriteLong(kKindText, 116, 0x00C0C0FF));
    EditTestField f;
    f.ResetCommonDefaults();
    EXPECT_EQ(f.Flags(), "AS1 BE0 BS1 RO0 EOL0 EB1 FS0 INS1 J2 HS1 MP3 DP1");
    EXPECT_EQ(f.backColor, 0x00C0C0FFu);
    EXPECT_EQ(f.foreColor, 0x80000008u);
}

TEST_F(EngineDefaults, BuiltInValuesByKindAndTheFont) {
    struct Row {
        ZMControlKind kind;
        const char* flags;
    };
    for (const auto& row : {Row{ZMControlKind::Text, "AS1 BE0 BS1 RO0 EOL0 EB0 FS0 INS1 J0 HS1 MP3 DP2"},
                            Row{ZMControlKind::Date, "AS1 BE0 BS1 RO0 EOL0 EB0 FS0 INS1 J1 HS1 MP3 DP2"},
                            Row{ZMControlKind::Currency, "AS1 BE0 BS1 RO0 EOL0 EB0 FS0 INS1 J2 HS1 MP3 DP2"}}) {
        EditTestField f;
        f.SetKind(row.kind);
        f.SetData("x");
        f.ResetCommonDefaults();
        EXPECT_EQ(f.Flags(), row.flags) << ZMKindIndex(row.kind);
        EXPECT_EQ(f.GetRawData(), "");
        EXPECT_EQ(f.font.name, "MS Sans Serif");
        EXPECT_EQ(f.font.size.scaled, 80000);
    }
    ASSERT_TRUE(Store().WriteString(kKindText, 230, "9.75"));
    ASSERT_TRUE(Store().WriteString(kKindText, 229, "Arial"));
    ASSERT_TRUE(Store().WriteInt(kKindText, 231, 1));
    EditTestField f;
    f.ResetCommonDefaults();
    EXPECT_EQ(f.font.size.scaled, 97500) << "9.75 points reach the font as the currency 9.75";
    EXPECT_EQ(f.font.name, "Arial");
    EXPECT_TRUE(f.font.bold);
}

}  // namespace
}  // namespace zmtext::testing
