// The measuring loop of the conversion benchmarks: runs one batch of conversions several times and
// answers the best time, so a busy machine's slow runs do not count.
#pragma once

#include <algorithm>
#include <chrono>

namespace bench {

// The shortest of `runs` runs of `work`, in seconds.
template <typename Work>
double BestSeconds(int runs, Work&& work) {
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

}  // namespace bench
