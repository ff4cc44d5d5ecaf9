// The catalogue window typed at as a user types: real keys and clicks on the focused widget of
// the window stack (the catalogue over a log-in window), each key heard once by the window.
#include <QApplication>
#include <QTableView>
#include <QTest>

#include "platform/forms/hosted.h"
#include "platform/forms/tests/support/typing.h"
#include "report/reports/inicio.h"
#include "report/reports/tests/support/reports_fixture.h"

namespace report::reports::testing {
namespace {

// The catalogue window with a count of its key handlers' calls.
class CountedInicio : public Inicio {
public:
    using Inicio::Inicio;
    int downs = 0;
    int ups = 0;

protected:
    void Form_KeyDown(int& keyCode, int shift) override {
        ++downs;
        Inicio::Form_KeyDown(keyCode, shift);
    }
    void Form_KeyUp(int& keyCode, int shift) override {
        ++ups;
        Inicio::Form_KeyUp(keyCode, shift);
    }
};

// The window the catalogue returns to: any close keys sent to the active window close it.
class LoginStandIn : public forms::Window {
public:
    LoginStandIn() : Window("Acesso") {}

protected:
    void CreateControls() override { Add<forms::TextBox>("ZmSenha").Move(150, 150, 1800, 360); }
};

class InicioKeysTest : public ReportsTest {
protected:
    InicioKeysTest() {
        ProgramHooks().showLogin = [this] {
            ++loginShown_;
            login_.Show();
        };
    }
    ~InicioKeysTest() override {
        if (login_.IsLoaded()) login_.Drop();
    }

    std::unique_ptr<Inicio> MakeWindow(controls::report::ReportPrinter::Hooks hooks) override {
        return std::make_unique<CountedInicio>(std::move(hooks));
    }

    CountedInicio& Counted() { return static_cast<CountedInicio&>(*window_); }

    CountedInicio& OpenActive(int user) {
        Open(user);
        window_->Widget()->activateWindow();
        forms::DoEvents();
        return Counted();
    }

    // Clicks the first row of a grid, as a user does.
    static void ClickFirstRow(controls::grid::DataGrid& grid) {
        auto* view = qobject_cast<QTableView*>(grid.Widget());
        ASSERT_NE(view, nullptr);
        const QPoint row = view->visualRect(view->model()->index(0, 0)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row);
        ASSERT_EQ(QApplication::focusWidget(), grid.Widget());
    }

    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { forms::testing::PressOnFocus(key, modifiers); }

    LoginStandIn login_;
};

TEST_F(InicioKeysTest, EachKeyReachesTheWindowOnceInEachState) {
    enum class State { Selection, Criterion, Closed };
    struct Row {
        State from;
        Qt::Key key;
        int downs;
        int ups;
        State to;
    };
    const Row rows[] = {
        {State::Selection, Qt::Key_Escape, 1, 0, State::Closed},   // its release goes to the log-in
        {State::Selection, Qt::Key_Return, 1, 1, State::Criterion},
        {State::Selection, Qt::Key_F12, 1, 1, State::Selection},
        {State::Selection, Qt::Key_PageDown, 1, 1, State::Selection},
        {State::Selection, Qt::Key_Down, 1, 1, State::Selection},
        {State::Selection, Qt::Key_Up, 1, 1, State::Selection},
        {State::Criterion, Qt::Key_Escape, 1, 1, State::Selection},
        {State::Criterion, Qt::Key_F12, 1, 1, State::Criterion},
        {State::Criterion, Qt::Key_PageDown, 1, 1, State::Criterion},
        {State::Criterion, Qt::Key_Down, 1, 1, State::Criterion},
        {State::Criterion, Qt::Key_Up, 1, 1, State::Criterion},
    };
    for (const Row& row : rows) {
        const std::string name = std::to_string(row.key) + (row.from == State::Selection ? " in selection" : " in criterion");
        CountedInicio& window = OpenActive(kGerente);
        ClickFirstRow(window.TbRelatorios());
        if (row.from == State::Criterion) Press(Qt::Key_Return);
        ASSERT_EQ(window.TbCriterio().Visible(), row.from == State::Criterion) << name;
        window.downs = window.ups = 0;
        Press(row.key);
        forms::DoEvents();
        EXPECT_EQ(window.downs, row.downs) << name;
        EXPECT_EQ(window.ups, row.ups) << name;
        EXPECT_EQ(window.IsLoaded(), row.to != State::Closed) << name;
        if (row.to != State::Closed) {
            EXPECT_EQ(window.TbCriterio().Visible(), row.to == State::Criterion) << name;
            EXPECT_EQ(loginShown_, 0) << name;
        }
        EXPECT_FALSE(forms::App().EndRequested()) << name;
        if (window.IsLoaded()) window.Drop();
        ResetProgramState();
        loginShown_ = 0;
        if (login_.IsLoaded()) login_.Drop();
    }
}

// Esc in the report selection closes the catalogue and shows the log-in window, which stays.
TEST_F(InicioKeysTest, EscInSelectionShowsTheLoginAndLeavesItOpen) {
    CountedInicio& window = OpenActive(kGerente);
    ClickFirstRow(window.TbRelatorios());
    Press(Qt::Key_Escape);
    forms::DoEvents();
    EXPECT_FALSE(window.IsLoaded());
    EXPECT_EQ(window.downs, 1);
    EXPECT_EQ(loginShown_, 1);
    EXPECT_TRUE(login_.IsLoaded());
    EXPECT_TRUE(login_.Visible());
    EXPECT_EQ(SairPrograma, "NAO");
    EXPECT_FALSE(forms::App().EndRequested());
}

// The search field opens empty, with the caret where the user types: what is typed is searched.
TEST_F(InicioKeysTest, TheSearchFieldOpensEmptyAndSearchesWhatIsTyped) {
    Inicio& window = OpenActive(kGerente);
    ASSERT_NE(window.ZmProcura(), nullptr);
    EXPECT_EQ(forms::HostedText(window.ZmProcura()), "");
    QWidget* procurar = window.BtnProcurar().Widget();
    QTest::mouseClick(procurar, Qt::LeftButton, {}, procurar->rect().center());
    ASSERT_EQ(QApplication::focusWidget(), window.ZmProcura()->Widget());
    EXPECT_EQ(forms::HostedText(window.ZmProcura()), "");
    QTest::keyClicks(QApplication::focusWidget(), "Vendas");
    EXPECT_EQ(forms::HostedText(window.ZmProcura()), "Vendas");
    Press(Qt::Key_Return);
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;
    EXPECT_EQ(Codes(), (std::vector<std::string>{"R001", "R003", "R004", "R006"}));
    EXPECT_FALSE(window.PainelLocaliza().Visible());
}

}  // namespace
}  // namespace report::reports::testing
