// The log-in window driven as a user drives it, offscreen: ZMTEXT32.OCX registered in a temporary
// machine root, a program folder C:\REPORT listing two stores, scripted message boxes and a fixed
// clock.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/com/factory.h"
#include "platform/controls/grid/data_grid.h"
#include "platform/controls/threed/threed.h"
#include "platform/forms/controls.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/datetime.h"
#include "platform/forms/fileio.h"
#include "platform/forms/hosted.h"
#include "platform/forms/tests/support/typing.h"
#include "platform/forms/tests/support/text_fit.h"
#include "platform/win/module.h"
#include "platform/win/oledate.h"
#include "platform/win/paths.h"
#include "platform/win/profile.h"
#include "platform/win/registry.h"
#include "report/core/fields.h"
#include "report/core/startup.h"
#include "report/core/windows.h"
#include "report/core/tests/support/core_fixture.h"
#include "report/login/acesso.h"
#include "report/upgrade/progress.h"

namespace report::login {
namespace {

using report::testing::AddRow;
using report::testing::MakeTable;

class AcessoTest : public ::testing::Test {
protected:
    static constexpr const char* kProgram = "C:\\REPORT";

    AcessoTest() {
        std::filesystem::create_directories(root_.DriveC() / "REPORT");
        win::MapDrive('f', root_.MakeFolder("drive-f"));
        std::filesystem::create_directories(root_.Root() / "drive-f" / "LOJA01");
        std::filesystem::create_directories(root_.DriveC() / "LOJA02");
        ProgramEngine().SetBusyTimeout(0);
        SetProgramFolder(kProgram);
        forms::InstallMessageBoxes(&boxes_);
        win::InstallBeepSink(&beeps_);
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(root_.MakeFolder("cwd"));
        library_ = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
        using Register = long (*)();
        EXPECT_EQ(reinterpret_cast<Register>(library_.Export("DllRegisterServer"))(), 0);
        BuildStore(kProgram, true);
        BuildStore("F:\\LOJA01", false);
        BuildStore("C:\\LOJA02", false);
        // The program's Produto.MDB changed now: a clock one day later looks right.
        FreezeDaysAfterFile(1, 10, 47, 5);
        win::InstallClock(&clock_);
        ProgramHooks().showCatalogue = [this] { ++catalogueShown_; };
        AbrirBD();
    }

    ~AcessoTest() override {
        if (window_ && window_->IsLoaded()) window_->Drop();
        window_.reset();
        forms::DoEvents();
        forms::App().CollectUnloaded();
        ProgramHooks().showCatalogue = nullptr;
        ResetProgramState();
        forms::Err().Clear();
        forms::App().ResetForTests();
        forms::InstallMessageBoxes(nullptr);
        win::InstallBeepSink(nullptr);
        win::InstallClock(nullptr);
        SetProgramFolder({});
        std::filesystem::current_path(previous_);
    }

    void FreezeDaysAfterFile(int days, int hour, int minute, int second) {
        const double file = forms::FileDateTime(std::string(kProgram) + "\\Produto.MDB");
        const win::CivilTime day = win::CivilFromOleDate(win::DatePart(file) + days);
        clock_.Freeze({day.year, day.month, day.day, hour, minute, second});
    }

    dao::Database Create(const std::string& path) {
        dao::Database db = ProgramEngine().CreateDatabase(path);
        db.NewPassword("", kSenhaLoja);
        return db;
    }

