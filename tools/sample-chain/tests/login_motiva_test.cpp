// The chain's MOTIVA.TXT read as the log-in window reads it: a message for every second of the day.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/oledate.h"
#include "report/login/login_rules.h"
#include "tools/sample-chain/rows.h"

namespace sample_chain {
namespace {

TEST(ChainMotivaTest, EverySecondOfAnHourFindsAMessage) {
    const std::vector<std::string> lines = MotivaLines();
    std::vector<std::string> missing;
    for (int minute = 0; minute < 60; ++minute) {
        for (int second = 0; second < 60; ++second) {
            const double now = win::DateSerial(2026, 12, 9) + win::TimeSerial(10, minute, second);
            const auto message = report::login::MessageOfTheMoment(lines, report::login::KeyOfTheMoment(now));
            if (!message) missing.push_back(std::to_string(minute) + ":" + std::to_string(second));
        }
    }
    EXPECT_EQ(missing, std::vector<std::string>{});
}

// The message shown is the whole line, its key in front; of two lines with one key, the later.
TEST(ChainMotivaTest, TheMessageIsTheLastLineWithTheKey) {
    const double at = win::DateSerial(2026, 12, 9) + win::TimeSerial(10, 47, 5);
    EXPECT_EQ(report::login::MessageOfTheMoment(MotivaLines(), report::login::KeyOfTheMoment(at)),
              "105 A organização é a base do bom atendimento.");
    const double earlier = win::DateSerial(2026, 12, 9) + win::TimeSerial(10, 37, 6);
    EXPECT_EQ(report::login::MessageOfTheMoment(MotivaLines(), report::login::KeyOfTheMoment(earlier)),
              "006 Feche o caixa com calma e confira cada valor.");
}

}  // namespace
}  // namespace sample_chain
