// The workspace transaction over several files, lock conflicts between two engines in one
// process, and commits killed half-way in a child process.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/dao/model.h"
#include "platform/dao/tests/fixture.h"

namespace dao::testing {
namespace {

class DaoTransactionTest : public DaoTest {
protected:
    DaoTransactionTest() {
        for (const char* name : {"Produto.MDB", "Backup.MDB"}) {
            Database db = Create(name);
            MakeTable(db, "Status", {{"Numero", DataType::Long, 0}, {"Texto", DataType::Memo, 0}});
            AddRow(db, "Status", {{"Numero", Value(1)}});
        }
        other_.SetBusyTimeout(0);
    }

    long Count(const std::string& name) {
        DBEngine reader;
        return reader.OpenDatabase(Path(name)).TableDefs().Item("Status").RecordCount();
    }

    DBEngine other_;
};

TEST_F(DaoTransactionTest, ARolledBackTransactionOverTwoFilesLeavesBoth) {
    Database produto = engine_.OpenDatabase(Path("Produto.MDB"));
    Database backup = engine_.OpenDatabase(Path("Backup.MDB"));
    for (const bool commit : {false, true}) {
        engine_.BeginTrans();
        AddRow(produto, "Status", {{"Numero", Value(2)}});
        backup.Execute("INSERT INTO Status (Numero) VALUES (3)");
        AddRow(backup, "Status", {{"Numero", Value(4)}});
        commit ? engine_.CommitTrans() : engine_.Rollback();
        EXPECT_EQ(Count("Produto.MDB"), commit ? 2 : 1);
        EXPECT_EQ(Count("Backup.MDB"), commit ? 3 : 1);
    }
}

TEST_F(DaoTransactionTest, TransactionNumbers) {
    EXPECT_EQ(ErrorNumberOf([&] { engine_.Rollback(); }), 3034);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.CommitTrans(); }), 3034);
    for (int level = 1; level <= 5; ++level) EXPECT_EQ(ErrorNumberOf([&] { engine_.BeginTrans(); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.BeginTrans(); }), 3003);
    for (int level = 1; level <= 5; ++level) EXPECT_EQ(ErrorNumberOf([&] { engine_.CommitTrans(); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.CommitTrans(); }), 3034);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.Workspaces(1); }), 3265);
}

TEST_F(DaoTransactionTest, AnInnerLevelRollsBackOnlyWhatItWrote) {
    Database produto = engine_.OpenDatabase(Path("Produto.MDB"));
    Database backup = engine_.OpenDatabase(Path("Backup.MDB"));
    engine_.BeginTrans();
    AddRow(produto, "Status", {{"Numero", Value(2)}});
    engine_.BeginTrans();
    AddRow(produto, "Status", {{"Numero", Value(3)}});
    AddRow(backup, "Status", {{"Numero", Value(3)}});  // first written at the inner level
    engine_.Rollback();
    engine_.BeginTrans();
    AddRow(backup, "Status", {{"Numero", Value(4)}});
    engine_.CommitTrans();
    engine_.CommitTrans();
    EXPECT_EQ(Count("Produto.MDB"), 2);
    EXPECT_EQ(Count("Backup.MDB"), 2);
}

TEST_F(DaoTransactionTest, AnEngineThatEndsRollsBackWhatItLeftOpen) {
    {
        DBEngine leaving;
        leaving.SetBusyTimeout(0);
        Database db = leaving.OpenDatabase(Path("Produto.MDB"));
        leaving.BeginTrans();
        AddRow(db, "Status", {{"Numero", Value(2)}});
    }
    EXPECT_EQ(Count("Produto.MDB"), 1);
    Database mine = engine_.OpenDatabase(Path("Produto.MDB"));
    EXPECT_EQ(ErrorNumberOf([&] { AddRow(mine, "Status", {{"Numero", Value(3)}}); }), 0);  // no lock left behind
}

