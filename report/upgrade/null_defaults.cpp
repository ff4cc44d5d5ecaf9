// The data steps after the schema: NuloProduto gives the empty (Null) fields of the store's
// Produto.MDB their defaults and converts three old codes; AtualizaAntigo does the same for the
// movement tables of Antigo.MDB and refreshes its copy of the card table.
//
// Most statements have the one shape UPDATE T SET T.F = V WHERE T.F Is Null (a name holding a
// blank or a "%" in square brackets), written here as rows of table, fields and value; the others
// are written out. Order matters where a value copies another field (after that field's own
// default) and where a card's fee rate is taken before the 0 default of the same field.
//
// NuloProduto reports a failed statement ("Atualiza", "NuloProduto") and runs the next one. It sets
// consecutive defaults of one table in one pass over the table (Passes), which leaves every row as
// the statements one by one would: a store's sales tables are read and written once, not once per
// field.
// AtualizaAntigo stops at its first failure with a box showing the engine's description, and
// closes Antigo.MDB; a Cartao copy left by an earlier run (3010) is dropped and copied again.
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/errors.h"
#include "platform/forms/errors.h"
#include "platform/forms/services.h"
#include "platform/forms/strings.h"
#include "report/core/connections.h"
#include "report/core/error_routine.h"
#include "report/core/jet_literals.h"
#include "report/upgrade/data_step.h"
#include "report/upgrade/upgrade.h"

namespace report::upgrade {

namespace {

const std::string Q = "\"";

std::string Bracketed(std::string_view name) {
    if (name.find_first_of(" %") == std::string_view::npos) return std::string(name);
    return "[" + std::string(name) + "]";
}

// A list of statements; for those of the one shape, their table, field and value as well.
struct StatementList {
    struct Default {
        std::string table;  // empty for a statement written out
        std::string field;
        std::string value;
    };
    std::vector<std::string> texts;
    std::vector<Default> defaults;  // one per text

