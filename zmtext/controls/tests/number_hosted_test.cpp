// The number fields as a program uses them: ZMTEXT32.OCX registered in a temporary machine root,
// the long, double and currency fields created by their ProgIDs in a forms window, typed into
// through Qt key events, and their properties saved and loaded into a new window.
#ifdef ZMTEXT_WITH_FORMS
#include <gtest/gtest.h>

#include "platform/ctl/control_site.h"
#include "platform/forms/hosted.h"
#include "platform/forms/window.h"
#include "platform/win/registry.h"
#include "platform/win/testing/raises.h"
#include "zmtext/controls/currency_ctrl.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/hosted_test_support.h"

namespace zmtext::testing {
namespace {

using com::Variant;
using win::testing::ErrorNumberOf;

// A price window: a quantity, a weight and a price field of the library.
class PriceWindow : public forms::Window {
public:
    PriceWindow() : Window("FrmPreco") {}
    forms::HostedControl* quantity = nullptr;
    forms::HostedControl* weight = nullptr;
    forms::HostedControl* price = nullptr;
    const com::PropertyBag* saved[3] = {nullptr, nullptr, nullptr};

protected:
    void CreateControls() override {
        quantity = &AddHosted("ZMTEXT.ZMLongCtrl.1", "ZmQtd3", saved[0], 150, 300, 2400, 360);
        weight = &AddHosted("ZMTEXT.ZMDoubleCtrl.1", "ZmPeso", saved[1], 150, 750, 2400, 360);
        price = &AddHosted("ZMTEXT.ZMCurrencyCtrl.1", "ZmPreco", saved[2], 150, 1200, 2400, 360);
    }
};

class HostedNumbers : public HostedFieldTest<PriceWindow> {
protected:
    PriceWindow& Shown(const com::PropertyBag* const* saved = nullptr) {
        return Open([&](PriceWindow& w) {
            if (saved)
                for (int i = 0; i < 3; ++i) w.saved[i] = saved[i];
        });
    }
    static void FocusAndSelectAll(forms::HostedControl& c) {
        ASSERT_TRUE(c.Site().SetFocus());
        QApplication::processEvents();
        c.Set("SelStart", Variant::I4(0));
        c.Set("SelLength", Variant::I4(255));
    }
};

TEST_F(HostedNumbers, TheLibraryRegistersTheFieldsAndTheirPages) {
    namespace reg = win::registry;
    const std::pair<const char*, const char*> keys[] = {
        {"ZMTEXT.ZMLongCtrl.1\\CLSID", "{A5CC20B2-B5F5-11CD-98EC-0020AF234C9D}"},
        {"ZMTEXT.ZMDoubleCtrl.1\\CLSID", "{A5CC20B7-B5F5-11CD-98EC-0020AF234C9D}"},
        {"ZMTEXT.ZMCurrencyCtrl.1\\CLSID", "{A5CC20BC-B5F5-11CD-98EC-0020AF234C9D}"},
        {"CLSID\\{A5CC20B2-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Long Control"},
        {"CLSID\\{A5CC20B7-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Double Control"},
        {"CLSID\\{A5CC20BC-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Currency Control"},
        {"CLSID\\{A5CC20B6-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Long Property Page"},
        {"CLSID\\{A5CC20BB-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Double Property Page"},
        {"CLSID\\{A5CC20C0-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Currency Property Page"},
    };
    for (const auto& [key, value] : keys)
        EXPECT_EQ(reg::QueryString(win::RootKey::ClassesRoot, key, "").value_or("(absent)"), value) << key;
}

TEST_F(HostedNumbers, EachFieldTypesAndShowsItsValue) {
    PriceWindow& w = Shown();
    EXPECT_EQ(TextOf(w.quantity->Get("Value")), "3") << "a new long starts at the number of its name";
    FocusAndSelectAll(*w.quantity);
    Type(*w.quantity, "-12345");
    w.weight->Set("FmtControl", Variant::I2(1));
    FocusAndSelectAll(*w.weight);
    Type(*w.weight, "7.25");
    w.price->Set("FmtControl", Variant::I2(10));
    w.price->Set("FmtDecimal", Variant::Utf8(","));
    w.price->Set("FmtThousands", Variant::Utf8("."));
    w.price->Set("FmtCurrency", Variant::Utf8("R$"));
    w.price->Set("FmtDecDigits", Variant::I2(2));
    FocusAndSelectAll(*w.price);
    Type(*w.price, "1234,5");
    ASSERT_TRUE(w.quantity->Site().SetFocus());
    QApplication::processEvents();
    EXPECT_EQ(TextOf(w.quantity->Get("Value")), "-12345");
    EXPECT_EQ(TextOf(w.quantity->Get("Text")), "-12,345");
    EXPECT_EQ(TextOf(w.weight->Get("Text")), " 7.250");
    EXPECT_EQ(TextOf(w.price->Get("Text")), " R$ 1.234,50");
    EXPECT_EQ(w.price->Get("Value").AsCy(), Currency{12345000});
    EXPECT_EQ(ErrorNumberOf([&] { w.weight->Set("FmtDecDigits", Variant::I2(16)); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { w.price->Set("FmtCurrency", Variant::Utf8("1")); }), 380);
}

TEST_F(HostedNumbers, SavedPropertiesLoadBackEqualInANewWindow) {
    PriceWindow& w = Shown();
    w.quantity->Set("Value", Variant::I4(42));
    w.quantity->Set("FmtThousands", Variant::Utf8("."));
    w.weight->Set("FmtControl", Variant::I2(1));
    w.weight->Set("Value", Variant::R8(1.25));
    w.price->Set("Value", Variant::Cy(Currency{-123456}));
    w.price->Set("FmtControl", Variant::I2(1));
    com::PropertyBag bags[3];
    w.quantity->SaveProperties(bags[0]);
    w.weight->SaveProperties(bags[1]);
    w.price->SaveProperties(bags[2]);
    const com::PropertyBag* saved[3] = {&bags[0], &bags[1], &bags[2]};
    PriceWindow& again = Shown(saved);
    for (const char* name : {"Value", "Text", "RawData", "FmtControl"}) {
        EXPECT_EQ(TextOf(again.quantity->Get(name)), TextOf(w.quantity->Get(name))) << name;
        EXPECT_EQ(TextOf(again.weight->Get(name)), TextOf(w.weight->Get(name))) << name;
        EXPECT_EQ(TextOf(again.price->Get(name)), TextOf(w.price->Get(name))) << name;
    }
    EXPECT_EQ(TextOf(again.price->Get("Text")), "($12.35)");
    EXPECT_EQ(TextOf(again.weight->Get("Text")), " 1.250");
}

}  // namespace
}  // namespace zmtext::testing
#endif