TEST_F(DaoTransactionTest, FilesOnlyReadStayOutsideTheTransaction) {
    Database produto = engine_.OpenDatabase(Path("Produto.MDB"));
    Database backup = engine_.OpenDatabase(Path("Backup.MDB"));
    engine_.BeginTrans();
    AddRow(produto, "Status", {{"Numero", Value(2)}});
    Recordset rs = backup.OpenRecordset("Status");
    rs.MoveFirst();
    // Another engine may write the file this transaction only read, not the one it wrote.
    Database otherBackup = other_.OpenDatabase(Path("Backup.MDB"));
    Database otherProduto = other_.OpenDatabase(Path("Produto.MDB"));
    EXPECT_EQ(ErrorNumberOf([&] { AddRow(otherBackup, "Status", {{"Numero", Value(5)}}); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { AddRow(otherProduto, "Status", {{"Numero", Value(5)}}); }), 3260);
    EXPECT_EQ(ErrorNumberOf([&] { otherProduto.OpenRecordset("Status").MoveLast(); }), 0);  // reads go on
    engine_.CommitTrans();
    EXPECT_EQ(ErrorNumberOf([&] { AddRow(otherProduto, "Status", {{"Numero", Value(5)}}); }), 0);
}

TEST_F(DaoTransactionTest, LockConflictsBetweenTwoEngines) {
    Database mine = engine_.OpenDatabase(Path("Produto.MDB"));
    Database theirs = other_.OpenDatabase(Path("PRODUTO.MDB"));
    other_.BeginTrans();
    AddRow(theirs, "Status", {{"Numero", Value(9)}});  // holds the file's write lock until it ends
    struct Row {
        const char* situation;
        long number;
        std::function<void()> operation;
    };
    const Row rows[] = {
        {"AddNew and Update", 3260, [&] { AddRow(mine, "Status", {{"Numero", Value(2)}}); }},
        {"Execute", 3260, [&] { mine.Execute("UPDATE Status SET Numero = 3"); }},
        {"Fields.Append", 3262,
         [&] {
             auto table = mine.TableDefs().Item("Status");
             table.Fields().Append(table.CreateField("Versao", Value(10), Value(5)));
         }},
        {"TableDefs.Append", 3262, [&] { MakeTable(mine, "Nova", {{"X", DataType::Long, 0}}); }},
        {"Indexes.Append", 3262, [&] { AddIndex(mine.TableDefs().Item("Status"), "IndNumero", {"Numero"}); }},
        {"a read", 0, [&] { mine.OpenRecordset("Status").MoveLast(); }},
    };
    for (const auto& row : rows) EXPECT_EQ(ErrorNumberOf(row.operation), row.number) << row.situation;
    // Inside a transaction of ours the write fails the same way and can be retried once released.
    engine_.BeginTrans();
    EXPECT_EQ(ErrorNumberOf([&] { AddRow(mine, "Status", {{"Numero", Value(2)}}); }), 3260);
    other_.CommitTrans();
    EXPECT_EQ(ErrorNumberOf([&] { AddRow(mine, "Status", {{"Numero", Value(2)}}); }), 0);
    engine_.CommitTrans();
    EXPECT_EQ(Count("Produto.MDB"), 3);
}

TEST_F(DaoTransactionTest, AChangeByAnotherEngineShowsAfterIdle) {
    Database mine = engine_.OpenDatabase(Path("Produto.MDB"));
    Database theirs = other_.OpenDatabase(Path("Produto.MDB"));
    AddRow(mine, "Status", {{"Numero", Value(2)}});
    Recordset rs = mine.OpenRecordset("Status", dbOpenTable);
    rs.MoveFirst();
    theirs.Execute("UPDATE Status SET Numero = 20 WHERE Numero = 2");
    engine_.Idle(1);
    rs.MoveNext();
    EXPECT_EQ(rs("Numero").GetValue(), Value::Long(20));
}

TEST_F(DaoTransactionTest, SeekFindsARowAnotherEngineAdded) {
    Database mine = engine_.OpenDatabase(Path("Produto.MDB"));
    Database theirs = other_.OpenDatabase(Path("Produto.MDB"));
    AddIndex(mine.TableDefs().Item("Status"), "IndNumero", {"Numero"});
    Recordset rs = mine.OpenRecordset("Status", dbOpenTable);
    rs.SetIndex("IndNumero");
    rs.Seek("=", {Value(1)});
    ASSERT_FALSE(rs.NoMatch());
    AddRow(theirs, "Status", {{"Numero", Value(7)}});
    rs.Seek("=", {Value(7)});
    ASSERT_FALSE(rs.NoMatch());
    EXPECT_FALSE(rs.Eof());
    EXPECT_EQ(rs("Numero").GetValue(), Value::Long(7));
}

TEST_F(DaoTransactionTest, ACommitBlockedByAReaderCanBeRetried) {
    Database mine = engine_.OpenDatabase(Path("Produto.MDB"));
    engine_.BeginTrans();
    AddRow(mine, "Status", {{"Numero", Value(2)}});
    sqlite3* reader = nullptr;
    sqlite3_open(Host("Produto.MDB").c_str(), &reader);
    sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM Status;", nullptr, nullptr, nullptr);  // holds a read lock
    EXPECT_EQ(ErrorNumberOf([&] { engine_.CommitTrans(); }), 3260);
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.CommitTrans(); }), 0);
    EXPECT_EQ(Count("Produto.MDB"), 2);
}

