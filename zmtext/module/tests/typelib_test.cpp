// The type library as a program or a property page reads it back from the library file: its
// identity, the constants module and every enumeration with its members, values and ids.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/com/typelib.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"

namespace zmtext {
namespace {

using com::TypeKind;

class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(com::LoadTypeLib(win::WindowsPath(ZMTEXT_OCX_PATH), &lib_), com::S_OK);
    }
    const com::TypeInfoData& Type(const std::string& name) {
        const auto* t = lib_->Data().Find(name);
        if (!t) throw std::runtime_error("no type " + name);
        return *t;
    }

    win::testing::TempMachineRoot root_;
    std::shared_ptr<const com::TypeLib> lib_;
};

// "name=value" pairs of an enumeration's members, in order.
std::string MemberList(const com::TypeInfoData& t) {
    std::ostringstream out;
    for (const auto& v : t.vars) out << (out.tellp() > 0 ? " " : "") << v.name << "=" << v.value.AsI4();
    return out.str();
}

TEST_F(TypeLibrary, Identity) {
    const auto& data = lib_->Data();
    EXPECT_EQ(data.name, "ZMTextLib");
    EXPECT_EQ(data.guid.ToString(), "{A5CC20C4-B5F5-11CD-98EC-0020AF234C9D}");
    EXPECT_EQ(data.major, 4);
    EXPECT_EQ(data.minor, 1);
    EXPECT_EQ(data.helpFile, "ZMTEXT.HLP");
    EXPECT_EQ(Type("ICursor").guid.ToString(), "{9F6AA700-D188-11CD-AD48-00AA003C9CB6}");
    EXPECT_EQ(Type("ICursorUpdateARow").guid.ToString(), "{D14216A0-D188-11CD-AD48-00AA003C9CB6}");
    EXPECT_EQ(Type("ICursor").kind, TypeKind::Interface);
}

