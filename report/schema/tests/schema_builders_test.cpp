#include "report/schema/schema_builders.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "report/schema/tests/golden.h"

namespace schema {
namespace {

using testing::Columns;

// Installs a recording error report for the test and restores the default afterwards.
class SchemaBuilders : public ::testing::Test {
protected:
    struct Reported {
        long number;
        std::string tela, rotina;
    };

    void SetUp() override {
        SetErrorReport([this](const win::RuntimeError& e, const std::string& tela,
                              const std::string& rotina) {
            reports_.push_back({e.Number(), tela, rotina});
        });
    }
    void TearDown() override { SetErrorReport({}); }

    std::vector<Reported> reports_;
};

// The builder name the naming rule gives: database letter, table number, table name without
// blanks and with accented letters written plain.
std::string BuilderName(int g, const std::string& t, std::string name) {
    const std::pair<const char*, const char*> plain[] = {
        {"ç", "c"}, {"ã", "a"}, {"é", "e"}, {"í", "i"}, {"Ç", "C"}, {"Ã", "A"}, {" ", ""}};
    for (const auto& [from, to] : plain) {
        for (std::size_t at; (at = name.find(from)) != std::string::npos;) {
            name.replace(at, std::string(from).size(), to);
        }
    }
    return std::string(1, "PABMT"[g]) + t + name;
}

TEST_F(SchemaBuilders, DriversRunInOrderAndStoreTheirCountsLast) {
    SchemaDescription d;
    std::vector<std::pair<int, int>> tables;  // (g, t) of each NomeTabela write; t -1 = count
    d.SetWriteObserver([&](Slot slot, int g, int t, int) {
        if (slot == Slot::NomeTabela) tables.emplace_back(g, t);
        if (slot == Slot::QtdeTabelas) tables.emplace_back(g, -1);
    });
    RunSchemaDrivers(d);
    const int counts[] = {55, 6, 1, 8, 14};
    std::vector<std::pair<int, int>> expected;
    for (int g = 0; g < 5; ++g) {
        for (int t = 1; t <= counts[g]; ++t) expected.emplace_back(g, t);
        expected.emplace_back(g, -1);
    }
    EXPECT_EQ(tables, expected);
    for (int g = 0; g <= 9; ++g) EXPECT_EQ(d.QtdeTabelas(g), g < 5 ? counts[g] : 0) << g;
}

TEST_F(SchemaBuilders, EverySlotOutsideTheDescribedTablesStaysEmpty) {
    SchemaDescription d;
    RunSchemaDrivers(d);
    const FieldEntry empty;
    int filled = 0;
    for (int g = 0; g <= 9; ++g) {
        EXPECT_EQ(d.NomeBanco(g), "");
        for (int t = 0; t <= 100; ++t) {
            const bool described = t >= 1 && t <= d.QtdeTabelas(g);
            if (!described) {
                EXPECT_EQ(d.NomeTabela(g, t), "") << g << "," << t;
                EXPECT_EQ(d.QtdeCampos(g, t), 0) << g << "," << t;
            }
            for (int k = 1; t >= 1 && k <= 100; ++k) {
                const FieldEntry& f = d.Campo(g, t, k);
                if (described && k <= d.QtdeCampos(g, t)) {
                    ++filled;
                    EXPECT_NE(f.nomeCampo, "");
                    continue;
                }
                EXPECT_TRUE(f.nomeCampo.empty() && f.tipoCampo.empty() && f.tamanhoCampo == 0 &&
                            f.nomePropriedade.empty() && f.verificaPropriedade == 0 &&
                            f.tipoPropriedade == empty.tipoPropriedade &&
                            f.valorPropriedade == empty.valorPropriedade)
                    << "stray entry at " << g << "," << t << "," << k;
            }
        }
    }
    EXPECT_EQ(filled, 1389);
}

// Each builder, run alone by its name, writes exactly its own table's expected lines and
// touches no slot of another table.
TEST_F(SchemaBuilders, EachBuilderWritesOnlyItsOwnTable) {
    const auto golden = testing::GoldenLines();
    std::map<std::pair<int, int>, std::vector<std::string>> expected;
    std::vector<std::tuple<int, int, std::string>> builders;
    for (const auto& line : golden) {
        const auto c = Columns(line);
        const std::pair key{std::stoi(c[1]), std::stoi(c[2])};
        expected[key].push_back(line);
        if (c[0] == "T") builders.emplace_back(key.first, key.second, BuilderName(key.first, c[2], c[3]));
    }
    ASSERT_EQ(builders.size(), 84u);
    for (const auto& [g, t, name] : builders) {
        SchemaDescription d;
        std::set<std::pair<int, int>> touched;
        d.SetWriteObserver([&](Slot, int wg, int wt, int) { touched.emplace(wg, wt); });
        ASSERT_TRUE(RunBuilder(name, d)) << name;
        const std::set<std::pair<int, int>> own{{g, t}};
        EXPECT_EQ(touched, own) << name;
        d.SetQtdeTabelas(g, static_cast<std::int16_t>(t));  // let the dump reach the table
        const auto& wanted = expected[std::pair{g, t}];
        auto lines = testing::DumpLines(d);
        lines.erase(lines.begin(), lines.end() - static_cast<long>(wanted.size()));
        EXPECT_EQ(lines, wanted) << name;
    }
    EXPECT_FALSE(RunBuilder("P56Nada"));
    EXPECT_FALSE(RunBuilder("X1Venda"));
}

struct OrderCase {
    const char* builder;
    int k;
    std::vector<Slot> slots;
};

TEST_F(SchemaBuilders, FieldEntriesAreWrittenInTheDocumentedOrder) {
    using S = Slot;
    const std::vector<Slot> sized{S::NomeCampo, S::TipoCampo, S::TamanhoCampo, S::NomePropriedade,
                                  S::ValorPropriedade, S::VerificaPropriedade};
    const OrderCase cases[] = {
        {"P7Cliente", 2, sized},                                   // Text
        {"P12Credito", 26, sized},                                 // Memo with "Size"
        {"P7Cliente", 33, {S::NomeCampo, S::TipoCampo, S::TamanhoCampo, S::VerificaPropriedade}},
        {"P7Cliente", 1, {S::NomeCampo, S::TipoCampo, S::NomePropriedade, S::ValorPropriedade,
                          S::VerificaPropriedade}},                // Long
        {"P7Cliente", 13, {S::NomeCampo, S::TipoCampo, S::NomePropriedade, S::TipoPropriedade,
                           S::ValorPropriedade, S::VerificaPropriedade}},  // Currency
    };
    for (const auto& c : cases) {
        SchemaDescription d;
        std::vector<Slot> all, ofField;
        d.SetWriteObserver([&](Slot slot, int, int, int k) {
            all.push_back(slot);
            if (k == c.k) ofField.push_back(slot);
        });
        ASSERT_TRUE(RunBuilder(c.builder, d));
        EXPECT_EQ(ofField, c.slots) << c.builder << " k" << c.k;
        EXPECT_EQ(all.front(), Slot::NomeTabela);
        EXPECT_EQ(all.back(), Slot::QtdeCampos);
    }
}

// Tables documented as repeating another table's entries (g, t, first k) for `count` fields.
struct SameEntries {
    int g1, t1, k1, g2, t2, k2, count;
};

TEST_F(SchemaBuilders, RepeatedTablesCarryTheSameEntries) {
    const SameEntries relations[] = {
        {0, 53, 1, 0, 42, 1, 50}, {0, 54, 1, 0, 43, 1, 12}, {0, 46, 1, 0, 45, 1, 8},
        {0, 48, 2, 0, 32, 1, 39}, {0, 32, 34, 0, 31, 23, 6}, {0, 15, 1, 0, 33, 1, 29},
        {0, 15, 32, 0, 33, 30, 10}, {0, 15, 43, 0, 33, 41, 1}, {0, 14, 1, 0, 26, 1, 23},
        {0, 14, 25, 0, 26, 24, 1}, {0, 14, 29, 0, 26, 25, 2}, {0, 42, 40, 0, 2, 1, 5},
        {0, 42, 45, 0, 2, 16, 6}, {0, 49, 19, 0, 38, 1, 3},
        {1, 1, 1, 0, 33, 1, 41}, {1, 2, 1, 0, 37, 1, 4}, {1, 3, 1, 0, 26, 1, 26},
        {1, 4, 1, 0, 31, 1, 22}, {1, 5, 1, 0, 40, 1, 4}, {1, 5, 5, 0, 40, 6, 1},
        {1, 5, 6, 0, 40, 5, 1}, {1, 5, 7, 0, 40, 7, 9}, {1, 6, 1, 0, 2, 1, 21},
        {2, 1, 1, 0, 29, 1, 2}, {3, 1, 1, 0, 17, 1, 2}, {3, 2, 1, 0, 36, 1, 3},
        {3, 3, 1, 0, 9, 1, 2}, {3, 4, 1, 0, 2, 1, 21}, {3, 5, 1, 0, 33, 1, 37},
        {3, 6, 1, 0, 37, 1, 4}, {3, 7, 1, 0, 26, 1, 24}, {3, 8, 1, 0, 34, 1, 15},
        {4, 1, 1, 0, 6, 1, 13}, {4, 2, 1, 0, 8, 1, 2}, {4, 3, 1, 0, 9, 1, 2},
        {4, 4, 1, 0, 10, 1, 5}, {4, 5, 1, 0, 17, 1, 2}, {4, 6, 1, 0, 19, 1, 19},
        {4, 7, 1, 0, 36, 1, 3}, {4, 8, 1, 0, 40, 1, 15}, {4, 9, 1, 0, 22, 1, 2},
        {4, 12, 1, 0, 31, 1, 22}, {4, 13, 1, 0, 20, 1, 10}, {4, 14, 1, 0, 1, 1, 44},
        {4, 14, 46, 0, 1, 46, 26},
    };
    SchemaDescription d;
    RunSchemaDrivers(d);
    auto same = [](const FieldEntry& a, const FieldEntry& b) {
        return std::tie(a.nomeCampo, a.tipoCampo, a.tamanhoCampo, a.nomePropriedade,
                        a.tipoPropriedade, a.valorPropriedade, a.verificaPropriedade) ==
               std::tie(b.nomeCampo, b.tipoCampo, b.tamanhoCampo, b.nomePropriedade,
                        b.tipoPropriedade, b.valorPropriedade, b.verificaPropriedade);
    };
    for (const auto& r : relations) {
        for (int i = 0; i < r.count; ++i) {
            EXPECT_TRUE(same(d.Campo(r.g1, r.t1, r.k1 + i), d.Campo(r.g2, r.t2, r.k2 + i)))
                << r.g1 << "," << r.t1 << "," << r.k1 + i << " vs " << r.g2 << "," << r.t2 << ","
                << r.k2 + i;
        }
    }
    // The documented differences between copies.
    EXPECT_EQ(d.TamanhoCampo(0, 15, 42), 10);
    EXPECT_EQ(d.TamanhoCampo(0, 33, 40), 15);
    EXPECT_EQ(d.TipoCampo(4, 14, 45), "10");
    EXPECT_EQ(d.TipoCampo(0, 1, 45), "3");
    EXPECT_EQ(d.QtdeCampos(4, 12), 22);
}

// The type rule every entry follows, checked over the filled description: a Text field checks
// "Size" = its length as text, a number type checks "Type" = its code as a Long, Currency and
// Date/Time check a "Format" created as a Text property, a Memo checks nothing. The listed fields
// are the documented exceptions. No table names a field twice (case ignored).
TEST_F(SchemaBuilders, EveryEntryFollowsTheTypeRuleButTheDocumentedExceptions) {
    const std::set<std::tuple<int, int, int>> exceptions{
        {0, 12, 26}, {0, 35, 10}, {0, 35, 11}, {0, 55, 7}, {0, 55, 8}};
    const std::set<std::string> formats{"Short Date", "General Date", "Long Time"};
    SchemaDescription d;
    RunSchemaDrivers(d);
    int exceptionsSeen = 0;
    for (int g = 0; g < 5; ++g) {
        for (int t = 1; t <= d.QtdeTabelas(g); ++t) {
            std::set<std::string> names;
            for (int k = 1; k <= d.QtdeCampos(g, t); ++k) {
                const FieldEntry& f = d.Campo(g, t, k);
                std::string folded = f.nomeCampo;
                for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                EXPECT_TRUE(names.insert(folded).second) << "repeated " << f.nomeCampo;
                if (exceptions.count({g, t, k})) {
                    ++exceptionsSeen;
                    continue;
                }
                const std::string at = std::to_string(g) + "," + std::to_string(t) + "," + std::to_string(k);
                const int type = std::stoi(f.tipoCampo);
                const bool format = type == 5 || type == 8;
                EXPECT_EQ(f.tipoPropriedade, format ? SchemaValue{std::int32_t{10}} : SchemaValue{}) << at;
                EXPECT_EQ(f.verificaPropriedade, type == 12 ? 0 : 1) << at;
                if (type == 10) {
                    EXPECT_TRUE(f.tamanhoCampo >= 1 && f.tamanhoCampo <= 60) << at;
                    EXPECT_EQ(f.valorPropriedade, SchemaValue{std::to_string(f.tamanhoCampo)}) << at;
                } else if (type == 12) {
                    EXPECT_EQ(f.tamanhoCampo, 10) << at;
                    EXPECT_EQ(f.nomePropriedade, "") << at;
                } else if (type == 5) {
                    EXPECT_EQ(f.valorPropriedade, SchemaValue{std::string("Currency")}) << at;
                } else if (type == 8) {
                    EXPECT_TRUE(formats.count(ValueText(f.valorPropriedade))) << at;
                } else {
                    EXPECT_EQ(f.nomePropriedade, "Type") << at;
                    EXPECT_EQ(f.valorPropriedade, SchemaValue{std::int32_t{type}}) << at;
                }
                if (type != 10 && type != 12) {
                    EXPECT_EQ(f.tamanhoCampo, 0) << at;
                }
            }
        }
    }
    EXPECT_EQ(exceptionsSeen, 5);
}

TEST_F(SchemaBuilders, SecondFillChangesNothing) {
    SchemaDescription d;
    RunSchemaDrivers(d);
    const auto once = testing::DumpLines(d);
    RunSchemaDrivers(d);
    EXPECT_EQ(testing::DumpLines(d), once);
    EXPECT_TRUE(reports_.empty());
}

// A fault while NotaFiscal's entries are written is reported under the builder's own labels;
// the entries written so far stay, its count keeps its previous value, and the remaining
// builders and drivers still run.
TEST_F(SchemaBuilders, NotaFiscalFaultIsReportedAndTheRestIsFilled) {
    for (const int previousCount : {0, 6}) {
        SchemaDescription d;
        if (previousCount != 0) RunSchemaDrivers(d);
        SchemaDescription clean;
        RunSchemaDrivers(clean);
        d.SetWriteObserver([](Slot slot, int g, int t, int k) {
            if (slot == Slot::NomeCampo && g == 0 && t == 47 && k == 3) win::Raise(win::err::TypeMismatch);
        });
        reports_.clear();
        RunSchemaDrivers(d);
        ASSERT_EQ(reports_.size(), 1u);
        EXPECT_EQ(reports_[0].number, 13);
        EXPECT_EQ(reports_[0].tela, "AtualizaBD");
        EXPECT_EQ(reports_[0].rotina, "P47NotaFiscal");
        EXPECT_EQ(d.QtdeCampos(0, 47), previousCount);
        EXPECT_EQ(d.NomeCampo(0, 47, 2), clean.NomeCampo(0, 47, 2));
        EXPECT_EQ(d.NomeCampo(0, 47, 3), previousCount ? clean.NomeCampo(0, 47, 3) : "");
        EXPECT_EQ(d.QtdeTabelas(0), 55);
        for (int t = 48; t <= 55; ++t) EXPECT_EQ(d.QtdeCampos(0, t), clean.QtdeCampos(0, t)) << t;
        EXPECT_EQ(d.QtdeTabelas(4), 14);
        EXPECT_EQ(d.QtdeCampos(4, 14), 71);
    }
}

// Until the program connects its error routine, a trapped error is still shown, not swallowed.
TEST_F(SchemaBuilders, DefaultReportWritesTheErrorAndItsLabels) {
    SetErrorReport({});
    SchemaDescription d;
    d.SetWriteObserver([](Slot slot, int, int t, int) {
        if (slot == Slot::QtdeCampos && t == 47) win::Raise(win::err::SubscriptOutOfRange);
    });
    ::testing::internal::CaptureStderr();
    ASSERT_TRUE(RunBuilder("P47NotaFiscal", d));
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("9 (Subscript out of range)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("AtualizaBD / P47NotaFiscal"), std::string::npos) << shown;
    EXPECT_TRUE(reports_.empty());
}

// Builders without a trap let the error pass to the driver's caller, unreported.
TEST_F(SchemaBuilders, FaultInAnUntrappedBuilderPassesToTheCaller) {
    SchemaDescription d;
    d.SetWriteObserver([](Slot slot, int g, int t, int) {
        if (slot == Slot::QtdeCampos && g == 0 && t == 46) win::Raise(win::err::Overflow);
    });
    try {
        TabelasProduto(d);
        FAIL() << "no error";
    } catch (const win::RuntimeError& error) {
        EXPECT_EQ(error.Number(), 6);
    }
    EXPECT_TRUE(reports_.empty());
    EXPECT_EQ(d.QtdeCampos(0, 46), 0);
    EXPECT_EQ(d.NomeTabela(0, 47), "");
    EXPECT_EQ(d.QtdeTabelas(0), 0);
}

}  // namespace
}  // namespace schema
