// Recordsets: moves, Seek over one and more keys, edits, values as stored, and their numbers.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/dao/tests/fixture.h"

namespace dao::testing {
namespace {

struct ErrorRow {
    const char* situation;
    long number;
    std::function<void(Recordset&)> operation;
};

class DaoRecordsetTest : public DaoTest {
protected:
    DaoRecordsetTest() : db_(Create("Bd2.MDB")) {
        auto relacao = MakeTable(db_, "Relacao", {{"CodUsuario", DataType::Long, 0}, {"CodAplicacao", DataType::Long, 0},
                                                  {"Nome", DataType::Text, 10}});
        AddIndex(relacao, "IndCodUsuarioCodAplicacao", {"CodUsuario", "CodAplicacao"}, true);
        AddIndex(relacao, "IndNome", {"Nome"});
        const int rows[][2] = {{2, 1}, {1, 2}, {1, 1}, {3, 5}, {2, 7}};
        const char* names[] = {"Édson", "ana", "Bia", "edson", "Carla"};
        for (int i = 0; i < 5; ++i) {
            AddRow(db_, "Relacao", {{"CodUsuario", Value(rows[i][0])}, {"CodAplicacao", Value(rows[i][1])}, {"Nome", Value(names[i])}});
        }
    }

    std::vector<std::string> Names(Recordset& rs) {
        std::vector<std::string> names;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) names.push_back(rs("Nome").GetValue().ToText());
        return names;
    }

