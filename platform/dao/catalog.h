// The hidden metadata of a database file: what the engine knew and SQLite does not.
//
// Field types and sizes live in the declared column types ("SHORT", "TEXT(50)": see
// connection.h), so a table created or dropped by SQL keeps its metadata right by construction.
// The rest lives in tables whose names start with "zmsys_" and that TableDefs never lists:
//   zmsys_db          key/value: the password record ("salt:hash", hexadecimal).
//   zmsys_properties  user-defined field properties (table, field, name folded; type; value).
//   zmsys_indexes     per SQLite index: its name as the engine knows it (per table) and its
//                     Primary/Unique/Required/IgnoreNulls flags; the fields come from SQLite.
//   zmsys_relations   name, table, foreign table, attributes, field pairs.
//   zmsys_queries     stored queries: name and SQL text.
// Names are keyed by their folded form (collation.h), so lookups compare as the engine does.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/dao/connection.h"

namespace dao::catalog {

// True for SQLite's own tables and the hidden tables above.
bool IsHiddenTable(std::string_view name);

// Creates the hidden tables that are missing (a fresh file, or one written by an older run).
void Ensure(Connection& connection);

// User tables, in creation order, spelled as stored.
std::vector<std::string> TableNames(Connection& connection);
// The stored spelling of table `name`, compared as the engine compares names.
std::optional<std::string> FindTable(Connection& connection, std::string_view name);

// The columns of `table`, kept-back definitions first (connection.h); a table whose structure has
// not changed since its last read through the connection is not read again.
std::vector<Column> Columns(Connection& connection, std::string_view table);
// The byte size the engine reports for a fixed-size type (Long 4, Double 8, ...).
int FixedSize(DataType type);

struct IndexInfo {
    std::string name;     // the engine's name, unique per table
    std::string sqlName;  // the SQLite index
    bool primary = false;
    bool unique = false;
    bool required = false;
    bool ignoreNulls = false;
    std::vector<std::string> fields;
};
// The indexes of a table in creation order.
std::vector<IndexInfo> Indexes(Connection& connection, std::string_view table);
// The SQLite name for index `name` of `table` (index names are per table for the engine, per
// file for SQLite).
std::string SqlIndexName(std::string_view table, std::string_view name);
void RecordIndex(Connection& connection, const IndexInfo& index);
void ForgetIndex(Connection& connection, std::string_view sqlName);

struct RelationInfo {
    std::string name;
    std::string table;         // the one side (its key)
    std::string foreignTable;  // the many side
    long attributes = 0;
    std::vector<std::pair<std::string, std::string>> fields;  // (field, foreign field)
};
std::vector<RelationInfo> Relations(Connection& connection);
void RecordRelation(Connection& connection, const RelationInfo& relation);
void ForgetRelation(Connection& connection, std::string_view name);

struct QueryInfo {
    std::string name;
    std::string sql;
};
std::vector<QueryInfo> Queries(Connection& connection);
void RecordQuery(Connection& connection, const QueryInfo& query);
void ForgetQuery(Connection& connection, std::string_view name);

struct PropertyInfo {
    std::string name;
    int type = 10;
    Value value;
};
std::vector<PropertyInfo> Properties(Connection& connection, std::string_view table,
                                     std::string_view field);
void RecordProperty(Connection& connection, std::string_view table, std::string_view field,
                    const PropertyInfo& property);
// Moves a field's properties to its new name, or (newField empty) drops them.
void MoveProperties(Connection& connection, std::string_view table, std::string_view field,
                    std::string_view newField);
// Carries the relations naming a field over to its new name (properties move with MoveProperties).
void RenameRelationField(Connection& connection, std::string_view table, std::string_view field,
                         std::string_view newName);
// Carries a table's metadata over to its new name.
void RenameTable(Connection& connection, std::string_view table, std::string_view newName);
// Drops the metadata of tables that no longer exist (a table dropped by SQL leaves its rows).
void ForgetTable(Connection& connection, std::string_view table);

// The database password. An empty password means none.
bool HasPassword(Connection& connection);
bool PasswordMatches(Connection& connection, std::string_view password);
void SetPassword(Connection& connection, std::string_view password);

}  // namespace dao::catalog
