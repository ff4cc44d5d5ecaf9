// The one QApplication of a test program, created on first use (offscreen under CTest).
#pragma once

#include <QApplication>

namespace forms::testing {

inline QApplication& QtApp() {
    static int argc = 1;
    static char name[] = "forms_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

}  // namespace forms::testing
