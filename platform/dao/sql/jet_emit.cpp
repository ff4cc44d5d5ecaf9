#include "platform/dao/sql/jet_emit.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "platform/win/error.h"
#include "platform/win/oledate.h"

namespace dao::sql {
namespace {

// A Jet function and how it is written in SQLite. `sqlName` is the registered name; an empty
// one means the emitter writes the call itself.
struct FunctionSpec {
    std::string_view name;
    std::string_view sqlName;
    int minArgs;
    int maxArgs;
    int resultType;  // 0: the type of the first argument
};

constexpr FunctionSpec kFunctions[] = {
    {"cdate", "jet_cdate", 1, 1, kJetDate},       {"format", "jet_format", 1, 2, kJetText},
    {"ccur", "jet_ccur", 1, 1, kJetCurrency},     {"cint", "jet_cint", 1, 1, kJetInteger},
    {"clng", "jet_clng", 1, 1, kJetLong},         {"cdbl", "jet_cdbl", 1, 1, kJetDouble},
    {"cstr", "jet_cstr", 1, 1, kJetText},         {"val", "jet_val", 1, 1, kJetDouble},
    {"iif", "", 3, 3, 0},                         {"nz", "", 1, 2, 0},
    {"mid", "jet_mid", 2, 3, kJetText},           {"left", "jet_left", 2, 2, kJetText},
    {"right", "jet_right", 2, 2, kJetText},       {"len", "jet_len", 1, 1, kJetLong},
    {"trim", "jet_trim", 1, 1, kJetText},         {"ltrim", "jet_ltrim", 1, 1, kJetText},
    {"rtrim", "jet_rtrim", 1, 1, kJetText},       {"ucase", "jet_ucase", 1, 1, kJetText},
    {"lcase", "jet_lcase", 1, 1, kJetText},       {"instr", "jet_instr", 2, 4, kJetLong},
    {"now", "jet_now", 0, 0, kJetDate},           {"date", "jet_date", 0, 0, kJetDate},
    {"time", "jet_time", 0, 0, kJetDate},         {"year", "jet_year", 1, 1, kJetInteger},
    {"month", "jet_month", 1, 1, kJetInteger},    {"day", "jet_day", 1, 1, kJetInteger},
    {"datevalue", "jet_datevalue", 1, 1, kJetDate}, {"timevalue", "jet_timevalue", 1, 1, kJetDate},
    {"dateserial", "jet_dateserial", 3, 3, kJetDate},
    {"first", "jet_first", 1, 1, 0},              {"last", "jet_last", 1, 1, 0},
    {"min", "min", 1, 1, 0},                      {"max", "max", 1, 1, 0},
    {"sum", "sum", 1, 1, 0},                      {"avg", "avg", 1, 1, kJetDouble},
    {"count", "count", 1, 1, kJetLong},           {"dlookup", "", 2, 3, 0},
};

const FunctionSpec* FindFunction(const std::string& name) {
    std::string folded = LowerAscii(name);
    for (const FunctionSpec& f : kFunctions) {
        if (folded == f.name) return &f;
    }
    return nullptr;
}

bool IsAggregate(std::string_view folded) {
    return folded == "first" || folded == "last" || folded == "min" || folded == "max" ||
           folded == "sum" || folded == "avg" || folded == "count";
}

int DefaultSize(int type) {
    switch (type) {
    case kJetBoolean: case kJetByte: return 1;
    case kJetInteger: return 2;
    case kJetLong: case kJetSingle: return 4;
    case kJetCurrency: case kJetDouble: case kJetDate: return 8;
    case kJetMemo: return 0;
    default: return 255;
    }
}

bool IsTextType(int type) { return type == kJetText || type == kJetMemo; }

Emitted Typed(std::string sql, int type, int size = -1) {
    Emitted e;
    e.sql = std::move(sql);
    e.type = type;
    e.size = size < 0 ? DefaultSize(type) : size;
    return e;
}

std::string Join(const std::vector<std::string>& parts, std::string_view sep) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += sep;
        out += parts[i];
    }
    return out;
}

