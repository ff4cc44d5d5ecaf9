// The rights check: administrators, missing rows, each action's field and message, the centring of
// the name, and Null.
#include "report/core/rights.h"

#include "report/core/tests/support/core_fixture.h"

namespace report::testing {
namespace {

class RightsTest : public CoreTest {
protected:
    RightsTest() {
        dao::Database bd2 = ProgramEngine().OpenDatabase("F:\\LOJA01\\Bd2.MDB", false, false, ";PWD=TORPAL");
        AddRow(bd2, "Usuario", {{"CodUsuario", dao::Value(1)}, {"Usuario", dao::Value("GERENTE")}, {"Nivel", dao::Value("A")}});
        AddRow(bd2, "Usuario", {{"CodUsuario", dao::Value(2)}, {"Usuario", dao::Value("CAIXA")}, {"Nivel", dao::Value("B")}});
        AddRow(bd2, "Usuario", {{"CodUsuario", dao::Value(3)}, {"Nivel", dao::Value("B")}});  // no name
        AddRow(bd2, "Usuario", {{"CodUsuario", dao::Value(4)}, {"Usuario", dao::Value("JOSÉ   ")}});  // Nivel Null
        AddRow(bd2, "Usuario", {{"CodUsuario", dao::Value(5)}, {"Usuario", dao::Value("a")}, {"Nivel", dao::Value("a")}});
        // CAIXA may print and consult R01, has a lower-case "s" for deleting and Null for altering.
        AddRow(bd2, "Relacao", {{"CodUsuario", dao::Value(2)}, {"CodAplicacao", dao::Value("R01")}, {"Incluir", dao::Value("N")},
                                {"Excluir", dao::Value("s")}, {"Consulta", dao::Value("S")}, {"Imprime", dao::Value("S")}});
        AddRow(bd2, "Relacao", {{"CodUsuario", dao::Value(2)}, {"CodAplicacao", dao::Value("R02")}, {"Incluir", dao::Value("S")},
                                {"Alterar", dao::Value("N")}, {"Excluir", dao::Value("S")}, {"Consulta", dao::Value("N")},
                                {"Imprime", dao::Value("N")}});
        for (int user : {3, 4, 5}) {
            AddRow(bd2, "Relacao", {{"CodUsuario", dao::Value(user)}, {"CodAplicacao", dao::Value("R02")},
                                    {"Alterar", dao::Value("N")}, {"Consulta", dao::Value("N")}});
        }
        bd2.Close();
    }

