// The rights check: may the logged-in user do one action on one report?
//
// Reads TabelaUsuario (standing on the logged-in user) and TabelaRelacao of the data folder's
// Bd2.MDB. An administrator (Nivel "A") may do everything; so may anyone on a data set whose table
// Usuario has no row at all, which has nobody to check (the log-in asks no password there). Anyone else needs a Relacao row for
// (CodUsuario, CodAplicacao), and for the actions I, A, E, C and P that row's field must not hold
// anything but "S"; a letter outside those five is allowed whenever the row exists. Comparisons are
// exact and case-sensitive, and a field holding Null compares as unknown: Null in Nivel is not "A",
// and Null in a rights field does not refuse.
//
// With Mostra "S" a refusal shows the user's name roughly centred over the refusal text (title
// "Mensagem", exclamation icon). No trap: a failure (no current user row, a missing field or index)
// goes to the caller's handler.
#pragma once

#include <string>

namespace report {

bool VerificaAutorizacao(std::string CodAplicacao, std::string Acao, std::string Mostra);

// True when the user of TabelaUsuario is an administrator: Nivel "A", or no user at all in the
// table (see above).
bool IsAdministrator();

// The blanks before the name: |width - length| / 2 rounded to the nearest whole number, halves to
// the even neighbour (19 -> 10, 17 -> 8).
long CentringBlanks(long width, long nameLength);

}  // namespace report
