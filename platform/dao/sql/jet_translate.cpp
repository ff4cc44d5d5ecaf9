// Statements: SELECT [INTO], INSERT INTO, UPDATE (also through joins), DELETE, DROP TABLE.
//
// Each statement is parsed whole into a small tree first, because the SELECT list names the
// tables that only the FROM clause after it introduces; then the tree is emitted with the names
// resolved against the files' metadata (the spelling of the file wins, so SQLite, which folds
// ASCII only, always sees names exactly as stored).
#include <algorithm>
#include <charconv>

#include "platform/dao/sql/jet_emit.h"
#include "platform/dao/sql/jet_sql.h"

namespace dao::sql {
namespace {

// ---- parse tree ----------------------------------------------------------------------------

struct FromNode {
    // A table (`table` set) or a join of `left` and `right`.
    std::string table;
    std::string alias;
    std::string joinType;  // INNER, LEFT, RIGHT
    std::unique_ptr<FromNode> left, right;
    ExprPtr on;
    bool parenthesized = false;
};
using FromPtr = std::unique_ptr<FromNode>;

struct SelectItem {
    ExprPtr expr;
    std::string alias;
};

struct SelectTree {
    std::string quantifier;  // "", "DISTINCT", "DISTINCTROW"
    long top = -1;
    std::vector<SelectItem> items;
    std::string intoTable;
    std::optional<std::string> intoFile;
    std::vector<FromPtr> from;
    std::optional<std::string> fromFile;
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    std::vector<std::pair<ExprPtr, bool>> orderBy;  // expression, descending
};

// ---- parser --------------------------------------------------------------------------------

class StatementParser {
public:
    explicit StatementParser(TokenStream& t) : t_(t) {}

    // "IN 'file'" at the cursor: the file text, else nothing.
    std::optional<std::string> FileClause() {
        if (!t_.IsKeyword("in") || t_.Peek(1).kind != TokenKind::String) return std::nullopt;
        t_.Next();
        return t_.Next().text;
    }

    void SetFromFile(SelectTree& s) {
        if (auto file = FileClause()) {
            if (s.fromFile && *s.fromFile != *file) RaiseSql(3131);
            s.fromFile = std::move(file);
        }
    }

    FromPtr FromTerm(SelectTree& s) {
        auto node = std::make_unique<FromNode>();
        if (t_.AcceptSymbol("(")) {
            node = FromItem(s);
            node->parenthesized = true;
            t_.ExpectSymbol(")", 3131);
            return node;
        }
        node->table = t_.ExpectName(3131);
        SetFromFile(s);
        if (t_.AcceptKeyword("as")) node->alias = t_.ExpectName(3131);
        else if (t_.IsName()) node->alias = t_.Next().text;
        SetFromFile(s);
        return node;
    }

    FromPtr FromItem(SelectTree& s) {
        FromPtr left = FromTerm(s);
        for (;;) {
            std::string type;
            if (t_.AcceptKeyword("inner")) type = "INNER";
            else if (t_.AcceptKeyword("left")) type = "LEFT";
            else if (t_.AcceptKeyword("right")) type = "RIGHT";
            else return left;
            t_.AcceptKeyword("outer");
            t_.ExpectKeyword("join", 3131);
            auto join = std::make_unique<FromNode>();
            join->joinType = type;
            join->left = std::move(left);
            join->right = FromTerm(s);
            t_.ExpectKeyword("on", 3131);
            join->on = ParseExpression(t_);
            SetFromFile(s);
            left = std::move(join);
        }
    }

    void FromList(SelectTree& s) {
        do s.from.push_back(FromItem(s));
        while (t_.AcceptSymbol(","));
        SetFromFile(s);
    }

    std::vector<ExprPtr> ExprList() {
        std::vector<ExprPtr> list;
        do list.push_back(ParseExpression(t_));
        while (t_.AcceptSymbol(","));
        return list;
    }

