// The base of every control: a component object whose window is a Qt widget.
//
// A control is created before any window exists. The host gives it a client site, resets or
// loads its properties, and then asks for its window (IControl). Everything a control does on
// screen goes through its window's messages (ControlWindow) and through OnDraw, which also draws
// into a picture or image target without a window.
//
// The base offers what the controls' code expects of its class library:
//   - drawing: OnDraw(painter, bounds, invalid), InvalidateControl, OnDrawMetafile;
//   - events: FireEvent by DISPID with arguments (by-reference ones let a handler change a value),
//     and the stock events Click, DblClick, KeyDown, KeyPress, KeyUp, MouseDown, MouseMove and
//     MouseUp, fired by the default message handlers when the class declares them;
//   - stock properties at their DISPIDs (BackColor -501, ForeColor -513, Enabled -514,
//     hWnd -515, Font -512, BorderStyle -504, Text -517, Caption -518, AboutBox -552), added to a
//     class's dispatch table by AddStockMembers, with OLE-colour translation;
//   - ambient properties of the host (UserMode, DisplayName, BackColor, ForeColor, Font), the
//     extender and the sibling objects of the container;
//   - errors raised with a status, a string-table id and a help context;
//   - the modified flag, reset to defaults, size and extent, property exchange with a bag;
//   - the caret, timers, capture and cursor of its window, the popup menu and the string table.
//
// Default message handlers (what a derived control's handler calls as "the base"):
//   key down and system key down fire KeyDown (key by reference, shift state); a character
//   fires KeyPress (character by reference); key up fires KeyUp. A button press takes the
//   capture and fires MouseDown (button, shift, x, y); its release fires MouseUp and then Click
//   when the press was in this window, the release lies inside it and it did not end a double
//   click; the last release frees the capture. A double click fires DblClick in place of the
//   second MouseDown. A move fires MouseMove with the buttons held.
#pragma once

#include <QCursor>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/com/connection.h"
#include "platform/com/propexchange.h"
#include "platform/ctl/colors.h"
#include "platform/ctl/control_window.h"
#include "platform/ctl/font_picture.h"
#include "platform/ctl/interfaces.h"
#include "platform/ctl/resources.h"

namespace ctl {

enum StockProperty : unsigned {
    kStockBackColor = 1u << 0,
    kStockForeColor = 1u << 1,
    kStockEnabled = 1u << 2,
    kStockHwnd = 1u << 3,
    kStockFont = 1u << 4,
    kStockBorderStyle = 1u << 5,
    kStockText = 1u << 6,
    kStockCaption = 1u << 7,
    kStockAboutBox = 1u << 8,
};

enum StockEvent : unsigned {
    kEventClick = 1u << 0,
    kEventDblClick = 1u << 1,
    kEventKeyDown = 1u << 2,
    kEventKeyPress = 1u << 3,
    kEventKeyUp = 1u << 4,
    kEventMouseDown = 1u << 5,
    kEventMouseMove = 1u << 6,
    kEventMouseUp = 1u << 7,
    kAllStockEvents = 0xFFu,
};

// What a control class declares once.
struct ControlClassInfo {
    Guid clsid;
    Guid dispIid;
    Guid eventIid;
    unsigned stockProperties = 0;
    unsigned stockEvents = 0;
    std::uint32_t miscStatus = 0;
    std::vector<Guid> propertyPages;
    const ResourceTable* resources = nullptr;
    std::string helpFile;   // the library's help file, for errors
};

class ControlBase : public MessageHandler {
public:
    explicit ControlBase(const ControlClassInfo& info);
    ~ControlBase() override;
    ControlBase(const ControlBase&) = delete;
    ControlBase& operator=(const ControlBase&) = delete;

    const ControlClassInfo& ClassInfo() const { return info_; }

    // --- Drawing -----------------------------------------------------------------------------
    virtual void OnDraw(QPainter& painter, const Rect& bounds, const Rect& invalid);
    // Drawing into a picture or printer target: by default the control is drawn into an image
    // of its size (background first) and the image is drawn into `bounds`.
    virtual void OnDrawMetafile(QPainter& painter, const Rect& bounds);
    // Repaints `r` (window coordinates), or the whole control.
    void InvalidateControl(const Rect* r = nullptr);
    // Draws the control as into a metafile.
    void DrawInto(QPainter& painter, const Rect& bounds);