    Database db_;
};

TEST_F(DaoRecordsetTest, WithoutAnIndexRowsComeInInsertionOrder) {
    Recordset rs = db_.OpenRecordset("relacao", dbOpenTable);
    EXPECT_EQ(Names(rs), (std::vector<std::string>{"Édson", "ana", "Bia", "edson", "Carla"}));
    EXPECT_EQ(rs.RecordCount(), 5);
}

TEST_F(DaoRecordsetTest, TheIndexOrdersTextAsTheEngineDoes) {
    Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
    rs.SetIndex("IndNome");
    // Case does not count and accents sort with their letter, after the unaccented one.
    EXPECT_EQ(Names(rs), (std::vector<std::string>{"ana", "Bia", "Carla", "edson", "Édson"}));
}

TEST_F(DaoRecordsetTest, SeekFindsByEachComparison) {
    struct Row {
        const char* comparison;
        std::vector<Value> keys;
        bool found;
        const char* name;
    };
    const Row rows[] = {
        {"=", {Value(1), Value(2)}, true, "ana"},   {"=", {Value(2), Value(2)}, false, ""},
        {"=", {Value(2)}, true, "Édson"},           {">=", {Value(2), Value(2)}, true, "Carla"},
        {">", {Value(2), Value(7)}, true, "edson"}, {"<", {Value(2), Value(1)}, true, "ana"},
        {"<=", {Value(1), Value(1)}, true, "Bia"},  {"<", {Value(1), Value(1)}, false, ""},
        {">", {Value(3), Value(5)}, false, ""},
    };
    Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
    rs.SetIndex("IndCodUsuarioCodAplicacao");
    for (const auto& row : rows) {
        rs.Seek(row.comparison, row.keys);
        EXPECT_EQ(rs.NoMatch(), !row.found) << row.comparison << " " << row.keys[0].ToText();
        if (row.found) {
            EXPECT_EQ(rs("Nome").GetValue().ToText(), row.name) << row.comparison;
        }
    }
}

TEST_F(DaoRecordsetTest, SeekOnTextComparesAsTheEngineDoes) {
    Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
    rs.SetIndex("IndNome");
    rs.Seek("=", {Value("ÉDSON")});
    ASSERT_FALSE(rs.NoMatch());
    EXPECT_EQ(rs("Nome").GetValue().ToText(), "Édson");
    rs.Seek(">=", {Value("B")});
    EXPECT_EQ(rs("Nome").GetValue().ToText(), "Bia");
    rs.MoveNext();
    EXPECT_EQ(rs("Nome").GetValue().ToText(), "Carla");
}

TEST_F(DaoRecordsetTest, NumbersWhereThereIsNoRecordOrNoIndex) {
    MakeTable(db_, "UltimaVenda", {{"Numero", DataType::Long, 0}});
    const ErrorRow rows[] = {
        {"MoveFirst on an empty table", 3021, [](Recordset& rs) { rs.MoveFirst(); }},
        {"field read on an empty table", 3021, [](Recordset& rs) { rs("Numero").GetValue(); }},
        {"Edit on an empty table", 3021, [](Recordset& rs) { rs.Edit(); }},
        {"missing field", 3265, [](Recordset& rs) { rs("Versao"); }},
        {"Seek without an index", 3019, [](Recordset& rs) { rs.Seek("=", {Value(1)}); }},
        {"missing index", 3265, [](Recordset& rs) { rs.SetIndex("IndNada"); }},
        {"Update without AddNew", 3020, [](Recordset& rs) { rs.Update(); }},
        {"set a value without AddNew", 3020, [](Recordset& rs) { rs("Numero").SetValue(Value(1)); }},
    };
    for (const auto& row : rows) {
        Recordset rs = db_.OpenRecordset("UltimaVenda", dbOpenTable);
        EXPECT_TRUE(rs.Eof() && rs.Bof());
        EXPECT_EQ(rs.RecordCount(), 0);
        EXPECT_EQ(ErrorNumberOf([&] { row.operation(rs); }), row.number) << row.situation;
    }
}

TEST_F(DaoRecordsetTest, UseAfterCloseRaises3420) {
    Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
    Recordset same = rs;
    rs.Close();
    EXPECT_EQ(ErrorNumberOf([&] { same.MoveNext(); }), 3420);
    EXPECT_EQ(ErrorNumberOf([&] { same.Eof(); }), 3420);
    Recordset other = db_.OpenRecordset("Relacao");
    db_.Close();
    EXPECT_EQ(ErrorNumberOf([&] { other.MoveFirst(); }), 3420);
    EXPECT_EQ(ErrorNumberOf([&] { db_.TableDefs().Count(); }), 3420);
}

TEST_F(DaoRecordsetTest, AFailedUpdateLeavesTheRecordAsItWas) {
    Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
    rs.SetIndex("IndCodUsuarioCodAplicacao");
    rs.Seek("=", {Value(1), Value(1)});
    rs.Edit();
    rs("CodAplicacao").SetValue(Value(2));  // (1, 2) exists
    rs("Nome").SetValue(Value("Outra"));
    EXPECT_EQ(ErrorNumberOf([&] { rs.Update(); }), 3022);
    rs.CancelUpdate();
    EXPECT_EQ(rs("Nome").GetValue().ToText(), "Bia");
    rs.AddNew();
    rs("CodUsuario").SetValue(Value(9));
    EXPECT_EQ(ErrorNumberOf([&] { rs.Update(); }), 3058);  // Null in the primary key
    rs.CancelUpdate();
    EXPECT_EQ(rs.RecordCount(), 5);
    rs.AddNew();
    EXPECT_EQ(ErrorNumberOf([&] { rs("Nome").SetValue(Value("Onze letras")); }), 3163);
}

TEST_F(DaoRecordsetTest, ARecordsetSeesTheRowsItAdded) {
    engine_.BeginTrans();
    Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable, dbDenyWrite);
    rs.AddNew();
    rs("CodUsuario").SetValue(Value(8));
    rs("CodAplicacao").SetValue(Value(8));
    rs("Nome").SetValue(Value("Nova"));
    rs.Update();
    engine_.CommitTrans();
    rs.MoveLast();
    EXPECT_EQ(rs("Nome").GetValue().ToText(), "Nova");
    EXPECT_EQ(rs.RecordCount(), 6);
}

TEST_F(DaoRecordsetTest, MovesSeeChangesTheEngineMadeMeanwhile) {
    Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
    rs.MoveFirst();
    db_.Execute("UPDATE Relacao SET Nome = 'Mudou' WHERE CodUsuario = 1 AND CodAplicacao = 2");
    db_.Execute("DELETE FROM Relacao WHERE CodUsuario = 1 AND CodAplicacao = 1");
    rs.MoveNext();
    EXPECT_EQ(rs("Nome").GetValue().ToText(), "Mudou");
    rs.MoveNext();  // the deleted row is passed over
    EXPECT_EQ(rs("Nome").GetValue().ToText(), "edson");
    Recordset other = db_.OpenRecordset("Relacao", dbOpenTable);
    other.MoveLast();
    other.Delete();
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
}

