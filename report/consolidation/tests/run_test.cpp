// The consolidation run over the sample chain: the whole run, the question's answers, the
// period, and what a second run replaces and keeps.
#include "report/consolidation/run.h"

#include "platform/forms/app.h"
#include "platform/win/oledate.h"
#include "platform/win/paths.h"

#include <filesystem>
#include "report/consolidation/tests/support/run_fixture.h"
#include "report/core/tests/support/folders.h"

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

// Every statement names the program folder's BACKUP.MDB in one literal, whatever quotes and
// letters the folder's name holds.
TEST_F(RunTest, ConsolidatesIntoTheBackupOfAFolderNamedWithQuotes) {
    const std::string folder = std::string("C:\\") + report::testing::kQuotedFolder;
    report::testing::MoveFolder("C:\\REPORT", folder);
    SetProgramFolder(folder);
    Reopen();
    RunAll({forms::mb::Yes});
    ASSERT_EQ(Texts().size(), 2u) << ::testing::PrintToString(Texts());
    EXPECT_EQ(reports_, 1);
    const std::string backup = folder + "\\Backup.mdb";
    for (const char* table : {"Produto", "Venda", "Vendedor"}) EXPECT_EQ(CountBy(table, "CodLoja", backup).size(), 3u) << table;
    EXPECT_GT(CountBy("Familia", "Código", backup).size(), 0u);
}

}  // namespace
}  // namespace report::consolidation

namespace report::consolidation {
namespace {

using testing::DigestOf;
using testing::kBackupPath;

// Every table but Status, whose stamp is the time of the run.
testing::Digest Tables() {
    testing::Digest digest = DigestOf(kBackupPath);
    digest.erase("Status");
    return digest;
}

void EditStatus(const dao::Value& data, const dao::Value& hora, bool remove = false) {
    dao::DBEngine engine;
    dao::Database db = engine.OpenDatabase(kBackupPath);
    dao::Recordset rs = db.OpenRecordset("Status", dao::dbOpenTable);
    if (remove) {
        rs.Delete();
    } else {
        rs.Edit();
        rs("Data").SetValue(data);
        rs("Hora").SetValue(hora);
        rs.Update();
    }
    rs.Close();
    db.Close();
}

class RunFlowTest : public RunTest {};

TEST_F(RunFlowTest, ASecondRunReplacesThePerStoreTablesAndKeepsTheCodes) {
    RunAll({forms::mb::Yes});
    const testing::Digest first = Tables();
    ASSERT_EQ(reports_, 1);
    EXPECT_FALSE(first.at("Familia").empty());
    Reopen();
    RunAll({forms::mb::Yes});
    EXPECT_EQ(reports_, 2);
    EXPECT_EQ(Texts().size(), 2u);
    EXPECT_EQ(Tables(), first) << "nothing doubled, nothing lost";
}

TEST_F(RunFlowTest, AProgramFolderWithAnApostropheConsolidatesAsAnyOther) {
    const std::filesystem::path folder = win::HostPath("C:\\D'AVILA");
    std::filesystem::copy(win::HostPath("C:\\REPORT"), folder, std::filesystem::copy_options::recursive);
    SetProgramFolder("C:\\D'AVILA");
    RunAll({forms::mb::Yes});
    EXPECT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
    EXPECT_GT(DigestOf("C:\\D'AVILA\\Backup.mdb").at("Produto").size(), 0u);
    EXPECT_TRUE(DigestOf(kBackupPath).at("Produto").empty()) << "the other folder's file is not touched";
}

TEST_F(RunFlowTest, CancelAndNoLeaveBackupAsItWas) {
    struct Case {
        int answer;
        int reports;
    };
    for (const Case c : {Case{forms::mb::Cancel, 0}, Case{forms::mb::No, 1}}) {
        Reopen();
        reports_ = 0;
        const testing::Digest before = DigestOf(kBackupPath);
        RelatorioConsolidado = "S";
        RunAll({c.answer});
        EXPECT_EQ(DigestOf(kBackupPath), before);
        EXPECT_EQ(reports_, c.reports);
        EXPECT_EQ(RelatorioConsolidado, c.reports ? "N" : "S");
        EXPECT_TRUE(Resposta.IsString() && forms::CStr(Resposta).empty());
        EXPECT_FALSE(W().IsLoaded());
    }
}

TEST_F(RunFlowTest, AFirstRunIsNotAskedAndANullStampAsksWithEmptyParts) {
    EditStatus({}, {}, true);
    RunAll({});
    EXPECT_EQ(Texts().size(), 1u);
    EXPECT_EQ(reports_, 1);
    EXPECT_EQ(DigestOf(kBackupPath).at("Status").size(), 1u);
    EditStatus(dao::Value(), dao::Value());
    Reopen();
    RunAll({forms::mb::No});
    ASSERT_EQ(Texts().size(), 2u);
    EXPECT_EQ(Texts()[1], "Ultima Consolidação  às .\r\rDeseja Executar Nova Consolidação?");
}

TEST_F(RunFlowTest, OnlyStoresMarkedSAreCopiedAndTheFirstCopiedCreatesTheTables) {
    W().GradeLojas->SetValue(1, 3, com::Variant::Utf8("N"));
    W().GradeLojas->SetValue(2, 3, com::Variant::Utf8("s"));
    W().GradeLojas->SetValue(3, 3, com::Variant::Utf8("x"));
    std::vector<std::string> progress;
    for (int i = 0; i < 9; ++i) {
        pump_.actions.push_back([&] { progress.push_back(testing::ControlText(*W().LabelStatus())); });
    }
    RunAll({forms::mb::Yes});
    ASSERT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
    const auto produtos = CountBy("Produto", "CodLoja");
    EXPECT_EQ(produtos.count("01"), 0u);
    EXPECT_EQ(produtos.count("02"), 1u);
    EXPECT_EQ(produtos.count("03"), 0u) << "counted as marked, not copied";
    ASSERT_GE(progress.size(), 1u);
    EXPECT_EQ(progress[0], "Loja: 01/02 - LOJA NORTE");
}

}  // namespace
}  // namespace report::consolidation

