// The described tables of the five store databases, as data.
//
// Each array holds one table's rows (or the part of them that no other table shares), in the
// order of the field numbers k. Where a table repeats another's entries, its entry in the lists
// below points at the same rows; every count is checked against its rows at compile time (end of
// this file).
//
// Irregular entries kept on purpose, because stores already hold the fields so:
//   - Credito.Observação is a Memo that still carries "Size" = "0", enforced.
//   - DelItensVenda and ItensTransEntBaixa keep their Maquina and Usuario "Size" values as 16-bit
//     Integers (15 and 10), not as text.
//   - DelVenda.Maquina is 10 characters where Venda.Maquina is 15.
//   - ProdutoGeral spells TransferênciaSaída with an accented í; Produto and PRODUTOCONS do not.
//   - Antigo's Itens TransEnt lists QuantidadeRecebida before EstoqueMinimo.
//   - Transfer's UltimaVenda has ImpressoraCheque as Text of 1, where Produto's is an Integer.
#include "report/schema/schema_rows.h"

namespace schema::rows {
namespace {

constexpr Rows Slice(Rows rows, std::size_t from, std::size_t count) {
    return rows.subspan(from, count);
}

constexpr Rows Prefix(Rows rows, std::size_t count) { return rows.first(count); }

// ---- Produto.MDB ----------------------------------------------------------------------------

constexpr FieldRow kUltimaVenda[] = {
    {"UltimaVenda", kLong, 0, TypeIs(4), yes},
    {"UltimoCodigo", kLong, 0, TypeIs(4), yes},
    {"UltimaNF", kLong, 0, TypeIs(4), yes},
    {"UltimoPreço", kText, 30, SizeIs("30"), yes},
    {"MargemSuperior80", kDouble, 0, TypeIs(7), yes},
    {"MargemSuperior30", kDouble, 0, TypeIs(7), yes},
    {"Cupom", kText, 1, SizeIs("1"), yes},
    {"EtiquetaPreço", kText, 1, SizeIs("1"), yes},
    {"SituacaoTributaria", kText, 2, SizeIs("2"), yes},
    {"SerialCupom", kText, 10, SizeIs("10"), yes},
    {"LeitorOtico", kText, 1, SizeIs("1"), yes},
    {"SerialLeitor", kText, 20, SizeIs("20"), yes},
    {"UltimaContagem", kDateTime, 0, FormatIs("General Date"), yes},
    {"Versao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Transportadora", kText, 1, SizeIs("1"), yes},
    {"Dias", kText, 1, SizeIs("1"), yes},
    {"PrecoUnitario", kText, 1, SizeIs("1"), yes},
    {"MargemSupNF", kInteger, 0, TypeIs(3), yes},
    {"MargemSupBoleto", kInteger, 0, TypeIs(3), yes},
    {"MoraDiaria", kCurrency, 0, FormatIs("Currency"), yes},
    {"MargemLucro", kText, 1, SizeIs("1"), yes},
    {"ModeloNF", kInteger, 0, TypeIs(3), yes},
    {"Decimal", kText, 1, SizeIs("1"), yes},
    {"MargemSuperior25", kDouble, 0, TypeIs(7), yes},
    {"MargemSuperior15", kDouble, 0, TypeIs(7), yes},
    {"MultiploLucro", kText, 1, SizeIs("1"), yes},
    {"VerValorAVista", kText, 1, SizeIs("1"), yes},
    {"DiasAVista", kInteger, 0, TypeIs(3), yes},
    {"PedidoTrans", kText, 1, SizeIs("1"), yes},
    {"AtualizaPreco", kText, 1, SizeIs("1"), yes},
    {"CalcCustoMedio", kText, 1, SizeIs("1"), yes},
    {"Volume", kText, 1, SizeIs("1"), yes},
    {"Frequencia", kText, 6, SizeIs("6"), yes},
    {"TerminalImpressao", kInteger, 0, TypeIs(3), yes},
    {"ObsTerminal1", kText, 45, SizeIs("45"), yes},
    {"ObsTerminal2", kText, 45, SizeIs("45"), yes},
    {"ObsTerminal3", kText, 45, SizeIs("45"), yes},
    {"ObsTerminal4", kText, 45, SizeIs("45"), yes},
    {"ObsTerminal5", kText, 45, SizeIs("45"), yes},
    {"ModeloPedidoTrans", kInteger, 0, TypeIs(3), yes},
    {"FecharTudo", kText, 1, SizeIs("1"), yes},
    {"CupomTimeOut", kLong, 0, TypeIs(4), yes},
    {"CupomDeviceType", kInteger, 0, TypeIs(3), yes},
    {"ExibeNF", kText, 1, SizeIs("1"), yes},
    {"ImpressoraCheque", kInteger, 0, TypeIs(3), yes},
    {"Gaveta", kText, 1, SizeIs("1"), yes},
    {"ValorMaximoDesconto", kInteger, 0, TypeIs(3), yes},
    {"UsaPedidoVenda", kText, 1, SizeIs("1"), yes},
    {"VersaoProvenienteLoja", kText, 2, SizeIs("2"), yes},
    {"ModeloPedidoVenda", kInteger, 0, TypeIs(3), yes},
    {"CalcularVencimento", kText, 1, SizeIs("1"), yes},
    {"GrupoSequencial", kText, 1, SizeIs("1"), yes},
    {"SerialImpCheque", kText, 20, SizeIs("20"), yes},
    {"GavetaPortaCom", kInteger, 0, TypeIs(3), yes},
    {"GavetaPulso", kInteger, 0, TypeIs(3), yes},
    {"GavetaMin", kInteger, 0, TypeIs(3), yes},
    {"VincularVenda", kText, 1, SizeIs("1"), yes},
    {"ModeloPedidoEntrada", kInteger, 0, TypeIs(3), yes},
    {"DiretorioAllCheck", kText, 30, SizeIs("30"), yes},
    {"PontoAllCheck", kText, 8, SizeIs("8"), yes},
    {"SenhaAllCheck", kText, 8, SizeIs("8"), yes},
    {"EstoqueNegativo", kText, 1, SizeIs("1"), yes},
    {"GerarArquivoVenda", kText, 1, SizeIs("1"), yes},
    {"ObsCupom1", kText, 48, SizeIs("48"), yes},
    {"ObsCupom2", kText, 48, SizeIs("48"), yes},
    {"ObsCupom3", kText, 48, SizeIs("48"), yes},
    {"ObsCupom4", kText, 48, SizeIs("48"), yes},
    {"ObsCupom5", kText, 48, SizeIs("48"), yes},
    {"ObsCupom6", kText, 48, SizeIs("48"), yes},
    {"ObsCupom7", kText, 48, SizeIs("48"), yes},
    {"ObsCupom8", kText, 48, SizeIs("48"), yes},
};

constexpr FieldRow kProduto[] = {
    {"IPI", kDouble, 0, TypeIs(7), yes},
    {"Particularidade", kInteger, 0, TypeIs(3), yes},
    {"Unidade", kText, 2, SizeIs("2"), yes},
    {"ICMS", kDouble, 0, TypeIs(7), yes},
    {"SaldoBalanco", kDouble, 0, TypeIs(7), yes},
    {"Saldo", kDouble, 0, TypeIs(7), yes},
    {"SaldoCNF", kDouble, 0, TypeIs(7), yes},
    {"SaldoSNF", kDouble, 0, TypeIs(7), yes},
    {"QuantidadeComprada", kDouble, 0, TypeIs(7), yes},
    {"QuantidadeVendida", kDouble, 0, TypeIs(7), yes},
    {"PontoRessuprimento", kDouble, 0, TypeIs(7), yes},
    {"TransferênciaEntrada", kDouble, 0, TypeIs(7), yes},
    {"TransferênciaSaida", kDouble, 0, TypeIs(7), yes},
    {"SaldoContado", kDouble, 0, TypeIs(7), yes},
    {"SaldoSalvado", kDouble, 0, TypeIs(7), yes},
    {"EstoqueMaximo", kDouble, 0, TypeIs(7), yes},
    {"ForaLinha", kText, 1, SizeIs("1"), yes},
    {"LocalEstoque", kText, 6, SizeIs("6"), yes},
    {"SubCusto", kCurrency, 0, FormatIs("Currency"), yes},
    {"CodigoEAN", kText, 20, SizeIs("20"), yes},
    {"UltimoCusto", kCurrency, 0, FormatIs("Currency"), yes},
};

constexpr FieldRow kItensCompra[] = {
    {"%IPI", kDouble, 0, TypeIs(7), yes},
    {"%ICMS", kDouble, 0, TypeIs(7), yes},
    {"Quantidade", kDouble, 0, TypeIs(7), yes},
    {"SubCusto", kCurrency, 0, FormatIs("Currency"), yes},
    {"UltimoCusto", kCurrency, 0, FormatIs("Currency"), yes},
};

constexpr FieldRow kAliquota[] = {
    {"Estado", kText, 2, SizeIs("2"), yes},
    {"AliquotaICMS", kSingle, 0, TypeIs(6), yes},
};

constexpr FieldRow kBanco[] = {
    {"Código", kInteger, 0, TypeIs(3), yes},
    {"Descrição", kText, 20, SizeIs("20"), yes},
};

constexpr FieldRow kCartao[] = {
    {"Código", kInteger, 0, TypeIs(3), yes},
    {"Descrição", kText, 20, SizeIs("20"), yes},
    {"Dias", kInteger, 0, TypeIs(3), yes},
    {"Taxa", kSingle, 0, TypeIs(6), yes},
    {"CodCorrente", kLong, 0, TypeIs(4), yes},
    {"CodPlanoConta", kLong, 0, TypeIs(4), yes},
    {"CodModalidade", kLong, 0, TypeIs(4), yes},
    {"CodFornecedor", kLong, 0, TypeIs(4), yes},
    {"Obs1", kText, 45, SizeIs("45"), yes},
    {"Obs2", kText, 45, SizeIs("45"), yes},
    {"Obs3", kText, 45, SizeIs("45"), yes},
    {"Obs4", kText, 45, SizeIs("45"), yes},
    {"Obs5", kText, 45, SizeIs("45"), yes},
};

constexpr FieldRow kCliente[] = {
    {"Código", kLong, 0, TypeIs(4), yes},
    {"Nome", kText, 40, SizeIs("40"), yes},
    {"Endereço", kText, 40, SizeIs("40"), yes},
    {"Bairro", kText, 20, SizeIs("20"), yes},
    {"Cidade", kText, 20, SizeIs("20"), yes},
    {"Estado", kText, 2, SizeIs("2"), yes},
    {"CEP", kText, 9, SizeIs("9"), yes},
    {"Contato", kText, 20, SizeIs("20"), yes},
    {"CGC", kText, 18, SizeIs("18"), yes},
    {"InsEstadual", kText, 20, SizeIs("20"), yes},
    {"Telefone", kText, 40, SizeIs("40"), yes},
    {"CPF", kText, 15, SizeIs("15"), yes},
    {"Total", kCurrency, 0, FormatIs("Currency"), yes},
    {"Desconto", kCurrency, 0, FormatIs("Currency"), yes},
    {"Limite", kCurrency, 0, FormatIs("Currency"), yes},
    {"Nascimento", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Vendedor", kText, 20, SizeIs("20"), yes},
    {"RG", kText, 20, SizeIs("20"), yes},
    {"CoEndereço", kText, 40, SizeIs("40"), yes},
    {"CoBairro", kText, 20, SizeIs("20"), yes},
    {"CoCidade", kText, 20, SizeIs("20"), yes},
    {"CoEstado", kText, 2, SizeIs("2"), yes},
    {"CoCEP", kText, 9, SizeIs("9"), yes},
    {"DataCad", kDateTime, 0, FormatIs("Short Date"), yes},
    {"DataAlt", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Banco", kInteger, 0, TypeIs(3), yes},
    {"Agencia", kInteger, 0, TypeIs(3), yes},
    {"NomeAgência", kText, 15, SizeIs("15"), yes},
    {"NumeroCheque", kText, 10, SizeIs("10"), yes},
    {"Valor", kCurrency, 0, FormatIs("Currency"), yes},
    {"Devolução", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Regularizado", kText, 1, SizeIs("1"), yes},
    {"Observação", kMemo, 10, NoProperty, no},
    {"Fantasia", kText, 40, SizeIs("40"), yes},
    {"CodLoja", kText, 2, SizeIs("2"), yes},
    {"CodigoOrigem", kLong, 0, TypeIs(4), yes},
    {"Email", kText, 50, SizeIs("50"), yes},
};

constexpr FieldRow kConta[] = {
    {"Código", kInteger, 0, TypeIs(3), yes},
    {"PlanoConta", kText, 30, SizeIs("30"), yes},
};

constexpr FieldRow kCor[] = {
    {"Código", kText, 2, SizeIs("2"), yes},
    {"Descrição", kText, 15, SizeIs("15"), yes},
};

constexpr FieldRow kCorrente[] = {
    {"CodCorrente", kInteger, 0, TypeIs(3), yes},
    {"CodBanco", kInteger, 0, TypeIs(3), yes},
    {"CodAgencia", kLong, 0, TypeIs(4), yes},
    {"NomeAgencia", kText, 20, SizeIs("20"), yes},
    {"ContaCorrente", kText, 15, SizeIs("15"), yes},
};

constexpr FieldRow kCREDEB[] = {
    {"NumeroCreDeb", kLong, 0, TypeIs(4), yes},
    {"NroDocumento", kText, 12, SizeIs("12"), yes},
    {"Emissão", kDateTime, 0, FormatIs("Short Date"), yes},
    {"CodCorrente", kLong, 0, TypeIs(4), yes},
    {"CodPlanoConta", kLong, 0, TypeIs(4), yes},
    {"CodLoja", kText, 2, SizeIs("2"), yes},
    {"CodModalidade", kLong, 0, TypeIs(4), yes},
    {"CodFornecedor", kLong, 0, TypeIs(4), yes},
    {"TipoPagto", kLong, 0, TypeIs(4), yes},
    {"Histórico", kText, 50, SizeIs("50"), yes},
    {"Vencimento", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Credito", kCurrency, 0, FormatIs("Currency"), yes},
    {"CreditoTaxa", kCurrency, 0, FormatIs("Currency"), yes},
    {"Debito", kCurrency, 0, FormatIs("Currency"), yes},
    {"DataBaixa", kDateTime, 0, FormatIs("Short Date"), yes},
    {"CreditoBaixado", kCurrency, 0, FormatIs("Currency"), yes},
    {"DebitoBaixado", kCurrency, 0, FormatIs("Currency"), yes},
    {"CodCartao", kLong, 0, TypeIs(4), yes},
    {"CodBanco", kLong, 0, TypeIs(4), yes},
};

constexpr FieldRow kCredito[] = {
    {"NroCredito", kLong, 0, TypeIs(4), yes},
    {"Número Venda", kLong, 0, TypeIs(4), yes},
    {"Parcela", kInteger, 0, TypeIs(3), yes},
    {"DataEmissão", kDateTime, 0, FormatIs("Short Date"), yes},
    {"CodCorrente", kInteger, 0, TypeIs(3), yes},
    {"CodPlanoConta", kInteger, 0, TypeIs(3), yes},
    {"CodLoja", kText, 2, SizeIs("2"), yes},
    {"CodModalidade", kInteger, 0, TypeIs(3), yes},
    {"Tipo Pagamento", kInteger, 0, TypeIs(3), yes},
    {"Banco", kInteger, 0, TypeIs(3), yes},
    {"Agência", kLong, 0, TypeIs(4), yes},
    {"NomeAgencia", kText, 15, SizeIs("15"), yes},
    {"Número Cheque", kText, 12, SizeIs("12"), yes},
    {"Código Cartão", kInteger, 0, TypeIs(3), yes},
    {"Número Cartão", kText, 12, SizeIs("12"), yes},
    {"Depósito Cartão", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Dia Cartão", kInteger, 0, TypeIs(3), yes},
    {"Valor Receber", kCurrency, 0, FormatIs("Currency"), yes},
    {"Vencimento", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Data Recebimento", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Valor Recebido", kCurrency, 0, FormatIs("Currency"), yes},
    {"Cliente", kText, 20, SizeIs("20"), yes},
    {"Telefone", kText, 20, SizeIs("20"), yes},
    {"Motivo", kInteger, 0, TypeIs(3), yes},
    {"Regularizado", kText, 1, SizeIs("1"), yes},
    {"Observação", kMemo, 10, SizeIs("0"), yes},
    {"CodFornecedor", kInteger, 0, TypeIs(3), yes},
    {"Alteração", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Baixa", kText, 1, SizeIs("1"), yes},
    {"TaxaCartao", kDouble, 0, TypeIs(7), yes},
};

constexpr FieldRow kDebito[] = {
    {"NroDébito", kLong, 0, TypeIs(4), yes},
    {"NroEntrada", kLong, 0, TypeIs(4), yes},
    {"Parcela", kLong, 0, TypeIs(4), yes},
    {"DataEmissão", kDateTime, 0, FormatIs("Short Date"), yes},
    {"CodFornecedor", kInteger, 0, TypeIs(3), yes},
    {"CodCorrente", kInteger, 0, TypeIs(3), yes},
    {"Código Conta", kInteger, 0, TypeIs(3), yes},
    {"Vencimento", kDateTime, 0, FormatIs("Short Date"), yes},
    {"DataPagto", kDateTime, 0, FormatIs("Short Date"), yes},
    {"TotalPagto", kCurrency, 0, FormatIs("Currency"), yes},
    {"TotalLancto", kCurrency, 0, FormatIs("Currency"), yes},
    {"NroCheque", kText, 15, SizeIs("15"), yes},
    {"NroTítulo", kText, 15, SizeIs("15"), yes},
    {"NroDocto", kText, 15, SizeIs("15"), yes},
    {"Histórico", kText, 30, SizeIs("30"), yes},
    {"CodLoja", kText, 2, SizeIs("2"), yes},
    {"CodModalidade", kInteger, 0, TypeIs(3), yes},
    {"ChecaDocumento", kText, 1, SizeIs("1"), yes},
    {"ValorCheque", kCurrency, 0, FormatIs("Currency"), yes},
    {"Tipo", kText, 1, SizeIs("1"), yes},
    {"Baixa", kText, 1, SizeIs("1"), yes},
};

constexpr FieldRow kDelPagtoVendaHora[] = {
    {"Hora", kDateTime, 0, FormatIs("Long Time"), yes},
};

constexpr FieldRow kDelPagtoVendaExclusao[] = {
    {"DataExclusao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraExclusao", kDateTime, 0, FormatIs("Long Time"), yes},
    {"Vendedor", kText, 2, SizeIs("2"), yes},
};

constexpr FieldRow kDelVendaExclusao[] = {
    {"DataExclusao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraExclusao", kDateTime, 0, FormatIs("Long Time"), yes},
};

constexpr FieldRow kDelVendaMaquina[] = {
    {"Maquina", kText, 10, SizeIs("10"), yes},
};

constexpr FieldRow kEntrada[] = {
    {"Número Entrada", kLong, 0, TypeIs(4), yes},
    {"Data Emissão", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Código Fornecedor", kLong, 0, TypeIs(4), yes},
    {"Número NF", kLong, 0, TypeIs(4), yes},
    {"Série", kText, 4, SizeIs("4"), yes},
    {"Data NF", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Percentual ICM", kSingle, 0, TypeIs(6), yes},
    {"Valor ICM", kCurrency, 0, FormatIs("Currency"), yes},
    {"Desconto NF", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Compra", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Compra US$", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Ítens", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Ítens US$", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Pago", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Pago US$", kCurrency, 0, FormatIs("Currency"), yes},
    {"Status", kText, 16, SizeIs("16"), yes},
    {"Observação", kMemo, 10, NoProperty, no},
    {"CodUsuario", kDouble, 0, TypeIs(7), yes},
    {"Seguro", kCurrency, 0, FormatIs("Currency"), yes},
    {"Frete", kCurrency, 0, FormatIs("Currency"), yes},
    {"Outras Despesas", kCurrency, 0, FormatIs("Currency"), yes},
    {"Hora", kDateTime, 0, FormatIs("Long Time"), yes},
    {"TotalIPI", kCurrency, 0, FormatIs("Currency"), yes},
};

constexpr FieldRow kFamilia[] = {
    {"Código", kInteger, 0, TypeIs(3), yes},
    {"Descrição", kText, 20, SizeIs("20"), yes},
};

constexpr FieldRow kFechamento[] = {
    {"DataVenda", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Versão", kLong, 0, TypeIs(4), yes},
    {"Data", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Hora", kDateTime, 0, FormatIs("Long Time"), yes},
    {"Total", kCurrency, 0, FormatIs("Currency"), yes},
    {"TotalPagto", kCurrency, 0, FormatIs("Currency"), yes},
    {"Fechado", kText, 1, SizeIs("1"), yes},
    {"CodUsuárioFechamento", kLong, 0, TypeIs(4), yes},
    {"UsuárioFechamento", kText, 40, SizeIs("40"), yes},
    {"DataAbertura", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraAbertura", kDateTime, 0, FormatIs("Long Time"), yes},
    {"CodUsuárioAbertura", kLong, 0, TypeIs(4), yes},
    {"UsuárioAbertura", kText, 40, SizeIs("40"), yes},
};

constexpr FieldRow kFornecedor[] = {
    {"Código", kLong, 0, TypeIs(4), yes},
    {"Razão Social", kText, 40, SizeIs("40"), yes},
    {"Endereço", kText, 40, SizeIs("40"), yes},
    {"Bairro", kText, 20, SizeIs("20"), yes},
    {"CEP", kText, 9, SizeIs("9"), yes},
    {"Cidade", kText, 20, SizeIs("20"), yes},
    {"UF", kText, 2, SizeIs("2"), yes},
    {"CGC", kText, 18, SizeIs("18"), yes},
    {"CPF", kText, 12, SizeIs("12"), yes},
    {"RG", kText, 9, SizeIs("9"), yes},
    {"Insc Estadual", kText, 15, SizeIs("15"), yes},
    {"Contato", kText, 20, SizeIs("20"), yes},
    {"Telefone", kText, 25, SizeIs("25"), yes},
    {"Fax", kText, 25, SizeIs("25"), yes},
    {"Dt Ult Compra", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Total Comprado US$", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Comprado R$", kCurrency, 0, FormatIs("Currency"), yes},
    {"Data Cadastramento", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Data Alteração", kDateTime, 0, FormatIs("Short Date"), yes},
};

constexpr FieldRow kLoja[] = {
    {"CodLoja", kText, 2, SizeIs("2"), yes},
    {"Nome", kText, 25, SizeIs("25"), yes},
    {"LocalArquivos", kText, 35, SizeIs("35"), yes},
    {"LocalLojas", kText, 35, SizeIs("35"), yes},
    {"LojaOrigem", kText, 1, SizeIs("1"), yes},
    {"Rede", kText, 1, SizeIs("1"), yes},
    {"DriveDisquete", kText, 2, SizeIs("2"), yes},
    {"Empresa", kText, 50, SizeIs("50"), yes},
    {"Endereco", kText, 50, SizeIs("50"), yes},
    {"CoefEstoqueMinimo", kDouble, 0, TypeIs(7), yes},
};

constexpr FieldRow kLucro[] = {
    {"Preço0", kDouble, 0, TypeIs(7), yes},
    {"Preço1", kDouble, 0, TypeIs(7), yes},
    {"Preço2", kDouble, 0, TypeIs(7), yes},
    {"Preço3", kDouble, 0, TypeIs(7), yes},
    {"Preço4", kDouble, 0, TypeIs(7), yes},
    {"Nome0", kText, 20, SizeIs("20"), yes},
    {"Nome1", kText, 20, SizeIs("20"), yes},
    {"Nome2", kText, 20, SizeIs("20"), yes},
    {"Nome3", kText, 20, SizeIs("20"), yes},
    {"Nome4", kText, 20, SizeIs("20"), yes},
    {"Parcela0", kInteger, 0, TypeIs(3), yes},
    {"Parcela1", kInteger, 0, TypeIs(3), yes},
    {"Parcela2", kInteger, 0, TypeIs(3), yes},
    {"Parcela3", kInteger, 0, TypeIs(3), yes},
    {"Parcela4", kInteger, 0, TypeIs(3), yes},
    {"Tela0", kText, 1, SizeIs("1"), yes},
    {"Tela1", kText, 1, SizeIs("1"), yes},
    {"Tela2", kText, 1, SizeIs("1"), yes},
    {"Tela3", kText, 1, SizeIs("1"), yes},
    {"Tela4", kText, 1, SizeIs("1"), yes},
    {"Dia01", kInteger, 0, TypeIs(3), yes},
    {"Dia02", kInteger, 0, TypeIs(3), yes},
    {"Dia03", kInteger, 0, TypeIs(3), yes},
    {"Dia04", kInteger, 0, TypeIs(3), yes},
    {"Dia05", kInteger, 0, TypeIs(3), yes},
    {"Dia11", kInteger, 0, TypeIs(3), yes},
    {"Dia12", kInteger, 0, TypeIs(3), yes},
    {"Dia13", kInteger, 0, TypeIs(3), yes},
    {"Dia14", kInteger, 0, TypeIs(3), yes},
    {"Dia15", kInteger, 0, TypeIs(3), yes},
    {"Dia21", kInteger, 0, TypeIs(3), yes},
    {"Dia22", kInteger, 0, TypeIs(3), yes},
    {"Dia23", kInteger, 0, TypeIs(3), yes},
    {"Dia24", kInteger, 0, TypeIs(3), yes},
    {"Dia25", kInteger, 0, TypeIs(3), yes},
    {"Dia31", kInteger, 0, TypeIs(3), yes},
    {"Dia32", kInteger, 0, TypeIs(3), yes},
    {"Dia33", kInteger, 0, TypeIs(3), yes},
    {"Dia34", kInteger, 0, TypeIs(3), yes},
    {"Dia35", kInteger, 0, TypeIs(3), yes},
    {"Dia41", kInteger, 0, TypeIs(3), yes},
    {"Dia42", kInteger, 0, TypeIs(3), yes},
    {"Dia43", kInteger, 0, TypeIs(3), yes},
    {"Dia44", kInteger, 0, TypeIs(3), yes},
    {"Dia45", kInteger, 0, TypeIs(3), yes},
    {"Porcento01", kSingle, 0, TypeIs(6), yes},
    {"Porcento02", kSingle, 0, TypeIs(6), yes},
    {"Porcento03", kSingle, 0, TypeIs(6), yes},
    {"Porcento04", kSingle, 0, TypeIs(6), yes},
    {"Porcento05", kSingle, 0, TypeIs(6), yes},
    {"Porcento11", kSingle, 0, TypeIs(6), yes},
    {"Porcento12", kSingle, 0, TypeIs(6), yes},
    {"Porcento13", kSingle, 0, TypeIs(6), yes},
    {"Porcento14", kSingle, 0, TypeIs(6), yes},
    {"Porcento15", kSingle, 0, TypeIs(6), yes},
    {"Porcento21", kSingle, 0, TypeIs(6), yes},
    {"Porcento22", kSingle, 0, TypeIs(6), yes},
    {"Porcento23", kSingle, 0, TypeIs(6), yes},
    {"Porcento24", kSingle, 0, TypeIs(6), yes},
    {"Porcento25", kSingle, 0, TypeIs(6), yes},
    {"Porcento31", kSingle, 0, TypeIs(6), yes},
    {"Porcento32", kSingle, 0, TypeIs(6), yes},
    {"Porcento33", kSingle, 0, TypeIs(6), yes},
    {"Porcento34", kSingle, 0, TypeIs(6), yes},
    {"Porcento35", kSingle, 0, TypeIs(6), yes},
    {"Porcento41", kSingle, 0, TypeIs(6), yes},
    {"Porcento42", kSingle, 0, TypeIs(6), yes},
    {"Porcento43", kSingle, 0, TypeIs(6), yes},
    {"Porcento44", kSingle, 0, TypeIs(6), yes},
    {"Porcento45", kSingle, 0, TypeIs(6), yes},
    {"Coef", kInteger, 0, TypeIs(3), yes},
    {"Dia Tolera", kInteger, 0, TypeIs(3), yes},
    {"ValorTolera", kCurrency, 0, FormatIs("Currency"), yes},
    {"JurosMes", kSingle, 0, TypeIs(6), yes},
    {"Codigo", kLong, 0, TypeIs(4), yes},
    {"Descricao", kText, 10, SizeIs("10"), yes},
    {"Terminal0", kText, 1, SizeIs("1"), yes},
    {"Terminal1", kText, 1, SizeIs("1"), yes},
    {"Terminal2", kText, 1, SizeIs("1"), yes},
    {"Terminal3", kText, 1, SizeIs("1"), yes},
    {"Terminal4", kText, 1, SizeIs("1"), yes},
};

constexpr FieldRow kModalidade[] = {
    {"Código", kInteger, 0, TypeIs(3), yes},
    {"Modalidade", kText, 30, SizeIs("30"), yes},
};

constexpr FieldRow kMoeda[] = {
    {"Dia", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Cotação", kDouble, 0, TypeIs(7), yes},
};

constexpr FieldRow kMotivo[] = {
    {"Código", kInteger, 0, TypeIs(3), yes},
    {"Descrição", kText, 20, SizeIs("20"), yes},
};

constexpr FieldRow kOperacao[] = {
    {"CFOP", kLong, 0, TypeIs(4), yes},
    {"Natureza Operação", kText, 50, SizeIs("50"), yes},
    {"Sn", kText, 1, SizeIs("1"), yes},
    {"Cobrança", kText, 1, SizeIs("1"), yes},
};

constexpr FieldRow kPagtoVenda[] = {
    {"Número Venda", kLong, 0, TypeIs(4), yes},
    {"Sequência", kInteger, 0, TypeIs(3), yes},
    {"Tipo Pagamento", kInteger, 0, TypeIs(3), yes},
    {"Banco", kInteger, 0, TypeIs(3), yes},
    {"Agência", kLong, 0, TypeIs(4), yes},
    {"NomeAgencia", kText, 15, SizeIs("15"), yes},
    {"Número Cheque", kText, 12, SizeIs("12"), yes},
    {"Código Cartão", kInteger, 0, TypeIs(3), yes},
    {"Número Cartão", kText, 12, SizeIs("12"), yes},
    {"Depósito Cartão", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Dia Cartão", kInteger, 0, TypeIs(3), yes},
    {"Valor Receber", kCurrency, 0, FormatIs("Currency"), yes},
    {"Vencimento", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Data Recebimento", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Valor Recebido", kCurrency, 0, FormatIs("Currency"), yes},
    {"Número Crédito", kLong, 0, TypeIs(4), yes},
    {"Cliente", kText, 20, SizeIs("20"), yes},
    {"Telefone", kText, 20, SizeIs("20"), yes},
    {"Motivo", kInteger, 0, TypeIs(3), yes},
    {"Regularizado", kText, 1, SizeIs("1"), yes},
    {"Observação", kText, 15, SizeIs("15"), yes},
    {"CodFornecedor", kInteger, 0, TypeIs(3), yes},
    {"Dias", kInteger, 0, TypeIs(3), yes},
    {"TaxaCartao", kDouble, 0, TypeIs(7), yes},
    {"CPFCGCCheque", kText, 15, SizeIs("15"), yes},
    {"CodAutorizacaoCheque", kText, 15, SizeIs("15"), yes},
};

constexpr FieldRow kProvisao[] = {
    {"Código", kInteger, 0, TypeIs(3), yes},
    {"Plano Conta", kInteger, 0, TypeIs(3), yes},
    {"Valor", kCurrency, 0, FormatIs("Currency"), yes},
    {"Percentual", kSingle, 0, TypeIs(6), yes},
    {"TipoDC", kText, 1, SizeIs("1"), yes},
    {"Número Meses", kInteger, 0, TypeIs(3), yes},
};

constexpr FieldRow kReajuste[] = {
    {"IndCodigo", kLong, 0, TypeIs(4), yes},
    {"Emissao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Titulo", kText, 40, SizeIs("40"), yes},
    {"Selecao", kMemo, 10, NoProperty, no},
    {"Promocao", kText, 1, SizeIs("1"), yes},
    {"Preco0", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preco1", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preco2", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preco3", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preco4", kCurrency, 0, FormatIs("Currency"), yes},
    {"Atualiza", kText, 1, SizeIs("1"), yes},
    {"Familia", kInteger, 0, TypeIs(3), yes},
    {"Grupo", kLong, 0, TypeIs(4), yes},
    {"UltimoPreco", kDateTime, 0, FormatIs("Short Date"), yes},
};

constexpr FieldRow kStatus[] = {
    {"Data", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Hora", kDateTime, 0, FormatIs("Long Time"), yes},
};

constexpr FieldRow kTipoPagamento[] = {
    {"Tipo Pagamento", kInteger, 0, TypeIs(3), yes},
    {"Descrição Pagamento", kText, 25, SizeIs("25"), yes},
    {"CodCorrente", kLong, 0, TypeIs(4), yes},
    {"CodPlanoConta", kLong, 0, TypeIs(4), yes},
    {"CodModalidade", kLong, 0, TypeIs(4), yes},
    {"CodFornecedor", kLong, 0, TypeIs(4), yes},
};

constexpr FieldRow kTransEntHead[] = {
    {"NroTrans", kLong, 0, TypeIs(4), yes},
    {"NroOrigem", kLong, 0, TypeIs(4), yes},
    {"DataTrans", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraTrans", kDateTime, 0, FormatIs("Long Time"), yes},
    {"DataRecepcao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraRecepcao", kDateTime, 0, FormatIs("Long Time"), yes},
    {"LojaOrigem", kText, 2, SizeIs("2"), yes},
    {"LojaDestino", kText, 2, SizeIs("2"), yes},
    {"Situacao", kText, 20, SizeIs("20"), yes},
    {"Responsavel", kText, 2, SizeIs("2"), yes},
    {"Mensageiro", kText, 30, SizeIs("30"), yes},
    {"TotalItens", kDouble, 0, TypeIs(7), yes},
    {"TotalTrans", kCurrency, 0, FormatIs("Currency"), yes},
    {"TotalTransUS", kCurrency, 0, FormatIs("Currency"), yes},
    {"TotalEfetivado", kDouble, 0, TypeIs(7), yes},
    {"NroNF", kLong, 0, TypeIs(4), yes},
    {"Serie", kText, 4, SizeIs("4"), yes},
    {"Obs", kMemo, 10, NoProperty, no},
    {"Concluido", kText, 1, SizeIs("1"), yes},
    {"CodFornecedor", kLong, 0, TypeIs(4), yes},
    {"ObsSaida", kMemo, 10, NoProperty, no},
    {"Pedido", kText, 1, SizeIs("1"), yes},
};

constexpr FieldRow kTransEntTail[] = {
    {"CondicaoPagto", kText, 40, SizeIs("40"), yes},
    {"ValePercentual", kDouble, 0, TypeIs(7), yes},
    {"DescontoPercentual", kDouble, 0, TypeIs(7), yes},
    {"NroPedidoFornecedor", kText, 40, SizeIs("40"), yes},
    {"DtPrazoEntregaInicial", kDateTime, 0, FormatIs("Short Date"), yes},
    {"DtPrazoEntregaFinal", kDateTime, 0, FormatIs("Short Date"), yes},
};

constexpr FieldRow kTransSaiHead[] = {
    {"NroTrans", kLong, 0, TypeIs(4), yes},
    {"NroDestino", kLong, 0, TypeIs(4), yes},
    {"DataTrans", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraTrans", kDateTime, 0, FormatIs("Long Time"), yes},
    {"DataRecepcao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraRecepcao", kDateTime, 0, FormatIs("Long Time"), yes},
    {"LojaOrigem", kText, 2, SizeIs("2"), yes},
    {"LojaDestino", kText, 2, SizeIs("2"), yes},
    {"Situacao", kText, 20, SizeIs("20"), yes},
    {"Responsavel", kText, 2, SizeIs("2"), yes},
    {"Mensageiro", kText, 30, SizeIs("30"), yes},
    {"TotalItens", kDouble, 0, TypeIs(7), yes},
    {"TotalTrans", kCurrency, 0, FormatIs("Currency"), yes},
    {"TotalTransUS", kCurrency, 0, FormatIs("Currency"), yes},
    {"NroNF", kLong, 0, TypeIs(4), yes},
    {"Serie", kText, 4, SizeIs("4"), yes},
    {"Obs", kMemo, 10, NoProperty, no},
    {"Concluido", kText, 1, SizeIs("1"), yes},
    {"CodFornecedor", kLong, 0, TypeIs(4), yes},
    {"Status", kText, 30, SizeIs("30"), yes},
    {"NroOrigem", kLong, 0, TypeIs(4), yes},
    {"TotalEfetivado", kDouble, 0, TypeIs(7), yes},
    {"ObsEntrada", kMemo, 10, NoProperty, no},
    {"Pedido", kText, 1, SizeIs("1"), yes},
    {"CFOP", kLong, 0, TypeIs(4), yes},
    {"CodTransportadora", kLong, 0, TypeIs(4), yes},
    {"PesoBruto", kText, 15, SizeIs("15"), yes},
    {"FretePorConta", kText, 1, SizeIs("1"), yes},
    {"Especie", kText, 15, SizeIs("15"), yes},
    {"Marca", kText, 15, SizeIs("15"), yes},
    {"TotalNF", kCurrency, 0, FormatIs("Currency"), yes},
    {"CodCliente", kLong, 0, TypeIs(4), yes},
    {"Maquina", kText, 15, SizeIs("15"), yes},
};

constexpr FieldRow kVenda[] = {
    {"Número Venda", kLong, 0, TypeIs(4), yes},
    {"Data Venda", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Código Cliente", kLong, 0, TypeIs(4), yes},
    {"Número NF", kLong, 0, TypeIs(4), yes},
    {"Série", kText, 4, SizeIs("4"), yes},
    {"Vendedor", kText, 2, SizeIs("2"), yes},
    {"Comissao Vendedor", kSingle, 0, TypeIs(6), yes},
    {"Data NF", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Percentual ICM", kSingle, 0, TypeIs(6), yes},
    {"Valor ICM", kCurrency, 0, FormatIs("Currency"), yes},
    {"Desconto NF", kSingle, 0, TypeIs(6), yes},
    {"Total Venda", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Venda Us", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Ítens", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Pago", kCurrency, 0, FormatIs("Currency"), yes},
    {"Total Pago Us", kCurrency, 0, FormatIs("Currency"), yes},
    {"Status", kText, 20, SizeIs("20"), yes},
    {"Observação", kMemo, 10, NoProperty, no},
    {"CodUsuario", kDouble, 0, TypeIs(7), yes},
    {"Concluido", kText, 1, SizeIs("1"), yes},
    {"Tipo Preço", kText, 1, SizeIs("1"), yes},
    {"TipoVenda", kText, 50, SizeIs("50"), yes},
    {"Hora", kDateTime, 0, FormatIs("Long Time"), yes},
    {"CodTransportadora", kLong, 0, TypeIs(4), yes},
    {"DiasPagto", kText, 50, SizeIs("50"), yes},
    {"Autorizado", kText, 30, SizeIs("30"), yes},
    {"TotalNF", kCurrency, 0, FormatIs("Currency"), yes},
    {"CFOP", kLong, 0, TypeIs(4), yes},
    {"MargemLucro", kDouble, 0, TypeIs(7), yes},
    {"Especie", kText, 15, SizeIs("15"), yes},
    {"FretePorConta", kText, 1, SizeIs("1"), yes},
    {"Marca", kText, 15, SizeIs("15"), yes},
    {"PesoBruto", kText, 15, SizeIs("15"), yes},
    {"QtdeVolumeNF", kLong, 0, TypeIs(4), yes},
    {"PercentualFN", kInteger, 0, TypeIs(3), yes},
    {"DataPedido", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraPedido", kDateTime, 0, FormatIs("Long Time"), yes},
    {"NroVendaVinculada", kLong, 0, TypeIs(4), yes},
    {"ObsVendaVinculada", kMemo, 10, NoProperty, no},
    {"Maquina", kText, 15, SizeIs("15"), yes},
    {"Usuario", kText, 10, SizeIs("10"), yes},
};

constexpr FieldRow kVendedor[] = {
    {"Código", kText, 2, SizeIs("2"), yes},
    {"Apelido", kText, 15, SizeIs("15"), yes},
    {"Nome", kText, 40, SizeIs("40"), yes},
    {"Endereço", kText, 40, SizeIs("40"), yes},
    {"Bairro", kText, 20, SizeIs("20"), yes},
    {"Cidade", kText, 20, SizeIs("20"), yes},
    {"Estado", kText, 2, SizeIs("2"), yes},
    {"CEP", kText, 9, SizeIs("9"), yes},
    {"Comissão", kSingle, 0, TypeIs(6), yes},
    {"Contato", kText, 20, SizeIs("20"), yes},
    {"CPF", kText, 11, SizeIs("11"), yes},
    {"RG", kText, 9, SizeIs("9"), yes},
    {"Telefone", kText, 20, SizeIs("20"), yes},
    {"DataCad", kDateTime, 0, FormatIs("Short Date"), yes},
    {"DataAlt", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Desativado", kText, 1, SizeIs("1"), yes},
};

constexpr FieldRow kDelItensVenda[] = {
    {"Custo", kCurrency, 0, FormatIs("Currency"), yes},
    {"PrecoTabela", kCurrency, 0, FormatIs("Currency"), yes},
    {"Hora", kDateTime, 0, FormatIs("Long Time"), yes},
    {"Quantidade", kDouble, 0, TypeIs(7), yes},
    {"NroNF", kLong, 0, TypeIs(4), yes},
    {"DataExclusao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraExclusao", kDateTime, 0, FormatIs("Long Time"), yes},
    {"Vendedor", kText, 2, SizeIs("2"), yes},
    {"DataVenda", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Maquina", kText, 15, SizeIsInteger(15), yes},
    {"Usuario", kText, 10, SizeIsInteger(10), yes},
};

constexpr FieldRow kGrupo[] = {
    {"SituacaoTributaria", kText, 2, SizeIs("2"), yes},
    {"Embalagem", kText, 15, SizeIs("15"), yes},
    {"DescricaoNF", kText, 45, SizeIs("45"), yes},
};

constexpr FieldRow kItensVenda[] = {
    {"Custo", kCurrency, 0, FormatIs("Currency"), yes},
    {"PrecoTabela", kCurrency, 0, FormatIs("Currency"), yes},
    {"Quantidade", kDouble, 0, TypeIs(7), yes},
    {"NroNF", kLong, 0, TypeIs(4), yes},
};

constexpr FieldRow kItensTransSai[] = {
    {"IPI", kDouble, 0, TypeIs(7), yes},
    {"ICMS", kDouble, 0, TypeIs(7), yes},
    {"Unidade", kText, 2, SizeIs("2"), yes},
    {"Quantidade", kDouble, 0, TypeIs(7), yes},
    {"EstoqueMinimo", kDouble, 0, TypeIs(7), yes},
    {"SituacaoTributaria", kText, 2, SizeIs("2"), yes},
    {"QtdeVolume", kLong, 0, TypeIs(4), yes},
    {"QtdePorVolume", kDouble, 0, TypeIs(7), yes},
    {"NroNF", kLong, 0, TypeIs(4), yes},
    {"SubCusto", kCurrency, 0, FormatIs("Currency"), yes},
    {"CodigoEAN", kText, 20, SizeIs("20"), yes},
    {"UltimoCusto", kCurrency, 0, FormatIs("Currency"), yes},
};

constexpr FieldRow kItensEntradaProduto[] = {
    {"Unidade", kText, 2, SizeIs("2"), yes},
    {"Quantidade", kDouble, 0, TypeIs(7), yes},
    {"PontoRessuprimento", kDouble, 0, TypeIs(7), yes},
    {"EstoqueMaximo", kDouble, 0, TypeIs(7), yes},
    {"LocalEstoque", kText, 6, SizeIs("6"), yes},
    {"QtdeVolume", kLong, 0, TypeIs(4), yes},
    {"QtdePorVolume", kDouble, 0, TypeIs(7), yes},
    {"CodigoEAN", kText, 20, SizeIs("20"), yes},
    {"FazerEtiqueta", kText, 1, SizeIs("1"), yes},
};

constexpr FieldRow kItensTransEnt[] = {
    {"IPI", kDouble, 0, TypeIs(7), yes},
    {"ICMS", kDouble, 0, TypeIs(7), yes},
    {"Unidade", kText, 2, SizeIs("2"), yes},
    {"Quantidade", kDouble, 0, TypeIs(7), yes},
    {"EstoqueMinimo", kDouble, 0, TypeIs(7), yes},
    {"QuantidadeRecebida", kDouble, 0, TypeIs(7), yes},
    {"DataRecepcao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraRecepcao", kDateTime, 0, FormatIs("Long Time"), yes},
    {"SituacaoTributaria", kText, 2, SizeIs("2"), yes},
    {"QtdeVolume", kLong, 0, TypeIs(4), yes},
    {"QtdePorVolume", kDouble, 0, TypeIs(7), yes},
    {"NroNF", kLong, 0, TypeIs(4), yes},
    {"SubCusto", kCurrency, 0, FormatIs("Currency"), yes},
    {"CodigoEAN", kText, 20, SizeIs("20"), yes},
    {"UltimoCusto", kCurrency, 0, FormatIs("Currency"), yes},
};

constexpr FieldRow kTMPCONSIGNACAO[] = {
    {"Qtdade Vendido", kDouble, 0, TypeIs(7), yes},
    {"Qtdade Pedido", kDouble, 0, TypeIs(7), yes},
    {"Qtdade Recebido", kDouble, 0, TypeIs(7), yes},
};

constexpr FieldRow kPRODUTOCONS[] = {
    {"CodLoja", kText, 2, SizeIs("2"), yes},
    {"Familia", kInteger, 0, TypeIs(3), yes},
    {"Grupo", kLong, 0, TypeIs(4), yes},
    {"Tamanho", kText, 3, SizeIs("3"), yes},
    {"Cor", kText, 2, SizeIs("2"), yes},
    {"CodAlternativo", kText, 20, SizeIs("20"), yes},
    {"Saldo", kDouble, 0, TypeIs(7), yes},
    {"SaldoCNF", kDouble, 0, TypeIs(7), yes},
    {"SaldoSNF", kDouble, 0, TypeIs(7), yes},
    {"QuantidadeComprada", kDouble, 0, TypeIs(7), yes},
    {"QuantidadeVendida", kDouble, 0, TypeIs(7), yes},
    {"QuantidadeEtiquetaCNF", kLong, 0, TypeIs(4), yes},
    {"QuantidadeEtiquetaSNF", kLong, 0, TypeIs(4), yes},
    {"TotalComprado", kCurrency, 0, FormatIs("Currency"), yes},
    {"TotalCompradoUS", kCurrency, 0, FormatIs("Currency"), yes},
    {"TotalVendido", kCurrency, 0, FormatIs("Currency"), yes},
    {"TotalVendidoUS", kCurrency, 0, FormatIs("Currency"), yes},
    {"CustoMédio", kCurrency, 0, FormatIs("Currency"), yes},
    {"CustoMédioUS", kCurrency, 0, FormatIs("Currency"), yes},
    {"CustoMercadoria", kCurrency, 0, FormatIs("Currency"), yes},
    {"UltimaCompra", kDateTime, 0, FormatIs("Short Date"), yes},
    {"UltimaVenda", kDateTime, 0, FormatIs("Short Date"), yes},
    {"PontoRessuprimento", kDouble, 0, TypeIs(7), yes},
    {"Preço0", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço1", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço2", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço3", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço4", kCurrency, 0, FormatIs("Currency"), yes},
    {"NúmeroEntrada", kLong, 0, TypeIs(4), yes},
    {"CódigoFornecedor", kLong, 0, TypeIs(4), yes},
    {"ProdutoFornecedor", kText, 15, SizeIs("15"), yes},
    {"TransferênciaEntrada", kDouble, 0, TypeIs(7), yes},
    {"TransferênciaSaida", kDouble, 0, TypeIs(7), yes},
    {"UltTransSaída", kDateTime, 0, FormatIs("Short Date"), yes},
    {"UltTransEntrada", kDateTime, 0, FormatIs("Short Date"), yes},
    {"UltimoPreço", kDateTime, 0, FormatIs("Short Date"), yes},
    {"SaldoContado", kDouble, 0, TypeIs(7), yes},
    {"SaldoSalvado", kDouble, 0, TypeIs(7), yes},
    {"Promoção", kText, 1, SizeIs("1"), yes},
    {"IPI", kDouble, 0, TypeIs(7), yes},
    {"Particularidade", kInteger, 0, TypeIs(3), yes},
    {"Unidade", kText, 2, SizeIs("2"), yes},
    {"ICMS", kDouble, 0, TypeIs(7), yes},
    {"SaldoBalanco", kDouble, 0, TypeIs(7), yes},
    {"EstoqueMaximo", kDouble, 0, TypeIs(7), yes},
    {"ForaLinha", kText, 1, SizeIs("1"), yes},
    {"LocalEstoque", kText, 6, SizeIs("6"), yes},
    {"SubCusto", kCurrency, 0, FormatIs("Currency"), yes},
    {"CodigoEAN", kText, 20, SizeIs("20"), yes},
    {"UltimoCusto", kCurrency, 0, FormatIs("Currency"), yes},
};

constexpr FieldRow kCONSOLIDA[] = {
    {"Data Venda", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Loja", kText, 2, SizeIs("2"), yes},
    {"Familia", kInteger, 0, TypeIs(3), yes},
    {"Grupo", kLong, 0, TypeIs(4), yes},
    {"Tamanho", kText, 3, SizeIs("3"), yes},
    {"Cor", kText, 2, SizeIs("2"), yes},
    {"VendidoGeral", kDouble, 0, TypeIs(7), yes},
    {"Vendido", kDouble, 0, TypeIs(7), yes},
    {"EnviaRecebe", kDouble, 0, TypeIs(7), yes},
    {"SaldoManda", kDouble, 0, TypeIs(7), yes},
    {"LojaDestino", kText, 2, SizeIs("2"), yes},
    {"DiasEncalhado", kLong, 0, TypeIs(4), yes},
};

constexpr FieldRow kTransportadora[] = {
    {"Codigo", kLong, 0, TypeIs(4), yes},
    {"Transportadora", kText, 50, SizeIs("50"), yes},
    {"Endereco", kText, 60, SizeIs("60"), yes},
    {"Bairro", kText, 30, SizeIs("30"), yes},
    {"Cidade", kText, 30, SizeIs("30"), yes},
    {"UF", kText, 2, SizeIs("2"), yes},
    {"CEP", kText, 9, SizeIs("9"), yes},
    {"Contato", kText, 20, SizeIs("20"), yes},
    {"CPF", kText, 15, SizeIs("15"), yes},
    {"RG", kText, 12, SizeIs("12"), yes},
    {"CGC", kText, 18, SizeIs("18"), yes},
    {"InscEstadual", kText, 16, SizeIs("16"), yes},
    {"Telefone", kText, 30, SizeIs("30"), yes},
    {"Fax", kText, 15, SizeIs("15"), yes},
    {"Inclusao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Alteracao", kDateTime, 0, FormatIs("Short Date"), yes},
};

constexpr FieldRow kTMPHISTORICO[] = {
    {"Familia", kInteger, 0, TypeIs(3), yes},
    {"Grupo", kLong, 0, TypeIs(4), yes},
    {"Tamanho", kText, 3, SizeIs("3"), yes},
    {"Cor", kText, 2, SizeIs("2"), yes},
    {"Data", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Documento", kLong, 0, TypeIs(4), yes},
    {"Quantidade", kDouble, 0, TypeIs(7), yes},
    {"Tipo", kText, 20, SizeIs("20"), yes},
};

constexpr FieldRow kHistoricoProdutoTail[] = {
    {"DataContagem", kDateTime, 0, FormatIs("General Date"), yes},
    {"DataHistorico", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraHistorico", kDateTime, 0, FormatIs("Long Time"), yes},
};

constexpr FieldRow kNotaFiscal[] = {
    {"NroTransSai", kLong, 0, TypeIs(4), yes},
    {"NroNF", kLong, 0, TypeIs(4), yes},
    {"BaseCalculo", kCurrency, 0, FormatIs("Currency"), yes},
    {"ICMS", kCurrency, 0, FormatIs("Currency"), yes},
    {"ValorNF", kCurrency, 0, FormatIs("Currency"), yes},
    {"NroVenda", kLong, 0, TypeIs(4), yes},
};

constexpr FieldRow kDelTransSaiNroTransNovo[] = {
    {"NroTransNovo", kLong, 0, TypeIs(4), yes},
};

constexpr FieldRow kDelItensTransSai[] = {
    {"NroTrans", kLong, 0, TypeIs(4), yes},
    {"Sequencia", kLong, 0, TypeIs(4), yes},
    {"Familia", kInteger, 0, TypeIs(3), yes},
    {"Grupo", kLong, 0, TypeIs(4), yes},
    {"Tamanho", kText, 3, SizeIs("3"), yes},
    {"Cor", kText, 2, SizeIs("2"), yes},
    {"CodAlternativo", kText, 20, SizeIs("20"), yes},
    {"Quantidade", kDouble, 0, TypeIs(7), yes},
    {"Preco0", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preco1", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preco2", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preco3", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preco4", kCurrency, 0, FormatIs("Currency"), yes},
    {"CustoMd", kCurrency, 0, FormatIs("Currency"), yes},
    {"CustoMdUS", kCurrency, 0, FormatIs("Currency"), yes},
    {"CodigoFornecedor", kLong, 0, TypeIs(4), yes},
    {"ProdutoFornecedor", kText, 15, SizeIs("15"), yes},
    {"EstoqueMinimo", kDouble, 0, TypeIs(7), yes},
    {"IPI", kDouble, 0, TypeIs(7), yes},
    {"ICMS", kDouble, 0, TypeIs(7), yes},
    {"Unidade", kText, 2, SizeIs("2"), yes},
    {"SituacaoTributaria", kText, 2, SizeIs("2"), yes},
    {"QtdeVolume", kLong, 0, TypeIs(4), yes},
    {"QtdePorVolume", kDouble, 0, TypeIs(7), yes},
    {"NroNF", kLong, 0, TypeIs(4), yes},
    {"SubCusto", kCurrency, 0, FormatIs("Currency"), yes},
    {"CodigoEAN", kText, 20, SizeIs("20"), yes},
    {"UltimoCusto", kCurrency, 0, FormatIs("Currency"), yes},
};

constexpr FieldRow kFundoCaixaSaldo[] = {
    {"Data", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Saldo", kCurrency, 0, FormatIs("Currency"), yes},
};

constexpr FieldRow kFundoCaixa[] = {
    {"CodFundoCaixa", kLong, 0, TypeIs(4), yes},
    {"Emissao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"CodPlanoConta", kInteger, 0, TypeIs(3), yes},
    {"Valor", kCurrency, 0, FormatIs("Currency"), yes},
    {"Observacao", kText, 50, SizeIs("50"), yes},
    {"Tipo", kText, 1, SizeIs("1"), yes},
    {"Inclusao", kDateTime, 0, FormatIs("General Date"), yes},
    {"Alteracao", kDateTime, 0, FormatIs("General Date"), yes},
    {"Usuario", kText, 40, SizeIs("40"), yes},
};

constexpr FieldRow kProdutoGeral[] = {
    {"CodLoja", kText, 2, SizeIs("2"), yes},
    {"Familia", kInteger, 0, TypeIs(3), yes},
    {"Grupo", kLong, 0, TypeIs(4), yes},
    {"Tamanho", kText, 3, SizeIs("3"), yes},
    {"Cor", kText, 2, SizeIs("2"), yes},
    {"CodAlternativo", kText, 20, SizeIs("20"), yes},
    {"Saldo", kDouble, 0, TypeIs(7), yes},
    {"QuantidadeComprada", kDouble, 0, TypeIs(7), yes},
    {"QuantidadeVendida", kDouble, 0, TypeIs(7), yes},
    {"UltimaVenda", kDateTime, 0, FormatIs("Short Date"), yes},
    {"Preço0", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço1", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço2", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço3", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço4", kCurrency, 0, FormatIs("Currency"), yes},
    {"TransferênciaEntrada", kDouble, 0, TypeIs(7), yes},
    {"UltTransSaída", kDateTime, 0, FormatIs("Short Date"), yes},
    {"UltTransEntrada", kDateTime, 0, FormatIs("Short Date"), yes},
    {"TransferênciaSaída", kDouble, 0, TypeIs(7), yes},
    {"CodigoEAN", kText, 20, SizeIs("20"), yes},
};

constexpr FieldRow kItensTransEntBaixa[] = {
    {"NroTrans", kLong, 0, TypeIs(4), yes},
    {"Sequencia", kDouble, 0, TypeIs(7), yes},
    {"SeqBaixa", kInteger, 0, TypeIs(3), yes},
    {"Qtde", kInteger, 0, TypeIs(3), yes},
    {"DtBaixa", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HrBaixa", kDateTime, 0, FormatIs("Long Time"), yes},
    {"Maquina", kText, 15, SizeIsInteger(15), yes},
    {"Usuario", kText, 10, SizeIsInteger(10), yes},
};

// ---- Transfer.MDB: its own tables and the one entry its UltimaVenda changes ------------------

constexpr FieldRow kPrecos[] = {
    {"CodAlternativo", kText, 20, SizeIs("20"), yes},
    {"Preço0", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço1", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço2", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço3", kCurrency, 0, FormatIs("Currency"), yes},
    {"Preço4", kCurrency, 0, FormatIs("Currency"), yes},
};

constexpr FieldRow kProtocolo[] = {
    {"NroTransOrigem", kLong, 0, TypeIs(4), yes},
    {"NroTransDestino", kLong, 0, TypeIs(4), yes},
    {"LojaOrigem", kText, 2, SizeIs("2"), yes},
    {"LojaDestino", kText, 2, SizeIs("2"), yes},
    {"QtdeEnviada", kDouble, 0, TypeIs(7), yes},
    {"QtdeRecebida", kDouble, 0, TypeIs(7), yes},
    {"Status", kText, 30, SizeIs("30"), yes},
    {"DataRecepcao", kDateTime, 0, FormatIs("Short Date"), yes},
    {"HoraRecepcao", kDateTime, 0, FormatIs("Long Time"), yes},
    {"Obs", kMemo, 10, NoProperty, no},
};

constexpr FieldRow kTransferImpressoraCheque[] = {
    {"ImpressoraCheque", kText, 1, SizeIs("1"), yes},
};

// ---- The tables of each database, in the order its driver runs their builders ---------------

constexpr Rows kUltimaVendaRows{kUltimaVenda};
constexpr Rows kVendaRows{kVenda};
constexpr Rows kPagtoVendaRows{kPagtoVenda};
constexpr Rows kItensTransEntRows{kItensTransEnt};

constexpr TableSpec kProdutoList[] = {
    {1, "UltimaVenda", "P1UltimaVenda", 71, {kUltimaVenda}},
    {2, "Produto", "P2Produto", 21, {kProduto}},
    {3, "Itens Compra", "P3ItensCompra", 5, {kItensCompra}},
    {4, "Aliquota", "P4Aliquota", 2, {kAliquota}},
    {5, "Banco", "P5Banco", 2, {kBanco}},
    {6, "Cartao", "P6Cartao", 13, {kCartao}},
    {7, "Cliente", "P7Cliente", 37, {kCliente}},
    {8, "Conta", "P8Conta", 2, {kConta}},
    {9, "Cor", "P9Cor", 2, {kCor}},
    {10, "Corrente", "P10Corrente", 5, {kCorrente}},
    {11, "CREDEB", "P11CREDEB", 19, {kCREDEB}},
    {12, "Credito", "P12Credito", 30, {kCredito}},
    {13, "Debito", "P13Debito", 21, {kDebito}},
    // Pagto Venda with Hora, DataExclusao, HoraExclusao and Vendedor added.
    {14, "DelPagtoVenda", "P14DelPagtoVenda", 30,
     {Prefix(kPagtoVendaRows, 23), kDelPagtoVendaHora, Slice(kPagtoVendaRows, 23, 1),
      kDelPagtoVendaExclusao, Slice(kPagtoVendaRows, 24, 2)}},
    // Venda with DataExclusao and HoraExclusao after MargemLucro, and a shorter Maquina.
    {15, "DelVenda", "P15DelVenda", 43,
     {Prefix(kVendaRows, 29), kDelVendaExclusao, Slice(kVendaRows, 29, 10), kDelVendaMaquina,
      Slice(kVendaRows, 40, 1)}},
    {16, "Entrada", "P16Entrada", 23, {kEntrada}},
    {17, "Familia", "P17Familia", 2, {kFamilia}},
    {18, "Fechamento", "P18Fechamento", 13, {kFechamento}},
    {19, "Fornecedor", "P19Fornecedor", 19, {kFornecedor}},
    {20, "Loja", "P20Loja", 10, {kLoja}},
    {21, "Lucro", "P21Lucro", 81, {kLucro}},
    {22, "Modalidade", "P22Modalidade", 2, {kModalidade}},
    {23, "Moeda", "P23Moeda", 2, {kMoeda}},
    {24, "Motivo", "P24Motivo", 2, {kMotivo}},
    {25, "Operação", "P25Operacao", 4, {kOperacao}},
    {26, "Pagto Venda", "P26PagtoVenda", 26, {kPagtoVenda}},
    {27, "Provisao", "P27Provisao", 6, {kProvisao}},
    {28, "Reajuste", "P28Reajuste", 14, {kReajuste}},
    {29, "Status", "P29Status", 2, {kStatus}},
    {30, "Tipo Pagamento", "P30TipoPagamento", 6, {kTipoPagamento}},
    {31, "TransEnt", "P31TransEnt", 28, {kTransEntHead, kTransEntTail}},
    {32, "TransSai", "P32TransSai", 39, {kTransSaiHead, kTransEntTail}},
    {33, "Venda", "P33Venda", 41, {kVenda}},
    {34, "Vendedor", "P34Vendedor", 16, {kVendedor}},
    {35, "DelItensVenda", "P35DelItensVenda", 11, {kDelItensVenda}},
    {36, "Grupo", "P36Grupo", 3, {kGrupo}},
    {37, "Itens Venda", "P37ItensVenda", 4, {kItensVenda}},
    {38, "Itens TransSai", "P38ItensTransSai", 12, {kItensTransSai}},
    {39, "Itens Entrada Produto", "P39ItensEntradaProduto", 9, {kItensEntradaProduto}},
    {40, "Itens TransEnt", "P40ItensTransEnt", 15, {kItensTransEnt}},
    {41, "TMPCONSIGNAÇÃO", "P41TMPCONSIGNACAO", 3, {kTMPCONSIGNACAO}},
    {42, "PRODUTOCONS", "P42PRODUTOCONS", 50, {kPRODUTOCONS}},
    {43, "CONSOLIDA", "P43CONSOLIDA", 12, {kCONSOLIDA}},
    {44, "Transportadora", "P44Transportadora", 16, {kTransportadora}},
    {45, "TMPHISTORICO", "P45TMPHISTORICO", 8, {kTMPHISTORICO}},
    {46, "HistoricoProduto", "P46HistoricoProduto", 11, {kTMPHISTORICO, kHistoricoProdutoTail}},
    // The one builder that traps its own errors and reports them under these labels.
    {47, "NotaFiscal", "P47NotaFiscal", 6, {kNotaFiscal}, "AtualizaBD"},
    {48, "DelTransSai", "P48DelTransSai", 40, {kDelTransSaiNroTransNovo, kTransSaiHead, kTransEntTail}},
    {49, "DelItensTransSai", "P49DelItensTransSai", 28, {kDelItensTransSai}},
    {50, "FundoCaixaSaldo", "P50FundoCaixaSaldo", 2, {kFundoCaixaSaldo}},
    {51, "FundoCaixa", "P51FundoCaixa", 9, {kFundoCaixa}},
    {52, "ProdutoGeral", "P52ProdutoGeral", 20, {kProdutoGeral}},
    {53, "PRODUTOCONSCompleto", "P53PRODUTOCONSCompleto", 50, {kPRODUTOCONS}},
    {54, "CONSOLIDACompleto", "P54CONSOLIDACompleto", 12, {kCONSOLIDA}},
    {55, "ItensTransEntBaixa", "P55ItensTransEntBaixa", 8, {kItensTransEntBaixa}},
};

constexpr TableSpec kAntigoList[] = {
    {1, "Venda", "A1Venda", 41, {kVenda}},
    {2, "Itens Venda", "A2ItensVenda", 4, {kItensVenda}},
    {3, "Pagto Venda", "A3PagtoVenda", 26, {kPagtoVenda}},
    {4, "TransEnt", "A4TransEnt", 22, {kTransEntHead}},
    // Produto's Itens TransEnt with fields 5 and 6 in the other order.
    {5, "Itens TransEnt", "A5ItensTransEnt", 15,
     {Prefix(kItensTransEntRows, 4), Slice(kItensTransEntRows, 5, 1),
      Slice(kItensTransEntRows, 4, 1), Slice(kItensTransEntRows, 6, 9)}},
    {6, "Produto", "A6Produto", 21, {kProduto}},
};

constexpr TableSpec kBackupList[] = {
    {1, "Status", "B1Status", 2, {kStatus}},
};

constexpr TableSpec kModemList[] = {
    {1, "FamiliaModem", "M1FamiliaModem", 2, {kFamilia}},
    {2, "GrupoModem", "M2GrupoModem", 3, {kGrupo}},
    {3, "CorModem", "M3CorModem", 2, {kCor}},
    {4, "ProdutoModem", "M4ProdutoModem", 21, {kProduto}},
    {5, "VendaModem", "M5VendaModem", 37, {Prefix(kVendaRows, 37)}},
    {6, "Itens VendaModem", "M6ItensVendaModem", 4, {kItensVenda}},
    {7, "Pagto VendaModem", "M7PagtoVendaModem", 24, {Prefix(kPagtoVendaRows, 24)}},
    {8, "VendedorModem", "M8VendedorModem", 15, {Prefix(Rows{kVendedor}, 15)}},
};

constexpr TableSpec kTransferList[] = {
    {1, "Cartao", "T1Cartao", 13, {kCartao}},
    {2, "Conta", "T2Conta", 2, {kConta}},
    {3, "Cor", "T3Cor", 2, {kCor}},
    {4, "Corrente", "T4Corrente", 5, {kCorrente}},
    {5, "Familia", "T5Familia", 2, {kFamilia}},
    {6, "Fornecedor", "T6Fornecedor", 19, {kFornecedor}},
    {7, "Grupo", "T7Grupo", 3, {kGrupo}},
    {8, "Itens TransEnt", "T8ItensTransEnt", 15, {kItensTransEnt}},
    {9, "Modalidade", "T9Modalidade", 2, {kModalidade}},
    {10, "Preços", "T10Precos", 6, {kPrecos}},
    {11, "Protocolo", "T11Protocolo", 10, {kProtocolo}},
    {12, "TransEnt", "T12TransEnt", 22, {kTransEntHead}},
    {13, "Loja", "T13Loja", 10, {kLoja}},
    {14, "UltimaVenda", "T14UltimaVenda", 71,
     {Prefix(kUltimaVendaRows, 44), kTransferImpressoraCheque, Slice(kUltimaVendaRows, 45, 26)}},
};

// Compile-time checks of the invariants the upgrade relies on: tables numbered 1..n in order,
// every stated count equal to its rows, sizes only on Text and Memo fields, and a Text field's
// "Size" naming its own length.
constexpr bool SameText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

constexpr bool RowIsConsistent(const FieldRow& row) {
    const bool sized = row.type == kText || row.type == kMemo;
    if (!sized && row.size != 0) return false;
    if (row.type == kText && row.property.kind == PropertyKind::SizeInteger) {
        return row.property.number == row.size;
    }
    if (row.type == kText && row.property.kind == PropertyKind::SizeText) {
        char digits[8]{};
        int length = 0;
        for (int n = row.size; n > 0; n /= 10) ++length;
        for (int i = length - 1, n = row.size; i >= 0; --i, n /= 10) digits[i] = char('0' + n % 10);
        return SameText(digits, row.property.text);
    }
    if (row.property.kind == PropertyKind::Type) return row.property.number == row.type;
    return true;
}

constexpr bool ListIsConsistent(std::span<const TableSpec> tables) {
    int expectedT = 1;
    for (const TableSpec& table : tables) {
        if (table.t != expectedT++) return false;
        std::size_t count = 0;
        for (const Part& part : table.parts) {
            for (const FieldRow& row : part.rows()) {
                if (!RowIsConsistent(row)) return false;
            }
            count += part.rows().size();
        }
        if (count != static_cast<std::size_t>(table.qtdeCampos)) return false;
    }
    return true;
}

static_assert(std::size(kProdutoList) == 55 && ListIsConsistent(kProdutoList));
static_assert(std::size(kAntigoList) == 6 && ListIsConsistent(kAntigoList));
static_assert(std::size(kBackupList) == 1 && ListIsConsistent(kBackupList));
static_assert(std::size(kModemList) == 8 && ListIsConsistent(kModemList));
static_assert(std::size(kTransferList) == 14 && ListIsConsistent(kTransferList));

}  // namespace

std::span<const TableSpec> ProdutoTables() { return kProdutoList; }
std::span<const TableSpec> AntigoTables() { return kAntigoList; }
std::span<const TableSpec> BackupTables() { return kBackupList; }
std::span<const TableSpec> ModemTables() { return kModemList; }
std::span<const TableSpec> TransferTables() { return kTransferList; }

}  // namespace schema::rows