// A class "[" without its "]" is a syntax error of the pattern.
void CheckLikePattern(const std::string& pattern) {
    std::size_t open = pattern.find('[');
    while (open != std::string::npos) {
        std::size_t close = pattern.find(']', open + 1);
        if (close == std::string::npos) RaiseSql(jet::ExpressionSyntax, pattern);
        open = pattern.find('[', close + 1);
    }
}

// A number literal beyond a Double's range overflows, as the runtime reads it (SQLite would read
// an infinity). One too small for a Double is 0, as it is to both.
bool LiteralOverflows(const std::string& text) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)end;
    if (ec != std::errc::result_out_of_range) return false;
    const std::size_t exponent = text.find_first_of("eE");
    return exponent == std::string::npos || exponent + 1 >= text.size() || text[exponent + 1] != '-';
}

}  // namespace

bool IsNumericType(int type) { return type >= kJetBoolean && type <= kJetDouble; }

std::string DoubleText(double value) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    std::string text(buf, ec == std::errc() ? end : buf);
    if (text.find_first_of(".eE") == std::string::npos && text.find("inf") == std::string::npos &&
        text.find("nan") == std::string::npos) {
        text += ".0";
    }
    return text;
}

double DateLiteralValue(const std::string& text) {
    // Month first: swap the first two fields of a d/m/y text and let the day-first reader do the
    // rest (separators, two-digit years, the time part).
    std::string swapped = text;
    std::size_t a = text.find_first_of("/-");
    std::size_t b = a == std::string::npos ? a : text.find_first_of("/-", a + 1);
    std::size_t lead = text.find_first_not_of(' ');
    bool yearFirst = a != std::string::npos && lead != std::string::npos && a - lead == 4;
    if (b != std::string::npos && !yearFirst) {
        swapped = text.substr(0, lead) + text.substr(a + 1, b - a - 1) + text[a] +
                  text.substr(lead, a - lead) + text.substr(b);
    }
    int year = win::SystemClock().Now().year;
    if (auto value = win::ParseDateText(swapped, year)) return *value;
    if (auto value = win::ParseDateText(text, year)) return *value;
    RaiseSql(jet::ExpressionSyntax, "#" + text + "#");
}

const Source& Emitter::AddTable(const std::string& name, const std::string& alias) {
    if (moved_) RaiseSql(jet::FromSyntax);
    std::optional<TableInfo> info = schema_.FindTable(file_.value_or(""), name);
    Source source;
    if (!info) {
        std::optional<std::string> stored = schema_.FindQuery(file_.value_or(""), name);
        // Queries naming each other in a circle would never end: a few levels are plenty.
        if (!stored || queryDepth_ >= 8) RaiseSql(jet::InputTableNotFound, name);
        QueryTable query = TranslateStoredQuery(*stored, schema_, file_, queryDepth_ + 1, TableSchema());
        const bool sameFile = query.file.has_value() == file_.has_value() && (!file_ || SameName(*query.file, *file_));
        if (!sameFile) {
            if (!sources_.empty()) RaiseSql(jet::FromSyntax);
            runFile_ = query.file;
            moved_ = true;
        }
        info = TableInfo{name, std::move(query.columns)};
        source.query = std::move(query.sql);
    }
    source.alias = alias.empty() ? info->name : alias;
    source.table = std::move(*info);
    if (!tableSchema_.empty()) source.schema = QuoteName(tableSchema_) + ".";
    sources_.push_back(std::move(source));
    return sources_.back();
}

const Source* Emitter::FindSource(const std::string& name) const {
    for (const Source& s : sources_) {
        if (SameName(s.alias, name)) return &s;
    }
    return nullptr;
}

std::vector<Emitted> Emitter::ExpandStar(const Expr& star) {
    std::vector<Emitted> out;
    for (const Source& s : sources_) {
        if (!star.table.empty() && !SameName(s.alias, star.table)) continue;
        for (const ColumnInfo& c : s.table.columns) {
            Emitted e = Typed(QuoteName(s.alias) + "." + QuoteName(c.name), c.type, c.size);
            e.name = c.name;
            e.column = true;
            out.push_back(std::move(e));
        }
    }
    if (out.empty() && !star.table.empty() && !FindSource(star.table)) RaiseSql(jet::InputTableNotFound, star.table);
    return out;
}

