// The label's members: its DISPIDs and events, the refused values with their errors, defaults of a
// new, reset and loaded label, Change on every caption set, the mnemonic, persistence, and the
// transparent background over its container.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <fstream>

#include "platform/ctl/font_picture.h"
#include "zmtext/controls/tests/label_test_support.h"
#include "zmtext/module/zmtextlib.h"

namespace zmtext {
namespace {

using com::Variant;
using testing::GetMember;
using testing::PutMember;

class LabelTest : public ::testing::Test, protected testing::LabelFixture {
protected:
    CZMLabelCtrl* Shown(const com::PropertyBag* saved = nullptr) {
        CZMLabelCtrl* label = Host("LblMensagem", {10, 10, 130, 40}, saved);
        top.show();
        QApplication::processEvents();
        events.clear();
        changes.clear();
        return label;
    }
    void WriteDefaults(const std::string& section) const {
        std::ofstream(root.DriveC() / "WINDOWS" / "VX4WIN.INI") << "[ZMLabel Settings]\n" << section;
    }
};

TEST_F(LabelTest, MembersAndEventsAtTheirDispIds) {
    const struct {
        const char* name;
        com::DispId id;
    } rows[] = {
        {"ChiselColor", 1},      {"FontName", 2},     {"FontBold", 3},        {"FontItalic", 4},
        {"FontStrikeThru", 5},   {"FontUnderline", 6}, {"FontSize", 7},       {"Alignment", 8},
        {"BackgroundStyle", 9},  {"BorderEffect", 10}, {"BorderStyle", -504}, {"ChiselText", 11},
        {"LabelStyle", 12},      {"MousePointer", 13}, {"MouseIcon", 14},     {"WordWrap", 15},
        {"HdnHeight", 16},       {"HdnWidth", 17},     {"Caption", -518},     {"_Caption", 0},
        {"BackColor", -501},     {"ForeColor", -513},  {"Enabled", -514},     {"hWnd", -515},
        {"Font", -512},          {"AboutBox", -552},
    };
    com::ComPtr<CZMLabelCtrl> label = CZMLabelCtrl::Create();
    std::vector<com::DispId> listed;
    for (const auto& m : ZMDescribeMembers(CZMLabelCtrl::DispatchMembers())) listed.push_back(m.id);
    std::vector<com::DispId> expected;
    for (const auto& row : rows) {
        com::DispId id = 12345;
        EXPECT_EQ(Dispatch(label.Get())->GetIDsOfNames(row.name, &id), com::S_OK) << row.name;
        EXPECT_EQ(id, row.id) << row.name;
        expected.push_back(row.id);
    }
    EXPECT_EQ(listed, expected);   // nothing more, in dispatch-map order
    com::DispId id = 0;
    EXPECT_EQ(Dispatch(label.Get())->GetIDsOfNames("Align", &id), com::DISP_E_UNKNOWNNAME);   // kept, not a member

    std::vector<std::pair<std::string, com::DispId>> eventIds;
    for (const auto& e : CZMLabelCtrl::EventMembers()) eventIds.emplace_back(e.name, e.id);
    EXPECT_EQ(eventIds, (std::vector<std::pair<std::string, com::DispId>>{
                            {"Click", -600}, {"DblClick", -601}, {"MouseDown", -605}, {"MouseMove", -606},
                            {"MouseUp", -607}, {"Change", 1}}));
    // The type library describes the same interfaces.
    const com::TypeLibraryData lib = BuildZMTextLib(ZMFactories());
    ASSERT_NE(lib.Find("_DZMLabel"), nullptr);
    EXPECT_EQ(lib.Find("_DZMLabel")->funcs.size(), std::size(rows));
    ASSERT_NE(lib.Find("_DZMLabelEvents"), nullptr);
    EXPECT_EQ(lib.Find("_DZMLabelEvents")->funcs.size(), 6u);
    ASSERT_NE(lib.Find("sivbLB"), nullptr);
}

TEST_F(LabelTest, RefusedValuesRaiseTheirErrorAndChangeNothing) {
    const auto bitmap = [] {
        return Variant::Dispatch(
            com::ComPtr<com::IDispatch>(ctl::PictureObject::Create(com::PictureData{com::PictureType::Bitmap, {1}}).Get()));
    };
    const struct {
        const char* name;
        com::DispId id;
        Variant value;
        std::uint32_t scode;
        const char* text;   // nullptr: the runtime's own text
    } rows[] = {
        {"Alignment 3", 8, Variant::I2(3), 0x800A017C, "Alignment must be 0-Left, 1-Center, or 2-Right"},
        {"Alignment -1", 8, Variant::I2(-1), 0x800A017C, "Alignment must be 0-Left, 1-Center, or 2-Right"},
        {"BackgroundStyle 3", 9, Variant::I2(3), 0x800A017C,
         "BackgroundStyle must be 0-Transparent, 1-Normal, or 2-Texture"},
        {"BorderEffect 3", 10, Variant::I2(3), 0x800A017C, "BorderEffect must be 0-None, 1-Pop, or 2-Drop"},
        {"BorderEffect -2", 10, Variant::I2(-2), 0x800A017C, "BorderEffect must be 0-None, 1-Pop, or 2-Drop"},
        {"BorderStyle 2", -504, Variant::I2(2), 0x800A017C, "BorderStyle must be either 0-None, or 1-Fixed Single"},
        {"ChiselText 3", 11, Variant::I2(3), 0x800A017C, "ChiselText must be 0-None, 1-Inset, or 2-Raised"},
        {"LabelStyle 3", 12, Variant::I2(3), 0x800A017C, "LabelStyle must be 0-Label, 1-Horz Bump, or 2-Vert Bump"},
        {"MousePointer 14", 13, Variant::I2(14), 0x800A01E1, "The MousePointer property must be a number from 0 to 13"},
        {"MousePointer -1", 13, Variant::I2(-1), 0x800A01E1, "The MousePointer property must be a number from 0 to 13"},
        {"MouseIcon bitmap", 14, bitmap(), 0x800A01E1,
         "The MouseIcon property must be an Icon (not a bitmap or metafile)"},
        {"WordWrap 2", 15, Variant::I2(2), 0x800A017C, "WordWrap must be either True or False"},
        {"HdnHeight", 16, Variant::I4(10), 0x800A017F, nullptr},
        {"HdnWidth", 17, Variant::I4(10), 0x800A017F, nullptr},
    };
    CZMLabelCtrl* label = Shown();
    com::PropertyBag before;
    ASSERT_EQ(label->SaveProperties(&before, true), com::S_OK);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const testing::CallResult r = PutMember(Dispatch(label), row.id, row.value);
        EXPECT_EQ(r.hr, com::DISP_E_EXCEPTION);
        EXPECT_EQ(static_cast<std::uint32_t>(r.excep.scode), row.scode);
        if (row.text) {
            EXPECT_EQ(r.excep.description, row.text);
            EXPECT_EQ(r.excep.helpContext, 0u);
            EXPECT_TRUE(r.excep.helpFile.ends_with("\\ZMTEXT.HLP")) << r.excep.helpFile;
        }
    }
    // WordWrap takes only 0 and 1, from code as from dispatch.
    try {
        label->SetWordWrap(2);
        ADD_FAILURE() << "WordWrap 2 was taken";
    } catch (const com::DispatchError& e) {
        EXPECT_EQ(e.Info().description, "WordWrap must be either True or False");
        EXPECT_EQ(static_cast<std::uint32_t>(e.Info().scode), 0x800A017Cu);
    }
    com::PropertyBag after;
    ASSERT_EQ(label->SaveProperties(&after, false), com::S_OK);
    EXPECT_EQ(after, before);
    EXPECT_EQ(label->IsDirty(), com::S_FALSE);
    EXPECT_TRUE(changes.empty());
}

TEST_F(LabelTest, EachSetterAnnouncesItsOwnDispIdAndMarksTheControlModified) {
    const auto icon = Variant::Dispatch(
        com::ComPtr<com::IDispatch>(ctl::PictureObject::Create(com::PictureData{com::PictureType::Icon, {}}).Get()));
    const struct {
        com::DispId id;
        Variant value;
        std::vector<com::DispId> announced;
    } rows[] = {
        {1, Variant::I4(0xFF), {1}},          {8, Variant::I2(2), {8}},    {9, Variant::I2(2), {9}},
        {10, Variant::I2(1), {10}},           {-504, Variant::I2(1), {-504}}, {11, Variant::I2(1), {11}},
        {12, Variant::I2(2), {12}},           {13, Variant::I2(13), {13}}, {14, icon, {14}},
        {15, Variant::Bool(true), {15}},      {-501, Variant::I4(0xFF), {-501}},
        {-513, Variant::I4(0xFF00), {-513}},  {-514, Variant::Bool(false), {-514}},
        // The font members report the font's change and their own.
        {2, Variant::Utf8("Arial"), {-512, 2}}, {3, Variant::Bool(true), {-512, 3}},
        {4, Variant::Bool(true), {-512, 4}},    {5, Variant::Bool(true), {-512, 5}},
        {6, Variant::Bool(true), {-512, 6}},    {7, Variant::R4(12.0f), {-512, 7}},
    };
    CZMLabelCtrl* label = Shown();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        label->SetModifiedFlag(false);
        changes.clear();
        ASSERT_EQ(PutMember(Dispatch(label), row.id, row.value).hr, com::S_OK);
        EXPECT_EQ(changes, row.announced);
        EXPECT_EQ(label->IsDirty(), com::S_OK);
        Variant got;
        ASSERT_EQ(com::ChangeType(got, GetMember(Dispatch(label), row.id), row.value.BaseType()), com::S_OK);
        if (row.value.BaseType() != com::VT_DISPATCH) {
            EXPECT_EQ(got, row.value);
        }
    }
    EXPECT_TRUE(events.empty());   // only Caption fires Change
}

