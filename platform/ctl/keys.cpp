#include "platform/ctl/keys.h"

#include <QKeyEvent>
#include <utility>

#include "platform/win/cp1252.h"

namespace ctl {

namespace {

// Keys without an arithmetic relation to their code.
constexpr std::pair<int, int> kNamedKeys[] = {
    {Qt::Key_Backspace, VK_BACK},   {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},    {Qt::Key_Enter, VK_RETURN},    {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},  {Qt::Key_Alt, VK_MENU},        {Qt::Key_AltGr, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},      {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},      {Qt::Key_PageUp, VK_PRIOR},    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},          {Qt::Key_Home, VK_HOME},       {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},            {Qt::Key_Right, VK_RIGHT},     {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Insert, VK_INSERT},    {Qt::Key_Delete, VK_DELETE},   {Qt::Key_Menu, VK_APPS},
    {Qt::Key_NumLock, VK_NUMLOCK},  {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Semicolon, 0xBA},      {Qt::Key_Equal, 0xBB},         {Qt::Key_Comma, 0xBC},
    {Qt::Key_Minus, 0xBD},          {Qt::Key_Period, 0xBE},        {Qt::Key_Slash, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0},      {Qt::Key_BracketLeft, 0xDB},   {Qt::Key_Backslash, 0xDC},
    {Qt::Key_BracketRight, 0xDD},   {Qt::Key_Apostrophe, 0xDE},    {Qt::Key_Ccedilla, 0xBA},
};

int KeypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return VK_NUMPAD0 + (qtKey - Qt::Key_0);
    switch (qtKey) {
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Period:
    case Qt::Key_Comma: return VK_DECIMAL;
    case Qt::Key_Slash: return VK_DIVIDE;
    default: return 0;
    }
}

void AppendAnsi(std::vector<unsigned char>& out, const QString& text) {
    for (uint cp : text.toUcs4())
        if (const auto byte = win::UnicodeToCp1252(static_cast<char32_t>(cp))) out.push_back(*byte);
}

}  // namespace

int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (const int vk = KeypadKey(qtKey)) return vk;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return VK_F1 + (qtKey - Qt::Key_F1);
    for (const auto& [qt, vk] : kNamedKeys)
        if (qt == qtKey) return vk;
    return 0;
}

int ShiftStateOf(Qt::KeyboardModifiers modifiers) {
    int state = 0;
    if (modifiers & Qt::ShiftModifier) state |= kShiftMask;
    if (modifiers & Qt::ControlModifier) state |= kCtrlMask;
    if (modifiers & Qt::AltModifier) state |= kAltMask;
    return state;
}

std::vector<unsigned char> CharactersOfKey(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    if (mods & Qt::AltModifier) return {};
    const int key = event.key();
    switch (key) {
    case Qt::Key_Backspace: return {static_cast<unsigned char>((mods & Qt::ControlModifier) ? 0x7F : 0x08)};
    case Qt::Key_Tab: return {0x09};
    case Qt::Key_Backtab: return {0x09};
    case Qt::Key_Return:
    case Qt::Key_Enter: return {static_cast<unsigned char>((mods & Qt::ControlModifier) ? 0x0A : 0x0D)};
    case Qt::Key_Escape: return {0x1B};
    default: break;
    }
    if (mods & Qt::ControlModifier) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return {static_cast<unsigned char>(1 + (key - Qt::Key_A))};
        if (key == Qt::Key_BracketLeft) return {0x1B};
        if (key == Qt::Key_Backslash) return {0x1C};
        if (key == Qt::Key_BracketRight) return {0x1D};
        return {};
    }
    std::vector<unsigned char> out;
    AppendAnsi(out, event.text());
    // Qt reports the text of keys without a character (arrows, F-keys) as empty; control
    // characters in the text other than the ones above do not make a character message.
    std::erase_if(out, [](unsigned char c) { return c < 0x20 || c == 0x7F; });
    return out;
}

std::vector<unsigned char> CharactersOfText(const QString& text) {
    std::vector<unsigned char> out;
    AppendAnsi(out, text);
    return out;
}

int MouseFlagsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    int flags = 0;
    if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

int ButtonNumberOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

}  // namespace ctl