    // --- Events ------------------------------------------------------------------------------
    com::EventSource& Events() { return events_; }
    void FireEvent(DispId id, std::vector<Variant> args = {});
    void FireClick();
    void FireDblClick();
    void FireKeyDown(std::int16_t& key, std::int16_t shift);
    void FireKeyUp(std::int16_t& key, std::int16_t shift);
    void FireKeyPress(std::int16_t& ch);
    void FireMouseDown(std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y);
    void FireMouseUp(std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y);
    void FireMouseMove(std::int16_t button, std::int16_t shift, std::int32_t x, std::int32_t y);
    void BoundPropertyChanged(DispId id) { events_.BoundPropertyChanged(id); }
    bool BoundPropertyRequestEdit(DispId id) { return events_.BoundPropertyRequestEdit(id); }

    // --- Errors ------------------------------------------------------------------------------
    // Fails the dispatch call in progress with `scode`, the text of string `stringId` and the
    // library's help file and `helpContext`.
    [[noreturn]] void ThrowError(HResult scode, int stringId, std::uint32_t helpContext = 0) const;
    [[noreturn]] static void SetNotSupported();   // 383
    [[noreturn]] static void GetNotSupported();   // 394

    // --- Modified flag, persistence ----------------------------------------------------------
    void SetModifiedFlag(bool modified = true) { modified_ = modified; }
    bool IsModified() const { return modified_; }
    // The control's properties, once for loading and saving alike; the base exchanges the
    // extent and the declared stock properties.
    virtual void DoPropExchange(com::PropExchange& px);
    void ExchangeExtent(com::PropExchange& px);
    void ExchangeStockProps(com::PropExchange& px);
    // Loading a set of the older format: its separate font properties into `desc`.
    static void ConvertOldFormatFont(com::PropExchange& px, com::FontDesc& desc);
    // A new control's defaults: the base exchanges from an empty bag, so every property takes
    // its default (the stock ones from the ambients).
    virtual void OnResetState();
    HResult LoadProperties(const com::PropertyBag& bag);
    HResult SaveProperties(com::PropertyBag* bag, bool clearDirty);
    HResult ResetProperties();

    // --- Ambients, extender, siblings -----------------------------------------------------
    IClientSite* ClientSite() const { return site_.Get(); }
    void SetSite(ComPtr<IClientSite> site);
    std::optional<Variant> GetAmbient(DispId id) const;
    bool AmbientUserMode() const;
    std::string AmbientDisplayName() const;   // cp1252
    com::OleColor AmbientBackColor() const;
    com::OleColor AmbientForeColor() const;
    com::FontDesc AmbientFont() const;
    virtual void OnAmbientChanged(DispId) {}
    ComPtr<com::IDispatch> GetExtendedControl() const;
    std::vector<ComPtr<com::IUnknown>> ContainerObjects() const;

    // --- Stock properties ---------------------------------------------------------------------
    com::OleColor GetBackColor() const { return backColor_; }
    void SetBackColor(com::OleColor c);
    com::OleColor GetForeColor() const { return foreColor_; }
    void SetForeColor(com::OleColor c);
    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::int32_t GetHwnd() const;
    FontObject& InternalGetFont() { return *font_; }
    const FontObject& InternalGetFont() const { return *font_; }
    ComPtr<FontObject> FontDispatch() const { return font_; }
    QFont CurrentFont() const { return ToQFont(font_->Desc()); }
    void SetFontDesc(const com::FontDesc& desc) { font_->SetDesc(desc); }
    std::int16_t GetBorderStyle() const { return borderStyle_; }
    void SetBorderStyle(std::int16_t style);
    const std::string& InternalGetText() const { return text_; }   // cp1252, Text and Caption
    void SetText(std::string cp1252);
    static ColorRef TranslateColor(com::OleColor c) { return ctl::TranslateColor(c.value); }

