// Indexes, relations and stored queries.
//
// An index is an SQLite index named per file (catalog::SqlIndexName) plus its row in
// zmsys_indexes. Primary and Required keys refuse Null through two triggers per index that raise
// 3058. A relation is enforced by triggers on both tables: a record of the foreign table needs its
// record in the table (3201), and a record with related records cannot be deleted or have its key
// changed (3200) unless the relation cascades the delete or the update.
#include <algorithm>

#include "platform/dao/catalog.h"
#include "platform/dao/collation.h"
#include "platform/dao/model.h"

namespace dao {
namespace {

std::string NullTriggerName(std::string_view sqlName, char event) {
    return "zmnn:" + std::string(sqlName) + ":" + event;
}

// "a = NEW.b AND ..." over the field pairs, with a prefix for each side.
std::string PairCondition(const std::vector<std::pair<std::string, std::string>>& pairs, std::string_view left,
                          std::string_view right, bool leftIsOne) {
    std::string condition;
    for (const auto& [one, many] : pairs) {
        if (!condition.empty()) condition += " AND ";
        const auto& l = leftIsOne ? one : many;
        const auto& r = leftIsOne ? many : one;
        condition += std::string(left) + QuoteName(l) + " = " + std::string(right) + QuoteName(r);
    }
    return condition;
}

std::string ResolveColumn(Connection& connection, const std::string& table, std::string_view name) {
    for (const auto& column : catalog::Columns(connection, table)) {
        if (JetNamesEqual(column.name, name)) return column.name;
    }
    RaiseJet(jet::NoFieldDefined);
}

void CreateNullTriggers(Connection& connection, const std::string& table, const catalog::IndexInfo& index) {
    std::string anyNull;
    for (const auto& field : index.fields) anyNull += (anyNull.empty() ? "" : " OR ") + QuoteName(field) + " IS NULL";
    Statement existing(connection, "SELECT 1 FROM " + QuoteName(table) + " WHERE " + anyNull + " LIMIT 1", Operation::Read);
    if (existing.Step()) RaiseJet(jet::NullInKey);
    std::string newNull;
    for (const auto& field : index.fields) newNull += (newNull.empty() ? "" : " OR ") + ("NEW." + QuoteName(field)) + " IS NULL";
    for (const char* event : {"INSERT", "UPDATE"}) {
        connection.Exec("CREATE TRIGGER " + QuoteName(NullTriggerName(index.sqlName, event[0])) + " BEFORE " + event +
                            " ON " + QuoteName(table) + " WHEN " + newNull + " BEGIN SELECT RAISE(ABORT, 'jet:3058'); END",
                        Operation::Structure);
    }
}

// What an index's sort will hold: its rows (the largest rowid: rows are appended, and reading it
// costs one descent of the table) times the size of a key, measured on the first rows. Each sorted
// record carries a header byte per column, its rowid and the sorter's own 16 bytes.
std::int64_t SortBytes(Connection& connection, const std::string& table, const std::vector<std::string>& fields) {
    constexpr int kSampledRows = 256;
    constexpr std::int64_t kRecordOverhead = 16 + 2 + 8;
    std::string sampled, keySize;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string alias = "k" + std::to_string(i);
        sampled += (i ? ", " : "") + QuoteName(fields[i]) + " AS " + alias;
        keySize += (i ? " + " : "") + ("ifnull(length(CAST(" + alias + " AS BLOB)), 0)");
    }
    // A bare statement: a size that cannot be had (a busy file) leaves the sorter its smallest runs
    // and the index build to meet the failure itself.
    Statement sample(connection.RawHandle(),
                     "SELECT (SELECT max(rowid) FROM " + QuoteName(table) + "), CAST(avg(" + keySize + ") AS INTEGER) FROM " +
                         "(SELECT " + sampled + " FROM " + QuoteName(table) + " LIMIT " + std::to_string(kSampledRows) + ")");
    if (!sample.Ok() || sample.StepCode() != SQLITE_ROW || sample.IsNull(0)) return 0;
    const auto record = kRecordOverhead + static_cast<std::int64_t>(fields.size()) + sample.Int(1);
    return sample.Int(0) * record;
}

void CreateSqlIndex(Connection& connection, const std::string& table, catalog::IndexInfo index) {
    std::string columns;
    for (auto& field : index.fields) {
        field = ResolveColumn(connection, table, field);
        columns += (columns.empty() ? "" : ", ") + QuoteName(field);
    }
    connection.PrepareWrite(Operation::Structure, table);
    Savepoint savepoint(connection);
    if (index.primary || index.required) CreateNullTriggers(connection, table, index);
    connection.ExecSorting(std::string("CREATE ") + (index.primary || index.unique ? "UNIQUE " : "") + "INDEX " +
                               QuoteName(index.sqlName) + " ON " + QuoteName(table) + " (" + columns + ")",
                           Operation::Structure, SortBytes(connection, table, index.fields));
    catalog::RecordIndex(connection, index);
    savepoint.Release();
}

std::string RelationTrigger(std::string_view relation, std::string_view kind) {
    return QuoteName("zmrel:" + JetFold(relation) + ":" + std::string(kind));
}

void CreateRelationTriggers(Connection& connection, const catalog::RelationInfo& r) {
    const auto one = QuoteName(r.table), many = QuoteName(r.foreignTable);
    std::string present, manyColumns, oneColumns, changed, assign;
    for (const auto& [o, m] : r.fields) {
        present += (present.empty() ? "" : " AND ") + ("NEW." + QuoteName(m)) + " IS NOT NULL";
        manyColumns += (manyColumns.empty() ? "" : ", ") + QuoteName(m);
        oneColumns += (oneColumns.empty() ? "" : ", ") + QuoteName(o);
        changed += (changed.empty() ? "" : " OR ") + ("OLD." + QuoteName(o)) + " IS NOT NEW." + QuoteName(o);
        assign += (assign.empty() ? "" : ", ") + QuoteName(m) + " = NEW." + QuoteName(o);
    }
    const auto orphan = "NOT EXISTS (SELECT 1 FROM " + one + " WHERE " + PairCondition(r.fields, "", "NEW.", true) + ")";
    const auto related = "EXISTS (SELECT 1 FROM " + many + " WHERE " + PairCondition(r.fields, "", "OLD.", false) + ")";
    const auto raise = [](const char* number) { return std::string(" BEGIN SELECT RAISE(ABORT, 'jet:") + number + "'); END"; };
    connection.Exec("CREATE TRIGGER " + RelationTrigger(r.name, "mi") + " BEFORE INSERT ON " + many + " WHEN " + present +
                        " AND " + orphan + raise("3201"),
                    Operation::Structure);
    connection.Exec("CREATE TRIGGER " + RelationTrigger(r.name, "mu") + " BEFORE UPDATE OF " + manyColumns + " ON " + many +
                        " WHEN " + present + " AND " + orphan + raise("3201"),
                    Operation::Structure);
    const auto where = PairCondition(r.fields, "", "OLD.", false);
    if (r.attributes & dbRelationDeleteCascade) {
        connection.Exec("CREATE TRIGGER " + RelationTrigger(r.name, "od") + " AFTER DELETE ON " + one + " BEGIN DELETE FROM " +
                            many + " WHERE " + where + "; END",
                        Operation::Structure);
    } else {
        connection.Exec("CREATE TRIGGER " + RelationTrigger(r.name, "od") + " BEFORE DELETE ON " + one + " WHEN " + related +
                            raise("3200"),
                        Operation::Structure);
    }
    if (r.attributes & dbRelationUpdateCascade) {
        connection.Exec("CREATE TRIGGER " + RelationTrigger(r.name, "ou") + " AFTER UPDATE OF " + oneColumns + " ON " + one +
                            " WHEN " + changed + " BEGIN UPDATE " + many + " SET " + assign + " WHERE " + where + "; END",
                        Operation::Structure);
    } else {
        connection.Exec("CREATE TRIGGER " + RelationTrigger(r.name, "ou") + " BEFORE UPDATE OF " + oneColumns + " ON " + one +
                            " WHEN (" + changed + ") AND " + related + raise("3200"),
                        Operation::Structure);
    }
}

std::shared_ptr<IndexState> AppendedIndex(const std::shared_ptr<TableDefState>& table, const catalog::IndexInfo& info) {
    auto state = std::make_shared<IndexState>();
    state->table = table;
    state->name = info.name;
    state->primary = info.primary;
    state->unique = info.unique;
    state->required = info.required;
    state->ignoreNulls = info.ignoreNulls;
    state->fields = info.fields;
    state->appended = true;
    return state;
}

std::shared_ptr<RelationState> AppendedRelation(const std::shared_ptr<DatabaseState>& db, const catalog::RelationInfo& info) {
    auto state = std::make_shared<RelationState>();
    state->db = db;
    state->name = info.name;
    state->table = info.table;
    state->foreignTable = info.foreignTable;
    state->attributes = info.attributes;
    state->appended = true;
    for (const auto& [one, many] : info.fields) {
        auto field = std::make_shared<FieldState>();
        field->name = one;
        field->foreignName = many;
        state->fields.push_back(std::move(field));
    }
    return state;
}

// SQLite names indexes per file: a renamed table keeps the names its indexes were made with, so a
// new table of the old name may find its index's name taken.
std::string FreeIndexName(Connection& connection, const std::string& wanted) {
    std::string name = wanted;
    for (int suffix = 2;; ++suffix) {
        Statement taken(connection, "SELECT 1 FROM sqlite_master WHERE name = ?", Operation::Read);
        taken.Bind(1, Value::Text(name));
        if (!taken.Step()) return name;
        name = wanted + ":" + std::to_string(suffix);
    }
}

void RequireOpen(const IndexState& index) {
    if (index.appended) RaiseJet(jet::InvalidOperation);
}

}  // namespace