    void BuildStore(const std::string& folder, bool program) {
        dao::Database produto = Create(folder + "\\Produto.MDB");
        MakeTable(produto, "Loja",
                  {{"CodLoja", dao::DataType::Long, 0}, {"Nome", dao::DataType::Text, 30},
                   {"LocalLojas", dao::DataType::Text, 60}, {"LojaOrigem", dao::DataType::Text, 1}},
                  {{"IndLojaOrigem", {"LojaOrigem"}}});
        if (program) {
            AddRow(produto, "Loja", {{"CodLoja", dao::Value::Long(0)}, {"Nome", dao::Value::Text("Matriz")},
                                     {"LojaOrigem", dao::Value::Text("*")}});
            AddRow(produto, "Loja", {{"CodLoja", dao::Value::Long(1)}, {"Nome", dao::Value::Text("Loja Um")},
                                     {"LocalLojas", dao::Value::Text("F:\\LOJA01\\")},
                                     {"LojaOrigem", dao::Value::Text("N")}});
            AddRow(produto, "Loja", {{"CodLoja", dao::Value::Long(2)}, {"Nome", dao::Value::Text("Loja Dois")},
                                     {"LocalLojas", dao::Value::Text("G:\\LOJA02\\")},
                                     {"LojaOrigem", dao::Value::Text("N")}});
        }
        produto.Close();
        dao::Database bd2 = Create(folder + "\\Bd2.MDB");
        MakeTable(bd2, "Usuario",
                  {{"CodUsuario", dao::DataType::Long, 0}, {"Usuario", dao::DataType::Text, 30},
                   {"Senha", dao::DataType::Text, 10}, {"Nivel", dao::DataType::Text, 1}},
                  {{"IndCodUsuario", {"CodUsuario"}}, {"IndSenha", {"Senha"}}});
        MakeTable(bd2, "Relacao",
                  {{"CodUsuario", dao::DataType::Long, 0}, {"CodAplicacao", dao::DataType::Text, 10}},
                  {{"IndCodUsuarioCodAplicacao", {"CodUsuario", "CodAplicacao"}}});
        AddRow(bd2, "Usuario", {{"CodUsuario", dao::Value::Long(7)}, {"Usuario", dao::Value::Text("ANA")},
                                {"Senha", dao::Value::Text("GERENTE")}, {"Nivel", dao::Value::Text("A")}});
        bd2.Close();
    }

    void WriteMotiva(const std::string& text) {
        std::ofstream(win::HostPath(std::string(kProgram) + "\\MOTIVA.TXT"), std::ios::binary) << text;
    }

    // Shows a new log-in window. The date and time edits may not be in this build of the library
    // yet: their reports of a class that cannot be created are taken off the boxes, so the tests
    // see only what the load itself said.
    // The window shown with its first store chosen (F:\LOJA01): the password panel.
    Acesso& AtFirstStore() {
        Acesso& w = Shown();
        w.TbLoja().SetRow(0);
        w.TbLoja_Choose();
        return w;
    }
    Acesso& Shown() {
        window_ = std::make_unique<Acesso>();
        window_->Show();
        QApplication::processEvents();
        std::erase_if(boxes_.shown, [](const forms::ScriptedMessageBoxes::Shown& box) {
            return box.text.find("429") != std::string::npos &&
                   (box.text.ends_with("Form_Load ZmDataComputador") ||
                    box.text.ends_with("Form_Load ZmHoraComputador"));
        });
        return *window_;
    }

    // The user's log-in by keys, each sent to the focused widget: Enter on the store list's first
    // store, the password typed into the field that takes the focus, and Enter.
    void LogInByKeys(Acesso& w, const std::string& password) {
        w.Widget()->activateWindow();
        QApplication::processEvents();
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        ASSERT_TRUE(w.TbLoja().Widget()->isAncestorOf(QApplication::focusWidget()) ||
                    QApplication::focusWidget() == w.TbLoja().Widget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(password));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents();
    }

    void Type(Acesso& w, const std::string& password) {
        forms::SetHostedText(w.ZmSenha(), password);
        w.BtnProcura_Click();
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : boxes_.shown) texts.push_back(box.text);
        return texts;
    }

    // The regional settings of a Brazilian station, on a 12-hour ("0") or a 24-hour ("1") clock.
    static void WriteRegionalSettings(const char* iTime) {
        win::ProfileFile winIni = win::ProfileFile::WinIni();
        std::filesystem::create_directories(win::HostPath(win::WindowsFolder()));
        const std::pair<const char*, const char*> settings[] = {
            {"sShortDate", "dd/MM/yyyy"}, {"sDate", "/"}, {"sTime", ":"}, {"iTime", iTime}};
        for (const auto& [key, value] : settings) ASSERT_TRUE(winIni.WriteString("intl", key, value));
    }

    Acesso& ShownActive() {
        Acesso& w = Shown();
        w.Widget()->activateWindow();
        forms::DoEvents();
        return w;
    }

