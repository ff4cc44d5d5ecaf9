#include "platform/ctl/colors.h"

#include <array>

namespace ctl {

namespace {

// The classic scheme, by index.
constexpr std::array<ColorRef, kSysColorCount> kClassic = {
    Rgb(192, 192, 192),   // scroll bar
    Rgb(0, 128, 128),     // desktop
    Rgb(0, 0, 128),       // active caption
    Rgb(128, 128, 128),   // inactive caption
    Rgb(192, 192, 192),   // menu
    Rgb(255, 255, 255),   // window
    Rgb(0, 0, 0),         // window frame
    Rgb(0, 0, 0),         // menu text
    Rgb(0, 0, 0),         // window text
    Rgb(255, 255, 255),   // caption text
    Rgb(192, 192, 192),   // active border
    Rgb(192, 192, 192),   // inactive border
    Rgb(128, 128, 128),   // application workspace
    Rgb(0, 0, 128),       // highlight
    Rgb(255, 255, 255),   // highlight text
    Rgb(192, 192, 192),   // button face
    Rgb(128, 128, 128),   // button shadow
    Rgb(128, 128, 128),   // grey text
    Rgb(0, 0, 0),         // button text
    Rgb(192, 192, 192),   // inactive caption text
    Rgb(255, 255, 255),   // button highlight
    Rgb(0, 0, 0),         // 3-D dark shadow
    Rgb(223, 223, 223),   // 3-D light
    Rgb(0, 0, 0),         // tooltip text
    Rgb(255, 255, 225),   // tooltip background
};

}  // namespace

ColorRef GetSysColor(int index) {
    if (index < 0 || index >= kSysColorCount) return 0;
    return kClassic[static_cast<std::size_t>(index)];
}

ColorRef TranslateColor(OleColor color) {
    if ((color & 0xFF000000u) == 0x80000000u) {
        const std::uint32_t index = color & 0x00FFFFFFu;
        return index < kSysColorCount ? kClassic[index] : 0;
    }
    return color & 0x00FFFFFFu;
}

}  // namespace ctl
