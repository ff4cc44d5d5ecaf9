// The decimal-number field: its members at their DISPIDs, the setters' errors (non-finite values
// among them), its defaults, the tolerance of texts against the stored value, typing to the last
// decimal with the end of the field, the binding's conversions, and persistence in the current
// and the old format.
#include <bit>
#include <fstream>
#include <limits>

#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/tests/number_test_support.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"

namespace zmtext::testing {
namespace {

using com::Variant;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(DoubleMembers, EveryMemberAndEventAtItsDispId) {
    std::vector<std::pair<const char*, com::DispId>> rows = {
        {"ShowZero", 1}, {"DataSource", 2}, {"FontName", 3}, {"FontBold", 4}, {"FontItalic", 5},
        {"FontStrikeThru", 6}, {"Modified", 7}, {"SelLength", 8}, {"SelStart", 9}, {"SelText", 10},
        {"AutoScroll", 11}, {"BorderEffect", 12}, {"DataProperty", 13}, {"DisplayOnly", 14}, {"EOLTab", 15},
        {"ErrorBeep", 16}, {"FocusSelect", 17}, {"Insert", 18}, {"Justification", 19}, {"RawData", 20},
        {"FmtControl", 21}, {"Value", 22}, {"MaxValue", 23}, {"MinValue", 24}, {"FmtDecimal", 25},
        {"FmtThousands", 26}, {"FmtIntDigits", 27}, {"FmtDecDigits", 28}, {"FontSize", 29},
        {"FontUnderline", 30}, {"ReadOnly", 31}, {"MousePointer", 32}, {"MouseIcon", 33}, {"HdnHeight", 34},
        {"HdnWidth", 35}, {"HdnDataPropCount", 36}, {"ToolTip", 37}, {"DataField", 38}, {"DataChanged", 39}};
    rows.insert(rows.end(), NumberStockIds().begin(), NumberStockIds().end());
    EXPECT_EQ(CZMDoubleCtrl::DispatchMembers().Members().size(), rows.size());
    ExpectDispIds(CZMDoubleCtrl::DispatchMembers(), rows);
    const std::pair<const char*, com::DispId> events[] = {
        {"Change", 1}, {"EndOfLine", 2}, {"InvalidKey", 3}, {"Invalid", 4}, {"OutOfRange", 5}, {"Click", -600},
        {"DblClick", -601}, {"KeyDown", -602}, {"KeyPress", -603}, {"KeyUp", -604}, {"MouseDown", -605},
        {"MouseMove", -606}, {"MouseUp", -607}};
    const auto listed = CZMDoubleCtrl::EventMembers();
    ASSERT_EQ(listed.size(), std::size(events));
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].name, events[i].first);
        EXPECT_EQ(listed[i].id, events[i].second);
    }
}

