// The database engine's object model over SQLite files.
//
//   DBEngine -> Workspace -> Database -> TableDefs -> TableDef -> Fields, Indexes -> Field, Index
//                                     -> QueryDefs, Relations, Recordset -> Fields
//   Field -> Properties -> Property
//
// Every object is a cheap handle on shared state: copies refer to the same object, as the callers'
// several references to one database or recordset do. Collections give their items by name
// (compared as the engine compares names, collation.h) or by position (0-based), raising 3265 for
// a missing item. Errors are win::RuntimeError with the engine's numbers (errors.h).
//
// Objects read the file when asked (a TableDef lists its fields from the file each time), so
// several handles, or an engine working in another process, always see the current structure.
#pragma once

#include <atomic>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/value.h"

namespace dao {

struct DatabaseState;
struct TableDefState;
struct FieldState;
struct IndexState;
struct RelationState;
struct QueryDefState;
struct PropertyState;
struct RecordsetState;
class EngineState;

// OpenRecordset types and options, with the engine's values.
inline constexpr int dbOpenTable = 1;
inline constexpr int dbOpenDynaset = 2;
inline constexpr int dbOpenSnapshot = 4;
inline constexpr int dbOpenForwardOnly = 8;  // a query read once, front to back (forward_only.h)
inline constexpr int dbDenyWrite = 1;
inline constexpr int dbReadOnly = 4;
// Relation attributes.
inline constexpr long dbRelationUpdateCascade = 256;
inline constexpr long dbRelationDeleteCascade = 4096;
// Execute option: raise on the first row that fails instead of skipping it.
inline constexpr int dbFailOnError = 128;

class Property {
public:
    std::string Name() const;
    int Type() const;
    Value GetValue() const;
    // Built-in "Name" renames the field; "Type" and "Size" of an appended field raise 3219.
    void SetValue(const Value& value);

public:
    // For the engine's own code: a handle on existing state.
    explicit Property(std::shared_ptr<PropertyState> state) : state_(std::move(state)) {}
    const std::shared_ptr<PropertyState>& State() const { return state_; }

private:
    std::shared_ptr<PropertyState> state_;
};

class Properties {
public:
    int Count() const;
    Property Item(std::string_view name) const;  // 3270 when absent
    Property Item(int position) const;           // 3265 out of range
    Property operator()(std::string_view name) const { return Item(name); }
    void Append(const Property& property);  // 3367 when the name exists
    void Refresh() {}

public:
    // For the engine's own code: a handle on existing state.
    explicit Properties(std::shared_ptr<FieldState> field) : field_(std::move(field)) {}
private:
    std::shared_ptr<FieldState> field_;
};

class Field {
public:
    std::string Name() const;
    DataType Type() const;
    int Size() const;  // Text: its size; Memo: 0; fixed types: their byte size
    void SetName(std::string_view name);
    void SetType(DataType type);  // 3219 once appended
    void SetSize(int size);       // 3219 once appended
    std::string ForeignName() const;
    void SetForeignName(std::string_view name);
    dao::Properties Properties() const;
    Property CreateProperty(std::string_view name, int type, const Value& value) const;

    // The value in a recordset's current record (or its edit buffer); 3021 without one. Setting
    // changes the recordset's edit buffer, not the handle, so a const handle can set it.
    Value GetValue() const;
    void SetValue(const Value& value) const;

public:
    // For the engine's own code: a handle on existing state.
    explicit Field(std::shared_ptr<FieldState> state) : state_(std::move(state)) {}
    const std::shared_ptr<FieldState>& State() const { return state_; }

private:
    std::shared_ptr<FieldState> state_;
};

// The fields of a table definition, an index, a relation or a recordset.
class Fields {
public:
    int Count() const;
    Field Item(std::string_view name) const;
    Field Item(int position) const;
    Field operator()(std::string_view name) const { return Item(name); }
    Field operator()(int position) const { return Item(position); }
    void Append(const Field& field);      // 3191 when the name exists
    void Delete(std::string_view name);   // 3265 missing, 3280 when an index or relation uses it
    void Refresh() {}

