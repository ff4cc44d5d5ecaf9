// CZMEditControl<Self>: the members every edit control of the library shares, written once.
//
// An edit control is `class CZMxxxCtrl : public CZMEditControl<CZMxxxCtrl>` (the numeric fields
// through CZMNumberControl, the date and time fields through CZMDateTimeField): a control over the
// bound-control base (the control base with the data-binding base, answered from the same
// object) and, as its second base, the edit engine, whose control side (ZMEditControlSide) it is.
// This template supplies
//   1. the control side the engine asks through, each operation handed to the control base
//      (window, colours, font, caret, capture, timers, events at the control's own DISPIDs);
//   2. the message forwarders: characters and key presses go to the engine alone (so KeyDown
//      and KeyPress fire once, from the engine), the other messages to the engine and then to
//      the base, in the order the engine's rules expect;
//   3. the font properties (FontName, FontBold, FontItalic, FontSize, FontUnderline,
//      FontStrikeThru) and ToolTip, added to a control's dispatch table by the Add* helpers in
//      the control's own order, so their DISPIDs follow each control's table;
//   4. the binding state (the DataField text, the stored cursor) with the binding operations
//      that read it, the About box, the per-property browsing, and the start of every field's
//      property exchange and reset.
// Self supplies GetText() and PutText(), the text the binding exchanges, and is its engine's
// value rules (ZMValueRules), which its family implements and hands the engine; it supplies its
// own properties, persistence and reset.
#pragma once

#include <QCursor>
#include <QGuiApplication>
#include <functional>
#include <memory>
#include <optional>

#include "platform/com/cursor.h"
#include "platform/ctl/control.h"
#include "platform/ctl/text_metrics.h"
#include "platform/ctl/tooltip.h"
#include "platform/win/cp1252.h"
#include "zmtext/engine/edit_engine.h"
#include "zmtext/engine/font_members.h"
#include "zmtext/module/about.h"
#include "zmtext/module/bound_control.h"

namespace zmtext {

// The DISPIDs a control gives its events and bound properties (0: the control has none).
struct ZMEditControlIds {
    com::DispId change = 0;
    com::DispId endOfLine = 0;
    com::DispId invalidKey = 0;
    com::DispId invalid = 0;
    com::DispId outOfRange = 0;
    com::DispId rawData = 0;   // reported with the binding's DataChanged, and for DataProperty 1
    com::DispId value = 0;     // reported for DataProperty 2
    com::DispId toolTip = 0;
    com::DispId fontName = 0, fontBold = 0, fontItalic = 0, fontSize = 0, fontUnderline = 0,
                fontStrikeThru = 0;
};

template <class C>
class ZMEditMembers;

template <class Self>
class CZMEditControl : public ZMBoundControl<Self>, public CZMEditEngine, public ZMEditControlSide {
    using Base = ZMBoundControl<Self>;
    using Table = com::DispatchTable<Self>;
    using Args = typename Table::Args;
    using Fonts = ZMFontMembers<Self>;
    // The shared dispatch builders reach the field's state.
    friend class ZMEditMembers<Self>;

public:
    // Where the field's notifications to its parent go (EN_* codes); nothing by default, as no
    // container here listens to them.
    void SetParentNotificationHook(std::function<void(int)> hook) { parentHook_ = std::move(hook); }

