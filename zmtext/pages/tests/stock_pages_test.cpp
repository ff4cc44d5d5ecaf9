// The stock colour, font and picture pages among the controls' pages: each control lists its pages
// in its own order followed by the three stock pages; the stock pages are made by class id through
// the component layer and edit the selected controls' colours and font through Apply.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "platform/ctl/property_sheet.h"
#include "platform/ctl/services.h"
#include "zmtext/controls/currency_ctrl.h"
#include "zmtext/controls/date_ctrl.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/label_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/field_test_support.h"
#include "zmtext/controls/text_ctrl.h"
#include "zmtext/controls/time_ctrl.h"
#include "zmtext/pages/tests/page_test_support.h"

namespace zmtext::testing {
namespace {

using com::Guid;

template <class C>
std::vector<Guid> PagesOf() {
    std::vector<Guid> pages;
    EXPECT_EQ(C::Create()->GetPropertyPages(&pages), com::S_OK);
    return pages;
}

std::vector<Guid> Ids(std::initializer_list<const char*> texts) {
    std::vector<Guid> ids;
    for (const char* t : texts) ids.push_back(Guid::FromString(t));
    return ids;
}

constexpr const char* kColor = "{0BE35201-8F91-11CE-9DE3-00AA004BB851}";
constexpr const char* kFont = "{0BE35200-8F91-11CE-9DE3-00AA004BB851}";
constexpr const char* kPicture = "{0BE35202-8F91-11CE-9DE3-00AA004BB851}";
constexpr const char* kCommon = "{A5CC20A7-B5F5-11CD-98EC-0020AF234C9D}";

TEST(ControlPageLists, EachControlListsItsPagesThenTheStockPages) {
    EngineTestApp();
    const struct {
        const char* control;
        std::vector<Guid> listed;
        std::vector<Guid> expected;
    } rows[] = {
        {"text", PagesOf<CZMTextCtrl>(),
         Ids({"{F15F3DEE-F5B1-11CD-A9B5-0020AF234C9D}", "{9CCAC100-F673-11CD-A9B5-0020AF234C9D}", kCommon, kColor,
              kFont, kPicture})},
        {"date", PagesOf<CZMDateCtrl>(),
         Ids({"{A5CC20AC-B5F5-11CD-98EC-0020AF234C9D}", "{95FDF781-0ACE-11CE-A9B5-0020AF234C9D}", kCommon, kColor,
              kFont, kPicture})},
        {"time", PagesOf<CZMTimeCtrl>(),
         Ids({"{A5CC20B1-B5F5-11CD-98EC-0020AF234C9D}", "{95FDF780-0ACE-11CE-A9B5-0020AF234C9D}", kCommon, kColor,
              kFont, kPicture})},
        {"long", PagesOf<CZMLongCtrl>(),
         Ids({"{A5CC20B6-B5F5-11CD-98EC-0020AF234C9D}", kCommon, kColor, kFont, kPicture})},
        {"double", PagesOf<CZMDoubleCtrl>(),
         Ids({"{A5CC20BB-B5F5-11CD-98EC-0020AF234C9D}", kCommon, kColor, kFont, kPicture})},
        {"currency", PagesOf<CZMCurrencyCtrl>(),
         Ids({"{A5CC20C0-B5F5-11CD-98EC-0020AF234C9D}", kCommon, kColor, kFont, kPicture})},
        {"label", PagesOf<CZMLabelCtrl>(), Ids({"{A5CC20C5-B5F5-11CD-98EC-0020AF234C9D}", kColor, kFont, kPicture})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.control);
        ASSERT_EQ(row.listed.size(), row.expected.size());
        for (std::size_t i = 0; i < row.listed.size(); ++i)
            EXPECT_EQ(row.listed[i].ToString(), row.expected[i].ToString()) << "page " << i;
    }
}

class StockPages : public FieldHostTest {
protected:
    void SetUp() override {
        FieldHostTest::SetUp();
        text_ = AddField<CZMTextCtrl>("Txt", 0);
        long_ = AddField<CZMLongCtrl>("Lng", 1);
    }
    std::vector<com::ComPtr<com::IDispatch>> Both() const {
        return {com::ComPtr<com::IDispatch>(text_.Get()), com::ComPtr<com::IDispatch>(long_.Get())};
    }

