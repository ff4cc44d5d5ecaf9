// Opening files: path errors, damaged files, passwords, exclusive opens; repair, compaction and
// the fault-injection seam.
#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "platform/dao/connection.h"
#include "platform/dao/tests/fixture.h"

namespace dao::testing {
namespace {

class DaoFilesTest : public DaoTest {
protected:
    DaoFilesTest() {
        Database db = Create("Produto.MDB");
        MakeTable(db, "Loja", {{"CodLoja", DataType::Long, 0}, {"Nome", DataType::Text, 20}});
        for (int i = 1; i <= 3; ++i) AddRow(db, "Loja", {{"CodLoja", Value(i)}, {"Nome", Value("Loja")}});
        db.Close();
    }

    void WriteFile(const std::string& name, const std::string& bytes) {
        std::ofstream(Host(name), std::ios::binary) << bytes;
    }

    // Overwrites the first page of `table`'s b-tree with junk.
    void DamageTable(const std::string& name, const std::string& table) {
        sqlite3* raw = nullptr;
        sqlite3_open(Host(name).c_str(), &raw);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(raw, ("SELECT rootpage FROM sqlite_master WHERE name='" + table + "'").c_str(), -1, &stmt, nullptr);
        ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        const long page = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
        sqlite3_close(raw);
        std::fstream file(Host(name), std::ios::in | std::ios::out | std::ios::binary);
        file.seekp((page - 1) * 4096);
        file << std::string(4096, '\x5a');
    }
};

TEST_F(DaoFilesTest, OpeningRaisesThePathAndFormatNumbers) {
    WriteFile("Texto.MDB", "not a database, only some text that is long enough to be read as a header");
    WriteFile("Vazio.MDB", "");
    struct Row {
        const char* path;
        long number;
    };
    const Row rows[] = {
        {"C:\\Dados\\Falta.MDB", 3024},  {"C:\\Falta\\Produto.MDB", 3044}, {"Q:\\Dados\\Produto.MDB", 68},
        {"C:\\Dados\\a?b.MDB", 52},      {"C:\\Dados\\Texto.MDB", 3343},  {"C:\\Dados\\Vazio.MDB", 3343},
        {"C:\\DADOS\\produto.mdb", 0},   {"c:\\dados\\PRODUTO.MDB", 0},
    };
    for (const auto& row : rows) EXPECT_EQ(ErrorNumberOf([&] { engine_.OpenDatabase(row.path); }), row.number) << row.path;
    // The last one to close a file removes its lock file; none is left for a failed open either.
    for (const char* name : {"Produto.MDB", "Texto.MDB", "Vazio.MDB", "Falta.MDB"}) {
        EXPECT_FALSE(std::filesystem::exists(LockFilePath(Host(name)))) << name;
    }
}

TEST_F(DaoFilesTest, PasswordCases) {
    {
        Database db = engine_.OpenDatabase(Path("Produto.MDB"), true);
        db.NewPassword("", "TORPAL");
    }
    struct Row {
        const char* connect;
        long number;
    };
    const Row rows[] = {
        {"", 3031},
        {";PWD=torpal", 3031},
        {";DATABASE= C:\\Outro\\X.MDB;PWD=TORPAL", 0},
        {";pwd=TORPAL;", 0},
        {" ; PWD = TORPAL ; ", 0},
    };
    for (const auto& row : rows) {
        DBEngine engine;
        EXPECT_EQ(ErrorNumberOf([&] { engine.OpenDatabase(Path("Produto.MDB"), false, false, row.connect); }), row.number)
            << row.connect;
    }
    Database db = engine_.OpenDatabase(Path("Produto.MDB"), true, false, ";PWD=TORPAL");
    EXPECT_EQ(ErrorNumberOf([&] { db.NewPassword("errada", ""); }), 3031);
    EXPECT_EQ(ErrorNumberOf([&] { db.NewPassword("TORPAL", ""); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { db.NewPassword("TORPAL", ""); }), 3031);  // the file has none now
    db.Close();
    // A password given for an unprotected file is ignored.
    EXPECT_EQ(ErrorNumberOf([&] { DBEngine().OpenDatabase(Path("Produto.MDB"), false, false, ";PWD=TORPAL"); }), 0);
}

TEST_F(DaoFilesTest, ExclusiveOpensConflictAcrossEngines) {
    DBEngine other;
    Database shared = engine_.OpenDatabase(Path("Produto.MDB"));
    Recordset left = shared.OpenRecordset("Loja", dbOpenTable, dbDenyWrite);
    EXPECT_EQ(ErrorNumberOf([&] { other.OpenDatabase(Path("PRODUTO.MDB"), true); }), 3045);
    EXPECT_TRUE(FileHeldOpen(Host("Produto.MDB")));
    shared.Close();  // closes the recordset left open as well
    EXPECT_EQ(ErrorNumberOf([&] { left.MoveFirst(); }), 3420);
    EXPECT_FALSE(FileHeldOpen(Host("Produto.MDB")));
    Database exclusive = other.OpenDatabase(Path("PRODUTO.MDB"), true);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.OpenDatabase(Path("Produto.MDB")); }), 3045);
}

