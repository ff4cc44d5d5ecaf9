// The label's drawing in each of its 3-D styles, as its window paints it over a coloured
// container, compared with the reference pictures in images/ (a small tolerance per pixel absorbs
// the text's anti-aliasing), plus the exact pixels of the edges and the texture.
//
// ZM_WRITE_REFERENCE=1 rewrites the reference pictures from the current drawing; look at each
// before committing it.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "zmtext/controls/tests/label_test_support.h"

namespace zmtext {
namespace {

using com::Variant;
using testing::PutMember;

const QColor kContainer(0, 128, 128);

std::filesystem::path ReferenceFolder() {
    return std::filesystem::path(ZMTEXT_SOURCE_DIR) / "controls" / "tests" / "images";
}

// The label painted as its window paints it: background erase, then the drawing.
QImage Render(CZMLabelCtrl& label) {
    const QSize size = label.GetControlSize();
    QImage image(size, QImage::Format_RGB32);
    image.fill(kContainer);
    QPainter p(&image);
    const ctl::Rect all{0, 0, size.width(), size.height()};
    label.OnEraseBackground(p, all);
    label.OnPaint(p, all, all);
    return image;
}

// Pixels whose colour differs from the reference by more than `tolerance` in any channel.
int PixelsOff(const QImage& a, const QImage& b, int tolerance) {
    if (a.size() != b.size()) return a.width() * a.height() + 1;
    int off = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) > tolerance || std::abs(p.green() - q.green()) > tolerance ||
                std::abs(p.blue() - q.blue()) > tolerance)
                ++off;
        }
    return off;
}

struct Style {
    const char* name;
    QSize size;
    std::vector<std::pair<com::DispId, Variant>> sets;
};

std::vector<Style> Styles() {
    const Variant grey = Variant::I4(0xC0C0C0);
    return {
        {"pop", {120, 28}, {{-501, grey}, {10, Variant::I2(1)}}},
        {"drop", {120, 28}, {{-501, grey}, {10, Variant::I2(2)}}},
        {"frame", {120, 28}, {{-501, grey}, {-504, Variant::I2(1)}}},
        {"pop_frame_centred", {120, 28}, {{-501, grey}, {10, Variant::I2(1)}, {-504, Variant::I2(1)}, {8, Variant::I2(1)}}},
        {"texture", {120, 28}, {{9, Variant::I2(2)}, {10, Variant::I2(2)}}},
        {"horizontal_bump", {120, 20}, {{-501, grey}, {12, Variant::I2(1)}}},
        {"vertical_bump", {24, 60}, {{-501, grey}, {12, Variant::I2(2)}, {10, Variant::I2(2)}}},
        {"chisel_inset", {120, 28}, {{-501, grey}, {-513, Variant::I4(0x808080)}, {11, Variant::I2(1)}}},
        {"chisel_raised", {120, 28}, {{-501, grey}, {-513, Variant::I4(0x808080)}, {11, Variant::I2(2)}}},
        {"transparent", {120, 28}, {{9, Variant::I2(0)}, {-504, Variant::I2(1)}, {-513, Variant::I4(0xFFFFFF)}}},
        {"disabled", {120, 28}, {{-501, grey}, {11, Variant::I2(1)}, {-514, Variant::Bool(false)}}},
        {"word_wrap_right", {90, 44}, {{-501, grey}, {15, Variant::Bool(true)}, {8, Variant::I2(2)}, {10, Variant::I2(2)}}},
    };
}

class LabelPaintTest : public ::testing::Test, protected testing::LabelFixture {
protected:
    com::ComPtr<CZMLabelCtrl> Styled(const Style& style) {
        com::ComPtr<CZMLabelCtrl> label = CZMLabelCtrl::Create();
        label->SetInitialSize(style.size);
        const char* caption = style.size.height() > 40 ? "Saldo &devedor da loja" : "Total &a pagar";
        EXPECT_EQ(PutMember(Dispatch(label.Get()), -518, Variant::Utf8(caption)).hr, com::S_OK);
        for (const auto& [id, value] : style.sets)
            EXPECT_EQ(PutMember(Dispatch(label.Get()), id, value).hr, com::S_OK) << style.name << " " << id;
        return label;
    }
};