TEST_F(LabelTest, EveryCaptionSetFiresChangeEvenToTheSameText) {
    CZMLabelCtrl* label = Shown();
    ASSERT_EQ(PutMember(Dispatch(label), -518, Variant::Utf8("Aguarde")).hr, com::S_OK);
    ASSERT_EQ(PutMember(Dispatch(label), -518, Variant::Utf8("Aguarde")).hr, com::S_OK);
    ASSERT_EQ(PutMember(Dispatch(label), 0, Variant::Utf8("Concluído")).hr, com::S_OK);
    EXPECT_EQ(events, (std::vector<com::DispId>{1, 1, 1}));
    EXPECT_EQ(changes, (std::vector<com::DispId>{-518, -518, -518}));
    EXPECT_EQ(GetMember(Dispatch(label), -518).AsStr().ToUtf8(), "Concluído");
    EXPECT_EQ(GetMember(Dispatch(label), 0).AsStr().ToUtf8(), "Concluído");
    EXPECT_EQ(label->GetCaption(), "Conclu\xED" "do");   // kept in cp1252
    // A null string counts as empty.
    ASSERT_EQ(PutMember(Dispatch(label), 0, Variant::Str(com::Bstr())).hr, com::S_OK);
    EXPECT_EQ(label->GetCaption(), "");
    EXPECT_EQ(events.size(), 4u);
}

