// A test over one window of the runtime that hosts the control layer's test field library: the
// library registered, message boxes scripted, the runtime reset before and after, and the window
// made fresh for each test and shown on demand.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>

#include <memory>

#include "platform/ctl/tests/support/field_library.h"
#include "platform/forms/app.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/qt_app.h"

namespace forms::testing {

template <class W>
class LibraryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        ASSERT_TRUE(library.Registered());
        forms::InstallMessageBoxes(&boxes);
        forms::App().ResetForTests();
    }
    void TearDown() override {
        window.reset();
        forms::DoEvents();
        forms::App().CollectUnloaded();
        forms::InstallMessageBoxes(nullptr);
        forms::App().ResetForTests();
    }
    W& Shown() {
        window->Show();
        QApplication::processEvents();
        return *window;
    }

    ctl::testing::RegisteredFieldLibrary library;
    forms::ScriptedMessageBoxes boxes;
    std::unique_ptr<W> window = std::make_unique<W>();
};

}  // namespace forms::testing
