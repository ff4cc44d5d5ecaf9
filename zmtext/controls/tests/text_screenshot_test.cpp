// The text field drawn in its states (focused with a selection, disabled, read-only, each border,
// masked, password) and compared with the reference pictures in images/, so that a change of
// the drawing is seen. ZMTEXT_WRITE_REFERENCES=1 in the environment writes the pictures anew.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "zmtext/controls/tests/text_test_support.h"

namespace zmtext::testing {
namespace {

using com::Variant;

constexpr int kWidth = 180;
constexpr int kHeight = 26;
// Per-channel difference a pixel may show (font rasterising), and how many pixels may exceed it.
constexpr int kChannelTolerance = 40;
constexpr int kPixelsAllowed = 12;

QString ReferencePath(const std::string& name) {
    return QDir(QString::fromUtf8(ZMTEXT_SOURCE_DIR "/controls/tests/images")).filePath(QString::fromStdString("text_" + name + ".png"));
}

int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return a.width() * a.height();
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
            if (std::abs(p.red() - q.red()) > kChannelTolerance || std::abs(p.green() - q.green()) > kChannelTolerance ||
                std::abs(p.blue() - q.blue()) > kChannelTolerance)
                ++n;
        }
    return n;
}

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
        c->SetControlSize(QSize(kWidth, kHeight));
        c->ComputeTextMetrics();
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter p(&image);
        c->DrawInto(p, {0, 0, kWidth, kHeight});
        return image;
    }
    void Check(const std::string& name, const QImage& image) {
        const QString path = ReferencePath(name);
        if (std::getenv("ZMTEXT_WRITE_REFERENCES")) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
            return;
        }
        QImage reference(path);
        ASSERT_FALSE(reference.isNull()) << "no reference picture " << path.toStdString();
        reference = reference.convertToFormat(QImage::Format_RGB32);
        const int differing = DifferingPixels(image, reference);
        if (differing > kPixelsAllowed) image.save(QDir::temp().filePath(QString::fromStdString("text_" + name + "_actual.png")));
        EXPECT_LE(differing, kPixelsAllowed) << name << ": the drawing changed (actual picture in the temporary folder)";
    }
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