// --- Indexes ------------------------------------------------------------------------------------

std::vector<Index> Indexes::List() const {
    std::vector<Index> indexes;
    if (!table_->appended) {
        for (const auto& index : table_->pendingIndexes) indexes.emplace_back(index);
        return indexes;
    }
    for (const auto& info : catalog::Indexes(table_->db->Conn(), table_->name)) {
        indexes.emplace_back(AppendedIndex(table_, info));
    }
    return indexes;
}

int Indexes::Count() const { return static_cast<int>(List().size()); }

Index Indexes::Item(std::string_view name) const {
    for (auto& index : List()) {
        if (JetNamesEqual(index.State()->name, name)) return index;
    }
    RaiseJet(jet::ItemNotFound);
}

Index Indexes::Item(int position) const {
    const auto indexes = List();
    if (position < 0 || position >= static_cast<int>(indexes.size())) RaiseJet(jet::ItemNotFound);
    return indexes[static_cast<std::size_t>(position)];
}

void Indexes::Append(const Index& index) {
    auto& state = *index.State();
    if (state.appended) RaiseJet(jet::ObjectExists);
    const auto existing = List();
    for (const auto& other : existing) {
        if (JetNamesEqual(other.State()->name, state.name)) RaiseJet(jet::IndexExists);
    }
    if (state.fields.empty()) RaiseJet(jet::NoFieldDefined);
    if (state.primary && std::any_of(existing.begin(), existing.end(), [](const Index& i) { return i.Primary(); })) {
        RaiseJet(jet::PrimaryKeyExists);
    }
    if (!table_->appended) {
        table_->pendingIndexes.push_back(index.State());
        return;
    }
    auto& connection = table_->db->Conn();
    CheckFault("Append", connection.WindowsPath());
    catalog::IndexInfo info{state.name, FreeIndexName(connection, catalog::SqlIndexName(table_->name, state.name)), state.primary,
                            state.unique || state.primary, state.required || state.primary, state.ignoreNulls, state.fields};
    CreateSqlIndex(connection, table_->name, std::move(info));
    state.table = table_;
    state.appended = true;
    table_->db->engine->BumpGeneration();
}

