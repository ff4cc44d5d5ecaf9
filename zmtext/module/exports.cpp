// The library's exported entry points and the object that starts it at load and ends it at
// unload. No C++ exception leaves an entry point: failures travel as status codes.
#include "platform/com/factory.h"
#include "zmtext/module/app.h"
#include "zmtext/module/classes.h"
#include "zmtext/module/registration.h"
#include "zmtext/module/zmtextlib.h"

namespace {

using com::HResult;

// Constructed when the library is loaded (InitInstance), destroyed when it is unloaded
// (ExitInstance).
struct LibraryLifetime {
    zmtext::CZMTextApp app;
    LibraryLifetime() { app.InitInstance(); }
};
LibraryLifetime g_library;

const com::ClassTable& Classes() {
    static const com::ClassTable table =
        zmtext::BuildClassTable(zmtext::ZMFactories(), zmtext::ZMModuleState());
    return table;
}

template <class F>
HResult Guarded(F&& body) {
    try {
        return body();
    } catch (...) {
        return com::E_UNEXPECTED;
    }
}

}  // namespace

extern "C" {

HResult DllRegisterServer() {
    return Guarded([] {
        return zmtext::ZMRegisterServer(zmtext::ZMFactories(), zmtext::ZMTextLib(),
                                        zmtext::ZMModulePath(), zmtext::ZMGetHelpDirectory());
    });
}

HResult DllUnregisterServer() {
    return Guarded([] { return zmtext::ZMUnregisterServer(zmtext::ZMFactories(), zmtext::ZMTextLib()); });
}

HResult DllGetClassObject(const com::Guid* clsid, const com::Guid* iid, void** out) {
    return Guarded([&] { return Classes().GetClassObject(clsid, iid, out); });
}

HResult DllCanUnloadNow() {
    return Guarded([] { return Classes().CanUnloadNow(); });
}

// The type library, read back by LoadTypeLib from this file.
const com::TypeLibraryData* ComTypeLibrary() { return &zmtext::ZMTextLib(); }

}  // extern "C"