// A recordset read before a change and moved to its first record again holds the same records,
// in the same order, as one opened after the change: whoever made it, in insertion or index order.
TEST_F(DaoRecordsetTest, AMoveToTheFirstRecordSeesEveryChangeMadeSinceTheLastRead) {
    const auto add = [](Recordset& rs, int code, const char* name) {
        rs.AddNew();
        rs("CodUsuario").SetValue(Value(9));
        rs("CodAplicacao").SetValue(Value(code));
        rs("Nome").SetValue(Value(name));
        rs.Update();
    };
    struct Case {
        const char* change;
        const char* index;
        std::function<void(Recordset&)> make;
    };
    const Case cases[] = {
        {"its own record, insertion order", "", [&](Recordset& rs) { add(rs, 10, "Zeca"); }},
        {"its own record, index order", "IndNome", [&](Recordset& rs) { add(rs, 11, "Aaron"); }},
        {"its own records, then another recordset's", "", [&](Recordset& rs) {
             add(rs, 12, "Zeca");
             Recordset other = db_.OpenRecordset("Relacao", dbOpenTable);
             add(other, 13, "Abel");
         }},
        {"an INSERT", "", [&](Recordset&) { db_.Execute("INSERT INTO Relacao VALUES (9, 14, 'Dora')"); }},
        {"a DELETE", "", [&](Recordset&) { db_.Execute("DELETE FROM Relacao WHERE Nome = 'Bia'"); }},
        {"its own edit of the index key", "IndNome", [&](Recordset& rs) {
             rs.MoveFirst();
             rs.Edit();
             rs("Nome").SetValue(Value("Zuleica"));
             rs.Update();
         }},
        {"its own record rolled back", "", [&](Recordset& rs) {
             engine_.BeginTrans();
             add(rs, 15, "Some");
             engine_.Rollback();
         }},
        {"its own record, then another engine's", "", [&](Recordset& rs) {
             add(rs, 16, "Ivo");
             DBEngine other;
             Database file = other.OpenDatabase(Path("Bd2.MDB"));
             Recordset theirs = file.OpenRecordset("Relacao", dbOpenTable);
             add(theirs, 17, "Outro");
             theirs.Close();
             file.Close();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
        if (*c.index) rs.SetIndex(c.index);
        Names(rs);
        c.make(rs);
        Recordset fresh = db_.OpenRecordset("Relacao", dbOpenTable);
        if (*c.index) fresh.SetIndex(c.index);
        EXPECT_EQ(Names(rs), Names(fresh));
        rs.MoveFirst();
        EXPECT_EQ(rs.RecordCount(), fresh.RecordCount());
        rs.MoveLast();
        fresh.MoveLast();
        EXPECT_EQ(rs("Nome").GetValue(), fresh("Nome").GetValue());
    }
}

TEST_F(DaoRecordsetTest, OpenRecordsetsNeverBlockStructureChanges) {
    Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
    rs.SetIndex("IndNome");
    rs.MoveFirst();
    Recordset query = db_.OpenRecordset("SELECT * FROM Relacao", dbOpenDynaset);
    const TableDef table = db_.TableDefs().Item("Relacao");
    EXPECT_EQ(ErrorNumberOf([&] { table.Fields().Append(table.CreateField("Versao", Value(10), Value(5))); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { AddIndex(table, "IndVersao", {"Versao"}); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { db_.Execute("DROP TABLE Relacao"); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { db_.TableDefs().Item("Relacao"); }), 3265);
}

TEST_F(DaoRecordsetTest, AnIndexOnAMissingFieldIsRefusedWithoutCallingItMissingFromACollection) {
    const TableDef table = db_.TableDefs().Item("Relacao");
    EXPECT_EQ(ErrorNumberOf([&] { AddIndex(table, "IndNada", {"Nada"}); }), 3264);
    EXPECT_EQ(table.Indexes().Count(), 2);
}

TEST_F(DaoRecordsetTest, DeleteAndEditThroughADynaset) {
    Recordset rs = db_.OpenRecordset("Relacao", dbOpenDynaset);
    rs.MoveFirst();
    rs.Delete();
    EXPECT_EQ(ErrorNumberOf([&] { rs("Nome").GetValue(); }), 3167);
    rs.MoveNext();
    rs.Edit();
    rs("Nome").SetValue(Value("Ana Maria"));
    rs.Update();
    Recordset check = db_.OpenRecordset("SELECT Nome FROM Relacao WHERE CodUsuario = 1 AND CodAplicacao = 2", dbOpenSnapshot);
    EXPECT_EQ(check("Nome").GetValue().ToText(), "Ana Maria");
    EXPECT_EQ(db_.TableDefs().Item("Relacao").RecordCount(), 4);
    EXPECT_EQ(ErrorNumberOf([&] { check.Edit(); }), 3027);
    EXPECT_EQ(ErrorNumberOf([&] { rs.SetIndex("IndNome"); }), 3251);
}

// Edits reuse their prepared statements while they set the same fields and bind the edit buffer's
// texts without copying them: each record must still get exactly the values its own edit set.
TEST_F(DaoRecordsetTest, EachEditWritesItsOwnValuesWhateverFieldsTheEditsBeforeItSet) {
    MakeTable(db_, "Itens", {{"N", DataType::Long, 0}, {"A", DataType::Text, 60}, {"B", DataType::Text, 60}});
    struct Row {
        std::vector<std::pair<std::string, Value>> set;  // in the order the edit sets them
        const char* a;
        const char* b;
    };
    const std::string longText(50, 'x');  // kept out of the value, in a shared block
    const Row rows[] = {
        {{{"A", Value("um")}, {"B", Value("dois")}}, "um", "dois"},
        {{{"A", Value(longText)}, {"B", Value("três")}}, longText.c_str(), "três"},
        {{{"B", Value("só B")}}, "", "só B"},
        {{{"B", Value("B antes")}, {"A", Value("A depois")}}, "A depois", "B antes"},
        {{{"A", Value("só A")}}, "só A", ""},
        {{}, "", ""},
        {{{"A", Value("a")}, {"A", Value("a de novo")}, {"B", Value()}}, "a de novo", ""},
    };
    Recordset rs = db_.OpenRecordset("Itens", dbOpenTable);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        rs.AddNew();
        rs("N").SetValue(Value(static_cast<int>(i)));
        for (const auto& [field, value] : rows[i].set) rs(field).SetValue(value);
        rs.Update();
    }
    // The same edits again through Edit, over records that hold other texts.
    rs.MoveFirst();
    for (std::size_t i = 0; i < std::size(rows); ++i, rs.MoveNext()) {
        rs.Edit();
        rs("A").SetValue(Value("velho A"));
        rs("B").SetValue(Value("velho B"));
        rs.Update();
    }
    rs.MoveFirst();
    for (std::size_t i = 0; i < std::size(rows); ++i, rs.MoveNext()) {
        rs.Edit();
        for (const auto& [field, value] : rows[i].set) rs(field).SetValue(value);
        rs.Update();
    }
    std::size_t i = 0;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++i) {
        const auto sets = [&](const char* field) {
            return std::any_of(rows[i].set.begin(), rows[i].set.end(), [&](const auto& set) { return set.first == field; });
        };
        EXPECT_EQ(rs("N").GetValue(), Value::Long(static_cast<int>(i)));
        EXPECT_EQ(rs("A").GetValue().ToText(), sets("A") ? rows[i].a : "velho A") << i;
        EXPECT_EQ(rs("B").GetValue().ToText(), sets("B") ? rows[i].b : "velho B") << i;
    }
    EXPECT_EQ(i, std::size(rows));
}

// A field is found by name from where the last search ended: a field there whose name has the
// same length and differs in one byte only is not the one asked for, at any length.
TEST_F(DaoRecordsetTest, AFieldByNameIsNeverTheNeighbourWithANameOfTheSameLength) {
    MakeTable(db_, "Nomes", {{"Qtd", DataType::Long, 0}, {"Qte", DataType::Long, 0}, {"Nom1", DataType::Long, 0},
                             {"Nom2", DataType::Long, 0}, {"Codigo1", DataType::Long, 0}, {"Codigo2", DataType::Long, 0},
                             {"Descricao1", DataType::Long, 0}, {"Descricao2", DataType::Long, 0},
                             {"2DescricaoLonga", DataType::Long, 0}, {"1DescricaoLonga", DataType::Long, 0},
                             {"UmNomeDeCampoBemLongo1", DataType::Long, 0}, {"UmNomeDeCampoBemLongo2", DataType::Long, 0}});
    Recordset rs = db_.OpenRecordset("Nomes", dbOpenTable);
    // Each name asked for twice: the second time the search starts at its neighbour.
    const char* asked[] = {"Qtd", "Qtd", "Nom1", "Nom1", "Codigo1", "Codigo1", "Descricao1", "Descricao1", "2DescricaoLonga",
                           "2DescricaoLonga", "UmNomeDeCampoBemLongo1", "UmNomeDeCampoBemLongo1", "Qte", "Nom2", "Codigo2",
                           "Descricao2", "1DescricaoLonga", "UmNomeDeCampoBemLongo2", "qtd", "DESCRICAO2"};
    const char* found[] = {"Qtd", "Qtd", "Nom1", "Nom1", "Codigo1", "Codigo1", "Descricao1", "Descricao1", "2DescricaoLonga",
                           "2DescricaoLonga", "UmNomeDeCampoBemLongo1", "UmNomeDeCampoBemLongo1", "Qte", "Nom2", "Codigo2",
                           "Descricao2", "1DescricaoLonga", "UmNomeDeCampoBemLongo2", "Qtd", "Descricao2"};
    for (std::size_t i = 0; i < std::size(asked); ++i) EXPECT_EQ(rs(asked[i]).Name(), found[i]) << i;
    EXPECT_EQ(ErrorNumberOf([&] { rs("Qtf"); }), 3265);
}

// Rows are read a window at a time and the blocks that hold them are reused: whichever way the
// recordset moves across windows, each record reads as written, and the current record keeps its
// values after an edit of another record drops the window.
TEST_F(DaoRecordsetTest, RecordsReadAsWrittenAcrossReadWindowsInEveryDirection) {
    MakeTable(db_, "Muitos", {{"N", DataType::Long, 0}, {"T", DataType::Text, 40}});
    constexpr int kRows = 2500;  // windows of every length, growing as the moves go on
    const auto text = [](int n) { return "registro " + std::to_string(n) + (n % 3 == 0 ? " com texto mais longo" : ""); };
    Recordset rs = db_.OpenRecordset("Muitos", dbOpenTable);
    engine_.BeginTrans();
    for (int n = 0; n < kRows; ++n) {
        rs.AddNew();
        rs("N").SetValue(Value(n));
        rs("T").SetValue(Value(text(n)));
        rs.Update();
    }
    engine_.CommitTrans();
    const auto expectAt = [&](int n) {
        ASSERT_FALSE(rs.Eof() || rs.Bof()) << n;
        EXPECT_EQ(rs("N").GetValue(), Value::Long(n));
        EXPECT_EQ(rs("T").GetValue().ToText(), text(n));
    };
    int n = 0;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) expectAt(n++);
    EXPECT_EQ(n, kRows);
    for (rs.MoveLast(); !rs.Bof(); rs.MovePrevious()) expectAt(--n);
    EXPECT_EQ(n, 0);
    // Back and forth over a window boundary, then an edit of another record through a second
    // recordset: the current record reads the same before and after its window is read again.
    rs.MoveFirst();
    for (int i = 0; i < 130; ++i) rs.MoveNext();
    for (int i = 0; i < 5; ++i) rs.MovePrevious();
    expectAt(125);
    Recordset other = db_.OpenRecordset("Muitos", dbOpenTable);
    other.MoveLast();
    other.Edit();
    other("T").SetValue(Value("mudou"));
    other.Update();
    expectAt(125);
    for (int i = 0; i < 10; ++i) rs.MoveNext();
    expectAt(135);
    rs.MoveLast();
    EXPECT_EQ(rs("T").GetValue().ToText(), "mudou");
}

// Setting the index moves to the first record in the new order wherever the recordset stood,
// also at EOF after another recordset added a record the recordset has never read.
TEST_F(DaoRecordsetTest, SettingTheIndexMovesToTheFirstRecordInTheNewOrder) {
    struct Case {
        const char* situation;
        std::function<void(Recordset&)> place;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"on a record", [](Recordset& rs) { rs.MoveLast(); }, "ana", "Bia"},
        {"at BOF", [](Recordset& rs) { rs.MovePrevious(); }, "ana", "Bia"},
        {"at EOF", [](Recordset& rs) { rs.MoveLast(); rs.MoveNext(); }, "ana", "Bia"},
        {"at EOF, a record added elsewhere since",
         [this](Recordset& rs) {
             rs.MoveLast();
             rs.MoveNext();
             AddRow(db_, "Relacao", {{"CodUsuario", Value(4)}, {"CodAplicacao", Value(1)}, {"Nome", Value("Abel")}});
         },
         "Abel", "ana"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
        c.place(rs);
        rs.SetIndex("IndNome");
        ASSERT_FALSE(rs.Eof() || rs.Bof());
        EXPECT_EQ(rs("Nome").GetValue().ToText(), c.first);
        rs.MoveNext();
        EXPECT_EQ(rs("Nome").GetValue().ToText(), c.second);
    }
    MakeTable(db_, "Vazia", {{"Nome", DataType::Text, 10}});
    AddIndex(db_.TableDefs().Item("Vazia"), "IndNome", {"Nome"});
    Recordset empty = db_.OpenRecordset("Vazia", dbOpenTable);
    empty.SetIndex("IndNome");
    EXPECT_TRUE(empty.Eof() && empty.Bof());
    EXPECT_EQ(ErrorNumberOf([&] { empty("Nome").GetValue(); }), 3021);
}

// A record another recordset deleted can be neither updated nor deleted: 3167, nothing written,
// and the recordset stands on a deleted record until it moves.
TEST_F(DaoRecordsetTest, UpdatingOrDeletingARecordDeletedElsewhereRaises3167) {
    struct Case {
        const char* situation;
        bool edits;
        std::function<void(Recordset&)> operation;
    };
    const Case cases[] = {
        {"Edit and Update", true, [](Recordset& rs) {
             rs.Edit();
             rs("Nome").SetValue(Value("Novo"));
             rs.Update();
         }},
        {"Delete", false, [](Recordset& rs) { rs.Delete(); }},
    };
    int added = 10;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.situation);
        Recordset rs = db_.OpenRecordset("Relacao", dbOpenTable);
        std::vector<std::string> left = Names(rs);
        const std::string gone = left[0];
        left.erase(left.begin());
        rs.MoveFirst();
        Recordset other = db_.OpenRecordset("Relacao", dbOpenTable);
        other.Delete();
        EXPECT_EQ(ErrorNumberOf([&] { c.operation(rs); }), 3167);
        if (c.edits) rs.CancelUpdate();
        EXPECT_EQ(ErrorNumberOf([&] { rs("Nome").GetValue(); }), 3167);
        rs.MoveNext();
        EXPECT_EQ(rs("Nome").GetValue().ToText(), left[0]);
        Recordset fresh = db_.OpenRecordset("Relacao", dbOpenTable);
        EXPECT_EQ(Names(fresh), left);
        AddRow(db_, "Relacao", {{"CodUsuario", Value(++added)}, {"CodAplicacao", Value(1)}, {"Nome", Value(gone)}});
    }
}

