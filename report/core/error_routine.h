// The common error routine and its log.
//
// Every trapped procedure reports an unexpected error from its handler, while the error is
// current (forms::Err()), with ReportError(tela, rotina): Tela and Rotina (state.h) are set and
// TrataErro runs. TrataErro beeps,
// shows the fixed box, appends two lines to ERRO.TXT of the current directory and returns: what
// follows (end the program, close the data-folder set, leave) is the caller's decision.
//
// ERRO.TXT is cp1252 text with CR LF line ends, only ever appended to. Each report adds
//   <user> <dd/mm/yy> <hh:mm> Nro.: <number> Tela -> <Tela> <Rotina> <description>
//   " "
// When the log cannot be written (read-only folder, a folder in its place) the two lines go to
// the standard error stream instead: the report is never lost silently, and no failure of the log
// reaches the caller's handler.
#pragma once

#include <string>

#include "platform/win/error.h"

namespace report {

// The box text: eight lines of header, description, number and the two labels.
std::string ErrorBoxText(long number, const std::string& description, const std::string& tela,
                         const std::string& rotina);

// Reports the current error (forms::Err()) under Tela and Rotina. Never raises.
void TrataErro();

// Sets Tela and Rotina and reports the current error under them. Never raises.
void ReportError(const std::string& tela, const std::string& rotina);

// Names the place of the current error (sets Tela and Rotina) for a report that TrataErro makes
// later, or that a lock wait may spare: the consolidation run names it once before its lock wait,
// which reports only what is not a lock conflict.
void SetErrorPlace(const std::string& tela, const std::string& rotina);

// The error box of `error` under tela and rotina (Tela and Rotina are set), with its beep, and no
// line in the log: for a failure the program ends on before its files can be trusted (a database
// repair that failed).
void ShowErrorBox(const win::RuntimeError& error, const std::string& tela, const std::string& rotina);

// For handlers that hold the error itself (and the schema builders' hook): makes it the current
// error, sets Tela and Rotina, and calls TrataErro.
void ReportError(const win::RuntimeError& error, const std::string& tela, const std::string& rotina);

// The name of the log, relative to the current directory.
inline constexpr const char* kErrorLogName = "ERRO.TXT";

}  // namespace report