    void SelectHead(SelectTree& s) {
        t_.ExpectKeyword("select", 3129);
        if (t_.AcceptKeyword("distinctrow")) s.quantifier = "DISTINCTROW";
        else if (t_.AcceptKeyword("distinct")) s.quantifier = "DISTINCT";
        else t_.AcceptKeyword("all");
        if (t_.AcceptKeyword("top")) {
            const Token& n = t_.Next();
            if (n.kind != TokenKind::Number ||
                std::from_chars(n.text.data(), n.text.data() + n.text.size(), s.top).ec != std::errc()) {
                RaiseSql(3075, n.text);
            }
        }
        do {
            SelectItem item;
            item.expr = ParseExpression(t_);
            if (t_.AcceptKeyword("as")) item.alias = t_.ExpectName(3075);
            s.items.push_back(std::move(item));
        } while (t_.AcceptSymbol(","));
    }

    void SelectTail(SelectTree& s) {
        if (t_.AcceptKeyword("from")) FromList(s);
        if (t_.AcceptKeyword("where")) s.where = ParseExpression(t_);
        if (t_.AcceptKeyword("group")) {
            t_.ExpectKeyword("by", 3075);
            s.groupBy = ExprList();
        }
        if (t_.AcceptKeyword("having")) s.having = ParseExpression(t_);
        if (t_.AcceptKeyword("order")) {
            t_.ExpectKeyword("by", 3075);
            do {
                ExprPtr e = ParseExpression(t_);
                bool desc = t_.AcceptKeyword("desc");
                if (!desc) t_.AcceptKeyword("asc");
                s.orderBy.emplace_back(std::move(e), desc);
            } while (t_.AcceptSymbol(","));
        }
    }

    SelectTree Select(bool allowInto) {
        SelectTree s;
        SelectHead(s);
        if (allowInto && t_.AcceptKeyword("into")) {
            s.intoTable = t_.ExpectName(3075);
            s.intoFile = FileClause();
        }
        SelectTail(s);
        return s;
    }