// Windows not yet read hold what the file holds when they are read: records deleted meanwhile,
// through this engine or another, are skipped, and the records read are the right ones.
TEST_F(DaoRecordsetTest, WindowsReadLaterSkipRecordsDeletedMeanwhile) {
    MakeTable(db_, "Muitos", {{"N", DataType::Long, 0}, {"T", DataType::Text, 40}});
    constexpr int kRows = 300;  // more than two windows
    {
        Recordset fill = db_.OpenRecordset("Muitos", dbOpenTable);
        for (int n = 0; n < kRows; ++n) {
            fill.AddNew();
            fill("N").SetValue(Value(n));
            fill("T").SetValue(Value("registro " + std::to_string(n)));
            fill.Update();
        }
    }
    DBEngine otherEngine;
    otherEngine.SetBusyTimeout(0);
    const Database otherDb = otherEngine.OpenDatabase(Path("Bd2.MDB"));
    struct Case {
        const char* deleter;
        Database db;
        int gone;  // the first of two records deleted
    };
    const Case cases[] = {{"this engine", db_, 200}, {"another engine", otherDb, 150}};
    std::vector<int> left;
    for (int n = 0; n < kRows; ++n) left.push_back(n);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deleter);
        Recordset rs = db_.OpenRecordset("Muitos", dbOpenTable);
        rs.MoveFirst();  // reads the first window only
        c.db.Execute("DELETE FROM Muitos WHERE N = " + std::to_string(c.gone) + " OR N = " + std::to_string(c.gone + 1));
        std::erase_if(left, [&](int n) { return n == c.gone || n == c.gone + 1; });
        std::vector<int> read;
        for (; !rs.Eof(); rs.MoveNext()) {
            const int n = rs("N").GetValue().ToLong();
            read.push_back(n);
            EXPECT_EQ(rs("T").GetValue().ToText(), "registro " + std::to_string(n));
            if (n != c.gone + 5) continue;
            // An edit after the gap changes the record read, and no other.
            rs.Edit();
            rs("T").SetValue(Value("registro " + std::to_string(n)));
            rs("N").SetValue(Value(-n));
            rs.Update();
        }
        EXPECT_EQ(read, left);
        Recordset check = db_.OpenRecordset("SELECT N FROM Muitos WHERE N < 0", dbOpenSnapshot);
        ASSERT_FALSE(check.Eof());
        EXPECT_EQ(check("N").GetValue(), Value::Long(-(c.gone + 5)));
        db_.Execute("UPDATE Muitos SET N = -N WHERE N < 0");
    }
}

