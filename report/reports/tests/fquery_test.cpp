// The criterion builder driven as a user drives it from the catalogue window: conditions of each
// field kind, the hand-back and the narrowed report, the saved criteria and their messages.
#include "report/reports/fquery.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/threed.h"
#include "platform/dao/errors.h"
#include "platform/forms/controls.h"
#include "platform/forms/datetime.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/datetime.h"
#include "platform/forms/hosted.h"
#include "platform/forms/keys.h"
#include "platform/forms/services.h"
#include "platform/win/clock.h"
#include "report/reports/condition_text.h"
#include "report/reports/tests/support/reports_fixture.h"
#include "platform/win/clock.h"
#include "platform/win/oledate.h"
#include "platform/win/testing/raises.h"
#include "platform/win/textformat.h"

namespace report::reports::testing {
namespace {

using win::testing::ErrorNumberOf;

class FQueryTest : public ReportsTest {
protected:
    ~FQueryTest() override {
        if (QueryWindow().IsLoaded()) QueryWindow().Drop();
        forms::InstallProgramStarter(nullptr);
    }

    // The catalogue window on `code` with the builder opened by "Cri&tério".
    FQuery& OpenBuilder(int user, const std::string& code) {
        Inicio& window = Open(user);
        window.SetQueryBuilder(QueryWindowHooks());
        Pick(code);
        window.BtnCriterio_Click();
        EXPECT_TRUE(QueryWindow().IsLoaded());
        return QueryWindow();
    }

    // One condition, as picked and typed.
    void Add(FQuery& q, const std::string& field, const char* op, const std::string& value, bool andButton = true) {
        q.cField().SetText(field);
        q.cField_Click();
        q.cOperator().SetText(op);
        q.cValue().SetText(value);
        if (andButton) {
            q.ANDButton_Click();
        } else {
            q.ORButton_Click();
        }
    }

    void Key(FQuery& q, int key) {
        int code = key;
        q.RouteKey(false, code, 0, nullptr);
    }

    std::string LastMessage() const { return boxes_.shown.empty() ? std::string() : boxes_.shown.back().text; }

    // The saved criteria of `report`, as "sequence name" lines in number order.
    std::vector<std::string> Saved(const std::string& report) const {
        std::vector<std::string> rows;
        dao::Recordset rs = OpenStore("F:\\LOJA01\\BD2.MDB")
                                .OpenRecordset("SELECT Sequencia, Nome FROM Criterio WHERE Relatorio = '" + report +
                                                   "' ORDER BY Sequencia",
                                               dao::dbOpenSnapshot);
        for (; !rs.Eof(); rs.MoveNext()) {
            rows.push_back(rs.Fields().Item(0).GetValue().ToText() + " " + rs.Fields().Item(1).GetValue().ToText());
        }
        return rows;
    }

    // The builder opened by the user for the first report of the catalogue (R001): Enter on the
    // catalogue grid, a click on "Cri&tério".
    FQuery& OpenBuilderByKeys() {
        Inicio& window = Open(kGerente);
        window.SetQueryBuilder(QueryWindowHooks());
        Activate(window);
        EXPECT_EQ(QApplication::focusWidget(), window.TbRelatorios().Widget());
        EXPECT_EQ(window.CodAplicacaoAtual(), "R001");
        Press(Qt::Key_Return);
        Click(&Inicio::BtnCriterio);
        EXPECT_TRUE(QueryWindow().IsLoaded());
        return QueryWindow();
    }

    // Whether a run wrote the run query `name` into the store.
    bool RunQueryWritten(const std::string& name) const {
        try {
            QuerySql(name);
            return true;
        } catch (const win::RuntimeError&) {
            return false;
        }
    }

    // A search typed into the catalogue window's field and Enter.
    void SearchByKeys(const std::string& text) {
        Activate(*window_);
        Click(&Inicio::BtnProcurar);
        SetHostedText(window_->ZmProcura(), "");
        ASSERT_EQ(QApplication::focusWidget(), window_->ZmProcura()->Widget());
        Type(text);
        Press(Qt::Key_Return);
    }

    // Steps a list's selection by Down from its top (Home) until it shows `text`.
    static void ChooseByKeys(forms::ComboBox& box, const std::string& text) {
        ASSERT_EQ(QApplication::focusWidget(), box.Widget());
        Press(Qt::Key_Home);
        for (int i = 0; i < box.ListCount() && box.Text() != text; ++i) Press(Qt::Key_Down);
        ASSERT_EQ(box.Text(), text);
    }

    // One condition composed by keys: the field list reached by a click on the value and two
    // Shift+Tab when it lacks the focus, the field and the operator chosen with Down, Tab to the
    // value, the value typed; then a click on the And or the Or button.
    static void ConditionByKeys(FQuery& q, const std::string& field, const std::string& op, const std::string& value,
                                bool andButton) {
        if (QApplication::focusWidget() != q.cField().Widget()) {
            QTest::mouseClick(q.cValue().Widget(), Qt::LeftButton);
            Press(Qt::Key_Backtab);
            Press(Qt::Key_Backtab);
        }
        ASSERT_EQ(QApplication::focusWidget(), q.cField().Widget());
        ChooseByKeys(q.cField(), field);
        Press(Qt::Key_Tab);
        ChooseByKeys(q.cOperator(), op);
        Press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), q.cValue().Widget());
        Type(value);
        QTest::mouseClick((andButton ? q.ANDButton() : q.ORButton()).Widget(), Qt::LeftButton);
        QApplication::processEvents();
    }

