// Rules every control's setters share: a BOOL takes True, False, 0 and 1 and nothing else; an
// enumeration takes its own range; each refusal raises the control's own text and leaves the
// value; each setter announces its own DISPID to the container.
#include <functional>

#include "zmtext/controls/currency_ctrl.h"
#include "zmtext/controls/date_ctrl.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/label_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/field_test_support.h"
#include "zmtext/controls/text_ctrl.h"
#include "zmtext/controls/time_ctrl.h"

namespace zmtext::testing {
namespace {

using com::Variant;

enum class Kind { Text, Date, Time, Long, Double, Currency, Label };

const char* NameOf(Kind k) {
    switch (k) {
        case Kind::Text: return "text";
        case Kind::Date: return "date";
        case Kind::Time: return "time";
        case Kind::Long: return "long";
        case Kind::Double: return "double";
        case Kind::Currency: return "currency";
        case Kind::Label: return "label";
    }
    return "?";
}

class PropertyRules : public FieldHostTest {
protected:
    void SetUp() override {
        FieldHostTest::SetUp();
        container_->SetChangeHandler([this](ctl::ControlSite&, com::DispId id) { announced_.push_back(id); });
    }
    com::ComPtr<com::IDispatch> Make(Kind k) {
        const std::string name = NameOf(k);
        switch (k) {
            case Kind::Text: return Cast(AddField<CZMTextCtrl>(name));
            case Kind::Date: return Cast(AddField<CZMDateCtrl>(name));
            case Kind::Time: return Cast(AddField<CZMTimeCtrl>(name));
            case Kind::Long: return Cast(AddField<CZMLongCtrl>(name));
            case Kind::Double: return Cast(AddField<CZMDoubleCtrl>(name));
            case Kind::Currency: return Cast(AddField<CZMCurrencyCtrl>(name));
            case Kind::Label: return Cast(AddField<CZMLabelCtrl>(name));
        }
        return {};
    }
    template <class C>
    static com::ComPtr<com::IDispatch> Cast(const com::ComPtr<C>& c) {
        return com::ComPtr<com::IDispatch>(static_cast<com::IDispatch*>(c.Get()));
    }

    std::vector<com::DispId> announced_;
};

constexpr const char* kAutoScroll = "AutoScroll must be either True or False";
constexpr const char* kReadOnly = "ReadOnly/DisplayOnly must be either True or False";
constexpr const char* kEOLTab = "EOLTab must be either True or False";
constexpr const char* kErrorBeep = "ErrorBeep must be either True or False";
constexpr const char* kFocusSelect = "FocusSelect must be either True or False";
constexpr const char* kInsert = "Insert must be either True or False";
constexpr const char* kModified = "Modified must be either True or False";
constexpr const char* kDataChanged = "DataChanged must be either True or False";
constexpr const char* kBorderEffect = "BorderEffect must be 0-None, 1-Pop, or 2-Drop";
constexpr const char* kBorderStyle = "BorderStyle must be either 0-None, or 1-Fixed Single";
constexpr const char* kJustification = "Justification must be 0-Left, 1-Center, or 2-Right";
constexpr const char* kMousePointer = "The MousePointer property must be a number from 0 to 13";
constexpr const char* kDataProperty3 = "DataProperty must be 0-Text, 1-Raw, or 2-Value";

struct FlagRow {
    Kind kind;
    const char* property;
    const char* text;
};

// The BOOL properties that carry a refusal text, for every control.
std::vector<FlagRow> FlagRows() {
    std::vector<FlagRow> rows;
    for (Kind k : {Kind::Text, Kind::Date, Kind::Time, Kind::Long, Kind::Double, Kind::Currency}) {
        for (const auto& [property, text] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"AutoScroll", kAutoScroll}, {"DisplayOnly", kReadOnly}, {"ReadOnly", kReadOnly},
                 {"EOLTab", kEOLTab}, {"ErrorBeep", kErrorBeep}, {"FocusSelect", kFocusSelect},
                 {"Insert", kInsert}, {"Modified", kModified}, {"DataChanged", kDataChanged}})
            rows.push_back({k, property, text});
    }
    rows.push_back({Kind::Text, "UseFillChar", "The UseFillChar/UseUnderline property must be either True or False"});
    rows.push_back({Kind::Text, "UseUnderline", "The UseFillChar/UseUnderline property must be either True or False"});
    rows.push_back({Kind::Text, "HideSelection", "HideSelection must be either True or False"});
    rows.push_back({Kind::Label, "WordWrap", "WordWrap must be either True or False"});
    return rows;
}