class InfoSite final : public com::Object<InfoSite, ctl::IClientSite> {
public:
    int infoChanges = 0;
    com::HResult GetAmbientProperty(com::DispId, Variant*) override { return com::DISP_E_MEMBERNOTFOUND; }
    com::HResult GetExtendedControl(com::IDispatch**) override { return com::E_NOTIMPL; }
    com::HResult GetContainer(ctl::IControlContainer**) override { return com::E_NOTIMPL; }
    com::HResult OnControlInfoChanged() override {
        ++infoChanges;
        return com::S_OK;
    }
    com::HResult OnFocus(bool) override { return com::S_OK; }
};

TEST_F(LabelTest, TheMnemonicIsTheLetterAfterTheLastSingleAmpersand) {
    const struct {
        const char* caption;
        int key;
    } rows[] = {
        {"&pagar", 'P'}, {"Sal&do", 'D'}, {"&a e &b", 'B'}, {"A&&B", 0},      {"&&", 0},
        {"", 0},         {"Total", 0},    {"fim&", 0},      {"&&&x", 'X'},    {"&ção", 0xC7},
    };
    com::ComPtr<CZMLabelCtrl> label = CZMLabelCtrl::Create();
    com::ComPtr<InfoSite> site = InfoSite::Create();
    ASSERT_EQ(label->SetClientSite(site.Get()), com::S_OK);
    int sets = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.caption);
        ASSERT_EQ(PutMember(Dispatch(label.Get()), -518, Variant::Utf8(row.caption)).hr, com::S_OK);
        ++sets;
        EXPECT_EQ(label->GetControlInfo().key, row.key);
        EXPECT_TRUE(label->GetControlInfo().withAlt);
        EXPECT_EQ(site->infoChanges, sets);   // the container hears of every caption set
    }
    label->SetClientSite(nullptr);
}

