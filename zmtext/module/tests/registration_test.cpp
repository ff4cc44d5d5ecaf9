// The library file ZMTEXT32.OCX: loading, its entry points, registration in a temporary machine
// root and on a worker thread, and registration of built classes through the factory list.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/com/factory.h"
#include "platform/com/registration.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/registry.h"
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/module/classes.h"
#include "zmtext/module/registration.h"
#include "zmtext/module/tests/registry_snapshot.h"
#include "zmtext/module/zmtextlib.h"

namespace zmtext {
namespace {

namespace reg = win::registry;
using win::RootKey;

const std::string kTypeLibKey = "TypeLib\\{A5CC20C4-B5F5-11CD-98EC-0020AF234C9D}\\4.1";
constexpr const char* kHelpKey = "Software\\Halvern\\Tallmark\\HelpDirectory";

std::string Value(const std::string& key, const std::string& name = "") {
    return reg::QueryString(RootKey::ClassesRoot, key, name).value_or("(absent)");
}

class LibraryFile : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = win::WindowsPath(ZMTEXT_OCX_PATH);
        module_ = win::Module::Load(path_);
        ASSERT_TRUE(module_) << path_;
    }

    com::HResult Call(const char* name) {
        auto fn = reinterpret_cast<com::DllRegisterServerFn>(module_.Export(name));
        return fn ? fn() : com::CO_E_ERRORINDLL;
    }
    std::string Folder() const { return path_.substr(0, path_.rfind('\\')); }

    win::testing::TempMachineRoot root_;
    std::string path_;
    win::Module module_;
};

TEST_F(LibraryFile, ExportsTheFourEntryPointsAndItsTypeLibrary) {
    for (const char* name : {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject",
                             "DllCanUnloadNow", "ComTypeLibrary"})
        EXPECT_NE(module_.Export(name), nullptr) << name;
    EXPECT_EQ(std::filesystem::path(ZMTEXT_OCX_PATH).filename(), "ZMTEXT32.OCX");
}

TEST_F(LibraryFile, RegisteringThenUnregisteringLeavesTheRegistryAsItWas) {
    // Neighbours that share the parents the library writes under must survive.
    reg::SetValue(RootKey::ClassesRoot, "CLSID\\{00000000-1111-2222-3333-444444444444}", "", std::string("Other"));
    reg::SetValue(RootKey::ClassesRoot, "TypeLib\\{00000000-1111-2222-3333-555555555555}\\1.0", "", std::string("Other lib"));
    reg::SetValue(RootKey::LocalMachine, "Software\\Loja", "Versao", std::string("4.1"));
    const auto before = testing::RegistrySnapshot();

    ASSERT_EQ(Call("DllRegisterServer"), com::S_OK);
    EXPECT_EQ(Value(kTypeLibKey + "\\0\\win32"), path_);
    EXPECT_EQ(Value(kTypeLibKey + "\\HELPDIR"), Folder() + "\\Help");
    EXPECT_NE(testing::RegistrySnapshot(), before);

    ASSERT_EQ(Call("DllUnregisterServer"), com::S_OK);
    EXPECT_EQ(testing::RegistrySnapshot(), before);
}

TEST_F(LibraryFile, RegistrationOnAWorkerThreadEndsWellInsideTheWait) {
    // The deployment waits 10 s for a registration; it must end in half of that, in every build.
    constexpr std::chrono::milliseconds kWait(10000), kWellInside(5000);
    const auto started = std::chrono::steady_clock::now();
    win::Thread worker = win::Thread::StartAt(module_.Export("DllRegisterServer"));
    ASSERT_TRUE(worker);
    ASSERT_EQ(worker.Wait(kWait), win::WaitResult::Ended);
    EXPECT_EQ(worker.ExitCode(), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - started, kWellInside);
    EXPECT_EQ(Value(kTypeLibKey), "Halvern Text Controls");
}

TEST_F(LibraryFile, HelpFolderComesFromTheRegistryKeyElseBesideTheLibrary) {
    struct Row {
        const char* name;
        std::optional<std::string> keyValue;
        std::string expected;   // "" means the library's folder + "\Help"
    } rows[] = {
        {"key present", std::string("C:\\AJUDA"), "C:\\AJUDA"},
        {"key absent", std::nullopt, ""},
        {"value longer than its buffer", std::string(261, 'x'), ""},
        {"value that just fits", std::string(260, 'y'), std::string(260, 'y')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        reg::DeleteTree(RootKey::ClassesRoot, "Software");
        if (row.keyValue) reg::SetValue(RootKey::ClassesRoot, kHelpKey, "", *row.keyValue);
        ASSERT_EQ(Call("DllRegisterServer"), com::S_OK);
        EXPECT_EQ(Value(kTypeLibKey + "\\HELPDIR"), row.expected.empty() ? Folder() + "\\Help" : row.expected);
        ASSERT_EQ(Call("DllUnregisterServer"), com::S_OK);
    }
}

TEST_F(LibraryFile, StatusCodesOfTheRegistrationEntryPoints) {
    // Nothing registered yet: the type library cannot be removed.
    EXPECT_EQ(Call("DllUnregisterServer"), com::MakeHResult(0x80040200));
    // A registry that refuses every write: its lock cannot be taken.
    std::filesystem::remove(root_.Root() / "registry.lock");
    std::filesystem::create_directory(root_.Root() / "registry.lock");
    EXPECT_EQ(Call("DllRegisterServer"), com::MakeHResult(0x80040200));
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "CLSID"));
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "TypeLib"));
}

