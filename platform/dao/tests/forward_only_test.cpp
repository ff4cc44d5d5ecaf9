// Forward-only recordsets: a query read front to back once, its refusals, and how its held
// statement gives way to writes.
#include "platform/dao/tests/fixture.h"

namespace dao::testing {
namespace {

class DaoForwardOnlyTest : public DaoTest {
protected:
    DaoForwardOnlyTest() : db_(Create("Produto.MDB")) {
        MakeTable(db_, "Venda", {{"Numero", DataType::Long, 0}, {"Vendedor", DataType::Text, 20},
                                 {"Total", DataType::Currency, 0}, {"Data", DataType::Date, 0}});
        const char* sellers[] = {"bia", "Ana", "Édson", "ana", "Carla"};
        for (int i = 0; i < 5; ++i) {
            AddRow(db_, "Venda", {{"Numero", Value(10 - i)}, {"Vendedor", Value(sellers[i])},
                                  {"Total", Value(1.5 * i)}, {"Data", Value::Date(45000 + i)}});
        }
        MakeTable(db_, "Vazia", {{"Numero", DataType::Long, 0}});
        db_.CreateQueryDef("PorVendedor", "SELECT Vendedor, Numero, Total, Data FROM Venda ORDER BY Vendedor, Numero;");
    }

    // Every row of `rs` from where it stands, its values as texts joined by "|".
    static std::vector<std::string> Rest(Recordset& rs) {
        std::vector<std::string> rows;
        for (; !rs.Eof(); rs.MoveNext()) {
            std::string row;
            for (int i = 0; i < rs.Fields().Count(); ++i) row += (i ? "|" : "") + rs(i).GetValue().ToText();
            rows.push_back(row);
        }
        return rows;
    }

