// The start-up defaults: every "UPDATE T SET T.F = V WHERE T.F Is Null" statement of the store
// upgrade, built from its (table, field, value) rows as the program builds it, run in order on a
// store whose fields are all Null.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/dao/sql/tests/sql_fixture.h"

namespace dao::sql::testing {
namespace {

struct DefaultRow {
    const char* table;
    const char* field;
    const char* value;
};

const DefaultRow kDefaults[] = {
    {"Produto", "IPI", "0"}, {"Produto", "ICMS", "0"}, {"Produto", "SaldoBalanco", "0"},
    {"Produto", "Saldo", "0"}, {"Produto", "SaldoCNF", "0"}, {"Produto", "SaldoSNF", "0"},
    {"Produto", "QuantidadeComprada", "0"}, {"Produto", "QuantidadeVendida", "0"},
    {"Produto", "PontoRessuprimento", "0"}, {"Produto", "TransferênciaEntrada", "0"},
    {"Produto", "TransferênciaSaida", "0"}, {"Produto", "SaldoContado", "0"},
    {"Produto", "SaldoSalvado", "0"}, {"Produto", "EstoqueMaximo", "0"}, {"Produto", "ForaLinha", "'N'"},
    {"Produto", "LocalEstoque", "' '"}, {"Produto", "Unidade", "' '"}, {"Produto", "SubCusto", "0"},
    {"Produto", "UltimoCusto", "0"}, {"Produto", "ProdutoFornecedor", "' '"},
    {"TransSai", "TotalItens", "0"}, {"TransSai", "ObsEntrada", "' '"}, {"TransSai", "Pedido", "'N'"},
    {"TransSai", "CFOP", "0"}, {"TransSai", "CodTransportadora", "0"}, {"TransSai", "PesoBruto", "' '"},
    {"TransSai", "FretePorConta", "' '"}, {"TransSai", "Especie", "' '"}, {"TransSai", "Marca", "' '"},
    {"TransSai", "TotalNF", "0"}, {"TransSai", "CodCliente", "0"}, {"TransSai", "Maquina", "' '"},
    {"Itens TransSai", "IPI", "0"}, {"Itens TransSai", "ICMS", "0"},
    {"Itens TransSai", "Quantidade", "0"}, {"Itens TransSai", "EstoqueMinimo", "0"},
    {"Itens TransSai", "SituacaoTributaria", "' '"}, {"Itens TransSai", "QtdeVolume", "1"},
    {"Itens TransSai", "QtdePorVolume", "[Itens TransSai].[Quantidade]"},
    {"Itens TransSai", "NroNF", "0"}, {"Itens TransSai", "SubCusto", "[Itens TransSai].CustoMD"},
    {"Itens TransSai", "UltimoCusto", "0"}, {"TransEnt", "TotalItens", "0"},
    {"TransEnt", "TotalEfetivado", "0"}, {"TransEnt", "ObsSaida", "' '"}, {"TransEnt", "Pedido", "'N'"},
    {"Itens TransEnt", "IPI", "0"}, {"Itens TransEnt", "ICMS", "0"},
    {"Itens TransEnt", "Quantidade", "0"}, {"Itens TransEnt", "EstoqueMinimo", "0"},
    {"Itens TransEnt", "QuantidadeRecebida", "0"}, {"Itens TransEnt", "SituacaoTributaria", "' '"},
    {"Itens TransEnt", "QtdeVolume", "1"},
    {"Itens TransEnt", "QtdePorVolume", "[Itens TransEnt].Quantidade"}, {"Itens TransEnt", "NroNF", "0"},
    {"Itens TransEnt", "SubCusto", "[Itens TransEnt].CustoMd"}, {"Itens TransEnt", "UltimoCusto", "0"},
    {"Venda", "Especie", "' '"}, {"Venda", "FretePorConta", "' '"}, {"Venda", "Marca", "' '"},
    {"Venda", "PesoBruto", "' '"}, {"Venda", "QtdeVolumeNF", "0"}, {"Venda", "PercentualFN", "100"},
    {"Venda", "TotalNF", "0"}, {"Venda", "CFOP", "0"}, {"Venda", "DataPedido", "[Venda].[Data Venda]"},
    {"Venda", "HoraPedido", "[Venda].[Hora]"}, {"Venda", "NroVendaVinculada", "Venda.[Número Venda]"},
    {"Venda", "ObsVendaVinculada", "' '"}, {"Venda", "Maquina", "' '"}, {"Venda", "Usuario", "' '"},
    {"Itens Venda", "Quantidade", "0"}, {"Pagto Venda", "TaxaCartao", "0"},
    {"DelVenda", "Especie", "' '"}, {"DelVenda", "FretePorConta", "' '"}, {"DelVenda", "Marca", "' '"},
    {"DelVenda", "PesoBruto", "' '"}, {"DelVenda", "QtdeVolumeNF", "0"},
    {"DelVenda", "PercentualFN", "100"}, {"DelVenda", "TotalNF", "0"}, {"DelVenda", "CFOP", "0"},
    {"DelVenda", "DataPedido", "[DelVenda].[Data Venda]"},
    {"DelVenda", "HoraPedido", "[DelVenda].[Hora]"},
    {"DelVenda", "NroVendaVinculada", "DelVenda.[Número Venda]"},
    {"DelVenda", "ObsVendaVinculada", "' '"}, {"DelVenda", "Maquina", "' '"},
    {"DelVenda", "Usuario", "' '"}, {"DelItensVenda", "Quantidade", "0"},
    {"DelItensVenda", "NroNF", "0"}, {"DelItensVenda", "DataExclusao", "Now()"},
    {"DelItensVenda", "HoraExclusao", "Time()"}, {"DelItensVenda", "Vendedor", "' '"},
    {"DelItensVenda", "DataVenda", "Now()"}, {"DelItensVenda", "Maquina", "' '"},
    {"DelItensVenda", "Usuario", "' '"}, {"DelPagtoVenda", "TaxaCartao", "0"},
    {"DelPagtoVenda", "DataExclusao", "Now()"}, {"DelPagtoVenda", "HoraExclusao", "Time()"},
    {"DelPagtoVenda", "Vendedor", "' '"}, {"Entrada", "Hora", "CDate('08:00:00 AM')"},
    {"Entrada", "TotalIPI", "0"}, {"Itens Compra", "%IPI", "0"}, {"Itens Compra", "%ICMS", "0"},
    {"Itens Compra", "Quantidade", "0"}, {"Itens Compra", "SubCusto", "0"},
    {"Itens Compra", "UltimoCusto", "0"}, {"Itens Entrada Produto", "Quantidade", "0"},
    {"Itens Entrada Produto", "PontoRessuprimento", "0"},
    {"Itens Entrada Produto", "EstoqueMaximo", "0"}, {"Itens Entrada Produto", "LocalEstoque", "' '"},
    {"Itens Entrada Produto", "QtdeVolume", "1"},
    {"Itens Entrada Produto", "QtdePorVolume", "[Itens Entrada Produto].Quantidade"},
    {"Itens Entrada Produto", "FazerEtiqueta", "'N'"}, {"Cliente", "Fantasia", "' '"},
    {"Cliente", "CodigoOrigem", "Cliente.Código"}, {"Cliente", "DataCad", "'01/01/2000'"},
    {"Cliente", "DataAlt", "Cliente.DataCad"}, {"Cliente", "Email", "' '"},
    {"UltimaVenda", "VerValorAVista", "'N'"}, {"UltimaVenda", "PedidoTrans", "'N'"},
    {"UltimaVenda", "AtualizaPreco", "'S'"}, {"UltimaVenda", "CalcCustoMedio", "'S'"},
    {"UltimaVenda", "Volume", "'N'"}, {"UltimaVenda", "ObsTerminal1", "' '"},
    {"UltimaVenda", "ObsTerminal2", "' '"}, {"UltimaVenda", "ObsTerminal3", "' '"},
    {"UltimaVenda", "ObsTerminal4", "' '"}, {"UltimaVenda", "ObsTerminal5", "' '"},
    {"UltimaVenda", "ModeloPedidoTrans", "0"}, {"UltimaVenda", "FecharTudo", "'S'"},
    {"UltimaVenda", "CupomTimeOut", "1000"}, {"UltimaVenda", "CupomDeviceType", "0"},
    {"UltimaVenda", "ExibeNF", "'N'"}, {"UltimaVenda", "ImpressoraCheque", "0"},
    {"UltimaVenda", "Gaveta", "'N'"}, {"UltimaVenda", "ValorMaximoDesconto", "0"},
    {"UltimaVenda", "UsaPedidoVenda", "'N'"}, {"UltimaVenda", "VersaoProvenienteLoja", "' '"},
    {"UltimaVenda", "ModeloPedidoVenda", "0"}, {"UltimaVenda", "CalcularVencimento", "'N'"},
    {"UltimaVenda", "GrupoSequencial", "'N'"}, {"UltimaVenda", "GavetaPortaCom", "0"},
    {"UltimaVenda", "GavetaPulso", "0"}, {"UltimaVenda", "GavetaMin", "0"},
    {"UltimaVenda", "VincularVenda", "'N'"}, {"UltimaVenda", "ModeloPedidoEntrada", "0"},
    {"UltimaVenda", "Cupom", "'0'"}, {"UltimaVenda", "DiretorioAllCheck", "' '"},
    {"UltimaVenda", "PontoAllCheck", "'0'"}, {"UltimaVenda", "EstoqueNegativo", "'S'"},
    {"UltimaVenda", "GerarArquivoVenda", "'S'"}, {"UltimaVenda", "ObsCupom1", "' '"},
    {"UltimaVenda", "ObsCupom2", "' '"}, {"UltimaVenda", "ObsCupom3", "' '"},
    {"UltimaVenda", "ObsCupom4", "' '"}, {"UltimaVenda", "ObsCupom5", "' '"},
    {"UltimaVenda", "ObsCupom6", "' '"}, {"UltimaVenda", "ObsCupom7", "' '"},
    {"UltimaVenda", "ObsCupom8", "' '"}, {"Grupo", "SituacaoTributaria", "' '"},
    {"Grupo", "Embalagem", "' '"}, {"Lucro", "Terminal0", "'S'"}, {"Lucro", "Terminal1", "'S'"},
    {"Lucro", "Terminal2", "'S'"}, {"Lucro", "Terminal3", "'S'"}, {"Lucro", "Terminal4", "'S'"},
    {"NotaFiscal", "NroVenda", "0"}, {"Loja", "CoefEstoqueMinimo", "0"}, {"Credito", "TaxaCartao", "0"},
};

// A name with a blank or a "%" is written in brackets.
std::string Name(const std::string& name) {
    return name.find_first_of(" %") == std::string::npos ? name : "[" + name + "]";
}

// The field's type, as the value that fills it tells: dates and times, whole numbers, texts, numbers.
std::string DeclaredFor(const std::string& value) {
    if (value.find("Now()") != std::string::npos || value.find("Time()") != std::string::npos ||
        value.find("CDate") != std::string::npos || value.find("/") != std::string::npos ||
        value.find("Data") != std::string::npos || value.find("Hora") != std::string::npos) {
        return "DATETIME";
    }
    if (value.find("Número") != std::string::npos || value.find("Código") != std::string::npos) return "LONG";
    if (value[0] == '\'') return "TEXT(50) COLLATE JETTEXT";
    return "DOUBLE";
}

// Fields the values copy from that are not defaults themselves, with the value each row holds.
const std::map<std::string, std::string> kSources = {
    {"Itens TransSai", "CustoMD DOUBLE DEFAULT 2.5"},
    {"Itens TransEnt", "CustoMd DOUBLE DEFAULT 2.5"},
    {"Venda", "\"Data Venda\" DATETIME DEFAULT 37386, Hora DATETIME DEFAULT 0.5, \"Número Venda\" LONG DEFAULT 7"},
    {"DelVenda", "\"Data Venda\" DATETIME DEFAULT 37386, Hora DATETIME DEFAULT 0.5, \"Número Venda\" LONG DEFAULT 7"},
    {"Cliente", "\"Código\" LONG DEFAULT 9"},
};

TEST(StoreDefaults, EveryDefaultStatementFillsItsNullField) {
    MemoryFiles f;
    std::map<std::string, std::vector<std::string>> columns;
    for (const DefaultRow& row : kDefaults) {
        columns[row.table].push_back("\"" + std::string(row.field) + "\" " + DeclaredFor(row.value));
    }
    for (auto& [table, list] : columns) {
        std::string sql = "CREATE TABLE \"" + table + "\" (";
        for (std::size_t i = 0; i < list.size(); ++i) sql += (i ? ", " : "") + list[i];
        auto source = kSources.find(table);
        if (source != kSources.end()) sql += ", " + source->second;
        f.Exec(sql + "); INSERT INTO \"" + table + "\" DEFAULT VALUES; INSERT INTO \"" + table + "\" DEFAULT VALUES;");
    }
    for (const DefaultRow& row : kDefaults) {
        const std::string t = Name(row.table), c = Name(row.field);
        const std::string statement = "UPDATE " + t + " SET " + t + "." + c + " = " + row.value + " WHERE " + t + "." + c + " Is Null";
        EXPECT_EQ(ErrorOf(f, statement), 0) << statement;
        EXPECT_EQ(f.Rows("SELECT count(*) FROM \"" + std::string(row.table) + "\" WHERE \"" + row.field + "\" IS NULL"),
                  (std::vector<std::string>{"0"}))
            << statement;
    }
    // Copies follow their source's own default, and texts and dates keep their kinds.
    EXPECT_EQ(f.Rows("SELECT QtdePorVolume, SubCusto FROM \"Itens TransSai\""), (std::vector<std::string>{"0.0|2.5", "0.0|2.5"}));
    EXPECT_EQ(f.Rows("SELECT DataCad, DataAlt, CodigoOrigem FROM Cliente"), (std::vector<std::string>{"36526|36526|9", "36526|36526|9"}));
    EXPECT_EQ(f.Rows("SELECT DataPedido, HoraPedido, NroVendaVinculada, ForaLinha FROM Venda, Produto LIMIT 1"),
              (std::vector<std::string>{"37386|0.5|7|N"}));
    EXPECT_EQ(f.Rows("SELECT typeof(DataExclusao), typeof(Vendedor) FROM DelItensVenda LIMIT 1"),
              (std::vector<std::string>{"real|text"}));
    // A second run finds nothing left to change.
    long long changed = 0;
    for (const DefaultRow& row : kDefaults) {
        const std::string t = Name(row.table), c = Name(row.field);
        f.Run("UPDATE " + t + " SET " + t + "." + c + " = " + row.value + " WHERE " + t + "." + c + " Is Null");
        changed += f.lastAffected;
    }
    EXPECT_EQ(changed, 0);
}

}  // namespace
}  // namespace dao::sql::testing
