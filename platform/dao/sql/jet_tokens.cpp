// The tokenizer and the expression parser of the Jet SQL translator.
//
// Precedence, lowest first, as the engine's expression service binds:
//   OR, XOR, AND, NOT, comparisons (= <> < > <= >= Like Is In Between), &, + -, MOD, \, * /,
//   unary -, ^.
// `IN` is the membership operator only before "("; before a quoted path it is the file clause and
// ends the expression (FROM a LEFT JOIN b ON a.x = b.x IN 'file').
#include <array>
#include <cctype>
#include <string>

#include "platform/dao/sql/jet_internal.h"
#include "platform/dao/errors.h"
#include "platform/win/error.h"

namespace dao::sql {
namespace {

constexpr int kMaxDepth = 200;

bool IsWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IsWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80 || c == '$' || c == '%'; }

std::size_t ReadQuoted(std::string_view text, std::size_t i, char quote, std::string& out) {
    for (++i; i < text.size(); ++i) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                out += quote;
                ++i;
                continue;
            }
            return i + 1;
        }
        out += text[i];
    }
    RaiseSql(jet::ExpressionSyntax, text);
}

std::size_t ReadNumber(std::string_view text, std::size_t i, std::string& out) {
    std::size_t start = i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            i = j;
            while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        }
    }
    out.assign(text.substr(start, i - start));
    return i;
}

std::size_t ReadSymbol(std::string_view text, std::size_t i, std::string& out) {
    static constexpr std::string_view kTwo[] = {"<>", "<=", ">=", "!=", "=<", "=>"};
    for (std::string_view two : kTwo) {
        if (text.substr(i, 2) == two) {
            out = two == "=<" ? "<=" : two == "=>" ? ">=" : two == "!=" ? "<>" : std::string(two);
            return i + 2;
        }
    }
    static constexpr std::string_view kOne = "(),.!;*+-/\\&^=<>";
    if (kOne.find(text[i]) == std::string_view::npos) RaiseSql(jet::ExpressionSyntax, text);
    out.assign(1, text[i]);
    return i + 1;
}

}  // namespace

