#include "platform/controls/report/report_file.h"

#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "platform/controls/report/report_errors.h"
#include "platform/win/cp1252.h"

namespace controls::report {
namespace {

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// The parse of one file: the text, the line being read, and what has been seen once already.
class Parser {
public:
    explicit Parser(std::string_view fileName) : fileName_(fileName) {}

    ReportDefinition Run(std::string_view text);

private:
    [[noreturn]] void Fail(long number, const std::string& what) const {
        Raise(number, "Report file '" + fileName_ + "', line " + std::to_string(line_) + ": " + what + ".");
    }
    void Line(std::string_view key, std::string_view value);
    void Once(std::string_view key, int& seenAt);
    void ParseOrientation(std::string_view value);
    HeaderLine ParseHeader(std::string_view value) const;
    ReportColumn ParseColumn(std::string_view value) const;
    double ParseWidth(std::string_view text) const;
    void Check() const;

    std::string fileName_;
    int line_ = 0;
    int titleLine_ = 0, sourceLine_ = 0, orientationLine_ = 0, groupLine_ = 0;
    std::vector<int> sumLines_;
    std::unordered_map<std::string, std::size_t> summed_;   // NameKey of each Sum= field -> index
    ReportDefinition def_;
};

ReportDefinition Parser::Run(std::string_view text) {
    CheckReportFileSize(text.size(), fileName_);
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    // A file saved as "ANSI" by a Windows editor: each line is turned into UTF-8 once its length
    // in the file's bytes has been checked.
    const bool cp1252 = !win::IsUtf8(text);
    std::string decoded;
    while (!text.empty()) {
        ++line_;
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (end - (end > 0 && text[end - 1] == '\r') > kMaxLineBytes) {
            Fail(err::LimitExceeded, "the line is longer than " + std::to_string(kMaxLineBytes) + " bytes");
        }
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (cp1252) raw = decoded = win::Cp1252ToUtf8(raw);
        raw = Trim(raw);
        if (raw.empty() || raw.front() == ';' || raw.front() == '#') continue;
        const std::size_t equals = raw.find('=');
        if (equals == std::string_view::npos) Fail(err::MalformedLine, "expected Key=Value");
        Line(Trim(raw.substr(0, equals)), Trim(raw.substr(equals + 1)));
    }
    Check();
    return std::move(def_);
}

void Parser::Once(std::string_view key, int& seenAt) {
    if (seenAt != 0) {
        Fail(err::DuplicateKey, std::string(key) + "= was already given on line " + std::to_string(seenAt));
    }
    seenAt = line_;
}

void Parser::Line(std::string_view key, std::string_view value) {
    if (SameName(key, "Title")) {
        Once("Title", titleLine_);
        def_.title = value;
    } else if (SameName(key, "Source")) {
        Once("Source", sourceLine_);
        if (value.empty()) Fail(err::MalformedLine, "Source= needs a table or query name");
        def_.source = value;
    } else if (SameName(key, "Orientation")) {
        Once("Orientation", orientationLine_);
        ParseOrientation(value);
    } else if (SameName(key, "Header")) {
        def_.headers.push_back(ParseHeader(value));
    } else if (SameName(key, "Column")) {
        def_.columns.push_back(ParseColumn(value));
    } else if (SameName(key, "Group")) {
        Once("Group", groupLine_);
        if (value.empty()) Fail(err::MalformedLine, "Group= needs a field name");
        def_.groupField = value;
    } else if (SameName(key, "Sum")) {
        if (value.empty()) Fail(err::MalformedLine, "Sum= needs a field name");
        const auto [first, added] = summed_.emplace(NameKey(value), def_.sums.size());
        if (!added) Fail(err::DuplicateKey, "field '" + def_.sums[first->second] + "' is already summed");
        def_.sums.emplace_back(value);
        sumLines_.push_back(line_);
    } else {
        Fail(err::UnknownKey, "unknown key '" + std::string(key) +
                                  "' (known: Title, Source, Orientation, Header, Column, Group, Sum)");
    }
}

void Parser::ParseOrientation(std::string_view value) {
    if (SameName(value, "Portrait")) {
        def_.orientation = Orientation::Portrait;
    } else if (SameName(value, "Landscape")) {
        def_.orientation = Orientation::Landscape;
    } else {
        Fail(err::MalformedLine,
             "Orientation must be Portrait or Landscape, not '" + std::string(value) + "'");
    }
}

// "{Name}" is a formula reference; "{{" and "}}" stand for the braces themselves.
HeaderLine Parser::ParseHeader(std::string_view value) const {
    HeaderLine parts;
    std::string literal;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if ((c == '{' || c == '}') && i + 1 < value.size() && value[i + 1] == c) {
            literal += c;
            ++i;
        } else if (c == '}') {
            Fail(err::MalformedLine, "'}' without '{' in Header= (write '}}' for a brace)");
        } else if (c == '{') {
            const std::size_t close = value.find('}', i);
            const std::string_view name = close == std::string_view::npos
                                              ? std::string_view{}
                                              : Trim(value.substr(i + 1, close - i - 1));
            if (name.empty() || name.find('{') != std::string_view::npos) {
                Fail(err::MalformedLine, "'{' must be followed by a formula name and '}' in Header=");
            }
            if (!literal.empty()) parts.push_back({false, std::exchange(literal, {})});
            parts.push_back({true, std::string(name)});
            i = close;
        } else {
            literal += c;
        }
    }
    if (!literal.empty()) parts.push_back({false, std::move(literal)});
    return parts;
}

double Parser::ParseWidth(std::string_view text) const {
    double width = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), width);
    if (ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(width) || width <= 0 ||
        width > 1000) {
        Fail(err::MalformedLine,
             "column width must be a number of millimetres above 0 (with '.' "
             "for decimals), not '" +
                 std::string(text) + "'");
    }
    return width;
}

