// Drawing helpers with the platform's conventions, on a QPainter.
//
// - Rectangles are ctl::Rect (right and bottom outside).
// - A line from A to B leaves out B, so a chain of lines draws every corner once, and a frame
//   drawn as "left edge, top edge" then "bottom edge, right edge" meets without overlap.
// - Text is cp1252 bytes. Text output is anchored at the top of its cell (left, centre or right
//   of x) and clipped to a rectangle; formatted text is broken at words or kept on one line, and
//   "&" marks a mnemonic ("&&" is a literal ampersand) unless asked otherwise.
// - A monochrome pattern brush draws its 1-bits in one colour and its 0-bits in another, both
//   given explicitly, with the pattern anchored at (0, 0) of the device.
#pragma once

#include <QBrush>
#include <QPainter>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "platform/ctl/colors.h"
#include "platform/ctl/geometry.h"

namespace ctl {

void FillRect(QPainter& p, const Rect& r, ColorRef color);
void FillRect(QPainter& p, const Rect& r, const QBrush& brush);
// A one-pixel frame just inside `r`.
void FrameRect(QPainter& p, const Rect& r, ColorRef color);

// A line without its end point.
void DrawLine(QPainter& p, QPoint from, QPoint to, ColorRef color);
// Lines through the points in turn (a move to the first, then a line to each next one).
void DrawPolyline(QPainter& p, std::initializer_list<QPoint> points, ColorRef color);

// Anchoring of TextOut relative to x.
enum TextAlign : int { TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6 };

struct TextOutStyle {
    ColorRef color = 0;
    std::optional<ColorRef> background;   // set: the text's cells are filled first (opaque)
    int align = TA_LEFT;
    const Rect* clip = nullptr;           // set: nothing is drawn outside it
};

// Draws one line of text with the top of its cell at y. Returns the text's width.
int TextOut(QPainter& p, int x, int y, std::string_view cp1252, const TextOutStyle& style);

// Formatting flags of DrawTextIn, with the platform's values.
enum DrawTextFlags : unsigned {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_EXTERNALLEADING = 0x200,
    DT_NOPREFIX = 0x800,
};

// Draws text formatted into `r` with the painter's font; returns the height of the text.
int DrawTextIn(QPainter& p, std::string_view cp1252, const Rect& r, unsigned flags,
               ColorRef color);

// The accelerator of a caption: the character after its last single "&", upper-cased ("&&" is
// a literal ampersand); 0 when there is none.
unsigned char MnemonicOf(std::string_view cp1252);

// An 8x8 pattern, top row first, the leftmost pixel in the high bit of each row.
using Pattern8 = std::array<std::uint8_t, 8>;
QBrush MonochromePatternBrush(const Pattern8& rows, ColorRef oneBits, ColorRef zeroBits);

// A 3-D edge: `light` on the left and top, `dark` on the bottom and right, one pixel wide,
// along the outside of `r`. The top-right pixel takes `light`, the bottom-left `dark`.
void Draw3dEdge(QPainter& p, const Rect& r, ColorRef light, ColorRef dark);

// The border of an edit field: `effect` 0 none, 1 raised ("pop"), 2 sunken ("drop"), each two
// one-pixel frames in the system's 3-D colours; `borderStyle` 1 a single frame (inside the
// effect's inner frame when there is an effect). Nothing is drawn when `invalid` lies wholly
// inside the border.
void PaintEditBorder(QPainter& p, const Rect& bounds, const Rect& invalid, int effect,
                     int borderStyle, bool newShell = true);

// How far the text area lies inside an edit field's bounds: 2 with an effect, else 1 with a
// single border, else 0.
int EditBorderWidth(int effect, int borderStyle);

}  // namespace ctl
