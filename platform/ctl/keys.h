// Qt keyboard and mouse input as the platform's key codes, shift states and mouse flags.
//
// A control's handlers speak the platform's terms: virtual-key codes (VK_LEFT = 37, "A" = 65),
// the shift state of the key events (Shift 1, Ctrl 2, Alt 4), the character message a key press
// produces (a cp1252 byte: Backspace 8, Enter 13, Ctrl+A 1, "á" 0xE1), the button flags of mouse
// messages (MK_*) and the button numbers of the mouse events (left 1, right 2, middle 4).
#pragma once

#include <Qt>
#include <QString>
#include <vector>

class QKeyEvent;

namespace ctl {

enum VirtualKey : int {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
    VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
    VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25,
    VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
    VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
};

enum ShiftState : int { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

enum MouseFlags : int {
    MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08, MK_MBUTTON = 0x10,
};

// The virtual-key code of a Qt key (with the keypad flag for the number pad); 0 for a key the
// platform had no code for.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

// Shift 1 | Ctrl 2 | Alt 4.
int ShiftStateOf(Qt::KeyboardModifiers modifiers);

// The character bytes a key press produces, in order: control characters for Backspace (8),
// Tab (9), Enter (13), Escape (27) and Ctrl+letter (1..26), otherwise the key's text in cp1252.
// Characters without a cp1252 byte are left out. A press with Alt produces none (it goes to the
// system-key path).
std::vector<unsigned char> CharactersOfKey(const QKeyEvent& event);

// The bytes of text an input method commits (a dead key followed by a letter, a composed
// character); characters without a cp1252 byte are left out.
std::vector<unsigned char> CharactersOfText(const QString& text);

// MK_* flags of a mouse message from the buttons held and the modifiers.
int MouseFlagsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

// Button number of a mouse event: left 1, right 2, middle 4 (0 for others).
int ButtonNumberOf(Qt::MouseButton button);

}  // namespace ctl
