// The log-in window's rules that do not need the window: the clock check, the date line, the
// message of the moment, the own store's display name and the store-folder choice. The window's
// handlers call these; tests drive them with fixed dates and a scripted directory search.
//
// MOTIVA.TXT, the message file, is anybody's text file: a line that does not begin with a key is
// skipped, never an error, so that no content of the file can keep a user from logging in. The
// file is read up to its first kMotivaFileLimit bytes and each line up to its first
// kMotivaLineLimit bytes; the rest of the file, or of a line, is ignored. Its text may be cp1252
// (what a Windows editor writes as "ANSI") or UTF-8: see ReadMotivaLines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/value.h"

namespace report::login {

// The clock looks wrong when the program's Produto.MDB changed today or later (fileDate >= today),
// or more than three days before today (fileDate + 3 < today). Both are OLE dates; today is at
// midnight.
bool ClockLooksWrong(double fileDate, double today);

// The question asked when the clock looks wrong (a Yes/No box, default No).
std::string ClockQuestion(double now);
inline constexpr int kClockQuestionStyle = 292;

// "Hoje é <weekday>, <day> de <month> de <year> às <hh:mm:ss>".
std::string DateLine(double now);

// The key of the message of the moment: the tens of the minute folded into 0-2, and the second.
struct MomentKey {
    std::int16_t minuto = 0;
    std::int16_t segundo = 0;
    friend bool operator==(const MomentKey&, const MomentKey&) = default;
};
MomentKey KeyOfTheMoment(double now);

// The key of one line of MOTIVA.TXT: its first character, a digit, and its second and third
// characters, which hold one or two digits once blanks are trimmed ("105", "1 5", "10"). Nothing
// for a blank line and for a line that does not begin with a key.
std::optional<MomentKey> LineKey(const std::string& line);

// The limits of the reading. The window shows one line in a box of a few lines, and the file
// holds a few messages for each of the 180 keys: a kilobyte is several times the longest message
// the box can show, a mebibyte some five messages of that size for every key. Within them a
// damaged or foreign file (one line of 50 MB, binary data) costs the log-in a bounded read.
inline constexpr std::size_t kMotivaLineLimit = 1024;
inline constexpr std::size_t kMotivaFileLimit = std::size_t{1} << 20;

// The lines of the file at `windowsPath` within the limits, as UTF-8 text. A line ends at CR LF,
// CR or LF. A line that is valid UTF-8 is taken as such (a byte-order mark at the start of the
// file is dropped, and so is a character the line limit cut in two); any other line is read as
// cp1252. Control characters other than tab are dropped: they are no text to show. Raises the
// runtime's 53 (no such file), 70 (permission denied) or 57 (device I/O error).
std::vector<std::string> ReadMotivaLines(const std::string& windowsPath);

// The last line whose key is `key`, whole; nothing when no line has it.
std::optional<std::string> MessageOfTheMoment(const std::vector<std::string>& lines, MomentKey key);

// The own store's display name: the first 20 characters of Nome (Null as "") and 20 blanks.
std::string OwnStoreName(const forms::Value& nome);
inline constexpr const char* kOwnStoreMissingName = "Produto";

// --- Store choice ---------------------------------------------------------------------------------
enum class StoreRoad { OwnDrive, DriveC, NotFound };

struct StoreChoice {
    StoreRoad road = StoreRoad::NotFound;
    std::string pastaDados;   // the data folder without its closing "\" (roads other than NotFound)
};

// Answers whether the directory search for `pattern` finds PRODUTO.MDB. May raise the runtime's
// file errors.
using ProdutoSearch = std::function<bool(const std::string& pattern)>;

// The directory search through the runtime: UCase(Dir(pattern)) = "PRODUTO.MDB".
bool ProdutoFound(const std::string& pattern);

// The data folder of a store whose LocalLojas is `localLojas`: the folder itself when its
// PRODUTO.MDB is there, else the same folder on drive C (upper-cased) when it is there. A folder
// shorter than a drive and its root, a network path ("\\server\..."), and a folder without a
// drive letter on the drive-C road are not found, rather than searched relative to the current
// folder. The file errors 52, 68 and 76 of the searches mean not found; any other error passes.
StoreChoice ChooseStore(const std::string& localLojas, const ProdutoSearch& found = ProdutoFound);
inline constexpr const char* kStoreNotFound = "Loja Não Encontrada!";

}  // namespace report::login