    // Makes the grid row whose name is `nome` current.
    void PickSaved(FQuery& q, const std::string& nome) {
        for (int row = 0; row < q.Table1().RowCount(); ++row) {
            if (q.Table1().CellText(row, 1) != nome) continue;
            q.Table1().SetRow(row);
            return;
        }
        FAIL() << nome << " is not listed";
    }
};

TEST_F(FQueryTest, OpensWithTheReportsFieldsAndOperators) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    EXPECT_EQ(q.Caption(), "Critério de Seleção");
    ASSERT_GT(q.cField().ListCount(), 10);
    // The report's tables in the order of Selecionar's index: Itens Venda, then Venda.
    EXPECT_EQ(q.cField().List(0).rfind("[Itens Venda].[", 0), 0u) << q.cField().List(0);
    EXPECT_EQ(q.cField().List(q.cField().ListCount() - 1).rfind("[Venda].[", 0), 0u);
    EXPECT_EQ(q.cOrderByField().ListCount(), q.cField().ListCount() + 1);
    EXPECT_EQ(q.cOrderByField().List(0), "");
    std::vector<std::string> operators;
    for (int i = 0; i < q.cOperator().ListCount(); ++i) operators.push_back(q.cOperator().List(i));
    EXPECT_EQ(operators, (std::vector<std::string>{"=", "<>", ">", ">=", "<", "<=", "Like"}));
    EXPECT_EQ(q.cOperator().Text(), "=");
    EXPECT_EQ(q.cCriteria().Text(), "");
    // Grid mode: the report's three saved criteria, newest first.
    EXPECT_TRUE(q.Table1().Visible());
    EXPECT_FALSE(q.txtCriterio().Visible());
    ASSERT_EQ(q.Table1().RowCount(), 3);
    EXPECT_EQ(q.Table1().CellText(0, 1), "ACIMA DE 300");
    EXPECT_TRUE(q.Table1().HasFocus());
    // Focus colours: the fields their back, the buttons their caption.
    q.cField().SetFocus();
    EXPECT_EQ(q.cField().BackColor(), 0xC0C0FFu);
    q.CloseButton().SetFocus();
    EXPECT_EQ(q.cField().BackColor(), 0xFFFFFFu);
    EXPECT_EQ(q.CloseButton().ForeColor(), 0xC0u);
    q.cCriteria().SetFocus();
    EXPECT_EQ(q.CloseButton().ForeColor(), 0u);
    EXPECT_EQ(q.cCriteria().BackColor(), 0xC0C0FFu);
}

TEST_F(FQueryTest, ConditionsOfEachKindAndTheirMessages) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    Add(q, "[Venda].[Vendedor]", "=", "01");
    Add(q, "[Venda].[Maquina]", "Like", "caixa");
    Add(q, "[Venda].[Data Venda]", ">=", "2/3/2000");
    Add(q, "[Venda].[Data Venda]", "<", "02/03/2000 10:00", false);
    Add(q, "[Venda].[Total Venda]", ">", "12,5");
    EXPECT_EQ(q.cCriteria().Text(),
              "[Venda].[Vendedor] = '01'\r\nAnd [Venda].[Maquina] Like '*CAIXA*'\r\nAnd [Venda].[Data Venda] >= "
              "CDate(Format(\"2/3/2000\",\"D/M/YYYY\"))\r\n Or [Venda].[Data Venda] < CDate(\"02/03/2000 10:00:00\")\r\nAnd "
              "[Venda].[Total Venda] > 12.5");
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_TRUE(q.cField().HasFocus());

    q.ClearButton_Click();
    Add(q, "[Venda].[Total Venda]", "=", " ");
    EXPECT_EQ(LastMessage(), "Conteúdo inválido !");
    EXPECT_EQ(boxes_.shown.back().title, "Mensagem");
    EXPECT_EQ(boxes_.shown.back().style, forms::mb::Exclamation);
    EXPECT_TRUE(q.cValue().HasFocus());
    EXPECT_EQ(q.cCriteria().Text(), "");
    Add(q, "[Venda].[Total Venda]", "=", "", false);
    EXPECT_EQ(LastMessage(), "Conteúdo inválido !");
    EXPECT_EQ(q.cCriteria().Text(), "");
    q.ClearButton_Click();
    const std::size_t shown = boxes_.shown.size();
    Add(q, "[Venda].[Data Venda]", "=", "31/02/2000");
    Add(q, "[Venda].[Data Venda]", "=", "ontem", false);
    ASSERT_EQ(boxes_.shown.size(), shown + 2);
    EXPECT_EQ(boxes_.shown[shown].text, "Data Inválida !");
    EXPECT_EQ(boxes_.shown[shown + 1].text, "Data Inválida !");
    EXPECT_EQ(q.cCriteria().Text(), "");
    // Nothing without a field.
    q.cField().SetListIndex(-1);
    q.cValue().SetText("5");
    q.ANDButton_Click();
    EXPECT_EQ(q.cCriteria().Text(), "");
}

