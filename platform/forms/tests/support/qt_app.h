// The one QApplication of a test program, created on first use (offscreen under CTest).
#pragma once

#include <QApplication>
#include <memory>

namespace forms::testing {

inline QApplication& QtApp() {
    static int argc = 1;
    static char name[] = "forms_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own globals may be gone by the time static objects are, and a
    // QApplication destroyed after them crashes the test program at exit.
    static QApplication* app = std::make_unique<QApplication>(argc, argv).release();
    return *app;
}

}  // namespace forms::testing
