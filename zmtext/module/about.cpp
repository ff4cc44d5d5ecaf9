#include "zmtext/module/about.h"

#include "platform/ctl/services.h"
#include "zmtext/module/strings.h"
#include "zmtext/module/zmtextlib.h"

namespace zmtext {
namespace {

// The controls' names, in the order of ZMControlKind.
constexpr const char* kControlNames[kControlKindCount] = {"ZMText", "ZMDate", "ZMTime", "ZMLong",
                                                          "ZMDouble", "ZMCurrency", "ZMLabel"};

}  // namespace

std::string ZMAboutTitle(ZMControlKind kind) {
    return std::string("About ") + kControlNames[static_cast<std::size_t>(kind)] + " Control";
}

std::vector<std::string> ZMAboutLines(ZMControlKind kind) {
    return {ZMResources().LoadStringUtf8(ZMControlClass(kind).userTypeStringId),
            "Version " + std::to_string(kZMTextLibMajor) + "." + std::to_string(kZMTextLibMinor), "ZMTEXT32.OCX"};
}

void ZMShowAboutBox(QWidget* parent, ZMControlKind kind) {
    ctl::Notices().ShowAboutBox(parent, ZMAboutTitle(kind), ZMAboutLines(kind));
}

}  // namespace zmtext
