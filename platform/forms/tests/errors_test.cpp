#include "platform/forms/errors.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// A procedure of five steps whose second step fails `failures` times with `number`; the handler
// answers `answer` and the log shows which steps ran.
struct Procedure {
    int failures = 1;
    long number = 3021;
    std::string log;
    std::vector<forms::Step> Steps() {
        return {
            {"a", [this](forms::StepFlow&) { log += "a"; }},
            {"b",
             [this](forms::StepFlow&) {
                 log += "b";
                 if (failures-- > 0) win::Raise(number, "b");
                 log += "!";
             }},
            {"c", [this](forms::StepFlow&) { log += "c"; }},
            {"d", [this](forms::StepFlow&) { log += "d"; }},
            {"e", [this](forms::StepFlow&) { log += "e"; }},
        };
    }
};

TEST(StepsTest, TheHandlersAnswerDecidesWhereTheProcedureGoesOn) {
    const struct {
        const char* name;
        int failures;
        forms::Resume answer;
        const char* log;
    } rows[] = {
        {"retry until it works", 2, forms::Resume::Retry(), "abbb!cde"},
        {"next skips the rest of the failed step", 1, forms::Resume::Next(), "abcde"},
        {"continue at a label", 1, forms::Resume::At("d"), "abde"},
        {"continue at an earlier label", 1, forms::Resume::At("a"), "abab!cde"},
        {"leave", 1, forms::Resume::Leave(), "ab"},
        {"no error, handler unused", 0, forms::Resume::Leave(), "ab!cde"},
    };
    for (const auto& row : rows) {
        Procedure procedure;
        procedure.failures = row.failures;
        int handled = 0;
        forms::RunSteps(procedure.Steps(), [&](const win::RuntimeError& error, std::string_view label) {
            ++handled;
            EXPECT_EQ(error.Number(), 3021);
            EXPECT_EQ(forms::Err().Number(), 3021) << "Err is set while the trap runs";
            EXPECT_EQ(label, "b");
            return row.answer;
        });
        EXPECT_EQ(procedure.log, row.log) << row.name;
        EXPECT_EQ(handled, row.failures) << row.name;
        EXPECT_EQ(forms::Err().Number(), 0) << row.name << ": Err is cleared on resuming";
    }
}

TEST(StepsTest, AnErrorRaisedInTheHandlerPassesToTheCaller) {
    Procedure procedure;
    try {
        forms::RunSteps(procedure.Steps(), [](const win::RuntimeError&, std::string_view) -> forms::Resume {
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
    const std::vector<forms::Step> steps{
        {"start", [&](forms::StepFlow& flow) { log += "s"; flow.GoTo("end"); }},
        {"skipped", [&](forms::StepFlow&) { log += "x"; }},
        {"end", [&](forms::StepFlow& flow) { log += "e"; flow.Leave(); }},
        {"after", [&](forms::StepFlow&) { log += "a"; }},
    };
    forms::RunSteps(steps, [](const win::RuntimeError&, std::string_view) { return forms::Resume::Next(); });
    EXPECT_EQ(log, "se");
    EXPECT_THROW(forms::RunSteps({{"x", [](forms::StepFlow& flow) { flow.GoTo("nowhere"); }}},
                                 [](const win::RuntimeError&, std::string_view) { return forms::Resume::Next(); }),
                 std::logic_error);
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

}  // namespace