    // Clicks the first store of the list, as a user does.
    static void ClickFirstStore(Acesso& w) {
        auto* view = qobject_cast<QTableView*>(w.TbLoja().Widget());
        ASSERT_NE(view, nullptr);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 0)).center());
        ASSERT_EQ(QApplication::focusWidget(), w.TbLoja().Widget());
    }

    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { forms::testing::PressOnFocus(key, modifiers); }

    // The date a date field holds as its Value, a day number of its DateType, as an OLE date.
    static double DateOf(forms::HostedControl& field) {
        const int dateType = field.Get("DateType").AsI2();
        return field.Get("Value").AsI4() + (dateType == 1 ? 29220 : 0);
    }

    // Replaces what the focused field holds by `typed`, key by key.
    static void Retype(const char* typed) {
        Press(Qt::Key_Home);
        Press(Qt::Key_End, Qt::ShiftModifier);
        Press(Qt::Key_Delete);
        QTest::keyClicks(QApplication::focusWidget(), typed);
    }

    win::testing::TempMachineRoot root_;
    forms::ScriptedMessageBoxes boxes_;
    win::CountingBeepSink beeps_;
    win::OffsetClock clock_;
    win::Module library_;
    std::filesystem::path previous_;
    std::unique_ptr<Acesso> window_;
    int catalogueShown_ = 0;
};

TEST_F(AcessoTest, LoadListsTheStoresAndNamesTheOwnStore) {
    WriteMotiva("005 Cedo\r\n\r\n105 Bom dia!\r\n105 Bom trabalho!\r\n205 Tarde\r\n");
    Acesso& w = Shown();
    EXPECT_TRUE(w.IsLoaded());
    EXPECT_EQ(NomeLoja, "Matriz" + std::string(20, ' '));
    EXPECT_EQ(w.Caption(), "Matriz - C:\\REPORT");
    EXPECT_TRUE(w.FrameLoja().Visible());
    EXPECT_FALSE(w.PainelLocaliza().Visible());
    EXPECT_EQ(w.TbLoja().RowCount(), 2);
    EXPECT_EQ(w.TbLoja().CellText(0, 0), "1");
    EXPECT_EQ(w.TbLoja().CellText(1, 1), "Loja Dois");
    EXPECT_EQ(Contador, 1);
    EXPECT_EQ(w.MinutoMensagem, 1);
    EXPECT_EQ(w.SegundoMensagem, 5);
    EXPECT_EQ(forms::HostedText(w.LblMensagemMotivacional()), "105 Bom trabalho!");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
}

// The upgrade points the data control at the users, whose records have none of the grid's fields:
// the grid lets go of it then, and takes it back when the control lists the stores again.
TEST_F(AcessoTest, TheGridLetsGoOfTheDataControlWhileItReadsTheUsers) {
    Acesso& w = Shown();
    ASSERT_EQ(w.TbLoja().RowCount(), 2);
    EXPECT_NO_THROW(w.PointDataControl(std::string(kProgram) + "\\BD2.MDB", "Usuario"));
    EXPECT_EQ(w.TbLoja().RowCount(), 0);
    EXPECT_EQ(w.Data1().Recordset()("Usuario").GetValue().ToText(), "ANA");
    w.PointDataControl(std::string(kProgram) + "\\Produto.MDB", kSQLBaseLojas);
    EXPECT_EQ(w.TbLoja().RowCount(), 2);
    EXPECT_EQ(w.TbLoja().CellText(1, 1), "Loja Dois");
}

TEST_F(AcessoTest, AControlClassThatIsNotRegisteredIsReportedAndTheWindowStillLoads) {
    win::registry::DeleteTree(win::RootKey::ClassesRoot, library::TextEdit);
    Acesso& w = Shown();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_NE(boxes_.shown[0].text.find("429"), std::string::npos);
    EXPECT_TRUE(boxes_.shown[0].text.ends_with("Rotina -> Form_Load ZmSenha"));
    EXPECT_EQ(w.ZmSenha(), nullptr);
    EXPECT_TRUE(w.IsLoaded());
    EXPECT_EQ(w.Caption(), "Matriz - C:\\REPORT");
}

TEST_F(AcessoTest, EveryCaptionFitsItsControl) {
    Acesso& w = AtFirstStore();
    EXPECT_EQ(forms::testing::CaptionsThatDoNotFit(w), std::vector<std::string>{});
    if (const char* out = std::getenv("ZM_LOGIN_PICTURE")) w.Widget()->grab().save(out);
}

