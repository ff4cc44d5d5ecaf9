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
            if (s.fromFile && *s.fromFile != *file) RaiseSql(jet::FromSyntax);
            s.fromFile = std::move(file);
        }
    }

    FromPtr FromTerm(SelectTree& s) {
        auto node = std::make_unique<FromNode>();
        if (t_.AcceptSymbol("(")) {
            node = FromItem(s);
            node->parenthesized = true;
            t_.ExpectSymbol(")", jet::FromSyntax);
            return node;
        }
        node->table = t_.ExpectName(jet::FromSyntax);
        SetFromFile(s);
        if (t_.AcceptKeyword("as")) node->alias = t_.ExpectName(jet::FromSyntax);
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
            t_.ExpectKeyword("join", jet::FromSyntax);
            auto join = std::make_unique<FromNode>();
            join->joinType = type;
            join->left = std::move(left);
            join->right = FromTerm(s);
            t_.ExpectKeyword("on", jet::FromSyntax);
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
        t_.ExpectKeyword("select", jet::InvalidStatement);
        if (t_.AcceptKeyword("distinctrow")) s.quantifier = "DISTINCTROW";
        else if (t_.AcceptKeyword("distinct")) s.quantifier = "DISTINCT";
        else t_.AcceptKeyword("all");
        if (t_.AcceptKeyword("top")) {
            const Token& n = t_.Next();
            if (n.kind != TokenKind::Number ||
                std::from_chars(n.text.data(), n.text.data() + n.text.size(), s.top).ec != std::errc()) {
                RaiseSql(jet::ExpressionSyntax, n.text);
            }
        }
        do {
            SelectItem item;
            item.expr = ParseExpression(t_);
            if (t_.AcceptKeyword("as")) item.alias = t_.ExpectName(jet::ExpressionSyntax);
            s.items.push_back(std::move(item));
        } while (t_.AcceptSymbol(","));
    }

    void SelectTail(SelectTree& s) {
        if (t_.AcceptKeyword("from")) FromList(s);
        if (t_.AcceptKeyword("where")) s.where = ParseExpression(t_);
        if (t_.AcceptKeyword("group")) {
            t_.ExpectKeyword("by", jet::ExpressionSyntax);
            s.groupBy = ExprList();
        }
        if (t_.AcceptKeyword("having")) s.having = ParseExpression(t_);
        if (t_.AcceptKeyword("order")) {
            t_.ExpectKeyword("by", jet::ExpressionSyntax);
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
            s.intoTable = t_.ExpectName(jet::ExpressionSyntax);
            s.intoFile = FileClause();
        }
        SelectTail(s);
        return s;
    }

    void End() {
        t_.AcceptSymbol(";");
        if (!t_.AtEnd()) RaiseSql(jet::ExpressionSyntax, t_.Peek().text);
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
    if (!s.query.empty()) return "(" + s.query + ") AS " + QuoteName(s.alias);
    std::string sql = s.schema + QuoteName(s.table.name);
    if (s.alias != s.table.name) sql += " AS " + QuoteName(s.alias);
    return sql;
}

constexpr std::size_t kNoSource = static_cast<std::size_t>(-1);

