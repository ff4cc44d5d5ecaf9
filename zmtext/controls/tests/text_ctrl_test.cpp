// The masked text field: its members at their DISPIDs, the setters' errors, its defaults (built
// in and from the defaults store), masks and character classes as typed through its window,
// password fields, validation on leaving, and persistence in the current and the old format.
#include "zmtext/controls/tests/text_test_support.h"

#include <set>

#include "platform/ctl/font_picture.h"
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/zmtextlib.h"

namespace zmtext::testing {
namespace {

using com::Variant;

// --- Members and their numbers -------------------------------------------------------------------

TEST(TextMembers, EveryMemberAtItsDispId) {
    const std::pair<const char*, com::DispId> rows[] = {
        {"ValidateMask", 1}, {"DataSource", 2}, {"FontName", 3}, {"FontBold", 4}, {"FontItalic", 5},
        {"FontUnderline", 6}, {"FontStrikeThru", 7}, {"CharacterTable", 8}, {"Mask", 9}, {"SelText", 10},
        {"SelLength", 11}, {"SelStart", 12}, {"AutoScroll", 13}, {"BorderEffect", 14}, {"DataProperty", 15},
        {"DisplayOnly", 16}, {"EOLTab", 17}, {"ErrorBeep", 18}, {"FillChar", 19}, {"FocusSelect", 20},
        {"Insert", 21}, {"Justification", 22}, {"RawData", 23}, {"PWCharacter", 24}, {"FontSize", 25},
        {"MaxCharacters", 26}, {"Characters", 27}, {"Modified", 28}, {"UseUnderline", 29},
        {"UseFillChar", 30}, {"MaxLength", 31}, {"PasswordChar", 32}, {"ReadOnly", 33},
        {"HideSelection", 34}, {"MouseIcon", 35}, {"MousePointer", 36}, {"HdnHeight", 37},
        {"HdnWidth", 38}, {"HdnDataPropCount", 39}, {"ToolTip", 40}, {"DataField", 41},
        {"DataChanged", 42}, {"Text", -517}, {"_Text", 0}, {"BorderStyle", -504}, {"BackColor", -501},
        {"ForeColor", -513}, {"Enabled", -514}, {"hWnd", -515}, {"Font", -512}, {"AboutBox", -552},
    };
    const com::DispatchMap& map = CZMTextCtrl::DispatchMembers();
    EXPECT_EQ(map.Members().size(), std::size(rows));
    for (const auto& [name, id] : rows) {
        com::DispId found = 99999;
        EXPECT_EQ(map.GetIDsOfNames(name, &found), com::S_OK) << name;
        EXPECT_EQ(found, id) << name;
    }
    const std::pair<const char*, com::DispId> events[] = {
        {"Change", 1}, {"EndOfLine", 2}, {"InvalidKey", 3}, {"Invalid", 4}, {"Click", -600},
        {"DblClick", -601}, {"KeyDown", -602}, {"KeyPress", -603}, {"KeyUp", -604},
        {"MouseDown", -605}, {"MouseMove", -606}, {"MouseUp", -607}};
    const auto listed = CZMTextCtrl::EventMembers();
    ASSERT_EQ(listed.size(), std::size(events));
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].name, events[i].first);
        EXPECT_EQ(listed[i].id, events[i].second);
    }
}

TEST(TextMembers, TheLibrarysTypeLibraryListsTheFieldsClassAndInterfaces) {
    const com::TypeLibraryData& lib = ZMTextLib();
    const com::TypeInfoData* coclass = lib.Find("sitxEdit");
    ASSERT_NE(coclass, nullptr);
    EXPECT_EQ(coclass->kind, com::TypeKind::Coclass);
    EXPECT_EQ(coclass->guid, com::Guid::FromString("{A5CC20A3-B5F5-11CD-98EC-0020AF234C9D}"));
    EXPECT_EQ(coclass->defaultInterface, com::Guid::FromString("{A5CC20A4-B5F5-11CD-98EC-0020AF234C9D}"));
    EXPECT_EQ(coclass->eventInterface, com::Guid::FromString("{A5CC20A5-B5F5-11CD-98EC-0020AF234C9D}"));
    EXPECT_EQ(coclass->helpString, "Halvern Text Control");
    const com::TypeInfoData* dispatch = lib.Find("_DZMText");
    ASSERT_NE(dispatch, nullptr);
    EXPECT_EQ(dispatch->funcs.size(), CZMTextCtrl::DispatchMembers().Members().size());
    const com::TypeInfoData* events = lib.Find("_DZMTextEvents");
    ASSERT_NE(events, nullptr);
    ASSERT_EQ(events->funcs.size(), 12u);
    EXPECT_EQ(events->funcs[3].name, "Invalid");
}

