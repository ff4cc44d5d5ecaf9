// The report catalogue refresh from an update package: what reaches the program folder's Bd2.MDB,
// the criteria's year patterns, the package's fate, the progress lines, and every trap.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/fileio.h"
#include "report/core/tests/support/core_fixture.h"
#include "report/core/tests/support/folders.h"
#include "report/upgrade/progress.h"
#include "report/upgrade/tests/support/catalogue.h"
#include "report/upgrade/tests/support/rows.h"
#include "report/upgrade/upgrade.h"

namespace report::testing {
namespace {

using upgrade::AtualizaBD2;

using namespace catalogue;

class CatalogueRefreshTest : public CoreTest {
protected:
    CatalogueRefreshTest() {
        report::ProgramHooks().upgradeWindow = &window_;
        PastaDados = kData;
        dao::Database bd2 = ProgramEngine().OpenDatabase(Program("Bd2.MDB"), false, false, ";PWD=TORPAL");
        FillProgramCatalogue(bd2);
        bd2.Close();
        BancoBD2.Set(ProgramEngine().OpenDatabase(Program("Bd2.MDB"), false, false, ConnectLoja(kProgram, "\\Bd2.MDB")));
    }
    ~CatalogueRefreshTest() override { report::ProgramHooks().upgradeWindow = nullptr; }

    static std::string Program(const std::string& file) { return std::string(kProgram) + "\\" + file; }
    static std::string Package() { return std::string(kData) + "\\PROG.MDB"; }

    // The package: R001 changed, R002 as the program folder has it, R003 new.
    void MakePackage(const char* password = kSenhaLoja, const std::string& path = Package()) {
        dao::Database db = Create(path, password);
        FillPackage(db);
        db.Close();
    }

    static std::vector<std::string> Rows(const std::string& sql) { return SelectedRows(*BancoBD2, sql); }

    static bool TableExists(const dao::Database& db, const std::string& table) {
        return ErrorNumberOf([&] { db.TableDefs().Item(table); }) == 0;
    }

    bool PackageExists() const { return forms::Dir(Package()) != ""; }