std::vector<Token> Tokenize(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            ++i;
            continue;
        }
        Token token;
        token.offset = i;
        if (c == '\'' || c == '"') {
            token.kind = TokenKind::String;
            i = ReadQuoted(text, i, static_cast<char>(c), token.text);
        } else if (c == '[') {
            std::size_t close = text.find(']', i + 1);
            if (close == std::string_view::npos || close == i + 1) RaiseSql(jet::ExpressionSyntax, text);
            token.kind = TokenKind::Bracketed;
            token.text.assign(text.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == '#') {
            std::size_t close = text.find('#', i + 1);
            if (close == std::string_view::npos) RaiseSql(jet::ExpressionSyntax, text);
            token.kind = TokenKind::Date;
            token.text.assign(text.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (std::isdigit(c) || (c == '.' && i + 1 < text.size() &&
                                        std::isdigit(static_cast<unsigned char>(text[i + 1])))) {
            token.kind = TokenKind::Number;
            i = ReadNumber(text, i, token.text);
        } else if (IsWordStart(c)) {
            std::size_t start = i;
            while (i < text.size() && IsWordChar(static_cast<unsigned char>(text[i]))) ++i;
            token.kind = TokenKind::Word;
            token.text.assign(text.substr(start, i - start));
        } else {
            token.kind = TokenKind::Symbol;
            i = ReadSymbol(text, i, token.text);
        }
        tokens.push_back(std::move(token));
    }
    Token end;
    end.offset = text.size();
    tokens.push_back(end);
    return tokens;
}

// ---- names ---------------------------------------------------------------------------------

bool EqualsAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

[[noreturn]] void RaiseSql(long number, std::string_view detail) {
    std::string d(detail);
    std::string text;
    switch (number) {
    case jet::CannotExecuteSelect: text = "Cannot execute a select query."; break;
    case jet::TooFewParameters: text = "Too few parameters. Expected 1."; break;
    case jet::ExpressionSyntax: text = "Syntax error (missing operator) in query expression '" + d + "'."; break;
    case jet::InputTableNotFound: text = "The database engine cannot find the input table or query '" + d +
                      "'. Make sure it exists and that its name is spelled correctly.";
        break;
    case jet::UndefinedFunction: text = "Undefined function '" + d + "' in expression."; break;
    case jet::InsertUnknownField: text = "The INSERT INTO statement contains the following unknown field name: '" + d +
                      "'. Make sure you have typed the name correctly, and try the operation again.";
        break;
    case jet::InvalidStatement: text = "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'."; break;
    case jet::FromSyntax: text = "Syntax error in FROM clause."; break;
    case jet::InsertSyntax: text = "Syntax error in INSERT INTO statement."; break;
    case jet::UpdateSyntax: text = "Syntax error in UPDATE statement."; break;
    case jet::OutputTableNotFound: text = "Could not find output table '" + d + "'."; break;
    case jet::DropSyntax: text = "Syntax error in DROP TABLE or DROP INDEX."; break;
    case jet::ValueCountMismatch: text = "Number of query values and destination fields are not the same."; break;
    case jet::TableNotFound: text = "Table '" + d + "' does not exist."; break;
    default: dao::RaiseJet(number, detail);
    }
    throw win::RuntimeError(number, text, "DAO.Database");
}

// ---- token stream --------------------------------------------------------------------------

bool IsReservedWord(std::string_view word) {
    static constexpr std::array<std::string_view, 34> kReserved = {
        "select", "from", "where", "group", "by", "having", "order", "into", "in", "and", "or",
        "not", "xor", "like", "is", "between", "as", "on", "inner", "left", "right", "outer",
        "join", "set", "update", "delete", "insert", "values", "distinct", "distinctrow", "top",
        "asc", "desc", "mod"};
    for (std::string_view r : kReserved) {
        if (EqualsAscii(word, r)) return true;
    }
    return false;
}

const Token& TokenStream::Peek(std::size_t ahead) const {
    std::size_t at = pos_ + ahead;
    return at < tokens_.size() ? tokens_[at] : tokens_.back();
}

const Token& TokenStream::Next() {
    const Token& token = Peek();
    if (pos_ + 1 < tokens_.size()) ++pos_;
    return token;
}

bool TokenStream::IsKeyword(std::string_view word, std::size_t ahead) const {
    const Token& t = Peek(ahead);
    return t.kind == TokenKind::Word && EqualsAscii(t.text, word);
}

bool TokenStream::IsSymbol(std::string_view symbol, std::size_t ahead) const {
    const Token& t = Peek(ahead);
    return t.kind == TokenKind::Symbol && t.text == symbol;
}

bool TokenStream::AcceptKeyword(std::string_view word) {
    if (!IsKeyword(word)) return false;
    Next();
    return true;
}

bool TokenStream::AcceptSymbol(std::string_view symbol) {
    if (!IsSymbol(symbol)) return false;
    Next();
    return true;
}

void TokenStream::ExpectKeyword(std::string_view word, long error) {
    if (!AcceptKeyword(word)) RaiseSql(error, Peek().text);
}

void TokenStream::ExpectSymbol(std::string_view symbol, long error) {
    if (!AcceptSymbol(symbol)) RaiseSql(error, Peek().text);
}

bool TokenStream::IsName(std::size_t ahead) const {
    const Token& t = Peek(ahead);
    return t.kind == TokenKind::Bracketed || (t.kind == TokenKind::Word && !IsReservedWord(t.text));
}

std::string TokenStream::ExpectName(long error) {
    if (!IsName()) RaiseSql(error, Peek().text);
    return Next().text;
}

// ---- expressions ---------------------------------------------------------------------------

namespace {

class ExprParser {
public:
    explicit ExprParser(TokenStream& tokens) : t_(tokens) {}

    ExprPtr Parse() { return Or(); }

private:
    struct DepthGuard {
        explicit DepthGuard(int& depth) : depth_(depth) {
            if (++depth_ > kMaxDepth) RaiseSql(jet::ExpressionSyntax, "expression nested too deeply");
        }
        ~DepthGuard() { --depth_; }
        int& depth_;
    };

    static ExprPtr Make(Expr::Kind kind) {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        return e;
    }
    static ExprPtr Binary(std::string op, ExprPtr a, ExprPtr b) {
        auto e = Make(Expr::Kind::Binary);
        e->op = std::move(op);
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        return e;
    }
    [[noreturn]] void Fail() const { RaiseSql(jet::ExpressionSyntax, t_.Peek().text); }

    ExprPtr Or() {
        DepthGuard guard(depth_);
        ExprPtr left = Xor();
        while (t_.AcceptKeyword("or")) left = Binary("OR", std::move(left), Xor());
        return left;
    }
    ExprPtr Xor() {
        ExprPtr left = And();
        while (t_.AcceptKeyword("xor")) left = Binary("XOR", std::move(left), And());
        return left;
    }
    ExprPtr And() {
        ExprPtr left = Not();
        while (t_.AcceptKeyword("and")) left = Binary("AND", std::move(left), Not());
        return left;
    }
    ExprPtr Not() {
        DepthGuard guard(depth_);
        if (!t_.AcceptKeyword("not")) return Comparison();
        auto e = Make(Expr::Kind::Unary);
        e->op = "NOT";
        e->args.push_back(Not());
        return e;
    }
    ExprPtr Comparison() {
        ExprPtr left = Concat();
        for (;;) {
            if (ExprPtr next = ComparisonTail(left)) {
                left = std::move(next);
                continue;
            }
            return left;
        }
    }
    // One comparison after `left`, or nothing when the next token starts none.
    ExprPtr ComparisonTail(ExprPtr& left) {
        static constexpr std::string_view kOps[] = {"=", "<>", "<", ">", "<=", ">="};
        for (std::string_view op : kOps) {
            if (t_.AcceptSymbol(op)) return Binary(std::string(op), std::move(left), Concat());
        }
        bool negated = t_.IsKeyword("not") &&
                       (t_.IsKeyword("like", 1) || t_.IsKeyword("between", 1) ||
                        (t_.IsKeyword("in", 1) && t_.IsSymbol("(", 2)));
        if (negated) t_.Next();
        if (t_.AcceptKeyword("like")) return Wrap(Expr::Kind::Like, negated, std::move(left), Concat());
        if (t_.IsKeyword("in") && t_.IsSymbol("(", 1)) {
            t_.Next();
            t_.Next();
            ExprPtr e = Wrap(Expr::Kind::In, negated, std::move(left), Or());
            while (t_.AcceptSymbol(",")) e->args.push_back(Or());
            t_.ExpectSymbol(")", jet::ExpressionSyntax);
            return e;
        }
        if (t_.AcceptKeyword("between")) {
            ExprPtr e = Wrap(Expr::Kind::Between, negated, std::move(left), Concat());
            t_.ExpectKeyword("and", jet::ExpressionSyntax);
            e->args.push_back(Concat());
            return e;
        }
        if (negated) Fail();
        if (t_.AcceptKeyword("is")) {
            bool isNot = t_.AcceptKeyword("not");
            t_.ExpectKeyword("null", jet::ExpressionSyntax);
            auto e = Make(Expr::Kind::IsNull);
            e->negated = isNot;
            e->args.push_back(std::move(left));
            return e;
        }
        return nullptr;
    }
    static ExprPtr Wrap(Expr::Kind kind, bool negated, ExprPtr a, ExprPtr b) {
        auto e = Make(kind);
        e->negated = negated;
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        return e;
    }
    ExprPtr Concat() {
        ExprPtr left = Additive();
        while (t_.AcceptSymbol("&")) left = Binary("&", std::move(left), Additive());
        return left;
    }
    ExprPtr Additive() {
        ExprPtr left = Modulo();
        for (;;) {
            if (t_.AcceptSymbol("+")) left = Binary("+", std::move(left), Modulo());
            else if (t_.AcceptSymbol("-")) left = Binary("-", std::move(left), Modulo());
            else return left;
        }
    }
    ExprPtr Modulo() {
        ExprPtr left = IntDiv();
        while (t_.AcceptKeyword("mod")) left = Binary("MOD", std::move(left), IntDiv());
        return left;
    }
    ExprPtr IntDiv() {
        ExprPtr left = Multiplicative();
        while (t_.AcceptSymbol("\\")) left = Binary("\\", std::move(left), Multiplicative());
        return left;
    }
    ExprPtr Multiplicative() {
        ExprPtr left = Unary();
        for (;;) {
            if (t_.AcceptSymbol("*")) left = Binary("*", std::move(left), Unary());
            else if (t_.AcceptSymbol("/")) left = Binary("/", std::move(left), Unary());
            else return left;
        }
    }
    // Signs in front of what `operand` reads.
    ExprPtr Signed(ExprPtr (ExprParser::*operand)()) {
        DepthGuard guard(depth_);
        if (t_.AcceptSymbol("-")) {
            auto e = Make(Expr::Kind::Unary);
            e->op = "-";
            e->args.push_back(Signed(operand));
            return e;
        }
        if (t_.AcceptSymbol("+")) return Signed(operand);
        return (this->*operand)();
    }
    ExprPtr Unary() { return Signed(&ExprParser::Power); }
    // An exponent may carry its sign: 2 ^ -1 is a half.
    ExprPtr Power() {
        ExprPtr left = Primary();
        while (t_.AcceptSymbol("^")) left = Binary("^", std::move(left), Signed(&ExprParser::Primary));
        return left;
    }
    ExprPtr Primary();
    ExprPtr NameOrCall();
    ExprPtr Literal(Expr::Kind kind) {
        auto e = Make(kind);
        e->text = t_.Next().text;
        return e;
    }

    TokenStream& t_;
    int depth_ = 0;
};

ExprPtr ExprParser::Primary() {
    DepthGuard guard(depth_);
    const Token& tok = t_.Peek();
    switch (tok.kind) {
    case TokenKind::Number: return Literal(Expr::Kind::Number);
    case TokenKind::String: return Literal(Expr::Kind::String);
    case TokenKind::Date: return Literal(Expr::Kind::Date);
    case TokenKind::Bracketed: return NameOrCall();
    case TokenKind::Word:
        if (t_.IsKeyword("null")) return Literal(Expr::Kind::Null);
        if (t_.IsKeyword("true") || t_.IsKeyword("false")) return Literal(Expr::Kind::Boolean);
        // Left( and Right( are the functions; elsewhere the words are join keywords.
        if (IsReservedWord(tok.text) && !((t_.IsKeyword("left") || t_.IsKeyword("right")) && t_.IsSymbol("(", 1))) {
            Fail();
        }
        return NameOrCall();
    case TokenKind::Symbol:
        if (t_.AcceptSymbol("(")) {
            ExprPtr inner = Or();
            t_.ExpectSymbol(")", jet::ExpressionSyntax);
            return inner;
        }
        if (t_.IsSymbol("*")) {
            t_.Next();
            return Make(Expr::Kind::Star);
        }
        Fail();
    case TokenKind::End: break;
    }
    Fail();
}

// name | name(args) | name.name | name!name | name.* (a bracketed name is never a function).
ExprPtr ExprParser::NameOrCall() {
    bool bare = t_.Peek().kind == TokenKind::Word;
    std::string first = t_.Next().text;
    if (bare && t_.IsSymbol("(")) {
        t_.Next();
        if (EqualsAscii(first, "count") && t_.IsSymbol("*") && t_.IsSymbol(")", 1)) {
            t_.Next();
            t_.Next();
            return Make(Expr::Kind::CountStar);
        }
        auto call = Make(Expr::Kind::Call);
        call->text = first;
        if (!t_.AcceptSymbol(")")) {
            do call->args.push_back(Or());
            while (t_.AcceptSymbol(","));
            t_.ExpectSymbol(")", jet::ExpressionSyntax);
        }
        return call;
    }
    if (t_.IsSymbol(".") || t_.IsSymbol("!")) {
        t_.Next();
        if (t_.AcceptSymbol("*")) {
            auto star = Make(Expr::Kind::Star);
            star->table = first;
            return star;
        }
        if (t_.Peek().kind != TokenKind::Word && t_.Peek().kind != TokenKind::Bracketed) Fail();
        auto column = Make(Expr::Kind::Column);
        column->table = first;
        column->text = t_.Next().text;
        return column;
    }
    auto column = Make(Expr::Kind::Column);
    column->text = first;
    return column;
}

}  // namespace

ExprPtr ParseExpression(TokenStream& tokens) {
    ExprParser parser(tokens);
    return parser.Parse();
}

}  // namespace dao::sql
