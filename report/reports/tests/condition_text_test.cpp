// The builder's texts, each proven twice: as text, and through the engine on a small store, where
// the criterion must select exactly the rows its conditions mean.
#include "report/reports/condition_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dao/dao.h"
#include "platform/forms/strings.h"
#include "platform/win/error.h"
#include "platform/win/oledate.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/reports/criterion_text.h"

namespace report::reports {
namespace {

using K = FieldKind;

TEST(ConditionTextTest, EachKindAndOperatorWritesItsCondition) {
    struct Case {
        K kind;
        const char* op;
        std::string value;
        std::string text;
    };
    const std::vector<Case> cases = {
        {K::Text, "=", "abc", "[T].[F] = 'ABC'"},
        {K::Text, "<>", "ção", "[T].[F] <> 'ÇÃO'"},
        {K::Text, "Like", "ab", "[T].[F] Like '*AB*'"},
        {K::Text, "=", "d'avila", "[T].[F] = 'D''AVILA'"},
        {K::Text, "Like", "o'", "[T].[F] Like '*O''*'"},
        {K::Text, ">=", "", "[T].[F] >= ''"},
        {K::Date, "=", "2/3/2001", "[T].[F] = CDate(Format(\"2/3/2001\",\"D/M/YYYY\"))"},
        {K::Date, "<", "02/03/2001 10:30", "[T].[F] < CDate(\"02/03/2001 10:30:00\")"},
        {K::Other, "=", "5", "[T].[F] = 5"},
        {K::Other, ">", "12,5", "[T].[F] > 12.5"},
        {K::Other, "<=", "-1.234,50", "[T].[F] <= -1234.50"},
        {K::Other, "=", "12.5", "[T].[F] = 12.5"},
        {K::Other, "=", "[T].[G]", "[T].[F] = [T].[G]"},
        {K::Other, "=", "", "[T].[F] = "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConditionText(c.kind, "[T].[F]", c.op, c.value), c.text) << c.value;
    }
}

TEST(ConditionTextTest, RefusalsNameTheBuildersMessages) {
    struct Case {
        K kind;
        std::string value;
        bool andButton;
        std::string message;  // "" = accepted
    };
    const std::vector<Case> cases = {
        {K::Date, "31/12/2001", true, ""},         {K::Date, "2/3/2001 10:00", false, ""},
        {K::Date, "31/02/2001", true, kDataInvalida}, {K::Date, "abc", false, kDataInvalida},
        {K::Date, "", true, kDataInvalida},        {K::Other, " ", true, kConteudoInvalido},
        {K::Other, " ", false, kConteudoInvalido},                {K::Text, " ", true, ""},
        {K::Text, "A\r\nB", false, kConteudoInvalido}, {K::Other, "1\n", true, kConteudoInvalido},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConditionRefusal(c.kind, c.value, c.andButton).value_or(""), c.message) << c.value;
    }
}

TEST(ConditionTextTest, NumbersTakeADecimalPointAndAnythingElseStaysAsTyped) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12,5", "12.5"},   {" 12,5 ", "12.5"}, {"-0,25", "-0.25"}, {"1.234.567,8", "1234567.8"},
        {"1234,5", "1234.5"}, {"12", "12"},     {"12.5", "12.5"},   {"1.23,4", "1.23,4"},
        {"12,", "12,"},     {",5", ",5"},       {"1,2,3", "1,2,3"}, {"[T].[Custo]", "[T].[Custo]"},
        {"1234.567,8", "1234.567,8"},
    };
    for (const auto& [typed, literal] : cases) EXPECT_EQ(NumberLiteral(typed), literal) << typed;
}