TEST_F(TypeLibrary, EveryEnumerationListsItsMembers) {
    struct Row {
        const char* type;
        bool hidden;
        const char* members;
    } rows[] = {
        {"enumBE", true, "_ZM_BE_NONE=0 _ZM_BE_POP=1 _ZM_BE_DROP=2"},
        {"BorderEffectC", false, "ZM_NONE=0 ZM_POP=1 ZM_DROP=2"},
        {"enumBS", true, "_ZM_BS_NONE=0 _ZM_BS_SINGLE=1"},
        {"BorderStyleC", false, "ZM_NONE=0 ZM_SINGLE=1"},
        {"enumDP", true, "_ZM_DP_TEXT=0 _ZM_DP_RAW=1"},
        {"enumDPV", true, "_ZM_DP_TEXT=0 _ZM_DP_RAW=1 _ZM_DP_VALUE=2"},
        {"DataPropertyC", false, "ZM_TEXTPROP=0 ZM_RAWPROP=1 ZM_VALUEPROP=2"},
        {"enumJU", true, "_ZM_JU_LEFT=0 _ZM_JU_CENTER=1 _ZM_JU_RIGHT=2"},
        {"JustificationC", false, "ZM_JLEFT=0 ZM_JCENTER=1 ZM_JRIGHT=2"},
        {"enumFCTL", true, "_ZM_FCTL_WININI=0 _ZM_FCTL_USER=1"},
        {"FmtControlC", false, "ZM_WININI=0 ZM_USER=1"},
        {"enumFCTL_CUR", true,
         "_ZM_NF_NC_WININI=0 _ZM_NF_NC_SCNS=1 _ZM_NF_NC_SCN=2 _ZM_NF_NC_CSN=3 _ZM_NF_NC_CNS=4 "
         "_ZM_NF_NC_SNCS=5 _ZM_NF_NC_SNC=6 _ZM_NF_NC_NSC=7 _ZM_NF_NC_NCS=8 _ZM_NF_NC_SNPC=9 "
         "_ZM_NF_NC_SCPN=10 _ZM_NF_NC_NPCS=11"},
        {"CurCtrlC", false,
         "ZM_WININI=0 ZM_SCNS=1 ZM_SCN=2 ZM_CSN=3 ZM_CNS=4 ZM_SNCS=5 ZM_SNC=6 ZM_NSC=7 ZM_NCS=8 "
         "ZM_SNPC=9 ZM_SCPN=10 ZM_NPCS=11"},
        {"enumMP", true,
         "_MP_DEFAULT=0 _MP_ARROW=1 _MP_CROSS=2 _MP_IBEAM=3 _MP_ICON=4 _MP_SIZE=5 _MP_SIZENESW=6 "
         "_MP_SIZENS=7 _MP_SIZENWSE=8 _MP_SIZEEW=9 _MP_UPARROW=10 _MP_HOURGLASS=11 _MP_NODROP=12 "
         "_MP_CUSTOM=13"},
        {"MousePointerC", false,
         "ZM_DEFAULT=0 ZM_ARROW=1 ZM_CROSS=2 ZM_IBEAM=3 ZM_ICON=4 ZM_SIZE=5 ZM_SIZENESW=6 "
         "ZM_SIZENS=7 ZM_SIZENWSE=8 ZM_SIZEEW=9 ZM_UPARROW=10 ZM_HOURGLASS=11 ZM_NODROP=12 "
         "ZM_CUSTOM=13"},
        {"enumFCDate", true, "_SI_DO_WININI=0 _SI_DO_MDY=1 _SI_DO_DMY=2 _SI_DO_YMD=3"},
        {"ZMDateCtrlC", false, "ZM_WININI=0 ZM_MDY=1 ZM_DMY=2 ZM_YMD=3"},
        {"enumDT", true, "_DT_VISUALBASIC=0 _DT_HALVERN=1"},
        {"ZMDateTypeC", false, "ZM_VISUALBASIC=0 ZM_HALVERN=1"},
        {"enumFmtDay", true, "_DAB_FMT_DAY_NONE=0 _DAB_FMT_DAY_NO_LZ=1 _DAB_FMT_DAY_LZ=2"},
        {"FmtDayC", false, "ZM_NONE=0 ZM_NOLEADZERO=1 ZM_LEADZERO=2"},
        {"enumFmtMonth", true,
         "_DAB_FMT_MONTH_NONE=0 _DAB_FMT_MONTH_NO_LZ=1 _DAB_FMT_MONTH_LZ=2 _DAB_FMT_MONTH_SHORT=3 "
         "_DAB_FMT_MONTH_LONG=4"},
        {"FmtMonthC", false, "ZM_NONE=0 ZM_NOLEADZERO=1 ZM_LEADZERO=2 ZM_ABBREVIATE=3 ZM_FULLMONTH=4"},
        {"enumFmtYear", true, "_DAB_FMT_YEAR_NONE=0 _DAB_FMT_YEAR_TWO=1 _DAB_FMT_YEAR_FOUR=2"},
        {"FmtYearC", false, "ZM_NONE=0 ZM_TWODIGIT=1 ZM_FOURDIGIT=2"},
        {"enumFmtLeadingZero", true, "_LZ_WININI=0 _LZ_NONE=1 _LZ_SHOW=2"},
        {"LeadZeroC", false, "ZM_WININI=0 ZM_NOLEADZERO=1 ZM_LEADZERO=2"},
        {"enumFmtHours", true, "_HR_WININI=0 _HR_12=1 _HR_24=2"},
        {"HourC", false, "ZM_WININI=0 ZM_12HR=1 ZM_24HR=2"},
        {"enumFmtSeconds", true, "_SEC_SHOW=0 _SEC_NONE=1"},
        {"SecondC", false, "ZM_SHOWSEC=0 ZM_NOSEC=1"},
        {"enumLS", true, "_LS_LABEL=0 _LS_HORZBUMP=1 _LS_VERTBUMP=2"},
        {"LabelStyleC", false, "ZM_SHOWLABEL=0 ZM_HORZBUMP=1 ZM_VERTBUMP=2"},
        {"enumLB", true, "_LB_NONE=0 _LB_NORMAL=1 _LB_TEXTURE=2"},
        {"BackStyleC", false, "ZM_TRANSPARENTBACK=0 ZM_NORMALBACK=1 ZM_TEXTUREBACK=2"},
        {"enumCT", true, "_CT_NONE=0 _CT_INSET=1 _CT_RAISED=2"},
        {"ChiselC", false, "ZM_NONE=0 ZM_INSET=1 ZM_RAISED=2"},
        {"enumAlign", true, "_ALIGN_NONE=0 _ALIGN_TOP=1 _ALIGN_BOTTOM=2 _ALIGN_LEFT=3 _ALIGN_RIGHT=4"},
        {"AlignC", false, "ZM_NONE=0 ZM_ALTOP=1 ZM_ALBOTTOM=2 ZM_ALLEFT=3 ZM_ALRIGHT=4"},
        {"enumBM", true, "_BM_BOUND=0 _BM_FIXED=1"},
        {"BoundTimeModeC", false, "BTM_BOUND=0 BTM_FIXED=1"},
        {"BoundDateModeC", false, "BDM_BOUND=0 BDM_FIXED=1"},
    };
    std::size_t enumCount = 0;
    for (std::size_t i = 0; i < lib_->TypeInfoCount(); ++i)
        enumCount += lib_->TypeInfoType(i) == TypeKind::Enum ? 1 : 0;
    EXPECT_EQ(enumCount, std::size(rows)) << "an enumeration the table does not know";

    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        const auto& t = Type(row.type);
        EXPECT_EQ(t.kind, TypeKind::Enum);
        EXPECT_EQ(t.hidden, row.hidden);
        EXPECT_EQ(MemberList(t), row.members);
        for (std::size_t k = 0; k < t.vars.size(); ++k)
            EXPECT_EQ(t.vars[k].memberId, 0x40000000 + static_cast<std::int32_t>(k));
    }
}

