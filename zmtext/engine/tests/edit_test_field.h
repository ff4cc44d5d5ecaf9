// A minimal edit field on the engine, for the engine's tests: a masked text field without any
// window. It is neither registered nor shipped.
//
// Mask language: "#" digit, blank, "-" or "."; "%" digit; "U" letter stored upper-case; "L"
// letter stored lower-case; "?" a character of the character table; "*" anything; "\" makes the
// next character a literal. Without a mask the field takes `maxLength` characters (256: no
// limit). Every call the engine makes of its control is recorded, so tests can check the events
// in their order, the caret and the notifications.
#pragma once

#include <QCursor>
#include <QFont>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/ctl/text_metrics.h"
#include "platform/win/cp1252.h"
#include "zmtext/engine/edit_engine.h"

namespace zmtext::testing {

// An extender or sibling with a TabIndex that counts its SetFocus calls.
class FakeExtender final : public com::DispatchObject<FakeExtender> {
public:
    explicit FakeExtender(std::int32_t tabIndex) : tabIndex(tabIndex) {}
    static const com::DispatchMap& DispatchMembers() {
        static const com::DispatchTable<FakeExtender> table = [] {
            com::DispatchTable<FakeExtender> t("Extender");
            t.Property("TabIndex", com::VT_I4, {},
                       [](FakeExtender& e, com::DispatchMap::Args) { return com::Variant::I4(e.tabIndex); },
                       nullptr);
            t.Method("SetFocus", com::VT_EMPTY, {}, [](FakeExtender& e, com::DispatchMap::Args) {
                ++e.focusCalls;
                return com::Variant();
            });
            return t;
        }();
        return table.Map();
    }
    std::int32_t tabIndex;
    int focusCalls = 0;
};

class EditTestField : public CZMEditEngine {
public:
    EditTestField() : metrics_(8, 13, 1) {}

    // --- Set-up of a test ---
    void SetMask(std::string mask) { Mask = std::move(mask); }
    void SetData(std::string raw) {
        RawData = std::move(raw);
        FormatText();
    }
    void SetKind(int kind) { kind_ = kind; }
    void SetFlags(bool readOnly, bool autoScroll = true, bool eolTab = false) {
        ReadOnly = readOnly;
        AutoScroll = autoScroll;
        EOLTab = eolTab;
    }
    void SetDataProperty(std::int16_t v) { DataProperty = v; }
    void SetFocusSelect(bool v) { FocusSelect = v; }
    void SetHideSelection(bool v) { HideSelection = v; }
    void SetJustification(std::int16_t v) { Justification = v; }
    void SetBorder(std::int16_t style, std::int16_t effect) {
        BorderStyle = style;
        BorderEffect = effect;
        ApplyBorderLayout();
    }
    void SetErrorBeep(bool v) { ErrorBeep = v; }
    void SetToolTip(std::string t) { ToolTip = std::move(t); }
    void SetDataReadOnly(bool v) { DataReadOnly = v; }
    int maxLength = 256;
    bool useFillChar = true;
    std::string characterTable;
    char passwordChar = '\0';
    bool userMode = true;
    bool enabled = true;
    QSize size{200, 24};
    std::uint32_t backColor = 0x80000005u, foreColor = 0x80000008u;

    // Focus as the window would deliver it.
    void Focus() {
        hasFocus = true;
        HandleSetFocus();
    }
    void Blur(std::int32_t gaining = 77, bool parent = false, bool sameTop = true) {
        hasFocus = false;
        HandleKillFocus(gaining, parent, sameTop);
    }
    std::string Events() const {
        std::string all;
        for (const auto& e : events) all += e + ";";
        return all;
    }

    // --- Recorded ---
    std::vector<std::string> events;
    std::vector<int> notifications;
    bool hasFocus = false;
    bool capture = false;
    int caretWidth = 0, caretX = -1, caretY = -1, caretCreates = 0;
    bool caretShown = false;
    int timerId = 0, timerMs = 0;
    QPoint cursorPos{5, 5};
    int tipsShown = 0;
    bool tipFails = false;
    int menuPick = 0;
    int invalidations = 0;
    int dataChanged = 0;
    std::int16_t keyDownReplacement = -1;   // >= 0: the KeyDown handler changes the key to it
    std::int16_t keyPressReplacement = -1;
    com::ComPtr<FakeExtender> extender;
    std::vector<com::ComPtr<FakeExtender>> siblings;
    std::string undoCopy;