TEST(ConditionTextTest, ProximoItemCutsAsTheItemRulesSay) {
    struct Case {
        std::string text;
        std::string item;
        std::string rest;
    };
    const std::vector<Case> cases = {
        {"AND [T].[A] = 5", "AND", "[T].[A] = 5"},
        {"[Venda].[Valor Total] > 3", "[Venda].[Valor Total]", "> 3"},
        {"'ANA' And [Venda].[Loja] = 5", "'ANA' And [Venda].[Loja] =", "5"},
        {"'X' And [T].[B] = 'Y'", "'X' And [T].[B] = 'Y'", ""},
        {"'A B' Or x", "'A B'", "Or x"},
        {"'A B'' C D' x", "'A B'", "' C D' x"},   // cut at a doubled quote: nothing is lost
        {"CDate(\"2/3/2001 10:00\") And x", "CDate(\"2/3/2001 10:00\")", "And x"},
        {"\"abc\" x", "abc", "x"},
        {"5", "5", ""},
        {"  ", "", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(ProximoItem(text, " "), c.item) << c.text;
        EXPECT_EQ(text, c.rest) << c.text;
    }
}

TEST(ConditionTextTest, ParteCampoSplitsTableAndField) {
    EXPECT_EQ(ParteCampo("[Venda].[Data Venda]", true), "Data Venda");
    EXPECT_EQ(ParteCampo("[Venda].[Data Venda]", false), "[Venda]");
    EXPECT_EQ(ParteCampo("[Itens Venda].[Cor]", false), "[Itens Venda]");
    EXPECT_TRUE(IsFieldReference("[Itens Venda].[Cor]"));
    for (const char* typed : {"Venda.Cor", "[Venda]", "[Venda].[Cor] Or 1=1", "[V].[]", "[V]].[C]", ""}) {
        EXPECT_FALSE(IsFieldReference(typed)) << typed;
    }
}

TEST(ConditionTextTest, TheRebuildGroupsAtAndItemsAndKeepsQuotedValuesWhole) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"[Venda].[Loja] = 5\r\nAnd [Venda].[Caixa] = 2\r\n Or [Venda].[Valor] > 100",
         " Where ([Venda].[Loja]=5) And ([Venda].[Caixa]=2 Or [Venda].[Valor]>100)"},
        {"[Cliente].[Nome] = 'ANA'\r\nAnd [Venda].[Loja] = 5", " Where ([Cliente].[Nome]='ANA' And [Venda].[Loja] =5)"},
        {"[T].[A] = 'X'\r\nAnd [T].[B] = 'Y'", " Where ([T].[A]='X' And [T].[B] = 'Y')"},
        {"[T].[A] = 1\r\nAnd [T].[B] = 2", " Where ([T].[A]=1) And ([T].[B]=2)"},
        {"[T].[A] = 1\r\n Or [T].[B] = 2", " Where ([T].[A]=1 Or [T].[B]=2)"},
        {"[T].[F] = 'ABC'", " Where ([T].[F]='ABC')"},
        {"[T].[F] Like '*AB*'", " Where ([T].[F] Like '*AB*')"},
        {"[T].[F] = ", " Where ([T].[F]=)"},
        {"[T].[D] = CDate(Format(\"2/3/2001\",\"D/M/YYYY\"))", " Where ([T].[D]=CDate(Format(\"2/3/2001\",\"D/M/YYYY\")))"},
        {"[T].[D] = CDate(\"2/3/2001 10:00\")", " Where ([T].[D]=CDate(\"2/3/2001 10:00\"))"},
        {"[T].[A] = 'D''AVILA'\r\nAnd [T].[B] = 5", " Where ([T].[A]='D''AVILA' And [T].[B] =5)"},
        {"[T].[A] = 'A B'\r\nAnd [T].[B] = 'C  D'", " Where ([T].[A]='A B') And ([T].[B]='C  D')"},
        {"[T].[A] = 'X'\r\nAnd [T].[B] = 'C  D'' E'", " Where ([T].[A]='X' And [T].[B] = 'C  D'' E')"},
        {"[T].[A] = 'A B'' C'\r\n Or [T].[B] = 1", " Where ([T].[A]='A B'' C' Or [T].[B]=1)"},
        {"[Venda].[Valor Total] > 3", " Where ([Venda].[Valor Total]>3)"},
        {"\r\n", " Where ()"},
    };
    for (const auto& [conditions, criterion] : cases) EXPECT_EQ(CriterionFromConditions(conditions), criterion) << conditions;
}

