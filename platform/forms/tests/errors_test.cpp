#include "platform/forms/errors.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using forms::Resume;
using forms::StepFlow;
using forms::StepList;

Resume GoOn(const win::RuntimeError&, std::string_view) { return Resume::Next(); }

// A procedure of five steps whose second step fails `failures` times with `number`; the handler
// answers `answer` and the log shows which steps ran.
struct Procedure {
    int failures = 1;
    long number = 3021;
    std::string log;
    StepList list;
    forms::Target a = list.To("a");
    forms::Target d = list.To("d");

    StepList& Steps() {
        list.Add("a", [this](StepFlow&) { log += "a"; })
            .Add("b",
                 [this](StepFlow&) {
                     log += "b";
                     if (failures-- > 0) win::Raise(number, "b");
                     log += "!";
                 })
            .Add("c", [this](StepFlow&) { log += "c"; })
            .Add("d", [this](StepFlow&) { log += "d"; })
            .Add("e", [this](StepFlow&) { log += "e"; });
        return list;
    }
};

TEST(StepsTest, TheHandlersAnswerDecidesWhereTheProcedureGoesOn) {
    enum class Answer { Retry, Next, AtD, AtA, Leave };
    const struct {
        const char* name;
        int failures;
        Answer answer;
        const char* log;
    } rows[] = {
        {"retry until it works", 2, Answer::Retry, "abbb!cde"},
        {"next skips the rest of the failed step", 1, Answer::Next, "abcde"},
        {"continue at a label", 1, Answer::AtD, "abde"},
        {"continue at an earlier label", 1, Answer::AtA, "abab!cde"},
        {"leave", 1, Answer::Leave, "ab"},
        {"no error, handler unused", 0, Answer::Leave, "ab!cde"},
    };
    for (const auto& row : rows) {
        Procedure procedure;
        procedure.failures = row.failures;
        const Resume answers[] = {Resume::Retry(), Resume::Next(), Resume::At(procedure.d), Resume::At(procedure.a),
                                  Resume::Leave()};
        int handled = 0;
        forms::RunSteps(procedure.Steps(), [&](const win::RuntimeError& error, std::string_view label) {
            ++handled;
            EXPECT_EQ(error.Number(), 3021);
            EXPECT_EQ(forms::Err().Number(), 3021) << "Err is set while the trap runs";
            EXPECT_EQ(label, "b");
            return answers[static_cast<int>(row.answer)];
        });
        EXPECT_EQ(procedure.log, row.log) << row.name;
        EXPECT_EQ(handled, row.failures) << row.name;
        EXPECT_EQ(forms::Err().Number(), 0) << row.name << ": Err is cleared on resuming";
    }
}

TEST(StepsTest, AnErrorRaisedInTheHandlerPassesToTheCaller) {
    Procedure procedure;
    try {
        forms::RunSteps(procedure.Steps(), [](const win::RuntimeError&, std::string_view) -> Resume {
            win::Raise(53, "handler");
        });
        FAIL() << "the handler's error was swallowed";
    } catch (const win::RuntimeError& error) {
        EXPECT_EQ(error.Number(), 53);
        EXPECT_EQ(error.Source(), "handler");
    }
    EXPECT_EQ(procedure.log, "ab");
}

TEST(StepsTest, StepsJumpAndLeaveInTheirNormalFlow) {
    std::string log;
    StepList list;
    const forms::Target end = list.To("end");
    list.Add("start", [&](StepFlow& flow) { log += "s"; flow.GoTo(end); })
        .Add("skipped", [&](StepFlow&) { log += "x"; })
        .Add("end", [&](StepFlow& flow) { log += "e"; flow.Leave(); })
        .Add("after", [&](StepFlow&) { log += "a"; });
    forms::RunSteps(std::move(list), GoOn);
    EXPECT_EQ(log, "se");
}