// Values typed into the builder as a user types them: each one the builder takes runs the report
// narrowed to the sales it means (dates with dots, a text condition before a date with a time,
// a currency amount grouped by '.'), each other one is refused with the builder's message.
TEST_F(FQueryTest, TypedValuesRunTheReportTheyMeanOrAreRefused) {
    struct Condition {
        const char* field;
        const char* op;
        const char* value;
        bool andButton;
    };
    struct Row {
        std::vector<Condition> conditions;
        const char* message;   // the builder's refusal of the last condition; nullptr = taken
        const char* where;     // the sales the user means, written by hand
    };
    const char* data = "[Venda].[Data Venda]";
    const char* total = "[Venda].[Total Venda]";
    const std::vector<Row> rows = {
        {{{data, "=", "02.03.2000", true}}, nullptr, "[Data Venda] = #3/2/2000#"},
        {{{data, ">=", "15.03.2000", true}}, nullptr, "[Data Venda] >= #3/15/2000#"},
        {{{"[Venda].[Vendedor]", "=", "01", true}, {data, "<", "02.03.2000 10:00", true}},
         nullptr, "Vendedor = '01' And [Data Venda] < #3/2/2000 10:00#"},
        {{{"[Venda].[Vendedor]", "=", "02", true}, {data, ">", "2/3/2000 10:00", false}},
         nullptr, "Vendedor = '02' Or [Data Venda] > #3/2/2000 10:00#"},
        {{{total, ">", "1.500", true}}, nullptr, "[Total Venda] > 1500"},
        {{{total, "<=", "1.500,50", true}}, nullptr, "[Total Venda] <= 1500.5"},
        {{{total, ">", "1.5", true}}, "Conteúdo inválido !", nullptr},
        {{{total, ">", "abc", false}}, "Conteúdo inválido !", nullptr},
        {{{data, "=", "15.13.2000", true}}, "Data Inválida !", nullptr},
    };
    for (const Row& row : rows) {
        const std::string label = row.conditions.back().value;
        SCOPED_TRACE(label);
        FQuery& q = OpenBuilderByKeys();
        Activate(q);
        for (const Condition& c : row.conditions) ConditionByKeys(q, c.field, c.op, c.value, c.andButton);
        if (row.message) {
            ASSERT_EQ(boxes_.shown.size(), 1u);
            EXPECT_EQ(boxes_.shown[0].text, row.message);
            EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
            EXPECT_EQ(QApplication::focusWidget(), q.cValue().Widget());
            EXPECT_EQ(q.cCriteria().Text(), "");
            q.Drop();
        } else {
            EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;
            QTest::mouseClick(q.RunQueryButton().Widget(), Qt::LeftButton);
            QApplication::processEvents();
            EXPECT_FALSE(q.IsLoaded());
            EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;
            EXPECT_EQ(ErrorLog(), "");
            EXPECT_FALSE(forms::App().EndRequested());
            ASSERT_NE(Preview(), nullptr);
            const long expected =
                CountOf("F:\\LOJA01\\Produto.MDB", std::string("SELECT Count(*) FROM Venda WHERE ") + row.where);
            EXPECT_GT(expected, 0) << row.where;
            EXPECT_EQ(CountOf("F:\\LOJA01\\Produto.MDB", "SELECT Count(*) FROM Relato001"), expected) << TextoCriterio;
        }
        boxes_.shown.clear();
        window_->Drop();
        window_.reset();
        FecharBDLoja();
        ResetReportState();
        ResetProgramState();
    }
}

TEST_F(FQueryTest, PossibleValuesListTheFieldsValuesUntilAnotherFieldIsChosen) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    q.cField().SetText("[Venda].[Vendedor]");
    q.GetValuesButton_Click();
    ASSERT_EQ(q.cValue().ListCount(), 5);
    EXPECT_EQ(q.cValue().Text(), q.cValue().List(0));
    EXPECT_TRUE(q.cValue().HasFocus());
    q.GetValuesButton_Click();   // the list is not emptied first
    EXPECT_EQ(q.cValue().ListCount(), 10);
    q.cField().SetText("[Venda].[Total Venda]");
    q.cField_Click();
    EXPECT_EQ(q.cValue().ListCount(), 0);
    // A currency value comes as "12,5" and goes into the condition as 12.5.
    q.GetValuesButton_Click();
    ASSERT_GT(q.cValue().ListCount(), 0);
    const std::string value = q.cValue().List(0);
    q.ANDButton_Click();
    EXPECT_EQ(q.cCriteria().Text(), "[Venda].[Total Venda] = " + NumberLiteral(value));
}

// The hand-back: E&xecutar unloads the builder, and the catalogue window, active again, runs the
// report narrowed by the criterion, dates read day-first.
TEST_F(FQueryTest, ExecutarHandsBackTheCriterionAndTheReportRunsNarrowed) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    Add(q, "[Venda].[Data Venda]", "=", "2/3/2000");
    Add(q, "[Venda].[Vendedor]", "=", "01", false);
    q.RunQueryButton_Click();
    EXPECT_FALSE(q.IsLoaded());
    EXPECT_EQ(TextoCriterio, " Where ([Venda].[Data Venda]=CDate(Format(\"2/3/2000\",\"D/M/YYYY\")) Or [Venda].[Vendedor]='01')");
    EXPECT_EQ(RetornoCriterio, "S");
    window_->RouteActivate();
    EXPECT_EQ(RetornoCriterio, "N");
    ASSERT_NE(Preview(), nullptr);
    EXPECT_NE(QuerySql("Relato001").find(TextoCriterio), std::string::npos);
    const long expected = CountOf("F:\\LOJA01\\Produto.MDB",
                                  "SELECT Count(*) FROM Venda WHERE [Data Venda] = #3/2/2000# Or Vendedor = '01'");
    EXPECT_GT(expected, 0);
    EXPECT_EQ(CountOf("F:\\LOJA01\\Produto.MDB", "SELECT Count(*) FROM Relato001"), expected);
}

