#include "platform/ctl/control_site.h"

#include <QWidget>
#include <algorithm>

#include "platform/com/factory.h"

namespace ctl {

// --- Component objects of a site -------------------------------------------------------------
// Each holds a pointer back to its site; the site clears it when it goes, since the control may
// keep a reference to these objects longer than the host keeps the control.

class SiteObject final : public com::Object<SiteObject, IClientSite> {
public:
    explicit SiteObject(ControlSite* site) : site_(site) {}
    void Detach() { site_ = nullptr; }

    HResult GetAmbientProperty(DispId id, Variant* out) override {
        if (!out) return com::E_POINTER;
        if (!site_) return com::E_UNEXPECTED;
        return site_->Container().AmbientOf(*site_, id, out);
    }
    HResult GetExtendedControl(com::IDispatch** out) override {
        if (!out) return com::E_POINTER;
        *out = nullptr;
        if (!site_) return com::E_UNEXPECTED;
        *out = site_->Extender().Detach();
        return com::S_OK;
    }
    HResult GetContainer(IControlContainer** out) override;
    HResult OnControlInfoChanged() override {
        if (site_) site_->Container().RaiseControlInfoChanged(*site_);
        return com::S_OK;
    }
    HResult OnFocus(bool gotFocus) override {
        if (site_) site_->Container().RaiseFocus(*site_, gotFocus);
        return com::S_OK;
    }

private:
    ControlSite* site_;
};

class ContainerObject final : public com::Object<ContainerObject, IControlContainer> {
public:
    explicit ContainerObject(const ControlContainer* container) : container_(container) {}
    HResult EnumObjects(std::vector<ComPtr<com::IUnknown>>* out) override {
        if (!out) return com::E_POINTER;
        *out = container_->Objects();
        return com::S_OK;
    }

private:
    const ControlContainer* container_;
};

HResult SiteObject::GetContainer(IControlContainer** out) {
    if (!out) return com::E_POINTER;
    *out = nullptr;
    if (!site_) return com::E_UNEXPECTED;
    *out = ContainerObject::Create(&site_->Container()).Detach();
    return com::S_OK;
}

class ExtenderObject final : public com::DispatchObject<ExtenderObject> {
public:
    explicit ExtenderObject(ControlSite* site) : site_(site) {}
    void Detach() { site_ = nullptr; }
    static const com::DispatchMap& DispatchMembers();

private:
    using Table = com::DispatchTable<ExtenderObject>;
    ControlSite& Site() const {
        if (!site_) com::ThrowError(com::CTL_E_ILLEGALFUNCTIONCALL);
        return *site_;
    }
    QWidget& Widget() const {
        QWidget* w = Site().Widget();
        if (!w) com::ThrowError(com::CTL_E_ILLEGALFUNCTIONCALL);
        return *w;
    }

    ControlSite* site_;
};

const com::DispatchMap& ExtenderObject::DispatchMembers() {
    using Args = Table::Args;
    using com::Variant;
    static const Table table = [] {
        Table t("Extender");
        t.Property("Name", com::VT_BSTR, {}, [](ExtenderObject& e, Args) { return Variant::Utf8(e.Site().Name()); },
                   nullptr)
            .Property("TabIndex", com::VT_I2, {},
                      [](ExtenderObject& e, Args) { return Variant::I2(static_cast<std::int16_t>(e.Site().TabIndex())); },
                      [](ExtenderObject& e, Args, const Variant& v) { e.Site().SetTabIndex(v.AsI2()); })
            .Property("Visible", com::VT_BOOL, {}, [](ExtenderObject& e, Args) { return Variant::Bool(e.Widget().isVisible()); },
                      [](ExtenderObject& e, Args, const Variant& v) { e.Widget().setVisible(v.AsBool()); });
        struct Geo { const char* name; int (QWidget::*get)() const; };
        for (const Geo g : {Geo{"Left", &QWidget::x}, Geo{"Top", &QWidget::y}, Geo{"Width", &QWidget::width},
                            Geo{"Height", &QWidget::height}}) {
            const auto get = g.get;
            const std::string name = g.name;
            t.Property(g.name, com::VT_I4, {},
                       [get](ExtenderObject& e, Args) { return Variant::I4((e.Widget().*get)()); },
                       [name](ExtenderObject& e, Args, const Variant& v) {
                           QRect r = e.Widget().geometry();
                           const int n = v.AsI4();
                           if (name == "Left") r.moveLeft(n);
                           else if (name == "Top") r.moveTop(n);
                           else if (name == "Width") r.setWidth(n);
                           else r.setHeight(n);
                           e.Widget().setGeometry(r);
                           if (IControl* c = e.Site().Control()) c->SetExtent(r.size());
                       });
        }
        t.Method("SetFocus", com::VT_EMPTY, {}, [](ExtenderObject& e, Args) {
            if (!e.Site().SetFocus()) com::ThrowError(com::CTL_E_ILLEGALFUNCTIONCALL);
            return Variant();
        });
        return t;
    }();
    return table.Map();
}

class EventSinkObject final : public com::Object<EventSinkObject, com::IDispatch, com::IPropertyNotifySink> {
public:
    explicit EventSinkObject(ControlSite* site) : site_(site) {}
    void Detach() { site_ = nullptr; }

