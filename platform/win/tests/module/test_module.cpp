// A small library for the module and thread tests: exports a plain function and thread entries,
// one of which blocks until the test releases it.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace {
std::atomic<bool> released{false};
std::atomic<bool> finished{false};
}  // namespace

extern "C" {

__attribute__((visibility("default"))) int Answer() { return 42; }

__attribute__((visibility("default"))) std::uint32_t QuickEntry(void* parameter) {
    return parameter != nullptr ? *static_cast<std::uint32_t*>(parameter) : 7u;
}

__attribute__((visibility("default"))) std::uint32_t BlockedEntry(void*) {
    while (!released.load()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    finished.store(true);
    return 9;
}

__attribute__((visibility("default"))) void ReleaseBlocked() { released.store(true); }

__attribute__((visibility("default"))) int BlockedFinished() { return finished.load() ? 1 : 0; }
}