// The builder opened for R001 hands its criterion back after a search left only R006 in the
// catalogue: R001 runs with it (the catalogue listed whole again), never R006. When the catalogue
// no longer holds R001 at all, the hand-back is refused with a message and nothing runs.
TEST_F(FQueryTest, TheHandBackRunsTheBuildersReportWhateverTheSearchLeftListed) {
    struct Row {
        const char* what;
        bool r001Deleted;
    };
    for (const Row& row : {Row{"listed again", false}, Row{"deleted meanwhile", true}}) {
        SCOPED_TRACE(row.what);
        FQuery& q = OpenBuilderByKeys();
        Activate(q);
        QTest::mouseClick(q.cCriteria().Widget(), Qt::LeftButton);
        ASSERT_EQ(QApplication::focusWidget(), q.cCriteria().Widget());
        Type("[Venda].[Total Venda] > 300");
        SearchByKeys("Vendas por Vendedor");
        ASSERT_EQ(Codes(), std::vector<std::string>{"R006"});
        if (row.r001Deleted) OpenStore("F:\\LOJA01\\Bd2.MDB").Execute("DELETE FROM Aplicacao WHERE CodAplicacao = 'R001'");
        Activate(q);
        QTest::mouseClick(q.RunQueryButton().Widget(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_FALSE(q.IsLoaded());
        EXPECT_EQ(RetornoCriterio, "N");
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_FALSE(RunQueryWritten("Relato006")) << "R006 ran";
        if (row.r001Deleted) {
            ASSERT_EQ(boxes_.shown.size(), 1u);
            EXPECT_EQ(boxes_.shown[0].text, "O Relatório do Critério Não Está na Lista !");
            EXPECT_EQ(Preview(), nullptr);
            EXPECT_EQ(TextoCriterio, "");
        } else {
            EXPECT_EQ(boxes_.shown.size(), 0u);
            EXPECT_EQ(window_->CodAplicacaoAtual(), "R001");
            EXPECT_EQ(Codes().size(), 6u);
            ASSERT_NE(Preview(), nullptr);
            EXPECT_NE(QuerySql("Relato001").find("[Venda].[Total Venda]>300"), std::string::npos);
        }
        window_->Drop();
        window_.reset();
        FecharBDLoja();
        ResetReportState();
        ResetProgramState();
    }
}

// Each criterion the chain saved for R001, taken in the builder by keys (Down to its row, Enter),
// runs the report narrowed to the sales it names, without a message.
TEST_F(FQueryTest, EverySavedCriterionOfTheChainNarrowsItsReport) {
    struct Row {
        const char* nome;
        const char* sales;   // the same sales, as a condition on table Venda
    };
    const std::vector<Row> rows = {
        {"CONCLUIDAS", "Concluido = 'S'"},
        {"VENDAS DE ABRIL", "[Data Venda] >= #4/1/2000# And [Data Venda] < #5/1/2000#"},
        {"ACIMA DE 300", "[Total Venda] > 300"},
    };
    const long whole = CountOf("F:\\LOJA01\\Produto.MDB", "SELECT Count(*) FROM Vendas001");
    for (const Row& saved : rows) {
        SCOPED_TRACE(saved.nome);
        boxes_.shown.clear();
        FQuery& q = OpenBuilderByKeys();
        Activate(q);
        ASSERT_EQ(QApplication::focusWidget(), q.Table1().Widget());
        int row = 0;
        while (row < q.Table1().RowCount() && q.Table1().CellText(row, 1) != saved.nome) ++row;
        ASSERT_LT(row, q.Table1().RowCount());
        for (int i = 0; i < row; ++i) Press(Qt::Key_Down);
        ASSERT_EQ(q.Table1().Row(), row);
        Press(Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_FALSE(q.IsLoaded());
        EXPECT_EQ(NomeCriterio, saved.nome);
        EXPECT_EQ(boxes_.shown.size(), 0u) << (boxes_.shown.empty() ? "" : boxes_.shown[0].text);
        ASSERT_NE(Preview(), nullptr);
        const long narrowed = CountOf("F:\\LOJA01\\Produto.MDB", "SELECT Count(*) FROM Relato001");
        EXPECT_EQ(narrowed, CountOf("F:\\LOJA01\\Produto.MDB", std::string("SELECT Count(*) FROM Venda WHERE ") + saved.sales));
        EXPECT_GT(narrowed, 0);
        EXPECT_LT(narrowed, whole);
        window_->Drop();
        window_.reset();
        FecharBDLoja();
        ResetReportState();
        ResetProgramState();
    }
}

TEST_F(FQueryTest, AnEmptyCriterionReturnsTheWholeReport) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    q.RunQueryButton_Click();
    EXPECT_EQ(TextoCriterio, "");
    EXPECT_EQ(RetornoCriterio, "S");
    EXPECT_FALSE(q.IsLoaded());
}

TEST_F(FQueryTest, MostraSqlShowsTheTextAndKeepsTheWindow) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    Add(q, "[Venda].[Vendedor]", "Like", "0");
    q.ShowSQLButton_Click();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, " Where ([Venda].[Vendedor] Like '*0*')");
    EXPECT_EQ(boxes_.shown[0].title, "SQL Query");
    EXPECT_EQ(boxes_.shown[0].style, forms::mb::OkOnly);
    EXPECT_TRUE(q.IsLoaded());
    EXPECT_EQ(RetornoCriterio, "N");
    EXPECT_EQ(TextoCriterio, " Where ([Venda].[Vendedor] Like '*0*')");
}