// --- Setter errors ---------------------------------------------------------------------------------

TEST_F(TextControlTest, RefusedValuesRaiseTheirTextAndHelpContextAndChangeNothing) {
    struct Row {
        const char* property;
        Variant bad;
        com::HResult scode;
        const char* text;
        std::int32_t context;
    };
    const Row rows[] = {
        {"AutoScroll", Variant::I2(2), com::CTL_E_INVALIDPROPERTYVALUE, "AutoScroll must be either True or False", -391876},
        {"BorderEffect", Variant::I2(3), com::CTL_E_INVALIDPROPERTYVALUE, "BorderEffect must be 0-None, 1-Pop, or 2-Drop", -391874},
        {"DataProperty", Variant::I2(2), com::CTL_E_INVALIDPROPERTYVALUE, "DataProperty must be either 0-Text, or 1-Raw", -391867},
        {"DisplayOnly", Variant::I2(-1), com::CTL_E_INVALIDPROPERTYVALUE, "ReadOnly/DisplayOnly must be either True or False", -391865},
        {"EOLTab", Variant::I2(5), com::CTL_E_INVALIDPROPERTYVALUE, "EOLTab must be either True or False", -391860},
        {"ErrorBeep", Variant::I2(5), com::CTL_E_INVALIDPROPERTYVALUE, "ErrorBeep must be either True or False", -391859},
        {"FocusSelect", Variant::I2(5), com::CTL_E_INVALIDPROPERTYVALUE, "FocusSelect must be either True or False", -391857},
        {"Insert", Variant::I2(5), com::CTL_E_INVALIDPROPERTYVALUE, "Insert must be either True or False", -391841},
        {"Justification", Variant::I2(3), com::CTL_E_INVALIDPROPERTYVALUE, "Justification must be 0-Left, 1-Center, or 2-Right", -391840},
        {"MaxCharacters", Variant::I2(256), com::CTL_E_INVALIDPROPERTYVALUE, "MaxLength/MaxCharacters  must be an integer from 0 to 255", -391837},
        {"MaxLength", Variant::I2(-1), com::CTL_E_INVALIDPROPERTYVALUE, "MaxLength/MaxCharacters  must be an integer from 0 to 255", -391837},
        {"Characters", Variant::I2(64), com::CTL_E_INVALIDPROPERTYVALUE, "Characters must be a valid combination of the Character Flags", -391872},
        {"Characters", Variant::I2(-2), com::CTL_E_INVALIDPROPERTYVALUE, "Characters must be a valid combination of the Character Flags", -391872},
        {"Modified", Variant::I2(2), com::CTL_E_INVALIDPROPERTYVALUE, "Modified must be either True or False", -391835},
        {"UseUnderline", Variant::I2(2), com::CTL_E_INVALIDPROPERTYVALUE, "The UseFillChar/UseUnderline property must be either True or False", -391813},
        {"UseFillChar", Variant::I2(2), com::CTL_E_INVALIDPROPERTYVALUE, "The UseFillChar/UseUnderline property must be either True or False", -391813},
        {"ReadOnly", Variant::I2(2), com::CTL_E_INVALIDPROPERTYVALUE, "ReadOnly/DisplayOnly must be either True or False", -1},
        {"HideSelection", Variant::I2(2), com::CTL_E_INVALIDPROPERTYVALUE, "HideSelection must be either True or False", -1},
        {"MousePointer", Variant::I2(14), com::CTL_E_INVALIDPROPERTYVALUE, "The MousePointer property must be a number from 0 to 13", -1},
        {"BorderStyle", Variant::I2(2), com::CTL_E_INVALIDPROPERTYVALUE, "BorderStyle must be either 0-None, or 1-Fixed Single", -1},
        {"DataChanged", Variant::I2(3), com::CTL_E_INVALIDPROPERTYVALUE, "DataChanged must be either True or False", -1},
        {"MouseIcon", Variant::Dispatch(com::ComPtr<com::IDispatch>(ctl::PictureObject::Create(com::PictureData{com::PictureType::Bitmap, {1}}).Get())),
         com::CTL_E_INVALIDPICTURE, "The MouseIcon property must be an Icon (not a bitmap or metafile)", -1},
    };
    auto c = Add("Txt");
    for (const Row& row : rows) {
        const std::string before = Shown(GetProperty(c.Get(), row.property));
        const CallResult r = PutProperty(c.Get(), row.property, row.bad);
        EXPECT_EQ(r.hr, com::DISP_E_EXCEPTION) << row.property;
        EXPECT_EQ(r.excep.scode, row.scode) << row.property;
        EXPECT_EQ(r.excep.description, row.text) << row.property;
        EXPECT_EQ(r.excep.helpContext, static_cast<std::uint32_t>(row.context)) << row.property;
        EXPECT_EQ(Shown(GetProperty(c.Get(), row.property)), before) << row.property << " kept its value";
    }
    // The hidden sizes and the count cannot be set.
    for (const char* name : {"HdnHeight", "HdnWidth", "HdnDataPropCount"})
        EXPECT_EQ(PutProperty(c.Get(), name, Variant::I2(1)).excep.scode, com::CTL_E_SETNOTSUPPORTED) << name;
    // True and False from a host, 0 and 1 as numbers, are all accepted.
    for (const Variant& ok : {Variant::Bool(true), Variant::Bool(false), Variant::I2(1), Variant::I4(0)})
        EXPECT_EQ(PutProperty(c.Get(), "EOLTab", ok).hr, com::S_OK);
}

