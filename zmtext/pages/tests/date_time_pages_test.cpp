// The date and time fields' property pages on two selected fields: every field through Apply
// and back, validation before any write, the lists from the type library, DateType applied
// after the limits, the value pages' split and compose, the defaults buttons, and the pages as
// classes of the library.
#include <gtest/gtest.h>

#include "platform/ctl/property_sheet.h"
#include "platform/ctl/services.h"
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/date_ctrl.h"
#include "zmtext/controls/tests/date_time_test_support.h"
#include "zmtext/controls/time_ctrl.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/pages/date_pages.h"
#include "zmtext/pages/tests/page_test_support.h"
#include "zmtext/pages/time_pages.h"

namespace zmtext::testing {
namespace {

using com::Variant;

void Enter(ZMFieldPropPage& page, const FieldRow& row) {
    if (QCheckBox* check = page.Check(row.item)) check->setChecked(row.value[0] == '1');
    else if (QComboBox* list = page.List(row.item)) list->setCurrentIndex(std::atoi(row.value));
    else UserEdit(page.Edit(row.item), row.value);
}

std::string Shown(const ZMFieldPropPage& page, int item) {
    if (QCheckBox* check = page.Check(item)) return check->isChecked() ? "1" : "0";
    if (QComboBox* list = page.List(item)) return std::to_string(list->currentIndex());
    return page.Edit(item)->text().toStdString();
}

template <class Control>
class PagesTest : public FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        a_ = AddField<Control>("A", 0);
        b_ = AddField<Control>("B", 1);
    }
    std::vector<com::ComPtr<com::IDispatch>> Both() const {
        return {com::ComPtr<com::IDispatch>(a_.Get()), com::ComPtr<com::IDispatch>(b_.Get())};
    }
    void ExpectBoth(const char* property, const std::string& value) {
        EXPECT_EQ(testing::Shown(GetProperty(a_.Get(), property)), value) << property;
        EXPECT_EQ(testing::Shown(GetProperty(b_.Get(), property)), value) << property;
    }
    // Every row through Apply to both controls, and shown again by a new page.
    template <class Page>
    void RoundTrip(std::span<const FieldRow> rows) {
        Page page;
        page.SetObjects(Both());
        for (const FieldRow& row : rows) Enter(page, row);
        EXPECT_TRUE(page.IsModified());
        ASSERT_TRUE(page.Apply()) << (notices_.messages.empty() ? "" : notices_.messages.back());
        for (const FieldRow& row : rows) ExpectBoth(row.property, row.expected);
        Page again;
        again.SetObjects(Both());
        for (const FieldRow& row : rows) EXPECT_EQ(Shown(again, row.item), row.value) << row.property;
        EXPECT_FALSE(again.IsModified());
    }

    ctl::ScriptedNotices notices_;
    ctl::ScopedNotices scoped_{&notices_};
    com::ComPtr<Control> a_, b_;
};

using DatePages = PagesTest<CZMDateCtrl>;
using TimePages = PagesTest<CZMTimeCtrl>;

// --- Date pages ------------------------------------------------------------------------------------

TEST_F(DatePages, DatePageSendsEveryFieldToBothControls) {
    const FieldRow rows[] = {
        {253, "2", "FmtControl", "2"},        {250, "2", "FmtDay", "2"},
        {251, "3", "FmtMonth", "3"},          {252, "1", "FmtYear", "1"},
        {205, "/", "FmtSeparator", "/"},      {204, "#", "FillChar", "#"},
        {215, "12632256", "BackColor", "12632256"}, {216, "255", "ForeColor", "255"},
        {233, "1", "BorderEffect", "1"},      {232, "0", "BorderStyle", "0"},
        {234, "1", "DataProperty", "1"},      {248, "0", "Enabled", "False"},
        {244, "1", "EOLTab", "True"},         {245, "1", "ErrorBeep", "True"},
        {240, "1", "FocusSelect", "True"},    {241, "0", "Insert", "False"},
        {235, "2", "Justification", "2"},     {236, "11", "MousePointer", "11"},
        {242, "1", "ReadOnly", "True"},       {268, "1", "FontBold", "True"},
        {269, "1", "FontItalic", "True"},     {266, "Arial", "FontName", "Arial"},
        {267, "9.75", "FontSize", "9.75"},    {272, "1", "FontStrikethru", "True"},
        {270, "1", "FontUnderline", "True"},  {239, "30000", "MaxValue", "30000"},
        {238, "-100", "MinValue", "-100"},    {237, "7306", "Value", "7306"},
        {275, "Dica", "ToolTip", "Dica"},     {206, "3600", "BoundTime", "3600"},
        {255, "1", "BoundTimeMode", "1"},     {254, "1", "DateType", "1"},
    };
    RoundTrip<CZMDatePropPage>(rows);
    ExpectBoth("Text", "01/Jan/00");
}

