// The number fields' property pages on two selected fields: every field through Apply and back,
// validation of every field before any is written (the long RawData field takes 11 characters),
// the FmtControl lists from the type library, and the defaults buttons.
#include <gtest/gtest.h>

#include <span>

#include "platform/ctl/services.h"
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/currency_ctrl.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/number_test_support.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/pages/number_pages.h"
#include "zmtext/pages/tests/page_test_support.h"

namespace zmtext::testing {
namespace {

using com::Variant;

using Rows = std::vector<FieldRow>;

class NumberPages : public NumberControlTest {
protected:
    template <class C>
    std::vector<com::ComPtr<com::IDispatch>> Two() {
        auto a = Add<C>("A", 0);
        auto b = Add<C>("B", 1);
        controls_ = {com::ComPtr<com::IDispatch>(a.Get()), com::ComPtr<com::IDispatch>(b.Get())};
        return controls_;
    }
    void ExpectBoth(const char* property, const std::string& value) {
        for (const auto& c : controls_) EXPECT_EQ(Get(c.Get(), property), value) << property;
    }
    static void Enter(CZMNumberPropPage& page, const FieldRow& row) {
        if (QCheckBox* check = page.Check(row.item)) check->setChecked(row.value[0] == '1');
        else if (QComboBox* list = page.List(row.item)) list->setCurrentIndex(QString(row.value).toInt());
        else UserEdit(page.Edit(row.item), row.value);
    }
    // Every row entered, applied to both controls, and shown again by a new page.
    template <class Page>
    void RoundTrip(std::span<const FieldRow> rows) {
        Page page;
        page.SetObjects(controls_);
        for (const FieldRow& row : rows) Enter(page, row);
        ASSERT_TRUE(page.Apply());
        for (const FieldRow& row : rows) ExpectBoth(row.property, row.expected);
        Page again;
        again.SetObjects(controls_);
        for (const FieldRow& row : rows) {
            if (QCheckBox* check = again.Check(row.item)) EXPECT_EQ(check->isChecked(), row.value[0] == '1') << row.property;
            else if (QComboBox* list = again.List(row.item)) EXPECT_EQ(list->currentIndex(), QString(row.value).toInt()) << row.property;
            else EXPECT_EQ(again.Edit(row.item)->text().toStdString(), row.expected) << row.property;
        }
        EXPECT_FALSE(again.IsModified());
    }

