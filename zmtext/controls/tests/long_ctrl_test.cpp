// The whole-number field: its members at their DISPIDs, the setters' errors, its defaults (built
// in, from its name and from the defaults store), texts given from outside, typing with the end
// of the field, the binding's conversions, and persistence in the current and the old format.
#include <algorithm>

#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/number_test_support.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"

namespace zmtext::testing {
namespace {

using com::Variant;

TEST(LongMembers, EveryMemberAndEventAtItsDispId) {
    std::vector<std::pair<const char*, com::DispId>> rows = {
        {"ShowZero", 1}, {"DataSource", 2}, {"FontName", 3}, {"FontBold", 4}, {"FontItalic", 5},
        {"FontStrikeThru", 6}, {"FontUnderline", 7}, {"Modified", 8}, {"SelLength", 9}, {"SelStart", 10},
        {"SelText", 11}, {"Value", 12}, {"AutoScroll", 13}, {"BorderEffect", 14}, {"DataProperty", 15},
        {"DisplayOnly", 16}, {"EOLTab", 17}, {"ErrorBeep", 18}, {"FocusSelect", 19}, {"Insert", 20},
        {"Justification", 21}, {"RawData", 22}, {"FmtControl", 23}, {"MaxValue", 24}, {"MinValue", 25},
        {"FontSize", 26}, {"FmtIntDigits", 27}, {"FmtThousands", 28}, {"ReadOnly", 29}, {"MousePointer", 30},
        {"MouseIcon", 31}, {"HdnHeight", 32}, {"HdnWidth", 33}, {"HdnDataPropCount", 34}, {"ToolTip", 35},
        {"DataField", 36}, {"DataChanged", 37}};
    rows.insert(rows.end(), NumberStockIds().begin(), NumberStockIds().end());
    EXPECT_EQ(CZMLongCtrl::DispatchMembers().Members().size(), rows.size());
    ExpectDispIds(CZMLongCtrl::DispatchMembers(), rows);
    const std::pair<const char*, com::DispId> events[] = {
        {"Change", 3}, {"EndOfLine", 1}, {"InvalidKey", 2}, {"OutOfRange", 4}, {"Invalid", 5}, {"Click", -600},
        {"DblClick", -601}, {"KeyDown", -602}, {"KeyPress", -603}, {"KeyUp", -604}, {"MouseDown", -605},
        {"MouseMove", -606}, {"MouseUp", -607}};
    const auto listed = CZMLongCtrl::EventMembers();
    ASSERT_EQ(listed.size(), std::size(events));
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].name, events[i].first);
        EXPECT_EQ(listed[i].id, events[i].second);
    }
}

TEST_F(NumberControlTest, LongRefusedValuesRaiseTheirTextAndHelpContext) {
    auto c = Add<CZMLongCtrl>("Lng");
    ExpectRefused(c.Get(), {
        {"Modified", Variant::I2(2), "Modified must be either True or False", -391972},
        {"AutoScroll", Variant::I2(2), "AutoScroll must be either True or False", -392010},
        {"BorderEffect", Variant::I2(3), "BorderEffect must be 0-None, 1-Pop, or 2-Drop", -392008},
        {"DataProperty", Variant::I2(3), "DataProperty must be 0-Text, 1-Raw, or 2-Value", -392003},
        {"DisplayOnly", Variant::I2(-1), "ReadOnly/DisplayOnly must be either True or False", -392001},
        {"EOLTab", Variant::I2(5), "EOLTab must be either True or False", -391997},
        {"ErrorBeep", Variant::I2(5), "ErrorBeep must be either True or False", -391995},
        {"FocusSelect", Variant::I2(5), "FocusSelect must be either True or False", -391991},
        {"Insert", Variant::I2(5), "Insert must be either True or False", -391977},
        {"Justification", Variant::I2(3), "Justification must be 0-Left, 1-Center, or 2-Right", -391976},
        {"FmtControl", Variant::I2(2), "FmtControl must be either 0-Use WIN.INI Format, or 1-Use Properties", -391994},
        {"FmtIntDigits", Variant::I2(0), "FmtIntDigits must be an integer from 1 to 10", -391993},
        {"FmtIntDigits", Variant::I2(11), "FmtIntDigits must be an integer from 1 to 10", -391993},
        {"FmtThousands", S("-"), "The FmtThousands property must not be a negative sign (-)", -391992},
        {"FmtThousands", S("5"), "The FmtThousands property must not be a number (0-9)", -391992},
        {"ReadOnly", Variant::I2(2), "ReadOnly/DisplayOnly must be either True or False", -1},
        {"MousePointer", Variant::I2(14), "The MousePointer property must be a number from 0 to 13", -1},
        {"BorderStyle", Variant::I2(2), "BorderStyle must be either 0-None, or 1-Fixed Single", -1},
        {"DataChanged", Variant::I2(3), "DataChanged must be either True or False", -1},
    });
    for (long ok : {1L, 10L}) EXPECT_EQ(PutProperty(c.Get(), "FmtIntDigits", Variant::I4(ok)).hr, com::S_OK);
    EXPECT_EQ(Get(c.Get(), "HdnDataPropCount"), "3");
}

