// Loaded libraries and the worker threads that run their exports.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace win {

// A library loaded by path (dlopen). Moving transfers the reference; destruction releases it
// unless Leak() was called.
class Module {
public:
    Module() = default;
    // Loads the library at a Windows path; an empty Module on failure, with the loader's text in
    // `error` when given.
    static Module Load(std::string_view windowsPath, std::string* error = nullptr);

    Module(Module&& other) noexcept;
    Module& operator=(Module&& other) noexcept;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    ~Module();

    explicit operator bool() const { return handle_ != nullptr; }
    // Address of an exported symbol, nullptr when absent.
    void* Export(const char* name) const;
    void Release();
    // Keeps the library loaded for the life of the process (a worker thread may still run in it).
    void Leak();

private:
    void* handle_ = nullptr;
};

// The Windows path of the loaded module (library or executable) that contains `address`; "" when
// no module does. A library uses it to find the files beside itself.
std::string ModulePath(const void* address);

// Exit code of a thread that has not ended yet.
inline constexpr std::uint32_t kStillActive = 259;
// Exit code of a thread whose entry ended by throwing.
inline constexpr std::uint32_t kThreadFailed = 0xFFFFFFFFu;
// A wait timeout that never expires (the platform's INFINITE).
inline constexpr std::chrono::milliseconds kInfinite{0xFFFFFFFFu};

enum class WaitResult { Ended, TimedOut };

// A worker thread with a handle: wait with a timeout, read the exit code, close the handle.
class Thread {
public:
    // Starts `entry` at once; an empty Thread (no handle) when the system cannot start a thread.
    static Thread Start(std::function<std::uint32_t()> entry);
    // Starts the function at `entryAddress` (an export: std::uint32_t entry(void*)) with
    // `parameter`, as a thread created on a start address; empty when the address is null.
    static Thread StartAt(void* entryAddress, void* parameter = nullptr);

    Thread() = default;
    Thread(Thread&&) noexcept;
    Thread& operator=(Thread&&) noexcept;
    ~Thread();   // closes the handle

    explicit operator bool() const { return state_ != nullptr; }

    // Waits until the thread ends or `timeout` passes on the monotonic clock (kInfinite or more:
    // no limit). TimedOut also for a Thread without a handle, as a failed wait.
    WaitResult Wait(std::chrono::milliseconds timeout);
    // kStillActive while the thread runs, then the entry's result (0 without a handle).
    std::uint32_t ExitCode() const;
    // Closes the handle. A thread still running is detached and left to end on its own; when it
    // runs code of a Module, the caller must Leak() that module, since the thread may still use it.
    void Close();

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace win
