// ZMBoundControl: the base of a bound edit control, the control base with the data-binding
// base beside it. It answers the binding interfaces (INotifyDBEvents, IBoundObject) from the
// same object as the control's own, takes the data source from the control's client site, and
// counts as a live object of the library for as long as it lives (DllCanUnloadNow).
#pragma once

#include "platform/ctl/control.h"
#include "zmtext/module/adb_helper.h"
#include "zmtext/module/classes.h"

namespace zmtext {

template <class Self>
class ZMBoundControl : public ctl::Control<Self>, public ADBHelper {
public:
    com::IUnknown* BindingSite() override { return this->ClientSite(); }

protected:
    explicit ZMBoundControl(const ctl::ControlClassInfo& info)
        : ctl::Control<Self>(info), ADBHelper(*static_cast<com::IDispatch*>(this)) {}

    com::HResult OnQueryInterface(const com::Guid& iid, void** out) override {
        const com::HResult hr = QueryBindingInterface(iid, out);
        return hr == com::E_NOINTERFACE ? ctl::Control<Self>::OnQueryInterface(iid, out) : hr;
    }

private:
    com::ModuleObjectRef moduleRef_{ZMModuleState()};
};

}  // namespace zmtext
