#include "platform/ctl/text_metrics.h"

#include <QList>
#include <string>

#include "platform/win/cp1252.h"

namespace ctl {

QString FromAnsi(std::string_view cp1252) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1252.size()));
    for (unsigned char byte : cp1252) {
        const char32_t cp = win::Cp1252ToUnicode(byte);
        out.append(QChar(static_cast<char16_t>(cp)));   // every cp1252 character is in the BMP
    }
    return out;
}

std::string ToAnsi(const QString& text) {
    std::string out;
    const QList<uint> codePoints = text.toUcs4();
    out.reserve(static_cast<std::size_t>(codePoints.size()));
    for (uint cp : codePoints) {
        const auto byte = win::UnicodeToCp1252(static_cast<char32_t>(cp));
        out.push_back(byte ? static_cast<char>(*byte) : '?');
    }
    return out;
}

int QtTextMetrics::Extent(std::string_view cp1252) const {
    return metrics_.horizontalAdvance(FromAnsi(cp1252));
}

}  // namespace ctl