Emitted Emitter::Column(const Expr& e) {
    auto fromSource = [&](const Source& s) -> std::optional<Emitted> {
        for (const ColumnInfo& c : s.table.columns) {
            if (!SameName(c.name, e.text)) continue;
            Emitted out = Typed(QuoteName(s.alias) + "." + QuoteName(c.name), c.type, c.size);
            out.name = c.name;
            out.column = true;
            return out;
        }
        return std::nullopt;
    };
    if (!e.table.empty()) {
        const Source* s = FindSource(e.table);
        if (s) {
            if (auto out = fromSource(*s)) return *out;
        }
        RaiseSql(jet::TooFewParameters);
    }
    for (const Source& s : sources_) {
        if (auto out = fromSource(s)) return *out;
    }
    for (const auto& [name, type] : outputs_) {
        if (SameName(name, e.text)) {
            Emitted out = Typed(QuoteName(name), type);
            out.name = name;
            return out;
        }
    }
    RaiseSql(jet::TooFewParameters);
}

Emitted Emitter::Literal(const Expr& e) {
    switch (e.kind) {
    case Expr::Kind::Number: {
        if (LiteralOverflows(e.text)) win::Raise(win::err::Overflow);
        bool whole = e.text.find_first_of(".eE") == std::string::npos && e.text.size() < 10;
        return Typed(e.text, whole ? kJetLong : kJetDouble);
    }
    case Expr::Kind::String: return Typed(QuoteText(e.text), kJetText);
    case Expr::Kind::Date: return Typed(DoubleText(DateLiteralValue(e.text)), kJetDate);
    case Expr::Kind::Boolean: return Typed(EqualsAscii(e.text, "true") ? "-1" : "0", kJetBoolean);
    default: return Typed("NULL", 0, 0);
    }
}

Emitted Emitter::Emit(const Expr& e) {
    using K = Expr::Kind;
    switch (e.kind) {
    case K::Number: case K::String: case K::Date: case K::Boolean: case K::Null: return Literal(e);
    case K::Column: return Column(e);
    case K::Star: RaiseSql(jet::ExpressionSyntax, "*");
    case K::CountStar: {
        Emitted out = Typed("count(*)", kJetLong);
        out.name = "Expr" + std::to_string(exprCounter_++);
        return out;
    }
    case K::Unary: {
        Emitted a = Emit(*e.args[0]);
        if (e.op == "NOT") return Typed("(NOT " + a.sql + ")", kJetBoolean);
        return Typed("(-" + a.sql + ")", a.type);
    }
    case K::Binary: return Binary(e);
    case K::Like: {
        Emitted a = Emit(*e.args[0]), p = Emit(*e.args[1]);
        if (e.args[1]->kind == Expr::Kind::String) CheckLikePattern(e.args[1]->text);
        std::string sql = "jet_like(" + a.sql + ", " + p.sql + ")";
        return Typed(e.negated ? "(NOT " + sql + ")" : sql, kJetBoolean);
    }
    case K::IsNull: {
        Emitted a = Emit(*e.args[0]);
        return Typed("(" + a.sql + (e.negated ? " IS NOT NULL)" : " IS NULL)"), kJetBoolean);
    }
    case K::In: case K::Between: {
        Emitted a = Emit(*e.args[0]);
        std::vector<std::string> rest;
        for (std::size_t i = 1; i < e.args.size(); ++i) {
            Emitted b = Emit(*e.args[i]);
            rest.push_back(a.type == kJetDate && IsTextType(b.type) ? "jet_as_date(" + b.sql + ")" : b.sql);
        }
        std::string neg = e.negated ? " NOT" : "";
        if (e.kind == K::In) return Typed("(" + a.sql + neg + " IN (" + Join(rest, ", ") + "))", kJetBoolean);
        return Typed("(" + a.sql + neg + " BETWEEN " + rest[0] + " AND " + rest[1] + ")", kJetBoolean);
    }
    case K::Call: return Call(e);
    }
    RaiseSql(jet::ExpressionSyntax);
}

