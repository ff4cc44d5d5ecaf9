// Where a report's rows come from: a small interface over the data file's table or query.
//
// The control opens the data file through a DataConnector, which hands back the rows of the
// report's Source as a RowSource. The database layer's connector reads an SQLite data file; the
// in-memory one serves tests and benchmarks, and any caller that has its rows at hand.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace controls::report {

// One value of a row: Null, a text (UTF-8), a number, or a date (an OLE date: days since
// 1899-12-30, the fraction being the time of day).
struct CellValue {
    enum class Kind : unsigned char { Null, Text, Number, Date };
    Kind kind = Kind::Null;
    std::string text;
    double number = 0;

    static CellValue Null() { return {}; }
    static CellValue Text(std::string s) { return {Kind::Text, std::move(s), 0}; }
    static CellValue Number(double n) { return {Kind::Number, {}, n}; }
    static CellValue Date(double oleDate) { return {Kind::Date, {}, oleDate}; }
    bool IsNull() const { return kind == Kind::Null; }
    friend bool operator==(const CellValue&, const CellValue&) = default;
};

using Row = std::vector<CellValue>;

// The rows of one table or query, read forward once.
class RowSource {
public:
    virtual ~RowSource() = default;
    // The column names, in the order of the values of each row.
    virtual const std::vector<std::string>& Columns() const = 0;
    // Fills `row` with the next row (one value per column); false after the last row.
    virtual bool Next(Row& row) = 0;
    // How many rows the source holds, when it knows (0 when it does not): the reader reserves
    // room for them at once instead of growing its store as it reads.
    virtual std::size_t RowCountHint() const { return 0; }
};

// Opens the data file and the report's source in it. Raises the control's errors (data file
// missing, cannot open it, source missing) so the user sees the control's own description.
class DataConnector {
public:
    virtual ~DataConnector() = default;
    // `dataFile` is the path the program set (a Windows path); `password` is already stripped of
    // the program's leading line feed.
    // Called on any one thread at a time (a report's rows are read on a thread of their own):
    // a connector keeps no state that two opens share.
    virtual std::unique_ptr<RowSource> Open(const std::string& dataFile, const std::string& password,
                                            const std::string& source) = 0;
    // The same source's first `rows` rows, in Open's order: what a report's first page needs. A
    // connector that cannot read the head alone opens the whole source (the reader stops early).
    virtual std::unique_ptr<RowSource> OpenHead(const std::string& dataFile, const std::string& password,
                                                const std::string& source, std::size_t rows) {
        (void)rows;
        return Open(dataFile, password, source);
    }
    // Open for a reader on another thread that may be told to stop: once `stop` is set, reading
    // the source (its opening included) may end soon with an error, which the reader ignores. A
    // connector without a way to stop a read opens the source as Open does.
    virtual std::unique_ptr<RowSource> OpenStoppable(const std::string& dataFile, const std::string& password,
                                                     const std::string& source, const std::atomic<bool>& stop) {
        (void)stop;
        return Open(dataFile, password, source);
    }
};

// A table held in memory.
struct MemoryTable {
    std::vector<std::string> columns;
    std::vector<Row> rows;
};

// Data files held in memory: file name -> (password, source name -> table). Names of files and
// sources are matched without regard to case, as the database engine matches them.
class MemoryDataConnector : public DataConnector {
public:
    void AddTable(const std::string& dataFile, const std::string& source, MemoryTable table,
                  const std::string& password = {});
    std::unique_ptr<RowSource> Open(const std::string& dataFile, const std::string& password,
                                    const std::string& source) override;

private:
    struct File {
        std::string name;
        std::string password;
        std::vector<std::pair<std::string, std::shared_ptr<const MemoryTable>>> tables;
    };
    File* Find(std::string_view dataFile);
    std::vector<File> files_;
};

}  // namespace controls::report
