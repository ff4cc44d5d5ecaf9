// The consolidation window typed at as a user types: real keys and clicks on the focused widget,
// each key heard once by the window, and the period typed day first under the chain's settings.
#include <QApplication>
#include <QTableView>
#include <QTest>

#include <fstream>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/threed.h"
#include "platform/forms/focus.h"
#include "platform/forms/hosted.h"
#include "platform/forms/tests/support/typing.h"
#include "platform/forms/value.h"
#include "platform/win/oledate.h"
#include "report/consolidation/consolidacao.h"
#include "report/consolidation/tests/support/consolidation_fixture.h"
#include "report/core/connections.h"
#include "report/core/windows.h"

namespace report::consolidation {
namespace {

using testing::ChainTest;

// The window with a count of its key handler's calls.
class CountedConsolidacao : public Consolidacao {
public:
    int ups = 0;

protected:
    void Form_KeyUp(int& keyCode, int shift) override {
        ++ups;
        Consolidacao::Form_KeyUp(keyCode, shift);
    }
};

class ConsolidacaoKeysTest : public ChainTest {
protected:
    ConsolidacaoKeysTest() {
        forms::InstallProgramStarter(&starter_);
        SetConsolidationRun([this](Consolidacao& window) {
            ++runs_;
            period_ = {forms::HostedText(window.ZmData1()), forms::HostedText(window.ZmData2())};
            for (forms::HostedControl* field : {window.ZmData1(), window.ZmData2()}) {
                const int dateType = field->Get("DateType").AsI2();
                values_.push_back(field->Get("Value").AsI4() + (dateType == 1 ? 29220 : 0));
            }
        });
    }
    ~ConsolidacaoKeysTest() override {
        if (window_ && window_->IsLoaded()) window_->Drop();
        window_.reset();
        SetConsolidationRun(nullptr);
        ResetWindowHooks();
        forms::InstallProgramStarter(nullptr);
    }

    CountedConsolidacao& OpenActive() {
        PastaDados = "F:\\LOJA01";
        AbrirBDLoja();
        window_ = std::make_unique<CountedConsolidacao>();
        window_->Show();
        window_->Widget()->activateWindow();
        forms::DoEvents();
        return *window_;
    }

    static void Click(QWidget* widget, QPoint at) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    }
    static void ClickFirstRow(controls::grid::DataGrid& grid) {
        auto* view = qobject_cast<QTableView*>(grid.Widget());
        ASSERT_NE(view, nullptr);
        Click(view->viewport(), view->visualRect(view->model()->index(0, 0)).center());
        ASSERT_EQ(QApplication::focusWidget(), grid.Widget());
    }
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { forms::testing::PressOnFocus(key, modifiers); }

    // No to "Deseja Consolidar Tudo ?", then 01/11/2026 and 30/11/2026 typed into the period's
    // fields, each closed by Enter: the focus ends on Executar.
    void TypeNovemberPeriod(CountedConsolidacao& w) {
        ASSERT_NE(w.ZmData1(), nullptr);
        boxes_.answers = {forms::mb::No};
        QWidget* consolidar = w.BtnConsolidar().Widget();
        Click(consolidar, consolidar->rect().center());
        ASSERT_EQ(QApplication::focusWidget(), w.ZmData1()->Widget());
        QTest::keyClicks(QApplication::focusWidget(), "01112026");
        Press(Qt::Key_Return);
        ASSERT_EQ(QApplication::focusWidget(), w.ZmData2()->Widget());
        QTest::keyClicks(QApplication::focusWidget(), "30112026");
        Press(Qt::Key_Return);
        ASSERT_EQ(QApplication::focusWidget(), w.BtnExecutar().Widget());
    }

