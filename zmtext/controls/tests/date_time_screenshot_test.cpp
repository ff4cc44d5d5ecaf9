// The date and time fields drawn in their states (blank, a value in each format, focused while
// typed into, disabled, read-only) and compared with the reference pictures in images/.
#include <functional>

#include "zmtext/controls/date_ctrl.h"
#include "zmtext/controls/tests/date_time_test_support.h"
#include "zmtext/controls/tests/screenshot_test_support.h"
#include "zmtext/controls/time_ctrl.h"

namespace zmtext::testing {
namespace {

using com::Variant;

constexpr int kWidth = 150;
constexpr int kHeight = 26;
class DateTimeScreenshots : public FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        Show();
    }
    template <class T>
    QImage Render(const std::function<void(T&, int)>& setup) {
        const int i = static_cast<int>(sites_.size());
        auto c = AddField<T>("Shot" + std::to_string(i), i);
        Put(*c, "FontName", S("DejaVu Sans"));
        Put(*c, "FontSize", Variant::R4(9));
        setup(*c, i);
        return DrawField(*c, QSize(kWidth, kHeight));
    }
    static void Check(const std::string& name, const QImage& image) { ExpectLikeReference(name, image); }
};

TEST_F(DateTimeScreenshots, DateStatesMatchTheirReferencePictures) {
    using Setup = std::function<void(CZMDateCtrl&, int)>;
    auto dated = [](CZMDateCtrl& c) {
        Put(c, "DateType", Variant::I2(0));
        Put(c, "FmtControl", Variant::I2(2));
        Put(c, "FmtSeparator", S("/"));
        Put(c, "Value", Variant::I4(36154));   // 1998-12-25
    };
    const std::pair<const char*, Setup> rows[] = {
        {"date_blank", [](CZMDateCtrl&, int) {}},
        {"date_value", [&](CZMDateCtrl& c, int) { dated(c); }},
        {"date_month_name", [&](CZMDateCtrl& c, int) {
             dated(c);
             Put(c, "FmtMonth", Variant::I2(4));
             Put(c, "FmtControl", Variant::I2(1));
         }},
        {"date_typing", [this](CZMDateCtrl& c, int i) {
             Put(c, "FmtControl", Variant::I2(2));
             Put(c, "FmtSeparator", S("/"));
             Focus(i);
             Type(i, "2512");
         }},
        {"date_disabled", [&](CZMDateCtrl& c, int) {
             dated(c);
             Put(c, "Enabled", Variant::Bool(false));
         }},
        {"date_readonly_left", [&](CZMDateCtrl& c, int) {
             dated(c);
             Put(c, "ReadOnly", Variant::Bool(true));
             Put(c, "Justification", Variant::I2(0));
         }},
    };
    for (const auto& [name, setup] : rows) Check(name, Render<CZMDateCtrl>(setup));
}

TEST_F(DateTimeScreenshots, TimeStatesMatchTheirReferencePictures) {
    using Setup = std::function<void(CZMTimeCtrl&, int)>;
    const std::pair<const char*, Setup> rows[] = {
        {"time_midnight", [](CZMTimeCtrl&, int) {}},
        {"time_afternoon", [](CZMTimeCtrl& c, int) { Put(c, "Value", Variant::I4(50709)); }},
        {"time_24_hours", [](CZMTimeCtrl& c, int) {
             Put(c, "FmtControl", Variant::I2(7));
             Put(c, "Value", Variant::I4(50709));
         }},
        {"time_empty", [](CZMTimeCtrl& c, int) { Put(c, "Value", Variant::I4(-1)); }},
        {"time_typing", [this](CZMTimeCtrl& c, int i) {
             Put(c, "Value", Variant::I4(-1));
             Focus(i);
             Type(i, "0930");
         }},
        {"time_drop", [](CZMTimeCtrl& c, int) {
             Put(c, "BorderEffect", Variant::I2(2));
             Put(c, "Value", Variant::I4(43200));
         }},
    };
    for (const auto& [name, setup] : rows) Check(name, Render<CZMTimeCtrl>(setup));
}

}  // namespace
}  // namespace zmtext::testing