TEST_F(NumberControlTest, DoubleRefusedValuesRaiseTheirTextAndHelpContext) {
    auto c = Add<CZMDoubleCtrl>("Dbl");
    Put(c.Get(), "FmtControl", Variant::I2(1));
    ExpectRefused(c.Get(), {
        {"Modified", Variant::I2(2), "Modified must be either True or False", -392104},
        {"AutoScroll", Variant::I2(2), "AutoScroll must be either True or False", -392145},
        {"BorderEffect", Variant::I2(3), "BorderEffect must be 0-None, 1-Pop, or 2-Drop", -392143},
        {"DataProperty", Variant::I2(3), "DataProperty must be 0-Text, 1-Raw, or 2-Value", -392138},
        {"DisplayOnly", Variant::I2(-1), "ReadOnly/DisplayOnly must be either True or False", -392136},
        {"EOLTab", Variant::I2(5), "EOLTab must be either True or False", -392132},
        {"ErrorBeep", Variant::I2(5), "ErrorBeep must be either True or False", -392130},
        {"FocusSelect", Variant::I2(5), "FocusSelect must be either True or False", -392124},
        {"Insert", Variant::I2(5), "Insert must be either True or False", -392109},
        {"Justification", Variant::I2(3), "Justification must be 0-Left, 1-Center, or 2-Right", -392108},
        {"RawData", S("1e400"), "Invalid RawData Value", -392097},
        {"FmtControl", Variant::I2(2), "FmtControl must be either 0-Use WIN.INI Format, or 1-Use Properties", -392129},
        {"FmtDecimal", S(""), "The FmtDecimal property must not be blank", -392127},
        {"FmtDecimal", S("-"), "The FmtDecimal property must not be a negative sign (-)", -392127},
        {"FmtDecimal", S("7"), "The FmtDecimal property must not be a number (0-9)", -392127},
        {"FmtThousands", S("-"), "The FmtThousands property must not be a negative sign (-)", -392125},
        {"FmtThousands", S("0"), "The FmtThousands property must not be a number (0-9)", -392125},
        {"FmtIntDigits", Variant::I2(16), "FmtIntDigits must be an integer from 0 to 15", -392126},
        {"FmtIntDigits", Variant::I2(-1), "FmtIntDigits must be an integer from 0 to 15", -392126},
        {"FmtDecDigits", Variant::I2(16), "FmtDecDigits must be an integer from 0 to 15", -392128},
        {"ReadOnly", Variant::I2(2), "ReadOnly/DisplayOnly must be either True or False", -1},
        {"DataChanged", Variant::I2(3), "DataChanged must be either True or False", -1},
    });
    // Values the field cannot show are refused as invalid property values.
    for (double bad : {kNaN, kInf, -kInf}) {
        for (const char* property : {"Value", "MaxValue", "MinValue"}) {
            const CallResult r = PutProperty(c.Get(), property, Variant::R8(bad));
            EXPECT_EQ(r.excep.scode, com::CTL_E_INVALIDPROPERTYVALUE) << property << " " << bad;
        }
    }
    EXPECT_EQ(c->GetValue(), 0.0);
    EXPECT_EQ(Get(c.Get(), "Text"), " 0.000");
}

TEST_F(NumberControlTest, ANewDoubleHasTheBuiltInDefaults) {
    win::testing::TempMachineRoot root;   // no WIN.INI: no decimals
    auto c = Add<CZMDoubleCtrl>("sidbEdit12");
    const std::pair<const char*, const char*> rows[] = {
        {"Value", "0"}, {"Text", " 0"}, {"RawData", "0"}, {"FmtDecDigits", "3"}, {"FmtIntDigits", "15"},
        {"FmtDecimal", "."}, {"FmtThousands", ","}, {"FmtControl", "0"}, {"ShowZero", "True"},
        {"DataProperty", "2"}, {"DataChanged", "False"}, {"HdnDataPropCount", "3"}};
    for (const auto& [name, value] : rows) EXPECT_EQ(Get(c.Get(), name), value) << name;
    EXPECT_EQ(GetProperty(c.Get(), "MaxValue").AsR8(), 1.67e308);
    EXPECT_EQ(GetProperty(c.Get(), "MinValue").AsR8(), -1.67e308);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(kDoubleMaxDefault), 0x7FEDBA1BCDBA6615u);
}

TEST_F(NumberControlTest, DoubleResetReadsItsSectionOfTheDefaultsStore) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    CZMDefaultsStore& store = *ZMDefaults();
    const std::pair<int, const char*> keys[] = {{150, "1"}, {153, "2"}, {154, "6"}, {176, "0"}, {157, "99.5"},
                                                {158, "-1.25"}, {151, ",x"}, {152, "."}};
    for (const auto& [key, value] : keys) ASSERT_TRUE(store.WriteString(kKindDouble, key, value));
    auto c = Add<CZMDoubleCtrl>("D");
    const std::pair<const char*, const char*> rows[] = {
        {"FmtControl", "1"}, {"FmtDecDigits", "2"}, {"FmtIntDigits", "6"}, {"ShowZero", "False"},
        {"MaxValue", "99.5"}, {"MinValue", "-1.25"}, {"FmtDecimal", ","}, {"FmtThousands", "."}, {"Text", ""}};
    for (const auto& [name, value] : rows) EXPECT_EQ(Get(c.Get(), name), value) << name;
    Put(c.Get(), "Value", Variant::R8(1234.5));
    EXPECT_EQ(Get(c.Get(), "Text"), " 1.234,50");
    EXPECT_EQ(Get(c.Get(), "RawData"), "1234,50");
}