    // --- The control's operations ---
    int GetFieldKind() const override { return kind_; }
    int CopyText() override {
        FormatText();
        DisplayBuffer.Assign(Text);
        return 0;
    }
    void FormatText() override {
        RebuildDisplayFromPattern();
    }
    bool IsValidKey() override;
    bool IsValidValue() override {
        return Mask.empty() || static_cast<int>(RawData.size()) >= GetMaxLength();
    }
    bool IsInRange() override { return inRange; }
    int GetPattern() override;
    void SaveUndo() override { undoCopy = RawData.substr(0, kZMMaxPositions); }
    bool Undo() override {
        if (undoCopy != RawData) RawData = undoCopy;
        CurPos = std::min(CurPos, static_cast<int>(RawData.size()));
        Modified = false;
        SetDataChanged();
        FormatText();
        InvalidateField();
        return true;
    }
    bool SetTextValue(std::string_view text) override {
        if (RawData == text) return false;
        RawData = std::string(text);
        return true;
    }
    int SetRawDataText(std::string_view text) override {
        if (RawData == text) return 1;
        RawData = std::string(text);
        FormatRawData();
        FormatText();
        return 2;
    }
    char ConvertCase(char ch) override { return ch; }
    int GetMaxLength() override {
        return maxLength != 0 && maxLength < MaxDataChars ? maxLength : MaxDataChars;
    }
    int GetDisplayLength(int patternLength, int dataLength) override {
        return Mask.empty() && maxLength == 256 ? dataLength : patternLength;
    }
    bool GetEnabled() const override { return enabled; }
    bool HasWindow() const override { return true; }
    bool AmbientUserMode() const override { return userMode; }
    std::uint32_t GetBackColor() const override { return backColor; }
    std::uint32_t GetForeColor() const override { return foreColor; }
    void SetBackColor(std::uint32_t c) override { backColor = c; }
    void SetForeColor(std::uint32_t c) override { foreColor = c; }
    char GetDisplayFillChar() override { return useFillChar ? FillChar : ' '; }
    char GetPasswordChar() override { return passwordChar; }
    ctl::Rect GetClientRect() const override { return {0, 0, size.width(), size.height()}; }
    void InvalidateField(const ctl::Rect* = nullptr) override { ++invalidations; }
    void NotifyBoundProperty() override { events.push_back("Bound"); }
    void SetDataChanged() override { ++dataChanged; }
    void FireChange() override { events.push_back("Change"); }
    void FireKeyDown(std::int16_t& key, std::int16_t shift) override {
        events.push_back("KeyDown " + std::to_string(key) + "/" + std::to_string(shift));
        if (keyDownReplacement >= 0) key = keyDownReplacement;
    }
    void FireEndOfLine() override { events.push_back("EndOfLine"); }
    void FireInvalidKey(std::int16_t& ch) override { events.push_back("InvalidKey " + std::to_string(ch)); }
    void FireKeyPress(std::int16_t& ch) override {
        events.push_back("KeyPress " + std::to_string(ch));
        if (keyPressReplacement >= 0) ch = keyPressReplacement;
    }
    void FireInvalid(std::int32_t hwnd) override { events.push_back("Invalid " + std::to_string(hwnd)); }
    void FireOutOfRange(std::int32_t hwnd) override { events.push_back("OutOfRange " + std::to_string(hwnd)); }
    QSize GetControlSize() const override { return size; }
    bool HasFont() const override { return true; }
    com::FontDesc GetFontDesc() const override { return font; }
    void SetFontDesc(const com::FontDesc& desc) override { font = desc; }
    const ctl::TextMetrics& FieldMetrics() const override { return metrics_; }
    QFont FieldFont() const override { return QFont(QStringLiteral("DejaVu Sans Mono"), 9); }
    bool WindowHasFocus() const override { return hasFocus; }
    bool WindowHasCapture() const override { return capture; }
    void CaptureMouse() override { capture = true; }
    void ReleaseMouse() override { capture = false; }
    void CreateFieldCaret(int width, int) override {
        caretWidth = width;
        caretX = caretY = 0;
        caretShown = false;
        ++caretCreates;
    }
    void DestroyFieldCaret() override { caretWidth = 0; caretShown = false; }
    void ShowFieldCaret() override { caretShown = caretWidth > 0; }
    void HideFieldCaret() override { caretShown = false; }
    void PlaceFieldCaret(int x, int y) override {
        caretX = x;
        caretY = y;
    }
    void StartTimer(int id, int ms) override {
        timerId = id;
        timerMs = ms;
    }
    void StopTimer(int) override { timerId = timerMs = 0; }
    QPoint CursorClientPos() const override { return cursorPos; }
    bool CreateToolTipWindow(QPoint, const std::string&) override {
        if (tipFails) return false;
        ++tipsShown;
        return true;
    }
    void DestroyToolTipWindow() override { --tipsShown; }
    int TrackContextMenu(const std::vector<ctl::MenuItem>&, QPoint) override { return menuPick; }
    void SetFieldCursor(const QCursor*) override {}
    void SendParentNotification(int code) override { notifications.push_back(code); }
    com::ComPtr<com::IDispatch> GetExtender() const override { return extender; }
    std::vector<com::ComPtr<com::IUnknown>> GetContainerObjects() const override {
        std::vector<com::ComPtr<com::IUnknown>> all;
        for (const auto& s : siblings) all.emplace_back(s);
        return all;
    }