    Database db_;
};

TEST_F(DaoForwardOnlyTest, ReadsWhatASnapshotReadsInTheQuerysOrder) {
    for (const char* source : {"PorVendedor", "Venda", "SELECT Numero FROM Venda WHERE Total > 2 ORDER BY Numero",
                               "SELECT TOP 2 * FROM PorVendedor"}) {
        Recordset snapshot = db_.OpenRecordset(source, dbOpenSnapshot);
        Recordset forward = db_.OpenRecordset(source, dbOpenForwardOnly);
        EXPECT_EQ(forward.Type(), dbOpenForwardOnly);
        EXPECT_FALSE(forward.Bof()) << source;
        ASSERT_EQ(forward.Fields().Count(), snapshot.Fields().Count()) << source;
        for (int i = 0; i < forward.Fields().Count(); ++i) {
            EXPECT_EQ(forward(i).Type(), snapshot(i).Type()) << source << " field " << i;
        }
        const auto expected = Rest(snapshot);
        EXPECT_EQ(Rest(forward), expected) << source;
        EXPECT_EQ(forward.RecordCount(), static_cast<long>(expected.size())) << source;
        EXPECT_TRUE(forward.Eof());
        EXPECT_FALSE(forward.Bof());
    }
    Recordset ordered = db_.OpenRecordset("PorVendedor", dbOpenForwardOnly);
    EXPECT_EQ(ordered("Vendedor").GetValue().ToText(), "ana");  // "ana" (7) and "Ana" (9) by Numero
    EXPECT_EQ(ordered.RecordCount(), 1);
}

TEST_F(DaoForwardOnlyTest, AnEmptyQueryIsAtEofAndBof) {
    Recordset rs = db_.OpenRecordset("SELECT * FROM Vazia", dbOpenForwardOnly);
    EXPECT_TRUE(rs.Eof());
    EXPECT_TRUE(rs.Bof());
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_EQ(ErrorNumberOf([&] { rs.MoveNext(); }), 3021);
    EXPECT_EQ(ErrorNumberOf([&] { rs("Numero").GetValue(); }), 3021);
}

TEST_F(DaoForwardOnlyTest, OnlyMoveNextMovesAndNothingWrites) {
    struct Case {
        const char* what;
        long number;
        std::function<void(Recordset&)> operation;
    };
    const Case cases[] = {
        {"MoveFirst", 3219, [](Recordset& rs) { rs.MoveFirst(); }},
        {"MoveLast", 3219, [](Recordset& rs) { rs.MoveLast(); }},
        {"MovePrevious", 3219, [](Recordset& rs) { rs.MovePrevious(); }},
        {"Seek", 3251, [](Recordset& rs) { rs.Seek("=", {Value(1)}); }},
        {"SetIndex", 3251, [](Recordset& rs) { rs.SetIndex("x"); }},
        {"AddNew", 3027, [](Recordset& rs) { rs.AddNew(); }},
        {"Edit", 3027, [](Recordset& rs) { rs.Edit(); }},
        {"Delete", 3027, [](Recordset& rs) { rs.Delete(); }},
        {"set a value", 3020, [](Recordset& rs) { rs("Numero").SetValue(Value(1)); }},
        {"MoveNext past EOF", 3021, [](Recordset& rs) { for (int i = 0; i < 6; ++i) rs.MoveNext(); }},
        {"MoveNext after Close", 3420, [](Recordset& rs) { rs.Close(); rs.MoveNext(); }},
    };
    for (const auto& c : cases) {
        Recordset rs = db_.OpenRecordset("PorVendedor", dbOpenForwardOnly);
        EXPECT_EQ(ErrorNumberOf([&] { c.operation(rs); }), c.number) << c.what;
    }
    // A failed move leaves the read where it was.
    Recordset rs = db_.OpenRecordset("PorVendedor", dbOpenForwardOnly);
    rs.MoveNext();
    EXPECT_EQ(ErrorNumberOf([&] { rs.MovePrevious(); }), 3219);
    EXPECT_EQ(rs("Numero").GetValue().ToText(), "9");
}

// The held statement would make SQLite refuse a DROP TABLE on the same connection ("database
// table is locked"): the write goes through and the read stops with 3197 instead of ending short.
TEST_F(DaoForwardOnlyTest, AWriteOnTheConnectionEndsTheReadInsteadOfWaitingForIt) {
    struct Case {
        const char* what;
        std::function<void()> write;
    };
    const Case cases[] = {
        {"DROP TABLE", [&] { db_.Execute("DROP TABLE Vazia"); }},
        {"INSERT", [&] { db_.Execute("INSERT INTO Venda (Numero, Vendedor) VALUES (99, 'Zé')"); }},
        {"a new table", [&] { MakeTable(db_, "Nova", {{"Numero", DataType::Long, 0}}); }},
    };
    for (const auto& c : cases) {
        Recordset rs = db_.OpenRecordset("PorVendedor", dbOpenForwardOnly);
        rs.MoveNext();
        EXPECT_NO_THROW(c.write()) << c.what;
        EXPECT_EQ(rs("Numero").GetValue().ToText(), "9") << c.what;  // the row already read
        EXPECT_EQ(ErrorNumberOf([&] { rs.MoveNext(); }), 3197) << c.what;
    }
}

// Another station's write waits for a reader's shared lock: the lock goes with the last row read.
TEST_F(DaoForwardOnlyTest, TheFilesLockIsReleasedOnceTheLastRowIsRead) {
    Recordset rs = db_.OpenRecordset("PorVendedor", dbOpenForwardOnly);
    DBEngine other;
    other.SetBusyTimeout(0);
    Database station = other.OpenDatabase(Path("Produto.MDB"));
    const auto write = [&] { station.Execute("UPDATE Venda SET Total = 7 WHERE Numero = 10"); };
    EXPECT_NE(ErrorNumberOf(write), 0);  // blocked while the read is under way
    EXPECT_EQ(Rest(rs).size(), 5u);
    EXPECT_EQ(ErrorNumberOf(write), 0);
}

}  // namespace
}  // namespace dao::testing

namespace dao::testing {
namespace {

// Another thread stops a long read through the engine's stop flag: the next step fails instead of
// running to its end; an engine whose flag stays down reads as any other.
TEST_F(DaoForwardOnlyTest, TheStopFlagEndsTheEnginesStatements) {
    db_.Close();
    for (const bool stopped : {false, true}) {
        std::atomic<bool> stop{false};
        DBEngine reader;
        reader.SetBusyTimeout(0);
        reader.SetStopFlag(&stop);
        Database db = reader.OpenDatabase(Path("Produto.MDB"), false, true);
        stop = stopped;
        // A cross join of the sales with themselves many times over: long enough to be checked.
        const auto read = [&] {
            Recordset rs = db.OpenRecordset("SELECT Count(*) AS N FROM Venda AS A, Venda AS B, Venda AS C, Venda AS D, "
                                            "Venda AS E, Venda AS F",
                                            dbOpenForwardOnly);
            return rs("N").GetValue().ToText();
        };
        if (stopped) {
            EXPECT_NE(ErrorNumberOf(read), 0);
        } else {
            EXPECT_EQ(read(), "15625");
        }
        db.Close();
    }
}

}  // namespace
}  // namespace dao::testing
