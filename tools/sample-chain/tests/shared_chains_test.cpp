// Builds the chains the other tests copy, one test each, so that they are built side by side. CTest
// runs them before the other tests (PREPARE); run alone, each fixture builds the chain it lacks.
#include <gtest/gtest.h>

#include <filesystem>

#include "tools/sample-chain/tests/shared_chains.h"

namespace sample_chain::testing {
namespace {

void ExpectBuilt(const std::filesystem::path& chain) {
    EXPECT_TRUE(std::filesystem::exists(chain / "complete")) << chain;
    EXPECT_TRUE(std::filesystem::exists(chain / "drives" / "c" / "REPORT" / "Produto.MDB")) << chain;
}

TEST(SharedTemplates, Plain) { ExpectBuilt(PlainChain()); }
TEST(SharedTemplates, Postal) {
    ExpectBuilt(PostalChain());
    EXPECT_TRUE(std::filesystem::exists(PostalChain() / "drives" / "c" / "REPORT" / "dbkvt.mdb"));
}
TEST(SharedTemplates, Package) { ExpectBuilt(PackageChain(true)); }
TEST(SharedTemplates, OpenPackage) { ExpectBuilt(PackageChain(false)); }

}  // namespace
}  // namespace sample_chain::testing