TEST_F(DaoTransactionTest, AReadAgainstAnExclusiveHolderRaises3187) {
    Database mine = engine_.OpenDatabase(Path("Produto.MDB"));
    sqlite3* holder = nullptr;
    sqlite3_open(Host("Produto.MDB").c_str(), &holder);
    sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    EXPECT_EQ(ErrorNumberOf([&] { mine.OpenRecordset("Status").MoveFirst(); }), 3187);
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    EXPECT_EQ(ErrorNumberOf([&] { mine.OpenRecordset("Status").MoveFirst(); }), 0);
}

TEST_F(DaoTransactionTest, ATransactionSQLiteEndedItselfIsNotReportedAsALock) {
    Database mine = engine_.OpenDatabase(Path("Produto.MDB"));
    Database theirs = other_.OpenDatabase(Path("Produto.MDB"));
    engine_.BeginTrans();
    AddRow(mine, "Status", {{"Numero", Value(2)}});
    // As after a busy cache spill: SQLite rolled the transaction back on its own.
    sqlite3_exec(mine.State()->connection->Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    other_.BeginTrans();
    AddRow(theirs, "Status", {{"Numero", Value(3)}});
    const long number = ErrorNumberOf([&] { AddRow(mine, "Status", {{"Numero", Value(4)}}); });
    EXPECT_EQ(number, 3035);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.CommitTrans(); }), 3034);  // nothing is left to commit half-way
    other_.Rollback();
}

TEST_F(DaoTransactionTest, DenyWriteHoldsTheTableAgainstOthersAndOurselves) {
    Database mine = engine_.OpenDatabase(Path("Backup.MDB"));
    Database theirs = other_.OpenDatabase(Path("Backup.MDB"));
    Recordset held = theirs.OpenRecordset("Status", dbOpenTable, dbDenyWrite);
    EXPECT_EQ(ErrorNumberOf([&] { mine.OpenRecordset("status", dbOpenTable, dbDenyWrite); }), 3262);
    Recordset reading = mine.OpenRecordset("Status", dbOpenTable);
    EXPECT_EQ(ErrorNumberOf([&] { reading.MoveFirst(); }), 0);
    reading.AddNew();
    EXPECT_EQ(ErrorNumberOf([&] { reading.Update(); }), 3260);
    held.Close();
    EXPECT_EQ(ErrorNumberOf([&] { reading.Update(); }), 0);
    Recordset first = mine.OpenRecordset("Status", dbOpenTable, dbDenyWrite);
    EXPECT_EQ(ErrorNumberOf([&] { mine.OpenRecordset("Status", dbOpenTable, dbDenyWrite); }), 3262);
    first.Close();
    EXPECT_EQ(ErrorNumberOf([&] { mine.OpenRecordset("Status", dbOpenTable, dbDenyWrite); }), 0);
}

