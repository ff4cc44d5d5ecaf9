// The stores the consolidation benchmark copies: copies of the sample chain's large store, each
// with a store code of its own, so that the consolidated tables and their primary indexes see as
// many stores as there are copies.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bench {

struct BenchStore {
    std::string code;     // the own-store code of its table Loja
    std::string folder;   // Windows path of its data folder, without a closing backslash
    long long rows = 0;   // rows of the tables the consolidation copies
};

// The program folder holding the chain's BACKUP.MDB (as built, never written by the benchmark).
inline constexpr const char* kChainProgramFolder = "C:\\REPORT";

// Builds, once, under the machine root `root`: the sample chain with its large store and `count`
// copies of that store's Produto.MDB in F:\BENCH01, F:\BENCH02, ... (codes 11, 12, ...). Later calls
// with the same root reuse what is there. The building runs in a child process, so that the
// caller's peak memory is its own. Sets the machine root to `root`.
std::vector<BenchStore> PrepareStores(const std::filesystem::path& root, int count);

}  // namespace bench
