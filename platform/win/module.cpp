#include "platform/win/module.h"

#include <dlfcn.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/win/error.h"
#include "platform/win/paths.h"

namespace win {

Module Module::Load(std::string_view windowsPath, std::string* error) {
    Module module;
    std::filesystem::path host;
    try {
        host = HostPath(windowsPath);
    } catch (const RuntimeError& e) {
        if (error != nullptr) *error = e.Description();
        return module;
    }
    module.handle_ = ::dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module.handle_ == nullptr && error != nullptr) {
        const char* text = ::dlerror();
        *error = text != nullptr ? text : "cannot load " + host.string();
    }
    return module;
}

Module::Module(Module&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

Module& Module::operator=(Module&& other) noexcept {
    if (this != &other) {
        Release();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

Module::~Module() { Release(); }

void* Module::Export(const char* name) const {
    return handle_ != nullptr ? ::dlsym(handle_, name) : nullptr;
}

void Module::Release() {
    if (handle_ != nullptr) ::dlclose(std::exchange(handle_, nullptr));
}

void Module::Leak() { handle_ = nullptr; }   // the loader's reference is kept on purpose

std::string ModulePath(const void* address) {
    Dl_info info{};
    if (address == nullptr || ::dladdr(address, &info) == 0) return {};
    std::filesystem::path path(info.dli_fname != nullptr ? info.dli_fname : "");
    if (!path.is_absolute()) {
        // The loader names the executable as it was started; its real path is the link's target.
        std::error_code ec;
        path = std::filesystem::read_symlink("/proc/self/exe", ec);
        if (ec) return {};
    }
    return WindowsPath(path);
}

// Shared by the handle and the running thread, so that either may end first.
struct Thread::State {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::uint32_t exitCode = kStillActive;
    std::thread worker;   // touched only by the handle's owner
};

Thread Thread::Start(std::function<std::uint32_t()> entry) {
    Thread thread;
    auto state = std::make_shared<State>();
    try {
        state->worker = std::thread([state, entry = std::move(entry)] {
            std::uint32_t code = kThreadFailed;
            try {
                code = entry();
            } catch (...) {
                // An exception must not end the process from a worker: the thread just fails.
            }
            {
                std::lock_guard lock(state->mutex);
                state->exitCode = code;
                state->done = true;
            }
            state->ended.notify_all();
        });
    } catch (const std::system_error&) {
        return thread;   // no handle, as a failed creation gives
    }
    thread.state_ = std::move(state);
    return thread;
}

Thread Thread::StartAt(void* entryAddress, void* parameter) {
    if (entryAddress == nullptr) return {};
    using Entry = std::uint32_t (*)(void*);
    const auto function = reinterpret_cast<Entry>(entryAddress);
    return Start([function, parameter] { return function(parameter); });
}

Thread::Thread(Thread&& other) noexcept : state_(std::move(other.state_)) {}

Thread& Thread::operator=(Thread&& other) noexcept {
    if (this != &other) {
        Close();
        state_ = std::move(other.state_);
    }
    return *this;
}

Thread::~Thread() { Close(); }

WaitResult Thread::Wait(std::chrono::milliseconds timeout) {
    if (!state_) return WaitResult::TimedOut;   // a wait on no handle fails
    std::unique_lock lock(state_->mutex);
    auto ended = [this] { return state_->done; };
    if (timeout >= kInfinite) {
        state_->ended.wait(lock, ended);
        return WaitResult::Ended;
    }
    // steady_clock: a change of the system time neither shortens nor lengthens the wait.
    const auto deadline = std::chrono::steady_clock::now() + std::max(timeout, std::chrono::milliseconds(0));
    return state_->ended.wait_until(lock, deadline, ended) ? WaitResult::Ended : WaitResult::TimedOut;
}

std::uint32_t Thread::ExitCode() const {
    if (!state_) return 0;
    std::lock_guard lock(state_->mutex);
    return state_->exitCode;
}

void Thread::Close() {
    if (!state_) return;
    if (state_->worker.joinable()) {
        bool done = false;
        {
            std::lock_guard lock(state_->mutex);
            done = state_->done;
        }
        if (done) {
            state_->worker.join();
        } else {
            state_->worker.detach();
        }
    }
    state_.reset();
}

}  // namespace win
