// The later steps of the upgrade on older stores: index repairs, the write-off relation and its
// fill, the Null defaults of Produto.MDB and Antigo.MDB's data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/upgrade/tests/support/upgrade_fixture.h"

namespace report::testing {
namespace {

class DataStepsTest : public UpgradeTest {
protected:
    DataStepsTest() { InstalledUpgradeSteps() = UpgradeStepsOfTheData(); }

    // The names of a table's indexes, with P for primary and U for unique.
    std::vector<std::string> IndexesOf(const dao::Database& db, const std::string& table) {
        std::vector<std::string> out;
        const dao::Indexes indexes = db.TableDefs().Item(table).Indexes();
        for (int n = 0; n < indexes.Count(); ++n) {
            const dao::Index index = indexes.Item(n);
            out.push_back(index.Name() + (index.Primary() ? " P" : "") + (index.Unique() ? " U" : ""));
        }
        return out;
    }
};

TEST_F(DataStepsTest, CleanStoreUpgradesWithAnEmptyErrorLog) {
    Upgrade();
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
}

}  // namespace
}  // namespace report::testing
