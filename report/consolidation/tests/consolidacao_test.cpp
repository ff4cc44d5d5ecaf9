// The consolidation window over the sample chain, logged in to F:\LOJA01, whose table Loja lists
// 01 (F:), 04 (LocalLojas Null), 02 (F:), 05 (unmapped drive G:), 03 (absent from F:, present on
// C:): the list's order and folders, the caption, the marks, the start and cancel steps.
#include "report/consolidation/consolidacao.h"

#include <QWidget>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/threed.h"
#include "platform/dao/errors.h"
#include "platform/forms/hosted.h"
#include "platform/win/cp1252.h"
#include "report/consolidation/tests/support/consolidation_fixture.h"
#include "report/core/connections.h"
#include "report/core/windows.h"

namespace report::consolidation {
namespace {

using testing::ChainTest;

class ConsolidacaoTest : public ChainTest {
protected:
    ConsolidacaoTest() {
        forms::InstallProgramStarter(&starter_);
        SetConsolidationRun([this](Consolidacao& window) {
            ++runs_;
            runFilter_ = window.FiltraPeriodo;
        });
    }
    ~ConsolidacaoTest() override {
        if (window_ && window_->IsLoaded()) window_->Drop();
        window_.reset();
        SetConsolidationRun(nullptr);
        ResetWindowHooks();
        forms::InstallProgramStarter(nullptr);
    }

    Consolidacao& Open() {
        PastaDados = "F:\\LOJA01";
        AbrirBDLoja();
        window_ = std::make_unique<Consolidacao>();
        window_->Show();
        return *window_;
    }

    // Column `column` of every row of the array, top to bottom.
    std::vector<std::string> Column(int column) const {
        std::vector<std::string> cells;
        for (long row = 1; row <= window_->TotalLojas; ++row) {
            cells.push_back(window_->GradeLojas->Value(row, column).AsStr().ToUtf8());
        }
        return cells;
    }

    // The user sets a row's mark in the grid (0-based view row), then the grid's notification.
    void SetMark(int viewRow, const char* mark) {
        window_->Table1().SetCurrentCell(viewRow, 3);
        window_->GradeLojas->SetValue(viewRow + 1, 3, com::Variant::Utf8(mark));
        window_->Table1().AfterColUpdate(3);
    }

    static void EditLoja(const std::function<void(dao::Recordset&)>& edit) {
        dao::Database store = OpenStore("F:\\LOJA01\\Produto.MDB");
        dao::Recordset lojas = store.OpenRecordset("Loja", dao::dbOpenTable);
        edit(lojas);
        lojas.Close();
        store.Close();
    }

