// The engine tests' headless field: a minimal masked text field without any window. It is
// neither registered nor shipped.
#pragma once

#include <QCursor>
#include <QFont>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/ctl/text_metrics.h"
#include "platform/win/cp1252.h"
#include "zmtext/engine/edit_engine.h"
#include "zmtext/engine/tests/masked_test_rules.h"

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

// The headless field: the masked rules over the bare engine, with every call the engine makes
// of its control recorded, so tests can check the events in their order, the caret and the
// notifications.
class EditTestField : public MaskedRules<CZMEditEngine>, public ZMEditControlSide {
public:
    EditTestField() : metrics_(8, 13, 1) { SetControlSide(*this); }

    // --- Set-up of a test ---
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
    void SetMousePointer(std::int16_t v) { MousePointer = v; }
    void SetMouseIcon(com::PictureData p) { MouseIcon = std::move(p); }
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
    std::vector<ctl::MenuItem> menuShown;
    int invalidations = 0;
    int dataChanged = 0;
    std::int16_t keyDownReplacement = -1;   // >= 0: the KeyDown handler changes the key to it
    std::int16_t keyPressReplacement = -1;
    com::ComPtr<FakeExtender> extender;
    std::vector<com::ComPtr<FakeExtender>> siblings;
    com::FontDesc font;
    com::Blob importedFlags;

    // --- The control's side ---
    bool GetEnabled() const override { return enabled; }
    bool HasWindow() const override { return true; }
    bool AmbientUserMode() const override { return userMode; }
    com::OleColor GetBackColor() const override { return {backColor}; }
    com::OleColor GetForeColor() const override { return {foreColor}; }
    void SetBackColor(com::OleColor c) override { backColor = c.value; }
    void SetForeColor(com::OleColor c) override { foreColor = c.value; }
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
    void ImportOldProperties(const com::Blob& flags) override { importedFlags = flags; }
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
    void DestroyFieldCaret() override {
        caretWidth = 0;
        caretShown = false;
    }
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
    int TrackContextMenu(const std::vector<ctl::MenuItem>& items, QPoint) override {
        menuShown = items;
        return menuPick;
    }
    void SetFieldCursor(const QCursor* cursor) override { cursorShape = cursor ? cursor->shape() : Qt::BlankCursor; }
    Qt::CursorShape cursorShape = Qt::BlankCursor;
    void SendParentNotification(int code) override { notifications.push_back(code); }
    com::ComPtr<com::IDispatch> GetExtender() const override { return extender; }
    std::vector<com::ComPtr<com::IUnknown>> GetContainerObjects() const override {
        std::vector<com::ComPtr<com::IUnknown>> all;
        for (const auto& s : siblings) all.emplace_back(s);
        return all;
    }

    // --- Views of the state for the tests ---
    // The common flags as one text, for tables: "AS1 BE0 BS1 RO0 EOL0 EB0 FS0 INS1 J0 HS1 MP3 DP0".
    std::string Flags() const {
        auto b = [](bool v) { return v ? "1" : "0"; };
        return std::string("AS") + b(AutoScroll) + " BE" + std::to_string(BorderEffect) + " BS" +
               std::to_string(BorderStyle) + " RO" + b(ReadOnly) + " EOL" + b(EOLTab) + " EB" + b(ErrorBeep) +
               " FS" + b(FocusSelect) + " INS" + b(Insert) + " J" + std::to_string(Justification) + " HS" +
               b(HideSelection) + " MP" + std::to_string(MousePointer) + " DP" + std::to_string(DataProperty);
    }
    const std::string& MaskNow() const { return Mask; }
    const com::PictureData& MouseIconNow() const { return MouseIcon; }
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
    ctl::FixedTextMetrics metrics_;
};

}  // namespace zmtext::testing
