// The log-in window's rules that do not need the window: the clock check, the date line, the
// message of the moment, the own store's display name and the store-folder choice. The window's
// handlers call these; tests drive them with fixed dates and a scripted directory search.
#pragma once

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

// The key of one line of MOTIVA.TXT: nothing for a line that is blank after trimming; the first
// character and the next two as integers otherwise. A line whose key is not a number raises the
// runtime's 13 "Type mismatch".
std::optional<MomentKey> LineKey(const std::string& line);

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
