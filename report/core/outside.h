// What the user's keys and clicks reach outside the program: a printer, another program, a file.
//
// A failure out there (no printer installed, no calculator, a report file missing or damaged) is
// no fault of the program and leaves nothing half-done inside it: the user is told what failed
// and why, in the program's own message box, nothing goes to ERRO.TXT, and the window that asked
// goes on as it was. Only what the program itself cannot go on from takes the common error
// routine (error_routine.h).
#pragma once

#include <string>

#include "platform/win/error.h"

namespace report {

// `text` in an exclamation box titled "Mensagem".
void ShowOutsideFailure(const std::string& text);

// "<what>", a blank line, "Número: <number>" and "Erro: <description>", as the program words the
// failures it did not cause.
std::string OutsideFailureText(const std::string& what, const win::RuntimeError& error);

// Starts the calculator ("calc.exe", the system's calculator) in a normal window; when there is
// none to start, says so with kCalculatorFailed and goes on.
void StartCalculator();
inline constexpr const char* kCalculatorFailed = "A Calculadora Não Pôde Ser Aberta !";

}  // namespace report
