// The engine tests' QApplication, for the tests that draw, make cursors or open windows.
#pragma once

#include <QApplication>
#include <memory>

namespace zmtext::testing {

// The test program's application object: the one that exists, else one made here and kept to the
// end of the process (Qt's own globals may be gone by the time static objects end).
inline QApplication& EngineTestApp() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
    static int argc = 1;
    static char name[] = "zmtext_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = std::make_unique<QApplication>(argc, argv).release();
    return *app;
}

}  // namespace zmtext::testing
