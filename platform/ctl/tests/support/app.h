// The one QApplication of the test program, made on first use (tests run offscreen).
#pragma once

#include <QApplication>
#include <memory>

namespace ctl::testing {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "ctl_tests";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                         : qgetenv("QT_QPA_PLATFORM"));
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *app;
}

}  // namespace ctl::testing
