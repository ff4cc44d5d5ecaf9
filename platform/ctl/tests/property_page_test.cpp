#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "platform/com/factory.h"
#include "platform/ctl/colors.h"
#include "platform/ctl/font_picture.h"
#include "platform/ctl/interfaces.h"
#include "platform/ctl/property_sheet.h"
#include "platform/ctl/services.h"
#include "platform/ctl/tests/support/app.h"
#include "platform/ctl/tests/support/field_library.h"
#include "platform/ctl/tests/support/test_field.h"

namespace ctl {
namespace {

using com::Variant;

// A page with one field of each kind over the test field's properties.
class FieldPage : public PropertyPage {
public:
    FieldPage() : PropertyPage("General", "C:\\HELP\\TESTFLD.HLP", 4002) {
        for (auto* e : {&text, &limit, &free}) *e = Own<QLineEdit>();
        enabled = Own<QCheckBox>();
        border = Own<QComboBox>();
        border->addItems({"0 - None", "1 - Fixed Single"});
        note = Own<QLineEdit>();
        BindText(text, "Text");
        ValidateMaxChars(text, 8);
        BindText(limit, "Limit", com::VT_I2);
        ValidateRange(limit, 0, 255);
        BindText(free, "Limit", com::VT_I2);   // the same property without validation
        BindCheck(enabled, "Enabled");
        BindListIndex(border, "BorderStyle");
        BindText(note, "Text");
        IgnoreApply(note);
    }
    QLineEdit *text, *limit, *free, *note;
    QCheckBox* enabled;
    QComboBox* border;

private:
    template <class W>
    W* Own() {
        auto w = std::make_unique<W>();
        w->setParent(this);
        return w.release();
    }
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(library.Registered());
        for (int i = 0; i < 2; ++i) {
            ComPtr<IControl> control;
            ASSERT_EQ(com::CreateInstance(testlib::kFieldClsid, &control), com::S_OK);
            ASSERT_EQ(control->InitNew(), com::S_OK);
            objects.push_back(control.As<com::IDispatch>());
            controls.push_back(control);
        }
        Put(0, "Text", Variant::Utf8("first"));
        Put(1, "Text", Variant::Utf8("second"));
    }
    void TearDown() override {
        objects.clear();
        controls.clear();
    }

    Variant Get(std::size_t i, const char* name) const {
        return com::GetProperty(objects[i].Get(), com::IdOfName(objects[i].Get(), name));
    }
    void Put(std::size_t i, const char* name, Variant v) {
        com::PutProperty(objects[i].Get(), com::IdOfName(objects[i].Get(), name), std::move(v));
    }
    static void Type(QLineEdit* edit, const char* text) {
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromUtf8(text));
    }

    QApplication& app = testing::App();
    testing::RegisteredFieldLibrary library;
    std::vector<ComPtr<IControl>> controls;
    std::vector<ComPtr<com::IDispatch>> objects;
    ScriptedNotices notices;
    ScopedNotices useNotices{&notices};
};

TEST_F(PageTest, FieldsLoadFromTheFirstObject) {
    FieldPage page;
    page.SetObjects(objects);
    EXPECT_EQ(page.text->text(), "first");
    EXPECT_EQ(page.limit->text(), "10");
    EXPECT_TRUE(page.enabled->isChecked());
    EXPECT_EQ(page.border->currentIndex(), 0);
    EXPECT_FALSE(page.IsModified());
    EXPECT_FALSE(page.ControlStatus(page.text));
}

TEST_F(PageTest, ApplyWritesChangedFieldsToEveryObject) {
    FieldPage page;
    page.show();
    page.SetObjects(objects);
    Type(page.limit, "42");
    page.enabled->setChecked(false);
    page.border->setCurrentIndex(1);
    EXPECT_TRUE(page.IsModified());
    ASSERT_TRUE(page.Apply());
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(Get(i, "Limit").AsI2(), 42);
        EXPECT_FALSE(Get(i, "Enabled").AsBool());
        EXPECT_EQ(Get(i, "BorderStyle").AsI2(), 1);
        EXPECT_EQ(Get(i, "Text").AsStr().ToUtf8(), i == 0 ? "first" : "second");   // not changed: not written
    }
    EXPECT_FALSE(page.IsModified());
    EXPECT_TRUE(notices.messages.empty());
}

TEST_F(PageTest, ValidationStopsTheTransferAndSelectsTheField) {
    struct Row { const char* field; const char* typed; const char* message; };
    const Row rows[] = {
        {"limit", "300", "Please enter an integer between 0 and 255."},
        {"limit", "-1", "Please enter an integer between 0 and 255."},
        {"limit", "12a", "Please enter an integer between 0 and 255."},
        {"text", "much too long", "Please enter no more than 8 characters."},
    };
    for (const Row& r : rows) {
        FieldPage page;
        page.show();
        page.activateWindow();
        page.SetObjects(objects);
        Type(page.free, "77");   // a valid change that must not be written either
        QLineEdit* field = std::string(r.field) == "limit" ? page.limit : page.text;
        Type(field, r.typed);
        notices.messages.clear();
        EXPECT_FALSE(page.Apply()) << r.typed;
        EXPECT_EQ(notices.messages, std::vector<std::string>{r.message}) << r.typed;
        EXPECT_EQ(field->selectedText().toStdString(), r.typed);
        EXPECT_EQ(Get(0, "Limit").AsI2(), 10) << r.typed;
        EXPECT_TRUE(page.IsModified());
    }
}

