// The later steps of the upgrade on older stores: index repairs, the write-off relation and its
// fill, the Null defaults of Produto.MDB and Antigo.MDB's data; the empty-handle reads, the
// per-database transactions and re-entry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dao/connection.h"
#include "platform/dao/errors.h"
#include "report/core/tests/support/folders.h"
#include "report/upgrade/tests/support/rows.h"
#include "report/upgrade/tests/support/upgrade_fixture.h"

namespace report::testing {
namespace {

class DataStepsTest : public UpgradeTest {
protected:
    DataStepsTest() { InstalledUpgradeSteps() = UpgradeStepsOfTheData(); }

    // The indexes of a table in their order, as "name[ P][ U]".
    static std::vector<std::string> IndexesOf(const dao::Database& db, const std::string& table) {
        std::vector<std::string> out;
        dao::Indexes indexes = db.TableDefs().Item(table).Indexes();
        for (int n = 0; n < indexes.Count(); ++n) {
            const dao::Index index = indexes.Item(n);
            out.push_back(index.Name() + (index.Primary() ? " P" : "") + (index.Unique() ? " U" : ""));
        }
        return out;
    }

    static void AddIndex(const dao::Database& db, const std::string& table, const std::string& name,
                         const std::vector<std::string>& fields, bool primary = false) {
        dao::TableDef def = db.TableDefs().Item(table);
        dao::Index index = def.CreateIndex(name);
        for (const std::string& field : fields) index.Fields().Append(def.CreateField(field));
        index.SetPrimary(primary);
        index.SetUnique(primary);
        def.Indexes().Append(index);
    }

    // One column of a query's rows, as text ("Null" for Null).
    static std::vector<std::string> Column(const dao::Database& db, const std::string& sql, const std::string& field) {
        std::vector<std::string> out;
        dao::Recordset rs = db.OpenRecordset(sql, dao::dbOpenSnapshot);
        for (; !rs.Eof(); rs.MoveNext()) {
            const dao::Value v = rs(field).GetValue();
            out.push_back(v.IsNull() ? "Null" : v.ToText());
        }
        rs.Close();
        return out;
    }

    void SetUltimaVenda(const std::string& field, const dao::Value& value) {
        dao::Recordset rs = BancoProdutoLoja->OpenRecordset("UltimaVenda", dao::dbOpenTable);
        rs.MoveFirst();
        rs.Edit();
        rs(field).SetValue(value);
        rs.Update();
        rs.Close();
    }