namespace report::consolidation {
namespace {

class PeriodTest : public RunTest {
protected:
    // Consolidar answered No (a period), the two dates typed, then Executar.
    void RunPeriod(const std::string& d1, const std::string& d2, std::vector<int> answers) {
        boxes_.answers = {forms::mb::No};
        W().BtnConsolidar_Click();
        ASSERT_NE(W().ZmData1(), nullptr);
        W().ZmData1()->Set(com::DispId{0}, com::Variant::Utf8(d1));
        W().ZmData2()->Set(com::DispId{0}, com::Variant::Utf8(d2));
        boxes_.answers.assign(answers.begin(), answers.end());
        W().BtnExecutar_Click();
    }

    // Sales of the store in `folder` on days first .. last (OLE dates), both included.
    static long SalesBetween(const std::string& folder, double first, double last) {
        dao::Database store = OpenStore(folder + "\\Produto.MDB");
        dao::Recordset rs = store.OpenRecordset("Venda", dao::dbOpenTable);
        long count = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            const double day = rs("Data Venda").GetValue().ToDouble();
            if (day >= first && day <= last) ++count;
        }
        rs.Close();
        store.Close();
        return count;
    }
};

TEST_F(PeriodTest, AnInvalidDateEndsTheRunBeforeAnythingIsOpened) {
    const testing::Digest before = DigestOf(kBackupPath);
    for (const auto& [d1, d2] : std::vector<std::pair<std::string, std::string>>{{"", "31/01/2000"}, {"01/01/2000", ""}}) {
        boxes_.shown.clear();
        RunPeriod(d1, d2, {});
        ASSERT_EQ(Texts().size(), 2u);
        EXPECT_EQ(Texts()[1], "Data Inválida !");
        EXPECT_TRUE(W().IsLoaded());
        W().BtnCancelarFiltro_Click();
    }
    EXPECT_EQ(reports_, 0);
    EXPECT_EQ(DigestOf(kBackupPath), before);
}

TEST_F(PeriodTest, OnlyTheSalesOfThePeriodAreCopiedEverythingElseWhole) {
    RunPeriod("10/01/2000", "20/01/2000", {forms::mb::Yes});
    ASSERT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
    const double first = win::DateSerial(2000, 1, 10), last = win::DateSerial(2000, 1, 20);
    const auto vendas = CountBy("Venda", "CodLoja");
    const std::map<std::string, std::string> folders = {{"01", "F:\\LOJA01"}, {"02", "F:\\LOJA02"}, {"03", "C:\\LOJA03"}};
    for (const auto& [code, folder] : folders) {
        const long expected = SalesBetween(folder, first, last);
        ASSERT_GT(expected, 0) << code;
        EXPECT_EQ(vendas.count(code) ? vendas.at(code) : 0, expected) << code;
    }
    EXPECT_EQ(CountBy("Produto", "CodLoja").size(), 3u);
}

}  // namespace
}  // namespace report::consolidation
