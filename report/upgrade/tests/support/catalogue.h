// The report catalogue the refresh's tests start from: the program folder's Bd2.MDB with three
// entries, and an update package PROG.MDB that changes R001, repeats R002 and brings R003.
#pragma once

#include <string>
#include <vector>

#include "report/core/tests/support/core_fixture.h"

namespace report::testing::catalogue {

inline const dao::DataType L = dao::DataType::Long, T = dao::DataType::Text, D = dao::DataType::Date,
                           M = dao::DataType::Memo;

inline const std::vector<FieldSpec> kAplicacao = {
    {"CodAplicacao", T, 10}, {"Nome", T, 50},      {"CodClassificacao", L, 0}, {"Nivel", T, 1},
    {"Comentario", M, 0},    {"Consulta", T, 30},  {"Relatorio", T, 50},       {"Consolidado", T, 1},
    {"Inclusao", D, 0},      {"Alteracao", D, 0},  {"Usuario", T, 30},         {"Maquina", T, 30}};

inline dao::Value Text(const char* text) { return dao::Value::Text(text); }

inline Row Entry(const char* code, const char* nome, const char* consulta, const char* usuario) {
    return {{"CodAplicacao", dao::Value::Text(code)},  {"Nome", dao::Value::Text(nome)},
            {"Consulta", dao::Value::Text(consulta)},  {"Relatorio", dao::Value::Text(std::string(code) + ".rpt")},
            {"Nivel", dao::Value::Text("B")},          {"CodClassificacao", dao::Value::Long(1)},
            {"Usuario", dao::Value::Text(usuario)},    {"Inclusao", dao::Value::Date(36526)}};
}

// The four catalogue tables, empty.
inline void MakeCatalogue(const dao::Database& db) {
    MakeTable(db, "Aplicacao", kAplicacao, {{"IndCodAplicacao", {"CodAplicacao"}}});
    MakeTable(db, "PreConsulta", {{"CodAplicacao", T, 10}, {"PreConsulta", T, 50}, {"Mensagem", T, 50}});
    MakeTable(db, "Selecionar", {{"CodAplicacao", T, 10}, {"Tabela", T, 50}});
    MakeTable(db, "TabelaTemporaria", {{"CodAplicacao", T, 10}, {"Tabela", T, 50}});
}

// The program folder's catalogue (R001, R002, R009) and its table of saved criteria, empty.
inline void FillProgramCatalogue(const dao::Database& bd2) {
    MakeCatalogue(bd2);
    MakeTable(bd2, "Criterio", {{"Relatorio", T, 10}, {"Sequencia", L, 0}, {"CRITERIO", M, 0}});
    AddRow(bd2, "Aplicacao", Entry("R001", "Vendas", "q1", "ANA"));
    AddRow(bd2, "Aplicacao", Entry("R002", "Estoque", "q2", "ANA"));
    AddRow(bd2, "Aplicacao", Entry("R009", "Só Local", "q9", "ANA"));
    AddRow(bd2, "PreConsulta", {{"CodAplicacao", Text("R001")}, {"PreConsulta", Text("Velha")}});
    AddRow(bd2, "Selecionar", {{"CodAplicacao", Text("R009")}, {"Tabela", Text("Venda")}});
}

// The package's content: R001 changed, R002 as the program folder has it, R003 new.
inline void FillPackage(const dao::Database& db) {
    MakeCatalogue(db);
    AddRow(db, "Aplicacao", Entry("R001", "Vendas do Mês", "q1b", "PACOTE"));
    AddRow(db, "Aplicacao", Entry("R002", "Estoque", "q2", "PACOTE"));
    AddRow(db, "Aplicacao", Entry("R003", "Clientes", "q3", "PACOTE"));
    for (const char* pre : {"P1", "P2"}) {
        AddRow(db, "PreConsulta", {{"CodAplicacao", Text("R001")}, {"PreConsulta", Text(pre)}, {"Mensagem", Text("m")}});
    }
    AddRow(db, "Selecionar", {{"CodAplicacao", Text("R003")}, {"Tabela", Text("Cliente")}});
    AddRow(db, "TabelaTemporaria", {{"CodAplicacao", Text("R001")}, {"Tabela", Text("TMPVENDA")}});
}

}  // namespace report::testing::catalogue
