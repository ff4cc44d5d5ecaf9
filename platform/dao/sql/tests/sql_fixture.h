// In-memory SQLite files with the engine's collation and functions, standing in for the database
// layer's connections: "" is the file a statement runs on, any other name an `IN 'file'` path.
// Like the engine's connections they are opened without SQLite's mutex.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/dao/collation.h"
#include "platform/dao/dao.h"
#include "platform/dao/sql/jet_execute.h"
#include "platform/dao/sql/jet_sql.h"
#include "platform/win/error.h"
#include "platform/win/paths.h"
#include "platform/win/testing/raises.h"

namespace dao::sql::testing {

class MemoryFiles : public FileAccess, public SchemaLookup {
public:
    MemoryFiles() { Open(""); }
    ~MemoryFiles() override {
        std::set<sqlite3*> open;
        for (auto& [name, db] : files_) open.insert(db);
        for (sqlite3* db : open) sqlite3_close(db);
    }
    MemoryFiles(const MemoryFiles&) = delete;
    MemoryFiles& operator=(const MemoryFiles&) = delete;

    sqlite3* Open(const std::string& file) {
        auto it = files_.find(JetFold(file));
        if (it != files_.end()) return it->second;
        sqlite3* db = nullptr;
        sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
        RegisterJetCollation(db);
        RegisterJetFunctions(db);
        files_[JetFold(file)] = db;
        return db;
    }
    // Makes `alias` name the same file as `file` (one connection, as for the executing file).
    void Alias(const std::string& alias, const std::string& file) { files_[JetFold(alias)] = Open(file); }
    // Statements from now on run on `file`; the file they ran on so far is reached as `oldName`.
    void Rehome(const std::string& file, const std::string& oldName) {
        sqlite3* home = Open("");
        sqlite3* next = Open(file);
        files_[JetFold(oldName)] = home;
        files_[""] = next;
    }

    void Exec(const std::string& sql, const std::string& file = "") {
        char* error = nullptr;
        if (sqlite3_exec(Open(file), sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            std::string message = error ? error : "?";
            sqlite3_free(error);
            ADD_FAILURE() << sql << ": " << message;
        }
    }

    // Rows of a query as "a|b|c" texts (Null as "NULL", REAL in SQLite's own shortest form).
    std::vector<std::string> Rows(const std::string& sql, const std::string& file = "") {
        std::vector<std::string> rows;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(Open(file), sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(Open(file));
            return rows;
        }
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            std::string row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
                if (i) row += "|";
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                row += text ? text : "NULL";
            }
            rows.push_back(row);
        }
        if (rc != SQLITE_DONE) ADD_FAILURE() << sql << ": " << sqlite3_errmsg(Open(file));
        sqlite3_finalize(stmt);
        return rows;
    }

    // Translates and runs a Jet statement here; a SELECT answers its rows.
    std::vector<std::string> Run(const std::string& jet, bool failOnError = false) {
        TranslateOptions options;
        options.skipFailingRows = !failOnError;
        Translation tr = TranslateJetSql(jet, *this, options);
        if (tr.kind == StatementKind::Select) return Rows(tr.sql);
        lastAffected = RunTranslation(tr, *this);
        return {};
    }

    sqlite3* Handle(const std::string& file) override { return Open(file); }
    void BeforeWrite(const std::string& file, const std::string&, bool) override { writes.push_back(file); }
    [[noreturn]] void Fail(const std::string& file, bool) override {
        throw win::RuntimeError(-1, sqlite3_errmsg(Open(file)));
    }
    void StructureChanged(const std::string&, const std::string&, bool) override { ++generation_; }
    std::optional<TableInfo> FindTable(std::string_view file, std::string_view name) const override {
        auto it = files_.find(JetFold(file));
        if (it == files_.end()) return std::nullopt;
        return ReadTableInfo(it->second, name);
    }
    std::optional<std::string> FindQuery(std::string_view, std::string_view name) const override {
        auto it = queries.find(JetFold(name));
        if (it == queries.end()) return std::nullopt;
        return it->second;
    }
    std::uint64_t Generation() const override { return generation_; }

    std::map<std::string, std::string> queries;  // stored queries of the executing file, by folded name
    std::vector<std::string> writes;
    long long lastAffected = 0;

private:
    std::map<std::string, sqlite3*> files_;
    std::uint64_t generation_ = 1;
};

// Runs `sql` on the SQLite file at `path`, with the engine's collation. A missing file is made by
// the engine, which opens no file it did not make.
inline void WriteSqliteFile(const std::filesystem::path& path, const std::string& sql) {
    if (!std::filesystem::exists(path)) DBEngine().CreateDatabase(win::WindowsPath(path)).Close();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    RegisterJetCollation(raw);
    EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
    sqlite3_close(raw);
}

// The engine error number a statement raises, 0 when it runs.
inline long ErrorOf(MemoryFiles& files, const std::string& jet) {
    return win::testing::ErrorNumberOf([&] { files.Run(jet); });
}

}  // namespace dao::sql::testing
