#include "zmtext/module/zmtextlib.h"

#include <string>
#include <vector>

#include "zmtext/module/strings.h"

namespace zmtext {
namespace {

using com::EnumMember;
using com::Guid;
using com::TypeInfoData;
using com::TypeKind;

// One value of an enumeration pair: its hidden and visible names and the help string the
// property pages show beside the value.
struct EnumRow {
    std::int32_t value;
    std::string internalName;
    std::string publicName;
    std::string help;
};

std::vector<EnumMember> Members(const std::vector<EnumRow>& rows, bool publicNames,
                                std::size_t count) {
    std::vector<EnumMember> members;
    for (std::size_t i = 0; i < rows.size() && i < count; ++i)
        members.push_back({publicNames ? rows[i].publicName : rows[i].internalName, rows[i].value,
                           rows[i].help});
    return members;
}

void AddPair(std::vector<TypeInfoData>& types, const std::string& internalType,
             const std::string& publicType, const std::vector<EnumRow>& rows) {
    types.push_back(com::MakeEnum(internalType, Members(rows, false, rows.size()), true));
    types.push_back(com::MakeEnum(publicType, Members(rows, true, rows.size())));
}

// Rows whose names are a prefix and a word: `_MP_ARROW` / `ZM_ARROW`.
std::vector<EnumRow> WordRows(const std::string& internalPrefix,
                              const std::vector<std::pair<std::string, std::string>>& words) {
    std::vector<EnumRow> rows;
    std::int32_t value = 0;
    for (const auto& [word, help] : words)
        rows.push_back({value++, internalPrefix + word, "ZM_" + word, help});
    return rows;
}

void AddBorderAndDataEnums(std::vector<TypeInfoData>& t) {
    AddPair(t, "enumBE", "BorderEffectC",
            {{0, "_ZM_BE_NONE", "ZM_NONE", "None"}, {1, "_ZM_BE_POP", "ZM_POP", "Pop"},
             {2, "_ZM_BE_DROP", "ZM_DROP", "Drop"}});
    AddPair(t, "enumBS", "BorderStyleC",
            {{0, "_ZM_BS_NONE", "ZM_NONE", "None"}, {1, "_ZM_BS_SINGLE", "ZM_SINGLE", "Fixed Single"}});
    const std::vector<EnumRow> dp{{0, "_ZM_DP_TEXT", "ZM_TEXTPROP", "Text"},
                                  {1, "_ZM_DP_RAW", "ZM_RAWPROP", "Raw"},
                                  {2, "_ZM_DP_VALUE", "ZM_VALUEPROP", "Value"}};
    t.push_back(com::MakeEnum("enumDP", Members(dp, false, 2), true));
    t.push_back(com::MakeEnum("enumDPV", Members(dp, false, 3), true));
    t.push_back(com::MakeEnum("DataPropertyC", Members(dp, true, 3)));
    AddPair(t, "enumJU", "JustificationC",
            {{0, "_ZM_JU_LEFT", "ZM_JLEFT", "Left"}, {1, "_ZM_JU_CENTER", "ZM_JCENTER", "Center"},
             {2, "_ZM_JU_RIGHT", "ZM_JRIGHT", "Right"}});
}

void AddFormatControlEnums(std::vector<TypeInfoData>& t) {
    AddPair(t, "enumFCTL", "FmtControlC",
            {{0, "_ZM_FCTL_WININI", "ZM_WININI", "Use WIN.INI Format"},
             {1, "_ZM_FCTL_USER", "ZM_USER", "Use Control Properties"}});
    // Currency patterns: S sign, C currency symbol, N number, P space.
    std::vector<EnumRow> cur{{0, "_ZM_NF_NC_WININI", "ZM_WININI", "Use WIN.INI Format"}};
    std::int32_t value = 1;
    for (const char* code : {"SCNS", "SCN", "CSN", "CNS", "SNCS", "SNC", "NSC", "NCS", "SNPC", "SCPN", "NPCS"})
        cur.push_back({value++, std::string("_ZM_NF_NC_") + code, std::string("ZM_") + code, code});
    AddPair(t, "enumFCTL_CUR", "CurCtrlC", cur);
    AddPair(t, "enumMP", "MousePointerC",
            WordRows("_MP_", {{"DEFAULT", "Default"}, {"ARROW", "Arrow"}, {"CROSS", "Cross"},
                              {"IBEAM", "I-Beam"}, {"ICON", "Icon"}, {"SIZE", "Size"},
                              {"SIZENESW", "Size NE SW"}, {"SIZENS", "Size N S"},
                              {"SIZENWSE", "Size NW SE"}, {"SIZEEW", "Size W E"},
                              {"UPARROW", "Up Arrow"}, {"HOURGLASS", "Hourglass"},
                              {"NODROP", "No Drop"}, {"CUSTOM", "Custom"}}));
}

void AddDateEnums(std::vector<TypeInfoData>& t) {
    AddPair(t, "enumFCDate", "ZMDateCtrlC",
            {{0, "_SI_DO_WININI", "ZM_WININI", "Use WIN.INI Format"},
             {1, "_SI_DO_MDY", "ZM_MDY", "American (MDY)"},
             {2, "_SI_DO_DMY", "ZM_DMY", "European (DMY)"},
             {3, "_SI_DO_YMD", "ZM_YMD", "Japanese (YMD)"}});
    AddPair(t, "enumDT", "ZMDateTypeC",
            {{0, "_DT_VISUALBASIC", "ZM_VISUALBASIC", "Visual Basic Serial Date"},
             {1, "_DT_HALVERN", "ZM_HALVERN", "Halvern Serial Date"}});
    AddPair(t, "enumFmtDay", "FmtDayC",
            {{0, "_DAB_FMT_DAY_NONE", "ZM_NONE", "No Day Display"},
             {1, "_DAB_FMT_DAY_NO_LZ", "ZM_NOLEADZERO", "Show Day (no leading zero)"},
             {2, "_DAB_FMT_DAY_LZ", "ZM_LEADZERO", "Show Day (leading zero)"}});
    AddPair(t, "enumFmtMonth", "FmtMonthC",
            {{0, "_DAB_FMT_MONTH_NONE", "ZM_NONE", "No Month Display"},
             {1, "_DAB_FMT_MONTH_NO_LZ", "ZM_NOLEADZERO", "Month Number (no leading zero)"},
             {2, "_DAB_FMT_MONTH_LZ", "ZM_LEADZERO", "Month Number (leading zero)"},
             {3, "_DAB_FMT_MONTH_SHORT", "ZM_ABBREVIATE", "Show Month Abbreviation"},
             {4, "_DAB_FMT_MONTH_LONG", "ZM_FULLMONTH", "Show Month Name"}});
    AddPair(t, "enumFmtYear", "FmtYearC",
            {{0, "_DAB_FMT_YEAR_NONE", "ZM_NONE", "No Year Display"},
             {1, "_DAB_FMT_YEAR_TWO", "ZM_TWODIGIT", "Show Short Year (YY)"},
             {2, "_DAB_FMT_YEAR_FOUR", "ZM_FOURDIGIT", "Show Full Year (YYYY)"}});
}

void AddTimeEnums(std::vector<TypeInfoData>& t) {
    AddPair(t, "enumFmtLeadingZero", "LeadZeroC",
            {{0, "_LZ_WININI", "ZM_WININI", "Use WIN.INI Format"},
             {1, "_LZ_NONE", "ZM_NOLEADZERO", "No Leading Zero"},
             {2, "_LZ_SHOW", "ZM_LEADZERO", "Leading Zero"}});
    AddPair(t, "enumFmtHours", "HourC",
            {{0, "_HR_WININI", "ZM_WININI", "Use WIN.INI Format"},
             {1, "_HR_12", "ZM_12HR", "12 Hour clock (AM/PM)"},
             {2, "_HR_24", "ZM_24HR", "24 Hour clock"}});
    AddPair(t, "enumFmtSeconds", "SecondC",
            {{0, "_SEC_SHOW", "ZM_SHOWSEC", "Show seconds"}, {1, "_SEC_NONE", "ZM_NOSEC", "No seconds"}});
}

void AddLabelEnums(std::vector<TypeInfoData>& t) {
    AddPair(t, "enumLS", "LabelStyleC",
            {{0, "_LS_LABEL", "ZM_SHOWLABEL", "Label"}, {1, "_LS_HORZBUMP", "ZM_HORZBUMP", "Horizontal Bump"},
             {2, "_LS_VERTBUMP", "ZM_VERTBUMP", "Vertical Bump"}});
    AddPair(t, "enumLB", "BackStyleC",
            {{0, "_LB_NONE", "ZM_TRANSPARENTBACK", "Transparent"},
             {1, "_LB_NORMAL", "ZM_NORMALBACK", "Normal"},
             {2, "_LB_TEXTURE", "ZM_TEXTUREBACK", "Texture"}});
    AddPair(t, "enumCT", "ChiselC",
            {{0, "_CT_NONE", "ZM_NONE", "None"}, {1, "_CT_INSET", "ZM_INSET", "Inset"},
             {2, "_CT_RAISED", "ZM_RAISED", "Raised"}});
    AddPair(t, "enumAlign", "AlignC",
            {{0, "_ALIGN_NONE", "ZM_NONE", "None"}, {1, "_ALIGN_TOP", "ZM_ALTOP", "Top"},
             {2, "_ALIGN_BOTTOM", "ZM_ALBOTTOM", "Bottom"}, {3, "_ALIGN_LEFT", "ZM_ALLEFT", "Left"},
             {4, "_ALIGN_RIGHT", "ZM_ALRIGHT", "Right"}});
    const std::vector<EnumRow> bm{{0, "_BM_BOUND", "BTM_BOUND", "Bound"},
                                  {1, "_BM_FIXED", "BTM_FIXED", "Fixed"}};
    t.push_back(com::MakeEnum("enumBM", Members(bm, false, 2), true));
    t.push_back(com::MakeEnum("BoundTimeModeC", Members(bm, true, 2)));
    t.push_back(com::MakeEnum("BoundDateModeC", {{"BDM_BOUND", 0, "Bound"}, {"BDM_FIXED", 1, "Fixed"}}));
}

// Two-byte constants are given as their 16-bit patterns.
com::VarDesc ShortConstant(std::string name, std::uint16_t bits) {
    return {std::move(name), 0, com::Variant::I2(static_cast<std::int16_t>(bits)), {}};
}
com::VarDesc LongConstant(std::string name, std::int32_t value) {
    return {std::move(name), 0, com::Variant::I4(value), {}};
}

TypeInfoData ConstantsModule() {
    TypeInfoData m;
    m.kind = TypeKind::Module;
    m.name = "Constants";
    m.guid = Guid::FromString("{611869CF-053E-11CE-A9B5-0020AF234C9D}");
    m.vars = {ShortConstant("zmDateBlank", 0x8001), ShortConstant("zmDateError", 0x8000),
              ShortConstant("zmDateMin", 0x8DDD),   ShortConstant("zmDateMax", 0x7A88),
              ShortConstant("zmAnyChar", 0xFFFF),   ShortConstant("zmSpaces", 1),
              ShortConstant("zmNumeric", 2),        ShortConstant("zmUpper", 4),
              ShortConstant("zmLower", 8),          ShortConstant("zmCapFirst", 16),
              ShortConstant("zmCharacterTable", 32), LongConstant("zmTimeMax", 86399),
              LongConstant("zmTimeMin", 0),         LongConstant("zmTimeBlank", -1),
              LongConstant("zmNoon", 43200),        LongConstant("zmMidnight", 0)};
    std::int32_t id = com::kFirstVarMemberId;
    for (auto& v : m.vars) v.memberId = id++;
    return m;
}

TypeInfoData Interface(TypeKind kind, std::string_view name, const Guid& iid,
                       std::vector<com::FuncDesc> funcs = {}) {
    TypeInfoData t;
    t.kind = kind;
    t.name = std::string(name);
    t.guid = iid;
    t.funcs = std::move(funcs);
    return t;
}

void AddControl(std::vector<TypeInfoData>& t, const ZMControlFactory& factory) {
    const ZMControlClassInfo& info = ZMControlClass(factory.kind);
    t.push_back(Interface(TypeKind::Dispatch, info.dispatchName, info.dispatchIid, factory.dispatchMembers));
    t.push_back(Interface(TypeKind::Dispatch, info.eventName, info.eventIid, factory.eventMembers));
    TypeInfoData coclass = Interface(TypeKind::Coclass, info.coclassName, info.clsid);
    coclass.helpString = ZMLoadString(info.userTypeStringId).value_or("");
    coclass.defaultInterface = info.dispatchIid;
    coclass.eventInterface = info.eventIid;
    t.push_back(std::move(coclass));
}

}  // namespace

com::TypeLibraryData BuildZMTextLib(const ZMFactoryList& factories) {
    com::TypeLibraryData lib;
    lib.guid = kZMTextLibId;
    lib.major = kZMTextLibMajor;
    lib.minor = kZMTextLibMinor;
    lib.name = "ZMTextLib";
    lib.helpString = "Halvern Text Controls";
    lib.helpFile = kZMHelpFile;
    auto& t = lib.types;
    t.push_back(Interface(TypeKind::Interface, "ICursor",
                          Guid::FromString("{9F6AA700-D188-11CD-AD48-00AA003C9CB6}")));
    t.push_back(Interface(TypeKind::Interface, "ICursorUpdateARow",
                          Guid::FromString("{D14216A0-D188-11CD-AD48-00AA003C9CB6}")));
    t.push_back(ConstantsModule());
    AddBorderAndDataEnums(t);
    AddFormatControlEnums(t);
    AddDateEnums(t);
    AddTimeEnums(t);
    AddLabelEnums(t);
    for (const auto& info : ZMControlClasses())
        if (const ZMControlFactory* factory = factories.FindControl(info.kind)) AddControl(t, *factory);
    return lib;
}

const com::TypeLibraryData& ZMTextLib() {
    static const com::TypeLibraryData lib = BuildZMTextLib(ZMFactories());
    return lib;
}

}  // namespace zmtext
