// Table definitions, their fields and field properties.
#include <algorithm>
#include <optional>

#include "platform/dao/catalog.h"
#include "platform/dao/collation.h"
#include "platform/dao/model.h"
#include "platform/dao/recordset_access.h"
#include "platform/win/error.h"

namespace dao {
namespace {

enum class BuiltIn { None, Name, Type, Size };

BuiltIn BuiltInProperty(std::string_view name) {
    const std::string folded = JetFold(name);
    if (folded == "NAME") return BuiltIn::Name;
    if (folded == "TYPE") return BuiltIn::Type;
    if (folded == "SIZE") return BuiltIn::Size;
    return BuiltIn::None;
}

Connection& TableConnection(const TableDefState& table) {
    if (!table.db) RaiseJet(jet::ObjectClosed);
    return table.db->Conn();
}

template <typename List, typename NameOf>
auto FindByName(const List& list, std::string_view name, NameOf nameOf) {
    return std::find_if(list.begin(), list.end(), [&](const auto& item) { return JetNamesEqual(nameOf(item), name); });
}

void CheckName(std::string_view name) {
    if (name.empty() || name.size() > 64 || name.find_first_of(".![]`") != std::string_view::npos ||
        name.front() == ' ') {
        RaiseJet(jet::InvalidName, name);
    }
}

int ParseTypeCode(const Value& type) {
    if (type.IsNull()) return static_cast<int>(DataType::Text);
    int code = 0;
    try {
        code = type.ToLong();
    } catch (const win::RuntimeError&) {
        RaiseJet(jet::InvalidFieldType);
    }
    if (!IsFieldType(code)) RaiseJet(jet::InvalidFieldType);
    return code;
}

void StructureChanged(TableDefState& table) { table.db->engine->BumpGeneration(); }

// The table's columns when its field changes may be kept back (connection.h, invariant 6): inside
// a workspace transaction, for a table kept back already or whose stored text is the engine's own
// for its columns (so that the text can be written again from the columns alone).
std::optional<std::vector<Connection::PendingColumn>> DeferrableColumns(Connection& connection, const std::string& table) {
    if (!connection.Enlisted()) return std::nullopt;
    if (const auto* pending = connection.PendingColumns(table)) return *pending;
    const Connection::KeepPending keep(connection);
    std::string stored;
    {
        Statement definition(connection, "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?", Operation::Read);
        definition.Bind(1, Value::Text(table));
        if (!definition.Step()) return std::nullopt;
        stored = definition.Text(0);
        definition.Reset();
    }
    std::vector<Connection::PendingColumn> columns;
    for (const auto& column : catalog::Columns(connection, table)) {
        if (column.notNull) return std::nullopt;
        columns.push_back({column.name, column.type, column.size});
    }
    if (TableDefinition(table, columns) != stored) return std::nullopt;
    return columns;
}

// A field can leave the table's text alone when no record holds values by position and no trigger
// or view could name it.
bool DropLeavesNoTrace(Connection& connection, const std::string& table) {
    const Connection::KeepPending keep(connection);
    Statement record(connection, "SELECT 1 FROM " + QuoteName(table) + " LIMIT 1", Operation::Read);
    if (record.Step()) return false;
    Statement others(connection, "SELECT sql FROM sqlite_master WHERE type IN ('trigger', 'view') AND sql IS NOT NULL",
                     Operation::Read);
    const std::string folded = JetFold(table);
    while (others.Step()) {
        if (JetFold(others.Text(0)).find(folded) != std::string::npos) return false;
    }
    return true;
}

void AddColumn(TableDefState& table, FieldState& field) {
    auto& connection = TableConnection(table);
    connection.PrepareWrite(Operation::Structure, table.name);
    if (auto columns = DeferrableColumns(connection, table.name)) {
        const Connection::KeepPending keep(connection);
        Savepoint savepoint(connection);
        catalog::MoveProperties(connection, table.name, field.name, "");
        for (const auto& property : field.pendingProperties) catalog::RecordProperty(connection, table.name, field.name, property);
        savepoint.Release();
        columns->push_back({field.name, field.type, field.size});
        connection.KeepPendingColumns(table.name, std::move(*columns));
        StructureChanged(table);
        return;
    }
    Savepoint savepoint(connection);
    connection.Exec("ALTER TABLE " + QuoteName(table.name) + " ADD COLUMN " +
                        ColumnDefinition(field.name, field.type, field.size),
                    Operation::Structure);
    catalog::MoveProperties(connection, table.name, field.name, "");
    for (const auto& property : field.pendingProperties) catalog::RecordProperty(connection, table.name, field.name, property);
    savepoint.Release();
    StructureChanged(table);
}

void DropColumn(TableDefState& table, const std::string& field) {
    auto& connection = TableConnection(table);
    for (const auto& index : catalog::Indexes(connection, table.name)) {
        for (const auto& name : index.fields) {
            if (JetNamesEqual(name, field)) RaiseJet(jet::FieldInIndex);
        }
    }
    for (const auto& relation : catalog::Relations(connection)) {
        for (const auto& [one, many] : relation.fields) {
            if ((JetNamesEqual(relation.table, table.name) && JetNamesEqual(one, field)) ||
                (JetNamesEqual(relation.foreignTable, table.name) && JetNamesEqual(many, field))) {
                RaiseJet(jet::FieldInIndex);
            }
        }
    }
    connection.PrepareWrite(Operation::Structure, table.name);
    if (auto columns = DeferrableColumns(connection, table.name);
        columns && columns->size() > 1 && DropLeavesNoTrace(connection, table.name)) {
        const Connection::KeepPending keep(connection);
        Savepoint savepoint(connection);
        catalog::MoveProperties(connection, table.name, field, "");
        savepoint.Release();
        std::erase_if(*columns, [&](const Connection::PendingColumn& column) { return JetNamesEqual(column.name, field); });
        connection.KeepPendingColumns(table.name, std::move(*columns));
        StructureChanged(table);
        return;
    }
    Savepoint savepoint(connection);
    connection.Exec("ALTER TABLE " + QuoteName(table.name) + " DROP COLUMN " + QuoteName(field), Operation::Structure);
    catalog::MoveProperties(connection, table.name, field, "");
    savepoint.Release();
    StructureChanged(table);
}

void RenameColumn(FieldState& field, std::string_view name) {
    auto& table = *field.table;
    auto& connection = TableConnection(table);
    for (const auto& column : catalog::Columns(connection, table.name)) {
        if (JetNamesEqual(column.name, name) && !JetNamesEqual(column.name, field.name)) RaiseJet(jet::NameExists);
    }
    connection.PrepareWrite(Operation::Structure, table.name);
    Savepoint savepoint(connection);
    connection.Exec("ALTER TABLE " + QuoteName(table.name) + " RENAME COLUMN " + QuoteName(field.name) + " TO " +
                        QuoteName(name),
                    Operation::Structure);
    catalog::MoveProperties(connection, table.name, field.name, name);
    catalog::RenameRelationField(connection, table.name, field.name, name);
    savepoint.Release();
    field.name = std::string(name);
    StructureChanged(table);
}

std::vector<catalog::PropertyInfo> UserProperties(const FieldState& field) {
    if (field.kind == FieldState::Kind::Table) {
        return catalog::Properties(TableConnection(*field.table), field.table->name, field.name);
    }
    return field.pendingProperties;
}

std::shared_ptr<PropertyState> BuiltInState(const std::shared_ptr<FieldState>& field, BuiltIn which) {
    auto state = std::make_shared<PropertyState>();
    state->field = field;
    switch (which) {
    case BuiltIn::Name: state->name = "Name"; state->type = 10; break;
    case BuiltIn::Type: state->name = "Type"; state->type = 3; break;
    default: state->name = "Size"; state->type = 4; break;
    }
    return state;
}

}  // namespace

// --- Savepoint ----------------------------------------------------------------------------------

Savepoint::Savepoint(Connection& connection) : connection_(connection) {
    connection_.Exec("SAVEPOINT zm_structure", Operation::Structure);
}

Savepoint::~Savepoint() {
    if (open_) {
        sqlite3_exec(connection_.RawHandle(), "ROLLBACK TO zm_structure; RELEASE zm_structure", nullptr, nullptr, nullptr);
    }
}

void Savepoint::Release() {
    connection_.Exec("RELEASE zm_structure", Operation::Structure);
    open_ = false;
}

Field TableField(const std::shared_ptr<TableDefState>& table, const catalog::Column& column) {
    auto state = std::make_shared<FieldState>();
    state->kind = FieldState::Kind::Table;
    state->name = column.name;
    state->type = column.type;
    state->size = column.size;
    state->table = table;
    return Field(std::move(state));
}

// --- TableDefs ----------------------------------------------------------------------------------

int TableDefs::Count() const { return static_cast<int>(catalog::TableNames(db_->Conn()).size()); }

TableDef TableDefs::Item(std::string_view name) const {
    auto state = std::make_shared<TableDefState>();
    state->db = db_;
    state->name = db_->RequireTable(name);
    state->appended = true;
    return TableDef(std::move(state));
}

TableDef TableDefs::Item(int position) const {
    const auto names = catalog::TableNames(db_->Conn());
    if (position < 0 || position >= static_cast<int>(names.size())) RaiseJet(jet::ItemNotFound);
    return Item(names[static_cast<std::size_t>(position)]);
}

void TableDefs::Append(const TableDef& table) {
    auto& state = *table.State();
    auto& connection = db_->Conn();
    CheckFault("Append", connection.WindowsPath());
    if (state.appended) RaiseJet(jet::ObjectExists);
    CheckName(state.name);
    if (catalog::FindTable(connection, state.name)) RaiseJet(jet::TableExists, state.name);
    if (state.pendingFields.empty()) RaiseJet(jet::NoFieldDefined);
    std::string sql = "CREATE TABLE " + QuoteName(state.name) + " (";
    for (std::size_t i = 0; i < state.pendingFields.size(); ++i) {
        const auto& field = *state.pendingFields[i];
        sql += (i ? ", " : "") + ColumnDefinition(field.name, field.type, field.size);
    }
    connection.PrepareWrite(Operation::Structure, state.name);
    Savepoint savepoint(connection);
    connection.Exec(sql + ")", Operation::Structure);
    catalog::ForgetTable(connection, state.name);
    for (const auto& field : state.pendingFields) {
        for (const auto& property : field->pendingProperties) catalog::RecordProperty(connection, state.name, field->name, property);
    }
    state.db = db_;
    state.appended = true;
    try {
        for (const auto& index : state.pendingIndexes) dao::Indexes(table.State()).Append(Index(index));
    } catch (...) {
        state.appended = false;
        throw;
    }
    savepoint.Release();
    for (auto& field : state.pendingFields) {
        field->kind = FieldState::Kind::Table;
        field->table = table.State();
    }
    state.pendingFields.clear();
    state.pendingIndexes.clear();
    db_->engine->BumpGeneration();
}

void TableDefs::Delete(std::string_view name) {
    auto& connection = db_->Conn();
    const std::string table = db_->RequireTable(name);
    connection.PrepareWrite(Operation::Structure, table);
    Savepoint savepoint(connection);
    for (const auto& relation : catalog::Relations(connection)) {
        if (JetNamesEqual(relation.table, table) || JetNamesEqual(relation.foreignTable, table)) {
            Relations(db_).Delete(relation.name);
        }
    }
    connection.Exec("DROP TABLE " + QuoteName(table), Operation::Structure);
    catalog::ForgetTable(connection, table);
    savepoint.Release();
    db_->engine->BumpGeneration();
}

void TableDefs::Refresh() { db_->Conn(); }

// --- TableDef -----------------------------------------------------------------------------------

std::string TableDef::Name() const { return state_->name; }

void TableDef::SetName(std::string_view name) {
    CheckName(name);
    if (!state_->appended) {
        state_->name = std::string(name);
        return;
    }
    auto& connection = TableConnection(*state_);
    if (auto other = catalog::FindTable(connection, name); other && !JetNamesEqual(*other, state_->name)) {
        RaiseJet(jet::TableExists, name);
    }
    connection.PrepareWrite(Operation::Structure, state_->name);
    Savepoint savepoint(connection);
    connection.Exec("ALTER TABLE " + QuoteName(state_->name) + " RENAME TO " + QuoteName(name), Operation::Structure);
    catalog::RenameTable(connection, state_->name, name);
    savepoint.Release();
    state_->name = std::string(name);
    StructureChanged(*state_);
}

Fields TableDef::Fields() const { return dao::Fields(dao::Fields::Owner::Table, state_); }
Indexes TableDef::Indexes() const { return dao::Indexes(state_); }

Field TableDef::CreateField(std::string_view name, const Value& type, const Value& size) const {
    auto state = std::make_shared<FieldState>();
    state->name = std::string(name);
    state->type = static_cast<DataType>(ParseTypeCode(type));
    if (state->type == DataType::Text) {
        state->size = size.IsNull() ? 50 : std::clamp(size.ToLong(), 1, 255);
    } else {
        state->size = state->type == DataType::Memo ? 0 : catalog::FixedSize(state->type);
    }
    return Field(std::move(state));
}

Index TableDef::CreateIndex(std::string_view name) const {
    auto state = std::make_shared<IndexState>();
    state->table = state_;
    state->name = std::string(name);
    return Index(std::move(state));
}

long TableDef::RecordCount() const {
    auto& connection = TableConnection(*state_);
    Statement count(connection, "SELECT count(*) FROM " + QuoteName(state_->name), Operation::Read);
    return count.Step() ? static_cast<long>(count.Int(0)) : 0;
}

// --- Fields -------------------------------------------------------------------------------------

std::vector<Field> Fields::List() const {
    std::vector<Field> fields;
    switch (owner_) {
    case Owner::Table: {
        const auto table = std::static_pointer_cast<TableDefState>(state_);
        if (!table->appended) {
            for (const auto& field : table->pendingFields) fields.emplace_back(field);
            break;
        }
        for (const auto& column : catalog::Columns(TableConnection(*table), table->name)) {
            fields.push_back(TableField(table, column));
        }
        break;
    }
    case Owner::Index:
        for (const auto& name : std::static_pointer_cast<IndexState>(state_)->fields) {
            auto field = std::make_shared<FieldState>();
            field->name = name;
            fields.emplace_back(std::move(field));
        }
        break;
    case Owner::Relation:
        for (const auto& field : std::static_pointer_cast<RelationState>(state_)->fields) fields.emplace_back(field);
        break;
    case Owner::Recordset: fields = RecordsetFields(std::static_pointer_cast<RecordsetState>(state_)); break;
    }
    return fields;
}

int Fields::Count() const { return static_cast<int>(List().size()); }

Field Fields::Item(std::string_view name) const {
    if (owner_ == Owner::Recordset) {
        const auto& fields = RecordsetFields(std::static_pointer_cast<RecordsetState>(state_));
        const auto it = FindByName(fields, name, [](const Field& f) -> const std::string& { return f.State()->name; });
        if (it == fields.end()) RaiseJet(jet::ItemNotFound);
        return *it;
    }
    const auto fields = List();
    const auto it = FindByName(fields, name, [](const Field& f) { return f.State()->name; });
    if (it == fields.end()) RaiseJet(jet::ItemNotFound);
    return *it;
}

Field Fields::Item(int position) const {
    const auto fields = List();
    if (position < 0 || position >= static_cast<int>(fields.size())) RaiseJet(jet::ItemNotFound);
    return fields[static_cast<std::size_t>(position)];
}

void Fields::Append(const Field& field) {
    const auto fields = List();
    const auto& state = field.State();
    if (FindByName(fields, state->name, [](const Field& f) { return f.State()->name; }) != fields.end()) {
        RaiseJet(jet::NameExists);
    }
    switch (owner_) {
    case Owner::Table: {
        const auto table = std::static_pointer_cast<TableDefState>(state_);
        if (state->kind != FieldState::Kind::Detached) RaiseJet(jet::ObjectExists);
        CheckName(state->name);
        if (!table->appended) {
            table->pendingFields.push_back(state);
            return;
        }
        CheckFault("Append", TableConnection(*table).WindowsPath());
        AddColumn(*table, *state);
        state->kind = FieldState::Kind::Table;
        state->table = table;
        return;
    }
    case Owner::Index: {
        auto index = std::static_pointer_cast<IndexState>(state_);
        if (index->appended) RaiseJet(jet::InvalidOperation);
        index->fields.push_back(state->name);
        return;
    }
    case Owner::Relation: {
        auto relation = std::static_pointer_cast<RelationState>(state_);
        if (relation->appended) RaiseJet(jet::InvalidOperation);
        relation->fields.push_back(state);
        return;
    }
    case Owner::Recordset: break;
    }
    RaiseJet(jet::InvalidOperation);
}

void Fields::Delete(std::string_view name) {
    const Field field = Item(name);
    switch (owner_) {
    case Owner::Table: {
        const auto table = std::static_pointer_cast<TableDefState>(state_);
        if (table->appended) {
            DropColumn(*table, field.State()->name);
        } else {
            std::erase(table->pendingFields, field.State());
        }
        return;
    }
    case Owner::Index: {
        auto index = std::static_pointer_cast<IndexState>(state_);
        if (index->appended) RaiseJet(jet::InvalidOperation);
        std::erase_if(index->fields, [&](const std::string& f) { return JetNamesEqual(f, name); });
        return;
    }
    case Owner::Relation: {
        auto relation = std::static_pointer_cast<RelationState>(state_);
        if (relation->appended) RaiseJet(jet::InvalidOperation);
        std::erase(relation->fields, field.State());
        return;
    }
    case Owner::Recordset: break;
    }
    RaiseJet(jet::InvalidOperation);
}

// --- Field --------------------------------------------------------------------------------------

std::string Field::Name() const { return state_->name; }
DataType Field::Type() const { return state_->type; }
int Field::Size() const { return state_->size; }
std::string Field::ForeignName() const { return state_->foreignName; }
void Field::SetForeignName(std::string_view name) { state_->foreignName = std::string(name); }

void Field::SetName(std::string_view name) {
    switch (state_->kind) {
    case FieldState::Kind::Table: RenameColumn(*state_, name); return;
    case FieldState::Kind::Recordset: RaiseJet(jet::InvalidOperation);
    case FieldState::Kind::Detached: state_->name = std::string(name); return;
    }
}

void Field::SetType(DataType type) {
    if (state_->kind != FieldState::Kind::Detached) RaiseJet(jet::InvalidOperation);
    if (!IsFieldType(static_cast<int>(type))) RaiseJet(jet::InvalidFieldType);
    state_->type = type;
    if (type == DataType::Memo) state_->size = 0;
    else if (type != DataType::Text) state_->size = catalog::FixedSize(type);
}

void Field::SetSize(int size) {
    if (state_->kind != FieldState::Kind::Detached) RaiseJet(jet::InvalidOperation);
    if (state_->type == DataType::Text) state_->size = std::clamp(size, 1, 255);
}

Properties Field::Properties() const { return dao::Properties(state_); }

Property Field::CreateProperty(std::string_view name, int type, const Value& value) const {
    auto state = std::make_shared<PropertyState>();
    state->name = std::string(name);
    state->type = type;
    state->value = IsFieldType(type) ? CoerceToField(value, static_cast<DataType>(type)) : value;
    return Property(std::move(state));
}

// --- Properties ---------------------------------------------------------------------------------

int Properties::Count() const { return 3 + static_cast<int>(UserProperties(*field_).size()); }

Property Properties::Item(std::string_view name) const {
    if (const auto which = BuiltInProperty(name); which != BuiltIn::None) return Property(BuiltInState(field_, which));
    for (const auto& user : UserProperties(*field_)) {
        if (!JetNamesEqual(user.name, name)) continue;
        auto state = std::make_shared<PropertyState>();
        state->field = field_;
        state->name = user.name;
        state->type = user.type;
        state->value = user.value;
        return Property(std::move(state));
    }
    RaiseJet(jet::PropertyNotFound);
}

Property Properties::Item(int position) const {
    if (position >= 0 && position < 3) return Property(BuiltInState(field_, static_cast<BuiltIn>(position + 1)));
    const auto user = UserProperties(*field_);
    if (position < 0 || position - 3 >= static_cast<int>(user.size())) RaiseJet(jet::ItemNotFound);
    return Item(user[static_cast<std::size_t>(position - 3)].name);
}

void Properties::Append(const Property& property) {
    auto& state = *property.State();
    if (state.field || BuiltInProperty(state.name) != BuiltIn::None) RaiseJet(jet::ObjectExists);
    const auto user = UserProperties(*field_);
    if (FindByName(user, state.name, [](const catalog::PropertyInfo& p) { return p.name; }) != user.end()) {
        RaiseJet(jet::ObjectExists);
    }
    const catalog::PropertyInfo info{state.name, state.type, state.value};
    if (field_->kind == FieldState::Kind::Table) {
        catalog::RecordProperty(TableConnection(*field_->table), field_->table->name, field_->name, info);
    } else if (field_->kind == FieldState::Kind::Detached) {
        field_->pendingProperties.push_back(info);
    } else {
        RaiseJet(jet::InvalidOperation);
    }
    state.field = field_;
}

// --- Property -----------------------------------------------------------------------------------

std::string Property::Name() const { return state_->name; }
int Property::Type() const { return state_->type; }

Value Property::GetValue() const {
    if (!state_->field) return state_->value;
    const auto& field = *state_->field;
    switch (BuiltInProperty(state_->name)) {
    case BuiltIn::Name: return Value::Text(field.name);
    case BuiltIn::Type: return Value::Integer(static_cast<std::int16_t>(field.type));
    case BuiltIn::Size: return Value::Long(field.size);
    case BuiltIn::None: break;
    }
    return state_->value;
}

void Property::SetValue(const Value& value) {
    const auto field = state_->field;
    if (!field) {
        state_->value = value;
        return;
    }
    Field handle(field);
    switch (BuiltInProperty(state_->name)) {
    case BuiltIn::Name: handle.SetName(value.ToText()); return;
    case BuiltIn::Type: handle.SetType(static_cast<DataType>(value.ToLong())); return;
    case BuiltIn::Size: handle.SetSize(value.ToLong()); return;
    case BuiltIn::None: break;
    }
    const Value stored = IsFieldType(state_->type) ? CoerceToField(value, static_cast<DataType>(state_->type)) : value;
    const catalog::PropertyInfo info{state_->name, state_->type, stored};
    if (field->kind == FieldState::Kind::Table) {
        catalog::RecordProperty(TableConnection(*field->table), field->table->name, field->name, info);
    } else {
        for (auto& pending : field->pendingProperties) {
            if (JetNamesEqual(pending.name, state_->name)) pending.value = stored;
        }
    }
    state_->value = stored;
}

}  // namespace dao