    // How every property setter of a control ends once its value is known to be valid: the
    // container may refuse the edit (the set then fails with 383 and nothing changes), `store`
    // keeps the value, the control is marked modified, `changed` lets it react (repaint, resize
    // its window) and the container is told that property `id` changed.
    template <class Store, class Changed>
    void ChangeProperty(DispId id, Store&& store, Changed&& changed) {
        if (!BoundPropertyRequestEdit(id)) SetNotSupported();
        store();
        SetModifiedFlag();
        changed();
        BoundPropertyChanged(id);
    }
    virtual void OnBackColorChanged() { InvalidateControl(); }
    virtual void OnForeColorChanged() { InvalidateControl(); }
    virtual void OnEnabledChanged() { InvalidateControl(); }
    virtual void OnFontChanged() { InvalidateControl(); }
    virtual void OnBorderStyleChanged() { InvalidateControl(); }
    virtual void OnTextChanged() { InvalidateControl(); }
    virtual void OnAboutBox() {}
    // --- Per-property browsing (what a property browser asks; nothing by default) ------------
    // The text shown for property `id`'s value; false when it has none of its own.
    virtual bool OnGetDisplayString(DispId, std::string& /*utf8*/) { return false; }
    // The page that edits property `id`; false when none.
    virtual bool OnMapPropertyToPage(DispId, Guid&) { return false; }
    // The values offered in a list for property `id`, each a text and a cookie; false when none.
    virtual bool OnGetPredefinedStrings(DispId, std::vector<std::string>&, std::vector<std::uint32_t>&) {
        return false;
    }
    // The value a cookie of that list stands for; false for a cookie not offered.
    virtual bool OnGetPredefinedValue(DispId, std::uint32_t, Variant&) { return false; }
    // Helpers for those hooks: the stock picture page for `pictureId`, the stock colour page for
    // BackColor and ForeColor, the stock font page for Font; and the two values of a BorderStyle,
    // shown as "None" and "Fixed Single".
    static bool StockPropertyPage(DispId id, DispId pictureId, Guid& page);
    static bool BorderStyleDisplayString(std::int16_t value, std::string& text);
    static void BorderStyleStrings(std::vector<std::string>& texts, std::vector<std::uint32_t>& cookies);
    static bool BorderStyleValue(std::uint32_t cookie, Variant& value);

    // The control information its container routes (a label's access key); none by default.
    virtual std::vector<Accelerator> OnGetControlInfo() const { return {}; }
    virtual void OnMnemonicPressed(const Accelerator&) {}

    // --- Size and window ---------------------------------------------------------------------
    QSize GetControlSize() const { return size_; }
    bool SetControlSize(QSize size);
    void SetInitialSize(QSize size) { size_ = size; }
    // The control's rectangle in its container (its window's geometry, or its extent at 0, 0).
    Rect GetRectInContainer() const;
    Rect GetClientRect() const { return {0, 0, size_.width(), size_.height()}; }
    virtual bool OnSetExtent(QSize) { return true; }
    HResult CreateWindowIn(QWidget* parent, const Rect& rect);
    HResult DestroyWindow();
    ControlWindow* Window() const { return window_.get(); }
    bool HasFocus() const;

    // Window services; each does nothing (false) without a window.
    bool CreateCaret(int width, int height);
    bool SetCaretPos(int x, int y);
    bool ShowCaret();
    bool HideCaret();
    bool DestroyCaret();
    bool SetTimer(int id, int milliseconds);
    bool KillTimer(int id);
    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const;
    void SetCursorShape(const std::optional<QCursor>& cursor);
    // A popup menu at a point of the window; the command picked, or 0.
    int TrackPopupMenu(const std::vector<MenuItem>& items, QPoint clientPoint);

    // --- Resources ------------------------------------------------------------------------
    const ResourceTable& Resources() const;
    std::string LoadString(int id) const { return Resources().LoadString(id); }

    // --- Default message handling -------------------------------------------------------------
    void OnEraseBackground(QPainter& painter, const Rect& invalid) override;
    void OnPaint(QPainter& painter, const Rect& bounds, const Rect& invalid) override;
    void OnKeyDown(int key, int shift) override;
    void OnKeyUp(int key, int shift) override;
    void OnSysKeyDown(int key, int shift) override;
    void OnSysKeyUp(int key, int shift) override;
    void OnChar(unsigned char ch) override;
    void OnSetFocus() override;
    void OnKillFocus(QWidget* gaining, bool sameTopLevel) override;
    void OnButtonDown(int button, int flags, QPoint p) override;
    void OnButtonUp(int button, int flags, QPoint p) override;
    void OnButtonDblClk(int button, int flags, QPoint p) override;
    void OnMouseMove(int flags, QPoint p) override;
    void OnResize(QSize size) override;
    void OnWindowDestroyed() override;

private:
    bool HasStockEvent(unsigned e) const { return (info_.stockEvents & e) != 0; }
    bool HasStockProperty(unsigned p) const { return (info_.stockProperties & p) != 0; }
    static std::int16_t MouseShift(int flags);
    void StockKeyEvent(bool down, int key, int shift);

