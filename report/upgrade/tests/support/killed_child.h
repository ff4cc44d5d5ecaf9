// Log-ins killed in the middle: a child process that runs a piece of the upgrade and is killed in
// it, and what the registering test control library (tests/controls/test_control.cpp) leaves in the
// registry, to see whether a registration was completed.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win/registry.h"

namespace report::testing {

// The class the registering library registers, and the variable that makes it die in DllRegisterServer.
inline constexpr const char* kRegisteringClass = "CLSID\\{6D1F3A52-0B7E-4C55-9A41-2E8C0F7B9D10}";
inline constexpr const char* kDieInRegistration = "TEST_CONTROL_DIE_IN_REGISTRATION";

// The path the library registered as its server; "" when it is not registered.
inline std::string RegisteredServer() {
    return win::registry::QueryString(win::RootKey::ClassesRoot, std::string(kRegisteringClass) + "\\InprocServer32", "")
        .value_or("");
}

// How often its registration ran to its end.
inline std::uint32_t RegisteringCount() {
    const auto value = win::registry::QueryValue(win::RootKey::ClassesRoot, kRegisteringClass, "Registrations");
    return value ? std::get<std::uint32_t>(*value) : 0;
}

// Runs `body` in a child process, which ends there; true when something killed it (SIGKILL).
inline bool KilledInAChild(const std::function<void()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        try {
            body();
        } catch (...) {
            _exit(2);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace report::testing
