// What the numeric fields share outside their template: the old property block's words and their
// events.
#include "zmtext/controls/number_control.h"

namespace zmtext {

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
