// The catalogue window over the sample chain: the catalogue of each level, the search, the row
// state, the criterion choice, the keys and the close back to the log-in.
#include "report/reports/inicio.h"

#include "platform/forms/hosted.h"
#include "platform/forms/keys.h"
#include "platform/win/registry.h"
#include "report/core/fields.h"
#include "report/core/rights.h"
#include "report/reports/tests/support/reports_fixture.h"

namespace report::reports::testing {
namespace {

TEST_F(ReportsTest, EachLevelSeesItsCatalogue) {
    struct Row {
        int user;
        std::vector<std::string> codes;
    };
    const std::vector<Row> rows = {
        {kGerente, {"R001", "R002", "R003", "R004", "R005", "R006"}},   // every report, by code
        {kCaixa, {"R002", "R001"}},                                    // granted ones, by name
        {kJose, {}},
    };
    for (const Row& row : rows) {
        Inicio& window = Open(row.user);
        EXPECT_EQ(window.Caption(), "LOJA CENTRO - Relatórios Gerais");
        EXPECT_EQ(Codes(), row.codes) << row.user;
        EXPECT_EQ(window.CodAplicacaoAtual(), row.codes.empty() ? "" : row.codes.front());
        window.Drop();
        ResetProgramState();
    }
}

TEST_F(ReportsTest, RowChangeTracksTheReportAndClearsTheCriterion) {
    Inicio& window = Open(kCaixa);
    Pick("R002");
    EXPECT_EQ(window.ConsultaAtual(), "Produtos002") << ErrorLog();   // the catalogue's Consulta of the joined query
    EXPECT_EQ(window.RelatorioAtual(), "Produtos.rpt");
    EXPECT_EQ(RelatorioConsolidado, "N");                // Consolidado Null
    TextoCriterio = " Where (1=1)";
    NomeCriterio = "VELHO";
    Pick("R001");
    EXPECT_EQ(TextoCriterio, "");
    EXPECT_EQ(NomeCriterio, "");
    window.Drop();
    ResetProgramState();

    Open(kGerente);
    const std::vector<std::pair<std::string, std::string>> flags = {{"R003", "S"}, {"R005", "N"}, {"R001", "N"}};
    for (const auto& [code, flag] : flags) {
        Pick(code);
        EXPECT_EQ(RelatorioConsolidado, flag) << code;
    }
    // While the consolidation's answer is pending the criterion survives the row change.
    TextoCriterio = " Where (1=1)";
    Resposta = forms::Value(6L);
    Pick("R002");
    EXPECT_EQ(TextoCriterio, " Where (1=1)");
}

TEST_F(ReportsTest, SearchFiltersTheCatalogueOrRestoresItWithAMessage) {
    Inicio& window = Open(kGerente);
    window.BtnProcurar_Click();
    EXPECT_TRUE(window.PainelLocaliza().Visible());
    EXPECT_FALSE(window.TbRelatorios().Enabled());
    for (controls::threed::Button3D* hidden :
         {&window.BtnProcurar(), &window.BtnSelecionar(), &window.BtnVerificar(), &window.BtnImprimir(), &window.BtnSair()}) {
        EXPECT_FALSE(hidden->Visible()) << hidden->Name();
    }
    ASSERT_NE(window.ZmProcura(), nullptr);
    EXPECT_TRUE(window.ZmProcura()->ShowsInWindow());
    SetHostedText(window.ZmProcura(), "vendedor");
    int enter = forms::key::Return;
    window.RouteKey(true, enter, 0, nullptr);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"R005", "R006"}));
    EXPECT_FALSE(window.PainelLocaliza().Visible());
    EXPECT_EQ(HostedText(window.ZmProcura()), "");
    EXPECT_FALSE(window.ZmProcura()->ShowsInWindow());
    EXPECT_TRUE(boxes_.shown.empty());

    // Nothing found (a quote included): the message, then the whole catalogue again.
    window.BtnProcurar_Click();
    SetHostedText(window.ZmProcura(), "d'x");
    window.BtnProcura_Click();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Não Encontrado Nenhum Relatório");
    EXPECT_EQ(boxes_.shown[0].style, 48);
    EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
    EXPECT_EQ(Codes().size(), 6u);
    EXPECT_TRUE(window.TbRelatorios().Enabled());
    EXPECT_FALSE(forms::App().EndRequested());
}

