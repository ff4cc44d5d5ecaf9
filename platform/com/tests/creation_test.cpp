// A class library built for the tests, registered in a temporary machine root: registration and
// unregistration, creation by class id and ProgID, unloading, and its type library.
#include <gtest/gtest.h>

#include <map>

#include "platform/com/connection.h"
#include "platform/com/factory.h"
#include "platform/com/registration.h"
#include "platform/com/typelib.h"
#include "platform/win/error.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/registry.h"
#include "platform/win/testing/temp_machine_root.h"

namespace com {
namespace {

namespace reg = win::registry;
using win::RootKey;

const Guid kLibId = Guid::FromString("{7E1A0001-0000-4000-8000-00000000C0DE}");
const Guid kClsid = Guid::FromString("{7E1A0002-0000-4000-8000-00000000C0DE}");
const Guid kDispIid = Guid::FromString("{7E1A0003-0000-4000-8000-00000000C0DE}");
const Guid kEventIid = Guid::FromString("{7E1A0004-0000-4000-8000-00000000C0DE}");
constexpr const char* kProgId = "TESTCTL.TestLabel.1";

// Every key and value under the classes root, as "key|name" -> text.
void Dump(const std::string& key, std::map<std::string, std::string>& out) {
    for (const auto& name : reg::ValueNames(RootKey::ClassesRoot, key)) {
        const auto v = reg::QueryValue(RootKey::ClassesRoot, key, name);
        out[key + "|" + name] = v && std::holds_alternative<std::string>(*v)
                                    ? std::get<std::string>(*v)
                                    : std::to_string(v ? std::get<std::uint32_t>(*v) : 0);
    }
    out[key + "/"] = "";
    for (const auto& sub : reg::SubKeys(RootKey::ClassesRoot, key))
        Dump(key.empty() ? sub : key + "\\" + sub, out);
}

std::map<std::string, std::string> Registry() {
    std::map<std::string, std::string> out;
    Dump("", out);
    return out;
}

class Creation : public ::testing::Test {
protected:
    void SetUp() override { libraryPath_ = win::WindowsPath(COM_TEST_CONTROL_PATH); }
    void TearDown() override { FreeUnusedLibraries(); }

    // Calls an entry point the way the upgrade does: load the file, call, unload.
    HResult CallExport(const char* name) {
        win::Module module = win::Module::Load(libraryPath_);
        if (!module) return CO_E_DLLNOTFOUND;
        auto fn = reinterpret_cast<DllRegisterServerFn>(module.Export(name));
        return fn ? fn() : CO_E_ERRORINDLL;
    }

    win::testing::TempMachineRoot root_;
    std::string libraryPath_;
};

TEST_F(Creation, ClassNotRegistered) {
    ComPtr<IDispatch> object;
    EXPECT_EQ(CreateInstance(kClsid, &object), REGDB_E_CLASSNOTREG);
    Guid g;
    EXPECT_EQ(ClsidFromProgId(kProgId, &g), CO_E_CLASSSTRING);
    EXPECT_EQ(ClsidFromProgId("", &g), CO_E_CLASSSTRING);
    try {
        CreateObject(kProgId);
        ADD_FAILURE() << "nothing raised";
    } catch (const win::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 429);
        EXPECT_EQ(e.Description(), "ActiveX component can't create object");
    }
}

// An object of a class the process serves itself.
class OwnObject final : public Object<OwnObject, IUnknown> {};

TEST_F(Creation, TheProcesssOwnClassesAreFoundWithoutTheRegistry) {
    const Guid own = Guid::FromString("{7E1A0009-0000-4000-8000-00000000C0DE}");
    int first = 0, second = 0;
    const auto creator = [](int& count) {
        return ObjectCreator([&count](const Guid& iid, void** out) {
            ++count;
            return OwnObject::Create()->QueryInterface(iid, out);
        });
    };
    const struct {
        int* registered;   // the creator registered before the creation (null: none)
        HResult hr;
        int first, second;
    } rows[] = {
        {nullptr, REGDB_E_CLASSNOTREG, 0, 0},
        {&first, S_OK, 1, 0},
        {&second, S_OK, 1, 1},   // registering the class again replaces its creator
    };
    for (const auto& row : rows) {
        if (row.registered) RegisterProcessClass(own, creator(*row.registered));
        ComPtr<IUnknown> object;
        EXPECT_EQ(CreateInstance(own, IUnknown::kIid, object.PutVoid()), row.hr);
        EXPECT_EQ(object.Get() != nullptr, row.hr == S_OK);
        EXPECT_EQ(first, row.first);
        EXPECT_EQ(second, row.second);
    }
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "CLSID\\" + own.ToString())) << "nothing was registered";
    EXPECT_EQ(CreateInstance(kClsid, IUnknown::kIid, ComPtr<IUnknown>().PutVoid()), REGDB_E_CLASSNOTREG)
        << "other classes still come from the registry";
}

