// DllGetClassObject, DllCanUnloadNow, DllRegisterServer, DllUnregisterServer and ComTypeLibrary
// of a test library, over its TestLibraryDescription(). No exception leaves them: a failure is
// E_UNEXPECTED, as at the component boundary of every library.
#include "platform/com/tests/support/library_exports.h"

#include "platform/win/module.h"

using namespace com;
using com::testlib::TestLibraryDescription;

extern "C" {

HResult DllGetClassObject(const Guid* clsid, const Guid* iid, void** out) {
    return TestLibraryDescription().classes().GetClassObject(clsid, iid, out);
}

HResult DllCanUnloadNow() { return TestLibraryDescription().classes().CanUnloadNow(); }

const TypeLibraryData* ComTypeLibrary() {
    static const TypeLibraryData lib = TestLibraryDescription().typeLibrary();
    return &lib;
}

HResult DllRegisterServer() {
    try {
        const auto& library = TestLibraryDescription();
        const std::string path = win::ModulePath(reinterpret_cast<const void*>(&DllRegisterServer));
        if (Failed(RegisterTypeLib(*ComTypeLibrary(), path, "C:\\HELP"))) return SELFREG_E_TYPELIB;
        if (Failed(RegisterControlClass(library.control, path))) return SELFREG_E_CLASS;
        if (library.page && Failed(RegisterPropertyPageClass(*library.page, path))) return SELFREG_E_CLASS;
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HResult DllUnregisterServer() {
    try {
        const auto& library = TestLibraryDescription();
        if (Failed(UnregisterTypeLib(library.control.typeLib, 0, 0, 0))) return SELFREG_E_TYPELIB;
        if (Failed(UnregisterControlClass(library.control.clsid, library.control.progId))) return SELFREG_E_CLASS;
        if (library.page && Failed(UnregisterPropertyPageClass(library.page->clsid))) return SELFREG_E_CLASS;
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // extern "C"
