#include "platform/forms/hosted.h"

#include <QShortcut>
#include <QWidget>
#include <algorithm>

#include "platform/com/bstr.h"
#include "platform/ctl/control_site.h"
#include "platform/forms/window.h"
#include "platform/win/cp1252.h"
#include "platform/win/error.h"

namespace forms {

namespace {

constexpr long kNoSuchMember = 438;

struct StockEvent {
    const char* name;
    com::DispId id;
};

constexpr StockEvent kStockEvents[] = {
    {"Click", com::DISPID_CLICK},         {"DblClick", com::DISPID_DBLCLICK},
    {"KeyDown", com::DISPID_KEYDOWN},     {"KeyPress", com::DISPID_KEYPRESS},
    {"KeyUp", com::DISPID_KEYUP},         {"MouseDown", com::DISPID_MOUSEDOWN},
    {"MouseMove", com::DISPID_MOUSEMOVE}, {"MouseUp", com::DISPID_MOUSEUP},
};

}  // namespace

HostedControl::HostedControl(Window& window, ctl::ControlSite& site)
    : Control(window, site.Name(), site.Widget()), site_(site) {
    RefreshMnemonics();
}

HostedControl::~HostedControl() { site_.Container().RemoveControl(&site_); }

// The shortcuts belong to the control's window; they are kept for the next change of the
// mnemonics, and one left over is given no key.
void HostedControl::RefreshMnemonics() {
    QWidget* widget = Widget();
    if (!widget) return;
    const std::vector<ctl::Accelerator> keys = site_.Mnemonics();
    while (mnemonics_.size() < keys.size()) {
        const std::size_t index = mnemonics_.size();
        QShortcut* shortcut = std::make_unique<QShortcut>(widget).release();   // the window owns it
        QObject::connect(shortcut, &QShortcut::activated, [this, index] { OnMnemonic(index); });
        mnemonics_.emplace_back(shortcut);
    }
    for (std::size_t i = 0; i < mnemonics_.size(); ++i) {
        if (!mnemonics_[i]) continue;
        if (i >= keys.size()) {
            mnemonics_[i]->setKey(QKeySequence());
            continue;
        }
        // A virtual key of a letter or digit is its upper-case character; others are cp1252.
        const int qtKey = static_cast<int>(win::Cp1252ToUnicode(static_cast<unsigned char>(keys[i].key)));
        mnemonics_[i]->setKey(QKeySequence(keys[i].withAlt ? (Qt::ALT | qtKey) : qtKey));
    }
}

void HostedControl::OnMnemonic(std::size_t index) {
    if (site_.ActsLikeLabel()) {
        FocusNextInTabOrder();
        return;
    }
    const std::vector<ctl::Accelerator> keys = site_.Mnemonics();
    if (index < keys.size()) site_.Control()->OnMnemonic(keys[index]);
    site_.SetFocus();
}

com::IDispatch* HostedControl::Object() const { return site_.Dispatch(); }

com::DispId HostedControl::IdOf(std::string_view member) const { return com::IdOfName(Object(), member); }

com::Variant HostedControl::Get(com::DispId id) const { return com::GetProperty(Object(), id); }

void HostedControl::Set(com::DispId id, com::Variant value) { com::PutProperty(Object(), id, std::move(value)); }

com::Variant HostedControl::Call(com::DispId id, std::vector<com::Variant> args) {
    return com::CallMethod(Object(), id, std::move(args));
}

void HostedControl::SaveProperties(com::PropertyBag& bag) const {
    if (const com::HResult hr = site_.Container().SaveControl(site_, &bag); com::Failed(hr)) com::RaiseError(hr);
}

void HostedControl::On(com::DispId event, EventHandler handler) {
    if (handler) {
        handlers_[event] = std::move(handler);
    } else {
        handlers_.erase(event);
    }
}

void HostedControl::On(std::string_view event, EventHandler handler) { On(EventIdOf(event), std::move(handler)); }

void HostedControl::NameEvent(std::string_view name, com::DispId event) {
    for (auto& [known, id] : eventNames_) {
        if (com::EqualsNoCase(known, name)) {
            id = event;
            return;
        }
    }
    eventNames_.emplace_back(std::string(name), event);
}

std::optional<com::DispId> HostedControl::OwnEventId(std::string_view name) const {
    if (!eventsRead_) {
        eventsRead_ = true;
        // A library that publishes no description of its events has its stock events only.
        com::LoadInterfaceTypeInfo(site_.EventInterface(), &eventLibrary_, &events_);
    }
    if (events_ == nullptr) return std::nullopt;
    for (const com::FuncDesc& event : events_->funcs) {
        if (com::EqualsNoCase(event.name, name)) return event.id;
    }
    return std::nullopt;
}

com::DispId HostedControl::EventIdOf(std::string_view name) const {
    for (const auto& [known, id] : eventNames_) {
        if (com::EqualsNoCase(known, name)) return id;
    }
    if (const std::optional<com::DispId> own = OwnEventId(name)) return *own;
    for (const StockEvent& stock : kStockEvents) {
        if (com::EqualsNoCase(stock.name, name)) return stock.id;
    }
    win::Raise(kNoSuchMember, Name());
}

void HostedControl::RaiseEvent(com::DispId event, std::span<com::Variant> args) {
    const auto found = handlers_.find(event);
    if (found == handlers_.end()) return;
    const EventHandler handler = found->second;   // the handler may replace or remove itself
    window_.Dispatch([&] { handler(args); });
}

HostedControl& Window::AddHosted(std::string_view classIdOrProgId, std::string name, const com::PropertyBag* saved,
                                 int left, int top, int width, int height,
                                 const std::vector<HostedProperty>& properties, Control* container) {
    ctl::ControlContainer& hosts = HostContainer();
    const int x = left / kTwipsPerPixel;
    const int y = top / kTwipsPerPixel;
    const ctl::Rect rect{x, y, x + width / kTwipsPerPixel, y + height / kTwipsPerPixel};
    ctl::ControlSite* site = nullptr;
    QWidget* in = container ? container->Widget() : nullptr;
    if (const com::HResult hr = hosts.CreateControl(classIdOrProgId, std::move(name), rect, saved, &site, in);
        com::Failed(hr)) {
        com::RaiseError(hr);
    }
    auto control = std::make_unique<HostedControl>(*this, *site);
    for (const HostedProperty& property : properties) control->Set(property.name, property.value);
    HostedControl& result = *control;
    AddControl(std::move(control));
    return result;
}

void Window::RouteHostedEvent(ctl::ControlSite& site, com::DispId event, std::span<com::Variant> args) {
    for (Control* control : Controls()) {
        auto* hosted = dynamic_cast<HostedControl*>(control);
        if (hosted && &hosted->Site() == &site) {
            hosted->RaiseEvent(event, args);
            return;
        }
    }
}

void SetHostedText(HostedControl* control, const std::string& text) {
    if (control) control->Set(com::DISPID_VALUE, com::Variant::Utf8(text));
}

void SetHostedNumber(HostedControl* control, double number) {
    if (control) control->Set(com::DISPID_VALUE, com::Variant::R8(number));
}

std::string HostedText(const HostedControl* control) {
    if (!control) return {};
    const com::Variant value = control->Get(com::DISPID_VALUE);
    com::Variant text;
    if (!com::Succeeded(com::ChangeType(text, value.Deref(), com::VT_BSTR))) return {};
    return text.AsStr().ToUtf8();
}

}  // namespace forms