TEST_F(Creation, RegisteredClassIsCreatedByIdAndByProgId) {
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
    Guid g;
    ASSERT_EQ(ClsidFromProgId(kProgId, &g), S_OK);
    EXPECT_EQ(g, kClsid);
    EXPECT_EQ(ClsidFromProgId(kClsid.ToString(), &g), S_OK);

    ComPtr<IDispatch> byId;
    ASSERT_EQ(CreateInstance(kClsid, &byId), S_OK);
    ComPtr<IDispatch> byName = CreateObject(kProgId);
    ASSERT_TRUE(byName);
    EXPECT_NE(byId.Get(), byName.Get()) << "each creation is a new object";

    PutProperty(byName.Get(), DISPID_CAPTION, Variant::Utf8("Apagando Tabela..."));
    EXPECT_EQ(GetProperty(byName.Get(), DISPID_VALUE), Variant::Utf8("Apagando Tabela..."));
    PutProperty(byName.Get(), IdOfName(byName.Get(), "backcolor"), Variant::Utf8("&HC0C0FF"));
    EXPECT_EQ(GetProperty(byName.Get(), DISPID_BACKCOLOR), Variant::I4(0xC0C0FF));
    EXPECT_TRUE(byName.As<IConnectionPointContainer>());
    ComPtr<IDispatch> viaDispInterface;
    EXPECT_EQ(byName->QueryInterface(kDispIid, viaDispInterface.PutVoid()), S_OK);
}

TEST_F(Creation, EventFromTheLibraryReachesAProgramSink) {
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
    ComPtr<IDispatch> label = CreateObject(kProgId);

    class Sink final : public DispatchObject<Sink> {
    public:
        Sink() : DispatchObject({kEventIid}) {}
        static const DispatchMap& DispatchMembers() {
            static const DispatchTable<Sink> t = [] {
                DispatchTable<Sink> table;
                table.Method("KeyUp", VT_EMPTY, {VT_BYREF | VT_I2, VT_I2},
                             [](Sink&, DispatchTable<Sink>::Args a) {
                                 *a[0].RefTargetI2() = 0;   // the handler swallows the key
                                 return Variant();
                             },
                             DISPID_KEYUP);
                return table;
            }();
            return t.Map();
        }
    };
    auto sink = Sink::Create();
    std::uint32_t cookie = 0;
    ASSERT_EQ(AdviseSink(label.Get(), kEventIid, static_cast<IDispatch*>(sink.Get()), &cookie), S_OK);
    EXPECT_EQ(CallMethod(label.Get(), IdOfName(label.Get(), "PressKey"), {Variant::I2(27)}), Variant::I2(0));
    ASSERT_EQ(UnadviseSink(label.Get(), kEventIid, cookie), S_OK);
    EXPECT_EQ(CallMethod(label.Get(), IdOfName(label.Get(), "PressKey"), {Variant::I2(27)}), Variant::I2(27));
}

