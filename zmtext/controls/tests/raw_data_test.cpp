// RawData of every field that has one: the full raw text of its format, fill characters
// included, and an assignment of what it reads takes the field back to the same value.
#include "zmtext/controls/date_ctrl.h"
#include "zmtext/controls/tests/date_time_test_support.h"
#include "zmtext/controls/text_ctrl.h"
#include "zmtext/controls/time_ctrl.h"
#include "zmtext/values/date_values.h"

namespace zmtext::testing {
namespace {

using com::Variant;

class RawDataTest : public FieldTest {
protected:
    // RawData reads `raw`; assigned back it is taken, leaves Value and Text as they were and
    // reads the same again.
    static void ExpectRoundTrip(com::IDispatch* c, const std::string& raw) {
        EXPECT_EQ(Get(c, "RawData"), raw);
        const std::string value = Get(c, "Value"), text = Get(c, "Text");
        const CallResult r = PutProperty(c, "RawData", Variant::Utf8(raw));
        EXPECT_EQ(r.hr, com::S_OK) << r.excep.description;
        EXPECT_EQ(Get(c, "RawData"), raw);
        EXPECT_EQ(Get(c, "Value"), value);
        EXPECT_EQ(Get(c, "Text"), text);
    }
};

std::int32_t Day(int year, int month, int day) {
    return ZMDateToDayNumber(kDateTypeVisualBasic, ZMDate{static_cast<std::int16_t>(month),
                                                          static_cast<std::int16_t>(day),
                                                          static_cast<std::int16_t>(year)});
}

TEST_F(RawDataTest, ADateReadsItsEightCharactersAndTakesThemBack) {
    const struct {
        std::int16_t fmtControl, fmtYear;
        const char* fill;
        std::int32_t value;   // type-0 day number; -693959 the blank date
        const char* raw;
    } rows[] = {
        {1, 1, "_", Day(1998, 12, 25), "122598__"},  {2, 1, "_", Day(1998, 12, 25), "251298__"},
        {3, 1, "_", Day(1998, 12, 25), "19981225"},  {1, 2, "_", Day(1998, 12, 25), "12251998"},
        {2, 2, "_", Day(2005, 1, 1), "01012005"},    {1, 1, "*", Day(2003, 7, 4), "070403**"},
        {1, 1, "_", -693959, "________"},            {3, 2, "_", -693959, "________"},
        {2, 1, "*", -693959, "********"},
    };
    auto c = AddField<CZMDateCtrl>("Dt");
    Put(*c, "DateType", Variant::I2(0));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.raw);
        Put(*c, "FmtSeparator", S("/"));
        Put(*c, "FillChar", S(row.fill));
        Put(*c, "FmtControl", Variant::I2(row.fmtControl));
        Put(*c, "FmtYear", Variant::I2(row.fmtYear));
        Put(*c, "Value", Variant::I4(row.value));
        ExpectRoundTrip(c.Get(), row.raw);
    }
}

TEST_F(RawDataTest, ATimeReadsItsFullRawTextAndTakesItBack) {
    const struct {
        std::int16_t fmtHours, fmtSeconds;
        std::int32_t value;   // -1 the empty time
        const char* raw;
    } rows[] = {
        // With the seconds hidden the raw text holds none: those rows' values have none.
        {1, 0, 50709, "020509p"}, {1, 1, 50700, "0205p"}, {2, 0, 50709, "140509"}, {2, 1, 50700, "1405"},
        {1, 0, 0, "120000a"},     {1, 0, -1, "_______"},  {1, 1, -1, "_____"},     {2, 0, -1, "______"},
        {2, 1, -1, "____"},
    };
    auto c = AddField<CZMTimeCtrl>("Tm");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.raw);
        Put(*c, "FmtHours", Variant::I2(row.fmtHours));
        Put(*c, "FmtSeconds", Variant::I2(row.fmtSeconds));
        Put(*c, "Value", Variant::I4(row.value));
        ExpectRoundTrip(c.Get(), row.raw);
    }
}

