// The engine's consolidation of the benchmark's stores, and the figures both copies record.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "bench/consolidation/stores.h"

namespace bench {

// Wall-clock and CPU seconds of a copy's phases, rows copied, and the process's peak memory
// (kB) after the stores the report names.
struct Measure {
    long long rows = 0;
    double copyWall = 0, copyCpu = 0, indexWall = 0, commitWall = 0, totalWall = 0, totalCpu = 0;
    std::map<std::size_t, long> peakAfter;
    std::vector<double> storeCopiedAt;  // wall seconds from the start at which each store's copy ended

    void Start();
    // After store `done` of `count`: records when it ended, and the peak memory after stores 1, 5
    // and the last.
    void StoreDone(std::size_t done, std::size_t count);
    void CopyDone();
    void IndexesDone();
    void CommitDone();

private:
    double WallNow() const;
    std::chrono::steady_clock::time_point start_;
    double cpuStart_ = 0;
    double phaseStart_ = 0;
};

// Resets the process's peak memory to what it holds now (Linux), so that each run's peak is its own.
void ResetPeakMemory();
// The process's peak resident memory in kB since the last reset.
long PeakMemoryKiB();

// Consolidates `stores` into `programFolder`\Backup.mdb (a fresh copy of the chain's) as the
// consolidation run does, inside one transaction of one engine.
Measure EngineRun(const std::vector<BenchStore>& stores, const std::string& programFolder);

}  // namespace bench
