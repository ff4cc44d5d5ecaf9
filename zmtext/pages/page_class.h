// The library's property pages as component classes: a container creates a page's class object
// by its class id (through the library's factory list) and asks it for the page itself.
#pragma once

#include <memory>
#include <string_view>

#include "platform/com/unknown.h"
#include "platform/ctl/property_page.h"
#include "zmtext/module/classes.h"

namespace zmtext {

class IZMPropertyPageClass : public com::IUnknown {
public:
    static inline const com::Guid kIid = com::Guid::FromString("{5A7C0101-3C1E-4F00-9D00-0000005A7E01}");

    // A new page, not yet given any objects; the caller owns it.
    virtual std::unique_ptr<ctl::PropertyPage> CreatePage() = 0;

protected:
    ~IZMPropertyPageClass() = default;
};

template <class Page>
class ZMPageClassObject final : public com::Object<ZMPageClassObject<Page>, IZMPropertyPageClass> {
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
