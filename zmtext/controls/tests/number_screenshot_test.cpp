// The number fields drawn in their states (long, double and currency; focused, negative, no zero
// shown, disabled, the currency layouts) and compared with the reference pictures in images/.
// ZMTEXT_WRITE_REFERENCES=1 in the environment writes the pictures anew.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <functional>

#include "zmtext/controls/currency_ctrl.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/number_test_support.h"

namespace zmtext::testing {
namespace {

using com::Variant;

constexpr int kWidth = 180;
constexpr int kHeight = 26;
constexpr int kChannelTolerance = 40;
constexpr int kPixelsAllowed = 12;

class NumberScreenshots : public NumberControlTest {
protected:
    void SetUp() override {
        NumberControlTest::SetUp();
        Show();
    }
    // A field of type C with a fixed font, set up by `setup`, drawn as its container draws it.
    template <class C>
    QImage Render(const std::function<void(C&, int)>& setup) {
        const int i = static_cast<int>(sites_.size());
        auto c = Add<C>("Shot" + std::to_string(i), i % 6);
        Put(c.Get(), "FontName", S("DejaVu Sans"));
        Put(c.Get(), "FontSize", Variant::R4(9));
        Put(c.Get(), "FmtControl", Variant::I2(1));
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
        const QString path = QDir(QString::fromUtf8(ZMTEXT_SOURCE_DIR "/controls/tests/images"))
                                 .filePath(QString::fromStdString("number_" + name + ".png"));
        if (std::getenv("ZMTEXT_WRITE_REFERENCES")) {
            ASSERT_TRUE(image.save(path, "PNG")) << path.toStdString();
            return;
        }
        QImage reference(path);
        ASSERT_FALSE(reference.isNull()) << "no reference picture " << path.toStdString();
        reference = reference.convertToFormat(QImage::Format_RGB32);
        int differing = reference.size() == image.size() ? 0 : kWidth * kHeight;
        for (int y = 0; differing == 0 && y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const QColor a = image.pixelColor(x, y), b = reference.pixelColor(x, y);
                if (std::abs(a.red() - b.red()) > kChannelTolerance || std::abs(a.green() - b.green()) > kChannelTolerance ||
                    std::abs(a.blue() - b.blue()) > kChannelTolerance)
                    ++differing;
            }
        if (differing > kPixelsAllowed)
            image.save(QDir::temp().filePath(QString::fromStdString("number_" + name + "_actual.png")));
        EXPECT_LE(differing, kPixelsAllowed) << name << ": the drawing changed (actual picture in the temporary folder)";
    }
};

TEST_F(NumberScreenshots, LongStatesMatchTheirReferencePictures) {
    using Setup = std::function<void(CZMLongCtrl&, int)>;
    const std::pair<const char*, Setup> rows[] = {
        {"long_plain", [](CZMLongCtrl& c, int) { c.PutValue(1234567); }},
        {"long_negative", [](CZMLongCtrl& c, int) { c.PutValue(-42); }},
        {"long_no_zero", [](CZMLongCtrl& c, int) {
             Put(&c, "ShowZero", Variant::Bool(false));
             c.PutValue(0);
         }},
        {"long_focused", [this](CZMLongCtrl& c, int i) {
             c.PutValue(-98765);
             Focus(i);
         }},
        {"long_disabled", [](CZMLongCtrl& c, int) {
             c.PutValue(77);
             Put(&c, "Enabled", Variant::Bool(false));
         }},
    };
    for (const auto& [name, setup] : rows) Check(name, Render<CZMLongCtrl>(setup));
}

TEST_F(NumberScreenshots, DoubleAndCurrencyStatesMatchTheirReferencePictures) {
    using DoubleSetup = std::function<void(CZMDoubleCtrl&, int)>;
    const std::pair<const char*, DoubleSetup> doubles[] = {
        {"double_plain", [](CZMDoubleCtrl& c, int) { c.PutValue(-1234.5); }},
        {"double_comma", [](CZMDoubleCtrl& c, int) {
             Put(&c, "FmtDecimal", S(","));
             Put(&c, "FmtThousands", S("."));
             Put(&c, "FmtDecDigits", Variant::I2(2));
             c.PutValue(1234567.891);
         }},
        {"double_focused", [this](CZMDoubleCtrl& c, int i) {
             c.PutValue(3.25);
             Focus(i);
         }},
    };
    for (const auto& [name, setup] : doubles) Check(name, Render<CZMDoubleCtrl>(setup));
    using CurrencySetup = std::function<void(CZMCurrencyCtrl&, int)>;
    const std::pair<const char*, CurrencySetup> currencies[] = {
        {"currency_parentheses", [](CZMCurrencyCtrl& c, int) { c.PutValue(Currency{-12345000}); }},
        {"currency_brazil", [](CZMCurrencyCtrl& c, int) {
             Put(&c, "FmtControl", Variant::I2(10));
             Put(&c, "FmtDecimal", S(","));
             Put(&c, "FmtThousands", S("."));
             Put(&c, "FmtCurrency", S("R$"));
             c.PutValue(Currency{12345000});
         }},
        {"currency_trailing_sign", [](CZMCurrencyCtrl& c, int) {
             Put(&c, "FmtControl", Variant::I2(11));
             c.PutValue(Currency{-50000});
         }},
        {"currency_focused", [this](CZMCurrencyCtrl& c, int i) {
             c.PutValue(Currency{99900});
             Focus(i);
         }},
    };
    for (const auto& [name, setup] : currencies) Check(name, Render<CZMCurrencyCtrl>(setup));
}

}  // namespace
}  // namespace zmtext::testing
