// Literals of the Jet SQL the program composes: a text value, and the file an IN clause names.
//
// Every statement that carries a value or a path it did not write itself (a user's criterion, the
// data folder, the program folder) quotes it here, so that a quote inside it (F:\LOJA D'OURO)
// stays part of the literal instead of ending it. Folder names are UTF-8 and pass through
// unchanged: only the quote character is doubled.
//
// Header-only and free of the engine, so that every library of the program quotes the same way,
// the consolidation's database library (which links only the engine) included.
#pragma once

#include <string>
#include <string_view>

namespace report {

// `text` between two `quote`s, each `quote` inside it doubled: "D'AVILA" -> 'D''AVILA'. The engine
// reads text literals in either quote; a quote of the other kind needs no doubling.
inline std::string QuotedText(std::string_view text, char quote = '\'') {
    std::string quoted(1, quote);
    for (const char c : text) {
        quoted += c;
        if (c == quote) quoted += quote;
    }
    quoted += quote;
    return quoted;
}

// The clause that names another database file in a statement: IN '<path>', the path quoted as
// QuotedText quotes it.
inline std::string InFile(std::string_view path) { return "IN " + QuotedText(path); }

}  // namespace report
