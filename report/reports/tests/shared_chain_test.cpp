// Builds the chain the catalogue window's tests copy. CTest runs it before them (PREPARE); run
// alone, the fixture builds the chain it lacks.
#include <gtest/gtest.h>

#include <filesystem>

#include "tools/sample-chain/testing/shared_chain.h"

namespace report::reports::testing {
namespace {

TEST(SharedTemplates, CatalogueWindowChain) {
    const std::filesystem::path chain = sample_chain::testing::SharedChain();
    EXPECT_TRUE(std::filesystem::exists(chain / "complete")) << chain;
    EXPECT_TRUE(std::filesystem::exists(chain / "drives" / "c" / "REPORT" / "Bd2.MDB")) << chain;
}

}  // namespace
}  // namespace report::reports::testing
