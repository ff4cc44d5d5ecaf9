#include "report/core/outside.h"

#include "platform/forms/errors.h"
#include "platform/forms/services.h"

namespace report {

void ShowOutsideFailure(const std::string& text) { forms::MsgBox(text, forms::mb::Exclamation, "Mensagem"); }

std::string OutsideFailureText(const std::string& what, const win::RuntimeError& error) {
    return what + "\r\rNúmero: " + std::to_string(error.Number()) + "\rErro: " + error.Description();
}

void StartCalculator() {
    forms::Trapped([] { forms::Shell("calc.exe", 1); },
                   [](const win::RuntimeError& error) { ShowOutsideFailure(OutsideFailureText(kCalculatorFailed, error)); });
}

}  // namespace report