    // --- 1. The engine's control side, through the control base ---------------------------------
    bool GetEnabled() const override { return ctl::ControlBase::GetEnabled(); }
    bool HasWindow() const override { return this->Window() != nullptr; }
    bool AmbientUserMode() const override { return ctl::ControlBase::AmbientUserMode(); }
    com::OleColor GetBackColor() const override { return ctl::ControlBase::GetBackColor(); }
    com::OleColor GetForeColor() const override { return ctl::ControlBase::GetForeColor(); }
    void SetBackColor(com::OleColor c) override { ctl::ControlBase::SetBackColor(c); }
    void SetForeColor(com::OleColor c) override { ctl::ControlBase::SetForeColor(c); }
    ctl::Rect GetClientRect() const override { return ctl::ControlBase::GetClientRect(); }
    QSize GetControlSize() const override { return ctl::ControlBase::GetControlSize(); }
    // The text area inside the border (the whole control without one); a given rectangle is
    // clipped to it first.
    void InvalidateField(const ctl::Rect* r = nullptr) override {
        ctl::Rect area = InnerRect(GetClientRect());
        if (r) area = r->Intersected(area);
        if (!area.IsEmpty()) this->InvalidateControl(&area);
    }
    void NotifyBoundProperty() override {
        const com::DispId id = DataProperty == 0 ? com::DISPID_TEXT
                             : DataProperty == 1 ? ids_.rawData
                             : DataProperty == 2 ? ids_.value : 0;
        if (id != 0) this->BoundPropertyChanged(id);
    }
    void SetDataChanged() override {
        if (ids_.rawData != 0) this->BoundPropertyChanged(ids_.rawData);
        ADBHelper::SetDataChanged(true);
    }
    // What the binding exchanges follows DataProperty.
    ZMValueKind GetValueKind() override { return static_cast<ZMValueKind>(DataProperty); }
    void FireChange() override { FireIfDeclared(ids_.change); }
    void FireKeyDown(std::int16_t& key, std::int16_t shift) override { ctl::ControlBase::FireKeyDown(key, shift); }
    void FireEndOfLine() override { FireIfDeclared(ids_.endOfLine); }
    void FireInvalidKey(std::int16_t& ch) override {
        if (ids_.invalidKey != 0) this->FireEvent(ids_.invalidKey, {com::Variant::RefI2(&ch)});
    }
    void FireKeyPress(std::int16_t& ch) override { ctl::ControlBase::FireKeyPress(ch); }
    void FireInvalid(std::int32_t hwnd) override { FireIfDeclared(ids_.invalid, hwnd); }
    void FireOutOfRange(std::int32_t hwnd) override { FireIfDeclared(ids_.outOfRange, hwnd); }
    bool HasFont() const override { return true; }
    com::FontDesc GetFontDesc() const override { return this->InternalGetFont().Desc(); }
    void SetFontDesc(const com::FontDesc& desc) override { ctl::ControlBase::SetFontDesc(desc); }
    const ctl::TextMetrics& FieldMetrics() const override {
        // Without a GUI application (a control made only to be saved or registered) no font can
        // be measured; a fixed measure keeps the layout defined.
        static const ctl::FixedTextMetrics withoutGui(8, 13);
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return withoutGui;
        const com::FontDesc& desc = this->InternalGetFont().Desc();
        if (!metrics_ || metricsFont_ != desc) {
            metrics_ = std::make_unique<ctl::QtTextMetrics>(ctl::ToQFont(desc));
            metricsFont_ = desc;
        }
        return *metrics_;
    }
    QFont FieldFont() const override { return this->CurrentFont(); }
    bool WindowHasFocus() const override { return this->HasFocus(); }
    bool WindowHasCapture() const override { return this->HasCapture(); }
    void CaptureMouse() override { this->SetCapture(); }
    void ReleaseMouse() override { this->ReleaseCapture(); }
    void CreateFieldCaret(int width, int height) override { this->CreateCaret(width, height); }
    void DestroyFieldCaret() override { this->DestroyCaret(); }
    void ShowFieldCaret() override { this->ShowCaret(); }
    void HideFieldCaret() override { this->HideCaret(); }
    void PlaceFieldCaret(int x, int y) override { this->SetCaretPos(x, y); }
    void StartTimer(int id, int milliseconds) override { this->SetTimer(id, milliseconds); }
    void StopTimer(int id) override { this->KillTimer(id); }
    QPoint CursorClientPos() const override {
        return this->Window() ? this->Window()->mapFromGlobal(QCursor::pos()) : QPoint(-1, -1);
    }
    bool CreateToolTipWindow(QPoint clientPoint, const std::string& text) override {
        if (!this->Window()) return false;
        return toolTip_.Show(this->Window(), text, this->Window()->mapToGlobal(clientPoint)) != nullptr;
    }
    void DestroyToolTipWindow() override { toolTip_.Hide(); }
    const ctl::ToolTipWindow* ShownToolTip() const { return toolTip_.Window(); }
    int TrackContextMenu(const std::vector<ctl::MenuItem>& items, QPoint clientPoint) override {
        return this->TrackPopupMenu(items, clientPoint);
    }
    void SetFieldCursor(const QCursor* cursor) override {
        this->SetCursorShape(cursor ? std::optional<QCursor>(*cursor) : std::nullopt);
    }
    void SendParentNotification(int code) override {
        if (parentHook_) parentHook_(code);
    }
    com::ComPtr<com::IDispatch> GetExtender() const override { return this->GetExtendedControl(); }
    std::vector<com::ComPtr<com::IUnknown>> GetContainerObjects() const override {
        return this->ContainerObjects();
    }

