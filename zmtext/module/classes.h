// The classes the library serves: the identities of its seven controls and eleven property pages
// (fixed: containers and saved windows name them), and the factory list of the classes that are
// built into this copy of the library.
//
// A control or page joins the factory list from its own source file with a static
// ZMClassRegistrar, so the list grows as controls are added and a class whose code is not in the
// library is neither registered nor creatable. The list is complete once the library is loaded
// and is only read afterwards (registration may read it from another thread).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/com/factory.h"
#include "platform/com/typelib.h"
#include "zmtext/module/control_kind.h"

namespace zmtext {

struct ZMControlClassInfo {
    ZMControlKind kind;
    std::string_view className;     // "CZMTextCtrl"
    std::string_view coclassName;   // "sitxEdit"
    com::Guid clsid;
    std::string_view dispatchName;  // "_DZMText"
    com::Guid dispatchIid;
    std::string_view eventName;     // "_DZMTextEvents"
    com::Guid eventIid;
    std::string_view progId;
    int userTypeStringId;
    int toolboxBitmapId;
    std::uint32_t miscStatus;
};

struct ZMPageClassInfo {
    std::string_view className;
    com::Guid clsid;
    std::string_view progId;
    int captionStringId;
};

const std::array<ZMControlClassInfo, kControlKindCount>& ZMControlClasses();
const std::array<ZMPageClassInfo, 11>& ZMPageClasses();
const ZMControlClassInfo& ZMControlClass(ZMControlKind kind);
const ZMPageClassInfo* ZMFindPageClass(const com::Guid& clsid);
// A control's property pages in the order it lists them: its own page classes by name, then the
// platform's stock colour, font and picture pages.
std::vector<com::Guid> ZMPropertyPageList(std::initializer_list<std::string_view> ownPages);

// Misc status of the edit controls and of the label (which also is a simple frame, alignable and
// acts like a label).
inline constexpr std::uint32_t kEditMiscStatus = 0x20191;
inline constexpr std::uint32_t kLabelMiscStatus = 0x3A191;

// What a built control brings to the library: how to create it and the members its dispatch
// and event interfaces list in the type library.
struct ZMControlFactory {
    ZMControlKind kind;
    com::ObjectCreator create;
    std::vector<com::FuncDesc> dispatchMembers;
    std::vector<com::FuncDesc> eventMembers;
};

struct ZMPageFactory {
    com::Guid clsid;   // one of ZMPageClasses()
    com::ObjectCreator create;
};

// The built classes, in the order they joined.
struct ZMFactoryList {
    std::vector<ZMControlFactory> controls;
    std::vector<ZMPageFactory> pages;

    const ZMControlFactory* FindControl(ZMControlKind kind) const;
};

// The library's own list.
const ZMFactoryList& ZMFactories();

// Adds a class to the library's list at load time (a static object in the class's file).
class ZMClassRegistrar {
public:
    explicit ZMClassRegistrar(ZMControlFactory control);
    explicit ZMClassRegistrar(ZMPageFactory page);
};

// The members of a dispatch table as the type library lists them.
std::vector<com::FuncDesc> ZMDescribeMembers(const com::DispatchMap& map);

// The object count and server locks of the library, for DllCanUnloadNow; every object the
// library creates holds a com::ModuleObjectRef on it.
com::ModuleState& ZMModuleState();

// The class table DllGetClassObject answers from: every built control and page.
com::ClassTable BuildClassTable(const ZMFactoryList& factories, com::ModuleState& state);

}  // namespace zmtext