// --- Defaults --------------------------------------------------------------------------------------

struct DefaultRow {
    const char* property;
    const char* value;
};

void ExpectValues(CZMTextCtrl& c, std::initializer_list<DefaultRow> rows) {
    for (const DefaultRow& row : rows) EXPECT_EQ(Shown(GetProperty(&c, row.property)), row.value) << row.property;
}

TEST_F(TextControlTest, ANewFieldShowsItsNameAndTheBuiltInDefaults) {
    auto c = Add("ZmNome");
    ExpectValues(*c, {{"RawData", "ZmNome"}, {"Text", "ZmNome"}, {"ValidateMask", "True"}, {"Characters", "-1"},
                      {"MaxLength", "0"}, {"MaxCharacters", "0"}, {"FillChar", "_"}, {"PasswordChar", ""},
                      {"PWCharacter", ""}, {"UseFillChar", "True"}, {"UseUnderline", "True"},
                      {"DataProperty", "0"}, {"BorderStyle", "1"}, {"BorderEffect", "0"}, {"MousePointer", "3"},
                      {"Insert", "True"}, {"AutoScroll", "True"}, {"HideSelection", "True"}, {"ReadOnly", "False"},
                      {"Justification", "0"}, {"Mask", ""}, {"CharacterTable", ""}, {"ToolTip", ""},
                      {"DataField", ""}, {"HdnDataPropCount", "2"}, {"DataChanged", "False"},
                      {"BackColor", "-2147483643"}, {"ForeColor", "-2147483640"}, {"FontName", "MS Sans Serif"},
                      {"FontSize", "8"}});
}

