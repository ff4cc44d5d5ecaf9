#include "zmtext/values/time_values.h"

#include <algorithm>
#include <limits>

#include "zmtext/values/date_time_digits.h"

namespace zmtext {
namespace {

constexpr std::size_t kSuffixChars = 4;

bool IsMorningLetter(char c) { return c == 'A' || c == 'a'; }
bool IsAfternoonLetter(char c) { return c == 'P' || c == 'p'; }

// A typed hour on a 12-hour clock after its a/p letter; other letters leave it.
std::int64_t ApplyMeridiem(std::int64_t hour, char letter) {
    if (!IsMorningLetter(letter) && !IsAfternoonLetter(letter)) return hour;
    return ZMTwentyFourHourClock(hour, IsAfternoonLetter(letter));
}

struct TypedTime {
    std::int64_t hours = 0, minutes = 0, seconds = 0;
};

// The parts of a typed raw text, the hour after its a/p letter; nothing for an empty time.
std::optional<TypedTime> TypedParts(std::string_view raw, const ZMTimeFormat& format, char fill) {
    if (!ZMHasDigit(raw) || raw.size() < 2) return std::nullopt;
    const std::string text = ZMReplaceChar(raw, fill, ' ');
    TypedTime parts;
    parts.hours = ZMAtoi(ZMSlice(text, 0, 2));
    if (text.size() > 3) parts.minutes = ZMAtoi(ZMSlice(text, 2, 2));
    const bool hasSeconds = text.size() > 5 && format.showSeconds;
    if (hasSeconds) parts.seconds = ZMAtoi(ZMSlice(text, 4, 2));
    const std::size_t suffixAt = hasSeconds ? 6 : 4;
    if (!format.hours24 && text.size() > suffixAt) parts.hours = ApplyMeridiem(parts.hours, text[suffixAt]);
    return parts;
}

bool NeedsIntl(const ZMTimeFormatProps& props) {
    return props.fmtSeparator == '\0' || props.fmtHours == 0 || props.fmtLeadingZero == 0 ||
           props.fmtAM.empty() || props.fmtPM.empty();
}

std::string Suffix(const std::string& property, const std::string& setting) {
    return property.empty() ? setting : property.substr(0, kSuffixChars);
}

}  // namespace

ZMTimeFormat ZMResolveTimeFormat(const ZMTimeFormatProps& props, const IntlDateTimeSettings& intl) {
    ZMTimeFormat format;
    format.separator = props.fmtSeparator != '\0' ? props.fmtSeparator : intl.timeSeparator;
    if (format.separator == '\0') format.separator = ':';
    format.hours24 = props.fmtHours == 0 ? intl.timeFormat != 0 : props.fmtHours == 2;
    format.leadingZero = props.fmtLeadingZero == 0 ? intl.timeLeadingZero != 0 : props.fmtLeadingZero == 2;
    format.showSeconds = props.fmtSeconds == 0;
    format.morning = Suffix(props.fmtAM, intl.morningSuffix);
    format.afternoon = Suffix(props.fmtPM, intl.afternoonSuffix);
    return format;
}

ZMTimeFormat ZMResolveTimeFormat(const ZMTimeFormatProps& props) {
    return ZMResolveTimeFormat(props, NeedsIntl(props) ? ReadIntlDateTimeSettings() : IntlDateTimeSettings{});
}

int ZMTwelveHourClock(int hour) { return hour > 12 ? hour - 12 : hour == 0 ? 12 : hour; }

std::int64_t ZMTwentyFourHourClock(std::int64_t hour, bool afternoon) {
    if (hour == 12) return afternoon ? 12 : 0;
    return afternoon ? hour + 12 : hour;
}

ZMTimeParts ZMSplitTime(std::int32_t value) {
    if (!ZMIsValidTime(value)) return {};
    return {value / 3600, value / 60 % 60, value % 60};
}

std::int32_t ZMComposeTime(std::int64_t hours, std::int64_t minutes, std::int64_t seconds) {
    // Parts come from 32-bit numbers, so the sum cannot overflow 64 bits.
    const std::int64_t total = hours * 3600 + minutes * 60 + seconds;
    constexpr std::int64_t kLow = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kHigh = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(total, kLow, kHigh));
}

bool ZMIsValidTime(std::int32_t value) { return value >= 0 && value <= kTimeMaximum; }

std::string ZMTimePattern(const ZMTimeFormat& format, char fill) {
    std::string pattern(2, fill);
    pattern += format.separator;
    pattern.append(2, fill);
    if (format.showSeconds) {
        pattern += format.separator;
        pattern.append(2, fill);
    }
    if (!format.hours24) {
        pattern += '-';
        pattern += fill;
    }
    return pattern;
}