TEST_F(NumberControlTest, ANewLongStartsAtTheFirstNumberOfItsName) {
    const std::pair<const char*, const char*> rows[] = {
        {"silgEdit12", "12"}, {"ZmLong7b2", "7"}, {"Lng", "0"}, {"X99999999999", "2147483647"}};
    int row = 0;
    for (const auto& [name, value] : rows) {
        auto c = Add<CZMLongCtrl>(name, row++);
        EXPECT_EQ(Get(c.Get(), "Value"), value) << name;
        EXPECT_EQ(Get(c.Get(), "DataChanged"), "False") << name;
    }
    auto c = Add<CZMLongCtrl>("silgEdit1234", row);
    const std::pair<const char*, const char*> defaults[] = {
        {"Text", " 1,234"}, {"RawData", "1234"}, {"MaxValue", "2147483647"}, {"MinValue", "-2147483648"},
        {"ShowZero", "True"}, {"DataProperty", "2"}, {"FmtThousands", ","}, {"FmtIntDigits", "10"},
        {"FmtControl", "0"}, {"Justification", "2"}, {"BorderStyle", "1"}, {"ToolTip", ""}};
    for (const auto& [name, value] : defaults) EXPECT_EQ(Get(c.Get(), name), value) << name;
}

TEST_F(NumberControlTest, LongResetReadsItsSectionOfTheDefaultsStore) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    CZMDefaultsStore& store = *ZMDefaults();
    const std::pair<int, const char*> keys[] = {{150, "1"}, {154, "4"}, {176, "0"}, {157, "500"},
                                                {158, "-5"}, {152, "'x"}, {235, "28"}, {236, "140"}};
    for (const auto& [key, value] : keys) ASSERT_TRUE(store.WriteString(kKindLong, key, value));
    auto c = Add<CZMLongCtrl>("N");
    const std::pair<const char*, const char*> rows[] = {
        {"FmtControl", "1"}, {"FmtIntDigits", "4"}, {"ShowZero", "False"}, {"MaxValue", "500"},
        {"MinValue", "-5"}, {"FmtThousands", "'"}, {"Text", ""}, {"Value", "0"}};
    for (const auto& [name, value] : rows) EXPECT_EQ(Get(c.Get(), name), value) << name;
    EXPECT_EQ(CZMLongCtrl::Create()->GetControlSize(), QSize(140, 28));
}

TEST_F(NumberControlTest, LongTextsFromOutside) {
    auto c = Add<CZMLongCtrl>("Lng");
    const std::tuple<const char*, const char*, const char*> rows[] = {
        // property, text given, value read
        {"Text", "(1,234)", "-1234"},       {"Text", "1,2.5", "125"},
        {"RawData", "12.7", "127"},         {"RawData", "99999999999", "2147483647"},
        {"Text", "-99999999999", "-2147483648"}, {"Text", "abc", "0"},
    };
    for (const auto& [property, text, value] : rows) {
        Put(c.Get(), property, S(text));
        EXPECT_EQ(Get(c.Get(), "Value"), value) << property << " " << text;
    }
    Put(c.Get(), "Value", Variant::I4(1234));
    Put(c.Get(), "FmtControl", Variant::I2(1));
    Put(c.Get(), "FmtThousands", S("."));
    EXPECT_EQ(Get(c.Get(), "Text"), " 1.234");
    Put(c.Get(), "FmtThousands", S(""));
    EXPECT_EQ(Get(c.Get(), "Text"), " 1234") << "no separator, no grouping";
    Put(c.Get(), "ShowZero", Variant::Bool(false));
    Put(c.Get(), "Value", Variant::I4(0));
    EXPECT_EQ(Get(c.Get(), "Text"), "");
    EXPECT_EQ(Get(c.Get(), "RawData"), "0");
}

TEST_F(NumberControlTest, LongValueSetterFiresChangeOnceAndOnlyForANewValue) {
    auto c = Add<CZMLongCtrl>("Lng");
    events_.clear();
    Put(c.Get(), "Value", Variant::I4(-5));
    Put(c.Get(), "Value", Variant::I4(-5));
    EXPECT_EQ(Count("Lng", kLongChange), 1);
    EXPECT_EQ(Get(c.Get(), "Text"), "-5");
    EXPECT_EQ(Get(c.Get(), "DataChanged"), "True");
}