Emitted Emitter::Comparison(const std::string& op, Emitted a, Emitted b) {
    // "<> Null" is how the system's statements test that a value is present.
    if (op == "<>" && (b.sql == "NULL" || a.sql == "NULL")) {
        return Typed("(" + (b.sql == "NULL" ? a.sql : b.sql) + " IS NOT NULL)", kJetBoolean);
    }
    // A date compared with a text compares as dates (the text read day first).
    if (a.type == kJetDate && (IsTextType(b.type) || b.type == 0)) b.sql = "jet_as_date(" + b.sql + ")";
    if (b.type == kJetDate && (IsTextType(a.type) || a.type == 0)) a.sql = "jet_as_date(" + a.sql + ")";
    // Texts compare as the engine compares them; a column brings that collation itself, two
    // computed texts would otherwise compare byte for byte.
    if ((IsTextType(a.type) || IsTextType(b.type)) && !a.column && !b.column) b.sql += std::string(" COLLATE ") + kJetTextCollation;
    return Typed("(" + a.sql + " " + op + " " + b.sql + ")", kJetBoolean);
}

Emitted Emitter::Binary(const Expr& e) {
    const std::string& op = e.op;
    Emitted a = Emit(*e.args[0]);
    Emitted b = Emit(*e.args[1]);
    if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") {
        return Comparison(op, std::move(a), std::move(b));
    }
    if (op == "AND" || op == "OR") return Typed("(" + a.sql + " " + op + " " + b.sql + ")", kJetBoolean);
    if (op == "XOR") return Typed("((" + a.sql + ") <> 0) <> ((" + b.sql + ") <> 0)", kJetBoolean);
    if (op == "&") {
        // A date joins as the text the runtime writes for it, not as its day count.
        if (a.type == kJetDate) a.sql = "jet_cstr(" + a.sql + ", 1)";
        if (b.type == kJetDate) b.sql = "jet_cstr(" + b.sql + ", 1)";
        return Typed("jet_concat(" + a.sql + ", " + b.sql + ")", kJetText);
    }
    bool numeric = (IsNumericType(a.type) || a.type == kJetDate) && (IsNumericType(b.type) || b.type == kJetDate);
    int type = a.type == kJetDate || b.type == kJetDate ? kJetDate
               : a.type == kJetDouble || b.type == kJetDouble ? kJetDouble
               : std::max(a.type, b.type);
    if (op == "+" && !numeric) {
        return Typed("jet_add(" + a.sql + ", " + b.sql + ")", IsTextType(a.type) && IsTextType(b.type) ? kJetText : type);
    }
    if (op == "+" || op == "-" || op == "*") return Arithmetic(op, a, b, numeric ? type : kJetDouble);
    if (op == "/") return Typed("jet_div(" + a.sql + ", " + b.sql + ")", kJetDouble);
    if (op == "\\") return Typed("jet_intdiv(" + a.sql + ", " + b.sql + ")", kJetLong);
    if (op == "MOD") return Typed("jet_mod(" + a.sql + ", " + b.sql + ")", kJetLong);
    return Typed("jet_pow(" + a.sql + ", " + b.sql + ")", kJetDouble);
}

// SQLite's +, - and *: whole numbers (Boolean to Long) cannot leave a Double's range; any other
// operands can, and each such result is checked where it is made (SQLite turns an infinity times
// zero into Null, so a check of the whole chain alone would miss the overflow).
Emitted Emitter::Arithmetic(const std::string& op, const Emitted& a, const Emitted& b, int type) {
    const auto whole = [](int t) { return t >= kJetBoolean && t <= kJetLong; };
    std::string sql = "(" + a.sql + " " + op + " " + b.sql + ")";
    if (whole(a.type) && whole(b.type)) return Typed(std::move(sql), type);
    return Typed("jet_finite" + sql, type);
}

