#include "report/reports/criterion_text.h"

#include <optional>

#include "platform/forms/strings.h"
#include "platform/win/cp1252.h"
#include "report/core/jet_literals.h"

namespace report::reports {

namespace {

bool IsWordByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '!' || c == '$' || c >= 0x80;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The end of a piece opened by `open` at `at` and closed by `close`; a doubled closing quote
// inside a quoted text belongs to the text.
std::size_t ClosingEnd(std::string_view sql, std::size_t at, char close, bool doubledEscapes) {
    std::size_t i = at + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (doubledEscapes && i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

bool IsWord(std::string_view sql, const SqlPiece& piece, std::string_view word) {
    return piece.kind == SqlPiece::Kind::Word && win::EqualsIgnoringCase(sql.substr(piece.begin, piece.end - piece.begin), word);
}

// The first top-level `first` `second` pair ("GROUP" "BY"); its offset.
std::optional<std::size_t> FindClause(std::string_view sql, const std::vector<SqlPiece>& pieces, std::string_view first) {
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        if (pieces[i].depth == 0 && IsWord(sql, pieces[i], first) && IsWord(sql, pieces[i + 1], "BY")) {
            return pieces[i].begin;
        }
    }
    return std::nullopt;
}

// The end of the first top-level WHERE before `before`.
std::optional<std::size_t> TopLevelWhereEnd(std::string_view sql, const std::vector<SqlPiece>& pieces, std::size_t before) {
    for (const SqlPiece& piece : pieces) {
        if (piece.begin >= before) break;
        if (piece.depth == 0 && IsWord(sql, piece, "WHERE")) return piece.end;
    }
    return std::nullopt;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// The condition of a criterion that begins with the word Where; nothing for any other text.
std::optional<std::string_view> ConditionOf(std::string_view criterion) {
    const std::vector<SqlPiece> pieces = ScanSql(criterion);
    if (pieces.empty() || !IsWord(criterion, pieces.front(), "WHERE")) return std::nullopt;
    return TrimBlanks(criterion.substr(pieces.front().end));
}

// Whether `text` is one parenthesised group, "(...)" as a whole.
bool IsOneGroup(std::string_view text) {
    const std::vector<SqlPiece> pieces = ScanSql(text);
    if (pieces.size() < 2 || pieces.front().kind != SqlPiece::Kind::Open || pieces.back().kind != SqlPiece::Kind::Close) {
        return false;
    }
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        if (pieces[i].depth == 0) return false;
    }
    return true;
}

std::string Grouped(std::string_view text) {
    return IsOneGroup(text) ? std::string(text) : "(" + std::string(text) + ")";
}

// `head` (which ends before the merge point) with the criterion inserted: a head with a top-level
// WHERE of its own keeps one WHERE, its condition and the criterion's each in parentheses.
std::string MergedHead(std::string_view sql, const std::vector<SqlPiece>& pieces, std::size_t at,
                       std::string_view criterion) {
    const std::string_view head = sql.substr(0, at);
    const std::optional<std::size_t> whereEnd = TopLevelWhereEnd(sql, pieces, at);
    const std::optional<std::string_view> condition = ConditionOf(criterion);
    if (!whereEnd || !condition) return std::string(head) + std::string(criterion);
    if (condition->empty()) return std::string(head);
    const std::string_view own = TrimBlanks(sql.substr(*whereEnd, at - *whereEnd));
    return std::string(sql.substr(0, *whereEnd)) + " " + Grouped(own) + " And " + Grouped(*condition);
}

bool EndsWithBackup(std::string_view text) {
    constexpr std::string_view kFile = "\\BACKUP.MDB";
    return text.size() >= kFile.size() && win::EqualsIgnoringCase(text.substr(text.size() - kFile.size()), kFile);
}

}  // namespace

std::vector<SqlPiece> ScanSql(std::string_view sql) {
    std::vector<SqlPiece> pieces;
    int depth = 0;
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        SqlPiece piece{SqlPiece::Kind::Other, i, i + 1, depth};
        if (c == '\'' || c == '"') {
            piece.kind = SqlPiece::Kind::Quoted;
            piece.end = ClosingEnd(sql, i, c, true);
        } else if (c == '[') {
            piece.kind = SqlPiece::Kind::Bracketed;
            piece.end = ClosingEnd(sql, i, ']', false);
        } else if (c == '#') {
            piece.kind = SqlPiece::Kind::Date;
            piece.end = ClosingEnd(sql, i, '#', false);
        } else if (c == '(') {
            piece.kind = SqlPiece::Kind::Open;
            ++depth;
        } else if (c == ')') {
            piece.kind = SqlPiece::Kind::Close;
            if (depth > 0) --depth;
            piece.depth = depth;
        } else if (c == ';') {
            piece.kind = SqlPiece::Kind::Semicolon;
        } else if (IsWordByte(static_cast<unsigned char>(c))) {
            piece.kind = SqlPiece::Kind::Word;
            std::size_t end = i;
            while (end < sql.size() && IsWordByte(static_cast<unsigned char>(sql[end]))) ++end;
            piece.end = end;
        }
        pieces.push_back(piece);
        i = piece.end;
    }
    return pieces;
}

std::string RunQueryName(std::string_view consulta) { return "Relato" + forms::Right(consulta, 3); }

std::string MergeCriterion(std::string_view storedSql, std::string_view criterion) {
    const std::vector<SqlPiece> pieces = ScanSql(storedSql);
    std::optional<std::size_t> at = FindClause(storedSql, pieces, "GROUP");
    if (!at) at = FindClause(storedSql, pieces, "ORDER");
    const bool keepsTail = at.has_value();
    if (!at) {
        at = storedSql.size();
        for (const SqlPiece& piece : pieces) {
            if (piece.depth == 0 && piece.kind == SqlPiece::Kind::Semicolon) {
                at = piece.begin;
                break;
            }
        }
    }
    std::string merged = MergedHead(storedSql, pieces, *at, criterion);
    if (keepsTail) merged += " " + std::string(storedSql.substr(*at));
    return merged;
}

std::string RedirectBackup(std::string_view sql, std::string_view programFolder) {
    std::string_view folder = programFolder;
    if (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
    const std::vector<SqlPiece> pieces = ScanSql(sql);
    std::string result;
    std::size_t copied = 0;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        const SqlPiece& target = pieces[i + 1];
        if (!IsWord(sql, pieces[i], "IN") || target.kind != SqlPiece::Kind::Quoted) continue;
        const char quote = sql[target.begin];
        const bool closed = target.end - target.begin >= 2 && sql[target.end - 1] == quote;
        if (!closed) continue;
        const std::string_view path = sql.substr(target.begin + 1, target.end - target.begin - 2);
        if (!EndsWithBackup(path)) continue;
        result += sql.substr(copied, target.begin - copied);
        result += QuotedText(std::string(folder) + std::string(path.substr(path.size() - 11)), quote);
        copied = target.end;
    }
    result += sql.substr(copied);
    return result;
}

std::string RewritePreQuery(std::string_view sql, std::string_view programFolder) {
    return RedirectBackup(forms::UCase(sql), programFolder);
}

std::string CriterionFormulaText(std::string_view nome, std::string_view texto) {
    std::string text = std::string(nome) + " " + forms::LTrim(texto);
    for (char& c : text) {
        if (c == '"') c = '\'';
        if (c == '\r' || c == '\n') c = ' ';
    }
    return forms::Left(forms::Trim(text), 253);
}

}  // namespace report::reports
