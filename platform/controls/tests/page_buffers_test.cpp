#include "platform/controls/report/page_buffers.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sys/resource.h>

#include "platform/controls/report/report_render.h"
#include "platform/controls/tests/report_test_support.h"

namespace {

using namespace controls::report;
using namespace report_test;

long MinorFaultsOfThisThread() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

// With the page buffers kept in the heap, a PDF's pages take the memory the page before gave
// back: writing them faults in next to nothing a page (handed back to the kernel at each page,
// the buffers cost some forty faults a page).
TEST(PageBuffersTest, APdfsPagesReuseOneAnothersBuffers) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's allocator keeps its own thresholds";
#endif
    KeepPageBuffersInTheHeap();
    MemoryDataConnector connector;
    connector.AddTable("Produto.mdb", "Relato001", SalesTable(4, 400));
    const ReportDefinition def = ParseReportFile(kSalesReport, "Vendas.rpt");
    const auto source = connector.Open("Produto.mdb", "", def.source);
    const LaidOutReport report = LayOut(def, ReadReportData(def, *source), {{"Criterio", "Vendas"}}, "09/12/2026");
    ASSERT_GE(report.pages.size(), 20u);
    QTemporaryDir dir;
    const std::filesystem::path pdf = dir.filePath("vendas.pdf").toStdString();
    WritePdf(report, pdf);   // the heap grows to what a page needs
    const long before = MinorFaultsOfThisThread();
    WritePdf(report, pdf);
    const double perPage =
        static_cast<double>(MinorFaultsOfThisThread() - before) / static_cast<double>(report.pages.size());
    EXPECT_LT(perPage, 10) << "page faults a page over " << report.pages.size() << " pages";
}

}  // namespace
