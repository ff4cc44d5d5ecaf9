// The date field: its members at their DISPIDs, the setters' errors, the Value sequence, the
// DateType change, typing every date of a span through Qt keys, validation on leaving,
// persistence as type-0 numbers, the defaults store, the old-format block and bound values.
#include <span>

#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/date_ctrl.h"
#include "zmtext/controls/tests/date_time_test_support.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"

namespace zmtext::testing {
namespace {

using com::Variant;

class DateField : public FieldTest {
protected:
    com::ComPtr<CZMDateCtrl> Add(const std::string& name, int row = 0, const com::PropertyBag* saved = nullptr) {
        return AddField<CZMDateCtrl>(name, row, saved);
    }
    static std::string Get(CZMDateCtrl& c, const char* name) { return Shown(GetProperty(&c, name)); }
};

TEST(DateFieldMembers, EveryMemberAtItsDispId) {
    const std::pair<const char*, com::DispId> rows[] = {
        {"DataSource", 1}, {"FontName", 2}, {"FontBold", 3}, {"FontItalic", 4}, {"FontUnderline", 5},
        {"AutoScroll", 6}, {"Modified", 7}, {"SelLength", 8}, {"SelStart", 9}, {"SelText", 10},
        {"FmtSeparator", 11}, {"BorderEffect", 12}, {"DataProperty", 13}, {"DisplayOnly", 14}, {"EOLTab", 15},
        {"ErrorBeep", 16}, {"FillChar", 17}, {"FocusSelect", 18}, {"Insert", 19}, {"RawData", 20},
        {"FmtControl", 21}, {"FontSize", 22}, {"Justification", 23}, {"ReadOnly", 24}, {"MousePointer", 25},
        {"MouseIcon", 26}, {"FmtDay", 27}, {"FmtMonth", 28}, {"FmtYear", 29}, {"FontStrikeThru", 30},
        {"HdnHeight", 31}, {"HdnWidth", 32}, {"HdnDataPropCount", 33}, {"MaxValue", 34}, {"MinValue", 35},
        {"Value", 36}, {"DateType", 37}, {"ToolTip", 38}, {"DataField", 39}, {"DataChanged", 40},
        {"BoundTimeMode", 41}, {"BoundTime", 42}, {"Text", -517}, {"_Text", 0}, {"BorderStyle", -504},
        {"BackColor", -501}, {"ForeColor", -513}, {"Enabled", -514}, {"hWnd", -515}, {"Font", -512},
        {"AboutBox", -552},
    };
    const std::pair<const char*, com::DispId> events[] = {
        {"Change", 1}, {"EndOfLine", 2}, {"InvalidKey", 3}, {"Invalid", 4}, {"OutOfRange", 5},
        {"Click", -600}, {"DblClick", -601}, {"KeyDown", -602}, {"KeyPress", -603}, {"KeyUp", -604},
        {"MouseDown", -605}, {"MouseMove", -606}, {"MouseUp", -607}};
    ExpectMembers(CZMDateCtrl::DispatchMembers(), rows, CZMDateCtrl::EventMembers(), events);
}

TEST_F(DateField, RefusedValuesRaiseTheirTextAndChangeNothing) {
    auto c = Add("Dt");
    const char* range = "must be a long integer in the appropriate range for the current DateType.  See the help file for details.";
    const std::string maxText = std::string("MaxValue ") + range, minText = std::string("MinValue ") + range,
                      valueText = std::string("Value ") + range;
    const RefusalRow rows[] = {
        {"FmtDay", Variant::I2(3), "FmtDay must be 0 - None, 1 - No Leading Zero, or 2 - Leading Zero", -1},
        {"FmtMonth", Variant::I2(5), "FmtMonth must be 0 - None, 1 - No Leading Zero, 2 - Leading Zero, 3 - Abbreviated month name, or 4 - Full month name", -1},
        {"FmtYear", Variant::I2(-1), "FmtYear must be 0 - None, 1 - Two Digit Year, or 2 - Four Digit Year", -1},
        {"FmtControl", Variant::I2(4), "FmtControl must be a number from 0-Use WIN.INI Format, 1-MDY, 2-DMY, or 3-YMD.", -1},
        {"FmtSeparator", Variant::Utf8("7"), "FmtSeparator must not be a number (0-9)", -1},
        {"FmtSeparator", Variant::Utf8("_"), "The FillChar cannot be the same as the Separator", -1},
        {"FillChar", Variant::Utf8("0"), "FillChar must not be a number (0-9)", -1},
        {"FillChar", Variant::Utf8("-"), "The FillChar cannot be the same as the Separator", -1},
        {"MaxValue", Variant::I4(31369), maxText.c_str(), -1},
        {"MinValue", Variant::I4(-29221), minText.c_str(), -1},
        {"Value", Variant::I4(31369), valueText.c_str(), -1},
        {"DateType", Variant::I2(2), "DateType must be 0 - VisualBasic, or 1 - Halvern", -1},
        {"BoundTimeMode", Variant::I2(2), "BoundTimeMode must be either 0 - Preserve, or 1 - BoundTime", -1},
        {"BoundTime", Variant::I4(86400), "BoundTimeMode must be either 0 - Preserve, or 1 - BoundTime", -1},
        {"DataChanged", Variant::I2(3), "DataChanged must be either True or False", -1},
        {"DataProperty", Variant::I2(3), "DataProperty must be 0-Text, 1-Raw, or 2-Value", -391867},
        {"BorderEffect", Variant::I2(3), "BorderEffect must be 0-None, 1-Pop, or 2-Drop", -391874},
        {"BorderStyle", Variant::I2(2), "BorderStyle must be either 0-None, or 1-Fixed Single", -1},
    };
    ExpectRefusals(c.Get(), rows);
    const CallResult raw = PutProperty(c.Get(), "RawData", Variant::Utf8("1225199"));
    EXPECT_EQ(raw.excep.description, "Invalid RawData Value");
}

TEST_F(DateField, ANewFieldAndTheDateTypeChangeMapTheLimits) {
    auto c = Add("Dt");
    EXPECT_EQ(Get(*c, "DateType"), "1");
    EXPECT_EQ(Get(*c, "MinValue"), "-29199");
    EXPECT_EQ(Get(*c, "MaxValue"), "31348");
    EXPECT_EQ(Get(*c, "Value"), "-32767") << "the type-1 blank";
    Put(*c, "DateType", Variant::I2(0));
    EXPECT_EQ(Get(*c, "MinValue"), "-657434");
    EXPECT_EQ(Get(*c, "MaxValue"), "2958465");
    // Back to type 1: the type-0 limits lie outside it and take the type-1 defaults; a value
    // beyond the new MaxValue moves onto it.
    Put(*c, "Value", Variant::I4(2958000));
    Put(*c, "DateType", Variant::I2(1));
    EXPECT_EQ(Get(*c, "MinValue"), "-29199");
    EXPECT_EQ(Get(*c, "MaxValue"), "31348");
    EXPECT_EQ(Get(*c, "Value"), "31348");
    // Limits inside type 1 keep their calendar dates across both changes.
    Put(*c, "MinValue", Variant::I4(7306));   // 2000-01-01
    Put(*c, "DateType", Variant::I2(0));
    EXPECT_EQ(Get(*c, "MinValue"), "36526");
    Put(*c, "DateType", Variant::I2(1));
    EXPECT_EQ(Get(*c, "MinValue"), "7306");
}

TEST_F(DateField, TheValueSequenceFiresChangeOncePerNewNumber) {
    auto c = Add("Dt");
    Put(*c, "DateType", Variant::I2(0));
    Put(*c, "FmtControl", Variant::I2(1));
    events_.clear();
    Put(*c, "Value", Variant::I4(36526));
    EXPECT_EQ(Count("Dt:1"), 1);
    EXPECT_EQ(Get(*c, "Text"), "1-1-2000");
    EXPECT_EQ(Get(*c, "RawData"), "01012000");
    Put(*c, "Value", Variant::I4(36526));
    EXPECT_EQ(Count("Dt:1"), 1) << "the same number again fires nothing";
    Put(*c, "DateType", Variant::I2(1));
    Put(*c, "Value", Variant::I4(-32767));
    EXPECT_EQ(Get(*c, "Text"), "_-_-____");
    EXPECT_EQ(Get(*c, "RawData"), "________") << "the blank date is eight fill characters";
}

// Types the eight digits of `d` into the focused empty field in the field's order.
std::string Digits(int order, int year, int month, int day) {
    char text[40];
    if (order == kDateOrderDMY) std::snprintf(text, sizeof text, "%02d%02d%04d", day, month, year);
    else std::snprintf(text, sizeof text, "%02d%02d%04d", month, day, year);
    return text;
}

TEST_F(DateField, EveryDateOfThirtyYearsTypedDigitByDigitGivesThatDate) {
    Show();
    auto c = Add("Dt");
    Add("Next", 1);
    Put(*c, "DateType", Variant::I2(0));
    Focus(0);
    int checked = 0;
    for (const int order : {kDateOrderDMY, kDateOrderMDY}) {
        Put(*c, "FmtControl", Variant::I2(static_cast<std::int16_t>(order)));
        for (std::int32_t n = ZMDateToDayNumber(0, 1, 1, 1990); n <= ZMDateToDayNumber(0, 12, 31, 2030); ++n) {
            const ZMDate d = ZMDayNumberToDate(0, n);
            Put(*c, "Value", Variant::I4(-693959));
            ASSERT_EQ(Get(*c, "RawData"), "________");
            Type(0, Digits(order, d.year, d.month, d.day));
            ASSERT_EQ(Get(*c, "Value"), std::to_string(n)) << Digits(order, d.year, d.month, d.day);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 2 * 14975);
    events_.clear();
    Focus(1);
    EXPECT_EQ(std::count_if(events_.begin(), events_.end(), [](const std::string& e) { return e.rfind("Dt:4", 0) == 0; }), 0);
}

TEST_F(DateField, AnImpossibleTypedDateRaisesInvalidAtFocusLossAndIsNoOtherDate) {
    Show();
    auto c = Add("Dt");
    Add("Next", 1);
    Put(*c, "DateType", Variant::I2(0));
    Put(*c, "FmtControl", Variant::I2(2));
    Put(*c, "FmtSeparator", Variant::Utf8("/"));
    const std::string next = "(" + std::to_string(ctl::HandleOfWidget(sites_[1]->Widget())) + ")";
    for (const char* typed : {"31042015", "29022001", "30021990", "00132000"}) {
        Focus(0);
        Put(*c, "Value", Variant::I4(-693959));
        Type(0, typed);
        events_.clear();
        Focus(1);
        EXPECT_EQ(Count("Dt:4" + next), 1) << typed;
        EXPECT_EQ(Get(*c, "RawData"), typed) << "the typed digits stay";
        EXPECT_EQ(Get(*c, "Value"), "-693960") << typed << ": the error value, never a neighbouring date";
    }
    // A real date outside the limits raises OutOfRange instead.
    Put(*c, "MaxValue", Variant::I4(36526));
    Focus(0);
    Put(*c, "Value", Variant::I4(-693959));
    Type(0, "02012000");
    events_.clear();
    Focus(1);
    EXPECT_EQ(Count("Dt:5"), 1);
    EXPECT_EQ(Count("Dt:4" + next), 0);
    EXPECT_EQ(Get(*c, "Value"), "36527");
}

TEST_F(DateField, TheStreamHoldsTypeZeroNumbersAndLoadsBack) {
    auto c = Add("Dt");
    Put(*c, "Value", Variant::I4(7306));
    Put(*c, "FmtControl", Variant::I2(3));
    Put(*c, "FmtMonth", Variant::I2(4));
    Put(*c, "FmtSeparator", Variant::Utf8("."));
    Put(*c, "BoundTime", Variant::I4(3600));
    Put(*c, "DataField", Variant::Utf8("Inicio"));
    com::PropertyBag bag;
    ASSERT_EQ(c->SaveProperties(&bag, true), com::S_OK);
    auto number = [&](const char* name) {
        const com::PropValue* v = bag.Read(name);
        const auto* n = v ? std::get_if<std::int32_t>(v) : nullptr;
        return n ? std::to_string(*n) : std::string("(none)");
    };
    EXPECT_EQ(number("MaxValue"), "60568") << "2065-10-28 as a type-0 number";
    EXPECT_EQ(number("MinValue"), "21");
    EXPECT_EQ(number("Date"), "36526");
    auto d = Add("Copy", 1, &bag);
    for (const char* name : {"Value", "MaxValue", "MinValue", "DateType", "FmtControl", "FmtMonth", "FmtSeparator",
                             "BoundTime", "DataField"})
        EXPECT_EQ(Get(*d, name), Get(*c, name)) << name;
    EXPECT_EQ(Get(*c, "Text"), "2000-January-1") << "a new separator waits for the next rebuild";
    EXPECT_EQ(Get(*d, "Text"), "2000.January.1");
    EXPECT_EQ(Get(*d, "DataChanged"), "False");
}

TEST_F(DateField, ResetReadsTheDateSectionOfTheDefaultsStore) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    CZMDefaultsStore& store = *ZMDefaults();
    const std::pair<int, const char*> keys[] = {{150, "2"}, {193, "2"}, {194, "3"}, {195, "1"}, {253, "1"},
                                                {254, "0.5"}, {240, "0"}, {157, "36526"}, {158, "100"},
                                                {134, "#"}, {187, "/"}};
    for (const auto& [key, value] : keys) ASSERT_TRUE(store.WriteString(1, key, value));
    auto c = Add("Dt");
    const std::pair<const char*, const char*> expected[] = {
        {"FmtControl", "2"}, {"FmtDay", "2"}, {"FmtMonth", "3"}, {"FmtYear", "1"}, {"BoundTimeMode", "1"},
        {"BoundTime", "43200"}, {"DateType", "0"}, {"MaxValue", "36526"}, {"MinValue", "100"},
        {"FillChar", "#"}, {"FmtSeparator", "/"}, {"Value", "-693959"}, {"DataChanged", "False"}};
    for (const auto& [name, value] : expected) EXPECT_EQ(Get(*c, name), value) << name;
}

TEST_F(DateField, TheOldFormatBlockSetsFormatsAndDates) {
    auto c = Add("Dt");
    com::Blob block;
    block.bytes.assign(0x46, 0);
    auto word = [&](std::size_t at, unsigned v) {
        block.bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
        block.bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    word(4, 70);
    word(0x20, 0x1000 | 0x200 | 0x30 | 2);   // DMY, two-digit year, month name, day with zero
    word(0x22, '.');
    for (const auto& [at, v] : {std::pair{0x24, 1u}, {0x26, 2u}, {0x28, 1950u}, {0x2A, 12u}, {0x2C, 31u},
                                {0x2E, 2040u}, {0x40, 7u}, {0x42, 4u}, {0x44, 1999u}})
        word(static_cast<std::size_t>(at), v);
    c->ImportOldProperties(block);
    EXPECT_EQ(Get(*c, "FmtControl"), "2");
    EXPECT_EQ(Get(*c, "FmtDay"), "2");
    EXPECT_EQ(Get(*c, "FmtMonth"), "3");
    EXPECT_EQ(Get(*c, "FmtYear"), "1");
    EXPECT_EQ(Get(*c, "FmtSeparator"), ".");
    EXPECT_EQ(c->GetDate(), (ZMDate{7, 4, 1999}));
    EXPECT_EQ(Get(*c, "MaxValue"), std::to_string(ZMDateToDayNumber(1, 12, 31, 2040)));
    // A block of another version is ignored.
    word(4, 69);
    word(0x40, 1);
    c->ImportOldProperties(block);
    EXPECT_EQ(c->GetDate(), (ZMDate{7, 4, 1999}));
}

TEST_F(DateField, BoundValuesCarryTheTimeAndFollowOleSemantics) {
    auto c = Add("Dt");
    Put(*c, "DateType", Variant::I2(0));
    c->SetBoundValue(Variant::FromDate(com::Date{36526.75}));
    EXPECT_EQ(Get(*c, "Value"), "36526");
    EXPECT_EQ(Get(*c, "BoundTime"), "64800");
    EXPECT_DOUBLE_EQ(c->GetBoundValue(com::VT_DATE).AsDate().days, 36526.75);
    EXPECT_EQ(Shown(c->GetBoundValue(com::VT_I4)), "36526");
    // A negative day counts its time forward from midnight: -1.25 is 1899-12-29 06:00.
    c->SetBoundValue(Variant::R8(-1.25));
    EXPECT_EQ(Get(*c, "Value"), "-1");
    EXPECT_EQ(Get(*c, "BoundTime"), "21600");
    EXPECT_DOUBLE_EQ(c->GetBoundValue(com::VT_R8).AsR8(), -1.25);
    // BoundTimeMode 1 keeps the control's own time.
    Put(*c, "BoundTimeMode", Variant::I2(1));
    c->SetBoundValue(Variant::R8(100.5));
    EXPECT_EQ(Get(*c, "BoundTime"), "21600");
    // What cannot be taken is the blank date.
    for (const Variant& v : {Variant::Null(), Variant::Cy(com::Currency{10000}), Variant::I4(3000000), Variant::Utf8("x")}) {
        Put(*c, "Value", Variant::I4(100));
        c->SetBoundValue(v);
        EXPECT_EQ(Get(*c, "Value"), "-693959") << Shown(v);
    }
    c->SetBoundValue(Variant::Utf8("36526"));
    EXPECT_EQ(Get(*c, "Value"), "36526");
    // A bound raw text of the wrong length leaves the value; an empty one blanks it.
    c->SetBoundRawText("1225199");
    EXPECT_EQ(Get(*c, "Value"), "36526");
    c->SetBoundRawText("");
    EXPECT_EQ(Get(*c, "Value"), "-693959");
}

TEST_F(DateField, AssigningTextAndRawDataParsesThem) {
    auto c = Add("Dt");
    Put(*c, "DateType", Variant::I2(0));
    Put(*c, "FmtControl", Variant::I2(1));
    Put(*c, "FmtMonth", Variant::I2(3));
    Put(*c, "Text", Variant::Utf8("Dec-25-1998"));
    EXPECT_EQ(Get(*c, "Value"), std::to_string(ZMDateToDayNumber(0, 12, 25, 1998)));
    EXPECT_EQ(Get(*c, "RawData"), "12251998");
    // A blank text assigned back keeps the field blank (an empty month name is no month).
    Put(*c, "Value", Variant::I4(-693959));
    Put(*c, "Text", Variant::Utf8(Get(*c, "Text").c_str()));
    EXPECT_EQ(Get(*c, "Value"), "-693959");
    Put(*c, "RawData", Variant::Utf8("07041976"));
    EXPECT_EQ(Get(*c, "Text"), "Jul-4-1976");
}

}  // namespace
}  // namespace zmtext::testing