TEST_F(LabelPaintTest, EachStyleLooksAsItsReferencePicture) {
    const bool write = std::getenv("ZM_WRITE_REFERENCE") != nullptr;
    for (const Style& style : Styles()) {
        SCOPED_TRACE(style.name);
        const QImage drawn = Render(*Styled(style));
        const std::filesystem::path file = ReferenceFolder() / (std::string("label_") + style.name + ".png");
        if (write) {
            std::filesystem::create_directories(file.parent_path());
            ASSERT_TRUE(drawn.save(QString::fromStdString(file.string())));
            // Enlarged beside the test, for a person to look at.
            drawn.scaled(drawn.size() * 4).save(QString::fromStdString("enlarged_" + file.filename().string()));
            continue;
        }
        const QImage reference(QString::fromStdString(file.string()));
        ASSERT_FALSE(reference.isNull()) << file;
        const int off = PixelsOff(drawn, reference.convertToFormat(QImage::Format_RGB32), 32);
        if (off > drawn.width() * drawn.height() / 200) {
            drawn.save(QString::fromStdString((std::filesystem::current_path() / file.filename()).string()));
            ADD_FAILURE() << off << " pixels differ; the drawing is saved in the test's folder";
        }
    }
}

TEST_F(LabelPaintTest, EdgesFrameAndTextureHaveTheirExactColours) {
    const QColor white(255, 255, 255), dark(0x82, 0x82, 0x82), black(0, 0, 0), grey(0xC0, 0xC0, 0xC0);
    const auto pixelsOf = [&](const char* name) { 
        for (const Style& s : Styles())
            if (std::string(s.name) == name) return Render(*Styled(s));
        return QImage();
    };
    const QImage pop = pixelsOf("pop");
    EXPECT_EQ(pop.pixelColor(0, 0), white);
    EXPECT_EQ(pop.pixelColor(119, 0), white);     // the top line reaches the right edge
    EXPECT_EQ(pop.pixelColor(0, 27), dark);       // the bottom-left corner is the dark line's
    EXPECT_EQ(pop.pixelColor(119, 27), dark);
    EXPECT_EQ(pop.pixelColor(119, 5), dark);
    EXPECT_EQ(pop.pixelColor(1, 1), grey);        // inside: the background
    const QImage drop = pixelsOf("drop");
    EXPECT_EQ(drop.pixelColor(0, 5), dark);
    EXPECT_EQ(drop.pixelColor(119, 5), white);
    const QImage framed = pixelsOf("pop_frame_centred");
    EXPECT_EQ(framed.pixelColor(1, 1), black);    // the frame lies inside the edge
    EXPECT_EQ(framed.pixelColor(118, 26), black);
    EXPECT_EQ(framed.pixelColor(2, 2), grey);
    const QImage texture = pixelsOf("texture");
    // Light grey with a white dot at every second pixel of every second row (inside the edge).
    for (int y = 2; y < 6; ++y)
        for (int x = 2; x < 6; ++x) {
            const bool dot = y % 2 == 0 && x % 2 == 1;
            EXPECT_EQ(texture.pixelColor(x, y), dot ? white : grey) << x << "," << y;
        }
    const QImage bump = pixelsOf("horizontal_bump");
    EXPECT_EQ(bump.pixelColor(60, 10), dark);     // y = top + height / 2 after shrinking by 3
    EXPECT_EQ(bump.pixelColor(60, 11), white);
    EXPECT_EQ(bump.pixelColor(2, 10), grey);      // the line starts 3 pixels in
    EXPECT_EQ(bump.pixelColor(3, 10), dark);
    const QImage transparent = pixelsOf("transparent");
    EXPECT_EQ(transparent.pixelColor(5, 3), kContainer);
    EXPECT_EQ(transparent.pixelColor(0, 0), black);
}

TEST_F(LabelPaintTest, BumpsNeverDrawTheCaptionAndADisabledLabelHasNoChisel) {
    // The same bump with and without a caption paints the same pixels.
    for (const char* style : {"horizontal_bump", "vertical_bump"}) {
        for (const Style& s : Styles()) {
            if (std::string(s.name) != style) continue;
            com::ComPtr<CZMLabelCtrl> with = Styled(s);
            com::ComPtr<CZMLabelCtrl> without = Styled(s);
            without->SetCaption("");
            EXPECT_EQ(Render(*with), Render(*without)) << style;
        }
    }
    // Disabled: one pass in the grey-text colour over the light grey, so nothing lighter than the
    // background (the white chisel) and nothing darker than the grey text.
    for (const Style& s : Styles()) {
        if (std::string(s.name) != "disabled") continue;
        const QImage image = Render(*Styled(s));
        int lighter = 0, darker = 0, text = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int v = image.pixelColor(x, y).red();
                if (v > 0xC0) ++lighter;
                if (v < 0x80) ++darker;
                if (v < 0xA0) ++text;
            }
        EXPECT_EQ(lighter, 0);
        EXPECT_EQ(darker, 0);
        EXPECT_GT(text, 20);
    }
}

}  // namespace
}  // namespace zmtext
