// The JETTEXT extension as a SQLite tool uses it: a store-like file whose text columns are declared
// with the collation, opened on a plain connection, fails the statements that need the collation
// until the extension is loaded, and then orders and matches text as the engine does.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/dao/collation.h"

namespace {

struct Connection {
    explicit Connection(const std::string& path) { sqlite3_open(path.c_str(), &db); }
    ~Connection() { sqlite3_close(db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The rows, each as its first column; the error message instead when the statement fails.
    std::vector<std::string> Rows(const std::string& sql) const {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return {sqlite3_errmsg(db)};
        std::vector<std::string> rows;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            rows.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        }
        sqlite3_finalize(statement);
        return rows;
    }

    sqlite3* db = nullptr;
};

TEST(JetTextExtensionTest, APlainConnectionOrdersAndMatchesAsTheEngineOnceItIsLoaded) {
    std::string folder = (std::filesystem::temp_directory_path() / "jettext-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const std::string file = folder + "/Produto.MDB";
    {
        Connection engine(file);
        ASSERT_EQ(dao::RegisterJetCollation(engine.db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(engine.db,
                               "CREATE TABLE Familia (Nome TEXT(20) COLLATE JETTEXT, Preco DOUBLE, Custo DOUBLE,"
                               " Grupo LONG, Obs TEXT(40) COLLATE JETTEXT);"
                               "CREATE INDEX IndNome ON Familia (Nome);"
                               "INSERT INTO Familia (Nome) VALUES ('Cor'), ('CÓDIGO'), ('codigo'), ('Código'), ('Ábaco')",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    const struct {
        const char* sql;
        std::vector<std::string> without;   // on a plain connection
        std::vector<std::string> with;      // once the extension is loaded
    } rows[] = {
        {"SELECT count(*) FROM Familia", {"no such collation sequence: JETTEXT"}, {"5"}},
        {"SELECT Nome FROM Familia ORDER BY Nome", {"no such collation sequence: JETTEXT"},
         {"Ábaco", "codigo", "CÓDIGO", "Código", "Cor"}},
        {"SELECT count(*) FROM Familia WHERE Nome = 'código'", {"no such collation sequence: JETTEXT"}, {"2"}},
        {"PRAGMA integrity_check", {"no such collation sequence: JETTEXT"}, {"ok"}},
        {"SELECT Nome FROM Familia WHERE rowid = 1", {"Cor"}, {"Cor"}},
    };
    Connection tool(file);
    for (const auto& row : rows) EXPECT_EQ(tool.Rows(row.sql), row.without) << row.sql;

    ASSERT_EQ(sqlite3_enable_load_extension(tool.db, 1), SQLITE_OK);
    char* error = nullptr;
    ASSERT_EQ(sqlite3_load_extension(tool.db, JETTEXT_EXTENSION_PATH, nullptr, &error), SQLITE_OK) << (error ? error : "");
    for (const auto& row : rows) EXPECT_EQ(tool.Rows(row.sql), row.with) << row.sql;

    std::filesystem::remove_all(folder);
}

}  // namespace
