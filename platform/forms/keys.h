// Key codes and shift states as the runtime reports them: the platform's virtual-key numbers
// (13 Enter, 27 Esc, 38 Up, 40 Down, 112-123 F1-F12, 107/109 the numeric-pad plus and minus)
// and the shift mask 1 Shift, 2 Ctrl, 4 Alt.
#pragma once

namespace forms {

namespace key {
inline constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18,
                     Escape = 27, Space = 32, PageUp = 33, PageDown = 34, End = 35, Home = 36,
                     Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46,
                     Add = 107, Subtract = 109, F1 = 112, F4 = 115, F12 = 123;
}  // namespace key

// The key code of a Qt key (0 for a key the platform has no code for), and the shift state of
// Qt's modifier flags, each given as its number (Qt::KeyboardModifiers::toInt()) so that this
// header, which the windows include for the key names, needs no Qt header.
int KeyCodeOf(int qtKey, int qtModifiers);
int ShiftStateOf(int qtModifiers);

}  // namespace forms
