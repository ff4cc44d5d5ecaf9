// What the edit fields share outside their templates: their class description, their initial size
// from the defaults store and their events.
#include "zmtext/controls/edit_field.h"

#include "zmtext/module/app.h"
#include "zmtext/module/defaults_store.h"
#include "zmtext/module/strings.h"

namespace zmtext {
namespace {

// The defaults keys of a field's initial size.
constexpr int kKeyHeight = 235, kKeyWidth = 236;

}  // namespace

ctl::ControlClassInfo ZMEditFieldClassInfo(ZMControlKind kind, std::initializer_list<std::string_view> pages) {
    const ZMControlClassInfo& cls = ZMControlClass(kind);
    ctl::ControlClassInfo info;
    info.clsid = cls.clsid;
    info.dispIid = cls.dispatchIid;
    info.eventIid = cls.eventIid;
    info.stockProperties = ctl::kStockBackColor | ctl::kStockForeColor | ctl::kStockEnabled |
                           ctl::kStockHwnd | ctl::kStockFont;
    info.stockEvents = ctl::kAllStockEvents;
    info.miscStatus = cls.miscStatus;
    info.propertyPages = ZMPropertyPageList(pages);
    info.resources = &ZMResources();
    info.helpFile = ZMHelpFilePath();
    return info;
}

std::optional<QSize> ZMDefaultSize(ZMControlKind kind) {
    const CZMDefaultsStore* store = ZMDefaults();
    if (!store) return std::nullopt;
    const int width = store->GetInt(ZMKindIndex(kind), kKeyWidth, 0);
    const int height = store->GetInt(ZMKindIndex(kind), kKeyHeight, 0);
    if (width == 0 || height == 0) return std::nullopt;
    return QSize(width, height);
}

std::vector<com::FuncDesc> ZMEditFieldEvents(std::initializer_list<std::pair<const char*, com::DispId>> own) {
    std::vector<com::FuncDesc> events;
    for (const auto& [name, id] : own) events.push_back({name, id, false, {}});
    const std::pair<const char*, com::DispId> stock[] = {
        {"Click", -600},   {"DblClick", -601},  {"KeyDown", -602},   {"KeyPress", -603},
        {"KeyUp", -604},   {"MouseDown", -605}, {"MouseMove", -606}, {"MouseUp", -607}};
    for (const auto& [name, id] : stock) events.push_back({name, id, false, {}});
    return events;
}

}  // namespace zmtext