// A misspelt or doubled label is a fault of the procedure's text: it must show where the list is
// built, before any step runs, and not only on the day the jump is taken.
TEST(StepsTest, AMisspeltOrDoubledLabelFailsWhereTheListIsBuilt) {
    bool ran = false;
    const auto run = [&](StepFlow&) { ran = true; };
    {
        StepList list;
        const forms::Target typo = list.To("fim");
        list.Add("inicio", [&, typo](StepFlow& flow) { ran = true; flow.GoTo(typo); }).Add("final", run);
        try {
            forms::Procedure procedure(std::move(list));
            FAIL() << "a jump to a missing label was accepted";
        } catch (const std::logic_error& error) {
            EXPECT_EQ(std::string(error.what()), "no step labelled fim");
        }
    }
    {
        StepList list;
        list.To("a");
        list.To("b");
        list.Add("x", run);
        EXPECT_THROW(forms::Procedure{std::move(list)}, std::logic_error) << "every unresolved label is checked";
    }
    {
        StepList list;
        list.Add("passo", run);
        EXPECT_THROW(list.Add("passo", run), std::logic_error);
        EXPECT_THROW((StepList{{"x", run}, {"x", run}}), std::logic_error);
        EXPECT_NO_THROW((StepList{{"", run}, {"", run}})) << "unlabelled steps are not jump targets";
    }
    EXPECT_FALSE(ran);
}

TEST(StepsTest, ATargetOfAnotherProcedureIsRefused) {
    StepList other;
    const forms::Target foreign = other.To("x");
    other.Add("x", [](StepFlow&) {});
    StepList list;
    list.Add("x", [&](StepFlow& flow) { flow.GoTo(foreign); });
    EXPECT_THROW(forms::RunSteps(std::move(list), GoOn), std::logic_error);
}

// A fault that is not a runtime error (a bad optional, an out-of-range index) must reach the
// procedure's trap like any unexpected error, not unwind through the caller's event loop.
TEST(StepsTest, AForeignExceptionReachesTheHandlerAsTheInternalError) {
    const struct {
        const char* name;
        std::function<void()> fault;
        const char* description;
    } rows[] = {
        {"standard exception", [] { std::optional<int>().value(); }, "Internal error (bad optional access)"},
        {"out of range", [] { (void)std::string().at(3); }, nullptr},
        {"not an exception class", [] { throw 7; }, "Internal error"},
    };
    for (const auto& row : rows) {
        std::string log;
        std::string seen;
        forms::RunSteps({{"um", [&](StepFlow&) { row.fault(); log += "!"; }}, {"dois", [&](StepFlow&) { log += "2"; }}},
                        [&](const win::RuntimeError& error, std::string_view label) {
                            EXPECT_EQ(error.Number(), forms::kInternalError) << row.name;
                            EXPECT_EQ(forms::Err().Number(), forms::kInternalError) << row.name;
                            EXPECT_EQ(label, "um");
                            seen = error.Description();
                            return Resume::Next();
                        });
        EXPECT_EQ(log, "2") << row.name;
        if (row.description) {
            EXPECT_EQ(seen, row.description) << row.name;
        }
        EXPECT_EQ(seen.rfind("Internal error", 0), 0u) << row.name << ": " << seen;
    }
}

TEST(StepsTest, ForRunsItsBodyOncePerPositionAndReadsItsLimitOnce) {
    const struct {
        int limit;
        int skipAt;   // the handler continues at "i.next" when the body fails here
        const char* log;
    } rows[] = {
        {3, 0, "1a1b2a2b3a3b."},
        {0, 0, "."},
        {3, 2, "1a1b2a3a3b."},
    };
    for (const auto& row : rows) {
        std::int16_t position = 0;
        int limit = row.limit;
        int limitReads = 0;
        std::string log;
        StepList list;
        const forms::Target next = list.To("i.next");
        list.For("i", position, 1, [&] {
            ++limitReads;
            return static_cast<std::int16_t>(limit);
        }, [&](StepList& body) {
            body.Add("i.a", [&](StepFlow&) {
                    log += std::to_string(position) + "a";
                    limit = 1;   // a later change of the limit does not shorten the loop
                    if (position == row.skipAt) win::Raise(5);
                })
                .Add("i.b", [&](StepFlow&) { log += std::to_string(position) + "b"; });
        });
        list.Add("end", [&](StepFlow&) { log += "."; });
        forms::RunSteps(std::move(list), [&](const win::RuntimeError&, std::string_view label) {
            EXPECT_EQ(label, "i.a");
            return Resume::At(next);
        });
        EXPECT_EQ(log, row.log);
        EXPECT_EQ(limitReads, 1);
        EXPECT_EQ(position, row.limit + 1) << "the position ends one past the limit";
    }
}

