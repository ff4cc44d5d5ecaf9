// The money field: its members at their DISPIDs, the setters' errors, the layouts of its text,
// a Brazilian-style field typed into and bound to a currency column, the binding's conversions,
// and persistence in the current and the old format.
#include "platform/com/connection.h"
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/currency_ctrl.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/number_test_support.h"
#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/tests/fake_cursor.h"
#include "zmtext/module/zmtextlib.h"

namespace zmtext::testing {
namespace {

using com::Variant;

Variant Cy(std::int64_t scaled) { return Variant::Cy(Currency{scaled}); }

TEST(CurrencyMembers, EveryMemberAndEventAtItsDispId) {
    std::vector<std::pair<const char*, com::DispId>> rows = {
        {"ShowZero", 1}, {"DataSource", 2}, {"FontName", 3}, {"FontBold", 4}, {"FontItalic", 5},
        {"FontStrikeThru", 6}, {"FontUnderline", 7}, {"Modified", 8}, {"SelLength", 9}, {"SelStart", 10},
        {"SelText", 11}, {"AutoScroll", 12}, {"BorderEffect", 13}, {"DataProperty", 14}, {"DisplayOnly", 15},
        {"EOLTab", 16}, {"ErrorBeep", 17}, {"FocusSelect", 18}, {"Insert", 19}, {"RawData", 20},
        {"FmtControl", 21}, {"FontSize", 22}, {"FmtCurrency", 23}, {"FmtDecDigits", 24}, {"FmtDecimal", 25},
        {"FmtIntDigits", 26}, {"FmtThousands", 27}, {"Justification", 28}, {"Value", 29}, {"MinValue", 30},
        {"MaxValue", 31}, {"ReadOnly", 32}, {"MousePointer", 33}, {"MouseIcon", 34}, {"HdnWidth", 35},
        {"HdnHeight", 36}, {"HdnDataPropCount", 37}, {"ToolTip", 38}, {"DataField", 39}, {"DataChanged", 40}};
    rows.insert(rows.end(), NumberStockIds().begin(), NumberStockIds().end());
    EXPECT_EQ(CZMCurrencyCtrl::DispatchMembers().Members().size(), rows.size());
    ExpectDispIds(CZMCurrencyCtrl::DispatchMembers(), rows);
    const std::pair<const char*, com::DispId> events[] = {
        {"Change", 1}, {"EndOfLine", 2}, {"InvalidKey", 3}, {"Invalid", 4}, {"OutOfRange", 5}, {"Click", -600},
        {"DblClick", -601}, {"KeyDown", -602}, {"KeyPress", -603}, {"KeyUp", -604}, {"MouseDown", -605},
        {"MouseMove", -606}, {"MouseUp", -607}};
    const auto listed = CZMCurrencyCtrl::EventMembers();
    ASSERT_EQ(listed.size(), std::size(events));
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].name, events[i].first);
        EXPECT_EQ(listed[i].id, events[i].second);
    }
}

// The change notices a container hears.
class NotifySink final : public com::Object<NotifySink, com::IPropertyNotifySink> {
public:
    std::vector<com::DispId> changed;
    com::HResult OnChanged(com::DispId id) override {
        changed.push_back(id);
        return com::S_OK;
    }
    com::HResult OnRequestEdit(com::DispId) override { return com::S_OK; }
};

// Every setter of the money field's own settings tells the container of its change under its own
// DISPID, last (after the texts it rebuilt); the whole-number and the decimal fields store
// ShowZero without a word.
TEST_F(NumberControlTest, CurrencySettersAnnounceTheirOwnDispIdsAndShowZeroElsewhereIsSilent) {
    auto currency = Add<CZMCurrencyCtrl>("Cur", 0);
    auto whole = Add<CZMLongCtrl>("Lng", 1);
    auto decimal = Add<CZMDoubleCtrl>("Dbl", 2);
    struct Row {
        com::IDispatch* control;
        const char* kind;
        const char* name;
        Variant value;
        std::optional<com::DispId> announced;
    };
    const std::vector<Row> rows = {
        {currency.Get(), "currency", "ShowZero", Variant::Bool(false), kCurShowZero},
        {currency.Get(), "currency", "ShowZero", Variant::Bool(true), kCurShowZero},
        {currency.Get(), "currency", "FmtControl", Variant::I2(2), kCurFmtControl},
        {currency.Get(), "currency", "FmtCurrency", S("R$"), kCurFmtCurrency},
        {currency.Get(), "currency", "FmtDecDigits", Variant::I2(3), kCurFmtDecDigits},
        {currency.Get(), "currency", "FmtDecimal", S(","), kCurFmtDecimal},
        {currency.Get(), "currency", "FmtIntDigits", Variant::I2(10), kCurFmtIntDigits},
        {currency.Get(), "currency", "FmtThousands", S("."), kCurFmtThousands},
        {whole.Get(), "long", "ShowZero", Variant::Bool(false), std::nullopt},
        {decimal.Get(), "double", "ShowZero", Variant::Bool(false), std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.kind) + " " + row.name);
        const com::ComPtr<NotifySink> sink = NotifySink::Create();
        std::uint32_t cookie = 0;
        ASSERT_EQ(com::AdviseSink(row.control, com::IPropertyNotifySink::kIid, static_cast<com::IPropertyNotifySink*>(sink.Get()),
                                  &cookie),
                  com::S_OK);
        EXPECT_EQ(PutProperty(row.control, row.name, row.value).hr, com::S_OK);
        if (row.announced) {
            ASSERT_FALSE(sink->changed.empty());
            EXPECT_EQ(sink->changed.back(), *row.announced);
        } else {
            EXPECT_TRUE(sink->changed.empty()) << sink->changed.front();
        }
        com::UnadviseSink(row.control, com::IPropertyNotifySink::kIid, cookie);
    }
}