TEST_F(DaoTransactionTest, StatementsMeetADenyWriteHoldAsRecordsetsDo) {
    Database mine = engine_.OpenDatabase(Path("Backup.MDB"));
    Database theirs = other_.OpenDatabase(Path("Backup.MDB"));
    Recordset held = theirs.OpenRecordset("Status", dbOpenTable, dbDenyWrite);
    const long before = Count("Backup.MDB");
    const struct {
        const char* sql;
        long number;
    } cases[] = {
        {"UPDATE Status SET Numero = 3", 3260},
        {"INSERT INTO Status (Numero) VALUES (7)", 3260},
        {"DELETE FROM Status", 3260},
        {"INSERT INTO Status SELECT * FROM Status", 3260},
        {"DROP TABLE Status", 3262},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorNumberOf([&] { mine.Execute(c.sql, dbFailOnError); }), c.number) << c.sql;
        EXPECT_EQ(ErrorNumberOf([&] { mine.Execute(c.sql); }), c.number) << c.sql;
    }
    EXPECT_EQ(Count("Backup.MDB"), before);
    held.Close();
    EXPECT_EQ(ErrorNumberOf([&] { mine.Execute("INSERT INTO Status (Numero) VALUES (7)", dbFailOnError); }), 0);
}

// In a child process only: a layer over SQLite's file system that, once armed, counts the writes
// into a database file itself (never into its journal) and, after the `stopAt`-th, tells the
// parent through `signalFd` and waits to be killed there, half-way through the commit.
namespace commit_trap {

sqlite3_vfs* real = nullptr;
sqlite3_vfs vfs;
sqlite3_io_methods methods;
bool armed = false;
int stopAt = 0;
int writes = 0;
int signalFd = -1;

struct File {
    sqlite3_file base;
    sqlite3_file* real;   // SQLite's own file, in the same allocation right after this one
    bool database;
};

sqlite3_file* Real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

int Write(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
    const int rc = Real(f)->pMethods->xWrite(Real(f), data, amount, offset);
    if (armed && reinterpret_cast<File*>(f)->database && ++writes == stopAt) {
        [[maybe_unused]] auto sent = write(signalFd, "k", 1);
        for (;;) pause();
    }
    return rc;
}

void Forward(const sqlite3_io_methods& own) {
    methods = own;
    methods.xClose = [](sqlite3_file* f) { return Real(f)->pMethods->xClose(Real(f)); };
    methods.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) { return Real(f)->pMethods->xRead(Real(f), b, n, o); };
    methods.xWrite = Write;
    methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 n) { return Real(f)->pMethods->xTruncate(Real(f), n); };
    methods.xSync = [](sqlite3_file* f, int flags) { return Real(f)->pMethods->xSync(Real(f), flags); };
    methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* n) { return Real(f)->pMethods->xFileSize(Real(f), n); };
    methods.xLock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xLock(Real(f), l); };
    methods.xUnlock = [](sqlite3_file* f, int l) { return Real(f)->pMethods->xUnlock(Real(f), l); };
    methods.xCheckReservedLock = [](sqlite3_file* f, int* r) { return Real(f)->pMethods->xCheckReservedLock(Real(f), r); };
    methods.xFileControl = [](sqlite3_file* f, int op, void* a) { return Real(f)->pMethods->xFileControl(Real(f), op, a); };
    methods.xSectorSize = [](sqlite3_file* f) { return Real(f)->pMethods->xSectorSize(Real(f)); };
    methods.xDeviceCharacteristics = [](sqlite3_file* f) { return Real(f)->pMethods->xDeviceCharacteristics(Real(f)); };
    methods.xShmMap = [](sqlite3_file* f, int r, int n, int e, void volatile** p) { return Real(f)->pMethods->xShmMap(Real(f), r, n, e, p); };
    methods.xShmLock = [](sqlite3_file* f, int o, int n, int fl) { return Real(f)->pMethods->xShmLock(Real(f), o, n, fl); };
    methods.xShmBarrier = [](sqlite3_file* f) { Real(f)->pMethods->xShmBarrier(Real(f)); };
    methods.xShmUnmap = [](sqlite3_file* f, int d) { return Real(f)->pMethods->xShmUnmap(Real(f), d); };
    methods.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** p) { return Real(f)->pMethods->xFetch(Real(f), o, n, p); };
    methods.xUnfetch = [](sqlite3_file* f, sqlite3_int64 o, void* p) { return Real(f)->pMethods->xUnfetch(Real(f), o, p); };
}

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags) {
    auto* file = reinterpret_cast<File*>(f);
    file->real = reinterpret_cast<sqlite3_file*>(file + 1);
    file->database = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    const int rc = real->xOpen(real, name, file->real, flags, outFlags);
    if (file->real->pMethods != nullptr && methods.xClose == nullptr) Forward(*file->real->pMethods);
    file->base.pMethods = file->real->pMethods != nullptr ? &methods : nullptr;
    return rc;
}

