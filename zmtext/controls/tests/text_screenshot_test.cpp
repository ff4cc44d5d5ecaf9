// The text field drawn in its states (focused with a selection, disabled, read-only, each border,
// masked, password) and compared with the reference pictures in images/, so that a change of
// the drawing is seen.
#include "zmtext/controls/tests/screenshot_test_support.h"
#include "zmtext/controls/tests/text_test_support.h"

namespace zmtext::testing {
namespace {

using com::Variant;

constexpr int kWidth = 180;
constexpr int kHeight = 26;
class TextScreenshots : public TextControlTest {
protected:
    void SetUp() override {
        TextControlTest::SetUp();
        Show();
    }
    // A field with a fixed font and data, set up by `setup`, drawn as its container draws it.
    QImage Render(const std::function<void(CZMTextCtrl&, int)>& setup) {
        const int i = static_cast<int>(sites_.size());
        auto c = Add("Shot" + std::to_string(i), i);
        Put(*c, "FontName", S("DejaVu Sans"));
        Put(*c, "FontSize", Variant::R4(9));
        Put(*c, "RawData", S("Jo\xC3\xA3o 123"));
        setup(*c, i);
        return DrawField(*c, QSize(kWidth, kHeight));
    }
    static void Check(const std::string& name, const QImage& image) { ExpectLikeReference("text_" + name, image); }
};

TEST_F(TextScreenshots, StatesMatchTheirReferencePictures) {
    struct Row {
        const char* name;
        std::function<void(CZMTextCtrl&, int)> setup;
    };
    const Row rows[] = {
        {"plain", [](CZMTextCtrl&, int) {}},
        {"focused", [this](CZMTextCtrl& c, int i) {
             Put(c, "FocusSelect", Variant::Bool(true));
             Focus(i);
         }},
        {"disabled", [](CZMTextCtrl& c, int) { Put(c, "Enabled", Variant::Bool(false)); }},
        {"readonly", [](CZMTextCtrl& c, int) { Put(c, "ReadOnly", Variant::Bool(true)); }},
        {"no_border", [](CZMTextCtrl& c, int) { Put(c, "BorderStyle", Variant::I2(0)); }},
        {"pop", [](CZMTextCtrl& c, int) { Put(c, "BorderEffect", Variant::I2(1)); }},
        {"drop", [](CZMTextCtrl& c, int) { Put(c, "BorderEffect", Variant::I2(2)); }},
        {"pop_no_border", [](CZMTextCtrl& c, int) {
             Put(c, "BorderStyle", Variant::I2(0));
             Put(c, "BorderEffect", Variant::I2(1));
         }},
        {"right", [](CZMTextCtrl& c, int) { Put(c, "Justification", Variant::I2(2)); }},
        {"mask", [](CZMTextCtrl& c, int) {
             Put(c, "RawData", S(""));
             Put(c, "Mask", S("(###) %%%-%%%%"));
             Put(c, "RawData", S("119"));
         }},
        {"password", [](CZMTextCtrl& c, int) { Put(c, "PasswordChar", S("*")); }},
    };
    for (const Row& row : rows) Check(row.name, Render(row.setup));
}

}  // namespace
}  // namespace zmtext::testing