// Writes the FROM item; `next` walks the sources registered in the same order. The source at
// `withRowid` is written as a row source that also yields its table's rowid, as jet_rowid.
std::string FromSql(Emitter& emitter, const FromNode& node, std::size_t& next, std::size_t withRowid = kNoSource) {
    std::string sql;
    if (!node.table.empty()) {
        const Source& source = emitter.Sources()[next];
        sql = next++ != withRowid ? TableSql(source)
                                  : "(SELECT rowid AS jet_rowid, * FROM " + source.schema + QuoteName(source.table.name) + ") AS " +
                                        QuoteName(source.alias);
    } else {
        std::string left = FromSql(emitter, *node.left, next, withRowid);
        std::string right = FromSql(emitter, *node.right, next, withRowid);
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

// The SELECT as SQLite text.
EmittedSelect EmitSelect(Emitter& emitter, const SelectTree& s) {
    for (const FromPtr& node : s.from) RegisterTables(emitter, *node);
    EmittedSelect out;
    auto columns = SelectColumns(emitter, s);
    std::vector<std::string> items;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        Emitted& e = columns[i].first;
        items.push_back(e.sql + " AS " + QuoteName(e.name));
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
        sql += " GROUP BY " + QuoteName(emitter.Sources().front().alias) + ".rowid";
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
    for (std::size_t i = 0; i < names.size(); ++i) out += (i ? ", " : "") + QuoteName(names[i]);
    return out;
}

std::string PumpInsert(const std::string& verb, const std::string& table, const std::vector<std::string>& columns) {
    std::string marks;
    for (std::size_t i = 0; i < columns.size(); ++i) marks += i ? ", ?" : "?";
    return verb + QuoteName(table) + " (" + ColumnList(columns) + ") VALUES (" + marks + ")";
}

// ---- the field rules of written values ------------------------------------------------------
// A value written by a statement keeps the rules a field keeps when the object model sets it: it
// converts to the field's type (3421 when it cannot), fits its range (3349) and, for Text, its size
// (3163). Without dbFailOnError a row with a value that breaks a rule is skipped, as a row that
// breaks a key is; with it the statement fails and writes nothing. Never is a value cut, wrapped
// or made Null.

// Whether every value `v` can yield fits the field `to` as it is: the same type (for Text, a
// column no longer than the field), or a number the field's type widens.
bool FitsAsIs(const Emitted& v, const ColumnInfo& to) {
    if (v.type == to.type) return to.type != kJetText || (v.column && v.size > 0 && v.size <= to.size);
    switch (to.type) {
    case kJetMemo: return v.type == kJetText;
    case kJetDouble: return v.type >= kJetBoolean && v.type <= kJetSingle;
    case kJetLong: return v.type >= kJetBoolean && v.type <= kJetInteger;
    case kJetInteger: return v.type == kJetBoolean || v.type == kJetByte;
    default: return false;
    }
}

// One written value: the SQL that stores it, and the condition a row must meet for it to be
// written ("" when the value always fits).
struct FieldWrite {
    std::string value;
    std::string fits;
};

FieldWrite WriteOf(const std::string& sql, const Emitted& v, const ColumnInfo& to) {
    if (FitsAsIs(v, to)) return {sql, ""};
    const std::string args = sql + ", " + std::to_string(to.type) + ", " + std::to_string(to.size) + ", " +
                             (v.type == kJetDate ? "1" : "0");
    return {"jet_field(" + args + ")", "jet_fits(" + args + ")"};
}

std::string AllOf(const std::vector<std::string>& conditions) {
    std::string out;
    for (const std::string& c : conditions) {
        if (!c.empty()) out += (out.empty() ? "" : " AND ") + c;
    }
    return out;
}

// The rows of `sel` as the fields `targets` store them. The values are converted after the
// SELECT has run (its DISTINCT, GROUP BY and TOP see them as they are), through a named row
// source, since output names need not be unique.
std::string FieldRows(const EmittedSelect& sel, const std::vector<ColumnInfo>& targets, bool skipFailingRows) {
    bool asIs = true;
    for (std::size_t i = 0; i < targets.size(); ++i) asIs = asIs && FitsAsIs(sel.columns[i], targets[i]);
    if (asIs) return sel.sql;
    std::string names, values;
    std::vector<std::string> fits;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        const std::string name = "c" + std::to_string(i + 1);
        FieldWrite w = WriteOf("jet_rows." + name, sel.columns[i], targets[i]);
        names += (i ? ", " : "") + name;
        values += (i ? ", " : "") + w.value;
        fits.push_back(std::move(w.fits));
    }
    std::string sql = "WITH jet_rows(" + names + ") AS (" + sel.sql + ") SELECT " + values + " FROM jet_rows";
    const std::string condition = AllOf(fits);
    if (skipFailingRows && !condition.empty()) sql += " WHERE " + condition;
    return sql;
}

const ColumnInfo* FindColumn(const TableInfo& table, const std::string& name) {
    for (const ColumnInfo& c : table.columns) {
        if (SameName(c.name, name)) return &c;
    }
    return nullptr;
}

// ---- statements ----------------------------------------------------------------------------

// The table an INSERT ... SELECT writes: with the source file attached, the table of the
// connection's own file, whatever an attached file holds of that name.
std::string WrittenTable(const std::string& table, const TranslateOptions& options) {
    return (options.sourceSchema.empty() ? "" : "main.") + QuoteName(table);
}

Translation SelectStatement(TokenStream& t, const SchemaLookup& schema, const TranslateOptions& options) {
    StatementParser p(t);
    SelectTree s = p.Select(true);
    p.End();
    Translation tr;
    tr.sourceFile = s.fromFile;
    Emitter emitter(schema, s.fromFile, 0, options.sourceSchema);
    if (s.intoTable.empty()) {
        EmittedSelect sel = EmitSelect(emitter, s);
        tr.sourceFile = emitter.RunFile();
        tr.sql = sel.sql;
        for (const Emitted& e : sel.columns) tr.resultColumns.push_back({e.name, e.type ? e.type : kJetText, e.size});
        return tr;
    }
    tr.kind = StatementKind::SelectInto;
    tr.targetFile = s.intoFile;
    // Translated again for an attached source, the statement is running and its table made already.
    if (options.sourceSchema.empty() && schema.FindTable(s.intoFile.value_or(""), s.intoTable)) {
        RaiseSql(jet::TableExists, s.intoTable);
    }
    tr.target = s.intoTable;
    EmittedSelect sel = EmitSelect(emitter, s);
    tr.sourceFile = emitter.RunFile();
    for (const Emitted& e : sel.columns) {
        int type = e.type ? e.type : kJetText;
        int size = type == kJetText ? (e.size > 0 && e.size <= 255 ? e.size : 255) : e.size;
        tr.newColumns.push_back({e.name, type, size});
        tr.targetColumns.push_back(e.name);
    }
    tr.select = FieldRows(sel, tr.newColumns, options.skipFailingRows);
    std::string verb = options.skipFailingRows ? "INSERT OR IGNORE INTO " : "INSERT INTO ";
    tr.sql = verb + WrittenTable(tr.target, options) + " (" + ColumnList(tr.targetColumns) + ") " + tr.select;
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
        if (!c) RaiseSql(jet::InsertUnknownField, name);
        out.push_back(c);
    }
    if (nextNamed < named.size() && !named.empty()) RaiseSql(jet::ValueCountMismatch);
    return out;
}

