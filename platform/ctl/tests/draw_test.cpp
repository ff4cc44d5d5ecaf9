#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPointer>

#include "platform/ctl/colors.h"
#include "platform/ctl/draw.h"
#include "platform/ctl/tooltip.h"
#include "platform/ctl/tests/support/app.h"

namespace ctl {
namespace {

constexpr ColorRef kWhite = Rgb(255, 255, 255);
constexpr ColorRef kRed = Rgb(255, 0, 0);

QImage Canvas(int w, int h) {
    testing::App();
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

ColorRef At(const QImage& image, int x, int y) { return FromQColor(image.pixelColor(x, y)); }

// Pixels that are not white, as "x,y" in reading order.
std::vector<QPoint> Painted(const QImage& image) {
    std::vector<QPoint> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (At(image, x, y) != kWhite) out.emplace_back(x, y);
    return out;
}

TEST(Colors, TranslateColorTakesSystemIndexesAndBgrValues) {
    struct Row { OleColor in; ColorRef out; };
    const Row rows[] = {
        {0x80000005, Rgb(255, 255, 255)},   // window
        {0x80000008, Rgb(0, 0, 0)},         // window text
        {0x8000000F, Rgb(192, 192, 192)},   // button face
        {0x80000011, Rgb(128, 128, 128)},   // grey text
        {0x80000018, Rgb(255, 255, 225)},   // tooltip background
        {0x80000019, 0},                    // past the table
        {0x00C0C0FF, Rgb(255, 192, 192)},   // "&HC0C0FF" is a light red
        {0x02123456, 0x123456},             // palette-relative: the colour bytes
    };
    for (const Row& r : rows) EXPECT_EQ(TranslateColor(r.in), r.out) << std::hex << r.in;
}

TEST(Draw, LinesLeaveOutTheirEndPoint) {
    struct Row { QPoint from, to; std::vector<QPoint> pixels; };
    const Row rows[] = {
        {{1, 1}, {4, 1}, {{1, 1}, {2, 1}, {3, 1}}},
        {{4, 1}, {1, 1}, {{2, 1}, {3, 1}, {4, 1}}},
        {{2, 0}, {2, 3}, {{2, 0}, {2, 1}, {2, 2}}},
        {{0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}}},
        {{2, 2}, {2, 2}, {}},
    };
    for (const Row& r : rows) {
        QImage image = Canvas(6, 6);
        QPainter p(&image);
        DrawLine(p, r.from, r.to, kRed);
        p.end();
        EXPECT_EQ(Painted(image), r.pixels) << r.from.x() << "," << r.from.y();
    }
}

TEST(Draw, FrameAndFillStayInsideTheRectangle) {
    QImage image = Canvas(8, 8);
    QPainter p(&image);
    FrameRect(p, {1, 1, 5, 4}, kRed);
    p.end();
    EXPECT_EQ(At(image, 1, 1), kRed);
    EXPECT_EQ(At(image, 4, 3), kRed);
    EXPECT_EQ(At(image, 5, 3), kWhite);   // right edge is outside
    EXPECT_EQ(At(image, 4, 4), kWhite);   // bottom edge is outside
    EXPECT_EQ(At(image, 2, 2), kWhite);   // inside is untouched
    EXPECT_EQ(Painted(image).size(), 10u);
}

TEST(Draw, ThreeDEdgeCornersBelongToTheirSide) {
    QImage image = Canvas(6, 6);
    QPainter p(&image);
    const ColorRef light = Rgb(250, 250, 250), dark = Rgb(10, 10, 10);
    Draw3dEdge(p, {0, 0, 5, 4}, light, dark);
    p.end();
    EXPECT_EQ(At(image, 0, 0), light);
    EXPECT_EQ(At(image, 4, 0), light);   // top-right
    EXPECT_EQ(At(image, 0, 3), dark);    // bottom-left
    EXPECT_EQ(At(image, 4, 3), dark);
    EXPECT_EQ(At(image, 0, 2), light);
    EXPECT_EQ(At(image, 4, 2), dark);
    EXPECT_EQ(At(image, 5, 0), kWhite);
}

TEST(Draw, EditBorderEffects) {
    const ColorRef hi = GetSysColor(COLOR_BTNHIGHLIGHT), sh = GetSysColor(COLOR_BTNSHADOW);
    const ColorRef fr = GetSysColor(COLOR_WINDOWFRAME), li = GetSysColor(COLOR_3DLIGHT);
    struct Row { int effect, style; ColorRef outerTL, outerBR, innerTL, innerBR; };
    const Row rows[] = {
        {1, 0, hi, sh, li, fr},
        {2, 0, sh, hi, fr, li},
        {1, 1, hi, sh, fr, fr},
        {0, 1, fr, fr, kWhite, kWhite},
    };
    for (const Row& r : rows) {
        QImage image = Canvas(10, 10);
        image.fill(QColor(1, 2, 3));
        QPainter p(&image);
        PaintEditBorder(p, {0, 0, 10, 10}, {0, 0, 10, 10}, r.effect, r.style);
        p.end();
        const ColorRef untouched = Rgb(1, 2, 3);
        auto expect = [&](ColorRef c) { return c == kWhite ? untouched : c; };
        EXPECT_EQ(At(image, 0, 5), r.outerTL) << r.effect << r.style;
        EXPECT_EQ(At(image, 9, 5), r.outerBR) << r.effect << r.style;
        EXPECT_EQ(At(image, 1, 5), expect(r.innerTL)) << r.effect << r.style;
        EXPECT_EQ(At(image, 8, 5), expect(r.innerBR)) << r.effect << r.style;
        EXPECT_EQ(At(image, 5, 5), untouched);
    }
}

TEST(Draw, EditBorderSkipsAnInvalidAreaInsideIt) {
    QImage image = Canvas(10, 10);
    QPainter p(&image);
    PaintEditBorder(p, {0, 0, 10, 10}, {3, 3, 6, 6}, 1, 1);
    p.end();
    EXPECT_TRUE(Painted(image).empty());
}

TEST(Draw, MnemonicIsTheLetterAfterTheLastSingleAmpersand) {
    struct Row { const char* caption; unsigned char key; };
    const Row rows[] = {
        {"&Save", 'S'}, {"Sa&ve && &print", 'P'}, {"A && B", 0}, {"&&", 0},
        {"End &", 0},   {"", 0},                   {"\xe1&\xe7", 0xC7},   // "á&ç" gives "Ç"
    };
    for (const Row& r : rows) EXPECT_EQ(MnemonicOf(r.caption), r.key) << r.caption;
}

TEST(Draw, PatternBrushDrawsBitsInTheGivenColours) {
    QImage image = Canvas(16, 2);
    QPainter p(&image);
    const Pattern8 rows = {0xAA, 0xFF, 0xAA, 0xFF, 0xAA, 0xFF, 0xAA, 0xFF};
    const ColorRef grey = Rgb(192, 192, 192);
    FillRect(p, {0, 0, 16, 2}, MonochromePatternBrush(rows, grey, kWhite));
    p.end();
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(At(image, x, 0), x % 2 == 0 ? grey : kWhite) << x;
        EXPECT_EQ(At(image, x, 1), grey) << x;
    }
}

TEST(Draw, TextOutIsClippedAndAligned) {
    QImage image = Canvas(60, 20);
    QPainter p(&image);
    QFont font("DejaVu Sans");
    font.setPixelSize(12);
    p.setFont(font);
    const Rect clip{10, 0, 30, 20};
    TextOutStyle style;
    style.color = kRed;
    style.clip = &clip;
    const int width = TextOut(p, 20, 2, "WWWWWWWW", style);
    p.end();
    EXPECT_GT(width, 20);
    for (const QPoint& pt : Painted(image)) EXPECT_TRUE(clip.Contains(pt)) << pt.x();
    EXPECT_FALSE(Painted(image).empty());

    // Right alignment ends the text at x; centre alignment puts its middle there.
    for (int align : {TA_RIGHT, TA_CENTER}) {
        QImage img = Canvas(60, 20);
        QPainter q(&img);
        q.setFont(font);
        TextOutStyle s;
        s.align = align;
        TextOut(q, 30, 2, "II", s);
        q.end();
        const auto px = Painted(img);
        ASSERT_FALSE(px.empty());
        int maxX = 0, minX = 60;
        for (const QPoint& pt : px) maxX = std::max(maxX, pt.x()), minX = std::min(minX, pt.x());
        if (align == TA_RIGHT) EXPECT_LT(maxX, 30);
        else EXPECT_TRUE(minX < 30 && maxX >= 30) << minX << " " << maxX;
    }
}

TEST(ToolTip, PlacementKeepsTheTipOnTheScreen) {
    struct Row { QPoint pointer; QSize text; QRect expected; };
    const QRect screen(0, 0, 640, 480);
    // width = text + 2 * (2 + blank 4) = text + 12; height = text + 2 * (2 + 1) = text + 6;
    // top = y + 19 * 5 / 4 = y + 23.
    const Row rows[] = {
        {{100, 100}, {40, 13}, {74, 123, 52, 19}},
        {{0, 100}, {40, 13}, {0, 123, 52, 19}},          // left edge
        {{630, 100}, {40, 13}, {588, 123, 52, 19}},      // right edge
        {{100, 470}, {40, 13}, {74, 461, 52, 19}},       // bottom edge
        {{101, 0}, {0, 13}, {95, 23, 12, 19}},           // empty text: 2 blanks + 4 borders
        {{-3, 0}, {1, 13}, {0, 23, 13, 19}},             // -3 - 6 truncates toward zero
    };
    for (const Row& r : rows) {
        ToolTipPlacement in;
        in.textExtent = r.text;
        in.blankWidth = 4;
        in.pointer = r.pointer;
        in.screen = screen;
        EXPECT_EQ(ToolTipRect(in), r.expected) << r.pointer.x() << "," << r.pointer.y();
    }
}

TEST(ToolTip, WindowShowsWithoutTakingTheFocus) {
    testing::App();
    QWidget owner;
    owner.resize(100, 30);
    owner.setFocusPolicy(Qt::StrongFocus);
    owner.show();
    owner.activateWindow();
    owner.setFocus();
    QApplication::processEvents();
    ToolTipWindow tip(&owner, "Dica \xe1", QPoint(50, 50));
    QApplication::processEvents();
    EXPECT_TRUE(tip.isVisible());
    EXPECT_EQ(tip.focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(tip.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_NE(QApplication::focusWidget(), &tip);
    EXPECT_EQ(tip.Text(), "Dica \xe1");
    const QImage shot = tip.grab().toImage();
    EXPECT_EQ(FromQColor(shot.pixelColor(0, 0)), GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(FromQColor(shot.pixelColor(1, shot.height() - 2)), GetSysColor(COLOR_INFOBK));
}

TEST(ToolTip, HolderReplacesHidesAndSurvivesItsOwner) {
    testing::App();
    auto owner = std::make_unique<QWidget>();
    owner->show();
    ToolTipHolder holder;
    ToolTipWindow* first = holder.Show(owner.get(), "one", QPoint(10, 10));
    ASSERT_NE(first, nullptr);
    QPointer<ToolTipWindow> watch(first);
    holder.Show(owner.get(), "two", QPoint(20, 20));
    EXPECT_TRUE(watch.isNull());   // the first tip is gone
    EXPECT_EQ(holder.Window()->Text(), "two");
    holder.Hide();
    EXPECT_FALSE(holder.IsShown());
    holder.Show(owner.get(), "three", QPoint(0, 0));
    owner.reset();   // the owner takes its tip with it
    EXPECT_FALSE(holder.IsShown());
}

}  // namespace
}  // namespace ctl
