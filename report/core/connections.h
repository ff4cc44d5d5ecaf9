// The two sets of database connections, the postal-code database, and the repair of a damaged
// file.
//
// Sets and their lifecycle:
//   program-folder set  BancoProduto, BancoBD2 (+ BancoCep when dbkvt.mdb exists)
//                       AbrirBD at start and when the catalogue window closes; FecharBD when the
//                       log-in window unloads.
//   data-folder set     BancoProdutoLoja, BancoBD2Loja, TabelaRelacao, TabelaUsuario
//                       AbrirBDLoja at every log-in (ending with the upgrade); FecharBDLoja when
//                       the catalogue window closes and after most unexpected errors.
//
// Invariants:
//   1. Every store database is opened shared, writable, with the connect string
//      ";DATABASE= <folder>\<file>;PWD=TORPAL"; the postal-code database with
//      ";DATABASE=<program folder>\dbkvt.mdb;PWD=wkrtHOLAM1975;".
//   2. FecharBD and FecharBDLoja close only what is open, in their fixed order, so closing twice,
//      or before anything was opened, is harmless.
//   3. A damaged file (3343) of a set is repaired at most once per failing step: the set's open
//      handles are closed (a file cannot be repaired while open), both files of the folder are
//      repaired, and the set is opened again from its first file. A file still damaged after its
//      repair, and a damaged file the repair does not cover (the postal-code database, the
//      upgrade's files), are reported ("Geral", the routine) and end the program.
//   4. Any other failure of AbrirBD or AbrirBDLoja is reported ("Geral", "AbrirBD" or
//      "AbrirBDLoja") and ends the program. Ending is a request to the application object: the
//      routine returns, and its caller must look at forms::App().EndRequested() before going on.
#pragma once

#include <functional>
#include <string>

#include "platform/win/error.h"

namespace forms {
class Window;
}

namespace report {

inline constexpr const char* kSenhaLoja = "TORPAL";
inline constexpr const char* kSenhaCep = "wkrtHOLAM1975";

// ";DATABASE= " + folder + file + ";PWD=TORPAL" (file begins with "\").
std::string ConnectLoja(const std::string& folder, const std::string& file);
// ";DATABASE=" + folder + "\dbkvt.mdb;PWD=wkrtHOLAM1975;".
std::string ConnectCep(const std::string& folder);

void AbrirBD();
void AbrirBDCep();
void AbrirBDLoja();
// The data-folder set as AbrirBDLoja opens it, without the upgrade: for a station whose table
// Usuario is empty, where nobody logs in and the program folder's own databases are the data set.
void OpenDataSetWithoutUpgrade();
void FecharBD();
void FecharBDLoja();
// Repairs folder\BD2.MDB and folder\PRODUTO.MDB with the user's knowledge. False when the repair
// failed: it has then reported the failure and asked the program to end.
bool RepararBD(const std::string& folder);

// What a trap that reports and leaves closes after its report, and what follows the close.
struct TrapClose {
    void (*set)() = FecharBDLoja;        // the connection set closed: FecharBDLoja or FecharBD
    bool tabelaLoja = false;             // TabelaLoja closed before the set
    // When the store's folder is gone (3044, renamed or its share lost while the window was
    // open): this window unloads back to the log-in (SairPrograma "NAO"), where the store can be
    // chosen again; nullptr: the error is closed as any other.
    forms::Window* backToLogin = nullptr;
    bool endProgram = false;             // otherwise the program ends after the close
};

// The trap of a handler that reports once and leaves: ReportError(error, tela, rotina), then
// `close` as its fields say, in their order.
void ReportAndClose(const win::RuntimeError& error, const std::string& tela, const std::string& rotina,
                    const TrapClose& close = {});

// The start-up upgrade (the hook runUpgrade): AbrirBDLoja calls it at every log-in, after the
// data-folder set and its two recordsets are open; it decides by itself whether the data set needs
// an upgrade. Its failures reach AbrirBDLoja's trap. With the hook empty the call does nothing.
void AtualizarBD();

}  // namespace report
