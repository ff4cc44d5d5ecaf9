#include "platform/controls/report/row_source.h"

#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_file.h"

namespace controls::report {
namespace {

class MemoryRowSource : public RowSource {
public:
    explicit MemoryRowSource(std::shared_ptr<const MemoryTable> table) : table_(std::move(table)) {}
    const std::vector<std::string>& Columns() const override { return table_->columns; }
    bool Next(Row& row) override {
        if (next_ >= table_->rows.size()) return false;
        row = table_->rows[next_++];
        row.resize(table_->columns.size());
        return true;
    }
    std::size_t RowCountHint() const override { return table_->rows.size(); }

private:
    std::shared_ptr<const MemoryTable> table_;
    std::size_t next_ = 0;
};

}  // namespace

MemoryDataConnector::File* MemoryDataConnector::Find(std::string_view dataFile) {
    for (auto& file : files_) {
        if (SameName(file.name, dataFile)) return &file;
    }
    return nullptr;
}

void MemoryDataConnector::AddTable(const std::string& dataFile, const std::string& source, MemoryTable table,
                                   const std::string& password) {
    File* file = Find(dataFile);
    if (file == nullptr) file = &files_.emplace_back(File{dataFile, password, {}});
    file->tables.emplace_back(source, std::make_shared<const MemoryTable>(std::move(table)));
}

std::unique_ptr<RowSource> MemoryDataConnector::Open(const std::string& dataFile, const std::string& password,
                                                     const std::string& source) {
    const File* file = Find(dataFile);
    if (file == nullptr) {
        Raise(err::DataFileNotFound, "Data file '" + dataFile + "' not found.");
    }
    if (file->password != password) {
        Raise(err::CannotOpenDataFile,
              "Cannot open data file '" + dataFile + "': the database password is not valid.");
    }
    for (const auto& [name, table] : file->tables) {
        if (SameName(name, source)) return std::make_unique<MemoryRowSource>(table);
    }
    Raise(err::DataSourceMissing, "The data file '" + dataFile + "' has no table or query named '" + source +
                                      "' (the report's Source).");
}

}  // namespace controls::report
