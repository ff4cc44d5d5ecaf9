// The bodies of the library's registration entry points.
//
// Registration writes the type library (with the help folder) and then every built control and
// property-page class; unregistration removes the type library (every version) and then every
// built class. Both touch only the registry, the type library description and the string table,
// never a window or any other GUI object, so the host may run them on a worker thread of its own.
#pragma once

#include <string_view>

#include "platform/com/hresult.h"
#include "platform/com/typelib.h"
#include "zmtext/module/classes.h"

namespace zmtext {

// S_OK; SELFREG_E_TYPELIB (nothing else written) when the type library cannot be registered;
// SELFREG_E_CLASS when a class cannot.
com::HResult ZMRegisterServer(const ZMFactoryList& factories, const com::TypeLibraryData& lib,
                              std::string_view libraryPath, std::string_view helpDir);
// S_OK; SELFREG_E_TYPELIB when the type library is not registered or cannot be removed;
// SELFREG_E_CLASS when a class cannot be removed.
com::HResult ZMUnregisterServer(const ZMFactoryList& factories, const com::TypeLibraryData& lib);

}  // namespace zmtext
