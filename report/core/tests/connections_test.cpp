// Opening and closing the two sets, the postal-code database, the repair of a damaged file and the
// call of the upgrade at log-in.
#include "report/core/connections.h"

#include <sqlite3.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "report/core/tests/support/core_fixture.h"

namespace report::testing {
namespace {

const char* const kDamaged = "Banco de Dados Danificado !\r\rPressione Enter Para Corrigir !";
const char* const kRepaired = "Banco de Dados Corrigido !";

class ConnectionsTest : public CoreTest {
protected:
    void LogInAs(std::int32_t user) {
        PastaDados = kData;
        CodUsuarioAtual = user;
        AbrirBDLoja();
    }
    static bool Ended() { return forms::App().EndRequested(); }
};

TEST_F(ConnectionsTest, ConnectStringsAreExact) {
    EXPECT_EQ(ConnectLoja("C:\\REPORT", "\\Produto.MDB"), ";DATABASE= C:\\REPORT\\Produto.MDB;PWD=TORPAL");
    EXPECT_EQ(ConnectLoja("F:\\LOJA01", "\\Bd2.MDB"), ";DATABASE= F:\\LOJA01\\Bd2.MDB;PWD=TORPAL");
    EXPECT_EQ(ConnectCep("C:\\REPORT"), ";DATABASE=C:\\REPORT\\dbkvt.mdb;PWD=wkrtHOLAM1975;");
}

TEST_F(ConnectionsTest, StartUpWithoutPostalDatabaseOpensTheProgramSetOnly) {
    AbrirBD();
    EXPECT_FALSE(Ended());
    EXPECT_TRUE(BancoProduto.IsOpen());
    EXPECT_TRUE(BancoBD2.IsOpen());
    EXPECT_FALSE(CepAberto);
    EXPECT_FALSE(BancoCep.IsOpen());
    EXPECT_EQ(CaminhoBanco, "C:\\REPORT\\Bd2.MDB");
    EXPECT_EQ(BancoProduto->TableDefs().Item("Loja").Name(), "Loja");
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_EQ(ErrorNumberOf([] { FecharBDLoja(); }), 0) << "closes only the (unopened) data-folder set";
    EXPECT_TRUE(BancoProduto.IsOpen());
}

TEST_F(ConnectionsTest, StartUpWithPostalDatabaseOpensItsNineRecordsets) {
    BuildPostal();
    AbrirBD();
    ASSERT_FALSE(Ended()) << ErrorLog();
    EXPECT_TRUE(CepAberto);
    const std::pair<RecordsetHandle*, const char*> indexes[] = {
        {&TabelaCep, "idx_cep"},         {&TabelaLocalidadeCep, "idx_cep_loc"}, {&TabelaLocalidade, "pk_log_loc"},
        {&TabelaLogradouroCep, "idx_cep_log"}, {&TabelaBairro, "pk_log_bai"}, {&TabelaCpc, "idx_cep_cpc"},
        {&TabelaGrandeUsuario, "idx_cep_gru"}, {&TabelaUnidOper, "idx_cep_uop"}, {&TabelaLogradouroUf, "idx_log_uf1"},
    };
    for (const auto& [handle, index] : indexes) EXPECT_EQ((*handle)->Index(), index);
    FecharBDLoja();
    EXPECT_FALSE(BancoCep.IsOpen());
    for (const auto& [handle, index] : indexes) EXPECT_FALSE(handle->IsOpen()) << index;
    EXPECT_TRUE(CepAberto) << "keeps its value until the next AbrirBD";
    EXPECT_EQ(ErrorNumberOf([] { FecharBDLoja(); }), 0);
    AbrirBD();
    EXPECT_TRUE(BancoCep.IsOpen()) << "the catalogue's close reopens the postal set";
}

TEST_F(ConnectionsTest, PostalDatabaseLackingATableIsReportedAndEndsTheProgram) {
    for (const char* table : {"LOG_CEP", "LOG_LOGRADOURO", "LOG_UNID_OPER"}) {
        SCOPED_TRACE(table);
        std::filesystem::remove(Host("C:\\REPORT\\dbkvt.mdb"));
        BuildPostal(table);
        AbrirBD();
        EXPECT_TRUE(Ended());
        EXPECT_FALSE(CepAberto);
        EXPECT_FALSE(BancoCep.IsOpen()) << "no half-opened postal set stays behind";
        ASSERT_EQ(boxes_.shown.size(), 1u);
        EXPECT_NE(boxes_.shown[0].text.find("Rotina -> AbrirBD"), std::string::npos);
        // The number is the engine's for a table it cannot open as a table.
        EXPECT_NE(ErrorLog().find(" Tela -> Geral AbrirBD "), std::string::npos) << ErrorLog();
        ResetProgramState();
        forms::App().ResetForTests();
        boxes_.shown.clear();
        std::filesystem::remove("ERRO.TXT");
    }
}

TEST_F(ConnectionsTest, MissingFileIsReportedAndEndsTheProgram) {
    std::filesystem::remove(Host("C:\\REPORT\\Bd2.MDB"));
    AbrirBD();
    EXPECT_TRUE(Ended());
    EXPECT_EQ(beeps_.count, 1);
    EXPECT_NE(ErrorLog().find("Nro.: 3024 Tela -> Geral AbrirBD Could not find file"), std::string::npos) << ErrorLog();
}

// A damaged file of either set is repaired once, with the set's open handles closed first (a file
// cannot be repaired while it is open), and the set is opened again.
TEST_F(ConnectionsTest, DamagedFileIsRepairedOnceAndReopened) {
    struct Case {
        const char* pattern;
        bool dataSet;
    };
    for (const Case& row : {Case{"C:\\REPORT\\PRODUTO.MDB", false}, Case{"C:\\REPORT\\BD2.MDB", false},
                            Case{"F:\\LOJA01\\Produto.MDB", true}, Case{"F:\\LOJA01\\Bd2.MDB", true}}) {
        SCOPED_TRACE(row.pattern);
        dao::InjectFault(dao::jet::DatabaseNotRecognised, "OpenDatabase", row.pattern, 1);
        if (row.dataSet) LogInAs(1); else AbrirBD();
        EXPECT_FALSE(Ended()) << ErrorLog();
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{kDamaged, kRepaired}));
        EXPECT_EQ(boxes_.shown[0].style, 48);
        EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
        EXPECT_EQ(boxes_.shown[1].style, 0);
        EXPECT_EQ(boxes_.shown[1].title, "Mensagem");
        EXPECT_EQ(forms::App().MousePointer(), forms::pointer::Default);
        EXPECT_TRUE((row.dataSet ? BancoProdutoLoja : BancoProduto).IsOpen());
        EXPECT_TRUE((row.dataSet ? BancoBD2Loja : BancoBD2).IsOpen());
        EXPECT_EQ(ErrorLog(), "");
        ResetProgramState();
        boxes_.shown.clear();
    }
}

