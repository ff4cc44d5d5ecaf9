// The focus highlight the program's windows share: an edit field shows a pink back while it has
// the focus and a white one otherwise; a button shows a dark red caption while it has the focus
// and a black one otherwise; a grid's current row is dark red while it has the focus and the
// system highlight otherwise (controls::grid::HighlightRowOnFocus, beside the grid). Each call
// sets the control's GotFocus and LostFocus.
#pragma once

#include <cstdint>

namespace forms {

class Control;

namespace focus {
inline constexpr std::uint32_t EditFocused = 0xC0C0FF;   // &HC0C0FF
inline constexpr std::uint32_t EditPlain = 0xFFFFFF;     // &HFFFFFF
inline constexpr std::uint32_t ButtonFocused = 0xC0;     // &HC0
inline constexpr std::uint32_t ButtonPlain = 0x0;        // &H0
inline constexpr std::uint32_t RowFocused = 0xC0;        // &HC0
inline constexpr std::uint32_t RowPlain = 0x8000000D;    // &H8000000D, the system highlight
}  // namespace focus

// An intrinsic edit or a library control hosted in the window (its BackColor through its own
// dispatch interface).
void HighlightEditOnFocus(Control& edit);
void HighlightButtonOnFocus(Control& button);

}  // namespace forms