// Every character a user can type in the search field searches for itself: the catalogue lists
// the one report whose name holds it, or shows "Não Encontrado Nenhum Relatório" and the whole
// catalogue; never an error, and never a wildcard that lists every report.
TEST_F(ReportsTest, EveryTypedCharacterSearchesForItself) {
    {
        dao::Database bd2 = OpenStore("F:\\LOJA01\\Bd2.MDB");
        bd2.Execute("INSERT INTO Aplicacao (CodAplicacao, Nome, Consulta, Relatorio) VALUES "
                    "('R009', 'Margem [%] #1 * ? ''a'' \"b\"', 'Vendas001', 'Vendas.rpt')");
        bd2.Close();
    }
    const std::vector<std::string> all = {"R001", "R002", "R003", "R004", "R005", "R006", "R009"};
    struct Row {
        std::string typed;
        std::vector<std::string> listed;   // all: nothing found, the message and the whole catalogue
    };
    const std::vector<Row> rows = {
        {"[", {"R009"}},   {"]", {"R009"}},   {"#", {"R009"}},  {"*", {"R009"}},   {"?", {"R009"}},
        {"'", {"R009"}},   {"\"", {"R009"}},  {"[%]", {"R009"}}, {"#1", {"R009"}},  {"'a'", {"R009"}},
        {"[x", all},       {"x]", all},       {"##", all},      {"**", all},       {"?!", all},
        {"' Or '", all},   {"\"\"", all},     {"%", {"R009"}},  {"_", all},        {"vendedor", {"R005", "R006"}},
    };
    Inicio& window = Open(kGerente);
    ASSERT_NE(window.ZmProcura(), nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        boxes_.shown.clear();
        Activate(window);
        Click(&Inicio::BtnProcurar);
        ASSERT_TRUE(window.PainelLocaliza().Visible());
        SetHostedText(window.ZmProcura(), "");
        ASSERT_EQ(QApplication::focusWidget(), window.ZmProcura()->Widget());
        ASSERT_TRUE(Type(row.typed));
        EXPECT_EQ(HostedText(window.ZmProcura()), row.typed);
        ASSERT_TRUE(Press(Qt::Key_Return));
        EXPECT_FALSE(window.PainelLocaliza().Visible());
        const bool found = row.listed != all;
        EXPECT_EQ(boxes_.shown.size(), found ? 0u : 1u);
        if (!found && !boxes_.shown.empty()) {
            EXPECT_EQ(boxes_.shown[0].text, "Não Encontrado Nenhum Relatório");
        }
        EXPECT_EQ(Codes(), row.listed);
        EXPECT_EQ(ErrorLog(), "");
        ASSERT_FALSE(forms::App().EndRequested());
    }
}

TEST_F(ReportsTest, ASearchFieldClassThatIsNotRegisteredIsReportedAndTheSearchStillRuns) {
    win::registry::DeleteTree(win::RootKey::ClassesRoot, library::TextEdit);
    Inicio& window = Open(kGerente);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_NE(boxes_.shown[0].text.find("429"), std::string::npos);
    EXPECT_TRUE(boxes_.shown[0].text.ends_with("Rotina -> Form_Load ZmProcura")) << boxes_.shown[0].text;
    EXPECT_EQ(window.ZmProcura(), nullptr);
    EXPECT_NE(window.LblMensagem(), nullptr);
    EXPECT_TRUE(window.IsLoaded());
    window.BtnProcurar_Click();
    EXPECT_TRUE(window.PainelLocaliza().Visible());
    window.BtnProcura_Click();
    EXPECT_EQ(Codes().size(), 6u);
    EXPECT_FALSE(window.PainelLocaliza().Visible());
}