    ctl::ScriptedNotices notices_;
    ctl::ScopedNotices scoped_{&notices_};
    std::vector<com::ComPtr<com::IDispatch>> controls_;
};

constexpr FieldRow kCommonHidden[] = {
    {215, "12632256", "BackColor", "12632256"}, {216, "255", "ForeColor", "255"},
    {233, "2", "BorderEffect", "2"},            {232, "0", "BorderStyle", "0"},
    {234, "1", "DataProperty", "1"},            {248, "0", "Enabled", "False"},
    {245, "1", "ErrorBeep", "True"},            {246, "1", "FocusSelect", "True"},
    {247, "0", "Insert", "False"},              {235, "1", "Justification", "1"},
    {268, "1", "FontBold", "True"},             {269, "1", "FontItalic", "True"},
    {266, "Arial", "FontName", "Arial"},        {267, "9.75", "FontSize", "9.75"},
    {272, "1", "FontStrikethru", "True"},       {270, "1", "FontUnderline", "True"},
    {208, "0", "AutoScroll", "False"},          {275, "Dica", "ToolTip", "Dica"},
    {236, "0", "ShowZero", "False"},
};

TEST_F(NumberPages, LongPageSendsEveryFieldToBothControls) {
    Two<CZMLongCtrl>();
    RoundTrip<CZMLongPropPage>(Rows{{237, "-1234", "Value", "-1234"}, {238, "-5000", "MinValue", "-5000"},
                                {239, "5000", "MaxValue", "5000"},  {241, "1", "FmtControl", "1"},
                                {240, "'", "FmtThousands", "'"},    {218, "7", "FmtIntDigits", "7"},
                                {244, "1", "EOLTab", "True"},       {242, "11", "MousePointer", "11"},
                                {243, "1", "ReadOnly", "True"}});
    RoundTrip<CZMLongPropPage>(kCommonHidden);
    // The smallest value's raw text has 11 characters and fits its field.
    RoundTrip<CZMLongPropPage>(Rows{{202, "-2147483648", "RawData", "-2147483648"}});
    ExpectBoth("Value", "-2147483648");
}

TEST_F(NumberPages, DoublePageSendsEveryFieldToBothControls) {
    Two<CZMDoubleCtrl>();
    RoundTrip<CZMDoublePropPage>(Rows{{244, "1", "FmtControl", "1"},  {204, ",", "FmtDecimal", ","},
                                  {240, ".", "FmtThousands", "."}, {218, "9", "FmtIntDigits", "9"},
                                  {207, "2", "FmtDecDigits", "2"}, {237, "-12.5", "Value", "-12.5"},
                                  {238, "-100.25", "MinValue", "-100.25"}, {239, "100.75", "MaxValue", "100.75"},
                                  {243, "1", "EOLTab", "True"},    {241, "11", "MousePointer", "11"},
                                  {242, "1", "ReadOnly", "True"}});
    ExpectBoth("RawData", "-12,50");
    RoundTrip<CZMDoublePropPage>(kCommonHidden);
}

TEST_F(NumberPages, CurrencyPageSendsEveryFieldToBothControls) {
    Two<CZMCurrencyCtrl>();
    RoundTrip<CZMCurrencyPropPage>(Rows{{244, "10", "FmtControl", "10"}, {205, "R$", "FmtCurrency", "R$"},
                                    {204, ",", "FmtDecimal", ","},   {240, ".", "FmtThousands", "."},
                                    {218, "9", "FmtIntDigits", "9"}, {207, "2", "FmtDecDigits", "2"},
                                    {237, "1234.5", "Value", "1234.5"}, {238, "-10", "MinValue", "-10"},
                                    {239, "99999", "MaxValue", "99999"}, {243, "1", "EOLTab", "True"},
                                    {241, "11", "MousePointer", "11"}, {242, "1", "ReadOnly", "True"}});
    ExpectBoth("RawData", "1234,50");
    RoundTrip<CZMCurrencyPropPage>(kCommonHidden);
}

TEST_F(NumberPages, ApplyValidatesEveryFieldBeforeWritingAny) {
    struct Row {
        int item;
        const char* bad;
        const char* message;
    };
    const Row rows[] = {{218, "12", "Please enter an integer between 1 and 10."},
                        {218, "0", "Please enter an integer between 1 and 10."},
                        {202, "-21474836480", "Please enter no more than 11 characters."},
                        {203, "123456789012345", "Please enter no more than 14 characters."},
                        {240, "ab", "Please enter no more than 1 characters."}};
    Two<CZMLongCtrl>();
    for (const Row& row : rows) {
        CZMLongPropPage page;
        page.SetObjects(controls_);
        UserEdit(page.Edit(237), "77");    // a valid field bound before the bad one
        UserEdit(page.Edit(275), "tip");   // and one after it
        UserEdit(page.Edit(row.item), row.bad);
        notices_.messages.clear();
        EXPECT_FALSE(page.Apply()) << row.item;
        ASSERT_EQ(notices_.messages.size(), 1u);
        EXPECT_EQ(notices_.messages[0], row.message);
        ExpectBoth("Value", "0");
        ExpectBoth("ToolTip", "");
    }
    // A value the control refuses comes back as the control's error.
    CZMLongPropPage page;
    page.SetObjects(controls_);
    UserEdit(page.Edit(240), "5");
    notices_.messages.clear();
    EXPECT_FALSE(page.Apply());
    ASSERT_EQ(notices_.messages.size(), 1u);
    EXPECT_EQ(notices_.messages[0], "The FmtThousands property must not be a number (0-9)");
}

TEST_F(NumberPages, FormatListsComeFromTheTypeLibraryByName) {
    Two<CZMCurrencyCtrl>();
    CZMCurrencyPropPage currency;
    currency.SetObjects(controls_);
    ASSERT_EQ(currency.List(244)->count(), 12);
    EXPECT_EQ(currency.List(244)->itemText(0).toStdString(), "0 - _ZM_NF_NC_WININI");
    EXPECT_EQ(currency.List(244)->itemText(11).toStdString(), "11 - _ZM_NF_NC_NPCS");
    CZMLongPropPage numbers;
    numbers.SetObjects(controls_);
    numbers.SetObjects(controls_);
    ASSERT_EQ(numbers.List(241)->count(), 2) << "filled once";
    EXPECT_EQ(numbers.List(241)->itemText(0).toStdString(), "0 - _ZM_FCTL_WININI");
    EXPECT_EQ(numbers.List(241)->itemText(1).toStdString(), "1 - _ZM_FCTL_USER");
    EXPECT_EQ(numbers.Caption(), "ZMLong specific");
    EXPECT_EQ(numbers.HelpContext(), 4006u);
    EXPECT_EQ(CZMDoublePropPage().HelpContext(), 4003u);
    EXPECT_EQ(currency.HelpContext(), 4001u);
    EXPECT_EQ(currency.Caption(), "ZMCurrency specific");
}

TEST_F(NumberPages, SaveAsDefaultWritesTheKindsSectionAndResetRestoresIt) {
    Two<CZMLongCtrl>();
    {
        // Without a defaults store the buttons change nothing.
        CZMLongPropPage page;
        page.SetObjects(controls_);
        UserEdit(page.Edit(239), "9");
        EXPECT_FALSE(page.ResetDefault());
        EXPECT_EQ(page.Edit(239)->text().toStdString(), "9");
        ExpectBoth("MaxValue", "2147483647");
    }
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    CZMDefaultsStore& store = *ZMDefaults();
    CZMLongPropPage page;
    page.SetObjects(controls_);
    UserEdit(page.Edit(239), "500");
    UserEdit(page.Edit(218), "6");
    UserEdit(page.Edit(240), ".");
    page.List(241)->setCurrentIndex(1);
    ASSERT_TRUE(page.SaveAsDefault());
    EXPECT_FALSE(page.IsModified());
    ExpectBoth("MaxValue", "500");
    EXPECT_EQ(store.GetLong(kKindLong, 157, 0), 500);
    EXPECT_EQ(store.GetInt(kKindLong, 154, 0), 6);
    EXPECT_EQ(store.GetInt(kKindLong, 150, 0), 1);
    std::string thousands;
    store.GetCString(kKindLong, 152, &thousands, "");
    EXPECT_EQ(thousands, ".");
    EXPECT_EQ(Get(Add<CZMLongCtrl>("New", 2).Get(), "FmtIntDigits"), "6") << "a new control takes the defaults";

    ASSERT_TRUE(page.ResetDefault());
    EXPECT_EQ(store.GetInt(kKindLong, 154, -1), -1) << "the section is gone";
    EXPECT_EQ(page.Edit(239)->text().toStdString(), "2147483647");
    ExpectBoth("MaxValue", "2147483647");   // applied at once
    ExpectBoth("FmtIntDigits", "10");
    ExpectBoth("FontName", "MS Sans Serif");
    EXPECT_FALSE(page.IsModified());
}

// A sign outside Latin-1 is kept in the code page Apply writes, so the defaults give a new field
// the sign the page showed (it was once kept as "?").
TEST_F(NumberPages, SaveAsDefaultKeepsTheEuroSignOfTheCurrencyFormat) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    Two<CZMCurrencyCtrl>();
    CZMCurrencyPropPage page;
    page.SetObjects(controls_);
    UserEdit(page.Edit(205), "\u20ac");
    ASSERT_TRUE(page.SaveAsDefault());
    ExpectBoth("FmtCurrency", "\u20ac");
    std::string sign;
    ZMDefaults()->GetCString(kKindCurrency, 177, &sign, "");
    EXPECT_EQ(sign, "\x80");
    EXPECT_EQ(Get(Add<CZMCurrencyCtrl>("New", 2).Get(), "FmtCurrency"), "\u20ac") << "a new control takes the defaults";
}

TEST_F(NumberPages, CurrencyResetMarksTheFieldsForTheNextApply) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    Two<CZMCurrencyCtrl>();
    for (const auto& c : controls_) Put(c.Get(), "FmtCurrency", S("EUR"));
    CZMCurrencyPropPage page;
    page.SetObjects(controls_);
    ASSERT_TRUE(page.ResetDefault());
    EXPECT_EQ(page.Edit(205)->text().toStdString(), "$");
    ExpectBoth("FmtCurrency", "EUR");
    ASSERT_TRUE(page.Apply());
    ExpectBoth("FmtCurrency", "$");
    ExpectBoth("MinValue", "-922337203685477.5807");
}

}  // namespace
}  // namespace zmtext::testing
