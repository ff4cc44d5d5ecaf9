// The runtime's error object and the helper that runs a trapped procedure as numbered steps.
//
// A trapped error is win::RuntimeError (platform/win/error.h), the one exception type of every
// layer. A procedure whose trap resumes is written as a list of steps run by RunSteps: when a
// step raises, the handler sees the error (also in Err()) and answers what to do next:
//   Retry()   run the failed step again;
//   Next()    go on with the step after the failed one;
//   At(label) continue at the step with that label;
//   Leave()   end the procedure quietly.
// An error raised inside the handler passes to RunSteps' caller, as an error raised while a trap
// runs passes to the caller's trap. Err() is cleared when the procedure resumes or leaves.
// Errors of any other type are not trapped.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/error.h"

namespace forms {

// The runtime's Err object: the error of the trap that is running.
class ErrObject {
public:
    long Number() const { return number_; }
    const std::string& Description() const { return description_; }
    const std::string& Source() const { return source_; }

    void Set(const win::RuntimeError& error);
    void Clear();

    // Err.Raise: raises `number` with `description`, or the runtime's own text for the number.
    [[noreturn]] void Raise(long number, std::string source = {}, std::string description = {});

private:
    long number_ = 0;
    std::string description_;
    std::string source_;
};

ErrObject& Err();

// What a handler answers.
class Resume {
public:
    enum class Kind { Retry, Next, At, Leave };
    static Resume Retry() { return Resume(Kind::Retry, {}); }
    static Resume Next() { return Resume(Kind::Next, {}); }
    static Resume At(std::string label) { return Resume(Kind::At, std::move(label)); }
    static Resume Leave() { return Resume(Kind::Leave, {}); }

    Kind kind() const { return kind_; }
    const std::string& label() const { return label_; }

private:
    Resume(Kind kind, std::string label) : kind_(kind), label_(std::move(label)) {}
    Kind kind_;
    std::string label_;
};

// Lets a step steer the normal flow as a procedure's GoTo and Exit do.
class StepFlow {
public:
    void GoTo(std::string label) {
        jump_ = std::move(label);
        leave_ = false;
    }
    void Leave() { leave_ = true; }

    const std::string& Jump() const { return jump_; }
    bool Leaving() const { return leave_; }
    void Reset() {
        jump_.clear();
        leave_ = false;
    }

private:
    std::string jump_;
    bool leave_ = false;
};

struct Step {
    std::string label;                      // may be empty when nothing jumps to it
    std::function<void(StepFlow&)> run;
};

// The handler gets the error and the label of the step that raised it.
using StepHandler = std::function<Resume(const win::RuntimeError&, std::string_view failedLabel)>;

// Runs `steps` in order under `handler`. Raises std::logic_error for a jump to an unknown label
// (a programming error, not a runtime one).
void RunSteps(const std::vector<Step>& steps, const StepHandler& handler);

}  // namespace forms
