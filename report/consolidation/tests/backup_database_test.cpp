// The consolidated database as installation creates it: opened without a connect string, Status
// with its one row and formats, every copied table led by its store code with the store's field
// types, and the code tables with their primary indexes.
#include "report/consolidation/backup_database.h"

#include "platform/win/oledate.h"
#include "report/consolidation/tests/support/consolidation_fixture.h"

namespace report::consolidation {
namespace {

using testing::ChainTest;

class BackupDatabaseTest : public ChainTest {};

TEST_F(BackupDatabaseTest, OpensWithoutPasswordAndHoldsOneStatusRowWithItsFormats) {
    dao::Database backup = OpenBackup();
    dao::Recordset status = backup.OpenRecordset("Status", dao::dbOpenTable, dao::dbDenyWrite);
    ASSERT_FALSE(status.Eof());
    EXPECT_EQ(status("Data").GetValue().ToDouble(), win::DateSerial(2001, 2, 28));
    EXPECT_EQ(status("Hora").GetValue().ToDouble(), win::TimeSerial(19, 45, 0));
    status.MoveNext();
    EXPECT_TRUE(status.Eof());
    status.Close();
    const dao::Fields fields = backup.TableDefs().Item("Status").Fields();
    EXPECT_EQ(fields.Item("Data").Properties().Item("Format").GetValue().ToText(), "Short Date");
    EXPECT_EQ(fields.Item("Hora").Properties().Item("Format").GetValue().ToText(), "Long Time");
    EXPECT_EQ(fields.Item("Data").Type(), dao::DataType::Date);
}

TEST_F(BackupDatabaseTest, CopiedTablesLeadWithTheStoreCodeAndKeepTheStoreFieldTypes) {
    dao::Database backup = OpenBackup();
    dao::Database store = OpenStore("F:\\LOJA01\\Produto.MDB");
    const dao::Field storeCode = store.TableDefs().Item("Loja").Fields().Item("CodLoja");
    for (const PerStoreTable& spec : PerStoreTables()) {
        SCOPED_TRACE(spec.name);
        const dao::TableDef table = backup.TableDefs().Item(spec.name);
        const dao::Fields source = store.TableDefs().Item(spec.name).Fields();
        const int offset = spec.storeCodeField.empty() ? 0 : 1;
        ASSERT_EQ(table.Fields().Count(), source.Count() + offset);
        if (offset == 1) {
            EXPECT_EQ(table.Fields().Item(0).Name(), spec.storeCodeField);
            EXPECT_EQ(table.Fields().Item(0).Type(), storeCode.Type());
            EXPECT_EQ(table.Fields().Item(0).Size(), storeCode.Size());
        }
        for (int i = 0; i < source.Count(); ++i) {
            EXPECT_EQ(table.Fields().Item(i + offset).Name(), source.Item(i).Name());
            EXPECT_EQ(table.Fields().Item(i + offset).Type(), source.Item(i).Type());
            EXPECT_EQ(table.Fields().Item(i + offset).Size(), source.Item(i).Size());
        }
        EXPECT_EQ(table.Indexes().Count(), 0) << "the copy runs on tables without indexes";
        EXPECT_EQ(table.RecordCount(), 0);
    }
    // Cliente keeps the store's own CodLoja beside the added CodLojaCons.
    EXPECT_EQ(backup.TableDefs().Item("Cliente").Fields().Item("CodLoja").Name(), "CodLoja");
    EXPECT_EQ(backup.TableDefs().Item("TransSai").Fields().Item(0).Name(),
              store.TableDefs().Item("TransSai").Fields().Item(0).Name());
    store.Close();
}

TEST_F(BackupDatabaseTest, WorkingAndCodeTablesHaveTheirColumnsAndPrimaryIndexes) {
    dao::Database backup = OpenBackup();
    struct Expected {
        const char* table;
        std::vector<std::string> fields;
        const char* index;   // "" when none
        std::vector<std::string> key;
    };
    const Expected rows[] = {
        {"FAMILIACONS", {"Código", "Descrição"}, "", {}},
        {"LojaCons", {"CodLoja", "Nome", "LojaOrigem"}, "", {}},
        {"Familia", {"Código", "Descrição"}, "IndCodFam", {"Código"}},
        {"Grupo", {"Familia", "Grupo", "DescGrupo"}, "IndCodGrp", {"Familia", "Grupo"}},
        {"Cor", {"Código", "Descrição"}, "IndCodCor", {"Código"}},
        {"Loja", {"CodLoja", "Nome", "LojaOrigem"}, "IndCódigo", {"CodLoja"}},
    };
    for (const Expected& row : rows) {
        SCOPED_TRACE(row.table);
        const dao::TableDef table = backup.TableDefs().Item(row.table);
        EXPECT_EQ(table.Name(), row.table);
        ASSERT_EQ(table.Fields().Count(), static_cast<int>(row.fields.size()));
        for (std::size_t i = 0; i < row.fields.size(); ++i) {
            EXPECT_EQ(table.Fields().Item(static_cast<int>(i)).Name(), row.fields[i]);
        }
        if (*row.index == '\0') {
            EXPECT_EQ(table.Indexes().Count(), 0);
            continue;
        }
        ASSERT_EQ(table.Indexes().Count(), 1);
        const dao::Index index = table.Indexes().Item(row.index);
        EXPECT_TRUE(index.Primary());
        EXPECT_TRUE(index.Required());
        EXPECT_FALSE(index.IgnoreNulls());
        ASSERT_EQ(index.Fields().Count(), static_cast<int>(row.key.size()));
        for (std::size_t i = 0; i < row.key.size(); ++i) {
            EXPECT_EQ(index.Fields().Item(static_cast<int>(i)).Name(), row.key[i]);
        }
    }
    // Working copies of Grupo and Cor take every field of the store's table.
    dao::Database store = OpenStore("F:\\LOJA01\\Produto.MDB");
    EXPECT_EQ(backup.TableDefs().Item("GrupoCons").Fields().Count(), store.TableDefs().Item("Grupo").Fields().Count());
    EXPECT_EQ(backup.TableDefs().Item("CorCons").Fields().Count(), store.TableDefs().Item("Cor").Fields().Count());
    // A code seen twice is refused by the primary index.
    AddRow(backup, "Cor", {{"Código", dao::Value("01")}, {"Descrição", dao::Value("AZUL")}});
    EXPECT_EQ(testing::ErrorNumberOf([&] { AddRow(backup, "Cor", {{"Código", dao::Value("01")}, {"Descrição", dao::Value("ANIL")}}); }),
              3022);
    store.Close();
}

TEST_F(BackupDatabaseTest, RefusesToCreateOverAnExistingFile) {
    dao::Database store = OpenStore("F:\\LOJA01\\Produto.MDB");
    EXPECT_EQ(testing::ErrorNumberOf([&] { CreateBackup(ProgramEngine(), "C:\\REPORT\\BACKUP.MDB", store, 0, 0); }), 3204);
    CreateBackup(ProgramEngine(), "C:\\REPORT\\Outro.mdb", store, win::DateSerial(2026, 12, 9), 0);
    dao::Database other = ProgramEngine().OpenDatabase("C:\\REPORT\\Outro.mdb");
    EXPECT_EQ(other.TableDefs().Item("Status").RecordCount(), 1);
    other.Close();
    store.Close();
}

}  // namespace
}  // namespace report::consolidation