// INSERT INTO t [(cols)] VALUES (...): each value converted to its field's type. Leaves in
// `tr.sql` the text after the INSERT verb.
void InsertValues(TokenStream& t, const SchemaLookup& schema, const TableInfo& target,
                  const std::vector<std::string>& named, bool skipFailingRows, Translation& tr) {
    StatementParser p(t);
    tr.kind = StatementKind::InsertValues;
    t.ExpectSymbol("(", jet::InsertSyntax);
    Emitter emitter(schema, std::nullopt);
    std::string values;
    std::vector<std::string> fits;
    std::size_t i = 0;
    do {
        if (i >= named.size() && !named.empty()) RaiseSql(jet::ValueCountMismatch);
        const ColumnInfo* c = named.empty() ? (i < target.columns.size() ? &target.columns[i] : nullptr)
                                            : FindColumn(target, named[i]);
        if (!c) RaiseSql(jet::ValueCountMismatch);
        Emitted v = emitter.Emit(*ParseExpression(t));
        FieldWrite w = WriteOf(v.sql, v, *c);
        values += (i ? ", " : "") + w.value;
        fits.push_back(std::move(w.fits));
        tr.targetColumns.push_back(c->name);
        ++i;
    } while (t.AcceptSymbol(","));
    t.ExpectSymbol(")", jet::InsertSyntax);
    p.End();
    if (!named.empty() && i != named.size()) RaiseSql(jet::ValueCountMismatch);
    const std::string condition = AllOf(fits);
    const std::string rows = skipFailingRows && !condition.empty() ? "SELECT " + values + " WHERE " + condition
                                                                   : "VALUES (" + values + ")";
    tr.sql = QuoteName(tr.target) + " (" + ColumnList(tr.targetColumns) + ") " + rows;
}

