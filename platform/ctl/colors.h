// Colours as the controls store them (OLE colours) and the fixed system-colour table.
//
// An OLE colour is either 0x80000000 | index, which names a system colour, or 0x00BBGGRR (red in
// the low byte: "&HC0C0FF" is a light red). The system colours come from one fixed table of the
// classic scheme rather than from the desktop, so a control paints the same on every machine
// and tests can compare pixels. It is the program's only system-colour table: the forms runtime
// resolves its controls' colour numbers through TranslateColor too, so an intrinsic control and a
// library control on one window agree.
#pragma once

#include <QColor>
#include <cstdint>

namespace ctl {

using ColorRef = std::uint32_t;   // 0x00BBGGRR
using OleColor = std::uint32_t;

// System-colour indexes the controls use.
enum SysColor : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};
inline constexpr int kSysColorCount = 25;

constexpr ColorRef Rgb(int r, int g, int b) {
    return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorRef c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColorRef c) { return static_cast<int>((c >> 16) & 0xFF); }

// The colour of a system-colour index; black for an index outside the table.
ColorRef GetSysColor(int index);

// An OLE colour to a plain colour: a system colour by its index, otherwise the low three bytes.
// A system-colour reference whose index is outside the table gives black.
ColorRef TranslateColor(OleColor color);

inline QColor ToQColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }
inline ColorRef FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

}  // namespace ctl
