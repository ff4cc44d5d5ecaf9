#include "report/schema/schema_description.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win/error.h"
#include "report/schema/schema_dump.h"

namespace schema {
namespace {

struct OutOfRangeCase {
    const char* what;
    std::function<void(SchemaDescription&)> access;
};

// Names each case in the test list by its call, not by its bytes.
void PrintTo(const OutOfRangeCase& c, std::ostream* os) { *os << c.what; }

class OutOfRange : public ::testing::TestWithParam<OutOfRangeCase> {};

TEST_P(OutOfRange, RaisesSubscriptOutOfRange) {
    SchemaDescription d;
    try {
        GetParam().access(d);
        FAIL() << GetParam().what << " did not raise";
    } catch (const win::RuntimeError& error) {
        EXPECT_EQ(error.Number(), 9);
        EXPECT_EQ(error.Description(), "Subscript out of range");
    }
}

INSTANTIATE_TEST_SUITE_P(
    SchemaBounds, OutOfRange,
    ::testing::Values(
        OutOfRangeCase{"NomeBanco(-1)", [](SchemaDescription& d) { d.NomeBanco(-1); }},
        OutOfRangeCase{"QtdeTabelas(10)", [](SchemaDescription& d) { d.QtdeTabelas(10); }},
        OutOfRangeCase{"NomeTabela(0,101)", [](SchemaDescription& d) { d.NomeTabela(0, 101); }},
        OutOfRangeCase{"QtdeCampos(10,1)", [](SchemaDescription& d) { d.QtdeCampos(10, 1); }},
        OutOfRangeCase{"NomeCampo(0,0,1)", [](SchemaDescription& d) { d.NomeCampo(0, 0, 1); }},
        OutOfRangeCase{"TipoCampo(0,1,0)", [](SchemaDescription& d) { d.TipoCampo(0, 1, 0); }},
        OutOfRangeCase{"TamanhoCampo(0,1,101)",
                       [](SchemaDescription& d) { d.TamanhoCampo(0, 1, 101); }},
        OutOfRangeCase{"ValorPropriedade(0,101,1)",
                       [](SchemaDescription& d) { d.ValorPropriedade(0, 101, 1); }},
        OutOfRangeCase{"SetNomeBanco(10)", [](SchemaDescription& d) { d.SetNomeBanco(10, "x"); }},
        OutOfRangeCase{"SetNomeTabela(0,-1)",
                       [](SchemaDescription& d) { d.SetNomeTabela(0, -1, "x"); }},
        OutOfRangeCase{"SetNomeCampo(0,1,101)",
                       [](SchemaDescription& d) { d.SetNomeCampo(0, 1, 101, "x"); }},
        OutOfRangeCase{"SetVerificaPropriedade(0,0,1)",
                       [](SchemaDescription& d) { d.SetVerificaPropriedade(0, 0, 1, 1); }}));

TEST(SchemaDescription, EdgeSlotsAreAddressable) {
    SchemaDescription d;
    d.SetNomeTabela(0, 0, "UltimaVenda");
    d.SetNomeCampo(9, 100, 100, "Last");
    d.SetQtdeTabelas(9, 1);
    EXPECT_EQ(d.NomeTabela(0, 0), "UltimaVenda");
    EXPECT_EQ(d.NomeCampo(9, 100, 100), "Last");
    EXPECT_EQ(d.QtdeTabelas(9), 1);
}

TEST(SchemaDescription, UnwrittenFieldReadsEmptyEvenBesideWrittenOnes) {
    SchemaDescription d;
    d.SetNomeCampo(0, 5, 7, "Seventh");
    for (int k : {1, 6, 8, 100}) {
        const FieldEntry& entry = d.Campo(0, 5, k);
        EXPECT_EQ(entry.nomeCampo, "") << k;
        EXPECT_EQ(entry.tamanhoCampo, 0) << k;
        EXPECT_TRUE(std::holds_alternative<std::monostate>(entry.valorPropriedade)) << k;
    }
    EXPECT_EQ(d.NomeCampo(0, 5, 7), "Seventh");
    EXPECT_EQ(d.NomeCampo(0, 6, 7), "");
}

TEST(SchemaDescription, ObserverSeesEachWriteBeforeItLands) {
    SchemaDescription d;
    std::vector<std::string> seen;
    d.SetWriteObserver([&](Slot slot, int g, int t, int k) {
        seen.push_back(std::to_string(static_cast<int>(slot)) + "@" + std::to_string(g) + "," +
                       std::to_string(t) + "," + std::to_string(k));
        if (slot == Slot::TamanhoCampo) throw win::RuntimeError(win::err::InvalidProcedureCall, "refused");
    });
    d.SetNomeTabela(1, 2, "T");
    d.SetNomeCampo(1, 2, 3, "F");
    EXPECT_THROW(d.SetTamanhoCampo(1, 2, 3, 40), win::RuntimeError);
    EXPECT_EQ(d.TamanhoCampo(1, 2, 3), 0);
    const std::vector<std::string> expected{"2@1,2,0", "4@1,2,3", "6@1,2,3"};
    EXPECT_EQ(seen, expected);
}

struct ValueCase {
    SchemaValue value;
    const char* text;
    const char* dump;
};

TEST(SchemaValue, TextAndDumpForms) {
    const ValueCase cases[] = {
        {SchemaValue{}, "", "E"},
        {SchemaValue{std::int16_t{15}}, "15", "I2:15"},
        {SchemaValue{std::int16_t{-32768}}, "-32768", "I2:-32768"},
        {SchemaValue{std::int32_t{10}}, "10", "I4:10"},
        {SchemaValue{std::int32_t{2147483647}}, "2147483647", "I4:2147483647"},
        {SchemaValue{std::string("Short Date")}, "Short Date", "S:Short Date"},
        {SchemaValue{std::string("0")}, "0", "S:0"},
        {SchemaValue{std::string()}, "", "S:"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ValueText(c.value), c.text);
        EXPECT_EQ(DumpValue(c.value), c.dump);
    }
}

}  // namespace
}  // namespace schema