// Heading|Field|Width|L or R|Format; the format is the rest of the line and may hold '|'.
ReportColumn Parser::ParseColumn(std::string_view value) const {
    std::vector<std::string_view> parts;
    while (parts.size() < 4) {
        const std::size_t bar = value.find('|');
        if (bar == std::string_view::npos) break;
        parts.push_back(Trim(value.substr(0, bar)));
        value.remove_prefix(bar + 1);
    }
    parts.push_back(Trim(value));
    if (parts.size() < 4) {
        Fail(err::MalformedLine, "Column= needs Heading|Field|Width|L or R|Format (format optional)");
    }
    ReportColumn column;
    column.heading = parts[0];
    column.field = parts[1];
    if (column.field.empty()) Fail(err::MalformedLine, "Column= needs a field name");
    column.widthMm = ParseWidth(parts[2]);
    if (SameName(parts[3], "L")) {
        column.alignment = Alignment::Left;
    } else if (SameName(parts[3], "R")) {
        column.alignment = Alignment::Right;
    } else {
        Fail(err::MalformedLine, "column alignment must be L or R, not '" + std::string(parts[3]) + "'");
    }
    if (parts.size() == 5) {
        const auto characters = std::count_if(parts[4].begin(), parts[4].end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;   // not a UTF-8 continuation byte
        });
        if (static_cast<std::size_t>(characters) > kMaxPatternChars) {
            Fail(err::LimitExceeded,
                 "the column's Format pattern is longer than " + std::to_string(kMaxPatternChars) + " characters");
        }
        column.format = CellFormat(parts[4], column.field);
    }
    return column;
}

void Parser::Check() const {
    if (def_.source.empty()) {
        Raise(err::MissingKey, "Report file '" + fileName_ +
                                   "' has no Source= line naming the "
                                   "table or query to print.");
    }
    if (def_.columns.empty()) {
        Raise(err::MissingKey, "Report file '" + fileName_ + "' has no Column= line.");
    }
    std::unordered_set<std::string> shown;
    for (const auto& column : def_.columns) shown.insert(NameKey(column.field));
    for (std::size_t i = 0; i < def_.sums.size(); ++i) {
        if (!shown.contains(NameKey(def_.sums[i]))) {
            Raise(err::MalformedLine, "Report file '" + fileName_ + "', line " +
                                          std::to_string(sumLines_[i]) + ": summed field '" + def_.sums[i] +
                                          "' is not shown by any Column= line.");
        }
    }
}

}  // namespace

void CheckReportFileSize(std::uintmax_t bytes, std::string_view fileName) {
    if (bytes <= kMaxReportFileBytes) return;
    Raise(err::LimitExceeded, "Report file '" + std::string(fileName) + "' holds " + std::to_string(bytes) +
                                  " bytes, more than the " + std::to_string(kMaxReportFileBytes) +
                                  " a report file may hold: check that it is the right file.");
}

ReportDefinition ParseReportFile(std::string_view text, std::string_view fileName) {
    return Parser(fileName).Run(text);
}

bool SameName(std::string_view a, std::string_view b) { return NameKey(a) == NameKey(b); }

std::string NameKey(std::string_view name) {
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())).toCaseFolded().toStdString();
}

}  // namespace controls::report