TEST_F(NumberControlTest, DoubleFollowsTheWindowsSettingsAtEveryFormatting) {
    win::testing::TempMachineRoot root;
    std::ofstream(root.DriveC() / "WINDOWS" / "WIN.INI") << "[intl]\r\nsDecimal=,\r\nsThousand=.\r\niDigits=2\r\n";
    auto c = Add<CZMDoubleCtrl>("Dbl");
    Put(c.Get(), "Value", Variant::R8(1234.5));
    EXPECT_EQ(Get(c.Get(), "Text"), " 1.234,50");
    EXPECT_EQ(Get(c.Get(), "RawData"), "1234,50");
    Put(c.Get(), "FmtDecDigits", Variant::I2(3));
    EXPECT_EQ(Get(c.Get(), "RawData"), "1234,50") << "the property waits for FmtControl 1";
    Put(c.Get(), "FmtControl", Variant::I2(1));
    EXPECT_EQ(Get(c.Get(), "Text"), " 1,234.500");
}

TEST_F(NumberControlTest, DoubleTextsAndTheTolerance) {
    auto c = Add<CZMDoubleCtrl>("Dbl");
    Put(c.Get(), "FmtControl", Variant::I2(1));
    Put(c.Get(), "Value", Variant::R8(1.00049));
    EXPECT_EQ(Get(c.Get(), "Text"), " 1.000");
    Put(c.Get(), "Text", S("1.000"));
    EXPECT_EQ(c->GetValue(), 1.00049) << "a difference below the last decimal keeps the stored value";
    Put(c.Get(), "RawData", S("1.0004"));
    EXPECT_EQ(c->GetValue(), 1.00049);
    Put(c.Get(), "Text", S("(1,234.5)"));
    EXPECT_EQ(c->GetValue(), -1234.5);
    EXPECT_EQ(Get(c.Get(), "Text"), "-1,234.500");
    Put(c.Get(), "FmtControl", Variant::I2(1));
    Put(c.Get(), "FmtDecDigits", Variant::I2(0));
    Put(c.Get(), "Value", Variant::R8(2.4));
    EXPECT_EQ(Get(c.Get(), "Text"), " 2");
    EXPECT_EQ(Get(c.Get(), "RawData"), "2");
    Put(c.Get(), "Value", Variant::R8(0.3));
    EXPECT_EQ(Get(c.Get(), "Text"), " 0") << "below one half shows 0, not -0 or an empty text";
    Put(c.Get(), "Value", Variant::R8(1e20));
    EXPECT_EQ(Get(c.Get(), "Text"), " 100,000,000,000,000,000,000");
    Put(c.Get(), "ShowZero", Variant::Bool(false));
    Put(c.Get(), "Value", Variant::R8(-0.0));
    EXPECT_EQ(Get(c.Get(), "Text"), "");
    // A text the field cannot read as a finite number leaves Text as it was.
    Put(c.Get(), "Value", Variant::R8(5));
    Put(c.Get(), "Text", S("1e999"));
    EXPECT_EQ(c->GetValue(), 5.0);
}

TEST_F(NumberControlTest, TypingTheLastDecimalEndsTheDoubleField) {
    auto c = Add<CZMDoubleCtrl>("Dbl");
    auto next = Add<CZMDoubleCtrl>("Next", 1);
    Put(c.Get(), "EOLTab", Variant::Bool(true));
    Put(c.Get(), "FmtControl", Variant::I2(1));
    Show();
    Focus(0);
    Put(c.Get(), "SelLength", Variant::I4(5));   // the whole "0.000"
    events_.clear();
    Type(0, "12.34");
    EXPECT_EQ(Count("Dbl", kDoubleEndOfLine), 0);
    EXPECT_FALSE(next->WindowHasFocus());
    Type(0, "5");
    EXPECT_EQ(Count("Dbl", kDoubleEndOfLine), 1) << "the third decimal ends the field";
    EXPECT_TRUE(next->WindowHasFocus()) << "the end-of-field tab";
    EXPECT_EQ(c->GetValue(), 12.345);
    EXPECT_EQ(Get(c.Get(), "Text"), " 12.345");
}