TEST_F(AcessoTest, WithoutMotivaTheMomentIsHidden) {
    Acesso& w = Shown();
    EXPECT_FALSE(w.FrameLinha().Visible());
    EXPECT_FALSE(w.LblMensagemdoMomento()->Visible());
}

// Whatever MOTIVA.TXT holds, the window loads without a box, shows the last line whose key is
// the moment's (10:47:05: "1" and "05") or nothing, and the log-in still works. A line without a
// key is skipped; the file is read up to its first mebibyte, each line up to its first kilobyte.
TEST_F(AcessoTest, AnyMotivaContentLeavesTheLogInWorking) {
    const std::string cedilla = "\xC3\xA7";   // "ç" in UTF-8
    std::string cutInTwo = "105  ";
    for (int i = 0; i < 600; ++i) cutInTwo += cedilla;
    std::string expectedCut = "105  ";
    for (int i = 0; i < 509; ++i) expectedCut += cedilla;   // 5 + 2 x 509 bytes; the 510th is cut
    struct Row {
        const char* what;
        std::string content;
        std::size_t sparseTo;   // the file is made this long with a hole (zero bytes), then the rest appended
        std::string appended;
        std::string shown;
    };
    const std::vector<Row> rows = {
        {"an ordinary line", "Bom dia a todos!\r\n", 0, "", ""},
        {"an ordinary line before a keyed one", "Bom dia a todos!\r\n105 Bom trabalho!\r\n", 0, "", "105 Bom trabalho!"},
        {"binary bytes", std::string("\x00\x01\xFF\xFE\x7F\x80PK\x03\x04", 10) + "\n105 Depois\n", 0, "", "105 Depois"},
        {"control bytes inside a keyed line", std::string("105 Bom\x00\x07 dia\tatento", 20), 0, "", "105 Bom dia\tatento"},
        {"an empty file", "", 0, "", ""},
        {"50 MB on one line", "105 Bom dia", 50u << 20, "", "105 Bom dia"},
        {"a keyed line beyond the first mebibyte", "005 Cedo\n", 50u << 20, "\r\n105 Tarde demais\r\n", ""},
        {"a line beyond the first kilobyte", "105 " + std::string(2000, 'a') + "\r\n", 0, "", "105 " + std::string(1020, 'a')},
        {"a UTF-8 character the line limit cuts", cutInTwo, 0, "", expectedCut},
        {"CR, LF and CR LF line ends", "105 Um\r105 Dois\n105 Tres\r\n\r\n205 Outro", 0, "", "105 Tres"},
        {"cp1252 text", "105 A organiza\xE7\xE3o\r\n", 0, "", "105 A organiza\xC3\xA7\xC3\xA3o"},
        {"UTF-8 text with its byte-order mark", "\xEF\xBB\xBF" "105 A\xC3\xA7\xC3\xA3o\r\n", 0, "", "105 A\xC3\xA7\xC3\xA3o"},
        {"keys with a blank or one digit", "1 5 Com branco\r\n10\r\n", 0, "", "1 5 Com branco"},
        {"keys that are not numbers", "1\r\nx05 texto\r\n 105 texto\r\n1x5 texto\r\n", 0, "", ""},
    };
    const std::string path = win::HostPath(std::string(kProgram) + "\\MOTIVA.TXT").string();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        WriteMotiva(row.content);
        if (row.sparseTo != 0) {
            std::filesystem::resize_file(path, row.sparseTo);
            std::ofstream(path, std::ios::binary | std::ios::app) << row.appended;
        }
        ResetProgramState();
        AbrirBD();
        catalogueShown_ = 0;
        boxes_.shown.clear();
        Acesso& w = Shown();
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
        EXPECT_TRUE(w.FrameLinha().Visible());
        EXPECT_EQ(forms::HostedText(w.LblMensagemMotivacional()), row.shown);
        ASSERT_TRUE(BancoBD2.IsOpen());
        LogInByKeys(w, "gerente");
        EXPECT_EQ(catalogueShown_, 1);
        EXPECT_EQ(NomeUsuario, "ANA");
        EXPECT_FALSE(w.IsLoaded());
        window_.reset();
        forms::App().CollectUnloaded();
    }
}