// Makes the layer SQLite's default for every file the process opens from now on.
void Install(int fd, int at) {
    real = sqlite3_vfs_find(nullptr);
    vfs = *real;
    vfs.zName = "commit_trap";
    vfs.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
    vfs.xOpen = Open;
    vfs.xDelete = [](sqlite3_vfs*, const char* n, int sync) { return real->xDelete(real, n, sync); };
    vfs.xAccess = [](sqlite3_vfs*, const char* n, int flags, int* out) { return real->xAccess(real, n, flags, out); };
    vfs.xFullPathname = [](sqlite3_vfs*, const char* n, int size, char* out) { return real->xFullPathname(real, n, size, out); };
    signalFd = fd;
    stopAt = at;
    sqlite3_vfs_register(&vfs, 1);
}

}  // namespace commit_trap

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// SQLite's verdict on the file's structure ("ok" when it is sound).
std::string IntegrityOf(const std::filesystem::path& path) {
    sqlite3* check = nullptr;
    std::string verdict;
    if (sqlite3_open(path.c_str(), &check) == SQLITE_OK) {
        sqlite3_exec(
            check, "PRAGMA integrity_check",
            [](void* out, int, char** values, char**) {
                *static_cast<std::string*>(out) += values[0] ? values[0] : "";
                return 0;
            },
            &verdict, nullptr);
    }
    sqlite3_close(check);
    return verdict;
}

// A child process commits 400 rows and is killed inside the commit, after the n-th page it wrote
// into the database file: the file is then half old and half new, with its journal beside it.
// The next open plays the journal back, so the file holds none of the rows and is sound. A commit
// left to finish holds them all.
TEST_F(DaoTransactionTest, ACommitKilledHalfWayLeavesTheOldState) {
    const struct {
        int killAtPage;   // 0: not killed
        bool committed;
    } cases[] = {{1, false}, {2, false}, {60, false}, {0, true}};
    const std::string text(2000, 'x');
    const std::filesystem::path file = Host("Produto.MDB");
    const std::filesystem::path journal = file.string() + "-journal";
    for (const auto& c : cases) {
        SCOPED_TRACE("killed at page " + std::to_string(c.killAtPage));
        const long before = Count("Produto.MDB");
        const std::string bytesBefore = FileBytes(file);
        int trapped[2];
        ASSERT_EQ(pipe(trapped), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(trapped[0]);
            commit_trap::Install(trapped[1], c.killAtPage);
            DBEngine engine;
            Database db = engine.OpenDatabase(Path("Produto.MDB"));
            engine.BeginTrans();
            Recordset rs = db.OpenRecordset("Status");
            for (int i = 0; i < 400; ++i) {
                rs.AddNew();
                rs("Numero").SetValue(Value(i));
                rs("Texto").SetValue(Value(text));
                rs.Update();
            }
            commit_trap::armed = true;
            engine.CommitTrans();
            _exit(0);
        }
        close(trapped[1]);
        char signal = 0;
        const auto got = read(trapped[0], &signal, 1);
        close(trapped[0]);
        if (c.killAtPage > 0) {
            ASSERT_EQ(got, 1) << "the commit ended before it wrote that many pages";
            kill(child, SIGKILL);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (c.killAtPage > 0) {
            // The kill landed inside the commit: pages of the file are new, and its journal is hot.
            EXPECT_NE(FileBytes(file), bytesBefore);
            EXPECT_TRUE(std::filesystem::exists(journal) && std::filesystem::file_size(journal) > 0);
        } else {
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        EXPECT_EQ(Count("Produto.MDB"), c.committed ? before + 400 : before);
        EXPECT_FALSE(std::filesystem::exists(journal)) << "the open played the journal back";
        EXPECT_EQ(IntegrityOf(file), "ok");
    }
}

// A transaction is atomic per file, not across files: the files commit one after the other. A
// child writes both files in one transaction and is killed between the two commits (a reader
// holds the second file, so its commit waits): the first file holds the new rows, the second the
// old ones, and each is whole.
TEST_F(DaoTransactionTest, AProcessKilledBetweenTheCommitsOfTwoFilesLeavesEachFileWhole) {
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(Host("Backup.MDB").c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM Status", nullptr, nullptr, nullptr), SQLITE_OK);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DBEngine engine;
        engine.SetBusyTimeout(60000);
        Database produto = engine.OpenDatabase(Path("Produto.MDB"));
        Database backup = engine.OpenDatabase(Path("Backup.MDB"));
        engine.BeginTrans();
        AddRow(produto, "Status", {{"Numero", Value(2)}});
        for (int i = 0; i < 200; ++i) AddRow(backup, "Status", {{"Numero", Value(i)}, {"Texto", Value(std::string(2000, 'x'))}});
        [[maybe_unused]] auto written = write(ready[1], "c", 1);
        engine.CommitTrans();  // Produto commits; Backup waits for the reader
        _exit(0);
    }
    close(ready[1]);
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1);
    close(ready[0]);
    // The first commit is done once another engine sees its row.
    for (int wait = 0; wait < 1000 && Count("Produto.MDB") != 2; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);

    EXPECT_EQ(Count("Produto.MDB"), 2);
    EXPECT_EQ(Count("Backup.MDB"), 1);
    for (const char* name : {"Produto.MDB", "Backup.MDB"}) EXPECT_EQ(IntegrityOf(Host(name)), "ok") << name;
}

// The connection's page cache and sorter threads, as "cache|threads".
std::string SortSettingsOf(sqlite3* db) {
    std::string out;
    for (const char* pragma : {"PRAGMA cache_size", "PRAGMA threads"}) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, pragma, -1, &stmt, nullptr);
        if (sqlite3_step(stmt) == SQLITE_ROW) out += (out.empty() ? "" : "|") + std::to_string(sqlite3_column_int(stmt, 0));
        sqlite3_finalize(stmt);
    }
    return out;
}

