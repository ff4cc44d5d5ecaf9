// The one QApplication of the test program, made on first use (tests run offscreen).
#pragma once

#include <QApplication>
#include <memory>

namespace ctl::testing {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "ctl_tests";
    static char* argv[] = {name, nullptr};
    // Kept to the end of the process: destroyed among the static objects, after some of Qt's
    // own globals, it would crash the test program at exit.
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv).release();
    }();
    return *app;
}

}  // namespace ctl::testing
