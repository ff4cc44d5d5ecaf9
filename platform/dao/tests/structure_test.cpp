// Structure changes and the numbers they raise: on a fresh file, on a file whose metadata an
// earlier run wrote, and through two names of one file.
#include "platform/dao/model.h"
#include "platform/dao/tests/fixture.h"

namespace dao::testing {
namespace {

class DaoStructureTest : public DaoTest {
protected:
    DaoStructureTest() : db_(Create("Loja.MDB")) {
        produto_ = MakeTable(db_, "Produto", {{"Código", DataType::Long, 0}, {"Descrição", DataType::Text, 30},
                                              {"Preço", DataType::Currency, 0}, {"Observação", DataType::Memo, 10},
                                              {"%IPI", DataType::Single, 0}, {"Total US$", DataType::Double, 0}});
        AddIndex(produto_, "IndCódigo", {"Código"}, true);
        MakeTable(db_, "Loja", {{"CodLoja", DataType::Integer, 0}, {"Nome", DataType::Text, 40}});
        AddIndex(db_.TableDefs().Item("Loja"), "IndCódigo", {"CodLoja"});  // index names are per table
    }

    Database db_;
    TableDef produto_{nullptr};
};

struct ErrorRow {
    const char* situation;
    long number;
    std::function<void(const Database&, const TableDef&)> operation;
};

TEST_F(DaoStructureTest, EachSituationRaisesItsNumber) {
    const ErrorRow rows[] = {
        {"missing table", 3265, [](auto& db, auto&) { db.TableDefs().Item("Venda"); }},
        {"table position past the end", 3265, [](auto& db, auto&) { db.TableDefs().Item(2); }},
        {"missing field", 3265, [](auto&, auto& t) { t.Fields().Item("Versao"); }},
        {"accents count in names", 3265, [](auto&, auto& t) { t.Fields().Item("Codigo"); }},
        {"delete a missing field", 3265, [](auto&, auto& t) { t.Fields().Delete("Campo"); }},
        {"index position past the end", 3265, [](auto&, auto& t) { t.Indexes().Item(1); }},
        {"negative index position", 3265, [](auto&, auto& t) { t.Indexes().Item(-1); }},
        {"missing index", 3265, [](auto&, auto& t) { t.Indexes().Item("IndNada"); }},
        {"delete a missing index", 3265, [](auto&, auto& t) { t.Indexes().Delete("IndNada"); }},
        {"field appended twice, other case", 3191,
         [](auto&, auto& t) { t.Fields().Append(t.CreateField("CÓDIGO", Value("4"))); }},
        {"delete an indexed field", 3280, [](auto&, auto& t) { t.Fields().Delete("Código"); }},
        {"read an absent property", 3270, [](auto&, auto& t) { t.Fields().Item("Preço").Properties().Item("Format"); }},
        {"Type of an appended field", 3219,
         [](auto&, auto& t) { t.Fields().Item("Código").Properties().Item("Type").SetValue(Value::Long(4)); }},
        {"Size of an appended field", 3219,
         [](auto&, auto& t) { t.Fields().Item("Descrição").Properties().Item("Size").SetValue(Value::Long(30)); }},
        {"append an existing table", 3010,
         [](auto& db, auto&) {
             auto t = db.CreateTableDef("PRODUTO");
             t.Fields().Append(t.CreateField("X", Value(10), Value(5)));
             db.TableDefs().Append(t);
         }},
        {"append a table without fields", 3264, [](auto& db, auto&) { db.TableDefs().Append(db.CreateTableDef("Vazia")); }},
        {"append a table without a name", 3125,
         [](auto& db, auto&) {
             auto t = db.CreateTableDef("");
             t.Fields().Append(t.CreateField("X", Value(10), Value(5)));
             db.TableDefs().Append(t);
         }},
        {"index name exists, other case", 3284, [](auto&, auto& t) { AddIndex(t, "INDCÓDIGO", {"Descrição"}); }},
        {"second primary key", 3283, [](auto&, auto& t) { AddIndex(t, "IndOutra", {"Descrição"}, true); }},
        {"index without fields", 3264, [](auto&, auto& t) { t.Indexes().Append(t.CreateIndex("IndVazio")); }},
        {"field type out of the list", 3259, [](auto&, auto& t) { t.CreateField("X", Value("9")); }},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ErrorNumberOf([&] { row.operation(db_, produto_); }), row.number) << row.situation;
    }
    // None of the failures above changed the structure.
    EXPECT_EQ(produto_.Fields().Count(), 6);
    EXPECT_EQ(produto_.Indexes().Count(), 1);
    EXPECT_EQ(db_.TableDefs().Count(), 2);
}

TEST_F(DaoStructureTest, TheSameOperationsOnGoodInputRaiseNothing) {
    const std::function<void()> operations[] = {
        [&] { db_.TableDefs().Item("PRODUTO"); },
        [&] { produto_.Fields().Item("CÓDIGO"); },
        [&] { produto_.Fields().Item("descrição"); },
        [&] { produto_.Fields().Item("%ipi"); },
        [&] { produto_.Indexes().Item(0); },
        [&] { produto_.Indexes().Item("indcódigo"); },
        [&] { produto_.Fields().Append(produto_.CreateField("Versao", Value("10"), Value(5))); },
        [&] { produto_.Fields().Delete("versao"); },
        [&] {
            auto field = produto_.Fields().Item("Preço");
            field.Properties().Append(field.CreateProperty("Format", 10, Value(0)));
        },
        [&] { produto_.Fields().Item("Preço").Properties().Item("Format").SetValue(Value("Currency")); },
        [&] { AddIndex(produto_, "IndDescrição", {"Descrição"}); },
        [&] { produto_.Indexes().Delete("IndDescrição"); },
        [&] { db_.TableDefs().Refresh(); },
    };
    for (std::size_t i = 0; i < std::size(operations); ++i) EXPECT_EQ(ErrorNumberOf(operations[i]), 0) << "operation " << i;
    EXPECT_EQ(produto_.Fields().Item("Preço").Properties().Item("Format").GetValue().ToText(), "Currency");
}

TEST_F(DaoStructureTest, AnIndexOverRowsThatBreakItIsRefused) {
    const TableDef lucro = MakeTable(db_, "Lucro", {{"Codigo", DataType::Long, 0}, {"Taxa", DataType::Double, 0}});
    AddRow(db_, "Lucro", {{"Codigo", Value(1)}});
    AddRow(db_, "Lucro", {{"Taxa", Value(2.5)}});
    EXPECT_EQ(ErrorNumberOf([&] { AddIndex(lucro, "IndCodigo", {"Codigo"}, true); }), 3058);  // a Null key
    db_.Execute("UPDATE Lucro SET Codigo = 1");
    EXPECT_EQ(ErrorNumberOf([&] { AddIndex(lucro, "IndCodigo", {"Codigo"}, true); }), 3022);  // two rows of 1
    EXPECT_EQ(ErrorNumberOf([&] { AddIndex(lucro, "IndCodigo", {"Codigo"}, false, true); }), 3022);
    EXPECT_EQ(ErrorNumberOf([&] { AddIndex(lucro, "IndCodigo", {"Codigo"}); }), 0);  // not unique: fine
    EXPECT_EQ(lucro.Indexes().Count(), 1);
    EXPECT_FALSE(lucro.Indexes().Item(0).Unique());
    EXPECT_EQ(ErrorNumberOf([&] { engine_.CompactDatabase(Path("Loja.MDB"), Path("Copia.MDB")); }), 3045);  // still open
}

TEST_F(DaoStructureTest, TypesAndSizesReadBackAsCreated) {
    struct Row {
        const char* field;
        DataType type;
        int size;
    };
    const Row rows[] = {{"Código", DataType::Long, 4},       {"Descrição", DataType::Text, 30},
                        {"Preço", DataType::Currency, 8},    {"Observação", DataType::Memo, 0},
                        {"%IPI", DataType::Single, 4},       {"Total US$", DataType::Double, 8}};
    for (const auto& row : rows) {
        const Field field = produto_.Fields().Item(row.field);
        EXPECT_EQ(field.Type(), row.type) << row.field;
        EXPECT_EQ(field.Size(), row.size) << row.field;
        EXPECT_EQ(field.Properties().Item("Type").GetValue().ToText(), std::to_string(static_cast<int>(row.type)));
        EXPECT_EQ(field.Properties().Item("Size").GetValue().ToLong(), row.size);
    }
    EXPECT_EQ(produto_.Fields().Item(0).Name(), "Código");
    EXPECT_EQ(produto_.Fields().Item(5).Name(), "Total US$");
}

TEST_F(DaoStructureTest, MetadataWrittenByAnEarlierRunIsReadBack) {
    auto preço = produto_.Fields().Item("Preço");
    preço.Properties().Append(preço.CreateProperty("Format", 10, Value(0)));
    db_.Close();

    DBEngine later;
    later.SetBusyTimeout(0);
    const Database db = later.OpenDatabase(Path("LOJA.mdb"));
    const TableDef table = db.TableDefs().Item("produto");
    EXPECT_EQ(table.Fields().Item("Preço").Properties().Item("Format").GetValue().ToText(), "0");
    EXPECT_EQ(ErrorNumberOf([&] { table.Fields().Item("Código").Properties().Item("Format"); }), 3270);
    const Index index = table.Indexes().Item(0);
    EXPECT_EQ(index.Name(), "IndCódigo");
    EXPECT_TRUE(index.Primary());
    EXPECT_EQ(index.Fields().Item(0).Name(), "Código");
    EXPECT_EQ(db.TableDefs().Item("Loja").Indexes().Item("IndCÓDIGO").Fields().Item(0).Name(), "CodLoja");
    EXPECT_EQ(db.TableDefs().Count(), 2);  // the hidden tables are never listed
}

TEST_F(DaoStructureTest, FieldRebuildRenamesInsideATransaction) {
    // Append F01, copy, delete F, rename F01 to F: the rebuild of a field whose type changed.
    produto_.Fields().Append(produto_.CreateField("Descrição01", Value(10), Value(60)));
    AddRow(db_, "Produto", {{"Código", Value(1)}, {"Descrição", Value("Caneta")}});
    db_.Execute("UPDATE Produto SET [Descrição01] = [Descrição]");
    engine_.BeginTrans();
    produto_.Fields().Delete("Descrição");
    produto_.Fields().Item("Descrição01").Properties().Item("Name").SetValue(Value("Descrição"));
    engine_.CommitTrans();
    const Field field = produto_.Fields().Item("DESCRIÇÃO");
    EXPECT_EQ(field.Size(), 60);
    Recordset rs = db_.OpenRecordset("Produto");
    EXPECT_EQ(rs("Descrição").GetValue().ToText(), "Caneta");
}

TEST_F(DaoStructureTest, RolledBackStructureChangeLeavesTheTableAsItWas) {
    engine_.BeginTrans();
    produto_.Fields().Delete("Observação");
    engine_.Rollback();
    EXPECT_EQ(produto_.Fields().Count(), 6);
    EXPECT_EQ(ErrorNumberOf([&] { produto_.Fields().Item("Observação"); }), 0);
}

TEST_F(DaoStructureTest, TwoNamesOfOneFileShareOneConnection) {
    const Database other = engine_.OpenDatabase("c:\\DADOS\\loja.mdb");
    MakeTable(other, "Status", {{"Data", DataType::Date, 0}});
    EXPECT_EQ(db_.TableDefs().Count(), 3);
    EXPECT_EQ(db_.State()->connection.get(), other.State()->connection.get());
    // A write through each name inside one transaction is one transaction of the file.
    engine_.BeginTrans();
    AddRow(db_, "Status", {{"Data", Value::Date(37000.5)}});
    AddRow(other, "Status", {{"Data", Value::Date(37001.5)}});
    engine_.Rollback();
    EXPECT_EQ(db_.TableDefs().Item("Status").RecordCount(), 0);
}

TEST_F(DaoStructureTest, ARenamedTableLeavesItsIndexNamesFree) {
    auto preço = produto_.Fields().Item("Preço");
    preço.Properties().Append(preço.CreateProperty("Format", 10, Value("Currency")));
    produto_.SetName("ProdutoVelho");
    EXPECT_EQ(produto_.Fields().Item("Preço").Properties().Item("Format").GetValue().ToText(), "Currency");
    const TableDef again = MakeTable(db_, "Produto", {{"Código", DataType::Long, 0}});
    EXPECT_EQ(ErrorNumberOf([&] { AddIndex(again, "IndCódigo", {"Código"}, true); }), 0);
    EXPECT_EQ(db_.TableDefs().Item("ProdutoVelho").Indexes().Item(0).Name(), "IndCódigo");
    EXPECT_EQ(ErrorNumberOf([&] { produto_.SetName("Loja"); }), 3010);
}

TEST_F(DaoStructureTest, DeletingATableForgetsItsProperties) {
    auto preço = produto_.Fields().Item("Preço");
    preço.Properties().Append(preço.CreateProperty("Format", 10, Value(0)));
    db_.TableDefs().Delete("produto");
    EXPECT_EQ(ErrorNumberOf([&] { db_.TableDefs().Item("Produto"); }), 3265);
    const TableDef again = MakeTable(db_, "Produto", {{"Preço", DataType::Currency, 0}});
    EXPECT_EQ(ErrorNumberOf([&] { again.Fields().Item("Preço").Properties().Item("Format"); }), 3270);
}

TEST_F(DaoStructureTest, QueryDefsAreStoredByName) {
    db_.CreateQueryDef("Consulta", "SELECT * FROM Produto");
    EXPECT_EQ(db_.QueryDefs().Item("CONSULTA").SQL(), "SELECT * FROM Produto");
    EXPECT_EQ(ErrorNumberOf([&] { db_.CreateQueryDef("consulta", "SELECT 1"); }), 3012);
    db_.QueryDefs().Delete("Consulta");
    EXPECT_EQ(ErrorNumberOf([&] { db_.QueryDefs().Item("Consulta"); }), 3265);
    EXPECT_EQ(ErrorNumberOf([&] { db_.QueryDefs().Delete("Consulta"); }), 3265);
}

class DaoRelationTest : public DaoTest {
protected:
    DaoRelationTest() : db_(Create("Produto.MDB")) {
        auto itens = MakeTable(db_, "Itens TransEnt", {{"NroTrans", DataType::Long, 0}, {"Sequencia", DataType::Long, 0}});
        AddIndex(itens, "IndItens", {"NroTrans", "Sequencia"}, true);
        MakeTable(db_, "ItensTransEntBaixa", {{"Nrotrans", DataType::Long, 0}, {"Sequencia", DataType::Long, 0},
                                               {"SeqBaixa", DataType::Long, 0}});
        for (int i = 1; i <= 2; ++i) AddRow(db_, "Itens TransEnt", {{"NroTrans", Value(i)}, {"Sequencia", Value(1)}});
    }