// A MOTIVA.TXT that the directory search lists but that cannot be opened (a link to a file off
// the drive, which no path may reach) is reported once, under its name, and the log-in goes on.
TEST_F(AcessoTest, AMotivaThatCannotBeOpenedIsReportedByNameAndTheLogInStillWorks) {
    const std::filesystem::path outside = root_.Root() / "outside.txt";
    std::ofstream(outside, std::ios::binary) << "105 Fora do drive\r\n";
    std::filesystem::create_symlink(outside, win::HostPath(std::string(kProgram) + "\\MOTIVA.TXT"));
    Acesso& w = Shown();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_TRUE(boxes_.shown[0].text.ends_with("Rotina -> Form_Load C:\\REPORT\\MOTIVA.TXT")) << boxes_.shown[0].text;
    EXPECT_NE(boxes_.shown[0].text.find("File not found"), std::string::npos) << boxes_.shown[0].text;
    EXPECT_EQ(forms::HostedText(w.LblMensagemMotivacional()), "");
    EXPECT_TRUE(BancoBD2.IsOpen());
    LogInByKeys(w, "gerente");
    EXPECT_EQ(catalogueShown_, 1);
}

TEST_F(AcessoTest, StoreChoiceOpensThePasswordPanelOrSaysTheStoreIsMissing) {
    Acesso& w = AtFirstStore();
    EXPECT_EQ(PastaDados, "F:\\LOJA01");
    EXPECT_TRUE(w.PainelLocaliza().Visible());
    EXPECT_TRUE(boxes_.shown.empty());

    // G: is not mapped, and C:\LOJA02 holds the store: the drive-C road, upper-cased.
    w.TbLoja().SetRow(1);
    w.TbLoja_Choose();
    EXPECT_EQ(PastaDados, "C:\\LOJA02");
    std::filesystem::remove_all(root_.DriveC() / "LOJA02");
    w.TbLoja_Choose();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Loja Não Encontrada!");
    EXPECT_EQ(boxes_.shown[0].style, 48);
    EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
    EXPECT_EQ(PastaDados, "C:\\LOJA02");
}

TEST_F(AcessoTest, RowChangeNamesTheStoreUnderTheCursor) {
    Acesso& w = Shown();
    w.TbLoja().SetRow(1);
    w.TbLoja_RowColChange();
    EXPECT_EQ(forms::HostedText(w.LabelLoja()), "Loja Dois");
}

// While the progress panel shows, nothing beneath it shows through: the window looks the same
// whether the controls it lies over (the store's name, the message of the moment) are there or
// not. They keep their own visibility and show again when the panel goes.
TEST_F(AcessoTest, TheProgressPanelCoversWhatLiesBeneathIt) {
    WriteMotiva("105 Bom dia!\r\n");
    Acesso& w = Shown();
    w.TbLoja().SetRow(1);
    w.TbLoja_RowColChange();
    ASSERT_EQ(forms::HostedText(w.LabelLoja()), "Loja Dois");
    w.SetStoreFrameVisible(false);
    w.SetPanelVisible(true);
    const std::vector<forms::Control*> beneath = {w.LabelLoja(), &w.FrameLinha(), w.LblMensagemdoMomento(),
                                                  w.LblMensagemMotivacional()};
    for (forms::Control* control : beneath) EXPECT_TRUE(control->Visible()) << control->Name();
    const QImage covering = w.Widget()->grab().toImage();
    for (forms::Control* control : beneath) control->SetVisible(false);
    EXPECT_TRUE(covering == w.Widget()->grab().toImage());

    for (forms::Control* control : beneath) control->SetVisible(true);
    w.SetPanelVisible(false);
    EXPECT_FALSE(w.PainelAtualiza().Visible());
    EXPECT_FALSE(covering == w.Widget()->grab().toImage());
}

