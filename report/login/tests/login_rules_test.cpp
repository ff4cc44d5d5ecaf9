// The log-in's rules without the window: clock check, texts, message of the moment, own store
// name and the store-folder roads.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/win/error.h"
#include "platform/win/oledate.h"
#include "report/login/login_rules.h"

namespace report::login {
namespace {

double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return win::DateSerial(y, mo, d) + win::TimeSerial(h, mi, s);
}

TEST(LoginRules, ClockLooksWrongAtTheBoundaries) {
    const double today = At(2026, 12, 9);
    const double second = win::TimeSerial(0, 0, 1);
    struct Case {
        const char* what;
        double fileDate;
        bool asks;
    } cases[] = {
        {"changed at midnight today", today, true},
        {"changed this morning", today + win::TimeSerial(8, 0, 0), true},
        {"changed tomorrow (clock set back)", today + 1.5, true},
        {"one minute before today", today - win::TimeSerial(0, 1, 0), false},
        {"three days before exactly", today - 3, false},
        {"three days and a second before", today - 3 - second, true},
        {"a year before", today - 365, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClockLooksWrong(c.fileDate, today), c.asks) << c.what;
    }
}

TEST(LoginRules, QuestionAndDateLineSpeakPortuguese) {
    const double now = At(2026, 12, 9, 5, 7, 3);
    EXPECT_EQ(ClockQuestion(now),
              "A Data e Hora do computador estão corretos ? \r\n\r\n Data: quarta-feira, 9 de "
              "dezembro de 2026 Hora: 05:07:03");
    EXPECT_EQ(DateLine(now), "Hoje é quarta-feira, 9 de dezembro de 2026 às 05:07:03");
    EXPECT_EQ(DateLine(At(2027, 3, 21, 23, 59, 59)),
              "Hoje é domingo, 21 de março de 2027 às 23:59:59");
}

TEST(LoginRules, KeyOfTheMomentFoldsTheTensOfTheMinute) {
    struct Case {
        int minute, second;
        MomentKey key;
    } cases[] = {
        {47, 5, {1, 5}}, {37, 5, {0, 5}}, {0, 0, {0, 0}}, {29, 59, {2, 59}}, {59, 30, {2, 30}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyOfTheMoment(At(2026, 12, 9, 10, c.minute, c.second)), c.key)
            << c.minute << ":" << c.second;
    }
}

TEST(LoginRules, MessageOfTheMomentTakesTheLastMatchingLine) {
    const std::vector<std::string> lines = {
        "", "   ", "105 Primeira", "005 Outra hora", "105 Segunda", "210 Mais tarde"};
    EXPECT_EQ(MessageOfTheMoment(lines, {1, 5}), "105 Segunda");
    EXPECT_EQ(MessageOfTheMoment(lines, {0, 5}), "005 Outra hora");
    EXPECT_EQ(MessageOfTheMoment(lines, {2, 11}), std::nullopt);
    EXPECT_EQ(LineKey("  "), std::nullopt);
    EXPECT_EQ(LineKey("10"), (MomentKey{1, 0}));   // a one-digit second is still a number
}

// A line carries a key when it begins with a digit followed by one or two digits (blanks around
// them trimmed); any other line carries none and is skipped, never an error.
TEST(LoginRules, LineKeyIsADigitAndASecondOrNothing) {
    struct Row {
        const char* line;
        std::optional<MomentKey> key;
    };
    const std::vector<Row> rows = {
        {"105 texto", MomentKey{1, 5}}, {"259", MomentKey{2, 59}}, {"1 5 texto", MomentKey{1, 5}},
        {"10 texto", MomentKey{1, 0}},  {"907", MomentKey{9, 7}},   {"1", std::nullopt},
        {"1  texto", std::nullopt},     {"x05 texto", std::nullopt}, {" 105 texto", std::nullopt},
        {"1x5 texto", std::nullopt},    {"15x", std::nullopt},       {"Bom dia a todos!", std::nullopt},
        {"\xEF\xBB\xBF" "105", std::nullopt}, {"", std::nullopt},   {"-15 texto", std::nullopt},
        {"1-5 texto", std::nullopt},    {"1+5", std::nullopt},
    };
    for (const Row& row : rows) EXPECT_EQ(LineKey(row.line), row.key) << row.line;
}

TEST(LoginRules, OwnStoreNameKeepsTwentyCharactersAndPads) {
    EXPECT_EQ(OwnStoreName(forms::Value("Lojas")), "Lojas" + std::string(20, ' '));
    EXPECT_EQ(OwnStoreName(forms::Value(std::string(30, 'x'))), std::string(20, 'x') + std::string(20, ' '));
    EXPECT_EQ(OwnStoreName(forms::Value::Null()), std::string(20, ' '));
    EXPECT_EQ(OwnStoreName(forms::Value("Ação")).size(), std::string("Ação").size() + 20);
}

// A directory search over a fixed set of patterns that find PRODUTO.MDB; patterns beginning
// with a listed drive raise that drive's error.
struct FakeSearch {
    std::set<std::string> present;
    std::vector<std::pair<std::string, long>> failing;
    std::vector<std::string> asked;

