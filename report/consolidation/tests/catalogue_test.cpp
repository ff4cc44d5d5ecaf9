// From the catalogue to the printed report: a consolidated report asks for the consolidation, the
// user consolidates the marked stores for a period, and the report is printed from BACKUP.MDB.
#include <algorithm>
#include <string>
#include <vector>

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

    // Runs R003 from the catalogue: the consolidation window, the marked stores consolidated for
    // the first half of January 2000, and the report printed from BACKUP.MDB.
    void ConsolidateAndPrint() {
        InstallConsolidation();
        report::ProgramHooks().showConsolidation = [] { report::consolidation::ConsolidationWindow().Show(); };
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

        ASSERT_NE(Preview(), nullptr) << (boxes_.shown.empty() ? "" : boxes_.shown.back().text) << ErrorLog();
        EXPECT_FALSE(window.IsLoaded());
        EXPECT_EQ(RelatorioConsolidado, "N");
    }

    forms::ScriptedEventPump pump_;
};

TEST_F(CatalogueTest, AConsolidatedReportIsPrintedFromThePeriodJustConsolidated) {
    ConsolidateAndPrint();
    EXPECT_EQ(Count("SELECT CodLoja FROM Loja"), 5) << "every store the copied stores list";
    EXPECT_EQ(Count("SELECT CodLoja FROM Produto GROUP BY CodLoja"), 3);
    EXPECT_GT(Count("SELECT CodLoja FROM Venda"), 0);
    EXPECT_EQ(Count("SELECT CodLoja FROM Venda WHERE [Data Venda] > #1/15/2000#"), 0);
}

TEST_F(CatalogueTest, AConsolidatedReportShowsTheSalesOfEveryConsolidatedStore) {
    ConsolidateAndPrint();
    // The report's store column holds each store's code once per sale BACKUP.MDB holds for it.
    const std::vector<std::string> cells = Texts(controls::report::TextRole::Cell);
    for (const char* store : {"01", "02", "03"}) {
        const long sales = Count(std::string("SELECT CodLoja FROM Venda WHERE CodLoja = '") + store + "'");
        EXPECT_GT(sales, 0) << store;
        EXPECT_EQ(std::count(cells.begin(), cells.end(), store), sales) << store;
    }
    EXPECT_EQ(boxes_.shown.size(), 2u) << "the two questions of the consolidation, nothing else";
}

}  // namespace
}  // namespace report::consolidation
