// Builds the older store the upgrade's tests copy. CTest runs it before them (PREPARE); run alone,
// the fixture builds the store it lacks.
#include <filesystem>

#include "report/upgrade/tests/support/upgrade_fixture.h"

namespace report::testing {
namespace {

using SharedTemplates = UpgradeTest;

// Every store file was copied into the data folder, and the log-in's set opens on it.
TEST_F(SharedTemplates, OlderStore) {
    for (const std::string& name : StoreFiles()) EXPECT_TRUE(std::filesystem::exists(Host(DataFile(name)))) << name;
    EXPECT_TRUE(BancoProdutoLoja.IsOpen());
    EXPECT_EQ(Stamp(), Date("01/01/2001"));
}

}  // namespace
}  // namespace report::testing