// A message longer than its box's width is drawn over several lines of the box: the label's
// picture holds more than one band of rows with ink, blank rows between them.
TEST_F(AcessoTest, ALongMessageOfTheMomentWrapsInItsBox) {
    WriteMotiva("105 Um cliente satisfeito volta, traz um amigo e conta a todos como foi atendido.\r\n");
    Acesso& w = Shown();
    const QImage label = w.LblMensagemMotivacional()->Widget()->grab().toImage();
    int bands = 0;
    bool inked = false;
    for (int y = 0; y < label.height(); ++y) {
        bool row = false;
        for (int x = 0; x < label.width() && !row; ++x) row = qGray(label.pixel(x, y)) < 96;
        if (row && !inked) ++bands;
        inked = row;
    }
    EXPECT_GE(bands, 2);
}

TEST_F(AcessoTest, ThreeWrongPasswordsEndTheProgram) {
    Acesso& w = AtFirstStore();
    Type(w, "errada");
    EXPECT_EQ(forms::HostedText(w.PainelMensagem()), "Senha Inválida !");
    EXPECT_TRUE(w.SSPanel1().Visible());
    EXPECT_EQ(forms::HostedText(w.ZmSenha()), "");
    Type(w, "outra");
    EXPECT_EQ(forms::HostedText(w.PainelMensagem()), "Tente Pela Ultima Vez !");
    EXPECT_FALSE(forms::App().EndRequested());
    Type(w, "mais uma");
    EXPECT_EQ(SairPrograma, "S");
    EXPECT_TRUE(forms::App().EndRequested());
    EXPECT_FALSE(BancoBD2.IsOpen());
    EXPECT_EQ(catalogueShown_, 0);
}

TEST_F(AcessoTest, ARightPasswordInLowerCaseLogsInAndShowsTheCatalogue) {
    Acesso& w = AtFirstStore();
    Type(w, "errada");
    Type(w, "gerente");
    EXPECT_EQ(catalogueShown_, 1);
    EXPECT_EQ(NomeUsuario, "ANA");
    EXPECT_EQ(CodUsuarioAtual, 7);
    EXPECT_EQ(SairPrograma, "N");
    EXPECT_EQ(Contador, 0);
    EXPECT_TRUE(BancoProdutoLoja.IsOpen());
    EXPECT_FALSE(w.IsLoaded());
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_EQ(forms::App().MousePointer(), forms::pointer::Default);
}

TEST_F(AcessoTest, TheUpgradeWritesItsProgressIntoTheWindowAndYieldsBetweenLines) {
    Acesso& w = AtFirstStore();
    forms::ScriptedEventPump pump;
    forms::InstallEventPump(&pump);
    std::vector<std::pair<int, int>> seen;   // lines in ListTabela and yields, after each line
    ProgramHooks().runUpgrade = [&] {
        upgrade::UpgradeWindowInForce().SetPanelVisible(true);
        for (const char* line : {"Abrindo Produto", "Atualizando Loja ...", "Fechando Produto ......"}) {
            upgrade::AddLine(line);
            seen.emplace_back(w.ListTabela().ListCount(), pump.count);
        }
        upgrade::CloseWithOk();
        EXPECT_TRUE(w.PainelAtualiza().Visible());
        EXPECT_FALSE(w.FrameLinha().Visible());
    };
    Type(w, "gerente");
    ProgramHooks().runUpgrade = nullptr;
    forms::InstallEventPump(nullptr);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 1}, {2, 2}, {3, 3}}));
    EXPECT_EQ(w.ListTabela().List(2), "Fechando Produto  OK");
    EXPECT_EQ(w.ListTabela().ListIndex(), 2);
    EXPECT_EQ(catalogueShown_, 1);
    EXPECT_NE(&upgrade::UpgradeWindowInForce(), static_cast<upgrade::UpgradeWindow*>(&w));
}

TEST_F(AcessoTest, TheClockQuestionAnsweredNoShowsTheClockFields) {
    FreezeDaysAfterFile(0, 23, 0, 0);   // the file changed today: the clock looks wrong
    Acesso& w = AtFirstStore();
    boxes_.answers = {forms::mb::No};
    Type(w, "gerente");
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].style, 292);
    EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
    EXPECT_TRUE(boxes_.shown[0].text.starts_with("A Data e Hora do computador estão corretos ? \r\n\r\n Data: "));
    EXPECT_TRUE(w.LblDataHora().Visible());
    EXPECT_TRUE(forms::HostedText(w.LblData()).starts_with("Hoje é "));
    EXPECT_EQ(Contador, 1);
    EXPECT_EQ(catalogueShown_, 0);

    // A new date in the date field sets the system date, keeping the time of day.
    if (w.ZmDataComputador() != nullptr) {
        const int sets = clock_.SetCount();
        w.ZmDataComputador_Change();
        EXPECT_GT(clock_.SetCount(), sets);
    }

    boxes_.answers = {forms::mb::Yes};
    w.BtnProcura_Click();
    EXPECT_EQ(catalogueShown_, 1);
}