    using Strings = std::vector<std::string>;
    std::unique_ptr<Consolidacao> window_;
    forms::RecordingProgramStarter starter_;
    int runs_ = 0;
    std::string runFilter_;
};

TEST_F(ConsolidacaoTest, ListsReachableStoresFirstEachGroupInTableOrder) {
    Consolidacao& w = Open();
    EXPECT_EQ(w.TotalLojas, 5);
    EXPECT_EQ(w.LojasEmRede, 3);
    EXPECT_EQ(Column(0), (Strings{"01", "02", "03", "04", "05"}));
    EXPECT_EQ(Column(1), (Strings{"LOJA CENTRO", "LOJA NORTE", "LOJA SUL", "LOJA OESTE", "LOJA LESTE"}));
    EXPECT_EQ(Column(2), (Strings{"S", "S", "S", "N", "N"}));
    EXPECT_EQ(Column(3), (Strings{"S", "S", "S", "N", "N"}));
    // A folder absent from its own drive but present on C: is reachable through C:.
    EXPECT_EQ(Strings(w.LojaPasta.begin() + 1, w.LojaPasta.end()),
              (Strings{"F:\\LOJA01\\", "F:\\LOJA02\\", "C:\\LOJA03\\", " ", "G:\\LOJA05\\"}));
    EXPECT_EQ(w.Table1().RowCount(), 5);
    EXPECT_EQ(w.Table1().CellText(3, 2), "NÃO");
    EXPECT_EQ(w.Table1().CellText(0, 3), "SIM");
    EXPECT_EQ(w.Table1().Column(3).caption, "Consolidar ?");
    EXPECT_EQ(w.Caption(), "LOJA CENTRO - Consolidação de Informações");
    EXPECT_EQ(NomeLoja, "LOJA CENTRO" + std::string(20, ' '));
    EXPECT_TRUE(boxes_.shown.empty()) << "an unreachable drive is no error";
}

TEST_F(ConsolidacaoTest, TheIdleAndRunLayouts) {
    Consolidacao& w = Open();
    EXPECT_TRUE(w.BtnConsolidar().Visible());
    EXPECT_TRUE(w.BtnCancelar().Visible());
    EXPECT_EQ(w.BtnCancelar().Left(), 4800);
    EXPECT_FALSE(w.LabelStatus()->Visible());
    EXPECT_EQ(w.LabelStatus()->Get("FontName").AsStr().ToUtf8(), "Times New Roman");
    EXPECT_FALSE(w.PainelFiltro().Visible());
    EXPECT_FALSE(w.PainelBloqueio().Visible());
    EXPECT_FALSE(w.PainelPorcentagem().Visible());
    EXPECT_TRUE(w.Table1().Enabled());
    w.ModoExecucao();
    EXPECT_EQ(w.BtnCancelar().Left(), 4000 / forms::kTwipsPerPixel * forms::kTwipsPerPixel) << "4000 twips, to the pixel";
    EXPECT_TRUE(w.LabelStatus()->Visible());
    EXPECT_FALSE(w.BtnConsolidar().Visible());
    EXPECT_FALSE(w.Table1().Enabled());
    w.LabelStatus()->Set(com::DispId{0}, com::Variant::Utf8("01 de 03 LOJA CENTRO"));
    w.ModoEspera();
    EXPECT_EQ(w.LabelStatus()->Get(com::DispId{0}).AsStr().ToUtf8(), "");
    EXPECT_TRUE(w.BtnConsolidar().Visible());
}

TEST_F(ConsolidacaoTest, WithoutAnOwnStoreRowTheCaptionBeginsWithProduto) {
    EditLoja([](dao::Recordset& lojas) {
        for (lojas.MoveFirst(); !lojas.Eof(); lojas.MoveNext()) {
            lojas.Edit();
            lojas("LojaOrigem").SetValue(dao::Value(" "));
            lojas.Update();
        }
    });
    EXPECT_EQ(Open().Caption(), "Produto - Consolidação de Informações");
}

TEST_F(ConsolidacaoTest, AnUnreachableStoreCannotStayMarked) {
    Consolidacao& w = Open();
    SetMark(3, "S");
    EXPECT_EQ(w.Mark(4), "N");
    EXPECT_EQ(w.Table1().CellText(3, 3), "NÃO") << "the cell shows NÃO again";
    SetMark(1, "N");
    EXPECT_EQ(w.Mark(2), "N") << "a reachable store can be left out";
    SetMark(1, "S");
    EXPECT_EQ(w.Mark(2), "S");
}

TEST_F(ConsolidacaoTest, ConsolidarCountsTheMarksAndRunsEverythingOnYes) {
    Consolidacao& w = Open();
    SetMark(0, "n");
    SetMark(1, "X");
    boxes_.answers = {forms::mb::Yes};
    w.BtnConsolidar_Click();
    EXPECT_EQ(w.Mark(1), "N") << "a typed n is stored as N";
    EXPECT_EQ(w.LojasMarcadas, 2) << "any mark but N counts";
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Deseja Consolidar Tudo ?");
    EXPECT_EQ(boxes_.shown[0].style, 36);
    EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
    EXPECT_EQ(runs_, 1);
    EXPECT_EQ(runFilter_, "N");
}

TEST_F(ConsolidacaoTest, NoOpensThePeriodFilterWhereEscDoesNothing) {
    Consolidacao& w = Open();
    boxes_.answers = {forms::mb::No};
    w.BtnConsolidar_Click();
    EXPECT_EQ(runs_, 0);
    EXPECT_EQ(w.FiltraPeriodo, "S");
    EXPECT_TRUE(w.PainelFiltro().Visible());
    EXPECT_FALSE(w.Table1().Enabled());
    EXPECT_FALSE(w.BtnCancelar().Visible());
    EXPECT_FALSE(w.BtnConsolidar().Visible());
    int esc = 27;
    w.RouteKey(false, esc, 0, nullptr);
    EXPECT_TRUE(w.IsLoaded());
    w.BtnExecutar_Click();
    EXPECT_EQ(runs_, 1);
    EXPECT_EQ(runFilter_, "S");
    w.BtnCancelarFiltro_Click();
    EXPECT_FALSE(w.PainelFiltro().Visible());
    EXPECT_TRUE(w.BtnConsolidar().Visible());
    EXPECT_TRUE(w.Table1().Enabled());
}

// The period fields are the library's date controls, hidden with the panel; No shows them and
// empties them, also a field that still held a date of an earlier period.
TEST_F(ConsolidacaoTest, ThePeriodFieldsAreDateControlsEmptiedByNo) {
    Consolidacao& w = Open();
    forms::HostedControl* from = w.ZmData1();
    forms::HostedControl* to = w.ZmData2();
    ASSERT_NE(from, nullptr);
    ASSERT_NE(to, nullptr);
    EXPECT_FALSE(from->ShowsInWindow());
    EXPECT_FALSE(to->ShowsInWindow());
    EXPECT_EQ(from->Get("DateType").Type(), com::VT_I2);   // a member only the date control has
    const std::string empty = to->Get(com::DispId{0}).AsStr().ToUtf8();
    const com::Variant emptyValue = to->Get("Value");
    from->Set(com::DispId{0}, com::Variant::Utf8("01/11/2026"));
    ASSERT_NE(from->Get(com::DispId{0}).AsStr().ToUtf8(), empty);
    ASSERT_NE(from->Get("Value").AsI4(), emptyValue.AsI4());
    boxes_.answers = {forms::mb::No};
    w.BtnConsolidar_Click();
    for (forms::HostedControl* field : {from, to}) {
        EXPECT_TRUE(field->ShowsInWindow());
        EXPECT_EQ(field->Get(com::DispId{0}).AsStr().ToUtf8(), empty);
        EXPECT_EQ(field->Get("Value").AsI4(), emptyValue.AsI4());
    }
    EXPECT_LT(from->Widget()->x(), to->Widget()->x());
    EXPECT_EQ(from->Widget()->y(), to->Widget()->y());
}

TEST_F(ConsolidacaoTest, NoStoreChosenShowsTheMessageAndUnloads) {
    Consolidacao& w = Open();
    for (int row = 0; row < 3; ++row) SetMark(row, "N");
    w.BtnConsolidar_Click();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Não Existe Nenhuma Loja Conectada!");
    EXPECT_EQ(boxes_.shown[0].style, 48);
    EXPECT_FALSE(w.IsLoaded());
    EXPECT_FALSE(TabelaLoja.IsOpen()) << "the unload closes the Loja set";
    EXPECT_EQ(runs_, 0);
}

TEST_F(ConsolidacaoTest, AnEmptyStoreTableLeavesTheGridUnbound) {
    dao::Database store = OpenStore("F:\\LOJA01\\Produto.MDB");
    store.Execute("DELETE * FROM Loja");
    store.Close();
    Consolidacao& w = Open();
    EXPECT_EQ(w.TotalLojas, 0);
    EXPECT_EQ(w.Table1().Array(), nullptr);
    EXPECT_EQ(w.Caption(), "Produto - Consolidação de Informações");
    w.BtnConsolidar_Click();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Não Existe Nenhuma Loja Conectada!");
    EXPECT_FALSE(w.IsLoaded());
}

TEST_F(ConsolidacaoTest, CancelDuringARunOnlyAsksToStop) {
    Consolidacao& w = Open();
    w.ModoExecucao();
    int esc = 27;
    w.RouteKey(false, esc, 0, nullptr);
    EXPECT_TRUE(w.IsLoaded()) << "Esc does nothing during a run";
    EXPECT_FALSE(w.CancelaExecucao);
    w.BtnCancelar_Click();
    EXPECT_TRUE(w.CancelaExecucao);
    EXPECT_TRUE(w.IsLoaded());
    w.BtnBloqueio_Click();
    EXPECT_EQ(w.BtnBloqueio().Caption(), "Sai");
}

// The report window's controls the cancel step sets, by name, as the catalogue names them.
class ReportWindowShape : public forms::Window {
public:
    ReportWindowShape() : Window("Inicio") {}

protected:
    void CreateControls() override {
        Add<forms::Frame>("FrameSelecionar").SetCaption("Critérios");
        for (const char* name : {"BtnImprimir", "BtnCancelar", "BtnCriterio", "BtnSelecionar", "BtnProcurar",
                                 "BtnVerificar", "BtnSair"}) {
            Add<forms::CommandButton>(name);
        }
        Add<forms::ListBox>("TbRelatorios");
        Add<forms::ListBox>("TbCriterio");
    }
};

TEST_F(ConsolidacaoTest, CancelPutsTheReportWindowBackIntoReportChoice) {
    ReportWindowShape report;
    report.Show();
    for (const char* name : {"BtnSelecionar", "BtnProcurar", "BtnVerificar", "BtnSair", "TbRelatorios"}) {
        report.FindControl(name)->SetVisible(false);
    }
    Consolidacao& w = Open();
    w.BtnCancelar_Click();
    EXPECT_FALSE(w.IsLoaded());
    EXPECT_EQ(dynamic_cast<forms::Frame*>(report.FindControl("FrameSelecionar"))->Caption(), "Selecione o Relatório");
    for (const char* name : {"BtnImprimir", "BtnCancelar", "BtnCriterio", "TbCriterio"}) {
        EXPECT_FALSE(report.FindControl(name)->Visible()) << name;
    }
    for (const char* name : {"TbRelatorios", "BtnSelecionar", "BtnProcurar", "BtnVerificar", "BtnSair"}) {
        EXPECT_TRUE(report.FindControl(name)->Visible()) << name;
    }
    report.Drop();
}

TEST_F(ConsolidacaoTest, EscInTheIdleStateCancelsAndUnloads) {
    Consolidacao& w = Open();
    int esc = 27;
    w.RouteKey(false, esc, 0, nullptr);
    EXPECT_FALSE(w.IsLoaded());
    EXPECT_FALSE(TabelaLoja.IsOpen());
}

TEST_F(ConsolidacaoTest, F12StartsTheCalculatorAndChangesNothing) {
    Consolidacao& w = Open();
    w.LojasMarcadas = 4;
    int f12 = 123;
    w.RouteKey(false, f12, 0, nullptr);
    ASSERT_EQ(starter_.started.size(), 1u);
    EXPECT_EQ(starter_.started[0], (std::pair<std::string, int>{"calc.exe", 1}));
    EXPECT_EQ(w.LojasMarcadas, 4);
    EXPECT_TRUE(w.IsLoaded());
}

TEST_F(ConsolidacaoTest, TheCoreHookShowsTheWindow) {
    PastaDados = "F:\\LOJA01";
    AbrirBDLoja();
    InstallConsolidation();
    report::ProgramHooks().showConsolidation = [] { report::consolidation::ConsolidationWindow().Show(); };
    ShowConsolidationWindow();
    Consolidacao& w = ConsolidationWindow();
    EXPECT_TRUE(w.IsLoaded());
    EXPECT_EQ(w.TotalLojas, 5);
    w.Drop();
}

TEST_F(ConsolidacaoTest, ALoadWithoutTheDataFolderIsReportedAndTheWindowStays) {
    window_ = std::make_unique<Consolidacao>();
    window_->Show();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_NE(boxes_.shown[0].text.find("Consolidação"), std::string::npos);
    EXPECT_NE(boxes_.shown[0].text.find("Form_Load"), std::string::npos);
    EXPECT_TRUE(window_->IsLoaded());
}

// A store named by a network path, which the folder search refuses (52): listed with the stores
// out of reach under its own folder, never under the folder of the store listed before it.
TEST_F(ConsolidacaoTest, AStoreTheFolderSearchRefusesIsListedUnderItsOwnFolder) {
    {
        dao::Database store = OpenStore("F:\\LOJA01\\Produto.MDB");
        AddRow(store, "Loja", {{"CodLoja", dao::Value("06")}, {"Nome", dao::Value("LOJA REDE")},
                               {"LocalLojas", dao::Value("\\\\SERVIDOR\\LOJA06\\")}, {"LojaOrigem", dao::Value(" ")}});
        store.Close();
    }
    Consolidacao& w = Open();
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;
    EXPECT_EQ(w.TotalLojas, 6);
    EXPECT_EQ(w.LojasEmRede, 3);
    const auto row = std::find(w.LojaNome.begin(), w.LojaNome.end(), "LOJA REDE") - w.LojaNome.begin();
    ASSERT_LT(static_cast<std::size_t>(row), w.LojaNome.size());
    EXPECT_GT(row, 3);
    EXPECT_EQ(w.LojaPasta[row], "\\\\SERVIDOR\\LOJA06\\");
    EXPECT_EQ(w.LojaEmRede[row], "N");
}

// A load that fails with the data set open, and Loja left open by the window that loaded before:
// the one report under Consolidação Form_Load, in the box and in ERRO.TXT, then Loja and the
// data-folder set closed; the window stays.
TEST_F(ConsolidacaoTest, ALoadThatFailsReportsOnceThenClosesLojaAndTheDataSet) {
    PastaDados = "F:\\LOJA01";
    AbrirBDLoja();
    TabelaLoja.Set(BancoProdutoLoja->OpenRecordset("Loja", dao::dbOpenTable));
    dao::InjectFault(3420, "OpenRecordset", "F:\\LOJA01\\PRODUTO.MDB");
    window_ = std::make_unique<Consolidacao>();
    window_->Show();
    dao::ClearFaults();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_TRUE(boxes_.shown[0].text.ends_with("Tela     -> Consolidação\r\nRotina -> Form_Load")) << boxes_.shown[0].text;
    std::ifstream file("ERRO.TXT", std::ios::binary);
    const std::string log = win::Cp1252ToUtf8(std::string(std::istreambuf_iterator<char>(file), {}));
    EXPECT_NE(log.find("Nro.: 3420 Tela -> Consolidação Form_Load "), std::string::npos) << log;
    EXPECT_EQ(log.find("Tela ->", log.find("Tela ->") + 1), std::string::npos) << "one report: " << log;
    EXPECT_FALSE(TabelaLoja.IsOpen());
    EXPECT_FALSE(BancoProdutoLoja.IsOpen());
    EXPECT_FALSE(BancoBD2Loja.IsOpen());
    EXPECT_TRUE(window_->IsLoaded());
}

}  // namespace
}  // namespace report::consolidation
