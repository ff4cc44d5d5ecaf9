// The expression emitter: resolves names against the tables of a FROM clause and writes SQLite
// text with the engine's semantics (the `&` and `+` Null rules, Like wildcards, `<> Null`, dates
// compared with texts as dates, Jet's functions under their registered names).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/dao/sql/jet_internal.h"
#include "platform/dao/sql/jet_sql.h"

namespace dao::sql {

// An emitted expression with the Jet type it yields (0 when unknown, e.g. Null).
struct Emitted {
    std::string sql;
    int type = 0;
    int size = 0;
    std::string name;  // the output name a SELECT gives it when it has no alias
    bool column = false;  // a column reference (it carries its column's collation)
};

// A table of the FROM clause under the name the statement uses for it.
struct Source {
    std::string alias;  // the alias, or the table name as stored
    TableInfo table;
    std::string query;  // a stored query used as a table: its SELECT as SQLite text
    std::string schema;  // written before the table's name: `"name".` when read from an attached file
};

class Emitter {
public:
    // `tableSchema`: the schema the tables are read under on the connection the statement runs on
    // (that connection has their file attached under that name); empty for its own file.
    Emitter(const SchemaLookup& schema, std::optional<std::string> file, int queryDepth = 0,
            const std::string& tableSchema = {})
        : schema_(schema), file_(std::move(file)), queryDepth_(queryDepth), tableSchema_(tableSchema) {}

    // Looks the table up in the statement's source file and adds it; a stored query of that name
    // stands in for a missing table (3078 when there is neither). A stored query that reads
    // another file (its own `IN 'file'`) moves the statement to that file: it must then be the
    // only table of the statement (3131 otherwise), since one statement reads one file.
    const Source& AddTable(const std::string& name, const std::string& alias);
    // The file the statement's tables live in: its own source file, or the one the stored query
    // it reads moved it to.
    const std::optional<std::string>& RunFile() const { return runFile_; }
    const std::vector<Source>& Sources() const { return sources_; }
    // Names a SELECT gave its columns: ORDER BY and HAVING may use them.
    void AddOutputAlias(const std::string& name, int type) { outputs_.push_back({name, type}); }

    Emitted Emit(const Expr& e);
    // The columns a `*` or `t.*` stands for, each as `"t"."c"` with its type and name.
    std::vector<Emitted> ExpandStar(const Expr& star);

    const SchemaLookup& Schema() const { return schema_; }
    const std::optional<std::string>& File() const { return file_; }
    const std::string& TableSchema() const { return tableSchema_; }

private:
    Emitted Column(const Expr& e);
    Emitted Binary(const Expr& e);
    Emitted Arithmetic(const std::string& op, const Emitted& a, const Emitted& b, int type);
    Emitted Comparison(const std::string& op, Emitted a, Emitted b);
    Emitted Call(const Expr& e);
    Emitted DomainLookup(const Expr& e);
    Emitted Literal(const Expr& e);
    const Source* FindSource(const std::string& name) const;

    const SchemaLookup& schema_;
    std::optional<std::string> file_;
    std::optional<std::string> runFile_ = file_;
    bool moved_ = false;
    std::vector<Source> sources_;
    std::vector<std::pair<std::string, int>> outputs_;
    int exprCounter_ = 1000;
    int queryDepth_ = 0;
    std::string tableSchema_;
};

// A stored query's SELECT translated for use as a table of another statement's FROM.
struct QueryTable {
    std::string sql;
    std::vector<ColumnInfo> columns;
    std::optional<std::string> file;  // the file its tables live in
};
QueryTable TranslateStoredQuery(const std::string& jet, const SchemaLookup& schema,
                                const std::optional<std::string>& file, int depth, const std::string& tableSchema);

// Jet `#...#` date literal text to an OLE date: month first, as the engine reads these literals
// whatever the regional settings, day first when that is the only valid reading. Raises 3075.
double DateLiteralValue(const std::string& text);

// Shortest text that reads back as the same double.
std::string DoubleText(double value);

bool IsNumericType(int type);

}  // namespace dao::sql