void Indexes::Delete(std::string_view name) {
    const Index index = Item(name);
    if (!table_->appended) {
        std::erase(table_->pendingIndexes, index.State());
        return;
    }
    auto& connection = table_->db->Conn();
    const auto sqlName = catalog::SqlIndexName(table_->name, index.State()->name);
    std::string actual = sqlName;
    for (const auto& info : catalog::Indexes(connection, table_->name)) {
        if (JetNamesEqual(info.name, name)) actual = info.sqlName;
    }
    connection.PrepareWrite(Operation::Structure, table_->name);
    Savepoint savepoint(connection);
    for (const char event : {'I', 'U'}) {
        connection.Exec("DROP TRIGGER IF EXISTS " + QuoteName(NullTriggerName(actual, event)), Operation::Structure);
    }
    connection.Exec("DROP INDEX " + QuoteName(actual), Operation::Structure);
    catalog::ForgetIndex(connection, actual);
    savepoint.Release();
    table_->db->engine->BumpGeneration();
}

// --- Index --------------------------------------------------------------------------------------

std::string Index::Name() const { return state_->name; }
bool Index::Primary() const { return state_->primary; }
bool Index::Unique() const { return state_->unique || state_->primary; }
bool Index::Required() const { return state_->required || state_->primary; }
bool Index::IgnoreNulls() const { return state_->ignoreNulls; }