TEST_F(NumberControlTest, TypingALongReachesTheEndOfTheFieldAndTabsOn) {
    auto c = Add<CZMLongCtrl>("Lng");
    auto next = Add<CZMLongCtrl>("Next", 1);
    Put(c.Get(), "FmtIntDigits", Variant::I2(3));
    Put(c.Get(), "MinValue", Variant::I4(0));
    Put(c.Get(), "EOLTab", Variant::Bool(true));
    Show();
    Focus(0);
    Put(c.Get(), "SelLength", Variant::I4(1));   // the "0" of the zero value, typed over
    events_.clear();
    Type(0, "12");
    EXPECT_EQ(Count("Lng", kLongEndOfLine), 0);
    EXPECT_EQ(Get(c.Get(), "Value"), "12");
    Type(0, "3");
    EXPECT_EQ(Count("Lng", kLongEndOfLine), 1) << "the third digit fills the field";
    EXPECT_TRUE(next->WindowHasFocus()) << "the end-of-field tab";
    EXPECT_EQ(Get(c.Get(), "Value"), "123");
    EXPECT_EQ(Get(c.Get(), "Text"), " 123");
    // A minus is refused where negatives are not allowed, and a fourth digit where three fit.
    Focus(0);
    events_.clear();
    Type(0, "-");
    EXPECT_EQ(Count("Lng", kLongInvalidKey), 1);
}

TEST_F(NumberControlTest, LongBindingConversions) {
    auto c = Add<CZMLongCtrl>("Lng");
    com::Currency cy;
    cy.scaled = 123456;   // 12.3456
    const std::pair<Variant, const char*> rows[] = {
        {Variant::R8(3e10), "0"},   {Variant::R8(2.9), "2"},      {Variant::R8(-2.9), "-2"},
        {Variant::R4(7.5f), "7"},   {Variant::I2(-12), "-12"},    {Variant::Utf8("77"), "77"},
        {Variant::Utf8("x"), "0"},  {Variant::Cy(cy), "12"},      {Variant::Bool(true), "-1"},
        {Variant(), "0"},           {Variant::R8(std::numeric_limits<double>::quiet_NaN()), "0"},
    };
    for (const auto& [bound, value] : rows) {
        c->SetBoundValue(bound);
        EXPECT_EQ(Get(c.Get(), "Value"), value) << Shown(bound);
    }
    c->PutValue(-42);
    const Variant out = c->GetBoundValue(com::VT_I4);
    EXPECT_EQ(out.BaseType(), com::VT_I4);
    EXPECT_EQ(out.AsI4(), -42);
}

TEST_F(NumberControlTest, LongSavedPropertiesLoadBackEqual) {
    auto c = Add<CZMLongCtrl>("Lng");
    const std::pair<const char*, Variant> values[] = {
        {"MaxValue", Variant::I4(900)}, {"MinValue", Variant::I4(-900)}, {"FmtThousands", S("'")},
        {"FmtControl", Variant::I2(1)}, {"FmtIntDigits", Variant::I2(6)}, {"ShowZero", Variant::Bool(false)},
        {"Value", Variant::I4(-4321)}, {"BorderStyle", Variant::I2(0)}, {"ToolTip", S("Dica")},
        {"DataField", S("Qtd")}, {"DataProperty", Variant::I2(1)}, {"Justification", Variant::I2(0)}};
    for (const auto& [name, value] : values) Put(c.Get(), name, value);
    com::PropertyBag bag;
    ASSERT_EQ(c->SaveProperties(&bag, true), com::S_OK);
    EXPECT_EQ(bag.version, 0x00040001u);
    auto d = Add<CZMLongCtrl>("Copy", 1, &bag);
    for (const auto& [name, value] : values) EXPECT_EQ(Get(d.Get(), name), Get(c.Get(), name)) << name;
    EXPECT_EQ(Get(d.Get(), "Text"), "-4'321");
    EXPECT_EQ(Get(d.Get(), "DataChanged"), "False");
}

TEST_F(NumberControlTest, LongOldFormatBlock) {
    com::PropertyBag bag;
    bag.oldFormat = true;
    std::vector<std::uint8_t> flags(68, 0);
    auto word = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) flags[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    word(4, 70);
    word(32, (7u << 16) | 0x0800u | 0x1000u);   // 7 digits, no zero shown, own format
    word(40, '.');
    word(48, static_cast<std::uint32_t>(-100));
    word(52, 100);
    word(64, 42);
    bag.Write("Justification", com::Blob{flags});
    auto c = Add<CZMLongCtrl>("Old", 0, &bag);
    const std::pair<const char*, const char*> rows[] = {
        {"FmtIntDigits", "7"}, {"ShowZero", "False"}, {"FmtControl", "1"}, {"FmtThousands", "."},
        {"MinValue", "-100"}, {"MaxValue", "100"}, {"Value", "42"}, {"BorderStyle", "1"}};
    for (const auto& [name, value] : rows) EXPECT_EQ(Get(c.Get(), name), value) << name;
}

}  // namespace
}  // namespace zmtext::testing
