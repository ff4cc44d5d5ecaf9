#include "platform/controls/report/dao/dao_connector.h"

#include <algorithm>

#include "platform/controls/report/report_errors.h"
#include "platform/dao/dao.h"
#include "platform/dao/errors.h"

namespace controls::report {
namespace {

CellValue FromEngine(const dao::Value& value) {
    switch (value.kind()) {
        case dao::Value::Kind::Null: return CellValue::Null();
        case dao::Value::Kind::Text: return CellValue::Text(value.ToText());
        case dao::Value::Kind::Date: return CellValue::Date(value.ToDouble());
        default: return CellValue::Number(value.ToDouble());
    }
}

// The source read forward; the recordset closes with this object.
class DaoRowSource : public RowSource {
public:
    DaoRowSource(dao::Database db, dao::Recordset records, std::string dataFile)
        : db_(std::move(db)), records_(std::move(records)), dataFile_(std::move(dataFile)) {
        const dao::Fields fields = records_.Fields();
        for (int i = 0; i < fields.Count(); ++i) {
            columns_.push_back(fields.Item(i).Name());
            fields_.push_back(fields.Item(i));
        }
    }
    ~DaoRowSource() override {
        try {
            records_.Close();
            db_.Close();
        } catch (const win::RuntimeError&) {
            // Closing a read-only recordset cannot lose anything; nothing to report.
        }
    }
    DaoRowSource(const DaoRowSource&) = delete;
    DaoRowSource& operator=(const DaoRowSource&) = delete;

    const std::vector<std::string>& Columns() const override { return columns_; }

    bool Next(Row& row) override {
        try {
            if (records_.Eof()) return false;
            row.clear();
            for (const auto& field : fields_) row.push_back(FromEngine(field.GetValue()));
            records_.MoveNext();
            return true;
        } catch (const win::RuntimeError& e) {
            Raise(err::DataReadFailed,
                  "Reading the report's rows from '" + dataFile_ + "' failed: " + e.Description());
        }
    }

private:
    dao::Database db_;
    dao::Recordset records_;
    std::string dataFile_;
    std::vector<std::string> columns_;
    std::vector<dao::Field> fields_;
};

dao::Database OpenDataFile(const std::string& dataFile, const std::string& password,
                           const std::atomic<bool>* stop) {
    try {
        const dao::DBEngine engine;
        engine.SetStopFlag(stop);
        return engine.OpenDatabase(dataFile, false, true, ";PWD=" + password);
    } catch (const win::RuntimeError& e) {
        if (e.Number() == dao::jet::FileNotFound || e.Number() == dao::jet::InvalidPath) {
            Raise(err::DataFileNotFound, "Data file '" + dataFile + "' not found.");
        }
        if (e.Number() == dao::jet::InvalidPassword) {
            Raise(err::CannotOpenDataFile,
                  "Cannot open data file '" + dataFile + "': the database password is not valid.");
        }
        Raise(err::CannotOpenDataFile, "Cannot open data file '" + dataFile + "': " + e.Description());
    }
}

// True when `source` names a table or a stored query of `db`.
bool HasSource(const dao::Database& db, const std::string& source) {
    const auto has = [&](const auto& collection) {
        try {
            collection.Item(source);
            return true;
        } catch (const win::RuntimeError& e) {
            if (e.Number() != dao::jet::ItemNotFound) throw;
            return false;
        }
    };
    return has(db.TableDefs()) || has(db.QueryDefs());
}

// Opens `query` (the source's name, or a SELECT over it) on the source of `dataFile`.
std::unique_ptr<RowSource> OpenSource(const std::string& dataFile, const std::string& password,
                                      const std::string& source, const std::string& query,
                                      const std::atomic<bool>* stop = nullptr) {
    dao::Database db = OpenDataFile(dataFile, password, stop);
    try {
        if (!HasSource(db, source)) {
            db.Close();
            Raise(err::DataSourceMissing, "The data file '" + dataFile + "' has no table or query named '" +
                                              source + "' (the report's Source).");
        }
        dao::Recordset records = db.OpenRecordset(query, dao::dbOpenForwardOnly, dao::dbReadOnly);
        return std::make_unique<DaoRowSource>(db, std::move(records), dataFile);
    } catch (const win::RuntimeError& e) {
        if (e.Source() == kErrorSource) throw;
        db.Close();
        Raise(err::DataReadFailed, "The report's source '" + source + "' in data file '" + dataFile +
                                       "' cannot be read: " + e.Description());
    }
}

}  // namespace

std::unique_ptr<RowSource> DaoDataConnector::Open(const std::string& dataFile, const std::string& password,
                                                  const std::string& source) {
    return OpenSource(dataFile, password, source, source);
}

std::unique_ptr<RowSource> DaoDataConnector::OpenStoppable(const std::string& dataFile, const std::string& password,
                                                           const std::string& source, const std::atomic<bool>& stop) {
    return OpenSource(dataFile, password, source, source, &stop);
}

std::unique_ptr<RowSource> DaoDataConnector::OpenHead(const std::string& dataFile, const std::string& password,
                                                      const std::string& source, std::size_t rows) {
    // A name Jet cannot bracket is read from its start, as a whole source is.
    if (source.find_first_of("[]") != std::string::npos) return Open(dataFile, password, source);
    try {
        return OpenSource(dataFile, password, source, "SELECT TOP " + std::to_string(rows) + " * FROM [" + source + "]");
    } catch (const win::RuntimeError& e) {
        // A query the engine reads whole but cannot select from (a crosstab): read from its start.
        if (e.Number() != err::DataReadFailed) throw;
        return Open(dataFile, password, source);
    }
}

}  // namespace controls::report
