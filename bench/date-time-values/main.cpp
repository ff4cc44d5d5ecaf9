// Conversion rates of the date and time values. Each line converts 1,000,000 inputs one way and
// prints the best rate of five runs in millions per second; the checksum keeps the work from
// being optimised away.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/conversion_rate.h"
#include "zmtext/values/date_format.h"
#include "zmtext/values/date_values.h"
#include "zmtext/values/time_values.h"

namespace {

using namespace zmtext;

constexpr int kCount = 1'000'000;
constexpr int kRuns = 5;
std::uint64_t checksum = 0;

template <typename Work>
void Measure(const char* name, Work&& work) {
    const double best = bench::BestSeconds(kRuns, work);
    std::printf("%-34s %8.1f M/s  (%.1f ms)\n", name, kCount / best / 1e6, best * 1e3);
}

std::uint64_t Mix(const ZMDate& d) {
    return static_cast<std::uint64_t>(d.year) * 10000 + static_cast<std::uint64_t>(d.month) * 100 +
           static_cast<std::uint64_t>(d.day);
}

void DateBenchmarks() {
    // Day numbers spread over the whole type-0 range, and their dates.
    std::vector<std::int32_t> numbers(kCount);
    std::vector<ZMDate> dates(kCount);
    for (int i = 0; i < kCount; ++i) {
        numbers[i] = -657434 + static_cast<std::int32_t>((static_cast<std::int64_t>(i) * 3615899) / kCount);
        dates[i] = ZMDayNumberToDate(kDateTypeVisualBasic, numbers[i]);
    }
    const ZMDateFormat format{kDateOrderDMY, '/', 2, 2, 2};
    std::vector<std::string> texts(kCount), raws(kCount);
    for (int i = 0; i < kCount; ++i) {
        texts[i] = ZMFormatDateText(dates[i], format, '_');
        raws[i] = ZMFormatDateRaw(dates[i], format, '_', true);
    }

    Measure("day number -> date (type 0)", [&] {
        for (auto n : numbers) checksum += Mix(ZMDayNumberToDate(kDateTypeVisualBasic, n));
    });
    Measure("date -> day number (type 0)", [&] {
        for (const auto& d : dates) checksum += static_cast<std::uint32_t>(ZMDateToDayNumber(kDateTypeVisualBasic, d));
    });
    Measure("date -> display text dd/MM/yyyy", [&] {
        for (const auto& d : dates) checksum += ZMFormatDateText(d, format, '_').size();
    });
    Measure("display text -> date", [&] {
        for (const auto& t : texts) checksum += Mix(ZMParseDateText(t, format, {}, 2026));
    });
    Measure("date -> raw text", [&] {
        for (const auto& d : dates) checksum += ZMFormatDateRaw(d, format, '_', true)[0];
    });
    Measure("raw text -> date", [&] {
        for (const auto& r : raws) checksum += Mix(ZMParseDateRaw(r, format.order, '_', {}));
    });
}

void TimeBenchmarks() {
    std::vector<std::int32_t> values(kCount);
    for (int i = 0; i < kCount; ++i) values[i] = static_cast<std::int32_t>((static_cast<std::int64_t>(i) * 86399) / kCount);
    ZMTimeFormat format;   // 12-hour clock with seconds and suffixes: the longest texts
    std::vector<std::string> texts(kCount), raws(kCount);
    for (int i = 0; i < kCount; ++i) {
        texts[i] = ZMFormatTimeText(values[i], format);
        raws[i] = ZMFormatTimeRaw(values[i], format, '_');
    }
    std::vector<double> oleDates(kCount);
    for (int i = 0; i < kCount; ++i) oleDates[i] = ZMComposeOleDate(i - kCount / 2, values[i]);

    Measure("time -> display text hh:mm:ss AM", [&] {
        for (auto v : values) checksum += ZMFormatTimeText(v, format).size();
    });
    Measure("display text -> time", [&] {
        for (const auto& t : texts) checksum += static_cast<std::uint32_t>(ZMParseTimeText(t, format.separator));
    });
    Measure("time -> raw text", [&] {
        for (auto v : values) checksum += ZMFormatTimeRaw(v, format, '_')[0];
    });
    Measure("raw text -> time", [&] {
        for (const auto& r : raws) checksum += static_cast<std::uint32_t>(ZMParseTimeRaw(r, format, '_'));
    });
    Measure("OLE date -> day and seconds", [&] {
        for (double x : oleDates) checksum += static_cast<std::uint32_t>(ZMSplitOleDate(x)->seconds);
    });
    Measure("day and seconds -> OLE date", [&] {
        for (int i = 0; i < kCount; ++i) checksum += static_cast<std::uint64_t>(ZMComposeOleDate(i, values[i]) > 0);
    });
}

}  // namespace

int main() {
    std::printf("%d conversions each, best of %d runs\n", kCount, kRuns);
    DateBenchmarks();
    TimeBenchmarks();
    std::printf("checksum %llu\n", static_cast<unsigned long long>(checksum));
    return 0;
}
