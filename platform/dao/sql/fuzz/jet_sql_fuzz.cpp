// libFuzzer target: random token streams into the Jet SQL translator, and what it writes into
// SQLite with the engine's functions. Each input byte picks a token from a vocabulary of the
// language's keywords, names, literals and symbols (the low bits) or, for bytes above 0xF0, a raw
// character, so the streams are mostly near-statements rather than noise. A translation must
// either succeed or raise the engine's error; SQLite then prepares and runs the result for a
// bounded number of steps.
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/dao/collation.h"
#include "platform/dao/sql/jet_execute.h"
#include "platform/dao/sql/jet_sql.h"
#include "platform/dao/statement.h"
#include "platform/win/error.h"

namespace {

constexpr const char* kVocabulary[] = {
    "SELECT", "DISTINCTROW", "DISTINCT", "TOP 2", "*", "INTO", "IN", "FROM", "WHERE", "GROUP BY",
    "HAVING", "ORDER BY", "DESC", "INSERT INTO", "VALUES", "UPDATE", "SET", "DELETE", "DROP TABLE",
    "INNER JOIN", "LEFT JOIN", "RIGHT JOIN", "ON", "AS", "AND", "OR", "NOT", "XOR", "Like", "Is",
    "Null", "Between", "Mod", "True", "T", "U", "[Itens T]", "T.a", "T.b", "[T]![Código]", "U.a",
    "U.*", "T.*", "a", "b", "Código", "(", ")", ",", ";", ".", "!", "=", "<>", "<", ">=", "&", "+",
    "-", "/", "\\", "^", "'x'", "\"01/10/2002\"", "'*a?#[!b-c]'", "#05/10/2002 14:30#", "1", "2.5",
    "1E3", "CDate(", "Format(", "CCur(", "CInt(", "CLng(", "Val(", "IIf(", "Nz(", "Mid(", "Left(",
    "Right(", "Len(", "Trim(", "UCase(", "InStr(", "Now(", "Date(", "Year(", "DateValue(",
    "DateSerial(", "First(", "Count(", "Sum(", "DLookUp(", "'dd/mm/yyyy'", "'00'", "'C:\\B.MDB'",
    "' 01/02/24 '", "'D/M/YYYY'", "''", "Unknown(",
};
constexpr std::size_t kWords = sizeof(kVocabulary) / sizeof(kVocabulary[0]);

class FuzzFiles : public dao::sql::FileAccess, public dao::sql::SchemaLookup {
public:
    FuzzFiles() {
        sqlite3_open(":memory:", &db_);
        dao::RegisterJetCollation(db_);
        dao::sql::RegisterJetFunctions(db_);
        sqlite3_exec(db_,
                     "CREATE TABLE T (a TEXT(10) COLLATE JETTEXT, b DOUBLE, \"Código\" LONG, d DATETIME);"
                     "CREATE TABLE U (a TEXT(10) COLLATE JETTEXT, c CURRENCY);"
                     "CREATE TABLE \"Itens T\" (a TEXT(10) COLLATE JETTEXT, b DOUBLE);"
                     "INSERT INTO T VALUES ('x', 1.5, 1, 37530.5), (NULL, NULL, 2, NULL), ('Ação', -3, 3, 2);"
                     "INSERT INTO U VALUES ('x', 2.25), ('y', NULL);",
                     nullptr, nullptr, nullptr);
        // Bounds every statement: a runaway join or pattern is cut off, not a hang.
        sqlite3_progress_handler(db_, 1000, [](void* steps) { return ++*static_cast<int*>(steps) > 200 ? 1 : 0; },
                                 &steps_);
    }
    ~FuzzFiles() override { sqlite3_close(db_); }

    void Run(const std::string& jet) {
        dao::sql::Translation tr;
        try {
            tr = dao::sql::TranslateJetSql(jet, *this);
        } catch (const win::RuntimeError&) {
            return;
        }
        steps_ = 0;
        sqlite3_exec(db_, "SAVEPOINT fuzz", nullptr, nullptr, nullptr);
        const std::string& sql = tr.kind == dao::sql::StatementKind::SelectInto ? tr.select : tr.sql;
        if (tr.kind != dao::sql::StatementKind::DropTable) {
            dao::Statement stmt(db_, sql);
            for (int i = 0; i < 50 && stmt.StepCode() == SQLITE_ROW; ++i) {
            }
        }
        sqlite3_exec(db_, "ROLLBACK TO fuzz; RELEASE fuzz", nullptr, nullptr, nullptr);
    }

    sqlite3* Handle(const std::string&) override { return db_; }
    void BeforeWrite(const std::string&, const std::string&, bool) override {}
    [[noreturn]] void Fail(const std::string&, bool) override { throw win::RuntimeError(3000, "fail"); }
    void StructureChanged(const std::string&, const std::string&, bool) override {}
    std::optional<dao::sql::TableInfo> FindTable(std::string_view, std::string_view name) const override {
        return dao::sql::ReadTableInfo(db_, name);
    }
    std::uint64_t Generation() const override { return 1; }

private:
    sqlite3* db_ = nullptr;
    int steps_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzFiles files;
    std::string jet;
    for (std::size_t i = 0; i < size && i < 256; ++i) {
        if (data[i] >= 0xF0 && i + 1 < size) {
            jet += static_cast<char>(data[++i]);
            continue;
        }
        jet += kVocabulary[data[i] % kWords];
        jet += (data[i] & 0x80) ? "" : " ";
    }
    files.Run(jet);
    return 0;
}
