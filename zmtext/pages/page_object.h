// The component object a property page's class id creates: it makes the page's widget for a
// property sheet. The page itself is a Qt widget (ctl::PropertyPage) and lives in the sheet that
// shows it; the object only counts as a live object of the library while it exists.
#pragma once

#include <QWidget>
#include <memory>

#include "platform/com/unknown.h"
#include "platform/ctl/property_page.h"
#include "zmtext/module/classes.h"

namespace zmtext {

class IZMPropertyPageObject : public com::IUnknown {
public:
    static inline const com::Guid kIid = com::Guid::FromString("{5A7C0010-3C1E-4F00-9D00-000000C7C700}");
    // A new page, parented to `parent` when given.
    virtual std::unique_ptr<ctl::PropertyPage> CreatePage(QWidget* parent) = 0;

protected:
    ~IZMPropertyPageObject() = default;
};

template <class Page>
class ZMPropertyPageObject final : public com::Object<ZMPropertyPageObject<Page>, IZMPropertyPageObject> {
public:
    std::unique_ptr<ctl::PropertyPage> CreatePage(QWidget* parent) override {
        auto page = std::make_unique<Page>();
        if (parent) page->setParent(parent);
        return page;
    }

private:
    com::ModuleObjectRef moduleRef_{ZMModuleState()};
};

}  // namespace zmtext
