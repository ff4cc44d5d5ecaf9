// What the numeric fields share outside their template: their class description and their
// initial size from the defaults store.
#include "zmtext/controls/number_control.h"

#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"

namespace zmtext {

ctl::ControlClassInfo ZMNumberClassInfo(ZMControlKind kind, const char* ownPage) {
    const ZMControlClassInfo& cls = ZMControlClass(kind);
    ctl::ControlClassInfo info;
    info.clsid = cls.clsid;
    info.dispIid = cls.dispatchIid;
    info.eventIid = cls.eventIid;
    info.stockProperties = ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled |
                           ctl::kStockHwnd | ctl::kStockFont;
    info.stockEvents = ctl::kAllStockEvents;
    info.miscStatus = cls.miscStatus;
    for (const char* page : {ownPage, "CZMTextPropPage"})
        for (const auto& p : ZMPageClasses())
            if (p.className == page) info.propertyPages.push_back(p.clsid);
    info.resources = &ZMResources();
    info.helpFile = ZMHelpFilePath();
    return info;
}

std::optional<QSize> ZMDefaultSize(int kind) {
    const CZMDefaultsStore* store = ZMDefaults();
    if (!store) return std::nullopt;
    const int width = store->GetInt(kind, kZMKeyWidth, 0);
    const int height = store->GetInt(kind, kZMKeyHeight, 0);
    if (width == 0 || height == 0) return std::nullopt;
    return QSize(width, height);
}

std::uint32_t ZMBlockWord(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::vector<com::FuncDesc> ZMNumberEvents(std::initializer_list<std::pair<const char*, com::DispId>> own) {
    std::vector<com::FuncDesc> events;
    for (const auto& [name, id] : own) events.push_back({name, id, false, {}});
    const std::pair<const char*, com::DispId> stock[] = {
        {"Click", -600},   {"DblClick", -601},  {"KeyDown", -602},   {"KeyPress", -603},
        {"KeyUp", -604},   {"MouseDown", -605}, {"MouseMove", -606}, {"MouseUp", -607}};
    for (const auto& [name, id] : stock) events.push_back({name, id, false, {}});
    return events;
}

}  // namespace zmtext
