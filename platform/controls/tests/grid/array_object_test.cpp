// The array object driven by its members, as the consolidation window fills its store list.
#include "platform/controls/grid/array_object.h"

#include <gtest/gtest.h>

#include <ostream>

#include "platform/forms/tests/support/raises.h"

namespace {

using com::Variant;
using controls::grid::ArrayObject;
using forms::testing::ErrorNumberOf;

constexpr com::DispId kValue = 0, kReDim = 1, kLowerBound = 2, kUpperBound = 3;

void ReDim(com::IDispatch* array, int l1, int u1, int l2, int u2) {
    com::CallMethod(array, kReDim, {Variant::I4(l1), Variant::I4(u1), Variant::I4(l2), Variant::I4(u2)});
}
int Bound(com::IDispatch* array, com::DispId which, int dimension) {
    return com::CallMethod(array, which, {Variant::I4(dimension)}).AsI4();
}

struct Shape {
    int lower1, upper1, lower2, upper2;
    int rows, columns;
};

// Names each case in the test list by its bounds.
void PrintTo(const Shape& s, std::ostream* os) {
    *os << "(" << s.lower1 << " To " << s.upper1 << ", " << s.lower2 << " To " << s.upper2 << ")";
}

class ArrayShapeTest : public ::testing::TestWithParam<Shape> {};

TEST_P(ArrayShapeTest, ReDimGivesTheBoundsAndEmptyCellsInsideThem) {
    const Shape s = GetParam();
    auto array = ArrayObject::Create();
    ReDim(array.Get(), 1, 2, 0, 0);
    com::PutProperty(array.Get(), kValue, Variant::Utf8("velho"), {Variant::I4(1), Variant::I4(0)});
    ReDim(array.Get(), s.lower1, s.upper1, s.lower2, s.upper2);
    EXPECT_EQ(Bound(array.Get(), kLowerBound, 1), s.lower1);
    EXPECT_EQ(Bound(array.Get(), kUpperBound, 1), s.upper1);
    EXPECT_EQ(Bound(array.Get(), kLowerBound, 2), s.lower2);
    EXPECT_EQ(Bound(array.Get(), kUpperBound, 2), s.upper2);
    EXPECT_EQ(array->Count(1), s.rows);
    EXPECT_EQ(array->Count(2), s.columns);
    for (int r = s.lower1; r <= s.upper1; ++r)
        for (int c = s.lower2; c <= s.upper2; ++c)
            EXPECT_TRUE(com::GetProperty(array.Get(), kValue, {Variant::I4(r), Variant::I4(c)}).IsEmpty());
    // Just outside each bound.
    const std::pair<int, int> outside[] = {{s.lower1 - 1, s.lower2}, {s.upper1 + 1, s.lower2},
                                           {s.lower1, s.lower2 - 1}, {s.lower1, s.upper2 + 1}};
    for (const auto& [r, c] : outside) {
        EXPECT_EQ(ErrorNumberOf([&] { com::GetProperty(array.Get(), kValue, {Variant::I4(r), Variant::I4(c)}); }), 9)
            << r << "," << c;
        EXPECT_EQ(ErrorNumberOf([&] {
                      com::PutProperty(array.Get(), kValue, Variant::Utf8("x"), {Variant::I4(r), Variant::I4(c)});
                  }),
                  9);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ArrayShapeTest,
                         ::testing::Values(Shape{1, 3, 0, 3, 3, 4},    // three stores
                                           Shape{1, 0, 0, 3, 0, 4},    // no store at all
                                           Shape{0, 0, 0, 0, 1, 1},
                                           Shape{-2, 2, 1, 1, 5, 1}));

TEST(ArrayObjectTest, ValuesKeepTheirKindAndTheLastPutWins) {
    auto array = ArrayObject::Create();
    ReDim(array.Get(), 1, 2, 0, 3);
    const Variant values[] = {Variant::Utf8("S"), Variant::I4(42), Variant::Null(), Variant::Utf8("NÃO")};
    for (int c = 0; c < 4; ++c)
        com::PutProperty(array.Get(), kValue, values[c], {Variant::I4(2), Variant::I4(c)});
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(com::GetProperty(array.Get(), kValue, {Variant::I4(2), Variant::I4(c)}), values[c]) << c;
    com::PutProperty(array.Get(), kValue, Variant::Utf8("N"), {Variant::I4(2), Variant::I4(0)});
    EXPECT_EQ(array->Value(2, 0), Variant::Utf8("N"));
    EXPECT_TRUE(array->Value(1, 0).IsEmpty()) << "another row is untouched";
}

TEST(ArrayObjectTest, BoundsOfADimensionThatDoesNotExistRaise9) {
    auto array = ArrayObject::Create();
    EXPECT_EQ(ErrorNumberOf([&] { Bound(array.Get(), kLowerBound, 1); }), 9) << "before any ReDim";
    EXPECT_EQ(array->Count(1), 0);
    ReDim(array.Get(), 1, 3, 0, 3);
    for (int dimension : {0, 3, -1}) {
        EXPECT_EQ(ErrorNumberOf([&] { Bound(array.Get(), kLowerBound, dimension); }), 9) << dimension;
        EXPECT_EQ(ErrorNumberOf([&] { Bound(array.Get(), kUpperBound, dimension); }), 9) << dimension;
    }
    EXPECT_EQ(ErrorNumberOf([&] { ReDim(array.Get(), 1, 5000, 1, 5000); }), 7) << "25 million cells";
    EXPECT_EQ(Bound(array.Get(), kUpperBound, 1), 3) << "a refused ReDim keeps the array";
}

TEST(ArrayObjectTest, ListenersHearCellsAndReshapesAndOneThatLeftHearsNothing) {
    auto array = ArrayObject::Create();
    std::vector<std::string> heard;
    int second = 0;
    const int first = array->Subscribe([&](const ArrayObject::Change& c) {
        heard.push_back(c.reshaped ? "redim" : std::to_string(c.row) + "," + std::to_string(c.column));
        array->Unsubscribe(second);   // the first listener drops the second while both are told
    });
    second = array->Subscribe([&](const ArrayObject::Change&) { heard.push_back("second"); });
    array->ReDim(1, 2, 0, 1);
    array->SetValue(2, 1, Variant::Utf8("S"));
    array->Unsubscribe(first);
    array->SetValue(1, 1, Variant::Utf8("N"));
    EXPECT_EQ(heard, (std::vector<std::string>{"redim", "2,1"}));
}

}  // namespace