// A text that leaves the value's number as it was: the date takes it whole (its parts, the raw
// text as given, and Value announced), the time leaves its value and RawData untouched. The
// rows run in order on one date and one time field.
TEST_F(RawDataTest, OnlyTheDateTakesATextThatLeavesItsNumberAsItWas) {
    std::vector<com::DispId> announced;
    container_->SetChangeHandler([&](ctl::ControlSite&, com::DispId id) { announced.push_back(id); });
    auto date = AddField<CZMDateCtrl>("Dt");
    auto time = AddField<CZMTimeCtrl>("Tm");
    Put(*date, "DateType", Variant::I2(0));
    Put(*date, "FmtSeparator", S("/"));
    Put(*date, "FmtControl", Variant::I2(1));
    Put(*date, "FmtYear", Variant::I2(2));
    Put(*date, "Value", Variant::I4(Day(1998, 12, 25)));
    Put(*time, "FmtHours", Variant::I2(2));
    Put(*time, "FmtSeconds", Variant::I2(1));
    Put(*time, "Value", Variant::I4(50700));
    const struct {
        com::IDispatch* field;
        const char* property;
        const char* text;
        std::vector<com::DispId> announced;
        const char* raw;   // RawData afterwards
    } rows[] = {
        // The same day or time typed again.
        {date.Get(), "Text", "12/25/1998", {kDateValue}, "12251998"},
        {time.Get(), "Text", "14:05", {}, "1405"},
        // 30 February and then 31 February: no date, both read as the error number.
        {date.Get(), "RawData", "02301998", {kDateValue, com::DISPID_TEXT, kDateRawData, kDateValue, kDateRawData},
         "02301998"},
        {date.Get(), "RawData", "02311998", {kDateValue, kDateRawData}, "02311998"},
        // 13:65 is 14:05 by its number.
        {time.Get(), "RawData", "1365", {kTimeRawData}, "1405"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.property) + " " + row.text);
        announced.clear();
        const CallResult r = PutProperty(row.field, row.property, Variant::Utf8(row.text));
        EXPECT_EQ(r.hr, com::S_OK) << r.excep.description;
        EXPECT_EQ(announced, row.announced);
        EXPECT_EQ(Get(row.field, "RawData"), row.raw);
    }
}

// While the user types, RawData reads the typed digits and fill characters for the rest.
TEST_F(RawDataTest, AFieldBeingTypedReadsTheTypedDigitsFilledOut) {
    Show();
    auto date = AddField<CZMDateCtrl>("Dt");
    auto time = AddField<CZMTimeCtrl>("Tm", 1);
    Put(*date, "FmtControl", Variant::I2(1));
    Put(*date, "Value", Variant::I4(-32767));   // the type-1 blank date
    Put(*time, "FmtHours", Variant::I2(1));
    Put(*time, "Value", Variant::I4(-1));
    Focus(0);
    Type(0, "1225");
    EXPECT_EQ(Get(date.Get(), "RawData"), "1225____");
    EXPECT_EQ(PutProperty(date.Get(), "RawData", S("1225____")).hr, com::S_OK);
    Focus(1);
    Type(1, "0230");
    EXPECT_EQ(Get(time.Get(), "RawData"), "0230___");
    const CallResult r = PutProperty(time.Get(), "RawData", S("0230___"));
    EXPECT_EQ(r.hr, com::S_OK) << r.excep.description;
    EXPECT_EQ(Get(time.Get(), "Value"), "9000");
}

// A masked text field's RawData is its data characters alone: there the trailing fill
// characters are positions nothing was typed into, and they are no data.
TEST_F(RawDataTest, AMaskedTextReadsItsDataCharactersAndTakesThemBack) {
    auto c = AddField<CZMTextCtrl>("Tx");
    Put(*c, "Mask", S("(###) ###-####"));
    for (const char* raw : {"", "5", "55512", "5551234567"}) {
        SCOPED_TRACE(raw);
        Put(*c, "RawData", S(raw));
        EXPECT_EQ(Get(c.Get(), "RawData"), raw);
        const std::string text = Get(c.Get(), "Text");
        EXPECT_EQ(PutProperty(c.Get(), "RawData", S(raw)).hr, com::S_OK);
        EXPECT_EQ(Get(c.Get(), "Text"), text);
    }
    EXPECT_EQ(Get(c.Get(), "Text"), "(555) 123-4567");
}

}  // namespace
}  // namespace zmtext::testing