// The composed conditions stay editable, but a second statement, a comment or another file never
// runs: the criterion message, and the builder stays.
TEST_F(FQueryTest, AnEditedCriterionThatIsMoreThanOneConditionIsRefused) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[Venda].[Vendedor] = '01'; DELETE FROM Venda", "Mais de uma instrução no critério"},
        {"[Venda].[Vendedor] = '01' -- x", "Comentário no critério"},
        {"[Venda].[Vendedor] IN (SELECT Vendedor FROM Venda IN 'C:\\OUTRA\\X.MDB')", "Arquivo externo no critério"},
    };
    for (const auto& [typed, reason] : cases) {
        q.cCriteria().SetText(typed);
        q.RunQueryButton_Click();
        EXPECT_EQ(LastMessage(), "Ocorreu um Erro na montagem do Critério:\rCritério Inválido !!!\r\rErro: " + reason);
        EXPECT_TRUE(q.IsLoaded());
        EXPECT_EQ(RetornoCriterio, "N");
        EXPECT_EQ(TextoCriterio, "");
    }
    // The catalogue window refuses such a text too, before anything runs.
    q.CloseButton_Click();
    TextoCriterio = " Where ([Venda].[Vendedor]='01'); DELETE FROM Venda";
    window_->BtnImprimir_Click();
    EXPECT_EQ(LastMessage(), "Ocorreu um Erro na montagem do Critério:\rCritério Inválido !!!\r\rErro: Mais de uma instrução no critério");
    EXPECT_EQ(Preview(), nullptr);
    EXPECT_GT(CountOf("F:\\LOJA01\\Produto.MDB", "SELECT Count(*) FROM Venda"), 0);
}

TEST_F(FQueryTest, RightsGuardRunningAndCataloguing) {
    FQuery& q = OpenBuilder(kCaixa, "R001");
    Add(q, "[Venda].[Vendedor]", "=", "01");
    PickSaved(q, "CONCLUIDAS");
    q.BtnAlterar_Click();   // CAIXA may not change criteria
    EXPECT_NE(LastMessage().find("Alteração Não Autorizada !"), std::string::npos);
    EXPECT_TRUE(q.Table1().Visible());
    q.BtnExcluir_Click();
    EXPECT_NE(LastMessage().find("Exclusão Não Autorizada !"), std::string::npos);
    EXPECT_EQ(Saved("R001").size(), 3u);
    q.RunQueryButton_Click();   // but may run and catalogue
    EXPECT_EQ(RetornoCriterio, "S");
}

TEST_F(FQueryTest, CatalogarThenGravarSavesANumberedUpperCasedCriterion) {
    // The row carries the day it was saved on.
    win::OffsetClock clock;
    clock.Freeze({2026, 12, 9, 10, 0, 0});
    win::InstallClock(&clock);
    const std::shared_ptr<void> restoreClock(nullptr, [](void*) { win::InstallClock(nullptr); });
    FQuery& q = OpenBuilder(kGerente, "R001");
    Add(q, "[Venda].[Vendedor]", "=", "01");
    q.CopySQLButton_Click();
    EXPECT_FALSE(q.Table1().Visible());
    EXPECT_TRUE(q.txtCriterio().Visible());
    EXPECT_FALSE(q.FrameSuperior().Enabled());
    EXPECT_EQ(q.txtCriterio().Text(), " Where ([Venda].[Vendedor]='01')");
    EXPECT_EQ(forms::HostedText(q.ZmNome()), "");
    EXPECT_FALSE(q.AlterandoCriterio());
    // Consistir: a name of blanks, then no text.
    forms::SetHostedText(q.ZmNome(), " ");
    q.BtnGravar_Click();
    EXPECT_EQ(LastMessage(), "Informe o nome do Critério!");
    EXPECT_FALSE(q.Consistente());
    forms::SetHostedText(q.ZmNome(), "só o vendedor um");
    const std::string text = q.txtCriterio().Text();
    q.txtCriterio().SetText(" ");
    q.BtnGravar_Click();
    EXPECT_EQ(LastMessage(), "Não há Critério de Seleção !");
    EXPECT_TRUE(q.txtCriterio().Visible());
    q.txtCriterio().SetText(text + "; DROP TABLE Venda");
    q.BtnGravar_Click();
    EXPECT_NE(LastMessage().find("Mais de uma instrução no critério"), std::string::npos);
    q.txtCriterio().SetText(text);
    q.BtnGravar_Click();
    EXPECT_TRUE(q.Consistente());
    EXPECT_EQ(Saved("R001"), (std::vector<std::string>{"1 VENDAS DE ABRIL", "2 CONCLUIDAS", "3 ACIMA DE 300", "4 SÓ O VENDEDOR UM"}));
    EXPECT_TRUE(q.Table1().Visible());
    EXPECT_TRUE(q.FrameSuperior().Enabled());
    EXPECT_TRUE(q.cCriteria().HasFocus());
    ASSERT_EQ(q.Table1().RowCount(), 4);
    EXPECT_EQ(q.Table1().CellText(0, 1), "SÓ O VENDEDOR UM");
    EXPECT_EQ(q.Table1().CellText(0, 0), win::FormatDate(forms::Today(), "dd/mm/yyyy"));   // saved today
}

