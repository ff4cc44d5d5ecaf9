// The rows of the sample chain's databases.
#pragma once

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/dao/dao.h"
#include "tools/sample-chain/chain.h"

namespace sample_chain {

// Table Loja listing the chain's stores, `ownCode` marked as the database's own store; with
// `withUnreachable` also the unreachable stores, each after the store of its position.
void FillLojas(const dao::Database& produto, const std::string& ownCode, bool withUnreachable = false);
void FillUsers(const dao::Database& bd2);
// The report catalogue (Aplicacao, Selecionar, TabelaTemporaria, PreConsulta); with `criteria`
// also the rights and a few saved criteria, some still with two-digit year patterns.
void FillCatalogue(const dao::Database& bd2, bool criteria);
void FillStatus(const dao::Database& backup);
void FillPostal(const dao::Database& cep);
std::vector<std::string> MotivaLines();
// The report files of the catalogue's reports (name, lines), read by the report-printing control
// from the program folder.
std::vector<std::pair<std::string, std::vector<std::string>>> ReportFiles();
// A store's Produto.MDB: settings row, stores, product tables, sales with items and payments,
// transfers, and the report queries (the consolidated report's reading BACKUP.MDB of
// `programFolder`).
void FillStoreProduto(const dao::DBEngine& engine, const dao::Database& produto, const Store& store,
                      const Volumes& volumes, std::mt19937& random, const std::string& programFolder);

}  // namespace sample_chain
