// The font properties the label and the edit fields share: each announces its own DISPID, the
// size crosses as a single-precision number, and the rules in which the two kinds differ (a size
// of zero, the help file of a refusal) stay as each kind had them.
#include <gtest/gtest.h>

#include "zmtext/controls/tests/label_test_support.h"
#include "zmtext/controls/text_ctrl.h"

namespace zmtext::testing {
namespace {

using com::Variant;

class FontMembers : public ::testing::Test {
protected:
    void SetUp() override {
        label_ = fixture_.Host("Lbl", {0, 0, 100, 20});
        auto text = CZMTextCtrl::Create();
        ASSERT_EQ(fixture_.container->AddControl(com::ComPtr<ctl::IControl>(text), "Txt", {0, 30, 100, 50}, nullptr, nullptr),
                  com::S_OK);
        text_ = text;
        ASSERT_NE(label_, nullptr);
    }
    com::IDispatch* Of(bool label) {
        return label ? LabelFixture::Dispatch(label_) : static_cast<com::IDispatch*>(text_.Get());
    }
    static com::DispId IdOf(com::IDispatch* d, const char* name) {
        com::DispId id = 0;
        EXPECT_EQ(d->GetIDsOfNames(name, &id), com::S_OK) << name;
        return id;
    }

    LabelFixture fixture_;
    CZMLabelCtrl* label_ = nullptr;
    com::ComPtr<CZMTextCtrl> text_;
};

TEST_F(FontMembers, EachSetterReachesTheFontAndAnnouncesItsOwnDispId) {
    struct Row {
        bool label;
        const char* name;
        Variant value;
        com::DispId announced;
        std::string readBack;
    };
    const Row rows[] = {
        {true, "FontName", Variant::Utf8("Arial"), kLabelFontName, "Arial"},
        {true, "FontBold", Variant::Bool(true), kLabelFontBold, "True"},
        {true, "FontItalic", Variant::Bool(true), kLabelFontItalic, "True"},
        {true, "FontUnderline", Variant::Bool(true), kLabelFontUnderline, "True"},
        {true, "FontStrikeThru", Variant::Bool(true), kLabelFontStrikeThru, "True"},
        {true, "FontSize", Variant::R4(9.75f), kLabelFontSize, "9.75"},
        {false, "FontName", Variant::Utf8("Arial"), kTextFontName, "Arial"},
        {false, "FontBold", Variant::I2(1), kTextFontBold, "True"},
        {false, "FontItalic", Variant::Bool(true), kTextFontItalic, "True"},
        {false, "FontUnderline", Variant::Bool(true), kTextFontUnderline, "True"},
        {false, "FontStrikeThru", Variant::Bool(true), kTextFontStrikeThru, "True"},
        {false, "FontSize", Variant::R4(9.75f), kTextFontSize, "9.75"},
    };
    for (const Row& row : rows) {
        com::IDispatch* d = Of(row.label);
        fixture_.changes.clear();
        const com::DispId id = IdOf(d, row.name);
        const CallResult r = PutMember(d, id, row.value);
        EXPECT_EQ(r.hr, com::S_OK) << row.name << " " << r.excep.description;
        EXPECT_NE(std::find(fixture_.changes.begin(), fixture_.changes.end(), row.announced), fixture_.changes.end())
            << row.name << (row.label ? " of the label" : " of the text field");
        Variant shown;
        const Variant got = GetMember(d, id);
        if (got.BaseType() == com::VT_BOOL) {
            EXPECT_EQ(got.AsBool() ? "True" : "False", row.readBack) << row.name;
        } else {
            ASSERT_TRUE(com::Succeeded(com::ChangeType(shown, got, com::VT_BSTR))) << row.name;
            EXPECT_EQ(shown.AsStr().ToUtf8(), row.readBack) << row.name;
        }
    }
}

TEST_F(FontMembers, EachKindKeepsItsOwnRulesForDoubtfulValues) {
    struct Row {
        bool label;
        const char* name;
        Variant value;
        bool refused;
        bool withHelpFile;   // of a refusal
    };
    const Row rows[] = {
        // A size of zero: the label refuses it; the edit field hands it to the font.
        {true, "FontSize", Variant::R4(0), true, false},
        {false, "FontSize", Variant::R4(0), false, false},
        {true, "FontSize", Variant::R4(-2), true, false},
        // A size beyond the font's currency value: both refuse it, the edit field with its help file.
        {true, "FontSize", Variant::R4(1e30f), true, false},
        {false, "FontSize", Variant::R4(1e30f), true, true},
    };
    for (const Row& row : rows) {
        com::IDispatch* d = Of(row.label);
        const CallResult r = PutMember(d, IdOf(d, row.name), row.value);
        const std::string where = std::string(row.name) + (row.label ? " of the label" : " of the text field");
        if (!row.refused) {
            EXPECT_EQ(r.hr, com::S_OK) << where;
            continue;
        }
        EXPECT_EQ(r.hr, com::DISP_E_EXCEPTION) << where;
        EXPECT_EQ(r.excep.scode, com::CTL_E_INVALIDPROPERTYVALUE) << where;
        EXPECT_EQ(!r.excep.helpFile.empty(), row.withHelpFile) << where << " " << r.excep.helpFile;
    }
}

}  // namespace
}  // namespace zmtext::testing
