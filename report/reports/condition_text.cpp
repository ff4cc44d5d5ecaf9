#include "report/reports/condition_text.h"

#include <algorithm>
#include <vector>

#include "platform/forms/strings.h"
#include "platform/win/oledate.h"
#include "platform/win/textformat.h"
#include "report/reports/criterion_text.h"

namespace report::reports {

namespace {

constexpr int kDateType = 8;
constexpr int kTextType = 10;
constexpr int kMemoType = 12;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// 1-based InStr over `text` from `start`; 0 when absent or when `start` lies past the end.
std::size_t Find(std::string_view text, std::size_t start, std::string_view sought) {
    if (start == 0) start = 1;
    if (start > text.size()) return 0;
    const std::size_t at = text.find(sought, start - 1);
    return at == std::string_view::npos ? 0 : at + 1;
}

// The first single quote at or after `from` (1-based) that closes a quoted value opened at or
// after the item's start, that is, one that leaves an even number of quotes before and at it;
// 0 when there is none. A doubled quote inside a value counts twice, so it never closes it.
std::size_t ClosingQuote(std::string_view text, std::size_t from) {
    std::size_t quotes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\'') continue;
        ++quotes;
        if (i + 1 >= from && quotes % 2 == 0) return i + 1;
    }
    return 0;
}

// The digits of `text` from `at`: their count (0 when none).
std::size_t DigitRun(std::string_view text, std::size_t at) {
    std::size_t n = 0;
    while (at + n < text.size() && IsDigit(text[at + n])) ++n;
    return n;
}

// A number as the program prints it, sign stripped: digits, optionally grouped by '.' in threes
// ("1.500"), and an optional ',' with the decimals ("1.234,5", "12,5"); as the query reads it
// ("1234.5"), or nothing for any other text. A '.' that does not group three digits ("12.5") is
// no number here: it would read as a decimal point on one side and as grouping on the other.
std::optional<std::string> RegionalNumber(std::string_view text) {
    const std::size_t comma = text.find(',');
    const std::string_view whole = text.substr(0, comma);
    std::string digits;
    std::size_t at = DigitRun(whole, 0);
    if (at == 0) return std::nullopt;
    const bool grouped = at < whole.size();
    if (grouped && at > 3) return std::nullopt;
    digits.append(whole.substr(0, at));
    while (at < whole.size()) {
        if (whole[at] != '.' || DigitRun(whole, at + 1) != 3) return std::nullopt;
        digits.append(whole.substr(at + 1, 3));
        at += 4;
    }
    if (comma == std::string_view::npos) return digits;
    const std::string_view fraction = text.substr(comma + 1);
    if (fraction.empty() || DigitRun(fraction, 0) != fraction.size()) return std::nullopt;
    return digits + "." + std::string(fraction);
}

// The number literal of a typed value: blanks around it and a sign allowed; nothing when the
// value is no number as the program prints numbers.
std::optional<std::string> NumberOf(std::string_view value) {
    std::string_view text = value;
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    std::string sign;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        if (text.front() == '-') sign = "-";
        text.remove_prefix(1);
    }
    if (const std::optional<std::string> number = RegionalNumber(text)) return sign + *number;
    return std::nullopt;
}

// A date value as the builder read it, written so that the query reads the same day and time
// whatever separators were typed: "d/m/yyyy", or "dd/mm/yyyy hh:nn:ss" when it holds a time.
std::string DateLiteral(std::string_view value) {
    if (!win::IsDateText(value)) return std::string(value);
    const double date = win::CDateText(value);
    const bool time = value.find(':') != std::string_view::npos || win::TimePart(date) != 0;
    return win::FormatDate(date, time ? "dd/mm/yyyy hh:nn:ss" : "d/m/yyyy");
}

}  // namespace

FieldKind KindOfType(int daoType) {
    if (daoType == kTextType || daoType == kMemoType) return FieldKind::Text;
    if (daoType == kDateType) return FieldKind::Date;
    return FieldKind::Other;
}