TEST_F(NumberControlTest, CurrencyRefusedValuesRaiseTheirText) {
    auto c = Add<CZMCurrencyCtrl>("Cur");
    ExpectRefused(c.Get(), {
        {"FmtCurrency", S("-R"), "The FmtCurrency property must not be a negative sign (-)", 0},
        {"FmtCurrency", S("9R"), "The FmtCurrency property must not be a number (0-9)", 0},
        {"FmtCurrency", S(".R"), "FmtCurrency and FmtDecimal must not be the same character", 0},
        {"FmtCurrency", S("ABCDEFG"), "The FmtCurrency property must not be greater than 6 characters long", 0},
        {"FmtDecimal", S(""), "The FmtDecimal property must not be blank", 0},
        {"FmtDecimal", S("-"), "The FmtDecimal property must not be a negative sign (-)", 0},
        {"FmtDecimal", S("3"), "The FmtDecimal property must not be a number (0-9)", 0},
        {"FmtThousands", S("-"), "The FmtThousands property must not be a negative sign (-)", 0},
        {"FmtThousands", S("1"), "The FmtThousands property must not be a number (0-9)", 0},
        {"FmtDecDigits", Variant::I2(5), "FmtDecDigits must be an integer from 0 to 4", 0},
        {"FmtIntDigits", Variant::I2(16), "FmtIntDigits must be an integer from 0 to 15", 0},
        {"FmtControl", Variant::I2(12), "FmtControl must be a number from 0 to 11 (see Help File for details)", 0},
        {"FmtControl", Variant::I2(-1), "FmtControl must be a number from 0 to 11 (see Help File for details)", 0},
        {"DataProperty", Variant::I2(3), "DataProperty must be 0-Text, 1-Raw, or 2-Value", 0},
        {"RawData", S("1e30"), "Invalid RawData Value", 0},
        {"DataChanged", Variant::I2(3), "DataChanged must be either True or False", -1},
    });
    EXPECT_EQ(PutProperty(c.Get(), "FmtCurrency", S("ABCDEF")).hr, com::S_OK) << "six characters fit";
    EXPECT_EQ(Get(c.Get(), "MaxValue"), "922337203685477.5807");
    EXPECT_EQ(Get(c.Get(), "MinValue"), "-922337203685477.5807");
}

TEST_F(NumberControlTest, CurrencyTextFollowsItsLayout) {
    auto c = Add<CZMCurrencyCtrl>("Cur");
    struct Row {
        std::int16_t fmtControl;
        std::int64_t scaled;
        const char* text;
    };
    const Row rows[] = {
        {1, -12345000, "($1,234.50)"}, {9, -12345000, "-1,234.50 $"}, {2, 0, " $0.00"},
        {1, 12345000, " $1,234.50"},   {3, -50000, "$-5.00"},         {11, -50000, "5.00 $-"},
        {10, 23450, " $ 2.35"},        {2, -23450, "-$2.35"},         {2, -40, " $0.00"},
    };
    for (const Row& row : rows) {
        Put(c.Get(), "FmtControl", Variant::I2(row.fmtControl));
        Put(c.Get(), "Value", Cy(row.scaled));
        EXPECT_EQ(Get(c.Get(), "Text"), row.text) << row.fmtControl << " " << row.scaled;
    }
    Put(c.Get(), "Value", Cy(0));
    Put(c.Get(), "ShowZero", Variant::Bool(false));
    Put(c.Get(), "Value", Cy(10000));
    Put(c.Get(), "Value", Cy(0));
    EXPECT_EQ(Get(c.Get(), "Text"), "");
    // Rounding the largest value does not overflow.
    Put(c.Get(), "Value", Cy(INT64_MAX));
    EXPECT_EQ(Get(c.Get(), "RawData"), "922337203685477.58");
}