Emitted Emitter::Call(const Expr& e) {
    const FunctionSpec* spec = FindFunction(e.text);
    if (!spec) RaiseSql(jet::UndefinedFunction, e.text);
    int n = static_cast<int>(e.args.size());
    if (n < spec->minArgs || n > spec->maxArgs) {
        RaiseSql(jet::ExpressionSyntax, std::string(e.text) + "(" + std::to_string(n) + " arguments)");
    }
    if (spec->name == "dlookup") return DomainLookup(e);
    std::vector<Emitted> args;
    for (const ExprPtr& arg : e.args) args.push_back(Emit(*arg));
    Emitted out;
    if (spec->name == "iif") {
        out = Typed("(CASE WHEN " + args[0].sql + " THEN " + args[1].sql + " ELSE " + args[2].sql + " END)",
                    args[1].type ? args[1].type : args[2].type);
    } else if (spec->name == "nz") {
        std::string fallback = n == 2 ? args[1].sql : IsTextType(args[0].type) ? "''" : "0";
        out = Typed("coalesce(" + args[0].sql + ", " + fallback + ")", args[0].type);
    } else {
        std::vector<std::string> sqls;
        for (const Emitted& a : args) sqls.push_back(a.sql);
        // Format and CStr need to know a date from a number: SQLite stores both as REAL.
        if (spec->name == "format" || spec->name == "cstr") {
            if (n == 1 && spec->name == "format") sqls.push_back("''");
            sqls.push_back(args[0].type == kJetDate ? "1" : "0");
        }
        int type = spec->resultType ? spec->resultType : (args.empty() ? 0 : args[0].type);
        int size = spec->resultType || args.empty() ? -1 : args[0].size;
        out = Typed(std::string(spec->sqlName) + "(" + Join(sqls, ", ") + ")", type, size);
    }
    if (IsAggregate(spec->name) && !e.args.empty() && e.args[0]->kind == Expr::Kind::Column) {
        std::string fn(e.text);
        fn = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(fn[0])))) +
             LowerAscii(fn.substr(1));
        out.name = fn + "Of" + args[0].name;
    } else {
        out.name = "Expr" + std::to_string(exprCounter_++);
    }
    return out;
}

// DLookUp("expr", "domain", "criteria"): a scalar subquery over the domain table. The three
// texts are Jet SQL themselves and must be literals: a computed domain cannot be translated.
Emitted Emitter::DomainLookup(const Expr& e) {
    for (const ExprPtr& arg : e.args) {
        if (arg->kind != Expr::Kind::String) RaiseSql(jet::ExpressionSyntax, "DLookUp");
    }
    TokenStream domainTokens(Tokenize(e.args[1]->text));
    std::string domain = domainTokens.ExpectName(jet::ExpressionSyntax);
    if (!domainTokens.AtEnd()) RaiseSql(jet::ExpressionSyntax, e.args[1]->text);

    Emitter inner(schema_, file_, 0, TableSchema());
    const Source& source = inner.AddTable(domain, "");
    auto parse = [](const std::string& text) {
        TokenStream tokens(Tokenize(text));
        ExprPtr expr = ParseExpression(tokens);
        if (!tokens.AtEnd()) RaiseSql(jet::ExpressionSyntax, text);
        return expr;
    };
    Emitted value = inner.Emit(*parse(e.args[0]->text));
    // The domain is a table, or a stored query's rows.
    const std::string domainRows = source.query.empty() ? source.schema + QuoteName(source.table.name) : "(" + source.query + ")";
    std::string sql = "(SELECT " + value.sql + " FROM " + domainRows + " AS " + QuoteName(source.alias);
    if (e.args.size() == 3) sql += " WHERE " + inner.Emit(*parse(e.args[2]->text)).sql;
    sql += " LIMIT 1)";
    Emitted out = Typed(sql, value.type, value.size);
    out.name = "Expr" + std::to_string(exprCounter_++);
    return out;
}

}  // namespace dao::sql
