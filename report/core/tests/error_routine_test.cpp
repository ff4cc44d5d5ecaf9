// The error routine's box, beep and log lines, and what it does when the log cannot be written.
#include "report/core/error_routine.h"

#include <algorithm>

#include "report/core/tests/support/core_fixture.h"
#include "report/schema/schema_builders.h"
#include "report/core/startup.h"

namespace report::testing {
namespace {

class ErrorRoutineTest : public CoreTest {
protected:
    void Report(long number, const std::string& description, const std::string& tela, const std::string& rotina) {
        ReportError(win::RuntimeError(number, description), tela, rotina);
    }
};

TEST_F(ErrorRoutineTest, BoxTextHasItsEightLines) {
    Report(3021, "No current record.", "Inicio", "CriaTabela");
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text,
              "Ocorreu um Erro de Sistema ! \r\n Entre em Contato com o Responsavel...\r\n\r\n"
              "No current record.\r\nNúmero: 3021\r\n\r\nTela     -> Inicio\r\nRotina -> CriaTabela");
    EXPECT_EQ(boxes_.shown[0].style, 0);
    EXPECT_EQ(boxes_.shown[0].title, forms::App().Title()) << "no title of its own: the application's";
    EXPECT_EQ(beeps_.count, 1);
}

TEST_F(ErrorRoutineTest, TwoReportsInARowAppendFourLinesAfterEarlierContent) {
    std::ofstream("ERRO.TXT", std::ios::binary) << "antes\r\n";
    NomeUsuario = "GERENTE";
    Report(3021, "No current record.", "Inicio", "CriaTabela");
    clock_.Freeze({2027, 1, 2, 3, 4, 59});
    NomeUsuario = "";
    Report(-2147467259, "Operação inválida", "Geral", "Main ---->> report");
    EXPECT_EQ(ErrorLog(),
              "antes\r\n"
              "GERENTE 07/12/26 22:18 Nro.: 3021 Tela -> Inicio CriaTabela No current record.\r\n \r\n"
              " 02/01/27 03:04 Nro.: -2147467259 Tela -> Geral Main ---->> report Opera\xE7\xE3o inv\xE1lida\r\n \r\n");
    EXPECT_EQ(beeps_.count, 2);
}

TEST_F(ErrorRoutineTest, LogGoesToTheCurrentDirectoryNotTheProgramFolder) {
    Report(53, "File not found", "Geral", "AbrirBD");
    EXPECT_TRUE(std::filesystem::exists("ERRO.TXT"));
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\REPORT\\ERRO.TXT")));
}

TEST_F(ErrorRoutineTest, UnwritableLogGoesToStandardErrorAndNeverRaises) {
    std::filesystem::create_directory("ERRO.TXT");  // a folder where the log should be
    ::testing::internal::CaptureStderr();
    EXPECT_NO_THROW(Report(3024, "Could not find file.", "Geral", "AbrirBDLoja"));
    const std::string stderrText = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(boxes_.shown.size(), 1u) << "the box comes first";
    EXPECT_NE(stderrText.find(" 07/12/26 22:18 Nro.: 3024 Tela -> Geral AbrirBDLoja Could not find file."), std::string::npos)
        << stderrText;
}

TEST_F(ErrorRoutineTest, TrataErroReportsTheErrorOfTheRunningTrap) {
    Tela = "Acesso";
    Rotina = "BtnProcura";
    forms::RunSteps({{"", [](forms::StepFlow&) { win::Raise(win::err::FileNotFound); }}},
                    [](const win::RuntimeError&, std::string_view) {
                        TrataErro();
                        return forms::Resume::Leave();
                    });
    EXPECT_EQ(ErrorLog(), " 07/12/26 22:18 Nro.: 53 Tela -> Acesso BtnProcura File not found\r\n \r\n");
}

TEST_F(ErrorRoutineTest, SchemaBuildersReportThroughTheErrorRoutine) {
    ConnectSchemaErrorReport();
    schema::SchemaDescription description;
    description.SetWriteObserver([](schema::Slot slot, int, int, int k) {
        if (slot == schema::Slot::NomeCampo && k == 3) win::Raise(win::err::SubscriptOutOfRange);
    });
    ASSERT_TRUE(schema::RunBuilder("P47NotaFiscal", description));
    schema::SetErrorReport(nullptr);
    EXPECT_EQ(ErrorLog(), " 07/12/26 22:18 Nro.: 9 Tela -> AtualizaBD P47NotaFiscal Subscript out of range\r\n \r\n");
}

// A clock that moves on by one step at every reading, as the real one may between two readings
// of one report.
class SteppingClock : public win::Clock {
public:
    explicit SteppingClock(std::vector<win::CivilTime> readings) : readings_(std::move(readings)) {}
    win::CivilTime Now() const override {
        const win::CivilTime now = readings_[std::min(reads_, readings_.size() - 1)];
        ++reads_;
        return now;
    }
    void SetNow(const win::CivilTime&) override {}
    std::size_t Reads() const { return reads_; }

private:
    std::vector<win::CivilTime> readings_;
    mutable std::size_t reads_ = 0;
};

TEST_F(ErrorRoutineTest, ALineWrittenAtMidnightTakesDateAndTimeFromOneReading) {
    SteppingClock clock({{2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 0, 0}});
    win::InstallClock(&clock);
    Report(3021, "No current record.", "Inicio", "CriaTabela");
    win::InstallClock(&clock_);
    EXPECT_EQ(ErrorLog(), " 31/12/26 23:59 Nro.: 3021 Tela -> Inicio CriaTabela No current record.\r\n \r\n");
    EXPECT_EQ(clock.Reads(), 1u);
}

}  // namespace
}  // namespace report::testing
