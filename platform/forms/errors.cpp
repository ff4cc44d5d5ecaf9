#include "platform/forms/errors.h"

#include <atomic>
#include <cassert>
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

std::uint64_t NextListSerial() {
    static std::atomic<std::uint64_t> serial{0};
    return ++serial;
}

}  // namespace

win::RuntimeError InternalError(const std::string& what, std::string source) {
    return win::RuntimeError(kInternalError, what.empty() ? "Internal error" : "Internal error (" + what + ")",
                             std::move(source));
}

StepList::StepList() : serial_(NextListSerial()) {}

StepList::StepList(std::vector<Step> steps) : StepList() {
    for (Step& step : steps) Add(std::move(step.label), std::move(step.run));
}

Target StepList::To(const std::string& label) {
    if (label.empty()) throw std::logic_error("a jump needs a label");
    for (std::size_t id = 0; id < labels_.size(); ++id) {
        if (labels_[id].name == label) return Target(serial_, id);
    }
    labels_.push_back({label, std::nullopt});
    return Target(serial_, labels_.size() - 1);
}

StepList& StepList::Add(std::string label, StepRun run) {
    if (!label.empty()) {
        const Target target = To(label);
        Label& slot = labels_[target.id_];
        if (slot.index) throw std::logic_error("two steps labelled " + label);
        slot.index = steps_.size();
    }
    steps_.push_back({std::move(label), std::move(run)});
    return *this;
}

Target StepList::Unnamed() {
    labels_.push_back({{}, std::nullopt});
    return Target(serial_, labels_.size() - 1);
}

void StepList::BindHere(Target target) {
    assert(target.list_ == serial_ && target.id_ < labels_.size() && "a place bound for another list");
    assert(!labels_[target.id_].index && "a place bound twice");
    labels_[target.id_].index = steps_.size();
}

Procedure::Procedure(StepList list) : serial_(list.serial_), steps_(std::move(list.steps_)) {
    std::string unresolved;
    targets_.reserve(list.labels_.size());
    for (const StepList::Label& label : list.labels_) {
        if (!label.index) unresolved += (unresolved.empty() ? "" : ", ") + label.name;
        targets_.push_back(label.index.value_or(steps_.size()));
    }
    if (!unresolved.empty()) throw std::logic_error("no step labelled " + unresolved);
    // Contract 2: every target resolves to a step, or to the end of the list.
    for ([[maybe_unused]] const std::size_t index : targets_) assert(index <= steps_.size());
}

std::size_t Procedure::IndexOf(Target target) const {
    if (target.list_ != serial_ || target.id_ >= targets_.size()) {
        throw std::logic_error("a jump to a target of another procedure");
    }
    assert(targets_[target.id_] <= steps_.size() && "a target resolved past the end of its list");
    return targets_[target.id_];
}

bool FailedStep::Is(Target target) const { return procedure_.IndexOf(target) == index_; }

bool FailedStep::Within(Target first, Target last) const {
    const std::size_t from = procedure_.IndexOf(first);
    const std::size_t to = procedure_.IndexOf(last);
    assert(from <= to && "a range of steps named last step first");
    return from <= index_ && index_ <= to;
}

namespace {

// Contract 8: a procedure runs any number of times, one run after another. A run inside its own
// run (from one of its steps or its handler) would start its loops afresh under the outer run,
// whose counters and limits they share.
class RunningScope {
public:
    explicit RunningScope(bool& running) : running_(running) {
        assert(!running_ && "a procedure run inside its own run");
        running_ = true;
    }
    ~RunningScope() { running_ = false; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    bool& running_;
};

}  // namespace

void Procedure::Run(const StepHandler& handler) const {
    const RunningScope scope(running_);
    StepFlow flow;
    std::size_t i = 0;
    while (i < steps_.size()) {
        flow.Reset();
        std::optional<win::RuntimeError> failure;
        try {
            steps_[i].run(flow);
        } catch (const win::RuntimeError& error) {
            failure = error;
        } catch (const std::exception& error) {
            failure = InternalError(error.what(), steps_[i].label);
        } catch (...) {
            failure = InternalError({}, steps_[i].label);
        }
        if (failure) {
            Err().Set(*failure);
            const Resume answer = handler(*failure, FailedStep(*this, i, steps_[i].label));
            Err().Clear();
            switch (answer.kind()) {
                case Resume::Kind::Retry: continue;
                case Resume::Kind::Next: ++i; continue;
                case Resume::Kind::At: i = IndexOf(answer.target()); continue;
                case Resume::Kind::Leave: return;
            }
        }
        if (flow.Leaving()) return;
        i = flow.Jump() ? IndexOf(*flow.Jump()) : i + 1;
    }
}

void RunSteps(StepList steps, const StepHandler& handler) { Procedure(std::move(steps)).Run(handler); }

void Trapped(const std::function<void()>& body, const std::function<void(const win::RuntimeError&)>& handler) {
    RunSteps({{"", [&body](StepFlow&) { body(); }}}, [&handler](const win::RuntimeError& error, const FailedStep&) {
        handler(error);
        return Resume::Leave();
    });
}

}  // namespace forms
