#include "zmtext/module/classes.h"

#include <string>

#include "platform/ctl/property_sheet.h"

namespace zmtext {
namespace {

using com::Guid;

// Every control identity shares its last three groups.
Guid ControlGuid(std::string_view first) {
    return Guid::FromString("{" + std::string(first) + "-B5F5-11CD-98EC-0020AF234C9D}");
}

ZMControlClassInfo Control(ZMControlKind kind, std::string_view cls, std::string_view coclass,
                           std::string_view clsid, std::string_view disp, std::string_view dispIid,
                           std::string_view events, std::string_view eventIid,
                           std::string_view progId, int userType, int bitmap, std::uint32_t misc) {
    return {kind,           cls,    coclass,           ControlGuid(clsid), disp,  ControlGuid(dispIid),
            events,         ControlGuid(eventIid), progId, userType,   bitmap, misc};
}

ZMFactoryList& MutableFactories() {
    static ZMFactoryList list;
    return list;
}

}  // namespace

const std::array<ZMControlClassInfo, kControlKindCount>& ZMControlClasses() {
    using K = ZMControlKind;
    static const std::array<ZMControlClassInfo, kControlKindCount> table{
        Control(K::Text, "CZMTextCtrl", "sitxEdit", "A5CC20A3", "_DZMText", "A5CC20A4",
                "_DZMTextEvents", "A5CC20A5", "ZMTEXT.ZMTextCtrl.1", 1, 1, kEditMiscStatus),
        Control(K::Date, "CZMDateCtrl", "sidtEdit", "A5CC20A8", "_DZMDate", "A5CC20A9",
                "_DZMDateEvents", "A5CC20AA", "ZMTEXT.ZMDateCtrl.1", 3, 2, kEditMiscStatus),
        Control(K::Time, "CZMTimeCtrl", "sitmEdit", "A5CC20AD", "_DZMTime", "A5CC20AE",
                "_DZMTimeEvents", "A5CC20AF", "ZMTEXT.ZMTimeCtrl.1", 5, 3, kEditMiscStatus),
        Control(K::Long, "CZMLongCtrl", "silgEdit", "A5CC20B2", "_DZMLong", "A5CC20B3",
                "_DZMLongEvents", "A5CC20B4", "ZMTEXT.ZMLongCtrl.1", 7, 4, kEditMiscStatus),
        Control(K::Double, "CZMDoubleCtrl", "sidbEdit", "A5CC20B7", "_DZMDouble", "A5CC20B8",
                "_DZMDoubleEvents", "A5CC20B9", "ZMTEXT.ZMDoubleCtrl.1", 9, 5, kEditMiscStatus),
        Control(K::Currency, "CZMCurrencyCtrl", "sicrEdit", "A5CC20BC", "_DZMCurrency",
                "A5CC20BD", "_DZMCurrencyEvents", "A5CC20BE", "ZMTEXT.ZMCurrencyCtrl.1", 11, 6,
                kEditMiscStatus),
        Control(K::Label, "CZMLabelCtrl", "sivbLB", "A5CC20C1", "_DZMLabel", "A5CC20C2",
                "_DZMLabelEvents", "A5CC20C3", "ZMTEXT.ZMLabelCtrl.1", 13, 7, kLabelMiscStatus),
    };
    return table;
}

const std::array<ZMPageClassInfo, 11>& ZMPageClasses() {
    static const std::array<ZMPageClassInfo, 11> table{
        ZMPageClassInfo{"CZMTextPropPage", ControlGuid("A5CC20A7"), "ZMTEXT.ZMTextPropPage.1", 2},
        ZMPageClassInfo{"CZMText2PropPage",
                        Guid::FromString("{F15F3DEE-F5B1-11CD-A9B5-0020AF234C9D}"),
                        "CZMText2PropPage0.CZMText2PropPage", 15},
        ZMPageClassInfo{"CZMTextCharPropPage",
                        Guid::FromString("{9CCAC100-F673-11CD-A9B5-0020AF234C9D}"),
                        "CZMTextCharPropPage0.CZMTextCharPropPage", 17},
        ZMPageClassInfo{"CZMDatePropPage", ControlGuid("A5CC20AC"), "ZMTEXT.ZMDatePropPage.1", 4},
        ZMPageClassInfo{"CZMDateValPropPage",
                        Guid::FromString("{95FDF781-0ACE-11CE-A9B5-0020AF234C9D}"),
                        "CZMDateValPropPage0.CZMDateValPropPage", 239},
        ZMPageClassInfo{"CZMTimePropPage", ControlGuid("A5CC20B1"), "ZMTEXT.ZMTimePropPage.1", 6},
        ZMPageClassInfo{"CZMTimeValPropPage",
                        Guid::FromString("{95FDF780-0ACE-11CE-A9B5-0020AF234C9D}"),
                        "CZMTimeValPropPage0.CZMTimeValPropPage", 237},
        ZMPageClassInfo{"CZMLongPropPage", ControlGuid("A5CC20B6"), "ZMTEXT.ZMLongPropPage.1", 8},
        ZMPageClassInfo{"CZMDoublePropPage", ControlGuid("A5CC20BB"), "ZMTEXT.ZMDoublePropPage.1",
                        10},
        ZMPageClassInfo{"CZMCurrencyPropPage", ControlGuid("A5CC20C0"),
                        "ZMTEXT.ZMCurrencyPropPage.1", 12},
        ZMPageClassInfo{"CZMLabelPropPage", ControlGuid("A5CC20C5"), "ZMTEXT.ZMLabelPropPage.1", 14},
    };
    return table;
}

const ZMControlClassInfo& ZMControlClass(ZMControlKind kind) {
    return ZMControlClasses()[static_cast<std::size_t>(kind)];
}

const ZMPageClassInfo* ZMFindPageClass(const com::Guid& clsid) {
    for (const auto& page : ZMPageClasses())
        if (page.clsid == clsid) return &page;
    return nullptr;
}

std::vector<com::Guid> ZMPropertyPageList(std::initializer_list<std::string_view> ownPages) {
    std::vector<com::Guid> pages;
    for (std::string_view name : ownPages)
        for (const auto& p : ZMPageClasses())
            if (p.className == name) pages.push_back(p.clsid);
    pages.insert(pages.end(), {ctl::kStockColorPageClsid, ctl::kStockFontPageClsid, ctl::kStockPicturePageClsid});
    return pages;
}

const ZMControlFactory* ZMFactoryList::FindControl(ZMControlKind kind) const {
    for (const auto& c : controls)
        if (c.kind == kind) return &c;
    return nullptr;
}

const ZMFactoryList& ZMFactories() { return MutableFactories(); }

ZMClassRegistrar::ZMClassRegistrar(ZMControlFactory control) {
    MutableFactories().controls.push_back(std::move(control));
}

ZMClassRegistrar::ZMClassRegistrar(ZMPageFactory page) {
    MutableFactories().pages.push_back(std::move(page));
}

std::vector<com::FuncDesc> ZMDescribeMembers(const com::DispatchMap& map) {
    std::vector<com::FuncDesc> members;
    for (const auto& m : map.Members()) members.push_back({m.name, m.id, !m.isMethod, {}});
    return members;
}

com::ModuleState& ZMModuleState() {
    static com::ModuleState state;
    return state;
}

com::ClassTable BuildClassTable(const ZMFactoryList& factories, com::ModuleState& state) {
    com::ClassTable table(state);
    for (const auto& control : factories.controls)
        table.Add(ZMControlClass(control.kind).clsid, control.create);
    for (const auto& page : factories.pages) table.Add(page.clsid, page.create);
    return table;
}

}  // namespace zmtext