TEST_F(DaoFilesTest, OpensAndClosesRacingOnTheLockFileNeverConflict) {
    // The last holder removes the lock file as another opener arrives: the opener must lock the
    // file that is there, never report the database in use.
    std::atomic<int> conflicts{0};
    const auto openAndClose = [&] {
        for (int i = 0; i < 150; ++i) {
            DBEngine engine;
            if (ErrorNumberOf([&] { engine.OpenDatabase(Path("Produto.MDB")); }) != 0) ++conflicts;
        }
    };
    std::thread first(openAndClose), second(openAndClose);
    first.join();
    second.join();
    EXPECT_EQ(conflicts, 0);
}

TEST_F(DaoFilesTest, RepairRebuildsWhatCanBeRead) {
    {
        Database db = engine_.OpenDatabase(Path("Produto.MDB"));
        MakeTable(db, "Venda", {{"Numero", DataType::Long, 0}});
        AddRow(db, "Venda", {{"Numero", Value(7)}});
    }
    DamageTable("Produto.MDB", "Venda");
    EXPECT_EQ(ErrorNumberOf([&] {
                  Recordset rs = engine_.OpenDatabase(Path("Produto.MDB")).OpenRecordset("Venda");
                  rs.MoveFirst();
              }),
              3343);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.RepairDatabase(Path("produto.mdb")); }), 0);
    Database db = engine_.OpenDatabase(Path("Produto.MDB"));
    EXPECT_EQ(db.TableDefs().Item("Loja").RecordCount(), 3);
    EXPECT_EQ(db.TableDefs().Item("Loja").Fields().Item("Nome").Size(), 20);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.RepairDatabase(Path("Produto.MDB")); }), 3045);  // still open here
}

// Another process keeps the sound file locked (a write under way past the busy timeout): repair
// and compaction meet a lock, and the file is neither reported damaged nor rebuilt.
TEST_F(DaoFilesTest, RepairOfAFileAnotherProcessHoldsLockedRaisesTheLockNumber) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* raw = nullptr;
        const bool locked = sqlite3_open(Host("Produto.MDB").c_str(), &raw) == SQLITE_OK &&
                            sqlite3_exec(raw, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
        const char signal = locked ? 'L' : 'x';
        if (write(ready[1], &signal, 1) != 1) _exit(2);
        pause();
        _exit(0);
    }
    char signal = 0;
    ASSERT_EQ(read(ready[0], &signal, 1), 1);
    const auto bytes = std::filesystem::file_size(Host("Produto.MDB"));
    EXPECT_EQ(signal, 'L');
    EXPECT_EQ(ErrorNumberOf([&] { engine_.RepairDatabase(Path("Produto.MDB")); }), 3187);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.CompactDatabase(Path("Produto.MDB"), Path("Copia.MDB")); }), 3187);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
    EXPECT_EQ(std::filesystem::file_size(Host("Produto.MDB")), bytes);
    EXPECT_FALSE(std::filesystem::exists(Host("Copia.MDB")));
    EXPECT_EQ(ErrorNumberOf([&] { engine_.RepairDatabase(Path("Produto.MDB")); }), 0);
    EXPECT_EQ(engine_.OpenDatabase(Path("Produto.MDB")).TableDefs().Item("Loja").RecordCount(), 3);
}

