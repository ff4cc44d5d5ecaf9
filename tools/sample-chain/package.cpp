#include "tools/sample-chain/package.h"

#include <vector>

#include "tools/sample-chain/layouts.h"
#include "tools/sample-chain/rows.h"

namespace sample_chain {

namespace {

// The catalogue tables of Bd2.MDB, the only ones a package carries.
std::vector<TableLayout> CatalogueLayouts() {
    std::vector<TableLayout> tables;
    for (TableLayout& table : Bd2Layouts()) {
        if (table.name == "Aplicacao" || table.name == "PreConsulta" || table.name == "Selecionar" ||
            table.name == "TabelaTemporaria") {
            tables.push_back(std::move(table));
        }
    }
    return tables;
}

}  // namespace

void WritePackage(const dao::DBEngine& engine, const std::string& path, bool withPassword) {
    dao::Database package = engine.CreateDatabase(path);
    CreateTables(package, CatalogueLayouts());
    FillCatalogue(package, false);
    package.Execute(std::string("UPDATE Aplicacao SET Nome = '") + kChangedName +
                    "', Comentario = 'Total vendido por vendedor no período', Nivel = 'A' WHERE CodAplicacao = '" +
                    kChangedReport + "'");
    package.Execute(std::string("INSERT INTO Aplicacao ( CodAplicacao, Nome, Consulta, Relatorio, Consolidado, Usuario ) "
                                "VALUES ('") + kNewReport + "', '" + kNewName +
                    "', 'Vendas001', 'Vendas.rpt', 'N', 'SUPORTE')");
    package.Execute(std::string("INSERT INTO Selecionar ( CodAplicacao, Tabela ) VALUES ('") + kNewReport + "', 'Venda')");
    if (withPassword) package.NewPassword("", "TORPAL");
    package.Close();
}

}  // namespace sample_chain
