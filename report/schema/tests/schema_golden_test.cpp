// The filled description, entry by entry, against the expectation written from the documented
// tables (tests/data/schema_expected.tsv).
#include <gtest/gtest.h>

#include <algorithm>

#include "report/schema/schema_builders.h"
#include "report/schema/tests/golden.h"

namespace schema {
namespace {

using testing::Columns;

TEST(SchemaGolden, ExpectationHoldsEveryTableAndField) {
    const auto golden = testing::GoldenLines();
    const auto tables = std::count_if(golden.begin(), golden.end(),
                                      [](const std::string& l) { return l.rfind("T\t", 0) == 0; });
    const auto fields = std::count_if(golden.begin(), golden.end(),
                                      [](const std::string& l) { return l.rfind("F\t", 0) == 0; });
    EXPECT_EQ(tables, 84);
    EXPECT_EQ(fields, 1389);
    EXPECT_EQ(tables + fields, static_cast<long>(golden.size()));
}

TEST(SchemaGolden, DumpMatchesLineByLine) {
    SchemaDescription d;
    RunSchemaDrivers(d);
    const auto dump = testing::DumpLines(d);
    const auto golden = testing::GoldenLines();
    const std::size_t common = std::min(dump.size(), golden.size());
    int mismatches = 0;
    for (std::size_t i = 0; i < common && mismatches < 20; ++i) {
        if (dump[i] != golden[i]) {
            ++mismatches;
            ADD_FAILURE() << "line " << i + 1 << "\n  dump:     " << dump[i]
                          << "\n  expected: " << golden[i];
        }
    }
    EXPECT_EQ(dump.size(), golden.size());
}

// The typed cells are what the upgrade hands to the engine: an Integer Size is not a text Size.
TEST(SchemaGolden, IrregularEntriesKeepTheirKinds) {
    struct Spot {
        int g, t, k;
        const char* line;
    };
    const Spot spots[] = {
        {0, 12, 26, "Observação\t12\t10\tSize\tE\tS:0\t1"},
        {0, 7, 33, "Observação\t12\t10\t\tE\tE\t0"},
        {0, 35, 10, "Maquina\t10\t15\tSize\tE\tI2:15\t1"},
        {0, 55, 8, "Usuario\t10\t10\tSize\tE\tI2:10\t1"},
        {0, 33, 40, "Maquina\t10\t15\tSize\tE\tS:15\t1"},
        {0, 15, 42, "Maquina\t10\t10\tSize\tE\tS:10\t1"},
        {0, 1, 13, "UltimaContagem\t8\t0\tFormat\tI4:10\tS:General Date\t1"},
        {0, 1, 14, "Versao\t8\t0\tFormat\tI4:10\tS:Short Date\t1"},
        {0, 1, 45, "ImpressoraCheque\t3\t0\tType\tE\tI4:3\t1"},
        {4, 14, 45, "ImpressoraCheque\t10\t1\tSize\tE\tS:1\t1"},
        {1, 5, 5, "QuantidadeRecebida\t7\t0\tType\tE\tI4:7\t1"},
        {0, 40, 5, "EstoqueMinimo\t7\t0\tType\tE\tI4:7\t1"},
        {0, 52, 19, "TransferênciaSaída\t7\t0\tType\tE\tI4:7\t1"},
        {0, 2, 13, "TransferênciaSaida\t7\t0\tType\tE\tI4:7\t1"},
    };
    SchemaDescription d;
    RunSchemaDrivers(d);
    const auto dump = testing::DumpLines(d);
    for (const Spot& s : spots) {
        const std::string prefix = "F\t" + std::to_string(s.g) + "\t" + std::to_string(s.t) + "\t" +
                                   std::to_string(s.k) + "\t";
        const std::string wanted = prefix + s.line;
        EXPECT_NE(std::find(dump.begin(), dump.end(), wanted), dump.end()) << wanted;
    }
}

}  // namespace
}  // namespace schema