// Starting the writeback of a file in the middle of a write transaction leaves SQLite's locks on it
// as they were: another process still finds the writer's lock on the file (the byte SQLite's file
// format reserves for it).
TEST_F(DaoFilesTest, StartingTheWritebackKeepsTheWritersLock) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(Host("Produto.MDB").c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "BEGIN IMMEDIATE; CREATE TABLE w (x); INSERT INTO w VALUES (1)", nullptr, nullptr, nullptr),
              SQLITE_OK);
    StartWriteback(raw);
    // The child asks the system alone: a forked child must not use the parent's SQLite state.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr off_t kReservedByte = 0x40000001;
        struct flock probe {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = kReservedByte;
        probe.l_len = 1;
        const int fd = open(Host("Produto.MDB").c_str(), O_RDONLY);
        _exit(fd >= 0 && fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type == F_WRLCK ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the writer's lock is gone";
    EXPECT_EQ(sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
}

// A connection has no mutex of its own: debug builds stop the program when a thread other than
// the one that opened it uses it.
TEST_F(DaoFilesTest, AConnectionUsedOffItsThreadStopsADebugBuild) {
#ifdef NDEBUG
    GTEST_SKIP() << "the owner-thread check is a debug-build check";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto engine = std::make_shared<EngineState>();
    auto connection = engine->Connect(Path("Produto.MDB"), false, false, "");
    EXPECT_NE(connection->Handle(), nullptr);
    EXPECT_DEATH(std::thread([&] { (void)connection->Handle(); }).join(), "used off the thread that opened it");
#endif
}

TEST_F(DaoFilesTest, RepairAndCompactNumbers) {
    WriteFile("Texto.MDB", std::string(8192, 'x'));
    struct Row {
        const char* situation;
        long number;
        std::function<void(const DBEngine&)> operation;
    };
    const Row rows[] = {
        {"repair an unreadable file", 3343, [](auto& e) { e.RepairDatabase("C:\\Dados\\Texto.MDB"); }},
        {"repair a missing file", 3024, [](auto& e) { e.RepairDatabase("C:\\Dados\\Falta.MDB"); }},
        {"repair a sound file", 0, [](auto& e) { e.RepairDatabase("C:\\Dados\\Produto.MDB"); }},
        {"compact onto an existing file", 3204,
         [](auto& e) { e.CompactDatabase("C:\\Dados\\Produto.MDB", "C:\\Dados\\Texto.MDB"); }},
        {"compact a missing file", 3024, [](auto& e) { e.CompactDatabase("C:\\Dados\\Falta.MDB", "C:\\Dados\\Novo.MDB"); }},
        {"compact an unreadable file", 3343,
         [](auto& e) { e.CompactDatabase("C:\\Dados\\Texto.MDB", "C:\\Dados\\Novo.MDB"); }},
        {"compact a sound file", 0, [](auto& e) { e.CompactDatabase("C:\\Dados\\Produto.MDB", "C:\\Dados\\Bkp.MDB"); }},
    };
    for (const auto& row : rows) EXPECT_EQ(ErrorNumberOf([&] { row.operation(engine_); }), row.number) << row.situation;
    EXPECT_FALSE(std::filesystem::exists(Host("Novo.MDB")));
    EXPECT_EQ(engine_.OpenDatabase(Path("Bkp.MDB")).TableDefs().Item("Loja").RecordCount(), 3);
}

TEST_F(DaoFilesTest, InjectedFaultsFailTheMatchingOperationAsOftenAsAsked) {
    InjectFault(3343, "OpenDatabase", "*\\PRODUTO.MDB", 2);
    InjectFault(75, "Execute", "*", 1);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.OpenDatabase(Path("Produto.MDB")); }), 3343);
    EXPECT_EQ(ErrorNumberOf([&] { engine_.OpenDatabase(Path("produto.mdb")); }), 3343);
    Database db = engine_.OpenDatabase(Path("Produto.MDB"));
    EXPECT_EQ(ErrorNumberOf([&] { db.Execute("DELETE FROM Loja WHERE CodLoja = 1"); }), 75);
    EXPECT_EQ(ErrorNumberOf([&] { db.Execute("DELETE FROM Loja WHERE CodLoja = 1"); }), 0);
    EXPECT_EQ(db.RecordsAffected(), 1);
}

