// Runs keystroke scripts against an edit field the way its window delivers them.
//
// A script is typed characters and keys in braces: {Home} {End} {Left} {Right} {Ins} {Del}
// {Bksp} {C} {V} {X} {Z}, each optionally prefixed by "+" (Shift), "^" (Ctrl) and "%" (Alt):
// "{+^Left}" is Shift+Ctrl+Left. A key goes to HandleKeyDown with its shift state and then, when
// it produces one, its character to HandleChar (Backspace 8, Ctrl+letter 1-26); with Alt it goes
// to HandleSysKeyDown and produces no character. A typed character goes to HandleChar alone.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/ctl/keys.h"
#include "zmtext/engine/tests/edit_test_field.h"

namespace zmtext::testing {

inline int KeyOfName(std::string_view name) {
    static constexpr std::pair<std::string_view, int> kKeys[] = {
        {"Home", ctl::VK_HOME}, {"End", ctl::VK_END}, {"Left", ctl::VK_LEFT}, {"Right", ctl::VK_RIGHT},
        {"Ins", ctl::VK_INSERT}, {"Del", ctl::VK_DELETE}, {"Bksp", ctl::VK_BACK},
        {"C", 'C'}, {"V", 'V'}, {"X", 'X'}, {"Z", 'Z'}};
    for (const auto& [n, key] : kKeys)
        if (n == name) return key;
    throw std::invalid_argument("unknown key in script: " + std::string(name));
}

inline void PressKey(EditTestField& f, std::string_view keyName) {
    int shift = 0;
    while (!keyName.empty() && (keyName[0] == '+' || keyName[0] == '^' || keyName[0] == '%')) {
        shift |= keyName[0] == '+' ? ctl::kShiftMask : keyName[0] == '^' ? ctl::kCtrlMask : ctl::kAltMask;
        keyName.remove_prefix(1);
    }
    const int key = KeyOfName(keyName);
    if (shift & ctl::kAltMask) {
        f.HandleSysKeyDown(key, shift);
        return;
    }
    f.HandleKeyDown(key, shift);
    if (key == ctl::VK_BACK) f.HandleChar(8);
    else if ((shift & ctl::kCtrlMask) && key >= 'A' && key <= 'Z') f.HandleChar(static_cast<unsigned char>(key - 'A' + 1));
}

inline void RunScript(EditTestField& f, std::string_view script) {
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i] != '{') {
            f.HandleChar(static_cast<unsigned char>(script[i]));
            continue;
        }
        const auto close = script.find('}', i);
        PressKey(f, script.substr(i + 1, close - i - 1));
        i = close;
    }
}

// The events a script's table row checks: Change, EndOfLine, InvalidKey, Invalid, OutOfRange
// (KeyDown, KeyPress and the bound-property report have tests of their own).
inline std::string EditEvents(const EditTestField& f) {
    std::string out;
    for (const auto& e : f.events)
        if (e.rfind("KeyDown", 0) != 0 && e.rfind("KeyPress", 0) != 0 && e != "Bound") out += e + ";";
    return out;
}

inline std::string Repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace zmtext::testing
