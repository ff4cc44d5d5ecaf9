// The label's property page over two selected labels: its lists from the type library, every
// field through Apply, validation before any write, the defaults buttons and its class object.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/ctl/property_sheet.h"
#include "platform/ctl/services.h"
#include "zmtext/controls/tests/label_test_support.h"
#include "zmtext/pages/label_page.h"
#include "zmtext/pages/page_class.h"

namespace zmtext {
namespace {

using com::Variant;
using testing::GetMember;

class LabelPageTest : public ::testing::Test, protected testing::LabelFixture {
protected:
    void SetUp() override {
        first = Host("Lbl1", {0, 0, 120, 24});
        second = Host("Lbl2", {0, 30, 80, 54});
        ASSERT_TRUE(first && second);
        page.SetObjects({com::ComPtr<com::IDispatch>(Dispatch(first)), com::ComPtr<com::IDispatch>(Dispatch(second))});
    }
    // As the user types into a field.
    void Type(int id, const QString& text) {
        page.Edit(id)->setText(text);
        emit page.Edit(id)->textEdited(text);
    }
    std::string IniText() const {
        std::ifstream in(root.DriveC() / "WINDOWS" / "VX4WIN.INI");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static std::string Text(const Variant& v) {
        Variant s;
        return com::Succeeded(com::ChangeType(s, v, com::VT_BSTR)) ? s.AsStr().ToUtf8() : "?";
    }

    ctl::ScriptedNotices notices;
    ctl::ScopedNotices scopedNotices{&notices};
    CZMLabelCtrl* first = nullptr;
    CZMLabelCtrl* second = nullptr;
    CZMLabelPropPage page;
};

TEST_F(LabelPageTest, CaptionHelpAndListsFromTheTypeLibrary) {
    EXPECT_EQ(page.Caption(), "General");
    EXPECT_TRUE(page.HelpFile().ends_with("ZMTEXT.HLP")) << page.HelpFile();
    page.OnHelp();
    ASSERT_EQ(notices.help.size(), 1u);
    EXPECT_EQ(notices.help[0].second, 4002u);

    const struct {
        int item;
        int count;
        int index;
        const char* entry;
    } rows[] = {
        {254, 3, 2, "2 - _ZM_JU_RIGHT"},      {255, 3, 0, "0 - _LB_NONE"},   {205, 3, 1, "1 - _ZM_BE_POP"},
        {258, 3, 2, "2 - _CT_RAISED"},        {259, 3, 1, "1 - _LS_HORZBUMP"}, {214, 14, 13, "13 - _MP_CUSTOM"},
        {204, 2, 1, "1 - _ZM_BS_SINGLE"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item);
        QComboBox* combo = page.Combo(row.item);
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->count(), row.count);
        EXPECT_EQ(combo->itemText(row.index).toStdString(), row.entry);
    }
    // Loaded from the first label.
    EXPECT_EQ(page.Combo(255)->currentIndex(), 1);
    EXPECT_EQ(page.Edit(256)->text().toStdString(), "Lbl1");
    EXPECT_EQ(page.Edit(261)->text().toStdString(), "-2147483643");   // 0x80000005 as a signed number
    EXPECT_EQ(page.Edit(274)->text().toStdString(), "120");
    EXPECT_FALSE(page.IsModified());
}

TEST_F(LabelPageTest, EveryFieldReachesBothLabelsThroughApply) {
    struct Field {
        int item;
        const char* property;
        std::function<void()> edit;
        const char* expected;
    };
    const std::vector<Field> fields{
        {256, "Caption", [&] { Type(256, "Aguarde..."); }, "Aguarde..."},
        {261, "BackColor", [&] { Type(261, "12632319"); }, "12632319"},
        {262, "ForeColor", [&] { Type(262, "128"); }, "128"},
        {218, "ChiselColor", [&] { Type(218, "0"); }, "0"},
        {266, "FontName", [&] { Type(266, "Arial"); }, "Arial"},
        {267, "FontSize", [&] { Type(267, "12"); }, "12"},
        {254, "Alignment", [&] { page.Combo(254)->setCurrentIndex(2); }, "2"},
        {255, "BackgroundStyle", [&] { page.Combo(255)->setCurrentIndex(2); }, "2"},
        {205, "BorderEffect", [&] { page.Combo(205)->setCurrentIndex(1); }, "1"},
        {204, "BorderStyle", [&] { page.Combo(204)->setCurrentIndex(1); }, "1"},
        {258, "ChiselText", [&] { page.Combo(258)->setCurrentIndex(2); }, "2"},
        {259, "LabelStyle", [&] { page.Combo(259)->setCurrentIndex(1); }, "1"},
        {214, "MousePointer", [&] { page.Combo(214)->setCurrentIndex(11); }, "11"},
        {217, "Enabled", [&] { page.Check(217)->setChecked(false); }, "0"},
        {260, "WordWrap", [&] { page.Check(260)->setChecked(true); }, "-1"},
        {268, "FontBold", [&] { page.Check(268)->setChecked(true); }, "-1"},
        {269, "FontItalic", [&] { page.Check(269)->setChecked(true); }, "-1"},
        {270, "FontUnderline", [&] { page.Check(270)->setChecked(true); }, "-1"},
        {272, "FontStrikethru", [&] { page.Check(272)->setChecked(true); }, "-1"},
    };
    for (const Field& f : fields) f.edit();
    EXPECT_TRUE(page.IsModified());
    for (const Field& f : fields) EXPECT_TRUE(page.ControlStatus(page.Item(f.item))) << f.property;
    ASSERT_TRUE(page.Apply()) << (notices.messages.empty() ? "" : notices.messages.back());
    EXPECT_FALSE(page.IsModified());
    for (CZMLabelCtrl* label : {first, second})
        for (const Field& f : fields) {
            com::DispId id = 0;
            ASSERT_EQ(Dispatch(label)->GetIDsOfNames(f.property, &id), com::S_OK) << f.property;
            EXPECT_EQ(Text(GetMember(Dispatch(label), id)), f.expected) << f.property;
        }
    // The sizes are each label's own; the page never writes them.
    EXPECT_EQ(first->GetControlSize(), QSize(120, 24));
    EXPECT_EQ(second->GetControlSize(), QSize(80, 24));

    // Loaded again, the page shows what it wrote.
    page.SetObjects({com::ComPtr<com::IDispatch>(Dispatch(second))});
    EXPECT_EQ(page.Edit(256)->text().toStdString(), "Aguarde...");
    EXPECT_EQ(page.Combo(214)->currentIndex(), 11);
    EXPECT_TRUE(page.Check(272)->isChecked());
    EXPECT_EQ(page.Edit(274)->text().toStdString(), "80");
}

TEST_F(LabelPageTest, ApplyChecksEveryFieldBeforeWritingAny) {
    const struct {
        int item;
        const char* text;
        const char* message;
    } rows[] = {
        {261, "vermelho", "Please enter an integer between -2147483648 and 2147483647."},
        {262, "4294967295", "Please enter an integer between -2147483648 and 2147483647."},
        {218, "", "Please enter an integer between -2147483648 and 2147483647."},
        {267, "oito", "Invalid property value"},
        {267, "0", "Invalid property value"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        page.SetObjects({com::ComPtr<com::IDispatch>(Dispatch(first)), com::ComPtr<com::IDispatch>(Dispatch(second))});
        notices.messages.clear();
        Type(256, "Novo");                       // a good field before the bad one
        page.Combo(259)->setCurrentIndex(2);
        Type(row.item, row.text);
        EXPECT_FALSE(page.Apply());
        ASSERT_EQ(notices.messages.size(), 1u);
        EXPECT_EQ(notices.messages[0], row.message);
        for (CZMLabelCtrl* label : {first, second}) {
            EXPECT_NE(label->GetCaption(), "Novo");
            EXPECT_EQ(label->GetLabelStyle(), 0);
        }
        EXPECT_TRUE(page.IsModified());
    }
    // "8." is how a whole size may be written.
    Type(267, "8.");
    Type(261, "255");
    Type(262, "0");
    Type(218, "0");
    EXPECT_TRUE(page.Apply());
    EXPECT_EQ(first->GetCaption(), "Novo");
}

TEST_F(LabelPageTest, SaveAsDefaultFeedsTheNextLabelAndResetDefaultRestoresTheBuiltInValues) {
    Type(261, "255");
    page.Combo(205)->setCurrentIndex(2);
    page.Check(260)->setChecked(true);
    Type(266, "Arial");
    page.Button(220)->click();
    EXPECT_FALSE(page.IsModified());
    EXPECT_EQ(first->GetBorderEffect(), 2);   // applied first
    const std::string ini = IniText();
    for (const char* line : {"[ZMLabel Settings]", "BackColor=255", "ForeColor=-2147483640", "ChiselColor=16777215",
                             "BorderStyle=0", "BorderEffect=2", "Alignment=0", "ChiselText=0", "LabelStyle=0",
                             "MousePointer=0", "BackgroundStyle=1", "WordWrap=1", "FontName=Arial", "FontSize=8",
                             "FontBold=0", "FontItalic=0", "FontUnderline=0", "FontStrikethru=0", "Height=24",
                             "Width=120"})
        EXPECT_NE(ini.find(line), std::string::npos) << line << "\n" << ini;
    CZMLabelCtrl* next = Host("Lbl3", {0, 0, 0, 0});
    EXPECT_EQ(next->GetBackColor().value, 255u);
    EXPECT_EQ(next->GetBorderEffect(), 2);
    EXPECT_TRUE(next->GetWordWrap());
    EXPECT_EQ(next->GetControlSize(), QSize(120, 24));

    page.Check(217)->setChecked(false);
    page.SetModifiedFlag(false);
    page.Button(221)->click();
    EXPECT_EQ(IniText().find("ZMLabel"), std::string::npos);
    EXPECT_FALSE(page.IsModified());
    EXPECT_EQ(page.Edit(261)->text().toStdString(), "-2147483643");
    EXPECT_EQ(page.Edit(262)->text().toStdString(), "-2147483640");
    EXPECT_EQ(page.Edit(218)->text().toStdString(), "16777215");
    EXPECT_EQ(page.Edit(266)->text().toStdString(), "MS Sans Serif");
    EXPECT_EQ(page.Edit(267)->text().toStdString(), "8");
    EXPECT_EQ(page.Combo(255)->currentIndex(), 1);
    EXPECT_EQ(page.Combo(205)->currentIndex(), 0);
    EXPECT_FALSE(page.Check(260)->isChecked());
    EXPECT_FALSE(page.Check(217)->isChecked());   // Enabled is left as it was
    EXPECT_TRUE(page.ControlStatus(page.Item(205)));
    ASSERT_TRUE(page.Apply());
    EXPECT_EQ(first->GetBorderEffect(), 0);
    EXPECT_FALSE(first->GetWordWrap());
    EXPECT_EQ(first->InternalGetFont().Name(), "MS Sans Serif");
}

TEST_F(LabelPageTest, AboutIsNoEditAndThePageClassMakesThePage) {
    page.Button(222)->click();
    ASSERT_EQ(notices.aboutBoxes.size(), 1u);
    EXPECT_EQ(notices.aboutBoxes[0].first, "About ZMLabel Control");
    EXPECT_EQ(notices.aboutBoxes[0].second.at(0), "Halvern Label Control");
    EXPECT_FALSE(page.IsModified());

    const ZMPageFactory* factory = nullptr;
    for (const auto& p : ZMFactories().pages)
        if (p.clsid == com::Guid::FromString("{A5CC20C5-B5F5-11CD-98EC-0020AF234C9D}")) factory = &p;
    ASSERT_NE(factory, nullptr);
    com::ComPtr<ctl::IPropertyPageClass> object;
    ASSERT_EQ(factory->create(ctl::IPropertyPageClass::kIid, object.PutVoid()), com::S_OK);
    std::unique_ptr<ctl::PropertyPage> made = object->CreatePage();
    ASSERT_NE(dynamic_cast<CZMLabelPropPage*>(made.get()), nullptr);
    // The label names this page as its own, then the stock pages.
    std::vector<com::Guid> pages;
    ASSERT_EQ(first->GetPropertyPages(&pages), com::S_OK);
    EXPECT_EQ(pages, (std::vector<com::Guid>{factory->clsid, ctl::kStockColorPageClsid, ctl::kStockFontPageClsid,
                                             ctl::kStockPicturePageClsid}));
}

}  // namespace
}  // namespace zmtext