TEST_F(DatePages, ListsComeFromTheTypeLibrary) {
    CZMDatePropPage page;
    const std::pair<int, const char*> firsts[] = {{253, "0 - Use WIN.INI Format"}, {250, "0 - No Day Display"},
                                                  {251, "0 - No Month Display"}, {252, "0 - No Year Display"},
                                                  {254, "0 - Visual Basic Serial Date"}, {255, "0 - Bound"}};
    for (const auto& [id, text] : firsts) EXPECT_EQ(page.List(id)->itemText(0).toStdString(), text) << id;
    EXPECT_EQ(page.List(251)->count(), 5);
    EXPECT_EQ(page.List(251)->itemText(4).toStdString(), "4 - Show Month Name");
    CZMTimePropPage time;
    EXPECT_EQ(time.List(249)->itemText(2).toStdString(), "2 - 24 Hour clock");
    EXPECT_EQ(time.List(247)->itemText(1).toStdString(), "1 - No seconds");
    EXPECT_EQ(time.List(246)->count(), 3);
}

TEST_F(DatePages, ApplyValidatesEveryFieldBeforeWritingAny) {
    const std::pair<int, const char*> bad[] = {{205, "ab"}, {204, "xy"}, {202, "123456789"}, {206, "86400"}};
    for (const auto& [item, text] : bad) {
        CZMDatePropPage page;
        page.SetObjects(Both());
        page.List(250)->setCurrentIndex(0);   // a valid field bound before the bad one
        UserEdit(page.Edit(275), "tip");      // and one after it
        UserEdit(page.Edit(item), text);
        notices_.messages.clear();
        EXPECT_FALSE(page.Apply()) << item;
        EXPECT_EQ(notices_.messages.size(), 1u) << item;
        ExpectBoth("FmtDay", "1");
        ExpectBoth("ToolTip", "");
    }
}

TEST_F(DatePages, DateTypeIsAppliedAfterTheLimitsSoResetDefaultRaisesNothing) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    for (auto* c : {a_.Get(), b_.Get()}) Put(*c, "DateType", Variant::I2(0));
    CZMDatePropPage page;
    page.SetObjects(Both());
    EXPECT_EQ(Shown(page, 239), "2958465");
    ASSERT_TRUE(page.SaveAsDefault());
    ASSERT_TRUE(page.ResetDefault());
    EXPECT_EQ(Shown(page, 238), "-657434") << "the limits of the type shown";
    EXPECT_EQ(Shown(page, 239), "2958465");
    EXPECT_EQ(Shown(page, 254), "1");
    notices_.messages.clear();
    ASSERT_TRUE(page.Apply());
    EXPECT_TRUE(notices_.messages.empty());
    ExpectBoth("DateType", "1");
    ExpectBoth("MinValue", "-29199");
    ExpectBoth("MaxValue", "31348");
}

TEST_F(DatePages, SavedDefaultsComeBackUnchangedOnTheNextReset) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    CZMDatePropPage page;
    page.SetObjects(Both());
    UserEdit(page.Edit(238), "7306");    // 2000-01-01 in type 1
    UserEdit(page.Edit(239), "10000");
    UserEdit(page.Edit(206), "45296");
    page.List(252)->setCurrentIndex(1);
    ASSERT_TRUE(page.SaveAsDefault());
    auto c = AddField<CZMDateCtrl>("New", 2);
    EXPECT_EQ(testing::Shown(GetProperty(c.Get(), "MinValue")), "7306");
    EXPECT_EQ(testing::Shown(GetProperty(c.Get(), "MaxValue")), "10000");
    EXPECT_EQ(testing::Shown(GetProperty(c.Get(), "BoundTime")), "45296");
    EXPECT_EQ(testing::Shown(GetProperty(c.Get(), "FmtYear")), "1");
}