// The name can be no longer than the table's field: a long one is cut, never a failed save.
TEST_F(FQueryTest, ALongNameIsCutToTheFieldsSize) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    Add(q, "[Venda].[Vendedor]", "=", "01");
    q.CopySQLButton_Click();
    forms::SetHostedText(q.ZmNome(), std::string(60, 'n'));
    q.BtnGravar_Click();
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_EQ(Saved("R001").back(), "4 " + std::string(50, 'N'));
}

// The numbering looks at the report's largest number only: the first of a report is 1, and a
// report past 999 goes on counting.
TEST_F(FQueryTest, NumberingFollowsTheReportsLargestNumber) {
    {
        dao::Database bd2 = OpenStore("F:\\LOJA01\\BD2.MDB");
        bd2.Execute("INSERT INTO Criterio (Relatorio, Sequencia, Nome, CRITERIO) VALUES ('R001', 1000, 'MIL', ' Where (1=1)')");
        bd2.Execute("INSERT INTO Criterio (Relatorio, Sequencia, Nome, CRITERIO) VALUES ('R0019', 5, 'OUTRO', ' Where (1=1)')");
    }
    FQuery& q = OpenBuilder(kGerente, "R001");
    for (const char* name : {"a", "b"}) {
        q.CopySQLButton_Click();
        forms::SetHostedText(q.ZmNome(), name);
        q.txtCriterio().SetText(" Where ([Venda].[Vendedor]='01')");
        q.BtnGravar_Click();
    }
    const std::vector<std::string> saved = Saved("R001");
    ASSERT_EQ(saved.size(), 6u);
    EXPECT_EQ(saved[4], "1001 A");
    EXPECT_EQ(saved[5], "1002 B");
    q.CloseButton_Click();
    window_->BtnCancelar_Click();
    Pick("R006");
    FQuery& other = (window_->BtnCriterio_Click(), QueryWindow());
    other.CopySQLButton_Click();
    forms::SetHostedText(other.ZmNome(), "primeiro");
    other.txtCriterio().SetText(" Where ([Venda].[Vendedor]='02')");
    other.BtnGravar_Click();
    EXPECT_EQ(Saved("R006"), (std::vector<std::string>{"1 PRIMEIRO"}));
}

TEST_F(FQueryTest, AlterarRewritesNameAndTextKeepingNumberAndDate) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    PickSaved(q, "CONCLUIDAS");
    q.BtnAlterar_Click();
    EXPECT_TRUE(q.AlterandoCriterio());
    EXPECT_EQ(forms::HostedText(q.ZmNome()), "CONCLUIDAS");
    EXPECT_EQ(q.txtCriterio().Text(), " Where ([Venda].[Concluido]='S')");
    // Cancelar leaves the edit without saving.
    Key(q, forms::key::Escape);
    EXPECT_TRUE(q.Table1().Visible());
    PickSaved(q, "CONCLUIDAS");
    q.BtnAlterar_Click();
    forms::SetHostedText(q.ZmNome(), "pendentes");
    q.txtCriterio().SetText(" Where ([Venda].[Concluido]='N')");
    Key(q, forms::key::PageDown);
    EXPECT_FALSE(q.AlterandoCriterio());
    EXPECT_EQ(Saved("R001"), (std::vector<std::string>{"1 VENDAS DE ABRIL", "2 PENDENTES", "3 ACIMA DE 300"}));
    EXPECT_EQ(CountOf("F:\\LOJA01\\BD2.MDB",
                      "SELECT Count(*) FROM Criterio WHERE Sequencia = 2 AND DataCriacao = #6/1/2000# AND "
                      "CRITERIO = ' Where ([Venda].[Concluido]=''N'')'"),
              1);
}

