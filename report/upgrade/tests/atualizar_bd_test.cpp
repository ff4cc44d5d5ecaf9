// The upgrade driver on older stores: the structure it leaves, the data it keeps, the progress
// lines and boxes it shows, the order of its steps, the stamp, and the gate.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "report/upgrade/tests/support/upgrade_fixture.h"

namespace report::testing {
namespace {

// The lines a complete run over the described databases shows, with the database `missing` (if
// any) reported as not found.
std::vector<std::string> ExpectedLines(const std::string& missing = {}) {
    const auto& d = schema::ProgramSchema();
    std::vector<std::string> lines = {"Carregando Banco de Dados ....  OK"};
    for (int g = 0; g < 5; ++g) {
        const std::string& name = d.NomeBanco(g);
        if (name == missing) {
            lines.push_back("Abrindo " + name + " .........  OK");
            continue;
        }
        lines.push_back("Abrindo " + name + " .... OK");
        for (int t = 1; t <= d.QtdeTabelas(g); ++t) lines.push_back("Atualizando " + d.NomeTabela(g, t) + " ... OK");
        lines.push_back("Fechando " + name + " .........  OK");
    }
    lines.push_back("Atualizando Informações do Banco de Dados .....  OK");
    lines.push_back("Atualizando Indexes do Banco de Dados ..... ");
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(UpgradeTest, OldStoreIsBroughtToTheDescribedStructureKeepingItsData) {
    Upgrade();
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_EQ(ErrorLog(), "");
    for (int g = 0; g < 5; ++g) {
        dao::Database db = OpenStore(StoreFiles()[static_cast<std::size_t>(g)]);
        EXPECT_EQ(Differences(db, g), std::vector<std::string>{}) << StoreFiles()[static_cast<std::size_t>(g)];
        db.Close();
    }
    // Created tables lost their placeholder; rebuilt fields left no temporary field behind.
    const std::pair<const char*, const char*> gone[] = {
        {"FundoCaixaSaldo", "Campo"}, {"FundoCaixa", "Campo"}, {"ItensTransEntBaixa", "Campo"},
        {"Familia", "Descrição01"}, {"UltimaVenda", "UltimoCodigo01"}};
    for (const auto& [table, field] : gone) {
        EXPECT_EQ(ErrorNumberOf([&] { BancoProdutoLoja->TableDefs().Item(table).Fields().Item(field); }), 3265) << field;
    }
    // The rebuilt fields kept their values.
    const std::tuple<const char*, const char*, dao::Value> values[] = {
        {"UltimaVenda", "UltimoCodigo", dao::Value::Long(1234)},
        {"Familia", "Código", dao::Value::Integer(7)},
        {"Familia", "Descrição", dao::Value::Text("Ferramentas")}};
    for (const auto& [table, field, value] : values) {
        dao::Recordset rs = BancoProdutoLoja->OpenRecordset(table, dao::dbOpenTable);
        rs.MoveFirst();
        EXPECT_EQ(rs(field).GetValue(), value) << field;
        EXPECT_EQ(rs.RecordCount(), 1) << table;
        rs.Close();
    }
    // The progress: exact lines, the counters as they were shown, the window left as it ends.
    EXPECT_EQ(window_.lines, ExpectedLines());
    EXPECT_EQ(window_.listIndex, static_cast<int>(window_.lines.size()) - 1);
    for (const char* line : {"Atualizando Familia ... 01/02", "Atualizando Familia ... 02/02",
                             "Atualizando Cliente ... 37/37", "Abrindo Produto ......... "}) {
        EXPECT_TRUE(Contains(pump_.shown, line)) << line;
    }
    EXPECT_EQ(window_.databaseName, "C:\\REPORT\\BD2.MDB");
    EXPECT_EQ(window_.recordSource, "Usuario");
    EXPECT_EQ(window_.refreshes, 1);
    EXPECT_FALSE(window_.storeFrameVisible);
    EXPECT_FALSE(window_.panelVisible);
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
}

TEST_F(UpgradeTest, FormatsCompareTrimmedButCaseSensitive) {
    // Three Date fields of Produto.MDB that already carry a Format: one that differs from the
    // described value only in blanks (kept), one in letter case (set), one equal (kept).
    struct Target {
        std::string table, field, format;
    };
    const auto& d = schema::ProgramSchema();
    std::vector<Target> targets;
    for (int t = 2; t <= d.QtdeTabelas(0) && targets.size() < 3; ++t) {
        for (int k = 1; k <= d.QtdeCampos(0, t) && targets.size() < 3; ++k) {
            const auto& e = d.Campo(0, t, k);
            if (e.tipoCampo == "8") targets.push_back({d.NomeTabela(0, t), e.nomeCampo, schema::ValueText(e.valorPropriedade)});
        }
    }
    ASSERT_EQ(targets.size(), 3u);
    const std::string before[] = {" " + targets[0].format + "  ", forms::UCase(targets[1].format), targets[2].format};
    const std::string after[] = {before[0], targets[1].format, targets[2].format};
    for (std::size_t i = 0; i < 3; ++i) {
        dao::Field f = BancoProdutoLoja->TableDefs().Item(targets[i].table).Fields().Item(targets[i].field);
        f.Properties().Append(f.CreateProperty("Format", 10, dao::Value::Text(before[i])));
    }
    Upgrade();
    for (std::size_t i = 0; i < 3; ++i) {
        dao::Field f = BancoProdutoLoja->TableDefs().Item(targets[i].table).Fields().Item(targets[i].field);
        EXPECT_EQ(f.Properties().Item("Format").GetValue().ToText(), after[i]) << targets[i].table << "." << targets[i].field;
    }
}

TEST_F(UpgradeTest, SecondRunStopsAtTheGateWithoutTouchingAFile) {
    Upgrade();
    const auto before = FileStamps();
    RecordingUpgradeWindow second;
    ProgramHooks().upgradeWindow = &second;
    InstalledUpgradeSteps().IndexRepairs = [] { ADD_FAILURE() << "ran past the gate"; };
    Upgrade();
    EXPECT_EQ(FileStamps(), before);
    EXPECT_TRUE(second.lines.empty());
    EXPECT_FALSE(second.panelTouched);
    EXPECT_EQ(second.refreshes, 0);
    EXPECT_FALSE(TabelaUltimaVenda.IsOpen());
}

TEST_F(UpgradeTest, GateRunsTheUpgradeOnlyForAnOlderOrNullStamp) {
    struct Row {
        const char* situation;
        dao::Value stamp;
        bool upgrades;
    };
    const Row rows[] = {
        {"stamped the program's version", dao::Value::Date(Date("01/10/2002")), false},
        {"stamped later", dao::Value::Date(Date("15/03/2005")), false},
        {"stamped a day earlier", dao::Value::Date(Date("30/09/2002")), true},
        {"Null stamp", dao::Value::Null(), true},
    };
    for (const auto& row : rows) {
        SetStamp(row.stamp);
        int passes = 0;
        InstalledUpgradeSteps().RegistraArquivo = [&] { ++passes; };
        window_.ClearList();
        Upgrade();
        EXPECT_EQ(passes, row.upgrades ? 1 : 0) << row.situation;
        EXPECT_EQ(!window_.lines.empty(), row.upgrades) << row.situation;
        EXPECT_EQ(Stamp(), row.upgrades ? Date("01/10/2002") : row.stamp.ToDouble()) << row.situation;
    }
}

TEST_F(UpgradeTest, CatalogueRefreshRunsBeforeTheGateWhenThePackageIsThere) {
    SetStamp(dao::Value::Date(Date("01/10/2002")));
    std::vector<std::string> calls;
    InstalledUpgradeSteps().AtualizaBD2 = [&] { calls.push_back("AtualizaBD2"); };
    Upgrade();
    EXPECT_TRUE(calls.empty());
    Create(std::string(kData) + "\\Prog.mdb").Close();  // found whatever its case
    Upgrade();
    EXPECT_EQ(calls, std::vector<std::string>{"AtualizaBD2"});
    EXPECT_TRUE(window_.lines.empty());
}

TEST_F(UpgradeTest, NoProdutoInTheProgramFolderReturnsAtOnce) {
    std::filesystem::remove(Host(std::string(kProgram) + "\\Produto.MDB"));
    InstalledUpgradeSteps().AtualizaBD2 = [] { ADD_FAILURE() << "went past the folder check"; };
    Create(std::string(kData) + "\\PROG.MDB").Close();
    const auto before = FileStamps();
    Upgrade();
    EXPECT_EQ(FileStamps(), before);
    EXPECT_FALSE(window_.panelTouched);
    EXPECT_EQ(Stamp(), Date("01/01/2001"));
}

TEST_F(UpgradeTest, LaterStepsRunInTheirPlacesAndTheStampComesLast) {
    std::vector<std::string> calls;
    const auto record = [&](std::string name) {
        return [&calls, name] {
            std::string entry = name;
            if (name == "IndexRepairs") entry += " " + std::to_string(PosBanco) + (BancoAtual.IsOpen() ? " open" : " closed");
            calls.push_back(entry);
        };
    };
    UpgradeSteps& steps = InstalledUpgradeSteps();
    steps.AtualizaBD2 = record("AtualizaBD2");
    steps.IndexRepairs = record("IndexRepairs");
    steps.NuloProduto = record("NuloProduto");
    steps.AtualizaAntigo = record("AtualizaAntigo");
    steps.IndexRepairsProduto = record("IndexRepairsProduto");
    steps.CriarRelacao = record("CriarRelacao");
    steps.AtualizaItemTransEntBaixa = record("AtualizaItemTransEntBaixa");
    double stampAtRegistration = 0;
    steps.RegistraArquivo = [&] {
        calls.push_back("RegistraArquivo");
        stampAtRegistration = Stamp();
    };
    Upgrade();
    const std::vector<std::string> expected = {
        "IndexRepairs 1 open", "IndexRepairs 2 open", "IndexRepairs 3 open", "IndexRepairs 4 open",
        "IndexRepairs 5 open", "NuloProduto", "AtualizaAntigo", "IndexRepairsProduto", "CriarRelacao",
        "AtualizaItemTransEntBaixa", "RegistraArquivo"};
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(stampAtRegistration, Date("01/01/2001"));
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
}

TEST_F(UpgradeTest, TransferItemsAreFilledOnlyWhenTheTableIsEmpty) {
    // The created (empty) table is filled; a second upgrade over rows leaves it alone.
    int fills = 0;
    InstalledUpgradeSteps().AtualizaItemTransEntBaixa = [&] {
        ++fills;
        AddRow(*BancoProdutoLoja, "ItensTransEntBaixa", {});
    };
    Upgrade();
    SetStamp(dao::Value::Null());
    Upgrade();
    EXPECT_EQ(fills, 1);
}

TEST_F(UpgradeTest, MissingVersaoIsAddedAsAShortDateAndTheUpgradeRuns) {
    for (int run = 0; run < 2; ++run) {
        // The second round runs in the same program run, after a complete upgrade has left the
        // table position at the end of a loop: the gate must still tell the missing field.
        dao::TableDef table = BancoProdutoLoja->TableDefs().Item("UltimaVenda");
        table.Fields().Delete("Versao");
        window_.ClearList();
        Upgrade();
        const dao::Field versao = BancoProdutoLoja->TableDefs().Item("UltimaVenda").Fields().Item("Versao");
        EXPECT_EQ(versao.Type(), dao::DataType::Date) << run;
        EXPECT_EQ(versao.Properties().Item("Format").GetValue().ToText(), "Short Date") << run;
        EXPECT_EQ(Stamp(), Date("01/10/2002")) << run;
        EXPECT_EQ(window_.lines, ExpectedLines()) << run;
        EXPECT_EQ(ErrorLog(), "") << run;
    }
}

TEST_F(UpgradeTest, MissingModemIsReportedOnceAndTheRestIsUpgraded) {
    std::filesystem::remove(Host(DataFile("Modem")));
    std::vector<int> indexRepairs;
    InstalledUpgradeSteps().IndexRepairs = [&] { indexRepairs.push_back(PosBanco); };
    Upgrade();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Modem.MDB Não Encontrado !");
    EXPECT_EQ(boxes_.shown[0].style, 48);
    EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
    EXPECT_EQ(window_.lines, ExpectedLines("Modem"));
    EXPECT_EQ(indexRepairs, (std::vector<int>{1, 2, 3, 5}));
    EXPECT_FALSE(std::filesystem::exists(Host(DataFile("Modem"))));
    dao::Database transfer = OpenStore("Transfer");
    EXPECT_EQ(Differences(transfer, 4), std::vector<std::string>{});
    transfer.Close();
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
}

TEST_F(UpgradeTest, DamagedFileIsRepairedOnceAndUpgraded) {
    dao::InjectFault(3343, "OpenDatabase", "*\\Backup.MDB", 1);
    Upgrade();
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_EQ(ErrorLog(), "");
    dao::Database backup = OpenStore("Backup");
    EXPECT_EQ(Differences(backup, 2), std::vector<std::string>{});
    backup.Close();
    EXPECT_EQ(window_.lines, ExpectedLines());
}

TEST_F(UpgradeTest, FileBeyondRepairIsReportedOnceAndSkipped) {
    // Junk and an empty file the repair cannot make usable, and a file the repair passes but that
    // stays unreadable.
    enum class Damage { Junk, Empty, Persistent };
    struct Row {
        const char* situation;
        Damage damage;
    };
    const Row rows[] = {{"junk", Damage::Junk}, {"empty file", Damage::Empty}, {"still damaged", Damage::Persistent}};
    for (const auto& row : rows) {
        CopyOldStoreAgain();
        std::filesystem::remove("ERRO.TXT");
        switch (row.damage) {
        case Damage::Junk: WriteJunk(DataFile("Backup")); break;
        case Damage::Empty: std::filesystem::resize_file(Host(DataFile("Backup")), 0); break;
        case Damage::Persistent: dao::InjectFault(3343, "OpenDatabase", "*\\Backup.MDB", 2); break;
        }
        window_.ClearList();
        Upgrade();
        const std::string log = ErrorLog();
        EXPECT_NE(log.find("3343"), std::string::npos) << row.situation;
        EXPECT_EQ(log.find("3343"), log.rfind("3343")) << row.situation << ": reported more than once";
        EXPECT_NE(log.find("Geral AtualizarBD"), std::string::npos) << row.situation;
        EXPECT_FALSE(forms::App().EndRequested()) << row.situation;
        EXPECT_TRUE(Contains(window_.lines, "Abrindo Backup .........  OK")) << row.situation;
        EXPECT_TRUE(Contains(window_.lines, "Fechando Transfer .........  OK")) << row.situation;
        EXPECT_EQ(Stamp(), Date("01/10/2002")) << row.situation;
        if (row.damage == Damage::Empty) {
            EXPECT_EQ(std::filesystem::file_size(Host(DataFile("Backup"))), 0u) << "the empty file is not reported repaired";
        }
        dao::ClearFaults();
    }
}

TEST_F(UpgradeTest, TableLockedByAnotherStationEndsTheRunWithoutStamp) {
    // FamiliaModem lacks its first field, so the first change to Modem.MDB is that field's append.
    dao::Database modem = OpenStore("Modem");
    modem.TableDefs().Item("FamiliaModem").Fields().Delete("Código");
    modem.Close();
    dao::DBEngine other;
    dao::Database theirs = other.OpenDatabase(DataFile("Modem"), false, false, ";PWD=TORPAL");
    other.BeginTrans();
    AddRow(theirs, "CorModem", {});  // holds the file's write lock until it ends
    std::vector<std::string> calls;
    InstalledUpgradeSteps().NuloProduto = [&] { calls.push_back("NuloProduto"); };
    Upgrade();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, "Banco Dados Modem Aberto\r\rAtualização Impossibilitada !");
    EXPECT_EQ(boxes_.shown[0].style, 48);
    EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(Stamp(), Date("01/01/2001"));
    EXPECT_TRUE(window_.panelVisible);
    EXPECT_FALSE(BancoAtual.IsOpen());
    EXPECT_FALSE(forms::App().EndRequested());
    // Once the other station lets go, the next log-in repeats the upgrade and finishes it.
    other.Rollback();
    theirs.Close();
    window_.ClearList();
    Upgrade();
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
    EXPECT_EQ(window_.lines, ExpectedLines());
}

// A second station, another process, that holds Produto.MDB's write lock (it is in the middle of
// its own upgrade) until it is told to let go.
class OtherStation {
public:
    explicit OtherStation(const std::string& file) {
        int ready[2];
        int release[2];
        if (pipe(ready) != 0 || pipe(release) != 0) return;
        child_ = fork();
        if (child_ == 0) {
            close(ready[0]);
            close(release[1]);
            try {
                dao::DBEngine engine;
                dao::Database db = engine.OpenDatabase(file, false, false, ";PWD=TORPAL");
                engine.BeginTrans();
                AddRow(db, "Cliente", {});
                const char held = 'h';
                if (write(ready[1], &held, 1) != 1) _exit(3);
                char go = 0;
                if (read(release[0], &go, 1) < 0) _exit(4);
                engine.Rollback();
            } catch (...) {
                _exit(2);
            }
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        release_ = release[1];
        char held = 0;
        holding_ = read(ready[0], &held, 1) == 1;
        close(ready[0]);
    }
    ~OtherStation() { LetGo(); }

    bool Holding() const { return holding_; }

    // Lets the lock go and waits for the station to end; its exit status.
    int LetGo() {
        if (child_ <= 0) return -1;
        close(release_);
        int status = 0;
        waitpid(child_, &status, 0);
        child_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t child_ = -1;
    int release_ = -1;
    bool holding_ = false;
};

// Two stations logging in to one store that needs the upgrade: the second meets Produto.MDB held
// by the first at its first change, a field rebuild. It shows the store as open elsewhere, leaves
// the stamp and does not end; the next log-in, once the first station is done, completes it.
TEST_F(UpgradeTest, AStoreHeldByAnotherStationsUpgradeStopsTheRunWithItsBox) {
    OtherStation other(DataFile("Produto"));
    ASSERT_TRUE(other.Holding());
    Upgrade();
    ASSERT_EQ(boxes_.shown.size(), 1u) << boxes_.shown.back().text;
    EXPECT_EQ(boxes_.shown[0].text, "Banco Dados Produto Aberto\r\rAtualização Impossibilitada !");
    EXPECT_EQ(boxes_.shown[0].style, 48);
    EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_EQ(Stamp(), Date("01/01/2001"));
    EXPECT_FALSE(BancoAtual.IsOpen());
    // The engine names the table it could not lock, never the file.
    try {
        dao::Database produto = OpenStore("Produto");
        ProgramEngine().BeginTrans();
        dao::TableDef table = produto.TableDefs().Item("UltimaVenda");
        table.Fields().Append(table.CreateField("Outro", dao::Value::Long(static_cast<int>(dao::DataType::Long))));
        ADD_FAILURE() << "the append went through";
    } catch (const win::RuntimeError& error) {
        EXPECT_EQ(error.Number(), dao::jet::TableLocked);
        EXPECT_NE(error.Description().find("Could not lock table 'UltimaVenda'"), std::string::npos) << error.Description();
    }
    ProgramEngine().Rollback();
    EXPECT_EQ(other.LetGo(), 0);
    boxes_.shown.clear();
    window_.ClearList();
    Upgrade();
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
    EXPECT_EQ(window_.lines, ExpectedLines());
}

// A 3265, 3270 or 3219 raised after the table loop (by an index repair, say) is an unexpected
// error, as is any number the recovery does not know: it is reported and the upgrade goes on; no
// table named "" is attempted and the program does not end.
TEST_F(UpgradeTest, PositionErrorsAfterTheTableLoopAreReportedAndTheRunGoesOn) {
    for (const long number : {3265L, 3270L, 3219L}) {
        CopyOldStoreAgain();
        std::filesystem::remove("ERRO.TXT");
        int raised = 0;
        InstalledUpgradeSteps().IndexRepairs = [&] {
            if (PosBanco == 1) {
                ++raised;
                dao::RaiseJet(number);
            }
        };
        InstalledUpgradeSteps().NuloProduto = [] { dao::RaiseJet(3078); };
        Upgrade();
        EXPECT_EQ(raised, 1) << number;
        EXPECT_FALSE(forms::App().EndRequested()) << number;
        const std::string log = ErrorLog();
        EXPECT_NE(log.find("Nro.: " + std::to_string(number) + " Tela -> Geral AtualizarBD"), std::string::npos) << log;
        EXPECT_NE(log.find("Nro.: 3078 Tela -> Geral AtualizarBD"), std::string::npos) << log;
        EXPECT_EQ(Stamp(), Date("01/10/2002")) << number;
        EXPECT_EQ(window_.lines, ExpectedLines()) << number;
        dao::Database produto = OpenStore("Produto");
        EXPECT_EQ(Differences(produto, 0), std::vector<std::string>{}) << number;
        produto.Close();
    }
}

// A later step that fails by a fault of the program (no runtime error) is trapped and reported
// like any unexpected error: the run goes on and writes its stamp; nothing unwinds past it.
TEST_F(UpgradeTest, AFaultOfALaterStepIsReportedAsTheInternalErrorAndTheRunGoesOn) {
    InstalledUpgradeSteps().NuloProduto = [] { (void)std::vector<int>().at(1); };
    EXPECT_NO_THROW(Upgrade());
    EXPECT_NE(ErrorLog().find("Nro.: 51 Tela -> Geral AtualizarBD Internal error"), std::string::npos) << ErrorLog();
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
    EXPECT_EQ(window_.lines, ExpectedLines());
}

TEST_F(UpgradeTest, EmptyUltimaVendaIsReportedAndNothingIsUpgraded) {
    BancoProdutoLoja->Execute("DELETE * FROM UltimaVenda");
    Upgrade();
    const std::string log = ErrorLog();
    EXPECT_NE(log.find("3021"), std::string::npos) << log;
    EXPECT_TRUE(window_.lines.empty());
    EXPECT_FALSE(window_.panelTouched);
    EXPECT_FALSE(forms::App().EndRequested());
}

TEST_F(UpgradeTest, AbrirBDLojaRunsTheInstalledUpgrade) {
    CloseIfOpen(BancoProdutoLoja);
    BancoProdutoLoja.Reset();
    CodUsuarioAtual = 1;
    dao::Database bd2 = OpenStore("Bd2");
    AddRow(bd2, "Usuario", {{"CodUsuario", dao::Value::Long(1)}, {"Usuario", dao::Value::Text("ANA")}});
    bd2.Close();
    InstallUpgrade();
    report::ProgramHooks().runUpgrade = report::upgrade::AtualizarBD;
    AbrirBDLoja();
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_EQ(Stamp(), Date("01/10/2002"));
    // The deployment of the control files ends the run; the data folder holds none.
    std::vector<std::string> expected = ExpectedLines();
    expected.push_back("Registrando Arquivos ......");
    EXPECT_EQ(window_.lines, expected);
}

}  // namespace
}  // namespace report::testing
