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

enum class WaitResult { Ended, TimedOut };

// A worker thread with a handle: wait with a timeout, read the exit code, close the handle.
class Thread {
public:
    static Thread Start(std::function<std::uint32_t()> entry);

    Thread() = default;
    Thread(Thread&&) noexcept;
    Thread& operator=(Thread&&) noexcept;
    ~Thread();   // closes the handle

    // Waits until the thread ends or `timeout` passes on the monotonic clock.
    WaitResult Wait(std::chrono::milliseconds timeout);
    // kStillActive while the thread runs, then the entry's result.
    std::uint32_t ExitCode() const;
    // Closes the handle. A thread still running is detached and left to end on its own.
    void Close();

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace win
