#include "platform/forms/datacontrol.h"

#include <gtest/gtest.h>

#include "platform/forms/app.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/forms/tests/support/raises.h"
#include "platform/forms/value.h"
#include "platform/forms/window.h"
#include "platform/win/clock.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {

using forms::testing::ErrorNumberOf;

class StoreWindow : public forms::Window {
public:
    StoreWindow() : Window("Acesso") {}
    forms::DataControl* data = nullptr;

protected:
    void CreateControls() override { data = &Add<forms::DataControl>("Data1"); }
};

// A store database with table Loja (CodLoja, Nome, LocalLojas) in C:\Produto.MDB.
class DataControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        forms::testing::QtApp();
        dao::DBEngine engine;
        engine.SetBusyTimeout(0);
        forms::SetDataEngine(engine);
        dao::Database db = engine.CreateDatabase("C:\\Produto.MDB");
        dao::TableDef loja = db.CreateTableDef("Loja");
        loja.Fields().Append(loja.CreateField("CodLoja", static_cast<int>(dao::DataType::Text), 2));
        loja.Fields().Append(loja.CreateField("Nome", static_cast<int>(dao::DataType::Text), 30));
        loja.Fields().Append(loja.CreateField("LocalLojas", static_cast<int>(dao::DataType::Text), 60));
        db.TableDefs().Append(loja);
        db.Execute("INSERT INTO Loja (CodLoja, Nome, LocalLojas) VALUES ('02', 'Centro', 'F:\\L02\\')");
        db.Execute("INSERT INTO Loja (CodLoja, Nome, LocalLojas) VALUES ('01', 'Matriz', 'F:\\L01\\')");
        db.Execute("INSERT INTO Loja (CodLoja, Nome) VALUES ('03', 'Sem pasta')");
        db.Close();
    }
    win::testing::TempMachineRoot root;
};

TEST_F(DataControlTest, RefreshOpensTheRecordSourceAndTellsTheBoundControls) {
    StoreWindow window;
    window.Load();
    int refreshes = 0;
    window.data->Bind([&] { ++refreshes; });
    EXPECT_EQ(ErrorNumberOf([&] { window.data->Recordset(); }), 91) << "no recordset before Refresh";
    window.data->SetDatabaseName("C:\\PRODUTO.MDB");
    window.data->SetRecordSource(
        " SELECT * From Loja WHERE Loja.LocalLojas <> Null  ORDER BY Loja.CodLoja ASC");
    window.data->Refresh();
    EXPECT_EQ(refreshes, 1);
    dao::Recordset& rs = window.data->Recordset();
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(forms::CStr(forms::FromDao(rs("CodLoja").GetValue())), "01");
    rs.MoveNext();
    EXPECT_EQ(forms::CStr(forms::FromDao(rs("Nome").GetValue())), "Centro");
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof()) << "the store without a folder is not listed";

    window.data->SetRecordSource("SELECT * FROM Loja WHERE CodLoja = 'XX'");
    window.data->Refresh();
    EXPECT_TRUE(window.data->Recordset().Eof());
    window.data->SetRecordSource("SELECT * FROM NaoExiste");
    EXPECT_NE(ErrorNumberOf([&] { window.data->Refresh(); }), 0);
    EXPECT_TRUE(window.data->HasRecordset()) << "a failed refresh keeps the last recordset";
    window.Unload();
}

TEST(FromDaoTest, EachKindBecomesTheRuntimesValue) {
    const struct {
        dao::Value value;
        forms::Value expected;
    } rows[] = {
        {dao::Value::Null(), forms::Value::Null()},
        {dao::Value::Boolean(true), forms::Value(true)},
        {dao::Value::Integer(-3), forms::Value(-3)},
        {dao::Value::Long(70000), forms::Value(70000)},
        {dao::Value::Currency(125000), forms::Value(forms::CurrencyValue{125000})},
        {dao::Value::Single(0.1f), forms::Value(0.1)},
        {dao::Value::Double(2.5), forms::Value(2.5)},
        {dao::Value::Date(45651.75), forms::Value::Date(45651.75)},
        {dao::Value::Text("Operação"), forms::Value("Operação")},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(forms::FromDao(row.value), row.expected) << forms::Format(row.expected);
    }
    EXPECT_EQ(forms::CStr(forms::FromDao(dao::Value::Single(0.1f))), "0,1");
}

// The runtime's conversions and the engine's SQL functions are one implementation: the same
// texts give the same values on both sides.
TEST_F(DataControlTest, SqlFunctionsConvertAsTheRuntimeDoes) {
    win::OffsetClock clock;
    clock.Freeze({2024, 12, 25, 18, 5, 9});
    win::InstallClock(&clock);
    const struct {
        const char* sql;
        forms::Value runtime;
    } rows[] = {
        {"CDate('25/12/2024')", forms::Value::Date(forms::CDate("25/12/2024"))},
        {"CDate(Format(' 01/02/2024 ','D/M/YYYY'))", forms::Value::Date(forms::CDate(forms::Format(" 01/02/2024 ", "D/M/YYYY")))},
        {"Format(CDate('02/03/2024 07:08:09'), 'dd/mm/yyyy')", forms::Format(forms::Value::Date(forms::CDate("02/03/2024 07:08:09")), "dd/mm/yyyy")},
        {"Format(CDate('02/03/2024 07:08:09'), 'hh:mm:ss')", forms::Format(forms::Value::Date(forms::CDate("02/03/2024 07:08:09")), "hh:mm:ss")},
        {"Format(7, '00')", forms::Format(7, "00")},
        {"Val('12.5 kg')", forms::Val("12.5 kg")},
        {"Year(CDate('31/12/99'))", static_cast<std::int32_t>(1999)},
    };
    dao::Database db = forms::DataEngine().OpenDatabase("C:\\Produto.MDB");
    for (const auto& row : rows) {
        dao::Recordset rs = db.OpenRecordset(std::string("SELECT ") + row.sql + " AS v FROM Loja", dao::dbOpenSnapshot);
        ASSERT_FALSE(rs.Eof()) << row.sql;
        const forms::Value sql = forms::FromDao(rs("v").GetValue());
        EXPECT_EQ(forms::Equal(sql, row.runtime), std::optional<bool>(true))
            << row.sql << ": SQL " << forms::CStr(sql) << ", runtime " << forms::CStr(row.runtime);
        rs.Close();
    }
    db.Close();
    win::InstallClock(nullptr);
}

}  // namespace