TEST_F(ConnectionsTest, FileStillDamagedAfterItsRepairEndsTheProgram) {
    for (bool dataSet : {false, true}) {
        SCOPED_TRACE(dataSet);
        dao::InjectFault(dao::jet::DatabaseNotRecognised, "OpenDatabase", dataSet ? "F:*\\Bd2.MDB" : "C:*\\Produto.MDB", 2);
        if (dataSet) LogInAs(1); else AbrirBD();
        EXPECT_TRUE(Ended());
        ASSERT_EQ(boxes_.shown.size(), 3u) << "one repair offer, then the report";
        EXPECT_EQ(boxes_.shown[0].text, kDamaged);
        EXPECT_NE(boxes_.shown[2].text.find(dataSet ? "Rotina -> AbrirBDLoja" : "Rotina -> AbrirBD"), std::string::npos);
        EXPECT_NE(ErrorLog().find(dataSet ? "Nro.: 3343 Tela -> Geral AbrirBDLoja " : "Nro.: 3343 Tela -> Geral AbrirBD "),
                  std::string::npos);
        ResetProgramState();
        forms::App().ResetForTests();
        boxes_.shown.clear();
        std::filesystem::remove("ERRO.TXT");
    }
}

TEST_F(ConnectionsTest, FailedRepairShowsTheErrorBoxWithoutALogLineAndEnds) {
    WriteJunk("F:\\LOJA01\\Bd2.MDB");
    LogInAs(1);
    EXPECT_TRUE(Ended());
    ASSERT_EQ(boxes_.shown.size(), 2u);
    EXPECT_EQ(boxes_.shown[0].text, kDamaged);
    EXPECT_NE(boxes_.shown[1].text.find("Número: 3343\r\n\r\nTela     -> Geral\r\nRotina -> RepararBD"), std::string::npos)
        << boxes_.shown[1].text;
    EXPECT_EQ(boxes_.shown[1].style, 0);
    EXPECT_EQ(boxes_.shown[1].title, forms::App().Title()) << "no title of its own";
    EXPECT_EQ(beeps_.count, 1);
    EXPECT_EQ(ErrorLog(), "") << "the repair's own report writes no log line";
    EXPECT_EQ(forms::App().MousePointer(), forms::pointer::Default);
}

