// The grid on an array object, driven as the consolidation window drives its store list.
#include <QTest>

#include "platform/controls/grid/grid_object.h"
#include "platform/controls/tests/grid/grid_test_support.h"
#include "platform/forms/colors.h"
#include "platform/forms/tests/support/raises.h"

namespace {

using namespace grid_test;
using controls::grid::ArrayObject;
using controls::grid::DataGrid;
using forms::testing::ErrorNumberOf;

struct Store {
    const char* code;
    const char* name;
    const char* inNetwork;
    const char* mark;
};
const Store kStores[] = {{"01", "Matriz", "S", "S"}, {"02", "Centro", "S", "S"}, {"03", "Sem rede", "N", "N"}};

class ArrayGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.Load();
        grid_ = &window_.Add<DataGrid>("Table1");
        for (const char* caption : {"Sigla", "Loja", "Em Rede", "Consolidar ?"}) grid_->AddColumn(caption);
        for (int c : {2, 3}) grid_->SetValueItems(c, {{"S", "SIM"}, {"N", "NÃO"}});
        for (int c : {0, 1, 2}) grid_->SetColumnLocked(c, true);
        grid_->AfterColUpdate = [this](int column) { updates_.push_back(column); };
        grid_->RowColChange = [this](int lastRow, int lastCol) { moves_.push_back({lastRow, lastCol}); };
        object_ = grid_->Object();
    }

    // The store list as the window builds it: ReDim, the cells, method 102 with the row count
    // plus one, then the array by reference.
    void Fill(int lower = 1) {
        const int upper = lower + static_cast<int>(std::size(kStores)) - 1;
        array_->ReDim(lower, upper, 0, 3);
        for (int r = lower; r <= upper; ++r) {
            const Store& s = kStores[r - lower];
            const char* cells[] = {s.code, s.name, s.inNetwork, s.mark};
            for (int c = 0; c < 4; ++c) Put(r, c, cells[c]);
        }
        com::CallMethod(object_, dispid::RowCountHint, {Variant::I4(static_cast<int>(std::size(kStores)) + 1)});
        com::PutPropertyRef(object_, dispid::Array, Variant::Dispatch(com::ComPtr<com::IDispatch>(array_)));
    }
    void Put(int row, int column, const char* text) {
        com::PutProperty(array_.Get(), 0, Variant::Utf8(text), {Variant::I4(row), Variant::I4(column)});
    }
    std::string Cell(int row, int column) {
        return com::GetProperty(array_.Get(), 0, {Variant::I4(row), Variant::I4(column)}).AsStr().ToUtf8();
    }

    HostWindow window_;
    DataGrid* grid_ = nullptr;
    com::IDispatch* object_ = nullptr;
    com::ComPtr<ArrayObject> array_ = ArrayObject::Create();
    std::vector<int> updates_;
    std::vector<std::pair<int, int>> moves_;
};