TEST_F(TextControlTest, ResetReadsTheTextSectionOfTheDefaultsStore) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    CZMDefaultsStore& store = *ZMDefaults();
    const std::pair<int, const char*> keys[] = {
        {121, "2"},  // DataProperty Value: the text field binds Text or RawData only
        {128, "6"}, {129, "xyz"}, {130, "###"}, {131, "0"}, {132, "0"}, {133, "0"}, {134, "*-"}, {135, "#"},
        {235, "30"}, {236, "150"}};
    for (const auto& [key, value] : keys) ASSERT_TRUE(store.WriteString(0, key, value));
    auto c = Add("Txt");
    ExpectValues(*c, {{"DataProperty", "1"}, {"Characters", "6"}, {"CharacterTable", "xyz"}, {"Mask", "###"},
                      {"MaxLength", "0"}, {"UseFillChar", "False"}, {"ValidateMask", "False"}, {"FillChar", "*"},
                      {"PasswordChar", "#"}});
    EXPECT_EQ(CZMTextCtrl::Create()->GetControlSize(), QSize(150, 30)) << "a new control's size";

    for (const char* bad : {"-5", "99"}) {
        ASSERT_TRUE(store.WriteString(0, 121, bad));
        ASSERT_TRUE(store.WriteString(0, 128, "-7"));
        auto d = Add(std::string("Bad") + bad, 1);
        EXPECT_EQ(Shown(GetProperty(d.Get(), "DataProperty")), bad[0] == '-' ? "0" : "1");
        EXPECT_EQ(Shown(GetProperty(d.Get(), "Characters")), "-1") << "an impossible class set means any character";
    }
}

// --- Masks and character classes as typed ----------------------------------------------------------

TEST_F(TextControlTest, TypingThroughTheWindowFollowsTheMaskAndTheCharacterClasses) {
    struct Row {
        const char* mask;
        int characters;
        const char* table;
        const char* typed;
        const char* raw;
        const char* text;
        int invalidKeys;
    };
    const Row rows[] = {
        {"(###) %%%-%%%%", -1, "", "", "", "(___) ___-____", 0},
        {"(###) %%%-%%%%", -1, "", "5", "5", "(5__) ___-____", 0},
        {"(###) %%%-%%%%", -1, "", "12 45x", "12 45", "(12 ) 45_-____", 1},
        {"\\##", -1, "", "7", "7", "#7", 0},
        {"UUU", -1, "", "a\xE7\xFF", "A\xC7\xFF", "A\xC7\xFF", 0},
        {"LLL", -1, "", "B\xC7\xDF", "b\xE7\xDF", "b\xE7\xDF", 0},
        {"U", -1, "", "\xB5", "", "_", 1},
        {"??", -1, "ab", "xab", "ab", "ab", 1},
        {"", 4, "", "ab\xE7", "AB\xC7", "AB\xC7", 0},
        {"", 6, "", "a-b", "AB", "AB", 1},
        {"", 1 | 2, "", "1 a", "1 ", "1 ", 1},
        {"", -1, "abc", "axb", "ab", "ab", 1},
        {"", 16, "", "jo\xE3o da", "Jo\xE3o Da", "Jo\xE3o Da", 0},
        {"", 32, "$", "$a", "$", "$", 1},
    };
    Show();
    int row = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.mask) + " / " + r.typed);
        auto c = Add("F" + std::to_string(row), 0);
        Put(*c, "RawData", S(""));
        Put(*c, "Mask", S(r.mask));
        Put(*c, "Characters", Variant::I2(static_cast<std::int16_t>(r.characters)));
        Put(*c, "CharacterTable", Variant::Utf8(win::Cp1252ToUtf8(r.table)));
        Focus(row);
        events_.clear();
        Type(row, r.typed);
        EXPECT_EQ(win::Utf8ToCp1252(Raw(*c)), r.raw);
        EXPECT_EQ(win::Utf8ToCp1252(Text(*c)), r.text);
        EXPECT_EQ(std::count(events_.begin(), events_.end(), "F" + std::to_string(row) + ":3"), r.invalidKeys);
        ++row;
    }
}