    upgrade::RecordingUpgradeWindow window_;
};

const std::vector<std::string> kCompleteRun = {
    "Atualizando Aplicações .... ",   "Abrindo Banco de Dados .... ",      "Importando Aplicação .... ",
    "Importando Pre-Consulta .... ",  "Importando Selecionar .... ",       "Importando Tabela Temporaria .... ",
    "Atualizando Aplicação .... ",    "Atualizando Pré-Consulta .... ",    "Atualizando Selecionar .... ",
    "Atualizando TabelaTemporaria .... ", "Fechando Banco de Dados .... ", "Atualizando AplicaçãoBkp .... ",
    "Fechando Banco de Dados .... "};

TEST_F(CatalogueRefreshTest, APackageWithOrWithoutPasswordRefreshesTheCatalogueAndIsDeleted) {
    for (const char* password : {kSenhaLoja, ""}) {
        SCOPED_TRACE(*password ? "protected" : "without password");
        window_ = {};
        MakePackage(password);
        AtualizaBD2();
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
        EXPECT_FALSE(PackageExists());
        EXPECT_EQ(window_.lines, kCompleteRun);
        EXPECT_TRUE(window_.panelVisible);
        EXPECT_FALSE(window_.storeFrameVisible);
        // New entries come whole; entries both hold take the package's names and queries but keep
        // their own author; an entry only the program folder has stays as it is.
        EXPECT_EQ(Rows("SELECT CodAplicacao, Nome, Consulta, Relatorio, Nivel, Usuario FROM Aplicacao ORDER BY CodAplicacao"),
                  (std::vector<std::string>{"R001|Vendas do Mês|q1b|R001.rpt|B|ANA", "R002|Estoque|q2|R002.rpt|B|ANA",
                                            "R003|Clientes|q3|R003.rpt|B|PACOTE", "R009|Só Local|q9|R009.rpt|B|ANA"}));
        EXPECT_EQ(Rows("SELECT CodAplicacao, PreConsulta FROM PreConsulta ORDER BY PreConsulta"),
                  (std::vector<std::string>{"R001|P1", "R001|P2"}));
        EXPECT_EQ(Rows("SELECT * FROM Selecionar"), std::vector<std::string>{"R003|Cliente"});
        EXPECT_EQ(Rows("SELECT * FROM TabelaTemporaria"), std::vector<std::string>{"R001|TMPVENDA"});
        EXPECT_EQ(Rows("SELECT CodAplicacao FROM AplicacaoBkp ORDER BY 1"), (std::vector<std::string>{"R001", "R002", "R003"}));
        EXPECT_EQ(CaminhoBanco, Package());
    }
}

TEST_F(CatalogueRefreshTest, CopiesLeftByAnInterruptedRunAreMadeAnew) {
    MakePackage();
    dao::Database package = ProgramEngine().OpenDatabase(Package(), false, false, ";PWD=TORPAL");
    MakeTable(package, "AplicacaoBD2", {{"Velha", T, 5}});
    MakeTable(package, "TabelaTemporariaBd2", {{"Velha", T, 5}});
    package.Close();
    BancoBD2->Execute("SELECT Aplicacao.* INTO AplicacaoBkp FROM Aplicacao WHERE CodAplicacao = 'R009'");
    AtualizaBD2();
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_FALSE(PackageExists());
    EXPECT_EQ(Rows("SELECT CodAplicacao FROM AplicacaoBkp ORDER BY 1"), (std::vector<std::string>{"R001", "R002", "R003"}));
    EXPECT_EQ(Rows("SELECT count(*) FROM Aplicacao"), std::vector<std::string>{"4"});
}

TEST_F(CatalogueRefreshTest, APackageThatCannotBeAppliedStaysForTheNextLogIn) {
    const std::string notDone = "Atualização do BD2.MDB Não Foi Realizada !";
    const std::string damaged = "Banco de Dados Danificado !\r\rFavor Executar Novamente !";
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string box;
        long logged;   // the number ERRO.TXT records; 0 for none
    };
    const Case cases[] = {
        {"damaged", [this] { WriteJunk(Package()); }, damaged, 0},
        // The open fails on the password and is passed over; the password change then has no
        // package to work on.
        {"another password", [this] { MakePackage("OUTRA"); }, notDone, 91},
        {"without a catalogue table",
         [this] {
             dao::Database db = Create(Package(), kSenhaLoja);
             MakeTable(db, "Aplicacao", kAplicacao);
             db.Close();
         },
         notDone, 3078},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(Host(Package()));
        std::filesystem::remove("ERRO.TXT");
        boxes_.shown.clear();
        c.make();
        AtualizaBD2();
        EXPECT_EQ(BoxTexts().back(), c.box);
        EXPECT_EQ(boxes_.shown.back().title, "Mensagem");
        EXPECT_EQ(ErrorLog().find("Nro.: " + std::to_string(c.logged)) != std::string::npos, c.logged != 0) << ErrorLog();
        if (c.logged) {
            EXPECT_NE(ErrorLog().find(" Tela -> Acesso AtualizaBD2 "), std::string::npos) << ErrorLog();
        }
        EXPECT_TRUE(PackageExists());
        EXPECT_EQ(Rows("SELECT count(*) FROM Aplicacao"), std::vector<std::string>{"3"});
    }
}

TEST_F(CatalogueRefreshTest, AFailedRefreshOfTheExistingEntriesRollsBackAndTheUpgradeGoesOn) {
    MakePackage();
    dao::InjectFault(3046, "CommitTrans", "*");
    AtualizaBD2();
    ASSERT_EQ(BoxTexts().size(), 2u);
    EXPECT_TRUE(BoxTexts()[0].starts_with("Ocorreu um Erro de Sistema !")) << BoxTexts()[0];
    EXPECT_EQ(BoxTexts()[1], "Atualização do BD2.MDB Não Foi Realizada !");
    EXPECT_NE(ErrorLog().find(" Tela -> Acesso AtualizaBD2Bkp "), std::string::npos) << ErrorLog();
    // The refresh of R001 and its backup table are undone; the merge before it stays.
    EXPECT_EQ(Rows("SELECT Nome FROM Aplicacao WHERE CodAplicacao = 'R001'"), std::vector<std::string>{"Vendas"});
    EXPECT_FALSE(TableExists(*BancoBD2, "AplicacaoBkp"));
    EXPECT_EQ(Rows("SELECT count(*) FROM Aplicacao"), std::vector<std::string>{"4"});
    // No transaction is left open for the steps after it, and the package is gone.
    EXPECT_EQ(ErrorNumberOf([] { ProgramEngine().Rollback(); }), 3034);
    EXPECT_FALSE(PackageExists());
}

// The package's statements name it in one literal whatever quotes and letters the data folder's
// name holds: the refresh completes, and no statement cut short at a quote names another file.
TEST_F(CatalogueRefreshTest, APackageInAFolderNamedWithQuotesRefreshesTheCatalogue) {
    const std::string folder = std::string("F:\\") + kQuotedFolder;
    MoveFolder(kData, folder);
    PastaDados = folder;
    MakePackage(kSenhaLoja, folder + "\\PROG.MDB");
    const auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(Host("F:\\"))) names.push_back(entry.path());
        std::sort(names.begin(), names.end());
        return names;
    };
    std::vector<std::string> before = entries();
    before.erase(std::find(before.begin(), before.end(), Host(folder + "\\PROG.MDB").string()));
    AtualizaBD2();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
    EXPECT_EQ(ErrorLog(), "");
    EXPECT_EQ(window_.lines, kCompleteRun);
    EXPECT_EQ(entries(), before) << "the package deleted, nothing else made";
    EXPECT_EQ(Rows("SELECT CodAplicacao, Nome, Usuario FROM Aplicacao ORDER BY CodAplicacao"),
              (std::vector<std::string>{"R001|Vendas do Mês|ANA", "R002|Estoque|ANA", "R003|Clientes|PACOTE",
                                        "R009|Só Local|ANA"}));
    EXPECT_EQ(Rows("SELECT CodAplicacao, PreConsulta FROM PreConsulta ORDER BY PreConsulta"),
              (std::vector<std::string>{"R001|P1", "R001|P2"}));
    EXPECT_EQ(Rows("SELECT CodAplicacao FROM AplicacaoBkp ORDER BY 1"), (std::vector<std::string>{"R001", "R002", "R003"}));
}

