// Values and their conversions, and names and texts compared as the engine compares them.
#include <sqlite3.h>

#include <thread>
#include <vector>

#include "platform/dao/collation.h"
#include "platform/dao/tests/fixture.h"

namespace dao::testing {
namespace {

TEST(DaoCollation, NamesCompareWithoutCaseButWithAccents) {
    struct Row {
        const char* a;
        const char* b;
        bool same;
    };
    const Row rows[] = {
        {"PRODUTOCONS", "ProdutoCons", true}, {"Código", "CÓDIGO", true},      {"Codigo", "Código", false},
        {"Descrição", "DESCRIÇÃO", true},     {"Itens Venda", "ITENS VENDA", true}, {"%IPI", "%ipi", true},
        {"Total US$", "total us$", true},     {"ÿ", "Ÿ", true},                 {"Ítens", "ítens", true},
        {"Itens", "Ítens", false},            {"Loja", "Loja ", false},         {"a", "b", false},
    };
    for (const auto& row : rows) EXPECT_EQ(JetNamesEqual(row.a, row.b), row.same) << row.a << " / " << row.b;
    EXPECT_EQ(JetFold("ação Çé"), "AÇÃO ÇÉ");
}

TEST(DaoCollation, TextOrdersByLettersThenAccents) {
    const char* ordered[] = {"", "a", "Ana", "Bia", "Codigo", "Código", "Cor", "edson", "Édson", "Zé"};
    for (std::size_t i = 0; i + 1 < std::size(ordered); ++i) {
        EXPECT_LT(JetCompare(ordered[i], ordered[i + 1]), 0) << ordered[i] << " < " << ordered[i + 1];
        EXPECT_GT(JetCompare(ordered[i + 1], ordered[i]), 0) << ordered[i + 1] << " > " << ordered[i];
    }
    EXPECT_EQ(JetCompare("JOÃO", "joão"), 0);
}

TEST(DaoCollation, CaseAndAccentsCountTheSameAfterAnEqualPrefix) {
    struct Row {
        const char* a;
        const char* b;
        int sign;
    };
    const Row rows[] = {
        {"11", "11", 0},          {"ab", "AB", 0},          {"Ab", "aB", 0},          {"abc", "ABd", -1},
        {"ab", "abc", -1},        {"a_", "AB", 1},          {"Codigo", "código", -1}, {"aÉ", "AE", 1},
        {"aÉb", "AEc", -1},       {"Co", "Cód", -1},        {"LOJA Á", "loja a", 1},  {"loja á", "LOJA Á", 0},
        {"x\xff", "X\xff", 0},  {"x\xff" "a", "X\xff" "b", -1}, {"Zé", "zE", 1},          {"", "a", -1},
    };
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& row : rows) {
        EXPECT_EQ(sign(JetCompare(row.a, row.b)), row.sign) << row.a << " / " << row.b;
        EXPECT_EQ(sign(JetCompare(row.b, row.a)), -row.sign) << row.b << " / " << row.a;
    }
}

TEST(DaoCollation, SqliteComparesWithTheCollation) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    ASSERT_EQ(RegisterJetCollation(db), SQLITE_OK);
    struct Row {
        const char* sql;
        int result;
    };
    const Row rows[] = {
        {"SELECT 'Código' = 'CÓDIGO' COLLATE JETTEXT", 1},
        {"SELECT 's' = 'S' COLLATE JETTEXT", 1},
        {"SELECT 'Codigo' = 'Código' COLLATE JETTEXT", 0},
        {"SELECT 'Código' < 'Cor' COLLATE JETTEXT", 1},
    };
    for (const auto& row : rows) {
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, row.sql, -1, &stmt, nullptr), SQLITE_OK) << row.sql;
        ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(stmt, 0), row.result) << row.sql;
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
}

TEST(DaoValueText, ReadsAsTheEngineShowsIt) {
    struct Row {
        Value value;
        const char* text;
    };
    const Row rows[] = {
        {Value::Double(0.1), "0,1"},
        {Value::Single(0.1f), "0,1"},
        {Value::Currency(125000), "12,5"},
        {Value::Currency(-1), "-0,0001"},
        {Value::Currency(1234567890000), "123456789"},
        {Value::Boolean(true), "True"},
        {Value::Integer(-5), "-5"},
        {Value::Date(37000.5), "19/04/2001 12:00:00"},
        {Value::Date(0.25), "06:00:00"},
        {Value::Date(36526), "01/01/2000"},
        {Value(), ""},
    };
    for (const auto& row : rows) EXPECT_EQ(row.value.ToText(), row.text);
}

// Texts on either side of the in-place limit keep their characters through every copy, move and
// assignment, and compare by content whichever way they are kept.
TEST(DaoValueText, TextsSurviveCopiesMovesAndAssignments) {
    const std::string cases[] = {"", "ok", std::string(TextData::kInline, 'a'), std::string(TextData::kInline + 1, 'b'),
                                 "Descrição do produto número 1234567", std::string("nul\0inside", 11)};
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        const Value original = Value::Text(text);
        Value copy = original;
        EXPECT_EQ(copy.ToText(), text);
        EXPECT_EQ(copy.TextView(), text);
        EXPECT_EQ(copy, original);
        EXPECT_EQ(copy, Value(std::string_view(text)));
        Value moved = std::move(copy);
        EXPECT_EQ(moved.ToText(), text);
        EXPECT_EQ(original.ToText(), text);
        for (const std::string& other : cases) {
            Value assigned = Value::Text(other);
            assigned = original;
            EXPECT_EQ(assigned.TextView(), text);
            Value target = Value::Text(other);
            Value source = original;
            target = std::move(source);
            EXPECT_EQ(target.TextView(), text);
            Value number = Value::Long(7);
            number = original;
            EXPECT_EQ(number.TextView(), text);
            assigned = Value::Double(1.5);
            EXPECT_EQ(assigned.TextView(), "");
            EXPECT_EQ(assigned.ToText(), "1,5");
        }
        Value self = original;
        const Value& alias = self;
        self = alias;
        EXPECT_EQ(self.TextView(), text);
    }
    EXPECT_FALSE(Value::Text(std::string(30, 'x')) == Value::Text(std::string(29, 'x')));
    EXPECT_FALSE(Value::Text("12") == Value::Long(12));
}