TEST_F(AcessoTest, EscReturnsToTheStoreListThenAbsorbsTheCataloguesEscThenUnloads) {
    Acesso& w = AtFirstStore();
    int esc = 27;
    w.RouteKey(false, esc, 0, nullptr);
    EXPECT_FALSE(w.PainelLocaliza().Visible());
    SairPrograma = "NAO";
    esc = 27;
    w.RouteKey(false, esc, 0, nullptr);
    EXPECT_EQ(SairPrograma, "S");
    EXPECT_TRUE(w.IsLoaded());
    esc = 27;
    w.RouteKey(false, esc, 0, nullptr);
    EXPECT_FALSE(w.IsLoaded());
    EXPECT_TRUE(forms::App().EndRequested());
}

// Esc on the password panel when the store list is gone (an upgrade hid it) hides the panel and
// leaves the focus where it is: the grid cannot take it inside its hidden frame.
TEST_F(AcessoTest, EscWithTheStoreListHiddenLeavesTheFocusAndSaysNothing) {
    Acesso& w = AtFirstStore();
    ASSERT_NE(w.ZmSenha(), nullptr);
    ASSERT_TRUE(w.ZmSenha()->HasFocus());
    w.SetStoreFrameVisible(false);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(w.PainelLocaliza().Visible());
    EXPECT_FALSE(w.TbLoja().HasFocus());
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown[0].text;
    EXPECT_TRUE(w.IsLoaded());
}

TEST_F(AcessoTest, NoUsersOpensTheProgramFolderDataAndShowsTheCatalogue) {
    dao::Database bd2 = ProgramEngine().OpenDatabase(std::string(kProgram) + "\\Bd2.MDB", false, false,
                                                     ";PWD=TORPAL");
    bd2.Execute("DELETE FROM Usuario");
    bd2.Close();
    Acesso& w = Shown();
    EXPECT_EQ(catalogueShown_, 1);
    EXPECT_EQ(PastaDados, kProgram);
    EXPECT_TRUE(BancoProdutoLoja.IsOpen());
    EXPECT_FALSE(w.IsLoaded());
}

// The password field starts empty and shows a mask character for each one typed: two passwords
// of one length look the same, and neither looks like an empty field.
TEST_F(AcessoTest, ThePasswordShowsNoTypedCharacter) {
    Acesso& w = ShownActive();
    ASSERT_NE(w.ZmSenha(), nullptr);
    ClickFirstStore(w);
    Press(Qt::Key_Return);
    ASSERT_EQ(QApplication::focusWidget(), w.ZmSenha()->Widget());
    EXPECT_EQ(forms::HostedText(w.ZmSenha()), "");
    QTest::keyClicks(QApplication::focusWidget(), "caixa");
    EXPECT_EQ(forms::HostedText(w.ZmSenha()), "caixa");
    ClickFirstStore(w);   // the caret leaves the field
    const QImage typed = w.ZmSenha()->Widget()->grab().toImage();
    forms::SetHostedText(w.ZmSenha(), "WWWWW");
    EXPECT_TRUE(typed == w.ZmSenha()->Widget()->grab().toImage());
    forms::SetHostedText(w.ZmSenha(), "");
    EXPECT_FALSE(typed == w.ZmSenha()->Widget()->grab().toImage());
}

