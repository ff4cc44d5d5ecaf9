// Control libraries for the deployment's tests, one per behaviour (chosen when built):
//   TEST_CONTROL_NO_EXPORT   no DllRegisterServer at all
//   TEST_CONTROL_FAILING     DllRegisterServer counts its call in the registry and returns an error
//   TEST_CONTROL_BLOCKING    DllRegisterServer runs until ReleaseRegistration() (at most a minute)
//   TEST_CONTROL_REGISTERING DllRegisterServer writes, in one batch, the path it was loaded from as
//                            the server of its class and counts its call; when the environment
//                            holds kDieInRegistration, it kills its process first,
//                            as a log-in killed in the middle of a registration
#include <signal.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/win/module.h"
#include "platform/win/registry.h"
#include "report/upgrade/tests/support/killed_child.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::atomic<bool> released{false};
std::atomic<bool> finished{false};
}  // namespace

EXPORT int Answer() { return 42; }

#if defined(TEST_CONTROL_FAILING)
EXPORT std::uint32_t DllRegisterServer() {
    constexpr const char* kKey = "Software\\TestControl";
    const auto count = win::registry::QueryValue(win::RootKey::LocalMachine, kKey, "Registrations");
    const std::uint32_t next = count ? std::get<std::uint32_t>(*count) + 1 : 1;
    win::registry::SetValue(win::RootKey::LocalMachine, kKey, "Registrations", next);
    return 0x80040201u;
}
#elif defined(TEST_CONTROL_BLOCKING)
EXPORT std::uint32_t DllRegisterServer() {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!released.load() && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    finished.store(true);
    return 0;
}
#elif defined(TEST_CONTROL_REGISTERING)
EXPORT std::uint32_t DllRegisterServer() {
    using report::testing::kRegisteringClass;
    if (getenv(report::testing::kDieInRegistration) != nullptr) raise(SIGKILL);
    win::registry::Batch batch;
    const std::string path = win::ModulePath(reinterpret_cast<const void*>(&DllRegisterServer));
    win::registry::SetValue(win::RootKey::ClassesRoot, std::string(kRegisteringClass) + "\\InprocServer32", "", path);
    const auto count = win::registry::QueryValue(win::RootKey::ClassesRoot, kRegisteringClass, "Registrations");
    win::registry::SetValue(win::RootKey::ClassesRoot, kRegisteringClass, "Registrations",
                            count ? std::get<std::uint32_t>(*count) + 1 : 1u);
    return batch.Commit() == win::RegStatus::Success ? 0 : 0x80040201u;
}
#endif

EXPORT void ReleaseRegistration() { released.store(true); }
EXPORT int RegistrationFinished() { return finished.load() ? 1 : 0; }
