#include "platform/forms/keys.h"

#include <Qt>
#include <array>

namespace forms {

namespace {

struct KeyPair {
    int qt;
    int code;
};

constexpr std::array kNamedKeys{
    KeyPair{Qt::Key_Backspace, key::Back}, KeyPair{Qt::Key_Tab, key::Tab},
    KeyPair{Qt::Key_Backtab, key::Tab},    KeyPair{Qt::Key_Return, key::Return},
    KeyPair{Qt::Key_Enter, key::Return},   KeyPair{Qt::Key_Shift, key::Shift},
    KeyPair{Qt::Key_Control, key::Control}, KeyPair{Qt::Key_Alt, key::Menu},
    KeyPair{Qt::Key_Escape, key::Escape},  KeyPair{Qt::Key_Space, key::Space},
    KeyPair{Qt::Key_PageUp, key::PageUp},  KeyPair{Qt::Key_PageDown, key::PageDown},
    KeyPair{Qt::Key_End, key::End},        KeyPair{Qt::Key_Home, key::Home},
    KeyPair{Qt::Key_Left, key::Left},      KeyPair{Qt::Key_Up, key::Up},
    KeyPair{Qt::Key_Right, key::Right},    KeyPair{Qt::Key_Down, key::Down},
    KeyPair{Qt::Key_Insert, key::Insert},  KeyPair{Qt::Key_Delete, key::Delete},
};

}  // namespace

int KeyCodeOf(int qtKey, int qtModifiers) {
    const Qt::KeyboardModifiers modifiers(qtModifiers);
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (keypad && qtKey == Qt::Key_Plus) return key::Add;
    if (keypad && qtKey == Qt::Key_Minus) return key::Subtract;
    if (keypad && qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 96 + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return key::F1 + (qtKey - Qt::Key_F1);
    for (const auto& pair : kNamedKeys) {
        if (pair.qt == qtKey) return pair.code;
    }
    return 0;
}

int ShiftStateOf(int qtModifiers) {
    const Qt::KeyboardModifiers modifiers(qtModifiers);
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

}  // namespace forms
