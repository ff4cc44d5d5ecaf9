// Property exchange: a control's properties through a bag and its stream and back, defaults and
// absent values, conversion of stored scalars, and damaged or short streams.
#include <gtest/gtest.h>

#include "platform/com/propexchange.h"

namespace com {
namespace {

constexpr std::uint32_t kVersion = 0x00040001;

// The persistent part of a control, exchanged the way a control's DoPropExchange does it.
struct Props {
    bool autoScroll = true;
    std::int16_t mousePointer = 3;
    std::int32_t maxLen = 0;
    double fontSize = 8.0;
    Currency value;
    std::string mask;
    OleColor backColor{0x80000005};
    Blob oldMask;
    FontDesc font{"MS Sans Serif", Currency{82500}, false, false, false, false, 400, 0};
    PictureData mouseIcon;
    std::string noDefault = "keep";
    std::uint32_t loadedVersion = 0;

    void Exchange(PropExchange& px) {
        loadedVersion = px.ExchangeVersion(kVersion);
        PX_Bool(px, "AutoScroll", autoScroll, true);
        PX_Short(px, "MousePointer", mousePointer, 3);
        PX_Long(px, "MaxLen", maxLen, 0);
        PX_Double(px, "FontSize", fontSize, 8.0);
        PX_Currency(px, "Data", value, Currency{});
        PX_String(px, "Mask", mask, "");
        PX_Color(px, "BackColor", backColor, OleColor{0x80000005});
        PX_Blob(px, "OldMask", oldMask, Blob{});
        PX_Font(px, "Font", font);
        PX_Picture(px, "MouseIcon", mouseIcon, PictureData{});
        PX_String(px, "NoDefault", noDefault);
    }
    bool operator==(const Props&) const = default;
};

Props Sample() {
    Props p;
    p.autoScroll = false;
    p.mousePointer = 13;
    p.maxLen = -2147483647 - 1;
    p.fontSize = 9.75;
    p.value = Currency{-123456789};
    p.mask = "(###) ###-\xC7\xC3";   // the library's own bytes, accented capitals included
    p.backColor = OleColor{0xC0C0FF};
    p.oldMask = Blob{{0, 0, 0, 0, 3, 0, '#', '#', '#'}};
    p.font = FontDesc{"Arial", Currency{120000}, true, true, false, true, 700, 1};
    p.mouseIcon = PictureData{PictureType::Icon, {1, 2, 3, 4}};
    p.noDefault = "stored";
    return p;
}

std::vector<std::uint8_t> SampleStream() {
    Props p = Sample();
    PropertyBag bag;
    auto px = PropExchange::ForSave(bag);
    p.Exchange(px);
    return SaveToStream(bag);
}

TEST(PropertyStream, RoundTripKeepsEveryKind) {
    const auto bytes = SampleStream();
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "ZMPX");
    EXPECT_EQ((std::vector<std::uint8_t>(bytes.begin() + 4, bytes.begin() + 8)),
              (std::vector<std::uint8_t>{0x01, 0x00, 0x04, 0x00}))
        << "the version is stored little-endian";

    PropertyBag bag;
    ASSERT_EQ(LoadFromStream(bytes, &bag), S_OK);
    Props loaded;
    auto px = PropExchange::ForLoad(bag);
    EXPECT_TRUE(px.IsLoading());
    EXPECT_FALSE(px.IsOldFormat());
    loaded.Exchange(px);
    Props expected = Sample();
    expected.loadedVersion = kVersion;
    EXPECT_EQ(loaded, expected);
}

TEST(PropertyStream, EveryTruncationFailsCleanly) {
    const auto bytes = SampleStream();
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        PropertyBag bag;
        bag.Write("Untouched", true);
        const HResult hr = LoadFromStream(std::span(bytes.data(), n), &bag);
        EXPECT_EQ(hr, STG_E_READFAULT) << "length " << n;
        EXPECT_EQ(bag.Items().size(), 1u) << "length " << n;
    }
}

