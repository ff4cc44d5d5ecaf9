// The chains this test program's tests copy, each built once for the program (SharedChain).
#pragma once

#include <filesystem>

#include "tools/sample-chain/chain.h"
#include "tools/sample-chain/testing/shared_chain.h"

namespace sample_chain::testing {

inline std::filesystem::path PlainChain() { return SharedChain(); }

// With the postal-code database.
inline std::filesystem::path PostalChain() {
    Options options;
    options.postal = true;
    return SharedChain("postal", options);
}

// With the catalogue package in LOJA01, protected by the store password or not.
inline std::filesystem::path PackageChain(bool withPassword) {
    Options options;
    options.package = true;
    options.packagePassword = withPassword;
    return SharedChain(withPassword ? "package" : "open-package", options);
}

}  // namespace sample_chain::testing