    // --- 2. Messages ---------------------------------------------------------------------------
    void OnKeyDown(int key, int shift) override { HandleKeyDown(key, shift); }
    void OnChar(unsigned char ch) override { HandleChar(ch); }
    void OnSysKeyDown(int key, int shift) override {
        HandleSysKeyDown(key, shift);
        ctl::ControlBase::OnSysKeyDown(key, shift);
    }
    void OnSetFocus() override {
        ctl::ControlBase::OnSetFocus();
        HandleSetFocus();
    }
    void OnKillFocus(QWidget* gaining, bool sameTopLevel) override {
        const bool toParent = gaining && this->Window() && gaining == this->Window()->parentWidget();
        HandleKillFocus(gaining ? ctl::HandleOfWidget(gaining) : 0, toParent, sameTopLevel);
        ctl::ControlBase::OnKillFocus(gaining, sameTopLevel);
    }
    void OnButtonDown(int button, int flags, QPoint p) override {
        if (button == 1) HandleLButtonDown(flags, p);
        else HandleOtherButtonDown();
        ctl::ControlBase::OnButtonDown(button, flags, p);
    }
    void OnButtonUp(int button, int flags, QPoint p) override {
        if (button == 1) HandleLButtonUp();
        else if (button == 2) ShowContextMenu(p);
        ctl::ControlBase::OnButtonUp(button, flags, p);
    }
    void OnButtonDblClk(int button, int flags, QPoint p) override {
        if (button == 1) HandleLButtonDblClk(flags, p);
        ctl::ControlBase::OnButtonDblClk(button, flags, p);
    }
    void OnMouseMove(int flags, QPoint p) override {
        HandleMouseMove(flags, p);
        ctl::ControlBase::OnMouseMove(flags, p);
    }
    void OnSetCursor() override {
        if (!CZMEditEngine::OnSetCursor(true)) this->SetCursorShape(std::nullopt);
    }
    void OnEraseBackground(QPainter& p, const ctl::Rect& invalid) override { ZMFillBackground(p, invalid); }
    void OnTimer(int id) override {
        if (id != 1) return;
        this->KillTimer(1);
        ZMToolTipTimerCheck();
    }
    void OnCancelMode() override {
        if (ToolTipState != 0) ZMCancelToolTip();
    }
    bool WantsKey(int key, int) override { return PreTranslateKey(key); }
    // A tip or its wait ends with the window, whoever takes the window away.
    com::HResult DestroyControlWindow() override {
        if (ToolTipState != 0) ZMCancelToolTip();
        return Base::DestroyControlWindow();
    }
    void OnWindowDestroyed() override {
        toolTip_.Hide();
        ToolTipState = 0;
        ctl::ControlBase::OnWindowDestroyed();
    }

    void OnDraw(QPainter& p, const ctl::Rect& bounds, const ctl::Rect& invalid) override {
        ZMPaintField(p, bounds, invalid);
    }
    bool OnSetExtent(QSize size) override {
        ComputeTextMetricsFor(size);
        return true;
    }
    void OnFontChanged() override {
        ComputeTextMetrics();
        if (WindowHasFocus()) PlaceFieldCaret(CaretX(CurPos), StartText.y);
        InvalidateField();
        ctl::ControlBase::OnFontChanged();
    }
    void OnEnabledChanged() override { InvalidateField(); }

    // --- 3. Shared properties ------------------------------------------------------------------
    static void AddFontName(Table& t) { Fonts::AddFontName(t, [](const Self& c) { return c.ids_.fontName; }); }
    static void AddFontBold(Table& t) {
        Fonts::AddFontFlag(t, ZMFontFlag::Bold, [](const Self& c) { return c.ids_.fontBold; });
    }
    static void AddFontItalic(Table& t) {
        Fonts::AddFontFlag(t, ZMFontFlag::Italic, [](const Self& c) { return c.ids_.fontItalic; });
    }
    static void AddFontUnderline(Table& t) {
        Fonts::AddFontFlag(t, ZMFontFlag::Underline, [](const Self& c) { return c.ids_.fontUnderline; });
    }
    static void AddFontStrikeThru(Table& t) {
        Fonts::AddFontFlag(t, ZMFontFlag::StrikeThru, [](const Self& c) { return c.ids_.fontStrikeThru; });
    }
    static void AddFontSize(Table& t) { Fonts::AddFontSize(t, {}, [](const Self& c) { return c.ids_.fontSize; }); }
    static void AddToolTip(Table& t) {
        t.Property("ToolTip", com::VT_BSTR, {}, [](Self& c, Args) { return com::Variant::Utf8(win::Cp1252ToUtf8(c.ToolTip)); },
                   [](Self& c, Args, const com::Variant& v) {
                       c.ToolTip = TextOf(v);
                       if (c.ToolTipState != 0) c.ZMCancelToolTip();
                       c.BoundPropertyChanged(c.ids_.toolTip);
                       c.SetModifiedFlag();
                   });
    }

