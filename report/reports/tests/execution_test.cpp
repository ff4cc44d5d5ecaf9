// Running reports over the sample chain: each road (plain, temporary tables, pre-queries into the
// consolidated database, consolidated), the rights to print, the run query, and the traps.
#include "report/reports/inicio.h"

#include "platform/forms/keys.h"
#include "report/core/tests/support/folders.h"
#include "report/reports/tests/support/reports_fixture.h"

namespace report::reports::testing {
namespace {

using controls::report::TextRole;

constexpr const char* kProduto = "F:\\LOJA01\\Produto.MDB";

TEST_F(ReportsTest, PlainReportRunsWithTheChosenCriterion) {
    Inicio& window = Open(kGerente);
    Pick("R001");
    window.BtnSelecionar_Click();
    window.BtnImprimir().Press();
    forms::DoEvents();
    EXPECT_EQ(QuerySql("Relato001"),
              "SELECT Venda.[Número Venda], Venda.[Data Venda], Venda.[Total Venda] FROM Venda  Where ([Venda].[Total Venda] > "
              "300) ORDER BY Venda.[Número Venda];");
    ASSERT_NE(Preview(), nullptr);
    EXPECT_EQ(Preview()->Zoom(), 80);
    EXPECT_TRUE(window.Report1().Printer().PrintAllowed());
    EXPECT_EQ(window.Report1().Printer().ReportFileName(), "C:\\REPORT\\Vendas.rpt");
    EXPECT_EQ(window.Report1().Printer().DataFile(0), "F:\\LOJA01\\Produto.mdb");
    EXPECT_EQ(window.Report1().Printer().Password(), "TORPAL");
    EXPECT_EQ(Texts(TextRole::Header).front(), "Critério: ACIMA DE 300 Where ([Venda].[Total Venda] > 300)");
    const long expected = CountOf(kProduto, "SELECT Count(*) FROM Venda WHERE [Total Venda] > 300");
    EXPECT_GT(expected, 0);
    EXPECT_EQ(static_cast<long>(Texts(TextRole::Cell).size()), expected * 3);
    // The preview state.
    EXPECT_EQ(window.EmVisualizacao(), "S");
    EXPECT_TRUE(Visible(&Inicio::BtnFim));
    for (controls::threed::Button3D* hidden :
         {&window.BtnProcurar(), &window.BtnSelecionar(), &window.BtnVerificar(), &window.BtnSair(), &window.BtnImprimir()}) {
        EXPECT_FALSE(hidden->Visible()) << hidden->Name();
    }
    EXPECT_FALSE(window.BtnSair().TabStop());
    EXPECT_EQ(forms::App().MousePointer(), forms::pointer::Default);
    EXPECT_TRUE(boxes_.shown.empty());

    // Ctrl+P prints the previewed report; Fim ends the preview and forgets the criterion.
    int p = 'P';
    window.RouteKey(true, p, 2, nullptr);
    EXPECT_EQ(printed_, 1);
    window.BtnFim_Click();
    EXPECT_EQ(window.EmVisualizacao(), "N");
    EXPECT_EQ(TextoCriterio, "");
    EXPECT_EQ(NomeCriterio, "");
    EXPECT_TRUE(window.BtnSair().TabStop());
    EXPECT_TRUE(Visible(&Inicio::BtnVerificar));
}

TEST_F(ReportsTest, EnterRunsFromTheCriteriaGridAndTheKeypadZooms) {
    Inicio& window = Open(kGerente);
    int enter = forms::key::Return;
    window.RouteKey(true, enter, 0, &window.TbRelatorios());   // Enter in the catalogue: the criteria
    EXPECT_TRUE(window.TbCriterio().Visible());
    enter = forms::key::Return;
    window.RouteKey(true, enter, 0, &window.TbCriterio());     // Enter in the criteria: the run
    ASSERT_NE(Preview(), nullptr);
    EXPECT_EQ(Texts(TextRole::Header).front(), "Critério: ACIMA DE 300 Where ([Venda].[Total Venda] > 300)");
    int plus = forms::key::Add;
    window.RouteKey(true, plus, 0, nullptr);
    EXPECT_EQ(Preview()->Zoom(), 100);
    int minus = forms::key::Subtract;
    window.RouteKey(true, minus, 0, nullptr);
    EXPECT_EQ(Preview()->Zoom(), 80);
}

TEST_F(ReportsTest, PreviewWithoutCriterionRewritesTheRunQueryUnfiltered) {
    Inicio& window = Open(kGerente);
    Pick("R001");
    window.BtnSelecionar_Click();
    window.BtnImprimir_Click();
    window.BtnFim_Click();
    TextoCriterio = " Where ([Venda].[Total Venda] > 300)";   // a criterion still about
    NomeCriterio = "ACIMA DE 300";
    window.BtnVerificar_Click();
    EXPECT_EQ(QuerySql("Relato001").find("Where"), std::string::npos);
    EXPECT_EQ(window.Report1().Printer().Password(), "TORPAL");
    EXPECT_EQ(Texts(TextRole::Header).front(), "Critério: ");
    EXPECT_EQ(static_cast<long>(Texts(TextRole::Cell).size()), CountOf(kProduto, "SELECT Count(*) FROM Venda") * 3);
    EXPECT_TRUE(boxes_.shown.empty());   // the run query was replaced without a message
    EXPECT_EQ(window.EmVisualizacao(), "S");
}

TEST_F(ReportsTest, RightsDecideThePrintButtonAndThePreview) {
    // Consult only: a preview without printing; Ctrl+P does nothing.
    Inicio& window = Open(kCaixa);
    Pick("R002");
    window.BtnImprimir_Click();
    ASSERT_NE(Preview(), nullptr);
    EXPECT_FALSE(window.Report1().Printer().PrintAllowed());
    int p = 'P';
    window.RouteKey(true, p, 2, nullptr);
    EXPECT_EQ(printed_, 0);
    EXPECT_TRUE(boxes_.shown.empty());
    window.BtnFim_Click();

    // Neither right: the rights message and no preview.
    {
        dao::Database bd2 = OpenStore("F:\\LOJA01\\Bd2.MDB");
        bd2.Execute("UPDATE Relacao SET Consulta = 'N', Imprime = 'N' WHERE CodAplicacao = 'R001'");
        bd2.Close();
    }
    window.Report1().Printer().ClosePreview();
    Pick("R001");
    window.BtnVerificar_Click();
    EXPECT_EQ(Preview(), nullptr);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_NE(boxes_.shown[0].text.find("Consulta Não Autorizada !"), std::string::npos);
    EXPECT_EQ(window.EmVisualizacao(), "N");
}

TEST_F(ReportsTest, TemporaryTableIsRecreatedAndFilledByThePreQuery) {
    {
        dao::Database produto = OpenStore(kProduto);
        produto.Execute("INSERT INTO TMPHISTORICO (Documento, Tipo) VALUES (999999, 'VELHO')");
        produto.Close();
    }
    Inicio& window = Open(kGerente);
    Pick("R004");
    window.BtnImprimir_Click();
    ASSERT_NE(Preview(), nullptr);
    EXPECT_EQ(CountOf(kProduto, "SELECT Count(*) FROM TMPHISTORICO"), CountOf(kProduto, "SELECT Count(*) FROM [Itens Venda]"));
    EXPECT_EQ(CountOf(kProduto, "SELECT Count(*) FROM TMPHISTORICO WHERE Documento = 999999"), 0);
    EXPECT_EQ(CountOf(kProduto, "SELECT Count(*) FROM TMPHISTORICO WHERE Tipo <> 'VENDA'"), 0);   // upper-cased
    dao::TableDef table = OpenStore(kProduto).TableDefs().Item("TMPHISTORICO");
    EXPECT_EQ(table.Fields().Count(), 8);
    EXPECT_EQ(HostedText(window.LblMensagem()), "");
    EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(ReportsTest, PreQueriesWriteTheProgramFoldersBackupInIndexOrder) {
    Inicio& window = Open(kGerente);
    Pick("R005");
    for (int run = 0; run < 2; ++run) {   // the delete runs first, so a second run adds nothing
        window.BtnImprimir_Click();
        ASSERT_NE(Preview(), nullptr) << ErrorLog() << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
        EXPECT_EQ(CountOf("C:\\REPORT\\BACKUP.MDB", "SELECT Count(*) FROM ResumoVenda"), 5);
        window.BtnFim_Click();
    }
    EXPECT_EQ(CountOf(kProduto, "SELECT Count(*) FROM TMPHISTORICO"), 5);
    EXPECT_EQ(Texts(TextRole::Cell).size(), 10u);
    EXPECT_TRUE(boxes_.shown.empty());
}

// The redirected IN targets keep the folder's quotes inside their literal: the pre-queries fill
// that folder's BACKUP.MDB and the report reads it, with no box and the program still running.
TEST_F(ReportsTest, PreQueriesReachTheBackupOfAFolderNamedWithQuotes) {
    const std::string folder = std::string("C:\\") + report::testing::kQuotedFolder;
    report::testing::MoveFolder("C:\\REPORT", folder);
    SetProgramFolder(folder);
    Inicio& window = Open(kGerente);
    Pick("R005");
    window.BtnImprimir_Click();
    ASSERT_NE(Preview(), nullptr) << ErrorLog() << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_EQ(CountOf(folder + "\\BACKUP.MDB", "SELECT Count(*) FROM ResumoVenda"), 5);
    EXPECT_EQ(Texts(TextRole::Cell).size(), 10u);
}

TEST_F(ReportsTest, ConsolidatedReportGoesThroughTheConsolidationFirst) {
    Inicio& window = Open(kGerente);
    Pick("R003");
    window.BtnImprimir_Click();
    EXPECT_EQ(consolidationShown_, 1);
    EXPECT_EQ(Preview(), nullptr);
    // The consolidation's end: the flag back to "N", then the window's run again.
    RelatorioConsolidado = "N";
    RunReport();
    ASSERT_NE(Preview(), nullptr);
    EXPECT_EQ(consolidationShown_, 1);
    EXPECT_EQ(window.Report1().Printer().ReportFileName(), "C:\\REPORT\\Consolida.rpt");
}

TEST_F(ReportsTest, MissingTableOrPreQueryIsNamedAndTheProgramGoesOn) {
    {
        dao::Database bd2 = OpenStore("F:\\LOJA01\\Bd2.MDB");
        bd2.Execute("INSERT INTO TabelaTemporaria VALUES ('R001', 'NAOEXISTE')");
        bd2.Execute("INSERT INTO PreConsulta VALUES ('R006', 'PreSumiu', 'Sumindo')");
        bd2.Close();
    }
    Inicio& window = Open(kGerente);
    Pick("R001");
    window.BtnImprimir_Click();   // a missing table: the message, and the run goes on
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "A Tabela NAOEXISTE Não Encontrada !");
    EXPECT_NE(Preview(), nullptr);
    window.BtnFim_Click();
    window.Report1().Printer().ClosePreview();
    Pick("R006");
    window.BtnImprimir_Click();   // a missing pre-query: the message, and the run ends
    ASSERT_EQ(boxes_.shown.size(), 2u);
    EXPECT_EQ(boxes_.shown[1].text, "A Pre-Consulta PreSumiu Não Encontrada !");
    EXPECT_EQ(Preview(), nullptr);
    EXPECT_EQ(window.FrameSelecionar().Caption(), "Selecione o Relatório");
    EXPECT_TRUE(Visible(&Inicio::BtnSelecionar));
    EXPECT_EQ(forms::App().MousePointer(), forms::pointer::Default);
    EXPECT_FALSE(forms::App().EndRequested());
}

TEST_F(ReportsTest, FailedRecreationLeavesTheTemporaryTableAsItWas) {
    {
        dao::Database produto = OpenStore(kProduto);
        produto.Execute("INSERT INTO TMPHISTORICO (Documento, Tipo) VALUES (999999, 'VELHO')");
        produto.Close();
    }
    Inicio& window = Open(kGerente);
    Pick("R004");
    dao::InjectFault(3044, "Append", "*\\PRODUTO.MDB");
    window.BtnImprimir_Click();
    EXPECT_EQ(CountOf(kProduto, "SELECT Count(*) FROM TMPHISTORICO WHERE Documento = 999999"), 1);
    EXPECT_NE(ErrorLog().find("Tela -> Inicio CriaTabela"), std::string::npos);
    EXPECT_EQ(Preview(), nullptr);
}

TEST_F(ReportsTest, RetriesHappenOnceThenTheGeneralPath) {
    struct Row {
        const char* operation;
        const char* file;
        const char* logged;
        bool ends;   // the run's own trap ends the program; the re-creation's closes the databases
    };
    const std::vector<Row> rows = {
        {"Execute", "*\\PRODUTO.MDB", "Nro.: 3420 Tela -> Inicio CriaTabela", false},
        {"OpenRecordset", "*\\BD2.MDB", "Nro.: 3420 Tela -> Inicio BtnImprimir", true},
    };
    for (const Row& row : rows) {
        Inicio& window = Open(kGerente);
        Pick("R004");
        dao::InjectFault(3420, row.operation, row.file, -1);
        window.BtnImprimir_Click();
        dao::ClearFaults();
        EXPECT_NE(ErrorLog().find(row.logged), std::string::npos) << ErrorLog();
        EXPECT_EQ(forms::App().EndRequested(), row.ends) << row.operation;
        EXPECT_FALSE(BancoProdutoLoja.IsOpen());
        EXPECT_EQ(Preview(), nullptr);
        window.Drop();
        ResetProgramState();
        forms::App().ResetForTests();
        std::filesystem::remove("ERRO.TXT");
    }
}

TEST_F(ReportsTest, ReportQueryNamedLikeTheRunQueryIsRefused) {
    {
        dao::Database bd2 = OpenStore("F:\\LOJA01\\Bd2.MDB");
        bd2.Execute("INSERT INTO Aplicacao (CodAplicacao, Nome, Consulta, Relatorio) VALUES ('R009', 'Eco', 'Relato001', 'Vendas.rpt')");
        bd2.Close();
        dao::Database produto = OpenStore(kProduto);
        produto.CreateQueryDef("Relato001", "SELECT * FROM Venda;");
        produto.Close();
    }
    Inicio& window = Open(kGerente);
    Pick("R009");
    window.BtnVerificar_Click();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "A Consulta Relato001 Tem o Nome da Consulta de Execução !");
    EXPECT_EQ(QuerySql("Relato001"), "SELECT * FROM Venda;");
    EXPECT_EQ(Preview(), nullptr);
    EXPECT_FALSE(forms::App().EndRequested());
}

TEST_F(ReportsTest, BadCriterionShowsTheCriterionMessageAndTheProgramGoesOn) {
    struct Row {
        std::string criterion;
        std::string line;
    };
    const std::vector<Row> rows = {
        {" Where ([Venda].[Inexistente] = 1)", "Parâmetros errados !!!"},
        {" Where ([Venda].[Total Venda] > )", "Erro de Sintaxe !!!"},
    };
    Inicio& window = Open(kGerente);
    Pick("R001");
    for (const Row& row : rows) {
        boxes_.shown.clear();
        TextoCriterio = row.criterion;
        window.ImpRelatorio();
        ASSERT_EQ(boxes_.shown.size(), 1u) << row.criterion << ErrorLog();
        EXPECT_EQ(boxes_.shown[0].text.rfind("Ocorreu um Erro na montagem do Critério:\r" + row.line + "\r\rNúmero: ", 0), 0u)
            << boxes_.shown[0].text << ErrorLog();
        EXPECT_EQ(Preview(), nullptr);
        EXPECT_FALSE(forms::App().EndRequested());
        EXPECT_TRUE(BancoProdutoLoja.IsOpen());
    }
}

}  // namespace
}  // namespace report::reports::testing

