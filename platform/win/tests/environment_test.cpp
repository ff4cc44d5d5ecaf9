#include "platform/win/environment.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/win/beep.h"

namespace {

TEST(EnvironmentTest, NamesCompareWithoutCaseAndTheExactSpellingWins) {
    setenv("ZM_TEST_Var", "first", 1);
    setenv("ZM_TEST_VAR", "exact", 1);
    setenv("ZM_TEST_EMPTY", "", 1);
    const struct {
        const char* name;
        std::optional<std::string> value;
    } rows[] = {
        {"ZM_TEST_VAR", "exact"}, {"ZM_TEST_Var", "first"}, {"zm_test_var", "first"},
        {"zm_test_empty", ""},    {"ZM_TEST_NONE", std::nullopt}, {"ZM_TEST_VAR=exact", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(win::Environ(row.name), row.value) << row.name;
    unsetenv("ZM_TEST_Var");
    EXPECT_EQ(win::Environ("zm_test_var"), "exact");
    unsetenv("ZM_TEST_VAR");
    unsetenv("ZM_TEST_EMPTY");
}

TEST(BeepTest, AnInstalledSinkCountsEveryBeep) {
    win::CountingBeepSink sink;
    win::InstallBeepSink(&sink);
    for (int i = 0; i < 3; ++i) win::Beep();
    win::InstallBeepSink(nullptr);
    win::Beep();   // the real sink; the counting one sees nothing more
    EXPECT_EQ(sink.count, 3);
}

}  // namespace
