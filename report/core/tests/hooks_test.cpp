// The program's hooks: an empty hook does nothing, a filled one runs, and the report run survives
// a run that empties its own hook (the catalogue window unloads while it prints).
#include "report/core/hooks.h"

#include <gtest/gtest.h>

#include "report/core/connections.h"
#include "report/core/startup.h"
#include "report/core/windows.h"

namespace report {
namespace {

TEST(HooksTest, EachCallPointRunsItsOwnHookAndNothingWhenEmpty) {
    struct Row {
        const char* name;
        std::function<void()> Hooks::*hook;
        void (*call)();
    };
    const Row rows[] = {
        {"showLogin", &Hooks::showLogin, ShowLoginWindow},
        {"runUpgrade", &Hooks::runUpgrade, AtualizarBD},
        {"showCatalogue", &Hooks::showCatalogue, ShowCatalogueWindow},
        {"showConsolidation", &Hooks::showConsolidation, ShowConsolidationWindow},
        {"closeConsolidation", &Hooks::closeConsolidation, CloseConsolidationWindow},
        {"runReport", &Hooks::runReport, RunReport},
    };
    const Hooks saved = ProgramHooks();
    ProgramHooks() = Hooks{};
    for (const Row& row : rows) {
        for (const Row& other : rows) other.call();   // all empty: nothing happens
        int calls = 0;
        ProgramHooks().*row.hook = [&] { ++calls; };
        for (const Row& other : rows) other.call();
        EXPECT_EQ(calls, 1) << row.name << " runs from its own call point only";
        ProgramHooks().*row.hook = nullptr;
    }
    ProgramHooks() = saved;
}

TEST(HooksTest, AReportRunThatEmptiesItsHookStillRunsToItsEnd) {
    int finished = 0;
    ProgramHooks().runReport = [&] {
        ProgramHooks().runReport = nullptr;
        ++finished;
    };
    RunReport();
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(ProgramHooks().runReport);
}

TEST(HooksTest, ResetWindowHooksKeepsTheLogInAndTheUpgrade) {
    const Hooks saved = ProgramHooks();
    int login = 0, upgrade = 0;
    ProgramHooks().showLogin = [&] { ++login; };
    ProgramHooks().runUpgrade = [&] { ++upgrade; };
    ProgramHooks().showCatalogue = [] {};
    ProgramHooks().showConsolidation = [] {};
    ProgramHooks().closeConsolidation = [] {};
    ProgramHooks().runReport = [] {};
    RelatorioConsolidado = "S";
    ResetWindowHooks();
    EXPECT_FALSE(ProgramHooks().showCatalogue);
    EXPECT_FALSE(ProgramHooks().showConsolidation);
    EXPECT_FALSE(ProgramHooks().closeConsolidation);
    EXPECT_FALSE(ProgramHooks().runReport);
    EXPECT_EQ(RelatorioConsolidado, "N");
    ShowLoginWindow();
    AtualizarBD();
    EXPECT_EQ(login, 1);
    EXPECT_EQ(upgrade, 1);
    ProgramHooks() = saved;
}

}  // namespace
}  // namespace report