    std::unique_ptr<CountedConsolidacao> window_;
    forms::RecordingProgramStarter starter_;
    int runs_ = 0;
    std::pair<std::string, std::string> period_;
    std::vector<double> values_;   // each field's Value as an OLE date
};

// The store list lies in a frame: each key on it reaches the window once.
TEST_F(ConsolidacaoKeysTest, EachKeyOnTheStoreListReachesTheWindowOnce) {
    struct Row {
        Qt::Key key;
        std::size_t calculators;
        bool loaded;
    };
    const Row rows[] = {
        {Qt::Key_F12, 1, true},      {Qt::Key_Return, 0, true}, {Qt::Key_PageDown, 0, true},
        {Qt::Key_Down, 0, true},     {Qt::Key_Up, 0, true},     {Qt::Key_Escape, 0, false},
    };
    for (const Row& row : rows) {
        CountedConsolidacao& w = OpenActive();
        ClickFirstRow(w.Table1());
        starter_.started.clear();
        w.ups = 0;
        Press(row.key);
        EXPECT_EQ(w.ups, 1) << row.key;
        EXPECT_EQ(starter_.started.size(), row.calculators) << row.key;
        EXPECT_EQ(w.IsLoaded(), row.loaded) << row.key;
        if (w.IsLoaded()) w.Drop();
        FecharBDLoja();
    }
}

// F12 with no calculator installed, before a run and in the middle of one: the user reads so,
// the window keeps its state and the run goes on to its end.
TEST_F(ConsolidacaoKeysTest, F12WithoutACalculatorSaysSoAndTheRunGoesOn) {
    starter_.installed = false;
    bool midRun = false;
    bool runEnded = false;
    SetConsolidationRun([&](Consolidacao& w) {
        w.Executando = true;
        w.ModoExecucao();
        w.BtnCancelar().SetFocus();
        forms::DoEvents();
        EXPECT_TRUE(w.Widget()->isAncestorOf(QApplication::focusWidget()));
        midRun = true;
        Press(Qt::Key_F12);   // the user, while the run yields
        forms::DoEvents();
        midRun = false;
        runEnded = !forms::App().EndRequested();
        w.Executando = false;
        w.ModoEspera();
    });
    CountedConsolidacao& w = OpenActive();
    ClickFirstRow(w.Table1());
    w.LojasMarcadas = 2;
    Press(Qt::Key_F12);
    const std::string message = "A Calculadora Não Pôde Ser Aberta !\r\rNúmero: 53\rErro: File not found";
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, message);
    EXPECT_EQ(boxes_.shown[0].style, forms::mb::Exclamation);
    EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
    EXPECT_TRUE(w.IsLoaded());
    EXPECT_EQ(w.LojasMarcadas, 2);
    EXPECT_TRUE(w.BtnConsolidar().Visible());
    boxes_.answers = {forms::mb::Yes};   // "Deseja Consolidar Tudo ?"
    QWidget* consolidar = w.BtnConsolidar().Widget();
    Click(consolidar, consolidar->rect().center());
    EXPECT_FALSE(midRun);
    EXPECT_TRUE(runEnded);
    ASSERT_EQ(boxes_.shown.size(), 3u);
    EXPECT_EQ(boxes_.shown[2].text, message);
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_TRUE(starter_.started.empty());
    std::ifstream log("ERRO.TXT");
    EXPECT_FALSE(log.is_open());
    if (w.IsLoaded()) w.Drop();
    FecharBDLoja();
}

// No to "Deseja Consolidar Tudo ?" opens the period; what is typed day first is what the run reads.
TEST_F(ConsolidacaoKeysTest, ThePeriodIsTypedAndReadDayFirst) {
    CountedConsolidacao& w = OpenActive();
    ASSERT_NO_FATAL_FAILURE(TypeNovemberPeriod(w));
    QWidget* executar = w.BtnExecutar().Widget();
    Click(executar, executar->rect().center());
    ASSERT_EQ(runs_, 1);
    EXPECT_EQ(period_, (std::pair<std::string, std::string>{"01/11/2026", "30/11/2026"}));
    EXPECT_EQ(forms::CDate(forms::Value(period_.second)), win::DateSerial(2026, 11, 30));
    EXPECT_EQ(values_, (std::vector<double>{win::DateSerial(2026, 11, 1), win::DateSerial(2026, 11, 30)}));
    EXPECT_EQ(boxes_.shown.size(), 1u);   // the question only: no "Data Inválida !"
}

// The period by keys alone: date, Enter, date, Enter, Enter. The last Enter presses Executar, which
// the one before gave the focus.
TEST_F(ConsolidacaoKeysTest, ThePeriodRunsByDateEnterDateEnterEnter) {
    CountedConsolidacao& w = OpenActive();
    ASSERT_NO_FATAL_FAILURE(TypeNovemberPeriod(w));
    Press(Qt::Key_Return);
    EXPECT_EQ(runs_, 1);
    EXPECT_EQ(period_, (std::pair<std::string, std::string>{"01/11/2026", "30/11/2026"}));
}

// The store list's current row shows the program's focus colour while the list has the focus.
TEST_F(ConsolidacaoKeysTest, TheStoreListsRowShowsTheFocus) {
    CountedConsolidacao& w = OpenActive();
    ClickFirstRow(w.Table1());
    EXPECT_EQ(w.Table1().HighlightColor(), forms::focus::RowFocused);
    w.BtnConsolidar().SetFocus();
    forms::DoEvents();
    ASSERT_NE(QApplication::focusWidget(), w.Table1().Widget());
    EXPECT_EQ(w.Table1().HighlightColor(), forms::focus::RowPlain);
    ClickFirstRow(w.Table1());
    EXPECT_EQ(w.Table1().HighlightColor(), forms::focus::RowFocused);
    w.Drop();
    FecharBDLoja();
}

}  // namespace
}  // namespace report::consolidation