    HResult GetIDsOfNames(std::string_view, DispId*) override { return com::DISP_E_UNKNOWNNAME; }
    HResult Invoke(DispId id, std::uint16_t, com::DispParams& params, Variant*, com::ExcepInfo*,
                   std::uint32_t*) override {
        if (!site_) return com::S_OK;
        try {
            site_->Container().RaiseEvent(*site_, id, params.args);
        } catch (...) {
            // A host handler's failure stays on the host's side of the boundary.
            return com::E_FAIL;
        }
        return com::S_OK;
    }
    HResult OnChanged(DispId id) override {
        if (site_) site_->Container().RaiseChange(*site_, id);
        return com::S_OK;
    }
    HResult OnRequestEdit(DispId) override { return com::S_OK; }

private:
    ControlSite* site_;
};

// --- ControlSite -----------------------------------------------------------------------------

ControlSite::ControlSite(ControlContainer& container, std::string name, ComPtr<IControl> control)
    : container_(container), name_(std::move(name)), control_(std::move(control)),
      dispatch_(control_.As<com::IDispatch>()), site_(SiteObject::Create(this)),
      extender_(ExtenderObject::Create(this)), sink_(EventSinkObject::Create(this)) {}

ControlSite::~ControlSite() {
    Disconnect();
    site_->Detach();
    extender_->Detach();
    sink_->Detach();
}

ComPtr<com::IDispatch> ControlSite::Extender() const {
    return ComPtr<com::IDispatch>(static_cast<com::IDispatch*>(extender_.Get()));
}

IClientSite* ControlSite::Site() const { return site_.Get(); }

HResult ControlSite::Connect() {
    if (const HResult hr = control_->GetEventInterface(&eventIid_); com::Failed(hr)) return hr;
    auto* sink = static_cast<com::IDispatch*>(sink_.Get());
    if (const HResult hr = com::AdviseSink(control_.Get(), eventIid_, sink, &eventCookie_); com::Failed(hr))
        return hr;
    auto* notify = static_cast<com::IPropertyNotifySink*>(sink_.Get());
    return com::AdviseSink(control_.Get(), com::IPropertyNotifySink::kIid, notify, &notifyCookie_);
}

void ControlSite::Disconnect() {
    if (!control_) return;
    if (eventCookie_) com::UnadviseSink(control_.Get(), eventIid_, eventCookie_);
    if (notifyCookie_) com::UnadviseSink(control_.Get(), com::IPropertyNotifySink::kIid, notifyCookie_);
    eventCookie_ = notifyCookie_ = 0;
    control_->DestroyControlWindow();
    control_->SetClientSite(nullptr);
}

int ControlSite::TabIndex() const {
    const auto& order = container_.TabOrder();
    return static_cast<int>(std::find(order.begin(), order.end(), this) - order.begin());
}

void ControlSite::SetTabIndex(int index) { container_.MoveInTabOrder(this, index); }

bool ControlSite::SetFocus() {
    QWidget* w = Widget();
    if (!w || !w->isEnabled() || !w->isVisible() || w->focusPolicy() == Qt::NoFocus) return false;
    w->setFocus(Qt::TabFocusReason);
    return true;
}

// --- ControlContainer ------------------------------------------------------------------------

ControlContainer::ControlContainer(QWidget* parent)
    : parent_(parent), ambientFont_(FontObject::Create(ambients_.font)) {}

ControlContainer::~ControlContainer() {
    tabOrder_.clear();
    sites_.clear();
}

void ControlContainer::SetAmbients(const Ambients& a) {
    std::vector<DispId> changed;
    if (a.userMode != ambients_.userMode) changed.push_back(com::DISPID_AMBIENT_USERMODE);
    if (a.backColor != ambients_.backColor) changed.push_back(com::DISPID_AMBIENT_BACKCOLOR);
    if (a.foreColor != ambients_.foreColor) changed.push_back(com::DISPID_AMBIENT_FORECOLOR);
    if (!(a.font == ambients_.font)) changed.push_back(com::DISPID_AMBIENT_FONT);
    ambients_ = a;
    ambientFont_->SetDesc(a.font);
    for (const auto& site : sites_)
        for (DispId id : changed) site->Control()->OnAmbientPropertyChange(id);
}

HResult ControlContainer::AmbientOf(const ControlSite& site, DispId id, Variant* out) const {
    switch (id) {
    case com::DISPID_AMBIENT_USERMODE: *out = Variant::Bool(ambients_.userMode); return com::S_OK;
    case com::DISPID_AMBIENT_DISPLAYNAME: *out = Variant::Utf8(site.Name()); return com::S_OK;
    case com::DISPID_AMBIENT_BACKCOLOR: *out = Variant::I4(static_cast<std::int32_t>(ambients_.backColor)); return com::S_OK;
    case com::DISPID_AMBIENT_FORECOLOR: *out = Variant::I4(static_cast<std::int32_t>(ambients_.foreColor)); return com::S_OK;
    case com::DISPID_AMBIENT_FONT:
        *out = Variant::Dispatch(ComPtr<com::IDispatch>(static_cast<com::IDispatch*>(ambientFont_.Get())));
        return com::S_OK;
    default: return com::DISP_E_MEMBERNOTFOUND;
    }
}

HResult ControlContainer::CreateControl(std::string_view progIdOrClsid, std::string name, const Rect& rect,
                                        const com::PropertyBag* saved, ControlSite** out, QWidget* in) {
    Guid clsid;
    if (const HResult hr = com::ClsidFromProgId(progIdOrClsid, &clsid); com::Failed(hr)) return hr;
    ComPtr<IControl> control;
    if (const HResult hr = com::CreateInstance(clsid, &control); com::Failed(hr)) return hr;
    return AddControl(std::move(control), std::move(name), rect, saved, out, in);
}

HResult ControlContainer::AddControl(ComPtr<IControl> control, std::string name, const Rect& rect,
                                     const com::PropertyBag* saved, ControlSite** out, QWidget* in) {
    if (!control) return com::E_POINTER;
    auto site = std::make_unique<ControlSite>(*this, std::move(name), std::move(control));
    IControl* c = site->Control();
    HResult hr = c->SetClientSite(site->Site());
    if (com::Succeeded(hr)) hr = site->Connect();
    if (com::Succeeded(hr)) hr = saved ? c->Load(*saved) : c->InitNew();
    if (com::Succeeded(hr)) hr = c->CreateControlWindow(in ? in : parent_, rect);
    if (com::Failed(hr)) return hr;   // the site's destructor takes everything back
    tabOrder_.push_back(site.get());
    sites_.push_back(std::move(site));
    if (out) *out = sites_.back().get();
    return com::S_OK;
}

HResult ControlContainer::SaveControl(const ControlSite& site, com::PropertyBag* bag) const {
    return site.Control()->Save(bag, true);
}

void ControlContainer::RemoveControl(ControlSite* site) {
    std::erase(tabOrder_, site);
    std::erase_if(sites_, [site](const auto& s) { return s.get() == site; });
}

ControlSite* ControlContainer::Find(std::string_view name) const {
    for (const auto& s : sites_)
        if (com::EqualsNoCase(s->Name(), name)) return s.get();
    return nullptr;
}

void ControlContainer::RaiseEvent(ControlSite& site, DispId id, std::span<Variant> args) {
    if (onEvent_) onEvent_(site, id, args);
}

void ControlContainer::RaiseChange(ControlSite& site, DispId id) {
    if (onChange_) onChange_(site, id);
}

void ControlContainer::RaiseFocus(ControlSite& site, bool got) {
    if (onFocus_) onFocus_(site, got);
}

void ControlContainer::RaiseControlInfoChanged(ControlSite& site) {
    if (onControlInfo_) onControlInfo_(site);
}

std::vector<Accelerator> ControlSite::Mnemonics() const {
    std::vector<Accelerator> keys;
    if (!control_ || com::Failed(control_->GetControlInfo(&keys))) return {};
    std::erase_if(keys, [](const Accelerator& a) { return a.key == 0; });
    return keys;
}

bool ControlSite::ActsLikeLabel() const { return control_ && (control_->MiscStatus() & kMiscActsLikeLabel) != 0; }

std::vector<ComPtr<com::IUnknown>> ControlContainer::Objects() const {
    std::vector<ComPtr<com::IUnknown>> out;
    for (const auto& s : sites_) out.emplace_back(static_cast<com::IUnknown*>(s->Control()));
    return out;
}

void ControlContainer::MoveInTabOrder(ControlSite* site, int index) {
    if (index < 0) com::ThrowError(com::CTL_E_INVALIDPROPERTYVALUE);
    std::erase(tabOrder_, site);
    const std::size_t at = std::min<std::size_t>(static_cast<std::size_t>(index), tabOrder_.size());
    tabOrder_.insert(tabOrder_.begin() + static_cast<std::ptrdiff_t>(at), site);
}

}  // namespace ctl
