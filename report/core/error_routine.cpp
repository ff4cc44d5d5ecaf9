#include "report/core/error_routine.h"

#include <cstdio>
#include <fstream>
#include <iostream>

#include "platform/forms/errors.h"
#include "platform/forms/services.h"
#include "platform/win/beep.h"
#include "platform/win/clock.h"
#include "platform/win/cp1252.h"
#include "platform/win/paths.h"
#include "report/core/state.h"

namespace report {

namespace {

constexpr const char* kNewLine = "\r\n";

std::string TwoDigits(int value) {
    char text[3] = {static_cast<char>('0' + (value / 10) % 10), static_cast<char>('0' + value % 10), '\0'};
    return text;
}

// "dd/mm/yy hh:mm" from one reading of the clock: a date and a time read apart can straddle
// midnight and give the next day's date with the old day's time.
std::string LogStamp() {
    const win::CivilTime now = win::SystemClock().Now();
    return TwoDigits(now.day) + "/" + TwoDigits(now.month) + "/" + TwoDigits(now.year % 100) + " " +
           TwoDigits(now.hour) + ":" + TwoDigits(now.minute);
}

std::string LogLines(long number, const std::string& description) {
    return NomeUsuario + " " + LogStamp() + " Nro.: " + std::to_string(number) + " Tela -> " + Tela + " " + Rotina +
           " " + description + kNewLine + " " + kNewLine;
}

bool AppendToLog(const std::string& lines) {
    // A plain try: a C++ stream failure becomes the answer false, for the standard-error fallback.
    try {
        std::ofstream log(win::HostPath(kErrorLogName), std::ios::binary | std::ios::app);
        if (!log) return false;
        log << win::Utf8ToCp1252(lines);
        log.flush();
        return static_cast<bool>(log);
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::string ErrorBoxText(long number, const std::string& description, const std::string& tela,
                         const std::string& rotina) {
    std::string text = "Ocorreu um Erro de Sistema ! ";
    text += kNewLine;
    text += " Entre em Contato com o Responsavel...";
    text += kNewLine;
    text += kNewLine;
    text += description + kNewLine;
    text += "Número: " + std::to_string(number) + kNewLine;
    text += kNewLine;
    text += "Tela     -> " + tela + kNewLine;
    text += "Rotina -> " + rotina;
    return text;
}

void TrataErro() {
    const forms::ErrObject& err = forms::Err();
    const std::string text = ErrorBoxText(err.Number(), err.Description(), Tela, Rotina);
    win::Beep();
    // A plain try: the error routine itself, which must reach the log whatever the box does.
    try {
        forms::MsgBox(text, forms::mb::OkOnly);
    } catch (const std::exception& failure) {
        // A box that cannot be shown must not hide the report: it still goes to the log.
        std::cerr << "report: error box not shown: " << failure.what() << '\n';
    }
    const std::string lines = LogLines(err.Number(), err.Description());
    if (!AppendToLog(lines)) {
        std::cerr << kErrorLogName << " not writable; error report follows\n" << lines;
        std::cerr.flush();
    }
}

void SetErrorPlace(const std::string& tela, const std::string& rotina) {
    Tela = tela;
    Rotina = rotina;
}

void ReportError(const std::string& tela, const std::string& rotina) {
    SetErrorPlace(tela, rotina);
    TrataErro();
}

void ShowErrorBox(const win::RuntimeError& error, const std::string& tela, const std::string& rotina) {
    SetErrorPlace(tela, rotina);
    win::Beep();
    forms::MsgBox(ErrorBoxText(error.Number(), error.Description(), Tela, Rotina), forms::mb::OkOnly);
}

void ReportError(const win::RuntimeError& error, const std::string& tela, const std::string& rotina) {
    forms::Err().Set(error);
    ReportError(tela, rotina);
}

}  // namespace report