TEST_F(DaoFilesTest, AnInjectedFaultCanLetTheFirstMatchingCallsPass) {
    Database db = engine_.OpenDatabase(Path("Produto.MDB"));
    InjectFault(76, "Execute", "*\\PRODUTO.MDB", 1, 2);
    const long results[] = {ErrorNumberOf([&] { db.Execute("DELETE FROM Loja WHERE CodLoja = 9"); }),
                            ErrorNumberOf([&] { db.Execute("DELETE FROM Loja WHERE CodLoja = 9"); }),
                            ErrorNumberOf([&] { db.Execute("DELETE FROM Loja WHERE CodLoja = 9"); }),
                            ErrorNumberOf([&] { db.Execute("DELETE FROM Loja WHERE CodLoja = 9"); })};
    EXPECT_EQ(std::vector<long>(std::begin(results), std::end(results)), (std::vector<long>{0, 0, 76, 0}));
}

TEST_F(DaoFilesTest, ReadOnlyOpensAndCreation) {
    Database readOnly = engine_.OpenDatabase(Path("Produto.MDB"), false, true);
    struct Row {
        const char* situation;
        long number;
        std::function<void()> operation;
    };
    const Row rows[] = {
        {"read a read-only file", 0, [&] { readOnly.OpenRecordset("Loja").MoveLast(); }},
        {"AddNew on a read-only file", 3027, [&] { AddRow(readOnly, "Loja", {{"CodLoja", Value(4)}}); }},
        {"Execute on a read-only file", 3027, [&] { readOnly.Execute("DELETE FROM Loja"); }},
        {"structure change on a read-only file", 3027, [&] { MakeTable(readOnly, "Nova", {{"X", DataType::Long, 0}}); }},
        {"create an existing file", 3204, [&] { engine_.CreateDatabase(Path("PRODUTO.MDB")); }},
        {"create in a missing folder", 3044, [&] { engine_.CreateDatabase("C:\\Falta\\Novo.MDB"); }},
        {"create a new file", 0, [&] { engine_.CreateDatabase(Path("Novo.MDB")); }},
    };
    for (const auto& row : rows) EXPECT_EQ(ErrorNumberOf(row.operation), row.number) << row.situation;
    EXPECT_EQ(readOnly.TableDefs().Item("Loja").RecordCount(), 3);
}

TEST_F(DaoFilesTest, ErrorsCarryTheEngineTexts) {
    try {
        engine_.OpenDatabase("C:\\Dados\\Falta.MDB");
        FAIL() << "no error";
    } catch (const win::RuntimeError& error) {
        EXPECT_EQ(error.Description(), "Could not find file 'C:\\Dados\\Falta.MDB'.");
    }
    EXPECT_EQ(JetErrorText(3265), "Item not found in this collection.");
    EXPECT_EQ(JetErrorText(3010, "Cartao"), "Table 'Cartao' already exists.");
    // A number without a text of its own names itself (its text once outlived its string).
    EXPECT_EQ(JetErrorText(3999), "Reserved error (3999); there is no message for this error.");
}

}  // namespace
}  // namespace dao::testing
