// The grid on a data control, driven as the report catalogue and the log-in windows drive theirs.
#include <QLineEdit>
#include <QTest>

#include "platform/controls/grid/grid_object.h"
#include "platform/controls/tests/grid/grid_test_support.h"
#include "platform/forms/datacontrol.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {

using namespace grid_test;
using controls::grid::DataGrid;

constexpr const char* kCatalogue = "SELECT * FROM Aplicacao ORDER BY CodAplicacao";

// A catalogue window: the data control, its grid with one declared column, and what the
// window's row-change handler read from the data control's current record.
class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        dao::DBEngine engine;
        engine.SetBusyTimeout(0);
        forms::SetDataEngine(engine);
        dao::Database db = engine.CreateDatabase("C:\\Bd2.MDB");
        dao::TableDef table = db.CreateTableDef("Aplicacao");
        table.Fields().Append(table.CreateField("CodAplicacao", static_cast<int>(dao::DataType::Text), 4));
        table.Fields().Append(table.CreateField("Nome", static_cast<int>(dao::DataType::Text), 40));
        db.TableDefs().Append(table);
        const char* rows[][2] = {{"R01", "Vendas por Loja"}, {"R02", "Estoque"}, {"R03", "Clientes"}};
        for (const auto& row : rows)
            db.Execute(std::string("INSERT INTO Aplicacao (CodAplicacao, Nome) VALUES ('") + row[0] + "', '" +
                       row[1] + "')");
        db.Execute("INSERT INTO Aplicacao (CodAplicacao) VALUES ('R04')");   // no name
        db.Close();

        window_.Load();
        data_ = &window_.Add<forms::DataControl>("DataRelatorios");
        grid_ = &window_.Add<DataGrid>("TbRelatorios");
        grid_->AddColumn("NOME DO RELATÓRIO", "Nome");
        grid_->SetDataSource(*data_);
        grid_->RowColChange = [this](int, int) {
            if (com::GetProperty(grid_->Object(), dispid::Row).AsI4() < 0) return;
            seen_.push_back(forms::CStr(forms::FromDao(data_->Recordset()("CodAplicacao").GetValue())));
        };
        data_->SetDatabaseName("C:\\BD2.MDB");
        data_->SetRecordSource(kCatalogue);
        data_->Refresh();
    }

    std::string CurrentCode() { return forms::CStr(forms::FromDao(data_->Recordset()("CodAplicacao").GetValue())); }

    win::testing::TempMachineRoot root_;
    HostWindow window_;
    forms::DataControl* data_ = nullptr;
    DataGrid* grid_ = nullptr;
    std::vector<std::string> seen_;
};

TEST_F(CatalogueTest, ShowsTheRecordsetsRowsUnderTheDeclaredHeading) {
    ASSERT_EQ(grid_->RowCount(), 4);
    ASSERT_EQ(grid_->ColumnCount(), 1);
    const char* names[] = {"Vendas por Loja", "Estoque", "Clientes", ""};
    for (int r = 0; r < 4; ++r) EXPECT_EQ(grid_->CellText(r, 0), names[r]) << r;
    EXPECT_EQ(grid_->View().model()->headerData(0, Qt::Horizontal).toString().toStdString(), "NOME DO RELATÓRIO");
    EXPECT_EQ(com::GetProperty(grid_->Object(), dispid::Row).AsI4(), 0);
    EXPECT_EQ(CurrentCode(), "R01") << "the recordset is on the grid's current row";
    EXPECT_TRUE(seen_.empty()) << "a refresh is no row change";
}

TEST_F(CatalogueTest, ARowChangePutsTheRecordsetOnTheRowBeforeTheWindowReadsIt) {
    grid_->SetRow(2);
    window_.Show();
    grid_->SetFocus();
    QTest::keyClick(&grid_->View(), Qt::Key_Down);
    QTest::keyClick(&grid_->View(), Qt::Key_Up);
    QTest::keyClick(&grid_->View(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(seen_, (std::vector<std::string>{"R03", "R04", "R03", "R01"}));
    EXPECT_EQ(com::GetProperty(grid_->Object(), dispid::Bookmark), Variant::I4(1));
}

// The log-in window's store grid: a double click chooses the store under the mouse.
TEST_F(CatalogueTest, ADoubleClickOnARowMakesItCurrentAndFiresOnce) {
    std::vector<std::string> chosen;
    grid_->DblClick = [&] { chosen.push_back(CurrentCode()); };
    window_.Show();
    QTableView& view = grid_->View();
    const QPoint at = view.visualRect(view.model()->index(1, 0)).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(chosen, std::vector<std::string>{"R02"});
    EXPECT_EQ(seen_, std::vector<std::string>{"R02"});
}

TEST_F(CatalogueTest, ARefreshAfterASearchShowsTheNewRowsFromTheFirst) {
    grid_->SetRow(3);
    data_->SetRecordSource("SELECT * FROM Aplicacao WHERE Nome Like '*Loja*' ORDER BY CodAplicacao");
    data_->Refresh();
    com::CallMethod(grid_->Object(), com::DISPID_REFRESH);
    ASSERT_EQ(grid_->RowCount(), 1);
    EXPECT_EQ(grid_->CellText(0, 0), "Vendas por Loja");
    EXPECT_EQ(grid_->Row(), 0);
    EXPECT_EQ(CurrentCode(), "R01");

    data_->SetRecordSource("SELECT * FROM Aplicacao WHERE Nome = 'Nenhum'");
    data_->Refresh();
    EXPECT_EQ(grid_->RowCount(), 0);
    EXPECT_EQ(com::GetProperty(grid_->Object(), dispid::Row).AsI4(), -1) << "no current row is negative";
    EXPECT_EQ(com::GetProperty(grid_->Object(), dispid::Bookmark).Type(), com::VT_NULL);
}

TEST_F(CatalogueTest, RowsOfADataControlAreNotEdited) {
    const auto* model = grid_->View().model();
    EXPECT_FALSE(model->flags(model->index(0, 0)) & Qt::ItemIsEditable);
    grid_->View().edit(model->index(0, 0));
    EXPECT_EQ(grid_->View().findChild<QLineEdit*>(), nullptr);
}

TEST_F(CatalogueTest, WithoutDeclaredColumnsEveryFieldIsShown) {
    DataGrid& bare = window_.Add<DataGrid>("TbCriterio");
    bare.SetDataSource(*data_);
    ASSERT_EQ(bare.ColumnCount(), 2);
    EXPECT_EQ(bare.Column(0).caption, "CodAplicacao");
    EXPECT_EQ(bare.CellText(1, 0), "R02");
    EXPECT_EQ(bare.CellText(1, 1), "Estoque");
}

// A grid bound to the data control goes with its window load; the data control's later
// refreshes must not reach it. A second binding replaces the first.
TEST_F(CatalogueTest, ARebindingOrAGoneGridIsNotToldOfRefreshes) {
    DataGrid& other = window_.Add<DataGrid>("Outro");
    other.AddColumn("Nome", "Nome");
    other.SetDataSource(*data_);
    auto array = controls::grid::ArrayObject::Create();
    array->ReDim(1, 1, 0, 0);
    other.SetArray(array);
    data_->Refresh();
    EXPECT_EQ(other.RowCount(), 1) << "the array binding stays";
    EXPECT_EQ(grid_->RowCount(), 4);
}

}  // namespace