TEST_F(Creation, LibraryUnloadsOnlyWhenNothingIsAlive) {
    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
    ComPtr<IDispatch> object;
    ASSERT_EQ(CreateInstance(kClsid, &object), S_OK);
    EXPECT_EQ(LoadedLibraryCount(), 1);
    EXPECT_EQ(FreeUnusedLibraries(), 0);
    object.Reset();

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(GetClassObject(kClsid, IClassFactory::kIid, factory.PutVoid()), S_OK);
    EXPECT_EQ(FreeUnusedLibraries(), 0) << "a factory in the program's hands keeps the library";
    factory->LockServer(true);
    EXPECT_EQ(FreeUnusedLibraries(), 0) << "a server lock keeps the library";
    IUnknown* outer = factory.Get();
    void* aggregated = nullptr;
    EXPECT_EQ(factory->CreateInstance(outer, IDispatch::kIid, &aggregated), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(aggregated, nullptr);
    factory->LockServer(false);
    EXPECT_EQ(FreeUnusedLibraries(), 0);
    factory.Reset();
    EXPECT_EQ(FreeUnusedLibraries(), 1);
    EXPECT_EQ(LoadedLibraryCount(), 0);
}

TEST_F(Creation, CreationFailures) {
    const Guid other = Guid::FromString("{7E1A00FF-0000-4000-8000-00000000C0DE}");
    struct Row {
        const char* name;
        std::string server;   // InprocServer32 of the class `other`
        HResult expected;
    };
    const Row rows[] = {
        {"library does not serve the class", libraryPath_, CLASS_E_CLASSNOTAVAILABLE},
        {"library file missing", "C:\\NOPE\\MISSING.OCX", CO_E_DLLNOTFOUND},
        {"no server entry", "", REGDB_E_CLASSNOTREG},
    };
    for (const auto& row : rows) {
        reg::SetValue(RootKey::ClassesRoot, "CLSID\\" + other.ToString() + "\\InprocServer32", "", row.server);
        ComPtr<IDispatch> object;
        EXPECT_EQ(CreateInstance(other, &object), row.expected) << row.name;
        EXPECT_FALSE(object);
        try {
            CreateObject(other.ToString());
            ADD_FAILURE() << row.name;
        } catch (const win::RuntimeError& e) {
            EXPECT_EQ(e.Number(), 429) << row.name;
        }
    }
}

TEST_F(Creation, RegistrationWritesTheEntriesAndUnregistrationRemovesThem) {
    reg::SetValue(RootKey::ClassesRoot, "Other.Prog\\CLSID", "", "{00000000-0000-0000-0000-000000000001}");
    reg::SetValue(RootKey::ClassesRoot, "CLSID\\{00000000-0000-0000-0000-000000000001}", "", "Other");
    const auto before = Registry();

    ASSERT_EQ(CallExport("DllRegisterServer"), S_OK);
    const std::string cls = "CLSID\\" + kClsid.ToString();
    const std::string lib = "TypeLib\\" + kLibId.ToString() + "\\4.1";
    const std::pair<std::string, std::string> entries[] = {
        {cls + "|", "Test Label Control"},
        {cls + "\\ProgID|", kProgId},
        {cls + "\\InprocServer32|", libraryPath_},
        {cls + "\\InprocServer32|ThreadingModel", "Apartment"},
        {cls + "\\ToolboxBitmap32|", libraryPath_ + ", 7"},
        {cls + "\\MiscStatus|", "0"},
        {cls + "\\MiscStatus\\1|", "237969"},
        {cls + "\\TypeLib|", kLibId.ToString()},
        {cls + "\\Version|", "4.1"},
        {cls + "\\Control/", ""},
        {std::string(kProgId) + "\\CLSID|", kClsid.ToString()},
        {lib + "|", "Test Control Library"},
        {lib + "\\0\\win32|", libraryPath_},
        {lib + "\\FLAGS|", "0"},
        {lib + "\\HELPDIR|", "C:\\HELP"},
        {"Interface\\" + kDispIid.ToString() + "|", "_DTestLabel"},
        {"Interface\\" + kEventIid.ToString() + "\\TypeLib|", kLibId.ToString()},
        {"Interface\\" + kEventIid.ToString() + "\\TypeLib|Version", "4.1"},
        {"CLSID\\{7E1A0005-0000-4000-8000-00000000C0DE}|", "Test Property Page"},
    };
    const auto after = Registry();
    for (const auto& [key, value] : entries) {
        const auto it = after.find(key);
        ASSERT_NE(it, after.end()) << key;
        EXPECT_EQ(it->second, value) << key;
    }

    ASSERT_EQ(CallExport("DllUnregisterServer"), S_OK);
    EXPECT_EQ(Registry(), before);
    EXPECT_EQ(CallExport("DllUnregisterServer"), SELFREG_E_TYPELIB)
        << "a type library that is not registered cannot be unregistered";
    EXPECT_EQ(Registry(), before);
}

TEST_F(Creation, UnregisteringVersionZeroRemovesEveryVersion) {
    TypeLibraryData lib = *reinterpret_cast<TypeLibraryExportFn>(
        win::Module::Load(libraryPath_).Export(kTypeLibraryExport))();
    const auto before = Registry();
    for (std::uint16_t major : {2, 4, 10}) {
        lib.major = major;
        lib.minor = 0;
        ASSERT_EQ(RegisterTypeLib(lib, libraryPath_, "C:\\HELP"), S_OK);
    }
    EXPECT_EQ(reg::SubKeys(RootKey::ClassesRoot, "TypeLib\\" + kLibId.ToString()),
              (std::vector<std::string>{"2.0", "4.0", "a.0"}));
    ASSERT_EQ(UnregisterTypeLib(kLibId, 4, 0, 0), S_OK);
    EXPECT_EQ(reg::SubKeys(RootKey::ClassesRoot, "TypeLib\\" + kLibId.ToString()),
              (std::vector<std::string>{"2.0", "a.0"}));
    EXPECT_EQ(UnregisterTypeLib(kLibId, 4, 0, 0), TYPE_E_REGISTRYACCESS);
    ASSERT_EQ(UnregisterTypeLib(kLibId, 0, 0, 0), S_OK);
    EXPECT_EQ(Registry(), before);
}

TEST_F(Creation, RegisterServerRunsOnAWorkerThread) {
    win::Thread worker = win::Thread::Start([this] {
        return static_cast<std::uint32_t>(CallExport("DllRegisterServer"));
    });
    ASSERT_EQ(worker.Wait(std::chrono::milliseconds(10000)), win::WaitResult::Ended);
    EXPECT_EQ(worker.ExitCode(), 0u);
    ComPtr<IDispatch> object;
    EXPECT_EQ(CreateInstance(kClsid, &object), S_OK);
}

TEST_F(Creation, TypeLibraryIsReadBackFromTheLibraryFile) {
    std::shared_ptr<const TypeLib> lib;
    ASSERT_EQ(LoadTypeLib(libraryPath_, &lib), S_OK);
    std::string name, help, file;
    ASSERT_EQ(lib->GetDocumentation(-1, &name, &help, &file), S_OK);
    EXPECT_EQ(name, "TestLib");
    EXPECT_EQ(help, "Test Control Library");
    EXPECT_EQ(file, "TEST.HLP");
    EXPECT_EQ(lib->GetDocumentation(99, &name, nullptr, nullptr), TYPE_E_ELEMENTNOTFOUND);

    std::vector<std::string> enums;
    for (std::size_t i = 0; i < lib->TypeInfoCount(); ++i)
        if (lib->TypeInfoType(i) == TypeKind::Enum) enums.push_back(lib->TypeInfo(i).name);
    EXPECT_EQ(enums, (std::vector<std::string>{"enumJU", "JustificationC"}));

    const TypeInfoData* ju = lib->Data().Find("ENUMju");
    ASSERT_NE(ju, nullptr);
    EXPECT_TRUE(ju->hidden);
    EXPECT_EQ(EnumListEntries(*ju, false), (std::vector<std::string>{"0 - Left", "1 - Center", "2 - Right"}));
    EXPECT_EQ(EnumListEntries(*ju, true),
              (std::vector<std::string>{"0 - _ZM_JU_LEFT", "1 - _ZM_JU_CENTER", "2 - _ZM_JU_RIGHT"}));
    ASSERT_NE(ju->FindVar("_zm_ju_right"), nullptr);
    EXPECT_EQ(ju->FindVar("_zm_ju_right")->memberId, 0x40000002);
    EXPECT_EQ(ju->FindVar("_zm_ju_right")->value, Variant::I4(2));

    const TypeInfoData* coclass = lib->Data().Find("TestLabel");
    ASSERT_NE(coclass, nullptr);
    EXPECT_EQ(coclass->kind, TypeKind::Coclass);
    EXPECT_EQ(coclass->defaultInterface, kDispIid);
    EXPECT_EQ(coclass->eventInterface, kEventIid);
    const TypeInfoData* disp = lib->Data().Find("_DTestLabel");
    ASSERT_NE(disp, nullptr);
    EXPECT_EQ(disp->funcs.size(), 4u);
    EXPECT_EQ(disp->funcs[0].id, DISPID_CAPTION);

    EXPECT_EQ(LoadTypeLib("C:\\NOPE\\MISSING.OCX", &lib), TYPE_E_CANTLOADLIBRARY);
    EXPECT_FALSE(lib);
}

}  // namespace
}  // namespace com
