// The twelve indexes of the consolidated database: their table, fields and flags; equal keys of
// different stores; a failure that stops the step where it happened and a resume from there.
#include "report/consolidation/indexes.h"

#include "platform/dao/collation.h"
#include "report/consolidation/tests/support/consolidation_fixture.h"

namespace report::consolidation {
namespace {

using testing::ChainTest;

class IndexesTest : public ChainTest {
protected:
    // Every index of the consolidated tables, as "table.index" in table order.
    static std::vector<std::string> IndexNames(const dao::Database& backup) {
        std::vector<std::string> names;
        for (const char* table : {"Produto", "Venda", "Itens Venda", "Pagto Venda", "Vendedor", "Fornecedor"}) {
            const dao::Indexes indexes = backup.TableDefs().Item(table).Indexes();
            for (int i = 0; i < indexes.Count(); ++i) names.push_back(std::string(table) + "." + indexes.Item(i).Name());
        }
        return names;
    }

    static long Sale(const dao::Database& backup, const char* store, int number) {
        return testing::ErrorNumberOf([&] {
            AddRow(backup, "Venda", {{"CodLoja", dao::Value(store)}, {"Número Venda", dao::Value(number)}});
        });
    }
};

TEST_F(IndexesTest, BuildsTheTwelveIndexesWithTheirFieldsAndFlags) {
    dao::Database backup = OpenBackup();
    IndexWork work;
    CriaIndicesConsolidados(backup, work);
    EXPECT_EQ(work.next, 0u);
    struct Expected {
        const char* table;
        const char* index;
        std::vector<std::string> fields;
        bool primary;
    };
    const Expected rows[] = {
        {"Produto", "IndCódigo", {"CodLoja", "Familia", "Grupo", "Tamanho", "Cor"}, true},
        {"Produto", "IndCodAlternativo", {"CodLoja", "CodAlternativo"}, false},
        {"Venda", "IndCliente", {"CodLoja", "Código Cliente"}, false},
        {"Venda", "IndConcluido", {"CodLoja", "Concluido", "CodUsuario"}, false},
        {"Venda", "IndVenda", {"CodLoja", "Número Venda"}, true},
        {"Itens Venda", "IndÍtens", {"CodLoja", "Número Venda", "Sequência"}, false},
        {"Itens Venda", "IndVenda", {"CodLoja", "Número Venda"}, false},
        {"Pagto Venda", "IndCheque", {"CodLoja", "Número Cheque", "Vencimento"}, false},
        {"Pagto Venda", "IndParcela", {"CodLoja", "Número Venda", "Sequência"}, false},
        {"Pagto Venda", "IndVenda", {"CodLoja", "Número Venda"}, false},
        {"Vendedor", "IndCódigo", {"CodLoja", "Código"}, false},
        {"Fornecedor", "IndCodFor", {"Código", "CodLoja"}, true},
    };
    EXPECT_EQ(IndexNames(backup).size(), std::size(rows));
    for (const Expected& row : rows) {
        SCOPED_TRACE(std::string(row.table) + "." + row.index);
        const dao::Index index = backup.TableDefs().Item(row.table).Indexes().Item(row.index);
        EXPECT_EQ(index.Primary(), row.primary);
        EXPECT_EQ(index.Required(), row.primary);
        EXPECT_FALSE(index.IgnoreNulls());
        ASSERT_EQ(index.Fields().Count(), static_cast<int>(row.fields.size()));
        for (std::size_t i = 0; i < row.fields.size(); ++i) {
            EXPECT_TRUE(dao::JetNamesEqual(index.Fields().Item(static_cast<int>(i)).Name(), row.fields[i]));
        }
    }
}

TEST_F(IndexesTest, EqualSaleNumbersOfTwoStoresAreTwoEntries) {
    dao::Database backup = OpenBackup();
    IndexWork work;
    CriaIndicesConsolidados(backup, work);
    EXPECT_EQ(Sale(backup, "01", 7), 0);
    EXPECT_EQ(Sale(backup, "02", 7), 0);
    EXPECT_EQ(Sale(backup, "01", 7), 3022);
    EXPECT_EQ(Sale(backup, "03", 8), 0);
    EXPECT_EQ(backup.TableDefs().Item("Venda").RecordCount(), 3);
}

TEST_F(IndexesTest, DuplicateProductOfOneStoreCodeStopsBeforeAnyIndex) {
    dao::Database backup = OpenBackup();
    const testing::Row product = {{"CodLoja", dao::Value("01")}, {"Familia", dao::Value(1)}, {"Grupo", dao::Value(2)},
                         {"Tamanho", dao::Value("P")}, {"Cor", dao::Value("01")}};
    AddRow(backup, "Produto", product);
    AddRow(backup, "Produto", product);
    IndexWork work;
    EXPECT_EQ(testing::ErrorNumberOf([&] { CriaIndicesConsolidados(backup, work); }), 3022);
    EXPECT_EQ(work.next, 0u);
    EXPECT_TRUE(IndexNames(backup).empty()) << "no index after the failing one is created";
}

TEST_F(IndexesTest, NullSupplierCodeBreaksTheRequiredPrimaryKey) {
    dao::Database backup = OpenBackup();
    AddRow(backup, "Fornecedor", {{"CodLoja", dao::Value("01")}});
    IndexWork work;
    EXPECT_EQ(testing::ErrorNumberOf([&] { CriaIndicesConsolidados(backup, work); }), 3058);
    EXPECT_EQ(work.next, 11u);
    EXPECT_EQ(IndexNames(backup).size(), 11u);
}

TEST_F(IndexesTest, AnIndexNameAlreadyOnTheTableStopsThereAndTheStepResumesAtIt) {
    dao::Database backup = OpenBackup();
    IndexWork work;
    work.TabelaIndice = backup.TableDefs().Item("Venda");
    NovoIndice(work, {"Venda", "IndVenda", {"Número Venda"}, false});
    AnexaIndice(work);
    EXPECT_EQ(testing::ErrorNumberOf([&] { CriaIndicesConsolidados(backup, work); }), 3284);
    EXPECT_EQ(work.next, 4u);
    EXPECT_EQ(IndexNames(backup), (std::vector<std::string>{"Produto.IndCódigo", "Produto.IndCodAlternativo",
                                                           "Venda.IndVenda", "Venda.IndCliente", "Venda.IndConcluido"}));
    backup.TableDefs().Item("Venda").Indexes().Delete("IndVenda");
    CriaIndicesConsolidados(backup, work);
    EXPECT_EQ(work.next, 0u);
    EXPECT_EQ(IndexNames(backup).size(), 12u);
    EXPECT_TRUE(backup.TableDefs().Item("Venda").Indexes().Item("IndVenda").Primary());
}

TEST_F(IndexesTest, AnexaIndiceWithoutATableOrIndexRaisesObjectNotSet) {
    IndexWork work;
    EXPECT_EQ(testing::ErrorNumberOf([&] { AnexaIndice(work); }), 91);
    EXPECT_EQ(testing::ErrorNumberOf([&] { NovoIndice(work, ConsolidatedIndexes().front()); }), 91);
}

}  // namespace
}  // namespace report::consolidation