TEST_F(DatePages, ValuePageSplitsAndComposesInThePagesDateType) {
    CZMDateValPropPage page;
    page.SetObjects(Both());
    using W = CZMDateValPropPage;
    auto parts = [&](W::Which w) {
        return page.Part(w, 0)->text().toStdString() + "/" + page.Part(w, 1)->text().toStdString() + "/" +
               page.Part(w, 2)->text().toStdString();
    };
    EXPECT_EQ(parts(W::kMaximum), "10/28/2065");
    EXPECT_EQ(parts(W::kMinimum), "1/20/1900");
    EXPECT_EQ(parts(W::kValue), "0/0/0");
    // Day 31 of February is the 3rd of March; the field takes that number.
    UserEdit(page.Part(W::kValue, 0), "2");
    UserEdit(page.Part(W::kValue, 1), "31");
    UserEdit(page.Part(W::kValue, 2), "2001");
    EXPECT_EQ(page.Number(W::kValue)->text().toStdString(), std::to_string(ZMDateToDayNumber(1, 3, 3, 2001)));
    UserEdit(page.Part(W::kMinimum, 2), "1950");
    ASSERT_TRUE(page.Apply());
    ExpectBoth("Value", std::to_string(ZMDateToDayNumber(1, 3, 3, 2001)));
    ExpectBoth("MinValue", std::to_string(ZMDateToDayNumber(1, 1, 20, 1950)));
    // A month the type does not have is refused by the field's own setter.
    UserEdit(page.Part(W::kMaximum, 0), "13");
    notices_.messages.clear();
    EXPECT_FALSE(page.Apply());
    ASSERT_EQ(notices_.messages.size(), 1u);
    EXPECT_EQ(notices_.messages[0].rfind("MaxValue must be", 0), 0u);
    ExpectBoth("MaxValue", "31348");
}

// --- Time pages ------------------------------------------------------------------------------------

TEST_F(TimePages, TimePageSendsEveryFieldToBothControls) {
    const FieldRow rows[] = {
        {249, "2", "FmtHours", "2"},          {247, "1", "FmtSeconds", "1"},
        {246, "2", "FmtLeadingZero", "2"},    {205, ".", "FmtSeparator", "."},
        {206, "am", "FmtAM", "am"},           {207, "pm", "FmtPM", "pm"},
        {204, "#", "FillChar", "#"},          {215, "255", "BackColor", "255"},
        {216, "65280", "ForeColor", "65280"}, {233, "2", "BorderEffect", "2"},
        {232, "0", "BorderStyle", "0"},       {234, "0", "DataProperty", "0"},
        {248, "0", "Enabled", "False"},       {244, "1", "EOLTab", "True"},
        {245, "1", "ErrorBeep", "True"},      {240, "1", "FocusSelect", "True"},
        {241, "0", "Insert", "False"},        {235, "0", "Justification", "0"},
        {236, "2", "MousePointer", "2"},      {242, "1", "ReadOnly", "True"},
        {239, "80000", "MaxValue", "80000"},  {238, "60", "MinValue", "60"},
        {237, "52200", "Value", "52200"},     {268, "1", "FontBold", "True"},
        {269, "1", "FontItalic", "True"},     {266, "Arial", "FontName", "Arial"},
        {267, "12", "FontSize", "12"},        {272, "1", "FontStrikethru", "True"},
        {270, "1", "FontUnderline", "True"},  {275, "Hora", "ToolTip", "Hora"},
        {250, "1", "BoundDateMode", "1"},     {208, "36526", "BoundDate", "36526"},
    };
    RoundTrip<CZMTimePropPage>(rows);
    ExpectBoth("Text", "14.30 ");
}

TEST_F(TimePages, ResetDefaultPutsTheBuiltInValuesForApply) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    for (auto* c : {a_.Get(), b_.Get()}) {
        Put(*c, "FmtAM", Variant::Utf8("x"));
        Put(*c, "MinValue", Variant::I4(100));
        Put(*c, "FmtHours", Variant::I2(2));
    }
    CZMTimePropPage page;
    page.SetObjects(Both());
    ASSERT_TRUE(page.SaveAsDefault());
    EXPECT_EQ(ZMDefaults()->GetInt(2, 211, 9), 2);
    ASSERT_TRUE(page.ResetDefault());
    EXPECT_EQ(ZMDefaults()->GetInt(2, 211, 9), 9) << "the section is gone";
    ASSERT_TRUE(page.Apply());
    ExpectBoth("FmtAM", "AM");
    ExpectBoth("MinValue", "-1");
    ExpectBoth("FmtHours", "0");
    ExpectBoth("FmtSeparator", ":");
    ExpectBoth("DataProperty", "2");
}