TEST_F(NumberControlTest, DoubleBindingConversions) {
    auto c = Add<CZMDoubleCtrl>("Dbl");
    com::Currency cy;
    cy.scaled = 123456;
    const std::pair<Variant, double> rows[] = {
        {Variant::R8(3.25), 3.25},   {Variant::I4(-7), -7.0},     {Variant::Utf8("2.5"), 2.5},
        {Variant::Utf8("x"), 0.0},   {Variant::Cy(cy), 12.3456},  {Variant::R8(kNaN), 0.0},
        {Variant::R8(8), 8.0},       {Variant::R8(kInf), 0.0},    {Variant(), 0.0},
    };
    for (const auto& [bound, value] : rows) {
        c->SetBoundValue(bound);
        EXPECT_EQ(c->GetValue(), value) << Shown(bound);
    }
    c->PutValue(-4.5);
    const Variant out = c->GetBoundValue(com::VT_R8);
    EXPECT_EQ(out.BaseType(), com::VT_R8);
    EXPECT_EQ(out.AsR8(), -4.5);
}

TEST_F(NumberControlTest, DoubleSavedPropertiesLoadBackEqual) {
    auto c = Add<CZMDoubleCtrl>("Dbl");
    const std::pair<const char*, Variant> values[] = {
        {"MaxValue", Variant::R8(900.5)}, {"MinValue", Variant::R8(-0.25)}, {"FmtDecimal", S(",")},
        {"FmtThousands", S(".")},         {"FmtControl", Variant::I2(1)},   {"FmtIntDigits", Variant::I2(6)},
        {"FmtDecDigits", Variant::I2(2)}, {"ShowZero", Variant::Bool(false)}, {"Value", Variant::R8(-4321.125)},
        {"ToolTip", S("Dica")},           {"DataField", S("Preco")}};
    for (const auto& [name, value] : values) Put(c.Get(), name, value);
    com::PropertyBag bag;
    ASSERT_EQ(c->SaveProperties(&bag, true), com::S_OK);
    auto d = Add<CZMDoubleCtrl>("Copy", 1, &bag);
    for (const auto& [name, value] : values) EXPECT_EQ(Get(d.Get(), name), Get(c.Get(), name)) << name;
    EXPECT_EQ(d->GetValue(), -4321.125) << "the value keeps all its digits";
    EXPECT_EQ(Get(d.Get(), "Text"), "-4.321,13");
    EXPECT_EQ(Get(d.Get(), "DataChanged"), "False");
}

TEST_F(NumberControlTest, DoubleOldFormatBlock) {
    com::PropertyBag bag;
    bag.oldFormat = true;
    std::vector<std::uint8_t> flags(72, 0);
    auto put = [&](std::size_t at, std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) flags[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(4, 70, 4);
    put(32, (9u << 16) | 0x2000u, 4);   // 9 digits, zero shown, own format
    put(36, 2, 2);
    flags[38] = ',';
    flags[40] = '.';
    put(48, std::bit_cast<std::uint64_t>(-10.5), 8);
    put(56, std::bit_cast<std::uint64_t>(10.5), 8);
    put(64, std::bit_cast<std::uint64_t>(1234.5), 8);
    bag.Write("Justification", com::Blob{flags});
    auto c = Add<CZMDoubleCtrl>("Old", 0, &bag);
    const std::pair<const char*, const char*> rows[] = {
        {"FmtIntDigits", "9"}, {"FmtDecDigits", "2"}, {"ShowZero", "True"}, {"FmtControl", "1"},
        {"FmtDecimal", ","}, {"FmtThousands", "."}, {"MinValue", "-10.5"}, {"MaxValue", "10.5"},
        {"Text", " 1.234,50"}, {"RawData", "1234,50"}};
    for (const auto& [name, value] : rows) EXPECT_EQ(Get(c.Get(), name), value) << name;
}

}  // namespace
}  // namespace zmtext::testing
