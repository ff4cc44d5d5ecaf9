// The consolidation run over the sample chain: the whole run, the question's answers, the
// period, and what a second run replaces and keeps.
#include "report/consolidation/run.h"

#include "platform/forms/app.h"
#include "report/consolidation/tests/support/run_fixture.h"

namespace report::consolidation {
namespace {

using testing::RunTest;

TEST_F(RunTest, ConsolidatesEveryMarkedStoreAndPrintsTheReport) {
    RunAll({forms::mb::Yes});
    ASSERT_EQ(Texts().size(), 2u) << (Texts().size() > 2 ? Texts()[2] : "");
    EXPECT_EQ(Texts()[1], "Ultima Consolidação 28/02/2001 às 19:45.\r\rDeseja Executar Nova Consolidação?");
    EXPECT_EQ(boxes_.shown[1].style, 291);
    EXPECT_EQ(reports_, 1);
    EXPECT_EQ(RelatorioConsolidado, "N");
    EXPECT_TRUE(Resposta.IsString());
    EXPECT_FALSE(W().IsLoaded());
    const auto produtos = CountBy("Produto", "CodLoja");
    EXPECT_EQ(produtos.size(), 3u);
    for (const char* code : {"01", "02", "03"}) EXPECT_GT(produtos.count(code), 0u) << code;
}

}  // namespace
}  // namespace report::consolidation
