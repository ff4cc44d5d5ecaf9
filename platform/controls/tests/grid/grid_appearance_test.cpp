// What the user sees of the grid: one-line rows at the font's height, columns as wide as the
// window gives them or as their heading and contents need, numbers in the regional format on the
// right, dates day first, whole rows only, and the record selector.
#include <QHeaderView>
#include <QScrollBar>

#include "platform/controls/tests/grid/grid_test_support.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/screenshot.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {

using namespace grid_test;
using controls::grid::ArrayObject;
using controls::grid::DataGrid;

TEST(GridCellTextTest, NumbersCurrencyAndDatesInTheRegionalFormat) {
    HostWindow window;
    window.Load();
    DataGrid& grid = window.Add<DataGrid>("Table1");
    const struct {
        Variant value;
        const char* shown;
        bool right;
    } rows[] = {
        {Variant::I4(1234), "1234", true},
        {Variant::I2(-7), "-7", true},
        {Variant::R8(1234567.5), "1.234.567,5", true},
        {Variant::R8(-1234.25), "-1.234,25", true},
        {Variant::R8(0.125), "0,125", true},
        {Variant::R4(12.5f), "12,5", true},
        {Variant::Cy(com::Currency::FromUnits(12)), "12,00", true},
        {Variant::Cy(com::Currency{12345678912}), "1.234.567,89", true},
        {Variant::Cy(com::Currency{-5000}), "-0,50", true},
        {Variant::FromDate(com::Date{46387}), "31/12/2026", false},
        {Variant::FromDate(com::Date{46387.5}), "31/12/2026 12:00:00", false},
        {Variant::Utf8("Matriz"), "Matriz", false},
        {Variant::Utf8("12,5"), "12,5", false},
        {Variant::Null(), "", false},
    };
    const auto array = ArrayObject::Create();
    array->ReDim(1, static_cast<int>(std::size(rows)), 0, 0);
    for (std::size_t i = 0; i < std::size(rows); ++i) array->SetValue(static_cast<int>(i) + 1, 0, rows[i].value);
    grid.SetArray(array);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const controls::grid::ShownCell cell = grid.Cell(static_cast<int>(i), 0);
        EXPECT_EQ(cell.text, rows[i].shown) << i;
        EXPECT_EQ(cell.number, rows[i].right) << rows[i].shown;
        const auto alignment = grid.View().model()->index(static_cast<int>(i), 0).data(Qt::TextAlignmentRole);
        EXPECT_EQ(alignment.value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                  rows[i].right ? Qt::AlignRight : Qt::AlignLeft)
            << rows[i].shown;
    }
}

