// Another program working on the same files as the test: a child process that runs its steps one
// at a time, each when the test asks for it, so that a test can put another process's change
// exactly between two of its own operations. Header-only and free of any test framework, like the
// other helpers here.
//
// The child is forked when the object is made, and must be made before the test opens the files
// the steps work on: a forked child shares its parent's view of the files the parent has open
// (SQLite keeps one per file and process), but none of the parent's locks on them.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <utility>
#include <vector>

namespace win::testing {

class OtherProgram {
public:
    // A step answers false for a failure; the child then stops and Next() answers false.
    using Step = std::function<bool()>;

    explicit OtherProgram(std::vector<Step> steps) {
        if (pipe(ask_) != 0 || pipe(done_) != 0) return;
        pid_ = fork();
        if (pid_ != 0) {
            close(ask_[0]);
            close(done_[1]);
            return;
        }
        close(ask_[1]);
        close(done_[0]);
        char c = 0;
        for (Step& step : steps) {
            if (read(ask_[0], &c, 1) != 1 || !step()) _exit(1);
            if (write(done_[1], "d", 1) != 1) _exit(1);
        }
        // The last step's state (an open connection, a lock) lasts until the test ends the child.
        while (read(ask_[0], &c, 1) == 1) {
        }
        _exit(0);
    }

    ~OtherProgram() { End(); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    // Runs the next step and waits for it; false when it failed or there is none.
    bool Next() {
        char c = 0;
        return pid_ > 0 && write(ask_[1], "n", 1) == 1 && read(done_[0], &c, 1) == 1;
    }

    // Ends the child (it lets go of what it holds); true when it ran every step it was asked to.
    bool End() {
        if (pid_ <= 0) return false;
        close(ask_[1]);
        close(done_[0]);
        int status = 0;
        waitpid(std::exchange(pid_, -1), &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    int ask_[2] = {-1, -1};
    int done_[2] = {-1, -1};
    pid_t pid_ = -1;
};

}  // namespace win::testing