    ctl::ScriptedNotices notices_;
    ctl::ScopedNotices scoped_{&notices_};
    com::ComPtr<CZMTextCtrl> text_;
    com::ComPtr<CZMLongCtrl> long_;
};

TEST_F(StockPages, TheStockPagesAreMadeByTheirClassIds) {
    const struct {
        const char* clsid;
        const char* caption;
    } rows[] = {{kColor, "Color"}, {kFont, "Font"}, {kPicture, "Picture"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.clsid);
        com::HResult hr = com::E_FAIL;
        const auto page = ctl::CreatePropertyPage(Guid::FromString(row.clsid), &hr);
        EXPECT_EQ(hr, com::S_OK);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->Caption(), row.caption);
    }
    com::HResult hr = com::S_OK;
    EXPECT_EQ(ctl::CreatePropertyPage(Guid::FromString("{0BE35203-8F91-11CE-9DE3-00AA004BB851}"), &hr), nullptr);
    EXPECT_EQ(hr, com::REGDB_E_CLASSNOTREG);
}

TEST_F(StockPages, TheColourPageSetsTheChosenColourOnEverySelectedControl) {
    const auto made = ctl::CreatePropertyPage(ctl::kStockColorPageClsid);
    auto* page = dynamic_cast<ctl::StockColorPage*>(made.get());
    ASSERT_NE(page, nullptr);
    page->SetObjects(Both());
    // Loaded from the first control: BackColor first, as the window colour.
    EXPECT_EQ(page->PropertyList()->currentText().toStdString(), "BackColor");
    EXPECT_EQ(page->Value()->text().toStdString(), std::to_string(0x80000005u));

    const struct {
        int property;        // index in the page's property list
        int systemColor;     // a system colour picked (-1: a number typed)
        const char* typed;
        const char* name;
        const char* expected;   // what both controls then report
    } rows[] = {
        {1, -1, "255", "ForeColor", "255"},
        {0, 15, nullptr, "BackColor", "-2147483633"},   // 0x8000000F, the button face
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        page->PropertyList()->setCurrentIndex(row.property);
        if (row.systemColor >= 0) {
            page->SystemColors()->setCurrentIndex(row.systemColor);
            emit page->SystemColors()->activated(row.systemColor);
        } else {
            UserEdit(page->Value(), row.typed);
        }
        EXPECT_TRUE(page->IsModified());
        ASSERT_TRUE(page->Apply());
        EXPECT_EQ(Get(text_.Get(), row.name), row.expected);
        EXPECT_EQ(Get(long_.Get(), row.name), row.expected);
        EXPECT_FALSE(page->IsModified());
    }
    EXPECT_TRUE(notices_.messages.empty());
}

TEST_F(StockPages, TheFontPageSetsTheFontOfEverySelectedControl) {
    const auto made = ctl::CreatePropertyPage(ctl::kStockFontPageClsid);
    auto* page = dynamic_cast<ctl::StockFontPage*>(made.get());
    ASSERT_NE(page, nullptr);
    page->SetObjects(Both());
    EXPECT_EQ(page->Name()->text().toStdString(), Get(text_.Get(), "FontName"));

    UserEdit(page->Name(), "Arial");
    UserEdit(page->Size(), "9.75");
    page->Bold()->setChecked(true);
    page->Italic()->setChecked(true);
    ASSERT_TRUE(page->Apply());
    const std::pair<const char*, const char*> expected[] = {
        {"FontName", "Arial"}, {"FontSize", "9.75"}, {"FontBold", "True"},
        {"FontItalic", "True"}, {"FontUnderline", "False"},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(Get(text_.Get(), name), value) << name;
        EXPECT_EQ(Get(long_.Get(), name), value) << name;
    }

    // A size that is no positive number is refused before anything is written.
    UserEdit(page->Name(), "Courier New");
    UserEdit(page->Size(), "0");
    EXPECT_FALSE(page->Apply());
    ASSERT_EQ(notices_.messages.size(), 1u);
    EXPECT_EQ(Get(text_.Get(), "FontName"), "Arial");
}

}  // namespace
}  // namespace zmtext::testing
