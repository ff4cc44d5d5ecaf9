// A machine root of its own for a number test, with a WIN.INI whose [intl] section the test
// writes: the number and currency fields read it afresh at every use.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win/testing/temp_machine_root.h"

namespace zmtext::testing {

class IntlTest : public ::testing::Test {
protected:
    // Replaces WIN.INI with an [intl] section holding `lines` ("sDecimal=,\r\n...").
    void WriteIntl(const std::string& lines) const {
        std::ofstream(root_.DriveC() / "WINDOWS" / "WIN.INI", std::ios::binary) << "[intl]\r\n" << lines;
    }
    // The two conventions the tests run under.
    void UsePointComma() const { WriteIntl("sDecimal=.\r\nsThousand=,\r\n"); }
    void UseCommaPoint() const { WriteIntl("sDecimal=,\r\nsThousand=.\r\n"); }

private:
    win::testing::TempMachineRoot root_;
};

}  // namespace zmtext::testing
