// The catalogue window typed at as a user types: real keys and clicks on the focused widget of
// the window stack (the catalogue over a log-in window), each key heard once by the window.
#include <QApplication>
#include <QPrinterInfo>
#include <QTableView>
#include <QTest>

#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "platform/controls/report/report_printer.h"
#include "platform/win/cp1252.h"

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
        // The machine without a printer that most desktops are: the control finds none.
        if (noPrinter_) hooks.printer = [] { return controls::report::PrinterFor(QPrinterInfo()); };
        hooks.printDialog = [](QPrinter&, QWidget*) { return false; };
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

    // A click of the mouse on one of the catalogue window's buttons.
    static void ClickButton(controls::threed::Button3D& button) {
        QTest::mouseClick(button.Widget(), Qt::LeftButton, {}, button.Widget()->rect().center());
        forms::DoEvents();
    }

    // The report file of R001 in the program folder.
    static std::filesystem::path SalesReportFile() { return win::HostPath("C:\\REPORT\\Vendas.rpt"); }

    // The window, the program and the store after a failure outside the program: the message, and
    // everything else as it was.
    void ExpectOnlyTheMessage(const std::string& fragment) {
        ASSERT_EQ(boxes_.shown.size(), 1u);
        EXPECT_NE(boxes_.shown[0].text.find(fragment), std::string::npos) << boxes_.shown[0].text;
        EXPECT_EQ(boxes_.shown[0].style, forms::mb::Exclamation);
        EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
        EXPECT_FALSE(forms::App().EndRequested());
        EXPECT_TRUE(window_->IsLoaded());
        EXPECT_TRUE(BancoProdutoLoja.IsOpen());
        EXPECT_TRUE(BancoBD2Loja.IsOpen());
        EXPECT_EQ(ErrorLog(), "");
    }

    LoginStandIn login_;
    bool noPrinter_ = false;
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

// Ctrl+P and Ctrl+F1 in the preview on a machine without a printer: the control's message, as
// the preview's own print button gives it, and the preview goes on.
TEST_F(InicioKeysTest, PrintKeysWithoutAPrinterSayItAndThePreviewGoesOn) {
    noPrinter_ = true;
    for (const Qt::Key key : {Qt::Key_P, Qt::Key_F1}) {
        SCOPED_TRACE(key);
        CountedInicio& window = OpenActive(kGerente);
        ClickFirstRow(window.TbRelatorios());
        ClickButton(window.BtnVerificar());
        ASSERT_NE(Preview(), nullptr);
        ASSERT_TRUE(window.BtnFim().Visible());
        Activate(window);   // the user goes back to the catalogue, in its preview state
        ASSERT_TRUE(window.Widget()->isAncestorOf(QApplication::focusWidget()));
        Press(key, Qt::ControlModifier);
        ExpectOnlyTheMessage("Nenhuma impressora está instalada");
        EXPECT_NE(Preview(), nullptr);
        EXPECT_TRUE(window.BtnFim().Visible());
        EXPECT_EQ(window.EmVisualizacao(), "S");
        EXPECT_EQ(printed_, 0);
        window.Drop();
        boxes_.shown.clear();
    }
}

// A report the control cannot show (its file missing, a value its format cannot show on the first
// page), started by Verificar or by Executar: the control's message, the databases open, and the
// window back in the report selection; the same report then previews once it can.
TEST_F(InicioKeysTest, AReportTheControlCannotShowIsNamedAndTheProgramGoesOn) {
    enum class Start { Verificar, Executar };
    struct Row {
        const char* what;
        Start start;
        std::function<void()> spoil;
        std::function<void()> mend;
        const char* fragment;
    };
    const std::filesystem::path kept = root_.Root() / "Vendas.rpt";
    const auto removeFile = [&] { std::filesystem::rename(SalesReportFile(), kept); };
    const auto restoreFile = [&] { std::filesystem::rename(kept, SalesReportFile()); };
    // Values the engine refuses to write, as another program's writes can leave them in the file.
    const auto setSales = [](const char* assignment) {
        return [assignment] {
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(win::HostPath("F:\\LOJA01\\Produto.MDB").c_str(), &db), SQLITE_OK);
            EXPECT_EQ(sqlite3_exec(db, (std::string("UPDATE Venda SET ") + assignment).c_str(), nullptr, nullptr, nullptr),
                      SQLITE_OK)
                << sqlite3_errmsg(db);
            sqlite3_close(db);
        };
    };
    const Row rows[] = {
        {"no report file", Start::Verificar, removeFile, restoreFile, "not found"},
        {"no report file", Start::Executar, removeFile, restoreFile, "not found"},
        {"a date before the year 100", Start::Verificar, setSales("[Data Venda] = -700000"), setSales("[Data Venda] = 40000"),
         "not a date of the years 100 to 9999"},
        {"a date before the year 100", Start::Executar, setSales("[Data Venda] = -700000"), setSales("[Data Venda] = 40000"),
         "not a date of the years 100 to 9999"},
        {"a currency beyond its range", Start::Verificar, setSales("[Total Venda] = 1e300"), setSales("[Total Venda] = 400"),
         "cannot be read: Overflow"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.what) + (row.start == Start::Verificar ? " by Verificar" : " by Executar"));
        CountedInicio& window = OpenActive(kGerente);
        ClickFirstRow(window.TbRelatorios());
        row.spoil();
        if (row.start == Start::Verificar) {
            ClickButton(window.BtnVerificar());
        } else {
            Press(Qt::Key_Return);   // the saved criteria
            ASSERT_TRUE(window.TbCriterio().Visible());
            Press(Qt::Key_Return);   // the run
        }
        ExpectOnlyTheMessage(row.fragment);
        EXPECT_EQ(Preview(), nullptr);
        EXPECT_FALSE(window.BtnFim().Visible());
        EXPECT_TRUE(window.BtnVerificar().Visible());
        EXPECT_TRUE(window.TbRelatorios().Visible());
        EXPECT_EQ(window.EmVisualizacao(), "N");
        row.mend();
        boxes_.shown.clear();
        ClickButton(window.BtnVerificar());
        EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;
        EXPECT_NE(Preview(), nullptr);
        window.Drop();
        boxes_.shown.clear();
    }
}

// A report file saved by a Windows editor as "ANSI": its accented field names still match.
TEST_F(InicioKeysTest, AReportFileSavedAsAnsiPreviews) {
    std::string text;
    {
        std::ifstream in(SalesReportFile(), std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string ansi = win::Utf8ToCp1252(text);
    ASSERT_NE(ansi, text);
    std::ofstream(SalesReportFile(), std::ios::binary | std::ios::trunc) << ansi;
    CountedInicio& window = OpenActive(kGerente);
    ClickFirstRow(window.TbRelatorios());
    ClickButton(window.BtnVerificar());
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front().text;
    ASSERT_NE(Preview(), nullptr);
    EXPECT_EQ(Preview()->windowTitle().toStdString(), "Vendas por Período");
    std::vector<std::string> headings = Texts(controls::report::TextRole::ColumnHeading);
    headings.resize(std::min<std::size_t>(headings.size(), 3));
    EXPECT_EQ(headings, (std::vector<std::string>{"Número", "Data", "Total"}));
}

}  // namespace
}  // namespace report::reports::testing