    enum class Owner { Table, Index, Relation, Recordset };
    Fields(Owner owner, std::shared_ptr<void> state) : owner_(owner), state_(std::move(state)) {}

private:
    std::vector<Field> List() const;
    Owner owner_;
    std::shared_ptr<void> state_;
};

class Index {
public:
    std::string Name() const;
    void SetName(std::string_view name);  // before Append only (3219 after)
    bool Primary() const;
    bool Unique() const;
    bool Required() const;
    bool IgnoreNulls() const;
    void SetPrimary(bool on);
    void SetUnique(bool on);
    void SetRequired(bool on);
    void SetIgnoreNulls(bool on);
    dao::Fields Fields() const;
    Field CreateField(std::string_view name) const;

public:
    // For the engine's own code: a handle on existing state.
    explicit Index(std::shared_ptr<IndexState> state) : state_(std::move(state)) {}
    const std::shared_ptr<IndexState>& State() const { return state_; }

private:
    std::shared_ptr<IndexState> state_;
};

class Indexes {
public:
    int Count() const;
    Index Item(std::string_view name) const;
    Index Item(int position) const;
    Index operator()(std::string_view name) const { return Item(name); }
    Index operator()(int position) const { return Item(position); }
    // 3284 name exists, 3264 no fields, 3283 a second primary key, 3022 rows break uniqueness,
    // 3058 a primary or required key holds Null.
    void Append(const Index& index);
    void Delete(std::string_view name);
    void Refresh() {}

public:
    // For the engine's own code: a handle on existing state.
    explicit Indexes(std::shared_ptr<TableDefState> table) : table_(std::move(table)) {}
private:
    std::vector<Index> List() const;
    std::shared_ptr<TableDefState> table_;
};

class TableDef {
public:
    std::string Name() const;
    void SetName(std::string_view name);  // renames an appended table
    dao::Fields Fields() const;
    dao::Indexes Indexes() const;
    // `type` may arrive as the text of its code ("10"); size 0 is ignored for fixed types.
    Field CreateField(std::string_view name, const Value& type = Value(), const Value& size = Value()) const;
    Index CreateIndex(std::string_view name) const;
    long RecordCount() const;

public:
    // For the engine's own code: a handle on existing state.
    explicit TableDef(std::shared_ptr<TableDefState> state) : state_(std::move(state)) {}
    const std::shared_ptr<TableDefState>& State() const { return state_; }

private:
    std::shared_ptr<TableDefState> state_;
};

class TableDefs {
public:
    int Count() const;
    TableDef Item(std::string_view name) const;
    TableDef Item(int position) const;
    TableDef operator()(std::string_view name) const { return Item(name); }
    TableDef operator()(int position) const { return Item(position); }
    void Append(const TableDef& table);  // 3010 exists, 3264 no fields, 3125 empty name
    void Delete(std::string_view name);
    void Refresh();

public:
    // For the engine's own code: a handle on existing state.
    explicit TableDefs(std::shared_ptr<DatabaseState> db) : db_(std::move(db)) {}
private:
    std::shared_ptr<DatabaseState> db_;
};

class Relation {
public:
    std::string Name() const;
    std::string Table() const;
    std::string ForeignTable() const;
    long Attributes() const;
    dao::Fields Fields() const;
    Field CreateField(std::string_view name) const;

public:
    // For the engine's own code: a handle on existing state.
    explicit Relation(std::shared_ptr<RelationState> state) : state_(std::move(state)) {}
    const std::shared_ptr<RelationState>& State() const { return state_; }

private:
    std::shared_ptr<RelationState> state_;
};

class Relations {
public:
    int Count() const;
    Relation Item(std::string_view name) const;
    Relation Item(int position) const;
    // 3012 when the name exists; integrity is enforced from then on (3201 for a record without its
    // related record, 3200 for deleting or changing a record that has related records, unless the
    // relation cascades).
    void Append(const Relation& relation);
    void Delete(std::string_view name);
    void Refresh() {}

public:
    // For the engine's own code: a handle on existing state.
    explicit Relations(std::shared_ptr<DatabaseState> db) : db_(std::move(db)) {}
private:
    std::shared_ptr<DatabaseState> db_;
};

class Recordset;

class QueryDef {
public:
    std::string Name() const;
    std::string SQL() const;
    void SetSQL(std::string_view sql);
    Recordset OpenRecordset(int type = dbOpenDynaset, int options = 0) const;
    void Close() {}

public:
    // For the engine's own code: a handle on existing state.
    explicit QueryDef(std::shared_ptr<QueryDefState> state) : state_(std::move(state)) {}
    const std::shared_ptr<QueryDefState>& State() const { return state_; }

private:
    std::shared_ptr<QueryDefState> state_;
};

class QueryDefs {
public:
    int Count() const;
    QueryDef Item(std::string_view name) const;
    QueryDef Item(int position) const;
    QueryDef operator()(std::string_view name) const { return Item(name); }
    void Delete(std::string_view name);
    void Refresh() {}

public:
    // For the engine's own code: a handle on existing state.
    explicit QueryDefs(std::shared_ptr<DatabaseState> db) : db_(std::move(db)) {}
private:
    std::shared_ptr<DatabaseState> db_;
};

// Seek comparisons: "=", ">=", ">", "<=", "<".
class Recordset {
public:
    int Type() const;
    bool Eof() const;  // EOF
    bool Bof() const;  // BOF
    bool NoMatch() const;
    long RecordCount() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    // Table type only: the current index by name ("" for none: insertion order); 3265 missing.
    std::string Index() const;
    void SetIndex(std::string_view name);
    void Seek(std::string_view comparison, const std::vector<Value>& keys);
    void AddNew();
    void Edit();
    void Update();       // a failed update leaves the record as it was and the edit open
    void CancelUpdate();
    void Delete();
    dao::Fields Fields() const;
    // rs!name: the recordset's own handle, valid until the recordset closes (copy it to keep it
    // longer); returned by reference because reading fields by name is the hottest call there is.
    const Field& operator()(std::string_view name) const;
    Field operator()(int position) const;
    void Close();

public:
    // For the engine's own code: a handle on existing state.
    explicit Recordset(std::shared_ptr<RecordsetState> state) : state_(std::move(state)) {}
    const std::shared_ptr<RecordsetState>& State() const { return state_; }

private:
    std::shared_ptr<RecordsetState> state_;
};

class Database {
public:
    // The shared state is what the SQL executor (sql/) works on.
    std::string Name() const;
    dao::TableDefs TableDefs() const;
    dao::QueryDefs QueryDefs() const;
    dao::Relations Relations() const;
    TableDef CreateTableDef(std::string_view name = {}) const;
    QueryDef CreateQueryDef(std::string_view name, std::string_view sql) const;  // 3012 exists
    Relation CreateRelation(std::string_view name, std::string_view table = {},
                            std::string_view foreignTable = {}, long attributes = 0) const;
    // A table name opens it (table type by default), a stored query's name or SQL text opens a
    // dynaset (or snapshot); table type on anything but a local table raises 3219.
    Recordset OpenRecordset(std::string_view source, int type = -1, int options = 0) const;
    void Execute(std::string_view sql, int options = 0) const;
    long RecordsAffected() const;
    // 3031 when `oldPassword` is not the file's password; an empty new password removes it.
    void NewPassword(std::string_view oldPassword, std::string_view newPassword) const;
    void Close();


public:
    // For the engine's own code: a handle on existing state.
    explicit Database(std::shared_ptr<DatabaseState> state) : state_(std::move(state)) {}
    const std::shared_ptr<DatabaseState>& State() const { return state_; }

private:
    std::shared_ptr<DatabaseState> state_;
};

class Workspace {
public:
    // `connect` is ";DATABASE=...;PWD=..." (blanks allowed, closing ";" optional); the name wins
    // over DATABASE=. See EngineState::Connect (connection.h) for the errors.
    Database OpenDatabase(std::string_view name, bool exclusive = false, bool readOnly = false,
                          std::string_view connect = {}) const;
    // Creates an empty database file (3204 when it exists, 3044 for a missing folder).
    Database CreateDatabase(std::string_view name) const;
    void BeginTrans() const;
    void CommitTrans(int options = 0) const;
    void Rollback() const;

public:
    // For the engine's own code: a handle on existing state.
    explicit Workspace(std::shared_ptr<EngineState> engine) : engine_(std::move(engine)) {}
private:
    std::shared_ptr<EngineState> engine_;
};

class DBEngine {
public:
    DBEngine();
    Workspace Workspaces(int index = 0) const;  // one workspace: 3265 for any other index
    Database OpenDatabase(std::string_view name, bool exclusive = false, bool readOnly = false,
                          std::string_view connect = {}) const;
    Database CreateDatabase(std::string_view name) const;
    // Checks the file and, when SQLite finds damage, rebuilds it from what can be read and puts the
    // copy in place atomically. 3024 missing, 3045 open, 3343 when nothing can be read.
    void RepairDatabase(std::string_view name) const;
    // Writes a compacted copy of `source` to `target` (3204 when `target` exists).
    void CompactDatabase(std::string_view source, std::string_view target) const;
    void BeginTrans() const;
    void CommitTrans(int options = 0) const;
    void Rollback() const;
    void Idle(int action = 0) const;
    // Milliseconds to wait for a busy file per attempt (0 in tests).
    void SetBusyTimeout(int milliseconds) const;
    // Once `*stop` is set (from any thread), every statement of the files this engine opens from
    // now on fails soon, as an interrupted one: another thread stops a long read this way. The flag
    // must outlive the engine's statements. For an engine whose files are not open yet.
    void SetStopFlag(const std::atomic<bool>* stop) const;
    const std::shared_ptr<EngineState>& State() const { return engine_; }

private:
    std::shared_ptr<EngineState> engine_;
};

// The password of a connect string (";DATABASE=x;PWD=y" -> "y"); "" when it names none.
std::string ConnectPassword(std::string_view connect);

}  // namespace dao
