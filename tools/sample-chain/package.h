// The catalogue update package PROG.MDB the sample chain can leave in LOJA01, to be applied by the
// first log-in into that store.
//
// Its four catalogue tables hold the chain's own catalogue with two differences:
//   - kChangedReport (R005) renamed kChangedName, with a comment and level "A";
//   - kNewReport (R007) added: kNewName, the query and report file of R001, offered table Venda;
// every other entry, and every pre-query, offered and temporary table, as the program folder has
// it. It is written with the store password, or without a password.
#pragma once

#include <string>

#include "platform/dao/dao.h"

namespace sample_chain {

inline constexpr const char* kChangedReport = "R005";
inline constexpr const char* kChangedName = "Resumo de Vendas por Vendedor";
inline constexpr const char* kNewReport = "R007";
inline constexpr const char* kNewName = "Vendas do Dia";

// Writes the package at `path` (a Windows path); raises win::RuntimeError when it exists already.
void WritePackage(const dao::DBEngine& engine, const std::string& path, bool withPassword);

}  // namespace sample_chain
