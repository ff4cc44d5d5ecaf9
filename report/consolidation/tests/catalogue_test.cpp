// From the catalogue to the printed report: a consolidated report asks for the consolidation, the
// user consolidates the marked stores for a period, and the report is printed from BACKUP.MDB.
#include "report/consolidation/consolidacao.h"
#include "report/consolidation/run.h"
#include "report/reports/tests/support/reports_fixture.h"

namespace report::consolidation {
namespace {

class CatalogueTest : public reports::testing::ReportsTest {
protected:
    CatalogueTest() { forms::InstallEventPump(&pump_); }
    ~CatalogueTest() override {
        if (ConsolidationWindow().IsLoaded()) ConsolidationWindow().Drop();
        FecharConsolidacao();
        SetConsolidationRun(nullptr);
        forms::InstallEventPump(nullptr);
    }

    // The rows `sql` selects from BACKUP.MDB.
    static long Count(const std::string& sql) {
        dao::DBEngine engine;
        dao::Database db = engine.OpenDatabase("C:\\REPORT\\Backup.mdb");
        dao::Recordset rs = db.OpenRecordset(sql, dao::dbOpenSnapshot);
        long count = 0;
        for (; !rs.Eof(); rs.MoveNext()) ++count;
        rs.Close();
        db.Close();
        return count;
    }

    forms::ScriptedEventPump pump_;
};

TEST_F(CatalogueTest, AConsolidatedReportIsPrintedFromThePeriodJustConsolidated) {
    InstallConsolidation();
    reports::Inicio& catalogue = Open(reports::testing::kGerente);
    Pick("R003");
    catalogue.BtnImprimir_Click();
    Consolidacao& window = ConsolidationWindow();
    ASSERT_TRUE(window.IsLoaded());
    EXPECT_EQ(Preview(), nullptr);

    boxes_.answers = {forms::mb::No};
    window.BtnConsolidar_Click();
    ASSERT_NE(window.ZmData1(), nullptr);
    window.ZmData1()->Set(com::DispId{0}, com::Variant::Utf8("01/01/2000"));
    window.ZmData2()->Set(com::DispId{0}, com::Variant::Utf8("15/01/2000"));
    boxes_.answers = {forms::mb::Yes};
    window.BtnExecutar_Click();

    ASSERT_NE(Preview(), nullptr) << (boxes_.shown.empty() ? "" : boxes_.shown.back().text);
    EXPECT_FALSE(window.IsLoaded());
    EXPECT_EQ(RelatorioConsolidado, "N");
    EXPECT_EQ(Count("SELECT CodLoja FROM Loja"), 5) << "every store the copied stores list";
    EXPECT_EQ(Count("SELECT CodLoja FROM Produto GROUP BY CodLoja"), 3);
    EXPECT_GT(Count("SELECT CodLoja FROM Venda"), 0);
    EXPECT_EQ(Count("SELECT CodLoja FROM Venda WHERE [Data Venda] > #1/15/2000#"), 0);
}

}  // namespace
}  // namespace report::consolidation