TEST_F(LabelTest, DefaultsOfANewAResetAndALoadedLabel) {
    const struct {
        com::DispId id;
        std::int32_t built, reset, loaded;
    } rows[] = {
        {8, 0, 0, 0},      {9, 1, 1, 1},   {10, 0, 0, 0},     {-504, 0, 0, 1}, {11, 0, 0, 0},
        {12, 0, 0, 0},     {13, 0, 0, 0},  {15, 0, 0, 0},     {1, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
        {-501, static_cast<std::int32_t>(0x80000005u), static_cast<std::int32_t>(0x80000005u),
         static_cast<std::int32_t>(0x8000000Fu)},   // a load without colours takes the ambient
        {-513, static_cast<std::int32_t>(0x80000008u), static_cast<std::int32_t>(0x80000008u),
         static_cast<std::int32_t>(0x80000012u)},
    };
    com::ComPtr<CZMLabelCtrl> built = CZMLabelCtrl::Create();
    CZMLabelCtrl* reset = Host("LabelStatus", {0, 0, 100, 20});
    const com::PropertyBag empty;
    CZMLabelCtrl* loaded = Host("Loaded", {0, 30, 100, 50}, &empty);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.id);
        Variant v;
        ASSERT_EQ(com::ChangeType(v, GetMember(Dispatch(built.Get()), row.id), com::VT_I4), com::S_OK);
        EXPECT_EQ(v.AsI4(), row.built);
        ASSERT_EQ(com::ChangeType(v, GetMember(Dispatch(reset), row.id), com::VT_I4), com::S_OK);
        EXPECT_EQ(v.AsI4(), row.reset);
        ASSERT_EQ(com::ChangeType(v, GetMember(Dispatch(loaded), row.id), com::VT_I4), com::S_OK);
        EXPECT_EQ(v.AsI4(), row.loaded);
    }
    // A reset label is captioned with its name and takes the library's default font.
    EXPECT_EQ(reset->GetCaption(), "LabelStatus");
    EXPECT_EQ(loaded->GetCaption(), "");
    EXPECT_EQ(reset->InternalGetFont().Name(), "MS Sans Serif");
    EXPECT_EQ(reset->InternalGetFont().Size().scaled, 80000);
    EXPECT_EQ(reset->IsDirty(), com::S_FALSE);
    EXPECT_EQ(built->GetControlSize(), QSize(100, 30));
}

TEST_F(LabelTest, ResetTakesTheDefaultsFileAndKeepsItsValuesInRange) {
    WriteDefaults("BackColor=255\nForeColor=65280\nChiselColor=0\nAlignment=2\nBackgroundStyle=2\n"
                  "BorderEffect=1\nBorderStyle=1\nChiselText=2\nLabelStyle=7\nMousePointer=-3\nWordWrap=1\n"
                  "Align=3\nFontName=Arial\nFontSize=12\nFontBold=1\nFontItalic=1\nWidth=150\nHeight=25\n");
    CZMLabelCtrl* label = Host("LblMensagem", {0, 0, 0, 0});
    EXPECT_EQ(label->GetBackColor().value, 255u);
    EXPECT_EQ(label->GetForeColor().value, 65280u);
    EXPECT_EQ(label->GetChiselColor().value, 0u);
    EXPECT_EQ(label->GetAlignment(), 2);
    EXPECT_EQ(label->GetBackgroundStyle(), 2);
    EXPECT_EQ(label->GetBorderEffect(), 1);
    EXPECT_EQ(label->GetLabelBorderStyle(), 1);
    EXPECT_EQ(label->GetChiselText(), 2);
    EXPECT_EQ(label->GetLabelStyle(), 0);     // 7 is no label style: the built-in value
    EXPECT_EQ(label->GetMousePointer(), 0);   // likewise -3
    EXPECT_TRUE(label->GetWordWrap());
    EXPECT_EQ(label->GetAlign(), 3);
    EXPECT_EQ(label->InternalGetFont().Name(), "Arial");
    EXPECT_EQ(label->InternalGetFont().Size().scaled, 120000);
    EXPECT_TRUE(label->InternalGetFont().Desc().bold);
    EXPECT_TRUE(label->InternalGetFont().Desc().italic);
    EXPECT_EQ(label->GetControlSize(), QSize(150, 25));   // the initial size from the file
    EXPECT_EQ(label->IsDirty(), com::S_FALSE);

    WriteDefaults("Width=0\nHeight=25\n");   // both or neither
    EXPECT_EQ(CZMLabelCtrl::Create()->GetControlSize(), QSize(100, 30));
}