    void End() {
        t_.AcceptSymbol(";");
        if (!t_.AtEnd()) RaiseSql(3075, t_.Peek().text);
    }

private:
    TokenStream& t_;
};

// ---- emission ------------------------------------------------------------------------------

void RegisterTables(Emitter& emitter, const FromNode& node) {
    if (!node.table.empty()) {
        emitter.AddTable(node.table, node.alias);
        return;
    }
    RegisterTables(emitter, *node.left);
    RegisterTables(emitter, *node.right);
}

std::string TableSql(const Source& s) {
    if (!s.query.empty()) return "(" + s.query + ") AS " + QuoteIdent(s.alias);
    std::string sql = QuoteIdent(s.table.name);
    if (s.alias != s.table.name) sql += " AS " + QuoteIdent(s.alias);
    return sql;
}

// Writes the FROM item; `next` walks the sources registered in the same order.
std::string FromSql(Emitter& emitter, const FromNode& node, std::size_t& next) {
    std::string sql;
    if (!node.table.empty()) {
        sql = TableSql(emitter.Sources()[next++]);
    } else {
        std::string left = FromSql(emitter, *node.left, next);
        std::string right = FromSql(emitter, *node.right, next);
        sql = left + " " + node.joinType + " JOIN " + right + " ON " + emitter.Emit(*node.on).sql;
    }
    return node.parenthesized ? "(" + sql + ")" : sql;
}

struct EmittedSelect {
    std::string sql;
    std::vector<Emitted> columns;   // output columns in order (already coerced when asked)
    std::vector<bool> fromStar;     // whether each column came from a `*`
};

// The output columns of the SELECT list, stars expanded, each named as the engine names it.
std::vector<std::pair<Emitted, bool>> SelectColumns(Emitter& emitter, const SelectTree& s) {
    std::vector<std::pair<Emitted, bool>> out;
    std::vector<std::string> used;
    auto uniqueName = [&](Emitted& e, const std::string& qualifier) {
        std::string key = FoldName(e.name);
        if (std::find(used.begin(), used.end(), key) != used.end() && !qualifier.empty()) {
            e.name = qualifier + "." + e.name;
            key = FoldName(e.name);
        }
        used.push_back(key);
    };
    for (const SelectItem& item : s.items) {
        if (item.expr->kind == Expr::Kind::Star) {
            for (Emitted& e : emitter.ExpandStar(*item.expr)) {
                std::string qualifier = e.sql.substr(0, e.sql.find("\".\"") + 1);
                uniqueName(e, qualifier.size() > 2 ? qualifier.substr(1, qualifier.size() - 2) : "");
                out.emplace_back(std::move(e), true);
            }
            continue;
        }
        Emitted e = emitter.Emit(*item.expr);
        if (!item.alias.empty()) e.name = item.alias;
        uniqueName(e, item.expr->table);
        emitter.AddOutputAlias(e.name, e.type);
        out.emplace_back(std::move(e), false);
    }
    return out;
}

// The SELECT as SQLite text. `coerce` gives, per output column, the Jet type to convert it to
// (0: none); it is applied before the DISTINCT/GROUP BY so the target sees converted values.
EmittedSelect EmitSelect(Emitter& emitter, const SelectTree& s, const std::vector<int>* coerce = nullptr) {
    for (const FromPtr& node : s.from) RegisterTables(emitter, *node);
    EmittedSelect out;
    auto columns = SelectColumns(emitter, s);
    std::vector<std::string> items;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        Emitted& e = columns[i].first;
        std::string value = e.sql;
        if (coerce && i < coerce->size()) value = CoerceTo(value, e.type, (*coerce)[i]);
        items.push_back(value + " AS " + QuoteIdent(e.name));
        out.columns.push_back(e);
        out.fromStar.push_back(columns[i].second);
    }
    std::string sql = "SELECT ";
    if (s.quantifier == "DISTINCT") sql += "DISTINCT ";
    for (std::size_t i = 0; i < items.size(); ++i) sql += (i ? ", " : "") + items[i];
    if (!s.from.empty()) {
        std::size_t next = 0;
        sql += " FROM ";
        for (std::size_t i = 0; i < s.from.size(); ++i) {
            sql += (i ? ", " : "") + FromSql(emitter, *s.from[i], next);
        }
    }
    if (s.where) sql += " WHERE " + emitter.Emit(*s.where).sql;
    if (!s.groupBy.empty()) {
        sql += " GROUP BY ";
        for (std::size_t i = 0; i < s.groupBy.size(); ++i) sql += (i ? ", " : "") + emitter.Emit(*s.groupBy[i]).sql;
    } else if (s.quantifier == "DISTINCTROW" && !emitter.Sources().empty() && emitter.Sources().front().query.empty()) {
        // Each row of the left table once, however many rows of the others match it.
        sql += " GROUP BY " + QuoteIdent(emitter.Sources().front().alias) + ".rowid";
    }
    if (s.having) sql += " HAVING " + emitter.Emit(*s.having).sql;
    if (!s.orderBy.empty()) {
        sql += " ORDER BY ";
        for (std::size_t i = 0; i < s.orderBy.size(); ++i) {
            sql += (i ? ", " : "") + emitter.Emit(*s.orderBy[i].first).sql + (s.orderBy[i].second ? " DESC" : "");
        }
    }
    if (s.top >= 0) sql += " LIMIT " + std::to_string(s.top);
    out.sql = std::move(sql);
    return out;
}

std::string ColumnList(const std::vector<std::string>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + QuoteIdent(names[i]);
    return out;
}

std::string PumpInsert(const std::string& verb, const std::string& table, const std::vector<std::string>& columns) {
    std::string marks;
    for (std::size_t i = 0; i < columns.size(); ++i) marks += i ? ", ?" : "?";
    return verb + QuoteIdent(table) + " (" + ColumnList(columns) + ") VALUES (" + marks + ")";
}

const ColumnInfo* FindColumn(const TableInfo& table, const std::string& name) {
    for (const ColumnInfo& c : table.columns) {
        if (SameName(c.name, name)) return &c;
    }
    return nullptr;
}

// ---- statements ----------------------------------------------------------------------------

Translation SelectStatement(TokenStream& t, const SchemaLookup& schema, const TranslateOptions& options) {
    StatementParser p(t);
    SelectTree s = p.Select(true);
    p.End();
    Translation tr;
    tr.sourceFile = s.fromFile;
    Emitter emitter(schema, s.fromFile);
    if (s.intoTable.empty()) {
        EmittedSelect sel = EmitSelect(emitter, s);
        tr.sql = sel.sql;
        for (const Emitted& e : sel.columns) tr.resultColumns.push_back({e.name, e.type ? e.type : kJetText, e.size});
        return tr;
    }
    tr.kind = StatementKind::SelectInto;
    tr.targetFile = s.intoFile;
    if (schema.FindTable(s.intoFile.value_or(""), s.intoTable)) RaiseSql(3010, s.intoTable);
    tr.target = s.intoTable;
    EmittedSelect sel = EmitSelect(emitter, s);
    tr.select = sel.sql;
    for (const Emitted& e : sel.columns) {
        int type = e.type ? e.type : kJetText;
        int size = type == kJetText ? (e.size > 0 && e.size <= 255 ? e.size : 255) : e.size;
        tr.newColumns.push_back({e.name, type, size});
        tr.targetColumns.push_back(e.name);
    }
    std::string verb = options.skipFailingRows ? "INSERT OR IGNORE INTO " : "INSERT INTO ";
    tr.sql = verb + QuoteIdent(tr.target) + " (" + ColumnList(tr.targetColumns) + ") " + tr.select;
    tr.pumpInsert = PumpInsert(verb, tr.target, tr.targetColumns);
    return tr;
}

// Target columns of INSERT INTO ... SELECT: the named list first, one per SELECT column in order;
// the columns of a `*`, and any column past the list, go to the target column of the same name.
std::vector<const ColumnInfo*> MatchInsertColumns(const TableInfo& target, const std::vector<std::string>& named,
                                                  const std::vector<Emitted>& columns,
                                                  const std::vector<bool>& fromStar) {
    std::vector<const ColumnInfo*> out;
    std::size_t nextNamed = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::string name = !fromStar[i] && nextNamed < named.size() ? named[nextNamed++] : columns[i].name;
        const ColumnInfo* c = FindColumn(target, name);
        if (!c) RaiseSql(3127, name);
        out.push_back(c);
    }
    if (nextNamed < named.size() && !named.empty()) RaiseSql(3346);
    return out;
}