// A long text is shared between copies: copies in other threads release it safely.
TEST(DaoValueText, CopiesOfALongTextLiveInOtherThreads) {
    const Value original = Value::Text(std::string(200, 'z'));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([copy = original] {
            for (int i = 0; i < 1000; ++i) {
                const Value again = copy;
                if (again.TextView().size() != 200) std::abort();
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(original.TextView(), std::string(200, 'z'));
}

TEST(DaoValueConversion, NumbersRoundHalfToEvenAndRaiseTheRuntimeNumbers) {
    EXPECT_EQ(Value(2.5).ToLong(), 2);
    EXPECT_EQ(Value(3.5).ToLong(), 4);
    EXPECT_EQ(Value(" 12 ").ToLong(), 12);
    EXPECT_EQ(Value("1.234,5").ToDouble(), 1234.5);  // the regional number form
    EXPECT_EQ(Value::Boolean(true).ToLong(), -1);
    EXPECT_EQ(Value(1.23456).ToCurrencyScaled(), 12346);
    const std::function<void()> failures[] = {
        [] { Value(3e9).ToLong(); },
        [] { Value().ToLong(); },
        [] { Value("doze").ToDouble(); },
    };
    const long numbers[] = {6, 94, 13};
    for (std::size_t i = 0; i < std::size(failures); ++i) EXPECT_EQ(ErrorNumberOf(failures[i]), numbers[i]);
}

TEST(DaoValueConversion, CoercionToAFieldType) {
    struct Row {
        Value value;
        DataType type;
        Value result;
        long error;
    };
    const Row rows[] = {
        {Value(0.1), DataType::Single, Value::Single(0.1f), 0},
        {Value(1.23456), DataType::Currency, Value::Currency(12346), 0},
        {Value("12"), DataType::Long, Value::Long(12), 0},
        {Value("True"), DataType::Boolean, Value::Boolean(true), 0},
        {Value(255), DataType::Byte, Value::Byte(255), 0},
        {Value(3.5), DataType::Integer, Value::Integer(4), 0},
        {Value(42), DataType::Text, Value::Text("42"), 0},
        {Value(), DataType::Long, Value(), 0},
        {Value(32768), DataType::Integer, Value(), 3349},
        {Value(-1), DataType::Byte, Value(), 3349},
        {Value(1e300), DataType::Single, Value(), 3349},
        {Value("x"), DataType::Long, Value(), 3421},
        {Value("x"), DataType::Date, Value(), 3421},
        {Value("01/10/2002"), DataType::Date, Value::Date(37530), 0},  // day first
        {Value("2,5"), DataType::Double, Value::Double(2.5), 0},
        // A value already of the field's kind comes back as it is, Currency still range-checked.
        {Value::Text("Produto número 1 com mais de 24 bytes"), DataType::Text, Value::Text("Produto número 1 com mais de 24 bytes"), 0},
        {Value::Text("abc"), DataType::Memo, Value::Text("abc"), 0},
        {Value::Single(1.1f), DataType::Single, Value::Single(1.1f), 0},
        {Value::Date(37000.75), DataType::Date, Value::Date(37000.75), 0},
        {Value::Integer(-7), DataType::Integer, Value::Integer(-7), 0},
        {Value::Boolean(false), DataType::Boolean, Value::Boolean(false), 0},
        // Currency beyond what the field keeps exactly (2^51 units) is refused, not rounded.
        {Value::Currency(9'100'000'000'000'000'000), DataType::Currency, Value(), 3349},
        {Value::Currency(9'210'000'000'000'000'000), DataType::Currency, Value(), 3349},
        {Value::Currency(2'251'799'813'685'248), DataType::Currency, Value::Currency(2'251'799'813'685'248), 0},
        {Value::Currency(-2'251'799'813'685'249), DataType::Currency, Value(), 3349},
        {Value(225179981368.5248), DataType::Currency, Value::Currency(2'251'799'813'685'248), 0},
        {Value(9e14), DataType::Currency, Value(), 3349},
        {Value::Long(-2), DataType::Byte, Value(), 3349},
    };
    for (const auto& row : rows) {
        Value result;
        EXPECT_EQ(ErrorNumberOf([&] { result = CoerceToField(row.value, row.type); }), row.error) << row.value.ToText();
        if (row.error == 0) {
            EXPECT_EQ(result, row.result) << row.value.ToText();
        }
    }
}

TEST(DaoConnectString, ThePasswordIsFoundWithOrWithoutBlanks) {
    struct Row {
        const char* connect;
        const char* password;
    };
    const Row rows[] = {
        {";DATABASE= C:\\LOJA01\\Produto.MDB;PWD=TORPAL", "TORPAL"},
        {";PWD=TORPAL;", "TORPAL"},
        {"; pwd = x y ;", "x y"},
        {";DATABASE=C:\\A.MDB", ""},
        {"", ""},
    };
    for (const auto& row : rows) EXPECT_EQ(ConnectPassword(row.connect), row.password) << row.connect;
}

}  // namespace
}  // namespace dao::testing
