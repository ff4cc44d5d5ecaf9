// Conversion rates of the long, double and currency values. Each line converts 1,000,000 inputs
// one way and prints the best rate of five runs in millions per second beside the goal the date
// and time conversions set; the checksum keeps the work from being optimised away.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/conversion_rate.h"
#include "zmtext/values/currency_value.h"
#include "zmtext/values/number_text.h"

namespace {

using namespace zmtext;

constexpr int kCount = 1'000'000;
constexpr int kRuns = 5;
constexpr double kGoal = 20.0;   // millions of conversions a second
std::uint64_t checksum = 0;

template <typename Work>
void Measure(const char* name, Work&& work) {
    const double rate = kCount / bench::BestSeconds(kRuns, work) / 1e6;
    std::printf("%-38s %8.1f M/s  goal %4.1f  %s\n", name, rate, kGoal, rate >= kGoal ? "met" : "BELOW");
}

// A spread of magnitudes: small amounts mostly, some large, a tenth negative.
std::int64_t Spread(int i, std::int64_t limit) {
    std::uint64_t x = static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ull;
    x ^= x >> 29;
    const int magnitude = static_cast<int>(x % 19);   // 10^0 .. 10^18
    std::int64_t scale = 1;
    for (int k = 0; k < magnitude; ++k) scale *= 10;
    std::int64_t v = static_cast<std::int64_t>((x >> 8) % static_cast<std::uint64_t>(scale)) % limit;
    return i % 10 == 0 ? -v : v;
}

void LongBenchmarks() {
    std::vector<std::int32_t> values(kCount);
    for (int i = 0; i < kCount; ++i) values[i] = static_cast<std::int32_t>(Spread(i, 2147483647));
    std::vector<std::string> raws(kCount), texts(kCount);
    for (int i = 0; i < kCount; ++i) {
        raws[i] = LongRawText(values[i]);
        texts[i] = LongDisplayText(values[i], ',', true);
    }
    Measure("long -> raw text", [&] {
        for (auto v : values) checksum += LongRawText(v).size();
    });
    Measure("long -> display text 1,234", [&] {
        for (auto v : values) checksum += LongDisplayText(v, ',', true).size();
    });
    Measure("raw text -> long", [&] {
        for (const auto& r : raws) checksum += static_cast<std::uint32_t>(ParseLong(r));
    });
    Measure("display text -> long", [&] {
        for (const auto& t : texts) checksum += static_cast<std::uint32_t>(LongFromText(t));
    });
}

void DoubleBenchmarks() {
    std::vector<double> values(kCount);
    for (int i = 0; i < kCount; ++i) values[i] = static_cast<double>(Spread(i, 1'000'000'000'000'000)) / 1000.0;
    const NumberFormat format{'.', ',', 3};
    std::vector<std::string> raws(kCount), texts(kCount);
    for (int i = 0; i < kCount; ++i) {
        raws[i] = DoubleRawText(values[i], '.', 3);
        texts[i] = DoubleDisplayText(values[i], format, true);
    }
    Measure("double -> raw text (3 decimals)", [&] {
        for (double v : values) checksum += DoubleRawText(v, '.', 3).size();
    });
    Measure("double -> display text", [&] {
        for (double v : values) checksum += DoubleDisplayText(v, format, true).size();
    });
    Measure("raw text -> double", [&] {
        double out = 0;
        for (const auto& r : raws) checksum += DoubleFromRawText(r, '.', out) ? static_cast<std::uint64_t>(out > 0) : 7;
    });
    Measure("display text -> double", [&] {
        double out = 0;
        for (const auto& t : texts) checksum += DoubleFromText(t, '.', out) ? static_cast<std::uint64_t>(out > 0) : 7;
    });
}

void CurrencyBenchmarks() {
    std::vector<Currency> values(kCount);
    for (int i = 0; i < kCount; ++i) values[i] = Currency{Spread(i, INT64_MAX)};
    const NumberFormat format{'.', ',', 2};
    const CurrencyLayout layout{0, "$"};
    std::vector<std::string> raws(kCount), texts(kCount);
    for (int i = 0; i < kCount; ++i) {
        raws[i] = CurrencyToText(values[i], '.', 2);
        texts[i] = CurrencyDisplayText(values[i], format, layout, true).text;
    }
    Measure("currency -> raw text (2 decimals)", [&] {
        for (auto v : values) checksum += CurrencyToText(v, '.', 2).size();
    });
    Measure("currency -> display text ($1,234.50)", [&] {
        for (auto v : values) checksum += CurrencyDisplayText(v, format, layout, true).text.size();
    });
    Measure("raw text -> currency", [&] {
        Currency out;
        for (const auto& r : raws) checksum += TextToCurrency(out, r, '.') ? static_cast<std::uint64_t>(out.scaled) : 7;
    });
    Measure("display text -> currency", [&] {
        Currency out;
        for (const auto& t : texts) checksum += CurrencyFromText(t, '.', out) ? static_cast<std::uint64_t>(out.scaled) : 7;
    });
}

}  // namespace

int main() {
    std::printf("%d conversions each, best of %d runs\n", kCount, kRuns);
    LongBenchmarks();
    DoubleBenchmarks();
    CurrencyBenchmarks();
    std::printf("checksum %llu\n", static_cast<unsigned long long>(checksum));
    return 0;
}
