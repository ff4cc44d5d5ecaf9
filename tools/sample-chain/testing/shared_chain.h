// Sample chains built once for a test program and shared by all its test processes
// (win::testing::SharedFolder). The chain dates its files the day before it is built, and the
// log-in's clock check reads those dates: a shared folder is never reused on another day. A test
// never works in the template: it copies it into a machine root of its own (CopyChain), keeping the
// files' dates.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/win/paths.h"
#include "platform/win/testing/shared_folder.h"
#include "tools/sample-chain/chain.h"

namespace sample_chain::testing {

// The machine root of the shared chain of kind `kind`, built from `options` (its root is ignored).
// `finish` runs in the new root (the machine root set to it) before it is published, e.g. to
// register a control library there.
inline std::filesystem::path SharedChain(const std::string& kind, Options options,
                                         const std::function<void()>& finish = {}) {
    return win::testing::SharedFolder("chain-" + kind, [&](const std::filesystem::path& building) {
        struct RestoreRoot {
            std::filesystem::path previous = win::MachineRoot();
            ~RestoreRoot() { win::SetMachineRoot(previous); }
        } restore;
        std::filesystem::create_directories(building / "drives" / "c" / "WINDOWS" / "SYSTEM");
        options.root = building;
        BuildChain(options);
        if (finish) finish();
    });
}

// The default chain.
inline std::filesystem::path SharedChain(const std::function<void()>& finish = {}) {
    return SharedChain("plain", Options{}, finish);
}

// Copies the chain at `chain` into the machine root `root`, each file keeping its date.
inline void CopyChain(const std::filesystem::path& chain, const std::filesystem::path& root) {
    win::testing::CopyKeepingDates(chain, root);
}

}  // namespace sample_chain::testing