TEST(StepsTest, NestedLoopsAndALoopAtTheEndOfTheList) {
    int outer = 0, inner = 0;
    std::string log;
    StepList list;
    list.For("o", outer, 1, [] { return 2; }, [&](StepList& o) {
        o.For("n", inner, 1, [&] { return outer; }, [&](StepList& n) {
            n.Add("", [&](StepFlow&) { log += std::to_string(outer) + std::to_string(inner) + " "; });
        });
    });
    forms::RunSteps(std::move(list), GoOn);
    EXPECT_EQ(log, "11 21 22 ");
}

// A recordset as the record loop sees it: a cursor over `rows`, raising at `failAt` once.
struct Records {
    std::vector<std::string> rows;
    std::size_t at = 0;
    int moveFirsts = 0;
    bool Bof() const { return rows.empty() || at == 0; }
    bool Eof() const { return at >= rows.size(); }
    void MoveFirst() {
        if (rows.empty()) win::Raise(3021, "MoveFirst");
        ++moveFirsts;
        at = 0;
    }
    void MoveNext() {
        if (Eof()) win::Raise(3021, "MoveNext");
        ++at;
    }
};

TEST(StepsTest, ForEachRecordVisitsEveryRecordFromTheFirstAndResumesInsideTheLoop) {
    const struct {
        const char* name;
        std::vector<std::string> rows;
        std::size_t startAt;       // where the cursor stands before the loop
        std::string failOn;        // the record whose "copy" step fails once; "" for none
        bool skipRest;             // the handler continues at ".next" (else at the next step)
        const char* log;
    } rows[] = {
        {"every record, from the first", {"a", "b", "c"}, 2, "", false, "[a+a][b+b][c+c]end"},
        {"an empty recordset runs no pass and no MoveFirst", {}, 0, "", false, "end"},
        {"next goes on with the step after the failed one", {"a", "b"}, 0, "a", false, "[a!+a][b+b]end"},
        {"a jump to .next skips the rest of the pass", {"a", "b"}, 1, "a", true, "[a![b+b]end"},
    };
    for (const auto& row : rows) {
        Records records{row.rows, row.startAt};
        std::string log;
        bool failed = false;
        StepList list;
        const forms::Target next = list.To("Rows.next");
        const forms::Target copy = list.To("Rows.Copy");
        list.ForEachRecord("Rows", [&]() -> Records& { return records; }, [&](StepList& body) {
            body.Add("Rows.Copy", [&](StepFlow&) {
                log += "[" + records.rows[records.at];
                if (!failed && records.rows[records.at] == row.failOn) {
                    failed = true;
                    log += "!";
                    win::Raise(53, "copy");
                }
            });
            body.Add("Rows.Mark", [&](StepFlow&) { log += "+" + records.rows[records.at]; });
            body.Add("Rows.Close", [&](StepFlow&) { log += "]"; });
        });
        list.Add("End", [&](StepFlow&) { log += "end"; });
        forms::RunSteps(std::move(list), [&](const win::RuntimeError&, const forms::FailedStep& step) {
            EXPECT_TRUE(step.Is(copy)) << row.name;
            return row.skipRest ? Resume::At(next) : Resume::Next();
        });
        EXPECT_EQ(log, row.log) << row.name;
        EXPECT_EQ(records.moveFirsts, row.rows.empty() ? 0 : 1) << row.name;
        EXPECT_TRUE(records.Eof()) << row.name;
    }
}