TEST_F(TextControlTest, AMaskThePresentDataDoesNotFitClearsIt) {
    auto c = Add("Txt");
    Put(*c, "RawData", S("12ab"));
    Put(*c, "Mask", S("####"));
    EXPECT_EQ(Raw(*c), "");
    EXPECT_EQ(Text(*c), "____");
    EXPECT_EQ(Shown(GetProperty(c.Get(), "MaxLength")), "4");
    Put(*c, "RawData", S("12"));
    Put(*c, "Mask", S("%%-%%"));
    EXPECT_EQ(Raw(*c), "12") << "data that fits stays";
    Put(*c, "Mask", S(""));
    EXPECT_EQ(Shown(GetProperty(c.Get(), "MaxLength")), "0");
    EXPECT_EQ(Text(*c), "12");
    // An escape with nothing after it fails every check; an escaped escape is a literal.
    Put(*c, "Mask", S("##\\\\"));
    EXPECT_EQ(Raw(*c), "12");
    EXPECT_EQ(Text(*c), "12\\");
    Put(*c, "Mask", S("##\\"));
    EXPECT_EQ(Raw(*c), "");
}

TEST_F(TextControlTest, MaxLengthZeroMeansNoLimit) {
    Show();
    auto c = Add("Txt");
    Put(*c, "RawData", S(""));
    Put(*c, "MaxLength", Variant::I2(0));
    EXPECT_EQ(Shown(GetProperty(c.Get(), "MaxLength")), "0");
    Focus(0);
    Type(0, std::string(300, 'x'));
    EXPECT_EQ(Raw(*c).size(), 256u);
    Put(*c, "RawData", S(""));
    Put(*c, "MaxLength", Variant::I2(3));
    Type(0, "abcd");
    EXPECT_EQ(Raw(*c), "abc");
}

TEST_F(TextControlTest, PasswordFieldDrawsStarsButTextAndRawDataAreTheData) {
    Show();
    auto c = Add("Senha");
    Put(*c, "RawData", S(""));
    Put(*c, "PasswordChar", S("*"));
    Focus(0);
    Type(0, "abc");
    EXPECT_EQ(Raw(*c), "abc");
    EXPECT_EQ(Text(*c), "abc");
    EXPECT_EQ(c->GetDisplay(), "***");
    EXPECT_EQ(c->GetCurPos(), 3);
    Key(0, Qt::Key_Home);
    Type(0, "x");
    EXPECT_EQ(Raw(*c), "xabc");
    c->CopyText();
    EXPECT_EQ(c->GetDisplay(), "****") << "the field without the focus draws stars too";
}

TEST_F(TextControlTest, LeavingAnIncompleteMaskedFieldFiresInvalidWithTheNextWindow) {
    Show();
    auto a = Add("A", 0);
    auto b = Add("B", 1);
    Put(*a, "RawData", S(""));
    Put(*a, "Mask", S("###"));
    Focus(0);
    Type(0, "12");
    events_.clear();
    Focus(1);
    const std::string expected = "A:4(" + std::to_string(ctl::HandleOfWidget(sites_[1]->Widget())) + ")";
    EXPECT_NE(std::find(events_.begin(), events_.end(), expected), events_.end());
    EXPECT_EQ(Raw(*a), "12") << "the data stays as it is";

    Put(*a, "ValidateMask", Variant::Bool(false));
    Focus(0);
    events_.clear();
    Focus(1);
    EXPECT_EQ(std::count_if(events_.begin(), events_.end(), [](const std::string& e) { return e.rfind("A:4", 0) == 0; }), 0);
}