TEST_F(FQueryTest, ExcluirAsksFirstAndTheNoCurrentRowMessages) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    PickSaved(q, "VENDAS DE ABRIL");
    boxes_.answers = {forms::mb::No};
    q.BtnExcluir_Click();
    EXPECT_EQ(boxes_.shown.back().text, "Deseja Excluir este Registro");
    EXPECT_EQ(boxes_.shown.back().style, forms::mb::YesNo + forms::mb::Question);
    EXPECT_EQ(Saved("R001").size(), 3u);
    boxes_.answers = {forms::mb::Yes};
    int deleteKey = forms::key::Delete;
    q.Table1().KeyUp(deleteKey, 0);
    EXPECT_EQ(Saved("R001"), (std::vector<std::string>{"2 CONCLUIDAS", "3 ACIMA DE 300"}));
    EXPECT_EQ(q.Table1().RowCount(), 2);
    // Rows, but none chosen.
    q.Table1().SetRow(-1);
    q.BtnAlterar_Click();
    EXPECT_EQ(LastMessage(), "Click em um Critério da Tabela");
    q.BtnExcluir_Click();
    EXPECT_EQ(LastMessage(), "Click em um Critério da Tabela");
    EXPECT_EQ(Saved("R001").size(), 2u);
    q.Table1_DblClick();   // silently nothing
    EXPECT_TRUE(q.IsLoaded());
    // A row deleted behind the grid: nothing is asked and nothing else is deleted.
    q.Table1().SetRow(0);
    OpenStore("F:\\LOJA01\\BD2.MDB").Execute("DELETE FROM Criterio WHERE Relatorio = 'R001' AND Sequencia = 3");
    const std::size_t shown = boxes_.shown.size();
    boxes_.answers = {forms::mb::Yes};
    q.BtnExcluir_Click();
    EXPECT_EQ(boxes_.shown.size(), shown);
    EXPECT_EQ(Saved("R001"), (std::vector<std::string>{"2 CONCLUIDAS"}));
}

// The field comes from the list only; a field or table the store lost since the window opened is
// reported and adds nothing, and its values list stays empty.
TEST_F(FQueryTest, FieldsOutsideTheListOrLostFromTheStore) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    EXPECT_EQ(ErrorNumberOf([&] { q.cField().SetText("[Venda].[Vendedor] = '01' Or 1"); }), 383);
    q.cField().SetText("[Itens Venda].[Cor]");
    OpenStore("F:\\LOJA01\\Produto.MDB").Execute("DROP TABLE [Itens Venda]");
    q.cValue().SetText("01");
    q.ANDButton_Click();
    EXPECT_EQ(q.cCriteria().Text(), "");
    EXPECT_NE(ErrorLog().find("Tela -> Query ANDButton"), std::string::npos) << ErrorLog();
    q.GetValuesButton_Click();
    EXPECT_EQ(q.cValue().Text(), "");
    EXPECT_EQ(q.cValue().ListCount(), 0);
}

// Executar opens the base statement with the criterion; a failure is reported and the data-folder
// set is closed.
// A save the store refuses: the one report under Query BtnGravar, in the box and in ERRO.TXT, then
// the criteria table and the data-folder set closed, and nothing saved.
TEST_F(FQueryTest, ASaveTheStoreRefusesIsReportedOnceAndClosesTheDataSet) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    Add(q, "[Venda].[Vendedor]", "=", "01");
    QTest::mouseClick(q.CopySQLButton().Widget(), Qt::LeftButton);
    forms::SetHostedText(q.ZmNome(), "recusado");
    const std::size_t before = boxes_.shown.size();
    dao::InjectFault(3260, "Update", "F:\\LOJA01\\BD2.MDB");
    QTest::mouseClick(q.BtnGravar().Widget(), Qt::LeftButton);
    QApplication::processEvents();
    dao::ClearFaults();
    ASSERT_EQ(boxes_.shown.size(), before + 1);
    EXPECT_TRUE(LastMessage().starts_with("Ocorreu um Erro de Sistema !")) << LastMessage();
    EXPECT_TRUE(LastMessage().ends_with("Tela     -> Query\r\nRotina -> BtnGravar")) << LastMessage();
    const std::string log = ErrorLog();
    EXPECT_NE(log.find("Nro.: 3260 Tela -> Query BtnGravar"), std::string::npos) << log;
    EXPECT_EQ(log.find("Tela ->", log.find("Tela ->") + 1), std::string::npos) << "one report: " << log;
    EXPECT_FALSE(BancoProdutoLoja.IsOpen());
    EXPECT_FALSE(BancoBD2Loja.IsOpen());
    EXPECT_EQ(Saved("R001"), (std::vector<std::string>{"1 VENDAS DE ABRIL", "2 CONCLUIDAS", "3 ACIMA DE 300"}));
}

TEST_F(FQueryTest, ExecutarOpensTheStatementOrReportsAndCloses) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    SQLBase = "SELECT * FROM Venda";
    TextoCriterio = " Where ([Venda].[Vendedor]='01')";
    q.Executar();
    EXPECT_EQ(ErrorLog(), "");
    TextoCriterio = " Where ([Venda].[Nada]=1)";
    q.Executar();
    EXPECT_NE(ErrorLog().find("Tela -> Relato99 Executar"), std::string::npos) << ErrorLog();
    EXPECT_FALSE(BancoBD2Loja.IsOpen());
}

TEST_F(FQueryTest, AReportWithoutCriteriaSaysSo) {
    FQuery& q = OpenBuilder(kGerente, "R006");
    EXPECT_EQ(q.Table1().RowCount(), 0);
    q.BtnAlterar_Click();
    EXPECT_EQ(LastMessage(), "Não Existem Critérios Cadastrados !");
    EXPECT_EQ(boxes_.shown.back().title, "Mensagem");
    q.BtnExcluir_Click();
    EXPECT_EQ(LastMessage(), "Não Existem Critérios Cadastrados !");
}