TEST_F(DaoRecordsetTest, ValuesKeepTheirFieldTypes) {
    MakeTable(db_, "Tipos", {{"B", DataType::Boolean, 0}, {"I", DataType::Integer, 0}, {"L", DataType::Long, 0},
                             {"C", DataType::Currency, 0}, {"S", DataType::Single, 0}, {"D", DataType::Double, 0},
                             {"T", DataType::Date, 0}, {"X", DataType::Text, 5}, {"M", DataType::Memo, 0}});
    struct Row {
        const char* field;
        Value written;
        Value read;
    };
    const Row rows[] = {
        {"B", Value::Boolean(true), Value::Boolean(true)},
        {"I", Value(-32768), Value::Integer(-32768)},
        {"L", Value("123"), Value::Long(123)},
        {"C", Value(12.34567), Value::Currency(123457)},
        {"C", Value::Currency(-9999999999), Value::Currency(-9999999999)},
        {"S", Value(0.1), Value::Single(0.1f)},
        {"D", Value(0.1), Value::Double(0.1)},
        {"T", Value::Date(0.25), Value::Date(0.25)},
        {"X", Value(12), Value::Text("12")},
        {"M", Value("00123"), Value::Text("00123")},
        {"X", Value(), Value()},
    };
    for (const auto& row : rows) {
        AddRow(db_, "Tipos", {{row.field, row.written}});
        Recordset rs = db_.OpenRecordset("Tipos");
        rs.MoveLast();
        EXPECT_EQ(rs(row.field).GetValue(), row.read) << row.field << " " << row.written.ToText();
    }
    const ErrorRow failures[] = {
        {"Integer overflow", 3349, [](Recordset& rs) { rs("I").SetValue(Value(40000)); }},
        {"text into a number", 3421, [](Recordset& rs) { rs("L").SetValue(Value("doze")); }},
        {"text longer than its size", 3163, [](Recordset& rs) { rs("X").SetValue(Value("çãoçãoç")); }},
    };
    Recordset rs = db_.OpenRecordset("Tipos");
    rs.AddNew();
    for (const auto& row : failures) EXPECT_EQ(ErrorNumberOf([&] { row.operation(rs); }), row.number) << row.situation;
    EXPECT_EQ(ErrorNumberOf([&] { rs("X").SetValue(Value("çãoçã")); }), 0);  // five characters fit
}