TEST_F(LabelTest, PropertiesSurviveABagAndTheOlderFormatKeepsOnlyBorderStyle) {
    CZMLabelCtrl* label = Shown();
    const struct {
        com::DispId id;
        Variant value;
    } sets[] = {
        {-518, Variant::Utf8("Loja & Cia")}, {1, Variant::I4(0x123456)}, {8, Variant::I2(1)},
        {9, Variant::I2(0)},                 {10, Variant::I2(2)},       {-504, Variant::I2(0)},
        {11, Variant::I2(1)},                {12, Variant::I2(2)},       {13, Variant::I2(11)},
        {15, Variant::Bool(true)},           {-501, Variant::I4(0xC0C0FF)}, {-513, Variant::I4(0x800000)},
        {-514, Variant::Bool(false)},        {2, Variant::Utf8("Arial")},  {7, Variant::R4(9.75f)},
    };
    for (const auto& s : sets) ASSERT_EQ(PutMember(Dispatch(label), s.id, s.value).hr, com::S_OK) << s.id;
    com::PropertyBag bag;
    ASSERT_EQ(label->SaveProperties(&bag, true), com::S_OK);
    EXPECT_EQ(bag.version, 0x00040001u);
    com::PropertyBag viaStream;
    ASSERT_EQ(com::LoadFromStream(com::SaveToStream(bag), &viaStream), com::S_OK);

    CZMLabelCtrl* copy = Host("Copy", {0, 50, 120, 80}, &viaStream);
    ASSERT_NE(copy, nullptr);
    for (const auto& s : sets) {
        SCOPED_TRACE(s.id);
        EXPECT_EQ(GetMember(Dispatch(copy), s.id), GetMember(Dispatch(label), s.id));
    }
    com::PropertyBag again;
    ASSERT_EQ(copy->SaveProperties(&again, false), com::S_OK);
    EXPECT_EQ(again, bag);
    EXPECT_EQ(copy->IsDirty(), com::S_FALSE);

    // The older format: only BorderStyle (0 when absent) beside the stock properties.
    const struct {
        std::optional<std::int16_t> stored;
        std::int16_t expected;
    } old[] = {{std::nullopt, 0}, {1, 1}, {0, 0}, {5, 0}};
    for (const auto& row : old) {
        com::PropertyBag converted;
        converted.oldFormat = true;
        if (row.stored) converted.Write("BorderStyle", *row.stored);
        converted.Write("LabelStyle", std::int16_t{2});
        converted.Write("Caption", std::string("Velho"));
        CZMLabelCtrl* legacy = Host("Legacy", {0, 0, 50, 20}, &converted);
        EXPECT_EQ(legacy->GetLabelBorderStyle(), row.expected);
        EXPECT_EQ(legacy->GetLabelStyle(), 0);
        EXPECT_EQ(legacy->GetCaption(), "Velho");
    }
}

TEST_F(LabelTest, ATransparentLabelShowsItsContainerAfterEveryChange) {
    QPalette palette = top.palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 128));
    top.setPalette(palette);
    top.setAutoFillBackground(true);
    CZMLabelCtrl* label = Shown();
    ASSERT_EQ(PutMember(Dispatch(label), -501, Variant::I4(0x0000FF)).hr, com::S_OK);   // red
    const auto pixel = [&] {
        QApplication::processEvents();
        return top.grab().toImage().pixelColor(120, 35);   // inside the label, away from its text
    };
    const struct {
        std::int16_t style;
        QColor seen;
    } rows[] = {{0, QColor(0, 128, 128)}, {1, QColor(255, 0, 0)}, {0, QColor(0, 128, 128)}};
    for (const auto& row : rows) {
        ASSERT_EQ(PutMember(Dispatch(label), 9, Variant::I2(row.style)).hr, com::S_OK);
        EXPECT_EQ(pixel(), row.seen) << row.style;
        ASSERT_EQ(PutMember(Dispatch(label), -518, Variant::Utf8("x")).hr, com::S_OK);
        EXPECT_EQ(pixel(), row.seen) << row.style << " after a caption";
    }
}

TEST_F(LabelTest, MousePointerSetsTheCursorAtOnce) {
    CZMLabelCtrl* label = Shown();
    QWidget* w = label->ControlWindowWidget();
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(PutMember(Dispatch(label), 13, Variant::I2(2)).hr, com::S_OK);
    EXPECT_TRUE(w->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(w->cursor().shape(), Qt::CrossCursor);
    ASSERT_EQ(PutMember(Dispatch(label), 13, Variant::I2(0)).hr, com::S_OK);
    EXPECT_FALSE(w->testAttribute(Qt::WA_SetCursor));
}

}  // namespace
}  // namespace zmtext