class CurrencyBinding : public NumberControlTest {
protected:
    void SetUp() override {
        NumberControlTest::SetUp();
        source_ = std::make_shared<Source>();
        source_->columns = {"Codigo", "Preco"};
        source_->rows = {{Variant::I4(1), Cy(99900)}};
        cursor_ = Cursor::Create(source_, false, 0);
    }
    void Bind(com::IDispatch* c) {
        auto* cursor = static_cast<ICursor*>(static_cast<ICursorMove*>(cursor_.Get()));
        Put(c, "DataSource", Variant::Unknown(com::ComPtr<com::IUnknown>(static_cast<com::IUnknown*>(cursor))));
    }
    std::shared_ptr<Source> source_;
    com::ComPtr<Cursor> cursor_;
};

TEST_F(CurrencyBinding, ABrazilianFieldTypedIntoBindsTheExactAmount) {
    auto c = Add<CZMCurrencyCtrl>("Preco");
    auto next = Add<CZMCurrencyCtrl>("Next", 1);
    const std::pair<const char*, Variant> settings[] = {
        {"FmtDecimal", S(",")}, {"FmtThousands", S(".")}, {"FmtCurrency", S("R$")}, {"FmtDecDigits", Variant::I2(2)},
        {"FmtControl", Variant::I2(10)}, {"DataField", S("preco")}, {"EOLTab", Variant::Bool(true)}};
    for (const auto& [name, value] : settings) Put(c.Get(), name, value);
    Bind(c.Get());
    EXPECT_EQ(Get(c.Get(), "Text"), " R$ 9,99");
    EXPECT_EQ(Get(c.Get(), "DataChanged"), "False");
    Show();
    Focus(0);
    Put(c.Get(), "SelLength", Variant::I4(4));   // the whole "9,99"
    events_.clear();
    Type(0, "1234,5");
    EXPECT_EQ(Count("Preco", kCurEndOfLine), 0);
    Type(0, "0");
    EXPECT_EQ(Count("Preco", kCurEndOfLine), 1) << "the second decimal ends the field";
    EXPECT_TRUE(next->WindowHasFocus());
    EXPECT_EQ(Get(c.Get(), "Text"), " R$ 1.234,50");
    EXPECT_EQ(Get(c.Get(), "RawData"), "1234,50");
    EXPECT_EQ(c->GetValue(), Currency{12345000});
    EXPECT_TRUE(c->DataFieldChoices().empty()) << "no data source on the site: no column names";
    EXPECT_EQ(c->WriteColumn(), com::S_OK);
    ASSERT_FALSE(source_->pending.empty());
    const Variant& written = source_->pending.back().second;
    EXPECT_EQ(written.BaseType(), com::VT_CY);
    EXPECT_EQ(written.AsCy(), Currency{12345000}) << "1234.5 exactly";
    Put(c.Get(), "DataSource", Variant());   // the data source lets the field go
}

TEST_F(NumberControlTest, CurrencyBindingConversions) {
    auto c = Add<CZMCurrencyCtrl>("Cur");
    const std::pair<Variant, std::int64_t> rows[] = {
        {Cy(-5), -5},                  {Variant::R8(2.345), 23450}, {Variant::Utf8("12.5"), 125000},
        {Variant::Utf8("x"), 0},       {Variant::I4(-7), -70000},   {Variant(), 0},
        {Variant::Bool(true), -10000}, {Variant::R8(1e30), 0},
    };
    for (const auto& [bound, scaled] : rows) {
        c->SetBoundValue(bound);
        EXPECT_EQ(c->GetValue().scaled, scaled) << Shown(bound);
    }
    c->PutValue(Currency{123});
    const Variant out = c->GetBoundValue(com::VT_CY);
    EXPECT_EQ(out.BaseType(), com::VT_CY);
    EXPECT_EQ(out.AsCy(), Currency{123});
}

TEST_F(NumberControlTest, CurrencyResetReadsItsSectionOfTheDefaultsStore) {
    win::testing::TempMachineRoot root;
    CZMTextApp app;
    ASSERT_TRUE(app.InitInstance());
    CZMDefaultsStore& store = *ZMDefaults();
    const std::pair<int, const char*> keys[] = {{150, "5"}, {153, "3"}, {154, "9"}, {176, "0"}, {177, "EUR"},
                                                {157, "1000.25"}, {158, "oops"}, {151, ","}, {152, "."}};
    for (const auto& [key, value] : keys) ASSERT_TRUE(store.WriteString(kKindCurrency, key, value));
    auto c = Add<CZMCurrencyCtrl>("C");
    const std::pair<const char*, const char*> rows[] = {
        {"FmtControl", "5"}, {"FmtDecDigits", "3"}, {"FmtIntDigits", "9"}, {"ShowZero", "False"},
        {"FmtCurrency", "EUR"}, {"MaxValue", "1000.25"}, {"MinValue", "-922337203685477.5807"},
        {"FmtDecimal", ","}, {"FmtThousands", "."}, {"Text", ""}};
    for (const auto& [name, value] : rows) EXPECT_EQ(Get(c.Get(), name), value) << name;
}

