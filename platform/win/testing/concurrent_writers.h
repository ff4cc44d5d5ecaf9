// Runs one writer in each of several forked processes and as many threads at once, for tests of
// stores that must lose no update when written from both. Header-only and free of any test
// framework, like the other helpers here.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace win::testing {

// Calls `write(prefix)` in `writers` child processes (prefixes "p0_", "p1_", ...) and in
// `writers` threads ("t0_", ...) running together; true when every call answered true and every
// child exited normally.
template <typename Write>
bool WriteFromProcessesAndThreads(int writers, Write write) {
    std::vector<pid_t> children;
    bool ok = true;
    for (int p = 0; p < writers; ++p) {
        const pid_t child = fork();
        if (child == 0) _exit(write("p" + std::to_string(p) + "_") ? 0 : 1);
        if (child < 0) ok = false;
        if (child > 0) children.push_back(child);
    }
    std::atomic<bool> threadsOk = true;
    std::vector<std::thread> threads;
    for (int t = 0; t < writers; ++t) {
        threads.emplace_back([&, t] {
            if (!write("t" + std::to_string(t) + "_")) threadsOk = false;
        });
    }
    for (auto& thread : threads) thread.join();
    for (pid_t child : children) {
        int status = 0;
        ok &= waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return ok && threadsOk;
}

}  // namespace win::testing
