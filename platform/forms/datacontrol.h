// The data control: names a database and a record source (a table, stored query or SQL text),
// opens them on Refresh, and hands the open recordset to the controls bound to it (a grid).
//
// It opens through the database engine in force (SetDataEngine; by default one engine of the
// process). The control itself shows nothing: the program keeps it hidden, as its windows do.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "platform/forms/controls.h"
#include "platform/forms/value.h"

namespace forms {

// The engine data controls open through; the program sets its own at start-up.
void SetDataEngine(const dao::DBEngine& engine);
const dao::DBEngine& DataEngine();

class DataControl : public Control {
public:
    DataControl(Window& window, std::string name, QWidget* parent);
    bool HasTabStop() const override { return false; }

    const std::string& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(std::string name) { databaseName_ = std::move(name); }
    const std::string& RecordSource() const { return recordSource_; }
    void SetRecordSource(std::string source) { recordSource_ = std::move(source); }
    const std::string& Connect() const { return connect_; }
    void SetConnect(std::string connect) { connect_ = std::move(connect); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // Opens (again) the database and the record source as a dynaset, then tells the bound
    // controls. The engine's errors pass to the caller; the previous recordset stays on failure.
    void Refresh();

    // The open recordset; 91 "Object variable or With block variable not set" before a Refresh.
    dao::Recordset& Recordset();
    bool HasRecordset() const { return recordset_.has_value(); }

    // A bound control (a grid) registers to hear of each Refresh.
    void Bind(std::function<void()> onRefresh) { bound_.push_back(std::move(onRefresh)); }

private:
    std::string databaseName_;
    std::string recordSource_;
    std::string connect_;
    bool readOnly_ = false;
    std::optional<dao::Database> database_;
    std::optional<dao::Recordset> recordset_;
    std::vector<std::function<void()>> bound_;
};

// A field value of the engine as a runtime value (Null stays Null).
Value FromDao(const dao::Value& value);

}  // namespace forms