void Index::SetName(std::string_view name) {
    RequireOpen(*state_);
    state_->name = std::string(name);
}
void Index::SetPrimary(bool on) {
    RequireOpen(*state_);
    state_->primary = on;
}
void Index::SetUnique(bool on) {
    RequireOpen(*state_);
    state_->unique = on;
}
void Index::SetRequired(bool on) {
    RequireOpen(*state_);
    state_->required = on;
}
void Index::SetIgnoreNulls(bool on) {
    RequireOpen(*state_);
    state_->ignoreNulls = on;
}

Fields Index::Fields() const { return dao::Fields(dao::Fields::Owner::Index, state_); }

Field Index::CreateField(std::string_view name) const {
    auto field = std::make_shared<FieldState>();
    field->name = std::string(name);
    return Field(std::move(field));
}

// --- Relations ----------------------------------------------------------------------------------

Relation Database::CreateRelation(std::string_view name, std::string_view table, std::string_view foreignTable,
                                  long attributes) const {
    auto state = std::make_shared<RelationState>();
    state->db = state_;
    state->name = std::string(name);
    state->table = std::string(table);
    state->foreignTable = std::string(foreignTable);
    state->attributes = attributes;
    return Relation(std::move(state));
}

int Relations::Count() const { return static_cast<int>(catalog::Relations(db_->Conn()).size()); }

Relation Relations::Item(std::string_view name) const {
    for (const auto& info : catalog::Relations(db_->Conn())) {
        if (JetNamesEqual(info.name, name)) return Relation(AppendedRelation(db_, info));
    }
    RaiseJet(jet::ItemNotFound);
}

Relation Relations::Item(int position) const {
    const auto relations = catalog::Relations(db_->Conn());
    if (position < 0 || position >= static_cast<int>(relations.size())) RaiseJet(jet::ItemNotFound);
    return Relation(AppendedRelation(db_, relations[static_cast<std::size_t>(position)]));
}

