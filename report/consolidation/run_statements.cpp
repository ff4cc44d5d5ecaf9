#include "report/consolidation/run_statements.h"

#include <array>
#include <cassert>
#include <cstddef>

#include "report/consolidation/backup_database.h"
#include "report/core/jet_literals.h"

namespace report::consolidation {

namespace {

constexpr std::array<int, kCopyStatementCount> kPercentages = {10, 20, 30, 40, 50, 55, 60, 70, 80, 90, 100, -1};

// The sales of the period, both ends included; the dates stand between blanks inside the quotes.
std::string PeriodCondition(const Period& p) {
    return " AND Venda.[Data Venda] >= CDate(Format(' " + p.d1 + " ','D/M/YYYY')) AND Venda.[Data Venda] <= CDate(Format(' " +
           p.d2 + " ','D/M/YYYY'))";
}

// The source of a sales detail table: all of it, or its rows whose sale lies in the period.
std::string DetailSource(const std::string& table, const std::optional<Period>& period) {
    if (!period)
        return " From " + table + ", Loja WHERE Loja.LojaOrigem='*'";
    return " FROM Loja, Venda INNER JOIN " + table + " ON Venda.[Número Venda] = " + table +
           ".[Número Venda] WHERE Loja.LojaOrigem='*'" + PeriodCondition(*period);
}

std::string SalesSource(const std::optional<Period>& period) {
    std::string tail = " From Venda, Loja WHERE Loja.LojaOrigem='*'";
    if (period)
        tail += PeriodCondition(*period);
    return tail;
}

struct Text {
    const char* tabelaAtual;
    std::string head;
    std::string tail;
};

std::vector<Text> FirstStoreTexts(const std::optional<Period>& period) {
    return {
        {"Produto", "SELECT Loja.CodLoja, Produto.* INTO Produto IN ", " From Produto, Loja WHERE Loja.LojaOrigem='*'"},
        {"Venda", "SELECT Loja.CodLoja, Venda.* INTO Venda IN ", SalesSource(period)},
        {"[Itens Venda]", "SELECT Loja.CodLoja, [Itens Venda].* INTO [Itens Venda] IN ", DetailSource("[Itens Venda]", period)},
        {"[Pagto Venda]", "SELECT Loja.CodLoja, [Pagto Venda].* INTO [Pagto Venda] IN ", DetailSource("[Pagto Venda]", period)},
        {"FamiliaCons", "SELECT Familia.Código, Familia.Descrição INTO FAMILIACONS IN ", " FROM Familia;"},
        {"TransSai", "SELECT  [TransSai].* INTO TransSai IN ", " FROM TransSai;"},
        {"GrupoCons", "SELECT Grupo.* INTO GrupoCons IN ", " FROM Grupo"},
        {"CorCons", "SELECT Cor.* INTO CorCons IN ", "FROM Cor"},
        {"LojaCons", "SELECT Loja.CodLoja, Loja.Nome, Loja.LojaOrigem INTO LojaCons IN", " FROM Loja"},
        {"Vendedor", "SELECT Loja.CodLoja, Vendedor.* INTO Vendedor IN", " From Vendedor, Loja WHERE Loja.LojaOrigem='*'"},
        {"Fornecedor", "SELECT Loja.CodLoja, Fornecedor.* INTO Fornecedor IN ", " From Fornecedor, Loja WHERE Loja.LojaOrigem='*'"},
        {"Cliente", "SELECT Loja.CodLoja as CodLojaCons, Cliente.* INTO Cliente IN ", " From Loja, Cliente WHERE Loja.LojaOrigem='*'"},
    };
}

// The INSERT forms select the store code and the star columns, which land in the target by name.
std::string InsertSelect(const std::string& table, const std::string& source) {
    return " SELECT Loja.CodLoja, " + table + ".*" + source;
}

std::vector<Text> LaterStoreTexts(const std::optional<Period>& period) {
    return {
        {"Produto", "INSERT INTO Produto ( CodLoja ) IN", " SELECT Loja.CodLoja, Produto.* From Produto, Loja WHERE Loja.LojaOrigem='*'"},
        {"Venda", "INSERT INTO Venda ( CodLoja ) IN", InsertSelect("Venda", SalesSource(period))},
        {"[Itens Venda]", "INSERT INTO [Itens Venda] ( CodLoja ) IN", InsertSelect("[Itens Venda]", DetailSource("[Itens Venda]", period))},
        {"[Pagto Venda]", "INSERT INTO [Pagto Venda] ( CodLoja ) IN", InsertSelect("[Pagto Venda]", DetailSource("[Pagto Venda]", period))},
        {"FamiliaCons", "INSERT INTO FamiliaCons ( Código, Descrição ) IN", "SELECT Familia.Código, Familia.Descrição FROM Familia "},
        {"TransSai", "INSERT INTO TransSai  IN", "SELECT TransSai.* FROM TransSai "},
        {"GrupoCons", "INSERT INTO GrupoCons IN", "SELECT Grupo.* FROM Grupo"},
        {"CorCons", "INSERT INTO CorCons IN", "SELECT Cor.* FROM Cor"},
        {"LojaCons", "INSERT INTO LojaCons ( CodLoja, Nome,LojaOrigem ) IN", "SELECT Loja.CodLoja, Loja.Nome, Loja.LojaOrigem FROM Loja"},
        {"Vendedor", "INSERT INTO Vendedor ( CodLoja ) IN", "SELECT Loja.CodLoja, Vendedor.* From Vendedor, Loja WHERE Loja.LojaOrigem='*'"},
        {"Fornecedor", "INSERT INTO Fornecedor ( CodLoja ) IN ", "SELECT Loja.CodLoja, Fornecedor.* From Fornecedor, Loja WHERE Loja.LojaOrigem='*'"},
        {"Cliente", "INSERT INTO Cliente ( CodLojaCons ) IN ", " SELECT Loja.CodLoja As CodLojaCons, Cliente.* From Cliente, Loja WHERE Loja.LojaOrigem='*'"},
    };
}

}  // namespace

std::string InTarget(const std::string& programFolder) { return QuotedText(programFolder + kBackupTargetName); }

std::vector<CopyStatement> CopyStatements(const std::string& programFolder, bool first,
                                          const std::optional<Period>& period) {
    const std::string target = InTarget(programFolder);
    const std::vector<Text> texts = first ? FirstStoreTexts(period) : LaterStoreTexts(period);
    assert(texts.size() == kCopyStatementCount);
    std::vector<CopyStatement> out;
    out.reserve(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        out.push_back({texts[i].tabelaAtual, texts[i].head + target + texts[i].tail, kPercentages[i]});
    return out;
}

std::vector<RebuildStatement> RebuildStatements(const std::string& programFolder) {
    const std::string t = InTarget(programFolder);
    return {
        {"Familia",
         "SELECT FAMILIACONS.Código, First(FAMILIACONS.Descrição) AS Descrição INTO Familia IN" + t +
             " From FAMILIACONS GROUP BY FAMILIACONS.Código",
         "IndCodFam", {"Código"}},
        {"Grupo",
         "SELECT GrupoCons.Familia, GrupoCons.Grupo, First(GrupoCons.DescGrupo) AS DescGrupo INTO Grupo IN" + t +
             " From GrupoCons GROUP BY GrupoCons.Familia, GrupoCons.Grupo",
         "IndCodGrp", {"Familia", "Grupo"}},
        {"Cor",
         "SELECT CorCons.Código, First(CorCons.Descrição) AS Descrição INTO Cor IN " + t +
             " From CorCons GROUP BY CorCons.Código",
         "IndCodCor", {"Código"}},
        {"Loja",
         "SELECT LojaCons.CodLoja, First(LojaCons.Nome) AS Nome, First(LojaCons.LojaOrigem) as LojaOrigem INTO Loja IN " + t +
             "  From LojaCons GROUP BY LojaCons.CodLoja",
         "IndCódigo", {"CodLoja"}},
    };
}

std::optional<std::string> TopUpStatement(const std::string& tabelaAtual, const std::string& programFolder) {
    const std::string t = InTarget(programFolder);
    if (tabelaAtual == "Familia")
        return "INSERT INTO Familia ( Código, Descrição ) IN " + t +
               " SELECT FAMILIACONS.Código, First(FAMILIACONS.Descrição) AS Descrição FROM FAMILIACONS LEFT JOIN Familia ON "
               "FAMILIACONS.Código = Familia.Código GROUP BY FAMILIACONS.Código, [Familia]![Código]<>[FAMILIACONS]![Código] "
               "HAVING ((([Familia]![Código]<>[FAMILIACONS]![Código]) Is Null))";
    if (tabelaAtual == "Grupo")
        return "INSERT INTO Grupo ( Familia, Grupo, DescGrupo ) IN" + t +
               " SELECT GrupoCons.Familia, GrupoCons.Grupo, First(GrupoCons.DescGrupo) AS DescGrupo FROM Grupo RIGHT JOIN "
               "GrupoCons ON (Grupo.Familia = GrupoCons.Familia) AND (Grupo.Grupo = GrupoCons.Grupo) GROUP BY "
               "GrupoCons.Familia, GrupoCons.Grupo, [GrupoCons]![Familia] & [GrupoCons]![Grupo]<>[Grupo]![Familia] & "
               "[Grupo]![Grupo] HAVING ((([GrupoCons]![Familia] & [GrupoCons]![Grupo]<>[Grupo]![Familia] & "
               "[Grupo]![Grupo]) Is Null))";
    if (tabelaAtual == "Cor")
        return "INSERT INTO Cor ( Código, Descrição ) IN" + t +
               "  SELECT CorCons.Código, First(CorCons.Descrição) AS Descrição FROM Cor RIGHT JOIN CorCons ON Cor.Código = "
               "CorCons.Código GROUP BY CorCons.Código, [Cor]![Código]<>[CorCons]![Código] HAVING "
               "((([Cor]![Código]<>[CorCons]![Código]) Is Null))";
    return std::nullopt;
}

std::string DropTableStatement(const std::string& tabelaAtual) {
    return "DROP TABLE " + tabelaAtual;
}

}  // namespace report::consolidation
