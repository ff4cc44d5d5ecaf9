// The library's property pages as component classes: a container creates a page's class object
// by its class id (through the library's factory list) and asks it for the page itself
// (ctl::IPropertyPageClass).
#pragma once

#include <memory>
#include <string_view>

#include "platform/ctl/property_page.h"
#include "zmtext/module/classes.h"

namespace zmtext {

template <class Page>
class ZMPageClassObject final : public com::Object<ZMPageClassObject<Page>, ctl::IPropertyPageClass> {
public:
    std::unique_ptr<ctl::PropertyPage> CreatePage() override { return std::make_unique<Page>(); }

private:
    com::ModuleObjectRef moduleRef_{ZMModuleState()};
};

// The class id of the library's page class `className` (a null id for an unknown name).
inline com::Guid ZMPageClassId(std::string_view className) {
    for (const auto& p : ZMPageClasses())
        if (p.className == className) return p.clsid;
    return {};
}

// The factory-list entry of page class `Page` under `clsid`.
template <class Page>
ZMPageFactory ZMPageFactoryOf(const com::Guid& clsid) {
    return {clsid, com::CreatorOf<ZMPageClassObject<Page>>()};
}

}  // namespace zmtext