// A refused value raises error 380 (481 for `scode` so given) with the text and keeps the value.
void ExpectRefused(com::IDispatch* d, const char* property, const Variant& bad, const char* text,
                   std::uint32_t scode = 0x800A017C) {
    const std::string before = Shown(GetProperty(d, property));
    const CallResult r = PutProperty(d, property, bad);
    EXPECT_EQ(r.hr, com::DISP_E_EXCEPTION) << property << " took " << Shown(bad);
    EXPECT_EQ(static_cast<std::uint32_t>(r.excep.scode), scode) << property;
    EXPECT_EQ(r.excep.description, text) << property << " " << Shown(bad);
    EXPECT_EQ(Shown(GetProperty(d, property)), before) << property << " kept its value";
}

TEST_F(PropertyRules, ABoolTakesTrueFalseZeroAndOneAndRefusesEveryOtherNumber) {
    for (const FlagRow& row : FlagRows()) {
        SCOPED_TRACE(std::string(NameOf(row.kind)) + "." + row.property);
        container_ = std::make_unique<ctl::ControlContainer>(top_.get());
        auto c = Make(row.kind);
        for (const Variant& bad : {Variant::I2(2), Variant::I4(-2), Variant::I2(255), Variant::Utf8("7")})
            ExpectRefused(c.Get(), row.property, bad, row.text);
        for (const Variant& good : {Variant::I2(1), Variant::I2(0), Variant::Bool(true), Variant::Bool(false)})
            EXPECT_EQ(PutProperty(c.Get(), row.property, good).hr, com::S_OK) << Shown(good);
    }
}

struct RangeRow {
    Kind kind;
    const char* property;
    long low, high;
    const char* text;
    std::uint32_t scode = 0x800A017C;
};