TEST_F(TextControlTest, AClickBeforeTheFirstPlaceholderPutsTheCaretOnIt) {
    Show();
    auto c = Add("Tel");
    Put(*c, "RawData", S(""));
    Put(*c, "Mask", S("(###)"));
    Focus(0);
    QWidget* w = sites_[0]->Widget();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 5), w->mapToGlobal(QPointF(1, 5)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(1, 5), w->mapToGlobal(QPointF(1, 5)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
    EXPECT_EQ(c->GetCurPos(), 1);
}

// --- Persistence -----------------------------------------------------------------------------------

TEST_F(TextControlTest, SavedPropertiesLoadBackEqual) {
    auto c = Add("Txt");
    const std::pair<const char*, Variant> values[] = {
        {"Mask", S("UU-%%")}, {"RawData", S("AB12")}, {"CharacterTable", S("xy")}, {"FillChar", S("#")},
        {"PasswordChar", S("*")}, {"Characters", Variant::I2(12)}, {"UseFillChar", Variant::Bool(false)},
        {"ValidateMask", Variant::Bool(false)}, {"BorderStyle", Variant::I2(0)}, {"BorderEffect", Variant::I2(2)},
        {"DataProperty", Variant::I2(1)}, {"ReadOnly", Variant::Bool(true)}, {"EOLTab", Variant::Bool(true)},
        {"ErrorBeep", Variant::Bool(true)}, {"FocusSelect", Variant::Bool(true)}, {"Insert", Variant::Bool(false)},
        {"Justification", Variant::I2(2)}, {"MousePointer", Variant::I2(11)}, {"HideSelection", Variant::Bool(false)},
        {"AutoScroll", Variant::Bool(false)}, {"ToolTip", S("Dica")}, {"DataField", S("Nome")},
        {"BackColor", Variant::I4(0xC0C0C0)}, {"FontName", S("Arial")}, {"FontBold", Variant::Bool(true)},
    };
    for (const auto& [name, value] : values) Put(*c, name, value);
    com::PropertyBag bag;
    ASSERT_EQ(c->SaveProperties(&bag, true), com::S_OK);
    EXPECT_EQ(bag.version, 0x00040001u);
    auto d = Add("Copy", 1, &bag);
    for (const auto& [name, value] : values)
        EXPECT_EQ(Shown(GetProperty(d.Get(), name)), Shown(GetProperty(c.Get(), name))) << name;
    EXPECT_EQ(Text(*d), "AB-12");
    EXPECT_EQ(Shown(GetProperty(d.Get(), "DataChanged")), "False");
    // Saved again, the set is the same but for the editing positions, which a load resets.
    com::PropertyBag again;
    ASSERT_EQ(d->SaveProperties(&again, true), com::S_OK);
    const std::set<std::string> positions{"StartText.x", "StartText.y", "FirstVisPos", "HiAnchor", "HiNew",
                                          "CaretHeight", "CurNumDataChars", "MaxDataChars", "FirstDataPos",
                                          "CurPos", "MaxLen"};
    ASSERT_EQ(again.Items().size(), bag.Items().size());
    for (const auto& [name, value] : bag.Items()) {
        if (positions.count(name)) continue;
        const com::PropValue* other = again.Read(name);
        ASSERT_NE(other, nullptr) << name;
        EXPECT_TRUE(*other == value) << name;
    }
}

TEST_F(TextControlTest, OldFormatFlagBlockCharacterTableBlobAndText) {
    com::PropertyBag bag;
    bag.oldFormat = true;
    std::vector<std::uint8_t> flags(40, 0);
    flags[4] = 70;
    flags[6] = 0x00;
    flags[7] = 0x02;                // Insert
    flags[33] = 0x80;               // UseFillChar on, ValidateMask off
    flags[34] = 6;                  // Characters 6
    flags[36] = '*';                // PasswordChar
    flags[38] = 0;                  // MaxLength 0: no limit
    bag.Write("Justification", com::Blob{flags});
    bag.Write("Mask", com::Blob{{0, 0, 0, 0, 4, 0, '#', '#', '-', '#'}});
    bag.Write("CharacterTable", com::Blob{{0, 0, 0, 0, 2, 0, 'q', 'r'}});
    bag.Write("FillChar", std::string("."));
    bag.Write("Text", std::string("12-3"));
    auto c = Add("Old", 0, &bag);
    ExpectValues(*c, {{"UseFillChar", "True"}, {"ValidateMask", "False"}, {"Characters", "6"},
                      {"PasswordChar", "*"}, {"MaxLength", "0"}, {"Mask", "##-#"}, {"CharacterTable", "qr"},
                      {"FillChar", "."}, {"RawData", "123"}, {"Text", "12-3"}, {"Insert", "True"}});

    // A block whose marker is not 70 carries no settings of the field.
    flags[4] = 71;
    bag.Write("Justification", com::Blob{flags});
    auto d = Add("Other", 1, &bag);
    ExpectValues(*d, {{"ValidateMask", "True"}, {"Characters", "-1"}, {"PasswordChar", ""}});
}

}  // namespace
}  // namespace zmtext::testing