    void Relate(const std::string& name, long attributes) {
        Relation relation = db_.CreateRelation(name, "Itens TransEnt", "ItensTransEntBaixa", attributes);
        for (const char* field : {"NroTrans", "Sequencia"}) {
            Field f = relation.CreateField(field);
            f.SetForeignName(field);
            relation.Fields().Append(f);
        }
        db_.Relations().Append(relation);
    }

    long Children() { return db_.TableDefs().Item("ItensTransEntBaixa").RecordCount(); }

    void AddChild(int nro, Value sequencia = Value(1)) {
        AddRow(db_, "ItensTransEntBaixa", {{"Nrotrans", Value(nro)}, {"Sequencia", sequencia}, {"SeqBaixa", Value(1)}});
    }

    Database db_;
};

TEST_F(DaoRelationTest, CascadingRelationKeepsChildrenWithTheirParent) {
    Relate("ItensTransEntBaixa", dbRelationUpdateCascade | dbRelationDeleteCascade);
    EXPECT_EQ(ErrorNumberOf([&] { Relate("itenstransentbaixa", 4352); }), 3012);
    EXPECT_EQ(ErrorNumberOf([&] { AddChild(1); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { AddChild(2); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { AddChild(7); }), 3201);           // no such parent
    EXPECT_EQ(ErrorNumberOf([&] { AddChild(7, Value()); }), 0);     // a Null key needs no parent
    EXPECT_EQ(ErrorNumberOf([&] { db_.TableDefs().Item("ItensTransEntBaixa").Fields().Delete("Sequencia"); }), 3280);
    db_.Execute("UPDATE [Itens TransEnt] SET NroTrans = 5 WHERE NroTrans = 1");
    Recordset rs = db_.OpenRecordset("SELECT Nrotrans FROM ItensTransEntBaixa WHERE Nrotrans = 5", dbOpenSnapshot);
    EXPECT_EQ(rs.RecordCount(), 1);
    db_.Execute("DELETE FROM [Itens TransEnt] WHERE NroTrans = 2");
    EXPECT_EQ(Children(), 2);
    EXPECT_EQ(db_.Relations().Item("ITENSTRANSENTBAIXA").Attributes(), 4352);
    EXPECT_EQ(db_.Relations().Item(0).Fields().Item("Sequencia").ForeignName(), "Sequencia");
    db_.TableDefs().Item("ItensTransEntBaixa").Fields().Item("Sequencia").SetName("Seq");
    EXPECT_EQ(db_.Relations().Item(0).Fields().Item("Sequencia").ForeignName(), "Seq");
    EXPECT_EQ(ErrorNumberOf([&] { AddRow(db_, "ItensTransEntBaixa", {{"Nrotrans", Value(9)}, {"Seq", Value(1)}}); }),
              3201);  // the triggers follow the rename too
}

TEST_F(DaoRelationTest, PlainRelationRefusesToOrphanChildren) {
    Relate("Baixas", 0);
    AddChild(1);
    Recordset parents = db_.OpenRecordset("Itens TransEnt", dbOpenTable);
    parents.MoveFirst();
    EXPECT_EQ(ErrorNumberOf([&] { parents.Delete(); }), 3200);
    parents.Edit();
    parents("NroTrans").SetValue(Value(9));
    EXPECT_EQ(ErrorNumberOf([&] { parents.Update(); }), 3200);
    parents.CancelUpdate();
    parents.MoveNext();
    EXPECT_EQ(ErrorNumberOf([&] { parents.Delete(); }), 0);  // the second parent has no children
    db_.Relations().Delete("Baixas");
    EXPECT_EQ(ErrorNumberOf([&] { AddChild(8); }), 0);
}

TEST_F(DaoRelationTest, RecordsetsOnStoredQueriesAndUnknownNames) {
    db_.CreateQueryDef("Itens", "SELECT * FROM [Itens TransEnt] WHERE NroTrans = 2");
    Recordset rs = db_.OpenRecordset("itens", dbOpenSnapshot);
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs("NroTrans").GetValue(), Value::Long(2));
    EXPECT_EQ(db_.QueryDefs().Item("Itens").OpenRecordset().RecordCount(), 1);
    EXPECT_EQ(ErrorNumberOf([&] { db_.OpenRecordset("Venda"); }), 3078);
    EXPECT_EQ(ErrorNumberOf([&] { db_.OpenRecordset("Itens", dbOpenTable); }), 3219);
}

}  // namespace
}  // namespace dao::testing
