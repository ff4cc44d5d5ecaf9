// The run while another program, in a process of its own, has put a store in WAL mode: the store
// the station holds open since the log-in is consolidated with the commits in its log; a store the
// engine does not take ends the run with one message that names it, and nothing is repaired; and
// runs beside a program committing to a store without pause copy one committed state of it each.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/dao/collation.h"
#include "platform/win/paths.h"
#include "platform/win/testing/other_program.h"
#include "report/consolidation/tests/support/run_fixture.h"
#include "report/core/state.h"

namespace report::consolidation {
namespace {

using testing::DigestOf;
using testing::kBackupPath;
using win::testing::OtherProgram;

constexpr const char* kLogged = "GRAVADO NO LOG";

// The other program: `sql` run on the store's Produto.mdb, its connection kept open (the log is
// checkpointed only when the last connection closes).
OtherProgram::Step InWal(sqlite3** db, const std::string& folder, const std::string& sql) {
    const std::filesystem::path file = win::HostPath(folder + "\\Produto.mdb");
    return [db, file, sql] {
        if (sqlite3_open(file.c_str(), db) != SQLITE_OK) return false;
        dao::RegisterJetCollation(*db);
        return sqlite3_exec(*db, ("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0;" + sql).c_str(), nullptr,
                            nullptr, nullptr) == SQLITE_OK;
    };
}

class OtherProgramRunTest : public testing::RunTest {};

TEST_F(OtherProgramRunTest, TheLoggedInStoreSwitchedToWalIsConsolidatedWithItsLoggedCommits) {
    sqlite3* other = nullptr;
    OtherProgram program(
        {InWal(&other, "F:\\LOJA01", std::string("UPDATE Produto SET \"Descrição\" = '") + kLogged + "'")});
    ASSERT_TRUE(program.Next());
    RunAll({forms::mb::Yes});
    EXPECT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
    dao::DBEngine engine;
    dao::Database backup = engine.OpenDatabase(kBackupPath);
    dao::Recordset rs = backup.OpenRecordset(
        std::string("SELECT Count(*) & ' ' & Sum(IIf([Descrição] = '") + kLogged + "', 1, 0)) FROM Produto WHERE CodLoja = '01'",
        dao::dbOpenSnapshot);
    const std::string counts = rs(0).GetValue().ToText();
    const std::string rows = counts.substr(0, counts.find(' '));
    EXPECT_NE(rows, "0");
    EXPECT_EQ(counts, rows + " " + rows) << "every product of store 01 as the other program left it";
    EXPECT_TRUE(program.End());
}

TEST_F(OtherProgramRunTest, AStoreInWalEndsTheRunWithOneMessageNamingItAndRepairsNothing) {
    const testing::Digest before = DigestOf(kBackupPath);
    sqlite3* other = nullptr;
    OtherProgram program({InWal(&other, "F:\\LOJA02", "SELECT 1")});
    ASSERT_TRUE(program.Next());
    RunAll({forms::mb::Yes, forms::mb::Ok, forms::mb::Ok, forms::mb::Ok});
    EXPECT_EQ(reports_, 0);
    ASSERT_EQ(Texts().size(), 3u) << ::testing::PrintToString(Texts());
    EXPECT_EQ(Texts()[1].rfind("Ultima Consolidação ", 0), 0u) << Texts()[1];
    EXPECT_NE(Texts()[2].find("3343"), std::string::npos) << Texts()[2];
    EXPECT_NE(Texts()[2].find("LOJA02\\Produto.mdb"), std::string::npos) << Texts()[2];
    EXPECT_EQ(DigestOf(kBackupPath), before) << "BACKUP.MDB neither repaired nor changed";
    EXPECT_FALSE(W().IsLoaded());
    EXPECT_TRUE(BancoProdutoLoja.IsOpen()) << "the session's data folder stays open";
    EXPECT_TRUE(program.End());
}

// The text every product of store 01 has after the other program's `n`th commit.
std::string Written(long n) {
    char text[24];
    std::snprintf(text, sizeof text, "V%06ld", n);
    return text;
}

// The other program commits to store 01 without pause, in rollback-journal mode and then in WAL
// mode with checkpoints, while runs follow one another: each run's copy of the store holds exactly
// one of its committed states, and none older than the one committed before the run began.
TEST_F(OtherProgramRunTest, RunsBesideAProgramCommittingToTheStoreCopyOneCommittedStateEach) {
    // The program's own wait on a busy file, as a station runs: the writer commits without pause.
    ProgramEngine().SetBusyTimeout(200);
    const std::filesystem::path file = win::HostPath("F:\\LOJA01\\Produto.mdb");
    OtherProgram program({[file] {
        std::thread([file] {
            sqlite3* db = nullptr;
            sqlite3_open(file.c_str(), &db);
            dao::RegisterJetCollation(db);
            sqlite3_busy_timeout(db, 1000);
            for (long n = 1;; ++n) {
                if (n == 50) sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0", nullptr, nullptr, nullptr);
                if (n > 50 && n % 100 == 0) sqlite3_exec(db, "PRAGMA wal_checkpoint(PASSIVE)", nullptr, nullptr, nullptr);
                const std::string sql = "UPDATE Produto SET \"Descrição\" = '" + Written(n) + "'";
                sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }).detach();
        return true;
    }});
    ASSERT_TRUE(program.Next());
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    dao::RegisterJetCollation(reader);
    sqlite3_busy_timeout(reader, 1000);
    auto text = [](sqlite3* db, const std::string& sql) {
        sqlite3_stmt* stmt = nullptr;
        std::string value;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW &&
            sqlite3_column_text(stmt, 0) != nullptr) {
            value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        }
        sqlite3_finalize(stmt);
        return value;
    };
    for (int run = 0; run < 6; ++run) {
        SCOPED_TRACE(run);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const std::string before = text(reader, "SELECT max(\"Descrição\") FROM Produto");
        ASSERT_FALSE(before.empty());
        if (run > 0) Reopen();
        reports_ = 0;
        RunAll({forms::mb::Yes});
        ASSERT_EQ(reports_, 1) << ::testing::PrintToString(Texts());
        dao::DBEngine engine;
        dao::Database backup = engine.OpenDatabase(kBackupPath);
        dao::Recordset rs = backup.OpenRecordset(
            "SELECT Count(*), Min([Descrição]), Max([Descrição]) FROM Produto WHERE CodLoja = '01'", dao::dbOpenSnapshot);
        EXPECT_EQ(rs(0).GetValue().ToText(), "40");
        EXPECT_EQ(rs(1).GetValue().ToText(), rs(2).GetValue().ToText()) << "a copy mixing two states";
        EXPECT_GE(rs(1).GetValue().ToText(), before) << "a copy older than the state before the run";
    }
    sqlite3_close(reader);
    EXPECT_TRUE(program.End());
}

}  // namespace
}  // namespace report::consolidation