    ProdutoSearch Function() {
        return [this](const std::string& pattern) {
            asked.push_back(pattern);
            for (const auto& [prefix, number] : failing) {
                if (pattern.starts_with(prefix)) win::Raise(number);
            }
            return present.count(pattern) > 0;
        };
    }
};

TEST(LoginRules, StoreChoiceRoads) {
    struct Case {
        const char* what;
        std::string local;
        std::set<std::string> present;
        std::vector<std::pair<std::string, long>> failing;
        StoreRoad road;
        std::string pasta;
        std::vector<std::string> asked;
    } cases[] = {
        {"own drive keeps its case", "F:\\Lojas\\L01\\", {"F:\\Lojas\\L01\\PRODUTO.MDB"}, {},
         StoreRoad::OwnDrive, "F:\\Lojas\\L01", {"F:\\Lojas\\L01\\PRODUTO.MDB"}},
        {"drive C is upper-cased", "F:\\Lojas\\L01\\", {"C:\\Lojas\\L01\\PRODUTO.MDB"}, {},
         StoreRoad::DriveC, "C:\\LOJAS\\L01",
         {"F:\\Lojas\\L01\\PRODUTO.MDB", "C:\\Lojas\\L01\\PRODUTO.MDB"}},
        {"neither road", "F:\\LOJAS\\L09\\", {}, {}, StoreRoad::NotFound, "",
         {"F:\\LOJAS\\L09\\PRODUTO.MDB", "C:\\LOJAS\\L09\\PRODUTO.MDB"}},
        {"an unmapped drive is not found", "Q:\\LOJAS\\L01\\", {}, {{"Q:", 68}},
         StoreRoad::NotFound, "", {"Q:\\LOJAS\\L01\\PRODUTO.MDB"}},
        {"a missing path is not found", "F:\\NADA\\", {}, {{"F:", 76}}, StoreRoad::NotFound, "",
         {"F:\\NADA\\PRODUTO.MDB"}},
        {"a bad name is not found", "F:\\A|B\\", {}, {{"F:", 52}}, StoreRoad::NotFound, "",
         {"F:\\A|B\\PRODUTO.MDB"}},
        {"empty folder searches nothing", "", {"PRODUTO.MDB"}, {}, StoreRoad::NotFound, "", {}},
        {"too short folder searches nothing", "F:", {"F:PRODUTO.MDB"}, {}, StoreRoad::NotFound,
         "", {}},
        {"network path searches nothing", "\\\\srv\\lojas\\", {"\\\\srv\\lojas\\PRODUTO.MDB"}, {},
         StoreRoad::NotFound, "", {}},
        {"no drive letter: no drive-C road", "LOJAS\\L01\\", {"CLOJAS\\L01\\PRODUTO.MDB"}, {},
         StoreRoad::NotFound, "", {"LOJAS\\L01\\PRODUTO.MDB"}},
    };
    for (const auto& c : cases) {
        FakeSearch search{c.present, c.failing, {}};
        const StoreChoice choice = ChooseStore(c.local, search.Function());
        EXPECT_EQ(choice.road, c.road) << c.what;
        EXPECT_EQ(choice.pastaDados, c.pasta) << c.what;
        EXPECT_EQ(search.asked, c.asked) << c.what;
    }
}

TEST(LoginRules, StoreChoicePassesOtherErrors) {
    FakeSearch search{{}, {{"F:", 70}}, {}};
    try {
        ChooseStore("F:\\LOJAS\\L01\\", search.Function());
        ADD_FAILURE() << "error 70 was swallowed";
    } catch (const win::RuntimeError& error) {
        EXPECT_EQ(error.Number(), 70);
    }
}

}  // namespace
}  // namespace report::login