std::optional<std::string> ConditionRefusal(FieldKind kind, std::string_view value, bool) {
    if (kind == FieldKind::Date && !win::IsDateText(value)) return std::string(kDataInvalida);
    if (HasLineBreak(value)) return std::string(kConteudoInvalido);
    if (kind == FieldKind::Other && !NumberOf(value) && !IsFieldReference(forms::Trim(value))) {
        return std::string(kConteudoInvalido);
    }
    return std::nullopt;
}

std::string LikeLiteral(std::string_view text) {
    std::string pattern;
    for (char c : text) {
        if (c == '*' || c == '?' || c == '#' || c == '[') {
            pattern += '[';
            pattern += c;
            pattern += ']';
        } else {
            pattern += c;
        }
    }
    return pattern;
}

std::string NumberLiteral(std::string_view value) { return NumberOf(value).value_or(std::string(value)); }

std::string ConditionText(FieldKind kind, std::string_view field, std::string_view op, std::string_view value) {
    const std::string head = std::string(field) + " " + std::string(op);
    switch (kind) {
        case FieldKind::Text:
            if (op == "Like") return head + " " + QuotedText("*" + forms::UCase(value) + "*");
            return head + " " + QuotedText(forms::UCase(value));
        case FieldKind::Date:
        {
            // Both roads go through CDate, which reads the value day-first; a time keeps its
            // blank inside the double quotes, which the item rules never cut. The value goes as
            // the builder read it: typed with dots, Format would take it for a number of days.
            const std::string date = DateLiteral(value);
            if (date.find(':') != std::string::npos) return head + " CDate(\"" + date + "\")";
            return head + " CDate(Format(\"" + date + "\",\"D/M/YYYY\"))";
        }
        case FieldKind::Other: break;
    }
    return head + " " + NumberLiteral(value);
}

bool IsFieldReference(std::string_view text) {
    const std::size_t dot = text.find("].[");
    if (text.size() < 7 || text.front() != '[' || text.back() != ']' || dot == std::string_view::npos) return false;
    const std::string_view table = text.substr(1, dot - 1);
    const std::string_view name = text.substr(dot + 3, text.size() - dot - 4);
    const auto plain = [](std::string_view part) {
        return !part.empty() && part.find_first_of("[]") == std::string_view::npos;
    };
    return plain(table) && plain(name);
}

// Positions are 1-based, 0 = not found:
//   1. Q2 = first double quote, P = first separator, B = first "[", BE = first "] ".
//   2. P > B and P < BE: P = first separator at or after BE (a bracketed name with a blank).
//   3. Q1 = first single quote; Q1 <> 0 and P > Q1: P = the quote closing a value at or after P,
//      plus one (no such quote: 1).
//   4. Q2 >= 1, Q2 < P and Q2 before any single quote: P = first separator at or after the
//      closing double quote plus one (a double-quoted stretch stays whole).
//   5. P = 0: the whole text; P = 1: all but the last character (which stays); else the text
//      before P. The item is trimmed, the remainder left-trimmed.
//   6. A double quote at the item's start is removed, then one at its end that closes none
//      opened inside the item.
std::string ProximoItem(std::string& texto, std::string_view separador) {
    const std::string_view text = texto;
    const std::size_t q2 = Find(text, 1, "\"");
    std::size_t p = Find(text, 1, separador);
    const std::size_t b = Find(text, 1, "[");
    const std::size_t be = Find(text, 1, "] ");
    if (p > b && p < be) p = Find(text, be, separador);
    const std::size_t q1 = Find(text, 1, "'");
    if (q1 != 0 && p > q1) p = ClosingQuote(text, p) + 1;
    if (q2 >= 1 && q2 < p && (q1 == 0 || q2 < q1)) p = Find(text, Find(text, q2 + 1, "\"") + 1, separador);
    std::string item;
    if (p == 0) {
        item = forms::Trim(text);
        texto.clear();
    } else if (p == 1) {
        item = forms::Trim(text.substr(0, text.size() - 1));
        texto = forms::LTrim(text.substr(text.size() - 1));
    } else {
        item = forms::Trim(text.substr(0, p - 1));
        texto = forms::LTrim(text.substr(p - 1));
    }
    // A closing double quote whose opening one is inside the item stays: a text value followed
    // by a date with a time runs on to the end, and the date's quotes must close.
    if (!item.empty() && item.front() == '"') item.erase(0, 1);
    if (!item.empty() && item.back() == '"' && std::count(item.begin(), item.end(), '"') % 2 == 1) item.pop_back();
    return item;
}