Translation InsertStatement(TokenStream& t, const SchemaLookup& schema, const TranslateOptions& options) {
    StatementParser p(t);
    t.ExpectKeyword("insert", jet::InvalidStatement);
    t.ExpectKeyword("into", jet::InsertSyntax);
    Translation tr;
    std::string table = t.ExpectName(jet::InsertSyntax);
    tr.targetFile = p.FileClause();
    std::vector<std::string> named;
    if (t.AcceptSymbol("(")) {
        do named.push_back(t.ExpectName(jet::InsertSyntax));
        while (t.AcceptSymbol(","));
        t.ExpectSymbol(")", jet::InsertSyntax);
    }
    if (!tr.targetFile) tr.targetFile = p.FileClause();
    std::optional<TableInfo> target = schema.FindTable(tr.targetFile.value_or(""), table);
    if (!target) RaiseSql(jet::OutputTableNotFound, table);
    tr.target = target->name;
    for (const std::string& n : named) {
        if (!FindColumn(*target, n)) RaiseSql(jet::InsertUnknownField, n);
    }
    std::string verb = options.skipFailingRows ? "INSERT OR IGNORE INTO " : "INSERT INTO ";
    if (t.AcceptKeyword("values")) {
        InsertValues(t, schema, *target, named, options.skipFailingRows, tr);
        tr.sql = verb + tr.sql;
        return tr;
    }
    tr.kind = StatementKind::InsertSelect;
    SelectTree s = p.Select(false);
    p.End();
    tr.sourceFile = s.fromFile;
    Emitter emitter(schema, s.fromFile, 0, options.sourceSchema);
    EmittedSelect sel = EmitSelect(emitter, s);
    tr.sourceFile = emitter.RunFile();
    std::vector<ColumnInfo> targets;
    for (const ColumnInfo* c : MatchInsertColumns(*target, named, sel.columns, sel.fromStar)) {
        tr.targetColumns.push_back(c->name);
        targets.push_back(*c);
    }
    tr.select = FieldRows(sel, targets, options.skipFailingRows);
    tr.sql = verb + WrittenTable(tr.target, options) + " (" + ColumnList(tr.targetColumns) + ") " + tr.select;
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

// Writes the SET list, and into `fits` the conditions its values must meet, and answers which
// source it writes: the one the first SET names (3144 when a later SET names another).
std::size_t Assignments(Emitter& emitter, const std::vector<Assignment>& sets, std::vector<std::string>& out,
                        std::vector<std::string>& fits) {
    std::size_t targetIndex = 0;
    for (std::size_t i = 0; i < sets.size(); ++i) {
        Emitted column = emitter.Emit(*sets[i].first);
        std::size_t index = 0;
        while (index < emitter.Sources().size() &&
               column.sql.rfind(QuoteName(emitter.Sources()[index].alias) + ".", 0) != 0) {
            ++index;
        }
        if (i == 0) targetIndex = index;
        else if (index != targetIndex) RaiseSql(jet::UpdateSyntax);
        Emitted value = emitter.Emit(*sets[i].second);
        FieldWrite w = WriteOf(value.sql, value, ColumnInfo{column.name, column.type, column.size});
        out.push_back(QuoteName(column.name) + " = " + w.value);
        fits.push_back(std::move(w.fits));
    }
    return targetIndex;
}

bool HasOuterJoin(const FromNode& node) {
    if (!node.table.empty()) return false;
    return node.joinType != "INNER" || HasOuterJoin(*node.left) || HasOuterJoin(*node.right);
}

// UPDATE a [INNER|LEFT|RIGHT JOIN b ON ...] SET t.x = v, ... [WHERE w]. The table the SET names
// is the target; each row the join yields for one of its rows sets that row, so with an outer
// join a row of the kept side without a match is set too, seeing the other side's columns as
// Null (`... LEFT JOIN b ... WHERE b.k Is Null` finds the unmatched rows).
//   Inner joins only: UPDATE target SET ... FROM the others WHERE the ON conditions AND w.
//   An outer join:    UPDATE target AS jet_target SET ... FROM the whole join WHERE
//                     jet_target.rowid = target.jet_rowid AND w; the join keeps its own shape, and
//                     the target's copy in it (which yields its rowid: SQLite runs a FROM with an
//                     outer join as a subquery, where a table's own rowid is out of reach) is the
//                     row being set.
// A target on the Null side of an outer join has only its matched rows set: the engine adds no
// rows through an UPDATE.
Translation UpdateStatement(TokenStream& t, const SchemaLookup& schema, const TranslateOptions& options) {
    StatementParser p(t);
    t.ExpectKeyword("update", jet::InvalidStatement);
    SelectTree holder;
    FromPtr from = p.FromItem(holder);
    if (holder.fromFile) RaiseSql(jet::UpdateSyntax);
    t.ExpectKeyword("set", jet::UpdateSyntax);
    std::vector<Assignment> sets;
    do {
        ExprPtr column = ParseExpression(t);
        if (column->kind != Expr::Kind::Binary || column->op != "=" ||
            column->args[0]->kind != Expr::Kind::Column) {
            RaiseSql(jet::UpdateSyntax);
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

    std::vector<std::string> assignments, fits;
    std::size_t targetIndex = Assignments(emitter, sets, assignments, fits);
    const Source& target = emitter.Sources()[targetIndex];
    Translation tr;
    tr.kind = StatementKind::Update;
    tr.target = target.table.name;
    const bool outer = HasOuterJoin(*from);
    std::string sql = std::string(options.skipFailingRows ? "UPDATE OR IGNORE " : "UPDATE ") +
                      (outer ? QuoteName(target.table.name) + " AS jet_target" : TableSql(target)) + " SET ";
    for (std::size_t i = 0; i < assignments.size(); ++i) sql += (i ? ", " : "") + assignments[i];
    std::vector<std::string> conditions;
    if (outer) {
        std::size_t next = 0;
        sql += " FROM " + FromSql(emitter, *from, next, targetIndex);
        conditions.push_back("jet_target.rowid = " + QuoteName(target.alias) + ".jet_rowid");
    } else {
        for (std::size_t i = 0, n = 0; i < emitter.Sources().size(); ++i) {
            if (i != targetIndex) sql += (n++ ? ", " : " FROM ") + TableSql(emitter.Sources()[i]);
        }
        for (const Expr* on : ons) conditions.push_back(emitter.Emit(*on).sql);
    }
    if (where) conditions.push_back(emitter.Emit(*where).sql);
    if (options.skipFailingRows && !AllOf(fits).empty()) conditions.push_back(AllOf(fits));
    for (std::size_t i = 0; i < conditions.size(); ++i) sql += (i ? " AND " : " WHERE ") + conditions[i];
    tr.sql = std::move(sql);
    return tr;
}

Translation DeleteStatement(TokenStream& t, const SchemaLookup& schema) {
    StatementParser p(t);
    t.ExpectKeyword("delete", jet::InvalidStatement);
    if (!t.AcceptSymbol("*") && t.IsName() && !t.IsKeyword("from")) {
        t.Next();
        if (!t.AcceptSymbol(".") && !t.AcceptSymbol("!")) RaiseSql(jet::ExpressionSyntax, t.Peek().text);
        t.ExpectSymbol("*", jet::ExpressionSyntax);
    }
    t.ExpectKeyword("from", jet::ExpressionSyntax);
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
    t.ExpectKeyword("drop", jet::InvalidStatement);
    t.ExpectKeyword("table", jet::DropSyntax);
    std::string name = t.ExpectName(jet::DropSyntax);
    t.AcceptSymbol(";");
    if (!t.AtEnd()) RaiseSql(jet::DropSyntax);  // e.g. a name with a blank written without brackets
    std::optional<TableInfo> table = schema.FindTable("", name);
    if (!table) RaiseSql(jet::TableNotFound, name);
    Translation tr;
    tr.kind = StatementKind::DropTable;
    tr.target = table->name;
    tr.sql = "DROP TABLE " + QuoteName(table->name);
    return tr;
}

}  // namespace

QueryTable TranslateStoredQuery(const std::string& jet, const SchemaLookup& schema,
                                const std::optional<std::string>& file, int depth, const std::string& tableSchema) {
    TokenStream t(Tokenize(jet));
    StatementParser p(t);
    SelectTree s = p.Select(false);
    p.End();
    Emitter emitter(schema, s.fromFile ? s.fromFile : file, depth, tableSchema);
    EmittedSelect sel = EmitSelect(emitter, s);
    QueryTable out;
    out.sql = sel.sql;
    out.file = emitter.RunFile();
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
    RaiseSql(jet::InvalidStatement);
}

}  // namespace dao::sql