TEST(PropertyStream, DamagedStreamsFailWithTheirStatus) {
    // Offsets into a stream of one property: magic 0-3, version 4-7, flags 8, count 9-12,
    // kind 13, name length 14, name 15-18 ("Mask"), string length 19-22, bytes 23-25.
    PropertyBag one;
    one.version = kVersion;
    one.Write("Mask", std::string("###"));
    const auto good = SaveToStream(one);
    ASSERT_EQ(good.size(), 26u);

    struct Row {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        HResult expected;
    };
    const Row rows[] = {
        {"magic", [](auto& b) { b[0] = 'X'; }, STG_E_INVALIDHEADER},
        {"flags", [](auto& b) { b[8] = 2; }, STG_E_DOCFILECORRUPT},
        {"count past the records", [](auto& b) { b[9] = 2; }, STG_E_READFAULT},
        {"count of four billion", [](auto& b) { b[9] = b[10] = b[11] = b[12] = 0xFF; }, STG_E_READFAULT},
        {"unknown kind", [](auto& b) { b[13] = 10; }, STG_E_DOCFILECORRUPT},
        {"empty name", [](auto& b) { b[14] = 0; }, STG_E_DOCFILECORRUPT},
        {"name past the end", [](auto& b) { b[14] = 200; }, STG_E_READFAULT},
        {"string length past the end", [](auto& b) { b[19] = 4; }, STG_E_READFAULT},
        {"string length of four billion", [](auto& b) { b[19] = b[20] = b[21] = b[22] = 0xFF; }, STG_E_READFAULT},
        {"trailing byte", [](auto& b) { b.push_back(0); }, STG_E_DOCFILECORRUPT},
        {"bool that is neither 0 nor 1", [](auto& b) { b[13] = 0; b[19] = 2; b.resize(20); }, STG_E_DOCFILECORRUPT},
        {"picture type 5", [](auto& b) { b[13] = 9; b[19] = 5; b[20] = b[21] = b[22] = b[23] = 0; b.resize(24); }, STG_E_DOCFILECORRUPT},
        {"duplicate name", [](auto& b) {
             b[9] = 2;
             std::vector<std::uint8_t> again(b.begin() + 13, b.end());
             again[2] = 'm';   // "mask": names are unique without regard to case
             b.insert(b.end(), again.begin(), again.end());
         }, STG_E_DOCFILECORRUPT},
    };
    for (const auto& row : rows) {
        auto bytes = good;
        row.damage(bytes);
        PropertyBag bag;
        EXPECT_EQ(LoadFromStream(bytes, &bag), row.expected) << row.name;
        EXPECT_TRUE(bag.Items().empty()) << row.name;
    }
}

TEST(PropertyStream, AnySingleDamagedByteLoadsOrFailsCleanly) {
    const auto good = SampleStream();
    int failures = 0;
    for (std::size_t i = 0; i < good.size(); ++i)
        for (std::uint8_t v : {std::uint8_t{0x00}, std::uint8_t{0x7F}, std::uint8_t{0xFF}}) {
            auto bytes = good;
            bytes[i] = v;
            PropertyBag bag;
            const HResult hr = LoadFromStream(bytes, &bag);
            if (Failed(hr)) {
                ++failures;
                EXPECT_TRUE(bag.Items().empty());
            } else {
                Props p;   // a stream that loads must exchange without trouble
                auto px = PropExchange::ForLoad(bag);
                p.Exchange(px);
            }
        }
    EXPECT_GT(failures, 0);
}

TEST(PropertyExchange, AbsentValuesTakeTheDefaultOrLeaveTheMember) {
    PropertyBag empty;
    Props p = Sample();
    auto px = PropExchange::ForLoad(empty);
    p.Exchange(px);
    Props defaults;
    defaults.noDefault = "stored";   // no default: the member keeps its value
    defaults.font = Sample().font;    // the font has no default either
    defaults.loadedVersion = kVersion;
    EXPECT_EQ(p, defaults);

    std::string member = "before";
    EXPECT_FALSE(PX_String(px, "Absent", member));
    EXPECT_EQ(member, "before");
    EXPECT_TRUE(PX_String(px, "Absent", member, "default"));
    EXPECT_EQ(member, "default");
}

