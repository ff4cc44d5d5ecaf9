// Prints how the time to read a report file grows with its number of Column= and Sum= lines, and
// how the time to read a Format pattern (once per column) and to format one value with it (once
// per row) grow with the pattern's length. Each size doubles
// the last; in proportion means the time per line (per pattern character) stays about the same.
// A file or pattern over the report file's limits is refused before this work; the patterns here
// go past the limit on purpose, through the column format itself, to show the formatting alone.
//
// Usage: report_file_bench [repetitions]   (the best of that many runs counts; 3 by default)
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/controls/report/report_file.h"
#include "platform/controls/report/report_format.h"
#include "platform/win/error.h"

namespace {

using namespace controls::report;
using Clock = std::chrono::steady_clock;

// The best time of `repetitions` runs of `work`, in seconds.
template <typename Work>
double Best(int repetitions, Work&& work) {
    double best = 1e300;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// A report file that sums each of its `fields` columns: 2 x fields lines.
std::string ManySums(int fields) {
    std::string text = "Source=T\n";
    for (int i = 0; i < fields; ++i) text += "Column=F|Campo" + std::to_string(i) + "|0.01|R|0\n";
    for (int i = 0; i < fields; ++i) text += "Sum=CAMPO" + std::to_string(i) + "\n";
    return text;
}

void ReportFiles(int repetitions) {
    std::printf("report file with N Column= and N Sum= lines\n");
    std::printf("%8s %10s %12s %14s\n", "N", "bytes", "read ms", "us per line");
    for (int fields = 2500; fields <= 20000; fields *= 2) {
        const std::string text = ManySums(fields);
        std::size_t sums = 0;
        const double seconds = Best(repetitions, [&] { sums = ParseReportFile(text, "bench.rpt").sums.size(); });
        if (sums != static_cast<std::size_t>(fields)) std::fprintf(stderr, "wrong count of sums\n");
        std::printf("%8d %10zu %12.2f %14.3f\n", fields, text.size(), seconds * 1e3, seconds * 1e6 / (2.0 * fields));
    }
    const std::string tooLarge = ManySums(60000);
    const double refused = Best(repetitions, [&] {
        try {
            ParseReportFile(tooLarge, "bench.rpt");
        } catch (const win::RuntimeError&) {
        }
    });
    std::printf("a file of %zu bytes, over the limit: refused in %.3f ms\n\n", tooLarge.size(), refused * 1e3);
}

void LongPatterns(int repetitions) {
    std::printf("one date formatted with a pattern of L letters 'd'\n");
    std::printf("%8s %10s %12s %14s %12s\n", "L", "read ms", "format ms", "ns per char", "text bytes");
    const CellValue date = CellValue::Date(45657.5);
    for (std::size_t length = 12500; length <= 100000; length *= 2) {
        const std::string pattern(length, 'd');
        const double read = Best(repetitions, [&] { CellFormat(pattern, "Data"); });
        const CellFormat format(pattern, "Data");
        std::size_t bytes = 0;
        const double seconds = Best(repetitions, [&] { bytes = format.Apply(date).size(); });
        std::printf("%8zu %10.2f %12.2f %14.1f %12zu\n", length, read * 1e3, seconds * 1e3,
                    seconds * 1e9 / static_cast<double>(length), bytes);
    }
    const CellFormat longest(std::string(kMaxPatternChars, 'd'), "Data");
    const double perValue = Best(repetitions, [&] {
        for (int i = 0; i < 1000; ++i) longest.Apply(date);
    });
    std::printf("the longest pattern a report file allows (%zu letters): %.1f us per value\n", kMaxPatternChars,
                perValue * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = 3;
    if (argc > 1) std::from_chars(argv[1], argv[1] + std::strlen(argv[1]), repetitions);
    if (repetitions < 1) repetitions = 1;
    ReportFiles(repetitions);
    LongPatterns(repetitions);
    return 0;
}