TEST_F(TypeLibrary, ConstantsModuleKeepsTheSixteenBitPatterns) {
    const auto& m = Type("Constants");
    EXPECT_EQ(m.kind, TypeKind::Module);
    EXPECT_EQ(m.guid.ToString(), "{611869CF-053E-11CE-A9B5-0020AF234C9D}");
    struct Row {
        const char* name;
        com::VarType type;
        std::int32_t value;
    } rows[] = {
        {"zmDateBlank", com::VT_I2, -32767}, {"zmDateError", com::VT_I2, -32768},
        {"zmDateMin", com::VT_I2, -29219},   {"zmDateMax", com::VT_I2, 31368},
        {"zmAnyChar", com::VT_I2, -1},       {"zmSpaces", com::VT_I2, 1},
        {"zmNumeric", com::VT_I2, 2},        {"zmUpper", com::VT_I2, 4},
        {"zmLower", com::VT_I2, 8},          {"zmCapFirst", com::VT_I2, 16},
        {"zmCharacterTable", com::VT_I2, 32}, {"zmTimeMax", com::VT_I4, 86399},
        {"zmTimeMin", com::VT_I4, 0},        {"zmTimeBlank", com::VT_I4, -1},
        {"zmNoon", com::VT_I4, 43200},       {"zmMidnight", com::VT_I4, 0},
    };
    ASSERT_EQ(m.vars.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(m.vars[i].name, rows[i].name);
        EXPECT_EQ(m.vars[i].memberId, 0x40000000 + static_cast<std::int32_t>(i));
        EXPECT_EQ(m.vars[i].value.Type(), rows[i].type);
        const std::int32_t value = rows[i].type == com::VT_I2 ? m.vars[i].value.AsI2() : m.vars[i].value.AsI4();
        EXPECT_EQ(value, rows[i].value);
    }
}

TEST_F(TypeLibrary, PageListsReadHelpStringsOrNames) {
    using V = std::vector<std::string>;
    EXPECT_EQ(com::EnumListEntries(Type("enumJU"), false), (V{"0 - Left", "1 - Center", "2 - Right"}));
    EXPECT_EQ(com::EnumListEntries(Type("enumBS"), false), (V{"0 - None", "1 - Fixed Single"}));
    EXPECT_EQ(com::EnumListEntries(Type("enumDPV"), false), (V{"0 - Text", "1 - Raw", "2 - Value"}));
    EXPECT_EQ(com::EnumListEntries(Type("enumFCTL"), true), (V{"0 - _ZM_FCTL_WININI", "1 - _ZM_FCTL_USER"}));
    EXPECT_EQ(com::EnumListEntries(Type("enumFCDate"), false).front(), "0 - Use WIN.INI Format");
    EXPECT_EQ(com::EnumListEntries(Type("enumFmtMonth"), false).back(), "4 - Show Month Name");
    EXPECT_EQ(com::EnumListEntries(Type("enumFmtHours"), false)[1], "1 - 12 Hour clock (AM/PM)");
    EXPECT_EQ(com::EnumListEntries(Type("enumLB"), true)[2], "2 - _LB_TEXTURE");
}

}  // namespace
}  // namespace zmtext