TEST(StepsTest, TheHandlerTellsTheFailedStepByItsTargets) {
    StepList list;
    const forms::Target open = list.To("Open"), first = list.To("Loop.for"), last = list.To("Loop.next");
    const forms::Target body = list.To("Loop.Body"), close = list.To("Close");
    long position = 0;
    std::string failing;
    list.Add("Open", [&](StepFlow&) {
        if (failing == "Open") win::Raise(76);
    });
    list.For("Loop", position, 1, [] { return 1L; }, [&](StepList& steps) {
        steps.Add("Loop.Body", [&](StepFlow&) {
            if (failing == "Loop.Body") win::Raise(76);
        });
    });
    list.Add("Close", [&](StepFlow&) {
        if (failing == "Close") win::Raise(76);
    });
    const forms::Procedure procedure(std::move(list));
    const struct {
        const char* failing;
        bool isOpen, isBody, inLoop;
    } rows[] = {
        {"Open", true, false, false},
        {"Loop.Body", false, true, true},
        {"Close", false, false, false},
    };
    for (const auto& row : rows) {
        failing = row.failing;
        int handled = 0;
        procedure.Run([&](const win::RuntimeError&, const forms::FailedStep& step) {
            ++handled;
            EXPECT_EQ(step.Label(), row.failing);
            EXPECT_EQ(step.Is(open), row.isOpen) << row.failing;
            EXPECT_EQ(step.Is(body), row.isBody) << row.failing;
            EXPECT_EQ(step.Within(first, last), row.inLoop) << row.failing;
            EXPECT_EQ(step.Within(open, close), true) << row.failing;
            return Resume::Next();
        });
        EXPECT_EQ(handled, 1) << row.failing;
    }
    StepList other;
    const forms::Target foreign = other.To("Elsewhere");
    other.Add("Elsewhere", [](StepFlow&) {});
    failing = "Open";
    EXPECT_THROW(procedure.Run([&](const win::RuntimeError&, const forms::FailedStep& step) {
        static_cast<void>(step.Is(foreign));
        return Resume::Next();
    }),
                 std::logic_error);
}

TEST(StepsTest, TrappedHandsTheBodysErrorToItsHandlerAndStops) {
    const struct {
        const char* name;
        int raise;   // 0 none, 1 a runtime error, 2 a foreign exception
        long number;
        const char* log;
    } rows[] = {
        {"no error: the handler is not called", 0, 0, "body end"},
        {"a runtime error stops the body", 1, 3022, "body handler(3022,3022)"},
        {"another exception arrives as the internal error", 2, forms::kInternalError, "body handler(51,51)"},
    };
    for (const auto& row : rows) {
        forms::Err().Clear();
        std::string log;
        forms::Trapped(
            [&] {
                log += "body";
                if (row.raise == 1) win::Raise(row.number);
                if (row.raise == 2) throw std::out_of_range("index");
                log += " end";
            },
            [&](const win::RuntimeError& error) {
                log += " handler(" + std::to_string(error.Number()) + "," + std::to_string(forms::Err().Number()) + ")";
            });
        EXPECT_EQ(log, row.log) << row.name;
        EXPECT_EQ(forms::Err().Number(), 0) << row.name << ": Err is cleared after the handler";
    }
    EXPECT_THROW(forms::Trapped([] { win::Raise(5); }, [](const win::RuntimeError&) { win::Raise(6); }),
                 win::RuntimeError)
        << "an error raised in the handler passes to the caller";
}

TEST(ErrObjectTest, RaiseUsesTheRuntimeTextUnlessGivenOne) {
    try {
        forms::Err().Raise(76, "Dir");
    } catch (const win::RuntimeError& error) {
        EXPECT_EQ(error.Description(), "Path not found");
        EXPECT_EQ(error.Source(), "Dir");
    }
    try {
        forms::Err().Raise(30001, "Geral", "Custom");
    } catch (const win::RuntimeError& error) {
        EXPECT_EQ(error.Number(), 30001);
        EXPECT_EQ(error.Description(), "Custom");
    }
}


// Builds with assertions stop at a misuse the contract forbids, at the place of the misuse.
#ifndef NDEBUG
TEST(StepsDeathTest, AProcedureRunInsideItsOwnRunStops) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::optional<forms::Procedure> procedure;
    int position = 0;
    StepList list;
    list.For("loop", position, 1, [] { return 3; }, [&](StepList& body) {
        body.Add("again", [&](StepFlow&) {
            if (position == 2) procedure->Run(GoOn);
        });
    });
    procedure.emplace(std::move(list));
    EXPECT_DEATH(procedure->Run(GoOn), "its own run");
}

TEST(StepsDeathTest, ARangeNamedLastStepFirstStops) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    StepList list;
    const forms::Target first = list.To("first");
    const forms::Target last = list.To("last");
    list.Add("first", [](StepFlow&) {}).Add("between", [](StepFlow&) { win::Raise(5); }).Add("last", [](StepFlow&) {});
    EXPECT_DEATH(forms::RunSteps(std::move(list),
                                 [&](const win::RuntimeError&, const forms::FailedStep& failed) {
                                     return failed.Within(last, first) ? Resume::Next() : Resume::Leave();
                                 }),
                 "last step first");
}
#endif

}  // namespace