TEST(FourDigitYears, TurnsEveryTwoDigitYearPatternOfACriterion) {
    const std::pair<std::string, std::string> rows[] = {
        {"Format([Data],\"dd/mm/yy\") = '01/05/00'", "Format([Data],\"dd/mm/YYYY\") = '01/05/00'"},
        {"Format(a,\"dd/mm/YY\") & Format(b,\"mm/Yy\")", "Format(a,\"dd/mm/YYYY\") & Format(b,\"mm/YYYY\")"},
        {"Format(a,\"dd/mm/yyyy\")", "Format(a,\"dd/mm/yyyy\")"},
        {"[Venda].[Concluido] = 'S'", "[Venda].[Concluido] = 'S'"},
        {"/yy' and /y\" and yy\"", "/yy' and /y\" and yy\""},
        {"/yy\"", "/YYYY\""},
        {" ", " "},
        {"", ""},
    };
    for (const auto& [before, after] : rows) EXPECT_EQ(upgrade::FourDigitYears(before), after) << before;
}

TEST_F(CatalogueRefreshTest, CorrigeCriterioRewritesEverySavedCriterion) {
    const std::vector<std::pair<dao::Value, std::string>> rows = {
        {Text("Format(a,\"dd/mm/yy\") > 1"), "Format(a,\"dd/mm/YYYY\") > 1"},
        {Text("[Venda].[Concluido] = 'S'"), "[Venda].[Concluido] = 'S'"},
        {dao::Value::Null(), " "},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        AddRow(*BancoBD2, "Criterio", {{"Relatorio", Text("R001")}, {"Sequencia", dao::Value::Long(static_cast<int>(i))},
                                       {"CRITERIO", rows[i].first}});
    }
    upgrade::CorrigeCriterio();
    std::vector<std::string> expected;
    for (const auto& row : rows) expected.push_back(row.second);
    EXPECT_EQ(Rows("SELECT Criterio FROM Criterio ORDER BY Sequencia"), expected);
}

}  // namespace
}  // namespace report::testing