// An empty Produto.MDB, or another program's SQLite file under that name, is offered for repair;
// the repair cannot make it a usable database, so the user sees the repair's error instead of the
// repaired message, the file stays exactly as it was, and the program ends through its trap.
TEST_F(ConnectionsTest, AFileTheRepairCannotMakeUsableIsReportedAndNeverCalledRepaired) {
    const auto zeroBytes = [](const std::filesystem::path& file) { std::ofstream(file, std::ios::binary | std::ios::trunc); };
    const auto otherProgram = [](const std::filesystem::path& file) {
        std::filesystem::remove(file);
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(raw, "CREATE TABLE Produto (Codigo INTEGER, Nome TEXT)", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    };
    struct Case {
        const char* what;
        bool dataSet;
        std::function<void(const std::filesystem::path&)> write;
    };
    const Case rows[] = {
        {"zero-byte file in the program folder", false, zeroBytes},
        {"zero-byte file in the store folder", true, zeroBytes},
        {"another program's file in the program folder", false, otherProgram},
        {"another program's file in the store folder", true, otherProgram},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string folder = row.dataSet ? kData : kProgram;
        const auto file = Host(folder + "\\Produto.MDB");
        row.write(file);
        std::ifstream in(file, std::ios::binary);
        const std::string before(std::istreambuf_iterator<char>(in), {});
        if (row.dataSet) LogInAs(1); else AbrirBD();
        EXPECT_TRUE(Ended());
        ASSERT_EQ(boxes_.shown.size(), 2u) << "the repair offer, then the repair's error; never the repaired message";
        EXPECT_EQ(boxes_.shown[0].text, kDamaged);
        EXPECT_NE(boxes_.shown[1].text.find("Unrecognized database format '" + folder + "\\PRODUTO.MDB'.\r\n"
                                            "Número: 3343\r\n\r\nTela     -> Geral\r\nRotina -> RepararBD"),
                  std::string::npos)
            << boxes_.shown[1].text;
        EXPECT_EQ(ErrorLog(), "");
        EXPECT_EQ(forms::App().MousePointer(), forms::pointer::Default);
        std::ifstream after(file, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(after), {}), before) << "the file is left as it was";
        ResetProgramState();
        forms::App().ResetForTests();
        boxes_.shown.clear();
    }
}