TEST_F(PropertyRules, AnEnumerationTakesItsRangeAndRefusesOneStepOutsideEitherEnd) {
    const RangeRow rows[] = {
        {Kind::Text, "BorderEffect", 0, 2, kBorderEffect},
        {Kind::Text, "BorderStyle", 0, 1, kBorderStyle},
        {Kind::Text, "Justification", 0, 2, kJustification},
        {Kind::Text, "DataProperty", 0, 1, "DataProperty must be either 0-Text, or 1-Raw"},
        {Kind::Text, "MousePointer", 0, 13, kMousePointer},
        {Kind::Text, "MaxLength", 0, 255, "MaxLength/MaxCharacters  must be an integer from 0 to 255"},
        {Kind::Date, "DataProperty", 0, 2, kDataProperty3},
        {Kind::Date, "FmtDay", 0, 2, "FmtDay must be 0 - None, 1 - No Leading Zero, or 2 - Leading Zero"},
        {Kind::Date, "FmtYear", 0, 2, "FmtYear must be 0 - None, 1 - Two Digit Year, or 2 - Four Digit Year"},
        {Kind::Date, "DateType", 0, 1, "DateType must be 0 - VisualBasic, or 1 - Halvern"},
        {Kind::Date, "BoundTimeMode", 0, 1, "BoundTimeMode must be either 0 - Preserve, or 1 - BoundTime"},
        {Kind::Date, "Justification", 0, 2, kJustification},
        {Kind::Time, "FmtHours", 0, 2,
         "FmtHours must be 0-Use WIN.INI Format, 1-12 Hour clock, or 2-24 Hour clock."},
        {Kind::Time, "FmtSeconds", 0, 1, "FmtSeconds must be either 0-Show Seconds, or 1-Do not show seconds"},
        {Kind::Time, "FmtLeadingZero", 0, 2,
         "FmtLeadingZero must be 0-Use WIN.INI, 1-No leading zero, or 2-Use leading zero"},
        {Kind::Time, "BoundDateMode", 0, 1, "BoundDateMode must be either 0 - Preserve or 1 - BoundDate"},
        {Kind::Time, "BorderEffect", 0, 2, kBorderEffect},
        {Kind::Long, "FmtControl", 0, 1, "FmtControl must be either 0-Use WIN.INI Format, or 1-Use Properties"},
        {Kind::Long, "DataProperty", 0, 2, kDataProperty3},
        {Kind::Long, "MousePointer", 0, 13, kMousePointer},
        {Kind::Double, "FmtControl", 0, 1, "FmtControl must be either 0-Use WIN.INI Format, or 1-Use Properties"},
        {Kind::Double, "BorderStyle", 0, 1, kBorderStyle},
        {Kind::Currency, "FmtControl", 0, 11, "FmtControl must be a number from 0 to 11 (see Help File for details)"},
        {Kind::Currency, "Justification", 0, 2, kJustification},
        {Kind::Label, "Alignment", 0, 2, "Alignment must be 0-Left, 1-Center, or 2-Right"},
        {Kind::Label, "BackgroundStyle", 0, 2, "BackgroundStyle must be 0-Transparent, 1-Normal, or 2-Texture"},
        {Kind::Label, "BorderEffect", 0, 2, kBorderEffect},
        {Kind::Label, "BorderStyle", 0, 1, kBorderStyle},
        {Kind::Label, "ChiselText", 0, 2, "ChiselText must be 0-None, 1-Inset, or 2-Raised"},
        {Kind::Label, "LabelStyle", 0, 2, "LabelStyle must be 0-Label, 1-Horz Bump, or 2-Vert Bump"},
        {Kind::Label, "MousePointer", 0, 13, kMousePointer, 0x800A01E1},
    };
    for (const RangeRow& row : rows) {
        SCOPED_TRACE(std::string(NameOf(row.kind)) + "." + row.property);
        container_ = std::make_unique<ctl::ControlContainer>(top_.get());
        auto c = Make(row.kind);
        ExpectRefused(c.Get(), row.property, Variant::I2(static_cast<std::int16_t>(row.low - 1)), row.text, row.scode);
        ExpectRefused(c.Get(), row.property, Variant::I2(static_cast<std::int16_t>(row.high + 1)), row.text, row.scode);
        for (long v : {row.low, row.high})
            EXPECT_EQ(PutProperty(c.Get(), row.property, Variant::I2(static_cast<std::int16_t>(v))).hr, com::S_OK) << v;
    }
}

// ReadOnly and DisplayOnly set the same flag; each announces the DISPID its control's table
// gives it (the text field's ReadOnly announces DisplayOnly's, as its table says).
TEST_F(PropertyRules, ReadOnlyAndDisplayOnlyAnnounceTheirOwnDispIds) {
    const struct {
        Kind kind;
        const char* property;
        com::DispId announced;
    } rows[] = {
        {Kind::Text, "DisplayOnly", 16},     {Kind::Text, "ReadOnly", 16},
        {Kind::Date, "DisplayOnly", 14},     {Kind::Date, "ReadOnly", 24},
        {Kind::Time, "DisplayOnly", 17},     {Kind::Time, "ReadOnly", 27},
        {Kind::Long, "DisplayOnly", 16},     {Kind::Long, "ReadOnly", 29},
        {Kind::Double, "DisplayOnly", 14},   {Kind::Double, "ReadOnly", 31},
        {Kind::Currency, "DisplayOnly", 15}, {Kind::Currency, "ReadOnly", 32},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(NameOf(row.kind)) + "." + row.property);
        container_ = std::make_unique<ctl::ControlContainer>(top_.get());
        container_->SetChangeHandler([this](ctl::ControlSite&, com::DispId id) { announced_.push_back(id); });
        auto c = Make(row.kind);
        announced_.clear();
        ASSERT_EQ(PutProperty(c.Get(), row.property, Variant::Bool(true)).hr, com::S_OK);
        EXPECT_EQ(announced_, std::vector<com::DispId>{row.announced});
        EXPECT_EQ(Shown(GetProperty(c.Get(), "ReadOnly")), "True");
    }
}

}  // namespace
}  // namespace zmtext::testing
