#include "zmtext/module/registration.h"

#include <string>

#include "platform/com/registration.h"
#include "platform/win/registry.h"
#include "zmtext/module/strings.h"

namespace zmtext {
namespace {

com::HResult RegisterControl(const ZMControlFactory& factory, const com::TypeLibraryData& lib,
                             std::string_view libraryPath) {
    const ZMControlClassInfo& info = ZMControlClass(factory.kind);
    const com::ControlClassRegistration reg{info.clsid,
                                            std::string(info.progId),
                                            ZMLoadString(info.userTypeStringId).value_or(""),
                                            info.toolboxBitmapId,
                                            info.miscStatus,
                                            lib.guid,
                                            lib.major,
                                            lib.minor};
    return com::RegisterControlClass(reg, libraryPath);
}

com::HResult RegisterPage(const ZMPageFactory& factory, std::string_view libraryPath) {
    const ZMPageClassInfo* info = ZMFindPageClass(factory.clsid);
    if (!info) return com::E_UNEXPECTED;
    const std::string caption = ZMLoadString(info->captionStringId).value_or("");
    return com::RegisterPropertyPageClass({info->clsid, caption}, libraryPath);
}

}  // namespace

// Every entry is written into one registry batch and saved at the end in one go: one store write
// instead of one per value, and a failure or a crash part-way leaves the registry as it was.
com::HResult ZMRegisterServer(const ZMFactoryList& factories, const com::TypeLibraryData& lib,
                              std::string_view libraryPath, std::string_view helpDir) {
    win::registry::Batch batch;
    if (com::Failed(com::RegisterTypeLib(lib, libraryPath, helpDir))) return com::SELFREG_E_TYPELIB;
    for (const auto& control : factories.controls)
        if (com::Failed(RegisterControl(control, lib, libraryPath))) return com::SELFREG_E_CLASS;
    for (const auto& page : factories.pages)
        if (com::Failed(RegisterPage(page, libraryPath))) return com::SELFREG_E_CLASS;
    return batch.Commit() == win::RegStatus::Success ? com::S_OK : com::SELFREG_E_TYPELIB;
}

com::HResult ZMUnregisterServer(const ZMFactoryList& factories, const com::TypeLibraryData& lib) {
    win::registry::Batch batch;
    // Version 0.0 removes every registered version, the 4.1 this library writes included.
    if (com::Failed(com::UnregisterTypeLib(lib.guid, 0, 0, 0))) return com::SELFREG_E_TYPELIB;
    for (const auto& control : factories.controls) {
        const ZMControlClassInfo& info = ZMControlClass(control.kind);
        if (com::Failed(com::UnregisterControlClass(info.clsid, info.progId))) return com::SELFREG_E_CLASS;
    }
    for (const auto& page : factories.pages)
        if (com::Failed(com::UnregisterPropertyPageClass(page.clsid))) return com::SELFREG_E_CLASS;
    return batch.Commit() == win::RegStatus::Success ? com::S_OK : com::SELFREG_E_CLASS;
}

}  // namespace zmtext