// INSERT INTO t [(cols)] VALUES (...): each value converted to its field's type. Leaves in
// `tr.sql` the text after the INSERT verb.
void InsertValues(TokenStream& t, const SchemaLookup& schema, const TableInfo& target,
                  const std::vector<std::string>& named, Translation& tr) {
    StatementParser p(t);
    tr.kind = StatementKind::InsertValues;
    t.ExpectSymbol("(", 3134);
    Emitter emitter(schema, std::nullopt);
    std::string values;
    std::size_t i = 0;
    do {
        if (i >= named.size() && !named.empty()) RaiseSql(3346);
        const ColumnInfo* c = named.empty() ? (i < target.columns.size() ? &target.columns[i] : nullptr)
                                            : FindColumn(target, named[i]);
        if (!c) RaiseSql(3346);
        Emitted v = emitter.Emit(*ParseExpression(t));
        values += (i ? ", " : "") + CoerceTo(v.sql, v.type, c->type);
        tr.targetColumns.push_back(c->name);
        ++i;
    } while (t.AcceptSymbol(","));
    t.ExpectSymbol(")", 3134);
    p.End();
    if (!named.empty() && i != named.size()) RaiseSql(3346);
    tr.sql = QuoteIdent(tr.target) + " (" + ColumnList(tr.targetColumns) + ") VALUES (" + values + ")";
}

Translation InsertStatement(TokenStream& t, const SchemaLookup& schema, const TranslateOptions& options) {
    StatementParser p(t);
    t.ExpectKeyword("insert", 3129);
    t.ExpectKeyword("into", 3134);
    Translation tr;
    std::string table = t.ExpectName(3134);
    tr.targetFile = p.FileClause();
    std::vector<std::string> named;
    if (t.AcceptSymbol("(")) {
        do named.push_back(t.ExpectName(3134));
        while (t.AcceptSymbol(","));
        t.ExpectSymbol(")", 3134);
    }
    if (!tr.targetFile) tr.targetFile = p.FileClause();
    std::optional<TableInfo> target = schema.FindTable(tr.targetFile.value_or(""), table);
    if (!target) RaiseSql(3192, table);
    tr.target = target->name;
    for (const std::string& n : named) {
        if (!FindColumn(*target, n)) RaiseSql(3127, n);
    }
    std::string verb = options.skipFailingRows ? "INSERT OR IGNORE INTO " : "INSERT INTO ";
    if (t.AcceptKeyword("values")) {
        InsertValues(t, schema, *target, named, tr);
        tr.sql = verb + tr.sql;
        return tr;
    }
    tr.kind = StatementKind::InsertSelect;
    SelectTree s = p.Select(false);
    p.End();
    tr.sourceFile = s.fromFile;
    // First pass for the names, second to emit with each column converted to its target's type.
    std::vector<int> coerce;
    {
        Emitter probe(schema, s.fromFile);
        EmittedSelect sel = EmitSelect(probe, s);
        for (const ColumnInfo* c : MatchInsertColumns(*target, named, sel.columns, sel.fromStar)) {
            tr.targetColumns.push_back(c->name);
            coerce.push_back(c->type);
        }
    }
    Emitter emitter(schema, s.fromFile);
    tr.select = EmitSelect(emitter, s, &coerce).sql;
    tr.sql = verb + QuoteIdent(tr.target) + " (" + ColumnList(tr.targetColumns) + ") " + tr.select;
    tr.pumpInsert = PumpInsert(verb, tr.target, tr.targetColumns);
    return tr;
}