TEST_F(ConnectionsTest, DamageTheRepairDoesNotCoverEndsWithoutARepairOffer) {
    BuildPostal();
    dao::InjectFault(dao::jet::DatabaseNotRecognised, "OpenDatabase", "*\\dbkvt.mdb", -1);
    AbrirBD();
    EXPECT_TRUE(Ended());
    EXPECT_EQ(boxes_.shown.size(), 1u) << "no repair offer for the postal-code file";
    EXPECT_NE(ErrorLog().find("Nro.: 3343 Tela -> Geral AbrirBD "), std::string::npos);
    ResetProgramState();
    forms::App().ResetForTests();
    boxes_.shown.clear();
    std::filesystem::remove("ERRO.TXT");

    ProgramHooks().runUpgrade = [] { dao::RaiseJet(dao::jet::DatabaseNotRecognised, "F:\\LOJA01\\Antigo.MDB"); };
    LogInAs(1);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(boxes_.shown.size(), 1u) << "no repair offer for a file of the upgrade";
    EXPECT_NE(ErrorLog().find("Nro.: 3343 Tela -> Geral AbrirBDLoja "), std::string::npos);
}

TEST_F(ConnectionsTest, LogInRunsTheUpgradeEveryTimeWithBothRecordsetsOpen) {
    {
        dao::Database bd2 = ProgramEngine().OpenDatabase("F:\\LOJA01\\Bd2.MDB", false, false, ";PWD=TORPAL");
        AddRow(bd2, "Usuario", {{"CodUsuario", dao::Value(7)}, {"Usuario", dao::Value("CAIXA")}});
        bd2.Close();
    }
    std::vector<std::string> seen;
    ProgramHooks().runUpgrade = [&] {
        ASSERT_TRUE(TabelaRelacao.IsOpen());
        ASSERT_TRUE(TabelaUsuario.IsOpen());
        EXPECT_EQ(TabelaUsuario->Index(), "IndCodUsuario");
        seen.push_back(TabelaUsuario->NoMatch() ? "(none)" : (*TabelaUsuario)("Usuario").GetValue().ToText());
    };
    LogInAs(7);
    FecharBDLoja();
    LogInAs(99);
    EXPECT_FALSE(Ended());
    EXPECT_EQ(seen, (std::vector<std::string>{"CAIXA", "(none)"}));
    EXPECT_EQ(CaminhoBanco, "F:\\LOJA01\\Bd2.MDB");
}

TEST_F(ConnectionsTest, LogInWithoutRightsTableIsReportedAndEnds) {
    ProgramEngine().OpenDatabase("F:\\LOJA01\\Bd2.MDB", false, false, ";PWD=TORPAL").TableDefs().Delete("Relacao");
    int upgrades = 0;
    ProgramHooks().runUpgrade = [&] { ++upgrades; };
    LogInAs(1);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(upgrades, 0);
    EXPECT_NE(ErrorLog().find(" Tela -> Geral AbrirBDLoja "), std::string::npos) << ErrorLog();
}

TEST_F(ConnectionsTest, ClosingTwiceOrBeforeAnyOpenNeverRaises) {
    EXPECT_EQ(ErrorNumberOf([] { FecharBD(); }), 0);
    EXPECT_EQ(ErrorNumberOf([] { FecharBDLoja(); }), 0);
    AbrirBD();
    LogInAs(1);
    TabelaUsuarioAcesso.Set(BancoBD2->OpenRecordset("Usuario", dao::dbOpenTable));
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(ErrorNumberOf([] { FecharBDLoja(); }), 0) << pass;
        EXPECT_EQ(ErrorNumberOf([] { FecharBD(); }), 0) << pass;
    }
    for (DatabaseHandle* db : {&BancoProduto, &BancoBD2, &BancoProdutoLoja, &BancoBD2Loja}) EXPECT_FALSE(db->IsOpen());
    EXPECT_FALSE(TabelaUsuarioAcesso.IsOpen());
    EXPECT_EQ(ErrorNumberOf([] { BancoProdutoLoja->TableDefs(); }), 91) << "a closed handle is an unset object";
}

}  // namespace
}  // namespace report::testing
