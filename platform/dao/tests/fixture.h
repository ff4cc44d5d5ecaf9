// Shared fixture of the engine's tests: a temporary machine root with a data folder on drive C:,
// an engine that never waits on a busy file, and helpers to build tables through the object model.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "platform/dao/errors.h"
#include "platform/win/error.h"
#include "platform/win/testing/raises.h"
#include "platform/win/testing/temp_machine_root.h"

namespace dao::testing {

// The number an operation raised; 0 when it raised nothing.
using win::testing::ErrorNumberOf;

struct FieldSpec {
    const char* name;
    DataType type;
    int size;
};

class DaoTest : public ::testing::Test {
protected:
    DaoTest() {
        std::filesystem::create_directories(root_.DriveC() / "Dados");
        engine_.SetBusyTimeout(0);
    }
    ~DaoTest() override { ClearFaults(); }

    std::filesystem::path Host(const std::string& name) const { return root_.DriveC() / "Dados" / name; }
    static std::string Path(const std::string& name) { return "C:\\Dados\\" + name; }

    Database Create(const std::string& name) { return engine_.CreateDatabase(Path(name)); }

    static TableDef MakeTable(const Database& db, const std::string& name, const std::vector<FieldSpec>& fields) {
        TableDef table = db.CreateTableDef(name);
        for (const auto& field : fields) {
            table.Fields().Append(table.CreateField(field.name, Value::Long(static_cast<int>(field.type)), Value::Long(field.size)));
        }
        db.TableDefs().Append(table);
        return db.TableDefs().Item(name);
    }

    static void AddIndex(const TableDef& table, const std::string& name, const std::vector<std::string>& fields,
                         bool primary = false, bool unique = false) {
        Index index = table.CreateIndex(name);
        for (const auto& field : fields) index.Fields().Append(index.CreateField(field));
        index.SetPrimary(primary);
        index.SetUnique(unique);
        table.Indexes().Append(index);
    }

    static void AddRow(const Database& db, const std::string& table, const std::vector<std::pair<std::string, Value>>& values) {
        Recordset rs = db.OpenRecordset(table, dbOpenTable);
        rs.AddNew();
        for (const auto& [name, value] : values) rs(name).SetValue(value);
        rs.Update();
        rs.Close();
    }

    win::testing::TempMachineRoot root_;
    DBEngine engine_;
};

}  // namespace dao::testing