TEST_F(ReportsTest, CashierSearchStaysWithinTheirRights) {
    Open(kCaixa);
    SetHostedText(window_->ZmProcura(), "' Or Nome like '");
    window_->BtnProcura_Click();
    EXPECT_EQ(Codes(), (std::vector<std::string>{"R002", "R001"}));
    SetHostedText(window_->ZmProcura(), "período");
    window_->BtnProcura_Click();
    EXPECT_EQ(Codes(), (std::vector<std::string>{"R001"}));
}

TEST_F(ReportsTest, CriterionChoiceListsTheReportsSavedCriteriaAndEscReturns) {
    Inicio& window = Open(kGerente);
    Pick("R001");
    window.BtnSelecionar_Click();
    EXPECT_EQ(window.FrameSelecionar().Caption(), "Selecione o Critério");
    EXPECT_TRUE(window.TbCriterio().Visible());
    EXPECT_FALSE(window.TbRelatorios().Visible());
    for (controls::threed::Button3D* shown : {&window.BtnCriterio(), &window.BtnCancelar(), &window.BtnImprimir()}) {
        EXPECT_TRUE(shown->Visible()) << shown->Name();
    }
    EXPECT_EQ(window.TbCriterio().Column(0).caption, "Vendas por Período");
    // Newest first.
    ASSERT_EQ(window.TbCriterio().RowCount(), 3);
    EXPECT_EQ(window.TbCriterio().CellText(0, 0), "ACIMA DE 300");
    EXPECT_EQ(NomeCriterio, "ACIMA DE 300");
    EXPECT_EQ(TextoCriterio, " Where ([Venda].[Total Venda] > 300)");
    window.TbCriterio().SetRow(1);
    EXPECT_EQ(NomeCriterio, "CONCLUIDAS");
    int esc = forms::key::Escape;
    window.RouteKey(false, esc, 0, nullptr);
    EXPECT_EQ(window.FrameSelecionar().Caption(), "Selecione o Relatório");
    EXPECT_TRUE(window.TbRelatorios().Visible());
    EXPECT_FALSE(Visible(&Inicio::BtnImprimir));
}

TEST_F(ReportsTest, NewCriterionFillsTheTablesOfTheReportAndIgnoresMoreThanEleven) {
    {
        dao::Database bd2 = OpenStore("F:\\LOJA01\\Bd2.MDB");
        for (int i = 0; i < 12; ++i) bd2.Execute("INSERT INTO Selecionar VALUES ('R006', 'T" + std::to_string(10 + i) + "')");
        bd2.Close();
    }
    int shown = 0;
    Inicio& window = Open(kGerente);
    window.SetQueryBuilder({[&] { ++shown; }, [] { return false; }, [] {}, {}});
    Pick("R001");
    window.BtnCriterio_Click();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(Contador, 1);
    EXPECT_EQ(TabelasRelatorio[0], "Itens Venda");   // the index order
    EXPECT_EQ(TabelasRelatorio[1], "Venda");
    EXPECT_EQ(CodRelatorio, "R001");
    EXPECT_EQ(RetornoCriterio, "N");

    Pick("R006");
    window.BtnCriterio_Click();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(Contador, 10);
    EXPECT_EQ(TabelasRelatorio[0], "T10");
    EXPECT_EQ(TabelasRelatorio[10], "T20");
    EXPECT_FALSE(forms::App().EndRequested());

    // No Selecionar row: the message, and no builder.
    Pick("R005");
    window.BtnCriterio_Click();
    EXPECT_EQ(shown, 2);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Não Existe Nenhum Tipo de Seleção");
    EXPECT_EQ(window.FrameSelecionar().Caption(), "Selecione o Relatório");
}

