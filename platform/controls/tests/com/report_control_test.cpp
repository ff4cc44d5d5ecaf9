// The control driven by DISPID as the report catalogue window drives it.
#include "platform/controls/report/com/report_control.h"

#include <QPrinter>
#include <QTemporaryDir>

#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_preview.h"
#include "platform/controls/tests/report_test_support.h"

namespace {

using namespace controls::report;
using namespace report_test;
using com::Variant;

class ReportControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto connector = std::make_shared<MemoryDataConnector>();
        connector->AddTable("F:\\LOJA01\\Produto.mdb", "Relato001", SalesTable(2, 50), "TORPAL");
        WriteFile(Path("Vendas.rpt"), kSalesReport);
        ReportPrinter::Hooks hooks;
        hooks.connector = connector;
        hooks.hostPath = [this](const std::string& name) { return Path(name); };
        hooks.printer = [this] {
            auto printer = std::make_unique<QPrinter>();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(QString::fromStdString(Path("printed.pdf").string()));
            ++printed_;
            return printer;
        };
        control_ = ReportControl::Create(std::move(hooks));
        object_ = control_.Get();
    }

    std::filesystem::path Path(const std::string& name) const {
        return std::filesystem::path(dir_.path().toStdString()) / name;
    }

    // The run's set-up of the control, member by member.
    void SetUpRun(bool printAllowed) {
        com::PutProperty(object_, 119, Variant::Bool(printAllowed));
        com::PutProperty(object_, 24, Variant::I4(0));
        com::PutProperty(object_, 23, Variant::Utf8("\nTORPAL"));
        com::PutProperty(object_, 32, Variant::Utf8("F:\\LOJA01\\Produto.mdb"), {Variant::I2(0)});
        com::PutProperty(object_, 3, Variant::Utf8("Vendas.rpt"));
        com::PutProperty(object_, 29, Variant::Utf8("Criterio= \"Dezembro Where Loja = 'Loja 1'\""),
                         {Variant::I2(0)});
    }

    QTemporaryDir dir_;
    com::ComPtr<ReportControl> control_;
    com::IDispatch* object_ = nullptr;
    int printed_ = 0;
};

TEST_F(ReportControlTest, RunOpensThePreviewAtTheZoomAndCtrlPPrints) {
    SetUpRun(true);
    EXPECT_EQ(com::GetProperty(object_, 32, {Variant::I2(0)}).AsStr().ToUtf8(), "F:\\LOJA01\\Produto.mdb");
    EXPECT_EQ(control_->Printer().Password(), "TORPAL");
    com::PutProperty(object_, 17, Variant::I2(1));
    com::CallMethod(object_, 88, {Variant::I2(80)});
    PreviewWindow* preview = control_->Printer().Preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->Zoom(), 80);
    EXPECT_TRUE(preview->PrintButton().isVisible());
    // The window's keys: numeric-pad plus and minus zoom to 100 and 80.
    com::CallMethod(object_, 88, {Variant::I2(100)});
    EXPECT_EQ(preview->Zoom(), 100);
    // Ctrl+P: the window reads 119, then sends the previewed report to the printer.
    ASSERT_TRUE(com::GetProperty(object_, 119).AsBool());
    com::PutProperty(object_, 24, Variant::I4(1));
    com::PutProperty(object_, 17, Variant::I2(1));
    EXPECT_EQ(printed_, 1);
    ASSERT_TRUE(report_test::WaitForPaging(control_->Printer()));
    EXPECT_EQ(PdfPageCount(Path("printed.pdf")), preview->PageCount());
}

TEST_F(ReportControlTest, ConsultOnlyUserGetsNoPrintButton) {
    SetUpRun(false);
    com::CallMethod(object_, 28);
    ASSERT_NE(control_->Printer().Preview(), nullptr);
    EXPECT_FALSE(control_->Printer().Preview()->PrintButton().isVisible());
    EXPECT_FALSE(com::GetProperty(object_, 119).AsBool());
}

// The control's errors reach the caller with their numbers and descriptions.
TEST_F(ReportControlTest, ErrorsCrossTheDispatchBoundaryWithTheirNumbers) {
    SetUpRun(true);
    com::PutProperty(object_, 3, Variant::Utf8("Falta.rpt"));
    ExpectError([&] { com::PutProperty(object_, 17, Variant::I2(1)); }, err::ReportFileNotFound,
                "'Falta.rpt' not found");
    EXPECT_EQ(control_->Printer().Preview(), nullptr);
    ExpectError([&] { com::PutProperty(object_, 29, Variant::Utf8("Criterio x"), {Variant::I2(0)}); },
                err::MalformedFormula, "Formula 0");
    ExpectError([&] { com::CallMethod(object_, 88, {Variant::I2(5)}); }, err::InvalidZoom, "Zoom 5 %");
    try {
        com::GetProperty(object_, 23);
        ADD_FAILURE() << "the password was readable";
    } catch (const win::RuntimeError& e) {
        EXPECT_EQ(e.Number(), 394);  // get not supported
    }
}

}  // namespace