    ControlClassInfo info_;
    com::EventSource events_;
    ComPtr<IClientSite> site_;
    std::unique_ptr<ControlWindow> window_;
    QSize size_{100, 30};
    bool modified_ = false;
    com::OleColor backColor_{0x80000005u};
    com::OleColor foreColor_{0x80000008u};
    bool enabled_ = true;
    std::int16_t borderStyle_ = 0;
    std::string text_;
    ComPtr<FontObject> font_;
    int buttonsDown_ = 0;   // buttons pressed in this window (1 left, 2 right, 4 middle)
    int doubleClicked_ = 0;
};

// Adds the declared stock properties of T (a ControlBase) to its dispatch table.
template <class T>
void AddStockMembers(com::DispatchTable<T>& t, unsigned which);

// A control class: the component object over ControlBase. Self declares
// `static const com::DispatchMap& DispatchMembers()`.
template <class Self, class... More>
class Control
    : public com::DispatchObject<Self, com::IConnectionPointContainer, IControl, IPerPropertyBrowsing, More...>,
      public ControlBase {
    using Dispatch = com::DispatchObject<Self, com::IConnectionPointContainer, IControl, IPerPropertyBrowsing, More...>;

public:
    HResult FindConnectionPoint(const Guid& iid, com::IConnectionPoint** out) override {
        return Events().FindConnectionPoint(iid, out);
    }
    HResult SetClientSite(IClientSite* site) override {
        return Guard([&] { SetSite(ComPtr<IClientSite>(site)); });
    }
    HResult GetClientSite(IClientSite** out) override {
        if (!out) return com::E_POINTER;
        *out = ClientSite();
        if (*out) (*out)->AddRef();
        return com::S_OK;
    }
    HResult CreateControlWindow(QWidget* parent, const Rect& rect) override {
        return GuardResult([&] { return CreateWindowIn(parent, rect); });
    }
    HResult DestroyControlWindow() override { return GuardResult([&] { return DestroyWindow(); }); }
    QWidget* ControlWindowWidget() override { return Window(); }
    HResult InitNew() override { return GuardResult([&] { return ResetProperties(); }); }
    HResult Load(const com::PropertyBag& bag) override {
        return GuardResult([&] { return LoadProperties(bag); });
    }
    HResult Save(com::PropertyBag* bag, bool clearDirty) override {
        return GuardResult([&] { return SaveProperties(bag, clearDirty); });
    }
    HResult IsDirty() override { return IsModified() ? com::S_OK : com::S_FALSE; }
    HResult Draw(QPainter* painter, const Rect& bounds) override {
        if (!painter) return com::E_POINTER;
        return Guard([&] { DrawInto(*painter, bounds); });
    }
    HResult SetExtent(QSize size) override {
        return GuardResult([&] { return SetControlSize(size) ? com::S_OK : com::E_FAIL; });
    }
    HResult GetExtent(QSize* size) override {
        if (!size) return com::E_POINTER;
        *size = GetControlSize();
        return com::S_OK;
    }
    HResult OnAmbientPropertyChange(DispId id) override {
        return Guard([&] { OnAmbientChanged(id); });
    }
    HResult GetPropertyPages(std::vector<Guid>* out) override {
        if (!out) return com::E_POINTER;
        *out = ClassInfo().propertyPages;
        return com::S_OK;
    }
    std::uint32_t MiscStatus() override { return ClassInfo().miscStatus; }
    HResult GetControlInfo(std::vector<Accelerator>* out) override {
        if (!out) return com::E_POINTER;
        return Guard([&] { *out = OnGetControlInfo(); });
    }
    HResult OnMnemonic(const Accelerator& key) override {
        return Guard([&] { OnMnemonicPressed(key); });
    }
    HResult GetDisplayString(DispId id, std::string* text) override {
        if (!text) return com::E_POINTER;
        return GuardResult([&] { return OnGetDisplayString(id, *text) ? com::S_OK : com::S_FALSE; });
    }
    HResult MapPropertyToPage(DispId id, Guid* page) override {
        if (!page) return com::E_POINTER;
        return GuardResult([&] { return OnMapPropertyToPage(id, *page) ? com::S_OK : PERPROP_E_NOPAGEAVAILABLE; });
    }
    HResult GetPredefinedStrings(DispId id, std::vector<std::string>* texts,
                                 std::vector<std::uint32_t>* cookies) override {
        if (!texts || !cookies) return com::E_POINTER;
        texts->clear();
        cookies->clear();
        return GuardResult(
            [&] { return OnGetPredefinedStrings(id, *texts, *cookies) ? com::S_OK : com::S_FALSE; });
    }
    HResult GetPredefinedValue(DispId id, std::uint32_t cookie, Variant* value) override {
        if (!value) return com::E_POINTER;
        return GuardResult([&] { return OnGetPredefinedValue(id, cookie, *value) ? com::S_OK : com::E_INVALIDARG; });
    }
    HResult GetEventInterface(Guid* out) override {
        if (!out) return com::E_POINTER;
        *out = ClassInfo().eventIid;
        return com::S_OK;
    }

protected:
    explicit Control(const ControlClassInfo& info) : Dispatch({info.dispIid}), ControlBase(info) {}

private:
    // No C++ exception leaves a component interface.
    template <class F>
    static HResult GuardResult(F f) {
        try {
            return f();
        } catch (const std::bad_alloc&) {
            return com::E_OUTOFMEMORY;
        } catch (...) {
            return com::E_FAIL;
        }
    }
    template <class F>
    static HResult Guard(F f) {
        return GuardResult([&] {
            f();
            return com::S_OK;
        });
    }
};

// --- AddStockMembers --------------------------------------------------------------------------

namespace detail {
com::Variant ColorVariant(com::OleColor c);
com::OleColor ColorOfVariant(const com::Variant& v);
com::Variant TextVariant(const std::string& cp1252);
std::string TextOfVariant(const com::Variant& v);
void PutFont(ControlBase& control, const com::Variant& v);
}  // namespace detail

template <class T>
void AddStockMembers(com::DispatchTable<T>& t, unsigned which) {
    using Args = typename com::DispatchTable<T>::Args;
    using com::Variant;
    if (which & kStockBackColor)
        t.Property("BackColor", com::VT_I4, {},
                   [](T& c, Args) { return detail::ColorVariant(c.GetBackColor()); },
                   [](T& c, Args, const Variant& v) { c.SetBackColor(detail::ColorOfVariant(v)); },
                   com::DISPID_BACKCOLOR);
    if (which & kStockForeColor)
        t.Property("ForeColor", com::VT_I4, {},
                   [](T& c, Args) { return detail::ColorVariant(c.GetForeColor()); },
                   [](T& c, Args, const Variant& v) { c.SetForeColor(detail::ColorOfVariant(v)); },
                   com::DISPID_FORECOLOR);
    if (which & kStockEnabled)
        t.Property("Enabled", com::VT_BOOL, {}, [](T& c, Args) { return Variant::Bool(c.GetEnabled()); },
                   [](T& c, Args, const Variant& v) { c.SetEnabled(v.AsBool()); }, com::DISPID_ENABLED);
    if (which & kStockHwnd)
        t.Property("hWnd", com::VT_I4, {}, [](T& c, Args) { return Variant::I4(c.GetHwnd()); }, nullptr,
                   com::DISPID_HWND);
    if (which & kStockFont)
        t.Property("Font", com::VT_DISPATCH, {},
                   [](T& c, Args) {
                       return Variant::Dispatch(com::ComPtr<com::IDispatch>(c.FontDispatch().Get()));
                   },
                   [](T& c, Args, const Variant& v) { detail::PutFont(c, v); }, com::DISPID_FONT);
    if (which & kStockBorderStyle)
        t.Property("BorderStyle", com::VT_I2, {}, [](T& c, Args) { return Variant::I2(c.GetBorderStyle()); },
                   [](T& c, Args, const Variant& v) { c.SetBorderStyle(v.AsI2()); },
                   com::DISPID_BORDERSTYLE);
    for (auto [bit, name, id] : {std::tuple{kStockText, "Text", com::DISPID_TEXT},
                                 std::tuple{kStockCaption, "Caption", com::DISPID_CAPTION}})
        if (which & bit)
            t.Property(name, com::VT_BSTR, {}, [](T& c, Args) { return detail::TextVariant(c.InternalGetText()); },
                       [](T& c, Args, const Variant& v) { c.SetText(detail::TextOfVariant(v)); }, id);
    if (which & kStockAboutBox)
        t.Method("AboutBox", com::VT_EMPTY, {}, [](T& c, Args) {
            c.OnAboutBox();
            return Variant();
        }, com::DISPID_ABOUTBOX);
}

}  // namespace ctl