TEST_F(TimePages, ValuePageShowsTwelveAndTwentyFourHourPartsAndComposesThem) {
    using W = CZMTimeValPropPage;
    for (auto* c : {a_.Get(), b_.Get()}) Put(*c, "Value", Variant::I4(-1));
    CZMTimeValPropPage page;
    page.SetObjects(Both());
    auto parts = [&](W::Which w) {
        return page.Part(w, 0)->text().toStdString() + ":" + page.Part(w, 1)->text().toStdString() + ":" +
               page.Part(w, 2)->text().toStdString() + " " + page.ClockList(w)->currentText().toStdString();
    };
    EXPECT_EQ(parts(W::kValue), "--:--:-- PM") << "the empty time";
    EXPECT_EQ(parts(W::kMinimum), "--:--:-- PM");
    EXPECT_EQ(parts(W::kMaximum), "11:59:59 PM");
    page.ClockList(W::kValue)->setCurrentIndex(W::k24Hour);
    UserEdit(page.Part(W::kValue, 0), "14");
    UserEdit(page.Part(W::kValue, 1), "30");
    UserEdit(page.Part(W::kValue, 2), "00");
    EXPECT_EQ(page.Number(W::kValue)->text().toStdString(), "52200");
    page.ClockList(W::kValue)->setCurrentIndex(W::kAfternoon);
    UserEdit(page.Part(W::kValue, 0), "2");
    EXPECT_EQ(page.Number(W::kValue)->text().toStdString(), "52200");
    page.ClockList(W::kMinimum)->setCurrentIndex(W::kMorning);
    UserEdit(page.Part(W::kMinimum, 0), "12");
    UserEdit(page.Part(W::kMinimum, 1), "05");
    UserEdit(page.Part(W::kMinimum, 2), "00");
    EXPECT_EQ(page.Number(W::kMinimum)->text().toStdString(), "300") << "12 AM is hour 0";
    ASSERT_TRUE(page.Apply());
    ExpectBoth("Value", "52200");
    ExpectBoth("MinValue", "300");
    // Shown again: 24-hour lists keep the hour as it is.
    CZMTimeValPropPage again;
    again.ClockList(W::kValue)->setCurrentIndex(W::k24Hour);
    again.SetObjects(Both());
    EXPECT_EQ(again.Part(W::kValue, 0)->text().toStdString(), "14");
    EXPECT_EQ(again.Part(W::kMinimum, 0)->text().toStdString(), "12");
    EXPECT_EQ(again.ClockList(W::kMinimum)->currentText().toStdString(), "AM");
}

// --- Classes ---------------------------------------------------------------------------------------

TEST(DateTimePageClasses, EachPageIsCreatedByItsClassIdWithItsCaptionAndHelp) {
    EngineTestApp();
    struct Row {
        const char* name;
        const char* caption;
        std::uint32_t help;
    };
    const Row rows[] = {{"CZMDatePropPage", "ZMDate specific", 4004}, {"CZMDateValPropPage", "Values", 4005},
                        {"CZMTimePropPage", "ZMTime specific", 4007}, {"CZMTimeValPropPage", "Values", 4008}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ExpectPageClass(ZMPageClassId(row.name), row.caption, row.help);
    }
    std::vector<com::Guid> listed;
    EXPECT_EQ(CZMDateCtrl::Create()->GetPropertyPages(&listed), com::S_OK);
    EXPECT_EQ(listed, (std::vector<com::Guid>{ZMPageClassId("CZMDatePropPage"), ZMPageClassId("CZMDateValPropPage"),
                                              ZMPageClassId("CZMTextPropPage"), ctl::kStockColorPageClsid,
                                              ctl::kStockFontPageClsid, ctl::kStockPicturePageClsid}));
    EXPECT_EQ(CZMTimeCtrl::Create()->GetPropertyPages(&listed), com::S_OK);
    EXPECT_EQ(listed, (std::vector<com::Guid>{ZMPageClassId("CZMTimePropPage"), ZMPageClassId("CZMTimeValPropPage"),
                                              ZMPageClassId("CZMTextPropPage"), ctl::kStockColorPageClsid,
                                              ctl::kStockFontPageClsid, ctl::kStockPicturePageClsid}));
}

}  // namespace
}  // namespace zmtext::testing