TEST_F(LibraryFile, ClassObjectsOnlyForBuiltClasses) {
    auto getClassObject = reinterpret_cast<com::DllGetClassObjectFn>(module_.Export("DllGetClassObject"));
    auto canUnload = reinterpret_cast<com::DllCanUnloadNowFn>(module_.Export("DllCanUnloadNow"));
    ASSERT_TRUE(getClassObject && canUnload);
    void* out = reinterpret_cast<void*>(1);
    const com::Guid unknownClass = com::Guid::FromString("{00000000-1111-2222-3333-444444444444}");
    EXPECT_EQ(getClassObject(&unknownClass, &com::IClassFactory::kIid, &out), com::CLASS_E_CLASSNOTAVAILABLE);
    for (const auto& info : ZMControlClasses()) {
        if (ZMFactories().FindControl(info.kind)) continue;
        EXPECT_EQ(getClassObject(&info.clsid, &com::IClassFactory::kIid, &out), com::CLASS_E_CLASSNOTAVAILABLE)
            << info.className;
    }
    EXPECT_EQ(canUnload(), com::S_OK);
}

// --- Registration of built classes, through a factory list of the test's own -----------------

class FactoryRegistration : public ::testing::Test {
protected:
    FactoryRegistration() {
        factories_.controls.push_back({ZMControlKind::Label, {}, {{"Caption", -518, true, {}}}, {{"Change", 1, false, {}}}});
        factories_.pages.push_back({ZMPageClasses()[10].clsid, {}});
        lib_ = BuildZMTextLib(factories_);
    }

    win::testing::TempMachineRoot root_;
    ZMFactoryList factories_;
    com::TypeLibraryData lib_;
    const std::string path_ = "C:\\WINDOWS\\SYSTEM\\ZMTEXT32.OCX";
};

TEST_F(FactoryRegistration, BuiltClassesAreWrittenAndUnbuiltOnesAreNot) {
    const auto before = testing::RegistrySnapshot();
    ASSERT_EQ(ZMRegisterServer(factories_, lib_, path_, "C:\\HELP"), com::S_OK);

    const std::string label = "CLSID\\{A5CC20C1-B5F5-11CD-98EC-0020AF234C9D}";
    EXPECT_EQ(Value(label), "Halvern Label Control");
    EXPECT_EQ(Value(label + "\\ProgID"), "ZMTEXT.ZMLabelCtrl.1");
    EXPECT_EQ(Value(label + "\\InprocServer32"), path_);
    EXPECT_EQ(Value(label + "\\ToolboxBitmap32"), path_ + ", 7");
    EXPECT_EQ(Value(label + "\\MiscStatus\\1"), std::to_string(0x3A191));
    EXPECT_EQ(Value(label + "\\TypeLib"), "{A5CC20C4-B5F5-11CD-98EC-0020AF234C9D}");
    EXPECT_EQ(Value(label + "\\Version"), "4.1");
    EXPECT_EQ(Value("ZMTEXT.ZMLabelCtrl.1\\CLSID"), "{A5CC20C1-B5F5-11CD-98EC-0020AF234C9D}");
    EXPECT_EQ(Value("CLSID\\{A5CC20C5-B5F5-11CD-98EC-0020AF234C9D}"), "Halvern Label Property Page");
    EXPECT_EQ(Value("Interface\\{A5CC20C2-B5F5-11CD-98EC-0020AF234C9D}"), "_DZMLabel");
    // The text control is not built here: neither it nor its page is registered.
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "CLSID\\{A5CC20A3-B5F5-11CD-98EC-0020AF234C9D}"));
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "ZMTEXT.ZMTextCtrl.1"));
    EXPECT_FALSE(reg::KeyExists(RootKey::ClassesRoot, "CLSID\\{A5CC20A7-B5F5-11CD-98EC-0020AF234C9D}"));

    ASSERT_EQ(ZMUnregisterServer(factories_, lib_), com::S_OK);
    EXPECT_EQ(testing::RegistrySnapshot(), before);
}

TEST_F(FactoryRegistration, AClassFailureLeavesNothingOfTheRegistrationBehind) {
    reg::SetValue(RootKey::ClassesRoot, "CLSID\\{00000000-1111-2222-3333-555555555555}", "", std::string("Other"));
    const auto before = testing::RegistrySnapshot();
    factories_.pages.push_back({com::Guid::FromString("{00000000-1111-2222-3333-444444444444}"), {}});
    EXPECT_EQ(ZMRegisterServer(factories_, lib_, path_, "C:\\HELP"), com::MakeHResult(0x80040201));
    EXPECT_EQ(testing::RegistrySnapshot(), before);
}

TEST_F(FactoryRegistration, TypeLibraryDescribesOnlyBuiltControls) {
    const auto* coclass = lib_.Find("sivbLB");
    ASSERT_NE(coclass, nullptr);
    EXPECT_EQ(coclass->kind, com::TypeKind::Coclass);
    EXPECT_EQ(coclass->defaultInterface, ZMControlClass(ZMControlKind::Label).dispatchIid);
    EXPECT_EQ(coclass->eventInterface, ZMControlClass(ZMControlKind::Label).eventIid);
    ASSERT_NE(lib_.Find("_DZMLabel"), nullptr);
    ASSERT_EQ(lib_.Find("_DZMLabel")->funcs.size(), 1u);
    EXPECT_EQ(lib_.Find("_DZMLabel")->funcs[0].id, -518);
    ASSERT_NE(lib_.Find("_DZMLabelEvents"), nullptr);
    for (const char* absent : {"sitxEdit", "_DZMText", "sidtEdit", "sicrEdit"})
        EXPECT_EQ(lib_.Find(absent), nullptr) << absent;
}

}  // namespace
}  // namespace zmtext