std::string ZMFormatTimeRaw(std::int32_t value, const ZMTimeFormat& format, char fill) {
    if (!ZMIsValidTime(value)) {
        return std::string((format.showSeconds ? 6 : 4) + (format.hours24 ? 0 : 1), fill);
    }
    const ZMTimeParts parts = ZMSplitTime(value);
    std::string raw;
    ZMAppendDigits(raw, format.hours24 ? parts.hours : ZMTwelveHourClock(parts.hours), 2);
    ZMAppendDigits(raw, parts.minutes, 2);
    if (format.showSeconds) ZMAppendDigits(raw, parts.seconds, 2);
    if (!format.hours24) raw += parts.hours <= 11 ? 'a' : 'p';
    return raw;
}

std::string ZMFormatTimeText(std::int32_t value, const ZMTimeFormat& format) {
    if (!ZMIsValidTime(value)) return {};
    const ZMTimeParts parts = ZMSplitTime(value);
    std::string text;
    ZMAppendDigits(text, format.hours24 ? parts.hours : ZMTwelveHourClock(parts.hours), 2);
    text += format.separator;
    ZMAppendDigits(text, parts.minutes, 2);
    if (format.showSeconds) {
        text += format.separator;
        ZMAppendDigits(text, parts.seconds, 2);
    }
    text += ' ';
    if (!format.leadingZero && text[0] == '0') text[0] = ' ';
    if (!format.hours24) text += parts.hours > 11 ? format.afternoon : format.morning;
    return text;
}

std::int32_t ZMParseTimeRaw(std::string_view raw, const ZMTimeFormat& format, char fill) {
    const auto parts = TypedParts(raw, format, fill);
    return parts ? ZMComposeTime(parts->hours, parts->minutes, parts->seconds) : kTimeEmpty;
}

bool ZMIsValidTimeRaw(std::string_view raw, const ZMTimeFormat& format, char fill) {
    const auto parts = TypedParts(raw, format, fill);
    return parts && parts->hours >= 0 && parts->hours <= 23 && parts->minutes >= 0 && parts->minutes <= 59 &&
           parts->seconds >= 0 && parts->seconds <= 59;
}

std::optional<std::int32_t> ZMParseTimeRawData(std::string_view text, char fill) {
    if (text.size() < 4 || text.size() > 7) return std::nullopt;
    if (!ZMHasDigit(text)) return kTimeEmpty;
    const std::string raw = ZMReplaceChar(text, fill, ' ');
    std::int64_t hours = ZMAtoi(ZMSlice(raw, 0, 2));
    const int minutes = ZMAtoi(ZMSlice(raw, 2, 2));
    const int seconds = raw.size() > 5 ? ZMAtoi(ZMSlice(raw, 4, 2)) : 0;
    if (raw.size() == 5 || raw.size() == 7) {
        // The suffix position takes the letter, or nothing typed yet (the fill character, as the
        // property reads a time being typed): the hour then stands as typed.
        const char letter = raw.back();
        if (!IsMorningLetter(letter) && !IsAfternoonLetter(letter) && letter != ' ') return std::nullopt;
        hours = ApplyMeridiem(hours, letter);
    }
    return ZMComposeTime(hours, minutes, seconds);
}

std::int32_t ZMParseTimeText(std::string_view text, char separator) {
    if (!ZMHasDigit(text)) return kTimeEmpty;
    const std::size_t first = text.find(separator);
    const std::size_t second = first == std::string_view::npos ? first : text.find(separator, first + 1);
    std::int64_t hours = ZMAtoi(text);
    const int minutes = first == std::string_view::npos ? 0 : ZMAtoi(text.substr(first + 1));
    const int seconds = second == std::string_view::npos ? 0 : ZMAtoi(text.substr(second + 1));
    const std::size_t scanFrom = second != std::string_view::npos ? second + 1
                                 : first != std::string_view::npos ? first + 1
                                                                   : 0;
    const std::size_t letter = text.find_first_of("AaPp", scanFrom);
    if (letter != std::string_view::npos) hours = ApplyMeridiem(hours, text[letter]);
    return ZMComposeTime(hours, minutes, seconds);
}

ZMTimeFmtFlags ZMUnpackTimeFmtControl(int packed) {
    if (packed == 0) return {};
    return {(packed & 1) != 0 ? 1 : 0, (packed & 2) != 0 ? 2 : 1, (packed & 4) != 0 ? 2 : 1};
}

int ZMPackTimeFmtControl(const ZMTimeFmtFlags& flags) {
    if (flags.fmtHours == 0 && flags.fmtLeadingZero == 0) return 0;
    return (flags.fmtSeconds == 1 ? 1 : 0) | (flags.fmtHours == 2 ? 2 : 0) | (flags.fmtLeadingZero == 2 ? 4 : 0);
}

}  // namespace zmtext