TEST(ConditionTextTest, OnlyOneConditionMayRun) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" Where ([T].[A]='X;Y -- /* IN ''f''')", ""},
        {" Where ([T].[A] IN (1, 2))", ""},
        {" Where ([T].[D]=#1/2/2001#)", ""},
        {" Where ([T].[A]=1); DELETE FROM T", "Mais de uma instrução no critério"},
        {" Where ([T].[A]=1) -- x", "Comentário no critério"},
        {" Where ([T].[A]=1) /* x */", "Comentário no critério"},
        {" Where ([T].[A]=1-1)", ""},
        {" Where ([T].[A] IN (SELECT A FROM T IN 'C:\\X.MDB'))", "Arquivo externo no critério"},
        {" Where ([T].[A] In \"C:\\X.MDB\")", "Arquivo externo no critério"},
        {" Where ([T].[A]='X)", "Aspas sem fechamento no critério"},
        {" Where ([T].[A]='X'')", "Aspas sem fechamento no critério"},
        {" Where ([T].[A]=#1/2/2001)", "Aspas sem fechamento no critério"},
        {" Where ([T].[A=1)", "Colchete sem fechamento no critério"},
    };
    for (const auto& [criterion, fault] : cases) EXPECT_EQ(CriterionFault(criterion).value_or(""), fault) << criterion;
}

TEST(ConditionTextTest, TheSavedCriteriaSourceQuotesTheReport) {
    EXPECT_EQ(SavedCriteriaSource("R001"),
              " SELECT * from Criterio Where Criterio.Relatorio = 'R001' ORDER BY Criterio.DataCriacao DESC , "
              "Criterio.Sequencia Desc");
    EXPECT_EQ(SavedCriteriaSource("R' Or 'a'='a"),
              " SELECT * from Criterio Where Criterio.Relatorio = 'R'' Or ''a''=''a' ORDER BY Criterio.DataCriacao DESC , "
              "Criterio.Sequencia Desc");
}

// A store with one table of every field kind.
class ConditionStoreTest : public ::testing::Test {
protected:
    struct Row {
        int id;
        std::string nome;
        double dia;
        int qtd;
        double valor;
    };

    ConditionStoreTest() : db_(engine_.CreateDatabase("C:\\COND.MDB")) {
        dao::TableDef t = db_.CreateTableDef("T");
        const auto add = [&](const char* name, dao::DataType type, int size = 0) {
            t.Fields().Append(t.CreateField(name, dao::Value::Long(static_cast<int>(type)), dao::Value::Long(size)));
        };
        add("Id", dao::DataType::Long);
        add("Nome", dao::DataType::Text, 255);
        add("Obs", dao::DataType::Memo);
        add("Dia", dao::DataType::Date);
        add("Qtd", dao::DataType::Long);
        add("Valor", dao::DataType::Double);
        add("Preco", dao::DataType::Currency);
        db_.TableDefs().Append(t);
    }

    void Insert(const Row& row) {
        dao::Recordset rs = db_.OpenRecordset("T", dao::dbOpenTable);
        rs.AddNew();
        rs.Fields().Item("Id").SetValue(dao::Value(row.id));
        rs.Fields().Item("Nome").SetValue(dao::Value(row.nome));
        rs.Fields().Item("Obs").SetValue(dao::Value(row.nome));
        rs.Fields().Item("Dia").SetValue(dao::Value::Date(row.dia));
        rs.Fields().Item("Qtd").SetValue(dao::Value(row.qtd));
        rs.Fields().Item("Valor").SetValue(dao::Value(row.valor));
        rs.Fields().Item("Preco").SetValue(dao::Value::CurrencyFromDouble(row.valor));
        rs.Update();
        rows_.push_back(row);
    }

    // The ids the criterion selects; the engine's error number when it refuses the statement.
    std::vector<int> Select(const std::string& criterion, long* error = nullptr) {
        std::vector<int> ids;
        try {
            dao::Recordset rs =
                db_.OpenRecordset(MergeCriterion("SELECT T.Id FROM T ORDER BY T.Id;", criterion), dao::dbOpenSnapshot);
            for (; !rs.Eof(); rs.MoveNext()) ids.push_back(rs.Fields().Item(0).GetValue().ToLong());
        } catch (const win::RuntimeError& e) {
            if (!error) throw;
            *error = e.Number();
        }
        return ids;
    }