TEST_F(NumberControlTest, CurrencySavedPropertiesLoadBackEqual) {
    auto c = Add<CZMCurrencyCtrl>("Cur");
    const std::pair<const char*, Variant> values[] = {
        {"FmtDecimal", S(",")}, {"FmtThousands", S(".")}, {"FmtCurrency", S("R$")}, {"FmtControl", Variant::I2(10)},
        {"FmtDecDigits", Variant::I2(3)}, {"FmtIntDigits", Variant::I2(9)}, {"ShowZero", Variant::Bool(false)},
        {"MaxValue", Cy(50000000)}, {"MinValue", Cy(-1)}, {"Value", Cy(-12345678)}, {"DataField", S("Preco")}};
    for (const auto& [name, value] : values) Put(c.Get(), name, value);
    com::PropertyBag bag;
    ASSERT_EQ(c->SaveProperties(&bag, true), com::S_OK);
    auto d = Add<CZMCurrencyCtrl>("Copy", 1, &bag);
    for (const auto& [name, value] : values) EXPECT_EQ(Get(d.Get(), name), Get(c.Get(), name)) << name;
    EXPECT_EQ(Get(d.Get(), "Text"), "-R$ 1.234,568");
    EXPECT_EQ(Get(d.Get(), "DataChanged"), "False");
}

TEST_F(NumberControlTest, CurrencyOldFormatRecord) {
    com::PropertyBag bag;
    bag.oldFormat = true;
    std::vector<std::uint8_t> flags(70, 0);
    auto put = [&](std::size_t at, std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) flags[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(4, 70, 4);
    put(32, (8u << 16) | 0x1000u | 0x0800u | 4u, 4);   // 8 digits, no zero, layout 5
    put(36, 1, 2);
    flags[38] = ',';
    flags[39] = '.';
    flags[40] = 'D';
    flags[41] = 'M';
    put(46, static_cast<std::uint64_t>(std::int64_t{-10000}), 8);
    put(54, 1000000, 8);
    put(62, 12345000, 8);
    bag.Write("Justification", com::Blob{flags});
    auto c = Add<CZMCurrencyCtrl>("Old", 0, &bag);
    const std::pair<const char*, const char*> rows[] = {
        {"FmtIntDigits", "8"}, {"FmtDecDigits", "1"}, {"ShowZero", "False"}, {"FmtControl", "5"},
        {"FmtDecimal", ","}, {"FmtThousands", "."}, {"FmtCurrency", "DM"}, {"MinValue", "-1"},
        {"MaxValue", "100"}, {"RawData", "1234,5"}, {"Text", " 1.234,5DM"}};
    for (const auto& [name, value] : rows) EXPECT_EQ(Get(c.Get(), name), value) << name;
}

}  // namespace
}  // namespace zmtext::testing

namespace zmtext::testing {
namespace {

TEST(NumberTypeLibrary, ListsEachNumberFieldWithItsMembersAndEvents) {
    struct Row {
        const char* coclass;
        const char* dispatch;
        const char* events;
        std::size_t members;
        std::size_t eventCount;
    };
    const Row rows[] = {
        {"silgEdit", "_DZMLong", "_DZMLongEvents", CZMLongCtrl::DispatchMembers().Members().size(), CZMLongCtrl::EventMembers().size()},
        {"sidbEdit", "_DZMDouble", "_DZMDoubleEvents", CZMDoubleCtrl::DispatchMembers().Members().size(), CZMDoubleCtrl::EventMembers().size()},
        {"sicrEdit", "_DZMCurrency", "_DZMCurrencyEvents", CZMCurrencyCtrl::DispatchMembers().Members().size(), CZMCurrencyCtrl::EventMembers().size()},
    };
    const com::TypeLibraryData& lib = ZMTextLib();
    for (const Row& row : rows) {
        ASSERT_NE(lib.Find(row.coclass), nullptr) << row.coclass;
        EXPECT_EQ(lib.Find(row.coclass)->kind, com::TypeKind::Coclass);
        ASSERT_NE(lib.Find(row.dispatch), nullptr) << row.dispatch;
        EXPECT_EQ(lib.Find(row.dispatch)->funcs.size(), row.members) << row.dispatch;
        ASSERT_NE(lib.Find(row.events), nullptr) << row.events;
        EXPECT_EQ(lib.Find(row.events)->funcs.size(), row.eventCount) << row.events;
    }
}

}  // namespace
}  // namespace zmtext::testing
