// The interfaces between a control and the window that hosts it.
//
// A control object exists before its window: the host creates it by class id, gives it a client
// site (ambient properties, the extender, the container of its siblings), loads or resets its
// properties, and only then asks for its window under a parent widget. Drawing into another
// target (a picture, a printer page) goes through Draw without a window.
//
// These interfaces pass Qt objects, so both sides must share this build of Qt and of this
// library; the controls' own members are reached by dispatch as everywhere else.
#pragma once

#include <QSize>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/connection.h"
#include "platform/com/propexchange.h"
#include "platform/ctl/geometry.h"

class QPainter;
class QWidget;

namespace ctl {

using com::ComPtr;
using com::DispId;
using com::Guid;
using com::HResult;
using com::Variant;

// Misc status bit of a control that acts as a label: its mnemonic gives the focus to the control
// after it in the container's tab order, not to itself.
inline constexpr std::uint32_t kMiscActsLikeLabel = 0x2000;

// A key a control asks its container to route to it from anywhere in the window (an access key):
// a virtual key, pressed with Alt or alone.
struct Accelerator {
    int key = 0;   // 0: none
    bool withAlt = true;
    friend bool operator==(const Accelerator&, const Accelerator&) = default;
};

// The objects of a container, for a control that walks its siblings.
class IControlContainer : public com::IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{5A7C0001-3C1E-4F00-9D00-000000C7C700}");
    // Every object of the container (each as its IUnknown), in the container's order.
    virtual HResult EnumObjects(std::vector<ComPtr<com::IUnknown>>* out) = 0;

protected:
    ~IControlContainer() = default;
};

// What a host gives each control it holds.
class IClientSite : public com::IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{5A7C0002-3C1E-4F00-9D00-000000C7C700}");
    // An ambient property by its DISPID (UserMode -709, DisplayName -702, BackColor -701,
    // ForeColor -704, Font -703); DISP_E_MEMBERNOTFOUND for one the host does not offer.
    virtual HResult GetAmbientProperty(DispId id, Variant* out) = 0;
    // The extender: the properties and methods the host adds to the control (TabIndex,
    // SetFocus, Name, ...).
    virtual HResult GetExtendedControl(com::IDispatch** out) = 0;
    virtual HResult GetContainer(IControlContainer** out) = 0;
    // The control's mnemonic or other control information changed.
    virtual HResult OnControlInfoChanged() = 0;
    // The control's window got (true) or lost the focus.
    virtual HResult OnFocus(bool gotFocus) = 0;

protected:
    ~IClientSite() = default;
};

// A control as its host sees it.
class IControl : public com::IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{5A7C0003-3C1E-4F00-9D00-000000C7C700}");

    virtual HResult SetClientSite(IClientSite* site) = 0;
    virtual HResult GetClientSite(IClientSite** out) = 0;
    // Creates the control's window as a child of `parent` at `rect` (parent coordinates);
    // E_UNEXPECTED when it exists already.
    virtual HResult CreateControlWindow(QWidget* parent, const Rect& rect) = 0;
    virtual HResult DestroyControlWindow() = 0;
    virtual QWidget* ControlWindowWidget() = 0;

    // Persistence: a new control's defaults, loading and saving a property bag (clearDirty
    // clears the modified flag after saving), and the modified flag (S_OK modified, S_FALSE not).
    virtual HResult InitNew() = 0;
    virtual HResult Load(const com::PropertyBag& bag) = 0;
    virtual HResult Save(com::PropertyBag* bag, bool clearDirty) = 0;
    virtual HResult IsDirty() = 0;

    // Draws the control into `painter` at `bounds`, as into a metafile (no window needed).
    virtual HResult Draw(QPainter* painter, const Rect& bounds) = 0;
    virtual HResult SetExtent(QSize size) = 0;
    virtual HResult GetExtent(QSize* size) = 0;
    virtual HResult OnAmbientPropertyChange(DispId id) = 0;
    // The class ids of the control's property pages.
    virtual HResult GetPropertyPages(std::vector<Guid>* out) = 0;
    virtual std::uint32_t MiscStatus() = 0;
    // The control information: the control's keyboard mnemonics (none: empty). The container
    // asks again whenever the control's site hears OnControlInfoChanged.
    virtual HResult GetControlInfo(std::vector<Accelerator>* out) = 0;
    // The user pressed one of those mnemonics.
    virtual HResult OnMnemonic(const Accelerator& key) = 0;
    // The id of the control's event interface, where a host advises its event sink.
    virtual HResult GetEventInterface(Guid* out) = 0;

protected:
    ~IControl() = default;
};

// What a property browser asks a control about one property at a time: the text to show for its
// value, the property page that edits it, and the values to offer in a list (each a text with a
// cookie, and the value a cookie stands for).
class IPerPropertyBrowsing : public com::IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{5A7C0004-3C1E-4F00-9D00-000000C7C700}");
    // S_OK with the text; S_FALSE when the property has no text of its own.
    virtual HResult GetDisplayString(DispId id, std::string* textUtf8) = 0;
    // S_OK with the page's class id; PERPROP_E_NOPAGEAVAILABLE when no page edits it.
    virtual HResult MapPropertyToPage(DispId id, Guid* page) = 0;
    // S_OK with the texts and their cookies; S_FALSE when the property offers none.
    virtual HResult GetPredefinedStrings(DispId id, std::vector<std::string>* textsUtf8,
                                         std::vector<std::uint32_t>* cookies) = 0;
    // S_OK with the value of a cookie; E_INVALIDARG for a cookie the property did not offer.
    virtual HResult GetPredefinedValue(DispId id, std::uint32_t cookie, Variant* value) = 0;

protected:
    ~IPerPropertyBrowsing() = default;
};

inline constexpr HResult PERPROP_E_NOPAGEAVAILABLE = com::MakeHResult(0x80040200);

}  // namespace ctl
