// The runtime's error object and the steps helper: a trapped procedure as a checked list of steps.
//
// A trapped error is win::RuntimeError (platform/win/error.h), the one exception type of every
// layer. A procedure whose trap resumes (retry the statement, go on with the next, continue at a
// named statement, leave) is written as a list of steps instead of nested try blocks:
//
//   StepList list;                                          // 1. build
//   const Target again = list.To("open");                   //    a jump target, as a handle
//   list.Add("open", [&](StepFlow&) { db = Open(path); });
//   list.For("file", position, 1, [&] { return count; }, [&](StepList& body) {
//       const Target skip = body.To("file.next");
//       body.Add("file.test", [&, skip](StepFlow& flow) { if (Done(position)) flow.GoTo(skip); });
//       body.Add("file.copy", [&](StepFlow&) { Copy(db, position); });
//   });
//   list.Add("close", [&](StepFlow&) { db.Close(); });
//   const Procedure procedure(std::move(list));            // 2. check: every target resolved
//   procedure.Run([&](const win::RuntimeError& error, const FailedStep& failed) {   // 3. run
//       if (error.Number() == 3343 && failed.Is(again)) { Repair(path); return Resume::Retry(); }
//       if (error.Number() == 3262) { WaitForLock(); return Resume::At(again); }
//       Report(error);                                       // Err() holds the error meanwhile
//       return Resume::Next();
//   });
//
// RunSteps(list, handler) does 2 and 3 at once, for a procedure that is built where it runs.
//
// Contract:
//  1. Labels are unique within a list: Add raises std::logic_error at once for a label the list
//     already has. Unlabelled steps ("") can be continued at only by Next and Retry.
//  2. Jumps name their target through a Target handle from To(label), taken while the list is
//     built (before or after the labelled step is added; the same label gives the same target). Constructing the Procedure resolves
//     every handle the list gave out and raises std::logic_error naming each label no step
//     carries: a misspelt label fails where the list is built, never at the moment of the jump.
//  3. A step runs once per visit. When it returns, the procedure goes on with the next step, or
//     at the step of the target it gave to StepFlow::GoTo, or ends if it called StepFlow::Leave.
//  4. When a step raises win::RuntimeError, the handler gets the error (also current in Err())
//     and the failed step (FailedStep: its label, and Is/Within to tell it by its targets), and
//     answers:
//       Resume::Retry()      run the failed step again;
//       Resume::Next()       go on with the step after the failed one;
//       Resume::At(target)   continue at the target's step;
//       Resume::Leave()      end the procedure quietly.
//     Err() is cleared when the procedure resumes or leaves.
//  5. Any other exception a step raises (a fault of the program, not of the data) reaches the
//     handler as the runtime's error 51 "Internal error" with the exception's text, so that it is
//     trapped and reported as every unexpected error is, and never unwinds through the event
//     loop untrapped.
//  6. An error raised inside the handler passes to Run's caller, as an error raised while a trap
//     runs passes to the caller's trap.
//  7. For() writes a counted loop as steps "<name>.for" (position = first, the limit read once),
//     "<name>.top" (past the limit: continue after the loop), the body, and "<name>.next"
//     (position + 1, back to the top). A handler can retry a step of the body, go on with the
//     next one, or continue at "<name>.next" to skip the rest of the pass.
//  8. A Procedure can run any number of times, one run after another; a loop starts afresh at its
//     "<name>.for". Running it inside its own run (from its steps or its handler) is a programming
//     error, asserted in builds with assertions.
//  9. A Target belongs to the list that gave it out (and the Procedure built from it); using it in
//     another procedure is a programming error, raised as std::logic_error when the jump is taken.
// 10. ForEachRecord() writes a loop over the records of a recordset as steps "<name>.first"
//     (MoveFirst, unless the recordset is empty), "<name>.top" (at EOF: continue after the loop),
//     the body, and "<name>.next" (MoveNext, back to the top). The recordset is asked for at each
//     of these steps, so the loop follows the one its getter holds when it runs. A handler
//     resumes inside the loop as inside a counted one.
// 11. Trapped(body, handler) is the procedure of one step: the handler gets what the body raised
//     (current in Err() meanwhile, any other exception as error 51), and nothing else runs after.
//
// Asserted where the runtime relies on them, in builds with assertions (Debug, and the sanitizer
// build): point 8; every target resolved within its list (2); a loop's place bound once, for its
// own list (7, 9); a range of steps named first step first (Within). The checks that raise
// std::logic_error raise in every build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/win/error.h"

namespace forms {

// The runtime's number for an error that is not one of its own (contract 5).
inline constexpr long kInternalError = 51;

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

// The runtime's error 51 for an exception that is not a runtime error, its text kept as a hint.
win::RuntimeError InternalError(const std::string& what, std::string source = {});

// A jump target: a label of one StepList, resolved when its Procedure is built.
class Target {
public:
    Target() = default;

private:
    friend class StepList;
    friend class Procedure;
    Target(std::uint64_t list, std::size_t id) : list_(list), id_(id) {}
    std::uint64_t list_ = 0;   // 0: a target no list gave out
    std::size_t id_ = 0;
};

class Procedure;

// The step whose error a handler gets. It reads as its label (a std::string_view).
class FailedStep {
public:
    std::string_view Label() const { return label_; }
    operator std::string_view() const { return label_; }

