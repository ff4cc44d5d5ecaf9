// The test field library registered in a temporary machine root for one test.
#pragma once

#include <gtest/gtest.h>

#include "platform/com/factory.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"

namespace ctl::testing {

class RegisteredFieldLibrary {
public:
    RegisteredFieldLibrary() {
        win::Module lib = win::Module::Load(win::WindowsPath(CTL_TEST_FIELD_PATH));
        registered_ = lib && reinterpret_cast<com::DllRegisterServerFn>(lib.Export("DllRegisterServer"))() == com::S_OK;
    }
    ~RegisteredFieldLibrary() { com::FreeUnusedLibraries(); }
    bool Registered() const { return registered_; }

private:
    win::testing::TempMachineRoot root_;
    bool registered_ = false;
};

}  // namespace ctl::testing
