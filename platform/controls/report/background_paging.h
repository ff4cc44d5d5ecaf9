// Reads and pages a long report's rows on a thread of its own while its preview shows the first
// page, so that the window answers the user meanwhile.
//
// Threads: the object is made, waited for and destroyed on the window thread; the worker thread
// touches only its own copies (the data file's name and password, the source, its own engine
// through the connector) and the provisional report, which is immutable. The worker's result (the
// complete report, or the error that stopped it) is handed over by Wait(), after the thread has
// ended. When the worker is done it calls `done` on the window thread, through the event loop;
// never after the object is gone.
//
// Life:  running --(worker ends)--> done --Wait()--> the complete report, or the error raised
//        running --destructor--> stopped: the reader (and the engine's sorting, through the
//                                connector's OpenStoppable) stops at its next look at the flag,
//                                the thread is joined, nothing is left running.
#pragma once

#include <QObject>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/controls/report/report_layout.h"
#include "platform/controls/report/row_source.h"

namespace controls::report {

class BackgroundPaging {
public:
    // Starts reading every row of `first`'s source through `connector`.
    BackgroundPaging(std::shared_ptr<const PagedReport> first, std::shared_ptr<DataConnector> connector,
                     std::string dataFile, std::string password, std::function<void()> done);
    ~BackgroundPaging();
    BackgroundPaging(const BackgroundPaging&) = delete;
    BackgroundPaging& operator=(const BackgroundPaging&) = delete;

    bool Done() const { return done_.load(); }
    // Waits for the worker (a synchronous completion when it is still reading) and answers the
    // complete report, or raises what stopped the reading or the paging.
    std::shared_ptr<const PagedReport> Wait();

private:
    void Run(const std::string& dataFile, const std::string& password);

    std::shared_ptr<const PagedReport> first_;
    std::shared_ptr<DataConnector> connector_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    std::shared_ptr<const PagedReport> complete_;  // written by the worker before done_
    std::exception_ptr error_;                     // the same
    QObject context_;                              // `done` runs in its thread, while it lives
    std::function<void()> onDone_;
    std::thread worker_;                           // last: started once the rest is ready
};

}  // namespace controls::report