namespace report::reports::testing {
namespace {

// The store's folder renamed (or its share gone) while the catalogue is open: the run says that
// the folder is not there, in the error routine's box and ERRO.TXT, never that the store is
// read-only; the catalogue closes back to the log-in and the program goes on.
TEST_F(ReportsTest, AStoreFolderRenamedWhileOpenIsReportedAsGoneAndTheProgramGoesOn) {
    struct Row {
        const char* what;
        bool criterion;   // Imprimir with the chosen criterion, else Verificar
    };
    for (const Row& row : {Row{"Imprimir", true}, Row{"Verificar", false}}) {
        SCOPED_TRACE(row.what);
        Inicio& window = Open(kGerente);
        Pick("R001");
        if (row.criterion) window.BtnSelecionar_Click();
        const std::filesystem::path folder = win::HostPath("F:\\LOJA01");
        std::filesystem::rename(folder, root_.Root() / "LOJA01.OLD");
        QTest::mouseClick((row.criterion ? window.BtnImprimir() : window.BtnVerificar()).Widget(), Qt::LeftButton);
        forms::DoEvents();
        ASSERT_EQ(boxes_.shown.size(), 1u);
        EXPECT_NE(boxes_.shown[0].text.find("'F:\\LOJA01' is not a valid path"), std::string::npos) << boxes_.shown[0].text;
        EXPECT_NE(boxes_.shown[0].text.find("3044"), std::string::npos);
        EXPECT_NE(ErrorLog().find("Nro.: 3044"), std::string::npos) << ErrorLog();
        EXPECT_EQ(ErrorLog().find("read-only"), std::string::npos);
        EXPECT_FALSE(forms::App().EndRequested());
        EXPECT_FALSE(window.IsLoaded());
        EXPECT_EQ(loginShown_, 1);
        // The folder back, the store opens again.
        std::filesystem::rename(root_.Root() / "LOJA01.OLD", folder);
        std::filesystem::remove("ERRO.TXT");
        boxes_.shown.clear();
        loginShown_ = 0;
        ResetReportState();
        ResetProgramState();
    }
}

}  // namespace
}  // namespace report::reports::testing