// F12 on the builder's grid by a real key: the calculator starts; with none installed the user
// reads so, and the builder, its criterion and the program go on without an error report.
TEST_F(FQueryTest, F12WithoutACalculatorSaysSoAndTheBuilderGoesOn) {
    for (const bool installed : {true, false}) {
        SCOPED_TRACE(installed ? "installed" : "missing");
        forms::RecordingProgramStarter starter;
        starter.installed = installed;
        forms::InstallProgramStarter(&starter);
        FQuery& q = OpenBuilderByKeys();
        Activate(q);
        ASSERT_EQ(QApplication::focusWidget(), q.Table1().Widget());
        Press(Qt::Key_F12);
        EXPECT_EQ(starter.started.size(), installed ? 1u : 0u);
        if (installed) {
            EXPECT_TRUE(boxes_.shown.empty());
        } else {
            ASSERT_EQ(boxes_.shown.size(), 1u);
            EXPECT_EQ(boxes_.shown[0].text, "A Calculadora Não Pôde Ser Aberta !\r\rNúmero: 53\rErro: File not found");
            EXPECT_EQ(boxes_.shown[0].style, forms::mb::Exclamation);
            EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
        }
        EXPECT_TRUE(q.IsLoaded());
        EXPECT_TRUE(q.Table1().Visible());
        EXPECT_FALSE(forms::App().EndRequested());
        EXPECT_TRUE(BancoProdutoLoja.IsOpen());
        EXPECT_EQ(ErrorLog(), "");
        forms::InstallProgramStarter(nullptr);
        q.Unload();
        window_->Drop();
        boxes_.shown.clear();
    }
}

TEST_F(FQueryTest, KeysOfTheWindow) {
    forms::RecordingProgramStarter starter;
    forms::InstallProgramStarter(&starter);
    FQuery& q = OpenBuilder(kGerente, "R001");
    Key(q, forms::key::F12);
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0], (std::pair<std::string, int>{"calc.exe", 1}));
    Key(q, forms::key::PageDown);   // grid mode: nothing to save
    EXPECT_TRUE(boxes_.shown.empty());
    q.CopySQLButton_Click();
    int enter = forms::key::Return;
    q.ZmNome()->KeyUp(enter, 0);
    EXPECT_TRUE(q.txtCriterio().HasFocus());
    Key(q, forms::key::Escape);   // edit mode: back to the grid
    EXPECT_TRUE(q.IsLoaded());
    EXPECT_TRUE(q.Table1().Visible());
    Key(q, forms::key::Escape);   // grid mode: the window closes
    EXPECT_FALSE(q.IsLoaded());
    EXPECT_EQ(RetornoCriterio, "N");
}

// Closing the catalogue window closes the builder first, before the store's databases go.
TEST_F(FQueryTest, ClosingTheCatalogueClosesTheBuilder) {
    FQuery& q = OpenBuilder(kGerente, "R001");
    Add(q, "[Venda].[Vendedor]", "=", "01");
    window_->BtnSair_Click();
    EXPECT_FALSE(q.IsLoaded());
    EXPECT_FALSE(window_->IsLoaded());
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_EQ(RetornoCriterio, "N");
}

// From the catalogue window: build a criterion, preview the narrowed report, save the criterion,
// and take it again after the program has started anew.
TEST_F(FQueryTest, BuildPreviewSaveAndTakeAgainAfterARestart) {
    FQuery& q = OpenBuilder(kCaixa, "R001");
    Add(q, "[Venda].[Vendedor]", "=", "03");
    q.ShowSQLButton_Click();
    q.CopySQLButton_Click();
    forms::SetHostedText(q.ZmNome(), "vendedor três");
    q.BtnGravar_Click();
    q.RunQueryButton_Click();
    window_->RouteActivate();
    ASSERT_NE(Preview(), nullptr);
    const long three = CountOf("F:\\LOJA01\\Produto.MDB", "SELECT Count(*) FROM Venda WHERE Vendedor = '03'");
    EXPECT_EQ(CountOf("F:\\LOJA01\\Produto.MDB", "SELECT Count(*) FROM Relato001"), three);
    window_->BtnFim_Click();
    // A new start: every window and connection goes, the store opens again.
    window_->Drop();
    window_.reset();
    FecharBDLoja();
    ResetReportState();
    FQuery& again = OpenBuilder(kCaixa, "R001");
    PickSaved(again, "VENDEDOR TRÊS");
    again.Table1_DblClick();
    EXPECT_FALSE(again.IsLoaded());
    EXPECT_EQ(NomeCriterio, "VENDEDOR TRÊS");
    EXPECT_EQ(TextoCriterio, " Where ([Venda].[Vendedor]='03')");
    window_->RouteActivate();
    ASSERT_NE(Preview(), nullptr);
    EXPECT_EQ(CountOf("F:\\LOJA01\\Produto.MDB", "SELECT Count(*) FROM Relato001"), three);
    // The catalogue window's own criterion choice lists it too.
    window_->BtnFim_Click();
    window_->BtnSelecionar_Click();
    EXPECT_EQ(window_->TbCriterio().RowCount(), 4);
    EXPECT_EQ(window_->TbCriterio().CellText(0, 0), "VENDEDOR TRÊS");
}

}  // namespace
}  // namespace report::reports::testing