TEST_F(ArrayGridTest, ShowsTheArrayRowsWithTheValueItemsTexts) {
    Fill();
    ASSERT_EQ(grid_->RowCount(), 3) << "the row count hint adds no row";
    const char* shown[3][4] = {{"01", "Matriz", "SIM", "SIM"}, {"02", "Centro", "SIM", "SIM"},
                               {"03", "Sem rede", "NÃO", "NÃO"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(grid_->View().model()->data(grid_->View().model()->index(r, c)).toString().toStdString(),
                      shown[r][c]) << r << "," << c;
    EXPECT_EQ(grid_->View().model()->headerData(3, Qt::Horizontal).toString().toStdString(), "Consolidar ?");
    EXPECT_EQ(grid_->RowCountHint(), 4);
    EXPECT_EQ(com::GetProperty(object_, dispid::Row).AsI4(), 0);
    EXPECT_EQ(com::GetProperty(object_, dispid::Bookmark), Variant::I4(1));
    EXPECT_EQ(grid_->Array(), array_.Get());
    EXPECT_TRUE(moves_.empty()) << "binding moves the current row without an event";
}

TEST_F(ArrayGridTest, TheWindowAndTheGridSeeTheSameCells) {
    Fill();
    Put(2, 3, "N");
    EXPECT_EQ(grid_->CellText(1, 3), "NÃO");
    Put(2, 3, "s");
    EXPECT_EQ(grid_->CellText(1, 3), "s") << "a value without an item shows as it is";
    array_->ReDim(1, 5, 0, 3);
    EXPECT_EQ(grid_->RowCount(), 5) << "a ReDim of the shared array reshapes the grid";
    EXPECT_EQ(grid_->CellText(4, 1), "");
}

TEST_F(ArrayGridTest, APickedValueReachesTheArrayThroughMethod103) {
    Fill();
    window_.Show();
    BeginEdit(*grid_, 1, 3);
    QComboBox* list = OpenList(*grid_);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->currentText().toStdString(), "SIM") << "the list opens on the stored value's text";
    ASSERT_EQ(list->count(), 2);
    list->setCurrentIndex(1);   // the user picks "NÃO"
    EXPECT_EQ(Cell(2, 3), "S") << "an open edit is not yet in the array";
    com::CallMethod(object_, dispid::Update);
    EXPECT_EQ(Cell(2, 3), "N") << "the value is stored, not the text shown";
    EXPECT_EQ(grid_->CellText(1, 3), "NÃO");
    EXPECT_EQ(updates_, std::vector<int>{3});
    EXPECT_EQ(OpenList(*grid_), nullptr) << "the editor closed";
    com::CallMethod(object_, dispid::Update);
    EXPECT_EQ(updates_.size(), 1u) << "no open edit: nothing to store";
}

// The window's mark check on the after-update notification: a store that is not in the network
// cannot stay chosen.
TEST_F(ArrayGridTest, TheMarkCheckUndoesTheMarkOfAStoreOutOfTheNetwork) {
    Fill();
    grid_->AfterColUpdate = [this](int) {
        const int row = com::GetProperty(object_, dispid::Bookmark).AsI4();
        if (Cell(row, 2) == "N") {
            Put(row, 3, "N");
            com::CallMethod(object_, com::DISPID_REFRESH);
        }
    };
    window_.Show();
    BeginEdit(*grid_, 2, 3);
    ASSERT_NE(OpenList(*grid_), nullptr);
    OpenList(*grid_)->setCurrentIndex(0);   // "SIM" for the store out of the network
    com::CallMethod(object_, dispid::Update);
    EXPECT_EQ(Cell(3, 3), "N");
    EXPECT_EQ(grid_->CellText(2, 3), "NÃO");
    EXPECT_EQ(grid_->Row(), 2) << "the refresh keeps the current row";
}

// A store out of the network: the user picks "SIM" with the keyboard; the pick is stored at
// once and the window's check undoes it while the cell is still current.
TEST_F(ArrayGridTest, APickFromTheListIsStoredAtOnceAndTheCheckUndoesIt) {
    Fill();
    grid_->AfterColUpdate = [this](int column) {
        updates_.push_back(column);
        const int row = com::GetProperty(object_, dispid::Bookmark).AsI4();
        if (Cell(row, 2) == "N") Put(row, 3, "N");
    };
    window_.Show();
    BeginEdit(*grid_, 2, 3);
    QComboBox* list = OpenList(*grid_);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->currentText().toStdString(), "NÃO");
    QTest::keyClick(list, Qt::Key_Up);   // to "SIM"
    EXPECT_EQ(updates_, std::vector<int>{3}) << "stored without method 103";
    EXPECT_EQ(Cell(3, 3), "N");
    EXPECT_EQ(grid_->CellText(2, 3), "NÃO");
    EXPECT_EQ(OpenList(*grid_), nullptr);
}

TEST_F(ArrayGridTest, LockedColumnsAreNotEditable) {
    Fill();
    auto* model = grid_->View().model();
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ((model->flags(model->index(0, c)) & Qt::ItemIsEditable) != 0, c == 3) << c;
    EXPECT_FALSE(model->setData(model->index(0, 1), "Outra", Qt::EditRole));
    EXPECT_EQ(Cell(1, 1), "Matriz");
}

// The current row by DISPID 14 (0-based) and 5 (the array's own row index).
class ArrayGridRowTest : public ArrayGridTest, public ::testing::WithParamInterface<int> {};