void FlattenJoin(const FromNode& node, std::vector<const FromNode*>& tables, std::vector<const Expr*>& ons) {
    if (!node.table.empty()) {
        tables.push_back(&node);
        return;
    }
    FlattenJoin(*node.left, tables, ons);
    FlattenJoin(*node.right, tables, ons);
    ons.push_back(node.on.get());
}

using Assignment = std::pair<ExprPtr, ExprPtr>;

// Writes the SET list and answers which source it writes: the one the first SET names (3144
// when a later SET names another).
std::size_t Assignments(Emitter& emitter, const std::vector<Assignment>& sets, std::vector<std::string>& out) {
    std::size_t targetIndex = 0;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        Emitted column = emitter.Emit(*sets[i].first);
        std::size_t index = 0;
        while (index < emitter.Sources().size() &&
               column.sql.rfind(QuoteIdent(emitter.Sources()[index].alias) + ".", 0) != 0) {
            ++index;
        }
        if (i == 0) targetIndex = index;
        else if (index != targetIndex) RaiseSql(3144);
        Emitted value = emitter.Emit(*sets[i].second);
        std::string converted = CoerceTo(value.sql, value.type, column.type);
        if (converted != value.sql && !IsNumericType(value.type) && value.type != kJetDate) {
            // A value that does not convert leaves the field as it was, as the engine skips a
            // field it cannot convert; only a Null value makes it Null.
            converted = "(CASE WHEN " + converted + " IS NULL AND " + value.sql + " IS NOT NULL THEN " +
                        QuoteIdent(column.name) + " ELSE " + converted + " END)";
        }
        out.push_back(QuoteIdent(column.name) + " = " + converted);
    }
    return targetIndex;
}

// UPDATE a [INNER|LEFT JOIN b ON ...] SET t.x = v, ... [WHERE w]. The table the SET names is
// the target; the others join through UPDATE ... FROM, so only rows that match change (an
// unmatched row of a LEFT JOIN keeps its values instead of being overwritten with Nulls).
Translation UpdateStatement(TokenStream& t, const SchemaLookup& schema, const TranslateOptions& options) {
    StatementParser p(t);
    t.ExpectKeyword("update", 3129);
    SelectTree holder;
    FromPtr from = p.FromItem(holder);
    if (holder.fromFile) RaiseSql(3144);
    t.ExpectKeyword("set", 3144);
    std::vector<Assignment> sets;
    do {
        ExprPtr column = ParseExpression(t);
        if (column->kind != Expr::Kind::Binary || column->op != "=" ||
            column->args[0]->kind != Expr::Kind::Column) {
            RaiseSql(3144);
        }
        sets.emplace_back(std::move(column->args[0]), std::move(column->args[1]));
    } while (t.AcceptSymbol(","));
    ExprPtr where;
    if (t.AcceptKeyword("where")) where = ParseExpression(t);
    p.End();

    std::vector<const FromNode*> tables;
    std::vector<const Expr*> ons;
    FlattenJoin(*from, tables, ons);
    Emitter emitter(schema, std::nullopt);
    for (const FromNode* node : tables) emitter.AddTable(node->table, node->alias);

    std::vector<std::string> assignments;
    std::size_t targetIndex = Assignments(emitter, sets, assignments);
    const Source& target = emitter.Sources()[targetIndex];
    Translation tr;
    tr.kind = StatementKind::Update;
    tr.target = target.table.name;
    std::string sql = std::string(options.skipFailingRows ? "UPDATE OR IGNORE " : "UPDATE ") + TableSql(target) + " SET ";
    for (std::size_t i = 0; i < assignments.size(); ++i) sql += (i ? ", " : "") + assignments[i];
    std::vector<std::string> others, conditions;
    for (std::size_t i = 0; i < emitter.Sources().size(); ++i) {
        if (i != targetIndex) others.push_back(TableSql(emitter.Sources()[i]));
    }
    for (const Expr* on : ons) conditions.push_back(emitter.Emit(*on).sql);
    if (where) conditions.push_back(emitter.Emit(*where).sql);
    for (std::size_t i = 0; i < others.size(); ++i) sql += (i ? ", " : " FROM ") + others[i];
    for (std::size_t i = 0; i < conditions.size(); ++i) sql += (i ? " AND " : " WHERE ") + conditions[i];
    tr.sql = std::move(sql);
    return tr;
}

