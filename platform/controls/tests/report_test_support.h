// Shared pieces of the report control's tests: the Qt application, sample data and report files,
// and reading back what was rendered.
#pragma once

#include <QApplication>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/controls/report/report_layout.h"
#include "platform/controls/report/row_source.h"
#include "platform/win/error.h"

namespace report_test {

using namespace controls::report;

// The Qt application of the test program: made before the first test and destroyed after the
// last, while Qt's own globals still exist (a static one would go after them and crash at exit).
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "controls_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

// GoogleTest owns the environments registered with it.
inline ::testing::Environment* const kApplicationEnvironment =
    ::testing::AddGlobalTestEnvironment(std::make_unique<ApplicationEnvironment>().release());

// Sales rows: Loja (the group), Produto, Quantidade, Valor, Data. Store k (1-based) has
// `perStore` rows; row j of a store sells j units of value j * 1.5 on day j of 2024.
inline MemoryTable SalesTable(int stores, int perStore) {
    MemoryTable table{{"Loja", "Produto", "Quantidade", "Valor", "Data"}, {}};
    for (int s = 1; s <= stores; ++s) {
        for (int j = 1; j <= perStore; ++j) {
            table.rows.push_back({CellValue::Text("Loja " + std::to_string(s)),
                                  CellValue::Text("Produto " + std::to_string(j)), CellValue::Number(j),
                                  CellValue::Number(j * 1.5), CellValue::Date(45292 + j - 1)});
        }
    }
    return table;
}

inline const char* kSalesReport =
    "; Vendas por loja\n"
    "Title=Vendas por Loja\n"
    "Source=Relato001\n"
    "Header=Critério: {Criterio}\n"
    "Column=Produto|Produto|60|L|\n"
    "Column=Data|Data|25|L|dd/mm/yyyy\n"
    "Column=Qtde|Quantidade|20|R|0\n"
    "Column=Valor|Valor|30|R|#,##0.00\n"
    "Group=Loja\n"
    "Sum=Quantidade\n"
    "Sum=Valor\n";

inline void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary);
    out << text;
}

// Pages of a PDF file: its page objects ("/Type /Page", not "/Pages").
inline int PdfPageCount(const std::filesystem::path& file) {
    QFile pdf(QString::fromStdString(file.string()));
    if (!pdf.open(QIODevice::ReadOnly)) return -1;
    const QByteArray bytes = pdf.readAll();
    int count = 0;
    for (qsizetype at = bytes.indexOf("/Type /Page"); at >= 0; at = bytes.indexOf("/Type /Page", at + 1)) {
        if (bytes.mid(at + 11, 1) != "s") ++count;
    }
    return count;
}

// The texts of one role on one page, in drawing order.
inline std::vector<std::string> TextsOf(const Page& page, TextRole role) {
    std::vector<std::string> texts;
    for (const auto& text : page.texts) {
        if (text.role == role) texts.push_back(text.text);
    }
    return texts;
}

// Lets the event loop run until the control's paging of its preview is done (the paging thread
// hands its result over through the event loop); false when it is not done within a generous limit.
template <typename Control>
bool WaitForPaging(const Control& control) {
    return QTest::qWaitFor([&] { return !control.Paging(); }, 60000);
}

// Runs `action`, expecting the control's error `number` whose description holds `fragment`.
template <typename Action>
void ExpectError(Action&& action, long number, const std::string& fragment) {
    try {
        action();
        ADD_FAILURE() << "no error; expected " << number;
    } catch (const win::RuntimeError& e) {
        EXPECT_EQ(e.Number(), number) << e.Description();
        EXPECT_NE(e.Description().find(fragment), std::string::npos) << e.Description();
        EXPECT_EQ(e.Source(), "ReportPrinter");
    }
}

}  // namespace report_test