TEST_P(ArrayGridRowTest, RowAndBookmarkFollowTheArraysLowerBound) {
    const int lower = GetParam();
    Fill(lower);
    grid_->SetRow(2);
    EXPECT_EQ(com::GetProperty(object_, dispid::Row).AsI4(), 2);
    EXPECT_EQ(com::GetProperty(object_, dispid::Bookmark), Variant::I4(lower + 2));
    EXPECT_EQ(moves_, (std::vector<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(Cell(lower + 2, 1), "Sem rede");
    EXPECT_EQ(ErrorNumberOf([&] { grid_->SetRow(3); }), 9);
    EXPECT_EQ(ErrorNumberOf([&] { com::PutProperty(object_, dispid::Row, Variant::I4(1)); }), 383) << "read only";
    EXPECT_EQ(grid_->Row(), 2);
}

INSTANTIATE_TEST_SUITE_P(LowerBounds, ArrayGridRowTest, ::testing::Values(1, 0, 7));

TEST_F(ArrayGridTest, AnEmptyArrayGivesNoRowAndNoCurrentRow) {
    array_->ReDim(1, 0, 0, 3);
    com::CallMethod(object_, dispid::RowCountHint, {Variant::I4(1)});
    com::PutPropertyRef(object_, dispid::Array, Variant::Dispatch(com::ComPtr<com::IDispatch>(array_)));
    EXPECT_EQ(grid_->RowCount(), 0);
    EXPECT_EQ(com::GetProperty(object_, dispid::Row).AsI4(), -1);
    EXPECT_EQ(com::GetProperty(object_, dispid::Bookmark).Type(), com::VT_NULL);
    com::CallMethod(object_, dispid::Update);
    com::CallMethod(object_, com::DISPID_REFRESH);
    EXPECT_TRUE(updates_.empty());
}

TEST_F(ArrayGridTest, OnlyAnArrayObjectCanBeTheGridsData) {
    Fill();
    auto other = grid_->Object();
    EXPECT_EQ(ErrorNumberOf([&] {
                  com::PutPropertyRef(object_, dispid::Array, Variant::Dispatch(com::ComPtr<com::IDispatch>(other)));
              }),
              13);
    EXPECT_EQ(grid_->RowCount(), 3) << "a refused put keeps the array";
    com::PutPropertyRef(object_, dispid::Array, Variant::Dispatch(nullptr));
    EXPECT_EQ(grid_->RowCount(), 0);
    Put(1, 1, "Depois");   // an array the grid dropped no longer reaches it
    EXPECT_EQ(grid_->CellText(0, 1), "");
}

// The keys the windows handle reach the grid's KeyDown and KeyUp with the platform's codes.
TEST_F(ArrayGridTest, TheWindowsKeysReachTheGridsKeyEvents) {
    Fill();
    std::vector<int> down, up;
    grid_->KeyDown = [&](int& key, int) { down.push_back(key); };
    grid_->KeyUp = [&](int& key, int) { up.push_back(key); };
    window_.Show();
    grid_->SetFocus();
    const std::pair<Qt::Key, int> keys[] = {{Qt::Key_Return, 13}, {Qt::Key_Delete, 46}, {Qt::Key_Down, 40}};
    for (const auto& [key, code] : keys) QTest::keyClick(&grid_->View(), key);
    EXPECT_EQ(down, (std::vector<int>{13, 46, 40}));
    EXPECT_EQ(up, (std::vector<int>{13, 46, 40}));
    EXPECT_EQ(grid_->Row(), 1) << "Down moved the current row";
    EXPECT_EQ(moves_, (std::vector<std::pair<int, int>>{{0, 0}}));
}

struct ColorCase {
    const char* text;
    std::int32_t number;
    QColor shown;
};

TEST_F(ArrayGridTest, TheHighlightColourTakesTheWindowsColourTexts) {
    const ColorCase cases[] = {{"&HC0", 0xC0, QColor(0xC0, 0, 0)},
                               {"&HC0C0FF", 0xC0C0FF, QColor(0xFF, 0xC0, 0xC0)},
                               {"&H8000000D", static_cast<std::int32_t>(0x8000000Du),
                                forms::ToQColor(0x8000000Du)}};
    for (const auto& c : cases) {
        com::PutProperty(object_, dispid::Highlight, Variant::Utf8(c.text));
        EXPECT_EQ(com::GetProperty(object_, dispid::Highlight), Variant::I4(c.number)) << c.text;
        EXPECT_EQ(grid_->View().palette().color(QPalette::Active, QPalette::Highlight), c.shown) << c.text;
    }
    EXPECT_EQ(ErrorNumberOf([&] { com::PutProperty(object_, dispid::Highlight, Variant::Utf8("vermelho")); }), 13);
    EXPECT_EQ(grid_->HighlightColor(), 0x8000000Du);
}

TEST_F(ArrayGridTest, TheColumnsCollectionSetsAHeading) {
    Fill();
    const Variant columns = com::GetProperty(object_, dispid::Columns);
    const Variant column = com::GetProperty(columns.AsDispatch(), 0, {Variant::I4(1)});
    com::PutProperty(column.AsDispatch(), 5, Variant::Utf8("Nome da Loja"));
    EXPECT_EQ(grid_->View().model()->headerData(1, Qt::Horizontal).toString().toStdString(), "Nome da Loja");
    EXPECT_EQ(com::GetProperty(column.AsDispatch(), 5).AsStr().ToUtf8(), "Nome da Loja");
    EXPECT_EQ(ErrorNumberOf([&] { com::GetProperty(columns.AsDispatch(), 0, {Variant::I4(4)}); }), 9);
}

TEST(GridLifetimeTest, MembersOfAGridWhoseWindowWentRaise364) {
    auto window = std::make_unique<HostWindow>();
    window->Load();
    DataGrid& grid = window->Add<DataGrid>("Table1");
    const com::ComPtr<com::IDispatch> object(grid.Object());
    const Variant columns = com::GetProperty(object.Get(), dispid::Columns);
    auto array = ArrayObject::Create();
    array->ReDim(1, 1, 0, 0);
    com::PutPropertyRef(object.Get(), dispid::Array, Variant::Dispatch(com::ComPtr<com::IDispatch>(array)));
    window.reset();
    EXPECT_EQ(ErrorNumberOf([&] { com::GetProperty(object.Get(), dispid::Row); }), 364);
    EXPECT_EQ(ErrorNumberOf([&] { com::GetProperty(columns.AsDispatch(), 0, {Variant::I4(0)}); }), 364);
    array->SetValue(1, 0, Variant::Utf8("S"));   // the grid that showed it is gone: nobody listens
    EXPECT_EQ(array->Value(1, 0), Variant::Utf8("S"));
}

}  // namespace
