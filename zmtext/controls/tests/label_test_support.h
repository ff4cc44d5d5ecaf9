// What the label's tests share: the application object and a label hosted in a container window
// that records its events and change notices.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/controls/label_ctrl.h"
#include "zmtext/controls/tests/field_test_support.h"
#include "zmtext/module/app.h"

namespace zmtext::testing {

// The library started in a temporary machine root (so the defaults store reads its own
// VX4WIN.INI), and a label in a container window.
class LabelFixture {
public:
    LabelFixture() {
        app_.InitInstance();
        top.resize(240, 120);
        container = std::make_unique<ctl::ControlContainer>(&top);
        container->SetEventHandler([this](ctl::ControlSite&, com::DispId id, std::span<com::Variant>) {
            events.push_back(id);
        });
        container->SetChangeHandler([this](ctl::ControlSite&, com::DispId id) { changes.push_back(id); });
    }
    ~LabelFixture() {
        container.reset();
        app_.ExitInstance();
    }

    // A new label in the window at `rect`, from `saved` or from its defaults.
    CZMLabelCtrl* Host(const std::string& name, const ctl::Rect& rect, const com::PropertyBag* saved = nullptr) {
        com::ComPtr<CZMLabelCtrl> label = CZMLabelCtrl::Create();
        ctl::ControlSite* site = nullptr;
        if (com::Failed(container->AddControl(com::ComPtr<ctl::IControl>(label), name, rect, saved, &site)))
            return nullptr;
        return label.Get();
    }

    static com::IDispatch* Dispatch(CZMLabelCtrl* label) { return static_cast<com::IDispatch*>(label); }

    QApplication& qtApp = EngineTestApp();   // before any widget
    win::testing::TempMachineRoot root;
    QWidget top;
    std::unique_ptr<ctl::ControlContainer> container;
    std::vector<com::DispId> events;
    std::vector<com::DispId> changes;

private:
    CZMTextApp app_;
};

}  // namespace zmtext::testing