    void LogIn(std::int32_t user) {
        ResetProgramState();
        PastaDados = kData;
        CodUsuarioAtual = user;
        AbrirBDLoja();
        ASSERT_FALSE(forms::App().EndRequested()) << ErrorLog();
    }
};

TEST_F(RightsTest, CentringHalvesToTheEvenNeighbour) {
    const struct {
        long width, length, blanks;
    } rows[] = {{27, 5, 11}, {25, 5, 10}, {26, 5, 10}, {27, 8, 10}, {25, 8, 8}, {25, 25, 0},
                {26, 0, 13}, {25, 0, 12}, {25, 40, 8}, {25, 43, 9}, {27, 30, 2}};
    for (const auto& row : rows) {
        EXPECT_EQ(CentringBlanks(row.width, row.length), row.blanks) << row.width << " " << row.length;
    }
}

TEST_F(RightsTest, EachRowOfTheRightsTable) {
    const struct {
        std::int32_t user;
        const char* code;
        const char* action;
        const char* show;
        bool allowed;
        const char* message;  // nullptr: no box
    } rows[] = {
        // An administrator may do anything, also without a Relacao row, and sees nothing.
        {1, "R01", "E", "S", true, nullptr},
        {1, "NENHUM", "P", "S", true, nullptr},
        {1, "CRITERIO", "x", "S", true, nullptr},
        // No row for the pair: refused whatever the action.
        {2, "NENHUM", "C", "S", false, "          CAIXA\n\nAplicação Não Autorizada !"},
        {2, "EXECUTAR", "I", "N", false, nullptr},
        {2, "NENHUM", "z", "S", false, "          CAIXA\n\nAplicação Não Autorizada !"},
        // Each action's field, width and text.
        {2, "R01", "I", "S", false, "          CAIXA\n\nInclusão Não Autorizada !"},
        {2, "R02", "A", "S", false, "           CAIXA\n\nAlteração Não Autorizada !"},
        {2, "R01", "E", "S", false, "          CAIXA\n\nExclusão Não Autorizada !"},
        {2, "R02", "C", "S", false, "          CAIXA\n\nConsulta Não Autorizada !"},
        {2, "R02", "P", "S", false, "           CAIXA\n\nImpressão Não Autorizada !"},
        {2, "R02", "P", "N", false, nullptr},
        {2, "R02", "P", "s", false, nullptr},
        {2, "R01", "C", "S", true, nullptr},
        {2, "R01", "P", "N", true, nullptr},
        {2, "R02", "I", "S", true, nullptr},
        // Null in a rights field does not refuse; a letter outside the five is allowed with a row.
        {2, "R01", "A", "S", true, nullptr},
        {2, "R02", "X", "S", true, nullptr},
        {2, "R02", "c", "S", true, nullptr},
        // A Null name counts as "": 13 blanks for width 26.
        {3, "R02", "C", "S", false, "             \n\nConsulta Não Autorizada !"},
        // Null Nivel is no administrator; the stored name keeps its blanks, its length does not.
        {4, "R02", "A", "S", false, "            JOSÉ   \n\nAlteração Não Autorizada !"},
        {4, "R02", "I", "S", true, nullptr},
        // A lower-case "a" is no administrator.
        {5, "R02", "C", "S", false, "            a\n\nConsulta Não Autorizada !"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.user) + " " + row.code + " " + row.action + " " + row.show);
        if (CodUsuarioAtual != row.user || !TabelaUsuario.IsOpen()) LogIn(row.user);
        boxes_.shown.clear();
        EXPECT_EQ(VerificaAutorizacao(row.code, row.action, row.show), row.allowed);
        if (row.message == nullptr) {
            EXPECT_TRUE(boxes_.shown.empty());
            continue;
        }
        ASSERT_EQ(boxes_.shown.size(), 1u);
        EXPECT_EQ(boxes_.shown[0].text, row.message);
        EXPECT_EQ(boxes_.shown[0].style, 48);
        EXPECT_EQ(boxes_.shown[0].title, "Mensagem");
    }
}

TEST_F(RightsTest, SeekLeavesTheRightsRecordsetOnItsIndexAndRow) {
    LogIn(2);
    EXPECT_TRUE(VerificaAutorizacao("R01", "P", "N"));
    EXPECT_EQ(TabelaRelacao->Index(), "IndCodUsuarioCodAplicacao");
    EXPECT_EQ((*TabelaRelacao)("CodAplicacao").GetValue().ToText(), "R01");
    EXPECT_FALSE(VerificaAutorizacao("NENHUM", "P", "N"));
    EXPECT_TRUE(TabelaRelacao->NoMatch());
}

TEST_F(RightsTest, UserNotFoundAtLogInRaisesToTheCaller) {
    LogIn(99);
    EXPECT_EQ(ErrorNumberOf([] { VerificaAutorizacao("R01", "P", "N"); }), dao::jet::NoCurrentRecord);
    EXPECT_TRUE(boxes_.shown.empty());
}

// A data set whose table Usuario is empty has nobody to check: every action is granted, silently.
TEST_F(RightsTest, ADataSetWithoutUsersGrantsEveryAction) {
    {
        dao::Database bd2 = ProgramEngine().OpenDatabase("F:\\LOJA01\\Bd2.MDB", false, false, ";PWD=TORPAL");
        bd2.Execute("DELETE FROM Usuario");
        bd2.Close();
    }
    LogIn(0);
    EXPECT_TRUE(IsAdministrator());
    for (const char* action : {"I", "A", "E", "C", "P", "X"}) EXPECT_TRUE(VerificaAutorizacao("R02", action, "S")) << action;
    EXPECT_TRUE(boxes_.shown.empty());
}

}  // namespace
}  // namespace report::testing