    void push_back(std::string text) {
        texts.push_back(std::move(text));
        defaults.emplace_back();
    }
};

std::string Column(std::string_view table, std::string_view field) { return Bracketed(table) + "." + Bracketed(field); }

// Appends UPDATE T SET T.F = V WHERE T.F Is Null for each field, in order.
void Defaults(StatementList& out, std::string_view table, std::initializer_list<std::string_view> fields,
              std::string_view value) {
    const std::string t = Bracketed(table);
    for (const std::string_view field : fields) {
        const std::string column = Column(table, field);
        out.texts.push_back("UPDATE " + t + " SET " + column + " = " + std::string(value) + " WHERE " + column + " Is Null");
        out.defaults.push_back({std::string(table), std::string(field), std::string(value)});
    }
}

const std::string kDataRecepcao =
    "UPDATE TransEnt INNER JOIN [Itens TransEnt] ON TransEnt.NroTrans = [Itens TransEnt].NroTrans SET [Itens "
    "TransEnt].DataRecepcao = [TransEnt].[DataRecepcao] WHERE [Itens TransEnt].[DataRecepcao] Is Null OR [Itens "
    "TransEnt].DataRecepcao = cdate(" + Q + "01/01/1900 08:00:00" + Q + ") ";
const std::string kHoraRecepcao =
    "UPDATE TransEnt INNER JOIN [Itens TransEnt] ON TransEnt.NroTrans = [Itens TransEnt].NroTrans SET [Itens "
    "TransEnt].HoraRecepcao = [TransEnt].[HoraRecepcao] WHERE [Itens TransEnt].HoraRecepcao Is Null or [Itens "
    "TransEnt].HoraRecepcao = CDate('08:00:00 AM')";
const std::string kNroNFVenda =
    "UPDATE Venda INNER JOIN [Itens Venda] ON Venda.[Número Venda] = [Itens Venda].[Número Venda] SET [Itens "
    "Venda].NroNF = [Venda].[Número NF] WHERE [Itens Venda].NroNF Is Null";
const std::string kTaxaPagto =
    "UPDATE [Pagto Venda] INNER JOIN Cartao ON [Pagto Venda].[Código Cartão] = Cartao.Código SET [Pagto "
    "Venda].TaxaCartao = Ccur([Cartao].[Taxa]) WHERE [Pagto Venda].TaxaCartao Is Null";

// The default values of the item tables of transfers.
void ItemDefaults(StatementList& s, const char* table, const char* quantidade, const char* custo) {
    Defaults(s, table, {"SituacaoTributaria"}, "' '");
    Defaults(s, table, {"QtdeVolume"}, "1");
    Defaults(s, table, {"QtdePorVolume"}, quantidade);
    Defaults(s, table, {"NroNF"}, "0");
    Defaults(s, table, {"SubCusto"}, custo);
    Defaults(s, table, {"UltimoCusto"}, "0");
}

// The sale defaults shared by Venda and DelVenda.
void SaleDefaults(StatementList& s, const std::string& t) {
    Defaults(s, t, {"Especie", "FretePorConta", "Marca", "PesoBruto"}, "' '");
    Defaults(s, t, {"QtdeVolumeNF"}, "0");
    Defaults(s, t, {"PercentualFN"}, "100");
    Defaults(s, t, {"TotalNF", "CFOP"}, "0");
    Defaults(s, t, {"DataPedido"}, "[" + t + "].[Data Venda]");
    Defaults(s, t, {"HoraPedido"}, "[" + t + "].[Hora]");
    Defaults(s, t, {"NroVendaVinculada"}, t + ".[Número Venda]");
    Defaults(s, t, {"ObsVendaVinculada", "Maquina", "Usuario"}, "' '");
}

void TransferDefaults(StatementList& s) {
    Defaults(s, "TransEnt", {"TotalItens", "TotalEfetivado"}, "0");
    Defaults(s, "TransEnt", {"ObsSaida"}, "' '");
    Defaults(s, "TransEnt", {"Pedido"}, "'N'");
    Defaults(s, "Itens TransEnt", {"IPI", "ICMS", "Quantidade", "EstoqueMinimo", "QuantidadeRecebida"}, "0");
    s.push_back(kDataRecepcao);
    s.push_back(kHoraRecepcao);
    ItemDefaults(s, "Itens TransEnt", "[Itens TransEnt].Quantidade", "[Itens TransEnt].CustoMd");
}

void ProdutoUntilSales(StatementList& s) {
    Defaults(s, "Produto",
             {"IPI", "ICMS", "SaldoBalanco", "Saldo", "SaldoCNF", "SaldoSNF", "QuantidadeComprada", "QuantidadeVendida",
              "PontoRessuprimento", "TransferênciaEntrada", "TransferênciaSaida", "SaldoContado", "SaldoSalvado",
              "EstoqueMaximo"},
             "0");
    Defaults(s, "Produto", {"ForaLinha"}, "'N'");
    Defaults(s, "Produto", {"LocalEstoque", "Unidade"}, "' '");
    Defaults(s, "Produto", {"SubCusto", "UltimoCusto"}, "0");
    Defaults(s, "Produto", {"ProdutoFornecedor"}, "' '");
    Defaults(s, "TransSai", {"TotalItens"}, "0");
    Defaults(s, "TransSai", {"ObsEntrada"}, "' '");
    Defaults(s, "TransSai", {"Pedido"}, "'N'");
    Defaults(s, "TransSai", {"CFOP", "CodTransportadora"}, "0");
    Defaults(s, "TransSai", {"PesoBruto", "FretePorConta", "Especie", "Marca"}, "' '");
    Defaults(s, "TransSai", {"TotalNF", "CodCliente"}, "0");
    Defaults(s, "TransSai", {"Maquina"}, "' '");
    Defaults(s, "Itens TransSai", {"IPI", "ICMS", "Quantidade", "EstoqueMinimo"}, "0");
    ItemDefaults(s, "Itens TransSai", "[Itens TransSai].[Quantidade]", "[Itens TransSai].CustoMD");
    TransferDefaults(s);
    SaleDefaults(s, "Venda");
    s.push_back("UPDATE Venda SET Venda.TipoVenda = '1' WHERE Venda.TipoVenda = '0' ");
    Defaults(s, "Itens Venda", {"Quantidade"}, "0");
    s.push_back(kNroNFVenda);
    s.push_back(kTaxaPagto);
    Defaults(s, "Pagto Venda", {"TaxaCartao"}, "0");
}

void DeletedAndPurchases(StatementList& s) {
    SaleDefaults(s, "DelVenda");
    Defaults(s, "DelItensVenda", {"Quantidade", "NroNF"}, "0");
    Defaults(s, "DelItensVenda", {"DataExclusao"}, "Now()");
    Defaults(s, "DelItensVenda", {"HoraExclusao"}, "Time()");
    Defaults(s, "DelItensVenda", {"Vendedor"}, "' '");
    Defaults(s, "DelItensVenda", {"DataVenda"}, "Now()");
    Defaults(s, "DelItensVenda", {"Maquina", "Usuario"}, "' '");
    s.push_back("UPDATE [DelPagtoVenda] INNER JOIN Cartao ON [DelPagtoVenda].[Código Cartão] = Cartao.Código SET "
                "[DelPagtoVenda].TaxaCartao = [Cartao].[Taxa] WHERE [DelPagtoVenda].TaxaCartao Is Null");
    Defaults(s, "DelPagtoVenda", {"TaxaCartao"}, "0");
    Defaults(s, "DelPagtoVenda", {"DataExclusao"}, "Now()");
    Defaults(s, "DelPagtoVenda", {"HoraExclusao"}, "Time()");
    Defaults(s, "DelPagtoVenda", {"Vendedor"}, "' '");
    Defaults(s, "Entrada", {"Hora"}, "CDate('08:00:00 AM')");
    Defaults(s, "Entrada", {"TotalIPI"}, "0");
    Defaults(s, "Itens Compra", {"%IPI", "%ICMS", "Quantidade", "SubCusto", "UltimoCusto"}, "0");
    Defaults(s, "Itens Entrada Produto", {"Quantidade", "PontoRessuprimento", "EstoqueMaximo"}, "0");
    Defaults(s, "Itens Entrada Produto", {"LocalEstoque"}, "' '");
    Defaults(s, "Itens Entrada Produto", {"QtdeVolume"}, "1");
    Defaults(s, "Itens Entrada Produto", {"QtdePorVolume"}, "[Itens Entrada Produto].Quantidade");
    Defaults(s, "Itens Entrada Produto", {"FazerEtiqueta"}, "'N'");
}

void ClientsAndSettings(StatementList& s) {
    Defaults(s, "Cliente", {"Fantasia"}, "' '");
    Defaults(s, "Cliente", {"CodigoOrigem"}, "Cliente.Código");
    Defaults(s, "Cliente", {"DataCad"}, "'01/01/2000'");
    Defaults(s, "Cliente", {"DataAlt"}, "Cliente.DataCad");
    s.push_back("UPDATE Cliente SET Cliente.CodLoja = DLookUp(" + Q + "[Loja]![CodLoja]" + Q + "," + Q + "loja" + Q + "," +
                Q + "[Loja]![LojaOrigem]= '*' " + Q + ") WHERE Cliente.CodLoja Is Null");
    Defaults(s, "Cliente", {"Email"}, "' '");
    const char* u = "UltimaVenda";
    Defaults(s, u, {"VerValorAVista"}, "'N'");
    s.push_back("UPDATE UltimaVenda SET UltimaVenda.UltimaContagem = cdate(" + Q + "01/01/1900 08:00:00" + Q +
                ")  WHERE UltimaVenda.UltimaContagem is Null");
    Defaults(s, u, {"PedidoTrans"}, "'N'");
    Defaults(s, u, {"AtualizaPreco", "CalcCustoMedio"}, "'S'");
    Defaults(s, u, {"Volume"}, "'N'");
    Defaults(s, u, {"ObsTerminal1", "ObsTerminal2", "ObsTerminal3", "ObsTerminal4", "ObsTerminal5"}, "' '");
    Defaults(s, u, {"ModeloPedidoTrans"}, "0");
    Defaults(s, u, {"FecharTudo"}, "'S'");
    Defaults(s, u, {"CupomTimeOut"}, "1000");
    Defaults(s, u, {"CupomDeviceType"}, "0");
    Defaults(s, u, {"ExibeNF"}, "'N'");
    Defaults(s, u, {"ImpressoraCheque"}, "0");
    Defaults(s, u, {"Gaveta"}, "'N'");
    Defaults(s, u, {"ValorMaximoDesconto"}, "0");
    Defaults(s, u, {"UsaPedidoVenda"}, "'N'");
    Defaults(s, u, {"VersaoProvenienteLoja"}, "' '");
    Defaults(s, u, {"ModeloPedidoVenda"}, "0");
    Defaults(s, u, {"CalcularVencimento", "GrupoSequencial"}, "'N'");
    Defaults(s, u, {"GavetaPortaCom", "GavetaPulso", "GavetaMin"}, "0");
    Defaults(s, u, {"VincularVenda"}, "'N'");
    Defaults(s, u, {"ModeloPedidoEntrada"}, "0");
    Defaults(s, u, {"Cupom"}, "'0'");
    s.push_back("UPDATE UltimaVenda SET UltimaVenda.Cupom = '1' WHERE UltimaVenda.Cupom = 'S' ");
    Defaults(s, u, {"DiretorioAllCheck"}, "' '");
    Defaults(s, u, {"PontoAllCheck"}, "'0'");
    Defaults(s, u, {"EstoqueNegativo", "GerarArquivoVenda"}, "'S'");
    Defaults(s, u, {"ObsCupom1", "ObsCupom2", "ObsCupom3", "ObsCupom4", "ObsCupom5", "ObsCupom6", "ObsCupom7", "ObsCupom8"},
             "' '");
}

void GroupsAndStores(StatementList& s) {
    Defaults(s, "Grupo", {"SituacaoTributaria", "Embalagem"}, "' '");
    s.push_back("UPDATE Familia INNER JOIN Grupo ON Familia.Código = Grupo.Familia SET Grupo.DescricaoNF = "
                "Mid([Familia].[Descrição] & ' ' & [Grupo].[DescGrupo],1,45) WHERE Grupo.DescricaoNF Is Null");
    Defaults(s, "Lucro", {"Terminal0", "Terminal1", "Terminal2", "Terminal3", "Terminal4"}, "'S'");
    Defaults(s, "NotaFiscal", {"NroVenda"}, "0");
    s.push_back("UPDATE Loja SET Loja.LojaOrigem = 'N' WHERE Trim(Loja.LojaOrigem) = '' Or Loja.LojaOrigem is Null ");
    Defaults(s, "Loja", {"CoefEstoqueMinimo"}, "0");
    s.push_back("UPDATE Credito INNER JOIN Cartao ON Credito.[Código Cartão] = Cartao.Código SET Credito.TaxaCartao = "
                "CCur([Cartao].[Taxa]) Where Credito.TaxaCartao is Null");
    Defaults(s, "Credito", {"TaxaCartao"}, "0");
}

// Runs each statement as a step of its own on `db`.
forms::StepList StatementSteps(const std::vector<std::string>& statements, const std::function<dao::Database()>& db) {
    forms::StepList steps;
    for (const std::string& sql : statements) {
        steps.Add("", [&sql, db](forms::StepFlow&) { db().Execute(sql); });
    }
    return steps;
}

// Consecutive defaults of one table, set in one pass over the table.
struct Pass {
    std::size_t first = 0;
    std::size_t count = 0;
};

// Groups the list into passes. A default joins the pass before it when it sets another field of
// the same table and its value names none of the fields the pass sets: then every row ends as the
// statements one after the other leave it (a field is set only where it is Null, from values the
// pass does not change), while the table is read and written once instead of once per field.
std::vector<Pass> Passes(const StatementList& list) {
    std::vector<Pass> passes;
    for (std::size_t n = 0; n < list.texts.size(); ++n) {
        const StatementList::Default& d = list.defaults[n];
        bool joins = !passes.empty() && !d.table.empty() && list.defaults[passes.back().first].table == d.table;
        const std::string value = forms::UCase(d.value);
        for (std::size_t k = joins ? passes.back().first : n; joins && k < n; ++k) {
            const std::string field = forms::UCase(list.defaults[k].field);
            joins = field != forms::UCase(d.field) && value.find(field) == std::string::npos;
        }
        if (joins) {
            ++passes.back().count;
        } else {
            passes.push_back({n, 1});
        }
    }
    return passes;
}

// The one statement of a pass: UPDATE T SET T.F1 = IIf(T.F1 Is Null, V1, T.F1), ... WHERE T.F1
// Is Null Or ...
std::string PassStatement(const StatementList& list, const Pass& pass) {
    const std::string& table = list.defaults[pass.first].table;
    std::string sets;
    std::string where;
    for (std::size_t n = pass.first; n < pass.first + pass.count; ++n) {
        const StatementList::Default& d = list.defaults[n];
        const std::string column = Column(table, d.field);
        sets += (sets.empty() ? "" : ", ") + column + " = IIf(" + column + " Is Null, " + d.value + ", " + column + ")";
        where += (where.empty() ? "" : " Or ") + column + " Is Null";
    }
    return "UPDATE " + Bracketed(table) + " SET " + sets + " WHERE " + where;
}

// Runs the list on `db` pass by pass; `trap` handles a failed statement. A pass whose one
// statement fails runs its statements one by one, so that each failure is reported as its own.
void RunPasses(const StatementList& list, const std::function<dao::Database()>& db, const forms::StepHandler& trap) {
    forms::StepList steps;
    for (const Pass& pass : Passes(list)) {
        steps.Add("", [&list, pass, db, trap](forms::StepFlow&) {
            if (pass.count == 1) {
                db().Execute(list.texts[pass.first]);
                return;
            }
            // A plain try: a failed pass falls back to its statements one by one, each under `trap`.
            try {
                db().Execute(PassStatement(list, pass));
            } catch (const win::RuntimeError&) {
                const auto first = list.texts.begin() + static_cast<std::ptrdiff_t>(pass.first);
                const std::vector<std::string> statements(first, first + static_cast<std::ptrdiff_t>(pass.count));
                forms::RunSteps(StatementSteps(statements, db), trap);
            }
        });
    }
    forms::RunSteps(std::move(steps), trap);
}

const StatementList& NuloProdutoList() {
    static const StatementList statements = [] {
        StatementList s;
        ProdutoUntilSales(s);
        DeletedAndPurchases(s);
        ClientsAndSettings(s);
        GroupsAndStores(s);
        return s;
    }();
    return statements;
}

}  // namespace

const std::vector<std::string>& NuloProdutoStatements() { return NuloProdutoList().texts; }

const std::vector<std::string>& AtualizaAntigoStatements() {
    static const std::vector<std::string> statements = [] {
        StatementList s;
        TransferDefaults(s);
        SaleDefaults(s, "Venda");
        Defaults(s, "Itens Venda", {"Quantidade"}, "0");
        s.push_back(kNroNFVenda);
        s.push_back(kTaxaPagto);
        Defaults(s, "Pagto Venda", {"TaxaCartao"}, "0");
        return s.texts;
    }();
    return statements;
}

// The statements are committed together: a failing statement is undone by itself and reported,
// the others stand once the last one has run. A run cut short leaves Produto.MDB as it was, and
// the next upgrade runs them all again.
void NuloProduto() {
    bool transacao = false;
    forms::StepList steps;
    steps.Add("begin", [&](forms::StepFlow&) {
        ProgramEngine().BeginTrans();
        transacao = true;
    });
    steps.Add("statements", [](forms::StepFlow&) {
        RunPasses(NuloProdutoList(), [] { return *BancoProdutoLoja; }, [](const win::RuntimeError&, std::string_view) {
            ReportError("Atualiza", "NuloProduto");
            return forms::Resume::Next();
        });
    });
    steps.Add("commit", [&](forms::StepFlow&) {
        ProgramEngine().CommitTrans();
        transacao = false;
    });
    forms::RunSteps(std::move(steps),
                    [&](const win::RuntimeError&, std::string_view) { return ReportAndRollBack("NuloProduto", transacao); });
}

void AtualizaAntigo() {
    const std::vector<std::string>& statements = AtualizaAntigoStatements();
    const std::size_t copyAt = statements.size() - 2;  // before the card fee rate and its default
    const std::string copia = "SELECT Cartao.* INTO Cartao " + InFile(PastaDados + "\\Antigo.mdb") + " FROM Cartao";
    const auto antigo = [] { return *BancoAtual; };
    forms::StepList steps;
    const forms::Target copyCards = steps.To("CopyCards");
    steps.Add("open", [](forms::StepFlow&) {
        const std::string file = PastaDados + "\\ANTIGO.MDB";
        BancoAtual.Set(ProgramEngine().OpenDatabase(file, false, false, ConnectLoja(PastaDados, "\\ANTIGO.MDB")));
    });
    for (std::size_t n = 0; n < statements.size(); ++n) {
        if (n == copyAt) steps.Add("CopyCards", [&copia](forms::StepFlow&) { BancoProdutoLoja->Execute(copia); });
        steps.Add("", [&statements, n, antigo](forms::StepFlow&) { antigo().Execute(statements[n]); });
    }
    steps.Add("close", [](forms::StepFlow&) { CloseIfOpen(BancoAtual); });
    forms::RunSteps(std::move(steps), [copyCards](const win::RuntimeError& error, const forms::FailedStep& failed) {
        if (error.Number() == dao::jet::TableExists && failed.Is(copyCards)) {
            BancoAtual->Execute("Drop Table Cartao");
            BancoAtual->TableDefs().Refresh();
            return forms::Resume::Retry();
        }
        forms::MsgBox(error.Description());
        // Antigo.MDB is closed on the way out as well, so that no connection to it outlives the
        // step.
        CloseIfOpen(BancoAtual);
        return forms::Resume::Leave();
    });
}

}  // namespace report::upgrade