    // --- 4. Binding, About box, browsing ---------------------------------------------------------
    com::Bstr GetDataField() override { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(DataField)); }
    com::ICursor* GetCursor() override { return cursor_.Get(); }
    void SetCursor(com::ICursor* cursor) override { cursor_ = com::ComPtr<com::ICursor>(cursor); }
    com::Bstr GetBoundText() override { return com::Bstr::FromUtf8(win::Cp1252ToUtf8(self().GetText())); }
    void SetBoundText(const std::string& cp1252) override { self().PutText(cp1252); }
    // The library's About box for the field's kind.
    void OnAboutBox() override { ZMShowAboutBox(this->Window(), this->GetFieldKind()); }
    // The DataField property's predefined strings: the bound cursor's column names.
    std::vector<std::string> DataFieldChoices() {
        if (com::Failed(this->LoadColumnNames(dataSourceId_))) return {};
        return this->ColumnNames();
    }

    // Per-property browsing: MouseIcon, the colours and Font on the stock pages; BorderStyle
    // shown by the name of its value; DataField offering the bound cursor's columns, each
    // standing for its own name.
    bool OnMapPropertyToPage(com::DispId id, com::Guid& page) override {
        return ctl::ControlBase::StockPropertyPage(id, MemberId("MouseIcon"), page);
    }
    bool OnGetDisplayString(com::DispId id, std::string& text) override {
        return id == com::DISPID_BORDERSTYLE && ctl::ControlBase::BorderStyleDisplayString(this->BorderStyle, text);
    }
    bool OnGetPredefinedStrings(com::DispId id, std::vector<std::string>& texts,
                                std::vector<std::uint32_t>& cookies) override {
        if (id != MemberId("DataField")) return false;
        for (const std::string& name : DataFieldChoices()) {
            cookies.push_back(static_cast<std::uint32_t>(texts.size()));
            texts.push_back(win::Cp1252ToUtf8(name));
        }
        return true;
    }
    bool OnGetPredefinedValue(com::DispId id, std::uint32_t cookie, com::Variant& value) override {
        if (id != MemberId("DataField")) return false;
        const std::vector<std::string> names = this->ColumnNames();
        if (cookie >= names.size()) return false;
        value = com::Variant::Utf8(win::Cp1252ToUtf8(names[cookie]));
        return true;
    }

protected:
    // `dataSourceId`: the DISPID of the field's DataSource property.
    CZMEditControl(const ctl::ControlClassInfo& info, const ZMEditControlIds& ids, com::DispId dataSourceId = 0)
        : Base(info), ids_(ids), dataSourceId_(dataSourceId) {
        this->SetControlSide(*this);
    }
    ~CZMEditControl() override { this->UnadviseCursor(); }

    const ZMEditControlIds& Ids() const { return ids_; }

    // A rebuilt display text: stored, the binding flag set and Text announced when it changed.
    void StoreText(std::string text) {
        if (text == this->Text) return;
        this->Text = std::move(text);
        this->ADBHelper::SetDataChanged(true);
        this->BoundPropertyChanged(com::DISPID_TEXT);
    }
    // The start of every field's property exchange: the set's version, the control base's
    // properties and the engine's common ones.
    void ExchangeFieldProps(com::PropExchange& px) {
        px.ExchangeVersion(kPropertyVersion);
        ctl::ControlBase::DoPropExchange(px);
        this->ExchangeCommonProps(px);
    }
    // The start of every field's reset: the control base's and the engine's defaults.
    void ResetFieldState() {
        ctl::ControlBase::OnResetState();
        this->ResetCommonDefaults();
    }

    std::string DataField;
    com::ComPtr<com::ICursor> cursor_;

private:
    static constexpr std::uint32_t kPropertyVersion = 0x00040001;

    Self& self() { return static_cast<Self&>(*this); }
    // The DISPID of one of the field's own members (each field numbers them its own way).
    static com::DispId MemberId(std::string_view name) {
        for (const auto& m : Self::DispatchMembers().Members())
            if (m.name == name) return m.id;
        return com::DISPID_UNKNOWN;
    }

    static std::string TextOf(const com::Variant& v) {
        com::Variant s;
        if (com::Failed(com::ChangeType(s, v, com::VT_BSTR))) return {};
        return win::Utf8ToCp1252(s.AsStr().ToUtf8());
    }
    void FireIfDeclared(com::DispId id) {
        if (id != 0) this->FireEvent(id);
    }
    void FireIfDeclared(com::DispId id, std::int32_t hwnd) {
        if (id != 0) this->FireEvent(id, {com::Variant::I4(hwnd)});
    }

    ZMEditControlIds ids_;
    com::DispId dataSourceId_;
    std::function<void(int)> parentHook_;
    ctl::ToolTipHolder toolTip_;
    mutable std::unique_ptr<ctl::QtTextMetrics> metrics_;
    mutable com::FontDesc metricsFont_;
};

}  // namespace zmtext