// A product list on a data control: text, whole numbers, currency, fractions and dates.
class GridAppearanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        dao::DBEngine engine;
        engine.SetBusyTimeout(0);
        forms::SetDataEngine(engine);
        dao::Database db = engine.CreateDatabase("C:\\Produto.MDB");
        dao::TableDef table = db.CreateTableDef("Produto");
        const std::pair<const char*, dao::DataType> fields[] = {
            {"Codigo", dao::DataType::Text},       {"Descricao", dao::DataType::Text},
            {"Estoque", dao::DataType::Long},      {"Preco", dao::DataType::Currency},
            {"Peso", dao::DataType::Double},       {"Alteracao", dao::DataType::Date}};
        for (const auto& [name, type] : fields)
            table.Fields().Append(table.CreateField(name, static_cast<int>(type), type == dao::DataType::Text ? 40 : 0));
        db.TableDefs().Append(table);
        const char* rows[] = {
            "'000101', 'Arroz tipo 1 5 kg', 120, 21.9, 5, #12/01/2026#",
            "'000102', 'Feijão carioca 1 kg', 85, 8.49, 1, #12/02/2026#",
            "'000215', 'Óleo de soja 900 ml', 240, 7.35, 0.9, #11/28/2026#",
            "'000318', 'Café torrado e moído 500 g', 1520, 18.75, 0.5, #12/05/2026#",
            "'000422', 'Açúcar cristal 5 kg', 64, 23.1, 5, #12/07/2026#",
            "'000530', 'Leite integral 1 l', 12480, 1234.5, 1.03, #12/08/2026#",
        };
        for (const char* row : rows)
            db.Execute(std::string("INSERT INTO Produto (Codigo, Descricao, Estoque, Preco, Peso, Alteracao) VALUES (") +
                       row + ")");
        db.Close();

        window_.Load();
        window_.SetSize(7200, 1800);
        data_ = &window_.Add<forms::DataControl>("Data1");
        grid_ = &window_.Add<DataGrid>("TbProduto");
        const char* columns[][2] = {{"CÓDIGO", "Codigo"}, {"DESCRIÇÃO", "Descricao"}, {"ESTOQUE", "Estoque"},
                                    {"PREÇO", "Preco"},   {"PESO", "Peso"},           {"ALTERAÇÃO", "Alteracao"}};
        for (const auto& column : columns) grid_->AddColumn(column[0], column[1]);
        grid_->SetColumnWidth(0, 900);
        grid_->SetRecordSelectors(true);
        grid_->SetDataSource(*data_);
        data_->SetDatabaseName("C:\\PRODUTO.MDB");
        data_->SetRecordSource("SELECT * FROM Produto ORDER BY Codigo");
        data_->Refresh();
        grid_->Move(120, 120, 6960, 1500);
        window_.Show();
        forms::DoEvents();
    }

    win::testing::TempMachineRoot root_;
    HostWindow window_;
    forms::DataControl* data_ = nullptr;
    DataGrid* grid_ = nullptr;
};

TEST_F(GridAppearanceTest, RowsAreOneLineAtTheFontsHeightAndOnlyWholeRowsShow) {
    QTableView& view = grid_->View();
    const int row = view.rowHeight(0);
    EXPECT_EQ(row, view.fontMetrics().height() + 3);
    EXPECT_FALSE(view.wordWrap());
    EXPECT_EQ(view.viewport()->height() % row, 0) << "no half-cut row at the bottom";
    EXPECT_GT(view.viewport()->height(), 0);
    EXPECT_EQ(grid_->CellText(5, 3), "1.234,50");
    EXPECT_EQ(grid_->CellText(2, 5), "28/11/2026");
    EXPECT_EQ(grid_->CellText(1, 4), "1");
}

TEST_F(GridAppearanceTest, ColumnsTakeTheWindowsWidthOrFitHeadingAndContents) {
    QTableView& view = grid_->View();
    EXPECT_EQ(view.columnWidth(0), 60) << "900 twips";
    const QFontMetrics metrics = view.fontMetrics();
    for (int c = 1; c < grid_->ColumnCount(); ++c) {
        const QString heading = QString::fromStdString(grid_->Column(c).caption);
        EXPECT_GT(view.columnWidth(c), metrics.horizontalAdvance(heading)) << heading.toStdString();
        for (int r = 0; r < grid_->RowCount(); ++r) {
            const QString text = QString::fromStdString(grid_->CellText(r, c));
            EXPECT_GT(view.columnWidth(c), metrics.horizontalAdvance(text)) << text.toStdString();
        }
    }
}

TEST_F(GridAppearanceTest, RecordSelectorMarksTheCurrentRow) {
    EXPECT_TRUE(grid_->RecordSelectors());
    EXPECT_TRUE(grid_->View().verticalHeader()->isVisible());
    grid_->SetRecordSelectors(false);
    EXPECT_FALSE(grid_->View().verticalHeader()->isVisible());
}

TEST_F(GridAppearanceTest, SmallTableLooksAsTheUserExpects) {
    grid_->SetRow(1);
    forms::DoEvents();
    const QImage picture = window_.Widget()->grab().toImage();
    EXPECT_TRUE(forms::testing::MatchesReference(picture, QT_TESTCASE_SOURCEDIR "/tests/grid/screens/grid.png"));
}

}  // namespace
