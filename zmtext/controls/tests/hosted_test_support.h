// What the tests of the fields hosted in the forms runtime share: ZMTEXT32.OCX registered in a
// temporary machine root for one test, and a fixture that opens windows of class W (each made
// ready by the test before it is shown), answers their message boxes and types into their fields
// through Qt key events. Include it only where the forms runtime is built (ZMTEXT_WITH_FORMS).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/factory.h"
#include "platform/forms/app.h"
#include "platform/forms/hosted.h"
#include "platform/forms/services.h"
#include "platform/forms/window.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/tests/field_test_support.h"
#include "zmtext/engine/tests/engine_test_app.h"

namespace zmtext::testing {

class RegisteredLibrary {
public:
    RegisteredLibrary() {
        win::Module lib = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
        registered_ = lib && reinterpret_cast<com::DllRegisterServerFn>(lib.Export("DllRegisterServer"))() == com::S_OK;
    }
    ~RegisteredLibrary() { com::FreeUnusedLibraries(); }
    bool Registered() const { return registered_; }

private:
    win::testing::TempMachineRoot root_;
    bool registered_ = false;
};

// A hosted member's value as a text ("True" for a BOOL, "(error)" for what has none).
inline std::string TextOf(const com::Variant& v) { return Shown(v.Deref()); }

template <class W>
class HostedFieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        EngineTestApp();
        ASSERT_TRUE(library_.Registered());
        forms::InstallMessageBoxes(&boxes_);
        forms::App().ResetForTests();
    }
    void TearDown() override {
        windows_.clear();
        forms::DoEvents();
        forms::App().CollectUnloaded();
        forms::InstallMessageBoxes(nullptr);
        forms::App().ResetForTests();
    }
    // A new window, given its saved properties by `prepare` before it is shown.
    W& Open(const std::function<void(W&)>& prepare = {}) {
        windows_.push_back(std::make_unique<W>());
        if (prepare) prepare(*windows_.back());
        windows_.back()->Show();
        QApplication::processEvents();
        return *windows_.back();
    }
    static void Press(forms::HostedControl& c, int qtKey, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(c.Widget(), &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(c.Widget(), &release);
    }
    static void Type(forms::HostedControl& c, const std::string& text) {
        for (char ch : text) {
            const QChar qc(static_cast<char16_t>(static_cast<unsigned char>(ch)));
            Press(c, qc.toUpper().unicode(), QString(qc));
        }
    }
    static void Focus(forms::HostedControl& c) {
        ASSERT_TRUE(c.Site().SetFocus());
        QApplication::processEvents();
    }

    RegisteredLibrary library_;
    forms::ScriptedMessageBoxes boxes_;
    std::vector<std::unique_ptr<W>> windows_;
};

}  // namespace zmtext::testing
