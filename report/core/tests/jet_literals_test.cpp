// The literals the program's statements carry: exact texts, and what the engine reads back from
// them, for values and folders holding quotes and letters of other scripts.
#include "report/core/jet_literals.h"

#include <string>
#include <vector>

#include "report/core/tests/support/core_fixture.h"
#include "report/core/tests/support/folders.h"

namespace report::testing {
namespace {

struct LiteralRow {
    std::string text;
    char quote;
    std::string literal;
};

const std::vector<LiteralRow> kLiterals = {
    {"", '\'', "''"},
    {"D'AVILA", '\'', "'D''AVILA'"},
    {"''", '\'', "''''''"},
    {"ends'", '\'', "'ends'''"},
    {"ЛАВКА 東京 çã", '\'', "'ЛАВКА 東京 çã'"},
    {"D'AVILA", '"', "\"D'AVILA\""},
    {"a\"b'c", '"', "\"a\"\"b'c\""},
};

TEST(JetLiteralsTest, QuotesInsideTheTextAreDoubledAndNothingElseChanges) {
    for (const LiteralRow& row : kLiterals) EXPECT_EQ(QuotedText(row.text, row.quote), row.literal) << row.text;
    EXPECT_EQ(InFile("C:\\D'AVILA\\Antigo.mdb"), "IN 'C:\\D''AVILA\\Antigo.mdb'");
}

class JetLiteralsEngineTest : public CoreTest {};

TEST_F(JetLiteralsEngineTest, TheEngineReadsBackTheTextAndTheFileItNames) {
    dao::Database produto = ProgramEngine().OpenDatabase(std::string(kProgram) + "\\Produto.MDB", false, false,
                                                         ConnectLoja(kProgram, "\\Produto.MDB"));
    produto.Execute("INSERT INTO Loja ( CodLoja, Nome ) VALUES ( 1, 'x' )");
    for (const LiteralRow& row : kLiterals) {
        dao::Recordset rs = produto.OpenRecordset("SELECT " + row.literal + " AS T FROM Loja", dao::dbOpenSnapshot);
        EXPECT_EQ(rs("T").GetValue().ToText(), row.text) << row.literal;
    }
    const std::string other = std::string("C:\\") + kQuotedFolder + "\\Outro.MDB";
    std::filesystem::create_directories(Host(std::string("C:\\") + kQuotedFolder));
    ProgramEngine().CreateDatabase(other).Close();
    produto.Execute("SELECT Loja.* INTO Copia " + InFile(other) + " FROM Loja");
    dao::Database copy = ProgramEngine().OpenDatabase(other);
    EXPECT_EQ(copy.OpenRecordset("SELECT Count(*) FROM Copia", dao::dbOpenSnapshot)(0).GetValue().ToLong(), 1);
    copy.Close();
    produto.Close();
}

}  // namespace
}  // namespace report::testing
