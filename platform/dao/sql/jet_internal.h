// Pieces shared by the translator's files: tokens, the expression tree, the engine's errors.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/collation.h"
#include "platform/dao/statement.h"

namespace dao::sql {

enum class TokenKind {
    Word,       // a bare name or keyword: SELECT, Produto, CDate
    Bracketed,  // [Itens Venda]: `text` is the name without brackets
    String,     // 'x' or "x": `text` is the value with doubled quotes undone
    Number,     // 12, 1.5, 1E3
    Date,       // #01/10/2002#: `text` is what stands between the #
    Symbol,     // ( ) , . ! ; * + - / \ & ^ = <> < > <= >=
    End,
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    std::size_t offset = 0;  // byte offset in the statement, for messages
};

// Splits a statement into tokens. Raises 3075 for an unclosed quote, bracket or date literal and
// for a character the language does not use.
std::vector<Token> Tokenize(std::string_view text);

// Names compare as the engine compares them (collation.h): case-insensitive, accented capitals
// included, accents counting. `FoldName` gives the key two equal names share.
inline std::string FoldName(std::string_view name) { return JetFold(name); }
inline bool SameName(std::string_view a, std::string_view b) { return JetNamesEqual(a, b); }
// Keywords and function names are ASCII: compared without regard to ASCII case.
bool EqualsAscii(std::string_view a, std::string_view b);
std::string LowerAscii(std::string_view text);

// Raises the engine's error `number` with its English text; `detail` fills the quoted part. The
// numbers of SQL syntax and names have their texts here; the others come from errors.h.
[[noreturn]] void RaiseSql(long number, std::string_view detail = {});

// The expression tree the parser builds and the emitter turns into SQLite text.
struct Expr {
    enum class Kind {
        Number, String, Date, Null, Boolean,  // literals (`text` holds the literal)
        Column,      // [table.]column: `table` may be empty
        Star,        // [table.]*
        Unary,       // `op`: "-", "NOT"
        Binary,      // `op`: OR AND XOR = <> < > <= >= & + - * / \ MOD ^
        Like,        // args: value, pattern; `negated`
        IsNull,      // args: value; `negated` for Is Not Null
        In,          // args: value, list...; `negated`
        Between,     // args: value, low, high; `negated`
        Call,        // `text`: function name as written; args
        CountStar,   // Count(*)
    };
    Kind kind = Kind::Null;
    std::string text;
    std::string op;
    std::string table;
    bool negated = false;
    std::vector<std::unique_ptr<Expr>> args;
};
using ExprPtr = std::unique_ptr<Expr>;

// A cursor over the tokens of one statement, with the keyword tests the parsers share.
class TokenStream {
public:
    explicit TokenStream(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    const Token& Peek(std::size_t ahead = 0) const;
    const Token& Next();
    bool AtEnd() const { return Peek().kind == TokenKind::End; }
    // Whether the next token is the keyword (a bare word, any case) / the symbol.
    bool IsKeyword(std::string_view word, std::size_t ahead = 0) const;
    bool IsSymbol(std::string_view symbol, std::size_t ahead = 0) const;
    bool AcceptKeyword(std::string_view word);
    bool AcceptSymbol(std::string_view symbol);
    void ExpectKeyword(std::string_view word, long error);
    void ExpectSymbol(std::string_view symbol, long error);
    // A table, column or alias name: a bare word that is not reserved, or a bracketed name.
    bool IsName(std::size_t ahead = 0) const;
    std::string ExpectName(long error);

private:
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
};

// Whether a bare word is reserved (it ends an expression or a name list).
bool IsReservedWord(std::string_view word);

// Parses one expression at the stream's position. Raises 3075 on a syntax error; nests at most
// a few hundred levels deep (deeper raises 3075 too).
ExprPtr ParseExpression(TokenStream& tokens);

}  // namespace dao::sql
