#include "tools/sample-chain/rows.h"

#include <cstdint>
#include <iterator>
#include <string>
#include <utility>

#include "platform/win/oledate.h"

namespace sample_chain {

namespace {

using dao::Value;
using Row = std::vector<std::pair<const char*, Value>>;

// Adds rows to one table through a table-type recordset kept open for all of them.
class Inserter {
public:
    Inserter(const dao::Database& db, const char* table) : rs_(db.OpenRecordset(table, dao::dbOpenTable)) {}
    ~Inserter() { rs_.Close(); }
    Inserter(const Inserter&) = delete;
    Inserter& operator=(const Inserter&) = delete;

    void Add(const Row& row) {
        rs_.AddNew();
        for (const auto& [name, value] : row) rs_(name).SetValue(value);
        rs_.Update();
    }

private:
    dao::Recordset rs_;
};

// A number in [low, high], from the chain's generator without the library's distributions (whose
// results differ between implementations).
int Between(std::mt19937& random, int low, int high) {
    return low + static_cast<int>(random() % static_cast<std::uint32_t>(high - low + 1));
}

Value Date(int year, int month, int day) { return Value::Date(win::DateSerial(year, month, day)); }
Value Time(int hour, int minute) { return Value::Date(win::TimeSerial(hour, minute, 0)); }
Value Money(std::int64_t cents) { return Value::Currency(cents * 100); }
Value Flag(bool on) { return Value(on ? "S" : "N"); }

const char* const kColours[] = {"01", "02", "03", "04"};

// Product p's key (Familia, Grupo, Tamanho, Cor): unique for every p below 80 * 36^3.
Row ProductKey(int p) {
    const char* const digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const int serial = p / 80;
    const std::string size = {digits[serial / 1296 % 36], digits[serial / 36 % 36], digits[serial % 36]};
    return {{"Familia", Value::Integer(static_cast<std::int16_t>(1 + p % 5))}, {"Grupo", Value(1 + (p / 5) % 4)},
            {"Tamanho", Value(size)}, {"Cor", Value(kColours[(p / 20) % 4])}};
}


void FillSettings(const dao::Database& produto, const Store& store) {
    Inserter settings(produto, "UltimaVenda");
    Row row = {{"UltimaVenda", Value(0)}, {"UltimoCodigo", Value(0)}, {"UltimaNF", Value(0)},
               {"UltimaContagem", Value::Date(win::DateSerial(2001, 3, 1) + win::TimeSerial(18, 30, 0))}};
    // LOJA02 was never stamped.
    if (store.code != "02") row.push_back({"Versao", Value::Date(win::DateSerial(2001, 1, 1))});
    settings.Add(row);
}

void FillProductTables(const dao::DBEngine& engine, const dao::Database& produto, const Volumes& volumes,
                       std::mt19937& random) {
    {
        Inserter familias(produto, "Familia");
        for (int f = 1; f <= 5; ++f) familias.Add({{"Código", Value::Integer(static_cast<std::int16_t>(f))}, {"Descrição", Value("FAMILIA " + std::to_string(f))}});
    }
    {
        Inserter grupos(produto, "Grupo");
        for (int f = 1; f <= 5; ++f) {
            for (int g = 1; g <= 4; ++g) {
                grupos.Add({{"Familia", Value::Integer(static_cast<std::int16_t>(f))}, {"Grupo", Value(g)},
                            {"DescGrupo", Value("GRUPO " + std::to_string(f) + "." + std::to_string(g))}});
            }
        }
    }
    {
        Inserter cores(produto, "Cor");
        for (const char* code : kColours) cores.Add({{"Código", Value(code)}, {"Descrição", Value(std::string("COR ") + code)}});
    }
    // One transaction for all products: a write outside one is synced to disk row by row.
    Inserter produtos(produto, "Produto");
    engine.BeginTrans();
    for (int p = 0; p < volumes.products; ++p) {
        const int cost = Between(random, 100, 20000);
        // Built field by field: a long braced list of values trips a false uninitialised warning.
        Row row = ProductKey(p);
        row.emplace_back("Descrição", Value("PRODUTO " + std::to_string(p + 1)));
        row.emplace_back("CodAlternativo", Value("ALT" + std::to_string(p + 1)));
        row.emplace_back("CodigoEAN", Value(std::to_string(7890000000000LL + p)));
        row.emplace_back("Saldo", Value(static_cast<double>(Between(random, 0, 500))));
        row.emplace_back("IPI", Value(0.0));
        row.emplace_back("UltimoCusto", Money(cost));
        row.emplace_back("Preço0", Money(cost * 2));
        produtos.Add(row);
    }
    engine.CommitTrans();
}

void FillPeople(const dao::Database& produto, const Store& store) {
    Inserter vendedores(produto, "Vendedor");
    for (int v = 1; v <= 5; ++v) {
        vendedores.Add({{"Código", Value("0" + std::to_string(v))}, {"Nome", Value("VENDEDOR " + std::to_string(v))}});
    }
    Inserter clientes(produto, "Cliente");
    for (int c = 1; c <= 20; ++c) {
        clientes.Add({{"Código", Value(c)}, {"Nome", Value("CLIENTE " + std::to_string(c))}, {"CodLoja", Value(store.code)},
                      {"CodigoOrigem", Value(c)}, {"Cidade", Value("SÃO PAULO")}});
    }
    Inserter fornecedores(produto, "Fornecedor");
    for (int f = 1; f <= 5; ++f) fornecedores.Add({{"Código", Value(f)}, {"Razão Social", Value("FORNECEDOR " + std::to_string(f))}});
    Inserter transportadoras(produto, "Transportadora");
    for (int t = 1; t <= 2; ++t) transportadoras.Add({{"Codigo", Value(t)}, {"Transportadora", Value("TRANSPORTADORA " + std::to_string(t))}});
    Inserter lucro(produto, "Lucro");
    lucro.Add({});
}

void FillSales(const dao::DBEngine& engine, const dao::Database& produto, const Volumes& volumes, std::mt19937& random) {
    Inserter vendas(produto, "Venda");
    Inserter itens(produto, "Itens Venda");
    Inserter pagamentos(produto, "Pagto Venda");
    engine.BeginTrans();
    for (int s = 1; s <= volumes.sales; ++s) {
        const int day = s % 365;
        const int items = Between(random, 1, 4);
        std::int64_t total = 0;
        for (int i = 1; i <= items; ++i) {
            const int p = Between(random, 0, volumes.products - 1);
            const int price = Between(random, 200, 40000);
            const int quantity = Between(random, 1, 3);
            total += static_cast<std::int64_t>(price) * quantity;
            Row item = ProductKey(p);
            item.emplace_back("Número Venda", Value(s));
            item.emplace_back("Sequência", Value::Integer(static_cast<std::int16_t>(i)));
            item.emplace_back("Quantidade", Value(static_cast<double>(quantity)));
            item.emplace_back("PrecoTabela", Money(price));
            item.emplace_back("Custo", Money(price / 2));
            itens.Add(item);
        }
        const Value when = Value::Date(win::DateSerial(2000, 1, 1 + day));
        vendas.Add({{"Número Venda", Value(s)}, {"Data Venda", when}, {"Código Cliente", Value(1 + s % 20)},
                    {"Vendedor", Value("0" + std::to_string(1 + s % 5))}, {"Total Venda", Money(total)},
                    {"Total Pago", Money(total)}, {"Concluido", Flag(s % 10 != 0)}, {"CodUsuario", Value(1.0 + s % 2)},
                    {"Hora", Time(9 + s % 9, s % 60)}, {"Maquina", Value("CAIXA" + std::to_string(1 + s % 3))}});
        pagamentos.Add({{"Número Venda", Value(s)}, {"Sequência", Value::Integer(1)},
                        {"Tipo Pagamento", Value::Integer(static_cast<std::int16_t>(1 + s % 3))}, {"Valor Receber", Money(total)},
                        {"Vencimento", when}, {"Número Cheque", s % 3 == 1 ? Value(std::to_string(100000 + s)) : Value()}});
        if (s % 5000 == 0) {
            engine.CommitTrans();
            engine.BeginTrans();
        }
    }
    engine.CommitTrans();
}

void FillTransfers(const dao::Database& produto, const Store& store) {
    Inserter entradas(produto, "TransEnt");
    Inserter itens(produto, "Itens TransEnt");
    Inserter saidas(produto, "TransSai");
    for (int t = 1; t <= 4; ++t) {
        // Received on the day of the last stock count, before and after its moment.
        const Value received = Date(2001, 3, t <= 2 ? 1 : 2);
        entradas.Add({{"NroTrans", Value(t)}, {"NroOrigem", Value(100 + t)}, {"LojaOrigem", Value("02")},
                      {"LojaDestino", Value(store.code)}, {"DataRecepcao", received}, {"Concluido", Value("S")}});
        for (int i = 1; i <= 3; ++i) {
            itens.Add({{"NroTrans", Value(t)}, {"Sequencia", Value(i)}, {"Quantidade", Value(5.0)},
                       {"QuantidadeRecebida", Value(static_cast<double>(4 + i % 2))}, {"DataRecepcao", received},
                       {"HoraRecepcao", Time(t % 2 == 0 ? 20 : 10, 0)}, {"Unidade", Value("UN")}});
        }
        saidas.Add({{"NroTrans", Value(t)}, {"LojaOrigem", Value(store.code)}, {"LojaDestino", Value("03")},
                    {"Concluido", Value("S")}, {"Maquina", Value("CAIXA1")}});
    }
}

// The text literal naming BACKUP.MDB of `programFolder` in an IN clause: an apostrophe of the
// folder is doubled, so the literal stays one literal.
std::string BackupLiteral(const std::string& programFolder) {
    std::string literal = "'";
    for (char c : programFolder) literal += c == '\'' ? std::string("''") : std::string(1, c);
    return literal + "\\BACKUP.MDB'";
}

void FillQueries(const dao::Database& produto, const std::string& programFolder) {
    produto.CreateQueryDef("Vendas001",
                           "SELECT Venda.[Número Venda], Venda.[Data Venda], Venda.[Total Venda] FROM Venda "
                           "ORDER BY Venda.[Número Venda];");
    produto.CreateQueryDef("Produtos002", "SELECT Produto.Familia, Produto.Grupo, Produto.Descrição FROM Produto;");
    produto.CreateQueryDef("PreHistorico002", "DELETE * FROM TMPHISTORICO;");
    // The consolidated report reads the sales the consolidation gathered in BACKUP.MDB.
    produto.CreateQueryDef("Consolida003", "SELECT Venda.CodLoja, Venda.[Número Venda], Venda.[Total Venda] FROM Venda IN " +
                                               BackupLiteral(programFolder) + " ORDER BY Venda.CodLoja, Venda.[Número Venda];");
    // A report over a temporary table that its pre-query fills.
    produto.CreateQueryDef("PreHistorico004",
                           "INSERT INTO TMPHISTORICO ( Familia, Grupo, Tamanho, Cor, Data, Documento, Quantidade, Tipo ) "
                           "SELECT [Itens Venda].Familia, [Itens Venda].Grupo, [Itens Venda].Tamanho, [Itens Venda].Cor, "
                           "Venda.[Data Venda], Venda.[Número Venda], [Itens Venda].Quantidade, 'Venda' FROM Venda "
                           "INNER JOIN [Itens Venda] ON Venda.[Número Venda] = [Itens Venda].[Número Venda];");
    produto.CreateQueryDef("Historico004",
                           "SELECT TMPHISTORICO.Documento, TMPHISTORICO.Data, TMPHISTORICO.Familia, TMPHISTORICO.Quantidade "
                           "FROM TMPHISTORICO ORDER BY TMPHISTORICO.Documento;");
    // A report over the consolidated database: pre-queries written for another installation's
    // folder sum the sales into BACKUP.MDB (the run sends their target to the program folder) and
    // bring the sums back into the temporary table the report reads.
    produto.CreateQueryDef("PreResumo005A", "DELETE * FROM ResumoVenda IN 'D:\\OUTRA\\BACKUP.MDB';");
    produto.CreateQueryDef("PreResumo005B",
                           "INSERT INTO ResumoVenda ( Vendedor, Total ) IN 'D:\\OUTRA\\BACKUP.MDB' SELECT Venda.Vendedor, "
                           "Sum(Venda.[Total Venda]) AS Total FROM Venda GROUP BY Venda.Vendedor;");
    produto.CreateQueryDef("PreResumo005C", "INSERT INTO TMPHISTORICO ( Tipo, Quantidade ) SELECT ResumoVenda.Vendedor, "
                                            "ResumoVenda.Total FROM ResumoVenda IN 'D:\\OUTRA\\Backup.mdb';");
    produto.CreateQueryDef("Resumo005", "SELECT TMPHISTORICO.Tipo AS Vendedor, TMPHISTORICO.Quantidade AS Total FROM "
                                        "TMPHISTORICO ORDER BY TMPHISTORICO.Tipo;");
    // Every sale, grouped by salesman.
    produto.CreateQueryDef("VendasVendedor006",
                           "SELECT Venda.Vendedor, Venda.[Número Venda], Venda.[Data Venda], Venda.[Total Venda] FROM Venda "
                           "ORDER BY Venda.Vendedor, Venda.[Número Venda];");
}

}  // namespace

void FillLojas(const dao::Database& produto, const std::string& ownCode, bool withUnreachable) {
    std::vector<Store> listed;
    for (std::size_t i = 0; i < Stores().size(); ++i) {
        listed.push_back(Stores()[i]);
        if (withUnreachable && i < UnreachableStores().size()) listed.push_back(UnreachableStores()[i]);
    }
    Inserter lojas(produto, "Loja");
    for (const Store& store : listed) {
        const Value local = store.localLojas.empty() ? Value::Null() : Value(store.localLojas);
        lojas.Add({{"CodLoja", Value(store.code)}, {"Nome", Value(store.name)}, {"LocalLojas", local},
                   {"LojaOrigem", store.code == ownCode ? Value("*") : Value(" ")}, {"Rede", Value("S")}});
    }
}

void FillUsers(const dao::Database& bd2) {
    Inserter usuarios(bd2, "Usuario");
    usuarios.Add({{"CodUsuario", Value(1)}, {"Usuario", Value("GERENTE")}, {"Senha", Value("ADMIN")}, {"Nivel", Value("A")}});
    usuarios.Add({{"CodUsuario", Value(2)}, {"Usuario", Value("CAIXA")}, {"Senha", Value("1234")}, {"Nivel", Value("B")}});
    usuarios.Add({{"CodUsuario", Value(3)}, {"Usuario", Value("JOSÉ")}, {"Senha", Value("SENHA")}});
}

void FillCatalogue(const dao::Database& bd2, bool criteria) {
    {
        Inserter aplicacoes(bd2, "Aplicacao");
        aplicacoes.Add({{"CodAplicacao", Value("R001")}, {"Nome", Value("Vendas por Período")}, {"Consulta", Value("Vendas001")},
                        {"Relatorio", Value("Vendas.rpt")}, {"Consolidado", Value("N")}});
        aplicacoes.Add({{"CodAplicacao", Value("R002")}, {"Nome", Value("Produtos por Grupo")}, {"Consulta", Value("Produtos002")},
                        {"Relatorio", Value("Produtos.rpt")}});
        aplicacoes.Add({{"CodAplicacao", Value("R003")}, {"Nome", Value("Vendas Consolidadas")}, {"Consulta", Value("Consolida003")},
                        {"Relatorio", Value("Consolida.rpt")}, {"Consolidado", Value("S")}});
        aplicacoes.Add({{"CodAplicacao", Value("R004")}, {"Nome", Value("Histórico de Vendas")}, {"Consulta", Value("Historico004")},
                        {"Relatorio", Value("Historico.rpt")}});
        aplicacoes.Add({{"CodAplicacao", Value("R005")}, {"Nome", Value("Resumo por Vendedor")}, {"Consulta", Value("Resumo005")},
                        {"Relatorio", Value("Resumo.rpt")}, {"Consolidado", Value("n")}});
        aplicacoes.Add({{"CodAplicacao", Value("R006")}, {"Nome", Value("Vendas por Vendedor")},
                        {"Consulta", Value("VendasVendedor006")}, {"Relatorio", Value("VendasVendedor.rpt")}});
        Inserter selecionar(bd2, "Selecionar");
        selecionar.Add({{"CodAplicacao", Value("R001")}, {"Tabela", Value("Venda")}});
        selecionar.Add({{"CodAplicacao", Value("R001")}, {"Tabela", Value("Itens Venda")}});
        selecionar.Add({{"CodAplicacao", Value("R002")}, {"Tabela", Value("Produto")}});
        Inserter temporarias(bd2, "TabelaTemporaria");
        temporarias.Add({{"CodAplicacao", Value("R002")}, {"Tabela", Value("TMPHISTORICO")}});
        Inserter preconsultas(bd2, "PreConsulta");
        preconsultas.Add({{"CodAplicacao", Value("R002")}, {"PreConsulta", Value("PreHistorico002")},
                          {"Mensagem", Value("Limpando o Histórico")}});
        temporarias.Add({{"CodAplicacao", Value("R004")}, {"Tabela", Value("TMPHISTORICO")}});
        preconsultas.Add({{"CodAplicacao", Value("R004")}, {"PreConsulta", Value("PreHistorico004")},
                          {"Mensagem", Value("Montando o Histórico")}});
        preconsultas.Add({{"CodAplicacao", Value("R005")}, {"PreConsulta", Value("PreResumo005B")},
                          {"Mensagem", Value("Somando as Vendas")}});
        preconsultas.Add({{"CodAplicacao", Value("R005")}, {"PreConsulta", Value("PreResumo005C")},
                          {"Mensagem", Value("Lendo o Resumo")}});
        preconsultas.Add({{"CodAplicacao", Value("R005")}, {"PreConsulta", Value("PreResumo005A")},
                          {"Mensagem", Value("Limpando o Resumo")}});
        temporarias.Add({{"CodAplicacao", Value("R005")}, {"Tabela", Value("TMPHISTORICO")}});
        selecionar.Add({{"CodAplicacao", Value("R006")}, {"Tabela", Value("Venda")}});
    }
    if (!criteria) return;
    Inserter relacao(bd2, "Relacao");
    for (const char* code : {"R001", "R002", "CRITERIO", "EXECUTAR"}) {
        const bool all = std::string(code) != "R002";
        relacao.Add({{"CodUsuario", Value(2)}, {"CodAplicacao", Value(code)}, {"Incluir", Flag(all)}, {"Alterar", Flag(false)},
                     {"Excluir", Flag(false)}, {"Consulta", Value("S")}, {"Imprime", Flag(all)}});
    }
    Inserter criterios(bd2, "Criterio");
    // Criteria saved over the years, each in the form the builder writes: " Where " and the
    // parenthesised groups of its conditions.
    criterios.Add({{"Relatorio", Value("R001")}, {"Sequencia", Value(1)}, {"DataCriacao", Date(2000, 5, 2)},
                   {"Nome", Value("VENDAS DE ABRIL")},
                   {"CRITERIO", Value(" Where ([Venda].[Data Venda]>=CDate(Format(\"01/04/2000\",\"D/M/YYYY\"))) And "
                                      "([Venda].[Data Venda]<CDate(Format(\"01/05/2000\",\"D/M/YYYY\")))")}});
    criterios.Add({{"Relatorio", Value("R001")}, {"Sequencia", Value(2)}, {"DataCriacao", Date(2000, 6, 1)},
                   {"Nome", Value("CONCLUIDAS")}, {"CRITERIO", Value(" Where ([Venda].[Concluido]='S')")}});
    criterios.Add({{"Relatorio", Value("R001")}, {"Sequencia", Value(3)}, {"DataCriacao", Date(2001, 1, 15)},
                   {"Nome", Value("ACIMA DE 300")}, {"CRITERIO", Value(" Where ([Venda].[Total Venda] > 300)")}});
}

void FillStatus(const dao::Database& backup) {
    Inserter status(backup, "Status");
    status.Add({{"Data", Date(2001, 2, 28)}, {"Hora", Time(19, 45)}});
}

void FillPostal(const dao::Database& cep) {
    const char* const tables[] = {"LOG_CEP", "LOG_LOCALIDADE", "LOG_LOGRADOURO", "LOG_BAIRRO",
                                  "LOG_CPC", "LOG_GRANDE_USUARIO", "LOG_UNID_OPER"};
    for (const char* table : tables) {
        Inserter rows(cep, table);
        for (int i = 1; i <= 3; ++i) {
            rows.Add({{"CHAVE", Value(i)}, {"CEP", Value("0100" + std::to_string(i) + "000")},
                      {"NOME", Value(std::string(table) + " " + std::to_string(i))}, {"UF", Value("SP")}});
        }
    }
}

std::vector<std::pair<std::string, std::vector<std::string>>> ReportFiles() {
    const std::string header = "Header=Critério: {Criterio}";
    return {
        {"Vendas.rpt",
         {"; Sales of the period", "Title=Vendas por Período", "Source=Relato001", header,
          "Column=Número|Número Venda|25|R|0", "Column=Data|Data Venda|30|L|dd/mm/yyyy",
          "Column=Total|Total Venda|35|R|#,##0.00", "Sum=Total Venda"}},
        {"Produtos.rpt",
         {"Title=Produtos por Grupo", "Source=Relato002", header, "Column=Família|Familia|20|R|0",
          "Column=Grupo|Grupo|20|R|0", "Column=Descrição|Descrição|100|L|"}},
        {"Consolida.rpt",
         {"Title=Vendas Consolidadas", "Source=Relato003", header, "Column=Loja|CodLoja|15|L|",
          "Column=Número|Número Venda|30|R|0",
          "Column=Total|Total Venda|40|R|#,##0.00", "Sum=Total Venda"}},
        {"Historico.rpt",
         {"Title=Histórico de Vendas", "Source=Relato004", header, "Column=Documento|Documento|30|R|0",
          "Column=Data|Data|30|L|dd/mm/yyyy", "Column=Família|Familia|20|R|0", "Column=Qtde|Quantidade|25|R|#,##0",
          "Sum=Quantidade"}},
        {"Resumo.rpt",
         {"Title=Resumo por Vendedor", "Source=Relato005", header, "Column=Vendedor|Vendedor|30|L|",
          "Column=Total|Total|40|R|#,##0.00", "Sum=Total"}},
        {"VendasVendedor.rpt",
         {"Title=Vendas por Vendedor", "Source=Relato006", header, "Column=Número|Número Venda|30|R|0",
          "Column=Data|Data Venda|30|L|dd/mm/yyyy", "Column=Total|Total Venda|40|R|#,##0.00", "Group=Vendedor",
          "Sum=Total Venda"}},
    };
}

// One message for every key the log-in window can draw from the clock (the tens of the minute
// folded to 0-2, the second 00-59), so a message shows whenever the window opens; a blank line
// and a key given twice (the later line wins) as the file may hold them.
std::vector<std::string> MotivaLines() {
    static constexpr const char* kMessages[] = {
        "Bom dia! Comece o dia revendo as vendas de ontem.",
        "Um cliente satisfeito volta e traz outro.",
        "Confira o estoque mínimo antes de fazer o pedido.",
        "A organização é a base do bom atendimento.",
        "Quem conhece o cliente pelo nome vende mais.",
        "Vitrine arrumada é venda garantida.",
        "Feche o caixa com calma e confira cada valor.",
    };
    std::vector<std::string> lines;
    for (int tens = 0; tens <= 2; ++tens) {
        for (int second = 0; second < 60; ++second) {
            const std::string key = std::to_string(tens) + (second < 10 ? "0" : "") + std::to_string(second);
            lines.push_back(key + " " + kMessages[(tens * 60 + second) % std::size(kMessages)]);
        }
        lines.emplace_back();
    }
    lines.push_back("105 A organização é a base do bom atendimento.");
    return lines;
}

void FillStoreProduto(const dao::DBEngine& engine, const dao::Database& produto, const Store& store,
                      const Volumes& volumes, std::mt19937& random, const std::string& programFolder) {
    FillSettings(produto, store);
    FillLojas(produto, store.code, store.code == "01");
    FillProductTables(engine, produto, volumes, random);
    FillPeople(produto, store);
    FillSales(engine, produto, volumes, random);
    FillTransfers(produto, store);
    FillQueries(produto, programFolder);
}

}  // namespace sample_chain