// An index build sorts with settings of its own and gives the connection its own back, whether
// the index is built or refused, inside a transaction (its large cache) or outside; the
// transaction's end then leaves the small cache and no thread.
TEST_F(DaoTransactionTest, AnIndexBuildGivesTheConnectionItsSettingsBack) {
    struct Case {
        const char* name;
        bool inTransaction;
        bool duplicate;
        long error;
    };
    const Case cases[] = {
        {"outside, built", false, false, 0},
        {"outside, refused", false, true, 3022},
        {"inside, built", true, false, 0},
        {"inside, refused", true, true, 3022},
    };
    Database db = engine_.OpenDatabase(Path("Produto.MDB"));
    sqlite3* raw = db.State()->connection->Handle();
    int n = 0;
    for (const Case& c : cases) {
        const std::string table = "T" + std::to_string(++n);
        MakeTable(db, table, {{"Numero", DataType::Long, 0}});
        for (int k : {1, 2, 3}) AddRow(db, table, {{"Numero", Value(c.duplicate ? 7 : k)}});
        if (c.inTransaction) {
            engine_.BeginTrans();
            AddRow(db, table, {{"Numero", Value(c.duplicate ? 7 : 4)}});
        }
        const std::string before = SortSettingsOf(raw);
        TableDef t = db.TableDefs().Item(table);
        Index index = t.CreateIndex("Chave");
        index.Fields().Append(index.CreateField("Numero"));
        index.SetUnique(true);
        EXPECT_EQ(ErrorNumberOf([&] { t.Indexes().Append(index); }), c.error) << c.name;
        EXPECT_EQ(SortSettingsOf(raw), before) << c.name;
        if (c.inTransaction) {
            EXPECT_EQ(before, "-65536|0") << c.name;
            engine_.CommitTrans();
        }
        EXPECT_EQ(SortSettingsOf(raw), "-2000|0") << c.name;
        EXPECT_EQ(t.RecordCount(), c.inTransaction ? 4 : 3) << c.name;
    }
}

}  // namespace
}  // namespace dao::testing