std::string ParteCampo(std::string_view texto, bool campo) {
    if (!campo) return std::string(texto.substr(0, std::min(texto.find('.'), texto.size())));
    const std::size_t open = texto.find(".[");
    if (open == std::string_view::npos || texto.size() < open + 3) return {};
    return std::string(texto.substr(open + 2, texto.size() - open - 3));
}

std::string CriterionFromConditions(std::string_view conditions) {
    if (conditions.empty()) return {};
    std::string w;
    for (char c : "AND " + forms::LTrim(conditions)) {
        if (c == '\r') w += ' ';
        else if (c != '\n') w += c;
    }
    w = forms::RTrim(w);
    std::string r;
    bool open = false;
    while (!w.empty()) {
        const std::string item = ProximoItem(w, " ");
        const std::string upper = forms::UCase(item);
        if (upper == "AND") {
            r += (open ? ") " : "") + item + " (";
            open = true;
        } else if (upper == "OR" || upper == "IN" || upper == "LIKE") {
            r += " " + item + " ";
        } else {
            r += item;
        }
    }
    r += ")";
    ProximoItem(r, " ");
    return r.empty() ? std::string() : " Where " + r;
}

std::optional<std::string> CriterionFault(std::string_view criterion) {
    const std::vector<SqlPiece> pieces = ScanSql(criterion);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const SqlPiece& piece = pieces[i];
        const char first = criterion[piece.begin];
        const char last = criterion[piece.end - 1];
        const SqlPiece* next = i + 1 < pieces.size() ? &pieces[i + 1] : nullptr;
        switch (piece.kind) {
            case SqlPiece::Kind::Semicolon: return std::string("Mais de uma instrução no critério");
            case SqlPiece::Kind::Quoted:
            case SqlPiece::Kind::Date: {
                // A closed value holds its quote an even number of times (doubled ones inside).
                const std::string_view text = criterion.substr(piece.begin, piece.end - piece.begin);
                const auto quotes = std::count(text.begin(), text.end(), first);
                if (quotes < 2 || quotes % 2 != 0 || last != first) return std::string("Aspas sem fechamento no critério");
                break;
            }
            case SqlPiece::Kind::Bracketed:
                if (last != ']') return std::string("Colchete sem fechamento no critério");
                break;
            case SqlPiece::Kind::Word: {
                const std::string word = forms::UCase(criterion.substr(piece.begin, piece.end - piece.begin));
                if (word == "IN" && (!next || next->kind != SqlPiece::Kind::Open)) {
                    return std::string("Arquivo externo no critério");
                }
                break;
            }
            case SqlPiece::Kind::Other: {
                const bool joined = next && next->begin == piece.end;
                if (joined && ((first == '-' && criterion[next->begin] == '-') || (first == '/' && criterion[next->begin] == '*'))) {
                    return std::string("Comentário no critério");
                }
                break;
            }
            default: break;
        }
    }
    return std::nullopt;
}

std::string SavedCriteriaSource(std::string_view codRelatorio) {
    return " SELECT * from Criterio Where Criterio.Relatorio = " + QuotedText(codRelatorio) +
           " ORDER BY Criterio.DataCriacao DESC , Criterio.Sequencia Desc";
}

}  // namespace report::reports