void Relations::Append(const Relation& relation) {
    auto& state = *relation.State();
    auto& connection = db_->Conn();
    for (const auto& info : catalog::Relations(connection)) {
        if (JetNamesEqual(info.name, state.name)) RaiseJet(jet::RelationExists, state.name);
    }
    if (state.appended) RaiseJet(jet::RelationExists, state.name);
    if (state.fields.empty()) RaiseJet(jet::NoFieldDefined);
    catalog::RelationInfo info{state.name, db_->RequireTable(state.table), db_->RequireTable(state.foreignTable),
                               state.attributes, {}};
    for (const auto& field : state.fields) {
        info.fields.emplace_back(ResolveColumn(connection, info.table, field->name),
                                 ResolveColumn(connection, info.foreignTable, field->foreignName));
    }
    connection.PrepareWrite(Operation::Structure, info.foreignTable);
    Savepoint savepoint(connection);
    CreateRelationTriggers(connection, info);
    catalog::RecordRelation(connection, info);
    savepoint.Release();
    state.appended = true;
    db_->engine->BumpGeneration();
}

void Relations::Delete(std::string_view name) {
    auto& connection = db_->Conn();
    const Relation relation = Item(name);
    connection.PrepareWrite(Operation::Structure, relation.ForeignTable());
    Savepoint savepoint(connection);
    for (const char* kind : {"mi", "mu", "od", "ou"}) {
        connection.Exec("DROP TRIGGER IF EXISTS " + RelationTrigger(relation.Name(), kind), Operation::Structure);
    }
    catalog::ForgetRelation(connection, relation.Name());
    savepoint.Release();
}

std::string Relation::Name() const { return state_->name; }
std::string Relation::Table() const { return state_->table; }
std::string Relation::ForeignTable() const { return state_->foreignTable; }
long Relation::Attributes() const { return state_->attributes; }
Fields Relation::Fields() const { return dao::Fields(dao::Fields::Owner::Relation, state_); }

Field Relation::CreateField(std::string_view name) const {
    auto field = std::make_shared<FieldState>();
    field->name = std::string(name);
    return Field(std::move(field));
}

// --- QueryDefs ----------------------------------------------------------------------------------

QueryDef Database::CreateQueryDef(std::string_view name, std::string_view sql) const {
    auto state = std::make_shared<QueryDefState>();
    state->db = state_;
    state->name = std::string(name);
    state->sql = std::string(sql);
    if (!name.empty()) {
        auto& connection = state_->Conn();
        for (const auto& query : catalog::Queries(connection)) {
            if (JetNamesEqual(query.name, name)) RaiseJet(jet::RelationExists, name);
        }
        catalog::RecordQuery(connection, {state->name, state->sql});
    }
    return QueryDef(std::move(state));
}

int QueryDefs::Count() const { return static_cast<int>(catalog::Queries(db_->Conn()).size()); }

QueryDef QueryDefs::Item(std::string_view name) const {
    for (const auto& query : catalog::Queries(db_->Conn())) {
        if (!JetNamesEqual(query.name, name)) continue;
        auto state = std::make_shared<QueryDefState>();
        state->db = db_;
        state->name = query.name;
        state->sql = query.sql;
        return QueryDef(std::move(state));
    }
    RaiseJet(jet::ItemNotFound);
}

QueryDef QueryDefs::Item(int position) const {
    const auto queries = catalog::Queries(db_->Conn());
    if (position < 0 || position >= static_cast<int>(queries.size())) RaiseJet(jet::ItemNotFound);
    return Item(queries[static_cast<std::size_t>(position)].name);
}

void QueryDefs::Delete(std::string_view name) {
    const QueryDef query = Item(name);
    catalog::ForgetQuery(db_->Conn(), query.Name());
}

std::string QueryDef::Name() const { return state_->name; }
std::string QueryDef::SQL() const { return state_->sql; }

void QueryDef::SetSQL(std::string_view sql) {
    state_->sql = std::string(sql);
    if (!state_->name.empty()) catalog::RecordQuery(state_->db->Conn(), {state_->name, state_->sql});
}

Recordset QueryDef::OpenRecordset(int type, int options) const {
    return Database(state_->db).OpenRecordset(state_->sql, type, options);
}

}  // namespace dao
