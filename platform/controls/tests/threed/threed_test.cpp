// The 3-D button, panel and frame driven by DISPID as the windows drive them.
#include "platform/controls/threed/threed.h"

#include <QFrame>
#include <QPushButton>
#include <QTest>

#include "platform/controls/tests/report_test_support.h"   // the test program's QApplication
#include "platform/forms/tests/support/raises.h"
#include "platform/forms/services.h"
#include "platform/forms/window.h"

namespace {

using com::Variant;
using controls::threed::Button3D;
using controls::threed::Frame3D;
using controls::threed::Panel3D;
using forms::testing::ErrorNumberOf;

constexpr com::DispId kPercent = 15;

class HostWindow : public forms::Window {
public:
    HostWindow() : Window("Inicio") {}
};

class ThreeDTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.Load();
        window_.SetSize(9000, 7000);
    }
    HostWindow window_;
};

TEST_F(ThreeDTest, ButtonCaptionKeepsItsMnemonicAndAClickFiresOnlyWhenEnabled) {
    Button3D& button = window_.Add<Button3D>("BtnSair");
    int clicks = 0;
    button.Click = [&] { ++clicks; };
    com::PutProperty(button.Object(), com::DISPID_CAPTION, Variant::Utf8("Sai&r"));
    EXPECT_EQ(com::GetProperty(button.Object(), com::DISPID_CAPTION).AsStr().ToUtf8(), "Sai&r");
    auto* widget = static_cast<QPushButton*>(button.Widget());
    EXPECT_EQ(widget->text().toStdString(), "Sai&r");
    window_.Show();
    QTest::mouseClick(widget, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    com::PutProperty(button.Object(), com::DISPID_ENABLED, Variant::Bool(false));
    EXPECT_FALSE(button.Enabled());
    QTest::mouseClick(widget, Qt::LeftButton);
    EXPECT_EQ(clicks, 1) << "a disabled button does not click";
    EXPECT_FALSE(com::GetProperty(button.Object(), com::DISPID_ENABLED).AsBool());
}

struct ColorCase {
    Variant value;
    std::uint32_t number;
    QColor shown;
};

TEST_F(ThreeDTest, ButtonForeColorTakesTheFocusColoursAsTextsOrNumbers) {
    Button3D& button = window_.Add<Button3D>("BtnProcurar");
    const ColorCase cases[] = {{Variant::Utf8("&HC0"), 0xC0, QColor(0xC0, 0, 0)},
                               {Variant::Utf8("&H0"), 0, QColor(0, 0, 0)},
                               {Variant::I4(0xFF00), 0xFF00, QColor(0, 0xFF, 0)}};
    for (const auto& c : cases) {
        com::PutProperty(button.Object(), com::DISPID_FORECOLOR, c.value);
        EXPECT_EQ(button.ForeColor(), c.number);
        EXPECT_EQ(com::GetProperty(button.Object(), com::DISPID_FORECOLOR), Variant::I4(static_cast<std::int32_t>(c.number)));
        EXPECT_EQ(button.Widget()->palette().color(QPalette::ButtonText), c.shown);
    }
    EXPECT_EQ(ErrorNumberOf([&] { com::PutProperty(button.Object(), com::DISPID_FORECOLOR, Variant::Utf8("&HZZ")); }), 13);
    EXPECT_EQ(button.ForeColor(), 0xFF00u);
}

// The windows' rule: a button's caption turns red while it has the focus.
TEST_F(ThreeDTest, FocusEventsDriveTheButtonsColour) {
    Button3D& first = window_.Add<Button3D>("BtnSelecionar");
    Button3D& second = window_.Add<Button3D>("BtnVerificar");
    for (Button3D* b : {&first, &second}) {
        b->GotFocus = [b] { com::PutProperty(b->Object(), com::DISPID_FORECOLOR, Variant::Utf8("&HC0")); };
        b->LostFocus = [b] { com::PutProperty(b->Object(), com::DISPID_FORECOLOR, Variant::Utf8("&H0")); };
    }
    window_.Show();
    first.SetFocus();
    forms::DoEvents();
    EXPECT_EQ(first.ForeColor(), 0xC0u);
    second.SetFocus();
    forms::DoEvents();
    EXPECT_EQ(first.ForeColor(), 0u);
    EXPECT_EQ(second.ForeColor(), 0xC0u);
    second.SetVisible(false);
    EXPECT_EQ(ErrorNumberOf([&] { second.SetFocus(); }), 5) << "a hidden button takes no focus";
}

// The share of the panel's inside that shows the bar colour along one line near its top.
double FilledShare(const Panel3D& panel) {
    const QImage image = panel.Widget()->grab().toImage();
    const QRect inside = static_cast<const QFrame*>(panel.Widget())->contentsRect();
    const QColor bar = panel.Widget()->palette().color(QPalette::Highlight);
    int filled = 0;
    for (int x = inside.left(); x <= inside.right(); ++x)
        if (image.pixelColor(x, inside.top() + 1) == bar) ++filled;
    return static_cast<double>(filled) / inside.width();
}

class PanelPercentTest : public ThreeDTest, public ::testing::WithParamInterface<int> {};

TEST_P(PanelPercentTest, ThePercentageIsDrawnAsABar) {
    const int percent = GetParam();
    Panel3D& panel = window_.Add<Panel3D>("PainelPorcentagem");
    panel.Move(1440, 4680, 6615, 375);
    com::PutProperty(panel.Object(), com::DISPID_CAPTION, Variant::Utf8("SSPanel1"));
    EXPECT_FALSE(panel.ShowsProgress());
    window_.Show();
    com::PutProperty(panel.Object(), kPercent, Variant::I2(static_cast<std::int16_t>(percent)));
    EXPECT_TRUE(panel.ShowsProgress());
    EXPECT_EQ(com::GetProperty(panel.Object(), kPercent), Variant::I2(static_cast<std::int16_t>(percent)));
    EXPECT_NEAR(FilledShare(panel), percent / 100.0, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Percentages, PanelPercentTest, ::testing::Values(0, 10, 55, 100));

// The percentage reads over the bar: inverted (the highlight's text colour) where the bar lies
// under it, the window's text colour elsewhere.
TEST_F(ThreeDTest, PercentageTextIsInvertedOverTheFilledPart) {
    Panel3D& panel = window_.Add<Panel3D>("PainelPorcentagem");
    panel.Move(1440, 4680, 6615, 375);
    window_.Show();
    const QPalette palette = panel.Widget()->palette();
    for (const int percent : {100, 0}) {
        SCOPED_TRACE(percent);
        panel.SetFloodPercent(static_cast<std::int16_t>(percent));
        const QImage image = panel.Widget()->grab().toImage();
        const QRect inside = static_cast<const QFrame*>(panel.Widget())->contentsRect();
        const int textWidth = panel.Widget()->fontMetrics().horizontalAdvance(QStringLiteral("100%"));
        const QRect text(inside.center().x() - textWidth / 2, inside.top() + 2, textWidth, inside.height() - 4);
        // Light text is lighter than what lies under it, dark text darker.
        const int ground = palette.color(percent == 100 ? QPalette::Highlight : QPalette::Window).lightness();
        int inverted = 0, plain = 0;
        for (int y = text.top(); y <= text.bottom(); ++y) {
            for (int x = text.left(); x <= text.right(); ++x) {
                const int lightness = image.pixelColor(x, y).lightness();
                inverted += lightness > ground + 8 ? 1 : 0;
                plain += lightness < ground - 8 ? 1 : 0;
            }
        }
        EXPECT_GT(percent == 100 ? inverted : plain, 5) << "the text is drawn";
        EXPECT_EQ(percent == 100 ? plain : inverted, 0) << "in one colour only";
    }
    panel.SetFloodPercent(55);
    panel.Widget()->grab().save(QStringLiteral(QT_TESTCASE_BUILDDIR "/panel_55.png"));
}

// A panel hides what lies beneath it, with or without a percentage: nothing of a coloured
// control it covers shows through around its caption or its bar.
TEST_F(ThreeDTest, APanelIsOpaqueOverWhatLiesBeneathIt) {
    QWidget beneath(window_.Widget());
    beneath.setAutoFillBackground(true);
    QPalette red = beneath.palette();
    red.setColor(QPalette::Window, Qt::red);
    beneath.setPalette(red);
    beneath.setGeometry(0, 0, 400, 200);
    Panel3D& panel = window_.Add<Panel3D>("PainelAtualiza");
    panel.Move(300, 300, 4500, 2000);
    window_.Show();
    for (const int percent : {-1, 40}) {
        SCOPED_TRACE(percent);
        if (percent >= 0) panel.SetFloodPercent(static_cast<std::int16_t>(percent));
        const QImage image = window_.Widget()->grab(panel.Widget()->geometry()).toImage();
        int redPixels = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) redPixels += image.pixelColor(x, y) == QColor(Qt::red) ? 1 : 0;
        EXPECT_EQ(redPixels, 0);
    }
}

TEST_F(ThreeDTest, APercentageOutside0To100IsRefusedAndTheBarStays) {
    Panel3D& panel = window_.Add<Panel3D>("PainelPorcentagem");
    com::PutProperty(panel.Object(), kPercent, Variant::I2(30));
    for (int bad : {-1, 101, 1000}) {
        EXPECT_EQ(ErrorNumberOf([&] { com::PutProperty(panel.Object(), kPercent, Variant::I2(static_cast<std::int16_t>(bad))); }),
                  380)
            << bad;
    }
    EXPECT_EQ(panel.FloodPercent(), 30);
    EXPECT_EQ(ErrorNumberOf([&] { com::PutProperty(panel.Object(), kPercent, Variant::I4(70000)); }), 6)
        << "a value beyond a 16-bit integer overflows";
}

TEST_F(ThreeDTest, PanelsAndFramesAreContainersWithCaptions) {
    Panel3D& panel = window_.Add<Panel3D>("PainelLocaliza");
    Button3D& inPanel = window_.Add<Button3D>("BtnProcura", &panel);
    Frame3D& frame = window_.Add<Frame3D>("FrameSelecionar");
    Button3D& inFrame = window_.Add<Button3D>("BtnEsc", &frame);
    com::PutProperty(frame.Object(), com::DISPID_CAPTION, Variant::Utf8("Selecione o Critério"));
    EXPECT_EQ(frame.Caption(), "Selecione o Critério");
    EXPECT_EQ(com::GetProperty(frame.Object(), com::DISPID_CAPTION).AsStr().ToUtf8(), "Selecione o Critério");
    com::PutProperty(panel.Object(), com::DISPID_CAPTION, Variant::Utf8("Aguarde"));
    EXPECT_EQ(panel.Caption(), "Aguarde");
    window_.Show();
    EXPECT_TRUE(inPanel.Widget()->isVisible());
    panel.SetVisible(false);
    frame.SetVisible(false);
    EXPECT_FALSE(inPanel.Widget()->isVisible()) << "hiding the panel hides what lies on it";
    EXPECT_FALSE(inFrame.Widget()->isVisible());
    EXPECT_TRUE(inPanel.Visible()) << "its own Visible is unchanged";
}

TEST(ThreeDLifetimeTest, MembersOfAControlWhoseWindowWentRaise364) {
    auto window = std::make_unique<HostWindow>();
    window->Load();
    const com::ComPtr<com::IDispatch> button(window->Add<Button3D>("BtnSair").Object());
    const com::ComPtr<com::IDispatch> panel(window->Add<Panel3D>("PainelPorcentagem").Object());
    const com::ComPtr<com::IDispatch> frame(window->Add<Frame3D>("FrameLoja").Object());
    window.reset();
    for (const auto& object : {button, panel, frame})
        EXPECT_EQ(ErrorNumberOf([&] { com::GetProperty(object.Get(), com::DISPID_CAPTION); }), 364);
}

}  // namespace