    bool inRange = true;
    com::FontDesc font;
    int CaretHeightNow() const { return CaretHeight; }
    int StartTextY() const { return StartText.y; }
    int StartTextX() const { return StartText.x; }
    const std::string& TextNow() const { return Text; }
    bool InsertMode() const { return Insert; }
    void PutCaret(int pos) { CurPos = HiAnchor = HiNew = pos; }
    void PutSelection(int anchor, int caret) {
        HiAnchor = anchor;
        HiNew = CurPos = caret;
    }

private:
    // The mask character of each display position ("\" pairs as one literal).
    std::vector<std::pair<char, bool>> MaskPositions() const;
    void RebuildDisplayFromPattern();

    int kind_ = kFieldText;
    ctl::FixedTextMetrics metrics_;
};

inline std::vector<std::pair<char, bool>> EditTestField::MaskPositions() const {
    std::vector<std::pair<char, bool>> out;
    for (std::size_t i = 0; i < Mask.size(); ++i) {
        if (Mask[i] == '\\' && i + 1 < Mask.size()) out.emplace_back(Mask[++i], false);
        else out.emplace_back(Mask[i], ZMFindChar("*%#UL?", Mask[i]) != 0);
    }
    return out;
}

inline int EditTestField::GetPattern() {
    PatternBuffer.Clear();
    if (Mask.empty()) {
        const int n = maxLength == 0 ? 256 : maxLength;
        for (int i = 0; i < n; ++i) PatternBuffer.Append(FillChar);
    } else {
        for (const auto& [c, placeholder] : MaskPositions()) PatternBuffer.Append(placeholder ? FillChar : c);
    }
    return PatternBuffer.Length();
}

inline void EditTestField::RebuildDisplayFromPattern() {
    RebuildDisplay();
    Text = std::string(DisplayBuffer.View());
}

inline bool EditTestField::IsValidKey() {
    const auto ch = static_cast<unsigned char>(TypedChar);
    if (Mask.empty()) return characterTable.empty() || ZMFindChar(characterTable, TypedChar) != 0;
    const auto positions = MaskPositions();
    std::size_t p = static_cast<std::size_t>(HiAnchor != HiNew ? std::min(HiAnchor, HiNew) : CurPos);
    while (p < positions.size() && !positions[p].second) ++p;
    if (p >= positions.size()) return false;
    const char m = positions[p].first;
    if (ch == ' ' && m != '?') return true;
    switch (m) {
    case '#': return (ch >= '0' && ch <= '9') || ch == '-' || ch == '.';
    case '%': return ch >= '0' && ch <= '9';
    case '?': return ZMFindChar(characterTable, TypedChar) != 0;
    case 'U':
    case 'L':
        if (!win::IsAlpha1252(ch)) return false;
        TypedChar = static_cast<char>(m == 'U' ? win::ToUpper1252(ch) : win::ToLower1252(ch));
        return true;
    default: return true;
    }
}

}  // namespace zmtext::testing