// After the clock question is answered No, the date field shows today day first, and a date and a
// time typed into the fields set the system clock, on a 12-hour and on a 24-hour machine.
TEST_F(AcessoTest, TheClockFieldsTakeWhatIsTypedDayFirstOnEitherClock) {
    for (const char* iTime : {"0", "1"}) {
        WriteRegionalSettings(iTime);
        clock_.Freeze({2001, 11, 30, 23, 0, 0});   // before the program's files: the clock looks wrong
        Acesso& w = ShownActive();
        ASSERT_NE(w.ZmDataComputador(), nullptr);
        ASSERT_NE(w.ZmHoraComputador(), nullptr);
        ClickFirstStore(w);
        Press(Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "gerente");
        boxes_.answers = {forms::mb::No};
        Press(Qt::Key_Return);   // its release reaches the date field, which passes on to the time
        ASSERT_TRUE(w.ZmDataComputador()->Visible()) << iTime;
        EXPECT_EQ(forms::HostedText(w.ZmDataComputador()), "30/11/2001") << iTime;

        QWidget* date = w.ZmDataComputador()->Widget();
        QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(4, date->height() / 2));
        ASSERT_EQ(QApplication::focusWidget(), date) << iTime;
        Retype("25122030");
        EXPECT_EQ(forms::HostedText(w.ZmDataComputador()), "25/12/2030") << iTime;
        EXPECT_EQ(DateOf(*w.ZmDataComputador()), win::DateSerial(2030, 12, 25)) << iTime;
        Press(Qt::Key_Return);
        ASSERT_EQ(QApplication::focusWidget(), w.ZmHoraComputador()->Widget()) << iTime;
        // A correction of the hour alone, the rest of the time as it stands (11 PM on a 12-hour
        // clock stays PM).
        Press(Qt::Key_Home);
        QTest::keyClicks(QApplication::focusWidget(), "08");
        const win::CivilTime now = win::CivilFromOleDate(forms::Now());
        const int hour = iTime[0] == '0' ? 20 : 8;
        EXPECT_EQ(std::vector<int>({now.year, now.month, now.day, now.hour}), std::vector<int>({2030, 12, 25, hour}))
            << iTime << " " << forms::HostedText(w.ZmHoraComputador());
        EXPECT_EQ(catalogueShown_, 0);
        w.Drop();
        AbrirBD();
    }
}

// The log-in hears each key once, wherever the focus stands: the store list lies in a frame.
TEST_F(AcessoTest, EscOnTheStoreListUnloadsOnceAndAbsorbsTheCataloguesEscFirst) {
    Acesso& w = ShownActive();
    ClickFirstStore(w);
    SairPrograma = "NAO";   // the catalogue closed on an Esc whose release comes here
    Press(Qt::Key_Escape);
    EXPECT_EQ(SairPrograma, "S");
    EXPECT_TRUE(w.IsLoaded());
    EXPECT_FALSE(forms::App().EndRequested());
    Press(Qt::Key_Escape);
    EXPECT_FALSE(w.IsLoaded());
    EXPECT_TRUE(forms::App().EndRequested());
}

// "Não" answered by Enter on the real box: the box closes on the key's press, and the key's
// release, which the window system sends to the field that has the focus by then, does not move
// the focus on from the date field.
TEST_F(AcessoTest, AfterNoToTheClockQuestionByEnterTheFocusIsInTheDateField) {
    FreezeDaysAfterFile(0, 23, 0, 0);   // the file changed today: the clock looks wrong
    Acesso& w = AtFirstStore();
    ASSERT_NE(w.ZmDataComputador(), nullptr);
    ASSERT_NE(w.ZmSenha(), nullptr);
    w.Widget()->activateWindow();
    w.ZmSenha()->SetFocus();
    QApplication::processEvents();
    forms::InstallMessageBoxes(nullptr);
    bool asked = false;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) return;
        answer.stop();
        asked = true;
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : box;
        QTest::keyRelease(focus, Qt::Key_Return);   // the Enter that asked, released over the box
        QTest::keyPress(focus, Qt::Key_Return);     // Enter: "Não", the default button
    });
    answer.start();
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : w.Widget()->focusWidget();
    ASSERT_NE(focus, nullptr);
    QTest::keyRelease(focus, Qt::Key_Return);
    QApplication::processEvents();
    forms::InstallMessageBoxes(&boxes_);
    ASSERT_TRUE(asked);
    EXPECT_EQ(catalogueShown_, 0);
    EXPECT_TRUE(w.ZmDataComputador()->HasFocus());
    // The next Enter typed in the date field is the user's own: it moves on to the time field.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_NE(w.ZmHoraComputador(), nullptr);
    EXPECT_TRUE(w.ZmHoraComputador()->HasFocus());
}

}  // namespace
}  // namespace report::login