    // Whether it is the step of `target`.
    bool Is(Target target) const;
    // Whether it lies between the steps of `first` and `last`, both included.
    bool Within(Target first, Target last) const;

private:
    friend class Procedure;
    FailedStep(const Procedure& procedure, std::size_t index, std::string_view label)
        : procedure_(procedure), index_(index), label_(label) {}
    const Procedure& procedure_;
    std::size_t index_;
    std::string_view label_;
};

// What a handler answers.
class Resume {
public:
    enum class Kind { Retry, Next, At, Leave };
    static Resume Retry() { return Resume(Kind::Retry, {}); }
    static Resume Next() { return Resume(Kind::Next, {}); }
    static Resume At(Target target) { return Resume(Kind::At, target); }
    static Resume Leave() { return Resume(Kind::Leave, {}); }

    Kind kind() const { return kind_; }
    Target target() const { return target_; }

private:
    Resume(Kind kind, Target target) : kind_(kind), target_(target) {}
    Kind kind_;
    Target target_;
};

// Lets a step steer the normal flow as a procedure's GoTo and Exit do.
class StepFlow {
public:
    void GoTo(Target target) {
        jump_ = target;
        leave_ = false;
    }
    void Leave() { leave_ = true; }

    const std::optional<Target>& Jump() const { return jump_; }
    bool Leaving() const { return leave_; }
    void Reset() {
        jump_.reset();
        leave_ = false;
    }

private:
    std::optional<Target> jump_;
    bool leave_ = false;
};

using StepRun = std::function<void(StepFlow&)>;

struct Step {
    std::string label;   // may be empty when nothing jumps to it
    StepRun run;
};

// The handler gets the error and the step that raised it.
using StepHandler = std::function<Resume(const win::RuntimeError&, const FailedStep& failed)>;

// The steps of a procedure while it is being written (contract 1, 2 and 7).
class StepList {
public:
    StepList();
    StepList(std::vector<Step> steps);   // not explicit: a plain list of steps is a StepList
    StepList(std::initializer_list<Step> steps) : StepList(std::vector<Step>(steps)) {}

    // The target of the step labelled `label`, added before or after this call.
    Target To(const std::string& label);

    // Appends a step; raises std::logic_error when the list has a step labelled `label` already.
    StepList& Add(std::string label, StepRun run);

    // For position = first To limit() ... Next, with the steps `body` adds in between.
    template <class Counter>
    StepList& For(const std::string& name, Counter& position, std::type_identity_t<Counter> first,
                  std::type_identity_t<std::function<Counter()>> limit, const std::function<void(StepList&)>& body) {
        auto last = std::make_shared<Counter>(first);
        const Target top = To(name + ".top");
        const Target after = Unnamed();
        Add(name + ".for", [&position, first, last, limit](StepFlow&) {
            position = first;
            *last = limit();
        });
        Add(name + ".top", [&position, last, after](StepFlow& flow) {
            if (position > *last) flow.GoTo(after);
        });
        body(*this);
        Add(name + ".next", [&position, top](StepFlow& flow) {
            ++position;
            flow.GoTo(top);
        });
        BindHere(after);
        return *this;
    }

    // Each record of the recordset `records()` returns, from the first to EOF, with the steps
    // `body` adds in between (contract 10).
    template <class Records>
    StepList& ForEachRecord(const std::string& name, Records records, const std::function<void(StepList&)>& body) {
        const Target top = To(name + ".top");
        const Target after = Unnamed();
        Add(name + ".first", [records](StepFlow&) {
            auto& set = records();
            if (!(set.Bof() && set.Eof())) set.MoveFirst();
        });
        Add(name + ".top", [records, after](StepFlow& flow) {
            if (records().Eof()) flow.GoTo(after);
        });
        body(*this);
        Add(name + ".next", [records, top](StepFlow& flow) {
            records().MoveNext();
            flow.GoTo(top);
        });
        BindHere(after);
        return *this;
    }

private:
    friend class Procedure;
    struct Label {
        std::string name;                   // empty for a target bound to a place, not a step
        std::optional<std::size_t> index;   // the step it continues at; the end when == size
    };
    Target Unnamed();
    void BindHere(Target target);

    std::uint64_t serial_;
    std::vector<Step> steps_;
    std::vector<Label> labels_;
};

// A checked list of steps, ready to run (contract 2 to 6).
class Procedure {
public:
    // Raises std::logic_error naming every label that was asked for and that no step carries.
    explicit Procedure(StepList list);

    void Run(const StepHandler& handler) const;

private:
    friend class FailedStep;
    std::size_t IndexOf(Target target) const;

    std::uint64_t serial_;
    std::vector<Step> steps_;
    std::vector<std::size_t> targets_;
    mutable bool running_ = false;   // contract 8: not run inside its own run
};

// Builds the procedure of `steps` and runs it under `handler`.
void RunSteps(StepList steps, const StepHandler& handler);

// Runs `body` as a procedure of one step; `handler` gets the error it raised (contract 11).
void Trapped(const std::function<void()>& body, const std::function<void(const win::RuntimeError&)>& handler);

}  // namespace forms