TEST_F(ReportsTest, HandBackRunsTheReportTheBuilderWasOpenedFor) {
    Inicio& window = Open(kGerente);
    window.SetQueryBuilder({[] {}, [] { return false; }, [] {}, {}});
    Pick("R001");
    window.BtnCriterio_Click();
    Pick("R002");   // the user moved on while the builder was open
    TextoCriterio = " Where ([Venda].[Total Venda] > 300)";
    RetornoCriterio = "S";
    window.RouteActivate();
    EXPECT_EQ(RetornoCriterio, "N");
    EXPECT_EQ(window.CodAplicacaoAtual(), "R001");
    EXPECT_NE(QuerySql("Relato001").find("[Total Venda] > 300"), std::string::npos);
    ASSERT_NE(Preview(), nullptr);
    EXPECT_EQ(window.EmVisualizacao(), "S");
}

TEST_F(ReportsTest, ClosingReturnsToTheLoginWithTheProgramFolderOpen) {
    bool builderLoaded = true;
    Inicio& window = Open(kGerente);
    window.SetQueryBuilder({[] {}, [&] { return builderLoaded; }, [&] { builderLoaded = false; }, {}});
    window.BtnVerificar_Click();
    ASSERT_NE(Preview(), nullptr);
    window.BtnSair().Press();
    forms::DoEvents();
    EXPECT_FALSE(window.IsLoaded());
    EXPECT_EQ(SairPrograma, "S");
    EXPECT_FALSE(builderLoaded);
    EXPECT_EQ(Preview(), nullptr);
    EXPECT_FALSE(BancoProdutoLoja.IsOpen());
    EXPECT_FALSE(BancoBD2Loja.IsOpen());
    EXPECT_TRUE(BancoProduto.IsOpen());
    EXPECT_TRUE(BancoBD2.IsOpen());
    EXPECT_EQ(loginShown_, 1);
}

TEST_F(ReportsTest, EscInSelectionClosesTheWindowMarkedAsAReturn) {
    Inicio& window = Open(kGerente);
    window.Widget()->activateWindow();
    forms::DoEvents();
    int esc = forms::key::Escape;
    window.RouteKey(true, esc, 0, nullptr);
    forms::DoEvents();
    EXPECT_EQ(SairPrograma, "NAO");
    EXPECT_FALSE(window.IsLoaded());
    EXPECT_EQ(loginShown_, 1);
}

TEST_F(ReportsTest, HidingAFocusedGridKeepsItsRow) {
    Inicio& window = Open(kGerente);
    window.Widget()->activateWindow();
    forms::DoEvents();
    window.BtnEsc_Click();   // the catalogue grid has the focus
    window.BtnSelecionar_Click();
    EXPECT_EQ(window.CodAplicacaoAtual(), "R001");
    EXPECT_EQ(window.TbRelatorios().Row(), 0);
    EXPECT_EQ(NomeCriterio, "ACIMA DE 300");
    window.BtnCancelar_Click();   // the criteria grid had the focus
    EXPECT_EQ(window.TbCriterio().Row(), 0);
    EXPECT_EQ(NomeCriterio, "ACIMA DE 300");
    EXPECT_EQ(window.CodAplicacaoAtual(), "R001");
}

TEST_F(ReportsTest, FocusColoursFollowTheFocus) {
    Inicio& window = Open(kGerente);
    window.BtnProcurar_Click();
    ASSERT_NE(window.ZmProcura(), nullptr);
    window.ZmProcura()->GotFocus();
    EXPECT_EQ(window.ZmProcura()->Get("BackColor").AsI4(), 0xC0C0FF);
    window.ZmProcura()->LostFocus();
    EXPECT_EQ(window.ZmProcura()->Get("BackColor").AsI4(), 0xFFFFFF);
    window.TbRelatorios().GotFocus();
    EXPECT_EQ(window.TbRelatorios().HighlightColor(), 0xC0u);
    window.TbRelatorios().LostFocus();
    EXPECT_EQ(window.TbRelatorios().HighlightColor(), 0x8000000Du);
    window.BtnSair().GotFocus();
    EXPECT_EQ(window.BtnSair().ForeColor(), 0xC0u);
}

}  // namespace
}  // namespace report::reports::testing
