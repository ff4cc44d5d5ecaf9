// The run while another program, in a process of its own, has put a store in WAL mode: the store
// the station holds open since the log-in is consolidated with the commits in its log; a store the
// engine does not take ends the run with one message that names it, and nothing is repaired.
#include <sqlite3.h>

#include <filesystem>
#include <string>

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

}  // namespace
}  // namespace report::consolidation
