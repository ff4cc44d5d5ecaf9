// The time field: its members at their DISPIDs, the setters' errors, the 12- and 24-hour texts,
// typing through Qt keys with the a/p letter, validation of typed parts on leaving, FmtControl,
// persistence, the defaults store, the old-format block and bound values.
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/tests/date_time_test_support.h"
#include "zmtext/controls/time_ctrl.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"

namespace zmtext::testing {
namespace {

using com::Variant;

class TimeField : public FieldTest {
protected:
    com::ComPtr<CZMTimeCtrl> Add(const std::string& name, int row = 0, const com::PropertyBag* saved = nullptr) {
        return AddField<CZMTimeCtrl>(name, row, saved);
    }
    static std::string Get(CZMTimeCtrl& c, const char* name) { return Shown(GetProperty(&c, name)); }
};

TEST(TimeFieldMembers, EveryMemberAtItsDispId) {
    const std::pair<const char*, com::DispId> rows[] = {
        {"DataSource", 1}, {"FontName", 2}, {"FontBold", 3}, {"FontItalic", 4}, {"FontStrikeThru", 5},
        {"FontUnderline", 6}, {"AutoScroll", 7}, {"Modified", 8}, {"SelLength", 9}, {"SelStart", 10},
        {"SelText", 11}, {"MaxValue", 12}, {"MinValue", 13}, {"Value", 14}, {"BorderEffect", 15},
        {"DataProperty", 16}, {"DisplayOnly", 17}, {"EOLTab", 18}, {"ErrorBeep", 19}, {"FillChar", 20},
        {"FocusSelect", 21}, {"Insert", 22}, {"RawData", 23}, {"FmtControl", 24}, {"FontSize", 25},
        {"Justification", 26}, {"ReadOnly", 27}, {"MousePointer", 28}, {"MouseIcon", 29},
        {"FmtSeparator", 30}, {"FmtLeadingZero", 31}, {"FmtSeconds", 32}, {"FmtHours", 33}, {"FmtAM", 34},
        {"FmtPM", 35}, {"HdnHeight", 36}, {"HdnWidth", 37}, {"HdnDataPropCount", 38}, {"ToolTip", 39},
        {"DataField", 40}, {"DataChanged", 41}, {"BoundDateMode", 42}, {"BoundDate", 43}, {"Text", -517},
        {"_Text", 0}, {"BorderStyle", -504}, {"BackColor", -501}, {"ForeColor", -513}, {"Enabled", -514},
        {"hWnd", -515}, {"Font", -512}, {"AboutBox", -552},
    };
    const std::pair<const char*, com::DispId> events[] = {
        {"EndOfLine", 1}, {"InvalidKey", 2}, {"Change", 3}, {"Invalid", 4}, {"OutOfRange", 5},
        {"Click", -600}, {"DblClick", -601}, {"KeyDown", -602}, {"KeyPress", -603}, {"KeyUp", -604},
        {"MouseDown", -605}, {"MouseMove", -606}, {"MouseUp", -607}};
    ExpectMembers(CZMTimeCtrl::DispatchMembers(), rows, CZMTimeCtrl::EventMembers(), events);
}

TEST_F(TimeField, RefusedValuesRaiseTheirTextAndChangeNothing) {
    auto c = Add("Tm");
    const RefusalRow rows[] = {
        {"MaxValue", Variant::I4(86400), "MaxValue must be a long integer from -1 to 86399", -1},
        {"MinValue", Variant::I4(-2), "MinValue must be a long integer from -1 to 86399", -1},
        {"Value", Variant::I4(90000), "Value must be a long integer from -1 to 86399", -1},
        {"FmtHours", Variant::I2(3), "FmtHours must be 0-Use WIN.INI Format, 1-12 Hour clock, or 2-24 Hour clock.", -1},
        {"FmtSeconds", Variant::I2(2), "FmtSeconds must be either 0-Show Seconds, or 1-Do not show seconds", -1},
        {"FmtLeadingZero", Variant::I2(3), "FmtLeadingZero must be 0-Use WIN.INI, 1-No leading zero, or 2-Use leading zero", -1},
        {"FmtSeparator", Variant::Utf8("5"), "FmtSeparator must not be a number (0-9)", -1},
        {"FmtSeparator", Variant::Utf8("_"), "The FillChar cannot be the same as the Separator", -1},
        {"FillChar", Variant::Utf8("9"), "FillChar must not be a number (0-9)", -1},
        {"FillChar", Variant::Utf8(":"), "The FillChar cannot be the same as the Separator", -1},
        {"BoundDateMode", Variant::I2(2), "BoundDateMode must be either 0 - Preserve or 1 - BoundDate", -1},
        {"BoundDate", Variant::I4(2958466), "BoundDateMode must be either 0 - Preserve or 1 - BoundDate", -1},
        {"DataChanged", Variant::I2(2), "DataChanged must be either True or False", -1},
    };
    ExpectRefusals(c.Get(), rows);
    const CallResult fmt = PutProperty(c.Get(), "FmtControl", Variant::I2(8));
    EXPECT_EQ(fmt.excep.description, "FmtControl must be a number from 0 to 7 (see Help File for details).");
    EXPECT_EQ(PutProperty(c.Get(), "RawData", Variant::Utf8("123")).excep.description, "Invalid RawData Value");
    EXPECT_EQ(PutProperty(c.Get(), "RawData", Variant::Utf8("12000x")).hr, com::S_OK) << "six characters need no letter";
    EXPECT_EQ(PutProperty(c.Get(), "RawData", Variant::Utf8("1200001")).excep.description, "Invalid RawData Value");
}

TEST_F(TimeField, TwelveAndTwentyFourHourTextsRawTextsAndPatterns) {
    auto c = Add("Tm");
    EXPECT_EQ(Get(*c, "FmtSeparator"), ":") << "a new field takes the reset's separator";
    EXPECT_EQ(Get(*c, "Value"), "0");
    Put(*c, "Value", Variant::I4(14 * 3600 + 5 * 60 + 9));
    EXPECT_EQ(Get(*c, "Text"), " 2:05:09 PM");
    EXPECT_EQ(Get(*c, "RawData"), "020509p");
    EXPECT_EQ(c->EditPattern(), "__:__:__-_");
    Put(*c, "FmtHours", Variant::I2(2));
    Put(*c, "FmtSeconds", Variant::I2(1));
    EXPECT_EQ(Get(*c, "Text"), "14:05 ");
    EXPECT_EQ(Get(*c, "RawData"), "1405");
    EXPECT_EQ(c->EditPattern(), "__:__");
    Put(*c, "FmtControl", Variant::I2(0));
    for (const auto& [value, text, raw] : {std::tuple{0, "12:00:00 AM", "120000a"}, {43200, "12:00:00 PM", "120000p"}}) {
        Put(*c, "Value", Variant::I4(value));
        EXPECT_EQ(Get(*c, "Text"), text);
        EXPECT_EQ(Get(*c, "RawData"), raw);
    }
    Put(*c, "FmtControl", Variant::I2(6));
    EXPECT_EQ(Get(*c, "FmtSeconds"), "0");
    EXPECT_EQ(Get(*c, "FmtHours"), "2");
    EXPECT_EQ(Get(*c, "FmtLeadingZero"), "2");
    EXPECT_EQ(Get(*c, "FmtControl"), "6");
}

TEST_F(TimeField, TypedDigitsAndTheSuffixLetterThroughQtKeys) {
    Show();
    auto c = Add("Tm");
    Add("Next", 1);
    Focus(0);
    const std::pair<const char*, const char*> typed[] = {
        {"120000a", "0"}, {"120000p", "43200"}, {"010000p", "46800"}, {"113059a", "41459"}, {"093000p", "77400"}};
    for (const auto& [keys, value] : typed) {
        Put(*c, "Value", Variant::I4(-1));
        Type(0, keys);
        EXPECT_EQ(Get(*c, "Value"), value) << keys;
    }
    // On a 24-hour clock a letter is no key; every time typed gives its number.
    Put(*c, "FmtHours", Variant::I2(2));
    for (std::int32_t v = 0; v <= kTimeMaximum; v += 599) {
        Put(*c, "Value", Variant::I4(-1));
        char keys[16];
        std::snprintf(keys, sizeof keys, "%02d%02d%02d", v / 3600 % 100, v / 60 % 60, v % 60);
        Type(0, keys);
        ASSERT_EQ(Get(*c, "Value"), std::to_string(v)) << keys;
    }
    events_.clear();
    Put(*c, "Value", Variant::I4(-1));
    Type(0, "p");
    EXPECT_EQ(Count("Tm:2"), 1) << "InvalidKey";
}

TEST_F(TimeField, TypedPartsOutOfRangeRaiseInvalidAtFocusLoss) {
    Show();
    auto c = Add("Tm");
    Add("Next", 1);
    Put(*c, "FmtHours", Variant::I2(2));
    const std::string next = "(" + std::to_string(ctl::HandleOfWidget(sites_[1]->Widget())) + ")";
    for (const auto& [keys, invalid] : {std::pair{"107500", true}, {"240000", true}, {"235960", true},
                                        {"235959", false}, {"000000", false}}) {
        Focus(0);
        Put(*c, "Value", Variant::I4(-1));
        Type(0, keys);
        events_.clear();
        Focus(1);
        EXPECT_EQ(Count("Tm:4" + next), invalid ? 1 : 0) << keys;
    }
    Put(*c, "MinValue", Variant::I4(3600));
    Focus(0);
    Put(*c, "Value", Variant::I4(-1));
    Type(0, "003000");
    events_.clear();
    Focus(1);
    EXPECT_EQ(Count("Tm:5"), 1) << "OutOfRange";
}

TEST_F(TimeField, AssignedTextsAndBoundValues) {
    auto c = Add("Tm");
    const std::pair<const char*, const char*> texts[] = {{"10:30", "37800"}, {"", "-1"}, {"1:5 pm", "47100"},
                                                         {"12:00:00 AM", "0"}, {"12:15 p", "44100"}};
    for (const auto& [text, value] : texts) {
        Put(*c, "Text", Variant::Utf8(text));
        EXPECT_EQ(Get(*c, "Value"), value) << text;
    }
    c->SetBoundValue(Variant::FromDate(com::Date{36526.5}));
    EXPECT_EQ(Get(*c, "Value"), "43200");
    EXPECT_EQ(Get(*c, "BoundDate"), "36526");
    EXPECT_DOUBLE_EQ(c->GetBoundValue(com::VT_DATE).AsDate().days, 36526.5);
    // Rounded to the nearest second; a negative day counts its time forward from midnight.
    c->SetBoundValue(Variant::R8(-1.25));
    EXPECT_EQ(Get(*c, "Value"), "21600");
    EXPECT_EQ(Get(*c, "BoundDate"), "-1");
    EXPECT_DOUBLE_EQ(c->GetBoundValue(com::VT_R8).AsR8(), -1.25);
    c->SetBoundValue(Variant::R8(0.99999999));
    EXPECT_EQ(Get(*c, "Value"), "0") << "a time that rounds to midnight moves to the next day";
    EXPECT_EQ(Get(*c, "BoundDate"), "1");
    Put(*c, "BoundDateMode", Variant::I2(1));
    c->SetBoundValue(Variant::R8(500.25));
    EXPECT_EQ(Get(*c, "BoundDate"), "1");
    for (const auto& [v, value] : {std::pair{Variant::I4(86400), "-1"}, {Variant::Utf8("3600"), "3600"},
                                   {Variant::Null(), "-1"}, {Variant::I2(59), "59"}, {Variant::Utf8("x"), "-1"}}) {
        c->SetBoundValue(v);
        EXPECT_EQ(Get(*c, "Value"), value) << Shown(v);
    }
}

TEST_F(TimeField, SavedPropertiesLoadBack) {
    auto c = Add("Tm");
    const std::pair<const char*, Variant> values[] = {
        {"Value", Variant::I4(50000)}, {"MinValue", Variant::I4(100)}, {"MaxValue", Variant::I4(80000)},
        {"FmtHours", Variant::I2(2)}, {"FmtSeconds", Variant::I2(1)}, {"FmtLeadingZero", Variant::I2(2)},
        {"FmtAM", Variant::Utf8("am")}, {"FmtPM", Variant::Utf8("pm")}, {"FillChar", Variant::Utf8("#")},
        {"BoundDateMode", Variant::I2(1)}, {"BoundDate", Variant::I4(36526)}, {"DataField", Variant::Utf8("Hora")},
    };
    for (const auto& [name, value] : values) Put(*c, name, value);
    com::PropertyBag bag;
    ASSERT_EQ(c->SaveProperties(&bag, true), com::S_OK);
    auto d = Add("Copy", 1, &bag);
    for (const auto& [name, value] : values) EXPECT_EQ(Get(*d, name), Shown(value)) << name;
    EXPECT_EQ(Get(*d, "Text"), "13:53 ");
    EXPECT_EQ(Get(*d, "DataChanged"), "False");
}

TEST_F(TimeField, ResetReadsTheTimeSectionOfTheDefaultsStore) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    CZMDefaultsStore& store = *ZMDefaults();
    const std::pair<int, const char*> keys[] = {{211, "1"}, {212, "1"}, {213, "2"}, {158, "60"}, {157, "7200"},
                                                {255, "1"}, {256, "36526"}, {217, "da"}, {218, "de"},
                                                {134, "*"}, {187, "."}};
    for (const auto& [key, value] : keys) ASSERT_TRUE(store.WriteString(2, key, value));
    auto c = Add("Tm");
    const std::pair<const char*, const char*> expected[] = {
        {"FmtHours", "1"}, {"FmtSeconds", "1"}, {"FmtLeadingZero", "2"}, {"MinValue", "60"}, {"MaxValue", "7200"},
        {"BoundDateMode", "1"}, {"BoundDate", "36526"}, {"FmtAM", "da"}, {"FmtPM", "de"}, {"FillChar", "*"},
        {"FmtSeparator", "."}, {"Value", "0"}, {"Text", "12.00 da"}};
    for (const auto& [name, value] : expected) EXPECT_EQ(Get(*c, name), value) << name;
}

TEST_F(TimeField, TheOldFormatBlockSetsFormatsLimitsSuffixesAndValue) {
    auto c = Add("Tm");
    com::Blob block;
    block.bytes.assign(0x46, 0);
    auto word = [&](std::size_t at, unsigned v) {
        block.bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
        block.bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    word(4, 70);
    word(0x20, 1 | 2);   // no seconds, 24-hour clock, no leading zero
    block.bytes[0x22] = '.';
    for (const auto& [at, v] : {std::pair{0x24, 1u}, {0x26, 0u}, {0x28, 0u}, {0x2A, 22u}, {0x2C, 30u},
                                {0x2E, 0u}, {0x40, 13u}, {0x42, 45u}, {0x44, 10u}})
        word(static_cast<std::size_t>(at), v);
    const char am[] = "manha", pm[] = "tarde";
    std::copy(am, am + 5, block.bytes.begin() + 0x30);
    std::copy(pm, pm + 5, block.bytes.begin() + 0x36);
    c->ImportOldProperties(block);
    const std::string value = std::to_string(13 * 3600 + 45 * 60 + 10);
    const std::pair<const char*, const char*> expected[] = {
        {"FmtSeconds", "1"}, {"FmtHours", "2"}, {"FmtLeadingZero", "1"}, {"FmtSeparator", "."},
        {"MinValue", "3600"}, {"MaxValue", "81000"}, {"FmtAM", "manha"}, {"FmtPM", "tarde"},
        {"Value", value.c_str()}};
    for (const auto& [name, value] : expected) EXPECT_EQ(Get(*c, name), value) << name;
    word(0x20, 0x8000);
    c->ImportOldProperties(block);
    EXPECT_EQ(Get(*c, "FmtHours"), "0");
    EXPECT_EQ(Get(*c, "FmtLeadingZero"), "0");
}

}  // namespace
}  // namespace zmtext::testing
