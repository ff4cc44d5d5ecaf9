// Copies between two files run as one statement over the source file attached to the target's
// connection. The statement reads the attached tables, never the target's own of the same name; it
// reads the file as it stands when it runs, another station's commit between two copies of one
// transaction included; it leaves the file free for other stations between copies; past SQLite's
// limit on attached files the rows still arrive, through the pump; and a failure reading the source
// is the source's.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "platform/dao/sql/jet_execute.h"
#include "platform/dao/sql/tests/sql_fixture.h"
#include "platform/win/error.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"

namespace dao::sql::testing {
namespace {

namespace fs = std::filesystem;

// Each statement's text names its tables as the Jet statement does; translated for a source
// attached under a schema name, every one of them must be read there. The target's file has
// tables of the same names, with other rows: a name left unqualified would read those. Each
// statement runs both ways, attached and through the pump, into an empty T.
//
// The tables S and U, under `schema` when it is not empty, with `nome` the name of every U row.
std::string Tables(const std::string& schema, const std::string& nome) {
    const std::string at = schema.empty() ? "" : "\"" + schema + "\".";
    return "CREATE TABLE " + at + "S (k LONG, t TEXT(20) COLLATE JETTEXT);"
           "CREATE TABLE " + at + "U (k LONG, nome TEXT(20) COLLATE JETTEXT);"
           "INSERT INTO " + at + "S VALUES (1, 'um'), (2, 'dois'), (3, 'três'), (3, 'três');"
           "INSERT INTO " + at + "U VALUES (1, '" + nome + "'), (2, '" + nome + "'), (2, '" + nome + "');";
}

TEST(AttachedCopy, EveryTableTheStatementNamesIsReadFromTheAttachedFile) {
    const char* statements[] = {
        "INSERT INTO T IN 'alvo' SELECT * FROM S",
        "INSERT INTO T IN 'alvo' SELECT S.k, U.nome AS t FROM S INNER JOIN U ON S.k = U.k",
        "INSERT INTO T IN 'alvo' SELECT a.k, b.nome AS t FROM S AS a LEFT JOIN U AS b ON a.k = b.k",
        "INSERT INTO T IN 'alvo' SELECT a.k, a.t FROM S AS a, U AS b WHERE a.k = b.k",
        "INSERT INTO T IN 'alvo' SELECT DISTINCTROW S.k, S.t FROM S, U WHERE S.k = U.k",
        "INSERT INTO T IN 'alvo' SELECT k, DLookUp(\"nome\", \"U\", \"k = 2\") AS t FROM S",
        "INSERT INTO T IN 'alvo' SELECT * FROM Q",
        "INSERT INTO T IN 'alvo' SELECT k, DLookUp(\"t\", \"Q\", \"k = 3\") AS t FROM S",
        "INSERT INTO T (k, t) IN 'alvo' SELECT Count(*) AS n, Max(U.nome) AS m FROM S, U GROUP BY S.k",
    };
    for (const char* jet : statements) {
        MemoryFiles f;
        f.queries[JetFold("Q")] = "SELECT k, t FROM S WHERE k > 1";
        f.Exec(Tables("", "certo"));
        f.Exec("CREATE TABLE T (k LONG, t TEXT(20) COLLATE JETTEXT);" + Tables("", "errado") +
                   "UPDATE S SET t = 'errado'; INSERT INTO S VALUES (4, 'errado');",
               "alvo");
        f.Run(jet, true);
        const std::vector<std::string> pumped = f.Rows("SELECT k, t FROM T ORDER BY k, t", "alvo");

        f.Exec("DELETE FROM T; ATTACH ':memory:' AS \"jet!7\";" + Tables("jet!7", "certo"), "alvo");
        TranslateOptions options;
        options.skipFailingRows = false;
        options.sourceSchema = "jet!7";
        const Translation tr = TranslateJetSql(jet, f, options);
        f.Exec(tr.sql, "alvo");
        const std::vector<std::string> attached = f.Rows("SELECT k, t FROM T ORDER BY k, t", "alvo");
        EXPECT_FALSE(pumped.empty()) << jet;
        EXPECT_EQ(attached, pumped) << jet << "\n" << tr.sql;
    }
}

// A file of the engine's own, its table S filled with `rows` rows.
void MakeStore(const fs::path& path, int rows) {
    WriteSqliteFile(path, "CREATE TABLE S (k LONG, t TEXT(40) COLLATE JETTEXT);"
                          "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " +
                              std::to_string(rows) + ") INSERT INTO S SELECT k, 'linha ' || k FROM n");
}

// How many of the process's descriptors are open on `file`.
int DescriptorsOn(const fs::path& file) {
    const fs::path wanted = fs::canonical(file);
    int open = 0;
    std::error_code error;
    for (fs::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error)) {
        std::error_code unread;
        if (fs::read_symlink(it->path(), unread) == wanted && !unread) ++open;
    }
    return open;
}

std::string Text(Database& db, const std::string& sql) {
    Recordset rs = db.OpenRecordset(sql);
    return rs(0).GetValue().ToText();
}

// Between two copies of one transaction another station changes the source file and commits: it
// can (the copy left no lock behind), and the second copy reads the file as it stands then, not the
// pages the first one saw.
TEST(AttachedCopy, EachCopyReadsTheSourceAsItStandsThen) {
    constexpr int kRows = 3000;
    struct Case {
        const char* change;
        const char* copied;  // count and sum of k of S as the second copy reads it
    };
    const Case cases[] = {
        {"UPDATE S SET t = 'novo' WHERE k > 2990", "3000 4501500 10"},
        {"INSERT INTO S (k, t) SELECT k + 3000, t FROM S WHERE k <= 500", "3500 6126750 0"},
        {"DELETE FROM S WHERE k > 100", "100 5050 0"},
    };
    for (const Case& c : cases) {
        win::testing::TempMachineRoot root;
        fs::create_directories(root.DriveC() / "LOJA");
        MakeStore(root.DriveC() / "LOJA" / "Fonte.mdb", kRows);
        WriteSqliteFile(root.DriveC() / "LOJA" / "Alvo.mdb",
                        "CREATE TABLE T (k LONG, t TEXT(40) COLLATE JETTEXT, vez LONG)");
        DBEngine engine;
        engine.SetBusyTimeout(0);
        Database source = engine.OpenDatabase("C:\\LOJA\\Fonte.mdb");
        const std::uint64_t attachedBefore = AttachedCopies();
        engine.BeginTrans();
        source.Execute("INSERT INTO T IN 'C:\\LOJA\\Alvo.mdb' SELECT k, t, 1 AS vez FROM S", dbFailOnError);
        {
            DBEngine station;
            station.SetBusyTimeout(0);
            Database other = station.OpenDatabase("C:\\LOJA\\Fonte.mdb");
            EXPECT_EQ(win::testing::ErrorNumberOf([&] { other.Execute(c.change, dbFailOnError); }), 0) << c.change;
        }
        source.Execute("INSERT INTO T IN 'C:\\LOJA\\Alvo.mdb' SELECT k, t, 2 AS vez FROM S", dbFailOnError);
        engine.CommitTrans();
        EXPECT_EQ(AttachedCopies(), attachedBefore + 2) << c.change;

        Database target = engine.OpenDatabase("C:\\LOJA\\Alvo.mdb");
        EXPECT_EQ(Text(target, "SELECT Count(*) & ' ' & Sum(k) FROM T WHERE vez = 1"), "3000 4501500") << c.change;
        EXPECT_EQ(Text(target, "SELECT Count(*) & ' ' & Sum(k) & ' ' & Sum(IIf(t = 'novo', 1, 0)) FROM T WHERE vez = 2"),
                  c.copied)
            << c.change;
    }
}

// More stores than SQLite attaches to one connection, copied in one transaction as the
// consolidation does: every row arrives, the first ten copies read attached files and the others
// go through the pump, and once the transaction has ended no descriptor is left open on a store.
// Outside a transaction the file is let go as soon as the copy has run.
TEST(AttachedCopy, MoreStoresThanCanBeAttachedAllArriveAndNoneStaysOpen) {
    constexpr int kStores = 12;
    constexpr int kRows = 500;
    win::testing::TempMachineRoot root;
    std::vector<fs::path> stores;
    for (int i = 1; i <= kStores; ++i) {
        const fs::path folder = root.DriveC() / ("LOJA " + std::to_string(i) + " d'Ávila");
        fs::create_directories(folder);
        stores.push_back(folder / "Produto.mdb");
        MakeStore(stores.back(), kRows);
    }
    WriteSqliteFile(root.DriveC() / "Alvo.mdb", "CREATE TABLE T (loja LONG, k LONG, t TEXT(40) COLLATE JETTEXT)");
    sqlite3* probe = nullptr;
    sqlite3_open(":memory:", &probe);
    const int limit = sqlite3_limit(probe, SQLITE_LIMIT_ATTACHED, -1);
    sqlite3_close(probe);

    DBEngine engine;
    engine.SetBusyTimeout(0);
    Database target = engine.OpenDatabase("C:\\Alvo.mdb");
    const std::uint64_t attachedBefore = AttachedCopies();
    engine.BeginTrans();
    for (int i = 1; i <= kStores; ++i) {
        Database store = engine.OpenDatabase(win::WindowsPath(stores[i - 1]));
        store.Execute("INSERT INTO T IN 'C:\\Alvo.mdb' SELECT " + std::to_string(i) + " AS loja, k, t FROM S", dbFailOnError);
        EXPECT_EQ(store.RecordsAffected(), kRows);
        store.Close();
    }
    EXPECT_EQ(AttachedCopies(), attachedBefore + static_cast<std::uint64_t>(std::min(kStores, limit)));
    engine.CommitTrans();
    for (const fs::path& store : stores) EXPECT_EQ(DescriptorsOn(store), 0) << store;
    EXPECT_EQ(Text(target, "SELECT Count(*) & ' ' & Count(loja) & ' ' & Sum(k) FROM T"),
              std::to_string(kStores * kRows) + " " + std::to_string(kStores * kRows) + " " +
                  std::to_string(kStores * (kRows * (kRows + 1) / 2)));

    Database store = engine.OpenDatabase(win::WindowsPath(stores[0]));
    store.Execute("INSERT INTO T IN 'C:\\Alvo.mdb' SELECT 0 AS loja, k, t FROM S", dbFailOnError);
    store.Close();
    EXPECT_EQ(AttachedCopies(), attachedBefore + static_cast<std::uint64_t>(std::min(kStores, limit)) + 1);
    EXPECT_EQ(DescriptorsOn(stores[0]), 0);
}

// A store whose table is damaged: the copy fails with the damaged file's error, naming the store and
// not the file it copies to, and writes nothing there; inside a transaction as well, where the
// damaged page met leaves the target unable to write until the rollback.
TEST(AttachedCopy, ADamagedSourceFailsAsTheSourcesAndWritesNothing) {
    win::testing::TempMachineRoot root;
    fs::create_directories(root.DriveC() / "LOJA");
    const fs::path fonte = root.DriveC() / "LOJA" / "Fonte.mdb";
    MakeStore(fonte, 20000);
    WriteSqliteFile(root.DriveC() / "LOJA" / "Alvo.mdb", "CREATE TABLE T (k LONG, t TEXT(40) COLLATE JETTEXT)");
    {
        // The table's pages lie at the end of the file; one of them is overwritten.
        const auto size = static_cast<std::streamoff>(fs::file_size(fonte));
        std::fstream file(fonte, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(size - 4 * 4096);
        const std::string junk(4096, '\xA5');
        file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    DBEngine engine;
    engine.SetBusyTimeout(0);
    Database source = engine.OpenDatabase("C:\\LOJA\\Fonte.mdb");
    for (const bool inTransaction : {false, true}) {
        if (inTransaction) engine.BeginTrans();
        try {
            source.Execute("INSERT INTO T IN 'C:\\LOJA\\Alvo.mdb' SELECT * FROM S", dbFailOnError);
            ADD_FAILURE() << "the damaged table was copied";
        } catch (const win::RuntimeError& error) {
            EXPECT_EQ(error.Number(), 3343);
            EXPECT_NE(error.Description().find("Fonte.mdb"), std::string::npos) << error.Description();
        }
        if (inTransaction) engine.Rollback();
    }
    Database target = engine.OpenDatabase("C:\\LOJA\\Alvo.mdb");
    EXPECT_EQ(Text(target, "SELECT Count(*) FROM T"), "0");
    // The rollback leaves the target writable again.
    engine.BeginTrans();
    target.Execute("INSERT INTO T (k, t) VALUES (1, 'depois')", dbFailOnError);
    engine.CommitTrans();
    EXPECT_EQ(Text(target, "SELECT Count(*) FROM T"), "1");
}

}  // namespace
}  // namespace dao::sql::testing
