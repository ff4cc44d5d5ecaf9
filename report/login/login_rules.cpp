#include "report/login/login_rules.h"

#include <algorithm>
#include <fstream>
#include <string_view>

#include "platform/forms/fileio.h"
#include "platform/forms/strings.h"
#include "platform/win/cp1252.h"
#include "platform/win/error.h"
#include "platform/win/files.h"
#include "platform/win/oledate.h"
#include "platform/win/paths.h"
#include "platform/win/textformat.h"

namespace report::login {

namespace {

// "<weekday>, <day> de <month> de <year>": the date as the clock question and the date line say it.
std::string SpokenDate(double now) {
    return win::FormatDate(now, "dddd") + ", " + std::to_string(win::Day(now)) + " de " +
           win::FormatDate(now, "mmmm") + " de " + std::to_string(win::Year(now));
}

std::string TimeText(double now) { return win::FormatDate(now, "hh:mm:ss"); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The bytes of a line the line limit cut, without the first bytes of a UTF-8 character whose
// rest was cut off.
std::string_view WithoutCutCharacter(std::string_view bytes) {
    std::size_t lead = bytes.size();
    while (lead > 0 && bytes.size() - lead < 4 && (static_cast<unsigned char>(bytes[lead - 1]) & 0xC0) == 0x80) --lead;
    if (lead == 0) return bytes;
    const auto byte = static_cast<unsigned char>(bytes[--lead]);
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return lead + length > bytes.size() ? bytes.substr(0, lead) : bytes;
}

// The text of one line's bytes: UTF-8 when they are, else cp1252; no control characters but tab.
std::string MotivaText(std::string_view bytes, bool cut) {
    if (cut) bytes = WithoutCutCharacter(bytes);
    std::string text = win::Utf8OrCp1252ToUtf8(bytes);
    std::erase_if(text, [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t') || byte == 0x7F;
    });
    return text;
}

// Splits the bytes it is given into lines of at most kMotivaLineLimit bytes.
class MotivaLineSplitter {
public:
    void Feed(std::string_view bytes) {
        for (const char c : bytes) {
            const bool crLf = c == '\n' && afterCr_;
            afterCr_ = c == '\r';
            if (crLf) continue;
            if (c == '\r' || c == '\n') {
                EndLine();
            } else if (line_.size() < kMotivaLineLimit) {
                line_.push_back(c);
            } else {
                cut_ = true;
            }
        }
    }
    std::vector<std::string> Finish() {
        if (!line_.empty()) EndLine();
        return std::move(lines_);
    }

private:
    void EndLine() {
        lines_.push_back(MotivaText(line_, cut_));
        line_.clear();
        cut_ = false;
    }
    std::vector<std::string> lines_;
    std::string line_;
    bool cut_ = false;
    bool afterCr_ = false;
};

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
    if (line.empty() || !IsDigit(line[0])) return std::nullopt;
    const std::string second = forms::Trim(line.substr(1, 2));
    if (second.empty() || !std::all_of(second.begin(), second.end(), IsDigit)) return std::nullopt;
    return MomentKey{static_cast<std::int16_t>(line[0] - '0'), static_cast<std::int16_t>(std::stoi(second))};
}

std::vector<std::string> ReadMotivaLines(const std::string& windowsPath) {
    if (!win::FileExists(windowsPath)) win::Raise(win::err::FileNotFound, "Open");
    std::ifstream in(win::HostPath(windowsPath), std::ios::binary);
    if (!in) win::Raise(win::err::PermissionDenied, "Open");
    MotivaLineSplitter splitter;
    std::string buffer(64 * 1024, '\0');
    std::size_t total = 0;
    while (total < kMotivaFileLimit) {
        in.read(buffer.data(), static_cast<std::streamsize>(std::min(buffer.size(), kMotivaFileLimit - total)));
        if (in.bad()) win::Raise(win::err::DeviceIOError, "Line Input");
        std::string_view bytes(buffer.data(), static_cast<std::size_t>(in.gcount()));
        if (bytes.empty()) break;
        if (total == 0 && bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
        total += static_cast<std::size_t>(in.gcount());
        splitter.Feed(bytes);
    }
    return splitter.Finish();
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
    // A plain try: an unreachable folder becomes the answer "not found"; any other error goes to the caller's trap.
    try {
        if (found(localLojas + "PRODUTO.MDB")) {
            return {StoreRoad::OwnDrive, forms::Left(localLojas, length - 1)};
        }
        if (forms::Mid(localLojas, 2, 1) != ":") return {};
        if (!found("C" + forms::Mid(localLojas, 2) + "PRODUTO.MDB")) return {};
        return {StoreRoad::DriveC, forms::UCase("C" + forms::Mid(localLojas, 2, length - 2))};
    } catch (const win::RuntimeError& error) {
        if (win::err::IsUnreachableFolder(error.Number())) return {};
        throw;
    }
}

}  // namespace report::login
