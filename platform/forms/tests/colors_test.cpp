// System colours: the forms runtime and the control layer resolve them through one table.
#include "platform/forms/colors.h"

#include <gtest/gtest.h>

#include <QPalette>
#include <QWidget>

#include "platform/ctl/colors.h"
#include "platform/forms/app.h"
#include "platform/forms/window.h"
#include "platform/forms/tests/support/qt_app.h"

namespace {

// An intrinsic control (forms) and a library control (ctl) on one window must paint the same
// colour for the same system-colour number, whatever the desktop's palette says.
TEST(SystemColorsTest, FormsAndControlBasesResolveEverySystemColourAlike) {
    forms::testing::QtApp();
    for (std::uint32_t index = 0; index <= ctl::kSysColorCount; ++index) {
        const std::uint32_t number = 0x80000000u | index;
        const ctl::ColorRef control = ctl::TranslateColor(number);
        const QColor intrinsic = forms::ToQColor(number);
        EXPECT_EQ(ctl::FromQColor(intrinsic), control) << "system colour " << index;
        EXPECT_EQ(intrinsic.alpha(), 255) << "system colour " << index;
    }
    EXPECT_EQ(forms::ToQColor(0x8000000F), QColor(192, 192, 192)) << "button face of the one table";
    EXPECT_EQ(forms::ToQColor(0x80000105), QColor(0, 0, 0)) << "an index outside the table is black in both";
    EXPECT_EQ(ctl::TranslateColor(0x80000105), 0u);
}

class ProbeWindow : public forms::Window {
public:
    ProbeWindow() : Window("Cores") {}
    forms::TextBox* text = nullptr;

protected:
    void CreateControls() override { text = &Add<forms::TextBox>("TxtCor"); }
};

TEST(SystemColorsTest, AnIntrinsicControlPaintsTheTablesButtonFace) {
    forms::testing::QtApp();
    forms::App().ResetForTests();
    ProbeWindow window;
    window.Load();
    window.text->SetBackColor(0x8000000F);
    window.text->SetForeColor(0x80000012);
    const QPalette palette = window.text->Widget()->palette();
    EXPECT_EQ(ctl::FromQColor(palette.color(QPalette::Base)), ctl::GetSysColor(ctl::COLOR_BTNFACE));
    EXPECT_EQ(ctl::FromQColor(palette.color(QPalette::Text)), ctl::GetSysColor(ctl::COLOR_BTNTEXT));
    window.Unload();
}

}  // namespace
