#include "platform/controls/report/background_paging.h"

#include <QMetaObject>

#include "platform/controls/report/report_errors.h"

namespace controls::report {

BackgroundPaging::BackgroundPaging(std::shared_ptr<const PagedReport> first, std::shared_ptr<DataConnector> connector,
                                   std::string dataFile, std::string password, std::function<void()> done)
    : first_(std::move(first)),
      connector_(std::move(connector)),
      onDone_(std::move(done)),
      worker_([this, file = std::move(dataFile), key = std::move(password)] { Run(file, key); }) {}

BackgroundPaging::~BackgroundPaging() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void BackgroundPaging::Run(const std::string& dataFile, const std::string& password) {
    try {
        ReportData data;
        {
            // The source closes before the paging, which frees the data file for other stations'
            // writes as soon as the last row is read.
            const std::unique_ptr<RowSource> source =
                connector_->OpenStoppable(dataFile, password, first_->Definition().source, stop_);
            data = ReadReportData(first_->Definition(), *source, static_cast<std::size_t>(-1), &stop_);
        }
        if (!stop_) complete_ = first_->WithRows(std::move(data));
    } catch (...) {
        error_ = std::current_exception();
    }
    done_ = true;
    if (!stop_) QMetaObject::invokeMethod(&context_, [this] { if (onDone_) onDone_(); }, Qt::QueuedConnection);
}

std::shared_ptr<const PagedReport> BackgroundPaging::Wait() {
    if (worker_.joinable()) worker_.join();
    if (error_) std::rethrow_exception(error_);
    return complete_;
}

}  // namespace controls::report
