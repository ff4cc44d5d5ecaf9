// The text field's property pages on two selected fields: every field through Apply and back,
// validation of every field before any is written, the Characters boxes, the lists from the
// type library, the defaults buttons, and the pages as classes of the library.
#include <gtest/gtest.h>

#include "platform/ctl/property_sheet.h"
#include "platform/ctl/services.h"
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/tests/text_test_support.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/pages/tests/page_test_support.h"
#include "zmtext/pages/text_pages.h"

namespace zmtext::testing {
namespace {

using com::Variant;

class TextPages : public TextControlTest {
protected:
    void SetUp() override {
        TextControlTest::SetUp();
        a_ = Add("A", 0);
        b_ = Add("B", 1);
    }
    std::vector<com::ComPtr<com::IDispatch>> Both() const {
        return {com::ComPtr<com::IDispatch>(a_.Get()), com::ComPtr<com::IDispatch>(b_.Get())};
    }
    void ExpectBoth(const char* property, const std::string& value) {
        EXPECT_EQ(Shown(GetProperty(a_.Get(), property)), value) << property;
        EXPECT_EQ(Shown(GetProperty(b_.Get(), property)), value) << property;
    }

    ctl::ScriptedNotices notices_;
    ctl::ScopedNotices scoped_{&notices_};
    com::ComPtr<CZMTextCtrl> a_, b_;
};

// --- CZMText2PropPage -------------------------------------------------------------------------------

const FieldRow kText2Rows[] = {
    {220, "#", "FillChar", "#"},          {219, "##-##", "Mask", "##-##"},
    {222, "3", "MaxLength", "3"},         {221, "*", "PasswordChar", "*"},
    {223, "0", "UseFillChar", "False"},   {224, "0", "ValidateMask", "False"},
    {215, "12632256", "BackColor", "12632256"}, {216, "255", "ForeColor", "255"},
    {233, "2", "BorderEffect", "2"},      {232, "0", "BorderStyle", "0"},
    {234, "1", "DataProperty", "1"},      {242, "0", "Enabled", "False"},
    {238, "1", "EOLTab", "True"},         {239, "1", "ErrorBeep", "True"},
    {240, "1", "FocusSelect", "True"},    {241, "0", "Insert", "False"},
    {235, "1", "Justification", "1"},     {236, "11", "MousePointer", "11"},
    {237, "1", "ReadOnly", "True"},       {217, "12", "Characters", "12"},
    {218, "0", "HideSelection", "False"}, {227, "xyz", "CharacterTable", "xyz"},
    {268, "1", "FontBold", "True"},       {269, "1", "FontItalic", "True"},
    {266, "Arial", "FontName", "Arial"},  {267, "9.75", "FontSize", "9.75"},
    {272, "1", "FontStrikethru", "True"}, {270, "1", "FontUnderline", "True"},
    {208, "0", "AutoScroll", "False"},    {275, "Dica", "ToolTip", "Dica"},
};

void Enter(CZMText2PropPage& page, const FieldRow& row) {
    if (QCheckBox* check = page.Check(row.item)) check->setChecked(row.value[0] == '1');
    else UserEdit(page.Edit(row.item), row.value);
}

TEST_F(TextPages, Text2PageSendsEveryFieldToBothControlsAndShowsThemAgain) {
    CZMText2PropPage page;
    page.SetObjects(Both());
    for (const FieldRow& row : kText2Rows) Enter(page, row);
    EXPECT_TRUE(page.IsModified());
    ASSERT_TRUE(page.Apply());
    for (const FieldRow& row : kText2Rows) ExpectBoth(row.property, row.expected);

    CZMText2PropPage again;
    again.SetObjects(Both());
    for (const FieldRow& row : kText2Rows) {
        if (QCheckBox* check = again.Check(row.item)) EXPECT_EQ(check->isChecked(), row.value[0] == '1') << row.property;
        else EXPECT_EQ(again.Edit(row.item)->text().toStdString(), row.value) << row.property;
    }
    EXPECT_FALSE(again.IsModified());
}

TEST_F(TextPages, ApplyValidatesEveryFieldBeforeWritingAny) {
    struct Row {
        int item;
        const char* bad;
        const char* message;
    };
    const Row rows[] = {{222, "256", "Please enter an integer between 0 and 255."},
                        {220, "ab", "Please enter no more than 1 characters."},
                        {219, "", "Please enter no more than 255 characters."}};
    const std::string longMask(256, '#');
    for (const Row& row : rows) {
        CZMText2PropPage page;
        page.SetObjects(Both());
        UserEdit(page.Edit(227), "qq");   // a valid field bound before and after the bad one
        UserEdit(page.Edit(275), "tip");
        UserEdit(page.Edit(row.item), row.item == 219 ? longMask.c_str() : row.bad);
        notices_.messages.clear();
        EXPECT_FALSE(page.Apply()) << row.item;
        ASSERT_EQ(notices_.messages.size(), 1u);
        EXPECT_EQ(notices_.messages[0], row.message);
        ExpectBoth("CharacterTable", "");
        ExpectBoth("ToolTip", "");
    }
}

// --- CZMTextCharPropPage ----------------------------------------------------------------------------

TEST_F(TextPages, CharactersBoxesFollowTheirRules) {
    struct Row {
        int start;
        int box;
        int value;
    };
    const Row rows[] = {
        {-1, 228, 46}, {-1, 229, 45}, {-1, 230, 43}, {-1, 231, 39}, {-1, 233, 15}, {-1, 232, 63},
        {-1, 227, 47}, {47, 227, -1}, {47, 232, 63}, {6, 229, 4},   {6, 228, 7},   {16, 232, 0},
    };
    for (const Row& row : rows) {
        Put(*a_, "Characters", Variant::I2(static_cast<std::int16_t>(row.start)));
        CZMTextCharPropPage page;
        page.SetObjects(Both());
        page.Box(row.box)->click();
        EXPECT_EQ(page.Value()->text().toInt(), row.value) << row.start << " box " << row.box;
        ASSERT_TRUE(page.Apply());
        ExpectBoth("Characters", std::to_string(row.value));
        // The boxes show the new value: -1 checks all but "capitalise".
        for (int id = 227; id <= 233; ++id) {
            const int flags[] = {-1, 1, 2, 4, 8, 16, 32};
            const int f = flags[id - 227];
            const bool on = row.value == -1 ? f != 16 : (f != -1 && (row.value & f) != 0);
            EXPECT_EQ(page.Box(id)->isChecked(), on) << row.value << " box " << id;
        }
    }
    CZMTextCharPropPage page;
    page.SetObjects(Both());
    UserEdit(page.Value(), "64");
    EXPECT_FALSE(page.Apply()) << "the page's range is -1 to 63";
    UserEdit(page.Value(), "-1");
    EXPECT_TRUE(page.Box(227)->isChecked());
    EXPECT_FALSE(page.Box(232)->isChecked());
}

// --- CZMTextPropPage --------------------------------------------------------------------------------

TEST_F(TextPages, CommonPageListsComeFromTheTypeLibraryAndTheTextFieldOffersTwoDataProperties) {
    CZMTextPropPage page;
    page.SetObjects(Both());
    auto entries = [&](int id) {
        std::vector<std::string> out;
        for (int i = 0; i < page.List(id)->count(); ++i) out.push_back(page.List(id)->itemText(i).toStdString());
        return out;
    };
    EXPECT_EQ(entries(204), (std::vector<std::string>{"0 - None", "1 - Fixed Single"}));
    EXPECT_EQ(entries(205), (std::vector<std::string>{"0 - None", "1 - Pop", "2 - Drop"}));
    EXPECT_EQ(entries(206), (std::vector<std::string>{"0 - Text", "1 - Raw"}));
    EXPECT_EQ(entries(207), (std::vector<std::string>{"0 - Left", "1 - Center", "2 - Right"}));
    ASSERT_EQ(entries(214).size(), 14u);
    EXPECT_EQ(entries(214)[3], "3 - I-Beam");
    EXPECT_EQ(page.List(214)->currentIndex(), 3);
}

TEST_F(TextPages, CommonPageSendsEveryFieldToBothControls) {
    CZMTextPropPage page;
    page.SetObjects(Both());
    const std::pair<int, int> lists[] = {{205, 1}, {204, 0}, {206, 1}, {207, 2}, {214, 12}};
    for (const auto& [id, index] : lists) page.List(id)->setCurrentIndex(index);
    for (int id : {210, 211, 212, 213, 209, 217}) {
        auto* check = qobject_cast<QCheckBox*>(page.Item(id));
        check->setChecked(!check->isChecked());
    }
    UserEdit(qobject_cast<QLineEdit*>(page.Item(202)), "raw");
    UserEdit(qobject_cast<QLineEdit*>(page.Item(208)), "tip");
    ASSERT_TRUE(page.Apply());
    const std::pair<const char*, const char*> expected[] = {
        {"BorderEffect", "1"}, {"BorderStyle", "0"}, {"DataProperty", "1"}, {"Justification", "2"},
        {"MousePointer", "12"}, {"EOLTab", "True"}, {"ErrorBeep", "True"}, {"FocusSelect", "True"},
        {"Insert", "False"}, {"ReadOnly", "True"}, {"Enabled", "False"}, {"RawData", "raw"}, {"Text", "raw"},
        {"ToolTip", "tip"}};
    for (const auto& [property, value] : expected) ExpectBoth(property, value);
}

// --- Defaults buttons ------------------------------------------------------------------------------

TEST_F(TextPages, SaveAsDefaultWritesTheTextSectionAndResetPutsTheBuiltInValues) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    CZMDefaultsStore& store = *ZMDefaults();
    CZMText2PropPage page;
    page.SetObjects(Both());
    UserEdit(page.Edit(219), "%%%");
    UserEdit(page.Edit(221), "*");
    page.Check(223)->setChecked(false);
    ASSERT_TRUE(page.SaveAsDefault());
    EXPECT_FALSE(page.IsModified());
    const std::pair<int, int> ints[] = {{131, 0}, {132, 0}, {133, 1}, {221, 3}, {120, 1}, {126, 1}, {128, -1}};
    for (const auto& [key, value] : ints) EXPECT_EQ(store.GetInt(0, key, 99), value) << key;
    std::string text;
    store.GetCString(0, 130, &text, "");
    EXPECT_EQ(text, "%%%");
    store.GetCString(0, 135, &text, "");
    EXPECT_EQ(text, "*");
    EXPECT_EQ(store.GetLong(0, 116, 0), static_cast<std::int32_t>(0x80000005u));
    EXPECT_EQ(store.GetInt(0, 236, 0), a_->GetControlSize().width());