    std::vector<int> Where(const std::function<bool(const Row&)>& keep) const {
        std::vector<int> ids;
        for (const Row& row : rows_) {
            if (keep(row)) ids.push_back(row.id);
        }
        return ids;
    }

    // Every row of the table as one text, to see that nothing changed it.
    std::string Contents() {
        std::string all;
        dao::Recordset rs = db_.OpenRecordset("SELECT * FROM T ORDER BY Id", dao::dbOpenSnapshot);
        for (; !rs.Eof(); rs.MoveNext()) {
            for (int i = 0; i < rs.Fields().Count(); ++i) all += rs.Fields().Item(i).GetValue().ToText() + "|";
        }
        return all;
    }

    static double Day(int y, int m, int d, int h = 0, int n = 0) {
        return win::OleDateFromCivil({y, m, d, h, n, 0});
    }

    win::testing::TempMachineRoot root_;
    dao::DBEngine engine_;
    dao::Database db_;
    std::vector<Row> rows_;
};

TEST_F(ConditionStoreTest, EachConditionSelectsTheRowsItMeans) {
    Insert({1, "ANA", Day(2001, 3, 2), 5, 12.5});
    Insert({2, "D'AVILA", Day(2001, 2, 3), 2, 100});
    Insert({3, "JOÃO DA SILVA", Day(2001, 3, 2, 10, 0), 5, 250.75});
    Insert({4, "100%_OK", Day(2002, 1, 1), 7, 12.5});
    Insert({5, "100X_OK", Day(2002, 1, 2), 7, -3.5});
    Insert({6, "a b", Day(2002, 1, 3), 8, 0});
    const auto text = [](const char* f, const char* op, const char* v) { return ConditionText(K::Text, f, op, v); };
    const auto date = [](const char* op, const char* v) { return ConditionText(K::Date, "[T].[Dia]", op, v); };
    const auto other = [](const char* f, const char* op, const char* v) { return ConditionText(K::Other, f, op, v); };
    struct Case {
        std::string conditions;
        std::vector<int> ids;
    };
    const std::vector<Case> cases = {
        {text("[T].[Nome]", "=", "ana"), {1}},
        {text("[T].[Nome]", "=", "d'avila"), {2}},
        {text("[T].[Obs]", "Like", "'av"), {2}},
        {text("[T].[Nome]", "Like", "joão"), {3}},
        {text("[T].[Nome]", "Like", "%_"), {4}},
        {text("[T].[Nome]", "Like", "0?_"), {4, 5}},
        {text("[T].[Nome]", "Like", "[dj]"), {2, 3}},
        {text("[T].[Nome]", "Like", "#%"), {4}},
        {text("[T].[Nome]", "=", "A B"), {6}},
        {text("[T].[Nome]", ">=", "d"), {2, 3}},
        {text("[T].[Nome]", "<", "b"), {1, 4, 5, 6}},
        {date("=", "2/3/2001"), {1}},
        {date("=", "3/2/2001"), {2}},
        {date("=", "02/03/2001 10:00"), {3}},
        {date(">", "02/03/2001 09:00"), {3, 4, 5, 6}},
        {date("<", "1/1/2002"), {1, 2, 3}},
        {date("<>", "2/3/2001"), {2, 3, 4, 5, 6}},
        {date("<=", "3/2/2001"), {2}},
        {other("[T].[Valor]", "=", "12,5"), {1, 4}},
        {other("[T].[Valor]", "<", "-3,4"), {5}},
        {other("[T].[Preco]", "=", "250,75"), {3}},
        {other("[T].[Qtd]", "=", "[T].[Id]"), {2}},
        {other("[T].[Qtd]", "<>", "5"), {2, 4, 5, 6}},
        {other("[T].[Qtd]", "<=", "2"), {2}},
        {other("[T].[Valor]", ">=", "250,75"), {3}},
        // The documented grouping: numeric conditions are grouped at each And ...
        {other("[T].[Qtd]", "=", "5") + kAndJoin + other("[T].[Valor]", "=", "12,5") + kOrJoin +
             other("[T].[Qtd]", "=", "8"),
         {1}},
        // ... while after a quoted value the And opens no group: (c1 And c2) Or c3.
        {text("[T].[Nome]", "=", "ana") + kAndJoin + other("[T].[Qtd]", "=", "5") + kOrJoin + other("[T].[Qtd]", "=", "8"),
         {1, 6}},
        {text("[T].[Nome]", "=", "a b") + kAndJoin + text("[T].[Obs]", "=", "a b"), {6}},
        {text("[T].[Nome]", "=", "d'avila") + kOrJoin + text("[T].[Nome]", "=", "joão da silva"), {2, 3}},
        {date("=", "2/3/2001 10:00") + kOrJoin + date("=", "3/2/2001"), {2, 3}},
    };
    for (const Case& c : cases) {
        const std::string criterion = CriterionFromConditions(c.conditions);
        EXPECT_FALSE(CriterionFault(criterion).has_value()) << criterion;
        EXPECT_EQ(Select(criterion), c.ids) << criterion;
    }
}

