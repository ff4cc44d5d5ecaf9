#include "report/login/login_rules.h"

#include <string_view>

#include "platform/forms/fileio.h"
#include "platform/forms/strings.h"
#include "platform/win/error.h"
#include "platform/win/oledate.h"
#include "platform/win/textformat.h"

namespace report::login {

namespace {

// "<weekday>, <day> de <month> de <year>": the date as the clock question and the date line say it.
std::string SpokenDate(double now) {
    return win::FormatDate(now, "dddd") + ", " + std::to_string(win::Day(now)) + " de " +
           win::FormatDate(now, "mmmm") + " de " + std::to_string(win::Year(now));
}

std::string TimeText(double now) { return win::FormatDate(now, "hh:mm:ss"); }

bool IsNotFoundError(long number) { return number == 52 || number == 68 || number == 76; }

}  // namespace

bool ClockLooksWrong(double fileDate, double today) {
    return fileDate >= today || fileDate + 3 < today;
}

std::string ClockQuestion(double now) {
    return "A Data e Hora do computador estão corretos ? \r\n\r\n Data: " + SpokenDate(now) +
           " Hora: " + TimeText(now);
}

std::string DateLine(double now) { return "Hoje é " + SpokenDate(now) + " às " + TimeText(now); }

MomentKey KeyOfTheMoment(double now) {
    std::int16_t tens = static_cast<std::int16_t>(win::Minute(now) / 10);
    if (tens > 2) tens = static_cast<std::int16_t>(tens - 3);
    return {tens, static_cast<std::int16_t>(win::Second(now))};
}

std::optional<MomentKey> LineKey(const std::string& line) {
    if (forms::Trim(line).empty()) return std::nullopt;
    // CInt of the texts: a blank, an empty or a non-digit key raises 13 as the conversion does.
    return MomentKey{forms::CInt(forms::Value(forms::Mid(line, 1, 1))),
                     forms::CInt(forms::Value(forms::Mid(line, 2, 2)))};
}

std::optional<std::string> MessageOfTheMoment(const std::vector<std::string>& lines, MomentKey key) {
    std::optional<std::string> message;
    for (const auto& line : lines) {
        const auto lineKey = LineKey(line);
        if (lineKey && *lineKey == key) message = line;
    }
    return message;
}

std::string OwnStoreName(const forms::Value& nome) {
    const std::string text = nome.IsNull() ? std::string() : forms::CStr(nome);
    return forms::Left(text, 20) + forms::Space(20);
}

bool ProdutoFound(const std::string& pattern) {
    return forms::UCase(forms::Dir(pattern)) == "PRODUTO.MDB";
}

StoreChoice ChooseStore(const std::string& localLojas, const ProdutoSearch& found) {
    const long length = forms::Len(localLojas);
    if (length < 3 || localLojas.starts_with("\\\\")) return {};
    try {
        if (found(localLojas + "PRODUTO.MDB")) {
            return {StoreRoad::OwnDrive, forms::Left(localLojas, length - 1)};
        }
        if (forms::Mid(localLojas, 2, 1) != ":") return {};
        if (!found("C" + forms::Mid(localLojas, 2) + "PRODUTO.MDB")) return {};
        return {StoreRoad::DriveC, forms::UCase("C" + forms::Mid(localLojas, 2, length - 2))};
    } catch (const win::RuntimeError& error) {
        if (IsNotFoundError(error.Number())) return {};
        throw;
    }
}

}  // namespace report::login
