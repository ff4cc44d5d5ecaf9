// What the run does when it is cancelled, meets a lock, or fails: BACKUP.MDB holds either the
// last committed consolidation or the whole new one, and nothing of the run stays open.
#include "report/consolidation/run.h"

#include "platform/controls/threed/threed.h"
#include "platform/dao/errors.h"
#include "platform/win/paths.h"

#include <QWidget>

#include <filesystem>
#include <fstream>
#include "report/consolidation/tests/support/run_fixture.h"

namespace report::consolidation {
namespace {

using testing::DigestOf;
using testing::kBackupPath;

const std::string kRollbackText = "Ocorreu um Erro Durante a Consolidação\rTente Novamente!!";
const std::string kOtherUser = "Já Existe outro Usuário Consolidando as Informações.Aguarde !!!";

class RecoveryTest : public testing::RunTest {
protected:
    RecoveryTest() : before_(DigestOf(kBackupPath)) {}

    // Nothing of the run is left holding BACKUP.MDB: another engine can hold Status deny-write.
    static bool BackupIsFree() {
        dao::DBEngine engine;
        engine.SetBusyTimeout(0);
        try {
            dao::Database db = engine.OpenDatabase(kBackupPath);
            dao::Recordset status = db.OpenRecordset("Status", dao::dbOpenTable, dao::dbDenyWrite);
            status.Close();
            db.Close();
            return true;
        } catch (const win::RuntimeError&) {
            return false;
        }
    }

    // A second run from a new window completes: the failed one left nothing that blocks it.
    void NextRunCompletes() {
        if (window_->IsLoaded()) window_->Drop();
        dao::ClearFaults();
        AbrirBDLoja();
        window_ = std::make_unique<Consolidacao>();
        window_->Show();
        boxes_.shown.clear();
        reports_ = 0;
        RunAll({forms::mb::Yes});
        EXPECT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
    }

    std::string Counter() { return testing::ControlText(*W().ZmBloqueio()); }

    // The rows of `table` in the Produto.mdb of the chain's store `code`.
    static long StoreRows(const std::string& code, const std::string& table) {
        for (const sample_chain::Store& store : sample_chain::Stores()) {
            if (store.code != code) continue;
            dao::Recordset rs =
                OpenStore(store.folder + "\\Produto.mdb").OpenRecordset("SELECT Count(*) FROM " + table, dao::dbOpenSnapshot);
            return rs(0).GetValue().ToLong();
        }
        return -1;
    }

