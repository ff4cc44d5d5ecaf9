#include "platform/dao/catalog.h"

#include <array>
#include <cstdio>
#include <random>

#include "platform/dao/collation.h"

namespace dao::catalog {
namespace {

constexpr const char* kCreateCatalog =
    "CREATE TABLE IF NOT EXISTS zmsys_db(key TEXT PRIMARY KEY, value TEXT);"
    "CREATE TABLE IF NOT EXISTS zmsys_properties(tbl TEXT, field TEXT, fname TEXT, name TEXT,"
    " type INTEGER, value, PRIMARY KEY(tbl, field, fname));"
    "CREATE TABLE IF NOT EXISTS zmsys_indexes(sqlname TEXT PRIMARY KEY, name TEXT,"
    " is_primary INTEGER, is_unique INTEGER, required INTEGER, ignore_nulls INTEGER);"
    "CREATE TABLE IF NOT EXISTS zmsys_relations(fname TEXT PRIMARY KEY, name TEXT, tbl TEXT,"
    " foreign_tbl TEXT, attributes INTEGER, fields TEXT);"
    "CREATE TABLE IF NOT EXISTS zmsys_queries(fname TEXT PRIMARY KEY, name TEXT, sql TEXT);";

constexpr char kFieldSeparator = '\x1f';

bool HasTable(Connection& connection, const char* name) {
    const Connection::KeepPending keep(connection);
    Statement query(connection, "SELECT 1 FROM sqlite_master WHERE type='table' AND name=?", Operation::Read);
    query.Bind(1, Value::Text(name));
    return query.Step();
}

bool HasCatalog(Connection& connection) { return HasTable(connection, "zmsys_queries"); }

std::vector<std::string> Split(std::string_view text) {
    std::vector<std::string> parts;
    if (text.empty()) return parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(kFieldSeparator, start)) != std::string_view::npos; start = at + 1) {
        parts.emplace_back(text.substr(start, at - start));
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

// A stable 64-bit hash (FNV-1a) iterated over the salt and the password. The password keeps a file
// from being opened by mistake; it is no protection against a reader who has the file.
std::string HashPassword(std::string_view salt, std::string_view password) {
    std::uint64_t hash = 1469598103934665603ULL;
    for (int round = 0; round < 4096; ++round) {
        for (const char c : salt) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        for (const char c : password) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
        hash ^= static_cast<std::uint64_t>(round);
    }
    std::array<char, 17> text{};
    std::snprintf(text.data(), text.size(), "%016llx", static_cast<unsigned long long>(hash));
    return text.data();
}

std::string PasswordRecord(Connection& connection) {
    const Connection::KeepPending keep(connection);
    if (!HasTable(connection, "zmsys_db")) return {};
    Statement query(connection, "SELECT value FROM zmsys_db WHERE key='password'", Operation::Read);
    return query.Step() ? query.Text(0) : std::string();
}

void WriteMeta(Connection& connection, std::string_view sql, const std::vector<Value>& values) {
    const Connection::KeepPending keep(connection);
    connection.PrepareWrite(Operation::Structure);
    Ensure(connection);
    Statement statement(connection, sql, Operation::Structure);
    for (std::size_t i = 0; i < values.size(); ++i) statement.Bind(static_cast<int>(i) + 1, values[i]);
    statement.Step();
}

}  // namespace

bool IsHiddenTable(std::string_view name) {
    const std::string folded = JetFold(name);
    return folded.starts_with("ZMSYS_") || folded.starts_with("SQLITE_");
}

void Ensure(Connection& connection) {
    const Connection::KeepPending keep(connection);
    if (HasCatalog(connection)) return;
    connection.Exec(kCreateCatalog, Operation::Structure);
}

std::vector<std::string> TableNames(Connection& connection) {
    const Connection::KeepPending keep(connection);
    Statement query(connection, "SELECT name FROM sqlite_master WHERE type='table' ORDER BY rowid", Operation::Read);
    std::vector<std::string> names;
    while (query.Step()) {
        auto name = query.Text(0);
        if (!IsHiddenTable(name)) names.push_back(std::move(name));
    }
    return names;
}

std::optional<std::string> FindTable(Connection& connection, std::string_view name) {
    for (auto& table : TableNames(connection)) {
        if (JetNamesEqual(table, name)) return table;
    }
    return std::nullopt;
}

int FixedSize(DataType type) {
    switch (type) {
    case DataType::Boolean:
    case DataType::Byte: return 1;
    case DataType::Integer: return 2;
    case DataType::Long:
    case DataType::Single: return 4;
    case DataType::Currency:
    case DataType::Double:
    case DataType::Date: return 8;
    case DataType::Text:
    case DataType::Memo: break;
    }
    return 0;
}

std::vector<Column> Columns(Connection& connection, std::string_view table) {
    std::vector<Column> columns;
    if (const auto* pending = connection.PendingColumns(table)) {
        for (const auto& kept : *pending) columns.push_back({kept.name, kept.type, kept.size, false});
        return columns;
    }
    const auto stamp = connection.ReadStructureStamp();
    if (stamp) {
        if (const auto* known = connection.KnownColumns(table, *stamp)) return *known;
    }
    const Connection::KeepPending keep(connection);
    Statement query(connection, "SELECT name, type, \"notnull\" FROM pragma_table_info(?)", Operation::Read);
    query.Bind(1, Value::Text(std::string(table)));
    while (query.Step()) {
        Column column;
        column.name = query.Text(0);
        TypeFromDeclared(query.Text(1), column.type, column.size);
        if (column.type != DataType::Text && column.type != DataType::Memo) column.size = FixedSize(column.type);
        column.notNull = query.Int(2) != 0;
        columns.push_back(std::move(column));
    }
    if (stamp) connection.KeepColumns(table, *stamp, columns);
    return columns;
}

std::string SqlIndexName(std::string_view table, std::string_view name) {
    return "zmidx:" + JetFold(table) + ":" + JetFold(name);
}

std::vector<IndexInfo> Indexes(Connection& connection, std::string_view table) {
    const Connection::KeepPending keep(connection);
    const bool catalogued = HasCatalog(connection);
    Statement list(connection,
                   catalogued ? "SELECT m.name, z.name, z.is_primary, z.is_unique, z.required, z.ignore_nulls,"
                                " (SELECT \"unique\" FROM pragma_index_list(m.tbl_name) l WHERE l.name = m.name)"
                                " FROM sqlite_master m LEFT JOIN zmsys_indexes z ON z.sqlname = m.name"
                                " WHERE m.type = 'index' AND m.tbl_name = ? AND m.sql IS NOT NULL"
                                " ORDER BY z.rowid IS NULL, z.rowid, m.rowid"
                              : "SELECT name, NULL, 0, 0, 0, 0, (SELECT \"unique\" FROM pragma_index_list(tbl_name) l"
                                " WHERE l.name = m.name) FROM sqlite_master m WHERE type = 'index' AND tbl_name = ?"
                                " AND sql IS NOT NULL ORDER BY rowid",
                   Operation::Read);
    list.Bind(1, Value::Text(std::string(table)));
    std::vector<IndexInfo> indexes;
    while (list.Step()) {
        IndexInfo index;
        index.sqlName = list.Text(0);
        index.name = list.IsNull(1) ? index.sqlName : list.Text(1);
        index.primary = list.Int(2) != 0;
        index.unique = list.Int(3) != 0 || list.Int(6) != 0;
        index.required = list.Int(4) != 0;
        index.ignoreNulls = list.Int(5) != 0;
        indexes.push_back(std::move(index));
    }
    for (auto& index : indexes) {
        Statement fields(connection, "SELECT name FROM pragma_index_info(?) ORDER BY seqno", Operation::Read);
        fields.Bind(1, Value::Text(index.sqlName));
        while (fields.Step()) index.fields.push_back(fields.Text(0));
    }
    return indexes;
}

void RecordIndex(Connection& connection, const IndexInfo& index) {
    WriteMeta(connection, "INSERT OR REPLACE INTO zmsys_indexes VALUES(?, ?, ?, ?, ?, ?)",
              {Value::Text(index.sqlName), Value::Text(index.name), Value::Boolean(index.primary),
               Value::Boolean(index.unique), Value::Boolean(index.required), Value::Boolean(index.ignoreNulls)});
}

void ForgetIndex(Connection& connection, std::string_view sqlName) {
    WriteMeta(connection, "DELETE FROM zmsys_indexes WHERE sqlname = ?", {Value::Text(std::string(sqlName))});
}

std::vector<RelationInfo> Relations(Connection& connection) {
    const Connection::KeepPending keep(connection);
    std::vector<RelationInfo> relations;
    if (!HasCatalog(connection)) return relations;
    Statement query(connection, "SELECT name, tbl, foreign_tbl, attributes, fields FROM zmsys_relations ORDER BY rowid",
                    Operation::Read);
    while (query.Step()) {
        RelationInfo relation{query.Text(0), query.Text(1), query.Text(2), static_cast<long>(query.Int(3)), {}};
        const auto names = Split(query.Text(4));
        for (std::size_t i = 0; i + 1 < names.size(); i += 2) relation.fields.emplace_back(names[i], names[i + 1]);
        relations.push_back(std::move(relation));
    }
    return relations;
}

void RecordRelation(Connection& connection, const RelationInfo& relation) {
    std::string fields;
    for (const auto& [field, foreign] : relation.fields) {
        if (!fields.empty()) fields += kFieldSeparator;
        fields += field + kFieldSeparator + foreign;
    }
    WriteMeta(connection, "INSERT INTO zmsys_relations VALUES(?, ?, ?, ?, ?, ?)",
              {Value::Text(JetFold(relation.name)), Value::Text(relation.name), Value::Text(relation.table),
               Value::Text(relation.foreignTable), Value::Long(static_cast<std::int32_t>(relation.attributes)),
               Value::Text(fields)});
}

void ForgetRelation(Connection& connection, std::string_view name) {
    WriteMeta(connection, "DELETE FROM zmsys_relations WHERE fname = ?", {Value::Text(JetFold(name))});
}

std::vector<QueryInfo> Queries(Connection& connection) {
    const Connection::KeepPending keep(connection);
    std::vector<QueryInfo> queries;
    if (!HasCatalog(connection)) return queries;
    Statement query(connection, "SELECT name, sql FROM zmsys_queries ORDER BY rowid", Operation::Read);
    while (query.Step()) queries.push_back({query.Text(0), query.Text(1)});
    return queries;
}

void RecordQuery(Connection& connection, const QueryInfo& query) {
    WriteMeta(connection, "INSERT OR REPLACE INTO zmsys_queries VALUES(?, ?, ?)",
              {Value::Text(JetFold(query.name)), Value::Text(query.name), Value::Text(query.sql)});
}

void ForgetQuery(Connection& connection, std::string_view name) {
    WriteMeta(connection, "DELETE FROM zmsys_queries WHERE fname = ?", {Value::Text(JetFold(name))});
}

std::vector<PropertyInfo> Properties(Connection& connection, std::string_view table, std::string_view field) {
    const Connection::KeepPending keep(connection);
    std::vector<PropertyInfo> properties;
    if (!HasCatalog(connection)) return properties;
    Statement query(connection, "SELECT name, type, value FROM zmsys_properties WHERE tbl = ? AND field = ? ORDER BY rowid",
                    Operation::Read);
    query.Bind(1, Value::Text(JetFold(table)));
    query.Bind(2, Value::Text(JetFold(field)));
    while (query.Step()) {
        PropertyInfo property{query.Text(0), static_cast<int>(query.Int(1)), {}};
        property.value = IsFieldType(property.type) ? query.Column(2, static_cast<DataType>(property.type)) : query.Column(2);
        properties.push_back(std::move(property));
    }
    return properties;
}

void RecordProperty(Connection& connection, std::string_view table, std::string_view field, const PropertyInfo& property) {
    WriteMeta(connection, "INSERT OR REPLACE INTO zmsys_properties VALUES(?, ?, ?, ?, ?, ?)",
              {Value::Text(JetFold(table)), Value::Text(JetFold(field)), Value::Text(JetFold(property.name)),
               Value::Text(property.name), Value::Long(property.type), property.value});
}

void MoveProperties(Connection& connection, std::string_view table, std::string_view field, std::string_view newField) {
    if (newField.empty()) {
        WriteMeta(connection, "DELETE FROM zmsys_properties WHERE tbl = ? AND field = ?",
                  {Value::Text(JetFold(table)), Value::Text(JetFold(field))});
        return;
    }
    WriteMeta(connection, "UPDATE zmsys_properties SET field = ? WHERE tbl = ? AND field = ?",
              {Value::Text(JetFold(newField)), Value::Text(JetFold(table)), Value::Text(JetFold(field))});
}

void RenameRelationField(Connection& connection, std::string_view table, std::string_view field,
                         std::string_view newName) {
    for (auto relation : Relations(connection)) {
        bool changed = false;
        const auto rename = [&](const std::string& side, std::string& name) {
            if (side != table || !JetNamesEqual(name, field)) return;
            name = std::string(newName);
            changed = true;
        };
        for (auto& [one, many] : relation.fields) {
            rename(relation.table, one);
            rename(relation.foreignTable, many);
        }
        if (!changed) continue;
        ForgetRelation(connection, relation.name);
        RecordRelation(connection, relation);
    }
}

void RenameTable(Connection& connection, std::string_view table, std::string_view newName) {
    WriteMeta(connection, "UPDATE zmsys_properties SET tbl = ? WHERE tbl = ?",
              {Value::Text(JetFold(newName)), Value::Text(JetFold(table))});
    for (const char* column : {"tbl", "foreign_tbl"}) {
        WriteMeta(connection, std::string("UPDATE zmsys_relations SET ") + column + " = ? WHERE " + column + " = ?",
                  {Value::Text(std::string(newName)), Value::Text(std::string(table))});
    }
}

void ForgetTable(Connection& connection, std::string_view table) {
    if (!HasCatalog(connection)) return;
    WriteMeta(connection, "DELETE FROM zmsys_properties WHERE tbl = ?", {Value::Text(JetFold(table))});
    WriteMeta(connection, "DELETE FROM zmsys_indexes WHERE sqlname NOT IN (SELECT name FROM sqlite_master)", {});
}

bool HasPassword(Connection& connection) { return !PasswordRecord(connection).empty(); }

bool PasswordMatches(Connection& connection, std::string_view password) {
    const std::string record = PasswordRecord(connection);
    const auto colon = record.find(':');
    if (colon == std::string::npos) return password.empty();
    return HashPassword(std::string_view(record).substr(0, colon), password) == record.substr(colon + 1);
}

void SetPassword(Connection& connection, std::string_view password) {
    if (password.empty()) {
        WriteMeta(connection, "DELETE FROM zmsys_db WHERE key = 'password'", {});
        return;
    }
    std::random_device random;
    std::array<char, 17> salt{};
    std::snprintf(salt.data(), salt.size(), "%08x%08x", random(), random());
    WriteMeta(connection, "INSERT OR REPLACE INTO zmsys_db VALUES('password', ?)",
              {Value::Text(std::string(salt.data()) + ":" + HashPassword(salt.data(), password))});
}

}  // namespace dao::catalog
