// Registration of a library's classes and type library under HKEY_CLASSES_ROOT.
//
// What a control class writes (removed again by UnregisterControlClass):
//   CLSID\{clsid}                  = user type name
//     ProgID                       = ProgID
//     InprocServer32               = library path; ThreadingModel = "Apartment"
//     ToolboxBitmap32              = "<library path>, <bitmap id>"
//     MiscStatus = "0", MiscStatus\1 = the misc status in decimal
//     TypeLib                      = {type library id}
//     Version                      = "<major>.<minor>"
//     Control                      (empty key)
//   <ProgID> = user type name, <ProgID>\CLSID = {clsid}
// A property page writes CLSID\{clsid} = caption and its InprocServer32. A type library writes
// TypeLib\{id}\<major>.<minor> = its help string, ...\0\win32 = library path, ...\FLAGS = "0",
// ...\HELPDIR = help folder, and Interface\{iid} (name, proxy, TypeLib, Version) for each of its
// dispatch interfaces. Removal takes away parents it leaves empty, so registering and then
// unregistering leaves the registry as it was. A registration that fails half-way removes what
// it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/typelib.h"

namespace com {

struct ControlClassRegistration {
    Guid clsid;
    std::string progId;
    std::string userTypeName;
    int toolboxBitmapId = 1;
    std::uint32_t miscStatus = 0;
    Guid typeLib;
    std::uint16_t major = 1;
    std::uint16_t minor = 0;
};

struct PropertyPageRegistration {
    Guid clsid;
    std::string caption;
};

// REGDB_E_WRITEREGDB when the registry cannot be written.
HResult RegisterControlClass(const ControlClassRegistration& info, std::string_view libraryPath);
HResult UnregisterControlClass(const Guid& clsid, std::string_view progId);
HResult RegisterPropertyPageClass(const PropertyPageRegistration& info, std::string_view libraryPath);
HResult UnregisterPropertyPageClass(const Guid& clsid);

// TYPE_E_REGISTRYACCESS when the registry cannot be written.
HResult RegisterTypeLib(const TypeLibraryData& lib, std::string_view libraryPath,
                        std::string_view helpDir);
// Removes one version of a type library, or every version when major and minor are both 0;
// TYPE_E_REGISTRYACCESS when nothing of it is registered. `lcid` is accepted for the platform's
// signature; one locale is all this registry keeps.
HResult UnregisterTypeLib(const Guid& libId, std::uint16_t major, std::uint16_t minor,
                          std::uint32_t lcid);

// "<major>.<minor>" as the registry writes versions (hexadecimal numbers).
std::string VersionKey(std::uint16_t major, std::uint16_t minor);

}  // namespace com
