// The number fields drawn in their states (long, double and currency; focused, negative, no zero
// shown, disabled, the currency layouts) and compared with the reference pictures in images/.
#include <functional>

#include "zmtext/controls/currency_ctrl.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/number_test_support.h"
#include "zmtext/controls/tests/screenshot_test_support.h"

namespace zmtext::testing {
namespace {

using com::Variant;

constexpr int kWidth = 180;
constexpr int kHeight = 26;

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
        return DrawField(*c, QSize(kWidth, kHeight));
    }
    static void Check(const std::string& name, const QImage& image) { ExpectLikeReference("number_" + name, image); }
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