// What a user types into the builder, as it reaches the query: a date with any separator the
// builder takes is the day it read, a number is read as the program prints it, and a text
// condition may be followed by a date with a time. Each typed value either selects the rows the
// user means or is refused with the builder's own message.
TEST_F(ConditionStoreTest, TypedValuesSelectWhatTheUserMeansOrAreRefused) {
    Insert({1, "ANA", Day(2000, 3, 15), 1, 1500});
    Insert({2, "ANA", Day(2000, 3, 2, 10, 0), 2, 1.5});
    Insert({3, "BIA", Day(2000, 3, 2), 3, 1500.25});
    Insert({4, "BIA", Day(2000, 2, 3), 4, -1500});
    Insert({5, "ANA", Day(2000, 3, 2, 9, 0), 1500, 15});
    struct Case {
        K kind;
        const char* field;
        const char* op;
        std::string value;
        std::string message;   // the builder's refusal; "" = accepted
        std::string criterion;
        std::vector<int> ids;
    };
    const std::string none;
    const std::vector<Case> cases = {
        {K::Date, "[T].[Dia]", "=", "15.03.2000", none, " Where ([T].[Dia]=CDate(Format(\"15/3/2000\",\"D/M/YYYY\")))", {1}},
        {K::Date, "[T].[Dia]", "=", "02.03.2000", none, " Where ([T].[Dia]=CDate(Format(\"2/3/2000\",\"D/M/YYYY\")))", {3}},
        {K::Date, "[T].[Dia]", ">=", "2-3-2000", none, " Where ([T].[Dia]>=CDate(Format(\"2/3/2000\",\"D/M/YYYY\")))", {1, 2, 3, 5}},
        {K::Date, "[T].[Dia]", "<", "3.2.00", none, " Where ([T].[Dia]<CDate(Format(\"3/2/2000\",\"D/M/YYYY\")))", {}},
        {K::Date, "[T].[Dia]", "=", "02.03.2000 10:00", none, " Where ([T].[Dia]=CDate(\"02/03/2000 10:00:00\"))", {2}},
        {K::Date, "[T].[Dia]", "=", "2/3/2000 9:00", none, " Where ([T].[Dia]=CDate(\"02/03/2000 09:00:00\"))", {5}},
        {K::Date, "[T].[Dia]", "=", "15.13.2000", kDataInvalida, "", {}},
        {K::Other, "[T].[Preco]", "=", "1.500", none, " Where ([T].[Preco]=1500)", {1}},
        {K::Other, "[T].[Preco]", "=", "1.500,00", none, " Where ([T].[Preco]=1500.00)", {1}},
        {K::Other, "[T].[Preco]", ">", "1.500", none, " Where ([T].[Preco]>1500)", {3}},
        {K::Other, "[T].[Preco]", "=", "-1.500", none, " Where ([T].[Preco]=-1500)", {4}},
        {K::Other, "[T].[Valor]", "=", "1,5", none, " Where ([T].[Valor]=1.5)", {2}},
        {K::Other, "[T].[Valor]", "=", " 1.500,25 ", none, " Where ([T].[Valor]=1500.25)", {3}},
        {K::Other, "[T].[Qtd]", "=", "1.500", none, " Where ([T].[Qtd]=1500)", {5}},
        {K::Other, "[T].[Qtd]", "=", "[T].[Id]", none, " Where ([T].[Qtd]=[T].[Id])", {1, 2, 3, 4}},
        {K::Other, "[T].[Preco]", "=", "1.5", kConteudoInvalido, "", {}},
        {K::Other, "[T].[Preco]", "=", "1500.25", kConteudoInvalido, "", {}},
        {K::Other, "[T].[Preco]", "=", "15.00", kConteudoInvalido, "", {}},
        {K::Other, "[T].[Preco]", "=", "1,500,00", kConteudoInvalido, "", {}},
        {K::Other, "[T].[Preco]", "=", "R$ 15", kConteudoInvalido, "", {}},
        {K::Other, "[T].[Preco]", "=", "1e3", kConteudoInvalido, "", {}},
        {K::Other, "[T].[Preco]", "=", "abc", kConteudoInvalido, "", {}},
        {K::Other, "[T].[Preco]", "=", "", kConteudoInvalido, "", {}},
    };
    for (const Case& c : cases) {
        for (const bool andButton : {true, false}) {
            const std::string label = std::string(c.field) + " " + c.op + " <" + c.value + (andButton ? "> E" : "> Ou");
            EXPECT_EQ(ConditionRefusal(c.kind, c.value, andButton).value_or(""), c.message) << label;
        }
        if (!c.message.empty()) continue;
        const std::string criterion = CriterionFromConditions(ConditionText(c.kind, c.field, c.op, c.value));
        EXPECT_EQ(criterion, c.criterion) << c.value;
        EXPECT_FALSE(CriterionFault(criterion).has_value()) << criterion;
        long error = 0;
        EXPECT_EQ(Select(criterion, &error), c.ids) << criterion;
        EXPECT_EQ(error, 0) << criterion;
    }

    // A text condition and then a date with a time, joined either way: the date's quotes close.
    struct Joined {
        const char* join;
        std::string criterion;
        std::vector<int> ids;
    };
    const std::vector<Joined> joined = {
        {kAndJoin, " Where ([T].[Nome]='ANA' And [T].[Dia] = CDate(\"02/03/2000 10:00:00\"))", {2}},
        {kOrJoin, " Where ([T].[Nome]='BIA'  Or [T].[Dia] = CDate(\"02/03/2000 10:00:00\"))", {2, 3, 4}},
    };
    for (const Joined& j : joined) {
        const std::string name = j.join == std::string(kAndJoin) ? "ana" : "bia";
        const std::string conditions = ConditionText(K::Text, "[T].[Nome]", "=", name) + j.join +
                                       ConditionText(K::Date, "[T].[Dia]", "=", "02.03.2000 10:00");
        const std::string criterion = CriterionFromConditions(conditions);
        EXPECT_EQ(criterion, j.criterion);
        EXPECT_FALSE(CriterionFault(criterion).has_value()) << criterion;
        EXPECT_EQ(Select(criterion), j.ids) << criterion;
    }
}

