// The progress operations: exact texts of the last line after each operation.
#include "report/upgrade/progress.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/forms/services.h"

namespace report::upgrade {
namespace {

class ProgressTest : public ::testing::Test {
protected:
    ProgressTest() {
        ProgramHooks().upgradeWindow = &window_;
        forms::InstallEventPump(&pump_);
    }
    ~ProgressTest() override {
        ProgramHooks().upgradeWindow = nullptr;
        forms::InstallEventPump(nullptr);
    }
    RecordingUpgradeWindow window_;
    forms::ScriptedEventPump pump_;
};

TEST_F(ProgressTest, OperationsRewriteTheLastLineExactly) {
    struct Row {
        const char* start;
        std::function<void()> operation;
        const char* expected;
    };
    const Row rows[] = {
        {"Abrindo Produto ......... ", [] { CloseWithOk(); }, "Abrindo Produto .... OK"},
        {"Abrindo Modem ......... ", [] { AppendOk(); }, "Abrindo Modem .........  OK"},
        {"Carregando Banco de Dados .... ", [] { AppendOk(); }, "Carregando Banco de Dados ....  OK"},
        {"Atualizando Familia .........", [] { ShowCounter(1, 2); }, "Atualizando Familia ... 01/02"},
        {"Atualizando Familia ... 01/02", [] { ShowCounter(2, 2); }, "Atualizando Familia ... 02/02"},
        {"Atualizando Familia ... 02/02", [] { CloseWithOk(); }, "Atualizando Familia ... OK"},
        {"Atualizando Vazia .........", [] { CloseWithOk(); }, "Atualizando Vazia ... OK"},
        {"Atualizando Cliente ... 09/37", [] { ShowCounter(10, 37); }, "Atualizando Cliente ... 10/37"},
        {"Atualizando Lucro ... 99/99", [] { ShowCounter(100, 100); }, "Atualizando Lucro ... 100/100"},
        {"abc", [] { CloseWithOk(); }, " OK"},
    };
    for (const auto& row : rows) {
        window_.ClearList();
        window_.AddItem("first");
        window_.AddItem(row.start);
        row.operation();
        EXPECT_EQ(window_.lines.back(), row.expected) << row.start;
        EXPECT_EQ(window_.lines.front(), "first") << row.start;
    }
}

TEST_F(ProgressTest, AddLineSelectsItAndYields) {
    AddLine("one");
    AddLine("two");
    EXPECT_EQ(window_.lines, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(window_.listIndex, 1);
    EXPECT_EQ(pump_.count, 2);
}

TEST_F(ProgressTest, OperationsOnAnEmptyListDoNothing) {
    AppendOk();
    CloseWithOk();
    ShowCounter(1, 1);
    EXPECT_TRUE(window_.lines.empty());
}

TEST(TwoDigitsTest, PadsToTwoDigits) {
    const std::pair<int, const char*> rows[] = {{0, "00"}, {7, "07"}, {10, "10"}, {123, "123"}, {-3, "-03"}};
    for (const auto& [number, text] : rows) EXPECT_EQ(TwoDigits(number), text) << number;
}

}  // namespace
}  // namespace report::upgrade