TEST_F(PageTest, AnObjectsErrorIsShownWithItsText) {
    FieldPage page;
    page.SetObjects(objects);
    Type(page.free, "300");
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(notices.messages, std::vector<std::string>{"Limit must be between 0 and 255"});
    EXPECT_TRUE(page.ControlStatus(page.free));
}

TEST_F(PageTest, FieldsExcludedFromApplyDoNotModifyThePage) {
    FieldPage page;
    page.SetObjects(objects);
    Type(page.note, "scratch");
    EXPECT_FALSE(page.IsModified());
    page.SetControlStatus(page.text, true);
    page.text->setText("coded");
    ASSERT_TRUE(page.Apply());
    EXPECT_EQ(Get(1, "Text").AsStr().ToUtf8(), "coded");
}

TEST_F(PageTest, SheetAppliesPagesAndAsksForHelp) {
    PropertySheet sheet("Field Properties", objects);
    auto* page = static_cast<FieldPage*>(sheet.AddPage(std::make_unique<FieldPage>()));
    sheet.AddPage(std::make_unique<StockColorPage>());
    EXPECT_EQ(sheet.PageCount(), 2);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    Type(page->limit, "5");
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    sheet.ApplyButton()->click();
    EXPECT_EQ(Get(1, "Limit").AsI2(), 5);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    sheet.HelpButton()->click();
    ASSERT_EQ(notices.help.size(), 1u);
    EXPECT_EQ(notices.help[0], (std::pair<std::string, std::uint32_t>{"C:\\HELP\\TESTFLD.HLP", 4002}));

    Type(page->limit, "999");
    sheet.OkButton()->click();
    EXPECT_EQ(sheet.result(), QDialog::Rejected);   // still open: nothing accepted
    EXPECT_EQ(notices.messages.size(), 1u);
}

TEST_F(PageTest, StockColourPageSetsSystemAndPlainColours) {
    StockColorPage page;
    page.SetObjects(objects);
    EXPECT_EQ(page.Value()->text().toStdString(), std::to_string(0x80000005u));   // window colour
    EXPECT_EQ(page.SystemColors()->currentText().toStdString(), "Window Background");
    EXPECT_EQ(page.SampleColor(), ToQColor(GetSysColor(COLOR_WINDOW)));
    page.SystemColors()->setCurrentIndex(15);
    emit page.SystemColors()->activated(15);
    EXPECT_EQ(page.SampleColor(), ToQColor(GetSysColor(COLOR_BTNFACE)));
    page.PropertyList()->setCurrentIndex(1);
    Type(page.Value(), "12632319");   // 0xC0C0FF
    EXPECT_EQ(page.SampleColor(), QColor(0xFF, 0xC0, 0xC0)) << "red in the low byte";
    ASSERT_TRUE(page.Apply());
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(static_cast<std::uint32_t>(Get(i, "BackColor").AsI4()), 0x8000000Fu);
        EXPECT_EQ(static_cast<std::uint32_t>(Get(i, "ForeColor").AsI4()), 0x00C0C0FFu);
    }
}

TEST_F(PageTest, StockFontPageWritesEveryObjectsFont) {
    StockFontPage page;
    page.SetObjects(objects);
    EXPECT_EQ(page.Name()->text(), "MS Sans Serif");
    EXPECT_EQ(page.Size()->text(), "8");
    EXPECT_EQ(page.SampleFont(), DefaultQFont()) << "the sample in the objects' font, as the controls draw it";
    Type(page.Size(), "9.75");
    page.Bold()->setChecked(true);
    com::FontDesc shown = DefaultFontDesc();
    shown.size = com::Currency{97500};
    shown.bold = true;
    shown.weight = 700;
    EXPECT_EQ(page.SampleFont(), ToQFont(shown));
    ASSERT_TRUE(page.Apply());
    for (std::size_t i = 0; i < 2; ++i) {
        com::IDispatch* font = Get(i, "Font").AsDispatch();
        EXPECT_EQ(com::GetProperty(font, 2).AsCy().scaled, 97500);
        EXPECT_TRUE(com::GetProperty(font, 3).AsBool());
    }
    Type(page.Size(), "big");
    EXPECT_FALSE(page.Apply());
}

TEST_F(PageTest, StockPicturePageTakesIconsAndReportsOtherKinds) {
    QTemporaryDir dir;
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir.filePath("hand.ico"), "PNG"));
    ASSERT_TRUE(image.save(dir.filePath("photo.bmp"), "BMP"));
    StockPicturePage page;
    page.SetObjects(objects);

    Type(page.Path(), dir.filePath("photo.bmp").toUtf8().constData());
    EXPECT_FALSE(page.Apply());
    EXPECT_EQ(notices.messages.back(), "The MouseIcon property must be an Icon (not a bitmap or metafile)");

    Type(page.Path(), dir.filePath("hand.ico").toUtf8().constData());
    ASSERT_TRUE(page.Apply());
    const auto data = PictureDataOf(Get(1, "MouseIcon").AsDispatch());
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->type, com::PictureType::Icon);
    EXPECT_TRUE(CursorOfPicture(*data).has_value());

    page.ClearButton()->click();
    ASSERT_TRUE(page.Apply());
    EXPECT_EQ(PictureDataOf(Get(0, "MouseIcon").AsDispatch())->type, com::PictureType::None);
}

}  // namespace
}  // namespace ctl