// The builder's value for a kind, generated from the pieces an attacker or a careless user types.
std::vector<std::string> HostileValues() {
    const std::vector<std::string> pieces = {
        "'",     "''",    "D'AVILA", "\"",     "[",     "]",      "[Venda]", "#",      ";",     "; DELETE FROM T",
        "--",    "/*",    "*/",      " IN ",   "IN 'C:\\OUTRA\\X.MDB'",      "\r\n",   "\n",    "%",      "_",
        "*",     "?",     "Ωμέγα",   "日本語", "ção",   "1",      "12,5",    "-3",     " ",     "x",      "' Or 'a'='a",
        "') Or ('a'='a",  "\" Or \"a\"=\"a", "1 -- x", "1; DROP TABLE T", "0 IN 'C:\\OUTRA\\X.MDB'", "a b",
    };
    std::vector<std::string> values(pieces.begin(), pieces.end());
    values.push_back(std::string(10000, 'Z'));
    values.push_back(std::string(5000, '\'') + "x");
    std::uint32_t seed = 20261209;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    while (values.size() < 200) {
        std::string value;
        const std::uint32_t count = 2 + next() % 3;
        for (std::uint32_t i = 0; i < count; ++i) value += pieces[next() % pieces.size()];
        values.push_back(value);
    }
    return values;
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?#[") != std::string::npos; }

std::optional<double> PlainNumber(const std::string& literal) {
    double number = 0;
    const auto [end, ec] = std::from_chars(literal.data(), literal.data() + literal.size(), number);
    if (ec != std::errc() || end != literal.data() + literal.size() || literal.empty()) return std::nullopt;
    return number;
}

// Each hostile value, typed into every kind of field, either selects exactly the rows whose value
// equals it (is like it), or is refused with a message: by the builder, by the one-condition
// check, or by the engine with a number the criterion message takes. Nothing changes the table,
// and no other file is read or made.
TEST_F(ConditionStoreTest, HostileValuesSelectTheirOwnRowsOrAreRefused) {
    const std::vector<std::string> values = HostileValues();
    ASSERT_EQ(values.size(), 200u);
    int id = 0;
    for (const std::string& value : values) {
        if (value.size() <= 255 && value.find_first_of("\r\n") == std::string::npos) {
            ++id;
            Insert({id, forms::UCase(value), Day(2001, 1, 1), id, static_cast<double>(id)});
        }
    }
    const std::string before = Contents();
    const int tables = db_.TableDefs().Count();
    const std::vector<long> criterionErrors = {13, 3061, 3075, 3464};
    int selected = 0;
    int refused = 0;
    const auto run = [&](K kind, const char* field, const char* op, const std::string& value,
                         const std::optional<std::vector<int>>& expected) {
        const std::string label = std::string(field) + " " + op + " <" + value.substr(0, 60) + ">";
        if (ConditionRefusal(kind, value, false)) {
            ++refused;
            return;
        }
        const std::string criterion = CriterionFromConditions(ConditionText(kind, field, op, value));
        if (CriterionFault(criterion)) {
            ++refused;
            EXPECT_EQ(kind, K::Other) << label << ": a typed value must never reach past its quotes";
            return;
        }
        long error = 0;
        const std::vector<int> ids = Select(criterion, &error);
        if (error != 0) {
            ++refused;
            EXPECT_NE(std::find(criterionErrors.begin(), criterionErrors.end(), error), criterionErrors.end())
                << label << " error " << error;
            return;
        }
        ++selected;
        ASSERT_TRUE(expected.has_value()) << label << " ran: " << criterion;
        EXPECT_EQ(ids, *expected) << label;
    };
    for (const std::string& value : values) {
        const std::string upper = forms::UCase(value);
        run(K::Text, "[T].[Nome]", "=", value, Where([&](const Row& r) { return r.nome == upper; }));
        if (!HasWildcard(value)) {
            run(K::Text, "[T].[Obs]", "Like", value,
                Where([&](const Row& r) { return r.nome.find(upper) != std::string::npos; }));
        } else {
            // A wildcard keeps its meaning: the rows of the same pattern written by hand.
            long error = 0;
            const std::vector<int> direct = Select(" Where [T].[Obs] Like " + QuotedText("*" + upper + "*"), &error);
            run(K::Text, "[T].[Obs]", "Like", value,
                error == 0 ? std::optional<std::vector<int>>(direct) : std::nullopt);
        }
        const std::optional<double> day = win::IsDateText(value) ? std::optional<double>(win::DateValue(value)) : std::nullopt;
        run(K::Date, "[T].[Dia]", "=", value,
            day ? std::optional<std::vector<int>>(Where([&](const Row& r) { return r.dia == *day; })) : std::nullopt);
        // A text that is not a number equals no number: it selects nothing, or is refused.
        const std::optional<double> number = PlainNumber(NumberLiteral(value));
        run(K::Other, "[T].[Valor]", "=", value,
            Where([&](const Row& r) { return number && r.valor == *number; }));
    }
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(db_.TableDefs().Count(), tables);
    EXPECT_FALSE(std::filesystem::exists(root_.Root() / "drives" / "c" / "OUTRA"));
    EXPECT_GT(selected, 200);
    EXPECT_GT(refused, 100);
}

}  // namespace
}  // namespace report::reports
