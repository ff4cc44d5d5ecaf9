// Painting checked on images rendered offscreen: the border effects, the text colour of enabled
// and disabled fields, justification without the focus, and the selection with and without the
// focus.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QWidget>

#include "platform/ctl/colors.h"
#include "platform/ctl/control_site.h"
#include "zmtext/engine/tests/edit_test_control.h"

namespace zmtext::testing {
namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 30;

QColor Sys(int index) { return ctl::ToQColor(ctl::GetSysColor(index)); }

class EnginePaint : public ::testing::Test {
protected:
    void SetUp() override {
        EngineTestApp();
        field_ = TestEditCtrl::Create();
        field_->ResetProperties();
        field_->SetControlSize(QSize(kWidth, kHeight));
        com::FontDesc font = field_->GetFontDesc();
        font.size = com::Currency::FromUnits(14);
        font.bold = true;
        font.weight = 700;
        field_->SetFontDesc(font);
        field_->ComputeTextMetrics();
    }

    QImage Render() const {
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter p(&image);
        field_->DrawInto(p, {0, 0, kWidth, kHeight});
        return image;
    }
    // Pixels of exactly `color` inside the text area.
    static int CountColor(const QImage& image, QColor color) {
        int n = 0;
        for (int y = 3; y < kHeight - 3; ++y)
            for (int x = 3; x < kWidth - 3; ++x)
                if (image.pixelColor(x, y) == color) ++n;
        return n;
    }
    // Left and right ends of what differs from the background inside the border.
    static std::pair<int, int> InkSpan(const QImage& image, QColor background) {
        int left = kWidth, right = -1;
        for (int y = 3; y < kHeight - 3; ++y)
            for (int x = 3; x < kWidth - 3; ++x)
                if (image.pixelColor(x, y) != background) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return {left, right};
    }

    com::ComPtr<TestEditCtrl> field_;
};

TEST_F(EnginePaint, BorderEffects) {
    struct Row {
        std::int16_t style, effect;
        int outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;   // system colours, -1 background
    };
    const Row rows[] = {
        {0, 0, -1, -1, -1, -1},
        {1, 0, ctl::COLOR_WINDOWFRAME, ctl::COLOR_WINDOWFRAME, -1, -1},
        {0, 1, ctl::COLOR_BTNHIGHLIGHT, ctl::COLOR_BTNSHADOW, ctl::COLOR_3DLIGHT, ctl::COLOR_WINDOWFRAME},
        {0, 2, ctl::COLOR_BTNSHADOW, ctl::COLOR_BTNHIGHLIGHT, ctl::COLOR_WINDOWFRAME, ctl::COLOR_3DLIGHT},
        {1, 1, ctl::COLOR_BTNHIGHLIGHT, ctl::COLOR_BTNSHADOW, ctl::COLOR_WINDOWFRAME, ctl::COLOR_WINDOWFRAME},
    };
    const QColor background = Sys(ctl::COLOR_WINDOW);
    auto expected = [&](int c) { return c < 0 ? background : Sys(c); };
    for (const auto& row : rows) {
        field_->SetBorder(row.style, row.effect);
        const QImage image = Render();
        const auto name = std::to_string(row.style) + "/" + std::to_string(row.effect);
        EXPECT_EQ(image.pixelColor(0, 0), expected(row.outerTopLeft)) << name;
        EXPECT_EQ(image.pixelColor(kWidth - 1, kHeight - 1), expected(row.outerBottomRight)) << name;
        EXPECT_EQ(image.pixelColor(1, 1), expected(row.innerTopLeft)) << name;
        EXPECT_EQ(image.pixelColor(kWidth - 2, kHeight - 2), expected(row.innerBottomRight)) << name;
    }
}

TEST_F(EnginePaint, TextColourEnabledDisabledAndGreyOnGrey) {
    field_->SetRawDataText("MMMM");
    const QColor text = Sys(ctl::COLOR_WINDOWTEXT);
    const QColor grey = Sys(ctl::COLOR_GRAYTEXT);
    const QImage enabled = Render();
    EXPECT_GT(CountColor(enabled, text), 20);
    EXPECT_EQ(CountColor(enabled, grey), 0);

    field_->SetEnabled(false);
    const QImage disabled = Render();
    EXPECT_EQ(CountColor(disabled, text), 0);
    EXPECT_GT(CountColor(disabled, grey), 20);

    // On a grey background the grey text is drawn 64 steps darker per component.
    field_->SetBackColor(com::OleColor{0x80000000u | ctl::COLOR_GRAYTEXT});
    const QImage greyOnGrey = Render();
    const QColor darker(std::max(grey.red() - 64, 0), std::max(grey.green() - 64, 0), std::max(grey.blue() - 64, 0));
    EXPECT_GT(CountColor(greyOnGrey, darker), 20);
}

TEST_F(EnginePaint, JustificationAppliesWithoutTheFocus) {
    field_->SetRawDataText("MM");
    const QColor background = Sys(ctl::COLOR_WINDOW);
    struct Row {
        std::int16_t justification;
        int minLeft, maxLeft, minRight, maxRight;
    };
    const Row rows[] = {
        {0, 2, 8, 10, kWidth / 2},
        {1, kWidth / 4, kWidth / 2, kWidth / 2, 3 * kWidth / 4},
        {2, kWidth / 2, kWidth - 10, kWidth - 8, kWidth - 2},
    };
    for (const auto& row : rows) {
        field_->SetJustification(row.justification);
        const auto [left, right] = InkSpan(Render(), background);
        EXPECT_GE(left, row.minLeft) << row.justification;
        EXPECT_LE(left, row.maxLeft) << row.justification;
        EXPECT_GE(right, row.minRight) << row.justification;
        EXPECT_LE(right, row.maxRight) << row.justification;
    }
}

TEST_F(EnginePaint, SelectionWithoutTheFocusOnlyWhenNotHidden) {
    field_->SetRawDataText("MMMM");
    field_->PutSelection(0, 2);
    const QColor highlight = Sys(ctl::COLOR_HIGHLIGHT);
    field_->SetHideSelection(true);
    EXPECT_EQ(CountColor(Render(), highlight), 0);
    field_->SetHideSelection(false);
    EXPECT_GT(CountColor(Render(), highlight), 20);
}

TEST_F(EnginePaint, FocusedFieldDrawsItsEditingFormFromTheLeftWithTheSelection) {
    QWidget top;
    top.resize(300, 100);
    ctl::ControlContainer container(&top);
    auto field = TestEditCtrl::Create();
    ctl::ControlSite* site = nullptr;
    ASSERT_EQ(container.AddControl(com::ComPtr<ctl::IControl>(field), "F1", {10, 10, 10 + kWidth, 10 + kHeight},
                                   nullptr, &site),
              com::S_OK);
    field->SetMask("UU-UU");
    field->SetRawDataText("AB");
    field->SetJustification(2);
    top.show();
    top.activateWindow();
    ASSERT_TRUE(site->SetFocus());
    QApplication::processEvents();
    ASSERT_TRUE(field->WindowHasFocus());
    field->PutSelection(0, 2);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    field->DrawInto(p, {0, 0, kWidth, kHeight});
    p.end();
    const auto [left, right] = InkSpan(image, Sys(ctl::COLOR_WINDOW));
    EXPECT_LE(left, 8) << "the editing form starts at the left, whatever the justification";
    EXPECT_LT(right, kWidth / 2);
    EXPECT_GT(CountColor(image, Sys(ctl::COLOR_HIGHLIGHT)), 10);
}

}  // namespace
}  // namespace zmtext::testing
