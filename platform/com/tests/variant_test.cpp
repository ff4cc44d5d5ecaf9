// Conversions between the variant kinds, as tables: every source kind against every target
// kind, then the texts ("&H" patterns, grouping, exponents, dates), currency rounding and the
// scalar types underneath.
#include <gtest/gtest.h>

#include <charconv>
#include <span>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"

namespace com {
namespace {

// An object whose default member (DISPID 0) is the 32-bit integer 7.
class Seven final : public DispatchObject<Seven> {
public:
    static const DispatchMap& DispatchMembers() {
        static const DispatchTable<Seven> t = [] {
            DispatchTable<Seven> table;
            table.ReadOnly("Value", &Seven::Value, DISPID_VALUE);
            return table;
        }();
        return t.Map();
    }
    std::int32_t Value() const { return 7; }
};

// A plain object without IDispatch.
class Plain final : public Object<Plain, IUnknown> {};

template <class F>
std::string Number(F v) {
    char buf[32];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// "KIND:value" for a result, "E:<runtime number>" for a failure.
std::string Describe(HResult hr, const Variant& v) {
    if (Failed(hr)) return "E:" + std::to_string(RuntimeNumber(hr));
    switch (v.Type()) {
        case VT_EMPTY: return "EMPTY";
        case VT_NULL: return "NULL";
        case VT_I2: return "I2:" + std::to_string(v.AsI2());
        case VT_I4: return "I4:" + std::to_string(v.AsI4());
        case VT_R4: return "R4:" + Number(v.AsR4());
        case VT_R8: return "R8:" + Number(v.AsR8());
        case VT_CY: return "CY:" + std::to_string(v.AsCy().scaled);
        case VT_DATE: return "DATE:" + Number(v.AsDate().days);
        case VT_BSTR: return "BSTR:'" + v.AsStr().ToUtf8() + "'";
        case VT_BOOL: return "BOOL:" + std::to_string(v.AsInteger());
        case VT_DISPATCH: return v.AsDispatch() ? "DISPATCH:obj" : "DISPATCH:null";
        default: return "kind " + std::to_string(v.Type());
    }
}

constexpr VarType kTargets[] = {VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_BOOL, VT_NULL, VT_DISPATCH};

struct MatrixRow {
    const char* name;
    Variant source;
    std::vector<std::string> expected;   // one per entry of kTargets
};

std::vector<MatrixRow> Matrix() {
    static std::int16_t refValue = -5;
    static SafeArray array({{1, 2}});
    const std::string mm = "E:13", ov = "E:6";
    return {
        {"Empty", Variant(), {"I2:0", "I4:0", "R4:0", "R8:0", "CY:0", "DATE:0", "BSTR:''", "BOOL:0", "NULL", "DISPATCH:null"}},
        {"Null", Variant::Null(), {mm, mm, mm, mm, mm, mm, mm, mm, "NULL", mm}},
        {"I2", Variant::I2(-2), {"I2:-2", "I4:-2", "R4:-2", "R8:-2", "CY:-20000", "DATE:-2", "BSTR:'-2'", "BOOL:-1", mm, mm}},
        {"I4", Variant::I4(70000), {ov, "I4:70000", "R4:70000", "R8:70000", "CY:700000000", "DATE:70000", "BSTR:'70000'", "BOOL:-1", mm, mm}},
        {"R4", Variant::R4(9.75f), {"I2:10", "I4:10", "R4:9.75", "R8:9.75", "CY:97500", "DATE:9.75", "BSTR:'9.75'", "BOOL:-1", mm, mm}},
        {"R8 half", Variant::R8(2.5), {"I2:2", "I4:2", "R4:2.5", "R8:2.5", "CY:25000", "DATE:2.5", "BSTR:'2.5'", "BOOL:-1", mm, mm}},
        {"R8 huge", Variant::R8(1e300), {ov, ov, ov, "R8:1e+300", ov, ov, "BSTR:'1E+300'", "BOOL:-1", mm, mm}},
        {"CY", Variant::Cy({12345}), {"I2:1", "I4:1", "R4:1.2345", "R8:1.2345", "CY:12345", "DATE:1.2345", "BSTR:'1.2345'", "BOOL:-1", mm, mm}},
        {"DATE", Variant::FromDate({36892.5}), {ov, "I4:36892", "R4:36892.5", "R8:36892.5", "CY:368925000", "DATE:36892.5", "BSTR:'1/1/2001 12:00:00 PM'", "BOOL:-1", mm, mm}},
        {"BSTR colour", Variant::Utf8("&HC0C0FF"), {ov, "I4:12632319", "R4:12632319", "R8:12632319", "CY:126323190000", mm, "BSTR:'&HC0C0FF'", "BOOL:-1", mm, mm}},
        {"BSTR grouped", Variant::Utf8(" 1,234.5 "), {"I2:1234", "I4:1234", "R4:1234.5", "R8:1234.5", "CY:12345000", mm, "BSTR:' 1,234.5 '", "BOOL:-1", mm, mm}},
        {"BSTR word", Variant::Utf8("abc"), {mm, mm, mm, mm, mm, mm, "BSTR:'abc'", mm, mm, mm}},
        {"BSTR date", Variant::Utf8("12/25/2024"), {mm, mm, mm, mm, mm, "DATE:45651", "BSTR:'12/25/2024'", mm, mm, mm}},
        {"BOOL", Variant::Bool(true), {"I2:-1", "I4:-1", "R4:-1", "R8:-1", "CY:-10000", "DATE:-1", "BSTR:'-1'", "BOOL:-1", mm, mm}},
        {"DISPATCH", Variant::Dispatch(Seven::Create()), {"I2:7", "I4:7", "R4:7", "R8:7", "CY:70000", "DATE:7", "BSTR:'7'", "BOOL:-1", mm, "DISPATCH:obj"}},
        {"UNKNOWN", Variant::Unknown(Plain::Create()), {mm, mm, mm, mm, mm, mm, mm, mm, mm, "E:430"}},
        {"BYREF I2", Variant::RefI2(&refValue), {"I2:-5", "I4:-5", "R4:-5", "R8:-5", "CY:-50000", "DATE:-5", "BSTR:'-5'", "BOOL:-1", mm, mm}},
        {"ARRAY", Variant::Array(array), {mm, mm, mm, mm, mm, mm, mm, mm, mm, mm}},
        {"ERROR", Variant::Missing(), {mm, mm, mm, mm, mm, mm, mm, mm, mm, mm}},
    };
}

TEST(ChangeType, EveryKindToEveryKind) {
    for (const auto& row : Matrix()) {
        for (std::size_t t = 0; t < std::size(kTargets); ++t) {
            Variant out = Variant::I4(12345);
            const HResult hr = ChangeType(out, row.source, kTargets[t]);
            EXPECT_EQ(Describe(hr, out), row.expected[t]) << row.name << " -> kind " << kTargets[t];
            if (Failed(hr)) {
                EXPECT_EQ(out, Variant::I4(12345)) << "a failure must leave the output alone";
            }
        }
    }
}

struct TextRow {
    const char* text;
    VarType to;
    const char* expected;
};

void ExpectTextConversions(std::span<const TextRow> rows) {
    for (const auto& row : rows) {
        Variant out;
        const HResult hr = ChangeType(out, Variant::Utf8(row.text), row.to);
        EXPECT_EQ(Describe(hr, out), row.expected) << '"' << row.text << "\" -> " << row.to;
    }
}

TEST(ChangeType, TextsToNumbers) {
    const TextRow rows[] = {
        {"&HFFFF", VT_I2, "I2:-1"},          // a 16-bit pattern into a 16-bit integer
        {"&HFFFF", VT_I4, "I4:65535"},
        {"&hffffffff", VT_I4, "I4:-1"},
        {"&H10000", VT_I2, "E:6"},
        {"&HFFFFFFFFFFFFFFFFF", VT_I4, "E:6"},
        {"&O17", VT_I4, "I4:15"},
        {"&O8", VT_I4, "E:13"},
        {"&H", VT_I4, "E:13"},
        {"&HC0C0FF", VT_R8, "R8:12632319"},
        {"1e3", VT_I4, "I4:1000"},
        {"1D2", VT_I4, "I4:100"},
        {"-0.5", VT_I4, "I4:0"},
        {"1.5", VT_I2, "I2:2"},
        {"2.5", VT_I2, "I2:2"},
        {"-2.5", VT_I2, "I2:-2"},
        {"32767.5", VT_I2, "E:6"},
        {"-32768.5", VT_I2, "I2:-32768"},
        {"2147483647", VT_I4, "I4:2147483647"},
        {"2147483648", VT_I4, "E:6"},
        {"+7", VT_I4, "I4:7"},
        {"\t42\t", VT_I4, "I4:42"},
        {"", VT_I4, "E:13"},
        {"   ", VT_R8, "E:13"},
        {"1.2.3", VT_R8, "E:13"},
        {",5", VT_I4, "E:13"},
        {"1e", VT_R8, "E:13"},
        {"0.00005", VT_CY, "CY:0"},          // exactly half a unit: to even
        {"0.00015", VT_CY, "CY:2"},
        {"0.000151", VT_CY, "CY:2"},
        {"922337203685477.5807", VT_CY, "CY:9223372036854775807"},
        {"922337203685477.5808", VT_CY, "E:6"},
        {"-922337203685477.5808", VT_CY, "CY:-9223372036854775808"},
        {"1e400", VT_R8, "E:6"},
        {"1e-400", VT_R8, "R8:0"},
        {"3.5e38", VT_R4, "E:6"},
        {"0.1", VT_R8, "R8:0.1"},
        {"True", VT_BOOL, "BOOL:-1"},
        {" false ", VT_BOOL, "BOOL:0"},
        {"0", VT_BOOL, "BOOL:0"},
        {"0.0001", VT_BOOL, "BOOL:-1"},
        {"yes", VT_BOOL, "E:13"},
        {"255", VT_UI1, "kind 17"},
        {"256", VT_UI1, "E:6"},
        {"-1", VT_UI4, "E:6"},
    };
    ExpectTextConversions(rows);
}

TEST(ChangeType, TextsToDates) {
    const TextRow rows[] = {
        {"12/25/2024", VT_DATE, "DATE:45651"},
        {"2024-12-25 18:00", VT_DATE, "DATE:45651.75"},
        {"1/2/03", VT_DATE, "DATE:37623"},       // two-digit years below 30 are 20xx
        {"1/2/30", VT_DATE, "DATE:10960"},       // and from 30 on 19xx
        {"6:00 AM", VT_DATE, "DATE:0.25"},
        {"12:00 AM", VT_DATE, "DATE:0"},
        {"12:00:00 PM", VT_DATE, "DATE:0.5"},
        {"13:00 PM", VT_DATE, "E:13"},
        {"2/30/2024", VT_DATE, "E:13"},
        {"12/29/1899 06:00", VT_DATE, "DATE:-1.25"},
        {"AM", VT_DATE, "E:13"},
        {"1/1/10000", VT_DATE, "E:13"},
        {"", VT_DATE, "E:13"},
    };
    ExpectTextConversions(rows);
}

TEST(ChangeType, ValuesToTexts) {
    struct Row {
        Variant value;
        std::uint16_t flags;
        const char* expected;
    };
    const Row rows[] = {
        {Variant::R8(0.1), 0, "0.1"},
        {Variant::R8(1e15), 0, "1E+15"},
        {Variant::R8(123456789012345.0), 0, "123456789012345"},
        {Variant::R8(0.00001), 0, "1E-05"},
        {Variant::R8(0.0001), 0, "0.0001"},
        {Variant::R8(1.0 / 3), 0, "0.333333333333333"},
        {Variant::R8(-2.5), 0, "-2.5"},
        {Variant::R4(1.0f / 3), 0, "0.3333333"},
        {Variant::R4(9.75f), 0, "9.75"},
        {Variant::Cy({-1}), 0, "-0.0001"},
        {Variant::Cy({1000000}), 0, "100"},
        {Variant::Cy({std::numeric_limits<std::int64_t>::min()}), 0, "-922337203685477.5808"},
        {Variant::FromDate({0}), 0, "12:00:00 AM"},
        {Variant::FromDate({-1.25}), 0, "12/29/1899 6:00:00 AM"},
        {Variant::FromDate({45651.999999}), 0, "12/26/2024"},   // rounds to the next midnight
        {Variant::Bool(true), kAlphaBool, "True"},
        {Variant::Bool(false), kAlphaBool, "False"},
        {Variant::Bool(false), 0, "0"},
        {Variant::Integer(VT_UI4, 4000000000), 0, "4000000000"},
    };
    for (const auto& row : rows) {
        Variant out;
        ASSERT_EQ(ChangeType(out, row.value, VT_BSTR, row.flags), S_OK) << row.expected;
        EXPECT_EQ(out.AsStr().ToUtf8(), row.expected);
    }
}

TEST(ChangeType, CurrencyRoundTripsThroughFloatsExactly) {
    // Amounts within a float's seven digits; 99999.99 would not survive the float, on the
    // platform either.
    const std::int64_t scaled[] = {1, 12345, 97500, 1234567, -5000, 999900, -9999999};
    for (std::int64_t s : scaled) {
        for (VarType via : {VT_R4, VT_R8}) {
            Variant mid, back;
            ASSERT_EQ(ChangeType(mid, Variant::Cy({s}), via), S_OK);
            ASSERT_EQ(ChangeType(back, mid, VT_CY), S_OK);
            EXPECT_EQ(back.AsCy().scaled, s) << "via kind " << via;
        }
    }
}

TEST(ChangeType, CurrencyToIntegerRoundsHalfToEven) {
    const std::pair<std::int64_t, std::int32_t> rows[] = {
        {25000, 2}, {35000, 4}, {-25000, -2}, {-35000, -4}, {25001, 3}, {24999, 2}, {-5000, 0}};
    for (const auto& [scaled, expected] : rows) {
        Variant out;
        ASSERT_EQ(ChangeType(out, Variant::Cy({scaled}), VT_I4), S_OK);
        EXPECT_EQ(out.AsI4(), expected) << scaled;
    }
}

TEST(ChangeType, DateOutsideTheRangeHasNoText) {
    for (double days : {1e300, -1e300, std::numeric_limits<double>::quiet_NaN(), 2958466.0}) {
        Variant out;
        EXPECT_EQ(ChangeType(out, Variant::FromDate({days}), VT_BSTR), E_INVALIDARG) << days;
    }
}

TEST(ChangeType, ByReferenceTargetIsRefused) {
    Variant out;
    EXPECT_EQ(ChangeType(out, Variant::I2(1), VT_BYREF | VT_I2), DISP_E_BADVARTYPE);
}

TEST(Variant, AssignThroughReferenceConvertsToTheReferencedKind) {
    std::int16_t key = 0;
    const Variant ref = Variant::RefI2(&key);
    EXPECT_EQ(ref.AssignThroughRef(Variant::Utf8("65")), S_OK);
    EXPECT_EQ(key, 65);
    EXPECT_EQ(ref.AssignThroughRef(Variant::I4(70000)), DISP_E_OVERFLOW);
    EXPECT_EQ(key, 65);
    EXPECT_EQ(Variant::I2(1).AssignThroughRef(Variant::I2(2)), DISP_E_TYPEMISMATCH);
}

TEST(SafeArray, BoundsAndElements) {
    SafeArray a({{1, 3}, {0, 3}});   // rows 1..3, columns 0..3, as the store list grid uses
    std::int32_t lo = 0, hi = 0;
    EXPECT_EQ(a.LowerBound(1, lo), S_OK);
    EXPECT_EQ(a.UpperBound(2, hi), S_OK);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 3);
    EXPECT_EQ(a.LowerBound(3, lo), DISP_E_BADINDEX);
    EXPECT_EQ(a.At({0, 0}), nullptr);
    EXPECT_EQ(a.At({1, 4}), nullptr);
    EXPECT_EQ(a.At({1}), nullptr);
    *a.At({3, 2}) = Variant::Utf8("N");
    *a.At({1, 2}) = Variant::Utf8("S");
    EXPECT_EQ(a.At({3, 2})->AsStr().ToUtf8(), "N");
    EXPECT_EQ(a.At({1, 2})->AsStr().ToUtf8(), "S");
    EXPECT_TRUE(a.At({2, 2})->IsEmpty());
    EXPECT_FALSE(a.ReDim({}));
    EXPECT_FALSE(a.ReDim({{0, 100000}, {0, 100000}}));
    EXPECT_EQ(a.At({3, 2})->AsStr().ToUtf8(), "N") << "a refused ReDim keeps the contents";
    EXPECT_TRUE(a.ReDim({{1, 0}}));
    EXPECT_EQ(a.At({1}), nullptr) << "an empty dimension has no elements";
}

TEST(Date, PartsRoundTrip) {
    struct Row {
        int y, m, d, h, mi, s;
        double days;
    };
    const Row rows[] = {
        {1899, 12, 30, 0, 0, 0, 0},       {1899, 12, 29, 6, 0, 0, -1.25},
        {1900, 1, 1, 0, 0, 0, 2},         {2000, 2, 29, 12, 0, 0, 36585.5},
        {100, 1, 1, 0, 0, 0, -657434},    {9999, 12, 31, 0, 0, 0, 2958465},
        {1800, 1, 1, 18, 0, 0, -36522.75},
    };
    for (const auto& r : rows) {
        Date d;
        ASSERT_TRUE(Date::FromParts(r.y, r.m, r.d, r.h, r.mi, r.s, d)) << r.y;
        EXPECT_DOUBLE_EQ(d.days, r.days) << r.y << "-" << r.m << "-" << r.d;
        const auto p = d.ToParts();
        EXPECT_EQ((std::vector<int>{p.year, p.month, p.day, p.hour, p.minute, p.second}),
                  (std::vector<int>{r.y, r.m, r.d, r.h, r.mi, r.s}));
    }
    Date d;
    EXPECT_FALSE(Date::FromParts(99, 12, 31, 0, 0, 0, d));
    EXPECT_FALSE(Date::FromParts(2023, 2, 29, 0, 0, 0, d));
    EXPECT_FALSE(Date::FromParts(2024, 1, 1, 24, 0, 0, d));
}

TEST(Guid, ParseAndPrintTheRegistryForm) {
    const auto g = Guid::Parse("{a5cc20c4-b5f5-11cd-98ec-0020af234c9d}");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->data1, 0xA5CC20C4u);
    EXPECT_EQ(g->data4[7], 0x9D);
    EXPECT_EQ(g->ToString(), "{A5CC20C4-B5F5-11CD-98EC-0020AF234C9D}");
    EXPECT_EQ(Guid::Parse("A5CC20C4-B5F5-11CD-98EC-0020AF234C9D"), g);
    for (const char* bad : {"", "{A5CC20C4-B5F5-11CD-98EC-0020AF234C9D", "{A5CC20C4-B5F5-11CD-98EC-0020AF234C9G}",
                            "{A5CC20C4B-5F5-11CD-98EC-0020AF234C9D}", "{A5CC20C4-B5F5-11CD-98EC-0020AF234C9D}x"})
        EXPECT_FALSE(Guid::Parse(bad)) << bad;
}

TEST(Bstr, Conversions) {
    const Bstr s = Bstr::FromUtf8("ação € 日");
    EXPECT_EQ(s.Length(), 8u);
    EXPECT_EQ(s.ToAnsi(), "a\xE7\xE3o \x80 ?");
    EXPECT_EQ(Bstr::FromAnsi("\xC1\x80").ToUtf8(), "Á€");
    EXPECT_EQ(s.ToUtf8(), "ação € 日");
    EXPECT_EQ(Bstr::FromUtf8("\xF0\x9F\x98\x80").Length(), 2u) << "outside the BMP: a surrogate pair";
    EXPECT_EQ(Bstr::FromUtf8("\xF0\x9F\x98\x80").ToUtf8(), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Bstr::FromUtf8("a\xFF" "b").ToUtf8(), "a\xEF\xBF\xBD" "b") << "invalid UTF-8 becomes U+FFFD";
    EXPECT_EQ(Bstr::FromUtf8(std::string("a\0b", 3)).Length(), 3u) << "NUL is a character";
}

}  // namespace
}  // namespace com