TEST(PropertyExchange, StoredScalarsConvertToTheExchangedKind) {
    PropertyBag host;   // as a host window keeps properties from its layout, as texts
    ASSERT_EQ(host.WriteVariant("MousePointer", Variant::Utf8("11")), S_OK);
    ASSERT_EQ(host.WriteVariant("BackColor", Variant::Utf8("&HFFFFFF")), S_OK);
    ASSERT_EQ(host.WriteVariant("AutoScroll", Variant::Bool(false)), S_OK);
    ASSERT_EQ(host.WriteVariant("MaxLen", Variant::Utf8("many")), S_OK);
    ASSERT_EQ(host.WriteVariant("Data", Variant::R8(2.5)), S_OK);
    ASSERT_EQ(host.WriteVariant("Mask", Variant::I4(7)), S_OK);
    ASSERT_EQ(host.WriteVariant("Font", Variant::Utf8("Arial")), S_OK);
    EXPECT_EQ(host.WriteVariant("Other", Variant::Null()), DISP_E_TYPEMISMATCH);

    Props p;
    p.maxLen = 99;
    auto px = PropExchange::ForLoad(host);
    p.Exchange(px);
    EXPECT_EQ(p.mousePointer, 11);
    EXPECT_EQ(p.backColor, OleColor{0xFFFFFF});
    EXPECT_FALSE(p.autoScroll);
    EXPECT_EQ(p.maxLen, 0) << "a text that is no number counts as absent";
    EXPECT_EQ(p.value, Currency{25000});
    EXPECT_EQ(p.mask, "7");
    EXPECT_EQ(p.font, Props().font) << "a text is no font";

    Variant v;
    EXPECT_EQ(host.ReadVariant("MousePointer", &v), S_OK);
    EXPECT_EQ(v, Variant::Utf8("11"));
    EXPECT_EQ(host.ReadVariant("Nothing", &v), E_INVALIDARG);
    PropertyBag saved;
    auto out = PropExchange::ForSave(saved);
    p.Exchange(out);
    EXPECT_EQ(saved.ReadVariant("Font", &v), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(saved.ReadVariant("BackColor", &v), S_OK);
    EXPECT_EQ(v, Variant::I4(0xFFFFFF));
}

TEST(PropertyBag, NamesTheStreamCannotHoldAreRefused) {
    PropertyBag bag;
    EXPECT_FALSE(bag.Write("", true));
    EXPECT_FALSE(bag.Write(std::string(256, 'n'), true));
    EXPECT_TRUE(bag.Write(std::string(255, 'n'), true));
    EXPECT_EQ(bag.WriteVariant("", Variant::I2(1)), E_INVALIDARG);
    EXPECT_TRUE(bag.Write("Mask", std::string("#")));
    EXPECT_TRUE(bag.Write("MASK", std::int16_t{4})) << "a name differing only in case replaces";
    ASSERT_EQ(bag.Items().size(), 2u);
    EXPECT_EQ(*bag.Read("mask"), PropValue(std::int16_t{4}));
    PropertyBag loaded;
    ASSERT_EQ(LoadFromStream(SaveToStream(bag), &loaded), S_OK);
    EXPECT_EQ(loaded, bag);
}

TEST(PropertyExchange, VersionAndOldFormatFlag) {
    struct Row {
        std::uint32_t stored;
        bool oldFormat;
        std::uint32_t expectedVersion;
    };
    const Row rows[] = {{0x00030000, true, 0x00030000}, {kVersion, false, kVersion}, {0, false, kVersion}};
    for (const auto& row : rows) {
        PropertyBag bag;
        bag.version = row.stored;
        bag.oldFormat = row.oldFormat;
        PropertyBag loaded;
        ASSERT_EQ(LoadFromStream(SaveToStream(bag), &loaded), S_OK);
        auto px = PropExchange::ForLoad(loaded);
        EXPECT_EQ(px.IsOldFormat(), row.oldFormat);
        EXPECT_EQ(px.ExchangeVersion(kVersion), row.expectedVersion);
    }
    PropertyBag saved;
    auto px = PropExchange::ForSave(saved);
    EXPECT_FALSE(px.IsLoading());
    EXPECT_FALSE(px.IsOldFormat());
    EXPECT_EQ(px.ExchangeVersion(kVersion), kVersion);
    EXPECT_EQ(saved.version, kVersion);
}

}  // namespace
}  // namespace com