    static int Occurrences(const std::string& text, const std::string& part) {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }
};

TEST_F(DataStepsTest, CleanStoreUpgradesWithAnEmptyErrorLogAndTheNextLogInStopsAtTheGate) {
    Upgrade();
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
    const dao::Relation relation = BancoProdutoLoja->Relations().Item("ItensTransEntBaixa");
    EXPECT_EQ(relation.Table(), "Itens TransEnt");
    EXPECT_EQ(relation.ForeignTable(), "ItensTransEntBaixa");
    EXPECT_EQ(relation.Attributes(), 4352);
    EXPECT_FALSE(ProgramEngine().State()->InTransaction());
    const auto before = FileStamps();
    Upgrade();
    EXPECT_EQ(FileStamps(), before);
    // A rerun from an older stamp meets every index and the relation in place: nothing reported.
    SetStamp(dao::Value::Null());
    Upgrade();
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(DataStepsTest, EachIndexRowCreatesWhatItsTestAllows) {
    const dao::Database& p = *BancoProdutoLoja;
    AddIndex(p, "Grupo", "IndA", {"Familia"});
    AddIndex(p, "Grupo", "IndB", {"Grupo"});
    for (const char* name : {"IndA", "IndB", "IndCodigoEAN", "IndC"}) AddIndex(p, "Itens TransSai", name, {"CodigoEAN"});
    AddIndex(p, "ProdutoCons", "IndCodAlternativoEAN", {"CodAlternativo"});
    AddIndex(p, "ProdutoGeral", "IndCodAlternativo", {"CodAlternativo"});
    AddIndex(p, "Venda", "IndConcluidoMaquina", {"Concluido"});
    AddIndex(p, "Venda", "IndVenda", {"Número Venda"}, true);
    AddIndex(p, "Transportadora", "IndCodTrans", {"Codigo"});
    AddRow(p, "Lucro", {{"Codigo", dao::Value::Long(5)}});
    dao::Database transfer = OpenStore("Transfer");
    for (const char* name : {"IndA", "IndB", "IndC"}) AddIndex(transfer, "TransEnt", name, {"NroOrigem"});
    transfer.Close();
    Upgrade();
    EXPECT_EQ(ErrorLog(), "");
    struct Expected {
        const char* table;
        std::vector<std::string> indexes;
    };
    const Expected produto[] = {
        {"NotaFiscal", {"IndNroTransSai", "IndNroVenda"}},
        {"Grupo", {"IndA", "IndB", "IndDescGrupo", "IndGrupo"}},
        {"Cliente", {"IndCodigoOrigem", "IndCódigo P U", "IndCGC", "IndCPF"}},
        {"Itens TransSai", {"IndA", "IndB", "IndCodigoEAN", "IndC"}},  // 3284 passed over
        {"Itens TransEnt", {}},
        {"Produto", {"IndCodigoEAN"}},
        {"ProdutoCons", {"IndCodAlternativoEAN"}},
        {"ProdutoGeral", {"IndCodAlternativo"}},
        {"FundoCaixaSaldo", {"IndFundoCaixaSaldo P U"}},
        {"Venda", {"IndConcluidoMaquina", "IndVenda P U"}},
        {"TransSai", {"IndConcluidoMaquina"}},  // no index at all: created, no 3265
        {"ItensTransEntBaixa", {"IndTransEntBaixa P U"}},
        {"Transportadora", {"IndCodTrans P U"}},
        {"Lucro", {"IndCodigo P U"}},
    };
    for (const auto& row : produto) EXPECT_EQ(IndexesOf(p, row.table), row.indexes) << row.table;
    EXPECT_EQ(Column(p, "SELECT Codigo FROM Lucro", "Codigo"), std::vector<std::string>{"1"});
    transfer = OpenStore("Transfer");
    const Expected transferRows[] = {
        {"TransEnt", {"IndA", "IndB", "IndC", "IndNroTransSai U"}},
        {"Cartao", {"IndCodCartao P U"}},
        {"Loja", {"IndCódigo P U", "IndLojaOrigem"}},
        {"Corrente", {"IndCódigo P U"}},
    };
    for (const auto& row : transferRows) EXPECT_EQ(IndexesOf(transfer, row.table), row.indexes) << row.table;
    transfer.Close();
}

// A lock met half-way through the repairs of a table stops the run: that table keeps none of its
// repairs, nothing stays open, and the next log-in makes them all.
TEST_F(DataStepsTest, ALockInTheRepairsStopsTheRunWithTheTableUntouched) {
    AddIndex(*BancoProdutoLoja, "NotaFiscal", "IndA", {"NroVenda"});
    AddIndex(*BancoProdutoLoja, "NotaFiscal", "IndB", {"NroTransSai"});
    bool injected = false;
    InstalledUpgradeSteps().IndexRepairs = [&injected] {
        if (PosBanco == 1 && !injected) {
            injected = true;
            dao::InjectFault(3262, "Append", "*\\Produto.MDB", 1);  // Cliente's first index
        }
        IndexRepairs();
    };
    Upgrade();
    dao::ClearFaults();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Banco Dados Produto Aberto\r\rAtualização Impossibilitada !");
    EXPECT_FALSE(ProgramEngine().State()->InTransaction());
    EXPECT_EQ(IndexesOf(*BancoProdutoLoja, "Cliente"), std::vector<std::string>{});
    EXPECT_EQ(Stamp(), Date("01/01/2001"));
    Upgrade();
    EXPECT_EQ(IndexesOf(*BancoProdutoLoja, "Cliente"),
              (std::vector<std::string>{"IndCodigoOrigem", "IndCódigo P U", "IndCGC", "IndCPF"}));
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
}

TEST_F(DataStepsTest, StoreRowsForTransportadoraAndLucro) {
    struct Row {
        const char* situation;
        std::vector<std::pair<std::string, bool>> before;  // name, primary
        int lucroRows;
        std::vector<std::string> transportadora;
        std::vector<std::string> lucro;
        int reports;
    };
    const Row rows[] = {
        {"no index", {}, 1, {"IndCodTrans P U"}, {"IndCodigo P U"}, 0},
        {"non-primary IndCodTrans", {{"IndCodTrans", false}}, 0, {"IndCodTrans P U"}, {"IndCodigo P U"}, 0},
        {"primary IndCodTrans", {{"IndCodTrans", true}}, 0, {"IndCodTrans P U"}, {"IndCodigo P U"}, 0},
        {"others only", {{"IndOutro", false}}, 0, {"IndOutro", "IndCodTrans P U"}, {"IndCodigo P U"}, 0},
        {"two Lucro rows", {}, 2, {"IndCodTrans P U"}, {}, 1},
    };
    for (const auto& row : rows) {
        CopyOldStoreAgain();
        std::filesystem::remove("ERRO.TXT");
        for (const auto& [name, primary] : row.before) AddIndex(*BancoProdutoLoja, "Transportadora", name, {"Codigo"}, primary);
        for (int n = 0; n < row.lucroRows; ++n) AddRow(*BancoProdutoLoja, "Lucro", {{"Codigo", dao::Value::Long(10 + n)}});
        IndexRepairsProduto();
        EXPECT_EQ(IndexesOf(*BancoProdutoLoja, "Transportadora"), row.transportadora) << row.situation;
        EXPECT_EQ(IndexesOf(*BancoProdutoLoja, "Lucro"), row.lucro) << row.situation;
        EXPECT_EQ(Occurrences(ErrorLog(), "Geral AtualizarBD"), row.reports) << row.situation << ErrorLog();
        if (row.reports != 0) {
            EXPECT_NE(ErrorLog().find("Nro.: 3022"), std::string::npos) << row.situation;
        }
        if (row.lucroRows > 0) {
            EXPECT_EQ(Column(*BancoProdutoLoja, "SELECT Codigo FROM Lucro", "Codigo"),
                      std::vector<std::string>(static_cast<std::size_t>(row.lucroRows), "1")) << row.situation;
        }
    }
}

TEST_F(DataStepsTest, WriteOffsAreTheItemsReceivedAfterTheCount) {
    SetUltimaVenda("UltimaContagem", dao::Value::Date(Date("10/05/2002 14:30:00")));
    struct Item {
        int sequencia;
        const char* data;
        const char* hora;
        double recebida;
    };
    const Item items[] = {
        {1, "10/05/2002", "14:30:00", 5},   // at the count's second: skipped
        {2, "10/05/2002", "14:30:01", 6},   // one second later: written off
        {3, "11/05/2002", "08:00:00", 7},   // a later day: written off
        {4, "09/05/2002", "23:00:00", 8},   // an earlier day: not selected
        {5, "11/05/2002", "09:00:00", 0},   // nothing received: not selected
    };
    for (const Item& item : items) {
        AddRow(*BancoProdutoLoja, "Itens TransEnt",
               {{"NroTrans", dao::Value::Long(1)}, {"Sequencia", dao::Value::Double(item.sequencia)},
                {"DataRecepcao", dao::Value::Date(Date(item.data))}, {"HoraRecepcao", dao::Value::Date(Date(item.hora))},
                {"QuantidadeRecebida", dao::Value::Double(item.recebida)}});
    }
    Upgrade();
    EXPECT_EQ(ErrorLog(), "");
    const std::string sql = "SELECT * FROM ItensTransEntBaixa ORDER BY Sequencia";
    EXPECT_EQ(Column(*BancoProdutoLoja, sql, "Sequencia"), (std::vector<std::string>{"2", "3"}));
    EXPECT_EQ(Column(*BancoProdutoLoja, sql, "Qtde"), (std::vector<std::string>{"6", "7"}));
    EXPECT_EQ(Column(*BancoProdutoLoja, sql, "SeqBaixa"), (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(Column(*BancoProdutoLoja, sql, "NroTrans"), (std::vector<std::string>{"1", "1"}));
    EXPECT_EQ(Column(*BancoProdutoLoja, sql, "Maquina"), (std::vector<std::string>{"Null", "Null"}));
    dao::Recordset rs = BancoProdutoLoja->OpenRecordset(sql, dao::dbOpenSnapshot);
    EXPECT_EQ(rs("DtBaixa").GetValue().ToDouble(), Date("10/05/2002"));
    EXPECT_EQ(rs("HrBaixa").GetValue().ToDouble(), Date("14:30:01"));
    rs.Close();
    // The relation holds: a write-off without its item is refused.
    EXPECT_EQ(ErrorNumberOf([&] {
                  AddRow(*BancoProdutoLoja, "ItensTransEntBaixa",
                         {{"NroTrans", dao::Value::Long(9)}, {"Sequencia", dao::Value::Double(9)}, {"SeqBaixa", dao::Value::Integer(1)}});
              }),
              3201);
}

TEST_F(DataStepsTest, AFailedWriteOffLeavesTheTableEmptyAndIsReportedOnce) {
    // Two items with one key: the primary key refuses the second write-off.
    SetUltimaVenda("UltimaContagem", dao::Value::Date(Date("10/05/2002 14:30:00")));
    for (int n = 0; n < 2; ++n) {
        AddRow(*BancoProdutoLoja, "Itens TransEnt",
               {{"NroTrans", dao::Value::Long(3)}, {"Sequencia", dao::Value::Double(1)},
                {"DataRecepcao", dao::Value::Date(Date("12/05/2002"))}, {"HoraRecepcao", dao::Value::Date(Date("10:00:00"))},
                {"QuantidadeRecebida", dao::Value::Double(1 + n)}});
    }
    Upgrade();
    EXPECT_EQ(Occurrences(ErrorLog(), "Atualiza AtualizaItemTransEntBaixa"), 1) << ErrorLog();
    EXPECT_NE(ErrorLog().find("Nro.: 3022"), std::string::npos) << ErrorLog();
    EXPECT_EQ(BancoProdutoLoja->OpenRecordset("ItensTransEntBaixa", dao::dbOpenDynaset).RecordCount(), 0);
    EXPECT_FALSE(ProgramEngine().State()->InTransaction());
    // A Null count moment fails before the transaction: one report, no roll-back error.
    std::filesystem::remove("ERRO.TXT");
    SetUltimaVenda("UltimaContagem", dao::Value::Null());
    AtualizaItemTransEntBaixa();
    const std::string log = ErrorLog();
    EXPECT_EQ(Occurrences(log, "Tela ->"), 1) << log;
    EXPECT_NE(log.find("Atualiza AtualizaItemTransEntBaixa"), std::string::npos) << log;
    EXPECT_EQ(log.find("3034"), std::string::npos) << log;
    EXPECT_FALSE(TabelaUltimaVenda.IsOpen());
}

TEST_F(DataStepsTest, StatementListsHaveTheirLengthAndShapes) {
    const auto& nulo = NuloProdutoStatements();
    ASSERT_EQ(nulo.size(), 181u);
    EXPECT_EQ(nulo[0], "UPDATE Produto SET Produto.IPI = 0 WHERE Produto.IPI Is Null");
    EXPECT_EQ(nulo[107], "UPDATE [Itens Compra] SET [Itens Compra].[%IPI] = 0 WHERE [Itens Compra].[%IPI] Is Null");
    EXPECT_EQ(nulo[73], "UPDATE Venda SET Venda.TipoVenda = '1' WHERE Venda.TipoVenda = '0' ");
    EXPECT_EQ(nulo[40], "UPDATE [Itens TransSai] SET [Itens TransSai].SubCusto = [Itens TransSai].CustoMD WHERE [Itens TransSai].SubCusto Is Null");
    EXPECT_EQ(nulo[180], "UPDATE Credito SET Credito.TaxaCartao = 0 WHERE Credito.TaxaCartao Is Null");
    const auto& antigo = AtualizaAntigoStatements();
    ASSERT_EQ(antigo.size(), 35u);
    EXPECT_EQ(antigo[0], "UPDATE TransEnt SET TransEnt.TotalItens = 0 WHERE TransEnt.TotalItens Is Null");
    EXPECT_EQ(antigo[29], "UPDATE Venda SET Venda.Maquina = ' ' WHERE Venda.Maquina Is Null");
    EXPECT_EQ(antigo[33], nulo[76]);
}

TEST_F(DataStepsTest, NullDefaultsOfEachKind) {
    const dao::Database& p = *BancoProdutoLoja;
    SetUltimaVenda("Cupom", dao::Value::Text("S"));
    AddRow(p, "Loja", {{"CodLoja", dao::Value::Text("01")}, {"LojaOrigem", dao::Value::Text("*")}});
    AddRow(p, "Loja", {{"CodLoja", dao::Value::Text("02")}, {"LojaOrigem", dao::Value::Text(" ")}});
    AddRow(p, "Loja", {{"CodLoja", dao::Value::Text("03")}});
    AddRow(p, "Grupo", {{"Familia", dao::Value::Integer(7)}, {"Grupo", dao::Value::Long(1)},
                        {"DescGrupo", dao::Value::Text("Chaves de fenda e alicates isolados")}});
    AddRow(p, "Cartao", {{"Código", dao::Value::Long(1)}, {"Taxa", dao::Value::Single(2.5f)}});
    AddRow(p, "Pagto Venda", {{"Código Cartão", dao::Value::Long(1)}});
    AddRow(p, "Pagto Venda", {{"Código Cartão", dao::Value::Long(9)}});
    AddRow(p, "Itens TransSai", {{"CodigoEAN", dao::Value::Text("A")}});
    AddRow(p, "Venda", {{"Número Venda", dao::Value::Long(1)}, {"TipoVenda", dao::Value::Text("0")}});
    AddRow(p, "Cliente", {{"Código", dao::Value::Long(4)}});
    Upgrade();
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_EQ(Column(p, "SELECT Cupom FROM UltimaVenda", "Cupom"), std::vector<std::string>{"1"});
    EXPECT_EQ(Column(p, "SELECT LojaOrigem FROM Loja ORDER BY CodLoja", "LojaOrigem"), (std::vector<std::string>{"*", "N", "N"}));
    const auto nf = Column(p, "SELECT DescricaoNF FROM Grupo", "DescricaoNF");
    ASSERT_EQ(nf.size(), 1u);
    EXPECT_EQ(nf[0], std::string("Ferramentas Chaves de fenda e alicates isolados").substr(0, 45));
    EXPECT_EQ(Column(p, "SELECT TaxaCartao FROM [Pagto Venda] ORDER BY [Código Cartão]", "TaxaCartao"),
              (std::vector<std::string>{"2,5", "0"}));
    const std::string itens = "SELECT * FROM [Itens TransSai]";
    EXPECT_EQ(Column(p, itens, "Quantidade"), std::vector<std::string>{"0"});
    EXPECT_EQ(Column(p, itens, "QtdePorVolume"), std::vector<std::string>{"0"});
    EXPECT_EQ(Column(p, itens, "QtdeVolume"), std::vector<std::string>{"1"});
    EXPECT_EQ(Column(p, "SELECT TipoVenda FROM Venda", "TipoVenda"), std::vector<std::string>{"1"});
    // The store's own Loja row gives a client without a store its code; the origin code is its own.
    EXPECT_EQ(Column(p, "SELECT CodLoja FROM Cliente", "CodLoja"), std::vector<std::string>{"01"});
    EXPECT_EQ(Column(p, "SELECT CodigoOrigem FROM Cliente", "CodigoOrigem"), std::vector<std::string>{"4"});
}

// The defaults of one table run as one pass over it; each row must end as the statements run one
// after the other leave it, whatever the row held before: a field set keeps its value, a Null one
// gets its default, and a default copied from another field sees that field as the earlier
// statements left it.
TEST_F(DataStepsTest, DefaultsSetInOnePassLeaveEveryRowAsTheStatementsOneByOne) {
    const dao::Database& p = *BancoProdutoLoja;
    Upgrade();  // every field the statements name is there; the rows below hold Nulls again
    AddRow(p, "Venda", {{"Número Venda", dao::Value::Long(1)}, {"TipoVenda", dao::Value::Text("0")}});
    AddRow(p, "Venda", {{"Número Venda", dao::Value::Long(2)}, {"Especie", dao::Value::Text("X")},
                        {"PercentualFN", dao::Value::Double(50)}, {"Data Venda", dao::Value::Date(Date("03/04/2002"))},
                        {"Hora", dao::Value::Date(Date("10:30:00"))}, {"TotalNF", dao::Value::Double(10)}});
    AddRow(p, "Itens Venda", {{"Número Venda", dao::Value::Long(2)}});
    AddRow(p, "Produto", {});
    AddRow(p, "Produto", {{"IPI", dao::Value::Double(5)}, {"ForaLinha", dao::Value::Text("S")}, {"Unidade", dao::Value::Text("UN")}});
    AddRow(p, "Cliente", {{"Código", dao::Value::Long(4)}});
    AddRow(p, "Cliente", {{"Código", dao::Value::Long(5)}, {"Fantasia", dao::Value::Text("F")},
                          {"DataCad", dao::Value::Date(Date("05/06/2001"))}});
    const std::vector<std::string> tables = {"Venda", "[Itens Venda]", "Produto", "Cliente", "UltimaVenda", "Lucro", "Loja"};
    const auto contents = [&] {
        std::vector<std::string> rows;
        for (const auto& table : tables) {
            for (auto& row : SelectedRows(p, "SELECT * FROM " + table)) rows.push_back(table + ": " + row);
        }
        return rows;
    };
    ProgramEngine().BeginTrans();
    for (const std::string& statement : NuloProdutoStatements()) {
        ErrorNumberOf([&] { p.Execute(statement); });
    }
    const std::vector<std::string> oneByOne = contents();
    ProgramEngine().Rollback();
    NuloProduto();
    EXPECT_EQ(contents(), oneByOne);
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(DataStepsTest, AFailingDefaultIsReportedOnceAndTheRestRun) {
    BancoProdutoLoja->TableDefs().Item("Produto").Fields().Delete("ProdutoFornecedor");
    AddRow(*BancoProdutoLoja, "Credito", {{"Código Cartão", dao::Value::Long(9)}});
    Upgrade();
    EXPECT_EQ(Occurrences(ErrorLog(), "Tela ->"), 1) << ErrorLog();
    EXPECT_NE(ErrorLog().find("Atualiza NuloProduto"), std::string::npos);
    EXPECT_EQ(Column(*BancoProdutoLoja, "SELECT TaxaCartao FROM Credito", "TaxaCartao"), std::vector<std::string>{"0"});
}

TEST_F(DataStepsTest, AntigoGetsItsDefaultsAndAFreshCardCopyEveryRun) {
    AddRow(*BancoProdutoLoja, "Cartao", {{"Código", dao::Value::Long(1)}, {"Taxa", dao::Value::Single(3.25f)}});
    dao::Database antigo = OpenStore("Antigo");
    AddRow(antigo, "Pagto Venda", {{"Código Cartão", dao::Value::Long(1)}});
    AddRow(antigo, "TransEnt", {{"NroTrans", dao::Value::Long(1)}});
    antigo.Close();
    Upgrade();
    EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
    antigo = OpenStore("Antigo");
    EXPECT_EQ(Column(antigo, "SELECT TaxaCartao FROM [Pagto Venda]", "TaxaCartao"), std::vector<std::string>{"3,25"});
    EXPECT_EQ(Column(antigo, "SELECT Pedido FROM TransEnt", "Pedido"), std::vector<std::string>{"N"});
    antigo.Close();
    // A second run meets the copy of the first: dropped and copied again, without a word.
    BancoProdutoLoja->Execute("UPDATE Cartao SET Taxa = 4");
    AddRow(*BancoProdutoLoja, "Cartao", {{"Código", dao::Value::Long(2)}, {"Taxa", dao::Value::Single(1)}});
    SetStamp(dao::Value::Null());
    Upgrade();
    EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
    EXPECT_EQ(ErrorLog(), "");
    antigo = OpenStore("Antigo");
    EXPECT_EQ(Column(antigo, "SELECT * FROM Cartao ORDER BY Código", "Taxa"), (std::vector<std::string>{"4", "1"}));
    antigo.Close();
    EXPECT_FALSE(BancoAtual.IsOpen());
}

// The card copy names Antigo.MDB in one literal whatever quotes and letters the data folder's
// name holds: the copy lands in Antigo and the statements after it run, without a box.
TEST_F(DataStepsTest, AntigoOfAFolderNamedWithQuotesGetsTheCardCopyAndItsRate) {
    AddRow(*BancoProdutoLoja, "Cartao", {{"Código", dao::Value::Long(1)}, {"Taxa", dao::Value::Single(3.25f)}});
    CloseIfOpen(BancoProdutoLoja);
    const std::string folder = std::string("F:\\") + kQuotedFolder;
    MoveFolder(kData, folder);
    PastaDados = folder;
    const auto open = [&](const char* file) {
        return ProgramEngine().OpenDatabase(folder + file, false, false, ConnectLoja(folder, file));
    };
    {
        dao::Database antigo = open("\\Antigo.MDB");
        AddRow(antigo, "Pagto Venda", {{"Código Cartão", dao::Value::Long(1)}});
        antigo.Close();
    }
    BancoProdutoLoja.Set(open("\\Produto.MDB"));
    Upgrade();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
    EXPECT_EQ(ErrorLog(), "");
    dao::Database antigo = open("\\Antigo.MDB");
    EXPECT_EQ(Column(antigo, "SELECT Taxa FROM Cartao", "Taxa"), std::vector<std::string>{"3,25"});
    EXPECT_EQ(Column(antigo, "SELECT TaxaCartao FROM [Pagto Venda]", "TaxaCartao"), std::vector<std::string>{"3,25"});
    antigo.Close();
}

TEST_F(DataStepsTest, TheCardCopyNeedsAntigoHeldOpenByThisEngine) {
    // Not held open, the protected file refuses a reference without its password.
    const std::string copy = "SELECT Cartao.* INTO Cartao IN '" + PastaDados + "\\Antigo.mdb' FROM Cartao";
    EXPECT_EQ(ErrorNumberOf([&] { BancoProdutoLoja->Execute(copy); }), 3031);
    dao::Database antigo = OpenStore("Antigo");
    EXPECT_EQ(ErrorNumberOf([&] { BancoProdutoLoja->Execute(copy); }), 0);
    EXPECT_NO_THROW(antigo.TableDefs().Item("Cartao"));
    antigo.Close();
}

TEST_F(DataStepsTest, AntigoMissingOrFailingShowsTheEngineDescriptionAndTheUpgradeGoesOn) {
    std::filesystem::remove(Host(DataFile("Antigo")));
    Upgrade();
    ASSERT_EQ(boxes_.shown.size(), 2u);
    EXPECT_EQ(boxes_.shown[0].text, "Antigo.MDB Não Encontrado !");
    EXPECT_NE(boxes_.shown[1].text.find("Could not find file"), std::string::npos) << boxes_.shown[1].text;
    EXPECT_EQ(boxes_.shown[1].style, 0);
    EXPECT_EQ(boxes_.shown[1].title, forms::App().Title());  // no title of its own
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
    // A failing statement ends the step: Antigo is closed, the later statements do not run.
    CopyOldStoreAgain();
    boxes_.shown.clear();
    dao::Database antigo = OpenStore("Antigo");
    antigo.TableDefs().Item("Itens TransEnt").Fields().Delete("IPI");
    AddRow(antigo, "Pagto Venda", {{"Código Cartão", dao::Value::Long(1)}});
    antigo.Close();
    AtualizaAntigo();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_FALSE(BancoAtual.IsOpen());
    EXPECT_EQ(ProgramEngine().State()->FindOpen(Host(DataFile("Antigo"))), nullptr);
    antigo = OpenStore("Antigo");
    EXPECT_EQ(Column(antigo, "SELECT TaxaCartao FROM [Pagto Venda]", "TaxaCartao"), std::vector<std::string>{"Null"});
    antigo.Close();
}

// An open that fails leaves its handle empty: the step that reads it raises 91 into the driver's
// recovery, which reports it, and the run ends normally with its stamp.
TEST_F(DataStepsTest, EmptyHandlesRaise91IntoTheRecovery) {
    InstalledUpgradeSteps().CriarRelacao = [] { dao::InjectFault(3051, "OpenRecordset", "*\\Produto.MDB", 1); };
    EXPECT_NO_THROW(Upgrade());
    EXPECT_NE(ErrorLog().find("Nro.: 3051 Tela -> Geral AtualizarBD"), std::string::npos) << ErrorLog();
    EXPECT_NE(ErrorLog().find("Nro.: 91 Tela -> Geral AtualizarBD"), std::string::npos) << ErrorLog();
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
    dao::ClearFaults();

    // The table lookup failing with another number than 3265: Modem's database is closed under
    // the loop while its first table is being checked.
    CopyOldStoreAgain();
    std::filesystem::remove("ERRO.TXT");
    struct ClosingPump : forms::EventPump {
        void DoEvents() override {
            const UpgradeWindow& window = UpgradeWindowInForce();
            if (done || window.ListCount() == 0) return;
            if (window.List(window.ListCount() - 1).rfind("Atualizando FamiliaModem", 0) == 0 && BancoAtual.IsOpen()) {
                BancoAtual->Close();
                done = true;
            }
        }
        bool done = false;
    } pump;
    forms::InstallEventPump(&pump);
    EXPECT_NO_THROW(Upgrade());
    forms::InstallEventPump(&pump_);
    EXPECT_TRUE(pump.done);
    EXPECT_NE(ErrorLog().find("Nro.: 91 Tela -> Geral AtualizarBD"), std::string::npos) << ErrorLog();
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_FALSE(ProgramEngine().State()->InTransaction());
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
}

// A field rebuild that fails ends the program; the table it was in is left as it was before the
// upgrade touched it, and no transaction stays open.
TEST_F(DataStepsTest, AnEarlyExitRollsBackTheCurrentTable) {
    dao::InjectFault(3000, "Execute", "*\\Produto.MDB", 1);  // the rebuild's copy statement
    BancoProdutoLoja->TableDefs().Item("UltimaVenda").Fields().Delete("Versao");
    Upgrade();
    dao::ClearFaults();
    EXPECT_TRUE(forms::App().EndRequested());
    EXPECT_FALSE(ProgramEngine().State()->InTransaction());
    EXPECT_NE(ErrorLog().find("Atualiza AtualizaEstrutura"), std::string::npos) << ErrorLog();
    const dao::TableDef table = BancoProdutoLoja->TableDefs().Item("UltimaVenda");
    EXPECT_EQ(table.Fields().Item("UltimoCodigo").Type(), dao::DataType::Integer);
    EXPECT_EQ(ErrorNumberOf([&] { table.Fields().Item("UltimoCodigo01"); }), 3265);
    // The stamp field added at the gate stays (it is not part of the table's pass).
    EXPECT_EQ(ErrorNumberOf([&] { table.Fields().Item("Versao"); }), 0);
    EXPECT_EQ(Stamp(), -1);
}

TEST_F(DataStepsTest, TheUpgradeRefusesToBeEnteredAgainWhileItRuns) {
    struct NestingPump : forms::EventPump {
        void DoEvents() override {
            if (calls++ != 3) return;
            runningSeen = UpgradeRunning();
            const int lines = UpgradeWindowInForce().ListCount();
            upgrade::AtualizarBD();  // a second click on the log-in button
            linesUnchanged = UpgradeWindowInForce().ListCount() == lines;
        }
        int calls = 0;
        bool runningSeen = false;
        bool linesUnchanged = false;
    } pump;
    forms::InstallEventPump(&pump);
    EXPECT_FALSE(UpgradeRunning());
    Upgrade();
    forms::InstallEventPump(&pump_);
    EXPECT_TRUE(pump.runningSeen);
    EXPECT_TRUE(pump.linesUnchanged);
    EXPECT_FALSE(UpgradeRunning());
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
}

}  // namespace
}  // namespace report::testing
