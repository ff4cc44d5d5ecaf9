// Files the engine did not make: every open, repair and compaction refuses them and leaves them
// exactly as they were; files made before the engine marked its files keep opening.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>

#include "platform/dao/connection.h"
#include "platform/dao/tests/fixture.h"

namespace dao::testing {
namespace {

namespace fs = std::filesystem;

const char* const kProduto = "C:\\Dados\\Produto.MDB";
const char* const kUnrecognised = "Unrecognized database format 'C:\\Dados\\Produto.MDB'.";

struct Outcome {
    long number = 0;
    std::string text;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    return out << outcome.number << " \"" << outcome.text << "\"";
}

Outcome OutcomeOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const win::RuntimeError& error) {
        return {error.Number(), error.Description()};
    }
    return {};
}

class ForeignFilesTest : public DaoTest {
public:
    // Every file of the data folder (hidden ones included) with its size and a digest of its bytes.
    std::map<std::string, std::string> Folder() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(Host(""))) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes(std::istreambuf_iterator<char>(in), {});
            files[entry.path().filename().string()] =
                std::to_string(bytes.size()) + " bytes, digest " + std::to_string(std::hash<std::string>()(bytes));
        }
        return files;
    }

    void WriteBytes(const std::string& name, const std::string& bytes) const {
        std::ofstream(Host(name), std::ios::binary) << bytes;
    }

    // Runs `sql` on the file as another program would, through SQLite alone.
    void WriteSqlite(const std::string& name, const std::string& sql) const {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(Host(name).c_str(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
        sqlite3_close(raw);
    }

    std::uint32_t ApplicationId(const std::string& name) const {
        std::ifstream in(Host(name), std::ios::binary);
        std::string header(100, '\0');
        in.read(header.data(), 100);
        std::uint32_t id = 0;
        for (int i = 68; i < 72; ++i) id = id << 8 | static_cast<unsigned char>(header[static_cast<std::size_t>(i)]);
        return id;
    }

    // A store made by the engine as it made them before it marked its files.
    void MakeUnmarkedStore() {
        {
            Database db = Create("Produto.MDB");
            MakeTable(db, "Loja", {{"CodLoja", DataType::Long, 0}, {"Nome", DataType::Text, 50}});
            engine_.BeginTrans();
            for (int i = 1; i <= 300; ++i) AddRow(db, "Loja", {{"CodLoja", Value(i)}, {"Nome", Value(std::string(40, 'a'))}});
            engine_.CommitTrans();
            db.NewPassword("", "TORPAL");
        }
        WriteSqlite("Produto.MDB", "PRAGMA application_id=0");
        ASSERT_EQ(ApplicationId("Produto.MDB"), 0u);
    }

    long LojaNames(const Database& db, const std::string& name) {
        Recordset rs = db.OpenRecordset("SELECT count(*) FROM Loja WHERE Nome = '" + name + "'");
        return rs(0).GetValue().ToLong();
    }
};

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(20240611);
    std::string bytes(size, '\0');
    for (auto& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

TEST_F(ForeignFilesTest, AFileOfAnotherProgramIsRefusedByEveryOperationAndLeftAsItWas) {
    struct Foreign {
        const char* what;
        std::function<void(ForeignFilesTest&)> make;
    };
    const Foreign files[] = {
        {"SQLite file with a table of its own",
         [](auto& t) {
             t.WriteSqlite("Produto.MDB", "CREATE TABLE Produto (Codigo INTEGER PRIMARY KEY, Nome TEXT);"
                                          "INSERT INTO Produto VALUES (1, 'Camisa'), (2, 'Calça');");
         }},
        {"SQLite file of unrelated tables",
         [](auto& t) {
             t.WriteSqlite("Produto.MDB", "CREATE TABLE agenda (dia, nota); CREATE TABLE contatos (nome, fone);"
                                          "CREATE INDEX contatos_nome ON contatos (nome); INSERT INTO agenda VALUES (1, 'x');");
         }},
        {"SQLite file with nothing but its header", [](auto& t) { t.WriteSqlite("Produto.MDB", "PRAGMA user_version=7"); }},
        {"SQLite file of another program that has a table named like the engine's",
         [](auto& t) {
             t.WriteSqlite("Produto.MDB", "PRAGMA application_id=305419896; CREATE TABLE zmsys_db (key TEXT, value TEXT);");
         }},
        {"SQLite file in WAL mode",
         [](auto& t) {
             t.WriteSqlite("Produto.MDB", "PRAGMA journal_mode=WAL; CREATE TABLE zmsys_db (key TEXT, value TEXT);");
         }},
        {"text file", [](auto& t) { t.WriteBytes("Produto.MDB", "Lista de produtos\r\n1;Camisa\r\n2;Calça\r\n"); }},
        {"random bytes", [](auto& t) { t.WriteBytes("Produto.MDB", RandomBytes(8192)); }},
        {"SQLite's magic text before junk",
         [](auto& t) { t.WriteBytes("Produto.MDB", std::string("SQLite format 3", 16) + RandomBytes(4080)); }},
        {"zero-byte file", [](auto& t) { t.WriteBytes("Produto.MDB", ""); }},
    };
    struct Operation {
        const char* what;
        std::function<void(const DBEngine&)> run;
    };
    const Operation operations[] = {
        {"shared open with the store password", [](auto& e) { e.OpenDatabase(kProduto, false, false, ";PWD=TORPAL"); }},
        {"shared open without password", [](auto& e) { e.OpenDatabase(kProduto); }},
        {"exclusive open", [](auto& e) { e.OpenDatabase(kProduto, true, false, ";PWD=TORPAL"); }},
        {"read-only open", [](auto& e) { e.OpenDatabase(kProduto, false, true, ";PWD=TORPAL"); }},
        {"exclusive read-only open", [](auto& e) { e.OpenDatabase(kProduto, true, true); }},
        {"repair", [](auto& e) { e.RepairDatabase(kProduto); }},
        {"compaction", [](auto& e) { e.CompactDatabase(kProduto, "C:\\Dados\\Copia.MDB"); }},
    };
    for (const auto& file : files) {
        for (const auto& entry : fs::directory_iterator(Host(""))) fs::remove(entry.path());
        file.make(*this);
        const auto before = Folder();
        ASSERT_EQ(before.size(), 1u) << file.what;
        for (const auto& operation : operations) {
            EXPECT_EQ(OutcomeOf([&] { operation.run(engine_); }), (Outcome{3343, kUnrecognised}))
                << file.what << ", " << operation.what;
            EXPECT_EQ(Folder(), before) << file.what << ", " << operation.what << ": the file changed or gained a neighbour";
        }
    }
}

// Files made before the engine marked its files open in every mode; a read-only open leaves them
// as they are, a read-write open, a compaction and a repair mark them.
TEST_F(ForeignFilesTest, AFileMadeBeforeFilesWereMarkedStillOpens) {
    MakeUnmarkedStore();
    const auto before = Folder();
    {
        Database db = engine_.OpenDatabase(kProduto, false, true, ";PWD=TORPAL");
        EXPECT_EQ(db.TableDefs().Item("Loja").RecordCount(), 300);
        EXPECT_EQ(OutcomeOf([&] { engine_.OpenDatabase(kProduto, false, true, ";PWD=outra"); }).number, 3031);
    }
    EXPECT_EQ(Folder(), before) << "a read-only open writes nothing";
    EXPECT_EQ(OutcomeOf([&] { engine_.OpenDatabase(kProduto, true, false, ";PWD=outra"); }).number, 3031);
    EXPECT_EQ(Folder(), before) << "a refused password writes nothing";

    EXPECT_EQ(OutcomeOf([&] { engine_.CompactDatabase(kProduto, "C:\\Dados\\Copia.MDB"); }), Outcome{});
    EXPECT_EQ(ApplicationId("Copia.MDB"), static_cast<std::uint32_t>(kApplicationId));
    EXPECT_EQ(OutcomeOf([&] { engine_.RepairDatabase(kProduto); }), Outcome{});
    EXPECT_EQ(engine_.OpenDatabase(kProduto, false, false, ";PWD=TORPAL").TableDefs().Item("Loja").RecordCount(), 300);
    EXPECT_EQ(ApplicationId("Produto.MDB"), static_cast<std::uint32_t>(kApplicationId));
}

// A writer that died in the middle of a transaction leaves a journal beside an unmarked file: the
// file is still recognised, and the open plays the journal back.
TEST_F(ForeignFilesTest, AnUnmarkedFileWithAJournalLeftByADeadWriterOpensRolledBack) {
    MakeUnmarkedStore();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A tiny page cache spills the changed pages into the file before the commit.
        sqlite3* raw = nullptr;
        sqlite3_open(Host("Produto.MDB").c_str(), &raw);
        sqlite3_exec(raw, "PRAGMA cache_size=2; BEGIN; UPDATE Loja SET Nome = 'mudou'", nullptr, nullptr, nullptr);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(fs::exists(Host("Produto.MDB-journal")));
    Database db = engine_.OpenDatabase(kProduto, false, false, ";PWD=TORPAL");
    EXPECT_EQ(LojaNames(db, std::string(40, 'a')), 300);
    EXPECT_EQ(LojaNames(db, "mudou"), 0);
    EXPECT_FALSE(fs::exists(Host("Produto.MDB-journal")));
}

// Files made by the engine carry its mark from the start, so that no reader has to look inside.
TEST_F(ForeignFilesTest, CreatedCompactedAndRepairedFilesCarryTheMark) {
    Database db = Create("Produto.MDB");
    MakeTable(db, "Loja", {{"CodLoja", DataType::Long, 0}});
    db.Close();
    engine_.CompactDatabase(kProduto, "C:\\Dados\\Copia.MDB");
    engine_.RepairDatabase("C:\\Dados\\Copia.MDB");
    for (const char* name : {"Produto.MDB", "Copia.MDB"}) {
        EXPECT_EQ(ApplicationId(name), static_cast<std::uint32_t>(kApplicationId)) << name;
    }
}

}  // namespace
}  // namespace dao::testing
