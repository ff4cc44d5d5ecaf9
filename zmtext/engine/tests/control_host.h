// A fixture hosting controls in a container over a top-level widget, as a window holds them: the
// events they fire kept as "name:dispid" texts (EventText may say more), their bound-property
// changes likewise, and the window shown, a control focused and keys pressed on it through Qt
// events. The engine's tests on a real control window and the controls' tests share it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/ctl/control_site.h"
#include "zmtext/engine/tests/engine_test_app.h"

namespace zmtext::testing {

class ControlHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        EngineTestApp();
        top_ = std::make_unique<QWidget>();
        top_->resize(400, 200);
        container_ = std::make_unique<ctl::ControlContainer>(top_.get());
        container_->SetEventHandler([this](ctl::ControlSite& s, com::DispId id, std::span<com::Variant> args) {
            events_.push_back(EventText(s, id, args));
        });
        container_->SetChangeHandler([this](ctl::ControlSite& s, com::DispId id) {
            changes_.push_back(s.Name() + ":" + std::to_string(id));
        });
    }
    void TearDown() override {
        container_.reset();
        top_.reset();
    }
    virtual std::string EventText(ctl::ControlSite& s, com::DispId id, std::span<com::Variant>) const {
        return s.Name() + ":" + std::to_string(id);
    }

    // Hosts `control` named `name` in row `row`, `width` pixels wide (its saved properties when
    // given); its site is sites_[the number of controls hosted before it].
    template <class C>
    com::ComPtr<C> Host(com::ComPtr<C> control, const std::string& name, int row, int width,
                        const com::PropertyBag* saved = nullptr) {
        ctl::ControlSite* site = nullptr;
        EXPECT_EQ(container_->AddControl(com::ComPtr<ctl::IControl>(control), name,
                                         {10, 10 + 30 * row, 10 + width, 34 + 30 * row}, saved, &site),
                  com::S_OK);
        sites_.push_back(site);
        return control;
    }
    void Show() {
        top_->show();
        top_->activateWindow();
        QApplication::processEvents();
    }
    void Focus(int i) {
        ASSERT_TRUE(sites_.at(static_cast<std::size_t>(i))->SetFocus());
        QApplication::processEvents();
    }
    QWidget* Widget(int i) const { return sites_.at(static_cast<std::size_t>(i))->Widget(); }
    // Presses and releases `key` on control `i`, with the text it types.
    void Press(int i, int key, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(Widget(i), &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(Widget(i), &release);
    }
    // How many times an event ("name:dispid") fired.
    int Count(const std::string& event) const {
        return static_cast<int>(std::count(events_.begin(), events_.end(), event));
    }

    std::unique_ptr<QWidget> top_;
    std::unique_ptr<ctl::ControlContainer> container_;
    std::vector<ctl::ControlSite*> sites_;
    std::vector<std::string> events_;
    std::vector<std::string> changes_;
};

}  // namespace zmtext::testing