    Put(*a_, "MousePointer", Variant::I2(1));
    Put(*a_, "FontSize", Variant::R4(12));
    ASSERT_TRUE(page.ResetDefault());
    EXPECT_EQ(store.GetInt(0, 131, 99), 99) << "the section is gone";
    EXPECT_FALSE(page.IsModified());
    ASSERT_TRUE(page.Apply());
    for (const auto& c : {a_, b_}) {
        EXPECT_EQ(Shown(GetProperty(c.Get(), "MousePointer")), "3");
        EXPECT_EQ(Shown(GetProperty(c.Get(), "FontSize")), "8");
        EXPECT_EQ(Shown(GetProperty(c.Get(), "Mask")), "");
        EXPECT_EQ(Shown(GetProperty(c.Get(), "UseFillChar")), "True");
        EXPECT_EQ(Shown(GetProperty(c.Get(), "BackColor")), "-2147483643");
    }
}

// --- Classes ---------------------------------------------------------------------------------------

TEST(TextPageClasses, EachPageIsCreatedByItsClassIdWithItsCaptionAndHelp) {
    EngineTestApp();
    struct Row {
        const char* clsid;
        const char* caption;
        std::uint32_t help;
    };
    const Row rows[] = {{"{F15F3DEE-F5B1-11CD-A9B5-0020AF234C9D}", "ZMText Specific", 4009},
                        {"{9CCAC100-F673-11CD-A9B5-0020AF234C9D}", "Characters", 4010},
                        {"{A5CC20A7-B5F5-11CD-98EC-0020AF234C9D}", "General", 4002}};
    std::vector<com::Guid> expectedPages;
    for (const Row& row : rows) {
        const com::Guid clsid = com::Guid::FromString(row.clsid);
        expectedPages.push_back(clsid);
        SCOPED_TRACE(row.clsid);
        ExpectPageClass(clsid, row.caption, row.help);
    }
    expectedPages.insert(expectedPages.end(),
                         {ctl::kStockColorPageClsid, ctl::kStockFontPageClsid, ctl::kStockPicturePageClsid});
    std::vector<com::Guid> listed;
    EXPECT_EQ(CZMTextCtrl::Create()->GetPropertyPages(&listed), com::S_OK);
    EXPECT_EQ(listed, expectedPages) << "the mask page, the Characters page, the common page, the stock pages";
}

}  // namespace
}  // namespace zmtext::testing