// A Currency amount a field is given is read back exactly as it was given, or refused with 3349:
// never changed in its last digits. Sums and comparisons in statements still work on the field.
TEST_F(DaoRecordsetTest, CurrencyAmountsAreKeptExactlyOrRefused) {
    MakeTable(db_, "Moeda", {{"N", DataType::Long, 0}, {"C", DataType::Currency, 0}});
    struct Row {
        std::int64_t units;
        long error;
    };
    constexpr std::int64_t kTypeMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kTypeMin = std::numeric_limits<std::int64_t>::min();
    const Row rows[] = {
        {125000, 0},
        {-1, 0},
        {999'999'999'999'999, 0},                  // 99,999,999,999.9999
        {1'234'567'890'123'457, 0},
        {2'251'799'813'685'247, 0},                // the largest amount ending in 7 that is kept
        {2'251'799'813'685'248, 0},                // 225,179,981,368.5248, the largest kept
        {-2'251'799'813'685'248, 0},
        {2'251'799'813'685'249, 3349},
        {-2'251'799'813'685'249, 3349},
        {4'503'599'627'370'497, 3349},             // would read back one unit off
        {999'999'999'999'999'999, 3349},           // 99,999,999,999,999.9999
        {kTypeMax, 3349},
        {kTypeMin, 3349},
    };
    int n = 0;
    for (const auto& row : rows) {
        ++n;
        Recordset rs = db_.OpenRecordset("Moeda", dbOpenTable);
        rs.AddNew();
        rs("N").SetValue(Value(n));
        const long error = ErrorNumberOf([&] { rs("C").SetValue(Value::Currency(row.units)); });
        EXPECT_EQ(error, row.error) << row.units;
        if (error != 0) {
            rs.CancelUpdate();
            continue;
        }
        rs.Update();
        rs.Close();
        Recordset back = db_.OpenRecordset("SELECT C FROM Moeda WHERE N = " + std::to_string(n), dbOpenSnapshot);
        EXPECT_EQ(back("C").GetValue(), Value::Currency(row.units)) << row.units;
    }
    // A value of another kind and a statement's value follow the same limit.
    Recordset rs = db_.OpenRecordset("Moeda", dbOpenTable);
    rs.AddNew();
    EXPECT_EQ(ErrorNumberOf([&] { rs("C").SetValue(Value(99999999999999.9999)); }), 3349);
    EXPECT_EQ(ErrorNumberOf([&] { rs("C").SetValue(Value("225179981368,5248")); }), 0);
    rs.CancelUpdate();
    EXPECT_EQ(ErrorNumberOf([&] { db_.Execute("INSERT INTO Moeda (N, C) VALUES (90, 922337203685477)", dbFailOnError); }), 3349);
    EXPECT_EQ(ErrorNumberOf([&] { db_.Execute("INSERT INTO Moeda (N, C) VALUES (90, 225179981368.53)", dbFailOnError); }), 3349);
    db_.Execute("INSERT INTO Moeda (N, C) VALUES (91, 99999999999.9999)", dbFailOnError);
    Recordset sql = db_.OpenRecordset("SELECT C FROM Moeda WHERE N = 91", dbOpenSnapshot);
    EXPECT_EQ(sql("C").GetValue(), Value::Currency(999'999'999'999'999));
    // Statements still compute on the field: a sum, a comparison, a product.
    Recordset sum = db_.OpenRecordset("SELECT Sum(C) AS Total FROM Moeda WHERE N <= 2", dbOpenSnapshot);
    EXPECT_EQ(sum("Total").GetValue().ToCurrencyScaled(), 124999);
    Recordset found = db_.OpenRecordset("SELECT Max(N) AS Last, Count(*) AS Found FROM Moeda WHERE C > 225179981368 AND C * 2 > 0",
                                        dbOpenSnapshot);
    EXPECT_EQ(found("Last").GetValue().ToLong(), 6);
    EXPECT_EQ(found("Found").GetValue().ToLong(), 2);
}

}  // namespace
}  // namespace dao::testing