Translation DeleteStatement(TokenStream& t, const SchemaLookup& schema) {
    StatementParser p(t);
    t.ExpectKeyword("delete", 3129);
    if (!t.AcceptSymbol("*") && t.IsName() && !t.IsKeyword("from")) {
        t.Next();
        if (!t.AcceptSymbol(".") && !t.AcceptSymbol("!")) RaiseSql(3075, t.Peek().text);
        t.ExpectSymbol("*", 3075);
    }
    t.ExpectKeyword("from", 3075);
    SelectTree holder;
    FromPtr from = p.FromTerm(holder);
    ExprPtr where;
    if (t.AcceptKeyword("where")) where = ParseExpression(t);
    p.End();
    Emitter emitter(schema, holder.fromFile);
    const Source& source = emitter.AddTable(from->table, from->alias);
    Translation tr;
    tr.kind = StatementKind::Delete;
    tr.target = source.table.name;
    tr.targetFile = holder.fromFile;
    tr.sql = "DELETE FROM " + TableSql(source);
    if (where) tr.sql += " WHERE " + emitter.Emit(*where).sql;
    return tr;
}

Translation DropStatement(TokenStream& t, const SchemaLookup& schema) {
    t.ExpectKeyword("drop", 3129);
    t.ExpectKeyword("table", 3295);
    std::string name = t.ExpectName(3295);
    t.AcceptSymbol(";");
    if (!t.AtEnd()) RaiseSql(3295);  // e.g. a name with a blank written without brackets
    std::optional<TableInfo> table = schema.FindTable("", name);
    if (!table) RaiseSql(3376, name);
    Translation tr;
    tr.kind = StatementKind::DropTable;
    tr.target = table->name;
    tr.sql = "DROP TABLE " + QuoteIdent(table->name);
    return tr;
}

}  // namespace

QueryTable TranslateStoredQuery(const std::string& jet, const SchemaLookup& schema,
                                const std::optional<std::string>& file, int depth) {
    TokenStream t(Tokenize(jet));
    StatementParser p(t);
    SelectTree s = p.Select(false);
    p.End();
    if (s.fromFile) RaiseSql(3078, jet);
    Emitter emitter(schema, file, depth);
    EmittedSelect sel = EmitSelect(emitter, s);
    QueryTable out;
    out.sql = sel.sql;
    for (const Emitted& e : sel.columns) out.columns.push_back({e.name, e.type ? e.type : kJetText, e.size});
    return out;
}

Translation TranslateJetSql(std::string_view jetSql, const SchemaLookup& schema, const TranslateOptions& options) {
    TokenStream t(Tokenize(jetSql));
    if (t.IsKeyword("select")) return SelectStatement(t, schema, options);
    if (t.IsKeyword("insert")) return InsertStatement(t, schema, options);
    if (t.IsKeyword("update")) return UpdateStatement(t, schema, options);
    if (t.IsKeyword("delete")) return DeleteStatement(t, schema);
    if (t.IsKeyword("drop")) return DropStatement(t, schema);
    RaiseSql(3129);
}

}  // namespace dao::sql
