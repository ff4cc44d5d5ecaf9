#include "platform/forms/errors.h"

#include <stdexcept>

namespace forms {

void ErrObject::Set(const win::RuntimeError& error) {
    number_ = error.Number();
    description_ = error.Description();
    source_ = error.Source();
}

void ErrObject::Clear() {
    number_ = 0;
    description_.clear();
    source_.clear();
}

void ErrObject::Raise(long number, std::string source, std::string description) {
    if (description.empty()) description = win::RuntimeErrorText(number);
    throw win::RuntimeError(number, std::move(description), std::move(source));
}

ErrObject& Err() {
    static ErrObject err;
    return err;
}

namespace {

std::size_t IndexOf(const std::vector<Step>& steps, const std::string& label) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (!label.empty() && steps[i].label == label) return i;
    }
    throw std::logic_error("no step labelled " + label);
}

}  // namespace

void RunSteps(const std::vector<Step>& steps, const StepHandler& handler) {
    StepFlow flow;
    std::size_t i = 0;
    while (i < steps.size()) {
        flow.Reset();
        try {
            steps[i].run(flow);
        } catch (const win::RuntimeError& error) {
            Err().Set(error);
            const Resume answer = handler(error, steps[i].label);
            Err().Clear();
            switch (answer.kind()) {
                case Resume::Kind::Retry: continue;
                case Resume::Kind::Next: ++i; continue;
                case Resume::Kind::At: i = IndexOf(steps, answer.label()); continue;
                case Resume::Kind::Leave: return;
            }
        }
        if (flow.Leaving()) return;
        i = flow.Jump().empty() ? i + 1 : IndexOf(steps, flow.Jump());
    }
}

}  // namespace forms