    testing::Digest before_;
};

TEST_F(RecoveryTest, ACancelAtTheFirstYieldRollsEverythingBack) {
    pump_.actions.push_back([this] { W().BtnCancelar_Click(); });
    RunAll({forms::mb::Yes});
    EXPECT_EQ(Texts().back(), "Execução Cancelada!");
    EXPECT_EQ(boxes_.shown.back().style, 48);
    EXPECT_EQ(DigestOf(kBackupPath), before_);
    EXPECT_EQ(reports_, 0);
    EXPECT_FALSE(W().IsLoaded());
    EXPECT_FALSE(W().CancelaExecucao);
    EXPECT_TRUE(BackupIsFree());
}

TEST_F(RecoveryTest, AnErrorInTheThirdStoreRollsBackAndClosesEverything) {
    dao::InjectFault(3035, "Execute", "*LOJA03*", 1, 4);
    RunAll({forms::mb::Yes});
    ASSERT_EQ(Texts().size(), 4u);
    EXPECT_NE(Texts()[2].find("3035"), std::string::npos) << "reported once by the lock wait's check";
    EXPECT_EQ(Texts()[3], kRollbackText);
    EXPECT_EQ(DigestOf(kBackupPath), before_);
    EXPECT_EQ(reports_, 0);
    EXPECT_FALSE(W().IsLoaded());
    EXPECT_TRUE(BackupIsFree());
    NextRunCompletes();
}

TEST_F(RecoveryTest, ALockThatClearsIsWaitedOutWithItsCounter) {
    dao::DBEngine other;
    other.SetBusyTimeout(0);
    dao::Database holder = other.OpenDatabase(kBackupPath);
    other.BeginTrans();
    holder.Execute("UPDATE Status SET Hora = Hora");
    std::vector<std::string> counts;
    for (int i = 0; i < 3; ++i) pump_.actions.push_back([&] { counts.push_back(Counter()); });
    pump_.actions.back() = [&] {
        counts.push_back(Counter());
        other.Rollback();
    };
    RunAll({forms::mb::Yes});
    EXPECT_EQ(counts, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
    EXPECT_EQ(Texts().size(), 2u);
    EXPECT_NE(DigestOf(kBackupPath), before_);
    holder.Close();
}

TEST_F(RecoveryTest, AnAbandonedLockWaitLeavesBackupAsItWas) {
    dao::DBEngine other;
    other.SetBusyTimeout(0);
    dao::Database holder = other.OpenDatabase(kBackupPath);
    other.BeginTrans();
    holder.Execute("UPDATE Status SET Hora = Hora");
    pump_.actions.push_back([] {});
    pump_.actions.push_back([this] { W().BtnBloqueio_Click(); });
    RunAll({forms::mb::Yes});
    EXPECT_EQ(Texts().size(), 2u) << "no message when the user gives up";
    EXPECT_EQ(reports_, 0);
    EXPECT_FALSE(W().IsLoaded());
    other.Rollback();
    holder.Close();
    EXPECT_EQ(DigestOf(kBackupPath), before_);
    EXPECT_TRUE(BackupIsFree());
}

TEST_F(RecoveryTest, AnotherStationConsolidatingEndsTheRunWithItsMessage) {
    {
        dao::DBEngine other;
        dao::Database db = other.OpenDatabase(kBackupPath);
        dao::Recordset status = db.OpenRecordset("Status", dao::dbOpenTable, dao::dbDenyWrite);
        RunAll({forms::mb::Ok});
        ASSERT_EQ(Texts().size(), 2u);
        EXPECT_EQ(Texts()[1], kOtherUser);
        EXPECT_FALSE(W().IsLoaded());
        status.Close();
        db.Close();
    }
    EXPECT_TRUE(BackupIsFree());
    EXPECT_EQ(DigestOf(kBackupPath), before_);
}

TEST_F(RecoveryTest, ATableLockInsideTheTransactionRollsBackBeforeItsMessage) {
    dao::InjectFault(3262, "Execute", "*LOJA02*", 1, 3);
    RunAll({forms::mb::Yes});
    ASSERT_EQ(Texts().size(), 3u);
    EXPECT_EQ(Texts()[2], kOtherUser);
    EXPECT_EQ(DigestOf(kBackupPath), before_);
    EXPECT_TRUE(BackupIsFree());
    NextRunCompletes();
}

// A 75 met while copying sends the run back to open BACKUP.MDB and Status: the run's own hold on
// Status must be gone by then, or the run would take itself for another station.
TEST_F(RecoveryTest, AnAccessErrorDuringTheCopyStartsOverWithoutBlamingAnotherStation) {
    struct Case {
        const char* operation;
        const char* file;
        int skip;
    };
    const Case cases[] = {{"Execute", "*LOJA02*", 3}, {"OpenDatabase", "*LOJA03*", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        Reopen();
        reports_ = 0;
        dao::InjectFault(75, c.operation, c.file, 1, c.skip);
        RunAll({forms::mb::Yes, forms::mb::Ok, forms::mb::Yes});
        ASSERT_EQ(Texts().size(), 4u) << ::testing::PrintToString(Texts());
        EXPECT_EQ(Texts()[2], "Compactação Imposibilitada!");
        EXPECT_EQ(Texts()[3].rfind("Ultima Consolidação ", 0), 0u) << "the question again, in a new transaction";
        EXPECT_EQ(reports_, 1);
        // Every store copied once, from the first again: none of the rows of the undone copy stay.
        const auto produtos = CountBy("Produto", "CodLoja");
        EXPECT_EQ(produtos.size(), 3u);
        for (const auto& [code, rows] : produtos) EXPECT_EQ(rows, StoreRows(code, "Produto")) << code;
        EXPECT_TRUE(BackupIsFree());
    }
}

TEST_F(RecoveryTest, AStoreLostInItsMiddleIsNamedAndLeavesNoneOfItsRows) {
    struct Case {
        long number;
        std::string message;
    };
    const Case cases[] = {{76, "Diretório da Loja  LOJA NORTE  está errado !"},
                          {68, "Loja LOJA NORTE  Desconectada!"},
                          {52, "Loja LOJA NORTE  Desconectada!"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        Reopen();
        reports_ = 0;
        dao::InjectFault(c.number, "Execute", "*LOJA02*", 1, 5);
        RunAll({forms::mb::Yes});
        ASSERT_EQ(Texts().size(), 3u);
        EXPECT_EQ(Texts()[2], c.message);
        EXPECT_EQ(reports_, 1);
        const auto vendas = CountBy("Venda", "CodLoja");
        EXPECT_EQ(vendas.count("02"), 0u);
        EXPECT_EQ(vendas.count("01"), 1u);
        EXPECT_EQ(vendas.count("03"), 1u);
        EXPECT_EQ(CountBy("Produto", "CodLoja").count("02"), 0u);
    }
}

TEST_F(RecoveryTest, ADamagedStoreIsRepairedAndTheRunStartsOverFromTheQuestion) {
    dao::InjectFault(3343, "Execute", "*LOJA02*", 1, 2);
    RunAll({forms::mb::Yes, forms::mb::Ok, forms::mb::Yes});
    ASSERT_EQ(Texts().size(), 4u);
    EXPECT_EQ(Texts()[2], "Banco de Dados Danificado !\r\rFavor Executar Novamente !");
    EXPECT_EQ(Texts()[3].rfind("Ultima Consolidação ", 0), 0u);
    EXPECT_EQ(reports_, 1);
    EXPECT_EQ(CountBy("Produto", "CodLoja").size(), 3u) << "the repaired store is copied again";
}

TEST_F(RecoveryTest, ADamagedBackupBeforeTheTransactionIsRepairedOnceThenReported) {
    dao::InjectFault(3343, "OpenDatabase", "*\\BACKUP.MDB", 1);
    RunAll({forms::mb::Yes});
    EXPECT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
    window_->Drop();
    window_ = std::make_unique<Consolidacao>();
    window_->Show();
    boxes_.shown.clear();
    reports_ = 0;
    dao::InjectFault(3343, "OpenDatabase", "*\\BACKUP.MDB", 2);
    RunAll({forms::mb::Ok, forms::mb::Ok});
    EXPECT_EQ(reports_, 0);
    ASSERT_EQ(Texts().size(), 3u) << "Consolidar, then the general error box twice";
    EXPECT_NE(Texts()[1].find("3343"), std::string::npos);
    EXPECT_EQ(Texts()[2], Texts()[1]);
    EXPECT_TRUE(W().IsLoaded()) << "the window stays after a general error";
    EXPECT_TRUE(BackupIsFree());
}

TEST_F(RecoveryTest, ALockAtTheIndexStepResumesAtTheFailingIndex) {
    // The twelve indexes' appends come after the four primary ones of the code tables.
    dao::InjectFault(3260, "Append", "*\\BACKUP.MDB", 2, 6);
    RunAll({forms::mb::Yes});
    // Had the retry started again at the first index, that index would exist already (3284).
    EXPECT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
    EXPECT_EQ(Counter(), "2") << "the panel keeps its count once the lock clears";
    EXPECT_TRUE(W().PainelBloqueio().Visible() || !W().IsLoaded());
}

TEST_F(RecoveryTest, DuringARunTheStartButtonsEscAndTheCloseBoxDoNothing) {
    int nested = 0;
    SetConsolidationRun([&](Consolidacao& w) {
        if (w.Executando) ++nested;
        ExecutarConsolidacao(w);
    });
    forms::Window other("Outra");
    other.Show();
    bool otherEnabled = true;
    pump_.actions.push_back([&] {
        otherEnabled = other.Widget()->isEnabled();
        W().BtnExecutar_Click();
        W().BtnConsolidar_Click();
        int esc = 27;
        W().RouteKey(false, esc, 0, nullptr);
        W().Close();
    });
    RunAll({forms::mb::Yes});
    EXPECT_EQ(nested, 0);
    EXPECT_EQ(Texts().size(), 2u);
    EXPECT_EQ(reports_, 1);
    EXPECT_FALSE(otherEnabled) << "no other window writes inside the run's transaction";
    EXPECT_TRUE(other.Widget()->isEnabled());
    other.Drop();
}

TEST_F(RecoveryTest, ErrorsOfARecoveryActionGoToTheSameHandler) {
    // The sample chain's BACKUP.MDB has every table already: the first copy statement meets 3010
    // and the handler drops the table, by BACKUP.MDB's own Execute, which fails here.
    struct Case {
        long number;
        std::vector<int> answers;
        int reports;
        std::vector<std::string> last;   // the texts after Consolidar and the question
    };
    const Case cases[] = {
        {3260, {forms::mb::Yes}, 1, {}},
        {3035, {forms::mb::Yes, forms::mb::Ok, forms::mb::Ok}, 0, {"<error box>", kRollbackText}},
        {3343, {forms::mb::Yes, forms::mb::Ok, forms::mb::Yes}, 1,
         {"Banco de Dados Danificado !\r\rFavor Executar Novamente !", "<question>"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        if (window_->IsLoaded()) window_->Drop();
        AbrirBDLoja();
        window_ = std::make_unique<Consolidacao>();
        window_->Show();
        boxes_.shown.clear();
        reports_ = 0;
        const testing::Digest start = DigestOf(kBackupPath);
        dao::InjectFault(c.number, "Execute", "*\\BACKUP.MDB", 1);
        RunAll(c.answers);
        EXPECT_EQ(reports_, c.reports) << ::testing::PrintToString(Texts());
        ASSERT_EQ(Texts().size(), 2 + c.last.size());
        for (std::size_t i = 0; i < c.last.size(); ++i) {
            const std::string text = Texts()[2 + i];
            if (c.last[i] == "<error box>") {
                EXPECT_NE(text.find(std::to_string(c.number)), std::string::npos) << text;
            } else if (c.last[i] == "<question>") {
                EXPECT_EQ(text.rfind("Ultima Consolidação ", 0), 0u) << text;
            } else {
                EXPECT_EQ(text, c.last[i]);
            }
        }
        if (c.reports == 0) {
            EXPECT_EQ(DigestOf(kBackupPath), start);
        }
        EXPECT_TRUE(BackupIsFree());
    }
}

class CompactionTest : public RecoveryTest {
protected:
    static std::filesystem::path Host(const char* name) { return win::HostPath(std::string("C:\\REPORT\\") + name); }
    // Backup.mdb grown to `size` bytes (a sparse tail the database does not count).
    static void Grow(std::uintmax_t size) { std::filesystem::resize_file(Host("Backup.mdb"), size); }
};

TEST_F(CompactionTest, BackupIsCompactedOnlyAboveTheLimitThroughBkp) {
    Grow(400000000);
    RunAll({forms::mb::Yes});
    EXPECT_EQ(reports_, 1);
    EXPECT_FALSE(std::filesystem::exists(Host("Bkp.mdb")));

    std::ofstream(Host("Bkp.mdb")) << "an old copy";
    Grow(400000001);
    NextRunCompletes();
    EXPECT_LT(std::filesystem::file_size(Host("Backup.mdb")), 400000000u);
    EXPECT_EQ(std::filesystem::file_size(Host("Bkp.mdb")), 400000001u) << "the previous file stays as Bkp.mdb";
}

TEST_F(CompactionTest, AFailedCompactionPutsThePreviousFileBackAndGoesOn) {
    Grow(400000001);
    for (const long number : {75L, 3035L}) {
        SCOPED_TRACE(number);
        boxes_.shown.clear();
        reports_ = 0;
        if (window_->IsLoaded()) window_->Drop();
        window_ = std::make_unique<Consolidacao>();
        window_->Show();
        dao::InjectFault(number, "CompactDatabase", "*", 1);
        RunAll({forms::mb::Ok, forms::mb::Yes});
        ASSERT_GE(Texts().size(), 2u);
        EXPECT_EQ(Texts()[1], "Compactação Imposibilitada!");
        EXPECT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
        EXPECT_FALSE(std::filesystem::exists(Host("Bkp.mdb")));
        Grow(400000001);
    }
}

}  // namespace
}  // namespace report::consolidation
